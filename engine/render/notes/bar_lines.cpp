#include "engine/render/notes/bar_lines.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/lines.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr float kPageUnit = 150.0f;
constexpr int32_t kWholeSystem = 999;  // P4: up to the highest staff of the page
constexpr int32_t kRestAtBar = -44;    // P5: a rest glyph at the bar

// Bar kinds (P5).
constexpr int32_t kPlainStroke = 0;
constexpr int32_t kDoubleBar = 1;
constexpr int32_t kFinalBar = 2;
constexpr int32_t kEndRepeat = 3;
constexpr int32_t kStartRepeat = 4;
constexpr int32_t kDoubleRepeat = 5;
constexpr int32_t kThickRepeat = 6;
constexpr int32_t kDashedBar = 7;
constexpr int32_t kBrace = 8;
constexpr int32_t kBracket = 9;
constexpr int32_t kShortStroke = 10;

// The curl at each end of a bracket, in units of 0.15 w from x - 12 w.
constexpr std::array<float, 12> kCurlX = {60, 92, 122, 148, 169, 192, 162, 143, 117, 79, 0, 0};
constexpr std::array<float, 12> kCurlY = {-33, -29, -18, 0, 24, 60, 28, 15, 5, 0, 0, -33};

// The bar as the strokes see it (display units).
struct Bar {
    float x = 0.0f;
    float lower = 0.0f;  // y of the lower end, on the first staff
    float upper = 0.0f;  // y of the upper end, on the last staff
    float w = 0.0f;      // width unit
    float line_width = 0.0f;
    int32_t staff = 0;
    int32_t last_staff = 0;
    int32_t pass = 1;
};

float output_line_width() {
    return RenderHooks.output_line_width != nullptr ? RenderHooks.output_line_width() : 0.0f;
}

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// Everything a nested drawing may change, put back when it ends.
class NestedDrawing {
  public:
    NestedDrawing()
        : p_(snapshot(core::ParamBuffer)),
          ip_(snapshot(core::IntParamBuffer)),
          origin_(ItemDrawOrigin),
          staff_(layout::StaffTables.CurrentStaff),
          scale0_(layout::StaffTables.StaffScale(0)) {}
    ~NestedDrawing() {
        put_back(core::ParamBuffer, p_);
        put_back(core::IntParamBuffer, ip_);
        ItemDrawOrigin = origin_;
        layout::StaffTables.CurrentStaff = staff_;
        layout::StaffTables.StaffScale(0) = scale0_;
    }
    NestedDrawing(const NestedDrawing&) = delete;
    NestedDrawing& operator=(const NestedDrawing&) = delete;

  private:
    template <typename T>
    static std::array<T, 56> snapshot(const core::Array1<T, 56>& a) {
        std::array<T, 56> out{};
        for (int i = 1; i <= 56; ++i) out[static_cast<std::size_t>(i - 1)] = a(i);
        return out;
    }
    template <typename T>
    static void put_back(core::Array1<T, 56>& a, const std::array<T, 56>& from) {
        for (int i = 1; i <= 56; ++i) a(i) = from[static_cast<std::size_t>(i - 1)];
    }
    std::array<float, 56> p_;
    std::array<int32_t, 56> ip_;
    ItemDrawOriginRecord origin_;
    int32_t staff_;
    float scale0_;
};

// Draws the item set up in ParamBuffer P1..P26 (the rest 0) through the dispatcher. Its colour
// is the bar's: the redraw colours the whole bar's points from the bar's own P26 afterwards.
void draw_nested_item(const std::array<float, 26>& params) {
    auto& p = core::ParamBuffer;
    for (int32_t k = 1; k <= 56; ++k) p(k) = 0.0f;
    for (int32_t k = 1; k <= 26; ++k) p(k) = params[static_cast<std::size_t>(k - 1)];
    draw_item_by_code();
}

// y of position pos on staff s.
float staff_y(int32_t s, float pos) {
    return pos * 7.0f * layout::StaffTables.StaffScale(s) + static_cast<float>(staff_base_y(s));
}

// A thin stroke at x from the lower to the upper end; in PostScript a second line follows one
// output line width to the right.
void draw_thin_bar_stroke(const Bar& b, float x) {
    add_path_segment(x, b.lower, x, b.upper);
    if (b.pass == kPostScriptPass) {
        add_path_segment(x + b.line_width, b.lower, x + b.line_width, b.upper);
    }
}

// A filled band from left to right between the bar's ends.
void draw_band(const Bar& b, float left, float right) {
    add_path_point(left, b.lower, 2);
    add_path_point(right, b.lower, 0);
    add_path_point(right, b.upper, 0);
    add_path_point(left, b.upper, 0);
    add_path_point(left, b.lower, 0);
}

void draw_thick_stroke(const Bar& b, float x) { draw_band(b, x - 6.0f * b.w, x); }

// Two filled dots on every staff of the bar, offset display units right of its x: the lower at
// position 6 (or the hundreds digit of P16), the upper two steps above, each staff at its own
// scale. They are Code 12 circles drawn through the dispatcher.
void draw_repeat_dots(const Bar& b, float offset) {
    const auto& p = core::ParamBuffer;
    const float factor = p(12) == 0.0f ? 1.0f : p(12);
    const int32_t hundreds =
        static_cast<int32_t>((std::abs(static_cast<int64_t>(core::int_of(p(16)))) / 100) % 10);
    const float lower_pos = hundreds != 0 ? static_cast<float>(hundreds) : 6.0f;
    const float x = (b.x + offset) / kPageUnit;
    const float step = b.pass == kPostScriptPass ? 0.0f : 60.0f;
    for (int32_t s = b.staff; s <= b.last_staff; ++s) {
        for (const float pos : {lower_pos, lower_pos + 2.0f}) {
            const NestedDrawing keep;
            std::array<float, 26> dot{};
            dot[0] = 12.0f;
            dot[1] = static_cast<float>(s);
            dot[2] = x;
            dot[3] = pos;
            dot[4] = 1.0f;
            dot[5] = 0.58f * factor;
            dot[6] = 0.58f * factor;
            dot[11] = step;
            dot[12] = 1.0f;
            draw_nested_item(dot);
        }
    }
}

// The curls of a bracket: ends selects them like P8 (0 both, 1 top, 2 bottom, 3 none).
void draw_bracket_ends(const Bar& b, int32_t ends) {
    const float xe = b.x - 12.0f * b.w;
    const float k = 0.15f * b.w;
    auto curl = [&](float y, float sign) {
        if (!path_has_room(13)) return;
        add_path_point(xe, y + sign * kCurlY[11] * k, 2);
        for (std::size_t i = 0; i < kCurlX.size(); ++i) {
            add_path_point(xe + k * kCurlX[i], y + sign * k * kCurlY[i], 0);
        }
    };
    if (ends == 0 || ends == 1) curl(b.upper, 1.0f);
    if (ends == 0 || ends == 2) curl(b.lower, -1.0f);
}

// The brace: glyph kind 5 of the glyph painter stretched to the bar's height (P6 its width
// size when not 0), drawn as a clef item would be.
void draw_brace_glyph(const Bar& b) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const float scale = layout::StaffTables.StaffScale(b.staff);
    if (!(scale > 0.0f)) return;
    const float v = (b.upper - b.lower) * 0.0054945f / scale;
    const float size1 = p(6) != 0.0f ? p(6) : (v - 1.0f) * 0.5f + 1.0f;
    const NestedDrawing keep;
    ip(1) = 3;
    ip(5) = 5;
    ip(10) = 0;
    // The painter reads these as a clef's: no sample sheet (P7 99) and no small clef (|IP4|
    // 100 or more) for a bar that happens to carry such values.
    ip(4) = 0;
    p(7) = 0.0f;
    int32_t kind = 5;
    draw_clef_item(b.x, b.lower - 21.0f * scale, kind, size1, v);
}

// The dashed bar through the line drawer: a vertical dashed line from the lower to the upper
// end (dash P8, 1.0 when 0; gap P9, 2.0 when 0; width P6, 1 in PostScript when 0).
void draw_dashed_bar(const Bar& b, float dash, float gap) {
    const auto& p = core::ParamBuffer;
    const float scale = layout::StaffTables.StaffScale(b.staff);
    if (!(scale > 0.0f)) return;
    int32_t width = core::int_of(p(6));
    if (width == 0 && b.pass == kPostScriptPass) width = 1;
    const NestedDrawing keep;
    const float x = b.x / kPageUnit;
    const float from = (b.lower - static_cast<float>(staff_base_y(b.staff))) / (7.0f * scale);
    const float to = (b.upper - static_cast<float>(staff_base_y(b.staff))) / (7.0f * scale);
    for (int32_t k = 11; k <= 22; ++k) set_word(k, 0.0f);
    set_word(3, x);
    set_word(4, from);
    set_word(5, to);
    set_word(6, x);
    set_word(7, 1.0f);
    set_word(8, dash == 0.0f ? 1.0f : dash);
    set_word(9, gap == 0.0f ? 2.0f : gap);
    set_word(10, static_cast<float>(width));
    ItemDrawOrigin.x = b.x;
    ItemDrawOrigin.y = b.lower;
    draw_line_item();
}

// The rest glyph of kind -44 at the bar, as a Code 2 item of its own.
void draw_rest_at_bar(float x) {
    const NestedDrawing keep;
    std::array<float, 26> rest{};
    rest[0] = 2.0f;
    rest[1] = static_cast<float>(layout::StaffTables.CurrentStaff);
    rest[2] = x / kPageUnit;
    rest[3] = 0.0f;
    rest[4] = static_cast<float>(kRestAtBar);
    draw_nested_item(rest);
}

// P4 = 999: the bar reaches the highest staff of the page. The edited item gets the count when
// it is this bar, so that storing it keeps what is shown.
void resolve_whole_system() {
    auto& p = core::ParamBuffer;
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    float count = highest - p(2) + 1.0f;
    if (count < 1.0f) count = 1.0f;
    auto& e = core::EditItemParams;
    const bool edited = core::EditedItemNumber != 0 && e(1) == 14.0f && e(2) == p(2) &&
                        e(3) == p(3) && core::int_of(e(4)) == kWholeSystem;
    p(4) = count;
    p(10) = 0.0f;
    p(11) = 0.0f;
    if (edited) {
        e(4) = count;
        e(10) = 0.0f;
        e(11) = 0.0f;
    }
}

// Default end positions of a kind (P10 and P11 when 0).
float default_lower(int32_t kind) {
    if (kind == kShortStroke) return 7.0f;
    if (kind == kBracket || kind >= 11) return 1.0f;
    return 3.0f;
}
float default_upper(int32_t kind) {
    if (kind == kShortStroke) return 7.0f;
    if (kind == kBracket || kind >= 11) return 13.0f;
    return 11.0f;
}

// The strokes, dots and glyphs of one kind.
void draw_bar_kind(const Bar& b, int32_t kind) {
    const auto& p = core::ParamBuffer;
    const float w = b.w;
    const float x = b.x;
    const float gap13 = p(13) * 6.0f * w;
    const float gap14 = p(14) * 6.0f * w;
    const float left_dots = -(25.5f * w + gap13 + gap14);
    switch (kind) {
        case kPlainStroke: {
            // The ordinary bar line: P6 + 1 output line widths wide, a thin stroke at x when
            // that is less than a display unit (the output sets no line width on screen).
            const float width = (p(6) + 1.0f) * b.line_width;
            if (std::fabs(width) < 1.0f) {
                draw_thin_bar_stroke(b, x);
            } else {
                draw_band(b, x - width, x);
            }
            break;
        }
        case kDoubleBar:
            draw_thin_bar_stroke(b, x);
            draw_thin_bar_stroke(b, x - 7.5f * w - gap13);
            break;
        case kEndRepeat:
            draw_repeat_dots(b, left_dots);
            [[fallthrough]];
        case kFinalBar:
            draw_thin_bar_stroke(b, x - 13.8f * w - gap13);
            draw_thick_stroke(b, x);
            break;
        case kStartRepeat:
        case kDoubleRepeat:
            draw_thick_stroke(b, x);
            draw_thin_bar_stroke(b, x + 7.8f * w + gap13);
            draw_repeat_dots(b, 19.5f * w + gap13 + gap14);
            if (kind == kDoubleRepeat) {
                draw_repeat_dots(b, left_dots);
                draw_thin_bar_stroke(b, x - 13.8f * w - gap13);
            }
            break;
        case kThickRepeat:
            draw_repeat_dots(b, -(18.36f * w + gap14));
            draw_repeat_dots(b, 25.2f * w + gap13 + gap14);
            draw_thick_stroke(b, x);
            draw_thick_stroke(b, x + 13.0f * w + gap13);
            break;
        case kBrace:
            draw_brace_glyph(b);
            break;
        case kBracket: {
            draw_band(b, x - 14.1f * w, x - 9.6f * w);
            const int32_t ends = core::int_of(p(8));
            if (ends >= 0 && ends <= 2) draw_bracket_ends(b, ends);
            break;
        }
        case kShortStroke: {
            const int32_t part = core::int_of(p(8));
            if (part == 0 || part == 2)
                add_path_segment(x - 36.0f * w, b.lower, x - 21.0f * w, b.lower);
            if (part == 0 || part == 1)
                add_path_segment(x - 36.0f * w, b.upper, x - 21.0f * w, b.upper);
            break;
        }
        default:
            if (kind == kDashedBar || kind >= 11) draw_dashed_bar(b, p(8), p(9));
            break;
    }
}

}  // namespace

// Contract: see the header.
void draw_bar_line_item() {
    auto& p = core::ParamBuffer;
    const auto& staves = layout::StaffTables;
    Bar b;
    b.staff = staves.CurrentStaff;
    b.pass = OutputPassWord;
    b.line_width = output_line_width();
    b.x = ItemDrawOrigin.x;
    if (p(15) == 0.0f) b.x += p(7) * kPageUnit;

    if (core::int_of(p(4)) == kWholeSystem) resolve_whole_system();
    int32_t kind = core::int_of(p(5));
    if (kind == kRestAtBar) {
        // The bar item only carries the rest: no stroke of its own.
        p(5) = 0.0f;
        draw_rest_at_bar(b.x);
    }
    // Beyond the staves a count means all of them: held there, its negation cannot overflow.
    int32_t count = core::int_in(p(4), -layout::kMaxStaves, layout::kMaxStaves);
    if (count < 0) {
        if (b.pass == kPostScriptPass || layout::ShowInvisibleItems <= 0) return;
        count = -count;
        kind = kDashedBar;
        p(5) = static_cast<float>(kDashedBar);
        p(8) = 0.3f;
        p(9) = 1.5f;
    }
    if (count == 0) count = 1;
    int32_t top =
        layout::MaxStaffNumber < layout::kMaxStaves ? layout::MaxStaffNumber : layout::kMaxStaves;
    if (count > top - b.staff + 1) count = top - b.staff + 1;
    if (count < 1 || b.staff < 0) return;
    b.last_staff = b.staff + count - 1;

    b.w = p(17) != 0.0f ? p(17) * 25.0f : staves.StaffScale(b.staff);
    const float lower_pos = p(10) != 0.0f ? p(10) : default_lower(kind);
    const float upper_pos = p(11) != 0.0f ? p(11) : default_upper(kind);
    b.lower = staff_y(b.staff, lower_pos);
    b.upper = staff_y(b.last_staff, upper_pos);
    draw_bar_kind(b, kind);
}

}  // namespace render
