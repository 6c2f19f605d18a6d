#pragma once
// The load sequence of a parameter file: read once to learn whether it names an engine
// preset, apply the defaults for the page selection when it does, read again, normalise.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "params/ign_reader.h"
#include "params/param_image.h"

namespace zeda {

struct IgnLoadResult {
  bool opened = false;    // the file could be opened
  bool tooLarge = false;  // ignored for its size
  IgnReadResult read;     // the second read, with its message
  // A file of this program's key that lacks keywords (or values) the writer always writes:
  // those keywords. Their fields got the defaults when defaultsApplied, else kept their
  // values.
  std::vector<std::string> missing;
  bool defaultsApplied = false;
  bool Partial() const { return !missing.empty(); }
  bool Accepted() const { return read.Accepted(); }
};

// The text without a number cut by its end (a file that ends in digits was cut there).
std::string_view WithoutCutNumber(std::string_view text);

// Loads .ign text into buf.params for page (-1 all pages). Both reads use the page
// selection, so that "for actual page" really loads only that page's fields. Afterwards
// params is normalised and becomes fileImage, and fileMatches is set.
IgnLoadResult LoadIgnText(ImageBuffers& buf, std::string_view text, int page, bool testMode);

// The same from a file; a file that cannot be opened changes nothing. beforeLoad (when
// given) runs once the file has been read and before the image changes: the place where a
// pending page edit is committed.
IgnLoadResult LoadIgnFile(ImageBuffers& buf, const std::string& path, int page, bool testMode,
                          const std::function<void()>& beforeLoad = {});

}  // namespace zeda
