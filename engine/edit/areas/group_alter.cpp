// The A commands: Group Alter, bar lines from a staff's rhythm, stems to beams, the PostScript
// screen-font option; the rhythm sum and the empty-staff report.
#include "engine/edit/areas/group_alter.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_commands.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/if_command.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/tables.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::ItemStore;
using core::ParamBuffer;

constexpr float kAlterRightEdge = 220.0f;

constexpr const char* kCodePrompt = "Type Code number to alter.";
constexpr const char* kChangesPrompt = "Type P#, chng,  P#, chng,  P#, chng,  P#, chng.";

void prompt(core::ReplyKind kind, const char* text) {
    core::leave_reply(kind, text);
    // The interpreter shows SecondLine once the step returns.
    core::SecondLine = core::MessageLine;
    core::show_prompt(kind, core::MessageLine.view());
}

// The source box is shown and the user confirms it: -1 Yes, 0 No, -2 Exit. A command file's
// box is taken as it is.
int32_t confirm_area_box() {
    if (core::MacroUnit != 0) {
        draw_box_outline(1);
        return -1;
    }
    int32_t answer = 0;
    confirm_box(answer, 0, "A");
    return answer;
}

// ---- "ADD": bar lines from the rhythm of one staff ---------------------------------------

// Contract: bar lines [14, staff, position, kind] on staff INT(P2) after every P3 x 4 / P4
// quarters of its notes and rests (P7 up to 60.0, one per position), starting after note
// INT(P5) when it is given. Refused with a message when the staff already has bar lines, when
// "first" lies beyond the notes, or when the store cannot take them all; nothing is changed
// then. Staff 0 is the unknown-word report "ADD 0". Sorts the store, saves an undo copy and
// appends the bar lines at the end of ItemStore.
void add_bar_lines() {
    const int32_t staff = core::int_of(ParamBuffer(2));
    if (staff == 0) {
        core::report_unknown_word(core::FixedText<9>("ADD 0"));
        return;
    }
    const float beats = ParamBuffer(3) != 0.0f ? ParamBuffer(3) : 4.0f;
    const float unit = ParamBuffer(4) != 0.0f ? ParamBuffer(4) : 4.0f;
    const float kind = ParamBuffer(6) != 0.0f ? ParamBuffer(6) : 1.0f;
    const float quarters = beats * 4.0f / unit;
    const int32_t first = core::int_of(ParamBuffer(5));

    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::int_of(ItemStore(s + 1)) == 14 && core::int_of(ItemStore(s + 2)) == staff) {
            prompt(core::ReplyKind::Failure, "Some BARS already present.");
            return;
        }
    }

    // The sort's own notice would stand in place of the reply already there.
    const core::FixedText<512> kept_message = core::MessageLine;
    const core::ReplyKind kept_kind = core::LeftReplyKind;
    core::sort_item_store_with_letter('X');
    core::leave_reply(kept_kind, kept_message.view());

    std::vector<float> durations;
    std::vector<float> positions;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(ItemStore(s));
        if (n < 7) continue;
        const int32_t code = core::int_of(ItemStore(s + 1));
        if (code >= 3 || code < 1 || core::int_of(ItemStore(s + 2)) != staff) continue;
        if (ItemStore(s + 7) > 60.0f) continue;
        if (!positions.empty() && positions.back() == ItemStore(s + 3)) continue;
        durations.push_back(ItemStore(s + 7));
        positions.push_back(ItemStore(s + 3));
    }
    const int32_t c = static_cast<int32_t>(positions.size());
    if (first < 0 || first > c || (c == 0)) {
        prompt(core::ReplyKind::Failure, "*** ADD: the staff has fewer notes than that.");
        return;
    }

    // Midway between note i and the next (0-based), or the page's end after the last.
    auto bar_after = [&](int32_t i) {
        return i + 1 < c ? (positions[i + 1] - positions[i]) * 0.5f + positions[i]
                         : render::PageExtent;
    };
    std::vector<float> bars;
    int32_t next = 0;
    if (first != 0) {
        bars.push_back(bar_after(first - 1));
        next = first;
    }
    while (next < c) {
        float sum = 0.0f;
        int32_t i = next;
        for (;; ++i) {
            sum += durations[i];
            if (sum >= quarters - 0.0001f || i + 1 >= c) break;
        }
        bars.push_back(bar_after(i));
        next = i + 1;
    }

    const int32_t words = static_cast<int32_t>(bars.size()) * 5;
    if (!render::page_has_room_or_refuse(static_cast<int64_t>(bars.size()), words,
                                         "the bar lines were not added"))
        return;
    core::save_undo_copy();
    for (float x : bars) {
        const int32_t s = core::ItemWordsUsed;
        ItemStore(s) = 4.0f;
        ItemStore(s + 1) = 14.0f;
        ItemStore(s + 2) = static_cast<float>(staff);
        ItemStore(s + 3) = x;
        ItemStore(s + 4) = kind;
        core::ItemWordsUsed = s + 5;
        ++core::ItemCount;
        core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    }
    core::ChangesMadeFlag = 1;
    render::redraw_items();
}

// ---- Group Alter ---------------------------------------------------------------------------

void end_group_alter() {
    clear_drawn_box();
    render::redraw_items();
    show_item_palette(core::kGeneralPalette);
    core::PendingBoxOperation = 0;
    PendingBoxStep = 0;
    prompt(core::ReplyKind::Notice, "Exit Group Alter.");
}

// Appends the changes (pairs of P# and change from ParamBuffer(from) on, up to a P# of 0) to the
// IF text. Returns false when one would pass the columns the IF command reads.
bool append_changes(core::FixedText<512>& text, int32_t from) {
    int32_t c = kAlterFirstChangeColumn;
    for (int32_t i = from; i + 1 <= 56; i += 2) {
        const int32_t number = core::int_of(ParamBuffer(i));
        const float change = ParamBuffer(i + 1);
        if (number <= 0) break;
        const int32_t width = number < 100 ? 18 : number < 1000 ? 22 : 8;
        if (c + width - 1 > kAlterLastColumn) return false;
        text(c) = 'p';
        if (number < 100) {
            core::write_int_field(text, c + 1, c + 2, "(1i2)", number);
            text(c + 3) = '=';
            core::write_real_field(text, c + 5, c + 16, "(1f12.4)", change);
        } else if (number < 1000) {
            core::write_int_field(text, c + 1, c + 2, "(1i2)", number / 100);
            text.put(c + 3, c + 4, "+p");
            core::write_int_field(text, c + 5, c + 6, "(1i2)", number / 100);
            text(c + 7) = '=';
            core::write_real_field(text, c + 9, c + 20, "(1f12.4)", change);
        } else {
            core::write_int_field(text, c + 1, c + 2, "(1i2)", number / 1000);
            text.put(c + 3, c + 4, "=p");
            core::write_int_field(text, c + 5, c + 6, "(1i2)", core::int_of(change));
        }
        text(c + width - 1) = ',';
        c += width;
    }
    return true;
}

// Builds the IF line for the box and code in SelectionBox / GroupAlterCode and the changes from
// ParamBuffer(from) on, and runs it. A line past the IF command's columns is refused, nothing
// altered.
void run_group_alter(int32_t from) {
    core::FixedText<512> text(
        "if p2>=    and p2<=    and p3>=         and p3<=         and p1=   then  ");
    core::write_int_field(text, 8, 10, "(1i3)", SelectionBox.low_staff);
    core::write_int_field(text, 20, 22, "(1i3)", SelectionBox.high_staff);
    core::write_real_field(text, 32, 39, "(1f8.3)", SelectionBox.left);
    core::write_real_field(text, 49, 56, "(1f8.3)", SelectionBox.right);
    core::write_int_field(text, 65, 66, "(1i2)", core::int_of(GroupAlterCode));
    if (!append_changes(text, from)) {
        core::report_failure("*** Too many changes for one Group Alter: nothing was altered.");
        return;
    }
    const core::CommandUndoCopy undo_copy;
    core::PendingBoxOperation = 0;
    core::set_exchange_text(text.view());
    core::SecondLine = text;
    core::CommandLine = text;
    run_if_command();
    core::ChangesMadeFlag = 1;
}

// The box answer: typed numbers (P5 the code) or a drawn box, then its confirmation.
void take_alter_box() {
    const char first = core::CommandLine(1);
    if (first == 'X' || first == 'x') {
        end_group_alter();
        return;
    }
    float code = 0.0f;
    if (first == '|' || first == '~') {
        if (!read_drawn_box()) {
            end_group_alter();
            return;
        }
    } else {
        code = ParamBuffer(5);
        if (!show_typed_box()) {
            end_group_alter();
            return;
        }
    }
    const float typed[4] = {ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), ParamBuffer(4)};
    const int32_t answer = confirm_area_box();
    if (answer == -2) {
        end_group_alter();
        return;
    }
    if (answer == 0) {
        clear_drawn_box();
        render::redraw_items();
        prompt(core::ReplyKind::Question,
               "Enter Staff#, Left pos., Right pos., [Upper Staff#, Code#] -- or use mouse.");
        return;
    }
    int32_t low = core::int_of(typed[0]) > 0 ? core::int_of(typed[0]) : 1;
    int32_t high = core::int_of(typed[3]) != 0 ? core::int_of(typed[3]) : low;
    if (high < low) std::swap(low, high);
    if (low > layout::MaxStaffNumber) {
        low = 1;
        high = layout::kMaxStaves;
    }
    SelectionBox.low_staff = low;
    SelectionBox.high_staff = high;
    SelectionBox.left = typed[1];
    SelectionBox.right = typed[2] != 0.0f ? typed[2] : kAlterRightEdge;
    GroupAlterCode = code;
    if (core::int_of(code) == 0) {
        core::PendingBoxOperation = kAlterAwaitCode;
        prompt(core::ReplyKind::Question, kCodePrompt);
        return;
    }
    core::PendingBoxOperation = kAlterAwaitChanges;
    prompt(core::ReplyKind::Question, kChangesPrompt);
}

// The typed box line (a command file's as read), read whole into ParamBuffer: false when it ends
// Group Alter, an empty line or "B" quietly, a line that is no box or lies off the staves named
// (asked about, it would take the script's next line as the answer; from a command file the
// rest of the file is not read).
bool read_alter_box() {
    const std::string given = answer_as_given();
    const BoxLineReading line =
        core::MacroUnit != 0 ? read_scanned_box_line(given) : read_box_line();
    if (line.kind == BoxLineKind::NoBox) return false;
    if (line.kind == BoxLineKind::Refused) {
        refuse_box_line(line.refusal, "A", false);
        return false;
    }
    if (typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), ParamBuffer(4))) {
        return true;
    }
    refuse_box_off_staves(given);
    return false;
}

// Contract: one step of Group Alter, by PendingBoxOperation (50 box, 51 code, 52 changes).
// A code or first P# of 0, or Exit at the box, ends with "Exit Group Alter." and nothing
// changed.
void continue_group_alter() {
    if (core::PendingBoxOperation == kAlterAwaitBox && core::CommandLine(1) != '|' &&
        core::CommandLine(1) != '~') {
        for (int32_t w = 1; w <= 56; ++w) ParamBuffer(w) = 0.0f;
        if (!read_alter_box()) {
            end_group_alter();
            return;
        }
        take_alter_box();
        return;
    }
    // The answer's numbers, read from the line as it stands (a drawn box brings its own).
    if (core::CommandLine(1) != '|' && core::CommandLine(1) != '~') {
        for (int32_t w = 1; w <= 56; ++w) ParamBuffer(w) = 0.0f;
        // A command file's line comes here already scanned (its numbers written as "*"): it is
        // scanned again as the file holds it.
        if (core::MacroUnit != 0) {
            const std::string as_read = core::SecondLine.trimmed();
            core::CommandLine.set(
                as_read.substr(std::min(as_read.find_first_not_of(' '), as_read.size())));
            int32_t n = 0;
            core::upper_case_command_line(n);
        }
        core::scan_command_line(core::find_trimmed_length(core::CommandLine.sub(1, 512)));
    }
    if (core::PendingBoxOperation != kAlterAwaitBox && core::CommandLine(1) != '|' &&
        core::CommandLine(1) != '~' &&
        core::refuse_script_number_answer(
            core::PendingBoxOperation == kAlterAwaitCode ? kCodePrompt : kChangesPrompt,
            answer_as_given(), "A")) {
        end_group_alter();
        return;
    }
    switch (core::PendingBoxOperation) {
        case kAlterAwaitBox:
            take_alter_box();
            return;
        case kAlterAwaitCode:
            GroupAlterCode = static_cast<float>(core::int_of(ParamBuffer(1)));
            if (GroupAlterCode == 0.0f) break;
            if (core::int_of(ParamBuffer(2)) != 0) {
                run_group_alter(2);
                break;
            }
            core::PendingBoxOperation = kAlterAwaitChanges;
            prompt(core::ReplyKind::Question, kChangesPrompt);
            return;
        default:
            if (core::int_of(ParamBuffer(1)) != 0) run_group_alter(1);
            break;
    }
    end_group_alter();
}

}  // namespace

// Contract: the A words in CommandLine with their numbers in ParamBuffer: "ADO" sets the
// PostScript screen-font option to INT(P2) and reloads the font; "AA" does nothing; "ADD" adds
// bar lines; "AD" fits stems to beams in the region P2..P5, P3..P4; "A" starts Group Alter, and
// every line while it waits (PendingBoxOperation 50..52) continues it. Any other A word does
// nothing.
void alter_group() {
    const int32_t op = core::PendingBoxOperation;
    if (op >= kAlterAwaitBox && op <= kAlterAwaitChanges) {
        continue_group_alter();
        return;
    }
    const core::FixedText<512>& line = core::CommandLine;
    if (line.starts_with("ADO")) {
        core::PostScriptScreenFonts = core::int_of(ParamBuffer(2));
        render::LoadedFont.number = -1;
        render::redraw_items();
    } else if (line.starts_with("AA")) {
    } else if (line.starts_with("ADD")) {
        add_bar_lines();
    } else if (line.starts_with("AD")) {
        if (ParamBuffer(4) == 0.0f) ParamBuffer(4) = render::PageExtent;
        if (ParamBuffer(2) == 0.0f || ParamBuffer(2) > 256.0f) {
            ParamBuffer(2) = 1.0f;
            ParamBuffer(3) = 0.0f;
            ParamBuffer(5) = 199.0f;
        }
        int32_t flag = 1;
        layout::fit_stems_to_beams(flag);
    } else if (line(2) == ' ' || line(2) == '\0') {
        clear_drawn_box();
        core::PendingBoxOperation = kAlterAwaitBox;
        GroupAlterCode = 0.0f;
        prompt(core::ReplyKind::Question,
               "Enter Staff#, Left pos., Right pos., [Upper Staff#, Code#] -- or use mouse.");
    }
}

// Contract: for the edited item, its P7 is added to RhythmSum when its P3 differs from the one
// added last (kind 1 starts the sum at 0); MessageLine and CommandLine get the code (F2.0), P7
// (F7.3) and the sum (F8.3). kind becomes 2. No edited item: nothing.
void show_rhythm_sum(int32_t& kind) {
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) return;
    if (kind == 1) {
        RhythmSum = 0.0f;
        RhythmSumLastPosition = -99999.0f;
    }
    kind = 2;
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = core::int_of(ItemStore(s));
    const float p3 = n >= 3 ? ItemStore(s + 3) : 0.0f;
    const float p7 = n >= 7 ? ItemStore(s + 7) : 0.0f;
    if (p3 != RhythmSumLastPosition) {
        RhythmSum += p7;
        RhythmSumLastPosition = p3;
    }
    const std::string text = core::format_real("(1f2.0)", ItemStore(s + 1)) +
                             core::format_real("(1f7.3)", p7) +
                             core::format_real("(1f8.3)", RhythmSum);
    core::leave_reply(core::ReplyKind::Notice, text);
    core::CommandLine = core::MessageLine;
}

// Contract: unless move_mode is 2, " Nothing to do: Staff" with the staff (I3), ", Code#" and
// the code go to the standard output.
void report_empty_staff_code(int32_t move_mode, int32_t staff, float code) {
    if (move_mode == 2) return;
    const std::string text = " Nothing to do: Staff" + core::format_int("(1i3)", staff) +
                             ", Code#" + core::format_real("(1f4.0)", code);
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace edit
