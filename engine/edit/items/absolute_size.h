// Item sizes as the user sees them: the stored size is relative to the staff's size and may
// carry a multiple of 100 as a flag; the absolute size is the stored size without the flag
// times the staff size.
#pragma once

#include <cstdint>

namespace edit {

// The size of staff s: StaffScale(s) / 25, 1.0 when the scale is 0 or s lies outside 0..256.
float staff_size(int32_t staff);

// Reports or sets the absolute size of an item. The first min(count, 50) of params (count 0
// means 50; a negative count copies none) are the item's P1..; index receives the number of its
// size parameter (0 for codes without one: 4, 5, 6, 17 and codes below 1, which do nothing).
// value 0.0 shows "*** Absolute size =" with the staff size in a message box; any other value
// is a new absolute size: result (and value) become the stored form, the hundreds flag of the
// stored size carried over (not for staves), or with mode 99 the point form value / (s x
// 13.56). A code-12 item with P5 >= 0 and P7 != 0 also gets EditScratch slot 7 scaled in
// proportion. Reads StaffTables; writes EditScratch(7) only as said.
void report_absolute_size(const float* params, float& value, float& result, int32_t& index,
                          int32_t count, int32_t mode);

}  // namespace edit
