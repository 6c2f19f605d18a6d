#pragma once
// The strip chart under the player: engine speed, advance and load over the recording's
// time, drawn with QPainter, with the played position as a cursor the user can drag. Each
// curve has its own scale (StripRangeOf), shown in the legend.
// User-interface thread only.
#include <QWidget>

#include "monitor/strip_series.h"

class StripChart : public QWidget {
  Q_OBJECT

 public:
  explicit StripChart(QWidget* parent = nullptr);
  void SetSeries(zeda::StripSeries series);
  void SetCursorTime(uint32_t timeMs);
  const zeda::StripSeries& Series() const { return series_; }
  // A curve's legend with its scale ("RPM 4500..5500").
  static QString LegendText(const char* name, const zeda::StripRange& range);

 Q_SIGNALS:
  // The user dragged the cursor to the record at this player position.
  void PositionDragged(int position);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  void DragTo(int x);
  uint32_t TimeAtX(int x) const;

  zeda::StripSeries series_;
  uint32_t cursorMs_ = 0;
};
