#pragma once
// The texts the device operations show (LangStrings: "###English##German##Czech").
namespace zeda {

enum class OpText : int {
  NoConnection,
  Checking,
  CheckingOk,
  CheckingError,
  Read,
  ReadError,
  Verify,
  VerifyOk,
  VerifyCorrected,
  VerifyError,
  NoReading,
  Program,
  Saving,
  ProgramOk,
  Identical,
  Different,
  NothingToProgram,
  VersionMismatch,
  SubversionMismatch,
  ResetError,
  CommandDropped,
  AutoProgramNewInstal,
  AutoProgramOtherBike,
  COUNT_
};

// The LangString of a text; lives for the whole run.
const char* DeviceText(OpText text);

}  // namespace zeda
