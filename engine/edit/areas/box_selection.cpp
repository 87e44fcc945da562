#include "engine/edit/areas/box_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::ItemCursor;
using core::ItemStore;

constexpr int32_t kItemNumbersLetter = 'D';
constexpr int32_t kP3OnlyLetter = 1;
// The one negative letter that lists like a positive one (outside items are not taken).
constexpr int32_t kInsideOnlyNegativeLetter = -67;

// The horizontal range of the scan in progress, widened by 0.001 on each side so that an item
// a rounding step beyond the box's edge still counts as on it.
float ScanLeft = 0.0f;
float ScanRight = 0.0f;

// Adds one entry. Entries are distinct store words (or item numbers), so the list, with one
// entry per store word, never runs full; a full list would be a defect, never a silent loss.
void add_entry(int32_t entry) {
    if (SelectionList.count >= kSelectionListCapacity) {
        core::report_index_defect("selection list", SelectionList.count + 1, 1,
                                  kSelectionListCapacity);
    }
    ++SelectionList.count;
    SelectionList.entries(SelectionList.count) = entry;
}

float stored(int32_t k) { return ItemStore(ItemCursor.start + k); }

bool takes_code(int32_t code, int32_t last_item) {
    if (last_item <= 0) return (code >= 1 && code <= 3) || code == 14 || code >= 17;
    if (BoxCodeFilter(1) == 0.0f) return true;
    const float c = static_cast<float>(code);
    for (int k = 2; k <= 18; ++k) {
        if (BoxCodeFilter(k) == c) return true;
    }
    if (BoxCodeFilter(1) != c) return false;
    // "W" words take a note of the first code only when it is marked by P5 <= -2.
    if (core::CommandModeLetters(2) != 'W') return true;
    return ItemCursor.n >= 5 && stored(5) <= -2.0f;
}

// Makes sure the item's P3 word exists before it is listed (short items grow; a short item
// gets staff 1). False when the store has no room for that.
bool grow_to_position_word() {
    const int32_t k = ItemCursor.number;
    if (ItemCursor.n < 2) {
        if (!core::resize_item(k, 2.0f)) return false;
        ItemStore(ItemCursor.start + 2) = 1.0f;
    }
    if (ItemCursor.n < 3) {
        if (!core::resize_item(k, 3.0f)) return false;
    }
    core::fetch_current_item();
    return true;
}

// The further horizontal ends of lines, slurs, beams, trills and staves (codes 4 to 8).
void list_further_words() {
    const int32_t code = ItemCursor.code;
    const int32_t n = ItemCursor.n;
    if (code < 4 || code > 8 || n < 6) return;
    if (code == 8 && stored(6) == 0.0f) ItemStore(ItemCursor.start + 6) = render::PageExtent;
    // A line with a negative P7 and no right end is a one-ended mark.
    if (code == 4 && n >= 7 && stored(7) < 0.0f && stored(6) == 0.0f) return;
    list_word_if_inside(6);
    if (n < 8) return;
    if (code == 4 && stored(7) == 100.0f) {
        for (int32_t k = 8; k <= 16 && k <= n; k += 2) list_word_if_inside(k);
    } else if (code == 6 && n >= 11) {
        if (stored(11) > 0.0f) list_word_if_inside(11);
        if (stored(7) >= 0.0f) {
            if (n >= 12 && stored(12) > 0.0f) list_word_if_inside(12);
            if (n >= 14 && stored(13) != 0.0f) {
                if (stored(14) > 0.0f) list_word_if_inside(14);
                if (n >= 15 && stored(15) > 0.0f) list_word_if_inside(15);
            }
        }
    } else if (code == 7 && core::int_of(stored(7)) >= 20 && stored(8) > 0.0f) {
        list_word_if_inside(8);
    }
}

}  // namespace

// Contract: reads SelectionBox, BoxCodeFilter, CommandModeLetters(2) and the store; rebuilds
// SelectionList from nothing. Writes back the box's first item (0 becomes 1) and, when a scan
// with a last item <= 0 stops at the first item above the high staff, its last item (i - 1;
// the filter then stays set). Grows items too short to have a P3 word, sets a staff's P6 of 0
// to PageExtent, and clears BoxCodeFilter when the range has been scanned to its end. A last
// item beyond ItemCount is taken as ItemCount; an item that cannot grow (full store) is not
// listed.
void select_box_items() {
    SelectionBoxRecord& box = SelectionBox;
    const int32_t low = box.low_staff;
    const int32_t high = std::max(box.high_staff, box.low_staff);
    const bool every_staff = low == 1 && high > layout::MaxStaffNumber;

    float left = box.left;
    float right = box.right == 0.0f ? 200.0f : box.right;
    if (right < left) core::swap_reals(left, right);
    ScanLeft = left - 0.001f;
    ScanRight = right + 0.001f;

    SelectionList.first_item = 0;
    SelectionList.count = 0;
    if (box.first_item == 0) box.first_item = 1;
    const int32_t letter = box.letter;
    const int32_t last = std::min(std::abs(box.last_item), core::ItemCount);

    for (int32_t i = std::max(box.first_item, 1); i <= last; ++i) {
        ItemCursor.number = i;
        core::fetch_current_item();
        if (!every_staff) {
            if (ItemCursor.staff < low) continue;
            if (ItemCursor.staff > high) {
                if (box.last_item > 0) continue;
                // Items are sorted by staff: nothing after this one can be inside.
                box.last_item = i - 1;
                return;
            }
        }
        if (!takes_code(ItemCursor.code, box.last_item)) continue;

        const int32_t count_before = SelectionList.count;
        const bool inside = ItemCursor.position >= ScanLeft && ItemCursor.position <= ScanRight;
        if (inside) {
            if (letter == kItemNumbersLetter) {
                add_entry(i);
            } else {
                if (!grow_to_position_word()) continue;
                add_entry(ItemCursor.start + 3);
                if (letter != kP3OnlyLetter) list_further_words();
            }
        } else if (letter <= 0 && letter != kInsideOnlyNegativeLetter) {
            list_further_words();
        }
        if (SelectionList.count > count_before && SelectionList.first_item == 0) {
            SelectionList.first_item = i;
        }
    }
    BoxCodeFilter.fill(0.0f);
}

// Contract: see the header.
void select_box_range(int32_t low, int32_t high, float left, float right, int32_t letter) {
    SelectionBox.low_staff = low;
    SelectionBox.high_staff = high;
    SelectionBox.left = left;
    SelectionBox.right = right;
    SelectionBox.first_item = 1;
    SelectionBox.last_item = core::ItemCount;
    SelectionBox.letter = letter;
    select_box_items();
}

// Contract: for the item in ItemCursor, lists minus the store word of its Pk when Pk lies in
// the scan's widened range, and makes the item the first found when none is yet. A k beyond
// the item's count lists nothing.
void list_word_if_inside(int32_t k) {
    if (k < 1 || k > ItemCursor.n) return;
    const float value = stored(k);
    if (value < ScanLeft || value > ScanRight) return;
    add_entry(-(ItemCursor.start + k));
    if (SelectionList.first_item == 0) SelectionList.first_item = ItemCursor.number;
}

// Contract: changes every ItemStore word listed in SelectionList (by the entry's absolute
// value): mode 3 or negative maps w to factor x (w - base) + ref, a result within 0.005 of 0
// becoming 0.0; any other mode adds factor. Entries outside the store are a defect.
void scale_selection(int32_t mode, float base, float ref, float factor) {
    const bool linear = mode == 3 || mode < 0;
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        float& word = ItemStore(std::abs(SelectionList.entries(j)));
        if (linear) {
            word = factor * (word - base) + ref;
            if (std::fabs(word) < 0.005f) word = 0.0f;
        } else {
            word += factor;
        }
    }
}

namespace {

// Says why the box's word ends: typed, "what. ***"; in a command file, whose next lines were
// meant for the word, "what: the rest of the file was not read." with the file closed. MacroUnit
// becomes 0 and MessageLine is blanked.
void end_box_word_for(const std::string& what) {
    if (core::MacroUnit > 0 && core::unit_is_open(core::MacroUnit)) {
        core::close_unit(core::MacroUnit);
        core::report_failure(what + ": the rest of the file was not read.");
    } else {
        core::name_untaken_line(what + ". ***");
    }
    core::MacroUnit = 0;
    core::clear_exchange_text();
}

}  // namespace

// Contract: see the header.
void stop_command_file_for(const std::string& what) { end_box_word_for(what); }

// Contract: "*** No Staff number given. ***" into CommandLine; see end_box_word_for.
void report_missing_staff() {
    core::CommandLine.set("*** No Staff number given. ***");
    end_box_word_for("*** No Staff number given");
}

// Contract: see the header.
void report_staff_out_of_range() {
    end_box_word_for("*** Staff numbers are 1 to " + std::to_string(layout::kMaxStaves));
}

}  // namespace edit
