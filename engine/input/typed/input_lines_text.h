// The text of a staff range written back as typed input: the five lines the input mode reads
// (notes, rhythms, marks, beams, slurs), each a run of tokens ended by "/" and closed by ";".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace input {

struct InputLinesText {
    std::string notes;      // line A
    std::string rhythms;    // line B
    std::string marks;      // line C
    std::string beams;      // line D
    std::string slurs;      // line E
    int32_t converted = 0;  // items that went into a token
};

// Writes the items (item numbers, in store order, all of one staff) as typed input lines: notes,
// rests, clefs, bar lines, key signatures and meters in the order of items; symbols, hairpins,
// octave and trill lines, beams and slurs in the order of second_pass_items (the same items, in
// the order the lines must make them again).
// left and right are the first and last positions of the range (the neighbours of the first
// and last note column when a mark's position is turned into a note index); clef_kind is the
// clef in force at the left edge (0 treble, 1 bass, 2 alto, 3 tenor, 4 percussion; any other
// value counts as treble). Reads the item store only. The lines are returned whole, however
// long they grow: the caller decides whether they fit.
InputLinesText write_input_line_text(const std::vector<int32_t>& items,
                                     const std::vector<int32_t>& second_pass_items, float left,
                                     float right, int32_t clef_kind);

// The rhythm token of a note or rest (code, P6, P7, P9 and its parameter count n): "G" for a
// grace value (32 quarters or more), a letter for the common values, else the denominator of
// the value in digits; one "." per dot; no trailing "/".
std::string rhythm_token(int32_t code, int32_t n, float p6, float p7, float p9);

}  // namespace input
