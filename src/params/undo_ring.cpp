// The undo ring (see undo_ring.h).
#include "params/undo_ring.h"

#include <algorithm>

namespace zeda {

namespace {
int Wrap(int i) { return (i % kUndoDepth + kUndoDepth) % kUndoDepth; }
}  // namespace

void UndoRing::Put(int index, const ParamImage& img, int page) {
  Snapshot& s = slots_[static_cast<std::size_t>(index)];
  std::copy(img.bytes.begin(), img.bytes.end(), s.begin());
  s[PARAM_IMAGE_SIZE] = static_cast<uint8_t>(page);
}

void UndoRing::Start(const ParamImage& img, int page) {
  current_ = oldest_ = newest_ = 0;
  Put(0, img, page);
}

bool UndoRing::Record(const ParamImage& img, int page,
                      std::array<bool, PARAM_IMAGE_SIZE>& changed) {
  const Snapshot& last = slots_[static_cast<std::size_t>(current_)];
  bool any = false;
  for (std::size_t i = 0; i < PARAM_IMAGE_SIZE; ++i) {
    if (img.bytes[i] != last[i]) {
      changed[i] = true;
      any = true;
    }
  }
  if (!any) return false;
  current_ = Wrap(current_ + 1);
  newest_ = current_;
  if (oldest_ == current_) oldest_ = Wrap(oldest_ + 1);
  Put(current_, img, page);
  return true;
}

bool UndoRing::StepBack() {
  if (!CanUndo()) return false;
  current_ = Wrap(current_ - 1);
  return true;
}

bool UndoRing::StepForward() {
  if (!CanRedo()) return false;
  current_ = Wrap(current_ + 1);
  return true;
}

bool UndoRing::CopyInto(int index, ParamImage& img,
                        std::array<bool, PARAM_IMAGE_SIZE>& changed) const {
  const Snapshot& s = slots_[static_cast<std::size_t>(Wrap(index))];
  bool any = false;
  for (std::size_t i = 0; i < PARAM_IMAGE_SIZE; ++i) {
    if (img.bytes[i] != s[i]) {
      img.bytes[i] = s[i];
      changed[i] = true;
      any = true;
    }
  }
  return any;
}

int UndoRing::PageOf(int index) const {
  return slots_[static_cast<std::size_t>(Wrap(index))][PARAM_IMAGE_SIZE];
}

}  // namespace zeda
