#pragma once
// CSheet: one layer of a table with its three axes, cells and selection.
#include <array>
#include <cstdint>
#include <string>

#include "mapedit/axis.h"
#include "mapedit/limits.h"
#include "mapedit/selection.h"

namespace zeda {

inline constexpr int kNoLivePoint = -2;

struct CSheet {
  uint32_t flags = 0;
  bool enabled = true;
  bool hidden = false;
  uint32_t colour1 = 0x0000FF;  // red (0x00BBGGRR)
  uint32_t colour2 = 0x808080;  // grey
  uint32_t colour3 = 0xFF0000;  // blue
  std::string name;
  int32_t nameWidth = 0;
  int32_t titleFontSize = 13;
  CAxe axisX;
  CAxe axisY;
  CAxe axisData;
  std::array<int32_t, kMaxCells> cells{};
  int32_t actualCol = kNoLivePoint;
  int32_t actualRow = kNoLivePoint;
  int32_t actualState = 0;
  // Rows tracked by the first two columns of a sheet whose columns are named sensors.
  std::array<int32_t, 2> sensorRows{kNoLivePoint, kNoLivePoint};
  // Lambda reading of the sheet (raw units of its AFR axis), for the live point.
  double lambdaReading = 0;
  TSel sel;
  // Percentage sheets (flag 0x010).
  std::array<int32_t, kMaxCells> baseCells{};
  std::array<int32_t, kMaxCols> baseX{};
  std::array<int32_t, kMaxRows> baseY{};
  int32_t baseCountX = 0;
  int32_t baseCountY = 0;
  std::array<int32_t, kMaxCells> baseAtCells{};
  std::array<int32_t, kMaxCells> absCells{};
  bool percentStored = false;
  // Zone table: one cell column and row more than breakpoints.
  bool zone = false;

  int32_t& Cell(int c, int r) { return cells[r * kRowStride + c]; }
  int32_t Cell(int c, int r) const { return cells[r * kRowStride + c]; }
  // Cell columns and rows in use.
  int CellCols() const;
  int CellRows() const;
  bool IsPercent() const { return flags & kSheetPercent; }
  bool PercentShown() const { return IsPercent() && percentStored; }
  // The axis that describes an item: X breakpoints (c, -1), Y breakpoints (-1, r), cells.
  CAxe& AxisOf(int col, int row);
  const CAxe& AxisOf(int col, int row) const;
  // Reference to the value of an item, or nullptr outside the sheet.
  int32_t* Item(int col, int row);
  const int32_t* Item(int col, int row) const;
  // The selection grid of this sheet (visible items).
  SelGrid SelectionGrid() const;
};

// Brings every used cell into the data axis limits.
void ClampCells(CSheet& s);

}  // namespace zeda
