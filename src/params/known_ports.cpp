#include "params/known_ports.h"

#include <cstdio>

#include "params/atomic_file.h"
#include "params/ini_file.h"

namespace zeda {

namespace {
constexpr size_t kMaxIniFile = 1 << 20;
}  // namespace

std::string KnownPortKey(const char* path, const char* serial) {
  std::string key = path != nullptr ? path : "";
  if (serial != nullptr && serial[0] != 0) key += std::string("#") + serial;
  return key;
}

std::optional<KnownPort> LoadKnownPort(const std::string& iniPath, const std::string& key) {
  if (iniPath.empty() || key.empty()) return std::nullopt;
  std::string text;
  if (!ReadWholeFile(iniPath, &text, kMaxIniFile)) return std::nullopt;
  IniFile ini;
  ini.Parse(text);
  const auto value = ini.Get(kKnownPortsSection, key);
  if (!value) return std::nullopt;
  KnownPort port;
  char tail = 0;
  if (std::sscanf(value->c_str(), "%d,%d,%d%c", &port.row, &port.protocol, &port.baud, &tail) !=
          3 ||
      port.row < 0 || port.baud <= 0) {
    return std::nullopt;
  }
  return port;
}

bool StoreKnownPort(const std::string& iniPath, const std::string& key, const KnownPort& port) {
  if (iniPath.empty() || key.empty()) return false;
  IniFile ini;
  std::string text;
  if (ReadWholeFile(iniPath, &text, kMaxIniFile)) ini.Parse(text);
  char value[48];
  std::snprintf(value, sizeof value, "%d,%d,%d", port.row, port.protocol, port.baud);
  if (ini.Get(kKnownPortsSection, key) == std::optional<std::string>(value)) return true;
  ini.Set(kKnownPortsSection, key, value);
  return WriteFileAtomic(iniPath, ini.Serialize());
}

}  // namespace zeda
