#include "app/ui/main_form.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/menu_table.h"
#include "app/page_list.h"
#include "base/message_box.h"
#include "base/tick_clock.h"
#include "base/trace.h"
#include "lang/lang_string.h"
#include "params/param_fields.h"

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_app_ui";
  static char* argv[] = {name, nullptr};
  // Run directly (not through ctest) the tests still need no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Other test files of this program may have made it first.
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    zeda::SetCurrentLanguage(zeda::kEnglish);
    zeda::SetMessageSink([this](const zeda::UserMessage& m) { messages_.push_back(m); });
    // Settings of its own: a window closed by an earlier test of this program stores its
    // language and ports, which the next window would start with.
    ASSERT_TRUE(settings_.isValid());
    savedSettingsDir_ = qgetenv("ZEDA_SETTINGS_DIR");
    qputenv("ZEDA_SETTINGS_DIR", settings_.path().toLocal8Bit());
  }
  void TearDown() override {
    qputenv("ZEDA_SETTINGS_DIR", savedSettingsDir_);
    zeda::SetMessageSink(nullptr);
    zeda::SetCurrentLanguage(zeda::kEnglish);
  }
  static TMainForm::Options Quiet() {
    TMainForm::Options o;
    o.listenForHandover = false;
    return o;
  }
  QLabel* Panel(TMainForm& f, int i) {
    return f.findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(i));
  }
  QTemporaryDir settings_;
  QByteArray savedSettingsDir_;
  std::vector<zeda::UserMessage> messages_;
};

template <typename T>
T* Child(QObject& parent, const char* name) {
  return parent.findChild<T*>(QString::fromLatin1(name));
}

TEST_F(MainFormTest, TitleAndStatusBar) {
  TMainForm form(Quiet());
  form.show();
  EXPECT_EQ(form.objectName(), "TMainForm");
  EXPECT_EQ(form.windowTitle(), "  KESTRA2 ZEDA (v107)");
  ASSERT_NE(Child<QStatusBar>(form, "StatusBar1"), nullptr);
  EXPECT_EQ(Panel(form, 1)->text(), "EXE");
  EXPECT_EQ(Panel(form, 2)->text(), "KESTRA2_RACE   RSKEY=107.00   COMPILE=2023_10_19");
  EXPECT_EQ(Panel(form, 3)->text(), "HEX");
  EXPECT_EQ(Panel(form, 4)->text(), "not connected");
  EXPECT_EQ(Panel(form, 0)->width(), 400);
  EXPECT_GE(Panel(form, 2)->width(), 350);
  EXPECT_GE(Panel(form, 4)->width(), 100);
  EXPECT_TRUE(form.Initialised());
  EXPECT_TRUE(messages_.empty());  // the self-checks pass
}

TEST_F(MainFormTest, NamedControls) {
  TMainForm form(Quiet());
  EXPECT_NE(Child<QTabWidget>(form, "PageControl1"), nullptr);
  for (const char* name : {"LabelConnection", "LabelResult", "LabelCongruence", "LabelCom"}) {
    EXPECT_NE(Child<QLabel>(form, name), nullptr) << name;
  }
  EXPECT_NE(Child<QProgressBar>(form, "CGaugeProgram"), nullptr);
  EXPECT_NE(Child<QCheckBox>(form, "CheckBoxZakazCteni"), nullptr);
  EXPECT_NE(Child<QCheckBox>(form, "CheckBoxProgHned"), nullptr);
  for (const char* name : {"ButtonRead", "ButtonVerify", "ButtonProgram", "ButtonMonPu"}) {
    EXPECT_NE(Child<QPushButton>(form, name), nullptr) << name;
  }
  for (const zeda::SpeedButtonEntry& e : zeda::SpeedButtonTable()) {
    EXPECT_NE(Child<QToolButton>(form, e.name), nullptr) << e.name;
  }
  auto* timer = Child<QTimer>(form, "Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 55);
  EXPECT_TRUE(timer->isActive());
  // Device commands stay off while no unit is connected.
  EXPECT_FALSE(Child<QPushButton>(form, "ButtonRead")->isEnabled());
  EXPECT_EQ(Child<QProgressBar>(form, "CGaugeProgram")->maximum(), 100);
}

TEST_F(MainFormTest, MenusByNameCaptionAndShortcut) {
  TMainForm form(Quiet());
  QStringList topLevel;
  for (QAction* a : form.menuBar()->actions()) topLevel << a->objectName();
  EXPECT_EQ(topLevel, (QStringList{"MenuFile", "MenuCom", "MenuDevice", "MenuTools", "MenuLanguage",
                                   "MenuServis", "MenuHelp"}));
  for (const zeda::MenuEntry& e : zeda::MenuTable()) {
    if (!*e.parent) {
      EXPECT_NE(Child<QMenu>(form, e.name), nullptr) << e.name;
      continue;
    }
    auto* a = Child<QAction>(form, e.name);
    ASSERT_NE(a, nullptr) << e.name;
    if (!(e.flags & zeda::kMenuSeparator)) {
      EXPECT_EQ(a->text(), QString::fromUtf8(zeda::LangText(e.caption)));
    }
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(e.shortcut))) << e.name;
  }
  struct Key {
    const char* name;
    const char* caption;
    QKeySequence key;
  };
  const Key keys[] = {
      {"MenuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"MenuNewPage", "&New for actual page", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N)},
      {"MenuOpen", "&Open", QKeySequence(Qt::Key_F3)},
      {"MenuOpenExeDir", "Open from exe dir", QKeySequence(Qt::CTRL | Qt::Key_F3)},
      {"MenuOpenPage", "Open for actual page", QKeySequence(Qt::SHIFT | Qt::Key_F3)},
      {"MenuSave", "&Save", QKeySequence(Qt::Key_F2)},
      {"MenuSaveExeDir", "Save to exe dir", QKeySequence(Qt::CTRL | Qt::Key_F2)},
      {"MenuSaveVersion", "Quicksave version", QKeySequence(Qt::SHIFT | Qt::Key_F2)},
      {"MenuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"MenuRead", "&Read", QKeySequence(Qt::Key_F7)},
      {"MenuVerify", "&Verify", QKeySequence(Qt::Key_F8)},
      {"MenuProgram", "&Program", QKeySequence(Qt::Key_F9)},
      {"MenuAdvanceMinus", "Advance -", QKeySequence(Qt::Key_F4)},
      {"MenuAdvancePlus", "Advance +", QKeySequence(Qt::Key_F5)},
      {"MenuZpet", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {"MenuZnovu", "Redo", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)},
      {"MenuMonitorPlayer", "Monitor player", QKeySequence(Qt::CTRL | Qt::Key_M)},
      {"MenuContens", "&Contents...", QKeySequence(Qt::Key_F1)},
      {"MenuExit", "E&xit", QKeySequence()},
      {"MenuReset", "&Reset", QKeySequence()},
      {"MenuUpdate", "&Update", QKeySequence()},
      {"MenuCSVout", "CSV output monitor", QKeySequence()},
      {"MenuAbout", "&About...", QKeySequence()},
      {"MenuPrintAll", "Print all", QKeySequence()},
  };
  for (const Key& k : keys) {
    auto* a = Child<QAction>(form, k.name);
    ASSERT_NE(a, nullptr) << k.name;
    EXPECT_EQ(a->text(), k.caption);
    EXPECT_EQ(a->shortcut(), k.key) << k.name;
  }
  for (int i = 1; i <= 9; ++i) {
    auto* a = form.findChild<QAction*>(QStringLiteral("MenuHistory%1").arg(i));
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->isVisible());
  }
  EXPECT_FALSE(Child<QAction>(form, "MenuPrintAll")->isVisible());
  EXPECT_FALSE(Child<QMenu>(form, "MenuServis")->menuAction()->isVisible());
  EXPECT_TRUE(Child<QAction>(form, "MenuEnglish")->isChecked());
}

TEST_F(MainFormTest, TabSheets) {
  TMainForm form(Quiet());
  auto* pages = Child<QTabWidget>(form, "PageControl1");
  ASSERT_EQ(pages->count(), 10);
  const char* names[] = {"TabSheetRuzne", "TabSheetBike",   "TabSheetSensors", "TabSheetAdvance",
                         "TabSheetPOut",  "TabSheetServo",  "TabSheet_Gear",   "TabSheet_Race",
                         "TabSheet_N2O",  "TabSheet_Ladeni"};
  const char* captions[] = {"Miscellaneous", "Bike", "Sensors", "Advance Map", "Power out",
                            "Servo",         "Gear", "Race",    "N2O",         "Test"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(pages->widget(i)->objectName(), names[i]);
    EXPECT_EQ(pages->tabText(i), captions[i]);
    EXPECT_EQ(pages->isTabVisible(i), i != 8) << names[i];
  }
}

TEST_F(MainFormTest, StatusSlotsRenderOnTheLabels) {
  TMainForm form(Quiet());
  form.show();
  auto* connection = Child<QLabel>(form, "LabelConnection");
  auto* result = Child<QLabel>(form, "LabelResult");
  auto* gauge = Child<QProgressBar>(form, "CGaugeProgram");
  // Start-up resets the link to "not connected": slot 1 says so, black on red.
  EXPECT_TRUE(connection->isVisible());
  EXPECT_EQ(connection->text(), "No connection with PC...");
  EXPECT_EQ(connection->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_FALSE(result->isVisible());
  EXPECT_FALSE(Child<QLabel>(form, "LabelCongruence")->isVisible());
  form.ShowStatus(1,
                  "###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...",
                  -1, zeda::kColourBlack, zeda::kColourRed, 100);
  EXPECT_TRUE(connection->isVisible());
  EXPECT_EQ(connection->text(), "No connection with PC...");
  EXPECT_EQ(connection->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_EQ(connection->palette().color(QPalette::Window), QColor(255, 0, 0));
  form.ShowStatus(1, "lower", -1, zeda::kColourBlack, zeda::kColourGreen, 10);
  EXPECT_EQ(connection->text(), "No connection with PC...");
  gauge->show();
  form.ShowStatus(2, "Verify: OK", -1, zeda::kColourBlack, zeda::kColourButtonFace, -1);
  EXPECT_TRUE(result->isVisible());
  EXPECT_EQ(result->palette().color(QPalette::Window), form.palette().color(QPalette::Button));
  form.ShowStatus(2, nullptr, -1, zeda::kColourUnchanged, zeda::kColourUnchanged, -1);
  EXPECT_FALSE(result->isVisible());
  EXPECT_FALSE(gauge->isVisible());
}

TEST_F(MainFormTest, HintsGoToPanelZero) {
  TMainForm form(Quiet());
  QStatusTipEvent tip(QStringLiteral("Reading parametrs from ignition"));
  QApplication::sendEvent(&form, &tip);
  EXPECT_EQ(Panel(form, 0)->text(), "Reading parametrs from ignition");
  QStatusTipEvent none{QString()};
  QApplication::sendEvent(&form, &none);
  EXPECT_EQ(Panel(form, 0)->text(), "");
  EXPECT_EQ(Child<QAction>(form, "MenuRead")->statusTip(), "Reading parametrs from ignition");
}

TEST_F(MainFormTest, CommandLineWordsApply) {
  TMainForm::Options o = Quiet();
  o.commandLine = zeda::ParseCommandLine({"CESKY"});
  TMainForm czech(o);
  EXPECT_EQ(zeda::CurrentLanguage(), zeda::kCzech);
  EXPECT_TRUE(Child<QAction>(czech, "MenuCzech")->isChecked());
  EXPECT_FALSE(czech.UpdateCheckSuppressed());
  o.commandLine = zeda::ParseCommandLine({"nopatchcheck"});
  TMainForm quietUpdate(o);
  EXPECT_TRUE(quietUpdate.UpdateCheckSuppressed());
}

TEST_F(MainFormTest, DroppedFiles) {
  TMainForm form(Quiet());
  form.FilesDropped({"/tmp/a.txt", "/tmp/x.ign.txt"});
  EXPECT_EQ(form.LastDroppedIgnFile(), "");
  form.FilesDropped({"/tmp/a.txt", "/tmp/B.IGN", "/tmp/c.ign"});
  EXPECT_EQ(form.LastDroppedIgnFile(), "/tmp/B.IGN");
}

TEST_F(MainFormTest, StartUpWritesTheTrace) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("zeda-form-trace-" + std::to_string(::getpid()) + ".trc");
  std::filesystem::remove(path);
  ASSERT_TRUE(zeda::LinkTraceSink().Open(path.string()));
  { TMainForm form(Quiet()); }
  zeda::LinkTraceSink().Close();
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  std::filesystem::remove(path);
  // The number in brackets is the link worker's loop count, running since construction.
  EXPECT_NE(s.str().find(") FORM Initialised\n"), std::string::npos) << s.str();
}

TEST_F(MainFormTest, PortHandOverSocket) {
  TMainForm::Options o;
  o.handoverSocketName = QStringLiteral("zeda-handover-test-%1").arg(::getpid());
  TMainForm form(o);
  auto* server = form.findChild<QLocalServer*>(QStringLiteral("HandoverServer"));
  ASSERT_NE(server, nullptr);
  ASSERT_TRUE(server->isListening());
  auto exchange = [](const QString& name, const QByteArray& line) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000)) return QByteArray("no connection");
    socket.write(line);
    socket.flush();
    QByteArray reply;
    for (int i = 0; i < 100 && !reply.endsWith('\n'); ++i) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      // Both ends live in this thread: the reply may already sit in the buffer.
      socket.waitForReadyRead(20);
      reply += socket.readAll();
    }
    return reply;
  };
  // Without a connected unit a release is ignored; so is a take-back of no port.
  EXPECT_EQ(exchange(o.handoverSocketName, "3 0x7FFFFFA1\n"), "ignored\n");
  EXPECT_EQ(exchange(o.handoverSocketName, "3 0x7FFFFFA4\n"), "ignored\n");
  EXPECT_EQ(exchange(o.handoverSocketName, "three\n"), "error\n");
  // Once the port has been given away the title says so, and the take-back restores it.
  form.PortHandover().Release(3, form);
  EXPECT_EQ(form.windowTitle(), "  KESTRA2 ZEDA (v107)       (Disconnected by bootloader)");
  EXPECT_EQ(exchange(o.handoverSocketName, "4 0x7FFFFFA4\n"), "ignored\n");
  EXPECT_EQ(exchange(o.handoverSocketName, "3 2147483556\n"), "ok\n");
  EXPECT_TRUE(form.PortHandover().linkEnabled());
  EXPECT_EQ(form.windowTitle(), "  KESTRA2 ZEDA (v107)");
}

TEST_F(MainFormTest, StaleHandOverSocketIsReplaced) {
  // A socket file left behind by a crashed run: bound once, nobody listening.
  const QString name = QStringLiteral("zeda-handover-stale-%1").arg(::getpid());
  const QString path = QDir::tempPath() + QLatin1Char('/') + name;
  QFile::remove(path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray native = QFile::encodeName(path);
  ASSERT_LT(static_cast<size_t>(native.size()), sizeof addr.sun_path);
  std::memcpy(addr.sun_path, native.constData(), static_cast<size_t>(native.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ::close(fd);
  ASSERT_TRUE(QFile::exists(path));
  TMainForm::Options o;
  o.handoverSocketName = name;
  TMainForm form(o);
  auto* server = form.findChild<QLocalServer*>(QStringLiteral("HandoverServer"));
  ASSERT_NE(server, nullptr);
  EXPECT_TRUE(server->isListening());
}

TEST_F(MainFormTest, FirstWorkingTickFocusesTheReadOutLock) {
  TMainForm form(Quiet());
  form.show();
  QApplication::setActiveWindow(&form);
  Child<QCheckBox>(form, "CheckBoxProgHned")->setFocus();
  form.MainTick().Run();
  EXPECT_EQ(QApplication::focusWidget(), Child<QCheckBox>(form, "CheckBoxZakazCteni"));
  // Only the first tick moves the focus.
  Child<QCheckBox>(form, "CheckBoxProgHned")->setFocus();
  form.MainTick().Run();
  EXPECT_EQ(QApplication::focusWidget(), Child<QCheckBox>(form, "CheckBoxProgHned"));
}

TEST_F(MainFormTest, ClosingFreesTheStatusTextsAndStopsTheTimer) {
  TMainForm::Options o;
  o.handoverSocketName = QStringLiteral("zeda-handover-close-%1").arg(::getpid());
  TMainForm form(o);
  form.show();
  form.ShowStatus(4, "Verify: OK", -1, zeda::kColourBlack, zeda::kColourGreen, 1);
  form.close();
  EXPECT_EQ(form.StatusSlots().Text(4), "");
  EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
  EXPECT_FALSE(form.findChild<QLocalServer*>(QStringLiteral("HandoverServer"))->isListening());
}

TEST_F(MainFormTest, TimerTicksAdvanceTheClock) {
  TMainForm form(Quiet());
  form.show();
  const int32_t before = zeda::tickCount();
  for (int i = 0; i < 3; ++i) form.MainTick().Run();
  EXPECT_EQ(zeda::tickCount(), before + 3);
}

}  // namespace

// ---- The device side with the built-in simulated unit ----

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST_F(MainFormTest, SimulatedUnitIsCheckedReadAndProgrammed) {
  qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
  TMainForm form(Quiet());
  form.show();
  auto* read = Child<QPushButton>(form, "ButtonRead");
  EXPECT_FALSE(read->isEnabled());
  ASSERT_TRUE(form.StartSimulator({}));
  auto* congruence = Child<QLabel>(form, "LabelCongruence");
  auto* result = Child<QLabel>(form, "LabelResult");
  ASSERT_TRUE(WaitFor([&] { return congruence->isVisible(); }, 30000));
  EXPECT_EQ(congruence->text(), "Unit and PC settings are identical");
  EXPECT_TRUE(read->isEnabled());
  EXPECT_TRUE(Child<QAction>(form, "MenuReset")->isEnabled());
  EXPECT_EQ(Child<QLabel>(form, "LabelCom")->text(), "COM=240");
  ASSERT_TRUE(WaitFor([&] { return Panel(form, 4)->text().contains("RSKEY=107.00"); }, 5000));
  EXPECT_TRUE(Panel(form, 4)->text().contains("ZDA12")) << Panel(form, 4)->text().toStdString();

  // A new installation refuses to program until the unit has been read.
  QString boxName;
  QTimer::singleShot(300, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      boxName = w->objectName();
      w->close();
    }
  });
  form.ProgramCommand();
  EXPECT_EQ(boxName, "NewInstalBox");

  read->click();
  ASSERT_TRUE(WaitFor([&] { return result->text() == "Verify: OK"; }, 10000))
      << result->text().toStdString();
  EXPECT_FALSE(form.appSettings.newInstal);

  form.ProgramCommand();
  ASSERT_TRUE(WaitFor([&] { return result->text() == "Saving:"; }, 10000))
      << result->text().toStdString();
  ASSERT_TRUE(WaitFor([&] { return result->text() == "Program device: OK"; }, 10000))
      << result->text().toStdString();
  EXPECT_EQ(congruence->text(), "Unit and PC settings are identical");

  // A unit that reports another bike is programmed only after a warning; Cancel stops.
  const int bike = zeda::ReadStored(form.Images().params, zeda::FieldId::BIKE);
  zeda::WriteStored(form.Images().params, zeda::FieldId::BIKE, 0, bike == 1 ? 2 : 1);
  boxName.clear();
  QTimer::singleShot(300, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      boxName = w->objectName();
      w->close();  // the same as Cancel
    }
  });
  form.ProgramCommand();
  EXPECT_EQ(boxName, "DifferentBikeBox");
  WaitFor([] { return false; }, 600);
  EXPECT_NE(result->text(), "Program device:");
  EXPECT_NE(result->text(), "Saving:");

  // The loader borrows the port and gives it back.
  EXPECT_EQ(form.HandoverLine("240 0x7FFFFFA1\n"), "ok\n");
  EXPECT_TRUE(form.windowTitle().endsWith("(Disconnected by bootloader)"));
  EXPECT_FALSE(form.PortHandover().linkEnabled());
  ASSERT_TRUE(WaitFor([&] { return !read->isEnabled(); }, 2000));
  auto* labelCom = Child<QLabel>(form, "LabelCom");
  ASSERT_TRUE(WaitFor([&] { return labelCom->text() == "COM=240 (DISCONECTED)"; }, 2000))
      << labelCom->text().toStdString();
  EXPECT_EQ(form.HandoverLine("240 0x7FFFFFA4\n"), "ok\n");
  EXPECT_TRUE(form.PortHandover().linkEnabled());
  ASSERT_TRUE(WaitFor([&] { return read->isEnabled(); }, 30000));
}

TEST_F(MainFormTest, SimulatedUnitOfAnotherVersionGetsTheBoxAfterTheTick) {
  qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
  TMainForm form(Quiet());
  ASSERT_TRUE(form.StartSimulator({"--version", "1"}));
  ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }, 30000));
  EXPECT_EQ(messages_[0].text,
            "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01");
  EXPECT_EQ(messages_[0].kind, zeda::MessageKind::Error);
}
