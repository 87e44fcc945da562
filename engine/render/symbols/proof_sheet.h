// The proof sheet of the glyph set: every symbol number the drawers use, laid out as Code 9
// items on a grid of staves so that a person can look at the whole set at once. The engine
// half only fills the store and says where each number's label goes; a front-end redraws the
// page (redraw_items), paints the graphics list and writes the labels itself.
//
// Tables: ItemStore and its index (core, appended to); StaffTables (layout, through the staff
// step).
#pragma once

#include <cstdint>
#include <vector>

namespace render {

// The symbol numbers drawn by the drawers, in proof-sheet order: clefs, accidentals, heads,
// meter signs, flag, dot, marks, trill, rests, ornaments, the second accidental set, the
// bracket, the sample sheet, the page-frame drawings and the text-glyph range.
std::vector<int32_t> proof_sheet_symbols();

struct ProofSheetCell {
    int32_t symbol = 0;
    int32_t item = 0;      // number of its Code 9 item in the store
    int32_t staff = 0;     // staff (row) it stands on
    float label_x = 0.0f;  // display units: the left end of the label, under the cell
    float label_y = 0.0f;
};

struct ProofSheetLayout {
    std::vector<ProofSheetCell> cells;
    int32_t columns = 0;
    int32_t rows = 0;
    float cell_width = 0.0f;  // display units
};

// Contract: appends the proof sheet to the store (the caller starts from an empty one): per row
// a five-line staff item (staves 1, 2, ...; no number label) and per cell a Code 9 item of one
// symbol, glyph kinds 0..44 at the quarter size the glyph painter uses, text glyphs
// 2000..2179 at the size the text drawer asks for, the rest at size 1. Clefs stand at
// position 0 like a clef item, the others at position 6 (the middle space). Runs the staff
// step so that the label places are known. Stops early, with the cells laid out so far, when
// the store is full. columns below 1 count as 1.
ProofSheetLayout lay_out_proof_sheet(int32_t columns);

}  // namespace render
