// The main window's file commands and settings, driven through its menus, tool buttons and
// drops, with the file dialogs and the question replaced by scripted answers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "link/ccomcom.h"
#include "pages/advance_page.h"
#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/settings.h"
#include "support/fifo_guard.h"

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_app_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

std::string ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const QString& path, const std::string& text) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out << text;
}

// A normalised image of random values, so that it differs from the start image and from
// the defaults on every page.
zeda::ParamImage RandomImage(unsigned seed) {
  std::mt19937 rng(seed);
  zeda::ParamImage img;
  for (auto& b : img.bytes) b = static_cast<uint8_t>(rng());
  if (img.Byte(zeda::Adrb::BIKE) == 22) img.SetByte(zeda::Adrb::BIKE, 21);
  img.SetByte(zeda::Adrb::NO_READING, 0);
  zeda::NormalizeParams(img);
  return img;
}

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    zeda::SetCurrentLanguage(zeda::kEnglish);
    zeda::SetMessageSink([this](const zeda::UserMessage& m) { messages_.push_back(m); });
    ASSERT_TRUE(files_.isValid());
    ASSERT_TRUE(settings_.isValid());
    savedSettingsDir_ = qgetenv("ZEDA_SETTINGS_DIR");
    qputenv("ZEDA_SETTINGS_DIR", settings_.path().toLocal8Bit());
  }
  void TearDown() override {
    qputenv("ZEDA_SETTINGS_DIR", savedSettingsDir_);
    zeda::SetMessageSink(nullptr);
    zeda::SetCurrentLanguage(zeda::kEnglish);
  }

  std::unique_ptr<TMainForm> MakeForm() {
    TMainForm::Options o;
    o.listenForHandover = false;
    auto form = std::make_unique<TMainForm>(o);
    form->SetFileChooser([this](const TMainForm::FileDialogRequest& r) {
      requests_.push_back(r);
      return answers_.isEmpty() ? QString() : answers_.takeFirst();
    });
    // Unsaved edits are let go without the "Save changes?" box.
    form->SetSaveChangesAsker([](const QString&) { return int(QMessageBox::Discard); });
    form->SetQuestionAsker([this](const QString& q) {
      questions_ << q;
      return answer_;
    });
    return form;
  }

  QString Path(const QString& name) const { return files_.filePath(name); }
  QString WriteIgn(const QString& name, const zeda::ParamImage& img) {
    const QString p = Path(name);
    WriteFile(p, zeda::FormatIgnFile(img));
    return p;
  }
  // What the core's load sequence makes of the file, starting from `start`.
  static zeda::ParamImage LoadedFrom(const zeda::ParamImage& start, const QString& p, int page) {
    zeda::ImageBuffers b;
    b.params = start;
    zeda::LoadIgnFile(b, p.toStdString(), page, false);
    return b.params;
  }
  static zeda::ParamImage LoadedFromStart(const QString& p, int page) {
    return LoadedFrom(zeda::StartImage(), p, page);
  }
  static void Trigger(TMainForm& form, const char* name) {
    QAction* a = form.findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  static QAction* Action(TMainForm& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
  }
  static QStringList History(const TMainForm& form) {
    QStringList out;
    for (const std::string& e : form.appSettings.history.Entries()) {
      out << QString::fromStdString(e);
    }
    return out;
  }
  void OpenFromMenu(TMainForm& form, const QString& p) {
    answers_ << p;
    Trigger(form, "MenuOpen");
  }

  QTemporaryDir files_;
  QTemporaryDir settings_;
  QByteArray savedSettingsDir_;
  std::vector<zeda::UserMessage> messages_;
  std::vector<TMainForm::FileDialogRequest> requests_;
  QStringList answers_;
  QStringList questions_;
  int answer_ = QMessageBox::Cancel;
};

TEST_F(FileCommandsTest, OpenFromTheMenuLoadsTheFileAndShowsItInTheTitle) {
  auto form = MakeForm();
  EXPECT_EQ(form->imageBuffers.params, zeda::StartImage());
  EXPECT_TRUE(form->appSettings.newInstal);
  EXPECT_FALSE(Action(*form, "MenuSaveVersion")->isEnabled());

  // A cancelled dialog changes nothing.
  Trigger(*form, "MenuOpen");
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_FALSE(requests_[0].save);
  EXPECT_EQ(form->imageBuffers.params, zeda::StartImage());
  EXPECT_FALSE(Action(*form, "MenuSaveVersion")->isEnabled());

  const QString p = WriteIgn("bike3.ign", RandomImage(3));
  OpenFromMenu(*form, p);
  const zeda::ParamImage expected = LoadedFromStart(p, -1);
  EXPECT_NE(expected, zeda::StartImage());
  EXPECT_EQ(form->imageBuffers.params, expected);
  EXPECT_EQ(form->imageBuffers.fileImage, expected);
  EXPECT_TRUE(form->fileMatches);
  EXPECT_EQ(form->currentFileName, p);
  EXPECT_TRUE(form->windowTitle().endsWith(p)) << form->windowTitle().toStdString();
  EXPECT_EQ(History(*form), QStringList{p});
  EXPECT_TRUE(Action(*form, "MenuSaveVersion")->isEnabled());
  EXPECT_TRUE(messages_.empty());
  // NEWINSTAL is cleared and saved at once.
  EXPECT_FALSE(form->appSettings.newInstal);
  const std::string ini = ReadFile(settings_.filePath("application.ini"));
  EXPECT_NE(ini.find("NEWINSTAL=0"), std::string::npos) << ini;
  EXPECT_EQ(ReadFile(settings_.filePath("default.ini")), zeda::FormatDefaultIni(expected.bytes));
}

TEST_F(FileCommandsTest, OpenForActualPageLoadsThatPageOnly) {
  const QString p = WriteIgn("bike3.ign", RandomImage(3));
  for (int page : {1, 4}) {
    SCOPED_TRACE(page);
    auto form = MakeForm();
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(page);
    const zeda::ParamImage start = form->imageBuffers.params;
    answers_ << p;
    Trigger(*form, "MenuOpenPage");
    const zeda::ParamImage expected = LoadedFrom(start, p, page);
    EXPECT_NE(expected, LoadedFrom(start, p, -1));
    EXPECT_NE(expected, start);
    EXPECT_EQ(form->imageBuffers.params, expected);
  }
}

TEST_F(FileCommandsTest, FromExeDirPresetsBothDialogsToTheDefaultFile) {
  auto form = MakeForm();
  const QString dataIgn = QDir(QCoreApplication::applicationDirPath()).filePath("data.ign");
  EXPECT_EQ(form->DefaultFilePath(), dataIgn);
  Trigger(*form, "MenuOpenExeDir");
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_.back().preset, dataIgn);
  EXPECT_FALSE(requests_.back().save);
  Trigger(*form, "MenuSave");  // the save dialog got the same name
  EXPECT_TRUE(requests_.back().save);
  EXPECT_EQ(requests_.back().preset, dataIgn);

  // The tool buttons with Ctrl held do the same.
  auto other = MakeForm();
  other->show();
  QTest::mouseClick(other->findChild<QToolButton*>(QStringLiteral("SpeedButtonOpen")),
                    Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(requests_.back().save);
  EXPECT_EQ(requests_.back().preset, dataIgn);
  auto third = MakeForm();
  third->show();
  QTest::mouseClick(third->findChild<QToolButton*>(QStringLiteral("SpeedButtonSave")),
                    Qt::LeftButton, Qt::ControlModifier);
  EXPECT_TRUE(requests_.back().save);
  EXPECT_EQ(requests_.back().preset, dataIgn);
}

TEST_F(FileCommandsTest, HistoryMenuOpensItsEntries) {
  auto form = MakeForm();
  const QString a = WriteIgn("a.ign", RandomImage(3));
  const QString b = WriteIgn("b.ign", RandomImage(7));
  const QString c = WriteIgn("c&d.ign", RandomImage(5));
  for (const QString& p : {a, b, c}) OpenFromMenu(*form, p);
  EXPECT_EQ(History(*form), (QStringList{c, b, a}));
  QAction* item1 = Action(*form, "MenuHistory1");
  QAction* item2 = Action(*form, "MenuHistory2");
  EXPECT_TRUE(item1->isVisible());
  EXPECT_EQ(item1->text(), "1 b");
  EXPECT_EQ(item2->text(), "2 a");
  EXPECT_FALSE(Action(*form, "MenuHistory3")->isVisible());
  EXPECT_TRUE(Action(*form, "MenuHistoryEnd")->isVisible());

  Trigger(*form, "MenuHistory2");
  EXPECT_EQ(form->imageBuffers.params, LoadedFromStart(a, -1));
  EXPECT_EQ(form->currentFileName, a);
  EXPECT_EQ(History(*form), (QStringList{a, c, b}));
  EXPECT_EQ(item1->text(), "1 c&&d");  // shown as "c&d"
  EXPECT_TRUE(messages_.empty());
}

TEST_F(FileCommandsTest, MissingHistoryFileShowsOpenFileErrorAndLeavesTheHistory) {
  auto form = MakeForm();
  const QString a = WriteIgn("a.ign", RandomImage(3));
  const QString b = WriteIgn("b.ign", RandomImage(5));
  OpenFromMenu(*form, a);
  OpenFromMenu(*form, b);
  const zeda::ParamImage before = form->imageBuffers.params;
  const QString title = form->windowTitle();
  ASSERT_TRUE(QFile::remove(a));
  Trigger(*form, "MenuHistory1");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "Open file error!");
  EXPECT_EQ(messages_[0].kind, zeda::MessageKind::Error);
  EXPECT_EQ(History(*form), QStringList{b});
  EXPECT_FALSE(Action(*form, "MenuHistory1")->isVisible());
  EXPECT_FALSE(Action(*form, "MenuHistoryEnd")->isVisible());
  EXPECT_EQ(form->imageBuffers.params, before);
  EXPECT_EQ(form->windowTitle(), title);

  // The text follows the language.
  zeda::SetCurrentLanguage(zeda::kGerman);
  answers_ << Path("gone.ign");
  Trigger(*form, "MenuOpen");
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1].text, "Fehler beim öffnen der Datei!");
}

TEST_F(FileCommandsTest, DroppedIgnFileIsOpenedAndPresetsTheDialogs) {
  auto form = MakeForm();
  const QString p = WriteIgn("DROP.IGN", RandomImage(3));
  WriteFile(Path("notes.txt"), "TORVELIX_KEY 107");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Path("notes.txt")), QUrl::fromLocalFile(p)});
  // The drop goes to the widget that took the drag when it entered.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(form->imageBuffers.params, LoadedFromStart(p, -1));
  EXPECT_EQ(form->currentFileName, p);
  EXPECT_EQ(History(*form), QStringList{p});
  // Opened like a history entry: quick save stays unavailable.
  EXPECT_FALSE(Action(*form, "MenuSaveVersion")->isEnabled());
  // F2 saves straight to the current file; Save as asks, starting at it.
  const std::size_t asked = requests_.size();
  Trigger(*form, "MenuSave");
  EXPECT_EQ(requests_.size(), asked);
  EXPECT_EQ(ReadFile(p),
            zeda::FormatIgnFile(form->imageBuffers.params, form->FileIdentification()));
  Trigger(*form, "MenuSaveAs");
  ASSERT_GT(requests_.size(), asked);
  EXPECT_EQ(requests_.back().preset, p);
  Trigger(*form, "MenuOpen");
  EXPECT_EQ(requests_.back().preset, p);
}

// The desktop passes a double-clicked file as one argument, spaces and all.
TEST_F(FileCommandsTest, FileOnTheCommandLineIsOpenedAtStartUp) {
  const QString p = WriteIgn(QStringLiteral("My bikes Čezeta řada 2.ign"), RandomImage(4));
  TMainForm::Options o;
  o.listenForHandover = false;
  o.commandLine = zeda::ParseCommandLine({p.toStdString()});
  TMainForm form(o);
  EXPECT_EQ(form.imageBuffers.params, LoadedFromStart(p, -1));
  EXPECT_EQ(form.currentFileName, p);
  EXPECT_EQ(History(form), QStringList{p});
  EXPECT_TRUE(form.windowTitle().endsWith(p)) << form.windowTitle().toStdString();
  EXPECT_TRUE(messages_.empty());
}

TEST_F(FileCommandsTest, SaveWritesWhatTheCoreWriterWrites) {
  auto form = MakeForm();
  OpenFromMenu(*form, WriteIgn("in.ign", RandomImage(3)));
  const QString out = Path("out.ign");
  answers_ << out;
  Trigger(*form, "MenuSaveAs");
  EXPECT_TRUE(requests_.back().save);
  EXPECT_EQ(requests_.back().preset, Path("in.ign"));
  EXPECT_EQ(ReadFile(out),
            zeda::FormatIgnFile(form->imageBuffers.params, form->FileIdentification()));
  EXPECT_EQ(form->currentFileName, out);
  EXPECT_TRUE(form->windowTitle().endsWith(out));
  EXPECT_EQ(History(*form).value(0), out);
  EXPECT_TRUE(messages_.empty());

  // Reopening what was saved gives the same image.
  const zeda::ParamImage saved = form->imageBuffers.params;
  auto other = MakeForm();
  OpenFromMenu(*other, out);
  EXPECT_EQ(other->imageBuffers.params, saved);
}

TEST_F(FileCommandsTest, FailedSaveIsReportedAndChangesNothing) {
  auto form = MakeForm();
  const QString in = WriteIgn("in.ign", RandomImage(3));
  OpenFromMenu(*form, in);
  const QString title = form->windowTitle();
  const QString bad = Path("no-such-folder/out.ign");
  answers_ << bad;
  Trigger(*form, "MenuSaveAs");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text.rfind("Open file error!", 0), 0u) << messages_[0].text;
  EXPECT_FALSE(QFile::exists(bad));
  EXPECT_EQ(form->currentFileName, in);
  EXPECT_TRUE(form->fileMatches);
  EXPECT_EQ(History(*form), QStringList{in});
  EXPECT_EQ(form->windowTitle(), title);
}

TEST_F(FileCommandsTest, QuicksaveWritesTheNextNumberAndKeepsTheCurrentFile) {
  auto form = MakeForm();
  form->show();
  // Before any Open or Save the item is disabled and the command is a plain Save.
  EXPECT_FALSE(Action(*form, "MenuSaveVersion")->isEnabled());
  const QString bike = Path("bike.ign");
  answers_ << bike;
  form->QuicksaveCommand();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_TRUE(requests_[0].save);
  ASSERT_TRUE(QFile::exists(bike));
  EXPECT_TRUE(Action(*form, "MenuSaveVersion")->isEnabled());

  WriteFile(Path("bike_007.ign"), "x");
  WriteFile(Path("bike_012.ign"), "x");
  WriteFile(Path("other_050.ign"), "x");
  Trigger(*form, "MenuSaveVersion");
  const QString q13 = Path("bike_013.ign");
  ASSERT_TRUE(QFile::exists(q13));
  EXPECT_EQ(ReadFile(q13),
            zeda::FormatIgnFile(form->imageBuffers.params, form->FileIdentification()));
  EXPECT_EQ(form->currentFileName, bike);
  EXPECT_EQ(form->appSettings.file, bike.toStdString());
  EXPECT_TRUE(form->windowTitle().endsWith(q13)) << form->windowTitle().toStdString();
  EXPECT_EQ(History(*form), QStringList{bike});  // the numbered file stays out of the history
  EXPECT_EQ(requests_.size(), 1u);               // no dialog

  // Shift on the save button is Quicksave too; the next number follows.
  QTest::mouseClick(form->findChild<QToolButton*>(QStringLiteral("SpeedButtonSave")),
                    Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_TRUE(QFile::exists(Path("bike_014.ign")));
  EXPECT_EQ(requests_.size(), 1u);
  EXPECT_TRUE(messages_.empty());

  // Without a current file (as after a read from the unit) it is a Save again.
  form->currentFileName.clear();
  Trigger(*form, "MenuSaveVersion");
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_TRUE(requests_[1].save);
  EXPECT_FALSE(QFile::exists(Path("bike_015.ign")));
}

TEST_F(FileCommandsTest, NewAsksAndOnlyYesResets) {
  auto form = MakeForm();
  const QString p = WriteIgn("bike3.ign", RandomImage(3));
  OpenFromMenu(*form, p);
  const zeda::ParamImage loaded = form->imageBuffers.params;
  for (int button : {int(QMessageBox::No), int(QMessageBox::Cancel)}) {
    answer_ = button;
    Trigger(*form, "MenuNew");
    EXPECT_EQ(form->imageBuffers.params, loaded);
    EXPECT_EQ(form->currentFileName, p);
    EXPECT_EQ(History(*form), QStringList{p});
  }
  EXPECT_EQ(questions_,
            (QStringList{"Do you want default setting?", "Do you want default setting?"}));

  // For the active page only.
  answer_ = QMessageBox::Yes;
  form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(4);
  Trigger(*form, "MenuNewPage");
  zeda::ImageBuffers expected;
  expected.params = loaded;
  ASSERT_TRUE(zeda::NewParams(expected, 4, zeda::NewAnswer::Yes));
  EXPECT_NE(expected.params, loaded);
  EXPECT_EQ(form->imageBuffers.params, expected.params);
  EXPECT_EQ(form->currentFileName, "");
  EXPECT_FALSE(form->fileMatches);
  EXPECT_EQ(form->windowTitle(), "  KESTRA2 ZEDA (v107)");
  EXPECT_EQ(History(*form), (QStringList{"", p}));
  EXPECT_TRUE(Action(*form, "MenuHistory1")->isVisible());

  // All pages from the tool button.
  form->show();
  QTest::mouseClick(form->findChild<QToolButton*>(QStringLiteral("SpeedButtonNew")),
                    Qt::LeftButton);
  ASSERT_TRUE(zeda::NewParams(expected, -1, zeda::NewAnswer::Yes));
  EXPECT_EQ(form->imageBuffers.params, expected.params);
  EXPECT_EQ(questions_.size(), 4);
}

TEST_F(FileCommandsTest, FileNotTakenChangesNothing) {
  auto form = MakeForm();
  const QString good = WriteIgn("good.ign", RandomImage(3));
  OpenFromMenu(*form, good);
  const zeda::ParamImage before = form->imageBuffers.params;
  const QString title = form->windowTitle();

  std::string otherFamily = zeda::FormatIgnFile(RandomImage(5));
  otherFamily.replace(otherFamily.find("107"), 3, "999");
  WriteFile(Path("other.ign"), otherFamily);
  WriteFile(Path("noheader.ign"), "BIKE 3\n");
  // Another family's file, and one that is no parameter file at all: each says which.
  const struct {
    const char* name;
    std::string message;
  } cases[] = {
      {"other.ign", "Unmatched version of *.ign file!"},
      {"noheader.ign", Path("noheader.ign").toStdString() +
                           " is not a parameter file (.ign): nothing was loaded. Choose a file "
                           "saved by this program or read the unit."},
  };
  for (const auto& c : cases) {
    const char* name = c.name;
    SCOPED_TRACE(name);
    messages_.clear();
    OpenFromMenu(*form, Path(name));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, c.message);
    EXPECT_EQ(form->imageBuffers.params, before);
    EXPECT_EQ(form->imageBuffers.fileImage, before);
    EXPECT_EQ(form->currentFileName, good);
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(History(*form), QStringList{good});
  }
}

TEST_F(FileCommandsTest, SettingsAreWrittenAtShutdownAndReadAtTheNextStart) {
  const QString p = WriteIgn("bike3.ign", RandomImage(3));
  const QString q = WriteIgn("bike5.ign", RandomImage(5));
  zeda::ParamImage image;
  QRect bounds;
  {
    auto form = MakeForm();
    OpenFromMenu(*form, q);
    OpenFromMenu(*form, p);
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    // A place and size that lie on the screen, unlike the start-up ones.
    bounds = QRect(10, 30, 600, 400);
    form->resize(bounds.size());
    form->move(bounds.topLeft());
    zeda::SetCurrentLanguage(zeda::kCzech);
    image = form->imageBuffers.params;
    form->close();
  }
  const std::string ini = ReadFile(settings_.filePath("application.ini"));
  EXPECT_NE(ini.find("[FORM_HLAV]"), std::string::npos);
  EXPECT_NE(ini.find("Language=3"), std::string::npos) << ini;
  EXPECT_NE(ini.find("PageControl1->ActivePageIndex=2"), std::string::npos) << ini;
  EXPECT_EQ(ReadFile(settings_.filePath("default.ini")), zeda::FormatDefaultIni(image.bytes));

  zeda::SetCurrentLanguage(zeda::kEnglish);
  auto next = MakeForm();
  EXPECT_EQ(zeda::CurrentLanguage(), zeda::kCzech);
  EXPECT_EQ(next->imageBuffers.params, image);
  EXPECT_EQ(next->currentFileName, p);
  EXPECT_FALSE(next->appSettings.newInstal);
  EXPECT_EQ(History(*next), (QStringList{p, q}));
  EXPECT_TRUE(Action(*next, "MenuHistory1")->isVisible());
  EXPECT_EQ(Action(*next, "MenuHistory1")->text(), "1 bike5");
  EXPECT_EQ(next->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(), 2);
  EXPECT_EQ(QRect(next->pos(), next->size()), bounds);
  // The image is not known to match the file until it is opened again.
  EXPECT_FALSE(next->fileMatches);
  Trigger(*next, "MenuOpen");
  EXPECT_EQ(requests_.back().preset, p);
}

TEST_F(FileCommandsTest, WindowOutsideEveryScreenIsBroughtBack) {
  WriteFile(settings_.filePath("application.ini"),
            "[FORM_HLAV]\nLeft=5000\nTop=4000\nWidth=300\nHeight=200\n");
  auto form = MakeForm();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_TRUE(screen.contains(QRect(form->pos(), form->size())))
      << form->x() << "," << form->y() << " " << form->width() << "x" << form->height();
}

// A file of a related family and of an older one: the first is taken only in test mode
// (set by the test switch file), the second always, each with its message.
TEST_F(FileCommandsTest, RelatedFamiliesAndTheTestSwitch) {
  std::string text = zeda::FormatIgnFile(RandomImage(11));
  std::string cross = text;
  cross.replace(cross.find("107"), 3, " 96");
  const QString crossFile = Path("cross.ign");
  WriteFile(crossFile, cross);
  std::string older = text;
  older.replace(older.find("107"), 3, " 99");
  const QString olderFile = Path("older.ign");
  WriteFile(olderFile, older);

  {
    auto form = MakeForm();
    EXPECT_FALSE(form->TestMode());
    OpenFromMenu(*form, crossFile);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "Unmatched version of *.ign file!");
    // A file that was not taken leaves NEWINSTAL set.
    EXPECT_TRUE(form->appSettings.newInstal);
    EXPECT_EQ(form->currentFileName, "");

    messages_.clear();
    OpenFromMenu(*form, olderFile);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text.rfind("Older or another version of *.ign file!\n\n", 0), 0u);
    EXPECT_EQ(messages_[0].kind, zeda::MessageKind::Warning);
    EXPECT_EQ(form->currentFileName, olderFile);
    EXPECT_FALSE(form->appSettings.newInstal);
  }

  const QString switchFile = Path("switch.txt");
  WriteFile(switchFile, "DEVS_SWITCH\nTEST_COM 5\n");
  const QByteArray savedSwitch = qgetenv("ZEDA_TEST_SWITCH");
  qputenv("ZEDA_TEST_SWITCH", switchFile.toLocal8Bit());
  auto form = MakeForm();
  qputenv("ZEDA_TEST_SWITCH", savedSwitch);
  EXPECT_TRUE(form->TestMode());
  EXPECT_EQ(form->appSettings.comPort, 5);
  messages_.clear();
  OpenFromMenu(*form, crossFile);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "CROSS TRANSFORMATION OF IGN FILE !");
  EXPECT_EQ(form->currentFileName, crossFile);
  EXPECT_TRUE(form->fileMatches);
}

// The dialogs themselves, answered as soon as they show.
TEST_F(FileCommandsTest, FileDialogsCarryTheFiltersAndTheDefaultExtension) {
  auto form = MakeForm();
  form->SetFileChooser(nullptr);
  struct Seen {
    QString name;
    QStringList filters;
    QString selectedFilter;
    QString suffix;
  } seen;
  auto answerWith = [&seen](const QString& file) {
    QTimer::singleShot(0, [&seen, file] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QFileDialog*>(w);
        if (!d || !d->isVisible()) continue;
        seen = {d->objectName(), d->nameFilters(), d->selectedNameFilter(), d->defaultSuffix()};
        d->selectFile(file);
        static_cast<QDialog*>(d)->accept();  // as the OK button does
      }
    });
    // Never left hanging should the dialog not be found.
    QTimer::singleShot(5000, [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) d->reject();
      }
    });
  };

  const QString p = WriteIgn("dialog.ign", RandomImage(3));
  answerWith(p);
  Trigger(*form, "MenuOpen");
  EXPECT_EQ(seen.name, "OpenDialog1");
  EXPECT_EQ(seen.filters, (QStringList{"Ignition Parametrs(*.ign)", "All Files (*)"}));
  EXPECT_EQ(seen.selectedFilter, "Ignition Parametrs(*.ign)");
  EXPECT_EQ(form->currentFileName, p);

  answerWith(Path("saved"));
  Trigger(*form, "MenuSaveAs");
  EXPECT_EQ(seen.name, "SaveDialog1");
  EXPECT_EQ(seen.filters, QStringList{"Ignition Parametrs(*.ign)"});
  EXPECT_EQ(seen.suffix, "ign");
  EXPECT_TRUE(QFile::exists(Path("saved.ign")));
  EXPECT_EQ(form->currentFileName, Path("saved.ign"));
}

}  // namespace

TEST_F(FileCommandsTest, PortSearchFollowsTheStoredPortChoice) {
  {
    auto fresh = MakeForm();
    EXPECT_EQ(fresh->Link().comSetting, 0);  // no settings yet: automatic search
  }
  for (int choice : {-1, 7}) {
    zeda::AppSettings stored;
    stored.comPort = choice;
    stored.comPortAuto = 5;
    const zeda::ParamImage image = zeda::StartImage();
    // The folder as a user would name it, without a final "/".
    ASSERT_TRUE(zeda::SaveSettings(settings_.path().toStdString(), stored, image.bytes, nullptr));
    auto form = MakeForm();
    EXPECT_EQ(form->appSettings.comPort, choice);
    EXPECT_EQ(form->Link().comSetting, choice);
    EXPECT_EQ(form->Link().nextPort, 5);
  }
}

// A named pipe is refused at once from the dialog, the history and a drop, instead of
// blocking the window until someone writes to it.
TEST_F(FileCommandsTest, NamedPipeIsRefusedAtOnceFromEveryWayOfOpening) {
  auto form = MakeForm();
  zeda::testing::FifoGuard fifo(Path("pipe.ign").toStdString());
  ASSERT_TRUE(fifo.Ok());
  const QString pipe = QString::fromStdString(fifo.Path());
  const zeda::ParamImage before = form->imageBuffers.params;

  answers_ << pipe;
  EXPECT_LT(zeda::testing::Timed([&] { Trigger(*form, "MenuOpen"); }), zeda::testing::kAtOnce);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_.back().text, "Open file error!");

  form->appSettings.history.Assign({Path("cur.ign").toStdString(), fifo.Path()});
  EXPECT_LT(zeda::testing::Timed([&] { form->OpenHistoryItem(1); }), zeda::testing::kAtOnce);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(History(*form), QStringList{Path("cur.ign")});

  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(pipe)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  EXPECT_LT(zeda::testing::Timed([&] { QApplication::sendEvent(form.get(), &drop); }),
            zeda::testing::kAtOnce);
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_.back().text, "Open file error!");
  EXPECT_EQ(form->imageBuffers.params, before);
}

// The window's Save uses the careful writer: through a link to the real file, keeping the
// file's mode.
TEST_F(FileCommandsTest, SaveWritesThroughALinkAndKeepsTheMode) {
  auto form = MakeForm();
  const QString real = Path("real.ign");
  WriteFile(real, "old");
  ASSERT_EQ(chmod(real.toStdString().c_str(), 0640), 0);
  const QString link = Path("link.ign");
  std::filesystem::create_symlink("real.ign", link.toStdString());
  answers_ << link;
  Trigger(*form, "MenuSave");
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(link.toStdString()));
  EXPECT_EQ(ReadFile(real),
            zeda::FormatIgnFile(form->imageBuffers.params, form->FileIdentification()));
  struct stat st {};
  ASSERT_EQ(stat(real.toStdString().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Open, Save and Quicksave take a value the user typed and has not confirmed yet (no Enter,
// the focus still in the field): the saves write it, Open commits it into the set it was
// typed on (one undo step away) and shows the file's value afterwards.
TEST_F(FileCommandsTest, FileCommandsCommitATypedValueFirst) {
  auto form = MakeForm();
  form->show();
  QTabWidget* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(tabs, nullptr);
  tabs->setCurrentIndex(zeda::kAdvancePageIndex);
  auto* spin = form->findChild<QSpinBox*>(QStringLiteral("UpDownBaseAdv"));
  ASSERT_NE(spin, nullptr);
  auto type = [&](int value) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));  // no Enter
  };
  auto baseAdvance = [&] { return form->imageBuffers.params.Byte(zeda::Adrb::BASE_ADV); };

  type(31);
  answers_ << Path("s.ign");
  Trigger(*form, "MenuSaveAs");
  EXPECT_NE(ReadFile(Path("s.ign")).find("\nBASE_ADV          31 "), std::string::npos);

  type(32);
  Trigger(*form, "MenuSaveVersion");
  EXPECT_NE(ReadFile(Path("s_001.ign")).find("\nBASE_ADV          32 "), std::string::npos);

  WriteFile(Path("a.ign"), "TORVELIX_KEY 107 X\nBASE_ADV 25\n");
  type(30);
  OpenFromMenu(*form, Path("a.ign"));
  EXPECT_EQ(baseAdvance(), 25);
  EXPECT_EQ(spin->value(), 25);
  // The typed value is not committed later over the file either.
  spin->clearFocus();
  QCoreApplication::processEvents();
  EXPECT_EQ(baseAdvance(), 25);
  // It went into the set it was typed on: one undo step back.
  Trigger(*form, "MenuZpet");
  EXPECT_EQ(baseAdvance(), 30);
  EXPECT_EQ(spin->value(), 30);

  // A file that does not open replaces nothing.
  answers_ << Path("gone.ign");
  Trigger(*form, "MenuOpen");
  EXPECT_EQ(baseAdvance(), 30);
}
