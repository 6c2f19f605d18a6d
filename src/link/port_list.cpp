#include "link/port_list.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(ZEDA_HAVE_LIBSERIALPORT)
#include <libserialport.h>
#endif

namespace zeda {

namespace {

constexpr char kSysClassTty[] = "/sys/class/tty";

void CopyText(char* dst, size_t size, const char* src) {
  std::snprintf(dst, size, "%s", src ? src : "");
}

// "<prefix><decimal>" -> the number, or -1.
int32_t NumberAfter(const char* name, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (std::strncmp(name, prefix, n) != 0) return -1;
  const char* digits = name + n;
  if (!*digits || std::strlen(digits) > 4) return -1;
  int32_t value = 0;
  for (const char* p = digits; *p; ++p) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) return -1;
    value = value * 10 + (*p - '0');
  }
  return value;
}

bool PathExists(const char* path) {
  struct stat st {};
  return path[0] && ::stat(path, &st) == 0;
}

bool EnvFlag(const char* name) {
  const char* value = std::getenv(name);
  return value && *value && std::strcmp(value, "0") != 0;
}

// Reads a small integer attribute file; false when missing or not a number.
bool ReadIntFile(const char* path, long* value) {
  std::FILE* f = std::fopen(path, "r");
  if (!f) return false;
  const bool ok = std::fscanf(f, "%ld", value) == 1;
  std::fclose(f);
  return ok;
}

}  // namespace

int32_t PortList::FixedComNumber(const char* name) {
  int32_t n = NumberAfter(name, "ttyS");
  if (n >= 0 && n <= 31) return n + 1;
  n = NumberAfter(name, "ttyUSB");
  if (n >= 0 && n <= 31) return 33 + n;
  n = NumberAfter(name, "ttyACM");
  if (n >= 0 && n <= 63) return 65 + n;
  return 0;
}

int PortList::ParsePortsVariable(const char* text, PortEntry* out, int max) {
  if (!text) return 0;
  int count = 0;
  const char* p = text;
  while (*p && count < max) {
    const char* end = std::strchr(p, ';');
    const size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
    char item[192];
    if (len < sizeof item) {
      std::memcpy(item, p, len);
      item[len] = 0;
      // Trim blanks around the item.
      char* s = item;
      while (std::isspace(static_cast<unsigned char>(*s))) ++s;
      char* e = s + std::strlen(s);
      while (e > s && std::isspace(static_cast<unsigned char>(e[-1]))) *--e = 0;
      char* eq = std::strchr(s, '=');
      if (eq && (s[0] == 'C' || s[0] == 'c') && (s[1] == 'O' || s[1] == 'o') &&
          (s[2] == 'M' || s[2] == 'm')) {
        *eq = 0;
        char* digitsEnd = nullptr;
        const long com = std::strtol(s + 3, &digitsEnd, 10);
        const char* path = eq + 1;
        if (digitsEnd != s + 3 && *digitsEnd == 0 &&
            std::isdigit(static_cast<unsigned char>(s[3])) && com >= 1 && com <= 255 && path[0] &&
            std::strlen(path) < sizeof out[0].path) {
          PortEntry& entry = out[count++];
          entry = PortEntry{};
          entry.com = static_cast<int32_t>(com);
          CopyText(entry.path, sizeof entry.path, path);
          CopyText(entry.name, sizeof entry.name, path);
        }
      }
    }
    if (!end) break;
    p = end + 1;
  }
  return count;
}

void PortList::SetSysClassDir(const char* dir) { CopyText(sysClassDir_, sizeof sysClassDir_, dir); }
void PortList::SetDevDir(const char* dir) { CopyText(devDir_, sizeof devDir_, dir); }

void PortList::MarkConsoles(const char* active, PortEntry* entries, int count) {
  if (active == nullptr) return;
  const char* p = active;
  while (*p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* end = p;
    while (*end && !std::isspace(static_cast<unsigned char>(*end))) ++end;
    const size_t len = static_cast<size_t>(end - p);
    for (int i = 0; i < count && len > 0; ++i) {
      if (std::strlen(entries[i].name) == len && std::strncmp(entries[i].name, p, len) == 0) {
        entries[i].console = true;
      }
    }
    p = end;
  }
}

const PortEntry* PortList::Find(int32_t com) const {
  for (int i = 0; i < count_; ++i) {
    if (entries_[i].com == com) return &entries_[i];
  }
  return nullptr;
}

bool PortList::ComTaken(int32_t com) const { return Find(com) != nullptr; }

void PortList::AddEntry(const PortEntry& entry) {
  if (count_ < kMaxEntries && !ComTaken(entry.com)) entries_[count_++] = entry;
}

bool PortList::ScanSystem(PortEntry* found, int* foundCount, int max) {
  *foundCount = 0;
  DIR* dir = ::opendir(sysClassDir_);
  if (!dir) return false;
  while (const dirent* de = ::readdir(dir)) {
    const char* name = de->d_name;
    if (name[0] == '.' || std::strlen(name) >= sizeof found[0].name) continue;
    char attr[512];
    // Only ttys with a device behind them are serial ports (not consoles, ptys, vts).
    std::snprintf(attr, sizeof attr, "%s/%s/device", sysClassDir_, name);
    struct stat st {};
    if (::lstat(attr, &st) != 0) continue;
    if (NumberAfter(name, "ttyS") >= 0) {
      // The kernel lists legacy ttyS ports that have no UART behind them; type 0 is
      // "unknown". Reading the attribute does not open (and so does not disturb) them.
      long type = 0;
      std::snprintf(attr, sizeof attr, "%s/%s/type", sysClassDir_, name);
      if (ReadIntFile(attr, &type) && type == 0) continue;
    }
    if (*foundCount >= max) break;
    PortEntry& entry = found[(*foundCount)++];
    entry = PortEntry{};
    CopyText(entry.name, sizeof entry.name, name);
    std::snprintf(entry.path, sizeof entry.path, "%.79s/%.47s", devDir_, name);
  }
  ::closedir(dir);
  // The kernel's consoles ("tty0 ttyS0"); a missing file means none.
  char active[512] = "";
  char attr[512];
  std::snprintf(attr, sizeof attr, "%s/console/active", sysClassDir_);
  if (std::FILE* f = std::fopen(attr, "r")) {
    const size_t n = std::fread(active, 1, sizeof active - 1, f);
    active[n] = 0;
    std::fclose(f);
  }
  MarkConsoles(active, found, *foundCount);
  return true;
}

void PortList::Describe(PortEntry* entry) {
  // A device seen on the previous scan keeps its description (no repeated look-ups).
  for (int i = 0; i < previousCount_; ++i) {
    if (std::strcmp(previous_[i].path, entry->path) == 0) {
      CopyText(entry->description, sizeof entry->description, previous_[i].description);
      CopyText(entry->serial, sizeof entry->serial, previous_[i].serial);
      return;
    }
  }
#if defined(ZEDA_HAVE_LIBSERIALPORT)
  // Only USB adapters have something to tell; legacy ttyS ports are not looked at, and
  // neither are devices of a substitute tty folder (tests).
  if (NumberAfter(entry->name, "ttyS") >= 0 || std::strcmp(sysClassDir_, kSysClassTty) != 0) {
    return;
  }
  sp_port* port = nullptr;
  if (sp_get_port_by_name(entry->path, &port) != SP_OK || !port) return;
  if (sp_get_port_transport(port) == SP_TRANSPORT_USB) {
    int vid = 0;
    int pid = 0;
    sp_get_port_usb_vid_pid(port, &vid, &pid);
    const char* maker = sp_get_port_usb_manufacturer(port);
    const char* product = sp_get_port_usb_product(port);
    const char* serial = sp_get_port_usb_serial(port);
    CopyText(entry->serial, sizeof entry->serial, serial);
    std::snprintf(entry->description, sizeof entry->description, "%04x:%04x %s %s%s%s%s", vid, pid,
                  maker ? maker : "", product ? product : "", serial ? " (" : "",
                  serial ? serial : "", serial ? ")" : "");
  }
  sp_free_port(port);
#endif
}

bool PortList::Scan() {
  std::memcpy(previous_, entries_, sizeof(PortEntry) * static_cast<size_t>(count_));
  previousCount_ = count_;
  count_ = 0;

  // Fixed entries first: they win over a system device with the same number.
  PortEntry* extra = scratch_;
  const int extraCount = ParsePortsVariable(std::getenv("ZEDA_PORTS"), extra, kMaxEntries);
  for (int i = 0; i < extraCount; ++i) {
    if (PathExists(extra[i].path)) AddEntry(extra[i]);
  }
  if (EnvFlag("ZEDA_PORTS_ONLY")) {
    otherCount_ = 0;
    return true;
  }

  PortEntry* found = scratch_;
  int foundCount = 0;
  const bool listed = ScanSystem(found, &foundCount, kMaxEntries);

  // Devices with a fixed number.
  int otherIndex[kMaxEntries];
  int otherFound = 0;
  for (int i = 0; i < foundCount; ++i) {
    found[i].com = FixedComNumber(found[i].name);
    if (found[i].com > 0) {
      Describe(&found[i]);
      AddEntry(found[i]);
    } else {
      otherIndex[otherFound++] = i;
    }
  }
  // The others in name order.
  for (int i = 1; i < otherFound; ++i) {
    for (int j = i;
         j > 0 && std::strcmp(found[otherIndex[j - 1]].name, found[otherIndex[j]].name) > 0; --j) {
      const int t = otherIndex[j];
      otherIndex[j] = otherIndex[j - 1];
      otherIndex[j - 1] = t;
    }
  }
  // Forget numbers of devices that are gone; keep the others' numbers.
  OtherName kept[kMaxEntries];
  int keptCount = 0;
  for (int k = 0; k < otherCount_; ++k) {
    for (int i = 0; i < otherFound; ++i) {
      if (std::strcmp(others_[k].name, found[otherIndex[i]].name) == 0) {
        kept[keptCount++] = others_[k];
        break;
      }
    }
  }
  otherCount_ = 0;
  for (int i = 0; i < otherFound; ++i) {
    PortEntry& entry = found[otherIndex[i]];
    int32_t com = 0;
    for (int k = 0; k < keptCount; ++k) {
      if (std::strcmp(kept[k].name, entry.name) == 0) com = kept[k].com;
    }
    if (com == 0 || ComTaken(com)) {
      com = 0;
      for (int32_t c = kFirstOtherCom; c <= 255 && com == 0; ++c) {
        bool reserved = ComTaken(c);
        for (int k = 0; k < keptCount && !reserved; ++k) {
          reserved = kept[k].com == c && std::strcmp(kept[k].name, entry.name) != 0;
        }
        if (!reserved) com = c;
      }
    }
    if (com == 0) continue;  // more than 127 such devices: no number left
    entry.com = com;
    Describe(&entry);
    AddEntry(entry);
    CopyText(others_[otherCount_].name, sizeof others_[otherCount_].name, entry.name);
    others_[otherCount_++].com = com;
  }
  return listed;
}

}  // namespace zeda
