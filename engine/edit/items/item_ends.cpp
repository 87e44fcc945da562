#include "engine/edit/items/item_ends.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::EditItemParams;
using core::ParamBuffer;

constexpr int32_t kNoteCode = 1;
constexpr int32_t kRestCode = 2;
constexpr int32_t kLineCode = 4;
constexpr int32_t kSlurCode = 5;
constexpr int32_t kBeamCode = 6;
constexpr int32_t kBarCode = 14;
constexpr int32_t kTextCode = 16;
constexpr float kTextMargin = 3.17f;
constexpr float kDashWriteFactor = 0.85714f;

float E(int k) { return EditItemParams(k); }
// Truncated toward zero; values of a damaged or typed record beyond the integers saturate.
int32_t trunc(float v) { return core::int_of(v); }
float rem(float a, float b) { return core::compute_real_mod(a, b); }

// One stored record, read in place: P(j) is 0.0 beyond its count.
struct Record {
    int32_t start = 0;
    int32_t n = 0;
    float p(int j) const { return j >= 1 && j <= n ? core::ItemStore(start + j) : 0.0f; }
    int32_t code() const { return trunc(p(1)); }
    int32_t staff() const { return trunc(p(2)); }
};

Record record_of_item(int32_t k) {
    Record r;
    r.start = core::ItemStartTable(k);
    r.n = trunc(core::ItemStore(r.start));
    return r;
}

Record record_at(int32_t start) {
    Record r;
    if (start < 1 || start > core::ItemWordsUsed) return r;
    r.start = start;
    r.n = trunc(core::ItemStore(start));
    return r;
}

// The raw scale of a staff (25 for a staff of size 1); staves outside the table count as 25.
float staff_scale(int32_t staff) {
    if (staff < 0 || staff > layout::kMaxStaves) return 25.0f;
    return layout::StaffTables.StaffScale(staff);
}

// Appends one pair when ParamBuffer has room for it and the end mark.
void append_pair(float p, float v) {
    int32_t& i = ItemEndsState.pair_index;
    if (i + 2 > ParamBuffer.size()) return;
    ParamBuffer(i) = p;
    ParamBuffer(i + 1) = v;
    i += 2;
}

void end_pair_list() {
    const int32_t i = ItemEndsState.pair_index;
    if (i >= 1 && i <= ParamBuffer.size()) ParamBuffer(i) = 0.0f;
}

bool is_candidate(const Record& r) {
    if (r.start == ItemEndsState.excluded_start) return false;
    if (r.n < 2 || r.staff() != ItemEndsState.search_staff) return false;
    const int32_t code = r.code();
    if (ItemEndsState.end_kind == 0) return code == kNoteCode || code == kRestCode;
    return code == kBarCode;
}

// The candidate of the search staff nearest to x (the earlier one on a tie); start 0 when none.
Record nearest_candidate(float x) {
    Record best;
    float best_distance = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of_item(k);
        if (!is_candidate(r)) continue;
        const float d = std::fabs(r.p(3) - x);
        if (best.start == 0 || d < best_distance) {
            best = r;
            best_distance = d;
        }
    }
    return best;
}

// Width factor of a standing number by its kind (P5), for centring it on a bar line.
float number_width_factor(int32_t k) {
    static const float kSmall[26] = {0.068f, 0.06f,  0.068f, 0.068f, 0.06f,  0.06f,  0.068f,
                                     0.068f, 0.032f, 0.032f, 0.068f, 0.056f, 0.084f, 0.068f,
                                     0.068f, 0.06f,  0.068f, 0.06f,  0.052f, 0.06f,  0.076f,
                                     0.076f, 0.092f, 0.068f, 0.068f, 0.064f};
    static const float kLarge[26] = {0.044f, 0.052f, 0.044f, 0.048f, 0.044f, 0.044f, 0.048f,
                                     0.048f, 0.028f, 0.024f, 0.044f, 0.028f, 0.08f,  0.048f,
                                     0.052f, 0.052f, 0.052f, 0.044f, 0.036f, 0.032f, 0.048f,
                                     0.052f, 0.076f, 0.044f, 0.048f, 0.044f};
    if (k >= 1001 && k <= 1026) return kSmall[k - 1001];
    if (k >= 2001 && k <= 2026) return kLarge[k - 2001];
    if (k == 101 || k == 111) return 0.14f;
    if (k > 99) return 0.148f;
    if (k == 11) return 0.084f;
    if (k >= 10) return 0.096f;
    if (k >= 2) return 0.046f;
    return 0.038f;
}

// Mode M: a number, bar line, key signature or meter moves onto the nearest bar line of its
// staff within 15.0; numbers, key signatures and meters also get the centring shift P15.
void centre_on_bar_line() {
    const int32_t code = trunc(E(1));
    if (code != 10 && code != kBarCode && code != 17 && code != 18) return;
    const float size = staff_scale(trunc(E(2)));
    float s = 1.0f;
    float v = 0.0f;
    if (code == 10 || code == kBarCode) {
        s = rem(E(6), 100.0f);
        if (s == 0.0f) s = 1.0f;
    } else if (code == 17) {
        v = -((std::fabs(rem(E(5), 100.0f)) * size / 25.0f) * 2.82f - 1.6f) * 0.5f;
        if (E(7) != 0.0f) v *= E(7);
    } else {
        s = E(7) != 0.0f ? E(7) : 1.0f;
    }
    if (s * E(4) < 2.0f) return;
    if (code == 18 && ParamBuffer(8) != 0.0f) {
        core::leave_reply(core::ReplyKind::Failure, "*** Cannot center double meters");
        return;
    }

    const int32_t bar_staff = trunc(ParamBuffer(2));
    const int32_t target = trunc(E(2) + 1.0f);
    Record best;
    float best_distance = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of_item(k);
        if (r.start == ItemEndsState.excluded_start || r.code() != kBarCode || r.n < 3) continue;
        if (code == kBarCode) {
            if (r.staff() != bar_staff) continue;
        } else {
            const float span = r.n >= 4 && r.p(4) != 0.0f ? r.p(4) : 1.0f;
            if (r.staff() >= target || trunc(r.p(2) + span) != target) continue;
        }
        const float d = std::fabs(E(3) - r.p(3));
        if (best.start == 0 || d <= best_distance) {
            best = r;
            best_distance = d;
        }
    }
    if (best.start == 0 || best_distance > 15.0f) return;

    append_pair(3.0f, best.p(3));
    if (code == 10 || code == 18) {
        float c = 0.0f;
        if (code == 18) {
            c = 0.066f;
            if (E(5) < 98.0f && (E(5) > 19.0f || E(6) > 19.0f)) {
                c = 0.132f;
            } else if (E(5) < 98.0f && (E(5) > 9.0f || E(6) > 9.0f)) {
                c = 0.122f;
            }
        } else {
            c = number_width_factor(trunc(E(5)));
        }
        v = -(s * c * size);
    }
    if (code != kBarCode) append_pair(15.0f, v);
}

// The stem-end pair of a beam drawn from the stems (E7 < 0) on a note of stem kind 2 or 3:
// P14 = the stem-end offset. Returns whether it applied.
bool append_stem_end_pair(const Record& note, float v, float p) {
    if (note.code() != kNoteCode || note.n <= 5) return false;
    if (note.p(6) != 2.0f && note.p(6) != 3.0f) return false;
    float h = E(7) < -10.0f ? 1.6f : -1.23f;
    if (note.n > 9) {
        const float p10 = note.p(10);
        if (p10 == 10.0f) {
            h += 3.26f;
        } else if (p10 == 20.0f) {
            h -= 3.26f;
        } else if (p10 != 0.0f) {
            h += p10;
        }
    }
    append_pair(p, v);
    append_pair(14.0f, h);
    return true;
}

// The main path: left end, right end, slur heights, extra points of lines, beams and trills.
void attach_to_notes(int32_t highest) {
    const int32_t code = trunc(E(1));
    ItemEndsState.pair_index = 1;
    ItemEndsState.end_kind = 0;
    if (code == kSlurCode && (trunc(E(8)) == 1 || trunc(E(8)) == 2)) {
        ItemEndsState.end_kind = trunc(E(8));
    }

    int32_t left = 0;
    int32_t right = 0;
    const bool left_on_note = snap_end_to_nearest_note(3.0f, E(3), left);

    const bool ends_apply = code >= 4 && code <= 7 &&
                            !(code == kLineCode && E(7) < 0.0f && E(6) == 0.0f) &&
                            !(code == kBeamCode && E(7) < 0.0f && E(11) == 0.0f);
    if (ends_apply) {
        const float left_value = ParamBuffer(2);
        if (ItemEndsState.end_kind == 0 && left_on_note && left_value >= E(6)) {
            // The item would end before it starts: hang it in from the left of that note.
            ItemEndsState.pair_index = 1;
            append_pair(6.0f, left_value);
            append_pair(3.0f, left_value - (E(8) <= -2.0f ? 9.0f : 4.0f));
        } else {
            float x = E(6);
            snap_end_to_nearest_note(6.0f, x, right);
            while (retry_right_end(x) == 1) snap_end_to_nearest_note(6.0f, x, right);
        }

        if (code == kSlurCode) {
            if (left != 0 && left == right) {
                const float h = rem(record_at(left).p(4), 100.0f) + (E(7) >= 0.0f ? 1.0f : -1.0f);
                append_pair(4.0f, h);
                append_pair(5.0f, h);
            } else if (core::CommandModeLetters(2) == 'V') {
                fit_slur_end_heights(left, right);
                const int32_t kind = trunc(E(8));
                if ((kind == -2 || kind == -3) && ItemEndsState.pair_index > 8) {
                    const float shift = E(7) >= 0.0f ? -1.3f : 1.7f;
                    ParamBuffer(6) += shift;
                    ParamBuffer(8) += shift;
                }
            }
        }

        if (code != kSlurCode && (rem(E(7), 10.0f) != 0.0f || E(11) != 0.0f)) {
            const int32_t last = std::min(E(7) < 0.0f ? 11 : 15, highest);
            for (int32_t k = 11; k <= last; ++k) {
                if (k == 13 || E(k) <= 0.0f) continue;
                float x = E(k);
                int32_t found = 0;
                snap_end_to_nearest_note(static_cast<float>(k), x, found);
                if (k == 12 || k == 15) {
                    while (retry_right_end(x) == 1) {
                        snap_end_to_nearest_note(static_cast<float>(k), x, found);
                    }
                }
            }
        }
    }
    end_pair_list();
}

// The note of the search staff nearest to x (the later one on a tie); start 0 when none.
Record nearest_note_on_staff(float x) {
    Record best;
    float best_distance = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of_item(k);
        if (r.start == ItemEndsState.excluded_start || r.code() != kNoteCode) continue;
        if (r.staff() != ItemEndsState.search_staff) continue;
        const float d = std::fabs(r.p(3) - x);
        if (best.start == 0 || d <= best_distance) {
            best = r;
            best_distance = d;
        }
    }
    return best;
}

// The other end of a mode-N slur goes to the note nearest the slur's own end p (3 or 6): the
// second pair of the list.
void snap_to_nearest_note_on_staff(int32_t p) {
    const Record note = nearest_note_on_staff(E(p));
    if (note.start == 0 || note.p(3) == 0.0f) return;
    append_pair(static_cast<float>(p), note.p(3));
}

// A slur that ends at the last bar line of the staff (or one reaching down to it).
void slur_to_last_bar_line() {
    const int32_t staff = ItemEndsState.search_staff;
    Record best;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of_item(k);
        if (r.start == ItemEndsState.excluded_start || r.code() != kBarCode || r.n < 3) continue;
        const bool on_staff = r.staff() == staff;
        const bool reaching =
            r.n > 3 && r.staff() <= staff && static_cast<float>(staff) <= r.p(2) + r.p(4) - 1.0f;
        if (!on_staff && !reaching) continue;
        if (best.start == 0 || r.p(3) > best.p(3)) best = r;
    }
    if (best.start == 0) return;
    float v = best.p(3);
    if (E(8) == -1.0f) v -= 0.6f + staff_scale(staff) * 0.056f;
    append_pair(6.0f, v);
    snap_to_nearest_note_on_staff(3);
}

// A slur that starts before the first note of the staff.
void slur_from_first_note() {
    const int32_t staff = ItemEndsState.search_staff;
    Record first;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of_item(k);
        if (r.start == ItemEndsState.excluded_start || r.code() != kNoteCode) continue;
        if (r.staff() != staff) continue;
        if (first.start == 0 || r.p(3) <= first.p(3)) first = r;
    }
    if (first.start == 0) return;
    const float size = staff_scale(staff);
    float w = size * 0.2f;
    if (E(8) < -1.0f) w = std::max(size * 0.38f, 6.0f);
    append_pair(3.0f, first.p(3) - w);
    snap_to_nearest_note_on_staff(6);
}

// What the text-continuation fit found: the texts either side and the line's geometry.
struct TextLineFit {
    bool found = false;
    bool dashed = false;
    float left = 0.0f;    // P3
    float height = 0.0f;  // P4 and P5
    float right = 0.0f;   // P6
    float dash = 0.0f;    // P8 (dashed lines)
    float gap = 0.0f;     // P9 (dashed lines)
};

// The geometry of a line (E2 staff, E3 left, E4 height, E7 kind, E14 dash count) between the
// text items around it.
TextLineFit measure_line_between_texts() {
    TextLineFit fit;
    const int32_t staff = trunc(E(2));
    Record left_text;
    Record right_text;
    float left_end = 0.0f;
    float right_end = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const Record r = record_of_item(k);
        if (r.code() != kTextCode || r.staff() != staff) continue;
        if (std::fabs(r.p(4) - E(4)) > 1.9f) continue;
        const float e = r.p(3) + r.p(11);
        if (e <= E(3)) {
            if (left_text.start == 0 || e >= left_end) {
                left_text = r;
                left_end = e;
            }
        } else if (right_text.start == 0 || e < right_end) {
            right_text = r;
            right_end = e;
        }
    }
    if (left_text.start == 0 && right_text.start == 0) return fit;

    const Record& t = left_text.start != 0 ? left_text : right_text;
    const float f = staff_scale(t.staff()) / 25.0f;
    const float g = f * (t.p(6) != 0.0f ? t.p(6) : 1.0f);
    float x0 = left_text.start != 0 ? std::max(left_end + left_text.p(13), 0.0f) : 0.0f;
    // With no text to the right the line runs to the page's last position.
    const float x1 = right_text.start != 0 ? std::min(right_end, 201.0f) : 201.0f;
    float r = x1 - kTextMargin * g;
    float height = t.p(4);
    float first_x0 = x0;

    fit.found = true;
    fit.dashed = E(7) != 0.0f;
    if (fit.dashed) {
        const float dash = core::LyricDashSize;
        const float length = x1 - x0 - kTextMargin * g;
        int32_t count = static_cast<int32_t>(
            std::min<int64_t>(int64_t{trunc(length / (25.0f * g))} + 1, INT32_MAX));
        if (E(14) != 0.0f) count = trunc(E(14));
        const int32_t limit = core::LyricDashCount;
        if (limit > 0 && core::EditedItemNumber == 0 && limit < count) count = limit;
        const float gap =
            (length - dash * static_cast<float>(count) * g) / (static_cast<float>(count) + 1.0f);
        x0 += gap;
        r += 0.2f * f;
        fit.dash = g * dash * kDashWriteFactor;
        fit.gap = gap * kDashWriteFactor / f;
        height = t.p(4) + 0.8f * g;
    } else {
        Record last_note;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const Record n = record_of_item(k);
            if (n.code() != kNoteCode || n.staff() != staff || n.p(3) > r - 4.0f * f) continue;
            if (last_note.start == 0 || n.p(3) > last_note.p(3)) last_note = n;
        }
        if (last_note.start != 0) {
            const float c = last_note.p(3) + 4.0f * f;
            if (c < r && c > x0 + 2.0f * f) r = c;
        }
    }
    fit.left = x0 + 1.5f * f;
    if (fit.dashed) fit.left = std::max(fit.left, first_x0 + 0.1f * f);
    if (r - x0 < 0.2f) r = x0 + 0.02f;
    fit.right = r;
    fit.height = height;
    return fit;
}

}  // namespace

void merge_end_flag(int32_t& flag, int32_t end) { flag = flag == 0 ? end : 3; }

bool snap_end_to_nearest_note(float p, float x, int32_t& found) {
    found = 0;
    const int32_t kind = ItemEndsState.end_kind;
    const int32_t first = ItemEndsState.pair_index == 1;
    const float extent = render::PageExtent;
    Record r = nearest_candidate(x);
    if (r.start == 0) return false;

    float value = 0.0f;
    for (;;) {
        float v = r.n >= 3 ? r.p(3) : 0.0f;
        const int32_t code = trunc(E(1));
        const float size = staff_scale(ItemEndsState.search_staff);
        if (code == kBeamCode && E(20) == 0.0f && r.n >= 20 && r.p(7) < 20.0f && r.p(20) != 0.0f) {
            v += (size * 2.8333f / 25.0f) * (r.p(20) - 1.0f);
        }
        if (code == kBeamCode && E(7) < 0.0f && append_stem_end_pair(r, v, p)) {
            found = r.start;
            return kind == 0;
        }

        bool go_on = false;
        const float bar_size = staff_scale(r.staff()) / 25.0f;
        if (kind == 0) {
            value = v;
        } else if (kind == 1) {
            if (first) {
                value = r.n > 4 && r.p(5) == 3.0f ? E(3) : v;
            } else if (v == 0.0f) {
                go_on = true;
            } else {
                value = v - 2.3f * bar_size;
            }
        } else if (first) {
            value = r.n < 5 || r.p(5) != 3.0f ? E(3) : v - 1.0f * bar_size;
        } else if (v > ParamBuffer(2) + 4.0f) {
            value = v;
        } else {
            go_on = true;
        }
        if (!go_on) break;
        x += 2.0f;
        if (x > extent) {
            value = std::min(E(6), extent);
            break;
        }
        r = nearest_candidate(x);
    }
    append_pair(p, value);
    found = r.start;
    return kind == 0;
}

int32_t retry_right_end(float& x) {
    const int32_t i = ItemEndsState.pair_index;
    if (i < 5) return 0;
    if (ParamBuffer(i - 1) != ParamBuffer(i - 3)) return 0;
    const float earlier = ParamBuffer(i - 4);
    if (earlier == 6.0f || earlier == 12.0f) return 0;
    x += 2.0f;
    if (x >= render::PageExtent - 0.5f) {
        ParamBuffer(i - 1) = render::PageExtent;
        return 0;
    }
    ItemEndsState.pair_index -= 2;
    return 1;
}

float note_end_height(int32_t start) {
    const Record note = record_at(start);
    const float base = rem(note.p(4), 100.0f);
    const int32_t d = trunc(note.p(5)) % 100;
    float e = note.n > 7 ? rem(note.p(8), 100.0f) : 0.0f;
    if (d < 10) e = -6.0f;
    if (note.n > 8) {
        const int32_t flags = trunc(rem(note.p(9), 10.0f)) - 1;
        if (flags > 0) e += 2.0f * static_cast<float>(flags);
    }
    const bool cue = std::fabs(note.p(4)) >= 100.0f;
    float offset = 0.0f;
    if (E(7) < 0.0f) {
        offset = d < 20 ? -2.0f : -8.4f - e;
    } else {
        offset = d > 19 ? 2.0f : e + 8.4f;
    }
    if (cue && offset != 2.0f && offset != -2.0f) offset *= 0.6f;
    return base + offset;
}

void fit_slur_end_heights(int32_t left, int32_t right) {
    const bool below = E(7) < 0.0f;
    const int32_t ends[2] = {left, right};
    for (int end = 0; end < 2; ++end) {
        const Record note = record_at(ends[end]);
        if (note.start == 0 || note.code() != kNoteCode) continue;
        float h = note_end_height(note.start);
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const Record other = record_of_item(k);
            if (other.start == note.start || other.code() != kNoteCode) continue;
            if (other.staff() != note.staff() || other.p(3) != note.p(3)) continue;
            const float oh = note_end_height(other.start);
            h = below ? std::min(h, oh) : std::max(h, oh);
        }
        h = make_position_even(h, below ? 20 : 10);
        append_pair(end == 0 ? 4.0f : 5.0f, h);
    }
}

void compute_slur_curvature() {
    if (E(8) >= 1.0f) return;
    float length = E(6) - E(3);
    if (E(8) > -4.0f && E(8) < -1.0f) length += 2.0f * E(8);
    float c = length / 20.0f + 0.9f + std::fabs(E(5) - E(4)) * 0.1f;
    if (E(7) < 0.0f) c = -c;
    ItemEndsState.pair_index = 1;
    append_pair(7.0f, c);
    end_pair_list();
}

bool fit_line_between_texts() {
    if (trunc(E(1)) != kLineCode) return false;
    const TextLineFit fit = measure_line_between_texts();
    if (!fit.found) return false;
    ItemEndsState.pair_index = 1;
    append_pair(3.0f, fit.left);
    append_pair(4.0f, fit.height);
    append_pair(5.0f, fit.height);
    append_pair(6.0f, fit.right);
    if (fit.dashed) {
        append_pair(8.0f, fit.dash);
        append_pair(9.0f, fit.gap);
    }
    end_pair_list();
    return true;
}

void refit_lines_on_staff() {
    const float wanted = ParamBuffer(2);
    const bool every_staff = wanted > static_cast<float>(layout::MaxStaffNumber);
    const int32_t staff = trunc(wanted);
    const int32_t limit = core::LyricDashCount;
    const bool limited = limit > 0 && core::EditedItemNumber == 0;
    core::save_undo_copy();

    // The fit works in EditItemParams; the edited item's copy there must survive it.
    const core::Array1<float, 50> kept = EditItemParams;
    bool changed = false;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        Record r = record_of_item(k);
        if (r.code() != kLineCode || r.n <= 5 || r.p(4) != r.p(5)) continue;
        if (!every_staff && r.staff() != staff) continue;
        if (r.n >= 11 && r.n != 14) continue;
        EditItemParams.fill(0.0f);
        EditItemParams(1) = static_cast<float>(kLineCode);
        EditItemParams(2) = r.p(2);
        EditItemParams(3) = r.p(3);
        EditItemParams(4) = r.p(4);
        EditItemParams(7) = r.n > 6 ? r.p(7) : 0.0f;
        EditItemParams(14) = r.n > 13 && !limited ? r.p(14) : 0.0f;
        const bool dashed = EditItemParams(7) != 0.0f;
        if (dashed && limited && r.n < 14) {
            if (!core::resize_item(k, 14.0f)) continue;  // no room: the line stays as it is
            r = record_of_item(k);
        }
        if (dashed && limited) core::ItemStore(r.start + 14) = EditItemParams(14);

        const TextLineFit fit = measure_line_between_texts();
        if (!fit.found) continue;
        core::ItemStore(r.start + 3) = fit.left;
        core::ItemStore(r.start + 4) = fit.height;
        core::ItemStore(r.start + 5) = fit.height;
        core::ItemStore(r.start + 6) = fit.right;
        if (fit.dashed && r.n > 6) {
            if (r.n >= 8) core::ItemStore(r.start + 8) = fit.dash;
            if (r.n >= 9) core::ItemStore(r.start + 9) = fit.gap;
        }
        changed = true;
    }
    EditItemParams = kept;
    if (changed) render::redraw_items();
}

void attach_item_ends(int32_t start, int32_t highest) {
    ItemEndsState = ItemEndsStateRecord{};
    ItemEndsState.excluded_start = start;
    ItemEndsState.search_staff = trunc(E(2));
    const int32_t code = trunc(E(1));
    switch (core::CommandModeLetters(2)) {
        case 'V':
            attach_to_notes(highest);
            return;
        case 'M':
            centre_on_bar_line();
            end_pair_list();
            return;
        case 'R':
            if (code == kSlurCode) compute_slur_curvature();
            return;
        case 'D':
            fit_line_between_texts();
            return;
        case 'N': {
            const int32_t typed = trunc(ParamBuffer(2));
            if (typed != 0) ItemEndsState.search_staff = typed;
            if (code == kSlurCode && core::CommandLine(3) == 'R') {
                slur_to_last_bar_line();
                end_pair_list();
            } else if (code == kSlurCode && core::CommandLine(3) == 'L') {
                slur_from_first_note();
                end_pair_list();
            } else {
                attach_to_notes(highest);
            }
            return;
        }
        default:
            return;
    }
}

}  // namespace edit
