#pragma once
// The once-per-run update check. The main tick drives it (UpdateCheckTick): after about
// 2 s the list is requested from the server; Qt's network layer fetches it without ever
// blocking the window (2000 ms without an answer ends the attempt, the body is capped at
// 10,000,000 bytes); once it has arrived the next tick evaluates it and, when an update the
// user has not dismissed applies to this build, shows TFormPatch. Failures end the check
// silently. The window's side (status panel, settings, desktop, closing) comes in through
// the hooks so that tests can stand in for it. User-interface thread only.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

#include "update/patch_list.h"
#include "update/patch_texts.h"

class QNetworkAccessManager;
class QNetworkReply;
class QWidget;
class TFormPatch;

class UpdateCheck : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<void(const QString&)> setStatusText;  // status-bar panel 0
    std::function<int()> language;
    std::function<int()> dismissedNumber;
    std::function<void(int)> rememberDismissed;  // keeps it and saves the settings
    std::function<bool(const QString&)> openAddress;
    std::function<void(const QString& title, const QString& text)> showMessage;
    std::function<void()> closeMainWindow;
    // Shows the window modally and returns its result (tests answer for the user).
    std::function<int(TFormPatch&)> runDialog;
  };

  // listAddress: the full address of the list; an empty one disables the check.
  UpdateCheck(QWidget* window, QString listAddress, Hooks hooks, QObject* parent = nullptr);
  ~UpdateCheck() override;

  void SetDisabled(bool disabled) { disabled_ = disabled; }
  void SetBuild(zeda::PatchBuild build) { build_ = std::move(build); }

  // One step, from the main tick; tickMs is the tick clock (tick count x 50).
  void UpdateCheckTick(int64_t tickMs);
  // Stops a running download (at shutdown); the check ends.
  void Stop();

  zeda::PatchStep Step() const { return step_; }
  const QByteArray& Body() const { return body_; }
  // The offer of the last evaluation (number 0 when none was made).
  int LastOfferNumber() const { return lastOffer_; }

 private:
  void StartDownload();
  void DownloadFinished();
  void Evaluate();

  QPointer<QWidget> window_;
  QString listAddress_;
  Hooks hooks_;
  zeda::PatchBuild build_;
  bool disabled_ = false;
  zeda::PatchStep step_ = zeda::PatchStep::Idle;
  QByteArray body_;
  bool tooLarge_ = false;
  int lastOffer_ = 0;
  QNetworkAccessManager* net_ = nullptr;
  QPointer<QNetworkReply> reply_;
};
