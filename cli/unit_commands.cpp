// zedactl commands that work with a connected unit: info, read, verify, program, reset.
// Each runs the port search and the unit's check first, prints progress to stderr and
// ends with one result line on stdout.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "app/page_list.h"
#include "base/ascii_case.h"
#include "base/identity.h"
#include "cli_common.h"
#include "commands.h"
#include "link/id_texts.h"
#include "params/defaults.h"
#include "params/ign_completeness.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_diff.h"
#include "params/param_fields.h"
#include "unit_session.h"

namespace zeda::cli {

namespace {

int connectMs = 30000;  // --wait
constexpr int kOperationMs = 60000;

const char kUsage[] =
    "  zedactl info    [--port P]\n"
    "  zedactl read    [--port P] (-o FILE.ign | --raw FILE.bin)\n"
    "  zedactl verify  [--port P] [--partial] FILE.ign|FILE.bin\n"
    "  zedactl program [--port P] [--partial] FILE.ign|FILE.bin\n"
    "  zedactl reset   [--port P]\n"
    "                  P: COMn, n, auto (default) or a device path\n"
    "                  --wait S: seconds to find and check the unit (default 30)\n"
    "                  --partial: take a cut .ign file, its missing fields as defaults\n";

int RunInfo(const Args& args);
int RunRead(const Args& args);
int RunVerify(const Args& args);
int RunProgram(const Args& args);
int RunReset(const Args& args);

const CommandGroup kInfo{"info", kUsage, RunInfo};
const CommandGroup kRead{"read", kUsage, RunRead};
const CommandGroup kVerify{"verify", kUsage, RunVerify};
const CommandGroup kProgram{"program", kUsage, RunProgram};
const CommandGroup kReset{"reset", kUsage, RunReset};

int Fail(int code, const std::string& what) {
  std::fprintf(stdout, "%s\n", what.c_str());
  return code;
}

// Reads a parameter set: a .ign file, or a 1050-byte image; normalised. A cut .ign file
// (lacking keywords the writer always writes) is refused unless `partial`: its missing
// fields would be defaults, not what the user meant to send.
bool LoadSet(const std::string& path, ImageBuffers& images, std::string* error, bool partial,
             bool* incomplete = nullptr) {
  if (EndsWithIgnoringAsciiCase(path, ".ign")) {
    images.params = StartImage();
    const IgnLoadResult r = LoadIgnFile(images, path, -1, false);
    if (!r.opened) {
      *error = path + ": Open file error!";
      return false;
    }
    if (!r.Accepted()) {
      *error = path + ": " +
               (r.read.message != IgnMessage::None ? IgnMessageText(r.read.message)
                                                   : "not a parameter file");
      return false;
    }
    if (r.Partial() && !partial) {
      *error = path + ": incomplete file, missing " + JoinKeywords(r.missing, r.missing.size()) +
               " (give --partial to use it with defaults)";
      if (incomplete) *incomplete = true;
      return false;
    }
  } else if (!ReadImageFile(path, images.params, error)) {
    return false;
  }
  NormalizeParams(images.params);
  return true;
}

// The options every unit command takes: --port P (returned) and --wait S.
std::optional<std::string> ScanUnitOptions(OptionScanner& opt) {
  const auto port = opt.Text("--port");
  const auto wait = opt.Int("--wait");
  if (wait && *wait > 0) connectMs = *wait * 1000;
  return port;
}

// The session with --port applied; nullptr after a usage error (printed).
struct Prepared {
  std::unique_ptr<UnitSession> session;
  int code = 0;
};

Prepared Prepare(const CommandGroup& group, OptionScanner& opt,
                 const std::optional<std::string>& port, const Args& pos, size_t positional) {
  Prepared p;
  if (opt.Error()) {
    p.code = UsageError(group, opt.ErrorText());
    return p;
  }
  if (pos.size() != positional) {
    p.code = UsageError(group, positional == 0 ? "no file expected" : "one FILE expected");
    return p;
  }
  p.session = std::make_unique<UnitSession>(stderr);
  std::string error;
  if (!p.session->SetPort(port.value_or("auto"), &error)) {
    p.session.reset();
    p.code = UsageError(group, error);
  }
  return p;
}

int ConnectOrFail(UnitSession& s) {
  const int code = s.Connect(connectMs);
  if (!s.FailureLine().empty()) return Fail(code, s.FailureLine());
  if (code == kExitNoUnit) return Fail(code, "failed: no unit checked");
  if (code == kExitRefused) {
    return Fail(code, "refused: unit " + std::to_string(s.ops.UnitKey()) + "." +
                          (s.ops.UnitVersion() < 10 ? "0" : "") +
                          std::to_string(s.ops.UnitVersion()) + " does not match " +
                          kUnitVersionText);
  }
  return code;
}

int RunInfo(const Args& args) {
  OptionScanner opt(args);
  const auto port = ScanUnitOptions(opt);
  const Args& pos = opt.Positional();
  if (opt.Error()) return UsageError(kInfo, opt.ErrorText());
  if (!pos.empty()) return UsageError(kInfo, "no file expected");
  UnitSession s(stderr);
  std::string error;
  if (!s.SetPort(port.value_or("auto"), &error)) return UsageError(kInfo, error);
  const int code = s.Connect(connectMs);
  if (!s.FailureLine().empty()) return Fail(code, s.FailureLine());
  if (code == kExitNoUnit) return Fail(code, "failed: no unit checked");
  const LinkSlot& l = s.link.activeLink;
  std::printf("port: COM%i\n", s.link.connectedPort.load());
  std::printf("protocol: %s\n", ProtocolName(l.codec.protocol));
  std::printf("unit: %s\n", l.unitName);
  std::printf("rskey: %i.%02i\n", s.ops.UnitKey(), s.ops.UnitVersion());
  const IdTexts& t = s.ops.UnitIdTexts();
  std::printf("version: %s\n", t.version.c_str());
  std::printf("date: %s\n", t.date.c_str());
  std::printf("time: %s\n", t.time.c_str());
  std::printf("hardware: %s\n", t.hardware.c_str());
  std::printf("serial: %s\n", t.serial.c_str());
  std::printf("last-update: %s\n", t.lastUpdate.c_str());
  std::printf("additional: %s\n", t.additional.c_str());
  if (code == kExitRefused)
    return Fail(code, std::string("refused: the unit does not match ") + kUnitVersionText);
  return code;
}

int RunRead(const Args& args) {
  OptionScanner opt(args);
  const auto port = ScanUnitOptions(opt);
  const auto ign = opt.Text("-o");
  const auto raw = opt.Text("--raw");
  const Args pos = opt.Positional();
  Prepared p = Prepare(kRead, opt, port, pos, 0);
  if (!p.session) return p.code;
  if (ign.has_value() == raw.has_value())
    return UsageError(kRead, "give -o FILE.ign or --raw FILE.bin");
  UnitSession& s = *p.session;
  if (const int code = ConnectOrFail(s)) return code;
  if (s.ReadLocked()) return Fail(kExitRefused, "refused: No reading !");
  const OpOutcome r = s.Run(OP_READ, kOperationMs);
  if (r == OpOutcome::Refused) return Fail(kExitRefused, "refused: No reading !");
  if (r != OpOutcome::Ok && r != OpOutcome::Corrected)
    return Fail(kExitNoUnit, "failed: Read error !");
  std::string error;
  if (raw) {
    // What the unit holds, as it holds it.
    if (!WriteImageFile(*raw, s.images.unitImage, &error))
      return Fail(kExitFileError, "failed: " + error);
  } else if (!WriteIgnFile(*ign, s.images.params, s.FileIdentification(), &error)) {
    return Fail(kExitFileError, "failed: " + error);
  }
  return Fail(kExitOk, r == OpOutcome::Ok ? "read: OK" : "read: OK (values corrected)");
}

// Verify and Program: the set named by the one FILE (with --partial, a set that holds only
// some pages) loaded into a session, then the unit connected. The code is 0 when the session
// is ready; otherwise it has been reported.
Prepared PrepareWithSet(const CommandGroup& group, const Args& args) {
  OptionScanner opt(args);
  const auto port = ScanUnitOptions(opt);
  const bool partial = opt.Flag("--partial");
  const Args pos = opt.Positional();
  Prepared p = Prepare(group, opt, port, pos, 1);
  if (!p.session) return p;
  std::string error;
  bool incomplete = false;
  if (!LoadSet(pos[0], p.session->images, &error, partial, &incomplete)) {
    p.code = Fail(incomplete ? kExitNotAccepted : kExitFileError, "failed: " + error);
  } else {
    p.code = ConnectOrFail(*p.session);
  }
  if (p.code != 0) p.session.reset();
  return p;
}

int RunVerify(const Args& args) {
  Prepared p = PrepareWithSet(kVerify, args);
  if (!p.session) return p.code;
  UnitSession& s = *p.session;
  if (s.ReadLocked()) return Fail(kExitRefused, "refused: No reading !");
  const OpOutcome r = s.Run(OP_VERIFY, kOperationMs);
  if (r == OpOutcome::Ok) return Fail(kExitOk, "verify: same");
  if (r == OpOutcome::Refused) return Fail(kExitRefused, "refused: No reading !");
  if (r != OpOutcome::Different) return Fail(kExitNoUnit, "failed: Verify error !");
  // The fields that differ, each element once, with the page, unit and both values.
  // The image the verdict was made on: the link's read buffer already serves the idle polls.
  for (const FieldDifference& d : DifferencesByField(s.images.params, s.ops.VerifiedImage())) {
    std::printf("different: %s\n", FormatDifference(d, PageCaption(d.group)).c_str());
  }
  return Fail(kExitDifferent, "verify: different");
}

int RunProgram(const Args& args) {
  Prepared p = PrepareWithSet(kProgram, args);
  if (!p.session) return p.code;
  UnitSession& s = *p.session;
  const OpOutcome r = s.Run(OP_PROGRAM, kOperationMs);
  if (r == OpOutcome::Ok) return Fail(kExitOk, "program: OK");
  if (r == OpOutcome::Refused)
    return Fail(kExitRefused, std::string("refused: the unit does not match ") + kUnitVersionText);
  return Fail(kExitNoUnit, "failed: the unit was not programmed completely");
}

int RunReset(const Args& args) {
  OptionScanner opt(args);
  const auto port = ScanUnitOptions(opt);
  const Args pos = opt.Positional();
  Prepared p = Prepare(kReset, opt, port, pos, 0);
  if (!p.session) return p.code;
  UnitSession& s = *p.session;
  if (const int code = ConnectOrFail(s)) return code;
  const OpOutcome r = s.Run(OP_RESET, kOperationMs);
  if (r == OpOutcome::Ok) return Fail(kExitOk, "reset: OK");
  return Fail(kExitNoUnit, "failed: the unit did not take the reset");
}

}  // namespace

std::vector<const CommandGroup*> UnitCommandGroups() {
  return {&kInfo, &kRead, &kVerify, &kProgram, &kReset};
}

}  // namespace zeda::cli
