// Chords of typed input: the order of their notes, the seconds whose heads go to the other side
// of the stem, and the columns of their accidentals left of the heads.
#pragma once

#include <cstdint>

namespace layout {

// Arranges the chord of ColumnRecords rows last_row - |span| .. last_row. On the rhythms line
// (InputParserMode 2) it first clears P10, drops P5's fraction and sorts the rows by staff
// position (P4 and P5 travel together; rising for an up stem, falling for a down stem), leaving
// ChordSpreadWord. Then it marks every other note of a run of seconds (P10 = the stem code 10
// or 20) and adds each accidental's offset left of its head to P5 as a fraction (0.240 a
// column, at most 0.899). Uses ChordNoteTable as scratch. A chord of more than kChordNotes
// notes shows "*** Chord of more than 80 notes." and is left as it is; rows outside
// 1..ColumnRecords.count are not touched (the chord is cut to those rows).
void arrange_chord_accidentals(float span, int32_t last_row);

// The gap in thousandths that the accidental of code upper needs right of the accidental of code
// lower, distance staff steps below it: 0 when the codes have no shape (outside 1..5) or the
// distance is beyond the table.
int32_t lookup_accidental_gap(int32_t upper, int32_t lower, int32_t distance);

// For the chords with marked seconds among the chords starting at rows first_row .. end - 1
// (a chord: a note row with P9 of 10 or more and the note rows after it whose P5 is below 10),
// adds 1000 to P9 of each head on the stem's usual side and 100 to the heads that must sit
// beside a displaced one. Reads and writes ColumnRecords; rows past ColumnRecords.count are
// never read.
void set_chord_head_flags(int32_t first_row, int32_t end);

}  // namespace layout
