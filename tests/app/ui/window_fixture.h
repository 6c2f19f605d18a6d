#pragma once
// Test support for the main window with the built-in simulated unit: the application,
// waiting on the event loop, screenshots on request, and a fixture with private settings,
// a file chooser that answers from a list and a message sink that records.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <memory>

#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "lang/lang_string.h"
#include "params/defaults.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_fields.h"

namespace window_test {

inline QApplication* App() {
  static int argc = 1;
  static char name[] = "test_app_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

inline bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// Saves what the window shows when ZEDA_SHOT_DIR names a folder (for looking at by eye).
inline void Shot(QWidget& w, const char* name) {
  const QString dir = qEnvironmentVariable("ZEDA_SHOT_DIR");
  if (dir.isEmpty()) return;
  // Let layouts take texts changed just before (a language switch) as a user would see them.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  w.grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

inline constexpr char kIdentical[] = "Unit and PC settings are identical";
inline constexpr char kDifferent[] = "Unit and PC settings are different";

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    zeda::SetCurrentLanguage(zeda::kEnglish);
    zeda::SetMessageSink([this](const zeda::UserMessage& m) { messages_.push_back(m); });
    ASSERT_TRUE(files_.isValid());
    savedSettingsDir_ = qgetenv("ZEDA_SETTINGS_DIR");
    qputenv("ZEDA_SETTINGS_DIR", settings_.path().toLocal8Bit());
    qputenv("ZEDA_SIM_PATH", ZEDA_SIM_PATH);
    // Each simulated unit adds its port to ZEDA_PORTS; an earlier test's stale one must not
    // be searched first.
    savedPorts_ = qgetenv("ZEDA_PORTS");
  }
  void TearDown() override {
    qputenv("ZEDA_SETTINGS_DIR", savedSettingsDir_);
    qputenv("ZEDA_PORTS", savedPorts_);
    zeda::SetMessageSink(nullptr);
    zeda::SetCurrentLanguage(zeda::kEnglish);
  }
  std::unique_ptr<TMainForm> MakeForm() {
    TMainForm::Options o;
    o.listenForHandover = false;
    auto form = std::make_unique<TMainForm>(o);
    form->SetFileChooser([this](const TMainForm::FileDialogRequest&) {
      return answers_.isEmpty() ? QString() : answers_.takeFirst();
    });
    form->SetQuestionAsker([](const QString&) { return int(QMessageBox::Yes); });
    form->SetSaveChangesAsker([this](const QString&) {
      ++saveQuestions_;
      return saveAnswer_;
    });
    return form;
  }
  // The window at a laptop's size, shown, with page `page` in front.
  std::unique_ptr<TMainForm> MakeShownFormAt(int page) {
    auto form = MakeForm();
    form->resize(1366, 768);
    form->show();
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(page);
    return form;
  }
  QString WriteIgn(const QString& name, const zeda::ParamImage& img) {
    const QString p = files_.filePath(name);
    std::ofstream(p.toStdString(), std::ios::binary) << zeda::FormatIgnFile(img);
    return p;
  }
  static QLabel* Label(QObject& f, const char* name) {
    return f.findChild<QLabel*>(QString::fromLatin1(name));
  }
  static QString Congruence(TMainForm& f) {
    QLabel* l = Label(f, "LabelCongruence");
    return l->isVisibleTo(&f) ? l->text() : QString();
  }

  // Starts the window's simulated unit behind a link of this test's own (files/unit) and
  // makes that link the port COM240. A unit that is killed leaves a pty name that another
  // program on the machine may take at once; removing the link keeps the window from
  // reaching that stranger.
  bool StartLinkedSimulator(TMainForm& form, QStringList args = {}) {
    args << "--link" << UnitLink();
    if (!form.StartSimulator(args)) return false;
    qputenv("ZEDA_PORTS", ("COM240=" + UnitLink()).toLocal8Bit());
    return true;
  }
  // Kills the window's simulated unit and removes its link.
  void KillLinkedSimulator(TMainForm& form) {
    if (auto* sim = form.findChild<QProcess*>(QStringLiteral("Simulator"))) {
      sim->kill();
      sim->waitForFinished(2000);
    }
    QFile::remove(UnitLink());
  }
  QString UnitLink() const { return files_.filePath("unit"); }

  QTemporaryDir files_;
  QTemporaryDir settings_;
  QByteArray savedSettingsDir_;
  QByteArray savedPorts_;
  QStringList answers_;
  // "Save changes?": the answer given and how often it was asked.
  int saveAnswer_ = QMessageBox::Discard;
  int saveQuestions_ = 0;
  std::vector<zeda::UserMessage> messages_;
};

// An image that differs from the defaults in one harmless field.
inline zeda::ParamImage OtherImage() {
  zeda::ParamImage img = zeda::StartImage();
  const int base = zeda::ReadShown(img, zeda::Field(zeda::FieldId::BASE_ADV), 0);
  zeda::WriteShown(img, zeda::Field(zeda::FieldId::BASE_ADV), 0, base == 12 ? 14 : 12);
  zeda::NormalizeParams(img);
  return img;
}

// Starts a simulated unit of its own (not the window's) and returns its pty path, empty
// when it did not start.
inline QString StartOwnSimulator(QProcess& sim, const QStringList& args) {
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim.start(QStringLiteral(ZEDA_SIM_PATH), args);
  QByteArray line;
  for (int i = 0; i < 100 && !line.contains('\n'); ++i) {
    if (!sim.waitForReadyRead(100) && sim.state() != QProcess::Running) break;
    line += sim.readLine();
  }
  return QString::fromLocal8Bit(line).trimmed();
}

}  // namespace window_test
