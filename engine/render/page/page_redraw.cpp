#include "engine/render/page/page_redraw.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"

namespace render {

namespace {

using core::ItemStore;

// See lists_behind_store().
bool ListsBehindStore = false;

// Stored word s + k when it lies inside the store, else 0.0 (a short record at the very end of
// the store is read as zeros rather than past it).
float stored(int32_t s, int32_t k) {
    const int32_t w = s + k;
    return (w >= 1 && w <= core::kItemStoreWords) ? ItemStore(w) : 0.0f;
}

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

// The item the screen redraw leaves undrawn (0: none).
int32_t ItemLeftOut = 0;

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
// P26 when positive) opens a grey group for the item alone; finish_ps_item closes it, so that
// the items after it print in black again. An EPS item's P26 is part of its file name, and its
// wrapper steps out to the page's own graphics state, which a group would hide.
void set_ps_grey() {
    auto& p = core::ParamBuffer;
    int32_t index = (p(1) == 16.0f && p(14) == -1.0f) ? 16 : 0;
    if (p(26) > 0.0f && p(1) != 15.0f) index = 26;
    GreyState.item_group = 0;
    if (index == 0 || p(index) == 0.0f) {
        GreyState.current = 0.0f;
        return;
    }
    GreyState.current = p(index);
    GreyState.item_group = 1;
    run_hook(RenderHooks.write_ps_gray_level, GreyState.groups);
}

// Closes a PostScript group. A font selected inside it ends with it (grestore), so a selection
// made since selections_before is due again for the next text.
void close_ps_group(int32_t selections_before) {
    run_hook(RenderHooks.write_ps_line, " r");
    if (LoadedFont.selections != selections_before) LoadedFont.ps_width = -1.0f;
}

// PostScript pass, after the item's drawer: its path goes out, a shape note gets its letter,
// and a grey group that the item opened is closed. selections_before: the font selections
// written before the item's drawer ran.
void finish_ps_item(int32_t selections_before) {
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
        if (head > 0) close_ps_group(selections_before);
    }
    if (GreyState.item_group != 0) {
        close_ps_group(selections_before);
        GreyState.item_group = 0;
    }
    GreyState.current = 0.0f;
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

// The screen lists have a fixed size: a page that draws more than they hold loses its last
// items on screen. The user is told once, and again only after the page has fitted in between,
// on the message line: a message box would stop the redraw for an answer, and the start-up
// redraw runs before the window is even shown.
void notice_full_screen_list() {
    const bool full = ScreenListOverflow != 0;
    if (full && ScreenListFullNoticed == 0) {
        ScreenListFullNoticed = 1;
        core::show_line_reply(core::ReplyKind::Notice,
                              "**** This page draws more than the screen can hold: its last "
                              "items are not shown.");
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

// What the last whole screen redraw drew, so that a later redraw can draw again only the items
// that changed since and keep the rest of the lists: the store as drawn, where each item's output
// began and the drawing state it began in, the spans, the lists themselves (to notice any other
// writer) and the settings every drawer reads.
struct EntryState {
    int32_t graphics = 0;  // GraphicsNextFree
    int32_t text = 0;      // text stream length
    int32_t colour = 0;    // DrawColourWord
    int32_t last_op = 0;   // LastOperationWord
    int32_t font = 0;      // CurrentFontNumber
    int32_t loaded = 0;    // LoadedFont.number
    bool operator==(const EntryState&) const = default;
};

struct DrawContext {
    ViewOriginRecord view;
    float extent = 0.0f, width = 0.0f, centre = 0.0f;
    int32_t mark = 0, pass = 0, edited = 0, invisible = 0;
    PageOutlineShiftRecord shift;
    UserPaperSizeRecord paper;
    layout::StaffTablesRecord staves;
};

struct DrawnPage {
    bool valid = false;
    int32_t count = 0;
    std::vector<float> store;       // words 1..ItemWordsUsed - 1, from index 0
    std::vector<int32_t> starts;    // start table 1..count + 1, from index 1
    std::vector<EntryState> entry;  // 1..count + 1 (the end), from index 1
    std::vector<int32_t> gspan;     // ItemOutputSpans 1..count + 1, from index 1
    std::vector<int32_t> tspan;
    std::vector<int32_t> graphics;  // the graphics words 1..end, from index 0
    std::vector<uint8_t> text;      // the text stream bytes 1..end, from index 0
    DrawContext context;
    // From which item on another redraw has drawn over the lists since (count + 2: none).
    int32_t dirty_item = 0;
};

DrawnPage Drawn;

DrawContext current_context() {
    DrawContext c;
    c.view = ViewOrigin;
    c.extent = PageExtent;
    c.width = PageWidth;
    c.centre = PageCentre;
    c.mark = DisplayMarkWord;
    c.pass = OutputPassWord;
    c.edited = core::EditedItemNumber;
    c.invisible = layout::ShowInvisibleItems;
    c.shift = PageOutlineShift;
    c.paper = UserPaperSize;
    c.staves = layout::StaffTables;
    return c;
}

bool same_context(const DrawContext& a, const DrawContext& b) {
    const auto& sa = a.staves;
    const auto& sb = b.staves;
    auto same = [](const auto& x, const auto& y) {
        return std::memcmp(x.data(), y.data(), sizeof(*x.data()) * x.size()) == 0;
    };
    for (int i = 0; i <= layout::kMaxStaves; ++i) {
        if (sa.StaffScale(i) != sb.StaffScale(i)) return false;
    }
    return a.view.x == b.view.x && a.view.y == b.view.y && a.extent == b.extent &&
           a.width == b.width && a.centre == b.centre && a.mark == b.mark && a.pass == b.pass &&
           a.edited == b.edited && a.invisible == b.invisible && a.shift.x == b.shift.x &&
           a.shift.y == b.shift.y && a.paper.width == b.paper.width &&
           a.paper.height == b.paper.height && same(sa.StaffBaseY, sb.StaffBaseY) &&
           same(sa.StaffMiddleY, sb.StaffMiddleY) &&
           same(sa.StaffLineWidthCode, sb.StaffLineWidthCode) &&
           same(sa.StaffColour, sb.StaffColour) && sa.CurrentStaff == sb.CurrentStaff;
}

EntryState current_entry() {
    EntryState e;
    e.graphics = core::GraphicsNextFree;
    e.text = core::OutputBufferViews.text.length();
    e.colour = DrawColourWord;
    e.last_op = LastOperationWord;
    e.font = CurrentFontNumber;
    e.loaded = LoadedFont.number;
    return e;
}

// Keeps what a screen redraw of `count` items drew; entry holds the items' entry states. The
// lists are copied too unless the caller has brought the kept copy up to date itself.
void keep_drawn_page(int32_t count, std::vector<EntryState>& entry, bool copy_lists = true) {
    auto& graphics = core::OutputBufferViews.graphics;
    auto& text = core::OutputBufferViews.text;
    Drawn.valid = false;
    entry.resize(static_cast<std::size_t>(count) + 2);
    entry[static_cast<std::size_t>(count) + 1] = current_entry();
    const int32_t used = core::ItemWordsUsed;
    const int32_t gend = core::GraphicsNextFree;
    const int32_t tend = text.length();
    if (used < 1 || used > core::kItemStoreWords + 1 || gend < 1 ||
        gend > core::kGraphicsListWords + 1 || tend < 0 || tend > core::kTextStreamBytes) {
        return;
    }
    Drawn.count = count;
    Drawn.entry.swap(entry);
    Drawn.store.assign(ItemStore.at(1), ItemStore.at(1) + (used - 1));
    Drawn.starts.assign(static_cast<std::size_t>(count) + 2, 0);
    Drawn.gspan.assign(static_cast<std::size_t>(count) + 2, 0);
    Drawn.tspan.assign(static_cast<std::size_t>(count) + 2, 0);
    for (int32_t k = 1; k <= count + 1; ++k) {
        Drawn.starts[static_cast<std::size_t>(k)] = core::ItemStartTable(k);
        Drawn.gspan[static_cast<std::size_t>(k)] = core::ItemOutputSpans.graphics(k);
        Drawn.tspan[static_cast<std::size_t>(k)] = core::ItemOutputSpans.text(k);
    }
    if (!copy_lists && (Drawn.graphics.size() != static_cast<std::size_t>(gend - 1) ||
                        Drawn.text.size() != static_cast<std::size_t>(tend))) {
        return;
    }
    if (copy_lists) {
        Drawn.graphics.assign(graphics.data(), graphics.data() + (gend - 1));
        Drawn.text.assign(text.data(), text.data() + tend);
    }
    Drawn.context = current_context();
    Drawn.dirty_item = count + 2;
    Drawn.valid = true;
}

// Item i of the store as drawn equals item j of the store now.
bool same_item(int32_t i, int32_t j) {
    const int32_t a = Drawn.starts[static_cast<std::size_t>(i)];
    const int32_t n = Drawn.starts[static_cast<std::size_t>(i) + 1] - a;
    const int32_t b = core::ItemStartTable(j);
    if (core::ItemStartTable(j + 1) - b != n || n < 1) return false;
    return std::memcmp(Drawn.store.data() + (a - 1), ItemStore.at(b),
                       static_cast<std::size_t>(n) * sizeof(float)) == 0;
}

// The lists still hold what the kept redraw drew for items 1..first - 1: the same spans up to
// item first, each item's output starting with the same entry, and the same text before item
// first's. (Behind that, the kept copy, not the lists, is what the output is taken from.)
bool lists_as_drawn(int32_t first) {
    auto& graphics = core::OutputBufferViews.graphics;
    auto& text = core::OutputBufferViews.text;
    const auto gwords = static_cast<int32_t>(Drawn.graphics.size());
    if (first > Drawn.dirty_item) return false;
    const int32_t* live = graphics.data();
    for (int32_t k = 1; k <= first; ++k) {
        const int32_t g = core::ItemOutputSpans.graphics(k);
        if (g != Drawn.gspan[static_cast<std::size_t>(k)] ||
            core::ItemOutputSpans.text(k) != Drawn.tspan[static_cast<std::size_t>(k)]) {
            return false;
        }
        if (k < first && g >= 1 && g + 2 <= gwords &&
            std::memcmp(live + (g - 1), Drawn.graphics.data() + (g - 1), 3 * sizeof(int32_t)) !=
                0) {
            return false;
        }
    }
    const int32_t text_before = Drawn.entry[static_cast<std::size_t>(first)].text;
    return text.length() >= text_before &&
           std::equal(text.data(), text.data() + text_before, Drawn.text.begin());
}

// Set while a measurement needs the lists of every item at once (see redraw_every_item).
bool g_draw_every_item_now = false;

}  // namespace

// Contract: see the header. The flag is cleared however the redraw ends.
void redraw_every_item() {
    struct Now {
        bool before = g_draw_every_item_now;
        Now() { g_draw_every_item_now = true; }
        ~Now() { g_draw_every_item_now = before; }
    } now;
    redraw_items();
}

// Contract: with items in the store, rebuilds GraphicsList, TextDisplayStream and
// ItemOutputSpans from item 1 on (on the screen pass while a command file runs outside a
// command state, only the start table). A stored P1 of 0.0 becomes 3.0 (a clef); items of code 19
// and above are removed from the store. ItemCount is the number of the item being drawn while the
// walk runs and gets the true count back at the end. In the PostScript pass items with P26 < 0 are
// skipped and each item's path and grey go to the PostScript writer. On the screen pass, a page
// that draws more than the screen lists hold is reported once on the message line (what fits
// stays).
void redraw_items() {
    if (core::ItemCount == 0) return;
    // Only the screen waits for the file's end: a page written or measured while the file runs
    // (PR, PRPS, vertical justification) needs every item drawn now.
    if (core::MacroUnit > 0 && core::CommandStateWord == 0 && OutputPassWord == 1 &&
        !g_draw_every_item_now) {
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

    if (OutputPassWord == 1) ListsBehindStore = false;
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
    Drawn.valid = false;
    static std::vector<EntryState> entry;
    entry.assign(static_cast<std::size_t>(end.count) + 2, EntryState{});
    const int32_t notices = core::MessagesShown;
    int32_t k = 1;
    while (k <= end.count) {
        core::ItemCount = k;
        ColourMemo.valid = 0;
        PsColourFlag = 0;
        entry[static_cast<std::size_t>(k)] = current_entry();
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
        if (k == ItemLeftOut && OutputPassWord == 1) draw = false;
        if (draw) {
            const int32_t selections_before = LoadedFont.selections;
            draw_item_by_code();
            if (!postscript) {
                if (PathPointList.count > 1) set_item_colour();
            } else {
                finish_ps_item(selections_before);
            }
        }
        ColourMemo.valid = 0;
        PathPointList.count = 1;
        ++k;
        gspan(k) = core::GraphicsNextFree;
    }
    if (OutputPassWord == 1) notice_full_screen_list();
    if (OutputPassWord == 1 && ItemLeftOut == 0 && ScreenListOverflow == 0 &&
        SymbolRangeReported == 0 && DrawingRangeReported == 0 && core::MessagesShown == notices &&
        core::OutputBufferViews.text.bound()) {
        keep_drawn_page(end.count, entry);
    }
}

void redraw_items_leaving_out(int32_t left_out) {
    ItemLeftOut = left_out;
    redraw_items();
    ItemLeftOut = 0;
}

// Contract: see the header. ParamBuffer and IntParamBuffer come back as they were.
void redraw_items_around_edit() {
    constexpr int32_t kTextItemCode = 16;
    const int32_t edited = core::EditedItemNumber;
    const int32_t code = core::int_of(core::EditItemParams(1));
    if (OutputPassWord != 1 || edited < 1 || edited > core::ItemCount || code < 1 || code > 18) {
        redraw_items();
        return;
    }
    const auto params = core::ParamBuffer;
    const auto int_params = core::IntParamBuffer;
    core::EditedItemNumber = 0;
    if (code == kTextItemCode) {
        // A text's working copy is laid out by its editor: the page shows the stored text until
        // the editor draws the copy again.
        redraw_items();
        core::EditedItemNumber = edited;
        core::ParamBuffer = params;
        core::IntParamBuffer = int_params;
        return;
    }
    redraw_items_leaving_out(HiddenImageItem);
    core::EditedItemNumber = edited;
    const int32_t keyword_flag = AfterKeywordFlag;
    PreviewStart.graphics = std::max(core::ItemOutputSpans.graphics(core::ItemCount + 1), 1);
    PreviewStart.text = std::max(core::ItemOutputSpans.text(core::ItemCount + 1) - 1, 0);
    AfterKeywordFlag = 1;
    for (int32_t k = 1; k <= 50; ++k) core::ParamBuffer(k) = core::EditItemParams(k);
    redraw_edited_item();
    AfterKeywordFlag = keyword_flag;
    core::ParamBuffer = params;
    core::IntParamBuffer = int_params;
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
                          (staff > layout::kLeftPageStaves ? kSpreadShift : 0) + ViewOrigin.x;
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
// Refused with a message, the store untouched: at ItemCountLimit items when a new item is to
// be added, and when the record would not fit in ItemStore. A count larger than p holds is a
// defect. Contract: see the header. Writes ItemCount, ItemWordsUsed and PathPointList's count.
void rewind_store_to_item() {
    int32_t k = AppendTargetItem;
    if (k < 1 || k > core::ItemCount + 1) k = core::ItemCount + 1;
    if (k > core::kItemStartEntries) return;
    // Items from k on are cut off whole, never a part of one.
    core::ItemCount = k - 1;
    core::ItemWordsUsed = core::ItemStartTable(k);
    PathPointList.count = 1;
}

// Told in the page-full form that every other growth uses.
std::string item_limit_refusal() {
    return "the item was not added (" + std::to_string(ItemCountLimit) + " items at most)";
}

bool page_has_room(int64_t items, int64_t words) {
    // Counted from the last item: a scratch record of an edited item behind it is no item.
    const int64_t used = core::ItemStartTable(core::ItemCount + 1) - 1;
    const int64_t capacity = std::min(core::ItemStoreCapacity, core::kItemStoreWords);
    return core::ItemCount + items <= ItemCountLimit &&
           core::ItemCount + items + 2 <= core::kItemStartEntries && used + words <= capacity;
}

bool page_has_room_or_refuse(int64_t items, int64_t words, std::string_view what) {
    if (page_has_room(items, words)) return true;
    core::report_page_full(what);
    return false;
}

bool append_item(int32_t& n, const float* p, int32_t available) {
    // The limit counts items: the scratch record of an edited item adds none.
    if (core::EditedItemNumber == 0 && !page_has_room(1, 0)) {
        // The item that was to come is dropped: the store ends after the last item, whole.
        AppendTargetItem = core::ItemCount + 1;
        rewind_store_to_item();
        core::report_page_full(item_limit_refusal());
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
        core::report_page_full("the item was not added");
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
    // The lists from item k on no longer hold the kept redraw.
    Drawn.dirty_item = std::min(Drawn.dirty_item, k);
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

// Contract: see the header; the same shortcut as redraw_items() while a command file runs
// outside a command state.
void settle_items() {
    if (core::ItemCount == 0) return;
    ListsBehindStore = true;
    if (core::MacroUnit > 0 && core::CommandStateWord == 0) {
        if (core::ItemStartTable(core::ItemCount + 1) != core::ItemWordsUsed)
            core::rebuild_item_start_table();
        return;
    }
    // Settled already (a store each command settles): one pass that changes nothing.
    if (core::item_store_settled()) return;
    core::rebuild_item_start_table();
    int32_t count = core::ItemCount;
    int32_t k = 1;
    while (k <= count) {
        const int32_t s = core::ItemStartTable(k);
        if (stored(s, 1) == 0.0f && s + 1 <= core::kItemStoreWords) ItemStore(s + 1) = 3.0f;
        if (stored(s, 1) >= 19.0f) {
            core::ItemCount = count;
            remove_record(s, core::int_of(ItemStore(s)));
            --count;
            continue;
        }
        ++k;
    }
    core::ItemCount = count;
}

namespace {

// Draws item k as the whole redraw's walk does; false when the item is one the walk would change
// in the store (a code 0 or a passing item), which only a whole redraw handles.
bool draw_one_item(int32_t k) {
    core::ItemCount = k;
    ColourMemo.valid = 0;
    PsColourFlag = 0;
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = core::int_of(ItemStore(s));
    if (stored(s, 1) == 0.0f || stored(s, 1) >= 19.0f) return false;
    int32_t words = n;
    if (stored(s, 1) == 16.0f) words = stored(s, 14) == -1.0f ? 18 : 12;
    load_params(s, words);
    core::ItemOutputSpans.text(k + 1) = core::ItemOutputSpans.text(k);
    draw_item_by_code();
    if (PathPointList.count > 1) set_item_colour();
    ColourMemo.valid = 0;
    PathPointList.count = 1;
    core::ItemOutputSpans.graphics(k + 1) = core::GraphicsNextFree;
    return true;
}

// The partial redraw behind redraw_changed_items; false, with the lists possibly half drawn,
// when only a whole redraw can bring them up to the store.
bool redraw_changed_only() {
    auto& graphics = core::OutputBufferViews.graphics;
    auto& text = core::OutputBufferViews.text;
    if (!Drawn.valid || !graphics.bound() || !text.bound() || OutputPassWord != 1) return false;
    core::rebuild_item_start_table();
    const int32_t count = core::ItemCount;
    const int32_t old_count = Drawn.count;
    if (count < 1 || count + 2 > core::kItemStartEntries) return false;
    if (!same_context(current_context(), Drawn.context)) return false;

    // The items that differ: from the first difference to the last, matched from the end.
    int32_t first = 1;
    while (first <= count && first <= old_count && same_item(first, first)) ++first;
    // Items drawn over since (highlighted, say) are drawn again too.
    first = std::min(first, Drawn.dirty_item);
    if (!lists_as_drawn(first)) return false;
    int32_t last = count;
    int32_t old_last = old_count;
    while (last >= first && old_last >= first && same_item(old_last, last)) {
        --last;
        --old_last;
    }
    const int32_t moved = count - old_count;  // old item j is item j + moved behind the change

    const EntryState& start = Drawn.entry[static_cast<std::size_t>(first)];
    if (start.loaded != LoadedFont.number) {
        CurrentFontNumber = start.loaded;
        ensure_font_metrics();
        if (LoadedFont.number != start.loaded) return false;
    }
    static std::vector<EntryState> entry;
    entry.assign(static_cast<std::size_t>(count) + 2, EntryState{});
    std::copy(Drawn.entry.begin() + 1, Drawn.entry.begin() + first, entry.begin() + 1);
    core::GraphicsNextFree = start.graphics;
    text.length() = start.text;
    DrawColourWord = start.colour;
    LastOperationWord = start.last_op;
    CurrentFontNumber = start.font;
    ScreenListOverflow = 0;
    PathPointList.count = 1;
    const int32_t notices = core::MessagesShown;
    RedrawEnd end(count);
    // Past the changed items the unchanged ones are drawn too, until one starts in the state it
    // started in before: from there on the kept output is what a whole redraw would draw.
    int32_t k = first;
    for (;; ++k) {
        const EntryState now = current_entry();
        if (k > last) {
            const int32_t old_k = k - moved;
            const EntryState& was = Drawn.entry[static_cast<std::size_t>(old_k)];
            const bool settled =
                now.colour == was.colour && now.last_op == 0 && was.last_op == 0 &&
                now.font == was.font && now.loaded == was.loaded && now.text == was.text &&
                core::ItemOutputSpans.text(k) == Drawn.tspan[static_cast<std::size_t>(old_k)];
            if (settled) break;
            if (k > count) return false;
        }
        entry[static_cast<std::size_t>(k)] = now;
        if (!draw_one_item(k)) return false;
        if (ScreenListOverflow != 0 || SymbolRangeReported != 0 || DrawingRangeReported != 0 ||
            core::MessagesShown != notices) {
            return false;
        }
    }
    // The kept output of the unchanged items moves behind the new output (where the new output
    // is as long as the old, it is still in place), and the kept copy takes the new output.
    const int32_t old_k = k - moved;
    const int32_t from = Drawn.entry[static_cast<std::size_t>(old_k)].graphics;
    const int32_t to = core::GraphicsNextFree;
    const EntryState& old_end = Drawn.entry[static_cast<std::size_t>(old_count) + 1];
    const int32_t words = old_end.graphics - from;
    if (words < 0 || to + words > core::kGraphicsListWords + 1) return false;
    const int32_t shift = to - from;
    // A path start drawn first may replace the entry before it.
    const int32_t redrawn = std::max(start.graphics - 3, 1);
    const bool tail_in_place =
        shift == 0 && old_k < Drawn.dirty_item && words >= 3 &&
        std::equal(graphics.data() + (to + words - 4), graphics.data() + (to + words - 1),
                   Drawn.graphics.end() - 3);
    if (!tail_in_place) {
        std::copy(Drawn.graphics.begin() + (from - 1), Drawn.graphics.begin() + (from - 1 + words),
                  graphics.data() + (to - 1));
    }
    if (shift != 0) {
        // The lists are whole now: the kept copy takes them from the first redrawn entry on.
        Drawn.graphics.resize(static_cast<std::size_t>(to - 1 + words));
        std::copy(graphics.data() + (redrawn - 1), graphics.data() + (to - 1 + words),
                  Drawn.graphics.begin() + (redrawn - 1));
    } else {
        std::copy(graphics.data() + (redrawn - 1), graphics.data() + (to - 1),
                  Drawn.graphics.begin() + (redrawn - 1));
    }
    const int32_t text_end = Drawn.entry[static_cast<std::size_t>(old_k)].text;
    std::copy(text.data() + start.text, text.data() + text_end, Drawn.text.begin() + start.text);
    if (!tail_in_place) {
        std::copy(Drawn.text.begin() + text_end, Drawn.text.end(), text.data() + text_end);
    }
    for (int32_t j = old_k; j <= old_count + 1; ++j) {
        const auto o = static_cast<std::size_t>(j);
        core::ItemOutputSpans.graphics(j + moved) = Drawn.gspan[o] + shift;
        core::ItemOutputSpans.text(j + moved) = Drawn.tspan[o];
        EntryState e = Drawn.entry[o];
        e.graphics += shift;
        entry[static_cast<std::size_t>(j + moved)] = e;
    }
    core::GraphicsNextFree = to + words;
    text.length() = old_end.text;
    // The loaded metrics are those the whole walk would have left, for the next redraw's start.
    if (LoadedFont.number != old_end.loaded) {
        CurrentFontNumber = old_end.loaded;
        ensure_font_metrics();
    }
    DrawColourWord = old_end.colour;
    LastOperationWord = old_end.last_op;
    CurrentFontNumber = old_end.font;
    end.count = count;
    core::ItemCount = count;
    keep_drawn_page(count, entry, false);
    return true;
}

}  // namespace

// Contract: see the header. Falls back to redraw_items() whenever the kept redraw cannot be
// trusted (another writer touched the lists, a setting the drawers read changed, an item the
// walk would change in the store, a full list, a drawing notice).
void redraw_changed_items() {
    if (core::ItemCount == 0) return;
    if (core::MacroUnit > 0 && core::CommandStateWord == 0) {
        redraw_items();
        return;
    }
    if (redraw_changed_only()) {
        ListsBehindStore = false;
        notice_full_screen_list();
        return;
    }
    redraw_items();
}

bool lists_behind_store() { return ListsBehindStore; }

}  // namespace render
