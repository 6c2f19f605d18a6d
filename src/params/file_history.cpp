#include "params/file_history.h"

#include <algorithm>

namespace zeda {

std::string FileNamePart(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void FileHistory::Add(const std::string& path) {
  if (!path.empty()) {
    entries_.erase(std::remove(entries_.begin(), entries_.end(), std::string()), entries_.end());
  }
  auto it = std::find(entries_.begin(), entries_.end(), path);
  if (it != entries_.end()) {
    std::rotate(entries_.begin(), it, it + 1);
    return;
  }
  entries_.insert(entries_.begin(), path);
  if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
}

void FileHistory::Remove(const std::string& path) {
  auto it = std::find(entries_.begin(), entries_.end(), path);
  if (it != entries_.end()) entries_.erase(it);
}

void FileHistory::Assign(std::vector<std::string> entries) {
  entries_ = std::move(entries);
  if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
}

std::string FileHistory::Caption(int k) const {
  std::string name = FileNamePart(Entry(k));
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return std::to_string(k) + " " + name;
}

}  // namespace zeda
