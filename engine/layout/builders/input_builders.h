// The layout's builders of typed input: each turns the token list of one line kind
// (input::InputTokenList) into rows of ColumnRecords.
#pragma once

#include <cstdint>

namespace layout {

// The staff a note of staff is drawn on when its P12 sends it to the other staff of a pair (1
// the staff above, staff + 1; 2 the one below, staff - 1); 0 when it is not sent or that staff
// is off the page's range.
int32_t sent_note_staff(int32_t staff, float p12);
// The step offset (a level's step is the offset plus the level, treble 0, bass -12) under
// which a note sent to the staff to at position takes its level: the last clef on that staff at
// or before the position, or, when it has none yet, the clef the input keeps for it.
int32_t sent_note_step_offset(int32_t to, float position);

// Notes line: the note, rest, clef, key, meter and bar rows of the input staff, spread evenly
// over InputRangeStart..InputRangeEnd (one slot per token, chord members sharing their chord's),
// with staff positions under the clef (StaffClefKinds of the staff, 0 when RegenerateInputFlag
// is set; a note sent to the other staff under that staff's clef), stems, chords in order of
// position (written back to InputTokenList) and arranged. Writes ColumnRecords, RhythmRowCount,
// ChordStemCodes, ChordFirstRows, ChordCount, SmallNoteSetting and the staff's clef at the line's
// end in StaffClefKinds.
void place_input_notes();
// Rhythms line: the durations given to the note rows.
void apply_input_rhythms();
// Beams line: beam rows over the numbered notes.
void make_beams_for_notes();
// Slurs line: slur rows between the numbered notes.
void make_slurs_for_notes();

}  // namespace layout
