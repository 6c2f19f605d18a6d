#pragma once
// TTab: the model of a table control. It holds up to eight sheets, keeps them normalised,
// tracks the live operating point, and commits the user's edits to the owner. The widget
// draws it and routes mouse and keys to the operations below; it never touches the
// parameter set itself.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mapedit/limits.h"
#include "mapedit/sheet.h"
#include "mapedit/tab_host.h"

namespace zeda {

// The in-place editor of one item.
inline constexpr int kEditorMaxChars = 16;
struct TCellEditor {
  bool editing = false;
  int col = -2, row = -2;
  std::string text;
  int caret = 0;
  int selStart = -1, selEnd = -1;  // text selection, -1 none
  int blink = 0;                   // 0 ... 15, shown during 0 ... 7
};

// The two small increment buttons of the item under the mouse.
inline constexpr int kRepeatDelayTicks = 16;
inline constexpr int kRepeatSlowTicks = 20;
struct THover {
  int col = -2, row = -2;
  bool shown = false;
  int pressed = 0;  // +1 plus, -1 minus, 0 none
  int32_t pressTick = 0;
  bool repeating = false;
  int repeatTicks = 0;  // ticks since auto-repeat started
};

// Fill and copy drags of the table view.
inline constexpr int kDragNone = 0;
inline constexpr int kDragFill = 1;
inline constexpr int kDragCopy = 2;
struct TBlock {
  int c0 = -2, c1 = -2, r0 = -2, r1 = -2;
};
struct TDrag {
  int mode = kDragNone;
  int part = 0;  // kPartX, kPartY or kPartCells
  TBlock source;
  TBlock target;
  std::array<int32_t, kMaxCells> snapshot{};
};

// Keys the table understands (the widget maps toolkit keys to these).
enum class TKey {
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
  Enter,
  Escape,
  Tab,
  Insert,
  Delete,
  Backspace,
  Plus,  // "+" and "-" step through KeyChar only; KeyDown leaves them (returns false)
  Minus,
  CopyKey /* Ctrl+C */,
  PasteKey /* Ctrl+V */,
  Other
};

class TTab {
 public:
  TTab(int id = 0, uint32_t style = 0, int width = 500, int height = 200);

  // ---- model state ----
  std::array<std::unique_ptr<CSheet>, kMaxSheets> sheets;
  int sheetCount = 0;
  int current = 0;
  int previous = 0;
  int id = 0;
  uint32_t style = 0;
  int width = 500, height = 200;
  int visibleCols = 15, visibleRows = 10;
  // Overlays, displayed units.
  int32_t baseAdvance = 0;
  int32_t limiter = 0;
  int32_t startLimiter = 0;
  // The overlays as the owner last handed them over: only an overlay this table changed
  // goes back to the parameters, so a table holding an older value cannot undo another
  // table's edit.
  int32_t givenBaseAdvance = 0;
  int32_t givenLimiter = 0;
  int32_t givenStartLimiter = 0;
  // Live inputs, written by the owner before every Tick.
  int32_t liveRpm = 0;
  int32_t liveTp = 0;
  int32_t liveIap = -1;
  int32_t liveTa = 0;
  int32_t liveTw = 0;
  int32_t liveTst = 0;
  uint32_t liveFlags = 0;
  // Commit state.
  int32_t tick = 0;
  int pendingParts = 0;
  int32_t pendingKey = 0;
  int32_t commitDue = 0;
  // "Autoscroll actual position", shared by all tables of the window.
  bool* autoscroll = nullptr;
  // Whether the control has the keyboard focus (the editor is accepted when it is lost).
  bool focused = true;

  TCellEditor editor;
  THover hover;
  TDrag drag;

  TTabHost* host = nullptr;
  // Gives the table its host and measures the tab widths with the host's font again.
  void AttachHost(TTabHost* h);
  // OnTableChanged: called for every committed edit.
  std::function<void(TTab&)> onTableChanged;

  // ---- owner interface ----
  int AddSheet(const std::string& name, const std::string& labelX, const std::string& labelY,
               const std::string& labelData, int sizeX, int sizeY, uint32_t flags);
  void DefineAxis(int sheet, int which, const std::string& key, const std::string& unit,
                  int32_t minValue, int32_t maxValue, double scale, int32_t minGap,
                  const std::vector<TickRange>& tickRanges, bool editable, int options,
                  int32_t minCount, int32_t count, int32_t fixMode, bool fixed, bool resizable,
                  int32_t fixedIndexRule, uint32_t groupMask, uint32_t colour,
                  uint32_t reserved = 0);
  void SelectSheet(int index);
  void Normalise(int sheet, int parts);
  void Rebuild();
  void Tick();
  void CommitEdit(int parts, int32_t key);

  // Caption of a breakpoint from its axis's string view; bad use is reported as an error
  // and gives an empty caption.
  std::string Caption(const CAxe& axis, int i);
  // Advance maps: each of the two sheets carries the other's X breakpoints for the graphs.
  bool shareOtherX = false;

  bool HasSheets() const { return sheetCount > 0; }
  CSheet& Sheet(int i) { return *sheets[i]; }
  const CSheet& Sheet(int i) const { return *sheets[i]; }
  CSheet& Cur() { return *sheets[current]; }
  const CSheet& Cur() const { return *sheets[current]; }
  bool IsZone() const { return style & kStyleZone; }

  // ---- live operating point ----
  // Index on one axis of the current sheet for the live value: -2 none, -1 before the
  // first rpm breakpoint of a base-advance sheet.
  int LookupAxis(const CSheet& s, const CAxe& axis) const;
  // Recomputes actualCol/Row/State of the current sheet; true when it changed.
  bool UpdateOperatingPoint();
  // Scrolls the least amount that makes the item visible.
  void ScrollTo(int col, int row);

  // ---- selection ----
  void ClearSelection();
  void SelectItem(int col, int row);
  // Current position of the keyboard and of paste; false when nothing is selected.
  bool CurrentPosition(int& col, int& row) const;
  void SelectionChanged();

  // Mouse on the grid: a press on an item ((c, r) cell, (c, -1) X breakpoint, (-1, r) Y
  // breakpoint; dragKind kDragColumns / kDragRows for the selector strips) starts a range,
  // moving extends it, releasing ends it. A press accepts an open editor first.
  void PressItem(int col, int row, int mods, int dragKind = 0);
  void DragSelectionTo(int col, int row);
  void EndSelectionDrag();
  // Right press: the item alone unless it is selected (so the menu acts on it).
  void RightPressItem(int col, int row, int dragKind = 0);
  // The square where the selector strips meet: all cells, or none when all were selected.
  void PressSelectorCorner();
  // The top-left corner cell: all X breakpoints above its diagonal, all Y ones below.
  void PressCornerCell(int x, int y, int width, int height);

  // What Increment would act on: 0 nothing, 1 the selection, 2 the operating point.
  int IncrementTarget() const;

  // ---- keys ----
  // One keystroke reaches the table as KeyDown first and, when that returns false, as
  // KeyChar for the character it typed. "+" and "-" (and digits) act in KeyChar alone, so a
  // widget that forwards both events of a keystroke steps once.
  // A key press (editor closed or open); true when the table used it.
  bool KeyDown(TKey key, int mods);
  // A typed character; true when used.
  bool KeyChar(char c);
  // The move of a navigation key from (col, row), without selecting anything.
  void NavigateFrom(TKey key, int mods, int& col, int& row) const;

  // ---- in-place editor ----
  bool ItemEditable(int col, int row) const;
  // Text of an item as the editor shows it (no unit; raw percent on a percent sheet).
  std::string ItemText(int col, int row) const;
  bool OpenEditor(int col, int row, const std::string& text, bool selectAll, int caret);
  void EditorInsert(char c);
  void EditorBackspace();
  void EditorDelete();
  // Left/Right/Home/End move the caret; with Shift they extend the text selection.
  void EditorMove(TKey key, bool shift);
  void EditorSetCaret(int pos);
  std::string EditorSelectedText() const;
  void EditorPaste(const std::string& clip);
  // Accepts the text (commits when it reads as a number); false when dropped.
  bool AcceptEditor();
  void CancelEditor();
  // Commits now what the user has not yet confirmed: the open cell editor's text and an
  // edit waiting for its commit delay (an increment). A graph drag still in progress stays
  // open: half a drag is not an edit. The owner calls it before it reads or replaces the
  // image.
  void CommitPendingEdit();
  // Whether CommitPendingEdit would commit anything.
  bool HasPendingEdit() const;

  // ---- increments ----
  // Steps the selection, else the operating point, by s = +1 / -1.
  void Increment(int s);
  // Steps the operating point only (the cell, or the base advance before the first rpm
  // breakpoint), whatever is selected: the wheel over the 3D view's panel. False when
  // there is no valid operating point to step.
  bool IncrementOperatingPoint(int s);
  // The step of a cell value for s (geometric ladder, percent of base).
  int32_t CellStep(const CSheet& sh, int col, int row, int s) const;
  // Steps one item, or the selection of its kind when it is selected, under one key.
  void IncrementItem(int col, int row, int d);
  // The mouse rests on an item: its two buttons show when it is editable.
  void HoverOver(int col, int row);
  // Hover buttons: press, release and the per-tick auto-repeat.
  void HoverPress(int col, int row, int sign);
  void HoverRelease();
  void HoverTick();
  // Mouse wheel over a shown pair of buttons.
  void HoverWheel(int sign);

  // ---- fill and copy drags ----
  // Starts a drag of the current selection; false when it has no editable items.
  bool BeginDrag(int mode);
  // Target block for an offset in whole cells.
  TBlock DragTarget(int dc, int dr) const;
  void UpdateDrag(int dc, int dr) { drag.target = DragTarget(dc, dr); }
  // Writes the target block, selects it and commits.
  void FinishDrag(int dc, int dr);
  void CancelDrag() { drag.mode = kDragNone; }

  // ---- structure ----
  bool InsertColumn(int b);
  bool InsertRow(int b);
  bool DeleteColumn(int i);
  bool DeleteRow(int i);
  int DeleteSelectedColumns();
  int DeleteSelectedRows();
  // Columns (rows) that "Delete column(s)" would remove; offered when > 0 and not all.
  int DeletableColumns() const;
  int DeletableRows() const;
  bool CanDeleteColumns() const;
  bool CanDeleteRows() const;
  // The menu item text ("Delete column", "Delete columns (3)"), empty when not offered.
  std::string DeleteColumnsText() const;
  std::string DeleteRowsText() const;
  // Grid line nearest to the mouse for "Insert column here", within 0 ... count.
  static int InsertIndexAt(int mouse, int gridStart, int cellSize, int scrollPos, int count);
  bool CanInterpolate() const;
  bool Interpolate();
  bool CanUseOnlyX() const;
  bool CanUseOnlyY() const;
  bool CanUseBoth() const;
  bool UseOnlyX();
  bool UseOnlyY();
  bool UseBoth();
  bool ToggleSheet();

  // ---- clipboard ----
  std::string CopyText() const;  // plain text of the selection
  void Copy();
  // The two texts of CopyTable: plain grid and the private format.
  void CopyTableTexts(std::string& text, std::string& sheetText) const;
  void CopyTable();
  void Paste();
  // Pastes the private format; false when nothing was pasted.
  bool PasteTable(const std::string& sheetText);
  // Pastes plain text at the current position; false when nothing was pasted.
  bool PastePlain(const std::string& text);
  // Whether the current sheet has an editable part, and a plain paste would have a target.
  bool HasEditablePart() const;
  bool CanPastePlain() const;

 private:
  void CommitNow();
  // The sheet the pending edit was made on; its commit recomputes that sheet.
  int pendingSheet_ = 0;
  void MeasureNameWidth(CSheet& sh);
  void ShowMessage(const char* langText);
  void NormaliseAxis(CAxe& a, int parts, int bit);
  void ClampOverlays(CSheet& s);
  void WriteDragValues();
};

}  // namespace zeda
