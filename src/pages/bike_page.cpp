// The Bike page (see bike_page.h).
#include "pages/bike_page.h"

#include <algorithm>

#include "pages/page_binder.h"
#include "params/engine_presets.h"
#include "params/lobe_byte.h"
#include "params/normalize.h"
#include "params/param_addresses.h"
#include "params/param_codes.h"

namespace zeda {

namespace {

constexpr int kMethodCam12 = 12;  // its pick-up flags mean nothing to the unit
constexpr int kMethodKickStart = 10;
constexpr int kFourStrokeFullSync = 1;
constexpr int kFourStrokeSecondTurn = 2;

bool IsLobeRow(const Binding& row) {
  return row.field == FieldId::LOBE_START || row.field == FieldId::LOBE_END ||
         row.field == FieldId::FOUR_STROKE_2ND_TURN;
}

const Binding& Row(std::string_view control) {
  for (const Binding& row : kBikeRows)
    if (control == row.control) return row;
  return kBikeRows[0];
}

void LoadTableRows(const ParamImage& img, PageControls& c) {
  for (const Binding& row : kBikeRows)
    if (!IsLobeRow(row)) LoadBinding(row, img, c);
}

int Method(const ParamImage& img) { return img.Byte(Adrb::PICKUP_SYSTEM); }

}  // namespace

MethodClass ClassOf(int m) {
  MethodClass k{};
  k.twoPickup = m == 0 || m == 4 || m == 9 || m == 17 || m == 18;
  k.cam = m == 6 || m == 11 || m == 12;
  k.fixed = m == 7 || m == 16;
  k.wide = m == 8 || m == PICKUP_SYSTEM_120_LOBES;
  k.startOfLobe = m == 19;
  k.basic = m == 0 || m == 19;
  return k;
}

std::string LobeControl(const char* prefix, int channel, const char* suffix) {
  return std::string(prefix) + std::to_string(channel + 1) + suffix;
}

void BikePage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  for (const char* name : kBikeHiddenControls) binder.Controls().SetVisible(name, false);
}

void BikePage::Load(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const int method = Method(img);
  // Ranges first, or the values would be clipped to the previous method's.
  c.SetRange("UpDownPocPalcu", 1, method == PICKUP_SYSTEM_120_LOBES ? kMaxLobesWide : kMaxLobes, 1);
  c.SetRange("UpDownPocKanalu", 1, kMaxChannels, 1);
  LoadTableRows(img, c);
  const int pulses = img.Byte(Adrb::RPM_PULSES);
  if (pulses == kPulsesPickup1) c.SetText(kPulsesControl, "pickup 1");
  if (pulses == kPulsesPickup2) c.SetText(kPulsesControl, "pickup 2");
  LoadLobes(binder);
  Refresh(binder);
}

void BikePage::LoadLobes(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const int method = Method(img);
  const int lobes = std::max<int>(1, img.Byte(Adrb::LOBE_COUNT));
  const bool wide = ClassOf(method).wide;
  const bool firstEdge = (img.Byte(Adrb::LOBE_START) & LOBE_BIT_2ND_EDGE) != 0;
  const int turns = img.Byte(Adrb::FOUR_STROKE_2ND_TURN);
  for (int ch = 0; ch < kLobeChannels; ++ch) {
    const LobeByte start = DecodeLobeByte(img.Byte(Adrb::LOBE_START + ch), method);
    const LobeByte end = DecodeLobeByte(img.Byte(Adrb::LOBE_END + ch), method);
    const std::string zac = LobeControl("UpDownPalec", ch, "Zac");
    const std::string endName = LobeControl("UpDownPalec", ch, "End");
    c.SetRange(zac, 1, lobes, 1);
    c.SetRange(endName, 1, lobes, 1);
    c.SetPosition(zac, start.lobe);
    c.SetPosition(endName, end.lobe);
    // The wide methods have one edge setting for every lobe: channel 0's start.
    c.SetChecked(LobeControl("CheckBoxPalec", ch, "ZacH2"), wide ? firstEdge : start.secondEdge);
    c.SetChecked(LobeControl("CheckBoxPalec", ch, "EndH2"), wide ? firstEdge : end.secondEdge);
    c.SetChecked(LobeControl("CheckBoxPalec", ch, "ZacP2"), start.secondPickup);
    c.SetChecked(LobeControl("CheckBoxPalec", ch, "EndP2"), end.secondPickup);
    c.SetChecked(LobeControl("CheckBoxPalec", ch, "T2"), ((turns >> ch) & 1) != 0);
  }
}

void BikePage::Store(PageBinder& binder) {
  PageControls& c = binder.Controls();
  ParamImage& img = binder.Params();
  for (const Binding& row : kBikeRows) {
    if (row.field == FieldId::GEBER_MODE) StoreLobes(binder);
    if (!IsLobeRow(row)) StoreBinding(row, c, img);
  }
  if (img.Byte(Adrb::BIKE) != BIKE_SPECIAL) {
    // A preset owns the synchronisation: flags only a hand-made one may need go off.
    for (const char* name : {"CheckBoxNehlidaPalec", "CheckBoxCrossBlock", "CheckBoxPredPalec"}) {
      WriteStored(img, Row(name).field, 0, 0);
      PageBinder::Guard guard(binder);
      c.SetChecked(name, false);
    }
  }
}

void BikePage::StoreLobes(PageBinder& binder) {
  const PageControls& c = binder.Controls();
  ParamImage& img = binder.Params();
  const int method = Method(img);
  int turns = 0;
  for (int ch = 0; ch < kLobeChannels; ++ch) {
    // Method 14 has no pick-up flag: decoding drops it, so must encoding (bit 7 is the
    // lobe number's seventh bit there).
    const LobeByte start{c.Position(LobeControl("UpDownPalec", ch, "Zac")),
                         c.Checked(LobeControl("CheckBoxPalec", ch, "ZacH2")),
                         c.Checked(LobeControl("CheckBoxPalec", ch, "ZacP2"))};
    const LobeByte end{c.Position(LobeControl("UpDownPalec", ch, "End")),
                       c.Checked(LobeControl("CheckBoxPalec", ch, "EndH2")),
                       c.Checked(LobeControl("CheckBoxPalec", ch, "EndP2"))};
    img.SetByte(Adrb::LOBE_START + ch, EncodeLobeByte(start, method));
    img.SetByte(Adrb::LOBE_END + ch, EncodeLobeByte(end, method));
    if (c.Checked(LobeControl("CheckBoxPalec", ch, "T2"))) turns |= 1 << ch;
  }
  img.SetByte(Adrb::FOUR_STROKE_2ND_TURN, static_cast<uint8_t>(turns));
  if (ClassOf(method).wide) {
    const uint8_t edge = img.Byte(Adrb::LOBE_START) & LOBE_BIT_2ND_EDGE;
    for (int ch = 0; ch < kLobeChannels; ++ch)
      for (int addr : {Adrb::LOBE_START + ch, Adrb::LOBE_END + ch})
        img.SetByte(addr, static_cast<uint8_t>((img.Byte(addr) & ~LOBE_BIT_2ND_EDGE) | edge));
  }
}

void BikePage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  const ParamImage& img = binder.Params();
  const int method = Method(img);
  const MethodClass k = ClassOf(method);
  const bool special = img.Byte(Adrb::BIKE) == BIKE_SPECIAL;
  const int fourStroke = img.Byte(Adrb::FOUR_STROKE);
  const int channels = img.Byte(Adrb::CHANNEL_COUNT);

  c.SetVisible("CheckBoxFourStrokeIgn", false);
  c.SetVisible("ComboBoxFourStrokeIgn", true);
  c.SetVisible("LabelFourStrokeIgn", true);
  const bool fullSync = fourStroke == kFourStrokeFullSync;
  const bool secondTurn = fourStroke == kFourStrokeSecondTurn;
  c.SetVisible("LabelSnimac3", fullSync);
  c.SetVisible("LabelSnimac4", secondTurn);

  c.SetVisible("RadioGroupPickup2Polarita",
               k.twoPickup || k.basic || k.cam || method == PICKUP_SYSTEM_120_LOBES);

  c.SetEnabled("ComboBoxSynchro", special);
  c.SetEnabled("LabelSynchro", special);
  c.SetEnabled("UpDownPocKanalu", special && !k.fixed);
  c.SetEnabled("LabelPocKanalu", special && !k.fixed);
  c.SetEnabled("UpDownPocPalcu", special && !k.fixed && !k.basic);
  c.SetEnabled("LabelPocPalcu", special && !k.fixed && !k.basic);
  for (const char* name : {"CheckBoxNehlidaPalec", "CheckBoxCrossBlock", "CheckBoxPredPalec",
                           "ComboBoxNasobekPalcu", "LabelNasobekPalcu", "ComboBoxFourStrokeIgn",
                           "LabelFourStrokeIgn", "UpDownKompenz", "LabelKompenz"})
    c.SetEnabled(name, special);
  c.SetEnabled("GroupBoxSpecial", special || k.basic);
  // Grey says "not yours to edit" even where a basic method leaves the box enabled.
  c.SetColour("GroupBoxSpecial", special ? kColourButtonFace : kColourGrey);
  c.SetVisible("CheckBoxNehlidaPalec", special && !k.wide);
  c.SetVisible("CheckBoxCrossBlock", special && k.basic);
  c.SetVisible("CheckBoxPredPalec", special && k.basic);
  for (const char* name : {"CheckBoxSpecStart", "UpDownSpecStartPerc", "LabelSpecStartPerc"})
    c.SetVisible(name, special);

  c.SetVisible("LabelFullSync", k.fixed);
  for (int ch = 0; ch < kLobeChannels; ++ch) {
    c.SetVisible(LobeControl("GroupBoxPalec", ch, ""), !k.fixed && (ch == 0 || channels > ch));
    c.SetVisible(LobeControl("LabelFullSynchro", ch, ""), fullSync);
    c.SetVisible(LobeControl("CheckBoxPalec", ch, "T2"), secondTurn);
    c.SetEnabled(LobeControl("CheckBoxPalec", ch, "T2"), special);
    for (const char* lobe : {"Zac", "End"}) {
      c.SetEnabled(LobeControl("UpDownPalec", ch, lobe), special && !k.basic);
      c.SetEnabled(LobeControl("LabelPalec", ch, lobe), special && !k.basic);
    }
    c.SetVisible(LobeControl("UpDownPalec", ch, "End"), !k.startOfLobe);
    c.SetVisible(LobeControl("LabelPalec", ch, "End"), !k.startOfLobe);
    c.SetVisible(LobeControl("CheckBoxPalec", ch, "EndH2"), !k.startOfLobe);
    c.SetEnabled(LobeControl("CheckBoxPalec", ch, "ZacH2"), special && !(k.wide && ch > 0));
    c.SetEnabled(LobeControl("CheckBoxPalec", ch, "EndH2"), special && !k.wide);
    for (const char* p2 : {"ZacP2", "EndP2"}) {
      c.SetVisible(LobeControl("CheckBoxPalec", ch, p2), k.twoPickup || k.basic);
      c.SetEnabled(LobeControl("CheckBoxPalec", ch, p2),
                   special && !k.wide && method != kMethodCam12);
    }
  }

  c.SetText("LabelRevWoIgnition", method == kMethodKickStart
                                      ? "Revolutions with collective ignitions"
                                      : "Revolutions without ignition");
  const bool correction = img.Byte(Adrb::RPM_PULSES) < kPickupCopyFirst;
  c.SetVisible("UpDownRpmKorekce", correction);
  c.SetVisible("LabelRpmKorekce", correction);
  for (const char* name : kBikeHiddenControls) c.SetVisible(name, false);
}

void BikePage::Tick(PageBinder& binder) {
  PageControls& c = binder.Controls();
  // A stored count below -2 shows as "-2" too; nobody typed it.
  if (c.OutOfRange(kPulsesControl)) return;
  const std::string text = c.Text(kPulsesControl);
  struct PickupCopy {
    const char* typed;
    const char* shown;
    int position;
    int stored;
  };
  static constexpr PickupCopy kCopies[] = {{"-1", "pickup 1", -1, kPulsesPickup1},
                                           {"-2", "pickup 2", -2, kPulsesPickup2}};
  for (const PickupCopy& copy : kCopies) {
    if (text != copy.typed) continue;
    {
      PageBinder::Guard guard(binder);
      c.SetText(kPulsesControl, copy.shown);
      c.SetPosition(kPulsesControl, copy.position);
    }
    binder.Params().SetByte(Adrb::RPM_PULSES, static_cast<uint8_t>(copy.stored));
    binder.Commit();
    return;
  }
}

bool BikePage::Change(PageBinder& binder, std::string_view control) {
  if (control != "ComboBoxBike") return false;
  BikeChange(binder);
  return true;
}

void BikePage::BikeChange(PageBinder& binder) {
  PageControls& c = binder.Controls();
  ImageBuffers& buffers = binder.Buffers();
  ParamImage& img = buffers.params;
  const uint8_t oldBike = img.Byte(Adrb::BIKE);
  StoreBinding(Row("ComboBoxBike"), c, img);
  const bool special = img.Byte(Adrb::BIKE) == BIKE_SPECIAL;
  PageAnswer answer = PageAnswer::No;
  if (!special && context_.ask) answer = context_.ask(kBikeQuestion);
  if (answer == PageAnswer::Cancel) {
    img.SetByte(Adrb::BIKE, oldBike);
    PageBinder::Guard guard(binder);
    LoadBinding(Row("ComboBoxBike"), img, c);
    return;
  }
  const uint8_t newBike = img.Byte(Adrb::BIKE);
  // The preset's synchronisation replaces the fields of the method chosen by hand.
  auto applyPreset = [&] {
    img.SetByte(Adrb::BIKE, newBike);
    StoreBinding(Row("ComboBoxSynchro"), c, img);
    buffers.bikeChangedByHand = true;
    buffers.pageGroups.Set(-1);
    ClearSynchronisation(img, buffers.pageGroups);
  };
  if (answer == PageAnswer::Yes && context_.newDefaults) {
    // Every page's defaults: a replacement of the whole set, one undo step, every page and
    // table shown anew. The old preset stays in the image until the defaults go in, so an
    // edit still waiting elsewhere on the page is committed without it.
    img.SetByte(Adrb::BIKE, oldBike);
    binder.Doc().Replace(DocumentChange::Preset, [&](ImageBuffers&) {
      applyPreset();
      context_.newDefaults();
      ApplyEnginePreset(img, buffers.pageGroups);
      NormalizeParams(img);
      return true;
    });
  } else {
    applyPreset();
    ApplyEnginePreset(img, buffers.pageGroups);
    binder.LoadActivePage();
    binder.Commit();
  }
  binder.FocusAfterChange();
}

}  // namespace zeda
