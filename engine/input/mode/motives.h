// The modifiers of a recalled motive: played backward, upside down, moved by diatonic steps or,
// in a rhythms line, rescaled; and the two pitch helpers they share. They work on MotiveText,
// whose first two characters are the motive's name and "[", and whose tokens, separated by
// "/", end at the last "]" among its first 60 characters.
//
// Every modifier returns true when it rewrote the motive. False means the motive cannot be
// changed that way (no closing "]", a pitch that would leave C0..B9, a rhythm that would fall
// below a double whole note or need three digits, a motive that would outgrow its 60
// characters): MotiveText is then exactly as it was and the caller reports a syntax error.
#pragma once

#include <cstdint>
#include <string_view>

namespace input {

// The motive's tokens in reverse order, the notes of a chord kept together ("'" becomes ":").
// position is the column of the "@" in CommandLine: a "$" two columns after it also inverts.
bool reverse_motive(int32_t position);
// The motive's pitches mirrored around its first pitch; accidentals stay as written, rests and
// bars are left alone. A "-" two columns after the "@" at position also reverses the motive.
bool invert_motive(int32_t position);
// step := the diatonic step of the note letter (C 1 .. B 7) + 7 x octave.
void pitch_step(int32_t letter, int32_t& step, int32_t octave);
// The first digit among the three characters after column start of text (1-based columns),
// before the token's end ("/", ":", "]" or "X"): digit its value, position its column. False
// (digit and position 0) when there is none.
bool find_octave_digit(std::string_view text, int32_t start, int32_t& digit, int32_t& position);
// In a rhythms line (InputParserMode 2) every token's rhythm divided by ParamBuffer P2; in any
// other line every pitch moved by MotiveStepShift diatonic steps (which then becomes 0).
bool rhythm_letters();

}  // namespace input
