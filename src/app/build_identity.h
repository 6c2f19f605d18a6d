#pragma once
// The unit family this build is made for, fixed at build time.
namespace zeda {

inline constexpr const char* kProductText = "KESTRA2 ZEDA";        // window title
inline constexpr const char* kProductIdentifier = "KESTRA2_RACE";  // status bar
inline constexpr int kOwnRsKey = 107;                              // unit type key
inline constexpr int kOwnSubKey = 0;                               // its sub-version
inline constexpr const char* kBuildDate = "Oct 19 2023";           // "Mmm dd yyyy"
inline constexpr int kProgramVersion = 107;                        // " (v%i)" in the title

}  // namespace zeda
