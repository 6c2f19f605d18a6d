#pragma once
// TTabWidget: the table control on a page. It draws a TTab (grid, 2D graph, 3D graph,
// zone chart, tabs and tool buttons) and routes mouse and keys to the model's editing
// operations; all table logic stays in the model. Main thread only.
//
// Use: create the table from the factories, wrap it in a TTabWidget, call Rebuild after
// every load; the owner keeps ticking the table set, and calls Tick on the widget after it.
#include <QHash>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QStaticText>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "mapedit/tab_host.h"
#include "mapedit/tab_model.h"
#include "mapedit/ui/tab_graph.h"

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
  void SetPrintMode(bool on);
  // The per-tick duties beyond the model's: language change, repaint requests.
  void Tick();
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

  // The mime type that carries the private table format.
  static QString SheetMimeType();

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
  int ColOfShown(int k) const;
  int RowOfShown(int k) const;
  int ShownOfCol(int c) const;
  int ShownOfRow(int r) const;
  QRect SelectionRect() const;
  void ScrollBy(bool xAxis, int delta);
  void AutoscrollTick();
  void GraphPress(QMouseEvent* e);
  void GraphMove(QMouseEvent* e);
  void GraphRelease(QMouseEvent* e);
  void GraphWheel(QWheelEvent* e, int sign);
  void EndGraphDrag();
  void ZoneToggle(const QRect& band);
  QColor LiveColour(const CSheet& s) const;
  const QStaticText& CellText(int32_t raw, double scale);
  QHash<QString, QStaticText> cellTexts_;  // laid-out cell texts (the font is fixed)

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
    ZoneBand
  };
  int thumbGrab_ = 0;
  Press press_ = Press::None;
  int scrollDir_ = 0;
  int scrollHeld_ = 0;
  QPoint mouse_;
  QTimer repeat_;  // scroll auto-repeat and autoscroll while a drag leaves the grid
  QPointer<QMenu> menu_;
  QRect band_;                       // 2D rubber band or zone-chart drag rectangle
  int dragCol_ = -2, dragRow_ = -2;  // 2D point being dragged
};

}  // namespace zeda
