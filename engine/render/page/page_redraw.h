// The page redraw: rebuilds the graphics list, the text stream and the output spans from the
// whole store (or writes the page through the PostScript writer in the PostScript pass); the
// preview of the item being edited; and appending a record at the end of the store.
//
// Tables: ItemStore, ItemStartTable, ItemCount, ItemWordsUsed, ParamBuffer, IntParamBuffer,
// EditItemParams, EditedItemNumber, MacroUnit, CommandStateWord, CommandLine,
// OutputBufferViews, GraphicsNextFree, ItemOutputSpans (core); StaffTables (layout);
// PathPointList, OutputPassWord, DrawColourWord, LastOperationWord, ViewOrigin, ColourMemo,
// GreyState, PsColourFlag, PreviewStart, EditGuide*, AfterKeywordFlag, EditTextBuffer,
// ItemCountLimit (render).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace render {

// Redraws every item into the output lists and rebuilds the start table; removes the items of
// code 19 and above, which live only until the next redraw.
void redraw_items();
// redraw_items() that draws the whole page now, also while a command file holds the screen's
// drawing back until its end: a box measured from the lists (BB, the print box) needs them.
void redraw_every_item();
// redraw_items() on the screen leaving item `left_out` undrawn (its output spans empty); the
// page so drawn is not kept for later redraws.
void redraw_items_leaving_out(int32_t left_out);
// Draws the preview of item EditedItemNumber behind the last item's output, in red, with its
// marker triangle and, in guide mode 2, a dashed vertical guide.
void redraw_edited_item();
// The page as the screen shows it while an item is edited: the stored items in their own
// colours (HiddenImageItem's left out), then the edited item's working copy with its marker, as
// its last change drew it. Outside editing, and for a text being edited, redraw_items().
void redraw_items_around_edit();

// The one check every growth of the page makes before it changes anything: whether `items` more
// items holding `words` more words (count words included) fit after the last item: at most
// ItemCountLimit items, the store's words and its start table.
bool page_has_room(int64_t items, int64_t words);
// page_has_room, else the page-full reply ("**** The page is full: " + what + ".") and false.
bool page_has_room_or_refuse(int64_t items, int64_t words, std::string_view what);
// The page-full words of a new item refused at the item limit.
std::string item_limit_refusal();

// Appends the record [n, P1..Pn] at the end of ItemStore (text items take their characters from
// EditTextBuffer). p holds P1 at p[0] and has room for `available` values. Refuses, with a
// message to the user and the store untouched, when a new item would pass the item limit or
// the record does not fit; returns whether it appended. n comes back as the count of P's
// written.
bool append_item(int32_t& n, const float* p, int32_t available);

// Cuts the store back to the start word of item AppendTargetItem, to be written again: the
// items from it on are dropped whole (ItemCount, ItemWordsUsed) and PathPointList is emptied of
// the points drawn for it. A target outside 1..ItemCount + 1 is taken as ItemCount + 1, which
// keeps every stored item and drops only words past the last one.
void rewind_store_to_item();

template <int N>
bool append_item(int32_t& n, const core::Array1<float, N>& p) {
    return append_item(n, p.data(), N);
}

// Draws items k..ItemCount behind the output of the items before k and refreshes the screen.
// An item stored with a negative code is drawn highlighted and gets its code back positive.
// Without bound output lists only the codes are made positive. k outside 1..ItemCount draws
// nothing.
void redraw_items_from(int32_t k);

// Brings the output lists to what redraw_items() would draw, drawing again only the items that
// changed since the last whole screen redraw (and the output behind them moved into place),
// when the lists still hold that redraw and nothing else the drawers read has changed; else a
// whole redraw.
void redraw_changed_items();

// What redraw_items() does to the store, without drawing: the start table rebuilt, a stored P1
// of 0.0 made 3.0 and the passing items (codes 19 and above) removed. For a front-end that shows
// no lists while a command waits.
void settle_items();

// True after settle_items() stood in for a redraw, until the next whole or changed-items redraw
// of the screen lists: the lists then still show the page before the last change.
bool lists_behind_store();

}  // namespace render
