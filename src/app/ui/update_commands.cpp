// TMainForm: the archive store opened at start-up, the once-per-run update check and the
// Update menu item.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>
#include <cstdlib>

#include "app/ui/main_form.h"
#include "base/message_box.h"
#include "base/tick_clock.h"
#include "lang/lang_string.h"
#include "link/device_ops.h"
#include "update/patch_texts.h"
#include "update/ui/update_check.h"

namespace {

constexpr const char* kWwwError =
    "###Error by opening www link##Fehler beim öffnen der www Link##Chyba při otevírání www "
    "odkazu";

// ZEDA_UPDATE_SERVER overrides the settings' server (tests turn the check off with it:
// anything that is not an http(s) address disables it).
std::string UpdateServer(const std::string& fromSettings) {
  if (const char* env = std::getenv("ZEDA_UPDATE_SERVER")) return env[0] ? env : "none";
  return fromSettings;
}

}  // namespace

void TMainForm::OpenArchiveStore() {
  archiveStore_.OpenStore(QCoreApplication::applicationFilePath().toStdString());
  if (archiveStore_.Empty()) {
    archiveStore_.RunStoreCommand("IMPORT \"" + zeda::ZevudImportFolder() + "\" \"\"");
  }
}

bool TMainForm::DeviceOperationRunning() const { return deviceOps_ && deviceOps_->Busy(); }

bool TMainForm::OpenAddress(const QString& address) {
  // Only web addresses ever reach the desktop.
  bool ok = false;
  if (zeda::IsOpenableWebAddress(address.toStdString())) {
    ok = addressOpener_ ? addressOpener_(address) : QDesktopServices::openUrl(QUrl(address));
  }
  if (!ok) {
    const std::string text =
        std::string(zeda::LangText(kWwwError)) + " " + address.toStdString() + " !";
    zeda::ShowMessage(text, "", zeda::MessageKind::Error);
  }
  return ok;
}

QString TMainForm::WebPageAddress(const char* page) const {
  // The maker's server, or the one the settings name; English and German share a page.
  const std::string server = zeda::IsOpenableWebAddress(appSettings.updateServer)
                                 ? appSettings.updateServer
                                 : std::string(zeda::kPatchDefaultServer);
  const char* lang = zeda::CurrentLanguage() == zeda::kCzech ? "/cz/stahnout/" : "/en/stahnout/";
  return QString::fromStdString(server) + QString::fromLatin1(lang) + QString::fromLatin1(page);
}

void TMainForm::MenuUpdateClick() { OpenAddress(WebPageAddress("upload")); }

void TMainForm::MenuContensClick() { OpenAddress(WebPageAddress("manuals")); }

void TMainForm::StartUpdateCheck() {
  UpdateCheck::Hooks hooks;
  hooks.setStatusText = [this](const QString& t) { statusPanels_[0]->setText(t); };
  hooks.language = [] { return zeda::CurrentLanguage(); };
  hooks.dismissedNumber = [this] { return appSettings.patchDismissed; };
  hooks.rememberDismissed = [this](int number) {
    // The button promises not to remind again: kept in application.ini.
    appSettings.patchDismissed = number;
    SaveAppSettings();
  };
  hooks.openAddress = [this](const QString& a) { return OpenAddress(a); };
  hooks.closeMainWindow = [this] { closeWhenIdle_.Request(); };
  const std::string list = zeda::PatchListAddress(UpdateServer(appSettings.updateServer));
  updateCheck_ = new UpdateCheck(this, QString::fromStdString(list), std::move(hooks), this);
  updateCheck_->SetDisabled(updateCheckSuppressed_);
}

void TMainForm::UpdateCheckStep() {
  if (updateCheck_) updateCheck_->UpdateCheckTick(zeda::tickMs());
  closeWhenIdle_.Poll();
}
