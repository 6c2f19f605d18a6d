#include "base/checked_math.h"

#include <cmath>
#include <cstdio>
#include <mutex>

#include "base/identity.h"

namespace zeda {
namespace {

std::mutex gLogMutex;
std::string& LogPath() {
  static std::string path = "IGN.err";
  return path;
}

}  // namespace

std::string MathErrorLine(const std::tm& local, const char* function) {
  char line[256];
  std::snprintf(line, sizeof line, "<LOG TIME=%i.%i.%i %i:%i:%i Vesnako_v%i: MATHERR %s>\n",
                local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                local.tm_sec, kProgramVersion, function);
  return line;
}

void SetMathErrorLogPath(const std::string& path) {
  std::lock_guard lock(gLogMutex);
  LogPath() = path;
}

std::string MathErrorLogPath() {
  std::lock_guard lock(gLogMutex);
  return LogPath();
}

void ReportMathError(MathErrorType /*type*/, const char* function) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string line = MathErrorLine(local, function);
  std::lock_guard lock(gLogMutex);
  // Opened for each entry, so the log survives a crash; a failed open loses only this one.
  if (std::FILE* f = std::fopen(LogPath().c_str(), "a")) {
    std::fputs(line.c_str(), f);
    std::fclose(f);
  }
  std::fprintf(stderr, "MATHERR %s\n", function);
}

double CheckedSqrt(double x) {
  if (x < 0.0) {
    ReportMathError(MathErrorType::Domain, "sqrt");
    return 1.0;
  }
  return std::sqrt(x);
}

double CheckedLog(double x) {
  if (x < 0.0) {
    ReportMathError(MathErrorType::Domain, "log");
  } else if (x == 0.0) {
    ReportMathError(MathErrorType::Singularity, "log");
  }
  return std::log(x);
}

double CheckedLog10(double x) {
  if (x < 0.0) {
    ReportMathError(MathErrorType::Domain, "log10");
  } else if (x == 0.0) {
    ReportMathError(MathErrorType::Singularity, "log10");
  }
  return std::log10(x);
}

double CheckedExp(double x) {
  const double r = std::exp(x);
  if (std::isinf(r) && std::isfinite(x)) ReportMathError(MathErrorType::Overflow, "exp");
  return r;
}

double CheckedPow(double base, double exponent) {
  const double r = std::pow(base, exponent);
  if (base == 0.0 && exponent < 0.0) {
    ReportMathError(MathErrorType::Singularity, "pow");
  } else if (base < 0.0 && std::isfinite(exponent) && exponent != std::trunc(exponent)) {
    ReportMathError(MathErrorType::Domain, "pow");
  } else if (std::isinf(r) && std::isfinite(base) && std::isfinite(exponent)) {
    ReportMathError(MathErrorType::Overflow, "pow");
  }
  return r;
}

double CheckedAsin(double x) {
  if (x < -1.0 || x > 1.0) ReportMathError(MathErrorType::Domain, "asin");
  return std::asin(x);
}

double CheckedAcos(double x) {
  if (x < -1.0 || x > 1.0) ReportMathError(MathErrorType::Domain, "acos");
  return std::acos(x);
}

}  // namespace zeda
