#include "sim_unit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/frame_checks.h"
#include "params/defaults.h"

namespace zeda::sim {

namespace {

constexpr uint8_t kStart[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB};
constexpr int64_t kGapMs = 70;           // a pause inside a request drops what came so far
constexpr int64_t kBurstQuietMs = 300;   // a write burst ends after this much quiet
constexpr int64_t kRestartMs = 1500;     // the special command restarts the unit
constexpr int kMaxAddressedData = 1024;  // what the program's receive buffer can take
constexpr int kNoReadingByte = 186;
constexpr int kCaptureRequestByte = 23;
constexpr char kUnitName[] = "KESTRA2 ZEDA";

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Put16(std::vector<uint8_t>& v, uint16_t value) {
  v.push_back(static_cast<uint8_t>(value & 0xFF));
  v.push_back(static_cast<uint8_t>(value >> 8));
}

bool ParseInt(const char* text, long long low, long long high, long long& value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 0);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

bool ParseProbability(const char* text, double& value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (*end != '\0' || !(v >= 0.0 && v <= 1.0)) return false;
  value = v;
  return true;
}

}  // namespace

std::array<uint8_t, kImageSize> DefaultSimMemory() {
  // A new unit holds the program's own start image: the defaults of engine preset 7.
  static_assert(PARAM_IMAGE_SIZE == kImageSize, "the unit memory is one parameter image");
  return StartImage().bytes;
}

int32_t EffectiveBaud(const SimOptions& options) {
  if (options.baud > 0) return options.baud;
  return options.protocol == 3300 ? 115200 : 57600;
}

bool ParseSimOptions(int argc, char** argv, SimOptions& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    long long n = 0;
    auto needInt = [&](long long low, long long high) {
      if (!ParseInt(value, low, high, n)) {
        error = "bad or missing value for " + arg;
        return false;
      }
      ++i;
      return true;
    };
    auto needText = [&](std::string& out) {
      if (!value) {
        error = "missing value for " + arg;
        return false;
      }
      out = value;
      ++i;
      return true;
    };
    if (arg == "--protocol") {
      if (!needInt(0, 100000)) return false;
      if (n != 1 && n != 2 && n != 3050 && n != 3100 && n != 3150 && n != 3300) {
        error = "unknown protocol " + std::to_string(n) + " (1, 2, 3050, 3100, 3150 or 3300)";
        return false;
      }
      o.protocol = static_cast<int32_t>(n);
    } else if (arg == "--baud") {
      if (!needInt(50, 4000000)) return false;
      o.baud = static_cast<int32_t>(n);
    } else if (arg == "--key") {
      if (!needInt(0, 65535)) return false;
      o.key = static_cast<int>(n);
    } else if (arg == "--version") {
      if (!needInt(0, 255)) return false;
      o.version = static_cast<int>(n);
    } else if (arg == "--hwkey") {
      if (!needInt(0, 65535)) return false;
      o.hwKey = static_cast<int>(n);
    } else if (arg == "--frame-size") {
      if (!needInt(17, 16 + kMaxAddressedData)) return false;
      o.frameSize = static_cast<int>(n);
    } else if (arg == "--image") {
      if (!needText(o.imagePath)) return false;
    } else if (arg == "--save") {
      if (!needText(o.savePath)) return false;
    } else if (arg == "--link") {
      if (!needText(o.linkPath)) return false;
    } else if (arg == "--no-reading") {
      o.noReading = true;
    } else if (arg == "--echo") {
      o.echo = true;
    } else if (arg == "--realtime") {
      o.realtime = true;
    } else if (arg == "--bad-capture") {
      o.badCapture = true;
    } else if (arg == "--short-answers") {
      o.shortWriteAnswers = true;
    } else if (arg == "--test-rig") {
      o.testRig = true;
    } else if (arg == "--trace") {
      if (!needText(o.tracePath)) return false;
    } else if (arg == "--gear-voltage") {
      if (!needInt(0, 5000)) return false;
      o.gearVoltage = static_cast<int>(n);
    } else if (arg == "--gear-ratio") {
      if (!needInt(1, 32000)) return false;
      o.gearRatio = static_cast<int>(n);
    } else if (arg == "--inputs") {
      if (!needInt(0, 63)) return false;
      o.inputs = static_cast<int>(n);
    } else if (arg == "--noise" || arg == "--drop") {
      double p = 0;
      if (!ParseProbability(value, p)) {
        error = "bad or missing probability for " + arg + " (0 to 1)";
        return false;
      }
      ++i;
      (arg == "--noise" ? o.noise : o.drop) = p;
    } else if (arg == "--seed") {
      if (!needInt(0, 0xFFFFFFFFLL)) return false;
      o.seed = static_cast<uint32_t>(n);
    } else if (arg == "--unstable-reads") {
      if (!needInt(0, 1000000)) return false;
      o.unstableReads = static_cast<int>(n);
    } else if (arg == "--engine") {
      std::string mode;
      if (!needText(mode)) return false;
      if (mode == "stopped") {
        o.engine = EngineMode::Stopped;
      } else if (mode == "idle") {
        o.engine = EngineMode::Idle;
      } else if (mode == "sweep") {
        o.engine = EngineMode::Sweep;
      } else if (mode == "steady") {
        o.engine = EngineMode::Steady;
      } else {
        error = "unknown engine mode " + mode + " (stopped, idle, sweep or steady)";
        return false;
      }
    } else if (arg == "--rpm") {
      if (!needInt(100, 30000)) return false;
      o.steadyRpm = static_cast<int>(n);
      o.engine = EngineMode::Steady;
    } else if (arg == "--capture") {
      std::string kind;
      if (!needText(kind)) return false;
      if (kind == "sync") {
        o.unsyncCapture = false;
      } else if (kind == "unsync") {
        o.unsyncCapture = true;
      } else {
        error = "unknown capture kind " + kind + " (sync or unsync)";
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

SimUnit::SimUnit(const SimOptions& options)
    : options_(options),
      memory_(DefaultSimMemory()),
      engine_(options.engine, options.steadyRpm),
      random_(options.seed),
      tests_(options.testRig) {
  engine_.FixGearSensor(options.gearVoltage, options.gearRatio);
  engine_.FixInputs(options.inputs);
  facts_.key = options.key;
  facts_.version = options.version;
  facts_.hwKey = options.hwKey;
  if (options.noReading) memory_[kNoReadingByte] = 1;
  BuildIdBlock();
  pending_.reserve(2048);
}

void SimUnit::SwapIdentity(int key, int version) {
  options_.key = key;
  options_.version = version;
  facts_.key = key;
  facts_.version = version;
  BuildIdBlock();
}

void SimUnit::BuildIdBlock() {
  idBlock_.fill(0);
  uint8_t* b = idBlock_.data();
  std::memcpy(b, "ZDA", 3);
  b[3] = 12;  // program version ZDA12
  b[4] = 5;   // day
  b[5] = static_cast<uint8_t>('O' + 'c' +
                              't');  // month: the 8-bit sum of the English abbreviation (38)
  b[6] = 23;                         // year 2023
  b[7] = 14;                         // 14:32
  b[8] = 32;
  b[9] = memory_[kNoReadingByte] != 0 ? 0 : 1;  // the read-out lock is memory byte 186
  b[10] = static_cast<uint8_t>(options_.key);
  b[11] = static_cast<uint8_t>(options_.version);
  // Hardware 21.03.01, variant B with the plus option.
  b[31] = 'B' | 0x80;
  b[32] = 1;
  b[33] = 3;
  b[34] = 21;
  // Last update 2023-11-14 22:15:23 UTC.
  const uint32_t update = 1700000123u;
  for (int i = 0; i < 4; ++i) b[35 + i] = static_cast<uint8_t>(update >> (8 * i));
  // Serial number 231005-010203-04231f.
  const uint8_t serial[8] = {0x1F, 42, 3, 2, 1, 5, 10, 23};
  std::memcpy(b + 39, serial, sizeof serial);
  const char text[] = "KESTRA2 ZEDA simulated unit";
  std::memcpy(b + 47, text, sizeof text - 1);
}

bool SimUnit::LoadImage(const std::string& path, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::array<uint8_t, kImageSize + 1> buffer{};
  const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
  std::fclose(f);
  if (got != kImageSize) {
    error = path + " holds " + std::to_string(got) + (got > kImageSize ? "+" : "") +
            " bytes; a unit image has exactly 1050";
    return false;
  }
  std::copy(buffer.begin(), buffer.begin() + kImageSize, memory_.begin());
  if (options_.noReading) memory_[kNoReadingByte] = 1;
  BuildIdBlock();
  return true;
}

bool SimUnit::SaveImage(const std::string& path, std::string& error) const {
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = write(fd, memory_.data(), memory_.size()) == static_cast<ssize_t>(memory_.size());
  ok = ok && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (!ok || std::rename(name.data(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(name.data());
    return false;
  }
  return true;
}

int SimUnit::BlockSize() const {
  switch (options_.protocol) {
    case 3050:
      return 50;
    case 3100:
      return 100;
    case 3300:
      return 300;
    default:
      return 150;
  }
}

void SimUnit::Receive(const uint8_t* data, size_t length, int64_t nowMs,
                      std::vector<uint8_t>& out) {
  if (length == 0) return;
  if (options_.echo) {
    // A line that echoes: every byte comes straight back and the unit stays silent.
    out.insert(out.end(), data, data + length);
    return;
  }
  lastByteMs_ = nowMs;
  pending_.insert(pending_.end(), data, data + length);
  Parse(nowMs, out);
}

void SimUnit::LineIdle(int64_t nowMs) {
  if (!pending_.empty() && nowMs - lastByteMs_ > kGapMs) pending_.clear();
}

void SimUnit::Parse(int64_t nowMs, std::vector<uint8_t>& out) {
  while (Addressed() ? ParseAddressed(nowMs, out) : ParseBlock(nowMs, out)) {
  }
}

bool SimUnit::ParseAddressed(int64_t nowMs, std::vector<uint8_t>& out) {
  const uint8_t wantedType = options_.protocol == 1 ? 0xBB : 0xFB;
  while (!pending_.empty()) {
    const uint8_t* p = pending_.data();
    const size_t size = pending_.size();
    bool drop = false;
    for (size_t i = 0; i < std::min<size_t>(size, 7) && !drop; ++i) drop = p[i] != kStart[i];
    if (!drop && size >= 8) drop = p[7] != wantedType;
    size_t total = 0;
    if (!drop && size >= 14) {
      const int n = Le16(p + 12);
      drop = n > kMaxAddressedData;
      total = 16 + static_cast<size_t>(n);
    }
    if (!drop && total > 0 && size >= total) {
      const size_t end = total - 2;
      bool good;
      if (options_.protocol == 1) {
        good = Crc16(p, end) == Le16(p + end);
      } else {
        good = Sum16(p, total) == 0xFFFF;
      }
      if (good) {
        std::vector<uint8_t> answer;
        HandleAddressed(Le16(p + 8), Le16(p + 10), p + 14, static_cast<int>(end - 14), nowMs,
                        answer);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(total));
        Send(answer, out);
        return true;
      }
      drop = true;
    }
    if (!drop) return false;  // a request still arriving
    pending_.erase(pending_.begin());
  }
  return false;
}

bool SimUnit::ParseBlock(int64_t nowMs, std::vector<uint8_t>& out) {
  const size_t frame = static_cast<size_t>(BlockSize()) + 2;
  while (!pending_.empty()) {
    const uint8_t* p = pending_.data();
    if (p[0] & 0x80) {  // requests never have bit 7 set in their code
      pending_.erase(pending_.begin());
      continue;
    }
    if (pending_.size() < frame) return false;
    uint8_t x = 0;
    for (size_t i = 0; i < frame; ++i) x ^= p[i];
    if (x != 0xFF) {
      pending_.erase(pending_.begin());
      continue;
    }
    std::vector<uint8_t> answer;
    HandleBlock(p[0], p + 1, nowMs, answer);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(frame));
    Send(answer, out);
    return true;
  }
  return false;
}

void SimUnit::NoteRequest(bool isWrite, int64_t nowMs) {
  facts_.restarting = restartUntilMs_ >= 0 && nowMs < restartUntilMs_;
  if (isWrite) {
    writing_ = true;
    lastWriteRequestMs_ = nowMs;
  } else if (writing_) {
    Idle(nowMs + kBurstQuietMs + 1);
  }
}

bool SimUnit::Idle(int64_t nowMs) {
  if (!writing_ || nowMs - lastWriteRequestMs_ <= kBurstQuietMs) return false;
  writing_ = false;
  ++facts_.programmingCount;
  facts_.lastWriteMs = lastWriteRequestMs_;
  if (options_.savePath.empty()) return false;
  saveError_.clear();
  if (!SaveImage(options_.savePath, saveError_)) return false;
  return true;
}

void SimUnit::ReadMemory(int address, int length, uint8_t* dst) {
  for (int i = 0; i < length; ++i) {
    const int at = address + i;
    dst[i] = at >= 0 && at < kImageSize ? memory_[at] : 0;
  }
  if (address == 0 && length > 8) {
    // The first --unstable-reads whole-image reads come back with one wrong byte, a
    // different one each time, so two of them never agree; so do the ones a test spoils.
    ++fullReads_;
    if (fullReads_ <= options_.unstableReads) {
      dst[8 + (fullReads_ - 1) % (length - 8)] ^= 0x5A;
    } else if (spoiledReads_ > 0) {
      dst[8] ^= static_cast<uint8_t>(spoiledReads_--);  // a different byte every time
    }
  }
}

void SimUnit::WriteMemory(int address, const uint8_t* data, int length, int64_t nowMs) {
  for (int i = 0; i < length; ++i) {
    const int at = address + i;
    if (at >= 0 && at < kImageSize) memory_[at] = data[i];
  }
  // Which bytes a program sent (tests check that an edit writes only its own block).
  AddTrace(nowMs, "memory written: bytes " + std::to_string(address) + "-" +
                      std::to_string(address + length - 1));
  // --no-reading only locks the unit at start; from then on a program sets the lock.
  if (address <= kNoReadingByte && kNoReadingByte < address + length) BuildIdBlock();
  NoteRequest(true, nowMs);
}

void SimUnit::MonitorPart(int address, int length, const uint8_t* command, int64_t nowMs,
                          uint8_t* dst, std::vector<uint8_t>& capture) {
  if (address == 0) {
    monitor_ = engine_.Monitor(nowMs, memory_.data(), facts_);
    tests_.Apply(nowMs, memory_.data(), monitor_);
    capture_.clear();
    captureWanted_ = false;
    request_.fill(0);
  }
  for (int i = 0; i < length; ++i) {
    const int at = address + i;
    if (at >= 0 && at < kMonitorSize) request_[static_cast<size_t>(at)] = command[i];
  }
  if (address <= kCaptureRequestByte && kCaptureRequestByte < address + length) {
    captureWanted_ = command[kCaptureRequestByte - address] == 1;
    if (captureWanted_ && !facts_.restarting) {
      uint8_t cycleCode = 1;
      capture_ = engine_.Capture(nowMs, memory_.data(), !options_.unsyncCapture, cycleCode);
      if (!capture_.empty() && capture_.size() <= 15000) {
        uint8_t x = 0, sum = 0;
        for (uint8_t b : capture_) {
          x ^= b;
          sum = static_cast<uint8_t>(sum + b);
        }
        if (options_.badCapture) {
          x ^= 0x5A;
          sum = static_cast<uint8_t>(sum + 1);
        }
        monitor_.SetByte(128, options_.unsyncCapture ? 2 : 1);
        monitor_.SetWord(49, static_cast<uint16_t>(capture_.size()));
        monitor_.SetByte(129, x);
        monitor_.SetByte(130, sum);
        monitor_.SetByte(131, cycleCode);
      } else {
        capture_.clear();
      }
    }
  }
  const uint8_t* answer = monitor_.Answer();
  for (int i = 0; i < length; ++i) {
    const int at = address + i;
    dst[i] = at >= 0 && at < kMonitorSize ? answer[at] : 0;
  }
  if (address + length >= kMonitorSize && !capture_.empty()) {
    capture.swap(capture_);
    capture_.clear();
  }
  if (address + length >= kMonitorSize) {
    // The whole request is in: its test requests act from the next answer on.
    std::vector<std::string> lines;
    const int rpm = facts_.restarting ? 0 : engine_.RpmAt(nowMs, memory_.data());
    tests_.Take(request_.data(), nowMs, rpm, memory_.data(), lines);
    AddTrace(nowMs, lines);
  }
}

void SimUnit::AddTrace(int64_t nowMs, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) AddTrace(nowMs, line);
}

void SimUnit::AddTrace(int64_t nowMs, const std::string& text) {
  if (trace_.size() >= kTraceKeep) trace_.erase(trace_.begin(), trace_.begin() + kTraceKeep / 2);
  trace_.push_back(text);
  if (options_.tracePath.empty()) return;
  // One append per line: another program may read the file while the unit runs.
  std::FILE* f = std::fopen(options_.tracePath.c_str(), "a");
  if (f == nullptr) return;
  std::fprintf(f, "%10lld ms  %s\n", static_cast<long long>(nowMs), text.c_str());
  std::fclose(f);
}

void SimUnit::AddressedAnswer(uint16_t command, uint16_t address, const uint8_t* data, int length,
                              std::vector<uint8_t>& answer) const {
  const bool crc = options_.protocol == 1;
  answer.assign(kStart, kStart + 7);
  answer.push_back(crc ? 0xBC : 0xFC);
  Put16(answer, command);
  Put16(answer, address);
  Put16(answer, static_cast<uint16_t>(length));
  if (length > 0) answer.insert(answer.end(), data, data + length);
  const size_t end = answer.size();
  answer.resize(end + 2);
  if (crc) {
    const uint16_t check = Crc16(answer.data(), end);
    answer[end] = static_cast<uint8_t>(check & 0xFF);
    answer[end + 1] = static_cast<uint8_t>(check >> 8);
  } else {
    StoreSumCheck(answer.data(), end);
  }
}

void SimUnit::HandleAddressed(uint16_t command, uint16_t address, const uint8_t* data, int length,
                              int64_t nowMs, std::vector<uint8_t>& answer) {
  uint8_t buffer[kMaxAddressedData];
  const int wanted = length >= 2 ? std::min<int>(Le16(data), kMaxAddressedData) : 0;
  std::vector<uint8_t> capture;
  switch (command) {
    case 0xFEEE: {  // identify: name, frame size, hardware key, unit key
      NoteRequest(false, nowMs);
      std::vector<uint8_t> info(kUnitName, kUnitName + sizeof kUnitName);
      Put16(info, static_cast<uint16_t>(options_.frameSize));
      Put16(info, static_cast<uint16_t>(options_.hwKey));
      Put16(info, static_cast<uint16_t>(options_.key));
      AddressedAnswer(command, 0, info.data(), static_cast<int>(info.size()), answer);
      return;
    }
    case 0x7010:
      NoteRequest(false, nowMs);
      ReadMemory(address, wanted, buffer);
      AddressedAnswer(command, address, buffer, wanted, answer);
      return;
    case 0x7020: {
      WriteMemory(address, data, length, nowMs);
      if (options_.shortWriteAnswers) {
        const uint8_t at[2] = {static_cast<uint8_t>(address & 0xFF),
                               static_cast<uint8_t>(address >> 8)};
        AddressedAnswer(0xFFFF, command, at, 2, answer);
      } else {
        AddressedAnswer(command, address, nullptr, 0, answer);
      }
      return;
    }
    case 0x701F:
      NoteRequest(false, nowMs);
      for (int i = 0; i < wanted; ++i) {
        const int at = address + i;
        buffer[i] = at < kIdBlockSize ? idBlock_[at] : 0;
      }
      AddressedAnswer(command, address, buffer, wanted, answer);
      return;
    case 0x7050: {
      NoteRequest(false, nowMs);
      const int n = std::min(length, kMaxAddressedData);
      uint8_t commandBytes[kMaxAddressedData] = {};
      std::memcpy(commandBytes, data, static_cast<size_t>(n));
      MonitorPart(address, n, commandBytes, nowMs, buffer, capture);
      AddressedAnswer(command, address, buffer, n, answer);
      answer.insert(answer.end(), capture.begin(), capture.end());
      return;
    }
    case 0xF000:
      NoteRequest(false, nowMs);
      restartUntilMs_ = nowMs + kRestartMs;
      tests_.Reset();
      AddTrace(nowMs, "special command " + std::to_string(address) + ": the unit restarts");
      AddressedAnswer(command, address, nullptr, 0, answer);
      return;
    default:
      return;  // unknown commands get no answer
  }
}

void SimUnit::BlockAnswer(uint8_t code, const uint8_t* data, std::vector<uint8_t>& answer) const {
  const int n = BlockSize();
  answer.resize(static_cast<size_t>(n) + 2);
  answer[0] = code;
  std::memcpy(answer.data() + 1, data, static_cast<size_t>(n));
  answer[static_cast<size_t>(n) + 1] = BlockCheck(answer.data(), static_cast<size_t>(n) + 1);
}

void SimUnit::HandleBlock(uint8_t code, const uint8_t* data, int64_t nowMs,
                          std::vector<uint8_t>& answer) {
  const int n = BlockSize();
  uint8_t buffer[300] = {};
  std::vector<uint8_t> capture;
  ++blockRequests_[code];
  if (code == 0x00) {  // special command: the unit restarts
    NoteRequest(false, nowMs);
    if (data[12] == 0xA5 && data[13] == 0x10) {
      restartUntilMs_ = nowMs + kRestartMs;
      tests_.Reset();
      AddTrace(nowMs, "special command A5 10: the unit restarts");
    } else {
      AddTrace(nowMs, "special command without the restart word: ignored");
    }
    BlockAnswer(0x80, data, answer);
  } else if (code < 0x30) {  // write block
    const int block = code - 0x01;
    WriteMemory(block * n, data, n, nowMs);
    BlockAnswer(static_cast<uint8_t>(code | 0x80), data, answer);
  } else if (code < 0x40) {  // monitor block, or the search's identification request
    NoteRequest(false, nowMs);
    const int block = code - 0x30;
    const bool allZero = std::all_of(data, data + n, [](uint8_t b) { return b == 0; });
    if (options_.protocol == 3300 && allZero) {
      buffer[1] = static_cast<uint8_t>(options_.key >> 8);
      buffer[2] = static_cast<uint8_t>(options_.key & 0xFF);
    } else {
      MonitorPart(block * n, n, data, nowMs, buffer, capture);
      // The search reads the unit key from the last data byte of block 0.
      if (block == 0 && n < kMonitorSize) buffer[n - 1] = static_cast<uint8_t>(options_.key);
    }
    BlockAnswer(static_cast<uint8_t>(code | 0x80), buffer, answer);
    answer.insert(answer.end(), capture.begin(), capture.end());
  } else if (code == 0x40) {  // identification block, first N bytes
    NoteRequest(false, nowMs);
    for (int i = 0; i < n; ++i) buffer[i] = i < kIdBlockSize ? idBlock_[i] : 0;
    BlockAnswer(0xC0, buffer, answer);
  } else {  // read block
    NoteRequest(false, nowMs);
    const int block = code - 0x41;
    ReadMemory(block * n, n, buffer);
    BlockAnswer(static_cast<uint8_t>(code | 0x80), buffer, answer);
  }
}

void SimUnit::Send(std::vector<uint8_t>& answer, std::vector<uint8_t>& out) {
  if (answer.empty()) return;
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  if (options_.drop > 0 && chance(random_) < options_.drop) return;
  if (options_.noise > 0 && chance(random_) < options_.noise) {
    std::uniform_int_distribution<size_t> where(0, answer.size() - 1);
    std::uniform_int_distribution<int> flip(1, 255);
    answer[where(random_)] ^= static_cast<uint8_t>(flip(random_));
  }
  out.insert(out.end(), answer.begin(), answer.end());
  ++answers_;
}

}  // namespace zeda::sim
