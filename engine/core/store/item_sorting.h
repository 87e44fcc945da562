// Reordering the items of the page: by staff, by horizontal position, text items first, and the
// layer order that puts numbered items last so that they are drawn on top. Nothing here draws
// or saves an undo copy; the O command does both around it.
//
// Tables: ItemStore, ItemStoreScratch, ItemStartTable, ItemCount, ItemWordsUsed, CommandLine,
// CommandModeLetters, MessageLine, ChangesMadeFlag, PreparedFlag, ParamBuffer (P(2) and P(3)
// are used by the layer order's moves).
#pragma once

#include <cstdint>
#include <vector>

namespace core {

// Sorts the store as the command in CommandLine(1:3) and the second CommandModeLetters (the
// sub-letter) ask:
//   "OUT"                 nothing (the caller switches the out-of-bounds notice back on);
//   "ORN"                 the layer order only;
//   sub-letter H          horizontal order, "Sorting by horizontal position.";
//   sub-letter T          staff order, then text items first, "Sorting by text position.";
//   sub-letter P          staff order with staves 200 and up first (staff numbers unchanged);
//   any other             staff order, "Sorting by staff number."; third letter R puts the
//                         highest staff first; "S" without R marks the page prepared; the
//                         sub-letter 'c' adds the layer order.
// With fewer than 2 items nothing happens at all. Otherwise ChangesMadeFlag = 1, every P3 is
// rounded to two decimals (not by "ORN"), the items are reordered in place with equal keys in
// their previous order, and the start table is rebuilt. Items whose keys reach the bounds of
// the order are kept, after the others, in their previous order.
// Returns whether the caller must redraw the page: sub-letters below U, and "ORN".
bool sort_item_store();

// The sort of the sub-letter `sub` for a routine inside another command: the command line and
// the second mode letter are set aside ("O" and the letter in their place, so that the line's
// own third letter cannot reverse the order or mark the page prepared) and put back after.
bool sort_item_store_with_letter(char sub);

// Where the items of the last staff or horizontal order came from: entry i is the number item
// i + 1 had before that sort, for a caller that must follow items through it. Empty after any
// other call ("OUT", "ORN", the text and layer orders, fewer than 2 items).
std::vector<int32_t> last_sort_origins();

}  // namespace core
