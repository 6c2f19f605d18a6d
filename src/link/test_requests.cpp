#include "link/test_requests.h"

namespace zeda {

const TestButtonRow& TestButtonInfo(TestButton button) {
  return kTestButtons[static_cast<int>(button)];
}

bool PressTestButton(MonitorCommands& c, TestButton button) {
  const TestButtonRow& row = TestButtonInfo(button);
  uint8_t* flags = nullptr;
  switch (row.request) {
    case TestRequest::Ignition:
      flags = &c.testFlags1;
      break;
    case TestRequest::Output:
      flags = &c.testFlags2;
      break;
    case TestRequest::Servo:
      flags = &c.testFlags3;
      break;
    case TestRequest::None:
      return false;
  }
  *flags = static_cast<uint8_t>(*flags | row.mask);
  if (row.calibrationStart != 0) {
    c.calibration = row.calibrationStart;
    c.calibrationRunning = true;
  } else {
    // A half-sent unlock pair never starts the calibration in the unit.
    if (c.calibration != 0) c.calibrationRunning = false;
    c.calibration = 0;
  }
  return true;
}

void EndCalibration(MonitorCommands& c) {
  c.calibration = 0;
  c.calibrationRunning = false;
}

void ClearTestRequests(MonitorCommands& c) {
  c.testFlags1 = c.testFlags2 = c.testFlags3 = 0;
  EndCalibration(c);
}

}  // namespace zeda
