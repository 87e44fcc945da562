// The layout's builders of typed input: each turns the token list of one line kind
// (input::InputTokenList) into rows of ColumnRecords.
#pragma once

namespace layout {

// Notes line: the note, rest, clef, key, meter and bar rows of the input staff.
void place_input_notes();
// Rhythms line: the durations given to the note rows.
void apply_input_rhythms();
// Beams line: beam rows over the numbered notes.
void make_beams_for_notes();
// Slurs line: slur rows between the numbered notes.
void make_slurs_for_notes();

}  // namespace layout
