// Live entry of a rhythm line: each finished rhythm token is applied at once to the next column
// of notes on the page.
#pragma once

#include <cstdint>
#include <string>

namespace input {

// The tokens one rhythm line keeps for Backspace, and the columns one repeat copies from.
constexpr int32_t kRhythmHistoryLimit = 200;
constexpr int32_t kRepeatSourceLimit = 200;

// Takes the rhythm line into CommandLine. first is not read; work receives the length of each
// command text taken in (the line cursor less 1 when the line ends by itself). On return the
// line ends with ";" and CR LF, or CommandLine(1) is "!" (abandoned), or SecondLine reads
// "MIDI". Returns at once when the application closes.
void enter_rhythm_line(int32_t first, int32_t& work);
// Item item loses its rhythm (P4 and P8 modulo 100, P6 and P9 0, a rest's P5 0) and its staff
// position is drawn again.
void clear_item_rhythm(int32_t item);
// An "X s c" token of the rhythm line: the last s columns that have a rhythm are copied c - 1
// times onto the next columns (rhythm words only). False, with a message, when s is too big.
bool repeat_rhythm_columns(const std::string& token);
// An "@" token of the rhythm line at line positions at..end: the motive's rhythms applied in
// turn. False when the motive cannot be read or a rhythm is refused.
bool recall_rhythm_motive(int32_t at, int32_t end);
// A rhythms line that is one rhythm and ";" ("Q;", "Q.;", not "@A;") as that rhythm repeated
// on every column of the notes line ("QX12;"), whether typed or read from a file; any other
// line comes back as it is.
std::string repeat_lone_rhythm(const std::string& line);

}  // namespace input
