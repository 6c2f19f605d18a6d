// Reference pictures of the table control (offscreen, device pixel ratio 2), compared
// within a tolerance: fonts and antialiasing differ a little between machines, a layout
// or drawing fault changes far more. ZEDA_UPDATE_REFERENCE=1 writes them anew.
#include <QDir>
#include <QImage>
#include <cmath>
#include <cstdlib>

#include "mapedit/ui/tab_fixture.h"

namespace zeda {
namespace {

using test::TabWidgetTest;

const QString kReferenceDir = QStringLiteral(ZEDA_TEST_SOURCE_DIR "/mapedit/ui/reference");

// Share of pixels whose colour differs by more than a small amount.
double DifferingShare(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 1.0;
  const QImage x = a.convertToFormat(QImage::Format_RGB32),
               y = b.convertToFormat(QImage::Format_RGB32);
  long differing = 0;
  for (int r = 0; r < x.height(); ++r) {
    const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(r));
    const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(r));
    for (int c = 0; c < x.width(); ++c) {
      const int d = std::abs(qRed(p[c]) - qRed(q[c])) + std::abs(qGreen(p[c]) - qGreen(q[c])) +
                    std::abs(qBlue(p[c]) - qBlue(q[c]));
      differing += d > 48;
    }
  }
  return double(differing) / (x.width() * x.height());
}

void Compare(const QImage& img, const QString& name) {
  const QString path = kReferenceDir + "/" + name + ".png";
  if (std::getenv("ZEDA_UPDATE_REFERENCE")) {
    QDir().mkpath(kReferenceDir);
    ASSERT_TRUE(img.save(path));
    return;
  }
  QImage ref(path);
  ASSERT_FALSE(ref.isNull()) << "missing reference " << path.toStdString();
  const double share = DifferingShare(img, ref);
  if (share > 0.03) img.save(QDir::tempPath() + "/" + name + "-actual.png");
  EXPECT_LE(share, 0.03) << name.toStdString() << ": picture differs from the reference";
}

TEST_F(TabWidgetTest, ReferencePicturesOfTheAdvanceMap) {
  table_->baseAdvance = 6;
  table_->limiter = 9500;
  table_->startLimiter = 4000;
  table_->liveRpm = 3200;
  table_->liveTp = 35;
  table_->UpdateOperatingPoint();
  table_->SelectItem(4, 3);
  widget_->graph.hovered = kHoverNothing;
  widget_->SetViewMode(kViewTable);
  Compare(widget_->Picture(2.0), "advance-grid");
  widget_->SetViewMode(kView2D);
  Compare(widget_->Picture(2.0), "advance-2d");
  widget_->SetViewMode(kView3D);
  Compare(widget_->Picture(2.0), "advance-3d");
}

TEST_F(TabWidgetTest, ReferencePictureOfAZoneChart) {
  TTab* zone = CreateSwitchingTable(set_, 5, "Output 1", 0xFFFFFF, 400, 220);
  CSheet& s = zone->Cur();
  const int32_t xs[3] = {20, 45, 80};
  for (int i = 0; i < 3; ++i) s.axisX.values[i] = xs[i];
  s.axisY.values[0] = 20;
  s.axisY.values[1] = 70;
  const int32_t cells[3][4] = {{0, 0, 1, 1}, {0, 1, 1, 0}, {1, 1, 2, 0}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) s.Cell(c, r) = cells[r][c];
  zone->Normalise(0, kPartAll | kForgetLastEdited);
  TTabWidget w(*zone);
  w.resize(400, 220);
  w.SetViewMode(kView2D);
  Compare(w.Picture(2.0), "switching-zone-chart");
}

}  // namespace
}  // namespace zeda
