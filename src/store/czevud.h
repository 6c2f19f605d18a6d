#pragma once
// CZevud: the archive store, a tree of named files and folders kept inside a host file
// after a 32-byte marker at a 256-byte boundary, larger files packed with zlib. The store
// is held wholly in memory; WriteToHost puts it back into a host file. Thread contract: one
// object belongs to one thread; nothing is shared.
#include <cstdint>
#include <string>
#include <vector>

#include "store/zevud_tree.h"

namespace zeda {

// The start-up import folder: "../ZEVUD" + "/NEW_%i" with the unit key, relative to the
// working folder.
std::string ZevudImportFolder();

enum class ZevudOpen {
  NoHost,   // the host file could not be read: the store is empty
  NoStore,  // the host has no marker: the store is empty
  Loaded,
  Damaged,  // a marker, but the tree after it is broken: the store is empty
};

// One line of List().
struct ZevudListLine {
  bool folder = false;
  std::string path;     // "\" separators, no leading "\"
  uint32_t size = 0;    // file: content size; folder: child count
  uint32_t packed = 0;  // file: compressed size; folder: 0
};

// 100-ns intervals since 1601-01-01 UTC for a Unix time.
uint64_t ZevudTimeFromUnix(int64_t seconds, int64_t nanoseconds);

class CZevud {
 public:
  CZevud();

  // Scans the host for the marker and loads the tree after it.
  ZevudOpen OpenStore(const std::string& hostPath);
  // Executes one command line ("IMPORT source target"); false on failure.
  bool RunStoreCommand(const std::string& line);

  // IMPORT: a disk folder becomes a store folder of the same name inside target (its
  // files and subfolders with it, names beginning with "." skipped); a disk file is added
  // to target under its own name. Failed items are skipped; false when any failed.
  bool Import(const std::string& source, const std::string& target);
  // Adds (or replaces) a file in the store folder folderPath.
  bool AddFile(const std::string& folderPath, const std::string& name,
               const std::vector<uint8_t>& content, uint64_t time);
  // Creates a folder (an existing folder of the name stays as it is).
  bool CreateFolder(const std::string& parentPath, const std::string& name, uint64_t time);

  // Every entry, depth first in stored order (the root itself not listed).
  std::vector<ZevudListLine> List() const;
  // A file's content; false with a reason for a missing path, a folder or broken data.
  bool Extract(const std::string& path, std::vector<uint8_t>& out, std::string* error) const;

  // Writes the host back with the store after its own content, at the next 256-byte
  // boundary (the old store, if any, replaced). Atomic: the host is replaced or untouched.
  bool WriteToHost(const std::string& hostPath, std::string* error) const;

  const ZevudEntry& Root() const { return root_; }
  bool Empty() const { return root_.children.empty(); }
  int64_t MarkerOffset() const { return markerOffset_; }
  int ItemsAffected() const { return itemsAffected_; }
  // What a failing command or a damaged store was about (the last problem met).
  const std::string& Problem() const { return problem_; }
  const std::vector<std::string>& FailedItems() const { return failedItems_; }

 private:
  ZevudEntry* FindFolder(const std::string& path);
  const ZevudEntry* Find(const std::string& path) const;
  bool ImportFolder(const std::string& diskPath, const std::string& intoPath);
  bool AddDiskFile(const std::string& diskPath, const std::string& folderPath,
                   const std::string& name);
  bool Fail(const std::string& item, const std::string& why);

  std::string hostPath_;
  int64_t markerOffset_ = 0;
  int itemsAffected_ = 0;
  ZevudEntry root_;
  std::string problem_;
  std::vector<std::string> failedItems_;
};

}  // namespace zeda
