#pragma once
// A status-bar panel that never cuts its text off mid-word: text wider than the panel ends
// in "..." at the last word that fits, and the whole text stays readable as the tooltip.
//
// User-interface thread only.
#include <QLabel>
#include <QString>

class QFontMetrics;

class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr);

  // The whole text; text() stays the whole text too (only the painting elides).
  void SetFullText(const QString& text);
  // True when the last paint had to shorten the text.
  bool Elided() const { return elided_; }

  // The text as it fits in `width` pixels: whole, or cut after a word with "..." added
  // (cut inside a word only when not even the first word fits).
  static QString Elide(const QString& text, const QFontMetrics& metrics, int width);

  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  bool elided_ = false;
};
