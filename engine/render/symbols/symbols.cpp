#include "engine/render/symbols/symbols.h"

#include <algorithm>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"
#include "engine/core/preferences.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kPostScriptPass = -1;
constexpr int32_t kBoundingPass = -2;
constexpr int32_t kSymbolProcedurePass = -99;
// First command-mode letter while the note drawer repeats a glyph (from its second copy on).
constexpr int32_t kRepeatMark = 22222;
constexpr int32_t kFirstTextSymbol = 3000;
constexpr int32_t kLastTextSymbol = 3099;
constexpr int32_t kFirstUserSymbol = 5000;
// Drawing 9 of the last library file (lb9990.drw).
constexpr int32_t kLastSymbolNumber = 9999;
// Line-width indices are small: held here, the drawer's w - 1 and 101 x w stay in range.
constexpr int32_t kWidthIndexLimit = 9999;

// P5..P16 of ParamBuffer, parked for the whole drawing of one symbol and put back on every way
// out (also when a checked access ends the command half-way).
class ParkedWords {
  public:
    ParkedWords() { core::push_words(kWords, core::ParamBuffer.at(kFirst)); }
    ~ParkedWords() { core::pop_words(kWords, core::ParamBuffer.at(kFirst)); }
    ParkedWords(const ParkedWords&) = delete;
    ParkedWords& operator=(const ParkedWords&) = delete;

  private:
    static constexpr int32_t kFirst = 5;
    static constexpr int32_t kWords = 12;
};

float current_staff_scale() {
    return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff);
}

// The page-frame drawings keep one size on every staff (and are not drawn for notes, nor on
// the metrics pass for items that ask so with IP11). Returns false when nothing is drawn.
bool page_frame_size(float& size_x) {
    const auto& ip = core::IntParamBuffer;
    if (ip(1) == 1) return false;
    if (ip(11) != 0 && OutputPassWord <= 0) return false;
    const int32_t staff = ip(2);
    if (staff >= 1 && staff <= layout::kMaxStaves) {
        const float scale = layout::StaffTables.StaffScale(staff);
        if (scale != 0.0f) size_x = 25.0f / scale;
    }
    return true;
}

// Adds n points of LibraryDrawingBuffers at (x, y), scaled by sx and sy, negative pens as 0.
void add_drawing_points(int32_t n, float x, float y, float sx, float sy) {
    const auto& b = LibraryDrawingBuffers;
    if (n < 1) return;
    b.pen.check_range(1, n);
    add_scaled_points(n, b.x.data(), b.y.data(), b.pen.data(), x, y, sx, sy);
}

// A number beyond the library has no file to name: it is told once per redraw on the message
// line (a message box would stop the redraw for every such item) and nothing is drawn.
bool symbol_number_in_range(int32_t number) {
    if (number <= kLastSymbolNumber) return true;
    if (SymbolRangeReported == 0 && core::has_front_end()) {
        SymbolRangeReported = 1;
        const std::string text = "*** Symbol number out of range: " + std::to_string(number);
        core::show_line_reply(core::ReplyKind::Failure, text);
    }
    return false;
}

}  // namespace

// Contract: see the header. Reads ParamBuffer/IntParamBuffer P1..P17, P26, the current staff's
// scale, OutputPassWord and CommandModeLetters(1); writes PathPointList and, through the word
// and text paths, CommandLine and ItemDrawOrigin. P5..P16 come back as they were.
void draw_library_symbol(float x, float y, int32_t number, float size_x, float size_y,
                         int32_t thickening, float angle, int32_t rotate_flag) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    ParkedWords parked;
    const int32_t pass = OutputPassWord;

    if (number >= 1300 && number <= 1304 && !page_frame_size(size_x)) return;

    size_x = core::compute_real_mod(size_x, 100.0f);
    if (size_x == 0.0f) size_x = 1.0f;
    if (size_y == 0.0f) size_y = size_x;
    if (number < 0) number = 0;

    if (number >= kFirstTextSymbol && number <= kLastTextSymbol) {
        draw_text_symbol(number, size_x, size_y);
        return;
    }

    int32_t w = std::clamp(ip(10), -kWidthIndexLimit, kWidthIndexLimit);
    if (ip(1) == 10 || ip(1) == 18)
        w = std::clamp(core::nint(p(16)), -kWidthIndexLimit, kWidthIndexLimit);

    if (pass == kSymbolProcedurePass) {
        // The procedure pass records the symbols that the PostScript pass would call: word
        // symbols, text symbols and user symbols never get a procedure.
        if (ip(1) != 16 && number < kFirstUserSymbol && find_word_symbol(number) == 0 &&
            core::CommandModeLetters(1) != kRepeatMark && thickening == 0 && rotate_flag == 0 &&
            size_x == size_y && RenderHooks.record_symbol_use != nullptr &&
            RenderHooks.record_symbol_use(number)) {
            return;
        }
        draw_symbol_unscaled(number, number, w, size_x, size_y, x, y, rotate_flag, angle);
        return;
    }

    if (pass != 0) {
        const int32_t entry = find_word_symbol(number);
        if (entry != 0) {
            draw_word_symbol(entry, number, size_x, size_y);
            return;
        }
        if (ip(1) != 16 && pass < 0 && pass != kBoundingPass && number < kFirstUserSymbol &&
            core::CommandModeLetters(1) != kRepeatMark && thickening == 0 && rotate_flag == 0 &&
            size_x == size_y && RenderHooks.write_ps_symbol_call != nullptr) {
            int32_t state = 0;
            if (RenderHooks.write_ps_symbol_call(x, y, size_x, number, state)) {
                if (state > 0) return;
                // The procedure being defined draws about its own origin.
                x = 0.0f;
                y = 0.0f;
            }
        }
    }

    if (!symbol_number_in_range(number)) return;
    const int32_t n = fetch_symbol_drawing(number);
    if (n < 0) return;

    if (number >= 45) w -= 1;
    if (number >= 50 && number < kFirstUserSymbol) {
        size_x *= 0.3f;
        size_y *= 0.3f;
    }
    if (pass == kPostScriptPass && w != 0) run_hook(RenderHooks.add_path_width, w);
    const float s = current_staff_scale();
    const int32_t first = PathPointList.count;
    add_drawing_points(n, x, y, s * size_x, s * size_y);

    if (rotate_flag != 0 && !(ip(1) == 16 && pass == kPostScriptPass)) {
        rotate_path_points(first, x, y, angle);
    }
    if (pass == kPostScriptPass && w != 0) run_hook(RenderHooks.add_path_break);
    if (pass >= 0 && w > 0 && thickening == 0) thickening = 101 * w;
    if (thickening != 0) thicken_path(thickening, first);
}

// Contract: see the header. Reads the drawing's library file (through the reader, which
// reports a file it cannot read) and CommandModeLetters(1); writes PathPointList.
void draw_symbol_unscaled(int32_t number, int32_t /*number_copy*/, int32_t /*width_index*/,
                          float size_x, float size_y, float x, float y, int32_t rotate_flag,
                          float angle) {
    if (number < 0) number = 0;
    if (!symbol_number_in_range(number)) return;
    DrawingStartTable start;
    DrawingNames names;
    if (!read_library_drawing(number / 10, start, names)) return;
    const int32_t d = number % 10;
    const int32_t from = start(d + 1);
    int32_t n = start(d + 2) - from;
    const int32_t held = start(kDrawingsPerFile + 1) - 1;
    if (n < 0 || (n > 0 && (from < 1 || from + n - 1 > held))) n = 0;
    if (n > 33 && core::CommandModeLetters(1) == kRepeatMark) n -= 11;

    const auto& b = LibraryDrawingBuffers;
    const int32_t first = PathPointList.count;
    for (int32_t i = from; i < from + n; ++i) {
        const int16_t pen = b.pen(i) < 0 ? int16_t{0} : b.pen(i);
        add_path_point(x + size_x * b.x(i), y + size_y * b.y(i), pen);
    }
    if (rotate_flag != 0) rotate_path_points(first, x, y, angle);
}

// Contract: see the header. Reads the drawing through fetch_symbol_drawing (its points go to
// the front of LibraryDrawingBuffers, as for a drawing).
bool measure_symbol_ink(int32_t number, SymbolInk& ink) {
    if (number < 0 || !symbol_number_in_range(number)) return false;
    const int32_t n = fetch_symbol_drawing(number);
    if (n <= 0) return false;
    const auto& b = LibraryDrawingBuffers;
    SymbolInk box{b.x(1), b.x(1), b.y(1), b.y(1)};
    for (int32_t i = 2; i <= n; ++i) {
        box.left = std::min(box.left, b.x(i));
        box.right = std::max(box.right, b.x(i));
        box.bottom = std::min(box.bottom, b.y(i));
        box.top = std::max(box.top, b.y(i));
    }
    if (number >= 50 && number < kFirstUserSymbol) {
        box.left *= 0.3f;
        box.right *= 0.3f;
        box.bottom *= 0.3f;
        box.top *= 0.3f;
    }
    ink = box;
    return true;
}

void draw_library_item() {
    const auto& p = core::ParamBuffer;
    const auto& ip = core::IntParamBuffer;
    draw_library_symbol(ItemDrawOrigin.x, ItemDrawOrigin.y, ip(5), p(6), p(7), ip(8), p(9), ip(9));
}

void reset_symbol_tables() {
    clear_symbol_cache();
    TextSymbolPool.count = 0;
    TextSymbolPool.start.fill(0);
    TextSymbolPool.chars.blank();
}

void register_symbol_drawers() {
    constexpr int32_t kClefCode = 3;
    constexpr int32_t kTrillCode = 7;
    constexpr int32_t kLibraryCode = 9;
    constexpr int32_t kSymbolCode = 13;
    register_item_drawer(kClefCode, draw_clef_code_item);
    register_item_drawer(kTrillCode, draw_trill_item);
    register_item_drawer(kLibraryCode, draw_library_item);
    register_item_drawer(kSymbolCode, draw_library_item);
    core::PreferencesHooks.clear_symbol_cache = clear_symbol_cache;
    reset_symbol_tables();
    reset_glyph_outlines();
}

}  // namespace render
