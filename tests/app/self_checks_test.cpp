#include "app/self_checks.h"

#include <gtest/gtest.h>

#include "app/self_check_layout.h"
#include "base/message_box.h"

namespace zeda {
namespace {

LayoutSizes Fitting() {
  LayoutSizes s;
  s.adrwEnd = 100;
  s.wordAreaWords = 100;
  s.adrbEnd = 300;
  s.byteAreaEnd = 400;
  s.tablesBegin = 300;
  s.monwEnd = 20;
  s.monitorWords = 75;
  s.monbEnd = 151;
  s.monitorBytes = 151;
  s.bitfieldBits = {8, 8, 1, 0, 5, 7};
  s.imageLength = 1050;
  s.transferBufferSize = 8000;
  return s;
}

TEST(SelfChecks, ThisBuildPasses) {
  // The parameter image's tables are wired in.
  EXPECT_EQ(kBuildLayout.imageLength, 1050);
  EXPECT_EQ(kBuildLayout.wordAreaWords, 85);
  EXPECT_GT(kBuildLayout.adrbEnd, 0);
  EXPECT_GT(kBuildLayout.tablesBegin, kBuildLayout.adrbEnd - 1);
  EXPECT_TRUE(LayoutFits(kBuildLayout));
  EXPECT_TRUE(SelfCheckMessages(kBuildLayout).empty());
  EXPECT_TRUE(SelfCheckMessages(Fitting()).empty());
}

TEST(SelfChecks, EachFailureHasItsMessage) {
  struct Case {
    void (*spoil)(LayoutSizes&);
    const char* message;
  };
  const Case cases[] = {
      {[](LayoutSizes& s) { s.adrwEnd = 103; }, "Software error: Enum Adrw to long - 3"},
      {[](LayoutSizes& s) {
         s.adrbEnd = 401;
         s.tablesBegin = 401;
       },
       "Software error: Enum Adrb to long - 1"},
      {[](LayoutSizes& s) { s.tablesBegin = 298; },
       "Software error: Enum Adrb - no space between bytes and tables - 2"},
      {[](LayoutSizes& s) { s.monwEnd = 80; }, "Software error: Enum Monw to long - 5"},
      {[](LayoutSizes& s) { s.monbEnd = 152; }, "Software error: Enum Monb to long - 1"},
      {[](LayoutSizes& s) { s.bitfieldBits[4] = 9; },
       "Software error: More then 8 bits in bitfield - 9"},
      {[](LayoutSizes& s) { s.imageLength = 9000; },
       "Software error: RS_LEN_EXE>COMMAXBUF - 9000>8000"},
  };
  for (const Case& c : cases) {
    LayoutSizes s = Fitting();
    c.spoil(s);
    EXPECT_FALSE(LayoutFits(s)) << c.message;
    const auto messages = SelfCheckMessages(s);
    ASSERT_EQ(messages.size(), 1u) << c.message;
    EXPECT_EQ(messages[0], c.message);
  }
}

TEST(SelfChecks, FailuresReachTheMessageHookAndStartUpGoesOn) {
  std::vector<UserMessage> shown;
  SetMessageSink([&shown](const UserMessage& m) { shown.push_back(m); });
  LayoutSizes s = Fitting();
  s.adrwEnd = 101;
  s.imageLength = 8001;
  EXPECT_EQ(RunSelfChecks(s), 2);
  SetMessageSink(nullptr);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Software error: Enum Adrw to long - 1");
  EXPECT_EQ(shown[1].text, "Software error: RS_LEN_EXE>COMMAXBUF - 8001>8000");
  EXPECT_EQ(shown[1].kind, MessageKind::Error);
}

}  // namespace
}  // namespace zeda
