#include "device_commands.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "link/id_texts.h"
#include "link/port_list.h"

namespace zeda::cli {

int IdTextCommand(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (argc != 1) {
    std::fprintf(err, "usage: zedactl idtext FILE\n");
    return 2;
  }
  const char* path = argv[0];
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    std::fprintf(err, "zedactl: cannot open %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  uint8_t block[kIdBlockSize];
  const size_t got = std::fread(block, 1, sizeof block, f);
  std::fclose(f);
  if (got != sizeof block) {
    std::fprintf(err, "zedactl: %s holds %zu bytes; an identification block needs %i\n", path, got,
                 kIdBlockSize);
    return 1;
  }
  const IdTexts t = DeriveIdTexts(block);
  std::fprintf(out, "version: %s\n", t.version.c_str());
  std::fprintf(out, "date: %s\n", t.date.c_str());
  std::fprintf(out, "time: %s\n", t.time.c_str());
  std::fprintf(out, "hardware: %s\n", t.hardware.c_str());
  std::fprintf(out, "serial: %s\n", t.serial.c_str());
  std::fprintf(out, "last-update: %s\n", t.lastUpdate.c_str());
  std::fprintf(out, "additional: %s\n", t.additional.c_str());
  return 0;
}

int PortsCommand(int argc, char** argv, std::FILE* out, std::FILE* err) {
  (void)argv;
  if (argc != 0) {
    std::fprintf(err, "usage: zedactl ports\n");
    return 2;
  }
  static PortList list;  // large; kept off the stack
  if (!list.Scan()) std::fprintf(err, "zedactl: the system's device list cannot be read\n");
  // In COM number order.
  for (int32_t com = 1; com <= 255; ++com) {
    const PortEntry* e = list.Find(com);
    if (e != nullptr) std::fprintf(out, "COM%i\t%s\t%s\n", e->com, e->path, e->description);
  }
  return 0;
}

}  // namespace zeda::cli
