// The "B" words: "BB" measures the page's items and shows the box as an outline (the print
// job measures its page so, with the print letter R as second mode letter).
//
// Tables: CommandLine, CommandModeLetters (core); ViewOrigin, DisplayMarkWord (render);
// MeasuredBox (layout).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace layout {

// Left, bottom, right, top of the items in display units, as "BB" measured them last, on the
// page as drawn (left and right: view origin x taken off, 2400 added; bottom and top: the
// view's vertical origin added back).
extern core::Array1<int32_t, 4> MeasuredBox;

// Every command word that begins with "B" (but "B=").
void run_measure_command();

}  // namespace layout
