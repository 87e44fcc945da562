// The one mark a note carries (P11): articulation glyphs, staccato dots, small accidentals
// above the note, trills, fingering numbers, tremolo strokes and the level bar of mark 99.
#include <algorithm>
#include <array>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/render/notes/beams.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

using note_detail::kPostScriptPass;
using note_detail::magnitude;
using note_detail::note_mark_placement;
using note_detail::paint_note_glyph;
using note_detail::set_note_word;

namespace {

constexpr int32_t kStaccato = 7;
constexpr int32_t kBarMark = 99;
constexpr int32_t kFirstFingering = 30;
constexpr int32_t kBeamCode = 6;

// Where the mark stands, worked out before it is drawn.
struct MarkPlace {
    int32_t m = 0;      // the mark (26..28 become 7)
    int32_t extra = 0;  // further staccato dots
    float x = 0.0f;     // xm
    float y = 0.0f;     // the head's y + e2
    float z = 1.0f;     // size
    float z2 = 1.0f;    // second size (negative = mirrored)
    bool up = true;     // direction after the placement
};

// The level bar of mark 99: a filled outline from x + 13.8 s (or the mark's x when P13 is given)
// to x + P14 (P3 units, 0 = 10), 5.6 s high about the head's centre. As the box drawer's corner
// routine does, the PostScript pass repeats the second corner at the end.
void draw_mark_bar(float xm) {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const float x1 = p(13) != 0.0f ? xm : n.x + 13.8f * n.s;
    const float x2 = n.x + (p(14) == 0.0f ? 10.0f : p(14)) * 150.0f;
    const float y1 = n.y - 2.8f * n.s;
    const float y2 = n.y + 2.8f * n.s;
    add_path_point(x1, y1, 2);
    add_path_point(x2, y1, 0);
    add_path_point(x2, y2, 0);
    add_path_point(x1, y2, 0);
    add_path_point(x1, y1, 0);
    if (OutputPassWord == kPostScriptPass) add_path_point(x2, y1, 0);
}

// Size, place and direction of the mark by its placement (NoteMarkPlacementTable), the stem
// and P13, P14, P18 and P11's fraction.
MarkPlace place_mark() {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const int32_t p11 = core::IntParamBuffer(11);
    MarkPlace mp;
    mp.m = magnitude(p11);
    mp.x = n.x + p(13) * 150.0f;
    const float s = n.s;
    const float h = n.h;
    if (mp.m == kStaccato || (mp.m >= 26 && mp.m <= 28)) {
        static constexpr std::array<float, 4> kDotShift = {2.0f, -2.3f, -6.6f, -10.9f};
        mp.extra = mp.m >= 26 ? mp.m - 25 : 0;
        mp.m = kStaccato;
        mp.z = 0.72f;
        mp.x += s * kDotShift[static_cast<std::size_t>(mp.extra)];
    }
    if (p(18) != 0.0f) mp.z *= p(18);
    mp.z2 = mp.z;

    const int32_t placement = note_mark_placement(mp.m);
    const float stem = n.stem_length;
    // Step 0 of the staff the note stands on (after a cross-staff move), less the head's y.
    const float to_base = -core::amod(p(4), 100.0f) * h;
    mp.up = n.stem_direction != 2;
    float e2 = 2.0f * h;
    if (placement == 1) {
        if (p(11) < 0.0f) {
            e2 = 3.0f * h - 6.0f * h;
            if (!mp.up) e2 += stem + h;
            e2 = std::min(e2, h + to_base);
            mp.up = false;
            if (p11 == -14) mp.z2 = -mp.z;
        } else {
            e2 = 3.0f * h;
            if (mp.up) e2 += stem - h;
            e2 = std::max(e2, 13.0f * h + to_base);
            mp.up = true;
        }
    } else {
        if (mp.up) e2 = -e2;
        if (p(11) <= 0.0f && mp.m < kFirstFingering) {
            e2 -= (mp.up ? 1.0f : -1.0f) * h * 0.5f * n.scale / s;
            e2 = stem - e2;
        }
        if ((mp.up && p(11) > 0.0f) || (!mp.up && p(11) <= 0.0f)) mp.z2 = -mp.z;
    }
    const bool sits_in_space = mp.m == 25 || mp.m == kStaccato || mp.m == 6;
    if (sits_in_space && p(11) >= 0.0f && n.position % 2 != 0) {
        if (!mp.up && n.position < 10) e2 += h;
        if (mp.up && n.position > 4) e2 -= h;
    }
    if (p(14) != 0.0f) {
        e2 += p(14) * h;
    } else {
        float extra = core::amod(p(11), 1.0f) * 10.0f * h;
        if (mp.up && placement != 1) extra = -extra;
        e2 += extra;
    }
    mp.y = n.y + e2;
    return mp;
}

// A trill sign (marks 20..23 with the accidental m - 20, 29 without) through the ornament
// drawer, standing at the mark's place.
void draw_trill_mark(const MarkPlace& mp) {
    const note_detail::ParkedNoteWords parked;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    set_note_word(5, mp.z);
    set_note_word(6, 0.0f);
    set_note_word(7, 0.0f);
    set_note_word(8, static_cast<float>(mp.m - 20));
    ItemDrawOrigin.x = mp.x;
    ItemDrawOrigin.y = mp.y - NoteWork.h;
    draw_trill_item();
    ItemDrawOrigin = origin;
}

// A fingering number m - 30 through the number drawer, as a clean number item (the note's own
// words would read there as decimals, frames and suffixes) in the note's colour.
void draw_fingering(const MarkPlace& mp) {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const float size = 0.7f * (p(18) == 0.0f ? 1.0f : p(18));
    const float staff = p(2);
    const float colour = p(26);
    const float x = mp.x + 4.0f * n.s;
    float y = mp.y - n.h / 2.0f;
    if (mp.up) y -= n.h;
    int32_t value = mp.m - kFirstFingering;
    const note_detail::ParkedNoteWords parked;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    for (int32_t k = 1; k <= 50; ++k) set_note_word(k, 0.0f);
    set_note_word(1, 10.0f);
    set_note_word(2, staff);
    set_note_word(3, x / 150.0f);
    set_note_word(4, (y - n.y) / n.h + static_cast<float>(n.position));
    set_note_word(5, static_cast<float>(value));
    set_note_word(6, size);
    set_note_word(26, colour);
    ItemDrawOrigin.x = x;
    ItemDrawOrigin.y = y;
    draw_number_item(value);
    ItemDrawOrigin = origin;
}

// Tremolo strokes (marks 41..44): a temporary beam item marked for the beam drawer, 5 steps
// (6 for 42..44) above an up-stemmed note or below a down-stemmed one, drawn by the registered
// Code 6 drawer with its first end at the origin.
void draw_tremolo(int32_t m) {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const ItemDrawer beam = registered_item_drawer(kBeamCode);
    if (beam == nullptr) return;
    const bool down = n.stem_direction == 2;
    float lift = m == 41 ? 5.0f : 6.0f;
    if (down) lift = -lift;
    const float staff = p(2);
    const float x = n.x / 150.0f + p(13);
    const float pos = p(4) + p(14) + lift;
    const float y = n.y + (p(14) + lift) * n.h;
    const note_detail::ParkedNoteWords parked;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    for (int32_t k = 1; k <= 50; ++k) set_note_word(k, 0.0f);
    set_note_word(1, static_cast<float>(kBeamCode));
    core::IntParamBuffer(1) = kTremoloBeamMark;
    set_note_word(2, staff);
    set_note_word(3, x);
    set_note_word(4, pos);
    set_note_word(7, down ? -20.0f : -10.0f);
    set_note_word(10, static_cast<float>(m - kFirstFingering));
    set_note_word(12, 3.0f);
    set_note_word(17, 0.7f);
    ItemDrawOrigin.x = x * 150.0f;
    ItemDrawOrigin.y = y;
    beam();
    ItemDrawOrigin = origin;
}

}  // namespace

// Contract: draws the mark |integer of P11| of the note in NoteWork (see place_mark for where):
// glyphs (1..3 small accidentals, 4..19, 24, 25, staccato 7 and 26..28 with 1..3 more dots) at
// the note's size through the glyph painter, trills (20..23, 29), fingerings (30 and above),
// tremolo strokes (41..44) and the bar (99). ParamBuffer, IntParamBuffer and ItemDrawOrigin
// come back as they were; the nested drawers that are not registered draw nothing.
void draw_note_mark() {
    const auto& n = NoteWork;
    const int32_t m = magnitude(core::IntParamBuffer(11));
    const float xm = n.x + core::ParamBuffer(13) * 150.0f;
    if (m == kBarMark) {
        draw_mark_bar(xm);
        return;
    }
    MarkPlace mp = place_mark();
    int32_t kind = -1;
    if (mp.m < 4) {
        kind = mp.m + 5;
        mp.x += 18.0f * n.s;
        mp.z *= 0.65f;
        mp.z2 = mp.z;
    } else if (mp.m < 20) {
        kind = mp.m + 17;
    } else if (mp.m == 24) {
        kind = 38;
    } else if (mp.m == 25) {
        kind = 119;
    }
    if (kind >= 0) {
        const float x = mp.x + (n.head_factor * 8.5f - 8.5f) * n.s;
        for (int32_t i = 0; i <= mp.extra; ++i) {
            paint_note_glyph(kind, x + static_cast<float>(i) * 8.6f * n.s, mp.y, mp.z, mp.z2);
        }
    } else if ((mp.m >= 20 && mp.m <= 23) || mp.m == 29) {
        draw_trill_mark(mp);
    } else if (mp.m >= 41 && mp.m <= 44) {
        draw_tremolo(mp.m);
    } else {
        draw_fingering(mp);
    }
}

}  // namespace render
