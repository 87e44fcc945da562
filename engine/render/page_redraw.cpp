#include "engine/render/page_redraw.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/core/console_bridge.h"
#include "engine/core/front_end_port.h"
#include "engine/core/item_store.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/item_drawing.h"
#include "engine/render/notes.h"
#include "engine/render/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace render {

namespace {

using core::ItemStore;

// Stored word s + k when it lies inside the store, else 0.0 (a short record at the very end of
// the store is read as zeros rather than past it).
float stored(int32_t s, int32_t k) {
    const int32_t w = s + k;
    return (w >= 1 && w <= core::kItemStoreWords) ? ItemStore(w) : 0.0f;
}

bool is_text_with_own_grey(int32_t s) { return stored(s, 1) == 16.0f && stored(s, 14) == -1.0f; }

// Ends a redraw however it ends: ItemCount, which served as the item number, gets the true
// count back and the length word covers what was written, also when a drawer's fault ends the
// command half-way.
class RedrawEnd {
  public:
    explicit RedrawEnd(int32_t count) : count(count) {}
    ~RedrawEnd() {
        core::ItemCount = count;
        core::CommandLine(1) = ' ';
        auto& graphics = core::OutputBufferViews.graphics;
        if (graphics.bound()) graphics.length() = core::GraphicsNextFree - 1;
    }
    RedrawEnd(const RedrawEnd&) = delete;
    RedrawEnd& operator=(const RedrawEnd&) = delete;
    int32_t count;
};

// P1..P50 := 0, then the first min(words, 50) words of the record at s.
void load_params(int32_t s, int32_t words) {
    float* p = core::ParamBuffer.data();
    std::fill(p, p + 50, 0.0f);
    int32_t m = words < 50 ? words : 50;
    if (m > core::kItemStoreWords - s) m = core::kItemStoreWords - s;
    if (m < 1) return;
    ItemStore.check_range(s + 1, m);
    std::copy(ItemStore.at(s + 1), ItemStore.at(s + 1) + m, p);
}

// Removes the record at s (count word n) from the store: the words behind it move down over it
// and the freed words at the end are cleared. Only words in use are moved, so a damaged count
// cannot carry the move past the store.
void remove_record(int32_t s, int32_t n) {
    int32_t used = core::ItemWordsUsed;
    if (used > core::kItemStoreWords + 1) used = core::kItemStoreWords + 1;
    int32_t len = n + 1;
    if (len > used - s) len = used - s;
    if (len < 1) return;
    for (int32_t w = s + len; w <= used - 1; ++w) ItemStore(w - len) = ItemStore(w);
    for (int32_t w = used - len; w <= used - 1; ++w) ItemStore(w) = 0.0f;
    core::ItemWordsUsed = used - len;
    core::rebuild_item_start_table();
}

// PostScript pass: the grey of the item before it is drawn (P16 of a text item coloured by it,
// P26 when positive); a new grey opens a grey group. An EPS item's P26 is part of its file
// name, and its wrapper steps out to the page's own graphics state, which a group would hide.
void set_ps_grey() {
    auto& p = core::ParamBuffer;
    int32_t index = (p(1) == 16.0f && p(14) == -1.0f) ? 16 : 0;
    if (p(26) > 0.0f && p(1) != 15.0f) index = 26;
    if (index == 0) {
        GreyState.current = 0.0f;
    } else if (p(index) != GreyState.current) {
        GreyState.current = p(index);
        run_hook(RenderHooks.write_ps_gray_level, GreyState.groups);
    }
}

// PostScript pass, after the item's drawer: its path goes out, a shape note gets its letter,
// and a grey group that the item opened is closed.
void finish_ps_item(int32_t s, int32_t n) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    run_hook(RenderHooks.flush_path_points);
    const int32_t head = ip(6);
    if (ip(1) == 1 && ((head >= 20 && head <= 23) || (head <= -20 && head >= -23))) {
        const float saved = p(26);
        if (head >= 0) {
            p(26) = 1.0f;
            GreyState.current = 1.0f;
            run_hook(RenderHooks.write_ps_gray_level, GreyState.groups);
        }
        float size = p(15) == 0.0f ? 1.0f : p(15);
        draw_attached_item(size);
        GreyState.current = saved;
        p(26) = saved;
        if (head > 0) run_hook(RenderHooks.write_ps_line, " r");
    }
    float own = n >= 26 ? stored(s, 26) : 0.0f;
    if (is_text_with_own_grey(s)) own = stored(s, 16);
    if (GreyState.current != 0.0f && GreyState.current != own) {
        run_hook(RenderHooks.write_ps_line, " r");
    }
}

// Writes one entry at pos when the list has room; returns the position after it.
int32_t put_entry(int32_t pos, int32_t x, int32_t y, int32_t colour, int32_t op) {
    if (pos < 1) return pos;
    if (pos > core::kGraphicsListWords - 2) {
        ScreenListOverflow = 1;
        return pos;
    }
    auto& graphics = core::OutputBufferViews.graphics;
    graphics(pos) = x;
    graphics(pos + 1) = y;
    graphics(pos + 2) = static_cast<int32_t>(static_cast<uint32_t>(colour) +
                                             ((static_cast<uint32_t>(op) & 0xFFu) << 24));
    return pos + 3;
}

std::string item_limit_message() {
    std::string count = core::format_int("(1i6)", ItemCountLimit);
    count.erase(0, count.find_first_not_of(' '));
    return "**** Item limit reached (" + count + " items): the item was not added.";
}

// The screen lists have a fixed size: a page that draws more than they hold loses its last
// items on screen. The user is told once, and again only after the page has fitted in between,
// on the message line: a message box would stop the redraw for an answer, and the start-up
// redraw runs before the window is even shown.
void notice_full_screen_list() {
    const bool full = ScreenListOverflow != 0;
    if (full && ScreenListFullNoticed == 0) {
        ScreenListFullNoticed = 1;
        if (core::has_front_end()) {
            core::front_end().SetMessageLineText(
                "**** This page draws more than the screen can hold: its last items are not "
                "shown.");
        }
    } else if (!full) {
        ScreenListFullNoticed = 0;
    }
}

// Keeps ItemCount the item being drawn while drawers run (they read it), and gives the true
// count back however the drawing ends.
class DrawCount {
  public:
    DrawCount() : count_(core::ItemCount) {}
    ~DrawCount() {
        core::ItemCount = count_;
        HighlightFlag = 0;
    }
    DrawCount(const DrawCount&) = delete;
    DrawCount& operator=(const DrawCount&) = delete;
    int32_t count() const { return count_; }

  private:
    int32_t count_;
};

}  // namespace

// Contract: with items in the store, rebuilds GraphicsList, TextDisplayStream and
// ItemOutputSpans from item 1 on (while a command file runs outside a command state, only the
// start table). A stored P1 of 0.0 becomes 3.0 (a clef); items of code 19 and above are removed
// from the store. ItemCount is the number of the item being drawn while the walk runs and gets
// the true count back at the end. In the PostScript pass items with P26 < 0 are skipped and
// each item's path and grey go to the PostScript writer. On the screen pass, a page that draws
// more than the screen lists hold is reported once on the message line (what fits stays).
void redraw_items() {
    if (core::ItemCount == 0) return;
    if (core::MacroUnit > 0 && core::CommandStateWord == 0) {
        // Appends and deletes keep the start table: it is rebuilt only when it no longer ends
        // where the store does. The page is drawn once, when the file ends.
        if (core::ItemStartTable(core::ItemCount + 1) != core::ItemWordsUsed)
            core::rebuild_item_start_table();
        return;
    }
    auto& p = core::ParamBuffer;
    auto& gspan = core::ItemOutputSpans.graphics;
    auto& tspan = core::ItemOutputSpans.text;
    const bool postscript = OutputPassWord == -1;

    core::GraphicsNextFree = 1;
    DrawColourWord = 0;
    LastOperationWord = 0;
    ScreenListOverflow = 0;
    SymbolRangeReported = 0;
    DrawingRangeReported = 0;
    run_hook(RenderHooks.draw_page_frame);
    core::OutputBufferViews.text.length() = 0;
    CurrentFontNumber = LoadedFont.number;
    GreyState = GreyStateRecord{};

    core::rebuild_item_start_table();
    PathPointList.count = 1;
    RedrawEnd end(core::ItemCount);
    int32_t k = 1;
    while (k <= end.count) {
        core::ItemCount = k;
        ColourMemo.valid = 0;
        PsColourFlag = 0;
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(ItemStore(s));
        if (stored(s, 1) == 0.0f && s + 1 <= core::kItemStoreWords) ItemStore(s + 1) = 3.0f;
        int32_t words = n;
        if (stored(s, 1) == 16.0f) words = stored(s, 14) == -1.0f ? 18 : 12;
        load_params(s, words);

        if (p(1) >= 19.0f) {
            // Passing items (codes 19 and up) live only until the next redraw.
            remove_record(s, n);
            --end.count;
            continue;
        }
        bool draw = true;
        if (postscript) {
            if (p(26) < 0.0f) {
                draw = false;  // not printed
            } else {
                set_ps_grey();
            }
        }
        tspan(k + 1) = tspan(k);
        if (draw) {
            draw_item_by_code();
            if (!postscript) {
                if (PathPointList.count > 1) set_item_colour();
            } else {
                finish_ps_item(s, n);
            }
        }
        ColourMemo.valid = 0;
        PathPointList.count = 1;
        ++k;
        gspan(k) = core::GraphicsNextFree;
    }
    if (OutputPassWord == 1) notice_full_screen_list();
}

// Contract: draws the item being edited behind the last item's output (from PreviewStart) in
// red, or in its own colour when P26 is set, then its marker triangle and, in guide mode 2, a
// dashed vertical guide. After a keyword edit (AfterKeywordFlag) the item in ParamBuffer is
// drawn over the last preview; otherwise the stored record of EditedItemNumber is loaded into
// EditItemParams and ParamBuffer (a text record is first copied to the end of the store for its
// drawer). An item number outside 1..ItemCount + 1 draws nothing. Writes GraphicsNextFree, the
// list lengths, ItemOutputSpans at ItemCount + 2 and PreviewStart.
void redraw_edited_item() {
    auto& p = core::ParamBuffer;
    auto& e = core::EditItemParams;
    auto& gspan = core::ItemOutputSpans.graphics;
    auto& tspan = core::ItemOutputSpans.text;
    auto& graphics = core::OutputBufferViews.graphics;
    auto& text = core::OutputBufferViews.text;
    const int32_t edited = core::EditedItemNumber;
    const bool valid_item = edited >= 1 && edited <= core::ItemCount + 1;
    const bool after_keyword = AfterKeywordFlag != 0;

    if (after_keyword) {
        core::GraphicsNextFree = PreviewStart.graphics;
        text.length() = PreviewStart.text;
    } else {
        if (!valid_item) return;
        const int32_t s = core::ItemStartTable(edited);
        int32_t n = core::int_of(ItemStore(s));
        if (stored(s, 1) == 0.0f) ItemStore(s + 1) = 3.0f;
        if (stored(s, 1) == 16.0f) {
            const int32_t dest = core::ItemStartTable(core::ItemCount + 1);
            if (dest != s && n >= 0 && dest + n + 1 <= core::kItemStoreWords) {
                core::copy_words(ItemStore.at(s), ItemStore.at(dest), n + 1);
                ItemStore(dest + n + 1) = 0.0f;
            }
            n = stored(s, 14) == -1.0f ? 16 : 13;
        }
        if (n > 50) n = 50;
        if (n > core::kItemStoreWords - s) n = core::kItemStoreWords - s;
        for (int32_t k = 1; k <= 50; ++k) e(k) = k <= n ? ItemStore(s + k) : 0.0f;
        for (int32_t k = 1; k <= 50; ++k) p(k) = e(k);
        PreviewStart.graphics = gspan(core::ItemCount + 1);
        PreviewStart.text = tspan(core::ItemCount + 1) - 1;
        core::GraphicsNextFree = PreviewStart.graphics;
        text.length() = PreviewStart.text;
    }

    PathPointList.count = 1;
    DrawColourWord = 255;
    if (p(1) == 16.0f && p(14) == -1.0f) p(26) = p(16);
    if (p(26) != 0.0f) DrawColourWord = colour_from_value(p(26));
    draw_item_by_code();
    begin_item_drawing();

    const int32_t next = core::GraphicsNextFree;
    gspan(core::ItemCount + 2) = next;
    graphics.length() = next - 1;
    tspan(core::ItemCount + 2) = text.length() + 1;

    // Marker: a filled red triangle pointing down at the item.
    int32_t pos = next;
    const int32_t code = core::int_of(e(1));
    const int32_t staff = core::int_of(e(2));
    if (staff >= 0 && staff <= layout::kMaxStaves) {
        float v = e(1) == 8.0f ? 4.0f : e(4);
        if (code > 16 || code == 2 || code == 3) v += 4.0f;
        if (code < 4 || code == 6) v -= static_cast<float>(core::int_of(v / 100.0f)) * 100.0f;
        const int32_t y = core::int_in(static_cast<float>(staff_base_y(staff)) +
                                           v * 7.0f * layout::StaffTables.StaffScale(staff) -
                                           static_cast<float>(ViewOrigin.y),
                                       -kFarCoordinate, kFarCoordinate);
        const int32_t x = core::int_in(e(3) * 150.0f, -kFarCoordinate, kFarCoordinate) +
                          (staff > 200 ? kSpreadShift : 0) + ViewOrigin.x;
        pos = put_entry(pos, x, y - 400, 255, 2);
        pos = put_entry(pos, x + 200, y - 900, 255, 0);
        pos = put_entry(pos, x - 200, y - 900, 255, 0);
        pos = put_entry(pos, x, y - 400, 255, 0);
    }

    if (EditGuideMode == 2) {
        float stored_p2 = e(2);
        if (valid_item) stored_p2 = stored(core::ItemStartTable(edited), 2);
        const float column = EditGuideColumn + (stored_p2 > 200.0f ? 227.0f : 0.0f);
        const int32_t x = core::int_of(static_cast<float>(ViewOrigin.x) + column * 150.0f);
        int32_t y = staff_base_y(1) - ViewOrigin.y;
        do {
            const int32_t before = pos;
            pos = put_entry(pos, x, y, 255, 1);
            pos = put_entry(pos, x, y + 300, 255, 0);
            if (pos == before) break;  // the list is full
            y += 600;
        } while (y < 18000);
    }
    if (pos > next) graphics.length() = pos - 1;

    if (!after_keyword && code == 16) core::refresh_screen();
}

// Contract: appends [n, P1..Pn] at ItemWordsUsed. A text item (P1 = 16) is stored with 16 P's
// when its P14 is -1.0, else 13, followed by INT((P12 + 3) / 4) words of EditTextBuffer; fewer
// than 3 P's are stored as 3 with the missing ones 0.0. With no item being edited the record
// becomes item ItemCount + 1; while one is edited it is a scratch record at ItemCount + 2.
// Refused with a message, the store untouched: at ItemCountLimit items, and when the record
// would not fit in ItemStore. A count larger than p holds is a defect.
// Contract: see the header. Writes ItemCount, ItemWordsUsed and PathPointList's count.
void rewind_store_to_item() {
    int32_t k = AppendTargetItem;
    if (k < 1 || k > core::ItemCount + 1) k = core::ItemCount + 1;
    if (k > core::kItemStartEntries) return;
    // Items from k on are cut off whole, never a part of one.
    core::ItemCount = k - 1;
    core::ItemWordsUsed = core::ItemStartTable(k);
    PathPointList.count = 1;
}

bool append_item(int32_t& n, const float* p, int32_t available) {
    if (core::ItemCount >= ItemCountLimit) {
        // The item that was to come is dropped: the store ends after the last item, whole.
        AppendTargetItem = core::ItemCount + 1;
        rewind_store_to_item();
        core::show_message(item_limit_message());
        return false;
    }
    const bool text_item = available >= 1 && p[0] == 16.0f;
    if (text_item) n = (available >= 14 && p[13] == -1.0f) ? 16 : 13;
    const int32_t given = n < 0 ? 0 : n;
    if (given > available) core::report_index_defect("item parameters", given, 0, available);
    const int32_t count = given < 3 ? 3 : given;
    int32_t text_words = 0;
    if (text_item && available >= 12) {
        text_words = core::int_of((p[11] + 3.0f) * 0.25f);
        if (text_words < 0) text_words = 0;
        if (text_words > 128) text_words = 128;
    }

    const int32_t start = core::ItemWordsUsed;
    const int32_t end = start + 1 + count + text_words;  // word after the record
    const int32_t slot = core::ItemCount + 2;            // the new end mark's entry either way
    if (start < 1 || end - 1 > core::ItemStoreCapacity || end - 1 > core::kItemStoreWords ||
        slot > core::kItemStartEntries) {
        core::show_message("**** The page is full: the item was not added.");
        return false;
    }

    ItemStore(start) = static_cast<float>(count + text_words);
    for (int32_t k = 1; k <= count; ++k) ItemStore(start + k) = k <= given ? p[k - 1] : 0.0f;
    if (text_words > 0) {
        std::memcpy(ItemStore.at(start + 1 + count), EditTextBuffer.data(),
                    static_cast<std::size_t>(text_words) * 4);
    }
    if (core::EditedItemNumber == 0) {
        ++core::ItemCount;
        core::ItemStartTable(core::ItemCount + 1) = end;
        core::LastItemNumber = core::ItemCount;
    } else {
        core::ItemStartTable(core::ItemCount + 2) = end;
    }
    core::ItemWordsUsed = end;
    if (end <= core::kItemStoreWords) ItemStore(end) = 0.0f;
    n = count + text_words;
    return true;
}

// Contract: see the header. Reads ItemStore, ItemStartTable, ItemOutputSpans; writes the
// graphics list from item k's output on, ItemOutputSpans k + 1.., the stored P1 of
// highlighted items, HighlightFlag (0 again afterwards). ItemCount runs over the items being
// drawn, as the drawers expect, and gets its value back.
void redraw_items_from(int32_t k) {
    if (k < 1 || k > core::ItemCount) return;
    auto& store = core::ItemStore;
    auto& graphics = core::OutputBufferViews.graphics;
    if (!graphics.bound()) {
        for (int32_t j = k; j <= core::ItemCount; ++j) {
            const int32_t s = core::ItemStartTable(j);
            if (store(s + 1) < 0.0f) store(s + 1) = -store(s + 1);
        }
        return;
    }
    auto& gspan = core::ItemOutputSpans.graphics;
    auto& tspan = core::ItemOutputSpans.text;
    auto& text = core::OutputBufferViews.text;
    auto& p = core::ParamBuffer;
    if (gspan(k) >= 1 && gspan(k) <= core::GraphicsNextFree) core::GraphicsNextFree = gspan(k);
    gspan(k) = core::GraphicsNextFree;
    if (tspan(k) < 1) tspan(k) = text.length() + 1;
    text.length() = tspan(k) - 1;
    LastOperationWord = 0;
    {
        DrawCount guard;
        for (int32_t j = k; j <= guard.count(); ++j) {
            core::ItemCount = j;
            const int32_t s = core::ItemStartTable(j);
            const int32_t n = std::clamp(core::int_of(store(s)), 0, 50);
            for (int32_t w = 1; w <= 56; ++w) p(w) = w <= n ? store(s + w) : 0.0f;
            HighlightFlag = 0;
            if (p(1) < 0.0f) {
                p(1) = -p(1);
                store(s + 1) = p(1);
                HighlightFlag = 1;
            }
            ColourMemo.valid = 0;
            DrawColourWord = 0;
            PathPointList.count = 1;
            tspan(j + 1) = tspan(j);
            draw_item_by_code();
            if (PathPointList.count > 1) set_item_colour();
            PathPointList.count = 1;
            gspan(j + 1) = core::GraphicsNextFree;
        }
    }
    graphics.length() = core::GraphicsNextFree - 1;
    core::refresh_screen();
}

}  // namespace render
