#pragma once
// The escaped-text form in which application.ini keeps file paths: 8-bit text in which
// every UTF-16 unit above 0xFF is written as "\x" and four upper-case hex digits and a
// backslash is doubled. Paths are UTF-8 here; bytes that are not valid UTF-8 travel as
// the units U+DC80..U+DCFF so that any path survives the round trip.
#include <string>
#include <string_view>

namespace zeda {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

std::string EscapePath(std::string_view utf8Path);
// Reverses EscapePath. A value that looks like an unescaped path (a "\\server" name or a
// drive letter with a single backslash) is taken literally.
std::string UnescapePath(std::string_view stored);

}  // namespace zeda
