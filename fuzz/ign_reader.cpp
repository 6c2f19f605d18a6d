// Feeds arbitrary bytes to the .ign reader with every page selection and both test modes.
#include "params/ign_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "params/ign_load.h"
#include "params/ign_writer.h"
#include "params/param_addresses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks the page and the test mode; the rest is the file.
  const int page = static_cast<int>(data[0] % 11) - 1;
  const bool testMode = (data[0] & 0x80) != 0;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  zeda::ImageBuffers buf;
  zeda::IgnLoadResult r = zeda::LoadIgnText(buf, text, page, testMode);
  if (r.Accepted()) {
    // Whatever was loaded must write out and read back to the same image, apart from the
    // bytes the file keeps in a narrower form.
    const std::string again = zeda::FormatIgnFile(buf.params);
    zeda::ParamImage expected = buf.params;
    if (expected.Byte(zeda::Adrb::BIKE) == 22) expected.SetByte(zeda::Adrb::BIKE, 255);
    expected.SetByte(zeda::Adrb::NO_READING, expected.Byte(zeda::Adrb::NO_READING) != 0);
    expected.SetByte(zeda::Adrb::INPUT_INVERSE, expected.Byte(zeda::Adrb::INPUT_INVERSE) & 7);
    zeda::ParamImage second = buf.params;
    zeda::ReadIgnText(again, second, {});
    if (!(second == expected)) __builtin_trap();
  }
  return 0;
}
