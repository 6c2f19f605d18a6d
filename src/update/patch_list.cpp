#include "update/patch_list.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "base/identity.h"
#include "lang/lang_string.h"

namespace zeda {
namespace {

// The text between open and close inside text; nothing when either is missing.
std::optional<std::string> Element(std::string_view text, std::string_view open,
                                   std::string_view close) {
  const size_t a = text.find(open);
  if (a == std::string_view::npos) return std::nullopt;
  const size_t start = a + open.size();
  const size_t b = text.find(close, start);
  if (b == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(start, b - start));
}

// The value after name="  up to the next double quote (or the end of the attributes).
std::optional<std::string_view> Attribute(std::string_view attrs, std::string_view name) {
  const std::string key = std::string(name) + "=\"";
  const size_t a = attrs.find(key);
  if (a == std::string_view::npos) return std::nullopt;
  std::string_view v = attrs.substr(a + key.size());
  return v.substr(0, v.find('"'));
}

std::string DateOr(std::optional<std::string_view> v, const char* fallback) {
  if (!v || v->empty()) return fallback;
  return std::string(v->substr(0, kPatchMaxDate));
}

std::optional<std::string> Address(std::string_view content, std::string_view open,
                                   std::string_view close) {
  auto v = Element(content, open, close);
  if (v && v->size() > kPatchMaxAddress) v->resize(kPatchMaxAddress);
  return v;
}

}  // namespace

std::string PatchDateFromBuildDate(std::string_view buildDate) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int month = 0, day = 0, year = 0;
  char name[4] = {};
  const std::string text(buildDate);
  if (std::sscanf(text.c_str(), "%3s %d %d", name, &day, &year) != 3) return "0000_00_00";
  for (int m = 0; m < 12; ++m) {
    if (std::strcmp(name, kMonths[m]) == 0) month = m + 1;
  }
  if (month == 0 || day < 1 || day > 31 || year < 0 || year > 9999) return "0000_00_00";
  char out[40];
  std::snprintf(out, sizeof out, "%04d_%02d_%02d", year, month, day);
  return out;
}

PatchBuild ThisPatchBuild() {
  return PatchBuild{kProductIdentifier, kUnitKey, PatchDateFromBuildDate(kBuildDate)};
}

std::optional<std::string_view> FindPatchProductSection(std::string_view body,
                                                        const PatchBuild& build) {
  char start[160];
  std::snprintf(start, sizeof start, "<product class=\"%s\" key=\"%i\">",
                build.productClass.c_str(), build.key);
  const size_t a = body.find(start);
  if (a == std::string_view::npos) return std::nullopt;
  std::string_view rest = body.substr(a + std::strlen(start));
  return rest.substr(0, rest.find("</product>"));
}

std::vector<PatchRecommendation> ReadPatchRecommendations(std::string_view section) {
  static constexpr std::string_view kOpen = "<recommendation";
  static constexpr std::string_view kClose = "</recommendation>";
  std::vector<PatchRecommendation> list;
  size_t pos = 0;
  while (true) {
    const size_t a = section.find(kOpen, pos);
    if (a == std::string_view::npos) break;
    const size_t gt = section.find('>', a + kOpen.size());
    if (gt == std::string_view::npos) break;
    const size_t end = section.find(kClose, gt + 1);
    if (end == std::string_view::npos) break;
    const std::string_view attrs = section.substr(a + kOpen.size(), gt - a - kOpen.size());
    const std::string_view content = section.substr(gt + 1, end - gt - 1);
    PatchRecommendation r;
    if (auto n = Attribute(attrs, "update_number")) {
      int v = 0;
      const auto res = std::from_chars(n->data(), n->data() + n->size(), v);
      r.number = res.ec == std::errc() ? v : 0;
    }
    r.from = DateOr(Attribute(attrs, "from"), "0000_00_00");
    r.to = DateOr(Attribute(attrs, "to"), "9999_99_99");
    r.english = Element(content, "<english>", "</english>");
    r.czech = Element(content, "<czech>", "</czech>");
    r.web = Address(content, "<web>", "</web>");
    r.webCz = Address(content, "<web_cz>", "</web_cz>");
    r.download = Address(content, "<download>", "</download>");
    list.push_back(std::move(r));
    pos = end + kClose.size();
  }
  return list;
}

bool PatchApplies(const PatchRecommendation& r, const PatchBuild& build) {
  return r.from <= build.date && build.date < r.to;
}

std::optional<PatchOffer> EvaluatePatchList(std::string_view body, const PatchBuild& build,
                                            int language) {
  const auto section = FindPatchProductSection(body, build);
  if (!section) return std::nullopt;
  const auto list = ReadPatchRecommendations(*section);
  const PatchRecommendation* best = nullptr;
  for (const PatchRecommendation& r : list) {
    if (PatchApplies(r, build) && (!best || r.number > best->number)) best = &r;
  }
  if (!best) return std::nullopt;
  const bool czech = language == kCzech;
  PatchOffer offer;
  offer.number = best->number;
  if (czech && best->czech) {
    offer.text = *best->czech;
  } else if (best->english) {
    offer.text = *best->english;
  } else {
    char text[200];
    std::snprintf(text, sizeof text, "%s patch %s Key=%i Ver=%i", kMakerFolder,
                  build.productClass.c_str(), build.key, best->number);
    offer.text = text;
  }
  offer.rtf = offer.text.find("{\\rtf1") != std::string::npos;
  if (czech && best->webCz) {
    offer.web = *best->webCz;
  } else if (best->web) {
    offer.web = *best->web;
  }
  offer.download = best->download.value_or(std::string());
  return offer;
}

}  // namespace zeda
