// The undo and redo copies: the page written as a work copy before an edit.
#include "engine/core/files/undo.h"

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

// Writes the whole store as the work copy file through the document writer. The caller's
// CommandLine and CommandModeLetters are kept (the document routine reports through them).
bool write_work_copy(std::string_view file) {
    FixedText<512> name(work_copy_name(file));
    const FixedText<512> line = CommandLine;
    const int32_t letter1 = CommandModeLetters(1);
    const int32_t letter2 = CommandModeLetters(2);
    int32_t count = ItemWordsUsed;
    int32_t level = kDocumentLevel;
    bool ok = false;
    {
        const WorkCopyScope scope;
        ok = save_load_document_file(kDocumentWriteUnit, count, ItemStore, level, name);
    }
    CommandLine = line;
    CommandModeLetters(1) = letter1;
    CommandModeLetters(2) = letter2;
    return ok;
}

}  // namespace

// Contract: see the header. Tables: UndoSaveMode, UndoRedoState, SavedChangesFlag,
// ChangesMadeFlag; the file "!undo!.tmp".
void save_undo_copy(bool marks_change) {
    if (UndoSaveMode < -2) return;
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
        if (!write_work_copy(kUndoCopyFile)) {
            show_message(
                "*** The undo copy could not be written: " + shown_work_copy_name(kUndoCopyFile) +
                "||    UNDO is not possible for this change.");
            UndoRedoState = 0;
            UndoSaveMode = -1;
            return;
        }
        ++UndoCopiesWritten;
        SavedChangesFlag = ChangesMadeFlag;
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

}  // namespace core
