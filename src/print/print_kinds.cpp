#include "print/print_kinds.h"

namespace zeda {
namespace {

using T = PrintTreatment;

constexpr PrintKind kKinds[] = {
    {"Label", 1, T::TransparentIfFace},
    {"UpDown", 2, T::HideIfVisible},
    {"DeciUpDown", 3, T::None},
    {"RadioButton", 4, T::None},
    {"RadioGroup", 5, T::WhiteIfFace},
    {"CheckBox", 6, T::WhiteIfFace},
    {"ComboBox", 7, T::None},
    {"Button", 8, T::HideIfVisible},
    {"GroupBox", 9, T::ChildrenThenWhite},
    {"Tab", 10, T::PrintMode},
    {"PageControl", 15, T::Children},
    {"TabSheet", 16, T::SheetChildren},
    {"CGauge", 17, T::HideIfVisible},
    {"Image", 18, T::None},
    {"Edit", 19, T::None},
    {"BitBtn", 21, T::HideIfVisible},
    {"SpeedButton", 22, T::None},
    {"Bevel", 23, T::None},
    {"StatusBar", 24, T::None},
    {"Memo", 25, T::None},
    {"DeciEdit", 26, T::None},
    {"ScrollBar", 27, T::HideIfVisible},
};

constexpr PrintKind kOther = {"", 0, T::None};

}  // namespace

const PrintKind& PrintKindFor(std::string_view className) {
  for (const PrintKind& k : kKinds) {
    if (className == k.className) return k;
  }
  return kOther;
}

}  // namespace zeda
