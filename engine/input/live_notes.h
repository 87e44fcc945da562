// Live entry of a notes line: the user builds the line in CommandLine one key, click or palette
// command at a time, and every finished token is shown on the page at once.
#pragma once

#include <cstdint>

namespace input {

// Takes the notes line into CommandLine. first is not read; work receives the length of each
// command text taken in. On return the line ends with ";", or CommandLine(1) is "!" (the input
// was abandoned), or SecondLine reads "MIDI" (MIDI keyboard input was asked for). Returns at
// once, the store as it is, when the application closes (ApplicationClosingWord).
void parse_note_input(int32_t first, int32_t& work);
// Writes the clef token of InputStaff's last clef ("-TR/", "-BA/", "-AL/", "-TE/") after
// cursor in CommandLine and moves cursor on by 3; nothing when the staff has no clef.
void write_staff_clef_token(int32_t& cursor);
// Appends times - 1 copies of the last source columns of the page; source becomes 999 when the
// page holds fewer columns.
void repeat_columns(int32_t& source, int32_t times, int32_t position);

}  // namespace input
