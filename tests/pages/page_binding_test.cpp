// The transfer primitives between controls and the image, one table of cases per kind.
#include "pages/page_binding.h"

#include <gtest/gtest.h>

#include "params/param_addresses.h"

namespace zeda {
namespace {

struct UpDownCase {
  const char* what;
  Binding row;
  int32_t stored;    // what the image holds (stored form)
  int32_t position;  // what the up-down shows
};

const UpDownCase kUpDownCases[] = {
    {"word", UpDown("U", "", nullptr, FieldId::LIMITER, 1000, 25000, 50), 11000, 11000},
    {"byte x100", UpDown("U", "", nullptr, FieldId::START_LIMITER_DELAY, 0, 5000, 100), 25, 2500},
    {"byte +100", UpDown("U", "", nullptr, FieldId::RPM_CORRECTION, -60, 60), 90, -10},
    {"signed byte", UpDown("U", "", nullptr, FieldId::RPM_PULSES, -2, 12), -2, -2},
    {"signed word", UpDown("U", "", nullptr, FieldId::PROPRIETARY, -32000, 32000), -1234, -1234},
};

TEST(PageBinding, UpDownLoadsAndStoresEveryEncoding) {
  for (const UpDownCase& c : kUpDownCases) {
    SCOPED_TRACE(c.what);
    ParamImage img;
    WriteStored(img, c.row.field, 0, c.stored);
    MemoryControls controls;
    LoadBinding(c.row, img, controls);
    EXPECT_EQ(controls.Position("U"), c.position);
    EXPECT_EQ(controls.Text("U"), std::to_string(c.position));

    ParamImage back;
    StoreBinding(c.row, controls, back);
    EXPECT_EQ(ReadStored(back, c.row.field, 0), c.stored);
  }
}

TEST(PageBinding, ByteStoreDividesByTheFactorAndKeepsEightBits) {
  const Binding row = UpDown("U", "", nullptr, FieldId::START_LIMITER_DELAY, 0, 5000, 100);
  MemoryControls controls;
  controls.SetPosition("U", 2550);  // not a multiple of the step: integer division
  ParamImage img;
  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::START_LIMITER_DELAY), 25);
}

TEST(PageBinding, ZeroFactorNeverDivides) {
  Binding row = UpDown("U", "", nullptr, FieldId::START_LIMITER_DELAY, 0, 5000, 100);
  row.factor = 0;
  MemoryControls controls;
  controls.SetPosition("U", 40);
  ParamImage img;
  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::START_LIMITER_DELAY), 40);
}

TEST(PageBinding, CheckBoxIsTouchedOnlyWhenItDiffers) {
  const Binding row = Check("C", "", FieldId::NO_READING);
  ParamImage img;
  img.SetByte(Adrb::NO_READING, 7);
  MemoryControls controls;
  LoadBinding(row, img, controls);
  EXPECT_TRUE(controls.Checked("C"));
  const int writes = controls.Writes();
  LoadBinding(row, img, controls);
  EXPECT_EQ(controls.Writes(), writes);

  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::NO_READING), 1);
  controls.SetChecked("C", false);
  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::NO_READING), 0);
}

TEST(PageBinding, CheckBitChangesOnlyItsBit) {
  const Binding row = CheckBit("C", "", FieldId::INPUT_INVERSE, 2);
  ParamImage img;
  img.SetByte(Adrb::INPUT_INVERSE, 0b10011);
  MemoryControls controls;
  LoadBinding(row, img, controls);
  EXPECT_FALSE(controls.Checked("C"));
  controls.SetChecked("C", true);
  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::INPUT_INVERSE), 0b10111);
  controls.SetChecked("C", false);
  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::INPUT_INVERSE), 0b10011);
}

constexpr PageItem kCodes[] = {{1, "one"}, {2, "two"}, {0, "zero"}};

// A code no item carries shows no selection, and storing keeps it: writing 255 instead
// would destroy it at the next commit of any control on the page.
TEST(PageBinding, ItemCodeSelectsByCodeAndKeepsTheByteWhenNoneMatches) {
  for (const Binding& row : {ComboCode("K", "", nullptr, FieldId::GEBER_MODE, kCodes),
                             RadioCode("K", "", FieldId::GEBER_MODE, kCodes)}) {
    SCOPED_TRACE(row.kind == BindKind::ComboCode ? "combo" : "radio group");
    MemoryControls controls;
    SetUpRows(std::span(&row, 1), controls);
    ParamImage img;
    img.SetByte(Adrb::GEBER_MODE, 0);
    LoadBinding(row, img, controls);
    EXPECT_EQ(controls.ItemIndex("K"), 2);
    StoreBinding(row, controls, img);
    EXPECT_EQ(img.Byte(Adrb::GEBER_MODE), 0);

    img.SetByte(Adrb::GEBER_MODE, 9);  // no item carries code 9
    LoadBinding(row, img, controls);
    EXPECT_EQ(controls.ItemIndex("K"), -1);
    StoreBinding(row, controls, img);
    EXPECT_EQ(img.Byte(Adrb::GEBER_MODE), 9);

    controls.SetItemIndex("K", 0);  // the user chooses an item
    StoreBinding(row, controls, img);
    EXPECT_EQ(img.Byte(Adrb::GEBER_MODE), 1);
  }
}

TEST(PageBinding, RadioByIndexKeepsAByteBeyondItsItems) {
  constexpr PageItem kThree[] = {{0, "Plus"}, {1, "Minus"}, {2, "Auto"}};
  const Binding row = RadioIndex("R", "", FieldId::PICKUP_POLARITY, kThree);
  MemoryControls controls;
  SetUpRows(std::span(&row, 1), controls);
  ParamImage img;
  img.SetByte(Adrb::PICKUP_POLARITY, 7);
  LoadBinding(row, img, controls);
  EXPECT_EQ(controls.ItemIndex("R"), -1);
  StoreBinding(row, controls, img);
  EXPECT_EQ(img.Byte(Adrb::PICKUP_POLARITY), 7);
}

struct OutsideCase {
  const char* what;
  Binding row;
  int32_t stored;    // stored form, outside what the up-down can show
  int32_t shown;     // the end of the range it shows
  int32_t position;  // the position the stored value stands for
};

const OutsideCase kOutsideCases[] = {
    {"word above", UpDown("U", "", nullptr, FieldId::LIMITER, 1000, 25000, 50), 30000, 25000,
     30000},
    {"word below", UpDown("U", "", nullptr, FieldId::LIMITER, 1000, 25000, 50), 500, 1000, 500},
    {"byte x100", UpDown("U", "", nullptr, FieldId::START_LIMITER_DELAY, 0, 5000, 100), 60, 5000,
     6000},
    {"signed byte", UpDown("U", "", nullptr, FieldId::RPM_PULSES, -2, 12), -56, -2, -56},
    {"byte +100", UpDown("U", "", nullptr, FieldId::RPM_CORRECTION, -60, 60), 200, 60, 100},
};

TEST(PageBinding, UpDownKeepsAStoredValueOutsideItsRangeUntilTheUserSetsIt) {
  for (const OutsideCase& c : kOutsideCases) {
    SCOPED_TRACE(c.what);
    MemoryControls controls;
    SetUpRows(std::span(&c.row, 1), controls);
    ParamImage img;
    WriteStored(img, c.row.field, 0, c.stored);
    LoadBinding(c.row, img, controls);
    EXPECT_EQ(controls.Position("U"), c.shown);
    EXPECT_TRUE(controls.OutOfRange("U"));
    EXPECT_EQ(controls.StoredOutside("U"), c.position);
    StoreBinding(c.row, controls, img);
    EXPECT_EQ(ReadStored(img, c.row.field, 0), c.stored);

    // The user's value replaces it.
    controls.SetPosition("U", c.shown);
    EXPECT_FALSE(controls.OutOfRange("U"));
    StoreBinding(c.row, controls, img);
    EXPECT_EQ(ReadStored(img, c.row.field, 0), UpDownStored(c.row, c.shown));

    // A value inside the range loads without the mark.
    LoadBinding(c.row, img, controls);
    EXPECT_FALSE(controls.OutOfRange("U"));
  }
}

TEST(PageBinding, RadioByIndexAndRowOfButtons) {
  constexpr PageItem kThree[] = {{0, "Plus"}, {1, "Minus"}, {2, "Auto"}};
  const Binding byIndex = RadioIndex("R", "", FieldId::PICKUP_POLARITY, kThree, 1);
  const Binding rowOf = RadioRow("B", "", FieldId::POTENTIOMETER, kThree);
  MemoryControls controls;
  SetUpRows(std::array{byIndex, rowOf}, controls);
  ParamImage img;
  img.SetByte(Adrb::PICKUP_POLARITY + 1, 2);
  LoadBinding(byIndex, img, controls);
  EXPECT_EQ(controls.ItemIndex("R"), 2);
  controls.SetItemIndex("R", 0);
  StoreBinding(byIndex, controls, img);
  EXPECT_EQ(img.Byte(Adrb::PICKUP_POLARITY + 1), 0);

  img.SetByte(Adrb::POTENTIOMETER, 2);
  LoadBinding(rowOf, img, controls);
  EXPECT_TRUE(controls.Checked("B2"));
  EXPECT_FALSE(controls.Checked("B0"));
  img.SetByte(Adrb::POTENTIOMETER, 7);  // beyond the buttons: the first one
  LoadBinding(rowOf, img, controls);
  EXPECT_TRUE(controls.Checked("B0"));
  EXPECT_FALSE(controls.Checked("B2"));

  for (int b = 0; b < 3; ++b) controls.SetChecked(RowButtonName(rowOf, b), false);
  StoreBinding(rowOf, controls, img);
  EXPECT_EQ(img.Byte(Adrb::POTENTIOMETER), 0);  // none checked
  controls.SetChecked("B1", true);
  StoreBinding(rowOf, controls, img);
  EXPECT_EQ(img.Byte(Adrb::POTENTIOMETER), 1);
}

}  // namespace
}  // namespace zeda
