// The update check in the main window: started by the main tick, quiet against a silent
// server, and the dismissed number kept in application.ini.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/ui/main_form.h"
#include "params/settings.h"
#include "update/ui/patch_form.h"
#include "update/ui/update_check.h"

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_update_ui";
  static char* argv[] = {name, nullptr};
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(10);
  }
  return true;
}

class WindowUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        ++connections_;
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
          s->readAll();
          if (body_.isEmpty()) return;  // silent
          s->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                   QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
          s->disconnectFromHost();
        });
      }
    });
    qputenv("ZEDA_UPDATE_SERVER",
            QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()).toUtf8());
  }
  void TearDown() override {
    form_.reset();
    qputenv("ZEDA_UPDATE_SERVER", "none");
  }

  void MakeForm() {
    TMainForm::Options o;
    o.listenForHandover = false;
    form_ = std::make_unique<TMainForm>(o);
    form_->show();
  }
  QLabel* Panel0() const { return form_->findChild<QLabel*>(QStringLiteral("StatusBar1Panel0")); }

  QTcpServer server_;
  QByteArray body_;
  int connections_ = 0;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(WindowUpdateTest, ASilentServerLeavesTheWindowResponsiveAndEndsQuietly) {
  MakeForm();
  ASSERT_NE(form_->UpdateChecker(), nullptr);
  ASSERT_TRUE(
      WaitFor([&] { return form_->UpdateChecker()->Step() == zeda::PatchStep::Requested; }, 8000));
  EXPECT_EQ(Panel0()->text(), "Trying updates...");
  // The window's timers go on while the server says nothing.
  int beats = 0;
  QTimer heart;
  QObject::connect(&heart, &QTimer::timeout, [&beats] { ++beats; });
  heart.start(50);
  QElapsedTimer t;
  t.start();
  ASSERT_TRUE(
      WaitFor([&] { return form_->UpdateChecker()->Step() == zeda::PatchStep::Downloaded; }, 8000));
  const qint64 took = t.elapsed();
  EXPECT_LT(took, 4000);
  EXPECT_GT(beats, static_cast<int>(took / 50 / 2));
  QTest::qWait(200);
  EXPECT_EQ(form_->UpdateChecker()->Step(), zeda::PatchStep::Downloaded);  // nothing to show
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(connections_, 1);
}

TEST_F(WindowUpdateTest, DismissingKeepsTheNumberInApplicationIniForTheNextStart) {
  body_ =
      "<product class=\"KESTRA2_RACE\" key=\"107\"><recommendation update_number=\"5\">"
      "<english>Five</english></recommendation></product>";
  int shown = 0;
  // The window is modal: answer it when it appears.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&shown] {
    if (auto* f = qobject_cast<TFormPatch*>(QApplication::activeModalWidget())) {
      ++shown;
      f->ButtonPatchCancel1->click();
    }
  });
  answer.start(20);
  MakeForm();
  ASSERT_TRUE(
      WaitFor([&] { return form_->UpdateChecker()->Step() == zeda::PatchStep::Evaluated; }, 10000));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(form_->appSettings.patchDismissed, 5);
  EXPECT_EQ(Panel0()->text(), "");
  QFile ini(QString::fromStdString(zeda::ApplicationIniPath(form_->SettingsFolder())));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains("PatchDismissed=5"));
  ini.close();

  // The next start reads it and stays quiet about update 5.
  form_.reset();
  MakeForm();
  EXPECT_EQ(form_->appSettings.patchDismissed, 5);
  ASSERT_TRUE(
      WaitFor([&] { return form_->UpdateChecker()->Step() == zeda::PatchStep::Evaluated; }, 10000));
  QTest::qWait(100);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(connections_, 2);
}

}  // namespace
