#include "base/trace.h"

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <ctime>

namespace zeda {

LinkTrace::LinkTrace() {
  // The fractions of trace times count from a whole wall-clock second: instead of
  // waiting for the second to change, move the origin back by the current fraction.
  const auto wall = std::chrono::system_clock::now();
  const auto steady = std::chrono::steady_clock::now();
  const auto sinceEpoch = wall.time_since_epoch();
  const auto fraction = sinceEpoch - std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
  origin_ = steady - std::chrono::duration_cast<std::chrono::steady_clock::duration>(fraction);
}

LinkTrace::~LinkTrace() { Close(); }

bool LinkTrace::Open(const std::string& path) {
  Close();
  std::FILE* f = std::fopen(path.c_str(), "a");
  if (!f) return false;
  file_.store(f, std::memory_order_release);
  Trace("Open LOG");
  return true;
}

bool LinkTrace::OpenFromEnvironment() {
  const char* path = std::getenv("ZEDA_TRACE");
  if (!path || !*path) return false;
  return Open(path);
}

void LinkTrace::Close() {
  std::FILE* f = file_.exchange(nullptr, std::memory_order_acq_rel);
  if (f) std::fclose(f);
}

std::string LinkTrace::TimeStamp(int hour, int minute, int second, double elapsedSeconds) {
  const double fraction = elapsedSeconds - std::floor(elapsedSeconds);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02i:%02i:%05.2f", hour, minute, second + fraction);
  return buf;
}

void LinkTrace::Trace(const char* text) {
  std::FILE* f = file_.load(std::memory_order_acquire);
  if (!f) return;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
  const std::string stamp = TimeStamp(local.tm_hour, local.tm_min, local.tm_sec, elapsed);
  std::fprintf(f, "%s:   (%i) %s\n", stamp.c_str(), loopCount.load(std::memory_order_relaxed),
               text ? text : "");
  std::fflush(f);
}

void LinkTrace::Tracef(const char* format, ...) {
  if (!IsOpen()) return;
  char buf[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  Trace(buf);
}

void LinkTrace::PortOpen(int port, int tickMs, const char* portName, const char* lineSettings) {
  std::FILE* f = file_.load(std::memory_order_acquire);
  if (!f) return;
  std::fprintf(f, "\n[%i:TMR=%i]OPEN %s (%s)\n", port, tickMs, portName, lineSettings);
  std::fflush(f);
}

void LinkTrace::PortClose(int port, int tickMs, const char* portName) {
  std::FILE* f = file_.load(std::memory_order_acquire);
  if (!f) return;
  std::fprintf(f, "\n[%i:TMR=%i]CLOSE %s\n", port, tickMs, portName);
  std::fflush(f);
}

void LinkTrace::PortTransmit(int port, int tickMs, const uint8_t* data, int length) {
  std::FILE* f = file_.load(std::memory_order_acquire);
  if (!f || length <= 0 || data[0] == 0x30) return;
  const int count = transmissions_.fetch_add(1, std::memory_order_relaxed) + 1;
  std::string line;
  line.reserve(static_cast<size_t>(length) * 3 + 64);
  char head[64];
  std::snprintf(head, sizeof head, "\n[%i:TMR=%i]TX %i:\n", port, tickMs, count);
  line += head;
  for (int i = 0; i < length; ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02x\t", data[i]);
    line += hex;
  }
  line += '\n';
  std::fputs(line.c_str(), f);
  std::fflush(f);
}

LinkTrace& LinkTraceSink() {
  static LinkTrace sink;
  return sink;
}

}  // namespace zeda
