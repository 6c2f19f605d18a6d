#pragma once
// The monitor recorder and player: records a period of work (monitor frames, parameter
// changes, the unit image, the page shown) into a .ignlog and plays it back in real time
// through its host, as if the unit were connected.
//
// States: idle, recording, playing, paused. The window owns one and drives it from the
// user-interface thread (buttons, the position bar, the main tick); zedactl uses the same
// class to read recordings. Clocks are passed in (milliseconds), so tests run it by hand:
// record times and playback pacing take a steady clock (SteadyClockMs), which a step of
// the wall clock does not move; the wall clock gives only the recording's start.
#include <cstdint>
#include <string>

#include "monitor/ignlog_reader.h"
#include "monitor/ignlog_writer.h"

namespace zeda {

// Milliseconds of a monotonic clock (any origin): record stamps and playback pacing.
int64_t SteadyClockMs();

// "The recording cannot be saved in <path> (<why>). Choose another file for it." in the
// current language.
std::string RecordingNotSavedText(const std::string& path, const std::string& why);

enum PlayerState : int {
  kPlayerIdle = 0,
  kPlayerRecording = 1,
  kPlayerPlaying = 2,
  kPlayerRecordingPaused = 5,  // reserved; no control reaches it
  kPlayerPaused = 6,
};

// What playback does to the rest of the program.
class PlayerHost {
 public:
  virtual ~PlayerHost() = default;
  // A playback starts / ends: the host puts the user's own document aside and stops every
  // device operation / brings the document back.
  virtual void PlaybackStarted() = 0;
  virtual void PlaybackEnded() = 0;
  virtual void PlayParameters(const uint8_t* image) = 0;  // 1050 bytes
  virtual void PlayUnitImage(const uint8_t* image) = 0;   // 1050 bytes
  // A whole monitor block (151 positions) and the wall-clock time the record was taken
  // (ms since 1970). A record holds positions 0-149; position 150, the unit's major
  // program version, is not recorded and is given as the recording's unit key, which the
  // player has checked against the program's.
  virtual void PlayMonitor(const uint8_t* block, int64_t recordedUnixMs) = 0;
  // The page index (0-9) and the 50 table ids and sheet indexes.
  virtual void PlayPageState(int page, const uint8_t* tableIds, const uint8_t* sheets) = 0;
};

// The snapshot written when a recording starts.
struct RecordingSnapshot {
  int comPort = 0;
  std::string unitDescription;
  const uint8_t* params = nullptr;     // 1050 bytes
  const uint8_t* unitImage = nullptr;  // 1050 bytes, or null when no unit image is held
  int page = 0;
  uint8_t tableIds[kPageStateTables] = {};
  uint8_t sheets[kPageStateTables] = {};
};

// How a recording entry point ended: a limit or a journal that cannot be written stops the
// recording (the file is written when it can be); StopText() then says what happened.
enum class RecordOutcome { Ok, Ignored, StoppedAtLimit, StoppedOnError };

struct PlayerControls {
  bool record = false, play = false, pause = false, stop = false;
  bool barShown = false;
  int barMaximum = 0;
  int barPosition = 0;
  bool posShown = false, fileShown = false, deviceShown = false;
  std::string posText;
  std::string fileText;
};

class MonitorPlayer {
 public:
  explicit MonitorPlayer(PlayerHost& host) : host_(host) {}
  MonitorPlayer(const MonitorPlayer&) = delete;
  MonitorPlayer& operator=(const MonitorPlayer&) = delete;

  int State() const { return state_; }
  // A playback (playing or paused) counts as a live monitor.
  bool PlaybackLive() const { return (state_ & 3) == kPlayerPlaying; }
  bool Recording() const { return state_ == kPlayerRecording; }

  // ---- Recording ----
  // In the idle state: starts a recording for `path`, journaled at journalPath, with the
  // snapshot records. The file is created at once (an existing one is kept until Stop
  // replaces it), so a recording that could never be saved does not start. False (and
  // idle, *error saying what happened and what to do) when the file or the journal cannot
  // be created.
  bool StartRecording(const std::string& path, const std::string& journalPath,
                      const IgnlogStartInfo& info, const RecordingSnapshot& snapshot, int64_t nowMs,
                      std::string* error = nullptr);
  RecordOutcome RecordMonitor(const uint8_t* block, int64_t nowMs);  // positions 0-149
  RecordOutcome RecordParameters(const uint8_t* image, int64_t nowMs);
  RecordOutcome RecordPageState(int page, const uint8_t* tableIds, const uint8_t* sheets,
                                int64_t nowMs);
  // The journal reaches the disk at least once a second; a disk that refuses it stops the
  // recording (StoppedOnError).
  RecordOutcome SyncJournal(int64_t nowMs);
  // Why the last recording stopped by itself ("" when it did not): the limit or the
  // journal's error, and whether and where it was saved.
  const std::string& StopText() const { return stopText_; }
  // A recording whose file could not be written at Stop: its bytes, until taken (to save
  // them elsewhere), and its journal, which is kept until they are saved.
  bool HasUnsaved() const { return !unsaved_.empty(); }
  std::string TakeUnsaved() { return std::move(unsaved_); }
  const std::string& JournalPath() const { return journal_.Path(); }

  // ---- Playback ----
  // In the idle state: plays `file` (read by ReadIgnlogFile). False with *error set to
  // "RS keys are not equal (%i!=%i)" for a recording of another unit type.
  bool StartPlayback(IgnlogFile file, const std::string& path, int64_t nowMs, std::string* error);
  // Play in the paused state: from the end it restarts at the snapshot.
  void Resume(int64_t nowMs);
  void Pause(int64_t nowMs);
  void Tick(int64_t nowMs);
  // The position bar moved by the user.
  void SetPosition(int position);
  int Position() const { return position_; }
  int PlaybackLength() const { return file_.count - file_.initial + 1; }
  const IgnlogFile& File() const { return file_; }

  // ---- Both ----
  // Recording: writes the file (false with *error when it cannot be written; the journal
  // then stays for recovery). Playback: the host takes back the user's document.
  bool Stop(std::string* error = nullptr);

  PlayerControls Controls(int64_t nowMs) const;
  // The local time of the last played record, "" before any.
  std::string TimeStampText() const;

 private:
  RecordOutcome Append(int type, const uint8_t* payload, int length, int64_t nowMs);
  // Stops the recording on its own: `why` and the outcome of writing the file.
  void StopWith(const std::string& why);
  void PlayRecord(int k);

  PlayerHost& host_;
  int state_ = kPlayerIdle;
  std::string path_;
  // Recording
  IgnlogRecorder recorder_;
  IgnlogJournal journal_;
  int64_t startClock_ = 0;
  uint8_t lastPageState_[kPageStateRecordLength - kRecordHead] = {};
  std::string stopText_;
  std::string unsaved_;
  // Playback
  IgnlogFile file_;
  int position_ = 0;
  int64_t lastAdvance_ = 0;
  int64_t pauseClock_ = 0;
  int64_t baseTime_ = 0;
  bool stampShown_ = false;
  int64_t stampMs_ = 0;  // wall-clock ms of the last played record
};

}  // namespace zeda
