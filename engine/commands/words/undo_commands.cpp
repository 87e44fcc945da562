// UNDO, REDO and UNDELETE: the work copies brought back, and the deleted item put back.
#include "engine/commands/words/undo_commands.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/commands/files/document_state.h"
#include "engine/commands/interpreter/family_entries.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/saved_page.h"
#include "engine/core/files/undo.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace core {

namespace {

// The copy being loaded, as checked before the load, and the page before the load, put back
// should the load not arrive.
DocumentWords CopyWords;
DocumentWords PageWords;

// Compared bit for bit: a text's packed characters may form a NaN pattern, which never equals
// itself as a float.
bool store_holds(const DocumentWords& words, int32_t count) {
    if (ItemWordsUsed - 1 != count) return false;
    return count <= 0 || std::memcmp(words.data(), ItemStore.data(),
                                     sizeof(float) * static_cast<std::size_t>(count)) == 0;
}

// Shows the page after the store changed: the redraw, or empty output lists for an empty page
// (the redraw leaves an empty store alone).
void redraw_page() {
    if (ItemCount > 0) {
        render::redraw_items();
        return;
    }
    reset_document_state();
    GraphicsNextFree = 1;
    if (OutputBufferViews.graphics.bound()) OutputBufferViews.graphics.length() = 0;
    if (OutputBufferViews.text.bound()) OutputBufferViews.text.length() = 0;
}

// Loads a work copy through the file command, as a get of its name ("G " and the name in
// CommandLine and SecondLine) in FileMode 2, with the document's name parked. The copy is read
// and checked first, so that a missing or damaged copy never reaches the page; the load counts
// as done only when the store then holds the copy's words, and otherwise the page before the
// load is put back. Nothing asks about unsaved changes: the page is kept in the copies.
// Returns whether the page is now the copy. ChangesMadeFlag is left to the caller; CommandLine,
// SecondLine and CommandModeLetters are the caller's again afterwards.
bool load_work_copy(std::string_view file) {
    const std::string name = work_copy_name(file);
    DocumentReadInfo info;
    if (read_document(name, CopyWords, info, true) != DocumentStatus::Ok || info.input_error)
        return false;
    const int32_t page_count = ItemWordsUsed - 1;
    std::copy(ItemStore.data(), ItemStore.data() + page_count, PageWords.data());
    const FixedText<512> line = CommandLine;
    const FixedText<512> second_line = SecondLine;
    const int32_t letter1 = CommandModeLetters(1);
    const int32_t letter2 = CommandModeLetters(2);
    {
        const WorkCopyScope scope;
        clear_exchange_text();  // a "~" there would be taken for the front-end's file name
        CommandLine.set("G " + name);
        SecondLine = CommandLine;
        CommandModeLetters(1) = 'G';
        CommandModeLetters(2) = ' ';
        ChangesMadeFlag = 0;
        run_file_command();
    }
    CommandLine = line;
    SecondLine = second_line;
    CommandModeLetters(1) = letter1;
    CommandModeLetters(2) = letter2;
    if (store_holds(CopyWords, info.count)) {
        if (ItemCount == 0) redraw_page();  // an empty page has no redraw to empty its lists
        return true;
    }
    if (!store_holds(PageWords, page_count)) {
        reset_document_state();
        replace_store_with_document(PageWords, page_count);
        redraw_page();
    }
    return false;
}

// The merge cut of UNDO: the store ends again where it ended before the merge. False when that
// word is no longer the start of a record (the page changed since without an undo copy).
bool cut_merged_items(int32_t words_before) {
    for (int32_t k = 1; k <= ItemCount + 1; ++k) {
        if (ItemStartTable(k) != words_before) continue;
        ItemCount = k - 1;
        ItemWordsUsed = words_before;
        if (ItemWordsUsed <= kItemStoreWords) ItemStore(ItemWordsUsed) = 0.0f;
        return true;
    }
    return false;
}

// UNDO (undo true) or REDO read from a running command file: the file's last step is taken back
// or given back from the pages kept in memory; the undo copy on disk stays the page before the
// file, for an UNDO typed after it.
void run_command_file_step(bool undo) {
    if (!command_file_step_kept(undo)) {
        report_failure(undo ? "*** Nothing to UNDO." : "*** Nothing to REDO.");
        if (undo) CommandModeLetters(2) = 0;
        return;
    }
    restore_command_file_step(undo, reset_document_state);
    redraw_page();
    mark_changes_by_saved_page();
    update_title_line(CurrentFileName);
}

}  // namespace

void run_undo_command() {
    if (CommandLine(4) == 'O') {
        run_undo();
    } else {
        run_undelete();
    }
}

// Contract: see the header. Tables: UndoRedoState, UndoSaveMode, ChangesMadeFlag,
// CommandModeLetters(2), the store; CommandLine and SecondLine are used for the load.
void run_undo() {
    if (command_file_steps_running()) {
        run_command_file_step(true);
        return;
    }
    if (UndoRedoState < 1) {
        report_failure("*** Nothing to UNDO.");
        CommandModeLetters(2) = 0;
        return;
    }
    const int32_t changes_before = ChangesMadeFlag;
    const int32_t save_mode = UndoSaveMode;
    if (!save_redo_copy()) return;
    const int32_t changes_after = ChangesMadeFlag;

    // After a merge the page before it is the page up to the merged records. (0 is no word
    // count: a store always starts at word 1.)
    if (save_mode >= 1 && cut_merged_items(save_mode)) {
        CommandModeLetters(2) = -1;
        UndoSaveMode = 0;
        redraw_page();
        mark_changes_by_saved_page();
        update_title_line(CurrentFileName);
        return;
    }

    if (!load_work_copy(kUndoCopyFile)) {
        UndoRedoState = 1;
        ChangesMadeFlag = changes_before;
        update_title_line(CurrentFileName);
        show_message(ReplyKind::Failure,
                     "*** The undo copy could not be read: " + shown_work_copy_name(kUndoCopyFile) +
                         "||    Nothing was undone.");
        return;
    }
    UndoSaveMode = 0;
    UndoRedoState = -1;
    ChangesMadeFlag = changes_after;
    // The copy's own mark may be that of an edit still open when it was taken; the page decides.
    mark_changes_by_saved_page();
    update_title_line(CurrentFileName);
}

// Contract: see the header. Tables: UndoRedoState, UndoSaveMode, ChangesMadeFlag, the store.
void run_redo() {
    if (command_file_steps_running()) {
        run_command_file_step(false);
        return;
    }
    if (UndoRedoState >= 0) {
        report_failure("*** Nothing to REDO.");
        return;
    }
    const int32_t changes_before = ChangesMadeFlag;
    if (!load_work_copy(kRedoCopyFile)) {
        ChangesMadeFlag = changes_before;
        show_message(ReplyKind::Failure,
                     "*** The redo copy could not be read: " + shown_work_copy_name(kRedoCopyFile) +
                         "||    Nothing was redone.");
        return;
    }
    note_undo_history_mark();
    UndoRedoState = 1;
    UndoSaveMode = -1;
    ChangesMadeFlag = 1;
    mark_changes_by_saved_page();
    update_title_line(CurrentFileName);
}

// Contract: see the header. Tables: DeletedItemRecord, DeletedItemLength, DeletedItemNumber,
// the store and its index, ChangesMadeFlag, ParamBuffer P(2), P(3), CommandLine,
// CommandModeLetters.
void run_undelete() {
    if (DeletedItemLength == 0) {
        report_failure("*** Nothing to UNDELETE.");
        CommandModeLetters(2) = -1;
        return;
    }
    const int32_t len = std::abs(DeletedItemLength);
    DeletedItemRecord.check_range(1, len);
    const int32_t start = ItemWordsUsed;
    if (!render::page_has_room_or_refuse(1, len, "the deleted item was not put back")) {
        CommandModeLetters(2) = -1;
        return;
    }
    copy_words(DeletedItemRecord.at(1), ItemStore.at(start), len);
    ItemWordsUsed = start + len;
    if (ItemWordsUsed <= kItemStoreWords) ItemStore(ItemWordsUsed) = 0.0f;
    ++ItemCount;
    ItemStartTable(ItemCount + 1) = ItemWordsUsed;
    ChangesMadeFlag = 1;
    ParamBuffer(2) = static_cast<float>(ItemCount);  // as the move takes it

    if (DeletedItemLength > 0) {
        const int32_t number = std::clamp(DeletedItemNumber, 1, ItemCount);
        ParamBuffer(3) = static_cast<float>(number);
        // The move redraws only when the item moves; one that goes back last is redrawn here.
        move_item_to_position();
        redraw_page();
        ParamBuffer(2) = static_cast<float>(number);
    } else {
        redraw_page();
        ParamBuffer(2) = static_cast<float>(ItemCount);  // the redraw used the buffer
    }
    DeletedItemLength = 0;
    CommandModeLetters(1) = 'I';
    CommandModeLetters(2) = ' ';
    CommandLine.put(1, 3, "I* ");
}

}  // namespace core
