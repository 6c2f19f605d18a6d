// zedactl store commands: list, import into and extract from the archive store in a host.
#include <cstdio>

#include "cli_common.h"
#include "commands.h"
#include "params/atomic_file.h"
#include "store/czevud.h"

namespace zeda::cli {

namespace {

extern const CommandGroup kStoreGroup;

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "zedactl: %s\n", message.c_str());
  return code;
}

// Opens the store of host; returns an exit code when the command cannot go on.
std::optional<int> Open(CZevud& store, const std::string& host, bool needStore) {
  switch (store.OpenStore(host)) {
    case ZevudOpen::NoHost:
      return Fail(kExitFileError, host + ": cannot be read");
    case ZevudOpen::Damaged:
      // Nothing is written over a store that cannot be read: it may still be recovered.
      return Fail(kExitNotAccepted, store.Problem() + "; nothing was changed");
    case ZevudOpen::NoStore:
      if (needStore) return Fail(kExitFileError, host + ": holds no store");
      return std::nullopt;
    case ZevudOpen::Loaded:
      return std::nullopt;
  }
  return std::nullopt;
}

int RunList(const Args& pos) {
  if (pos.size() != 1) return UsageError(kStoreGroup, "store list needs HOST");
  CZevud store;
  if (auto rc = Open(store, pos[0], false)) return *rc;
  for (const ZevudListLine& l : store.List()) {
    std::printf("%c\t%s\t%u\t%u\n", l.folder ? 'd' : 'f', l.path.c_str(), l.size, l.packed);
  }
  return kExitOk;
}

int RunImport(const Args& pos) {
  if (pos.size() != 2 && pos.size() != 3)
    return UsageError(kStoreGroup, "store import needs HOST SOURCE [TARGET]");
  CZevud store;
  if (auto rc = Open(store, pos[0], false)) return *rc;
  const std::string target = pos.size() == 3 ? pos[2] : std::string();
  if (!store.Import(pos[1], target)) {
    for (const std::string& item : store.FailedItems())
      std::fprintf(stderr, "zedactl: %s\n", item.c_str());
    return Fail(kExitFileError, "import failed; " + pos[0] + " was not changed");
  }
  std::string error;
  if (!store.WriteToHost(pos[0], &error)) return Fail(kExitFileError, pos[0] + ": " + error);
  return kExitOk;
}

int RunExtract(const Args& pos) {
  if (pos.size() != 3) return UsageError(kStoreGroup, "store extract needs HOST PATH OUT");
  CZevud store;
  if (auto rc = Open(store, pos[0], true)) return *rc;
  std::vector<uint8_t> content;
  std::string error;
  if (!store.Extract(pos[1], content, &error)) return Fail(kExitFileError, error);
  const std::string_view data(reinterpret_cast<const char*>(content.data()), content.size());
  if (!WriteFileAtomic(pos[2], data, &error)) return Fail(kExitFileError, pos[2] + ": " + error);
  return kExitOk;
}

int RunStore(const Args& args) {
  OptionScanner opt(args);
  const Args& words = opt.Positional();
  if (opt.Error()) return UsageError(kStoreGroup, opt.ErrorText());
  if (words.empty()) return UsageError(kStoreGroup, "");
  const Args rest(words.begin() + 1, words.end());
  if (words[0] == "list") return RunList(rest);
  if (words[0] == "import") return RunImport(rest);
  if (words[0] == "extract") return RunExtract(rest);
  return UsageError(kStoreGroup, "unknown store command " + words[0]);
}

const CommandGroup kStoreGroup = {"store",
                                  "  zedactl store list HOST\n"
                                  "  zedactl store import HOST SOURCE [TARGET]\n"
                                  "  zedactl store extract HOST PATH OUT\n",
                                  RunStore};

}  // namespace

std::vector<const CommandGroup*> StoreCommandGroups() { return {&kStoreGroup}; }

}  // namespace zeda::cli
