#pragma once
// The window's style: the chosen Qt style, with group-box and page frames drawn quickly.
//
// Fusion (Qt's own style, used wherever the desktop gives none) draws a group-box frame by
// stretching a nine-part picture over the whole box, and the raster engine hands every
// fill taller than about a hundred rows to its thread pool. A page holds some thirty boxes
// inside the page frame, so those stretches and hand-overs were most of a page switch.
//
// A frame here is first drawn once at a small probe size. When that picture is a true
// nine-part one (corners, edges uniform along their length, a uniform middle), a frame of
// any size is drawn from its pieces: corners copied, each edge line and the middle filled
// with its colour, in bands short enough to stay on this thread. The pixels are the
// style's own. A frame that is not such a picture, a scaled or printing painter, and every
// style but Fusion are drawn by the style itself, unchanged.
//
// User-interface thread only, like every style.
#include <QHash>
#include <QImage>
#include <QProxyStyle>
#include <QRect>

namespace zeda {

class QuickFramesStyle : public QProxyStyle {
  Q_OBJECT

 public:
  // `key` names the style to wrap, as QStyleFactory knows it ("fusion", ...).
  explicit QuickFramesStyle(const QString& key);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

  // How many frames were drawn from their pieces (tests see that the quick path ran).
  int QuickFrames() const { return quickFrames_; }

  // The pieces of a frame drawn at probe size: the insets of its uniform middle, and the
  // probe picture they are read from. Empty when the frame is not a nine-part picture.
  struct Pieces {
    QImage probe;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool nineParts = false;
  };
  // Reads the pieces of `probe` (public for its test).
  static Pieces Analyse(const QImage& probe);
  // Two probes of different sizes agree on every piece: the frame is drawn by its pieces,
  // not by its size.
  static bool SameParts(const Pieces& a, const Pieces& b);

 private:
  bool Quick(PrimitiveElement element) const;
  const Pieces& PiecesFor(PrimitiveElement element, const QStyleOption* option,
                          const QWidget* widget) const;
  void DrawFromPieces(const Pieces& pieces, const QRect& target, QPainter* painter) const;

  bool fusion_ = false;
  mutable QHash<QString, Pieces> pieces_;
  mutable int quickFrames_ = 0;
};

}  // namespace zeda
