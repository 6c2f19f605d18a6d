#pragma once
// Carries out what the unit self test asks of the device machine: the restart of a unit
// whose engine runs, and the output tests of the measurement with the next monitor
// request. The window calls StartSelfTest from ButtonSelftest, TickSelfTest from the main
// tick's countdown step and StepSelfTest inside every monitor refresh.
//
// User-interface thread only.
#include "link/device_ops.h"
#include "monitor/live_values.h"
#include "monitor/monitor_block.h"
#include "monitor/self_test.h"

namespace zeda {

SelfTestStart StartSelfTest(SelfTest& test, DeviceOps& ops, const LiveValues& values);
void StepSelfTest(SelfTest& test, DeviceOps& ops, const MonitorBlock& block,
                  const LiveValues& values, const SelfTestFacts& facts);

}  // namespace zeda
