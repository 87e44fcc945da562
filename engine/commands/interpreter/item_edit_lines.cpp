// The interpreter's item-editing lines and the box continuation (see item_edit_lines.h).
#include "engine/commands/interpreter/item_edit_lines.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/interpreter/item_names.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_input.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/click_picker.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/typed_values.h"
#include "engine/edit/keywords/keyword_decoder.h"
#include "engine/edit/systems/justify_command.h"
#include "engine/edit/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/symbols/drawing_files.h"

namespace core {

namespace {

// The word that asked the box question now waiting ("DE", "IF"), as its refusals name it.
std::string g_box_word_name;

// The most pairs a "," line builds: ParamBuffer holds 45 numbers, and more than a dozen
// parameters are never named by commas on one line.
constexpr int kMaxCommaPairs = 12;

int32_t entry_code() { return int_of(EditItemParams(1)); }

bool starts(std::string_view word) { return CommandLine.starts_with(word); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The three digits after "~~" in columns 3-5 as a key code; -1 when the line is no key code.
int32_t key_code_of_line() {
    if (!starts("~~") || !is_digit(CommandLine(3)) || !is_digit(CommandLine(4)) ||
        !is_digit(CommandLine(5))) {
        return -1;
    }
    return (CommandLine(3) - '0') * 100 + (CommandLine(4) - '0') * 10 + (CommandLine(5) - '0');
}

// The save words ("SA" with or without a name, "SM", "SNX", "SNB"), in either case: they save
// also while an item is edited, never read as its words.
bool is_save_word() {
    std::string word;
    for (int i = 1; i <= 4; ++i) {
        const char c = CommandLine(i);
        if (c == ' ' || c == '\0') break;
        word += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return CommandLine(1) != ' ' &&
           (word == "SA" || word == "SM" || word == "SNX" || word == "SNB");
}

// The editing word of a key code while an item is edited; empty when the key has none.
std::string edit_key_word(int32_t key) {
    const int32_t code = entry_code();
    switch (key) {
        case 33:
            return "u4";
        case 34:
            return "d4";
        case 35:
            return "r10";
        case 36:
            return "l10";
        case 37:
            return "l1";
        case 38:
            return "u1";
        case 39:
            return "r1";
        case 40:
            return "d1";
        case 46:
            return "de";
        case 113:
            return "B";
        case 114:
            return "N";
        case 115:
            return "BZ";
        case 116:
            return "NZ";
        case 120:
            return "X";
        case 122:
            return "DEB";
        case 123:
            return "DEN";
        case 117:
            if (code == 2) return "RINV";
            if (code == 8) return "SI";
            if (code == 14) return "INV";
            if (code == 15) return "13 1";
            return "";
        case 118:
            if (code == 10) return "500 -1";
            if (code == 1 || code == 9) return "FLI";
            if (code == 16) return "TX";
            if (code >= 4 && code <= 7) {
                PaletteVariantCode = 0;
                return "LFT";
            }
            return "";
        case 121:
            return code == 10 ? "500 1" : "";
        case 119:
            if (code == 14) return "4 999";
            if (code >= 4 && code <= 8) {
                PaletteVariantCode = 1;
                return "RGT";
            }
            return "CN";
        default:
            return "";
    }
}

// The command word of a key code with no item edited; empty when the key has none.
std::string idle_key_word(int32_t key) {
    switch (key) {
        case 113:
            return "NB";
        case 114:
            return "NX";
        case 115:
            return "FREEZ";
        case 117:
        case 121:
        case 124:
            return "PR";
        case 118:
            return "PLA";
        case 119:
            return "UNDO";
        case 120:
            return "I";
        case 122:
            return "MID";
        case 123:
            return "TOP";
        default:
            return "";
    }
}

// The palette variant code of an edit line: the entry code, for lines (code 7) by their kind.
void set_palette_variant_code() {
    const int32_t code = entry_code();
    PaletteVariantCode = code;
    if (code == 7) {
        const float kind = EditItemParams(7);
        PaletteVariantCode = kind == 0.0f ? 8 : (kind >= 20.0f && kind < 23.0f ? 9 : 7);
    }
}

void switch_palette_variant(int mode) {
    if (PaletteVariantCode == 0) PaletteVariantCode = entry_code();
    if (has_front_end()) front_end().SwitchPaletteVariant(mode, PaletteVariantCode);
}

// The edited item's whole record (count word and words) into the restore copy.
void copy_edited_item_for_restore() {
    const int32_t k = EditedItemNumber < 0 ? -EditedItemNumber : EditedItemNumber;
    if (k < 1 || k > ItemCount) return;
    const int32_t start = ItemStartTable(k);
    const int32_t n = int_of(ItemStore(start));
    EditRestoreCopy.item = k;
    EditRestoreCopy.count = n;
    EditRestoreCopy.words.clear();
    for (int32_t w = start; w <= start + n && w <= ItemStore.size(); ++w) {
        EditRestoreCopy.words.push_back(ItemStore(w));
    }
}

// The first word of a pair line that stands where an applied pair's value goes: the scan gives
// a word the value 0, so "3 junk" would set P3 to 0 (and "3 60 5 junk" P5). A word where a
// parameter number goes ("4 5 M") ends the pair list, and the pairs before it stay as typed.
// Empty when there is none.
std::string word_in_applied_pair() {
    int32_t end = 1;
    while (end < 45 && ParamBuffer(end) != 0.0f) end += 2;
    for (const ScannedField& field : ScannedFields) {
        if (!field.number && !field.text.empty() && field.index % 2 == 0 && field.index < end)
            return field.text;
    }
    return std::string();
}

CommandFlow run_edit_item_step(bool from_keyword_path, bool pm = false);
CommandFlow run_keyword_step(bool from_edit_item);

// The edit-item command on the pairs in ParamBuffer. A line it does not know goes once to the
// keyword path as an I word (never back again). The pairs of the parameter page (pm) do not
// show the move step.
CommandFlow run_edit_item_step(bool from_keyword_path, bool pm) {
    edit::run_edit_item_command();
    if (CommandModeLetters(1) == -1) {
        if (from_keyword_path) return CommandFlow::EndCommand;
        CommandLine(1) = 'I';
        CommandModeLetters(1) = 'I';
        return run_keyword_step(true);
    }
    if (edit::EditChangesPending == -1) {
        edit::load_item_for_editing();
        edit::EditChangesPending = 0;
    } else if (!pm) {
        edit::show_move_step();
        if (!starts("STRING") && !MessageLine.starts_with("P"))
            leave_reply(ReplyKind::Notice, ItemStatusLine.view());
    }
    return CommandFlow::EndCommand;
}

// A C word typed or read while an item is edited that is not one of the edit-mode C words:
// unless the edited item's own words take it, it is an unknown word. The item's palette buttons
// send its own words, some of which change nothing on some items.
bool is_outside_edit_c_word() {
    if (LineIsPaletteWord != 0 && MacroUnit == 0) return false;
    return starts("C") && find_edit_c_word(CommandLine.sub(1, 3)) == 0;
}

// A C word the edited item could not take is told as unknown, and editing ends, the changes
// made before it kept as "X" keeps them: the lines after it (a command's answers, a file
// name) are then read as commands, never as the item's words.
CommandFlow refuse_outside_c_word(const std::string& word, int32_t pending_before) {
    if (edit::last_word_taking() == edit::WordTaking::Untaken) {
        const std::string shown = word.substr(0, word.find(' '));
        report_unknown_word(FixedText<9>(edit::typed_form(shown)));
    }
    edit::EditChangesPending = pending_before;
    edit::end_editing_after_untaken_word();
    CommandModeLetters(1) = 9999;
    ItemPanelRecord.item_text.blank();
    return CommandFlow::EndCommand;
}

// The keyword path: Z and RE words go to their rows, ST and ED store the edited item first,
// any other word goes to the keyword decoder; the pairs it leaves go once to the edit-item
// command.
CommandFlow run_keyword_step(bool from_edit_item) {
    if (starts("Z")) return run_letter_row('Z');
    const char third = CommandLine(3);
    if ((starts("ST") || starts("ED")) && third != 'N' && third != 'M' && third != 'P') {
        if (third == 'B') {
            RhythmSumFlag = 1;
            ParamBuffer(2) = 1.0f;
            ParamBuffer(3) = 2.0f;
            CommandLine(3) = ' ';
        }
        if (edit::EditChangesPending >= 1) {
            const Array1<float, 45> kept_pairs = [] {
                Array1<float, 45> a;
                for (int i = 1; i <= 45; ++i) a(i) = ParamBuffer(i);
                return a;
            }();
            const FixedText<512> kept_line = CommandLine;
            edit::save_item_for_restore(EditedItemNumber);
            edit::store_edited_item();
            for (int i = 1; i <= 45; ++i) ParamBuffer(i) = kept_pairs(i);
            CommandLine = kept_line;
            edit::EditChangesPending = 0;
            EditedItemNumber = 0;
        } else {
            copy_edited_item_for_restore();
        }
    } else if (entry_code() == 16 && edit::EditChangesPending == 0 && !starts("B") &&
               !starts("X") && !starts("N")) {
        copy_edited_item_for_restore();
    }

    if (starts("RE")) return run_letter_row('R');
    const int32_t pending_before = edit::EditChangesPending;
    const bool outside_c_word = is_outside_edit_c_word();
    const std::string word(CommandLine.sub(1, 5));
    edit::decode_edit_keywords();
    if (outside_c_word && EditedItemNumber != 0 &&
        edit::last_word_taking() != edit::WordTaking::Taken) {
        return refuse_outside_c_word(word, pending_before);
    }
    // A command word from the edited item's palette: the item is stored, editing has ended and
    // the word runs as it runs outside editing. A word that the dispatch sends back to this path
    // is no command after all: it is reported, never handed over again.
    if (edit::word_handed_to_commands()) {
        static bool handed_word_running = false;
        if (handed_word_running) return report_unknown_command();
        handed_word_running = true;
        const CommandFlow flow = dispatch_prepared_line();
        handed_word_running = false;
        return flow;
    }

    if (RhythmSumFlag != 0) {
        if (EditedItemNumber == 0) {
            RhythmSumFlag = 0;
        } else if (!starts("X")) {
            edit::show_rhythm_sum(RhythmSumFlag);
            return CommandFlow::Return;
        }
    }
    // "CX" opened the item after the copy itself (or was refused): running the item words again
    // would read the opened item's staff as the item to edit.
    if (CommandModeLetters(1) == 9999) return CommandFlow::EndCommand;
    if (CommandModeLetters(1) == -1 || EditedItemNumber == 0) {
        if (EditedItemNumber != 0) {
            edit::show_move_step();
        } else {
            ItemPanelRecord.item_text.blank();
        }
        return CommandFlow::EndCommand;
    }
    if (from_edit_item) return CommandFlow::EndCommand;
    const bool refused = edit::last_edit_word_refused();
    const CommandFlow flow = run_edit_item_step(true);
    // A refused word redraws the item but leaves its changes as they were.
    if (refused) edit::EditChangesPending = pending_before;
    return flow;
}

// A "," line: the commas before the first character above "," count the parameters skipped;
// the numbers then name P(k + 1), P(k + 2) ... Only as many parameters as the line gives
// numbers change (",,,5" sets P4 alone). At most kMaxCommaPairs pairs are built.
void build_comma_pairs(const std::vector<std::string>& typed_fields,
                       std::vector<std::string>& typed_pairs) {
    typed_pairs.assign(46, std::string());
    int32_t commas = 0;
    for (int i = 1; i <= SecondLine.size(); ++i) {
        const char c = SecondLine(i);
        if (static_cast<unsigned char>(c) > ',') break;
        if (c == ',') ++commas;
    }
    Array1<float, 45> values;
    for (int i = 1; i <= 45; ++i) values(i) = ParamBuffer(i);
    int32_t pairs = 0;
    const int32_t fields = std::min<int32_t>(ScannedFieldCount, 45);
    for (int j = 2; j <= fields && pairs < kMaxCommaPairs; ++j) {
        const int32_t p = commas + j - 1;
        if (p > 45) break;
        ParamBuffer(2 * pairs + 1) = static_cast<float>(p);
        ParamBuffer(2 * pairs + 2) = values(j);
        if (static_cast<std::size_t>(j) < typed_fields.size())
            typed_pairs[static_cast<std::size_t>(2 * pairs + 2)] =
                typed_fields[static_cast<std::size_t>(j)];
        ++pairs;
    }
    ParamBuffer(2 * pairs + 1) = 0.0f;
}

// Prepares the "," line `typed` (as typed, or as a command file gave it) and scans it. Blanks
// among the leading commas only separate them: the scan would read each blank there as a field
// of its own, pairing the numbers with the wrong parameters and setting the ones between to 0
// (", , ,7" would set P4..P7 to 0 and P8 to 7). The line itself is read, never the next line of
// an open file.
void prepare_comma_line(const FixedText<512>& typed) {
    const int32_t end = typed.trimmed_length();
    FixedText<512> line;
    int32_t n = 0;
    int32_t i = 1;
    for (; i <= end && static_cast<unsigned char>(typed(i)) <= ','; ++i)
        if (typed(i) != ' ') line(++n) = typed(i);
    for (; i <= end; ++i) line(++n) = typed(i);
    CommandLine = line;
    prepare_line_in_hand();
}

// A meter of the input's form "n m/" (the meter palette's "Input 3 4/" buttons) while a meter is
// edited: the line becomes the pairs that give the edited meter those numbers ("5 n 6 m"; common
// and cut time, 99 and 98, keep P6 0). Read as typed, the line would be the pair "P2 = 4" and
// move the meter to another staff, and "0 1/" would be no pair at all. "COM/" and "CUT/" (the
// palette's "Input COM/" and "Cut time (input)") are common and cut time: as command words they
// would end the edit and add a meter. False for other lines.
bool take_meter_input_line() {
    if (entry_code() != 18) return false;
    const std::string_view line = CommandLine.view();
    std::size_t i = line.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;
    for (const auto& [word, top] :
         {std::pair<std::string_view, int32_t>{"COM/", 99}, {"CUT/", 98}}) {
        std::string head(line.substr(i, word.size()));
        for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (head != word) continue;
        const std::size_t rest = line.find_first_not_of(' ', i + word.size());
        if (rest != std::string_view::npos && line[rest] != '\0') return false;
        CommandLine.set("5 " + std::to_string(top) + " 6 0");
        return true;
    }
    int32_t numbers[2] = {0, 0};
    for (int n = 0; n < 2; ++n) {
        if (n == 1) {
            const std::size_t gap = line.find_first_not_of(' ', i);
            if (gap == i || gap == std::string_view::npos) return false;
            i = gap;
        }
        const std::size_t from = i;
        while (i < line.size() && is_digit(line[i]) && i - from < 3)
            numbers[n] = numbers[n] * 10 + (line[i++] - '0');
        if (i == from || (i < line.size() && is_digit(line[i]))) return false;
    }
    if (i >= line.size() || line[i] != '/') return false;
    const std::size_t rest = line.find_first_not_of(' ', i + 1);
    if (rest != std::string_view::npos && line[rest] != '\0') return false;
    const int32_t top = numbers[0];
    const int32_t bottom = top == 99 || top == 98 ? 0 : numbers[1];
    CommandLine.set("5 " + std::to_string(top) + " 6 " + std::to_string(bottom));
    return true;
}

// A "," line of the edited item: its pairs go to the edit-item command.
CommandFlow run_comma_line(const FixedText<512>& typed) {
    prepare_comma_line(typed);
    const NumberLineReading reading = read_number_line_whole(WordsInLine::Commas);
    if (reading.fault != NumberLineFault::None) {
        name_untaken_line(number_line_refusal(reading));
        return CommandFlow::EndCommand;
    }
    std::vector<std::string> typed_pairs;
    build_comma_pairs(reading.typed, typed_pairs);
    if (!edit::check_pair_values(typed_pairs)) return CommandFlow::EndCommand;
    return run_edit_item_step(false);
}

// The current line as typed, from its first non-blank character.
std::string_view typed_word() {
    const std::string_view typed = SecondLine.view();
    const std::size_t first = typed.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : typed.substr(first);
}

void end_slider_editing() {
    edit::SliderParameter = 0;
    SliderEditActive = 0;
}

void set_move_caption(const char* caption) {
    MoveCaption.set(caption);
    ItemPanelRecord.mode_text.set(caption);
}

// The words of an edited item (A.10, A.11); the line is prepared here.
CommandFlow run_edit_line() {
    set_palette_variant_code();
    const FixedText<512> raw = CommandLine;
    if (raw(1) == ',') return run_comma_line(raw);
    if (raw(1) == '[' || raw(1) == ']') edit::convert_bracket_size_codes();
    take_meter_input_line();
    if (raw.starts_with("ab") && raw.sub(3, 8) == "      " && edit::EditChangesPending == 0) {
        CommandLine.set("~");
        EditedItemNumber = 0;
        edit::EndMoveMode = 0;
        end_slider_editing();
        edit::show_item_palette(core::kGeneralPalette);
        return CommandFlow::EndCommand;
    }
    prepare_line_in_hand();
    if (!take_edit_word_numbers()) return CommandFlow::EndCommand;

    // "QP" and a parameter number: the scan has left "QP*" with the number in P2.
    if (starts("QP*") && CommandLine(4) == ' ') {
        if (SliderEditActive == 0) {
            const bool trill = entry_code() == 7 && EditItemParams(7) == 1.0f;
            edit::show_item_palette(entry_code() >= 9 || trill ? 217 : 216);
            SliderEditActive = 1;
        }
        edit::SliderParameter = int_of(ParamBuffer(2));
        // The parameter as typed ("P3" of "QP3"); the console has no button text to show.
        const std::string_view typed = typed_word();
        leave_reply(
            ReplyKind::Notice,
            "Editing " + std::string(typed.substr(std::min<std::size_t>(1, typed.size()), 4)));
        return CommandFlow::EndCommand;
    }
    if (starts("RTRN")) {
        edit::SliderParameter = 2;
        edit::show_item_palette(-1);
        edit::show_move_step();
        refresh_screen();
        return CommandFlow::EndCommand;
    }
    const bool ends_slider = starts("B") || starts("N") || starts("X") ||
                             (starts("C") && !starts("CD") && !starts("CT") && !starts("CH"));
    if (SliderEditActive != 0 && ends_slider) end_slider_editing();
    if (starts("SLIDER")) {
        leave_reply(ReplyKind::Question, "Select parameter for SLIDER editing. ");
        edit::SliderParameter = -1;
        return CommandFlow::EndCommand;
    }
    if (starts("SLDS")) {
        if (CommandLine(5) != 'H') edit::SliderStep = 1000.0f;
        return CommandFlow::EndCommand;
    }
    if (starts("SLDB")) {
        edit::SliderStep = 80.0f;
        return CommandFlow::EndCommand;
    }
    if (starts("RNDF") && is_digit(CommandLine(5))) {
        RoundingDigit = CommandLine(5) - '0';
        return CommandFlow::EndCommand;
    }
    if (starts("PCHNG")) {
        // The step routine reads the slider position from the word as typed, not the scan.
        CommandLine.set(typed_word());
        edit::set_slider_step();
        return run_edit_item_step(false);
    }
    if (starts("LFT") || starts("RGT") || starts("NRMV")) {
        const int32_t code = entry_code();
        if (starts("LFT")) {
            edit::EndMoveMode = edit::EndMoveMode == 1 ? 0 : 1;
            switch_palette_variant(0);
        } else if (starts("RGT")) {
            edit::EndMoveMode = edit::EndMoveMode == 2 ? 0 : 2;
            switch_palette_variant(1);
        } else {
            edit::EndMoveMode = 0;
        }
        if (edit::EndMoveMode == 1) {
            set_move_caption("Move Left End -- P3/P4");
        } else if (edit::EndMoveMode == 2) {
            set_move_caption("Move Right End -- P5/P6");
        } else {
            set_move_caption(code >= 4 && code <= 8 ? "Move All " : " ");
        }
        edit::choose_edit_parameters();
        return CommandFlow::EndCommand;
    }
    if (CommandLine.is_blank()) {
        CommandLine.set(ScanDirection < 0 ? "B" : "N");
        CommandModeLetters(1) = CommandLine(1);
        CommandModeLetters(2) = ' ';
        CommandHeader.set(CommandLine.sub(1, 16));
    }
    if (starts("INC") && CommandLine(4) != 'H') {
        ArrowStep = ParamBuffer(2) == 0.0f ? 1.0f : ParamBuffer(2);
        write_arrow_step_reply();
        return CommandFlow::Return;
    }
    if (starts("PM")) {
        // The dialog's data line, when it gave one, is the next command; otherwise the pairs
        // it changed (at least one) are applied.
        const int32_t next_pair = edit::collect_changed_parameters();
        if (!CommandLine.is_blank()) return run_command_line();
        if (next_pair <= 1 || ParamBuffer(1) == 0.0f) return CommandFlow::EndCommand;
        if (!edit::check_pair_values()) return CommandFlow::EndCommand;
        return run_edit_item_step(false, true);
    }
    if (CommandLine == "ALL") {
        // The answer that names every staff (the group palette's "All staves") fills P1 and P4
        // with staff numbers: read as pairs it would rewrite the item's code and staff.
        name_untaken_line("*** ALL answers a box question: the edited item was not changed.");
        return CommandFlow::EndCommand;
    }
    if (ParamBuffer(1) != 0.0f) {
        // Pairs typed for the edited item: each number read whole; the arithmetic form
        // ("3 P 5/2") computes its value later, so only its numbers are checked here.
        const bool arithmetic = CommandLine(2) == 'P';
        const NumberLineReading reading = read_number_line_whole(WordsInLine::Any);
        if (reading.fault != NumberLineFault::None) {
            name_untaken_line(number_line_refusal(reading));
            return CommandFlow::EndCommand;
        }
        if (!arithmetic) {
            const std::string word = word_in_applied_pair();
            if (!word.empty()) {
                name_untaken_line("*** Not a number: " + word + " -- the line was not taken.");
                return CommandFlow::EndCommand;
            }
        }
        if (!arithmetic && !edit::check_pair_values(reading.typed)) return CommandFlow::EndCommand;
        return run_edit_item_step(false);
    }
    return run_keyword_step(false);
}

// A key code: the editing word of the key (with an edited item) or its command word.
// Returns NotTaken when the translated line is to run on.
CommandFlow take_key_code(int32_t key) {
    if (EditedItemNumber != 0) {
        if (ArrowStepCode != 0 && key >= 37 && key <= 40) {
            if (key == 37 || key == 39) {
                ArrowStep += key == 37 ? -0.1f : 0.1f;
                write_arrow_step_reply();
                return CommandFlow::Return;
            }
            ParamBuffer(1) = static_cast<float>(ArrowStepCode * 100);
            ParamBuffer(2) = key == 38 ? ArrowStep : -ArrowStep;
            ParamBuffer(3) = 0.0f;
            CommandLine.blank();
            return run_edit_item_step(false);
        }
        CommandLine.set(edit_key_word(key));
        return CommandFlow::NotTaken;
    }
    CommandLine.set(idle_key_word(key));
    return CommandFlow::NotTaken;
}

}  // namespace

// Contract: the lines tried before the ordinary dispatch: key codes, "QQ" palettes, "LFT" and
// "RGT" palette variants, "[" and "]" views, "~" and "|" boxes, a pending box operation, "UND"
// while editing, and every line of an edited item. Reads and writes the interpreter's item-
// editing words, EditedItemNumber, ParamBuffer, PendingBoxOperation and the edit tables.
CommandFlow run_item_edit_lines() {
    const int32_t key = key_code_of_line();
    if (key >= 0) {
        const CommandFlow flow = take_key_code(key);
        if (flow != CommandFlow::NotTaken) return flow;
        if (EditedItemNumber == 0) return CommandFlow::NotTaken;
    }
    if (is_save_word()) return CommandFlow::NotTaken;
    if (starts("QQ") && is_digit(CommandLine(3)) && is_digit(CommandLine(4)) &&
        is_digit(CommandLine(5))) {
        int32_t palette = std::stoi(std::string(CommandLine.sub(3, 5)));
        if (entry_code() == 5 && palette == 0 && EditedItemNumber != 0) {
            palette = edit::EndMoveMode > 0 ? 219 + edit::EndMoveMode : 162;
        }
        edit::show_item_palette(palette);
        FrontEndCommandBuffer.blank();
        return CommandFlow::EndCommand;
    }
    if (CommandLine.sub(2, 8) == "       " && (starts("[") || starts("]"))) {
        render::position_view(starts("[") ? 4 : 5);
        clear_exchange_text();
        return CommandFlow::EndCommand;
    }
    // A lone "|" while an item is edited and no box is asked for is the "~" line, also when a
    // command file's line brings it (those lines pass no front-end tokens).
    if (EditedItemNumber != 0 && PendingBoxOperation == 0 && starts("|") && CommandLine(2) == ' ') {
        CommandLine(1) = '~';
    }
    if (starts("~") && CommandLine(2) == ' ') {
        if (PendingBoxOperation == 0) {
            if (EditedItemNumber == 0) return show_parameter_display();
            // A "~" or "|" line typed or read while an item is edited has no click to take.
            if (LineIsClickToken == 0) return CommandFlow::EndCommand;
            return move_edited_item_to_click();
        }
        CommandLine.set("|");
        return continue_box_operation();
    }
    if (PendingBoxOperation != 0) return continue_box_operation();
    if (starts("|") && CommandLine(2) == ' ') {
        if (edit::BoxEdgeWord == 0) return show_parameter_display();
        edit::read_drawn_box();
        PendingBoxOperation += 100;
        return continue_box_operation();
    }
    if (EditedItemNumber == 0) return CommandFlow::NotTaken;
    if (starts("UND") || starts("und")) {
        report_failure("Cannot do UNDELETE while still in Edit Mode.");
        FrontEndCommandBuffer.blank();
        return CommandFlow::EndCommand;
    }
    return run_edit_line();
}

// Contract: see the header. Reads ScannedFields and SecondLine; writes ParamBuffer.
bool take_edit_word_numbers() {
    if (ScannedFields.empty() || ScannedFields[0].number) return true;
    std::string word = ScannedFields[0].text;
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string_view rest_is_text : kEditWordsWithTextRest)
        if (word.starts_with(rest_is_text)) return true;
    const NumberLineReading reading = read_edit_word_numbers();
    if (reading.fault == NumberLineFault::None) return true;
    name_untaken_line(number_line_refusal(reading));
    return false;
}

// Contract: the keyword path for a prepared line (E and S words, Esc while editing).
CommandFlow run_edit_keyword_path() { return run_keyword_step(false); }

// Contract: the parameters shown (display code 8): the click picker takes the item nearest the
// click, and the "I n" line the picker wrote runs as an I word and opens the item, which is
// drawn in the highlight colour. When no item was picked the command ends. With the box step
// "M" ("JT" waits for a click) the nearest text's staff and level are taken instead and the
// system question follows; a page without texts ends the wait.
CommandFlow show_parameter_display() {
    if (edit::PendingBoxStep == 'M') {
        // The click that "JT" asked for: the nearest text gives the staff and level, and the
        // system question follows; the text is not opened for editing.
        const int32_t k = edit::text_item_at_click();
        edit::PendingBoxStep = 0;
        if (k != 0) edit::take_clicked_text(k);
        return CommandFlow::EndCommand;
    }
    edit::show_parameters();
    if (EditedItemNumber == 0) return CommandFlow::EndCommand;
    const CommandFlow flow = run_i_family();
    // The item opened by the click is shown in the highlight colour at once.
    if (EditedItemNumber > 0 && OutputBufferViews.graphics.bound() &&
        OutputBufferViews.text.bound()) {
        render::redraw_edited_item();
    }
    return flow;
}

// Contract: a click while an item is edited: the click picker writes the pair line that puts
// the item (or the end being moved) on the nearest staff at the clicked point, and the line is
// applied like typed pairs. A click near no staff changes nothing. The stored image leaves the
// old place, as it does while the item is dragged: only the preview shows the item until it is
// stored.
CommandFlow move_edited_item_to_click() {
    edit::show_parameters();
    if (ParamBuffer(1) != 2.0f) return CommandFlow::EndCommand;
    edit::hide_stored_image();
    return run_edit_item_step(false);
}

// Contract: the first word of the line in CommandLine, for the refusals of the box question it
// may leave waiting.
void remember_box_word() {
    // As given: the scanned line writes a number as "*" ("CT 1" is "CT *").
    std::string line = edit::answer_as_given();
    line.erase(0, line.find_first_not_of(' '));
    g_box_word_name = line.substr(0, line.find(' '));
    for (char& c : g_box_word_name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

// Contract: see the header. Writes PendingBoxOperation, PendingBoxStep, BoxEdgeWord and
// MessageLine.
namespace {

// Ends the pending box operation: the page redrawn, no box asked for any more (a drag is no
// box). Writes PendingBoxOperation, BoxEdgeWord and MessageLine.
void leave_box_operation() {
    PendingBoxOperation = 0;
    clear_exchange_text();
    edit::show_item_palette(core::kGeneralPalette);
    render::redraw_items();
    refresh_screen();
    edit::BoxEdgeWord = -1;
    set_engine_wait_level(-1);
}

// The stretch's own end (its "X" in CommandLine over the scanned box) is no line the user typed:
// it ends the operation quietly, as a bare X does, and names nothing.
CommandFlow end_box_stretch() {
    leave_box_operation();
    return CommandFlow::EndCommand;
}

}  // namespace

void end_box_question_of_ended_file() {
    if (CommandFileEndedInCall == 0 || MacroUnit != 0 || PendingBoxOperation == 0) return;
    edit::PendingBoxStep = 0;
    leave_box_operation();
}

// Contract: a line while PendingBoxOperation is nonzero continues that operation; "AB", "X"
// and "I" words leave it ("Leaving Group Edit.", page redrawn). Reads FrontEndCommandBuffer,
// writes PendingBoxOperation, PendingBoxStep, BoxEdgeWord.
CommandFlow continue_box_operation() {
    for (;;) {
        const int32_t op = PendingBoxOperation;
        if (op >= 40 && op <= 49) {
            // A command file's line is the answer as it stands (a typed one arrives there);
            // the answer is not shown back as a message.
            const bool from_file = MacroUnit != DefaultMacroUnit;
            const std::string line = from_file ? SecondLine.trimmed() : std::string();
            if (from_file) {
                // NUL-ended, as the front-end hands its answer over.
                set_exchange_text(
                    static_cast<int32_t>(line.size()) < MessageLine.size() ? line + '\0' : line);
            }
            render::edit_library_drawing();
            if (from_file && std::string(MessageLine.c_text()) == line) clear_exchange_text();
            return CommandFlow::Return;
        }
        if (op >= 50 && op <= 59) {
            edit::alter_group();
            return CommandFlow::Return;
        }
        if (!FrontEndCommandBuffer.is_blank()) {
            CommandLine(1) = FrontEndCommandBuffer(1);
            CommandLine(2) = FrontEndCommandBuffer(2);
            if (CommandLine(2) == 'v') return CommandFlow::LoopHead;
        }
        for (int i = 1; i <= 2; ++i) {
            const char c = CommandLine(i);
            if (c >= 'a' && c <= 'z') CommandLine(i) = static_cast<char>(c - 'a' + 'A');
        }
        // The staff question of "INZ" takes only a click: Escape (or Enter) on an empty line
        // arrives as a blank line, and leaves as "X" does rather than choosing a staff from
        // where the mouse last was.
        const bool staff_click_refused = op == 8 && edit::PendingBoxStep == 'Y' &&
                                         CommandLine(1) != '|' && CommandLine(1) != '~';
        if ((starts("AB") && CommandLine(3) == ' ') || starts("X") || starts("I") ||
            staff_click_refused) {
            // The bare words leave the box. From a script a longer line ("IN 1", "IF ...") was
            // meant as something else: it is named and dropped, and a command file stops.
            std::string given = edit::answer_as_given();
            while (!given.empty() && given.back() == ' ') given.pop_back();
            std::string word = given;
            for (char& c : word) {
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            }
            const bool bare =
                word == "X" || word == "I" || word == "AB" || (staff_click_refused && word.empty());
            // A question that asks its box again reads a longer line as a box, like any line:
            // its reader names it and asks again, typed or from a script.
            if (bare || !edit::box_question_asks_again()) {
                const bool named = !bare && edit::answer_from_script();
                if (op != 5 && !named) show_message(ReplyKind::Notice, "Leaving Group Edit.");
                leave_box_operation();
                if (named) edit::refuse_box_line("*** Not a box: " + given, g_box_word_name, false);
                return CommandFlow::EndCommand;
            }
        }
        if (!FrontEndCommandBuffer.is_blank()) {
            CommandLine.set(FrontEndCommandBuffer.view());
            FrontEndCommandBuffer.blank();
        }
        int32_t operation = op;
        if (op < 0) {
            edit::run_stem_direction_command();
        } else if (op == 9 || op == 10) {
            edit::move_system();
            return CommandFlow::Return;
        } else if (op == 5) {
            edit::adjust_box_edges();
            if (starts("X")) return end_box_stretch();
        } else if (op == 6) {
            edit::delete_box_codes();
            if (PendingBoxOperation == 5) {
                // The stretch that follows ends the operation on Exit, as when it runs alone.
                edit::adjust_box_edges();
                if (starts("X")) return end_box_stretch();
            }
        } else if (op == 8 && edit::PendingBoxStep == 'Y') {
            SecondLine(1) = 'L';
            edit::read_drawn_box();
            ParamBuffer(2) = ParamBuffer(1);
            PendingBoxOperation = 0;
            edit::PendingBoxStep = 0;
            CommandLine.set("IN* ");
            CommandModeLetters(2) = 'N';
            return run_i_family();
        } else if (op == 8) {
            if (edit::PendingBoxStep == 'X') {
                edit::count_line_beats();
            } else {
                edit::justify_from_box();
            }
        } else if (op == 17) {
            if (edit::PendingBoxStep == 9) {
                edit::write_cut_file();
            } else {
                edit::copy_move_group();
            }
        } else if (op == 15) {
            edit::adjust_staff_notes();
            return CommandFlow::Return;
        } else if (op == 18) {
            edit::run_if_command();
            return CommandFlow::Return;
        } else if (op == 19) {
            render::reset_view_home();
            PendingBoxOperation = 0;
        } else {
            edit::run_box_command(operation);
            if (edit::PendingBoxStep == 9 && MessageLine(1) != 'E') edit::copy_move_group();
        }
        edit::BoxEdgeWord = -1;
        if (op == 16 && PendingBoxOperation == 3 && CommandModeLetters(1) == -1)
            edit::run_ed_command();
        if (PendingBoxOperation == 0) {
            edit::PendingBoxStep = 0;
            edit::BoxEdgeWord = 0;
            refresh_screen();
        }
        return CommandFlow::EndCommand;
    }
}

}  // namespace core
