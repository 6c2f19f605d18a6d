#pragma once
// Fixed sizes, option bits and reserved values of the map editor.
#include <cstdint>

namespace zeda {

inline constexpr int kMaxTables = 50;
inline constexpr int kMaxSheets = 8;
inline constexpr int kMaxCols = 50;  // X breakpoints
inline constexpr int kMaxRows = 30;  // Y breakpoints
inline constexpr int kRowStride = 50;
inline constexpr int kMaxCells = kMaxRows * kRowStride;
inline constexpr int kMaxTickRanges = 5;
inline constexpr int kMaxLabelLen = 255;
inline constexpr int kMaxKeyLen = 63;
inline constexpr int kMaxUnitLen = 15;

// Sheet flags.
inline constexpr uint32_t kSheetTrackLive = 0x0001;
inline constexpr uint32_t kSheetYHorizontal = 0x0002;
inline constexpr uint32_t kSheetSwitchable = 0x0008;
inline constexpr uint32_t kSheetPercent = 0x0010;
inline constexpr uint32_t kSheetNoLeadIn = 0x0020;
inline constexpr uint32_t kSheetGeometric = 0x0040;
inline constexpr uint32_t kSheetNoTail = 0x0080;
inline constexpr uint32_t kSheetBaseAdvance = 0x0100;
inline constexpr uint32_t kSheetLimiter = 0x0200;
inline constexpr uint32_t kSheetStartLimiter = 0x0400;
inline constexpr uint32_t kSheetAccelX = 0x1000;
inline constexpr uint32_t kSheetAccelY = 0x2000;
inline constexpr uint32_t kSheetAccelCells = 0x4000;
inline constexpr uint32_t kSheetBigUnit = 0x8000;

// Table styles.
inline constexpr uint32_t kStyleButtons = 0x0001;
inline constexpr uint32_t kStyleTableView = 0x0010;
inline constexpr uint32_t kStyle2D = 0x0020;
inline constexpr uint32_t kStyle3D = 0x0040;
inline constexpr uint32_t kStyleTitled = 0x0100;
inline constexpr uint32_t kStyleZone = 0x2000;

// Parts of a sheet, as used by Normalise and CommitEdit.
inline constexpr int kPartX = 1;
inline constexpr int kPartY = 2;
inline constexpr int kPartCells = 4;
inline constexpr int kPartAll = kPartX | kPartY | kPartCells;
inline constexpr int kForgetLastEdited = 0x100;

// Selection kinds (TSel::kind) use the part bits: 1 cells, 2 X breakpoints, 4 Y breakpoints.
inline constexpr int kSelNone = 0;
inline constexpr int kSelCells = 1;
inline constexpr int kSelX = 2;
inline constexpr int kSelY = 4;

// Commit keys. 0 commits at once; the two marks bracket a structural edit; every
// other key names one edited item so that a run of steps on it becomes one commit.
inline constexpr int32_t kKeyNow = 0;
inline constexpr int32_t kKeyBegin = 0x7FFF0001;
inline constexpr int32_t kKeyEnd = 0x7FFF0002;
inline constexpr int32_t kKeySelection = 0x7FFE0001;
inline constexpr int32_t kKeyLiveCell = 0x7FFE0002;
inline constexpr int32_t kKeyBaseAdvance = 0x7FFE0003;
inline constexpr int32_t KeyOfItem(int col, int row) {
  // X breakpoints (c, -1), Y breakpoints (-1, r), cells (c, r): all distinct and non-zero.
  return 0x100000 + (row + 1) * 64 + (col + 1);
}

// Commit deadline of a run of steps on one item, in ticks.
inline constexpr int kCommitDelayTicks = 5;

}  // namespace zeda
