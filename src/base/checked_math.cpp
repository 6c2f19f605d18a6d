#include "base/checked_math.h"

#include <cmath>
#include <cstdio>
#include <mutex>

#include "base/identity.h"

namespace zeda {
namespace {

std::mutex g_logMutex;
std::string& logPath() {
  static std::string path = "IGN.err";
  return path;
}

}  // namespace

std::string mathErrorLine(const std::tm& local, const char* function) {
  char line[256];
  std::snprintf(line, sizeof line, "<LOG TIME=%i.%i.%i %i:%i:%i Vesnako_v%i: MATHERR %s>\n",
                local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                local.tm_sec, kProgramVersion, function);
  return line;
}

void setMathErrorLogPath(const std::string& path) {
  std::lock_guard lock(g_logMutex);
  logPath() = path;
}

std::string mathErrorLogPath() {
  std::lock_guard lock(g_logMutex);
  return logPath();
}

void reportMathError(MathErrorType /*type*/, const char* function) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string line = mathErrorLine(local, function);
  std::lock_guard lock(g_logMutex);
  // Opened for each entry, so the log survives a crash; a failed open loses only this one.
  if (std::FILE* f = std::fopen(logPath().c_str(), "a")) {
    std::fputs(line.c_str(), f);
    std::fclose(f);
  }
  std::fprintf(stderr, "MATHERR %s\n", function);
}

double CheckedSqrt(double x) {
  if (x < 0.0) {
    reportMathError(MathErrorType::Domain, "sqrt");
    return 1.0;
  }
  return std::sqrt(x);
}

double CheckedLog(double x) {
  if (x < 0.0) {
    reportMathError(MathErrorType::Domain, "log");
  } else if (x == 0.0) {
    reportMathError(MathErrorType::Singularity, "log");
  }
  return std::log(x);
}

double CheckedLog10(double x) {
  if (x < 0.0) {
    reportMathError(MathErrorType::Domain, "log10");
  } else if (x == 0.0) {
    reportMathError(MathErrorType::Singularity, "log10");
  }
  return std::log10(x);
}

double CheckedExp(double x) {
  const double r = std::exp(x);
  if (std::isinf(r) && std::isfinite(x)) reportMathError(MathErrorType::Overflow, "exp");
  return r;
}

double CheckedPow(double base, double exponent) {
  const double r = std::pow(base, exponent);
  if (base == 0.0 && exponent < 0.0) {
    reportMathError(MathErrorType::Singularity, "pow");
  } else if (base < 0.0 && std::isfinite(exponent) && exponent != std::trunc(exponent)) {
    reportMathError(MathErrorType::Domain, "pow");
  } else if (std::isinf(r) && std::isfinite(base) && std::isfinite(exponent)) {
    reportMathError(MathErrorType::Overflow, "pow");
  }
  return r;
}

double CheckedAsin(double x) {
  if (x < -1.0 || x > 1.0) reportMathError(MathErrorType::Domain, "asin");
  return std::asin(x);
}

double CheckedAcos(double x) {
  if (x < -1.0 || x > 1.0) reportMathError(MathErrorType::Domain, "acos");
  return std::acos(x);
}

}  // namespace zeda
