// The edit form of the input mode: the lines of the last input run offered again one by one in
// the music input dialog (MacroUnit -1), or rebuilt unattended (MacroUnit -2).
#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/input/mode/input_files.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/tables.h"
#include "engine/input/typed/bar_lines.h"
#include "engine/input/typed/input_lines.h"
#include "engine/input/typed/music_text.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/staves/staff_layout_commands.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace input {

namespace {

constexpr int32_t kDoneMode = 6;
// ask_input_line_2's flag for a script's line that answers nothing: the form ends.
constexpr int32_t kFormEnded = 3;

// The kept text offered for the line kind InputParserMode.
std::string kept_text() {
    switch (InputParserMode) {
        case -1:
            return InputLines.command.trimmed();
        case 0:
            return InputLines.position.trimmed();
        case 1:
            return InputLines.notes.trimmed();
        case 2:
            return InputLines.rhythms.trimmed();
        case 3:
            return InputLines.marks.trimmed();
        case 4:
            return InputLines.beams.trimmed();
        default:
            return InputLines.slurs.trimmed();
    }
}

// The page as the edit form found it (words 1 .. ItemWordsUsed - 1) and the word that began the
// form, for a form that ends early.
struct FormStart {
    std::vector<float> words;
    std::vector<int32_t> starts;  // ItemStartTable(1 .. ItemCount + 1)
    std::string word;
    bool unsaved = false;  // the page's unsaved mark when the form began
    bool kept = false;
};
FormStart form_start;
// The page before EDI's form's first pass (kept across "E" at its closing menu), and whether any
// line was answered otherwise than offered or bar lines were added. Rebuilt from lines taken as
// offered, a staff would be spaced again and lose the places a justification gave it: such a
// form gives the page back exactly as it found it.
FormStart offered_start;
bool answer_changed = false;

// Whether the line ask_input_line_2 took last came from a script: the command file that ran
// the form, the unattended rebuild, or a console whose input is no terminal.
bool line_from_script = false;

// A line of the edit form that answers nothing: named with its prompt. From a script the form
// ends (true); typed, the question is asked again (false).
bool name_non_answer(const core::FixedText<512>& prompt, const std::string& line) {
    const std::string shown = std::string(core::FixedText<512>(line).trimmed());
    if (line_from_script) {
        core::name_untaken_line("*** Not an answer to \"" + prompt.trimmed() + "\": " + shown +
                                " -- the edit form ended.");
        return true;
    }
    core::show_notice("*** Not an answer to \"" + prompt.trimmed() + "\": " + shown);
    return false;
}

// Whether the line the last scan read holds numbers and, besides them, no word but a leading
// one (the "IN" of the staff line): "SA o1.mus" names no staff and no position.
bool scanned_numbers_only(bool leading_word) {
    if (core::ScannedFieldCount == 0) return false;
    bool number = false;
    for (std::size_t k = 0; k < core::ScannedFields.size(); ++k) {
        if (core::ScannedFields[k].number) {
            number = true;
        } else if (k > 0 || !leading_word) {
            return false;
        }
    }
    return number;
}

// Starts the edit form again from the staff question.
void restart_from_staff_question() {
    InputParserMode = -1;
    core::MacroUnit = -1;
    roll_back_input_store();
}

// The end of the edit form.
void leave_edit_form() {
    forget_edit_form_start();
    leave_input();
    core::EngineWaitLevel = 0;
    clear_input_run_words();
    restore_macro_unit();
}

// Puts a kept page back in the store, with its unsaved mark.
void put_back(const FormStart& start) {
    if (!start.kept) return;
    std::copy(start.words.begin(), start.words.end(), core::ItemStore.data());
    std::copy(start.starts.begin(), start.starts.end(), core::ItemStartTable.data());
    core::ItemWordsUsed = static_cast<int32_t>(start.words.size()) + 1;
    core::ItemCount = static_cast<int32_t>(start.starts.size()) - 1;
    if (start.unsaved) core::ChangesMadeFlag = 1;
    // Nothing the form built is left to move into the written-back range's place.
    RegeneratedItems.place = 0;
}

// The page the form gives back: EDI's page as it found it while every line was taken as offered
// (also after "E" reopened the form: rebuilt, the staff would be spaced again), else the page as
// this pass of the form began.
const FormStart& start_to_give_back() {
    return offered_start.kept && !answer_changed ? offered_start : form_start;
}

// Puts the page the form gives back into the store and forgets the form's start; the word that
// began the form, "" when no page was kept.
std::string put_back_form_start() {
    const FormStart start = start_to_give_back();
    const std::string word = form_start.word;
    form_start = FormStart{};
    put_back(start);
    return start.kept ? word : std::string();
}

// The form left because the program is closing: the page goes back as the form found it, so
// that what follows (the save question, a refused close, the backup) has the whole page.
void put_back_at_close() { put_back_form_start(); }

// The end of a form that stops before its lines are built: the page as the form found it, told.
// The items the form took out of the store (a range written back, a run's items) would be lost
// otherwise.
void end_form_early() {
    const std::string word = put_back_form_start();
    leave_edit_form();
    if (!word.empty())
        core::show_notice("*** The edit form ended early: the page is as it was before " + word +
                          ".");
}

// The staff set-up after the staff question. False when the staff is above the limit.
bool set_up_staff() {
    if (core::ParamBuffer(2) <= 0.0f) pick_new_staff_number();
    InputStaff = core::ParamBuffer(2);
    if (core::nint(InputStaff) > layout::kMaxStaves) return false;
    if (layout::SpacingStaff == 0.0f && core::MacroUnit >= 0) edit::show_item_palette(228);
    core::ParamBuffer(1) = 8.0f;
    prepare_input_staff();
    InputStartWordsUsed = core::ItemWordsUsed;
    InputStartItemCount = core::ItemCount;
    layout::SpacingList.count = 0;
    layout::SpacingStaff = 999.0f;
    InputParserMode = 0;
    return true;
}

// The position line of the edit form: P(1), P(2) into the input range. False when the line
// asks to leave ("X"); "SC" lines run the layout command and ask again (again := true).
bool take_position_line(bool& again) {
    again = false;
    if (core::CommandLine.trimmed() == "X") return false;
    if (core::CommandLine.starts_with("SC")) {
        layout::run_staff_layout_command();
        core::refresh_screen();
        again = true;
        return true;
    }
    if (core::ParamBuffer(1) == 999.0f) {
        core::ParamBuffer(1) = layout::InputRangeStart;
        core::ParamBuffer(2) = layout::InputRangeEnd;
    }
    // As in the run: a begin not below its end spaces to the page's end.
    layout::InputRangeStart = std::max(core::ParamBuffer(1), 0.0f);
    layout::InputRangeEnd =
        core::ParamBuffer(2) != 0.0f && core::ParamBuffer(2) > core::ParamBuffer(1)
            ? core::ParamBuffer(2)
            : render::PageExtent;
    InputLeftLimit = layout::InputRangeStart - 5.0f;
    begin_typed_placement();
    return true;
}

}  // namespace

FormFileAnswer read_edit_form_file_answer(std::string& answer) {
    if (EditFormAnswerUnit <= 0) return FormFileAnswer::None;
    // The form runs with MacroUnit -1: the file's reader is lent the file's unit.
    const int32_t form_unit = core::MacroUnit;
    core::MacroUnit = EditFormAnswerUnit;
    const bool read = core::next_command_file_answer_record(answer, true);
    core::MacroUnit = form_unit;
    if (read) return FormFileAnswer::Line;
    EditFormAnswerUnit = 0;
    return FormFileAnswer::Ended;
}

void keep_edit_form_start(std::string_view word) {
    form_start.words.assign(core::ItemStore.data(),
                            core::ItemStore.data() + core::ItemWordsUsed - 1);
    form_start.starts.assign(core::ItemStartTable.data(),
                             core::ItemStartTable.data() + core::ItemCount + 1);
    form_start.word = std::string(word);
    form_start.unsaved = core::ChangesMadeFlag != 0;
    form_start.kept = true;
    // Only a staff written back into lines (EDI) has places of its own to keep; an input run's
    // form rebuilds the run as the lines say.
    if (!offered_start.kept && RegenerateLinesFlag != 0) {
        offered_start = form_start;
        answer_changed = false;
    }
}

void forget_edit_form_start() {
    form_start = FormStart{};
    offered_start = FormStart{};
    answer_changed = false;
}

bool edit_form_start_page(std::vector<float>& words, int32_t& items, bool& unsaved) {
    if (!form_start.kept) return false;
    const FormStart& start = start_to_give_back();
    words = start.words;
    items = static_cast<int32_t>(start.starts.size()) - 1;
    unsaved = start.unsaved;
    return true;
}

// Contract: reads InputParserMode, MacroUnit, InputLines, InputColumnCount; writes CommandLine,
// SecondLine, MessageLine, FrontEndCommandBuffer, InputLines and P(1..). With MacroUnit -2 the
// kept line is taken as it stands; with an EditFormAnswerUnit its next record answers in place
// of the dialog (the bar-lines question is not asked).
void ask_input_line_2(int32_t& flag, int32_t& length) {
    flag = 0;
    length = 0;
    for (;;) {
        core::CommandLine.blank();
        if (InputParserMode > 2) draw_column_marks();
        // Answers from a command file hold the lines alone, as when a file types a run.
        if (InputParserMode == kMarksMode && layout::SpacingStaff > 256.0f &&
            core::MacroUnit != -2 && EditFormAnswerUnit <= 0) {
            const int32_t items = core::ItemCount;
            ask_add_bar_lines(true);
            if (core::CommandLine(1) == '!') return;
            if (core::ItemCount != items) answer_changed = true;
        }
        int32_t palette = 0;
        const core::FixedText<512> prompt = input_line_prompt(true, palette);
        core::SecondLine = prompt;
        if (palette != 0 && (core::MacroUnit >= 0 || InputParserMode < 0))
            edit::show_item_palette(palette);
        if (InputParserMode == kRhythmsMode && InputColumnCount == 0) {
            core::report_failure("*** No notes/rests given. ***");
            core::SecondLine(1) = '^';
            return;
        }
        std::string line = kept_text();
        std::string answer;
        line_from_script = true;
        const FormFileAnswer from_file =
            core::MacroUnit != -2 ? read_edit_form_file_answer(answer) : FormFileAnswer::None;
        if (from_file == FormFileAnswer::Line) {
            // A blank record takes the offered line as it stands, as Enter does in the dialog.
            if (answer.find_first_not_of(" \t\r") != std::string::npos) line = answer;
        } else if (from_file == FormFileAnswer::Ended) {
            // The file's later lines never come: the form ends as at any early end, and the
            // lines after the file are commands again, never this form's answers.
            flag = kFormEnded;
            return;
        } else if (core::MacroUnit != -2) {
            line_from_script = core::front_end().InputIsScript();
            core::FrontEndCommandBuffer.set(prompt.view().substr(0, 48));
            core::set_exchange_text(line + '\0');
            const int result = core::front_end().RunMusicInputDialog();
            // The prompt is no command: left in the buffer, the next key wait would run it.
            core::FrontEndCommandBuffer.blank();
            // A dialog cancelled because the input has ended closes the run, as a key wait
            // does; asked again it would be cancelled again, for ever.
            if (result == 2 && core::front_end().ApplicationClosing())
                core::ApplicationClosingWord = 1;
            if (input_closing()) return;
            if (result == 2) {
                core::SecondLine(1) = '^';
                flag = 1;
                return;
            }
            const std::string_view typed = core::MessageLine.view();
            line = std::string(typed.substr(0, std::min(typed.find('\0'), typed.size())));
        }
        core::CommandLine.set(line);
        core::SecondLine = core::CommandLine;
        // The readers upper-case it: a reply names it as it was given.
        core::keep_line_as_read(line);
        if (core::CommandLine(1) == '%') {
            count_input_line();
            continue;
        }
        count_input_line();
        // "^", "!" and a spacing line have their own ways in the form's loop.
        const char first = core::CommandLine(1);
        const bool own_way = first == '^' || first == '!' || core::CommandLine.starts_with("SP");
        const bool changed = !own_way && core::FixedText<512>(line).trimmed() != kept_text();
        if (InputParserMode < 0) {
            const core::FixedText<512> typed = core::CommandLine;
            int32_t c1 = 0, c2 = 0;
            core::upper_case_key_letters(core::CommandLine, length, c1, c2);
            core::scan_command_line(length);
            // The staff is read from the line's numbers: a line without one names no staff
            // (a word read as staff 0 would take a new staff and the next lines as notes). The
            // command that opened the input, offered and taken as it stands, is its own answer.
            if (!own_way && core::FixedText<512>(line).trimmed() != kept_text() &&
                !scanned_numbers_only(true)) {
                if (name_non_answer(prompt, line)) {
                    flag = kFormEnded;
                    return;
                }
                continue;
            }
            InputLines.command.set(typed.view().substr(0, 64));
            // A number alone is the staff, as the number after "IN" is.
            if (core::ScannedFields.front().number) core::ParamBuffer(2) = core::ParamBuffer(1);
            answer_changed = answer_changed || changed;
            return;
        }
        const core::FixedText<16> position = InputLines.position;
        if (!drop_leading_blanks()) continue;
        finish_input_line(length);
        // A begin at or past the page's extent leaves the notes no room: no position either.
        const float begin =
            core::ParamBuffer(1) == 999.0f ? layout::InputRangeStart : core::ParamBuffer(1);
        if (InputParserMode == 0 && !own_way && core::CommandLine.trimmed() != "X" &&
            !core::CommandLine.starts_with("SC") &&
            (!scanned_numbers_only(false) || !input_range_has_room(begin, 999.0f))) {
            InputLines.position = position;
            if (name_non_answer(prompt, line)) {
                flag = kFormEnded;
                return;
            }
            continue;
        }
        answer_changed = answer_changed || changed;
        return;
    }
}

// Contract: reads and writes the words of run_input_mode; the store is rebuilt from the input
// start; the edit form never asks to continue on the next staff.
void input_mode_2() {
    InputModeActive = 1;
    InputFirstNewItem = core::ItemCount + 1;
    InputTokenList(0) = 0.0f;
    SavedMacroUnit = core::DefaultMacroUnit;
    core::EngineWaitLevel = 1;
    if (core::MacroUnit >= 0) {
        core::CommandLine = core::SecondLine;
        if (!core::CommandLine.starts_with("SP"))
            InputLines.command.set(core::CommandLine.view().substr(0, 64));
        if (!set_up_staff()) {
            end_form_early();
            return;
        }
    }
    for (;;) {
        InputColumnMark = 1;
        if (InputParserMode == kDoneMode) {
            if (core::MacroUnit == -2) break;
            const MenuChoice menu = closing_menu(true);
            if (menu == MenuChoice::Closing) {
                put_back_at_close();
                return;
            }
            if (menu == MenuChoice::FileEnded) {
                end_form_early();
                return;
            }
            if (menu == MenuChoice::Edit) {
                keep_edit_form_start("E");
                restart_from_staff_question();
                continue;
            }
            if (menu == MenuChoice::Saved && !answer_changed) put_back(offered_start);
            break;
        }
        int32_t flag = 0;
        int32_t length = 0;
        ask_input_line_2(flag, length);
        if (input_closing()) {
            put_back_at_close();
            return;
        }
        if (flag == kFormEnded) {
            end_form_early();
            return;
        }
        const bool spacing_line = core::CommandLine.starts_with("SP") && InputParserMode >= 0;
        if (spacing_line) core::report_failure("Needs 2 space numbers");
        if (spacing_line || core::SecondLine(1) == '^') {
            if (core::front_end().AskAbandonInput() == 0) {
                abandon_input(1);
                break;
            }
            if (core::front_end().ApplicationClosing()) {
                core::ApplicationClosingWord = 1;
                if (input_closing()) {
                    put_back_at_close();
                    return;
                }
            }
            restart_from_staff_question();
            continue;
        }
        const char first = core::CommandLine(1);
        if (first == '^') {
            restart_from_staff_question();
            continue;
        }
        if (first == '!') {
            end_form_early();
            return;
        }
        if (InputParserMode >= kMarksMode && first == ';') {
            ++InputParserMode;
            continue;
        }
        if (InputParserMode >= kMarksMode && first == 'G') {
            InputParserMode = kDoneMode;
            continue;
        }
        if (InputParserMode < 0) {
            if (!set_up_staff()) {
                end_form_early();
                return;
            }
            continue;
        }
        if (InputParserMode == 0) {
            bool again = false;
            if (!take_position_line(again)) {
                end_form_early();
                return;
            }
            if (again) continue;
            int32_t not_set = 0;
            check_spacing_staff(not_set);
            InputParserMode = kNotesMode;
            continue;
        }
        if (!build_input_line()) {
            end_form_early();
            return;
        }
        if (core::MacroUnit <= SavedMacroUnit) store_input_items();
        ++InputParserMode;
        render::redraw_items();
        core::refresh_screen();
    }
    leave_edit_form();
}

}  // namespace input
