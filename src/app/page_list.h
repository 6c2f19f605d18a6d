#pragma once
// The tab sheets of PageControl1, in page order; the index is also the parameter group.
#include <span>

namespace zeda {

inline constexpr int kPageCount = 10;
inline constexpr int kPageN2O = 8;

struct PageEntry {
  int index;
  const char* name;
  const char* caption;
  bool visible;  // the N2O page is not offered in this build
};

inline constexpr PageEntry kPages[kPageCount] = {
    {0, "TabSheetRuzne", "Miscellaneous", true}, {1, "TabSheetBike", "Bike", true},
    {2, "TabSheetSensors", "Sensors", true},     {3, "TabSheetAdvance", "Advance Map", true},
    {4, "TabSheetPOut", "Power out", true},      {5, "TabSheetServo", "Servo", true},
    {6, "TabSheet_Gear", "Gear", true},          {7, "TabSheet_Race", "Race", true},
    {8, "TabSheet_N2O", "N2O", false},           {9, "TabSheet_Ladeni", "Test", true},
};

inline std::span<const PageEntry> PageList() { return kPages; }

// The caption of page (group) g, "" outside 0-9.
inline const char* PageCaption(int g) { return g >= 0 && g < kPageCount ? kPages[g].caption : ""; }

}  // namespace zeda
