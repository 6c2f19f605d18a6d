// The window's style draws group-box and page frames from their pieces: the pixels must be
// the ones Fusion draws itself, for boxes of every kind and size, and anything it cannot
// prove to be a nine-part picture is left to Fusion.
#include "app/ui/quick_frames_style.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

#include "app/ui/window_fixture.h"

namespace {

using zeda::QuickFramesStyle;

// The largest difference of any colour channel between two pictures of one size.
int LargestDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 255;
  const QImage x = a.convertToFormat(QImage::Format_ARGB32);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32);
  int worst = 0;
  for (int r = 0; r < x.height(); ++r)
    for (int c = 0; c < x.width(); ++c) {
      const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
  return worst;
}

// `w` as `style` draws it, with the same palette and font either way.
QImage Picture(QWidget& w, QStyle* style) {
  w.setStyle(style);
  for (QWidget* child : w.findChildren<QWidget*>()) child->setStyle(style);
  return w.grab().toImage();
}

struct BoxCase {
  const char* title;
  bool checkable;
  bool flat;
  int width;
  int height;
};

class QuickFramesTest : public ::testing::TestWithParam<BoxCase> {
 protected:
  static void SetUpTestSuite() { window_test::App(); }

  std::unique_ptr<QStyle> fusion_{QStyleFactory::create(QStringLiteral("fusion"))};
  std::unique_ptr<QuickFramesStyle> quick_ =
      std::make_unique<QuickFramesStyle>(QStringLiteral("fusion"));
};

TEST_P(QuickFramesTest, AGroupBoxLooksAsFusionDrawsIt) {
  const BoxCase& c = GetParam();
  QGroupBox box(QString::fromUtf8(c.title));
  box.setCheckable(c.checkable);
  box.setFlat(c.flat);
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(new QLabel(QStringLiteral("Limiter [rpm]")));
  box.setFixedSize(c.width, c.height);
  const QImage expected = Picture(box, fusion_.get());
  const int before = quick_->QuickFrames();
  const QImage quick = Picture(box, quick_.get());
  EXPECT_GT(quick_->QuickFrames(), before) << "the frame was not drawn from its pieces";
  EXPECT_LE(LargestDifference(expected, quick), 1);
}

INSTANTIATE_TEST_SUITE_P(Boxes, QuickFramesTest,
                         ::testing::Values(BoxCase{"Dwell", false, false, 300, 200},
                                           BoxCase{"", false, false, 300, 200},
                                           BoxCase{"Input 1", true, false, 260, 420},
                                           BoxCase{"Power out", false, true, 700, 90},
                                           BoxCase{"Tall", false, false, 120, 640},
                                           BoxCase{"Small", false, false, 60, 60}));

TEST_F(QuickFramesTest, APageFrameLooksAsFusionDrawsIt) {
  QTabWidget tabs;
  tabs.addTab(new QLabel(QStringLiteral("Miscellaneous")), QStringLiteral("Miscellaneous"));
  tabs.addTab(new QLabel(QStringLiteral("Bike")), QStringLiteral("Bike"));
  tabs.resize(1000, 600);
  tabs.show();
  const QImage expected = Picture(tabs, fusion_.get());
  const int before = quick_->QuickFrames();
  const QImage quick = Picture(tabs, quick_.get());
  EXPECT_GT(quick_->QuickFrames(), before);
  EXPECT_LE(LargestDifference(expected, quick), 1);
}

TEST_F(QuickFramesTest, AScaledPainterIsLeftToFusion) {
  QGroupBox box(QStringLiteral("Dwell"));
  box.resize(200, 150);
  box.setStyle(quick_.get());
  QImage img(400, 300, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter p(&img);
  p.scale(2, 2);
  QStyleOptionFrame o;
  o.initFrom(&box);
  const int before = quick_->QuickFrames();
  quick_->drawPrimitive(QStyle::PE_FrameGroupBox, &o, &p, &box);
  EXPECT_EQ(quick_->QuickFrames(), before);
}

TEST(QuickFramesAnalyse, OnlyANinePartPictureIsTakenApart) {
  window_test::App();
  // A frame: a 2-pixel dark edge, a 3-row title band, a light middle.
  QImage frame(100, 100, QImage::Format_ARGB32_Premultiplied);
  frame.fill(Qt::transparent);
  {
    QPainter p(&frame);
    p.fillRect(QRect(0, 3, 100, 97), QColor(40, 40, 40));
    p.fillRect(QRect(2, 5, 96, 93), QColor(0, 0, 0, 8));
  }
  const QuickFramesStyle::Pieces pieces = QuickFramesStyle::Analyse(frame);
  EXPECT_TRUE(pieces.nineParts);
  EXPECT_EQ(pieces.left, 2);
  EXPECT_EQ(pieces.right, 2);
  EXPECT_EQ(pieces.top, 5);
  EXPECT_EQ(pieces.bottom, 2);

  // A gradient, a mark inside the middle and a notch in an edge are not nine-part pictures.
  QImage gradient(100, 100, QImage::Format_ARGB32_Premultiplied);
  for (int x = 0; x < 100; ++x)
    for (int y = 0; y < 100; ++y) gradient.setPixel(x, y, qRgb(x, x, x));
  EXPECT_FALSE(QuickFramesStyle::Analyse(gradient).nineParts);
  QImage marked = frame;
  marked.setPixel(70, 80, qRgb(255, 0, 0));
  EXPECT_FALSE(QuickFramesStyle::Analyse(marked).nineParts);
  QImage notched = frame;
  notched.setPixel(50, 3, qRgb(255, 0, 0));
  EXPECT_FALSE(QuickFramesStyle::Analyse(notched).nineParts);
}

// A frame whose gap sits in the middle of its top edge, wherever that is: each probe alone
// looks like a nine-part picture with wide corners, the two sizes together show it is not.
TEST(QuickFramesAnalyse, AFeaturePlacedByTheSizeIsFoundByTheSecondProbe) {
  window_test::App();
  auto frame = [](int width, bool gap) {
    QImage img(width, 100, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, width, 100), QColor(40, 40, 40));
    p.fillRect(QRect(2, 2, width - 4, 96), QColor(200, 200, 200));
    if (gap) p.fillRect(QRect(width / 2 - 12, 0, 24, 2), QColor(120, 120, 120));
    return img;
  };
  EXPECT_TRUE(QuickFramesStyle::Analyse(frame(100, true)).nineParts);
  EXPECT_FALSE(QuickFramesStyle::SameParts(QuickFramesStyle::Analyse(frame(100, true)),
                                           QuickFramesStyle::Analyse(frame(140, true))));
  EXPECT_TRUE(QuickFramesStyle::SameParts(QuickFramesStyle::Analyse(frame(100, false)),
                                          QuickFramesStyle::Analyse(frame(140, false))));
}

}  // namespace
