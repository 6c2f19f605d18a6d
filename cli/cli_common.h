#pragma once
// Shared pieces of the zedactl command groups: exit codes, argument scanning, image files.
#include <optional>
#include <string>
#include <vector>

#include "params/param_image.h"

namespace zeda::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;  // a file could not be read or written
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotAccepted = 4;  // the parameter file was not accepted

using Args = std::vector<std::string>;

// A command group: args start after the group's own name.
struct CommandGroup {
  const char* name;
  const char* usage;  // one or more lines, each "zedactl ..."
  int (*run)(const Args& args);
};

// Reads "--name VALUE" options out of args (removing them); positional words remain.
class OptionScanner {
 public:
  explicit OptionScanner(Args args) : args_(std::move(args)) {}
  // The integer value of --name; error() is set for a missing or malformed value.
  std::optional<int> Int(const std::string& name);
  std::optional<std::string> Text(const std::string& name);
  bool Flag(const std::string& name);
  // The positional words; error() is set when an unknown "--" option is left.
  const Args& Positional();
  bool Error() const { return error_; }
  const std::string& ErrorText() const { return errorText_; }

 private:
  Args args_;
  bool error_ = false;
  std::string errorText_;
};

// A 1050-byte image file.
bool ReadImageFile(const std::string& path, ParamImage& img, std::string* error);
bool WriteImageFile(const std::string& path, const ParamImage& img, std::string* error);

int UsageError(const CommandGroup& group, const std::string& why);

}  // namespace zeda::cli
