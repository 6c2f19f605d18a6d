#include "params/ign_completeness.h"

#include <cctype>
#include <map>

#include "params/defaults.h"
#include "params/ign_writer.h"

namespace zeda {

namespace {

struct Expected {
  std::string keyword;
  int values;
};

// Keywords the reader skips: their absence costs nothing.
bool ReaderIgnores(std::string_view k) { return k == "TEST_OUT" || k == "TORVELIX_KEY"; }

bool IsNumber(std::string_view t) {
  size_t i = (!t.empty() && t[0] == '-') ? 1 : 0;
  if (i >= t.size()) return false;
  for (; i < t.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
  }
  return true;
}

bool IsKeyword(std::string_view t) {
  return !t.empty() && std::isupper(static_cast<unsigned char>(t[0]));
}

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) out.push_back(text.substr(start, i - start));
  }
  return out;
}

// keyword -> number of values following it, up to VERSIONS; the first occurrence counts.
std::vector<Expected> Scan(std::string_view text) {
  std::vector<Expected> out;
  for (std::string_view t : Tokens(text)) {
    if (t == "VERSIONS") break;
    if (IsNumber(t)) {
      if (!out.empty()) ++out.back().values;
    } else if (IsKeyword(t)) {
      out.push_back({std::string(t), 0});
    }
  }
  return out;
}

const std::vector<Expected>& WholeFile() {
  static const std::vector<Expected> kWhole = [] {
    std::vector<Expected> all = Scan(FormatIgnFile(StartImage(), IgnIdentification{}));
    std::vector<Expected> kept;
    for (Expected& e : all) {
      // The header's own words ("KESTRA2_RACE/KESTRA2", "ZEDA") are not keywords.
      if (ReaderIgnores(e.keyword) || e.keyword.find('/') != std::string::npos ||
          (e.keyword.find('_') == std::string::npos && e.values == 0)) {
        continue;
      }
      kept.push_back(std::move(e));
    }
    return kept;
  }();
  return kWhole;
}

}  // namespace

std::vector<std::string> MissingIgnKeywords(std::string_view text) {
  std::map<std::string, int, std::less<>> found;
  for (const Expected& e : Scan(text)) found.emplace(e.keyword, e.values);
  std::vector<std::string> missing;
  for (const Expected& e : WholeFile()) {
    const auto it = found.find(e.keyword);
    if (it == found.end() || it->second < e.values) missing.push_back(e.keyword);
  }
  return missing;
}

std::string JoinKeywords(const std::vector<std::string>& keywords, size_t shown) {
  std::string out;
  for (size_t i = 0; i < keywords.size() && i < shown; ++i) {
    if (i > 0) out += ", ";
    out += keywords[i];
  }
  if (keywords.size() > shown) out += " and " + std::to_string(keywords.size() - shown) + " more";
  return out;
}

}  // namespace zeda
