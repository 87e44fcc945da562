#include "engine/edit/areas/box_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/areas/cut_files.h"
#include "engine/edit/areas/group_transfer.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/systems/justify_command.h"
#include "engine/edit/systems/stem_direction.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::MessageLine;
using core::ParamBuffer;
using core::PendingBoxOperation;
using core::SecondLine;

constexpr int32_t kNo = 0;
constexpr int32_t kExit = -2;
// "ED", the eighth box word, and the operation with which its box reaches run_ed_command.
constexpr int32_t kEditWord = 8;
constexpr int32_t kEditBoxDrawn = 3;

constexpr std::string_view kSourcePrompt =
    "Enter Staff number, Left position, Right position, and upper staff num. -- or draw box.";
constexpr std::string_view kDestinationPrompt =
    "Enter new Staff#, Left pos, Right pos, (Upper staff), -- or draw box.";
constexpr std::string_view kStepsPrompt = "Enter steps to move up/down.";
constexpr std::string_view kCodesBoxPrompt =
    "Enter Staff#, Left pos., Right pos., [Upper Staff#] -- or Draw Box.";
constexpr std::string_view kSystemPrompt =
    "Enter Lowest Staff# of system and how many staves in system - or Draw Box.";

// The number (1..limit) of the box word starting CommandLine; 0 when it is not one.
int32_t find_box_word(int32_t limit) {
    const std::string_view words(kBoxWords);
    for (int32_t k = 1; k <= limit; ++k) {
        if (CommandLine(1) == words[2 * k - 2] && CommandLine(2) == words[2 * k - 1]) return k;
    }
    return 0;
}

// The box word as it was given ("M", "CPX", "CT"), for the refusals that name it.
std::string g_box_word;

std::string_view box_word() { return g_box_word; }

void ask(std::string_view prompt) {
    core::leave_reply(core::ReplyKind::Question, prompt);
    SecondLine = MessageLine;
}

// Every end of a box operation: the outline cut away, the page redrawn and refreshed, the
// general palette shown and nothing pending.
void end_box_operation() {
    if (BoxOutlineMark > 0) core::GraphicsNextFree = BoxOutlineMark;
    BoxOutlineMark = 0;
    if (core::ItemCount > 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
    }
    core::refresh_screen();
    PendingBoxStep = 0;
    show_item_palette(core::kGeneralPalette);
    PendingBoxOperation = 0;
    core::set_engine_wait_level(-1);
}

// What a box answer came to: a box shown, the end of the operation (a typed "B", neither staff
// nor right position where the question ends on them, a drawn box on an empty page, a box off
// the staves in a command file), or a typed box off the staff table, refused by name.
enum class BoxAnswer { Taken, Ended, Refused };

// Reads the box answer in CommandLine into ParamBuffer P1..P4 and shows its outline. A typed box
// that lies off the staves (a staff outside 1..256, or staff 0 with a range) is refused here,
// naming the line, for every box word alike: the caller asks again or ends. A command file's
// box off the staves stops the file instead, as the file form of the box words does: its next
// lines were meant for the word. With end_without_numbers a line of zeros ends the operation
// quietly (the destination, where staff 0 is no staff).
BoxAnswer read_box_answer(bool end_on_blank, bool end_without_numbers = false,
                          bool asks_again = false) {
    BoxOutlineMark = core::GraphicsNextFree;
    const char first = CommandLine(1);
    if (first == '|' || (first == '~' && !end_on_blank)) {
        return read_drawn_box() ? BoxAnswer::Taken : BoxAnswer::Ended;
    }
    // "B" alone ends the word (read_box_line's no box); a longer word starting B is named.
    // A word, or a number not read whole ("1e1x", "nan"), is no box: never a box of staff 0.
    const BoxLineReading line = read_box_line();
    if (line.kind == BoxLineKind::Refused) {
        refuse_box_line(line.refusal, box_word(), asks_again);
        // A bare leave word set off by blanks leaves, also where a refused box is asked again.
        if (line.refusal == kLeavingBox) return BoxAnswer::Ended;
        return asks_again && core::MacroUnit == 0 ? BoxAnswer::Refused : BoxAnswer::Ended;
    }
    if (end_on_blank && ParamBuffer(1) == 0.0f && ParamBuffer(3) == 0.0f) return BoxAnswer::Ended;
    if (end_without_numbers && ParamBuffer(1) == 0.0f && ParamBuffer(2) == 0.0f &&
        ParamBuffer(3) == 0.0f && ParamBuffer(4) == 0.0f) {
        return BoxAnswer::Ended;
    }
    if (show_typed_box()) return BoxAnswer::Taken;
    if (core::MacroUnit != 0) {
        report_staff_out_of_range();
        return BoxAnswer::Ended;
    }
    refuse_typed_box();
    return BoxAnswer::Refused;
}

void take_source_box() {
    SelectionBox.low_staff = core::int_of(ParamBuffer(1));
    SelectionBox.high_staff = std::max(core::int_of(ParamBuffer(4)), SelectionBox.low_staff);
    SelectionBox.left = ParamBuffer(2);
    SelectionBox.right = ParamBuffer(3) == 0.0f ? render::PageExtent : ParamBuffer(3);
}

// Asks the question of a refused box again, with its outline cut away.
void ask_again(std::string_view prompt) {
    if (BoxOutlineMark > 0) core::GraphicsNextFree = BoxOutlineMark;
    core::refresh_screen();
    ask(prompt);
    clear_drawn_box();
}

// Asks the box's question (the source's, marking its items, or the destination's): true on
// Yes. Exit ends the operation; No asks the prompt again (or, for the deletion's box, only puts
// it back in the message line) and the operation waits for another box.
bool box_confirmed(int32_t destination_flag, std::string_view again, bool ask_anew = true) {
    int32_t answer = kNo;
    confirm_box(answer, destination_flag, box_word());
    if (answer == kExit) {
        end_box_operation();
        return false;
    }
    if (answer == kNo) {
        if (ask_anew) {
            ask_again(again);
        } else {
            core::leave_reply(core::ReplyKind::Question, again);
            clear_drawn_box();
        }
        return false;
    }
    return true;
}

void start_word() {
    if (core::MacroUnit != 0 && find_box_word(10) == 0 && find_box_word(kBoxWordCount) != 0) {
        // The command-file form knows the first ten box words only. The lines that answer one of
        // the others would run as lines of their own (a box line becoming a stray item), so the
        // rest of the file is not read.
        const std::string word(CommandLine.view().substr(0, 2));
        core::report_failure(
            "*** " + word +
            " cannot be read from a command file: the rest of the file was not read.");
        if (core::MacroUnit > 0 && core::unit_is_open(core::MacroUnit)) {
            core::close_unit(core::MacroUnit);
        }
        core::MacroUnit = 0;
        end_box_operation();
        return;
    }
    if (core::MacroUnit != 0) {
        int32_t result = 0;
        run_box_command_from_macro(result);
        if (result == -1) {
            core::report_unknown_word(core::FixedText<9>(CommandLine.view().substr(0, 2)));
        }
        end_box_operation();
        return;
    }
    if (CommandLine(1) == ' ' && CommandLine(2) == ' ') {
        end_box_operation();
        return;
    }
    const int32_t word = find_box_word(kBoxWordCount);
    if (word == 0) {
        core::report_unknown_word(core::FixedText<9>(CommandLine.view().substr(0, 2)));
        end_box_operation();
        return;
    }
    PendingBoxStep = word;
    const std::string line = CommandLine.trimmed();
    g_box_word = line.substr(0, line.find(' '));
    if (word >= 4 && word <= 6) {
        PendingBoxOperation = 8;
        ask(word == 6 ? kCodesBoxPrompt : kSystemPrompt);
    } else {
        PendingBoxOperation = 2;
        BoxCopyCode = 0;
        ask(kSourcePrompt);
        if (word == 8) {
            PendingBoxOperation = 16;
            core::save_undo_copy();
            ask("Enter Staff number, Left position, Right position, -- or draw box.");
        } else if (word == 7) {
            PendingBoxOperation = 11;
        } else if (word == 10) {
            BoxCopyCode = 1;
        } else if (word == 12) {
            PendingBoxStep = 1;
            PendingBoxOperation = 8;
            ask(kSystemPrompt);
        }
    }
    clear_drawn_box();
}

void take_source_answer() {
    const BoxAnswer box = read_box_answer(false, false, true);
    if (box == BoxAnswer::Refused) {
        // These words read every line as a box until X: the box is asked for again.
        ask_again(kSourcePrompt);
        return;
    }
    if (box == BoxAnswer::Ended) {
        end_box_operation();
        return;
    }
    if (!box_confirmed(0, kSourcePrompt)) return;
    take_source_box();
    if (PendingBoxStep == 9) {
        // The cut file is written at once: nothing more is asked.
        int32_t kind = 0;
        copy_move_group(kind);
        end_box_operation();
        return;
    }
    if (PendingBoxOperation == 16) core::CommandModeLetters(1) = -1;
    ask(PendingBoxStep == 13 || PendingBoxStep == 14 ? kStepsPrompt : kDestinationPrompt);
    PendingBoxOperation = 3;
    // The source's marking set the level for its question: the destination is dragged anew.
    clear_drawn_box();
}

void take_destination_answer() {
    const int32_t word = PendingBoxStep;
    if (word == 13 || word == 14) {
        const std::string typed = core::line_as_read();
        core::scan_command_line(core::find_line_length(CommandLine));
        // The steps are read whole: "1e3" is not one step, and a word is no step at all.
        const core::NumberLineReading steps = core::read_number_line_whole(core::WordsInLine::None);
        // A cut line's kept part may read as steps: it is no answer.
        const bool cut = core::is_cut_line(typed);
        if (cut || steps.fault != core::NumberLineFault::None) {
            if (!core::name_script_number_non_answer(
                    kStepsPrompt, cut ? core::cut_line_shown(typed) : typed,
                    std::string(box_word()) + " ended, nothing was changed.") &&
                !cut)
                core::name_untaken_line(core::number_line_refusal(steps));
            end_box_operation();
            return;
        }
        // No steps (an empty line, 0) move nothing: the page is not marked changed, and no
        // undo copy is kept that UNDO would take back in place of the edit before.
        if (ParamBuffer(1) == 0.0f) {
            core::report_failure("Nothing to do.");
            end_box_operation();
            return;
        }
        BoxDestination.vertical = word == 14 ? -ParamBuffer(1) : ParamBuffer(1);
        BoxDestination.staff = SelectionBox.low_staff;
        BoxDestination.left = 0.0f;
        BoxDestination.right = 0.0f;
    } else {
        // A destination with no staff ends the word: an empty line, "B" or zeros quietly, a
        // word named. One off the staves is named and asked again.
        const char first = CommandLine(1);
        const bool drawn = first == '|' || first == '~';
        if (!drawn && ((first == 'B' && CommandLine(2) == ' ') ||
                       refuse_line_without_box(CommandLine, box_word()))) {
            end_box_operation();
            return;
        }
        const BoxAnswer box = read_box_answer(false, true, true);
        if (box == BoxAnswer::Refused) {
            ask_again(kDestinationPrompt);
            return;
        }
        if (box != BoxAnswer::Taken) {
            end_box_operation();
            return;
        }
        if (!box_confirmed(1, kDestinationPrompt)) return;
        BoxDestination.staff = core::int_of(ParamBuffer(1));
        BoxDestination.left = ParamBuffer(2);
        BoxDestination.right = ParamBuffer(3);
        BoxDestination.vertical = ParamBuffer(4);
    }
    int32_t kind = 0;
    copy_move_group(kind);
    end_box_operation();
}

// Hands a confirmed justify box (PendingBoxStep telling the word) or transpose box (staff P1,
// P2 to P3, P3 not beyond P2 meaning the page's right end) to its family.
void hand_over_box(bool justify) {
    if (justify) {
        core::clear_exchange_text();
        run_justify_command();
        return;
    }
    BoxTransposeRange.staff = core::int_of(ParamBuffer(1));
    BoxTransposeRange.left = ParamBuffer(2);
    BoxTransposeRange.right = ParamBuffer(3) > ParamBuffer(2) ? ParamBuffer(3) : render::PageExtent;
    if (BoxHandOver.transpose_items != nullptr) BoxHandOver.transpose_items();
}

void take_codes_box() {
    const bool drawn = CommandLine(1) == '|';
    if (read_box_answer(true) != BoxAnswer::Taken) {
        end_box_operation();
        return;
    }
    if (drawn && !box_confirmed(0, kCodesBoxPrompt)) return;
    take_source_box();
    PendingBoxOperation = 7;
    core::leave_reply(core::ReplyKind::Question, "Enter up to 5 Code numbers. (0 = all Codes)");
}

}  // namespace

void name_box_word(std::string_view word) { g_box_word = std::string(word); }

// Contract: see the header. Operations 2 and 16 are the source box of take_source_answer, 15
// the staff-notes words' box; both read their box with asks_again.
bool box_question_asks_again() {
    const int32_t op = PendingBoxOperation;
    return op == 2 || op == 15 || op == 16;
}

// Contract: one step of the dialogue by operation (see the header and the file comment);
// writes PendingBoxOperation, PendingBoxStep, SelectionBox, BoxDestination, BoxCopyCode,
// BoxCodeFilter, MessageLine, SecondLine. An unknown word is reported and ends the operation.
void run_box_command(int32_t& operation) {
    if (core::MacroUnit == 0 && (SecondLine.starts_with("CT") || SecondLine.starts_with("PS"))) {
        PendingBoxStep = 0;
    }
    switch (operation) {
        case 2:
        case 16:
            take_source_answer();
            break;
        case 3:
        case 4:
        case 18:
            take_destination_answer();
            break;
        case 5:
            PendingBoxStep = 5;
            PendingBoxOperation = 6;
            ask(kCodesBoxPrompt);
            clear_drawn_box();
            break;
        case 6:
            take_codes_box();
            break;
        case 7:
            for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = ParamBuffer(k);
            if (BoxCopyCode != 0) BoxCopyCode = core::int_of(BoxCodeFilter(1));
            PendingBoxStep = 5;
            delete_box_codes();
            core::clear_exchange_text();
            break;
        case 8:
        case 11: {
            const bool justify = operation == 8;
            const char first = CommandLine(1);
            if (first == '~' || read_box_answer(true) != BoxAnswer::Taken) {
                end_box_operation();
                break;
            }
            if (!box_confirmed(0, justify ? kCodesBoxPrompt : kSourcePrompt)) break;
            take_source_box();
            hand_over_box(justify);
            end_box_operation();
            break;
        }
        case 12:
            PendingBoxStep = 5;
            PendingBoxOperation = 13;
            break;
        case 13:
            // The stem command's box has come: it reads, confirms and runs it itself.
            PendingBoxOperation = -1;
            run_stem_direction_command();
            break;
        case 14:
            PendingBoxStep = 5;
            PendingBoxOperation = 15;
            ask(kSourcePrompt);
            clear_drawn_box();
            break;
        default:
            start_word();
            break;
    }
    operation = PendingBoxOperation;
}

// Contract: the word in CommandLine among the first ten; reads the box line and the
// destination line from the command file and runs the group operation ("ED": the box line
// alone, and the staff range is re-edited, its answers read from the file). result -1 for
// another word; nothing is done when the file ends before the destination line.
void run_box_command_from_macro(int32_t& result) {
    const int32_t word = find_box_word(10);
    if (word == 0) {
        result = -1;
        return;
    }
    result = word;
    PendingBoxStep = word;
    std::string as_read;
    core::read_line_from_command_file(&as_read);
    if (core::MacroUnit == 0) return;
    const std::string line = CommandLine.trimmed();
    g_box_word = std::string(CommandLine.view().substr(0, 2));
    if (g_box_word.back() == ' ') g_box_word.pop_back();
    // The box line is read whole: a word or a damaged number is no box, and the file's next
    // lines were meant for the word.
    const BoxLineReading box = read_scanned_box_line(as_read);
    if (box.kind == BoxLineKind::Refused) {
        refuse_box_line(box.refusal, box_word(), false);
        return;
    }
    // A box off the staves is named. Staff 0 is no system of the justify word (its quiet end)
    // and no staff of the edit form's range (the form's own refusal).
    const bool numbers = box.kind == BoxLineKind::Numbers;
    int32_t system_low = 0;
    int32_t system_high = 0;
    const bool system = word == 6 && numbers && ParamBuffer(1) != 0.0f;
    const bool off =
        word == 6 ? system && !system_line_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3),
                                                  system_low, system_high)
        : word == kEditWord
            ? numbers && ParamBuffer(1) != 0.0f &&
                  !typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3),
                                       ParamBuffer(4))
            : !typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), ParamBuffer(4));
    if (off) {
        refuse_box_off_staves(as_read);
        return;
    }
    if (word == kEditWord) {
        // The box line is the range; the lines after it answer the edit form.
        PendingBoxOperation = kEditBoxDrawn;
        run_ed_command();
        return;
    }
    if (word == 5) {
        BoxCodeFilter.fill(0.0f);
        BoxCodeFilter(1) = ParamBuffer(5);
        MacroDrawFlag = 1;
        PendingBoxOperation = 0;
        delete_box_codes();
        MacroDrawFlag = 0;
        return;
    }
    if (word == 6) {
        if (system) {
            SelectionBox.low_staff = system_low;
            SelectionBox.high_staff = system_high;
        } else {
            SelectionBox.low_staff = core::int_of(ParamBuffer(1));
            SelectionBox.high_staff = SelectionBox.low_staff + core::int_of(ParamBuffer(2)) - 1;
        }
        SelectionBox.left = -10.0f;
        SelectionBox.right = 210.0f;
        run_justify_command();
        return;
    }
    if (word == 7) {
        if (BoxHandOver.transpose_items != nullptr) BoxHandOver.transpose_items();
        return;
    }
    // A box off the staves (a staff -1 reaches every staff below the upper one) moves
    // nothing; the file stops, its next line being the destination meant for the word.
    if (!typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3), ParamBuffer(4))) {
        report_staff_out_of_range();
        return;
    }
    SelectionBox.low_staff = core::int_of(ParamBuffer(1));
    SelectionBox.high_staff = std::max(core::int_of(ParamBuffer(4)), SelectionBox.low_staff);
    SelectionBox.left = ParamBuffer(2);
    SelectionBox.right = ParamBuffer(3) == 0.0f ? render::PageExtent : ParamBuffer(3);
    for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = ParamBuffer(k + 4);
    SelectionBox.last_item = core::ItemCount;
    core::read_line_from_command_file(&as_read);
    if (core::MacroUnit == 0) return;
    // The destination is read as the box is: a line that is no place names itself and stops
    // the file (its next lines were meant for the word); "B" or zeros end the word quietly.
    const BoxLineReading destination = read_scanned_box_line(as_read);
    if (destination.kind == BoxLineKind::Refused) {
        refuse_box_line(destination.refusal, box_word(), false);
        return;
    }
    if (destination.kind == BoxLineKind::NoBox ||
        (ParamBuffer(1) == 0.0f && ParamBuffer(2) == 0.0f && ParamBuffer(3) == 0.0f &&
         ParamBuffer(4) == 0.0f)) {
        return;
    }
    BoxDestination.staff = core::int_of(ParamBuffer(1));
    BoxDestination.left = ParamBuffer(2);
    BoxDestination.right = ParamBuffer(3);
    BoxDestination.vertical = ParamBuffer(4);
    if (word == 10) {
        BoxCopyCode = core::int_of(ParamBuffer(2) != 0.0f ? ParamBuffer(2) : ParamBuffer(4));
    }
    if (ParamBuffer(2) == 0.0f && ParamBuffer(3) == 0.0f) {
        BoxDestination.left = SelectionBox.left;
        BoxDestination.right = SelectionBox.right;
    }
    MacroDrawFlag = 1;
    int32_t kind = 1;
    copy_move_group(kind);
    MacroDrawFlag = 0;
}

namespace {

// Deletes the items SelectionList names (item numbers, rising) by compacting the store.
void delete_listed_items() {
    auto& store = core::ItemStore;
    auto& scratch = core::ItemStoreScratch;
    const int32_t used = core::ItemWordsUsed - 1;
    std::copy_n(store.at(1), used, scratch.at(1));
    for (int32_t j = 1; j <= SelectionList.count; ++j) {
        const int32_t i = SelectionList.entries(j);
        if (i >= 1 && i <= core::ItemCount) scratch(core::ItemStartTable(i) + 1) = -1.0f;
    }
    int32_t to = 1;
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        const int32_t length = core::int_of(scratch(s)) + 1;
        if (scratch(s + 1) == -1.0f) continue;
        std::copy_n(scratch.at(s), length, store.at(to));
        to += length;
    }
    core::ItemWordsUsed = to;
    core::rebuild_item_start_table();
}

// Deletes (or for "MX" lists) the items of the code filter inside SelectionBox.
void delete_in_box(bool list_only) {
    PendingBoxOperation = 0;
    PendingBoxStep = 0;
    core::clear_exchange_text();
    if (SelectionBox.left == -99.0f) {
        core::save_undo_copy();
        const int32_t keep = SelectionBox.low_staff;
        for (int32_t i = core::ItemCount; i >= 1; --i) {
            const int32_t s = core::ItemStartTable(i);
            if (core::ItemStore(s) >= 2.0f && core::int_of(core::ItemStore(s + 2)) != keep) {
                core::delete_item(i);
            }
        }
        core::ChangesMadeFlag = 1;
    } else {
        SelectionBox.letter = 'D';
        SelectionBox.first_item = 1;
        SelectionBox.last_item = core::ItemCount;
        select_box_items();
        if (SelectionList.count == 0) {
            core::report_failure("Nothing to do.");
            end_box_operation();
            return;
        }
        core::ChangesMadeFlag = 1;
        core::save_undo_copy();
        if (list_only) {
            PendingBoxOperation = 5;
            return;
        }
        delete_listed_items();
    }
    end_box_operation();
}

}  // namespace

// Contract: see the header; reads CommandLine, SecondLine, PendingBoxOperation, PendingBoxStep,
// MacroUnit; writes SelectionBox, BoxCodeFilter, SelectionList and the store. An empty box
// changes nothing and saves no undo copy.
void delete_box_codes() {
    if (CommandLine.equals("DEX")) {
        SelectionBox.low_staff = 201;
        SelectionBox.high_staff = layout::kMaxStaves;
        SelectionBox.left = -10.0f;
        SelectionBox.right = 210.0f;
        delete_in_box(false);
        return;
    }
    if (PendingBoxOperation == 0) {
        if (core::MacroUnit != 0) {
            std::string as_read;
            core::read_line_from_command_file(&as_read);
            if (core::MacroUnit == 0) return;
            // A line that is no box and codes stops the file: its next lines were the word's.
            const BoxLineReading box = read_scanned_box_line(as_read);
            if (box.kind == BoxLineKind::Refused) {
                refuse_box_line(box.refusal, "", false);
                return;
            }
            // The box and its codes are read whole: a word among them is no code "0 = all".
            const core::NumberLineReading line =
                core::read_number_line_whole(core::WordsInLine::None);
            // After a refusal the file's "Reading" line would stand as the reply.
            if (line.fault != core::NumberLineFault::None) {
                core::name_untaken_line(core::number_line_refusal(line));
                core::clear_exchange_text();
                return;
            }
            if (ParamBuffer(1) == 0.0f && ParamBuffer(2) == 0.0f && ParamBuffer(3) == 0.0f) {
                return;
            }
            // No box lies outside the staff table (a staff -1 would reach down to every staff
            // below the upper one, and delete there): the file stops, as for the move words.
            if (!typed_box_on_staves(ParamBuffer(1), ParamBuffer(2), ParamBuffer(3),
                                     ParamBuffer(4))) {
                refuse_box_off_staves(as_read);
                return;
            }
            // Codes are whole numbers to 18.
            const auto refuse = [&](int k) {
                core::NumberLineReading out = line;
                out.fault = core::NumberLineFault::OutOfRange;
                out.word = static_cast<std::size_t>(k) < line.typed.size() ? line.typed[k] : "";
                core::name_untaken_line(core::number_line_refusal(out));
                core::clear_exchange_text();
            };
            for (int k = 5; k <= 22; ++k) {
                const float code = ParamBuffer(k);
                if (code < 0.0f || code > 18.0f || code != std::floor(code)) {
                    refuse(k);
                    return;
                }
            }
            SelectionBox.low_staff = core::int_of(ParamBuffer(1));
            SelectionBox.high_staff =
                std::max(core::int_of(ParamBuffer(4)), SelectionBox.low_staff);
            SelectionBox.left = ParamBuffer(2);
            SelectionBox.right = ParamBuffer(3) == 0.0f ? render::PageExtent : ParamBuffer(3);
            for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = ParamBuffer(k + 4);
            delete_in_box(false);
            return;
        }
        PendingBoxOperation = 6;
        PendingBoxStep = 0;
        const std::string line = CommandLine.trimmed();
        g_box_word = line.substr(0, line.find(' '));
        core::leave_reply(core::ReplyKind::Question, kCodesBoxPrompt);
        clear_drawn_box();
        return;
    }
    if (PendingBoxOperation == 6 && PendingBoxStep == 0) {
        const std::string_view word = SecondLine.view().substr(0, 3);
        core::FrontEndCommandBuffer.set(word);
        // The word serves this step only: left in the buffer, the window would run it again as
        // the next command after the operation has ended.
        struct BlankBufferAfter {
            ~BlankBufferAfter() { core::FrontEndCommandBuffer.blank(); }
        } blank_after;
        const bool listing = SecondLine.starts_with("MX");
        // "B" or a box with neither staff nor right position ends the word, as for the other
        // box questions that are not moves: a script's empty line must not wait for ever.
        // A box off the staves is named by the reader and ends the word too.
        if (read_box_answer(true) != BoxAnswer::Taken) {
            end_box_operation();
            return;
        }
        if (!box_confirmed(0, kCodesBoxPrompt, false)) return;
        take_source_box();
        if (listing) {
            delete_in_box(true);
            return;
        }
        if (word == "CUE") {
            make_cue_size();
            end_box_operation();
            return;
        }
        if (word == "SEP") {
            // The rhythmic spacing belongs to the layout family, not built yet.
            end_box_operation();
            return;
        }
        core::leave_reply(core::ReplyKind::Question, "Select Code Numbers to DELETE.");
        core::Array1<int32_t, 19> codes;
        codes.fill(0);
        const int chosen = core::front_end().RunSelectCodesDialog(codes);
        // The question is answered: left in the message line it reads as still asked.
        core::clear_exchange_text();
        if (chosen == 2) {
            end_box_operation();
            return;
        }
        for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = static_cast<float>(codes(k));
        delete_in_box(false);
        return;
    }
    if (PendingBoxStep != 0) {
        for (int k = 1; k <= 18; ++k) BoxCodeFilter(k) = ParamBuffer(k);
        if (BoxCopyCode != 0) BoxCopyCode = core::int_of(BoxCodeFilter(1));
    }
    delete_in_box(false);
}

// Contract: flag 0 marks the ParamBuffer box's items first; asks AskYesNoExit. Writes
// BoxQuestion, answer and CommandStatusWord (-1: the call's reply is shown).
void confirm_box(int32_t& answer, int32_t destination_flag, std::string_view word) {
    if (destination_flag == 0) {
        mark_box_items();
        BoxQuestion.set("Source Box O.K.? -");
    } else {
        BoxQuestion.set("Destination Box O.K.? - ");
    }
    const std::string question(
        BoxQuestion.view().substr(0, BoxQuestion.trimmed_length() + (destination_flag ? 1 : 0)));
    core::front_end().EndWordOnNonAnswer(word.empty() ? box_word() : word);
    answer = core::front_end().AskYesNoExit(question.c_str());
    // The box numbers shown as the prompt before the question are over: the line the call
    // leaves (the next question, or what was done) is the reply to show.
    core::CommandStatusWord = -1;
}

// Contract: redraws the page (rebuilding the item index) with the ParamBuffer box's outline;
// P1..P4 are kept. In a command file without MacroDrawFlag only the item index is rebuilt.
void mark_box_items() {
    core::set_engine_wait_level(-1);
    if (core::ItemCount == 0) return;
    if (core::MacroUnit != 0 && MacroDrawFlag == 0) {
        core::rebuild_item_start_table();
        return;
    }
    core::Array1<float, 4> kept;
    for (int k = 1; k <= 4; ++k) kept(k) = ParamBuffer(k);
    // Without a view nobody sees the marked items before the answer: only the store is settled
    // as the redraw would settle it.
    const bool shown = core::lists_shown_while_waiting();
    if (shown) {
        render::redraw_changed_items();
    } else {
        render::settle_items();
    }
    // The items inside are stored with a negated code for one partial redraw, which draws them
    // highlighted and gives the codes back.
    const float left = kept(2);
    const float right = kept(3) == 0.0f ? render::PageExtent : kept(3);
    const int32_t low = core::int_of(kept(1));
    const int32_t high = std::max(core::int_of(kept(4)), low);
    int32_t first = 0;
    // Without a view no item is marked: nothing to look for.
    for (int32_t i = 1; shown && i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        const float code = core::ItemStore(s + 1);
        const float p3 = core::ItemStore(s + 3);
        const int32_t staff = core::int_of(core::ItemStore(s + 2));
        if (code <= 0.0f || code == 13.0f || p3 < left || p3 > right || staff < low ||
            staff > high) {
            continue;
        }
        core::ItemStore(s + 1) = -code;
        if (first == 0) first = i;
    }
    if (first != 0) render::redraw_items_from(first);
    for (int k = 1; k <= 4; ++k) ParamBuffer(k) = kept(k);
    // The box is in its final form by now: a system box (operation 8) must not have its lowest
    // staff and staff count read out of it a second time, which would leave one staff.
    const int32_t operation = core::PendingBoxOperation;
    if (operation == 8) core::PendingBoxOperation = 0;
    show_typed_box();
    core::PendingBoxOperation = operation;
}

// Contract: draws SelectionBox's rectangle with the source outline's colour.
void show_box_outline(int32_t flag) {
    if (flag == 0) return;
    const SelectionBoxRecord kept = SelectionBox;
    ParamBuffer(1) = static_cast<float>(SelectionBox.low_staff);
    ParamBuffer(2) = SelectionBox.left;
    ParamBuffer(3) = SelectionBox.right;
    ParamBuffer(4) = static_cast<float>(SelectionBox.high_staff);
    show_typed_box();
    SelectionBox = kept;
}

void trace_box_values() {}

BoxHandOverRecord BoxHandOver;
BoxTransposeRangeRecord BoxTransposeRange;

// Contract: see the header.
bool refuse_line_without_box(const core::FixedText<512>& line, std::string_view word) {
    const std::string text = line.trimmed();
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return true;
    const char c = text[first];
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',' || c == '|' ||
        c == '~') {
        return false;
    }
    core::name_untaken_line("*** Not a box: " + answer_as_given() + " -- " + std::string(word) +
                            " ended, nothing was changed.");
    return true;
}

}  // namespace edit
