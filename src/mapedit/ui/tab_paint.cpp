// Painting of the table control: background, sheet tabs, title, tool buttons, the grid view
// with its marks and editor, scroll bars. Everything is drawn with QPainter in logical
// pixels, so it stays sharp at any device pixel ratio. Main thread only.
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStaticText>
#include <algorithm>

#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"
#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/ui/tab_texts.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda {
namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kButtonFace(0xC0, 0xC0, 0xC0);
const QColor kFullySelected(0x80, 0x80, 0x80);
const QColor kGridLine(0xD4, 0xD6, 0xE4);
const QColor kLightGrey(0xDD, 0xDD, 0xDD);
const QColor kSelectedCell(0xB8, 0xD4, 0xF4);
const QColor kZoneOn(0x1E, 0x7A, 0x2E);
const QColor kZoneOff(0xEE, 0xF6, 0xE8);

// A box with a light and a dark edge; the edges are one-pixel fills, cheaper than lines.
void RaisedBox(QPainter& p, const QRect& r, const QColor& face, bool sunken = false) {
  p.fillRect(r, face);
  const QColor light = sunken ? QColor(0x80, 0x80, 0x80) : kWhite;
  const QColor dark = sunken ? kWhite : QColor(0x80, 0x80, 0x80);
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), light);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), light);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), dark);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), dark);
}

// A check box of 12 pixels, checked or empty (the zone chart and the title's switch).
void CheckBox(QPainter& p, QPoint centre, bool checked) {
  QRect r(centre.x() - 6, centre.y() - 6, 12, 12);
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.setBrush(kWhite);
  p.drawRect(r);
  if (checked) {
    QPen pen(QColor(0, 0x60, 0), 2);
    p.setPen(pen);
    p.drawPolyline(
        QPolygonF({QPointF(r.left() + 2.5, r.center().y()), QPointF(r.left() + 5, r.bottom() - 2.5),
                   QPointF(r.right() - 2, r.top() + 2.5)}));
  }
  p.setBrush(Qt::NoBrush);
}

// A laid-out text centred in a rectangle.
void DrawCentred(QPainter& p, const QRect& r, const QStaticText& text) {
  const QSizeF ts = text.size();
  p.drawStaticText(
      QPointF(r.center().x() - ts.width() / 2 + 0.5, r.center().y() - ts.height() / 2 + 0.5), text);
}

}  // namespace

void TTabWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Paint(p);
}

QImage TTabWidget::Picture(qreal dpr) {
  QImage img(QSize(int(width() * dpr), int(height() * dpr)), QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(dpr);
  QPainter p(&img);
  Paint(p);
  return img;
}

void TTabWidget::Paint(QPainter& p) {
  if (language_ != CurrentLanguage()) Tick();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const QColor background = printMode_ ? kWhite : palette().color(QPalette::Window);
  // The grid paints every pixel of its own area, so the background goes around it: on a
  // large sheet filling that area twice is a good part of a repaint.
  const bool gridShown = tab_.HasSheets() && BaseView() == kViewTable && tab_.Cur().enabled &&
                         !tab_.Cur().hidden && !layout_.grid.isEmpty();
  if (gridShown) {
    const QRect g = layout_.grid.intersected(rect());
    p.fillRect(QRect(0, 0, width(), g.top()), background);
    p.fillRect(QRect(0, g.bottom() + 1, width(), height() - g.bottom() - 1), background);
    p.fillRect(QRect(0, g.top(), g.left(), g.height()), background);
    p.fillRect(QRect(g.right() + 1, g.top(), width() - g.right() - 1, g.height()), background);
  } else {
    p.fillRect(rect(), background);
  }
  if (!tab_.HasSheets()) return;
  QFont f = font();
  f.setPointSize(8);
  p.setFont(f);
  const CSheet& s = tab_.Cur();
  const int base = BaseView();
  if (s.enabled && !s.hidden) {
    if (base == kViewTable) {
      DrawGrid(p);
      if (!layout_.graph.isEmpty()) Draw2D(p, layout_.graph);
    } else if (base == kView2D) {
      if (tab_.IsZone())
        DrawZoneChart(p, layout_.graph);
      else
        Draw2D(p, layout_.graph);
    } else if (base == kView3D) {
      Draw3D(p, layout_.graph);
    }
  }
  DrawTabs(p);
  if (!printMode_) DrawButtons(p);
  if ((tab_.style & kStyleButtons) && (s.flags & kSheetBigUnit) && !printMode_) {
    QFont big = font();
    big.setPointSizeF(s.titleFontSize * 1.5);
    big.setBold(true);
    p.setFont(big);
    p.setPen(Qt::black);
    p.drawText(QPoint(layout_.left, layout_.buttonTop + 22), Qs(MapeditText(s.axisData.unit)));
    p.setFont(f);
  }
}

void TTabWidget::DrawTabs(QPainter& p) {
  const TGridLayout& l = layout_;
  int shown = 0;
  for (int i = 0; i < tab_.sheetCount; ++i) shown += !tab_.Sheet(i).hidden;
  QFont f = font();
  f.setPointSize(9);
  if (shown > 1) {
    int x = l.left;
    for (int i = 0; i < tab_.sheetCount; ++i) {
      const CSheet& sh = tab_.Sheet(i);
      if (sh.hidden) continue;
      const bool cur = i == tab_.current;
      QRect r(x, l.tabsTop, sh.nameWidth, kTabHeightPx);
      if (cur) r.adjust(-2, -2, 2, 1);
      p.fillRect(r, cur ? palette().color(QPalette::Window).lighter(110) : kButtonFace);
      p.setPen(QColor(0x60, 0x60, 0x60));
      p.drawLine(r.topLeft(), r.topRight());
      p.drawLine(r.topLeft(), r.bottomLeft());
      p.drawLine(r.topRight(), r.bottomRight());
      if (!cur) p.drawLine(r.bottomLeft(), r.bottomRight());
      const bool anyEditable = sh.axisX.editable || sh.axisY.editable || sh.axisData.editable;
      QFont tf = f;
      tf.setItalic(!sh.enabled || !anyEditable);
      p.setFont(tf);
      p.setPen(sh.enabled ? Qt::black : QColor(0x80, 0x80, 0x80));
      p.drawText(r, Qt::AlignCenter, Qs(MapeditText(sh.name)));
      x += sh.nameWidth + 1;
    }
  } else if (tab_.style & kStyleTitled) {
    const CSheet& s = tab_.Cur();
    int x = l.grid.width() < 200 ? 0 : l.left;
    if (s.flags & kSheetSwitchable) {
      CheckBox(p, QPoint(l.left + 8, l.top - 12), s.enabled);
      x = l.left + 20;
    }
    QFont tf = font();
    tf.setPointSize(s.titleFontSize);
    p.setFont(tf);
    p.setPen(Qt::black);
    p.drawText(QRect(x, l.top - 22, width() - x, 20), Qt::AlignLeft | Qt::AlignVCenter,
               Qs(MapeditText(s.name)));
  }
  QFont g = font();
  g.setPointSize(8);
  p.setFont(g);
}

void TTabWidget::DrawButtons(QPainter& p) {
  const int base = BaseView();
  const CSheet& s = tab_.Cur();
  // The frame of the increment group says what "+" and "-" act on.
  const int inc = ButtonIndex(kCmdIncrement);
  if (inc >= 0) {
    const int target = tab_.IncrementTarget();
    if (target) {
      QRect r = buttons_[inc]
                    .rect.united(buttons_[ButtonIndex(kCmdDecrement)].rect)
                    .adjusted(-3, -3, 3, 3);
      p.setPen(QPen(target == 1 ? QColor(Qt::black) : LiveColour(s), 3));
      p.drawRect(r);
    }
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const TToolButton& t = buttons_[i];
    if (!t.visible || (t.viewGroup && t.viewGroup != base)) continue;
    const bool down = t.checked || static_cast<int>(i) == pressedButton_;
    RaisedBox(p, t.rect, down ? kLightGrey : kButtonFace, down);
    const QColor ink = t.enabled ? QColor(Qt::black) : QColor(0x90, 0x90, 0x90);
    const QRectF r = QRectF(t.rect).adjusted(4, 4, -4, -4).translated(down ? 1 : 0, down ? 1 : 0);
    p.setPen(QPen(ink, 1.2));
    switch (t.command) {
      case kCmdCopy:
      case kCmdCopyTable:
      case kCmdPaste: {
        // Two sheets (copy), a board with a sheet (paste); the table buttons show a grid.
        p.setBrush(kWhite);
        if (t.command == kCmdPaste) {
          p.setBrush(QColor(0xC8, 0xA0, 0x60));
          p.drawRect(r.adjusted(0, 1, -4, 0));
          p.setBrush(kWhite);
          p.drawRect(r.adjusted(6, 5, 0, 0));
        } else {
          p.drawRect(r.adjusted(0, 0, -5, -5));
          p.drawRect(r.adjusted(5, 5, 0, 0));
          if (t.command == kCmdCopyTable) {
            QRectF q = r.adjusted(5, 5, 0, 0);
            p.drawLine(QPointF(q.center().x(), q.top()), QPointF(q.center().x(), q.bottom()));
            p.drawLine(QPointF(q.left(), q.center().y()), QPointF(q.right(), q.center().y()));
          }
        }
        p.setBrush(Qt::NoBrush);
        break;
      }
      case kCmdIncrement:
      case kCmdDecrement:
      case kCmdAddColumn:
      case kCmdRemoveColumn: {
        const QRectF q = QRectF(t.rect).adjusted(3, 3, -3, -3);
        p.setPen(QPen(ink, 1.6));
        p.drawLine(QPointF(q.left(), q.center().y()), QPointF(q.right(), q.center().y()));
        if (t.command == kCmdIncrement || t.command == kCmdAddColumn)
          p.drawLine(QPointF(q.center().x(), q.top()), QPointF(q.center().x(), q.bottom()));
        break;
      }
      case kCmdViewTable: {
        for (int k = 0; k <= 3; ++k) {
          p.drawLine(QPointF(r.left() + 8, r.top() + k * r.height() / 3),
                     QPointF(r.right() - 8, r.top() + k * r.height() / 3));
        }
        for (int k = 0; k <= 4; ++k)
          p.drawLine(QPointF(r.left() + 8 + k * (r.width() - 16) / 4, r.top()),
                     QPointF(r.left() + 8 + k * (r.width() - 16) / 4, r.bottom()));
        break;
      }
      case kCmdView2D: {
        p.setPen(QPen(QColor(0xC0, 0, 0), 1.6));
        p.drawPolyline(
            QPolygonF({QPointF(r.left() + 6, r.bottom()), QPointF(r.left() + 16, r.bottom() - 6),
                       QPointF(r.left() + 28, r.top() + 3), QPointF(r.right() - 6, r.top() + 1)}));
        p.setPen(QPen(ink, 1));
        p.drawLine(QPointF(r.left() + 4, r.top()), QPointF(r.left() + 4, r.bottom()));
        p.drawLine(QPointF(r.left() + 4, r.bottom()), QPointF(r.right() - 4, r.bottom()));
        break;
      }
      case kCmdView3D: {
        QPolygonF top({QPointF(r.left() + 8, r.center().y()), QPointF(r.center().x(), r.top()),
                       QPointF(r.right() - 8, r.center().y()),
                       QPointF(r.center().x(), r.bottom())});
        p.setBrush(QColor(0x40, 0xA0, 0xFF));
        p.drawPolygon(top);
        p.setBrush(Qt::NoBrush);
        break;
      }
      default: {
        QString text = t.label.empty() ? QString::fromUtf8(LangText(t.text)) : Qs(t.label);
        p.setPen(ink);
        p.drawText(t.rect, Qt::AlignCenter | Qt::TextWordWrap, text);
        break;
      }
    }
  }
  // The view-switch image below the header column.
  if (!layout_.viewImage.isEmpty()) {
    const QRect r = layout_.viewImage;
    RaisedBox(p, r, kButtonFace);
    p.setPen(Qt::black);
    QFont f = font();
    f.setPointSize(7);
    p.setFont(f);
    QString t = tab_.IsZone() ? (graph.zoneStretch ? "P" : "nP") : (base == kViewTable ? "G" : "T");
    p.drawText(r, Qt::AlignCenter, t);
    f.setPointSize(8);
    p.setFont(f);
  }
}

void TTabWidget::DrawGrid(QPainter& p) {
  const TGridLayout& l = layout_;
  const CSheet& s = tab_.Cur();
  const TSel& sel = s.sel;
  const QColor live = LiveColour(s);
  const bool showLive = (s.flags & kSheetTrackLive) && s.actualState > 0;
  QFont normal = p.font();
  // Corner: the data axis label, shrunk to fit.
  const QRect corner(l.left, l.top, l.headerColW, l.headerRowH);
  RaisedBox(p, corner, kButtonFace);
  {
    QFont cf = normal;
    const QString label = Qs(MapeditText(s.axisData.label));
    for (int size = 8; size >= 5; --size) {
      cf.setPointSize(size);
      if (QFontMetrics(cf).horizontalAdvance(label) <= l.headerColW - 4) break;
    }
    p.setFont(cf);
    p.setPen(Qt::black);
    p.drawText(corner, Qt::AlignCenter, label);
    p.setFont(normal);
  }
  // Selector strips.
  p.fillRect(QRect(l.GridX0(), l.top + l.headerRowH, l.grid.width(), l.gap), kLightGrey);
  p.fillRect(QRect(l.left + l.headerColW, l.GridY0(), l.gap, l.grid.height()), kLightGrey);
  p.fillRect(QRect(l.left + l.headerColW, l.top + l.headerRowH, l.gap, l.gap), kButtonFace);
  // Header row.
  for (int k = 0; k < l.shownCols; ++k) {
    const int c = ColOfShown(k);
    const QRect r = ItemRect(c, -1);
    if (r.isEmpty()) continue;
    int selectedCells = 0, cells = 0;
    for (int row = 0; row < s.CellRows(); ++row) {
      if (s.axisY.fixed && row != s.axisY.fixedIndex) continue;
      ++cells;
      selectedCells += (sel.Cell(c, row) & (kMarkSelected | kMarkInDrag)) != 0;
    }
    const bool own = sel.selX[c] & (kMarkSelected | kMarkInDrag);
    QColor face = own || (cells && selectedCells == cells) ? kFullySelected
                  : selectedCells                          ? kButtonFace.lighter(108)
                                                           : kButtonFace;
    RaisedBox(p, r.adjusted(0, 0, -1, -1), face);
    p.setPen(s.axisX.editable ? QColor(Qt::black) : QColor(0x70, 0x70, 0x70));
    DrawCentred(p, r, xTexts_.Get(s.axisX.values[c], s.axisX.scale, s.axisX.unit));
    if (showLive && s.actualCol == c) {
      p.setPen(QPen(live, 2));
      p.drawRect(r.adjusted(1, 1, -2, -2));
    }
  }
  // Header column.
  for (int k = 0; k < l.shownRows; ++k) {
    const int rr = RowOfShown(k);
    const QRect r = ItemRect(-1, rr);
    if (r.isEmpty()) continue;
    int selectedCells = 0, cells = 0;
    for (int col = 0; col < s.CellCols(); ++col) {
      if (s.axisX.fixed && col != s.axisX.fixedIndex) continue;
      ++cells;
      selectedCells += (sel.Cell(col, rr) & (kMarkSelected | kMarkInDrag)) != 0;
    }
    const bool own = sel.selY[rr] & (kMarkSelected | kMarkInDrag);
    QColor face = own || (cells && selectedCells == cells) ? kFullySelected
                  : selectedCells                          ? kButtonFace.lighter(108)
                                                           : kButtonFace;
    RaisedBox(p, r.adjusted(0, 0, -1, -1), face);
    p.setPen(s.axisY.editable ? QColor(Qt::black) : QColor(0x70, 0x70, 0x70));
    DrawCentred(p, r, yTexts_.Get(s.axisY.values[rr], s.axisY.scale, s.axisY.unit));
    if (showLive && s.actualRow == rr) {
      p.setPen(QPen(live, 2));
      p.drawRect(r.adjusted(1, 1, -2, -2));
    }
  }
  // Cells.
  if (tab_.IsZone()) {
    DrawZoneCells(p);
  } else {
    p.fillRect(l.grid, kWhite);
    p.setPen(s.axisData.editable ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
    const double cellScale = s.PercentShown() ? 1.0 : s.axisData.scale;
    // Cells are walked by their shown place: the rectangle steps by the cell size instead
    // of being looked up per cell.
    for (int kr = 0; kr < l.shownRows; ++kr) {
      const int r = RowOfShown(kr);
      const int y = l.GridY0() + kr * l.cellH;
      for (int kc = 0; kc < l.shownCols; ++kc) {
        const int c = ColOfShown(kc);
        const QRect cell(l.GridX0() + kc * l.cellW, y, l.cellW, l.cellH);
        const int16_t m = sel.Cell(c, r);
        if (m & (kMarkSelected | kMarkInDrag)) p.fillRect(cell, kSelectedCell);
        DrawCentred(p, cell, cellTexts_.Get(s.Cell(c, r), cellScale));
        if (m & kMarkCorner) {
          p.setBrush(QColor(0x30, 0x60, 0xC0));
          p.setPen(Qt::NoPen);
          p.drawPolygon(QPolygon(
              {cell.topLeft(), cell.topLeft() + QPoint(6, 0), cell.topLeft() + QPoint(0, 6)}));
          p.setBrush(Qt::NoBrush);
          p.setPen(s.axisData.editable ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
        }
      }
    }
  }
  if (!tab_.IsZone()) {
    // Grid lines in one pass: the cell borders of every column and row, filled as thin
    // rectangles (a filled span is far cheaper than a stroked line on a large sheet).
    for (int k = 0; k <= l.shownCols; ++k) {
      const int x = l.GridX0() + k * l.cellW - (k ? 1 : 0);
      const int w = k > 0 && k < l.shownCols ? 2 : 1;
      p.fillRect(QRect(x, l.grid.top(), w, l.grid.height()), kGridLine);
    }
    for (int k = 0; k <= l.shownRows; ++k) {
      const int y = l.GridY0() + k * l.cellH - (k ? 1 : 0);
      const int h = k > 0 && k < l.shownRows ? 2 : 1;
      p.fillRect(QRect(l.grid.left(), y, l.grid.width(), h), kGridLine);
    }
  }
  for (int c = 0; c < s.axisX.count; ++c)
    if (sel.selX[c] & kMarkCorner) {
      const QRect r = ItemRect(c, -1);
      if (!r.isEmpty())
        p.fillRect(QRect(r.topLeft() + QPoint(1, 1), QSize(5, 5)), QColor(0x30, 0x60, 0xC0));
    }
  for (int r = 0; r < s.axisY.count; ++r)
    if (sel.selY[r] & kMarkCorner) {
      const QRect q = ItemRect(-1, r);
      if (!q.isEmpty())
        p.fillRect(QRect(q.topLeft() + QPoint(1, 1), QSize(5, 5)), QColor(0x30, 0x60, 0xC0));
    }
  if (showLive) {
    const QRect r = ItemRect(s.actualCol, s.actualRow);
    if (!r.isEmpty()) {
      p.setPen(QPen(live, 3));
      p.drawRect(r.adjusted(1, 1, -2, -2));
    }
  }
  // Selection outline with its fill handle.
  const QRect sr = SelectionRect();
  if (!sr.isEmpty() && sel.kind != kSelNone) {
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(sr.adjusted(0, 0, -1, -1));
    p.fillRect(QRect(sr.bottomRight() - QPoint(2, 2), QSize(5, 5)), Qt::black);
  }
  // Target of a running fill or copy drag.
  if (tab_.drag.mode != kDragNone) {
    const TBlock& t = tab_.drag.target;
    QRect a = ItemRect(t.c0, t.r0), b = ItemRect(t.c1, t.r1);
    if (!a.isEmpty() && !b.isEmpty()) {
      p.setPen(QPen(QColor(0x20, 0x20, 0xA0), 2, Qt::DashLine));
      p.drawRect(a.united(b).adjusted(1, 1, -1, -1));
    }
  }
  // Hover increment buttons.
  if (tab_.hover.shown && tab_.ItemEditable(tab_.hover.col, tab_.hover.row)) {
    const QRect r = ItemRect(tab_.hover.col, tab_.hover.row);
    if (!r.isEmpty()) {
      const QRect strip(r.right() - kHoverStripPx, r.top(), kHoverStripPx, r.height());
      p.fillRect(strip, kLightGrey);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(Qt::NoPen);
      for (int sign : {1, -1}) {
        const int shift = tab_.hover.pressed == sign ? 1 : 0;
        const QRectF half =
            sign > 0 ? QRectF(strip.left(), strip.top(), strip.width(), strip.height() / 2.0)
                     : QRectF(strip.left(), strip.center().y() + 1, strip.width(),
                              strip.height() / 2.0 - 1);
        const QRectF t = half.adjusted(3 + shift, 2 + shift, -3 + shift, -2 + shift);
        p.setBrush(QColor(0x70, 0x70, 0x70));
        if (sign > 0)
          p.drawPolygon(QPolygonF({QPointF(t.left(), t.bottom()), QPointF(t.right(), t.bottom()),
                                   QPointF(t.center().x(), t.top())}));
        else
          p.drawPolygon(QPolygonF({QPointF(t.left(), t.top()), QPointF(t.right(), t.top()),
                                   QPointF(t.center().x(), t.bottom())}));
      }
      p.setBrush(Qt::NoBrush);
      p.setRenderHint(QPainter::Antialiasing, false);
    }
  }
  // The in-place editor.
  if (tab_.editor.editing) {
    const QRect r = ItemRect(tab_.editor.col, tab_.editor.row);
    if (!r.isEmpty()) {
      p.fillRect(r, kWhite);
      p.setPen(QPen(Qt::black, 1));
      p.drawRect(r.adjusted(0, 0, -1, -1));
      QFont ef = normal;
      ef.setBold(true);
      ef.setPointSizeF(normal.pointSizeF() * 1.4);
      p.setFont(ef);
      QFontMetrics fm(ef);
      const QString t = Qs(tab_.editor.text);
      const int x0 = r.center().x() - fm.horizontalAdvance(t) / 2;
      const int baseLine = r.center().y() + fm.ascent() / 2 - 1;
      const int a = tab_.editor.selStart, b = tab_.editor.selEnd;
      if (a >= 0 && b > a) {
        const int xa = x0 + fm.horizontalAdvance(t.left(a)),
                  xb = x0 + fm.horizontalAdvance(t.left(b));
        p.fillRect(QRect(xa, r.top() + 2, xb - xa, r.height() - 4), Qt::black);
      }
      for (int i = 0; i < t.size(); ++i) {
        const bool inverted = a >= 0 && i >= a && i < b;
        p.setPen(inverted ? kWhite : QColor(Qt::black));
        p.drawText(QPoint(x0 + fm.horizontalAdvance(t.left(i)), baseLine), t.mid(i, 1));
      }
      if (tab_.editor.blink < 8) {
        const int xc = x0 + fm.horizontalAdvance(t.left(tab_.editor.caret));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(xc, r.top() + 3, xc, r.bottom() - 3);
      }
      p.setFont(normal);
    }
  }
  DrawScrollBars(p);
}

void TTabWidget::DrawZoneCells(QPainter& p) {
  const TGridLayout& l = layout_;
  const CSheet& s = tab_.Cur();
  const bool editable = s.axisData.editable;
  for (int kr = 0; kr < l.shownRows; ++kr)
    for (int kc = 0; kc < l.shownCols; ++kc) {
      const int c = ColOfShown(kc), r = RowOfShown(kr);
      const QRect cell = ItemRect(c, r);
      const int32_t v = s.Cell(c, r);
      QColor fill = v == 1 ? kZoneOn : kZoneOff;
      if (!editable) fill = v == 1 ? kZoneOn.lighter(140) : kZoneOff.darker(104);
      p.fillRect(cell, fill);
      if (s.sel.Cell(c, r) & (kMarkSelected | kMarkInDrag))
        p.fillRect(cell.adjusted(2, 2, -2, -2), QColor(0x80, 0xB0, 0xFF, 120));
      p.setPen(kGridLine);
      p.drawRect(cell.adjusted(0, 0, -1, -1));
      if (v > 1) {
        CheckBox(p, cell.center() - QPoint(0, 7), false);
        CheckBox(p, cell.center() + QPoint(0, 7), true);
      } else {
        CheckBox(p, cell.center(), v == 1);
      }
    }
}

void TTabWidget::DrawScrollBars(QPainter& p) {
  const TGridLayout& l = layout_;
  const CSheet& s = tab_.Cur();
  auto bar = [&](bool xAxis) {
    const QRect r =
        xAxis ? QRect(l.grid.left(), l.grid.bottom() + 1, l.grid.width(), kScrollThicknessPx)
              : QRect(l.grid.right() + 1, l.grid.top(), kScrollThicknessPx, l.grid.height());
    p.fillRect(r, kLightGrey);
    const int length = xAxis ? r.width() : r.height();
    const CAxe& a = xAxis ? s.axisX : s.axisY;
    const int used = std::max(1, xAxis ? s.CellCols() : s.CellRows());
    const int window = xAxis ? tab_.visibleCols : tab_.visibleRows;
    const int track = std::max(1, length - 2 * kScrollThicknessPx);
    const int thumb = std::max(10, track * window / used);
    const int pos = kScrollThicknessPx + (track - thumb) * a.scrollPos / std::max(1, used - window);
    QRect arrow1 = xAxis ? QRect(r.left(), r.top(), kScrollThicknessPx, r.height())
                         : QRect(r.left(), r.top(), r.width(), kScrollThicknessPx);
    QRect arrow2 =
        xAxis ? QRect(r.right() - kScrollThicknessPx + 1, r.top(), kScrollThicknessPx, r.height())
              : QRect(r.left(), r.bottom() - kScrollThicknessPx + 1, r.width(), kScrollThicknessPx);
    QRect thumbRect = xAxis ? QRect(r.left() + pos, r.top(), thumb, r.height())
                            : QRect(r.left(), r.top() + pos, r.width(), thumb);
    RaisedBox(p, arrow1, kButtonFace);
    RaisedBox(p, arrow2, kButtonFace);
    RaisedBox(p, thumbRect, kButtonFace);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    auto tri = [&](QRectF q, int dir) {
      q = q.adjusted(4, 4, -4, -4);
      QPolygonF poly;
      if (xAxis)
        poly = dir < 0
                   ? QPolygonF({QPointF(q.left(), q.center().y()), q.topRight(), q.bottomRight()})
                   : QPolygonF({QPointF(q.right(), q.center().y()), q.topLeft(), q.bottomLeft()});
      else
        poly = dir < 0
                   ? QPolygonF({QPointF(q.center().x(), q.top()), q.bottomLeft(), q.bottomRight()})
                   : QPolygonF({QPointF(q.center().x(), q.bottom()), q.topLeft(), q.topRight()});
      p.drawPolygon(poly);
    };
    tri(arrow1, -1);
    tri(arrow2, 1);
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
  };
  if (l.scrollX) bar(true);
  if (l.scrollY) bar(false);
}

}  // namespace zeda
