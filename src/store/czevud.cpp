#include "store/czevud.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/ascii_case.h"
#include "base/identity.h"
#include "params/atomic_file.h"
#include "store/store_command.h"
#include "store/zevud_format.h"

namespace zeda {
namespace {

constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ULL;

// Store paths take "\" (and, for convenience on the command line, "/"); empty parts and a
// leading separator are ignored.
std::vector<std::string> SplitStorePath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) parts.push_back(std::move(cur));
  return parts;
}

ZevudEntry* Child(ZevudEntry& folder, const std::string& name) {
  for (ZevudEntry& c : folder.children) {
    if (EqualsIgnoringAsciiCase(c.name, name)) return &c;
  }
  return nullptr;
}

// A separator inside a name would split it into folders when it is looked up.
bool Storable(const std::string& name) {
  return !name.empty() && name.find('\\') == std::string::npos &&
         name.find('/') == std::string::npos;
}

uint64_t NowTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ZevudTimeFromUnix(ts.tv_sec, ts.tv_nsec);
}

uint64_t StatTime(const struct stat& st) {
  return ZevudTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

std::string LastComponent(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Finds the marker in the first 32 bytes of a 256-byte block; -1 when there is none.
int64_t ScanForMarker(FILE* f, int64_t* hostLength) {
  const ZevudMarker marker = MakeZevudMarker();
  std::vector<uint8_t> chunk(kZevudScanChunk);
  int64_t base = 0;
  while (true) {
    const size_t got = std::fread(chunk.data(), 1, chunk.size(), f);
    for (size_t at = 0; at + kZevudMarkerSize <= got; at += kZevudBlock) {
      if (std::memcmp(chunk.data() + at, marker.data(), kZevudMarkerSize) == 0)
        return base + static_cast<int64_t>(at);
    }
    base += static_cast<int64_t>(got);
    if (got < chunk.size()) break;
  }
  *hostLength = base;
  return -1;
}

bool ReadFrom(FILE* f, int64_t offset, std::vector<uint8_t>& out) {
  if (fseeko(f, offset, SEEK_SET) != 0) return false;
  out.clear();
  uint8_t buf[65536];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + got);
  return std::ferror(f) == 0;
}

FILE* OpenRegular(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  struct stat st {};
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

void ListInto(const ZevudEntry& folder, const std::string& prefix,
              std::vector<ZevudListLine>& out) {
  for (const ZevudEntry& c : folder.children) {
    ZevudListLine line;
    line.folder = c.folder;
    line.path = prefix.empty() ? c.name : prefix + "\\" + c.name;
    line.size = c.folder ? static_cast<uint32_t>(c.children.size()) : c.size;
    line.packed = c.folder ? 0 : c.packed;
    out.push_back(line);
    if (c.folder) ListInto(c, line.path, out);
  }
}

}  // namespace

std::string ZevudImportFolder() { return "../ZEVUD/NEW_" + std::to_string(kUnitKey); }

uint64_t ZevudTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
  return (static_cast<uint64_t>(seconds) + kSecondsFrom1601To1970) * 10000000ULL +
         static_cast<uint64_t>(nanoseconds / 100);
}

CZevud::CZevud() { root_.folder = true; }

ZevudOpen CZevud::OpenStore(const std::string& hostPath) {
  hostPath_ = hostPath;
  root_ = ZevudEntry{};
  root_.folder = true;
  markerOffset_ = 0;
  problem_.clear();
  FILE* f = OpenRegular(hostPath);
  if (!f) {
    problem_ = "cannot read " + hostPath;
    return ZevudOpen::NoHost;
  }
  int64_t length = 0;
  const int64_t at = ScanForMarker(f, &length);
  if (at < 0) {
    markerOffset_ = length;
    std::fclose(f);
    return ZevudOpen::NoStore;
  }
  markerOffset_ = at;
  std::vector<uint8_t> rest;
  const bool ok = ReadFrom(f, at + static_cast<int64_t>(kZevudMarkerSize), rest);
  std::fclose(f);
  if (!ok) {
    problem_ = "read error in " + hostPath;
    return ZevudOpen::Damaged;
  }
  ZevudLoadResult r = LoadZevudTree(rest);
  if (r.state != ZevudLoad::Loaded) {
    problem_ = "the store in " + hostPath + " is damaged: " + r.problem;
    return ZevudOpen::Damaged;
  }
  root_ = std::move(r.root);
  return ZevudOpen::Loaded;
}

bool CZevud::RunStoreCommand(const std::string& line) {
  failedItems_.clear();
  itemsAffected_ = 0;
  const auto cmd = SplitStoreCommand(line);
  if (!cmd) return Fail(line, "not a command");
  if (cmd->keyword == "IMPORT") {
    if (cmd->args.empty() || cmd->args.size() > 2) return Fail(line, "IMPORT source [target]");
    return Import(cmd->args[0], cmd->args.size() > 1 ? cmd->args[1] : std::string());
  }
  return Fail(line, "unknown command " + cmd->keyword);
}

bool CZevud::Fail(const std::string& item, const std::string& why) {
  problem_ = item.empty() ? why : item + ": " + why;
  failedItems_.push_back(problem_);
  return false;
}

ZevudEntry* CZevud::FindFolder(const std::string& path) {
  ZevudEntry* e = &root_;
  for (const std::string& part : SplitStorePath(path)) {
    e = Child(*e, part);
    if (!e || !e->folder) return nullptr;
  }
  return e;
}

const ZevudEntry* CZevud::Find(const std::string& path) const {
  const ZevudEntry* e = &root_;
  for (const std::string& part : SplitStorePath(path)) {
    if (!e->folder) return nullptr;
    e = Child(const_cast<ZevudEntry&>(*e), part);
    if (!e) return nullptr;
  }
  return e;
}

bool CZevud::CreateFolder(const std::string& parentPath, const std::string& name, uint64_t time) {
  ZevudEntry* parent = FindFolder(parentPath);
  if (!parent) return Fail(parentPath, "no such store folder");
  const std::string kept = ZevudName(name);
  if (!Storable(kept)) return Fail(name, "not a name the store can keep");
  if (ZevudEntry* old = Child(*parent, kept)) {
    return old->folder ? true : Fail(kept, "a file of that name is in the way");
  }
  if (parent->children.size() >= kZevudMaxChildren)
    return Fail(kept, "the folder already holds 4095 entries");
  ZevudEntry f;
  f.name = kept;
  f.folder = true;
  f.time = time ? time : NowTime();
  parent->children.push_back(std::move(f));
  return true;
}

bool CZevud::AddFile(const std::string& folderPath, const std::string& name,
                     const std::vector<uint8_t>& content, uint64_t time) {
  ZevudEntry* folder = FindFolder(folderPath);
  if (!folder) return Fail(folderPath, "no such store folder");
  const std::string kept = ZevudName(name);
  if (!Storable(kept)) return Fail(name, "not a name the store can keep");
  if (content.size() > kZevudMaxFileSize) return Fail(kept, "larger than 5 MiB");
  ZevudEntry* old = Child(*folder, kept);
  if (old && old->folder) return Fail(kept, "a folder of that name is in the way");
  if (!old && folder->children.size() >= kZevudMaxChildren)
    return Fail(kept, "the folder already holds 4095 entries");
  ZevudPacked p = PackZevudData(content);
  ZevudEntry f;
  f.name = old ? old->name : kept;
  f.size = static_cast<uint32_t>(content.size());
  f.packed = p.packed;
  f.data = std::move(p.data);
  f.time = time ? time : NowTime();
  if (old) {
    *old = std::move(f);
  } else {
    folder->children.push_back(std::move(f));
  }
  ++itemsAffected_;
  return true;
}

bool CZevud::AddDiskFile(const std::string& diskPath, const std::string& folderPath,
                         const std::string& name) {
  struct stat st {};
  if (stat(diskPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return Fail(diskPath, "cannot be opened");
  if (st.st_size > static_cast<off_t>(kZevudMaxFileSize))
    return Fail(diskPath, "larger than 5 MiB");
  std::string text;
  bool tooLarge = false;
  if (!ReadWholeFile(diskPath, &text, kZevudMaxFileSize + 1, &tooLarge))
    return Fail(diskPath, tooLarge ? "larger than 5 MiB" : "cannot be read");
  const std::vector<uint8_t> content(text.begin(), text.end());
  return AddFile(folderPath, name, content, StatTime(st));
}

bool CZevud::ImportFolder(const std::string& diskPath, const std::string& intoPath) {
  DIR* dir = opendir(diskPath.c_str());
  if (!dir) return Fail(diskPath, "cannot be listed");
  std::vector<std::string> names;
  while (dirent* d = readdir(dir)) {
    if (d->d_name[0] != '.') names.emplace_back(d->d_name);
  }
  closedir(dir);
  // The directory's own order differs between file systems; the store keeps a stable one.
  std::sort(names.begin(), names.end());
  bool ok = true;
  for (const std::string& name : names) {
    const std::string disk = diskPath + "/" + name;
    struct stat st {};
    if (stat(disk.c_str(), &st) != 0) {
      ok = Fail(disk, "cannot be opened");
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      if (!CreateFolder(intoPath, name, StatTime(st))) {
        ok = false;
        continue;
      }
      const std::string sub = intoPath + "\\" + ZevudName(name);
      ok = ImportFolder(disk, sub) && ok;
    } else {
      ok = AddDiskFile(disk, intoPath, name) && ok;
    }
  }
  return ok;
}

bool CZevud::Import(const std::string& source, const std::string& target) {
  struct stat st {};
  if (source.empty() || stat(source.c_str(), &st) != 0) return Fail(source, "not found");
  if (!FindFolder(target)) return Fail(target, "no such store folder");
  if (S_ISDIR(st.st_mode)) {
    const std::string name = LastComponent(source);
    if (!CreateFolder(target, name, StatTime(st))) return false;
    return ImportFolder(source, target + "\\" + ZevudName(name));
  }
  // A single file goes into the target folder under its own name.
  std::string name = LastComponent(source);
  if (!name.empty() && name.back() == '.') name.pop_back();
  return AddDiskFile(source, target, name);
}

std::vector<ZevudListLine> CZevud::List() const {
  std::vector<ZevudListLine> out;
  ListInto(root_, "", out);
  return out;
}

bool CZevud::Extract(const std::string& path, std::vector<uint8_t>& out, std::string* error) const {
  out.clear();
  const ZevudEntry* e = SplitStorePath(path).empty() ? nullptr : Find(path);
  if (!e) {
    if (error) *error = path + ": not in the store";
    return false;
  }
  if (e->folder) {
    if (error) *error = path + ": is a folder";
    return false;
  }
  if (!UnpackZevudData(*e, out)) {
    if (error) *error = path + ": the stored data is damaged";
    return false;
  }
  return true;
}

bool CZevud::WriteToHost(const std::string& hostPath, std::string* error) const {
  // The host is scanned again: its own content is what lies before a store it holds now.
  FILE* f = OpenRegular(hostPath);
  if (!f) {
    if (error) *error = "cannot read " + hostPath;
    return false;
  }
  int64_t length = 0;
  int64_t own = ScanForMarker(f, &length);
  if (own < 0) own = length;
  std::vector<uint8_t> host;
  const bool ok = ReadFrom(f, 0, host);
  std::fclose(f);
  if (!ok || static_cast<int64_t>(host.size()) < own) {
    if (error) *error = "read error in " + hostPath;
    return false;
  }
  std::string out(reinterpret_cast<const char*>(host.data()), static_cast<size_t>(own));
  out.append((kZevudBlock - out.size() % kZevudBlock) % kZevudBlock, '\0');
  const ZevudMarker marker = MakeZevudMarker();
  out.append(reinterpret_cast<const char*>(marker.data()), marker.size());
  out += SerializeZevudTree(root_);
  return WriteFileAtomic(hostPath, out, error);
}

}  // namespace zeda
