// The shared tables of the editing commands: the parameter line and the item being committed,
// the item words, the ends of attached items and box input. Each section says which procedures
// write its tables; every other file only reads them.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// ---- the parameter line and committing items (parameter_line.cpp, pair_helpers.cpp) --------

// The keyword decoder's scratch slots: slot s (1..33) stands for Ps; kNotGiven means the word
// gave no value. Written by the decoder and the item words, packed by pack_parameter_pairs.
constexpr float kNotGiven = 98765.0f;
extern core::Array1<float, 50> EditScratch;
// The highest slot pack_parameter_pairs packed (kept when none was given).
extern int32_t EditScratchCount;
// 1 while the item being edited shows applied changes that are not stored yet. Set by
// apply_edit_line and the keyword decoder; the commands that store or leave the item clear it.
extern int32_t EditChangesPending;
// Set by the edit-item command, 0 with a new document; negative: apply_edit_line shows no
// preview (nothing is committed).
extern int32_t EditPreviewMode;
// Where the staff of the last item committed with no item edited lies among the staff items:
// -1 at or below the lowest, +1 at or above the highest (+1 when both hold), else 0. Written by
// commit_item.
extern int32_t NewItemStaffSide;
// ItemWordsUsed right after apply_edit_line's preview commit, before the words are given back:
// the end of the preview copy, which the text editor and the copy word take as their base.
extern int32_t PreviewWordsEnd;

// ---- item words for notes, rests, clefs, lines, slurs and beams (item_words_*.cpp) ----------

// The direction of the enharmonic respelling: +1 up, -1 down, 0 by the accidental. Written by
// the "EN" word, read by respell_enharmonic.
extern int32_t EnharmonicDirection;

// ---- attaching and re-fitting item ends (item_ends.cpp) ---------------------------------------

// ---- box input (box_input.cpp) ----------------------------------------------------------------

// Puts every table above back to its start-up value; called by core::reset_engine().
void reset_edit_tables();

}  // namespace edit
