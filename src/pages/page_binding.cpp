// Transfer primitives between page controls and the parameter image (see page_binding.h).
#include "pages/page_binding.h"

namespace zeda {

namespace {

int Factor(const Binding& row) { return row.factor == 0 ? 1 : row.factor; }

// The byte under a one-byte binding, as stored (unsigned).
int32_t RawByte(const Binding& row, const ParamImage& img) {
  return ReadStored(img, row.field, row.element) & 0xFF;
}

}  // namespace

std::string RowButtonName(const Binding& row, int n) {
  return std::string(row.control) + std::to_string(n);
}

int32_t UpDownPosition(const Binding& row, int32_t stored) {
  if (Field(row.field).area == ParamArea::Word) return stored + row.offset;
  if (row.isSigned) return row.offset + Factor(row) * stored;
  return Factor(row) * (stored + row.offset);
}

int32_t UpDownStored(const Binding& row, int32_t position) {
  if (Field(row.field).area == ParamArea::Word) return position - row.offset;
  return position / Factor(row) - row.offset;  // WriteStored keeps it to 8 bits
}

int ItemIndexOfCode(const PageControls& controls, std::string_view name, int code) {
  const int n = controls.ItemCount(name);
  for (int i = 0; i < n; ++i)
    if (controls.Code(name, i) == code) return i;
  return -1;
}

void LoadBinding(const Binding& row, const ParamImage& img, PageControls& controls) {
  switch (row.kind) {
    case BindKind::UpDown: {
      const int32_t position = UpDownPosition(row, ReadStored(img, row.field, row.element));
      controls.SetPosition(row.control, position);
      // The up-down shows the nearest end of its range; the mark keeps that end from being
      // stored over a value the user never touched.
      if (controls.Position(row.control) != position)
        controls.MarkOutOfRange(row.control, position);
      else
        controls.ClearOutOfRange(row.control);
      break;
    }
    case BindKind::CheckBox: {
      const bool on = RawByte(row, img) != 0;
      if (controls.Checked(row.control) != on) controls.SetChecked(row.control, on);
      break;
    }
    case BindKind::CheckBit: {
      const bool on = ((RawByte(row, img) >> row.bit) & 1) != 0;
      if (controls.Checked(row.control) != on) controls.SetChecked(row.control, on);
      break;
    }
    case BindKind::RadioIndex:
      controls.SetItemIndex(row.control, RawByte(row, img));
      break;
    case BindKind::RadioCode:
    case BindKind::ComboCode:
      controls.SetItemIndex(row.control, ItemIndexOfCode(controls, row.control, RawByte(row, img)));
      break;
    case BindKind::RadioRow: {
      int n = RawByte(row, img);
      if (n >= row.buttons) n = 0;
      for (int b = 0; b < row.buttons; ++b) controls.SetChecked(RowButtonName(row, b), b == n);
      break;
    }
  }
}

void StoreBinding(const Binding& row, const PageControls& controls, ParamImage& img) {
  switch (row.kind) {
    case BindKind::UpDown:
      // A value outside the range stays as it is until the user sets the control.
      if (controls.OutOfRange(row.control)) break;
      WriteStored(img, row.field, row.element, UpDownStored(row, controls.Position(row.control)));
      break;
    case BindKind::CheckBox:
      WriteStored(img, row.field, row.element, controls.Checked(row.control) ? 1 : 0);
      break;
    case BindKind::CheckBit: {
      const int32_t mask = 1 << row.bit;
      const int32_t old = RawByte(row, img);
      WriteStored(img, row.field, row.element,
                  controls.Checked(row.control) ? (old | mask) : (old & ~mask));
      break;
    }
    case BindKind::RadioIndex: {
      // Nothing selected: the stored byte names no item, and it stays as it is.
      const int index = controls.ItemIndex(row.control);
      if (index >= 0) WriteStored(img, row.field, row.element, index);
      break;
    }
    case BindKind::RadioCode:
    case BindKind::ComboCode: {
      // Nothing selected: the stored code is none of the items, and it stays as it is.
      const int index = controls.ItemIndex(row.control);
      if (index >= 0) WriteStored(img, row.field, row.element, controls.Code(row.control, index));
      break;
    }
    case BindKind::RadioRow: {
      int n = 0;
      for (int b = 0; b < row.buttons; ++b)
        if (controls.Checked(RowButtonName(row, b))) n = b;
      WriteStored(img, row.field, row.element, n);
      break;
    }
  }
}

void LoadRows(std::span<const Binding> rows, const ParamImage& img, PageControls& controls) {
  for (const Binding& row : rows) LoadBinding(row, img, controls);
}

void StoreRows(std::span<const Binding> rows, const PageControls& controls, ParamImage& img) {
  for (const Binding& row : rows) StoreBinding(row, controls, img);
}

void SetUpRows(std::span<const Binding> rows, PageControls& controls) {
  for (const Binding& row : rows) {
    if (row.kind == BindKind::UpDown) controls.SetRange(row.control, row.lo, row.hi, row.step);
    if (!row.items.empty() && row.kind != BindKind::RadioRow)
      controls.SetItems(row.control, row.items);
  }
}

}  // namespace zeda
