#include "link/unit_types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "link/protocol_table.h"

namespace zeda {
namespace {

TEST(UnitTypeTable, HoldsTheKnownKeysOnceEachAndEnds) {
  std::set<int32_t> expected;
  for (int k = 1; k <= 111; ++k) {
    if (k != 27 && k != 62) expected.insert(k);
  }
  for (int k = 301; k <= 311; ++k) expected.insert(k);
  expected.insert(1000);
  expected.insert(1001);
  ASSERT_EQ(expected.size(), 122u);

  std::set<int32_t> seen;
  for (int i = 0; i < kUnitTypeCount; ++i) {
    const UnitType& t = UnitTypeTable[i];
    EXPECT_TRUE(seen.insert(t.key).second) << "duplicate key " << t.key;
    const size_t len = strnlen(t.name, sizeof t.name);
    EXPECT_LT(len, sizeof t.name) << "name of key " << t.key << " not terminated";
    EXPECT_GT(len, 0u) << "key " << t.key;
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(UnitTypeTable[kUnitTypeCount].key, 0);
}

TEST(UnitTypeTable, LooksUpNames) {
  ASSERT_NE(UnitModelName(107), nullptr);
  EXPECT_STREQ(UnitModelName(107), "KESTRA2 ZEDA");
  EXPECT_NE(UnitModelName(1), nullptr);
  EXPECT_NE(UnitModelName(1001), nullptr);
  for (int32_t key : {0, 27, 62, 112, 300, 312, 999, 1002, -1}) {
    EXPECT_EQ(UnitModelName(key), nullptr) << key;
  }
}

TEST(ProtocolTable, ReservedRowsStartUnfilledAndTakeTheOwnProtocol) {
  ProtocolTable table;
  const int reserved[] = {0, 3, 5, 7, 9, 12};
  for (int r : reserved) {
    EXPECT_TRUE(table.Row(r).reserved) << r;
    EXPECT_EQ(table.Row(r).protocol, kProtoUnfilled) << r;
    EXPECT_EQ(table.Row(r).baud, 57600) << r;
    EXPECT_EQ(table.Row(r).timeoutMs, 175) << r;
  }
  table.FillReserved(kOwnProtocolRow.protocol, kOwnProtocolRow.baud, kOwnProtocolRow.timeoutMs);

  struct Expected {
    int32_t protocol, baud, timeout;
  };
  const Expected rows[] = {
      {3150, 57600, 175}, {1, 57600, 75},      {2, 57600, 125},    {3150, 57600, 175},
      {3050, 57600, 125}, {3150, 57600, 175},  {3100, 57600, 175}, {3150, 57600, 175},
      {3150, 57600, 175}, {3150, 57600, 175},  {1, 115200, 75},    {2, 115200, 325},
      {3150, 57600, 175}, {3300, 115200, 175},
  };
  for (int i = 0; i < 14; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(table.IsEnd(i));
    EXPECT_EQ(table.Row(i).protocol, rows[i].protocol);
    EXPECT_EQ(table.Row(i).baud, rows[i].baud);
    EXPECT_EQ(table.Row(i).timeoutMs, rows[i].timeout);
  }
  EXPECT_TRUE(table.IsEnd(14));
  EXPECT_TRUE(table.IsEnd(15));
  EXPECT_TRUE(table.IsEnd(-1));
}

TEST(ProtocolTable, NamesAndBlockSizes) {
  EXPECT_STREQ(ProtocolName(PROTOCOL_WCOM), "WCOM");
  EXPECT_STREQ(ProtocolName(PROTOCOL_WCOMS), "WCOMS");
  EXPECT_STREQ(ProtocolName(PROTOCOL_IGN50), "IGN50");
  EXPECT_STREQ(ProtocolName(PROTOCOL_IGN100), "IGN100");
  EXPECT_STREQ(ProtocolName(PROTOCOL_IGN150), "IGN150");
  EXPECT_STREQ(ProtocolName(PROTOCOL_IGN300), "IGN300");
  EXPECT_EQ(BlockProtocolSize(PROTOCOL_IGN50), 50);
  EXPECT_EQ(BlockProtocolSize(PROTOCOL_IGN300), 300);
  EXPECT_EQ(BlockProtocolSize(PROTOCOL_WCOM), 0);
  EXPECT_TRUE(IsAddressedProtocol(PROTOCOL_WCOMS));
  EXPECT_FALSE(IsAddressedProtocol(PROTOCOL_IGN150));
  EXPECT_TRUE(IsBlockProtocol(PROTOCOL_IGN100));
  EXPECT_FALSE(IsBlockProtocol(kProtoUnfilled));
}

}  // namespace
}  // namespace zeda
