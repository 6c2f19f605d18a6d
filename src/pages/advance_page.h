#pragma once
// The Advance Map page (index 3): the map editor with the two advance sheets, the base
// advance, the cylinder corrections and the choice of advance map for ignition output 2.
//
// The map editor reports its edits itself (TTab::onTableChanged): the page takes the
// overlays the table changed, stores both sheets and commits. Every load hands the
// image's overlays to every table, so that a limiter changed on another page is never
// written back by a later map edit.
//
// Thread contract: window thread only (driven by the PageBinder and the map editor).
#include <span>
#include <vector>

#include "base/colours.h"
#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"

namespace zeda {

inline constexpr int kAdvancePageIndex = 3;
inline constexpr int kCylinderCorrections = 4;
inline constexpr int kBaseAdvanceRow = 0;  // its row in kAdvanceRows (a map overlay too)
inline constexpr char kBaseAdvanceCaption[] = "LabelBaseAdv";  // drawn green by the tick

// clang-format off
inline constexpr Binding kAdvanceRows[] = {
    UpDown("UpDownBaseAdv", "Base advance [°]", "LabelBaseAdv", FieldId::BASE_ADV, 0, 40),
    UpDown("UpDownKorAdv1", "1", "LabelKorAdv1", FieldId::CORR_ADVANCE, -30, 30, 1, 0, "GroupBoxCorections"),
    UpDown("UpDownKorAdv2", "2", "LabelKorAdv2", FieldId::CORR_ADVANCE, -30, 30, 1, 1, "GroupBoxCorections"),
    UpDown("UpDownKorAdv3", "3", "LabelKorAdv3", FieldId::CORR_ADVANCE, -30, 30, 1, 2, "GroupBoxCorections"),
    UpDown("UpDownKorAdv4", "4", "LabelKorAdv4", FieldId::CORR_ADVANCE, -30, 30, 1, 3, "GroupBoxCorections"),
    Check("CheckBoxAdv2ToOut2", "Use Advance 2 for ignition output 2", FieldId::ADV2TOOUT2),
};
inline constexpr PageExtra kAdvanceExtras[] = {
    {ExtraKind::Group, "GroupBoxCorections", nullptr, nullptr},
    {ExtraKind::Label, "LabelCorections", "Correction for cylinder:", "GroupBoxCorections"},
};
// clang-format on

// Correction k (0-3) is shown while CHANNEL_COUNT is above k; the first always is.
inline constexpr const char* kCorrectionControls[kCylinderCorrections][2] = {
    {"UpDownKorAdv1", "LabelKorAdv1"},
    {"UpDownKorAdv2", "LabelKorAdv2"},
    {"UpDownKorAdv3", "LabelKorAdv3"},
    {"UpDownKorAdv4", "LabelKorAdv4"},
};

class AdvancePage final : public PageLogic {
 public:
  static constexpr const char* kTableName = "TabAdvance";

  explicit AdvancePage(const PageContext& context) : context_(context) {}

  int Index() const override { return kAdvancePageIndex; }
  std::span<const Binding> Rows() const override { return kAdvanceRows; }
  std::span<const PageExtra> Extras() const override { return kAdvanceExtras; }
  std::vector<PageTable> Tables() override;

  void Create(PageBinder& binder) override;
  void Load(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;
  void Tick(PageBinder& binder) override;

  // The map editor's model (nullptr without a table set or when the set is full).
  TTab* Table() const { return tab_; }
  // The colour the tick gives the "Base advance [°]" caption: green while the engine runs
  // below the first rpm point of the shown sheet (the base advance applies there).
  Colour BaseAdvanceCaptionColour() const { return baseAdvanceColour_; }

 private:
  // The map editor's change report: overlays, both sheets, commit.
  void TableChanged(PageBinder& binder, TTab& t);

  PageContext context_;
  TTab* tab_ = nullptr;
  Colour baseAdvanceColour_ = kColourButtonFace;
  bool captionStale_ = true;  // the caption has not been given a colour yet
};

}  // namespace zeda
