// EPS items: the name, the bounding box, the screen outline and the PostScript wrapper.
#include "engine/render/page/eps_items.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace render {

namespace {

// Tries of the name question that may come back blank before it is given up: a front-end
// that keeps answering OK with nothing would otherwise hold the engine for ever.
constexpr int kBlankAnswerTries = 100;

// Names told missing; each is told again only after its file was found once more.
std::set<std::string> g_reported_missing;

std::string trim_right(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0' || s.back() == '\r'))
        s.remove_suffix(1);
    return std::string(s);
}

// Splits the file's text into lines at LF, CR LF or CR; false when it cannot be read.
bool read_lines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    lines.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return true;
}

bool is_number_start(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == ',' || c == '-' || c == '.' || c == '/';
}

// The first four numbers of a "%%BoundingBox" line from its 15th character on; false when it
// holds fewer (such as "(atend)").
bool box_numbers(const std::string& line, float box[4]) {
    float found[4] = {};
    int count = 0;
    int32_t pos = 15;
    const int32_t end = static_cast<int32_t>(line.size());
    while (pos <= end && count < 4) {
        if (!is_number_start(line[static_cast<std::size_t>(pos) - 1])) {
            ++pos;
            continue;
        }
        const int32_t before = pos;
        const float v = core::parse_number(line, pos);
        if (pos == before) {
            ++pos;  // a sign or separator that starts no number
            continue;
        }
        found[count++] = v;
    }
    if (count < 4) return false;
    std::copy(found, found + 4, box);
    return true;
}

// The stored item the drawer works on: the item being drawn in a page redraw (ItemCount), or
// the edited item; it must be a code 15 record in the same place as ParamBuffer. 0 when none.
int32_t stored_item() {
    const auto& p = core::ParamBuffer;
    const int32_t candidates[2] = {core::ItemCount, std::abs(core::EditedItemNumber)};
    for (const int32_t k : candidates) {
        if (k < 1 || k >= core::kItemStartEntries) continue;
        const int32_t s = core::ItemStartTable(k);
        if (s < 1 || s >= core::ItemWordsUsed) continue;
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 4 || s + n >= core::ItemWordsUsed + 1 || s + n > core::kItemStoreWords) continue;
        bool same = true;
        for (int j = 1; j <= 4; ++j) same = same && core::ItemStore(s + j) == p(j);
        if (same && p(1) == 15.0f) return k;
    }
    return 0;
}

// True when EditItemParams holds the item in ParamBuffer (the stored item k or the preview).
bool is_edited_item(int32_t k) {
    if (core::EditedItemNumber == 0) return false;
    if (k != 0 && std::abs(core::EditedItemNumber) == k) return true;
    for (int j = 1; j <= 4; ++j)
        if (core::EditItemParams(j) != core::ParamBuffer(j)) return false;
    return true;
}

// Writes words first..last of ParamBuffer into the stored item k (grown as needed; a store
// too full to grow takes nothing) and into the edit buffer when it holds the item. The item
// being edited is left as stored: its working copy takes the words, and storing the edit puts
// them on the page after the edit's undo copy, so that UNDO gives the item back as it was.
void write_back(int32_t k, int first, int last) {
    const bool edited = k != 0 && std::abs(core::EditedItemNumber) == k;
    if (edited) {
        for (int j = first; j <= last; ++j) core::EditItemParams(j) = core::ParamBuffer(j);
        return;
    }
    if (k != 0) {
        int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        const bool room = n >= last || core::resize_item(k, static_cast<float>(last));
        if (room) {
            s = core::ItemStartTable(k);
            for (int j = first; j <= last; ++j) core::ItemStore(s + j) = core::ParamBuffer(j);
        }
    }
    if (is_edited_item(k))
        for (int j = first; j <= last; ++j) core::EditItemParams(j) = core::ParamBuffer(j);
    core::ChangesMadeFlag = 1;
}

// The folder part of a name (up to its last "\", "/" or ":"), and its file part.
std::size_t file_part_start(std::string_view name) {
    const std::size_t cut = name.find_last_of("\\/:");
    return cut == std::string_view::npos ? 0 : cut + 1;
}

bool is_file(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void report_missing(std::string_view name, bool from_copier) {
    if (!g_reported_missing.insert(std::string(name)).second) return;
    if (from_copier) {
        core::report_failure("File not found: " + std::string(name));
    } else {
        core::report_failure("File not found --> " + trim_right(name));
    }
}

// Asks once: the answer without trailing blanks, or false on Cancel / the end of the file.
bool ask_once(const std::string& preset, bool from_file, std::string& answer) {
    if (from_file) {
        if (!core::next_command_file_line()) return false;
        answer = trim_right(core::CommandLine.view());
        return true;
    }
    core::FrontEndPathBuffer.set(preset);
    core::FrontEndCommandBuffer.set(std::string_view(preset).substr(
        0, std::min<std::size_t>(preset.size(), core::kFrontEndCommandChars)));
    const int result = core::front_end().RunEpsFileNameDialog();
    const std::string whole = trim_right(core::FrontEndPathBuffer.view());
    const std::string short_answer = trim_right(core::FrontEndCommandBuffer.view());
    core::FrontEndPathBuffer.blank();
    core::FrontEndCommandBuffer.blank();
    if (result == 2) return false;
    // The whole-path buffer holds the answer when the front-end filled it; a front-end that
    // answers only in the short buffer leaves the preset there, which its answer then differs
    // from.
    const std::string head = trim_right(std::string_view(whole).substr(
        0, std::min<std::size_t>(whole.size(), core::kFrontEndCommandChars)));
    answer = !whole.empty() && head == short_answer ? whole : short_answer;
    return true;
}

float scale_or(float v, float otherwise) { return v == 0.0f ? otherwise : v; }

bool box_is_zero() {
    const auto& p = core::ParamBuffer;
    return p(7) == 0.0f && p(8) == 0.0f && p(9) == 0.0f && p(10) == 0.0f;
}

// The page values the wrapper writes: the PostScript writer's, or the screen's.
RenderHooksRecord::EpsPageValues page_values(int32_t staff) {
    RenderHooksRecord::EpsPageValues v;
    v.staff_base_units = static_cast<float>(staff_base_y(staff));
    v.staff_base_points = v.staff_base_units * v.points_per_unit;
    run_hook(RenderHooks.eps_page_values, v);
    return v;
}

void write_line(const std::string& line) { run_hook(RenderHooks.write_ps_line, line); }

// A number of the wrapper in its fixed field, always after a blank so that it never runs
// into the name or number before it: a value that fills or overflows its field is written
// whole after one blank instead.
std::string f(std::string_view fmt, float v) {
    std::string text = core::format_real(fmt, v);
    if (!text.empty() && text[0] == ' ' && text.find('*') == std::string::npos) return text;
    const std::size_t dot = fmt.find('.');
    const int decimals =
        dot != std::string_view::npos && dot + 1 < fmt.size() ? fmt[dot + 1] - '0' : 3;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, " %.*f", decimals, std::isfinite(v) ? v : 0.0f);
    return buffer;
}

}  // namespace

std::string eps_name_from_params() {
    char chars[kEpsNameChars];
    std::memcpy(chars, core::ParamBuffer.at(kEpsNameWord), sizeof chars);
    const std::string name(chars, sizeof chars);
    return trim_right(name.substr(0, std::min(name.find('\0'), name.size())));
}

// Contract: see the header. The words past the name are blanked; P13 is left to the caller.
bool store_eps_name(std::string_view name) {
    if (name.size() > static_cast<std::size_t>(kEpsNameChars)) {
        core::report_failure("*** EPS file name longer than 128 characters: not taken.");
        return false;
    }
    char chars[kEpsNameChars];
    std::memset(chars, ' ', sizeof chars);
    std::memcpy(chars, name.data(), name.size());
    std::memcpy(core::ParamBuffer.at(kEpsNameWord), chars, sizeof chars);
    write_back(stored_item(), kEpsNameWord, kEpsItemWords);
    return true;
}

// Contract: see the header. Reads CurrentFileName for the document's folder.
std::string find_eps_file(std::string_view name) {
    if (trim_right(name).empty()) return {};
    std::string path = platform::local_path(name);
    if (is_file(path)) return path;
    const std::string document = core::CurrentFileName.trimmed();
    const std::size_t folder_end = file_part_start(document);
    if (folder_end == 0) return {};
    const std::string beside =
        document.substr(0, folder_end) + std::string(name.substr(file_part_start(name)));
    path = platform::local_path(beside);
    return is_file(path) ? path : std::string();
}

bool read_eps_bounding_box(const std::string& path, float box[4]) {
    std::vector<std::string> lines;
    if (!read_lines(path, lines)) return false;
    for (const std::string& line : lines)
        if (line.rfind("%%BoundingBox", 0) == 0 && box_numbers(line, box)) return true;
    return false;
}

bool copy_eps_postscript(const std::string& path, std::string_view name) {
    std::vector<std::string> lines;
    if (path.empty() || !read_lines(path, lines)) {
        report_missing(name, true);
        return false;
    }
    g_reported_missing.erase(std::string(name));
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '%') continue;
        std::string_view kept = line;
        while (!kept.empty() && (kept.back() == ' ' || kept.back() == '\t')) kept.remove_suffix(1);
        write_line(" " + std::string(kept));
    }
    return true;
}

// Contract: see the header. Reads CurrentFileName through find_eps_file.
bool take_eps_box() {
    auto& p = core::ParamBuffer;
    // A box marked read but all 0 was never read: a name taken from a command file before its
    // file existed was once stored so.
    if (p(11) == kEpsBoxRead && !box_is_zero()) return false;
    const std::string path = find_eps_file(eps_name_from_params());
    float box[4];
    if (path.empty() || !read_eps_bounding_box(path, box)) return false;
    for (int j = 0; j < 4; ++j) p(7 + j) = box[j];
    p(11) = kEpsBoxRead;
    write_back(stored_item(), 7, 11);
    return true;
}

// Contract: see the header. Reads MacroUnit (an open command file answers; below 0 nobody
// can); writes P11, P13, P14.. of ParamBuffer, the stored item and the edit buffer.
bool ask_eps_file_name() {
    auto& p = core::ParamBuffer;
    const int32_t k = stored_item();
    const std::string current = eps_name_from_params();
    if (core::MacroUnit < 0) {
        report_missing(current, false);
        p(13) = -1.0f;
        write_back(k, 13, 13);
        return false;
    }
    const bool from_file = core::MacroUnit != core::DefaultMacroUnit;
    std::string name;
    bool answered = false;
    for (int tries = 0; tries < kBlankAnswerTries && name.empty(); ++tries) {
        answered = ask_once(current, from_file, name);
        if (!answered) break;
    }
    p(13) = 0.0f;
    if (!answered || name.empty()) {
        write_back(k, 13, 13);
        return false;
    }
    const std::size_t file_start = file_part_start(name);
    if (name.find('.', file_start) == std::string::npos) name += ".EPS";
    if (!store_eps_name(name)) {
        write_back(k, 13, 13);
        return false;
    }
    // A new name's box is read from its file, unless a new item's own line gave one (from a
    // command file, that box stands for the name). An old box would misplace the new figure.
    if (name != current) {
        const bool line_gave_box = from_file && core::EditedItemNumber == 0 && !box_is_zero();
        p(11) = line_gave_box ? kEpsBoxRead : 0.0f;
    }
    g_reported_missing.erase(name);
    if (find_eps_file(name).empty()) {
        g_reported_missing.insert(name);
        core::report_failure("File not found --> " + trim_right(name));
        p(13) = -1.0f;
    }
    write_back(k, 11, 13);
    return name != current;
}

// Contract: see the header. Appends to PathPointList; writes P7..P13 and the name as it goes.
void draw_postscript_item() {
    if (OutputPassWord == -1) {
        write_eps_wrapper();
        return;
    }
    if (OutputPassWord != 1) return;
    auto& p = core::ParamBuffer;
    if (p(13) == 1.0f) ask_eps_file_name();
    const std::string name = eps_name_from_params();
    if (find_eps_file(name).empty()) {
        if (!name.empty()) report_missing(name, false);
    } else {
        g_reported_missing.erase(name);
        take_eps_box();
    }

    const int32_t staff = layout::StaffTables.CurrentStaff;
    const float scale = layout::StaffTables.StaffScale(staff);
    float x0 = ItemDrawOrigin.x;
    const float y0 = ItemDrawOrigin.y;
    const float sx = scale_or(p(5), 1.0f);
    const float sy = scale_or(p(6), sx);
    const int32_t first = PathPointList.count;
    if (p(11) == kEpsBoxRead) {
        const float k = static_cast<float>(core::int_of(scale / 0.45f));
        const float x1 = static_cast<float>(truncate_real(k * (p(9) - p(7)) * sx + x0));
        const float y1 = static_cast<float>(truncate_real(k * (p(10) - p(8)) * sy + y0));
        add_path_point(x0, y0, 1);
        add_path_point(x0, y1, 0);
        add_path_point(x1, y1, 0);
        add_path_point(x1, y0, 0);
        add_path_point(x0, y0, 0);
        add_path_point(x1, y1, 0);
        add_path_point(x0, y1, 1);
        add_path_point(x1, y0, 0);
        if (p(12) != 0.0f) rotate_path_points(first, x0, y0, p(12));
    } else {
        const float k7 = static_cast<float>(core::int_of(scale * 7.0f));
        const float w = scale_or(p(5), 3.0f);
        const float h = scale_or(p(6), w);
        const float x1 = x0 + k7 * w;
        const float y1 = y0 + k7 * h;
        add_path_point(x0, y0, 1);
        add_path_point(x0, y1, 0);
        add_path_point(x1, y1, 0);
        add_path_point(x1, y0, 0);
        add_path_point(x0, y0, 0);
    }
}

// Contract: see the header. Reads ParamBuffer P1..P13 and the name, the item's staff scale
// and base; writes nothing but the PostScript lines.
void write_eps_wrapper() {
    const auto& p = core::ParamBuffer;
    const int32_t staff = layout::StaffTables.CurrentStaff;
    const float scale = layout::StaffTables.StaffScale(staff) / 25.0f;
    const RenderHooksRecord::EpsPageValues v = page_values(staff);
    const float output_size = v.points_per_unit * 4000.0f / 72.0f;
    const float units_x =
        p(3) * 150.0f + (layout::on_right_page(p(2)) ? static_cast<float>(kSpreadShift) : 0.0f);
    const float x = v.left_margin + units_x * v.points_per_unit;
    const float y =
        v.bottom_margin + v.staff_base_points + p(4) * 175.0f * scale * v.points_per_unit;
    const float sx = scale_or(p(5), 1.0f) * output_size * scale;
    const float sy = scale_or(p(6), scale_or(p(5), 1.0f)) * output_size * scale;

    write_line(" r g /--sav2-- save def /showpage { } def");
    write_line("  % -- START USER-ADDED POSTSCRIPT CODE --");
    if (p(11) != kEpsBoxRead) {
        write_line(" /globalsize" + f("(1f8.3)", output_size) + " def  /lnwd" +
                   f("(1f8.3)", v.base_width) + " def");
        write_line(" /loff" + f("(1f8.3)", v.left_margin) + " def  /boff" +
                   f("(1f8.3)", v.bottom_margin) + " def");
        write_line(" /stafflevel " + std::to_string(core::int_of(v.staff_base_units)) +
                   " def  /pointslevel" + f("(1f8.3)", v.staff_base_points) + " def");
        // The parameters as /p1 .. /p13: one name each, its value after it.
        for (int j = 1; j <= 13; ++j)
            write_line(" /p" + std::to_string(j) + f("(1f11.3)", p(j)) + " def");
        write_line(" /staffsize" + f("(1f8.3)", scale) + " def");
        write_line(" /pp3" + f("(1f11.3)", x) + " def  /pp4" + f("(1f11.3)", y) + " def");
        write_line(" /pp5" + f("(1f11.3)", sx) + " def  /pp6" + f("(1f11.3)", sy) + " def");
    } else {
        write_line(f("(1f9.3)", x) + f("(1f9.3)", y) + " tr");
        if (p(12) != 0.0f) write_line(f("(1f8.2)", -p(12)) + " rotate");
        write_line(f("(1f9.3)", sx) + f("(1f9.3)", sy) + " scale");
        write_line(f("(1f9.3)", -p(7)) + f("(1f9.3)", -p(8)) + " tr");
    }
    const std::string name = eps_name_from_params();
    copy_eps_postscript(find_eps_file(name), name);
    write_line(" --sav2-- restore r g");
    // The "r" above ends the group the font was chosen in: the next text chooses it again.
    LoadedFont.ps_width = -1.0f;
    write_line("  % -- END USER-ADDED POSTSCRIPT CODE --");
    write_line("");
    write_line(" KELDA");
}

void register_eps_drawers() {
    g_reported_missing.clear();
    register_item_drawer(15, draw_postscript_item);
}

}  // namespace render
