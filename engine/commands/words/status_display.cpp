#include "engine/commands/words/status_display.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/commands/files/file_commands.h"
#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_history.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/vertical_justify.h"
#include "engine/layout/tables.h"
#include "engine/layout/view/view_settings.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace core {

namespace {

constexpr int kDumpUnit = 11;
// Program-form name; the path layer puts it in the work folder.
constexpr std::string_view kDumpFileName = "C:\\!tmp\\vp";
constexpr int32_t kStaffCode = 8;
constexpr int kGroupWords = 20;
constexpr float kUnitsPerInch = 4000.0f;
constexpr float kUnitsPerCentimetre = 1574.803f;

void redraw_page() {
    if (OutputBufferViews.graphics.bound()) render::redraw_items();
}

float item_word(int32_t k, int32_t p) { return ItemStore(ItemStartTable(k) + p); }
int32_t item_length(int32_t k) { return int_of(ItemStore(ItemStartTable(k))); }

// "VI": MessageLine gets the next free GraphicsList position and the list's length; "vp" gets
// each item's entries (x less the view's x origin, y + 290000, the word).
void dump_output_lists() {
    const bool bound = OutputBufferViews.graphics.bound();
    FixedText<512> counts("VINDX =        NVPOINT =       ");
    write_int_field(counts, 8, 12, "(i5)", GraphicsNextFree);
    write_int_field(counts, 25, 29, "(i5)", bound ? OutputBufferViews.graphics.length() : 0);
    leave_reply(ReplyKind::Notice, counts.view());

    if (!open_unit(kDumpUnit, kDumpFileName, UnitStatus::Replace, UnitForm::Text)) return;
    for (int32_t i = 1; i <= ItemCount; ++i) {
        write_record(kDumpUnit, "****" + format_int("(i4)", i) + " ****");
        if (!bound) continue;
        const int32_t first = ItemOutputSpans.graphics(i);
        const int32_t next = std::min(ItemOutputSpans.graphics(i + 1), GraphicsNextFree);
        int32_t entry = 0;
        for (int32_t j = first; j + 2 < next; j += 3) {
            ++entry;
            auto& g = OutputBufferViews.graphics;
            write_record(kDumpUnit, format_int("(i4)", entry) +
                                        format_int("(i9)", g(j) - render::ViewOrigin.x) +
                                        format_int("(i9)", g(j + 1) + 290000) +
                                        format_int("(i9)", g(j + 2)));
        }
    }
    close_unit(kDumpUnit);
}

// The staves the height commands work on.
struct StaffRange {
    int32_t low = 1;
    int32_t high = layout::kLeftPageStaves;
};

bool is_staff_item_in(int32_t k, const StaffRange& range) {
    if (item_length(k) < 2 || int_of(item_word(k, 1)) != kStaffCode) return false;
    const int32_t s = int_of(item_word(k, 2));
    return s >= range.low && s <= range.high;
}

// Top and bottom of the page image in display units relative to the view's y origin; false
// when nothing was measured.
bool measure_page_image(bool staves_only, const StaffRange& range, int32_t& top, int32_t& bottom) {
    if (staves_only) {
        redraw_page();  // the staff tables as the items say now
        top = -555555;
        bottom = 555555;
        for (int32_t k = 1; k <= ItemCount; ++k) {
            if (!is_staff_item_in(k, range)) continue;
            if (item_length(k) >= 7 && item_word(k, 7) < 0.0f) continue;  // hidden staff
            const int32_t s = int_of(item_word(k, 2));
            const float size = layout::StaffTables.StaffScale(s) / 25.0f;
            const float base = static_cast<float>(layout::StaffTables.StaffBaseY(s));
            top = std::max(top, int_of(base + size * 1925.0f) - render::ViewOrigin.y);
            bottom = std::min(bottom, int_of(base + size * 525.0f) - render::ViewOrigin.y);
        }
    } else {
        // Every item drawn now: while a command file runs the screen waits for the file's end,
        // and lists without the file's own items would measure no page (the size question
        // then not asked, and its answer read as an item).
        if (OutputBufferViews.graphics.bound()) render::redraw_every_item();
        int32_t x_low = 0;
        int32_t x_high = 0;
        render::measure_items_extent(range.low > 200 ? -2 : -1, top, bottom, x_low, x_high);
    }
    return top > bottom;
}

// Numbers of text, read left to right until a field is no number (at most kGroupWords).
std::vector<float> numbers_in(std::string_view text) {
    std::vector<float> values;
    std::string s(text);
    const char* p = s.c_str();
    while (values.size() < kGroupWords) {
        char* end = nullptr;
        const float v = std::strtof(p, &end);
        if (end == p) break;
        values.push_back(v);
        p = end;
    }
    return values;
}

// Staves per group from the bottom: the given counts (a second count of 0 counts 1), the
// last one repeated; none at all means one staff a group.
int32_t group_of(int32_t position, const std::vector<int32_t>& counts) {
    int32_t covered = 0;
    int32_t group = 0;
    int32_t last = 1;
    for (const int32_t c : counts) {
        if (c <= 0) break;
        last = c;
        ++group;
        covered += c;
        if (position <= covered) return group;
    }
    return group + (position - covered + last - 1) / last;
}

std::vector<int32_t> group_counts(const std::vector<float>& list) {
    std::vector<int32_t> counts;
    if (list.empty() || list[0] == 0.0f) return counts;
    for (std::size_t i = 0; i < list.size(); ++i) {
        float v = list[i];
        if (i == 1 && v == 0.0f) v = 1.0f;
        if (v < 1.0f) break;
        counts.push_back(int_of(v));
    }
    return counts;
}

// Moves every group's staff items down by its index (from the lowest group holding a staff)
// times step display units, after checking that no two neighbouring groups would cross.
void spread_height_change(const StaffRange& range, const std::vector<int32_t>& counts,
                          float step_units) {
    // The staff items of the range by group, and each group's lowest and highest base.
    int32_t first_group = 0;
    int32_t last_group = 0;
    std::vector<std::pair<int32_t, int32_t>> staff_items;  // (item, group)
    for (int32_t k = 1; k <= ItemCount; ++k) {
        if (!is_staff_item_in(k, range)) continue;
        if (item_length(k) >= 4 && item_word(k, 4) >= 1000.0f) continue;  // not placed
        if (item_length(k) >= 10 && item_word(k, 10) != 0.0f) continue;   // follows another
        const int32_t g = group_of(int_of(item_word(k, 2)) - range.low + 1, counts);
        staff_items.emplace_back(k, g);
        first_group = first_group == 0 ? g : std::min(first_group, g);
        last_group = std::max(last_group, g);
    }
    if (last_group - first_group < 1) {
        leave_reply(
            ReplyKind::Failure,
            "*** Only one group of staves: the page height cannot be spread. Nothing changed.");
        return;
    }
    const float step = step_units / static_cast<float>(last_group - first_group);
    if (step > 0.0f) {
        // Neighbouring groups close in by step: the upper one's lowest staff must stay above the
        // lower one's highest.
        std::vector<int32_t> low(last_group + 1, 555555);
        std::vector<int32_t> high(last_group + 1, -555555);
        for (const auto& [k, g] : staff_items) {
            const int32_t base = layout::StaffTables.StaffBaseY(int_of(item_word(k, 2)));
            low[g] = std::min(low[g], base);
            high[g] = std::max(high[g], base);
        }
        int32_t below = first_group;
        for (int32_t g = first_group + 1; g <= last_group; ++g) {
            if (high[g] < low[g]) continue;  // no staff in this group
            if (static_cast<float>(low[g] - high[below]) - step * static_cast<float>(g - below) <=
                0.0f) {
                leave_reply(ReplyKind::Failure,
                            "*** The new height would make staves cross. Nothing changed.");
                return;
            }
            below = g;
        }
    }

    save_undo_copy();
    for (const auto& [k, g] : staff_items) {
        if (g == first_group) continue;
        if (item_length(k) < 4 && !resize_item(k, 4.0f)) continue;
        const int32_t s = int_of(item_word(k, 2));
        const float scale = layout::StaffTables.StaffScale(s);
        ItemStore(ItemStartTable(k) + 4) -=
            step * static_cast<float>(g - first_group) / (7.0f * scale);
    }
    ChangesMadeFlag = 1;
    redraw_page();
}

// Every letter but "I" and "J": measures the page image, asks for the new height and spreads
// the difference over the groups of staves.
void change_page_image_height() {
    const char second = static_cast<char>(CommandModeLetters(2));
    const StaffRange range = (second == 'X' || CommandLine(3) == 'X')
                                 ? StaffRange{layout::kLeftPageStaves + 1, layout::kMaxStaves}
                                 : StaffRange{1, layout::kLeftPageStaves};
    std::vector<float> list;
    for (int i = 2; i <= 1 + kGroupWords; ++i) list.push_back(ParamBuffer(i));

    int32_t top = 0;
    int32_t bottom = 0;
    if (!measure_page_image(second == 'S', range, top, bottom)) return;
    const bool metric = MetricFlag != 0;
    const float units = metric ? kUnitsPerCentimetre : kUnitsPerInch;
    // Saturated extents (an item far off the page) would overflow an int difference.
    const float height =
        static_cast<float>(static_cast<int64_t>(top) - static_cast<int64_t>(bottom)) / units;
    if (second == 'F') return;

    SecondLine.blank();
    if (metric) {
        SecondLine.put(1, 27, "Page height(centimeters) =");
        write_real_field(SecondLine, 28, 34, "(f7.3)", height);
    } else {
        SecondLine.put(1, 23, "Page height(inches) =");
        write_real_field(SecondLine, 24, 30, "(f7.3)", height);
    }
    SecondLine.put(35, 52, "\r\nType new size ->");

    float new_height = height;
    if (asks_dialog_line()) {
        // A command file's next line, or the console's (it has no dialog); X alone is Cancel.
        const std::string word = asking_word();
        std::string typed;
        if (read_dialog_line(SecondLine.view(), typed) != DialogLine::Numbers) return;
        // Read whole ("1e1" is 10): a line that is no numbers is named and changes nothing, and
        // the file's next line runs next. An empty line keeps the height.
        if (refuse_script_number_answer("Type new size ->", typed, word) ||
            read_number_line_whole(WordsInLine::Commas).fault != NumberLineFault::None) {
            return;
        }
        new_height = ParamBuffer(1);
        if (ParamBuffer(2) != 0.0f) {
            list.clear();
            for (int i = 2; i <= 1 + kGroupWords; ++i) list.push_back(ParamBuffer(i));
        }
    } else {
        Array1<float, 19> block;
        for (int i = 1; i <= 19; ++i) block(i) = ParamBuffer(i);
        block(1) = height;
        block(2) = height;
        block(4) = static_cast<float>(MetricFlag);
        clear_exchange_text();
        if (front_end().RunPageImageHeightDialog(block) == 2) return;
        new_height = block(2);
        const std::vector<float> typed = numbers_in(MessageLine.trimmed());
        if (!typed.empty()) list = typed;
        clear_exchange_text();
    }
    if (!(new_height > 0.0f) || new_height == height) return;

    spread_height_change(range, group_counts(list), (height - new_height) * units);
}

}  // namespace

void show_status() {
    switch (CommandModeLetters(2)) {
        case 'I':
            dump_output_lists();
            return;
        case 'J':
            layout::justify_staves_vertically();
            CommandModeLetters(1) = 0;
            return;
        default:
            change_page_image_height();
            return;
    }
}

void run_h_command() {
    if (CommandLine.starts_with("HIST")) {
        choose_recent_file();
    } else if (CommandLine.starts_with("HH")) {
        layout::write_path_x_values();
    } else {
        show_status();
        redraw_page();
    }
}

void choose_recent_file() {
    if (!open_unit(kHistoryUnit, kHistoryFileName, UnitStatus::Old, UnitForm::Text)) return;
    std::string record;
    int32_t k = 0;
    while (k < kHistoryEntries && read_record(kHistoryUnit, record) == IoResult::Ok) {
        ++k;
        HistoryTable(k).set(record);
    }
    for (int32_t j = k + 1; j <= kHistoryEntries; ++j) HistoryTable(j).set(".");
    close_unit(kHistoryUnit);

    int32_t choice = -99;
    const int result = front_end().RunRecentFilesDialog(choice);
    if (result != 2 && choice >= 1 && choice <= kHistoryEntries) {
        const FixedText<512> name = HistoryTable(choice);
        // An empty entry (".") names no document; unsaved changes are asked about first.
        if (name.code(1) >= ' ' && !name.is_blank() && !name.equals(".") &&
            confirm_discard(1) == -1)
            load_document_file(name);
    }
    clear_exchange_text();
}

}  // namespace core
