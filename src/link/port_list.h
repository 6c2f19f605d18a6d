#pragma once
// The serial devices of the system, each with a COM number 1-255.
//
// Numbering rule: ttyS<n> -> COM n+1 (n 0-31), ttyUSB<n> -> COM 33+n (n 0-31),
// ttyACM<n> -> COM 65+n (n 0-63); every other serial device (ttyAMA, rfcomm, ttyUSB40 ...)
// gets the lowest free number from 129 up, new devices taken in name order; a device keeps
// its number while it exists. Legacy ttyS entries whose UART type is unknown are not ports.
// ZEDA_PORTS="COM7=/dev/pts/3;COM9=/tmp/sim0" adds entries with fixed numbers (present
// while the path exists; they win over a system device with the same number), and
// ZEDA_PORTS_ONLY=1 leaves the system's own devices out.
//
// A tty the kernel uses as an active console (listed in <tty class>/console/active) is
// kept in the list but marked: the automatic search must never open it, set it raw and
// write frames into the system's console; only a COM number fixed by hand reaches it.
#include <cstdint>

namespace zeda {

struct PortEntry {
  int32_t com = 0;             // 1-255
  char path[128] = {};         // device path to open
  char name[48] = {};          // device name ("ttyUSB0"), or the path for ZEDA_PORTS entries
  char description[128] = {};  // USB vendor, product and serial number when known
  bool console = false;        // an active system console
  char serial[64] = {};        // a USB adapter's serial number when known
};

class PortList {
 public:
  static constexpr int kMaxEntries = 255;
  static constexpr int32_t kFirstOtherCom = 129;

  // Reads the device list. Returns false when the system's list cannot be read (the
  // entries from ZEDA_PORTS are still there).
  bool Scan();

  int Count() const { return count_; }
  const PortEntry& Entry(int i) const { return entries_[i]; }
  const PortEntry* Find(int32_t com) const;

  // The fixed COM number of a device name, 0 when the name has none (from 129 up then).
  static int32_t FixedComNumber(const char* name);
  // Parses a ZEDA_PORTS text into at most max entries (path existence not checked);
  // malformed items are skipped. Returns the number of entries.
  static int ParsePortsVariable(const char* text, PortEntry* out, int max);

  // Directory of the system's tty class and of the device nodes (tests may point them
  // elsewhere).
  void SetSysClassDir(const char* dir);
  void SetDevDir(const char* dir);

  // Marks the entries whose device name is listed in `active` (blank-separated names,
  // the content of console/active).
  static void MarkConsoles(const char* active, PortEntry* entries, int count);

 private:
  struct OtherName {
    char name[48];
    int32_t com;
  };

  bool ScanSystem(PortEntry* found, int* foundCount, int max);
  bool ComTaken(int32_t com) const;
  void AddEntry(const PortEntry& entry);
  void Describe(PortEntry* entry);

  PortEntry entries_[kMaxEntries];
  int count_ = 0;
  PortEntry previous_[kMaxEntries];
  int previousCount_ = 0;
  PortEntry scratch_[kMaxEntries];
  // Numbers handed out from 129 up, kept while the device exists.
  OtherName others_[kMaxEntries];
  int otherCount_ = 0;
  char sysClassDir_[128] = "/sys/class/tty";
  char devDir_[128] = "/dev";
};

}  // namespace zeda
