// The character reader and the fault report that every parser of typed music shares.
#pragma once

#include <cstdint>
#include <string_view>

namespace input {

// The character at position p of CommandLine; a blank outside the line.
char line_at(int32_t p);
// Moves cursor on by one and then over blanks; ch takes the character code there (a blank past
// the line's end). True when the cursor has reached or passed end (the token is exhausted).
bool next_non_blank(int32_t& ch, int32_t& cursor, int32_t end);
// A fault at cursor: the line's values are dropped (InputTokenList back to InputItemMark),
// InputParseStatus = cursor + 1, "*** Syntax Error ***  " and the line's first 140 characters
// are shown, and cursor becomes 0. CommandLine stays as typed.
void syntax_error(int32_t& cursor);
// The same, with note shown on a line of its own after the line (what was wrong with it).
void syntax_error(int32_t& cursor, std::string_view note);

}  // namespace input
