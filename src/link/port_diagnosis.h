#pragma once
// Looks behind a port that cannot be opened: the group that owns the device node (to
// join for access) and the program that holds it open (found through /proc). Any thread;
// reads the file system only.
#include <string>

namespace zeda {

// The group owning the device node; empty when it cannot be found.
std::string DeviceGroup(const char* device);

struct PortHolder {
  int pid = 0;       // 0: none found
  std::string name;  // the program's name (comm)
};

// Another process that has `device` open (this process is skipped); pid 0 when none can
// be seen (other users' processes are hidden from a normal user). procDir: "/proc".
PortHolder FindPortHolder(const char* device, const char* procDir = "/proc");

}  // namespace zeda
