// Fitting the stems of beamed notes to their beam line: the geometry for one note under one beam,
// the pass over the beams of a page region (or the edited beam) that writes the stems into the
// store, and the fit of the note being edited, left as an edit line for the item editor.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"

namespace layout {

namespace {

using core::int_of;

constexpr int32_t kFitWords = 20;
// How far beyond a beam's end (or a partial beam's) a note still counts as under it.
constexpr float kReach = 0.1f;
constexpr int32_t kNoteCode = 1;
constexpr int32_t kBeamCode = 6;
constexpr float kNoBeam = -999.0f;

// The beam being fitted (P1..P20, zeros beyond its count) and what the last fit worked out.
struct BeamFitRecord {
    core::Array1<float, kFitWords> p;
    int32_t count = 0;
    float partial_extra = 0.0f;  // g
    float stem_length = 0.0f;    // L
    float left_height = 0.0f;    // yL
    float right_height = 0.0f;   // yR
    float width = 0.0f;          // W
    float offset = 0.0f;         // dx, the note from the beam's left end
};

// The note being fitted (P1..P20, zeros beyond its count). A fit shifts P3 and P4 and puts the
// stem offset into P1, so every fit starts from a fresh copy.
struct NoteFitRecord {
    core::Array1<float, kFitWords> p;
};

BeamFitRecord BeamFit;
NoteFitRecord NoteFit;
// The extra stem length the first and second partial beam demand. Cleared for every beam, so
// that a partial beam without ends never takes the extra of another beam.
float PartialExtra1 = 0.0f;
float PartialExtra2 = 0.0f;

int32_t size_class(float p4) { return std::abs(int_of(p4 / 100.0f)); }

// Tens digit of rem(P5, 100): 1 stem up, 2 down, 0 none.
int32_t stem_digit(float p5) { return int_of(core::compute_real_mod(p5, 100.0f) / 10.0f); }

// An offset code: 10 = +w, 20 = -w, anything else is the offset itself.
float offset_value(float code, float w) {
    if (code == 10.0f) return w;
    if (code == 20.0f) return -w;
    return code;
}

// P j of the item whose count word is at start s, 0 beyond its count.
float stored_param(int32_t s, int32_t n, int32_t j) {
    return j <= n ? core::ItemStore(s + j) : 0.0f;
}

// Copies P1..P(min(n, 20)) of the item at start s into record, zeros beyond.
void copy_item_params(int32_t s, int32_t n, core::Array1<float, kFitWords>& record) {
    record.fill(0.0f);
    const int32_t m = std::clamp(n, 0, kFitWords);
    for (int32_t j = 1; j <= m; ++j) record(j) = core::ItemStore(s + j);
}

bool in_staff_range(int32_t s) { return s >= 1 && s <= kMaxStaves; }

bool forced_by_command() { return core::CommandLine(4) == 'X'; }

void copy_x_letter() {
    if (core::CommandLine(3) == 'X') core::CommandLine(4) = 'X';
}

// The notes that may sit under a beam, as (staff, item number) in staff order and store order
// within a staff. Built once per pass: fitting changes only P8, P9 and the count of notes, none
// of which decides whether a note is a candidate.
using NoteIndex = std::vector<std::pair<int32_t, int32_t>>;

NoteIndex index_notes() {
    NoteIndex index;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = int_of(core::ItemStore(s));
        if (n < 5 || int_of(core::ItemStore(s + 1)) != kNoteCode) continue;
        index.emplace_back(int_of(core::ItemStore(s + 2)), k);
    }
    std::stable_sort(index.begin(), index.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return index;
}

// Writes the fitted length L into note k: grows a short note to 8 parameters, divides by a
// size divisor P15 and clears the units digit of P9. A note that cannot grow (full store) keeps
// its stem.
void store_stem_length(int32_t k, float length) {
    int32_t s = core::ItemStartTable(k);
    int32_t n = int_of(core::ItemStore(s));
    if (n < 8) {
        if (!core::resize_item(k, 8.0f)) return;
        s = core::ItemStartTable(k);
        n = 8;
    }
    if (n >= 15 && core::ItemStore(s + 15) != 0.0f) length /= core::ItemStore(s + 15);
    core::ItemStore(s + 8) = length;
    // A note of 8 parameters has no P9: the word after it belongs to the next item.
    if (n >= 9) {
        float& p9 = core::ItemStore(s + 9);
        if (p9 != 0.0f) p9 -= static_cast<float>(int_of(core::compute_real_mod(p9, 10.0f)));
    }
}

// Fits every candidate note under the beam in BeamFit (staff's notes in store order).
void fit_notes_under_beam(const NoteIndex& index, bool forced) {
    if (BeamFit.p(7) < 0.0f) return;
    PartialExtra1 = 0.0f;
    PartialExtra2 = 0.0f;
    const int32_t staff = int_of(BeamFit.p(2));
    const int32_t side = int_of(BeamFit.p(7)) / 10;
    const int32_t beam_class = size_class(BeamFit.p(4));
    const float left = BeamFit.p(3) - kReach;
    const float right = BeamFit.p(6) + kReach;
    const BeamFitRecord unshifted = BeamFit;
    auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(staff, 0));
    for (; it != index.end() && it->first == staff; ++it) {
        const int32_t k = it->second;
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = int_of(core::ItemStore(s));
        const float x = core::ItemStore(s + 3);
        if (x < left || x > right) continue;
        int32_t d = stem_digit(core::ItemStore(s + 5));
        if (d == 0 || stored_param(s, n, 6) == 1.0f) continue;
        if (side != d && !forced) continue;
        if (size_class(core::ItemStore(s + 4)) != beam_class) continue;
        copy_item_params(s, n, NoteFit.p);
        fit_one_stem(d);
        const float length = BeamFit.stem_length;
        BeamFit = unshifted;
        store_stem_length(k, length);
    }
}

}  // namespace

// Contract: reads BeamFit (the beam and its count), NoteFit (the note), StaffTables (the
// note's staves for a cross-staff note; StaffScale(0) for the stem offset), CommandLine(3)
// ('F': French stems); writes BeamFit (shifted ends, result slots), NoteFit (P1 = stem offset,
// P3 and P4 shifted), the partial-beam extras and ParamBuffer(2) = the stem length. A width of
// 0 takes the left end's height; a cross-staff note whose staves lie outside 1..256 (or whose
// staff has no scale) is measured on its own staff.
void fit_one_stem(int32_t& direction) {
    auto& b = BeamFit.p;
    auto& n = NoteFit.p;
    const int32_t d = direction;
    const int32_t c = size_class(n(4));

    n(4) = core::compute_real_mod(n(4), 100.0f);
    if (n(12) != 0.0f) {
        const int32_t s = int_of(n(2));
        const int32_t o = int_of(3.0f - 2.0f * n(12));
        if (in_staff_range(s) && in_staff_range(s + o) && StaffTables.StaffScale(s) != 0.0f) {
            const float rise =
                static_cast<float>(StaffTables.StaffBaseY(s) - StaffTables.StaffBaseY(s + o));
            n(4) -= rise / (StaffTables.StaffScale(s) * 7.0f);
        }
    }

    const float f = c >= 1 ? 0.6f : 1.0f;
    float w = f * 2.83333f * StaffTables.StaffScale(0) / 25.0f;
    n(1) = w;
    if (d == 1) n(3) += w;

    const int32_t p7 = int_of(b(7));
    const int32_t k = p7 % 10;
    const int32_t side = p7 / 10;
    if (b(17) == 0.0f) b(17) = 1.0f;
    if (c >= 1) b(17) *= 0.8f;
    const int32_t q1 = int_of(b(10));
    const int32_t q2 = int_of(b(13));
    const float e = static_cast<float>(k - 1) * 1.5f;

    if (b(11) == -1.0f) b(11) = b(3);
    if (b(12) == -1.0f) b(12) = b(6);
    if (b(14) == -1.0f) b(14) = b(3);
    if (b(15) == -1.0f) b(15) = b(6);
    if (side == 1) {
        b(3) += w;
        b(6) += w;
    }

    // A partial beam's ends follow the stems above; its extra length comes from its code: a
    // negative code over both ends, a positive one by how many beams it adds.
    auto partial = [&](int32_t q, float& from, float& to, float& extra) {
        if (side == 1) {
            if (from != 0.0f) from += w;
            if (to != 0.0f) to += w;
        }
        if (q < 0 && from != 0.0f && to != 0.0f) extra = -static_cast<float>(q / 10) * 1.5f;
        if (q > 0) {
            int32_t m = q % 10;
            if (m == 0) m = 1;
            extra = static_cast<float>(q / 10 + m - k) * 1.5f;
        }
    };
    if (q1 != 0) partial(q1, b(11), b(12), PartialExtra1);
    if (q2 == 0) {
        b(3) += offset_value(b(14), w);
        b(6) += offset_value(b(15), w);
    } else {
        partial(q2, b(14), b(15), PartialExtra2);
    }

    if (n(10) != 0.0f) n(3) += offset_value(n(10), w);

    if (BeamFit.count > 8) {
        const int32_t p = int_of(b(9));
        const int32_t h = p / 100;
        const int32_t t = (p % 100) / 10;
        const int32_t u = p % 10;
        if (side == 1) w = -w;
        if (h == 1 || h == 3) b(3) += w;
        if (h == 2 || h == 3) b(6) += w;
        if (t == 1 || t == 3) b(11) += w;
        if (t == 2 || t == 3) b(12) += w;
        if (u == 1 || u == 3) b(14) += w;
        if (u == 2 || u == 3) b(15) += w;
    }

    const float width = b(6) - b(3);
    float y_left = core::compute_real_mod(b(4), 100.0f) - n(4);
    float y_right = b(5) - n(4);
    if (d != 1) {
        y_left = -y_left;
        y_right = -y_right;
    }
    const float dx = n(3) - b(3);
    // A beam whose ends coincide has no slope: the note meets it at its left end's height.
    const float h = width != 0.0f ? ((dx / width) * (y_right - y_left) + y_left) / f : y_left / f;

    const float x = n(3);
    const bool same_side = side == d;
    const bool first_counts = same_side ? q1 < 0 : q1 > 0;
    const bool second_counts = same_side ? q2 < 0 : q2 > 0;
    float g = 0.0f;
    if (x < b(12) + kReach && first_counts) g = x > b(11) - kReach ? PartialExtra1 : 0.0f;
    if (PartialExtra2 > g && x < b(15) + kReach && second_counts && x > b(14) - kReach)
        g = PartialExtra2;
    float length = same_side ? g + h : g + (e + h - 14.0f) + b(17);

    // French stems: an inner stem stops at the first beam.
    if (core::CommandLine(3) == 'F' && std::fabs(b(3) - x) > kReach &&
        std::fabs(b(6) - x) > kReach) {
        float g2 = 0.0f;
        if (b(12) != 0.0f && q1 != 0 && b(11) != 0.0f && b(11) + kReach <= x)
            g2 = x <= b(12) - kReach ? PartialExtra1 : 0.0f;
        if (b(15) != 0.0f && q2 != 0 && b(14) != 0.0f && b(14) + kReach <= x &&
            x <= b(15) - kReach && PartialExtra2 > g2)
            g2 = PartialExtra2;
        length = length - e - g2;
    }

    BeamFit.partial_extra = g;
    BeamFit.stem_length = length;
    BeamFit.left_height = y_left;
    BeamFit.right_height = y_right;
    BeamFit.width = width;
    BeamFit.offset = dx;
    core::ParamBuffer(2) = length;
}

// Contract: reads ParamBuffer(2..5) (staves P2..P5, 0 -> 1 and 0 -> the lowest; bounds P3..P4
// for a beam's left end), CommandLine(3..4), EditedItemNumber and EditItemParams; writes P8
// (and P9, and the count of a note shorter than 8) of the fitted notes, the undo copy and
// UndoSaveMode (when no beam is edited), CommandLine(1) (blanked when a beam is edited), the
// output lists (whole-page redraw), ChangesMadeFlag = 1. An edited item that is not a beam fits
// nothing. A flag of 0 does nothing.
void fit_stems_to_beams(int32_t& flag, bool redraw) {
    if (flag == 0) return;
    copy_x_letter();
    const bool forced = forced_by_command();
    auto& p = core::ParamBuffer;
    int32_t low = int_of(p(2));
    if (low == 0) low = 1;
    int32_t high = int_of(p(5));
    if (high == 0) high = low;
    const float left = p(3);
    const float right = p(4);
    auto& e = core::EditItemParams;

    NoteIndex index;
    bool indexed = false;
    auto fit_beam = [&]() {
        if (!indexed) {
            index = index_notes();
            indexed = true;
        }
        fit_notes_under_beam(index, forced);
    };

    const bool edited = core::EditedItemNumber != 0;
    if (edited && e(7) >= 0.0f) {
        core::CommandLine(1) = ' ';
        if (int_of(e(1)) == kBeamCode) {
            BeamFit = BeamFitRecord{};
            int32_t count = 0;
            for (int32_t j = 1; j <= kFitWords; ++j) {
                BeamFit.p(j) = e(j);
                if (e(j) != 0.0f) count = j;
            }
            BeamFit.count = count;
            fit_beam();
        }
    } else {
        const core::CommandUndoCopy undo_copy;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            // With an item edited that holds no rhythm, the pass looks at the first item only.
            if (edited && k > 1) break;
            const int32_t s = core::ItemStartTable(k);
            const int32_t n = int_of(core::ItemStore(s));
            if (n < 7 || int_of(core::ItemStore(s + 1)) != kBeamCode) continue;
            const int32_t staff = int_of(core::ItemStore(s + 2));
            const float x = core::ItemStore(s + 3);
            if (staff < low || staff > high || x < left || x > right) continue;
            BeamFit = BeamFitRecord{};
            copy_item_params(s, n, BeamFit.p);
            BeamFit.count = n;
            fit_beam();
        }
    }

    core::ChangesMadeFlag = 1;
    if (!redraw) return;
    core::push_words(e.size(), e.data());
    const int32_t edited_item = core::EditedItemNumber;
    core::EditedItemNumber = 0;
    core::ItemCount = 1;
    render::redraw_items();
    core::EditedItemNumber = edited_item;
    core::pop_words(e.size(), e.data());
    core::ChangesMadeFlag = 1;
}

// Contract: reads EditItemParams (the note), ParamBuffer(2) (a staff the note moves to),
// CommandLine(3..4), the beams in the store and StaffTables; writes MessageLine, CommandLine(1)
// (blanked) and (4), and in ParamBuffer the edit line (8, stem length, 900, -units of P9, 0);
// P1 = 0 when no beam fits the note. A note without a stem, or with P6 = 1, leaves ParamBuffer
// untouched. The store is not changed.
void adjust_stems_to_beam() {
    auto& p = core::ParamBuffer;
    auto& e = core::EditItemParams;
    core::leave_reply(core::ReplyKind::Notice, "*** Adjusting stem to beam.");

    NoteFit.p.fill(0.0f);
    for (int32_t j = 1; j <= kFitWords; ++j) NoteFit.p(j) = e(j);
    bool moved = false;
    if (NoteFit.p(1) == 1.0f && p(2) != 0.0f) {
        NoteFit.p(2) = p(2);
        moved = true;
    }

    core::CommandLine(1) = ' ';
    copy_x_letter();
    const bool forced = forced_by_command();

    int32_t d = stem_digit(NoteFit.p(5));
    if (d == 0 || NoteFit.p(6) == 1.0f) return;

    const int32_t staff = int_of(NoteFit.p(2));
    const float x = NoteFit.p(3);
    const int32_t note_class = size_class(NoteFit.p(4));
    const NoteFitRecord unshifted = NoteFit;
    float best = kNoBeam;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = int_of(core::ItemStore(s));
        if (n < 3 || int_of(core::ItemStore(s + 1)) != kBeamCode) continue;
        if (int_of(core::ItemStore(s + 2)) != staff) continue;
        if (x < core::ItemStore(s + 3) - kReach || x > stored_param(s, n, 6) + kReach) continue;
        if (size_class(stored_param(s, n, 4)) != note_class) continue;
        BeamFit = BeamFitRecord{};
        copy_item_params(s, n, BeamFit.p);
        BeamFit.count = n;
        const int32_t p7 = int_of(BeamFit.p(7));
        if (p7 <= 0) continue;
        if (!moved && p7 / 10 != d && !forced) continue;
        PartialExtra1 = 0.0f;
        PartialExtra2 = 0.0f;
        fit_one_stem(d);
        NoteFit = unshifted;
        best = std::max(best, BeamFit.stem_length);
    }

    p(1) = 0.0f;
    if (best == kNoBeam) return;

    // A note moved to another staff keeps its head where it was drawn: the stem takes the
    // distance between the staves, with the sign of its direction.
    float shift = 0.0f;
    const int32_t old_staff = int_of(e(2));
    if (moved && in_staff_range(staff) && in_staff_range(old_staff) &&
        StaffTables.StaffScale(0) != 0.0f) {
        shift =
            static_cast<float>(StaffTables.StaffBaseY(staff) - StaffTables.StaffBaseY(old_staff)) /
            (StaffTables.StaffScale(0) * 7.0f);
        if (stem_digit(e(5)) == 2) shift = -shift;
    }

    float length = shift + best;
    if (e(15) != 0.0f) length /= e(15);
    p(1) = 8.0f;
    p(2) = length;
    p(3) = 900.0f;
    p(4) = -static_cast<float>(int_of(core::compute_real_mod(NoteFit.p(9), 10.0f)));
    p(5) = 0.0f;
}

}  // namespace layout
