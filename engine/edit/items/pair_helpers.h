// Small builders and arithmetic of the pair list: every parameter change of the editor is a list
// of (P#, value) pairs in ParamBuffer, ended by a P# of 0, that apply_edit_line applies.
#pragma once

#include <array>
#include <cstdint>

namespace edit {

// Turns the EditScratch slots 1..33 that hold a value (not kNotGiven) into pairs (slot, value)
// from ParamBuffer P1 on and ends the list with a P# of 0; EditScratchCount becomes the last
// slot packed (unchanged when none was). Slots 34 and above are never packed, and at most 27
// pairs are (all that ParamBuffer holds with the end mark).
void pack_parameter_pairs();

// Sets EditScratch slots a..b to 0.0 (nothing when b < a; slots outside 1..50 are skipped).
void clear_parameters(int32_t a, int32_t b);

// The decimal digits of INT(value) (hundreds = v / 100, tens = (v mod 100) / 10, units = v mod
// 10, all truncating, so negative for a negative value) and rest = value mod 1.0.
void split_value_digits(int32_t& hundreds, int32_t& tens, int32_t& units, float& rest, float value);

// Appends at the pair cursor i (the P# slot of the next pair, i >= 3) the pair (k, the previous
// pair's value x EditItemParams(k) / EditItemParams(k - 1)), E(k - 1) counting as 1.0 when it
// is 0.0; i grows by 2. k must lie in 2..50.
void scale_pair_value(int32_t k, int32_t& i);

// A relative change d of P4 on a cue-size note or small clef (|e4| >= 100, the hundreds mark
// the cue): returns the new P4. A change of magnitude 100 or more removes the mark; a smaller
// one keeps it, moving the mark to the side of the new step when the step crosses zero
// (105 - 1 = 104, 105 - 7 = -102, 102 - 3 = -101).
float keep_cue_offset(float e4, float d);

// P4 of an item of the code after a relative step d, by the editor's rule: notes, rests, clefs
// and beams (codes 1, 2, 3, 6) whose hundreds mark the cue size step as keep_cue_offset says;
// every other P4 takes d plainly. Shared by the parameter line and the box's step moves.
float stepped_level(int32_t code, float p4, float d);

// The heights a vertical step moves besides P4, by the editor's rule for the part being moved
// (end_mode as EndMoveMode: 0 the whole item, 1 the left end, 2 the right end): the right end's
// height P5 of codes 4 to 6 unless it is 999.0 (a hairpin, or a line or slur without a right
// height of its own), and for the whole of a drawn line (code 4, P7 = 100) the heights P9, P11
// .. P17 of its points. Every other code has no further height. Ends with a 0 entry.
using StepHeights = std::array<int32_t, 8>;
StepHeights further_step_heights(int32_t code, float p5, float p7, int32_t end_mode);

}  // namespace edit
