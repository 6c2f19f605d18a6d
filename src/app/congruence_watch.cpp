#include "app/congruence_watch.h"

namespace zeda {

bool CongruenceWatch::Changed(const ImageBuffers& images) const {
  return !marked_ || images.unitImageValid != unitImageValid_ || images.params != params_ ||
         images.fileImage != fileImage_ || images.unitImage != unitImage_;
}

void CongruenceWatch::Mark(const ImageBuffers& images) {
  marked_ = true;
  unitImageValid_ = images.unitImageValid;
  params_ = images.params;
  fileImage_ = images.fileImage;
  unitImage_ = images.unitImage;
}

}  // namespace zeda
