// The input run's items: the rows of a built line stored as items, the widening of crowded
// columns, the input staff and its first free position, the spacing staff and the range dialog.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_sorting.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/tables.h"
#include "engine/input/typed/typed_items.h"
#include "engine/layout/builders/rhythm_columns.h"
#include "engine/layout/notes/beam_fitting.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace input {

namespace {

constexpr float kShortGap = 3.0f;       // a gap below this is widened
constexpr float kNoteColour = 6800.0f;  // green: notes still waiting for their rhythms
constexpr int32_t kNoteWords = 26;
constexpr float kNoSpacingStaff = 999.0f;
constexpr float kSamePosition = 0.005f;
constexpr float kCloseMarks = 4.0f;
constexpr int32_t kStaffCode = 8;
constexpr int32_t kClefCode = 3;

float param(int32_t s, int32_t n, int32_t k) { return k <= n ? core::ItemStore(s + k) : 0.0f; }

bool spacing_staff_set() { return layout::SpacingStaff <= 256.0f; }

// The kind the last store_input_items wrote (the widening runs once per run of rhythms lines).
int32_t LastStoredKind = 0;

// The distinct positions of the rows (in row order) and, for each row, the index of its
// position.
void row_positions(std::vector<float>& positions, std::vector<int32_t>& index) {
    const auto& rows = layout::ColumnRecords.rows;
    for (int32_t r = 1; r <= layout::ColumnRecords.count; ++r) {
        if (r == 1 || rows(r)(3) != rows(r - 1)(3)) positions.push_back(rows(r)(3));
        index.push_back(static_cast<int32_t>(positions.size()));
    }
}

}  // namespace

// Contract: reads ColumnRecords, InputParserMode, InputRangeStart/End, InputStartWordsUsed,
// InputStartItemCount, InputStaff, SpacingStaff; writes the rows' positions (notes line,
// widened rhythms line), the store from InputStartWordsUsed on, ItemStartTable and
// InputColumnCount (notes line). Rows the store cannot take are left out (the store has said
// why).
void store_input_items() {
    auto& rows = layout::ColumnRecords.rows;
    const int32_t n = layout::ColumnRecords.count;
    if (InputParserMode == kNotesMode) {
        std::vector<float> positions;
        std::vector<int32_t> index;
        row_positions(positions, index);
        // One position (k = 0) puts every row at the range start.
        const int32_t k = static_cast<int32_t>(positions.size()) - 1;
        const float step =
            k > 0 ? (layout::InputRangeEnd - layout::InputRangeStart) / static_cast<float>(k)
                  : 0.0f;
        for (int32_t r = 1; r <= n; ++r)
            rows(r)(3) = layout::InputRangeStart + step * static_cast<float>(index[r - 1] - 1);
        InputColumnCount = layout::RhythmRowCount;
    } else if (InputParserMode == kRhythmsMode && LastStoredKind != kRhythmsMode &&
               !spacing_staff_set() && !layout::InputLineCrowded && n > 0) {
        std::vector<float> positions;
        std::vector<int32_t> index;
        row_positions(positions, index);
        core::Array1<float, 200> widened;
        const int32_t count = std::min<int32_t>(static_cast<int32_t>(positions.size()), 200);
        for (int32_t i = 1; i <= count; ++i) widened(i) = positions[i - 1];
        widen_close_columns(widened, count);
        for (int32_t r = 1; r <= n; ++r)
            if (index[r - 1] <= count) rows(r)(3) = widened(index[r - 1]);
    }
    LastStoredKind = InputParserMode;

    core::ItemWordsUsed = InputStartWordsUsed;
    core::ItemCount = InputStartItemCount;
    core::rebuild_item_start_table();
    struct Row {
        core::Array1<float, kNoteWords> p;
        int32_t words = 12;
    };
    std::vector<Row> made(static_cast<std::size_t>(std::max(n, 0)));
    int32_t record_words = 0;
    bool beams = false;
    for (int32_t r = 1; r <= n; ++r) {
        Row& row = made[static_cast<std::size_t>(r - 1)];
        auto& p = row.p;
        p.fill(0.0f);
        for (int32_t w = 1; w <= layout::kColumnWords; ++w) p(w) = rows(r)(w);
        if (InputParserMode == kNotesMode) {
            if (p(1) < 3.0f) {
                for (int32_t w = 13; w <= 25; ++w) p(w) = 0.0f;
                p(26) = kNoteColour;
                row.words = kNoteWords;
            }
        } else {
            if (p(1) >= 6.0f) row.words = 15;
            while (row.words > 1 && p(row.words) == 0.0f) --row.words;
        }
        if (p(1) == 6.0f) beams = true;
        record_words += 1 + std::max(row.words, 3);
    }
    // A line is stored whole or not at all: a run cut off at the page's limit would keep half
    // its notes. The run then adds nothing, said once.
    if (!render::page_has_room(n, record_words)) {
        if (InputRunOverflow == 0) {
            InputRunOverflow = 1;
            core::report_page_full("the input was not added");
        }
        render::redraw_items();
        return;
    }
    for (Row& row : made)
        if (!render::append_item(row.words, row.p.data(), kNoteWords)) break;
    if (beams) {
        core::ParamBuffer(2) = InputStaff;
        core::ParamBuffer(5) = InputStaff;
        core::ParamBuffer(3) = 1.0f;
        core::ParamBuffer(4) = render::PageExtent;
        int32_t flag = 1;
        layout::fit_stems_to_beams(flag);
    }
    render::redraw_items();
}

// Contract: positions(1..count) in P3 units, the first and the last kept. A gap below 3.0 is
// widened to 3.0 and the room comes from the other gaps, which share what is left in
// proportion; a gap whose share would fall below 3.0 gets 3.0 and gives no more. So the columns
// between keep their order and end exactly where the last one stands (no column passes the
// closing bar, no hole opens before it). A gap of 0 or less stays as it is. Nothing changes
// when no gap is short or when the room cannot give every gap 3.0.
void widen_close_columns(core::Array1<float, 200>& positions, int32_t count) {
    if (count < 3 || count > 200) return;
    const int32_t gaps = count - 1;
    std::vector<double> d(static_cast<std::size_t>(gaps) + 1);
    std::vector<bool> held(static_cast<std::size_t>(gaps) + 1, false);
    double room = static_cast<double>(positions(count)) - positions(1);
    int32_t positive = 0;
    bool short_gap = false;
    for (int32_t i = 1; i <= gaps; ++i) {
        d[i] = static_cast<double>(positions(i + 1)) - positions(i);
        if (d[i] <= 0.0) {
            room -= d[i];  // kept as it is
            continue;
        }
        ++positive;
        if (d[i] < kShortGap) {
            held[i] = true;
            short_gap = true;
        }
    }
    if (!short_gap || room < kShortGap * positive) return;
    // The held gaps take 3.0 each; the free ones share the rest. A free gap pushed below 3.0 is
    // held too, and the share is worked out again (each pass holds at least one more gap).
    double factor = 1.0;
    for (bool again = true; again;) {
        again = false;
        double free_width = 0.0;
        int32_t held_count = 0;
        for (int32_t i = 1; i <= gaps; ++i) {
            if (d[i] <= 0.0) continue;
            if (held[i])
                ++held_count;
            else
                free_width += d[i];
        }
        if (free_width <= 0.0) break;
        factor = (room - kShortGap * held_count) / free_width;
        for (int32_t i = 1; i <= gaps; ++i) {
            if (d[i] > 0.0 && !held[i] && factor * d[i] < kShortGap) {
                held[i] = true;
                again = true;
            }
        }
    }
    double x = positions(1);
    for (int32_t i = 1; i < gaps; ++i) {
        x += d[i] <= 0.0 ? d[i] : (held[i] ? kShortGap : factor * d[i]);
        positions(i + 1) = static_cast<float>(x);
    }
}

void count_input_line() { ++InputLineCount; }

// Contract: reads ParamBuffer P1..P6 (the staff item's values) and the store; appends the staff
// item of InputStaff when there is none; writes InputClefKind and ReaderClefKind.
void prepare_input_staff() {
    const int32_t staff = core::nint(InputStaff);
    int32_t staff_item = 0;
    float clef_x = -1.0e9f;
    int32_t clef_kind = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 2 || core::nint(core::ItemStore(s + 2)) != staff) continue;
        const int32_t code = core::int_of(core::ItemStore(s + 1));
        if (code == kStaffCode && staff_item == 0) staff_item = k;
        if (code == kClefCode && param(s, n, 3) >= clef_x) {
            clef_x = param(s, n, 3);
            clef_kind = n >= 5 ? core::int_of(param(s, n, 5)) : 0;
        }
    }
    if (staff_item == 0) {
        core::Array1<float, 6> p;
        for (int32_t w = 1; w <= 6; ++w) p(w) = core::ParamBuffer(w);
        int32_t words = 6;
        if (append_run_preview(words, p.data(), 6)) staff_item = core::ItemCount;
    }
    InputClefKind = clef_kind;
    ReaderClefKind = clef_kind;
}

// Contract: reads the store and InputStaff; writes P(1).
void find_first_free_position() {
    float x = 2.0f;
    const int32_t staff = core::nint(InputStaff);
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 3 || core::nint(core::ItemStore(s + 2)) != staff) continue;
        const int32_t code = core::int_of(core::ItemStore(s + 1));
        if (!((code >= 1 && code <= 3) || (code >= 14 && code <= 23)) || code == 15 || code == 16)
            continue;
        float p3 = core::ItemStore(s + 3);
        if (code == 14 && p3 == 0.0f) p3 = -4.0f;
        float gap = 7.0f;
        if (code == kClefCode)
            gap = 9.0f;
        else if (code == 18)
            gap = 8.0f;
        else if (code == 17)
            gap = 4.0f + 2.5f * std::fabs(param(s, n, 5));
        x = std::max(x, p3 + gap);
    }
    core::ParamBuffer(1) = x;
}

// Contract: reads SpacingStaff, MacroUnit, SavedMacroUnit; writes the position line of
// InputLines, SpacingList (through the spacing walk) and SpacingStaff (999.0 when the staff
// has no rhythms).
void check_spacing_staff(int32_t& not_set) {
    not_set = spacing_staff_set() ? 0 : 1;
    if (not_set != 0) return;
    char text[8];
    std::snprintf(text, sizeof text, "SP%03d", core::nint(layout::SpacingStaff) % 1000);
    InputLines.position.set(text);
    if (core::MacroUnit != SavedMacroUnit) return;
    core::show_prompt(core::ReplyKind::Notice,
                      "Spacing staff = " + std::to_string(core::nint(layout::SpacingStaff)));
    core::sort_item_store();
    layout::append_spacing_end_marker();
    if (layout::SpacingList.count == 0) {
        core::report_failure("*** No rhythms on spacing staff.");
        layout::SpacingStaff = kNoSpacingStaff;
        not_set = 1;
    }
}

// Contract: writes ParamBuffer P1..P50.
void load_staff_item_params(float staff) {
    for (int32_t w = 1; w <= 50; ++w) core::ParamBuffer(w) = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 2 || core::int_of(core::ItemStore(s + 1)) != kStaffCode ||
            core::nint(core::ItemStore(s + 2)) != core::nint(staff))
            continue;
        for (int32_t w = 1; w <= std::min(n, 50); ++w)
            core::ParamBuffer(w) = core::ItemStore(s + w);
        return;
    }
}

namespace {

// The range a file's line answers, as ask_input_range answers it; false (the file stopped or
// ended, told) when the line is none.
bool file_input_range(core::Array1<int32_t, 8>& words, int32_t& result) {
    std::string rec;
    // Comments, blocks and pauses pass; a blank line is the preset, as at the console; the end
    // mark ends the file.
    if (core::MacroUnit <= 0 || !core::next_command_file_answer_record(rec, true)) {
        if (core::MacroUnit > 0) {
            core::close_unit(core::MacroUnit);
            int32_t palette = 0;
            tell_file_ended_before(input_line_prompt(false, palette));
        }
        core::MacroUnit = 0;
        result = 2;
        return false;
    }
    switch (read_input_range_line(rec, words)) {
        case RangeLine::Range:
            result = 1;
            return true;
        case RangeLine::Cancel:
            // The writer meant no music to follow: the file goes on.
            result = 2;
            return false;
        case RangeLine::NoRange:
        case RangeLine::NoRoom:
            // The file's next lines are the music of a range it never gave: they are not read.
            core::stop_file_at_non_answer(kInputRangeQuestion, rec);
            result = 2;
            return false;
    }
    return false;
}

}  // namespace

// Contract: see the header. A line cut at its length limit is no range, whatever its kept part
// reads as.
RangeLine read_input_range_line(std::string_view line, core::Array1<int32_t, 8>& words) {
    if (core::is_cut_line(line)) return RangeLine::NoRange;
    if (core::is_bare_x(line)) return RangeLine::Cancel;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return input_range_has_room(static_cast<float>(words(5)), static_cast<float>(words(7)))
                   ? RangeLine::Range
                   : RangeLine::NoRoom;
    }
    std::string text(line.substr(first));
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool names_spacing = text.starts_with("SP") || text.starts_with("ZP");
    std::istringstream fields(names_spacing ? text.substr(2) : text);
    std::vector<int32_t> whole;
    std::string field;
    float value = 0.0f;
    while (fields >> field) {
        if (whole.size() == (names_spacing ? 1u : 3u) || !core::read_number_whole(field, value) ||
            std::fabs(value) >= 2147483648.0f)
            return RangeLine::NoRange;
        whole.push_back(static_cast<int32_t>(value));
    }
    if (names_spacing) {
        if (whole.size() != 1 || whole[0] < 1 || whole[0] > layout::kMaxStaves)
            return RangeLine::NoRange;
        words(7) = whole[0];
        return RangeLine::Range;
    }
    core::Array1<int32_t, 8> read = words;
    for (std::size_t k = 0; k < whole.size(); ++k) read(5 + static_cast<int>(k)) = whole[k];
    if (!input_range_has_room(static_cast<float>(read(5)), static_cast<float>(read(7))))
        return RangeLine::NoRoom;
    words = read;
    return RangeLine::Range;
}

// Contract: reads InputRangeStart/End, SpacingStaff, InputStaff, MacroUnit and the dialog text
// left in FrontEndCommandBuffer; writes SpacingStaff, InputRangeStart/End and P(1), P(2); from
// a command file its next line (MacroUnit 0 when the file ended or stopped). Cancel (result 2)
// deletes the temporary clef item.
void ask_input_range(int32_t& result) {
    core::Array1<int32_t, 8> words;
    words.fill(0);
    words(5) = core::nint(layout::InputRangeStart);
    words(6) = core::nint(layout::InputRangeEnd);
    if (words(5) >= words(6)) {
        words(5) = 2;
        words(6) = core::nint(render::PageExtent);
    }
    const int32_t spacing = core::nint(layout::SpacingStaff);
    words(7) = (spacing == 999 || !spacing_staff_set()) ? 0 : spacing;
    words(8) = core::nint(InputStaff);
    const core::FixedText<48> heading = core::FrontEndCommandBuffer;
    for (;;) {
        if (core::MacroUnit > 0) {
            core::FrontEndCommandBuffer.blank();
            // The range is one line of the file, read as the console reads a piped one.
            if (file_input_range(words, result) && words(7) == 0) count_input_line();
            break;
        }
        result = core::front_end().RunSpacingRangeDialog(words);
        // The heading is no command: left in the buffer, the next key wait would run it.
        core::FrontEndCommandBuffer.blank();
        std::string typed;
        if (result == kRangePastWord) {
            // A number no word holds is named as typed, never as what it would wrap to.
            typed = core::FrontEndPathBuffer.trimmed();
            core::FrontEndPathBuffer.blank();
        } else if (result == 2 || input_range_has_room(static_cast<float>(words(5)),
                                                       static_cast<float>(words(7)))) {
            break;
        } else {
            typed = std::to_string(words(5)) + " " + std::to_string(words(6));
        }
        // A range with no room would put notes on top of one another past the page: a script
        // ends the input, as for any line that is no range; a person is asked again.
        if (core::front_end().InputIsScript()) {
            core::name_untaken_line(
                core::number_non_answer_text(kInputRangeQuestion, typed, "IN ended."));
            result = 2;
            break;
        }
        core::show_notice("*** Not an answer to \"" + std::string(heading.trimmed()) +
                          "\": " + typed);
        core::FrontEndCommandBuffer = heading;
    }
    if (result == 2) {
        if (InputTempClefItem > 0 && InputTempClefItem <= core::ItemCount) {
            core::delete_item(InputTempClefItem);
            InputTempClefItem = 0;
        }
        core::refresh_screen();
        return;
    }
    layout::SpacingStaff = words(7) == 0 ? kNoSpacingStaff : static_cast<float>(words(7));
    layout::InputRangeStart = core::ParamBuffer(1) = static_cast<float>(words(5));
    layout::InputRangeEnd = core::ParamBuffer(2) = static_cast<float>(words(6));
}

bool input_range_has_room(float begin, float spacing_staff) {
    if (spacing_staff > 0.0f && spacing_staff <= 256.0f) return true;
    return std::max(begin, 0.0f) < render::PageExtent;
}

void restore_macro_unit() { core::MacroUnit = SavedMacroUnit; }

// Contract: reads the store's staff items and CommandLine(3), (4); writes P(2) and, for "-",
// CommandLine(3).
void pick_new_staff_number() {
    const bool below = core::CommandLine(3) == '-' || core::CommandLine(4) == '-';
    float highest = 0.0f;
    float lowest = 999.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::int_of(core::ItemStore(s)) < 2 ||
            core::int_of(core::ItemStore(s + 1)) != kStaffCode)
            continue;
        highest = std::max(highest, core::ItemStore(s + 2));
        lowest = std::min(lowest, core::ItemStore(s + 2));
    }
    float staff = 1.0f;
    if (below) {
        core::CommandLine(3) = '-';
        if (lowest != 999.0f) staff = lowest - 1.0f;
    } else if (highest > 0.0f) {
        staff = highest + 1.0f;
    }
    core::ParamBuffer(2) = staff < 1.0f ? 1.0f : staff;
}

void roll_back_input_store() {
    core::ItemWordsUsed = InputStartWordsUsed;
    core::ItemCount = InputStartItemCount;
    core::rebuild_item_start_table();
    LastStoredKind = 0;
}

// Contract: reads the store, InputColumnMark, InputModeActive, InputStaff (else the layout's
// current staff), InputRangeStart/End (0: PageExtent);
// writes ParamBuffer and the output lists through the drawing.
int32_t draw_column_marks() {
    // Inside an input run its staff; otherwise the staff the drawing last worked on.
    const int32_t staff =
        InputModeActive != 0 ? core::nint(InputStaff) : layout::StaffTables.CurrentStaff;
    const float left = layout::InputRangeStart;
    const float right = layout::InputRangeEnd != 0.0f ? layout::InputRangeEnd : render::PageExtent;
    std::vector<float> positions;
    int32_t highest = 0;
    bool found = false;
    for (int32_t k = std::max(0, InputColumnMark) + 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 3 || core::int_of(core::ItemStore(s + 1)) != 1 ||
            core::int_of(core::ItemStore(s + 2)) != staff)
            continue;
        const float x = core::ItemStore(s + 3);
        if (x < left || x > right) continue;
        const auto at = std::lower_bound(positions.begin(), positions.end(), x - kSamePosition);
        if (at == positions.end() || std::fabs(*at - x) >= kSamePosition) positions.insert(at, x);
        int32_t h = core::int_of(core::amod(param(s, n, 5), 100.0f));
        const int32_t p6 = core::int_of(core::amod(param(s, n, 6), 100.0f));
        if (p6 >= 10 && p6 <= 19) h += 8;
        highest = found ? std::max(highest, h) : h;
        found = true;
    }
    const float scale =
        staff >= 1 && staff <= layout::kMaxStaves ? layout::StaffTables.StaffScale(staff) : 0.0f;
    const float size = scale > 0.0f ? 25.0f / scale : 1.0f;
    // The library has no mark past its last one: asking it for one would look for a drawing
    // file that was never made, at every redraw.
    const std::size_t marked =
        std::min<std::size_t>(positions.size(), kLastColumnMark - kFirstColumnMark + 1);
    for (std::size_t i = 0; i < marked; ++i) {
        for (int32_t k = 1; k <= 50; ++k) core::ParamBuffer(k) = 0.0f;
        float height = static_cast<float>(highest + 2);
        if (i > 0 && positions[i] - positions[i - 1] < kCloseMarks) height += 2.0f;
        core::ParamBuffer(1) = 13.0f;
        core::ParamBuffer(2) = static_cast<float>(staff);
        core::ParamBuffer(3) = positions[i];
        core::ParamBuffer(4) = height;
        core::ParamBuffer(5) = static_cast<float>(kFirstColumnMark + static_cast<int32_t>(i));
        core::ParamBuffer(6) = size;
        render::PathPointList.count = 1;
        render::draw_item_by_code();
        if (render::PathPointList.count > 1) render::set_item_colour();
        render::PathPointList.count = 1;
    }
    // The numbers go after the page's lists: the front-end shows what their length covers.
    auto& graphics = core::OutputBufferViews.graphics;
    if (graphics.bound()) graphics.length() = core::GraphicsNextFree - 1;
    return static_cast<int32_t>(positions.size());
}

}  // namespace input
