#pragma once
// The differences between the PC's settings and the unit's (or a file's), field by field:
// each row names the field, the page that holds it, its unit and both values as the page
// shows them. The rows come from DifferencesByField, the list zedactl verify prints.
// Double-clicking a row (or Enter on it) asks for the page that holds the field.
//
// User-interface thread only. Not modal: the window stays usable while it is open.
#include <QDialog>
#include <QString>
#include <vector>

#include "params/param_diff.h"

class QLabel;
class QTableWidget;

class CompareDialog : public QDialog {
  Q_OBJECT

 public:
  // Table columns, left to right.
  enum Column { kColField, kColPage, kColUnit, kColOurs, kColTheirs, kColCount };

  explicit CompareDialog(QWidget* parent = nullptr);

  // theirs: what params was compared with ("Unit", "File: data.ign"), shown as the last
  // column's heading and in the summary.
  void SetDifferences(const QString& theirs, std::vector<zeda::FieldDifference> differences);
  const std::vector<zeda::FieldDifference>& Differences() const { return differences_; }
  QTableWidget* Table() const { return table_; }
  // Texts again in the current language.
  void ApplyLanguage();

 Q_SIGNALS:
  // The page (parameter group) that holds the field of the activated row.
  void PageRequested(int group);

 private:
  void Fill();
  void Activate(int row);

  QLabel* summary_ = nullptr;
  QTableWidget* table_ = nullptr;
  QString theirs_;
  std::vector<zeda::FieldDifference> differences_;
};
