#include "engine/layout/view/view_settings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/preferences.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace layout {

core::Array1<int32_t, 2> ViewLimits;

namespace {

using core::CommandLine;
using core::ParamBuffer;

constexpr int kScratchUnit = 11;
// Program-form names; the path layer puts them in the work folder.
constexpr std::string_view kPathDumpFile = "C:\\!tmp\\xxx";
constexpr std::string_view kTextPositionsFile = "C:\\!tmp\\textpos";
constexpr int32_t kStaffCode = 8;
// The replies' fields: K's two limits, Y's offset.
constexpr int32_t kLimitColumns = 8;
constexpr int32_t kOffsetColumns = 7;

void redraw_page() {
    if (core::OutputBufferViews.graphics.bound()) render::redraw_items();
}

core::FixedText<512> line_of(std::string_view text) {
    core::FixedText<512> line;
    line.set(text);
    return line;
}

// Front-end service 's': a test block the gate passes unchanged in meaning.
void request_test_block(int32_t n) {
    core::ServiceBlock block;
    block.fill(0);
    block(1) = 0x2000;
    block(2) = n;
    block(3) = 1000;
    block(4) = 1000;
    block(5) = 100;
    block(6) = 150;
    core::request_front_end_service('s', block);
}

void request_p_service(int32_t n) {
    core::ServiceBlock block;
    block.fill(0);
    block(2) = n;
    core::request_front_end_service('p', block);
}

// "UX": the edited answer is copied to MessageLine up to its line end. The front-ends hand
// back a line only when it is finished, so one question is enough; asking again until a
// carriage return shows up would never end on them.
void run_line_edit_test() {
    int32_t flag = 1;
    core::ask_line_with_edit(line_of("This is UX"), flag);
    if (flag < 0) return;
    const std::string_view answer = CommandLine.view();
    const std::size_t end = answer.find_first_of(std::string_view("\r\0", 2));
    core::leave_reply(core::ReplyKind::Notice, answer.substr(0, end));
}

// "textpos": the byte count (INTEGER*4) and then the text records of every item that is not a
// staff, as the last redraw left them. Nothing is written without output lists.
void write_text_positions() {
    if (!core::OutputBufferViews.text.bound()) return;
    std::vector<uint8_t> bytes;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t code = core::int_of(core::ItemStore(core::ItemStartTable(k) + 1));
        if (code == kStaffCode) continue;
        const int32_t first = core::ItemOutputSpans.text(k);
        const int32_t next = core::ItemOutputSpans.text(k + 1);
        for (int32_t b = first; b < next; ++b) bytes.push_back(core::OutputBufferViews.text(b));
    }
    if (!core::open_unit(kScratchUnit, kTextPositionsFile, core::UnitStatus::Replace,
                         core::UnitForm::Raw))
        return;
    const auto count = static_cast<int32_t>(bytes.size());
    core::write_bytes(kScratchUnit, &count, sizeof count);
    if (!bytes.empty()) core::write_bytes(kScratchUnit, bytes.data(), bytes.size());
    core::close_unit(kScratchUnit);
}

// The numbers after the word, read whole ("Y 1E3" is 1000, never 1); a line that cannot be read
// so is refused, naming the number. Shown at once: from a command file a reply left in the
// message line would be overwritten by the next line's.
bool read_view_numbers(core::NumberLineReading& reading) {
    reading = core::read_edit_word_numbers();
    if (reading.fault == core::NumberLineFault::None) return true;
    core::report_failure(core::number_line_refusal(reading));
    return false;
}

// P(k) as typed, in double precision: its stored real would round a number of more than 24
// bits to another one ("16777217" to 16777216), and the word would take a number not typed.
double typed_number(const core::NumberLineReading& reading, int32_t k) {
    const auto at = static_cast<std::size_t>(k);
    if (at < reading.typed.size() && !reading.typed[at].empty()) {
        const std::string& text = reading.typed[at];
        double value = 0.0;
        const char* end = text.data() + text.size();
        const auto [stop, ec] = std::from_chars(text.data(), end, value);
        if (ec == std::errc() && stop == end && std::isfinite(value)) return value;
    }
    return ParamBuffer(k);
}

// Puts P(k)'s whole part, as typed, in `whole` when it fits the reply's field of `width`
// columns. Otherwise the line is refused, the number named as it was typed: stored, it would
// show as a row of "*".
bool shown_in_field(const core::NumberLineReading& reading, int32_t k, int32_t width,
                    int32_t& whole) {
    double top = 1.0;
    for (int32_t c = 1; c < width; ++c) top *= 10.0;
    const double value = std::trunc(typed_number(reading, k));
    if (value > -top && value < top * 10.0) {
        whole = static_cast<int32_t>(value);
        return true;
    }
    core::NumberLineReading refused;
    refused.fault = core::NumberLineFault::OutOfRange;
    if (static_cast<std::size_t>(k) < reading.typed.size()) refused.word = reading.typed[k];
    if (refused.word.empty()) {
        std::array<char, 32> text{};
        std::snprintf(text.data(), text.size(), "%.9g", static_cast<double>(ParamBuffer(k)));
        refused.word = text.data();
    }
    core::report_failure(core::number_line_refusal(refused));
    return false;
}

}  // namespace

void set_view_top_bottom() {
    core::NumberLineReading reading;
    if (!read_view_numbers(reading)) return;
    if (ParamBuffer(2) != 0.0f) {
        int32_t top = 0;
        int32_t bottom = 0;
        if (!shown_in_field(reading, 2, kLimitColumns, top) ||
            !shown_in_field(reading, 3, kLimitColumns, bottom))
            return;
        ViewLimits(1) = top;
        ViewLimits(2) = bottom;
    }
    core::leave_reply(core::ReplyKind::Notice, core::format_int("(i8)", ViewLimits(1)) +
                                                   core::format_int("(i8)", ViewLimits(2)));
}

void set_view_y_offset() {
    if (CommandLine(2) == ' ') return;
    core::NumberLineReading reading;
    if (!read_view_numbers(reading)) return;
    if (ParamBuffer(2) != 0.0f) {
        int32_t offset = 0;
        if (!shown_in_field(reading, 2, kOffsetColumns, offset)) return;
        render::ViewOrigin.y = offset;
        redraw_page();
    }
    core::leave_reply(core::ReplyKind::Notice,
                      "Y offset=" + core::format_int_whole("(i7)", render::ViewOrigin.y));
}

// The second letter chooses the test; P2 and P3 are its numbers.
void test_console_boxes() {
    const char letter = CommandLine(2);
    // The front-end's own services answer these: without a window nothing would be shown.
    for (const char service : {'S', 'P', 'G', 'O'})
        if (letter == service && !core::window_at_hand()) return;
    switch (letter) {
        case 'S': {
            const int32_t n = ParamBuffer(2) == 0.0f ? 1192 : core::int_of(ParamBuffer(2));
            request_test_block(n);
            if (CommandLine(3) == 'P') request_p_service(n);
            return;
        }
        case 'P':
            request_p_service(core::int_of(ParamBuffer(2)));
            return;
        case 'J':
            core::SecondLine.set(core::format_int_whole("(i7)", render::ViewOrigin.y));
            core::show_prompt(core::ReplyKind::Notice, core::SecondLine.view());
            core::cut_input_to_marker();
            return;
        case 'G':
            core::request_front_end_service('g', core::IntParamBuffer);
            return;
        case 'O':
            ParamBuffer(1) = 0.0f;
            ParamBuffer(2) = 0.0f;
            core::IntParamBuffer(1) = 0;
            core::IntParamBuffer(2) = 0;
            core::request_front_end_service('0', core::IntParamBuffer);
            return;
        case 'X':
            run_line_edit_test();
            return;
        case 'M':
            return;
        case 'U':
            render::ViewOrigin.y = core::int_of(ParamBuffer(2));
            redraw_page();
            return;
        default:
            break;
    }
    if (ParamBuffer(3) == 1.0f) {
        core::show_prompt(core::ReplyKind::Notice, "This is in BOX 1 ******");
    } else if (ParamBuffer(3) == 2.0f) {
        const std::string_view preset = "This is in BOX 2 %%%%%%%%%%%%";
        core::preset_answer(line_of(preset), static_cast<int32_t>(preset.size()));
    } else {
        write_text_positions();
    }
}

// The typed line stays in CommandLine; nothing acts on it.
void test_edit_string() {
    if (!core::window_at_hand()) return;
    CommandLine.set("Try to edit this string.");
    core::ask_line_trimmed(line_of(""));
}

void write_path_x_values() {
    if (!core::open_unit(kScratchUnit, kPathDumpFile, core::UnitStatus::Replace,
                         core::UnitForm::Text))
        return;
    const int32_t count = render::PathPointList.count;
    for (int32_t k = 1; k <= count && k <= render::kPathPoints; ++k) {
        if (core::write_record(kScratchUnit,
                               core::format_int("(i6)", render::PathPointList.x(k))) !=
            core::IoResult::Ok)
            break;
    }
    core::close_unit(kScratchUnit);
}

int32_t check_file_exists(std::string_view name) {
    if (!core::open_unit(kScratchUnit, name, core::UnitStatus::Old, core::UnitForm::Raw)) return 0;
    core::close_unit(kScratchUnit);
    return -1;
}

// Contract: see the header. Reads MetricFlag, MacroUnit, DefaultMacroUnit; writes MessageLine.
void format_units_message() {
    if (core::MacroUnit != core::DefaultMacroUnit) return;
    std::string_view unit = "INCHES";
    if (core::MetricFlag == 1) unit = "METRIC (centimeters)";
    if (core::MetricFlag == 2) unit = "POINTS";
    core::leave_reply(core::ReplyKind::Notice, "*** Measurements = " + std::string(unit));
}

void register_units_message() {
    core::PreferencesHooks.format_units_message = format_units_message;
}

}  // namespace layout
