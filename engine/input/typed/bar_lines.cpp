// Bar lines put into the parsed rows of a typed line by meter: after the notes and rhythms of a
// staff are known, a bar line goes midway between the last note of each bar and the next one.
#include "engine/input/typed/bar_lines.h"

#include <algorithm>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace input {

namespace {

constexpr float kBarLineCode = 14.0f;
// Bar lines at or before this position are the page's left edge, not bars of the music.
constexpr float kMusicStart = 25.0f;
// Rows longer than this are not notes of a bar (whole-bar rests and the like).
constexpr float kLongestCounted = 60.0f;
// AskYesNoExit's answers.
constexpr int kAnswerYes = -1;
constexpr int kAnswerExit = -2;

float item_word(int32_t item, int32_t p) {
    const int32_t start = core::ItemStartTable(item);
    if (p > static_cast<int32_t>(core::ItemStore(start))) return 0.0f;
    return core::ItemStore(start + p);
}

// Whether the music already has its bar lines: a bar line of a staff above that reaches down
// through the input staff, or a bar-line row in the rows while the page's last item lies past
// the left edge.
bool bars_already_there() {
    const float staff = InputStaff;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (core::ItemStore(start) < 4.0f || core::ItemStore(start + 1) != kBarLineCode) continue;
        const float s = item_word(k, 2);
        if (item_word(k, 3) >= kMusicStart && s < staff && s + item_word(k, 4) > staff) return true;
    }
    if (core::ItemCount < 1 || item_word(core::ItemCount, 3) <= kMusicStart) return false;
    const auto& rows = layout::ColumnRecords;
    for (int32_t r = 1; r <= rows.count; ++r)
        if (rows.rows(r)(1) == kBarLineCode) return true;
    return false;
}

// Appends a bar line on staff midway between x and next_x; false when the rows are full.
bool append_bar_row(float staff, float x, float next_x, int32_t staves_up) {
    core::Array1<float, layout::kColumnWords> row;
    row.fill(0.0f);
    row(1) = kBarLineCode;
    row(2) = staff;
    row(3) = 0.5f * (x + next_x);
    row(4) = static_cast<float>(staves_up);
    return layout::append_column_row(row);
}

// The bar-line rows for the rows 1..n: by duration from the first note, or after the pickup
// items when there are any.
void append_bar_rows(int32_t n) {
    const auto& rows = layout::ColumnRecords;
    const float bar =
        4.0f * static_cast<float>(AddBarLinesWords(1)) / static_cast<float>(AddBarLinesWords(2));
    int32_t pickup = std::max(AddBarLinesWords(3), 0);
    const float staff = rows.rows(1)(2);
    float sum = 0.0f;
    for (int32_t i = 1; i <= n; ++i) {
        const auto& row = rows.rows(i);
        const float next_x = i < n ? rows.rows(i + 1)(3) : render::PageExtent;
        // Of several rows at one position (a chord) only the last counts.
        if (row(1) > 2.0f || row(7) > kLongestCounted || (i < n && next_x == row(3))) continue;
        bool bar_here = false;
        if (pickup == 0) {
            sum += row(7);
            if (sum >= bar) {
                bar_here = true;
                sum = 0.0f;
            }
        } else {
            bar_here = --pickup == 0;
        }
        if (bar_here && !append_bar_row(staff, row(3), next_x, AddBarLinesWords(4))) return;
    }
    InputStaff = staff;
}

}  // namespace

// Contract: see the header. Reads the store, InputStaff, ColumnRecords, PageExtent; writes
// AddBarLinesWords (the dialog's answer), ColumnRecords (bar-line rows after the others),
// InputStaff, and on Exit CommandLine(1) and SecondLine(1). A meter with a number of 0 or less
// adds nothing and says so; rows that fill ColumnRecords stop the bar lines there.
void ask_add_bar_lines(bool offer_last_answer) {
    if (bars_already_there()) return;
    if (offer_last_answer && AddBarLinesLastNo != 0) core::front_end().PresetNoForNextQuestion();
    const int answer = core::front_end().AskYesNoExit("-- Add bar lines?");
    if (answer == kAnswerExit) {
        core::CommandLine(1) = '!';
        core::SecondLine(1) = '!';
        return;
    }
    AddBarLinesLastNo = answer == kAnswerYes ? 0 : 1;
    if (answer != kAnswerYes) return;
    if (core::front_end().RunAddBarLinesDialog(AddBarLinesWords) != 1) return;
    if (AddBarLinesWords(1) <= 0 || AddBarLinesWords(2) <= 0) {
        core::report_failure("*** Bar lines need a meter of numbers above 0: none were added.");
        return;
    }
    const int32_t n = layout::ColumnRecords.count;
    if (n < 1) return;
    append_bar_rows(n);
    store_input_items();
    render::redraw_items();
    core::refresh_screen();
}

}  // namespace input
