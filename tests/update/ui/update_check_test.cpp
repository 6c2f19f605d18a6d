// The update check against a local HTTP server: the request, the choice of update, the
// window's buttons and results, and the silent ends.
#include "update/ui/update_check.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWidget>

#include "lang/lang_string.h"
#include "update/patch_texts.h"
#include "update/ui/deferred_close.h"
#include "update/ui/patch_form.h"

namespace {

using zeda::PatchStep;

QApplication* App() {
  static int argc = 1;
  static char name[] = "test_update_ui";
  static char* argv[] = {name, nullptr};
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

// Serves one fixed answer to every GET; a silent server takes the connection and says
// nothing.
class PatchServer : public QObject {
 public:
  explicit PatchServer(QByteArray body, bool silent = false, QByteArray extraHeaders = {})
      : body_(std::move(body)), silent_(silent), extra_(std::move(extraHeaders)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* s = server_.nextPendingConnection()) {
        ++connections;
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
          request += s->readAll();
          if (!request.contains("\r\n\r\n") || silent_) return;
          QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n";
          if (extra_.isEmpty())
            head += "Content-Length: " + QByteArray::number(body_.size()) + "\r\n";
          s->write(head + extra_ + "\r\n" + body_);
          s->disconnectFromHost();
        });
      }
    });
  }
  QString Address() const {
    return QStringLiteral("http://127.0.0.1:%1/old/patch.xml").arg(server_.serverPort());
  }
  QByteArray request;
  int connections = 0;

 private:
  QTcpServer server_;
  QByteArray body_;
  bool silent_;
  QByteArray extra_;
};

QByteArray List(const QByteArray& recommendations) {
  return "<patches><product class=\"KESTRA2_RACE\" key=\"107\">" + recommendations +
         "</product></patches>";
}

const QByteArray kThreeAndFive = List(
    "<recommendation update_number=\"3\" from=\"2023_01_01\"><english>three</english>"
    "</recommendation>"
    "<recommendation update_number=\"5\" from=\"2023_10_19\" to=\"2024_01_01\">"
    "<english>{\\rtf1 Version {\\b five}{\\pict 0102}\\par ready}</english>"
    "<czech>pet</czech><web>https://example.com/news</web>"
    "<download>https://example.com/zeda_setup.exe</download></recommendation>"
    "<recommendation update_number=\"9\" to=\"2023_10_19\"><english>old</english>"
    "</recommendation>");

struct Seen {
  int dialogs = 0;
  QString title, text, downloadCaption;
  bool downloadShown = false, webShown = false;
  QStringList status;
  QStringList opened;
  int dismissed = -1;
  QString messageTitle, messageText;
  int closeRequests = 0;
};

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { zeda::SetCurrentLanguage(zeda::kEnglish); }
  void TearDown() override { zeda::SetCurrentLanguage(zeda::kEnglish); }

  UpdateCheck::Hooks Hooks(int answer, int dismissedBefore = 0) {
    UpdateCheck::Hooks h;
    h.setStatusText = [this](const QString& t) { seen_.status << t; };
    h.dismissedNumber = [dismissedBefore] { return dismissedBefore; };
    h.rememberDismissed = [this](int n) { seen_.dismissed = n; };
    h.openAddress = [this](const QString& a) {
      seen_.opened << a;
      return true;
    };
    h.showMessage = [this](const QString& t, const QString& x) {
      seen_.messageTitle = t;
      seen_.messageText = x;
    };
    h.closeMainWindow = [this] { ++seen_.closeRequests; };
    h.runDialog = [this, answer](TFormPatch& f) {
      ++seen_.dialogs;
      seen_.title = f.windowTitle();
      seen_.text = f.RichEditPatch->toPlainText();
      seen_.downloadCaption = f.ButtonPatchDownload->text();
      seen_.downloadShown = !f.ButtonPatchDownload->isHidden();
      seen_.webShown = !f.ButtonPatchWWW->isHidden();
      return answer;
    };
    return h;
  }

  // Runs the check the way the main tick does, until it has evaluated (or timeoutMs).
  void Drive(UpdateCheck& check, int timeoutMs = 5000) {
    check.UpdateCheckTick(2000);  // not yet: the first 2 s belong to the start-up
    EXPECT_EQ(check.Step(), PatchStep::Idle);
    check.UpdateCheckTick(2050);
    QElapsedTimer t;
    t.start();
    while (check.Step() == PatchStep::Requested && t.elapsed() < timeoutMs) {
      QTest::qWait(10);
    }
    check.UpdateCheckTick(2100);
  }

  QApplication* app_ = App();  // before any widget
  QWidget window_{};
  Seen seen_;
};

TEST_F(UpdateCheckTest, OffersTheNewestApplyingUpdateWithTheExactRequest) {
  PatchServer server(kThreeAndFive);
  zeda::SetCurrentLanguage(zeda::kGerman);  // German takes the English texts and captions
  UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kRemindLater));
  check.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
  Drive(check);
  EXPECT_EQ(check.Step(), PatchStep::Evaluated);
  ASSERT_EQ(seen_.dialogs, 1);
  EXPECT_EQ(check.LastOfferNumber(), 5);
  EXPECT_EQ(seen_.title, "Update");
  EXPECT_EQ(seen_.downloadCaption, "Download update");
  EXPECT_EQ(seen_.text, "Version five\nready");  // RTF as text; the picture dropped
  EXPECT_TRUE(seen_.downloadShown);
  EXPECT_TRUE(seen_.webShown);
  EXPECT_EQ(seen_.status, QStringList({"Trying updates...", ""}));
  EXPECT_EQ(seen_.dismissed, -1);
  EXPECT_TRUE(seen_.opened.isEmpty());
  EXPECT_TRUE(server.request.startsWith("GET /old/patch.xml HTTP/1.1\r\n"))
      << server.request.constData();
  EXPECT_TRUE(server.request.contains(
      "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"));
  EXPECT_TRUE(
      server.request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
  // Once per run: later ticks fetch nothing more.
  for (int i = 0; i < 5; ++i) check.UpdateCheckTick(5000 + i * 50);
  QTest::qWait(50);
  EXPECT_EQ(server.connections, 1);
  EXPECT_EQ(seen_.dialogs, 1);
}

TEST_F(UpdateCheckTest, DismissingRemembersTheNumberWhichIsThenNotShownAgain) {
  PatchServer server(kThreeAndFive);
  {
    UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kDismiss));
    check.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
    Drive(check);
    EXPECT_EQ(seen_.dismissed, 5);
    EXPECT_EQ(seen_.status.last(), "");
  }
  // The next run knows the number: nothing is shown.
  seen_ = Seen{};
  UpdateCheck next(&window_, server.Address(), Hooks(TFormPatch::kDismiss, 5));
  next.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
  Drive(next);
  EXPECT_EQ(next.Step(), PatchStep::Evaluated);
  EXPECT_EQ(seen_.dialogs, 0);
}

TEST_F(UpdateCheckTest, NothingIsShownForUpdateZeroOrABodyWithoutTheProductSection) {
  const QByteArray bodies[] = {
      List("<recommendation update_number=\"0\"><english>zero</english></recommendation>"),
      "<patches><product class=\"OTHER\" key=\"107\"><recommendation update_number=\"8\">"
      "</recommendation></product></patches>",
      "not even xml",
  };
  for (const QByteArray& body : bodies) {
    seen_ = Seen{};
    PatchServer server(body);
    UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kRemindLater));
    Drive(check);
    EXPECT_EQ(check.Step(), PatchStep::Evaluated) << body.constData();
    EXPECT_EQ(seen_.dialogs, 0) << body.constData();
  }
}

TEST_F(UpdateCheckTest, DownloadOpensTheAddressTellsWhatToDoAndAsksToClose) {
  PatchServer server(kThreeAndFive);
  UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kDownload));
  check.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
  Drive(check);
  ASSERT_EQ(seen_.dialogs, 1);
  EXPECT_EQ(seen_.opened, QStringList({"https://example.com/zeda_setup.exe"}));
  EXPECT_EQ(seen_.messageTitle, "Downloading");
  EXPECT_EQ(seen_.messageText, "After downloading run new installer.");
  EXPECT_EQ(seen_.closeRequests, 1);
}

TEST_F(UpdateCheckTest, AddressesThatAreNotWebAddressesAreNeverOpened) {
  PatchServer server(
      List("<recommendation update_number=\"2\"><english>x</english><web>file:///etc/passwd</web>"
           "<download>/usr/bin/xterm</download></recommendation>"));
  UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kDownload));
  check.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
  Drive(check);
  ASSERT_EQ(seen_.dialogs, 1);
  EXPECT_FALSE(seen_.downloadShown);
  EXPECT_FALSE(seen_.webShown);
  EXPECT_TRUE(seen_.opened.isEmpty());
}

TEST_F(UpdateCheckTest, ASilentServerNeitherBlocksTheWindowNorShowsAnything) {
  PatchServer server(kThreeAndFive, /*silent=*/true);
  UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kRemindLater));
  check.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
  // The window's timer keeps running while the check waits for the server.
  int beats = 0;
  QTimer heart;
  QObject::connect(&heart, &QTimer::timeout, [&beats] { ++beats; });
  heart.start(20);
  QElapsedTimer t;
  t.start();
  check.UpdateCheckTick(2050);
  EXPECT_LT(t.elapsed(), 200);  // the request does not wait for anything
  while (check.Step() == PatchStep::Requested && t.elapsed() < 10000) QTest::qWait(10);
  const qint64 took = t.elapsed();
  check.UpdateCheckTick(2100);
  EXPECT_EQ(check.Step(), PatchStep::Downloaded);  // ended, nothing to evaluate
  EXPECT_GE(took, 1500);                           // the 2 s time-out, not an early give-up
  EXPECT_LT(took, 6000);
  EXPECT_GT(beats, static_cast<int>(took / 20 / 2));
  EXPECT_EQ(seen_.dialogs, 0);
  EXPECT_EQ(server.connections, 1);
  EXPECT_EQ(seen_.status, QStringList({"Trying updates..."}));
}

TEST_F(UpdateCheckTest, ABodyAboveTheLimitIsDropped) {
  PatchServer server(kThreeAndFive, false, "Content-Length: 10000001\r\n");
  UpdateCheck check(&window_, server.Address(), Hooks(TFormPatch::kRemindLater));
  check.SetBuild({"KESTRA2_RACE", 107, "2023_10_19"});
  Drive(check);
  EXPECT_EQ(check.Step(), PatchStep::Downloaded);
  EXPECT_TRUE(check.Body().isEmpty());
  EXPECT_EQ(seen_.dialogs, 0);
}

TEST_F(UpdateCheckTest, SuppressedOrWithoutAServerNothingIsRequested) {
  PatchServer server(kThreeAndFive);
  UpdateCheck off(&window_, server.Address(), Hooks(TFormPatch::kRemindLater));
  off.SetDisabled(true);
  UpdateCheck none(&window_, QString(), Hooks(TFormPatch::kRemindLater));
  for (int ms = 2050; ms < 3000; ms += 50) {
    off.UpdateCheckTick(ms);
    none.UpdateCheckTick(ms);
  }
  QTest::qWait(100);
  EXPECT_EQ(off.Step(), PatchStep::Idle);
  EXPECT_EQ(none.Step(), PatchStep::Idle);
  EXPECT_EQ(server.connections, 0);
  EXPECT_TRUE(seen_.status.isEmpty());
}

TEST(PatchFormTest, CzechCaptionsAndTheWebButtonLeavesTheWindowOpen) {
  App();
  QStringList opened;
  TFormPatch::Notice n;
  n.text = QStringLiteral("plain <b>not bold</b>");
  n.web = QStringLiteral("http://example.com/cz");
  TFormPatch form(n, zeda::kCzech, [&opened](const QString& a) {
    opened << a;
    return true;
  });
  form.show();
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Aktualizace"));
  EXPECT_EQ(form.ButtonPatchCancel1->text(),
            QString::fromUtf8("Zpět (nepřipomínej tuto aktualizaci)"));
  EXPECT_EQ(form.RichEditPatch->toPlainText(), "plain <b>not bold</b>");
  EXPECT_TRUE(form.RichEditPatch->isReadOnly());
  EXPECT_TRUE(form.ButtonPatchDownload->isHidden());  // no download address
  QTest::mouseClick(form.ButtonPatchWWW, Qt::LeftButton);
  EXPECT_EQ(opened, QStringList({"http://example.com/cz"}));
  EXPECT_TRUE(form.isVisible());
  QTest::mouseClick(form.ButtonPatchCancel1, Qt::LeftButton);
  EXPECT_EQ(form.result(), TFormPatch::kDismiss);
}

TEST(DeferredCloseTest, WaitsForTheDeviceOperationToEnd) {
  bool busy = true;
  int closes = 0;
  DeferredClose dc([&busy] { return busy; }, [&closes] { ++closes; });
  dc.Request();
  dc.Poll();
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(dc.Pending());
  busy = false;
  dc.Poll();
  EXPECT_EQ(closes, 1);
  dc.Poll();
  EXPECT_EQ(closes, 1);
}

}  // namespace
