// Tokens of a typed marks line: a mark word and the numbers of the notes it applies to.
#pragma once

#include <cstdint>

namespace input {

// Appends the mark's code x 10000 and its note numbers to InputTokenList; the last number goes
// to InputTokenValue. cursor 1 marks the line's first token.
void parse_mark_token(int32_t& cursor, int32_t ch);

}  // namespace input
