// Vertical justification of staves ("VJ"): the drawn page is measured as profiles (the
// highest and lowest drawn point of every staff in 101 slices of the page) and the staff items'
// P4 move so that neighbouring staves keep a clearance between their material and a least
// gap between their lines.
//
// Tables: ParamBuffer, CommandModeLetters, MessageLine, the item store, ChangesMadeFlag
// (core); GraphicsList, ItemOutputSpans, OutputPassWord, ViewOrigin (render); StaffTables,
// MaxStaffNumber (layout).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace layout {

// P2 clearance (0 opens the Vertical Justify dialog), P3 window in slots (4), P4 least line
// gap in steps (12.0), P5 first staff (1), P6 number of staves (200).
void justify_staves_vertically();

// One staff's profile: slots 0..100, y + 290000; empty slots hold -400000 (top) or 400000
// (bottom).
using StaffProfile = core::ArrayRange<int32_t, 0, 100>;

// The smallest vertical distance from the upper staff's bottom profile to the lower staff's
// top profile over slots within window of each other; 99999 when they share none.
int32_t min_staff_distance(const StaffProfile& top_of_lower, const StaffProfile& bottom_of_upper,
                           int32_t window);

}  // namespace layout
