#pragma once
// The parameter image: the unit's parameter memory, held and edited exactly as the unit
// stores it, and the buffers the main window keeps of it.
//
// Two views over the same bytes: word n (Adrw) is the little-endian 16-bit value in bytes
// 2n and 2n+1; byte n (Adrb) is byte n. All other code addresses parameters through these.
#include <array>
#include <cassert>
#include <cstdint>

namespace zeda {

inline constexpr int PARAM_IMAGE_SIZE = 1050;
inline constexpr int RS_LEN_EXE = PARAM_IMAGE_SIZE;  // the same length as the link knows it

struct ParamImage {
  std::array<uint8_t, PARAM_IMAGE_SIZE> bytes{};

  // Byte view (Adrb).
  uint8_t Byte(int n) const {
    assert(n >= 0 && n < PARAM_IMAGE_SIZE);
    return bytes[static_cast<std::size_t>(n)];
  }
  void SetByte(int n, uint8_t v) {
    assert(n >= 0 && n < PARAM_IMAGE_SIZE);
    bytes[static_cast<std::size_t>(n)] = v;
  }

  // Word view (Adrw).
  uint16_t Word(int n) const {
    assert(n >= 0 && 2 * n + 1 < PARAM_IMAGE_SIZE);
    return static_cast<uint16_t>(bytes[static_cast<std::size_t>(2 * n)] |
                                 (bytes[static_cast<std::size_t>(2 * n + 1)] << 8));
  }
  void SetWord(int n, uint16_t v) {
    assert(n >= 0 && 2 * n + 1 < PARAM_IMAGE_SIZE);
    bytes[static_cast<std::size_t>(2 * n)] = static_cast<uint8_t>(v & 0xFF);
    bytes[static_cast<std::size_t>(2 * n + 1)] = static_cast<uint8_t>(v >> 8);
  }

  uint8_t* Data() { return bytes.data(); }
  const uint8_t* Data() const { return bytes.data(); }

  friend bool operator==(const ParamImage&, const ParamImage&) = default;
};

// The ten parameter pages; a field belongs to exactly one of them (its group).
enum PageGroup : int {
  GROUP_MISC = 0,
  GROUP_BIKE = 1,
  GROUP_SENSORS = 2,
  GROUP_ADVANCE = 3,
  GROUP_POWER_OUT = 4,
  GROUP_SERVO = 5,
  GROUP_GEAR = 6,
  GROUP_RACE = 7,
  GROUP_N2O = 8,
  GROUP_TEST = 9,
};
inline constexpr int PAGE_GROUP_COUNT = 10;

// Which groups the defaults and the file reader may write.
struct PageGroups {
  std::array<bool, PAGE_GROUP_COUNT> flags{};

  // Page p (0-9) selects that page's group alone; -1 (or anything outside 0-9) selects all.
  void Set(int page) {
    const bool all = page < 0 || page >= PAGE_GROUP_COUNT;
    for (int g = 0; g < PAGE_GROUP_COUNT; ++g)
      flags[static_cast<std::size_t>(g)] = all || g == page;
  }
  bool Has(int group) const {
    return group >= 0 && group < PAGE_GROUP_COUNT && flags[static_cast<std::size_t>(group)];
  }
  static PageGroups ForPage(int page) {
    PageGroups g;
    g.Set(page);
    return g;
  }
};

// Flags derived from the image that the pages use to show or enable controls.
inline constexpr int PRESENCE_COUNT = 12;
struct Presence {
  std::array<bool, PRESENCE_COUNT> flags{};
  bool operator[](int i) const { return flags[static_cast<std::size_t>(i)]; }
  friend bool operator==(const Presence&, const Presence&) = default;
};

// The images the main window keeps.
struct ImageBuffers {
  ParamImage params;                                 // the current set, edited by the pages
  ParamImage unitImage;                              // last read from / verified / programmed
  bool unitImageValid = false;                       // unitImage holds a real read of the unit
  std::array<bool, PARAM_IMAGE_SIZE> changedMask{};  // byte changed since the last transfer
  ParamImage fileImage;                              // last saved to / loaded from a file
  bool fileMatches = false;                          // params equals fileImage
  PageGroups pageGroups;                             // groups the defaults / reader may write
  Presence presence;                                 // derived by UpdatePresence
  bool bikeChangedByHand = false;                    // preset just picked by hand on the Bike page

  void UpdateFileMatches() { fileMatches = params == fileImage; }
};

}  // namespace zeda
