#include "app/title.h"

#include <cstdio>
#include <cstring>

#include "base/identity.h"
#include "lang/lang_string.h"

namespace zeda {

const char* const kDisconnectedByBootloader =
    "###(Disconnected by bootloader)##(Von Bootloader getrennt)##(Dočasně odpojeno "
    "bootloaderem)";

namespace {

std::string WithoutFolder(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string ComposeTitle(const TitleInputs& in, int language) {
  char product[64];
  std::snprintf(product, sizeof product, "  %s (v%i)", kProductText, kProgramVersion);
  const std::string p = product;
  const std::string s(7, ' ');
  std::string c;
  if (!in.csvPath.empty()) {
    c = "       (CSV output: " + WithoutFolder(in.csvPath) + ")      ";
  }
  const std::string d = LangText(kDisconnectedByBootloader, language);
  if (in.unsaved && !in.fileName.empty()) {
    return p + s + "*" + in.fileName + c + (in.linkEnabled ? std::string() : d);
  }
  if (!in.fileMatches) return in.linkEnabled ? p + c : p + s + c + d;
  return in.linkEnabled ? p + s + in.fileName + c : p + s + in.fileName + c + d;
}

std::string FormatBuildDate(const char* date) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char name[4] = {};
  int day = 0;
  int year = 0;
  if (std::sscanf(date, "%3s %d %d", name, &day, &year) != 3) return "0_00_00";
  int month = 0;
  for (int i = 0; i < 12; ++i) {
    if (std::strcmp(name, kMonths[i]) == 0) month = i + 1;
  }
  char out[32];
  std::snprintf(out, sizeof out, "%i_%02i_%02i", year, month, day);
  return out;
}

std::string BuildText() {
  char out[256];
  std::snprintf(out, sizeof out, "%s   RSKEY=%i.%02i   COMPILE=%s", kProductIdentifier, kUnitKey,
                kUnitVersion, FormatBuildDate(kBuildDate).c_str());
  return out;
}

std::string UnitText(int keyCheckKind, const std::string& keyCheckText,
                     const UnitIdentTexts& ident) {
  if (keyCheckKind == kKeyCheckText) return keyCheckText;
  if (keyCheckKind != kKeyCheckIdent) return "not connected";
  if (ident.hardware.empty()) {
    return ident.version + "   " + keyCheckText + "   " + ident.date + "   " + ident.time;
  }
  return ident.hardware + "   " + keyCheckText + "   (" + ident.serial + ")   " + ident.lastUpdate +
         "   " + ident.additional;
}

}  // namespace zeda
