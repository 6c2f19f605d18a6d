#include "monitor/monitor_player.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "base/identity.h"
#include "params/atomic_file.h"
#include "params/param_image.h"

namespace zeda {

namespace {

constexpr int kMonitorPayload = kMonitorRecordLength - kRecordHead;
constexpr int kPagePayload = kPageStateRecordLength - kRecordHead;

}  // namespace

bool MonitorPlayer::StartRecording(const std::string& path, const std::string& journalPath,
                                   const IgnlogStartInfo& info, const RecordingSnapshot& snapshot,
                                   int64_t nowMs) {
  if (state_ != kPlayerIdle) return false;
  recorder_.Begin(info);
  limitText_.clear();
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
  if (!journal_.Open(journalPath, path, recorder_, nowMs)) return false;
  path_ = path;
  state_ = kPlayerRecording;
  return true;
}

RecordOutcome MonitorPlayer::Append(int type, const uint8_t* payload, int length, int64_t nowMs) {
  if (state_ != kPlayerRecording) return RecordOutcome::Ignored;
  const auto time = static_cast<uint32_t>(std::max<int64_t>(nowMs - startClock_, 0));
  const AppendResult r = recorder_.Append(type, time, payload, length);
  if (r != AppendResult::Ok) {
    // Nothing more fits: keep what was recorded.
    limitText_ = r == AppendResult::RecordLimit
                     ? "Recording stopped: the limit of 6000 records is reached"
                     : "Recording stopped: the limit of 2000000 bytes is reached";
    std::string error;
    if (!Stop(&error)) limitText_ += " (" + error + ")";
    return RecordOutcome::StoppedAtLimit;
  }
  journal_.Add(recorder_, nowMs);
  return RecordOutcome::Ok;
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
    ok = WriteFileAtomic(path_, recorder_.FileBytes(), &why);
    journal_.Close(ok);
    if (!ok && error) *error = path_ + ": " + why;
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
  const std::time_t seconds = static_cast<std::time_t>(stampMs_ / 1000);
  std::tm t{};
  localtime_r(&seconds, &t);
  char text[64];
  std::snprintf(text, sizeof text, "%04i_%02i_%02i %02i:%02i:%02i.%02i", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                static_cast<int>(stampMs_ % 1000) / 10);
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
