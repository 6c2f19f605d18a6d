#include "monitor/monitor_player.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "base/identity.h"
#include "lang/lang_string.h"
#include "params/atomic_file.h"
#include "params/param_image.h"

namespace zeda {

namespace {

constexpr int kMonitorPayload = kMonitorRecordLength - kRecordHead;
constexpr int kPagePayload = kPageStateRecordLength - kRecordHead;

const char kLimitRecords[] =
    "###The recording stopped at its limit of 6000 records.##"
    "Die Aufnahme endete an ihrer Grenze von 6000 Datensätzen.##"
    "Záznam skončil na svém limitu 6000 záznamů.";
const char kLimitBytes[] =
    "###The recording stopped at its limit of 2000000 bytes.##"
    "Die Aufnahme endete an ihrer Grenze von 2000000 Bytes.##"
    "Záznam skončil na svém limitu 2000000 bajtů.";
const char kJournalFailed[] =
    "###The recording stopped: its journal cannot be written##"
    "Die Aufnahme wurde beendet: ihr Journal kann nicht geschrieben werden##"
    "Záznam byl zastaven: jeho žurnál nelze zapsat";
const char kSavedIn[] = "###It is saved in##Sie ist gespeichert in##Je uložen v";
const char kGoOn[] =
    "###Start a new recording to go on.##"
    "Starten Sie eine neue Aufnahme, um weiterzumachen.##"
    "Pro pokračování spusťte nový záznam.";
const char kNotSaved[] =
    "###The recording cannot be saved in##"
    "Die Aufnahme kann nicht gespeichert werden in##"
    "Záznam nelze uložit do";
const char kChooseOther[] =
    "###Choose another file for it.##"
    "Wählen Sie eine andere Datei dafür.##"
    "Zvolte pro něj jiný soubor.";
const char kTargetFailed[] =
    "###The recording cannot be started: the file cannot be created##"
    "Die Aufnahme kann nicht beginnen: die Datei kann nicht angelegt werden##"
    "Záznam nelze spustit: soubor nelze vytvořit";
const char kChooseWritable[] =
    "###Choose a folder you can write to.##"
    "Wählen Sie einen Ordner, in den Sie schreiben dürfen.##"
    "Zvolte složku, do které lze zapisovat.";
const char kJournalNotCreated[] =
    "###The recording cannot be started: its journal cannot be created##"
    "Die Aufnahme kann nicht beginnen: ihr Journal kann nicht angelegt werden##"
    "Záznam nelze spustit: jeho žurnál nelze vytvořit";
const char kCheckSpace[] =
    "###Check the free space in the settings folder.##"
    "Prüfen Sie den freien Platz im Einstellungsordner.##"
    "Zkontrolujte volné místo ve složce nastavení.";

// "<what> <path> (<why>). <advice>"
std::string Sentence(const char* what, const std::string& path, const std::string& why,
                     const char* advice) {
  return std::string(LangText(what)) + " " + path + " (" + why + "). " + LangText(advice);
}

// The target is created now, not at Stop: a folder that is gone or read-only refuses the
// recording before anything is recorded. An existing file is not cut: Stop replaces it.
bool CreateTarget(const std::string& path, std::string* why) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  close(fd);
  return true;
}

}  // namespace

std::string RecordingNotSavedText(const std::string& path, const std::string& why) {
  return Sentence(kNotSaved, path, why, kChooseOther);
}

int64_t SteadyClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool MonitorPlayer::StartRecording(const std::string& path, const std::string& journalPath,
                                   const IgnlogStartInfo& info, const RecordingSnapshot& snapshot,
                                   int64_t nowMs, std::string* error) {
  if (state_ != kPlayerIdle) return false;
  std::string why;
  if (!CreateTarget(path, &why)) {
    if (error) *error = Sentence(kTargetFailed, path, why, kChooseWritable);
    return false;
  }
  recorder_.Begin(info);
  stopText_.clear();
  unsaved_.clear();
  startClock_ = nowMs;
  uint8_t connection[kConnectionRecordLength - kRecordHead] = {};
  connection[0] = static_cast<uint8_t>(snapshot.comPort);
  std::memcpy(connection + 1, snapshot.unitDescription.data(),
              std::min<std::size_t>(snapshot.unitDescription.size(), kConnectionTextBytes));
  recorder_.Append(kRecordConnection, 0, connection, sizeof connection);
  recorder_.Append(kRecordParameters, 0, snapshot.params, PARAM_IMAGE_SIZE);
  if (snapshot.unitImage)
    recorder_.Append(kRecordUnitImage, 0, snapshot.unitImage, PARAM_IMAGE_SIZE);
  uint8_t page[kPagePayload] = {};
  page[0] = static_cast<uint8_t>(snapshot.page);
  std::memcpy(page + kPageStateTableIds - kRecordHead, snapshot.tableIds, kPageStateTables);
  std::memcpy(page + kPageStateSheets - kRecordHead, snapshot.sheets, kPageStateTables);
  recorder_.Append(kRecordPageState, 0, page, kPagePayload);
  std::memcpy(lastPageState_, page, kPagePayload);
  recorder_.MarkInitial();
  if (!journal_.Open(journalPath, path, recorder_, nowMs, &why)) {
    if (error) *error = Sentence(kJournalNotCreated, journalPath, why, kCheckSpace);
    recorder_ = IgnlogRecorder{};
    return false;
  }
  path_ = path;
  state_ = kPlayerRecording;
  return true;
}

void MonitorPlayer::StopWith(const std::string& why) {
  std::string error;
  if (Stop(&error))
    stopText_ = why + " " + LangText(kSavedIn) + " " + path_ + ". " + LangText(kGoOn);
  else
    stopText_ = why + " " + error;
}

RecordOutcome MonitorPlayer::Append(int type, const uint8_t* payload, int length, int64_t nowMs) {
  if (state_ != kPlayerRecording) return RecordOutcome::Ignored;
  const auto time = static_cast<uint32_t>(std::max<int64_t>(nowMs - startClock_, 0));
  const AppendResult r = recorder_.Append(type, time, payload, length);
  if (r != AppendResult::Ok) {
    // Nothing more fits: keep what was recorded.
    StopWith(LangText(r == AppendResult::RecordLimit ? kLimitRecords : kLimitBytes));
    return RecordOutcome::StoppedAtLimit;
  }
  std::string why;
  if (!journal_.Add(recorder_, nowMs, &why)) {
    // A recording that cannot be journaled would be lost with the program: end it now,
    // while everything recorded is still in memory.
    StopWith(std::string(LangText(kJournalFailed)) + " (" + why + ").");
    return RecordOutcome::StoppedOnError;
  }
  return RecordOutcome::Ok;
}

RecordOutcome MonitorPlayer::SyncJournal(int64_t nowMs) {
  if (state_ != kPlayerRecording) return RecordOutcome::Ignored;
  std::string why;
  if (journal_.Sync(nowMs, &why)) return RecordOutcome::Ok;
  StopWith(std::string(LangText(kJournalFailed)) + " (" + why + ").");
  return RecordOutcome::StoppedOnError;
}

RecordOutcome MonitorPlayer::RecordMonitor(const uint8_t* block, int64_t nowMs) {
  return Append(kRecordMonitor, block, kMonitorPayload, nowMs);
}

RecordOutcome MonitorPlayer::RecordParameters(const uint8_t* image, int64_t nowMs) {
  return Append(kRecordParameters, image, PARAM_IMAGE_SIZE, nowMs);
}

RecordOutcome MonitorPlayer::RecordPageState(int page, const uint8_t* tableIds,
                                             const uint8_t* sheets, int64_t nowMs) {
  if (state_ != kPlayerRecording) return RecordOutcome::Ignored;
  uint8_t record[kPagePayload] = {};
  record[0] = static_cast<uint8_t>(page);
  std::memcpy(record + kPageStateTableIds - kRecordHead, tableIds, kPageStateTables);
  std::memcpy(record + kPageStateSheets - kRecordHead, sheets, kPageStateTables);
  if (std::memcmp(record, lastPageState_, kPagePayload) == 0) return RecordOutcome::Ignored;
  std::memcpy(lastPageState_, record, kPagePayload);
  return Append(kRecordPageState, record, kPagePayload, nowMs);
}

bool MonitorPlayer::StartPlayback(IgnlogFile file, const std::string& path, int64_t nowMs,
                                  std::string* error) {
  if (state_ != kPlayerIdle) return false;
  if (file.unitKey != kUnitKey) {
    char text[80];
    std::snprintf(text, sizeof text, "RS keys are not equal (%i!=%i)", file.unitKey, kUnitKey);
    if (error) *error = text;
    return false;
  }
  file_ = std::move(file);
  path_ = path;
  position_ = 0;
  baseTime_ = file_.start;
  stampShown_ = false;
  lastAdvance_ = nowMs;
  state_ = kPlayerPlaying;
  host_.PlaybackStarted();
  for (int k = 0; k < file_.initial; ++k) PlayRecord(k);
  return true;
}

void MonitorPlayer::Resume(int64_t nowMs) {
  if (state_ != kPlayerPaused) return;
  if (file_.initial + position_ >= file_.count) {
    stampShown_ = false;
    baseTime_ = file_.start;
    lastAdvance_ = nowMs;
    state_ = kPlayerPlaying;
    SetPosition(0);
    return;
  }
  lastAdvance_ += nowMs - pauseClock_;
  state_ = kPlayerPlaying;
}

void MonitorPlayer::Pause(int64_t nowMs) {
  if (state_ != kPlayerPlaying) return;
  state_ = kPlayerPaused;
  pauseClock_ = nowMs;
}

void MonitorPlayer::Tick(int64_t nowMs) {
  if (state_ != kPlayerPlaying) return;
  const int n = file_.count;
  const int i = file_.initial + position_;
  int j = i - 1;
  const int64_t c = file_.Record(j).timeMs;
  while (j < n && nowMs - lastAdvance_ >= static_cast<int64_t>(file_.Record(j).timeMs) - c) ++j;
  if (j != i) {
    for (int k = i; k < j; ++k) PlayRecord(k);
    position_ = j - file_.initial;
    lastAdvance_ = nowMs;
  }
  if (j >= n) {
    state_ = kPlayerPaused;  // paused at the end
    pauseClock_ = nowMs;
  }
}

void MonitorPlayer::SetPosition(int position) {
  if (!PlaybackLive()) return;
  position_ = std::clamp(position, 0, PlaybackLength() - 1);
  if (position_ == 0) {
    for (int k = 0; k < file_.initial; ++k) PlayRecord(k);
  } else {
    PlayRecord(file_.initial + position_ - 1);
  }
}

void MonitorPlayer::PlayRecord(int k) {
  const IgnlogRecordView r = file_.Record(k);
  stampMs_ = baseTime_ * 1000 + r.timeMs;
  stampShown_ = true;
  switch (r.type) {
    case kRecordParameters:
      host_.PlayParameters(r.payload);
      break;
    case kRecordUnitImage:
      host_.PlayUnitImage(r.payload);
      break;
    case kRecordMonitor: {
      uint8_t block[kMonitorPayload + 1];
      std::memcpy(block, r.payload, kMonitorPayload);
      block[kMonitorPayload] = static_cast<uint8_t>(file_.unitKey);
      host_.PlayMonitor(block, stampMs_);
      break;
    }
    case kRecordPageState:
      host_.PlayPageState(r.payload[0], r.payload + kPageStateTableIds - kRecordHead,
                          r.payload + kPageStateSheets - kRecordHead);
      break;
    default:  // the connection record and unknown types show nothing
      break;
  }
}

bool MonitorPlayer::Stop(std::string* error) {
  bool ok = true;
  if (state_ == kPlayerRecording) {
    std::string why;
    std::string bytes = recorder_.FileBytes();
    ok = WriteFileAtomic(path_, bytes, &why);
    journal_.Close(ok);  // kept until the recording is saved somewhere
    if (!ok) {
      unsaved_ = std::move(bytes);
      if (error) *error = RecordingNotSavedText(path_, why);
    }
  } else if (PlaybackLive()) {
    host_.PlaybackEnded();
  }
  file_ = IgnlogFile{};
  recorder_ = IgnlogRecorder{};
  state_ = kPlayerIdle;
  return ok;
}

std::string MonitorPlayer::TimeStampText() const {
  if (!stampShown_) return {};
  // Floor division: a recording started before 1970 has negative stamps.
  int64_t whole = stampMs_ / 1000;
  int millisecond = static_cast<int>(stampMs_ % 1000);
  if (millisecond < 0) {
    millisecond += 1000;
    --whole;
  }
  const auto seconds = static_cast<std::time_t>(whole);
  std::tm t{};
  localtime_r(&seconds, &t);
  char text[64];
  std::snprintf(text, sizeof text, "%04i_%02i_%02i %02i:%02i:%02i.%02i", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, millisecond / 10);
  return text;
}

PlayerControls MonitorPlayer::Controls(int64_t nowMs) const {
  PlayerControls c;
  char text[128];
  switch (state_) {
    case kPlayerIdle:
      c.record = c.play = true;
      break;
    case kPlayerRecording:
      c.stop = true;
      c.posShown = c.fileShown = true;
      std::snprintf(text, sizeof text, "Recording (%i) %i seconds", recorder_.Count(),
                    static_cast<int>((nowMs - startClock_) / 1000));
      c.posText = text;
      break;
    case kPlayerPlaying:
    case kPlayerPaused:
      c.pause = state_ == kPlayerPlaying;
      c.play = state_ == kPlayerPaused;
      c.stop = true;
      c.barShown = c.posShown = c.fileShown = c.deviceShown = true;
      c.barMaximum = PlaybackLength() - 1;
      c.barPosition = position_;
      std::snprintf(text, sizeof text,
                    state_ == kPlayerPlaying ? "Play (%i) %s" : "Play (%i) - pause %s", position_,
                    TimeStampText().c_str());
      c.posText = text;
      break;
    default:
      break;
  }
  if (c.fileShown) c.fileText = path_;
  return c;
}

}  // namespace zeda
