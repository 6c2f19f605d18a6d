#pragma once
// Verdicts that must stay on screen until the user acts: a refused unit and programming cut
// off by the loss of the link. They outrank the 2 s results (priority 10), so the
// machine's later progress texts cannot wipe them; the window clears them when the next
// operation starts or another unit connects.
//
// Texts are LangStrings ("###English##German##Czech"); constants only, any thread.
#include <cstdint>
#include <string>

namespace zeda {

inline constexpr int32_t kPriorityVerdict = 50;

// "Programming interrupted: the unit may hold part of the new settings. ..."
const char* InterruptedText();

// True when a unit that told its key and version (key >= 0) is not the one this program
// is made for.
bool UnitRefused(int key, int version);
// "IGN-107.01: this program needs 107.00" in the three languages.
std::string RefusalReason(int key, int version);
// The panel-4 text of a refused unit, as the monitor hand-over writes keyCheckText:
// "Unmatched subversion of PC and Ignition programs!  PC-107.00, IGN-107.01".
std::string MismatchText(int key, int version);

}  // namespace zeda
