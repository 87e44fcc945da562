// Whole-number rules, the real remainder and the fixed-width numeric fields used in every
// message with numbers ("(1i3)", "(1i3.3)", "(1f7.2)").
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace core {

// INT: truncation toward zero. Values beyond the 32-bit range saturate and NaN gives 0, so
// that no stored word can cause undefined behaviour when it becomes an index or a count.
// Inline: every walk of the store reads each item's count and code through it.
inline int32_t int_of(double v) {
    if (v != v) return 0;  // NaN
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);  // truncates toward zero
}

// NINT: rounding half away from zero, saturating like int_of.
int32_t nint(double v);

// INT of a parameter held to lo..hi (lo <= hi): truncation toward zero, NaN as 0, then the
// nearer bound for a value outside. Drawers read a parameter with it where its whole number
// feeds further arithmetic, so that huge values cannot overflow there.
int32_t int_in(double v, int32_t lo, int32_t hi);

// AMOD: a - INT(a / b) * b with the quotient truncated in double precision; sign of a;
// a divisor of 0 returns a.
float amod(float a, float b);

// A parsed Fortran-style edit descriptor: Iw, Iw.m or Fw.d (a repeat count and the
// parentheses are accepted and ignored).
struct NumericFormat {
    char kind = 'I';  // 'I' or 'F'
    int width = 0;
    int digits = -1;  // m of Iw.m (minimum digits) or d of Fw.d; -1 when not given
    bool valid = false;
};

// Parses "(1i3)", "(i5)", "(1i3.3)", "(1f7.2)", "F6.3" and the like, case-insensitively.
NumericFormat parse_numeric_format(std::string_view fmt);

// The value written in exactly format.width characters, right-aligned; asterisks fill the
// width when the value does not fit. An invalid format gives an empty string.
std::string format_int(std::string_view fmt, int32_t value);
// As format_int, but a value too wide for the width is written whole (wider) rather than as
// asterisks: for replies whose value has no column to keep.
std::string format_int_whole(std::string_view fmt, int32_t value);
std::string format_real(std::string_view fmt, double value);

// Writes value without leading blanks ("(1i8)", eight asterisks when it needs more columns)
// into text from column position on, and moves position past it and one blank. Characters
// that would fall beyond the text's end are not written (position still moves on); a position
// below 1 writes nothing and leaves position as it was.
template <int N>
void int_to_text(int32_t value, FixedText<N>& text, int32_t& position) {
    if (position < 1) return;
    const std::string field = format_int("(1i8)", value);
    const std::size_t first = std::min(field.find_first_not_of(' '), field.size());
    const std::string digits = field.substr(first);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int64_t column = static_cast<int64_t>(position) + static_cast<int64_t>(i);
        if (column <= N) text(static_cast<int>(column)) = digits[i];
    }
    const int64_t next = static_cast<int64_t>(position) + static_cast<int64_t>(digits.size()) + 1;
    position = static_cast<int32_t>(std::min<int64_t>(next, INT32_MAX));
}

// A typed number as a dialog's number field reads it: word takes the whole number the text
// begins with (sign and digits, anything after them ignored); text that does not begin with a
// number, or a number outside the word's range, leaves word as it was.
void read_field_number(const std::string& text, int32_t& word);

}  // namespace core
