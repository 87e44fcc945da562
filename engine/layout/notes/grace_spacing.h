// Spacing of grace notes and grace rests (P7 of 64 or more): each run is placed between the
// fixed items before and after it on its staff, squeezed by one factor when the room is short;
// runs that end at one position on several staves line up.
//
// Tables: ItemStore and its index, ItemCursor (core); StaffTables, GraceSpacingDone (layout);
// PageExtent (render).
#pragma once

#include <cstdint>

namespace layout {

// The most slots (grace items, the fixed items around each run, sentinels) and distinct bar
// positions one call takes; a range that needs more is left as it is, with a message.
constexpr int32_t kGraceSlotLimit = 1000;
constexpr int32_t kGraceBarLimit = 200;

// Places the grace runs of staves lowest..highest (the store sorted by staff and position);
// writes only P3 of grace items. Leaves ItemCursor changed. Beyond kGraceSlotLimit slots or
// kGraceBarLimit bar positions nothing moves and "*** Too many grace notes to space: nothing
// was moved." is shown.
void space_grace_notes(int32_t& lowest, int32_t& highest);
// The room an item needs before and after its position (staff units), for the item whose record
// starts at ItemCursor.start with ItemCursor.n parameters; code's absolute value is used. Codes
// 19 and above need none. A key signature's after is its width: P7 x (accidentals - 1) x 2.8
// plus 5.5 when a clef stands before it on its staff, else 4.5 (P7 of 0 counting as 1).
void item_space_needs(int32_t& code, float& before, float& after);

}  // namespace layout
