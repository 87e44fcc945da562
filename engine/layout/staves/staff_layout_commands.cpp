#include "engine/layout/staves/staff_layout_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/undo.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/page_outline_keys.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

constexpr int32_t kFrameKindUnit = 1000;
constexpr int32_t kSpacingStaffOff = 999;

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The paper format chosen by columns 3 and 4 (0: none named).
int32_t paper_format_letter(char col3, char col4) {
    switch (upper(col4)) {
        case 'T':
            return 1;
        case 'G':
            return 2;
        case 'D':
            return 3;
        case 'P':
            return 4;
        case '3':
            return 5;
        case '4':
            return 6;
        default:
            break;
    }
    if (col3 == 'B') return 7;
    if (col3 == 'U') return 8;
    return 0;
}

// The P2 of every item of staff `from` becomes `to`.
void move_staff_items(int32_t from, int32_t to) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        if (start < 1 || start + 2 > core::kItemStoreWords) continue;
        if (core::ItemStore(start) < 2.0f) continue;  // no P2
        if (core::int_of(core::ItemStore(start + 2)) != from) continue;
        core::ItemStore(start + 2) = static_cast<float>(to);
    }
}

}  // namespace

// Contract: see the header. Writes SpacingStaff, SpacingStaffNumber, SpacingList.count (the
// column the note input had reached on the spacing staff) and MessageLine.
void set_spacing_staff(float n) {
    if (n == static_cast<float>(kSpacingStaffOff)) {
        SpacingStaff = 999.0f;
        SpacingStaffNumber = 0;
        SpacingList.count = 0;
        core::leave_reply(core::ReplyKind::Notice, "Spacing staff OFF.");
        return;
    }
    core::leave_reply(core::ReplyKind::Notice, "Spacing staff =" + core::format_real("(1F4.0)", n));
    const bool names_staff = n >= 1.0f && n < static_cast<float>(MaxStaffNumber) + 1.0f;
    if (!names_staff) {
        // No such staff: none, by the value every reader of the spacing staff takes as none
        // (a staff number such as 99 would be taken as a staff by the note input).
        SpacingStaff = 999.0f;
        SpacingStaffNumber = 0;
        SpacingList.count = 0;
        return;
    }
    SpacingStaff = n;
    SpacingStaffNumber = core::int_of(n);
}

// Contract: see the header. Message texts are kept exactly, inch signs included.
void write_paper_message(int32_t index) {
    switch (index) {
        case 1:
            core::leave_reply(core::ReplyKind::Notice, "**** Letter size, 8.5\"x11\"");
            break;
        case 2:
            core::leave_reply(core::ReplyKind::Notice, "**** Legal size, 11\"x14\"");
            break;
        case 3:
            core::leave_reply(core::ReplyKind::Notice, "**** Ledger size, 11\"x17\"");
            break;
        case 4:
            core::leave_reply(core::ReplyKind::Notice, "**** Double page, 17\"x11\"");
            break;
        case 5:
            core::leave_reply(core::ReplyKind::Notice, "**** A3 size, 11.7\"x16.5\"");
            break;
        case 6:
            core::leave_reply(core::ReplyKind::Notice, "**** A4 size, 8.3\"x11.7\"");
            break;
        case 7:
            core::leave_reply(core::ReplyKind::Notice, "**** B4 size, 9.8\"x13.9\"");
            break;
        case 8:
            core::leave_reply(
                core::ReplyKind::Notice,
                "**** Custom size, " + core::format_real("(1F5.2)", render::UserPaperSize.width) +
                    "\"x" + core::format_real("(1F5.2)", render::UserPaperSize.height) + "\"");
            break;
        default:
            core::clear_exchange_text();
            break;
    }
}

// Contract: see the header. Reads columns 3 and 4 of the line as typed (SecondLine: the scan
// has turned the numbers of CommandLine into "*", and "SC 3" names A3 by its column 4) and P2;
// writes PageFrameToggle, DisplayMarkWord, PageFormatIndex, CommandLine columns 1-2 (blanked)
// and MessageLine; redraws. The staff or extent of the frame is held to 0..999 so that it never
// reaches the kind.
void set_page_frame() {
    char col3 = core::SecondLine(3);
    const char col4 = core::SecondLine(4);
    bool frame_off = false;
    if (col3 == '$') {
        if (PageFrameToggle == 0) {
            frame_off = true;
            PageFrameToggle = 1;
        } else {
            col3 = ' ';
        }
    }
    col3 = upper(col3);
    if (col3 == 'X') frame_off = true;

    int32_t& mode = render::DisplayMarkWord;
    if (frame_off) {
        mode = 0;
    } else {
        PageFrameToggle = 0;
        int32_t kind = mode > 0 ? mode / kFrameKindUnit : 0;
        if (col3 < 'A') kind = 1;
        if (col3 == 'I') kind = 2;
        if (col3 == 'C') kind = 3;
        if (col3 == 'V') kind = 4;
        if (upper(col4) == 'C') kind = 5;
        if (kind > 0) {
            float r = core::ParamBuffer(2);
            if (r == 0.0f && kind < 4) {
                float highest = 0.0f;
                float lowest = 0.0f;
                core::find_staff_range(highest, lowest);
                r = highest;
            }
            // The number adds up over successive commands; held below the kind.
            const float number = static_cast<float>(mode > 0 ? mode % kFrameKindUnit : 0) + r;
            mode = kind * kFrameKindUnit + core::int_in(number, 0, kFrameKindUnit - 1);
        } else {
            mode = 0;
        }
    }
    const int32_t format = paper_format_letter(col3, col4);
    if (format != 0) core::PageFormatIndex = format;

    core::CommandLine(1) = ' ';
    core::CommandLine(2) = ' ';
    render::redraw_items();
    write_paper_message(core::PageFormatIndex);
}

// Contract: see the header. Reads the staff items through find_staff_range; writes the P2 of
// the moved items and redraws.
bool spread_staff_numbers() {
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    const int32_t hi = core::int_of(highest);
    const int32_t lo = core::int_of(lowest);
    if (hi <= lo) return false;
    if (2 * hi - lo > MaxStaffNumber) {
        core::leave_reply(core::ReplyKind::Failure,
                          "**** Staff " + std::to_string(hi) + " would move beyond " +
                              std::to_string(MaxStaffNumber) + ": nothing spread.");
        return false;
    }
    for (int32_t s = hi; s >= lo + 1; --s) move_staff_items(s, 2 * s - lo);
    render::redraw_items();
    return true;
}

// Contract: see the header. Reads CommandLine columns 2-4, EditedItemNumber and ItemCount;
// writes what the forms write and clears the first of CommandModeLetters after a form ran.
void run_staff_layout_command() {
    auto& line = core::CommandLine;
    const bool idle = core::EditedItemNumber == 0;
    const char second = line(2);
    const char col3 = line(3);
    const char col4 = line(4);

    if (line.starts_with("STSP")) {
        space_staves_vertically();
        render::redraw_items();
        core::CommandModeLetters(1) = 0;
        return;
    }
    switch (second) {
        case 'C':
            if (idle) set_page_frame();
            break;
        case 'H':
            if (col3 == 'P') {
                render::move_box_outline_by_keys();
            } else if (col3 != 'M') {
                render::reset_head_outline_cache();
                render::OutputPassWord = col3 == 'X' ? 0 : 1;
            }
            break;
        case 'P':
            if (idle) set_spacing_staff(core::ParamBuffer(2));
            break;
        case 'E':
            // The voice separations are the interpreter's; only the spread comes here.
            if (col4 == 'Z' && idle) {
                const core::CommandUndoCopy undo_copy;
                if (spread_staff_numbers()) render::position_view(1);
            }
            break;
        default:
            // Every other S word does nothing.
            break;
    }
    core::CommandModeLetters(1) = 0;
}

}  // namespace layout
