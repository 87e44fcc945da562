#include "engine/layout/measure_command.h"

#include <string>

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"
#include "engine/layout/layout_hooks.h"
#include "engine/render/extents.h"
#include "engine/render/tables.h"

namespace layout {

core::Array1<int32_t, 4> MeasuredBox;

namespace {

// Left and right of the measured box lie this far from the page's left edge as drawn.
constexpr int32_t kPageLeftEdge = 2400;

void report_word() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    core::report_unknown_word(word);
}

// Contract: "BB". Measures every item (bar lines included) on a page redrawn without its page
// frame, keeps left, bottom, right, top in MeasuredBox and shows the box as an outline; the
// frame mode is put back afterwards. The print job runs it with its letter R as the second
// mode letter and takes MeasuredBox; typed, the reply gives the box. A page with nothing to
// measure gets no outline.
void measure_bounding_box() {
    const int32_t frame = render::DisplayMarkWord;
    render::DisplayMarkWord = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    int32_t right = 0;
    render::measure_items_extent(2, top, bottom, left, right);
    const bool measured = left <= right;
    if (measured) {
        left = left - render::ViewOrigin.x + kPageLeftEdge;
        right = right - render::ViewOrigin.x + kPageLeftEdge;
        // The screen lists hold y less the view's vertical origin; the box is the page's.
        bottom += render::ViewOrigin.y;
        top += render::ViewOrigin.y;
    }
    MeasuredBox(1) = left;
    MeasuredBox(2) = bottom;
    MeasuredBox(3) = right;
    MeasuredBox(4) = top;
    if (measured) run_layout_hook(LayoutHooks.add_bbox_outline, left, bottom, right, top);
    render::DisplayMarkWord = frame;

    if (core::CommandModeLetters(2) == 'R') return;
    if (!measured) {
        core::MessageLine.set("**** Nothing on the page to measure.");
        return;
    }
    core::MessageLine.set("Bounding box: Left = " + std::to_string(left) +
                          "  Bottom = " + std::to_string(bottom) +
                          "  Right = " + std::to_string(right) + "  Top = " + std::to_string(top));
}

}  // namespace

// Contract: see the header. Dispatches on the second letter of CommandLine; only "BB" is
// built, every other "B" word gets the unknown-word reply.
void run_measure_command() {
    if (core::CommandLine(2) == 'B') {
        measure_bounding_box();
        return;
    }
    report_word();
}

}  // namespace layout
