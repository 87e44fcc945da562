// The header and footer boxes of a printed page: the document's name, the project text, the
// date and time of the print and the print settings, in a ruled box at the top or bottom of
// the paper (in points: these lines come before the page procedure scales anything).
#include <algorithm>
#include <array>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "output/ps_display_list.h"
#include "output/ps_document.h"
#include "output/tables.h"

namespace output {

namespace {

std::string i5(int32_t v) { return core::format_int("(1i5)", v); }
std::string i2(int32_t v) { return core::format_int("(1i2.2)", v); }

// The text as a PostScript string's inside: "\", "(" and ")" escaped, so that a lone
// parenthesis or a trailing backslash cannot end the string early.
std::string ps_string_text(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '(' || c == ')') out += '\\';
        out += c;
    }
    return out;
}

// The file-name field: at most 26 characters of the document's name (cut at its first
// character below blank), escaped, at least 28 wide.
std::string file_name_field() {
    std::string name;
    for (int i = 1; i <= 26; ++i) {
        const char c = core::CurrentFileName(i);
        if (static_cast<unsigned char>(c) < ' ') break;
        name += c;
    }
    std::string field = ps_string_text(name);
    if (field.size() < 28) field.resize(28, ' ');
    return field;
}

// One box with its baseline at y (points). False once the job is aborted.
bool write_box(int32_t y, const PrintDate& date) {
    const int32_t text_y = y - 9;
    const auto& out = OutputSettings;
    if (!write_ps_line(" 20" + i5(y) + " m 590" + i5(y) + " l 590" + i5(y - 11) + " l 20" +
                       i5(y - 11) + " l closepath"))
        return false;
    for (const int32_t x : {211, 327, 401, 450}) {
        if (!write_ps_line(i5(x) + i5(y) + " m" + i5(x) + i5(y - 11) + " l")) return false;
    }
    if (!write_ps_line(" s")) return false;
    if (!write_ps_line(" save /Times-Roman f [8.5 0 0 9 0 0] mkf sf")) return false;
    if (!write_ps_line(" 22" + i5(text_y) + " m(KELDA File:)sh 213" + i5(text_y) +
                       " m(Project:)sh"))
        return false;
    if (!write_ps_line(" 329" + i5(text_y) + " m(File Date:)sh 403" + i5(text_y) +
                       " m(Time:)sh  453" + i5(text_y) + " m(Print data:)sh restore"))
        return false;
    if (!write_ps_line(" save /Helvetica-Bold f [9 0 0 9 0 0] mkf sf")) return false;
    const std::string project = ps_string_text(PrintParameters.header_footer_text.view());
    if (!write_ps_line(" 69" + i5(text_y) + " m(" + file_name_field() + ")sh 241" + i5(text_y) +
                       " m(" + project + ")sh"))
        return false;
    if (!write_ps_line(" 425" + i5(text_y) + " m(" + i2(date.hour) + ":" + i2(date.minute) +
                       ")sh 363" + i5(text_y) + " m(" + i2(date.month) + "-" + i2(date.day) + "-" +
                       i2(date.year % 100) + ")sh"))
        return false;
    const bool metric = core::MetricFlag == 1;
    const float unit = metric ? 2.54f : 1.0f;
    const std::string_view offset_format = metric ? "(1f6.1)" : "(1f6.2)";
    const auto& offsets = PrintParameters.engine_offsets;
    return write_ps_line(" 490" + i5(text_y) + " m(" + core::format_real("(1f4.2)", out.size) +
                         core::format_real(offset_format, offsets(1) * unit) +
                         core::format_real(offset_format, offsets(2) * unit) + i5(out.resolution) +
                         core::format_int("(1i2)", PostScriptState.header_line_width) +
                         ")sh restore");
}

}  // namespace

// Contract: see the header. Reads OutputSettings (mode, baselines, size, resolution),
// PrintParameters (paper, offsets, header text), PostScriptState.header_line_width and
// CurrentFileName; writes through write_ps_line and stops at the first failed write.
void write_header_footer() {
    const int32_t mode = OutputSettings.header_footer;
    if (mode == 0) return;
    const PrintDate date = stamp_print_date();
    if (mode != 2) {
        const int32_t paper = PrintParameters.current_paper_type;
        const int32_t raise = paper == 2 ? 216 : (paper == 3 ? 432 : 0);
        if (!write_box(OutputSettings.header_baseline + raise, date)) return;
    }
    if (mode != 1) write_box(OutputSettings.footer_baseline, date);
}

// Contract: see the header. The boxes of write_header_footer: x from 20 to 590, each from 11
// points below its baseline up to it.
bool header_footer_extent(std::array<int32_t, 4>& box) {
    const int32_t mode = OutputSettings.header_footer;
    if (mode == 0) return false;
    std::vector<int32_t> baselines;
    if (mode != 2) {
        const int32_t paper = PrintParameters.current_paper_type;
        baselines.push_back(OutputSettings.header_baseline +
                            (paper == 2 ? 216 : (paper == 3 ? 432 : 0)));
    }
    if (mode != 1) baselines.push_back(OutputSettings.footer_baseline);
    const auto [low, high] = std::minmax_element(baselines.begin(), baselines.end());
    box = {19, *low - 12, 591, *high + 1};
    return true;
}

// Contract: see the header. The local time of the system clock; zeros when it cannot be had.
PrintDate stamp_print_date() {
    PrintDate d;
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &parts) == nullptr) return d;
    d.year = parts.tm_year + 1900;
    d.month = parts.tm_mon + 1;
    d.day = parts.tm_mday;
    d.hour = parts.tm_hour;
    d.minute = parts.tm_min;
    return d;
}

}  // namespace output
