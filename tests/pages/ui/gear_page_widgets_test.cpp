// The Gear page as the window lays it out: whichever of the three mode boxes the gear mode
// shows takes the first place of the page's grid (a hidden box leaves no hole), the
// take-the-unit's-value buttons stand in one row, and without a unit they are disabled from
// the moment the page is shown.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "pages/gear_page.h"
#include "pages/page_binder.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace {

using window_test::WindowFixture;

class GearPageWidgetsTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    form_ = MakeShownFormAt(zeda::kGearPageIndex);
  }
  // Six gears, and the mode chosen as the user chooses it (the mode claims its input).
  void Mode(int mode) {
    form_->Images().params.SetByte(zeda::Adrb::GEAR_COUNT, 6);
    form_->Pages()->Binder().LoadAllPages();
    const QList<QRadioButton*> items = Find("RadioGroupGearSystem")->findChildren<QRadioButton*>();
    ASSERT_GT(items.size(), mode);
    items[mode]->click();
    QCoreApplication::processEvents();
    ASSERT_EQ(form_->Images().params.Byte(zeda::Adrb::GEAR), mode);
  }
  QWidget* Find(const char* name) { return form_->findChild<QWidget*>(QString::fromLatin1(name)); }
  std::unique_ptr<TMainForm> form_;
};

TEST_F(GearPageWidgetsTest, TheModesBoxTakesTheFirstPlaceAndTheButtonsOneRow) {
  const struct {
    int mode;
    const char* box;
    bool buttons;
  } cases[] = {{zeda::GEAR_VOLTAGE_MODE, "GroupBoxNapetiProGear", true},
               {zeda::GEAR_RATIO_MODE, "GroupBoxRpmSpeedProGear", true},
               {zeda::GEAR_RATIO_AUTO, "GroupBoxMonAutoGear", false}};
  QWidget* modes = Find("RadioGroupGearSystem");
  ASSERT_NE(modes, nullptr);
  QPoint first;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    Mode(c.mode);
    QWidget* box = Find(c.box);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isVisible());
    const QPoint at = box->mapTo(form_.get(), QPoint(0, 0));
    const QPoint modesAt = modes->mapTo(form_.get(), QPoint(0, 0));
    // The first cell: the left column, not below the modes group that follows it.
    if (c.mode == zeda::GEAR_VOLTAGE_MODE) first = at;
    EXPECT_EQ(at.x(), first.x()) << "the box does not stand in the first column";
    EXPECT_LE(at.y(), modesAt.y());
    EXPECT_FALSE(QRect(at, box->size()).intersects(QRect(modesAt, modes->size())));
    int lastX = -1, y = -1, shown = 0;
    for (const char* name : zeda::kGearButtonNames) {
      auto* b = qobject_cast<QPushButton*>(Find(name));
      ASSERT_NE(b, nullptr);
      if (!b->isVisible()) continue;
      ++shown;
      const QPoint p = b->mapTo(form_.get(), QPoint(0, 0));
      if (y >= 0) {
        EXPECT_EQ(p.y(), y) << name;
      }
      EXPECT_GT(p.x(), lastX) << name;
      y = p.y();
      lastX = p.x();
      EXPECT_FALSE(b->isEnabled()) << name << " offered without a unit";
    }
    EXPECT_EQ(shown, c.buttons ? zeda::kGearButtons : 0);
  }
}

}  // namespace
