#pragma once
// Prints the main window as a picture scaled to fit one page: once as it is ("Print"), or
// once per tab sheet of the page list with only that sheet's tab shown ("Print all"). The
// window is put into its print appearance for the printout and always put back, also when
// the printer fails. User-interface thread only.
#include <QString>

class QPrinter;
class QTabWidget;
class QWidget;

struct PrintOutcome {
  bool ok = false;
  int pages = 0;
  QString error;  // what went wrong, for the message to the user
};

// allPages: one page per visible tab of `pages`, in tab order; the active page is active
// again afterwards.
PrintOutcome PrintWindowPages(QWidget* window, QTabWidget* pages, QPrinter& printer, bool allPages);
