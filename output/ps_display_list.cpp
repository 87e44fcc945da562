#include "output/ps_display_list.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/ps_errors.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "output/tables.h"

namespace output {

namespace {

constexpr int16_t kWidthEntry = 99;
constexpr int16_t kBreakEntry = -99;
constexpr int16_t kLineThenBlack = 98;
// An X below this carries no point: X + kEscapeBias is the operation of the next entry.
constexpr int32_t kEscapeLimit = -192600;
constexpr int32_t kEscapeBias = 192700;
constexpr int32_t kChunkLines = 120;
constexpr int32_t kProcedurePass = -99;

// One entry with its escapes resolved: the operation and the point it applies to.
struct Entry {
    int32_t op = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// Reads entry k (moving k past a run of escapes to the entry that holds the point). The last
// escape of a run decides the operation. A run that reaches the end keeps the last entry.
Entry read_entry(int32_t& k, int32_t end) {
    const auto& list = render::PathPointList;
    Entry e;
    int32_t escape_op = 0;
    bool escaped = false;
    while (list.x(k) < kEscapeLimit && k + 1 < end) {
        escape_op = list.x(k) + kEscapeBias;
        escaped = true;
        ++k;
    }
    e.op = escaped ? escape_op : list.op(k);
    e.x = list.x(k);
    e.y = list.y(k);
    return e;
}

// The digits of v as "%lld" writes them, at out; the end of what was written. (Written by hand:
// a page's path points are most of its EPS, and a format call per number cost more than the
// rest of the writing.)
char* put_decimal(char* out, int64_t v) {
    uint64_t magnitude = static_cast<uint64_t>(v);
    if (v < 0) {
        *out++ = '-';
        magnitude = 0 - magnitude;
    }
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0) *out++ = digits[--n];
    return out;
}

// " X Y m" / " X Y l": one blank before each number, the right-hand page moved over. Built
// in place: a page writes a line per path point.
bool write_point(const Entry& e, bool move) {
    int64_t x = e.x;
    if (core::IntParamBuffer(2) > layout::kLeftPageStaves) x += render::kSpreadShift;
    char line[48];
    char* end = line;
    *end++ = ' ';
    end = put_decimal(end, x);
    *end++ = ' ';
    end = put_decimal(end, e.y);
    *end++ = ' ';
    *end++ = move ? 'm' : 'l';
    return write_ps_line(std::string_view(line, static_cast<std::size_t>(end - line)));
}

// Paints the open path: mode 2 fills by the even-odd rule and strokes the outline; 4 fills
// (" e": the prolog's eofill). Every other mode strokes: a path that never set a mode, and one
// left in the joining mode 3, which would otherwise run on into the next item's path.
bool paint_path(int32_t mode) {
    switch (mode) {
        case 2:
            return write_ps_line(" g e r s");
        case 4:
            return write_ps_line(" e");
        default:
            return write_ps_line(" s");
    }
}

std::string width_line(float value) { return core::format_real("(1f11.4)", value) + " lw"; }

}  // namespace

// Contract: see the header. Reads CommandModeLetters(1).
bool ps_job_aborted() { return core::CommandModeLetters(1) == 'B'; }

// Contract: see the header. Writes unit 24 (render::kPostScriptUnit); a failed write runs the
// write-error rule once (the abort letter stops every later write). Reads
// SymbolProcedures.recording.
bool write_ps_line(std::string_view line) {
    if (ps_job_aborted()) return false;
    if (SymbolProcedures.recording == 1) return true;
    if (core::write_record(render::kPostScriptUnit, line) != core::IoResult::Ok) {
        render::report_ps_write_error();
        return false;
    }
    return true;
}

// Contract: see the header. Writes PathPointList; reads OutputSettings.resolution. A full list
// takes no entry.
void add_path_width(int32_t width) {
    auto& list = render::PathPointList;
    const int32_t c = list.count;
    if (c < 1 || c > render::kPathPoints) return;
    const int64_t y = static_cast<int64_t>(width) * OutputSettings.resolution / 600;
    list.op(c) = kWidthEntry;
    list.x(c) = 999;
    list.y(c) = static_cast<int32_t>(y);
    list.count = c + 1;
}

// Contract: see the header. Writes PathPointList; a full list takes no entry.
void add_path_break() {
    auto& list = render::PathPointList;
    const int32_t c = list.count;
    if (c < 1 || c > render::kPathPoints) return;
    list.op(c) = kBreakEntry;
    list.x(c) = 0;
    list.y(c) = 0;
    list.count = c + 1;
}

// Writes PathPointList 1..count-1 as path text. Reads IntParamBuffer(2) (the right-hand page),
// OutputPassWord and PostScriptState.procedure_chunking (a procedure body is cut into pieces
// of 120 lines); writes PostScriptState.path_mode. Returns false when the job was aborted.
bool display_list_write() {
    auto& state = PostScriptState;
    const int32_t end = render::PathPointList.count;
    int32_t chunk = kChunkLines;
    state.path_mode = 0;
    int32_t k = 1;
    bool black_after = false;

    // Leading width entries and breaks, then the first point, written as a move.
    for (;;) {
        if (k >= end) return !ps_job_aborted();
        const Entry e = read_entry(k, end);
        if (e.op == kWidthEntry) {
            write_ps_line_width(static_cast<float>(e.y));
        } else if (e.op == kBreakEntry) {
            write_ps_base_width();
        } else {
            // A first entry that continues a path has no mode: it is stroked.
            state.path_mode = e.op > 0 ? e.op : 0;
            if (e.op == kLineThenBlack) state.path_mode = 0;
            write_point(e, true);
            ++k;
            --chunk;
            break;
        }
        if (ps_job_aborted()) return false;
        ++k;
    }

    while (k < end) {
        if (ps_job_aborted()) return false;
        if (state.procedure_chunking < 0 && render::OutputPassWord == kProcedurePass &&
            chunk <= 0) {
            write_ps_line(" } EXEC {");
            chunk = kChunkLines;
        }
        Entry e = read_entry(k, end);
        if (e.op == kWidthEntry) {
            write_ps_line_width(static_cast<float>(e.y));
        } else if (e.op == kBreakEntry) {
            paint_path(state.path_mode);
            write_ps_base_width();
        } else {
            black_after = e.op == kLineThenBlack;
            if (black_after) e.op = 0;
            if (e.op <= 0) {
                write_point(e, false);
            } else {
                if (state.path_mode == 0) {
                    state.path_mode = e.op;
                } else if (!(e.op == 3 || (e.op == 1 && state.path_mode == 1))) {
                    paint_path(state.path_mode);
                    state.path_mode = e.op;
                }
                write_point(e, true);
            }
        }
        if (ps_job_aborted()) return false;
        ++k;
        --chunk;
    }
    paint_path(state.path_mode);
    if (state.path_mode == 2 && black_after) write_ps_line("0 setgray");
    return !ps_job_aborted();
}

// Contract: see the header. Reads ParamBuffer P1..P16 (copied to EditItemParams) and
// PathPointList; writes PostScriptState.group_depth. While the symbol pass records, the list
// is only emptied.
void flush_path_points() {
    auto& list = render::PathPointList;
    auto& state = PostScriptState;
    if (SymbolProcedures.recording == 1) {
        list.count = 1;
        state.group_depth = 0;
        return;
    }
    for (int32_t i = 1; i <= 16; ++i) core::EditItemParams(i) = core::ParamBuffer(i);
    if (list.count > 1 && !display_list_write()) return;
    list.count = 1;
    if (state.group_depth >= 1) {
        write_ps_line(" r");
        state.group_depth = 0;
    }
}

// Contract: see the header. Reads GreyState.current (the item's grey, or decimal RRGGBB above
// 1.0); a colour goes to render::write_ps_colour and raises PsColourFlag.
void write_ps_gray_level(int32_t& count) {
    ++count;
    float grey = render::GreyState.current;
    if (grey >= 0.0f && grey <= 1.0f) {
        write_ps_line(" g" + core::format_real("(1f6.3)", grey) + " setgray");
        return;
    }
    render::write_ps_colour(grey);
    render::PsColourFlag = 1;
}

// Contract: see the header. Reads OutputSettings.line_width and PostScriptState.width_factor;
// writes PostScriptState.width_in_force.
void write_ps_line_width(float extra_width) {
    auto& state = PostScriptState;
    float value =
        (static_cast<float>(OutputSettings.line_width) + extra_width) * state.width_factor;
    if (!(value > 0.0f)) value = 0.0f;
    state.width_in_force = value;
    write_ps_line(width_line(value));
}

// Contract: see the header. Reads PostScriptState.base_line_width.
void write_ps_base_width() {
    PostScriptState.width_in_force = PostScriptState.base_line_width;
    write_ps_line(width_line(PostScriptState.base_line_width));
}

// The page's line width in display units (BaseLineWidth = OutputLineWidth x WidthFactor).
float output_line_width() {
    return static_cast<float>(OutputSettings.line_width) * PostScriptState.width_factor;
}

// A width code adds code x resolution / 600 printer dots, each WidthFactor display units.
float output_line_width_factor() {
    return PostScriptState.width_factor * static_cast<float>(OutputSettings.resolution) / 600.0f;
}

// Beam outlines keep the width in force: no width code is set for them.
int32_t beam_line_width() { return 0; }

}  // namespace output
