#include "output/ps_symbols.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_items.h"
#include "output/ps_display_list.h"
#include "output/tables.h"

namespace output {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kProcedurePass = -99;
constexpr int32_t kDefaultBudget = 2000;
constexpr int32_t kSmallSymbolLimit = 50;  // below: drawn at 6.25, above at 7.5 (x 0.3 of 25)
constexpr int32_t kThinnerFrom = 45;       // the drawer takes one off the width from here on
constexpr float kNormalScale = 25.0f;
constexpr int32_t kNoWidth = 99;
// Width codes are small; held here so that the code's neighbours stay in range.
constexpr int32_t kWidthCodeLimit = 9999;
constexpr int32_t kTrillFirst = 15;
constexpr int32_t kTrillLast = 49;
constexpr float kTrillPeriod = 146.0f;
// The path route draws at most this many trill pieces into the point list; the pattern
// procedure is held to the same.
constexpr double kTrillPieceLimit = render::kPathPoints / (kTrillLast - kTrillFirst + 1);

// value with `decimals` places right-aligned in `width` columns; wider when it needs more, so
// that no field turns into asterisks the PostScript reader would stop on.
std::string fixed(double value, int decimals, int width) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
    return buffer;
}

std::string whole(int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%*lld", width, static_cast<long long>(value));
    return buffer;
}

std::string procedure_name(int32_t place) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "P%02d", place);
    return buffer;
}

bool on_right_page() { return core::IntParamBuffer(2) > layout::kLeftPageStaves; }

// Place (from 0) of number among the symbols with a procedure, -1 when it has none.
int32_t procedure_place(int32_t number) {
    const auto& s = SymbolProcedures;
    for (int32_t i = 1; i <= s.procedure_count; ++i) {
        if (s.procedures(i) == number) return i - 1;
    }
    return -1;
}

bool is_candidate(int32_t number) {
    const auto& s = SymbolProcedures;
    for (int32_t i = 1; i <= s.candidate_count; ++i) {
        if (s.candidates(i) == number) return true;
    }
    return false;
}

// ParamBuffer and IntParamBuffer of the item being recorded, kept while a symbol is drawn
// alone and put back after.
struct SavedParams {
    SavedParams() : p(core::ParamBuffer), ip(core::IntParamBuffer) {}
    ~SavedParams() {
        core::ParamBuffer = p;
        core::IntParamBuffer = ip;
    }
    SavedParams(const SavedParams&) = delete;
    SavedParams& operator=(const SavedParams&) = delete;
    decltype(core::ParamBuffer) p;
    decltype(core::IntParamBuffer) ip;
};

// Loads the item at store word s like the page redraw: P1..P50 from the record, zeros after.
void load_item(int32_t s) {
    auto& p = core::ParamBuffer;
    for (int32_t k = 1; k <= 50; ++k) p(k) = 0.0f;
    int32_t n = core::int_of(core::ItemStore(s));
    if (n > 50) n = 50;
    if (n > core::kItemStoreWords - s) n = core::kItemStoreWords - s;
    for (int32_t k = 1; k <= n; ++k) p(k) = core::ItemStore(s + k);
    for (int32_t k = 1; k <= 50; ++k) core::IntParamBuffer(k) = core::int_of(p(k));
}

// Codes whose drawing uses library symbols; text, lines, slurs, beams, staves, boxes and bar
// lines do not. Codes 19 and up never reach the PostScript pass.
bool uses_symbols(int32_t code) {
    return code == 1 || code == 2 || code == 3 || code == 7 || code == 9 || code == 17 ||
           code == 18;
}

}  // namespace

// Contract: see the header. Reads ItemStore, ItemStartTable, ItemCount; writes
// SymbolProcedures, OutputPassWord (-99 during the pass, -1 after), EditedItemNumber (0),
// ParamBuffer, IntParamBuffer and PathPointList (empty after). A budget below 0 defines nothing.
void define_symbol_procedures() {
    auto& s = SymbolProcedures;
    s.trill_scale_x = 0.0f;
    // The lists go even when the pass is off: a procedure of an earlier page is not defined in
    // this one.
    s.candidate_count = 0;
    s.procedure_count = 0;
    s.entries = 0;
    if (s.budget < 0) return;
    if (s.budget == 0) s.budget = kDefaultBudget;
    render::OutputPassWord = kProcedurePass;
    if (ps_job_aborted()) core::CommandModeLetters(1) = ' ';
    core::EditedItemNumber = 0;
    core::rebuild_item_start_table();

    s.recording = 1;
    for (int32_t k = 1; k <= core::ItemCount && s.entries <= s.budget; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (start < 1 || start > core::kItemStoreWords - 1) break;
        if (!uses_symbols(core::int_of(core::ItemStore(start + 1)))) continue;
        load_item(start);
        if (core::ParamBuffer(26) < 0.0f) continue;  // not printed
        render::PathPointList.count = 1;
        render::draw_item_by_code();
        render::PathPointList.count = 1;
        if (ps_job_aborted()) break;
    }
    s.recording = 0;
    PostScriptState.group_depth = 0;
    PostScriptState.procedure_chunking = 0;
    render::PathPointList.count = 1;
    render::OutputPassWord = kPostScriptPass;
}

// Contract: see the header. Reads and writes SymbolProcedures; draws the symbol alone through
// render::draw_library_symbol at the procedure pass and writes its procedure to the PostScript
// unit. A symbol that would pass the budget, or that draws nothing, stays without procedure.
void define_symbol_procedure(int32_t number) {
    auto& s = SymbolProcedures;
    if (s.procedure_count >= kProcedureLimit || procedure_place(number) >= 0) return;
    if (!is_candidate(number)) {
        if (s.candidate_count < kCandidateLimit) s.candidates(++s.candidate_count) = number;
        return;
    }
    auto& list = render::PathPointList;
    const int32_t saved_count = list.count;
    const int32_t saved_pass = render::OutputPassWord;
    SavedParams saved;
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    for (int32_t k = 1; k <= 50; ++k) {
        p(k) = 0.0f;
        ip(k) = 0;
    }
    p(1) = 9.0f;
    ip(1) = 9;

    s.recording = 0;
    render::OutputPassWord = kProcedurePass;
    list.count = 1;
    const float scale = number < kSmallSymbolLimit ? 6.25f : 7.5f;
    render::draw_library_symbol(0.0f, 0.0f, number, scale, scale, 0, 0.0f, 0);
    const int32_t drawn = list.count - 1;
    if (drawn > 0 && s.entries + drawn < s.budget) {
        const int32_t place = s.procedure_count;
        s.procedures(++s.procedure_count) = number;
        s.entries += drawn;
        PostScriptState.procedure_chunking = -1;
        write_ps_line(" /EXEC{/exec load}bind def /" + procedure_name(place) +
                      "[{g /z exch def /y exch def /x exch def x y tr  z z scale");
        display_list_write();
        write_ps_line(" r}EXEC] cvx bind def");
        PostScriptState.procedure_chunking = 0;
    }
    list.count = saved_count;
    render::OutputPassWord = saved_pass;
    s.recording = 1;
}

// Contract: see the header. Reads SymbolProcedures.recording.
bool record_symbol_use(int32_t number) {
    if (SymbolProcedures.recording != 1) return false;
    define_symbol_procedure(number);
    return true;
}

// Contract: see the header. Reads SymbolProcedures, the current staff's scale, IntParamBuffer
// (staff, width word 10, or P16 for codes 10 and 18), WidthFactor and BaseLineWidth; writes
// PostScriptState.procedure_chunking. A scale of 0 (or one that is not a number) has no call:
// the symbol is drawn as paths.
bool write_ps_symbol_call(float x, float y, float size, int32_t number, int32_t& state) {
    auto& ps = PostScriptState;
    const int32_t place = procedure_place(number);
    const auto& staves = layout::StaffTables;
    const float staff_scale = staves.StaffScale(staves.CurrentStaff);
    const float z = staff_scale * size / (number < kSmallSymbolLimit ? 6.25f : 25.0f);
    if (place < 0 || !(z != 0.0f) || !std::isfinite(z) || !std::isfinite(x) || !std::isfinite(y)) {
        state = 0;
        ps.procedure_chunking = 0;
        return false;
    }
    const auto& ip = core::IntParamBuffer;
    int64_t xi = static_cast<int64_t>(x);
    const int64_t yi = static_cast<int64_t>(y);
    if (on_right_page()) xi += render::kSpreadShift;

    int32_t code = ip(10);
    if (ip(1) == 10 || ip(1) == 18) code = core::nint(core::ParamBuffer(16));
    code = std::clamp(code, -kWidthCodeLimit, kWidthCodeLimit);
    if (number >= kThinnerFrom) code -= 1;
    if (code < 0) code = 0;
    float w = (static_cast<float>(code) * ps.width_factor + ps.base_line_width) / std::fabs(z);
    if (w < 0.0f) w = 0.0f;

    const std::string call =
        whole(xi, 7) + whole(yi, 7) + fixed(z, 3, 7) + " " + procedure_name(place);
    if (w == ps.base_line_width) {
        write_ps_line(call);
    } else {
        write_ps_line(fixed(w, 3, 8) + " lw" + call + " wdl lw");
    }
    state = 1;
    ps.procedure_chunking = 1;
    return true;
}

// Contract: see the header. Reads P16 and the staff's default code and scale from StaffTables.
int32_t select_note_line_width() {
    const auto& staves = layout::StaffTables;
    const int32_t staff = core::IntParamBuffer(2);
    int32_t fallback = kNoWidth;
    float scale = kNormalScale;
    if (staff >= 1 && staff <= layout::kMaxStaves) {
        fallback = std::clamp(staves.StaffLineWidthCode(staff), -kWidthCodeLimit, kWidthCodeLimit);
        scale = staves.StaffScale(staff);
    }
    if (fallback == kNoWidth) return kNoWidth;
    int32_t code =
        std::clamp(core::int_of(core::ParamBuffer(16)), -kWidthCodeLimit, kWidthCodeLimit);
    if (code == 0) code = fallback + (scale != kNormalScale ? 1 : 2);
    if (code == kNoWidth) code = fallback;
    if (code != 0) add_path_width(code);
    return code;
}

// Contract: see the header. Reads ParamBuffer P12 and the staff; writes
// SymbolProcedures.trill_scale_x/y. A period that is not a positive number, or a line that
// would repeat the pattern more often than the path route could draw it, writes nothing.
void write_ps_trill_line(const float* x, const float* y, int32_t count, float x0, float y0,
                         float x1, float sx, float sy) {
    auto& s = SymbolProcedures;
    if (s.recording == 1 || count < kTrillLast) return;
    const float step = kTrillPeriod * sx;
    if (!(step > 0.0f) || !std::isfinite(step) || !std::isfinite(sy) || !std::isfinite(x0) ||
        !std::isfinite(x1) || !std::isfinite(y0)) {
        return;
    }
    if ((static_cast<double>(x1) - x0) / step > kTrillPieceLimit) return;
    if (sx != s.trill_scale_x || sy != s.trill_scale_y) {
        write_ps_line(" /EXEC {/exec load } bind def /trl [");
        write_ps_line(" {g /z exch def  /r6 exch def /r4 exch def /r3 exch def   r3 r4 tr");
        write_ps_line(" r3 z r6 { pop ");
        for (int32_t k = kTrillFirst; k <= kTrillLast; ++k) {
            write_ps_line(fixed(sx * x[k - 1], 1, 9) + fixed(sy * y[k - 1], 1, 9) +
                          (k == kTrillFirst ? " m" : " l"));
        }
        write_ps_line(" g e r s  z 0 tr } for r } EXEC ] cvx bind def");
        s.trill_scale_x = sx;
        s.trill_scale_y = sy;
    }
    write_ps_line_width(-1.0f);
    double from = x0;
    double to = x1;
    if (on_right_page()) {
        from += render::kSpreadShift;
        to += render::kSpreadShift;
    }
    // The loop runs while x < x1, as the path route does: the end is pulled in by a hair so
    // that a piece starting exactly at x1 is not drawn.
    write_ps_line(fixed(from, 1, 9) + fixed(y0, 1, 9) + fixed(to - step * 0.001, 1, 9) +
                  fixed(step, 1, 9) + " trl");
    if (core::ParamBuffer(12) == 0.0f) write_ps_base_width();
}

// Contract: see the header. Reads P5 (0 box, 1 circle), P9 (rotation), P12 (arc step) and the
// staff of the item; writes PostScriptState.group_depth. A box drawn as points is rotated
// point by point by its drawer; only a circle written as an arc needs the rotation group.
void set_box_line_width(float width) {
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    const bool circle = ip(5) == 1;
    const bool as_arc = circle && ip(12) >= 0 && ip(12) <= 10;
    if (as_arc && ip(9) != 0) {
        float x = render::ItemDrawOrigin.x;
        if (layout::on_right_page(p(2))) x += static_cast<float>(render::kSpreadShift);
        if (render::write_ps_rotation(x, render::ItemDrawOrigin.y, p(9))) {
            PostScriptState.group_depth = 1;
        }
    }
    const int32_t code = core::int_of(2.0f * width);
    if (code == 0) return;
    if (!circle) {
        add_path_width(code);
    } else {
        write_ps_line_width(
            static_cast<float>(static_cast<int64_t>(code) * OutputSettings.resolution / 600));
    }
}

// Contract: see the header. Reads P13 (filled) and the staff of the item. An ellipse of
// vertical scale 0 (or not a number) writes nothing.
void write_ps_arc(float x, float y, float radius, float start, float end, float y_scale) {
    if (!(y_scale != 0.0f) || !std::isfinite(y_scale)) return;
    if (on_right_page()) x += static_cast<float>(render::kSpreadShift);
    // The drawer's angles run counter-clockwise from the x axis (its points are x0 + r cos a,
    // y0 + r sin a with y up), as PostScript's do: the arc is the one the screen shows.
    const int32_t a1 = core::int_of(start);
    const int32_t a2 = core::int_of(end);
    const bool scaled = y_scale != 1.0f;
    if (scaled) {
        write_ps_line(" g 1" + fixed(y_scale, 5, 10) + " scale");
        y /= y_scale;
    }
    write_ps_line(" newpath" + fixed(x, 1, 10) + fixed(y, 1, 10) + fixed(radius, 1, 10) +
                  whole(a1, 5) + whole(a2, 5) + " arc");
    if (scaled) write_ps_line(" 1" + fixed(1.0 / y_scale, 5, 10) + " scale");
    write_ps_line(core::ParamBuffer(13) != 0.0f ? " e" : " s");
    if (scaled) write_ps_line(" r");
}

}  // namespace output
