// zedactl device commands: identification texts of a block file, the port list.
#include "device_commands.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "cli_common.h"
#include "commands.h"
#include "link/id_texts.h"
#include "link/port_list.h"

namespace zeda::cli {

int IdTextCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    std::fprintf(err, "usage: zedactl idtext FILE\n");
    return kExitUsage;
  }
  const char* path = args[0].c_str();
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    std::fprintf(err, "zedactl: cannot open %s: %s\n", path, std::strerror(errno));
    return kExitFileError;
  }
  uint8_t block[kIdBlockSize];
  const size_t got = std::fread(block, 1, sizeof block, f);
  std::fclose(f);
  if (got != sizeof block) {
    std::fprintf(err, "zedactl: %s holds %zu bytes; an identification block needs %i\n", path, got,
                 kIdBlockSize);
    return kExitFileError;
  }
  const IdTexts t = DeriveIdTexts(block);
  std::fprintf(out, "version: %s\n", t.version.c_str());
  std::fprintf(out, "date: %s\n", t.date.c_str());
  std::fprintf(out, "time: %s\n", t.time.c_str());
  std::fprintf(out, "hardware: %s\n", t.hardware.c_str());
  std::fprintf(out, "serial: %s\n", t.serial.c_str());
  std::fprintf(out, "last-update: %s\n", t.lastUpdate.c_str());
  std::fprintf(out, "additional: %s\n", t.additional.c_str());
  return kExitOk;
}

int PortsCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                 PortList* ports) {
  if (!args.empty()) {
    std::fprintf(err, "usage: zedactl ports\n");
    return kExitUsage;
  }
  static PortList system;  // large; kept off the stack
  PortList& list = ports != nullptr ? *ports : system;
  if (!list.Scan()) std::fprintf(err, "zedactl: the system's device list cannot be read\n");
  // In COM number order. A console is never searched; saying so tells why.
  for (int32_t com = 1; com <= 255; ++com) {
    const PortEntry* e = list.Find(com);
    if (e == nullptr) continue;
    std::fprintf(out, "COM%i\t%s\t%s%s%s\n", e->com, e->path,
                 e->console ? "system console (not searched; use --port to force)" : "",
                 e->console && e->description[0] ? "; " : "", e->description);
  }
  return kExitOk;
}

namespace {

int RunIdText(const Args& args) { return IdTextCommand(args, stdout, stderr); }
int RunPorts(const Args& args) { return PortsCommand(args, stdout, stderr); }

const CommandGroup kIdTextGroup{"idtext", "  zedactl idtext FILE\n", RunIdText};
const CommandGroup kPortsGroup{"ports", "  zedactl ports\n", RunPorts};

}  // namespace

std::vector<const CommandGroup*> DeviceCommandGroups() { return {&kIdTextGroup, &kPortsGroup}; }

}  // namespace zeda::cli
