#include "engine/edit/line_beats.h"

namespace edit {

// Stand-in: nothing is counted.
void count_line_beats() {}

}  // namespace edit
