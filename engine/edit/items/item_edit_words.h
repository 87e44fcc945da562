// The edit words of the edited item: the words that run_edit_item_command acts on itself (the
// keyword decoder leaves them to it), the cue-and-stem pre-pass of notes, rests and clefs, and
// the applying of a pair list to the working copy.
#pragma once

#include <cstdint>

namespace edit {

// Whether the word in CommandLine is one of the edit words for an edited item of this code.
// The keyword decoder hands such a word on untouched; every other word is the decoder's.
bool is_edit_item_word(int32_t code);

// Runs the edit word in CommandLine on the edited item (numbers typed after it in ParamBuffer
// P2, P3). Returns false, changing nothing, when is_edit_item_word does not know it.
bool run_edit_item_word();

// The pre-pass of the edit words for notes, rests and clefs: "CU" (or a first number 34) marks
// the item cue-sized, "CUX" removes the mark, as the pair (4, E4 +- 100) left in ParamBuffer;
// "AD" on a note or clef whose E7 is below 1 fits its stem to the beam. Returns true when the
// word is consumed (nothing more is to be done with it; both mode letters are cleared).
bool apply_cue_and_stem_words();

// Applies the pair list in ParamBuffer to the working copy and shows it (item_editing.cpp):
// EditChangesPending becomes 1 and the step words follow the item's code.
void apply_working_pairs();

}  // namespace edit
