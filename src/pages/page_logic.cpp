// The default page operations: everything the binding table says (see page_logic.h).
#include "pages/page_logic.h"

#include "pages/page_binder.h"

namespace zeda {

void PageLogic::Create(PageBinder& binder) { SetUpRows(Rows(), binder.Controls()); }

void PageLogic::Load(PageBinder& binder) {
  LoadRows(Rows(), binder.Params(), binder.Controls());
  Refresh(binder);
}

void PageLogic::Store(PageBinder& binder) { StoreRows(Rows(), binder.Controls(), binder.Params()); }

}  // namespace zeda
