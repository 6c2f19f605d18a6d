// LabelCom while no unit is connected, and the requests' one slot.
#include <gtest/gtest.h>

#include "device_ops_util.h"

namespace zeda {
namespace {

class DeviceOpsIdle : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTickCount(100);
    test::RegisterPorts({});
    setenv("ZEDA_PORTS", "", 1);
    rig_ = std::make_unique<test::OpsRig>();
  }
  void TearDown() override { SetCurrentLanguage(kEnglish); }
  std::unique_ptr<test::OpsRig> rig_;
};

TEST_F(DeviceOpsIdle, LabelComTellsWhatTheSearchDoes) {
  rig_->link.comSetting = -1;
  rig_->Run(0);
  EXPECT_EQ(rig_->ui.labelCom, "COM=OFF");
  rig_->link.comSetting = 0;
  rig_->Run(0);
  EXPECT_EQ(rig_->ui.labelCom, "COM=none");
  SetCurrentLanguage(kGerman);
  rig_->Run(0);
  EXPECT_EQ(rig_->ui.labelCom, "COM=kain");
  SetCurrentLanguage(kEnglish);
  rig_->ops.ReleasePort(4);
  rig_->Run(0);
  EXPECT_EQ(rig_->ui.labelCom, "COM=4 (DISCONECTED)");
  EXPECT_EQ(rig_->ops.RememberedPort(), 4);
  rig_->ops.TakeBackPort();
  rig_->Run(0);
  EXPECT_EQ(rig_->ops.RememberedPort(), -1);
  EXPECT_EQ(rig_->ui.labelCom, "COM=none");
}

TEST_F(DeviceOpsIdle, FirstRunAndDisconnectSayNoConnection) {
  rig_->Run(0);
  EXPECT_EQ(rig_->ui.Slot(1), "No connection with PC...");
  EXPECT_EQ(rig_->ui.slots.Priority(1), -5);
  // Given away, the link shows nothing of the kind.
  rig_->ops.ReleasePort(4);
  rig_->ui.slots.ShowStatus(1, nullptr, 0, kColourUnchanged, kColourUnchanged, -1);
  rig_->ops.Disconnect();
  EXPECT_EQ(rig_->ui.Slot(1), "");
}

TEST_F(DeviceOpsIdle, OneRequestSlot) {
  EXPECT_TRUE(rig_->ops.Request(OP_READ));
  EXPECT_TRUE(rig_->ops.Request(OP_VERIFY));  // a command replaces a command
  EXPECT_EQ(rig_->ops.opRequest(), OP_VERIFY);
  EXPECT_TRUE(rig_->ops.Request(OP_RESET_RELEASE));
  EXPECT_FALSE(rig_->ops.Request(OP_PROGRAM));  // 129 stays
  EXPECT_EQ(rig_->ops.opRequest(), OP_RESET_RELEASE);
  // No unit, no identification: automatic programming asks for nothing.
  rig_->images.changedMask[10] = true;
  rig_->ops.RequestAutoProgram();
  EXPECT_EQ(rig_->ops.opRequest(), OP_RESET_RELEASE);
}

// A front end that runs the machine again from inside a callback (as a nested event loop
// would): the inner call does nothing.
class ReentrantUi : public test::RecordingUi {
 public:
  void ShowStatus(int slot, const char* text, int32_t durationMs, Colour font, Colour back,
                  int32_t priority) override {
    test::RecordingUi::ShowStatus(slot, text, durationMs, font, back, priority);
    if (ops == nullptr || inside) return;
    inside = true;
    ops->RunDeviceOps();
    inside = false;
  }
  void SetLabelCom(const char* text) override {
    if (inside) labelSetInside = true;
    test::RecordingUi::SetLabelCom(text);
  }
  DeviceOps* ops = nullptr;
  bool inside = false;
  bool labelSetInside = false;
};

TEST_F(DeviceOpsIdle, RunDeviceOpsIsNotReentered) {
  ReentrantUi ui;
  DeviceOps ops(rig_->link, rig_->images, ui);
  ui.ops = &ops;
  rig_->link.comSetting = -1;
  ops.RunDeviceOps();  // the first run shows "No connection" and so calls back
  EXPECT_EQ(ui.Slot(1), "No connection with PC...");
  EXPECT_EQ(ui.labelCom, "COM=OFF");
  EXPECT_FALSE(ui.labelSetInside);
}

}  // namespace
}  // namespace zeda
