#include "update/ui/update_check.h"

#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QWidget>

#include "lang/lang_string.h"
#include "update/ui/patch_form.h"

UpdateCheck::UpdateCheck(QWidget* window, QString listAddress, Hooks hooks, QObject* parent)
    : QObject(parent),
      window_(window),
      listAddress_(std::move(listAddress)),
      hooks_(std::move(hooks)),
      build_(zeda::ThisPatchBuild()) {
  setObjectName(QStringLiteral("HTTP_Download"));
}

UpdateCheck::~UpdateCheck() { Stop(); }

void UpdateCheck::UpdateCheckTick(int64_t tickMs) {
  using zeda::PatchStep;
  if (step_ == PatchStep::Idle) {
    if (tickMs <= zeda::kPatchStartAfterMs || disabled_ || listAddress_.isEmpty()) return;
    if (hooks_.setStatusText)
      hooks_.setStatusText(QString::fromUtf8(zeda::LangText(zeda::kPatchTrying)));
    step_ = PatchStep::Requested;
    StartDownload();
    return;
  }
  if (step_ == PatchStep::Downloaded && !body_.isEmpty()) {
    step_ = PatchStep::Evaluated;
    Evaluate();
  }
}

void UpdateCheck::StartDownload() {
  net_ = new QNetworkAccessManager(this);
  QNetworkRequest request{QUrl(listAddress_)};
  request.setRawHeader("Accept", zeda::kPatchAccept);
  request.setRawHeader("User-Agent", zeda::kPatchUserAgent);
  // No answer for 2 s ends the attempt: a server that takes the connection and then says
  // nothing is given up as soon as one that never answers.
  request.setTransferTimeout(zeda::kPatchConnectTimeoutMs);
  reply_ = net_->get(request);
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > zeda::kPatchMaxBody) {
      tooLarge_ = true;
      // Not from inside the reply's own signal: it ends once this has returned.
      QMetaObject::invokeMethod(reply_, &QNetworkReply::abort, Qt::QueuedConnection);
    }
  });
  connect(reply_, &QNetworkReply::readyRead, this, [this] {
    if (tooLarge_) return;
    const QByteArray chunk = reply_->readAll();
    if (body_.size() + chunk.size() > zeda::kPatchMaxBody) {
      tooLarge_ = true;
      body_.clear();
      QMetaObject::invokeMethod(reply_, &QNetworkReply::abort, Qt::QueuedConnection);
      return;
    }
    body_ += chunk;
  });
  connect(reply_, &QNetworkReply::finished, this, &UpdateCheck::DownloadFinished);
}

void UpdateCheck::DownloadFinished() {
  if (!reply_) return;
  if (!tooLarge_ && reply_->isOpen()) {
    const QByteArray rest = reply_->readAll();
    if (body_.size() + rest.size() > zeda::kPatchMaxBody) {
      tooLarge_ = true;
    } else {
      body_ += rest;
    }
  }
  // Any failure is silent: nothing is evaluated and the status text stays.
  if (reply_->error() != QNetworkReply::NoError || tooLarge_) body_.clear();
  reply_->deleteLater();
  reply_ = nullptr;
  // The client is released at once, so the list is fetched at most once per run.
  net_->deleteLater();
  net_ = nullptr;
  step_ = zeda::PatchStep::Downloaded;
}

void UpdateCheck::Stop() {
  if (reply_) {
    disconnect(reply_, nullptr, this, nullptr);
    reply_->abort();
    reply_->deleteLater();
    reply_ = nullptr;
  }
  if (net_) {
    net_->deleteLater();
    net_ = nullptr;
  }
  if (step_ == zeda::PatchStep::Requested) step_ = zeda::PatchStep::Downloaded;
}

void UpdateCheck::Evaluate() {
  const int language = hooks_.language ? hooks_.language() : zeda::CurrentLanguage();
  const std::string body(body_.constData(), static_cast<size_t>(body_.size()));
  const auto offer = zeda::EvaluatePatchList(body, build_, language);
  if (!offer) return;
  lastOffer_ = offer->number;
  const int dismissed = hooks_.dismissedNumber ? hooks_.dismissedNumber() : 0;
  if (!zeda::PatchWanted(*offer, dismissed)) return;

  TFormPatch::Notice notice;
  notice.text = QString::fromStdString(zeda::PatchTextToUtf8(offer->text));
  notice.rtf = offer->rtf;
  notice.web = QString::fromStdString(zeda::PatchTextToUtf8(offer->web));
  notice.download = QString::fromStdString(zeda::PatchTextToUtf8(offer->download));
  TFormPatch form(notice, language, hooks_.openAddress, window_);
  if (window_) {
    // Centred on the main window.
    const QRect w = window_->frameGeometry();
    form.move(w.center() - QPoint(form.width() / 2, form.height() / 2));
  }
  const int result = hooks_.runDialog ? hooks_.runDialog(form) : form.exec();
  switch (result) {
    case TFormPatch::kDismiss:
      if (hooks_.rememberDismissed) hooks_.rememberDismissed(offer->number);
      break;
    case TFormPatch::kDownload: {
      if (zeda::IsOpenableWebAddress(offer->download) && hooks_.openAddress)
        hooks_.openAddress(notice.download);
      const QString title = QString::fromUtf8(zeda::LangText(zeda::kPatchDownloadingTitle));
      const QString text =
          QString::fromUtf8(zeda::LangText(zeda::PatchDownloadMessage(offer->download)));
      if (hooks_.showMessage) {
        hooks_.showMessage(title, text);
      } else {
        QMessageBox::information(window_, title, text);
      }
      if (hooks_.closeMainWindow) hooks_.closeMainWindow();
      break;
    }
    default:
      break;
  }
  if (hooks_.setStatusText) hooks_.setStatusText(QString());
}
