#include <cstdio>
#include <vector>

#include "commands.h"

namespace zeda::cli {

namespace {

std::vector<const CommandGroup*> AllGroups() {
  std::vector<const CommandGroup*> all;
  for (auto* list : {IgnCommandGroups, DeviceCommandGroups, UnitCommandGroups, StoreCommandGroups,
                     MonitorCommandGroups, TestCommandGroups}) {
    for (const CommandGroup* g : list()) all.push_back(g);
  }
  return all;
}

int Usage(const std::vector<const CommandGroup*>& groups, FILE* to, int code) {
  std::fprintf(to, "usage:\n");
  // Groups that share one usage text (the unit commands) print it once.
  std::vector<const char*> printed;
  for (const CommandGroup* g : groups) {
    bool seen = false;
    for (const char* u : printed) seen = seen || u == g->usage;
    if (seen) continue;
    printed.push_back(g->usage);
    std::fprintf(to, "%s", g->usage);
  }
  return code;
}

}  // namespace

int ZedactlMain(const Args& args) {
  const auto groups = AllGroups();
  if (args.empty()) return Usage(groups, stderr, kExitUsage);
  if (args[0] == "--help" || args[0] == "help") return Usage(groups, stdout, kExitOk);
  for (const CommandGroup* g : groups) {
    if (args[0] == g->name) return g->run(Args(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "zedactl: unknown command %s\n", args[0].c_str());
  return Usage(groups, stderr, kExitUsage);
}

}  // namespace zeda::cli
