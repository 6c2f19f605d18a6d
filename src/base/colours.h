#pragma once
// Colours as 0x00BBGGRR values. Values with the top byte 0xFF name a system colour
// by its index in the low byte (0x0F = the button face).
#include <cstdint>

namespace zeda {

using Colour = uint32_t;

// Passed to ShowStatus: leave the colour as it is.
inline constexpr Colour kColourUnchanged = 0x1FFFFFFF;

inline constexpr Colour kColourRed = 255;
inline constexpr Colour kColourWhite = 0xFFFFFF;
inline constexpr Colour kColourBlack = 0;
inline constexpr Colour kColourGreen = 65280;
inline constexpr Colour kColourYellow = 0xFFFF;
inline constexpr Colour kColourButtonFace = 0xFF00000F;
inline constexpr Colour kColourAqua = 0xFFFF00;
inline constexpr Colour kColourGrey = 0x808080;

inline constexpr bool IsSystemColour(Colour c) { return (c & 0xFF000000u) == 0xFF000000u; }
inline constexpr int ColourRed(Colour c) { return static_cast<int>(c & 0xFF); }
inline constexpr int ColourGreen(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int ColourBlue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

}  // namespace zeda
