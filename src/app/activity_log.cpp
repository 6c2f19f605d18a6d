#include "app/activity_log.h"

#include <ctime>

#include "app/page_list.h"
#include "lang/lang_string.h"
#include "link/device_ops.h"

namespace zeda {

namespace {

struct OpRow {
  int32_t op;
  const char* text;
};

constexpr OpRow kOps[] = {
    {OP_READ, "###Read##Lesen##Čtení"},
    {OP_VERIFY, "###Verify##Prüfen##Kontrola"},
    {OP_PROGRAM, "###Program##Programmieren##Programování"},
    {OP_PROGRAM_CHANGED,
     "###Automatic programming##Automatisches Programmieren##Automatické programování"},
    {OP_RESET, "###Reset##Reset##Reset"},
    {OP_RESET_RELEASE, "###Reset and release##Reset und Freigabe##Reset a uvolnění"},
    {OP_CHECK, "###Unit check##Prüfung der Einheit##Kontrola jednotky"},
};

struct VerdictRow {
  ActivityVerdict verdict;
  const char* text;
};

constexpr VerdictRow kVerdicts[] = {
    {ActivityVerdict::Ok, "###OK##OK##OK"},
    {ActivityVerdict::Corrected,
     "###OK, values corrected##OK, Werte korrigiert##OK, hodnoty opraveny"},
    {ActivityVerdict::Different, "###different##unterschiedlich##rozdílné"},
    {ActivityVerdict::Refused, "###refused##abgelehnt##odmítnuto"},
    {ActivityVerdict::Failed, "###failed##fehlgeschlagen##selhalo"},
    {ActivityVerdict::Interrupted, "###interrupted##unterbrochen##přerušeno"},
    {ActivityVerdict::Nothing,
     "###OK, nothing to program##OK, nichts zu programmieren##OK, není co programovat"},
};

const char kFieldsText[] = "###fields differ##Felder unterschiedlich##rozdílných položek";

ActivityVerdict VerdictOf(OpOutcome outcome) {
  switch (outcome) {
    case OpOutcome::Ok:
      return ActivityVerdict::Ok;
    case OpOutcome::Corrected:
      return ActivityVerdict::Corrected;
    case OpOutcome::Different:
      return ActivityVerdict::Different;
    case OpOutcome::Refused:
      return ActivityVerdict::Refused;
    case OpOutcome::Nothing:
      return ActivityVerdict::Nothing;
    case OpOutcome::Failed:
      break;
  }
  return ActivityVerdict::Failed;
}

}  // namespace

void ActivityLog::OperationInterrupted(int32_t op) { interruptedOp_ = op; }

void ActivityLog::OperationEnded(int32_t op, OpOutcome outcome, int32_t port,
                                 std::chrono::system_clock::time_point when,
                                 std::vector<FieldDifference> differences, std::string detail) {
  ActivityEntry e;
  e.when = when;
  e.port = port;
  e.op = op;
  e.verdict = VerdictOf(outcome);
  if (outcome == OpOutcome::Failed && interruptedOp_ != 0 && interruptedOp_ == op) {
    e.verdict = ActivityVerdict::Interrupted;
  }
  interruptedOp_ = 0;
  // A check succeeds as a check, but a unit that holds other settings than the PC is
  // what the user needs to know.
  if (op == OP_CHECK && outcome == OpOutcome::Ok && !differences.empty()) {
    e.verdict = ActivityVerdict::Different;
  }
  if (e.verdict == ActivityVerdict::Different) e.differences = std::move(differences);
  e.detail = std::move(detail);
  entries_.push_back(std::move(e));
  while (entries_.size() > kMaxEntries) entries_.pop_front();
  ++revision_;
}

void ActivityLog::Clear() {
  entries_.clear();
  interruptedOp_ = 0;
  ++revision_;
}

std::string ActivityOperationText(int32_t op) {
  for (const OpRow& r : kOps) {
    if (r.op == op) return LangText(r.text);
  }
  // Appended, not concatenated: GCC 12's -Wrestrict misreads "#" + std::string at -O2.
  std::string text = "#";
  text += std::to_string(op);
  return text;
}

std::string ActivityVerdictText(ActivityVerdict verdict) {
  for (const VerdictRow& r : kVerdicts) {
    if (r.verdict == verdict) return LangText(r.text);
  }
  return {};
}

std::string ActivityTimeText(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

std::string ActivityPortText(int32_t port) {
  return port > 0 ? "COM" + std::to_string(port) : std::string();
}

std::string ActivityDetailText(const ActivityEntry& entry) {
  std::string out = entry.detail.empty() ? std::string() : LangText(entry.detail.c_str());
  if (entry.differences.empty()) return out;
  if (!out.empty()) out += "; ";
  out += std::to_string(entry.differences.size()) + " " + LangText(kFieldsText) + ": ";
  bool first = true;
  for (const FieldDifference& d : entry.differences) {
    if (!first) out += "; ";
    first = false;
    out += FormatDifference(d, PageCaption(d.group));
  }
  return out;
}

}  // namespace zeda
