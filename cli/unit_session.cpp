#include "unit_session.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/main_tick.h"
#include "base/tick_clock.h"
#include "base/trace.h"
#include "lang/lang_string.h"
#include "link/port_diagnosis.h"
#include "link/protocol.h"
#include "params/settings.h"

namespace zeda::cli {

namespace {

// COM number given to a device path named on the command line.
constexpr int kPathCom = 250;
constexpr int kTickMs = 55;

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 3 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

const char* ProtocolName(int32_t protocol) {
  const ProtocolInfo* row = FindProtocol(protocol);
  return row != nullptr ? row->name : "?";
}

UnitSession::UnitSession(std::FILE* err) : err_(err) {
  LinkTraceSink().OpenFromEnvironment();
  // Shared with the window: a unit connected before is probed on its row first.
  link.knownPortsIni = ApplicationIniPath(SettingsFolder());
}
UnitSession::~UnitSession() { link.CloseLink(); }

bool UnitSession::SetPort(const std::string& port, std::string* error) {
  if (port == "auto") {
    link.comSetting = 0;
    return true;
  }
  std::string number = port;
  if (number.size() > 3 && (number.compare(0, 3, "COM") == 0 || number.compare(0, 3, "com") == 0))
    number = number.substr(3);
  if (AllDigits(number)) {
    const int com = std::atoi(number.c_str());
    if (com < 1 || com > 255) {
      *error = "--port: COM numbers run from 1 to 255";
      return false;
    }
    link.comSetting = com;
    return true;
  }
  if (port.empty() || port[0] != '/') {
    *error = "--port needs COMn, n, auto or a device path, not \"" + port + "\"";
    return false;
  }
  // A device path becomes a port of its own with a fixed number.
  std::string ports = "COM" + std::to_string(kPathCom) + "=" + port;
  if (const char* old = std::getenv("ZEDA_PORTS"); old != nullptr && *old != '\0')
    ports = std::string(old) + ";" + ports;
  setenv("ZEDA_PORTS", ports.c_str(), 1);
  link.comSetting = kPathCom;
  return true;
}

void UnitSession::ShowStatus(int slot, const char* text, int32_t, Colour, Colour, int32_t) {
  if (slot < StatusSlot::kConnection || slot > StatusSlot::kCongruence || text == nullptr) return;
  const std::string shown = LangText(text, kEnglish);
  if (shown.empty() || shown == lastSlotText_[slot]) return;
  lastSlotText_[slot] = shown;
  std::fprintf(err_, "zedactl: %s\n", shown.c_str());
}

void UnitSession::OperationEnded(int32_t op, OpOutcome outcome) {
  endedOp_ = op;
  outcome_ = outcome;
  ended_ = true;
}

void UnitSession::Tick() {
  const auto start = std::chrono::steady_clock::now();
  AdvanceTick();
  if ((tickCount() & pollMask()) == 0) {
    ops.RunDeviceOps();
    UserMessage box;
    while (ops.TakeMessage(&box)) std::fprintf(err_, "zedactl: %s\n", box.text.c_str());
  }
  // A job that ends during this tick ends the wait; the clock never runs ahead while the
  // search or a job is waiting for an answer.
  const auto end = start + std::chrono::milliseconds(kTickMs);
  const auto finished = [](int32_t job) {
    return job == 0 || job == JOB_DONE || job == JOB_FAILED;
  };
  const bool running = ops.UnitConnected() && !finished(link.Job());
  while (std::chrono::steady_clock::now() < end) {
    const int32_t job = link.Job();
    if (running && (job == JOB_DONE || job == JOB_FAILED)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool UnitSession::WaitFor(int32_t op, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  ended_ = false;
  while (std::chrono::steady_clock::now() < end) {
    Tick();
    if (ended_ && endedOp_ == op) return true;
    ended_ = false;
    if (op == OP_CHECK && CauseCertain()) return false;
  }
  return false;
}

bool UnitSession::RunWhile(const std::function<bool()>& keepGoing, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (keepGoing()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    Tick();
  }
  return true;
}

bool UnitSession::CauseCertain() const {
  const int port = link.comSetting;
  if (port <= 0 || ops.UnitConnected()) return false;
  return link.SearchSeen(port).finding != PortFinding::None;
}

int UnitSession::DescribeNoUnit() {
  // The ports the search had to look at.
  int ports[256];
  int count = 0;
  if (link.comSetting > 0) {
    ports[count++] = link.comSetting;
  } else {
    for (int p = 1; p < kPortCount; ++p) {
      const CCOM& port = link.Port(p);
      if (port.present != 0 && !port.console) ports[count++] = p;
    }
  }
  const auto device = [&](int p) {
    const char* path = link.Port(p).path;
    return std::string(path[0] != 0 ? path : link.Port(p).portName);
  };
  if (count == 0 || (count == 1 && link.Port(ports[0]).present == 0)) {
    failureLine_ = link.comSetting > 0
                       ? "failed: COM" + std::to_string(link.comSetting) + " is not present"
                       : std::string("failed: no serial port found");
    return kExitNoUnit;
  }
  // The most telling cause first: another unit, an echo, an open refused, then silence.
  for (int i = 0; i < count; ++i) {
    const PortSeen& seen = link.SearchSeen(ports[i]);
    if (seen.finding == PortFinding::OtherUnit) {
      failureLine_ = "refused: a unit with key " + std::to_string(seen.unitKey) + " answered on " +
                     device(ports[i]) + ", not " + std::to_string(kUnitKey) + " (" + kProductText +
                     ")";
      return kExitRefused;
    }
  }
  for (int i = 0; i < count; ++i) {
    if (link.SearchSeen(ports[i]).finding == PortFinding::Echo) {
      failureLine_ = "failed: " + device(ports[i]) +
                     " echoes what is sent (a loop-back, an echoing cable, or no unit at its end)";
      return kExitNoUnit;
    }
  }
  for (int i = 0; i < count; ++i) {
    const CCOM& port = link.Port(ports[i]);
    const SerialOpenError error = port.OpenError();
    const std::string dev = device(ports[i]);
    if (error == SerialOpenError::PermissionDenied) {
      std::string group = DeviceGroup(dev.c_str());
      if (group.empty() || group == "root") group = "dialout";
      failureLine_ = "failed: cannot open " + dev +
                     ": permission denied; add your user to the group " + group +
                     " and log in again";
      return kExitNoUnit;
    }
    if (error == SerialOpenError::Busy) {
      const PortHolder holder = FindPortHolder(dev.c_str());
      failureLine_ =
          "failed: " + dev + " is busy: " +
          (holder.pid != 0 ? holder.name + " (pid " + std::to_string(holder.pid) + ") holds it"
                           : std::string("another program holds it"));
      return kExitNoUnit;
    }
  }
  if (count == 1) {
    failureLine_ = "failed: no answer on any protocol on " + device(ports[0]);
  } else {
    failureLine_ = "failed: no answer on any protocol on " + std::to_string(count) + " ports";
  }
  return kExitNoUnit;
}

IgnIdentification UnitSession::FileIdentification() const {
  IgnIdentification id;
  const IdTexts& t = ops.UnitIdTexts();
  id.hexVersion = t.version;
  id.hexDate = t.date;
  id.hexTime = t.time;
  id.hardware = t.hardware;
  id.unitKey = ops.keyCheckText();
  id.serialNumber = t.serial;
  id.lastUpdate = t.lastUpdate;
  id.additional = t.additional;
  return id;
}

int UnitSession::Connect(int timeoutMs) {
  failureLine_.clear();
  if (!WaitFor(OP_CHECK, timeoutMs)) {
    if (ops.UnitConnected()) {
      failureLine_ = "failed: the unit's check did not end";
      return kExitNoUnit;
    }
    return DescribeNoUnit();
  }
  if (outcome_ == OpOutcome::Ok) return 0;
  if (outcome_ == OpOutcome::Refused && ops.IdentPassed()) {
    readLocked_ = true;  // identified, but its settings may not be read
    return 0;
  }
  return outcome_ == OpOutcome::Refused ? kExitRefused : kExitNoUnit;
}

OpOutcome UnitSession::Run(int32_t op, int timeoutMs) {
  if (!ops.Request(op)) return OpOutcome::Refused;
  if (!WaitFor(op, timeoutMs)) return OpOutcome::Failed;
  return outcome_;
}

}  // namespace zeda::cli
