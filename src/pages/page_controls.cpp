// Controls as plain values (see page_controls.h).
#include "pages/page_controls.h"

#include <algorithm>

namespace zeda {

MemoryControls::State& MemoryControls::At(std::string_view name) {
  auto it = states_.find(name);
  if (it == states_.end()) it = states_.emplace(std::string(name), State{}).first;
  return it->second;
}

const MemoryControls::State& MemoryControls::Get(std::string_view name) const {
  static const State kUnknown{};
  const auto it = states_.find(name);
  return it == states_.end() ? kUnknown : it->second;
}

void MemoryControls::SetPosition(std::string_view name, int position) {
  State& s = At(name);
  if (s.hasRange) position = std::clamp(position, s.lo, std::max(s.lo, s.hi));
  s.position = position;
  s.text = std::to_string(position);
  s.outOfRange = false;
  s.storedOutside = 0;
  ++writes_;
}

void MemoryControls::SetRange(std::string_view name, int lo, int hi, int step) {
  State& s = At(name);
  s.lo = lo;
  s.hi = hi;
  s.step = step;
  s.hasRange = true;
  s.position = std::clamp(s.position, lo, std::max(lo, hi));
}

void MemoryControls::MarkOutOfRange(std::string_view name, int stored) {
  State& s = At(name);
  s.outOfRange = true;
  s.storedOutside = stored;
}

void MemoryControls::ClearOutOfRange(std::string_view name) {
  State& s = At(name);
  s.outOfRange = false;
  s.storedOutside = 0;
}

void MemoryControls::SetItemIndex(std::string_view name, int index) {
  State& s = At(name);
  s.itemIndex = index >= 0 && index < static_cast<int>(s.items.size()) ? index : -1;
  ++writes_;
}

int MemoryControls::Code(std::string_view name, int index) const {
  const State& s = Get(name);
  return index >= 0 && index < static_cast<int>(s.items.size())
             ? s.items[static_cast<std::size_t>(index)].code
             : kEmptyItem;
}

void MemoryControls::SetItems(std::string_view name, std::span<const PageItem> items) {
  State& s = At(name);
  s.items.assign(items.begin(), items.end());
  if (s.itemIndex >= static_cast<int>(s.items.size())) s.itemIndex = -1;
}

}  // namespace zeda
