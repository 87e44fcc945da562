#include "engine/input/live_notes.h"

#include "engine/core/console_bridge.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace input {

// Stand-in until the live entry is built: one command text is the whole line.
void parse_note_input(int32_t first, int32_t& work) {
    core::wait_for_input_key_or_command();
    core::CommandLine = core::SecondLine;
    work = core::CommandLine.trimmed_length();
}
void write_staff_clef_token(int32_t& cursor) {}
void repeat_columns(int32_t& source, int32_t times, int32_t position) { source = 999; }

}  // namespace input
