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

// The rows that the typed-input builders fill and the input mode stores as items: one item's
// P1..P15 per row, at most kColumnRows rows, then a terminating row of zeros; the 12-character
// token that the typed-token routines read. Appended through append_column_row only.
constexpr int32_t kColumnRows = 200;
constexpr int32_t kColumnWords = 15;
struct ColumnRecordsRecord {
    // rows(r)(w): row r (1..kColumnRows + 1), word w (1..15).
    core::Array1<core::Array1<float, kColumnWords>, kColumnRows + 1> rows;
    int32_t count = 0;
    core::FixedText<12> token;
};
extern ColumnRecordsRecord ColumnRecords;
// Appends P1..P15 of ParamBuffer-like values as the next row (the terminating row after it
// stays zero). False, and nothing written, when kColumnRows rows are in use already.
bool append_column_row(const core::Array1<float, kColumnWords>& row);

void reset_layout_tables();

}  // namespace layout
