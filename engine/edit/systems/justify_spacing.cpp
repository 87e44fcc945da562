#include "engine/edit/systems/justify_spacing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <utility>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/tables.h"
#include "engine/layout/builders/rhythm_columns.h"
#include "engine/layout/staves/clef_room.h"
#include "engine/layout/staves/key_room.h"
#include "engine/layout/staves/meter_room.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::ItemStore;

constexpr int32_t kNote = 1;
constexpr int32_t kRest = 2;
constexpr int32_t kClef = 3;
constexpr int32_t kLine = 4;
constexpr int32_t kNumber = 10;
constexpr int32_t kBarLine = 14;
constexpr int32_t kKeySignature = 17;
constexpr int32_t kMeter = 18;

// Items closer than this share a column; columns of two staves closer than kMergeTolerance
// become one.
constexpr float kSameColumn = 0.03f;
constexpr float kMergeTolerance = 0.1f;
constexpr float kChordTolerance = 0.1f;

// Room taken by an accidental, by its code (index 0 unused).
constexpr std::array<float, 19> kAccidentalWidth = {0.0f, 2.0f, 2.4f, 2.1f, 4.0f, 2.5f, 2.0f,
                                                    3.4f, 2.0f, 2.8f, 4.1f, 4.6f, 4.1f, 6.2f,
                                                    4.5f, 0.0f, 0.0f, 0.0f, 0.0f};

// The highest parameter any width rule reads (a meter's room reads as many).
constexpr int32_t kScratchParams = layout::kMeterRoomParams;

// An item as the width rules read it: P1..P17, 0 beyond its count.
struct ItemScratch {
    int32_t n = 0;
    int32_t code = 0;
    int32_t staff = 0;
    std::array<float, kScratchParams + 1> p{};
};

int32_t record_count(int32_t start) {
    const float n = ItemStore(start);
    if (!(n > 0.0f)) return 0;
    return std::min(static_cast<int32_t>(n), core::kItemStoreWords - start);
}

// Contract: copies the record at ItemStore word start into an ItemScratch; parameters beyond the
// record's count (or the store's end) read 0. A note whose P6 is -4.0 or less is measured
// without its accidental and dots (P5 and P9 read 0).
ItemScratch load_item_scratch(int32_t start) {
    ItemScratch s;
    s.n = record_count(start);
    const int32_t copied = std::min(s.n, kScratchParams);
    for (int32_t k = 1; k <= copied; ++k) s.p[k] = ItemStore(start + k);
    s.code = core::int_of(s.p[1]);
    s.staff = core::int_of(s.p[2]);
    if (s.code == kNote && s.p[6] <= -4.0f) {
        s.p[5] = 0.0f;
        s.p[9] = 0.0f;
    }
    return s;
}

int32_t staff_of_item(int32_t k) {
    const int32_t start = core::ItemStartTable(k);
    return record_count(start) >= 2 ? core::int_of(ItemStore(start + 2)) : 0;
}

// The fraction of an offset word, taken as 0.9 - it above 0.9 (a small negative nudge).
float offset_fraction(float v) {
    float f = core::compute_real_mod(v, 1.0f);
    if (f > 0.9f) f = 0.9f - f;
    return f;
}

// What the column before an item holds, and the item's own place.
struct Neighbours {
    int32_t before = -1;      // index of the column before the item's column (-1: none)
    int32_t before_kind = 0;  // its kind (0: the empty start)
    bool opens = false;       // the item opens a new column
    bool last = false;        // last item of the staff
    float next_key = 0.0f;    // the next item's key when not last
};

// Contract: left and right widths (staff units) of a bar line; t the thickness factor.
void bar_line_widths(const ItemScratch& s, float u, int32_t before_kind, float& a, float& b) {
    float t = 1.0f;
    if (s.n > 16 && s.p[17] != 0.0f) t = s.p[17] / u;
    const float p13 = s.p[13];
    const float p14 = s.p[14];
    a = 1.0f;
    b = 2.5f;
    const int32_t type = s.n >= 5 ? core::nint(s.p[5]) : 0;
    switch (type) {
        case 1:
            a = 2.2f * t + p13;
            break;
        case 2:
            a = 3.3f * t + p13;
            break;
        case 3:
            a = 5.4f * t + p14 + p13;
            break;
        case 4:
            a = 2.0f * t;
            b = 6.0f * t + p13 + p14;
            break;
        case 5:
            a = 5.4f * t + p13 + p14;
            b = 6.0f * t + p13 + p14;
            break;
        case 6:
            a = 4.3f * t + p14;
            b = 7.0f * t + p13 + p14;
            break;
        default:
            break;
    }
    if (before_kind == kClef || before_kind == kKeySignature) a -= 1.0f;
    if (s.p[7] != 0.0f) {
        a -= s.p[7];
        b += s.p[7];
    }
}

// Contract: widths of a key signature: c x (accidentals - 1) x 2.8 plus 5.5 after a clef column
// (4.5 otherwise), c = P7 (1 when 0); 2.0 to its left after a note column.
void key_signature_widths(const ItemScratch& s, int32_t before_kind, float& a, float& b) {
    a = before_kind == kNote ? 2.0f : 0.0f;
    b = layout::key_signature_room(s.p[5], s.p[7], before_kind == kClef);
}

// Contract: widths of a meter or another item of code 18 and above, b its meter_room. After a
// bar-line column the bar line's right width is lowered by 1.5 (in columns).
void meter_widths(const ItemScratch& s, float u, const Neighbours& nb, StaffColumnList& columns,
                  float& a, float& b) {
    a = 0.0f;
    if (nb.before_kind == kBarLine) {
        a = 0.5f;
        columns.right[nb.before] -= 1.5f;
    } else if (nb.before_kind == kNote) {
        a = 2.0f;
    } else if (nb.before_kind == kKeySignature) {
        a = -layout::kMeterAfterKey;
    }
    b = layout::meter_room(s.p, u, nb.last);
}

// Contract: widths of a rest.
void rest_widths(const ItemScratch& s, float& a, float& b) {
    a = 0.0f;
    b = 4.5f;
    float p5 = s.p[5];
    if (std::fabs(p5) >= 100.0f) {
        p5 = core::compute_real_mod(p5, 100.0f);
        b = 5.0f;
    }
    if (p5 < 0.0f) {
        b = p5 == -4.0f ? 9.5f : 6.0f;
        if (s.n >= 9 && s.p[9] != 0.0f) b = 1.0f;
    } else if (p5 > 1.0f) {
        b = (p5 - 1.0f) * 0.5f + b;
    }
    if (s.p[6] != 0.0f) b += 1.75f * s.p[6];
    if (s.n > 9 && s.p[10] != 0.0f) {
        a = -s.p[10];
        b += s.p[10];
    }
}

// Contract: widths of the chord whose notes are the records at starts (the first leads).
// last_side carries the ledger side of the note measured before, across chords.
void chord_widths(const std::vector<ItemScratch>& notes, int32_t& last_side, float& a, float& b) {
    const ItemScratch& first = notes.front();
    const int32_t first_p6 = core::nint(first.p[6]);
    float head = 4.5f;
    if (first_p6 < 20 && (first_p6 % 10 == 2 || first_p6 % 10 == 3)) head = 5.0f;
    float f = std::fabs(first.p[4]) >= 100.0f ? 0.7f : 1.0f;
    if (first.n > 14 && first.p[15] != 0.0f) f *= first.p[15];
    const float side_step = head == 5.0f ? 4.5f : 2.833f;

    float most_left = 0.0f;
    float most_right = 0.0f;
    for (const ItemScratch& s : notes) {
        float l = 0.0f;
        float r = 0.0f;
        if (s.n > 8 && s.p[9] != 0.0f) {
            const int32_t dots = core::nint(s.p[9]);
            float d = 0.0f;
            if (dots % 10 != 0 && core::compute_real_mod(s.p[5], 100.0f) < 20.0f) d = 2.3f * f;
            d = std::max(
                d, offset_fraction(s.p[9]) * 10.0f + static_cast<float>((dots % 100) / 10) * 1.7f);
            r += d;
        }
        const int32_t p5 = core::nint(s.p[5]);
        int32_t k = p5 % 10;
        if (p5 > 100) k += 9;
        float accidental = 0.0f;
        if (k >= 1 && k <= 18) accidental = kAccidentalWidth[k] + offset_fraction(s.p[5]) * 10.0f;
        float displaced = s.n > 9 ? s.p[10] : 0.0f;
        if (displaced == 110.0f) displaced = 10.0f;
        if (displaced == 10.0f) {
            r += side_step;
        } else if (displaced == 20.0f) {
            l += side_step;
        } else if (displaced < 0.0f) {
            l -= displaced;
        } else if (displaced > 0.0f) {
            r += displaced;
            accidental -= displaced;
        }
        l += accidental;
        const float level = core::compute_real_mod(s.p[4], 100.0f);
        const int32_t side = level < 2.0f ? -1 : (level > 12.0f ? 1 : 0);
        if (side != 0 && side == last_side && k == 0 && displaced < 20.0f) l = std::max(l, 1.3f);
        last_side = side;
        most_left = std::max(most_left, l);
        most_right = std::max(most_right, r);
    }
    if (first_p6 >= 10 && first_p6 <= 19) {
        most_left += 1.7f;
        most_right += 1.8f;
    }
    a = f * most_left;
    b = f * (head + most_right);
}

// Puts an item's widths into its column, opening one when it lies kSameColumn or more from the
// current column. Notes, rests and lines after a bar line, key, meter or large clef column get
// the preferences' extra room.
void place_in_column(StaffColumnList& c, float x, float a, float b, int32_t code, bool large_clef,
                     float u) {
    if (std::fabs(x - c.position.back()) >= kSameColumn) {
        c.position.push_back(x);
        c.right.push_back(0.0f);
        c.left.push_back(0.0f);
        c.extra.push_back(0.0f);
        c.kind.push_back(0);
        c.large_clef.push_back(0);
    }
    const std::size_t i = c.position.size() - 1;
    if (c.kind[i] == 0) ++c.item_columns;
    c.left[i] = code >= kMeter ? a : std::max(c.left[i], a);
    c.right[i] = std::max(c.right[i], b);
    if ((code == kNote || code == kRest || code == kLine) && i > 0) {
        float extra = 0.0f;
        switch (c.kind[i - 1]) {
            case kBarLine:
                extra = core::SpaceAfterBar / u - 2.5f;
                break;
            case kKeySignature:
                extra = core::SpaceAfterKeySig / u - 2.8f;
                break;
            case kMeter:
                extra = core::SpaceAfterMeter / u - 3.7f;
                break;
            case kClef:
                if (c.large_clef[i - 1] != 0) extra = core::SpaceAfterClef / u - 1.8f;
                break;
            default:
                break;
        }
        c.extra[i] = std::max(c.extra[i], extra);
    }
    if (code == kClef) c.large_clef[i] = large_clef ? 1 : 0;
    c.kind[i] = code;
}

// Whether an item of the store takes part in the spacing of a staff at all (before the staff
// rules): its code and P3 range.
bool is_spacing_item(const ItemScratch& s, int32_t start, float left, float right) {
    const int32_t code = s.code;
    const bool kind = (code >= 1 && code < 5) || code == kBarLine ||
                      (code == kNumber && s.n > 15 && s.p[16] != 0.0f) ||
                      (code > 16 && layout::has_item_offset(start) == 0);
    if (!kind || s.n < 3) return false;
    return s.p[3] >= left - 0.001f && s.p[3] <= right + 0.001f;
}

// Whether an item of the staff's own is left out by its parameters.
bool is_left_out(const ItemScratch& s) {
    switch (s.code) {
        case kNote:
            return s.p[7] < 0.0f;
        case kRest:
            return s.p[6] < 0.0f || s.p[7] < 0.0f;
        case kClef:
            return s.p[5] > 5.0f;
        case kLine:
            return s.p[6] != 0.0f || s.n < 7 || s.p[7] > -1.0f;
        case kMeter: {
            const float p7 = s.p[7] == 0.0f ? 1.0f : s.p[7];
            return std::fabs(s.p[4] * p7) > 2.0f;
        }
        default:
            return false;
    }
}

// Contract: the stretch of the columns' words, one gap at a time, from left to right. The words
// (value, ItemStore word) are sorted by value, so each gap's words are one run; the shifts of
// the gaps before a word are carried as one sum instead of being added word by word. A word
// is moved once, in the gap that holds it, never below the floor the previous stretch left.
struct WordMover {
    std::vector<std::pair<float, int32_t>> words;
    std::size_t next = 0;  // first word not yet moved
    float shift = 0.0f;    // what every word not yet moved has been shifted by
    float floor = -9999.0f;

    // The words in [a, b) (current positions) go to a + (x - a) x q.
    void stretch_selected_words(float a, float b, float q) {
        for (; next < words.size() && words[next].first + shift < b; ++next) {
            const float x = words[next].first + shift;
            ItemStore(words[next].second) = std::max(a + (x - a) * q, floor);
        }
        floor = a + kLeastColumnRoom;
    }
    // The words below b stay where the shifts so far left them.
    void keep_selected_words(float b) {
        for (; next < words.size() && words[next].first + shift < b; ++next) {
            ItemStore(words[next].second) = words[next].first + shift;
        }
    }
    // Every word at or beyond the last gap's start moves by d.
    void shift_selected_words(float d) { shift += d; }
};

// Positions beyond a gap move with it: the sum of the shifts is carried instead.
void shift_positions(float& carried, float d) { carried += d; }

float snapped(float v) {
    if (std::fabs(v) < 0.01f) return 0.0f;
    if (std::fabs(v - render::PageExtent) < 0.01f) return render::PageExtent;
    return v;
}

// The STAFF items among items first..last whose P6 is 0: they follow the page's width. The box
// selection lists such an end as the page extent and writes it there.
std::vector<int32_t> full_width_staves(int32_t first, int32_t last) {
    std::vector<int32_t> items;
    for (int32_t k = first; k <= last; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (record_count(start) >= 6 && core::int_of(ItemStore(start + 1)) == 8 &&
            ItemStore(start + 6) == 0.0f) {
            items.push_back(k);
        }
    }
    return items;
}

// The P3 words of the STAFF items among items first..last, with their values: the spacing moves
// the music, never where a staff's lines begin.
std::vector<std::pair<int32_t, float>> staff_start_words(int32_t first, int32_t last) {
    std::vector<std::pair<int32_t, float>> words;
    for (int32_t k = first; k <= last; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (record_count(start) >= 3 && core::int_of(ItemStore(start + 1)) == 8)
            words.emplace_back(start + 3, ItemStore(start + 3));
    }
    return words;
}

// A full-width staff whose end is still the page's end keeps following the page's width.
void keep_full_width(const std::vector<int32_t>& items) {
    for (const int32_t k : items) {
        const int32_t start = core::ItemStartTable(k);
        if (record_count(start) >= 6 && ItemStore(start + 6) == render::PageExtent)
            ItemStore(start + 6) = 0.0f;
    }
}

// Room a line too dense to fit keeps whole when its widths are cut: the room a clef, key or
// meter column needs to its right (so that they never overlap), and the ink a thick or double
// bar line reaches left of its position beyond a plain bar line's (so that the last note stands
// as far from the closing bar line as the others from theirs).
struct FixedRoom {
    float position = 0.0f;
    float after = 0.0f;   // P3 units, to the next column
    float until = 0.0f;   // where the staff's next column stands (the room after reaches it)
    float before = 0.0f;  // P3 units, from the column before
};

// Contract: appends the fixed room of one staff's finished column list (right widths in P3
// units, left widths in staff units) to marks.
void note_fixed_room(int32_t staff, const StaffColumnList& c, std::vector<FixedRoom>& marks) {
    float u = 0.0f;
    if (staff >= 0 && staff <= layout::kMaxStaves)
        u = 0.04f * layout::StaffTables.StaffScale(staff);
    if (!(u > 0.0f)) u = 1.0f;
    for (std::size_t i = 0; i < c.position.size(); ++i) {
        const int32_t kind = c.kind[i];
        FixedRoom room;
        room.position = c.position[i];
        room.until = c.position[i];
        if (kind == kClef || kind >= kKeySignature) {
            room.after = c.right[i];
            room.until = i + 1 < c.position.size() ? c.position[i + 1] : c.position[i];
        }
        if (kind == kBarLine) room.before = std::max(c.left[i] - 1.0f, 0.0f) * u;
        if (room.after > 0.0f || room.before > 0.0f) marks.push_back(room);
    }
}

// Contract: the fixed room of each gap of the merged columns (one value a gap), from the marks
// of every staff and the merged widths: a column's room after it belongs to the gap it opens and,
// where columns of other staves stand before its own staff's next column, to the gaps up to that
// column as far as the room reaches (so that a key keeps its room before its staff's first note
// however the other staves' notes divide it); its room before to the gap it closes.
std::vector<float> fixed_gap_room(const std::vector<float>& merged,
                                  const std::vector<float>& widths,
                                  const std::vector<FixedRoom>& marks) {
    std::vector<float> fixed(merged.size() > 1 ? merged.size() - 1 : 0, 0.0f);
    for (const FixedRoom& m : marks) {
        auto it = std::lower_bound(merged.begin(), merged.end(), m.position - kMergeTolerance);
        if (it == merged.end() || std::fabs(*it - m.position) > kMergeTolerance) continue;
        const std::size_t j = static_cast<std::size_t>(it - merged.begin());
        float room = m.after;
        for (std::size_t g = j; g < fixed.size() && room > 0.0f; ++g) {
            fixed[g] = std::max(fixed[g], room);
            if (g + 1 >= merged.size() || merged[g + 1] >= m.until - kMergeTolerance) break;
            room -= g < widths.size() ? std::max(widths[g], 0.0f) : room;
        }
        if (j > 0) fixed[j - 1] = std::max(fixed[j - 1], m.before);
    }
    return fixed;
}

// Reused between calls: the engine's layout routines are not re-entrant.
std::vector<std::vector<float>> StaffKeys;
std::vector<std::vector<int32_t>> StaffStarts;

}  // namespace

// Contract: stable sort of keys ascending with index carried along; mismatched lengths sort the
// common part.
void sort_keys_with_index(std::vector<float>& keys, std::vector<int32_t>& index) {
    const std::size_t n = std::min(keys.size(), index.size());
    if (n < 2) return;
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return keys[x] < keys[y]; });
    std::vector<float> k(n);
    std::vector<int32_t> i(n);
    for (std::size_t j = 0; j < n; ++j) {
        k[j] = keys[order[j]];
        i[j] = index[order[j]];
    }
    std::copy(k.begin(), k.end(), keys.begin());
    std::copy(i.begin(), i.end(), index.begin());
}

// Contract: appends x after the last merged position a, with the gap a..x given its share of w
// by length, (x - a) w / (e - a), but at least minimum; w keeps the rest for x..e. With e not
// beyond a (the other list has ended) the share is 0.
void distribute_space(std::vector<float>& positions, std::vector<float>& widths, float x, float e,
                      float& w, float minimum) {
    const float a = positions.back();
    float share = 0.0f;
    if (e > a) share = (x - a) * w / (e - a);
    widths.push_back(std::max(share, minimum));
    positions.push_back(x);
    w -= share;
}

// Contract: reads the records at starts (with their P3 in keys) and StaffTables; fills columns.
// keys and starts come back sorted by key, the notes of a chord all with the chord's key. Writes
// nothing to the store: a clef to be moved clear of the column before it is added to
// clef_moves. No items leave columns.item_columns at 0.
void system_spacing(int32_t staff, float left, float right, std::vector<float>& keys,
                    std::vector<int32_t>& starts, StaffColumnList& columns,
                    std::vector<ClefMove>& clef_moves) {
    columns.position.assign(1, left - 0.001f);
    columns.right.assign(1, 0.0f);
    columns.left.assign(1, 0.0f);
    columns.extra.assign(1, 0.0f);
    columns.kind.assign(1, 0);
    columns.large_clef.assign(1, 0);
    columns.item_columns = 0;
    if (keys.empty()) return;
    sort_keys_with_index(keys, starts);
    float u = 0.0f;
    if (staff >= 0 && staff <= layout::kMaxStaves)
        u = 0.04f * layout::StaffTables.StaffScale(staff);
    if (!(u > 0.0f)) u = 1.0f;

    const std::size_t m = keys.size();
    int32_t last_side = 0;
    std::vector<ItemScratch> chord;
    for (std::size_t i = 0; i < m; ++i) {
        ItemScratch s = load_item_scratch(starts[i]);
        float x = keys[i];
        std::size_t end = i;  // last item of this step (a chord takes several)
        if (s.code == kNote) {
            chord.assign(1, s);
            while (end + 1 < m && keys[end + 1] - x < kChordTolerance) {
                ItemScratch t = load_item_scratch(starts[end + 1]);
                if (t.code != kNote) break;
                ++end;
                keys[end] = x;
                chord.push_back(t);
            }
        }
        Neighbours nb;
        const int32_t current = static_cast<int32_t>(columns.position.size()) - 1;
        nb.opens = std::fabs(x - columns.position.back()) >= kSameColumn;
        nb.before = nb.opens ? current : current - 1;
        nb.before_kind = nb.before >= 0 ? columns.kind[nb.before] : 0;
        nb.last = end + 1 >= m;
        if (!nb.last) nb.next_key = keys[end + 1];

        float a = 0.0f;
        float b = 0.0f;
        bool large_clef = false;
        switch (s.code) {
            case kNote:
                chord_widths(chord, last_side, a, b);
                break;
            case kRest:
                rest_widths(s, a, b);
                break;
            case kClef: {
                large_clef = s.p[4] < 100.0f;
                b = layout::clef_room(large_clef, core::nint(s.p[5]));
                if (nb.before >= 0 &&
                    (nb.before_kind == kBarLine || (nb.before_kind == 0 && !nb.last))) {
                    // Room after a bar line or the staff's start is taken back before a clef.
                    float& r = columns.right[nb.before];
                    if (r >= 3.0f) r -= 1.0f;
                    if (r < 3.0f) r = 2.0f;
                } else {
                    a = nb.before_kind == kNote ? 1.0f : 0.0f;
                    if (nb.opens && !nb.last && nb.next_key - x >= u * b) {
                        const float clear =
                            columns.position[nb.before] + columns.right[nb.before] * u;
                        if (x - columns.position[nb.before] < columns.right[nb.before] * u &&
                            clear < nb.next_key - 0.2f) {
                            x = clear;
                            keys[i] = x;
                            clef_moves.push_back({starts[i] + 3, x});
                        }
                    }
                }
                break;
            }
            case kLine:
            case kNumber: {
                if (s.code == kLine) {
                    a = nb.before_kind == kBarLine ? 0.2f : 1.3f;
                    if (nb.before_kind == kClef || nb.before_kind > 16) a = 0.0f;
                    b = 1.8f;
                } else {
                    a = 0.2f;
                    b = s.p[6] != 0.0f ? 4.0f * s.p[6] : 4.0f;
                }
                if (s.n >= 15) {
                    const float e = s.p[15] / u;
                    a -= e;
                    b += e;
                }
                break;
            }
            case kBarLine:
                bar_line_widths(s, u, nb.before_kind, a, b);
                break;
            case kKeySignature:
                key_signature_widths(s, nb.before_kind, a, b);
                break;
            default:
                meter_widths(s, u, nb, columns, a, b);
                break;
        }
        place_in_column(columns, x, a, b, s.code, large_clef, u);
        i = end;
    }

    // Each right width becomes the room to the next column, in P3 units.
    const std::size_t n = columns.position.size();
    for (std::size_t i = 0; i < n; ++i) {
        const float next_left = i + 1 < n ? columns.left[i + 1] + columns.extra[i + 1] : 0.0f;
        columns.right[i] = (columns.right[i] + next_left) * u;
    }
    (void)right;
}

// Contract: reads SelectionList (the words to move), ItemStore, PageExtent; writes the listed
// words of ItemStore and SecondLine. widths missing for a gap count 0; fewer than 2 positions
// do nothing. The "Not enough space" text is shown in the message line and the cut widths are
// used. Nothing moves when no gap is too narrow or none has room to spare.
void report_justify_space(float left, float right, std::vector<float>& positions,
                          std::vector<float>& widths, const std::vector<float>& fixed) {
    const std::size_t k = positions.size();
    if (k < 2) return;
    const std::size_t gaps = k - 1;
    if (widths.size() < gaps) widths.resize(gaps, 0.0f);
    float total = 0.0f;
    for (std::size_t i = 0; i < gaps; ++i) total += widths[i];
    const float available = right - left;
    // The widths' sum lands a rounding past a room it exactly fills: a need that prints as the
    // room is no shortage, and naming it would show two equal numbers as too little.
    constexpr std::string_view kShown = "(1f9.3)";
    if (available < total &&
        core::format_real(kShown, available) != core::format_real(kShown, total)) {
        core::SecondLine.set(
            "*** Not enough space to justify ideally. ||Needed=         , Available=          ");
        core::write_real_field(core::SecondLine, 51, 59, kShown, total);
        core::write_real_field(core::SecondLine, 72, 80, kShown, available);
        core::leave_reply(core::ReplyKind::Notice, core::SecondLine.view());
        // Every width gives up the same share of what it may give: an equal cut would take a
        // narrow gap below zero, so that its columns cross and the last one passes the right
        // end. The fixed room goes first only when it all fits.
        float fixed_total = 0.0f;
        std::vector<float> kept(gaps, 0.0f);
        for (std::size_t i = 0; i < gaps && i < fixed.size(); ++i) {
            kept[i] = std::clamp(fixed[i], 0.0f, std::max(widths[i], 0.0f));
            fixed_total += kept[i];
        }
        if (fixed_total >= available) {
            std::fill(kept.begin(), kept.end(), 0.0f);
            fixed_total = 0.0f;
        }
        const float share = available > 0.0f && total > fixed_total
                                ? (available - fixed_total) / (total - fixed_total)
                                : 0.0f;
        for (std::size_t i = 0; i < gaps; ++i) widths[i] = kept[i] + (widths[i] - kept[i]) * share;
    }
    std::vector<float> gap(gaps);
    float spare = 0.0f;
    float short_of = 0.0f;
    for (std::size_t i = 0; i < gaps; ++i) {
        gap[i] = positions[i + 1] - positions[i] - widths[i];
        if (gap[i] > 0.0f) spare += gap[i];
        if (gap[i] < 0.0f) short_of -= gap[i];
    }
    if (spare == 0.0f || short_of == 0.0f) return;
    const float ratio = short_of / spare;

    WordMover mover;
    mover.words.reserve(static_cast<std::size_t>(SelectionList.count));
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t word = std::abs(SelectionList.entries(j));
        if (word < 1 || word > core::kItemStoreWords) continue;
        mover.words.emplace_back(ItemStore(word), word);
    }
    std::sort(mover.words.begin(), mover.words.end());
    mover.words.erase(
        std::unique(mover.words.begin(), mover.words.end(),
                    [](const auto& x, const auto& y) { return x.second == y.second; }),
        mover.words.end());
    // Words before the first column never move.
    while (mover.next < mover.words.size() && mover.words[mover.next].first < positions[0]) {
        ++mover.next;
    }
    const std::size_t first_moved = mover.next;

    float carried = 0.0f;  // shift of positions[i + 1..]
    for (std::size_t i = 0; i < gaps; ++i) {
        const float d = gap[i] < 0.0f ? -gap[i] : -ratio * gap[i];
        const float a = positions[i] + carried;
        const float b = positions[i + 1] + carried;
        if (d == 0.0f) {
            mover.keep_selected_words(b);
            continue;
        }
        const float length = b - a;
        float q = length > 0.0f ? (d + length) / length : 1.0f;
        if (q < 0.2f) q = 1.0f;
        mover.stretch_selected_words(a, b, q);
        mover.shift_selected_words(d);
        shift_positions(carried, d);
    }
    for (std::size_t j = mover.next; j < mover.words.size(); ++j) {
        ItemStore(mover.words[j].second) = mover.words[j].first + mover.shift;
    }
    for (std::size_t j = first_moved; j < mover.words.size(); ++j) {
        float& word = ItemStore(mover.words[j].second);
        word = snapped(word);
    }
}

// Contract: reads the store (sorted by staff, as the justify words leave it), StaffTables and
// the space-after preferences; builds SelectionBox and SelectionList over the system's items;
// moves the selected words (and clefs set clear of the column before them) and redraws unless
// redraw is 999. A staff with more than kMaxStaffColumns columns: nothing moves, the message
// "*** More than 200 columns on staff   n: nothing was moved." is shown, false returned.
bool justify_spacing(int32_t& lowest, int32_t& highest, float& left, float& right,
                     int32_t& redraw) {
    if (highest < lowest || core::ItemCount < 1) return true;
    // Only staves 0 to 256 are spaced, and none below the sorted store's first staff: a typed
    // range (or a stored staff number) of billions neither sizes the per-staff lists nor walks
    // them.
    lowest = std::max({lowest, staff_of_item(1), 0});
    highest = std::min(highest, layout::kMaxStaves);
    if (highest < lowest) return true;
    // The system's items are one run of the sorted store: find its first by staff.
    int32_t lo = 1;
    int32_t hi = core::ItemCount + 1;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (staff_of_item(mid) < lowest) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    const int32_t first = lo;
    int32_t last = first - 1;
    while (last + 1 <= core::ItemCount && staff_of_item(last + 1) <= highest) ++last;
    if (last < first) return true;

    SelectionBox.low_staff = lowest;
    SelectionBox.high_staff = highest;
    SelectionBox.left = left;
    SelectionBox.right = right;
    SelectionBox.first_item = first;
    SelectionBox.last_item = last;
    SelectionBox.letter = 0;
    const std::vector<int32_t> full_width = full_width_staves(first, last);
    const std::vector<std::pair<int32_t, float>> staff_starts = staff_start_words(first, last);
    select_box_items();

    // Each staff's measured items in store order; a bar line counts on every staff it spans.
    const std::size_t staves = static_cast<std::size_t>(highest - lowest + 1);
    if (StaffKeys.size() < staves) {
        StaffKeys.resize(staves);
        StaffStarts.resize(staves);
    }
    for (std::size_t i = 0; i < staves; ++i) {
        StaffKeys[i].clear();
        StaffStarts[i].clear();
    }
    for (int32_t k = first; k <= last; ++k) {
        const int32_t start = core::ItemStartTable(k);
        const ItemScratch s = load_item_scratch(start);
        if (!is_spacing_item(s, start, left, right)) continue;
        int32_t from = s.staff;
        int32_t to = s.staff;
        if (s.code == kBarLine) {
            if (s.p[4] < 0.0f || s.p[5] > 7.0f) continue;
            const int32_t span = std::max(1, core::int_of(s.p[4]));
            to = std::min(highest, s.staff + span - 1);
        } else if (is_left_out(s)) {
            continue;
        }
        for (int32_t st = std::max(from, lowest); st <= to; ++st) {
            StaffKeys[static_cast<std::size_t>(st - lowest)].push_back(s.p[3]);
            StaffStarts[static_cast<std::size_t>(st - lowest)].push_back(start);
        }
    }

    // Every staff is measured before anything moves, so a refused staff leaves all as it was.
    std::vector<ClefMove> clef_moves;
    std::vector<FixedRoom> fixed_marks;
    StaffColumnList columns;
    std::vector<float> merged;
    std::vector<float> merged_widths;
    bool have_merged = false;
    for (int32_t st = lowest; st <= highest; ++st) {
        const std::size_t slot = static_cast<std::size_t>(st - lowest);
        system_spacing(st, left, right, StaffKeys[slot], StaffStarts[slot], columns, clef_moves);
        if (columns.item_columns > kMaxStaffColumns) {
            core::FixedText<512> text("*** More than 200 columns on staff");
            core::write_int_field(text, 35, 38, "(1i4)", st);
            text.put(39, 58, ": nothing was moved.");
            core::SecondLine = text;
            core::show_prompt(core::ReplyKind::Failure, text.view());
            keep_full_width(full_width);
            return false;
        }
        if (columns.item_columns == 0) continue;
        note_fixed_room(st, columns, fixed_marks);
        if (right - columns.position.back() > 0.1f) {
            columns.position.push_back(right);
            columns.right.push_back(0.0f);
        }
        if (!have_merged) {
            merged = columns.position;
            merged_widths = columns.right;
            have_merged = true;
            continue;
        }
        // Merge the staff's columns into the system's, both walked from their second entries.
        std::vector<float> next_positions{left};
        std::vector<float> next_widths;
        const std::vector<float>& sp = columns.position;
        const std::vector<float>& sw = columns.right;
        std::size_t i = 1;
        std::size_t j = 1;
        float ws = sw[0];
        float wm = merged_widths[0];
        const float stop = right - 0.2f;
        while (i < sp.size() || j < merged.size()) {
            float x = 0.0f;
            if (i < sp.size() && j < merged.size() &&
                std::fabs(sp[i] - merged[j]) <= kMergeTolerance) {
                x = std::min(sp[i], merged[j]);
                next_widths.push_back(std::max(ws, wm));
                next_positions.push_back(x);
                ws = sw[i];
                wm = merged_widths[j];
                ++i;
                ++j;
            } else if (j >= merged.size() || (i < sp.size() && sp[i] < merged[j])) {
                x = sp[i];
                const float e = j < merged.size() ? merged[j] : next_positions.back();
                distribute_space(next_positions, next_widths, x, e, wm, ws);
                ws = sw[i];
                ++i;
            } else {
                x = merged[j];
                const float e = i < sp.size() ? sp[i] : next_positions.back();
                distribute_space(next_positions, next_widths, x, e, ws, wm);
                wm = merged_widths[j];
                ++j;
            }
            if (x >= stop) break;
        }
        merged.swap(next_positions);
        next_widths.push_back(0.0f);
        merged_widths.swap(next_widths);
    }

    for (const ClefMove& move : clef_moves) ItemStore(move.word) = move.position;
    if (have_merged) {
        if (merged.size() >= 2 && std::fabs(merged[1] - merged[0]) <= kMergeTolerance) {
            merged.erase(merged.begin());
            merged_widths.erase(merged_widths.begin());
        }
        merged_widths.resize(merged.size() - 1);
        report_justify_space(left, right, merged, merged_widths,
                             fixed_gap_room(merged, merged_widths, fixed_marks));
    }
    for (const auto& [word, value] : staff_starts) ItemStore(word) = value;
    keep_full_width(full_width);
    if (redraw != 999) render::redraw_items();
    return true;
}

}  // namespace edit
