// zedactl monitor (live decoded values and CSV from a connected unit) and zedactl log
// (what a .ignlog recording holds, and its monitor records as CSV).
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/identity.h"
#include "cli_common.h"
#include "commands.h"
#include "monitor/csv_output.h"
#include "monitor/ignlog_reader.h"
#include "monitor/monitor_display.h"
#include "params/atomic_file.h"
#include "unit_session.h"

namespace zeda::cli {

namespace {

const char kMonitorUsage[] =
    "  zedactl monitor --port P [--count N] [--csv FILE] [--wait S]\n"
    "                  the decoded monitor values of each answer (until Ctrl-C without\n"
    "                  --count); --csv: every answer also as a line of FILE;\n"
    "                  --wait S: seconds to find and check the unit (default 30)\n";
const char kLogUsage[] =
    "  zedactl log info FILE.ignlog\n"
    "  zedactl log csv  FILE.ignlog OUT.csv\n";

int RunMonitor(const Args& args);
int RunLog(const Args& args);

const CommandGroup kMonitor{"monitor", kMonitorUsage, RunMonitor};
const CommandGroup kLog{"log", kLogUsage, RunLog};

constexpr int kConnectMs = 30000;
constexpr int kAnswerMs = 10000;  // the longest wait for the next answer

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }

const char* ColourName(Colour c) {
  struct Named {
    Colour colour;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {kMonRed, "red"},   {kMonLime, "lime"},       {kMonYellow, "yellow"},
      {kMonAqua, "aqua"}, {kMonFuchsia, "fuchsia"}, {kMonPurple, "purple"},
      {kMonGray, "gray"}, {kMonTeal, "teal"},       {kMonWhite, "white"},
  };
  for (const Named& n : kNames)
    if (n.colour == c) return n.name;
  return nullptr;
}

// One answer: every shown label as "name: text", its colour when it has one.
void PrintView(std::FILE* out, int answer, const MonitorView& view) {
  std::fprintf(out, "answer %i\n", answer);
  for (int i = 0; i < kMonLabelCount; ++i) {
    const LabelView& l = view.labels[static_cast<std::size_t>(i)];
    if (!l.visible) continue;
    std::fprintf(out, "%s: %s", kMonitorLabelNames[i], l.text.c_str());
    if (const char* colour = ColourName(l.colour)) std::fprintf(out, " [%s]", colour);
    if (!l.enabled) std::fprintf(out, " (disabled)");
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "\n");
  std::fflush(out);
}

int RunMonitor(const Args& args) {
  OptionScanner scan(args);
  const std::optional<std::string> port = scan.Text("--port");
  const std::optional<int> count = scan.Int("--count");
  const std::optional<std::string> csvPath = scan.Text("--csv");
  const std::optional<int> waitSeconds = scan.Int("--wait");
  if (scan.Error()) return UsageError(kMonitor, scan.ErrorText());
  if (!scan.Positional().empty() || scan.Error())
    return UsageError(kMonitor, scan.Error() ? scan.ErrorText() : "unexpected words");
  if (!port) return UsageError(kMonitor, "--port is required");
  if (count && *count < 1) return UsageError(kMonitor, "--count must be at least 1");
  if (waitSeconds && (*waitSeconds < 1 || *waitSeconds > 3600))
    return UsageError(kMonitor, "--wait must be 1 to 3600 seconds");

  auto session = std::make_unique<UnitSession>(stderr);
  std::string error;
  if (!session->SetPort(*port, &error)) return UsageError(kMonitor, error);
  if (const int code = session->Connect(waitSeconds ? *waitSeconds * 1000 : kConnectMs);
      code != 0) {
    std::fprintf(stdout, "%s\n", session->FailureLine().c_str());
    return code;
  }
  // Once the unit answers (no file is left behind without one).
  CsvOutput csv;
  if (csvPath && !csv.Start(*csvPath, &error)) {
    std::fprintf(stderr, "zedactl: %s: cannot be written (%s)\n", csvPath->c_str(), error.c_str());
    return kExitFileError;
  }

  const MonitorParams params = MonitorParamsFrom(session->images);
  MonitorMemory memory;
  LiveValues values;
  MonitorView view;
  int answers = 0;
  bool csvFailed = false;
  session->onMonitor = [&](const uint8_t* raw) {
    MonitorBlock block;
    block.Assign(raw);
    // One line per fresh answer; a line that cannot be written ends the run.
    if (!csv.WriteLine(block, WallClockMs())) csvFailed = true;
    EvaluateMonitor(block, true, params, memory, values, view);
    PrintView(stdout, ++answers, view);
  };
  interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  int seen = 0;
  bool timedOut = false;
  while (!interrupted && !csvFailed && (!count || answers < *count)) {
    seen = answers;
    if (!session->RunWhile(
            [&] { return answers == seen && !interrupted && session->ops.UnitConnected(); },
            kAnswerMs)) {
      timedOut = true;
      break;
    }
    if (!session->ops.UnitConnected()) break;
  }
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  csv.Stop();
  if (std::string why; csv.TakeFailure(&why)) {
    std::fprintf(stderr, "zedactl: %s: the CSV output stopped, a line cannot be written (%s)\n",
                 csvPath->c_str(), why.c_str());
    return kExitFileError;
  }
  if (interrupted) return kExitOk;
  if (count && answers >= *count) return kExitOk;
  std::fprintf(stdout, "failed: %s after %i answers\n",
               timedOut ? "no monitor answer" : "the link was lost", answers);
  return kExitNoUnit;
}

// Reads a recording for zedactl log; a refusal is one line on stderr and its exit code.
int LoadLog(const std::string& path, IgnlogFile& file) {
  const IgnlogReadResult r = ReadIgnlogFile(path, file);
  if (r.Ok()) return kExitOk;
  std::fprintf(stderr, "zedactl: %s: %s\n", path.c_str(), IgnlogErrorText(r).c_str());
  return r.error == IgnlogError::Unreadable ? kExitFileError : kExitNotAccepted;
}

int LogInfo(const std::string& path) {
  IgnlogFile file;
  if (const int code = LoadLog(path, file); code != kExitOk) return code;
  int types[6] = {};
  for (int k = 0; k < file.count; ++k) {
    const int t = file.Record(k).type;
    if (t >= 1 && t <= 5) ++types[t];
  }
  std::printf("records: %i\ninitial: %i\nstart: %lld\nrskey: %i\nduration-ms: %u\n", file.count,
              file.initial, static_cast<long long>(file.start), file.unitKey, file.DurationMs());
  std::printf("types: 1=%i 2=%i 3=%i 4=%i 5=%i\n", types[1], types[2], types[3], types[4],
              types[5]);
  return kExitOk;
}

int LogCsv(const std::string& path, const std::string& outPath) {
  IgnlogFile file;
  if (const int code = LoadLog(path, file); code != kExitOk) return code;
  if (file.unitKey != kUnitKey) {
    std::fprintf(stderr, "zedactl: %s: RS keys are not equal (%i!=%i)\n", path.c_str(),
                 file.unitKey, kUnitKey);
    return kExitNotAccepted;
  }
  std::string out = CsvHeaderLines();
  for (int k = 0; k < file.count; ++k) {
    const IgnlogRecordView r = file.Record(k);
    if (r.type != kRecordMonitor) continue;
    MonitorBlock block;
    std::memcpy(block.pos.data(), r.payload, kMonitorAnswerBytes);
    // Position 150 is not recorded; the checked key stands in, as in playback.
    block.pos[Monb::RSKEY_MAJOR] = static_cast<uint8_t>(file.unitKey);
    block.pos[0] = 0;
    out += CsvDataLine(block, LocalCsvTime(file.start * 1000 + r.timeMs));
  }
  std::string error;
  if (!WriteFileAtomic(outPath, out, &error)) {
    std::fprintf(stderr, "zedactl: %s: %s\n", outPath.c_str(), error.c_str());
    return kExitFileError;
  }
  return kExitOk;
}

int RunLog(const Args& args) {
  if (args.size() == 2 && args[0] == "info") return LogInfo(args[1]);
  if (args.size() == 3 && args[0] == "csv") return LogCsv(args[1], args[2]);
  return UsageError(kLog, "expected info FILE or csv FILE OUT");
}

}  // namespace

std::vector<const CommandGroup*> MonitorCommandGroups() { return {&kMonitor, &kLog}; }

}  // namespace zeda::cli
