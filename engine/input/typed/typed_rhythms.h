// Rhythm tokens applied to notes already entered: each token gives the next column (a note, a
// rest or a chord) its head, flags and dots and draws it; "X" tokens give a rhythm to several
// columns or write the last groups of the rhythm line out again.
//
// Tables: ColumnRecords.token (layout); ItemStore and its tables, CommandLine, SecondLine,
// MessageLine (core); InputParserMode, InputItemMark, InputStartItemCount, RhythmCursor,
// EntryRhythms (input).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/fixed_array.h"

namespace input {

// Applies the token in ColumnRecords.token (separator in SecondLine(1)); cursor is the position
// in CommandLine just after the token. Notes and rests of the column get their rhythm, are
// drawn highlighted, and RhythmCursor and EntryRhythms move on. A refused token (input check,
// no column left, the 300 columns of the tables used, a line copy that would pass column 384)
// changes nothing, shows "**** Input error ****" with it and leaves "****" in SecondLine.
bool apply_rhythm_token(int32_t cursor);
// The note column after item `after`: its first note or rest and the notes and rests right
// after it at the same P3 (a chord). Empty when no note or rest is left.
std::vector<int32_t> note_column_after(int32_t after);

// The number of the token's leading digits (at most count of them, at most 3); 0 when the
// token does not start with a digit.
int32_t read_division_number(const core::FixedText<12>& token, int32_t count);

// Steps back over `entries` columns from RhythmCursor.current_item, clears EntryRhythms and
// fills those columns' entries again from their first items (notes: head P6, flags P9 mod 10,
// dots P9 div 10; rests from P5 and P6).
void rebuild_rhythm_tables(int32_t entries);

}  // namespace input
