#include "engine/core/bridge/number_line.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <string_view>
#include <system_error>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"

namespace core {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool all_digits(std::string_view t) {
    if (t.empty()) return false;
    for (const char c : t)
        if (!is_digit(c)) return false;
    return true;
}

std::string upper(std::string_view t) {
    std::string u(t);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// A word that spells a number the store cannot hold: "INF", "INFINITY", "NAN", signed or not.
bool spells_special_number(std::string_view word) {
    std::size_t k = 0;
    while (k < word.size() && (word[k] == '+' || word[k] == '-')) ++k;
    const std::string rest = upper(word.substr(k));
    return rest == "INF" || rest == "INFINITY" || rest == "NAN" || rest.rfind("NAN(", 0) == 0;
}

// Length of the decimal at the start of t ([-]digits[.digits] or [-].digits); 0 when none.
std::size_t decimal_length(std::string_view t) {
    std::size_t k = 0;
    if (k < t.size() && t[k] == '-') ++k;
    int digits = 0;
    while (k < t.size() && is_digit(t[k])) ++k, ++digits;
    if (k < t.size() && t[k] == '.') {
        ++k;
        while (k < t.size() && is_digit(t[k])) ++k, ++digits;
    }
    return digits > 0 ? k : 0;
}

// The value of text (a decimal with an optional exponent, checked by the caller) as a stored
// real; false when it lies beyond the reals or is a nonzero value that would become 0.
bool stored_value(const std::string& text, float& value) {
    double d = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(d)) return false;
    // Beyond the point halfway between the largest real and the next power of two the nearest
    // stored real would be infinite.
    if (std::fabs(d) >= std::ldexp(1.0, 128) - std::ldexp(1.0, 103)) return false;
    value = static_cast<float>(d);
    return d == 0.0 || value != 0.0f;
}

// Drops field `index` of ParamBuffer: the later fields move down one place.
void drop_field(int32_t index) {
    for (int32_t k = index; k < 45; ++k) ParamBuffer(k) = ParamBuffer(k + 1);
    ParamBuffer(45) = 0.0f;
    if (ScannedFieldCount > 0) --ScannedFieldCount;
}

// Takes the mark of field `index` out of the scan's compact form of CommandLine (a "*" for each
// number and for each gap before a word, a word's characters for the word), so that the line's
// words stand as they would with the number typed plainly. `before` marks of earlier fields
// were taken out already. Fields past the 44th share P45.
void drop_compact_mark(int32_t index, int32_t before) {
    if (index < 1 || index >= 45) return;
    int32_t at = 1;
    int32_t previous = 0;
    for (const ScannedField& field : ScannedFields) {
        if (field.index >= index) break;
        at += field.index - previous - 1;  // the gaps before it
        at += field.number ? 1 : static_cast<int32_t>(field.text.size());
        previous = field.index;
    }
    at += index - previous - 1 - before;
    if (at < 1 || at > CommandLine.size() || CommandLine(at) != '*') return;
    for (int32_t k = at; k < CommandLine.size(); ++k) CommandLine(k) = CommandLine(k + 1);
    CommandLine(CommandLine.size()) = ' ';
}

// Upper-case comparison of two texts.
bool same_text(std::string_view a, std::string_view b) { return upper(a) == upper(b); }

// Reads the number field ScannedFields[i] whole: a decimal with an optional exponent, also one
// the scan split at its sign ("1E-5" is the field "1E" and the field "5"). text gets the number
// as typed and value its stored real; i moves onto the exponent's field when that was joined.
NumberLineFault read_field_whole(std::size_t& i, std::string& text, float& value, bool& joined) {
    const ScannedField& field = ScannedFields[i];
    text = field.text;
    joined = false;
    const std::size_t mantissa = decimal_length(text);
    const std::string rest = upper(std::string_view(text).substr(mantissa));
    std::string exponent;
    if (mantissa > 0 && rest == "E" && (field.after == '+' || field.after == '-') &&
        i + 1 < ScannedFields.size() && ScannedFields[i + 1].number &&
        ScannedFields[i + 1].column == field.column + static_cast<int32_t>(text.size()) + 1 &&
        all_digits(ScannedFields[i + 1].text)) {
        // "1E-5": the scan ended the number at the sign; the digits after it are its exponent.
        exponent = std::string(1, field.after) + ScannedFields[i + 1].text;
        text += field.after + ScannedFields[i + 1].text;
        joined = true;
        ++i;
    } else if (mantissa > 0 && rest.size() > 1 && rest[0] == 'E' && all_digits(rest.substr(1))) {
        exponent = rest.substr(1);
    } else if (mantissa == 0 || !rest.empty()) {
        return NumberLineFault::NotANumber;
    }
    std::string plain = std::string(field.text.substr(0, mantissa));
    if (!plain.empty() && plain.back() == '.') plain.pop_back();
    if (plain == "-" || plain.empty()) plain += "0";
    if (!exponent.empty()) plain += "e" + exponent;
    return stored_value(plain, value) ? NumberLineFault::None : NumberLineFault::OutOfRange;
}

// The piece of the line as typed (blanks around it) that holds ScannedFields[i], from the
// field's own start when it lies in the line's first piece (the word: "U10", "SZ1.5"). The
// field's own text when the line as typed is not the scanned one (a mini macro rewrote it).
std::string typed_piece(std::size_t i) {
    const ScannedField& field = ScannedFields[i];
    int32_t lead = 0;
    while (lead < SecondLine.size() && SecondLine(lead + 1) == ' ') ++lead;
    const int32_t at = lead + field.column;
    const auto same = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    };
    if (field.text.empty() || at > SecondLine.size() || !same(SecondLine(at), field.text[0]))
        return field.text;
    const auto blank = [](char c) { return c == ' ' || c == '\0' || c == '\t' || c == '\r'; };
    int32_t word_end = lead + 1;
    while (word_end <= SecondLine.size() && !blank(SecondLine(word_end))) ++word_end;
    int32_t from = at;
    if (at > word_end)
        while (from > 1 && !blank(SecondLine(from - 1))) --from;
    int32_t to = at;
    while (to < SecondLine.size() && !blank(SecondLine(to + 1))) ++to;
    return std::string(SecondLine.sub(from, to));
}

}  // namespace

// Contract: see the header. Reads ScannedFields; writes ParamBuffer P(1..45) and
// ScannedFieldCount (an exponent with a sign is one number, where the scan made two fields of
// it). On a fault ParamBuffer is left part-read: the caller takes nothing from it.
NumberLineReading read_number_line_whole(WordsInLine words) {
    NumberLineReading r;
    r.typed.assign(46, std::string());
    int32_t dropped = 0;
    for (std::size_t i = 0; i < ScannedFields.size(); ++i) {
        const ScannedField& field = ScannedFields[i];
        const int32_t index = field.index - dropped;
        if (!field.number) {
            if (field.text.empty()) continue;  // control characters only: no word
            const bool commas = field.text.find_first_not_of(',') == std::string::npos;
            const bool allowed =
                words == WordsInLine::Any || (words == WordsInLine::Commas && commas);
            if (!allowed || spells_special_number(field.text)) {
                r.fault = NumberLineFault::NotANumber;
                // A "," line's leading commas are no part of the word.
                const std::size_t first = field.text.find_first_not_of(',');
                r.word = first == std::string::npos ? field.text : field.text.substr(first);
                return r;
            }
            continue;
        }
        std::string text;
        float value = 0.0f;
        bool joined = false;
        r.fault = read_field_whole(i, text, value, joined);
        if (r.fault != NumberLineFault::None) {
            r.word = text;
            return r;
        }
        if (index >= 1 && index <= 45) {
            ParamBuffer(index) = value;
            r.typed[static_cast<std::size_t>(index)] = text;
        }
        if (joined) {
            // The exponent's digits were a field of their own.
            drop_field(index + 1);
            ++dropped;
        }
    }
    return r;
}

// Contract: see the header. Reads ScannedFields and SecondLine; writes ParamBuffer P(1..45) and
// ScannedFieldCount as read_number_line_whole does.
NumberLineReading read_edit_word_numbers() {
    NumberLineReading r;
    r.typed.assign(46, std::string());
    if (ScannedFields.empty() || ScannedFields[0].number) return r;
    std::size_t last_number = 0;
    for (std::size_t k = 1; k < ScannedFields.size(); ++k)
        if (ScannedFields[k].number) last_number = k;
    int32_t dropped = 0;
    for (std::size_t i = 1; i <= last_number; ++i) {
        const ScannedField& field = ScannedFields[i];
        const int32_t index = field.index - dropped;
        const std::string piece = typed_piece(i);
        // A word before a number ("+" of "+5", "," of ",2") would move the numbers out of
        // their places: the word would read the first of them as 0.
        if (!field.number) {
            if (field.text.empty()) continue;  // control characters only: no word
            r.fault = NumberLineFault::NotANumber;
            r.word = piece;
            return r;
        }
        std::string text;
        float value = 0.0f;
        bool joined = false;
        r.fault = read_field_whole(i, text, value, joined);
        // The piece as typed is this number alone ("1,5" and "5-6" are no number).
        if (r.fault == NumberLineFault::None && !same_text(piece, text))
            r.fault = NumberLineFault::NotANumber;
        if (r.fault != NumberLineFault::None) {
            r.word = piece;
            return r;
        }
        if (index >= 1 && index <= 45) {
            ParamBuffer(index) = value;
            r.typed[static_cast<std::size_t>(index)] = text;
        }
        if (joined) {
            // The exponent's digits were a field of their own, with a mark of their own.
            drop_compact_mark(field.index + 1, dropped);
            drop_field(index + 1);
            ++dropped;
        }
    }
    return r;
}

std::string number_line_refusal(const NumberLineReading& reading) {
    if (reading.fault == NumberLineFault::OutOfRange)
        return "*** Number out of range: " + reading.word + " -- the line was not taken.";
    return "*** Not a number: " + reading.word + " -- the line was not taken.";
}

// Contract: see the header. Shares the number rule of the lines of numbers: a field is a
// decimal whose whole text is the number ("12RHW" and "1.2.3" are not numbers).
NumberLineReading read_code_number_line(std::string_view line, std::vector<int32_t>& codes) {
    NumberLineReading r;
    std::vector<int32_t> read;
    std::size_t k = 0;
    while (k < line.size()) {
        const auto separator = [](char c) {
            return c == ' ' || c == '\t' || c == ',' || c == '\r';
        };
        while (k < line.size() && separator(line[k])) ++k;
        std::size_t end = k;
        while (end < line.size() && !separator(line[end])) ++end;
        if (end == k) break;
        const std::string field(line.substr(k, end - k));
        k = end;
        float value = 0.0f;
        if (spells_special_number(field) || decimal_length(field) != field.size() ||
            !stored_value(field.back() == '.' ? field + "0" : field, value)) {
            r.fault = NumberLineFault::NotANumber;
            r.word = field;
            return r;
        }
        // Codes are whole numbers 1 to 18; 0 chooses every code.
        if (value < 0.0f || value > 18.0f || value != std::floor(value) || read.size() == 18) {
            r.fault = NumberLineFault::OutOfRange;
            r.word = field;
            return r;
        }
        read.push_back(static_cast<int32_t>(value));
    }
    codes = read;
    return r;
}

std::string code_number_line_refusal(const NumberLineReading& reading, std::string_view line) {
    std::string shown(line);
    while (!shown.empty() && (shown.back() == ' ' || shown.back() == '\r')) shown.pop_back();
    const char* what =
        reading.fault == NumberLineFault::OutOfRange ? "Not a code number: " : "Not a number: ";
    return std::string("*** ") + what + reading.word + " in \"" + shown +
           "\" -- no code was chosen, and nothing was done.";
}

// Contract: see the header.
bool read_number_whole(std::string_view text, float& value) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return false;
    const std::size_t last = text.find_last_not_of(" \t\r");
    std::string_view field = text.substr(first, last - first + 1);
    // A plus sign is the number's own sign, as a minus is.
    if (field.size() > 1 && field[0] == '+' && field[1] != '-' && field[1] != '+')
        field.remove_prefix(1);
    if (spells_special_number(field)) return false;
    const std::size_t mantissa = decimal_length(field);
    if (mantissa == 0) return false;
    std::string plain(field.substr(0, mantissa));
    if (plain.back() == '.') plain.pop_back();
    if (plain == "-" || plain.empty()) plain += "0";
    const std::string rest = upper(field.substr(mantissa));
    if (!rest.empty()) {
        std::size_t digits = 1;
        if (rest.size() > 1 && (rest[1] == '+' || rest[1] == '-')) digits = 2;
        if (rest[0] != 'E' || !all_digits(std::string_view(rest).substr(digits))) return false;
        plain += "e" + rest.substr(1);
    }
    return stored_value(plain, value);
}

std::string number_non_answer_text(std::string_view prompt, std::string_view line,
                                   std::string_view outcome) {
    const std::size_t last = line.find_last_not_of(" \t\r");
    const std::string shown = last == std::string_view::npos
                                  ? std::string("(an empty line)")
                                  : std::string(line.substr(0, last + 1));
    return "*** Not an answer to \"" + std::string(prompt) + "\": " + shown + " -- " +
           std::string(outcome);
}

// Contract: see the header.
bool name_script_number_non_answer(std::string_view prompt, std::string_view line,
                                   std::string_view outcome) {
    if (!line_from_script()) return false;
    name_untaken_line(number_non_answer_text(prompt, line, outcome));
    return true;
}

// Contract: see the header. Writes MacroUnit (0: the file closed) and MessageLine (blank).
bool refuse_file_number_line(std::string_view prompt, std::string_view line) {
    const bool cut = is_cut_line(line);
    if (!cut && read_number_line_whole(WordsInLine::None).fault == NumberLineFault::None)
        return false;
    stop_file_at_non_answer(prompt, line);
    return true;
}

// Contract: see the header.
void stop_file_at_non_answer(std::string_view prompt, std::string_view line) {
    const std::size_t last = line.find_last_not_of(" \t\r");
    stop_file_for("*** Not an answer to \"" + std::string(prompt) + "\": " +
                  (is_cut_line(line) ? cut_line_shown(line)
                                     : std::string(line.substr(
                                           0, last == std::string_view::npos ? 0 : last + 1))));
}

// Contract: see the header.
void stop_file_for(std::string_view what) {
    name_untaken_line(std::string(what) + ": the rest of the file was not read.");
    if (MacroUnit > 0 && unit_is_open(MacroUnit)) close_unit(MacroUnit);
    MacroUnit = 0;
    clear_exchange_text();
    mark_run_failed();
}

// Contract: see the header.
bool refuse_script_number_answer(std::string_view prompt, std::string_view line,
                                 std::string_view word) {
    const bool cut = is_cut_line(line);
    if (cut && !line_from_script()) {
        // Typed at the keys a cut line answers nothing either: nobody saw what it would read as.
        name_untaken_line(number_non_answer_text(
            prompt, cut_line_shown(line), std::string(word) + " ended, nothing was changed."));
        return true;
    }
    if (!line_from_script() || line.find_last_not_of(" \t\r") == std::string_view::npos)
        return false;
    if (!cut && read_number_line_whole(WordsInLine::Commas).fault == NumberLineFault::None)
        return false;
    return name_script_number_non_answer(prompt, cut ? cut_line_shown(line) : std::string(line),
                                         std::string(word) + " ended, nothing was changed.");
}

bool asks_dialog_line() {
    return MacroUnit != DefaultMacroUnit || (has_front_end() && !front_end().ShowsDialogs());
}

// Contract: see the header. Writes CommandLine, ParamBuffer, MacroUnit (0 when the file ended)
// and ApplicationClosingWord (1 when the input ended).
DialogLine read_dialog_line(std::string_view shown, std::string& as_read) {
    as_read.clear();
    if (MacroUnit != DefaultMacroUnit) {
        read_line_from_command_file(&as_read);
        if (MacroUnit == 0) return DialogLine::None;
    } else {
        const FixedText<512> prompt(shown);
        for (;;) {
            FixedText<512> typed;
            typed(1) = '\0';
            if (front_end().WaitForTypedLine(typed, prompt, 0, 0) < 0) {
                if (front_end().ApplicationClosing()) ApplicationClosingWord = 1;
                return DialogLine::None;
            }
            std::string_view line = typed.view().substr(0, typed.view().find('\0'));
            const std::size_t end = line.find_last_not_of(" \t\r");
            if (end == std::string_view::npos) continue;
            line = line.substr(0, end + 1);
            // Read as a command file's line is read, so that both give the same numbers.
            as_read = std::string(line.substr(0, 80));
            CommandLine.blank();
            CommandLine.put(1, 80, as_read);
            scan_command_line(find_trimmed_length(CommandLine.sub(1, 80)));
            break;
        }
    }
    return is_bare_x(as_read) ? DialogLine::Cancel : DialogLine::Numbers;
}

bool is_bare_x(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    const std::size_t last = line.find_last_not_of(" \t\r");
    return first != std::string_view::npos && first == last &&
           (line[first] == 'X' || line[first] == 'x');
}

std::string asking_word() {
    const std::string line = line_as_read();
    return line.substr(0, line.find_first_of(" \t"));
}

// Contract: see the header.
DialogLine read_dialog_number_line(std::string_view shown, std::string_view prompt,
                                   std::string_view word) {
    const bool from_file = MacroUnit != DefaultMacroUnit;
    std::string as_read;
    const DialogLine got = read_dialog_line(shown, as_read);
    if (got != DialogLine::Numbers) return got;
    if (from_file) return refuse_file_number_line(prompt, as_read) ? DialogLine::Refused : got;
    if (is_cut_line(as_read)) {
        const std::string outcome = std::string(word) + " ended, nothing was changed.";
        name_untaken_line(number_non_answer_text(prompt, cut_line_shown(as_read), outcome));
        return DialogLine::Refused;
    }
    const NumberLineReading reading = read_number_line_whole(WordsInLine::None);
    if (reading.fault == NumberLineFault::None) return got;
    if (!name_script_number_non_answer(prompt, as_read,
                                       std::string(word) + " ended, nothing was changed."))
        name_untaken_line(number_line_refusal(reading));
    return DialogLine::Refused;
}

}  // namespace core
