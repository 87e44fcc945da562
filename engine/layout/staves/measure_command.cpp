#include "engine/layout/staves/measure_command.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/layout/layout_hooks.h"
#include "engine/layout/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace layout {

core::Array1<int32_t, 4> MeasuredBox;
float MeasureNumberCounter = 0.0f;
int32_t BoundingBoxUnit = 0;

namespace {

// Left and right of the measured box lie this far from the page's left edge as drawn.
constexpr int32_t kPageLeftEdge = 2400;
// The dialog shows the box from the page's printable corner: x less 400, y plus 27050.
constexpr float kDialogOffsetX = 400.0f;
constexpr float kDialogOffsetY = 27050.0f;
constexpr int32_t kDialogExit = 2;
constexpr int32_t kRestoreOriginal = -2;
// Bar lines closer than this count as one.
constexpr float kSameBarDistance = 4.0f;
// The bar number item: code, text size, font and placement words.
constexpr float kNumberCode = 10.0f;
constexpr float kNumberSize = 16.0f;
constexpr float kNumberFont = 201.0f;
constexpr float kNumberPlacement = 1002.0f;
constexpr float kNumberScale = 1.3f;
constexpr float kFirstNumberShift = 5.0f;

void report_word() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    // The word as typed when the line as read is this one: the scan writes a number after the
    // word as "*" ("BMQ 5" is "BMQ*").
    const std::string typed = core::line_as_read();
    const char c = typed.empty() ? ' ' : typed.front();
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == core::CommandLine(1))
        word.set(std::string_view(typed).substr(0, std::min<std::size_t>(typed.find(' '), 9)));
    core::report_unknown_word(word);
}

float stored(int32_t start, int32_t j) { return core::ItemStore(start + j); }

// Display units per unit of the dialog: inches, centimetres, points.
float unit_factor(int32_t unit) {
    if (unit == 1) return 1574.803f;
    if (unit == 2) return 55.555f;
    return 4000.0f;
}

// A dialog value f x a + offset as a whole display unit; values beyond the 32-bit range (or not
// numbers) saturate so that no typed figure overflows.
int32_t display_units(float factor, float value, float offset) {
    return core::nint(static_cast<double>(factor) * value + offset);
}

struct Box {
    int32_t left = 0;
    int32_t bottom = 0;
    int32_t right = 0;
    int32_t top = 0;
};

void show_box_reply(const Box& b) {
    core::leave_reply(core::ReplyKind::Notice, "Bounding box: Left = " + std::to_string(b.left) +
                                                   "  Bottom = " + std::to_string(b.bottom) +
                                                   "  Right = " + std::to_string(b.right) +
                                                   "  Top = " + std::to_string(b.top));
}

// Contract: "BB". Measures every item (bar lines included) on a page redrawn without its page
// frame and keeps left, bottom, right, top in MeasuredBox; then shows the box as an outline and
// puts the frame mode and the second mode letter back. With the print letter R as second mode
// letter it stops there. Otherwise the "Bounding Box Outline" dialog edits the box until Exit:
// it is handed the box from the printable corner (x - 400, y + 27050, display units) and the
// kept unit, and gives back figures in its unit (a unit outside 0..2 keeps the one before),
// which become the new outline; "Restore Original" (mode -2) brings the measured box back. Exit
// redraws the page and the reply gives the last box. A page with nothing to measure gets no
// outline and no dialog.
void measure_bounding_box() {
    const int32_t frame = render::DisplayMarkWord;
    const int32_t second_letter = core::CommandModeLetters(2);
    render::DisplayMarkWord = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    int32_t right = 0;
    render::measure_items_extent(2, top, bottom, left, right);
    const bool measured = left <= right;
    if (measured) {
        // An item drawn far off the page (an EPS file's box of billions of points) reaches the
        // ends of the range: the shifted edges stay there instead of wrapping round.
        const auto shifted = [](int32_t v, int64_t by) {
            return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} + by, INT32_MIN, INT32_MAX));
        };
        left = shifted(left, int64_t{kPageLeftEdge} - render::ViewOrigin.x);
        right = shifted(right, int64_t{kPageLeftEdge} - render::ViewOrigin.x);
        // The screen lists hold y less the view's vertical origin; the box is the page's.
        bottom = shifted(bottom, render::ViewOrigin.y);
        top = shifted(top, render::ViewOrigin.y);
    }
    MeasuredBox(1) = left;
    MeasuredBox(2) = bottom;
    MeasuredBox(3) = right;
    MeasuredBox(4) = top;
    if (!measured) {
        render::DisplayMarkWord = frame;
        if (second_letter != 'R')
            core::leave_reply(core::ReplyKind::Failure, "**** Nothing on the page to measure.");
        return;
    }

    const Box original{left, bottom, right, top};
    Box box = original;
    for (;;) {
        const int32_t graphics_mark = core::GraphicsNextFree;
        run_layout_hook(LayoutHooks.add_bbox_outline, box.left, box.bottom, box.right, box.top);
        render::DisplayMarkWord = frame;
        core::CommandModeLetters(2) = second_letter;
        if (second_letter == 'R') return;

        core::Array1<float, 4> figures;
        figures(1) = static_cast<float>(box.left) - kDialogOffsetX;
        figures(2) = static_cast<float>(box.bottom) + kDialogOffsetY;
        figures(3) = static_cast<float>(box.right) - kDialogOffsetX;
        figures(4) = static_cast<float>(box.top) + kDialogOffsetY;
        int32_t unit = BoundingBoxUnit;
        int32_t mode = 0;
        if (core::front_end().RunBoundingBoxDialog(unit, figures, mode) == kDialogExit) {
            render::redraw_items();
            core::refresh_screen();
            show_box_reply(box);
            return;
        }
        if (unit >= 0 && unit <= 2) BoundingBoxUnit = unit;
        const float f = unit_factor(BoundingBoxUnit);
        box.left = display_units(f, figures(1), kDialogOffsetX);
        box.bottom = display_units(f, figures(2), -kDialogOffsetY);
        box.right = display_units(f, figures(3), kDialogOffsetX);
        box.top = display_units(f, figures(4), -kDialogOffsetY);
        core::GraphicsNextFree = graphics_mark;
        if (mode == kRestoreOriginal) box = original;
    }
}

}  // namespace

void reset_measure_command_state() {
    MeasureNumberCounter = 0.0f;
    BoundingBoxUnit = 0;
}

// Contract: see the header. Reads the store only.
std::vector<float> collect_bar_positions() {
    std::vector<float> bars;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 3 || stored(s, 1) != 14.0f) continue;
        if (n > 4 && stored(s, 5) > 7.0f) continue;
        const float x = stored(s, 3);
        bool known = false;
        for (const float b : bars) known = known || std::fabs(x - b) < kSameBarDistance;
        if (!known) bars.push_back(x);
    }
    return bars;
}

// Contract: see the header. Reads ParamBuffer P2 (start) and P3 (staff); writes the store,
// MeasureNumberCounter and ChangesMadeFlag.
void number_measures() {
    int32_t staff = core::int_of(core::ParamBuffer(3));
    if (staff == 0) {
        float highest = 0.0f;
        float lowest = 0.0f;
        core::find_staff_range(highest, lowest);
        staff = core::int_of(highest);
    }
    if (staff < 0 || staff > kMaxStaves) {
        core::report_failure("Staff number must be 0 to 256.");
        return;
    }
    const std::vector<float> bars = collect_bar_positions();
    if (bars.empty()) return;
    if (core::ParamBuffer(2) != 0.0f) MeasureNumberCounter = core::ParamBuffer(2);

    for (std::size_t i = 0; i + 1 < bars.size(); ++i) {
        core::Array1<float, 15> p;
        p.fill(0.0f);
        p(1) = kNumberCode;
        p(2) = static_cast<float>(staff);
        p(3) = i == 0 ? bars[i] + kFirstNumberShift : bars[i];
        p(4) = kNumberSize;
        p(5) = MeasureNumberCounter;
        p(6) = kNumberFont;
        p(7) = kNumberPlacement;
        int32_t n = 7;
        if (i > 0) {
            p(15) = kNumberScale;
            n = 15;
        }
        if (!render::append_item(n, p)) break;
        MeasureNumberCounter += 1.0f;
        core::ChangesMadeFlag = 1;
    }
    render::redraw_items();
    core::refresh_screen();
}

// Contract: see the header. Dispatches on the second letter of CommandLine.
void run_measure_command() {
    if (core::CommandLine(2) == 'N') {
        number_measures();
        return;
    }
    if (core::CommandLine(2) == 'B') {
        measure_bounding_box();
        return;
    }
    report_word();
}

}  // namespace layout
