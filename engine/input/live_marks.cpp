#include "engine/input/live_marks.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"

namespace input {

// Stand-ins until the live entry is built: one command text is the whole line.
void enter_marks_line(int32_t& cursor, int32_t& length) {
    core::wait_for_input_key_or_command();
    core::CommandLine = core::SecondLine;
    cursor = core::CommandLine.trimmed_length();
    length = cursor;
}
void enter_pairs_line(int32_t& cursor, int32_t& length) { enter_marks_line(cursor, length); }
void nearest_column(int32_t& column, float x) { column = 0; }

}  // namespace input
