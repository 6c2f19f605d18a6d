// Keyboard navigation and the table-wide keys.
#include <algorithm>
#include <vector>

#include "mapedit/tab_model.h"

namespace zeda {
namespace {

// Positions a Left/Right (Up/Down) move runs through on the current row (column).
std::vector<int> LineStops(const CAxe& along, const CAxe& across, bool onHeaderLine, int lastCell) {
  std::vector<int> stops;
  // The header position (-1) is reachable unless on the other header or the other axis is
  // fixed.
  bool header = !onHeaderLine && !across.fixed;
  if (along.fixed) {
    if (header) stops.push_back(-1);
    stops.push_back(along.fixedIndex);
    return stops;
  }
  if (header) stops.push_back(-1);
  for (int i = 0; i <= lastCell; ++i) stops.push_back(i);
  return stops;
}

int Step(const std::vector<int>& stops, int pos, int dir) {
  if (stops.empty()) return pos;
  auto it = std::find(stops.begin(), stops.end(), pos);
  if (it == stops.end()) return dir > 0 ? stops.front() : stops.back();
  int i = static_cast<int>(it - stops.begin()) + dir;
  int n = static_cast<int>(stops.size());
  return stops[((i % n) + n) % n];
}

}  // namespace

void TTab::NavigateFrom(TKey key, int mods, int& col, int& row) const {
  const CSheet& s = Cur();
  const CAxe &x = s.axisX, &y = s.axisY;
  bool shift = mods & kModShift;
  auto lastCol = [&](int r) { return r == -1 ? x.count - 1 : s.CellCols() - 1; };
  auto lastRow = [&](int c) { return c == -1 ? y.count - 1 : s.CellRows() - 1; };
  if (shift) {
    // The moving end of a range: clamped, never wrapping; a fixed axis keeps its index.
    int dc = 0, dr = 0;
    switch (key) {
      case TKey::Left:
        dc = -1;
        break;
      case TKey::Right:
        dc = 1;
        break;
      case TKey::Up:
        dr = -1;
        break;
      case TKey::Down:
      case TKey::Enter:
        dr = 1;
        break;
      case TKey::Home:
        dc = -1000;
        break;
      case TKey::End:
        dc = 1000;
        break;
      case TKey::PageUp:
        dr = -1000;
        break;
      case TKey::PageDown:
        dr = 1000;
        break;
      default:
        return;
    }
    if (col >= 0) col = x.fixed ? x.fixedIndex : std::clamp(col + dc, 0, std::max(0, lastCol(row)));
    if (row >= 0) row = y.fixed ? y.fixedIndex : std::clamp(row + dr, 0, std::max(0, lastRow(col)));
    return;
  }
  switch (key) {
    case TKey::Left:
    case TKey::Right:
      col = Step(LineStops(x, y, row == -1, lastCol(row)), col, key == TKey::Right ? 1 : -1);
      break;
    case TKey::Up:
    case TKey::Down:
      row = Step(LineStops(y, x, col == -1, lastRow(col)), row, key == TKey::Down ? 1 : -1);
      break;
    case TKey::Home:
      col = x.fixed ? x.fixedIndex : 0;
      break;
    case TKey::End:
      col = x.fixed ? x.fixedIndex : std::max(0, lastCol(row));
      break;
    case TKey::PageUp:
      row = y.fixed ? y.fixedIndex : 0;
      break;
    case TKey::PageDown:
      row = y.fixed ? y.fixedIndex : std::max(0, lastRow(col));
      break;
    case TKey::Enter: {
      // A single shown row (y fixed) has no row below: Enter moves along it.
      bool lastLine = y.fixed || row >= lastRow(col);
      if (!y.fixed) row = Step(LineStops(y, x, col == -1, lastRow(col)), row, 1);
      if (lastLine) col = Step(LineStops(x, y, row == -1, lastCol(row)), col, 1);
      break;
    }
    default:
      break;
  }
}

bool TTab::KeyDown(TKey key, int mods) {
  if (!HasSheets()) return false;
  bool shift = mods & kModShift, ctrl = mods & kModCtrl;
  // Table-wide keys first.
  if (key == TKey::Tab) {
    if (editor.editing) AcceptEditor();
    if (ctrl) {
      SelectSheet(previous);
      return true;
    }
    if (sheetCount < 2) return false;
    int dir = shift ? -1 : 1;
    for (int k = 1; k < sheetCount; ++k) {
      int i = ((current + dir * k) % sheetCount + sheetCount) % sheetCount;
      if (!Sheet(i).hidden) {
        SelectSheet(i);
        return true;
      }
    }
    return true;
  }
  if (editor.editing) {
    switch (key) {
      case TKey::Escape:
        CancelEditor();
        return true;
      case TKey::Left:
      case TKey::Right:
      case TKey::Home:
      case TKey::End:
        EditorMove(key, shift);
        return true;
      case TKey::Backspace:
        EditorBackspace();
        return true;
      case TKey::Delete:
        EditorDelete();
        return true;
      case TKey::CopyKey:
        if (host && !EditorSelectedText().empty()) host->SetClipboardText(EditorSelectedText());
        return true;
      case TKey::PasteKey:
        if (host) EditorPaste(host->ClipboardText());
        return true;
      case TKey::Insert:
        if (ctrl) {
          if (host && !EditorSelectedText().empty()) host->SetClipboardText(EditorSelectedText());
        } else if (shift && host) {
          EditorPaste(host->ClipboardText());
        }
        return true;
      case TKey::Enter:
      case TKey::Up:
      case TKey::Down:
      case TKey::PageUp:
      case TKey::PageDown:
        AcceptEditor();
        break;  // then the key moves as usual
      case TKey::Plus:
      case TKey::Minus:
      case TKey::Other:
        return false;  // characters arrive through KeyChar
      default:
        return true;
    }
  }
  switch (key) {
    case TKey::CopyKey:
      Copy();
      return true;
    case TKey::PasteKey:
      Paste();
      return true;
    case TKey::Escape:
      ClearSelection();
      return true;
    case TKey::Insert: {
      if (ctrl) return Copy(), true;
      if (shift) return Paste(), true;
      int c, r;
      if (CurrentPosition(c, r)) OpenEditor(c, r, ItemText(c, r), false, -1);
      return true;
    }
    case TKey::Delete:
    case TKey::Backspace: {
      int c, r;
      if (CurrentPosition(c, r)) OpenEditor(c, r, "", false, 0);
      return true;
    }
    case TKey::Left:
    case TKey::Right:
    case TKey::Up:
    case TKey::Down:
    case TKey::Home:
    case TKey::End:
    case TKey::PageUp:
    case TKey::PageDown:
    case TKey::Enter: {
      CSheet& s = Cur();
      SelGrid g = s.SelectionGrid();
      if (s.sel.count <= 0) {
        SelectItem(s.axisX.fixed ? s.axisX.fixedIndex : 0, s.axisY.fixed ? s.axisY.fixedIndex : 0);
        return true;
      }
      if (shift) {
        int ec = s.sel.endCol, er = s.sel.endRow;
        if (ec < -1 || er < -1) ec = s.sel.minCol, er = s.sel.minRow;
        int ac = s.sel.anchorCol, ar = s.sel.anchorRow;
        if (ac < -1 || ar < -1) ac = ec, ar = er;
        NavigateFrom(key, mods, ec, er);
        SelSelectRange(s.sel, g, ac, ar, ec, er);
        ScrollTo(ec, er);
      } else {
        int c = s.sel.minCol, r = s.sel.minRow;
        NavigateFrom(key, mods, c, r);
        SelectItem(c, r);
      }
      if (host) host->RequestRedraw(1);
      return true;
    }
    default:
      return false;
  }
}

bool TTab::KeyChar(char c) {
  if (!HasSheets()) return false;
  if (editor.editing) {
    EditorInsert(c);
    return true;
  }
  if (c == '-') return Increment(-1), true;
  if (c == '+') return Increment(1), true;
  if ((c >= '0' && c <= '9') || c == ',' || c == '.') {
    int col, row;
    if (!CurrentPosition(col, row) || !OpenEditor(col, row, "", false, 0)) return false;
    EditorInsert(c);
    return true;
  }
  return false;
}

}  // namespace zeda
