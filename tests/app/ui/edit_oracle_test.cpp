// Nothing a user did not touch changes: every control of every page, edited as a user edits
// it in the real window connected to a simulated unit with a running engine, changes the
// parameters in exactly its own bytes and the bytes a named rule of the program gives it;
// the same through an assistive tool; map edits change their cell (and the columns that
// mirror it) and never the limiters or the base advance; and Program puts exactly the
// edited bytes into the unit.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/ui/main_form.h"
#include "app/ui/page_host.h"
#include "app/ui/window_fixture.h"
#include "link/device_ops.h"
#include "mapedit/ui/tab_widget.h"
#include "monitor/live_values.h"
#include "pages/advance_page.h"
#include "pages/bike_page.h"
#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "pages/page_binding.h"
#include "pages/page_logic.h"
#include "pages/servo_page.h"
#include "pages/ui/page_widget.h"
#include "params/defaults.h"
#include "params/engine_presets.h"
#include "params/lobe_byte.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"
#include "params/param_fields.h"

namespace {

using window_test::WaitUntil;
using window_test::WindowFixture;
using zeda::Adrb;
using zeda::Adrw;
using zeda::Binding;
using zeda::BindKind;
using zeda::FieldId;
using zeda::ParamImage;

// A generous bound for one step of the link on a loaded machine; waits end when done.
constexpr int kStepMs = 30000;
// Ticks of the window's 55 ms timer let run after each edit: more than the 5 an arrow
// click waits for its commit.
constexpr int kTicksAfterEdit = zeda::kArrowCommitTicks + 1;

using ByteSet = std::set<int>;

// ---- The start image ------------------------------------------------------------------

// The unit's memory at the start: the program's start image with settings that show and
// enable as many controls as one image can (a hand-made synchronisation with two pick-ups
// and two outputs, the three inputs taken by quickshift, gear and start limiter, gear by
// voltage with six gears, a throttle sensor, each power output in another mode, an advance
// map over 12 rpm columns, the servo map in percent).
ParamImage StartState() {
  ParamImage img = zeda::StartImage();
  img.SetByte(Adrb::BIKE, zeda::BIKE_SPECIAL);
  constexpr int kMethod = 4;  // 2 pick-ups, missing lobe
  img.SetByte(Adrb::PICKUP_SYSTEM, kMethod);
  img.SetByte(Adrb::LOBE_COUNT, 24);
  img.SetByte(Adrb::CHANNEL_COUNT, 2);
  const int lobes[2][2] = {{3, 5}, {15, 17}};
  for (int ch = 0; ch < 2; ++ch) {
    img.SetByte(Adrb::LOBE_START + ch,
                zeda::EncodeLobeByte({lobes[ch][0], false, ch == 1}, kMethod));
    img.SetByte(Adrb::LOBE_END + ch, zeda::EncodeLobeByte({lobes[ch][1], true, false}, kMethod));
  }
  img.SetByte(Adrb::FOUR_STROKE, 2);  // 2nd turn: its check boxes are shown
  img.SetByte(Adrb::RPM_PULSES, 2);
  img.SetByte(Adrb::INPUT_NEUTRAL_SS, 0);
  img.SetByte(Adrb::INPUT_FUNCTION + 0, zeda::INPUT_QUICKSHIFT);
  img.SetByte(Adrb::INPUT_FUNCTION + 1, zeda::INPUT_GEAR);
  img.SetByte(Adrb::INPUT_FUNCTION + 2, zeda::INPUT_START_LIMITER);
  img.SetByte(Adrb::POTENTIOMETER, 1);
  img.SetWord(Adrw::POTENTIOMETER_RANGE, 20);
  img.SetByte(Adrb::TPSIAP_SENSOR, zeda::LOAD_SENSOR_TP);
  img.SetByte(Adrb::ADV_MAP, 1);
  img.SetByte(Adrb::ADV_COLUMNS, 12);
  const int modes[4] = {zeda::POUT_SPECIAL, zeda::POUT_SPECIAL_PWM, zeda::POUT_SPECIAL_PULSE,
                        zeda::POUT_GEAR_SHIFT_LIGHT};
  for (int k = 0; k < 4; ++k) img.SetByte(Adrb::POUT_MODE + k, static_cast<uint8_t>(modes[k]));
  img.SetByte(Adrb::SERVO_SENSOR, 0);
  img.SetByte(Adrb::SERVO_ENABLE, 1);
  img.SetByte(Adrb::SERVO_PERCENT, 1);
  img.SetByte(Adrb::SERVO_MAP, 1);
  for (int i = 0; i < zeda::MAP_CELLS; ++i)
    img.SetByte(Adrb::SERVO + i, static_cast<uint8_t>(20 + i % zeda::MAP_COLUMNS * 4));
  img.SetByte(Adrb::GEAR, zeda::GEAR_VOLTAGE_MODE);
  img.SetByte(Adrb::GEAR_COUNT, 6);
  zeda::NormalizeParams(img);
  zeda::Presence presence;
  zeda::UpdatePresence(img, presence);
  return img;
}

// ---- Bytes ----------------------------------------------------------------------------

ByteSet Range(int first, int count) {
  ByteSet s;
  for (int i = 0; i < count; ++i) s.insert(first + i);
  return s;
}
ByteSet WordBytes(int word, int count = 1) { return Range(2 * word, 2 * count); }

ByteSet Diff(const ParamImage& a, const ParamImage& b) {
  ByteSet d;
  for (int i = 0; i < zeda::PARAM_IMAGE_SIZE; ++i)
    if (a.Byte(i) != b.Byte(i)) d.insert(i);
  return d;
}

// The field a byte belongs to, for messages.
const char* FieldAt(int byte) {
  for (const zeda::ParamField& f : zeda::kParamFields)
    if (byte >= f.FirstByte() && byte < f.EndByte()) return f.name;
  return "unnamed";
}

std::string Describe(const ByteSet& bytes, const ParamImage& before, const ParamImage& after) {
  std::string out;
  for (int b : bytes) {
    if (!out.empty()) out += ", ";
    out += std::to_string(b) + " (" + FieldAt(b) + " " + std::to_string(before.Byte(b)) + "->" +
           std::to_string(after.Byte(b)) + ")";
  }
  return out.empty() ? "none" : out;
}

// The bytes a row's control stores into.
ByteSet OwnBytes(const Binding& row) {
  const zeda::ParamField& f = zeda::Field(row.field);
  const int a = f.Address(row.element);
  return f.area == zeda::ParamArea::Word ? WordBytes(a) : ByteSet{a};
}

// ---- What an edit may change besides its control's own bytes ---------------------------

struct Dependent {
  const char* control;
  const char* rule;
  // The bytes the rule may rewrite, from the image after the edit.
  std::function<ByteSet(const ParamImage& after)> bytes;
};

ByteSet LobeBytes() { return Range(Adrb::LOBE_START, 2 * zeda::CHANNEL_SLOTS); }

// The rules by which a user's edit of one control rewrites other bytes, for the edits this
// test makes (the next item of a combo box, the first other item of a radio group, one
// step up).
const std::vector<Dependent>& Dependents() {
  static const std::vector<Dependent> kRows = {
      {"RadioButtonPoti", "a potentiometer mode brings its start range",
       [](const ParamImage&) { return WordBytes(Adrw::POTENTIOMETER_RANGE); }},
      {"CheckBoxInNeutralSs",
       "inputs 1 and 2 serve the neutral switch: a gear mode without its input falls back to none",
       [](const ParamImage&) { return ByteSet{Adrb::GEAR}; }},
      {"RadioGroupInput2", "a gear mode without its input falls back to none",
       [](const ParamImage&) { return ByteSet{Adrb::GEAR}; }},
      {"ComboBoxBike",
       "a preset brings its synchronisation and its extra fields, and turns off the flags only a "
       "hand-made one may need",
       [](const ParamImage& after) {
         ByteSet s = LobeBytes();
         s.merge(Range(Adrb::PICKUP_SYSTEM, 4));  // method, lobes, outputs, ignitions per rev.
         s.merge(Range(Adrb::NO_LOBE_CHECK, 3));
         s.insert(Adrb::FOUR_STROKE_2ND_TURN);
         if (const zeda::EnginePreset* p = zeda::FindEnginePreset(after.Byte(Adrb::BIKE)))
           for (int i = 0; i < p->extraCount; ++i) s.insert(p->extras[i].addr);
         return s;
       }},
      {"ComboBoxSynchro",
       "the lobe bytes are encoded for the method (pick-up flags only where it has two) and the "
       "lobe count follows it",
       [](const ParamImage&) {
         ByteSet s = LobeBytes();
         s.insert(Adrb::LOBE_COUNT);
         return s;
       }},
      {"RadioGroupSensorServa", "the servo sensor input cannot also drive the servo",
       [](const ParamImage&) { return ByteSet{Adrb::SERVO_ENABLE}; }},
      {"CheckBoxServoProcenta", "the Percent box converts the servo map's cells",
       [](const ParamImage&) { return Range(Adrb::SERVO, zeda::MAP_CELLS); }},
      {"UpDownPOutPulse3", "Special Pulse counts periods of 50 ms, never shorter than its pulse",
       [](const ParamImage&) { return Range(Adrb::POUT_PWM_MAP + 24 * 2, 24); }},
  };
  return kRows;
}

ByteSet DependentBytes(const std::string& control, const ParamImage& after) {
  ByteSet s;
  for (const Dependent& d : Dependents())
    if (control == d.control) s.merge(d.bytes(after));
  return s;
}

// ---- Controls that cannot be edited in the start state ----------------------------------

// Rows the start image leaves hidden or disabled, and why. A row skipped for any other
// reason, or one of these that can be edited after all, fails the test: nothing drops out
// of the oracle unnoticed.
struct Skip {
  const char* control;
  const char* reason;
};
constexpr char kNeverShown[] = "hidden: never shown by this build";
constexpr char kTwoOutputs[] = "hidden: the unit drives two outputs (channels 3 and 4 unused)";
constexpr char kNotBasic[] = "hidden: only for the basic methods 0 and 19 (this is method 4)";
constexpr char kByVoltage[] = "hidden: gear by voltage, the ratio boxes are not shown";
constexpr char kNoSpeed[] = "hidden: no input has function Speed";
constexpr char kPoutMode[] = "hidden: not a value of its output's mode";
// clang-format off
const Skip kSkips[] = {
    {"UpDownRetard", "disabled: no input has function Retard"},
    {"CheckBoxInverseInput2", "hidden: input 2 reads the gear voltage, which has no polarity"},
    {"CheckBoxFlyWheelOperation", kNeverShown},
    {"CheckBoxSpecDwellByStart", kNeverShown},
    {"ComboBoxSynchPos", kNeverShown},
    {"CheckBoxCrossBlock", kNotBasic},
    {"CheckBoxPredPalec", kNotBasic},
    {"UpDownPalec3Zac", kTwoOutputs}, {"UpDownPalec3End", kTwoOutputs},
    {"CheckBoxPalec3ZacH2", kTwoOutputs}, {"CheckBoxPalec3EndH2", kTwoOutputs},
    {"CheckBoxPalec3ZacP2", kTwoOutputs}, {"CheckBoxPalec3EndP2", kTwoOutputs},
    {"CheckBoxPalec3T2", kTwoOutputs},
    {"UpDownPalec4Zac", kTwoOutputs}, {"UpDownPalec4End", kTwoOutputs},
    {"CheckBoxPalec4ZacH2", kTwoOutputs}, {"CheckBoxPalec4EndH2", kTwoOutputs},
    {"CheckBoxPalec4ZacP2", kTwoOutputs}, {"CheckBoxPalec4EndP2", kTwoOutputs},
    {"CheckBoxPalec4T2", kTwoOutputs},
    {"UpDownKorAdv3", kTwoOutputs}, {"UpDownKorAdv4", kTwoOutputs},
    {"UpDownPOutFreq1", kPoutMode}, {"UpDownPOutPulse1", kPoutMode},  // Special
    {"UpDownPOutHyster2", kPoutMode}, {"UpDownPOutPwm2", kPoutMode},
    {"UpDownPOutPulse2", kPoutMode},                                   // Special PWM
    {"UpDownPOutHyster3", kPoutMode}, {"UpDownPOutPwm3", kPoutMode},
    {"UpDownPOutFreq3", kPoutMode},                                    // Special Pulse
    {"UpDownPOutPwm4", kPoutMode}, {"UpDownPOutFreq4", kPoutMode},
    {"UpDownPOutPulse4", kPoutMode},                                   // Gear shift light
    {"UpDownGearRatio1", kByVoltage}, {"UpDownGearRatio2", kByVoltage},
    {"UpDownGearRatio3", kByVoltage}, {"UpDownGearRatio4", kByVoltage},
    {"UpDownGearRatio5", kByVoltage}, {"UpDownGearRatio6", kByVoltage},
    {"UpDownGearAutoTime", kByVoltage}, {"UpDownGearAutoRpm", kByVoltage},
    {"UpDownGearAutoTps", kByVoltage}, {"UpDownGearAutoBand", kByVoltage},
    {"RadioGroupSpeedMode", kNoSpeed}, {"UpDownPulsuProSpeed", kNoSpeed},
};
// clang-format on

// ---- The fixture --------------------------------------------------------------------------

// One row of a page (page -1: the window's own controls stored with every page).
struct Row {
  int page;
  const Binding* binding;
};

// How a control was edited and what it should hold afterwards.
struct Edit {
  bool done = false;
  std::string what;     // for messages
  std::string failure;  // why the edit could not be made
  int shownValue = 0;   // up-downs: the value typed
  bool hasValue = false;
};

class EditOracleTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    start_ = StartState();
    startBin_ = files_.filePath("start.bin");
    {
      std::ofstream f(startBin_.toStdString(), std::ios::binary);
      f.write(reinterpret_cast<const char*>(start_.Data()), zeda::PARAM_IMAGE_SIZE);
    }
    form_ = MakeForm();
    // The one question an edit asks (a bike preset: "Do you want default setting?") is
    // answered No: the preset's synchronisation only, not the defaults of every page.
    form_->SetQuestionAsker([this](const QString& text) {
      questions_ << text;
      return int(QMessageBox::No);
    });
    form_->resize(1366, 768);
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  void TearDown() override {
    if (form_) KillLinkedSimulator(*form_);
    form_.reset();
    WindowFixture::TearDown();
  }

  // The window connected to a unit holding the start image, with an engine running, and
  // the pages showing the image read from the unit.
  void ConnectAndRead(QStringList extra = {}) {
    QStringList args{"--engine", "idle", "--image", startBin_};
    args << extra;
    ASSERT_TRUE(StartLinkedSimulator(*form_, args));
    ASSERT_TRUE(WaitUntil(
        [&] { return form_->DeviceOps().UnitConnected() && form_->LiveValues().live; }, kStepMs));
    // The connection's own check is done: it found the unit different from the program's
    // start image.
    ASSERT_TRUE(WaitUntil([&] { return Congruence(*form_) == window_test::kDifferent; }, kStepMs));
    form_->appSettings.newInstal = false;
    ASSERT_FALSE(Find<QCheckBox>("CheckBoxProgHned")->isChecked())
        << "programming after change must be off: the oracle looks at the document";
    ReadUnit();
    ASSERT_TRUE(Doc() == start_) << "the read image differs from the unit's: "
                                 << Describe(Diff(start_, Doc()), start_, Doc());
    ASSERT_TRUE(WaitUntil([&] { return Congruence(*form_) == window_test::kIdentical; }, kStepMs));
  }
  // ButtonRead as a user; returns when the read has replaced the document.
  void ReadUnit() {
    const size_t entries = form_->ActivityLog().Entries().size();
    QTest::mouseClick(Find<QPushButton>("ButtonRead"), Qt::LeftButton);
    ASSERT_TRUE(
        WaitUntil([&] { return form_->ActivityLog().Entries().size() > entries; }, kStepMs));
    EXPECT_EQ(form_->ActivityLog().Entries().back().verdict, zeda::ActivityVerdict::Ok);
  }

  template <typename T>
  T* Find(const char* name) {
    return form_->findChild<T*>(QString::fromLatin1(name));
  }
  zeda::PageBinder& Binder() { return form_->Pages()->Binder(); }
  const ParamImage& Doc() { return form_->document.Params(); }
  QTabWidget* Tabs() { return Find<QTabWidget>("PageControl1"); }

  // Lets the window's own timer run `n` ticks.
  void RunTicks(int n) {
    const uint32_t from = Binder().TickCount();
    ASSERT_TRUE(WaitUntil([&] { return Binder().TickCount() >= from + uint32_t(n); }, 5000));
  }
  // Clicks the page's tab.
  void ShowPageAsUser(int page) {
    QTabWidget* tabs = Tabs();
    if (page < 0 || tabs->currentIndex() == page) return;
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(tabs->currentIndex(), page);
    // A user looks at the page before touching it: the ticks run over the loaded page.
    RunTicks(2);
  }
  // Every row of every page, from the pages' own tables, then the window's own.
  std::vector<Row> AllRows() {
    std::vector<Row> rows;
    for (int i = 0; i < zeda::kMaxPages; ++i)
      if (const zeda::PageLogic* p = Binder().Page(i))
        for (const Binding& b : p->Rows()) rows.push_back({i, &b});
    for (const Binding& b : zeda::kCommonRows) rows.push_back({-1, &b});
    return rows;
  }
  // The buttons of a radio group or a radio row.
  std::vector<QRadioButton*> RadioButtons(const Binding& b) {
    std::vector<QRadioButton*> out;
    if (b.kind == BindKind::RadioRow) {
      for (int n = 0; n < b.buttons; ++n)
        if (auto* r =
                form_->findChild<QRadioButton*>(QString::fromStdString(zeda::RowButtonName(b, n))))
          out.push_back(r);
      return out;
    }
    if (auto* g = Find<QGroupBox>(b.control))
      for (QRadioButton* r : g->findChildren<QRadioButton*>()) out.push_back(r);
    return out;
  }
  // The widget a row's state is shown by (the first button of a radio row).
  QWidget* ControlOf(const Binding& b) {
    if (b.kind == BindKind::RadioRow) {
      const auto buttons = RadioButtons(b);
      return buttons.empty() ? nullptr : buttons.front()->parentWidget();
    }
    return Find<QWidget>(b.control);
  }

  // ---- User's acts ----
  static void ClickIndicator(QAbstractButton* b, QStyle::SubElement indicator) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    const QRect r = b->style()->subElementRect(indicator, &opt, b);
    QTest::mouseClick(b, Qt::LeftButton, {}, r.isValid() ? r.center() : b->rect().center());
  }
  // The value a user would type instead of the current one: one step up, or down at the top.
  static bool NewSpinValue(const QSpinBox* s, int* value) {
    const int v = s->value();
    const int step = std::max(1, s->singleStep());
    if (v + step <= s->maximum()) {
      *value = v + step;
      return true;
    }
    if (v - step >= s->minimum()) {
      *value = v - step;
      return true;
    }
    return false;
  }
  Edit UserEdit(const Binding& b) {
    Edit e;
    switch (b.kind) {
      case BindKind::UpDown: {
        auto* s = Find<zeda::PageSpinBox>(b.control);
        if (!NewSpinValue(s, &e.shownValue)) {
          e.failure = "its range holds one value";
          return e;
        }
        auto* edit = s->findChild<QLineEdit*>();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(s, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(s, QString::number(e.shownValue));
        QTest::keyClick(s, Qt::Key_Return);
        e.hasValue = true;
        e.what = "typed " + std::to_string(e.shownValue) + " and Enter";
        break;
      }
      case BindKind::CheckBox:
      case BindKind::CheckBit: {
        auto* c = Find<QCheckBox>(b.control);
        const bool was = c->isChecked();
        ClickIndicator(c, QStyle::SE_CheckBoxIndicator);
        if (c->isChecked() == was) {
          e.failure = "a click did not toggle it";
          return e;
        }
        e.what = std::string("clicked to ") + (was ? "off" : "on");
        break;
      }
      case BindKind::RadioIndex:
      case BindKind::RadioCode:
      case BindKind::RadioRow: {
        QRadioButton* target = nullptr;
        for (QRadioButton* r : RadioButtons(b))
          if (!target && r->isVisible() && r->isEnabled() && !r->isChecked() &&
              !r->text().isEmpty())
            target = r;
        if (!target) {
          e.failure = "no other item can be chosen";
          return e;
        }
        ClickIndicator(target, QStyle::SE_RadioButtonIndicator);
        if (!target->isChecked()) {
          e.failure = "a click did not check " + target->text().toStdString();
          return e;
        }
        e.what = "clicked \"" + target->text().toStdString() + "\"";
        break;
      }
      case BindKind::ComboCode: {
        auto* c = Find<QComboBox>(b.control);
        const int was = c->currentIndex();
        c->setFocus(Qt::TabFocusReason);
        QTest::keyClick(c, was + 1 < c->count() ? Qt::Key_Down : Qt::Key_Up);
        if (c->currentIndex() == was) {
          e.failure = "the arrow key did not choose another item";
          return e;
        }
        e.what = "chose \"" + c->itemText(c->currentIndex()).toStdString() + "\" by key";
        break;
      }
    }
    e.done = true;
    return e;
  }
  // The same edit through the accessibility interface (spin boxes and check boxes).
  Edit AssistiveEdit(const Binding& b) {
    Edit e;
    if (b.kind == BindKind::UpDown) {
      auto* s = Find<zeda::PageSpinBox>(b.control);
      if (!NewSpinValue(s, &e.shownValue)) {
        e.failure = "its range holds one value";
        return e;
      }
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(s);
      if (!a || !a->valueInterface()) {
        e.failure = "no value interface";
        return e;
      }
      a->valueInterface()->setCurrentValue(e.shownValue);
      e.hasValue = true;
      e.what = "value interface set to " + std::to_string(e.shownValue);
    } else {
      auto* c = Find<QCheckBox>(b.control);
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
      if (!a || !a->actionInterface()) {
        e.failure = "no action interface";
        return e;
      }
      const bool was = c->isChecked();
      a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
      if (c->isChecked() == was) {
        e.failure = "the toggle action did not toggle it";
        return e;
      }
      e.what = "toggle action";
    }
    e.done = true;
    return e;
  }

  // What the edited control's field holds now, in the units the control shows.
  int StoredShown(const Binding& b) {
    const zeda::ParamField& f = zeda::Field(b.field);
    if (f.kind == zeda::FieldKind::Lobe)
      return zeda::DecodeLobeByte(Doc().Byte(f.Address(b.element)), Doc().Byte(Adrb::PICKUP_SYSTEM))
          .lobe;
    return zeda::ReadShown(Doc(), f, b.element);
  }

  // Checks the document after an edit of `b`; returns the failure, empty when right.
  std::string Verdict(const Binding& b, const Edit& e) {
    const ByteSet changed = Diff(start_, Doc());
    const ByteSet own = OwnBytes(b);
    const ByteSet allowed = [&] {
      ByteSet s = own;
      s.merge(DependentBytes(b.control, Doc()));
      return s;
    }();
    ByteSet outside;
    for (int x : changed)
      if (!allowed.count(x)) outside.insert(x);
    const bool ownChanged =
        std::any_of(own.begin(), own.end(), [&](int x) { return changed.count(x) > 0; });
    std::string why;
    if (!ownChanged)
      why += " its own bytes did not change (changed: " + Describe(changed, start_, Doc()) + ");";
    if (!outside.empty())
      why += " bytes changed beyond it and its rules: " + Describe(outside, start_, Doc()) + ";";
    if (e.hasValue && StoredShown(b) != e.shownValue)
      why += " the image holds " + std::to_string(StoredShown(b)) + ";";
    return why;
  }

  // Puts the start image back through the window's Undo (a re-read when that fails);
  // returns what went wrong, empty when the undo alone restored it.
  std::string Restore() {
    if (Doc() == start_) {
      // Nothing was committed: the controls may still show the edit. A read puts the unit's
      // image into every control again.
      ReadUnit();
      return {};
    }
    QTest::mouseClick(Find<QAbstractButton>("SpeedButtonZpet"), Qt::LeftButton);
    QCoreApplication::processEvents();
    if (Doc() == start_) return {};
    const std::string left = Describe(Diff(start_, Doc()), start_, Doc());
    ReadUnit();
    return "one Undo left " + left;
  }

  // Runs `edit` on every editable row that `take` picks and checks the document after it.
  // Returns the rows skipped as hidden or disabled.
  std::map<std::string, std::string> RunRows(const std::function<bool(const Binding&)>& take,
                                             const std::function<Edit(const Binding&)>& edit,
                                             const char* how) {
    std::map<std::string, std::string> skipped;
    for (const Row& row : AllRows()) {
      const Binding& b = *row.binding;
      if (!take(b)) continue;
      ShowPageAsUser(row.page);
      QWidget* w = ControlOf(b);
      if (w == nullptr) {
        ADD_FAILURE() << b.control << ": no widget";
        continue;
      }
      if (!w->isVisible() || !w->isEnabled()) {
        skipped[b.control] = w->isVisible() ? "disabled" : "hidden";
        continue;
      }
      const Edit e = edit(b);
      if (!e.done) {
        ADD_FAILURE() << how << " " << b.control << ": " << e.failure;
        Restore();
        continue;
      }
      RunTicks(kTicksAfterEdit);
      ++edited_;
      const std::string why = Verdict(b, e);
      EXPECT_TRUE(why.empty()) << how << " " << b.control << " (" << e.what << "):" << why;
      const std::string restore = Restore();
      EXPECT_TRUE(restore.empty()) << "after " << how << " " << b.control << ": " << restore;
      if (!(Doc() == start_)) {
        ADD_FAILURE() << "the start image could not be put back";
        return skipped;
      }
    }
    return skipped;
  }
  // The rows skipped are exactly those of kSkips that `take` picks, in the state kSkips
  // gives.
  void ExpectSkips(const std::map<std::string, std::string>& skipped,
                   const std::function<bool(const Binding&)>& take) {
    std::map<std::string, std::string> expected;
    for (const Row& row : AllRows())
      for (const Skip& s : kSkips)
        if (row.binding->control == std::string(s.control) && take(*row.binding))
          expected[s.control] = std::string(s.reason).substr(0, std::string(s.reason).find(':'));
    for (const auto& [name, state] : skipped)
      EXPECT_EQ(expected.count(name) ? expected[name] : "edited", state) << name;
    for (const auto& [name, state] : expected)
      EXPECT_TRUE(skipped.count(name)) << name << " was edited, kSkips says " << state;
  }

  // ---- Map editors ----
  zeda::TTabWidget* MapEditor(const char* name) {
    auto* w = Find<zeda::TTabWidget>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  // Clicks a cell of the editor's current sheet, types a value one above (or below) the one
  // it shows and Enter; returns the value typed, or INT32_MIN with a failure.
  int32_t TypeIntoCell(zeda::TTabWidget* w, int col, int row, const zeda::ParamField& cells) {
    const QRect r = w->ItemRect(col, row);
    if (r.isEmpty()) {
      ADD_FAILURE() << "cell " << col << "," << row << " is not shown";
      return INT32_MIN;
    }
    QTest::mouseClick(w, Qt::LeftButton, {}, r.center());
    const zeda::CSheet& s = w->Table().Cur();
    if (s.sel.minCol != col || s.sel.minRow != row || s.sel.count != 1) {
      ADD_FAILURE() << "the click did not select cell " << col << "," << row;
      return INT32_MIN;
    }
    const int32_t v = s.Cell(col, row);
    if (w->Table().ItemText(col, row) != std::to_string(v)) {
      ADD_FAILURE() << "the cell shows " << w->Table().ItemText(col, row) << " for " << v;
      return INT32_MIN;
    }
    const int32_t typed = v + 1 <= cells.hi ? v + 1 : v - 1;
    QTest::keyClicks(w, QString::number(typed));
    QTest::keyClick(w, Qt::Key_Return);
    return typed;
  }

  // ---- Program ----
  // ButtonProgram as a user; true when the window's status says the unit took it.
  bool ProgramAsUser() {
    const size_t entries = form_->ActivityLog().Entries().size();
    QTest::mouseClick(Find<QPushButton>("ButtonProgram"), Qt::LeftButton);
    auto* result = Find<QLabel>("LabelResult");
    return WaitUntil(
               [&] {
                 return form_->ActivityLog().Entries().size() > entries &&
                        result->text() == "Program device: OK";
               },
               kStepMs) &&
           form_->ActivityLog().Entries().back().verdict == zeda::ActivityVerdict::Ok;
  }
  // The unit's memory as it saved it after its last write.
  static ParamImage SavedImage(const QString& path) {
    ParamImage img;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return img;
    const QByteArray bytes = f.readAll();
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), zeda::PARAM_IMAGE_SIZE),
                img.bytes.begin());
    return img;
  }

  ParamImage start_;
  QString startBin_;
  std::unique_ptr<TMainForm> form_;
  QStringList questions_;
  int edited_ = 0;
};

// Every row of every page (and the read-out lock), edited as a user does: an up-down typed
// into, a check box clicked, the first other item of a radio group clicked, the next item of
// a combo box chosen by key. The window's ticks run on; then the document differs from the
// unit's image in the control's bytes and those its rules give it, and nothing else.
TEST_F(EditOracleTest, EveryPageControlChangesOnlyItsOwnBytes) {
  ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
  const auto all = [](const Binding&) { return true; };
  const auto skipped = RunRows(
      all, [this](const Binding& b) { return UserEdit(b); }, "a user's edit of");
  ExpectSkips(skipped, all);
  EXPECT_GE(edited_, 100) << "the pages lost their controls";
  // The bike preset asked its question (answered No) and nothing else asked any.
  EXPECT_EQ(questions_, QStringList{QString::fromLatin1(zeda::kBikeQuestion)});
}

// The same through an assistive tool: an up-down's value interface (committed like arrow
// clicks, after the delay) and a check box's toggle action. The tool reaches the binder
// through one connection per kind of widget, and from there on the commit is the one the
// user's pass checks for every row; so the first up-down and the first check box shown on
// each page (and the window's read-out lock) stand for the others.
TEST_F(EditOracleTest, AnAssistiveToolsEditChangesOnlyTheControlsBytes) {
  ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
  const auto spinOrCheck = [](const Binding& b) {
    return b.kind == BindKind::UpDown || b.kind == BindKind::CheckBox ||
           b.kind == BindKind::CheckBit;
  };
  int page = -2;
  std::set<bool> kindsTaken;  // on the current page: spin (true), check box (false)
  const auto firstOnPage = [&](const Binding& b) {
    if (!spinOrCheck(b)) return false;
    QWidget* w = ControlOf(b);
    if (w == nullptr) return true;  // RunRows reports it
    int owner = -1;
    for (int i = 0; i < Tabs()->count(); ++i)
      if (Tabs()->widget(i)->isAncestorOf(w)) owner = i;
    QWidget* shownIn = owner >= 0 ? Tabs()->widget(owner) : w->window();
    const bool shown = w->isVisibleTo(shownIn) && w->isEnabled();
    if (owner != page) {
      page = owner;
      kindsTaken.clear();
    }
    // Hidden ones are still walked (and skipped) so that kSkips is checked here as well.
    return !shown || kindsTaken.insert(b.kind == BindKind::UpDown).second;
  };
  const auto skipped = RunRows(
      firstOnPage, [this](const Binding& b) { return AssistiveEdit(b); }, "an assistive edit of");
  ExpectSkips(skipped, spinOrCheck);
  EXPECT_GE(edited_, 12) << "the pages lost their controls";
}

// A cell typed into a map editor changes that cell; a cell of the last used column also the
// unused columns after it, which mirror it. The overlays every map shows (limiter, start
// limiter, base advance) are never written back by the edit or by the ticks after it, with
// live values flowing (the window once ticked its tables with empty overlays, and the next
// map edit wrote limiters of 1000 rpm).
TEST_F(EditOracleTest, AMapEditChangesItsCellAndTheColumnsMirroringIt) {
  ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
  struct MapCase {
    const char* what;
    int page;
    const char* editor;
    FieldId cells;
    int columnsAddr;
    int col, row;
  };
  const int usedAdvance = start_.Byte(Adrb::ADV_COLUMNS);
  const int usedServo = start_.Byte(Adrb::SERVO_COLUMNS);
  ASSERT_LT(usedAdvance, zeda::MAP_COLUMNS) << "the mirrored columns need unused ones";
  const MapCase cases[] = {
      {"advance, inner cell", zeda::kAdvancePageIndex, "TabAdvance", FieldId::ADVANCE,
       Adrb::ADV_COLUMNS, 2, 4},
      {"advance, last used column", zeda::kAdvancePageIndex, "TabAdvance", FieldId::ADVANCE,
       Adrb::ADV_COLUMNS, usedAdvance - 1, 6},
      {"servo, inner cell", zeda::kServoPageIndex, "TabServo", FieldId::SERVO, Adrb::SERVO_COLUMNS,
       3, 2},
      {"servo, last used column", zeda::kServoPageIndex, "TabServo", FieldId::SERVO,
       Adrb::SERVO_COLUMNS, usedServo - 1, 7},
  };
  // Live values reach the tables: the operating point is the engine's.
  ASSERT_TRUE(WaitUntil([&] { return form_->LiveValues().engineSpeed > 0; }, kStepMs));
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.what);
    ShowPageAsUser(c.page);
    zeda::TTabWidget* w = MapEditor(c.editor);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->Table().current, 0);
    const zeda::ParamField& cells = zeda::Field(c.cells);
    // A user looks at the map for a while: the tables take the window's ticks (their
    // overlays, the operating point) before the edit.
    RunTicks(kTicksAfterEdit);
    const int32_t typed = TypeIntoCell(w, c.col, c.row, cells);
    ASSERT_NE(typed, INT32_MIN);
    RunTicks(kTicksAfterEdit);
    ByteSet expected;
    const int used = start_.Byte(c.columnsAddr);
    for (int col = c.col; col < (c.col == used - 1 ? zeda::MAP_COLUMNS : c.col + 1); ++col)
      expected.insert(cells.Address(c.row * zeda::MAP_COLUMNS + col));
    const ByteSet changed = Diff(start_, Doc());
    EXPECT_EQ(changed, expected) << "changed: " << Describe(changed, start_, Doc());
    EXPECT_EQ(zeda::ReadShown(Doc(), cells, c.row * zeda::MAP_COLUMNS + c.col), typed);
    EXPECT_EQ(Doc().Word(Adrw::LIMITER), start_.Word(Adrw::LIMITER));
    EXPECT_EQ(Doc().Word(Adrw::START_LIMITER), start_.Word(Adrw::START_LIMITER));
    EXPECT_EQ(Doc().Byte(Adrb::BASE_ADV), start_.Byte(Adrb::BASE_ADV));
    const std::string restore = Restore();
    EXPECT_TRUE(restore.empty()) << restore;
    ASSERT_TRUE(Doc() == start_);
  }
}

// Program puts exactly the edited bytes into the unit: a page field, a map cell and a check
// box, each edited as a user does and programmed with ButtonProgram; the unit's saved
// memory then differs from what it held before in exactly those bytes.
TEST_F(EditOracleTest, ProgramWritesExactlyTheEditedBytesIntoTheUnit) {
  const QString saved = files_.filePath("unit.bin");
  ASSERT_NO_FATAL_FAILURE(ConnectAndRead({"--save", saved}));
  ParamImage unit = start_;
  struct Step {
    const char* what;
    int page;
    std::function<ByteSet()> edit;  // the bytes the edit may change
  };
  const Step steps[] = {
      {"page field UpDownLimiter", zeda::kMiscPageIndex,
       [&] {
         const Binding* row = nullptr;
         for (const Binding& b : zeda::kMiscRows)
           if (std::string(b.control) == "UpDownLimiter") row = &b;
         const Edit e = UserEdit(*row);
         EXPECT_TRUE(e.done) << e.failure;
         return OwnBytes(*row);
       }},
      {"advance map cell", zeda::kAdvancePageIndex,
       [&] {
         const zeda::ParamField& cells = zeda::Field(FieldId::ADVANCE);
         EXPECT_NE(TypeIntoCell(MapEditor("TabAdvance"), 5, 3, cells), INT32_MIN);
         return ByteSet{cells.Address(3 * zeda::MAP_COLUMNS + 5)};
       }},
      {"check box CheckBoxAdv2ToOut2", zeda::kAdvancePageIndex,
       [&] {
         const Binding& row = zeda::kAdvanceRows[std::size(zeda::kAdvanceRows) - 1];
         EXPECT_STREQ(row.control, "CheckBoxAdv2ToOut2");
         const Edit e = UserEdit(row);
         EXPECT_TRUE(e.done) << e.failure;
         return OwnBytes(row);
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    ShowPageAsUser(step.page);
    RunTicks(kTicksAfterEdit);
    const ParamImage before = Doc();
    const ByteSet own = step.edit();
    RunTicks(kTicksAfterEdit);
    const ByteSet edited = Diff(before, Doc());
    ASSERT_FALSE(edited.empty()) << "the edit changed nothing";
    for (int b : edited) EXPECT_TRUE(own.count(b)) << "beyond the edit: " << b << " " << FieldAt(b);
    ASSERT_TRUE(ProgramAsUser()) << Find<QLabel>("LabelResult")->text().toStdString();
    const ParamImage now = SavedImage(saved);
    EXPECT_EQ(Diff(unit, now), edited) << "the unit took " << Describe(Diff(unit, now), unit, now);
    EXPECT_TRUE(now == Doc()) << "unit and document differ in "
                              << Describe(Diff(now, Doc()), now, Doc());
    unit = now;
  }
  EXPECT_TRUE(WaitUntil([&] { return Congruence(*form_) == window_test::kIdentical; }, kStepMs));
}

}  // namespace
