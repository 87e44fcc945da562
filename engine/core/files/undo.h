// The undo and redo copies of the page (UNDO, REDO and the R family are in engine/commands).
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
#include <string>
#include <string_view>

#include "engine/core/files/document_tables.h"
#include "engine/core/fixed_array.h"

namespace core {

// The work copies, as program names (the path layer maps "C:\!TMP\" to the work folder). The
// file command recognises a work copy by "DO!" in columns 12 to 14 of these names.
constexpr std::string_view kUndoCopyFile = "!undo!.tmp";
constexpr std::string_view kRedoCopyFile = "!redo!.tmp";

// ChangesMadeFlag as it was before the edit whose undo copy was saved last; the redo copy puts
// it back, so that an UNDO to a page that was saved shows the page as saved again.
extern int32_t SavedChangesFlag;
// How many undo copies have been written since the start: tells a caller whether the copy it
// wrote is still the one UNDO would load.
extern int32_t UndoCopiesWritten;
// Counts what settles the undo history of a command line: every save_undo_copy that is not held
// back, every redo copy, every document loaded or saved and every REDO (note_undo_history_mark).
// A line that leaves it unchanged took no copy of its own.
extern int32_t UndoHistoryMarks;
// Set by the words that open a command file: 2 for "RES", 1 for "RD", 0 for "RE" and "READ".
// Nothing reads it yet; it is kept for the readers of command files that tell the three apart.
extern int32_t CommandFileReadMode;

// Parks CurrentFileName and sets FileMode 2 for as long as a work copy is in use; the name comes
// back and FileMode returns to 0 however the work ends. The parked name has the full length of
// CurrentFileName, so a long path comes back whole.
class WorkCopyScope {
  public:
    WorkCopyScope() {
        ParkedFileName = CurrentFileName;
        FileMode = 2;
    }
    ~WorkCopyScope() {
        CurrentFileName = ParkedFileName;
        ParkedFileName.blank();
        FileMode = 0;
    }
    WorkCopyScope(const WorkCopyScope&) = delete;
    WorkCopyScope& operator=(const WorkCopyScope&) = delete;

  private:
    static FixedText<512> ParkedFileName;
};

// A work copy's program name (in the work folder), and the local file it stands for, for
// messages.
std::string work_copy_name(std::string_view file);
std::string shown_work_copy_name(std::string_view file);

// Puts SavedChangesFlag and CommandFileReadMode back to their start-up values.
void reset_undo_tables();

// Saves the page as the undo copy before an edit, as UndoSaveMode says: below -2 nothing at all;
// -2 no copy, but UndoRedoState = 1 and UndoSaveMode = -1; otherwise the whole store is written
// to "!undo!.tmp", SavedChangesFlag = ChangesMadeFlag, ChangesMadeFlag = 1, the title is
// refreshed, UndoRedoState = 1 and UndoSaveMode = -1. CommandLine and CommandModeLetters are
// the caller's again afterwards. A copy that cannot be written is reported in a message box
// and UndoRedoState becomes 0, so that UNDO never loads an older copy in its place. Without a
// work folder (platform::work_folder() empty) no copy is written and UndoRedoState becomes 0.
// With marks_change false the page is not marked changed (ChangesMadeFlag and the title stay):
// the copy is taken before lines that may change nothing. Inside a command line whose page was
// kept (keep_page_before_line), the line's first copy is that kept page, with its ChangesMadeFlag
// as SavedChangesFlag: what the line did before its copy is taken back with it.
void save_undo_copy(bool marks_change = true);

// A reordering of the store that is no edit (the sorts of playing the page): whatever it
// reorders or rounds, the page keeps its changes-made mark and takes no undo step of its own.
// Every copy that held the page before the reordering (the page its file holds, the page kept
// before the command line, a running command file's page before its line) takes the reordered
// page, so that it still holds the page after. ChangesMadeFlag is put back as it was.
class ReorderKeepingMarks {
  public:
    ReorderKeepingMarks();
    ~ReorderKeepingMarks();
    ReorderKeepingMarks(const ReorderKeepingMarks&) = delete;
    ReorderKeepingMarks& operator=(const ReorderKeepingMarks&) = delete;

  private:
    int32_t changes_made_;
    bool saved_page_;
    bool kept_page_;
    bool file_line_page_;
};

// The undo copy of one command that changes the page in several steps: the page as it was
// before the command is saved once, and the copies its own steps would save are held back
// (UndoSaveMode -3) until the command ends, however it ends, errors and early returns
// included. UNDO then takes back the whole command, and the next change saves its own copy
// again. Inside a command that holds the copies back already, nothing is saved and the hold is
// left to that command.
class CommandUndoCopy {
  public:
    CommandUndoCopy();
    ~CommandUndoCopy();
    CommandUndoCopy(const CommandUndoCopy&) = delete;
    CommandUndoCopy& operator=(const CommandUndoCopy&) = delete;

  private:
    bool held_ = false;
};

// Writes the page as the redo copy: UndoRedoState = -1, ChangesMadeFlag = SavedChangesFlag, the
// title refreshed. Returns false, with a message box and nothing changed, when the copy cannot
// be written.
bool save_redo_copy();

// The undo copy of one command line, taken in one place for every word: the interpreter keeps
// the page (the store's words, ItemWordsUsed and MetricFlag: what the document writer writes)
// before a line runs, and after it makes that kept page the undo copy when the page changed
// and the line left UndoHistoryMarks alone (no copy of its own, no UNDO or REDO, no document
// loaded or saved) and holds no copies back (UndoSaveMode not below -1: no running command's
// hold). The copy is then as save_undo_copy writes it:
// SavedChangesFlag = ChangesMadeFlag before the line, ChangesMadeFlag = 1 unless the page is
// now empty (the title refreshed when that marks the page changed), UndoRedoState = 1, UndoSaveMode
// = -1. Keeping the page is a copy in memory; the file is written only for a line that changed the
// page.
void keep_page_before_line();
// True when it wrote the kept page as the undo copy. Without a kept page it does nothing.
bool save_kept_page_as_undo_copy();
// Counts an event that settles the undo history without an undo or redo copy (a document
// loaded or saved, a REDO).
void note_undo_history_mark();
// A command that builds a new document of its own (combining files) ends the undo history as a
// load does: nothing before it can be taken back (UndoRedoState 0, UndoSaveMode -1, the running
// command file's steps forgotten), and the line's kept page is no undo copy.
void end_undo_history();

// The steps of a running command file. Its lines take no undo copy of their own (a long file
// would write the store once per line), so the page before each of its lines is kept in memory,
// and UNDO and REDO read from the file take back and give back the file's last step alone,
// while the undo copy on disk stays the page before the file: UNDO typed after the file takes
// the whole file back. A step is a line that changed the page (its items or its units), with the
// lines of one command that holds its copies back (UndoSaveMode below -1) and the later lines of
// an item edit that made a step already; a document loaded or saved ends the file's history.
//
// begin_command_file_steps: a file starts (one that a running file hands over to as well) on the
// page as it stands, with nothing of its own to undo or redo; keep false (the file holds no word
// that undoes or redoes) keeps no steps at all.
void begin_command_file_steps(bool keep);
// At the end of each line of the file (before the next is read): makes the line a step when it
// changed the page. Nothing is written to disk.
void note_command_file_line_end();
// A document was loaded or saved: what the file did before can no longer be taken back.
void forget_command_file_steps();
// True while a command file runs whose steps are kept.
bool command_file_steps_running();
// True when the file has a step to take back (undo true) or to give back (undo false).
bool command_file_step_kept(bool undo);
// Puts the page before the file's last step back in the store (undo true), or the page its last
// UNDO took (undo false), with its units and its changes-made mark; the page it replaces is kept
// for the opposite word. reset_state (the document's state emptied) is called once that page is
// kept, before the store is filled; the caller redraws. Without such a step
// (command_file_step_kept false) nothing changes.
void restore_command_file_step(bool undo, void (*reset_state)());

}  // namespace core
