// The display rules evaluated into the view: the edge cases where a label's text or
// colour changes.
#include "monitor/monitor_display.h"

#include <gtest/gtest.h>

#include <cstring>

#include "monitor/channel_table.h"

namespace zeda {
namespace {

class MonitorDisplay : public ::testing::Test {
 protected:
  void SetWord(int w, uint16_t v) {
    block_.pos[static_cast<std::size_t>(2 * w)] = static_cast<uint8_t>(v & 0xFF);
    block_.pos[static_cast<std::size_t>(2 * w + 1)] = static_cast<uint8_t>(v >> 8);
  }
  void SetByte(int b, uint8_t v) { block_.pos[static_cast<std::size_t>(b)] = v; }
  void SetBit(int b, int k) {
    block_.pos[static_cast<std::size_t>(b)] |= static_cast<uint8_t>(1 << k);
  }
  void Evaluate(bool live = true) {
    EvaluateMonitor(block_, live, params_, memory_, values_, view_);
  }
  const LabelView& L(MonLabel l) const { return view_[l]; }

  MonitorBlock block_;
  MonitorParams params_;
  MonitorMemory memory_;
  LiveValues values_;
  MonitorView view_;
};

TEST_F(MonitorDisplay, VoltageColourBounds) {
  struct Case {
    uint16_t mv;
    Colour colour;
  };
  const Case cases[] = {{7000, kMonRed},     {7001, kMonYellow}, {11000, kMonYellow},
                        {11001, kMonPlain},  {14998, kMonPlain}, {14999, kMonYellow},
                        {17998, kMonYellow}, {17999, kMonRed},   {0, kMonRed}};
  for (const Case& c : cases) {
    SetWord(Monw::BATTERY, c.mv);
    Evaluate();
    EXPECT_EQ(L(MonLabel::Napeti).colour, c.colour) << c.mv;
  }
  SetWord(Monw::BATTERY, 12345);
  Evaluate();
  EXPECT_EQ(L(MonLabel::Napeti).text, "U = 12.3 [V]");
  Evaluate(false);
  EXPECT_EQ(L(MonLabel::Napeti).text, "U = --- [V]");
  EXPECT_EQ(L(MonLabel::Napeti).colour, kMonPlain);
}

TEST_F(MonitorDisplay, LoadModeAboveTwoIsManifoldPressure) {
  SetByte(Monb::LOAD_MODE, 7);
  SetWord(Monw::TPSIAP, 98);
  SetWord(Monw::TPS, 2100);
  Evaluate();
  EXPECT_EQ(L(MonLabel::TpsMon).text, "IAP= 98 [kPa]= 2100 [mV]");
  EXPECT_EQ(view_.Gauge(MonGauge::Tps).maximum, 300);
  EXPECT_EQ(view_.Gauge(MonGauge::Tps).colour, kMonPurple);
  EXPECT_EQ(values_.loadMode, 2);
  EXPECT_EQ(values_.pressureKpa, 98);
  EXPECT_EQ(values_.throttleTenths, -1);
  SetBit(Monb::ERRORS, MonBit::IAP_ERR);
  Evaluate();
  EXPECT_EQ(L(MonLabel::TpsMon).text, "IAP=error = 2100 [mV]");
  EXPECT_EQ(L(MonLabel::TpsMon).colour, kMonRed);
  EXPECT_EQ(view_.Gauge(MonGauge::Tps).progress, 0);
}

TEST_F(MonitorDisplay, ThrottleErrorByModeAndFlag) {
  struct Case {
    int mode;
    bool tpsErr;
    const char* text;
    Colour colour;
    int gauge;
  };
  const Case cases[] = {
      {0, false, "TP=error = 800 [mV]", kMonRed, 0},
      {1, false, "TP= 101 [%]= 800 [mV]", kMonPlain, 101},
      {1, true, "TP=error = 800 [mV]", kMonRed, 0},
  };
  for (const Case& c : cases) {
    block_.Clear();
    SetByte(Monb::LOAD_MODE, static_cast<uint8_t>(c.mode));
    SetWord(Monw::TPSIAP, 101);
    SetWord(Monw::TPS, 800);
    if (c.tpsErr) SetBit(Monb::ERRORS, MonBit::TPS_ERR);
    Evaluate();
    EXPECT_EQ(L(MonLabel::TpsMon).text, c.text) << c.mode;
    EXPECT_EQ(L(MonLabel::TpsMon).colour, c.colour) << c.mode;
    EXPECT_EQ(view_.Gauge(MonGauge::Tps).progress, c.gauge) << c.mode;
    EXPECT_EQ(L(MonLabel::TpsMon).enabled, c.mode != 0);
  }
  // Mode 0 at exactly 100 % is not an error.
  block_.Clear();
  SetWord(Monw::TPSIAP, 100);
  Evaluate();
  EXPECT_EQ(L(MonLabel::TpsMon).colour, kMonPlain);
}

TEST_F(MonitorDisplay, LoadGaugeKeepsItsPositionWhenNotLive) {
  SetByte(Monb::LOAD_MODE, 1);
  SetWord(Monw::TPSIAP, 42);
  Evaluate();
  params_.loadSensor = 2;
  Evaluate(false);
  EXPECT_EQ(L(MonLabel::TpsMon).text, "IAP= ---");
  EXPECT_EQ(view_.Gauge(MonGauge::Tps).progress, 42);
  EXPECT_EQ(view_.Gauge(MonGauge::Rpm).progress, 0);
}

TEST_F(MonitorDisplay, BaseAdvanceText) {
  SetByte(Monb::ADV, 0);
  SetWord(Monw::ADV_MAX, 30);
  SetByte(Monb::ADV + 1, 0);
  SetWord(Monw::ADV_MAX + 1, 0);
  Evaluate();
  EXPECT_EQ(L(MonLabel::Advance1).text, "Advance = Base/max 30 [\xC2\xB0]");
  EXPECT_EQ(L(MonLabel::Advance2).text, "Advance = Base");
  SetByte(Monb::ADV, 130);  // 30 degrees
  SetByte(Monb::ADV + 1, 112);
  Evaluate();
  EXPECT_EQ(L(MonLabel::Advance1).text, "Advance 1 = 30 [\xC2\xB0] /max 30 [\xC2\xB0]");
  EXPECT_EQ(L(MonLabel::Advance1).colour, kMonYellow);  // at its maximum
  EXPECT_EQ(L(MonLabel::Advance2).text, "Advance 2 = 12 [\xC2\xB0]");
  EXPECT_EQ(L(MonLabel::Advance2).colour, kMonPlain);  // no maximum given
  Evaluate(false);
  EXPECT_EQ(L(MonLabel::Advance1).text, "Advance 1 = --- [\xC2\xB0]");
}

TEST_F(MonitorDisplay, HourMeterAndOvervoltageAlternate) {
  SetWord(Monw::MOTO_MIN_LO, 125);  // 2:05
  SetWord(Monw::OVERVOLTAGE_COUNTER, 3);
  Evaluate();
  EXPECT_EQ(L(MonLabel::HourMeter).text, "Hour meter = 2:05 [h:mm]");
  EXPECT_EQ(L(MonLabel::OvervoltageEvents).text, "Number of overvoltages on-board = 3");

  // The next answer carries the overvoltage time: the hour meter keeps its value.
  SetWord(Monw::MOTO_MIN_LO, 61);
  SetByte(Monb::MOTO_MIN_HI, 1);  // 65536 + 61 minutes
  SetBit(Monb::INPUT_LEVEL, MonBit::OVERVOLTAGE_TIME);
  Evaluate();
  EXPECT_EQ(L(MonLabel::HourMeter).text, "Hour meter = 2:05 [h:mm]");
  EXPECT_EQ(L(MonLabel::OvervoltageEvents).text,
            "Number of overvoltages on-board = 3 (last ocurred at 1093:17 [h:mm]) ");
  EXPECT_EQ(values_.hourMeterMinutes, 125);
  EXPECT_EQ(values_.overvoltageMinutes, 65597);

  // A zero count shows no time.
  SetWord(Monw::OVERVOLTAGE_COUNTER, 0);
  Evaluate();
  EXPECT_EQ(L(MonLabel::OvervoltageEvents).text, "Number of overvoltages on-board = 0");

  Evaluate(false);
  EXPECT_EQ(values_.hourMeterMinutes, kMinutesUnknown);
  EXPECT_EQ(L(MonLabel::HourMeter).text, "Hour meter = ---");
  EXPECT_EQ(L(MonLabel::OvervoltageEvents).text, "Number of overvoltages on-board = ---");
}

TEST_F(MonitorDisplay, AccelerationThresholdBelowZeroBecomesZero) {
  params_.accThreshold = 0;
  SetByte(Monb::POTI_MODE, 4);
  SetWord(Monw::POTI_VAL, 5000);
  Evaluate();
  EXPECT_EQ(view_.Gauge(MonGauge::Akcel).maximum, 100);
  EXPECT_EQ(view_.accBelowShare, 0.0);
  EXPECT_EQ(L(MonLabel::Acc50).text, "50");
  EXPECT_EQ(L(MonLabel::Acc100).text, "100");
  EXPECT_EQ(L(MonLabel::MonPotiCor).text, "Correction of acc map switch = -5000 [rpm/s]");

  // A positive correction raises the threshold; the range is twice it.
  params_.accThreshold = 20;
  SetWord(Monw::POTI_VAL, 10500);
  SetWord(Monw::ACCELERATION, 9000);
  Evaluate();
  EXPECT_EQ(view_.Gauge(MonGauge::Akcel).maximum, 5000);
  EXPECT_DOUBLE_EQ(view_.accBelowShare, 0.5);
  EXPECT_EQ(view_.Gauge(MonGauge::Akcel).colour, kMonLime);  // 9000 / 100 < 5000
  // Not live the correction does not count.
  Evaluate(false);
  EXPECT_EQ(view_.Gauge(MonGauge::Akcel).maximum, 4000);
}

TEST_F(MonitorDisplay, PickupLines) {
  SetBit(Monb::PICKUP, MonBit::PICKUP1_RUN);
  SetBit(Monb::PICKUP, MonBit::POLARITY1);
  SetBit(Monb::PICKUP, MonBit::PICKUP2_RUN);
  SetBit(Monb::PICKUP, MonBit::SYNCHRO2_ERR);
  Evaluate();
  EXPECT_EQ(L(MonLabel::MonSnimac1).text, "Pick-up (CKPS) 1 = is running, negative polarity");
  EXPECT_EQ(L(MonLabel::MonSnimac1).colour, kMonLime);
  EXPECT_EQ(L(MonLabel::MonSnimac2).text,
            "Pick-up (CKPS) 2 = is running, positive polarity, Pick up system error" +
                std::string(20, ' '));
  EXPECT_EQ(L(MonLabel::MonSnimac2).colour, kMonRed);
  EXPECT_TRUE(values_.pickup1Good);
  EXPECT_FALSE(values_.pickup2Good);
  EXPECT_TRUE(view_.refreshActivePage);  // pick-up 2 started running
  Evaluate();
  EXPECT_FALSE(view_.refreshActivePage);
  Evaluate(false);
  EXPECT_EQ(L(MonLabel::MonSnimac1).text, "Pick-up (CKPS) 1 =  ---");
}

TEST_F(MonitorDisplay, InputFunctionsTachoLambdaIsActiveLow) {
  SetBit(Monb::FUNCTION_ENABLED, MonBit::TACHO_LAMBDA);
  SetBit(Monb::FUNCTION_ENABLED, MonBit::KILL_SWITCH);
  SetBit(Monb::INPUT_ACTIVE, MonBit::KILL_SWITCH);
  Evaluate();
  EXPECT_EQ(L(MonLabel::MonTachoLambdaOut).text, "Tacho Lambda = YES");
  EXPECT_EQ(L(MonLabel::MonTachoLambdaOut).colour, kMonAqua);
  EXPECT_EQ(L(MonLabel::KillSwitch).text, "Kill switch = YES");
  EXPECT_EQ(L(MonLabel::KillSwitch).colour, kMonRed);
  EXPECT_EQ(L(MonLabel::Blocking).text, "Blocking = ---");
  EXPECT_FALSE(L(MonLabel::Blocking).enabled);
  // Not live: enabled by the input assignments.
  params_.hasBlocking = true;
  Evaluate(false);
  EXPECT_TRUE(L(MonLabel::Blocking).enabled);
  EXPECT_EQ(L(MonLabel::Blocking).text, "Blocking = ---");
}

TEST_F(MonitorDisplay, StartLimiterLaterTestWins) {
  SetBit(Monb::STATES, MonBit::START_LIMITER_ACT);
  Evaluate();
  EXPECT_EQ(L(MonLabel::MonStartLimiterOut).text, "Start limiter = READY");
  SetBit(Monb::STATES, MonBit::START_LIMITER_SOFT);
  Evaluate();
  EXPECT_EQ(L(MonLabel::MonStartLimiterOut).text, "Start limiter = SOFT");
  EXPECT_EQ(L(MonLabel::MonStartLimiterOut).colour, kMonFuchsia);
  SetBit(Monb::INPUT_ACTIVE, MonBit::START_LIMITER);
  Evaluate();
  EXPECT_EQ(L(MonLabel::MonStartLimiterOut).text, "Start limiter = YES");
  EXPECT_EQ(L(MonLabel::MonStartLimiterOut).colour, kMonRed);
}

TEST_F(MonitorDisplay, NotLiveClearsTheBlockAndShowsDashes) {
  for (auto& p : block_.pos) p = 0xA5;
  Evaluate(false);
  for (auto p : block_.pos) ASSERT_EQ(p, 0);
  EXPECT_EQ(L(MonLabel::Rpm).text, "RPM = ---");
  EXPECT_EQ(L(MonLabelAt(MonLabel::Test1, 2)).text, "Test3 = 0 ");
  EXPECT_EQ(L(MonLabelAt(MonLabel::PropMon1, 1)).text, "Prop2 = --- ");
  EXPECT_EQ(L(MonLabel::Servo).text, "Servo = ---");
  EXPECT_EQ(L(MonLabel::MonPotiCor).text, "Potentiometer correction = ---");
  EXPECT_TRUE(L(MonLabel::MonPotiCor).enabled);
  EXPECT_EQ(view_.Gauge(MonGauge::Potentiometer).progress, 0);
  EXPECT_EQ(view_.Gauge(MonGauge::Akcel).progress, 0);
  EXPECT_FALSE(L(MonLabel::EeDataErr).visible);
  EXPECT_EQ(L(MonLabel::FullSync).text, "---");
}

TEST_F(MonitorDisplay, LimiterColoursTheEngineSpeed) {
  params_.limiter = 12000;
  SetWord(Monw::RPM, 6000);
  SetBit(Monb::STATES, MonBit::LIMITER);
  Evaluate();
  EXPECT_EQ(L(MonLabel::Rpm).text, "RPM = 6000");
  EXPECT_EQ(L(MonLabel::Rpm).colour, kMonRed);
  EXPECT_EQ(view_.Gauge(MonGauge::Rpm).progress, 50);
  EXPECT_EQ(L(MonLabel::MonLimiterOut).text, "Limiter = YES");
  EXPECT_EQ(values_.engineSpeed, 6000);
}

TEST_F(MonitorDisplay, PropValuesSignedOnRequest) {
  SetWord(Monw::PROP, 0xFFFE);
  Evaluate();
  EXPECT_EQ(L(MonLabel::PropMon1).text, "Prop1 = 65534 ");
  params_.propSigned[0] = true;
  Evaluate();
  EXPECT_EQ(L(MonLabel::PropMon1).text, "Prop1 = -2 ");
}

TEST_F(MonitorDisplay, PowerOutputsAndServo) {
  SetByte(Monb::POUT_MODE + 1, 254);
  SetBit(Monb::POUT, 1);
  SetByte(Monb::POUT_MODE + 2, 77);
  SetBit(Monb::STATES, MonBit::SERVO_PROC_MV);
  SetByte(Monb::SERVO, 40);
  SetByte(Monb::SERVO_TARG, 45);
  SetWord(Monw::SERVO, 2000);
  SetWord(Monw::SERVO_TG, 2200);
  Evaluate();
  EXPECT_EQ(L(MonLabelAt(MonLabel::MonPOut1, 1)).text, "POUT2(Power jet) = YES");
  EXPECT_EQ(L(MonLabelAt(MonLabel::MonPOut1, 1)).colour, kMonLime);
  EXPECT_EQ(L(MonLabelAt(MonLabel::MonPOut1, 2)).text, "POUT3(Not used) = NO");
  EXPECT_EQ(L(MonLabelAt(MonLabel::ButtonTest01, 1)).text, "Power out 2 - Power jet");
  EXPECT_EQ(L(MonLabel::Servo).text, "Servo = 40/45 [%] (2000/2200 [mV])");
  EXPECT_EQ(L(MonLabel::Servo).colour, kMonRed);  // SERVO_OK clear
  EXPECT_FALSE(L(MonLabel::Servo).enabled);
  EXPECT_EQ(L(MonLabel::Servo).font, kMonGray);
}

TEST_F(MonitorDisplay, ChannelTableHas94RowsAndItsNamesFit) {
  int rows = 0;
  for (const ChannelRow* r = kChannelTable; r->position != -1; ++r) ++rows;
  EXPECT_EQ(rows, kChannelCount);
  int fullSync = 0;
  for (int i = 0; i < kChannelCount; ++i) {
    EXPECT_LT(std::strlen(kChannelTable[i].name), sizeof kChannelTable[i].name);
    fullSync += std::string(kChannelTable[i].name) == "FULL_SYNC";
  }
  EXPECT_EQ(fullSync, 4);
  EXPECT_STREQ(kChannelTable[33].name, "ADV5");
}

}  // namespace
}  // namespace zeda
