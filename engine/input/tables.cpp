#include "engine/input/tables.h"

namespace input {

// ---- new items by name ------------------------------------------------------------------------

// ---- input lines ------------------------------------------------------------------------------

int32_t RegenerateLinesFlag = 0;

void reset_input_tables() {
    // new items by name

    // input lines
    RegenerateLinesFlag = 0;
}

}  // namespace input
