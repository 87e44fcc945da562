// Item editing: the working copy of the edited item, loaded from the store, changed by edit
// words and number lines, and stored back in place; a copy kept for RESTORE.
#pragma once

#include <cstdint>

#include "engine/core/files/document_files.h"

namespace edit {

// Fills the working copy (EditItemParams, and EditTextBuffer for a text item) from the record
// of EditedItemNumber.
void load_item_for_editing();
// One edit word (a line without leading numbers) or a number / arithmetic line.
void run_edit_item_command();
// Writes the working copy back in place of the edited item, after an undo copy of the page as
// it was before the item's edit began.
void store_edited_item();
// Whether the edited item holds changes that are shown but not yet stored.
bool edit_waits_to_be_stored();
// Whether the working copy, as X would store it, differs from the edited item's stored record
// (a trailing zero counts as a missing value). False when no stored item is edited.
bool edited_item_differs();
// What a save found of the edited item's changes (store_edit_before_save).
enum class EditBeforeSave { NothingWaiting, Stored, NotStored };
// Before a save: changes of the edited item not yet stored are stored as "X" stores them (the
// stored record kept for RESTORE first, the page marked changed); the item stays the edited
// one. With an item edited, its next change takes an undo copy of its own (a save ends the undo
// history). NotStored: the store is full and nothing changed.
EditBeforeSave store_edit_before_save();
// The page with the edited item's unstored changes in its place, for a write that must leave
// the page itself as it is (the backup at an end). False, words untouched, when nothing waits
// or the record does not fit.
bool page_with_waiting_edit(core::DocumentWords& words, int32_t& used);
// The undo copy just written holds the page before item k's edit (a new item's copy is the page
// without it): its stores take no copy of their own until the edit ends.
void keep_edit_undo_copy(int32_t k);
// Editing has ended: the next store of any item takes its own undo copy.
void end_edit_undo_copy();
// The item whose edit the undo copy numbered `written` (core::UndoCopiesWritten) was taken
// for (item 0: none).
struct EditUndoCopyMark {
    int32_t item = 0;
    int32_t written = -1;
    bool operator==(const EditUndoCopyMark&) const = default;
};
EditUndoCopyMark edit_undo_copy_mark();
// The item edited now has its undo copy (the page before its edit, or without it when it is
// new) and that copy is still the one UNDO would load: what the edit stores belongs to it.
bool edit_holds_undo_copy();
// The undo copy just written after a command line holds the page before that line: a mark the
// line set (it differs from before_line) for the copy before that one names the new copy, as
// the line's own copy would have been named.
void renew_edit_undo_copy(const EditUndoCopyMark& before_line);
// The in-place part of the store: record, graphics entries and text records spliced.
void splice_edited_item();
// Measures the output that the record built past the end of the store produced.
void measure_new_item_output();
// While the edited item is dragged: its stored image leaves the output lists, so that only the
// preview shows it.
void hide_stored_image();
// The stored image that a drag took out is drawn again (the edit was not stored).
void show_hidden_image();
// Readies the preview of the working copy; returns the after-keyword flag to put back.
int32_t start_working_preview();
// Keeps item k's record for RESTORE.
void save_item_for_restore(int32_t k);
// RESTORE: puts the kept record back before the item it was kept from and opens it.
void restore_item();
// PM: the parameter dialog for one page of ten P-values; the changed ones become pairs in
// ParamBuffer. Returns the next free pair index (1: nothing changed).
int32_t collect_changed_parameters();
// The E-word tail: ED after a drawn box, EN, a third letter I, E (the item bar).
void run_ed_command();
// The item bar: its mode := max(mode, 0), and the front-end shows or hides the bar.
void set_item_bar_mode(int32_t mode);

}  // namespace edit
