#pragma once
// TTabWidget: the table control on a page. It draws a TTab (grid, 2D graph, 3D graph,
// zone chart, tabs and tool buttons) and routes mouse and keys to the model's editing
// operations; all table logic stays in the model. Main thread only.
//
// Hosting it on a page:
//   TTab* t = CreateAdvanceMap(tableSet, id, options, width, height);  // the factories
//   auto* w = new TTabWidget(*t, page);   // the control takes the table's size
//   ... copy the parameter values into the sheets, then w->Rebuild();  // after every load
//   connect(w, &TTabWidget::TableChanged, page, [](int sheet) { ... copy back ... });
// Every 55 ms the owner ticks the table set (TTableSet::Tick, which ticks the model) and
// then calls Tick() on each widget: scroll-bar repeat, autoscroll of a drag beyond the
// grid, the repaint when Shift or Ctrl changes in the 2D view, language changes.
// "Advance +" and "Advance -" act on TTabWidget::Focused() (the control holding the
// keyboard focus), through StepFocused(+1 / -1).
// The printout switches the control to print mode by the invokable SetPrintMode(bool)
// (no header needed: QMetaObject::invokeMethod(w, "SetPrintMode", Q_ARG(bool, on))).
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

#include "mapedit/selection.h"
#include "mapedit/tab_host.h"
#include "mapedit/tab_model.h"
#include "mapedit/ui/tab_graph.h"
#include "mapedit/ui/text_cache.h"

namespace zeda {

inline constexpr int kTabHeightPx = 20;
inline constexpr int kHoverStripPx = 15;
inline constexpr int kScrollThicknessPx = 15;

// View modes; zone tables add kViewZone.
inline constexpr int kViewNone = 0;
inline constexpr int kViewTable = 1;
inline constexpr int kView2D = 2;
inline constexpr int kView3D = 4;
inline constexpr int kViewZone = 8;

// Commands of the tool buttons (the numbers the buttons carry).
enum TButtonCommand : int {
  kCmdCopy = 0,
  kCmdCopyTable = 1,
  kCmdPaste = 2,
  kCmdIncrement = 3,
  kCmdDecrement = 4,
  kCmdViewTable = 5,
  kCmdView2D = 6,
  kCmdView3D = 7,
  kCmdUseOnlyX = 13,
  kCmdUseOnlyY = 14,
  kCmdUseBoth = 15,
  kCmdTop = 16,
  kCmdIso1 = 17,
  kCmdIso2 = 18,
  kCmdToggleSheet = 19,
  kCmdAddColumn = 23,
  kCmdRemoveColumn = 24,
};

struct TToolButton {
  int command = 0;
  bool visible = false;
  bool enabled = true;
  int viewGroup = 0;  // 0 in every view, else drawn only in that view
  QRect rect;
  bool checked = false;
  bool toggle = false;         // acts on press (views, presets), else on release
  const char* text = nullptr;  // LangString or symbol
  std::string label;           // composed text (axis-use buttons)
  const char* hint = nullptr;
};

// What lies under a point of the control.
enum class THitKind {
  None,
  Cell,
  XHeader,
  YHeader,
  ColumnSelector,
  RowSelector,
  SelectorCorner,
  CornerCell,
  SheetTab,
  Button,
  ViewImage,
  CheckBox,
  ScrollBarX,
  ScrollBarY,
  Graph,
};
struct THit {
  THitKind kind = THitKind::None;
  int col = -2, row = -2;  // items; the sheet for SheetTab; the button index for Button
};

// The grid layout of the current sheet, rebuilt with Rebuild and on resize.
struct TGridLayout {
  int buttonTop = 5;
  int tabsTop = 5;
  int top = 10;  // top of the header row
  int left = 10;
  int headerColW = 65, gap = 15, headerRowH = 20, cellW = 40, cellH = 20;
  int shownCols = 0, shownRows = 0;
  int halfX = 0, halfY = 0;  // zone tables: headers sit on the zone borders
  bool scrollX = false, scrollY = false;
  QRect grid;       // cells
  QRect graph;      // the graph of a graph view, or the 2D graph beside the grid
  QRect viewImage;  // "BT_G"/"BT_T" or "BT_P"/"BT_nP" below the header column
  int GridX0() const { return left + headerColW + gap; }
  int GridY0() const { return top + headerRowH + gap; }
};

class TTabWidget : public QWidget, public TTabHost {
  Q_OBJECT
 public:
  explicit TTabWidget(TTab& table, QWidget* parent = nullptr);
  ~TTabWidget() override;

  TTab& Table() { return tab_; }
  // After a load or any change of counts, labels or fixed flags.
  void Rebuild();
  // 1 table, 2 2D graph, 4 3D graph (0: re-evaluate); falls to the next allowed view.
  void SetViewMode(int mode);
  int viewMode() const { return viewMode_; }
  int BaseView() const { return viewMode_ & ~kViewZone; }
  int AllowedViews() const;
  // Draws without the buttons, on white, until switched off again.
  Q_INVOKABLE void SetPrintMode(bool on);
  bool PrintMode() const { return printMode_; }
  // The per-tick duties beyond the model's (call after the table set's Tick): scroll-bar
  // repeat, autoscroll while a drag is beyond the grid, the repaint when Shift or Ctrl
  // changed in the 2D view, a language change, the button states.
  void Tick();
  // The table control that holds the keyboard focus, nullptr when none does.
  static TTabWidget* Focused();
  // "Advance +" / "Advance -": steps the focused control's selection or operating point;
  // false when no table control has the focus.
  static bool StepFocused(int step);
  // The hint of what is under the mouse: the short part (tool tip) and the long part
  // (status bar; the whole hint when it has no "|").
  QString HintShort() const { return hintShort_; }
  QString HintLong() const { return hintLong_; }
  // The control drawn into an image at a device pixel ratio (printout, reference images).
  QImage Picture(qreal dpr = 1.0);
  void Paint(QPainter& p);
  // The context menu for a right click at a point (rebuilt every time; owned here).
  QMenu* BuildContextMenu(QPoint pos);
  QMenu* ContextMenu() const { return menu_; }
  // Copy graph: the graph area as a bitmap on the clipboard.
  void CopyGraph();

  TTabGraph graph;
  const TGridLayout& layout() const { return layout_; }
  const std::vector<TToolButton>& Buttons() const { return buttons_; }
  THit HitAt(QPoint p) const;
  // Rectangle of an item in the grid ((c, -1) X header, (-1, r) Y header); empty when
  // it is not shown.
  QRect ItemRect(int col, int row) const;
  // The index of the button with a command, -1 when there is none.
  int ButtonIndex(int command) const;
  void RunCommand(int command);
  // The 2D graph's point of a cell in widget pixels (tests drag it).
  QPointF PointOf2D(int col, int row);
  // The zone chart's line of breakpoint `index` of the X (kPartX) or Y (kPartY) axis: its x
  // or y in widget pixels, -1 when there is none.
  double ZoneLinePos(int axis, int index) const;

  // TTabHost
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  int ClipboardFormats() override;
  std::string ClipboardText() override;
  std::string ClipboardSheet() override;
  void SetClipboardText(const std::string& text) override;
  void SetClipboardTable(const std::string& text, const std::string& sheet) override;
  void RequestRedraw(int bits) override;
  void LayoutChanged() override;
  int TextWidth(const std::string& text, int fontSize) override;
  void Committed(int sheet) override { Q_EMIT TableChanged(sheet); }

  // The mime type that carries the private table format.
  static QString SheetMimeType();

 Q_SIGNALS:
  // An edit of sheet `sheet` was committed: the owner copies the table back.
  void TableChanged(int sheet);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;
  void leaveEvent(QEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }

 private:
  friend class TGraph2D;
  void ComputeLayout();
  void BuildButtons();
  void UpdateButtonStates();
  void DrawButtons(QPainter& p);
  void DrawTabs(QPainter& p);
  void DrawGrid(QPainter& p);
  void DrawZoneCells(QPainter& p);
  void DrawScrollBars(QPainter& p);
  void Draw2D(QPainter& p, const QRect& r);
  void Draw3D(QPainter& p, const QRect& r);
  void DrawZoneChart(QPainter& p, const QRect& r);
  QRectF ZonePlotRect() const;
  bool ZoneLineAt(QPointF m, int& axis, int& index) const;
  void ZonePress(QMouseEvent* e);
  void ZoneMove(QMouseEvent* e);
  void ZoneRelease();
  // The points of the 2D graph inside the rubber band.
  TCellSet BandCaught() const;
  void SetHint(const QString& text);
  int ColOfShown(int k) const;
  int RowOfShown(int k) const;
  int ShownOfCol(int c) const;
  int ShownOfRow(int r) const;
  QRect SelectionRect() const;
  void ScrollBy(bool xAxis, int delta);
  void RepeatTick();
  void GraphPress(QMouseEvent* e);
  void GraphMove(QMouseEvent* e);
  void GraphRelease(QMouseEvent* e);
  void GraphWheel(QWheelEvent* e, int sign);
  void EndGraphDrag();
  void ZoneToggle(const QRect& band);
  QColor LiveColour(const CSheet& s) const;
  // Laid-out texts of the grid (the grid's font is fixed): cells, X and Y breakpoints.
  TTextCache cellTexts_, xTexts_, yTexts_;

  TTab& tab_;
  TGridLayout layout_;
  std::vector<TToolButton> buttons_;
  int viewMode_ = kViewNone;
  bool printMode_ = false;
  int language_ = -1;
  int pressedButton_ = -1;
  QPoint pressPos_;
  enum class Press {
    None,
    Select,
    Fill,
    Copy,
    Hover,
    ScrollX,
    ScrollY,
    ThumbX,
    ThumbY,
    Graph,
    Rotate,
    ZoneBand,
    ZoneLine
  };
  int thumbGrab_ = 0;
  Press press_ = Press::None;
  int scrollDir_ = 0;
  int scrollHeld_ = 0;
  QPoint mouse_;
  bool repeating_ = false;  // scroll auto-repeat and autoscroll run on the ticks
  int mods_ = 0;            // Shift and Ctrl as last seen (kModShift, kModCtrl)
  QString hintShort_, hintLong_;
  QPointer<QMenu> menu_;
  QRect band_;                                  // 2D rubber band or zone-chart drag rectangle
  int dragCol_ = -2, dragRow_ = -2;             // 2D point being dragged
  int dragParts_ = kPartCells;                  // what a graph drag edits (its end mark commits it)
  int zoneLineAxis_ = 0, zoneLineIndex_ = 0;    // zone chart line being dragged
  int zoneHoverAxis_ = 0, zoneHoverIndex_ = 0;  // and the one under the mouse
  TZoneScale zoneDragScale_;                    // value scale taken at the press
  double zoneDragPos_ = 0;                      // where the dragged line is drawn
};

}  // namespace zeda
