// The 2D graph: curves with grid, labels and overlays, hover, point and overlay drags,
// rubber band, wheel. Main thread only.
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>

#include "lang/lang_string.h"
#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/ui/plot2d.h"
#include "mapedit/ui/tab_texts.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda {
namespace {

QColor fromBgr(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
QString qs(const std::string& s) { return QString::fromUtf8(s.c_str()); }
constexpr double kHoverDistance = 5;

}  // namespace

QPointF TTabWidget::PointOf2D(int col, int row) {
  QRectF view = layout_.graph;
  TPlot2D P = MakePlot2D(tab_, view);
  if (!P.valid) return {};
  const CSheet& s = tab_.cur();
  const int hi = P.hIsX ? col : row, fam = P.hIsX ? row : col;
  for (size_t k = 0; k < P.families.size(); ++k)
    if (P.families[k] == fam)
      return {P.X(P.HPos(s, hi)), P.Y(s.cell(col, row) + P.Lift(static_cast<int>(k)))};
  return {};
}

void TTabWidget::draw2D(QPainter& p, const QRect& view) {
  const TPlot2D P = MakePlot2D(tab_, view);
  if (!P.valid) return;
  const CSheet& s = tab_.cur();
  const CAxe& H = P.HAxis(s);
  const CAxe& D = s.axisData;
  const QRectF& R = P.plot;
  const int curves = static_cast<int>(P.families.size());
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  // Background: white, or light yellow with a white band behind the current curve.
  if (curves > 1) {
    p.fillRect(R, QColor(0xFF, 0xFF, 0xE8));
    const int k = std::clamp(graph.currentCurve, 0, curves - 1);
    const double y0 = P.Y(P.Lift(k) + P.v.lo), y1 = P.Y(P.Lift(k) + P.v.lo + P.offset);
    p.fillRect(QRectF(R.left(), std::min(y0, y1), R.width(), std::abs(y1 - y0)).intersected(R),
               Qt::white);
  } else {
    p.fillRect(R, Qt::white);
  }
  if (P.limiter) {
    const double x = P.X(tab_.limiter / H.scale);
    if (x < R.right())
      p.fillRect(
          QRectF(std::max(x, R.left()), R.top(), R.right() - std::max(x, R.left()), R.height()),
          QColor(0xE4, 0xE4, 0xE4));
  }
  if (P.startLimiter) {
    const double x = P.X(tab_.startLimiter / H.scale);
    p.fillRect(QRectF(x - 10, R.top(), 20, R.height()).intersected(R), QColor(0xFF, 0xFF, 0xC0));
  }
  // Grid and labels.
  p.setPen(QPen(QColor(0xD8, 0xD8, 0xD8), 1));
  QFont small = p.font();
  small.setPointSize(7);
  p.setFont(small);
  QFontMetrics fm(small);
  double lastLabelRight = -1e9;
  if (P.h.d2 > 0) {
    for (double d = std::ceil(P.h.lo * H.scale / P.h.d2) * P.h.d2; d <= P.h.hi * H.scale + 1e-9;
         d += P.h.d2) {
      const double x = P.X(d / H.scale);
      p.setPen(QColor(0xD8, 0xD8, 0xD8));
      p.drawLine(QPointF(x, R.top()), QPointF(x, R.bottom()));
    }
    for (double d = std::ceil(P.h.lo * H.scale / P.h.d4) * P.h.d4; d <= P.h.hi * H.scale + 1e-9;
         d += P.h.d4) {
      const double x = P.X(d / H.scale);
      const QString t = qs(AxisLabel(d, P.h.d4));
      const int w = fm.horizontalAdvance(t);
      if (x - w / 2.0 <= lastLabelRight) continue;  // would overlap the previous one
      p.setPen(Qt::black);
      p.drawText(QPointF(x - w / 2.0, R.bottom() + 12), t);
      lastLabelRight = x + w / 2.0 + 2;
    }
  } else {
    for (int i = 0; i < P.hCount; ++i) {
      const double x = P.X(P.HPos(s, i));
      p.setPen(QColor(0xD8, 0xD8, 0xD8));
      p.drawLine(QPointF(x, R.top()), QPointF(x, R.bottom()));
      const QString t = qs(formatValue(H.values[i], H.scale, H.unit));
      const int w = fm.horizontalAdvance(t);
      if (x - w / 2.0 <= lastLabelRight) continue;
      p.setPen(Qt::black);
      p.drawText(QPointF(x - w / 2.0, R.bottom() + 12), t);
      lastLabelRight = x + w / 2.0 + 2;
    }
  }
  double lastLabelTop = 1e9;
  if (P.v.d2 > 0) {
    for (double d = std::ceil(P.v.lo * D.scale / P.v.d2) * P.v.d2; d <= P.v.hi * D.scale + 1e-9;
         d += P.v.d2) {
      const double y = P.Y(d / D.scale);
      p.setPen(QColor(0xD8, 0xD8, 0xD8));
      p.drawLine(QPointF(R.left(), y), QPointF(R.right(), y));
    }
    // Labels run along the first curve's scale; stacked curves repeat it from their base.
    for (double d = std::ceil(P.v.lo * D.scale / P.v.d4) * P.v.d4; d <= P.v.hi * D.scale + 1e-9;
         d += P.v.d4) {
      const double y = P.Y(d / D.scale);
      if (y + 4 > lastLabelTop) continue;
      const QString t = qs(AxisLabel(d, P.v.d4));
      p.setPen(Qt::black);
      p.drawText(QPointF(R.left() - 4 - fm.horizontalAdvance(t), y + 4), t);
      lastLabelTop = y - fm.height() + 4;
    }
  }
  for (int k = 0; k < curves - 1; ++k) {
    p.setPen(QColor(0xC8, 0xC8, 0xC8));
    const double y = P.Y(P.Lift(k) + P.v.lo);
    p.drawLine(QPointF(R.left(), y), QPointF(R.right(), y));
  }
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawRect(R);
  // Axis captions.
  p.setPen(Qt::black);
  {
    const QString hl = qs(mapeditText(H.label));
    p.drawText(QPointF(R.right() - fm.horizontalAdvance(hl), R.top() - 3), hl);
  }
  p.drawText(QPointF(R.left() - 40, R.top() - 2), qs(mapeditText(D.label)));
  if (P.liveRpm && tab_.liveRpm > 0) {
    const double x = P.X(tab_.liveRpm / H.scale);
    if (x >= R.left() && x <= R.right()) {
      p.setPen(QPen(QColor(0x00, 0xB0, 0x00), 1.5));
      p.drawLine(QPointF(x, R.top()), QPointF(x, R.bottom()));
    }
  }
  p.setClipRect(R.adjusted(-9, -9, 9, 9));
  auto curvePath = [&](auto xOf, auto vOf, int n, double lift, bool leadIn, bool tail,
                       double leadV) {
    QPolygonF poly;
    if (leadIn) poly << QPointF(R.left(), P.Y(leadV + lift));
    for (int i = 0; i < n; ++i) {
      if (leadIn && i == 0) poly << QPointF(xOf(0), P.Y(leadV + lift));
      poly << QPointF(xOf(i), P.Y(vOf(i) + lift));
    }
    if (tail && n > 0) poly << QPointF(R.right(), P.Y(vOf(n - 1) + lift));
    return poly;
  };
  const bool leadIn = !(s.flags & kSheetNoLeadIn), tail = !(s.flags & kSheetNoTail);
  const double baseRaw = D.scale != 0 ? tab_.baseAdvance / D.scale : 0;
  // Companion sheet's curves (the other advance map) on its own rpm breakpoints.
  if (P.hIsX && H.otherCount > 0 && tab_.sheetCount == 2) {
    const CSheet& o = tab_.sheet(1 - tab_.current);
    if (o.enabled && !o.hidden) {
      p.setPen(QPen(fromBgr(s.colour2), 2));
      for (int k = 0; k < curves; ++k) {
        const int fam = P.families[k];
        auto xOf = [&](int i) { return P.X(H.otherValues[i]); };
        auto vOf = [&](int i) { return double(o.cell(i, fam)); };
        p.drawPolyline(curvePath(xOf, vOf, std::min<int>(H.otherCount, o.cellCols()), P.Lift(k),
                                 leadIn, tail, P.baseAdvance ? baseRaw : o.cell(0, fam)));
      }
    }
  }
  // Own curves, the current one last, selected segments on top.
  auto drawCurve = [&](int k, const QColor& c) {
    const int fam = P.families[k];
    auto xOf = [&](int i) { return P.X(P.HPos(s, i)); };
    auto vOf = [&](int i) { return double(s.cell(P.Col(i, fam), P.Row(i, fam))); };
    p.setPen(QPen(c, 2));
    p.drawPolyline(
        curvePath(xOf, vOf, P.hCount, P.Lift(k), leadIn, tail, P.baseAdvance ? baseRaw : vOf(0)));
  };
  const int current = std::clamp(graph.currentCurve, 0, curves - 1);
  for (int k = 0; k < curves; ++k)
    if (k != current) drawCurve(k, QColor(0xA0, 0xA0, 0xA0));
  drawCurve(current, fromBgr(s.colour1));
  for (int k = 0; k < curves; ++k) {
    const int fam = P.families[k];
    for (int i = 0; i + 1 < P.hCount; ++i) {
      const int c0 = P.Col(i, fam), r0 = P.Row(i, fam), c1 = P.Col(i + 1, fam),
                r1 = P.Row(i + 1, fam);
      if ((s.sel.cell(c0, r0) & kMarkSelected) && (s.sel.cell(c1, r1) & kMarkSelected)) {
        p.setPen(QPen(fromBgr(s.colour3), 2));
        p.drawLine(QPointF(P.X(P.HPos(s, i)), P.Y(s.cell(c0, r0) + P.Lift(k))),
                   QPointF(P.X(P.HPos(s, i + 1)), P.Y(s.cell(c1, r1) + P.Lift(k))));
      }
    }
  }
  // Points.
  for (int k = 0; k < curves; ++k) {
    const int fam = P.families[k];
    for (int i = 0; i < P.hCount; ++i) {
      const int c = P.Col(i, fam), r = P.Row(i, fam);
      const QPointF pt(P.X(P.HPos(s, i)), P.Y(s.cell(c, r) + P.Lift(k)));
      const int16_t m = s.sel.cell(c, r);
      const bool hovered = graph.hovered == r * kRowStride + c;
      p.setPen(QPen(Qt::black, 1));
      p.setBrush((m & (kMarkSelected | kMarkInDrag)) ? QColor(0xFF, 0xFF, 0x00)
                                                     : QColor(Qt::white));
      const double half = hovered ? 3.5 : 2.5;
      p.drawRect(QRectF(pt.x() - half, pt.y() - half, 2 * half, 2 * half));
      if (m & kMarkCorner) {
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(pt.x() - 5, pt.y() - 5, 10, 10));
      }
    }
  }
  p.setBrush(Qt::NoBrush);
  if (P.baseAdvance) {
    const QPointF bp(R.left(), P.Y(baseRaw + P.Lift(curves - 1)));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(graph.hovered == kHoverBaseAdvance ? QColor(0xFF, 0xFF, 0)
                                                  : QColor(0x40, 0x40, 0xFF));
    p.drawEllipse(bp, 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
  }
  if (P.limiter) {
    const double x = P.X(tab_.limiter / H.scale);
    p.setPen(QPen(graph.hovered == kHoverLimiter ? QColor(0xC0, 0, 0) : QColor(0x90, 0x90, 0x90), 1,
                  Qt::DashLine));
    p.drawLine(QPointF(x, R.top()), QPointF(x, R.bottom()));
  }
  if (P.startLimiter) {
    const double x = P.X(tab_.startLimiter / H.scale);
    p.setPen(
        QPen(graph.hovered == kHoverStartLimiter ? QColor(0xC0, 0, 0) : QColor(0xC0, 0xB0, 0x40), 1,
             Qt::DashLine));
    p.drawLine(QPointF(x, R.top()), QPointF(x, R.bottom()));
  }
  // Operating point.
  if ((s.flags & kSheetTrackLive) && s.actualState > 0 && s.actualCol >= 0 && s.actualRow >= 0) {
    const int hi = P.hIsX ? s.actualCol : s.actualRow, fam = P.hIsX ? s.actualRow : s.actualCol;
    for (int k = 0; k < curves; ++k)
      if (P.families[k] == fam && hi < P.hCount) {
        const QPointF pt(P.X(P.HPos(s, hi)), P.Y(s.cell(s.actualCol, s.actualRow) + P.Lift(k)));
        p.setPen(QPen(liveColour(s), 1.5));
        p.drawEllipse(pt, 7, 7);
        p.drawEllipse(pt, 8, 8);
      }
  }
  p.setClipping(false);
  if (!band_.isNull() && press_ == Press::Graph && graph.hovered == kHoverNothing) {
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

Nearest nearestPoint(const TTab& t, const TPlot2D& P, QPointF m) {
  Nearest n;
  const CSheet& s = t.cur();
  for (size_t k = 0; k < P.families.size(); ++k)
    for (int i = 0; i < P.hCount; ++i) {
      const int c = P.Col(i, P.families[k]), r = P.Row(i, P.families[k]);
      const QPointF pt(P.X(P.HPos(s, i)), P.Y(s.cell(c, r) + P.Lift(static_cast<int>(k))));
      const double d = std::hypot(pt.x() - m.x(), pt.y() - m.y());
      if (d < n.distance) n = {c, r, static_cast<int>(k), d};
    }
  return n;
}

}  // namespace

void TTabWidget::graphPress(QMouseEvent* e) {
  const int base = baseView();
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
  if (tab_.isZone()) {
    if (e->button() != Qt::LeftButton) return;
    band_ = QRect(m, m);
    press_ = Press::ZoneBand;
    update();
    return;
  }
  const TPlot2D P = MakePlot2D(tab_, layout_.graph);
  if (!P.valid) return;
  graphMove(e);  // hover of the press position
  CSheet& s = tab_.cur();
  const int hovered = graph.hovered;
  if (e->button() == Qt::RightButton) {
    if (hovered >= 0) tab_.RightPressItem(hovered % kRowStride, hovered / kRowStride);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (hovered >= 0 && tab_.CanInterpolate() &&
      (s.sel.cell(hovered % kRowStride, hovered / kRowStride) & kMarkCorner)) {
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
    if (hovered >= 0 && !(s.sel.cell(dragCol_, dragRow_) & kMarkSelected)) tab_.ClearSelection();
    const QPointF pt = hovered >= 0 ? PointOf2D(dragCol_, dragRow_) : QPointF(m);
    graph.dragOffsetX = m.x() - int(std::lround(pt.x()));
    graph.dragOffsetY = m.y() - int(std::lround(pt.y()));
    if (hovered < 0) graph.dragOffsetX = graph.dragOffsetY = 0;
    tab_.CommitEdit(0, kKeyBegin);
    press_ = Press::Graph;
    return;
  }
  band_ = QRect(m, m);
  press_ = Press::Graph;
  if (!(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) tab_.ClearSelection();
}

void TTabWidget::graphMove(QMouseEvent* e) {
  const QPoint m = e->position().toPoint();
  const int base = baseView();
  if (base == kView3D) {
    if (press_ == Press::Rotate) {
      graph.angleX = WrapAngle(graph.dragStartAngleX - (m.y() - graph.dragStartY) / 10);
      graph.angleXY = WrapAngle(graph.dragStartAngleXY + (m.x() - graph.dragStartX) / 10);
      updateButtonStates();
      update();
    } else {
      const bool panel = m.x() < layout_.graph.left() + graph.panelWidth;
      setToolTip(QString::fromUtf8(LangText(panel ? tab_text::kPanelHint : tab_text::kRotateHint))
                     .section(QLatin1Char('|'), 0, 0));
    }
    return;
  }
  if (tab_.isZone()) {
    if (press_ == Press::ZoneBand) {
      band_.setBottomRight(m);
      update();
    }
    return;
  }
  CSheet& s = tab_.cur();
  TPlot2D P = MakePlot2D(tab_, layout_.graph);
  if (!P.valid) return;
  const CAxe& H = P.HAxis(s);
  const CAxe& D = s.axisData;
  if (press_ == Press::Graph && graph.dragging) {
    const double hRaw = P.HAt(m.x() - graph.dragOffsetX), vRaw = P.VAt(m.y() - graph.dragOffsetY);
    if (dragCol_ == kHoverBaseAdvance) {
      tab_.baseAdvance = static_cast<int32_t>(
          std::lround(vRaw - P.Lift(static_cast<int>(P.families.size()) - 1)) * D.scale);
      tab_.CommitEdit(kPartCells, kKeyBegin);
    } else if (dragCol_ == kHoverLimiter || dragCol_ == kHoverStartLimiter) {
      int32_t& ov = dragCol_ == kHoverLimiter ? tab_.limiter : tab_.startLimiter;
      ov = static_cast<int32_t>(std::lround(hRaw) * H.scale);
      tab_.CommitEdit(kPartCells, kKeyBegin);
    } else if (dragCol_ >= 0) {
      const int hi = P.hIsX ? dragCol_ : dragRow_, fam = P.hIsX ? dragRow_ : dragCol_;
      int k = 0;
      for (size_t q = 0; q < P.families.size(); ++q)
        if (P.families[q] == fam) k = static_cast<int>(q);
      int parts = 0;
      CAxe& HA = P.hIsX ? s.axisX : s.axisY;
      if (HA.editable && HA.proportional) {
        const int32_t to = static_cast<int32_t>(std::lround(hRaw));
        const int32_t dh = to - HA.values[hi];
        if (dh) {
          HA.values[hi] = to;
          // Other selected points move by the same amount.
          for (int i = 0; i < P.hCount; ++i) {
            if (i == hi) continue;
            bool sel = false;
            for (int f : P.families)
              sel |= (s.sel.cell(P.Col(i, f), P.Row(i, f)) & kMarkSelected) != 0;
            if (sel) HA.values[i] += dh;
          }
          parts |= P.hIsX ? kPartX : kPartY;
        }
      }
      if (D.editable) {
        const int32_t to = static_cast<int32_t>(std::lround(vRaw - P.Lift(k)));
        const int32_t dv = to - s.cell(dragCol_, dragRow_);
        if (dv) {
          for (int r = 0; r < s.cellRows(); ++r)
            for (int c = 0; c < s.cellCols(); ++c)
              if ((s.sel.cell(c, r) & kMarkSelected) && !(c == dragCol_ && r == dragRow_))
                s.cell(c, r) += dv;
          s.cell(dragCol_, dragRow_) = to;
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
  } else {
    // Hover: the nearest point makes its curve current and is hovered within 5 pixels.
    const Nearest n = nearestPoint(tab_, P, m);
    graph.hovered = kHoverNothing;
    graph.currentCurve = n.curve;
    if (n.distance < kHoverDistance) graph.hovered = n.row * kRowStride + n.col;
    if (P.baseAdvance && graph.hovered == kHoverNothing) {
      const QPointF bp(P.plot.left(), P.Y(tab_.baseAdvance / D.scale +
                                          P.Lift(static_cast<int>(P.families.size()) - 1)));
      if (std::hypot(bp.x() - m.x(), bp.y() - m.y()) < kHoverDistance)
        graph.hovered = kHoverBaseAdvance;
    }
    if (graph.hovered == kHoverNothing && P.limiter &&
        std::abs(P.X(tab_.limiter / H.scale) - m.x()) < kHoverDistance)
      graph.hovered = kHoverLimiter;
    if (graph.hovered == kHoverNothing && P.startLimiter &&
        std::abs(P.X(tab_.startLimiter / H.scale) - m.x()) < kHoverDistance)
      graph.hovered = kHoverStartLimiter;
  }
  // Hint: the hovered or dragged value.
  std::string hint;
  const int item = graph.dragging ? (dragCol_ >= 0 ? dragRow_ * kRowStride + dragCol_ : dragCol_)
                                  : graph.hovered;
  char buf[512];
  if (item >= 0) {
    const int c = item % kRowStride, r = item / kRowStride;
    const int hi = P.hIsX ? c : r;
    const CAxe& F = P.FAxis(s);
    const std::string hv = formatValue(H.values[hi], H.scale, H.unit),
                      dv = formatValue(s.cell(c, r), D.scale, D.unit);
    if (P.families.size() > 1) {
      const int fam = P.hIsX ? r : c;
      std::snprintf(buf, sizeof buf, "%s = %s; %s = %s; %s = %s", mapeditText(F.label).c_str(),
                    formatValue(F.values[fam], F.scale, F.unit).c_str(),
                    mapeditText(H.label).c_str(), hv.c_str(), mapeditText(D.label).c_str(),
                    dv.c_str());
    } else {
      std::snprintf(buf, sizeof buf, "%s = %s; %s = %s", mapeditText(H.label).c_str(), hv.c_str(),
                    mapeditText(D.label).c_str(), dv.c_str());
    }
    hint = buf;
  } else if (item == kHoverBaseAdvance || item == kHoverLimiter || item == kHoverStartLimiter) {
    const char* name = item == kHoverBaseAdvance ? tab_text::kBaseAdvance
                       : item == kHoverLimiter   ? tab_text::kLimiter
                                                 : tab_text::kStartLimiter;
    const int32_t v = item == kHoverBaseAdvance ? tab_.baseAdvance
                      : item == kHoverLimiter   ? tab_.limiter
                                                : tab_.startLimiter;
    std::snprintf(buf, sizeof buf, "%s = %s", LangText(name), formatValue(v, 1.0).c_str());
    hint = buf;
  }
  if (!hint.empty() && graph.dragging)
    hint = std::string(LangText(tab_text::kDragging)) + " " + hint;
  graph.hint = hint;
  setToolTip(qs(hint));
  update();
}

void TTabWidget::endGraphDrag() {
  if (!graph.dragging) return;
  graph.dragging = false;
  dragCol_ = dragRow_ = -2;
  tab_.CommitEdit(kPartCells, kKeyEnd);
}

void TTabWidget::graphRelease(QMouseEvent* e) {
  const int base = baseView();
  if (base == kView3D) {
    graph.dragging = false;
    return;
  }
  if (tab_.isZone()) {
    if (press_ == Press::ZoneBand) zoneToggle(band_.normalized());
    band_ = QRect();
    return;
  }
  if (graph.dragging) {
    endGraphDrag();
  } else if (!band_.isNull()) {
    // Rubber band: the points inside become selected.
    const TPlot2D P = MakePlot2D(tab_, layout_.graph);
    CSheet& s = tab_.cur();
    const QRectF b = QRectF(band_.normalized());
    bool any = false;
    for (size_t k = 0; k < P.families.size(); ++k)
      for (int i = 0; i < P.hCount; ++i) {
        const int c = P.Col(i, P.families[k]), r = P.Row(i, P.families[k]);
        const QPointF pt(P.X(P.HPos(s, i)), P.Y(s.cell(c, r) + P.Lift(static_cast<int>(k))));
        if (b.contains(pt)) {
          if (s.sel.kind != kSelCells && !any) selClear(s.sel);
          s.sel.cell(c, r) |= kMarkSelected;
          any = true;
        }
      }
    if (any) tab_.SelectionChanged();
  }
  band_ = QRect();
  (void)e;
  update();
}

void TTabWidget::graphWheel(QWheelEvent* e, int sign) {
  const QPoint m = e->position().toPoint();
  if (baseView() == kView3D) {
    if (m.x() < layout_.graph.left() + graph.panelWidth) {
      tab_.IncrementOperatingPoint(sign);
    } else if (e->modifiers() & Qt::ControlModifier) {
      graph.colourMode = std::clamp(graph.colourMode + sign, 0, kColourModeMax);
    } else if (e->modifiers() & Qt::ShiftModifier) {
      graph.valueLabels = std::clamp(graph.valueLabels + sign, 0, kValueLabelsMax);
    } else {
      graph.angleXYZ = WrapAngle(graph.angleXYZ + sign);
    }
    updateButtonStates();
    update();
    return;
  }
  if (tab_.isZone()) return;
  const int h = graph.hovered;
  if (h >= 0 && !tab_.cur().sel.isSelected(h % kRowStride, h / kRowStride))
    tab_.IncrementItem(h % kRowStride, h / kRowStride, sign);
  else
    tab_.Increment(sign);
  update();
}

}  // namespace zeda
