#pragma once
// The binding rows of the parameter pages and the transfer primitives between the controls
// and the parameter image.
//
// How to add a page
// -----------------
// 1. Write the page's rows as ONE table, in the order the page stores them:
//
//      inline constexpr PageItem kModeItems[] = {{0, "Off"}, {1, "On"}};
//      inline constexpr Binding kFooRows[] = {
//          UpDown("UpDownFoo", "Foo [ms]", "LabelFoo", FieldId::FOO, 0, 5000, 100),
//          Check("CheckBoxBar", "Bar", FieldId::BAR),
//          CheckBit("CheckBoxBaz1", "Inverse", FieldId::BITS, 0),
//          ComboCode("ComboBoxMode", "Mode", "LabelMode", FieldId::MODE, kModeItems),
//      };
//
//    Factor, offset and sign come from the field table (params/param_fields.h); the range
//    and step are the page's. Controls are named by their objectName; `caption` is a
//    LangString or plain English; `label` names the caption's own label (nullptr: the
//    control carries its caption, as check boxes and group boxes do). `group` names the
//    box the control sits in, for the widget builder (nullptr: the page itself).
// 2. Derive from PageLogic (pages/page_logic.h): return the index and the table; override
//    Create/Load/Store/Refresh/Tick/Change only for what the table cannot say (item lists
//    made at run time, visibility rules, handlers with side effects). Keep that logic in
//    terms of PageControls so it is tested with MemoryControls (tests/pages/).
// 3. Register the page with the binder (PageBinder::AddPage) and the widget builder
//    (pages/ui/page_widget.h builds the widgets from the same table).
//
// Thread contract: pure functions over the image and the controls; window thread.
#include <cstdint>
#include <span>
#include <string>

#include "pages/page_controls.h"
#include "params/param_fields.h"
#include "params/param_image.h"

namespace zeda {

enum class BindKind : uint8_t {
  UpDown,      // up-down with its edit, on a word or a byte
  CheckBox,    // byte = 0/1
  CheckBit,    // one bit of a byte
  RadioIndex,  // radio group, byte = item index
  RadioCode,   // radio group, byte = item code (kept as it is when none is selected)
  ComboCode,   // combo box, byte = item code (kept as it is when none is selected)
  RadioRow,    // a row of radio buttons `control`0 .. `control`n-1, byte = button index
};

struct Binding {
  const char* control;  // objectName (for RadioRow: the buttons' common prefix)
  const char* caption;  // LangString or English; nullptr for none
  const char* label;    // objectName of the caption label, nullptr when the control shows it
  FieldId field;
  int8_t element;  // element of an array field
  BindKind kind;
  int16_t factor;  // up-downs: shown = factor * (stored + offset), from the field
  int16_t offset;
  bool isSigned;
  int32_t lo;  // up-downs: range and step of the control
  int32_t hi;
  int32_t step;
  int8_t bit;                       // CheckBit: the bit
  int8_t buttons;                   // RadioRow: number of buttons
  std::span<const PageItem> items;  // fixed item list (empty: the page fills it at Create)
  const char* group;                // objectName of the enclosing box, nullptr for the page
};

constexpr Binding UpDown(const char* control, const char* caption, const char* label, FieldId f,
                         int32_t lo, int32_t hi, int32_t step = 1, int element = 0,
                         const char* group = nullptr) {
  const ParamField& pf = Field(f);
  return {control,
          caption,
          label,
          f,
          static_cast<int8_t>(element),
          BindKind::UpDown,
          pf.factor,
          pf.offset,
          pf.isSigned,
          lo,
          hi,
          step,
          0,
          0,
          {},
          group};
}
constexpr Binding Check(const char* control, const char* caption, FieldId f, int element = 0,
                        const char* group = nullptr) {
  return {control,
          caption,
          nullptr,
          f,
          static_cast<int8_t>(element),
          BindKind::CheckBox,
          1,
          0,
          false,
          0,
          1,
          1,
          0,
          0,
          {},
          group};
}
constexpr Binding CheckBit(const char* control, const char* caption, FieldId f, int bit,
                           int element = 0, const char* group = nullptr) {
  return {control,
          caption,
          nullptr,
          f,
          static_cast<int8_t>(element),
          BindKind::CheckBit,
          1,
          0,
          false,
          0,
          1,
          1,
          static_cast<int8_t>(bit),
          0,
          {},
          group};
}
constexpr Binding RadioIndex(const char* control, const char* caption, FieldId f,
                             std::span<const PageItem> items, int element = 0,
                             const char* group = nullptr) {
  return {control,
          caption,
          nullptr,
          f,
          static_cast<int8_t>(element),
          BindKind::RadioIndex,
          1,
          0,
          false,
          0,
          0,
          1,
          0,
          0,
          items,
          group};
}
constexpr Binding RadioCode(const char* control, const char* caption, FieldId f,
                            std::span<const PageItem> items = {}, int element = 0,
                            const char* group = nullptr) {
  return {control,
          caption,
          nullptr,
          f,
          static_cast<int8_t>(element),
          BindKind::RadioCode,
          1,
          0,
          false,
          0,
          0,
          1,
          0,
          0,
          items,
          group};
}
constexpr Binding ComboCode(const char* control, const char* caption, const char* label, FieldId f,
                            std::span<const PageItem> items, int element = 0,
                            const char* group = nullptr) {
  return {control,
          caption,
          label,
          f,
          static_cast<int8_t>(element),
          BindKind::ComboCode,
          1,
          0,
          false,
          0,
          0,
          1,
          0,
          0,
          items,
          group};
}
// `items` are the buttons' captions in order (their codes are unused); the row's caption
// goes to the box around the buttons.
constexpr Binding RadioRow(const char* prefix, const char* caption, FieldId f,
                           std::span<const PageItem> items, int element = 0,
                           const char* group = nullptr) {
  return {prefix,
          caption,
          nullptr,
          f,
          static_cast<int8_t>(element),
          BindKind::RadioRow,
          1,
          0,
          false,
          0,
          0,
          1,
          0,
          static_cast<int8_t>(items.size()),
          items,
          group};
}

// The objectName of button n of a RadioRow.
std::string RowButtonName(const Binding& row, int n);

// Image -> control, and control -> image, for one row. Storing leaves the image alone where
// the control cannot show what it holds: an up-down marked out of range, a radio group or
// combo box with no item selected.
void LoadBinding(const Binding& row, const ParamImage& img, PageControls& controls);
void StoreBinding(const Binding& row, const PageControls& controls, ParamImage& img);

// Every row in table order.
void LoadRows(std::span<const Binding> rows, const ParamImage& img, PageControls& controls);
void StoreRows(std::span<const Binding> rows, const PageControls& controls, ParamImage& img);

// Create-time set-up of every row: up-down ranges and steps, fixed item lists.
void SetUpRows(std::span<const Binding> rows, PageControls& controls);

// The up-down position a stored value shows, and back (the rules of the table above; a
// zero factor counts as 1 so that no division is by zero).
int32_t UpDownPosition(const Binding& row, int32_t stored);
int32_t UpDownStored(const Binding& row, int32_t position);

// The item index whose code is `code`, -1 when none matches.
int ItemIndexOfCode(const PageControls& controls, std::string_view name, int code);

}  // namespace zeda
