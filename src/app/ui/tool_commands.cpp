// Advance - / Advance + (F4 / F5): the map editor that has the focus steps its selection (or
// the live operating point) by one step. Main (UI) thread.
#include <QWidget>

#include "app/ui/main_form.h"
#include "mapedit/ui/tab_widget.h"

zeda::TTabWidget* TMainForm::FocusedMapEditor() const {
  // The window's own focus child: while the menu is open, the application's focus is the
  // menu, and the command is meant for the control the user left.
  for (QWidget* w = focusWidget(); w; w = w->parentWidget()) {
    if (auto* editor = qobject_cast<zeda::TTabWidget*>(w)) return editor;
    if (w == this) break;
  }
  return nullptr;
}

void TMainForm::AdvanceStep(int step) {
  zeda::TTabWidget* editor = FocusedMapEditor();
  if (!editor) return;  // no map editor has the focus: nothing to step
  editor->Table().Increment(step);
  editor->update();
}
