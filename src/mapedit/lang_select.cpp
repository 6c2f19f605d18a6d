#include "mapedit/lang_select.h"

#include <atomic>
#include <vector>

namespace zeda {
namespace {

std::atomic<int> gLanguage{kLangEnglish};

std::string_view trimTrailingBlanks(std::string_view s) {
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

int mapeditLanguage() { return gLanguage.load(std::memory_order_acquire); }

void setMapeditLanguage(int language) { gLanguage.store(language, std::memory_order_release); }

std::string mapeditText(std::string_view text, int language) {
  if (text.size() < 3 || text.substr(0, 3) != "###") return std::string(text);
  if (language < 0) language = mapeditLanguage();
  if (language > 2) language = 0;
  std::vector<std::string_view> variants;
  std::string_view rest = text.substr(3);
  while (variants.size() < 2) {
    size_t cut = rest.find("##");
    if (cut == std::string_view::npos) break;
    variants.push_back(trimTrailingBlanks(rest.substr(0, cut)));
    rest = rest.substr(cut + 2);
  }
  variants.push_back(rest);
  if (static_cast<size_t>(language) >= variants.size()) return std::string(variants[0]);
  std::string_view v = variants[static_cast<size_t>(language)];
  if (v.empty() || v == "..") v = variants[0];
  return std::string(v);
}

}  // namespace zeda
