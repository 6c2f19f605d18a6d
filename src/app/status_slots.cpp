#include "app/status_slots.h"

#include "base/tick_clock.h"
#include "lang/lang_string.h"

namespace zeda {

void StatusSlots::Bind(StatusView* view, std::initializer_list<int> slotsWithControl) {
  view_ = view;
  for (Slot& s : slots_) s = Slot{};
  for (int slot : slotsWithControl) {
    if (!Valid(slot)) continue;
    slots_[slot].hasControl = true;
    Hide(slot);
  }
}

const std::string& StatusSlots::Text(int slot) const {
  static const std::string kEmpty;
  return Valid(slot) ? slots_[slot].text : kEmpty;
}

int32_t StatusSlots::EffectivePriority(int slot) const {
  if (!Valid(slot)) return -1;
  const Slot& s = slots_[slot];
  return (!s.hasText || !s.visible) ? -1 : s.priority;
}

void StatusSlots::Hide(int slot) {
  slots_[slot].visible = false;
  if (!view_) return;
  view_->SetSlotVisible(slot, false);
  if (slot == kGaugeSlot) view_->SetGaugeVisible(false);
}

void StatusSlots::ShowStatus(int slot, const char* text, int32_t durationMs, Colour font,
                             Colour back, int32_t priority) {
  // Only the labelled slots show anything.
  if (slot < StatusSlot::kConnection || slot > StatusSlot::kCongruence || !slots_[slot].hasControl)
    return;
  Slot& s = slots_[slot];
  if (priority >= 0 && priority < EffectivePriority(slot)) return;
  s.priority = priority;
  s.hasText = false;
  s.text.clear();
  if (!text) {
    Hide(slot);
    return;
  }
  s.hasText = true;
  s.text = text;
  s.visible = true;
  s.expiry = durationMs > 0 ? tickCount() + durationMs / kMsPerTick : -1;
  if (!view_) return;
  view_->SetSlotVisible(slot, true);
  view_->SetSlotCaption(slot, LangText(s.text.c_str()));
  view_->SetSlotColours(slot, font, back);
}

void StatusSlots::Expire(int32_t tickCount) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    Slot& s = slots_[slot];
    if (s.expiry > 0 && s.expiry < tickCount) {
      s.expiry = 0;
      if (s.hasControl) Hide(slot);
    }
  }
}

void StatusSlots::RefreshCaptions() {
  if (!view_) return;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Slot& s = slots_[slot];
    if (s.hasControl && s.hasText) view_->SetSlotCaption(slot, LangText(s.text.c_str()));
  }
}

void StatusSlots::ClearTexts() {
  for (Slot& s : slots_) {
    s.hasText = false;
    s.text.clear();
  }
}

}  // namespace zeda
