#pragma once
// A small RTF reader for update notices: it keeps the text with paragraph breaks, bold,
// italic and underline, and turns it into a rich-text (HTML) fragment. Everything else --
// pictures, embedded objects, fields' instructions, font and colour tables, binary data --
// is dropped, so a notice can show text and nothing else. Input of any content is safe:
// sizes are bounded by the input and groups nest at most kRtfMaxDepth deep (deeper ones are
// read as text-less). Pure function; any thread.
#include <string>
#include <string_view>

namespace zeda {

inline constexpr int kRtfMaxDepth = 64;

// The rich text of an RTF document (UTF-8; Windows-1250 bytes and \uN characters decoded).
std::string RtfToRichText(std::string_view rtf);

// Plain text made safe as rich text: &, <, >, " escaped, line breaks kept.
std::string PlainToRichText(std::string_view text);

}  // namespace zeda
