// The parameter document (see document.h).
#include "params/document.h"

namespace zeda {

void Document::CommitPending() {
  if (views_ == nullptr || committing_ || replacing_ > 0) return;
  committing_ = true;
  views_->CommitPendingEdits();
  committing_ = false;
}

bool Document::Replace(DocumentChange why, const std::function<bool(ImageBuffers&)>& replace) {
  // Edits still waiting belong to the image on screen: into it before it goes.
  CommitPending();
  ++replacing_;
  const bool replaced = replace(buffers_);
  if (replaced) {
    ++generation_;
    if (views_ != nullptr) views_->ShowReplacedImage(why);
  }
  --replacing_;
  if (replaced && views_ != nullptr) views_->RecordReplacement(why);
  return replaced;
}

}  // namespace zeda
