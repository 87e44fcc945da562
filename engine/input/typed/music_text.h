// A typed line of music to its token list: the pre-pass, the item loop with its repeats, and the
// parser driver that finds each token and hands it to the token parser of the line kind.
#pragma once

#include <cstdint>
#include <string_view>

namespace input {

// The line in CommandLine, ended: first = 1 empties InputTokenList first; on return first is 1
// when the line's ";" was met, and cursor the position of that ";". The builder of the line kind
// then runs. Result in InputParseStatus.
void prepare_input_line(int32_t& first, int32_t& cursor);
// Where a line longer than an input line ends: at its first ";" within the first 384
// characters, else at its last "/" within the first 385 (which then stands for the ";"); 0 when
// it has neither. Positions are 1-based.
int32_t long_line_end(std::string_view line);
// Tells that the line of the kind being entered was longer than an input line: it ends at
// position end (0: it ends nowhere and is refused), and left_out was dropped.
void report_long_line_cut(int32_t end, std::string_view left_out);
// 1 when the live entry refused the line it was handed whole because it passed 384 characters
// (see refuse_overfull_line): the line was named, and is left out from a script or asked again.
// 0 when a line is asked for.
extern int32_t InputLineRefused;
// A live entry's line (kept, text the piece that did not fit) would pass its 384 characters.
// Keys that come one by one (the window) are told so once a line (told) and the line stays,
// full; a line handed over whole (the console's typed or piped line) is refused whole, named
// once, its untaken keys dropped with it: cut short it would mark, beam or tie other notes than
// the ones written. True when refused (InputLineRefused 1).
bool refuse_overfull_line(std::string_view kept, std::string_view text, bool& told);
// Names a line of the kind being entered that passed its 384 characters as refused whole
// (left_out: from a script, it is not asked again), whole as the user wrote it.
// InputLineRefused becomes 1.
void name_refused_long_line(std::string_view whole, bool left_out);
// The tokens from position on, each pushed (with its repeats) onto InputTokenList.
void input_item_loop(int32_t& complete, int32_t& cursor, int32_t& position);
// One token from cursor: the driver moves cursor past it (0 after a syntax error); complete
// becomes 1 when the token ended at ";".
void parse_music_text(int32_t& cursor, int32_t& complete);

}  // namespace input
