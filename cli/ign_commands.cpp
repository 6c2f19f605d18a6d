// zedactl file commands: .ign <-> image conversion, normalising and defaults.
#include <cstdio>

#include "cli_common.h"
#include "commands.h"
#include "params/defaults.h"
#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/normalize.h"
#include "params/param_addresses.h"

namespace zeda::cli {

namespace {

bool ValidPage(int page) { return page >= -1 && page <= 9; }

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "zedactl: %s\n", message.c_str());
  return code;
}

int Write(const std::string& path, const ParamImage& img) {
  std::string error;
  if (!WriteImageFile(path, img, &error)) return Fail(kExitFileError, error);
  return kExitOk;
}

extern const CommandGroup kIgnGroup;
extern const CommandGroup kNormalizeGroup;
extern const CommandGroup kDefaultsGroup;

int RunIgnToBin(const Args& args) {
  OptionScanner opt(args);
  const int page = opt.Int("--page").value_or(-1);
  const bool testMode = opt.Flag("--test-mode");
  const Args& pos = opt.Positional();
  if (opt.Error()) return UsageError(kIgnGroup, opt.ErrorText());
  if (pos.size() != 2) return UsageError(kIgnGroup, "ign to-bin needs IN.ign and OUT.bin");
  if (!ValidPage(page)) return UsageError(kIgnGroup, "--page must be -1 to 9");

  ImageBuffers buf;
  buf.params = StartImage();
  IgnLoadResult r = LoadIgnFile(buf, pos[0], page, testMode);
  if (!r.opened) return Fail(kExitFileError, pos[0] + ": Open file error!");
  if (!r.Accepted()) {
    if (r.read.message == IgnMessage::UnmatchedVersion)
      return Fail(kExitNotAccepted, pos[0] + ": " + IgnMessageText(r.read.message));
    if (r.tooLarge) return Fail(kExitNotAccepted, pos[0] + ": file too large, ignored");
    return Fail(kExitNotAccepted, pos[0] + ": no TORVELIX_KEY header, not a parameter file");
  }
  if (r.read.message != IgnMessage::None)
    std::fprintf(stderr, "zedactl: %s\n", IgnMessageText(r.read.message).c_str());
  return Write(pos[1], buf.params);
}

int RunIgnFromBin(const Args& args) {
  OptionScanner opt(args);
  const Args& pos = opt.Positional();
  if (opt.Error()) return UsageError(kIgnGroup, opt.ErrorText());
  if (pos.size() != 2) return UsageError(kIgnGroup, "ign from-bin needs IN.bin and OUT.ign");
  ParamImage img;
  std::string error;
  if (!ReadImageFile(pos[0], img, &error)) return Fail(kExitFileError, error);
  NormalizeParams(img);
  // The window's Save says the same for a file it cannot write.
  if (!WriteIgnFile(pos[1], img, IgnIdentification{}, &error))
    return Fail(kExitFileError, "Open file error! " + error);
  return kExitOk;
}

int RunIgn(const Args& args) {
  if (args.empty()) return UsageError(kIgnGroup, "");
  Args rest(args.begin() + 1, args.end());
  if (args[0] == "to-bin") return RunIgnToBin(rest);
  if (args[0] == "from-bin") return RunIgnFromBin(rest);
  return UsageError(kIgnGroup, "unknown ign command " + args[0]);
}

int RunNormalize(const Args& args) {
  OptionScanner opt(args);
  const Args& pos = opt.Positional();
  if (opt.Error()) return UsageError(kNormalizeGroup, opt.ErrorText());
  if (pos.size() != 2) return UsageError(kNormalizeGroup, "normalize needs IN.bin and OUT.bin");
  ParamImage img;
  std::string error;
  if (!ReadImageFile(pos[0], img, &error)) return Fail(kExitFileError, error);
  NormalizeParams(img);
  return Write(pos[1], img);
}

int RunDefaults(const Args& args) {
  OptionScanner opt(args);
  const auto bike = opt.Int("--bike");
  const auto from = opt.Text("--from");
  const int page = opt.Int("--page").value_or(-1);
  const Args& pos = opt.Positional();
  if (opt.Error()) return UsageError(kDefaultsGroup, opt.ErrorText());
  if (pos.size() != 1) return UsageError(kDefaultsGroup, "defaults needs OUT.bin");
  if (!ValidPage(page)) return UsageError(kDefaultsGroup, "--page must be -1 to 9");
  if (bike && (*bike < 0 || *bike > 255))
    return UsageError(kDefaultsGroup, "--bike must be 0 to 255");

  ParamImage img = StartImage();
  std::string error;
  if (from && !ReadImageFile(*from, img, &error)) return Fail(kExitFileError, error);
  if (bike) img.SetByte(Adrb::BIKE, static_cast<uint8_t>(*bike));
  PageGroups groups;
  ApplyDefaultsForPage(img, groups, page);
  NormalizeParams(img);
  return Write(pos[0], img);
}

const CommandGroup kIgnGroup = {"ign",
                                "  zedactl ign to-bin IN.ign OUT.bin [--page N] [--test-mode]\n"
                                "  zedactl ign from-bin IN.bin OUT.ign\n",
                                RunIgn};
const CommandGroup kNormalizeGroup = {"normalize", "  zedactl normalize IN.bin OUT.bin\n",
                                      RunNormalize};
const CommandGroup kDefaultsGroup = {
    "defaults", "  zedactl defaults OUT.bin [--bike N] [--from IN.bin] [--page N]\n", RunDefaults};

}  // namespace

std::vector<const CommandGroup*> IgnCommandGroups() {
  return {&kIgnGroup, &kNormalizeGroup, &kDefaultsGroup};
}

}  // namespace zeda::cli
