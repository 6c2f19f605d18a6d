#pragma once
// The file history of the File menu: up to ten paths, most recent first. Entry 0 is the
// current file (empty after New); entries 1-9 are offered as menu items.
#include <string>
#include <vector>

namespace zeda {

class FileHistory {
 public:
  static constexpr int kMaxEntries = 10;

  // Puts path at the head. A non-empty path first drops every empty entry; a path that is
  // already listed moves to the head, otherwise the list grows (the oldest falls off).
  void Add(const std::string& path);
  // Removes the first entry equal to path.
  void Remove(const std::string& path);
  // Replaces the whole list (settings load); keeps at most ten entries.
  void Assign(std::vector<std::string> entries);

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Entry(int k) const { return entries_.at(static_cast<size_t>(k)); }
  const std::vector<std::string>& Entries() const { return entries_; }

  // Menu caption of entry k: "k name" with the file name without folder and extension.
  std::string Caption(int k) const;
  // Menu item k (1-9) is shown while k is below the count; the separator from two entries on.
  bool ItemVisible(int k) const { return k >= 1 && k < Count(); }
  bool SeparatorVisible() const { return Count() > 1; }

 private:
  std::vector<std::string> entries_;
};

// The file name without folder (after the last '/' or '\').
std::string FileNamePart(const std::string& path);

}  // namespace zeda
