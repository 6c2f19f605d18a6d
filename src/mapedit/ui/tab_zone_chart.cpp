// The zone chart of a switching table: zones between the breakpoints with their check
// boxes, the rubber band that toggles zones, and the breakpoint lines that can be dragged.
// Main thread only.
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"
#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/ui/tab_texts.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda {
namespace {

// How near (pixels) the mouse must be to a breakpoint line to take it.
constexpr double kLineGrip = 3.5;

// Zone borders along one axis (see TZoneScale): even, or by value when stretched.
TZoneScale ZoneEdges(const CAxe& a, double from, double to, bool stretch) {
  const int n = std::max(0, a.count);
  TZoneScale z;
  const double gap = n >= 2 ? std::max(1.0, double(a.values[n - 1]) - a.values[0]) / (n - 1) : 1.0;
  const double lo = n >= 1 ? a.values[0] - gap : 0, hi = n >= 1 ? a.values[n - 1] + gap : 1;
  z.edges.push_back(from);
  z.values.push_back(lo);
  for (int i = 0; i < n; ++i) {
    z.edges.push_back(stretch ? from + (a.values[i] - lo) / (hi - lo) * (to - from)
                              : from + (i + 1) * (to - from) / (n + 1));
    z.values.push_back(a.values[i]);
  }
  z.edges.push_back(to);
  z.values.push_back(hi);
  return z;
}

void CheckBox(QPainter& p, QPointF ctr, bool checked) {
  const QRectF b(ctr.x() - 6, ctr.y() - 6, 12, 12);
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.setBrush(Qt::white);
  p.drawRect(b);
  p.setBrush(Qt::NoBrush);
  if (checked) {
    p.setPen(QPen(QColor(0, 0x60, 0), 2));
    p.drawPolyline(
        QPolygonF({QPointF(b.left() + 2.5, b.center().y()), QPointF(b.left() + 5, b.bottom() - 2.5),
                   QPointF(b.right() - 2, b.top() + 2.5)}));
  }
}

}  // namespace

QRectF TTabWidget::ZonePlotRect() const {
  const QRect view = layout_.graph;
  return QRectF(view.left() + 45, view.top() + 5, view.width() - 60, view.height() - 28);
}

double TTabWidget::ZoneLinePos(int axis, int index) const {
  if (!tab_.HasSheets() || layout_.graph.isEmpty()) return -1;
  const CSheet& s = tab_.Cur();
  const QRectF r = ZonePlotRect();
  const CAxe& a = axis == kPartX ? s.axisX : s.axisY;
  if (index < 0 || index >= a.count) return -1;
  const TZoneScale z = axis == kPartX ? ZoneEdges(a, r.left(), r.right(), graph.zoneStretch)
                                      : ZoneEdges(a, r.bottom(), r.top(), graph.zoneStretch);
  return z.edges[index + 1];
}

bool TTabWidget::ZoneLineAt(QPointF m, int& axis, int& index) const {
  const CSheet& s = tab_.Cur();
  const QRectF r = ZonePlotRect();
  if (!r.adjusted(-kLineGrip, -kLineGrip, kLineGrip, kLineGrip).contains(m)) return false;
  double best = kLineGrip;
  axis = 0;
  for (int part : {kPartX, kPartY}) {
    const CAxe& a = part == kPartX ? s.axisX : s.axisY;
    if (!a.editable || a.fixed) continue;
    for (int i = 0; i < a.count; ++i) {
      const double d = std::abs((part == kPartX ? m.x() : m.y()) - ZoneLinePos(part, i));
      if (d <= best) best = d, axis = part, index = i;
    }
  }
  return axis != 0;
}

void TTabWidget::DrawZoneChart(QPainter& p, const QRect& view) {
  const CSheet& s = tab_.Cur();
  const QRectF r = ZonePlotRect();
  const TZoneScale xs = ZoneEdges(s.axisX, r.left(), r.right(), graph.zoneStretch);
  const TZoneScale ys = ZoneEdges(s.axisY, r.bottom(), r.top(), graph.zoneStretch);  // upwards
  const bool editable = s.axisData.editable;
  const QRectF band = QRectF(band_.normalized());
  const int rows = static_cast<int>(ys.edges.size()) - 1,
            cols = static_cast<int>(xs.edges.size()) - 1;
  for (int zr = 0; zr < rows; ++zr)
    for (int zc = 0; zc < cols; ++zc) {
      const QRectF z(QPointF(xs.edges[zc], ys.edges[zr + 1]),
                     QPointF(xs.edges[zc + 1], ys.edges[zr]));
      int32_t v = s.Cell(zc, zr);
      // While the band is open the zones it touches show their toggled state.
      if (press_ == Press::ZoneBand && !band_.isNull() && band.intersects(z)) v = v == 0 ? 1 : 0;
      QColor fill = v == 1 ? QColor(0x1E, 0x7A, 0x2E) : QColor(0xEE, 0xF6, 0xE8);
      if (!editable) fill = v == 1 ? fill.lighter(140) : fill.darker(104);
      p.fillRect(z, fill);
      p.setPen(QColor(0x90, 0x90, 0x90));
      p.drawRect(z);
      if (v > 1) {
        CheckBox(p, z.center() - QPointF(0, 7), false);
        CheckBox(p, z.center() + QPointF(0, 7), true);
      } else {
        CheckBox(p, z.center(), v == 1);
      }
    }
  // The line being dragged, or the one under the mouse, stands out.
  const int lineAxis = press_ == Press::ZoneLine ? zoneLineAxis_ : zoneHoverAxis_;
  const int lineIndex = press_ == Press::ZoneLine ? zoneLineIndex_ : zoneHoverIndex_;
  if (lineAxis) {
    // A dragged line follows the mouse (with even zones its own place does not move while
    // its value changes); it settles at its zone border on release.
    const double pos = press_ == Press::ZoneLine ? zoneDragPos_ : ZoneLinePos(lineAxis, lineIndex);
    p.setPen(QPen(QColor(0xC0, 0, 0), 2));
    if (lineAxis == kPartX)
      p.drawLine(QPointF(pos, r.top()), QPointF(pos, r.bottom()));
    else
      p.drawLine(QPointF(r.left(), pos), QPointF(r.right(), pos));
  }
  p.setPen(Qt::black);
  QFont f = p.font();
  f.setPointSize(7);
  p.setFont(f);
  for (int i = 0; i < s.axisX.count; ++i) {
    const QString t = Qs(FormatValue(s.axisX.values[i], s.axisX.scale));
    p.drawText(QRectF(xs.edges[i + 1] - 30, r.bottom() + 2, 60, 14), Qt::AlignCenter, t);
  }
  for (int i = 0; i < s.axisY.count; ++i) {
    const QString t = Qs(FormatValue(s.axisY.values[i], s.axisY.scale, s.axisY.unit));
    p.drawText(QRectF(view.left(), ys.edges[i + 1] - 7, 42, 14), Qt::AlignRight | Qt::AlignVCenter,
               t);
  }
  p.drawText(QPointF(r.right() - 30, r.bottom() + 24), Qs(MapeditText(s.axisX.label)));
  if (press_ == Press::ZoneBand && !band_.isNull()) {
    p.setPen(QPen(Qt::red, 1));
    p.drawRect(band);
  }
}

void TTabWidget::ZoneToggle(const QRect& band) {
  CSheet& s = tab_.Cur();
  if (!s.axisData.editable) return;
  const QRectF r = ZonePlotRect();
  const TZoneScale xs = ZoneEdges(s.axisX, r.left(), r.right(), graph.zoneStretch);
  const TZoneScale ys = ZoneEdges(s.axisY, r.bottom(), r.top(), graph.zoneStretch);
  bool any = false;
  for (int zr = 0; zr + 1 < static_cast<int>(ys.edges.size()); ++zr)
    for (int zc = 0; zc + 1 < static_cast<int>(xs.edges.size()); ++zc) {
      const QRectF z(QPointF(xs.edges[zc], ys.edges[zr + 1]),
                     QPointF(xs.edges[zc + 1], ys.edges[zr]));
      if (!QRectF(band).adjusted(0, 0, 1, 1).intersects(z)) continue;
      s.Cell(zc, zr) = s.Cell(zc, zr) == 0 ? 1 : 0;
      any = true;
    }
  if (any) tab_.CommitEdit(kPartCells, kKeyNow);
}

// ---- zone chart mouse ----

void TTabWidget::ZonePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint m = e->position().toPoint();
  int axis = 0, index = 0;
  if (ZoneLineAt(m, axis, index)) {
    // A line drag is one structural edit, like a 2D point drag. The value scale is taken
    // at the press, so the line follows the mouse even when the outer zones change width.
    const CSheet& s = tab_.Cur();
    const QRectF r = ZonePlotRect();
    zoneDragScale_ = axis == kPartX ? ZoneEdges(s.axisX, r.left(), r.right(), graph.zoneStretch)
                                    : ZoneEdges(s.axisY, r.bottom(), r.top(), graph.zoneStretch);
    zoneLineAxis_ = axis;
    zoneLineIndex_ = index;
    graph.dragging = true;
    dragParts_ = axis;
    tab_.CommitEdit(0, kKeyBegin);
    press_ = Press::ZoneLine;
    ZoneMove(e);
    return;
  }
  band_ = QRect(m, m);
  press_ = Press::ZoneBand;
  update();
}

void TTabWidget::ZoneMove(QMouseEvent* e) {
  const QPointF m = e->position();
  CSheet& s = tab_.Cur();
  std::string hint;
  int axis = 0, index = 0;
  if (press_ == Press::ZoneBand) {
    band_.setBottomRight(m.toPoint());
  } else if (press_ == Press::ZoneLine) {
    axis = zoneLineAxis_;
    index = zoneLineIndex_;
    CAxe& a = axis == kPartX ? s.axisX : s.axisY;
    const QRectF r = ZonePlotRect();
    zoneDragPos_ = axis == kPartX ? std::clamp(m.x(), r.left(), r.right())
                                  : std::clamp(m.y(), r.top(), r.bottom());
    const double raw = zoneDragScale_.ValueAt(zoneDragPos_);
    const int32_t to =
        static_cast<int32_t>(std::lround(std::clamp(raw, double(a.minValue), double(a.maxValue))));
    if (to != a.values[index]) {
      a.values[index] = to;
      tab_.CommitEdit(axis, kKeyBegin);  // normalised at once: the neighbours are pushed
    }
  } else if (!ZoneLineAt(m, axis, index)) {
    axis = 0;
  }
  if (press_ != Press::ZoneLine) zoneHoverAxis_ = axis, zoneHoverIndex_ = index;
  if (axis) {
    const CAxe& a = axis == kPartX ? s.axisX : s.axisY;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s = %s", MapeditText(a.label).c_str(),
                  FormatValue(a.values[index], a.scale, a.unit).c_str());
    hint = buf;
    if (press_ == Press::ZoneLine) hint = std::string(LangText(tab_text::kDragging)) + " " + hint;
    setCursor(axis == kPartX ? Qt::SplitHCursor : Qt::SplitVCursor);
  } else {
    setCursor(Qt::ArrowCursor);
  }
  graph.hint = hint;
  SetHint(Qs(hint));
  update();
}

void TTabWidget::ZoneRelease() {
  if (press_ == Press::ZoneBand) ZoneToggle(band_.normalized());
  band_ = QRect();
  EndGraphDrag();
}

}  // namespace zeda
