#pragma once
// Whole-file reads and writes of the user's files and the settings. Writes never leave a
// half-written file behind: the data goes to an unnamed temporary file in the same folder (a
// short-named one where the file system has no unnamed files), is flushed to disk and then
// takes the target's name. Replacing a file needs a short-lived name for a moment; a program
// killed in that moment leaves it, and the next save in that folder removes it. A save treats the
// existing file with care: a symlink is followed to the real file, its mode, owner and group are
// kept, a file the user may not write is refused, and a file in a folder the user may not write is
// written in place. Reads open regular files only, so a named pipe or a device can never
// block the program. Thread contract: none of these keep state; they may run in any thread,
// and they never touch the process-wide umask.
#include <string>
#include <string_view>

namespace zeda {

// Writes data to path atomically. On failure returns false, leaves any old file untouched,
// removes the temporary file and puts a short reason into *error (when given).
bool WriteFileAtomic(const std::string& path, std::string_view data, std::string* error = nullptr);

enum class NewFileResult { Written, Exists, Failed };

// Creates path with data, never replacing anything that already has that name (not even a
// dangling symlink): Exists then, and nothing is written. The file appears complete or not
// at all.
NewFileResult WriteNewFileAtomic(const std::string& path, std::string_view data,
                                 std::string* error = nullptr);

// Reads a whole regular file into *out; fails at once for anything else (named pipe,
// folder, device), and for files of maxBytes or more (then *tooLarge is set, when given).
bool ReadWholeFile(const std::string& path, std::string* out, size_t maxBytes,
                   bool* tooLarge = nullptr);

}  // namespace zeda
