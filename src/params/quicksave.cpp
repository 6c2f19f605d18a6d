#include "params/quicksave.h"

#include <cstdio>
#include <filesystem>

namespace zeda {

namespace {

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// FAT and network shares compare names without case, so bike_014.IGN takes the number 14.
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

// Decimal digit strings without leading zeros compare by length, then by text: numbers of
// any length keep their order and are never cut.
bool DigitsLess(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::string DigitsPlusOne(std::string n) {
  for (size_t i = n.size(); i-- > 0;) {
    if (n[i] != '9') {
      ++n[i];
      return n;
    }
    n[i] = '0';
  }
  return "1" + n;
}

}  // namespace

std::string QuicksaveName(const std::string& currentFile,
                          const std::vector<std::string>& namesInFolder) {
  size_t slash = currentFile.find_last_of("/\\");
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = currentFile.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return std::string();
  const std::string stemPath = currentFile.substr(0, dot);
  const std::string stem = currentFile.substr(nameStart, dot - nameStart);
  const std::string ext = currentFile.substr(dot);

  std::string best;  // the largest number found, without leading zeros
  for (const std::string& name : namesInFolder) {
    if (name.size() < stem.size() + ext.size()) continue;
    if (!EqualNoCase(std::string_view(name).substr(0, stem.size()), stem)) continue;
    if (!EqualNoCase(std::string_view(name).substr(name.size() - ext.size()), ext)) continue;
    size_t us = name.find_last_of('_');
    if (us == std::string::npos) continue;
    std::string digits;
    for (size_t i = us + 1; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
      if (digits.empty() && name[i] == '0') continue;
      digits += name[i];
    }
    if (DigitsLess(best, digits)) best = digits;
  }
  std::string next = DigitsPlusOne(best.empty() ? "0" : best);
  if (next.size() < 3) next.insert(0, 3 - next.size(), '0');  // as "_%03i"
  return stemPath + "_" + next + ext;
}

std::string QuicksaveName(const std::string& currentFile) {
  std::vector<std::string> names;
  size_t slash = currentFile.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : currentFile.substr(0, slash + 1);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  return QuicksaveName(currentFile, names);
}

}  // namespace zeda
