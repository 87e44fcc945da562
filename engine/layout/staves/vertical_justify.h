// Vertical justification of staves ("VJ"): the drawn page is measured as profiles (the
// highest and lowest drawn point of every staff in 101 slices of the page) and the staff items'
// P4 move so that neighbouring staves keep a clearance between their material and a least
// gap between their lines.
//
// Tables: ParamBuffer, CommandModeLetters, MacroUnit, the item store, ChangesMadeFlag (core);
// GraphicsList, ItemOutputSpans, OutputPassWord, ViewOrigin (render); StaffTables,
// MaxStaffNumber (layout).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/tables.h"

namespace layout {

// P2 clearance in steps of the smaller staff (0 opens the Vertical Justify dialog), P3 window
// in slots (0: 4), P4 least line gap in steps (0: 12.0), P5 first staff (1), P6 number of
// staves (0: all). A page with one staff number gets "Multiple staves not found. Cannot do
// VJ." and nothing changes; a cancelled dialog changes nothing. Otherwise the staff items of
// the staves above the first touched one get their P4 moved (shifts below 0.2 steps are
// dropped), the staff tables are rebuilt and the page is redrawn. A command file is set aside
// for the duration. Writes ParamBuffer P2..P4 (0 at the end), ChangesMadeFlag.
void justify_staves_vertically();

// One staff's profile: slots 0..100, y + 290000; empty slots hold -400000 (top) or 400000
// (bottom).
using StaffProfile = core::ArrayRange<int32_t, 0, 100>;
constexpr int32_t kEmptyTop = -400000;
constexpr int32_t kEmptyBottom = 400000;
constexpr int32_t kNoCommonSlot = 99999;

// The profiles of every staff, with the staves that were touched.
struct StaffProfilesRecord {
    core::Array1<StaffProfile, kMaxStaves> top;
    core::Array1<StaffProfile, kMaxStaves> bottom;
    core::Array1<uint8_t, kMaxStaves> touched;
    int32_t lowest = 0;   // lowest touched staff (0: none)
    int32_t highest = 0;  // highest touched staff
};

// Empties every profile and the touched marks.
void clear_staff_profiles(StaffProfilesRecord& profiles);

// Adds the drawing of item k (its GraphicsList entries from ItemOutputSpans) to the profiles of
// its staff: every segment of one path raises the tops and lowers the bottoms of the slots it
// crosses (y interpolated at each slot). A staff item's guide line does not count. An item
// whose staff lies outside 1..256 or that drew nothing adds nothing; segments wholly left of
// the view or beyond 30000 units are passed over.
void add_item_to_staff_profiles(int32_t k, StaffProfilesRecord& profiles);

// The smallest vertical distance from the upper staff's bottom profile to the lower staff's
// top profile over slots within window of each other; 99999 when they share none.
int32_t min_staff_distance(const StaffProfile& top_of_lower, const StaffProfile& bottom_of_upper,
                           int32_t window);

}  // namespace layout
