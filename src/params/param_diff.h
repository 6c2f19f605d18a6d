#pragma once
// Differences between two parameter sets by field: which field and element, on which page,
// in which unit, and both values as the page shows them. zedactl verify prints this list
// and the window's compare view shows the same one.
//
// Pure functions on images, any thread.
#include <cstdint>
#include <string>
#include <vector>

#include "params/param_fields.h"
#include "params/param_image.h"

namespace zeda {

struct FieldDifference {
  const ParamField* field = nullptr;  // nullptr: a byte outside every field
  int element = 0;                    // element of the field (0 for single fields)
  int address = 0;                    // first image byte of the element
  int group = -1;                     // the page (PageGroup) that holds the field
  int32_t ours = 0;                   // shown value in `ours` (the byte for no field)
  int32_t theirs = 0;                 // shown value in `theirs`
};

// Every field element (and stray byte) where the images differ, in image order. The
// read-out lock (NO_READING) is left out when `skipReadLock`: the unit reports it apart.
std::vector<FieldDifference> DifferencesByField(const ParamImage& ours, const ParamImage& theirs,
                                                bool skipReadLock = true);

// The unit a field's values are shown in ("rpm", "ms", "mV", "deg", ...), "" for none.
const char* FieldUnit(const ParamField& field);

// "ADVANCE[17]" for an element of a table, "BASE_ADV" for a single field, "byte 812" for a
// byte outside every field.
std::string DifferenceName(const FieldDifference& d);

// "ADVANCE[17] (page 3, deg): 12 / 15": name, element, page, unit and both values, with
// `page` the page's caption.
std::string FormatDifference(const FieldDifference& d, const std::string& page);

}  // namespace zeda
