#pragma once
// TFormPatch: the window that offers a published update. It shows the notice (RTF turned
// into plain rich text, or plain text) read-only, and ends with the button's result:
// download, remind later or don't remind. Addresses reach the desktop only through the
// opener and only when they are http(s) web addresses; otherwise their button is hidden.
// User-interface thread only.
#include <QDialog>
#include <functional>

class QPushButton;
class QTextBrowser;

class TFormPatch : public QDialog {
  Q_OBJECT

 public:
  enum Result : int { kNone = 0, kDownload = 1, kRemindLater = 2, kDismiss = 3 };
  using UrlOpener = std::function<bool(const QString& address)>;

  struct Notice {
    QString text;  // UTF-8 decoded
    bool rtf = false;
    QString web;
    QString download;
  };

  TFormPatch(const Notice& notice, int language, UrlOpener opener, QWidget* parent = nullptr);

  QTextBrowser* RichEditPatch = nullptr;
  QPushButton* ButtonPatchDownload = nullptr;
  QPushButton* ButtonPatchWWW = nullptr;
  QPushButton* ButtonPatchCancel1 = nullptr;
  QPushButton* ButtonPatchCancel = nullptr;

  void ButtonPatchWWWClick();

 private:
  QString web_;
  UrlOpener opener_;
};
