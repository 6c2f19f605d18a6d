#pragma once
// Writer of .ign parameter files: the image in shown values, one keyword per group, in the
// fixed column layout that people compare by eye and older programs read.
#include <string>

#include "params/atomic_file.h"
#include "params/param_image.h"

namespace zeda {

// The texts of the trailing identification lines.
struct IgnIdentification {
  // Program in the unit: the three version labels of the Bike page.
  std::string hexDate, hexTime, hexVersion;
  // Unit identification texts.
  std::string hardware, unitKey, serialNumber, lastUpdate, additional;
  // This program's build date ("Oct 19 2023") and time ("12:34:56"); empty = this build's.
  std::string exeDate, exeTime;
  // With a unit connected the three dwell calibration values of its monitor follow.
  bool unitConnected = false;
  int calibEE = 0, calibFlash = 0, calibNew = 0;
};

// Renders img as .ign text. The image should be normalised first.
std::string FormatIgnFile(const ParamImage& img, const IgnIdentification& id = {});

// Writes the file atomically (temporary file, flush, rename). On failure the old file
// stays as it was and *error says why.
bool WriteIgnFile(const std::string& path, const ParamImage& img, const IgnIdentification& id,
                  std::string* error = nullptr);

// The same for a file that must not exist yet: nothing that has the name is replaced.
NewFileResult WriteNewIgnFile(const std::string& path, const ParamImage& img,
                              const IgnIdentification& id, std::string* error = nullptr);

}  // namespace zeda
