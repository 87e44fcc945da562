// The document's state words: put back to an empty page whenever a page is cleared or a new
// document starts, and the new document itself.
#pragma once

namespace core {

// The engine's state for an empty page: PathPointList count 1; ItemCount 0, ItemWordsUsed 1,
// START(1) 1 and both output span starts 1; no edited item; StaffOffset 1; CurrentFontNumber 1;
// CommandLine(1) blank; every staff back at its default size (25.0) and place (staff 201 and up
// where staff 1 and up lie), its line width code and colour cleared; the merge bookkeeping 0.
void reset_document_state();

// A new, empty document: reset_document_state, the MIDI parts to be found again, the first-time
// set-up once per process (with the default extension ".MUS"), the name "KELDA.MUS" (current,
// previous and remembered), the client area asked of the front-end ("~za"), the item bar shown
// and the title updated.
void start_new_document();

// Rebuilds ItemStartTable from the count words of ItemStore, word 1 up to ItemWordsUsed, and sets
// ItemCount. Unlike the ordinary rebuild it neither stops at a zero count nor trims
// ItemWordsUsed (used after a cut file is read back and after text lines are compacted). A count
// word that would run past ItemWordsUsed ends the table there; the table never overflows.
void rebuild_item_start_table_to_end();

}  // namespace core
