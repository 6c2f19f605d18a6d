#include "app/ui/activity_log_view.h"

#include <QHeaderView>
#include <QTableWidget>

#include "app/activity_log.h"
#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"

namespace {

const char kTitle[] = "###Activity log##Aktivitätsprotokoll##Protokol činností";
const char kDescription[] =
    "###Every operation on the unit, newest first##Jeder Vorgang an der Einheit, neuester "
    "zuerst##Všechny operace s jednotkou, nejnovější první";
const char kHeadings[ActivityLogDock::kColCount][64] = {
    "###Time##Zeit##Čas", "###Port##Port##Port", "###Operation##Vorgang##Operace",
    "###Result##Ergebnis##Výsledek", "###Details##Details##Podrobnosti"};

using zeda::Lang;

}  // namespace

ActivityLogDock::ActivityLogDock(const zeda::ActivityLog& log, QWidget* parent)
    : QDockWidget(parent), log_(log) {
  setObjectName(QStringLiteral("DockActivityLog"));
  table_ = new QTableWidget(0, kColCount, this);
  table_->setObjectName(QStringLiteral("ListActivityLog"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);
  setWidget(table_);
  const auto activate = [this](int row, int) {
    const size_t entry = EntryOfRow(row);
    if (entry < log_.Entries().size() && !log_.Entries()[entry].differences.empty()) {
      Q_EMIT DifferencesRequested(entry);
    }
  };
  connect(table_, &QTableWidget::cellDoubleClicked, this, activate);
  connect(table_, &QTableWidget::cellActivated, this, activate);
  ApplyLanguage();
}

size_t ActivityLogDock::EntryOfRow(int row) const {
  const size_t n = log_.Entries().size();
  if (row < 0 || static_cast<size_t>(row) >= n) return n;
  return n - 1 - static_cast<size_t>(row);
}

void ActivityLogDock::Refresh() {
  if (log_.Revision() == shownRevision_) return;
  Fill();
}

void ActivityLogDock::ApplyLanguage() {
  setWindowTitle(Lang(kTitle));
  QStringList headings;
  for (const char* h : kHeadings) headings << Lang(h);
  table_->setHorizontalHeaderLabels(headings);
  table_->setAccessibleName(Lang(kTitle));
  table_->setAccessibleDescription(Lang(kDescription));
  Fill();  // operation and result names follow the language
}

void ActivityLogDock::Fill() {
  shownRevision_ = log_.Revision();
  const auto& entries = log_.Entries();
  table_->setRowCount(static_cast<int>(entries.size()));
  int row = 0;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it, ++row) {
    const zeda::ActivityEntry& e = *it;
    const std::string cells[kColCount] = {
        zeda::ActivityTimeText(e.when), zeda::ActivityPortText(e.port),
        zeda::ActivityOperationText(e.op), zeda::ActivityVerdictText(e.verdict),
        zeda::ActivityDetailText(e)};
    for (int c = 0; c < kColCount; ++c) {
      const QString text = QString::fromStdString(cells[c]);
      QTableWidgetItem* item = table_->item(row, c);
      if (!item) {
        item = new QTableWidgetItem;
        table_->setItem(row, c, item);
      }
      item->setText(text);
      // The details can be long: the whole text stays readable as the tooltip.
      item->setToolTip(c == kColDetails ? text : QString());
    }
  }
  table_->resizeColumnToContents(kColTime);
  table_->resizeColumnToContents(kColPort);
  table_->resizeColumnToContents(kColOperation);
  table_->resizeColumnToContents(kColResult);
}
