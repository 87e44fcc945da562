// Reading and scanning command lines, and the two number readers shared with the input
// languages. Command files (READ, MACRO and the filtering of their records) live in
// macro_files.cpp.
#include "engine/core/bridge/command_line.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"

namespace core {

namespace {

constexpr int kLineLength = FixedText<512>::kSize;
// Fields beyond the last all land in P(45).
constexpr int kMaxFields = 45;
// Fragments that use one another in a ring would be expanded for ever; three fragments nest at
// most three deep, so a line still starting with marks after this many passes is dropped.
constexpr int kMaxMiniMacroPasses = 8;

MiniMacroHandler g_mini_macro_handler = nullptr;
// The last line that came in, before the upper case (line_as_read).
std::string g_line_as_read;

}  // namespace

int32_t ScannedFieldCount = 0;
std::vector<ScannedField> ScannedFields;

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Characters that end a number field on a command line.
bool ends_number(char c) {
    return c == '-' || c == '+' || c == '<' || c == '>' || c == '*' || c == '/' || c == '=' ||
           c == ' ' || c == ',';
}

void set_mode_letters_from_line() {
    CommandModeLetters(1) = CommandLine.code(1);
    CommandModeLetters(2) = CommandLine.code(2);
}

// A trailing comment in a command-file line: from the first " %" (blank at 2..n-1) on. The
// comment is blanked as well as cut from n, so that removing leading blanks afterwards cannot
// pull it back inside the scanned length.
void cut_trailing_comment(int32_t& n) {
    for (int k = 2; k < n; ++k) {
        if (CommandLine(k) == ' ' && CommandLine(k + 1) == '%') {
            n = k - 1;
            CommandLine.put(k, kLineLength, "");
            return;
        }
    }
}

// Removes the leading blanks of CommandLine, moving the whole line (all 512 characters) left
// and blanking the places freed at its end; n shrinks with the line. Returns false for a blank
// line.
bool remove_leading_blanks(int32_t& n) {
    int first = 1;
    while (first <= kLineLength && CommandLine(first) == ' ') ++first;
    if (first > kLineLength) return false;
    const int shift = first - 1;
    if (shift > 0) {
        for (int k = 1; k + shift <= kLineLength; ++k) CommandLine(k) = CommandLine(k + shift);
        CommandLine.put(kLineLength - shift + 1, kLineLength, "");
        n = std::max(0, n - shift);
    }
    return true;
}

// Moves the text of a line that starts with a double quote into QuotedTextBuffer, ended by
// "~~", and turns the line into the quoted-text command. Returns false when the closing quote
// is missing: the line is then blanked apart from its first character.
bool move_quoted_text_aside() {
    int close = 0;
    for (int k = 2; k <= kLineLength; ++k) {
        if (CommandLine(k) == '"') {
            close = k;
            break;
        }
    }
    if (close == 0) {
        CommandLine.put(2, kLineLength, "");
        return false;
    }
    // close <= 512, so the text (close - 2 characters) and "~~" always fit the 512 of the buffer.
    QuotedTextBuffer.blank();
    QuotedTextBuffer.put(1, close - 2, CommandLine.sub(2, close - 1));
    QuotedTextBuffer(close - 1) = '~';
    QuotedTextBuffer(close) = '~';
    CommandLine.blank();
    CommandLine(1) = 'T';
    CommandLine(2) = '"';
    set_mode_letters_from_line();
    return true;
}

bool is_mini_macro_line() {
    const char c1 = CommandLine(1);
    return c1 == ':' || c1 == '\'' || c1 == ';' || c1 == '`';
}

// While an item is edited, doubled signs in 2..n become one: ".." the word M, "--" the word
// S, the other pairs their first character.
void fold_doubled_signs(int32_t n) {
    for (int k = 2; k < n; ++k) {
        const char c = CommandLine(k);
        if (CommandLine(k + 1) != c) continue;
        if (c != '*' && c != '+' && c != '-' && c != '.' && c != '/') continue;
        if (c == '.') CommandLine(k) = 'M';
        if (c == '-') CommandLine(k) = 'S';
        CommandLine(k + 1) = ' ';
    }
}

// A number field starts at a digit, at "." next to a digit, or at "-" before a digit or ".".
bool starts_number(int k, int n) {
    const char c = CommandLine(k);
    if (is_digit(c)) return true;
    if (c == '.')
        return (k > 1 && is_digit(CommandLine(k - 1))) || (k < n && is_digit(CommandLine(k + 1)));
    if (c == '-') return k < n && (is_digit(CommandLine(k + 1)) || CommandLine(k + 1) == '.');
    return false;
}

// Last position of the number starting at k: the one before the next delimiter, or n.
int number_end(int k, int n) {
    for (int e = k + 1; e <= n; ++e)
        if (ends_number(CommandLine(e))) return e - 1;
    return n;
}

// Reads a 12-character number field after the cuts of read_line_number: an optional sign,
// digits, an optional point and digits. Whatever does not fit that shape ends the number (a
// second sign included); a field with no digit (empty, a lone sign, a lone point) is 0.0.
float read_number_field(const char* field, int len) {
    int k = 0;
    bool negative = false;
    if (k < len && (field[k] == '+' || field[k] == '-')) {
        negative = field[k] == '-';
        ++k;
    }
    if (k >= len || !(is_digit(field[k]) || field[k] == '.')) return 0.0f;
    float value = 0.0f;
    const auto result = std::from_chars(field + k, field + len, value, std::chars_format::fixed);
    if (result.ec != std::errc()) return 0.0f;
    return negative ? -value : value;
}

}  // namespace

void set_mini_macro_handler(MiniMacroHandler handler) { g_mini_macro_handler = handler; }

std::string line_as_read() { return g_line_as_read; }

std::string named_as_read(std::string_view shown) {
    const std::size_t first = shown.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string(shown);
    const std::string_view trimmed = shown.substr(first, shown.find_last_not_of(' ') - first + 1);
    std::string upper = g_line_as_read;
    for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return upper == trimmed ? g_line_as_read : std::string(shown);
}

void keep_line_as_read(std::string_view line) {
    line = line.substr(0, line.find('\0'));
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        g_line_as_read.clear();
        return;
    }
    g_line_as_read = std::string(line.substr(first, line.find_last_not_of(' ') - first + 1));
}

// Contract: fetches the next line (from the open command file when MacroUnit is not 0, else
// the CommandLine the front-end or an ask routine filled), keeps it as read in SecondLine,
// upper-cases it, removes leading blanks, answers "ALL" with the staff range, moves quoted text
// to QuotedTextBuffer, passes mini-macro lines to their handler and scans the rest.
// Writes CommandLine, SecondLine, CommandHeader, CommandModeLetters, ParamBuffer P(1..50),
// QuotedTextBuffer; at the end of a command file also MacroUnit and FrontEndCommandBuffer.
// Bad input: a blank line leaves a blank CommandLine with all numbers 0.
void read_command_line() {
    for (int k = 1; k <= 4; ++k) CommandHeader(k) = '\0';
    for (int k = 1; k <= 50; ++k) ParamBuffer(k) = 0.0f;
    // A line left unscanned (a file name, "ALL") has no fields: the last line's are gone too.
    ScannedFields.clear();
    ScannedFieldCount = 0;
    CommandModeLetters(2) = ' ';

    const bool from_file = MacroUnit != 0;
    if (from_file && !next_command_file_line()) return;

    SecondLine = CommandLine;
    if (from_file) keep_line_as_read(CommandLine.view());
    int32_t n = 0;
    upper_case_command_line(n);
    if (from_file) cut_trailing_comment(n);

    if (!remove_leading_blanks(n)) {
        CommandHeader.blank();
        CommandModeLetters(1) = ' ';
        return;
    }
    set_mode_letters_from_line();

    if (CommandLine == "ALL") {
        float highest = 0.0f;
        float lowest = 0.0f;
        core::find_staff_range(highest, lowest);
        ParamBuffer(1) = lowest;
        ParamBuffer(4) = highest;
        return;
    }

    if (CommandLine(1) == '"' && !move_quoted_text_aside()) return;

    for (int pass = 0;; ++pass) {
        CommandHeader.set(CommandLine.sub(1, 16));
        if ((CommandLine(1) == ':' || CommandLine(1) == '\'') && CommandLine(2) == ';') return;
        if (!is_mini_macro_line()) break;
        if (g_mini_macro_handler == nullptr) return;
        if (pass == kMaxMiniMacroPasses) {
            CommandLine.blank();
            CommandHeader.blank();
            set_mode_letters_from_line();
            return;
        }
        g_mini_macro_handler(n);
        set_mode_letters_from_line();
    }

    // The rest of a G command other than GR, GU and GL is a file name: it is not scanned.
    const char c2 = CommandLine(2);
    if (CommandLine(1) == 'G' && c2 != 'R' && c2 != 'U' && c2 != 'L') return;
    scan_command_line(n);
}

// Contract: splits CommandLine(1..n) into fields (numbers, words, and the gap before a word
// that follows a blank) and writes their values into P(1..45): numbers as read, words and
// gaps 0.0. CommandLine is rewritten in place as the words with one "*" per number or gap;
// positions after the compact form up to n are blanked. Zeroes P(1..48) first.
// Bad input: n is taken within 0..512; fields beyond the 45th all land in P(45).
void scan_command_line(int32_t n) {
    n = std::clamp<int32_t>(n, 0, kLineLength);
    for (int k = 1; k <= 48; ++k) ParamBuffer(k) = 0.0f;
    ScannedFieldCount = 0;
    // The step commands "-" and "+" carry no numbers.
    if (CommandModeLetters(2) == ' ' &&
        (CommandModeLetters(1) == '-' || CommandModeLetters(1) == '+'))
        return;
    ScannedFields.clear();
    if (EditedItemNumber != 0) fold_doubled_signs(n);
    // The line as typed lies in SecondLine after its leading blanks, unless a mini macro or a
    // caller rewrote it: a character is taken as typed only where it upper-cases to the scan's.
    int lead = 0;
    while (lead < kLineLength && SecondLine(lead + 1) == ' ') ++lead;
    auto typed_char = [lead](int k) {
        const char c = CommandLine(k);
        const char t = lead + k <= kLineLength ? SecondLine(lead + k) : c;
        return (t >= 'a' && t <= 'z' ? static_cast<char>(t - 'a' + 'A') : t) == c ? t : c;
    };

    int f = 0;   // field counter
    int o = 0;   // last position written of the compact form (never beyond k)
    int s = -1;  // -1 at the start or after a number, 1 after a blank, 0 inside a word
    // Returns the field's own index: the 45th field is P45, and only fields past it write
    // over P45.
    auto open_field = [&f](float value) {
        ++f;
        const int index = f;
        ParamBuffer(f) = value;
        ScannedFieldCount = std::max(ScannedFieldCount, f);
        if (f == kMaxFields) f = kMaxFields - 1;
        return index;
    };

    int k = 1;
    while (k <= n) {
        const char c = CommandLine(k);
        if (c == ' ') {
            s = 1;
            ++k;
            continue;
        }
        if (starts_number(k, n)) {
            const int end = number_end(k, n);
            ScannedField field;
            field.number = true;
            field.column = k;
            // A control character (a NUL a rewritten line leaves) is no part of the number.
            for (int c = k; c <= end && CommandLine.code(c) >= 32; ++c) field.text += typed_char(c);
            if (end < n) field.after = CommandLine(end + 1);
            int32_t i = k;
            field.index = open_field(read_line_number(i, end));
            ScannedFields.push_back(std::move(field));
            CommandLine(++o) = '*';
            s = -1;
            k = end + 2;  // the delimiter after the number goes with it
            continue;
        }
        if (s == 1) {
            CommandLine(++o) = '*';
            open_field(0.0f);
        }
        if (s != 0) {
            const int index = open_field(0.0f);
            ScannedField word;
            word.index = index;
            word.column = k;
            ScannedFields.push_back(std::move(word));
        }
        if (CommandLine.code(k) >= 32) ScannedFields.back().text += typed_char(k);
        if (k < n) ScannedFields.back().after = CommandLine(k + 1);
        CommandLine(++o) = c;
        s = 0;
        ++k;
    }
    CommandLine.put(o + 1, n, "");
}

// Contract: the value of the number in CommandLine(i:j), of which at most the first 12
// characters count. From the left, signs and digits are kept up to a "." (after which only
// digits are kept) or up to any other character, which becomes "." and ends the field; so
// 12RHW reads 12.0 and 1.2.3 reads 1.2. i becomes j + 1.
// Bad input: an empty field, a lone sign or point reads 0.0; characters past 512 read as
// blanks; i below 1 is a defect of the caller.
float read_line_number(int32_t& i, int32_t j) {
    char field[12];
    int len = 0;
    for (int k = i; k <= j && len < 12; ++k) field[len++] = k <= kLineLength ? CommandLine(k) : ' ';
    std::fill(field + len, field + 12, ' ');
    i = j + 1;

    int p = 0;
    while (p < 12 && (is_digit(field[p]) || field[p] == '+' || field[p] == '-')) ++p;
    if (p < 12) {
        if (field[p] == '.') {
            ++p;
            while (p < 12 && is_digit(field[p])) ++p;
            std::fill(field + p, field + 12, ' ');
        } else {
            field[p] = '.';
            std::fill(field + p + 1, field + 12, ' ');
            ++p;
        }
    }
    return read_number_field(field, p);
}

// Contract: reads a signed decimal number from text at the 1-based position pos, looking at
// most 11 characters ahead: a leading "+" is skipped, each "-" before the digits flips the
// sign, blanks after a sign (or after a point that comes before any digit) are skipped, digits
// and one point make the value, and the first other character (or the end of text) ends it.
// pos then stands on that ending character.
// Bad input: no digit before the end, a leading blank, or no end within 11 characters give
// 0.0 and leave pos where it was; so does a pos outside the text.
float parse_number(std::string_view text, int32_t& pos) {
    if (pos < 1 || static_cast<std::size_t>(pos) > text.size()) return 0.0f;
    const std::size_t start = static_cast<std::size_t>(pos) - 1;
    const std::size_t limit = std::min(text.size(), start + 11);

    bool negative = false;
    bool in_signs = true;  // only signs (and blanks after them) so far
    bool after_sign = false;
    bool point = false;
    bool any_digit = false;
    int64_t digits = 0;
    int decimals = 0;
    std::size_t k = start;
    for (; k < limit; ++k) {
        const char c = text[k];
        if (in_signs && c == '+' && k == start) {
            after_sign = true;
        } else if (in_signs && c == '-') {
            negative = !negative;
            after_sign = true;
        } else if (c == ' ' && ((in_signs && after_sign) || (point && !any_digit))) {
            // skipped
        } else if (is_digit(c)) {
            digits = digits * 10 + (c - '0');
            if (point) ++decimals;
            any_digit = true;
            in_signs = false;
        } else if (c == '.' && !point) {
            point = true;
            in_signs = false;
        } else {
            break;
        }
    }
    // The ending character (or the end of the text) must lie within the 11 characters.
    const bool ended = k < start + 11;
    if (!ended || !any_digit) return 0.0f;
    double scale = 1.0;  // at most 10 decimals: exact in double
    for (int d = 0; d < decimals; ++d) scale *= 10.0;
    const double value = static_cast<double>(digits) / scale;
    pos += static_cast<int32_t>(k - start);
    return static_cast<float>(negative ? -value : value);
}

}  // namespace core
