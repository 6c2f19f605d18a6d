// The search's decisions, driven through a scripted port layer: ports open and close
// at the next supervision, units answer the identification request at once.
#include "link/port_search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/tick_clock.h"
#include "base/trace.h"

namespace zeda {
namespace {

struct FakeUnit {
  int32_t protocol = PROTOCOL_IGN150;
  int32_t baud = 57600;
  int32_t key = 107;
  bool echo = false;
  std::vector<uint8_t> addressedData;  // answer data for the addressed protocols
};

struct FakePort {
  bool present = true;
  bool open = false;
  bool wantOpen = false;
  bool wantClose = false;
  int baud = 0;
  PortOpenError openError = PortOpenError::None;
  bool hasUnit = false;
  FakeUnit unit;
  int opens = 0;
};

struct Shown {
  int slot;
  std::string text;
  int duration;
  uint32_t font, back;
  int priority;
};

class FakeIo : public SearchIo, public StatusSink {
 public:
  std::map<int, FakePort> ports;
  bool scanned = true;
  struct Codec {
    int32_t protocol = 0;
    int32_t timeout = 0;
    int port = 0;
    std::vector<uint8_t> request;
    bool pending = false;  // a request went out and waits for its answer
    std::vector<uint8_t> answer;
  } codecs[kSearchSlotCount];
  std::vector<std::string> sent;  // "COM<port>:<protocol>@<baud>"
  std::vector<std::string> events;
  std::vector<Shown> shown;
  int takenOver = -1;

  void ShowStatus(int slot, const char* text, int durationMs, uint32_t font, uint32_t back,
                  int priority) override {
    shown.push_back({slot, text, durationMs, font, back, priority});
  }
  void SupervisePorts() override {
    for (auto& [n, p] : ports) {
      if (p.wantClose) {
        if (p.open) events.push_back("close COM" + std::to_string(n));
        p.open = false;
        p.wantClose = false;
      } else if (p.wantOpen) {
        p.wantOpen = false;
        if (p.openError == PortOpenError::None && p.present) {
          p.open = true;
          ++p.opens;
          events.push_back("open COM" + std::to_string(n) + "@" + std::to_string(p.baud));
        }
      }
    }
  }
  bool PortsScanned() const override { return scanned; }
  bool PortPresent(int port) const override {
    auto it = ports.find(port);
    return it != ports.end() && it->second.present;
  }
  bool PortIsOpen(int port) const override {
    auto it = ports.find(port);
    return it != ports.end() && it->second.open && !it->second.wantOpen && !it->second.wantClose;
  }
  bool PortIsClosed(int port) const override {
    auto it = ports.find(port);
    return it == ports.end() || (!it->second.open && !it->second.wantOpen && !it->second.wantClose);
  }
  PortOpenError OpenError(int port) const override {
    auto it = ports.find(port);
    return it == ports.end() ? PortOpenError::None : it->second.openError;
  }
  const char* PortDevice(int) const override { return "/nonexistent/ttyFAKE"; }
  void OpenPort(int port, int baud) override {
    FakePort& p = ports[port];
    p.baud = baud;
    if (p.open || p.wantOpen || p.wantClose) p.wantClose = true;
    p.wantOpen = true;
  }
  void ClosePort(int port) override {
    auto it = ports.find(port);
    if (it == ports.end()) return;
    if (it->second.open || it->second.wantOpen || it->second.wantClose) {
      it->second.wantOpen = false;
      it->second.wantClose = true;
    }
  }
  void ResetCodec(int slot, int32_t protocol, int32_t timeoutMs) override {
    codecs[slot] = Codec{};
    codecs[slot].protocol = protocol;
    codecs[slot].timeout = timeoutMs;
  }
  void BuildIdentify(int slot, int32_t paramWord) override {
    Codec& c = codecs[slot];
    c.request.assign(IsAddressedProtocol(c.protocol) ? 16 : BlockProtocolSize(c.protocol) + 2, 0);
    c.request[0] = IsAddressedProtocol(c.protocol) ? 0xFF : 0x30;
    if (c.protocol != PROTOCOL_IGN300 && !IsAddressedProtocol(c.protocol)) {
      c.request[BlockProtocolSize(c.protocol)] = static_cast<uint8_t>(paramWord);
    }
    c.pending = true;
    c.port = -1;
  }
  void RewindIfSent(int slot) override {
    codecs[slot].pending = true;
    codecs[slot].port = -1;
  }
  void ContinueSending(int slot, int port) override {
    Codec& c = codecs[slot];
    if (!c.pending || c.port == port) return;
    c.port = port;  // sent now
    FakePort& p = ports[port];
    sent.push_back("COM" + std::to_string(port) + ":" + ProtocolName(c.protocol) + "@" +
                   std::to_string(p.baud));
    if (!p.hasUnit || !p.open) return;
    if (p.unit.echo) {
      c.answer = c.request;
      return;
    }
    if (p.unit.protocol != c.protocol || p.unit.baud != p.baud) return;
    if (IsAddressedProtocol(c.protocol)) {
      c.answer.assign(14, 0);
      c.answer[7] = 0xBC;
      c.answer[8] = 0xEE;
      c.answer[9] = 0xFE;
      c.answer[12] = static_cast<uint8_t>(p.unit.addressedData.size());
      for (uint8_t b : p.unit.addressedData) c.answer.push_back(b);
      c.answer.push_back(0);
      c.answer.push_back(0);
    } else {
      const int n = BlockProtocolSize(c.protocol);
      c.answer.assign(n + 2, 0);
      c.answer[0] = 0xB0;
      if (c.protocol == PROTOCOL_IGN300) {
        c.answer[2] = static_cast<uint8_t>(p.unit.key >> 8);
        c.answer[3] = static_cast<uint8_t>(p.unit.key);
      } else {
        c.answer[n] = static_cast<uint8_t>(p.unit.key);
      }
    }
  }
  int ReceiveFrame(int slot, int port, const uint8_t** frame) override {
    Codec& c = codecs[slot];
    if (c.answer.empty() || c.port != port) return 0;
    held = c.answer;
    c.answer.clear();
    c.pending = false;
    *frame = held.data();
    return static_cast<int>(held.size());
  }
  int RequestFrame(int slot, const uint8_t** frame) const override {
    *frame = codecs[slot].request.data();
    return static_cast<int>(codecs[slot].request.size());
  }
  void TakeOverCodec(int slot) override { takenOver = slot; }

  std::vector<uint8_t> held;
};

class PortSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTickCount(1000); }
  // One run of the device machine: every second tick.
  void Run(int runs = 1) {
    for (int i = 0; i < runs; ++i) {
      AdvanceTick();
      AdvanceTick();
      search_.SearchRun();
    }
  }
  void AddPort(int n, bool withUnit = false, FakeUnit unit = {}) {
    FakePort& p = io_.ports[n];
    p.hasUnit = withUnit;
    p.unit = unit;
  }
  bool Open(int n) { return io_.ports[n].open; }
  FakeIo io_;
  PortSearch search_{io_, &io_};
};

TEST_F(PortSearchTest, OrderOfProtocolsOnASilentPort) {
  AddPort(4);
  // Until the port comes round a second time.
  for (int i = 0; i < 400 && io_.ports[4].opens < 5; ++i) Run();
  const std::vector<std::string> perProtocol = {
      "IGN150@57600", "WCOM@57600",   "WCOMS@57600",  "IGN150@57600", "IGN50@57600",
      "IGN150@57600", "IGN100@57600", "IGN150@57600", "IGN150@57600", "IGN150@57600",
      "WCOM@115200",  "WCOMS@115200", "IGN150@57600", "IGN300@115200"};
  std::vector<std::string> expected;
  for (const std::string& p : perProtocol) {
    expected.push_back("COM4:" + p);  // request and one repetition
    expected.push_back("COM4:" + p);
  }
  expected.push_back("COM4:IGN150@57600");  // the next round
  EXPECT_EQ(io_.sent, expected);
  const std::vector<std::string> events = {
      "open COM4@57600",  "close COM4",      "open COM4@115200",
      "close COM4",       "open COM4@57600", "close COM4",
      "open COM4@115200", "close COM4",      "open COM4@57600"};
  EXPECT_EQ(io_.events, events);
  EXPECT_EQ(search_.connectedPort, 0);
}

TEST_F(PortSearchTest, WantedUnitIsConnectedOnEveryProtocol) {
  const struct {
    int32_t protocol, baud;
  } cases[] = {{PROTOCOL_IGN150, 57600}, {PROTOCOL_WCOM, 57600},   {PROTOCOL_WCOMS, 57600},
               {PROTOCOL_IGN50, 57600},  {PROTOCOL_IGN100, 57600}, {PROTOCOL_IGN300, 115200},
               {PROTOCOL_WCOM, 115200},  {PROTOCOL_WCOMS, 115200}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(ProtocolName(c.protocol)) + "@" + std::to_string(c.baud));
    FakeIo fio;
    PortSearch s(fio, &fio);
    FakeUnit u;
    u.protocol = c.protocol;
    u.baud = c.baud;
    const uint8_t data[] = {'Z', 'E', 'D', 'A', 0, 48 + 16, 0, 0x34, 0x12, 107, 0};
    u.addressedData.assign(data, data + sizeof data);
    fio.ports[7].hasUnit = true;
    fio.ports[7].unit = u;
    for (int i = 0; i < 400 && s.connectedPort == 0; ++i) {
      AdvanceTick();
      AdvanceTick();
      s.SearchRun();
    }
    ASSERT_EQ(s.connectedPort, 7);
    EXPECT_EQ(s.ActiveLink().protocol, c.protocol);
    EXPECT_EQ(s.ActiveLink().unitKey, 107);
    EXPECT_TRUE(s.portListChanged);
    EXPECT_EQ(s.nextPort, 7);
    EXPECT_EQ(fio.takenOver, 0);
    ASSERT_FALSE(fio.shown.empty());
    const Shown& m = fio.shown.back();
    EXPECT_EQ(m.slot, 1);
    EXPECT_EQ(m.duration, 0);
    EXPECT_EQ(m.font, kColourBlack);
    EXPECT_EQ(m.back, kColourWhite);
    EXPECT_EQ(m.priority, 100);
    const std::string name = s.ActiveLink().unitName;
    if (IsAddressedProtocol(c.protocol)) {
      EXPECT_EQ(name, "ZEDA v107 (hw:1234)");
      EXPECT_EQ(s.ActiveLink().frameSize, 64);
      EXPECT_EQ(s.ActiveLink().overhead, 16);
      EXPECT_EQ(s.ActiveLink().hardwareKey, 0x1234);
    } else {
      EXPECT_EQ(name, "KESTRA2 ZEDA v107");
      EXPECT_EQ(s.ActiveLink().frameSize, BlockProtocolSize(c.protocol) + 2);
      EXPECT_EQ(s.ActiveLink().overhead, 2);
    }
    EXPECT_EQ(m.text, "###" + name + " connected##" + name + " verbunden##" + name + " připojen");
    // The search rests while connected.
    const size_t sent = fio.sent.size();
    for (int i = 0; i < 10; ++i) s.SearchRun();
    EXPECT_EQ(fio.sent.size(), sent);
  }
}

TEST_F(PortSearchTest, OtherUnitIsReportedInRedAndItsPortClosed) {
  FakeUnit u;
  u.key = 42;
  AddPort(3, true, u);
  Run(2);  // open, then ask
  ASSERT_EQ(io_.shown.size(), 1u);
  const Shown& m = io_.shown.front();
  EXPECT_EQ(m.slot, 1);
  EXPECT_EQ(m.duration, 6000);
  EXPECT_EQ(m.font, kColourBlack);
  EXPECT_EQ(m.back, kColourRed);
  EXPECT_EQ(m.priority, 10);
  EXPECT_EQ(m.text,
            "###COM 3:KESTRA2 BETA 1 v42 (unmatched)##COM 3:KESTRA2 BETA 1 v42 verbunden "
            "(unübertroffen)##COM 3:KESTRA2 BETA 1 v42 připojen (nekompatibilní)");
  EXPECT_EQ(search_.connectedPort, 0);
  Run();
  EXPECT_EQ(io_.events, (std::vector<std::string>{"open COM3@57600", "close COM3"}));
  // The automatic search comes back to it and reports it again.
  Run();
  EXPECT_EQ(io_.shown.size(), 2u);
  EXPECT_EQ(search_.connectedPort, 0);
}

TEST_F(PortSearchTest, EchoingLineIsGivenUp) {
  FakeUnit u;
  u.echo = true;
  AddPort(2, true, u);
  Run(2);
  EXPECT_EQ(search_.connectedPort, 0);
  EXPECT_EQ(search_.Slot(0).port, 0);
  EXPECT_EQ(search_.Slot(0).state, SLOT_BACKOFF);
  EXPECT_EQ(io_.sent.size(), 1u);  // given up after the first request
  Run();
  EXPECT_EQ(io_.events, (std::vector<std::string>{"open COM2@57600", "close COM2"}));
}

TEST_F(PortSearchTest, ThreePortsInParallelAndAFourthWaits) {
  for (int n : {1, 2, 3, 5}) AddPort(n);
  Run(2);
  EXPECT_EQ(search_.Slot(0).port, 1);
  EXPECT_EQ(search_.Slot(1).port, 2);
  EXPECT_EQ(search_.Slot(2).port, 3);
  EXPECT_TRUE(Open(1) && Open(2) && Open(3));
  EXPECT_FALSE(Open(5));
  EXPECT_EQ(io_.ports[5].opens, 0);
  // Each slot works through its own port's rows until one gives its port up.
  for (int i = 0; i < 400 && io_.ports[5].opens == 0; ++i) Run();
  EXPECT_EQ(io_.ports[5].opens, 1);
  int holding5 = 0;
  for (int s = 0; s < kSearchSlotCount; ++s) holding5 += search_.Slot(s).port == 5;
  EXPECT_EQ(holding5, 1);
}

TEST_F(PortSearchTest, FixedSettingProbesOnlyThatPortInSlotZero) {
  for (int n : {1, 2, 6}) AddPort(n);
  search_.comSetting = 6;
  Run(300);
  for (const std::string& line : io_.sent) EXPECT_EQ(line.rfind("COM6:", 0), 0u) << line;
  EXPECT_GT(io_.ports[6].opens, 1);  // row after row, round after round
  EXPECT_EQ(io_.ports[1].opens, 0);
  EXPECT_EQ(search_.Slot(1).port, 0);
  EXPECT_EQ(search_.Slot(2).port, 0);
}

TEST_F(PortSearchTest, ChangingTheFixedPortForceClosesTheHeldOne) {
  for (int n : {1, 6}) AddPort(n);
  search_.comSetting = 6;
  Run(2);
  ASSERT_EQ(search_.Slot(0).port, 6);
  ASSERT_TRUE(Open(6));
  search_.comSetting = 1;
  Run();
  EXPECT_EQ(search_.Slot(0).port, 0);
  EXPECT_EQ(search_.Slot(0).state, SLOT_BACKOFF);
  Run(3);
  EXPECT_FALSE(Open(6));
  EXPECT_EQ(search_.Slot(0).port, 1);  // a free slot takes the fixed port
  EXPECT_TRUE(Open(1));
}

TEST_F(PortSearchTest, FixedPortHeldByAnotherSlotIsNotProbedTwice) {
  for (int n : {1, 2, 3}) AddPort(n);
  Run(2);
  ASSERT_EQ(search_.Slot(1).port, 2);
  search_.comSetting = 2;
  for (int i = 0; i < 200; ++i) {
    Run();
    int holding = 0;
    for (int s = 0; s < kSearchSlotCount; ++s) holding += search_.Slot(s).port == 2;
    ASSERT_LE(holding, 1) << "run " << i;
  }
  EXPECT_EQ(search_.Slot(0).port, 2);
}

TEST_F(PortSearchTest, OffClosesEveryProbedPortAndNeverConnects) {
  for (int n : {1, 2}) AddPort(n, true);
  for (auto& [n, p] : io_.ports) p.unit.protocol = PROTOCOL_IGN300;  // not found at once
  for (auto& [n, p] : io_.ports) p.unit.baud = 115200;
  Run(2);
  ASSERT_TRUE(Open(1) && Open(2));
  search_.comSetting = kComSettingOff;
  Run(50);
  EXPECT_FALSE(Open(1));
  EXPECT_FALSE(Open(2));
  EXPECT_EQ(search_.connectedPort, 0);
  for (int s = 0; s < kSearchSlotCount; ++s) EXPECT_EQ(search_.Slot(s).port, 0);
}

TEST_F(PortSearchTest, NothingBeforeTheFirstScanOrWhileDisabled) {
  AddPort(1, true);
  io_.scanned = false;
  Run(5);
  EXPECT_TRUE(io_.sent.empty());
  io_.scanned = true;
  search_.linkEnabled = 0;
  Run(5);
  EXPECT_TRUE(io_.sent.empty());
  search_.linkEnabled = 1;
  Run(3);
  EXPECT_EQ(search_.connectedPort, 1);
}

TEST_F(PortSearchTest, PortHintOncePerPort) {
  AddPort(9);
  io_.ports[9].openError = PortOpenError::PermissionDenied;
  Run(40);
  ASSERT_EQ(io_.shown.size(), 1u);
  EXPECT_EQ(io_.shown[0].slot, 1);
  EXPECT_NE(io_.shown[0].text.find("/nonexistent/ttyFAKE"), std::string::npos);
  EXPECT_NE(io_.shown[0].text.find("dialout"), std::string::npos);
}

// Reads the trace texts (without time stamps) written while `body` runs.
template <typename F>
std::vector<std::string> TraceOf(F body) {
  char path[] = "/tmp/zeda-search-trace-XXXXXX";
  const int fd = mkstemp(path);
  close(fd);
  LinkTraceSink().Open(path);
  body();
  LinkTraceSink().Close();
  std::vector<std::string> lines;
  std::FILE* f = std::fopen(path, "r");
  char line[1024];
  while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr) {
    std::string l(line);
    const size_t at = l.find(") ");
    if (at == std::string::npos) continue;
    l = l.substr(at + 2);
    if (!l.empty() && l.back() == '\n') l.pop_back();
    if (l != "Open LOG") lines.push_back(l);
  }
  if (f != nullptr) std::fclose(f);
  std::remove(path);
  return lines;
}

TEST_F(PortSearchTest, TraceLines) {
  AddPort(4);
  const auto lines = TraceOf([&] { Run(14); });
  const std::vector<std::string> expected = {
      "COM found",
      "[0]Open Port COM4, Protocol=3150, Timeout=175",
      "[0] Send Once (IGN150)...",
      "[0] Send Again...",
      "[0]FAIL PROTOCOL - skip port closing",
      "[0]...skip onening port COM4, Protocol=1, Timeout=75",
      "[0] Send Once (WCOM)...",
      "[0] Send Again...",
      "[0]FAIL PROTOCOL - skip port closing",
      "[0]...skip onening port COM4, Protocol=2, Timeout=125",
      "[0] Send Once (WCOMS)...",
      "[0] Send Again...",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
}

TEST_F(PortSearchTest, TraceOfAFoundAndAnEchoingPort) {
  FakeUnit echo;
  echo.echo = true;
  AddPort(1, true, echo);
  AddPort(2, true);
  const auto lines = TraceOf([&] { Run(3); });
  auto has = [&](const std::string& l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("[0] ECHO !"));
  EXPECT_TRUE(has("[0]FAIL PORT - Close port COM1"));
  EXPECT_TRUE(has("[1] Frame rec (152)..."));
  EXPECT_TRUE(
      has("[1]###KESTRA2 ZEDA v107 connected##KESTRA2 ZEDA v107 verbunden"
          "##KESTRA2 ZEDA v107 připojen"));
  EXPECT_EQ(search_.connectedPort, 2);
}

TEST_F(PortSearchTest, NotOpeningPortIsGivenUp) {
  AddPort(8);
  io_.ports[8].openError = PortOpenError::Other;
  const auto lines = TraceOf([&] { Run(8); });
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[0] Not Openning..."), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[0]FAIL PORT - Close port COM8"), lines.end());
  EXPECT_TRUE(io_.shown.empty());  // no hint for an unexplained failure
}

TEST(PortHint, Texts) {
  char text[640];
  FormatPortHint(text, sizeof text, "/dev/ttyUSB0", PortOpenError::PermissionDenied, "uucp");
  EXPECT_EQ(
      std::string(text).rfind(
          "###Cannot open /dev/ttyUSB0: permission denied. Add your user to the group uucp", 0),
      0u);
  FormatPortHint(text, sizeof text, "/dev/ttyUSB0", PortOpenError::Busy, "");
  EXPECT_EQ(std::string(text).rfind("###/dev/ttyUSB0 is busy: another program holds it.", 0), 0u);
  FormatPortHint(text, sizeof text, "/dev/ttyUSB0", PortOpenError::Other, "");
  EXPECT_STREQ(text, "");
}

std::vector<uint8_t> AddressedAnswer(const std::vector<uint8_t>& data, uint8_t type = 0xBC,
                                     uint16_t command = 0xFEEE) {
  std::vector<uint8_t> f = {0xFF,
                            0xFF,
                            0xFF,
                            0xFF,
                            0xA5,
                            0x5A,
                            0xBB,
                            type,
                            static_cast<uint8_t>(command),
                            static_cast<uint8_t>(command >> 8),
                            0,
                            0,
                            static_cast<uint8_t>(data.size()),
                            static_cast<uint8_t>(data.size() >> 8)};
  for (uint8_t b : data) f.push_back(b);
  f.push_back(0);
  f.push_back(0);
  return f;
}

TEST(IdentifyAnswer, AddressedAnswerEndingAfterTheNameKeepsDefaults) {
  SearchSlot slot;
  auto f = AddressedAnswer({'A', 'B', 0});
  ASSERT_TRUE(PortSearch::DecodeAddressedAnswer(f.data(), int(f.size()), slot));
  EXPECT_EQ(slot.frameSize, 48);
  EXPECT_EQ(slot.overhead, 16);
  EXPECT_EQ(slot.hardwareKey, -1);
  EXPECT_EQ(slot.unitKey, -1);
  EXPECT_STREQ(slot.unitName, "AB v-1 (hw:ffffffff)");
  // An odd byte after the values is not a value.
  f = AddressedAnswer({'A', 0, 100, 0, 7});
  ASSERT_TRUE(PortSearch::DecodeAddressedAnswer(f.data(), int(f.size()), slot));
  EXPECT_EQ(slot.frameSize, 100);
  EXPECT_EQ(slot.hardwareKey, -1);
}

TEST(IdentifyAnswer, AddressedFrameSizeOnlyWithinAFrame) {
  const struct {
    int announced, used;
  } cases[] = {{0, 48}, {16, 48}, {17, 17}, {528, 528}, {529, 48}, {0xFFFF, 48}};
  for (const auto& c : cases) {
    SearchSlot slot;
    auto f = AddressedAnswer(
        {'X', 0, static_cast<uint8_t>(c.announced), static_cast<uint8_t>(c.announced >> 8)});
    ASSERT_TRUE(PortSearch::DecodeAddressedAnswer(f.data(), int(f.size()), slot));
    EXPECT_EQ(slot.frameSize, c.used) << c.announced;
  }
}

TEST(IdentifyAnswer, AddressedNameIsCutTo31Characters) {
  std::vector<uint8_t> data(40, 'N');
  data.push_back(0);
  for (uint8_t b : {64, 0, 0xFF, 0x7F, 107, 0}) data.push_back(b);
  SearchSlot slot;
  auto f = AddressedAnswer(data);
  ASSERT_TRUE(PortSearch::DecodeAddressedAnswer(f.data(), int(f.size()), slot));
  EXPECT_EQ(std::strlen(slot.unitName), 31u);
  EXPECT_EQ(std::string(slot.unitName), std::string(31, 'N'));
  EXPECT_EQ(slot.unitKey, 107);
  EXPECT_EQ(slot.hardwareKey, 0x7FFF);
}

TEST(IdentifyAnswer, AddressedFramesThatAreNoIdentifyAnswerAreIgnored) {
  SearchSlot slot;
  auto request = AddressedAnswer({}, 0xBB);
  EXPECT_FALSE(PortSearch::DecodeAddressedAnswer(request.data(), int(request.size()), slot));
  auto never = AddressedAnswer({'A', 0}, 0xBD);
  EXPECT_FALSE(PortSearch::DecodeAddressedAnswer(never.data(), int(never.size()), slot));
  auto read = AddressedAnswer({'A', 0}, 0xBC, 0x7010);
  EXPECT_FALSE(PortSearch::DecodeAddressedAnswer(read.data(), int(read.size()), slot));
}

TEST(IdentifyAnswer, BlockAnswerRule) {
  SearchSlot slot;
  std::vector<uint8_t> f(152, 0);
  f[0] = 0xB0;
  f[150] = 107;
  ASSERT_TRUE(PortSearch::DecodeBlockAnswer(PROTOCOL_IGN150, f.data(), 152, slot));
  EXPECT_EQ(slot.unitKey, 107);
  EXPECT_EQ(slot.frameSize, 152);
  EXPECT_EQ(slot.overhead, 2);
  EXPECT_EQ(slot.hardwareKey, -1);
  EXPECT_STREQ(slot.unitName, "KESTRA2 ZEDA v107");
  f[150] = 27;  // no model of that key
  ASSERT_TRUE(PortSearch::DecodeBlockAnswer(PROTOCOL_IGN150, f.data(), 152, slot));
  EXPECT_STREQ(slot.unitName, "Torvelix 27");
  f[0] = 0xC1;
  EXPECT_FALSE(PortSearch::DecodeBlockAnswer(PROTOCOL_IGN150, f.data(), 152, slot));

  std::vector<uint8_t> g(302, 0);
  g[0] = 0xB0;
  g[2] = 0x03;
  g[3] = 0xE8;  // 1000, big-endian
  g[300] = 107;
  ASSERT_TRUE(PortSearch::DecodeBlockAnswer(PROTOCOL_IGN300, g.data(), 302, slot));
  EXPECT_EQ(slot.unitKey, 1000);
  EXPECT_EQ(slot.frameSize, 302);

  std::vector<uint8_t> h(52, 0);
  h[0] = 0xB0;
  h[50] = 107;
  ASSERT_TRUE(PortSearch::DecodeBlockAnswer(PROTOCOL_IGN50, h.data(), 52, slot));
  EXPECT_EQ(slot.frameSize, 52);
  EXPECT_EQ(slot.unitKey, 107);
}

}  // namespace
}  // namespace zeda
