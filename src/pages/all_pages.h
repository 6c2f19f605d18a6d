#pragma once
// Every parameter page's logic, made once for the window. One line per page in
// all_pages.cpp; the binder and the widget builder take them in this order.
//
// Thread contract: window thread only.
#include <memory>
#include <vector>

#include "pages/page_context.h"
#include "pages/page_logic.h"

namespace zeda {

// The pages in creation order (Miscellaneous, Sensors, Bike, Advance, Power out, Servo,
// Gear, Race, Test); each keeps a copy of `context`.
std::vector<std::unique_ptr<PageLogic>> MakeAllPages(const PageContext& context);

}  // namespace zeda
