// The input run: its set-up on one staff, the loop over the notes, rhythms, marks, beams and
// slurs lines, the closing menu and the offer to go on with the next staff.
#include "engine/input/mode/input_mode.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/files/word_start_page.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/systems/justify_command.h"
#include "engine/input/mode/input_files.h"
#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/builders/rhythm_columns.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"

namespace input {

namespace {

constexpr int32_t kDoneMode = 6;
constexpr int32_t kRollBackMode = 899;
constexpr float kNoSpacingStaff = 999.0f;

// How a run ended.
enum class RunEnd { Closed, Quiet, Menu, EditForm, Abandoned, Closing, FileEnded };

bool from_user() { return core::MacroUnit == 0; }

std::string three_digits(int32_t n) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", n % 1000);
    return text;
}

// Deletes the temporary clef item of an "X" input command, if it is still there.
void delete_temp_clef() {
    if (InputTempClefItem > 0 && InputTempClefItem <= core::ItemCount) {
        core::delete_item(InputTempClefItem);
        InputTempClefItem = 0;
    }
}

// The line loop: asks each kind until all are done. Returns how the run goes on.
// "Abandon input?": Yes puts the page back (Abandoned), Edit goes to the closing menu, Cancel
// (nothing) asks the same line again.
std::optional<RunEnd> ask_abandon_run() {
    const int answer = core::front_end().AskAbandonInput();
    if (answer == 0) {
        abandon_input(1);
        return RunEnd::Abandoned;
    }
    if (answer == 1) return RunEnd::Menu;
    return std::nullopt;
}

// A refused line of a script: nobody is there to type it again, and asking again would take
// the script's next lines as its retyping. It is named and left out as a lone ";" would be
// (kept as ";"), and the run goes on with the next kind. A refused notes line takes the notes
// it drew along; a refused rhythms line leaves the notes as the notes line built them.
void leave_out_refused_line(bool named = false) {
    static constexpr const char* kKinds[] = {"notes", "rhythms", "marks", "beams", "slurs"};
    const int32_t kind = InputParserMode;
    core::FixedText<kInputLineChars>* kept[] = {&InputLines.notes, &InputLines.rhythms,
                                                &InputLines.marks, &InputLines.beams,
                                                &InputLines.slurs};
    if (!named) {
        core::name_untaken_line(
            std::string("*** The ") + kKinds[kind - 1] +
            " line was refused and left out: " + core::named_as_read(kept[kind - 1]->trimmed()));
    }
    kept[kind - 1]->set(";");
    if (kind == kNotesMode) {
        roll_back_input_store();
        layout::ColumnRecords.count = 0;
        InputColumnCount = 0;
    }
    InputParserMode = kind + 1;
}

RunEnd line_loop() {
    while (InputParserMode != kDoneMode) {
        if (from_user() && InputParserMode > 2) draw_column_marks();
        int32_t flag = 0;
        int32_t length = 0;
        ask_input_line(flag, length);
        if (input_closing()) return RunEnd::Closing;
        if (flag == 2) return RunEnd::FileEnded;
        if (flag == 3) {
            // A line that did not fit was refused whole, and named: the notes keep no rhythm
            // of it.
            if (InputParserMode == kRhythmsMode) {
                roll_back_input_store();
                InputParserMode = kNotesMode;
                store_input_items();
                InputParserMode = kRhythmsMode;
            }
            if (input_line_from_script()) leave_out_refused_line(true);
            if (from_user()) {
                render::redraw_items();
                core::refresh_screen();
            }
            continue;
        }
        if (core::SecondLine.starts_with("!!")) {
            // The notes or rhythm entry asked already: abandon without a second question.
            abandon_input(1);
            return RunEnd::Abandoned;
        }
        if (core::SecondLine(1) == '^') {
            if (InputParserMode > 2) {
                if (const auto end = ask_abandon_run()) return *end;
                continue;
            }
            if (core::CommandLine(1) == '!') {
                abandon_input(1);
                return RunEnd::Abandoned;
            }
            return RunEnd::EditForm;
        }
        const char first = core::CommandLine(1);
        if (InputParserMode >= kMarksMode && first == 'G') break;
        if (first == '^') return RunEnd::EditForm;
        if (first == '!') {
            if (InputParserMode == 0) return RunEnd::Quiet;
            if (const auto end = ask_abandon_run()) return *end;
            continue;
        }
        if (InputParserMode >= kMarksMode && first == ';') {
            ++InputParserMode;
            continue;
        }
        // The run adds nothing once its notes did not fit: its own later lines are taken as
        // its lines and dropped, unsaid, whichever road brought them.
        if (InputRunOverflow != 0 && InputParserMode >= kRhythmsMode &&
            InputParserMode <= kSlursMode) {
            ++InputParserMode;
            continue;
        }
        if (InputParserMode < kNotesMode || InputParserMode > kSlursMode) {
            int32_t not_set = 0;
            check_spacing_staff(not_set);
            if (InputParserMode == kRollBackMode) {
                roll_back_input_store();
                return RunEnd::Quiet;
            }
            InputParserMode = kNotesMode;
            continue;
        }
        if (build_input_line()) {
            store_input_items();
            // From its rhythms line on, the run's lines are the page's: an end keeps them.
            // A run that did not fit adds nothing: an end keeps the page before it.
            if (InputParserMode >= kRhythmsMode && InputRunOverflow == 0)
                core::keep_page_before_word();
            ++InputParserMode;
        } else if (input_line_from_script()) {
            leave_out_refused_line();
        } else if (InputParserMode == kNotesMode) {
            // The notes the refused line drew as it was typed go: the line is asked again.
            roll_back_input_store();
        }
        if (from_user()) {
            render::redraw_items();
            core::refresh_screen();
        }
    }
    return RunEnd::Menu;
}

bool known_menu_answer(char answer) {
    return answer == '^' || answer == 'E' || answer == 'A' || answer == 'L' || answer == 'S' ||
           answer == 'X' || answer == ';';
}

}  // namespace

// Contract: see the header. Reads SpacingStaff, InputStaff, InputKeyWord and the menu's
// answer; writes SecondLine, CommandLine ("A" after abandoning), CommandModeLetters,
// EngineWaitLevel (0 after the edit form's menu, -1 after the run's), the store and the
// saved-lines file.
MenuChoice closing_menu(bool edit_form) {
    for (;;) {
        // A temporary clef belongs to a run's own set-up; the edit form has none to take.
        if (!edit_form) delete_temp_clef();
        core::front_end().TrimInputToMarker();
        core::show_prompt(core::ReplyKind::Question,
                          "E = Edit these lines of input.\r\nS = Save these lines of input to a "
                          "file.\r\nX = Exit from input mode.");
        edit::show_item_palette(layout::SpacingStaff <= 256.0f ? 275 : 235);
        core::EngineWaitLevel = 1;
        std::string line;
        bool from_script = false;
        const FormFileAnswer from_file =
            edit_form ? read_edit_form_file_answer(line) : FormFileAnswer::None;
        if (from_file == FormFileAnswer::Ended) return MenuChoice::FileEnded;
        if (from_file == FormFileAnswer::Line) {
            core::InputKeyWord = 0;
            core::SecondLine.set(line);
            from_script = true;
        } else {
            core::wait_for_command_in_second_line();
            if (input_closing()) return MenuChoice::Closing;
            // The answer is the line's first key: the rest of the line was typed for this menu
            // and ends with it, never typed into the next question.
            const std::string rest = core::front_end().DropRestOfTypedLine();
            line = core::InputKeyWord != 0 ? std::string(1, core::SecondLine(1)) + rest
                                           : std::string(core::SecondLine.trimmed());
            from_script = core::front_end().InputIsScript();
        }
        if (input_closing()) return MenuChoice::Closing;
        core::EngineWaitLevel = edit_form ? 0 : -1;
        char answer = core::SecondLine(1);
        core::upper_case_char(answer);
        if (answer == '\r' || core::InputKeyWord == 13 || answer == ' ' || answer == '\0') {
            answer = 'X';
            core::SecondLine.set("X");
        }
        const std::size_t first = line.find_first_not_of(" \r\n");
        const std::size_t last = line.find_last_not_of(" \r\n");
        const std::string word =
            first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
        // From a script only a one-word line answers: "SA o.mus" is a command the script gave
        // too early, and read as S it would take the script's next line as a file name.
        const bool one_word = word.find(' ') == std::string::npos;
        if (from_script && (!known_menu_answer(answer) || !one_word)) {
            // Shown again, the menu would take the script's next lines as its answers: the
            // line is named and the menu left as X leaves it.
            core::name_untaken_line("*** Not an answer to the input menu: " + word +
                                    " -- taken as X.");
            answer = 'X';
            core::SecondLine.set("X");
        }
        switch (answer) {
            case '^':
            case 'E':
                // The lines go again through the form, which takes the run's items out: UNDO
                // after the form gives back the page as it stands now.
                core::save_undo_copy();
                return MenuChoice::Edit;
            case 'A':
                core::save_undo_copy();
                abandon_input(1);
                core::CommandLine.set("A");
                return MenuChoice::Abandoned;
            case 'L': {
                // "L" saves the lines and justifies the staff just typed over the whole width.
                core::SecondLine.set("LJ");
                save_input_lines();
                core::CommandModeLetters(1) = 'L';
                core::CommandModeLetters(2) = 'J';
                int32_t lowest = core::nint(InputStaff);
                int32_t highest = lowest;
                float left = 0.0f;
                float right = render::PageExtent;
                edit::justify_system(lowest, highest, left, right);
                return MenuChoice::Justified;
            }
            case 'S':
            case 'X':
            case ';':
                core::SecondLine(1) = answer;
                save_input_lines();
                return MenuChoice::Saved;
            default:
                break;
        }
    }
}

// Contract: see the header.
bool build_input_line() {
    // The rhythms build rewrites the notes' rows as it goes (a missing rhythm makes a grace
    // note): a refused line must leave the notes as the notes line drew them, on every road.
    std::optional<layout::ColumnRecordsRecord> notes;
    if (InputParserMode == kRhythmsMode) {
        roll_back_input_store();
        notes = layout::ColumnRecords;
    }
    int32_t line_first = 1;
    int32_t cursor = 0;
    prepare_input_line(line_first, cursor);
    if (InputParseStatus == 0) return true;
    if (notes) {
        layout::ColumnRecords = *notes;
        InputParserMode = kNotesMode;
        store_input_items();
        InputParserMode = kRhythmsMode;
    }
    return false;
}

// Contract: see the header.
void leave_input() {
    InputParserMode = 0;
    render::DisplayMarkWord = 0;
    render::redraw_items();
    core::refresh_screen();
    edit::show_item_palette(core::kGeneralPalette);
    core::cut_input_to_marker();
    core::show_prompt(core::ReplyKind::Notice, "*** Leaving input ***");
    // The command's reply too, so that the message line keeps it when the command ends.
    core::leave_reply(core::ReplyKind::Notice, "*** Leaving input ***");
    core::EngineWaitLevel = -1;
}

namespace {

// Scrolls the view so that the staff being typed stands in the middle of its height, at the
// page's left edge. (A share of the scroll range would put a low staff at the range's end, the
// empty room below the page's lowest staff.) Asks the front-end ('z', 'p').
void show_input_staff(int32_t staff) {
    if (staff < 1 || staff > layout::kMaxStaves) return;
    render::redraw_items();
    const auto& staves = layout::StaffTables;
    const double middle = static_cast<double>(staves.StaffBaseY(staff)) +
                          4.0 * 7.0 * static_cast<double>(staves.StaffScale(staff)) -
                          static_cast<double>(render::ViewOrigin.y);
    core::ServiceBlock size;
    core::request_front_end_service('z', size);
    const double top = middle + static_cast<double>(std::abs(size(2))) / 2.0;
    core::ServiceBlock to;
    to(1) = 0;
    to(2) = static_cast<int32_t>(std::clamp(top, -90000.0, 90000.0));
    core::request_front_end_service('p', to);
}

// Asks to go on with the next staff; true (and CommandLine the "IN" line of that staff, read)
// on Yes.
bool continue_on_next_staff() {
    const int32_t staff = core::nint(InputStaff);
    // Past the last staff there is no next one to go on with: the run ends as after No.
    if (staff >= layout::kMaxStaves) return false;
    const std::string question = "Continue Input on Staff " + three_digits(staff + 1) + " ?";
    if (core::front_end().AskYesNo(question.c_str(), 1) != -1) return false;
    if (input_closing()) return false;
    float p3 = 0.0f, p5 = 0.0f, p6 = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 2 || core::int_of(core::ItemStore(s + 1)) != 8 ||
            core::nint(core::ItemStore(s + 2)) != staff)
            continue;
        p3 = n >= 3 ? core::ItemStore(s + 3) : 0.0f;
        p5 = n >= 5 ? core::ItemStore(s + 5) : 0.0f;
        p6 = n > 5 ? core::ItemStore(s + 6) : 0.0f;
        break;
    }
    char text[96];
    std::snprintf(text, sizeof text, "IN%c %d %.1f 0 %.2f %.1f", InputTempClefItem != 0 ? 'X' : ' ',
                  staff + 1, p3, p5, p6);
    core::set_exchange_text(text);
    core::CommandLine.set(text);
    core::SecondLine.set(text);
    const int32_t unit = core::MacroUnit;
    core::MacroUnit = 0;
    core::scan_command_line(core::find_line_length(core::CommandLine));
    core::MacroUnit = unit;
    core::CommandLine.set(text);
    core::SecondLine.set(text);
    return true;
}

// The layout's staff frame on staff (a green outline, kind 1000) and the page drawn again,
// so that a staff the run has just made shows its lines before the first note is typed. The
// paper format stays as it is: the input command's digits name no paper.
void frame_staff(float staff) {
    render::DisplayMarkWord = 1000 + std::clamp(core::nint(staff), 0, 999);
    render::redraw_items();
    core::refresh_screen();
}

// One input run's set-up (steps from the abandon copy to the settled range). False when the
// run ends before its lines.
bool set_up_run() {
    abandon_input(0);
    InputLines.marks.blank();
    InputLines.beams.blank();
    InputLines.slurs.blank();
    InputLineCount = 0;
    InputRunOverflow = 0;
    InputModeActive = 1;
    InputFirstNewItem = core::ItemCount + 1;
    InputTokenList(0) = 0.0f;
    InputLineLength = 0;
    core::CommandLine = core::SecondLine;
    if (!core::CommandLine.starts_with("SP"))
        InputLines.command.set(core::CommandLine.view().substr(0, 64));

    if (core::ParamBuffer(2) <= 0.0f) pick_new_staff_number();
    InputStaff = core::ParamBuffer(2);
    if (core::nint(core::ParamBuffer(2)) > layout::kMaxStaves) {
        // Refused before anything is made. A command file's next lines were this run's music:
        // read as commands they would change the page, so the file stops here.
        const bool file = core::MacroUnit > 0 && core::unit_is_open(core::MacroUnit);
        core::report_failure("*** Staff " + std::to_string(core::nint(core::ParamBuffer(2))) +
                             ": staves are 1 to " + std::to_string(layout::kMaxStaves) +
                             " -- no input." + (file ? " The rest of the file was not read." : ""));
        if (file) core::close_unit(core::MacroUnit);
        if (core::MacroUnit > 0) core::MacroUnit = 0;
        return false;
    }
    const char third = core::SecondLine(3);
    if (third == 'X' || third == 'x') {
        // The clef's entry fills the P buffer with a clef's values; the staff item is made
        // from the command's own numbers.
        const auto typed = core::ParamBuffer;
        core::ParamBuffer(1) = 3.0f;
        core::ParamBuffer(7) = 99.0f;
        edit::commit_item();
        InputTempClefItem = core::ItemCount;
        core::ParamBuffer = typed;
    }
    InputRunFlag = 1;
    ReaderClefKind = 0;
    core::ParamBuffer(1) = 8.0f;
    if (third == 'Z') {
        for (int32_t w = 3; w <= 6; ++w) core::ParamBuffer(w) = LastRunStaffWords(w);
    } else {
        for (int32_t w = 1; w <= 6; ++w) LastRunStaffWords(w) = core::ParamBuffer(w);
    }
    prepare_input_staff();
    if (from_user()) {
        show_input_staff(core::nint(InputStaff));
        core::ParamBuffer(3) = 0.0f;
    }
    const float end_limit =
        core::ParamBuffer(6) != 0.0f ? core::ParamBuffer(6) : render::PageExtent;
    const float start_min = from_user() ? 0.0f : core::ParamBuffer(3);
    InputStartWordsUsed = core::ItemWordsUsed;
    InputStartItemCount = core::ItemCount;
    InputParserMode = 0;

    // The preset offered is the same on every road, and so is the reading of the line that
    // answers it (ask_input_range): a command file's line is read as a piped one.
    bool spacing_path = false;
    if (from_user()) frame_staff(InputStaff);
    find_first_free_position();
    if (layout::SpacingStaff < 256.0f) core::ParamBuffer(1) = 10.0f;
    layout::InputRangeStart = core::ParamBuffer(1);
    if (layout::InputRangeEnd == 0.0f) layout::InputRangeEnd = render::PageExtent;
    core::FrontEndCommandBuffer.set("Set Input Space for Staff " +
                                    three_digits(core::nint(InputStaff)));
    int32_t result = 0;
    ask_input_range(result);
    if (input_closing()) return false;
    if (result == 2) return false;
    if (layout::SpacingStaff <= 256.0f) {
        if (from_user()) frame_staff(layout::SpacingStaff);
        core::ParamBuffer(1) = 10.0f;
        spacing_path = true;
    }
    // A range that names no spacing staff drops the columns of the last one, so that no
    // later rhythms line is laid on them.
    if (layout::SpacingStaff > 256.0f) layout::SpacingList.count = 0;
    if (spacing_path) {
        count_input_line();
        core::sort_item_store();
        layout::append_spacing_end_marker();
        if (layout::SpacingList.count == 0) {
            // A command file's next lines were this run's music: read as commands they would
            // change the page, so the file stops as for a range refused.
            if (core::MacroUnit > 0 && core::unit_is_open(core::MacroUnit))
                core::stop_file_for("No rhythms on spacing staff");
            else
                core::report_failure("No rhythms on spacing staff.");
            return false;
        }
        layout::InputRangeStart = layout::SpacingList.x(1);
    }
    float p1 = std::max(layout::InputRangeStart, start_min);
    float p2 = layout::InputRangeEnd != 0.0f ? layout::InputRangeEnd : render::PageExtent;
    p2 = std::min(p2, end_limit);
    core::ParamBuffer(1) = p1;
    core::ParamBuffer(2) = p2;
    InputLeftLimit = p1 - 5.0f;
    begin_typed_placement();
    char text[32];
    std::snprintf(text, sizeof text, "%6.2f", p1);
    std::string position = text;
    position.erase(0, position.find_first_not_of(' '));
    position.resize(7, ' ');
    std::snprintf(text, sizeof text, "%6.2f", p2);
    position += text;
    InputLines.position.set(position);
    if (layout::SpacingStaff >= 257.0f) {
        // A begin not below its end spaces from the begin to the page's end: the music must
        // never fall back to the staff's start over what is already there.
        layout::InputRangeStart = std::max(p1, 0.0f);
        layout::InputRangeEnd = p1 >= p2 ? render::PageExtent : p2;
    }
    int32_t not_set = 0;
    check_spacing_staff(not_set);
    core::ParamBuffer(2) = InputStaff;
    InputParserMode = kNotesMode;
    return true;
}

}  // namespace

void clear_input_run_words() {
    InputModeActive = 0;
    InputParserMode = 0;
    InputRunFlag = 0;
}

bool input_closing() {
    if (core::ApplicationClosingWord != 1) return false;
    clear_input_run_words();
    core::EngineWaitLevel = 0;
    return true;
}

// Contract: reads SecondLine (the command as typed), ParamBuffer (P2 the staff), MacroUnit;
// writes the store, InputLines, the input-run words of tables.h, EngineWaitLevel, SpacingStaff
// and the input range; leaves "*** Leaving input ***". A staff above 256 ends at once.
void run_input_mode() {
    layout::InputRangeEnd = render::PageExtent;
    InputColumnMark = core::ItemCount;
    if (core::MacroUnit < 0) {
        input_mode_2();
        return;
    }
    SavedMacroUnit = core::DefaultMacroUnit;
    std::array<float, 6> kept{};
    for (int32_t w = 1; w <= 6; ++w) kept[w - 1] = core::ParamBuffer(w);
    const int32_t format = core::PageFormatIndex;
    if (format != 0) {
        core::PageFormatIndex = 0;
        render::redraw_items();
        core::refresh_screen();
        for (int32_t w = 1; w <= 6; ++w) core::ParamBuffer(w) = kept[w - 1];
    }
    for (;;) {
        // A run read from a command file whose file ends within it is over with the file: the
        // user's next lines are commands again, never answers to this run.
        const bool from_file = core::MacroUnit > 0;
        RunEnd end = RunEnd::Quiet;
        bool edit_answered = false;
        // The page before this run (a run before it on another staff is the page's now).
        core::keep_page_before_word();
        bool set_up = false;
        {
            // The page as it was before the run: UNDO after the run takes back the run alone,
            // not the part of it after its last staff item or stems fitted to beams.
            const core::CommandUndoCopy undo_copy;
            set_up = set_up_run();
            if (set_up) end = line_loop();
        }
        // A run that ends before its rhythms line adds nothing (the staff item made for its
        // range, notes with no rhythm); one that ends later keeps its lines so far.
        if (!set_up || end == RunEnd::FileEnded || end == RunEnd::Closing) {
            core::put_back_page_before_word();
        }
        if (end == RunEnd::Menu) {
            if (core::MacroUnit > SavedMacroUnit) {
                core::refresh_screen();
                end = RunEnd::Closed;
            } else {
                switch (closing_menu(false)) {
                    case MenuChoice::Saved:
                    case MenuChoice::Justified:
                    case MenuChoice::FileEnded:  // the run's own menu reads no file
                        end = RunEnd::Closed;
                        break;
                    case MenuChoice::Edit:
                        end = RunEnd::EditForm;
                        edit_answered = true;
                        break;
                    case MenuChoice::Abandoned:
                        end = RunEnd::Abandoned;
                        break;
                    case MenuChoice::Closing:
                        end = RunEnd::Closing;
                        break;
                }
            }
        }
        if (end == RunEnd::FileEnded) {
            // As X at the closing menu ends the run: what it stored stays.
            delete_temp_clef();
            core::SecondLine.set("X");
            save_input_lines();
            end = RunEnd::Closed;
        }
        if (end == RunEnd::Closing || input_closing()) {
            // The page keeps its paper format: a close that is refused goes on with it.
            core::PageFormatIndex = format;
            return;
        }
        if (end == RunEnd::EditForm) {
            delete_temp_clef();
            // The form puts the page back as it stands now (the run's items in it) if it ends
            // before its lines are built.
            keep_edit_form_start(edit_answered ? "E" : "the edit form");
            roll_back_input_store();
            InputParserMode = -1;
            // A run read from a command file has the file answer its form, as EDI's form does,
            // and the file reads on after the form's lines.
            const int32_t file_unit = core::MacroUnit > 0 ? core::MacroUnit : 0;
            EditFormAnswerUnit = file_unit;
            core::MacroUnit = -1;
            input_mode_2();
            EditFormAnswerUnit = 0;
            if (file_unit > 0) core::MacroUnit = file_unit;
            break;
        }
        // The closing menu's "A" leaves "A" in CommandLine; the redraws of the closing steps
        // blank its first character, so it is taken now.
        const bool menu_abandon = end == RunEnd::Abandoned && core::CommandLine(1) == 'A';
        // A run that found no room on the page adds nothing: the page goes back as it was.
        // A command file reads on after it, as after any run it closed.
        if (InputRunOverflow != 0 && end == RunEnd::Closed) {
            const int32_t file_unit = core::MacroUnit;
            abandon_input(1);
            core::MacroUnit = file_unit;
        }
        if (end == RunEnd::Closed || end == RunEnd::Abandoned) leave_input();
        if (render::DisplayMarkWord != 0) {
            // A run that ended before its lines (the range cancelled) takes its frame along.
            render::DisplayMarkWord = 0;
            render::redraw_items();
            core::refresh_screen();
        }
        clear_input_run_words();
        if (format != 0) {
            core::PageFormatIndex = format;
            render::redraw_items();
        }
        const bool ask = core::SecondLine(1) != '^' && core::CommandLine(1) != '^' &&
                         core::SecondLine(1) != 'I' && core::SecondLine(1) != 'i' &&
                         core::MacroUnit == 0 && core::CommandLine(1) != 'A' && !menu_abandon &&
                         !from_file;
        if (!ask || !continue_on_next_staff()) break;
    }
    InputParserMode = 0;
}

}  // namespace input
