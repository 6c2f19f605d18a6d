#include "link/port_diagnosis.h"

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zeda {

std::string DeviceGroup(const char* device) {
  struct stat st {};
  if (device == nullptr || ::stat(device, &st) != 0) return {};
  struct group g {};
  struct group* found = nullptr;
  char buffer[1024];
  if (getgrgid_r(st.st_gid, &g, buffer, sizeof buffer, &found) != 0 || found == nullptr) return {};
  return found->gr_name;
}

namespace {

bool AllDigits(const char* s) {
  if (*s == 0) return false;
  for (; *s; ++s) {
    if (!std::isdigit(static_cast<unsigned char>(*s))) return false;
  }
  return true;
}

// True when one of the process's open files is the device node (same device number).
bool HoldsDevice(const char* procDir, const char* pid, dev_t rdev) {
  char fdDir[320];
  std::snprintf(fdDir, sizeof fdDir, "%s/%s/fd", procDir, pid);
  DIR* dir = ::opendir(fdDir);
  if (dir == nullptr) return false;
  bool holds = false;
  while (const dirent* de = ::readdir(dir)) {
    if (de->d_name[0] == '.') continue;
    char fdPath[600];
    std::snprintf(fdPath, sizeof fdPath, "%s/%s", fdDir, de->d_name);
    struct stat st {};
    if (::stat(fdPath, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == rdev) {
      holds = true;
      break;
    }
  }
  ::closedir(dir);
  return holds;
}

}  // namespace

PortHolder FindPortHolder(const char* device, const char* procDir) {
  PortHolder holder;
  struct stat target {};
  if (device == nullptr || ::stat(device, &target) != 0 || !S_ISCHR(target.st_mode)) return holder;
  DIR* proc = ::opendir(procDir);
  if (proc == nullptr) return holder;
  const int self = static_cast<int>(::getpid());
  while (const dirent* de = ::readdir(proc)) {
    if (!AllDigits(de->d_name) || std::atoi(de->d_name) == self) continue;
    if (!HoldsDevice(procDir, de->d_name, target.st_rdev)) continue;
    holder.pid = std::atoi(de->d_name);
    char commPath[320];
    std::snprintf(commPath, sizeof commPath, "%s/%s/comm", procDir, de->d_name);
    if (std::FILE* f = std::fopen(commPath, "r")) {
      char name[64] = "";
      if (std::fgets(name, sizeof name, f) != nullptr) {
        name[std::strcspn(name, "\n")] = 0;
        holder.name = name;
      }
      std::fclose(f);
    }
    break;
  }
  ::closedir(proc);
  return holder;
}

}  // namespace zeda
