#include "engine/render/notes/notes.h"

#include <cstdlib>
#include <limits>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/tab_numbers.h"

namespace render {

HeadOutlineCacheRecord HeadOutlineCache;
NoteWorkRecord NoteWork;

namespace {

constexpr int32_t kNoteCode = 1;
constexpr int32_t kParkedWords = 50;
// IP10 of this value asks the tablature routine to compute string and fret without drawing.
constexpr int32_t kTabComputeMode = 999;

core::Array1<int32_t, 25> make_placement_table() {
    constexpr int32_t kValues[25] = {1, 1, 1, -1, 0, 0,  0, -1, -1, -1, 1, 1, 1,
                                     1, 1, 1, 1,  1, -1, 1, 1,  1,  1,  1, -1};
    core::Array1<int32_t, 25> t;
    for (int32_t m = 1; m <= 25; ++m) t(m) = kValues[m - 1];
    return t;
}

// ParamBuffer P1..P50 parked for the whole note: the drawer rewrites P10 and P17 and its nested
// drawers others, and the stored values must come back for the hand-over after it.
class ParkedRealWords {
  public:
    ParkedRealWords() { core::push_words(kParkedWords, core::ParamBuffer.at(1)); }
    ~ParkedRealWords() { core::pop_words(kParkedWords, core::ParamBuffer.at(1)); }
    ParkedRealWords(const ParkedRealWords&) = delete;
    ParkedRealWords& operator=(const ParkedRealWords&) = delete;
};

// A tablature note is drawn by the editing commands' fret routine alone. IP10 = 999 would put
// that routine into its computing mode (drawing nothing), so a head shift of 999 is not passed
// on as that request.
void hand_to_tablature() {
    auto& ip = core::IntParamBuffer;
    const int32_t saved = ip(10);
    if (saved == kTabComputeMode) ip(10) = 0;
    draw_tab_fret_numbers();
    ip(10) = saved;
}

}  // namespace

const core::Array1<int32_t, 25> NoteMarkPlacementTable = make_placement_table();

namespace note_detail {

int32_t magnitude(int32_t v) {
    if (v == std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::max();
    return v < 0 ? -v : v;
}

int32_t note_mark_placement(int32_t m) {
    if (m < 1 || m > 25) return 0;
    return NoteMarkPlacementTable(m);
}

StaffScaleOverride::StaffScaleOverride(float scale)
    : staff_(layout::StaffTables.CurrentStaff), saved_(layout::StaffTables.StaffScale(staff_)) {
    layout::StaffTables.StaffScale(staff_) = scale;
}

StaffScaleOverride::~StaffScaleOverride() { layout::StaffTables.StaffScale(staff_) = saved_; }

ParkedNoteWords::ParkedNoteWords() {
    core::push_words(kParkedWords, core::ParamBuffer.at(1));
    core::push_words(kParkedWords, core::IntParamBuffer.at(1));
}

ParkedNoteWords::~ParkedNoteWords() {
    core::pop_words(kParkedWords, core::IntParamBuffer.at(1));
    core::pop_words(kParkedWords, core::ParamBuffer.at(1));
}

void set_note_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

void paint_note_glyph(int32_t kind, float x, float y, float size1, float size2) {
    StaffScaleOverride scale(NoteWork.s);
    int32_t k = kind;
    draw_clef_item(x, y, k, size1, size2);
}

void draw_note_symbol(int32_t number, float x, float y, float size_x, float size_y) {
    // Library drawing files hold symbols 0..9999; a kind beyond them names no drawing.
    constexpr int32_t kLastSymbol = 9999;
    if (number < 0 || number > kLastSymbol) return;
    StaffScaleOverride scale(NoteWork.s);
    draw_library_symbol(x, y, number, size_x, size_y, 0, 0.0f, 0);
}

// Contract: see the header. Reads ParamBuffer P2, P4, P6, P10, P12, P15, P20 and StaffTables
// (the current staff's scale, the base y of P2 and of the cross-staff target); writes NoteWork.
// A cross-staff target outside staves 1..256 (or a P2 outside 0..256) leaves y unmoved.
void measure_note(float origin_x, float origin_y) {
    const auto& p = core::ParamBuffer;
    auto& n = NoteWork;
    const auto& staves = layout::StaffTables;
    n.staff = core::int_of(p(2));
    const float staff_scale = staves.StaffScale(staves.CurrentStaff);
    n.h = 7.0f * staff_scale;

    const int32_t ip4 = core::int_of(p(4));
    const int32_t hundreds = magnitude(ip4) / 100;
    n.position = hundreds != 0 ? ip4 % 100 : ip4;
    n.cue = hundreds == 1;
    n.head_factor = p(20) == 0.0f ? 1.0f : p(20);
    n.scale = staff_scale;
    if (p(15) != 0.0f) {
        n.scale = staff_scale * p(15);
        n.cue = false;
    }
    n.s = n.cue ? n.scale * 0.6f : n.scale;

    int32_t k = core::int_of(p(6));
    if (k == -3) k = 3;
    n.head_kind = k;
    const int32_t wide = k % 1000;
    n.w = n.s * ((wide == 2 || wide == 3) ? 19.0f : 17.0f) * n.head_factor;

    const int32_t ip10 = core::int_of(p(10));
    float d = 0.0f;
    if (ip10 == 10 || ip10 == 110) {
        d = n.w;
    } else if (ip10 == 20) {
        d = -n.w;
    } else if (p(10) != 0.0f) {
        d = p(10) * 6.0f * n.scale;
    }
    n.shift = d;
    n.x = origin_x + d;
    n.accidental_stays = ip10 == 10;

    int32_t cross = core::int_of(p(12));
    n.ledger_start = 0;
    if (magnitude(cross) > 99) {
        n.ledger_start = cross / 100;
        cross = magnitude(cross % 100);
    }
    n.cross_dy = 0.0f;
    if (cross > 0 && n.staff >= 0 && n.staff <= layout::kMaxStaves) {
        const int64_t target = static_cast<int64_t>(n.staff) - 2 * static_cast<int64_t>(cross) + 3;
        if (target > 0 && target <= layout::kMaxStaves) {
            n.cross_dy = static_cast<float>(staff_base_y(static_cast<int32_t>(target)) -
                                            staff_base_y(n.staff));
        }
    }
    n.y = origin_y + n.cross_dy;
}

}  // namespace note_detail

using note_detail::magnitude;

// Contract: see the header. Order: working values, tablature hand-over, ledger lines, head,
// stem, flags, accidental, dots, mark. Reads and rewrites IntParamBuffer as the header says;
// ParamBuffer is parked on SaveStack for the whole drawing.
void draw_note_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    auto& n = NoteWork;
    const ParkedRealWords parked;
    n = NoteWorkRecord{};
    note_detail::measure_note(ItemDrawOrigin.x, ItemDrawOrigin.y);
    ip(4) = n.position;
    if (ip(10) == 110) {
        ip(10) = 10;
        p(10) = 10.0f;
    }
    if (is_tab_tuning_code(ip(6))) {
        hand_to_tablature();
        return;
    }
    ip(10) = 0;

    n.flags = ip(9) < 0 ? 0 : ip(9) % 10;
    n.accidental = magnitude(ip(5)) % 100;
    n.stem_code = n.accidental / 10;
    n.stem_direction = n.stem_code == 2 ? 2 : 1;
    if (n.stem_code == 0) n.stem_direction = n.position >= 7 ? 2 : 1;

    if (ip(30) != 0 || (ip(7) > -2 && (n.position < 2 || n.position > 12 || n.ledger_start != 0))) {
        draw_ledger_lines();
    }
    if (n.head_kind >= 0 || n.head_kind < -19) draw_note_head();
    if (n.stem_code != 0) draw_note_stem();
    if (n.flags != 0) draw_note_flags();
    if (n.accidental % 10 != 0) draw_note_accidental();
    if (ip(9) > 9) draw_note_dots();
    if (ip(11) != 0) {
        // The symbol drawer takes IP10 as the mark's line width in PostScript output.
        if (OutputPassWord < 0) ip(10) = ip(28);
        draw_note_mark();
        ip(1) = kNoteCode;
        ip(10) = 0;
    }
}

void reset_head_outline_cache() {
    HeadOutlineCache.size_key = 0.0f;
    HeadOutlineCache.count = 0;
    HeadOutlineCache.dx.fill(0);
    HeadOutlineCache.dy.fill(0);
    HeadOutlineCache.op.fill(0);
}

void register_note_drawers() {
    register_item_drawer(kNoteCode, draw_note_item);
    reset_head_outline_cache();
    NoteWork = NoteWorkRecord{};
}

}  // namespace render
