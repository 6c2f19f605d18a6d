#include <gtest/gtest.h>
#include "mapedit/table_factories.h"
TEST(Smoke, Builds) { zeda::TTableSet set; EXPECT_NE(zeda::CreateAdvanceMap(set, 1, {}), nullptr); }
