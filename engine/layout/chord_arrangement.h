// Arranging a chord of typed input: its notes in order of position, seconds to the other side
// of the stem, accidentals in columns. The beams line calls it again for a chord whose stem
// changes side.
#pragma once

#include <cstdint>

namespace layout {

// Arranges the chord of span + 1 rows ending at row last_row of ColumnRecords.
void arrange_chord_accidentals(float span, int32_t last_row);
// Records on which side of the stem each head of the chords from row first_row to row
// row_count sits (P9's hundreds and thousands).
void set_chord_head_flags(int32_t first_row, int32_t row_count);

}  // namespace layout
