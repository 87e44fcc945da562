#include "engine/layout/staves/staff_positions.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/layout_hooks.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace layout {

namespace {

constexpr float kUnitsPerInch = 4000.0f;
constexpr float kCentimetresPerInch = 2.54f;
constexpr float kUnitsPerCentimetre = 1574.8f;
constexpr float kPageRight = 30000.0f;  // the page width in display units
constexpr int32_t kLabelStyle = 1008;
constexpr float kLabelColour = 4520.0f;   // RRGGBB 00 45 20, a green
constexpr float kHiddenStaffGrey = 0.8f;  // P26 grey of a hidden staff shown on screen
constexpr int32_t kLastSpacedStaff = 200;
constexpr int32_t kSpacingPlaces = 45;
// Staff sizes beyond this (or NaN, read as 0 = 1.0) would carry every item of the staff past
// the 32-bit display coordinates; held here.
constexpr float kLargestStaffSize = 100.0f;

bool is_staff_number(int32_t s) { return s >= 1 && s <= kMaxStaves; }

// Display y of the bottom line of staff s at its default place (P4 = 0, no P10). Staves from
// 200 on are the second page of a spread and repeat the places of staves 0 upward.
int32_t default_bottom_line(int32_t s) {
    return s < 200 ? (s + 1) * 3150 - 30300 : (s - 199) * 3150 - 30300;
}

// The reference staff of a P10 placement: INT(P10) / 100, 0 meaning staff 1.
int32_t reference_staff(float p10) {
    const int32_t r = core::int_of(p10) / 100;
    return r == 0 ? 1 : r;
}

// Draws the n lines of the staff from y upward, one line space (two steps, 14 x scale) apart;
// a count of 100 and above starts h - 1 line spaces up (h its hundreds) and keeps n mod 100.
void draw_staff_lines(int32_t n, float left, float right, float y, float scale) {
    const float space = 14.0f * scale;
    if (n >= 100) {
        const int32_t h = n / 100;
        if (h > 1) y += static_cast<float>(h - 1) * space;
        n %= 100;
    }
    for (int32_t i = 1; i <= n; ++i) {
        render::add_path_segment(left, y, right, y);
        y += space;
    }
}

}  // namespace

// Contract: see the header. Reads P2..P12 and P26 of ParamBuffer with IntParamBuffer 2, 7 and
// 11, ItemDrawOrigin x, core::MetricFlag, ShowInvisibleItems and OutputPassWord; writes the
// staff's StaffTables entries, CurrentStaff, StaffScale(0), ViewOrigin y (when still 0),
// PathPointList and P26 (grey for a hidden staff that is shown).
void draw_staff_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    auto& t = StaffTables;
    const int32_t s = ip(2);
    // Staff numbers index the tables: an item that names no staff 1..256, itself or as the
    // reference of its placement, is left alone rather than written over another entry.
    if (!is_staff_number(s)) return;
    const bool placed = p(10) != 0.0f;
    if (placed && !is_staff_number(reference_staff(p(10)))) return;

    if (render::ViewOrigin.y == 0) render::ViewOrigin.y = -15000;

    t.StaffColour(s) = p(26);
    t.CurrentStaff = s;
    const float size = (p(5) == 0.0f || std::isnan(p(5)))
                           ? 1.0f
                           : std::clamp(p(5), -kLargestStaffSize, kLargestStaffSize);
    const float scale = 25.0f * size;
    t.StaffScale(s) = scale;
    t.StaffScale(0) = scale;
    t.StaffLineWidthCode(s) = (p(11) == 0.0f && size < 0.65f) ? -1 : ip(11);

    const int32_t base = default_bottom_line(s);
    if (p(4) >= 1000.0f) {
        warn_staff_position(s, p(4), base);
        return;
    }

    float bottom = 0.0f;  // Y3, the bottom line, kept as a real
    if (!placed) {
        bottom = static_cast<float>(base) + p(4) * 7.0f * scale;
    } else {
        const int32_t r = reference_staff(p(10));
        float distance = core::amod(p(10), 100.0f) * kUnitsPerInch;
        if (core::MetricFlag == 1) distance /= kCentimetresPerInch;
        bottom = 21.0f * t.StaffScale(r) + static_cast<float>(t.StaffBaseY(r)) + distance;
    }
    // Held far off the page, so that drawers may add their offsets to it.
    t.StaffBaseY(s) =
        core::int_in(bottom - 21.0f * scale, -render::kFarCoordinate, render::kFarCoordinate);
    t.StaffMiddleY(s) = core::int_of(static_cast<float>(t.StaffBaseY(s)) + 1225.0f * size);

    const float left = render::ItemDrawOrigin.x;
    const int32_t pass = render::OutputPassWord;
    int32_t width = 0;
    if (p(8) != 0.0f && pass >= 0) {
        const float height = p(8) * (core::MetricFlag == 1 ? kUnitsPerCentimetre : kUnitsPerInch);
        render::add_path_segment(left, bottom + height, kPageRight, bottom + height);
    } else {
        width = t.StaffLineWidthCode(s);
        if (width == 99 || pass != -1) width = 0;
    }

    int32_t lines = ip(7);
    bool draw = true;
    if (p(7) < 0.0f) {
        draw = pass != -1 && ShowInvisibleItems >= 0;
        if (draw) p(26) = kHiddenStaffGrey;
    }
    if (draw) {
        if (lines < 1) lines = 5;
        const float right = p(6) == 0.0f ? kPageRight : p(6) * 150.0f;
        const bool framed = width != 0 && p(7) >= 0.0f;
        if (framed) run_layout_hook(LayoutHooks.add_path_width, width);
        draw_staff_lines(lines, left, right, bottom, scale);
        if (framed) run_layout_hook(LayoutHooks.add_path_break);
    }

    if (p(12) == 0.0f && pass >= 0) draw_staff_number_label(size, s);
}

// Contract: see the header. Writes ParamBuffer P5..P8, P14..P24 and IntParamBuffer 5, 7..9,
// 14..24 for the number drawer; P5, P6, P26 and ItemDrawOrigin come back afterwards.
void draw_staff_number_label(float size, int32_t staff) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const float left = render::ItemDrawOrigin.x;
    const render::ItemDrawOriginRecord origin = render::ItemDrawOrigin;
    float x = left - 1200.0f;
    if (left >= 0.0f) x = staff < 100 ? -1200.0f : -1700.0f;
    render::ItemDrawOrigin.x = x;
    render::ItemDrawOrigin.y = render::compute_staff_y(6.0f);

    const float p5 = p(5);
    const float p6 = p(6);
    const float p26 = p(26);
    p(5) = static_cast<float>(staff);
    ip(5) = staff;
    p(6) = 1.0f / size;
    ip(7) = kLabelStyle;
    p(8) = 0.0f;
    ip(8) = 0;
    ip(9) = 0;
    for (int32_t k = 14; k <= 24; ++k) {
        p(k) = 0.0f;
        ip(k) = 0;
    }
    p(26) = kLabelColour;
    render::draw_number_item(staff);
    p(5) = p5;
    p(6) = p6;
    p(26) = p26;
    render::ItemDrawOrigin = origin;
}

// Contract: see the header. Writes ItemWordsUsed, ItemStartTable, ItemCount, ParamBuffer
// P1..P50, IntParamBuffer 1..50 and ItemDrawOrigin x; the staff step writes StaffTables.
void rebuild_index_and_staff_table(int32_t& n) {
    using core::ItemStore;
    const int32_t old_end = core::ItemWordsUsed;
    if (n < 0) n = 0;
    if (n > core::ItemStoreCapacity + 1 - old_end) n = core::ItemStoreCapacity + 1 - old_end;
    core::ItemWordsUsed = old_end + n;
    core::ItemStartTable(1) = 1;
    core::rebuild_item_start_table();
    // Every growth of the page checks its room before it writes (render::page_has_room): more
    // items than the limit here is a defect of the caller, told by name, never a silent cut
    // of the page's last items.
    if (core::ItemCount > render::ItemCountLimit) {
        throw core::EngineDefect("internal error: the page holds " +
                                 std::to_string(core::ItemCount) + " items, more than " +
                                 std::to_string(render::ItemCountLimit));
    }
    const int32_t kept = core::ItemWordsUsed - old_end;
    if (kept < n) n = kept < 0 ? 0 : kept;

    // The rebuild wants the tables only: whatever the staff step draws (lines, labels) is
    // taken back, so the lists keep showing the last redraw.
    const int32_t saved_points = render::PathPointList.count;
    auto& graphics = core::OutputBufferViews.graphics;
    auto& text = core::OutputBufferViews.text;
    const int32_t saved_next = core::GraphicsNextFree;
    const int32_t saved_graphics = graphics.bound() ? graphics.length() : 0;
    const int32_t saved_text = text.bound() ? text.length() : 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (ItemStore(start + 1) != 8.0f) continue;
        int32_t words = core::int_of(ItemStore(start));
        if (words > 50) words = 50;
        for (int32_t j = 1; j <= 50; ++j) {
            const float v = j <= words ? ItemStore(start + j) : 0.0f;
            core::ParamBuffer(j) = v;
            core::IntParamBuffer(j) = core::int_of(v);
        }
        render::ItemDrawOrigin.x = core::ParamBuffer(3) * 150.0f;
        draw_staff_item();
    }
    render::PathPointList.count = saved_points;
    core::GraphicsNextFree = saved_next;
    if (graphics.bound()) graphics.length() = saved_graphics;
    if (text.bound()) text.length() = saved_text;
}

// Contract: builds the 66-column message and shows it. Reads nothing else.
void warn_staff_position(int32_t staff, float value, int32_t base) {
    core::FixedText<66> text("*** Warning: P4 of Staff     out of range.\r\n");
    core::write_int_field(text, 26, 28, "(1i3)", staff);
    core::write_real_field(text, 45, 49, "(1f5.0)", value);
    core::write_int_field(text, 50, 56, "(1i7)", base);
    core::show_notice(text.view());
}

namespace {

// The staff distances of "STSP": (staff, distance) entries in the order given.
struct StaffDistanceList {
    core::Array1<int32_t, kSpacingPlaces> staff;
    core::Array1<float, kSpacingPlaces> distance;
    int32_t count = 0;
};

// Reads the list from P2..P45; false (after the message) when no zero ends it.
bool read_spacing_list(StaffDistanceList& list) {
    auto& p = core::ParamBuffer;
    if (core::CommandLine(5) == 'X') {
        // A first staff number of 0 stands for all staves; later a 0 ends the list.
        for (int32_t k = 3; k <= kSpacingPlaces; ++k) {
            if (k > 3 && core::int_of(p(k)) == 0) return true;
            ++list.count;
            list.staff(list.count) = core::int_of(p(k));
            list.distance(list.count) = p(2);
        }
    } else {
        if (p(2) == 0.0f) p(2) = 999.0f;
        for (int32_t k = 2; k + 1 <= kSpacingPlaces; k += 2) {
            if (core::int_of(p(k)) == 0) return true;
            ++list.count;
            list.staff(list.count) = core::int_of(p(k));
            list.distance(list.count) = p(k + 1);
        }
    }
    core::report_failure("Limit of 45 numbers.");
    return false;
}

// The dialog form: the typed line becomes the command's numbers, moved up to start at P2.
// Returns false when the dialog was cancelled.
bool take_spacing_dialog_line() {
    const int32_t result = run_staff_spacing_dialog();
    run_layout_hook(LayoutHooks.show_item_palette, core::kGeneralPalette);
    if (result == 2) return false;
    core::save_undo_copy();
    // The dialog ends the typed list with a NUL.
    core::CommandLine.set(core::MessageLine.c_text());
    core::clear_exchange_text();
    for (int32_t k = 1; k <= 50; ++k) core::ParamBuffer(k) = 0.0f;
    core::scan_command_line(core::find_line_length(core::CommandLine));
    for (int32_t k = 50; k >= 2; --k) core::ParamBuffer(k) = core::ParamBuffer(k - 1);
    core::ParamBuffer(1) = 0.0f;
    if (result == 1) core::CommandLine(5) = 'X';
    return true;
}

// Moves staff item `item` of staff t by delta display units (its P4 in that staff's steps).
// False (after the warning) when the new P4 would reach 999, or when the store has no room to
// give the item its P4.
bool move_staff(int32_t item, int32_t t, int32_t delta) {
    using core::ItemStore;
    auto& tables = StaffTables;
    int32_t start = core::ItemStartTable(item);
    if (core::int_of(ItemStore(start)) < 4) {
        if (!core::resize_item(item, 4.0f)) return false;
        start = core::ItemStartTable(item);
        ItemStore(start + 4) = 0.0f;
    }
    float scale = tables.StaffScale(t);
    if (scale == 0.0f) scale = 25.0f;
    const float p4 = ItemStore(start + 4) + (25.0f / scale) * static_cast<float>(delta) / 175.0f;
    if (p4 >= 999.0f) {
        warn_staff_position(t, p4, 0);
        return false;
    }
    ItemStore(start + 4) = p4;
    tables.StaffBaseY(t) += delta;
    tables.StaffMiddleY(t) += delta;
    return true;
}

}  // namespace

// Contract: see the header. Reads ParamBuffer, CommandLine, core::MetricFlag and StaffTables;
// writes the P4 of staff items (growing short records to 4 P's), StaffBaseY/StaffMiddleY of the
// moved staves and ChangesMadeFlag. Staff items numbered outside 1..256 are not indexed, and
// a gap is set only between two staves that both have a staff item.
void space_staves_vertically() {
    using core::ItemStore;
    auto& p = core::ParamBuffer;
    if (p(2) == 0.0f && p(3) == 0.0f) {
        if (!take_spacing_dialog_line()) return;
    }
    StaffDistanceList list;
    if (!read_spacing_list(list)) return;

    // The last staff item of each staff number, by item number.
    core::Array1<int32_t, kMaxStaves> index;
    index.fill(0);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (core::int_of(ItemStore(start)) < 2 || ItemStore(start + 1) != 8.0f) continue;
        const int32_t s = core::int_of(ItemStore(start + 2));
        if (is_staff_number(s)) index(s) = k;
    }

    const int32_t first = list.staff(1);
    const bool all = first == 0 || first > kMaxStaves;
    auto& t = StaffTables;
    for (int32_t e = 1; e <= list.count; ++e) {
        float distance = list.distance(e);
        if (core::MetricFlag == 1) distance /= kCentimetresPerInch;
        const float target = distance * kUnitsPerInch;
        for (int32_t s = 1; s <= kLastSpacedStaff; ++s) {
            if (!all && s != list.staff(e)) continue;
            // Without both staves there is no gap to set: the tables of a missing staff hold
            // no position.
            if (index(s) == 0 || index(s + 1) == 0) continue;
            const int32_t gap =
                core::int_of(21.0f * t.StaffScale(s + 1) +
                             static_cast<float>(t.StaffBaseY(s + 1))) -
                core::int_of(77.0f * t.StaffScale(s) + static_cast<float>(t.StaffBaseY(s)));
            const int32_t delta = core::int_of(target - static_cast<float>(gap));
            for (int32_t u = s + 1; u <= kLastSpacedStaff; ++u) {
                if (index(u) == 0) continue;
                if (!move_staff(index(u), u, delta)) return;
                core::ChangesMadeFlag = 1;
            }
        }
    }
}

}  // namespace layout
