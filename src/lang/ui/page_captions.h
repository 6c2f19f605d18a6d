#pragma once
// Sets the captions and item lists of the controls under a widget from the translation
// tables, by object name: a label's or button's text, a group box's title, a tab's text
// (by the name of its tab sheet), a combo box's or radio group's items (as many as the
// control has; a page keeps its own item count and selection).
//
// The pages call ApplyPageCaptions(page) once their controls exist; the window calls it
// on itself at every language switch. Main (UI) thread.
class QWidget;

namespace zeda {

// Returns the number of controls that received a text.
int ApplyPageCaptions(QWidget* root, int language = -1);

}  // namespace zeda
