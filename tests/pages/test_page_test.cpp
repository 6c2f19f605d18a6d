// The Test page: test buttons ask once per connection, the refresh rules, and the service
// loader (address of each copy, a short dump refused, a good one loaded and made valid).
#include "pages/test_page.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/message_box.h"
#include "pages/page_binder.h"
#include "params/defaults.h"
#include "params/normalize.h"
#include "params/param_addresses.h"

namespace zeda::test {
namespace {

class TestPageTest : public ::testing::Test {
 public:
  TestPageTest() : binder(document, controls), page(MakeContext()) {
    buffers.params = StartImage();
    NormalizeParams(buffers.params);
    binder.AddPage(page);
    binder.CreatePages();
    binder.ChangePage(kTestPageIndex);
    binder.StartRing();
    previousSink = SetMessageSink([this](const UserMessage& m) { messages.push_back(m.text); });
    dir = std::filesystem::temp_directory_path() / ("zeda-test-page-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
  }
  ~TestPageTest() override {
    SetMessageSink(previousSink);
    std::filesystem::remove_all(dir);
  }
  PageContext MakeContext() {
    PageContext context;
    context.connected = [this] { return connected; };
    context.connection = [this] { return connection; };
    context.ask = [this](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    context.testRequest = [this](const std::string& b) { requests.push_back(b); };
    context.chooseFile = [this](const std::string& filter) {
      filters.push_back(filter);
      return chosen;
    };
    context.testMode = true;
    return context;
  }
  void Click(const char* control) { binder.ControlChanged(control, ChangeKind::Immediate); }
  // A dump of `size` bytes whose byte i is (i * 7) & 0xff.
  std::string WriteDump(std::size_t size) {
    const std::string path = (dir / "dump.bin").string();
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>((i * 7) & 0xff));
    return path;
  }

  Document document;

  ImageBuffers& buffers = document.Buffers();
  MemoryControls controls;
  PageBinder binder;
  TestPage page;
  bool connected = true;
  uint32_t connection = 1;
  PageAnswer answer = PageAnswer::Yes;
  std::vector<std::string> questions, requests, filters, messages;
  std::string chosen;
  MessageSink previousSink;
  std::filesystem::path dir;
};

TEST_F(TestPageTest, TheFirstTestOfAConnectionAsksAndTheRestGoStraightOn) {
  EXPECT_NE(std::string(kTestWarning).find("ignition"), std::string::npos);
  Click("ButtonTestIgn1");
  Click("ButtonTestRpm");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find("engine"), std::string::npos);
  EXPECT_EQ(requests, (std::vector<std::string>{"ButtonTestIgn1", "ButtonTestRpm"}));

  connected = false;  // a new connection asks again
  binder.Tick();
  connected = true;
  answer = PageAnswer::No;
  Click("ButtonCalibDwell");
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_EQ(requests.size(), 2u);  // refused: nothing sent
  answer = PageAnswer::Yes;
  Click("ButtonCalibDwell");
  EXPECT_EQ(questions.size(), 3u);
  EXPECT_EQ(requests.back(), "ButtonCalibDwell");
}

// The page is ticked only while it is shown: a reconnection while another page is shown
// must still ask again, whether or not a tick saw the line go.
TEST_F(TestPageTest, AReconnectionWhileAnotherPageIsShownAsksAgain) {
  constexpr int kOtherPage = 0;
  struct Case {
    const char* what;
    bool otherPageShown;  // another page was shown while the unit was away
    bool tickWhileAway;   // a tick came while no unit was connected
  };
  const Case cases[] = {{"away while another page was shown", true, true},
                        {"away while this page was shown", false, true},
                        {"back before the next tick", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    questions.clear();
    requests.clear();
    ++connection;  // each case starts on a connection of its own
    Click("ButtonTestIgn1");
    Click("ButtonTestIgn1");
    ASSERT_EQ(questions.size(), 1u) << "asked once on this connection";

    if (c.otherPageShown) binder.ChangePage(kOtherPage);
    connected = false;
    if (c.tickWhileAway) binder.Tick();
    connected = true;
    ++connection;
    binder.Tick();
    binder.ChangePage(kTestPageIndex);
    binder.Tick();

    Click("ButtonTestIgn2");
    EXPECT_EQ(questions.size(), 2u) << "the new connection was not asked";
    EXPECT_EQ(requests.back(), "ButtonTestIgn2");
    Click("ButtonTestIgn2");
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(requests.size(), 4u);
  }
}

TEST_F(TestPageTest, NoTestWithoutAUnit) {
  connected = false;
  Click("ButtonTestServoPlus");
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(requests.empty());
}

TEST_F(TestPageTest, RefreshShowsTheFittedButtons) {
  for (const char* name : {"GroupBoxTestPout", "ButtonTest01", "ButtonTest04", "ButtonTestIgn2"})
    EXPECT_TRUE(controls.Visible(name)) << name;
  for (const char* name : {"ButtonTestIgn3", "ButtonTestIgn4", "ButtonTestN2O"})
    EXPECT_FALSE(controls.Visible(name)) << name;
  EXPECT_TRUE(controls.Visible("ButtonLoadBin"));
}

TEST_F(TestPageTest, EachCopyHasItsStartAddress) {
  const char* expected[] = {"0x1", "0x481", "0x901", "0xd81"};
  for (int n = 0; n < 4; ++n) {
    controls.SetItemIndex("ComboBoxLoadBin", n);
    Click("ComboBoxLoadBin");
    EXPECT_EQ(controls.Text("EditLoadBin"), expected[n]);
  }
}

TEST_F(TestPageTest, AShortDumpIsRefusedAndNothingChanges) {
  controls.SetItemIndex("ComboBoxLoadBin", 3);
  Click("ComboBoxLoadBin");
  chosen = WriteDump(3 * 1152 + 1 + PARAM_IMAGE_SIZE - 1);  // one byte short
  const ParamImage before = buffers.params;
  const int commits = binder.Commits();
  Click("ButtonLoadBin");
  EXPECT_EQ(filters, (std::vector<std::string>{"*.bin"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Nothing was loaded"), std::string::npos);
  EXPECT_TRUE(buffers.params.bytes == before.bytes);
  EXPECT_EQ(binder.Commits(), commits);
}

TEST_F(TestPageTest, AGoodDumpIsLoadedNormalisedAndUndoneInOneStep) {
  controls.SetItemIndex("ComboBoxLoadBin", 1);
  Click("ComboBoxLoadBin");
  chosen = WriteDump(4 * 1152 + 1);
  const ParamImage before = buffers.params;
  Click("ButtonLoadBin");
  EXPECT_TRUE(messages.empty());
  ParamImage expected;
  for (int i = 0; i < PARAM_IMAGE_SIZE; ++i)
    expected.SetByte(i, static_cast<uint8_t>(((0x481 + i) * 7) & 0xff));
  // The read-out lock is a check box: any nonzero byte comes back as 1.
  expected.SetByte(Adrb::NO_READING, expected.Byte(Adrb::NO_READING) != 0 ? 1 : 0);
  NormalizeParams(expected);
  for (int i = 0; i < PARAM_IMAGE_SIZE; ++i)
    EXPECT_EQ(buffers.params.Byte(i), expected.Byte(i)) << i;
  EXPECT_FALSE(buffers.params.bytes == before.bytes);
  binder.Undo();
  EXPECT_TRUE(buffers.params.bytes == before.bytes);
}

TEST_F(TestPageTest, ABadAddressIsRefusedBeforeAFileIsAskedFor) {
  controls.SetText("EditLoadBin", "zz");
  Click("ButtonLoadBin");
  EXPECT_TRUE(filters.empty());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("hexadecimal"), std::string::npos);
}

}  // namespace
}  // namespace zeda::test
