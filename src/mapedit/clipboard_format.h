#pragma once
// Sizes of the table clipboard texts.
namespace zeda {

// Each clipboard item of CopyTable is built in a buffer of this size (terminator included);
// what does not fit is cut.
inline constexpr int kClipBufferSize = 9000;
// Longest string-view caption copied for a breakpoint.
inline constexpr int kClipCaptionMax = 63;

}  // namespace zeda
