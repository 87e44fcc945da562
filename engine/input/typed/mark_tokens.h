// Tokens of a typed marks line: a mark word and the numbers of the notes it applies to.
#pragma once

#include <cstdint>
#include <string>

namespace input {

// Appends the mark's code x 10000 and its note numbers to InputTokenList; the last number goes
// to InputTokenValue. cursor 1 marks the line's first token.
void parse_mark_token(int32_t& cursor, int32_t ch);

// A word of the marks line that gives the mark code (the short form the line's reader takes),
// for naming a mark in a reply; "N" and the number for a numbered symbol (a negative code).
std::string mark_word(int32_t code);

}  // namespace input
