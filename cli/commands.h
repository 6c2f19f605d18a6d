#pragma once
// The command groups of zedactl, one function per source file that defines groups.
// A new group file adds its function here and to the list in dispatch.cpp.
#include <vector>

#include "cli_common.h"

namespace zeda::cli {

// ign to-bin / from-bin, normalize, defaults.
std::vector<const CommandGroup*> IgnCommandGroups();
// idtext, ports.
std::vector<const CommandGroup*> DeviceCommandGroups();
// info, read, verify, program, reset (a connected unit).
std::vector<const CommandGroup*> UnitCommandGroups();
// monitor, log (live monitor and recordings).
std::vector<const CommandGroup*> MonitorCommandGroups();
// test, selftest (the Test page's requests and the unit self test).
std::vector<const CommandGroup*> TestCommandGroups();

// store list / import / extract (the archive store inside a host file).
std::vector<const CommandGroup*> StoreCommandGroups();

// Runs zedactl with its arguments (without the program name); returns the exit code.
int ZedactlMain(const Args& args);

}  // namespace zeda::cli
