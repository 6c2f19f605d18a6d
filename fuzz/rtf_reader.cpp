// Feeds arbitrary bytes to the update notice's RTF reader: whatever comes in, the rich text
// that comes out holds only the few tags the reader writes, never markup from the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/rtf_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string out =
      zeda::RtfToRichText(std::string_view(reinterpret_cast<const char*>(data), size));
  static constexpr std::string_view kAllowed[] = {"<br>", "<b>", "</b>", "<i>",
                                                  "</i>", "<u>", "</u>"};
  for (size_t at = out.find('<'); at != std::string::npos; at = out.find('<', at + 1)) {
    bool ok = false;
    for (std::string_view tag : kAllowed) ok = ok || out.compare(at, tag.size(), tag) == 0;
    if (!ok) __builtin_trap();
  }
  return 0;
}
