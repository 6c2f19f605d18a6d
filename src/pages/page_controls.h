#pragma once
// The page controls as the binding sees them: reached by control name (the widget's
// objectName), free of any toolkit, so that the transfer primitives and every page's
// handlers and refresh rules run and are tested without widgets.
//
// Thread contract: window thread only, like the widgets behind it.
//
// `MemoryControls` holds the controls as plain values; tests use it, and it documents
// what the widget adapter (pages/ui/widget_controls.h) must do.
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/colours.h"

namespace zeda {

// An item of a radio group or combo box: the field value it stands for and its text
// (a LangString or plain English). Code kEmptyItem marks a filler item whose button is hidden.
struct PageItem {
  int code;
  const char* text;
};
inline constexpr int kEmptyItem = -1;

class PageControls {
 public:
  virtual ~PageControls() = default;

  // Up-downs (with their edit).
  virtual int Position(std::string_view name) const = 0;
  virtual void SetPosition(std::string_view name, int position) = 0;
  virtual void SetRange(std::string_view name, int lo, int hi, int step) = 0;
  // An up-down holds only what its range allows: a stored value outside it is shown as the
  // nearest end and marked, and storing leaves the stored value alone while the mark is on.
  // `stored` is the position the stored value stands for (the mark tells it to the user).
  // SetPosition drops the mark (the control then holds a value of its own), and so does
  // any act of the user on the control.
  virtual void MarkOutOfRange(std::string_view name, int stored) = 0;
  virtual void ClearOutOfRange(std::string_view name) = 0;
  virtual bool OutOfRange(std::string_view name) const = 0;

  // Check boxes and single radio buttons.
  virtual bool Checked(std::string_view name) const = 0;
  virtual void SetChecked(std::string_view name, bool checked) = 0;

  // Radio groups and combo boxes: -1 is "no item selected".
  virtual int ItemIndex(std::string_view name) const = 0;
  virtual void SetItemIndex(std::string_view name, int index) = 0;
  virtual int ItemCount(std::string_view name) const = 0;
  // The code of item `index`; kEmptyItem outside the list.
  virtual int Code(std::string_view name, int index) const = 0;
  // Replaces the items; the selected index is kept when it is still inside the list.
  virtual void SetItems(std::string_view name, std::span<const PageItem> items) = 0;

  // Edits and labels (an up-down's text is its edit's).
  virtual std::string Text(std::string_view name) const = 0;
  virtual void SetText(std::string_view name, std::string_view text) = 0;

  virtual bool Visible(std::string_view name) const = 0;
  virtual void SetVisible(std::string_view name, bool visible) = 0;
  virtual bool Enabled(std::string_view name) const = 0;
  virtual void SetEnabled(std::string_view name, bool enabled) = 0;

  // Marks a label or button as the one of the current state (drawn green, a button's
  // caption bold). Optional: controls that cannot show it ignore it.
  virtual void SetHighlighted(std::string_view /*name*/, bool /*on*/) {}
  virtual bool Highlighted(std::string_view /*name*/) const { return false; }

  // The face a control is drawn in (a caption's or box's background); kColourButtonFace is
  // the style's own. Optional like the highlight.
  virtual void SetColour(std::string_view /*name*/, Colour /*colour*/) {}
  virtual Colour ColourOf(std::string_view /*name*/) const { return kColourButtonFace; }
};

// Controls as plain values. A control comes into being the first time it is named;
// positions are kept inside a range once one is set, as an up-down does.
class MemoryControls final : public PageControls {
 public:
  struct State {
    int position = 0;
    int lo = 0, hi = 0, step = 1;
    bool hasRange = false;
    bool outOfRange = false;
    int storedOutside = 0;  // the position the stored value stands for, while marked
    bool checked = false;
    int itemIndex = -1;
    std::vector<PageItem> items;
    std::string text;
    bool visible = true;
    bool enabled = true;
    bool highlighted = false;
    Colour colour = kColourButtonFace;
  };

  int Position(std::string_view name) const override { return Get(name).position; }
  void SetPosition(std::string_view name, int position) override;
  void SetRange(std::string_view name, int lo, int hi, int step) override;
  void MarkOutOfRange(std::string_view name, int stored) override;
  void ClearOutOfRange(std::string_view name) override;
  bool OutOfRange(std::string_view name) const override { return Get(name).outOfRange; }
  int StoredOutside(std::string_view name) const { return Get(name).storedOutside; }
  bool Checked(std::string_view name) const override { return Get(name).checked; }
  void SetChecked(std::string_view name, bool checked) override { At(name).checked = checked; }
  int ItemIndex(std::string_view name) const override { return Get(name).itemIndex; }
  void SetItemIndex(std::string_view name, int index) override;
  int ItemCount(std::string_view name) const override {
    return static_cast<int>(Get(name).items.size());
  }
  int Code(std::string_view name, int index) const override;
  void SetItems(std::string_view name, std::span<const PageItem> items) override;
  std::string Text(std::string_view name) const override { return Get(name).text; }
  void SetText(std::string_view name, std::string_view text) override {
    At(name).text = std::string(text);
  }
  bool Visible(std::string_view name) const override { return Get(name).visible; }
  void SetVisible(std::string_view name, bool visible) override { At(name).visible = visible; }
  bool Enabled(std::string_view name) const override { return Get(name).enabled; }
  void SetEnabled(std::string_view name, bool enabled) override { At(name).enabled = enabled; }
  void SetHighlighted(std::string_view name, bool on) override { At(name).highlighted = on; }
  bool Highlighted(std::string_view name) const override { return Get(name).highlighted; }
  void SetColour(std::string_view name, Colour colour) override { At(name).colour = colour; }
  Colour ColourOf(std::string_view name) const override { return Get(name).colour; }

  // Counts SetChecked/SetPosition/SetItemIndex calls (a load that changes nothing touches
  // nothing where the rules say so).
  int Writes() const { return writes_; }
  bool Has(std::string_view name) const { return states_.find(name) != states_.end(); }

 private:
  State& At(std::string_view name);
  const State& Get(std::string_view name) const;

  std::map<std::string, State, std::less<>> states_;
  int writes_ = 0;
};

}  // namespace zeda
