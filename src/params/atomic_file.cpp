#include "params/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zeda {

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void SetError(std::string* error, const std::string& what, int err) {
  if (error) *error = what + ": " + std::strerror(err);
}

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error) {
  std::string tmpl = path + ".tmpXXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    SetError(error, path, errno);
    return false;
  }
  // Keep the permissions an ordinary new file would get.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);

  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      close(fd);
      unlink(name.data());
      SetError(error, path, err);
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) {
    int err = errno;
    close(fd);
    unlink(name.data());
    SetError(error, path, err);
    return false;
  }
  if (close(fd) != 0) {
    int err = errno;
    unlink(name.data());
    SetError(error, path, err);
    return false;
  }
  if (rename(name.data(), path.c_str()) != 0) {
    int err = errno;
    unlink(name.data());
    SetError(error, path, err);
    return false;
  }
  // Make the rename itself durable.
  int dfd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* out, size_t maxBytes, bool* tooLarge) {
  out->clear();
  if (tooLarge) *tooLarge = false;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    if (n > 0) {
      if (out->size() + n >= maxBytes) {
        ok = false;
        if (tooLarge) *tooLarge = true;
        break;
      }
      out->append(buf, n);
    }
    if (n < sizeof buf) {
      if (std::ferror(f)) ok = false;
      break;
    }
  }
  std::fclose(f);
  if (!ok) out->clear();
  return ok;
}

}  // namespace zeda
