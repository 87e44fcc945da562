#include "engine/edit/pitch/transposition_work.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/pitch/pitch_context.h"

namespace edit {

TranspositionTableRecord TranspositionTables[2];

namespace {

constexpr float kDummyCode = 13.0f;
// Slack at the range's ends, as the staff scan has it.
constexpr float kRangeSlack = 0.001f;

bool valid_item(int32_t k) { return k >= 1 && k <= core::ItemCount; }
int32_t start_of(int32_t k) { return core::ItemStartTable(k); }
int32_t count_of(int32_t k) { return core::int_of(core::ItemStore(start_of(k))); }
// P j of item k; 0.0 beyond its count.
float param(int32_t k, int32_t j) {
    return j <= count_of(k) ? core::ItemStore(start_of(k) + j) : 0.0f;
}
// Writes P j of item k when the item holds it.
void set_param(int32_t k, int32_t j, float v) {
    if (j <= count_of(k)) core::ItemStore(start_of(k) + j) = v;
}
// Writes P j, growing the item to j values first (the new ones 0.0); false when the store has
// no room.
bool set_param_growing(int32_t k, int32_t j, float v) {
    if (count_of(k) < j && !core::resize_item(k, static_cast<float>(j))) return false;
    set_param(k, j, v);
    return true;
}
int32_t code_of(int32_t k) { return count_of(k) >= 1 ? core::int_of(param(k, 1)) : 0; }
int32_t staff_of(int32_t k) { return core::int_of(param(k, 2)); }

// A cue note's or beam's height keeps its 100 apart from the level: the level moves, then
// the 100 goes back on the side of the new value.
float moved_height(float h, float shift) {
    if (std::fabs(h) < 100.0f) return h + shift;
    const float v = core::amod(h, 100.0f) + shift;
    return v >= 0.0f ? v + 100.0f : v - 100.0f;
}

// The note line of item k, a note.
TranspositionNoteLine note_line(int32_t k) {
    TranspositionNoteLine line;
    line.item = k;
    line.position = param(k, 3);
    const float p4 = param(k, 4);
    const bool cue = std::fabs(p4) >= 100.0f;
    line.level = core::int_of(p4);
    if (cue) line.level %= 100;
    line.stem = core::int_of(param(k, 5) / 10.0f);
    float reach = 7.0f;
    if (count_of(k) >= 8) reach = core::amod(param(k, 8), 100.0f) + 7.0f;
    if (line.stem == 0) reach = 0.0f;
    if (line.stem == 2) reach = -reach;
    if (cue) reach *= 0.6f;
    line.stem_end = static_cast<float>(line.level) + reach;
    return line;
}

// Index of the note line nearest to position x (the first of equals), -1 when none lies
// within 999.0.
int32_t nearest_note(const std::vector<TranspositionNoteLine>& notes, float x) {
    int32_t best = -1;
    float best_distance = 999.0f;
    for (size_t i = 0; i < notes.size(); ++i) {
        const float d = std::fabs(notes[i].position - x);
        if (d < best_distance) {
            best_distance = d;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

// The note line a slur's end at position x and height h belongs to: the nearest to x. Where the
// lines at that note's position hold notes of both stem directions (two voices on the staff),
// the one whose level lies nearest h, the first of equals: a tie follows its own voice's note,
// never the other voice's at the same place.
int32_t slur_end_note(const std::vector<TranspositionNoteLine>& notes, float x, float h) {
    const int32_t nearest = nearest_note(notes, x);
    if (nearest < 0) return nearest;
    const float at = notes[static_cast<size_t>(nearest)].position;
    bool up = false;
    bool down = false;
    for (const auto& line : notes) {
        if (line.position != at) continue;
        up = up || line.stem == 1;
        down = down || line.stem == 2;
    }
    if (!up || !down) return nearest;
    int32_t best = nearest;
    float best_distance =
        std::fabs(static_cast<float>(notes[static_cast<size_t>(nearest)].level) - h);
    for (size_t i = 0; i < notes.size(); ++i) {
        if (notes[i].position != at) continue;
        const float d = std::fabs(static_cast<float>(notes[i].level) - h);
        if (d < best_distance || (d == best_distance && static_cast<int32_t>(i) < best)) {
            best_distance = d;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

// The "after" line of the note at index i of the "before" table: the same index when the
// tables agree, else the line of the same item; nullptr when the note has no "after" line.
const TranspositionNoteLine* after_line(int32_t i) {
    const auto& before = TranspositionTables[0].notes;
    const auto& after = TranspositionTables[1].notes;
    const int32_t item = before[static_cast<size_t>(i)].item;
    if (static_cast<size_t>(i) < after.size() && after[static_cast<size_t>(i)].item == item)
        return &after[static_cast<size_t>(i)];
    for (const auto& line : after)
        if (line.item == item) return &line;
    return nullptr;
}

// Lowest level among the lines at position x; 0 when there is none.
int32_t lowest_level_at(const std::vector<TranspositionNoteLine>& notes, float x) {
    bool found = false;
    int32_t low = 0;
    for (const auto& line : notes) {
        if (line.position != x) continue;
        if (!found || line.level < low) low = line.level;
        found = true;
    }
    return low;
}

// A height whose nearest level is a staff line (odd, 3 to 11) moves one level away from the
// notes, in direction (+1 above, -1 below).
float off_staff_line(float h, float direction) {
    const int32_t v = core::nint(h);
    if (v >= 3 && v <= 11 && v % 2 != 0) return h + direction;
    return h;
}

}  // namespace

void write_transposition_table(int32_t mode, int32_t staff, const std::vector<int32_t>& items,
                               float left, float right, int32_t steps) {
    if (mode != 1 && mode != 2) return;
    TranspositionTableRecord& table = TranspositionTables[mode - 1];
    table.staff = staff;
    table.steps = steps;
    table.notes.clear();
    table.slurs.clear();
    if (mode == 1) {
        // A stale "after" table of another staff must never pair with this one.
        TranspositionTables[1] = TranspositionTableRecord{};
        TranspositionTables[1].staff = -1;
    }
    for (int32_t k : items) {
        if (!valid_item(k) || code_of(k) != 1) continue;
        table.notes.push_back(note_line(k));
    }
    int32_t clef = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff) continue;
        const int32_t code = code_of(k);
        if (code == 3) {
            clef = count_of(k) >= 5 ? core::int_of(param(k, 5)) : 0;
        } else if (code == 5) {
            const float p3 = param(k, 3);
            if (p3 < left - kRangeSlack || p3 > right + kRangeSlack) continue;
            TranspositionSlurLine line;
            line.item = k;
            line.p3 = p3;
            line.p4 = param(k, 4);
            line.p5 = param(k, 5);
            line.p6 = param(k, 6);
            line.p7 = param(k, 7);
            line.p8 = param(k, 8);
            line.clef = clef;
            table.slurs.push_back(line);
        }
    }
    if (mode == 2) refit_slurs_from_tables();
}

// Each slur of the "before" table is re-fitted from the notes nearest its ends (on a staff of
// two voices, the note of the voice nearest the end's height): a pair of ties
// on a chord follows the chord's lowest note; other slurs by the stems' directions after the
// move (table of cases below); last, an end height on a staff line moves off it. Writes P4, P5
// and P7 of the slur items (only those the item holds); a slur item that is gone or no longer a
// slur, or a table without notes, leaves the slur alone.
void refit_slurs_from_tables() {
    const TranspositionTableRecord& before = TranspositionTables[0];
    const TranspositionTableRecord& after = TranspositionTables[1];
    if (before.staff != after.staff) return;
    const size_t n_slurs = before.slurs.size();
    for (size_t i = 0; i < n_slurs; ++i) {
        const TranspositionSlurLine& slur = before.slurs[i];
        const int32_t k = slur.item;
        if (!valid_item(k) || code_of(k) != 5) continue;
        const int32_t a = slur_end_note(before.notes, slur.p3, slur.p4);
        const int32_t b = slur_end_note(before.notes, slur.p6, slur.p5);
        if (a < 0 || b < 0) continue;
        const TranspositionNoteLine& a_before = before.notes[static_cast<size_t>(a)];
        const TranspositionNoteLine& b_before = before.notes[static_cast<size_t>(b)];
        const TranspositionNoteLine* a_after = after_line(a);
        const TranspositionNoteLine* b_after = after_line(b);
        if (a_after == nullptr || b_after == nullptr) continue;

        const bool level = slur.p4 == slur.p5;
        const bool flat_tie = slur.p8 == -2.0f || slur.p8 == -3.0f;
        auto same_ends = [&](size_t j) {
            return before.slurs[j].p3 == slur.p3 && before.slurs[j].p6 == slur.p6;
        };
        const bool chord_tie =
            level && ((i > 0 && same_ends(i - 1)) || (i + 1 < n_slurs && same_ends(i + 1)));

        float h4 = slur.p4;
        float h5 = slur.p5;
        float p7 = slur.p7;
        if (chord_tie) {
            const float x = a_before.position;
            const float change = static_cast<float>(lowest_level_at(after.notes, x) -
                                                    lowest_level_at(before.notes, x));
            h4 += change;
            h5 += change;
        } else {
            const int32_t sa = a_after->stem, sb = b_after->stem;
            const int32_t ba = a_before.stem, bb = b_before.stem;
            const float la = static_cast<float>(a_after->level);
            const float lb = static_cast<float>(b_after->level);
            const float h = level && flat_tie ? 0.0f : 2.0f;
            const float left_change = static_cast<float>(a_after->level - a_before.level);
            auto shift = [&] {
                if (h == 0.0f) {
                    h4 = la;
                    h5 = la;
                } else {
                    h4 += left_change;
                    h5 += left_change;
                }
            };
            if (sa == 2 && sb == 2) {
                h4 = la + h;
                h5 = lb + h;
                if (p7 < 0.0f) p7 = -p7;
            } else if (sa == 2 && sb == 1) {
                h4 = la + 2.0f;
                h5 = b_after->stem_end + 1.0f;
                if (p7 < 0.0f) p7 = -p7;
            } else if (sa == 1 && sb == 2) {
                h4 = a_after->stem_end + 1.0f;
                h5 = lb + 2.0f;
                if (p7 < 0.0f) p7 = -p7;
            } else if (sa == 1 && sb == 1 && (ba == 2 || bb == 2) && p7 < 0.0f) {
                shift();
            } else if (sa == 1 && sb == 1 && (ba == 2 || bb == 2) && p7 > 0.0f) {
                h4 = la - h;
                h5 = lb - h;
                p7 = -p7;
            } else if (ba == bb && sa == sb) {
                shift();
            }
        }
        float direction = p7 >= 0.0f ? 1.0f : -1.0f;
        if (chord_tie && flat_tie) direction = -direction;
        h4 = off_staff_line(h4, direction);
        h5 = off_staff_line(h5, direction);
        set_param(k, 4, h4);
        set_param(k, 5, h5);
        if (p7 != slur.p7) set_param(k, 7, p7);
    }
}

int32_t clef_change_shift(int32_t old_clef, int32_t new_clef) {
    static const int32_t kShift[4][4] = {
        {0, 12, 6, 8},
        {-12, 0, -6, -4},
        {-6, 6, 0, 2},
        {-8, 4, -2, 0},
    };
    if (old_clef >= 0 && old_clef <= 3 && new_clef >= 0 && new_clef <= 3)
        return kShift[old_clef][new_clef];
    // Other kinds keep the pitch through their step offsets, as the table does for its four.
    return clef_step_offset(old_clef) - clef_step_offset(new_clef);
}

// Works on StaffPitchContext's records (runs of one old clef that is not new_clef: the notes'
// levels and P4 move, every record takes the new clef), the beams of the staff within 4.0 of a
// run's notes (each moved once), and the staff's key signatures (P6) and clefs (the first
// takes P5 = new_clef, later ones become DUMMY). Items too short for the value to write are
// grown, except where the new clef is 0; when the store has no room for that they stay as
// they are.
void change_staff_clefs(int32_t new_clef) {
    StaffPitchContextRecord& context = StaffPitchContext;
    const int32_t staff = core::int_of(context.staff);
    const size_t n_records =
        context.count <= 0 ? 0
                           : std::min(static_cast<size_t>(context.count), context.records.size());
    std::vector<char> beam_moved(static_cast<size_t>(core::ItemCount) + 1, 0);

    size_t r = 0;
    while (r < n_records) {
        const int32_t old_clef = context.records[r].clef;
        if (old_clef == new_clef) {
            ++r;
            continue;
        }
        const int32_t shift = clef_change_shift(old_clef, new_clef);
        bool has_note = false;
        float first = 0.0f, last = 0.0f;
        for (; r < n_records && context.records[r].clef == old_clef; ++r) {
            PitchRecord& record = context.records[r];
            record.clef = new_clef;
            if (record.kind != kContextNote && record.kind != kContextFirstInBar) continue;
            record.level += shift;
            if (!has_note) first = record.position;
            last = record.position;
            has_note = true;
            const int32_t k = record.item;
            if (!valid_item(k) || count_of(k) < 4) continue;
            float p4 = static_cast<float>(record.level);
            if (std::fabs(param(k, 4)) >= 100.0f) p4 += record.level >= 0 ? 100.0f : -100.0f;
            set_param(k, 4, p4);
        }
        if (!has_note || shift == 0) continue;
        const float s = static_cast<float>(shift);
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (beam_moved[static_cast<size_t>(k)] || code_of(k) != 6 || staff_of(k) != staff ||
                count_of(k) < 5)
                continue;
            const float p3 = param(k, 3);
            if (p3 < first - 4.0f || p3 > last + 4.0f) continue;
            set_param(k, 4, moved_height(param(k, 4), s));
            set_param(k, 5, param(k, 5) + s);
            beam_moved[static_cast<size_t>(k)] = 1;
        }
    }

    const float clef_value = static_cast<float>(new_clef);
    bool first_clef = true;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (staff_of(k) != staff) continue;
        const int32_t code = code_of(k);
        if (code == 17) {
            if (count_of(k) >= 6 || new_clef != 0) set_param_growing(k, 6, clef_value);
        } else if (code == 3) {
            if (first_clef) {
                if (count_of(k) >= 5 || new_clef != 0) set_param_growing(k, 5, clef_value);
                first_clef = false;
            } else {
                set_param(k, 1, kDummyCode);
            }
        }
    }
}

}  // namespace edit
