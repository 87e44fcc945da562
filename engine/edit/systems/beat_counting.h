// Beat counting: adds up the rhythm of every staff of a system, reports each staff's beats, stops
// when the staves disagree, and otherwise respaces the system by its merged rhythm, carrying the
// attached items along.
//
// Tables: ItemStore and its index, ItemCursor, MessageLine, PendingBoxOperation (core);
// StaffTables, GraceSpacingDone (layout); PageExtent (render); SelectionBox, SelectionList
// (edit).
#pragma once

#include <cstdint>

namespace edit {

// Counts and respaces staves lowest..highest. On return lowest is the first staff that had beats,
// or -1 (no beats, totals that disagree, a rhythm that cannot be placed: nothing moved); first and
// last are the respaced system's ends. With closing_edge true the system closes at its right
// edge (its lowest staff's STAFF item's end, or the page's), its last bar line moved there;
// otherwise at its last bar line where it stands (a line ending on a note: the page's end).
// With measured_rooms true a leading clef keeps its measured room (its ink and a clearance), a
// clef changed within the line the same room as an entry of its own where it was typed, and a
// key signature the room its accidentals take before what follows them; otherwise their fixed
// widths, for a column spacing that follows to widen.
void count_staff_beats(int32_t& lowest, int32_t& highest, float& first, float& last,
                       bool closing_edge = false, bool measured_rooms = false);

}  // namespace edit
