#pragma once
// Checked math: the functions the program's computations use instead of the bare
// library calls. An error (domain, singularity, overflow) appends one line
//   "<LOG TIME=d.m.yyyy h:m:s Vesnako_v107: MATHERR <function>>"
// to the math error log "IGN.err" in the working folder and the computation goes on
// with the library's result - except the square root of a negative number, which
// gives 1.0.
#include <ctime>
#include <string>

namespace zeda {

enum class MathErrorType : int {
  Domain = 1,
  Singularity = 2,
  Overflow = 3,
};

double CheckedSqrt(double x);
double CheckedLog(double x);
double CheckedLog10(double x);
double CheckedExp(double x);
double CheckedPow(double base, double exponent);
double CheckedAsin(double x);
double CheckedAcos(double x);

// Logs an error of the named function (also for computations of other areas).
void ReportMathError(MathErrorType type, const char* function);

// The log line for a local time and function name.
std::string MathErrorLine(const std::tm& local, const char* function);

// Where the log goes; "IGN.err" unless changed (tests).
void SetMathErrorLogPath(const std::string& path);
std::string MathErrorLogPath();

}  // namespace zeda
