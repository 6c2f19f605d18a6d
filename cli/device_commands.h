#pragma once
// zedactl commands about the unit and its ports.
#include <cstdio>

namespace zeda::cli {

// zedactl idtext FILE: the identification texts of the block in the first 150 bytes of FILE.
int IdTextCommand(int argc, char** argv, std::FILE* out, std::FILE* err);

// zedactl ports: the ports the scan sees, "COM<n><TAB><device path><TAB><description>".
int PortsCommand(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace zeda::cli
