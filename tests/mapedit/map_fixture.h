#pragma once
// Tables as the pages set them up, for the tests.
#include <gtest/gtest.h>

#include "mapedit/fake_host.h"
#include "mapedit/table_factories.h"

namespace zeda::test {

inline const int32_t kRpm15[15] = {10, 15, 20, 25, 30, 35, 40, 45, 50, 60, 70, 80, 90, 100, 110};

// Fills a sheet as the owner would after reading the parameters.
inline void FillSheet(TTab& t, int sheet, const int32_t* xs, int nx, int32_t cellBase) {
  CSheet& s = t.Sheet(sheet);
  s.axisX.count = nx;
  for (int i = 0; i < nx; ++i) s.axisX.values[i] = xs[i];
  for (int r = 0; r < s.CellRows(); ++r)
    for (int c = 0; c < s.CellCols(); ++c) s.Cell(c, r) = cellBase + c + r;
  t.Normalise(sheet, kPartAll | kForgetLastEdited);
}

class MapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AdvanceMapOptions o;
    adv_ = CreateAdvanceMap(set_, 1, o);
    ASSERT_NE(adv_, nullptr);
    adv_->host = &host_;
    FillSheet(*adv_, 0, kRpm15, 15, 0);
    FillSheet(*adv_, 1, kRpm15, 15, 10);
    adv_->Rebuild();
    log_.Attach(*adv_);
  }
  TTableSet set_;
  TTab* adv_ = nullptr;
  FakeHost host_;
  ChangeLog log_;
};

}  // namespace zeda::test
