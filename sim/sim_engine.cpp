#include "sim_engine.h"

#include <algorithm>
#include <cmath>

namespace zeda::sim {

namespace {

// Image addresses the model reads.
constexpr int kWordSoftLimiter = 78;
constexpr int kWordLimiter = 79;
constexpr int kWordGearRatio = 62;    // 6 words, rpm/speed x 10
constexpr int kWordGearVoltage = 68;  // 7 words, gear 0..6
constexpr int kWordAdvIap = 6;        // 10 words, kPa
constexpr int kByteBike = 185;
constexpr int kBytePickupSystem = 199;
constexpr int kByteChannels = 201;
constexpr int kByteLoadSensor = 231;
constexpr int kByteAdvColumns = 251;
constexpr int kByteCorrAdvance = 253;  // 4 bytes, +100
constexpr int kBytePoutMode = 259;     // 4 bytes
constexpr int kBytePoutSwRpm = 263;    // 3 per output, x100
constexpr int kWordPoutSwLoad = 36;    // 2 words per output
constexpr int kBytePoutSwBits = 291;   // 3 per output, one per load row
constexpr int kByteRpmAdv = 570;       // 15 bytes, x100
constexpr int kByteAdvance = 600;      // 10 rows x 15, +100

constexpr int kIdleRpm = 1200;
constexpr int64_t kSweepMs = 20000;
constexpr int kTpLoadAxis[10] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};
constexpr int kDefaultRpmAxis[15] = {15, 20, 25, 30,  35,  40,  50, 60,
                                     70, 80, 90, 100, 110, 120, 140};
constexpr int kDefaultAdvance[15] = {8, 8, 8, 12, 20, 23, 28, 33, 35, 35, 35, 35, 35, 35, 35};
constexpr int kDefaultGearRatio[6] = {2000, 1000, 666, 500, 400, 333};
constexpr int kDefaultGearVoltage[7] = {5000, 1797, 2260, 2998, 3662, 4360, 4687};
// Synchronisation methods that use the second pick-up.
constexpr int kTwoPickupMethods[] = {0, 4, 6, 9, 11, 12, 14, 17, 18};

int Word(const uint8_t* memory, int word) { return memory[2 * word] | (memory[2 * word + 1] << 8); }

int Limiter(const uint8_t* memory) {
  const int value = Word(memory, kWordLimiter);
  return value >= 2000 && value <= 25000 ? value : 11000;
}

int SoftLimiter(const uint8_t* memory) {
  const int value = Word(memory, kWordSoftLimiter);
  return value >= 1000 && value <= Limiter(memory) ? value : Limiter(memory) - 200;
}

int Channels(const uint8_t* memory) {
  const int value = memory[kByteChannels];
  return value >= 1 && value <= 4 ? value : 2;
}

int LoadMode(const uint8_t* memory) { return std::min<int>(memory[kByteLoadSensor], 2); }

bool UsesSecondPickup(const uint8_t* memory) {
  const int method = memory[kBytePickupSystem];
  return std::find(std::begin(kTwoPickupMethods), std::end(kTwoPickupMethods), method) !=
         std::end(kTwoPickupMethods);
}

// Throttle opening in percent that goes with an rpm: closed at idle, wide open at the top.
int ThrottleFor(int rpm, int limiter) {
  if (rpm <= kIdleRpm) return 0;
  return std::clamp((rpm - kIdleRpm) * 100 / std::max(1, limiter - kIdleRpm), 0, 100);
}

}  // namespace

int SimEngine::RpmAt(int64_t nowMs, const uint8_t* memory) const {
  switch (mode_) {
    case EngineMode::Stopped:
      return 0;
    case EngineMode::Steady:
      return steadyRpm_;
    case EngineMode::Idle:
      return kIdleRpm + static_cast<int>(30 * std::sin(nowMs / 700.0));
    case EngineMode::Sweep:
    default: {
      // Up in ten seconds, down in ten: a triangle between idle and the limiter.
      const int limiter = Limiter(memory);
      const int64_t phase = nowMs % kSweepMs;
      const int64_t half = kSweepMs / 2;
      const int64_t rise = phase < half ? phase : kSweepMs - phase;
      return kIdleRpm + static_cast<int>((limiter - kIdleRpm) * rise / half);
    }
  }
}

int SimEngine::AdvanceAt(const uint8_t* memory, int rpm, int loadPercent, int channel) {
  int axis[15];
  int columns = memory[kByteAdvColumns];
  if (columns < 1 || columns > 15) columns = 15;
  bool rising = true;
  for (int i = 0; i < 15; ++i) {
    axis[i] = memory[kByteRpmAdv + i];
    if (i > 0 && i < columns && axis[i] <= axis[i - 1]) rising = false;
  }
  if (axis[0] == 0) rising = false;
  // A memory without a sensible map (factory zeros) runs on the built-in curve.
  const bool builtIn = !rising;
  if (builtIn) {
    std::copy(std::begin(kDefaultRpmAxis), std::end(kDefaultRpmAxis), axis);
    columns = 15;
  }
  int row = 0;
  const int mode = LoadMode(memory);
  if (!builtIn && mode >= 1) {
    for (int r = 0; r < 10; ++r) {
      const int point = mode == 1 ? kTpLoadAxis[r] : Word(memory, kWordAdvIap + r);
      if (loadPercent >= point) row = r;
    }
  }
  auto cell = [&](int column) {
    if (builtIn) return kDefaultAdvance[column];
    return static_cast<int>(memory[kByteAdvance + row * 15 + column]) - 100;
  };
  const int hundreds = rpm / 100;
  int advance = cell(0);
  if (hundreds >= axis[columns - 1]) {
    advance = cell(columns - 1);
  } else {
    for (int i = 0; i + 1 < columns; ++i) {
      if (hundreds >= axis[i] && hundreds < axis[i + 1]) {
        const int a = cell(i);
        const int b = cell(i + 1);
        advance = a + (b - a) * (rpm - axis[i] * 100) / std::max(1, (axis[i + 1] - axis[i]) * 100);
        break;
      }
    }
  }
  const int correction = memory[kByteCorrAdvance + channel];
  if (correction >= 70 && correction <= 130) advance += correction - 100;
  return std::clamp(advance, -30, 60);
}

MonitorBlock SimEngine::Monitor(int64_t nowMs, const uint8_t* memory, const EngineFacts& facts) {
  MonitorBlock m;
  const int rpm = facts.restarting ? 0 : RpmAt(nowMs, memory);
  const int limiter = Limiter(memory);
  const int throttle = ThrottleFor(rpm, limiter);
  const int loadMode = LoadMode(memory);
  const int pressure = 30 + throttle * 70 / 100;  // kPa
  const int load = loadMode == 2 ? pressure : throttle;
  const int channels = Channels(memory);
  const bool running = rpm > 0;

  m.SetByte(1, memory[kByteBike]);
  m.SetWord(1, static_cast<uint16_t>(rpm));
  m.SetWord(2, static_cast<uint16_t>(700 + throttle * 31));  // sensor mV
  m.SetWord(3, static_cast<uint16_t>(load));
  m.SetWord(4, static_cast<uint16_t>(13800 + 150 * std::sin(nowMs / 3100.0)));
  m.SetWord(7, static_cast<uint16_t>(facts.programmingCount));
  if (facts.lastWriteMs >= 0) {
    const int64_t since = nowMs - facts.lastWriteMs;
    m.SetWord(8, static_cast<uint16_t>(std::clamp<int64_t>(2100 - since * 21 / 20, 0, 2100)));
  }
  m.SetWord(13, running ? 30 : 0);
  m.SetWord(14, running ? 28 : 0);

  // Advance per channel, and the highest advance the map gives each channel.
  for (int c = 0; c < 4; ++c) {
    if (c >= channels) continue;
    const int advance = AdvanceAt(memory, std::max(rpm, 500), load, c);
    m.SetByte(105 + c, running ? static_cast<uint8_t>(advance + 100) : 0);
    int highest = -30;
    for (int r = 1000; r <= limiter; r += 500)
      highest = std::max(highest, AdvanceAt(memory, r, load, c));
    m.SetWord(9 + c, static_cast<uint16_t>(std::max(highest, 0)));
  }

  // Gear and speed: the sweep climbs through the gears.
  int gear = 0;
  if (running && rpm > kIdleRpm + 100) {
    const int64_t phase = nowMs % kSweepMs;
    gear = 1 + static_cast<int>(phase * 6 / kSweepMs);
    if (mode_ != EngineMode::Sweep) gear = 1;
  }
  int ratio = 0;
  if (gear > 0) {
    ratio = Word(memory, kWordGearRatio + gear - 1);
    if (ratio < 1 || ratio > 32000) ratio = kDefaultGearRatio[gear - 1];
  }
  if (fixedRatio_ > 0) ratio = fixedRatio_;
  int gearVoltage = Word(memory, kWordGearVoltage + gear);
  if (gearVoltage == 0 || gearVoltage > 5000) gearVoltage = kDefaultGearVoltage[gear];
  if (fixedGearMv_ >= 0) gearVoltage = fixedGearMv_;
  m.SetWord(26, static_cast<uint16_t>(ratio > 0 ? rpm * 10 / ratio : 0));
  m.SetWord(27, static_cast<uint16_t>(gearVoltage));
  m.SetWord(28, static_cast<uint16_t>(ratio));
  for (int g = 0; g < 6; ++g) {
    int learned = Word(memory, kWordGearRatio + g);
    if (learned < 1 || learned > 32000) learned = kDefaultGearRatio[g];
    m.SetWord(29 + g, static_cast<uint16_t>(learned));
  }
  const int later = facts.restarting ? 0 : RpmAt(nowMs + 100, memory);
  m.SetWord(35, static_cast<uint16_t>(std::max(0, (later - rpm) * 10)));
  m.SetWord(36, 2500);
  m.SetWord(37, 1000);
  m.SetWord(39, 2);

  // Minute counter: the hour meter and the last overvoltage time take turns.
  overvoltageTurn_ = !overvoltageTurn_;
  const uint32_t minutes = overvoltageTurn_ ? 4321u : 12345u + static_cast<uint32_t>(nowMs / 60000);
  m.SetWord(15, static_cast<uint16_t>(minutes & 0xFFFF));
  m.SetByte(115, static_cast<uint8_t>(minutes >> 16));

  m.SetByte(100, static_cast<uint8_t>(loadMode));
  // Power outputs switched by their tables.
  uint8_t outputs = 0;
  for (int k = 0; k < 4; ++k) {
    const uint8_t mode = memory[kBytePoutMode + k];
    m.SetByte(110 + k, mode);
    bool on = false;
    if (mode == 1) {
      on = running;
    } else if (mode == 2 || mode == 3 || mode == 255) {
      int column = -1;
      for (int i = 0; i < 3; ++i) {
        const int point = memory[kBytePoutSwRpm + 3 * k + i] * 100;
        if (point > 0 && rpm >= point) column = i;
      }
      const int row = load >= Word(memory, kWordPoutSwLoad + 2 * k + 1) ? 1 : 0;
      on = running && column >= 0 && ((memory[kBytePoutSwBits + 3 * k + row] >> column) & 1);
    } else if (mode == 253 || mode == 254) {
      on = running;
    }
    if (on) outputs |= static_cast<uint8_t>(1 << k);
  }
  m.SetByte(109, outputs);
  m.SetByte(116, 0);
  m.SetByte(117, 0);
  m.SetByte(118, memory[kBytePickupSystem]);
  m.SetByte(119, static_cast<uint8_t>(channels));
  m.SetByte(121, static_cast<uint8_t>(gear));
  m.SetByte(122, 0);
  m.SetByte(127, static_cast<uint8_t>(0x10 | (running ? (1 << channels) - 1 : 0)));

  // Pick-up: running bits, positive polarity.
  uint8_t pickup = 0;
  if (running) {
    pickup |= 0x01;
    if (UsesSecondPickup(memory)) pickup |= 0x02;
  }
  m.SetByte(140, pickup);
  // Inputs change now and then: input 2 every 7 s, input 3 every 11 s.
  uint8_t inputs = 0;
  if ((nowMs / 7000) % 2) inputs |= 0x02;
  if ((nowMs / 11000) % 2) inputs |= 0x04;
  if (fixedInputs_ >= 0) inputs = static_cast<uint8_t>(fixedInputs_ & 0x3F);
  if (overvoltageTurn_) inputs |= 0x80;
  m.SetByte(141, static_cast<uint8_t>((inputs & 0x02) ? 0x08 : 0x00));  // input 2: retard
  m.SetByte(142, inputs);
  m.SetByte(143, 0x18);   // retard and start limiter enabled
  m.SetByte(144, 0x10);   // servo OK
  uint8_t limits = 0xC0;  // speed and gear sensors present
  if (rpm >= limiter - 50) limits |= 0x01;
  if (rpm >= SoftLimiter(memory)) limits |= 0x02;
  if (!running || rpm < 2000) limits |= 0x04;
  m.SetByte(145, limits);
  m.SetWord(73, static_cast<uint16_t>(facts.hwKey));
  m.SetByte(149, static_cast<uint8_t>(facts.version));
  m.SetByte(150, static_cast<uint8_t>(facts.key));
  return m;
}

namespace {

// Crank methods whose cycle is two revolutions (cam sensor, or one lobe per 2 revolutions).
constexpr int kCamMethods[] = {6, 11, 12};
constexpr int kByteBikeCode = 185;
constexpr int kCamPreset = 30;
constexpr int kByteLobeCount = 200;
constexpr int kByteLobeStart = 203;
constexpr int kByteLobeEnd = 207;
constexpr int kMethod120Lobes = 14;
constexpr double kLobeWidthDegrees = 20;

}  // namespace

CapturePlan SimEngine::PlanCapture(const uint8_t* memory) {
  CapturePlan plan;
  const int method = memory[kBytePickupSystem];
  const bool cam =
      std::find(std::begin(kCamMethods), std::end(kCamMethods), method) != std::end(kCamMethods) ||
      memory[kByteBikeCode] == kCamPreset;
  plan.cycleCode = cam ? 0 : 1;
  plan.span = cam ? 720 : 360;
  const int maxLobes = method == kMethod120Lobes ? 120 : 58;
  plan.lobes = std::clamp<int>(memory[kByteLobeCount], 1, maxLobes);
  plan.pitch = static_cast<double>(plan.span) / plan.lobes;
  plan.width = std::min(kLobeWidthDegrees, plan.pitch / 2);
  plan.channels = Channels(memory);
  plan.secondPickup = UsesSecondPickup(memory);
  // Pick-up 2 sees the lobes a channel names with the "2nd Pick-up" flag; a two-pick-up
  // method without any such lobe has one phase lobe opposite lobe 1.
  for (int c = 0; c < plan.channels; ++c) {
    for (const int at : {kByteLobeStart + c, kByteLobeEnd + c}) {
      const uint8_t b = memory[at];
      const bool second = method != kMethod120Lobes && (b & 0x80);
      const int lobe = std::clamp(
          method == kMethod120Lobes ? (b & 0x3F) + ((b & 0x80) ? 64 : 0) : b & 0x3F, 1, plan.lobes);
      if (second && plan.secondPickup) plan.pickup2Lobes[lobe - 1] = true;
    }
  }
  if (plan.secondPickup && std::none_of(std::begin(plan.pickup2Lobes), std::end(plan.pickup2Lobes),
                                        [](bool b) { return b; })) {
    plan.pickup2Lobes[0] = true;
  }
  for (int c = 0; c < plan.channels; ++c) {
    plan.windowStart[c] = plan.EdgeAngle(memory[kByteLobeStart + c], method);
    plan.windowEnd[c] = plan.EdgeAngle(memory[kByteLobeEnd + c], method);
  }
  return plan;
}

double CapturePlan::LobeAngle(int lobe, bool secondPickup) const {
  // Pick-up 2 sits half a cycle away from pick-up 1.
  const double angle = (lobe - 1) * pitch + (secondPickup ? span / 2.0 : 0.0);
  return std::fmod(angle, span);
}

double CapturePlan::EdgeAngle(uint8_t lobeByte, int method) const {
  const bool second = method != kMethod120Lobes && (lobeByte & 0x80) && secondPickup;
  const int lobe =
      std::clamp(method == kMethod120Lobes ? (lobeByte & 0x3F) + ((lobeByte & 0x80) ? 64 : 0)
                                           : lobeByte & 0x3F,
                 1, lobes);
  const double edge = LobeAngle(lobe, second) + ((lobeByte & 0x40) ? width : 0.0);
  return std::fmod(edge, span);
}

double CapturePlan::IgnitionAngle(int channel, int advance) const {
  // The channel fires inside its lobe window: at the window's end (the "start advance"
  // edge) with no advance, earlier towards the window's start ("maximum advance") as the
  // advance grows to kFullAdvance.
  const double start = windowStart[channel];
  const double end = windowEnd[channel];
  double window = std::fmod(end - start + span, static_cast<double>(span));
  const double fraction = std::clamp(advance / kFullAdvance, 0.0, 1.0);
  return std::fmod(end - fraction * window + span, static_cast<double>(span));
}

std::vector<uint8_t> SimEngine::Capture(int64_t nowMs, const uint8_t* memory, bool synchronised,
                                        uint8_t& cycleCode) {
  std::vector<uint8_t> out;
  const CapturePlan plan = PlanCapture(memory);
  cycleCode = static_cast<uint8_t>(plan.cycleCode);
  const int rpm = RpmAt(nowMs, memory);
  if (rpm <= 0) return out;
  // Counts of the 0.4 us capture clock per degree of the capture's cycle.
  const double countsPerRevolution = 60.0 / rpm / 0.0000004;
  const double countsPerDegree = countsPerRevolution / 360.0;
  const double countsPerCycle = countsPerDegree * plan.span;
  const int advance = AdvanceAt(memory, rpm, ThrottleFor(rpm, Limiter(memory)), 0);

  // The signal changes of one cycle, in degrees.
  struct Change {
    double degree;
    uint8_t set;    // bits of the sample's top byte switched on here
    uint8_t clear;  // and off
  };
  std::vector<Change> changes;
  for (int k = 1; k <= plan.lobes; ++k) {
    const double at = plan.LobeAngle(k, false);
    changes.push_back({at, 0x04, 0});
    changes.push_back({at + plan.width, 0, 0x04});
    if (plan.pickup2Lobes[k - 1]) {
      const double at2 = plan.LobeAngle(k, true);
      changes.push_back({at2, 0x08, 0});
      changes.push_back({at2 + plan.width, 0, 0x08});
    }
  }
  for (int c = 0; c < plan.channels; ++c) {
    const double at = plan.IgnitionAngle(c, advance);
    changes.push_back({at, static_cast<uint8_t>(0x10 << c), 0});
    changes.push_back({at + 0.5, 0, static_cast<uint8_t>(0x10 << c)});
  }
  for (Change& ch : changes) ch.degree = std::fmod(ch.degree, static_cast<double>(plan.span));
  std::sort(changes.begin(), changes.end(),
            [](const Change& a, const Change& b) { return a.degree < b.degree; });

  auto put = [&out](uint32_t sample) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(sample >> (8 * i)));
  };
  // The levels at the start of a cycle: whatever a lobe that runs over the cycle's end
  // left on.
  uint8_t levels = 0;
  for (const Change& ch : changes) levels = static_cast<uint8_t>((levels | ch.set) & ~ch.clear);
  levels &= 0x0C;
  // A synchronised capture covers four cycles and a bit (the processing needs four
  // changes of the cycle counter); an unsynchronised one two cycles, with the counter
  // standing still.
  const int cycles = synchronised ? 5 : 2;
  uint8_t state = levels;
  for (int k = 0; k < cycles; ++k) {
    if (synchronised) ++cycle_;
    const double base = k * countsPerCycle;
    const uint32_t counter = static_cast<uint32_t>(synchronised ? (cycle_ & 3) : 0) << 24;
    auto sample = [&](double counts, uint8_t flags) {
      const uint32_t stamp = (stamp_ + static_cast<uint32_t>(counts)) & 0xFFFFFF;
      put(stamp | counter | (static_cast<uint32_t>(flags & 0xFC) << 24));
    };
    // The cycle starts with a sample where the counter changes.
    sample(base, state);
    for (const Change& ch : changes) {
      state = static_cast<uint8_t>((state | ch.set) & ~ch.clear);
      sample(base + ch.degree * countsPerDegree, state);
    }
  }
  // A last sample closes the record at the end of the last cycle.
  const uint32_t counter = static_cast<uint32_t>(synchronised ? (cycle_ & 3) : 0) << 24;
  const uint32_t end = (stamp_ + static_cast<uint32_t>(cycles * countsPerCycle)) & 0xFFFFFF;
  put(end | counter | (static_cast<uint32_t>(state & 0xFC) << 24));
  stamp_ = end;
  return out;
}

}  // namespace zeda::sim
