// Tokens of a typed rhythms line, and the number pairs of the beams and slurs lines.
#pragma once

#include <cstdint>

namespace input {

// The rhythm token at cursor (ch its first character's code): a duration in quarters (+ 1000 per
// dot for a single duration) into InputTokenValue.
void parse_rhythm_token(int32_t& cursor, int32_t ch);
// A pair of note numbers (the first appended to InputTokenList, the second into
// InputTokenValue), or a beat grouping (cursor 999), or 0 when no beat fits the meter.
void parse_pair_token(int32_t& cursor);

}  // namespace input
