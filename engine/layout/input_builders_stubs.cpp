#include "engine/layout/input_builders.h"

namespace layout {

// Not built yet: the lines build no rows.
void place_input_notes() {}
void apply_input_rhythms() {}

}  // namespace layout
