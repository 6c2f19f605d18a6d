#include "monitor/csv_output.h"

#include <chrono>
#include <ctime>

#include "monitor/channel_table.h"

namespace zeda {

CsvTime LocalCsvTime(int64_t unixMs) {
  const std::time_t seconds = static_cast<std::time_t>(unixMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(unixMs % 1000)};
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

bool CsvOutput::Start(const std::string& path) {
  Stop();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  file_ = f;
  path_ = path;
  const std::string header = CsvHeaderLines();
  std::fwrite(header.data(), 1, header.size(), file_);
  std::fflush(file_);
  return true;
}

void CsvOutput::Stop() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void CsvOutput::WriteLine(const MonitorBlock& block, int64_t unixMs) {
  if (!file_) return;
  const std::string line = CsvDataLine(block, LocalCsvTime(unixMs));
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

std::string CsvTitlePart(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return "       (CSV output: " + name + ")      ";
}

}  // namespace zeda
