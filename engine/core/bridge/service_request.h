// The one gate through which the engine asks the front-end for window services.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/tables.h"

namespace core {

// Turns letter into its tag, hands tag and a copy of block to FrontEndService and copies the
// tag and all 256 words back. A letter without a service (upper-case letters among them) does
// nothing. Letter '0' asks for the client size ("~za") and then sets the scroll sizes ("~sc")
// to INT(P(1)) x INT(P(2)), the client size as page and 20 x 20 as line step.
void request_front_end_service(char letter, ServiceBlock& block);

// The same request for a caller whose block is shorter than 256 words (IntParamBuffer): the
// gate works on a full block and copies back only the caller's N words.
template <int N>
requires(N < 256) void request_front_end_service(char letter, Array1<int32_t, N>& block) {
    ServiceBlock full;
    for (int i = 1; i <= N; ++i) full(i) = block(i);
    request_front_end_service(letter, full);
    for (int i = 1; i <= N; ++i) block(i) = full(i);
}

// The gate's tag buffer as left by the last request: 4 characters, not a C string (the
// front-end zeroes the first when it has served a request; the fourth is always NUL).
const char* last_service_tag();
// The cursor number of the last cursor request that counted (0 at start).
int32_t service_cursor_number();
// Tag buffer and cursor number back to their start-up values.
void reset_service_gate();

// Texts in a block lie as bytes from word first_word on, ended by a NUL (title, path names).
// set_block_text cuts text to leave room for the NUL; block_text reads up to the NUL or the end.
void set_block_text(ServiceBlock& block, std::string_view text, int first_word = 1);
std::string block_text(const ServiceBlock& block, int first_word = 1);

}  // namespace core
