// The captions and item lists of the parameter pages, and the lookup over both tables.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lang/control_texts.h"
#include "lang/lang_string.h"
#include "lang/status_texts.h"

namespace zeda {
namespace {

constexpr TextProperty C = TextProperty::Caption;
constexpr TextProperty I = TextProperty::Items;

// The pickup monitor's colour boxes, all nine with one list: the first item draws in the
// background colour, so what uses it disappears. Short names: the boxes are narrow.
constexpr char kColoursEnglish[] =
    "(invisible)\nMaroon\nGreen\nOlive\nNavy\nPurple\nTeal\nGray\nSilver\nRed\nLime\nYellow\n"
    "Blue\nFuchsia\nAqua\nWhite";
constexpr char kColoursGerman[] =
    "(keine)\nWeinrot\nGrün\nOliv\nMarine\nLila\nPetrol\nGrau\nSilber\nRot\nHellgrün\n"
    "Gelb\nBlau\nMagenta\nCyan\nWeiß";
constexpr char kColoursCzech[] =
    "(žádná)\nVínová\nZelená\nOlivová\nNámořní\nFialová\nPetrolová\nŠedá\nStříbrná\n"
    "Červená\nLimetová\nŽlutá\nModrá\nMagenta\nAzurová\nBílá";

constexpr ControlText kPageTexts[] = {
    // The captions set in this order on every language switch.
    {"CheckBoxProgHned",
     C,
     {"Programming after change", "Programmierung nach Änderung", "Programování po změně"}},
    {"LabelDwellCalibError",
     C,
     {"Stored dwell calibration value out of limits",
      "Anfachung Kalibrierungswert außerhalb der Grenzwerte",
      "Uložená kalibrace buzení je mimo limity"}},
    {"TabSheetRuzne", C, {"Miscellaneous", "Verschiedene", "Různé"}},
    {"LabelLimiter", C, {"Limiter [rpm]", "Begrenzer [rpm]", "Omezovač [rpm]"}},
    {"LabelSoftLimiter",
     C,
     {"Soft limiter [rpm]", "Weicher Begrenzer [rpm]", "Měkký omezovač [rpm]"}},
    {"LabelStartLimiterMin",
     C,
     {"Start soft limiter [rpm]", "Weicher Startbegrenzer [rpm]",
      "Měkký startovací omezovač [rpm]"}},
    {"LabelStartLimiter",
     C,
     {"Start limiter [rpm]", "Startbegrenzer [rpm]", "Startovací omezovač [rpm]"}},
    {"LabelStartLimiterDelay",
     C,
     {"Start limiter delay [ms]", "Verzögerung des Startbegrenzers [ms]",
      "Zpoždění startovacího omezovače [ms]"}},
    {"LabelRetard", C, {"Retard [°]", "Spätzündung [°]", "Snížení předstihu [°]"}},
    {"GroupDwell", C, {"Dwell", "Anfachung", "Buzení"}},
    {"RadioButtonDwellMode0", C, {"Mode 0", "Modus 0", "Režim 0"}},
    {"RadioButtonDwellMode1", C, {"Mode 1", "Modus 1", "Režim 1"}},
    {"RadioButtonDwellMode2", C, {"Mode 2", "Modus 2", "Režim 2"}},
    {"RadioButtonDwellMode3", C, {"Mode 3", "Modus 3", "Režim 3"}},
    {"CheckBoxZakazCteni", C, {"Read-out lock", "Auslesesperre", "Zákaz čtení"}},
    {"CheckBoxInNeutralSs",
     C,
     {"Inputs for neutral switch and sidestand", "Eingänge für Leerlaufschalter und Seitenständer",
      "Vstupy pro spínač neutrálu a boční stojan"}},
    {"RadioGroupTpsIap", C, {"Load sensor", "Lastsensor", "Snímač zatížení"}},
    {"RadioGroupSensorServa", C, {"Servo sensor", "Servosensor", "Snímač serva"}},
    {"LabelKompenz", C, {"Compensation ", "Kompensation ", "Kompenzace "}},
    {"LabelDwellTime", C, {"Dwell time [ms]", "Anfachungszeit [ms]", "Doba buzení [ms]"}},
    {"LabelDwellCor", C, {"Dwell correction [%]", "Anfachungskorrektur [%]", "Korekce buzení [%]"}},
    {"LabelDwellDyn", C, {"Dynamic dwell", "Dynamische Anfachung", "Dynamické buzení"}},
    {"LabelDwellMaxTime",
     C,
     {"Max dwell time [ms]", "Max. Anfachungszeit [ms]", "Max. doba buzení [ms]"}},
    {"LabelDwellMaxRPMLobe",
     C,
     {"Max rpm for dwell by lobe", "Max. Drehzahl für Anfachung nach Nocken",
      "Max. otáčky pro buzení od palce"}},
    {"RadioButtonPoti0", C, {"Off", "Aus", "Vypnuto"}},
    {"RadioButtonPoti1", C, {"Advance", "Vorzündung", "Předstih"}},
    {"RadioButtonPoti2", C, {"Start limiter", "Startbegrenzer", "Startovací omezovač"}},
    {"RadioButtonPoti3", C, {"Pilot light", "Kontrollleuchte", "Kontrolka"}},
    {"RadioButtonPoti4",
     C,
     {"Acceleration switch of advance", "Beschleunigungsumschaltung der Vorzündung",
      "Přepínání předstihu zrychlením"}},
    {"CheckBoxFourStrokeIgn",
     C,
     {"Ignition only during compression stroke (Four stroke mode)",
      "Zündung nur im Verdichtungstakt (Viertaktmodus)",
      "Zapalování jen v kompresním zdvihu (čtyřtaktní režim)"}},
    {"LabelFourStrokeIgn",
     C,
     {"Ignition only during compression stroke (Four stroke mode)",
      "Zündung nur im Verdichtungstakt (Viertaktmodus)",
      "Zapalování jen v kompresním zdvihu (čtyřtaktní režim)"}},
    {"GroupBoxAcc", C, {"Acceleration", "Beschleunigung", "Zrychlení"}},
    {"LabelMap2Akcel",
     C,
     {"Acc. thres. [rpm/s]", "Beschl.-Schwelle [rpm/s]", "Práh zrychlení [rpm/s]"}},
    {"RadioGroupCidloLambdaMode", C, {"Lambda sensor", "Lambdasonde", "Lambda sonda"}},
    {"TabSheetBike", C, {"Bike", "Motorrad", "Motocykl"}},
    {"LabelBike", C, {"Motorbike type", "Motorradtyp", "Typ motocyklu"}},
    {"GroupBoxRpm", C, {"Tachometer output", "Drehzahlmesserausgang", "Výstup otáčkoměru"}},
    {"LabelRpmPulsu", C, {"Pulses per revolution", "Impulse pro Umdrehung", "Pulzů na otáčku"}},
    {"LabelRpmKorekce", C, {"Correction [%]", "Korrektur [%]", "Korekce [%]"}},
    {"RadioGroupPickup1Polarita",
     C,
     {"Polarity of pick-up 1", "Geberpolarität 1", "Polarita snímače 1"}},
    {"RadioGroupPickup2Polarita",
     C,
     {"Polarity of pick-up 2", "Geberpolarität 2", "Polarita snímače 2"}},
    {"CheckBoxZamenaPickup",
     C,
     {"Pickups interchange (pin 13 and 26)", "Geber vertauscht (Pin 13 und 26)",
      "Záměna snímačů (pin 13 a 26)"}},
    {"CheckBoxNehlidaPalec",
     C,
     {"No polarity check", "Keine Polaritätsprüfung", "Bez kontroly polarity"}},
    {"CheckBoxCrossBlock", C, {"Interlock input", "Verriegelungseingang", "Blokovací vstup"}},
    {"CheckBoxPredPalec",
     C,
     {"Spark possible before virtual lobe", "Zündfunke vor virtuellem Nocken möglich",
      "Jiskra možná před virtuálním palcem"}},
    {"CheckBoxSpecStart",
     C,
     {"Lower advance by start (next edge)", "Kleinere Vorzündung beim Start (nächste Flanke)",
      "Nižší předstih při startu (další hrana)"}},
    {"CheckBoxFlyWheelOperation",
     C,
     {"Flywheel operation", "Schwungradbetrieb", "Provoz se setrvačníkem"}},
    {"LabelSpecStartPerc",
     C,
     {"Lower advance by start [%]", "Kleinere Vorzündung beim Start [%]",
      "Nižší předstih při startu [%]"}},
    {"CheckBoxSpecDwellByStart",
     C,
     {"Special dwell by start", "Besondere Anfachung beim Start", "Zvláštní buzení při startu"}},
    {"LabelMaxLenLobe",
     C,
     {"Max length of virtual lobe [ms]", "Max. Länge des virtuellen Nockens [ms]",
      "Max. délka virtuálního palce [ms]"}},
    {"GroupBoxSpecial",
     C,
     {"Specification of synchronization - Caution - For experienced user only!",
      "Festlegung der Synchronisation - Vorsicht - Nur für erfahrene Benutzer!",
      "Nastavení synchronizace - Pozor - Jen pro zkušené uživatele!"}},
    {"LabelSynchro",
     C,
     {"Synchronization method", "Synchronisationsverfahren", "Způsob synchronizace"}},
    {"LabelPocPalcu",
     C,
     {"Number of lobe at rotor", "Anzahl der Nocken am Rotor", "Počet palců na rotoru"}},
    {"LabelPocKanalu",
     C,
     {"Number of outputs (coils)", "Anzahl der Ausgänge (Spulen)", "Počet výstupů (cívek)"}},
    {"GroupBoxPalec1", C, {"Output 1", "Ausgang 1", "Výstup 1"}},
    {"GroupBoxPalec2", C, {"Output 2", "Ausgang 2", "Výstup 2"}},
    {"GroupBoxPalec3", C, {"Output 3", "Ausgang 3", "Výstup 3"}},
    {"GroupBoxPalec4", C, {"Output 4", "Ausgang 4", "Výstup 4"}},
    {"LabelPalec1Zac", C, {"Maximum advance", "Maximale Vorzündung", "Maximální předstih"}},
    {"LabelPalec2Zac", C, {"Maximum advance", "Maximale Vorzündung", "Maximální předstih"}},
    {"LabelPalec3Zac", C, {"Maximum advance", "Maximale Vorzündung", "Maximální předstih"}},
    {"LabelPalec4Zac", C, {"Maximum advance", "Maximale Vorzündung", "Maximální předstih"}},
    {"LabelPalec1End", C, {"Start advance", "Startvorzündung", "Startovací předstih"}},
    {"LabelPalec2End", C, {"Start advance", "Startvorzündung", "Startovací předstih"}},
    {"LabelPalec3End", C, {"Start advance", "Startvorzündung", "Startovací předstih"}},
    {"LabelPalec4End", C, {"Start advance", "Startvorzündung", "Startovací předstih"}},
    {"LabelLobe", C, {"Lobe", "Nocken", "Palec"}},
    {"LabelHrana2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"LabelSnimac2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"LabelSnimac3", C, {"Full Sync.", "Volle Synchr.", "Plná synchr."}},
    {"LabelSnimac4", C, {"2nd turn", "2. Umdrehung", "2. otáčka"}},
    {"TabSheetAdvance", C, {"Advance Map", "Vorzündungskennfeld", "Mapa předstihu"}},
    {"LabelBaseAdv", C, {"Base advance [°]", "Grundvorzündung [°]", "Základní předstih [°]"}},
    {"CheckBoxAdv2ToOut2",
     C,
     {"Use Advance 2 for ignition output 2", "Vorzündung 2 für Zündausgang 2 verwenden",
      "Použít předstih 2 pro výstup zapalování 2"}},
    {"CheckBoxServoEnable", C, {"Servo enable", "Servo aktiv", "Servo zapnuto"}},
    {"CheckBoxServoProcenta", C, {"Percent", "Prozent", "Procenta"}},
    {"LabelServoHyster", C, {"1/P [mV]", "1/P [mV]", "1/P [mV]"}},
    {"LabelServoNo", C, {"Off [mV]", "Aus [mV]", "Vyp. [mV]"}},
    {"TabSheet_Gear", C, {"Gear", "Gang", "Převody"}},
    {"RadioGroupGearSystem",
     C,
     {"Determining of gear", "Gangerkennung", "Určení převodového stupně"}},
    {"LabelPocetGear", C, {"Number of gears", "Anzahl der Gänge", "Počet převodových stupňů"}},
    {"GroupBoxNapetiProGear",
     C,
     {"Voltage of gears", "Spannung der Gänge", "Napětí převodových stupňů"}},
    {"GroupBoxRpmSpeedProGear",
     C,
     {"Ratio Rpm/Speed", "Verhältnis Drehzahl/Geschwindigkeit", "Poměr otáčky/rychlost"}},
    {"GroupBoxMonAutoGear",
     C,
     {"Automatic ratio Rpm/Speed", "Automatisches Verhältnis Drehzahl/Geschwindigkeit",
      "Automatický poměr otáčky/rychlost"}},
    {"LabelGearAutoTime", C, {"Min Time [s]", "Min. Zeit [s]", "Min. čas [s]"}},
    {"LabelGearAutoBand", C, {"Band [0.1%]", "Band [0,1%]", "Pásmo [0,1%]"}},
    {"LabelRpmSpeed", C, {"Rpm/Speed", "Drehzahl/Geschw.", "Otáčky/rychlost"}},
    {"GroupBoxPulsuProSpeed",
     C,
     {"Setting of speedometer", "Einstellung des Tachometers", "Nastavení rychloměru"}},
    {"RadioGroupClutchMode", C, {"Quickshift mode", "Schaltautomat-Modus", "Režim quickshiftu"}},
    {"GroupBoxClutch", C, {"Quickshift", "Schaltautomat", "Quickshift"}},
    {"LabelClutchPause1",
     C,
     {"Quickshift pause #1 [ms]", "Schaltautomat Pause Nr. 1 [ms]", "Pauza quickshiftu č. 1 [ms]"}},
    {"LabelClutchPause2",
     C,
     {"Quickshift pause #2 [ms]", "Schaltautomat Pause Nr. 2 [ms]", "Pauza quickshiftu č. 2 [ms]"}},
    {"LabelClutchMinRpm",
     C,
     {"Min Rpm for quickshift", "Min. Drehzahl für Schaltautomat", "Min. otáčky pro quickshift"}},
    {"LabelClutchAdv",
     C,
     {"Quickshift advance [°]", "Vorzündung beim Schaltautomat [°]", "Předstih quickshiftu [°]"}},
    {"GroupBoxClutchTime",
     C,
     {"Setting according gear", "Einstellung je Gang", "Nastavení podle převodového stupně"}},
    {"LabelClutchTime",
     C,
     {"Quickshift time [ms]", "Schaltautomat Zeit [ms]", "Doba quickshiftu [ms]"}},
    {"LabelQuickshiftTime",
     C,
     {"Quickshift time [ms]", "Schaltautomat Zeit [ms]", "Doba quickshiftu [ms]"}},
    {"LabelClutchPause",
     C,
     {"Quickshift pause [ms]", "Schaltautomat Pause [ms]", "Pauza quickshiftu [ms]"}},
    {"GroupBoxGearKor",
     C,
     {"Correction according gear", "Korrektur je Gang", "Korekce podle převodového stupně"}},
    {"LabelGearKorAdv", C, {"Advance [°]", "Vorzündung [°]", "Předstih [°]"}},
    {"LabelGearKorLimiter", C, {"Limiter [rpm]", "Begrenzer [rpm]", "Omezovač [rpm]"}},
    {"CheckBoxGas", C, {"N2O enable", "N2O aktiv", "N2O zapnuto"}},
    {"GroupBoxGas", C, {"N2O", "N2O", "N2O"}},
    {"LabelGas1", C, {"N2O from [rpm]", "N2O ab [rpm]", "N2O od [rpm]"}},
    {"LabelGas2", C, {"N2O to [rpm]", "N2O bis [rpm]", "N2O do [rpm]"}},
    {"LabelGasD", C, {"N2O delay [ms]", "N2O Verzögerung [ms]", "Zpoždění N2O [ms]"}},
    {"LabelRetardD",
     C,
     {"Retard delay [ms]", "Spätzündung Verzögerung [ms]", "Zpoždění snížení předstihu [ms]"}},
    {"LabelGasT", C, {"N2O time [ms]", "N2O Zeit [ms]", "Doba N2O [ms]"}},
    {"LabelRetardT",
     C,
     {"Retard time [ms]", "Spätzündung Zeit [ms]", "Doba snížení předstihu [ms]"}},
    {"GroupBoxRetard", C, {"N2O Retard", "N2O Spätzündung", "Snížení předstihu N2O"}},
    {"LabelRetard1", C, {"Retard 1 [°]", "Spätzündung 1 [°]", "Snížení předstihu 1 [°]"}},
    {"LabelRetard2", C, {"Retard 2 [°]", "Spätzündung 2 [°]", "Snížení předstihu 2 [°]"}},
    {"LabelN2O_TPSmin", C, {"Min TPS [%]", "Min. TPS [%]", "Min. TPS [%]"}},
    {"LabelN2O_Repeat", C, {"Repeat", "Wiederholung", "Opakování"}},
    {"TabSheet_Ladeni", C, {"Test", "Test", "Test"}},
    {"ButtonTestIgn1", C, {"Ignition 1", "Zündung 1", "Zapalování 1"}},
    {"ButtonTestIgn2", C, {"Ignition 2", "Zündung 2", "Zapalování 2"}},
    {"ButtonTestIgn3", C, {"Ignition 3", "Zündung 3", "Zapalování 3"}},
    {"ButtonTestIgn4", C, {"Ignition 4", "Zündung 4", "Zapalování 4"}},
    {"GroupBoxTestIgn", C, {"Ignition test", "Zündungstest", "Test zapalování"}},
    {"LabelTestServo", C, {"Time [ms]", "Zeit [ms]", "Čas [ms]"}},
    {"ButtonTestRpm", C, {"Rpm", "Drehzahl", "Otáčky"}},
    {"LabelHourMeter", C, {"Hour meter", "Betriebsstundenzähler", "Počítadlo provozních hodin"}},

    // The pages' other captions. A page caption or item without a row of its own name
    // (a label without a name, a run-time caption, an item list) finds its row here by its
    // English text, so a row may also stand for a text several controls share
    // (LabelPOutHyster for every power out, LabelRevWoIgnitionCollective for a run-time
    // caption).
    {"TabSheetSensors", C, {"Sensors", "Sensoren", "Snímače"}},
    {"TabSheetPOut", C, {"Power out", "Leistungsausgänge", "Výkonové výstupy"}},
    {"TabSheetServo", C, {"Servo", "Servo", "Servo"}},
    {"TabSheet_Race", C, {"Race", "Rennen", "Závod"}},
    {"TabSheet_N2O", C, {"N2O", "N2O", "N2O"}},
    {"RadioGroupInput1", C, {"Input 1", "Eingang 1", "Vstup 1"}},
    {"RadioGroupInput2", C, {"Input 2", "Eingang 2", "Vstup 2"}},
    {"RadioGroupInput3", C, {"Input 3", "Eingang 3", "Vstup 3"}},
    {"RadioGroupInput4", C, {"Input 4", "Eingang 4", "Vstup 4"}},
    {"RadioGroupInput5", C, {"Input 5", "Eingang 5", "Vstup 5"}},
    {"RadioGroupInput6", C, {"Input 6", "Eingang 6", "Vstup 6"}},
    {"CheckBoxInverseInput1", C, {"Inverse polarity", "Umgekehrte Polarität", "Obrácená polarita"}},
    {"CheckBoxInverseInput2", C, {"Inverse polarity", "Umgekehrte Polarität", "Obrácená polarita"}},
    {"CheckBoxInverseInput3", C, {"Inverse polarity", "Umgekehrte Polarität", "Obrácená polarita"}},
    {"CheckBoxInverseInput4", C, {"Inverse polarity", "Umgekehrte Polarität", "Obrácená polarita"}},
    {"CheckBoxInverseInput5", C, {"Inverse polarity", "Umgekehrte Polarität", "Obrácená polarita"}},
    {"CheckBoxInverseInput6", C, {"Inverse polarity", "Umgekehrte Polarität", "Obrácená polarita"}},
    {"LabelPotencRozsah", C, {"Range -/+", "Bereich -/+", "Rozsah -/+"}},
    {"LabelSynchPos",
     C,
     {"Synchronisation polarity", "Synchronisationspolarität", "Polarita synchronizace"}},
    {"LabelNasobekPalcu",
     C,
     {"Ignitions per revolution", "Zündungen pro Umdrehung", "Zapalování na otáčku"}},
    {"LabelRevWoIgnition",
     C,
     {"Revolutions without ignition", "Umdrehungen ohne Zündung", "Otáčky bez zapalování"}},
    // LabelRevWoIgnition's caption for method 10 (inserted lobe, kick start).
    {"LabelRevWoIgnitionCollective",
     C,
     {"Revolutions with collective ignitions", "Umdrehungen mit Sammelzündung",
      "Otáčky se společným zapalováním"}},
    {"LabelFullSync", C, {"FullSync", "Volle Synchronisation", "Plná synchronizace"}},
    {"LabelFullSynchro1", C, {"Full Sync.", "Volle Synchr.", "Plná synchr."}},
    {"LabelFullSynchro2", C, {"Full Sync.", "Volle Synchr.", "Plná synchr."}},
    {"LabelFullSynchro3", C, {"Full Sync.", "Volle Synchr.", "Plná synchr."}},
    {"LabelFullSynchro4", C, {"Full Sync.", "Volle Synchr.", "Plná synchr."}},
    {"CheckBoxPalec1ZacH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec2ZacH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec3ZacH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec4ZacH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec1EndH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec2EndH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec3EndH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec4EndH2", C, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {"CheckBoxPalec1ZacP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec2ZacP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec3ZacP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec4ZacP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec1EndP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec2EndP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec3EndP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec4EndP2", C, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {"CheckBoxPalec1T2", C, {"2nd turn", "2. Umdrehung", "2. otáčka"}},
    {"CheckBoxPalec2T2", C, {"2nd turn", "2. Umdrehung", "2. otáčka"}},
    {"CheckBoxPalec3T2", C, {"2nd turn", "2. Umdrehung", "2. otáčka"}},
    {"CheckBoxPalec4T2", C, {"2nd turn", "2. Umdrehung", "2. otáčka"}},
    {"LabelCorections",
     C,
     {"Correction for cylinder:", "Korrektur für Zylinder:", "Korekce pro válec:"}},
    {"BitBtnTps0", C, {" TP 0 %    ", " TP 0 %    ", " TP 0 %    "}},
    {"BitBtnTps100", C, {"TP 100 %", "TP 100 %", "TP 100 %"}},
    {"LabelPocetGearAuto", C, {"Number of gears", "Anzahl der Gänge", "Počet převodových stupňů"}},
    {"LabelGearAutoRpm", C, {"Min RPM", "Min. Drehzahl", "Min. otáčky"}},
    {"LabelGearAutoTps", C, {"Min TPS [%]", "Min. TPS [%]", "Min. TPS [%]"}},
    {"RadioGroupSpeedMode", C, {"Speed sensor", "Geschwindigkeitsgeber", "Snímač rychlosti"}},
    {"ButtonGear0", C, {"<- Gear 0", "<- Gang 0", "<- Stupeň 0"}},
    {"ButtonGear1", C, {"<- Gear 1", "<- Gang 1", "<- Stupeň 1"}},
    {"ButtonGear2", C, {"<- Gear 2", "<- Gang 2", "<- Stupeň 2"}},
    {"ButtonGear3", C, {"<- Gear 3", "<- Gang 3", "<- Stupeň 3"}},
    {"ButtonGear4", C, {"<- Gear 4", "<- Gang 4", "<- Stupeň 4"}},
    {"ButtonGear5", C, {"<- Gear 5", "<- Gang 5", "<- Stupeň 5"}},
    {"ButtonGear6", C, {"<- Gear 6", "<- Gang 6", "<- Stupeň 6"}},
    {"GroupBoxTestRpm", C, {"Rpm", "Drehzahl", "Otáčky"}},
    {"GroupBoxProp", C, {"Proprietary settimgs", "Herstellereinstellungen", "Výrobní nastavení"}},
    {"ButtonLoadBin", C, {"LOAD BIN RS", "LOAD BIN RS", "LOAD BIN RS"}},
    // The window's tool bar buttons (icons; the text is what a screen reader says).
    {"SpeedButtonNew", C, {"New", "Neu", "Nový"}},
    {"SpeedButtonOpen", C, {"Open", "Öffnen", "Otevřít"}},
    {"SpeedButtonSave", C, {"Save", "Speichern", "Uložit"}},
    {"SpeedButtonPrint", C, {"Print", "Drucken", "Tisk"}},
    {"SpeedButtonZpet", C, {"Undo", "Zurück", "Zpět"}},
    {"SpeedButtonZnovu", C, {"Redo", "Wieder", "Znovu"}},
    // The window's monitor player.
    {"GroupBoxPlayer", C, {"Monitor player", "Monitor-Player", "Přehrávač monitoru"}},
    {"SpeedButtonPlay1", C, {"Record", "Aufnehmen", "Nahrávat"}},
    {"SpeedButtonPlay2", C, {"Play", "Abspielen", "Přehrát"}},
    {"SpeedButtonPlay3", C, {"Pause", "Pause", "Pozastavit"}},
    {"SpeedButtonPlay4", C, {"Stop", "Stopp", "Zastavit"}},
    {"ButtonExportRecordingCsv",
     C,
     {"Export recording as CSV", "Aufnahme als CSV exportieren", "Exportovat záznam do CSV"}},
    // The Test page's warning and buttons.
    {"LabelTestWarning",
     C,
     {"These buttons act on the engine: an ignition test fires the ignition.",
      "Diese Tasten wirken auf den Motor: ein Zündungstest löst die Zündung aus.",
      "Tato tlačítka působí na motor: test zapalování spouští zapalování."}},
    {"ButtonCalibDwell", C, {"Calibration dwell", "Anfachung kalibrieren", "Kalibrace buzení"}},
    {"ButtonCalibSPA", C, {"Calibration SPA", "SPA kalibrieren", "Kalibrace SPA"}},
    {"GroupBoxTestServo", C, {"Servo", "Servo", "Servo"}},
    // The boxes of the live monitor's readings on the pages.
    {"GroupBoxMonInputs", C, {"Live state", "Aktueller Zustand", "Aktuální stav"}},
    {"GroupBoxMonPoti",
     C,
     {"Potentiometer and acceleration", "Potentiometer und Beschleunigung",
      "Potenciometr a akcelerace"}},
    {"GroupBoxMonGear", C, {"Gear and speed", "Gang und Geschwindigkeit", "Převod a rychlost"}},
    {"GroupBoxPropMon", C, {"Proprietary monitor", "Proprietärer Monitor", "Proprietární monitor"}},
    {"GroupBoxMonTest", C, {"Test values", "Testwerte", "Testovací hodnoty"}},
    {"CheckBoxPropMon1", C, {"Signed", "Mit Vorzeichen", "Se znaménkem"}},
    {"CheckBoxPropMon2", C, {"Signed", "Mit Vorzeichen", "Se znaménkem"}},
    {"CheckBoxPropMon3", C, {"Signed", "Mit Vorzeichen", "Se znaménkem"}},
    {"CheckBoxPropMon4", C, {"Signed", "Mit Vorzeichen", "Se znaménkem"}},
    {"CheckBoxPropMon5", C, {"Signed", "Mit Vorzeichen", "Se znaménkem"}},
    {"GroupBoxTestPout",
     C,
     {"Power out test", "Test der Leistungsausgänge", "Test výkonových výstupů"}},
    {"ButtonTest01", C, {"Pout 1", "Ausgang 1", "Výstup 1"}},
    {"ButtonTest02", C, {"Pout 2", "Ausgang 2", "Výstup 2"}},
    {"ButtonTest03", C, {"Pout 3", "Ausgang 3", "Výstup 3"}},
    {"ButtonTest04", C, {"Pout 4", "Ausgang 4", "Výstup 4"}},
    {"ButtonTestServoPlus", C, {"Servo +", "Servo +", "Servo +"}},
    {"ButtonTestServoMinus", C, {"Servo -", "Servo -", "Servo -"}},
    // The unit self test (shown in the service test mode only).
    {"GroupBoxSelftest", C, {"Selftest", "Selbsttest", "Autotest"}},
    {"ButtonSelftest", C, {"Selftest", "Selbsttest", "Autotest"}},
    // The Gear page's rows (the other gear rows share these captions) and the speedometer.
    {"LabelGearVoltage0", C, {"Gear 0", "Gang 0", "Stupeň 0"}},
    {"LabelGearVoltage1", C, {"Gear 1", "Gang 1", "Stupeň 1"}},
    {"LabelGearVoltage2", C, {"Gear 2", "Gang 2", "Stupeň 2"}},
    {"LabelGearVoltage3", C, {"Gear 3", "Gang 3", "Stupeň 3"}},
    {"LabelGearVoltage4", C, {"Gear 4", "Gang 4", "Stupeň 4"}},
    {"LabelGearVoltage5", C, {"Gear 5", "Gang 5", "Stupeň 5"}},
    {"LabelGearVoltage6", C, {"Gear 6", "Gang 6", "Stupeň 6"}},
    {"LabelPulsuProSpeed", C, {"Pulses", "Impulse", "Pulzy"}},
    // The Race page's column heads of the power-out corrections.
    {"LabelGearKorPout1", C, {"Pout1", "Ausg.1", "Výst.1"}},
    {"LabelGearKorPout2", C, {"Pout2", "Ausg.2", "Výst.2"}},
    {"LabelGearKorPout3", C, {"Pout3", "Ausg.3", "Výst.3"}},
    {"LabelGearKorPout4", C, {"Pout4", "Ausg.4", "Výst.4"}},

    {"ButtonMonPu", C, {"monitor PickUps", "Gebermonitor", "Monitor snímačů"}},
    // The Power out page's run-time controls: the mode groups and the labels of their
    // up-downs (the pages name them so).
    {"RadioGroupPOut1",
     C,
     {"Power out 1 (pin 2)", "Leistungsausgang 1 (Pin 2)", "Výkonový výstup 1 (pin 2)"}},
    {"RadioGroupPOut2",
     C,
     {"Power out 2 (pin 3)", "Leistungsausgang 2 (Pin 3)", "Výkonový výstup 2 (pin 3)"}},
    {"RadioGroupPOut3",
     C,
     {"Power out 3 (pin 5)", "Leistungsausgang 3 (Pin 5)", "Výkonový výstup 3 (pin 5)"}},
    {"RadioGroupPOut4",
     C,
     {"Power out 4 (pin 11)", "Leistungsausgang 4 (Pin 11)", "Výkonový výstup 4 (pin 11)"}},
    {"LabelPOutHyster", C, {"*Hysterese", "*Hysterese", "*Hystereze"}},
    {"LabelPOutPwm", C, {"PWM [%]", "PWM [%]", "PWM [%]"}},
    {"LabelPOutPwmDuty", C, {"(PWM duty)", "(PWM-Tastgrad)", "(střída PWM)"}},
    {"LabelPOutPeriod", C, {"(Period)", "(Periode)", "(Perioda)"}},
    {"LabelPOutFreq", C, {"*Frequency [Hz]", "*Frequenz [Hz]", "*Frekvence [Hz]"}},
    {"LabelPOutPulse", C, {"*Pulse [ms]", "*Impuls [ms]", "*Pulz [ms]"}},

    // Item lists, one item per line, in the order the controls show them.
    {"RadioGroupTpsIap",
     I,
     {"No\nTP\nIAP+Synchro IAP", "keinen\nTP\nIAP+Synchro IAP", "Žádný\nTP\nIAP+Synchro IAP"}},
    {"RadioGroupSensorServa",
     I,
     {"Servo\nSynchro IAP", "Servo\nSynchro IAP", "Servo\nSynchro IAP"}},
    {"RadioGroupPickup1Polarita",
     I,
     {"Plus\nMinus\nAuto", "Plus\nMinus\nAuto", "Plus\nMínus\nAuto"}},
    {"RadioGroupPickup2Polarita",
     I,
     {"Plus\nMinus\nAuto", "Plus\nMinus\nAuto", "Plus\nMínus\nAuto"}},
    {"RadioGroupGearSystem",
     I,
     {"No\nVoltage\nRatio Rpm Speed\nAutomat (Ratio Rpm Speed)",
      "Keine\nSpannung\nVerhältnis Drehzahl Geschwindigkeit\nAutomatik (Verhältnis Drehzahl "
      "Geschwindigkeit)",
      "Žádné\nNapětí\nPoměr otáčky rychlost\nAutomat (poměr otáčky rychlost)"}},
    {"RadioGroupSpeedMode",
     I,
     {"Pulse over 1s for 100 km/hod\nDistance for pulse [mm]",
      "Impulse in 1 s bei 100 km/h\nWeg pro Impuls [mm]",
      "Pulzů za 1 s při 100 km/hod\nVzdálenost na pulz [mm]"}},
    {"RadioGroupClutchMode",
     I,
     {"No ignition\nRetard", "Keine Zündung\nSpätzündung", "Bez zapalování\nSnížení předstihu"}},
    {"ComboBoxCh1", I, {"Channel 1\nChannel 2", "Kanal 1\nKanal 2", "Kanál 1\nKanál 2"}},
    {"ComboBoxCh2", I, {"Channel 1\nChannel 2", "Kanal 1\nKanal 2", "Kanál 1\nKanál 2"}},
    {"ComboBoxCh3", I, {"Channel 1\nChannel 2", "Kanal 1\nKanal 2", "Kanál 1\nKanál 2"}},
    {"ComboBoxCh4", I, {"Channel 1\nChannel 2", "Kanal 1\nKanal 2", "Kanál 1\nKanál 2"}},
    {"ComboBoxColorA1", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorA2", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorA3", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorB1", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorB2", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorB3", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorC1", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorC2", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    {"ComboBoxColorC3", I, {kColoursEnglish, kColoursGerman, kColoursCzech}},
    // In code order 7, 28, 29, 30, 41, 42, 255.
    {"ComboBoxBike",
     I,
     {"Classic (1 lobe per revolution, 1-2 pick-ups)\n"
      "Classic (2 lobe per revolution, 1-2 pick-ups)\n"
      "Classic (3 lobe per revolution, 1 pick-up)\n"
      "Classic (1 lobe per 2 revolutions (CMPS), 1-2 pick-ups)\n"
      "Honda NSR 250 MC18 -\nHonda CRM 250\nSpecial setting",
      "Klassisch (1 Nocken pro Umdrehung, 1-2 Geber)\n"
      "Klassisch (2 Nocken pro Umdrehung, 1-2 Geber)\n"
      "Klassisch (3 Nocken pro Umdrehung, 1 Geber)\n"
      "Klassisch (1 Nocken pro 2 Umdrehungen (CMPS), 1-2 Geber)\n"
      "Honda NSR 250 MC18 -\nHonda CRM 250\nSondereinstellung",
      "Klasický (1 palec na otáčku, 1-2 snímače)\n"
      "Klasický (2 palce na otáčku, 1-2 snímače)\n"
      "Klasický (3 palce na otáčku, 1 snímač)\n"
      "Klasický (1 palec na 2 otáčky (CMPS), 1-2 snímače)\n"
      "Honda NSR 250 MC18 -\nHonda CRM 250\nZvláštní nastavení"}},
    // Codes 0-20 in order.
    {"ComboBoxSynchro",
     I,
     {"1 lobe, 1 or 2 pick-up\nShort gap between lobes (inserted lobe)\nWide lobe\n"
      "Long gap between lobes (missing lobe)\n2 pick-ups, missing lobe\n"
      "2 Short gaps between lobes (inserted lobe)\nCam (CMPS)\nHarley\n"
      "Long gap between lobes - more lobes (48-2)\nSpecial for more pickups\n"
      "Inserted lobe - kick start\nHonda Cam (CMPS)\nLong gap between lobes + Cam (CMPS)\n"
      "Keihin 18 lobes\nLong gap between lobes - more lobes (60-2) + Cam\nNarrow lobe\n"
      "Distributor\nHonda NSR 250 MC18 -\nHonda CRM 250\nStart of lobe\nMazda RX7",
      "1 Nocken, 1 oder 2 Geber\nKurze Lücke zwischen Nocken (Zusatznocken)\nBreiter Nocken\n"
      "Lange Lücke zwischen Nocken (fehlender Nocken)\n2 Geber, fehlender Nocken\n"
      "2 kurze Lücken zwischen Nocken (Zusatznocken)\nNockenwelle (CMPS)\nHarley\n"
      "Lange Lücke - mehr Nocken (48-2)\nSonder für mehrere Geber\n"
      "Zusatznocken - Kickstarter\nHonda Nockenwelle (CMPS)\n"
      "Lange Lücke zwischen Nocken + Nockenwelle (CMPS)\nKeihin 18 Nocken\n"
      "Lange Lücke - mehr Nocken (60-2) + Nockenwelle\nSchmaler Nocken\nVerteiler\n"
      "Honda NSR 250 MC18 -\nHonda CRM 250\nNockenanfang\nMazda RX7",
      "1 palec, 1 nebo 2 snímače\nKrátká mezera mezi palci (vložený palec)\nŠiroký palec\n"
      "Dlouhá mezera mezi palci (chybějící palec)\n2 snímače, chybějící palec\n"
      "2 krátké mezery mezi palci (vložený palec)\nVačka (CMPS)\nHarley\n"
      "Dlouhá mezera - více palců (48-2)\nZvláštní pro více snímačů\n"
      "Vložený palec - nožní startér\nHonda vačka (CMPS)\n"
      "Dlouhá mezera mezi palci + vačka (CMPS)\nKeihin 18 palců\n"
      "Dlouhá mezera - více palců (60-2) + vačka\nÚzký palec\nRozdělovač\n"
      "Honda NSR 250 MC18 -\nHonda CRM 250\nZačátek palce\nMazda RX7"}},
    // In code order 1, 2, 3, 4, 0.
    {"ComboBoxNasobekPalcu",
     I,
     {"1 ignition per revolution\n2 ignitions per revolution\n3 ignitions per revolution\n"
      "4 ignitions per revolution\n1 ignition per 2 revolutions (camshaft)",
      "1 Zündung pro Umdrehung\n2 Zündungen pro Umdrehung\n3 Zündungen pro Umdrehung\n"
      "4 Zündungen pro Umdrehung\n1 Zündung pro 2 Umdrehungen (Nockenwelle)",
      "1 zapálení na otáčku\n2 zapálení na otáčku\n3 zapálení na otáčku\n"
      "4 zapálení na otáčku\n1 zapálení na 2 otáčky (vačková hřídel)"}},
    {"ComboBoxFourStrokeIgn",
     I,
     {"No\ncompression deceleration\nIAP", "Nein\nVerdichtungsverzögerung\nIAP",
      "Ne\nzpomalení při kompresi\nIAP"}},
    {"ComboBoxSynchPos",
     I,
     {"use: both polarity\nuse: + positive only\nuse: - negative only",
      "verwenden: beide Polaritäten\nverwenden: nur + positiv\nverwenden: nur - negativ",
      "použít: obě polarity\npoužít: jen + kladnou\npoužít: jen - zápornou"}},
    // The input functions in their order of presentation: Off, Kill switch, Blocking,
    // Tacho/Lambda, Quickshift, Quickshift inv., Retard, Start limiter, 2nd advance chart,
    // N2O, Gear, Speed. The input groups take the ones each input allows.
    {"InputFunctions",
     I,
     {"Off\nKill switch\nBlocking\nTacho/Lambda\nQuickshift\nQuickshift inv.\nRetard\n"
      "Start limiter\n2nd advance chart\nN2O\nGear\nSpeed",
      "Aus\nNot Aus\nBlockierung\nTacho/Lambda\nSchaltautomat\nSchaltautomat inv.\n"
      "Spätzündung\nStartbegrenzer\n2. Vorzündungskennfeld\nN2O\nGang\nGeschwindigkeit",
      "Vypnuto\nKill switch\nBlokování\nTacho/Lambda\nQuickshift\nQuickshift inv.\n"
      "Snížení předstihu\nStartovací omezovač\n2. mapa předstihu\nN2O\nPřevodový stupeň\n"
      "Rychlost"}},
    // The power-out modes in code order 0, 1, 2, 3, 255, 254, 253.
    {"POutModes",
     I,
     {"Off\nFuel pump\nGear shift light\nPower jet Honda\nSpecial\nSpecial PWM\nSpecial Pulse",
      "Aus\nKraftstoffpumpe\nSchaltblitz\nPower jet Honda\nSonder\nSonder PWM\nSonder Impuls",
      "Vypnuto\nPalivová pumpa\nKontrolka řazení\nPower jet Honda\nZvláštní\nZvláštní PWM\n"
      "Zvláštní pulz"}},
    {"ComboBoxLoadBin",
     I,
     {"1.kopie\n2.kopie\n3.kopie\n4.kopie", "1.kopie\n2.kopie\n3.kopie\n4.kopie",
      "1.kopie\n2.kopie\n3.kopie\n4.kopie"}},
};

// Name and property -> row, built once; a menu-table row wins over a page-table row.
using TextIndex = std::unordered_map<std::string_view, std::array<const ControlText*, 3>>;

const TextIndex& Index() {
  static const TextIndex kIndex = [] {
    TextIndex built;
    for (auto table : {MenuTextTable(), std::span<const ControlText>(kPageTexts)}) {
      for (const ControlText& row : table) {
        const ControlText*& slot = built[row.name][static_cast<std::size_t>(row.property)];
        if (!slot) slot = &row;
      }
    }
    return built;
  }();
  return kIndex;
}

// Item `index` of a list (one item per line); empty past the end.
std::string_view Line(std::string_view list, std::size_t index) {
  for (std::size_t i = 0; i < index; ++i) {
    const std::size_t end = list.find('\n');
    if (end == std::string_view::npos) return {};
    list.remove_prefix(end + 1);
  }
  return list.substr(0, list.find('\n'));
}

// The variants of the line of `row` whose English is `english`.
std::optional<TextVariants> LineOf(const ControlText& row, std::string_view english) {
  std::string_view rest = row.text[kEnglish];
  for (std::size_t i = 0;; ++i) {
    const std::size_t end = rest.find('\n');
    if (rest.substr(0, end) == english) {
      TextVariants v;
      for (int lang = 0; lang < kLanguageCount; ++lang) {
        v[static_cast<std::size_t>(lang)] = Line(row.text[lang], i);
        // A list shorter in one language than in English reads English there.
        if (v[static_cast<std::size_t>(lang)].empty()) v[static_cast<std::size_t>(lang)] = english;
      }
      return v;
    }
    if (end == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(end + 1);
  }
}

// English caption or item -> its variants, the first row in table order winning.
const std::unordered_map<std::string_view, TextVariants>& EnglishIndex() {
  static const auto kIndex = [] {
    std::unordered_map<std::string_view, TextVariants> built;
    for (const ControlText& row : kPageTexts) {
      std::string_view rest = row.text[kEnglish];
      for (std::size_t i = 0;; ++i) {
        const std::size_t end = rest.find('\n');
        const std::string_view english = rest.substr(0, end);
        if (auto v = LineOf(row, english)) built.emplace(english, *v);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
      }
    }
    for (const StatusTextRow& row : StatusTextTable()) {
      if (*row.text[kEnglish] == '\0') continue;
      built.emplace(row.text[kEnglish], TextVariants{row.text[0], row.text[1], row.text[2]});
    }
    return built;
  }();
  return kIndex;
}

}  // namespace

std::span<const ControlText> PageTextTable() { return kPageTexts; }

std::optional<TextVariants> FindEnglishText(std::string_view name, std::string_view english) {
  if (english.empty()) return std::nullopt;
  for (TextProperty p : {TextProperty::Caption, TextProperty::Items}) {
    if (const ControlText* row = FindControlText(name, p)) {
      if (auto v = LineOf(*row, english)) return v;
    }
  }
  const auto& index = EnglishIndex();
  const auto it = index.find(english);
  if (it == index.end()) return std::nullopt;
  return it->second;
}

std::string TranslateText(std::string_view name, std::string_view text, int language) {
  if (language < 0) language = CurrentLanguage();
  if (language >= kLanguageCount) language = kEnglish;
  // Page captions are literals, so LangText's per-text cache stays small.
  if (!text.empty() && text.front() == '#') return LangText(std::string(text).c_str(), language);
  if (auto v = FindEnglishText(name, text))
    return std::string(v->at(static_cast<std::size_t>(language)));
  return std::string(text);
}

const ControlText* FindControlText(std::string_view name, TextProperty property) {
  const TextIndex& index = Index();
  const auto it = index.find(name);
  return it == index.end() ? nullptr : it->second[static_cast<std::size_t>(property)];
}

const char* ControlTextFor(std::string_view name, TextProperty property, int language) {
  const ControlText* row = FindControlText(name, property);
  if (!row) return nullptr;
  if (language < 0) language = CurrentLanguage();
  if (language >= kLanguageCount) language = kEnglish;
  return row->text[language];
}

}  // namespace zeda
