// Applying pasted text to the current sheet.
#include <algorithm>

#include "mapedit/messages.h"
#include "mapedit/paste_parser.h"
#include "mapedit/percent_sheet.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

int32_t rawOf(double v, const CAxe& axis) {
  return rawWithinLimits(axis.scale == 0 ? v : v / axis.scale, axis);
}

}  // namespace

bool TTab::HasEditablePart() const {
  if (!hasSheets()) return false;
  const CSheet& s = cur();
  return s.axisX.editable || s.axisY.editable || s.axisData.editable;
}

bool TTab::CanPastePlain() const {
  int col, row;
  if (!HasEditablePart() || !CurrentPosition(col, row)) return false;
  return ItemEditable(col, row);
}

void TTab::Paste() {
  if (!hasSheets() || !host) return;
  if (editor.editing) {
    EditorPaste(host->clipboardText());
    return;
  }
  int formats = host->clipboardFormats();
  if (formats & kClipSheet)
    PasteTable(host->clipboardSheet());
  else if (formats & kClipText)
    PastePlain(host->clipboardText());
}

bool TTab::PasteTable(const std::string& sheetText) {
  if (!hasSheets()) return false;
  if (editor.editing) AcceptEditor();
  TablePaste tp = parseTablePaste(sheetText);
  const TablePasteHeader& h = tp.header;
  CSheet& s = cur();
  CAxe &X = s.axisX, &Y = s.axisY, &D = s.axisData;
  int match = 0;
  if (h.labelX == X.key) match |= 1;
  if (h.labelY == Y.key) match |= 2;
  if (h.labelData == D.key + (s.percentShown() ? "[%]" : "")) match |= 4;
  if (h.sizeX == 0 || h.sizeY == 0) return false;
  // Checked before the keys, so that a table of another kind is refused with a message.
  bool xOk = h.sizeX == X.count || (X.editable && X.resizable && (match & 5) == 5);
  bool yOk = h.sizeY == Y.count || (Y.editable && Y.resizable && (match & 6) == 6);
  if (!xOk || !yOk) {
    showMessage(mapedit_msg::kDimensionsDiffer);
    return false;
  }
  if (!match) return false;

  int parts = 0;
  if (h.onlyXY == 'X' && X.fixMode != 0 && !X.fixed) X.fixed = true, parts |= kPartAll;
  if (h.onlyXY == 'Y' && Y.fixMode != 0 && !Y.fixed) Y.fixed = true, parts |= kPartAll;
  if (X.fixMode == 2) X.fixed = true;
  if (Y.fixMode == 2) Y.fixed = true;
  int nx = std::clamp(h.sizeX, X.minCount, std::min(X.maxCount, kMaxCols));
  int ny = std::clamp(h.sizeY, Y.minCount, std::min(Y.maxCount, kMaxRows));
  if (nx != X.count) X.count = nx, parts |= kPartX | kPartCells;
  if (ny != Y.count) Y.count = ny, parts |= kPartY | kPartCells;

  const bool percent = s.percentShown();
  auto readGrid = [&]() {
    const auto& lines = tp.grid.lines;
    const int cols = s.cellCols(), rows = s.cellRows();
    for (size_t li = 0; li < lines.size(); ++li) {
      const auto& f = lines[li];
      if (li == 0) {
        if (!X.editable || !(match & 1)) continue;
        for (size_t k = 1; k < f.size(); ++k) {
          int c = static_cast<int>(k) - 1;
          if (c < X.count && f[k]) X.values[c] = rawOf(*f[k], X), parts |= kPartX;
        }
        continue;
      }
      int r = static_cast<int>(li) - 1;
      if (!f.empty() && f[0] && r < Y.count && Y.editable && (match & 2))
        Y.values[r] = rawOf(*f[0], Y), parts |= kPartY;
      if (!D.editable || !(match & 4) || r >= rows) continue;
      for (size_t k = 1; k < f.size(); ++k) {
        int c = static_cast<int>(k) - 1;
        if (c >= cols || !f[k]) continue;
        s.cell(c, r) = percent ? roundHalfAway(*f[k]) : rawOf(*f[k], D);
        parts |= kPartCells;
      }
    }
  };
  readGrid();
  if (percent) {
    // Again with the base at the new breakpoints.
    computeBaseAtCells(s);
    readGrid();
  }
  Rebuild();
  selClear(s.sel);
  selUpdate(s.sel, s.selGrid());
  if (parts) CommitEdit(parts, kKeyNow);
  return parts != 0;
}

bool TTab::PastePlain(const std::string& text) {
  int col, row;
  if (!hasSheets() || !CurrentPosition(col, row)) return false;
  if (editor.editing) AcceptEditor();
  CSheet& s = cur();
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
    c1 = s.cellCols() - 1;
    r0 = row;
    r1 = s.cellRows() - 1;
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
  PasteGrid grid = parsePlainPaste(text);
  const bool percent = part == kPartCells && s.percentShown();
  const double scale = percent ? 1.0 : axis.scale;
  bool any = false;
  TSel written = sel;
  selClear(written);
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
        raw = percent ? roundHalfAway(scaled) : rawWithinLimits(scaled, axis);
      } else {
        raw = rawOf(v, axis);
      }
      *s.item(c, r) = raw;
      if (part == kPartX)
        written.selX[c] |= kMarkSelected;
      else if (part == kPartY)
        written.selY[r] |= kMarkSelected;
      else
        written.cell(c, r) |= kMarkSelected;
      any = true;
    }
  }
  if (!any) return false;
  sel = written;
  selUpdate(sel, s.selGrid());
  CommitEdit(part, kKeyNow);
  return true;
}

}  // namespace zeda
