#pragma once
// The three overlays every map table shows (base advance, limiter, start limiter) and the
// image fields behind them: handed to the tables when pages load, taken back when a table
// reports a change. Thread contract: main thread only.
#include "mapedit/table_set.h"
#include "params/param_image.h"

namespace zeda {

// Gives every table the overlays of the image at once, as what it was given. Called after
// every page load, so that no table keeps an older limiter or base advance that a later map
// edit would write back over a change made on another page.
void HandOverlays(TTableSet& set, const ParamImage& img);

// The first step of a table's change report: each overlay the table changed (it differs
// from what the table was given) goes into the image, brought into its field's range first
// (a base advance stepped below 0 stays 0 instead of wrapping to 255 and being read as 40).
// Every overlay written asks all tables for a re-render with the new value.
void TakeOverlaysIntoImage(TTableSet& set, const TTab& t, ParamImage& img);

}  // namespace zeda
