#include "engine/input/tables.h"

namespace input {

// ---- new items by name ------------------------------------------------------------------------

void reset_input_tables() {
    // new items by name
}

}  // namespace input
