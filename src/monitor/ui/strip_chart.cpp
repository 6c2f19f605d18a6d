#include "monitor/ui/strip_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

struct Trace {
  const char* name;
  QColor colour;
  int32_t zeda::StripPoint::*value;
  int32_t zeda::StripSeries::*minimum;
  int32_t zeda::StripSeries::*maximum;
};
const Trace kTraces[] = {
    {"RPM", QColor(200, 0, 0), &zeda::StripPoint::rpm, &zeda::StripSeries::minRpm,
     &zeda::StripSeries::maxRpm},
    {"Advance", QColor(0, 120, 0), &zeda::StripPoint::advance, &zeda::StripSeries::minAdvance,
     &zeda::StripSeries::maxAdvance},
    {"Load", QColor(0, 0, 200), &zeda::StripPoint::load, &zeda::StripSeries::minLoad,
     &zeda::StripSeries::maxLoad},
};

}  // namespace

QString StripChart::LegendText(const char* name, const zeda::StripRange& range) {
  return QStringLiteral("%1 %2..%3").arg(QString::fromLatin1(name)).arg(range.low).arg(range.high);
}

StripChart::StripChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PlayerStripChart"));
  setMinimumHeight(90);
  setToolTip(QStringLiteral("Engine speed (red), advance (green) and load (blue); drag to move"));
}

void StripChart::SetSeries(zeda::StripSeries series) {
  series_ = std::move(series);
  cursorMs_ = 0;
  update();
}

void StripChart::SetCursorTime(uint32_t timeMs) {
  if (timeMs == cursorMs_) return;
  cursorMs_ = timeMs;
  update();
}

uint32_t StripChart::TimeAtX(int x) const {
  const int w = std::max(width() - 1, 1);
  const double share = std::clamp(static_cast<double>(x) / w, 0.0, 1.0);
  return static_cast<uint32_t>(share * series_.durationMs);
}

void StripChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  if (series_.points.empty() || series_.durationMs == 0) return;
  const double w = width() - 1, h = height() - 2;
  p.setRenderHint(QPainter::Antialiasing);
  int legendX = 4;
  for (const Trace& t : kTraces) {
    const zeda::StripRange range = zeda::StripRangeOf(series_.*t.minimum, series_.*t.maximum);
    const double span = static_cast<double>(range.high) - range.low;
    QPainterPath path;
    bool first = true;
    for (const zeda::StripPoint& pt : series_.points) {
      const double share = std::clamp((pt.*t.value - range.low) / span, 0.0, 1.0);
      const QPointF at(pt.timeMs * w / series_.durationMs, 1 + h - share * h);
      if (first)
        path.moveTo(at);
      else
        path.lineTo(at);
      first = false;
    }
    p.setPen(QPen(t.colour, 1.5));
    p.drawPath(path);
    // The legend carries each curve's scale: the values at the bottom and the top edge.
    const QString legend = LegendText(t.name, range);
    p.drawText(legendX, 12, legend);
    legendX += p.fontMetrics().horizontalAdvance(legend) + 10;
  }
  const double x = static_cast<double>(cursorMs_) * w / series_.durationMs;
  p.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DashLine));
  p.drawLine(QPointF(x, 0), QPointF(x, height()));
}

void StripChart::DragTo(int x) {
  if (series_.points.empty()) return;
  const uint32_t t = TimeAtX(x);
  SetCursorTime(t);
  Q_EMIT PositionDragged(zeda::PositionAtTime(series_, t));
}

void StripChart::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) DragTo(e->position().toPoint().x());
}

void StripChart::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) DragTo(e->position().toPoint().x());
}
