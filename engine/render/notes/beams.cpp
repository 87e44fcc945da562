#include "engine/render/notes/beams.h"

#include <cstdlib>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/lines/boxes.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kParked = 30;
constexpr float kHeadWidth = 17.0f;    // size units
constexpr float kBeamOffset = 49.0f;   // seven steps from the notes to the beam
constexpr float kBeamSpacing = 10.5f;  // between stacked beams
constexpr float kBeamThickness = 7.0f;
constexpr float kInset = 0.14f;  // a partial beam's default end, P3 units per size
constexpr float kStub = 16.2f;   // a one-ended partial beam
constexpr float kPolygonThickness = 35.0f;
constexpr float kPolygonLimit = 192600.0f;
constexpr float kTremoloLength = 1000.0f;
constexpr float kCueTremoloLength = 600.0f;
constexpr float kTremoloSlant = 2.9166f;
constexpr int32_t kTupletHandledElsewhere = 999;

float factor(float v) { return v == 0.0f ? 1.0f : v; }

// Decimal digit d (0 units, 1 tens, 2 hundreds) of |v|.
int32_t digit(int32_t v, int32_t d) {
    int64_t a = std::llabs(static_cast<int64_t>(v));
    for (int32_t k = 0; k < d; ++k) a /= 10;
    return static_cast<int32_t>(a % 10);
}

bool is_cue() { return std::llabs(static_cast<int64_t>(core::IntParamBuffer(4))) >= 100; }

// The beam's size s: the staff's scale x P18, or x 0.6 for a cue beam without P18.
float beam_size() {
    const float scale = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    const float p18 = core::ParamBuffer(18);
    if (p18 != 0.0f) return scale * p18;
    return is_cue() ? scale * 0.6f : scale;
}

// P1..P30, IP1..IP30 and the origin, put back on every way out.
class ParkedBeam {
  public:
    ParkedBeam() : origin_(ItemDrawOrigin) {
        core::push_words(kParked, core::ParamBuffer.at(1));
        core::push_words(kParked, core::IntParamBuffer.at(1));
    }
    ~ParkedBeam() {
        core::pop_words(kParked, core::IntParamBuffer.at(1));
        core::pop_words(kParked, core::ParamBuffer.at(1));
        ItemDrawOrigin = origin_;
    }
    ParkedBeam(const ParkedBeam&) = delete;
    ParkedBeam& operator=(const ParkedBeam&) = delete;

  private:
    ItemDrawOriginRecord origin_;
};

// The beam's line and sizes. toward is the y direction from the beam towards the notes (-1 for
// stems up, whose beam lies above): thickness and stacking go that way.
struct Beam {
    float s = 25.0f;
    float head = 0.0f;     // head width, display units
    float spacing = 0.0f;  // between stacked beams, display units
    float thick = 0.0f;
    float toward = 1.0f;
    bool up = false;
    int32_t pass = 1;
    float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f;
    float slope = 0.0f;

    float line_y(float x) const { return y1 + slope * (x - x1); }
    // The head-width shift of a P9 digit: right for stems down, left for stems up.
    float head_shift() const { return up ? -head : head; }
};

// One band from (xa, ya) to (xb, yb), thickness towards the notes: a filled outline, its first
// corner repeated to close it (and, in PostScript, its second corner once more). On the pass
// that loads metrics the band is a polygon of fixed thickness, left out when it lies too high.
void draw_band(const Beam& b, float xa, float ya, float xb, float yb) {
    if (b.pass == 0) {
        if (ya > kPolygonLimit || yb > kPolygonLimit) return;
        const float d = b.toward * kPolygonThickness;
        add_path_point(xa, ya, 2);
        add_path_point(xb, yb, 0);
        add_path_point(xb, yb + d, 0);
        add_path_point(xa, ya + d, 0);
        add_path_point(xa, ya, 0);
        return;
    }
    const float d = b.toward * b.thick;
    QuadWork.x(1) = xa;
    QuadWork.y(1) = ya;
    QuadWork.x(2) = xb;
    QuadWork.y(2) = yb;
    QuadWork.x(3) = xb;
    QuadWork.y(3) = yb + d;
    QuadWork.x(4) = xa;
    QuadWork.y(4) = ya + d;
    QuadWork.start_op = 2;
    add_path_quad();
}

// count bands from (xa, ya)-(xb, yb), each next one a spacing nearer the notes.
void draw_stack(const Beam& b, int32_t count, float xa, float ya, float xb, float yb) {
    for (int32_t c = 0; c < count; ++c) {
        const float d = static_cast<float>(c) * b.toward * b.spacing;
        draw_band(b, xa, ya + d, xb, yb + d);
    }
}

// A set of partial beams: code (tens = spacings inside the main beams, units = count), ends
// left and right (P3 units, 0 = not given) and the P9 digit of its head-width shifts.
void draw_partial_set(const Beam& b, int32_t code, float left, float right, int32_t shift) {
    const int32_t count = digit(code, 0);
    if (count == 0) return;
    const float inside = static_cast<float>(digit(code, 1));
    const float own = b.up ? b.head : 0.0f;
    // -1 stands for the beam's own left or right end, as the beam refit writes it.
    if (left == -1.0f) left = core::ParamBuffer(3);
    if (right == -1.0f) right = core::ParamBuffer(6);
    const bool has_left = left != 0.0f;
    const bool has_right = right != 0.0f;
    float xa = has_left ? left * 150.0f + own : b.x1 + kInset * b.s * 150.0f;
    float xb = has_right ? right * 150.0f + own : b.x2 - kInset * b.s * 150.0f;
    if (shift == 1 || shift == 3) xa += b.head_shift();
    if (shift == 2 || shift == 3) xb += b.head_shift();
    if (has_left && !has_right) xb = xa + kStub * b.s;
    if (!has_left && has_right) xa = xb - kStub * b.s;
    const float d = inside * b.toward * b.spacing;
    draw_stack(b, count, xa, b.line_y(xa) + d, xb, b.line_y(xb) + d);
}

// Tremolo strokes (negative P7, P11 = 0): from x1, 1000 display units long (600 cue), slanted
// symmetrically about the note's height by 2.9166 x s x P12 in all.
void draw_tremolo(const Beam& b, int32_t code) {
    const int32_t count = digit(code, 0);
    if (count == 0) return;
    const float length = is_cue() ? kCueTremoloLength : kTremoloLength;
    const float half_rise = kTremoloSlant * b.s * core::ParamBuffer(12) / 2.0f;
    const float d = static_cast<float>(digit(code, 1)) * b.toward * b.spacing;
    draw_stack(b, count, b.x1, b.y1 - half_rise + d, b.x1 + length, b.y1 + half_rise + d);
}

// The tuplet number over (or under) the beam, placed along it by P16 (0 = the middle).
void draw_tuplet(const Beam& b) {
    auto& p = core::ParamBuffer;
    const int32_t number = core::IntParamBuffer(8);
    const float scale = layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
    float height = (b.up ? 6.5f : -24.5f) + 7.0f * p(19);
    float size = 0.875f;
    if (is_cue()) {
        size = 0.6f;
        height *= 0.8f;
    }
    const float along = p(16) == 0.0f ? 0.5f : p(16);
    const float dx = along * (b.x2 - b.x1);
    p(6) = size;
    ItemDrawOrigin.y = b.line_y(b.x1 + dx) + height * scale;
    run_hook(RenderHooks.draw_tuplet_number, number, b.x1, dx);
}

}  // namespace

// Contract: see the header. Reads ParamBuffer P1, P3..P21, IntParamBuffer 1, 4, 7..10, 13, the
// origin, the current staff's scale and OutputPassWord; writes PathPointList and, through the
// tuplet hook, the text stream.
void draw_beam_item() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    ParkedBeam parked;
    Beam b;
    b.pass = OutputPassWord;
    b.s = beam_size();
    b.head = kHeadWidth * b.s * factor(p(20));
    b.spacing = kBeamSpacing * b.s * factor(p(21));
    b.thick = kBeamThickness * b.s * (p(17) != 0.0f ? p(17) : (is_cue() ? 0.8f : 1.0f));
    const int32_t p7 = ip(7);
    b.up = digit(p7, 1) == 1;
    b.toward = b.up ? -1.0f : 1.0f;

    float left = p(3);
    float right = p(6);
    if (ip(13) == 0) {
        shift_beam_end(p(14), left);
        shift_beam_end(p(15), right);
        b.x1 = left * 150.0f;
    } else {
        b.x1 = ItemDrawOrigin.x;
    }
    b.x2 = right * 150.0f;
    if (b.up) {
        b.x1 += b.head;
        b.x2 += b.head;
    }
    const int32_t ends = digit(ip(9), 2);
    if (ends == 1 || ends == 3) b.x1 += b.head_shift();
    if (ends == 2 || ends == 3) b.x2 += b.head_shift();

    const float offset = -b.toward * kBeamOffset * b.s;
    b.y1 = ItemDrawOrigin.y;
    if (ip(1) != kTremoloBeamMark) b.y1 += offset;
    b.y2 = compute_staff_y(p(5)) + offset;
    const float run = b.x2 - b.x1;
    b.slope = (b.y2 - b.y1) / (run == 0.0f ? 100.0f : run);

    int32_t width = 0;
    if (b.pass == kPostScriptPass && RenderHooks.beam_line_width != nullptr) {
        width = RenderHooks.beam_line_width();
    }
    if (width != 0) run_hook(RenderHooks.add_path_width, width);

    if (p7 > 0) draw_stack(b, digit(p7, 0), b.x1, b.y1, b.x2, b.y2);
    if (ip(10) != 0) {
        if (p7 < 0 && p(11) == 0.0f) {
            draw_tremolo(b, ip(10));
        } else {
            draw_partial_set(b, ip(10), p(11), p(12), digit(ip(9), 1));
        }
    }
    if (ip(13) != 0) draw_partial_set(b, ip(13), p(14), p(15), digit(ip(9), 0));

    if (width != 0) run_hook(RenderHooks.add_path_break);

    if (ip(8) > 0 && ip(8) < kTupletHandledElsewhere) draw_tuplet(b);
}

// Contract: see the header. Reads ParamBuffer P4, P18, P20 and the current staff's scale.
void shift_beam_end(float value, float& end) {
    const float s = beam_size();
    const float head = s * factor(core::ParamBuffer(20)) * kHeadWidth / 150.0f;
    if (value == 10.0f) {
        end += head;
    } else if (value == 20.0f) {
        end -= head;
    } else {
        end += s * value * 0.04f;
    }
}

}  // namespace render
