#include "engine/layout/staves/vertical_justify.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

using core::ItemStartTable;
using core::ItemStore;
using core::ParamBuffer;

constexpr int32_t kCodeNote = 1;
constexpr int32_t kCodeStaff = 8;
constexpr int32_t kCodeBarLine = 14;
constexpr int32_t kCodeText = 16;
constexpr int32_t kSlots = 100;
constexpr int32_t kSlotWidth = 300;
constexpr int32_t kYShift = 290000;
// Material further right than this lies beyond the page.
constexpr int32_t kRightLimit = 30000;
// The measuring redraw: text glyphs go into the graphics list too.
constexpr int32_t kMeasuringPass = 2;
constexpr int32_t kScreenPass = 1;
constexpr int32_t kCancel = 2;
// Text items hold their characters after 12 header words, or 18 when coloured (P14 = -1).
constexpr int32_t kPlainTextWords = 12;
constexpr int32_t kColouredTextWords = 18;
// A shift smaller than this (in steps of the moved staff) is not worth a change.
constexpr float kLeastShift = 0.2f;

StaffProfilesRecord g_profiles;

int32_t count_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i))); }
float word(int32_t i, int32_t k) { return ItemStore(ItemStartTable(i) + k); }

// Hidden text: a stored text whose characters begin with "_99".
bool is_hidden_text(int32_t i) {
    const int32_t n = count_of(i);
    if (n < 12) return false;
    const int32_t s = ItemStartTable(i);
    const int32_t header = (n >= 14 && word(i, 14) == -1.0f) ? kColouredTextWords : kPlainTextWords;
    if (n - header < 1 || core::int_of(word(i, 12)) < 3) return false;
    char head[3];
    std::memcpy(head, ItemStore.at(s + header + 1), sizeof head);
    return std::memcmp(head, "_99", sizeof head) == 0;
}

// Items that do not count for the clearance: bar lines, notes marked in P12 and hidden texts.
bool measured(int32_t i) {
    const int32_t n = count_of(i);
    if (n < 2) return false;
    const int32_t code = core::int_of(word(i, 1));
    if (code == kCodeBarLine) return false;
    if (code == kCodeNote && n >= 12 && word(i, 12) != 0.0f) return false;
    if (code == kCodeText && is_hidden_text(i)) return false;
    return true;
}

void take_point(StaffProfile& top, StaffProfile& bottom, int32_t slot, int32_t y) {
    if (slot < 0 || slot > kSlots) return;
    top(slot) = std::max(top(slot), y);
    bottom(slot) = std::min(bottom(slot), y);
}

// The segment (x1, y1)-(x2, y2), x relative to the view, y shifted, into the profiles: each
// slot it crosses takes the highest and lowest point of the part of the segment inside it (the
// segment's y where it enters and leaves the slot). A short segment across a slot's edge is
// never carried on past its own ends, so the profiles do not hang on where a drawing falls
// against the slots.
void add_segment(StaffProfile& top, StaffProfile& bottom, int64_t x1, int64_t y1, int64_t x2,
                 int64_t y2) {
    if ((x1 < 0 && x2 < 0) || (x1 > kRightLimit && x2 > kRightLimit)) return;
    if (x2 < x1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int64_t s1 = (x1 + kSlotWidth / 2) / kSlotWidth;
    const int64_t s2 = (x2 + kSlotWidth / 2) / kSlotWidth;
    if (s1 == s2) {
        take_point(top, bottom, static_cast<int32_t>(s1), static_cast<int32_t>(std::max(y1, y2)));
        take_point(top, bottom, static_cast<int32_t>(s1), static_cast<int32_t>(std::min(y1, y2)));
        return;
    }
    const int64_t width = x2 - x1;
    const auto y_at = [&](int64_t x) { return y1 + (x - x1) * (y2 - y1) / width; };
    const int64_t first = std::max<int64_t>(s1, 0);
    const int64_t last = std::min<int64_t>(s2, kSlots);
    for (int64_t s = first; s <= last; ++s) {
        const int64_t left = std::max(x1, s * kSlotWidth - kSlotWidth / 2);
        const int64_t right = std::min(x2, s * kSlotWidth + kSlotWidth / 2 - 1);
        if (right < left) continue;
        take_point(top, bottom, static_cast<int32_t>(s), static_cast<int32_t>(y_at(left)));
        take_point(top, bottom, static_cast<int32_t>(s), static_cast<int32_t>(y_at(right)));
    }
}

// The five settings of the command, typed or from the dialog. False when the dialog was
// cancelled.
struct Settings {
    int32_t clearance = 0;
    int32_t window = 4;
    float least_gap = 12.0f;
    int32_t first = 1;
    int32_t count = 0;
};

bool read_settings(Settings& s) {
    if (ParamBuffer(2) == 0.0f) {
        core::Array1<int32_t, 19> a;
        a.fill(0);
        if (core::front_end().RunVerticalJustifyDialog(a) == kCancel) return false;
        for (int32_t k = 1; k <= 5; ++k) ParamBuffer(k + 1) = static_cast<float>(a(k));
    }
    s.clearance = core::int_of(ParamBuffer(2));
    s.window = core::int_of(ParamBuffer(3));
    if (s.window <= 0) s.window = 4;
    s.least_gap = ParamBuffer(4) == 0.0f ? 12.0f : ParamBuffer(4);
    s.first = ParamBuffer(5) == 0.0f ? 1 : core::int_of(ParamBuffer(5));
    if (s.first < 1 || s.first > MaxStaffNumber) s.first = 1;
    s.count = ParamBuffer(6) == 0.0f ? MaxStaffNumber : core::int_of(ParamBuffer(6));
    if (s.count < 1 || core::CommandModeLetters(1) == 'I') s.count = MaxStaffNumber;
    return true;
}

void redraw_page() {
    if (core::ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
}

// The shifts, in each staff's own steps, that bring the touched staves first..last apart.
void find_shifts(const Settings& s, int32_t first, int32_t last,
                 core::Array1<float, kMaxStaves>& shift) {
    const auto& tables = StaffTables;
    int64_t total = 0;
    int32_t ref = first;
    for (int32_t t = first + 1; t <= last; ++t) {
        if (g_profiles.touched(t) == 0) continue;
        const float step_t = 7.0f * tables.StaffScale(t);
        const float step_min = 7.0f * std::min(tables.StaffScale(ref), tables.StaffScale(t));
        const int32_t d = min_staff_distance(g_profiles.top(ref), g_profiles.bottom(t), s.window);
        if (d != kNoCommonSlot) {
            const int64_t need =
                core::int_of(static_cast<float>(s.clearance) * step_min) - static_cast<int64_t>(d);
            const float lines =
                static_cast<float>(tables.StaffBaseY(t) - tables.StaffBaseY(ref)) - 8.0f * step_min;
            const int64_t least = core::int_of(step_min * s.least_gap - lines);
            total += std::max(need, least);
            ref = t;
        }
        float steps = step_t != 0.0f ? static_cast<float>(total) / step_t : 0.0f;
        if (std::fabs(steps) < kLeastShift) steps = 0.0f;
        shift(t) = steps;
        core::FixedText<512> line("Staff");
        core::write_int_field(line, 6, 8, "(1i3)", t);
        core::write_real_field(line, 9, 17, "(1f9.3)", steps);
        core::show_prompt(core::ReplyKind::Notice, line.view());
    }
}

// Moves the staff items of staves first + 1..last by their shifts.
void move_staff_items(int32_t first, int32_t last, const core::Array1<float, kMaxStaves>& shift) {
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        if (count_of(i) < 2 || core::int_of(word(i, 1)) != kCodeStaff) continue;
        const int32_t staff = core::int_of(word(i, 2));
        if (staff <= first || staff > last || shift(staff) == 0.0f) continue;
        if (count_of(i) < 4 && !core::resize_item(i, 4.0f)) continue;
        ItemStore(ItemStartTable(i) + 4) += shift(staff);
    }
}

// The work of the command while the command file is set aside; see the contract.
void justify_with_macro_aside() {
    Settings s;
    if (!read_settings(s)) return;
    if (!core::OutputBufferViews.graphics.bound() || !core::OutputBufferViews.text.bound()) return;

    render::OutputPassWord = kMeasuringPass;
    render::redraw_items();
    render::OutputPassWord = kScreenPass;

    int32_t first = s.first;
    const int32_t last = static_cast<int32_t>(
        std::min<int64_t>(static_cast<int64_t>(first) + s.count - 1, MaxStaffNumber));
    clear_staff_profiles(g_profiles);
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        if (count_of(i) < 2) continue;
        const int32_t staff = core::int_of(word(i, 2));
        if (staff < first || staff > last || !measured(i)) continue;
        add_item_to_staff_profiles(i, g_profiles);
    }
    if (g_profiles.lowest == 0) return;
    first = std::max(first, g_profiles.lowest);
    const int32_t top = std::min(last, g_profiles.highest);
    if (first == top) return;

    core::ChangesMadeFlag = 1;
    core::show_prompt(core::ReplyKind::Notice, "Moving up/down");
    core::Array1<float, kMaxStaves> shift;
    shift.fill(0.0f);
    find_shifts(s, first, top, shift);
    move_staff_items(first, top, shift);

    int32_t appended = 0;
    rebuild_index_and_staff_table(appended);
    ParamBuffer(2) = 0.0f;
    ParamBuffer(3) = 0.0f;
    ParamBuffer(4) = 0.0f;
    redraw_page();
    core::refresh_screen();
}

}  // namespace

// Contract: see the header.
void clear_staff_profiles(StaffProfilesRecord& profiles) {
    profiles.touched.fill(0);
    profiles.lowest = 0;
    profiles.highest = 0;
}

// Contract: see the header. Reads ItemStore, ItemOutputSpans.graphics, the graphics list,
// ViewOrigin.
void add_item_to_staff_profiles(int32_t k, StaffProfilesRecord& profiles) {
    if (k < 1 || k > core::ItemCount || count_of(k) < 2) return;
    const int32_t staff = core::int_of(word(k, 2));
    if (staff < 1 || staff > kMaxStaves) return;
    auto& graphics = core::OutputBufferViews.graphics;
    if (!graphics.bound()) return;
    const auto& spans = core::ItemOutputSpans.graphics;
    int32_t start = std::max(spans(k), 1);
    const int32_t end = std::min(spans(k + 1), core::GraphicsNextFree);
    if (core::int_of(word(k, 1)) == kCodeStaff && count_of(k) >= 8 && word(k, 8) != 0.0f) {
        start += 9;
    }
    if (profiles.touched(staff) == 0) {
        profiles.top(staff).fill(kEmptyTop);
        profiles.bottom(staff).fill(kEmptyBottom);
        profiles.touched(staff) = 1;
        if (profiles.lowest == 0 || staff < profiles.lowest) profiles.lowest = staff;
        profiles.highest = std::max(profiles.highest, staff);
    }
    StaffProfile& top = profiles.top(staff);
    StaffProfile& bottom = profiles.bottom(staff);
    const int32_t* words = graphics.data();
    const int64_t view_x = render::ViewOrigin.x;
    for (int32_t e = start; e + 5 < end; e += 3) {
        const int32_t* a = words + (e - 1);
        const int32_t* b = a + 3;
        // A point that starts a path is not joined to the one before it.
        if ((static_cast<uint32_t>(b[2]) >> 24) != 0) continue;
        add_segment(top, bottom, a[0] - view_x, static_cast<int64_t>(a[1]) + kYShift, b[0] - view_x,
                    static_cast<int64_t>(b[1]) + kYShift);
    }
}

// Contract: see the header. Reads only its arguments.
int32_t min_staff_distance(const StaffProfile& top_of_lower, const StaffProfile& bottom_of_upper,
                           int32_t window) {
    int32_t best = kNoCommonSlot;
    bool found = false;
    for (int32_t i = 0; i <= kSlots; ++i) {
        const int32_t b = bottom_of_upper(i);
        if (b == kEmptyBottom) continue;
        const int32_t from = std::max(0, i - window);
        const int32_t to = std::min(kSlots, i + window);
        for (int32_t j = from; j <= to; ++j) {
            const int32_t t = top_of_lower(j);
            if (t == kEmptyTop) continue;
            if (!found || b - t < best) best = b - t;
            found = true;
        }
    }
    return best;
}

// Contract: see the header. Reads ParamBuffer P2..P6, CommandModeLetters, StaffTables, the
// store and the graphics list; writes the staff items' P4, the staff tables, the output lists,
// OutputPassWord (1 after), ChangesMadeFlag, ParamBuffer P2..P4 and the prompt line.
void justify_staves_vertically() {
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    if (highest == lowest || highest < lowest) {
        core::report_failure("Multiple staves not found. Cannot do VJ.");
        return;
    }
    const int32_t kept_unit = core::MacroUnit;
    core::MacroUnit = 0;
    justify_with_macro_aside();
    core::MacroUnit = kept_unit;
}

}  // namespace layout
