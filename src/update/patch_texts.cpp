#include "update/patch_texts.h"

#include "base/ascii_case.h"
#include "lang/lang_string.h"

namespace zeda {
namespace {

constexpr PatchCaptions kEnglishCaptions = {"Update", "Download update", "go to WWW",
                                            "Cancel (don't remind this update)",
                                            "Cancel (remaind later)"};
constexpr PatchCaptions kCzechCaptions = {"Aktualizace", "Stáhni aktualizaci", "jdi na WWW",
                                          "Zpět (nepřipomínej tuto aktualizaci)",
                                          "Zpět (připomeň příště)"};

bool ValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (s.size() - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

const PatchCaptions& PatchCaptionsFor(int language) {
  return language == kCzech ? kCzechCaptions : kEnglishCaptions;
}

const char* PatchDownloadMessage(std::string_view downloadAddress) {
  return downloadAddress.find("setup") != std::string_view::npos ? kPatchRunInstaller
                                                                 : kPatchStoreNewVersion;
}

bool IsOpenableWebAddress(std::string_view address) {
  size_t host = 0;
  if (address.size() > 7 && EqualsIgnoringAsciiCase(address.substr(0, 7), "http://")) {
    host = 7;
  } else if (address.size() > 8 && EqualsIgnoringAsciiCase(address.substr(0, 8), "https://")) {
    host = 8;
  } else {
    return false;
  }
  if (address[host] == '/' || address[host] == '?' || address[host] == '#') return false;
  for (char c : address) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return false;
  }
  return true;
}

std::string PatchListAddress(std::string_view server) {
  std::string base(server.empty() ? std::string_view(kPatchDefaultServer) : server);
  while (!base.empty() && base.back() == '/') base.pop_back();
  if (!IsOpenableWebAddress(base)) return {};
  return base + kPatchListPath;
}

std::string PatchTextToUtf8(std::string_view text) {
  if (ValidUtf8(text)) return std::string(text);
  std::string out;
  for (char c : text) {
    const uint32_t cp = Cp1250ToUnicode(static_cast<unsigned char>(c));
    if (cp < 0x80) {
      if (cp) out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace zeda
