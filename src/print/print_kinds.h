#pragma once
// What the printout does to each kind of control, by the control's class name without its
// leading "T" (the names the window's controls answer to), and the kinds of change it
// records so that every one can be undone. Pure table; any thread.
#include <string_view>

namespace zeda {

enum class PrintTreatment {
  None,
  TransparentIfFace,  // a label in the button-face colour, not transparent: made transparent
  HideIfVisible,
  WhiteIfFace,        // colour set to white when it is the button-face colour
  ChildrenThenWhite,  // group box: its children first, then white unless already white
  PrintMode,          // map editor: switched into its print mode when visible
  Children,           // page control: its children
  SheetChildren,      // tab sheet: its children; a visible tab joins the page list
};

// The recorded change kinds; each is undone by its kind, whatever the control is.
enum class PrintChange : int {
  PrintMode = 0,
  MadeTransparent = 1,
  ColourChanged = 2,
  Hidden = 3,
  SpinButtonsHidden = 4,  // an edit with arrows shows its value without them
};

struct PrintKind {
  const char* className;
  int code;
  PrintTreatment treatment;
};

// The entry for a class name; code 0 and no treatment for names the table does not know.
const PrintKind& PrintKindFor(std::string_view className);

}  // namespace zeda
