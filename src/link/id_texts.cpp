#include "link/id_texts.h"

#include <cstdio>
#include <ctime>

namespace zeda {

namespace {

// Sum of the letters of "Jan" ... "Dec" taken as 8-bit values, and the month it stands for.
struct MonthSum {
  uint8_t sum;
  const char* text;
};
constexpr MonthSum kMonthSums[] = {
    {25, " 1"}, {13, " 2"}, {32, " 3"}, {35, " 4"}, {39, " 5"}, {45, " 6"},
    {43, " 7"}, {29, " 8"}, {40, " 9"}, {38, "10"}, {51, "11"}, {12, "12"},
};

bool IsUnset(uint8_t b) { return b == 0 || b == 0xFF; }

// Appends the bytes [from, from + count) up to the first NUL.
void AppendChars(std::string& out, const uint8_t* from, int count) {
  for (int i = 0; i < count && from[i] != 0; ++i) out.push_back(static_cast<char>(from[i]));
}

}  // namespace

const char* IdMonthText(uint8_t letterSum) {
  for (const MonthSum& m : kMonthSums) {
    if (m.sum == letterSum) return m.text;
  }
  return "00";
}

std::string IdVersionText(const uint8_t* b) {
  std::string out;
  if (b[16] != 0) {
    AppendChars(out, b + 16, 15);
    return out;
  }
  AppendChars(out, b, 3);
  if (out.size() < 3) return out;  // a NUL among the letters ends the text
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02i", b[3]);
  return out + digits;
}

std::string IdDateText(const uint8_t* b) {
  char text[32];
  std::snprintf(text, sizeof text, "%2i.%s.20%02i", b[4], IdMonthText(b[5]), b[6]);
  return text;
}

std::string IdTimeText(const uint8_t* b) {
  char text[16];
  std::snprintf(text, sizeof text, "%02i:%02i", b[7], b[8]);
  return text;
}

std::string IdHardwareText(const uint8_t* b) {
  if (IsUnset(b[31]) || b[34] == 0xFF) return {};
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02i%02i%02i", b[34], b[33], b[32]);
  std::string out = digits;
  // A zero letter is left out rather than ending the text there.
  if ((b[31] & 0x7F) != 0) out.push_back(static_cast<char>(b[31] & 0x7F));
  out.push_back((b[31] & 0x80) ? '+' : '_');
  return out + IdVersionText(b);
}

std::string IdSerialText(const uint8_t* b) {
  if (IsUnset(b[39])) return {};
  if (b[46] == 0xFF) return "none SN";
  char text[48];
  std::snprintf(text, sizeof text, "%02i%02i%02i-%02i%02i%02i-%03i%02x", b[46], b[45], b[44], b[43],
                b[42], b[41], b[40], b[39]);
  return text;
}

std::string IdLastUpdateText(const uint8_t* b) {
  const uint32_t stamp = static_cast<uint32_t>(b[35]) | static_cast<uint32_t>(b[36]) << 8 |
                         static_cast<uint32_t>(b[37]) << 16 | static_cast<uint32_t>(b[38]) << 24;
  // Judge the whole stamp: its low byte alone may well be 0 or 255 in a real time.
  if (stamp == 0 || stamp == 0xFFFFFFFFu) return {};
  const std::time_t seconds = static_cast<std::time_t>(stamp);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return "error";
  char text[64];
  std::snprintf(text, sizeof text, "(last update: %02i.%02i.%02i-%02i:%02i:%02i)", local.tm_mday,
                local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

std::string IdAdditionalText(const uint8_t* b) {
  std::string out;
  bool gap = false;
  for (int i = 47; i <= 146; ++i) {
    if (IsUnset(b[i])) {
      gap = true;
      continue;
    }
    if (gap) out.push_back('~');
    gap = false;
    out.push_back(static_cast<char>(b[i]));
  }
  return out;
}

IdTexts DeriveIdTexts(const uint8_t* block) {
  IdTexts t;
  t.version = IdVersionText(block);
  t.date = IdDateText(block);
  t.time = IdTimeText(block);
  t.hardware = IdHardwareText(block);
  t.serial = IdSerialText(block);
  t.lastUpdate = IdLastUpdateText(block);
  t.additional = IdAdditionalText(block);
  return t;
}

}  // namespace zeda
