#include "cli_common.h"

#include <cstdio>
#include <string_view>

#include "params/atomic_file.h"
#include "params/ini_file.h"

namespace zeda::cli {

std::optional<std::string> OptionScanner::Text(const std::string& name) {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] != name) continue;
    if (i + 1 >= args_.size()) {
      error_ = true;
      errorText_ = name + " needs a value";
      return std::nullopt;
    }
    std::string v = args_[i + 1];
    args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
    return v;
  }
  return std::nullopt;
}

std::optional<int> OptionScanner::Int(const std::string& name) {
  auto t = Text(name);
  if (!t) return std::nullopt;
  std::string_view v = *t;
  bool ok = !v.empty();
  for (size_t i = 0; i < v.size(); ++i)
    if (!((v[i] >= '0' && v[i] <= '9') || (i == 0 && v[i] == '-' && v.size() > 1))) ok = false;
  if (!ok || v.size() > 9) {
    error_ = true;
    errorText_ = name + " needs a number, not \"" + *t + "\"";
    return std::nullopt;
  }
  return ParseIntPrefix(v);
}

bool OptionScanner::Flag(const std::string& name) {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

const Args& OptionScanner::Positional() {
  for (const auto& a : args_) {
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      error_ = true;
      errorText_ = "unknown option " + a;
    }
  }
  return args_;
}

bool ReadImageFile(const std::string& path, ParamImage& img, std::string* error) {
  std::string data;
  bool tooLarge = false;
  if (!ReadWholeFile(path, &data, PARAM_IMAGE_SIZE + 1, &tooLarge) && !tooLarge) {
    *error = path + ": cannot be read";
    return false;
  }
  if (tooLarge || data.size() != PARAM_IMAGE_SIZE) {
    *error = path + ": not a parameter image (" + std::to_string(PARAM_IMAGE_SIZE) + " bytes)";
    return false;
  }
  for (size_t i = 0; i < data.size(); ++i) img.bytes[i] = static_cast<uint8_t>(data[i]);
  return true;
}

bool WriteImageFile(const std::string& path, const ParamImage& img, std::string* error) {
  std::string_view data(reinterpret_cast<const char*>(img.Data()), PARAM_IMAGE_SIZE);
  return WriteFileAtomic(path, data, error);
}

int UsageError(const CommandGroup& group, const std::string& why) {
  if (!why.empty()) std::fprintf(stderr, "zedactl: %s\n", why.c_str());
  std::fprintf(stderr, "usage:\n%s", group.usage);
  return kExitUsage;
}

}  // namespace zeda::cli
