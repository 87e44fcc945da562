// A parsed marks line to note attributes and mark rows.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"
#include "engine/layout/notes/note_geometry.h"
#include "engine/layout/tables.h"

namespace input {

// One row of ColumnRecords: an item's P1..P15.
using ColumnRow = core::Array1<float, layout::kColumnWords>;

// Reads InputTokenList (mark codes and note numbers, MarkSideFlags) and the note rows of
// ColumnRecords; writes the notes' mark attributes (P11) and appends the mark rows. Note n is
// the n-th note column (a chord once, its mark on its first note).
void build_mark_items();
// The same with note n the n-th note row, every chord note by itself (the flip of a beamed
// group, which puts each mark back on the note that carried it).
void build_mark_items_on_rows();
// How far an octave or trill line of the staff (its number as stored, P2) runs past its last
// note's x: a sixth of the staff's size (1.0 for a staff out of range). The lines written back
// from the page take it off again.
float ornament_line_extension(float staff_word);
// The mark placement rules live with the layout, which places marks again when a beam turns
// a stem.
using layout::compute_mark_offset;
using layout::find_code_in_table;

}  // namespace input
