// zedactl test (the Test page's buttons: a test or a calibration on a connected unit) and
// zedactl selftest (the unit self test, as in the factory test rig).
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "app/self_test_run.h"
#include "base/tick_clock.h"
#include "cli_common.h"
#include "commands.h"
#include "link/calibration_report.h"
#include "link/test_requests.h"
#include "monitor/monitor_display.h"
#include "unit_session.h"

namespace zeda::cli {

namespace {

const char kTestUsage[] =
    "  zedactl test --port P BUTTON... [--wait S]\n"
    "                  presses Test page buttons (ButtonTestIgn1-4, ButtonTest01-04,\n"
    "                  ButtonTestRpm, ButtonTestServoPlus/Minus, ButtonCalibDwell,\n"
    "                  ButtonCalibSPA); a test fires the ignition or switches an output\n"
    "                  of the connected unit; a calibration is followed to its result\n"
    "                  (exit 1 when it failed)\n";
const char kSelfTestUsage[] =
    "  zedactl selftest --port P [--wait S]\n"
    "                  the unit self test (unit in the test rig); its result lines on\n"
    "                  stdout, exit 1 when a check failed\n";

int RunTest(const Args& args);
int RunSelfTest(const Args& args);

const CommandGroup kTest{"test", kTestUsage, RunTest};
const CommandGroup kSelfTest{"selftest", kSelfTestUsage, RunSelfTest};

constexpr int kConnectMs = 30000;
constexpr int kAnswerMs = 10000;       // the longest wait for the next answer
constexpr int kCalibrationMs = 60000;  // the longest wait for a calibration's end
constexpr int kSelfTestMs = 60000;     // restart, measurement and evaluation
constexpr int kExitTestFailed = 1;
constexpr int kTestRpmAddress = 497;  // TEST_RPM, x100 rpm

const TestButtonRow* FindButton(const std::string& name) {
  for (const TestButtonRow& row : kTestButtons)
    if (name == row.control) return &row;
  return nullptr;
}

// Connects the session; the failure line and exit code, or 0.
int Connect(UnitSession& session, const CommandGroup& group, const std::string& port,
            const std::optional<int>& waitSeconds, int* code) {
  std::string error;
  if (!session.SetPort(port, &error)) {
    *code = UsageError(group, error);
    return *code;
  }
  *code = session.Connect(waitSeconds ? *waitSeconds * 1000 : kConnectMs);
  if (*code != 0) std::fprintf(stdout, "%s\n", session.FailureLine().c_str());
  return *code;
}

int RunTest(const Args& args) {
  OptionScanner scan(args);
  const std::optional<std::string> port = scan.Text("--port");
  const std::optional<int> waitSeconds = scan.Int("--wait");
  if (scan.Error()) return UsageError(kTest, scan.ErrorText());
  if (!port) return UsageError(kTest, "--port is required");
  if (scan.Positional().empty()) return UsageError(kTest, "name at least one button");
  std::vector<TestButton> buttons;
  for (const std::string& name : scan.Positional()) {
    const TestButtonRow* row = FindButton(name);
    if (row == nullptr || row->request == TestRequest::None)
      return UsageError(kTest, "unknown test button " + name);
    buttons.push_back(row->button);
  }
  auto session = std::make_unique<UnitSession>(stderr);
  int code = 0;
  if (Connect(*session, kTest, *port, waitSeconds, &code) != 0) return code;

  int answers = 0;
  session->onMonitor = [&](const uint8_t*) { ++answers; };
  for (const TestButton button : buttons) {
    if (!session->ops.RequestTest(button)) {
      std::fprintf(stdout, "failed: the unit took no request\n");
      return kExitNoUnit;
    }
    // Sent once the next answer has come back.
    const int before = answers;
    if (!session->RunWhile([&] { return answers == before && session->ops.UnitConnected(); },
                           kAnswerMs) ||
        !session->ops.UnitConnected()) {
      std::fprintf(stdout, "failed: no monitor answer\n");
      return kExitNoUnit;
    }
    std::fprintf(stdout, "sent: %s\n", TestButtonInfo(button).control);
  }
  if (!session->ops.CalibrationRunning()) return kExitOk;
  if (!session->RunWhile(
          [&] { return session->ops.CalibrationRunning() && session->ops.UnitConnected(); },
          kCalibrationMs)) {
    std::fprintf(stdout, "failed: the calibration did not end\n");
    return kExitTestFailed;
  }
  const CalibrationReport& r = session->ops.LastCalibration();
  const char* kind = r.kind == CalibrationKind::Dwell ? "dwell"
                     : r.kind == CalibrationKind::Spa ? "SPA"
                                                      : "none";
  if (r.phase != CalibrationPhase::Done) {
    std::fprintf(stdout, "calibration %s: failed\n", kind);
    return kExitTestFailed;
  }
  std::fprintf(stdout, "calibration %s: done %i %i %i\n", kind, r.values[0], r.values[1],
               r.values[2]);
  return kExitOk;
}

int RunSelfTest(const Args& args) {
  OptionScanner scan(args);
  const std::optional<std::string> port = scan.Text("--port");
  const std::optional<int> waitSeconds = scan.Int("--wait");
  if (scan.Error()) return UsageError(kSelfTest, scan.ErrorText());
  if (!scan.Positional().empty()) return UsageError(kSelfTest, "unexpected words");
  if (!port) return UsageError(kSelfTest, "--port is required");
  auto session = std::make_unique<UnitSession>(stderr);
  int code = 0;
  if (Connect(*session, kSelfTest, *port, waitSeconds, &code) != 0) return code;

  SelfTest test;
  const MonitorParams params = MonitorParamsFrom(session->images);
  MonitorMemory memory;
  LiveValues values;
  MonitorView view;
  MonitorBlock block;
  int answers = 0;
  SelfTestFacts facts;
  // The test speed the unit itself holds (TEST_RPM), read by the connection's check.
  const ParamImage& held =
      session->images.unitImageValid ? session->images.unitImage : session->images.params;
  facts.testRpm = held.Byte(kTestRpmAddress) * 100;
  facts.unitLine = session->ops.UnitIdTexts().hardware;
  session->onMonitor = [&](const uint8_t* raw) {
    block.Assign(raw);
    EvaluateMonitor(block, true, params, memory, values, view);
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &facts.localTime);
    StepSelfTest(test, session->ops, block, values, facts);
    ++answers;
  };
  // An answer first: the engine speed decides the variant.
  if (!session->RunWhile([&] { return answers == 0 && session->ops.UnitConnected(); }, kAnswerMs)) {
    std::fprintf(stdout, "failed: no monitor answer\n");
    return kExitNoUnit;
  }
  StartSelfTest(test, session->ops, values);
  int32_t lastTick = tickCount();
  const bool ended = session->RunWhile(
      [&] {
        for (; lastTick != tickCount(); ++lastTick) test.Tick();
        return test.State() != SelfTestState::Result && test.State() != SelfTestState::Idle &&
               session->ops.UnitConnected();
      },
      kSelfTestMs);
  if (!ended || test.State() != SelfTestState::Result) {
    std::fprintf(stdout, "failed: the self test did not finish (%s)\n", test.LabelText().c_str());
    return kExitNoUnit;
  }
  for (const std::string& line : test.Memo()) std::fprintf(stdout, "%s\n", line.c_str());
  return test.Result() == 0 ? kExitOk : kExitTestFailed;
}

}  // namespace

std::vector<const CommandGroup*> TestCommandGroups() { return {&kTest, &kSelfTest}; }

}  // namespace zeda::cli
