#pragma once
// Keeps slot 4 ("Unit and PC settings are identical/different") true whatever changed the
// images: the window asks Changed() on every run of the device machine and after every file
// command, and compares again when params, fileImage, unitImage or unitImageValid differ
// from what the last comparison saw. So an edit path that forgets to compare is caught on
// the next tick instead of leaving a stale verdict on screen.
//
// User-interface thread only.
#include "params/param_image.h"

namespace zeda {

class CongruenceWatch {
 public:
  // True before the first Mark and whenever one of the watched inputs differs from it.
  bool Changed(const ImageBuffers& images) const;
  // Remembers the inputs the comparison just ran on.
  void Mark(const ImageBuffers& images);

 private:
  bool marked_ = false;
  bool unitImageValid_ = false;
  ParamImage params_;
  ParamImage fileImage_;
  ParamImage unitImage_;
};

}  // namespace zeda
