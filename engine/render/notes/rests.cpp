#include "engine/render/notes/rests.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/beams.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/notes/key_signatures.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/numbers.h"

namespace render {

namespace {

constexpr int32_t kRestCode = 2;
constexpr int32_t kClefCode = 3;
constexpr int32_t kBeamCode = 6;
constexpr int32_t kBarCode = 14;
constexpr int32_t kKeyCode = 17;
constexpr int32_t kMeterCode = 18;
constexpr int32_t kScreenPass = 1;

// Rest kinds with a meaning of their own (P5, brackets taken off).
constexpr int32_t kMultiBar = -5;
constexpr int32_t kMultiBarGlyph = -4;
constexpr int32_t kNarrowMultiBarGlyph = -44;
constexpr int32_t kWholeRest = -2;
constexpr int32_t kHalfRest = -1;
constexpr int32_t kEighthRest = 1;

// Glyph kinds and library symbols.
constexpr int32_t kRestGlyphBase = 43;  // glyph kind of rest kind k (-4..1) is k + 43
constexpr int32_t kHookGlyph = 44;
constexpr int32_t kDotGlyph = 24;
constexpr int32_t kFermataGlyph = 31;
constexpr int32_t kAltCountSymbol = 276;
constexpr int32_t kNarrowMultiBarSymbol = 115;
constexpr int32_t kTwoBarSymbol = 116;
constexpr int32_t kFourBarSymbol = 117;
constexpr int32_t kBracketSymbol = 208;
constexpr float kSignSize = 0.83f;  // the library rest signs are drawn at this size

constexpr float kGrey = 0.6f;  // P26 of an invisible rest shown on screen
constexpr float kNoLeft = -9999.0f;
constexpr float kNoRight = 9999.0f;
constexpr int32_t kParked = 30;  // ParamBuffer / IntParamBuffer words 1..30 are parked

// Height in steps above P4 of rest kinds -7..4 (k = kind + 8, 1..12); longer kinds use 4.0.
constexpr std::array<float, 12> kHeights = {8.0f, 8.0f, 0.0f, 0.0f, 8.0f, 9.0f,
                                            7.0f, 8.0f, 8.0f, 6.0f, 6.0f, 4.0f};
// First dot's offset right of x in size units, by min(kind + 4, 8) (1..8).
constexpr std::array<float, 8> kDotOffsets = {19.0f, 19.0f, 19.0f, 13.0f,
                                              15.5f, 18.4f, 22.3f, 26.2f};
// Brackets by i = kind + 4 (1..8): left and right distance (u units) and height (steps).
constexpr std::array<float, 8> kBracketLeft = {2.13f, 2.13f, 2.14f, 2.33f,
                                               1.93f, 2.33f, 2.63f, 8.0f};
constexpr std::array<float, 8> kBracketHeight = {8.0f,  8.9f,  7.66f, 7.26f,
                                                 7.26f, 6.76f, 7.26f, 4.97f};
constexpr std::array<float, 8> kBracketRight = {4.97f, 4.97f, 4.96f, 3.97f,
                                                4.57f, 4.97f, 6.17f, 2.13f};
// How far a bar line of kind 1..6 pulls in the end of a multi-bar rest (u units).
constexpr std::array<float, 6> kBarPullRight = {1.2f, 2.2f, 4.4f, 1.0f, 4.4f, 3.0f};
constexpr std::array<float, 6> kBarPullLeft = {0.0f, 0.0f, 0.0f, 3.6f, 3.4f, 4.0f};

template <typename T, std::size_t N>
T table_entry(const std::array<T, N>& table, int32_t i) {
    if (i < 1 || i > static_cast<int32_t>(N)) core::report_index_defect("rest table", i, 1, N);
    return table[static_cast<std::size_t>(i - 1)];
}

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// P1..P30, IP1..IP30, the origin and the current staff, put back on every way out.
class ParkedRest {
  public:
    ParkedRest() : origin_(ItemDrawOrigin), staff_(layout::StaffTables.CurrentStaff) {
        core::push_words(kParked, core::ParamBuffer.at(1));
        core::push_words(kParked, core::IntParamBuffer.at(1));
    }
    ~ParkedRest() {
        core::pop_words(kParked, core::IntParamBuffer.at(1));
        core::pop_words(kParked, core::ParamBuffer.at(1));
        ItemDrawOrigin = origin_;
        layout::StaffTables.CurrentStaff = staff_;
    }
    ParkedRest(const ParkedRest&) = delete;
    ParkedRest& operator=(const ParkedRest&) = delete;

  private:
    ItemDrawOriginRecord origin_;
    int32_t staff_;
};

// Everything the steps of one rest share.
struct Rest {
    int32_t kind = 0;   // P5 with the brackets' hundreds taken off (-10, -9 and unknown as 0)
    int32_t shape = 0;  // kind, with -44 as -4 (the narrow glyph is placed as the wide one)
    bool bracketed = false;
    float f = 1.0f;       // size factor: P15 (0 = 1) x 0.7 for a small rest
    float scale = 25.0f;  // the staff's scale
    float size = 25.0f;   // scale x f, display units per size unit
    float u = 1.0f;       // size / 25, P3 units
    float pos = 0.0f;     // AMOD(P4, 100)
    float p6 = 0.0f;      // P6 as drawn (0 for an invisible rest shown grey)
    float p9 = 0.0f;      // P9 as drawn (the computed place when centred)
    float x = 0.0f;       // the rest's x (display units)
    float x2 = 0.0f;      // right end of a multi-bar rest
    int32_t dots = 0;
};

float factor(float v) { return v == 0.0f ? 1.0f : v; }

float staff_scale() { return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff); }

// The rest's kind: brackets (|P5| of 100 and more) use P5 mod 100; -10, -9 and kinds that no
// table knows (below -19, other than -44) are drawn as a quarter rest.
int32_t rest_kind(int32_t p5, bool& bracketed) {
    bracketed = std::llabs(static_cast<int64_t>(p5)) >= 100;
    int32_t kind = bracketed ? p5 % 100 : p5;
    if (kind == -10 || kind == -9) kind = 0;
    if (kind < -19 && kind != kNarrowMultiBarGlyph) kind = 0;
    return kind;
}

float kind_height(int32_t shape, float f) {
    const int32_t k = shape + 8;
    float h = k > 12 ? 4.0f : table_entry(kHeights, std::max(k, 1));
    if (k > 8 && f != 1.0f) h += 0.7f;
    return h;
}

// ---- automatic centring ----

struct Neighbours {
    float start = kNoLeft;
    float end = kNoRight;
    int32_t start_bar = 0;  // bar kind (P5) of the left neighbour, 0 when it is not a bar line
    int32_t end_bar = 0;
};

// Word k of the record at s, 0.0 when the record is shorter.
float record_word(int32_t s, int32_t n, int32_t k) {
    return k <= n ? core::ItemStore(s + k) : 0.0f;
}

// Bar lines (Code 14) whose staff range covers `staff`, and with clefs, clefs (Code 3) of
// `staff` right of x, nearest to x on each side. Walks every record of the store by its count
// words (the redraw uses ItemCount as the item number, so it is not the count here).
Neighbours find_neighbours(int32_t staff, float x, bool with_clefs) {
    Neighbours nb;
    int32_t s = 1;
    while (s < core::ItemWordsUsed) {
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 1 || n > core::kItemStoreWords - s) break;
        if (n < 3) {
            s += n + 1;  // too short to have a place
            continue;
        }
        const float code = core::ItemStore(s + 1);
        const int32_t p2 = core::int_of(core::ItemStore(s + 2));
        const float p3 = core::ItemStore(s + 3);
        bool candidate = false;
        int32_t bar = 0;
        if (code == static_cast<float>(kBarCode)) {
            const int64_t count =
                std::abs(static_cast<int64_t>(core::int_of(record_word(s, n, 4))));
            const int64_t offset = static_cast<int64_t>(staff) - p2;
            candidate = offset >= 0 && offset < std::max<int64_t>(count, 1);
            bar = core::int_of(record_word(s, n, 5));
        } else if (with_clefs && code == static_cast<float>(kClefCode)) {
            candidate = p2 == staff && p3 > x;
        }
        if (candidate) {
            if (p3 <= x && p3 > nb.start) {
                nb.start = p3;
                nb.start_bar = bar;
            } else if (p3 > x && p3 < nb.end) {
                nb.end = p3;
                nb.end_bar = bar;
            }
        }
        s += n + 1;
    }
    return nb;
}

// The place of a rest with P9 = -1 between its neighbours: r.p9 (and r.p6 for the wide groups
// of long-rest signs). Nothing changes when there is no right neighbour.
void centre_rest(Rest& r) {
    const float x = core::ParamBuffer(3);
    const int32_t staff = layout::StaffTables.CurrentStaff;
    Neighbours nb = find_neighbours(staff, x, r.kind < -4);
    if (nb.end >= kNoRight) return;
    if (x - nb.start > 7.0f * r.u) {
        nb.start = x - 4.5f * r.u;
        nb.start_bar = 0;
    }
    const int32_t k = r.shape + 8;
    if (r.kind == kMultiBar) {
        if (nb.end_bar >= 1 && nb.end_bar <= 6)
            nb.end -= table_entry(kBarPullRight, nb.end_bar) * r.u;
        if (nb.start_bar >= 1 && nb.start_bar <= 6)
            nb.start += table_entry(kBarPullLeft, nb.start_bar) * r.u;
        r.p9 = nb.end - std::min(x - nb.start, 3.0f * r.u + 0.5f);
        return;
    }
    r.p9 = (nb.start + nb.end) / 2.0f - r.size * (k == 4 ? 0.137f : 0.056f);
    if (k < -4 && k != -6) r.p6 = (nb.end - nb.start) * 1.04167f / r.scale;
}

// Keeps a centred rest's place: P9 (and P6 when the centring computed it, so that the next
// drawing looks the same) go into the stored rest being drawn, found as ItemCount during a page
// redraw, when its record reaches P9 and still holds P9 = -1; and into the edited item's words
// when the rest is the item being edited. drawn: P1..P5 as drawn (index = P number).
void store_centred_place(const Rest& r, bool wide, const std::array<float, 6>& drawn) {
    auto& e = core::EditItemParams;
    if (core::EditedItemNumber != 0 && e(1) == drawn[1] && e(3) == drawn[3] &&
        e(4) == drawn[4] && e(9) == -1.0f) {
        e(9) = r.p9;
        if (wide) e(6) = r.p6;
    }
    const int32_t k = core::ItemCount;
    if (k < 1 || k >= core::kItemStartEntries) return;
    const int32_t s = core::ItemStartTable(k);
    if (s < 1 || s >= core::ItemWordsUsed) return;
    const int32_t n = core::int_of(core::ItemStore(s));
    if (n < 9 || s + 9 >= core::ItemWordsUsed) return;
    if (core::ItemStore(s + 1) != 2.0f || core::ItemStore(s + 3) != drawn[3] ||
        core::ItemStore(s + 4) != drawn[4] || core::ItemStore(s + 9) != -1.0f)
        return;
    core::ItemStore(s + 9) = r.p9;
    if (wide) core::ItemStore(s + 6) = r.p6;
}

// ---- the drawing steps ----

void paint(float x, float y, int32_t kind, float s1, float s2) {
    draw_clef_item(x, y, kind, s1, s2);
}

// Groups of long-rest signs (-11..-19): four-bar (117) and two-bar (116) signs and the whole
// rest W, at multiples of u = scale x P6 around x.
void draw_sign_group(const Rest& r) {
    struct Sign {
        int32_t symbol;  // 0 = W
        float at;        // in u
    };
    static constexpr std::array<std::array<Sign, 3>, 9> kGroups = {{
        {{{0, 0.0f}, {-1, 0.0f}, {-1, 0.0f}}},                              // -11
        {{{kTwoBarSymbol, 0.0f}, {-1, 0.0f}, {-1, 0.0f}}},                  // -12
        {{{kTwoBarSymbol, -24.0f}, {0, 24.0f}, {-1, 0.0f}}},                // -13
        {{{kFourBarSymbol, 0.0f}, {-1, 0.0f}, {-1, 0.0f}}},                 // -14
        {{{kFourBarSymbol, -24.0f}, {0, 24.0f}, {-1, 0.0f}}},               // -15
        {{{kFourBarSymbol, -24.0f}, {kTwoBarSymbol, 24.0f}, {-1, 0.0f}}},   // -16
        {{{kFourBarSymbol, -36.0f}, {kTwoBarSymbol, 0.0f}, {0, 36.0f}}},    // -17
        {{{kFourBarSymbol, -24.0f}, {kFourBarSymbol, 24.0f}, {-1, 0.0f}}},  // -18
        {{{kFourBarSymbol, -36.0f}, {kFourBarSymbol, 0.0f}, {0, 36.0f}}},   // -19
    }};
    const int32_t row = -r.kind - 11;
    if (row < 0 || row > 8) core::report_index_defect("rest group", r.kind, -19, -11);
    const float u = r.scale * factor(r.p6);
    const float sign_y = compute_staff_y(r.pos + 8.0f);
    for (const Sign& sign : kGroups[static_cast<std::size_t>(row)]) {
        if (sign.symbol < 0) break;
        const float x = r.x + sign.at * u;
        if (sign.symbol == 0) {
            paint(x, compute_staff_y(r.pos + kind_height(kWholeRest, r.f)),
                  kWholeRest + kRestGlyphBase, r.f, r.f);
        } else {
            draw_library_symbol(x, sign_y, sign.symbol, kSignSize * r.f, kSignSize * r.f, 0, 0.0f,
                                0);
        }
    }
}

// The multi-bar rest: end strokes from P4 + 5 to P4 + 9 and the filled bar between them.
void draw_multi_bar(const Rest& r) {
    add_path_segment(r.x, compute_staff_y(r.pos + 5.0f), r.x, compute_staff_y(r.pos + 9.0f));
    add_path_segment(r.x2, compute_staff_y(r.pos + 5.0f), r.x2, compute_staff_y(r.pos + 9.0f));
    const float low = compute_staff_y(r.pos + 6.25f);
    const float high = compute_staff_y(r.pos + 7.75f);
    add_path_point(r.x, low, 2);
    add_path_point(r.x2, low, 0);
    add_path_point(r.x2, high, 0);
    add_path_point(r.x, high, 0);
    add_path_point(r.x, low, 0);
}

// Rest kinds from -4 on (and -44): the glyph at the kind's height or the stacked hooks of the
// short kinds, then the dots.
void draw_rest_glyph(const Rest& r) {
    const float h = kind_height(r.shape, r.f);
    if (r.kind == kNarrowMultiBarGlyph) {
        draw_library_symbol(r.x, compute_staff_y(r.pos + h), kNarrowMultiBarSymbol, kSignSize * r.f,
                            kSignSize * r.f, 0, 0.0f, 0);
    } else if (r.shape <= kEighthRest) {
        paint(r.x, compute_staff_y(r.pos + h), r.shape + kRestGlyphBase, r.f, r.f);
    } else {
        // Each hook of a short rest stands one line space higher and a little further right.
        for (int32_t i = 0; i < r.shape; ++i) {
            const float x = r.x - 3.0f * r.size + static_cast<float>(i) * 4.5f * r.size;
            const float pos = r.pos + h + static_cast<float>(i) * 2.0f * r.f;
            paint(x, compute_staff_y(pos), kHookGlyph, r.f, r.f);
        }
    }
    const int32_t index = std::min(r.shape + 4, 8);
    if (r.dots < 1 || index < 1) return;
    const float y = compute_staff_y(r.pos + (r.shape >= 3 ? 10.0f : 8.0f));
    const float first = table_entry(kDotOffsets, index) + core::amod(r.p6, 1.0f) * 60.0f;
    for (int32_t j = 0; j < r.dots; ++j) {
        paint(r.x + (first + 13.0f * static_cast<float>(j)) * r.size, y, kDotGlyph, r.f, r.f);
    }
}

// Whole and half rests outside the staff stand on a short ledger stroke.
void draw_ledger_stroke(const Rest& r) {
    if (r.shape != kWholeRest && r.shape != kHalfRest) return;
    if (core::ParamBuffer(30) < 0.0f) return;
    const int32_t at = core::int_of(r.pos);
    const bool whole = r.shape == kWholeRest;
    const bool outside = at >= (whole ? 4 : 5) || at <= (whole ? -7 : -6);
    if (!outside) return;
    const float y = compute_staff_y(r.pos + kind_height(r.shape, r.f));
    add_path_segment(r.x - 8.0f * r.size, y, r.x + 25.0f * r.size, y);
}

// Brackets around the rest: symbol 208 on the left, mirrored on the right.
void draw_brackets(const Rest& r, bool small) {
    int32_t i = r.shape + 4;
    if (i < 1) return;  // no bracket table for the long kinds
    if (i > 8) i = 8;
    const float base = r.x / 150.0f;
    float right = table_entry(kBracketRight, i);
    if (r.dots == 1) right += 1.9f;
    float pos = r.pos + table_entry(kBracketHeight, i);
    const float p15 = core::ParamBuffer(15);
    if (i > 5 && p15 != 0.0f && p15 != 1.0f) pos += 1.0f;
    float sz = i >= 4 ? 1.9f : 1.0f;
    if (small) sz *= 0.7f;
    const float y = compute_staff_y(pos);
    draw_library_symbol((base - r.u * table_entry(kBracketLeft, i)) * 150.0f, y, kBracketSymbol, sz,
                        sz, 0, 0.0f, 0);
    draw_library_symbol((base + r.u * right) * 150.0f, y, kBracketSymbol, -sz, sz, 0, 0.0f, 0);
}

// How wide a count is, in units of 8/1.55 x size: by its number of digits and its ones.
float count_width_factor(int32_t count) {
    int32_t digits = 0;
    int32_t ones = 0;
    for (int32_t v = count; v > 0; v /= 10) {
        ++digits;
        if (v % 10 == 1) ++ones;
    }
    if (digits <= 1) return ones == 1 ? 1.255f : 1.55f;
    if (digits == 2) {
        if (count == 11) return 2.65f;
        if (ones == 0) return 3.25f;
        return count / 10 == 1 ? 2.95f : 3.05f;
    }
    if (digits == 3) return 4.9f - 0.2f * static_cast<float>(ones);
    return 4.9f + 1.55f * static_cast<float>(digits - 3);
}

// The count (positive P8) or the symbol (P8 of -1, -2, -3) over a multi-bar rest, centred on cx.
void draw_count(const Rest& r, float cx) {
    auto& p = core::ParamBuffer;
    const int32_t p8 = core::IntParamBuffer(8);
    const float g = factor(p(12));
    const float p4 = p(4);
    const float p11 = p(11);
    const float p14 = p(14);
    const float p16 = p(16);
    if (p8 > 0) {
        const float start =
            cx - count_width_factor(p8) * (8.0f / 1.55f) * r.size * g + p16 * 150.0f;
        for (int32_t k = 5; k <= 20; ++k) set_word(k, 0.0f);
        set_word(5, static_cast<float>(p8));
        set_word(6, 1.2f * g * r.f * (p14 == 0.0f ? 1.05f : 1.0f));
        set_word(7, p14 == 0.0f ? 0.0f : static_cast<float>(core::int_of(p14)));
        ItemDrawOrigin.x = start;
        ItemDrawOrigin.y = compute_staff_y(r.pos + 12.0f + p11);
        draw_number_item(p8);
        return;
    }
    if (p8 < -3) return;
    const float sz = 1.69f * g * r.f;
    const float pos = (p8 == -2 ? 1.0f : 13.0f) + (p4 > 0.0f ? r.pos : 0.0f) + p11;
    // A glyph set without the alternative sign would have every redraw of the page end at the
    // missing file: the fermata stands in for it.
    int32_t kind = kFermataGlyph;
    if (p8 == -3 && !find_library_file(kAltCountSymbol / 10).empty()) kind = kAltCountSymbol;
    paint(cx - sz * 6.0f * r.scale, compute_staff_y(pos), kind, sz, p8 == -2 ? -sz : sz);
}

}  // namespace

// Contract: see the header. The steps: P17 moves the rest to the neighbouring staff; an
// invisible rest (P6 = -1) is drawn grey on screen while invisible items are shown and not at
// all otherwise; P6 above 4 draws a screen stroke instead of dots; P9 = -1 on the long kinds
// centres the rest between its bar lines and keeps the place in the stored rest; then the kind's shape, the
// ledger stroke, the brackets and the count. Reads ItemStore (centring), ShowInvisibleItems,
// OutputPassWord and the current staff's scale; writes PathPointList and, through the number
// drawer, the text stream.
void draw_rest_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    bool grey = false;
    {
        ParkedRest parked;
        if (ip(17) != 0) {
            const int64_t staff = static_cast<int64_t>(ip(2)) + (ip(17) == 2 ? -1 : 1);
            if (staff >= 0 && staff <= layout::MaxStaffNumber && staff <= layout::kMaxStaves) {
                set_word(2, static_cast<float>(staff));
                layout::StaffTables.CurrentStaff = static_cast<int32_t>(staff);
                set_item_position();
            }
            set_word(17, 0.0f);
        }

        Rest r;
        r.p6 = p(6);
        if (ip(6) == -1) {
            if (OutputPassWord != kScreenPass || layout::ShowInvisibleItems <= 0) return;
            grey = true;
            r.p6 = 0.0f;
        }
        const bool small = std::llabs(static_cast<int64_t>(ip(4))) >= 100;
        r.kind = rest_kind(ip(5), r.bracketed);
        r.shape = r.kind == kNarrowMultiBarGlyph ? kMultiBarGlyph : r.kind;
        r.f = factor(p(15)) * (small ? 0.7f : 1.0f);
        r.scale = staff_scale();
        r.size = r.scale * r.f;
        r.u = r.size / 25.0f;
        r.pos = core::amod(p(4), 100.0f);

        if (r.kind <= kWholeRest) {
            r.p9 = p(9);
            if (r.p9 == -1.0f) {
                const float p6_before = r.p6;
                centre_rest(r);
                if (r.p9 != -1.0f && ip(6) != -1)
                    store_centred_place(r, r.p6 != p6_before, {0.0f, p(1), p(2), p(3), p(4), p(5)});
            }
        }
        const float shift = p(10) * r.u * 150.0f;
        r.x = ItemDrawOrigin.x + shift;
        if (r.kind <= kWholeRest && r.kind != kMultiBar && r.p9 > 0.0f) r.x = r.p9 * 150.0f + shift;
        // A multi-bar rest with no right end of its own gets the length of the multi-bar glyph.
        r.x2 = r.p9 > 0.0f ? r.p9 * 150.0f + shift : r.x + 40.8f * r.size;

        const int32_t p6 = core::int_of(r.p6);
        if (p6 > 4) {
            if (OutputPassWord == kScreenPass) {
                const float width = r.shape == kMultiBarGlyph ? 40.8f : 16.8f;
                const float y = ItemDrawOrigin.y + 42.0f * r.scale;
                add_path_segment(r.x - r.p6 * 150.0f, y, r.x + r.size * width + r.p6 * 150.0f, y);
            }
        } else if (p6 >= 1) {
            r.dots = p6;
        }

        // The glyph painter would read these as the sample-sheet mark, a line width or an
        // octave figure.
        set_word(7, 0.0f);
        set_word(10, 0.0f);

        if (r.kind <= -11 && r.kind >= -19) {
            draw_sign_group(r);
        } else if (r.kind >= -8 && r.kind <= -6) {
            const int32_t symbol = kTwoBarSymbol - (r.kind + 6);
            draw_library_symbol(r.x, compute_staff_y(r.pos + 8.0f), symbol, kSignSize * r.f,
                                kSignSize * r.f, 0, 0.0f, 0);
        } else if (r.kind == kMultiBar) {
            draw_multi_bar(r);
        } else {
            draw_rest_glyph(r);
        }
        draw_ledger_stroke(r);
        if (r.bracketed) draw_brackets(r, small);

        if (ip(8) != 0) {
            if (r.kind == kMultiBar) {
                draw_count(r, (r.x + r.x2) / 2.0f);
            } else if (r.kind == kMultiBarGlyph) {
                draw_count(r, r.x + 20.4f * r.size);
            } else if (r.kind == kNarrowMultiBarGlyph) {
                draw_count(r, r.x + 17.06f * r.size);
            }
        }
    }
    if (grey) p(26) = kGrey;
}

void register_rest_beam_key_meter_drawers() {
    register_item_drawer(kRestCode, draw_rest_item);
    register_item_drawer(kBeamCode, draw_beam_item);
    register_item_drawer(kKeyCode, draw_key_signature_item);
    register_item_drawer(kMeterCode, draw_meter_item);
}

}  // namespace render
