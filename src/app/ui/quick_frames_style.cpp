#include "app/ui/quick_frames_style.h"

#include <QGroupBox>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace zeda {
namespace {

// The sizes a frame is probed at: wide enough for a title line above the frame and a
// uniform middle to check, and unlike each other, so a feature placed by the frame's size
// (a centred gap, a gradient) shows as a difference between the two.
constexpr QSize kProbeSizes[2] = {{160, 160}, {208, 184}};
// The raster engine splits a fill of 96 rows or more over its thread pool; bands of 64
// rows stay on this thread, where such a plain fill is cheaper than the hand-over.
constexpr int kBandRows = 64;
// The uniform middle of a probe must be at least this wide and tall, or it proves nothing.
constexpr int kMinMiddle = 16;

void FillBanded(QPainter* p, const QRect& r, QRgb colour) {
  if (qAlpha(colour) == 0 || r.isEmpty()) return;
  // The probe holds premultiplied pixels; a fill colour is a plain one.
  const QColor c = QColor::fromRgba(qUnpremultiply(colour));
  for (int y = r.top(); y <= r.bottom(); y += kBandRows)
    p->fillRect(QRect(r.left(), y, r.width(), qMin(kBandRows, r.bottom() + 1 - y)), c);
}

// Row y of `image` is `colour` from column x0 up to (not including) x1.
bool RowIs(const QImage& image, int y, int x0, int x1, QRgb colour) {
  const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
  for (int x = x0; x < x1; ++x)
    if (line[x] != colour) return false;
  return true;
}

bool ColumnIs(const QImage& image, int x, int y0, int y1, QRgb colour) {
  for (int y = y0; y < y1; ++y)
    if (reinterpret_cast<const QRgb*>(image.constScanLine(y))[x] != colour) return false;
  return true;
}

// What besides the size changes how the style draws `element` (the cache key).
QString KeyOf(QStyle::PrimitiveElement element, const QStyleOption* o, const QWidget* widget) {
  QString key = QString::asprintf("%d/%d/%d/%d/%lld/%d/%d", int(element), o->type, o->version,
                                  int(o->state), static_cast<long long>(o->palette.cacheKey()),
                                  int(o->direction), o->fontMetrics.height());
  if (const auto* f = qstyleoption_cast<const QStyleOptionFrame*>(o))
    key += QString::asprintf("/f%d/%d/%d/%d", int(f->features), f->lineWidth, f->midLineWidth,
                             int(f->frameShape));
  if (const auto* t = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(o))
    key += QString::asprintf("/t%d/%d/%d/%d/%d/%d/%d", int(t->shape), t->lineWidth, t->midLineWidth,
                             t->tabBarSize.width(), t->tabBarSize.height(),
                             t->leftCornerWidgetSize.width(), t->rightCornerWidgetSize.width());
  if (const auto* g = qobject_cast<const QGroupBox*>(widget))
    key += QString::asprintf("/g%d/%d/%d", g->title().isEmpty(), g->isCheckable(), g->isFlat());
  return key;
}

// `o` at probe size, drawn by `style` onto a transparent picture.
template <class Option>
QImage Probe(const QStyle* style, QStyle::PrimitiveElement element, const Option& o,
             const QWidget* widget, QSize size) {
  Option copy(o);
  copy.rect = QRect(QPoint(0, 0), size);
  QImage probe(size, QImage::Format_ARGB32_Premultiplied);
  probe.fill(Qt::transparent);
  QPainter p(&probe);
  style->drawPrimitive(element, &copy, &p, widget);
  p.end();
  return probe;
}

}  // namespace

QuickFramesStyle::QuickFramesStyle(const QString& key) : QProxyStyle(key) {
  // Only Fusion's frames are known to be nine-part pictures drawn with plain blending;
  // the probe check below still guards every frame.
  fusion_ = baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

bool QuickFramesStyle::Quick(PrimitiveElement element) const {
  return fusion_ && (element == PE_FrameGroupBox || element == PE_FrameTabWidget);
}

QuickFramesStyle::Pieces QuickFramesStyle::Analyse(const QImage& probe) {
  Pieces p;
  p.probe = probe.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage& img = p.probe;
  const int w = img.width(), h = img.height();
  if (w < 2 * kMinMiddle || h < 2 * kMinMiddle) return p;
  const int cx = w / 2, cy = h / 2;
  const QRgb middle = reinterpret_cast<const QRgb*>(img.constScanLine(cy))[cx];
  // The middle's extent along the centre lines.
  int top = cy, bottom = cy + 1, left = cx, right = cx + 1;
  while (top > 0 && ColumnIs(img, cx, top - 1, top, middle)) --top;
  while (bottom < h && ColumnIs(img, cx, bottom, bottom + 1, middle)) ++bottom;
  while (left > 0 && RowIs(img, cy, left - 1, left, middle)) --left;
  while (right < w && RowIs(img, cy, right, right + 1, middle)) ++right;
  if (right - left < kMinMiddle || bottom - top < kMinMiddle) return p;
  // The corners reach as far as some edge line is not yet uniform (a rounded corner is
  // wider than the side line it ends).
  auto px = [&img](int x, int y) { return reinterpret_cast<const QRgb*>(img.constScanLine(y))[x]; };
  for (int pass = 0; pass < 4; ++pass) {
    bool grown = false;
    auto rowBand = [&](int y) {
      const QRgb c = px(cx, y);
      int x0 = cx, x1 = cx + 1;
      while (x0 > 0 && px(x0 - 1, y) == c) --x0;
      while (x1 < w && px(x1, y) == c) ++x1;
      if (x0 > left) left = x0, grown = true;
      if (x1 < right) right = x1, grown = true;
    };
    auto columnBand = [&](int x) {
      const QRgb c = px(x, cy);
      int y0 = cy, y1 = cy + 1;
      while (y0 > 0 && px(x, y0 - 1) == c) --y0;
      while (y1 < h && px(x, y1) == c) ++y1;
      if (y0 > top) top = y0, grown = true;
      if (y1 < bottom) bottom = y1, grown = true;
    };
    for (int y = 0; y < top; ++y) rowBand(y);
    for (int y = bottom; y < h; ++y) rowBand(y);
    for (int x = 0; x < left; ++x) columnBand(x);
    for (int x = right; x < w; ++x) columnBand(x);
    if (!grown) break;
  }
  p.left = left;
  p.top = top;
  p.right = w - right;
  p.bottom = h - bottom;
  if (right - left < kMinMiddle || bottom - top < kMinMiddle) return p;
  // The whole middle is one colour.
  for (int y = top; y < bottom; ++y)
    if (!RowIs(img, y, left, right, middle)) return p;
  // Each row of the top and bottom edges is uniform along the edge, each column of the
  // side edges along the side.
  for (int y = 0; y < h; ++y) {
    if (y == top) y = bottom;
    if (y >= h) break;
    const QRgb c = reinterpret_cast<const QRgb*>(img.constScanLine(y))[left];
    if (!RowIs(img, y, left, right, c)) return p;
  }
  for (int x = 0; x < w; ++x) {
    if (x == left) x = right;
    if (x >= w) break;
    const QRgb c = reinterpret_cast<const QRgb*>(img.constScanLine(top))[x];
    if (!ColumnIs(img, x, top, bottom, c)) return p;
  }
  p.nineParts = true;
  return p;
}

bool QuickFramesStyle::SameParts(const Pieces& a, const Pieces& b) {
  if (!a.nineParts || !b.nineParts || a.left != b.left || a.top != b.top || a.right != b.right ||
      a.bottom != b.bottom)
    return false;
  // Each corner with the edge lines and the middle beside it: each probe's edges and
  // middle are uniform, so equal corners with one more row and column mean equal pieces.
  const QImage& x = a.probe;
  const QImage& y = b.probe;
  const int l = a.left + 1, t = a.top + 1, r = a.right + 1, bt = a.bottom + 1;
  auto same = [&](int ax, int ay, int bx, int by, int w, int h) {
    return x.copy(ax, ay, w, h) == y.copy(bx, by, w, h);
  };
  const int xw = x.width(), xh = x.height(), yw = y.width(), yh = y.height();
  return same(0, 0, 0, 0, l, t) && same(xw - r, 0, yw - r, 0, r, t) &&
         same(0, xh - bt, 0, yh - bt, l, bt) && same(xw - r, xh - bt, yw - r, yh - bt, r, bt);
}

const QuickFramesStyle::Pieces& QuickFramesStyle::PiecesFor(PrimitiveElement element,
                                                            const QStyleOption* option,
                                                            const QWidget* widget) const {
  const QString key = KeyOf(element, option, widget);
  auto it = pieces_.constFind(key);
  if (it != pieces_.constEnd()) return *it;
  Pieces found[2];
  for (int i = 0; i < 2; ++i) {
    QImage probe;
    if (const auto* t = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(option))
      probe = Probe(baseStyle(), element, *t, widget, kProbeSizes[i]);
    else if (const auto* f = qstyleoption_cast<const QStyleOptionFrame*>(option))
      probe = Probe(baseStyle(), element, *f, widget, kProbeSizes[i]);
    if (!probe.isNull()) found[i] = Analyse(probe);
  }
  if (!SameParts(found[0], found[1])) found[0].nineParts = false;
  // Palettes come and go with colour changes; a few hundred probes are a few megabytes.
  if (pieces_.size() > 256) pieces_.clear();
  return *pieces_.insert(key, found[0]);
}

void QuickFramesStyle::DrawFromPieces(const Pieces& pc, const QRect& r, QPainter* p) const {
  const QImage& img = pc.probe;
  const int side = img.width(), high = img.height();
  const int l = pc.left, t = pc.top, rt = pc.right, b = pc.bottom;
  const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
  auto pixel = [&img](int px, int py) {
    return reinterpret_cast<const QRgb*>(img.constScanLine(py))[px];
  };
  // Corners, as drawn.
  p->drawImage(QRect(x, y, l, t), img, QRect(0, 0, l, t));
  p->drawImage(QRect(x + w - rt, y, rt, t), img, QRect(side - rt, 0, rt, t));
  p->drawImage(QRect(x, y + h - b, l, b), img, QRect(0, high - b, l, b));
  p->drawImage(QRect(x + w - rt, y + h - b, rt, b), img, QRect(side - rt, high - b, rt, b));
  // Edge lines of one colour each; neighbouring lines of the same colour in one fill.
  auto rows = [&](int from, int count, int targetY) {
    for (int i = 0; i < count;) {
      const QRgb c = pixel(l, from + i);
      int n = 1;
      while (i + n < count && pixel(l, from + i + n) == c) ++n;
      FillBanded(p, QRect(x + l, targetY + i, w - l - rt, n), c);
      i += n;
    }
  };
  auto columns = [&](int from, int count, int targetX) {
    for (int i = 0; i < count;) {
      const QRgb c = pixel(from + i, t);
      int n = 1;
      while (i + n < count && pixel(from + i + n, t) == c) ++n;
      FillBanded(p, QRect(targetX + i, y + t, n, h - t - b), c);
      i += n;
    }
  };
  rows(0, t, y);
  rows(high - b, b, y + h - b);
  columns(0, l, x);
  columns(side - rt, rt, x + w - rt);
  FillBanded(p, QRect(x + l, y + t, w - l - rt, h - t - b), pixel(l, t));
}

void QuickFramesStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
  if (Quick(element) && option && painter &&
      painter->transform().type() <= QTransform::TxTranslate && painter->device() &&
      painter->device()->devicePixelRatio() == 1.0 && painter->paintEngine() &&
      painter->paintEngine()->type() == QPaintEngine::Raster &&
      painter->compositionMode() == QPainter::CompositionMode_SourceOver &&
      painter->opacity() == 1.0) {
    const Pieces& pc = PiecesFor(element, option, widget);
    const QRect& r = option->rect;
    if (pc.nineParts && r.width() > pc.left + pc.right && r.height() > pc.top + pc.bottom) {
      ++quickFrames_;
      DrawFromPieces(pc, r, painter);
      return;
    }
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

}  // namespace zeda
