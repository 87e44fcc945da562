// The page as its document file holds it: taken when the page is loaded from the file or saved
// to it, so that a page brought back to it (by UNDO or REDO) is shown saved again, and a page
// that differs from it is never shown saved.
#pragma once

namespace core {

// The store, as it stands now, is what the file CurrentFileName holds.
void remember_saved_page();
// No file is known to hold the page (a page not read whole, a new page).
void forget_saved_page();
// True when the store holds what the current document's file holds, in the file's units.
bool page_is_saved_page();
// Sets ChangesMadeFlag by the page: 0 when the store holds what the current document's file
// holds, in the file's units, 1 when it holds items and differs, or when no file is known to
// hold the current document's page (a page loaded changed, a page under another name). On an
// empty page the flag is left as it is.
void mark_changes_by_saved_page();
// At the end of a command line with no item edit waiting: a page marked changed that holds what
// its file holds is marked saved again (a word that changed nothing, an edit stored unchanged);
// so is an empty page that no file holds.
void unmark_changes_of_saved_page();

}  // namespace core
