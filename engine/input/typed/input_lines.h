// Items back into typed input lines: the music of one staff range is written as the five lines
// the input mode reads (notes, rhythms, marks, beams, slurs) and taken out of the store, so that
// the input mode's edit form builds it again from the lines ("ED" on a box).
#pragma once

#include <cstdint>
#include <vector>

namespace input {

// The words of the items the last call took out of the store (per item its count word and its
// parameters, in store order), and how many ranges have been written back since the start.
// place: where the first of them stood among the items that stayed (0: nothing waits to be
// put back), and staff: the staff written back.
struct RegeneratedItemsRecord {
    std::vector<float> words;
    int32_t ranges = 0;
    int32_t place = 0;
    int32_t staff = 0;
};
extern RegeneratedItemsRecord RegeneratedItems;

// Turns the items of staff P(1) between positions P(2) and P(3) (0: 200.0) back into typed input
// lines. Unless CommandLine begins "SEP" an undo copy and the input mode's abandon copy are taken
// first. Notes without a value take it from their head, flags and dots; a staff that holds more
// than one voice is refused (CommandModeLetters(1) 'B', the screen refreshed). The lines go into
// InputLines (the command "IN" and the staff, the position line, the five lines) and the work
// file "tmp"; the items written are then removed from the store and the page is redrawn. A line
// longer than an input line, or a file that cannot be written, is reported and the store keeps
// its items. Every other item keeps its words and its place in the store, and the input mode's
// start (InputStartWordsUsed, InputStartItemCount) becomes the store without the range. When
// nothing is written back the store is left as it was. Returns -1 when the lines wait for the
// input mode, else 0.
int32_t regenerate_input_lines();

// After the input run on the written-back lines: the items it built (those after
// InputStartItemCount) go to the place where the written-back items stood, so that taking the
// lines unchanged gives back the page item for item. Nothing moves when the run was on another
// staff or the page was put back by abandoning it (abandon_input clears the place).
void place_regenerated_items();

}  // namespace input
