#pragma once
// The fixture of the device-operation tests against a simulated unit: the unit on a pty
// registered as COM5, the machine driven tick by tick, the link trace, and the images and
// temporary files a test makes. Single-threaded, like the tests; the unit serves its pty
// on its own thread (see PeerUnit).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "device_ops_util.h"
#include "params/normalize.h"

namespace zeda::test {

class UnitOpsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTickCount(100); }
  void TearDown() override {
    rig_.reset();
    unit_.reset();
    for (const auto& f : files_) std::remove(f.c_str());
  }
  // A new unit on its own pty as COM5 (the machine of an earlier unit keeps running).
  void StartUnit(const std::vector<std::string>& args) {
    unit_ = std::make_unique<PeerUnit>(args);
    ASSERT_TRUE(unit_->Ok()) << unit_->error;
    RegisterPorts({{5, unit_->Path()}});
  }
  // A unit and the machine; runs until the check of the unit has ended.
  void Connect(const std::vector<std::string>& args) {
    StartUnit(args);
    rig_ = std::make_unique<OpsRig>();
    ASSERT_TRUE(rig_->WaitChecked()) << "no check ended";
  }
  // Runs an operation to its end; returns how it ended.
  OpOutcome RunOp(int32_t op) {
    rig_->ui.ended.clear();
    rig_->ops.Request(op);
    if (!rig_->RunUntil([&] { return rig_->ui.EndedOp(op); })) return OpOutcome::Nothing;
    EXPECT_TRUE(rig_->WaitIdle());
    return rig_->ui.ended.back().second;
  }
  void ReadUnit() {
    rig_->ops.Request(OP_READ);
    ASSERT_TRUE(rig_->RunUntil([&] { return rig_->ui.EndedOp(OP_READ); }));
    ASSERT_TRUE(rig_->ui.EndedWith(OP_READ, OpOutcome::Ok));
    ASSERT_TRUE(rig_->WaitIdle());
  }
  ParamImage UnitMemory() { return unit_->MemoryImage(); }
  // An image file for --image; removed with the fixture.
  std::string ImageFile(const ParamImage& img) {
    files_.push_back(WriteTempImage(img));
    return files_.back();
  }
  // A file name the test may write; removed with the fixture.
  std::string TempName() { return ImageFile(ParamImage{}); }
  // The factory image of the simulated unit, normalised.
  static ParamImage NormalFactory() {
    ParamImage img;
    const auto m = sim::DefaultSimMemory();
    std::copy(m.begin(), m.end(), img.bytes.begin());
    NormalizeParams(img);
    return img;
  }
  // Marks `address` changed in params to `value`, as a committed edit does.
  void Edit(int address, uint8_t value) {
    ParamImage& p = rig_->images.params;
    if (p.Byte(address) != value) rig_->images.changedMask[static_cast<size_t>(address)] = true;
    p.SetByte(address, value);
  }

  int Lines() const { return static_cast<int>(trace_.Lines().size()); }
  // Trace lines after `from` that contain `text`.
  int Count(const std::string& text, int from) const {
    const auto lines = trace_.Lines();
    int n = 0;
    for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i)
      if (lines[i].find(text) != std::string::npos) ++n;
    return n;
  }
  // Block frames sent after trace line `from` whose code lies in [lo, hi].
  int Frames(int lo, int hi, int from) const {
    const auto lines = trace_.Lines();
    int n = 0;
    for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i) {
      const size_t at = lines[i].find("Frame send [0x");
      if (at == std::string::npos) continue;
      const int code = std::stoi(lines[i].substr(at + 14, 2), nullptr, 16);
      if (code >= lo && code <= hi) ++n;
    }
    return n;
  }

  TraceFile trace_;
  std::unique_ptr<PeerUnit> unit_;
  std::unique_ptr<OpsRig> rig_;
  std::vector<std::string> files_;
};

}  // namespace zeda::test
