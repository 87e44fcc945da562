// The systems of a page, as the words that work system by system (measure numbers, the
// justification of every system) find them: staves joined by a bar line that spans them are one
// system, wherever on the staff that bar line stands; a staff that no spanning bar line joins is
// a system of its own.
//
// Tables: ItemStore and its index, ItemCount (core).
#pragma once

#include <cstdint>
#include <vector>

namespace edit {

struct PageSystem {
    int32_t lowest = 0;
    int32_t highest = 0;  // the top staff as the page shows it
};

// Whether item k is a bar line that marks a bar: fewer than five P-values, or a kind (P5) up to
// 6 (braces, brackets and the other strokes mark none).
bool is_counting_bar(int32_t k);
// The highest staff that bar line k reaches: P4 staves from its own (0 is one, a negative count
// an invisible line of as many), held to page_top.
int32_t bar_reach(int32_t k, int32_t page_top);
// The highest staff 1..256 that holds an item; 0 for none.
int32_t page_top_staff();
// The systems of the staves 1..256 that hold items, from the lowest staff up. Each system's
// highest staff holds items.
std::vector<PageSystem> find_page_systems();

}  // namespace edit
