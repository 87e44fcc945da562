// One token of a typed notes line to its value: notes, chords, rests, clefs, meters, key
// signatures, bars, stems, cue marks and repeats.
#pragma once

#include <cstdint>

namespace input {

// The token at cursor (ch its first character's code) into InputTokenValue; the cursor ends at
// InputTokenEnd, or 0 after a syntax error.
void parse_item_token(int32_t& cursor, int32_t ch);
// The bar code after one more letter of an M word: "D" or "M" 100, then 200, then 500; "H" 200,
// "L" 300, "R" 400, "S" 700, "I" 900. -1 when the letter names no bar. The typed bar and the bar
// drawn while typing both follow it.
int32_t next_bar_code(int32_t code, char letter);
// CurrentKeyValue from CurrentKeyName (x = 999: only that).
void make_key_signature(int32_t& x);

}  // namespace input
