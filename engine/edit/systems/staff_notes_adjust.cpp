#include "engine/edit/systems/staff_notes_adjust.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/tables.h"
#include "engine/layout/staves/staff_neighbours.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::ItemCount;
using core::ItemStartTable;
using core::ItemStore;
using core::MessageLine;
using core::ParamBuffer;
using core::PendingBoxOperation;

constexpr int32_t kCodeNote = 1;
constexpr int32_t kCodeLine = 4;
constexpr int32_t kCodeMeter = 18;
// The box menu's code that asks for this command's box, and the operation it leaves pending.
constexpr int32_t kAskBoxCode = 14;
constexpr int32_t kBoxAnswer = 15;
constexpr int32_t kYes = -1;
constexpr int32_t kExit = -2;
constexpr int32_t kCancel = 2;
// A staff number that stands for every staff.
constexpr int32_t kEveryStaff = 1000;
// Notes moved this far right are out of the way of the gaps still to be stretched.
constexpr float kParkOffset = 1000.0f;
constexpr size_t kMostNotes = 80;

constexpr std::string_view kStaffQuestion = "Type number of staff containing notes to be adjusted.";
constexpr std::string_view kLeaving = "Leaving Group Edit.";
constexpr std::string_view kBoxQuestion =
    "Enter Staff number, Left position, Right position, and upper staff num. -- or draw box.";
constexpr std::string_view kTooManyNotes =
    "More than 80 notes to adjust: the spacing was left as it is.";
constexpr std::string_view kSamePosition =
    "Two notes stand at one position: the spacing was left as it is.";

StaffNotesAdjustRecord& g_state = StaffNotesAdjustState;

int32_t count_of(int32_t i) { return core::int_of(ItemStore(ItemStartTable(i))); }
float& word(int32_t i, int32_t k) { return ItemStore(ItemStartTable(i) + k); }
int32_t staff_of(int32_t i) { return core::int_of(word(i, 2)); }

// The orientation class of a note: the tens digit of P5.
int32_t tens_of(int32_t i) { return (core::int_of(word(i, 5)) % 100) / 10; }

bool on_staves(int32_t i, int32_t low, int32_t high) {
    if (low > layout::MaxStaffNumber) return true;
    const int32_t s = staff_of(i);
    return s >= low && s <= high;
}

// A note of the adjustment: more than four values, within the box, |P4| < 100, tens digit >= 1.
bool qualifies(int32_t i, int32_t low, int32_t high, float left, float right) {
    if (count_of(i) <= 4 || core::int_of(word(i, 1)) != kCodeNote) return false;
    if (!on_staves(i, low, high)) return false;
    const float x = word(i, 3);
    if (x < left || x > right) return false;
    const float y = word(i, 4);
    if (y <= -100.0f || y >= 100.0f) return false;
    return tens_of(i) >= 1;
}

void redraw_page() {
    if (ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
}

// The end of every form: nothing pending, the page redrawn, the general palette.
void finish(bool changed) {
    if (changed) core::ChangesMadeFlag = 1;
    ParamBuffer(2) = 0.0f;
    ParamBuffer(3) = 0.0f;
    ParamBuffer(4) = 0.0f;
    redraw_page();
    core::refresh_screen();
    PendingBoxOperation = 0;
    show_item_palette(core::kGeneralPalette);
}

// The length form on staves low..high (every staff when low exceeds MaxStaffNumber) within
// left..right.
void adjust_lengths(int32_t low, int32_t high, float left, float right) {
    core::save_undo_copy();
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (!qualifies(i, low, high, left, right)) continue;
        float base = count_of(i) >= 8 ? word(i, 8) : 0.0f;
        const float extent = tens_of(i) == 1 ? word(i, 4) + base : 14.0f - (word(i, 4) - base);
        const float a = adjusted_length(extent, count_of(i) >= 9 ? word(i, 9) : 0.0f);
        if (extent < 8.0f) continue;
        base = std::max(base, 0.0f);
        if (count_of(i) < 8 && !core::resize_item(i, 8.0f)) continue;
        word(i, 8) = a + base;
    }
    finish(true);
}

// The spacing form on one staff (every staff when above MaxStaffNumber) within the box kept in
// SelectionBox. Refuses, the store unchanged, with more than 80 notes or two at one position.
void adjust_spacing(int32_t staff) {
    const int32_t box_low = SelectionBox.low_staff;
    const int32_t box_high = SelectionBox.high_staff;
    const float left = SelectionBox.left;
    const float right = SelectionBox.right;
    std::vector<float> positions;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (qualifies(i, staff, staff, left, right)) positions.push_back(word(i, 3));
    }
    if (positions.size() > kMostNotes) {
        core::report_failure(kTooManyNotes);
        finish(false);
        return;
    }
    std::sort(positions.begin(), positions.end());
    if (std::adjacent_find(positions.begin(), positions.end()) != positions.end()) {
        core::report_failure(kSamePosition);
        finish(false);
        return;
    }
    if (positions.size() < 2) {
        finish(false);
        return;
    }
    core::save_undo_copy();
    core::sort_item_store_with_letter('X');
    // In position order: with every staff listed, the store's staff order is not it.
    std::vector<std::pair<float, int32_t>> notes;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        if (qualifies(i, staff, staff, left, right)) notes.emplace_back(word(i, 3), tens_of(i));
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<float> x;
    std::vector<int32_t> tens;
    for (const auto& [position, t] : notes) {
        x.push_back(position);
        tens.push_back(t);
    }
    const int32_t scale_staff = box_low >= 1 && box_low <= layout::kMaxStaves ? box_low : 0;
    const float d = layout::StaffTables.StaffScale(scale_staff) * 2.8333f / 25.0f;
    const float x0 = x.front();
    const float span = x.back() - x0;
    float offset = kParkOffset;
    for (size_t k = 1; k < x.size(); ++k) {
        const float step = tens[k] < tens[k - 1] ? -d : (tens[k] > tens[k - 1] ? d : 0.0f);
        const float w = x[k] - x[k - 1];
        select_box_range(box_low, box_high, x[k - 1], x[k]);
        scale_selection(-1, x[k - 1], x[k - 1] + offset, (w + step) / w);
        offset += step;
    }
    const float far_right = x.back() + offset;
    const float moved_span = far_right - (x0 + kParkOffset);
    select_box_range(box_low, box_high, x0 + kParkOffset, far_right);
    scale_selection(-1, x0 + kParkOffset, x0, moved_span != 0.0f ? span / moved_span : 1.0f);
    finish(true);
}

// The staff question of the spacing form and the run on the staff named.
void ask_staff_and_space() {
    PendingBoxOperation = -1;
    if (core::MacroUnit != 0) {
        core::read_command_line();
    } else {
        core::ask_file_name(core::FixedText<128>(kStaffQuestion));
        if (CommandLine.code(1) == kCancel) {
            core::show_notice(kLeaving);
            finish(false);
            return;
        }
    }
    // A command file's line as the file holds it (the command reader packs its copy).
    const std::string answer =
        core::MacroUnit != 0 ? core::SecondLine.trimmed() : CommandLine.trimmed();
    // X and B alone are ways out; a longer line starting with them is no staff (named below).
    const char first = static_cast<char>(CommandLine.code(1));
    if (answer == "X" || answer == "x") {
        core::show_notice(kLeaving);
        finish(false);
        return;
    }
    if (first == 27 || answer == "B" || answer == "b") {
        finish(false);
        return;
    }
    // The staff is read whole: a line that is no number adjusts nothing, and a script's is
    // named, since the script's next line runs next.
    float value = 0.0f;
    if (!answer.empty() && !core::read_number_whole(answer, value)) {
        const std::string line = g_state.word.trimmed();
        core::name_script_number_non_answer(
            kStaffQuestion, answer,
            line.substr(0, line.find(' ')) + " ended, nothing was changed.");
        // The answer stays in the reply line otherwise, and would be shown a second time.
        core::clear_exchange_text();
    }
    const int32_t staff = core::int_of(value);
    if (staff == 0) {
        finish(false);
        return;
    }
    adjust_spacing(staff);
}

// The box in ParamBuffer P1..P4, confirmed: its form runs.
void run_on_box() {
    const float left = ParamBuffer(2);
    const float right = ParamBuffer(3) == 0.0f ? render::PageExtent : ParamBuffer(3);
    int32_t low = core::int_of(ParamBuffer(1));
    int32_t high = ParamBuffer(4) == 0.0f ? low : core::int_of(ParamBuffer(4));
    if (low == 0) low = kEveryStaff;
    if (g_state.mode == 'M') {
        g_state.upper = high;
        g_state.left = left;
        g_state.right = right;
        g_state.have_box = true;
        adjust_lengths(low, high, left, right);
        return;
    }
    if (low > layout::MaxStaffNumber) high = kEveryStaff;
    SelectionBox.low_staff = low;
    SelectionBox.high_staff = high;
    SelectionBox.left = left;
    SelectionBox.right = right;
    ask_staff_and_space();
}

// The word that asked for the box ("STU", "STM"), for the refusals that name it.
std::string word_name() {
    const std::string text = g_state.word.trimmed();
    return text.substr(0, text.find_first_of(" *"));
}

// The box question shown again, the operation waiting for its next line.
void ask_box_again() {
    core::leave_reply(core::ReplyKind::Question, kBoxQuestion);
    core::SecondLine = MessageLine;
    PendingBoxOperation = kBoxAnswer;
    clear_drawn_box();
}

// The box answer in CommandLine: a drawn box ("|" or "~") or typed numbers, confirmed unless a
// command file gave it.
void take_box_answer() {
    g_state.graphics_mark = core::GraphicsNextFree;
    const char first = CommandLine(1);
    bool shown = false;
    if (first == '|' || first == '~') {
        PendingBoxOperation = 6;
        shown = read_drawn_box();
    } else {
        // A line that is no box, or a number not read whole, is named and the box asked again.
        const BoxLineReading line = read_box_line();
        if (line.kind == BoxLineKind::Refused) {
            refuse_box_line(line.refusal, word_name(), true);
            // A bare leave word set off by blanks leaves; any other refused line asks again.
            if (line.refusal == kLeavingBox) {
                finish(false);
                return;
            }
            ask_box_again();
            return;
        }
        // A left position alone runs to the page's end; no position at all is the whole page,
        // as the move and copy words read it.
        if (ParamBuffer(3) == 0.0f && ParamBuffer(2) != 0.0f) ParamBuffer(3) = render::PageExtent;
        shown = show_typed_box();
        if (!shown) {
            // A staff outside the page's: the line is refused by name and the box asked again.
            refuse_typed_box();
            ask_box_again();
            return;
        }
    }
    if (!shown) {
        finish(false);
        return;
    }
    if (!g_state.skip_confirm) {
        int32_t answer = 0;
        const std::string line = g_state.word.trimmed();
        confirm_box(answer, 0, line.substr(0, line.find(' ')));
        if (answer == kExit) {
            finish(false);
            return;
        }
        if (answer != kYes) {
            core::GraphicsNextFree = g_state.graphics_mark;
            core::refresh_screen();
            ask_box_again();
            return;
        }
    }
    core::GraphicsNextFree = g_state.graphics_mark;
    run_on_box();
}

// The first call: the box is asked for, or the length form runs at once on a staff given.
void start() {
    g_state.word = CommandLine;
    g_state.mode = CommandLine(3);
    g_state.skip_confirm = false;
    const int32_t staff = core::int_of(ParamBuffer(2));
    if (g_state.mode == 'U' || staff == 0) {
        if (core::MacroUnit != 0) {
            // A command file gives the box on its next line; there is nobody to confirm it.
            g_state.skip_confirm = true;
            std::string as_read;
            core::read_line_from_command_file(&as_read);
            const BoxLineReading line =
                core::MacroUnit != 0 ? read_scanned_box_line(as_read) : BoxLineReading{};
            if (core::MacroUnit == 0 || line.kind == BoxLineKind::NoBox ||
                (line.kind == BoxLineKind::Numbers && ParamBuffer(1) == 0.0f &&
                 ParamBuffer(4) == 0.0f && ParamBuffer(3) == 0.0f)) {
                finish(false);
                return;
            }
            // A line that is no box, or a box off the staves, stops the file: its next lines
            // were meant for the word.
            if (line.kind == BoxLineKind::Refused) {
                refuse_box_line(line.refusal, word_name(), false);
                finish(false);
                return;
            }
            if (!typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3),
                                     ParamBuffer(4))) {
                refuse_box_off_staves(as_read);
                finish(false);
                return;
            }
            run_on_box();
            return;
        }
        if (staff == 0) clear_drawn_box();
        int32_t operation = kAskBoxCode;
        run_box_command(operation);
        PendingBoxOperation = operation;
        return;
    }
    if (!g_state.have_box) {
        // Before any box the direct form works on the one staff, across the page.
        adjust_lengths(staff, staff, 0.0f, render::PageExtent);
        return;
    }
    adjust_lengths(staff, g_state.upper, g_state.left, g_state.right);
}

// The size value of an item placed by centre_item_vertically: E6 mod 100 (E7 for a meter),
// 0 counting as 1.
float size_value(int32_t code) {
    const auto& e = core::EditItemParams;
    const float v = code == kCodeMeter ? e(7) : core::compute_real_mod(e(6), 100.0f);
    return v == 0.0f ? 1.0f : v;
}

// The offset factor by code; false for the codes that are not placed.
bool offset_factor(int32_t code, float& f) {
    switch (code) {
        case kCodeLine:
            f = 0.0f;
            return true;
        case 9:
            f = 1.0f;
            return true;
        case 10:
            f = 1.5f;
            return true;
        case 16:
            f = CommandLine(3) == 'S' ? 1.5f : 1.0f;
            return true;
        case kCodeMeter:
            f = 7.14f;
            return true;
        default:
            return false;
    }
}

}  // namespace

// Contract: see the header.
float adjusted_length(float extent, float p9) {
    if (extent < 8.0f) return 0.0f;
    float a = extent < 10.0f ? (10.0f - extent) * 0.5f - 1.5f : -1.5f;
    if (core::int_of(p9) % 10 > 0) a += 0.5f;
    return a;
}

// Contract: see the header. Reads CommandLine, ParamBuffer, PendingBoxOperation, MacroUnit,
// PageExtent, StaffTables.StaffScale and the store; writes the notes' P8 or the positions of
// the items in the box, an undo copy, ChangesMadeFlag, SelectionBox, SelectionList,
// PendingBoxOperation, MessageLine, ParamBuffer P2..P4, GraphicsNextFree.
void adjust_staff_notes() {
    if (PendingBoxOperation == kBoxAnswer) {
        take_box_answer();
        return;
    }
    start();
}

// Contract: see the header. Reads EditItemParams E1, E2, E4..E7, CommandLine(3), the staff
// items and StaffTables.StaffBaseY; writes ParamBuffer P1..P3 or P1..P5.
void centre_item_vertically() {
    const auto& e = core::EditItemParams;
    const int32_t code = core::int_of(e(1));
    float f = 0.0f;
    if (!offset_factor(code, f)) return;
    const float offset = size_value(code) * f;
    const char letter = CommandLine(3);
    float target = 7.0f;
    if (letter != 'S' &&
        !layout::midpoint_to_neighbour(core::int_of(e(2)), letter == 'B', target)) {
        return;
    }
    ParamBuffer(1) = 4.0f;
    ParamBuffer(2) = target - offset;
    ParamBuffer(3) = 0.0f;
    if (code == kCodeLine && e(5) != 999.0f) {
        ParamBuffer(3) = 5.0f;
        ParamBuffer(4) = e(5) + (target - offset) - e(4);
        ParamBuffer(5) = 0.0f;
    }
}

}  // namespace edit
