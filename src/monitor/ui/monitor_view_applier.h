#pragma once
// Copies a MonitorView into the window's monitor controls: every label, button caption and
// gauge whose objectName is one of the view's names, wherever it sits under the root (the
// monitor strip, the pages), and the Prop sign boxes (CheckBoxPropMon1-5) the display reads.
//
// Controls are looked up once in one walk of the window: when the applier is made (the
// strip) and when ControlsBuilt() says the pages exist. A refresh never searches; a control
// deleted since is skipped. The applier remembers what it last showed in each control and
// writes only what changed, so a refresh that changes nothing costs little; Reset() forgets
// that, for when something else wrote the controls (a language switch's captions).
//
// User-interface thread only.
#include <QAbstractButton>
#include <QPointer>
#include <QProgressBar>
#include <array>
#include <functional>

#include "monitor/monitor_display.h"

class QWidget;

// A monitor control's spoken name (a LangString): its accessible name in the current
// language. The label's text is the reading and is also its accessible description.
inline constexpr char kSpokenNameProperty[] = "zedaSpokenName";
// A label of fixed height whose width the applier sets: as wide as the widest reading it
// showed since the last Reset(), so a new reading does not lay out its page again.
inline constexpr char kGrowOnlyProperty[] = "zedaGrowOnly";

class MonitorViewApplier {
 public:
  static constexpr int kPropBoxCount = 5;

  explicit MonitorViewApplier(QWidget* root) : root_(root) { Find(); }
  void Apply(const zeda::MonitorView& view);
  // Controls were built under the root (the parameter pages): looked up now, once.
  void ControlsBuilt() { Find(); }
  // Every control is written in full on the next Apply, and spoken names follow the
  // current language.
  void Reset();
  // Whether CheckBoxPropMon1-5 (index 0-4) is checked; false while it does not exist.
  bool PropChecked(int index) const;
  // Called when one of the Prop sign boxes is clicked (the display shows the new sign).
  std::function<void()> propToggled;

  // Controls found, for tests and the window's checks.
  QWidget* Label(zeda::MonLabel l) const { return labels_[static_cast<std::size_t>(l)]; }
  QProgressBar* Gauge(zeda::MonGauge g) const { return gauges_[static_cast<std::size_t>(g)]; }

 private:
  void Find();
  void Register(zeda::MonLabel l);

  QWidget* root_;
  std::array<QPointer<QWidget>, zeda::kMonLabelCount> labels_{};
  std::array<QPointer<QProgressBar>, zeda::kMonGaugeCount> gauges_{};
  std::array<QPointer<QAbstractButton>, kPropBoxCount> propBoxes_{};
  QPointer<QWidget> accBelow_, accOver_;
  std::array<zeda::LabelView, zeda::kMonLabelCount> shown_{};
  std::array<bool, zeda::kMonLabelCount> applied_{};
  // Per label, read when it is found: whether the applier sets its width, whether it has a
  // spoken name, and the longest text its width was fitted to.
  std::array<bool, zeda::kMonLabelCount> growOnly_{};
  std::array<bool, zeda::kMonLabelCount> spoken_{};
  std::array<qsizetype, zeda::kMonLabelCount> fittedLength_{};
};

// The program's colour (0x00BBGGRR, or the button face) as a QColor.
QColor MonitorQColor(zeda::Colour c, const QPalette& palette);
