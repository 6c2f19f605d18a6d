#pragma once
// TTextCache: laid-out texts of formatted values for one axis (its scale and unit), so a
// grid repaint lays out each distinct value once instead of once per cell. Keyed by the raw
// value; a change of scale or unit empties it. Main thread only.
#include <QHash>
#include <QStaticText>
#include <cstdint>
#include <string>

#include "lang/ui/qt_text.h"
#include "mapedit/number_format.h"

namespace zeda {

class TTextCache {
 public:
  const QStaticText& Get(int32_t raw, double scale, const std::string& unit = {}) {
    if (scale != scale_ || unit != unit_) {
      texts_.clear();
      scale_ = scale;
      unit_ = unit;
    }
    auto it = texts_.constFind(raw);
    if (it != texts_.constEnd()) return *it;
    // A map holds at most 1500 values; more distinct ones than that means a long session of
    // edits, so start again rather than grow.
    if (texts_.size() > 4096) texts_.clear();
    QStaticText t(Qs(FormatValue(raw, scale, unit)));
    t.setTextFormat(Qt::PlainText);
    t.setPerformanceHint(QStaticText::AggressiveCaching);
    return *texts_.insert(raw, t);
  }

 private:
  double scale_ = 0;
  std::string unit_;
  QHash<int32_t, QStaticText> texts_;
};

}  // namespace zeda
