#pragma once
// Tables as the pages set them up, for the tests.
#include <gtest/gtest.h>

#include "mapedit/fake_host.h"
#include "mapedit/table_factories.h"

namespace zeda::test {

inline const int32_t kRpm15[15] = {10, 15, 20, 25, 30, 35, 40, 45, 50, 60, 70, 80, 90, 100, 110};

// Fills a sheet as the owner would after reading the parameters.
inline void fillSheet(TTab& t, int sheet, const int32_t* xs, int nx, int32_t cellBase) {
  CSheet& s = t.sheet(sheet);
  s.axisX.count = nx;
  for (int i = 0; i < nx; ++i) s.axisX.values[i] = xs[i];
  for (int r = 0; r < s.cellRows(); ++r)
    for (int c = 0; c < s.cellCols(); ++c) s.cell(c, r) = cellBase + c + r;
  t.Normalise(sheet, kPartAll | kForgetLastEdited);
}

class MapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AdvanceMapOptions o;
    adv = CreateAdvanceMap(set, 1, o);
    ASSERT_NE(adv, nullptr);
    adv->host = &host;
    fillSheet(*adv, 0, kRpm15, 15, 0);
    fillSheet(*adv, 1, kRpm15, 15, 10);
    adv->Rebuild();
    log.attach(*adv);
  }
  TTableSet set;
  TTab* adv = nullptr;
  FakeHost host;
  ChangeLog log;
};

}  // namespace zeda::test
