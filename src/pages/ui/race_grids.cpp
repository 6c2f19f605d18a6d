// The Race page's per-gear tables (see race_grids.h).
#include "pages/ui/race_grids.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QObject>
#include <algorithm>
#include <span>
#include <vector>

#include "lang/control_texts.h"
#include "lang/lang_string.h"
#include "pages/race_page.h"

namespace zeda {

namespace {

struct RaceGrid {
  const char* group;
  std::span<const char* const> columnLabels;
  int firstColumn;  // RaceCell column of the grid's first column
};

inline constexpr const char* kClutchColumnLabels[] = {"LabelClutchTime"};
inline constexpr const char* kKorColumnLabels[] = {
    "LabelGearKorAdv",   "LabelGearKorLimiter", "LabelGearKorServo", "LabelGearKorPout1",
    "LabelGearKorPout2", "LabelGearKorPout3",   "LabelGearKorPout4"};

inline constexpr RaceGrid kRaceGrids[] = {
    {"GroupBoxClutchTime", kClutchColumnLabels, 0},
    {"GroupBoxGearKor", kKorColumnLabels, 1},
};
static_assert(std::size(kClutchColumnLabels) + std::size(kKorColumnLabels) == kRaceColumns);

std::span<const char* const> RowLabels(const RaceGrid& g) {
  return g.firstColumn == 0 ? std::span<const char* const>(kClutchRowLabels)
                            : std::span<const char* const>(kKorRowLabels);
}

template <typename W>
W* Named(QWidget* root, const char* name) {
  return root->findChild<W*>(QString::fromLatin1(name));
}

// How a screen reader names an up-down: its setting, then its gear ("Limiter [rpm], gear 3"),
// in the current language. The Czech pages call a gear "převodový stupeň".
constexpr const char* kGearWord = "###gear##Gang##p\u0159evodov\u00fd stupe\u0148";

QString ColumnCaption(QGroupBox* box, const char* name) {
  // The table's caption rather than the label's text: the grid is named before the window
  // gives its labels the captions of the current language.
  if (const char* text = ControlTextFor(name, TextProperty::Caption))
    return QString::fromUtf8(text);
  const QLabel* l = Named<QLabel>(box, name);
  return l ? l->text() : QString();
}

void NameCells(QGroupBox* box, const RaceGrid& g) {
  const QString gear = QString::fromUtf8(LangText(kGearWord));
  const auto rowLabels = RowLabels(g);
  for (int r = 0; r < kRaceGearRows; ++r) {
    const QLabel* rowLabel = Named<QLabel>(box, rowLabels[static_cast<std::size_t>(r)]);
    if (!rowLabel) continue;
    for (std::size_t c = 0; c < g.columnLabels.size(); ++c) {
      QWidget* cell = Named<QWidget>(box, RaceCell(g.firstColumn + static_cast<int>(c), r).control);
      const QString column = ColumnCaption(box, g.columnLabels[c]);
      if (cell && !column.isEmpty())
        cell->setAccessibleName(column + QStringLiteral(", ") + gear + QLatin1Char(' ') +
                                rowLabel->text().trimmed());
    }
  }
}

// Names the cells again after a language switch (the window sends LanguageChange down to
// every widget once the new captions are set).
class CellNamer : public QObject {
 public:
  CellNamer(QGroupBox* box, const RaceGrid& g) : QObject(box), box_(box), grid_(&g) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == box_ && e->type() == QEvent::LanguageChange) NameCells(box_, *grid_);
    return false;
  }

 private:
  QGroupBox* box_;
  const RaceGrid* grid_;  // one of kRaceGrids
};

void Arrange(QGroupBox* box, const RaceGrid& g) {
  // The builder's blank caption labels in front of the up-downs go; their rows with them.
  std::vector<QWidget*> cells;
  for (int r = 0; r < kRaceGearRows; ++r)
    for (std::size_t c = 0; c < g.columnLabels.size(); ++c)
      cells.push_back(
          Named<QWidget>(box, RaceCell(g.firstColumn + static_cast<int>(c), r).control));
  for (QLabel* l : box->findChildren<QLabel*>())
    if (l->objectName().isEmpty() && l->buddy() != nullptr &&
        std::find(cells.begin(), cells.end(), l->buddy()) != cells.end())
      delete l;
  delete box->layout();  // its widgets stay children of the box

  auto* grid = new QGridLayout(box);
  const auto rowLabels = RowLabels(g);
  for (std::size_t c = 0; c < g.columnLabels.size(); ++c)
    if (QLabel* l = Named<QLabel>(box, g.columnLabels[c])) {
      l->setWordWrap(true);
      grid->addWidget(l, 0, static_cast<int>(c) + 1, Qt::AlignBottom);
    }
  for (int r = 0; r < kRaceGearRows; ++r) {
    QLabel* rowLabel = Named<QLabel>(box, rowLabels[static_cast<std::size_t>(r)]);
    if (rowLabel) grid->addWidget(rowLabel, r + 1, 0);
    for (std::size_t c = 0; c < g.columnLabels.size(); ++c) {
      QWidget* cell = cells[static_cast<std::size_t>(r) * g.columnLabels.size() + c];
      if (!cell) continue;
      grid->addWidget(cell, r + 1, static_cast<int>(c) + 1);
      if (rowLabel && c == 0) rowLabel->setBuddy(cell);
    }
  }
  NameCells(box, g);
  box->installEventFilter(new CellNamer(box, g));
  // Rows of one height from the top; what is left of the group stays below and to the right.
  grid->setRowStretch(kRaceGearRows + 1, 1);
  grid->setColumnStretch(static_cast<int>(g.columnLabels.size()) + 1, 1);
}

}  // namespace

void ArrangeRaceGrids(QWidget* page) {
  if (!page) return;
  for (const RaceGrid& g : kRaceGrids)
    if (auto* box = Named<QGroupBox>(page, g.group)) Arrange(box, g);
}

}  // namespace zeda
