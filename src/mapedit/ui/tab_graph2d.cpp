// The 2D graph: curves with grid, labels and overlays, hover, point and overlay drags,
// rubber band, wheel. Main thread only.
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>

#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"
#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/ui/plot2d.h"
#include "mapedit/ui/tab_texts.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda {
namespace {

QColor FromBgr(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
constexpr double kHoverDistance = 5;

int ModsOf(Qt::KeyboardModifiers m) {
  return ((m & Qt::ShiftModifier) ? kModShift : 0) | ((m & Qt::ControlModifier) ? kModCtrl : 0);
}

}  // namespace

QPointF TTabWidget::PointOf2D(int col, int row) {
  QRectF view = layout_.graph;
  TPlot2D plot = MakePlot2D(tab_, view);
  if (!plot.valid) return {};
  const CSheet& s = tab_.Cur();
  const int hi = plot.hIsX ? col : row, fam = plot.hIsX ? row : col;
  for (size_t k = 0; k < plot.families.size(); ++k)
    if (plot.families[k] == fam)
      return {plot.X(plot.HPos(s, hi)), plot.Y(s.Cell(col, row) + plot.Lift(static_cast<int>(k)))};
  return {};
}

void TTabWidget::Draw2D(QPainter& p, const QRect& view) {
  const TPlot2D plot = MakePlot2D(tab_, view);
  if (!plot.valid) return;
  const CSheet& s = tab_.Cur();
  const CAxe& hAxis = plot.HAxis(s);
  const CAxe& dAxis = s.axisData;
  const QRectF& plotRect = plot.plot;
  const int curves = static_cast<int>(plot.families.size());
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  // Background: white, or light yellow with a white band behind the current curve.
  if (curves > 1) {
    p.fillRect(plotRect, QColor(0xFF, 0xFF, 0xE8));
    const int k = std::clamp(graph.currentCurve, 0, curves - 1);
    const double y0 = plot.Y(plot.Lift(k) + plot.v.lo),
                 y1 = plot.Y(plot.Lift(k) + plot.v.lo + plot.offset);
    p.fillRect(QRectF(plotRect.left(), std::min(y0, y1), plotRect.width(), std::abs(y1 - y0))
                   .intersected(plotRect),
               Qt::white);
  } else {
    p.fillRect(plotRect, Qt::white);
  }
  if (plot.limiter) {
    const double x = plot.X(tab_.limiter / hAxis.scale);
    if (x < plotRect.right())
      p.fillRect(QRectF(std::max(x, plotRect.left()), plotRect.top(),
                        plotRect.right() - std::max(x, plotRect.left()), plotRect.height()),
                 QColor(0xE4, 0xE4, 0xE4));
  }
  if (plot.startLimiter) {
    const double x = plot.X(tab_.startLimiter / hAxis.scale);
    p.fillRect(QRectF(x - 10, plotRect.top(), 20, plotRect.height()).intersected(plotRect),
               QColor(0xFF, 0xFF, 0xC0));
  }
  // Grid and labels.
  p.setPen(QPen(QColor(0xD8, 0xD8, 0xD8), 1));
  QFont small = p.font();
  small.setPointSize(7);
  p.setFont(small);
  QFontMetrics fm(small);
  double lastLabelRight = -1e9;
  if (plot.h.d2 > 0) {
    for (double d = std::ceil(plot.h.lo * hAxis.scale / plot.h.d2) * plot.h.d2;
         d <= plot.h.hi * hAxis.scale + 1e-9; d += plot.h.d2) {
      const double x = plot.X(d / hAxis.scale);
      p.setPen(QColor(0xD8, 0xD8, 0xD8));
      p.drawLine(QPointF(x, plotRect.top()), QPointF(x, plotRect.bottom()));
    }
    for (double d = std::ceil(plot.h.lo * hAxis.scale / plot.h.d4) * plot.h.d4;
         d <= plot.h.hi * hAxis.scale + 1e-9; d += plot.h.d4) {
      const double x = plot.X(d / hAxis.scale);
      const QString t = Qs(AxisLabel(d, plot.h.d4));
      const int w = fm.horizontalAdvance(t);
      if (x - w / 2.0 <= lastLabelRight) continue;  // would overlap the previous one
      p.setPen(Qt::black);
      p.drawText(QPointF(x - w / 2.0, plotRect.bottom() + 12), t);
      lastLabelRight = x + w / 2.0 + 2;
    }
  } else {
    for (int i = 0; i < plot.hCount; ++i) {
      const double x = plot.X(plot.HPos(s, i));
      p.setPen(QColor(0xD8, 0xD8, 0xD8));
      p.drawLine(QPointF(x, plotRect.top()), QPointF(x, plotRect.bottom()));
      const QString t = Qs(FormatValue(hAxis.values[i], hAxis.scale, hAxis.unit));
      const int w = fm.horizontalAdvance(t);
      if (x - w / 2.0 <= lastLabelRight) continue;
      p.setPen(Qt::black);
      p.drawText(QPointF(x - w / 2.0, plotRect.bottom() + 12), t);
      lastLabelRight = x + w / 2.0 + 2;
    }
  }
  double lastLabelTop = 1e9;
  if (plot.v.d2 > 0) {
    for (double d = std::ceil(plot.v.lo * dAxis.scale / plot.v.d2) * plot.v.d2;
         d <= plot.v.hi * dAxis.scale + 1e-9; d += plot.v.d2) {
      const double y = plot.Y(d / dAxis.scale);
      p.setPen(QColor(0xD8, 0xD8, 0xD8));
      p.drawLine(QPointF(plotRect.left(), y), QPointF(plotRect.right(), y));
    }
    // Labels run along the first curve's scale; stacked curves repeat it from their base.
    for (double d = std::ceil(plot.v.lo * dAxis.scale / plot.v.d4) * plot.v.d4;
         d <= plot.v.hi * dAxis.scale + 1e-9; d += plot.v.d4) {
      const double y = plot.Y(d / dAxis.scale);
      if (y + 4 > lastLabelTop) continue;
      const QString t = Qs(AxisLabel(d, plot.v.d4));
      p.setPen(Qt::black);
      p.drawText(QPointF(plotRect.left() - 4 - fm.horizontalAdvance(t), y + 4), t);
      lastLabelTop = y - fm.height() + 4;
    }
  }
  for (int k = 0; k < curves - 1; ++k) {
    p.setPen(QColor(0xC8, 0xC8, 0xC8));
    const double y = plot.Y(plot.Lift(k) + plot.v.lo);
    p.drawLine(QPointF(plotRect.left(), y), QPointF(plotRect.right(), y));
  }
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawRect(plotRect);
  // Axis captions.
  p.setPen(Qt::black);
  {
    const QString hl = Qs(MapeditText(hAxis.label));
    p.drawText(QPointF(plotRect.right() - fm.horizontalAdvance(hl), plotRect.top() - 3), hl);
  }
  p.drawText(QPointF(plotRect.left() - 40, plotRect.top() - 2), Qs(MapeditText(dAxis.label)));
  if (plot.liveRpm && tab_.liveRpm > 0) {
    const double x = plot.X(tab_.liveRpm / hAxis.scale);
    if (x >= plotRect.left() && x <= plotRect.right()) {
      p.setPen(QPen(QColor(0x00, 0xB0, 0x00), 1.5));
      p.drawLine(QPointF(x, plotRect.top()), QPointF(x, plotRect.bottom()));
    }
  }
  p.setClipRect(plotRect.adjusted(-9, -9, 9, 9));
  auto curvePath = [&](auto xOf, auto vOf, int n, double lift, bool leadIn, bool tail,
                       double leadV) {
    QPolygonF poly;
    if (leadIn) poly << QPointF(plotRect.left(), plot.Y(leadV + lift));
    for (int i = 0; i < n; ++i) {
      if (leadIn && i == 0) poly << QPointF(xOf(0), plot.Y(leadV + lift));
      poly << QPointF(xOf(i), plot.Y(vOf(i) + lift));
    }
    if (tail && n > 0) poly << QPointF(plotRect.right(), plot.Y(vOf(n - 1) + lift));
    return poly;
  };
  const bool leadIn = !(s.flags & kSheetNoLeadIn), tail = !(s.flags & kSheetNoTail);
  const double baseRaw = dAxis.scale != 0 ? tab_.baseAdvance / dAxis.scale : 0;
  // Companion sheet's curves (the other advance map) on its own rpm breakpoints.
  if (plot.hIsX && hAxis.otherCount > 0 && tab_.sheetCount == 2) {
    const CSheet& o = tab_.Sheet(1 - tab_.current);
    if (o.enabled && !o.hidden) {
      p.setPen(QPen(FromBgr(s.colour2), 2));
      for (int k = 0; k < curves; ++k) {
        const int fam = plot.families[k];
        auto xOf = [&](int i) { return plot.X(hAxis.otherValues[i]); };
        auto vOf = [&](int i) { return double(o.Cell(i, fam)); };
        p.drawPolyline(curvePath(xOf, vOf, std::min<int>(hAxis.otherCount, o.CellCols()),
                                 plot.Lift(k), leadIn, tail,
                                 plot.baseAdvance ? baseRaw : o.Cell(0, fam)));
      }
    }
  }
  // Own curves, the current one last, selected segments on top.
  auto drawCurve = [&](int k, const QColor& c) {
    const int fam = plot.families[k];
    auto xOf = [&](int i) { return plot.X(plot.HPos(s, i)); };
    auto vOf = [&](int i) { return double(s.Cell(plot.Col(i, fam), plot.Row(i, fam))); };
    p.setPen(QPen(c, 2));
    p.drawPolyline(curvePath(xOf, vOf, plot.hCount, plot.Lift(k), leadIn, tail,
                             plot.baseAdvance ? baseRaw : vOf(0)));
  };
  const int current = std::clamp(graph.currentCurve, 0, curves - 1);
  for (int k = 0; k < curves; ++k)
    if (k != current) drawCurve(k, QColor(0xA0, 0xA0, 0xA0));
  drawCurve(current, FromBgr(s.colour1));
  for (int k = 0; k < curves; ++k) {
    const int fam = plot.families[k];
    for (int i = 0; i + 1 < plot.hCount; ++i) {
      const int c0 = plot.Col(i, fam), r0 = plot.Row(i, fam), c1 = plot.Col(i + 1, fam),
                r1 = plot.Row(i + 1, fam);
      if ((s.sel.Cell(c0, r0) & kMarkSelected) && (s.sel.Cell(c1, r1) & kMarkSelected)) {
        p.setPen(QPen(FromBgr(s.colour3), 2));
        p.drawLine(QPointF(plot.X(plot.HPos(s, i)), plot.Y(s.Cell(c0, r0) + plot.Lift(k))),
                   QPointF(plot.X(plot.HPos(s, i + 1)), plot.Y(s.Cell(c1, r1) + plot.Lift(k))));
      }
    }
  }
  // Points; while a rubber band is open they show what its release would select.
  const bool bandOpen = press_ == Press::Graph && !graph.dragging && !band_.isNull();
  const TCellSet preview =
      bandOpen ? SelBandResult(s.sel, s.SelectionGrid(), BandCaught(), mods_) : TCellSet{};
  for (int k = 0; k < curves; ++k) {
    const int fam = plot.families[k];
    for (int i = 0; i < plot.hCount; ++i) {
      const int c = plot.Col(i, fam), r = plot.Row(i, fam);
      const QPointF pt(plot.X(plot.HPos(s, i)), plot.Y(s.Cell(c, r) + plot.Lift(k)));
      const int16_t m = s.sel.Cell(c, r);
      const bool hovered = graph.hovered == r * kRowStride + c;
      const bool selected =
          bandOpen ? preview[r * kRowStride + c] : (m & (kMarkSelected | kMarkInDrag)) != 0;
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(selected ? QColor(0xFF, 0xFF, 0x00) : QColor(Qt::white));
      const double half = hovered ? 3.5 : 2.5;
      p.drawRect(QRectF(pt.x() - half, pt.y() - half, 2 * half, 2 * half));
      if (m & kMarkCorner) {
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(pt.x() - 5, pt.y() - 5, 10, 10));
      }
    }
  }
  p.setBrush(Qt::NoBrush);
  if (plot.baseAdvance) {
    const QPointF bp(plotRect.left(), plot.Y(baseRaw + plot.Lift(curves - 1)));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(graph.hovered == kHoverBaseAdvance ? QColor(0xFF, 0xFF, 0)
                                                  : QColor(0x40, 0x40, 0xFF));
    p.drawEllipse(bp, 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
  }
  if (plot.limiter) {
    const double x = plot.X(tab_.limiter / hAxis.scale);
    p.setPen(QPen(graph.hovered == kHoverLimiter ? QColor(0xC0, 0, 0) : QColor(0x90, 0x90, 0x90), 1,
                  Qt::DashLine));
    p.drawLine(QPointF(x, plotRect.top()), QPointF(x, plotRect.bottom()));
  }
  if (plot.startLimiter) {
    const double x = plot.X(tab_.startLimiter / hAxis.scale);
    p.setPen(
        QPen(graph.hovered == kHoverStartLimiter ? QColor(0xC0, 0, 0) : QColor(0xC0, 0xB0, 0x40), 1,
             Qt::DashLine));
    p.drawLine(QPointF(x, plotRect.top()), QPointF(x, plotRect.bottom()));
  }
  // Operating point.
  if ((s.flags & kSheetTrackLive) && s.actualState > 0 && s.actualCol >= 0 && s.actualRow >= 0) {
    const int hi = plot.hIsX ? s.actualCol : s.actualRow,
              fam = plot.hIsX ? s.actualRow : s.actualCol;
    for (int k = 0; k < curves; ++k)
      if (plot.families[k] == fam && hi < plot.hCount) {
        const QPointF pt(plot.X(plot.HPos(s, hi)),
                         plot.Y(s.Cell(s.actualCol, s.actualRow) + plot.Lift(k)));
        p.setPen(QPen(LiveColour(s), 1.5));
        p.drawEllipse(pt, 7, 7);
        p.drawEllipse(pt, 8, 8);
      }
  }
  p.setClipping(false);
  if (bandOpen) {
    p.setPen(QPen(Qt::red, 1));
    p.drawRect(band_.normalized());
  }
  p.restore();
}

// ---- 2D mouse ----

namespace {

struct Nearest {
  int col = -2, row = -2, curve = 0;
  double distance = 1e300;
};

Nearest NearestPoint(const TTab& t, const TPlot2D& plot, QPointF m) {
  Nearest n;
  const CSheet& s = t.Cur();
  for (size_t k = 0; k < plot.families.size(); ++k)
    for (int i = 0; i < plot.hCount; ++i) {
      const int c = plot.Col(i, plot.families[k]), r = plot.Row(i, plot.families[k]);
      const QPointF pt(plot.X(plot.HPos(s, i)),
                       plot.Y(s.Cell(c, r) + plot.Lift(static_cast<int>(k))));
      const double d = std::hypot(pt.x() - m.x(), pt.y() - m.y());
      if (d < n.distance) n = {c, r, static_cast<int>(k), d};
    }
  return n;
}

}  // namespace

void TTabWidget::GraphPress(QMouseEvent* e) {
  const int base = BaseView();
  const QPoint m = e->position().toPoint();
  if (base == kView3D) {
    if (e->button() != Qt::LeftButton || m.x() < layout_.graph.left() + graph.panelWidth) return;
    graph.dragging = true;
    graph.dragStartX = m.x();
    graph.dragStartY = m.y();
    graph.dragStartAngleX = graph.angleX;
    graph.dragStartAngleXY = graph.angleXY;
    press_ = Press::Rotate;
    return;
  }
  if (tab_.IsZone()) {
    ZonePress(e);
    return;
  }
  const TPlot2D plot = MakePlot2D(tab_, layout_.graph);
  if (!plot.valid) return;
  GraphMove(e);  // hover of the press position
  CSheet& s = tab_.Cur();
  const int hovered = graph.hovered;
  if (e->button() == Qt::RightButton) {
    if (hovered >= 0) tab_.RightPressItem(hovered % kRowStride, hovered / kRowStride);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (hovered >= 0 && tab_.CanInterpolate() &&
      (s.sel.Cell(hovered % kRowStride, hovered / kRowStride) & kMarkCorner)) {
    tab_.Interpolate();
    update();
    return;
  }
  if (hovered != kHoverNothing) {
    // A drag is one structural edit: it opens with the begin mark and ends with the end
    // mark on release, Esc, capture loss or a sheet change.
    graph.dragging = true;
    dragCol_ = hovered >= 0 ? hovered % kRowStride : hovered;
    dragRow_ = hovered >= 0 ? hovered / kRowStride : hovered;
    if (hovered >= 0 && !(s.sel.Cell(dragCol_, dragRow_) & kMarkSelected)) tab_.ClearSelection();
    const QPointF pt = hovered >= 0 ? PointOf2D(dragCol_, dragRow_) : QPointF(m);
    graph.dragOffsetX = m.x() - int(std::lround(pt.x()));
    graph.dragOffsetY = m.y() - int(std::lround(pt.y()));
    if (hovered < 0) graph.dragOffsetX = graph.dragOffsetY = 0;
    tab_.CommitEdit(0, kKeyBegin);
    press_ = Press::Graph;
    return;
  }
  // A rubber band; what it selects depends on Shift and Ctrl at the release.
  band_ = QRect(m, m);
  press_ = Press::Graph;
  update();
}

void TTabWidget::GraphMove(QMouseEvent* e) {
  const QPoint m = e->position().toPoint();
  const int base = BaseView();
  if (base == kView3D) {
    if (press_ == Press::Rotate) {
      graph.angleX = WrapAngle(graph.dragStartAngleX - (m.y() - graph.dragStartY) / 10);
      graph.angleXY = WrapAngle(graph.dragStartAngleXY + (m.x() - graph.dragStartX) / 10);
      UpdateButtonStates();
      update();
    } else {
      const bool panel = m.x() < layout_.graph.left() + graph.panelWidth;
      SetHint(QString::fromUtf8(LangText(panel ? tab_text::kPanelHint : tab_text::kRotateHint)));
    }
    return;
  }
  if (tab_.IsZone()) {
    ZoneMove(e);
    return;
  }
  CSheet& s = tab_.Cur();
  TPlot2D plot = MakePlot2D(tab_, layout_.graph);
  if (!plot.valid) return;
  const CAxe& hAxis = plot.HAxis(s);
  const CAxe& dAxis = s.axisData;
  if (press_ == Press::Graph && graph.dragging) {
    const double hRaw = plot.HAt(m.x() - graph.dragOffsetX),
                 vRaw = plot.VAt(m.y() - graph.dragOffsetY);
    if (dragCol_ == kHoverBaseAdvance) {
      tab_.baseAdvance = static_cast<int32_t>(
          std::lround(vRaw - plot.Lift(static_cast<int>(plot.families.size()) - 1)) * dAxis.scale);
      tab_.CommitEdit(kPartCells, kKeyBegin);
    } else if (dragCol_ == kHoverLimiter || dragCol_ == kHoverStartLimiter) {
      int32_t& ov = dragCol_ == kHoverLimiter ? tab_.limiter : tab_.startLimiter;
      ov = static_cast<int32_t>(std::lround(hRaw) * hAxis.scale);
      tab_.CommitEdit(kPartCells, kKeyBegin);
    } else if (dragCol_ >= 0) {
      const int hi = plot.hIsX ? dragCol_ : dragRow_, fam = plot.hIsX ? dragRow_ : dragCol_;
      int k = 0;
      for (size_t q = 0; q < plot.families.size(); ++q)
        if (plot.families[q] == fam) k = static_cast<int>(q);
      int parts = 0;
      CAxe& ha = plot.hIsX ? s.axisX : s.axisY;
      if (ha.editable && ha.proportional) {
        const int32_t to = static_cast<int32_t>(std::lround(hRaw));
        const int32_t dh = to - ha.values[hi];
        if (dh) {
          ha.values[hi] = to;
          // Other selected points move by the same amount.
          for (int i = 0; i < plot.hCount; ++i) {
            if (i == hi) continue;
            bool sel = false;
            for (int f : plot.families)
              sel |= (s.sel.Cell(plot.Col(i, f), plot.Row(i, f)) & kMarkSelected) != 0;
            if (sel) ha.values[i] += dh;
          }
          parts |= plot.hIsX ? kPartX : kPartY;
        }
      }
      if (dAxis.editable) {
        const int32_t to = static_cast<int32_t>(std::lround(vRaw - plot.Lift(k)));
        const int32_t dv = to - s.Cell(dragCol_, dragRow_);
        if (dv) {
          for (int r = 0; r < s.CellRows(); ++r)
            for (int c = 0; c < s.CellCols(); ++c)
              if ((s.sel.Cell(c, r) & kMarkSelected) && !(c == dragCol_ && r == dragRow_))
                s.Cell(c, r) += dv;
          s.Cell(dragCol_, dragRow_) = to;
          parts |= kPartCells;
        }
      }
      if (parts) tab_.CommitEdit(parts, kKeyBegin);
    }
    // The range may have moved: keep the pointer on the dragged point.
    const QPointF pt = dragCol_ >= 0 ? PointOf2D(dragCol_, dragRow_) : QPointF(m);
    const QPoint want(int(std::lround(pt.x())) + graph.dragOffsetX,
                      int(std::lround(pt.y())) + graph.dragOffsetY);
    if (dragCol_ >= 0 && (want - m).manhattanLength() > 2 && isVisible())
      QCursor::setPos(mapToGlobal(want));
  } else if (press_ == Press::Graph) {
    band_.setBottomRight(m);
    mods_ = ModsOf(e->modifiers());
  } else {
    // Hover: the nearest point makes its curve current and is hovered within 5 pixels.
    const Nearest n = NearestPoint(tab_, plot, m);
    graph.hovered = kHoverNothing;
    graph.currentCurve = n.curve;
    if (n.distance < kHoverDistance) graph.hovered = n.row * kRowStride + n.col;
    if (plot.baseAdvance && graph.hovered == kHoverNothing) {
      const QPointF bp(plot.plot.left(),
                       plot.Y(tab_.baseAdvance / dAxis.scale +
                              plot.Lift(static_cast<int>(plot.families.size()) - 1)));
      if (std::hypot(bp.x() - m.x(), bp.y() - m.y()) < kHoverDistance)
        graph.hovered = kHoverBaseAdvance;
    }
    if (graph.hovered == kHoverNothing && plot.limiter &&
        std::abs(plot.X(tab_.limiter / hAxis.scale) - m.x()) < kHoverDistance)
      graph.hovered = kHoverLimiter;
    if (graph.hovered == kHoverNothing && plot.startLimiter &&
        std::abs(plot.X(tab_.startLimiter / hAxis.scale) - m.x()) < kHoverDistance)
      graph.hovered = kHoverStartLimiter;
  }
  // Hint: the hovered or dragged value.
  std::string hint;
  const int item = graph.dragging ? (dragCol_ >= 0 ? dragRow_ * kRowStride + dragCol_ : dragCol_)
                                  : graph.hovered;
  char buf[512];
  if (item >= 0) {
    const int c = item % kRowStride, r = item / kRowStride;
    const int hi = plot.hIsX ? c : r;
    const CAxe& fAxis = plot.FAxis(s);
    const std::string hv = FormatValue(hAxis.values[hi], hAxis.scale, hAxis.unit),
                      dv = FormatValue(s.Cell(c, r), dAxis.scale, dAxis.unit);
    if (plot.families.size() > 1) {
      const int fam = plot.hIsX ? r : c;
      std::snprintf(buf, sizeof buf, "%s = %s; %s = %s; %s = %s", MapeditText(fAxis.label).c_str(),
                    FormatValue(fAxis.values[fam], fAxis.scale, fAxis.unit).c_str(),
                    MapeditText(hAxis.label).c_str(), hv.c_str(), MapeditText(dAxis.label).c_str(),
                    dv.c_str());
    } else {
      std::snprintf(buf, sizeof buf, "%s = %s; %s = %s", MapeditText(hAxis.label).c_str(),
                    hv.c_str(), MapeditText(dAxis.label).c_str(), dv.c_str());
    }
    hint = buf;
  } else if (item == kHoverBaseAdvance || item == kHoverLimiter || item == kHoverStartLimiter) {
    const char* name = item == kHoverBaseAdvance ? tab_text::kBaseAdvance
                       : item == kHoverLimiter   ? tab_text::kLimiter
                                                 : tab_text::kStartLimiter;
    const int32_t v = item == kHoverBaseAdvance ? tab_.baseAdvance
                      : item == kHoverLimiter   ? tab_.limiter
                                                : tab_.startLimiter;
    std::snprintf(buf, sizeof buf, "%s = %s", LangText(name), FormatValue(v, 1.0).c_str());
    hint = buf;
  }
  if (!hint.empty() && graph.dragging)
    hint = std::string(LangText(tab_text::kDragging)) + " " + hint;
  // A hovered corner of a valid block offers interpolation instead (a press interpolates).
  Qt::CursorShape cursor = Qt::ArrowCursor;
  if (!graph.dragging && graph.hovered >= 0 && tab_.CanInterpolate() &&
      (s.sel.Cell(graph.hovered % kRowStride, graph.hovered / kRowStride) & kMarkCorner)) {
    hint = LangText(tab_text::kInterpolation);
    cursor = Qt::IBeamCursor;
  }
  setCursor(cursor);
  graph.hint = hint;
  SetHint(Qs(hint));
  update();
}

void TTabWidget::EndGraphDrag() {
  if (!graph.dragging) return;
  graph.dragging = false;
  dragCol_ = dragRow_ = -2;
  zoneLineAxis_ = 0;
  const int parts = dragParts_;
  dragParts_ = kPartCells;
  tab_.CommitEdit(parts, kKeyEnd);
}

TCellSet TTabWidget::BandCaught() const {
  TCellSet caught{};
  const TPlot2D plot = MakePlot2D(tab_, layout_.graph);
  if (!plot.valid || band_.isNull()) return caught;
  const CSheet& s = tab_.Cur();
  const QRectF b = QRectF(band_.normalized());
  for (size_t k = 0; k < plot.families.size(); ++k)
    for (int i = 0; i < plot.hCount; ++i) {
      const int c = plot.Col(i, plot.families[k]), r = plot.Row(i, plot.families[k]);
      const QPointF pt(plot.X(plot.HPos(s, i)),
                       plot.Y(s.Cell(c, r) + plot.Lift(static_cast<int>(k))));
      if (b.contains(pt)) caught[r * kRowStride + c] = true;
    }
  return caught;
}

void TTabWidget::GraphRelease(QMouseEvent* e) {
  const int base = BaseView();
  if (base == kView3D) {
    graph.dragging = false;
    return;
  }
  if (tab_.IsZone()) {
    ZoneRelease();
    return;
  }
  if (graph.dragging) {
    EndGraphDrag();
  } else if (!band_.isNull()) {
    CSheet& s = tab_.Cur();
    SelApplyBand(s.sel, s.SelectionGrid(), BandCaught(), ModsOf(e->modifiers()));
    tab_.SelectionChanged();
  }
  band_ = QRect();
  update();
}

void TTabWidget::GraphWheel(QWheelEvent* e, int sign) {
  const QPoint m = e->position().toPoint();
  if (BaseView() == kView3D) {
    if (m.x() < layout_.graph.left() + graph.panelWidth) {
      tab_.IncrementOperatingPoint(sign);
    } else if (e->modifiers() & Qt::ControlModifier) {
      graph.colourMode = std::clamp(graph.colourMode + sign, 0, kColourModeMax);
    } else if (e->modifiers() & Qt::ShiftModifier) {
      graph.valueLabels = std::clamp(graph.valueLabels + sign, 0, kValueLabelsMax);
    } else {
      graph.angleXYZ = WrapAngle(graph.angleXYZ + sign);
    }
    UpdateButtonStates();
    update();
    return;
  }
  if (tab_.IsZone()) return;
  const int h = graph.hovered;
  if (h >= 0 && !tab_.Cur().sel.IsSelected(h % kRowStride, h / kRowStride))
    tab_.IncrementItem(h % kRowStride, h / kRowStride, sign);
  else
    tab_.Increment(sign);
  update();
}

}  // namespace zeda
