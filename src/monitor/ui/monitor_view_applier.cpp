#include "monitor/ui/monitor_view_applier.h"

#include <QAbstractButton>
#include <QHash>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "lang/lang_string.h"

QColor MonitorQColor(zeda::Colour c, const QPalette& palette) {
  if (c == zeda::kMonPlain) return palette.color(QPalette::Button);
  if (c == zeda::kMonDesktop) return palette.color(QPalette::Highlight);
  return QColor(zeda::ColourRed(c), zeda::ColourGreen(c), zeda::ColourBlue(c));
}

namespace {

// Room a fixed-width reading keeps beyond its text (a digit more needs no new layout).
constexpr int kGrowSparePx = 4;
// The digit a reading's width is measured with (the digits of most fonts are equally wide).
constexpr char kWidestDigit = '0';

// Where a control found by name goes.
struct Wanted {
  QPointer<QWidget>* widget = nullptr;
  QPointer<QProgressBar>* gauge = nullptr;
  QPointer<QAbstractButton>* box = nullptr;
};

// Fills the wanted slots in one walk of the window. The walk visits objects in the order
// findChild does (a parent's children before their own children), so each name gets the
// control findChild would have returned; a findChild per name would walk the whole window
// once for every control.
void FindAll(const QObject* parent, QHash<QString, Wanted>& wanted) {
  const QObjectList& children = parent->children();
  for (QObject* child : children) {
    if (wanted.isEmpty()) return;
    auto it = wanted.find(child->objectName());
    if (it == wanted.end()) continue;
    if (it->widget && child->isWidgetType()) {
      *it->widget = static_cast<QWidget*>(child);
      wanted.erase(it);
    } else if (it->gauge) {
      if (auto* g = qobject_cast<QProgressBar*>(child)) {
        *it->gauge = g;
        wanted.erase(it);
      }
    } else if (it->box) {
      if (auto* b = qobject_cast<QAbstractButton*>(child)) {
        *it->box = b;
        wanted.erase(it);
      }
    }
  }
  for (QObject* child : children) {
    if (wanted.isEmpty()) return;
    FindAll(child, wanted);
  }
}

// The threshold strips under the acceleration gauge: below it green, above it red.
void PaintStrip(QWidget* strip, zeda::Colour colour) {
  QPalette pal = strip->palette();
  pal.setColor(QPalette::Window, MonitorQColor(colour, pal));
  strip->setPalette(pal);
  strip->setAutoFillBackground(true);
}

// A label of fixed size takes a new text without laying out its page again. Its width
// grows when a text needs more room and stays (a reading's width changes with its digits
// from answer to answer); `exact` fits it to the text (a new language).
void FitWidth(QLabel* l, const QString& text, bool exact) {
  if (text.isEmpty()) return;
  // Room for any number of as many digits (and for digits where dashes stand now): the text
  // is measured with each digit and dash as the widest digit.
  QString widest = text;
  for (QChar& c : widest)
    if (c.isDigit() || c == QLatin1Char('-')) c = QLatin1Char(kWidestDigit);
  const QMargins m = l->contentsMargins();
  const int need = l->fontMetrics().horizontalAdvance(widest) + 2 * l->margin() + m.left() +
                   m.right() + kGrowSparePx;
  if (need > l->maximumWidth() || (exact && need != l->maximumWidth())) l->setFixedWidth(need);
}

void Speak(QWidget* w) {
  const QVariant spoken = w->property(kSpokenNameProperty);
  if (spoken.isValid())
    w->setAccessibleName(QString::fromUtf8(zeda::LangText(spoken.toByteArray().constData())));
}

}  // namespace

void MonitorViewApplier::Find() {
  QHash<QString, Wanted> wanted;
  for (int i = 0; i < zeda::kMonLabelCount; ++i) {
    auto& slot = labels_[static_cast<std::size_t>(i)];
    if (!slot) wanted.insert(QString::fromLatin1(zeda::kMonitorLabelNames[i]), {&slot});
  }
  for (int i = 0; i < zeda::kMonGaugeCount; ++i) {
    auto& slot = gauges_[static_cast<std::size_t>(i)];
    if (!slot) wanted.insert(QString::fromLatin1(zeda::kMonitorGaugeNames[i]), {nullptr, &slot});
  }
  for (int i = 0; i < kPropBoxCount; ++i) {
    auto& slot = propBoxes_[static_cast<std::size_t>(i)];
    if (!slot)
      wanted.insert(QStringLiteral("CheckBoxPropMon%1").arg(i + 1), {nullptr, nullptr, &slot});
  }
  const bool hadStrips = accBelow_ && accOver_;
  if (!accBelow_) wanted.insert(QStringLiteral("LabelAccBelow"), {&accBelow_});
  if (!accOver_) wanted.insert(QStringLiteral("LabelAccOver"), {&accOver_});
  std::array<bool, zeda::kMonLabelCount> had{};
  for (int i = 0; i < zeda::kMonLabelCount; ++i)
    had[static_cast<std::size_t>(i)] = !labels_[static_cast<std::size_t>(i)].isNull();
  std::array<bool, kPropBoxCount> hadBox{};
  for (int i = 0; i < kPropBoxCount; ++i)
    hadBox[static_cast<std::size_t>(i)] = !propBoxes_[static_cast<std::size_t>(i)].isNull();
  if (!wanted.isEmpty()) FindAll(root_, wanted);
  for (int i = 0; i < zeda::kMonLabelCount; ++i)
    if (!had[static_cast<std::size_t>(i)] && labels_[static_cast<std::size_t>(i)])
      Register(static_cast<zeda::MonLabel>(i));
  for (int i = 0; i < kPropBoxCount; ++i) {
    QAbstractButton* box = propBoxes_[static_cast<std::size_t>(i)];
    if (!box || hadBox[static_cast<std::size_t>(i)]) continue;
    QObject::connect(box, &QAbstractButton::toggled, box, [this] {
      if (propToggled) propToggled();
    });
  }
  if (!hadStrips && accBelow_ && accOver_) {
    PaintStrip(accBelow_, zeda::kMonLime);
    PaintStrip(accOver_, zeda::kMonRed);
  }
}

void MonitorViewApplier::Register(zeda::MonLabel l) {
  const auto k = static_cast<std::size_t>(l);
  // Monitor texts are plain: no rich-text guess on every new text.
  if (auto* label = qobject_cast<QLabel*>(labels_[k].data())) label->setTextFormat(Qt::PlainText);
  applied_[k] = false;
  // Read once: a dynamic property is looked up by name, too slow for every answer.
  growOnly_[k] = labels_[k]->property(kGrowOnlyProperty).toBool();
  spoken_[k] = labels_[k]->property(kSpokenNameProperty).isValid();
  fittedLength_[k] = 0;
}

void MonitorViewApplier::Reset() {
  applied_.fill(false);
  for (const auto& w : labels_)
    if (w) Speak(w);
  for (const auto& g : gauges_)
    if (g) Speak(g);
}

bool MonitorViewApplier::PropChecked(int index) const {
  if (index < 0 || index >= kPropBoxCount) return false;
  const QAbstractButton* box = propBoxes_[static_cast<std::size_t>(index)];
  return box && box->isChecked();
}

void MonitorViewApplier::Apply(const zeda::MonitorView& view) {
  for (int i = 0; i < zeda::kMonLabelCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    QWidget* w = labels_[k];
    if (!w) continue;
    const zeda::LabelView& v = view.labels[k];
    zeda::LabelView& old = shown_[k];
    const bool first = !applied_[k];
    if (first || v.text != old.text) {
      const QString text = QString::fromStdString(v.text);
      if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
        // Measured only when the text got longer: a reading's digits and words change
        // within the room it has (the width has some to spare).
        if (growOnly_[k] && (first || text.size() > fittedLength_[k])) {
          FitWidth(l, text, first);
          fittedLength_[k] = first ? text.size() : std::max(fittedLength_[k], text.size());
        }
      } else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
      // A control named for what it shows tells its reading as its description.
      if (spoken_[k] && !w->accessibleName().isEmpty()) w->setAccessibleDescription(text);
    }
    if (qobject_cast<QLabel*>(w) && (first || v.colour != old.colour || v.font != old.font)) {
      QPalette pal = w->palette();
      pal.setColor(QPalette::Window, MonitorQColor(v.colour, pal));
      // The font colour of an enabled label: a disabled one keeps the style's grey.
      const QColor font = MonitorQColor(v.font, pal);
      pal.setColor(QPalette::Active, QPalette::WindowText, font);
      pal.setColor(QPalette::Inactive, QPalette::WindowText, font);
      w->setAutoFillBackground(v.colour != zeda::kMonPlain);
      w->setPalette(pal);
    }
    if (first || v.enabled != old.enabled) w->setEnabled(v.enabled);
    // Only what the monitor decides: the pages show and hide the rest by their own rules.
    if (v.visibilityOwned && (first || v.visible != old.visible || !old.visibilityOwned))
      w->setVisible(v.visible);
    old = v;
    applied_[k] = true;
  }
  for (int i = 0; i < zeda::kMonGaugeCount; ++i) {
    QProgressBar* g = gauges_[static_cast<std::size_t>(i)];
    if (!g) continue;
    const zeda::GaugeView& v = view.gauges[static_cast<std::size_t>(i)];
    const int maximum = std::max(v.maximum, 1);
    const int progress = std::clamp(v.progress, 0, maximum);
    if (g->maximum() != maximum || g->value() != progress) {
      // QProgressBar repaints at once on a new value, flushing every pending change of the
      // window with it; with updates held the gauge is drawn with the rest on the next
      // paint instead.
      const bool held = g->updatesEnabled();
      g->setUpdatesEnabled(false);
      if (g->maximum() != maximum) g->setMaximum(maximum);
      g->setValue(progress);
      g->setUpdatesEnabled(held);
      g->update();
    }
    const QColor c = MonitorQColor(v.colour, g->palette());
    if (g->palette().color(QPalette::Highlight) != c) {
      QPalette pal = g->palette();
      pal.setColor(QPalette::Highlight, c);
      g->setPalette(pal);
    }
  }
  if (accBelow_ && accOver_) {
    QProgressBar* gauge = gauges_[static_cast<std::size_t>(zeda::MonGauge::Akcel)];
    const int width = gauge ? gauge->width() : accBelow_->width() + accOver_->width();
    const int below = std::max(static_cast<int>(view.accBelowShare * width), 0);
    const int over = std::max(width - below, 0);
    // A fixed width set again is a layout pass for nothing.
    if (accBelow_->minimumWidth() != below || accBelow_->maximumWidth() != below)
      accBelow_->setFixedWidth(below);
    if (accOver_->minimumWidth() != over || accOver_->maximumWidth() != over)
      accOver_->setFixedWidth(over);
  }
}
