#include "params/quicksave.h"

#include <cstdio>
#include <filesystem>

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

}  // namespace zeda
