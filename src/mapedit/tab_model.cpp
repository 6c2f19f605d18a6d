#include "mapedit/tab_model.h"

#include <algorithm>

#include "mapedit/lang_select.h"
#include "mapedit/percent_sheet.h"

namespace zeda {
namespace {

std::string Cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

}  // namespace

TTab::TTab(int id, uint32_t style, int width, int height)
    : id(id), style(style), width(width ? width : 500), height(height ? height : 200) {}

int TTab::AddSheet(const std::string& name, const std::string& labelX, const std::string& labelY,
                   const std::string& labelData, int sizeX, int sizeY, uint32_t flags) {
  if (sheetCount >= kMaxSheets) return -1;
  auto sh = std::make_unique<CSheet>();
  sh->flags = flags;
  sh->zone = IsZone();
  sh->name = Cut(name, kMaxLabelLen);
  sh->axisX.label = Cut(labelX, kMaxLabelLen);
  sh->axisY.label = Cut(labelY, kMaxLabelLen);
  sh->axisData.label = Cut(labelData, kMaxLabelLen);
  sizeX = std::clamp(sizeX, 1, kMaxCols);
  sizeY = std::clamp(sizeY, 1, kMaxRows);
  sh->axisX.maxCount = sh->axisX.count = sizeX;
  sh->axisY.maxCount = sh->axisY.count = sizeY;
  sh->axisData.maxCount = sh->axisData.count = 0;
  sh->axisData.proportional = true;
  MeasureNameWidth(*sh);
  int index = sheetCount;
  sheets[index] = std::move(sh);
  ++sheetCount;
  Normalise(index, kPartAll);
  return index;
}

void TTab::MeasureNameWidth(CSheet& sh) {
  int widest = 0;
  for (int lang = 0; lang < 3; ++lang) {
    std::string text = MapeditText(sh.name, lang);
    int w = host ? host->TextWidth(text, sh.titleFontSize)
                 : static_cast<int>(text.size()) * sh.titleFontSize * 6 / 10;
    widest = std::max(widest, w);
  }
  sh.nameWidth = widest + 15;
}

void TTab::AttachHost(TTabHost* h) {
  host = h;
  // Sheets added before the host came were measured by an estimate.
  for (int i = 0; i < sheetCount; ++i) MeasureNameWidth(Sheet(i));
  if (host) host->LayoutChanged();
}

void TTab::DefineAxis(int sheetIndex, int which, const std::string& key, const std::string& unit,
                      int32_t minValue, int32_t maxValue, double scale, int32_t minGap,
                      const std::vector<TickRange>& tickRanges, bool editable, int options,
                      int32_t minCount, int32_t count, int32_t fixMode, bool fixed, bool resizable,
                      int32_t fixedIndexRule, uint32_t groupMask, uint32_t colour,
                      uint32_t reserved) {
  if (sheetIndex < 0 || sheetIndex >= sheetCount) return;
  CSheet& sh = Sheet(sheetIndex);
  auto common = [&](CAxe& a) {
    a.key = Cut(key, kMaxKeyLen);
    a.unit = Cut(unit, kMaxUnitLen);
    a.minValue = minValue;
    a.maxValue = maxValue;
    a.scale = scale;
    a.editable = editable;
    a.tickRangeCount = static_cast<int32_t>(std::min<size_t>(tickRanges.size(), kMaxTickRanges));
    for (int i = 0; i < a.tickRangeCount; ++i) a.tickRanges[i] = tickRanges[i];
    a.groupMask = groupMask;
    a.colour = colour;
    a.options = options;
  };
  for (int bit : {1, 2}) {
    if (!(which & bit)) continue;
    CAxe& a = bit == 1 ? sh.axisX : sh.axisY;
    common(a);
    a.minGap = minGap;
    a.proportional = options & 1;
    a.minCount = std::clamp(minCount, 1, std::max(1, a.maxCount));
    a.count = std::clamp(count, a.minCount, std::max(a.minCount, a.maxCount));
    a.fixMode = fixMode;
    a.fixed = fixMode == 2 ? true : fixMode == 0 ? false : fixed;
    a.resizable = resizable;
    a.fixedIndexRule = fixedIndexRule;
    a.fixedIndex = FixedIndexFor(fixedIndexRule, a.count);
    a.reserved = reserved;
  }
  if (which & 4) {
    common(sh.axisData);
    sh.axisData.proportional = true;
  }
}

void TTab::SelectSheet(int index) {
  if (index < 0 || index >= sheetCount) return;
  if (editor.editing) AcceptEditor();
  if (index != current) previous = current;
  current = index;
  drag.mode = kDragNone;
  Rebuild();
  UpdateOperatingPoint();
  if (host) host->RequestRedraw(3);
}

void TTab::Normalise(int sheetIndex, int parts) {
  if (sheetIndex < 0 || sheetIndex >= sheetCount) return;
  CSheet& sh = Sheet(sheetIndex);
  if (parts & kForgetLastEdited) {
    sh.axisX.lastEdited = kLastEditedNone;
    sh.axisY.lastEdited = kLastEditedNone;
  }
  if (parts & kPartX) NormaliseBreakpoints(sh.axisX);
  if (parts & kPartY) NormaliseBreakpoints(sh.axisY);
  if (parts & kPartCells) ClampCells(sh);
  ClampOverlays(sh);
  if (shareOtherX && sheetCount == 2 && (parts & kPartX)) {
    CSheet& other = Sheet(1 - sheetIndex);
    other.axisX.otherValues = sh.axisX.values;
    other.axisX.otherCount = sh.axisX.count;
  }
}

void TTab::ClampOverlays(CSheet& sh) {
  if (sh.axisX.label != "RPM") return;
  auto bound = [](int32_t v, double scale) {
    double b = v * scale;  // truncated toward zero
    if (b > 2147483647.0) return int32_t{2147483647};
    if (b < -2147483648.0) return int32_t{-2147483647 - 1};
    return static_cast<int32_t>(b);
  };
  if (sh.flags & kSheetBaseAdvance) {
    int32_t lo = bound(sh.axisData.minValue, sh.axisData.scale);
    int32_t hi = bound(sh.axisData.maxValue, sh.axisData.scale);
    baseAdvance = std::clamp(baseAdvance, std::min(lo, hi), std::max(lo, hi));
  }
  int32_t lo = bound(sh.axisX.minValue, sh.axisX.scale);
  int32_t hi = bound(sh.axisX.maxValue, sh.axisX.scale);
  if (sh.flags & kSheetLimiter) limiter = std::clamp(limiter, std::min(lo, hi), std::max(lo, hi));
  if (sh.flags & kSheetStartLimiter)
    startLimiter = std::clamp(startLimiter, std::min(lo, hi), std::max(lo, hi));
}

void TTab::Rebuild() {
  // The owner rebuilds after loading new values: a half-typed value must not overwrite
  // them, so an open editor is dropped, not accepted.
  if (editor.editing) CancelEditor();
  for (int i = 0; i < sheetCount; ++i) {
    CSheet& sh = Sheet(i);
    for (CAxe* a : {&sh.axisX, &sh.axisY}) {
      if (a->fixMode == 2) a->fixed = true;
      if (a->fixMode == 0) a->fixed = false;
      a->count = std::clamp(a->count, 1, std::max(1, a->maxCount));
      a->fixedIndex = FixedIndexFor(a->fixedIndexRule, a->count);
    }
    // A zone table's fixed index addresses cells, which run one further.
    sh.axisX.scrollPos =
        std::clamp(sh.axisX.scrollPos, 0, std::max(0, sh.CellCols() - visibleCols));
    sh.axisY.scrollPos =
        std::clamp(sh.axisY.scrollPos, 0, std::max(0, sh.CellRows() - visibleRows));
    SelUpdate(sh.sel, sh.SelectionGrid());
  }
  if (host) host->LayoutChanged();
}

void TTab::ScrollTo(int col, int row) {
  if (!HasSheets()) return;
  CSheet& sh = Cur();
  auto scroll = [](CAxe& a, int i, int window, int used) {
    if (a.fixed || i < 0) return;
    if (i < a.scrollPos) a.scrollPos = i;
    if (i >= a.scrollPos + window) a.scrollPos = i - window + 1;
    a.scrollPos = std::clamp(a.scrollPos, 0, std::max(0, used - window));
  };
  scroll(sh.axisX, col, visibleCols, sh.CellCols());
  scroll(sh.axisY, row, visibleRows, sh.CellRows());
}

std::string TTab::Caption(const CAxe& axis, int i) {
  std::string caption, error;
  if (!StringViewCaption(axis, i, caption, error) && host) host->ShowError(error);
  return caption;
}

// ---- commit protocol ----

void TTab::CommitEdit(int parts, int32_t key) {
  if (!HasSheets()) return;
  if (key == kKeyEnd && pendingKey != kKeyBegin) return;
  // An edit still pending on another sheet is that sheet's: finish it before this one.
  if (pendingParts && pendingSheet_ != current) {
    pendingKey = 0;
    CommitNow();
  }
  pendingSheet_ = current;
  pendingParts |= parts & kPartAll;
  Normalise(current, parts);
  if (key == kKeyEnd) {
    pendingKey = 0;
    CommitNow();
    return;
  }
  if (key == pendingKey || pendingKey == 0) {
    commitDue = tick + kCommitDelayTicks;
    pendingKey = key;
  } else {
    // A different edit is pending: finish it now.
    pendingKey = 0;
    CommitNow();
    if (key == kKeyBegin) pendingKey = kKeyBegin;
  }
  if (pendingKey == 0) CommitNow();
}

void TTab::CommitNow() {
  int parts = pendingParts;
  pendingParts = 0;
  pendingKey = 0;
  commitDue = 0;
  if (!parts || !HasSheets()) return;
  const int sheet = pendingSheet_ < sheetCount ? pendingSheet_ : current;
  CSheet& sh = Sheet(sheet);
  if (sh.IsPercent()) {
    // Breakpoints moved: the base at the new grid first, so absCells use it.
    if (parts & (kPartX | kPartY)) ComputeBaseAtCells(sh);
    ComputeAbsCells(sh);
  } else {
    sh.absCells = sh.cells;
  }
  if (host) host->RequestRedraw(3);
  if (onTableChanged) onTableChanged(*this);
  if (host) host->Committed(sheet);
}

void TTab::CommitPendingEdit() {
  if (editor.editing) AcceptEditor();
  if (pendingParts && pendingKey != kKeyBegin) CommitNow();
}

bool TTab::HasPendingEdit() const {
  return editor.editing || (pendingParts && pendingKey != kKeyBegin);
}

void TTab::Tick() {
  ++tick;
  HoverTick();
  if (editor.editing) {
    if (!focused) {
      AcceptEditor();
    } else {
      editor.blink = (editor.blink + 1) % 16;
      if ((editor.blink == 0 || editor.blink == 8) && host) host->RequestRedraw(1);
    }
  }
  if (tick & 2) UpdateOperatingPoint();
  // An open structural edit (a graph drag) commits at its end mark, not halfway: an early
  // commit would clear the begin mark and make the end mark, with the last change, ignored.
  if (pendingParts && tick >= commitDue && pendingKey != kKeyBegin) CommitNow();
}

void TTab::ShowMessage(const char* langText) {
  if (host) host->ShowMessage(MapeditText(langText));
}

// ---- selection helpers ----

void TTab::ClearSelection() {
  if (!HasSheets()) return;
  SelClear(Cur().sel);
  SelUpdate(Cur().sel, Cur().SelectionGrid());
}

void TTab::SelectItem(int col, int row) {
  if (!HasSheets()) return;
  SelSelectOne(Cur().sel, Cur().SelectionGrid(), col, row);
  ScrollTo(col, row);
}

bool TTab::CurrentPosition(int& col, int& row) const {
  if (!HasSheets() || Cur().sel.count <= 0) return false;
  col = Cur().sel.minCol;
  row = Cur().sel.minRow;
  return true;
}

void TTab::PressItem(int col, int row, int mods, int dragKind) {
  if (!HasSheets()) return;
  if (editor.editing) AcceptEditor();
  SelPress(Cur().sel, Cur().SelectionGrid(), col, row, mods, dragKind);
  if (host) host->RequestRedraw(1);
}

void TTab::DragSelectionTo(int col, int row) {
  if (!HasSheets()) return;
  SelDragTo(Cur().sel, Cur().SelectionGrid(), col, row);
  if (host) host->RequestRedraw(1);
}

void TTab::EndSelectionDrag() {
  if (!HasSheets()) return;
  SelEndDrag(Cur().sel, Cur().SelectionGrid());
  if (host) host->RequestRedraw(1);
}

void TTab::RightPressItem(int col, int row, int dragKind) {
  if (!HasSheets()) return;
  if (editor.editing) AcceptEditor();
  SelRightPress(Cur().sel, Cur().SelectionGrid(), col, row, dragKind);
  if (host) host->RequestRedraw(1);
}

void TTab::PressSelectorCorner() {
  if (!HasSheets()) return;
  if (editor.editing) AcceptEditor();
  SelToggleAllCells(Cur().sel, Cur().SelectionGrid());
  if (host) host->RequestRedraw(1);
}

void TTab::PressCornerCell(int x, int y, int w, int h) {
  if (!HasSheets()) return;
  if (editor.editing) AcceptEditor();
  // Above the diagonal from the top-left to the bottom-right corner: y / h < x / w.
  bool above = int64_t{y} * w < int64_t{x} * h;
  SelAllBreakpoints(Cur().sel, Cur().SelectionGrid(), above);
  if (host) host->RequestRedraw(1);
}

int TTab::IncrementTarget() const {
  if (!HasSheets()) return 0;
  const CSheet& s = Cur();
  if (s.sel.count > 0) {
    bool editable = s.sel.kind == kSelX   ? s.axisX.editable
                    : s.sel.kind == kSelY ? s.axisY.editable
                                          : s.axisData.editable;
    return editable ? 1 : 0;
  }
  if ((s.flags & kSheetTrackLive) && s.actualState > 0) {
    if (s.actualCol == -1 && (s.flags & kSheetBaseAdvance)) return 2;
    if (s.axisData.editable && s.Item(s.actualCol, s.actualRow) && s.actualCol >= 0 &&
        s.actualRow >= 0)
      return 2;
  }
  return 0;
}

void TTab::SelectionChanged() {
  if (!HasSheets()) return;
  SelUpdate(Cur().sel, Cur().SelectionGrid());
  if (host) host->RequestRedraw(1);
}

}  // namespace zeda
