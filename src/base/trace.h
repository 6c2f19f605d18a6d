#pragma once
// The link trace: a developer's log of link events.
//
// Closed by default; opened by ZEDA_TRACE=<file> or the command-line option
// --trace <file>. While closed every call returns at once and nothing touches the disk.
// Lines from different threads may interleave (each line is one stdio write).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zeda {

class LinkTrace {
 public:
  LinkTrace();
  ~LinkTrace();
  LinkTrace(const LinkTrace&) = delete;
  LinkTrace& operator=(const LinkTrace&) = delete;

  // Opens (appends to) the sink; false when the file cannot be opened.
  bool Open(const std::string& path);
  // Opens the sink named by ZEDA_TRACE when it is set and not empty.
  bool OpenFromEnvironment();
  void Close();
  bool IsOpen() const { return file_.load(std::memory_order_acquire) != nullptr; }

  // "%02i:%02i:%05.2f:   (%i) %s\n" with local time, the fraction counted on the
  // process clock since the time origin, the link worker's loop count and the text.
  void Trace(const char* text);
  void Tracef(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Port I/O thread lines, each preceded by an empty line and flushed.
  void PortOpen(int port, int tickMs, const char* portName, const char* lineSettings);
  void PortClose(int port, int tickMs, const char* portName);
  // Transmissions whose first byte is 0x30 (block monitor request) are not written.
  void PortTransmit(int port, int tickMs, const uint8_t* data, int length);

  // Formats the time stamp part of a trace line for the given clock readings
  // (exposed for tests): local h/m/s plus the fraction of elapsedSeconds.
  static std::string TimeStamp(int hour, int minute, int second, double elapsedSeconds);

  // The link worker's loop count shown in every trace line.
  std::atomic<int32_t> loopCount{0};

 private:
  std::atomic<std::FILE*> file_{nullptr};
  std::chrono::steady_clock::time_point origin_;
  std::atomic<int32_t> transmissions_{0};
};

// The process's one trace sink.
LinkTrace& LinkTraceSink();

}  // namespace zeda
