#pragma once
// The print appearance of the main window: PreparePrint records and applies it (white
// background, no buttons, no spin arrows, labels transparent, map editors in print mode)
// and fills the page list with the tab sheets whose tabs are visible; RestoreAfterPrint
// undoes every recorded change by the kind of change, whatever the control, and empties
// both lists. Controls are known by their class (a widget may name its own with the
// dynamic property "printClass", e.g. "DeciUpDown"); a map editor is any widget with an
// invokable SetPrintMode(bool). User-interface thread only.
#include <QAbstractSpinBox>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include "print/clist.h"
#include "print/print_kinds.h"

class QTabWidget;

// One recorded change.
class CPrintObj : public zeda::COBJ {
 public:
  int kind = 0;  // control kind code
  zeda::PrintChange change = zeda::PrintChange::Hidden;
  QPalette savedPalette;
  bool savedAutoFill = false;
  bool savedOwnPalette = false;
  QAbstractSpinBox::ButtonSymbols savedSymbols = QAbstractSpinBox::UpDownArrows;
  QPointer<QWidget> control;
};

class PrintAppearance {
 public:
  // The controls hidden for the printout by name, besides what their kind asks for.
  static const char* const kHiddenByName[];

  explicit PrintAppearance(QWidget* window);
  ~PrintAppearance();

  // Records and applies the print appearance of container's controls (the whole window,
  // with its own steps, when container is null).
  void PreparePrint(QWidget* container = nullptr);
  void RestoreAfterPrint();

  // The tab sheets found with visible tabs, in tab order.
  int PageCount() const { return pageList_.Count(); }
  QWidget* Page(int i) const { return static_cast<QWidget*>(pageList_.At(i)); }
  int RecordedChanges() const { return restoreList_.Count(); }

  // The button-face colour: the colour of a window's face in the application's palette.
  static QColor ButtonFace();
  // The print class of a widget: its "printClass" property, else from its Qt class.
  static QString PrintClassOf(const QWidget* w);

 private:
  void Walk(QWidget* container);
  void Treat(QWidget* w, const zeda::PrintKind& kind);
  void WalkTabs(QTabWidget* tabs);
  CPrintObj* Record(QWidget* w, int kind, zeda::PrintChange change);
  void RecordColour(QWidget* w, int kind, const QColor& colour);

  QWidget* window_;
  zeda::CLISTOBJ restoreList_;
  zeda::CLIST pageList_;
};
