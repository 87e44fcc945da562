#include "engine/edit/systems/line_beats.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/systems/beat_counting.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

constexpr int32_t kBeatsOperation = 8;
constexpr int32_t kBeatsStep = 'X';
// The step while a count runs: count_staff_beats then only counts and shows the total.
constexpr int32_t kCountOnlyStep = 99;
constexpr std::string_view kBeatsPrompt =
    "Enter Staff# to see how many quarters in line -\r\n or Draw Box.\r\nX = exit.";

// Whether the open loop has counted (and so sorted the page): its refusal must not say that
// nothing was changed.
bool g_loop_sorted = false;

// Counts the quarters of one staff over the whole page width and shows them; the store is
// sorted by staff first. The box step is kCountOnlyStep during the count so that nothing is
// respaced.
void count_one_staff(int32_t staff) {
    core::sort_item_store_with_letter('X');
    PendingBoxStep = kCountOnlyStep;
    int32_t lowest = staff;
    int32_t highest = staff;
    float first = 0.0f;
    float last = render::PageExtent;
    count_staff_beats(lowest, highest, first, last);
    PendingBoxStep = kBeatsStep;
}

void end_loop(int32_t graphics_mark) {
    core::GraphicsNextFree = graphics_mark;
    core::PendingBoxOperation = 0;
    PendingBoxStep = 0;
    core::clear_exchange_text();
    core::refresh_screen();
}

// One answer while the loop waits: a drawn box ("|" or "~", spanning the page's width) or a
// typed staff with its positions, read whole. An empty line, typed zeros for P1 and P3, or a
// drawn box that finds no staff end the loop quietly. A line that is no staff, or a staff off
// 1..256, is named: typed, the loop asks again; from a script the loop ends, and a command
// file is not read on (its next lines were meant for the loop).
void take_loop_answer() {
    const int32_t graphics_mark = core::GraphicsNextFree;
    if (core::CommandLine(1) == '|' || core::CommandLine(1) == '~') {
        core::SecondLine(1) = 'L';
        if (!read_drawn_box()) {
            end_loop(graphics_mark);
            return;
        }
    } else {
        const std::string given = answer_as_given();
        // A command file has scanned its line already.
        const BoxLineReading line =
            core::MacroUnit == 0 ? read_box_line() : read_scanned_box_line(given);
        const bool empty = given.empty() && line.kind == BoxLineKind::NoBox;
        if (empty || (line.kind == BoxLineKind::Numbers && core::ParamBuffer(1) == 0.0f &&
                      core::ParamBuffer(3) == 0.0f)) {
            end_loop(graphics_mark);
            return;
        }
        const int32_t staff = core::int_of(core::ParamBuffer(1));
        if (line.kind != BoxLineKind::Numbers || staff < 1 || staff > layout::kMaxStaves) {
            const bool script = answer_from_script();
            // "B" ends no count: it is named as any other word.
            const std::string refusal = line.kind == BoxLineKind::Refused ? line.refusal
                                        : line.kind == BoxLineKind::NoBox
                                            ? "*** Not a box: " + given
                                            : off_staves_refusal(given);
            refuse_box_line(refusal, "BE", !script,
                            g_loop_sorted ? ": the page was sorted." : std::string_view());
            if (script) end_loop(graphics_mark);
            return;
        }
    }
    const int32_t staff = core::int_of(core::ParamBuffer(1));
    core::ParamBuffer(1) = std::max(core::ParamBuffer(2), 0.0f);
    core::ParamBuffer(2) = std::min(core::ParamBuffer(3), render::PageExtent);
    core::GraphicsNextFree = graphics_mark;
    core::CommandStatusWord = 0;
    count_one_staff(staff);
    g_loop_sorted = true;
}

}  // namespace

// Contract: see the header. "BE n" counts staff n at once and leaves the box step as it found
// it; "BE" alone sets PendingBoxOperation 8 with step 'X', puts the prompt in MessageLine and
// clears the drawn box; while that waits every answer comes here (take_loop_answer). "BE n"
// with a staff outside 1..256 shows nothing. Sorting the store by staff marks the page changed.
void count_line_beats() {
    if (core::PendingBoxOperation == kBeatsOperation && PendingBoxStep == kBeatsStep) {
        take_loop_answer();
        return;
    }
    if (core::ParamBuffer(2) != 0.0f) {
        const int32_t kept_step = PendingBoxStep;
        count_one_staff(core::int_of(core::ParamBuffer(2)));
        PendingBoxStep = kept_step;
        return;
    }
    core::PendingBoxOperation = kBeatsOperation;
    PendingBoxStep = kBeatsStep;
    g_loop_sorted = false;
    core::leave_reply(core::ReplyKind::Question, kBeatsPrompt);
    clear_drawn_box();
}

}  // namespace edit
