#pragma once
// Link job codes; they appear in traces and in the job word shared between threads.
#include <cstdint>

namespace zeda {

inline constexpr int32_t JOB_WRITE = 17;
inline constexpr int32_t JOB_READ = 18;
inline constexpr int32_t JOB_MONITOR = 35;
inline constexpr int32_t JOB_SPECIAL = 65;
inline constexpr int32_t JOB_IDBLOCK = 66;
inline constexpr int32_t JOB_FAILED = 132;
inline constexpr int32_t JOB_DONE = 136;

}  // namespace zeda
