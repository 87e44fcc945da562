// The marks over the notes just entered by the note-input modes: one numbered symbol above
// each distinct position, drawn for the moment only and never stored.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/commands/family_entries.h"
#include "engine/commands/undo_commands.h"
#include "engine/core/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/item_drawing.h"
#include "engine/render/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/input/tables.h"

namespace core {

namespace {

constexpr float kSamePosition = 0.005f;  // positions closer than this share one mark
constexpr float kCloseMarks = 4.0f;      // a mark this close to the one before stands higher
constexpr float kFirstMarkSymbol = 4001.0f;

float stored_param(int32_t s, int32_t n, int32_t k) { return k <= n ? ItemStore(s + k) : 0.0f; }

// The height a note asks of its mark: P5 mod 100, and 8 more when P6 mod 100 lies in 10..19.
int32_t mark_height_of(int32_t s, int32_t n) {
    int32_t h = int_of(amod(stored_param(s, n, 5), 100.0f));
    const int32_t p6 = int_of(amod(stored_param(s, n, 6), 100.0f));
    if (p6 >= 10 && p6 <= 19) h += 8;
    return h;
}

}  // namespace

// Contract: see undo.h. Reads the store, StaffTables (the current staff and its scale),
// input::InputColumnMark, layout::InputRangeStart, InputRangeEnd (0: render::PageExtent); writes
// ParamBuffer and the output lists through the drawing. Item numbers outside the store are
// passed over.
int32_t mark_new_note_positions() {
    const int32_t staff = layout::StaffTables.CurrentStaff;
    const float left = layout::InputRangeStart;
    const float right =
        layout::InputRangeEnd != 0.0f ? layout::InputRangeEnd : render::PageExtent;

    std::vector<float> positions;
    int32_t highest = 0;
    bool found = false;
    for (int32_t k = std::max(1, input::InputColumnMark); k <= ItemCount; ++k) {
        const int32_t s = ItemStartTable(k);
        const int32_t n = int_of(ItemStore(s));
        if (n < 3 || int_of(ItemStore(s + 1)) != 1 || int_of(ItemStore(s + 2)) != staff) continue;
        const float x = ItemStore(s + 3);
        if (x < left || x > right) continue;
        const auto at = std::lower_bound(positions.begin(), positions.end(), x - kSamePosition);
        if (at == positions.end() || std::fabs(*at - x) >= kSamePosition) positions.insert(at, x);
        const int32_t h = mark_height_of(s, n);
        highest = found ? std::max(highest, h) : h;
        found = true;
    }
    if (positions.empty()) return 0;

    const float scale =
        staff >= 1 && staff <= layout::kMaxStaves ? layout::StaffTables.StaffScale(staff) : 0.0f;
    const float size = scale > 0.0f ? 25.0f / scale : 1.0f;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        for (int32_t k = 1; k <= 50; ++k) ParamBuffer(k) = 0.0f;
        float height = static_cast<float>(highest + 2);
        if (i > 0 && positions[i] - positions[i - 1] < kCloseMarks) height += 2.0f;
        ParamBuffer(1) = 13.0f;
        ParamBuffer(2) = static_cast<float>(staff);
        ParamBuffer(3) = positions[i];
        ParamBuffer(4) = height;
        ParamBuffer(5) = kFirstMarkSymbol + static_cast<float>(i);
        ParamBuffer(6) = size;
        render::draw_item_by_code();
        if (render::PathPointList.count > 1) render::set_item_colour();
    }
    return static_cast<int32_t>(positions.size());
}

// Contract: see undo.h. Writes render::DisplayMarkWord; redraws the page and refreshes the
// screen.
void draw_new_items() {
    render::DisplayMarkWord = -1;
    if (mark_new_note_positions() == 0) render::DisplayMarkWord = 0;
    render::redraw_items();
    refresh_screen();
}

}  // namespace core
