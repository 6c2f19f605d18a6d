#pragma once
// The Race page's per-gear groups laid out as tables: one row per gear with its label
// ("0-1 ", "2" .. "6") in front, one column per setting with its caption on top, so that
// every up-down is found by its gear and its setting (and a screen reader names both).
// The page builder stacks a group's controls one per line; this rearranges the two
// groups once, after the page was built. The controls keep their names, so the binder,
// the refresh rules and the gear tick reach them as before.
//
// Thread contract: window thread only.
class QWidget;

namespace zeda {

// Rearranges GroupBoxClutchTime and GroupBoxGearKor under `page`; a group that is not
// there is left alone.
void ArrangeRaceGrids(QWidget* page);

}  // namespace zeda
