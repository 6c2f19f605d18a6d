#include "lang/lang_string.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

#include "base/message_box.h"

namespace zeda {
namespace {

std::atomic<int> gLanguage{kEnglish};

// Unicode code points of Windows-1250 bytes 0x80-0xFF (0 = byte not assigned).
constexpr uint16_t kCp1250High[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  //
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  //
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  //
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  //
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  //
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  //
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  //
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

bool InCp1250(uint32_t codePoint) {
  if (codePoint < 0x80) return true;
  for (uint16_t c : kCp1250High) {
    if (c != 0 && c == codePoint) return true;
  }
  return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

struct Parsed {
  bool valid = false;  // false: an error was reported, the raw text is used
  int count = 0;
  std::string variants[kLanguageCount];
};

std::shared_mutex gCacheMutex;
std::unordered_map<std::string, std::unique_ptr<Parsed>>& Cache() {
  static auto* map = new std::unordered_map<std::string, std::unique_ptr<Parsed>>();
  return *map;
}

std::string WithText(const char* message, const char* text) { return std::string(message) + text; }

// Splits a text that begins with "#"; reports a malformed one.
std::unique_ptr<Parsed> Parse(const char* text) {
  auto parsed = std::make_unique<Parsed>();
  const std::string_view all(text);
  if (all.size() < 2 || all[1] != '#') {
    // Not a LangString and there is no other parsed form, so there is no variant count:
    // the byte after "#" stands where a count would be.
    const int count = all.size() < 2 ? 0 : static_cast<unsigned char>(all[1]);
    char message[128];
    std::snprintf(message, sizeof message, "Chybny pocet jazykovych mutaci (%i > %i || %i==0) !\n ",
                  count, kLanguageCount, count);
    ShowError(message);
    return parsed;
  }
  if (all.size() < 3 || all[2] != '#') {
    ShowError(WithText("Chybi ### na zacatku v jazykovem retezci !\n", text));
    return parsed;
  }
  std::string_view rest = all.substr(3);
  std::string_view raw[kLanguageCount];
  int count = 0;
  while (true) {
    const size_t cut = count < kLanguageCount - 1 ? rest.find("##") : std::string_view::npos;
    raw[count++] = rest.substr(0, cut);
    if (cut == std::string_view::npos) break;
    rest = rest.substr(cut + 2);
  }
  for (int i = 0; i < count; ++i) {
    if (Cp1250Length(raw[i]) > static_cast<size_t>(kMaxVariantBytes)) {
      ShowError(WithText("Prilis dlouha jazykova mutace (>255 chars) !\n", text));
      return parsed;
    }
  }
  for (int i = 0; i < count; ++i) {
    std::string_view v = raw[i];
    if (i < count - 1) {
      while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
    }
    parsed->variants[i] = std::string(v);
  }
  parsed->count = count;
  parsed->valid = true;
  return parsed;
}

const Parsed& Lookup(const char* text) {
  {
    std::shared_lock lock(gCacheMutex);
    auto it = Cache().find(text);
    if (it != Cache().end()) return *it->second;
  }
  // Parse outside the lock: reporting an error may run a modal event loop.
  std::unique_ptr<Parsed> fresh = Parse(text);
  std::unique_lock lock(gCacheMutex);
  auto [it, inserted] = Cache().try_emplace(text, std::move(fresh));
  return *it->second;
}

}  // namespace

int CurrentLanguage() { return gLanguage.load(std::memory_order_relaxed); }
void SetCurrentLanguage(int language) { gLanguage.store(language, std::memory_order_relaxed); }

const char* LangText(const char* text, int language) {
  if (!text || text[0] != '#') return text;
  const Parsed& parsed = Lookup(text);
  if (!parsed.valid) return text;
  if (language == -1) language = CurrentLanguage();
  if (language < 0 || language >= kLanguageCount) language = kEnglish;
  if (language >= parsed.count) return parsed.variants[kEnglish].c_str();
  const std::string& chosen = parsed.variants[language];
  if (chosen.empty() || chosen == "..") return parsed.variants[kEnglish].c_str();
  return chosen.c_str();
}

uint32_t Cp1250ToUnicode(unsigned char byte) {
  return byte < 0x80 ? byte : kCp1250High[byte - 0x80];
}

std::size_t Cp1250Length(std::string_view utf8) {
  std::size_t length = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    uint32_t cp = lead;
    if (lead >= 0xF0 && lead < 0xF8) {
      extra = 3;
      cp = lead & 0x07;
    } else if (lead >= 0xE0) {
      extra = lead < 0xF0 ? 2 : 0;
      cp = lead & 0x0F;
    } else if (lead >= 0xC0) {
      extra = 1;
      cp = lead & 0x1F;
    }
    // A broken sequence counts byte by byte.
    bool whole = extra > 0;
    for (int k = 1; whole && k <= extra; ++k) {
      if (i + k >= utf8.size()) {
        whole = false;
        break;
      }
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) whole = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (extra == 0 || !whole) {
      length += 1;
      i += 1;
      continue;
    }
    length += InCp1250(cp) ? 1 : static_cast<std::size_t>(extra + 1);
    i += static_cast<size_t>(extra + 1);
  }
  return length;
}

void ClearLangTextCacheForTests() {
  std::unique_lock lock(gCacheMutex);
  Cache().clear();
}

}  // namespace zeda
