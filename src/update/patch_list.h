#pragma once
// The published update list (patch.xml) and the choice of the update to offer. The list is
// not parsed as XML: the product section and each recommendation are found by literal,
// case-sensitive markers, as the server writes them. Pure functions; any thread.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeda {

// What the list is matched against: product class, unit key and build date "yyyy_mm_dd".
struct PatchBuild {
  std::string productClass;
  int key = 0;
  std::string date;
};

// This program's build ("KESTRA2_RACE", the unit key, the compile date).
PatchBuild ThisPatchBuild();
// "Mmm dd yyyy" (the compiler's date) as "yyyy_mm_dd"; "0000_00_00" when unreadable.
std::string PatchDateFromBuildDate(std::string_view buildDate);

// One recommendation as the list gives it.
struct PatchRecommendation {
  int number = 0;
  std::string from = "0000_00_00";
  std::string to = "9999_99_99";
  std::optional<std::string> english, czech, web, webCz, download;
};

// The update to offer, texts chosen for the language.
struct PatchOffer {
  int number = 0;
  std::string text;  // the notice: RTF when rtf, else plain text
  bool rtf = false;
  std::string web;       // empty: no web page
  std::string download;  // empty: no download
};

// Web and download addresses are cut to this many characters.
inline constexpr size_t kPatchMaxAddress = 249;
inline constexpr size_t kPatchMaxDate = 11;

// The text between the product section's start tag and the next "</product>"; nothing
// when the body has no section for this build's class and key.
std::optional<std::string_view> FindPatchProductSection(std::string_view body,
                                                        const PatchBuild& build);
// Every recommendation of a section, in order.
std::vector<PatchRecommendation> ReadPatchRecommendations(std::string_view section);
// from <= build date < to, compared byte by byte.
bool PatchApplies(const PatchRecommendation& r, const PatchBuild& build);

// The applying recommendation with the highest number (the first of equals), its texts
// chosen for language (0 English, 1 German, 2 Czech); nothing when none applies.
std::optional<PatchOffer> EvaluatePatchList(std::string_view body, const PatchBuild& build,
                                            int language);

// An offer is shown only when its number is above the one the user dismissed (so an
// update numbered 0 never is).
inline bool PatchWanted(const PatchOffer& offer, int dismissedNumber) {
  return offer.number > dismissedNumber;
}

}  // namespace zeda
