#pragma once
// The states of the device-operation machine (opState). Their values are fixed: a request
// starts the state of its own code (Read 64, Verify 80, Program 96, program the changed
// bytes 98, Reset 128, reset and release 129), and traces and tests show the numbers.
//
// Connection: 32 -> 33 -> 29 -> 30 -> 31 -> idle. When the two full reads differ the image is
// read in quarters, each twice, with a monitor exchange before every read:
// 52 -> 48 -> 53 -> 49 -> 54 -> 50 -> 55 -> 51 -> 60 -> 56 -> 61 -> 57 -> 62 -> 58 -> 63 -> 59.
#include <cstdint>

namespace zeda {

struct OpState {
  static constexpr int32_t kNotConnected = 0;  // a unit found now starts the check
  static constexpr int32_t kIdle = 1;
  static constexpr int32_t kPoll = 2;  // one idle monitor exchange

  // The check of a newly connected unit.
  static constexpr int32_t kCheckPoll = 29;   // a monitor exchange before the full reads
  static constexpr int32_t kCheckRead1 = 30;  // the whole image, first read
  static constexpr int32_t kCheckRead2 = 31;  // the whole image, second read, compared
  static constexpr int32_t kCheckId1 = 32;    // the identification block, first read
  static constexpr int32_t kCheckId2 = 33;    // the identification block, second read
  // Quarter k (0-3): first read 48 + k, second read 56 + k, and the monitor exchange before
  // the first read 52 + k, before the second 60 + k.
  static constexpr int32_t kQuarter0Read1 = 48;
  static constexpr int32_t kQuarter1Read1 = 49;
  static constexpr int32_t kQuarter2Read1 = 50;
  static constexpr int32_t kQuarter3Read1 = 51;
  static constexpr int32_t kQuarter0Poll1 = 52;
  static constexpr int32_t kQuarter1Poll1 = 53;
  static constexpr int32_t kQuarter2Poll1 = 54;
  static constexpr int32_t kQuarter3Poll1 = 55;
  static constexpr int32_t kQuarter0Read2 = 56;
  static constexpr int32_t kQuarter1Read2 = 57;
  static constexpr int32_t kQuarter2Read2 = 58;
  static constexpr int32_t kQuarter3Read2 = 59;
  static constexpr int32_t kQuarter0Poll2 = 60;
  static constexpr int32_t kQuarter1Poll2 = 61;
  static constexpr int32_t kQuarter2Poll2 = 62;
  static constexpr int32_t kQuarter3Poll2 = 63;
  static constexpr int32_t kQuarterCount = 4;

  // Read: two whole reads compared. Verify: one read compared with params.
  static constexpr int32_t kRead = 64;
  static constexpr int32_t kReadAgain = 65;
  static constexpr int32_t kVerify = 80;
  // Program: the identification block twice, then write and read back. Programming the
  // changed bytes starts at the write.
  static constexpr int32_t kProgramId1 = 96;
  static constexpr int32_t kProgramId2 = 97;
  static constexpr int32_t kProgramWrite = 98;
  static constexpr int32_t kProgramReadBack = 99;
  // Reset the unit; the second also gives the port away afterwards.
  static constexpr int32_t kReset = 128;
  static constexpr int32_t kResetRelease = 129;
};

}  // namespace zeda
