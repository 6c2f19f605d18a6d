#include "app/com_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/lang_string.h"

namespace zeda {
namespace {

std::vector<ComMenuPort> Ports(int32_t first, int32_t last) {
  std::vector<ComMenuPort> ports;
  for (int32_t c = first; c <= last; ++c) ports.push_back({c, "ttyS" + std::to_string(c - 1), ""});
  return ports;
}

std::vector<int32_t> PortNumbers(const std::vector<ComMenuItem>& items) {
  std::vector<int32_t> out;
  for (const ComMenuItem& i : items)
    if (i.kind == ComItemKind::Port) out.push_back(i.com);
  return out;
}

TEST(ComMenu, FortyPortsShowOffAutoSeparatorAnd27WithTheSelectedLast) {
  const auto ports = Ports(1, 40);
  const auto items = BuildComMenu(ports, /*comSetting=*/35, /*connectedPort=*/0, kEnglish);
  ASSERT_EQ(items.size(), 30u);
  EXPECT_EQ(items[0].kind, ComItemKind::Off);
  EXPECT_EQ(items[0].caption, "COM &offline");
  EXPECT_EQ(items[1].kind, ComItemKind::Auto);
  EXPECT_EQ(items[1].caption, "COM &auto");
  EXPECT_EQ(items[2].kind, ComItemKind::Separator);
  std::vector<int32_t> expected;
  for (int32_t c = 1; c <= 26; ++c) expected.push_back(c);
  expected.push_back(35);
  EXPECT_EQ(PortNumbers(items), expected);
  EXPECT_TRUE(items[29].checked);
  for (int i = 3; i < 29; ++i) EXPECT_FALSE(items[i].checked) << i;
  EXPECT_FALSE(items[0].checked);
  EXPECT_FALSE(items[1].checked);
}

TEST(ComMenu, CutListKeepsItsOwnPortWhenTheSelectedLiesBefore) {
  const auto ports = Ports(1, 40);
  const auto items = BuildComMenu(ports, 3, 0, kEnglish);
  ASSERT_EQ(items.size(), 30u);
  EXPECT_EQ(items[29].com, 27);
  EXPECT_TRUE(items[kComMenuFirstPort + 2].checked);  // COM3
}

TEST(ComMenu, AutomaticModeMarksTheConnectedPortAsRadio) {
  const auto ports = Ports(1, 40);
  const auto items = BuildComMenu(ports, kComAuto, 38, kEnglish);
  EXPECT_TRUE(items[1].checked);
  EXPECT_EQ(items[29].com, 38);
  EXPECT_TRUE(items[29].checked);
  for (std::size_t i = kComMenuFirstPort; i < items.size(); ++i) EXPECT_TRUE(items[i].radio);
  // Not connected: nothing further is checked and the list is not cut to a port.
  const auto idle = BuildComMenu(ports, kComAuto, 0, kEnglish);
  EXPECT_EQ(idle[29].com, 27);
  for (std::size_t i = kComMenuFirstPort; i < idle.size(); ++i) EXPECT_FALSE(idle[i].checked);
}

TEST(ComMenu, FixedPortThatIsNotPresentIsListedDisabledAndChecked) {
  const std::vector<ComMenuPort> ports = {{33, "ttyUSB0", "FTDI FT232R USB UART"},
                                          {1, "ttyS0", ""}};
  const auto items = BuildComMenu(ports, 7, 0, kEnglish);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(PortNumbers(items), (std::vector<int32_t>{1, 7, 33}));
  EXPECT_TRUE(items[4].checked);
  EXPECT_FALSE(items[4].enabled);
  EXPECT_FALSE(items[4].radio);
  EXPECT_TRUE(items[3].enabled);
  // Device and adapter tell the ports apart.
  EXPECT_EQ(items[5].caption, "COM&33  ttyUSB0 - FTDI FT232R USB UART");
  EXPECT_EQ(items[3].caption, "COM&1  ttyS0");
}

TEST(ComMenu, NoPortGivesADisabledLineSayingSo) {
  const auto items = BuildComMenu({}, kComAuto, 0, kCzech);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].caption, "COM &odpojen");
  EXPECT_EQ(items[1].caption, "COM &automaticky");
  EXPECT_EQ(items[3].kind, ComItemKind::NoPorts);
  EXPECT_FALSE(items[3].enabled);
  EXPECT_EQ(items[3].caption, "Nenalezen žádný sériový port");
  // Off is checked when the port choice is off.
  EXPECT_TRUE(BuildComMenu({}, kComOff, 0, kEnglish)[0].checked);
  // A fixed port that is not present is listed, and the line still says there is none.
  const auto fixed = BuildComMenu({}, 1, 0, kEnglish);
  ASSERT_EQ(fixed.size(), 5u);
  EXPECT_EQ(fixed[3].com, 1);
  EXPECT_FALSE(fixed[3].enabled);
  EXPECT_EQ(fixed[4].kind, ComItemKind::NoPorts);
  EXPECT_EQ(fixed[4].caption, "No serial port found");
}

TEST(ComMenu, CaptionNumberIsTheFirstRunOfDigits) {
  EXPECT_EQ(ComNumberFromCaption("COM&12  ttyUSB0 - Adapter 2"), 12);
  EXPECT_EQ(ComNumberFromCaption("COM&255"), 255);
  EXPECT_EQ(ComNumberFromCaption("COM &auto"), 0);
  EXPECT_EQ(ComNumberFromCaption("COM&9999"), 0);
}

TEST(ComMenu, ChoiceKeepsOrDropsTheLink) {
  ComMenuItem autoItem{ComItemKind::Auto, "", 0, false, false, true};
  ComMenuItem off{ComItemKind::Off, "", 0, false, false, true};
  ComMenuItem port5{ComItemKind::Port, "", 5, false, false, true};
  ComMenuItem port9{ComItemKind::Port, "", 9, false, false, true};
  ComMenuItem separator{ComItemKind::Separator, "", 0, false, false, true};
  struct Case {
    const ComMenuItem* item;
    int32_t connected;
    int32_t setting;
    bool changed;
    bool disconnect;
  };
  const Case cases[] = {
      {&autoItem, 9, kComAuto, true, false},  // automatic keeps the unit found
      {&port9, 9, 9, true, false},            // the connected port itself
      {&port5, 9, 5, true, true},             // another port: leave the unit
      {&off, 9, kComOff, true, true},         // off: leave the unit
      {&port5, 0, 5, true, false},            // nothing connected
      {&separator, 9, 7, false, false},       // nothing happens
  };
  for (const Case& c : cases) {
    const ComChoice choice = ChooseComItem(*c.item, 7, c.connected);
    EXPECT_EQ(choice.comSetting, c.setting);
    EXPECT_EQ(choice.changed, c.changed);
    EXPECT_EQ(choice.disconnect, c.disconnect) << c.item->com << " " << c.connected;
  }
}

}  // namespace
}  // namespace zeda
