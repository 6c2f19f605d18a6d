#include "app/ui/elided_label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {
const QString kEllipsis = QStringLiteral("...");
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
  SetFullText(text);
}

void ElidedLabel::SetFullText(const QString& text) {
  setText(text);
  setToolTip(text);
}

QString ElidedLabel::Elide(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  const int room = width - metrics.horizontalAdvance(kEllipsis);
  // Longest prefix that fits, then back to the end of its last whole word.
  int fit = 0;
  while (fit < text.size() && metrics.horizontalAdvance(text.left(fit + 1)) <= room) ++fit;
  int cut = fit;
  if (fit < text.size() && !text.at(fit).isSpace()) {
    const int blank = text.lastIndexOf(QLatin1Char(' '), fit - 1);
    if (blank > 0) cut = blank;
  }
  while (cut > 0 && text.at(cut - 1).isSpace()) --cut;
  return cut <= 0 ? kEllipsis.left(fit > 0 ? 3 : 0) : text.left(cut) + kEllipsis;
}

QSize ElidedLabel::minimumSizeHint() const {
  // Any width will do: the text elides instead of pushing the panels apart.
  const QSize hint = QLabel::minimumSizeHint();
  return {minimumWidth(), hint.height()};
}

void ElidedLabel::paintEvent(QPaintEvent* e) {
  QFrame::paintEvent(e);  // the sunken panel frame
  QPainter p(this);
  const QRect r = contentsRect().adjusted(margin(), 0, -margin(), 0);
  const QString shown = Elide(text(), fontMetrics(), r.width());
  elided_ = shown != text();
  style()->drawItemText(&p, r, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                        foregroundRole());
}
