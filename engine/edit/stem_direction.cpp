#include "engine/edit/stem_direction.h"

namespace edit {

// Stand-ins until the stem command is built.
void zoom_to_fit() {}
void run_stem_direction_command() {}

}  // namespace edit
