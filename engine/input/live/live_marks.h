// Entry of the marks, beams and slurs lines: typed, by clicks on the note columns (their numbers
// are written) and by palette buttons (their words become the marks line's short words).
#pragma once

#include <cstdint>
#include <string>

namespace input {

// Take the marks line, or the beams or slurs line, into CommandLine. cursor starts at 0 and
// ends at the line's end; length receives the length of each inserted text. They return with
// the line ended by ";", or with "^" (abandon) or "G" as its first character; at once when the
// application closes.
void enter_marks_line(int32_t& cursor, int32_t& length);
void enter_pairs_line(int32_t& cursor, int32_t& length);
// column := the number (from 1) of the note column nearest to (x - the horizontal view origin)
// div 150, as the pairs and marks lines number the columns; 0 when the line has none.
void nearest_column(int32_t& column, float x);
// A palette or typed word as the marks line's short mark word ("5 57" gives "FF", "FNG3" "F3");
// a word the table does not know comes back unchanged.
std::string translate_mark_word(const std::string& given);

}  // namespace input
