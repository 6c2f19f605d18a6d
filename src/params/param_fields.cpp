#include "params/param_fields.h"

#include <array>

namespace zeda {

namespace {

// Byte -> field row, built once from the table.
struct ByteOwners {
  std::array<int8_t, PARAM_IMAGE_SIZE> row{};
  ByteOwners() {
    row.fill(-1);
    for (const ParamField& f : kParamFields) {
      for (int b = f.FirstByte(); b < f.EndByte(); ++b)
        row[static_cast<std::size_t>(b)] = static_cast<int8_t>(f.id);
    }
  }
};

const ByteOwners& Owners() {
  static const ByteOwners kOwners;
  return kOwners;
}

}  // namespace

const ParamField* FindField(std::string_view name) {
  for (const ParamField& f : kParamFields) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

const ParamField* FieldAtByte(int n) {
  if (n < 0 || n >= PARAM_IMAGE_SIZE) return nullptr;
  const int r = Owners().row[static_cast<std::size_t>(n)];
  return r < 0 ? nullptr : &kParamFields[r];
}

int32_t ReadStored(const ParamImage& img, const ParamField& f, int element) {
  const int a = f.Address(element);
  if (f.area == ParamArea::Word) {
    const uint16_t w = img.Word(a);
    return f.isSigned ? static_cast<int16_t>(w) : w;
  }
  const uint8_t b = img.Byte(a);
  return f.isSigned ? static_cast<int8_t>(b) : b;
}

void WriteStored(ParamImage& img, const ParamField& f, int element, int32_t stored) {
  const int a = f.Address(element);
  if (f.area == ParamArea::Word)
    img.SetWord(a, static_cast<uint16_t>(stored & 0xFFFF));
  else
    img.SetByte(a, static_cast<uint8_t>(stored & 0xFF));
}

}  // namespace zeda
