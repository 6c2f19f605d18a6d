// The pickup monitor's window: controls, pause, drawing, dimensions by mouse, saving; and
// the whole path from the simulated unit (zeda --simulate) to the picture.
#include "pickup/ui/tform_mon.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <functional>

#include "app/main_tick.h"
#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "link/ccomcom.h"
#include "link/device_ops.h"
#include "pickup/capture_builder.h"
#include "pickup/ui/cmon_pickup.h"
#include "sim_engine.h"
#include "sim_unit.h"

namespace {

using zeda::test::CaptureBuilder;

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_pickup_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class FormMonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    monitor_ = std::make_unique<CMonPickup>(&mask_, nullptr);
    monitor_->Open();
    form_ = monitor_->Form();
    ASSERT_NE(form_, nullptr);
  }
  // Five cycles of 20 ms: pick-up 1 high from 36 to 108 degrees, channel 1 at 72.
  void Feed() {
    CaptureBuilder b;
    b.Cycles(5, 50000, 0.1, 0.3, 0.2);
    monitor_->Core().FeedCapture(zeda::CAPTURE_SYNCHRONISED, 1, b.Bytes().data(), b.Size());
    monitor_->Periodic();
    monitor_->Tick();
  }
  QRgb At(int x, int y) const { return form_->Picture().pixel(x, y); }

  std::atomic<int32_t> mask_{1};
  std::unique_ptr<CMonPickup> monitor_;
  TFormMon* form_ = nullptr;
};

TEST_F(FormMonTest, NamedControlsCaptionAndSize) {
  EXPECT_EQ(form_->windowTitle(), "PickUp monitor");
  EXPECT_EQ(form_->size(), QSize(800, 600));
  for (const char* name :
       {"ButtonPause", "ButtonClearDim", "ButtonSavePicture", "ButtonSaveCapture"}) {
    auto* b = form_->findChild<QPushButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_FALSE(b->accessibleName().isEmpty()) << name;
  }
  const char* boxes[] = {"ComboBoxColorA1", "ComboBoxColorA2", "ComboBoxColorA3",
                         "ComboBoxColorB1", "ComboBoxColorB2", "ComboBoxColorB3",
                         "ComboBoxColorC1", "ComboBoxColorC2", "ComboBoxColorC3"};
  const int startIndex[] = {15, 9, 12, 11, 5, 13, 15, 7, 14};
  for (int i = 0; i < 9; ++i) {
    auto* box = form_->findChild<QComboBox*>(boxes[i]);
    ASSERT_NE(box, nullptr) << boxes[i];
    EXPECT_EQ(box->count(), 16);
    EXPECT_EQ(box->currentIndex(), startIndex[i]) << boxes[i];
    EXPECT_FALSE(box->accessibleName().isEmpty());
  }
  EXPECT_EQ(form_->findChild<QComboBox*>("ComboBoxColorA1")->itemText(0), "(invisible)");
}

TEST_F(FormMonTest, PauseTogglesCaptionAndRequestsAndShowingAgainResumes) {
  auto* pause = form_->findChild<QPushButton*>("ButtonPause");
  EXPECT_TRUE(monitor_->Core().CaptureWanted());
  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ(pause->text(), "Continue");
  EXPECT_FALSE(monitor_->Core().CaptureWanted());
  monitor_->Toggle();  // hidden: no capture is asked for
  EXPECT_FALSE(monitor_->IsShown());
  EXPECT_FALSE(monitor_->Core().Shown());
  monitor_->Toggle();
  EXPECT_TRUE(monitor_->IsShown());
  EXPECT_EQ(pause->text(), "Pause");
  EXPECT_TRUE(monitor_->Core().CaptureWanted());
}

TEST_F(FormMonTest, PictureShowsEdgesInTheirColoursAndTheSpeed) {
  Feed();
  const zeda::ViewGeometry& v = form_->View();
  const int rise = v.XOf(36);
  const int fall = v.XOf(108);
  EXPECT_EQ(At(rise, 225), qRgb(255, 0, 0));           // 1 RISE red
  EXPECT_EQ(At(fall, 225), qRgb(0, 0, 255));           // 1 FALL blue
  EXPECT_EQ(At(rise + 10, 200), qRgb(255, 255, 255));  // level high, white
  EXPECT_EQ(At(v.XOf(72), 200), qRgb(128, 128, 128));  // grid line at the ignition
  EXPECT_EQ(At(v.XOf(72), 50), qRgb(255, 255, 255));   // ignition arrow
  // Choosing "(invisible)" for the rising edges paints them black.
  form_->findChild<QComboBox*>("ComboBoxColorA2")->setCurrentIndex(0);
  monitor_->Tick();
  EXPECT_EQ(At(rise, 225), qRgb(0, 0, 0));
}

TEST_F(FormMonTest, DragDrawsADimensionRightButtonDropsOrDeletesIt) {
  Feed();
  const zeda::ViewGeometry& v = form_->View();
  // From the rise of pick-up 1 to its fall, line at height 150.
  QTest::mousePress(form_, Qt::LeftButton, Qt::NoModifier, QPoint(v.XOf(36) + 2, 220));
  QTest::mouseMove(form_, QPoint(v.XOf(108) - 2, 150));
  QMouseEvent move(QEvent::MouseMove, QPointF(v.XOf(108) - 2, 150), QPointF(), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form_, &move);
  QTest::mouseRelease(form_, Qt::LeftButton, Qt::NoModifier, QPoint(v.XOf(108) - 2, 150));
  ASSERT_EQ(monitor_->Core().Dimensions().Count(), 1);
  const zeda::Dimension& d = monitor_->Core().Dimensions().At(0);
  EXPECT_NEAR(d.start, 36, 0.01);
  EXPECT_NEAR(d.end, 108, 0.01);
  EXPECT_EQ(d.y, 150);

  // Left pressed, then right too: the new one is dropped.
  QTest::mousePress(form_, Qt::LeftButton, Qt::NoModifier, QPoint(v.XOf(36), 220));
  QTest::mousePress(form_, Qt::RightButton, Qt::NoModifier, QPoint(v.XOf(72), 150));
  QTest::mouseRelease(form_, Qt::LeftButton, Qt::NoModifier, QPoint(v.XOf(72), 150));
  QTest::mouseRelease(form_, Qt::RightButton, Qt::NoModifier, QPoint(v.XOf(72), 150));
  EXPECT_EQ(monitor_->Core().Dimensions().Count(), 1);

  // The right button over the label removes the kept one.
  const int cx = (v.XOf(36) + v.XOf(108)) / 2;
  QTest::mousePress(form_, Qt::RightButton, Qt::NoModifier, QPoint(cx, 150 - 15));
  QTest::mouseRelease(form_, Qt::RightButton, Qt::NoModifier, QPoint(cx, 150 - 15));
  EXPECT_EQ(monitor_->Core().Dimensions().Count(), 0);
}

TEST_F(FormMonTest, WheelZoomsAroundThePointerAndTheMiddleButtonPans) {
  Feed();
  const int x36 = form_->View().XOf(36);
  QWheelEvent wheel(QPointF(x36, 300), QPointF(x36, 300), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(form_, &wheel);
  monitor_->Tick();  // the change is drawn at the next tick
  EXPECT_EQ(form_->View().zoomX, 2);
  EXPECT_NEAR(form_->View().XOf(36), x36, 1);
  EXPECT_EQ(At(form_->View().XOf(36), 225), qRgb(255, 0, 0));
  const int x108 = form_->View().XOf(108);
  // Zoomed in, the middle button drags the picture.
  QTest::mousePress(form_, Qt::MiddleButton, Qt::NoModifier, QPoint(400, 300));
  QMouseEvent move(QEvent::MouseMove, QPointF(350, 300), QPointF(), Qt::NoButton, Qt::MiddleButton,
                   Qt::NoModifier);
  QApplication::sendEvent(form_, &move);
  QTest::mouseRelease(form_, Qt::MiddleButton, Qt::NoModifier, QPoint(350, 300));
  monitor_->Tick();
  EXPECT_EQ(form_->View().XOf(108), x108 - 50);
  EXPECT_EQ(At(x108 - 50, 225), qRgb(0, 0, 255));
  // While a colour box has the focus the wheel does nothing.
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_, 2000));
  auto* box = form_->findChild<QComboBox*>("ComboBoxColorC3");
  box->setFocus();
  ASSERT_TRUE(box->hasFocus());
  QApplication::sendEvent(form_, &wheel);
  EXPECT_EQ(form_->View().zoomX, 2);
  // A click on the picture only takes the focus away (to the pause button from the last
  // box) and draws nothing.
  QTest::mouseClick(form_, Qt::LeftButton, Qt::NoModifier, QPoint(x36, 220));
  EXPECT_TRUE(form_->findChild<QPushButton*>("ButtonPause")->hasFocus());
  EXPECT_EQ(monitor_->Core().Dimensions().Count(), 0);
}

TEST_F(FormMonTest, SavesPictureAndCaptureAndSaysWhenItCannot) {
  QTemporaryDir dir;
  QString error;
  EXPECT_FALSE(form_->SaveCaptureTo(dir.filePath("none.csv"), &error));
  EXPECT_TRUE(error.contains("no capture")) << error.toStdString();
  Feed();
  ASSERT_TRUE(form_->SavePictureTo(dir.filePath("p.png"), &error)) << error.toStdString();
  QImage png(dir.filePath("p.png"));
  EXPECT_EQ(png.size(), form_->Picture().size());
  ASSERT_TRUE(form_->SaveCaptureTo(dir.filePath("c.csv"), &error)) << error.toStdString();
  QFile csv(dir.filePath("c.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QByteArray text = csv.readAll();
  EXPECT_TRUE(text.contains("index,stamp,time_us"));
  EXPECT_EQ(text.count('\n'), 2 + 25 + 0);  // comment, header, 5 cycles x 5 samples
  EXPECT_FALSE(form_->SavePictureTo(dir.filePath("missing/p.png"), &error));
  EXPECT_TRUE(error.contains("Choose another folder")) << error.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("missing/p.png")));
}

// A capture through the worker's real receiver (good or with a spoiled check byte) into the
// completed record, handed to the monitor as the main tick does.
void Receive(CMonPickup& monitor, const std::vector<uint8_t>& bytes, bool good,
             zeda::CaptureRecord& record, zeda::CaptureRecord& completed) {
  uint8_t x = 0, sum = 0;
  for (uint8_t v : bytes) {
    x ^= v;
    sum = static_cast<uint8_t>(sum + v);
  }
  if (!good) x ^= 0x40;
  ASSERT_TRUE(zeda::AnnounceCapture(record, zeda::CAPTURE_SYNCHRONISED,
                                    static_cast<uint16_t>(bytes.size()), x, sum, 1));
  std::atomic<int32_t> mask{1};
  const zeda::CaptureLink link{&record, &completed, &mask};
  for (uint8_t v : bytes) zeda::DivertCaptureByte(link, v);
  monitor.HandOver(completed);
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "Save capture" writes the capture of the picture on screen: not a newer one waiting for
// processing, and not one that came in after the user paused.
TEST_F(FormMonTest, SaveCaptureWritesThePictureOnScreenAlsoWhilePaused) {
  auto record = std::make_unique<zeda::CaptureRecord>();
  auto completed = std::make_unique<zeda::CaptureRecord>();
  CaptureBuilder shown;
  shown.Cycles(5, 50000, 0.1, 0.3, 0.2);  // 25 samples
  CaptureBuilder newer;
  newer.Cycles(6, 25000, 0.1, 0.3, 0.2);  // 30 samples, twice the speed
  Receive(*monitor_, shown.Bytes(), true, *record, *completed);
  monitor_->Periodic();
  monitor_->Tick();
  ASSERT_NEAR(monitor_->Core().Speed(), 3000, 1);
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(form_->SaveCaptureTo(dir.filePath("shown.csv"), &error)) << error.toStdString();
  const QByteArray expected = ReadAll(dir.filePath("shown.csv"));
  ASSERT_EQ(expected.count('\n'), 2 + 25);

  // Taken, not yet processed: the picture still shows the first.
  Receive(*monitor_, newer.Bytes(), true, *record, *completed);
  monitor_->Tick();
  ASSERT_TRUE(form_->SaveCaptureTo(dir.filePath("a.csv"), &error)) << error.toStdString();
  EXPECT_EQ(ReadAll(dir.filePath("a.csv")), expected);

  // Paused by the user, with a capture still in flight.
  QTest::mouseClick(form_->findChild<QPushButton*>("ButtonPause"), Qt::LeftButton);
  ASSERT_TRUE(monitor_->Core().Paused());
  for (int tick = 0; tick < 32; ++tick) {
    if (tick == 3) Receive(*monitor_, newer.Bytes(), true, *record, *completed);
    monitor_->HandOver(*completed);
    if (tick % 16 == 0) monitor_->Periodic();
    monitor_->Tick();
  }
  EXPECT_NEAR(monitor_->Core().Speed(), 3000, 1);
  ASSERT_TRUE(form_->SaveCaptureTo(dir.filePath("paused.csv"), &error)) << error.toStdString();
  EXPECT_EQ(ReadAll(dir.filePath("paused.csv")), expected);
}

// "Save capture" says why nothing can be saved before it asks for a file name.
TEST_F(FormMonTest, SaveCaptureSaysTheTrueReasonBeforeAskingForAName) {
  std::vector<std::string> messages;
  zeda::SetMessageSink([&](const zeda::UserMessage& m) { messages.push_back(m.text); });
  int asked = 0;
  form_->SetPathChooser([&](const QString&, const QString&) {
    ++asked;
    return QString();  // the user cancels
  });
  auto* save = form_->findChild<QPushButton*>("ButtonSaveCapture");
  ASSERT_NE(save, nullptr);

  save->click();
  EXPECT_EQ(asked, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("There is no capture yet"), std::string::npos) << messages[0];

  auto record = std::make_unique<zeda::CaptureRecord>();
  auto completed = std::make_unique<zeda::CaptureRecord>();
  CaptureBuilder b;
  b.Cycles(5, 50000, 0.1, 0.3, 0.2);
  Receive(*monitor_, b.Bytes(), false, *record, *completed);
  save->click();
  EXPECT_EQ(asked, 0);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[1].find("only damaged captures"), std::string::npos) << messages[1];
  EXPECT_NE(messages[1].find("cable"), std::string::npos) << messages[1];

  // With a picture it asks for the name and says nothing.
  Receive(*monitor_, b.Bytes(), true, *record, *completed);
  monitor_->Periodic();
  save->click();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(messages.size(), 2u);
  zeda::SetMessageSink(nullptr);
}

// Damaged captures are named on the picture for as long as they keep coming.
TEST_F(FormMonTest, DamagedCapturesAreNamedOnThePictureWhileTheyLast) {
  auto record = std::make_unique<zeda::CaptureRecord>();
  auto completed = std::make_unique<zeda::CaptureRecord>();
  CaptureBuilder b;
  b.Cycles(5, 50000, 0.1, 0.3, 0.2);
  monitor_->Tick();
  EXPECT_TRUE(form_->NoticeText().startsWith("Waiting for the first capture"))
      << form_->NoticeText().toStdString();
  for (int tick = 0; tick < 48; ++tick) {
    if (tick % 5 == 0) Receive(*monitor_, b.Bytes(), false, *record, *completed);
    monitor_->HandOver(*completed);
    if (tick % 16 == 0) monitor_->Periodic();
    monitor_->Tick();
    const QString notice = form_->NoticeText();
    ASSERT_TRUE(notice.contains("damaged") && notice.contains("cable")) << tick;
  }
  const QRect box = form_->NoticeRect(form_->NoticeText());
  EXPECT_TRUE(form_->Picture().rect().contains(box));
  EXPECT_EQ(At(box.left() + 2, box.top() + 2), qRgb(0x80, 0, 0));
  // A whole capture ends it, and its picture is drawn.
  Receive(*monitor_, b.Bytes(), true, *record, *completed);
  monitor_->Periodic();
  monitor_->Tick();
  EXPECT_TRUE(form_->NoticeText().isEmpty());
  EXPECT_EQ(At(box.left() + 2, box.top() + 2), qRgb(0, 0, 0));
  EXPECT_EQ(At(form_->View().XOf(36), 225), qRgb(255, 0, 0));
}

// The picture (and so the saved PNG) shows each legend with its curve's colour.
TEST_F(FormMonTest, SavedPictureShowsEachLegendWithItsColour) {
  Feed();
  form_->findChild<QComboBox*>("ComboBoxColorB2")->setCurrentIndex(10);  // 2 RISE in lime
  monitor_->Tick();
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(form_->SavePictureTo(dir.filePath("p.png"), &error)) << error.toStdString();
  const QImage png(dir.filePath("p.png"));
  ASSERT_FALSE(png.isNull());
  const struct {
    const char* box;
    QRgb colour;
  } legends[] = {
      {"ComboBoxColorA1", qRgb(255, 255, 255)}, {"ComboBoxColorA2", qRgb(255, 0, 0)},
      {"ComboBoxColorA3", qRgb(0, 0, 255)},     {"ComboBoxColorB1", qRgb(255, 255, 0)},
      {"ComboBoxColorB2", qRgb(0, 255, 0)},     {"ComboBoxColorB3", qRgb(255, 0, 255)},
      {"ComboBoxColorC1", qRgb(255, 255, 255)}, {"ComboBoxColorC2", qRgb(128, 128, 128)},
      {"ComboBoxColorC3", qRgb(0, 255, 255)},
  };
  for (const auto& l : legends) {
    const QComboBox* box = form_->findChild<QComboBox*>(l.box);
    ASSERT_NE(box, nullptr);
    // The swatch sits where the box is on screen, left of its legend.
    const QPoint centre(box->x() + 9, box->y() + box->height() / 2);
    EXPECT_EQ(png.pixel(centre), l.colour) << l.box;
    EXPECT_EQ(png.pixel(box->x() + box->width() + 2, centre.y()), qRgb(0, 0, 0)) << l.box;
  }
}

TEST_F(FormMonTest, UnsynchronisedViewIsInMillisecondsOnRed) {
  zeda::sim::SimEngine engine(zeda::sim::EngineMode::Steady, 2000);
  const auto memory = zeda::sim::DefaultSimMemory();
  uint8_t cycleCode = 0;
  const auto capture = engine.Capture(0, memory.data(), false, cycleCode);
  monitor_->Core().FeedCapture(zeda::CAPTURE_UNSYNCHRONISED, cycleCode, capture.data(),
                               static_cast<int32_t>(capture.size()));
  monitor_->Periodic();
  monitor_->Tick();
  ASSERT_FALSE(monitor_->Core().Synchronised());
  const zeda::Scene& scene = form_->LastScene();
  ASSERT_GE(scene.speedStep, 0);
  const zeda::DrawStep& speed = scene.steps[static_cast<size_t>(scene.speedStep)];
  EXPECT_STREQ(speed.text, "RPM=0.0 (no synchro)");
  // The box is drawn where the scene put it, on red, in the window's own font.
  const QFontMetrics metrics(form_->font());
  const QRect box(speed.x1, speed.y1, metrics.horizontalAdvance(QString::fromUtf8(speed.text)),
                  metrics.height());
  int red = 0;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) red += At(x, y) == qRgb(255, 0, 0);
  }
  EXPECT_GT(red, box.width() * box.height() / 2);
  int times = 0;
  for (const zeda::DrawStep& st : scene.steps) {
    if (st.kind != zeda::StepKind::Text) continue;
    const std::string text = st.text;
    if (text.size() > 2 && text.substr(text.size() - 2) == "ms") {
      ++times;
      // Every time label stays readable beside the speed box.
      const QRect label(st.x1, st.y1, metrics.horizontalAdvance(QString::fromUtf8(st.text)),
                        metrics.height());
      EXPECT_FALSE(label.intersects(box)) << text;
    }
    EXPECT_EQ(text.find("CH"), std::string::npos);  // no degrees here
  }
  EXPECT_GE(times, 2);  // both channels' ignitions, in ms after the trigger
  // The record (two revolutions, 60 ms) fits between the margins at zoom 1, also in the
  // narrowest window.
  const zeda::EventList& ev = monitor_->Core().Events();
  for (int width : {300, 800, 1600}) {
    form_->resize(width, 400);
    monitor_->Redraw();
    EXPECT_TRUE(form_->View().InsideMargins(form_->View().XOf(ev.items[0].position))) << width;
    EXPECT_TRUE(form_->View().InsideMargins(form_->View().XOf(ev.items[ev.count - 1].position)))
        << width;
  }
  form_->resize(800, 600);
  monitor_->Redraw();
  const QByteArray shot = qgetenv("ZEDA_PICKUP_SHOT_UNSYNC");
  if (!shot.isEmpty()) form_->grab().save(QString::fromLocal8Bit(shot));
}

// An open pickup monitor follows a language switch (the window sends it the change).
TEST_F(FormMonTest, CaptionsFollowALanguageSwitch) {
  const struct {
    int language;
    const char* title;
    const char* pause;
    const char* resume;
    const char* clear;
    const char* red;       // a colour name
    const char* riseEdge;  // a colour box's legend, as a screen reader names the box
  } cases[] = {
      {zeda::kGerman, "PickUp-Monitor", "Pause", "Fortsetzen", "Bemaßung löschen", "Rot",
       "1 STEIGEND"},
      {zeda::kCzech, "Monitor snímačů", "Pozastavit", "Pokračovat", "Smazat kóty", "Červená",
       "1 NÁBĚŽNÁ"},
      {zeda::kEnglish, "PickUp monitor", "Pause", "Continue", "Clear dimensions", "Red", "1 RISE"},
  };
  auto* pause = form_->findChild<QPushButton*>(QStringLiteral("ButtonPause"));
  auto* clear = form_->findChild<QPushButton*>(QStringLiteral("ButtonClearDim"));
  auto* rise = form_->findChild<QComboBox*>(QStringLiteral("ComboBoxColorA2"));
  ASSERT_TRUE(pause && clear && rise);
  ASSERT_EQ(rise->currentIndex(), 9);  // red
  for (const auto& c : cases) {
    zeda::SetCurrentLanguage(c.language);
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(form_, &change);
    EXPECT_EQ(form_->windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(pause->text(), QString::fromUtf8(c.pause));
    EXPECT_EQ(clear->text(), QString::fromUtf8(c.clear));
    EXPECT_EQ(clear->accessibleName(), QString::fromUtf8(c.clear));
    EXPECT_EQ(rise->currentText(), QString::fromUtf8(c.red));
    EXPECT_EQ(rise->currentIndex(), 9) << "the colour chosen stays";
    EXPECT_EQ(rise->count(), 16);
    EXPECT_EQ(rise->accessibleName(), QString::fromUtf8(c.riseEdge));
    pause->click();
    EXPECT_EQ(pause->text(), QString::fromUtf8(c.resume));
    pause->click();
  }
}

TEST(PickupMenu, TheMenuItemSpeaksTheProgramsLanguage) {
  App();
  const struct {
    int language;
    const char* text;
  } cases[] = {{zeda::kEnglish, "Pickup monitor"},
               {zeda::kGerman, "PickUp-Monitor"},
               {zeda::kCzech, "Monitor snímačů"}};
  for (const auto& c : cases) {
    TMainForm::Options o;
    o.listenForHandover = false;
    o.commandLine.language = c.language;
    TMainForm form(o);
    QAction* item = form.findChild<QAction*>("MenuMonPickup");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QString::fromUtf8(c.text));
    EXPECT_FALSE(item->statusTip().isEmpty());
    EXPECT_TRUE(item->isEnabled());
  }
  zeda::SetCurrentLanguage(zeda::kEnglish);
}

// ---- zeda --simulate: the simulator's capture in the window ----

TEST(PickupSimulated, OpeningTheMonitorShowsTheSimulatorsCapture) {
  App();
  qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
  zeda::SetMessageSink([](const zeda::UserMessage&) {});
  TMainForm::Options o;
  o.listenForHandover = false;
  TMainForm form(o);
  form.show();
  constexpr int kRpm = 4321;
  ASSERT_TRUE(form.StartSimulator({"--rpm", QString::number(kRpm)}));
  auto* button = form.findChild<QPushButton*>("ButtonMonPu");
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(WaitFor([&] { return form.DeviceOps().UnitConnected(); }, 30000));
  // The menu item opens it as the button does.
  QAction* item = form.findChild<QAction*>("MenuMonPickup");
  ASSERT_NE(item, nullptr);
  item->trigger();
  CMonPickup* monitor = form.MonPickup();
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(monitor->IsShown());
  ASSERT_TRUE(WaitFor(
      [&] { return monitor->Core().Events().count > 2 && monitor->Core().Speed() > 0; }, 30000));
  const zeda::PickupCore& core = monitor->Core();
  EXPECT_TRUE(core.Synchronised());
  EXPECT_NEAR(core.Speed(), kRpm, kRpm * 0.01);
  // Default preset 7: one lobe on each pick-up, pick-up 1 at 0 degrees, pick-up 2 at 180.
  std::vector<double> rises1, rises2;
  uint32_t last = 0;
  for (int32_t i = 0; i < core.Events().count; ++i) {
    const zeda::PickupEvent& e = core.Events().items[i];
    if (e.flags & zeda::EV_MARKERS) continue;
    if (e.position >= 0 && e.position < 360) {
      if ((e.flags & zeda::EV_PICKUP1) && !(last & zeda::EV_PICKUP1)) rises1.push_back(e.position);
      if ((e.flags & zeda::EV_PICKUP2) && !(last & zeda::EV_PICKUP2)) rises2.push_back(e.position);
    }
    last = e.flags;
  }
  ASSERT_EQ(rises1.size(), 1u);
  EXPECT_NEAR(rises1[0], 0, 0.05);
  ASSERT_EQ(rises2.size(), 1u);
  EXPECT_NEAR(rises2[0], 180, 0.05);
  EXPECT_EQ(zeda::pollMask(), 1);
  EXPECT_TRUE(monitor->Form()->NoticeText().isEmpty());
  // Let a few redraws pass, then keep a picture to look at.
  WaitFor([] { return false; }, 1500);
  const QByteArray shot = qgetenv("ZEDA_PICKUP_SHOT");
  if (!shot.isEmpty()) monitor->Form()->grab().save(QString::fromLocal8Bit(shot));
  // Closing the monitor stops the requests.
  button->click();
  EXPECT_FALSE(monitor->IsShown());
  EXPECT_FALSE(monitor->Core().CaptureWanted());
  EXPECT_TRUE(WaitFor([&] { return !form.DeviceOps().monitorCommands.pickupActive; }, 2000));
  zeda::SetMessageSink(nullptr);
}

// The unit sends damaged captures (zedasim --bad-capture): the window says so, and "Save
// capture" says why there is nothing to save without asking for a name.
TEST(PickupSimulated, DamagedCapturesAreNamedAndNothingIsOfferedForSaving) {
  App();
  qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
  std::vector<std::string> messages;
  zeda::SetMessageSink([&](const zeda::UserMessage& m) { messages.push_back(m.text); });
  TMainForm::Options o;
  o.listenForHandover = false;
  o.commandLine.language = zeda::kEnglish;  // the texts are checked in English
  TMainForm form(o);
  form.show();
  ASSERT_TRUE(form.StartSimulator({"--bad-capture"}));
  ASSERT_TRUE(WaitFor([&] { return form.DeviceOps().UnitConnected(); }, 30000));
  messages.clear();
  form.findChild<QPushButton*>("ButtonMonPu")->click();
  CMonPickup* monitor = form.MonPickup();
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(WaitFor([&] { return monitor->Form()->NoticeText().contains("damaged"); }, 30000))
      << monitor->Form()->NoticeText().toStdString() << " / damaged "
      << form.Link().completedCapture.damagedCount.load() << " / status "
      << static_cast<int>(monitor->Core().Status()) << " / mask " << zeda::pollMask();
  EXPECT_EQ(monitor->Core().Events().count, 0);
  // Still said a while later, with the polling slowed down.
  WaitFor([] { return false; }, 1500);
  EXPECT_TRUE(monitor->Form()->NoticeText().contains("damaged"));
  int asked = 0;
  monitor->Form()->SetPathChooser([&](const QString&, const QString&) {
    ++asked;
    return QString();
  });
  monitor->Form()->findChild<QPushButton*>("ButtonSaveCapture")->click();
  EXPECT_EQ(asked, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("only damaged captures"), std::string::npos) << messages[0];
  const QByteArray shot = qgetenv("ZEDA_PICKUP_SHOT_DAMAGED");
  if (!shot.isEmpty()) monitor->Form()->grab().save(QString::fromLocal8Bit(shot));
  zeda::SetMessageSink(nullptr);
}

}  // namespace
