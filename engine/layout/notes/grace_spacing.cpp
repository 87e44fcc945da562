#include "engine/layout/notes/grace_spacing.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/key_room.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

constexpr int32_t kNoteCode = 1;
constexpr int32_t kRestCode = 2;
constexpr int32_t kClefCode = 3;
constexpr int32_t kBarCode = 14;
constexpr int32_t kKeyCode = 17;
constexpr int32_t kMeterCode = 18;
constexpr float kGraceQuarters = 64.0f;

// Slot kinds besides the run slots (1 note, 2 rest): a fixed item of code c is -100 - c before
// a run and -c after it; codes above 99 are taken as 99 so that the two ranges never meet.
constexpr int32_t kSentinelKind = -99;
constexpr int32_t kLeftBarKind = -114;
constexpr int32_t kRightBarKind = -14;
constexpr int32_t kHighestKindCode = 99;

// Pre-placed runs stand this far apart, just left of their right end.
constexpr float kRunStep = 0.11f;
// A placed grace item keeps at least this much room after the fixed item before it.
constexpr float kLeftClearance = 0.1f;
// Positions beyond this are not put in the column order.
constexpr float kUnorderedPosition = 9999.0f;

// Parameter j of the record at start word s (0.0 beyond its count).
float param(int32_t start, int32_t j) {
    const int32_t n = core::int_of(core::ItemStore(start));
    return j <= n ? core::ItemStore(start + j) : 0.0f;
}
int32_t code_of(int32_t start) { return core::int_of(param(start, 1)); }
int32_t staff_of(int32_t start) { return core::int_of(param(start, 2)); }
bool is_note_or_rest(int32_t code) { return code == kNoteCode || code == kRestCode; }

// Items that neither move nor bound a run: lines, slurs, texts and the like, and meters moved off
// their column. Items of code 0 or below carry nothing to space around.
bool passed_over(int32_t start) {
    const int32_t code = code_of(start);
    if (code < 1) return true;
    if (code >= 4 && code <= 16 && code != kBarCode) return true;
    if (code == kMeterCode)
        return param(start, 15) != 0.0f || param(start, 4) != 0.0f || param(start, 14) != 0.0f;
    return false;
}
bool is_grace(int32_t start) {
    return is_note_or_rest(code_of(start)) && param(start, 7) >= kGraceQuarters;
}

struct GraceSlot {
    int32_t kind = 0;
    float position = 0.0f;
    int32_t staff = 0;
    int32_t p3_index = 0;  // 0 for a sentinel
    int32_t item = 0;      // the item number; made negative in the order, 1 once handled
    float before = 0.0f;
    float after = 0.0f;
    // A staff-start sentinel bounds its run on the left like a fixed item before it.
    bool staff_start = false;
};

struct GraceSlotTableRecord {
    core::Array1<GraceSlot, kGraceSlotLimit> slots;
    int32_t count = 0;
    bool overflow = false;
};
struct GraceBarListRecord {
    core::Array1<float, kGraceBarLimit> positions;
    core::Array1<int32_t, kGraceBarLimit> p3_indexes;
    int32_t count = 0;
    bool overflow = false;
};
// The slots in order of position, and the offset of each slot from the one before it.
struct GraceWorkListsRecord {
    std::array<int32_t, kGraceSlotLimit> order{};
    int32_t ordered = 0;
    core::Array1<float, kGraceSlotLimit> offsets;
};

GraceSlotTableRecord GraceSlotTable;
GraceBarListRecord GraceBarList;
GraceWorkListsRecord GraceWorkLists;

GraceSlot& slot(int32_t i) { return GraceSlotTable.slots(i); }
bool is_run_slot(const GraceSlot& s) { return s.kind == kNoteCode || s.kind == kRestCode; }
bool is_left_bound(const GraceSlot& s) { return s.kind < -100 || s.staff_start; }
bool is_right_end(const GraceSlot& s) {
    return s.kind >= kSentinelKind && s.kind <= -1 && !s.staff_start;
}
int32_t kind_code(int32_t code) { return std::min(code, kHighestKindCode); }

// Appends a slot; at the table's capacity nothing is added and the overflow is noted.
void add_slot(int32_t kind, float position, int32_t staff, int32_t p3_index, int32_t item,
              bool staff_start = false) {
    auto& t = GraceSlotTable;
    if (t.count == kGraceSlotLimit) {
        t.overflow = true;
        return;
    }
    GraceSlot& s = t.slots(++t.count);
    s = GraceSlot{};
    s.kind = kind;
    s.position = position;
    s.staff = staff;
    s.p3_index = p3_index;
    s.item = item;
    s.staff_start = staff_start;
}
void add_item_slot(int32_t kind, int32_t item) {
    const int32_t start = core::ItemStartTable(item);
    add_slot(kind, param(start, 3), staff_of(start), start + 3, item);
}

// The distinct bar-line positions (0.005 apart or more) of staves lo..hi.
void collect_bar_positions(int32_t lo, int32_t hi) {
    auto& bars = GraceBarList;
    bars.count = 0;
    bars.overflow = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        const int32_t staff = staff_of(start);
        if (code_of(start) != kBarCode || staff < lo || staff > hi) continue;
        const float x = param(start, 3);
        bool known = false;
        for (int32_t b = 1; b <= bars.count && !known; ++b)
            known = std::fabs(bars.positions(b) - x) <= 0.005f;
        if (known) continue;
        if (bars.count == kGraceBarLimit) {
            bars.overflow = true;
            return;
        }
        ++bars.count;
        bars.positions(bars.count) = x;
        bars.p3_indexes(bars.count) = start + 3;
    }
}

// The slots of one run starting at grace item k: the fixed item before it (with the notes of
// its chord) or a staff-start sentinel, the run's grace items, the fixed item after it (with
// the notes at its position) or a staff-end sentinel. Returns the next item to examine.
int32_t collect_run(int32_t k) {
    const int32_t staff = staff_of(core::ItemStartTable(k));

    int32_t left = k - 1;
    while (left >= 1) {
        const int32_t start = core::ItemStartTable(left);
        if (staff_of(start) != staff) {
            left = 0;
            break;
        }
        if (!passed_over(start)) break;
        --left;
    }
    if (left >= 1) {
        const int32_t start = core::ItemStartTable(left);
        const int32_t code = code_of(start);
        add_item_slot(-100 - kind_code(code), left);
        if (is_note_or_rest(code)) {
            const float x = param(start, 3);
            for (int32_t m = left - 1; m >= 1; --m) {
                const int32_t s = core::ItemStartTable(m);
                if (staff_of(s) != staff || !is_note_or_rest(code_of(s)) || param(s, 3) != x) break;
                add_item_slot(-100 - code_of(s), m);
            }
        }
    } else {
        add_slot(kSentinelKind, 0.0f, staff, 0, 0, true);
    }

    int32_t m = k;
    for (; m <= core::ItemCount; ++m) {
        const int32_t start = core::ItemStartTable(m);
        if (staff_of(start) != staff) break;
        if (passed_over(start)) continue;
        if (!is_grace(start)) break;
        add_item_slot(code_of(start), m);
    }

    if (m > core::ItemCount || staff_of(core::ItemStartTable(m)) != staff) {
        add_slot(kSentinelKind, render::PageExtent, staff, 0, 0);
        // The item that ended the run may start a run of the next staff.
        return m;
    }
    const int32_t right = core::ItemStartTable(m);
    const float x = param(right, 3);
    add_item_slot(-kind_code(code_of(right)), m);
    int32_t next = m + 1;
    for (; next <= core::ItemCount; ++next) {
        const int32_t start = core::ItemStartTable(next);
        if (staff_of(start) != staff || param(start, 3) != x) break;
        if (is_note_or_rest(code_of(start))) add_item_slot(-code_of(start), next);
    }
    return next;
}

// Positions within 0.01 of an earlier slot's take it exactly; then each run is pre-placed just
// left of its right end, kRunStep between its distinct positions.
void snap_and_preplace() {
    const int32_t n = GraceSlotTable.count;
    for (int32_t i = 1; i <= n; ++i)
        for (int32_t j = i + 1; j <= n; ++j)
            if (std::fabs(slot(j).position - slot(i).position) <= 0.01f)
                slot(j).position = slot(i).position;

    float p = 0.0f;
    bool have_previous = false;
    float previous = 0.0f;
    for (int32_t i = n; i >= 1; --i) {
        GraceSlot& s = slot(i);
        const float original = s.position;
        if (s.kind < 0) {
            p = original;
            have_previous = false;
        } else if (is_run_slot(s)) {
            if (!have_previous || original != previous) p -= kRunStep;
            s.position = p;
            previous = original;
            have_previous = true;
        }
    }
}

// A bar line of the range inside a run's room becomes its edge: the nearest one between the
// fixed item before the run and its first grace item, and between its last grace item and the
// fixed item after it. Only fixed slots are replaced, never a grace item.
void take_bar_lines_as_edges() {
    const int32_t n = GraceSlotTable.count;
    const auto& bars = GraceBarList;
    for (int32_t j = 2; j <= n - 1; ++j) {
        GraceSlot& left = slot(j - 1);
        if (!is_run_slot(slot(j)) || left.kind >= 0 || left.kind == kRightBarKind) continue;
        int32_t found = 0;
        for (int32_t b = 1; b <= bars.count; ++b) {
            const float x = bars.positions(b);
            if (x >= left.position && x <= slot(j).position &&
                (found == 0 || x > bars.positions(found)))
                found = b;
        }
        if (found == 0) continue;
        left.position = bars.positions(found);
        left.p3_index = bars.p3_indexes(found);
        left.kind = kLeftBarKind;
        left.item = 1;
        left.staff_start = false;
    }
    for (int32_t j = n - 1; j >= 2; --j) {
        GraceSlot& right = slot(j + 1);
        if (!is_run_slot(slot(j)) || right.kind >= 0 || right.kind == kRightBarKind) continue;
        int32_t found = 0;
        for (int32_t b = 1; b <= bars.count; ++b) {
            const float x = bars.positions(b);
            if (x >= slot(j).position && x <= right.position &&
                (found == 0 || x < bars.positions(found)))
                found = b;
        }
        if (found == 0) continue;
        right.position = bars.positions(found);
        right.p3_index = bars.p3_indexes(found);
        right.kind = kRightBarKind;
        right.item = 1;
    }
}

// Space needs of the items behind the slots, in P3 units; a grace item's are 0.6 of a full
// item's. Sentinels and fixed items of codes 19 and above need none.
void measure_slots() {
    for (int32_t i = 1; i <= GraceSlotTable.count; ++i) {
        GraceSlot& s = slot(i);
        s.before = 0.0f;
        s.after = 0.0f;
        int32_t r = s.kind - 100 * (s.kind / 100);
        if (s.p3_index < 4 || !(r == -18 || r == -17 || r == -14 || r >= -3)) continue;
        core::ItemCursor.start = s.p3_index - 3;
        core::ItemCursor.n = core::int_of(core::ItemStore(core::ItemCursor.start));
        float before = 0.0f;
        float after = 0.0f;
        item_space_needs(r, before, after);
        float scale = 1.0f;
        if (s.staff >= 0 && s.staff <= kMaxStaves) scale = StaffTables.StaffScale(s.staff) / 25.0f;
        if (is_run_slot(s)) scale *= 0.6f;
        s.before = scale * before;
        s.after = scale * after;
    }
}

// Slots at one position, on any staff, form a column with the largest needs of its members;
// a fixed item before a run that is followed in position order by another staff's fixed item
// takes that item's place, so that runs do not reach past a column of another staff.
void align_columns() {
    auto& w = GraceWorkLists;
    w.ordered = 0;
    for (int32_t i = 1; i <= GraceSlotTable.count; ++i)
        if (slot(i).position <= kUnorderedPosition) w.order[w.ordered++] = i;
    std::sort(w.order.begin(), w.order.begin() + w.ordered, [](int32_t a, int32_t b) {
        if (slot(a).position != slot(b).position) return slot(a).position < slot(b).position;
        return a > b;
    });
    // A slot taken into the order is marked by a negative item number; a right end is handled
    // once its number is set to 1 again.
    for (int32_t m = 0; m < w.ordered; ++m)
        slot(w.order[m]).item = -std::abs(slot(w.order[m]).item);

    for (int32_t g = 0; g < w.ordered;) {
        int32_t e = g;
        float before = -99.0f;
        float after = -99.0f;
        while (e < w.ordered && slot(w.order[e]).position == slot(w.order[g]).position) {
            before = std::max(before, slot(w.order[e]).before);
            after = std::max(after, slot(w.order[e]).after);
            ++e;
        }
        for (int32_t m = g; m < e; ++m) {
            slot(w.order[m]).before = before;
            slot(w.order[m]).after = after;
        }
        g = e;
    }

    for (int32_t m = 0; m + 1 < w.ordered; ++m) {
        GraceSlot& first = slot(w.order[m]);
        const GraceSlot& second = slot(w.order[m + 1]);
        if (first.kind <= -100 && second.kind <= -100 && first.staff != second.staff &&
            first.position != second.position) {
            first = second;
            w.order[m] = w.order[m + 1];
        }
    }
}

// The squeeze factor of the run whose right end is slot j, against the target position
// ItemCursor.position: the room from the fixed slot that bounds the run on the left (left, never
// below slot 1) over the needs of the run's distinct positions; at most 1.0.
void segment_room_factor(int32_t j, float& factor, int32_t& left) {
    float needed = slot(j).before;
    bool counted = false;
    float q = 0.0f;
    left = j - 1;
    while (left >= 1) {
        const GraceSlot& s = slot(left);
        if (is_left_bound(s)) break;
        if (is_run_slot(s) && (!counted || s.position != q)) {
            q = s.position;
            counted = true;
            needed += s.after + s.before;
        }
        if (left == 1) break;
        --left;
    }
    if (left < 1) left = 1;
    needed += slot(left).after;
    factor = 1.0f;
    if (needed > 0.0f)
        factor = std::min(1.0f, (core::ItemCursor.position - slot(left).position) / needed);
}

// Runs that end at one position share the smallest factor; the needs of every such run, from
// its right end down to its left bound, are squeezed by it.
void squeeze_runs() {
    const int32_t n = GraceSlotTable.count;
    for (int32_t i = n; i >= 2; --i) {
        if (!is_right_end(slot(i)) || slot(i).item > 0) continue;
        const float target = slot(i).position;
        core::ItemCursor.position = target;
        slot(i).item = 1;
        float factor = 1.0f;
        int32_t left = 1;
        segment_room_factor(i, factor, left);
        for (int32_t m = left - 1; m >= 1; --m) {
            GraceSlot& s = slot(m);
            if (s.position != target || !is_right_end(s) || s.item > 0) continue;
            s.item = 1;
            float other = 1.0f;
            segment_room_factor(m, other, left);
            factor = std::min(factor, other);
            m = left;
        }
        if (factor == 1.0f || !(factor > 0.0f)) continue;
        for (int32_t m = n; m >= 3; --m) {
            if (slot(m).position != target || !is_right_end(slot(m))) continue;
            int32_t q = m;
            for (; q >= 1; --q) {
                GraceSlot& s = slot(q);
                if (is_right_end(s) && s.position == target) s.item = 1;
                s.before *= factor;
                s.after *= factor;
                if (is_left_bound(s) || q == 1) break;
            }
            m = q;
        }
    }
}

// Each run is laid out leftwards from its right end by the offsets; a chord of grace items
// shares one position, and the first column keeps kLeftClearance after the run's left bound.
void place_runs() {
    const int32_t n = GraceSlotTable.count;
    auto& offsets = GraceWorkLists.offsets;
    for (int32_t t = 2; t <= n; ++t) {
        offsets(t) = 0.0f;
        if (is_run_slot(slot(t)) || is_run_slot(slot(t - 1)))
            offsets(t) = slot(t - 1).after + slot(t).before;
    }
    float x = 0.0f;
    bool have_previous = false;
    float previous = 0.0f;
    for (int32_t i = n; i >= 2; --i) {
        GraceSlot& s = slot(i);
        if (s.kind < 0) {
            x = s.position;
            have_previous = false;
            continue;
        }
        if (!is_run_slot(s)) continue;
        const float preplaced = s.position;
        if ((!have_previous || preplaced != previous) && i < n) x -= offsets(i + 1);
        int32_t l = i - 1;
        while (l > 1 && is_run_slot(slot(l)) && slot(l).position == preplaced) --l;
        if (slot(l).kind < 0) x = std::max(x, slot(l).position + kLeftClearance);
        s.position = x;
        core::ItemStore(s.p3_index) = x;
        previous = preplaced;
        have_previous = true;
    }
}

// Whether a clef is the nearest item before the record at start on its staff that is not
// passed over (a key signature then needs more room after it).
bool follows_clef(int32_t start) {
    const int32_t count = core::ItemCount;
    int32_t lo = 1;
    int32_t hi = count;
    int32_t k = 0;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t s = core::ItemStartTable(mid);
        if (s == start) {
            k = mid;
            break;
        }
        if (s < start) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    if (k == 0) return false;
    const int32_t staff = staff_of(start);
    for (int32_t j = k - 1; j >= 1; --j) {
        const int32_t s = core::ItemStartTable(j);
        if (staff_of(s) != staff) return false;
        if (!passed_over(s)) return code_of(s) == kClefCode;
    }
    return false;
}

// Room before and after a note: heads, ledger lines, accidentals, dots and flags.
void note_space_needs(int32_t start, int32_t n, float& before, float& after) {
    constexpr std::array<float, 6> kAccidentalWidths{1.0f, 4.2f, 4.6f, 4.2f, 5.7f, 4.6f};
    float m = 1.0f;
    float e = 0.0f;
    after = 4.1f;
    if (n >= 6 && param(start, 6) == 2.0f) after = 4.6f;
    const float shift = n >= 10 ? param(start, 10) : 0.0f;
    if (shift != 0.0f) {
        if (std::fabs(shift) < 10.0f) {
            after += shift;
        } else if (shift == 10.0f) {
            after *= 2.0f;
        } else if (shift == 20.0f) {
            m = after + 1.0f;
        }
    }
    const float level = core::compute_real_mod(param(start, 4), 100.0f);
    if (level >= 13.0f || level <= 0.0f) {
        after += 0.5f;
        e = 1.0f;
    }
    const float a = n >= 5 ? core::compute_real_mod(param(start, 5), 10.0f) : 0.0f;
    const int32_t index = core::int_of(a + 1.0f);
    float w = index >= 1 && index <= 6 ? kAccidentalWidths[index - 1] : 0.0f;
    w += 10.0f * core::compute_real_mod(a, 1.0f);
    if (w <= 1.0f) m += e;
    before = m > w ? m : w;
    if (n >= 9) {
        const float p9 = param(start, 9);
        const float dots =
            static_cast<float>(core::int_of(p9 / 10.0f)) + 10.0f * core::compute_real_mod(p9, 1.0f);
        const float flag =
            param(start, 5) < 20.0f && core::compute_real_mod(p9, 10.0f) >= 1.0f ? 1.6f : 0.0f;
        after += std::max(dots, flag);
    }
}

}  // namespace

void item_space_needs(int32_t& code, float& before, float& after) {
    const int32_t c = std::abs(code);
    const int32_t start = core::ItemCursor.start;
    const int32_t n = core::ItemCursor.n;
    if (start < 1 || start + std::max(n, 0) > core::kItemStoreWords || c >= 19) {
        before = 0.0f;
        after = 0.0f;
        return;
    }
    // Parameters beyond the cursor's count read as 0.
    auto p = [&](int32_t j) { return j <= n ? core::ItemStore(start + j) : 0.0f; };
    before = 1.2f;
    switch (c) {
        case kNoteCode:
            note_space_needs(start, n, before, after);
            break;
        case kRestCode:
            after = 3.1f;
            break;
        case kClefCode:
            after = n >= 4 && p(4) >= 100.0f ? 5.6f : 7.0f;
            break;
        case kBarCode: {
            before = 2.4f;
            after = 1.5f;
            if (n >= 5) {
                const float type = p(5);
                if (type == 1.0f) before = 2.7f;
                if (type == 2.0f) before = 3.7f;
                if (type == 3.0f) before = 6.0f;
                if (type > 5.0f) before = 5.0f;
                if (type >= 4.0f) after = 4.9f;
            }
            break;
        }
        case kKeyCode: {
            after = key_signature_room(p(5), p(7), follows_clef(start));
            break;
        }
        default:
            after = p(5) > 9.0f || p(6) > 9.0f ? 8.1f : 5.6f;
            break;
    }
}

void space_grace_notes(int32_t& lowest, int32_t& highest) {
    const int32_t lo = lowest;
    const int32_t hi = highest;
    GraceSlotTable.count = 0;
    GraceSlotTable.overflow = false;
    collect_bar_positions(lo, hi);

    int32_t k = 1;
    while (k <= core::ItemCount && !GraceSlotTable.overflow) {
        const int32_t start = core::ItemStartTable(k);
        const int32_t staff = staff_of(start);
        if (staff > hi) break;
        if (staff < lo || !is_grace(start)) {
            ++k;
            continue;
        }
        k = collect_run(k);
    }
    if (GraceSlotTable.count == 0 && !GraceSlotTable.overflow) return;
    if (GraceSlotTable.overflow || GraceBarList.overflow) {
        core::report_failure("*** Too many grace notes to space: nothing was moved.");
        return;
    }

    snap_and_preplace();
    take_bar_lines_as_edges();
    measure_slots();
    align_columns();
    squeeze_runs();
    place_runs();
}

}  // namespace layout
