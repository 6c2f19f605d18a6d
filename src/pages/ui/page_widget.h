#pragma once
// Builds one parameter page's widgets inside its tab from the page's own tables (Rows,
// Extras, Tables) and sends every user change to the binder:
//  - group boxes (Extras of kind Group) flow into two or three columns by the tab's width,
//    all inside a scroll area so a tall page never grows the window;
//  - inside a box, each row is a caption label (the control's buddy) and its control;
//    check boxes, radio groups and buttons carry their own caption;
//  - map editors take the space left below the boxes.
// Every control gets its objectName and its caption as accessible name. Change kinds:
// an up-down arrow or step is ChangeKind::ArrowClick; leaving or Enter in an edit (Enter
// also moves on), a check box, radio button, combo box or button is Immediate; a combo
// choice goes through PageBinder::ComboChanged, which then moves the focus away. Changes made by
// the program itself never reach the binder: only user signals (clicked, activated, stepBy,
// editingFinished) are connected, and the binder ignores anything under its load guard.
//
// Thread contract: window thread only.
#include <QSpinBox>
#include <functional>
#include <string_view>

class QRadioButton;
class QWidget;

namespace zeda {

class PageBinder;
class PageLogic;
class TTableSet;

// An up-down with its edit that tells an arrow step from a typed value.
class PageSpinBox final : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;
  std::function<void()> onStep;  // arrow, Page Up/Down, wheel
  void stepBy(int steps) override;
  // A value typed and not yet confirmed (no Enter, the focus still inside) is taken as if
  // confirmed: a command that reads the parameters must not leave it behind.
  void TakeTypedValue();
  // The control was reloaded: what was typed is gone.
  void ForgetTypedValue();

 protected:
  // Enter takes the value and moves on to the next control.
  void keyPressEvent(QKeyEvent* event) override;
};

// Fills `tab` with the widgets of `logic` (call before PageBinder::CreatePages, which sets
// ranges and item lists). Map editors are made for the page's Tables().
void BuildPage(QWidget* tab, PageLogic& logic, PageBinder& binder);
// Adds the map editors of the page's Tables() to a tab built by BuildPage; call it once
// after the pages' Create, which makes the table models.
void AddPageTables(QWidget* tab, PageLogic& logic);

// Connects a radio button of radio group `group` made after the build (WidgetControls
// makes them when a group gets its items).
void ConnectRadio(QRadioButton* button, std::string_view group, PageBinder& binder);

}  // namespace zeda
