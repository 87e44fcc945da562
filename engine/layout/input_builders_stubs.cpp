#include "engine/layout/input_builders.h"

namespace layout {

// Not built yet: the lines build no rows.
void apply_input_rhythms() {}

}  // namespace layout
