#pragma once
// The undo ring: 200 snapshots of the parameter image, each followed by the index of the
// page that was active when it was taken.
//
// `Current` is the snapshot equal to the image; undo stops at `Oldest`, redo at `Newest`;
// all three wrap modulo kUndoDepth. Thread contract: window thread only.
#include <array>
#include <cstdint>
#include <vector>

#include "params/param_image.h"

namespace zeda {

inline constexpr int kUndoDepth = 200;
inline constexpr int kSnapshotSize = PARAM_IMAGE_SIZE + 50;  // image, page index, spare

class UndoRing {
 public:
  using Snapshot = std::array<uint8_t, kSnapshotSize>;

  UndoRing() : slots_(kUndoDepth) {}

  // All three indices 0, snapshot 0 = `img` on `page`.
  void Start(const ParamImage& img, int page);

  // Marks in `changed` every byte where `img` differs from the current snapshot; when any
  // does, takes a new snapshot (overwriting the oldest once the ring is full) and returns
  // true. An image equal to the current snapshot takes nothing.
  bool Record(const ParamImage& img, int page, std::array<bool, PARAM_IMAGE_SIZE>& changed);

  bool CanUndo() const { return current_ != oldest_; }
  bool CanRedo() const { return current_ != newest_; }
  // Step the current index; false (and nothing moves) at the end of the ring.
  bool StepBack();
  bool StepForward();

  // Copies snapshot `index` into `img`, marking every byte that changes; returns whether any did.
  bool CopyInto(int index, ParamImage& img, std::array<bool, PARAM_IMAGE_SIZE>& changed) const;
  int PageOf(int index) const;

  int Current() const { return current_; }
  int Oldest() const { return oldest_; }
  int Newest() const { return newest_; }

 private:
  void Put(int index, const ParamImage& img, int page);

  std::vector<Snapshot> slots_;
  int current_ = 0;
  int oldest_ = 0;
  int newest_ = 0;
};

}  // namespace zeda
