#include "update/ui/patch_form.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "update/patch_texts.h"
#include "update/rtf_text.h"

TFormPatch::TFormPatch(const Notice& notice, int language, UrlOpener opener, QWidget* parent)
    : QDialog(parent), opener_(std::move(opener)) {
  setObjectName(QStringLiteral("FormPatch"));
  const zeda::PatchCaptions& c = zeda::PatchCaptionsFor(language);
  setWindowTitle(QString::fromUtf8(c.window));

  RichEditPatch = new QTextBrowser(this);
  RichEditPatch->setObjectName(QStringLiteral("RichEditPatch"));
  RichEditPatch->setReadOnly(true);
  // Links in a notice are text: nothing is followed or fetched from it.
  RichEditPatch->setOpenLinks(false);
  RichEditPatch->setOpenExternalLinks(false);
  const std::string text = notice.text.toStdString();
  if (notice.rtf) {
    RichEditPatch->setHtml(QString::fromStdString(zeda::RtfToRichText(text)));
  } else {
    RichEditPatch->setPlainText(notice.text);
  }

  auto makeButton = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  ButtonPatchDownload = makeButton("ButtonPatchDownload", c.download);
  ButtonPatchWWW = makeButton("ButtonPatchWWW", c.web);
  ButtonPatchCancel1 = makeButton("ButtonPatchCancel1", c.dismiss);
  ButtonPatchCancel = makeButton("ButtonPatchCancel", c.later);

  web_ = notice.web;
  const bool webOk = zeda::IsOpenableWebAddress(notice.web.toStdString());
  const bool downloadOk = zeda::IsOpenableWebAddress(notice.download.toStdString());
  ButtonPatchWWW->setVisible(webOk);
  ButtonPatchDownload->setVisible(downloadOk);

  connect(ButtonPatchDownload, &QPushButton::clicked, this, [this] { done(kDownload); });
  connect(ButtonPatchCancel, &QPushButton::clicked, this, [this] { done(kRemindLater); });
  connect(ButtonPatchCancel1, &QPushButton::clicked, this, [this] { done(kDismiss); });
  connect(ButtonPatchWWW, &QPushButton::clicked, this, &TFormPatch::ButtonPatchWWWClick);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(RichEditPatch, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(ButtonPatchDownload);
  row->addWidget(ButtonPatchWWW);
  row->addStretch(1);
  row->addWidget(ButtonPatchCancel1);
  row->addWidget(ButtonPatchCancel);
  layout->addLayout(row);
  resize(620, 380);
}

void TFormPatch::ButtonPatchWWWClick() {
  // The window stays open; the button is there only for an http(s) address.
  if (opener_ && zeda::IsOpenableWebAddress(web_.toStdString())) opener_(web_);
}
