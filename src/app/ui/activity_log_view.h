#pragma once
// The activity log's dock: one row per operation, newest first, with time, port,
// operation, result and details. A table a screen reader walks cell by cell; the table
// and the dock carry accessible names. Activating a row that found differences asks for
// the compare view of that row.
//
// User-interface thread only.
#include <QDockWidget>
#include <cstdint>

namespace zeda {
class ActivityLog;
}
class QTableWidget;

class ActivityLogDock : public QDockWidget {
  Q_OBJECT

 public:
  enum Column { kColTime, kColPort, kColOperation, kColResult, kColDetails, kColCount };

  ActivityLogDock(const zeda::ActivityLog& log, QWidget* parent = nullptr);

  // Rebuilds the rows when the log changed since the last call (cheap to call each tick).
  void Refresh();
  // Texts again in the current language.
  void ApplyLanguage();
  QTableWidget* Table() const { return table_; }
  // The log entry shown in `row` (rows are newest first).
  size_t EntryOfRow(int row) const;

 Q_SIGNALS:
  void DifferencesRequested(size_t entry);

 private:
  void Fill();

  const zeda::ActivityLog& log_;
  QTableWidget* table_ = nullptr;
  uint64_t shownRevision_ = ~uint64_t{0};
};
