// UNDO, REDO and UNDELETE, the R command family and the marks of newly entered notes: the
// commands that bring work copies back and redraw the page.
#pragma once

#include <cstdint>

#include "engine/core/files/undo.h"

namespace core {

// The words beginning "UND": UNDO when the fourth letter is "O", else UNDELETE.
void run_undo_command();
// UNDO: the redo copy is written, then the page before the last undoable edit comes back: a
// merge is cut off the store (UndoSaveMode is the word count before it), otherwise the undo
// copy is loaded through the file command. "*** Nothing to UNDO." when there is no copy. A
// copy that cannot be read leaves the page, the names and the undo state as they were.
void run_undo();
// REDO: loads the redo copy through the file command; "*** Nothing to REDO." when there is
// none. A copy that cannot be read leaves the page and the undo state as they were.
void run_redo();
// UNDELETE: the record of the item removed last by delete_item is appended and moved back to
// its old number (a negative DeletedItemLength leaves it last); CommandLine becomes "I* " with
// P(2) = that number, so that the interpreter goes on to edit it. "*** Nothing to UNDELETE."
// when no record is kept; a record that does not fit the store is refused with a message.
void run_undelete();

// The R command family (RS, RSM, RS and a name, RI, RIP, RESTO, READ/RD/RE/RES, REDO, the move
// of an item, the library symbol item), chosen by the second and third letters of CommandLine.
void run_r_command();

// The note-input marks: DisplayMarkWord = -1, the marks of the notes entered since the input
// start mark are drawn (the word goes back to 0 when there are none), then the page is redrawn
// and the screen refreshed.
void draw_new_items();
// Draws a temporary mark (a code-13 symbol 4001, 4002, ... that is never stored) above each
// distinct position of the notes on the current staff from item InputColumnMark on, within the
// input range. Returns the number of marks drawn.
int32_t mark_new_note_positions();

}  // namespace core
