#include "engine/input/input_lines.h"

#include "engine/input/tables.h"

namespace input {

// Contract: reads P(1)..P(3) and RegenerateLinesFlag. Turning items back into input text is
// not built yet: nothing is regenerated and the status is 0, so no input mode starts.
int32_t regenerate_input_lines() { return 0; }

}  // namespace input
