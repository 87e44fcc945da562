#include "engine/edit/areas/group_transfer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/title_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/areas/if_command.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/pair_helpers.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::ItemStore;

constexpr int32_t kLowestStaff = 1;
constexpr int32_t kCancel = 2;

enum BoxWord : int32_t {
    kMove = 1,
    kCopy = 2,
    kCutFile = 9,
    kRepeatCopy = 10,
    kStepUp = 13,
    kStepDown = 14,
};

// The code of the item whose P3 is store word e.
int32_t code_at(int32_t e) { return core::int_of(ItemStore(e - 2)); }
int32_t count_at(int32_t e) { return core::int_of(ItemStore(e - 3)); }

// The page is redrawn and refreshed after a group changed; the newest item is remembered.
void finish_change() {
    core::ChangesMadeFlag = 1;
    core::update_title_line(core::CurrentFileName);
    if (core::OutputBufferViews.graphics.bound() && core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
    core::refresh_screen();
    core::LastItemNumber = core::ItemCount;
}

// Moves every selected item by steps (the step moves of "MU" and "MD") as the item editor's
// vertical step moves the whole item: its level P4 (a cue note keeping its cue mark) and the
// further heights of its kind, so that the right end of a slur, line or beam and the points of a
// drawn line go along. A bar line's P4 is its staff span, not a level, and stays.
void step_selected_items(float steps) {
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e <= 0 || count_at(e) < 4) continue;
        const int32_t code = code_at(e);
        if (code == 14) continue;
        const int32_t start = e - 3;
        const int32_t count = count_at(e);
        const float p5 = count >= 5 ? ItemStore(start + 5) : 0.0f;
        const float p7 = count >= 7 ? ItemStore(start + 7) : 0.0f;
        ItemStore(e + 1) = stepped_level(code, ItemStore(e + 1), steps);
        for (const int32_t k : further_step_heights(code, p5, p7, 0)) {
            if (k == 0) break;
            // A height the item does not hold is not added.
            if (k <= count) ItemStore(start + k) += steps;
        }
    }
}

// The words and items one copy of the selection takes.
struct SelectionSize {
    int32_t words = 0;
    int32_t items = 0;
};
SelectionSize selection_size() {
    SelectionSize size;
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e <= 0) continue;
        size.words += count_at(e) + 1;
        ++size.items;
    }
    return size;
}

// The staff shift of every pass of the transfer loop, worked out from the selection's staves
// before anything changes, so that a pass that would take the group off staves 1..256 refuses
// the whole operation. Each pass after the first moves the newest copies h + 1 staves on; a
// repeated copy (limit > 0) steps over the source box's high staff and ends below the limit.
bool plan_transfer_passes(int32_t dest, int32_t source_low, int32_t source_high, int32_t h,
                          int32_t limit, std::vector<int32_t>& passes) {
    int32_t low = layout::kMaxStaves;
    int32_t high = kLowestStaff;
    int32_t first = 0;
    bool any = false;
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e <= 0) continue;
        const int32_t staff = core::int_of(ItemStore(e - 1));
        if (!any) first = staff;
        any = true;
        low = std::min(low, staff);
        high = std::max(high, staff);
    }
    passes.clear();
    if (!any) return true;
    // Every pass but the first moves the group up by at least one staff: at most 256 passes
    // stay on the page, so the loop ends however large the limit.
    for (;;) {
        int64_t staves = static_cast<int64_t>(dest) - source_low;
        if (limit > 0 && first + staves + h == source_high) {
            staves += h + 1;
            limit -= h + 1;
        }
        if (staves != 0 && (low + staves < kLowestStaff || high + staves > layout::kMaxStaves)) {
            return false;
        }
        passes.push_back(static_cast<int32_t>(staves));
        low += static_cast<int32_t>(staves);
        high += static_cast<int32_t>(staves);
        first += static_cast<int32_t>(staves);
        if (limit <= 0) break;
        limit -= h + 1;
        source_low = dest - (h + 1);
        if (limit < dest) break;
    }
    return true;
}

}  // namespace

// Contract: pure; see the header.
TransferMode find_transfer_mode(float left, float right, float source_left, float source_right,
                                bool staff_change, bool check_source_left) {
    TransferMode t;
    if (left == 0.0f && right == 0.0f && (!check_source_left || source_left == 0.0f)) {
        t.mode = 1;
        return t;
    }
    if (right == 0.0f && left != 0.0f) {
        t.mode = staff_change ? 2 : 0;
        t.amount = left;
        return t;
    }
    if (right == 0.0f) right = source_right;
    if (left == source_left && right == source_right) {
        t.mode = 1;
        return t;
    }
    const float width = right - left;
    float source_width = source_right - source_left;
    if (source_width == 0.0f) source_width = width;
    if (std::fabs(source_width - width) <= 0.001f) {
        t.mode = staff_change ? 2 : 0;
        t.amount = left - source_left;
    } else {
        t.mode = staff_change ? 3 : -1;
        t.amount = width / source_width;
    }
    return t;
}

// Contract: reads SelectionList; writes P2 of the listed items. Checks every staff first.
bool shift_selection(int32_t staves) {
    if (staves == 0) return true;
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e <= 0) continue;
        const int32_t staff = core::int_of(ItemStore(e - 1)) + staves;
        if (staff < kLowestStaff || staff > layout::kMaxStaves) {
            core::report_failure("*** The group would leave staves 1 to 256: nothing moved.");
            return false;
        }
    }
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e > 0) ItemStore(e - 1) += static_cast<float>(staves);
    }
    return true;
}

// Clefs, staves, bar lines, key signatures, meters and the codes after them keep their places
// when a group is shifted.
bool keeps_place_in_shift(int32_t code) {
    return code >= 17 || code == 3 || code == 8 || code == 14;
}

// The start word of the record that holds store word w, 0 when no item's record does.
int32_t record_holding(int32_t w) {
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t start = core::ItemStartTable(i);
        if (w > start && w <= start + core::int_of(ItemStore(start))) return start;
    }
    return 0;
}

// Contract: reads SelectionList; writes the listed items' horizontal words. A further word
// (negative entry) belongs to the record that holds it, also when that item's P3 lay outside
// the box and was not listed.
void shift_selected_positions(float amount) {
    int32_t owner = 0;  // start word of the record the last entry belonged to
    bool moves = false;
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e > 0) {
            owner = e - 3;
            moves = !keeps_place_in_shift(code_at(e));
            // The new position is simply P3 + amount: no band around 100 is skipped.
            if (moves && count_at(e) > 3) ItemStore(e) += amount;
            continue;
        }
        // The right ends (P6), a beam's listed end words and a drawn line's point x words move
        // with the item; heights (P5, the points' y words) stay.
        const int32_t w = -e;
        if (owner == 0 || w <= owner || w > owner + core::int_of(ItemStore(owner))) {
            owner = record_holding(w);
            moves = owner != 0 && !keeps_place_in_shift(core::int_of(ItemStore(owner + 1)));
        }
        if (moves) ItemStore(w) += amount;
    }
}

// Contract: reads SelectionList, the store's counts; shows the page-full message when false.
bool selection_copies_fit(int32_t copies) {
    const SelectionSize size = selection_size();
    return render::page_has_room_or_refuse(static_cast<int64_t>(copies) * size.items,
                                           static_cast<int64_t>(copies) * size.words,
                                           "the group was not copied");
}

// Contract: reads SelectionList and the store; appends the copies (ItemStore, ItemStartTable,
// ItemCount, ItemWordsUsed) and rewrites SelectionList to them. Checks the room first.
bool append_selected_copies() {
    if (!selection_copies_fit(1)) return false;
    SelectionList.first_item = core::ItemCount + 1;
    int32_t distance = 0;
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t e = SelectionList.entries(j);
        if (e < 0) {
            SelectionList.entries(j) = e - distance;
            continue;
        }
        const int32_t start = e - 3;
        const int32_t length = count_at(e) + 1;
        const int32_t to = core::ItemWordsUsed;
        std::copy_n(ItemStore.at(start), length, ItemStore.at(to));
        distance = to - start;
        ++core::ItemCount;
        core::ItemStartTable(core::ItemCount) = to;
        core::ItemWordsUsed = to + length;
        core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
        SelectionList.entries(j) = to + 3;
    }
    return true;
}

// Contract: reads SelectionList, SelectionBox, the store; checks the room for every copy, saves
// an undo copy, then appends copies per target staff and sets their P2; SelectionList is
// restored afterwards. False, with nothing changed, when there is no target or no room.
bool copy_group_to_staves(int32_t first_staff, int32_t last_staff) {
    if (first_staff <= 0) first_staff = 1;
    if (last_staff <= 0) last_staff = layout::MaxStaffNumber;
    last_staff = std::min(last_staff, layout::kMaxStaves);
    // Which staves hold an item, before any copy is added.
    core::Array1<int32_t, layout::kMaxStaves> used;
    used.fill(0);
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t start = core::ItemStartTable(i);
        if (ItemStore(start) < 2.0f) continue;
        const int32_t staff = core::int_of(ItemStore(start + 2));
        if (staff >= 1 && staff <= layout::kMaxStaves) used(staff) = 1;
    }
    std::vector<int32_t> targets;
    for (int32_t staff = first_staff; staff <= last_staff; ++staff) {
        if (staff != SelectionBox.low_staff && used(staff) != 0) targets.push_back(staff);
    }
    if (targets.empty()) {
        core::report_failure("Nothing to do.");
        return false;
    }
    if (!selection_copies_fit(static_cast<int32_t>(targets.size()))) return false;
    core::save_undo_copy();
    const int32_t saved_count = SelectionList.count;
    const int32_t saved_first = SelectionList.first_item;
    std::vector<int32_t> saved(SelectionList.entries.at(1),
                               SelectionList.entries.at(1) + saved_count);
    for (const int32_t staff : targets) {
        SelectionList.count = saved_count;
        std::copy(saved.begin(), saved.end(), SelectionList.entries.at(1));
        append_selected_copies();
        for (int32_t j = 1; j <= SelectionList.count; ++j) {
            const int32_t e = SelectionList.entries(j);
            if (e > 0) ItemStore(e - 1) = static_cast<float>(staff);
        }
    }
    SelectionList.count = saved_count;
    SelectionList.first_item = saved_first;
    std::copy(saved.begin(), saved.end(), SelectionList.entries.at(1));
    return true;
}

// Contract: reads SelectionBox, BoxDestination, PendingBoxStep, BoxCopyCode, BoxCodeFilter,
// MacroUnit; changes the store as the word says, saving an undo copy first. The code chooser's
// Cancel and an empty box change nothing ("Nothing to do.").
void copy_move_group(int32_t& kind) {
    if (kind == 2) {
        core::PendingBoxOperation = 3;
        return;
    }
    // The group operation ends here, however it ends: the palette's group-edit request is spent.
    struct EndGroupEdit {
        ~EndGroupEdit() { core::GroupEditFlag = 0; }
    } end_group_edit;
    const int32_t word = PendingBoxStep;
    // Without a box word nothing prepares the group's parameters: nothing to do.
    if (word == 0 || core::ItemCount == 0) return;
    SelectionBoxRecord& box = SelectionBox;
    const bool from_file = kind == 1 || core::MacroUnit != 0;

    const int32_t asked_staff = BoxDestination.staff;
    int32_t dest = asked_staff > layout::MaxStaffNumber ? box.low_staff : asked_staff;
    float left = BoxDestination.left;
    float right = BoxDestination.right;
    if (left == 0.0f && right == 0.0f) {
        left = box.left;
        right = box.right;
    }
    const TransferMode t =
        find_transfer_mode(left, right, box.left, box.right, dest != box.low_staff, true);
    box.letter = t.mode;
    if (word == kCopy && t.mode <= 0) box.letter = -67;
    box.first_item = 1;
    box.last_item = core::ItemCount;

    if (word == kStepUp || word == kStepDown) {
        show_item_palette(core::kGeneralPalette);
        select_box_items();
        if (SelectionList.count == 0) {
            core::report_failure("Nothing to do.");
            return;
        }
        core::save_undo_copy();
        step_selected_items(BoxDestination.vertical);
        finish_change();
        return;
    }

    const bool chooser = !from_file && core::PendingBoxOperation != 10 &&
                         !(word > kCopy && word != kCutFile && BoxCopyCode == 0);
    if (chooser) {
        core::leave_reply(core::ReplyKind::Question, word == kCopy || word == kRepeatCopy
                                                         ? "Select Code Numbers to COPY."
                                                         : "Select Code Numbers to MOVE.");
        core::Array1<int32_t, 19> codes;
        codes.fill(0);
        kind = core::front_end().RunSelectCodesDialog(codes);
        // The question is answered: left in the message line it reads as still asked.
        core::clear_exchange_text();
        if (kind == kCancel) return;
        for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = static_cast<float>(codes(k));
    }
    if (word == kCutFile) {
        write_cut_file();
        return;
    }
    const bool filtered = BoxCodeFilter(1) != 0.0f;
    select_box_items();
    show_item_palette(core::kGeneralPalette);
    if (SelectionList.count == 0) {
        core::report_failure("Nothing to do.");
        return;
    }
    int32_t limit = 0;
    if (word == kRepeatCopy) {
        limit = core::int_of(BoxDestination.vertical);
        const bool every_staff = box.low_staff == 1 && box.high_staff >= layout::MaxStaffNumber;
        if (asked_staff > layout::MaxStaffNumber && !every_staff && filtered) {
            if (copy_group_to_staves(0, 0)) finish_change();
            return;
        }
    }

    const int32_t h =
        (word == kCopy || (word != kRepeatCopy && limit > 0)) ? box.high_staff - box.low_staff : 0;
    const bool copies = word >= kCopy;
    // Every pass is checked before the first change: a refused copy or move leaves the page,
    // its undo copy and its changed mark as they were.
    std::vector<int32_t> passes;
    if (!plan_transfer_passes(dest, box.low_staff, box.high_staff, h, limit, passes)) {
        core::report_failure("*** The group would leave staves 1 to 256: nothing moved.");
        return;
    }
    if (copies && !selection_copies_fit(static_cast<int32_t>(passes.size()))) return;
    core::save_undo_copy();
    for (const int32_t staves : passes) {
        if (copies) {
            append_selected_copies();
            BoxCodeFilter.fill(0.0f);
        }
        shift_selection(staves);
        if (word != kRepeatCopy) {
            if ((t.mode == 0 || t.mode == 2) && t.amount != 0.0f) {
                shift_selected_positions(t.amount);
            } else if ((t.mode == -1 || t.mode == 3) && t.amount != 0.0f) {
                scale_selection(t.mode, box.left, left, t.amount);
            }
        }
    }
    finish_change();
}

// Contract: the codes typed on the command line: the next line's first 18 numbers become the
// code filter, then the group moves as in a command file.
void copy_move_group() {
    core::read_command_line();
    for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = core::ParamBuffer(k);
    int32_t kind = 1;
    copy_move_group(kind);
    core::PendingBoxOperation = 0;
}

namespace {

// The step of a box move that runs the pending IF line in each box instead of moving items.
constexpr int32_t kIfBoxes = 'X';

// Asks for the box and waits for it (PendingBoxOperation 32), remembering the store's counts
// for Exit.
void ask_for_move_box() {
    core::leave_reply(
        core::ReplyKind::Question,
        "Enter Staff number, Left position, Right position, (Upper staff)  or draw box.");
    clear_drawn_box();
    core::PendingBoxOperation = 32;
    core::SecondLine = core::MessageLine;
    BoxMoveStart = {core::ItemCount, core::ItemWordsUsed};
}

// A typed answer that is no box: an empty line or a word ("X", "AB", another command).
bool is_word_answer(const core::FixedText<512>& line) {
    for (int32_t c = 1; c <= line.size(); ++c) {
        const char ch = line(c);
        if (ch == ' ' || ch == '\0') continue;
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    }
    return true;
}

// The end of the IF boxes, on a word answer or Exit: nothing pending, the page redrawn.
void end_if_boxes(bool leaving_message) {
    core::PendingBoxOperation = 0;
    PendingBoxStep = 0;
    core::clear_exchange_text();
    if (leaving_message) core::show_notice("Leaving Group Edit.");
    show_item_palette(core::kGeneralPalette);
    if (core::OutputBufferViews.graphics.bound() && core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
    core::refresh_screen();
    core::set_engine_wait_level(-1);
}

}  // namespace

// Contract: PendingIfLine holds the IF line; asks for the first box (PendingBoxOperation 32,
// PendingBoxStep 'X'). Each box given afterwards runs the line inside it.
void start_if_boxes() {
    ask_for_move_box();
    PendingBoxStep = kIfBoxes;
}

// Contract: reads and writes PendingBoxOperation, PendingBoxStep, MessageLine, SecondLine,
// CommandLine, ParamBuffer, SelectionBox, BoxMoveStart; moves or stretches the box's items, or
// with the IF boxes' step runs PendingIfLine inside the box and waits for the next one. Exit
// puts the item count and words used of the start back (a move only: every IF run is a change
// of its own, kept); No asks again.
void move_box_items() {
    if (core::PendingBoxOperation != 32) {
        ask_for_move_box();
        return;
    }
    const bool if_boxes = PendingBoxStep == kIfBoxes;
    core::CommandLine.set(core::MessageLine.view().substr(0, 512));
    const char first = core::CommandLine(1);
    if (first == '|' || first == '~') {
        if (!read_drawn_box()) {
            core::PendingBoxOperation = 0;
            PendingBoxStep = 0;
            return;
        }
        int32_t answer = 0;
        // The IF boxes' box is where the line runs, a source box as IF's own: asked as such.
        confirm_box(answer, if_boxes ? 0 : 1, if_boxes ? "IF" : "");
        if (answer == -2) {
            if (if_boxes) {
                draw_box_outline(0);
                end_if_boxes(false);
                return;
            }
            core::ItemCount = BoxMoveStart.item_count;
            core::ItemWordsUsed = BoxMoveStart.words_used;
            core::PendingBoxOperation = 0;
            PendingBoxStep = 0;
            return;
        }
        if (answer == 0) {
            draw_box_outline(0);
            core::leave_reply(core::ReplyKind::Question, core::SecondLine.view());
            return;
        }
    } else if (if_boxes) {
        if (is_word_answer(core::CommandLine)) {
            // X is the way out; any other word is named, so that a script's line is not lost
            // without a word (a command file stops: its next lines were meant for the boxes).
            const std::string given = answer_as_given();
            const bool exit_word = given == "X" || given == "x";
            if (!exit_word && core::MacroUnit != 0) {
                end_if_boxes(false);
                stop_command_file_for("*** Not a box: " + given);
                return;
            }
            if (!exit_word) core::name_untaken_line("*** Not a box: " + given + " -- IFX ended.");
            end_if_boxes(true);
            return;
        }
        // A line not read whole, or a box off the staves, is named and the box asked again.
        const BoxLineReading line = read_box_line();
        if (line.kind == BoxLineKind::Refused) {
            refuse_box_line(line.refusal, "IFX", true);
            core::leave_reply(core::ReplyKind::Question, core::SecondLine.view());
            return;
        }
        // The numbers not typed are filled in as every box question does (no upper staff: the
        // low one; no positions: the whole width).
        if (!show_typed_box()) {
            refuse_typed_box();
            core::leave_reply(core::ReplyKind::Question, core::SecondLine.view());
            return;
        }
    } else {
        core::scan_command_line(core::find_line_length(core::CommandLine));
    }
    if (if_boxes) {
        build_if_condition();
        // The line stays pending: the next box runs it again, until a word or Exit ends it.
        ask_for_move_box();
        PendingBoxStep = kIfBoxes;
        return;
    }
    core::PendingBoxOperation = 0;
    PendingBoxStep = 0;
    SelectionBoxRecord& box = SelectionBox;
    int32_t dest = core::int_of(core::ParamBuffer(1));
    if (dest > layout::MaxStaffNumber) dest = box.low_staff;
    float left = core::ParamBuffer(2);
    float right = core::ParamBuffer(3);
    if (left == 0.0f && right == 0.0f) {
        left = box.left;
        right = box.right;
    }
    const TransferMode t =
        find_transfer_mode(left, right, box.left, box.right, dest != box.low_staff, false);
    box.letter = t.mode;
    box.first_item = 1;
    box.last_item = core::ItemCount;
    select_box_items();
    if (SelectionList.count == 0) return;
    std::vector<int32_t> passes;
    if (!plan_transfer_passes(dest, box.low_staff, box.high_staff, 0, 0, passes)) {
        core::report_failure("*** The group would leave staves 1 to 256: nothing moved.");
        return;
    }
    core::save_undo_copy();
    shift_selection(dest - box.low_staff);
    if (t.amount != 0.0f) scale_selection(t.mode, box.left, left, t.amount);
    finish_change();
    core::set_engine_wait_level(-1);
}

}  // namespace edit
