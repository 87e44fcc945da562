// Live entry of a rhythm line: each finished rhythm token is applied at once to the next column
// of notes on the page.
#pragma once

#include <cstdint>

namespace input {

// Takes the rhythm line into CommandLine. first is not read; work receives the length of each
// command text taken in (the line cursor less 1 when the line ends by itself). On return the
// line ends with ";" and CR LF, or CommandLine(1) is "!" (abandoned), or SecondLine reads
// "MIDI". Returns at once when the application closes.
void enter_rhythm_line(int32_t first, int32_t& work);
// Item item loses its rhythm (P4 and P8 modulo 100, P6 and P9 0, a rest's P5 0) and its staff
// position is drawn again.
void clear_item_rhythm(int32_t item);

}  // namespace input
