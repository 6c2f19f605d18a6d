// The table control: layout, tool buttons, view choice, hit map, input routing, context
// menu and the host services the model asks for (messages, clipboard, redraws).
#include "mapedit/ui/tab_widget.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>

#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"
#include "mapedit/lang_select.h"
#include "mapedit/ui/tab_accessible.h"
#include "mapedit/ui/tab_texts.h"

namespace zeda {
namespace {

QString LangOf(const std::string& s) { return Qs(MapeditText(s)); }

constexpr int kMarginRight = 27;
constexpr int kMarginBottom = 27;
constexpr int kScrollThickness = 15;
constexpr int kHoverStrip = 15;
constexpr int kFillHandle = 5;
constexpr int kCopyBorder = 2;
constexpr int kTabHeight = 20;

int ModsOf(Qt::KeyboardModifiers m) {
  int r = 0;
  if (m & Qt::ShiftModifier) r |= kModShift;
  if (m & Qt::ControlModifier) r |= kModCtrl;
  return r;
}

}  // namespace

QString TTabWidget::SheetMimeType() {
  return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
      .arg(QLatin1String(kClipSheetFormat));
}

TTabWidget::TTabWidget(TTab& table, QWidget* parent) : QWidget(parent), tab_(table) {
  InstallTabAccessibility();
  setObjectName(QStringLiteral("TTab%1").arg(table.id));
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAutoFillBackground(false);
  resize(tab_.width, tab_.height);
  setMinimumSize(120, 80);
  tab_.AttachHost(this);
  language_ = CurrentLanguage();
  Rebuild();
}

TTabWidget::~TTabWidget() {
  if (tab_.host == this) tab_.host = nullptr;
}

// ---- views ----

int TTabWidget::AllowedViews() const {
  int v = 0;
  if (tab_.style & kStyleTableView) v |= kViewTable;
  if (tab_.style & kStyle2D) v |= kView2D;
  if (tab_.style & kStyle3D) v |= kView3D;
  return v;
}

void TTabWidget::SetViewMode(int mode) {
  const int allowed = AllowedViews();
  mode &= ~kViewZone;
  if (mode == 0) mode = BaseView();
  // A view that is not allowed falls to the next one: table -> 2D -> 3D -> none.
  if (mode == kViewTable && !(allowed & kViewTable)) mode = kView2D;
  if (mode == kView2D && !(allowed & kView2D)) mode = kView3D;
  if (mode == kView3D && !(allowed & kView3D)) mode = kViewNone;
  if (mode == kViewNone) {
    mode = (allowed & kViewTable) ? kViewTable : (allowed & kView2D) ? kView2D : kViewNone;
  }
  if (mode != kViewNone && tab_.IsZone()) mode |= kViewZone;
  if (mode != viewMode_ && tab_.editor.editing) tab_.AcceptEditor();
  viewMode_ = mode;
  graph.dragging = false;
  ComputeLayout();
  BuildButtons();
  update();
}

void TTabWidget::SetPrintMode(bool on) {
  printMode_ = on;
  ComputeLayout();
  BuildButtons();
  update();
}

void TTabWidget::Rebuild() {
  if (tab_.HasSheets())
    tab_.Rebuild();  // ends with layoutChanged()
  else
    LayoutChanged();
}

void TTabWidget::LayoutChanged() {
  if (viewMode_ == kViewNone) {
    SetViewMode(0);
    return;
  }
  ComputeLayout();
  BuildButtons();
  update();
}

void TTabWidget::Tick() {
  if (language_ != CurrentLanguage()) {
    language_ = CurrentLanguage();
    tab_.AttachHost(this);  // tab widths in the new language
    Rebuild();
  }
  // A table on a page not shown has no buttons to update and no modifiers to follow; it
  // catches up on the first tick it is shown. (Asking the clipboard for every hidden table
  // on every tick kept an idle window busy.)
  if (!isVisible()) return;
  // The 2D graph previews a rubber band by the modifiers held, so it is redrawn when
  // Shift or Ctrl changes even while the mouse rests.
  // Asked only where it matters: the query may be a round trip to the display server.
  const bool graph2D = (BaseView() == kView2D && !tab_.IsZone()) ||
                       (BaseView() == kViewTable && !layout_.graph.isEmpty());
  if (graph2D && isVisible()) {
    const int mods = ModsOf(QGuiApplication::queryKeyboardModifiers());
    if (mods != mods_) {
      mods_ = mods;
      update();
    }
  }
  if (repeating_) RepeatTick();
  UpdateButtonStates();
}

void TTabWidget::RequestRedraw(int) {
  // Scroll positions may have moved with the live point (autoscroll) or a keyboard move.
  ComputeLayout();
  update();
}

// ---- host services ----

void TTabWidget::ShowMessage(const std::string& text) {
  auto* box =
      new QMessageBox(QMessageBox::Information, windowTitle(), Qs(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void TTabWidget::ShowError(const std::string& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), Qs(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

int TTabWidget::ClipboardFormats() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return 0;
  int f = 0;
  if (m->hasText()) f |= kClipText;
  if (m->hasFormat(SheetMimeType())) f |= kClipSheet;
  return f;
}

std::string TTabWidget::ClipboardText() {
  return QGuiApplication::clipboard()->text().toStdString();
}

std::string TTabWidget::ClipboardSheet() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return {};
  return m->data(SheetMimeType()).toStdString();
}

void TTabWidget::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(Qs(text));
}

void TTabWidget::SetClipboardTable(const std::string& text, const std::string& sheet) {
  auto* m = new QMimeData;
  m->setText(Qs(text));
  m->setData(SheetMimeType(), QByteArray::fromStdString(sheet));
  QGuiApplication::clipboard()->setMimeData(m);
}

int TTabWidget::TextWidth(const std::string& text, int fontSize) {
  QFont f = font();
  f.setPointSize(std::max(1, fontSize));
  return QFontMetrics(f).horizontalAdvance(Qs(text));
}

// ---- layout ----

void TTabWidget::resizeEvent(QResizeEvent*) {
  tab_.width = width();
  tab_.height = height();
  ComputeLayout();
  BuildButtons();
}

void TTabWidget::ComputeLayout() {
  TGridLayout& l = layout_;
  const int w = width(), h = height();
  const bool bar = (tab_.style & kStyleButtons) && !printMode_;
  int tabsW = 2;
  int shownSheets = 0;
  for (int i = 0; i < tab_.sheetCount; ++i)
    if (!tab_.Sheet(i).hidden) tabsW += tab_.Sheet(i).nameWidth + 1, ++shownSheets;
  int nAxis = 0;
  if (tab_.HasSheets()) {
    const CSheet& s = tab_.Cur();
    nAxis += s.axisY.fixMode == 1;
    nAxis += s.axisX.fixMode == 1;
    nAxis += (s.axisX.fixMode == 1 || s.axisY.fixMode == 1) && s.axisX.fixMode != 2 &&
             s.axisY.fixMode != 2;
  }
  int views = __builtin_popcount(static_cast<unsigned>(AllowedViews()));
  int total = 75 * nAxis + 63 * (views >= 2 ? views : 0) + 123;
  int groupStart = w - kMarginRight - total;
  l.buttonTop = (bar && tab_.sheetCount > 1 && tabsW > groupStart - 10) ? 25 : 5;
  l.tabsTop = (bar && l.buttonTop == 25) ? 3 : 5;
  const bool titled = tab_.style & kStyleTitled;
  l.top = bar ? l.buttonTop + 31 : (shownSheets > 1 || titled) ? l.buttonTop + 20 : 10;
  l.left = 10;
  l.headerColW = tab_.IsZone() ? 45 : 65;
  l.gap = 15;
  const int vc = std::max(1, tab_.visibleCols), vr = std::max(1, tab_.visibleRows);
  l.headerRowH = std::max(12, (h - l.top - l.gap - kMarginBottom) / (vr + 1));
  l.cellW = std::max(12, (w - l.GridX0() - kMarginRight) / vc);
  l.cellH = std::max(10, (h - l.top - l.headerRowH - l.gap - kMarginBottom) / vr);
  l.shownCols = l.shownRows = 0;
  l.scrollX = l.scrollY = false;
  l.halfX = l.halfY = 0;
  l.grid = l.graph = l.viewImage = QRect();
  if (!tab_.HasSheets()) return;
  const CSheet& s = tab_.Cur();
  l.shownCols = s.axisX.fixed ? 1 : std::min(vc, s.CellCols() - s.axisX.scrollPos);
  l.shownRows = s.axisY.fixed ? 1 : std::min(vr, s.CellRows() - s.axisY.scrollPos);
  l.shownCols = std::max(0, l.shownCols);
  l.shownRows = std::max(0, l.shownRows);
  l.scrollX = !s.axisX.fixed && s.CellCols() > vc;
  l.scrollY = !s.axisY.fixed && s.CellRows() > vr;
  if (tab_.IsZone()) {
    l.halfX = l.cellW / 2;
    l.halfY = l.cellH / 2;
  }
  l.grid = QRect(l.GridX0(), l.GridY0(), l.shownCols * l.cellW, l.shownRows * l.cellH);
  const QRect area(l.left, l.top, w - l.left - 10, h - l.top - 10);
  const int base = BaseView();
  if (base == kView2D || base == kView3D) {
    l.graph = area;
  } else if (base == kViewTable && (AllowedViews() & kView2D) && !tab_.IsZone()) {
    // The curve in addition to the grid where there is room for it.
    const int below = l.grid.bottom() + 5 + (l.scrollX ? kScrollThickness : 0);
    const int right = l.grid.right() + 5 + (l.scrollY ? kScrollThickness : 0);
    const int graphH = h - 10 - below, graphW = w - 10 - right;
    const double hq =
        s.axisY.fixed ? graphH * 1.5 : graphH / std::max(1.0, s.axisY.count * 2.0 / 3.0);
    const double wq = s.axisX.fixed ? graphW : graphW / std::max(1.0, double(s.axisX.count));
    if (hq > 100)
      l.graph = QRect(l.left, below, w - l.left - 10, graphH);
    else if (wq > 100)
      l.graph = QRect(right, l.top, graphW, h - l.top - 10);
  }
  if (!bar) {
    if (base == kViewTable)
      l.viewImage = QRect(l.left + 4, l.grid.bottom() + 4, 24, 16);
    else if (base == kView2D && !l.graph.isEmpty())
      l.viewImage = QRect(l.graph.left() + 2, l.graph.bottom() - 16, 24, 16);
  }
  if (tab_.IsZone() && !bar) l.viewImage = QRect(l.left + 4, l.grid.bottom() + 4, 24, 16);
}

int TTabWidget::ColOfShown(int k) const {
  const CAxe& x = tab_.Cur().axisX;
  return x.fixed ? x.fixedIndex : x.scrollPos + k;
}
int TTabWidget::RowOfShown(int k) const {
  const CAxe& y = tab_.Cur().axisY;
  return y.fixed ? y.fixedIndex : y.scrollPos + k;
}
int TTabWidget::ShownOfCol(int c) const {
  const CAxe& x = tab_.Cur().axisX;
  if (x.fixed) return c == x.fixedIndex ? 0 : -1;
  int k = c - x.scrollPos;
  return (k >= 0 && k < layout_.shownCols) ? k : -1;
}
int TTabWidget::ShownOfRow(int r) const {
  const CAxe& y = tab_.Cur().axisY;
  if (y.fixed) return r == y.fixedIndex ? 0 : -1;
  int k = r - y.scrollPos;
  return (k >= 0 && k < layout_.shownRows) ? k : -1;
}

QRect TTabWidget::ItemRect(int col, int row) const {
  if (!tab_.HasSheets()) return {};
  const TGridLayout& l = layout_;
  if (col >= 0 && row >= 0) {
    int kc = ShownOfCol(col), kr = ShownOfRow(row);
    if (kc < 0 || kr < 0) return {};
    return QRect(l.GridX0() + kc * l.cellW, l.GridY0() + kr * l.cellH, l.cellW, l.cellH);
  }
  if (row == -1 && col >= 0) {
    if (col >= tab_.Cur().axisX.count) return {};
    int kc = ShownOfCol(col);
    if (kc < 0) return {};
    return QRect(l.GridX0() + kc * l.cellW + l.halfX, l.top, l.cellW, l.headerRowH);
  }
  if (col == -1 && row >= 0) {
    if (row >= tab_.Cur().axisY.count) return {};
    int kr = ShownOfRow(row);
    if (kr < 0) return {};
    return QRect(l.left, l.GridY0() + kr * l.cellH + l.halfY, l.headerColW, l.cellH);
  }
  return {};
}

QRect TTabWidget::SelectionRect() const {
  const TSel& sel = tab_.Cur().sel;
  if (sel.count <= 0) return {};
  QRect a = ItemRect(sel.minCol, sel.minRow), b = ItemRect(sel.maxCol, sel.maxRow);
  if (a.isEmpty() || b.isEmpty()) return {};
  return a.united(b);
}

// ---- tool buttons ----

void TTabWidget::BuildButtons() {
  buttons_.clear();
  if (!tab_.HasSheets()) return;
  const CSheet& s = tab_.Cur();
  const bool bar = (tab_.style & kStyleButtons) && !printMode_;
  const int w = width();
  const int b = layout_.buttonTop;
  auto add = [&](int cmd, QRect r, const char* text, const char* hint, int group = 0,
                 bool toggle = false) {
    TToolButton t;
    t.command = cmd;
    t.visible = true;
    t.rect = r;
    t.text = text;
    t.hint = hint;
    t.viewGroup = group;
    t.toggle = toggle;
    buttons_.push_back(t);
    return static_cast<int>(buttons_.size()) - 1;
  };
  if (bar) {
    const bool onlyX = s.axisY.fixMode == 1, onlyY = s.axisX.fixMode == 1;
    const bool both = (onlyX || onlyY) && s.axisX.fixMode != 2 && s.axisY.fixMode != 2;
    const int nAxis = onlyX + onlyY + both;
    const int views = __builtin_popcount(static_cast<unsigned>(AllowedViews()));
    const int total = 75 * nAxis + 63 * (views >= 2 ? views : 0) + 123;
    const int g = w - kMarginRight - total;
    add(kCmdCopy, QRect(g, b, 25, 25), tab_text::kCopy, tab_text::kCopy);
    add(kCmdCopyTable, QRect(g + 30, b, 25, 25), tab_text::kCopyTable, tab_text::kCopyTable);
    add(kCmdPaste, QRect(g + 60, b, 25, 25), tab_text::kPaste, tab_text::kPaste);
    add(kCmdIncrement, QRect(g + 100, b, 13, 12), "+", tab_text::kIncrementHint);
    add(kCmdDecrement, QRect(g + 100, b + 13, 13, 12), "-", tab_text::kDecrementHint);
    int x = g + 128;
    auto axisButton = [&](int cmd, std::string label, const char* hint) {
      int i = add(cmd, QRect(x, b, 70, 25), nullptr, hint, 0, true);
      buttons_[i].label = std::move(label);
      x += 75;
    };
    const std::string lx = MapeditText(s.axisX.label), ly = MapeditText(s.axisY.label);
    if (onlyX)
      axisButton(kCmdUseOnlyX, std::string(LangText(tab_text::kOnly)) + " " + lx,
                 tab_text::kUseOnlyHint);
    if (onlyY)
      axisButton(kCmdUseOnlyY, std::string(LangText(tab_text::kOnly)) + " " + ly,
                 tab_text::kUseOnlyHint);
    if (both)
      axisButton(kCmdUseBoth, lx + " " + LangText(tab_text::kAnd) + " " + ly,
                 tab_text::kUseBothHint);
    if (views >= 2) {
      const struct {
        int view, cmd;
        const char* text;
      } kViews[] = {{kViewTable, kCmdViewTable, tab_text::kViewTable},
                    {kView2D, kCmdView2D, tab_text::kView2D},
                    {kView3D, kCmdView3D, tab_text::kView3D}};
      for (const auto& v : kViews)
        if (AllowedViews() & v.view) {
          add(v.cmd, QRect(x, b, 58, 25), v.text, v.text, 0, true);
          x += 63;
        }
    }
  }
  if ((AllowedViews() & kView3D) && !layout_.graph.isEmpty()) {
    const QRect r = layout_.graph;
    add(kCmdTop, QRect(r.left() + 10, r.top() + 25, 46, 17), "TOP", tab_text::kTopHint, kView3D,
        true);
    add(kCmdIso1, QRect(r.left() + 60, r.top() + 25, 36, 17), "ISO1", tab_text::kIso1Hint, kView3D,
        true);
    add(kCmdIso2, QRect(r.left() + 100, r.top() + 25, 36, 17), "ISO2", tab_text::kIso2Hint, kView3D,
        true);
  }
  if ((tab_.style & kStyleTableView) && !printMode_ && s.axisX.resizable && !s.axisX.fixed &&
      BaseView() == kViewTable) {
    const int x = layout_.grid.right() + 3 + (layout_.scrollY ? kScrollThickness : 0);
    add(kCmdAddColumn, QRect(x, layout_.top, 15, 15), "+", tab_text::kAddColumn);
    add(kCmdRemoveColumn, QRect(x, layout_.top + 16, 15, 15), "-", tab_text::kRemoveColumn);
  }
  UpdateButtonStates();
}

int TTabWidget::ButtonIndex(int command) const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i].command == command) return static_cast<int>(i);
  return -1;
}

void TTabWidget::UpdateButtonStates() {
  if (!tab_.HasSheets()) return;
  const CSheet& s = tab_.Cur();
  // A keyboard tab stop only while the table view has a selection to act on.
  setFocusPolicy(BaseView() == kViewTable && s.sel.count > 0 ? Qt::StrongFocus : Qt::ClickFocus);
  for (TToolButton& t : buttons_) {
    switch (t.command) {
      case kCmdCopy:
        t.enabled = s.sel.count > 0 || !tab_.EditorSelectedText().empty();
        break;
      case kCmdPaste: {
        int f = ClipboardFormats();
        t.enabled = ((f & kClipSheet) && tab_.HasEditablePart()) ||
                    ((f & kClipText) && tab_.CanPastePlain());
        break;
      }
      case kCmdIncrement:
      case kCmdDecrement:
        t.enabled = tab_.IncrementTarget() != 0;
        break;
      case kCmdUseOnlyX:
        t.checked = !s.axisX.fixed && s.axisY.fixed;
        break;
      case kCmdUseOnlyY:
        t.checked = s.axisX.fixed && !s.axisY.fixed;
        break;
      case kCmdUseBoth:
        t.checked = !s.axisX.fixed && !s.axisY.fixed;
        break;
      case kCmdViewTable:
        t.checked = BaseView() == kViewTable;
        break;
      case kCmdView2D:
        t.checked = BaseView() == kView2D;
        break;
      case kCmdView3D:
        t.checked = BaseView() == kView3D;
        break;
      case kCmdTop:
        t.checked = graph.Matches(kPresetTop);
        break;
      case kCmdIso1:
        t.checked = graph.Matches(kPresetIso1);
        break;
      case kCmdIso2:
        t.checked = graph.Matches(kPresetIso2);
        break;
      case kCmdAddColumn:
        t.enabled = s.axisX.count < s.axisX.maxCount;
        break;
      case kCmdRemoveColumn:
        t.enabled = s.axisX.count > s.axisX.minCount;
        break;
      default:
        break;
    }
  }
}

void TTabWidget::RunCommand(int command) {
  switch (command) {
    case kCmdCopy:
      tab_.Copy();
      break;
    case kCmdCopyTable:
      tab_.CopyTable();
      break;
    case kCmdPaste:
      tab_.Paste();
      break;
    case kCmdIncrement:
      tab_.Increment(1);
      break;
    case kCmdDecrement:
      tab_.Increment(-1);
      break;
    case kCmdViewTable:
      SetViewMode(kViewTable);
      break;
    case kCmdView2D:
      SetViewMode(kView2D);
      break;
    case kCmdView3D:
      SetViewMode(kView3D);
      break;
    case kCmdUseOnlyX:
      tab_.UseOnlyX();
      break;
    case kCmdUseOnlyY:
      tab_.UseOnlyY();
      break;
    case kCmdUseBoth:
      tab_.UseBoth();
      break;
    case kCmdTop:
      graph.Apply(kPresetTop);
      break;
    case kCmdIso1:
      graph.Apply(kPresetIso1);
      break;
    case kCmdIso2:
      graph.Apply(kPresetIso2);
      break;
    case kCmdToggleSheet:
      tab_.ToggleSheet();
      break;
    case kCmdAddColumn:
      tab_.InsertColumn(tab_.Cur().axisX.count);
      break;
    case kCmdRemoveColumn:
      tab_.DeleteColumn(tab_.Cur().axisX.count - 1);
      break;
    default:
      break;
  }
  ComputeLayout();
  BuildButtons();
  update();
}

// ---- hit map ----

THit TTabWidget::HitAt(QPoint p) const {
  THit h;
  if (!tab_.HasSheets()) return h;
  const TGridLayout& l = layout_;
  const int base = BaseView();
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const TToolButton& t = buttons_[i];
    if (!t.visible || (t.viewGroup && t.viewGroup != base)) continue;
    if (t.rect.contains(p)) return {THitKind::Button, static_cast<int>(i), 0};
  }
  int shownSheets = 0;
  for (int i = 0; i < tab_.sheetCount; ++i) shownSheets += !tab_.Sheet(i).hidden;
  if (shownSheets > 1) {
    int x = l.left;
    const int y = l.tabsTop;
    for (int i = 0; i < tab_.sheetCount; ++i) {
      if (tab_.Sheet(i).hidden) continue;
      if (QRect(x, y, tab_.Sheet(i).nameWidth, kTabHeight).contains(p))
        return {THitKind::SheetTab, i, 0};
      x += tab_.Sheet(i).nameWidth + 1;
    }
  }
  if ((tab_.style & kStyleTitled) && (tab_.Cur().flags & kSheetSwitchable) &&
      QRect(l.left, l.top - 20, 16, 16).contains(p))
    return {THitKind::CheckBox, 0, 0};
  if (l.viewImage.contains(p)) return {THitKind::ViewImage, 0, 0};
  if (!l.graph.isEmpty() && l.graph.contains(p) && base != kViewTable)
    return {THitKind::Graph, 0, 0};
  if (base != kViewTable) return h;
  if (!l.graph.isEmpty() && l.graph.contains(p)) return {THitKind::Graph, 0, 0};
  const CSheet& s = tab_.Cur();
  if (l.scrollX &&
      QRect(l.grid.left(), l.grid.bottom() + 1, l.grid.width(), kScrollThickness).contains(p))
    return {THitKind::ScrollBarX, 0, 0};
  if (l.scrollY &&
      QRect(l.grid.right() + 1, l.grid.top(), kScrollThickness, l.grid.height()).contains(p))
    return {THitKind::ScrollBarY, 0, 0};
  const int x = p.x(), y = p.y();
  const bool inHeaderCol = x >= l.left && x < l.left + l.headerColW;
  const bool inRowSel = x >= l.left + l.headerColW && x < l.GridX0();
  const bool inHeaderRow = y >= l.top && y < l.top + l.headerRowH;
  const bool inColSel = y >= l.top + l.headerRowH && y < l.GridY0();
  const bool inCols = x >= l.GridX0() && x < l.grid.right() + 1;
  const bool inRows = y >= l.GridY0() && y < l.grid.bottom() + 1;
  if (inHeaderCol && inHeaderRow) return {THitKind::CornerCell, -1, -1};
  if (inRowSel && inColSel) return {THitKind::SelectorCorner, -1, -1};
  if (inCols && (inHeaderRow || inColSel)) {
    const int col = ColOfShown((x - l.GridX0() - (inHeaderRow ? l.halfX : 0)) / l.cellW);
    if (inHeaderRow) {
      if (col < 0 || col >= s.axisX.count || x < l.GridX0() + l.halfX) return h;
      return {THitKind::XHeader, col, -1};
    }
    return {THitKind::ColumnSelector, col, 0};
  }
  if (inRows && (inHeaderCol || inRowSel)) {
    const int row = RowOfShown((y - l.GridY0() - (inHeaderCol ? l.halfY : 0)) / l.cellH);
    if (inHeaderCol) {
      if (row < 0 || row >= s.axisY.count || y < l.GridY0() + l.halfY) return h;
      return {THitKind::YHeader, -1, row};
    }
    return {THitKind::RowSelector, 0, row};
  }
  if (inCols && inRows)
    return {THitKind::Cell, ColOfShown((x - l.GridX0()) / l.cellW),
            RowOfShown((y - l.GridY0()) / l.cellH)};
  return h;
}

// ---- scrolling ----

void TTabWidget::ScrollBy(bool xAxis, int delta) {
  CSheet& s = tab_.Cur();
  CAxe& a = xAxis ? s.axisX : s.axisY;
  const int window = xAxis ? tab_.visibleCols : tab_.visibleRows;
  const int used = xAxis ? s.CellCols() : s.CellRows();
  const int to = std::clamp(a.scrollPos + delta, 0, std::max(0, used - window));
  if (to == a.scrollPos) return;
  if (tab_.editor.editing) tab_.AcceptEditor();  // scrolling closes the editor
  a.scrollPos = to;
  ComputeLayout();
  BuildButtons();
  update();
}

TTabWidget* TTabWidget::Focused() {
  for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
    if (auto* t = qobject_cast<TTabWidget*>(w)) return t;
  return nullptr;
}

bool TTabWidget::StepFocused(int step) {
  TTabWidget* w = Focused();
  if (!w || !w->tab_.HasSheets()) return false;
  w->tab_.Increment(step);
  w->UpdateButtonStates();
  w->update();
  return true;
}

void TTabWidget::SetHint(const QString& text) {
  const QString shortPart = text.section(QLatin1Char('|'), 0, 0);
  const QString longPart =
      text.contains(QLatin1Char('|')) ? text.section(QLatin1Char('|'), 1) : text;
  setToolTip(shortPart);
  hintShort_ = shortPart;
  if (longPart == hintLong_) return;
  hintLong_ = longPart;
  // The long part goes to the window's status bar, as a status tip would.
  setStatusTip(longPart);
  QStatusTipEvent tip(longPart);
  QCoreApplication::sendEvent(this, &tip);
}

void TTabWidget::RepeatTick() {
  const TGridLayout& l = layout_;
  if (press_ == Press::ScrollX || press_ == Press::ScrollY) {
    if (++scrollHeld_ > 2) ScrollBy(press_ == Press::ScrollX, scrollDir_);
    return;
  }
  if (press_ != Press::Select && press_ != Press::Fill && press_ != Press::Copy) {
    repeating_ = false;
    return;
  }
  // Beyond the grid: scroll towards the mouse, faster the further out.
  auto speed = [](int outside, int cell) {
    return outside > 0 ? 1 + outside / std::max(1, cell * 2) : 0;
  };
  int dx = 0, dy = 0;
  if (mouse_.x() > l.grid.right()) dx = speed(mouse_.x() - l.grid.right(), l.cellW);
  if (mouse_.x() < l.GridX0()) dx = -speed(l.GridX0() - mouse_.x(), l.cellW);
  if (mouse_.y() > l.grid.bottom()) dy = speed(mouse_.y() - l.grid.bottom(), l.cellH);
  if (mouse_.y() < l.GridY0()) dy = -speed(l.GridY0() - mouse_.y(), l.cellH);
  if (dx && l.scrollX) ScrollBy(true, dx);
  if (dy && l.scrollY) ScrollBy(false, dy);
}

// ---- mouse ----

void TTabWidget::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  tab_.focused = true;
  if (!tab_.HasSheets()) return;
  const QPoint p = e->position().toPoint();
  mouse_ = pressPos_ = p;
  const THit hit = HitAt(p);
  const int mods = ModsOf(e->modifiers());
  CSheet& s = tab_.Cur();
  if (e->button() == Qt::RightButton) {
    if (hit.kind == THitKind::SheetTab) {
      tab_.SelectSheet(hit.col);
      SetViewMode(0);
    } else if (hit.kind == THitKind::Cell || hit.kind == THitKind::XHeader ||
               hit.kind == THitKind::YHeader) {
      tab_.RightPressItem(hit.col, hit.row);
    } else if (hit.kind == THitKind::ColumnSelector) {
      tab_.RightPressItem(hit.col, 0, kDragColumns);
    } else if (hit.kind == THitKind::RowSelector) {
      tab_.RightPressItem(0, hit.row, kDragRows);
    } else if (hit.kind == THitKind::Graph) {
      GraphPress(e);
    }
    update();
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  switch (hit.kind) {
    case THitKind::SheetTab:
      EndGraphDrag();
      tab_.SelectSheet(hit.col);
      SetViewMode(0);
      return;
    case THitKind::CheckBox:
      RunCommand(kCmdToggleSheet);
      return;
    case THitKind::ViewImage:
      if (tab_.IsZone()) {
        graph.zoneStretch = !graph.zoneStretch;
        update();
      } else {
        SetViewMode(BaseView() == kViewTable ? kView2D : kViewTable);
      }
      return;
    case THitKind::Button: {
      TToolButton& t = buttons_[hit.col];
      if (!t.enabled) return;
      if (t.toggle) {
        RunCommand(t.command);
      } else {
        pressedButton_ = hit.col;
        update();
      }
      return;
    }
    case THitKind::ScrollBarX:
    case THitKind::ScrollBarY: {
      const bool xAxis = hit.kind == THitKind::ScrollBarX;
      const QRect g = layout_.grid;
      const int along = xAxis ? p.x() - g.left() : p.y() - g.top();
      const int length = xAxis ? g.width() : g.height();
      const int window = xAxis ? tab_.visibleCols : tab_.visibleRows;
      // Arrows at both ends step one breakpoint; the track pages by the window minus one.
      if (along < kScrollThickness)
        scrollDir_ = -1;
      else if (along >= length - kScrollThickness)
        scrollDir_ = 1;
      else {
        const CAxe& a = xAxis ? s.axisX : s.axisY;
        const int used = xAxis ? s.CellCols() : s.CellRows();
        const int track = std::max(1, length - 2 * kScrollThickness);
        const int thumb = std::max(10, track * window / std::max(1, used));
        const int thumbPos =
            kScrollThickness + (track - thumb) * a.scrollPos / std::max(1, used - window);
        if (along >= thumbPos && along < thumbPos + thumb) {
          // The thumb follows the mouse.
          press_ = xAxis ? Press::ThumbX : Press::ThumbY;
          thumbGrab_ = along - thumbPos;
          return;
        }
        scrollDir_ = (along < thumbPos ? -1 : 1) * std::max(1, window - 1);
      }
      press_ = xAxis ? Press::ScrollX : Press::ScrollY;
      scrollHeld_ = 0;
      ScrollBy(xAxis, scrollDir_);
      repeating_ = true;
      return;
    }
    case THitKind::Graph:
      GraphPress(e);
      return;
    default:
      break;
  }
  // The grid.
  const bool item =
      hit.kind == THitKind::Cell || hit.kind == THitKind::XHeader || hit.kind == THitKind::YHeader;
  if (item && tab_.editor.editing && tab_.editor.col == hit.col && tab_.editor.row == hit.row) {
    // A click inside the editor moves the caret to the nearest character boundary.
    const QRect r = ItemRect(hit.col, hit.row);
    QFont f = font();
    f.setBold(true);
    f.setPointSizeF(font().pointSizeF() * 1.4);
    QFontMetrics fm(f);
    const QString t = Qs(tab_.editor.text);
    const int x0 = r.center().x() - fm.horizontalAdvance(t) / 2;
    int best = 0;
    for (int i = 0; i <= t.size(); ++i)
      if (std::abs(x0 + fm.horizontalAdvance(t.left(i)) - p.x()) <
          std::abs(x0 + fm.horizontalAdvance(t.left(best)) - p.x()))
        best = i;
    tab_.EditorSetCaret(best);
    update();
    return;
  }
  const QRect sr = SelectionRect();
  if (!sr.isEmpty() && s.sel.count > 0) {
    const QPoint corner = sr.bottomRight();
    if (std::abs(p.x() - corner.x()) <= kFillHandle &&
        std::abs(p.y() - corner.y()) <= kFillHandle && tab_.BeginDrag(kDragFill)) {
      press_ = Press::Fill;
      return;
    }
    const QRect outer = sr.adjusted(-kCopyBorder, -kCopyBorder, kCopyBorder, kCopyBorder);
    const QRect inner = sr.adjusted(kCopyBorder, kCopyBorder, -kCopyBorder, -kCopyBorder);
    if (outer.contains(p) && !inner.contains(p) && tab_.BeginDrag(kDragCopy)) {
      press_ = Press::Copy;
      return;
    }
    if (tab_.CanInterpolate() && inner.contains(p)) {
      const TSel& sel = s.sel;
      const QRect corners[] = {
          ItemRect(sel.blockC0, sel.blockR0), ItemRect(sel.blockC1, sel.blockR0),
          ItemRect(sel.blockC0, sel.blockR1), ItemRect(sel.blockC1, sel.blockR1)};
      for (const QRect& c : corners)
        if (!c.isEmpty() && std::abs(p.x() - c.center().x()) + std::abs(p.y() - c.center().y()) <=
                                layout_.cellH / 2) {
          tab_.Interpolate();
          update();
          return;
        }
    }
  }
  if (item && tab_.ItemEditable(hit.col, hit.row)) {
    const QRect r = ItemRect(hit.col, hit.row);
    if (p.x() >= r.right() - kHoverStrip) {
      tab_.HoverPress(hit.col, hit.row, p.y() < r.center().y() ? 1 : -1);
      press_ = Press::Hover;
      update();
      return;
    }
  }
  switch (hit.kind) {
    case THitKind::CornerCell:
      tab_.PressCornerCell(p.x() - layout_.left, p.y() - layout_.top, layout_.headerColW,
                           layout_.headerRowH);
      break;
    case THitKind::SelectorCorner:
      tab_.PressSelectorCorner();
      break;
    case THitKind::ColumnSelector:
      tab_.PressItem(hit.col, 0, mods, kDragColumns);
      press_ = Press::Select;
      break;
    case THitKind::RowSelector:
      tab_.PressItem(0, hit.row, mods, kDragRows);
      press_ = Press::Select;
      break;
    case THitKind::Cell:
    case THitKind::XHeader:
    case THitKind::YHeader:
      tab_.PressItem(hit.col, hit.row, mods);
      press_ = Press::Select;
      break;
    default:
      if (tab_.editor.editing) tab_.AcceptEditor();
      break;
  }
  if (press_ == Press::Select) repeating_ = true;
  update();
}

void TTabWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  mouse_ = p;
  if (!tab_.HasSheets()) return;
  const TGridLayout& l = layout_;
  const THit hit = HitAt(p);
  if (press_ == Press::Graph || press_ == Press::Rotate || press_ == Press::ZoneBand ||
      press_ == Press::ZoneLine || (press_ == Press::None && hit.kind == THitKind::Graph)) {
    GraphMove(e);
    return;
  }
  if (press_ == Press::Select) {
    const int kc =
        std::clamp((p.x() - l.GridX0()) / std::max(1, l.cellW), 0, std::max(0, l.shownCols - 1));
    const int kr =
        std::clamp((p.y() - l.GridY0()) / std::max(1, l.cellH), 0, std::max(0, l.shownRows - 1));
    tab_.DragSelectionTo(ColOfShown(kc), RowOfShown(kr));
    update();
    return;
  }
  if (press_ == Press::ThumbX || press_ == Press::ThumbY) {
    const bool xAxis = press_ == Press::ThumbX;
    CSheet& s = tab_.Cur();
    const int length = xAxis ? l.grid.width() : l.grid.height();
    const int window = xAxis ? tab_.visibleCols : tab_.visibleRows;
    const int used = xAxis ? s.CellCols() : s.CellRows();
    const int track = std::max(1, length - 2 * kScrollThickness);
    const int thumb = std::max(10, track * window / std::max(1, used));
    const int along = (xAxis ? p.x() - l.grid.left() : p.y() - l.grid.top()) - thumbGrab_;
    const int range = std::max(1, track - thumb);
    const int to = (along - kScrollThickness) * std::max(0, used - window) / range;
    CAxe& a = xAxis ? s.axisX : s.axisY;
    ScrollBy(xAxis, to - a.scrollPos);
    return;
  }
  if (press_ == Press::Fill || press_ == Press::Copy) {
    tab_.UpdateDrag((p.x() - pressPos_.x()) / std::max(1, l.cellW),
                    (p.y() - pressPos_.y()) / std::max(1, l.cellH));
    update();
    return;
  }
  if (press_ != Press::None) return;
  // Hover: buttons, cursor and hint.
  const bool item =
      hit.kind == THitKind::Cell || hit.kind == THitKind::XHeader || hit.kind == THitKind::YHeader;
  if (item)
    tab_.HoverOver(hit.col, hit.row);
  else if (tab_.hover.shown)
    tab_.HoverOver(-2, -2);
  for (TToolButton& t : buttons_) t.rect.contains(p) ? void(t.checked = t.checked) : void();
  QString hint;
  Qt::CursorShape cursor = Qt::ArrowCursor;
  if (hit.kind == THitKind::Button) hint = Lang(buttons_[hit.col].hint);
  if (hit.kind == THitKind::ViewImage)
    hint = Lang(tab_.IsZone() ? tab_text::kZoneStretchHint : tab_text::kSwitchHint);
  const QRect sr = SelectionRect();
  if (!sr.isEmpty()) {
    const QPoint c = sr.bottomRight();
    const QRect outer = sr.adjusted(-kCopyBorder, -kCopyBorder, kCopyBorder, kCopyBorder);
    const QRect inner = sr.adjusted(kCopyBorder, kCopyBorder, -kCopyBorder, -kCopyBorder);
    if (std::abs(p.x() - c.x()) <= kFillHandle && std::abs(p.y() - c.y()) <= kFillHandle)
      cursor = Qt::CrossCursor;
    else if (outer.contains(p) && !inner.contains(p))
      cursor = Qt::SizeAllCursor;
    else if (tab_.CanInterpolate() && inner.contains(p)) {
      const TSel& sel = tab_.Cur().sel;
      for (QRect r : {ItemRect(sel.blockC0, sel.blockR0), ItemRect(sel.blockC1, sel.blockR0),
                      ItemRect(sel.blockC0, sel.blockR1), ItemRect(sel.blockC1, sel.blockR1)})
        if (!r.isEmpty() &&
            std::abs(p.x() - r.center().x()) + std::abs(p.y() - r.center().y()) <= l.cellH / 2) {
          cursor = Qt::IBeamCursor;
          hint = Lang(tab_text::kInterpolation);
        }
    }
  }
  setCursor(cursor);
  SetHint(hint);
  update();
}

void TTabWidget::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const TGridLayout& l = layout_;
  const Press was = press_;
  press_ = Press::None;
  repeating_ = false;
  if (!tab_.HasSheets()) return;
  switch (was) {
    case Press::Select:
      tab_.EndSelectionDrag();
      break;
    case Press::Fill:
    case Press::Copy:
      tab_.FinishDrag((p.x() - pressPos_.x()) / std::max(1, l.cellW),
                      (p.y() - pressPos_.y()) / std::max(1, l.cellH));
      break;
    case Press::Hover:
      tab_.HoverRelease();
      break;
    case Press::Graph:
    case Press::Rotate:
    case Press::ZoneBand:
    case Press::ZoneLine:
      press_ = was;
      GraphRelease(e);
      press_ = Press::None;
      break;
    default:
      break;
  }
  if (pressedButton_ >= 0) {
    const int i = pressedButton_;
    pressedButton_ = -1;
    if (i < static_cast<int>(buttons_.size()) && buttons_[i].rect.contains(p))
      RunCommand(buttons_[i].command);
  }
  UpdateButtonStates();
  update();
}

void TTabWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!tab_.HasSheets() || e->button() != Qt::LeftButton) return;
  const THit hit = HitAt(e->position().toPoint());
  if (hit.kind != THitKind::Cell && hit.kind != THitKind::XHeader &&
      hit.kind != THitKind::YHeader) {
    mousePressEvent(e);
    return;
  }
  if (!tab_.ItemEditable(hit.col, hit.row)) return;
  const std::string text = tab_.ItemText(hit.col, hit.row);
  tab_.OpenEditor(hit.col, hit.row, text, true, static_cast<int>(text.size()));
  update();
}

void TTabWidget::wheelEvent(QWheelEvent* e) {
  if (!tab_.HasSheets() || e->buttons() != Qt::NoButton) return;
  const int sign = e->angleDelta().y() > 0 ? 1 : e->angleDelta().y() < 0 ? -1 : 0;
  if (!sign) return;
  const QPoint p = e->position().toPoint();
  if (HitAt(p).kind == THitKind::Graph || BaseView() == kView3D) {
    GraphWheel(e, sign);
    return;
  }
  if (tab_.hover.shown) {
    tab_.HoverWheel(sign);
  } else if (layout_.scrollY) {
    ScrollBy(false, -sign);
  } else if (layout_.scrollX) {
    ScrollBy(true, -sign);
  }
  update();
}

void TTabWidget::leaveEvent(QEvent*) {
  if (tab_.hover.shown && !tab_.hover.pressed) tab_.HoverOver(-2, -2);
  graph.hovered = kHoverNothing;
  zoneHoverAxis_ = 0;
  graph.hint.clear();
  update();
}

void TTabWidget::focusInEvent(QFocusEvent*) { tab_.focused = true; }
void TTabWidget::focusOutEvent(QFocusEvent*) {
  tab_.focused = false;  // the model accepts an open editor on its next tick
  EndGraphDrag();        // capture is gone with the focus
}

// ---- keys ----

void TTabWidget::keyPressEvent(QKeyEvent* e) {
  if (!tab_.HasSheets()) return QWidget::keyPressEvent(e);
  const int mods = ModsOf(e->modifiers());
  const bool ctrl = mods & kModCtrl;
  if (graph.dragging && e->key() == Qt::Key_Escape) {
    EndGraphDrag();
    press_ = Press::None;
    update();
    return;
  }
  if (BaseView() == kView3D && e->key() == Qt::Key_Space) {
    graph.valueLabels = (graph.valueLabels + 1) % (kValueLabelsMax + 1);
    update();
    return;
  }
  TKey key = TKey::Other;
  switch (e->key()) {
    case Qt::Key_Left:
      key = TKey::Left;
      break;
    case Qt::Key_Right:
      key = TKey::Right;
      break;
    case Qt::Key_Up:
      key = TKey::Up;
      break;
    case Qt::Key_Down:
      key = TKey::Down;
      break;
    case Qt::Key_Home:
      key = TKey::Home;
      break;
    case Qt::Key_End:
      key = TKey::End;
      break;
    case Qt::Key_PageUp:
      key = TKey::PageUp;
      break;
    case Qt::Key_PageDown:
      key = TKey::PageDown;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = TKey::Enter;
      break;
    case Qt::Key_Escape:
      key = TKey::Escape;
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      key = TKey::Tab;
      break;
    case Qt::Key_Insert:
      key = TKey::Insert;
      break;
    case Qt::Key_Delete:
      key = TKey::Delete;
      break;
    case Qt::Key_Backspace:
      key = TKey::Backspace;
      break;
    case Qt::Key_Plus:
      key = TKey::Plus;
      break;
    case Qt::Key_Minus:
      key = TKey::Minus;
      break;
    case Qt::Key_C:
      key = ctrl ? TKey::CopyKey : TKey::Other;
      break;
    case Qt::Key_V:
      key = ctrl ? TKey::PasteKey : TKey::Other;
      break;
    default:
      break;
  }
  const int keyMods = mods | (e->key() == Qt::Key_Backtab ? kModShift : 0);
  const bool arrows = key == TKey::Left || key == TKey::Right || key == TKey::Up ||
                      key == TKey::Down || key == TKey::Home || key == TKey::End ||
                      key == TKey::PageUp || key == TKey::PageDown || key == TKey::Enter;
  // Grid navigation belongs to the table view; the table-wide keys work in every view.
  bool used = false;
  if (!arrows || BaseView() == kViewTable || tab_.editor.editing) used = tab_.KeyDown(key, keyMods);
  if (!used && !ctrl) {
    const QString t = e->text();
    if (t.size() == 1 && t[0].unicode() < 128 && t[0].isPrint())
      used = tab_.KeyChar(static_cast<char>(t[0].unicode()));
  }
  if (key == TKey::Tab) SetViewMode(0);
  ComputeLayout();
  UpdateButtonStates();
  update();
  if (!used) QWidget::keyPressEvent(e);
}

// ---- context menu ----

void TTabWidget::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* m = BuildContextMenu(e->pos());
  if (m && !m->isEmpty()) m->popup(e->globalPos());
}

QMenu* TTabWidget::BuildContextMenu(QPoint pos) {
  if (menu_) menu_->deleteLater();
  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("TabMenu"));
  QMenu* m = menu_;
  if (!tab_.HasSheets()) return m;
  CSheet& s = tab_.Cur();
  const THit hit = HitAt(pos);
  const int base = BaseView();
  const bool onTab = hit.kind == THitKind::SheetTab;
  const bool inGraph =
      base != kViewTable && !layout_.graph.isEmpty() && layout_.graph.contains(pos);
  const bool enabled = s.enabled;
  auto item = [&](const QString& text, auto fn, bool checkable = false, bool checked = false) {
    QAction* a = m->addAction(text);
    a->setCheckable(checkable);
    a->setChecked(checked);
    connect(a, &QAction::triggered, this, [this, fn] {
      fn();
      ComputeLayout();
      BuildButtons();
      update();
    });
    return a;
  };
  auto group = [&](int before) {
    if (m->actions().size() > before) m->addSeparator();
  };
  int n = m->actions().size();
  // 1. sheet on and off
  if ((s.flags & kSheetSwitchable) && !onTab) {
    item(QStringLiteral("%1 %2").arg(
             Lang(s.enabled ? tab_text::kDisable : tab_text::kEnable).trimmed(), LangOf(s.name)),
         [this] { tab_.ToggleSheet(); });
  }
  group(n);
  n = m->actions().size();
  // 2. clipboard
  const int formats = ClipboardFormats();
  const bool canCopy = s.sel.count > 0 || !tab_.EditorSelectedText().empty();
  if (enabled) {
    if (canCopy && !onTab) item(Lang(tab_text::kCopy), [this] { tab_.Copy(); });
    if (canCopy || onTab || inGraph)
      item(Lang(tab_text::kCopyEntireTable), [this] { tab_.CopyTable(); });
    if (inGraph && !onTab) item(Lang(tab_text::kCopyGraph), [this] { CopyGraph(); });
    if ((formats & kClipSheet) && tab_.HasEditablePart())
      item(Lang(tab_text::kPasteTable), [this] { tab_.Paste(); });
    else if (!onTab && (formats & kClipText) && tab_.CanPastePlain())
      item(Lang(tab_text::kPaste), [this] { tab_.Paste(); });
  }
  group(n);
  if (onTab) return m;
  n = m->actions().size();
  // 3. interpolation
  if (enabled && tab_.CanInterpolate())
    item(Lang(tab_text::kInterpolate), [this] { tab_.Interpolate(); });
  group(n);
  n = m->actions().size();
  // 4. structure
  if (enabled && base == kViewTable) {
    const SelGrid g = s.SelectionGrid();
    const bool rowHit = hit.kind == THitKind::RowSelector ||
                        (hit.row >= 0 && SelRowFull(s.sel, g, hit.row)) || s.sel.kind == kSelY;
    const bool colHit = hit.kind == THitKind::ColumnSelector ||
                        (hit.col >= 0 && SelColumnFull(s.sel, g, hit.col)) || s.sel.kind == kSelX;
    const TGridLayout l = layout_;
    if (s.axisY.resizable && !s.axisY.fixed && rowHit) {
      const int b =
          TTab::InsertIndexAt(pos.y(), l.GridY0(), l.cellH, s.axisY.scrollPos, s.axisY.count);
      item(Lang(tab_text::kInsertRowHere), [this, b] { tab_.InsertRow(b); });
    }
    if (s.axisX.resizable && !s.axisX.fixed && colHit) {
      const int b =
          TTab::InsertIndexAt(pos.x(), l.GridX0(), l.cellW, s.axisX.scrollPos, s.axisX.count);
      item(Lang(tab_text::kInsertColumnHere), [this, b] { tab_.InsertColumn(b); });
    }
    const std::string dr = tab_.DeleteRowsText(), dc = tab_.DeleteColumnsText();
    if (!dr.empty()) item(Qs(dr), [this] { tab_.DeleteSelectedRows(); });
    if (!dc.empty()) item(Qs(dc), [this] { tab_.DeleteSelectedColumns(); });
  }
  group(n);
  n = m->actions().size();
  // 5. autoscroll
  if (base == kViewTable && tab_.autoscroll && (tab_.style & kStyleButtons) &&
      layout_.grid.contains(pos) && (layout_.scrollX || layout_.scrollY)) {
    bool* flag = tab_.autoscroll;
    item(
        Lang(tab_text::kAutoscroll), [flag] { *flag = true; }, true, *flag);
    item(
        Lang(tab_text::kNoAutoscroll), [flag] { *flag = false; }, true, !*flag);
  }
  group(n);
  n = m->actions().size();
  // 6. 3D
  if (base == kView3D && inGraph) {
    const struct {
      const char* text;
      TAnglePreset preset;
    } presets[] = {{tab_text::kTopView, kPresetTop},
                   {tab_text::kIso1View, kPresetIso1},
                   {tab_text::kIso2View, kPresetIso2}};
    for (const auto& pr : presets) {
      TAnglePreset p = pr.preset;
      item(
          Lang(pr.text), [this, p] { graph.Apply(p); }, true, graph.Matches(p));
    }
    m->addSeparator();
    item(
        Lang(tab_text::kWireModel), [this] { graph.colourMode = 0; }, true, graph.colourMode == 0);
    item(
        Lang(tab_text::kOneColour), [this] { graph.colourMode = 1; }, true, graph.colourMode == 1);
    for (int g = 0; g <= 3; ++g) {
      char buf[96];
      std::snprintf(buf, sizeof buf, LangText(tab_text::kHeightColours), g);
      item(
          QString::fromUtf8(buf), [this, g] { graph.colourMode = 2 + g; }, true,
          graph.colourMode == 2 + g);
    }
    m->addSeparator();
    const char* labels[] = {tab_text::kNoValues, tab_text::kOnlyActive, tab_text::kInteresting,
                            tab_text::kAllValues};
    for (int v = 0; v <= kValueLabelsMax; ++v)
      item(
          Lang(labels[v]), [this, v] { graph.valueLabels = v; }, true, graph.valueLabels == v);
  }
  group(n);
  n = m->actions().size();
  // 7. views
  if (__builtin_popcount(static_cast<unsigned>(AllowedViews())) >= 2) {
    const struct {
      int view;
      const char* text;
    } views[] = {{kViewTable, tab_text::kViewTable},
                 {kView2D, tab_text::kView2D},
                 {kView3D, tab_text::kView3D}};
    for (const auto& v : views)
      if (AllowedViews() & v.view) {
        const int mode = v.view;
        item(
            Lang(v.text), [this, mode] { SetViewMode(mode); }, true, base == v.view);
      }
  }
  group(n);
  // 8. axis use
  const bool choice = (s.axisX.fixMode == 1 || s.axisY.fixMode == 1) && s.axisX.fixMode != 2 &&
                      s.axisY.fixMode != 2;
  if (enabled && choice) {
    const QString lx = LangOf(s.axisX.label), ly = LangOf(s.axisY.label);
    if (s.axisY.fixMode == 1)
      item(
          Lang(tab_text::kUseOnly) + " " + lx, [this] { tab_.UseOnlyX(); }, true,
          !s.axisX.fixed && s.axisY.fixed);
    if (s.axisX.fixMode == 1)
      item(
          Lang(tab_text::kUseOnly) + " " + ly, [this] { tab_.UseOnlyY(); }, true,
          s.axisX.fixed && !s.axisY.fixed);
    item(
        QStringLiteral("%1 %2 %3 %4").arg(Lang(tab_text::kUse), lx, Lang(tab_text::kAnd), ly),
        [this] { tab_.UseBoth(); }, true, !s.axisX.fixed && !s.axisY.fixed);
  }
  // No trailing separator.
  while (!m->actions().isEmpty() && m->actions().last()->isSeparator())
    m->removeAction(m->actions().last());
  return m;
}

void TTabWidget::CopyGraph() {
  QRect r = layout_.graph;
  if (r.isEmpty()) return;
  if (BaseView() == kView3D) r.setLeft(r.left() + graph.panelWidth);
  const bool wasPrint = printMode_;
  printMode_ = true;  // drawn once on white, without buttons
  QImage img = Picture(devicePixelRatioF());
  printMode_ = wasPrint;
  const qreal d = img.devicePixelRatio();
  QImage part = img.copy(QRect(QPoint(int(r.left() * d), int(r.top() * d)),
                               QSize(int(r.width() * d), int(r.height() * d))));
  QGuiApplication::clipboard()->setImage(part);
  update();
}

QColor TTabWidget::LiveColour(const CSheet& s) const {
  return s.actualState == 1 ? QColor(0x44, 0xF4, 0x44) : QColor(0xF4, 0xF4, 0x44);
}

}  // namespace zeda
