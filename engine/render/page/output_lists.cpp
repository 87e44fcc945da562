#include "engine/render/page/output_lists.h"

#include <cstdio>
#include <limits>
#include <ostream>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace render {

namespace {

// GraphicsList words are 32-bit; a drawer's point far off the page must not wrap around when
// the view origin or the spread shift is added.
int32_t clamp_word(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// OP x 2^24 as the front-end sees it: only the low 8 bits of the operation reach the top byte.
int32_t op_word(int16_t op) {
    return static_cast<int32_t>((static_cast<uint32_t>(op) & 0xFFu) << 24);
}

}  // namespace

// Contract: see the header. Writes PathPointList.
void add_scaled_points(int32_t n, const float* xs, const float* ys, const int16_t* pens, float x,
                       float y, float sx, float sy) {
    auto& list = PathPointList;
    const int32_t c = list.count;
    if (c < 1 || c > kPathPoints || n < 1) return;
    const int32_t m = n < kPathPoints - c + 1 ? n : kPathPoints - c + 1;
    int32_t* __restrict out_x = list.x.data() + (c - 1);
    int32_t* __restrict out_y = list.y.data() + (c - 1);
    int16_t* __restrict out_op = list.op.data() + (c - 1);
    for (int32_t i = 0; i < m; ++i) {
        out_x[i] = truncate_real(x + sx * xs[i]);
        out_y[i] = truncate_real(y + sy * ys[i]);
        out_op[i] = pens[i] < 0 ? int16_t{0} : pens[i];
    }
    list.count = c + m;
}

// Contract: appends a start point (op 1) and an end point (op 0). Both or neither: a path start
// without its end would draw nothing and could swallow the next item's first point.
void add_path_segment(float x1, float y1, float x2, float y2) {
    const int32_t c = PathPointList.count;
    if (c < 1 || c > kPathPoints - 1) return;
    add_path_point(x1, y1, 1);
    add_path_point(x2, y2, 0);
}

// Contract: writes PathPointList 1..count-1 as GraphicsList entries from GraphicsNextFree,
// x + ViewOrigin.x (+ the spread shift on the right page), y - ViewOrigin.y, word 3 =
// DrawColourWord + op x 2^24. A path start that follows another path start replaces it (the
// first drew nothing). Reads P2 and P26 of ParamBuffer, EditedItemNumber and HighlightFlag for
// the colour; writes GraphicsNextFree, LastOperationWord and DrawColourWord. When GraphicsList
// is full the remaining points are dropped, what was written stays and ScreenListOverflow is
// raised. PathPointList ends empty.
void begin_item_drawing() {
    if (core::ParamBuffer(26) == 0.0f && core::EditedItemNumber >= 0) {
        DrawColourWord = (core::EditedItemNumber != 0 || HighlightFlag != 0) ? 255 : 0;
    }
    const int64_t x_offset =
        static_cast<int64_t>(ViewOrigin.x) + (layout::on_right_page(core::ParamBuffer(2)) ? kSpreadShift : 0);
    const int64_t y_offset = ViewOrigin.y;
    auto& list = PathPointList;
    const int32_t n = list.count - 1;
    list.count = 1;
    if (n < 1) return;

    auto& graphics = core::OutputBufferViews.graphics;
    if (!graphics.bound()) core::report_index_defect("unbound graphics list", 0, 1, 0);
    int32_t* words = graphics.data();
    const int16_t* ops = list.op.data();
    const int32_t* xs = list.x.data();
    const int32_t* ys = list.y.data();
    const uint32_t colour = static_cast<uint32_t>(DrawColourWord);
    const int32_t last = n < kPathPoints ? n : kPathPoints;
    int32_t next = core::GraphicsNextFree;
    int32_t last_op = LastOperationWord;
    for (int32_t i = 0; i < last; ++i) {
        const int16_t op = ops[i];
        if (op != 0 && last_op != 0 && next > 3) next -= 3;
        if (next < 1) break;
        if (next > core::kGraphicsListWords - 2) {
            ScreenListOverflow = 1;
            break;
        }
        const int32_t top = op_word(op);
        int32_t* e = words + (next - 1);
        e[0] = clamp_word(xs[i] + x_offset);
        e[1] = clamp_word(ys[i] - y_offset);
        e[2] = static_cast<int32_t>(colour + static_cast<uint32_t>(top));
        last_op = top;
        next += 3;
    }
    LastOperationWord = last_op;
    core::GraphicsNextFree = next;
}

std::vector<GraphicsEntry> decode_graphics_list() {
    std::vector<GraphicsEntry> out;
    auto& graphics = core::OutputBufferViews.graphics;
    if (!graphics.bound()) return out;
    int32_t length = graphics.length();
    if (length > core::kGraphicsListWords) length = core::kGraphicsListWords;
    out.reserve(length > 0 ? static_cast<std::size_t>(length / 3) : 0);
    for (int32_t w = 1; w + 2 <= length; w += 3) {
        const uint32_t word3 = static_cast<uint32_t>(graphics(w + 2));
        GraphicsEntry e;
        e.x = graphics(w);
        e.y = graphics(w + 1);
        e.colour = static_cast<int32_t>(word3 & 0xFFFFFFu);
        e.op = static_cast<int32_t>(word3 >> 24);
        out.push_back(e);
    }
    return out;
}

void write_graphics_list_dump(std::ostream& out) {
    char line[64];
    for (const GraphicsEntry& e : decode_graphics_list()) {
        std::snprintf(line, sizeof line, "%d %d %d #%02x%02x%02x\n", e.op, e.x, e.y,
                      e.colour & 0xFF, (e.colour >> 8) & 0xFF, (e.colour >> 16) & 0xFF);
        out << line;
    }
}

}  // namespace render
