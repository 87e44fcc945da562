// One level of undo and redo, UNDELETE, the R command family and the marks of newly entered
// notes.
//
// The undo copy is the whole page written as a document file ("!undo!.tmp" in the work folder)
// just before an undoable edit; UNDO writes the page as the redo copy ("!redo!.tmp") and loads
// the undo copy through the file command, REDO loads the redo copy. The copies are written in
// FileMode 2, so that the document writer stores the document's own name in them and the
// closing steps of the document files leave the names, the history and the undo state alone;
// the document's name is kept in a private buffer of full length while a copy is written or
// read, and nothing asks about unsaved changes for a work copy.
//
// Tables: UndoRedoState, UndoSaveMode, FileMode, CurrentFileName (document_tables.h);
// ChangesMadeFlag, ItemStore and its index, DeletedItem*, CommandLine, SecondLine,
// CommandModeLetters, ParamBuffer (tables.h); SavedChangesFlag and CommandFileReadMode (here).
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// The work copies, as program names (the path layer maps "C:\!TMP\" to the work folder). The
// file command recognises a work copy by "DO!" in columns 12 to 14 of these names.
constexpr std::string_view kUndoCopyFile = "!undo!.tmp";
constexpr std::string_view kRedoCopyFile = "!redo!.tmp";

// ChangesMadeFlag as it was before the edit whose undo copy was saved last; the redo copy puts
// it back, so that an UNDO to a page that was saved shows the page as saved again.
extern int32_t SavedChangesFlag;
// Set by the words that open a command file: 2 for "RES", 1 for "RD", 0 for "RE" and "READ".
// Nothing reads it yet; it is kept for the readers of command files that tell the three apart.
extern int32_t CommandFileReadMode;

// Puts SavedChangesFlag and CommandFileReadMode back to their start-up values.
void reset_undo_tables();

// Saves the page as the undo copy before an edit, as UndoSaveMode says: below -2 nothing at all;
// -2 no copy, but UndoRedoState = 1 and UndoSaveMode = -1; otherwise the whole store is written
// to "!undo!.tmp", SavedChangesFlag = ChangesMadeFlag, ChangesMadeFlag = 1, the title is
// refreshed, UndoRedoState = 1 and UndoSaveMode = -1. CommandLine and CommandModeLetters are
// the caller's again afterwards. A copy that cannot be written is reported in a message box
// and UndoRedoState becomes 0, so that UNDO never loads an older copy in its place. Without a
// work folder (platform::work_folder() empty) no copy is written and UndoRedoState becomes 0.
void save_undo_copy();

// Writes the page as the redo copy: UndoRedoState = -1, ChangesMadeFlag = SavedChangesFlag, the
// title refreshed. Returns false, with a message box and nothing changed, when the copy cannot
// be written.
bool save_redo_copy();

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
// distinct position of the notes on the current staff from item InputStartItem on, within the
// input range. Returns the number of marks drawn.
int32_t mark_new_note_positions();

}  // namespace core
