#include "print/ui/window_printer.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QTabWidget>
#include <vector>

#include "print/clist.h"
#include "print/ui/print_appearance.h"

namespace {

void SettleLayouts() {
  // Hidden and shown controls move their neighbours only once the layouts have run.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// The window's picture is drawn at this multiple of its size: sharp on paper, and quick
// to make (widgets drawn straight at printer resolution take many seconds a page).
constexpr int kPictureScale = 3;

void RenderScaled(QWidget* window, QPainter& painter, QPrinter& printer) {
  SettleLayouts();
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QSize size = window->size();
  if (size.isEmpty() || page.isEmpty()) return;
  QPixmap picture(size * kPictureScale);
  picture.setDevicePixelRatio(kPictureScale);
  picture.fill(Qt::white);
  window->render(&picture, QPoint(), QRegion(),
                 QWidget::DrawWindowBackground | QWidget::DrawChildren);
  const double scale = std::min(static_cast<double>(page.width()) / size.width(),
                                static_cast<double>(page.height()) / size.height());
  const QSizeF target = QSizeF(size) * scale;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(QRectF(QPointF((page.width() - target.width()) / 2.0, 0.0), target), picture,
                     QRectF(QPointF(0, 0), QSizeF(picture.size())));
}

}  // namespace

PrintOutcome PrintWindowPages(QWidget* window, QTabWidget* pages, QPrinter& printer,
                              bool allPages) {
  PrintOutcome out;
  // Put back in any case: on leaving this function, by return or by a list error.
  PrintAppearance appearance(window);
  try {
    appearance.PreparePrint();
    QPainter painter;
    if (!painter.begin(&printer)) {
      out.error = printer.outputFileName().isEmpty()
                      ? QStringLiteral("the printer could not be started")
                      : QStringLiteral("%1 could not be written").arg(printer.outputFileName());
      return out;
    }
    if (!allPages || !pages) {
      RenderScaled(window, painter, printer);
      out.pages = 1;
    } else {
      const int active = pages->currentIndex();
      std::vector<int> sheets;
      // The page list in tab order; sheets of tab controls inside the pages are not pages.
      for (int i = 0; i < appearance.PageCount(); ++i) {
        const int index = pages->indexOf(appearance.Page(i));
        if (index >= 0) sheets.push_back(index);
      }
      for (size_t k = 0; k < sheets.size(); ++k) {
        // The sheet becomes active first, so hiding the others never moves the selection.
        pages->setCurrentIndex(sheets[k]);
        for (int s : sheets) pages->setTabVisible(s, s == sheets[k]);
        if (k > 0 && !printer.newPage()) break;
        RenderScaled(window, painter, printer);
        ++out.pages;
      }
      for (int s : sheets) pages->setTabVisible(s, true);
      pages->setCurrentIndex(active);
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error) {
      out.error = QStringLiteral("the printer reported an error");
      return out;
    }
    out.ok = true;
  } catch (const zeda::ListError& e) {
    out.error = QString::fromLatin1(e.what());
  }
  return out;
}
