#pragma once
// zedactl commands about the unit and its ports.
#include <cstdio>
#include <string>
#include <vector>

#include "link/port_list.h"

namespace zeda::cli {

// zedactl idtext FILE: the identification texts of the block in the first 150 bytes of
// FILE, one "name: text" line each.
int IdTextCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// zedactl ports: the ports the scan sees, "COM<n><TAB><device path><TAB><description>";
// an active system console says so first in its description. ports: the list to scan
// (tests point it at a stand-in tty class), nullptr for the system's.
int PortsCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                 PortList* ports = nullptr);

}  // namespace zeda::cli
