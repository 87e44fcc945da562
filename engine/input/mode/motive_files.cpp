// Motive files: the store at "]" (a notes line's motive is normalised first, so that the file
// holds whole tokens with their accidental letters and octave digits) and the load for "@".
#include "engine/input/mode/motive_files.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/token_scan.h"
#include "platform/paths.h"

namespace input {

namespace {

constexpr int kMotiveUnit = 11;
// A typed line holds 384 characters; a motive file one line of 256.
constexpr int32_t kLineLimit = kInputLineChars;
constexpr std::size_t kMotiveRecord = 256;
// The part of a loaded motive that is upper-cased (the modifiers read no further).
constexpr std::size_t kMotiveField = 60;
// AskYesNo's answer for Yes.
constexpr int kAnswerYes = -1;

bool is_note_letter(char c) { return c >= 'A' && c <= 'G'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool ends_token(char c) { return c == '/' || c == ':' || c == ';' || c == ']'; }

// Character at 0-based index i of s, a blank outside it.
char at(const std::string& s, std::size_t i) { return i < s.size() ? s[i] : ' '; }

// The program's name of a motive file in the work folder.
std::string motive_file_name(char name) {
    const char* ext = InputParserMode == kRhythmsMode ? ".MRH" : ".MOT";
    return std::string("\\!tmp\\") + name + ext;
}

// Diatonic step of a note letter: C 1 .. B 7.
int32_t step_of(char c) { return c >= 'C' ? c - 'B' : c - 'A' + 6; }

// Pass 1: doubled and tripled note letters become accidental letters, and a token repeated
// with "X" and a count is written out. b is the motive from its name through its "]"; false
// when the motive would outgrow the line. last_digit receives the last octave digit met.
bool write_out_letters_and_repeats(std::string& b, char& last_digit) {
    std::size_t token_start = 2;
    for (std::size_t i = 2; i + 1 < b.size();) {
        const char c = b[i];
        if (c == '/' || c == ':') {
            if (c == '/') token_start = i + 1;
            ++i;
            continue;
        }
        // Only a token's own note letter takes accidental letters: "MDD" stays a bar word.
        std::size_t lead = token_start;
        while (lead < i && (b[lead] == 'O' || b[lead] == 'P' || b[lead] == '(')) ++lead;
        if (is_note_letter(c) && i == lead && at(b, i + 1) == c) {
            if (at(b, i + 2) == c) {
                const std::size_t removed = at(b, i + 3) == c ? 2 : 1;
                b[i + 1] = removed == 2 ? 'N' : 'S';
                b.erase(i + 2, removed);
            } else {
                b[i + 1] = 'F';
            }
            i += 2;
            continue;
        }
        if (c == 'X') {
            if (i > 0 && b[i - 1] == '/') break;  // a repeat of the line's columns
            if (at(b, i + 1) >= '1' && at(b, i + 1) <= '9') {
                int32_t m = b[i + 1] - '0';
                std::size_t count_chars = 2;
                if (is_digit(at(b, i + 2))) {
                    m = m * 10 + (b[i + 2] - '0');
                    count_chars = 3;
                }
                const std::string repeated = "/" + b.substr(token_start, i - token_start);
                std::string copies;
                for (int32_t k = 1; k < m; ++k) copies += repeated;
                if (b.size() - count_chars + copies.size() > static_cast<std::size_t>(kLineLimit))
                    return false;
                b.replace(i, count_chars, copies);
                i += copies.size();
                continue;
            }
        }
        if (is_digit(c)) last_digit = c;
        ++i;
    }
    return true;
}

// Whether a token starting at i is passed over by the octave pass: rests, meters, clef and
// other words keep their text.
bool is_word_token(const std::string& b, std::size_t i) {
    const char c = b[i];
    if ((c >= 'H' && c <= 'Z') && c != 'O' && c != 'P') return true;
    const std::string_view two(b.data() + i, std::min<std::size_t>(2, b.size() - i));
    return two == "CC" || two == "CO" || two == "CU" || two == "BA" || two == "AL";
}

// Pass 2: every pitched token without an octave digit gets the current one. "P" turns on the
// nearest-note rule (a step of more than a fourth moves the octave), "O" turns it off. False
// when the motive would outgrow the line.
bool write_octave_digits(std::string& b, char digit) {
    bool tracking = false;
    int32_t previous = 0;
    int32_t reference = 0;
    std::size_t i = 2;
    while (i < b.size() && b[i] != ']') {
        while (b[i] == 'O' || b[i] == 'P') tracking = b[i++] == 'P';
        if (b[i] == ']') break;
        if (b[i] == '/' || b[i] == ':') {
            ++i;
            continue;
        }
        if (is_word_token(b, i)) {
            while (i < b.size() && !ends_token(b[i])) ++i;
            if (at(b, i) != ']') ++i;
            continue;
        }
        bool has_digit = false;
        bool has_letter = false;
        std::size_t j = i;
        for (; j < b.size() && !ends_token(b[j]); ++j) {
            if (is_digit(b[j])) {
                digit = b[j];
                has_digit = true;
            } else if (is_note_letter(b[j]) && !has_letter && !has_digit) {
                // The note letter only: an accidental "F" names no step.
                has_letter = true;
                previous = reference;
                reference = step_of(b[j]);
            }
        }
        if (!has_digit && j > i) {
            if (tracking && has_letter && previous != 0) {
                if (previous - reference > 3 && digit < '9') ++digit;
                if (reference - previous > 3 && digit > '0') --digit;
            }
            std::size_t put = i;
            while (put < j && b[put] != 'X' && b[put] != '+' && b[put] != '-') ++put;
            b.insert(put, 1, digit);
            ++j;
            if (b.size() > static_cast<std::size_t>(kLineLimit)) return false;
        }
        i = j;
        if (at(b, i) != ']') ++i;
    }
    return true;
}

// The line's characters that belong to it: up to its trimmed length, at least to position p.
std::string line_through(int32_t p) {
    const int32_t n = std::max(core::CommandLine.trimmed_length(), std::min(p, kLineLimit));
    return std::string(core::CommandLine.sub(1, n));
}

bool can_name_motive(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= ' ' || u >= 127) return false;
    return std::string_view("/\\[];,:'@-$\"").find(c) == std::string_view::npos;
}

// The next name to try after a declined overwrite: the following character codes up to "~",
// lower-case letters left out (they name the same files as capitals). A blank when none.
char next_motive_name(char c) {
    for (int32_t k = static_cast<unsigned char>(c) + 1; k <= '~'; ++k) {
        if (k >= 'a' && k <= 'z') continue;
        if (can_name_motive(static_cast<char>(k))) return static_cast<char>(k);
    }
    return ' ';
}

// Writes text as the motive file's one line (the name character is the file's).
bool write_motive_file(const std::string& path, core::UnitStatus status, const std::string& text) {
    if (!core::open_unit(kMotiveUnit, path, status, core::UnitForm::Text)) return false;
    const bool written = core::write_record(kMotiveUnit, text) == core::IoResult::Ok;
    return core::close_unit(kMotiveUnit) && written;
}

// True when the motive file at path holds text already (the line's own motive, stored as it
// was typed and now again as the line is taken). The separator after the "]" does not count:
// a motive that closes the line's last column was stored with its "/", which the line's end
// has since made ";".
bool holds_motive(const std::string& path, const std::string& text) {
    std::string record;
    bool read = false;
    if (core::open_unit(kMotiveUnit, path, core::UnitStatus::Old, core::UnitForm::Text)) {
        read = core::read_record(kMotiveUnit, record) == core::IoResult::Ok;
        core::close_unit(kMotiveUnit);
    }
    const auto trimmed = [](std::string t) {
        while (!t.empty() && t.back() == ' ') t.pop_back();
        if (t.size() >= 2 && t[t.size() - 2] == ']' && t.back() == ';') t.back() = '/';
        return t;
    };
    return read && trimmed(record) == trimmed(text);
}

// Writes the motive under its name, or after a declined overwrite under the next free name,
// saying so. line_done: the line has already ended, so the motive is written over unasked. A
// file that holds the same motive already is left as it is, unasked.
void write_motive(std::string text, bool line_done) {
    const char first = text[0];
    char name = first;
    for (;;) {
        const std::string path = motive_file_name(name);
        text[0] = name;
        if (write_motive_file(path, core::UnitStatus::New, text)) break;
        if (!platform::file_exists(path)) {
            core::report_failure("*** The motive could not be stored: " +
                                 platform::shown_path(path));
            return;
        }
        if (holds_motive(path, text)) break;
        bool over = line_done || core::MacroUnit != core::DefaultMacroUnit;
        if (!over) {
            const std::string question =
                "FILE EXISTS - Write over file? - " + platform::shown_path(path);
            over = core::front_end().AskYesNo(question.c_str(), 1) == kAnswerYes;
        }
        if (over) {
            if (write_motive_file(path, core::UnitStatus::Replace, text)) break;
            core::report_failure("*** The motive could not be stored: " +
                                 platform::shown_path(path));
            return;
        }
        name = next_motive_name(name);
        if (name == ' ') {
            core::report_failure(std::string("*** Motive ") + first +
                                 " not stored: every motive name up to \"~\" is taken.");
            return;
        }
    }
    if (name != first) core::show_notice(std::string("*** Motive stored as ") + name + ".");
}

// Fills every empty token ("//" or "/]") of the motive with a copy of the token before it,
// within the record's 256 characters.
void fill_empty_tokens(std::string& m) {
    for (std::size_t i = 3; i < m.size(); ++i) {
        if (m[i - 1] != '/' || (m[i] != '/' && m[i] != ']')) continue;
        std::size_t s = i - 1;
        while (s > 0 && m[s - 1] != '/' && m[s - 1] != '[') --s;
        const std::string copy = m.substr(s, i - 1 - s);
        if (copy.empty() || m.size() + copy.size() > kMotiveRecord) continue;
        m.insert(i, copy);
        i += copy.size();
        if (m[i] == ']') break;
    }
}

}  // namespace

// Contract: see the header. Reads CommandLine (at..end), InputParserMode and the motive file;
// writes MotiveText, ParamBuffer P2 on (P2 0 when no number follows the name), MotiveStepShift,
// and on failure SecondLine. A name that cannot make a file name is refused like a missing file.
bool load_motive(int32_t at, int32_t end) {
    end = std::min(end, core::CommandLine.size() + 1);
    int32_t p = at + 1;
    while (p < end && (core::CommandLine(p) == '-' || core::CommandLine(p) == '$')) ++p;
    const char name = p < end ? core::CommandLine(p) : ' ';

    // The numbers after the name: P2 on (the name takes the first slot, as in a command line).
    core::ParamBuffer(2) = 0.0f;
    int32_t slot = 2;
    const std::string token(core::CommandLine.sub(std::min(p + 1, end), end - 1));
    for (int32_t k = 1; k <= static_cast<int32_t>(token.size()) && slot <= 45;) {
        const char c = token[static_cast<std::size_t>(k - 1)];
        if (is_digit(c) || c == '.' ||
            ((c == '-' || c == '+') && k < static_cast<int32_t>(token.size()))) {
            const int32_t before = k;
            const float v = core::parse_number(token, k);
            if (k == before) ++k;
            core::ParamBuffer(slot++) = v;
        } else {
            ++k;
        }
    }
    MotiveStepShift = static_cast<int32_t>(core::ParamBuffer(2));

    std::string record;
    bool read = false;
    if (can_name_motive(name) && core::open_unit(kMotiveUnit, motive_file_name(name),
                                                 core::UnitStatus::Old, core::UnitForm::Text)) {
        read = core::read_record(kMotiveUnit, record) == core::IoResult::Ok;
        core::close_unit(kMotiveUnit);
    }
    if (!read) {
        core::SecondLine.set(std::string("ERROR - motive \"") + name + "\" not found.");
        core::report_failure(core::SecondLine.trimmed());
        return false;
    }
    if (record.size() > kMotiveRecord) record.resize(kMotiveRecord);
    for (std::size_t k = 0; k < record.size() && k < kMotiveField; ++k) {
        if (record[k] >= 'a' && record[k] <= 'z') record[k] = static_cast<char>(record[k] - 32);
    }
    fill_empty_tokens(record);
    MotiveText.set(record);
    return true;
}

// Contract: see the header. Reads TypedMotiveMarks.end, InputParserMode, MacroUnit; rewrites
// CommandLine (a notes line's motive normalised, the rest of the line moved with it), moves
// mark and cursor when they lie at or past the motive's "]", and writes the motive file. A
// motive that would make the line pass 384 characters is a syntax error: the line and the
// files stay as they were. A name that cannot make a file name is refused with a message.
void store_motive(int32_t& mark, int32_t& cursor) {
    // The "]" at cursor (the input mode's column), else the one the live entry recorded; the
    // name stands before the last "[" ahead of it.
    int32_t end = cursor;
    if (end < 3 || end > kLineLimit || core::CommandLine(end) != ']') end = TypedMotiveMarks.end;
    if (end < 3 || end > kLineLimit || core::CommandLine(end) != ']') return;
    int32_t start = 0;
    for (int32_t k = end - 1; k >= 2 && start == 0; --k)
        if (core::CommandLine(k) == '[') start = k - 1;
    if (start < 1) return;
    const char name = core::CommandLine(start);
    if (!can_name_motive(name)) {
        core::report_failure("*** Motive not stored: its name cannot make a file name.");
        return;
    }

    const std::string line = line_through(std::max(mark, end));
    std::string body =
        line.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start + 1));
    if (InputParserMode != kRhythmsMode) {
        char digit = TypedPlacement.octave >= 0 && TypedPlacement.octave <= 9
                         ? static_cast<char>('0' + TypedPlacement.octave)
                         : '4';
        const std::string rest = line.substr(static_cast<std::size_t>(end));
        if (!write_out_letters_and_repeats(body, digit) || !write_octave_digits(body, digit) ||
            start - 1 + body.size() + rest.size() > static_cast<std::size_t>(kLineLimit)) {
            int32_t column = end;
            syntax_error(column);
            return;
        }
        const auto delta = static_cast<int32_t>(body.size()) - (end - start + 1);
        core::CommandLine.put(start, kLineLimit, body + rest);
        if (mark >= end) mark += delta;
        if (cursor >= end) cursor += delta;
        end += delta;
    }
    const bool line_done = mark >= 2 && mark <= kLineLimit && core::CommandLine(mark) == ';' &&
                           core::CommandLine(mark - 1) != ']';
    const char after = end < core::CommandLine.size() ? core::CommandLine(end + 1) : ' ';
    write_motive(body + after, line_done);
}

}  // namespace input
