#pragma once
// The protocol row and speed that last connected a unit, per device, kept in
// application.ini (section KNOWN_PORTS) so that the window and zedactl both probe that row
// first next time. A device is its path, and for USB adapters also the adapter's serial
// number, so a unit on a replugged adapter that got another name is not mistaken for it.
// Main thread (or any single thread); each call reads or rewrites the file.
#include <cstdint>
#include <optional>
#include <string>

namespace zeda {

inline constexpr char kKnownPortsSection[] = "KNOWN_PORTS";

struct KnownPort {
  int32_t row = 0;       // protocol table row
  int32_t protocol = 0;  // the row's protocol then (a changed table makes the entry stale)
  int32_t baud = 0;
};

// "path" or "path#serial".
std::string KnownPortKey(const char* path, const char* serial);

// The entry for key in the file at iniPath; nullopt when none or malformed.
std::optional<KnownPort> LoadKnownPort(const std::string& iniPath, const std::string& key);
// Writes the entry (atomically, keeping everything else in the file). False when the file
// could not be written.
bool StoreKnownPort(const std::string& iniPath, const std::string& key, const KnownPort& port);

}  // namespace zeda
