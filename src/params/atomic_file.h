#pragma once
// Whole-file writes that never leave a half-written file behind: the data goes to a
// temporary file in the same folder, is flushed to disk and then renamed over the target.
#include <string>
#include <string_view>

namespace zeda {

// Writes data to path atomically. On failure returns false, leaves any old file untouched,
// removes the temporary file and puts a short reason into *error (when given).
bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error = nullptr);

// Reads a whole file into *out; fails for files of maxBytes or more (then *tooLarge is set,
// when given).
bool ReadWholeFile(const std::string& path, std::string* out, size_t maxBytes,
                   bool* tooLarge = nullptr);

}  // namespace zeda
