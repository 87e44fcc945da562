// The parts of a note around its head: the head itself (with the plain head's outline cache,
// bracketed heads and shape-note heads with their letters), the stem with the grace slash, the
// flags, the accidental and the augmentation dots.
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

using note_detail::draw_note_symbol;
using note_detail::kPostScriptPass;
using note_detail::magnitude;
using note_detail::paint_note_glyph;
using note_detail::set_note_word;

namespace {

constexpr int32_t kPlainHeadGlyph = 11;  // head kinds 0..6 are glyphs 11..17
constexpr int32_t kFlagGlyph = 20;
constexpr int32_t kDotGlyph = 24;
constexpr int32_t kBracketSymbol = 208;
constexpr int32_t kHollowShapeSymbol = 88;
constexpr int32_t kFilledShapeSymbol = 89;
constexpr float kLibraryHeadSize = 0.833f;
// First command-mode letter from the second of a run of flags: the symbol drawer then draws
// vectors and drops the run-in of a long flag drawing.
constexpr int32_t kRepeatMark = 22222;
// The glyph painter draws the sample sheet instead of any glyph for an item whose P7 is 99.
constexpr float kSampleSheetMark = 99.0f;

bool stem_is_down() { return NoteWork.stem_direction == 2; }

bool on_line(int32_t position) { return position % 2 != 0; }

// The plain head (kind 0). On the screen its outline is copied from HeadOutlineCache when the
// size matches; otherwise the glyph is painted and, on the screen, its points become the cache
// (not when there are none, nor more than the cache holds: such an outline stays uncached).
void draw_plain_head_glyph() {
    auto& cache = HeadOutlineCache;
    const auto& n = NoteWork;
    const bool screen = OutputPassWord >= 1 && core::ParamBuffer(7) != kSampleSheetMark;
    const float key = n.head_factor * n.s;
    const float rx = static_cast<float>(core::nint(n.x));
    const float ry = static_cast<float>(core::nint(n.y));
    if (screen && cache.size_key != 0.0f && cache.size_key == key) {
        for (int32_t i = 1; i <= cache.count; ++i) {
            add_path_point(rx + static_cast<float>(cache.dx(i)),
                           ry + static_cast<float>(cache.dy(i)), cache.op(i));
        }
        return;
    }
    auto& list = PathPointList;
    const int32_t first = list.count;
    paint_note_glyph(kPlainHeadGlyph, n.x, n.y, n.head_factor, 1.0f);
    if (!screen) return;
    const int32_t added = list.count - first;
    if (added < 1 || added > kHeadOutlinePoints) {
        cache.size_key = 0.0f;
        cache.count = 0;
        return;
    }
    for (int32_t i = 1; i <= added; ++i) {
        const int32_t from = first + i - 1;
        const int64_t dx = int64_t{list.x(from)} - core::int_of(rx);
        const int64_t dy = int64_t{list.y(from)} - core::int_of(ry);
        // Points held at the 32-bit limits (a head far off any page) are no outline to keep.
        if (dx < -kFarCoordinate || dx > kFarCoordinate || dy < -kFarCoordinate ||
            dy > kFarCoordinate) {
            cache.size_key = 0.0f;
            cache.count = 0;
            return;
        }
        cache.dx(i) = static_cast<int32_t>(dx);
        cache.dy(i) = static_cast<int32_t>(dy);
        cache.op(i) = list.op(from);
    }
    cache.count = added;
    cache.size_key = key;
}

// Head kinds 0..9 and 26 and above; the others draw nothing here.
void draw_simple_head(int32_t k) {
    const auto& n = NoteWork;
    if (k == 0) {
        draw_plain_head_glyph();
    } else if (k >= 1 && k <= 6) {
        paint_note_glyph(k + kPlainHeadGlyph, n.x, n.y, n.head_factor, 1.0f);
    } else if (k == 8) {
        draw_note_symbol(95, n.x, n.y, kLibraryHeadSize, kLibraryHeadSize);
    } else if (k == 9) {
        draw_note_symbol(139, n.x, n.y, kLibraryHeadSize, kLibraryHeadSize);
    } else if (k >= 26) {
        draw_note_symbol(k, n.x, n.y, kLibraryHeadSize, kLibraryHeadSize);
    }
}

// Brackets around a head of kind 10..19: the left one clears the accidental, the right one the
// dots.
void draw_head_brackets() {
    const auto& n = NoteWork;
    const int32_t accidental = n.accidental % 10;
    float left = -13.8f;
    if (accidental == 4) {
        left = -40.8f;
    } else if (accidental != 0) {
        left = -28.2f;
    }
    const int32_t dots = magnitude(core::IntParamBuffer(9)) % 100;
    float right = 31.2f;
    if (dots >= 20) {
        right = 51.2f;
    } else if (dots >= 10) {
        right = 39.2f;
    }
    if (n.head_factor != 1.0f) right += (n.head_factor - 1.0f) * 17.0f;
    draw_note_symbol(kBracketSymbol, n.x + n.s * left, n.y, 1.4f, 1.4f);
    draw_note_symbol(kBracketSymbol, n.x + n.s * right, n.y, -1.4f, 1.4f);
}

// Shape-note heads (|k| 20..25): the head symbol, the letter for 20..23 (the page redraw draws
// it after the head's path in the PostScript pass), and the stem's start moved for the wider
// shape.
void draw_shape_head(int32_t k) {
    auto& n = NoteWork;
    n.w = 17.1f * n.s;
    draw_shape_note_symbol();
    if (magnitude(k) <= 23 && OutputPassWord != kPostScriptPass) {
        float size = core::ParamBuffer(15) == 0.0f ? 1.0f : core::ParamBuffer(15);
        draw_attached_item(size);
    }
    set_note_word(17, stem_is_down() ? 0.1f : -0.1f);
}

// The slash through the stem of a grace note: e the flag extension and c the length change, in
// steps; positions on the note's staff, moved with the note across staves.
void draw_grace_slash(float e, float c, bool down) {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    float u = e + c;
    if (down) u = -u;
    const float q = p(15) == 0.0f ? 0.6f : p(15);
    const float a1 = down ? -1.883f : 0.783f;
    const float a2 = down ? 3.8f : 6.5f;
    const float b1 = down ? -5.5f : 2.8f;
    const float b2 = down ? -2.8f : 5.4f;
    const float pos = core::amod(p(4), 100.0f) + u * q;
    const float y1 = compute_staff_y(pos + q * b1) + n.cross_dy;
    const float y2 = compute_staff_y(pos + q * b2) + n.cross_dy;
    add_path_segment(n.x + 6.0f * n.s * a1, y1, n.x + 6.0f * n.s * a2, y2);
}

// Sets the first command-mode letter for the life of the object and puts the old one back.
class ModeLetterOverride {
  public:
    ModeLetterOverride() : saved_(core::CommandModeLetters(1)) {}
    ~ModeLetterOverride() { core::CommandModeLetters(1) = saved_; }
    ModeLetterOverride(const ModeLetterOverride&) = delete;
    ModeLetterOverride& operator=(const ModeLetterOverride&) = delete;
    void set(int32_t v) { core::CommandModeLetters(1) = v; }

  private:
    int32_t saved_;
};

}  // namespace

// Contract: draws the head of kind NoteWork.head_kind at (NoteWork.x, NoteWork.y). A
// bracketed kind 10..19 draws head k - 10 and its brackets and leaves IP6 and the head kind at
// k - 10; a shape head sets NoteWork.w to 17.1 s and P17 to the shape's stem start. Kinds 7,
// -1..-19 and -26..-39 (which name no glyph) draw nothing. Writes PathPointList and, on the
// screen pass, HeadOutlineCache.
void draw_note_head() {
    auto& n = NoteWork;
    const int32_t k = n.head_kind;
    if (k >= 10 && k <= 19) {
        draw_simple_head(k - 10);
        draw_head_brackets();
        n.head_kind = k - 10;
        core::IntParamBuffer(6) = k - 10;
    } else if (magnitude(k) >= 20 && magnitude(k) <= 25) {
        draw_shape_head(k);
    } else {
        draw_simple_head(k);
    }
}

// Contract: the symbol of a shape-note head, hollow (88) for a negative kind, filled (89)
// otherwise, centred on the head and drawn as a Code 9 item of sizes 0.58 and 0.475 times the
// note's P15 (0 = 1.0); a hollow head on a line first gets its white backing box. ParamBuffer,
// IntParamBuffer come back as they were.
void draw_shape_note_symbol() {
    const auto& n = NoteWork;
    const float f = core::ParamBuffer(15) == 0.0f ? 1.0f : core::ParamBuffer(15);
    if (n.head_kind < 0 && on_line(n.position)) draw_head_backing_box();
    const note_detail::ParkedNoteWords parked;
    const int32_t number = n.head_kind < 0 ? kHollowShapeSymbol : kFilledShapeSymbol;
    const float x = n.x + n.s * 1.45f / 25.0f * 150.0f;
    const float y = n.y - 1.68f * n.h;
    set_note_word(1, 9.0f);
    set_note_word(3, x / 150.0f);
    set_note_word(4, static_cast<float>(n.position) - 1.68f);
    set_note_word(5, static_cast<float>(number));
    set_note_word(6, 0.58f * f);
    set_note_word(7, 0.475f * f);
    for (int32_t k = 8; k <= 20; ++k) set_note_word(k, 0.0f);
    draw_library_symbol(x, y, number, 0.58f * f, 0.475f * f, 0, 0.0f, 0);
}

// Contract: the white strip behind a hollow shape head on a line, so the staff line does not
// show through: a filled Code 12 box 2.4 by 0.35 centred 210 x scale / 25 right of the head's
// edge, drawn by the box drawer. On the screen its points go out at once in white; in the
// PostScript pass the points before it are flushed and the box is written in a white group.
// Nothing is drawn while no box drawer is registered. ParamBuffer, IntParamBuffer,
// ItemDrawOrigin and DrawColourWord come back as they were.
void draw_head_backing_box() {
    constexpr int32_t kWhite = 0xFFFFFF;
    float white_value = 999999.0f;
    const auto& n = NoteWork;
    const int32_t pass = OutputPassWord;
    ItemDrawer box = registered_code12_drawer(Code12Drawer::BoxOrCircle);
    if (box == nullptr) box = RenderHooks.draw_box_or_circle_item;
    if (box == nullptr) return;
    if (pass == kPostScriptPass) {
        run_hook(RenderHooks.flush_path_points);
        write_ps_colour(white_value);
    }
    {
        const note_detail::ParkedNoteWords parked;
        const ItemDrawOriginRecord origin = ItemDrawOrigin;
        const int32_t colour = DrawColourWord;
        const float x = n.x + n.scale / 25.0f * 210.0f;
        for (int32_t k = 3; k <= 30; ++k) set_note_word(k, 0.0f);
        set_note_word(1, 12.0f);
        set_note_word(3, x / 150.0f);
        set_note_word(4, static_cast<float>(n.position));
        set_note_word(6, 2.4f);
        set_note_word(7, 0.35f);
        set_note_word(13, 1.0f);
        set_note_word(26, white_value);
        ItemDrawOrigin.x = x;
        ItemDrawOrigin.y = n.y;
        box();
        if (pass >= 1) {
            DrawColourWord = kWhite;
            begin_item_drawing();
        }
        DrawColourWord = colour;
        ItemDrawOrigin = origin;
    }
    if (pass == kPostScriptPass) {
        run_hook(RenderHooks.flush_path_points);
        run_hook(RenderHooks.write_ps_line, " r");
    }
}

// Contract: see the header. Reads ParamBuffer P2..P6, P10, P12, P15, P20..P24, P26 and the
// staff tables; the note drawer's NoteWork is kept.
void draw_attached_item(float& size) {
    auto& p = core::ParamBuffer;
    const int32_t k = core::int_of(p(6));
    if (magnitude(k) < 20 || magnitude(k) > 23) return;
    const int32_t staff = core::int_of(p(2));
    if (staff < 0 || staff > layout::kMaxStaves) return;

    auto& staves = layout::StaffTables;
    const int32_t current = staves.CurrentStaff;
    const NoteWorkRecord work = NoteWork;
    const ItemDrawOriginRecord origin = ItemDrawOrigin;
    staves.CurrentStaff = staff;
    const float pos = core::amod(p(4), 100.0f);
    note_detail::measure_note(p(3) * 150.0f, compute_staff_y(pos));
    const NoteWorkRecord& n = NoteWork;

    int32_t letter_pos = n.position;
    if (magnitude(k) == 21) letter_pos -= 5;
    if (magnitude(k) == 22) letter_pos += 1;
    if (magnitude(k) == 23) letter_pos -= 1;
    int32_t value = 1001 + ((letter_pos + 71) % 7 + 7) % 7;

    const float lift = -(size * 0.72f) + p(23);
    const float x = n.x + (n.s * 0.022f + p(22)) * 150.0f;
    const float y = n.y + lift * n.h;
    const float letter_size = size * 0.45f * (p(24) == 0.0f ? 1.0f : p(24));
    const float font = p(21) == 0.0f ? 1005.0f : p(21) + 1000.0f;
    const float colour = k > 0 ? 0.99f : p(26);
    {
        // A clean number item: the note's own words (stem, dots, marks) mean other things to the
        // number drawer (decimals, frames, suffixes).
        const note_detail::ParkedNoteWords parked;
        for (int32_t w = 1; w <= 50; ++w) set_note_word(w, 0.0f);
        set_note_word(1, 10.0f);
        set_note_word(2, static_cast<float>(staff));
        set_note_word(3, x / 150.0f);
        set_note_word(4, pos + lift);
        set_note_word(5, static_cast<float>(value));
        set_note_word(6, letter_size);
        set_note_word(7, font);
        set_note_word(26, colour);
        ItemDrawOrigin.x = x;
        ItemDrawOrigin.y = y;
        draw_number_item(value);
    }
    ItemDrawOrigin = origin;
    NoteWork = work;
    staves.CurrentStaff = current;
}

// Contract: the stem (stem code not 0): flag extension e and P8's length change c give the
// length (e + 7 + c) x 7 s, kept in NoteWork.stem_length (negative down); the grace slash when
// |integer of P8| is 100 or more and the note has flags. Heads of kinds 2, 3, 100..198 (not 139)
// and 900 or more get no stem line. P17 gives the start and, in PostScript output, a width
// entry; a break follows a width entry or a non-zero integer of P28.
void draw_note_stem() {
    auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    const bool down = stem_is_down();
    const bool ps = OutputPassWord == kPostScriptPass;
    const float e = n.flags > 1 ? 2.0f * static_cast<float>(n.flags) - 2.5f : 0.0f;
    const bool grace = magnitude(ip(8)) >= 100;
    float c = p(8);
    if (grace) c = p(8) > 0.0f ? p(8) - 100.0f : p(8) + 100.0f;
    if (grace && n.flags != 0) draw_grace_slash(e, c, down);

    float length = (e + 7.0f + c) * n.s * 7.0f;
    if (down) length = -length;
    n.stem_length = length;

    const int32_t k = n.head_kind;
    if (k == 2 || k == 3 || (k >= 100 && k <= 198 && k != 139) || k >= 900) return;
    float x = down ? n.x : n.x + n.w;
    float o = 2.1f;
    if (k == 4 || k == 5 || k == 7 || k == 8) o = 0.0f;
    if (k == 6) o = 7.0f;
    bool width_set = false;
    if (p(17) != 0.0f) {
        const int32_t width = core::nint(std::fabs(p(17))) / 100;
        if (width != 0 && ps) {
            run_hook(RenderHooks.add_path_width, width);
            width_set = true;
            const float factor = RenderHooks.output_line_width_factor != nullptr
                                     ? RenderHooks.output_line_width_factor()
                                     : 0.0f;
            const float move = static_cast<float>(width) * factor;
            x += down ? move : -move;
        }
        const float start = core::amod(p(17), 100.0f);
        if (start != 0.0f) o = start * 7.0f;
    }
    if (down) o = -o;
    add_path_segment(x, n.y + n.s * o, x, n.y + length);
    if (ps && (width_set || ip(28) != 0)) run_hook(RenderHooks.add_path_break);
}

// Contract: NoteWork.flags flag glyphs from the stem's end down (up stems, mirrored) or up
// (down stems), two steps apart, at sizes P20 factor by 1; IP10 is -1 while they are drawn and
// 0 after, and from the second flag on the first command-mode letter is the repeat mark
// (put back to what it was afterwards).
void draw_note_flags() {
    const auto& n = NoteWork;
    auto& ip = core::IntParamBuffer;
    const bool up = !stem_is_down();
    const float e = up ? 7.0f * n.s : -7.0f * n.s;
    const float x = up ? n.x + n.w : n.x;
    float y = n.y + core::amod(core::ParamBuffer(8), 100.0f) * e + e;
    if (n.flags > 1) y -= e / 2.0f;
    ModeLetterOverride letter;
    ip(10) = -1;
    for (int32_t i = 1; i <= n.flags; ++i) {
        if (i == 2) letter.set(kRepeatMark);
        paint_note_glyph(kFlagGlyph, x, y, n.head_factor, up ? -1.0f : 1.0f);
        y += 2.0f * e;
    }
    ip(10) = 0;
}

// Contract: the accidental of P5's units digit: glyph u + 5, or u + 139 for 6..9 and for the
// second set (hundreds digit of P5 = 1), left of the head by P5's fraction x 60 s (the unshifted
// place when P10 was 10), at size P29 (0 = 1.0). The integer of P28 is its PostScript width.
void draw_note_accidental() {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    const int32_t u = n.accidental % 10;
    const bool second_set = (magnitude(ip(5)) / 100) % 10 == 1;
    const int32_t kind = (u > 5 || second_set) ? u + 139 : u + 5;
    float v = core::amod(p(5), 1.0f);
    if (v > 0.9f) v = 0.9f - v;
    v *= 60.0f * n.s;
    if (n.accidental_stays) v += n.shift;
    const float size = p(29) == 0.0f ? 1.0f : p(29);
    const bool ps = OutputPassWord == kPostScriptPass && ip(28) != 0;
    if (ps) run_hook(RenderHooks.add_path_width, ip(28));
    paint_note_glyph(kind, n.x - v, n.y, size, size);
    if (ps) run_hook(RenderHooks.add_path_break);
}

// Contract: the augmentation dots: the tens digit of P9 (after its +1000 and +100 flags) dots,
// 13 s apart, right of the head by P9's fraction x 60 s + 18 s (16.2 s for a flagged up stem of
// unchanged length; +0.284 x 60 s with +1000; halved for an unflagged invisible head, kinds 7
// and -1, that does not count as stem up),
// in the space above a note on a line (below with +100), moved by P19 steps. The glyph is
// painted at the note's size.
void draw_note_dots() {
    const auto& n = NoteWork;
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    int32_t v = ip(9);
    if (v >= 1000) v -= 1000;
    const bool below = v >= 100;
    if (below) v -= 100;
    // The tens digit: a larger value must not turn into thousands of dots.
    const int32_t count = (v / 10) % 10;
    const bool up = !stem_is_down();
    const float base = (ip(8) == 0 && n.flags != 0 && up) ? 16.2f : 18.0f;
    float r = core::amod(p(9), 1.0f);
    if (r > 0.9f) r = 0.9f - r;
    if (p(9) >= 1000.0f) r += 0.284f;
    float offset = (r * 60.0f + base) * n.s;
    if (!up && n.flags == 0 && (n.head_kind == 7 || n.head_kind == -1)) offset *= 0.5f;
    float x = n.x + n.head_factor * offset;
    float y = n.y + p(19) * n.h;
    if (on_line(n.position)) y += below ? -n.h : n.h;
    for (int32_t i = 1; i <= count; ++i) {
        paint_note_glyph(kDotGlyph, x, y, 1.0f, 1.0f);
        x += 13.0f * n.s;
    }
}

}  // namespace render
