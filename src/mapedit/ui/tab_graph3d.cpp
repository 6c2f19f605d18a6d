// The 3D surface. Main thread only.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"
#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/ui/plot2d.h"
#include "mapedit/ui/surface3d.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda {
namespace {

struct Vertex {
  QPointF p;
  double index;  // palette position 0 ... 61
};

QColor PaletteColour(double index) {
  const int i = std::clamp(static_cast<int>(std::floor(index + 0.5)), 0, kPaletteSize - 1);
  const Rgb c = HeightPalette()[i];
  return QColor(c.r, c.g, c.b);
}

// Fills a triangle with its mean height colour, split by the edge midpoints up to `grain`
// levels while neighbouring corners differ by more than half a palette step.
void FillGrained(QPainter& p, const Vertex& a, const Vertex& b, const Vertex& c, int grain) {
  const bool differ = std::abs(a.index - b.index) > 0.5 || std::abs(b.index - c.index) > 0.5 ||
                      std::abs(c.index - a.index) > 0.5;
  if (grain <= 0 || !differ) {
    const QColor col = PaletteColour((a.index + b.index + c.index) / 3);
    p.setBrush(col);
    const QPointF pts[3] = {a.p, b.p, c.p};
    p.drawConvexPolygon(pts, 3);
    return;
  }
  auto mid = [](const Vertex& u, const Vertex& v) {
    return Vertex{(u.p + v.p) / 2, (u.index + v.index) / 2};
  };
  const Vertex ab = mid(a, b), bc = mid(b, c), ca = mid(c, a);
  FillGrained(p, a, ab, ca, grain - 1);
  FillGrained(p, ab, b, bc, grain - 1);
  FillGrained(p, ca, bc, c, grain - 1);
  FillGrained(p, ab, bc, ca, grain - 1);
}

}  // namespace

void TTabWidget::Draw3D(QPainter& p, const QRect& view) {
  const CSheet& s = tab_.Cur();
  const TPlot2D plot = MakePlot2D(tab_, view);
  if (plot.hCount <= 0 || plot.families.empty()) return;
  const CAxe& hAxis = plot.HAxis(s);
  const CAxe& fAxis = plot.FAxis(s);
  const CAxe& dAxis = s.axisData;
  // Ranges: horizontal as the 2D graph; the family over its breakpoints; the data over the
  // axis limits when its option bit 1 is set, else over the cells.
  const double hlo = plot.h.lo, hhi = plot.h.hi;
  auto fPos = [&](int j) { return fAxis.proportional ? double(fAxis.values[j]) : double(j); };
  // The family range is padded and rounded like the horizontal one; a single curve (one
  // axis fixed) stands in the middle of a unit depth.
  double flo = plot.f.lo, fhi = plot.f.hi;
  if (plot.families.size() == 1) {
    flo = fPos(plot.families.front()) - 1;
    fhi = fPos(plot.families.front()) + 1;
  }
  if (fhi - flo < 1e-9) flo -= 1, fhi += 1;
  double vlo, vhi;
  if (dAxis.options & 2) {
    vlo = dAxis.minValue;
    vhi = dAxis.maxValue;
  } else {
    vlo = 1e300, vhi = -1e300;
    for (int f : plot.families)
      for (int i = 0; i < plot.hCount; ++i) {
        const double v = s.Cell(plot.Col(i, f), plot.Row(i, f));
        vlo = std::min(vlo, v), vhi = std::max(vhi, v);
      }
  }
  if (vhi - vlo < 1e-9) vlo -= 1, vhi += 1;
  const double plotW = view.width() - graph.panelWidth - 20, plotH = view.height() - 20;
  if (plotW < 10 || plotH < 10) return;
  const TProjection t =
      MakeProjection(graph.angleX, graph.angleXY, graph.angleXYZ, view.left(), view.bottom(),
                     graph.panelWidth, plotW, plotH, hhi - hlo, vhi - vlo, fhi - flo);
  const int nh = plot.hCount, nf = static_cast<int>(plot.families.size());
  std::vector<Vertex> grid(nh * nf);
  std::vector<double> depth(nh * nf);
  auto at = [&](int i, int j) -> Vertex& { return grid[j * nh + i]; };
  for (int j = 0; j < nf; ++j)
    for (int i = 0; i < nh; ++i) {
      const double h = plot.HPos(s, i) - hlo,
                   v = s.Cell(plot.Col(i, plot.families[j]), plot.Row(i, plot.families[j])) - vlo,
                   d = fPos(plot.families[j]) - flo;
      at(i, j) = {QPointF(t.X(h, v, d), t.Y(h, v, d)), std::clamp(v / (vhi - vlo) * 61, 0.0, 61.0)};
      depth[j * nh + i] = t.Depth(h, v, d);
    }
  p.save();
  p.setClipRect(QRect(view.left() + graph.panelWidth, view.top(), view.width() - graph.panelWidth,
                      view.height()));
  p.setRenderHint(QPainter::Antialiasing, false);
  // Axes from the origin to the end of each range; their label boxes are drawn after the
  // surface, so that it never hides them, and kept inside the plot.
  QFont small = p.font();
  small.setPointSize(7);
  p.setFont(small);
  const struct {
    double h, v, d;
    std::string label;
  } axes[] = {{hhi - hlo, 0, 0, MapeditText(hAxis.label)},
              {0, vhi - vlo, 0, MapeditText(dAxis.label)},
              {0, 0, fhi - flo, MapeditText(fAxis.label)}};
  const QPointF origin(t.X(0, 0, 0), t.Y(0, 0, 0));
  const QRectF plotArea(view.left() + graph.panelWidth, view.top(), view.width() - graph.panelWidth,
                        view.height());
  std::vector<std::pair<QRectF, QString>> labelBoxes;
  for (const auto& a : axes) {
    if (nf == 1 && a.d > 0) continue;
    const QPointF end(t.X(a.h, a.v, a.d), t.Y(a.h, a.v, a.d));
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.drawLine(origin, end);
    const QString text = Qs(a.label);
    if (text.isEmpty()) continue;
    const double w = std::max(32, p.fontMetrics().horizontalAdvance(text) + 4);
    const double x = std::clamp(end.x() - w / 2, plotArea.left() + 1, plotArea.right() - w - 1);
    const double y = std::clamp(end.y() - 8, plotArea.top() + 1, plotArea.bottom() - 17);
    labelBoxes.emplace_back(QRectF(x, y, w, 16), text);
  }
  // Surface, far quads first.
  const int mode = graph.colourMode;
  const int grain = mode >= 2 ? mode - 2 : 0;
  if (nh >= 2 && nf >= 2) {
    const bool hFar = t.f[0] > 0, fFar = t.f[2] > 0;  // greater depth lies farther away
    for (int jj = 0; jj < nf - 1; ++jj) {
      const int j = fFar ? nf - 2 - jj : jj;
      for (int ii = 0; ii < nh - 1; ++ii) {
        const int i = hFar ? nh - 2 - ii : ii;
        const Vertex& a = at(i, j);
        const Vertex& b = at(i + 1, j);
        const Vertex& c = at(i + 1, j + 1);
        const Vertex& d = at(i, j + 1);
        const Vertex m{(a.p + b.p + c.p + d.p) / 4, (a.index + b.index + c.index + d.index) / 4};
        const Vertex* tris[4][2] = {{&a, &b}, {&b, &c}, {&c, &d}, {&d, &a}};
        // Within the quad, the farther triangles first as well.
        int order[4] = {0, 1, 2, 3};
        double tdepth[4];
        const double cd = (depth[j * nh + i] + depth[j * nh + i + 1] + depth[(j + 1) * nh + i + 1] +
                           depth[(j + 1) * nh + i]) /
                          4;
        const double cornerDepth[4] = {depth[j * nh + i], depth[j * nh + i + 1],
                                       depth[(j + 1) * nh + i + 1], depth[(j + 1) * nh + i]};
        for (int t = 0; t < 4; ++t) tdepth[t] = cornerDepth[t] + cornerDepth[(t + 1) % 4] + cd;
        std::sort(order, order + 4, [&](int x, int y) { return tdepth[x] > tdepth[y]; });
        for (int t : order) {
          const Vertex& u = *tris[t][0];
          const Vertex& v = *tris[t][1];
          const double cross =
              (v.p.x() - u.p.x()) * (m.p.y() - u.p.y()) - (v.p.y() - u.p.y()) * (m.p.x() - u.p.x());
          const bool front = cross > 0;
          const QPointF pts[3] = {u.p, v.p, m.p};
          if (mode > 0) {
            if (!front) {
              p.setBrush(QColor(0xA0, 0xA0, 0xA0));
              p.setPen(Qt::NoPen);
              p.drawConvexPolygon(pts, 3);
            } else if (mode == 1) {
              p.setBrush(QColor(0xA8, 0xD8, 0xFF));
              p.setPen(Qt::NoPen);
              p.drawConvexPolygon(pts, 3);
            } else {
              p.setPen(Qt::NoPen);
              FillGrained(p, u, v, m, grain);
            }
          }
          p.setBrush(Qt::NoBrush);
          p.setPen(QPen(mode == 0 ? QColor(Qt::black) : QColor(Qt::white), 0));
          p.drawLine(u.p, v.p);
        }
      }
    }
  } else {
    // One axis fixed: the single curve in space.
    QPolygonF line;
    for (const Vertex& v : grid) line << v.p;
    p.setPen(QPen(QColor(0xC0, 0, 0), 2));
    p.drawPolyline(line);
  }
  p.setFont(small);
  for (const auto& [box, text] : labelBoxes) {
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.setBrush(QColor(0xF0, 0xF0, 0xF0));
    p.drawRoundedRect(box, 4, 4);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignCenter, text);
  }
  // Value labels and the operating point.
  auto isExtreme = [&](int i, int j) {
    const int32_t v = s.Cell(plot.Col(i, plot.families[j]), plot.Row(i, plot.families[j]));
    bool below = true, above = true, any = false;
    auto cmp = [&](int i2, int j2) {
      if (i2 < 0 || j2 < 0 || i2 >= nh || j2 >= nf) return;
      any = true;
      const int32_t w = s.Cell(plot.Col(i2, plot.families[j2]), plot.Row(i2, plot.families[j2]));
      below &= v < w;
      above &= v > w;
    };
    cmp(i - 1, j), cmp(i + 1, j), cmp(i, j - 1), cmp(i, j + 1);
    return any && (below || above);
  };
  QFont lf = p.font();
  lf.setPointSize(graph.valueLabels <= 2 ? 9 : 7);
  p.setFont(lf);
  const bool live =
      (s.flags & kSheetTrackLive) && s.actualState > 0 && s.actualCol >= 0 && s.actualRow >= 0;
  for (int j = 0; j < nf; ++j)
    for (int i = 0; i < nh; ++i) {
      const int c = plot.Col(i, plot.families[j]), r = plot.Row(i, plot.families[j]);
      const bool isLive = live && c == s.actualCol && r == s.actualRow;
      bool show = false;
      switch (graph.valueLabels) {
        case 1:
          show = isLive;
          break;
        case 2:
          show = isLive || (s.sel.Cell(c, r) & kMarkCorner) ||
                 ((s.sel.Cell(c, r) & kMarkSelected) && s.sel.count < 5) || isExtreme(i, j);
          break;
        case 3:
          show = true;
          break;
        default:
          break;
      }
      const QPointF pt = at(i, j).p;
      if (isLive) {
        p.setPen(QPen(LiveColour(s), 2));
        p.drawEllipse(pt, 5, 5);
      }
      if (show) {
        const QString t = Qs(FormatValue(s.Cell(c, r), dAxis.scale));
        p.setPen(Qt::black);
        p.drawText(pt + QPointF(3, -3), t);
        p.setPen(Qt::white);
        p.drawText(pt + QPointF(2, -4), t);
      }
    }
  p.restore();
  // The left panel: angles and the value scale with the operating point's value.
  p.save();
  QFont pf = p.font();
  pf.setPointSize(8);
  p.setFont(pf);
  p.setPen(Qt::black);
  char buf[96];
  std::snprintf(buf, sizeof buf, "X:%i\u00b0  XY:%i\u00b0  XYZ:%i\u00b0", graph.angleX * 5,
                graph.angleXY * 5, graph.angleXYZ * 5);
  p.drawText(QRect(view.left(), view.top() + 45, graph.panelWidth, 16), Qt::AlignCenter,
             QString::fromUtf8(buf));
  const QRect scale(view.left() + 20, view.top() + 70, 14, std::max(20, view.height() - 90));
  for (int y = 0; y < scale.height(); ++y)
    p.fillRect(QRect(scale.left(), scale.bottom() - y, scale.width(), 1),
               PaletteColour(61.0 * y / std::max(1, scale.height() - 1)));
  p.setPen(QColor(0x50, 0x50, 0x50));
  p.drawRect(scale.adjusted(0, 0, -1, -1));
  p.drawText(QPoint(scale.right() + 4, scale.bottom()),
             Qs(FormatValue(static_cast<int>(vlo), dAxis.scale, dAxis.unit)));
  p.drawText(QPoint(scale.right() + 4, scale.top() + 8),
             Qs(FormatValue(static_cast<int>(vhi), dAxis.scale, dAxis.unit)));
  if (live) {
    const int32_t v = s.Cell(s.actualCol, s.actualRow);
    const double y = scale.bottom() - (v - vlo) / (vhi - vlo) * scale.height();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(LiveColour(s));
    p.setPen(Qt::black);
    p.drawPolygon(QPolygonF({QPointF(scale.left() - 1, y), QPointF(scale.left() - 9, y - 5),
                             QPointF(scale.left() - 9, y + 5)}));
    p.drawText(QPointF(scale.right() + 4, y + 4), Qs(FormatValue(v, dAxis.scale, dAxis.unit)));
  }
  p.restore();
}

}  // namespace zeda
