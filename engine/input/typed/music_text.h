// A typed line of music to its token list: the pre-pass, the item loop with its repeats, and the
// parser driver that finds each token and hands it to the token parser of the line kind.
#pragma once

#include <cstdint>

namespace input {

// The line in CommandLine, ended: first = 1 empties InputTokenList first; on return first is 1
// when the line's ";" was met, and cursor the position of that ";". The builder of the line kind
// then runs. Result in InputParseStatus.
void prepare_input_line(int32_t& first, int32_t& cursor);
// The tokens from position on, each pushed (with its repeats) onto InputTokenList.
void input_item_loop(int32_t& complete, int32_t& cursor, int32_t& position);
// One token from cursor: the driver moves cursor past it (0 after a syntax error); complete
// becomes 1 when the token ended at ";".
void parse_music_text(int32_t& cursor, int32_t& complete);

}  // namespace input
