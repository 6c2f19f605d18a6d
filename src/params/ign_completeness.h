#pragma once
// Tells a cut or hand-shortened .ign file of the current format from a whole one. The
// reader takes such a file silently (missing fields keep the defaults it applied, or their
// previous values); this lists what was missing so the user can be told, and so zedactl can
// refuse to program a partial set.
//
// What a whole file holds is learnt from the writer itself: every keyword it always writes,
// up to "VERSIONS", with the number of values it writes after it. Pure functions, any
// thread.
#include <string>
#include <string_view>
#include <vector>

namespace zeda {

// The keywords the reader takes that are missing from `text`, or that are followed by fewer
// values than the writer writes (a file cut inside a table), in the writer's order.
// Only meaningful for a file of this program's own key.
std::vector<std::string> MissingIgnKeywords(std::string_view text);

// "ADVANCE2, SERVO_ENABLE, ..." (at most `shown` names, then "and N more").
std::string JoinKeywords(const std::vector<std::string>& keywords, size_t shown = 12);

}  // namespace zeda
