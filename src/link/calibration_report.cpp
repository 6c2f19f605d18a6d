#include "link/calibration_report.h"

#include <cstddef>

namespace zeda {

namespace {
int32_t Word(const uint8_t* block, int word) {
  return block[2 * word] | (block[2 * word + 1] << 8);
}
}  // namespace

CalibrationReport ReadCalibrationReport(const uint8_t* block) {
  CalibrationReport report;
  const int32_t status = Word(block, kCalibStatusWord);
  const int32_t kind = status / 10;
  const int32_t phase = status % 10;
  if ((kind != 1 && kind != 2) || phase < 1 || phase > 3) return report;
  report.kind = static_cast<CalibrationKind>(kind);
  report.phase = static_cast<CalibrationPhase>(phase);
  report.progress = Word(block, kCalibProgressWord);
  for (int i = 0; i < kCalibValueCount; ++i)
    report.values[static_cast<std::size_t>(i)] = Word(block, kCalibValueWord + i);
  return report;
}

}  // namespace zeda
