#include "engine/core/store/item_sorting.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"

namespace core {

namespace {

// Keys at or beyond these are not ordered; their items follow the others in their old order.
// No page position or staff number reaches them, so they only catch damaged records.
constexpr double kKey1Bound = 500000000.0;
constexpr float kKey2Bound = 900.0f;
constexpr double kTextKeyBound = -9999.0;

// In the "P" order staves below 200 count 300 higher, so that staves 200 and up come first.
constexpr double kRaisedStaffLimit = 200.0;
constexpr double kRaisedStaffShift = 300.0;

// One item's place in an order: `major` first, then `minor`, which holds the second key's bits
// (ordered as the float values are) above the item number, so that equal keys keep the items'
// present order. Sorting these gives exactly what repeatedly taking the smallest key would.
struct SortEntry {
    double major;
    uint64_t minor;
};
bool operator<(const SortEntry& a, const SortEntry& b) {
    if (a.major != b.major) return a.major < b.major;
    return a.minor < b.minor;
}

// Work tables, one entry per item (index k for item k); static so that a sort allocates
// nothing.
std::array<SortEntry, kItemStartEntries> g_entries;
std::array<int32_t, kItemStartEntries> g_order;      // old item numbers in their new order
std::array<int32_t, kItemStartEntries> g_beyond;     // items whose keys reached a bound
std::array<int32_t, kItemStartEntries + 1> g_start;  // START of each item before the reorder
std::array<int32_t, kItemStartEntries + 1> g_count;  // its parameters within its record
// How many entries of g_order tell where the last plain staff or horizontal order took its
// items from (0: the last sort was of another kind).
int32_t g_origin_count = 0;

// The bits of a float (not NaN) as an unsigned number that orders like the values; -0 is +0.
uint64_t ordered_bits(float f) {
    if (f == 0.0f) f = 0.0f;
    const uint32_t b = std::bit_cast<uint32_t>(f);
    return (b & 0x80000000u) != 0 ? ~b : (b | 0x80000000u);
}

// Takes the records as the start table describes them, after checking that it does describe
// the store: a table that does not is a defect, never a reason to read across records. A count
// word larger than its record's room counts only the room.
void take_records() {
    if (ItemCount < 0 || ItemCount >= kItemStartEntries)
        report_index_defect("item count", ItemCount, 0, kItemStartEntries - 1);
    if (ItemStartTable(1) != 1 || ItemStartTable(ItemCount + 1) != ItemWordsUsed ||
        ItemWordsUsed > kItemStoreWords + 1)
        report_index_defect("item store end", ItemWordsUsed, 1, kItemStoreWords + 1);
    const int32_t* start = ItemStartTable.data();  // start[k - 1] = START(k)
    const float* store = ItemStore.data();         // store[w - 1] = word w
    for (int32_t k = 1; k <= ItemCount + 1; ++k)
        g_start[static_cast<std::size_t>(k)] = start[k - 1];
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int32_t room = g_start[i + 1] - g_start[i] - 1;
        if (room < 0) report_index_defect("item start table", k, 1, ItemCount);
        g_count[i] = std::min(int_of(store[g_start[i] - 1]), room);
    }
}

// Parameter p of item k as taken by take_records, 0 when the record has fewer.
float param(int32_t k, int32_t p) {
    const auto i = static_cast<std::size_t>(k);
    return p <= g_count[i] ? ItemStore.data()[g_start[i] + p - 1] : 0.0f;
}

void set_message(std::string_view text) { leave_reply(ReplyKind::Notice, text); }

// std::round for a finite x, without a library call per item: the truncation and the
// difference are exact, and a zero keeps x's sign as std::round's does.
double round_half_away(double x) {
    if (!(std::fabs(x) < 4503599627370496.0)) return x;  // 2^52 and up: already whole
    double t = static_cast<double>(static_cast<int64_t>(x));
    const double d = x - t;
    if (d >= 0.5) {
        t += 1.0;
    } else if (d <= -0.5) {
        t -= 1.0;
    }
    return t == 0.0 ? std::copysign(0.0, x) : t;
}

// P3 = NINT(P3 * 100) / 100 for every item that has a P3. Computed in double so that no
// position is cut off by an integer range; infinities and NaN stay as they are.
void round_positions() {
    float* store = ItemStore.data();
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (g_count[i] < 3) continue;
        float& p3 = store[g_start[i] + 2];
        if (!std::isfinite(p3)) continue;
        p3 = static_cast<float>(round_half_away(static_cast<double>(p3) * 100.0) / 100.0);
    }
}

// Rewrites the store with the old items g_order[0 .. ItemCount-1] one after another, through
// ItemStoreScratch, and sets the start table from the records' lengths.
void write_in_order() {
    // Only the stretch from the first item that moves to the last one is rewritten: the items
    // before and after it keep their places, and the stretch its words (a store already in
    // order, the common case of a second sort, has nothing to move).
    int32_t first = 0;
    while (first < ItemCount && g_order[static_cast<std::size_t>(first)] == first + 1) ++first;
    if (first == ItemCount) return;
    int32_t last = ItemCount - 1;
    while (last > first && g_order[static_cast<std::size_t>(last)] == last + 1) --last;
    // Items first + 1 .. last + 1 (numbered from 1) are the stretch.
    const int32_t from = g_start[static_cast<std::size_t>(first) + 1];
    const int32_t to = g_start[static_cast<std::size_t>(last) + 2];
    copy_words(ItemStore.at(from), ItemStoreScratch.at(from), to - from);
    int32_t word = from;
    for (int32_t i = first; i <= last; ++i) {
        const auto k = static_cast<std::size_t>(g_order[static_cast<std::size_t>(i)]);
        const int32_t len = g_start[k + 1] - g_start[k];
        copy_words(ItemStoreScratch.at(g_start[k]), ItemStore.at(word), len);
        ItemStartTable(i + 1) = word;
        word += len;
    }
    for (int32_t k = first + 1; k <= last + 1; ++k)
        g_start[static_cast<std::size_t>(k)] = ItemStartTable(k);
    for (int32_t k = first + 1; k <= last + 1; ++k) {
        const auto i = static_cast<std::size_t>(k);
        g_count[i] = std::min(int_of(ItemStore(g_start[i])), g_start[i + 1] - g_start[i] - 1);
    }
}

// Puts item k's keys in its entry, or sets it aside when a key reaches its bound (NaN fails
// the comparisons and counts as reaching it).
void keep_keys(int32_t k, double key1, float key2, std::size_t& kept, std::size_t& beyond) {
    if (key1 < kKey1Bound && key2 < kKey2Bound) {
        g_entries[kept++] = {key1, ordered_bits(key2) << 32 | static_cast<uint32_t>(k)};
    } else {
        g_beyond[beyond++] = k;
    }
}

// The kept entries in order, then the items set aside in their present order: g_order.
void order_entries(std::size_t kept, std::size_t beyond) {
    // Every entry is distinct (the item number is part of it), so there is one order, whatever
    // sorts. A store sorted before and changed in one place since (each "LJ" sorts a page whose
    // last system it moved) is out of order only in a stretch: only that stretch is sorted,
    // widened until everything before it is smaller and everything after it larger.
    SortEntry* const begin = g_entries.data();
    const auto n = static_cast<std::ptrdiff_t>(kept);
    std::ptrdiff_t first = 0;
    while (first + 1 < n && begin[first] < begin[first + 1]) ++first;
    if (first + 1 < n) {
        std::ptrdiff_t last = n - 1;
        while (last > first && begin[last - 1] < begin[last]) --last;
        const auto [low, high] = std::minmax_element(begin + first, begin + last + 1);
        const SortEntry smallest = *low;
        const SortEntry largest = *high;
        while (first > 0 && smallest < begin[first - 1]) --first;
        while (last + 1 < n && begin[last + 1] < largest) ++last;
        std::sort(begin + first, begin + last + 1);
    }
    for (std::size_t i = 0; i < kept; ++i)
        g_order[i] = static_cast<int32_t>(g_entries[i].minor & 0xFFFFFFFFu);
    std::copy_n(g_beyond.begin(), beyond, g_order.begin() + static_cast<std::ptrdiff_t>(kept));
}

// Staff order: key1 = INT(s * 1,000,000 + P3 * 1000), plus 1 for items other than notes and
// rests; key2 = P4, plus 5 for rests. s is the staff, 201 - staff with `reverse`; with
// `raise_low` staves below 200 count 300 higher. key1 is a double: a float cannot hold nine
// digits. A staff number that is not a number sorts last.
void staff_keys(int32_t k, bool reverse, bool raise_low, double& key1, float& key2) {
    const float p1 = param(k, 1);
    double p2 = param(k, 2);
    if (raise_low && p2 < kRaisedStaffLimit) p2 += kRaisedStaffShift;
    double staff = std::trunc(p2);
    if (reverse) staff = 201.0 - staff;
    key1 = std::trunc(staff * 1000000.0 + static_cast<double>(param(k, 3)) * 1000.0);
    if (p1 > 2.0f) key1 += 1.0;
    key2 = 0.0f;
    if (g_count[static_cast<std::size_t>(k)] >= 4) {
        key2 = p1 == 2.0f ? param(k, 4) + 5.0f : param(k, 4);
    }
}

void order_by_staff(bool reverse, bool raise_low) {
    std::size_t kept = 0;
    std::size_t beyond = 0;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        double key1 = 0.0;
        float key2 = 0.0f;
        staff_keys(k, reverse, raise_low, key1, key2);
        keep_keys(k, key1, key2, kept, beyond);
    }
    order_entries(kept, beyond);
}

// Horizontal order: key1 = INT(NINT(P3 * 1000) * 1000 + P2); key2 = P4 mod 100 for notes,
// rests, clefs and beams, 0 for bar lines, P4 for the rest.
void order_by_position() {
    std::size_t kept = 0;
    std::size_t beyond = 0;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        const double p3 = param(k, 3);
        const double key1 = std::trunc(std::round(p3 * 1000.0) * 1000.0 + param(k, 2));
        float key2 = 0.0f;
        if (g_count[static_cast<std::size_t>(k)] >= 4) {
            const float code = std::trunc(param(k, 1));
            const float p4 = param(k, 4);
            if (code == 1.0f || code == 2.0f || code == 3.0f || code == 6.0f) {
                key2 = compute_real_mod(p4, 100.0f);
            } else if (code != 14.0f) {
                key2 = p4;
            }
        }
        keep_keys(k, key1, key2, kept, beyond);
    }
    order_entries(kept, beyond);
}

// Text items (code 16) first, by descending INT(staff * 100,000 + P4 * 100) (higher staff, then
// higher on the staff, equal keys in their present order); then every other item as it stands;
// then text items whose key reached the bound, as they stand.
void order_text_first() {
    std::size_t texts = 0;
    std::size_t beyond = 0;
    for (int32_t k = 1; k <= ItemCount; ++k) {
        if (std::trunc(param(k, 1)) != 16.0f) continue;
        const double key = std::trunc(std::trunc(static_cast<double>(param(k, 2))) * 100000.0 +
                                      static_cast<double>(param(k, 4)) * 100.0);
        if (key > kTextKeyBound) {  // NaN fails: it reaches the bound
            g_entries[texts++] = {-key, static_cast<uint64_t>(k)};
        } else {
            g_beyond[beyond++] = k;
        }
    }
    std::sort(g_entries.begin(), g_entries.begin() + static_cast<std::ptrdiff_t>(texts));
    std::size_t next = 0;
    for (std::size_t i = 0; i < texts; ++i)
        g_order[next++] = static_cast<int32_t>(g_entries[i].minor);
    for (int32_t k = 1; k <= ItemCount; ++k) {
        if (std::trunc(param(k, 1)) != 16.0f) g_order[next++] = k;
    }
    for (std::size_t i = 0; i < beyond; ++i) g_order[next++] = g_beyond[i];
}

// The layer number of item k: P15 of a text or EPS item whose P14 is -1, P25 of any other item
// that has 25 parameters; 0 when it has none.
int32_t layer_number(int32_t k) {
    const int32_t s = ItemStartTable(k);
    const int32_t n = std::min(int_of(ItemStore(s)), ItemStartTable(k + 1) - s - 1);
    const int32_t code = n >= 1 ? int_of(ItemStore(s + 1)) : 0;
    if (code == 16 || code == 15) {
        return n >= 15 && ItemStore(s + 14) == -1.0f ? int_of(ItemStore(s + 15)) : 0;
    }
    return n >= 25 ? int_of(ItemStore(s + 25)) : 0;
}

// Layers 1 to 10 in turn: the first item of the layer among items 1..t moves to position t, t
// counting down from the last item. Only the places not yet filled are searched, so an item
// once moved is never found again (and an item already at t still uses up place t): layer 1
// ends last, drawn on top, layer 10 before it.
void order_layers() {
    int32_t t = ItemCount;
    for (int32_t v = 1; v <= 10; ++v) {
        for (;;) {
            int32_t found = 0;
            for (int32_t k = 1; k <= t; ++k) {
                if (layer_number(k) == v) {
                    found = k;
                    break;
                }
            }
            if (found == 0) break;
            ParamBuffer(2) = static_cast<float>(found);
            ParamBuffer(3) = static_cast<float>(t);
            move_item_to_position();
            --t;
        }
    }
}

}  // namespace

bool sort_item_store() {
    const std::string_view word = CommandLine.sub(1, 3);
    g_origin_count = 0;
    if (word == "OUT") return false;
    if (ItemCount < 2) return false;
    ChangesMadeFlag = 1;
    if (word == "ORN") {
        order_layers();
        return true;
    }
    take_records();
    round_positions();

    const int32_t sub = CommandModeLetters(2);
    const bool reverse = CommandLine(3) == 'R';
    if (sub == 'H') {
        set_message("Sorting by horizontal position.");
        order_by_position();
    } else {
        set_message(sub == 'T' ? "Sorting by text position." : "Sorting by staff number.");
        order_by_staff(reverse, sub == 'P');
    }
    write_in_order();
    if (sub != 'T' && sub != 'c') g_origin_count = ItemCount;
    if (sub == 'T') {
        order_text_first();
        write_in_order();
    }
    if (sub == 'S' && !reverse) PreparedFlag = 1;
    if (sub == 'c') order_layers();
    return sub < 'U';
}

// Contract: see the header. Writes what sort_item_store writes but CommandLine and
// CommandModeLetters(2), which come back as they were.
bool sort_item_store_with_letter(char sub) {
    const FixedText<512> line = CommandLine;
    const int32_t letter = CommandModeLetters(2);
    CommandLine.set(std::string("O") + sub);
    CommandModeLetters(2) = sub;
    const bool redraw = sort_item_store();
    CommandModeLetters(2) = letter;
    CommandLine = line;
    return redraw;
}

std::vector<int32_t> last_sort_origins() {
    return std::vector<int32_t>(g_order.begin(), g_order.begin() + g_origin_count);
}

}  // namespace core
