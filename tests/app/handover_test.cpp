#include "app/handover.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeda {
namespace {

TEST(Handover, ParsesDecimalAndHex) {
  struct Case {
    const char* line;
    bool ok;
    int com;
    uint32_t code;
  };
  const Case cases[] = {
      {"3 0x7FFFFFA1", true, 3, 0x7FFFFFA1},
      {"3 2147483553\n", true, 3, 0x7FFFFFA1},
      {"0x10 0X7fffffa4\r\n", true, 16, 0x7FFFFFA4},
      {"  7\t0x7FFFFFA2  ", true, 7, 0x7FFFFFA2},
      {"255 1", true, 255, 1},
      {"0 0x7FFFFFA1", false, 0, 0},
      {"256 0x7FFFFFA1", false, 0, 0},
      {"-3 0x7FFFFFA1", false, 0, 0},
      {"3", false, 0, 0},
      {"", false, 0, 0},
      {"3 0x7FFFFFA1 9", false, 0, 0},
      {"3 0x", false, 0, 0},
      {"3 0x1FFFFFFFF", false, 0, 0},
      {"3 12abc", false, 0, 0},
      {"COM3 0x7FFFFFA1", false, 0, 0},
      {"99999999999999999999 1", false, 0, 0},
  };
  for (const Case& c : cases) {
    const auto m = ParseHandoverLine(c.line);
    ASSERT_EQ(m.has_value(), c.ok) << c.line;
    if (!m) continue;
    EXPECT_EQ(m->com, c.com) << c.line;
    EXPECT_EQ(m->code, c.code) << c.line;
  }
}

TEST(Handover, Decisions) {
  struct Case {
    int com;
    uint32_t code;
    int connected;
    int remembered;
    HandoverAction action;
  };
  const Case cases[] = {
      {3, kHandoverRelease, 3, -1, HandoverAction::ReleasePort},
      {4, kHandoverRelease, 3, -1, HandoverAction::Ignore},   // another COM number
      {3, kHandoverRelease, -1, -1, HandoverAction::Ignore},  // no unit connected
      {3, kHandoverSpecialRelease, 3, -1, HandoverAction::SpecialThenRelease},
      {5, kHandoverSpecialRelease, 3, -1, HandoverAction::Ignore},
      {3, kHandoverTakeBack, -1, 3, HandoverAction::TakeBackPort},
      {4, kHandoverTakeBack, -1, 3, HandoverAction::Ignore},  // only the remembered port
      {3, kHandoverTakeBack, 3, -1, HandoverAction::Ignore},
      {3, 0x7FFFFFA3, 3, 3, HandoverAction::Ignore},
      {3, 0x8309, 3, 3, HandoverAction::Ignore},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideHandover({c.com, c.code}, c.connected, c.remembered), c.action)
        << c.com << " " << std::hex << c.code;
  }
}

class FakeHooks : public HandoverHooks {
 public:
  int connectedPort() const override { return connected; }
  void DisconnectLink() override { calls.push_back("disconnect"); }
  void RequestSpecialCommand() override { calls.push_back("special"); }
  void ResumeSearch() override { calls.push_back("resume"); }
  void LinkEnabledChanged() override { calls.push_back("title"); }
  int connected = -1;
  std::vector<std::string> calls;
};

TEST(Handover, ReleaseAndTakeBack) {
  FakeHooks hooks;
  hooks.connected = 3;
  PortHandover h;
  EXPECT_EQ(h.Handle({4, kHandoverRelease}, hooks), HandoverAction::Ignore);
  EXPECT_TRUE(hooks.calls.empty());
  EXPECT_EQ(h.Handle({3, kHandoverRelease}, hooks), HandoverAction::ReleasePort);
  EXPECT_FALSE(h.linkEnabled());
  EXPECT_EQ(h.RememberedPort(), 3);
  EXPECT_EQ(hooks.calls, (std::vector<std::string>{"disconnect", "title"}));
  hooks.connected = -1;
  hooks.calls.clear();
  EXPECT_EQ(h.Handle({5, kHandoverTakeBack}, hooks), HandoverAction::Ignore);
  EXPECT_FALSE(h.linkEnabled());
  EXPECT_EQ(h.Handle({3, kHandoverTakeBack}, hooks), HandoverAction::TakeBackPort);
  EXPECT_TRUE(h.linkEnabled());
  EXPECT_EQ(h.RememberedPort(), -1);
  EXPECT_EQ(hooks.calls, (std::vector<std::string>{"title", "resume"}));
  // A second take-back has no remembered port any more.
  EXPECT_EQ(h.Handle({3, kHandoverTakeBack}, hooks), HandoverAction::Ignore);
}

TEST(Handover, SpecialCommandLeavesTheReleaseToTheDeviceOperations) {
  FakeHooks hooks;
  hooks.connected = 7;
  PortHandover h;
  EXPECT_EQ(h.Handle({7, kHandoverSpecialRelease}, hooks), HandoverAction::SpecialThenRelease);
  EXPECT_TRUE(h.linkEnabled());
  EXPECT_EQ(hooks.calls, (std::vector<std::string>{"special"}));
  h.Release(7, hooks);
  EXPECT_FALSE(h.linkEnabled());
  EXPECT_EQ(h.RememberedPort(), 7);
}

}  // namespace
}  // namespace zeda
