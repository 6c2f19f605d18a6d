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
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>

#include "lang/lang_string.h"
#include "mapedit/lang_select.h"
#include "mapedit/ui/tab_accessible.h"
#include "mapedit/ui/tab_texts.h"

namespace zeda {
namespace {

QString qs(const std::string& s) { return QString::fromUtf8(s.c_str()); }
QString lang(const char* text) { return QString::fromUtf8(LangText(text)); }
QString langOf(const std::string& s) { return qs(mapeditText(s)); }

constexpr int kMarginRight = 27;
constexpr int kMarginBottom = 27;
constexpr int kScrollThickness = 15;
constexpr int kHoverStrip = 15;
constexpr int kFillHandle = 5;
constexpr int kCopyBorder = 2;
constexpr int kTabHeight = 20;
constexpr int kRepeatMs = 55;

int modsOf(Qt::KeyboardModifiers m) {
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
  repeat_.setInterval(kRepeatMs);
  connect(&repeat_, &QTimer::timeout, this, [this] { autoscrollTick(); });
  tab_.AttachHost(this);
  language_ = currentLanguage();
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
  if (mode == 0) mode = baseView();
  // A view that is not allowed falls to the next one: table -> 2D -> 3D -> none.
  if (mode == kViewTable && !(allowed & kViewTable)) mode = kView2D;
  if (mode == kView2D && !(allowed & kView2D)) mode = kView3D;
  if (mode == kView3D && !(allowed & kView3D)) mode = kViewNone;
  if (mode == kViewNone) {
    mode = (allowed & kViewTable) ? kViewTable : (allowed & kView2D) ? kView2D : kViewNone;
  }
  if (mode != kViewNone && tab_.isZone()) mode |= kViewZone;
  if (mode != viewMode_ && tab_.editor.editing) tab_.AcceptEditor();
  viewMode_ = mode;
  graph.dragging = false;
  computeLayout();
  buildButtons();
  update();
}

void TTabWidget::SetPrintMode(bool on) {
  printMode_ = on;
  computeLayout();
  buildButtons();
  update();
}

void TTabWidget::Rebuild() {
  if (tab_.hasSheets())
    tab_.Rebuild();  // ends with layoutChanged()
  else
    layoutChanged();
}

void TTabWidget::layoutChanged() {
  if (viewMode_ == kViewNone) {
    SetViewMode(0);
    return;
  }
  computeLayout();
  buildButtons();
  update();
}

void TTabWidget::Tick() {
  if (language_ != currentLanguage()) {
    language_ = currentLanguage();
    tab_.AttachHost(this);  // tab widths in the new language
    Rebuild();
  }
  updateButtonStates();
}

void TTabWidget::requestRedraw(int) {
  // Scroll positions may have moved with the live point (autoscroll) or a keyboard move.
  computeLayout();
  update();
}

// ---- host services ----

void TTabWidget::showMessage(const std::string& text) {
  auto* box =
      new QMessageBox(QMessageBox::Information, windowTitle(), qs(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void TTabWidget::showError(const std::string& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), qs(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

int TTabWidget::clipboardFormats() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return 0;
  int f = 0;
  if (m->hasText()) f |= kClipText;
  if (m->hasFormat(SheetMimeType())) f |= kClipSheet;
  return f;
}

std::string TTabWidget::clipboardText() {
  return QGuiApplication::clipboard()->text().toStdString();
}

std::string TTabWidget::clipboardSheet() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return {};
  return m->data(SheetMimeType()).toStdString();
}

void TTabWidget::setClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(qs(text));
}

void TTabWidget::setClipboardTable(const std::string& text, const std::string& sheet) {
  auto* m = new QMimeData;
  m->setText(qs(text));
  m->setData(SheetMimeType(), QByteArray::fromStdString(sheet));
  QGuiApplication::clipboard()->setMimeData(m);
}

int TTabWidget::textWidth(const std::string& text, int fontSize) {
  QFont f = font();
  f.setPointSize(std::max(1, fontSize));
  return QFontMetrics(f).horizontalAdvance(qs(text));
}

// ---- layout ----

void TTabWidget::resizeEvent(QResizeEvent*) {
  tab_.width = width();
  tab_.height = height();
  computeLayout();
  buildButtons();
}

void TTabWidget::computeLayout() {
  TGridLayout& L = layout_;
  const int W = width(), H = height();
  const bool bar = (tab_.style & kStyleButtons) && !printMode_;
  int tabsW = 2;
  int shownSheets = 0;
  for (int i = 0; i < tab_.sheetCount; ++i)
    if (!tab_.sheet(i).hidden) tabsW += tab_.sheet(i).nameWidth + 1, ++shownSheets;
  int nAxis = 0;
  if (tab_.hasSheets()) {
    const CSheet& s = tab_.cur();
    nAxis += s.axisY.fixMode == 1;
    nAxis += s.axisX.fixMode == 1;
    nAxis += (s.axisX.fixMode == 1 || s.axisY.fixMode == 1) && s.axisX.fixMode != 2 &&
             s.axisY.fixMode != 2;
  }
  int views = __builtin_popcount(static_cast<unsigned>(AllowedViews()));
  int total = 75 * nAxis + 63 * (views >= 2 ? views : 0) + 123;
  int groupStart = W - kMarginRight - total;
  L.buttonTop = (bar && tab_.sheetCount > 1 && tabsW > groupStart - 10) ? 25 : 5;
  L.tabsTop = (bar && L.buttonTop == 25) ? 3 : 5;
  const bool titled = tab_.style & kStyleTitled;
  L.top = bar ? L.buttonTop + 31 : (shownSheets > 1 || titled) ? L.buttonTop + 20 : 10;
  L.left = 10;
  L.headerColW = tab_.isZone() ? 45 : 65;
  L.gap = 15;
  const int vc = std::max(1, tab_.visibleCols), vr = std::max(1, tab_.visibleRows);
  L.headerRowH = std::max(12, (H - L.top - L.gap - kMarginBottom) / (vr + 1));
  L.cellW = std::max(12, (W - L.gridX0() - kMarginRight) / vc);
  L.cellH = std::max(10, (H - L.top - L.headerRowH - L.gap - kMarginBottom) / vr);
  L.shownCols = L.shownRows = 0;
  L.scrollX = L.scrollY = false;
  L.halfX = L.halfY = 0;
  L.grid = L.graph = L.viewImage = QRect();
  if (!tab_.hasSheets()) return;
  const CSheet& s = tab_.cur();
  L.shownCols = s.axisX.fixed ? 1 : std::min(vc, s.cellCols() - s.axisX.scrollPos);
  L.shownRows = s.axisY.fixed ? 1 : std::min(vr, s.cellRows() - s.axisY.scrollPos);
  L.shownCols = std::max(0, L.shownCols);
  L.shownRows = std::max(0, L.shownRows);
  L.scrollX = !s.axisX.fixed && s.cellCols() > vc;
  L.scrollY = !s.axisY.fixed && s.cellRows() > vr;
  if (tab_.isZone()) {
    L.halfX = L.cellW / 2;
    L.halfY = L.cellH / 2;
  }
  L.grid = QRect(L.gridX0(), L.gridY0(), L.shownCols * L.cellW, L.shownRows * L.cellH);
  const QRect area(L.left, L.top, W - L.left - 10, H - L.top - 10);
  const int base = baseView();
  if (base == kView2D || base == kView3D) {
    L.graph = area;
  } else if (base == kViewTable && (AllowedViews() & kView2D) && !tab_.isZone()) {
    // The curve in addition to the grid where there is room for it.
    const int below = L.grid.bottom() + 5 + (L.scrollX ? kScrollThickness : 0);
    const int right = L.grid.right() + 5 + (L.scrollY ? kScrollThickness : 0);
    const int h = H - 10 - below, w = W - 10 - right;
    const double hq = s.axisY.fixed ? h * 1.5 : h / std::max(1.0, s.axisY.count * 2.0 / 3.0);
    const double wq = s.axisX.fixed ? w : w / std::max(1.0, double(s.axisX.count));
    if (hq > 100)
      L.graph = QRect(L.left, below, W - L.left - 10, h);
    else if (wq > 100)
      L.graph = QRect(right, L.top, w, H - L.top - 10);
  }
  if (!bar) {
    if (base == kViewTable)
      L.viewImage = QRect(L.left + 4, L.grid.bottom() + 4, 24, 16);
    else if (base == kView2D && !L.graph.isEmpty())
      L.viewImage = QRect(L.graph.left() + 2, L.graph.bottom() - 16, 24, 16);
  }
  if (tab_.isZone() && !bar) L.viewImage = QRect(L.left + 4, L.grid.bottom() + 4, 24, 16);
}

int TTabWidget::colOfShown(int k) const {
  const CAxe& X = tab_.cur().axisX;
  return X.fixed ? X.fixedIndex : X.scrollPos + k;
}
int TTabWidget::rowOfShown(int k) const {
  const CAxe& Y = tab_.cur().axisY;
  return Y.fixed ? Y.fixedIndex : Y.scrollPos + k;
}
int TTabWidget::shownOfCol(int c) const {
  const CAxe& X = tab_.cur().axisX;
  if (X.fixed) return c == X.fixedIndex ? 0 : -1;
  int k = c - X.scrollPos;
  return (k >= 0 && k < layout_.shownCols) ? k : -1;
}
int TTabWidget::shownOfRow(int r) const {
  const CAxe& Y = tab_.cur().axisY;
  if (Y.fixed) return r == Y.fixedIndex ? 0 : -1;
  int k = r - Y.scrollPos;
  return (k >= 0 && k < layout_.shownRows) ? k : -1;
}

QRect TTabWidget::ItemRect(int col, int row) const {
  if (!tab_.hasSheets()) return {};
  const TGridLayout& L = layout_;
  if (col >= 0 && row >= 0) {
    int kc = shownOfCol(col), kr = shownOfRow(row);
    if (kc < 0 || kr < 0) return {};
    return QRect(L.gridX0() + kc * L.cellW, L.gridY0() + kr * L.cellH, L.cellW, L.cellH);
  }
  if (row == -1 && col >= 0) {
    if (col >= tab_.cur().axisX.count) return {};
    int kc = shownOfCol(col);
    if (kc < 0) return {};
    return QRect(L.gridX0() + kc * L.cellW + L.halfX, L.top, L.cellW, L.headerRowH);
  }
  if (col == -1 && row >= 0) {
    if (row >= tab_.cur().axisY.count) return {};
    int kr = shownOfRow(row);
    if (kr < 0) return {};
    return QRect(L.left, L.gridY0() + kr * L.cellH + L.halfY, L.headerColW, L.cellH);
  }
  return {};
}

QRect TTabWidget::selectionRect() const {
  const TSel& sel = tab_.cur().sel;
  if (sel.count <= 0) return {};
  QRect a = ItemRect(sel.minCol, sel.minRow), b = ItemRect(sel.maxCol, sel.maxRow);
  if (a.isEmpty() || b.isEmpty()) return {};
  return a.united(b);
}

// ---- tool buttons ----

void TTabWidget::buildButtons() {
  buttons_.clear();
  if (!tab_.hasSheets()) return;
  const CSheet& s = tab_.cur();
  const bool bar = (tab_.style & kStyleButtons) && !printMode_;
  const int W = width();
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
    const int g = W - kMarginRight - total;
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
    const std::string lx = mapeditText(s.axisX.label), ly = mapeditText(s.axisY.label);
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
      baseView() == kViewTable) {
    const int x = layout_.grid.right() + 3 + (layout_.scrollY ? kScrollThickness : 0);
    add(kCmdAddColumn, QRect(x, layout_.top, 15, 15), "+", tab_text::kAddColumn);
    add(kCmdRemoveColumn, QRect(x, layout_.top + 16, 15, 15), "-", tab_text::kRemoveColumn);
  }
  updateButtonStates();
}

int TTabWidget::ButtonIndex(int command) const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i].command == command) return static_cast<int>(i);
  return -1;
}

void TTabWidget::updateButtonStates() {
  if (!tab_.hasSheets()) return;
  const CSheet& s = tab_.cur();
  // A keyboard tab stop only while the table view has a selection to act on.
  setFocusPolicy(baseView() == kViewTable && s.sel.count > 0 ? Qt::StrongFocus : Qt::ClickFocus);
  for (TToolButton& t : buttons_) {
    switch (t.command) {
      case kCmdCopy:
        t.enabled = s.sel.count > 0 || !tab_.EditorSelectedText().empty();
        break;
      case kCmdPaste: {
        int f = clipboardFormats();
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
        t.checked = baseView() == kViewTable;
        break;
      case kCmdView2D:
        t.checked = baseView() == kView2D;
        break;
      case kCmdView3D:
        t.checked = baseView() == kView3D;
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
      tab_.InsertColumn(tab_.cur().axisX.count);
      break;
    case kCmdRemoveColumn:
      tab_.DeleteColumn(tab_.cur().axisX.count - 1);
      break;
    default:
      break;
  }
  computeLayout();
  buildButtons();
  update();
}

// ---- hit map ----

THit TTabWidget::HitAt(QPoint p) const {
  THit h;
  if (!tab_.hasSheets()) return h;
  const TGridLayout& L = layout_;
  const int base = baseView();
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const TToolButton& t = buttons_[i];
    if (!t.visible || (t.viewGroup && t.viewGroup != base)) continue;
    if (t.rect.contains(p)) return {THitKind::Button, static_cast<int>(i), 0};
  }
  int shownSheets = 0;
  for (int i = 0; i < tab_.sheetCount; ++i) shownSheets += !tab_.sheet(i).hidden;
  if (shownSheets > 1) {
    int x = L.left;
    const int y = L.tabsTop;
    for (int i = 0; i < tab_.sheetCount; ++i) {
      if (tab_.sheet(i).hidden) continue;
      if (QRect(x, y, tab_.sheet(i).nameWidth, kTabHeight).contains(p))
        return {THitKind::SheetTab, i, 0};
      x += tab_.sheet(i).nameWidth + 1;
    }
  }
  if ((tab_.style & kStyleTitled) && (tab_.cur().flags & kSheetSwitchable) &&
      QRect(L.left, L.top - 20, 16, 16).contains(p))
    return {THitKind::CheckBox, 0, 0};
  if (L.viewImage.contains(p)) return {THitKind::ViewImage, 0, 0};
  if (!L.graph.isEmpty() && L.graph.contains(p) && base != kViewTable)
    return {THitKind::Graph, 0, 0};
  if (base != kViewTable) return h;
  if (!L.graph.isEmpty() && L.graph.contains(p)) return {THitKind::Graph, 0, 0};
  const CSheet& s = tab_.cur();
  if (L.scrollX &&
      QRect(L.grid.left(), L.grid.bottom() + 1, L.grid.width(), kScrollThickness).contains(p))
    return {THitKind::ScrollBarX, 0, 0};
  if (L.scrollY &&
      QRect(L.grid.right() + 1, L.grid.top(), kScrollThickness, L.grid.height()).contains(p))
    return {THitKind::ScrollBarY, 0, 0};
  const int x = p.x(), y = p.y();
  const bool inHeaderCol = x >= L.left && x < L.left + L.headerColW;
  const bool inRowSel = x >= L.left + L.headerColW && x < L.gridX0();
  const bool inHeaderRow = y >= L.top && y < L.top + L.headerRowH;
  const bool inColSel = y >= L.top + L.headerRowH && y < L.gridY0();
  const bool inCols = x >= L.gridX0() && x < L.grid.right() + 1;
  const bool inRows = y >= L.gridY0() && y < L.grid.bottom() + 1;
  if (inHeaderCol && inHeaderRow) return {THitKind::CornerCell, -1, -1};
  if (inRowSel && inColSel) return {THitKind::SelectorCorner, -1, -1};
  if (inCols && (inHeaderRow || inColSel)) {
    const int col = colOfShown((x - L.gridX0() - (inHeaderRow ? L.halfX : 0)) / L.cellW);
    if (inHeaderRow) {
      if (col < 0 || col >= s.axisX.count || x < L.gridX0() + L.halfX) return h;
      return {THitKind::XHeader, col, -1};
    }
    return {THitKind::ColumnSelector, col, 0};
  }
  if (inRows && (inHeaderCol || inRowSel)) {
    const int row = rowOfShown((y - L.gridY0() - (inHeaderCol ? L.halfY : 0)) / L.cellH);
    if (inHeaderCol) {
      if (row < 0 || row >= s.axisY.count || y < L.gridY0() + L.halfY) return h;
      return {THitKind::YHeader, -1, row};
    }
    return {THitKind::RowSelector, 0, row};
  }
  if (inCols && inRows)
    return {THitKind::Cell, colOfShown((x - L.gridX0()) / L.cellW),
            rowOfShown((y - L.gridY0()) / L.cellH)};
  return h;
}

// ---- scrolling ----

void TTabWidget::scrollBy(bool xAxis, int delta) {
  CSheet& s = tab_.cur();
  CAxe& a = xAxis ? s.axisX : s.axisY;
  const int window = xAxis ? tab_.visibleCols : tab_.visibleRows;
  const int used = xAxis ? s.cellCols() : s.cellRows();
  const int to = std::clamp(a.scrollPos + delta, 0, std::max(0, used - window));
  if (to == a.scrollPos) return;
  if (tab_.editor.editing) tab_.AcceptEditor();  // scrolling closes the editor
  a.scrollPos = to;
  computeLayout();
  buildButtons();
  update();
}

void TTabWidget::autoscrollTick() {
  const TGridLayout& L = layout_;
  if (press_ == Press::ScrollX || press_ == Press::ScrollY) {
    if (++scrollHeld_ > 2) scrollBy(press_ == Press::ScrollX, scrollDir_);
    return;
  }
  if (press_ != Press::Select && press_ != Press::Fill && press_ != Press::Copy) {
    repeat_.stop();
    return;
  }
  // Beyond the grid: scroll towards the mouse, faster the further out.
  auto speed = [](int outside, int cell) {
    return outside > 0 ? 1 + outside / std::max(1, cell * 2) : 0;
  };
  int dx = 0, dy = 0;
  if (mouse_.x() > L.grid.right()) dx = speed(mouse_.x() - L.grid.right(), L.cellW);
  if (mouse_.x() < L.gridX0()) dx = -speed(L.gridX0() - mouse_.x(), L.cellW);
  if (mouse_.y() > L.grid.bottom()) dy = speed(mouse_.y() - L.grid.bottom(), L.cellH);
  if (mouse_.y() < L.gridY0()) dy = -speed(L.gridY0() - mouse_.y(), L.cellH);
  if (dx && L.scrollX) scrollBy(true, dx);
  if (dy && L.scrollY) scrollBy(false, dy);
}

// ---- mouse ----

void TTabWidget::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  tab_.focused = true;
  if (!tab_.hasSheets()) return;
  const QPoint p = e->position().toPoint();
  mouse_ = pressPos_ = p;
  const THit hit = HitAt(p);
  const int mods = modsOf(e->modifiers());
  CSheet& s = tab_.cur();
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
      graphPress(e);
    }
    update();
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  switch (hit.kind) {
    case THitKind::SheetTab:
      endGraphDrag();
      tab_.SelectSheet(hit.col);
      SetViewMode(0);
      return;
    case THitKind::CheckBox:
      RunCommand(kCmdToggleSheet);
      return;
    case THitKind::ViewImage:
      if (tab_.isZone()) {
        graph.zoneStretch = !graph.zoneStretch;
        update();
      } else {
        SetViewMode(baseView() == kViewTable ? kView2D : kViewTable);
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
        const int used = xAxis ? s.cellCols() : s.cellRows();
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
      scrollBy(xAxis, scrollDir_);
      repeat_.start();
      return;
    }
    case THitKind::Graph:
      graphPress(e);
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
    const QString t = qs(tab_.editor.text);
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
  const QRect sr = selectionRect();
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
  if (press_ == Press::Select) repeat_.start();
  update();
}

void TTabWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  mouse_ = p;
  if (!tab_.hasSheets()) return;
  const TGridLayout& L = layout_;
  const THit hit = HitAt(p);
  if (press_ == Press::Graph || press_ == Press::Rotate || press_ == Press::ZoneBand ||
      (press_ == Press::None && hit.kind == THitKind::Graph)) {
    graphMove(e);
    return;
  }
  if (press_ == Press::Select) {
    const int kc =
        std::clamp((p.x() - L.gridX0()) / std::max(1, L.cellW), 0, std::max(0, L.shownCols - 1));
    const int kr =
        std::clamp((p.y() - L.gridY0()) / std::max(1, L.cellH), 0, std::max(0, L.shownRows - 1));
    tab_.DragSelectionTo(colOfShown(kc), rowOfShown(kr));
    update();
    return;
  }
  if (press_ == Press::ThumbX || press_ == Press::ThumbY) {
    const bool xAxis = press_ == Press::ThumbX;
    CSheet& s = tab_.cur();
    const int length = xAxis ? L.grid.width() : L.grid.height();
    const int window = xAxis ? tab_.visibleCols : tab_.visibleRows;
    const int used = xAxis ? s.cellCols() : s.cellRows();
    const int track = std::max(1, length - 2 * kScrollThickness);
    const int thumb = std::max(10, track * window / std::max(1, used));
    const int along = (xAxis ? p.x() - L.grid.left() : p.y() - L.grid.top()) - thumbGrab_;
    const int range = std::max(1, track - thumb);
    const int to = (along - kScrollThickness) * std::max(0, used - window) / range;
    CAxe& a = xAxis ? s.axisX : s.axisY;
    scrollBy(xAxis, to - a.scrollPos);
    return;
  }
  if (press_ == Press::Fill || press_ == Press::Copy) {
    tab_.UpdateDrag((p.x() - pressPos_.x()) / std::max(1, L.cellW),
                    (p.y() - pressPos_.y()) / std::max(1, L.cellH));
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
  if (hit.kind == THitKind::Button) hint = lang(buttons_[hit.col].hint);
  if (hit.kind == THitKind::ViewImage)
    hint = lang(tab_.isZone() ? tab_text::kZoneStretchHint : tab_text::kSwitchHint);
  const QRect sr = selectionRect();
  if (!sr.isEmpty()) {
    const QPoint c = sr.bottomRight();
    const QRect outer = sr.adjusted(-kCopyBorder, -kCopyBorder, kCopyBorder, kCopyBorder);
    const QRect inner = sr.adjusted(kCopyBorder, kCopyBorder, -kCopyBorder, -kCopyBorder);
    if (std::abs(p.x() - c.x()) <= kFillHandle && std::abs(p.y() - c.y()) <= kFillHandle)
      cursor = Qt::CrossCursor;
    else if (outer.contains(p) && !inner.contains(p))
      cursor = Qt::SizeAllCursor;
    else if (tab_.CanInterpolate() && inner.contains(p)) {
      const TSel& sel = tab_.cur().sel;
      for (QRect r : {ItemRect(sel.blockC0, sel.blockR0), ItemRect(sel.blockC1, sel.blockR0),
                      ItemRect(sel.blockC0, sel.blockR1), ItemRect(sel.blockC1, sel.blockR1)})
        if (!r.isEmpty() &&
            std::abs(p.x() - r.center().x()) + std::abs(p.y() - r.center().y()) <= L.cellH / 2) {
          cursor = Qt::IBeamCursor;
          hint = lang(tab_text::kInterpolation);
        }
    }
  }
  setCursor(cursor);
  setToolTip(hint.section(QLatin1Char('|'), 0, 0));
  update();
}

void TTabWidget::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const TGridLayout& L = layout_;
  const Press was = press_;
  press_ = Press::None;
  repeat_.stop();
  if (!tab_.hasSheets()) return;
  switch (was) {
    case Press::Select:
      tab_.EndSelectionDrag();
      break;
    case Press::Fill:
    case Press::Copy:
      tab_.FinishDrag((p.x() - pressPos_.x()) / std::max(1, L.cellW),
                      (p.y() - pressPos_.y()) / std::max(1, L.cellH));
      break;
    case Press::Hover:
      tab_.HoverRelease();
      break;
    case Press::Graph:
    case Press::Rotate:
    case Press::ZoneBand:
      press_ = was;
      graphRelease(e);
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
  updateButtonStates();
  update();
}

void TTabWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!tab_.hasSheets() || e->button() != Qt::LeftButton) return;
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
  if (!tab_.hasSheets() || e->buttons() != Qt::NoButton) return;
  const int sign = e->angleDelta().y() > 0 ? 1 : e->angleDelta().y() < 0 ? -1 : 0;
  if (!sign) return;
  const QPoint p = e->position().toPoint();
  if (HitAt(p).kind == THitKind::Graph || baseView() == kView3D) {
    graphWheel(e, sign);
    return;
  }
  if (tab_.hover.shown) {
    tab_.HoverWheel(sign);
  } else if (layout_.scrollY) {
    scrollBy(false, -sign);
  } else if (layout_.scrollX) {
    scrollBy(true, -sign);
  }
  update();
}

void TTabWidget::leaveEvent(QEvent*) {
  if (tab_.hover.shown && !tab_.hover.pressed) tab_.HoverOver(-2, -2);
  graph.hovered = kHoverNothing;
  graph.hint.clear();
  update();
}

void TTabWidget::focusInEvent(QFocusEvent*) { tab_.focused = true; }
void TTabWidget::focusOutEvent(QFocusEvent*) {
  tab_.focused = false;  // the model accepts an open editor on its next tick
  endGraphDrag();        // capture is gone with the focus
}

// ---- keys ----

void TTabWidget::keyPressEvent(QKeyEvent* e) {
  if (!tab_.hasSheets()) return QWidget::keyPressEvent(e);
  const int mods = modsOf(e->modifiers());
  const bool ctrl = mods & kModCtrl;
  if (graph.dragging && e->key() == Qt::Key_Escape) {
    endGraphDrag();
    press_ = Press::None;
    update();
    return;
  }
  if (baseView() == kView3D && e->key() == Qt::Key_Space) {
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
  if (!arrows || baseView() == kViewTable || tab_.editor.editing) used = tab_.KeyDown(key, keyMods);
  if (!used && !ctrl) {
    const QString t = e->text();
    if (t.size() == 1 && t[0].unicode() < 128 && t[0].isPrint())
      used = tab_.KeyChar(static_cast<char>(t[0].unicode()));
  }
  if (key == TKey::Tab) SetViewMode(0);
  computeLayout();
  updateButtonStates();
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
  if (!tab_.hasSheets()) return m;
  CSheet& s = tab_.cur();
  const THit hit = HitAt(pos);
  const int base = baseView();
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
      computeLayout();
      buildButtons();
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
             lang(s.enabled ? tab_text::kDisable : tab_text::kEnable).trimmed(), langOf(s.name)),
         [this] { tab_.ToggleSheet(); });
  }
  group(n);
  n = m->actions().size();
  // 2. clipboard
  const int formats = clipboardFormats();
  const bool canCopy = s.sel.count > 0 || !tab_.EditorSelectedText().empty();
  if (enabled) {
    if (canCopy && !onTab) item(lang(tab_text::kCopy), [this] { tab_.Copy(); });
    if (canCopy || onTab || inGraph)
      item(lang(tab_text::kCopyEntireTable), [this] { tab_.CopyTable(); });
    if (inGraph && !onTab) item(lang(tab_text::kCopyGraph), [this] { CopyGraph(); });
    if ((formats & kClipSheet) && tab_.HasEditablePart())
      item(lang(tab_text::kPasteTable), [this] { tab_.Paste(); });
    else if (!onTab && (formats & kClipText) && tab_.CanPastePlain())
      item(lang(tab_text::kPaste), [this] { tab_.Paste(); });
  }
  group(n);
  if (onTab) return m;
  n = m->actions().size();
  // 3. interpolation
  if (enabled && tab_.CanInterpolate())
    item(lang(tab_text::kInterpolate), [this] { tab_.Interpolate(); });
  group(n);
  n = m->actions().size();
  // 4. structure
  if (enabled && base == kViewTable) {
    const SelGrid g = s.selGrid();
    const bool rowHit = hit.kind == THitKind::RowSelector ||
                        (hit.row >= 0 && selRowFull(s.sel, g, hit.row)) || s.sel.kind == kSelY;
    const bool colHit = hit.kind == THitKind::ColumnSelector ||
                        (hit.col >= 0 && selColumnFull(s.sel, g, hit.col)) || s.sel.kind == kSelX;
    const TGridLayout L = layout_;
    if (s.axisY.resizable && !s.axisY.fixed && rowHit) {
      const int b =
          TTab::InsertIndexAt(pos.y(), L.gridY0(), L.cellH, s.axisY.scrollPos, s.axisY.count);
      item(lang(tab_text::kInsertRowHere), [this, b] { tab_.InsertRow(b); });
    }
    if (s.axisX.resizable && !s.axisX.fixed && colHit) {
      const int b =
          TTab::InsertIndexAt(pos.x(), L.gridX0(), L.cellW, s.axisX.scrollPos, s.axisX.count);
      item(lang(tab_text::kInsertColumnHere), [this, b] { tab_.InsertColumn(b); });
    }
    const std::string dr = tab_.DeleteRowsText(), dc = tab_.DeleteColumnsText();
    if (!dr.empty()) item(qs(dr), [this] { tab_.DeleteSelectedRows(); });
    if (!dc.empty()) item(qs(dc), [this] { tab_.DeleteSelectedColumns(); });
  }
  group(n);
  n = m->actions().size();
  // 5. autoscroll
  if (base == kViewTable && tab_.autoscroll && (tab_.style & kStyleButtons) &&
      layout_.grid.contains(pos) && (layout_.scrollX || layout_.scrollY)) {
    bool* flag = tab_.autoscroll;
    item(
        lang(tab_text::kAutoscroll), [flag] { *flag = true; }, true, *flag);
    item(
        lang(tab_text::kNoAutoscroll), [flag] { *flag = false; }, true, !*flag);
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
          lang(pr.text), [this, p] { graph.Apply(p); }, true, graph.Matches(p));
    }
    m->addSeparator();
    item(
        lang(tab_text::kWireModel), [this] { graph.colourMode = 0; }, true, graph.colourMode == 0);
    item(
        lang(tab_text::kOneColour), [this] { graph.colourMode = 1; }, true, graph.colourMode == 1);
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
          lang(labels[v]), [this, v] { graph.valueLabels = v; }, true, graph.valueLabels == v);
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
            lang(v.text), [this, mode] { SetViewMode(mode); }, true, base == v.view);
      }
  }
  group(n);
  // 8. axis use
  const bool choice = (s.axisX.fixMode == 1 || s.axisY.fixMode == 1) && s.axisX.fixMode != 2 &&
                      s.axisY.fixMode != 2;
  if (enabled && choice) {
    const QString lx = langOf(s.axisX.label), ly = langOf(s.axisY.label);
    if (s.axisY.fixMode == 1)
      item(
          lang(tab_text::kUseOnly) + " " + lx, [this] { tab_.UseOnlyX(); }, true,
          !s.axisX.fixed && s.axisY.fixed);
    if (s.axisX.fixMode == 1)
      item(
          lang(tab_text::kUseOnly) + " " + ly, [this] { tab_.UseOnlyY(); }, true,
          s.axisX.fixed && !s.axisY.fixed);
    item(
        QStringLiteral("%1 %2 %3 %4").arg(lang(tab_text::kUse), lx, lang(tab_text::kAnd), ly),
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
  if (baseView() == kView3D) r.setLeft(r.left() + graph.panelWidth);
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

QColor TTabWidget::liveColour(const CSheet& s) const {
  return s.actualState == 1 ? QColor(0x44, 0xF4, 0x44) : QColor(0xF4, 0xF4, 0x44);
}

}  // namespace zeda
