#include "engine/input/live_rhythms.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"

namespace input {

// Stand-in until the live entry is built: one command text is the whole line.
void enter_rhythm_line(int32_t first, int32_t& work) {
    core::wait_for_input_key_or_command();
    core::CommandLine = core::SecondLine;
    work = core::CommandLine.trimmed_length();
}
void clear_item_rhythm(int32_t item) {}

}  // namespace input
