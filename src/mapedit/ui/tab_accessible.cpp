// The grid of a table control as an accessible table.
#include "mapedit/ui/tab_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <map>
#include <tuple>

#include "lang/ui/qt_text.h"
#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda {
namespace {

class TabAccessible;

// One item of the grid: a cell, or a header holding an axis value.
class ItemAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  ItemAccessible(TabAccessible* table, QAccessible::Role role, int row, int col)
      : table_(table), role_(role), row_(row), col_(col) {}

  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override;
  QAccessible::Role role() const override { return role_; }
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableCellInterface && role_ == QAccessible::Cell)
      return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
  }

  // QAccessibleTableCellInterface
  int columnExtent() const override { return 1; }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  int columnIndex() const override { return col_; }
  int rowExtent() const override { return 1; }
  QList<QAccessibleInterface*> rowHeaderCells() const override;
  int rowIndex() const override { return row_; }
  bool isSelected() const override;
  QAccessibleInterface* table() const override;

 private:
  TabAccessible* table_;
  QAccessible::Role role_;
  int row_, col_;  // table indices (shown rows and columns)
};

class TabAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TabAccessible(TTabWidget* w) : QAccessibleWidget(w, QAccessible::Table) {}
  ~TabAccessible() override {
    for (auto& [key, id] : items_) QAccessible::deleteAccessibleInterface(id);
  }
  TTabWidget* TabWidget() const { return static_cast<TTabWidget*>(widget()); }
  TTab& Tab() const { return TabWidget()->Table(); }
  bool Ready() const { return Tab().HasSheets(); }
  // Sheet indices of a table row and column.
  int SheetRow(int r) const {
    const CAxe& y = Tab().Cur().axisY;
    return y.fixed ? y.fixedIndex : r;
  }
  int SheetCol(int c) const {
    const CAxe& x = Tab().Cur().axisX;
    return x.fixed ? x.fixedIndex : c;
  }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && Ready()) return Qs(MapeditText(Tab().Cur().name));
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return rowCount() * columnCount(); }
  QAccessibleInterface* child(int index) const override {
    const int cols = columnCount();
    if (cols <= 0 || index < 0 || index >= childCount()) return nullptr;
    return cellAt(index / cols, index % cols);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (const auto& [key, id] : items_)
      if (QAccessible::accessibleInterface(id) == child && key.role == QAccessible::Cell)
        return key.row * columnCount() + key.col;
    return -1;
  }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
    return Item(QAccessible::Cell, row, column);
  }
  int columnCount() const override {
    if (!Ready()) return 0;
    return Tab().Cur().axisX.fixed ? 1 : Tab().Cur().CellCols();
  }
  int rowCount() const override {
    if (!Ready()) return 0;
    return Tab().Cur().axisY.fixed ? 1 : Tab().Cur().CellRows();
  }
  int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  QString columnDescription(int column) const override {
    return HeaderText(true, SheetCol(column));
  }
  QString rowDescription(int row) const override { return HeaderText(false, SheetRow(row)); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> out;
    for (int r = 0; r < rowCount(); ++r)
      for (int c = 0; c < columnCount(); ++c)
        if (Tab().Cur().sel.Cell(SheetCol(c), SheetRow(r)) & kMarkSelected) out << cellAt(r, c);
    return out;
  }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

  // Header texts: the axis value with its unit (a zone table's extra zone has none).
  QString HeaderText(bool column, int index) const {
    if (!Ready()) return {};
    const CAxe& a = column ? Tab().Cur().axisX : Tab().Cur().axisY;
    if (index < 0 || index >= a.count) return {};
    return Qs(FormatValue(a.values[index], a.scale, a.unit));
  }
  QString CellText(int row, int col) const {
    if (!Ready()) return {};
    return Qs(Tab().ItemText(SheetCol(col), SheetRow(row)));
  }
  QRect ItemScreenRect(QAccessible::Role role, int row, int col) const {
    QRect r;
    if (role == QAccessible::Cell)
      r = TabWidget()->ItemRect(SheetCol(col), SheetRow(row));
    else if (role == QAccessible::ColumnHeader)
      r = TabWidget()->ItemRect(SheetCol(col), -1);
    else
      r = TabWidget()->ItemRect(-1, SheetRow(row));
    if (r.isEmpty()) return {};
    return QRect(TabWidget()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessibleInterface* Item(QAccessible::Role role, int row, int col) const {
    const Key key{role, row, col};
    auto it = items_.find(key);
    if (it != items_.end()) return QAccessible::accessibleInterface(it->second);
    auto* item = new ItemAccessible(const_cast<TabAccessible*>(this), role, row, col);
    items_[key] = QAccessible::registerAccessibleInterface(item);
    return item;
  }

 private:
  struct Key {
    QAccessible::Role role;
    int row, col;
    bool operator<(const Key& o) const {
      return std::tie(role, row, col) < std::tie(o.role, o.row, o.col);
    }
  };
  mutable std::map<Key, QAccessible::Id> items_;
};

bool ItemAccessible::isValid() const { return table_ && table_->Ready(); }
QWindow* ItemAccessible::window() const { return table_->window(); }
QAccessibleInterface* ItemAccessible::parent() const { return table_; }
QAccessibleInterface* ItemAccessible::table() const { return table_; }

QString ItemAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Name && t != QAccessible::Value) return {};
  if (role_ == QAccessible::ColumnHeader) return table_->HeaderText(true, table_->SheetCol(col_));
  if (role_ == QAccessible::RowHeader) return table_->HeaderText(false, table_->SheetRow(row_));
  return table_->CellText(row_, col_);
}

QRect ItemAccessible::rect() const { return table_->ItemScreenRect(role_, row_, col_); }

QAccessible::State ItemAccessible::state() const {
  QAccessible::State s;
  s.selectable = role_ == QAccessible::Cell;
  s.selected = isSelected();
  s.invisible = rect().isEmpty();
  s.readOnly = !table_->Tab().ItemEditable(table_->SheetCol(col_), table_->SheetRow(row_));
  return s;
}

bool ItemAccessible::isSelected() const {
  if (role_ != QAccessible::Cell || !isValid()) return false;
  return table_->Tab().Cur().sel.Cell(table_->SheetCol(col_), table_->SheetRow(row_)) &
         kMarkSelected;
}

QList<QAccessibleInterface*> ItemAccessible::columnHeaderCells() const {
  return {table_->Item(QAccessible::ColumnHeader, -1, col_)};
}
QList<QAccessibleInterface*> ItemAccessible::rowHeaderCells() const {
  return {table_->Item(QAccessible::RowHeader, row_, -1)};
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* w = qobject_cast<TTabWidget*>(object)) return new TabAccessible(w);
  return nullptr;
}

}  // namespace

void InstallTabAccessibility() {
  static const bool kInstalled = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)kInstalled;
}

}  // namespace zeda
