#include "params/quicksave.h"

#include <climits>
#include <cstdio>
#include <filesystem>

#include "params/file_history.h"

namespace zeda {

std::string QuicksaveName(const std::string& currentFile,
                          const std::vector<std::string>& namesInFolder) {
  size_t slash = currentFile.find_last_of("/\\");
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = currentFile.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return std::string();
  const std::string stemPath = currentFile.substr(0, dot);
  const std::string stem = currentFile.substr(nameStart, dot - nameStart);
  const std::string ext = currentFile.substr(dot);

  long best = 0;
  for (const std::string& name : namesInFolder) {
    if (name.size() < stem.size() + ext.size()) continue;
    if (name.compare(0, stem.size(), stem) != 0) continue;
    if (name.compare(name.size() - ext.size(), ext.size(), ext) != 0) continue;
    size_t us = name.find_last_of('_');
    if (us == std::string::npos) continue;
    long n = 0;
    for (size_t i = us + 1; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
      n = n * 10 + (name[i] - '0');
      if (n > 99999999) break;  // keeps the new number printable
    }
    if (n > best) best = n;
  }
  char num[32];
  std::snprintf(num, sizeof num, "_%03li", best + 1);
  return stemPath + num + ext;
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

int PickDroppedIgn(const std::vector<std::string>& names) {
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& n = names[i];
    if (n.size() <= 3) continue;
    std::string tail = n.substr(n.size() - 4);
    for (char& c : tail)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (tail == ".ign") return static_cast<int>(i);
  }
  return -1;
}

std::string ComposeTitle(bool fileMatches, bool linkEnabled, const std::string& currentFile,
                         const std::string& csvFile, const std::string& disconnectedText) {
  const std::string p = "  KESTRA2 ZEDA (v107)";
  const std::string s = "       ";
  std::string c;
  if (!csvFile.empty()) c = "       (CSV output: " + FileNamePart(csvFile) + ")      ";
  std::string d = linkEnabled ? std::string() : disconnectedText;
  if (!fileMatches) return linkEnabled ? p + c : p + s + c + d;
  return p + s + currentFile + c + d;
}

}  // namespace zeda
