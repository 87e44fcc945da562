// The layout's builders of typed input: each turns the token list of one line kind
// (input::InputTokenList) into rows of ColumnRecords.
#pragma once

#include <cstdint>

namespace layout {

// Notes line: the note, rest, clef, key, meter and bar rows of the input staff.
void place_input_notes();
// Rhythms line: the durations given to the note rows.
void apply_input_rhythms();
// Beams line: beam rows over the numbered notes.
void make_beams_for_notes();
// Slurs line: slur rows between the numbered notes.
void make_slurs_for_notes();

// Chord arrangement, built with the notes line and shared by the rhythms and beams lines.
// Orders the chord of rows last_row - |span| .. last_row (on the rhythms line), marks its
// seconds and places its accidentals in columns.
void arrange_chord_accidentals(float span, int32_t last_row);
// Records on which side of the stem each head of a chord with seconds sits (P9's hundreds and
// thousands), for the rows first_row .. row_count.
void set_chord_head_flags(int32_t first_row, int32_t row_count);

}  // namespace layout
