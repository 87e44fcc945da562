// The undo and redo copies: the page written as a work copy before an edit.
#include "engine/core/files/undo.h"

#include <cstring>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
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

// The page as it stood before the command line under way (see keep_page_before_line).
struct KeptPage {
    bool kept = false;
    int32_t used = 1;
    int32_t metric_flag = 0;
    int32_t changes_made = 0;
    int32_t history_marks = 0;
    DocumentWords words;
};
KeptPage& kept_page() {
    static KeptPage page;
    return page;
}

// Only the items count: the units (MetricFlag) are a setting that no word marks as a change.
bool page_differs_from_kept(const KeptPage& page) {
    if (page.used != ItemWordsUsed) return true;
    const int32_t n = ItemWordsUsed - 1;
    return n > 0 && std::memcmp(page.words.at(1), ItemStore.at(1), 4 * static_cast<size_t>(n)) != 0;
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
            show_message(
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

// Contract: see the header. Tables: UndoRedoState, ChangesMadeFlag; the file "!redo!.tmp".
bool save_redo_copy() {
    ++UndoHistoryMarks;
    if (!write_work_copy(kRedoCopyFile)) {
        show_message("*** The redo copy could not be written: " +
                     shown_work_copy_name(kRedoCopyFile) + "||    Nothing was undone.");
        return false;
    }
    UndoRedoState = -1;
    ChangesMadeFlag = SavedChangesFlag;
    update_title_line(CurrentFileName);
    return true;
}

// Contract: see the header. Tables: reads the store, ItemWordsUsed, MetricFlag,
// ChangesMadeFlag, UndoHistoryMarks.
void keep_page_before_line() {
    KeptPage& page = kept_page();
    page.kept = true;
    page.used = ItemWordsUsed;
    page.metric_flag = MetricFlag;
    page.changes_made = ChangesMadeFlag;
    page.history_marks = UndoHistoryMarks;
    const int32_t n = ItemWordsUsed - 1;
    if (n > 0) std::memcpy(page.words.at(1), ItemStore.at(1), 4 * static_cast<size_t>(n));
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
    if (!page_differs_from_kept(page)) return false;
    ++UndoHistoryMarks;
    if (platform::work_folder().empty()) {
        UndoRedoState = 0;
        UndoSaveMode = -1;
        return false;
    }
    if (!write_work_copy(kUndoCopyFile, page.words, page.used, page.metric_flag)) {
        show_message(
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

}  // namespace core
