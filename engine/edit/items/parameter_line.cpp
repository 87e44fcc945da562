#include "engine/edit/items/parameter_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "engine/core/bridge/shown_page.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/edit/items/absolute_size.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/edit/tables.h"
#include "engine/render/page/eps_items.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

constexpr float kClearValue = -9999.0f;
constexpr int32_t kMaxPairs = 12;
constexpr int32_t kLastParameter = 45;

// The grid position cycle of code-12 items: E7 of the first value becomes the second.
constexpr std::array<std::pair<int32_t, int32_t>, 18> kGridPositionCycle = {{
    {10, 72},
    {11, 70},
    {12, 21},
    {21, 12},
    {22, 31},
    {30, 41},
    {31, 22},
    {32, 40},
    {40, 32},
    {41, 30},
    {42, 51},
    {51, 42},
    {52, 61},
    {61, 52},
    {62, 71},
    {70, 11},
    {71, 62},
    {72, 10},
}};

enum class PairOutcome {
    Next,        // applied or skipped: go on with the next pair
    EndList,     // the list ends here; the item is still shown
    HandedOver,  // the keyword decoder took over: nothing more happens here
};

float& e(int32_t k) { return core::EditItemParams(k); }

// A text item's header words: 16 when its P14 marks the colour block, else 12.
int32_t text_header_words() { return e(14) == -1.0f ? 16 : 12; }

// The swap of a beam's paired slots (11, 12) or (14, 15): when neither is negative and one is
// 0.0, the other's value moves into it.
void swap_beam_slots(int32_t first) {
    float& a = e(first);
    float& b = e(first + 1);
    if (a < 0.0f || b < 0.0f) return;
    if (a == 0.0f && b != 0.0f) {
        a = b;
        b = 0.0f;
    } else if (b == 0.0f && a != 0.0f) {
        b = a;
        a = 0.0f;
    }
}

// Clears E(max(number, 4))..E(N), N from the slot after the pair (which becomes 0.0, ending the
// list). Writes IntParamBuffer(50) = N.
void clear_from_pair(int32_t number, int32_t slot, int32_t code) {
    int32_t last = core::int_of(core::ParamBuffer(slot + 2));
    core::ParamBuffer(slot + 2) = 0.0f;
    if (last == 0 || last > kLastParameter) last = kLastParameter;
    if ((code == 15 || code == 16) && last > 11) last = 11;
    core::IntParamBuffer(50) = last;
    for (int32_t k = std::max(number, 4); k <= last; ++k) e(k) = 0.0f;
}

// Applies the pair at ParamBuffer(slot), (slot + 1) to EditItemParams. Every target index is
// checked against 1..45 before it is used, so no typed number reaches past the tables.
PairOutcome apply_pair(int32_t slot) {
    const int32_t number = core::int_of(core::ParamBuffer(slot));
    const float value = core::ParamBuffer(slot + 1);
    if (number < -kLastParameter) return PairOutcome::EndList;
    if (number <= -4) {
        e(-number) = -e(-number);
        return PairOutcome::Next;
    }
    if (number < 0) return PairOutcome::Next;

    const int32_t code = core::int_of(e(1));
    if (value == kClearValue) {
        clear_from_pair(number, slot, code);
        return PairOutcome::EndList;
    }

    if (code == 11 && number == 1) {
        // A drawing item given a code becomes a library symbol item.
        e(1) = 9.0f;
        e(5) = 5000.0f;
        for (int32_t k = 8; k <= kLastParameter; ++k) e(k) = 0.0f;
    }
    const bool text = code == 16;
    if (text) {
        if (number == 26) {
            if (value == 0.0f) {
                e(14) = 0.0f;
            } else {
                e(14) = -1.0f;
                e(16) = value;
            }
            return PairOutcome::Next;
        }
        if (number == 14 && value == -1.0f) e(14) = -1.0f;
        if (number % 100 > text_header_words()) return PairOutcome::Next;
    }
    if (code == 6) {
        if (number == 8 && value < 0.0f) {
            // A negative beam height is a request to place the beam at that height: the
            // decoder's "SP" rule reads the height from P2.
            core::ParamBuffer(2) = -value;
            core::CommandLine.set("SPL*");
            decode_edit_keywords();
            e(8) = 0.0f;
            core::CommandModeLetters(1) = 0;
            return PairOutcome::HandedOver;
        }
        if (value == 999.0f) {
            if (number == 11 || number == 14) swap_beam_slots(number);
            return PairOutcome::Next;
        }
    }

    // A target outside the item's parameters ends the list; a text item passes over it.
    const PairOutcome bad_target = text ? PairOutcome::Next : PairOutcome::EndList;
    int32_t target = 0;
    float new_value = value;
    if (number <= kLastParameter) {
        target = number;
    } else if (number < 100) {
        if (number == 99 && code == 12 && e(7) > 0.0f && e(5) < 0.0f) {
            for (const auto& [from, to] : kGridPositionCycle) {
                if (static_cast<float>(from) == e(7)) {
                    e(7) = static_cast<float>(to);
                    break;
                }
            }
        }
        return text ? PairOutcome::Next : PairOutcome::EndList;
    } else if (number < 20000) {
        target = number / 100;
        if (target > kLastParameter) return bad_target;
        new_value = target == 4 ? stepped_level(code, e(4), value) : e(target) + value;
    } else {
        target = number / 10000;
        if (target > kLastParameter) return bad_target;
        if (!(value > 0.0f && value <= static_cast<float>(kLastParameter))) {
            return PairOutcome::EndList;
        }
        const int32_t source = core::int_of(value);
        if (source < 3) return PairOutcome::Next;
        new_value = e(source);
        if (source == 4 && code == 6) new_value = core::amod(new_value, 100.0f);
    }

    if (target == 2) {
        if (new_value > 256.0f) return PairOutcome::EndList;
        if (new_value <= 0.0f) new_value = 1.0f;
    }
    if (target == 1 && (new_value <= 0.0f || new_value > 18.0f)) return PairOutcome::EndList;
    e(target) = new_value;
    return PairOutcome::Next;
}

// The page drawn again without the stored item being edited, whose old words would otherwise
// stay drawn under the preview's new ones until the edit ends; the preview is drawn after
// it.
// The text drawer takes the edited line's words from a copy of its record at the store's end;
// an item opened without a drawing (a command file, the console) has none there yet, and items
// after the text leave other words in that place.
void copy_edited_text_to_end() {
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) return;
    const int32_t s = core::ItemStartTable(k);
    const int32_t dest = core::ItemStartTable(core::ItemCount + 1);
    const int32_t n = core::int_of(core::ItemStore(s));
    if (dest == s || n < 0 || dest + n + 1 > core::kItemStoreWords) return;
    core::copy_words(core::ItemStore.at(s), core::ItemStore.at(dest), n + 1);
    core::ItemStore(dest + n + 1) = 0.0f;
}

void show_page_without_edited_item() {
    const auto params = core::ParamBuffer;
    const auto int_params = core::IntParamBuffer;
    const auto command = core::CommandLine;
    const int32_t k = core::EditedItemNumber;
    core::EditedItemNumber = 0;
    render::redraw_items_leaving_out(k);
    core::EditedItemNumber = k;
    core::ParamBuffer = params;
    core::IntParamBuffer = int_params;
    core::CommandLine = command;
    render::PreviewStart.graphics = core::ItemOutputSpans.graphics(core::ItemCount + 1);
    render::PreviewStart.text = core::ItemOutputSpans.text(core::ItemCount + 1) - 1;
    core::GraphicsNextFree = render::PreviewStart.graphics;
    core::OutputBufferViews.text.length() = render::PreviewStart.text;
}

// A note whose P13 asks for it (99.0) gets the shift of a flagged stem's flag: nonzero only for
// a flagged, stem-up or stem-down note with the flag kind -7.
void compute_note_flag_shift() {
    auto& p = core::ParamBuffer;
    if (p(1) != 1.0f || p(13) != 99.0f) return;
    float shift = 0.0f;
    if (p(6) != 2.0f && p(11) < 0.0f && p(5) >= 10.0f && core::int_of(p(11)) == -7) {
        float f = p(15);
        if (f == 0.0f) f = std::fabs(p(4)) >= 100.0f ? 0.6f : 1.0f;
        shift = f * 1.35f * staff_size(core::int_of(p(2)));
        if (p(5) >= 20.0f) shift = -shift;
    }
    p(13) = shift;
    e(13) = shift;
}

}  // namespace

// Contract: applies the pair list in ParamBuffer (at most 12 pairs, ended by a P# of 0) to
// EditItemParams, copies E1..E45 into ParamBuffer P1..P45 and shows the item through
// commit_item unless EditPreviewMode is negative. With an item being edited the appended copy
// is a preview: ItemWordsUsed and the path-point count are given back after it, so the store
// is unchanged. With none, the commit adds the item for good, and the store keeps it whole.
// Writes ChangesMadeFlag, EditChangesPending, PreviewWordsEnd, IntParamBuffer(50),
// CommandModeLetters. Bad pairs end the list silently; pairs applied before stay applied.
void apply_edit_line(int32_t& n) {
    core::ChangesMadeFlag = 1;
    for (int32_t pair = 0; pair < kMaxPairs; ++pair) {
        const int32_t slot = 2 * pair + 1;
        if (core::int_of(core::ParamBuffer(slot)) == 0) break;
        const PairOutcome outcome = apply_pair(slot);
        if (outcome == PairOutcome::HandedOver) return;
        if (outcome == PairOutcome::EndList) break;
    }

    int32_t last_held = 0;
    for (int32_t k = 1; k <= kLastParameter; ++k) {
        core::ParamBuffer(k) = e(k);
        if (e(k) != 0.0f) n = last_held = k;
    }
    // A pair may give the item a parameter it did not hold: the row shown grows to it.
    core::ShownParamCount = std::max(core::ShownParamCount, last_held);
    compute_note_flag_shift();
    const auto& line = core::CommandLine;
    const bool text_line_word =
        core::int_of(e(1)) == 16 &&
        (line(1) == 'J' || (line(1) == 'T' && (line(2) == ' ' || line(2) == '*' ||
                                               ((line(2) == 'E' || line(2) == 'T') &&
                                                (line(3) == ' ' || line(3) == '*')))));
    if (line.starts_with("TX") || text_line_word) {
        // The text is drawn where its preview goes, over any preview still in the lists (a click
        // that opened it draws one at once): only there does the drawer take it for the edited
        // text and open its editor.
        const bool shown = core::EditedItemNumber != 0 &&
                           core::OutputBufferViews.graphics.bound() &&
                           core::OutputBufferViews.text.bound();
        if (shown) {
            core::GraphicsNextFree = render::PreviewStart.graphics;
            core::OutputBufferViews.text.length() = render::PreviewStart.text;
        }
        const std::string words_before(render::EditTextBuffer.view());
        copy_edited_text_to_end();
        render::draw_item_by_code();
        if (shown && render::EditTextBuffer.view() != words_before) show_page_without_edited_item();
    }

    if (EditPreviewMode < 0) {
        core::CommandModeLetters(2) = 0;
        return;
    }
    const int32_t words_before = core::ItemWordsUsed;
    const int32_t points_before = render::PathPointList.count;
    const bool preview = core::EditedItemNumber != 0;
    // The stored image leaves its old place while the changed copy is shown, as for a click or
    // a drag: two images of one item would read as two items until the edit ends.
    if (preview) hide_stored_image();
    EditChangesPending = 1;
    commit_item();
    PreviewWordsEnd = core::ItemWordsUsed;
    render::PathPointList.count = points_before;
    if (preview) core::ItemWordsUsed = words_before;
    core::CommandModeLetters(2) = 0;
}

// Contract: appends the item in ParamBuffer (P1..P45, the last nonzero as its count, at least
// 3; an inserted EPS item always 25) and draws it: the edited item's preview while one is
// edited, else the whole page, after setting NewItemStaffSide. A new item (none edited) is
// preceded by an undo copy; a preview is not. Empties the text stream first. A refused append
// (store or item limit full) leaves the page as it was; append_item has told the user.
namespace {

// The name of a new EPS item from the command file's next line; a line that gave no box takes
// its file's at once, as a typed item's first drawing does.
void take_file_eps_name() {
    render::ask_eps_file_name();
    render::take_eps_box();
}

}  // namespace

bool commit_item() {
    auto& p = core::ParamBuffer;
    const bool new_item = core::EditedItemNumber == 0;
    if (new_item) core::save_undo_copy();
    if (core::OutputBufferViews.text.bound()) core::OutputBufferViews.text.length() = 0;

    if (p(1) == 15.0f && p(13) == 0.0f) {
        if (new_item) p(13) = 1.0f;
        render::draw_item_by_code();
    }
    int32_t n = 3;
    for (int32_t k = kLastParameter; k > 3; --k) {
        if (p(k) != 0.0f) {
            n = k;
            break;
        }
    }
    if (p(1) == 15.0f) n = 25;
    if (!render::append_item(n, p)) return false;
    core::ChangesMadeFlag = 1;
    // A command file's item is drawn only once the file has ended, when the name question would
    // take the line typed next: the file's next line is the name, read now.
    if (new_item && p(1) == 15.0f && p(13) == 1.0f && core::MacroUnit != core::DefaultMacroUnit)
        take_file_eps_name();
    if (!new_item) {
        // The preview's copy lies beyond the store's end, at the word ItemWordsUsed names while
        // it is drawn: only there does the text drawer take the copy (with words the editor may
        // just have changed, as Edit Text does) instead of the stored item's old words. The
        // text-line words ran when the copy was made; drawing the copy must not run them again.
        const int32_t end = core::ItemWordsUsed;
        const int32_t copy = core::ItemStartTable(core::ItemCount + 1);
        const int32_t letter = core::CommandModeLetters(1);
        if (copy >= 1 && copy < end) {
            core::ItemWordsUsed = copy;
            core::CommandModeLetters(1) = 0;
        }
        render::redraw_edited_item();
        core::ItemWordsUsed = end;
        core::CommandModeLetters(1) = letter;
        return true;
    }

    // The side is for the view that follows the new item; without a view the scan of the whole
    // store per item would make a long typed or read page cost its length squared.
    if (core::page_shown_in_view()) {
        float highest = 0.0f;
        float lowest = 0.0f;
        core::find_staff_range(highest, lowest);
        const float staff = p(2);
        NewItemStaffSide = staff >= highest ? 1 : (staff <= lowest ? -1 : 0);
    }
    render::redraw_items();
    return true;
}

}  // namespace edit
