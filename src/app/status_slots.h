#pragma once
// The status message slots: the one way the device side talks to the user.
//
// Five slots, 0-4. Slots 1, 2 and 4 have a label on the window (LabelConnection,
// LabelResult, LabelCongruence); 0 and 3 have none and ignore every message. A message
// replaces the current one unless its priority is 0 or more and lower than the current
// priority; an empty slot, or one whose label is hidden, counts as priority -1. So a
// negative priority always wins, and an expired message (label hidden) loses to anything.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/colours.h"
#include "base/status_sink.h"

namespace zeda {

// What the window does for the slots; the core decides, the window only renders.
class StatusView {
 public:
  virtual ~StatusView() = default;
  virtual void SetSlotVisible(int slot, bool visible) = 0;
  virtual void SetSlotCaption(int slot, const std::string& caption) = 0;
  // Either colour may be kColourUnchanged.
  virtual void SetSlotColours(int slot, Colour font, Colour back) = 0;
  // The progress gauge shares slot 2's fate when that slot is hidden.
  virtual void SetGaugeVisible(bool visible) = 0;
};

class StatusSlots : public StatusSink {
 public:
  static constexpr int kSlotCount = StatusSlot::kCount;
  static constexpr int kGaugeSlot = StatusSlot::kResult;

  // Binds the slots that have a label, sets every priority to -1 and hides the bound
  // labels. Slots 1, 2 and 4 on the main window.
  void Bind(StatusView* view,
            std::initializer_list<int> slotsWithControl = {
                StatusSlot::kConnection, StatusSlot::kResult, StatusSlot::kCongruence});

  // text: a LangString or plain text, nullptr clears the slot. durationMs > 0 expires the
  // message after durationMs / 50 ticks; otherwise it stays until replaced.
  void ShowStatus(int slot, const char* text, int32_t durationMs, Colour font, Colour back,
                  int32_t priority) override;

  // The tick's expiry step: hides every slot whose expiry tick lies in (0, tickCount).
  // The text stays stored, but the hidden label makes the slot count as priority -1.
  void Expire(int32_t tickCount);

  // Rewrites the shown captions in the current language (after a language switch).
  void RefreshCaptions();

  // Drops every stored text (shutdown).
  void ClearTexts();

  // Inspection (tests, window).
  bool HasControl(int slot) const { return Valid(slot) && slots_[slot].hasControl; }
  bool Visible(int slot) const { return Valid(slot) && slots_[slot].visible; }
  const std::string& Text(int slot) const;
  int32_t Priority(int slot) const { return Valid(slot) ? slots_[slot].priority : -1; }
  int32_t ExpiryTick(int slot) const { return Valid(slot) ? slots_[slot].expiry : -1; }
  // The priority a new message is compared with.
  int32_t EffectivePriority(int slot) const;

 private:
  struct Slot {
    bool hasControl = false;
    bool visible = false;
    bool hasText = false;
    std::string text;
    int32_t priority = -1;
    int32_t expiry = -1;
  };
  static bool Valid(int slot) { return slot >= 0 && slot < kSlotCount; }
  void Hide(int slot);

  StatusView* view_ = nullptr;
  Slot slots_[kSlotCount];
};

}  // namespace zeda
