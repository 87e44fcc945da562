// Live entry of a notes line, one token at a time: each typed token (a note, rest, clef, key
// signature, meter, bar or setting) becomes an item at the end of the store at once and is
// drawn; the token check, the number reader, the entry rows and the repeat of a column.
//
// Tables: ColumnRecords.token (layout); ItemStore, ItemCount, ItemWordsUsed, ItemStartTable,
// ParamBuffer, CommandLine, SecondLine, ItemOutputSpans (core); InputParserMode,
// NoteOctaveState, TypedPlacement, TypedMotiveMarks, TypedEntries (input).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace input {

// Turns the token in ColumnRecords.token (its separator in SecondLine(1)) into an item at the
// next position of the input staff, draws it and appends its entry row. A token that fails
// the input check, or whose item the store or the entry rows refuse, makes nothing and
// changes no placement state; in a notes line SecondLine then becomes "****". Returns whether
// the token was taken.
bool typed_token_to_item();

// The input check of a token's first two characters for the line kind InputParserMode.
// 0 when it passes; else 1 after showing "**** Input error ****" with the token at columns
// 23 to 34 (and, in a notes line, SecondLine = "****").
int32_t report_input_error(const core::FixedText<12>& token, int32_t length);

// Shows "**** Input error ****" with the token at columns 23 to 34 (36 characters); in a notes
// line SecondLine becomes "****", the live entry's sign to take the token back.
void show_input_error(const core::FixedText<12>& token);

// From position on (up to 12), the first digit of the token and a second one right after it
// as a number; an "X" met first ends the search. The digits are blanked and position moves
// after them. None: value 0, position unchanged.
void match_input_token(core::FixedText<12>& token, int32_t start, int32_t& value,
                       int32_t& position);

// An input run's start: the next column goes 5.0 after InputLeftLimit (the range's start), the
// run's first token sets up afresh and the entry rows of earlier runs are dropped.
void begin_typed_placement();
// Appends an entry row from TypedPlacement, ItemCount and NoteOctaveState; flag is kept only
// when x moved since the row before. False, nothing written, when the rows are full.
bool append_input_item(int32_t flag);

// From the last item back: passes items that are not notes, takes the last note (its number
// goes to last), then goes back over the notes at its P3. Returns the chord's first note
// number (0 and last 0 when there is no note).
int32_t last_chord_start(int32_t& last);

// Moves TypedPlacement.x on by 5.0 and appends copies of count items from item first (P3 = the
// new x), re-appending the entry rows from first_entry on that made them; the first copied
// row keeps flag. When the store or the rows refuse, everything it appended is taken back and
// the result is false.
bool repeat_input_group(int32_t first_entry, int32_t first, int32_t count, int32_t flag);

// render::append_item for an input run's preview: its staff item and the items its line draws
// as it is typed. The run is stored whole or not at all once its line is read, refused there
// once if it does not fit, so the preview is held only to the store's room: the run then reads
// its later lines as its own. Outside a run, append_item.
bool append_run_preview(int32_t& n, const float* p, int32_t available);

}  // namespace input
