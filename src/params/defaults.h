#pragma once
// The default parameters of this unit family: "New", "New for actual page", the defaults
// applied between the two passes of a file load, and the program's start image.
#include "params/param_image.h"

namespace zeda {

// Default values for the selected groups (the ordered list of defaults, with the power
// output defaults, the servo tables of the preset and the inputs). Uses the groups as set.
void ApplyDefaultValues(ParamImage& img, const PageGroups& groups);

// Defaults for a page selection (page 0-9, or -1 for all pages): sets `groups` for the page,
// applies the default values (skipped when BIKE is 255 and was just chosen by hand), clears
// the synchronisation and applies the engine preset of BIKE. Clears `bikeChangedByHand`.
// The caller redraws the map editors.
void ApplyDefaultsForPage(ParamImage& img, PageGroups& groups, int page, bool& bikeChangedByHand);
void ApplyDefaultsForPage(ParamImage& img, PageGroups& groups, int page);

// The question "New" asks before it resets anything.
inline constexpr const char* kNewQuestion = "Do you want default setting?";
enum class NewAnswer { Yes, No, Cancel };

// "New" (page -1) and "New for actual page" (the active page) at the level of the core:
// with any answer but Yes nothing changes and false is returned; otherwise the defaults for
// the page selection are applied to buffers.params, the image is normalised and true is
// returned. The caller then reloads the page, commits, and clears the current file name.
bool NewParams(ImageBuffers& buffers, int page, NewAnswer answer);

// The image the program starts with when it has nothing stored: a zero image with BIKE 7,
// the defaults of all pages, normalised. zedactl and the simulator use it as factory memory.
ParamImage StartImage();

}  // namespace zeda
