#include "engine/layout/builders/rhythm_columns.h"

#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

constexpr int32_t kNoteCode = 1;
constexpr int32_t kRestCode = 2;
constexpr int32_t kClefCode = 3;
constexpr int32_t kBarCode = 14;
constexpr int32_t kMeterCode = 18;
constexpr float kGraceQuarters = 64.0f;
constexpr float kLastPosition = 200.0f;
constexpr float kBeyondPage = 200.05f;

// Parameter j of the record at start word s (0.0 beyond its count).
float param(int32_t start, int32_t j) {
    const int32_t n = core::int_of(core::ItemStore(start));
    return j <= n ? core::ItemStore(start + j) : 0.0f;
}
int32_t param_count(int32_t start) { return core::int_of(core::ItemStore(start)); }
int32_t code_of(int32_t start) { return core::int_of(param(start, 1)); }
int32_t staff_of(int32_t start) { return core::int_of(param(start, 2)); }

// The item's position, a position within 0.01 of 0 made exactly 0 (in the store as well when
// the item has one).
float snapped_position(int32_t start) {
    float x = param(start, 3);
    if (x != 0.0f && std::fabs(x) < 0.01f) {
        x = 0.0f;
        if (param_count(start) >= 3) core::ItemStore(start + 3) = 0.0f;
    }
    return x;
}

// Items that cannot open the staff's columns.
bool passed_over(int32_t start, int32_t staff) {
    const int32_t code = code_of(start);
    const float x = snapped_position(start);
    if (staff_of(start) < staff || x > kBeyondPage || x < 0.0f) return true;
    if (code < 1 || (code >= 4 && code <= 16 && code != kBarCode)) return true;
    if (code == kBarCode && param_count(start) > 4) {
        const int32_t kind = core::int_of(param(start, 5));
        if (kind >= 8 && kind <= 10) return true;
    }
    if (code >= 17 && (has_item_offset(start) != 0 || is_displaced_meter(start))) return true;
    return false;
}

// The durations still sounding at the column being built, plus what starts there. Values
// equal to one already held are not kept twice (they would leave equal remainders), so the
// list stays within its bound for any chord; a value beyond the bound is dropped.
struct PendingDurations {
    static constexpr int32_t kCapacity = kInputRows;
    core::Array1<float, kCapacity> values;
    int32_t count = 0;
    bool new_note = false;  // a positive duration started at this column
    float mark = 0.0f;      // the column's negative mark (0 none)

    void add(float d) {
        if (d < 0.0f) {
            if (mark == 0.0f) mark = d;
            return;
        }
        new_note = true;
        for (int32_t i = 1; i <= count; ++i)
            if (values(i) == d) return;
        if (count < kCapacity) values(++count) = d;
    }
};

// The closed column's duration: the shortest duration held when a note or rest starts there,
// the others going on shortened by it (what is left of a note still sounding); a column that
// holds only a mark takes the mark and leaves the sounding notes untouched, so that a clef or
// bar line in another voice's note does not lengthen what is left of it.
float close_rhythm_column(PendingDurations& pending) {
    float duration = pending.mark;
    if (pending.new_note && pending.count > 0) {
        float m = pending.values(1);
        for (int32_t i = 2; i <= pending.count; ++i) m = std::fmin(m, pending.values(i));
        int32_t kept = 0;
        for (int32_t i = 1; i <= pending.count; ++i) {
            const float rest = pending.values(i) - m;
            if (rest > 0.001f) pending.values(++kept) = rest;
        }
        pending.count = kept;
        duration = m;
    }
    pending.new_note = false;
    pending.mark = 0.0f;
    return duration;
}

}  // namespace

int32_t has_item_offset(int32_t start) {
    if (start < 1 || start > core::kItemStoreWords) return 0;
    const int32_t n = param_count(start);
    if (n >= 14 && param(start, 14) != 0.0f) return 1;
    if (n >= 15 && param(start, 15) != 0.0f) return 1;
    return 0;
}

bool is_displaced_meter(int32_t start) {
    if (start < 1 || start > core::kItemStoreWords) return false;
    if (code_of(start) != kMeterCode || param_count(start) <= 3) return false;
    float p7 = param(start, 7);
    if (p7 == 0.0f) p7 = 1.0f;
    return std::fabs(param(start, 4) * p7) > 2.0f;
}

void walk_staff_rhythm(int32_t& item, float staff_number, int32_t& count,
                       RhythmColumnList& positions, RhythmColumnList& durations, float& total) {
    const bool skip_grace = count != 0;
    const int32_t staff = core::int_of(staff_number);
    count = 0;
    total = 0.0f;
    core::ItemCursor.position = 0.0f;
    if (item < 1) item = 1;

    // The first item of the staff that can open a column.
    int32_t first = item;
    while (first <= core::ItemCount) {
        const int32_t s = core::ItemStartTable(first);
        if (staff_of(s) > staff) break;
        if (!passed_over(s, staff)) break;
        ++first;
    }
    if (first > core::ItemCount || staff_of(core::ItemStartTable(first)) != staff) {
        item = first;
        return;
    }
    int32_t last = first;
    while (last < core::ItemCount && staff_of(core::ItemStartTable(last + 1)) == staff) ++last;
    item = last + 1;
    {
        const int32_t s = core::ItemStartTable(last);
        const int32_t code = code_of(s);
        const bool column_item =
            code == kNoteCode || code == kRestCode || code == kBarCode || code >= 17;
        if (column_item && param_count(s) >= 3 && std::fabs(param(s, 3) - kLastPosition) < 0.01f)
            core::ItemStore(s + 3) = kLastPosition;
    }

    PendingDurations pending;
    for (int32_t k = first; k <= last; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const float x = snapped_position(s);
        if (x > kBeyondPage || x < 0.0f) continue;
        const int32_t code = code_of(s);
        const bool new_position = count == 0 || std::fabs(x - positions(count)) > 0.1f;
        float d = 0.0f;
        if (code == kNoteCode || code == kRestCode) {
            if (param_count(s) < 7 || !(param(s, 7) > 0.0f)) continue;
            d = param(s, 7);
            if (d >= kGraceQuarters) {
                GraceSpacingDone = 0;
                if (skip_grace) continue;
                d = -kGraceQuarters;
            }
        } else if (code == kClefCode || code == kBarCode || code >= 17) {
            if (!new_position || has_item_offset(s) != 0 || is_displaced_meter(s)) continue;
            if (code == kClefCode && param_count(s) >= 5 && param(s, 5) >= 44.0f) continue;
            d = -static_cast<float>(code);
            if (code == kBarCode && param_count(s) >= 12 && param(s, 12) > 0.0f) d = -140.0f;
        } else {
            continue;
        }
        if (new_position) {
            if (count == kRhythmColumnLimit) break;  // the columns beyond are not read
            if (count > 0) durations(count) = close_rhythm_column(pending);
            ++count;
            positions(count) = x;
            durations(count) = 0.0f;
        }
        pending.add(d);
    }
    if (count > 0) durations(count) = close_rhythm_column(pending);

    // Tuplets add up to whole beats: a running sum close to a whole number is made whole.
    double sum = 0.0;
    for (int32_t i = 1; i <= count; ++i) {
        if (!(durations(i) > 0.0f)) continue;
        sum += durations(i);
        const double whole = std::round(sum);
        const double off = whole - sum;
        if (off != 0.0 && std::fabs(off) < 0.005) {
            durations(i) = static_cast<float>(durations(i) + off);
            sum = whole;
        }
    }
    total = static_cast<float>(sum);
    core::ItemCursor.position = total;
    if (total == 0.0f) count = 0;
}

void append_spacing_end_marker() {
    SpacingListRecord& list = SpacingList;
    list.count = 0;
    list.quarters = 0.0f;
    if (!(SpacingStaff >= 1.0f && SpacingStaff <= static_cast<float>(kMaxStaves))) return;
    int32_t item = 1;
    int32_t count = 0;
    float quarters = 0.0f;
    walk_staff_rhythm(item, SpacingStaff, count, list.x, list.v, quarters);
    if (count == 0) return;
    list.quarters = quarters;
    if (list.v(count) != -14.0f) {
        ++count;
        list.x(count) = render::PageExtent;
        list.v(count) = -14.0f;
    }
    const float end = list.x(count);
    int32_t k = 1;
    while (k < count && !(list.v(k) > 0.0f)) ++k;
    float x = list.x(k);
    float d = list.v(k);
    list.v(k) = x;
    const float unit = (end - list.x(k)) / quarters;
    for (int32_t j = k + 1; j <= count; ++j) {
        if (list.v(j) < 0.0f) continue;
        x += unit * d;
        d = list.v(j);
        list.v(j) = x;
    }
    ++count;
    list.x(count) = end;
    list.v(count) = end;
    list.count = count;
    InputRangeStart = list.x(1);
    InputRangeEnd = end;
}

}  // namespace layout
