#include "params/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace zeda {

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit for a path
constexpr int kNameTries = 100;   // short temporary names tried before giving up

// Closes its descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

bool Fail(std::string* error, const std::string& path, int err) {
  if (error) *error = path + ": " + std::strerror(err);
  return false;
}

bool FailText(std::string* error, const std::string& path, const char* text) {
  if (error) *error = path + ": " + text;
  return false;
}

// Follows symlinks in the last path component, so that a save writes the file a link
// points to instead of replacing the link. A missing file (also a dangling link's target)
// is returned as the name to create. Returns 0 or an errno value.
int ResolveLinks(std::string path, std::string* out) {
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *out = path;
      return 0;
    }
    std::string link(PATH_MAX, '\0');
    ssize_t n = readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    if (n >= static_cast<ssize_t>(link.size())) return ENAMETOOLONG;
    link.resize(static_cast<size_t>(n));
    if (link.empty()) return ENOENT;
    path = link[0] == '/' ? link : Join(FolderOf(path), link);
  }
  return ELOOP;
}

// A hidden temporary name of 11 characters: names near the 255-byte limit still get one.
std::string ShortTempName(const std::string& folder) {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<uint64_t>(getpid()) << 40) ^ counter.fetch_add(0x9E3779B97F4A7C15ull);
  x = (x ^ (x >> 31)) * 0xBF58476D1CE4E5B9ull;
  x ^= x >> 29;
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".zeda";
  for (int i = 0; i < 6; ++i) {
    name += kChars[x % 36];
    x /= 36;
  }
  return Join(folder, name);
}

bool IsTempName(const char* name) {
  if (std::strncmp(name, ".zeda", 5) != 0 || std::strlen(name) != 11) return false;
  for (const char* c = name + 5; *c; ++c) {
    if (!((*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9'))) return false;
  }
  return true;
}

// Replacing a file needs a short-lived name for the new one (no call gives an unnamed file a
// name that replaces another), so a save killed between naming and renaming leaves that name
// behind. Every save holds a lock on its temporary until it has its final name; a temporary
// name nobody holds locked belongs to a save that died, and the next save in the folder
// removes it.
void SweepKilledTemps(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* e = readdir(dir)) {
    if (!IsTempName(e->d_name)) continue;
    const std::string name = Join(folder, e->d_name);
    Fd fd(open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0) continue;
    struct stat held {};
    if (fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;  // a living save's
    struct stat named {};
    if (lstat(name.c_str(), &named) == 0 && named.st_ino == held.st_ino &&
        named.st_dev == held.st_dev)
      unlink(name.c_str());
  }
  closedir(dir);
}

// The file that receives the data before it takes the target's name: unnamed where the
// file system allows, so that a killed program leaves nothing behind; else a short
// hidden name, removed again on every failure.
struct TempFile {
  Fd fd;
  std::string name;  // empty for an unnamed file
  ~TempFile() {
    if (!name.empty()) unlink(name.c_str());
  }
  void Published() { name.clear(); }
};

// New files get 0666 less the umask (and the folder's default ACL) from the kernel itself:
// nothing here needs to know the umask.
int CreateTemp(const std::string& folder, TempFile* t) {
#ifdef O_TMPFILE
  int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd >= 0) {
    t->fd.Reset(fd);
    // Held until the file has its final name: see SweepKilledTemps.
    flock(fd, LOCK_EX);
    return 0;
  }
  // Only these say that the file system has no unnamed files.
  if (errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL) return errno;
#endif
  for (int i = 0; i < kNameTries; ++i) {
    std::string name = ShortTempName(folder);
    int named = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (named >= 0) {
      t->fd.Reset(named);
      t->name = name;
      flock(named, LOCK_EX);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

bool WriteAllAt(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Gives an unnamed file a name; fails with EEXIST when the name is taken.
int LinkUnnamed(int fd, const std::string& name) {
  char proc[64];
  std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
  if (linkat(AT_FDCWD, proc, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  int err = errno;
  // Without /proc, linking by descriptor still works for privileged programs.
  if (err == ENOENT && linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
  return err;
}

// The finished temporary takes the name target. Without replace an existing name is never
// touched (EEXIST). Returns 0 or an errno value.
int Publish(TempFile& t, const std::string& target, bool replace) {
  if (t.name.empty()) {
    int err = LinkUnnamed(t.fd.Get(), target);
    if (err != EEXIST || !replace) return err;
    // An existing file is replaced through a short-lived name: no call links over a name.
    for (int i = 0; i < kNameTries; ++i) {
      std::string name = ShortTempName(FolderOf(target));
      err = LinkUnnamed(t.fd.Get(), name);
      if (err == EEXIST) continue;
      if (err != 0) return err;
      t.name = name;
      break;
    }
    if (t.name.empty()) return EEXIST;
  }
  if (replace) {
    if (rename(t.name.c_str(), target.c_str()) != 0) return errno;
  } else if (renameat2(AT_FDCWD, t.name.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without no-replace renames: a hard link fails on a taken name too.
    if (link(t.name.c_str(), target.c_str()) != 0) return errno;
    unlink(t.name.c_str());
  }
  t.Published();
  return 0;
}

// Makes the new name itself durable.
void SyncFolder(const std::string& folder) {
  Fd dfd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dfd.Get() >= 0) fsync(dfd.Get());
}

// The new file takes the old one's owner (when allowed), group and mode. False when the
// group cannot be kept: only the old file itself can then keep it.
bool KeepModeAndOwner(int fd, const struct stat& old) {
  struct stat now {};
  if (fstat(fd, &now) != 0) return false;
  if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
    if (fchown(fd, old.st_uid, old.st_gid) != 0 &&
        fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0)
      return false;
  }
  // After fchown, which may clear the set-id bits.
  return fchmod(fd, old.st_mode & 07777) == 0;
}

// The fallback when no new file can be made beside the old one: the file is rewritten
// through its own descriptor. Not atomic, but the only way to save where the user may
// write the file and not the folder.
bool WriteInPlace(int fd, std::string_view data, const std::string& path, std::string* error) {
  if (!WriteAllAt(fd, data) || ftruncate(fd, static_cast<off_t>(data.size())) != 0 ||
      fsync(fd) != 0)
    return Fail(error, path, errno);
  return true;
}

bool WriteData(TempFile& t, std::string_view data) {
  return WriteAllAt(t.fd.Get(), data) && fsync(t.fd.Get()) == 0;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error) {
  std::string target;
  if (int err = ResolveLinks(path, &target)) return Fail(error, path, err);

  struct stat old {};
  Fd existing;
  // Looked at before opening: opening a pipe or a device can block or have side effects.
  if (stat(target.c_str(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) return FailText(error, path, "not a regular file");
    // Opening it for writing is the plain write's permission check: a file the user may
    // not write is refused, even where the folder would allow replacing it.
    existing.Reset(open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (existing.Get() < 0) return Fail(error, path, errno);
    if (fstat(existing.Get(), &old) != 0) return Fail(error, path, errno);
    if (!S_ISREG(old.st_mode)) return FailText(error, path, "not a regular file");
  } else if (errno != ENOENT) {
    return Fail(error, path, errno);
  }

  SweepKilledTemps(FolderOf(target));
  TempFile tmp;
  if (int err = CreateTemp(FolderOf(target), &tmp)) {
    if (existing.Get() >= 0 && (err == EACCES || err == EPERM))
      return WriteInPlace(existing.Get(), data, path, error);
    return Fail(error, path, err);
  }
  if (existing.Get() >= 0 && !KeepModeAndOwner(tmp.fd.Get(), old)) {
    tmp.fd.Reset(-1);
    return WriteInPlace(existing.Get(), data, path, error);
  }
  if (!WriteData(tmp, data)) return Fail(error, path, errno);
  if (int err = Publish(tmp, target, true)) return Fail(error, path, err);
  SyncFolder(FolderOf(target));
  return true;
}

NewFileResult WriteNewFileAtomic(const std::string& path, std::string_view data,
                                 std::string* error) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) return NewFileResult::Exists;
  TempFile tmp;
  if (int err = CreateTemp(FolderOf(path), &tmp)) {
    Fail(error, path, err);
    return NewFileResult::Failed;
  }
  if (!WriteData(tmp, data)) {
    Fail(error, path, errno);
    return NewFileResult::Failed;
  }
  if (int err = Publish(tmp, path, false)) {
    if (err == EEXIST) return NewFileResult::Exists;
    Fail(error, path, err);
    return NewFileResult::Failed;
  }
  SyncFolder(FolderOf(path));
  return NewFileResult::Written;
}

bool ReadWholeFile(const std::string& path, std::string* out, size_t maxBytes, bool* tooLarge) {
  out->clear();
  if (tooLarge) *tooLarge = false;
  struct stat st {};
  // Only regular files: a named pipe would block the program until someone writes to it.
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  Fd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Get() < 0) return false;
  // The name may have been swapped between stat and open.
  if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  int flags = fcntl(fd.Get(), F_GETFL);
  if (flags >= 0) fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
  if (static_cast<uint64_t>(st.st_size) >= maxBytes) {
    if (tooLarge) *tooLarge = true;
    return false;
  }
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd.Get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      out->clear();
      return false;
    }
    if (n == 0) return true;
    if (out->size() + static_cast<size_t>(n) >= maxBytes) {
      if (tooLarge) *tooLarge = true;
      out->clear();
      return false;
    }
    out->append(buf, static_cast<size_t>(n));
  }
}

}  // namespace zeda
