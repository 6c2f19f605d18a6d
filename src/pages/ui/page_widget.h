#pragma once
// Builds one parameter page's widgets inside its tab from the page's own tables (Rows,
// Extras, Tables) and sends every user change to the binder:
//  - group boxes (Extras of kind Group) flow into two or three columns by the tab's width,
//    all inside a scroll area so a tall page never grows the window;
//  - inside a box, each row is a caption label (the control's buddy) and its control;
//    check boxes, radio groups and buttons carry their own caption;
//  - map editors take the space left below the boxes;
//  - the live monitor's readings, gauges and sign boxes (ExtraKind Value ... Check) are
//    made for the monitor to write: fixed-height labels named for what they show.
// Every control gets its objectName and its caption as accessible name. Change kinds:
// an up-down arrow or step is ChangeKind::ArrowClick, and so is a value set from outside
// (an assistive tool's value); leaving or Enter in an edit (Enter also moves on), a check
// box, a radio button that becomes checked, a combo box or button is Immediate; a combo
// choice goes through PageBinder::ComboChanged, which then moves the focus away. A click on
// the radio button that is already checked changes nothing and commits nothing.
// Check boxes, radio buttons and up-downs are followed by their state signals (toggled,
// valueChanged), so that a change made through the accessibility interface commits like a
// click; the program's own writes happen under the binder's load guard, which the binder
// honours. The mouse wheel changes an up-down or a combo box only while it has the focus;
// otherwise it scrolls the page. Any act of the user on an up-down drops its out-of-range
// mark (PageControls::MarkOutOfRange).
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
  // Arrow, Page Up/Down, the wheel over the focused box, an assistive tool's increase or
  // decrease. Also a step that cannot move a value marked out of range: the user chose.
  std::function<void()> onStep;
  void stepBy(int steps) override;
  // A value typed and not yet confirmed (no Enter, the focus still inside) is taken as if
  // confirmed: a command that reads the parameters must not leave it behind.
  void TakeTypedValue();
  // The control was reloaded: what was typed is gone.
  void ForgetTypedValue();
  // Text was typed into the edit and not yet taken.
  bool Typed() const { return typed_; }
  void SetTyped(bool typed) { typed_ = typed; }
  // True inside stepBy (its valueChanged is the step's, already told through onStep).
  bool Stepping() const { return stepping_; }

 protected:
  // Enter takes the value and moves on to the next control.
  void keyPressEvent(QKeyEvent* event) override;
  // Undo and Redo are the window's (the parameters' history) unless the user is typing into
  // the box, whose own undo then takes back what was typed.
  bool event(QEvent* event) override;
  // Without the focus the wheel goes on to the page (it scrolls), so that turning it over a
  // passing control changes nothing.
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool stepping_ = false;
  bool typed_ = false;
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
