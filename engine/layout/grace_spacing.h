// Spacing of grace notes and grace rests (P7 of 64 or more): each run is placed between the
// fixed items before and after it on its staff, squeezed by one factor when the room is short;
// runs that end at one position on several staves line up.
//
// Tables: ItemStore and its index, ItemCursor (core); StaffTables, GraceSpacingDone (layout);
// PageExtent (render).
#pragma once

#include <cstdint>

namespace layout {

// Places the grace runs of staves lowest..highest (the store sorted by staff and position);
// writes only P3 of grace items.
void space_grace_notes(int32_t& lowest, int32_t& highest);
// The room an item needs before and after its position (staff units), for the item whose record
// ItemCursor points at; code's absolute value is used. For a key signature after is left alone.
void item_space_needs(int32_t& code, float& before, float& after);

}  // namespace layout
