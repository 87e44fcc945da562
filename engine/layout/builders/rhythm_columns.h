// Rhythm columns of one staff: every horizontal position where something starts, with the time
// to the next column, read from the sorted item store; and the spacing staff's list that the
// rhythms line of the typed input aligns to.
// Tables: ItemStore and its index, ItemCursor (core); SpacingStaff, SpacingList,
// InputRangeStart, InputRangeEnd, GraceSpacingDone (layout); PageExtent (render).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/tables.h"

namespace layout {

// Columns one walk returns at most; the lists hold two more for the spacing list's closing
// entries.
constexpr int32_t kRhythmColumnLimit = kInputRows;
using RhythmColumnList = core::Array1<float, kInputRows + 2>;

// The columns of one staff, read in store order (the store is sorted by staff and position):
// positions(i) and durations(i) for i = 1..count, the duration in quarters to the next column,
// or a negative mark for a column holding no note or rest: -3 clef, -14 bar line (-140 when its
// P12 is above 0 with 12 or more parameters), minus the code for codes 17 and above, -64 a note
// or rest of 64 quarters or more. `item` comes in as the item to start from and goes out as the
// first item after the staff's items (or the higher staff's first item when the staff has
// none). `count` in: non-zero skips notes of 64 quarters or more; out: the columns (0 when the
// total is 0). `total` is the sum of the positive durations, also left in ItemCursor.position.
// Positions within 0.01 of 0 (and the staff's last item within 0.01 of 200) are made exact in
// the store too. A grace item clears GraceSpacingDone. A staff with more than
// kRhythmColumnLimit columns keeps the first kRhythmColumnLimit; notes still sounding at a
// column are kept in the walk's own bounded list.
void walk_staff_rhythm(int32_t& item, float staff, int32_t& count, RhythmColumnList& positions,
                       RhythmColumnList& durations, float& total);

// 1 when the record whose count word is at ItemStore word `start` has P14 != 0 with 14 or more
// parameters, or P15 != 0 with 15 or more; else 0. A start word outside the store gives 0.
int32_t has_item_offset(int32_t start);

// Whether the record at ItemStore word `start` is a meter (code 18, more than 3 parameters)
// moved off its place: |P4 x P7| > 2.0, P7 counting 1.0 when missing or 0.
bool is_displaced_meter(int32_t start);

// Builds SpacingList from the spacing staff (SpacingStaff; none above 256 or below 1): the
// walk's columns, a closing bar line at PageExtent unless the staff ends in one, the durations
// turned into the positions strictly proportional spacing would give, and one closing entry
// (E, E). InputRangeStart / InputRangeEnd become the first column and E. A staff with no
// columns (or a total of 0) leaves SpacingList.count 0 and the input range alone.
void append_spacing_end_marker();

}  // namespace layout
