#include "engine/edit/text/text_command.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/pitch/tablature.h"
#include "engine/edit/tables.h"
#include "engine/edit/text/text_files.h"
#include "engine/edit/text/text_lines.h"
#include "engine/edit/text/text_units.h"
#include "engine/input/typed/new_item_defaults.h"
#include "engine/layout/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_escapes.h"
#include "platform/clock.h"

namespace edit {

char TextDividerChar = ' ';
core::FixedText<3> TextFontPrefix("_00");
core::FixedText<512> LastTextLine;
float TopLeftDisplayFlag = 0.0f;

namespace {

using core::CommandLine;
using core::ParamBuffer;
using core::SecondLine;

constexpr std::size_t kLineChars = 512;
constexpr int32_t kEntryState = 11;
constexpr int32_t kPlaceState = 199;
constexpr std::string_view kFontRepaired =
    "*** ERROR - font number missing after underbar *** Font set to COURIER (_29)";
constexpr std::string_view kLineTooLong =
    "*** The text line would pass 512 characters: it was not entered.";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// "IF P2=nnn. and P1=1 and p6<0 then P20=1" for the staff in P2 (a negative P2 assigns 0).
void build_if_line() {
    float staff = ParamBuffer(2);
    const bool clear = staff < 0.0f;
    if (clear) staff = -staff;
    CommandLine.blank();
    CommandLine.put(1, 6, "IF P2=");
    CommandLine.put(7, 10, core::format_real("(1f4.0)", staff));
    CommandLine.put(11, 39, " and P1=1 and p6<0 then P20=1");
    if (clear) CommandLine(39) = '0';
    SecondLine = CommandLine;
    core::CommandModeLetters(1) = 'I';
    core::CommandModeLetters(2) = 'F';
}

// "Time =  h:mm  ss.hh".
void show_time_of_day() {
    const platform::TimeOfDay t = platform::local_time_of_day();
    core::FixedText<22> text("Time =   :      .     ");
    text.put(8, 9, core::format_int("(1i2)", t.hours));
    text.put(11, 12, core::format_int("(1i2.2)", t.minutes));
    text.put(15, 16, core::format_int("(1i2.2)", t.seconds));
    text.put(18, 19, core::format_int("(1i2.2)", t.hundredths));
    core::leave_reply(core::ReplyKind::Notice, text.view());
}

// "TXD c": the first character typed after the word (as typed) becomes the divider.
void set_text_divider() {
    int32_t lead = 0;
    while (lead < static_cast<int32_t>(kLineChars) && SecondLine(lead + 1) == ' ') ++lead;
    for (int32_t k = lead + 4; k <= static_cast<int32_t>(kLineChars); ++k) {
        if (SecondLine(k) != ' ') {
            TextDividerChar = SecondLine(k);
            return;
        }
    }
}

void set_top_left_display() {
    const bool no =
        CommandLine.sub(4, static_cast<int>(kLineChars)).find('N') != std::string_view::npos;
    TopLeftDisplayFlag = no ? 1.0f : 0.0f;
    core::leave_reply(core::ReplyKind::Notice,
                      no ? "Display: Top Left = NO" : "Display: Top Left = YES");
}

// The text of the quote form: what follows the first double quote of the line as typed, up to
// the next one.
std::string quoted_text() {
    const std::string typed = SecondLine.trimmed();
    const std::size_t open = typed.find('"');
    if (open == std::string::npos) return {};
    const std::size_t close = typed.find('"', open + 1);
    return typed.substr(open + 1,
                        close == std::string::npos ? std::string::npos : close - open - 1);
}

// How the entry of one command runs.
struct EntryRun {
    char mode = ' ';
    bool quote_form = false;
    std::string quote;
    bool quote_taken = false;
    float start_x = 0.0f;
    float placement = 0.0f;
    int32_t staff = 1;
    int32_t saved_state = 0;
    int32_t saved_macro = 0;
    int32_t items_before = 0;  // ItemCount when the command began
    // A line of it was refused, or the script ended at its first question: the reply that said
    // so is the word's only one.
    bool refused = false;
};

// Cut: a line cut at its length limit, already named where it was read; it is not entered.
enum class LineResult { Line, Cancelled, Ended, TooLong, Cut };

// Text goes on the staves 1 to 256 only: an item on another staff number would be drawn and
// saved where no staff is. False, with a message, for any other staff.
bool text_staff_taken(float p2) {
    const int32_t staff = core::int_of(p2);
    if (staff >= 1 && staff <= layout::kMaxStaves) return true;
    core::report_failure("*** No staff " + std::to_string(staff) +
                         " (staves are 1 to 256) -- the text was not entered.");
    return false;
}

// The keys of a place typed at the place wait, from the first one on: the console hands a typed
// line over key by key, so the rest of it is still there to take; the window hands keys one by
// one, so the rest is typed into the command bar with the first key in it. False when the
// window is closing.
bool typed_place(char first, std::string& typed) {
    typed.assign(1, first);
    if (core::has_front_end() && &core::front_end() == core::FrontEndWithoutView) {
        typed += core::front_end().DropRestOfTypedLine();
        return true;
    }
    core::FixedText<512> line;
    line.blank();
    line(1) = first;
    line(2) = '\0';
    core::FixedText<512> prompt;
    prompt.blank();
    prompt(1) = '\0';
    if (core::front_end().WaitForLineEdit(line, prompt, 1, 1) < 0) return false;
    typed = line.trimmed();
    return true;
}

// "X" alone, blanks aside.
bool is_cancel_line(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && first == line.find_last_not_of(" \t") &&
           (line[first] == 'X' || line[first] == 'x');
}

// Whether a script's line at the place wait is no place: its first key, blanks aside, is one
// that ends the wait (Escape or above 59, no part of a number). X alone is not: it cancels.
bool is_no_place_line(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || is_cancel_line(line)) return false;
    const auto key = static_cast<unsigned char>(line[first]);
    return key == 27 || key > 59;
}

// A script's line that is no place ends the text command and is its next command: it is said
// and given back to be read again (the command file's record, or the console's line).
void give_back_no_place_line(const std::string& line) {
    std::string shown = line;
    shown.erase(0, shown.find_first_not_of(" \t"));
    shown.erase(shown.find_last_not_of(" \t") + 1);
    core::name_untaken_line("*** Not a place for the text: " + shown + " -- no text was entered.");
    core::give_back_script_line(line);
}

// Asks for the place of the text: typed numbers (the first is the staff) or a click. A key
// above 59 (no part of a number) or Escape ends the wait; any other key starts the typed place.
// From a script (a command file, or a console whose input is no terminal) the whole line
// decides: a line that is no place ends the wait and runs as the next command.
// False when the user gave no place (such a key, an empty line, the end of the command file, a
// click with no staff on the page, the application closing).
bool ask_for_place(bool& clicked) {
    core::CommandStateWord = kPlaceState;
    clicked = false;
    if (core::MacroUnit == 0) {
        if (!core::wait_for_input_key_or_command()) return false;
        const int32_t key = core::InputKeyWord;
        const bool script = core::front_end().InputIsScript();
        if (key != 0 && script && key >= ' ') {
            // The console hands the line over key by key: the rest of it is still there.
            const std::string line =
                static_cast<char>(key) + core::front_end().DropRestOfTypedLine();
            if (is_no_place_line(line)) {
                give_back_no_place_line(line);
                return false;
            }
            CommandLine.set(line);
        } else if (key != 0) {
            if (key == 27 || key > 59 || key < 0) {
                // The rest of a typed line that is no place is no later key either.
                core::front_end().DropRestOfTypedLine();
                return false;
            }
            std::string typed;
            if (key >= ' ' && !typed_place(static_cast<char>(key), typed)) return false;
            CommandLine.set(typed);
        } else if (SecondLine(1) == '~' && SecondLine(2) == ' ') {
            const float x = find_clicked_staff();
            if (core::IntParamBuffer(3) == 0) return false;
            clicked = true;
            const float step = ParamBuffer(5);
            for (int k = 1; k <= 50; ++k) ParamBuffer(k) = 0.0f;
            ParamBuffer(5) = step;
            ParamBuffer(3) = x < 3.0f ? 0.0f : static_cast<float>(core::nint(x));
            ParamBuffer(4) = static_cast<float>(core::nint(ParamBuffer(5)) + 1);
            ParamBuffer(2) = static_cast<float>(core::IntParamBuffer(3));
            ParamBuffer(5) = 0.0f;
            CommandLine.blank();
            CommandLine(1) = '~';
            return true;
        } else {
            CommandLine = SecondLine;
        }
    }
    // A line the reader does not scan (blank, a step sign) leaves no fields of an older line.
    core::ScannedFields.clear();
    core::ScannedFieldCount = 0;
    core::read_command_line();
    if (core::MacroUnit == 0 && core::CommandFileEnded != 0 && CommandLine.is_blank()) return false;
    if (core::MacroUnit != 0 && is_no_place_line(SecondLine.trimmed())) {
        give_back_no_place_line(SecondLine.trimmed());
        return false;
    }
    // Every word of a typed place is read whole: "1 nan 5" or "10abc" is no place, where the old
    // cut made a staff and sung text of it. A script's line runs next as its command (which names
    // the word); at the keys the word is named and nothing is entered.
    const core::NumberLineReading reading = core::read_number_line_whole(core::WordsInLine::None);
    if (reading.fault != core::NumberLineFault::None) {
        // X alone cancels; a key token or a palette's text that is no place ends the wait as its
        // key does.
        const std::string typed = SecondLine.trimmed();
        if (is_cancel_line(typed) || is_no_place_line(typed)) return false;
        if (core::MacroUnit != 0 || core::front_end().InputIsScript()) {
            give_back_no_place_line(SecondLine.trimmed());
        } else {
            core::name_untaken_line(core::number_line_refusal(reading));
        }
        return false;
    }
    for (int k = 10; k >= 1; --k) ParamBuffer(k + 1) = ParamBuffer(k);
    ParamBuffer(1) = 0.0f;
    // Staff 0 is staff 1, as in the command's own numbers; only a line without numbers is no
    // place.
    return core::ScannedFieldCount > 0;
}

// One text line: the quote form's text, the Text Input dialog on the console, or the command
// file's next record.
LineResult read_text_line(EntryRun& run, std::string& line) {
    if (run.quote_form) {
        if (run.quote_taken) return LineResult::Ended;
        run.quote_taken = true;
        line = run.quote;
        return LineResult::Line;
    }
    if (core::MacroUnit != 0) {
        std::string record;
        if (core::read_record(core::MacroUnit, record) != core::IoResult::Ok) {
            run.refused = run.refused || core::ItemCount == run.items_before;
            return LineResult::Ended;
        }
        // X alone is the dialog's Cancel, in a command file as at the console.
        if (is_cancel_line(record)) {
            CommandLine.blank();
            return LineResult::Cancelled;
        }
        // A longer record is refused, as at the console, rather than cut to a text never written.
        record.erase(record.find_last_not_of(' ') + 1);
        if (record.size() > kLineChars) return LineResult::TooLong;
        line = record;
        LastTextLine.set(line);
        return LineResult::Line;
    }
    for (int k = 1; k <= 10; ++k) core::EditItemParams(k) = ParamBuffer(k);
    core::Array1<float, 19> block;
    block.fill(0.0f);
    for (int k = 2; k <= 6; ++k) block(k) = ParamBuffer(k);
    core::FrontEndCommandBuffer.blank();
    core::FrontEndCommandBuffer(1) = TextDividerChar;
    core::set_exchange_text(std::string("Type new text *****") + '\0');
    if (core::front_end().RunTextInputDialog(block) == 2) {
        core::clear_exchange_text();
        core::FrontEndCommandBuffer.blank();
        CommandLine.blank();
        return LineResult::Cancelled;
    }
    for (int k = 2; k <= 6; ++k) ParamBuffer(k) = block(k);
    if (core::FrontEndCommandBuffer(1) != '\0') TextDividerChar = core::FrontEndCommandBuffer(1);
    line = core::MessageLine.c_text();
    if (core::is_cut_line(line)) return LineResult::Cut;
    run.placement = run.mode == 'T' ? 1.0f : ParamBuffer(3);
    if (ParamBuffer(2) == 0.0f) ParamBuffer(2) = 1.0f;
    if (!text_staff_taken(ParamBuffer(2))) return LineResult::Ended;
    run.staff = core::int_of(ParamBuffer(2));
    return LineResult::Line;
}

// Repairs the font escapes: an underbar without a font number gets "29", one with a single
// digit has it replaced by "29" (slash escapes, "_/" and 7 more characters, and outline escapes,
// "__" and two digits, are left alone).
// False, with a message, when the line would pass 512 characters.
bool repair_font_escapes(std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '_') continue;
        const char next = i + 1 < line.size() ? line[i + 1] : ' ';
        if (next == '/') {
            i += 8;
            continue;
        }
        // "__" and two digits: the outline form of a font.
        if (next == '_' && i + 3 < line.size() && is_digit(line[i + 2]) && is_digit(line[i + 3])) {
            i += 3;
            continue;
        }
        if (!is_digit(next)) {
            line.insert(i + 1, "29");
        } else if (!(i + 2 < line.size() && is_digit(line[i + 2]))) {
            line.replace(i + 1, 1, "29");
        } else {
            continue;
        }
        core::show_notice(kFontRepaired);
        i += 2;
    }
    return line.size() <= kLineChars;
}

// Sung text: "--" becomes the extender mark "??", a single "-" the hyphen mark "!!", and every
// doubled mark stands alone between dividers. False when the line would pass 512 characters.
bool mark_sung_connectors(std::string& line) {
    std::string marked;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '-') {
            marked += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '-') {
            marked += "??";
            ++i;
        } else {
            marked += "!!";
        }
    }
    const char d = TextDividerChar;
    std::string out;
    for (std::size_t i = 0; i < marked.size(); ++i) {
        const char c = marked[i];
        const bool doubled = (c == '[' || c == ']' || c == '!' || c == '?') &&
                             i + 1 < marked.size() && marked[i + 1] == c &&
                             !(i + 2 < marked.size() && marked[i + 2] == c) &&
                             !(i > 0 && marked[i - 1] == c);
        if (!doubled) {
            out += c;
            continue;
        }
        if (!out.empty() && out.back() != d) out += d;
        out += c;
        out += c;
        ++i;
        if (i + 1 < marked.size() && marked[i + 1] != d) out += d;
    }
    line = out;
    return line.size() <= kLineChars;
}

// Whether a unit of the line, with the font prefix it would get, passes 512 characters.
bool unit_too_long(const std::string& line) {
    std::size_t s = 0;
    while (s < line.size()) {
        std::size_t e = line.find(TextDividerChar, s);
        if (e == std::string::npos) e = line.size();
        const std::size_t prefix = line[s] == '_' ? 0 : 3;
        if (e - s + prefix > kLineChars) return true;
        s = e + 1;
    }
    return false;
}

// The ways out of text entry after its start.
void end_text_entry(const EntryRun& run) {
    core::FrontEndCommandBuffer.blank();
    core::CommandStateWord = run.saved_state;
    ParamBuffer(2) = 0.0f;
    SecondLine.blank();
    LastTextLine.blank();
    core::PendingBoxOperation = 0;
    // A cancel redraws too: the note numbers must not stay drawn on the page.
    clear_note_numbers(true);
    core::MacroUnit = run.saved_macro;
    // The newest item goes to editing only when this command made it: an older one would take
    // the lines that follow as its pairs.
    if (core::MacroUnit == 0) {
        if (core::ItemCount > run.items_before) {
            CommandLine.set("I");
        } else {
            CommandLine.blank();
        }
    }
    if (run.refused) {
        core::clear_exchange_text();
    } else {
        core::leave_reply(core::ReplyKind::Notice, "text");
    }
    core::CommandModeLetters(1) = 0;
}

// After each line: the page drawn again on the console (a command file draws at its end).
void finish_text_line() {
    if (core::MacroUnit == 0 && core::OutputBufferViews.graphics.bound() &&
        core::OutputBufferViews.text.bound()) {
        render::redraw_items();
        core::refresh_screen();
    }
    MarkedItemNumber = core::ItemCount;
}

// The letters of the command word, before its first number or blank.
int32_t command_letter_count() {
    int32_t k = 0;
    while (k < 3 && CommandLine(k + 1) != ' ' && CommandLine(k + 1) != '*') ++k;
    return k;
}

// Text entry: see run_text_command.
void enter_text() {
    EntryRun run;
    run.saved_macro = core::MacroUnit;
    run.saved_state = core::CommandStateWord;
    run.items_before = core::ItemCount;
    run.mode = CommandLine(2);
    run.quote_form = run.mode == '"';
    if (run.quote_form) run.quote = quoted_text();
    const char third = CommandLine(3);
    const int32_t letters = command_letter_count();
    core::CommandStateWord = kEntryState;
    if (run.mode == 'Z') ParamBuffer(2) = static_cast<float>(input::find_item_staff_number());
    if (run.mode == 'C') BracketMode = third == 'X' ? -1 : 1;

    bool clicked = false;
    bool asked = false;
    if (ParamBuffer(2) == 0.0f) {
        asked = true;
        if (!ask_for_place(clicked)) {
            end_text_entry(run);
            return;
        }
    }
    run.start_x = ParamBuffer(3);
    ParamBuffer(3) = core::amod(ParamBuffer(3), 1000.0f);
    // A typed place stands for the command's own numbers: "T" and the place "1 50" is "T 1 50".
    const bool third_blank = asked ? letters + core::ScannedFieldCount < 3 : third == ' ';
    if (!clicked && third_blank) {
        ParamBuffer(3) = 100.0f;
        run.start_x = 100.0f;
    }
    core::CommandStateWord = kEntryState;
    run.placement = run.mode == 'T' ? 1.0f : ParamBuffer(3);
    if (ParamBuffer(2) == 0.0f) ParamBuffer(2) = 1.0f;
    if (!text_staff_taken(ParamBuffer(2))) {
        end_text_entry(run);
        return;
    }
    run.staff = core::int_of(ParamBuffer(2));
    if (run.mode == 'T' && third == 'R' && !read_text_lines_file()) {
        end_text_entry(run);
        return;
    }

    // TT takes line after line to its end: after a refused line the later ones still belong to
    // it, each refused by name, so that none runs as a command or an edit word.
    const bool many_lines = run.mode == 'T' && !run.quote_form;
    bool refusing = false;
    const auto refuse_line = [&](std::string_view why) {
        if (!why.empty()) core::report_failure(why);
        run.refused = true;
        refusing = many_lines;
        if (!refusing) end_text_entry(run);
        return !refusing;
    };
    for (;;) {
        std::string line;
        const LineResult got = read_text_line(run, line);
        if (got == LineResult::TooLong) {
            if (refusing) {
                core::name_untaken_line("*** Not entered: a line before it was refused.");
                continue;
            }
            if (refuse_line(kLineTooLong)) return;
            continue;
        }
        // A cut line, named where it was read, is refused as a line past 512 is.
        if (got == LineResult::Cut) {
            if (refusing) {
                core::name_untaken_line("*** Not entered: a line before it was refused.");
                continue;
            }
            if (refuse_line(kLineTooLong)) return;
            continue;
        }
        if (got == LineResult::Cancelled) {
            core::CommandStateWord = run.saved_state;
            clear_note_numbers(true);
            core::MacroUnit = run.saved_macro;
            return;
        }
        if (got == LineResult::Ended) {
            finish_text_line();
            end_text_entry(run);
            return;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        if (refusing) {
            if (line.empty()) continue;  // a blank line adds nothing in any case
            core::name_untaken_line("*** Not entered: a line before it was refused: " + line);
            continue;
        }
        // Letters typed as UTF-8 are stored as the escapes that print them; a letter no escape
        // gives is refused with its line. TT goes on with its next lines: only this one is left
        // out.
        if (!escape_typed_text_line(line)) {
            run.refused = true;
            if (many_lines) continue;
            end_text_entry(run);
            return;
        }
        if (LastTextLine.code(1) <= ' ') LastTextLine.set(line);
        const float scale = run.staff >= 1 && run.staff <= layout::kMaxStaves
                                ? layout::StaffTables.StaffScale(run.staff)
                                : 0.0f;
        bool empty = line.empty();
        if (!empty) {
            if (!repair_font_escapes(line)) {
                if (refuse_line(kLineTooLong)) return;
                continue;
            }
            const std::size_t kept = line.find_last_not_of(TextDividerChar);
            if (kept == std::string::npos) {
                end_text_entry(run);
                return;
            }
            line.erase(kept + 1);
        }
        if (empty && run.mode != 'T') {
            end_text_entry(run);
            return;
        }
        if (!empty) {
            TextLineEntry entry;
            entry.sung = run.placement == 0.0f && !run.quote_form;
            if (entry.sung) {
                if (!mark_sung_connectors(line)) {
                    if (refuse_line(kLineTooLong)) return;
                    continue;
                }
                LastTextLine.set(line);
            }
            if (unit_too_long(line)) {
                if (refuse_line(kLineTooLong)) return;
                continue;
            }
            core::ChangesMadeFlag = 1;
            ParamBuffer(1) = 16.0f;
            if (core::amod(ParamBuffer(6), 100.0f) == 0.0f) ParamBuffer(6) += 1.0f;
            if (ParamBuffer(5) == 0.0f) ParamBuffer(5) = 1.0f;
            entry.line = line;
            entry.start_x = run.start_x;
            entry.staff = run.staff;
            entry.size = core::amod(ParamBuffer(6), 100.0f);
            if (entry.sung) {
                TextUnitCounter = 1;
                const core::FixedText<512> kept_line = CommandLine;
                const core::Array1<float, 56> kept_params = ParamBuffer;
                show_note_numbers(run.staff);
                CommandLine = kept_line;
                ParamBuffer = kept_params;
            }
            const TextUnitsOutcome outcome = make_text_units(entry);
            finish_text_line();
            if (outcome == TextUnitsOutcome::Refused) {
                // The store has said why (the page is full); the lines entered before stay.
                if (refuse_line({})) return;
                continue;
            }
            if (outcome != TextUnitsOutcome::Done) {
                end_text_entry(run);
                return;
            }
        }
        if (run.mode != 'T') {
            end_text_entry(run);
            return;
        }
        const float size = core::amod(ParamBuffer(6), 100.0f);
        ParamBuffer(4) -= size * scale * 5.0f / 25.0f;
        ParamBuffer(3) = core::amod(run.start_x, 1000.0f);
    }
}

}  // namespace

void reset_text_command_state() {
    TextDividerChar = ' ';
    TextFontPrefix.set("_00");
    LastTextLine.blank();
    TopLeftDisplayFlag = 0.0f;
    NoteNumberList.fill(0.0f);
    TextUnitCounter = 0;
    ConnectorDirection = 0;
    BracketMode = 0;
    TextStopWord = 0;
    reset_text_units_state();
}

// Contract: the T words by the command's letters, tested in this order: a third letter "W"
// (CommandLine becomes the IF line that marks the staff's notes, copied to SecondLine, mode
// letters "IF"), "TB" (the extent of the items), "TA" (tablature),
// "TY" (the text file viewer), "TI" (the time of day), "TXD" (the divider), "TPL" (the top-left
// display flag); any other word enters text: "TZ" on the staff of the marked item, "TC"/"TCX"
// set BracketMode, "TT" takes line after line ("TTR" from a file), 'T"' the quoted text. Text
// entry with no staff asks for a place (typed numbers, the first the staff, or a click); the
// third character blank (no numbers) starts at 100.0, a typed place counting as the command's
// own numbers. Each line's units become text items from
// item ItemCount + 1 on, the store's count and start table kept right on every path. Reads and
// writes the tables of text_command.h and text_units.h; a line that would pass 512 characters
// is refused with a message.
void run_text_command() {
    if (CommandLine(3) == 'W') {
        build_if_line();
        return;
    }
    if (CommandLine.starts_with("TB")) {
        render::report_items_extent();
    } else if (CommandLine.starts_with("TA")) {
        make_tablature();
    } else if (CommandLine.starts_with("TY")) {
        view_text_file();
    } else if (CommandLine.starts_with("TI")) {
        show_time_of_day();
    } else if (CommandLine.starts_with("TXD")) {
        set_text_divider();
    } else if (CommandLine.starts_with("TPL")) {
        set_top_left_display();
    } else {
        enter_text();
    }
}

// Contract: see the header. Reads StaffTables (middle lines), ViewOrigin and MouseRegion; a
// later staff wins a tie. Writes IntParamBuffer(3) and ParamBuffer(5).
float find_clicked_staff() {
    const int64_t x = static_cast<int64_t>(core::MouseRegion(4)) - render::ViewOrigin.x;
    const int64_t y = static_cast<int64_t>(core::MouseRegion(3)) + render::ViewOrigin.y;
    const auto& staves = layout::StaffTables;
    int32_t best = 0;
    int64_t best_distance = 0;
    // Only staves the page has: the tables keep positions for the others too.
    std::vector<bool> present(layout::kMaxStaves + 1, false);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t staff = core::int_of(core::ItemStore(s + 2));
        if (core::int_of(core::ItemStore(s + 1)) == 8 && staff >= 1 && staff <= layout::kMaxStaves)
            present[static_cast<std::size_t>(staff)] = true;
    }
    for (int32_t s = 1; s <= layout::kMaxStaves; ++s) {
        if (!present[static_cast<std::size_t>(s)] || staves.StaffScale(s) <= 0.0f) continue;
        const int64_t d = std::llabs(y - staves.StaffMiddleY(s));
        if (best == 0 || d <= best_distance) {
            best = s;
            best_distance = d;
        }
    }
    core::IntParamBuffer(3) = best;
    if (best != 0) {
        const double step = 7.0 * staves.StaffScale(best);
        const double dy = static_cast<double>(staves.StaffMiddleY(best) - y);
        ParamBuffer(5) = static_cast<float>(6.0 - dy / step);
    }
    const float p3 = static_cast<float>(static_cast<double>(x) / 150.0);
    if (p3 < 0.0f) return -10.0f;
    if (p3 > 200.0f) return 210.0f;
    return p3;
}

}  // namespace edit
