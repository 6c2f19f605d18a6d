// TMainForm: Print and Print all. The window is printed as a picture of itself in print
// appearance, on the printer or into the PDF file chosen in the print dialog.
#include <QAction>
#include <QCheckBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QToolButton>
#include <cstdio>

#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "print/ui/window_printer.h"

namespace {

constexpr const char* kPrintFailed =
    "###Printing failed: %s. Check the printer, or choose another printer or a PDF file in "
    "the print dialog.##Drucken fehlgeschlagen: %s. Prüfen Sie den Drucker oder wählen Sie im "
    "Druckdialog einen anderen Drucker oder eine PDF-Datei.##Tisk selhal: %s. Zkontrolujte "
    "tiskárnu nebo v dialogu tisku zvolte jinou tiskárnu či soubor PDF.";

}  // namespace

void TMainForm::ConnectPrintCommands() {
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuPrint")))
    connect(a, &QAction::triggered, this, &TMainForm::SpeedButtonPrintClick);
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuPrintAll")))
    connect(a, &QAction::triggered, this, &TMainForm::MenuPrintAllClick);
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuUpdate")))
    connect(a, &QAction::triggered, this, &TMainForm::MenuUpdateClick);
  if (QAction* a = findChild<QAction*>(QStringLiteral("MenuContens"))) {
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, &TMainForm::MenuContensClick);
  }
  if (auto* b = findChild<QToolButton*>(QStringLiteral("SpeedButtonPrint"))) {
    b->setEnabled(true);
    connect(b, &QToolButton::clicked, this, &TMainForm::SpeedButtonPrintClick);
  }
}

void TMainForm::SpeedButtonPrintClick() { PrintWindow(false); }

void TMainForm::MenuPrintAllClick() { PrintWindow(true); }

void TMainForm::PrintWindow(bool allPages) {
  // No edit field keeps a caret or a half-typed value on paper.
  CheckBoxProgHned->setFocus();
  // What is printed is what the unit would get: a value typed or a map edit waiting goes in.
  CommitActivePage();
  if (allPages && allPagesLoader_) allPagesLoader_();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromUtf8(zeda::kProductText));
  if (width() > height()) printer.setPageOrientation(QPageLayout::Landscape);
  if (printerChooser_) {
    if (!printerChooser_(printer)) return;
  } else {
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() != QDialog::Accepted) return;
  }
  const PrintOutcome out = PrintWindowPages(this, PageControl1, printer, allPages);
  if (!out.ok) {
    char text[768];
    std::snprintf(text, sizeof text, zeda::LangText(kPrintFailed), out.error.toUtf8().constData());
    zeda::ShowMessage(text, zeda::LangText("###Print##Drucken##Tisk"), zeda::MessageKind::Warning);
  }
}
