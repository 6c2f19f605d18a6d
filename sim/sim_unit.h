#pragma once
// The simulated KESTRA2 ZEDA unit as a link peer, without any I/O.
//
// Bytes from the line go in through Receive; the unit parses requests of its own protocol
// itself (it is the other end, so it does not borrow the program's receiver), and appends
// its answers to an output buffer. SimServer moves the bytes over a pseudo-terminal.
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "sim_engine.h"
#include "sim_tests.h"

namespace zeda::sim {

inline constexpr int kIdBlockSize = 150;

struct SimOptions {
  int32_t protocol = 3150;
  int32_t baud = 0;  // 0: the protocol's default (57600, 115200 on 3300)
  int key = zeda::kUnitKey;
  int version = 0;
  int hwKey = 0x0107;
  int frameSize = 166;  // addressed protocols: the frame size the unit announces
  std::string imagePath;
  std::string savePath;
  bool noReading = false;
  bool echo = false;
  double noise = 0.0;
  double drop = 0.0;
  bool realtime = false;
  uint32_t seed = 1;
  std::string linkPath;
  EngineMode engine = EngineMode::Sweep;
  int steadyRpm = 3000;        // --rpm: the steady engine's speed
  bool unsyncCapture = false;  // --capture unsync: captures are not synchronised
  int unstableReads = 0;
  bool badCapture = false;
  bool shortWriteAnswers = false;  // addressed protocols: acknowledge writes with 0xFFFF
  std::string tracePath;           // --trace: the unit's own log of what it was asked
  bool testRig = false;            // --test-rig: the outputs are wired back to the inputs
  int gearVoltage = -1;            // --gear-voltage: the gear sensor reports this (mV)
  int gearRatio = -1;              // --gear-ratio: the rpm/speed ratio reported (tenths)
  int inputs = -1;  // --inputs: the input levels reported (bits 0-5, 1 = input grounded)
};

// The factory memory of a new unit.
std::array<uint8_t, kImageSize> DefaultSimMemory();

// Parses the command line (argv[0] skipped). False with a message on a bad option.
bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);

// The line speed the options ask for.
int32_t EffectiveBaud(const SimOptions& options);

class SimUnit {
 public:
  explicit SimUnit(const SimOptions& options);

  // Loads --image (exactly 1050 bytes). False with a message otherwise.
  bool LoadImage(const std::string& path, std::string& error);
  // Writes the memory to a file atomically (temporary name, flush, rename).
  bool SaveImage(const std::string& path, std::string& error) const;

  // Bytes received at nowMs (ms since start); answers are appended to `out`.
  void Receive(const uint8_t* data, size_t length, int64_t nowMs, std::vector<uint8_t>& out);
  // Time passes without bytes: a write burst that has been quiet long enough is finished
  // (saved to --save). Returns true when it saved.
  bool Idle(int64_t nowMs);
  // The line was closed or its speed is wrong: half-received requests are dropped.
  void ResetReceiver() { pending_.clear(); }
  // The line was seen silent at nowMs: a request that paused longer than the gap is dropped.
  // Only silence the server saw counts, so a late read of bytes that came in one go (a busy
  // machine) never splits a request.
  void LineIdle(int64_t nowMs);

  // Another unit takes this one's place on the same line (a swapped cable end): from now
  // on it answers with this key and version.
  void SwapIdentity(int key, int version);

  const std::array<uint8_t, kImageSize>& Memory() const { return memory_; }
  std::array<uint8_t, kImageSize>& Memory() { return memory_; }
  const std::array<uint8_t, kIdBlockSize>& idBlock() const { return idBlock_; }
  int ProgrammingCount() const { return facts_.programmingCount; }
  int AnswersSent() const { return answers_; }
  // Requests received per block code (block protocols), answered or not: tests count the
  // attempts of an operation with it.
  int BlockRequests(uint8_t code) const { return blockRequests_[code]; }
  // The next n (at most 255) whole-image reads come back each with another wrong byte, so
  // no two of them agree; 0 ends it.
  void SpoilNextImageReads(int n) { spoiledReads_ = n < 0 ? 0 : (n > 255 ? 255 : n); }
  // The unit's trace so far (the last kTraceKeep lines), without time stamps.
  const std::vector<std::string>& Trace() const { return trace_; }
  static constexpr size_t kTraceKeep = 2000;
  const SimTests& Tests() const { return tests_; }
  // The message of a failed save, once (empty when none is new).
  std::string TakeSaveError() {
    std::string error;
    error.swap(saveError_);
    return error;
  }

 private:
  bool Addressed() const { return options_.protocol == 1 || options_.protocol == 2; }
  int BlockSize() const;
  void Parse(int64_t nowMs, std::vector<uint8_t>& out);
  bool ParseAddressed(int64_t nowMs, std::vector<uint8_t>& out);
  bool ParseBlock(int64_t nowMs, std::vector<uint8_t>& out);
  void HandleAddressed(uint16_t command, uint16_t address, const uint8_t* data, int length,
                       int64_t nowMs, std::vector<uint8_t>& answer);
  void HandleBlock(uint8_t code, const uint8_t* data, int64_t nowMs, std::vector<uint8_t>& answer);
  void AddressedAnswer(uint16_t command, uint16_t address, const uint8_t* data, int length,
                       std::vector<uint8_t>& answer) const;
  void BlockAnswer(uint8_t code, const uint8_t* data, std::vector<uint8_t>& answer) const;
  void ReadMemory(int address, int length, uint8_t* dst);
  void WriteMemory(int address, const uint8_t* data, int length, int64_t nowMs);
  void NoteRequest(bool isWrite, int64_t nowMs);
  // The monitor bytes [address, address + length) and, when this request ends the monitor
  // block and a capture was asked for, the capture to send behind the answer.
  void MonitorPart(int address, int length, const uint8_t* command, int64_t nowMs, uint8_t* dst,
                   std::vector<uint8_t>& capture);
  void Send(std::vector<uint8_t>& answer, std::vector<uint8_t>& out);
  void BuildIdBlock();
  void AddTrace(int64_t nowMs, const std::string& text);
  void AddTrace(int64_t nowMs, const std::vector<std::string>& lines);

  SimOptions options_;
  std::array<uint8_t, kImageSize> memory_{};
  std::array<uint8_t, kIdBlockSize> idBlock_{};
  SimEngine engine_;
  EngineFacts facts_;
  std::mt19937 random_;
  std::vector<uint8_t> pending_;
  int64_t lastByteMs_ = 0;
  bool writing_ = false;
  int64_t lastWriteRequestMs_ = 0;
  int fullReads_ = 0;
  int64_t restartUntilMs_ = -1;
  MonitorBlock monitor_;
  bool captureWanted_ = false;
  std::vector<uint8_t> capture_;
  int answers_ = 0;
  std::array<int, 256> blockRequests_{};
  int spoiledReads_ = 0;
  std::string saveError_;
  SimTests tests_;
  std::array<uint8_t, kMonitorSize> request_{};  // the monitor request being received
  std::vector<std::string> trace_;
};

}  // namespace zeda::sim
