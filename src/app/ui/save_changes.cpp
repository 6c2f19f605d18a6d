// Keeping the user's edits: the "Save changes?" question before the parameters are
// replaced or the program ends, and F2 saving straight to the current file. Main (UI)
// thread.
#include <QMessageBox>

#include "app/ui/main_form.h"
#include "base/identity.h"
#include "lang/lang_string.h"
#include "params/file_commands.h"

namespace {

constexpr char kSaveChangesText[] =
    "###The parameters differ from the file %1.\nSave changes?"
    "##Die Parameter weichen von der Datei %1 ab.\nÄnderungen speichern?"
    "##Parametry se liší od souboru %1.\nUložit změny?";

}  // namespace

bool TMainForm::UnsavedChanges() {
  // Without a current file the parameters are kept with the settings (default.ini), so
  // nothing is lost; with one, the file is what the user will come back to.
  if (currentFileName.isEmpty()) return false;
  imageBuffers.UpdateFileMatches();
  return !imageBuffers.fileMatches;
}

bool TMainForm::ConfirmDiscardChanges() {
  if (!UnsavedChanges()) return true;
  const QString text = QString::fromUtf8(zeda::LangText(kSaveChangesText)).arg(currentFileName);
  const int button =
      saveChangesAsker_
          ? saveChangesAsker_(text)
          : QMessageBox::question(this, QString::fromUtf8(zeda::kProductText), text,
                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                  QMessageBox::Save);
  if (button == QMessageBox::Discard) return true;
  if (button != QMessageBox::Save) return false;
  SaveCurrentCommand();
  // A save that failed has said why; the parameters stay.
  return !UnsavedChanges();
}

void TMainForm::SaveCurrentCommand() {
  if (RefusedDuringPlayback()) return;  // the recording's settings are not the user's
  if (currentFileName.isEmpty()) {
    SaveCommand(false);
    return;
  }
  SaveTo(currentFileName);
}
