#pragma once
// The unit models known by their type key (RSKEY), for naming a unit found on a port.
#include <cstdint>

namespace zeda {

struct UnitType {
  int32_t key;    // unique; 0 ends the table
  char name[32];  // NUL-terminated model name
};

inline constexpr int kUnitTypeCount = 122;

// kUnitTypeCount records followed by the end record with key 0.
extern const UnitType UnitTypeTable[kUnitTypeCount + 1];

// Model name for a unit key, or nullptr when the key has no row (0 never matches).
const char* UnitModelName(int32_t key);

}  // namespace zeda
