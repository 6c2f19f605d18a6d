#include "params/param_diff.h"

#include <gtest/gtest.h>

#include "params/defaults.h"

namespace zeda {
namespace {

TEST(ParamDiff, ListsEachDifferingElementWithPageUnitAndShownValues) {
  const ParamImage a = StartImage();
  ParamImage b = a;
  const ParamField& adv = Field(FieldId::ADVANCE);
  WriteShown(b, adv, 17, ReadShown(a, adv, 17) + 3);
  const ParamField& lim = Field(FieldId::LIMITER);
  WriteShown(b, lim, 0, 9000);
  WriteStored(b, FieldId::NO_READING, 0, 1);  // the lock is reported apart
  const auto d = DifferencesByField(a, b);
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].field, &lim);  // words come first in the image
  EXPECT_EQ(d[0].group, GROUP_MISC);
  EXPECT_EQ(d[0].theirs, 9000);
  EXPECT_EQ(d[1].field, &adv);
  EXPECT_EQ(d[1].element, 17);
  EXPECT_EQ(d[1].group, GROUP_ADVANCE);
  EXPECT_EQ(d[1].theirs - d[1].ours, 3);
  EXPECT_EQ(FormatDifference(d[1], "Advance Map"),
            "ADVANCE[17] (Advance Map, deg): " + std::to_string(d[1].ours) + " / " +
                std::to_string(d[1].theirs));
  EXPECT_EQ(FormatDifference(d[0], "Miscellaneous"),
            "LIMITER (Miscellaneous, rpm): " + std::to_string(d[0].ours) + " / 9000");
  EXPECT_EQ(DifferencesByField(a, b, false).size(), 3u);
  EXPECT_TRUE(DifferencesByField(a, a).empty());
}

TEST(ParamDiff, BytesOutsideEveryFieldAreListedByAddress) {
  const ParamImage a = StartImage();
  int stray = -1;
  for (int n = 0; n < PARAM_IMAGE_SIZE && stray < 0; ++n) {
    if (FieldAtByte(n) == nullptr) stray = n;
  }
  if (stray < 0) GTEST_SKIP() << "every byte belongs to a field";
  ParamImage b = a;
  b.SetByte(stray, static_cast<uint8_t>(a.Byte(stray) + 1));
  const auto d = DifferencesByField(a, b);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].field, nullptr);
  EXPECT_EQ(FormatDifference(d[0], ""), "byte " + std::to_string(stray) + ": " +
                                            std::to_string(a.Byte(stray)) + " / " +
                                            std::to_string(b.Byte(stray)));
}

}  // namespace
}  // namespace zeda
