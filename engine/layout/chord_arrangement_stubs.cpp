#include "engine/layout/chord_arrangement.h"

namespace layout {

// Not built yet: a chord keeps the arrangement it has.
void arrange_chord_accidentals(float /*span*/, int32_t /*last_row*/) {}
void set_chord_head_flags(int32_t /*first_row*/, int32_t /*row_count*/) {}

}  // namespace layout
