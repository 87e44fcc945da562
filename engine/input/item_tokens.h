// One token of a typed notes line to its value: notes, chords, rests, clefs, meters, key
// signatures, bars, stems, cue marks and repeats.
#pragma once

#include <cstdint>

namespace input {

// The token at cursor (ch its first character's code) into InputTokenValue; the cursor ends at
// InputTokenEnd, or 0 after a syntax error.
void parse_item_token(int32_t& cursor, int32_t ch);
// CurrentKeyValue from CurrentKeyName (x = 999: only that).
void make_key_signature(int32_t& x);

}  // namespace input
