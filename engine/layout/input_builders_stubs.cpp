#include "engine/layout/input_builders.h"

namespace layout {

// Not built yet: the lines build no rows.
void place_input_notes() {}
void make_beams_for_notes() {}
void make_slurs_for_notes() {}
void arrange_chord_accidentals(float, int32_t) {}
void set_chord_head_flags(int32_t, int32_t) {}

}  // namespace layout
