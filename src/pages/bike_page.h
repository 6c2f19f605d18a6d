#pragma once
// The Bike page (index 1): the engine preset, the pick-up synchronisation with its lobe
// table for up to four channels, the tachometer output and the four-stroke options.
//
// The lobe controls are rows of the table (so the widget builder makes them) but are loaded
// and stored by the page itself: their bytes pack the lobe number with the "2nd Edge" and
// "2nd Pick-up" flags, and method 14 uses the pick-up bit as the lobe number's seventh bit.
//
// Thread contract: window thread only (driven by the PageBinder).
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "pages/page_binding.h"
#include "pages/page_context.h"
#include "pages/page_logic.h"

namespace zeda {

inline constexpr int kBikePageIndex = 1;
inline constexpr int kLobeChannels = 4;
inline constexpr int kMaxLobes = 58;          // lobe count limit of every method but 14
inline constexpr int kMaxLobesWide = 120;     // method 14
inline constexpr int kMaxChannels = 2;        // outputs this unit drives
inline constexpr int kPickupCopyFirst = 240;  // RPM_PULSES from here on copy a pick-up
inline constexpr int kPulsesPickup1 = 255;
inline constexpr int kPulsesPickup2 = 254;

// The pulses up-down; its text is its edit's (EditRpmPulsu).
inline constexpr const char* kPulsesControl = "UpDownRpmPulsu";
inline constexpr const char* kBikeQuestion = "Do you want default setting?";

// clang-format off
inline constexpr PageItem kBikeItems[] = {
    {7, "Classic (1 lobe per revolution, 1-2 pick-ups)"},
    {28, "Classic (2 lobe per revolution, 1-2 pick-ups)"},
    {29, "Classic (3 lobe per revolution, 1 pick-up)"},
    {30, "Classic (1 lobe per 2 revolutions (CMPS), 1-2 pick-ups)"},
    {41, "Honda NSR 250 MC18 -"},
    {42, "Honda CRM 250"},
    {255, "Special setting"},
};
inline constexpr PageItem kSynchroItems[] = {
    {0, "1 lobe, 1 or 2 pick-up"},
    {1, "Short gap between lobes (inserted lobe)"},
    {2, "Wide lobe"},
    {3, "Long gap between lobes (missing lobe)"},
    {4, "2 pick-ups, missing lobe"},
    {5, "2 Short gaps between lobes (inserted lobe)"},
    {6, "Cam (CMPS)"},
    {7, "Harley"},
    {8, "Long gap between lobes - more lobes (48-2)"},
    {9, "Special for more pickups"},
    {10, "Inserted lobe - kick start"},
    {11, "Honda Cam (CMPS)"},
    {12, "Long gap between lobes + Cam (CMPS)"},
    {13, "Keihin 18 lobes"},
    {14, "Long gap between lobes - more lobes (60-2) + Cam"},
    {15, "Narrow lobe"},
    {16, "Distributor"},
    {17, "Honda NSR 250 MC18 -"},
    {18, "Honda CRM 250"},
    {19, "Start of lobe"},
    {20, "Mazda RX7"},
};
inline constexpr PageItem kGeberItems[] = {
    {1, "1 ignition per revolution"},
    {2, "2 ignitions per revolution"},
    {3, "3 ignitions per revolution"},
    {4, "4 ignitions per revolution"},
    {0, "1 ignition per 2 revolutions (camshaft)"},
};
inline constexpr PageItem kFourStrokeItems[] = {
    {0, "No"}, {1, "compression deceleration"}, {2, "IAP"}};
inline constexpr PageItem kSyncPolarityItems[] = {
    {0, "use: both polarity"}, {1, "use: + positive only"}, {2, "use: - negative only"}};
inline constexpr PageItem kPickupPolarityItems[] = {{0, "Plus"}, {1, "Minus"}, {2, "Auto"}};

// In the order the page stores them; the lobe rows are stored by the page (see above).
inline constexpr Binding kBikeRows[] = {
    ComboCode("ComboBoxBike", "Motorbike type", "LabelBike", FieldId::BIKE, kBikeItems),
    UpDown(kPulsesControl, "Pulses per revolution", "LabelRpmPulsu", FieldId::RPM_PULSES, -2, 12, 1, 0, "GroupBoxRpm"),
    UpDown("UpDownRpmKorekce", "Correction [%]", "LabelRpmKorekce", FieldId::RPM_CORRECTION, -60, 60, 1, 0, "GroupBoxRpm"),
    RadioIndex("RadioGroupPickup1Polarita", "Polarity of pick-up", FieldId::PICKUP_POLARITY, kPickupPolarityItems, 0),
    RadioIndex("RadioGroupPickup2Polarita", "Polarity of pick-up", FieldId::PICKUP_POLARITY, kPickupPolarityItems, 1),
    Check("CheckBoxZamenaPickup", "Pickups interchange (pin 13 and 26)", FieldId::PICKUPS_INTERCHANGE),
    Check("CheckBoxNehlidaPalec", "No polarity check", FieldId::NO_LOBE_CHECK, 0, "GroupBoxSpecial"),
    Check("CheckBoxCrossBlock", "Interlock input", FieldId::INTERLOCK_INPUT, 0, "GroupBoxSpecial"),
    Check("CheckBoxPredPalec", "Spark possible before virtual lobe", FieldId::SPARK_BEFORE_LOBE, 0, "GroupBoxSpecial"),
    Check("CheckBoxSpecStart", "Lower advance by start (next edge)", FieldId::SPECIAL_START),
    UpDown("UpDownSpecStartPerc", "Lower advance by start [%]", "LabelSpecStartPerc", FieldId::SPECIAL_START_PERC, 0, 250),
    Check("CheckBoxFlyWheelOperation", "Flywheel operation", FieldId::FLYWHEEL_OPERATION),
    Check("CheckBoxSpecDwellByStart", "Special dwell by start", FieldId::SPECIAL_DWELL_START),
    ComboCode("ComboBoxFourStrokeIgn", "Ignition only during compression stroke (Four stroke mode)", "LabelFourStrokeIgn", FieldId::FOUR_STROKE, kFourStrokeItems, 0, "GroupBoxSpecial"),
    ComboCode("ComboBoxSynchPos", "Synchronisation polarity", nullptr, FieldId::SYNC_POLARITY, kSyncPolarityItems, 0, "GroupBoxSpecial"),
    UpDown("UpDownKompenz", "Compensation ", "LabelKompenz", FieldId::COMPENSATION, 0, 255, 1, 0, "GroupBoxSpecial"),
    ComboCode("ComboBoxSynchro", "Synchronization method", "LabelSynchro", FieldId::PICKUP_SYSTEM, kSynchroItems, 0, "GroupBoxSpecial"),
    UpDown("UpDownPocPalcu", "Number of lobe at rotor", "LabelPocPalcu", FieldId::LOBE_COUNT, 1, kMaxLobes, 1, 0, "GroupBoxSpecial"),
    UpDown("UpDownPocKanalu", "Number of outputs (coils)", "LabelPocKanalu", FieldId::CHANNEL_COUNT, 1, kMaxChannels, 1, 0, "GroupBoxSpecial"),
    UpDown("UpDownMaxLenLobe", "Max length of virtual lobe [ms]", "LabelMaxLenLobe", FieldId::MAX_LOBE_LEN, 1, 250, 1, 0, "GroupBoxSpecial"),
    UpDown("UpDownRevWoIgnition", "Revolutions without ignition", "LabelRevWoIgnition", FieldId::REV_WITHOUT_IGNITION, 0, 40, 1, 0, "GroupBoxSpecial"),
    UpDown("UpDownPalec1Zac", "Maximum advance", "LabelPalec1Zac", FieldId::LOBE_START, 1, kMaxLobes, 1, 0, "GroupBoxPalec1"),
    UpDown("UpDownPalec1End", "Start advance", "LabelPalec1End", FieldId::LOBE_END, 1, kMaxLobes, 1, 0, "GroupBoxPalec1"),
    CheckBit("CheckBoxPalec1ZacH2", "2nd Edge", FieldId::LOBE_START, 6, 0, "GroupBoxPalec1"),
    CheckBit("CheckBoxPalec1EndH2", "2nd Edge", FieldId::LOBE_END, 6, 0, "GroupBoxPalec1"),
    CheckBit("CheckBoxPalec1ZacP2", "2nd Pick-up", FieldId::LOBE_START, 7, 0, "GroupBoxPalec1"),
    CheckBit("CheckBoxPalec1EndP2", "2nd Pick-up", FieldId::LOBE_END, 7, 0, "GroupBoxPalec1"),
    CheckBit("CheckBoxPalec1T2", "2nd turn", FieldId::FOUR_STROKE_2ND_TURN, 0, 0, "GroupBoxPalec1"),
    UpDown("UpDownPalec2Zac", "Maximum advance", "LabelPalec2Zac", FieldId::LOBE_START, 1, kMaxLobes, 1, 1, "GroupBoxPalec2"),
    UpDown("UpDownPalec2End", "Start advance", "LabelPalec2End", FieldId::LOBE_END, 1, kMaxLobes, 1, 1, "GroupBoxPalec2"),
    CheckBit("CheckBoxPalec2ZacH2", "2nd Edge", FieldId::LOBE_START, 6, 1, "GroupBoxPalec2"),
    CheckBit("CheckBoxPalec2EndH2", "2nd Edge", FieldId::LOBE_END, 6, 1, "GroupBoxPalec2"),
    CheckBit("CheckBoxPalec2ZacP2", "2nd Pick-up", FieldId::LOBE_START, 7, 1, "GroupBoxPalec2"),
    CheckBit("CheckBoxPalec2EndP2", "2nd Pick-up", FieldId::LOBE_END, 7, 1, "GroupBoxPalec2"),
    CheckBit("CheckBoxPalec2T2", "2nd turn", FieldId::FOUR_STROKE_2ND_TURN, 1, 0, "GroupBoxPalec2"),
    UpDown("UpDownPalec3Zac", "Maximum advance", "LabelPalec3Zac", FieldId::LOBE_START, 1, kMaxLobes, 1, 2, "GroupBoxPalec3"),
    UpDown("UpDownPalec3End", "Start advance", "LabelPalec3End", FieldId::LOBE_END, 1, kMaxLobes, 1, 2, "GroupBoxPalec3"),
    CheckBit("CheckBoxPalec3ZacH2", "2nd Edge", FieldId::LOBE_START, 6, 2, "GroupBoxPalec3"),
    CheckBit("CheckBoxPalec3EndH2", "2nd Edge", FieldId::LOBE_END, 6, 2, "GroupBoxPalec3"),
    CheckBit("CheckBoxPalec3ZacP2", "2nd Pick-up", FieldId::LOBE_START, 7, 2, "GroupBoxPalec3"),
    CheckBit("CheckBoxPalec3EndP2", "2nd Pick-up", FieldId::LOBE_END, 7, 2, "GroupBoxPalec3"),
    CheckBit("CheckBoxPalec3T2", "2nd turn", FieldId::FOUR_STROKE_2ND_TURN, 2, 0, "GroupBoxPalec3"),
    UpDown("UpDownPalec4Zac", "Maximum advance", "LabelPalec4Zac", FieldId::LOBE_START, 1, kMaxLobes, 1, 3, "GroupBoxPalec4"),
    UpDown("UpDownPalec4End", "Start advance", "LabelPalec4End", FieldId::LOBE_END, 1, kMaxLobes, 1, 3, "GroupBoxPalec4"),
    CheckBit("CheckBoxPalec4ZacH2", "2nd Edge", FieldId::LOBE_START, 6, 3, "GroupBoxPalec4"),
    CheckBit("CheckBoxPalec4EndH2", "2nd Edge", FieldId::LOBE_END, 6, 3, "GroupBoxPalec4"),
    CheckBit("CheckBoxPalec4ZacP2", "2nd Pick-up", FieldId::LOBE_START, 7, 3, "GroupBoxPalec4"),
    CheckBit("CheckBoxPalec4EndP2", "2nd Pick-up", FieldId::LOBE_END, 7, 3, "GroupBoxPalec4"),
    CheckBit("CheckBoxPalec4T2", "2nd turn", FieldId::FOUR_STROKE_2ND_TURN, 3, 0, "GroupBoxPalec4"),
    ComboCode("ComboBoxNasobekPalcu", "Ignitions per revolution", "LabelNasobekPalcu", FieldId::GEBER_MODE, kGeberItems, 0, "GroupBoxSpecial"),
};

inline constexpr PageExtra kBikeExtras[] = {
    {ExtraKind::Group, "GroupBoxRpm", "Tachometer output", nullptr},
    {ExtraKind::Group, "GroupBoxSpecial", "Specification of synchronization - Caution - For experienced user only!", nullptr},
    {ExtraKind::Group, "GroupBoxPalec1", "1", "GroupBoxSpecial"},
    {ExtraKind::Group, "GroupBoxPalec2", "2", "GroupBoxSpecial"},
    {ExtraKind::Group, "GroupBoxPalec3", "3", "GroupBoxSpecial"},
    {ExtraKind::Group, "GroupBoxPalec4", "4", "GroupBoxSpecial"},
    {ExtraKind::Value, "LabelFullSync", "###Full synchronisation##Volle Synchronisation##Plná synchronizace", "GroupBoxSpecial"},
    {ExtraKind::Label, "LabelSnimac3", "Full Sync.", "GroupBoxSpecial"},
    {ExtraKind::Label, "LabelSnimac4", "2nd turn", "GroupBoxSpecial"},
    {ExtraKind::Value, "LabelFullSynchro1", "###Full sync. cylinder 1##Volle Synchr. Zylinder 1##Plná synchr. válce 1", "GroupBoxPalec1"},
    {ExtraKind::Value, "LabelFullSynchro2", "###Full sync. cylinder 2##Volle Synchr. Zylinder 2##Plná synchr. válce 2", "GroupBoxPalec2"},
    {ExtraKind::Value, "LabelFullSynchro3", "###Full sync. cylinder 3##Volle Synchr. Zylinder 3##Plná synchr. válce 3", "GroupBoxPalec3"},
    {ExtraKind::Value, "LabelFullSynchro4", "###Full sync. cylinder 4##Volle Synchr. Zylinder 4##Plná synchr. válce 4", "GroupBoxPalec4"},
    {ExtraKind::Value, "LabelVerze1", "###Version of program in ignition##Programmverion der Zündung##Verze programu v zapalování", nullptr},
    {ExtraKind::Value, "LabelVerze2", "###Date of program in ignition##Datum des Programm in der Zündung##Datum zhotovení programu v zapalování", nullptr},
    {ExtraKind::Value, "LabelVerze3", "###Time of program in ignition##Programmierzeitpunkt der Zündung##Čas zhotovení programu v zapalování", nullptr},
};
// clang-format on

// Controls of the form this build never shows.
inline constexpr const char* kBikeHiddenControls[] = {
    "CheckBoxFourStrokeIgn",
    "ComboBoxSynchPos",
    "CheckBoxSpecDwellByStart",
    "CheckBoxFlyWheelOperation",
    "ComboBoxCh1",
    "ComboBoxCh2",
    "ComboBoxCh3",
    "ComboBoxCh4",
};

// The method classes the refresh rules use.
struct MethodClass {
  bool twoPickup;
  bool cam;
  bool fixed;  // no lobe table ("FullSync")
  bool wide;
  bool startOfLobe;
  bool basic;
};
MethodClass ClassOf(int method);

// The objectName of a lobe control of channel `channel` (0-3), e.g. "UpDownPalec2Zac" for
// ("UpDownPalec", 1, "Zac").
std::string LobeControl(const char* prefix, int channel, const char* suffix);

class BikePage final : public PageLogic {
 public:
  explicit BikePage(PageContext context = {}) : context_(std::move(context)) {}

  int Index() const override { return kBikePageIndex; }
  std::span<const Binding> Rows() const override { return kBikeRows; }
  std::span<const PageExtra> Extras() const override { return kBikeExtras; }

  void Create(PageBinder& binder) override;
  void Load(PageBinder& binder) override;
  void Store(PageBinder& binder) override;
  void Refresh(PageBinder& binder) override;
  void Tick(PageBinder& binder) override;
  bool Change(PageBinder& binder, std::string_view control) override;

 private:
  // ComboBoxBikeChange: a new preset, with or without the defaults of every page.
  void BikeChange(PageBinder& binder);
  void LoadLobes(PageBinder& binder);
  void StoreLobes(PageBinder& binder);

  PageContext context_;
};

}  // namespace zeda
