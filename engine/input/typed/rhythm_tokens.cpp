#include "engine/input/typed/rhythm_tokens.h"

#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/token_scan.h"

namespace input {

namespace {

constexpr int32_t kLineSize = core::FixedText<512>::kSize;

// The rhythm letters with the divisions of a whole note they stand for; "G" only opens a token.
constexpr std::string_view kRhythmLetters = "GSTEQHWD";
constexpr float kDivisions[] = {0.0625f, 16.0f, 12.0f, 8.0f, 4.0f, 2.0f, 1.0f, 0.5f};
// A "T" before another letter: three in the time of two; before a second "T", 48.
constexpr float kTripletFactor = 1.5f;
constexpr float kTripletOfTriplets = 48.0f;

constexpr float kGroupingMark = 9999.0f;
constexpr int32_t kGroupingCursor = 999;
constexpr float kPlusMark = 10000.0f;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The division of rhythm letter c; letters after a token's first are looked up from "S" on.
// Returns 0 when c is not one.
float division_of(char c, bool first_letter) {
    const std::size_t k = kRhythmLetters.find(c);
    if (k == std::string_view::npos || (k == 0 && !first_letter)) return 0.0f;
    return kDivisions[k];
}

// The first position at or after p that is not blank (kLineSize + 1 at most).
int32_t skip_blanks(int32_t p) {
    while (p >= 1 && p <= kLineSize && core::CommandLine(p) == ' ') ++p;
    return p;
}

// An unsigned number of a rhythm: digits, and a point only when a digit follows it (a point
// after digits is a dot). p moves past it; false when no number stands at p.
bool read_rhythm_number(int32_t& p, float& value) {
    double v = 0.0;
    bool any = false;
    while (is_digit(line_at(p))) {
        v = v * 10.0 + (line_at(p) - '0');
        any = true;
        ++p;
    }
    if (line_at(p) == '.' && is_digit(line_at(p + 1))) {
        ++p;
        double scale = 0.1;
        while (is_digit(line_at(p))) {
            v += scale * (line_at(p) - '0');
            scale *= 0.1;
            any = true;
            ++p;
        }
    }
    value = static_cast<float>(v);
    return any;
}

// A signed number of the pair and repeat tokens at p (blanks before it skipped); p moves past
// it. False when none stands there before the token's end.
bool read_token_number(int32_t& p, float& value) {
    p = skip_blanks(p);
    if (p >= InputTokenEnd) return false;
    const int32_t start = p;
    value = core::parse_number(core::CommandLine.view(), p);
    return p > start;
}

// The "X a b" and "RP a b" tokens: the last a entries b times in all, nothing pushed. A count
// that is missing or below 1 is a syntax error (it would push a stale value).
void read_repeat_pair(int32_t& cursor, int32_t p) {
    float a = 0.0f;
    float b = 0.0f;
    if (!read_token_number(p, a) || !read_token_number(p, b) || std::trunc(b) < 1.0f) {
        syntax_error(p);
        cursor = 0;
        return;
    }
    RepeatSpan = static_cast<int32_t>(a);
    RepeatTimes = -static_cast<int32_t>(b);
    cursor = InputTokenEnd;
}

// One duration at p with its dots: a ratio "a:b" (b / a quarters), a rhythm letter (with the
// triplet "T" before another), or a number n (4 / n). Dots standing at the end of the scanned
// stretch belong to it and are blanked in CommandLine so that they count once. p moves past
// the duration; false (after syntax_error) on a fault.
bool read_duration(int32_t& p, bool first_letter, float& duration, int32_t& dots) {
    // The stretch: digits, letters, ratio marks and dots; the dots after its last digit or
    // letter are the duration's.
    dots = 0;
    int32_t s = p;
    for (; s < InputTokenEnd; ++s) {
        const char c = line_at(s);
        if (is_digit(c) || division_of(c, true) > 0.0f) {
            dots = 0;
        } else if (c == '.') {
            ++dots;
        } else if (c != ':' && c != '\'') {
            break;
        }
    }
    const char c = line_at(p);
    if (!is_digit(c) && c != '.' && division_of(c, first_letter) == 0.0f) {
        syntax_error(p);
        return false;
    }
    for (int32_t k = 1; k <= dots; ++k) core::CommandLine(s - k) = ' ';

    if (is_digit(c) || c == '.') {
        int32_t q = p;
        float a = 0.0f;
        if (!read_rhythm_number(q, a) || a == 0.0f) {
            syntax_error(q);
            return false;
        }
        if (line_at(q) == ':' || line_at(q) == '\'') {
            ++q;
            float b = 0.0f;
            if (!read_rhythm_number(q, b)) {
                syntax_error(q);
                return false;
            }
            duration = b / a;
        } else {
            duration = 4.0f / a;
        }
        p = q;
    } else {
        float division = division_of(c, first_letter);
        const char next = line_at(p + 1);
        if (c == 'T' && next == 'T' && p + 1 < InputTokenEnd) {
            division = kTripletOfTriplets;
            ++p;
        } else if (c == 'T' && p + 1 < InputTokenEnd && division_of(next, false) > 0.0f) {
            division = division_of(next, false) * kTripletFactor;
            ++p;
        } else if (c == 'T') {
            const char before = line_at(p - 1);
            if (p > 1 && before != '[' && before != ':' && before != ' ' && before != '/' &&
                before != ',') {
                syntax_error(p);
                return false;
            }
        }
        duration = 4.0f / division;
        ++p;
    }
    // Each dot halves the last addition and adds it again.
    float h = duration;
    for (int32_t k = 0; k < dots; ++k) {
        h *= 0.5f;
        duration += h;
    }
    return true;
}

// The beat grouping from position start: list 9999, the first number; the pickup after the "B"
// ("3B1", "3B 1"; 0 when the token ends there) in InputTokenValue; cursor 999 ends the line.
void read_beat_grouping(int32_t& cursor, int32_t start) {
    int32_t p = start;
    InputTokenValue = 0.0f;
    const float first = core::parse_number(core::CommandLine.view(), p);
    p = skip_blanks(p);
    if (line_at(p) == 'B') p = skip_blanks(p + 1);
    if (p < InputTokenEnd) InputTokenValue = core::parse_number(core::CommandLine.view(), p);
    InputTokenList(2) = first;
    InputTokenList(1) = kGroupingMark;
    InputTokenList(0) = 2.0f;
    cursor = kGroupingCursor;
}

// The beat digit of the current meter for a "B" or "A" line; blank when none fits.
char beat_digit() {
    const int32_t n = CurrentMeter.numerator;
    const int32_t d = CurrentMeter.denominator;
    if (n == 99 || d == 0 || d == 4 || (d == 8 && (n == 8 || n == 2 || n == 4))) return '2';
    if (d == 2 || n == 98) return '4';
    if (d == 1) return '8';
    if (d == 8 && (n == 12 || n == 9 || n == 3 || n == 6)) return '3';
    return ' ';
}

// A line that does not open with "B" or "A" is a beat grouping when its first "." or digit
// within ten columns is followed there by a "B" (not before "[", not after "@"). Returns the
// grouping's start, or 0.
int32_t grouping_start_in_line() {
    constexpr int32_t kSearched = 10;
    int32_t start = 0;
    for (int32_t p = 1; p <= kSearched; ++p) {
        if (is_digit(line_at(p)) || line_at(p) == '.') {
            start = p;
            break;
        }
    }
    if (start == 0) return 0;
    for (int32_t p = start; p <= kSearched; ++p) {
        if (line_at(p) == 'B' && line_at(p + 1) != '[' && line_at(p - 1) != '@') return start;
    }
    return 0;
}

}  // namespace

// Contract: see the header. Reads CommandLine from cursor to InputTokenEnd and blanks the dots
// it has counted; writes InputTokenValue, or RepeatSpan and RepeatTimes for "X a b" and
// "RP a b" and after a duration's "X n". A character that starts no duration, an "R" without
// "P", a lone "T" inside other text, a zero divisor ("0", "0:n") and anything left in the token
// after its durations are syntax errors (cursor 0, InputTokenValue unchanged).
void parse_rhythm_token(int32_t& cursor, int32_t ch) {
    const char c = static_cast<char>(ch);
    if (c == 'X') {
        read_repeat_pair(cursor, cursor + 1);
        return;
    }
    if (c == 'R') {
        if (line_at(cursor + 1) != 'P') {
            syntax_error(cursor);
            return;
        }
        read_repeat_pair(cursor, cursor + 2);
        return;
    }

    float total = 0.0f;
    int32_t marker = 0;
    int32_t p = cursor;
    bool first = true;
    for (;;) {
        float duration = 0.0f;
        int32_t dots = 0;
        if (!read_duration(p, first, duration, dots)) {
            cursor = 0;
            return;
        }
        marker = (total == 0.0f) ? dots : 0;
        total += duration;
        first = false;

        p = skip_blanks(p);
        if (p >= InputTokenEnd) break;
        const char next = line_at(p);
        if (next == 'X') {
            int32_t q = p + 1;
            float times = 0.0f;
            if (!read_token_number(q, times)) {
                syntax_error(q);
                cursor = 0;
                return;
            }
            RepeatTimes = static_cast<int32_t>(times);
            p = InputTokenEnd;
            break;
        }
        if (!is_digit(next) && next != '.' && division_of(next, false) == 0.0f) {
            // Text after the durations would otherwise be read as tokens of its own.
            syntax_error(p);
            cursor = 0;
            return;
        }
    }
    InputTokenValue = total + 1000.0f * static_cast<float>(marker);
    cursor = p;
}

// Refuses a pair, naming what was not read: the token's text from `from` on, or the whole token
// when nothing stands there (a number without its partner).
void refuse_pair(int32_t& cursor, int32_t at, int32_t from) {
    auto token_text = [](int32_t start) {
        start = skip_blanks(start);
        if (start >= InputTokenEnd) return std::string();
        std::string text(core::CommandLine.view().substr(start - 1, InputTokenEnd - start));
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    };
    std::string rest = token_text(from);
    if (rest.empty()) rest = token_text(cursor);
    syntax_error(at, "Not read: " + rest +
                         "  (a pair is two numbers; pairs are separated by \"/\": 2 3/5 6;)");
    cursor = 0;
}

// Contract: see the header. Reads CommandLine and CurrentMeter; appends through
// push_input_value (a refused append stops the line: cursor 0, InputParseStatus -3); writes
// InputTokenValue, and for a beat grouping InputTokenList's first two values and count and the
// line's first three characters. A pair without its two numbers, or with more text after them,
// is a syntax error; the second names the text left over.
void parse_pair_token(int32_t& cursor) {
    const char c1 = line_at(1);
    const bool beat_line = (c1 == 'B' || c1 == 'A') && line_at(2) != '[';
    if (InputParserMode != kSlursMode) {
        if (beat_line) {
            const char digit = beat_digit();
            if (digit == ' ') {
                cursor = 0;
                return;
            }
            core::CommandLine(1) = digit;
            core::CommandLine(2) = 'B';
            core::CommandLine(3) = ';';
            read_beat_grouping(cursor, 1);
            return;
        }
        const int32_t start = grouping_start_in_line();
        if (start > 0) {
            read_beat_grouping(cursor, start);
            return;
        }
    }

    int32_t p = cursor;
    bool plus = false;
    if (line_at(p) == '+') {
        plus = true;
        ++p;
    }
    float a = 0.0f;
    if (!read_token_number(p, a)) {
        refuse_pair(cursor, p, p);
        return;
    }
    p = skip_blanks(p);
    // "7:11" (a typed "7'11" reads the same) joins the two numbers as a blank does.
    if (line_at(p) == ':' && p < InputTokenEnd) p = skip_blanks(p + 1);
    if (line_at(p) == '+' && p < InputTokenEnd) {
        plus = true;
        ++p;
    }
    float b = 0.0f;
    if (!read_token_number(p, b)) {
        refuse_pair(cursor, p, p);
        return;
    }
    p = skip_blanks(p);
    if (p < InputTokenEnd) {
        // More than two numbers between separators: the rest would be dropped unseen.
        refuse_pair(cursor, p, p);
        return;
    }
    if (!push_input_value(plus ? a + kPlusMark : a)) {
        cursor = 0;
        return;
    }
    InputTokenValue = b;
    cursor = InputTokenEnd;
}

}  // namespace input
