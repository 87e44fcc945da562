// Group copy and move: the items inside a source box (SelectionBox) moved or copied to another
// staff, another horizontal range, or both. A destination range of the source's width shifts
// the items, another width stretches their positions; the repeated copy puts one copy on each
// staff up to a limit.
//
// Tables: SelectionBox, SelectionList, BoxCodeFilter, BoxDestination, BoxCopyCode,
// PendingBoxStep, BoxMoveStart, MacroDrawFlag (edit); ItemStore, ItemStartTable, ItemCount,
// ItemWordsUsed, ParamBuffer, PendingBoxOperation, MessageLine, SecondLine, CommandLine,
// ChangesMadeFlag, LastItemNumber (core); MaxStaffNumber (layout).
#pragma once

#include <cstdint>

namespace edit {

// How the items of a box reach their destination, with its amount.
//  1 nothing to do horizontally; 0 same staff, shift; 2 other staff, shift (amount: the
//  distance); -1 same staff, stretch; 3 other staff, stretch (amount: the width ratio).
struct TransferMode {
    int32_t mode = 1;
    float amount = 0.0f;
};
// The transfer mode of destination range left..right for source range source_left..
// source_right. Both zero: mode 1 (with check_source_left, only when source_left is zero too);
// right zero alone: left is the shift itself; a width within 0.001 of the source's is a shift.
TransferMode find_transfer_mode(float left, float right, float source_left, float source_right,
                                bool staff_change, bool check_source_left);

// Adds staves to the staff of every item whose P3 word SelectionList lists. Refuses, with a
// message and nothing changed, when some staff would leave 1..256. Returns false then.
bool shift_selection(int32_t staves);

// Moves the selected items by amount along the page: P3 (with more than three values) and
// every further horizontal word the selection lists (right ends, a beam's end words, a drawn
// line's point x words); heights stay. Items of code 3, 8, 14 and 17 on are not moved.
void shift_selected_positions(float amount);

// Appends a copy of every selected item to the end of the store; the copies become the
// selection (further x words follow their item). All or nothing: when the store (its words or
// its 6,000 items) has no room for every copy, the page-full message is shown, nothing is
// appended and false returned.
bool append_selected_copies();

// True when the store has room for this many copies of the selection; otherwise shows the
// page-full message.
bool selection_copies_fit(int32_t copies);

// Copies the selection to every staff from first_staff to last_staff (0: 1 and MaxStaffNumber)
// that holds at least one item, other than the source box's low staff. The copies get that
// staff; the selection is kept. All or nothing: with no such staff ("Nothing to do.") or no
// room for every copy (the page-full message) nothing changes and false is returned; else an
// undo copy is saved before the first copy.
bool copy_group_to_staves(int32_t first_staff, int32_t last_staff);

// The copy and move of the box words on SelectionBox and BoxDestination: the word in
// PendingBoxStep (1 move, 2 copy, 9 into the cut file, 10 repeated copy, 13 and 14 the step
// moves; other words move as 1, copy when after 2). kind 2 only sets PendingBoxOperation to 3
// (destination awaited). kind 1 is a command-file run: no code chooser. Leaves the code
// chooser's result in kind (2 = Cancel, nothing changed).
void copy_move_group(int32_t& kind);
// The interpreter's form: the codes were typed on the command line (PendingBoxOperation 17).
void copy_move_group();

// The interactive move or stretch of the source box: the first call asks for the destination
// (PendingBoxOperation 32), the next takes it (typed or dragged) and moves the items.
void move_box_items();
// IFX: with the IF line in PendingIfLine, asks for a box; each box then given to
// move_box_items, dragged or typed, runs the line inside it, until a typed word or Exit ends it.
void start_if_boxes();

}  // namespace edit
