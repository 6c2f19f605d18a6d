#include "app/status_slots.h"

#include "base/tick_clock.h"
#include "lang/lang_string.h"

namespace zeda {

void StatusSlots::bind(StatusView* view, std::initializer_list<int> slotsWithControl) {
  view_ = view;
  for (Slot& s : slots_) s = Slot{};
  for (int slot : slotsWithControl) {
    if (!valid(slot)) continue;
    slots_[slot].hasControl = true;
    hide(slot);
  }
}

const std::string& StatusSlots::text(int slot) const {
  static const std::string empty;
  return valid(slot) ? slots_[slot].text : empty;
}

int32_t StatusSlots::effectivePriority(int slot) const {
  if (!valid(slot)) return -1;
  const Slot& s = slots_[slot];
  return (!s.hasText || !s.visible) ? -1 : s.priority;
}

void StatusSlots::hide(int slot) {
  slots_[slot].visible = false;
  if (!view_) return;
  view_->setSlotVisible(slot, false);
  if (slot == kGaugeSlot) view_->setGaugeVisible(false);
}

void StatusSlots::ShowStatus(int slot, const char* text, int32_t durationMs, Colour font,
                             Colour back, int32_t priority) {
  // Only the labelled slots show anything.
  if (slot < StatusSlot::kConnection || slot > StatusSlot::kCongruence || !slots_[slot].hasControl)
    return;
  Slot& s = slots_[slot];
  if (priority >= 0 && priority < effectivePriority(slot)) return;
  s.priority = priority;
  s.hasText = false;
  s.text.clear();
  if (!text) {
    hide(slot);
    return;
  }
  s.hasText = true;
  s.text = text;
  s.visible = true;
  s.expiry = durationMs > 0 ? tickCount() + durationMs / kMsPerTick : -1;
  if (!view_) return;
  view_->setSlotVisible(slot, true);
  view_->setSlotCaption(slot, LangText(s.text.c_str()));
  view_->setSlotColours(slot, font, back);
}

void StatusSlots::expire(int32_t tickCount) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    Slot& s = slots_[slot];
    if (s.expiry > 0 && s.expiry < tickCount) {
      s.expiry = 0;
      if (s.hasControl) hide(slot);
    }
  }
}

void StatusSlots::refreshCaptions() {
  if (!view_) return;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Slot& s = slots_[slot];
    if (s.hasControl && s.hasText) view_->setSlotCaption(slot, LangText(s.text.c_str()));
  }
}

void StatusSlots::clearTexts() {
  for (Slot& s : slots_) {
    s.hasText = false;
    s.text.clear();
  }
}

}  // namespace zeda
