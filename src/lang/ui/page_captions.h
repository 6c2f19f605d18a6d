#pragma once
// Sets the captions and item lists of the controls under a widget from the translation
// tables, by object name: a label's or button's text, a group box's title, a tab's text
// (by the name of its tab sheet), a combo box's or radio group's items (as many as the
// control has; a page keeps its own item count and selection).
//
// A control may also keep the text its page gave it (KeepSourceText: a LangString or an
// English caption or item) and follows that text into the new language by the tables'
// English texts. A caption the page code sets at run time (`runTime`) is taken before the
// control's own row, since the code chose it for the state shown ("Revolutions with
// collective ignitions"); a caption from the page's build only stands in for a missing
// row (a label without a name of its own, a radio item of a list without a row).
//
// The pages call ApplyPageCaptions(page) once their controls exist; the window calls it
// on itself at every language switch. Main (UI) thread.
class QWidget;

namespace zeda {

// Remembers `text` (UTF-8; nullptr forgets) as the text `w` was given by its page.
void KeepSourceText(QWidget* w, const char* text, bool runTime = false);

// Returns the number of controls that received a text.
int ApplyPageCaptions(QWidget* root, int language = -1);

}  // namespace zeda
