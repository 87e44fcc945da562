// Slurs and ties of typed input: pairs of note numbers to slur rows (code 5) of ColumnRecords.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/tables.h"

namespace layout {

// The slur being built on one pair: P1..P9 of its row, the pair's rows and numbers, its side.
struct SlurWork {
    core::Array1<float, kColumnWords> p;  // the row (P10..P15 stay 0)
    int32_t first_row = 0;
    int32_t last_row = 0;
    int32_t direction = 20;  // 10 above the notes, 20 below
    bool flagged = false;    // P9 not 0
};

// The height of a slur end at the note of row: above (direction 10) or below (20) the head h,
// reaching past the stem tip when the stem (code s: below 20 up) points that way.
float slur_end_height(int32_t row, int32_t direction, float h, int32_t s);
// A tie end moved off the head at h: 0.5 from an even step, 1.2 from an odd one; down for 20.
float tie_height(float h, int32_t direction);
// Moves a slur end (end) over the articulation mark of row (P11), or, where the end keeps its
// place, moves the mark (P11 + 0.18). s the note's stem code.
void clear_articulation(float& end, int32_t row, int32_t s, const SlurWork& slur);
// Raises (or lowers, direction 20) the slur's bow, or for a flagged slur its ends, so that it
// clears the notes between its rows whose stems point away from it.
void lift_over_inner_notes(SlurWork& slur);

}  // namespace layout
