// Flipping the beamed groups of one staff: the notes, beams, marks and slurs of a range are
// regenerated as the input mode's lines and rebuilt by its builders; only vertical values change.
//
// Tables: InputStaff, InputSpaceLeft, InputSpaceRight, InputTokens, InputLineKind (input);
// ColumnRecords, ColumnRecordCount (layout); ItemStore and its index, SecondLine (core).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// The item numbers of the beams or slurs being regenerated.
using PairItemList = core::Array1<int32_t, 100>;

enum class FlipOutcome : int8_t { Flipped, Refused, TwoVoices };
// mode: 2 automatic directions (slurs left alone), 3 all stems down, 4 all up, any other value
// each chord to the opposite direction. A refused range is left as it was, with the reason
// shown; a range holding two stemmed notes at one position (two voices) is refused as a
// failure, TwoVoices, since flipping would merge the voices into chords.
FlipOutcome flip_beamed_group(int32_t& mode);
// Writes the chord-number pairs of the pair items into InputTokens.
void regenerate_pair_tokens(int32_t& chord_limit, int32_t& note_count, int32_t& pair_count,
                            PairItemList& items);
// Copies the rebuilt rows from start_row on back into the pair items.
void copy_pair_rows_back(int32_t& start_row, int32_t& pair_count, PairItemList& items);

}  // namespace edit
