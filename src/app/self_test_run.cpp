#include "app/self_test_run.h"

namespace zeda {

SelfTestStart StartSelfTest(SelfTest& test, DeviceOps& ops, const LiveValues& values) {
  const SelfTestStart start = test.Begin(ops.UnitConnected(), values.engineSpeed);
  // The restart stops the engine; the test waits for the speed to reach 0.
  if (start == SelfTestStart::Restart) ops.Request(OP_RESET);
  return start;
}

void StepSelfTest(SelfTest& test, DeviceOps& ops, const MonitorBlock& block,
                  const LiveValues& values, const SelfTestFacts& facts) {
  const uint8_t flags = test.Step(block, values, facts);
  if (flags != 0) ops.monitorCommands.testFlags2 |= flags;
}

}  // namespace zeda
