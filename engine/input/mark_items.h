// A parsed marks line to note attributes and mark rows.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/tables.h"

namespace input {

// One row of ColumnRecords: an item's P1..P15.
using ColumnRow = core::Array1<float, layout::kColumnWords>;

// Reads InputTokenList (mark codes and note numbers, MarkSideFlags) and the note rows of
// ColumnRecords; writes the notes' mark attributes (P11) and appends the mark rows.
void build_mark_items();
// The offset that keeps a mark of code clear of the note of row and its stem; may flip side
// (codes 66 and 67). offset is left as it came where no rule applies.
void compute_mark_offset(const ColumnRow& row, int32_t code, float& offset, int32_t& side);
// The place 1..6 of code among the marks placed by compute_mark_offset {4, 5, 8, 9, 10, 19};
// 0 when absent or when side is negative.
int32_t find_code_in_table(int32_t code, int32_t side);

}  // namespace input
