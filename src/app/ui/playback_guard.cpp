// What a playback may not do. During a playback the window shows a recorded unit and the
// recording's settings in place of the user's own document, which waits aside until Stop.
// Saving would write the recording over the user's file, opening or starting anew would
// replace a document the user cannot see, and the device commands would reach the real
// unit with recorded settings: each is refused with a status text that says why.
//
// Main (UI) thread.
#include "app/ui/main_form.h"
#include "base/status_sink.h"
#include "monitor/monitor_player.h"
#include "monitor/ui/player_box.h"

namespace {

constexpr char kRefusedText[] =
    "###A recording is being played back: the window shows its settings, not yours. Stop "
    "the player first."
    "##Eine Aufzeichnung wird abgespielt: das Fenster zeigt deren Einstellungen, nicht Ihre. "
    "Halten Sie zuerst den Player an."
    "##Přehrává se záznam: okno ukazuje jeho nastavení, ne vaše. Nejprve zastavte "
    "přehrávač.";
// Long enough to be read after looking away from the screen.
constexpr int32_t kRefusedShownMs = 10000;

}  // namespace

bool TMainForm::RefusedDuringPlayback() {
  if (!PlaybackActive()) return false;
  statusSlots_.ShowStatus(zeda::StatusSlot::kResult, kRefusedText, kRefusedShownMs,
                          zeda::kColourBlack, zeda::kColourYellow, zeda::kPriorityNormal);
  return true;
}

void TMainForm::EndPlayback() {
  if (!PlaybackActive()) return;
  if (playerBox_) playerBox_->SetRecording(nullptr);
  player_->Stop();
  ShowPlayerState();
}
