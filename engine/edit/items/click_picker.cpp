#include "engine/edit/items/click_picker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::int_of;

// The step that each item code's reference point lies above or below its P4 (codes 1..19).
constexpr int32_t kCodeStep[20] = {0,  -1, 0,  0,  -1, 0,  0,  -1, 0, -1,
                                   -1, -1, -1, -1, 0,  -1, -1, 4,  3, 0};
// What a rest's kind (P5 mod 100, 0..6) adds to its step.
constexpr int32_t kRestKindStep[7] = {4, 4, 2, 2, 1, 1, 1};

bool valid_staff(int32_t s) { return s >= 1 && s <= layout::kMaxStaves; }

// P(j) of the item the cursor stands on; 0.0 beyond its record.
float stored(int32_t j) {
    const core::ItemCursorRecord& c = core::ItemCursor;
    if (j > c.n || c.start + j > core::kItemStoreWords) return 0.0f;
    return core::ItemStore(c.start + j);
}

// Display point of the item at the cursor, as the picker measures distances to it. False when
// the item has no staff to stand on.
bool reference_point(int64_t& x, int64_t& y) {
    const core::ItemCursorRecord& c = core::ItemCursor;
    if (!valid_staff(c.staff) || c.n < 2) return false;
    const int32_t code = c.code;
    int32_t step = 0;
    float shift = 0.0f;
    if ((code >= 1 && code <= 3) || code == 6) {
        if (c.n > 3) step = int_of(core::amod(stored(4), 100.0f));
    }
    if (code == 8 || code == 14) {
        step = 3;
    } else if (code == 6) {
        const bool short_beam = std::fabs(stored(7)) < 20.0f;
        step += short_beam ? 6 : -8;
        if (short_beam) shift = 2.0f;
    } else if (code == 2) {
        const int32_t kind = int_of(core::amod(stored(5), 100.0f));
        if (kind >= 0 && kind <= 6) step += kRestKindStep[kind];
    } else if (code >= 1 && code <= 19) {
        step += kCodeStep[code];
    }
    if (code == 5) {
        const float end = stored(8);
        if (end == -1.0f) shift = 1.0f;
        if (end == -2.0f || end == -3.0f) shift = 3.0f;
    }
    float p3 = c.position;
    if (c.staff > layout::kLeftPageStaves) p3 += kSecondPageP3;
    x = int_of((static_cast<double>(p3) + shift) * kUnitsPerP3);
    const auto& staves = layout::StaffTables;
    y = int_of(static_cast<double>(staves.StaffBaseY(c.staff)) +
               static_cast<double>(step) * 7.0 * staves.StaffScale(c.staff));
    return true;
}

// The nearest item to the click point (x, y), never `skip_a` or `skip_b`, of item code `code`
// when that is not 0; ties keep the earlier item. 0 when no item qualifies.
int32_t nearest_item(int64_t x, int64_t y, int32_t skip_a, int32_t skip_b, int32_t code = 0) {
    int32_t best = 0;
    int64_t best_distance = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (k == skip_a || k == skip_b) continue;
        core::ItemCursor.number = k;
        core::fetch_current_item();
        if (code != 0 && core::ItemCursor.code != code) continue;
        int64_t ix = 0;
        int64_t iy = 0;
        if (!reference_point(ix, iy)) continue;
        const double dx = static_cast<double>(ix - x);
        const double dy = static_cast<double>(iy - y);
        const int64_t d = static_cast<int64_t>(std::sqrt(dx * dx + dy * dy));
        if (best == 0 || d < best_distance) {
            best = k;
            best_distance = d;
        }
    }
    return best;
}

// Algorithm of a click with no item edited: the nearest item becomes the edited one and the
// command line names it ("I n" scanned, or the "X n" word).
void start_editing_at(int64_t x, int64_t y) {
    const int32_t edited = std::abs(core::EditedItemNumber);
    const int32_t k = nearest_item(x, y, LastPickedItem, edited);
    // No item qualifies (an empty page, or only the item picked last): nothing starts.
    if (k == 0) return;
    if (core::EditedItemNumber == 0) core::EditedItemNumber = k;
    LastPickedItem = k;
    core::ItemPanelRecord.edited_item = k;
    const char letter = ClickMode == 9 ? 'X' : 'I';
    core::CommandLine.blank();
    core::CommandLine(1) = letter;
    core::write_int_field(core::CommandLine, 2, 5, "(1i4)", k);
    if (ClickMode == 9) {
        core::SecondLine = core::CommandLine;
        core::CommandModeLetters(1) = 'X';
        core::ParamBuffer(2) = static_cast<float>(k);
    } else if (ClickMode == 8) {
        core::scan_command_line(5);
    }
}

// The staff whose reference height is nearest y (ties: the lower staff number); 0 when none is
// nearer than the start distance.
int32_t nearest_staff(int64_t y) {
    int32_t best = 0;
    int64_t best_distance = 99000;
    for (int32_t s = 1; s <= layout::kMaxStaves; ++s) {
        const int64_t d = std::llabs(y - layout::StaffTables.StaffMiddleY(s));
        if (d < best_distance) {
            best = s;
            best_distance = d;
        }
    }
    return best;
}

// Algorithm of a click while an item is edited: the pair line "2 staff 3 x 4 y" (and the other
// end of a two-ended item) that moves the edited item to the clicked point, scanned into
// ParamBuffer.
void write_move_line(int64_t x, int64_t y) {
    auto& e = core::EditItemParams;
    auto& line = core::CommandLine;
    const int32_t code = int_of(e(1));
    const int32_t staff = nearest_staff(y);
    if (staff == 0) return;
    line.blank();
    line(1) = '2';
    line(7) = '3';
    line(18) = '4';
    core::write_int_field(line, 3, 5, "(1i3)", staff);
    const float p3 = static_cast<float>(static_cast<double>(x) / kUnitsPerP3);
    core::write_real_field(line, 9, 16, "(1f8.3)", p3);
    if (code != 14) {
        // One staff step is 7 x the staff's scale display units.
        const double step_units = 7.0 * layout::StaffTables.StaffScale(staff);
        const double dy = static_cast<double>(layout::StaffTables.StaffMiddleY(staff) - y);
        const float p4 =
            static_cast<float>(7 - core::nint(step_units > 0.0 ? dy / step_units : 0.0));
        core::write_real_field(line, 20, 26, "(1f7.3)", p4);
        if (EndMoveMode != 1 && code >= 4 && code <= 8) {
            if (EndMoveMode == 0) {
                line(29) = '6';
                core::write_real_field(line, 31, 37, "(1f7.3)", p3 + e(6) - e(3));
                if (code < 7 && e(5) != 999.0f) {
                    line(40) = '5';
                    core::write_real_field(line, 42, 48, "(1f7.3)", p4 + e(5) - e(4));
                }
            } else {
                line(18) = (e(5) == 999.0f || code > 6) ? '0' : '5';
                line(7) = '6';
            }
        }
    } else {
        line(18) = ' ';
    }
    core::SecondLine = line;
    core::scan_command_line(core::CommandLine.size());
}

}  // namespace

// Contract: reads MouseRegion's point (words 4 x, 3 y), ViewOrigin, ClickMode, the store and
// StaffTables; writes EditedItemNumber, LastPickedItem, the panel's item number, CommandLine,
// SecondLine, CommandModeLetters, ParamBuffer and EngineWaitLevel (0). An empty page, or one
// whose only candidate was picked last, starts nothing and leaves the line as it was.
void pick_item_at_click() {
    const int64_t x = static_cast<int64_t>(core::MouseRegion(kPointX)) - render::ViewOrigin.x;
    const int64_t y = static_cast<int64_t>(core::MouseRegion(kPointY)) + render::ViewOrigin.y;
    if (core::EditedItemNumber == 0) {
        start_editing_at(x, y);
    } else {
        write_move_line(x, y);
    }
    core::EngineWaitLevel = 0;
}

void show_parameters() {
    ClickMode = 8;
    pick_item_at_click();
}

// Contract: reads MouseRegion's point, ViewOrigin and the store; writes ItemCursor only.
int32_t text_item_at_click() {
    constexpr int32_t kCodeText = 16;
    const int64_t x = static_cast<int64_t>(core::MouseRegion(kPointX)) - render::ViewOrigin.x;
    const int64_t y = static_cast<int64_t>(core::MouseRegion(kPointY)) + render::ViewOrigin.y;
    return nearest_item(x, y, 0, 0, kCodeText);
}

// Contract: with an item edited and a drawing larger than the client area, sets the scroll
// sizes (the drawing's size + 3000, page steps 1000) and scrolls so that the item's point lies
// inside the view with 2400 units of margin on the left and 2000 elsewhere, each coordinate
// held within +-90000. Reads the edited item's record, StaffTables, ViewOrigin and the output
// lists; asks the front-end ('z', 's', 'b', 'p'). An item number outside the store does nothing.
void scroll_to_current_item() {
    const int32_t k = std::abs(core::EditedItemNumber);
    if (k < 1 || k > core::ItemCount) return;
    core::ItemCursor.number = k;
    core::fetch_current_item();
    int64_t ix = 0;
    int64_t iy = 0;
    if (!reference_point(ix, iy)) return;
    // The picker's point is on the joined pages; the drawing puts the second page 34050 along.
    if (core::ItemCursor.staff > layout::kLeftPageStaves) {
        ix = int_of((static_cast<double>(core::ItemCursor.position)) * kUnitsPerP3) +
             render::kSpreadShift;
    }
    ix += render::ViewOrigin.x;
    iy -= render::ViewOrigin.y;

    core::ServiceBlock block;
    core::request_front_end_service('z', block);
    const int64_t width = block(1);
    const int64_t height = block(2);
    float y_high = 0.0f;
    float y_low = 0.0f;
    float x_low = 0.0f;
    float x_high = 0.0f;
    render::measure_drawing_extent(y_high, y_low, x_low, x_high);
    const double drawing_width = static_cast<double>(x_high) - x_low;
    const double drawing_height = static_cast<double>(y_high) - y_low;
    if (drawing_width <= static_cast<double>(width) &&
        drawing_height <= static_cast<double>(height)) {
        return;
    }
    core::ServiceBlock sizes;
    sizes(1) = int_of(drawing_width + 3000.0);
    sizes(2) = int_of(drawing_height + 3000.0);
    sizes(3) = 1000;
    sizes(4) = 1000;
    sizes(5) = 200;
    sizes(6) = 200;
    core::request_front_end_service('s', sizes);

    core::ServiceBlock at;
    core::request_front_end_service('b', at);
    int64_t px = at(1);
    int64_t py = at(2);  // the top edge; the view reaches down to py - height
    if (ix < px + 2400) px = ix - 2400;
    if (ix > px + width - 2000) px = ix - width + 2000;
    if (iy > py - 2000) py = iy + 2000;
    if (iy < py - height + 2000) py = iy + height - 2000;
    core::ServiceBlock to;
    to(1) = static_cast<int32_t>(std::clamp<int64_t>(px, -90000, 90000));
    to(2) = static_cast<int32_t>(std::clamp<int64_t>(py, -90000, 90000));
    core::request_front_end_service('p', to);
}

}  // namespace edit
