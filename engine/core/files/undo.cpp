// The undo and redo copies: the page written as a work copy before an edit.
#include "engine/core/files/undo.h"

#include <cstring>
#include <string>
#include <utility>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/files/title_line.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace core {

int32_t SavedChangesFlag = 0;
int32_t UndoCopiesWritten = 0;
int32_t UndoHistoryMarks = 0;
int32_t CommandFileReadMode = 0;

void reset_undo_tables() {
    SavedChangesFlag = 0;
    CommandFileReadMode = 0;
}

FixedText<512> WorkCopyScope::ParkedFileName;

std::string work_copy_name(std::string_view file) {
    return TempDirPrefix.trimmed() + std::string(file);
}

std::string shown_work_copy_name(std::string_view file) {
    return platform::shown_path(work_copy_name(file));
}

namespace {

// Writes words (count - 1 of them, as ItemWordsUsed counts) as the work copy file through the
// document writer, with metric_flag in its trailer. The caller's CommandLine, CommandModeLetters
// and MetricFlag are kept (the document routine reports through them).
bool write_work_copy(std::string_view file, const DocumentWords& words, int32_t used,
                     int32_t metric_flag) {
    FixedText<512> name(work_copy_name(file));
    const FixedText<512> line = CommandLine;
    const int32_t letter1 = CommandModeLetters(1);
    const int32_t letter2 = CommandModeLetters(2);
    const int32_t metric = MetricFlag;
    int32_t count = used;
    int32_t level = kDocumentLevel;
    bool ok = false;
    {
        const WorkCopyScope scope;
        MetricFlag = metric_flag;
        ok = save_load_document_file(kDocumentWriteUnit, count, const_cast<DocumentWords&>(words),
                                     level, name);
    }
    MetricFlag = metric;
    CommandLine = line;
    CommandModeLetters(1) = letter1;
    CommandModeLetters(2) = letter2;
    return ok;
}

bool write_work_copy(std::string_view file) {
    return write_work_copy(file, ItemStore, ItemWordsUsed, MetricFlag);
}

// A copy of the page as the document writer takes it: the store's words, ItemWordsUsed and the
// units, with the changes-made mark it had.
struct PageCopy {
    int32_t used = 1;
    int32_t metric_flag = 0;
    int32_t changes_made = 0;
    DocumentWords words;

    void take() {
        used = ItemWordsUsed;
        metric_flag = MetricFlag;
        changes_made = ChangesMadeFlag;
        const int32_t n = ItemWordsUsed - 1;
        if (n > 0) std::memcpy(words.at(1), ItemStore.at(1), 4 * static_cast<size_t>(n));
    }
    // The units count: a units word changes what the page's file holds, so it is a step of its
    // own.
    bool differs_from_page() const {
        if (used != ItemWordsUsed || metric_flag != MetricFlag) return true;
        const int32_t n = ItemWordsUsed - 1;
        return n > 0 && std::memcmp(words.at(1), ItemStore.at(1), 4 * static_cast<size_t>(n)) != 0;
    }
};

// The page as it stood before the command line under way (see keep_page_before_line).
struct KeptPage : PageCopy {
    bool kept = false;
    int32_t history_marks = 0;
};
KeptPage& kept_page() {
    static KeptPage page;
    return page;
}

// The steps of the running command file (see begin_command_file_steps). The three copies change
// roles by pointer, so that a step copies the page once.
struct FileSteps {
    bool running = false;
    bool forgotten = false;
    bool can_undo = false;
    bool can_redo = false;
    // The line under way continues the last step (an item edit that made it is still open).
    bool line_continues_step = false;
    // The item whose edit made the last step, while it is edited.
    int32_t step_item = 0;
    PageCopy copies[3];
    PageCopy* before_line = &copies[0];
    PageCopy* before_step = &copies[1];
    PageCopy* undone = &copies[2];
};
FileSteps& file_steps() {
    static FileSteps steps;
    return steps;
}

}  // namespace

// Contract: see the header. Tables: UndoSaveMode, UndoRedoState, SavedChangesFlag,
// ChangesMadeFlag; the file "!undo!.tmp".
void save_undo_copy(bool marks_change) {
    if (UndoSaveMode < -2) return;
    // The first copy of a command line is the page as it stood before the line, so that steps
    // the line took before its copy (a sort that rounds positions, a box selection that fills
    // in staff ends) are taken back with it and UNDO gives back the page exactly.
    const KeptPage& page = kept_page();
    const bool before_line = page.kept && page.history_marks == UndoHistoryMarks;
    ++UndoHistoryMarks;
    // A running command file kept the page when it started, and that copy is still the one
    // UNDO would load: its lines take no copy of their own (a long file would otherwise write
    // the whole store once per line).
    if (UndoSaveMode != -2 && MacroUnit != DefaultMacroUnit && UndoRedoState == 1) {
        if (marks_change) ChangesMadeFlag = 1;
        UndoSaveMode = -1;
        return;
    }
    if (UndoSaveMode != -2) {
        // Without a work folder (an engine embedded without its paths set up) there is nowhere
        // for copies to go: nothing can be undone, and nothing is written anywhere else.
        if (platform::work_folder().empty()) {
            UndoRedoState = 0;
            UndoSaveMode = -1;
            return;
        }
        const bool written =
            before_line ? write_work_copy(kUndoCopyFile, page.words, page.used, page.metric_flag)
                        : write_work_copy(kUndoCopyFile);
        if (!written) {
            report_failure(
                "*** The undo copy could not be written: " + shown_work_copy_name(kUndoCopyFile) +
                "||    UNDO is not possible for this change.");
            UndoRedoState = 0;
            UndoSaveMode = -1;
            return;
        }
        ++UndoCopiesWritten;
        SavedChangesFlag = before_line ? page.changes_made : ChangesMadeFlag;
        if (marks_change) {
            ChangesMadeFlag = 1;
            update_title_line(CurrentFileName);
        }
    }
    UndoRedoState = 1;
    UndoSaveMode = -1;
}

// The copies held back while a command runs; -2 (skip the next copy) is never left for a later
// command, which would then save none.
constexpr int32_t kCopiesHeld = -3;

// Contract: see the header. Tables: UndoSaveMode (and what save_undo_copy writes).
CommandUndoCopy::CommandUndoCopy() {
    if (UndoSaveMode <= kCopiesHeld) return;
    save_undo_copy();
    UndoSaveMode = kCopiesHeld;
    held_ = true;
}

// Contract: see the header. Tables: UndoSaveMode: -1 again, unless a step of the command set a
// merge's word count (0 or above) that UNDO is to cut the store back to.
CommandUndoCopy::~CommandUndoCopy() {
    if (held_ && UndoSaveMode < -1) UndoSaveMode = -1;
}

// Contract: see the header. Reads the store, ItemWordsUsed, MetricFlag, ChangesMadeFlag.
ReorderKeepingMarks::ReorderKeepingMarks()
    : changes_made_(ChangesMadeFlag),
      saved_page_(page_is_saved_page()),
      kept_page_(kept_page().kept && !kept_page().differs_from_page()),
      file_line_page_(command_file_steps_running() && !file_steps().forgotten &&
                      !file_steps().before_line->differs_from_page()) {}

// Contract: see the header. Writes ChangesMadeFlag, the saved page and the kept copies.
ReorderKeepingMarks::~ReorderKeepingMarks() {
    ChangesMadeFlag = changes_made_;
    if (saved_page_) remember_saved_page();
    // Each copy keeps the mark it was taken with.
    auto follow = [](PageCopy& page) {
        const int32_t changes = page.changes_made;
        page.take();
        page.changes_made = changes;
    };
    if (kept_page_) follow(kept_page());
    if (file_line_page_) follow(*file_steps().before_line);
}

// Contract: see the header. Tables: UndoRedoState, ChangesMadeFlag; the file "!redo!.tmp".
bool save_redo_copy() {
    ++UndoHistoryMarks;
    if (!write_work_copy(kRedoCopyFile)) {
        report_failure("*** The redo copy could not be written: " +
                       shown_work_copy_name(kRedoCopyFile) + "||    Nothing was undone.");
        return false;
    }
    UndoRedoState = -1;
    // The title follows once the copy is loaded: shown now it would name the page still there
    // with the mark of the page to come.
    ChangesMadeFlag = SavedChangesFlag;
    return true;
}

// Contract: see the header. Tables: reads the store, ItemWordsUsed, MetricFlag,
// ChangesMadeFlag, UndoHistoryMarks.
void keep_page_before_line() {
    KeptPage& page = kept_page();
    page.kept = true;
    page.history_marks = UndoHistoryMarks;
    page.take();
}

// Contract: see the header. Tables: UndoRedoState, UndoSaveMode, SavedChangesFlag,
// ChangesMadeFlag, UndoCopiesWritten, UndoHistoryMarks; the file "!undo!.tmp".
bool save_kept_page_as_undo_copy() {
    KeptPage& page = kept_page();
    if (!page.kept) return false;
    page.kept = false;
    // The line saw to the history itself: it wrote a copy, undid or redid, loaded or saved a
    // document, or runs inside a command that holds its copies back (an input run).
    if (page.history_marks != UndoHistoryMarks || UndoSaveMode < -1) return false;
    if (!page.differs_from_page()) return false;
    ++UndoHistoryMarks;
    if (platform::work_folder().empty()) {
        UndoRedoState = 0;
        UndoSaveMode = -1;
        return false;
    }
    if (!write_work_copy(kUndoCopyFile, page.words, page.used, page.metric_flag)) {
        report_failure(
            "*** The undo copy could not be written: " + shown_work_copy_name(kUndoCopyFile) +
            "||    UNDO is not possible for this change.");
        UndoRedoState = 0;
        UndoSaveMode = -1;
        return false;
    }
    ++UndoCopiesWritten;
    SavedChangesFlag = page.changes_made;
    UndoRedoState = 1;
    UndoSaveMode = -1;
    // A page emptied by the line (RS) holds nothing to save: it is not marked changed, so that
    // leaving asks nothing about it; UNDO still gives the page back.
    if (ChangesMadeFlag != 1 && ItemCount > 0) {
        ChangesMadeFlag = 1;
        update_title_line(CurrentFileName);
    }
    return true;
}

void note_undo_history_mark() { ++UndoHistoryMarks; }

// Contract: see the header. Tables: UndoRedoState, UndoSaveMode, UndoHistoryMarks.
void end_undo_history() {
    UndoRedoState = 0;
    UndoSaveMode = -1;
    forget_command_file_steps();
    note_undo_history_mark();
}

// Contract: see the header. Reads the store, ItemWordsUsed, MetricFlag, ChangesMadeFlag.
void begin_command_file_steps(bool keep) {
    FileSteps& steps = file_steps();
    steps.running = keep;
    steps.forgotten = false;
    steps.can_undo = false;
    steps.can_redo = false;
    steps.line_continues_step = false;
    steps.step_item = 0;
    if (keep) steps.before_line->take();
}

// Contract: see the header. Reads the store, UndoSaveMode, EditedItemNumber.
void note_command_file_line_end() {
    FileSteps& steps = file_steps();
    if (!command_file_steps_running()) return;
    // A command that holds its copies back is still under way: its lines are one step.
    if (UndoSaveMode < -1) return;
    if (steps.forgotten) {
        steps.forgotten = false;
        steps.step_item = 0;
        steps.line_continues_step = false;
        steps.before_line->take();
        return;
    }
    const bool changed = steps.before_line->differs_from_page();
    if (changed) {
        if (!steps.line_continues_step) {
            std::swap(steps.before_line, steps.before_step);
            steps.can_undo = true;
        }
        steps.can_redo = false;
        steps.before_line->take();
    }
    if (EditedItemNumber == 0) {
        steps.step_item = 0;
    } else if (changed) {
        steps.step_item = EditedItemNumber;
    }
    steps.line_continues_step = EditedItemNumber != 0 && EditedItemNumber == steps.step_item;
}

void forget_command_file_steps() {
    FileSteps& steps = file_steps();
    steps.forgotten = true;
    steps.can_undo = false;
    steps.can_redo = false;
}

bool command_file_steps_running() { return file_steps().running && MacroUnit != DefaultMacroUnit; }

bool command_file_step_kept(bool undo) {
    const FileSteps& steps = file_steps();
    const PageCopy* const wanted = undo ? steps.before_step : steps.undone;
    const int32_t count = wanted->used - 1;
    return (undo ? steps.can_undo : steps.can_redo) && count <= ItemStoreCapacity &&
           count <= DocumentWords::size();
}

// Contract: see the header. Writes the store, ItemWordsUsed, MetricFlag, ChangesMadeFlag.
void restore_command_file_step(bool undo, void (*reset_state)()) {
    if (!command_file_step_kept(undo)) return;
    FileSteps& steps = file_steps();
    PageCopy*& wanted = undo ? steps.before_step : steps.undone;
    PageCopy* const kept = undo ? steps.undone : steps.before_step;
    const int32_t count = wanted->used - 1;
    kept->take();
    reset_state();
    replace_store_with_document(wanted->words, count);
    MetricFlag = wanted->metric_flag;
    ChangesMadeFlag = wanted->changes_made;
    // The page is now the wanted copy: it is the page before the file's next line.
    std::swap(steps.before_line, wanted);
    steps.before_line->changes_made = ChangesMadeFlag;
    steps.can_undo = !undo;
    steps.can_redo = undo;
    steps.line_continues_step = false;
    steps.step_item = 0;
}

}  // namespace core
