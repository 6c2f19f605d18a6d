#include "app/ui/compare_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/page_list.h"
#include "lang/lang_string.h"
#include "lang/ui/qt_text.h"

namespace {

const char kTitle[] = "###Compare##Vergleich##Porovnání";
const char kNone[] = "###No differences.##Keine Unterschiede.##Žádné rozdíly.";
const char kSome[] =
    "###Fields that differ between the PC and##Unterschiedliche Felder zwischen PC und##"
    "Rozdílné položky mezi PC a";
const char kHint[] =
    "###Double-click a row to open its page.##Doppelklick auf eine Zeile öffnet ihre Seite.##"
    "Dvojklik na řádek otevře jeho stránku.";
const char kHeadings[CompareDialog::kColCount][80] = {
    "###Field##Feld##Položka", "###Page##Seite##Stránka", "###Unit of measure##Einheit##Jednotka",
    "###PC##PC##PC", ""};
const char kListName[] = "###Differing fields##Unterschiedliche Felder##Rozdílné položky";

using zeda::Lang;

}  // namespace

CompareDialog::CompareDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CompareDialog"));
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("LabelCompareSummary"));
  summary_->setWordWrap(true);
  layout->addWidget(summary_);
  table_ = new QTableWidget(0, kColCount, this);
  table_->setObjectName(QStringLiteral("ListDifferences"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setTabKeyNavigation(false);
  summary_->setBuddy(table_);
  layout->addWidget(table_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->setObjectName(QStringLiteral("CompareButtons"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Activate(row); });
  // Enter on a row does what the double-click does, for the keyboard.
  connect(table_, &QTableWidget::cellActivated, this, [this](int row, int) { Activate(row); });
  resize(640, 360);
  ApplyLanguage();
}

void CompareDialog::SetDifferences(const QString& theirs,
                                   std::vector<zeda::FieldDifference> differences) {
  theirs_ = theirs;
  differences_ = std::move(differences);
  Fill();
}

void CompareDialog::ApplyLanguage() {
  setWindowTitle(Lang(kTitle));
  QStringList headings;
  for (int c = 0; c < kColCount; ++c) {
    headings << (c == kColTheirs ? theirs_ : Lang(kHeadings[c]));
  }
  table_->setHorizontalHeaderLabels(headings);
  table_->setAccessibleName(Lang(kListName));
  if (differences_.empty()) {
    summary_->setText(Lang(kNone));
  } else {
    summary_->setText(QStringLiteral("%1 %2: %3. %4")
                          .arg(Lang(kSome), theirs_)
                          .arg(differences_.size())
                          .arg(Lang(kHint)));
  }
  table_->setAccessibleDescription(summary_->text());
}

void CompareDialog::Fill() {
  table_->setRowCount(0);
  table_->setRowCount(static_cast<int>(differences_.size()));
  int row = 0;
  for (const zeda::FieldDifference& d : differences_) {
    const QString cells[kColCount] = {
        QString::fromStdString(zeda::DifferenceName(d)),
        QString::fromUtf8(zeda::PageCaption(d.group)),
        d.field ? QString::fromUtf8(zeda::FieldUnit(*d.field)) : QString(),
        QString::number(d.ours),
        QString::number(d.theirs),
    };
    for (int c = 0; c < kColCount; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= kColOurs) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(row, c, item);
    }
    ++row;
  }
  table_->resizeColumnsToContents();
  if (row > 0) table_->selectRow(0);
  ApplyLanguage();
}

void CompareDialog::Activate(int row) {
  if (row < 0 || row >= static_cast<int>(differences_.size())) return;
  const int group = differences_[static_cast<size_t>(row)].group;
  if (group >= 0) Q_EMIT PageRequested(group);
}
