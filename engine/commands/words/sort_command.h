// The O command family: sorting the items of the page.
#pragma once

namespace core {

// The O words: "OUT" switches the out-of-bounds notice back on; every other O word sorts the
// store as sort_item_store says, after saving an undo copy when the line is an O word and the
// page has at least 2 items, and redraws the page when the sort asks for it. Internal callers
// set CommandLine(1:3) and the second CommandModeLetters first (a sub-letter of U or above, such
// as X, sorts without redrawing). Every call but "OUT" sets GraceSpacingDone to 1.
void sort_items();

}  // namespace core
