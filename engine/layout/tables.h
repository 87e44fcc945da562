// The shared tables of notation layout: where each staff sits and how large it is.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace layout {

constexpr int kMaxStaves = 256;

// One entry per staff number 1..256, written by the staff step (staff_positions.cpp) during
// every page redraw and index rebuild; read by every drawer to place items.
struct StaffTablesRecord {
    // 25 x the staff's size; element 0 holds the scale of CurrentStaff.
    core::ArrayRange<float, 0, kMaxStaves> StaffScale;
    core::Array1<int32_t, kMaxStaves> StaffBaseY;    // display y of step 0
    core::Array1<int32_t, kMaxStaves> StaffMiddleY;  // display y of step 7
    core::Array1<int32_t, kMaxStaves> StaffLineWidthCode;
    // The staff item's colour P26; kept apart from MaxStaffNumber so that one cannot change
    // the other.
    core::Array1<float, kMaxStaves> StaffColour;
    int32_t CurrentStaff = 0;
};
extern StaffTablesRecord StaffTables;

// Highest staff number an item may have (256).
extern int32_t MaxStaffNumber;

// 1 (the start) = invisible items (hidden staves among them) are shown on screen, -1 = hidden.
// The editing commands' "INVI" switch will own this word; until then only tests change it.
extern int32_t ShowInvisibleItems;

void reset_layout_tables();

}  // namespace layout
