// Applying pasted text to the current sheet.
#include <algorithm>

#include "mapedit/messages.h"
#include "mapedit/paste_parser.h"
#include "mapedit/percent_sheet.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

int32_t RawOf(double v, const CAxe& axis) {
  return RawWithinLimits(axis.scale == 0 ? v : v / axis.scale, axis);
}

}  // namespace

bool TTab::HasEditablePart() const {
  if (!HasSheets()) return false;
  const CSheet& s = Cur();
  return s.axisX.editable || s.axisY.editable || s.axisData.editable;
}

bool TTab::CanPastePlain() const {
  int col, row;
  if (!HasEditablePart() || !CurrentPosition(col, row)) return false;
  return ItemEditable(col, row);
}

void TTab::Paste() {
  if (!HasSheets() || !host) return;
  if (editor.editing) {
    EditorPaste(host->ClipboardText());
    return;
  }
  int formats = host->ClipboardFormats();
  if (formats & kClipSheet)
    PasteTable(host->ClipboardSheet());
  else if (formats & kClipText)
    PastePlain(host->ClipboardText());
}

bool TTab::PasteTable(const std::string& sheetText) {
  if (!HasSheets()) return false;
  if (editor.editing) AcceptEditor();
  TablePaste tp = ParseTablePaste(sheetText);
  const TablePasteHeader& h = tp.header;
  CSheet& s = Cur();
  CAxe &xAxis = s.axisX, &yAxis = s.axisY, &dataAxis = s.axisData;
  int match = 0;
  if (h.labelX == xAxis.key) match |= 1;
  if (h.labelY == yAxis.key) match |= 2;
  if (h.labelData == dataAxis.key + (s.PercentShown() ? "[%]" : "")) match |= 4;
  if (h.sizeX == 0 || h.sizeY == 0) return false;
  // Checked before the keys, so that a table of another kind is refused with a message.
  bool xOk = h.sizeX == xAxis.count || (xAxis.editable && xAxis.resizable && (match & 5) == 5);
  bool yOk = h.sizeY == yAxis.count || (yAxis.editable && yAxis.resizable && (match & 6) == 6);
  if (!xOk || !yOk) {
    ShowMessage(mapedit_msg::kDimensionsDiffer);
    return false;
  }
  if (!match) return false;

  int parts = 0;
  if (h.onlyXY == 'X' && xAxis.fixMode != 0 && !xAxis.fixed) xAxis.fixed = true, parts |= kPartAll;
  if (h.onlyXY == 'Y' && yAxis.fixMode != 0 && !yAxis.fixed) yAxis.fixed = true, parts |= kPartAll;
  if (xAxis.fixMode == 2) xAxis.fixed = true;
  if (yAxis.fixMode == 2) yAxis.fixed = true;
  int nx = std::clamp(h.sizeX, xAxis.minCount, std::min(xAxis.maxCount, kMaxCols));
  int ny = std::clamp(h.sizeY, yAxis.minCount, std::min(yAxis.maxCount, kMaxRows));
  if (nx != xAxis.count) xAxis.count = nx, parts |= kPartX | kPartCells;
  if (ny != yAxis.count) yAxis.count = ny, parts |= kPartY | kPartCells;

  const bool percent = s.PercentShown();
  auto readGrid = [&]() {
    const auto& lines = tp.grid.lines;
    const int cols = s.CellCols(), rows = s.CellRows();
    for (size_t li = 0; li < lines.size(); ++li) {
      const auto& f = lines[li];
      if (li == 0) {
        if (!xAxis.editable || !(match & 1)) continue;
        for (size_t k = 1; k < f.size(); ++k) {
          int c = static_cast<int>(k) - 1;
          if (c < xAxis.count && f[k]) xAxis.values[c] = RawOf(*f[k], xAxis), parts |= kPartX;
        }
        continue;
      }
      int r = static_cast<int>(li) - 1;
      if (!f.empty() && f[0] && r < yAxis.count && yAxis.editable && (match & 2))
        yAxis.values[r] = RawOf(*f[0], yAxis), parts |= kPartY;
      if (!dataAxis.editable || !(match & 4) || r >= rows) continue;
      for (size_t k = 1; k < f.size(); ++k) {
        int c = static_cast<int>(k) - 1;
        if (c >= cols || !f[k]) continue;
        s.Cell(c, r) = percent ? RoundHalfAway(*f[k]) : RawOf(*f[k], dataAxis);
        parts |= kPartCells;
      }
    }
  };
  readGrid();
  if (percent) {
    // Again with the base at the new breakpoints.
    ComputeBaseAtCells(s);
    readGrid();
  }
  Rebuild();
  SelClear(s.sel);
  SelUpdate(s.sel, s.SelectionGrid());
  if (parts) CommitEdit(parts, kKeyNow);
  return parts != 0;
}

bool TTab::PastePlain(const std::string& text) {
  int col, row;
  if (!HasSheets() || !CurrentPosition(col, row)) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = Cur();
  TSel& sel = s.sel;
  int c0, c1, r0, r1, part;
  if (col == -1) {
    part = kPartY;
    c0 = c1 = -1;
    r0 = row;
    r1 = s.axisY.count - 1;
  } else if (row == -1) {
    part = kPartX;
    r0 = r1 = -1;
    c0 = col;
    c1 = s.axisX.count - 1;
  } else {
    part = kPartCells;
    c0 = col;
    c1 = s.CellCols() - 1;
    r0 = row;
    r1 = s.CellRows() - 1;
    if (s.axisX.fixed) {
      int f = s.axisX.fixedIndex;
      if (f < sel.minCol || f > sel.maxCol) return false;
      c0 = c1 = f;
    }
    if (s.axisY.fixed) {
      int f = s.axisY.fixedIndex;
      if (f < sel.minRow || f > sel.maxRow) return false;
      r0 = r1 = f;
    }
  }
  const CAxe& axis = part == kPartX ? s.axisX : part == kPartY ? s.axisY : s.axisData;
  if (!axis.editable) return false;
  PasteGrid grid = ParsePlainPaste(text);
  const bool percent = part == kPartCells && s.PercentShown();
  const double scale = percent ? 1.0 : axis.scale;
  bool any = false;
  TSel written = sel;
  SelClear(written);
  for (size_t li = 0; li < grid.lines.size(); ++li) {
    const auto& f = grid.lines[li];
    for (size_t fi = 0; fi < f.size(); ++fi) {
      if (!f[fi]) continue;
      int c = part == kPartY ? -1 : c0 + static_cast<int>(fi);
      int r = part == kPartX ? -1 : r0 + static_cast<int>(li);
      if ((part == kPartY && fi > 0) || (part == kPartX && li > 0)) continue;
      if (c < c0 || c > c1 || r < r0 || r > r1) continue;
      double v = *f[fi];
      int32_t raw;
      if (part == kPartCells) {
        double scaled = scale == 0 ? v : v / scale;
        // Far above the range: a value in thousandths (12500 means 12.5).
        if (scaled > 5.0 * axis.maxValue) scaled *= 0.001;
        raw = percent ? RoundHalfAway(scaled) : RawWithinLimits(scaled, axis);
      } else {
        raw = RawOf(v, axis);
      }
      *s.Item(c, r) = raw;
      if (part == kPartX)
        written.selX[c] |= kMarkSelected;
      else if (part == kPartY)
        written.selY[r] |= kMarkSelected;
      else
        written.Cell(c, r) |= kMarkSelected;
      any = true;
    }
  }
  if (!any) return false;
  sel = written;
  SelUpdate(sel, s.SelectionGrid());
  CommitEdit(part, kKeyNow);
  return true;
}

}  // namespace zeda
