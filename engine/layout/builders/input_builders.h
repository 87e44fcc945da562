// The layout's builders of typed input: each turns the token list of one line kind
// (input::InputTokenList) into rows of ColumnRecords.
#pragma once

namespace layout {

// Notes line: the note, rest, clef, key, meter and bar rows of the input staff, spread evenly
// over InputRangeStart..InputRangeEnd (one slot per token, chord members sharing their chord's),
// with staff positions under the clef (StaffClefKinds of the staff, 0 when RegenerateInputFlag
// is set), stems, chords in order of position (written back to InputTokenList) and arranged.
// Writes ColumnRecords, RhythmRowCount, ChordStemCodes, ChordFirstRows, ChordCount,
// SmallNoteSetting and the staff's clef at the line's end in StaffClefKinds.
void place_input_notes();
// Rhythms line: the durations given to the note rows.
void apply_input_rhythms();
// Beams line: beam rows over the numbered notes.
void make_beams_for_notes();
// Slurs line: slur rows between the numbered notes.
void make_slurs_for_notes();

}  // namespace layout
