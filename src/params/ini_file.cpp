#include "params/ini_file.h"

#include <climits>
#include <cstdint>

#include "base/ascii_case.h"

namespace zeda {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::string_view TrimLineEnd(std::string_view s) {
  while (!s.empty() && s.back() == '\r') s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<int> ParseIntPrefix(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < INT64_C(10000000000)) value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

void IniFile::Parse(std::string_view text) {
  sections_.clear();
  // Editors like to put a UTF-8 byte-order mark first; it would hide the first section.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Section* current = nullptr;
  while (!text.empty()) {
    size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    line = TrimLineEnd(line);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      std::string_view name = Trim(line.substr(1, close - 1));

      current = FindSection(name);
      if (!current) {
        sections_.push_back(Section{std::string(name), {}});
        current = &sections_.back();
      }
      continue;
    }
    if (!current) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    // Only leading blanks go: a path may end in a blank.
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    // Of duplicate keys the first counts, as with the system's profile reader.
    bool found = false;
    for (auto& e : current->entries) {
      if (EqualsIgnoringAsciiCase(e.key, key)) {
        found = true;
        break;
      }
    }
    if (!found) current->entries.push_back(Entry{std::string(key), std::string(value)});
  }
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const auto& s : sections_) {
    if (!out.empty()) out += '\n';
    out += '[';
    out += s.name;
    out += "]\n";
    for (const auto& e : s.entries) {
      out += e.key;
      out += '=';
      out += e.value;
      out += '\n';
    }
  }
  return out;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  for (auto& s : sections_)
    if (EqualsIgnoringAsciiCase(s.name, name)) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const auto& s : sections_)
    if (EqualsIgnoringAsciiCase(s.name, name)) return &s;
  return nullptr;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  for (const auto& e : s->entries)
    if (EqualsIgnoringAsciiCase(e.key, key)) return e.value;
  return std::nullopt;
}

std::optional<int> IniFile::GetInt(std::string_view section, std::string_view key) const {
  auto v = Get(section, key);
  if (!v) return std::nullopt;
  return ParseIntPrefix(*v);
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{std::string(section), {}});
    s = &sections_.back();
  }
  // Line breaks would split the entry; values never need them.
  std::string clean;
  for (char c : value)
    if (c != '\n' && c != '\r') clean += c;
  for (auto& e : s->entries) {
    if (EqualsIgnoringAsciiCase(e.key, key)) {
      e.value = clean;
      return;
    }
  }
  s->entries.push_back(Entry{std::string(key), clean});
}

void IniFile::SetInt(std::string_view section, std::string_view key, int value) {
  Set(section, key, std::to_string(value));
}

void IniFile::Remove(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (!s) return;
  for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
    if (EqualsIgnoringAsciiCase(it->key, key)) {
      s->entries.erase(it);
      return;
    }
  }
}

}  // namespace zeda
