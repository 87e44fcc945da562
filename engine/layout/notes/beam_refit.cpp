// Rebuilding an edited beam from the notes that now lie under it: ends, number of beams, partial
// beams and split points; the end-shift code of the notes whose stems point the other way; and
// the shift of the store's tail when a record changes length.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

using core::int_of;
using core::ItemStore;

constexpr int32_t kBeamCode = 6;
constexpr int32_t kNoteCode = 1;
// The notes (and split gaps) one beam is rebuilt from; a beam over more is refused.
constexpr int32_t kRefitRows = 100;
// A beam rebuilt with partials keeps at most P1..P21; one without keeps its count (the working
// copy's 50 words at most).
constexpr int32_t kBeamWords = 21;
constexpr int32_t kWorkingWords = 50;
constexpr int32_t kTaken = 100;      // added to a level once a beam covers it
constexpr int32_t kFree = 99;        // levels below this still need a beam
constexpr float kSpanSlack = 0.04f;  // how far outside the beam's ends a note still counts
constexpr float kGapOffset = 0.2f;   // a split gap row lies this far right of its note
constexpr int32_t kRefused = -99;    // first mode letter: the editor did nothing

// Beam record, 1-based: [0] unused, P1..P21.
using BeamWords = std::array<float, kWorkingWords + 1>;

struct NoteRow {
    float position = 0.0f;
    int32_t level = 0;
    int32_t order = 0;  // the row's place in collection order (sort tie-break)
};

struct RowTable {
    std::array<NoteRow, kRefitRows> rows{};
    int32_t count = 0;
    bool overflow = false;
};

// Beam level of a rhythm in quarters: 1 for an eighth, 2 a sixteenth ... 6 at most.
int32_t beam_level(float r) {
    if (r >= 0.2501f) return 1;
    if (r >= 0.1251f) return 2;
    if (r >= 0.0626f) return 3;
    if (r >= 0.0313f) return 4;
    if (r >= 0.0157f) return 5;
    return 6;
}

float word(int32_t start, int32_t n, int32_t k) { return k <= n ? ItemStore(start + k) : 0.0f; }

// Stem digit: the tens of rem(P5, 100) (1 up, 2 down, 0 none).
int32_t stem_digit(float p5) { return int_of(core::compute_real_mod(p5, 100.0f) / 10.0f); }

bool is_cue(float p4) { return std::abs(int_of(p4 / 100.0f)) >= 1; }

// The note's rhythm in quarters for beaming: grace rhythms (64 and more) count as a sixteenth,
// tuplet codes 1 and 2 in P9 shorten it.
float beam_rhythm(int32_t start, int32_t n) {
    float r = word(start, n, 7);
    if (r >= 64.0f) r = 0.25f;
    if (n > 8) {
        const int32_t t = int_of(word(start, n, 9) / 10.0f) % 100;
        if (t == 1) r /= 1.5f;
        if (t == 2) r /= 1.75f;
    }
    return r;
}

// Collects the notes under beam b for the given side (see refit_edited_beam). b's P4 takes the
// size class of the first note found. splits: row counts after which a gap row follows.
void collect_rows(BeamWords& b, int32_t side, bool all_notes, const std::array<int32_t, 4>& splits,
                  RowTable& table) {
    table = RowTable{};
    const int32_t staff = int_of(b[2]);
    bool first = true;
    bool cue_notes = false;
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        const int32_t n = int_of(ItemStore(s));
        if (n <= 6 || int_of(ItemStore(s + 1)) != kNoteCode) continue;
        if (ItemStore(s + 7) <= 0.0f || int_of(ItemStore(s + 2)) != staff) continue;
        const float x = ItemStore(s + 3);
        if (x < b[3] - kSpanSlack || x > b[6] + kSpanSlack) continue;
        const bool cross = n > 11 && ItemStore(s + 12) != 0.0f;
        if (stem_digit(ItemStore(s + 5)) != side && !all_notes && !cross) continue;
        const bool cue = is_cue(ItemStore(s + 4));
        if (first) {
            first = false;
            cue_notes = cue;
            if (cue && !is_cue(b[4])) b[4] += b[4] >= 0.0f ? 100.0f : -100.0f;
            if (!cue && is_cue(b[4])) b[4] = core::compute_real_mod(b[4], 100.0f);
        } else if (cue != cue_notes) {
            continue;
        }
        const float r = beam_rhythm(s, n);
        if (r > 0.5001f) return;
        if (table.count == kRefitRows) {
            table.overflow = true;
            return;
        }
        table.rows[table.count] = {x, beam_level(r), table.count};
        ++table.count;
        const bool split_here =
            std::find(splits.begin(), splits.end(), table.count) != splits.end();
        if (split_here && x < b[6]) {
            if (table.count == kRefitRows) {
                table.overflow = true;
                return;
            }
            table.rows[table.count] = {x + kGapOffset, 1, table.count};
            ++table.count;
        }
    }
}

// The split rows of a split code S (S < 100: after note S; else four digits a b c d, each
// counting on from the split before it). Returns false when b, c or d is 0.
bool split_rows(int32_t code, std::array<int32_t, 4>& rows) {
    rows = {0, 0, 0, 0};
    if (code < 100) {
        rows[0] = code;
        return true;
    }
    const int32_t a = code / 1000;
    const int32_t b = code % 1000 / 100;
    const int32_t c = code % 100 / 10;
    const int32_t d = code % 10;
    if (b == 0 || c == 0 || d == 0) return false;
    rows[0] = a;
    rows[1] = b + a + (a > 0 ? 1 : 0);
    rows[2] = c + rows[1] + 1;
    rows[3] = d + rows[2] + 1;
    return true;
}

bool levels_remain(const std::vector<int32_t>& levels) {
    return std::any_of(levels.begin(), levels.end(), [](int32_t v) { return v < kFree; });
}

// One partial beam from the levels still free: its code (9 x base + level) into slot, its ends
// into slot + 1 and slot + 2; the notes it covers are marked taken.
void find_partial(BeamWords& b, int32_t slot, int32_t base, std::vector<int32_t>& levels,
                  const std::vector<float>& positions) {
    const int32_t count = static_cast<int32_t>(levels.size());
    int32_t q = kTaken;
    for (int32_t v : levels) {
        if (v < kTaken) q = std::min(q, v);
    }
    b[slot] = static_cast<float>(9 * base + q);
    // The first block of free levels that holds one of level q.
    int32_t first = 0;
    int32_t last = -1;
    for (int32_t i = 0; i < count;) {
        if (levels[i] >= kFree) {
            ++i;
            continue;
        }
        int32_t j = i;
        while (j + 1 < count && levels[j + 1] < kFree) ++j;
        if (std::find(levels.begin() + i, levels.begin() + j + 1, q) != levels.begin() + j + 1) {
            first = i;
            last = j;
            break;
        }
        i = j + 1;
    }
    if (last < 0) return;  // cannot happen: q is a free level
    float left = positions[first];
    float right = last > first ? positions[last] : 0.0f;
    // A lone note after a note of fewer beams: its stub points back, toward that note. A longer
    // block keeps its ends in order (left of right), which the stem fit reads.
    if (last == first && first > 0 && levels[first - 1] % kTaken < levels[first]) {
        std::swap(left, right);
    }
    if (first == count - 1) {
        left = 0.0f;
        right = -1.0f;
    }
    b[slot + 1] = left;
    b[slot + 2] = right;
    int32_t k = first;
    while (k <= last && levels[k] != q) ++k;
    while (k <= last && levels[k] == q) levels[k++] += kTaken;
}

// The last non-zero of P1..P21 (at least 7: a beam has its P7).
int32_t trimmed_count(const BeamWords& b) {
    for (int32_t k = kBeamWords; k > 7; --k) {
        if (b[k] != 0.0f) return k;
    }
    return 7;
}

// End-shift code of beam b: the notes whose stems point away from its side mark the ends they
// stand at (1 left, 2 right, 3 both) for the main beam (hundreds) and each partial.
float end_shift_code(const BeamWords& b) {
    const int32_t staff = int_of(b[2]);
    const int32_t side = std::abs(int_of(b[7]) / 10);
    auto end_of = [&](float v, bool left) { return v == -1.0f ? (left ? b[3] : b[6]) : v; };
    const float l1 = end_of(b[11], true);
    const float r1 = end_of(b[12], false);
    const float l2 = end_of(b[14], true);
    const float r2 = end_of(b[15], false);
    int32_t fm = 0;
    int32_t f1 = 0;
    int32_t f2 = 0;
    auto mark = [](int32_t& flag, int32_t end) { flag = flag == 0 ? end : 3; };
    float previous = -9999.0f;
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        const int32_t n = int_of(ItemStore(s));
        if (n <= 4 || int_of(ItemStore(s + 1)) != kNoteCode) continue;
        if (int_of(ItemStore(s + 2)) != staff) continue;
        const float x = ItemStore(s + 3);
        if (x < b[3] || x > b[6] || x == previous) continue;
        previous = x;
        const int32_t d = stem_digit(ItemStore(s + 5));
        if (d == 0 || d == side) continue;
        if (x == b[3]) mark(fm, 1);
        if (x == l1) mark(f1, 1);
        if (x == l2) mark(f2, 1);
        if (x == b[6]) mark(fm, 2);
        if (x == r1) mark(f1, 2);
        if (x == r2) mark(f2, 2);
    }
    return static_cast<float>(100 * fm + 10 * f1 + f2);
}

// A record to write: its words and its count.
struct BeamOut {
    BeamWords words{};
    int32_t count = 0;
};

// Writes item k's P1..Pn (its count already n).
void put_record(int32_t k, const BeamOut& r) {
    const int32_t s = core::ItemStartTable(k);
    for (int32_t j = 1; j <= r.count; ++j) ItemStore(s + j) = r.words[j];
}

// Inserts record r as item k (the items from k on move one place and r.count + 1 words on).
// The caller checked the room.
void insert_record(int32_t k, const BeamOut& r) {
    const int32_t at = core::ItemStartTable(k);
    move_store_tail(0, r.count + 1, at, k);
    for (int32_t j = core::ItemCount + 1; j >= k; --j) {
        core::ItemStartTable(j + 1) = core::ItemStartTable(j);
    }
    core::ItemStartTable(k) = at;
    ++core::ItemCount;
    ItemStore(at) = static_cast<float>(r.count);
    put_record(k, r);
}

void refuse(int32_t mode_letter) {
    core::ParamBuffer(1) = 0.0f;
    core::CommandModeLetters(1) = mode_letter;
}

}  // namespace

// Contract: rebuilds the beam in EditItemParams (item |EditedItemNumber|) from the notes under
// it. ParamBuffer (8, -S) asks for split gaps after the notes S names (P1 is then cleared);
// P2 = 98, or a third command character 'X' with a split, takes the notes of both stem
// directions. The notes (store order, same staff, within the ends +- 0.04, stems on the beam's
// side) give the ends, the number of beams and the partial beams; without two notes the other
// side is tried with the heights moved 13 steps. Levels left over go to further beam items
// inserted after the edited one. The edited record is written back (resized) and kept in
// EditItemParams; the stems of the last record written are fitted. The first mode letter is
// left at the side. Refused, with the store and EditItemParams unchanged: a split of a beam
// already split (an item next to it with the same P1..P6) or with a zero digit, a beam with
// offset ends (P13 0, P14 or P15 set) for a split, more than 100 note and gap rows, and records
// that would not fit the store, its start table or the item limit (the page-full reply, first
// mode letter -99, P1 = 0); fewer than two notes on either side gives P1 = 0 alone. Reads
// CommandLine(3), ItemStore; writes ItemStore, ItemStartTable, ItemCount, ItemWordsUsed,
// EditItemParams, ParamBuffer P1, CommandModeLetters, ChangesMadeFlag.
void refit_edited_beam() {
    auto& e = core::EditItemParams;
    auto& p = core::ParamBuffer;
    const int32_t k = std::abs(core::EditedItemNumber);
    if (k < 1 || k > core::ItemCount || int_of(e(1)) != kBeamCode) {
        refuse(kRefused);
        return;
    }
    BeamWords b{};
    for (int32_t j = 1; j <= kWorkingWords; ++j) b[j] = e(j);

    std::array<int32_t, 4> splits{0, 0, 0, 0};
    if (p(1) == 8.0f && p(2) < 0.0f) {
        p(1) = 0.0f;
        if (b[13] == 0.0f && (b[14] != 0.0f || b[15] != 0.0f)) return refuse(kRefused);
        for (int32_t other : {k + 1, k - 1}) {
            if (other < 1 || other > core::ItemCount) continue;
            const int32_t s = core::ItemStartTable(other);
            const int32_t n = int_of(ItemStore(s));
            bool same = true;
            for (int32_t j = 1; j <= 6 && same; ++j) same = word(s, n, j) == b[j];
            if (same) return refuse(kRefused);
        }
        const int32_t code = int_of(-p(2));
        if (core::CommandLine(3) == 'X') p(2) = 98.0f;
        if (!split_rows(code, splits)) return refuse(kRefused);
    }
    const bool all_notes = p(2) == 98.0f;

    int32_t side = int_of(b[7] / 10.0f);
    core::CommandModeLetters(1) = side;
    RowTable table;
    collect_rows(b, side, all_notes, splits, table);
    if (!table.overflow && table.count < 2) {
        b[4] += side == 1 ? 13.0f : -13.0f;
        b[5] += side == 1 ? 13.0f : -13.0f;
        side = side == 1 ? 2 : 1;
        core::CommandModeLetters(1) = side;
        collect_rows(b, side, all_notes, splits, table);
        if (!table.overflow && table.count < 2) {
            p(1) = 0.0f;
            return;
        }
    }
    if (table.overflow) return refuse(kRefused);

    // Position order; of rows at one position the later one first.
    auto rows = std::vector<NoteRow>(table.rows.begin(), table.rows.begin() + table.count);
    std::sort(rows.begin(), rows.end(), [](const NoteRow& x, const NoteRow& y) {
        if (x.position != y.position) return x.position < y.position;
        return x.order > y.order;
    });
    std::vector<int32_t> levels;
    std::vector<float> positions;
    for (const NoteRow& r : rows) {
        levels.push_back(r.level);
        positions.push_back(r.position);
    }
    const int32_t base = *std::min_element(levels.begin(), levels.end());
    const bool partials =
        std::any_of(levels.begin(), levels.end(), [&](int32_t v) { return v != base; });
    for (int32_t& v : levels) {
        if (v == base) v += kTaken;
    }
    b[3] = positions.front();
    b[6] = positions.back();
    b[7] = static_cast<float>(side * 10 + base);

    const int32_t s = core::ItemStartTable(k);
    const int32_t old_count = int_of(ItemStore(s));
    std::vector<BeamOut> out;
    if (!partials) {
        for (int32_t j = 8; j <= 15; ++j) b[j] = 0.0f;
        out.push_back({b, std::clamp(old_count, 7, kWorkingWords)});
    } else {
        BeamWords r = b;
        while (true) {
            for (int32_t j = 10; j <= 15; ++j) r[j] = 0.0f;
            for (int32_t j = kBeamWords + 1; j <= kWorkingWords; ++j) r[j] = 0.0f;
            find_partial(r, 10, base, levels, positions);
            if (levels_remain(levels)) find_partial(r, 13, base, levels, positions);
            out.push_back({r, trimmed_count(r)});
            if (!levels_remain(levels)) break;
        }
    }
    if (all_notes) {
        BeamOut& last = out.back();
        const float code = end_shift_code(last.words);
        if (code != 0.0f) {
            if (last.count < 9) last.count = 9;
            last.words[9] = code;
        }
    }

    // Room for every record before anything is written.
    const int32_t extra = static_cast<int32_t>(out.size()) - 1;
    int32_t growth = out.front().count - old_count;
    for (std::size_t i = 1; i < out.size(); ++i) growth += out[i].count + 1;
    // The shared room check, and the edited beam's working record behind the last item, which
    // moves up with the growth.
    const int32_t limit = std::min(core::ItemStoreCapacity, core::kItemStoreWords);
    if (!render::page_has_room(extra, growth) || core::ItemWordsUsed - 1 + growth > limit) {
        core::report_page_full("the beam was not refitted");
        return refuse(kRefused);
    }

    if (out.front().count != old_count) {
        core::resize_item(k, static_cast<float>(out.front().count));
    }
    put_record(k, out.front());
    for (int32_t i = 1; i <= extra; ++i) insert_record(k + i, out[i]);
    core::ChangesMadeFlag = 1;

    // The stems follow the last record written; the editor keeps the edited one.
    const char third = core::CommandLine(3);
    if (all_notes) core::CommandLine(3) = 'X';
    e.fill(0.0f);
    for (int32_t j = 1; j <= out.back().count; ++j) e(j) = out.back().words[j];
    int32_t flag = 1;
    fit_stems_to_beams(flag);
    core::CommandLine(3) = third;
    e.fill(0.0f);
    for (int32_t j = 1; j <= out.front().count; ++j) e(j) = out.front().words[j];
}

// Contract: the end-shift code of the beam in EditItemParams as the edit line (9, code): the
// notes on its staff within its ends whose stems point away from its side (one per position)
// mark the main beam's ends (hundreds) and the partial beams' ends (tens, units), -1 ends
// standing for the beam's. Reads EditItemParams, ItemStore; writes ParamBuffer P1, P2.
void count_notes_in_span() {
    BeamWords b{};
    for (int32_t j = 1; j <= kWorkingWords; ++j) b[j] = core::EditItemParams(j);
    core::ParamBuffer(1) = 9.0f;
    core::ParamBuffer(2) = end_shift_code(b);
}

// Contract: see the header. Words next_start .. ItemWordsUsed - 1 move by the change d; the
// words freed by a shrink are cleared. Refuses (false, nothing changed) a growth past the
// store's capacity and a next_start outside 1..ItemWordsUsed.
bool move_store_tail(int32_t old_count, int32_t new_count, int32_t next_start, int32_t next_item) {
    const int32_t d = new_count - old_count;
    if (d == 0) return true;
    const int32_t end = core::ItemWordsUsed;  // first free word
    const int32_t limit = std::min(core::ItemStoreCapacity, core::kItemStoreWords);
    if (next_start < 1 || next_start > end || end - 1 + d > limit || next_start + d < 1) {
        return false;
    }
    if (d > 0) {
        for (int32_t w = end - 1; w >= next_start; --w) ItemStore(w + d) = ItemStore(w);
        for (int32_t w = next_start; w < next_start + d; ++w) ItemStore(w) = 0.0f;
    } else {
        for (int32_t w = next_start; w < end; ++w) ItemStore(w + d) = ItemStore(w);
        for (int32_t w = end + d; w < end; ++w) ItemStore(w) = 0.0f;
    }
    for (int32_t j = std::max(next_item, 1); j <= core::ItemCount + 1; ++j) {
        core::ItemStartTable(j) += d;
    }
    core::ItemWordsUsed += d;
    return true;
}

}  // namespace layout
