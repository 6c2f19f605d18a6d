#include "pages/all_pages.h"

#include "pages/advance_page.h"
#include "pages/bike_page.h"
#include "pages/gear_page.h"
#include "pages/misc_page.h"
#include "pages/pout_page.h"
#include "pages/race_page.h"
#include "pages/sensors_page.h"
#include "pages/servo_page.h"
#include "pages/test_page.h"

namespace zeda {

std::vector<std::unique_ptr<PageLogic>> MakeAllPages(const PageContext& context) {
  std::vector<std::unique_ptr<PageLogic>> pages;
  pages.push_back(std::make_unique<MiscPage>());
  pages.push_back(std::make_unique<SensorsPage>(context));
  pages.push_back(std::make_unique<BikePage>(context));
  pages.push_back(std::make_unique<AdvancePage>(context));
  pages.push_back(std::make_unique<PoutPage>(context));
  pages.push_back(std::make_unique<ServoPage>(context));
  pages.push_back(std::make_unique<GearPage>(context));
  pages.push_back(std::make_unique<RacePage>(context));
  pages.push_back(std::make_unique<TestPage>(context));
  return pages;
}

}  // namespace zeda
