#include "engine/layout/input_builders.h"

namespace layout {

// Not built yet: the lines build no rows.
void apply_input_rhythms() {}
void make_beams_for_notes() {}
void make_slurs_for_notes() {}

}  // namespace layout
