// Print and Print all of the main window into PDF files: pages per visible tab, the print
// appearance while printing, and every control put back afterwards, also after a failure.
#include "print_test.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "print/ui/print_appearance.h"

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_print_ui";
  static char* argv[] = {name, nullptr};
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

// Notes, whenever it is painted into the printout, what the window looks like then.
class Probe : public QWidget {
 public:
  using QWidget::QWidget;
  std::function<void()> onPaint;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (onPaint) onPaint();
  }
};

// What can change for printing, per control.
struct Look {
  bool hidden;
  bool autoFill;
  QColor window;
  QColor background;
  bool ownPalette;
  int symbols;
  bool operator==(const Look&) const = default;
};

std::map<QString, Look> Snapshot(QWidget* root) {
  std::map<QString, Look> looks;
  const auto all = root->findChildren<QWidget*>();
  for (QWidget* w : all) {
    if (w->objectName().isEmpty()) continue;
    auto* spin = qobject_cast<QAbstractSpinBox*>(w);
    looks[w->objectName()] = {w->isHidden(),
                              w->autoFillBackground(),
                              w->palette().color(QPalette::Window),
                              w->palette().color(w->backgroundRole()),
                              w->testAttribute(Qt::WA_SetPalette),
                              spin ? static_cast<int>(spin->buttonSymbols()) : -1};
  }
  looks[QStringLiteral("<window>")] = {root->isHidden(),
                                       root->autoFillBackground(),
                                       root->palette().color(QPalette::Window),
                                       root->palette().color(root->backgroundRole()),
                                       root->testAttribute(Qt::WA_SetPalette),
                                       -1};
  return looks;
}

// Pages in a PDF written by Qt: its page objects.
int PdfPages(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray pdf = f.readAll();
  int n = 0;
  for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0;
       at = pdf.indexOf("/Type /Page", at + 1)) {
    if (pdf.mid(at + 11, 1) != "s") ++n;
  }
  return n;
}

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    TMainForm::Options o;
    o.listenForHandover = false;
    form_ = std::make_unique<TMainForm>(o);
    pages_ = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages_, nullptr);
    Populate();
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    zeda::SetMessageSink([this](const zeda::UserMessage& m) { messages_.push_back(m.text); });
  }
  void TearDown() override {
    zeda::SetMessageSink(nullptr);
    form_.reset();
  }

  template <typename W>
  W* Add(int page, const char* name, W* w) {
    w->setObjectName(QString::fromLatin1(name));
    QWidget* sheet = pages_->widget(page);
    if (!sheet->layout()) new QVBoxLayout(sheet);
    sheet->layout()->addWidget(w);
    return w;
  }

  // Controls of each kind, some in the button-face colour and some not.
  void Populate() {
    const QColor face = PrintAppearance::ButtonFace();
    auto* faceLabel = Add(0, "LabelFace", new QLabel(QStringLiteral("Limiter [rpm]")));
    QPalette fp = faceLabel->palette();
    fp.setColor(QPalette::Window, face);
    faceLabel->setPalette(fp);
    faceLabel->setAutoFillBackground(true);
    // A label that takes its colours from the window: white on paper without a change.
    Add(0, "LabelInherits", new QLabel(QStringLiteral("Inherits")))->setAutoFillBackground(true);
    auto* red = Add(0, "LabelRed", new QLabel(QStringLiteral("Warning")));
    QPalette rp = red->palette();
    rp.setColor(QPalette::Window, Qt::red);
    red->setPalette(rp);
    red->setAutoFillBackground(true);
    auto* spin = Add(0, "EditLimiter", new QSpinBox);
    spin->setRange(0, 20000);
    spin->setValue(12500);
    auto* check = Add(1, "CheckBoxFace", new QCheckBox(QStringLiteral("Quick shifter")));
    QPalette cp = check->palette();
    cp.setColor(check->backgroundRole(), face);
    check->setPalette(cp);
    check->setAutoFillBackground(true);
    auto* group = Add(1, "GroupBoxSync", new QGroupBox(QStringLiteral("Synchronisation")));
    group->setAutoFillBackground(true);
    auto* inner = new QPushButton(QStringLiteral("Calibrate"), group);
    inner->setObjectName(QStringLiteral("ButtonCalibrate"));
    (new QVBoxLayout(group))->addWidget(inner);
    Add(2, "ScrollBarPlayer", new QScrollBar(Qt::Horizontal));
    Add(2, "CGaugeTest", new QProgressBar);
    editor_ = Add(3, "TabAdvance", new FakeMapEditor);
    editor_->setMinimumHeight(120);
    probe_ = Add(0, "Probe", new Probe);
    probe_->setMinimumHeight(10);
    for (int t = 0; t < pages_->count(); ++t) {
      auto* p = Add(t, qPrintable(QStringLiteral("PageProbe%1").arg(t)), new Probe);
      p->setMinimumHeight(4);
      p->onPaint = [this, t] {
        if (!Printing()) return;
        int shown = 0;
        for (int i = 0; i < pages_->count(); ++i) shown += pages_->isTabVisible(i);
        if (printedTabs_.empty() || printedTabs_.back() != t) {
          printedTabs_.push_back(t);
          tabsShown_.push_back(shown);
        }
      };
    }
    auto* hiddenButton = Add(4, "ButtonHiddenAlready", new QPushButton(QStringLiteral("x")));
    hiddenButton->hide();
  }

  // Points the print dialog at a PDF file.
  void PrintInto(const QString& path) {
    form_->SetPrinterChooser([path](QPrinter& p) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(path);
      return true;
    });
  }

  // The window is in its print appearance (white).
  bool Printing() const { return form_->palette().color(QPalette::Window) == QColor(Qt::white); }

  std::unique_ptr<TMainForm> form_;
  std::vector<int> printedTabs_;  // the sheet on each printed page
  std::vector<int> tabsShown_;    // tabs shown while it was printed
  QTabWidget* pages_ = nullptr;
  FakeMapEditor* editor_ = nullptr;
  Probe* probe_ = nullptr;
  std::vector<std::string> messages_;
  QTemporaryDir dir_;
};

TEST_F(PrintTest, PrintAllGivesOnePagePerVisibleTabInTabOrderAndRestoresEverything) {
  pages_->setCurrentIndex(2);
  const auto before = Snapshot(form_.get());
  QString faceLabelLook;
  probe_->onPaint = [&] {
    if (!Printing()) return;
    // Printing page 0 (the probe's own) : note the appearance.
    auto* face = form_->findChild<QLabel*>(QStringLiteral("LabelFace"));
    auto* red = form_->findChild<QLabel*>(QStringLiteral("LabelRed"));
    auto* spin = form_->findChild<QSpinBox*>(QStringLiteral("EditLimiter"));
    auto* top = form_->findChild<QWidget*>(QStringLiteral("PanelTop"));
    faceLabelLook = QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(face->autoFillBackground())
                        .arg(red->autoFillBackground())
                        .arg(red->palette().color(QPalette::Window).name())
                        .arg(spin->buttonSymbols() == QAbstractSpinBox::NoButtons)
                        .arg(top->isHidden());
  };
  const QString pdf = dir_.filePath(QStringLiteral("all.pdf"));
  PrintInto(pdf);
  form_->MenuPrintAllClick();

  EXPECT_TRUE(messages_.empty());
  // ZEDA_PRINT_TEST_OUT keeps a copy to look at (pdftoppm -png).
  if (const QString keep = qEnvironmentVariable("ZEDA_PRINT_TEST_OUT"); !keep.isEmpty()) {
    QFile::remove(keep);
    QFile::copy(pdf, keep);
  }
  // Nine pages: every tab but the hidden N2O one.
  EXPECT_EQ(PdfPages(pdf), 9);
  EXPECT_EQ(printedTabs_, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 9}));
  EXPECT_EQ(tabsShown_, std::vector<int>(9, 1));
  EXPECT_EQ(pages_->currentIndex(), 2);  // the page that was active
  // While printing: the face label transparent, the red one as it was, no spin arrows,
  // no tool bar.
  EXPECT_EQ(faceLabelLook, "0 1 #ff0000 1 1");
  EXPECT_EQ(editor_->calls, (std::vector<bool>{true, false}));
  // Afterwards every control is as it was.
  const auto after = Snapshot(form_.get());
  for (const auto& [name, look] : before) {
    ASSERT_TRUE(after.count(name)) << name.toStdString();
    EXPECT_TRUE(after.at(name) == look) << name.toStdString();
  }
  EXPECT_FALSE(pages_->isTabVisible(8));
  for (int t : {0, 1, 2, 3, 4, 5, 6, 7, 9}) EXPECT_TRUE(pages_->isTabVisible(t)) << t;
}

TEST_F(PrintTest, PrintGivesOnePageOfTheWindowAsItIs) {
  pages_->setCurrentIndex(3);
  const auto before = Snapshot(form_.get());
  const QString pdf = dir_.filePath(QStringLiteral("one.pdf"));
  PrintInto(pdf);
  auto* print = form_->findChild<QAction*>(QStringLiteral("MenuPrint"));
  ASSERT_NE(print, nullptr);
  EXPECT_TRUE(print->isEnabled());
  EXPECT_EQ(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
  print->trigger();
  EXPECT_EQ(PdfPages(pdf), 1);
  EXPECT_EQ(printedTabs_, std::vector<int>{3});
  EXPECT_EQ(tabsShown_, std::vector<int>{9});  // the window as it is
  EXPECT_EQ(pages_->currentIndex(), 3);
  EXPECT_TRUE(Snapshot(form_.get()) == before);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PrintTest, APrinterErrorIsReportedAndTheWindowIsRestoredAllTheSame) {
  const auto before = Snapshot(form_.get());
  PrintInto(dir_.filePath(QStringLiteral("no/such/folder/x.pdf")));
  form_->MenuPrintAllClick();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("Printing failed"), std::string::npos) << messages_[0];
  EXPECT_NE(messages_[0].find("PDF file"), std::string::npos);
  EXPECT_TRUE(Snapshot(form_.get()) == before);
  EXPECT_EQ(editor_->calls, (std::vector<bool>{true, false}));
}

TEST_F(PrintTest, CancellingThePrintDialogChangesNothing) {
  const auto before = Snapshot(form_.get());
  form_->SetPrinterChooser([](QPrinter&) { return false; });
  form_->SpeedButtonPrintClick();
  EXPECT_TRUE(editor_->calls.empty());
  EXPECT_TRUE(Snapshot(form_.get()) == before);
}

TEST_F(PrintTest, ControlsHiddenByNameComeBackWhateverTheirKind) {
  // A label and a check box among the controls hidden by name: shown again afterwards.
  auto* count = Add(0, "LabelPocetProgramovani", new QLabel(QStringLiteral("12")));
  QCoreApplication::processEvents();  // a control added to a shown page is shown next
  ASSERT_FALSE(count->isHidden());
  auto* check = form_->findChild<QCheckBox*>(QStringLiteral("CheckBoxProgHned"));
  ASSERT_NE(check, nullptr);
  PrintAppearance appearance(form_.get());
  appearance.PreparePrint();
  EXPECT_TRUE(count->isHidden());
  EXPECT_TRUE(check->isHidden() || !check->isVisible());
  EXPECT_EQ(appearance.PageCount(), 9);
  // Face-coloured check boxes and group boxes turn white; a red label stays red.
  for (const char* name : {"CheckBoxFace", "GroupBoxSync"}) {
    auto* w = form_->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_EQ(w->palette().color(w->backgroundRole()), QColor(Qt::white)) << name;
    EXPECT_TRUE(w->autoFillBackground()) << name;
  }
  EXPECT_EQ(
      form_->findChild<QWidget*>(QStringLiteral("LabelRed"))->palette().color(QPalette::Window),
      QColor(Qt::red));
  appearance.RestoreAfterPrint();
  EXPECT_FALSE(count->isHidden());
  EXPECT_FALSE(check->isHidden());
  EXPECT_EQ(appearance.RecordedChanges(), 0);
  EXPECT_EQ(appearance.PageCount(), 0);
}

}  // namespace
