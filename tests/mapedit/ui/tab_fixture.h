#pragma once
// A table control on the screen (offscreen platform) for the widget tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "mapedit/table_factories.h"
#include "mapedit/ui/tab_widget.h"

namespace zeda::test {

inline QApplication* App() {
  static int argc = 1;
  static char name[] = "test_mapedit_ui";
  static char* argv[] = {name, nullptr};
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  static QApplication* instance = new QApplication(argc, argv);
  return instance;
}

inline const int32_t kRpmPoints[15] = {10, 15, 20, 25, 30, 35,  40, 45,
                                       50, 60, 70, 80, 90, 100, 110};

// An advance map as a page fills it: a plausible surface over rpm and throttle.
inline void FillAdvanceMap(TTab& t) {
  for (int sh = 0; sh < t.sheetCount; ++sh) {
    CSheet& s = t.Sheet(sh);
    for (int i = 0; i < 15; ++i) s.axisX.values[i] = kRpmPoints[i];
    for (int r = 0; r < s.CellRows(); ++r)
      for (int c = 0; c < s.CellCols(); ++c)
        s.Cell(c, r) = 8 + c * 2 - r + (c > 8 ? (8 - c) * 2 : 0) + sh * 2;
    t.Normalise(sh, kPartAll | kForgetLastEdited);
  }
  t.SelectSheet(0);
}

class TabWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    table_ = CreateAdvanceMap(set_, 1, {}, 760, 420);
    ASSERT_NE(table_, nullptr);
    FillAdvanceMap(*table_);
    widget_ = std::make_unique<TTabWidget>(*table_);
    widget_->resize(760, 420);
    widget_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget_.get()));
    widget_->Rebuild();
    table_->onTableChanged = [this](TTab&) { ++commits_; };
  }
  void TearDown() override { widget_.reset(); }
  CSheet& Sheet() { return table_->Cur(); }
  QPoint CentreOf(int col, int row) { return widget_->ItemRect(col, row).center(); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) table_->Tick();
  }

  TTableSet set_;
  TTab* table_ = nullptr;
  std::unique_ptr<TTabWidget> widget_;
  int commits_ = 0;
};

}  // namespace zeda::test
