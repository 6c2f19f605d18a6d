#include "monitor/csv_output.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "monitor/channel_table.h"

namespace zeda {

CsvTime LocalCsvTime(int64_t unixMs) {
  // Floor division: -250 ms is 23:59:59.750 of the day before, not 00:00:00.-250.
  int64_t seconds = unixMs / 1000;
  int64_t millisecond = unixMs % 1000;
  if (millisecond < 0) {
    millisecond += 1000;
    --seconds;
  }
  const auto t = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millisecond)};
}

int64_t WallClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string CsvHeaderLines() {
  std::string out = "Time;";
  for (const ChannelRow* r = kChannelTable; r->position != -1; ++r) (out += r->name) += ';';
  out += "\nms;";
  for (const ChannelRow* r = kChannelTable; r->position != -1; ++r) (out += r->unit) += ';';
  out += '\n';
  return out;
}

std::string CsvDataLine(const MonitorBlock& b, const CsvTime& t) {
  char field[32];
  std::snprintf(field, sizeof field, "%02i:%02i:%02i.%03i;", t.hour, t.minute, t.second,
                t.millisecond);
  std::string out = field;
  for (const ChannelRow* r = kChannelTable; r->position != -1; ++r) {
    switch (r->kind) {
      case kChannelUnsignedByte:
      case kChannelUnsignedByte2:
        std::snprintf(field, sizeof field, "%i;", b.Byte(r->position));
        break;
      case kChannelWord:
        std::snprintf(field, sizeof field, "%i;", b.Word(r->position));
        break;
      case kChannelSignedByte:
        std::snprintf(field, sizeof field, "%i;", static_cast<int8_t>(b.Byte(r->position)));
        break;
      case kChannelHardwareKey:
        std::snprintf(field, sizeof field, "0x%x;", b.Word(Monw::HWKEY));
        break;
      case kChannelProgramVersion:
        std::snprintf(field, sizeof field, "%i.%i;", b.Byte(Monb::RSKEY_MAJOR),
                      b.Byte(Monb::RSKEY_MINOR));
        break;
      case kChannelBike:
        std::snprintf(field, sizeof field, "%i;", b.Byte(Monb::BIKE));
        break;
      default:  // a bit number
        std::snprintf(field, sizeof field, "%i;", b.Bit(r->position, r->kind) ? 1 : 0);
        break;
    }
    out += field;
  }
  out += '\n';
  return out;
}

bool CsvOutput::Start(const std::string& path, std::string* error) {
  Stop();
  failure_.clear();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  const std::string header = CsvHeaderLines();
  if (std::fwrite(header.data(), 1, header.size(), f) != header.size() || std::fflush(f) != 0) {
    if (error) *error = std::strerror(errno);
    std::fclose(f);
    return false;
  }
  file_ = f;
  path_ = path;
  return true;
}

void CsvOutput::Stop() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void CsvOutput::Fail(int error) {
  failure_ = std::strerror(error);
  std::fclose(file_);
  file_ = nullptr;
}

bool CsvOutput::WriteLine(const MonitorBlock& block, int64_t unixMs) {
  if (!file_) return true;
  const std::string line = CsvDataLine(block, LocalCsvTime(unixMs));
  // Flushed every line, so a full disk shows at the line that did not fit.
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
    Fail(errno);
    return false;
  }
  return true;
}

bool CsvOutput::TakeFailure(std::string* why) {
  if (failure_.empty()) return false;
  if (why) *why = failure_;
  failure_.clear();
  return true;
}

std::string CsvTitlePart(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return "       (CSV output: " + name + ")      ";
}

}  // namespace zeda
