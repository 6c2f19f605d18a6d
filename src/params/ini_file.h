#pragma once
// A small ini-file model: sections of key=value lines, kept in file order so that a
// rewrite keeps keys and sections this program does not know. Section and key names
// compare without regard to ASCII case, as ini files traditionally do.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeda {

class IniFile {
 public:
  // Parses ini text; lines that are neither "[section]" nor "key=value" are dropped,
  // lines before the first section are ignored.
  void Parse(std::string_view text);
  std::string Serialize() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // An integer value as "%i" would read it (leading blanks, sign, digits); nullopt when the
  // key is missing or holds no number.
  std::optional<int> GetInt(std::string_view section, std::string_view key) const;

  void Set(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int value);
  void Remove(std::string_view section, std::string_view key);

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;

  std::vector<Section> sections_;
};

// Parses a decimal integer the way "%i" without octal/hex does for our files: leading
// blanks, an optional sign, digits. Saturates instead of overflowing.
std::optional<int> ParseIntPrefix(std::string_view text);

}  // namespace zeda
