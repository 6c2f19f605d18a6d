#pragma once
// PageControls over real widgets: every control is found by objectName under one root
// (the page tab widget) and the lookups are cached, because the binder asks for the same
// names on every load, store and tick.
//
//  - QSpinBox: an up-down with its edit (its text is the edit's text); a value outside its
//    range is marked in red, with the stored value in its description;
//  - QCheckBox and single QRadioButton: Checked;
//  - radio group: a QGroupBox whose QRadioButtons carry the item codes (property "code");
//    filler items (kEmptyItem) are hidden but keep their index;
//  - QComboBox: codes in the item data;
//  - QLabel, QGroupBox, buttons: Text;
//  - any widget (map editors included): Visible / Enabled, Highlighted, Colour.
// An unknown name reads as an empty control and writes nothing, so a page whose widget
// is missing cannot crash the window.
//
// Thread contract: window thread only.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "pages/page_controls.h"

class QRadioButton;
class QGroupBox;

namespace zeda {

inline constexpr char kItemCodeProperty[] = "zedaItemCode";
// Set on an up-down while it is marked out of range (PageControls::MarkOutOfRange).
inline constexpr char kOutOfRangeProperty[] = "zedaOutOfRange";

class WidgetControls final : public PageControls {
 public:
  explicit WidgetControls(QWidget* root) : root_(root) {}

  int Position(std::string_view name) const override;
  void SetPosition(std::string_view name, int position) override;
  void SetRange(std::string_view name, int lo, int hi, int step) override;
  // Red text, and the stored value in the accessible description and the tool tip.
  void MarkOutOfRange(std::string_view name, int stored) override;
  void ClearOutOfRange(std::string_view name) override;
  bool OutOfRange(std::string_view name) const override;
  bool Checked(std::string_view name) const override;
  void SetChecked(std::string_view name, bool checked) override;
  int ItemIndex(std::string_view name) const override;
  void SetItemIndex(std::string_view name, int index) override;
  int ItemCount(std::string_view name) const override;
  int Code(std::string_view name, int index) const override;
  void SetItems(std::string_view name, std::span<const PageItem> items) override;
  std::string Text(std::string_view name) const override;
  void SetText(std::string_view name, std::string_view text) override;
  bool Visible(std::string_view name) const override;
  void SetVisible(std::string_view name, bool visible) override;
  bool Enabled(std::string_view name) const override;
  void SetEnabled(std::string_view name, bool enabled) override;
  // The current gear's label or button: green, a button's caption bold.
  bool Highlighted(std::string_view name) const override;
  void SetHighlighted(std::string_view name, bool on) override;
  // The widget's own face only (its children keep theirs); the button face clears it.
  void SetColour(std::string_view name, Colour colour) override;
  Colour ColourOf(std::string_view name) const override;

  // The widget named `name` under the root, nullptr when there is none.
  QWidget* Find(std::string_view name) const;
  // Called for every radio button a radio group gets from SetItems, so that its
  // clicks reach the binder like those of the buttons made by the page builder.
  void OnNewRadio(std::function<void(QRadioButton*, std::string_view group)> hook) {
    onNewRadio_ = std::move(hook);
  }
  // Forgets the cache (after widgets were made or destroyed under the root).
  void Forget() {
    cache_.clear();
    missing_.clear();
  }

 private:
  static std::vector<QRadioButton*> Buttons(const QGroupBox* group);

  QPointer<QWidget> root_;
  std::function<void(QRadioButton*, std::string_view)> onNewRadio_;
  mutable std::map<std::string, QPointer<QWidget>, std::less<>> cache_;
  mutable std::set<std::string, std::less<>> missing_;
};

}  // namespace zeda
