// Taking one line of an input run: from the user through the live entries, from a command
// file, and the normalising every line gets before it is built and kept.
#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/input/live/live_marks.h"
#include "engine/input/live/live_notes.h"
#include "engine/input/live/live_rhythms.h"
#include "engine/input/live/midi_keyboard.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/mode/motive_files.h"
#include "engine/input/tables.h"
#include "engine/input/typed/bar_lines.h"
#include "engine/input/typed/music_text.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"

namespace input {

namespace {

constexpr int32_t kLine = kInputLineChars;

// Whether the line ask_input_line took last came from a script: a command file's record, or a
// console line that nobody typed at a terminal.
bool taken_from_script = false;

// The kept line of a kind (1..5).
core::FixedText<kLine>& kept_line(int32_t kind) {
    switch (kind) {
        case 1:
            return InputLines.notes;
        case 2:
            return InputLines.rhythms;
        case 3:
            return InputLines.marks;
        case 4:
            return InputLines.beams;
        default:
            return InputLines.slurs;
    }
}

// The prompt's screen lines side by side, one blank between: how a reply names the question.
std::string prompt_in_one_line(const core::FixedText<512>& prompt) {
    std::string shown;
    std::size_t start = 0;
    const std::string text = prompt.c_text();
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string piece = text.substr(start, end - start);
        piece.erase(0, piece.find_first_not_of(' '));
        piece.erase(piece.find_last_not_of(' ') + 1);
        if (!piece.empty()) shown += (shown.empty() ? "" : " ") + piece;
        start = end + 1;
    }
    return shown;
}

// A record with neither ending is no line of this kind: nobody would see the next record glued
// to it, so it is named and the next record starts the line afresh.
void name_incomplete_record(const std::string& dropped) {
    int32_t palette = 0;
    core::name_untaken_line("*** Not a complete line for " +
                            prompt_in_one_line(input_line_prompt(false, palette)) + ": " + dropped +
                            " -- the next line replaces it.");
}

// The next line of the command file MacroUnit into CommandLine: comment records, blank records
// and "%%" blocks passed over, a line ended by "/" continued on the next record. False at the
// file's end or at its end mark "*" (the unit closed, MacroUnit 0). A notes line that grows
// past 384 characters ends where a typed one would (long_line_end) and what it drops is told:
// the next record stays the next line. A longer line of a later kind is refused whole, its
// records to its end with it, as a typed one is (InputLineRefused 1): cut short it would mark,
// beam or tie other notes than the ones written.
bool read_file_line() {
    std::string line;
    bool skipping = false;
    bool over = false;
    InputLineRefused = 0;
    for (;;) {
        std::string rec;
        if (core::read_record(core::MacroUnit, rec) != core::IoResult::Ok) {
            core::close_unit(core::MacroUnit);
            core::MacroUnit = 0;
            return false;
        }
        if (rec.rfind("%%", 0) == 0) {
            skipping = !skipping;
            continue;
        }
        if (skipping || (!rec.empty() && rec[0] == '%')) continue;
        // The end mark ends the file as it does between commands: it is no line of music.
        if (line.empty() && !rec.empty() && rec[0] == '*') {
            core::close_unit(core::MacroUnit);
            core::MacroUnit = 0;
            return false;
        }
        const std::string text = rec.substr(0, std::min(rec.find('%'), rec.size()));
        const std::size_t last = text.find_last_not_of(' ');
        const std::string piece = last == std::string::npos ? "" : text.substr(0, last + 1);
        const char end = piece.empty() ? ' ' : piece.back();
        // The position line takes no end mark: each record is the line.
        const bool position = InputParserMode == 0;
        if (piece.empty() && !position) continue;
        if (position && end != '/' && end != ';') {
            line = piece;
        } else if (!over) {
            // Past its limit the line is only named: its head is all that is kept.
            line += piece;
        }
        if (InputParserMode > kNotesMode && line.size() > static_cast<std::size_t>(kLine)) {
            over = true;
            if (end == '/') continue;
            name_refused_long_line(line, true);
            return true;
        }
        if (line.size() > static_cast<std::size_t>(kLine)) {
            const int32_t cut = long_line_end(line);
            const std::size_t kept = cut > 0 ? static_cast<std::size_t>(cut) : kLine;
            report_long_line_cut(cut, std::string_view(line).substr(kept));
            line.resize(kept);
            // A "/" at 385 stays: the line's reading ends there.
            if (cut > 0 && cut <= kLine) line.back() = ';';
            core::CommandLine.set(line);
            core::keep_line_as_read(line);
            return true;
        }
        if (end == ';' || (end != '/' && position)) {
            core::CommandLine.set(line);
            // The readers upper-case it: a reply names it as the file holds it.
            core::keep_line_as_read(line);
            return true;
        }
        if (end != '/') {
            name_incomplete_record(line);
            line.clear();
        }
    }
}

}  // namespace

bool input_line_from_script() { return taken_from_script; }

// A file ending at a question is no failure: the script gave what it meant to give.
void tell_file_ended_before(const core::FixedText<512>& prompt) {
    core::show_notice("*** The command file ended before this was answered: " +
                      prompt_in_one_line(prompt));
}

core::FixedText<512> input_line_prompt(bool edit_form, int32_t& palette) {
    palette = 0;
    switch (InputParserMode) {
        case -1:
            palette = 243;
            return core::FixedText<512>("Set input staff. >");
        case 0:
            if (edit_form) {
                palette = 228;
                return core::FixedText<512>("Type Pos. 1, Pos. 2 -- (Default = 2, 200)");
            }
            return core::FixedText<512>("Type Pos. 1, Pos. 2 >\r\n(Default = 2, 200)");
        case 1:
            palette = 230;
            return core::FixedText<512>(edit_form
                                            ? "Type Notes, Rest, Clefs, etc. Semicolon=end. >"
                                            : "Type Notes, Rest, Clefs, etc.  Semicolon = end. >");
        case 2: {
            palette = 233;
            // Three digits fit the prompt's field; a count below 0 shows as 000.
            char count[16];
            std::snprintf(count, sizeof count, "%03d",
                          std::max<int32_t>(InputColumnCount, 0) % 1000);
            std::string text = "Type       Rhythms >";
            text.replace(6, 3, count);
            return core::FixedText<512>(text);
        }
        case 3:
            palette = 236;
            return core::FixedText<512>("Type Mark letter(s) and note numbers . . . >");
        case 4:
            palette = 239;
            return core::FixedText<512>("Type pairs of numbers for Beams >");
        default:
            palette = 240;
            return core::FixedText<512>("Type pairs of numbers for Slurs >");
    }
}

// Contract: reads InputParserMode; writes CommandLine, InputLines, BracketMarks, P(1), P(2).
// Contract: see the header. A NUL counts as a blank.
bool drop_leading_blanks() {
    const std::string text = core::CommandLine.trimmed();
    const std::size_t lead = text.find_first_not_of(" \0", 0, 2);
    if (lead == std::string::npos) {
        if (InputParserMode != 0) return false;
        core::CommandLine.set("2");
    } else {
        core::CommandLine.set(text.substr(lead));
    }
    return true;
}

void finish_input_line(int32_t& length) {
    // The live entries end their lines with CR LF: the kept line ends at its ";".
    const std::size_t cr = core::CommandLine.view().find('\r');
    if (cr != std::string_view::npos) {
        const int32_t size = static_cast<int32_t>(core::CommandLine.size());
        for (int32_t k = static_cast<int32_t>(cr) + 1; k <= size; ++k) core::CommandLine(k) = ' ';
    }
    int32_t c1 = 0;
    int32_t c2 = 0;
    core::upper_case_key_letters(core::CommandLine, length, c1, c2);
    if (InputParserMode != 0) {
        if (length > 0 && length < kLine && core::CommandLine(length) != ';' &&
            core::CommandLine(length) != '/') {
            core::CommandLine(++length) = ';';
        }
        if (InputParserMode == kRhythmsMode) {
            // As the live entry does: a read line "Q;" gives every column its quarter.
            const std::string whole = repeat_lone_rhythm(core::CommandLine.trimmed());
            if (whole.size() < static_cast<std::size_t>(kLine)) {
                core::CommandLine.set(whole);
                length = static_cast<int32_t>(whole.size());
            }
        }
        for (int32_t i = 1; i <= length; ++i) {
            if (core::CommandLine(i) == '\'') core::CommandLine(i) = ':';
            if (core::CommandLine(i) == '[') BracketMarks.group_start = i - 1;
            if (core::CommandLine(i) == ']') {
                BracketMarks.group_end = i;
                // The line is complete: its ";" is the mark the motive store tests.
                int32_t mark = length;
                int32_t cursor = i;
                store_motive(mark, cursor);
                i = cursor;
                length = core::find_line_length(core::CommandLine);
            }
        }
    }
    if (core::CommandLine.starts_with("SC")) return;
    if (InputParserMode == 0) {
        InputLines.position.set(core::CommandLine.view().substr(0, 16));
        core::scan_command_line(length);
    } else if (InputParserMode >= 1 && InputParserMode <= 5) {
        kept_line(InputParserMode).set(core::CommandLine.view().substr(0, kLine));
    }
}

// Contract: reads InputParserMode, MacroUnit, SpacingStaff, InputColumnCount, InputStaff;
// writes CommandLine, SecondLine, InputLines, EngineWaitLevel; takes the line through the live
// entries (from the user) or the command file MacroUnit.
void ask_input_line(int32_t& flag, int32_t& length) {
    flag = 0;
    length = 0;
    for (;;) {
        core::CommandLine.blank();
        taken_from_script = core::MacroUnit > 0;
        if (core::MacroUnit > 0) {
            if (read_file_line()) {
                if (InputLineRefused != 0) {
                    count_input_line();
                    flag = 3;
                    return;
                }
                core::SecondLine = core::CommandLine;
                count_input_line();
                finish_input_line(length);
                return;
            }
            // The file ended before this line: what the last kind built is stored, and the run
            // ends, told so. The user's later lines are commands again, never this run's lines.
            if (InputParserMode - 1 > 0) {
                const int32_t kind = InputParserMode;
                InputParserMode = kind - 1;
                store_input_items();
                InputParserMode = kind;
            }
            int32_t palette = 0;
            tell_file_ended_before(input_line_prompt(false, palette));
            flag = 2;
            return;
        }
        if (InputParserMode > 2) draw_column_marks();
        if (core::MacroUnit >= 0) core::refresh_screen();
        // A run the page could not hold adds nothing: no bar lines to offer.
        if (core::SecondLine(1) != '!' && InputParserMode == kMarksMode &&
            layout::SpacingStaff > 256.0f && InputRunOverflow == 0) {
            ask_add_bar_lines();
            if (core::CommandLine(1) == '!') return;
            // Bar lines added redraw the page: the column numbers go on it again.
            draw_column_marks();
            if (core::MacroUnit >= 0) core::refresh_screen();
        }
        int32_t palette = 0;
        const core::FixedText<512> prompt = input_line_prompt(false, palette);
        core::SecondLine = prompt;
        if (palette != 0) edit::show_item_palette(palette);
        taken_from_script = core::MacroUnit == 0 && core::front_end().InputIsScript();
        if (InputParserMode == kRhythmsMode && InputColumnCount == 0) {
            core::report_failure("*** No notes/rests given. ***");
            // A script's rhythms line is still taken, to be refused and left out in its turn:
            // the script's later lines keep their places.
            if (!taken_from_script) {
                core::SecondLine(1) = '^';
                return;
            }
        }
        core::EngineWaitLevel = 1;
        int32_t cursor = 0;
        int32_t work = 0;
        InputLineRefused = 0;
        // A run the page could not hold has no notes to give its later lines: they are read
        // plainly, to be dropped, and the live entry never parses them.
        const int32_t kind =
            InputRunOverflow != 0 && InputParserMode >= kRhythmsMode ? 0 : InputParserMode;
        switch (kind) {
            case 0:
                if (InputParserMode != 0)
                    core::ask_line_blank(prompt);
                else
                    core::ask_line_trimmed(prompt);
                break;
            case kNotesMode:
                core::show_prompt(core::ReplyKind::Question, prompt.view());
                core::front_end().TrimInputToMarker();
                load_staff_item_params(InputStaff);
                parse_note_input(1, work);
                // The notes entry has asked before it abandons: no second question.
                if (core::CommandLine(1) == '!') core::SecondLine.set("!!");
                break;
            case kRhythmsMode:
                core::show_prompt(core::ReplyKind::Question, prompt.view());
                core::front_end().TrimInputToMarker();
                enter_rhythm_line(1, work);
                // The rhythm entry asks before it abandons too.
                if (core::CommandLine(1) == '!') core::SecondLine.set("!!");
                break;
            case kMarksMode:
                core::show_prompt(core::ReplyKind::Question, prompt.view());
                core::front_end().TrimInputToMarker();
                enter_marks_line(cursor, work);
                break;
            default:
                core::show_prompt(core::ReplyKind::Question, prompt.view());
                core::front_end().TrimInputToMarker();
                enter_pairs_line(cursor, work);
                break;
        }
        if (core::ApplicationClosingWord == 1) return;
        if (InputLineRefused != 0) {
            flag = 3;
            return;
        }
        if (core::SecondLine(1) == '^') return;
        if (core::SecondLine.starts_with("!!")) return;
        bool midi_line = false;
        const bool midi_kind = InputParserMode == kNotesMode || InputParserMode == kRhythmsMode;
        if (midi_kind && core::SecondLine.starts_with("MIDI") &&
            !core::front_end().MidiInputOpen()) {
            // Nothing to play in: the line is asked again, the notes it drew taken back.
            core::report_failure("No MIDI for input.");
            if (InputParserMode == kNotesMode) {
                roll_back_input_store();
                begin_typed_placement();
                render::redraw_items();
            }
            InputLineLength = 0;
            continue;
        }
        while (core::SecondLine.starts_with("MIDI") && midi_kind) {
            const int32_t mark_count = core::ItemCount;
            const int32_t mark_words = core::ItemWordsUsed;
            core::SecondLine.blank();
            run_midi_keyboard_input();
            if (core::ApplicationClosingWord == 1) return;
            if (InputLineLength > 0 && core::CommandLine(InputLineLength) == ';') {
                // The line is parsed in full: the keys' provisional items go.
                core::ItemCount = mark_count;
                core::ItemWordsUsed = mark_words;
                core::rebuild_item_start_table();
                midi_line = true;
                break;
            }
            // A typed line or the switch to typing: the live entry goes on after the keys' text.
            if (InputParserMode == kNotesMode) {
                parse_note_input(1, work);
            } else {
                enter_rhythm_line(1, work);
            }
            if (core::CommandLine(1) == '!') core::SecondLine.set("!!");
            if (core::ApplicationClosingWord == 1) return;
            if (InputLineRefused != 0) {
                flag = 3;
                return;
            }
            if (core::SecondLine(1) == '^') return;
            if (core::SecondLine.starts_with("!!")) return;
        }
        if (midi_line || InputParserMode == kNotesMode) InputLineLength = 0;
        if (core::SecondLine.starts_with("MIDI")) {
            core::report_failure("No MIDI for input.");
            continue;
        }
        core::SecondLine = core::CommandLine;
        const char first = core::CommandLine(1);
        if (first == '%') {
            count_input_line();
            continue;
        }
        if ((first == ' ' || first == '\0') && !drop_leading_blanks()) continue;
        finish_input_line(length);
        return;
    }
}

}  // namespace input
