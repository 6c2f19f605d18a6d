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
#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/settings.h"
#include "support/fifo_guard.h"

namespace {

QApplication* app() {
  static int argc = 1;
  static char name[] = "test_app_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

std::string readFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const QString& path, const std::string& text) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out << text;
}

// A normalised image of random values, so that it differs from the start image and from
// the defaults on every page.
zeda::ParamImage randomImage(unsigned seed) {
  std::mt19937 rng(seed);
  zeda::ParamImage img;
  for (auto& b : img.bytes) b = static_cast<uint8_t>(rng());
  if (img.byte(zeda::Adrb::BIKE) == 22) img.setByte(zeda::Adrb::BIKE, 21);
  img.setByte(zeda::Adrb::NO_READING, 0);
  zeda::NormalizeParams(img);
  return img;
}

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    zeda::setCurrentLanguage(zeda::kEnglish);
    zeda::setMessageSink([this](const zeda::UserMessage& m) { messages.push_back(m); });
    ASSERT_TRUE(files.isValid());
    ASSERT_TRUE(settings.isValid());
    savedSettingsDir = qgetenv("ZEDA_SETTINGS_DIR");
    qputenv("ZEDA_SETTINGS_DIR", settings.path().toLocal8Bit());
  }
  void TearDown() override {
    qputenv("ZEDA_SETTINGS_DIR", savedSettingsDir);
    zeda::setMessageSink(nullptr);
    zeda::setCurrentLanguage(zeda::kEnglish);
  }

  std::unique_ptr<TMainForm> makeForm() {
    TMainForm::Options o;
    o.listenForHandover = false;
    auto form = std::make_unique<TMainForm>(o);
    form->setFileChooser([this](const TMainForm::FileDialogRequest& r) {
      requests.push_back(r);
      return answers.isEmpty() ? QString() : answers.takeFirst();
    });
    form->setQuestionAsker([this](const QString& q) {
      questions << q;
      return answer;
    });
    return form;
  }

  QString path(const QString& name) const { return files.filePath(name); }
  QString writeIgn(const QString& name, const zeda::ParamImage& img) {
    const QString p = path(name);
    writeFile(p, zeda::FormatIgnFile(img));
    return p;
  }
  // What the core's load sequence makes of the file, starting from `start`.
  static zeda::ParamImage loadedFrom(const zeda::ParamImage& start, const QString& p, int page) {
    zeda::ImageBuffers b;
    b.params = start;
    zeda::LoadIgnFile(b, p.toStdString(), page, false);
    return b.params;
  }
  static zeda::ParamImage loadedFromStart(const QString& p, int page) {
    return loadedFrom(zeda::StartImage(), p, page);
  }
  static void trigger(TMainForm& form, const char* name) {
    QAction* a = form.findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  static QAction* action(TMainForm& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
  }
  static QStringList history(const TMainForm& form) {
    QStringList out;
    for (const std::string& e : form.appSettings.history.entries()) {
      out << QString::fromStdString(e);
    }
    return out;
  }
  void openFromMenu(TMainForm& form, const QString& p) {
    answers << p;
    trigger(form, "MenuOpen");
  }

  QTemporaryDir files;
  QTemporaryDir settings;
  QByteArray savedSettingsDir;
  std::vector<zeda::UserMessage> messages;
  std::vector<TMainForm::FileDialogRequest> requests;
  QStringList answers;
  QStringList questions;
  int answer = QMessageBox::Cancel;
};

TEST_F(FileCommandsTest, OpenFromTheMenuLoadsTheFileAndShowsItInTheTitle) {
  auto form = makeForm();
  EXPECT_EQ(form->imageBuffers.params, zeda::StartImage());
  EXPECT_TRUE(form->appSettings.newInstal);
  EXPECT_FALSE(action(*form, "MenuSaveVersion")->isEnabled());

  // A cancelled dialog changes nothing.
  trigger(*form, "MenuOpen");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_FALSE(requests[0].save);
  EXPECT_EQ(form->imageBuffers.params, zeda::StartImage());
  EXPECT_FALSE(action(*form, "MenuSaveVersion")->isEnabled());

  const QString p = writeIgn("bike3.ign", randomImage(3));
  openFromMenu(*form, p);
  const zeda::ParamImage expected = loadedFromStart(p, -1);
  EXPECT_NE(expected, zeda::StartImage());
  EXPECT_EQ(form->imageBuffers.params, expected);
  EXPECT_EQ(form->imageBuffers.fileImage, expected);
  EXPECT_TRUE(form->fileMatches);
  EXPECT_EQ(form->currentFileName, p);
  EXPECT_TRUE(form->windowTitle().endsWith(p)) << form->windowTitle().toStdString();
  EXPECT_EQ(history(*form), QStringList{p});
  EXPECT_TRUE(action(*form, "MenuSaveVersion")->isEnabled());
  EXPECT_TRUE(messages.empty());
  // NEWINSTAL is cleared and saved at once.
  EXPECT_FALSE(form->appSettings.newInstal);
  const std::string ini = readFile(settings.filePath("application.ini"));
  EXPECT_NE(ini.find("NEWINSTAL=0"), std::string::npos) << ini;
  EXPECT_EQ(readFile(settings.filePath("default.ini")), zeda::FormatDefaultIni(expected.bytes));
}

TEST_F(FileCommandsTest, OpenForActualPageLoadsThatPageOnly) {
  const QString p = writeIgn("bike3.ign", randomImage(3));
  for (int page : {1, 4}) {
    SCOPED_TRACE(page);
    auto form = makeForm();
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(page);
    const zeda::ParamImage start = form->imageBuffers.params;
    answers << p;
    trigger(*form, "MenuOpenPage");
    const zeda::ParamImage expected = loadedFrom(start, p, page);
    EXPECT_NE(expected, loadedFrom(start, p, -1));
    EXPECT_NE(expected, start);
    EXPECT_EQ(form->imageBuffers.params, expected);
  }
}

TEST_F(FileCommandsTest, FromExeDirPresetsBothDialogsToTheDefaultFile) {
  auto form = makeForm();
  const QString dataIgn = QDir(QCoreApplication::applicationDirPath()).filePath("data.ign");
  EXPECT_EQ(form->defaultFilePath(), dataIgn);
  trigger(*form, "MenuOpenExeDir");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests.back().preset, dataIgn);
  EXPECT_FALSE(requests.back().save);
  trigger(*form, "MenuSave");  // the save dialog got the same name
  EXPECT_TRUE(requests.back().save);
  EXPECT_EQ(requests.back().preset, dataIgn);

  // The tool buttons with Ctrl held do the same.
  auto other = makeForm();
  other->show();
  QTest::mouseClick(other->findChild<QToolButton*>(QStringLiteral("SpeedButtonOpen")),
                    Qt::LeftButton, Qt::ControlModifier);
  EXPECT_FALSE(requests.back().save);
  EXPECT_EQ(requests.back().preset, dataIgn);
  auto third = makeForm();
  third->show();
  QTest::mouseClick(third->findChild<QToolButton*>(QStringLiteral("SpeedButtonSave")),
                    Qt::LeftButton, Qt::ControlModifier);
  EXPECT_TRUE(requests.back().save);
  EXPECT_EQ(requests.back().preset, dataIgn);
}

TEST_F(FileCommandsTest, HistoryMenuOpensItsEntries) {
  auto form = makeForm();
  const QString a = writeIgn("a.ign", randomImage(3));
  const QString b = writeIgn("b.ign", randomImage(7));
  const QString c = writeIgn("c&d.ign", randomImage(5));
  for (const QString& p : {a, b, c}) openFromMenu(*form, p);
  EXPECT_EQ(history(*form), (QStringList{c, b, a}));
  QAction* item1 = action(*form, "MenuHistory1");
  QAction* item2 = action(*form, "MenuHistory2");
  EXPECT_TRUE(item1->isVisible());
  EXPECT_EQ(item1->text(), "1 b");
  EXPECT_EQ(item2->text(), "2 a");
  EXPECT_FALSE(action(*form, "MenuHistory3")->isVisible());
  EXPECT_TRUE(action(*form, "MenuHistoryEnd")->isVisible());

  trigger(*form, "MenuHistory2");
  EXPECT_EQ(form->imageBuffers.params, loadedFromStart(a, -1));
  EXPECT_EQ(form->currentFileName, a);
  EXPECT_EQ(history(*form), (QStringList{a, c, b}));
  EXPECT_EQ(item1->text(), "1 c&&d");  // shown as "c&d"
  EXPECT_TRUE(messages.empty());
}

TEST_F(FileCommandsTest, MissingHistoryFileShowsOpenFileErrorAndLeavesTheHistory) {
  auto form = makeForm();
  const QString a = writeIgn("a.ign", randomImage(3));
  const QString b = writeIgn("b.ign", randomImage(5));
  openFromMenu(*form, a);
  openFromMenu(*form, b);
  const zeda::ParamImage before = form->imageBuffers.params;
  const QString title = form->windowTitle();
  ASSERT_TRUE(QFile::remove(a));
  trigger(*form, "MenuHistory1");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Open file error!");
  EXPECT_EQ(messages[0].kind, zeda::MessageKind::Error);
  EXPECT_EQ(history(*form), QStringList{b});
  EXPECT_FALSE(action(*form, "MenuHistory1")->isVisible());
  EXPECT_FALSE(action(*form, "MenuHistoryEnd")->isVisible());
  EXPECT_EQ(form->imageBuffers.params, before);
  EXPECT_EQ(form->windowTitle(), title);

  // The text follows the language.
  zeda::setCurrentLanguage(zeda::kGerman);
  answers << path("gone.ign");
  trigger(*form, "MenuOpen");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].text, "Fehler beim öffnen der Datei!");
}

TEST_F(FileCommandsTest, DroppedIgnFileIsOpenedAndPresetsTheDialogs) {
  auto form = makeForm();
  const QString p = writeIgn("DROP.IGN", randomImage(3));
  writeFile(path("notes.txt"), "TORVELIX_KEY 107");
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(path("notes.txt")), QUrl::fromLocalFile(p)});
  // The drop goes to the widget that took the drag when it entered.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(form->imageBuffers.params, loadedFromStart(p, -1));
  EXPECT_EQ(form->currentFileName, p);
  EXPECT_EQ(history(*form), QStringList{p});
  // Opened like a history entry: quick save stays unavailable.
  EXPECT_FALSE(action(*form, "MenuSaveVersion")->isEnabled());
  trigger(*form, "MenuSave");
  EXPECT_EQ(requests.back().preset, p);
  trigger(*form, "MenuOpen");
  EXPECT_EQ(requests.back().preset, p);
}

// The desktop passes a double-clicked file as one argument, spaces and all.
TEST_F(FileCommandsTest, FileOnTheCommandLineIsOpenedAtStartUp) {
  const QString p = writeIgn(QStringLiteral("My bikes Čezeta řada 2.ign"), randomImage(4));
  TMainForm::Options o;
  o.listenForHandover = false;
  o.commandLine = zeda::parseCommandLine({p.toStdString()});
  TMainForm form(o);
  EXPECT_EQ(form.imageBuffers.params, loadedFromStart(p, -1));
  EXPECT_EQ(form.currentFileName, p);
  EXPECT_EQ(history(form), QStringList{p});
  EXPECT_TRUE(form.windowTitle().endsWith(p)) << form.windowTitle().toStdString();
  EXPECT_TRUE(messages.empty());
}

TEST_F(FileCommandsTest, SaveWritesWhatTheCoreWriterWrites) {
  auto form = makeForm();
  openFromMenu(*form, writeIgn("in.ign", randomImage(3)));
  const QString out = path("out.ign");
  answers << out;
  trigger(*form, "MenuSave");
  EXPECT_TRUE(requests.back().save);
  EXPECT_EQ(requests.back().preset, path("in.ign"));
  EXPECT_EQ(readFile(out),
            zeda::FormatIgnFile(form->imageBuffers.params, form->fileIdentification()));
  EXPECT_EQ(form->currentFileName, out);
  EXPECT_TRUE(form->windowTitle().endsWith(out));
  EXPECT_EQ(history(*form).value(0), out);
  EXPECT_TRUE(messages.empty());

  // Reopening what was saved gives the same image.
  const zeda::ParamImage saved = form->imageBuffers.params;
  auto other = makeForm();
  openFromMenu(*other, out);
  EXPECT_EQ(other->imageBuffers.params, saved);
}

TEST_F(FileCommandsTest, FailedSaveIsReportedAndChangesNothing) {
  auto form = makeForm();
  const QString in = writeIgn("in.ign", randomImage(3));
  openFromMenu(*form, in);
  const QString title = form->windowTitle();
  const QString bad = path("no-such-folder/out.ign");
  answers << bad;
  trigger(*form, "MenuSave");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.rfind("Open file error!", 0), 0u) << messages[0].text;
  EXPECT_FALSE(QFile::exists(bad));
  EXPECT_EQ(form->currentFileName, in);
  EXPECT_TRUE(form->fileMatches);
  EXPECT_EQ(history(*form), QStringList{in});
  EXPECT_EQ(form->windowTitle(), title);
}

TEST_F(FileCommandsTest, QuicksaveWritesTheNextNumberAndKeepsTheCurrentFile) {
  auto form = makeForm();
  form->show();
  // Before any Open or Save the item is disabled and the command is a plain Save.
  EXPECT_FALSE(action(*form, "MenuSaveVersion")->isEnabled());
  const QString bike = path("bike.ign");
  answers << bike;
  form->QuicksaveCommand();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].save);
  ASSERT_TRUE(QFile::exists(bike));
  EXPECT_TRUE(action(*form, "MenuSaveVersion")->isEnabled());

  writeFile(path("bike_007.ign"), "x");
  writeFile(path("bike_012.ign"), "x");
  writeFile(path("other_050.ign"), "x");
  trigger(*form, "MenuSaveVersion");
  const QString q13 = path("bike_013.ign");
  ASSERT_TRUE(QFile::exists(q13));
  EXPECT_EQ(readFile(q13),
            zeda::FormatIgnFile(form->imageBuffers.params, form->fileIdentification()));
  EXPECT_EQ(form->currentFileName, bike);
  EXPECT_EQ(form->appSettings.file, bike.toStdString());
  EXPECT_TRUE(form->windowTitle().endsWith(q13)) << form->windowTitle().toStdString();
  EXPECT_EQ(history(*form), QStringList{bike});  // the numbered file stays out of the history
  EXPECT_EQ(requests.size(), 1u);                // no dialog

  // Shift on the save button is Quicksave too; the next number follows.
  QTest::mouseClick(form->findChild<QToolButton*>(QStringLiteral("SpeedButtonSave")),
                    Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_TRUE(QFile::exists(path("bike_014.ign")));
  EXPECT_EQ(requests.size(), 1u);
  EXPECT_TRUE(messages.empty());

  // Without a current file (as after a read from the unit) it is a Save again.
  form->currentFileName.clear();
  trigger(*form, "MenuSaveVersion");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[1].save);
  EXPECT_FALSE(QFile::exists(path("bike_015.ign")));
}

TEST_F(FileCommandsTest, NewAsksAndOnlyYesResets) {
  auto form = makeForm();
  const QString p = writeIgn("bike3.ign", randomImage(3));
  openFromMenu(*form, p);
  const zeda::ParamImage loaded = form->imageBuffers.params;
  for (int button : {int(QMessageBox::No), int(QMessageBox::Cancel)}) {
    answer = button;
    trigger(*form, "MenuNew");
    EXPECT_EQ(form->imageBuffers.params, loaded);
    EXPECT_EQ(form->currentFileName, p);
    EXPECT_EQ(history(*form), QStringList{p});
  }
  EXPECT_EQ(questions,
            (QStringList{"Do you want default setting?", "Do you want default setting?"}));

  // For the active page only.
  answer = QMessageBox::Yes;
  form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(4);
  trigger(*form, "MenuNewPage");
  zeda::ImageBuffers expected;
  expected.params = loaded;
  ASSERT_TRUE(zeda::NewParams(expected, 4, zeda::NewAnswer::Yes));
  EXPECT_NE(expected.params, loaded);
  EXPECT_EQ(form->imageBuffers.params, expected.params);
  EXPECT_EQ(form->currentFileName, "");
  EXPECT_FALSE(form->fileMatches);
  EXPECT_EQ(form->windowTitle(), "  KESTRA2 ZEDA (v107)");
  EXPECT_EQ(history(*form), (QStringList{"", p}));
  EXPECT_TRUE(action(*form, "MenuHistory1")->isVisible());

  // All pages from the tool button.
  form->show();
  QTest::mouseClick(form->findChild<QToolButton*>(QStringLiteral("SpeedButtonNew")),
                    Qt::LeftButton);
  ASSERT_TRUE(zeda::NewParams(expected, -1, zeda::NewAnswer::Yes));
  EXPECT_EQ(form->imageBuffers.params, expected.params);
  EXPECT_EQ(questions.size(), 4);
}

TEST_F(FileCommandsTest, FileNotTakenChangesNothing) {
  auto form = makeForm();
  const QString good = writeIgn("good.ign", randomImage(3));
  openFromMenu(*form, good);
  const zeda::ParamImage before = form->imageBuffers.params;
  const QString title = form->windowTitle();

  std::string otherFamily = zeda::FormatIgnFile(randomImage(5));
  otherFamily.replace(otherFamily.find("107"), 3, "999");
  writeFile(path("other.ign"), otherFamily);
  writeFile(path("noheader.ign"), "BIKE 3\n");
  for (const char* name : {"other.ign", "noheader.ign"}) {
    SCOPED_TRACE(name);
    messages.clear();
    openFromMenu(*form, path(name));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Unmatched version of *.ign file!");
    EXPECT_EQ(form->imageBuffers.params, before);
    EXPECT_EQ(form->imageBuffers.fileImage, before);
    EXPECT_EQ(form->currentFileName, good);
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(history(*form), QStringList{good});
  }
}

TEST_F(FileCommandsTest, SettingsAreWrittenAtShutdownAndReadAtTheNextStart) {
  const QString p = writeIgn("bike3.ign", randomImage(3));
  const QString q = writeIgn("bike5.ign", randomImage(5));
  zeda::ParamImage image;
  QRect bounds;
  {
    auto form = makeForm();
    openFromMenu(*form, q);
    openFromMenu(*form, p);
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    // A place and size that lie on the screen, unlike the start-up ones.
    bounds = QRect(10, 30, 600, 400);
    form->resize(bounds.size());
    form->move(bounds.topLeft());
    zeda::setCurrentLanguage(zeda::kCzech);
    image = form->imageBuffers.params;
    form->close();
  }
  const std::string ini = readFile(settings.filePath("application.ini"));
  EXPECT_NE(ini.find("[FORM_HLAV]"), std::string::npos);
  EXPECT_NE(ini.find("Language=3"), std::string::npos) << ini;
  EXPECT_NE(ini.find("PageControl1->ActivePageIndex=2"), std::string::npos) << ini;
  EXPECT_EQ(readFile(settings.filePath("default.ini")), zeda::FormatDefaultIni(image.bytes));

  zeda::setCurrentLanguage(zeda::kEnglish);
  auto next = makeForm();
  EXPECT_EQ(zeda::currentLanguage(), zeda::kCzech);
  EXPECT_EQ(next->imageBuffers.params, image);
  EXPECT_EQ(next->currentFileName, p);
  EXPECT_FALSE(next->appSettings.newInstal);
  EXPECT_EQ(history(*next), (QStringList{p, q}));
  EXPECT_TRUE(action(*next, "MenuHistory1")->isVisible());
  EXPECT_EQ(action(*next, "MenuHistory1")->text(), "1 bike5");
  EXPECT_EQ(next->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(), 2);
  EXPECT_EQ(QRect(next->pos(), next->size()), bounds);
  // The image is not known to match the file until it is opened again.
  EXPECT_FALSE(next->fileMatches);
  trigger(*next, "MenuOpen");
  EXPECT_EQ(requests.back().preset, p);
}

TEST_F(FileCommandsTest, WindowOutsideEveryScreenIsBroughtBack) {
  writeFile(settings.filePath("application.ini"),
            "[FORM_HLAV]\nLeft=5000\nTop=4000\nWidth=300\nHeight=200\n");
  auto form = makeForm();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_TRUE(screen.contains(QRect(form->pos(), form->size())))
      << form->x() << "," << form->y() << " " << form->width() << "x" << form->height();
}

// A file of a related family and of an older one: the first is taken only in test mode
// (set by the test switch file), the second always, each with its message.
TEST_F(FileCommandsTest, RelatedFamiliesAndTheTestSwitch) {
  std::string text = zeda::FormatIgnFile(randomImage(11));
  std::string cross = text;
  cross.replace(cross.find("107"), 3, " 96");
  const QString crossFile = path("cross.ign");
  writeFile(crossFile, cross);
  std::string older = text;
  older.replace(older.find("107"), 3, " 99");
  const QString olderFile = path("older.ign");
  writeFile(olderFile, older);

  {
    auto form = makeForm();
    EXPECT_FALSE(form->testMode());
    openFromMenu(*form, crossFile);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Unmatched version of *.ign file!");
    // A file that was not taken leaves NEWINSTAL set.
    EXPECT_TRUE(form->appSettings.newInstal);
    EXPECT_EQ(form->currentFileName, "");

    messages.clear();
    openFromMenu(*form, olderFile);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("Older or another version of *.ign file!\n\n", 0), 0u);
    EXPECT_EQ(messages[0].kind, zeda::MessageKind::Warning);
    EXPECT_EQ(form->currentFileName, olderFile);
    EXPECT_FALSE(form->appSettings.newInstal);
  }

  const QString switchFile = path("switch.txt");
  writeFile(switchFile, "DEVS_SWITCH\nTEST_COM 5\n");
  const QByteArray savedSwitch = qgetenv("ZEDA_TEST_SWITCH");
  qputenv("ZEDA_TEST_SWITCH", switchFile.toLocal8Bit());
  auto form = makeForm();
  qputenv("ZEDA_TEST_SWITCH", savedSwitch);
  EXPECT_TRUE(form->testMode());
  EXPECT_EQ(form->appSettings.comPort, 5);
  messages.clear();
  openFromMenu(*form, crossFile);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "CROSS TRANSFORMATION OF IGN FILE !");
  EXPECT_EQ(form->currentFileName, crossFile);
  EXPECT_TRUE(form->fileMatches);
}

// The dialogs themselves, answered as soon as they show.
TEST_F(FileCommandsTest, FileDialogsCarryTheFiltersAndTheDefaultExtension) {
  auto form = makeForm();
  form->setFileChooser(nullptr);
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

  const QString p = writeIgn("dialog.ign", randomImage(3));
  answerWith(p);
  trigger(*form, "MenuOpen");
  EXPECT_EQ(seen.name, "OpenDialog1");
  EXPECT_EQ(seen.filters, (QStringList{"Ignition Parametrs(*.ign)", "All Files (*)"}));
  EXPECT_EQ(seen.selectedFilter, "Ignition Parametrs(*.ign)");
  EXPECT_EQ(form->currentFileName, p);

  answerWith(path("saved"));
  trigger(*form, "MenuSave");
  EXPECT_EQ(seen.name, "SaveDialog1");
  EXPECT_EQ(seen.filters, QStringList{"Ignition Parametrs(*.ign)"});
  EXPECT_EQ(seen.suffix, "ign");
  EXPECT_TRUE(QFile::exists(path("saved.ign")));
  EXPECT_EQ(form->currentFileName, path("saved.ign"));
}

}  // namespace

TEST_F(FileCommandsTest, PortSearchFollowsTheStoredPortChoice) {
  {
    auto fresh = makeForm();
    EXPECT_EQ(fresh->link().comSetting, 0);  // no settings yet: automatic search
  }
  for (int choice : {-1, 7}) {
    zeda::AppSettings stored;
    stored.comPort = choice;
    stored.comPortAuto = 5;
    const zeda::ParamImage image = zeda::StartImage();
    // The folder as a user would name it, without a final "/".
    ASSERT_TRUE(zeda::SaveSettings(settings.path().toStdString(), stored, image.bytes, nullptr));
    auto form = makeForm();
    EXPECT_EQ(form->appSettings.comPort, choice);
    EXPECT_EQ(form->link().comSetting, choice);
    EXPECT_EQ(form->link().nextPort, 5);
  }
}

// A named pipe is refused at once from the dialog, the history and a drop, instead of
// blocking the window until someone writes to it.
TEST_F(FileCommandsTest, NamedPipeIsRefusedAtOnceFromEveryWayOfOpening) {
  auto form = makeForm();
  zeda::testing::FifoGuard fifo(path("pipe.ign").toStdString());
  ASSERT_TRUE(fifo.ok());
  const QString pipe = QString::fromStdString(fifo.path());
  const zeda::ParamImage before = form->imageBuffers.params;

  answers << pipe;
  EXPECT_LT(zeda::testing::Timed([&] { trigger(*form, "MenuOpen"); }), zeda::testing::kAtOnce);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.back().text, "Open file error!");

  form->appSettings.history.Assign({path("cur.ign").toStdString(), fifo.path()});
  EXPECT_LT(zeda::testing::Timed([&] { form->OpenHistoryItem(1); }), zeda::testing::kAtOnce);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(history(*form), QStringList{path("cur.ign")});

  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(pipe)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  EXPECT_LT(zeda::testing::Timed([&] { QApplication::sendEvent(form.get(), &drop); }),
            zeda::testing::kAtOnce);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages.back().text, "Open file error!");
  EXPECT_EQ(form->imageBuffers.params, before);
}

// The window's Save uses the careful writer: through a link to the real file, keeping the
// file's mode.
TEST_F(FileCommandsTest, SaveWritesThroughALinkAndKeepsTheMode) {
  auto form = makeForm();
  const QString real = path("real.ign");
  writeFile(real, "old");
  ASSERT_EQ(chmod(real.toStdString().c_str(), 0640), 0);
  const QString link = path("link.ign");
  std::filesystem::create_symlink("real.ign", link.toStdString());
  answers << link;
  trigger(*form, "MenuSave");
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(link.toStdString()));
  EXPECT_EQ(readFile(real),
            zeda::FormatIgnFile(form->imageBuffers.params, form->fileIdentification()));
  struct stat st {};
  ASSERT_EQ(stat(real.toStdString().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Open, Save and Quicksave take the active page's pending edit first: Open after the file
// was read and before the load, the saves before writing.
TEST_F(FileCommandsTest, FileCommandsCommitTheActivePageFirst) {
  auto form = makeForm();
  int pending = 0;
  std::vector<int> seen;  // BASE_ADV when the page was committed
  form->setActivePageCommitter([&] {
    seen.push_back(form->imageBuffers.params.byte(zeda::Adrb::BASE_ADV));
    form->imageBuffers.params.setByte(zeda::Adrb::BASE_ADV, static_cast<uint8_t>(pending));
  });
  writeFile(path("a.ign"), "TORVELIX_KEY 107 X\nBASE_ADV 25\n");
  pending = 30;
  openFromMenu(*form, path("a.ign"));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(form->imageBuffers.params.byte(zeda::Adrb::BASE_ADV), 25);

  pending = 31;
  answers << path("s.ign");
  trigger(*form, "MenuSave");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(readFile(path("s.ign")).find("\nBASE_ADV          31 "), std::string::npos);

  pending = 32;
  trigger(*form, "MenuSaveVersion");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_NE(readFile(path("s_001.ign")).find("\nBASE_ADV          32 "), std::string::npos);

  // A file that does not open commits nothing.
  answers << path("gone.ign");
  trigger(*form, "MenuOpen");
  EXPECT_EQ(seen.size(), 3u);
}
