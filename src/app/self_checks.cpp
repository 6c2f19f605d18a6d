#include "app/self_checks.h"

#include "base/message_box.h"

namespace zeda {

std::vector<std::string> SelfCheckMessages(const LayoutSizes& sizes) {
  const LayoutExcess e = ComputeLayoutExcess(sizes);
  std::vector<std::string> out;
  auto check = [&out](int excess, const char* text) {
    if (excess > 0) out.push_back(text + std::to_string(excess));
  };
  check(e.adrw, "Software error: Enum Adrw to long - ");
  check(e.adrb, "Software error: Enum Adrb to long - ");
  check(e.adrbGap, "Software error: Enum Adrb - no space between bytes and tables - ");
  check(e.monw, "Software error: Enum Monw to long - ");
  check(e.monb, "Software error: Enum Monb to long - ");
  for (int bits : e.bitfieldBits) {
    if (bits > 8)
      out.push_back("Software error: More then 8 bits in bitfield - " + std::to_string(bits));
  }
  if (e.image > 0) {
    out.push_back("Software error: RS_LEN_EXE>COMMAXBUF - " + std::to_string(sizes.imageLength) +
                  ">" + std::to_string(sizes.transferBufferSize));
  }
  return out;
}

int RunSelfChecks(const LayoutSizes& sizes) {
  const std::vector<std::string> messages = SelfCheckMessages(sizes);
  for (const std::string& m : messages) ShowMessage(m, "Error", MessageKind::Error);
  return static_cast<int>(messages.size());
}

}  // namespace zeda
