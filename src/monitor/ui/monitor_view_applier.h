#pragma once
// Copies a MonitorView into the window's monitor controls: every label, button caption and
// gauge whose objectName is one of the view's names, wherever it sits under the root (the
// monitor strip, the pages). Controls built later are found on a later Apply. Colours are
// set only when they change, so a refresh that changes nothing costs little.
//
// User-interface thread only.
#include <QPointer>
#include <array>

#include "monitor/monitor_display.h"

class QWidget;
class QProgressBar;

class MonitorViewApplier {
 public:
  explicit MonitorViewApplier(QWidget* root) : root_(root) {}
  void Apply(const zeda::MonitorView& view);
  // Controls were built under the root (the parameter pages): the next Apply looks for the
  // ones still missing at once, not at its next periodic search.
  void ControlsBuilt() { missing_ = -1; }

 private:
  void Find();

  QWidget* root_;
  std::array<QPointer<QWidget>, zeda::kMonLabelCount> labels_{};
  std::array<QPointer<QProgressBar>, zeda::kMonGaugeCount> gauges_{};
  QPointer<QWidget> accBelow_, accOver_;
  std::array<zeda::LabelView, zeda::kMonLabelCount> shown_{};
  std::array<bool, zeda::kMonLabelCount> applied_{};
  int missing_ = -1;  // controls not found at the last search (-1: never searched)
  int applies_ = 0;
};

// The program's colour (0x00BBGGRR, or the button face) as a QColor.
QColor MonitorQColor(zeda::Colour c, const QPalette& palette);
