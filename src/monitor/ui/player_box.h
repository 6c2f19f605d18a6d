#pragma once
// The player group box GroupBoxPlayer ("Monitor player"): Record, Play, Pause and Stop,
// the position bar ScrollBarPlay and the labels LabelPlayPos, LabelPlayFile and
// LabelPlayDevice. It shows PlayerControls and reports the user's clicks and bar moves;
// the program's own bar updates are not reported.
//
// User-interface thread only.
#include <QGroupBox>

#include "monitor/monitor_player.h"

class QLabel;
class QScrollBar;
class QToolButton;
class StripChart;

class PlayerBox : public QGroupBox {
  Q_OBJECT

 public:
  explicit PlayerBox(QWidget* parent = nullptr);
  void Show(const zeda::PlayerControls& controls);
  // The recording being played, for the strip chart; the cursor follows Show.
  void SetRecording(const zeda::IgnlogFile* file);
  StripChart* Chart() const { return chart_; }

  enum Button : int { kRecord = 1, kPlay = 2, kPause = 3, kStop = 4 };

 Q_SIGNALS:
  void ButtonClicked(int button);
  void PositionMoved(int position);
  void ExportClicked();

 private:
  QToolButton* buttons_[4] = {};
  QToolButton* export_ = nullptr;
  QScrollBar* ScrollBarPlay = nullptr;
  QLabel* LabelPlayPos = nullptr;
  QLabel* LabelPlayFile = nullptr;
  QLabel* LabelPlayDevice = nullptr;
  StripChart* chart_ = nullptr;
  const zeda::IgnlogFile* file_ = nullptr;
  bool guard_ = false;  // the program moves the bar
};
