// Tokens of a typed marks line. A token is a mark word (one to three letters, "N" and a symbol
// number, or a long word that the first token's rewrite shortens) and the note numbers it
// applies to: "S 1:4" is staccato on notes 1 to 4, "-A 6" an accent on note 6 on the other side.
#include "engine/input/typed/mark_tokens.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/token_scan.h"

namespace input {

namespace {

// Note numbers from here on could not be told from a range start (1000 + n) or a mark code.
constexpr float kNoteNumberLimit = 1000.0f;
// A numbered symbol's number times 10000 must stay exact in a REAL list value.
constexpr int32_t kLargestSymbolNumber = 9999;

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
// Digits and separators belong to the note numbers and the token boundaries: a rewrite that
// would blank or overwrite one keeps it instead, so no number or token is lost.
bool is_kept(char c) { return is_digit(c) || c == '/' || c == ';' || c == ','; }

// Writes text over the line from p. keep_numbers: digits and separators in the way stay.
void write_over(int32_t p, std::string_view text, bool keep_numbers = true) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const int32_t pos = p + static_cast<int32_t>(k);
        if (pos > core::CommandLine.size()) return;
        if (keep_numbers && is_kept(core::CommandLine(pos))) continue;
        core::CommandLine(pos) = text[k];
    }
}

// The position behind the word that starts at p: a word is passed over up to its last
// character from "A" up.
int32_t behind_word(int32_t p) {
    int32_t q = p;
    while (q <= core::CommandLine.size() && line_at(q) >= 'A') ++q;
    return q;
}

// Which rows of the rewrite a position is tried against.
enum class RowSet { kAll, kNoEight, kAfterH };

// Rewrites the long mark words of the whole of CommandLine (a word at any column is read
// alike; the line's end counts as a blank) into the short words the token reader knows: "8VA" to "O", "TRILLS" to "TRS", "STAC" to "S",
// "DIM" to "DI" and so on. Writes CommandLine only. An "ACL" not followed by "S" ends the
// rewrite there (the token reader then reports it).
void rewrite_long_mark_words() {
    const int32_t e = core::CommandLine.size() + 1;
    RowSet rows = RowSet::kAll;
    int32_t p = 1;
    while (p <= e - 1) {
        const char c1 = line_at(p), c2 = line_at(p + 1), c3 = line_at(p + 2), c4 = line_at(p + 3);
        const RowSet tried = rows;
        rows = RowSet::kAll;
        int32_t next = p + 1;
        const bool after_h = tried == RowSet::kAfterH;
        switch (after_h && c1 != 'P' && c1 != 'R' && c1 != 'S' && c1 != 'T' && c1 != 'U' &&
                        c1 != 'W'
                    ? ' '
                    : c1) {
            case '8':
                if (tried != RowSet::kAll) break;
                // The "8" is the word's own digit: it is rewritten like a letter.
                if (c2 == 'V') {
                    write_over(p, "O", false);
                    write_over(p + 1, "  ");
                    next = p + 3;
                } else if (c2 == 'B') {
                    write_over(p, "O", false);
                    write_over(p + 1, "B ");
                    next = p + 3;
                } else {
                    rows = RowSet::kNoEight;
                }
                break;
            case 'A':
                if (c2 == 'S' || c2 == 'O' || c3 == 'T') {
                    next = behind_word(p);
                } else if (c2 == 'C') {
                    if (c3 == ' ') {
                        next = p + 3;
                    } else if (c4 == 'S') {
                        write_over(p, "AS  ");
                        next = p + 4;
                    } else if (c3 != 'L') {
                        write_over(p, "A  ");
                        next = p + 3;
                    } else {
                        return;
                    }
                } else if (c2 == 'R' && is_upper(c3)) {
                    // "ARC", "ARCO" and every longer letter word become "AO" (arco), the rest of
                    // the word blanked: no letter of it is left to read as a word of its own.
                    const int32_t q = behind_word(p);
                    write_over(p, "AO" + std::string(static_cast<std::size_t>(q - p - 2), ' '));
                    next = q;
                } else {
                    next = behind_word(p);
                }
                break;
            case 'C':
                if (c2 == 'R' && c3 == 'S') {
                    write_over(p, "CR ");
                    next = p + 3;
                } else if (c2 == 'R' && c3 == 'H') {
                    write_over(p, "C  ");
                    next = p + 3;
                } else if (c2 == 'R') {
                    next = behind_word(p);
                }
                break;
            case 'D':
                if (c2 == 'N') {
                    write_over(p, "D  ");
                    next = p + 3;
                } else if (c2 == 'I') {
                    write_over(p, "DI ");
                    next = p + 3;
                } else if (c2 == 'C') {
                    write_over(p, "C- ");
                    next = p + 3;
                } else {
                    next = behind_word(p);
                }
                break;
            case 'F':
                if (c2 == 'N' && c3 == 'G' && is_digit(c4)) {
                    // "FNG3" becomes "F3": the fingering's digit moves up.
                    write_over(p, "F");
                    write_over(p + 1, std::string_view(&c4, 1), false);
                    write_over(p + 2, "  ", false);
                    next = p + 4;
                } else if (c3 == 'R') {
                    write_over(p + 2, " ");
                    next = p + 3;
                } else {
                    next = behind_word(p);
                }
                break;
            case 'H':
                if (c2 == 'A') {
                    write_over(p, "H  ");
                    next = p + 3;
                } else if (c2 == 'V') {
                    write_over(p, "HW ");
                    next = p + 3;
                } else {
                    rows = RowSet::kAfterH;
                }
                break;
            case 'P':
                if (c2 == 'I' || c2 == 'Z') {
                    write_over(p, "PZ ");
                    next = p + 3;
                } else {
                    next = behind_word(p);
                }
                break;
            case 'R':
                if (c3 == 'T') {
                    write_over(p + 2, " ");
                    next = p + 3;
                }
                break;
            case 'S':
                if (c2 == 'T' && c4 == 'C') {
                    write_over(p, "S   ");
                    next = p + 4;
                } else if (c2 == 'T') {
                    write_over(p, "S  ");
                    next = p + 3;
                } else {
                    next = behind_word(p);
                }
                break;
            case 'T':
                if (c2 == 'E' && c4 == 'U') {
                    write_over(p, "T   ");
                    next = p + 4;
                } else if (c2 == 'E' && c4 == 'S') {
                    write_over(p, "TS  ");
                    next = p + 4;
                } else if (c2 == 'R' && c3 == 'E') {
                    const char c5 = line_at(p + 4);
                    if (c4 == 'M' && c5 != ' ') {
                        // "TREM2" becomes "TM2": the character after the word moves up.
                        write_over(p, "TM");
                        write_over(p + 2, std::string_view(&c5, 1), false);
                        write_over(p + 3, "  ", false);
                        next = p + 5;
                    } else {
                        write_over(p, "TM  ");
                        next = p + 4;
                    }
                } else if (c2 == 'R' && c3 == 'I' && c4 == 'L') {
                    int32_t q = p + 3;
                    while (line_at(q) == 'L') ++q;
                    const char c = line_at(q);
                    // "TRILLS" becomes "TRS": the character after the "L"s moves up.
                    write_over(p + 2, std::string_view(&c, 1), false);
                    for (int32_t k = p + 3; k <= q && k <= core::CommandLine.size(); ++k)
                        core::CommandLine(k) = ' ';
                    next = q + 1;
                }
                break;
            case 'U':
                if (c2 != ' ') {
                    write_over(p, "U  ");
                    next = p + 3;
                }
                break;
            case 'W':
                if (c2 == 'E') {
                    write_over(p, c4 == ' ' ? "W  " : "WS  ");
                    next = p + (c4 == ' ' ? 3 : 4);
                }
                break;
            default:
                break;
        }
        p = next;
    }
}

// Reads the mark word that starts at cursor (the token's end counts as a blank) into code and
// leaves cursor on the word's last character. Letters written on after a known word (such as
// "RIT" for "R") belong to it and are passed. False, with cursor on the fault, for a word that
// is not a mark.
bool read_mark_word(int32_t& cursor, int32_t& code) {
    const int32_t start = cursor;
    auto at = [start](int32_t k) {
        const int32_t pos = start + k;
        return pos < InputTokenEnd ? line_at(pos) : ' ';
    };
    const char c2 = at(1), c3 = at(2);
    int32_t length = 1;
    auto word = [&](int32_t c, int32_t n) {
        code = c;
        length = n;
    };
    switch (at(0)) {
        case 'A':
            if (c2 == 'C') {
                c3 == 'T' ? word(25, 3) : word(68, 2);
            } else if (c2 == 'R') {
                // "AR" alone is the marcato, as the input lines are saved; a longer letter word
                // is arco (the rewrite has made it "AO" already).
                is_upper(c3) ? word(67, 2) : word(15, 2);
            } else if (c2 == 'S') {
                word(9, 2);
            } else if (c2 == 'O') {
                word(67, 2);
            } else {
                word(5, 1);
            }
            break;
        case 'C':
            c2 == '-' ? word(98, 2) : c2 == 'R' ? word(63, 2) : word(97, 1);
            break;
        case 'D':
            c2 == 'I' ? word(64, 2) : word(11, 1);
            break;
        case 'F':
            if (c2 == 'P') {
                word(60, 2);
            } else if (c2 == 'E') {
                word(14, 2);
            } else if (c2 == 'F') {
                if (c3 == 'F') {
                    word(58, 3);
                } else if (is_upper(c3)) {
                    cursor = start + 2;
                    return false;
                } else {
                    word(57, 2);
                }
            } else if (c2 == 'I') {
                c3 == 'S' ? word(2, 3) : c3 == 'N' ? word(3, 3) : word(1, 2);
            } else if (is_digit(c2)) {
                word(30 + (c2 - '0'), 2);
            } else if (is_upper(c2)) {
                cursor = start + 1;
                return false;
            } else {
                word(56, 1);
            }
            break;
        case 'H':
            c2 != ' ' ? word(19, 2) : word(13, 1);
            break;
        case 'I':
            word(18, 1);
            break;
        case 'M':
            c2 == 'P' ? word(54, 2) : c2 == 'F' ? word(55, 2) : word(17, 1);
            break;
        case 'N': {
            // A numbered symbol: "N" and its number, written together.
            int32_t pos = start + 1;
            const float n =
                pos < InputTokenEnd ? core::parse_number(core::CommandLine.view(), pos) : 0.0f;
            const int32_t number = static_cast<int32_t>(n);
            if (pos == start + 1 || pos > InputTokenEnd || number < 1 ||
                number > kLargestSymbolNumber) {
                cursor = start + 1;
                return false;
            }
            word(-number, pos - start);
            break;
        }
        case 'O':
            c2 == 'B' ? word(95, 2) : word(96, 1);
            break;
        case 'P':
            if (c2 == 'P') {
                c3 != ' ' ? word(51, 3) : word(52, 2);
            } else if (c2 == 'Z') {
                word(66, 2);
            } else if (is_upper(c2)) {
                word(24, 2);
            } else {
                word(53, 1);
            }
            break;
        case 'R':
            word(65, 1);
            break;
        case 'S':
            if (c2 >= '2' && c2 <= '4') {
                word(24 + (c2 - '0'), 2);
            } else if (c2 != ' ') {
                c3 != ' ' ? word(62, 3) : word(61, 2);
            } else {
                word(7, 1);
            }
            break;
        case 'T':
            if (c2 == 'S') {
                word(10, 2);
            } else if (c2 == 'H') {
                word(16, 2);
            } else if (c2 == 'R') {
                // Trills: a letter for the accidental, "W" for a trill line, which ends the word.
                int32_t c = 20, k = 2;
                while (is_upper(at(k))) {
                    const char l = at(k++);
                    if (l == 'W') {
                        c += 100;
                        break;
                    }
                    c = l == 'S' ? 22 : l == 'N' ? 23 : 21;
                }
                word(c, k);
            } else if (is_upper(c2)) {
                // Tremolo strokes.
                if (c3 == 'E') {
                    word(91, 3);
                } else if (c3 == 'S') {
                    word(92, 3);
                } else if (c3 >= '1' && c3 <= '4') {
                    word(90 + (c3 - '0'), 3);
                } else {
                    word(93, 2);
                }
            } else {
                word(6, 1);
            }
            break;
        case 'U':
            word(12, 1);
            break;
        case 'W':
            c2 != ' ' ? word(8, 2) : word(4, 1);
            break;
        default:
            return false;
    }
    while (is_upper(at(length))) ++length;
    cursor = start + length - 1;
    return true;
}

bool starts_number(int32_t ch) {
    return is_digit(static_cast<char>(ch)) || ch == '.' || ch == '+' || ch == '-';
}

}  // namespace

// Contract: see the header. Reads nothing but its argument.
std::string mark_word(int32_t code) {
    if (code < 0) return "N" + std::to_string(-code);
    if (code >= 30 && code <= 39) return "F" + std::to_string(code - 30);
    if (code >= 91 && code <= 94) return "TM" + std::to_string(code - 90);
    if (code >= 120 && code <= 123) return mark_word(code - 100) + "W";
    static constexpr struct {
        int32_t code;
        const char* word;
    } kWords[] = {
        {1, "FI"},   {2, "FIS"},  {3, "FIN"}, {4, "W"},    {5, "A"},   {6, "T"},   {7, "S"},
        {8, "WS"},   {9, "AS"},   {10, "TS"}, {11, "D"},   {12, "U"},  {13, "H"},  {14, "FE"},
        {15, "AR"},  {16, "TH"},  {17, "M"},  {18, "I"},   {19, "HW"}, {20, "TR"}, {21, "TRF"},
        {22, "TRS"}, {23, "TRN"}, {24, "PL"}, {25, "ACT"}, {26, "S2"}, {27, "S3"}, {28, "S4"},
        {51, "PPP"}, {52, "PP"},  {53, "P"},  {54, "MP"},  {55, "MF"}, {56, "F"},  {57, "FF"},
        {58, "FFF"}, {60, "FP"},  {61, "SF"}, {62, "SFZ"}, {63, "CR"}, {64, "DI"}, {65, "R"},
        {66, "PZ"},  {67, "AO"},  {68, "AC"}, {95, "OB"},  {96, "O"},  {97, "C"},  {98, "C-"}};
    for (const auto& w : kWords) {
        if (w.code == code) return w.word;
    }
    return std::to_string(code);
}

// Contract: cursor stands on the token's first character ch (cursor 1: the line's first
// token, for which the long words of the whole line are first rewritten in CommandLine). A
// leading "+" or "-" puts the mark on the other side. Appends code x 10000 to InputTokenList
// (its MarkSideFlags slot: 1 for a side sign, -1 for one on a numbered symbol, else 0), then
// every note number but the last, a number before ":" or "'" raised by 1000 as a range start
// (not for the lines 95 to 98, whose two numbers are their ends); the last number goes to
// InputTokenValue and the cursor ends at InputTokenEnd. Bad input: an unknown word, a missing
// number, a character other than a number, a number of 1000 or more, or a negative range start
// is a syntax error (cursor 0, the line's values dropped, InputTokenValue kept). A full list
// stops the token: cursor 0, InputParseStatus -3.
namespace {

// The marks line before and after its long words were rewritten, for a syntax error that
// names it.
core::FixedText<512> g_line_before_rewrite;
core::FixedText<512> g_line_after_rewrite;

// A syntax error names the line as it was typed (its letters' case too, when the line as read
// is still at hand), not as the long words were rewritten.
void mark_syntax_error(int32_t& cursor) {
    const core::FixedText<512> rewritten = core::CommandLine;
    if (rewritten == g_line_after_rewrite) core::CommandLine = g_line_before_rewrite;
    std::string typed = core::SecondLine.trimmed();
    typed.erase(0, std::min(typed.find_first_not_of(' '), typed.size()));
    std::string upper = typed;
    for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    std::string before = core::CommandLine.trimmed();
    before.erase(0, std::min(before.find_first_not_of(' '), before.size()));
    if (!typed.empty() && before.starts_with(upper))
        core::CommandLine.set(typed + before.substr(upper.size()));
    syntax_error(cursor);
    core::CommandLine = rewritten;
}

}  // namespace

void parse_mark_token(int32_t& cursor, int32_t ch) {
    if (cursor == 1) {
        g_line_before_rewrite = core::CommandLine;
        rewrite_long_mark_words();
        g_line_after_rewrite = core::CommandLine;
        ch = core::CommandLine.code(cursor);
    }
    const int32_t end = InputTokenEnd;
    int32_t side_flag = 0;
    if (ch == '+' || ch == '-') {
        side_flag = 1;
        if (next_non_blank(ch, cursor, end)) {
            mark_syntax_error(cursor);
            return;
        }
    }
    int32_t code = 0;
    if (!read_mark_word(cursor, code)) {
        mark_syntax_error(cursor);
        return;
    }
    if (!push_input_value(static_cast<float>(code) * 10000.0f)) {
        cursor = 0;
        return;
    }
    MarkSideFlags(static_cast<int32_t>(InputTokenList(0))) = code < 0 ? -side_flag : side_flag;

    const bool line_ends = code >= 95 && code <= 98;
    bool exhausted = next_non_blank(ch, cursor, end);
    if (code == 24 && ch == 'U' && !exhausted) exhausted = next_non_blank(ch, cursor, end);
    for (;;) {
        if (exhausted || !starts_number(ch)) {
            mark_syntax_error(cursor);
            return;
        }
        int32_t pos = cursor;
        const float n = core::parse_number(core::CommandLine.view(), pos);
        if (pos == cursor || pos > end || std::fabs(n) >= kNoteNumberLimit) {
            mark_syntax_error(cursor);
            return;
        }
        const int32_t number_at = cursor;
        cursor = pos - 1;
        if (next_non_blank(ch, cursor, end)) {
            InputTokenValue = n;
            return;
        }
        float value = n;
        if (ch == ':' || ch == '\'') {
            if (!line_ends) {
                if (n < 0.0f) {
                    cursor = number_at;
                    mark_syntax_error(cursor);
                    return;
                }
                value = n + 1000.0f;
            }
            exhausted = next_non_blank(ch, cursor, end);
        } else {
            exhausted = false;
        }
        if (!push_input_value(value)) {
            cursor = 0;
            return;
        }
    }
}

}  // namespace input
