// Small rules of where marks and slur ends stand at a note: shared by the marks line (music
// input), the slur and beam builders of typed input (layout) and the slur-end fitting of the
// editing commands.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/tables.h"

namespace layout {

// The offset that keeps a mark of code clear of the note of row (an item's P1..P15: P4 its
// position, P5 modulo 100 of 20 or more a down stem) and its stem; may flip side (codes 66 and
// 67). offset is left as it came where no rule applies.
void compute_mark_offset(const core::Array1<float, kColumnWords>& row, int32_t code, float& offset,
                         int32_t& side);
// The place 1..6 of code among the marks placed by compute_mark_offset {4, 5, 8, 9, 10, 19};
// 0 when absent or when side is negative.
int32_t find_code_in_table(int32_t code, int32_t side);
// An odd whole height moves to the even one beside it: up in mode 10 (not above 11), down in any
// other mode (not below 3). Other values come back unchanged.
float make_position_even(float x, int32_t mode);

}  // namespace layout
