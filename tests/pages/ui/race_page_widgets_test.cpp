// The Race page as the window draws it: without a Quickshift input its quickshift controls
// are disabled and the captions of their groups are drawn grey, as any disabled caption;
// the per-gear groups are tables with the gear in front of each row and the setting on top
// of each column.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <fstream>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "lang/lang_string.h"
#include "pages/page_binder.h"
#include "pages/race_page.h"
#include "params/ini_file.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace {

using window_test::WindowFixture;

// The darkest grey level drawn in the top `height` rows of `w` (its caption strip).
int DarkestInTop(QWidget& w, int height) {
  const QImage img = w.grab().toImage();
  int darkest = 255;
  for (int y = 0; y < std::min(height, img.height()); ++y)
    for (int x = 0; x < img.width(); ++x) darkest = std::min(darkest, qGray(img.pixel(x, y)));
  return darkest;
}

class RacePageWidgetsTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    form_ = MakeShownFormAt(zeda::kRacePageIndex);
  }
  // Input 3 gets Quickshift, or no input has a function; then every page shows the image.
  void QuickshiftInput(bool on) {
    zeda::ParamImage& img = form_->Images().params;
    img.SetByte(zeda::Adrb::INPUT_NEUTRAL_SS, 0);
    for (int i = 0; i < zeda::INPUTS_OFFERED; ++i)
      img.SetByte(zeda::Adrb::INPUT_FUNCTION + i, zeda::INPUT_OFF);
    if (on) img.SetByte(zeda::Adrb::INPUT_FUNCTION + 2, zeda::INPUT_QUICKSHIFT);
    form_->Pages()->Binder().LoadAllPages();
    QCoreApplication::processEvents();
  }
  std::unique_ptr<TMainForm> form_;
};

TEST_F(RacePageWidgetsTest, QuickshiftCaptionsAreGreyWithoutAQuickshiftInput) {
  for (const char* name : {"RadioGroupClutchMode", "GroupBoxClutchTime"}) {
    SCOPED_TRACE(name);
    auto* group = form_->findChild<QGroupBox*>(QString::fromLatin1(name));
    ASSERT_NE(group, nullptr);
    ASSERT_FALSE(group->title().isEmpty());
    const int strip = group->fontMetrics().height() + 2;

    QuickshiftInput(true);
    ASSERT_TRUE(group->isEnabled());
    const int enabled = DarkestInTop(*group, strip);
    QuickshiftInput(false);
    ASSERT_FALSE(group->isEnabled());
    const int disabled = DarkestInTop(*group, strip);
    // Text drawn in the window's text colour is near black; a disabled caption is grey.
    EXPECT_LT(enabled, 100);
    EXPECT_GT(disabled, enabled + 50) << "the caption of a disabled group is not grey";
  }
  // The captions of the quickshift up-downs outside the groups go grey with them.
  for (const char* name :
       {"LabelClutchPause1", "LabelClutchPause2", "LabelClutchMinRpm", "LabelClutchAdv"}) {
    auto* label = form_->findChild<QLabel*>(QString::fromLatin1(name));
    ASSERT_NE(label, nullptr) << name;
    EXPECT_FALSE(label->isEnabled()) << name;
  }
  window_test::Shot(*form_, "race_without_quickshift");
}

// Each up-down sits on its gear's row, under its setting's caption, and is named after both.
TEST_F(RacePageWidgetsTest, PerGearUpDownsStandInTheirGearsRowUnderTheirSetting) {
  zeda::ParamImage& img = form_->Images().params;
  img.SetByte(zeda::Adrb::INPUT_NEUTRAL_SS, 0);
  img.SetByte(zeda::Adrb::INPUT_FUNCTION + 1, zeda::INPUT_GEAR);
  img.SetByte(zeda::Adrb::GEAR, zeda::GEAR_VOLTAGE_MODE);
  img.SetByte(zeda::Adrb::GEAR_COUNT, 4);
  form_->Pages()->Binder().LoadAllPages();
  QCoreApplication::processEvents();

  struct Column {
    int column;         // RaceCell column
    const char* label;  // its caption on top
    const char* const* rows;
  };
  const Column columns[] = {{0, "LabelClutchTime", zeda::kClutchRowLabels},
                            {1, "LabelGearKorAdv", zeda::kKorRowLabels},
                            {2, "LabelGearKorLimiter", zeda::kKorRowLabels},
                            {7, "LabelGearKorPout4", zeda::kKorRowLabels}};
  const auto centre = [this](QWidget* w) { return w->mapTo(form_.get(), w->rect().center()); };
  for (const Column& c : columns) {
    auto* head = form_->findChild<QLabel*>(QString::fromLatin1(c.label));
    ASSERT_NE(head, nullptr) << c.label;
    for (int r = 0; r < zeda::kRaceGearRows; ++r) {
      SCOPED_TRACE(::testing::Message() << c.label << " row " << r);
      auto* cell =
          form_->findChild<QSpinBox*>(QString::fromLatin1(zeda::RaceCell(c.column, r).control));
      auto* rowLabel = form_->findChild<QLabel*>(QString::fromLatin1(c.rows[r]));
      ASSERT_NE(cell, nullptr);
      ASSERT_NE(rowLabel, nullptr);
      const bool shown = r < 4;  // rows "0-1 ", "2", "3", "4" of four gears
      EXPECT_EQ(cell->isVisible(), shown);
      EXPECT_EQ(rowLabel->isVisible(), shown);
      if (!shown) continue;
      EXPECT_LT(std::abs(centre(cell).y() - centre(rowLabel).y()), cell->height() / 2);
      EXPECT_GT(centre(cell).x(), centre(rowLabel).x());
      EXPECT_GT(centre(cell).y(), centre(head).y());
      EXPECT_LT(std::abs(centre(cell).x() - centre(head).x()),
                std::max(head->width(), cell->width()));
      EXPECT_EQ(cell->accessibleName(), head->text() + ", gear " + rowLabel->text().trimmed());
    }
  }
  window_test::Shot(*form_, "race_four_gears");
}

// A language switch renames every up-down: setting and gear in the new language.
TEST_F(RacePageWidgetsTest, PerGearUpDownsAreNamedInTheCurrentLanguage) {
  const struct {
    const char* item;  // the language's menu item
    const char* limiterThird;
    const char* clutchFirst;
  } languages[] = {
      {"MenuGerman", "Begrenzer [rpm], Gang 3", "Schaltautomat Zeit [ms], Gang 0-1"},
      {"MenuCzech", "Omezovač [rpm], převodový stupeň 3",
       "Doba quickshiftu [ms], převodový stupeň 0-1"},
      {"MenuEnglish", "Limiter [rpm], gear 3", "Quickshift time [ms], gear 0-1"},
  };
  auto* limiter = form_->findChild<QSpinBox*>(QString::fromLatin1(zeda::RaceCell(2, 2).control));
  auto* clutch = form_->findChild<QSpinBox*>(QString::fromLatin1(zeda::RaceCell(0, 0).control));
  ASSERT_NE(limiter, nullptr);
  ASSERT_NE(clutch, nullptr);
  for (const auto& l : languages) {
    QAction* a = form_->findChild<QAction*>(QString::fromLatin1(l.item));
    ASSERT_NE(a, nullptr) << l.item;
    a->trigger();
    EXPECT_EQ(limiter->accessibleName(), QString::fromUtf8(l.limiterThird)) << l.item;
    EXPECT_EQ(clutch->accessibleName(), QString::fromUtf8(l.clutchFirst)) << l.item;
  }
  // A window that starts in German (the stored language) names them in German from the start.
  form_.reset();
  {
    zeda::IniFile ini;
    ini.SetInt("FORM_HLAV", "Language", zeda::kGerman);
    std::ofstream(settings_.filePath("application.ini").toStdString()) << ini.Serialize();
  }
  auto german = MakeForm();
  ASSERT_EQ(zeda::CurrentLanguage(), zeda::kGerman);
  auto* cell = german->findChild<QSpinBox*>(QString::fromLatin1(zeda::RaceCell(2, 2).control));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->accessibleName(), QStringLiteral("Begrenzer [rpm], Gang 3"));
}

}  // namespace
