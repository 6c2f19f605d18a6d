#pragma once
// One parameter page as the binder drives it: its binding table and the four operations
// (create, load, store, refresh), an optional tick, and the handlers of controls whose
// change has side effects. See page_binding.h for how to add a page.
//
// Thread contract: window thread only; every operation is called by the PageBinder.
#include <span>
#include <string_view>

#include "pages/page_binding.h"

namespace zeda {

class PageBinder;

class PageLogic {
 public:
  virtual ~PageLogic() = default;

  // The page's index in PageControl1 (also its parameter group).
  virtual int Index() const = 0;
  // The page's binding table, in store order.
  virtual std::span<const Binding> Rows() const = 0;

  // Once at start-up: ranges, steps and fixed item lists of the table, then anything made
  // at run time. Runs under the load guard.
  virtual void Create(PageBinder& binder);
  // Image -> controls (the binder holds the load guard), then Refresh.
  virtual void Load(PageBinder& binder);
  // Controls -> image.
  virtual void Store(PageBinder& binder);
  // Visibility, enabling and captions that follow the image.
  virtual void Refresh(PageBinder& /*binder*/) {}
  // Every timer tick while the page is active.
  virtual void Tick(PageBinder& /*binder*/) {}
  // A change of `control` outside the load guard. Return true when the page handled it
  // (stored its field and committed through the binder); false lets the binder note it.
  virtual bool Change(PageBinder& /*binder*/, std::string_view /*control*/) { return false; }
};

}  // namespace zeda
