#include "engine/core/numeric.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/core/field_number.h"

namespace core {

int32_t nint(double v) {
    if (std::isnan(v)) return 0;
    return int_of(v < 0 ? v - 0.5 : v + 0.5);
}

int32_t int_in(double v, int32_t lo, int32_t hi) {
    const int32_t i = int_of(v);
    return i < lo ? lo : (i > hi ? hi : i);
}

float amod(float a, float b) {
    if (b == 0.0f) return a;
    // Truncating in double keeps large quotients exact where a 32-bit whole number would wrap.
    const double q = std::trunc(static_cast<double>(a) / static_cast<double>(b));
    return static_cast<float>(static_cast<double>(a) - q * static_cast<double>(b));
}

NumericFormat parse_numeric_format(std::string_view fmt) {
    NumericFormat f;
    std::size_t i = 0;
    auto skip_blanks = [&] {
        while (i < fmt.size() && fmt[i] == ' ') ++i;
    };
    auto read_int = [&](int& out) {
        std::size_t start = i;
        int v = 0;
        while (i < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[i])) && v < 1000) {
            v = v * 10 + (fmt[i] - '0');
            ++i;
        }
        out = v;
        return i > start;
    };
    skip_blanks();
    if (i < fmt.size() && fmt[i] == '(') ++i;
    skip_blanks();
    int repeat = 0;
    read_int(repeat);
    if (i >= fmt.size()) return f;
    const char k = static_cast<char>(std::toupper(static_cast<unsigned char>(fmt[i])));
    if (k != 'I' && k != 'F') return f;
    f.kind = k;
    ++i;
    if (!read_int(f.width) || f.width < 1) return f;
    if (i < fmt.size() && fmt[i] == '.') {
        ++i;
        if (!read_int(f.digits)) return f;
    }
    skip_blanks();
    if (i < fmt.size() && fmt[i] != ')') return f;
    if (k == 'F' && f.digits < 0) return f;
    f.valid = true;
    return f;
}

namespace {

std::string fit(const std::string& body, int width) {
    if (static_cast<int>(body.size()) > width)
        return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - body.size(), ' ') + body;
}

}  // namespace

std::string format_int(std::string_view fmt, int32_t value) {
    const NumericFormat f = parse_numeric_format(fmt);
    if (!f.valid) return {};
    if (f.kind == 'F') return format_real(fmt, value);
    const bool neg = value < 0;
    const long long mag = neg ? -static_cast<long long>(value) : value;
    std::string digits = std::to_string(mag);
    if (f.digits == 0 && value == 0) digits.clear();  // Iw.0 writes nothing for zero
    if (f.digits > 0 && static_cast<int>(digits.size()) < f.digits)
        digits.insert(0, static_cast<std::size_t>(f.digits) - digits.size(), '0');
    if (neg) digits.insert(0, 1, '-');
    return fit(digits, f.width);
}

std::string format_int_whole(std::string_view fmt, int32_t value) {
    const std::string field = format_int(fmt, value);
    if (field.empty() || field.front() != '*') return field;
    // Too wide: the same digits in a field just wide enough (an int32 needs at most 11).
    NumericFormat f = parse_numeric_format(fmt);
    const int width = std::max(f.digits + 1, 11);
    std::string whole = format_int(
        "(i" + std::to_string(width) + (f.digits >= 0 ? "." + std::to_string(f.digits) : "") + ")",
        value);
    whole.erase(0, whole.find_first_not_of(' '));
    return whole;
}

std::string format_real(std::string_view fmt, double value) {
    const NumericFormat f = parse_numeric_format(fmt);
    if (!f.valid) return {};
    if (f.kind == 'I') return format_int(fmt, nint(value));
    if (!std::isfinite(value)) return std::string(static_cast<std::size_t>(f.width), '*');
    char buf[512];
    const int d = f.digits > 60 ? 60 : f.digits;
    std::snprintf(buf, sizeof buf, "%.*f", d, value);
    std::string body(buf);
    if (d == 0) body.push_back('.');  // Fw.0 still shows its decimal point ("1000.")
    // The leading zero before the point is optional: dropped when that is what makes it fit.
    if (static_cast<int>(body.size()) > f.width) {
        if (body.rfind("0.", 0) == 0)
            body.erase(0, 1);
        else if (body.rfind("-0.", 0) == 0)
            body.erase(1, 1);
    }
    return fit(body, f.width);
}

FieldNumber read_field_word(const std::string& text, int32_t& word) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin) return FieldNumber::NoNumber;
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return FieldNumber::PastRange;
    word = static_cast<int32_t>(value);
    return FieldNumber::Taken;
}

void read_field_number(const std::string& text, int32_t& word) { read_field_word(text, word); }

}  // namespace core
