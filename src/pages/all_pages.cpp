#include "pages/all_pages.h"

#include "pages/gear_page.h"
#include "pages/misc_page.h"
#include "pages/race_page.h"
#include "pages/test_page.h"

namespace zeda {

std::vector<std::unique_ptr<PageLogic>> MakeAllPages(const PageContext& context) {
  std::vector<std::unique_ptr<PageLogic>> pages;
  pages.push_back(std::make_unique<MiscPage>());
  pages.push_back(std::make_unique<GearPage>(context));
  pages.push_back(std::make_unique<RacePage>(context));
  pages.push_back(std::make_unique<TestPage>(context));
  return pages;
}

}  // namespace zeda
