// RESTORE, the parameter page, the E-word tail and the item bar.
#include <algorithm>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/areas/box_selection.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/tables.h"
#include "engine/input/typed/input_lines.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::CommandLine;
using core::CommandModeLetters;
using core::ItemStore;
using core::ParamBuffer;

constexpr int32_t kBoxDrawn = 3;  // PendingBoxOperation after a box was drawn for "ED"
constexpr int32_t kTextCode = 16;
constexpr int32_t kEpsCode = 15;
constexpr int32_t kLastPage = 21;

// The "EDI" word as typed, until its box is drawn: an edit form that ends early names it.
std::string ed_word;

void request_item_bar() {
    core::ServiceBlock block;
    block.fill(0);
    block(1) = ItemBarMode;
    core::request_front_end_service('e', block);
}

}  // namespace

// Contract: with RestoreSaveArea empty (word 1 = 0.0), the message "*** Nothing to RESTORE."
// and nothing else. Otherwise the kept record is appended after the last item, the start table
// rebuilt and the new item moved to RestoreItemNumber; the page is redrawn; CommandLine becomes
// "I*" (mode letters I and blank) with P(2) = that number, so that the interpreter opens it; the
// area and RestoreItemNumber are cleared. An item being edited keeps its working copy tied to
// it: its number moves up with the insert. A store without room for the record gets "**** The
// page is full: the kept item was not put back." and keeps the record.
void restore_item() {
    if (RestoreSaveArea(1) == 0.0f) {
        core::report_failure("*** Nothing to RESTORE.");
        return;
    }
    const int32_t len = std::clamp(core::int_of(RestoreSaveArea(1)) + 1, 1, kRestoreWords);
    // After the last item, never after a preview record of the edited item.
    const int32_t start = core::ItemStartTable(core::ItemCount + 1);
    if (!render::page_has_room_or_refuse(1, len, "the kept item was not put back")) return;
    core::copy_words(RestoreSaveArea.at(1), ItemStore.at(start), len);
    core::ItemWordsUsed = start + len;
    if (core::ItemWordsUsed <= core::kItemStoreWords) ItemStore(core::ItemWordsUsed) = 0.0f;
    ++core::ItemCount;
    core::ItemStartTable(core::ItemCount + 1) = core::ItemWordsUsed;
    core::rebuild_item_start_table();

    const int32_t place = std::clamp(RestoreItemNumber, 1, core::ItemCount);
    ParamBuffer(2) = static_cast<float>(core::ItemCount);
    ParamBuffer(3) = static_cast<float>(place);
    core::move_item_to_position();
    if (core::EditedItemNumber >= place) ++core::EditedItemNumber;
    core::ChangesMadeFlag = 1;
    render::redraw_items();

    CommandLine.set("I*");
    CommandModeLetters(1) = 'I';
    CommandModeLetters(2) = ' ';
    ParamBuffer(2) = static_cast<float>(place);
    ParamBuffer(3) = 0.0f;
    RestoreItemNumber = 0;
    RestoreSaveArea(1) = 0.0f;
}

// Contract: PM. Page p from P(2) (1, 11 or 21; 21 without P(2)); for a text or EPS item page 21
// does nothing (returns 0, P(1) = 0). ParamPageBlock words 1-10 = the stored Pp..P(p+9) (up to
// the item's count, and for text or EPS its header), 11-20 = E(p)..E(p+9); the parameter dialog
// runs on them. Every word j it changed against word j + 10 becomes the pair (p + j - 1, new)
// in ParamBuffer, ended by 0.0; returns the next free pair index. CommandLine = the dialog's
// data line up to its NUL (blank when it gave none), MessageLine blank. Cancel, or no item being
// edited, collects nothing (P(1) = 0, returns 1) and leaves CommandLine blank.
int32_t collect_changed_parameters() {
    int32_t page = kLastPage;
    if (ParamBuffer(2) != 0.0f) {
        page = core::int_of((ParamBuffer(2) - 1.0f) / 10.0f) * 10 + 1;
        page = std::clamp(page, 1, kLastPage);
    }
    ParamPageBlock.fill(0.0f);
    const int32_t k = core::EditedItemNumber;
    if (k < 1 || k > core::ItemCount) {
        ParamBuffer(1) = 0.0f;
        CommandLine.blank();
        return 1;
    }
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = core::int_of(ItemStore(s));
    const int32_t code = core::int_of(ItemStore(s + 1));
    int32_t last = 30;
    if (code == kEpsCode || code == kTextCode) {
        last = (n >= 14 && ItemStore(s + 14) == -1.0f) ? 16 : 13;
        if (page == kLastPage) {
            ParamBuffer(1) = 0.0f;
            return 0;
        }
    }
    const int32_t stored_last = std::min(n, last);
    for (int32_t j = 1; j <= 10; ++j) {
        const int32_t p = page + j - 1;
        if (p <= stored_last) ParamPageBlock(j) = ItemStore(s + p);
        ParamPageBlock(j + 10) = core::EditItemParams(p);
    }

    core::Array1<float, 30> block;
    for (int32_t j = 1; j <= 30; ++j) block(j) = ParamPageBlock(j);
    core::clear_exchange_text();
    const int result = core::front_end().RunParameterEditor(block, page - 11);
    for (int32_t j = 1; j <= 30; ++j) ParamPageBlock(j) = block(j);
    if (result == 2) {
        ParamBuffer(1) = 0.0f;
        CommandLine.blank();
        return 1;
    }

    int32_t index = 1;
    for (int32_t j = 1; j <= 10; ++j) {
        if (ParamPageBlock(j) == ParamPageBlock(j + 10)) continue;
        ParamBuffer(index) = static_cast<float>(page + j - 1);
        ParamBuffer(index + 1) = ParamPageBlock(j + 10);
        index += 2;
    }
    ParamBuffer(index) = 0.0f;
    // The dialog ends its data line with a NUL; an empty one is a blank line, not a command.
    CommandLine.set(core::MessageLine.c_text());
    core::clear_exchange_text();
    return index;
}

// Contract: the E words that reach the tail, by CommandLine and PendingBoxOperation:
// - a box drawn for "ED" (operation 3): operation and first mode letter cleared; no staff
//   (P(1) = 0) is reported by report_missing_staff; else P(2) < 0 becomes 0, P(3) of 0 or
//   beyond PageExtent becomes PageExtent, the staff range is turned back into input lines and,
//   when that asks for it, the input mode runs (InputParserMode and MacroUnit -1 first) and
//   the items it built take the range's place in the store; a running command file answers
//   the edit form (EditFormAnswerUnit) and keeps its unit in MacroUnit afterwards;
// - "EN" is the interpreter's (the transposition), nothing here;
// - a third letter I: first mode letter -1 and PendingBoxOperation 1 (a box is awaited);
// - "EE" (sent by the fit-to-window buttons) does nothing;
// - any other E word: the item bar is toggled (ItemBarSign changes sign, ItemBarMode =
//   max(sign, 0), request "e");
// - anything else: the unknown-word message with SecondLine.
void run_ed_command() {
    if (core::PendingBoxOperation == kBoxDrawn) {
        core::PendingBoxOperation = 0;
        CommandModeLetters(1) = 0;
        if (ParamBuffer(1) == 0.0f) {
            report_missing_staff();
            return;
        }
        if (const int32_t staff = core::int_of(ParamBuffer(1));
            staff < 1 || staff > layout::kMaxStaves) {
            report_staff_out_of_range();
            return;
        }
        if (ParamBuffer(2) < 0.0f) ParamBuffer(2) = 0.0f;
        if (ParamBuffer(3) == 0.0f || ParamBuffer(3) > render::PageExtent) {
            ParamBuffer(3) = render::PageExtent;
        }
        input::RegenerateLinesFlag = 1;
        // An edit form that ends before it builds the lines puts this page back.
        input::keep_edit_form_start(ed_word.empty() ? "ED" : ed_word);
        ed_word.clear();
        if (input::regenerate_input_lines() < 0) {
            // The edit form runs with MacroUnit -1: a command file that ran ED answers its lines
            // and then reads on from the line after them.
            const int32_t unit = core::MacroUnit;
            input::EditFormAnswerUnit = unit > 0 ? unit : 0;
            input::InputParserMode = -1;
            core::MacroUnit = -1;
            input::run_input_mode();
            input::place_regenerated_items();
            if (unit > 0) core::MacroUnit = unit;
            input::EditFormAnswerUnit = 0;
        } else {
            input::forget_edit_form_start();
        }
        input::RegenerateLinesFlag = 0;
        CommandModeLetters(1) = 0;
        return;
    }
    if (CommandLine(1) == 'E' && CommandLine(2) == 'N') return;
    if (CommandLine(3) == 'I') {
        const std::string line = CommandLine.trimmed();
        ed_word = line.substr(0, line.find_first_of(" *"));
        CommandModeLetters(1) = -1;
        core::PendingBoxOperation = 1;
        return;
    }
    if (CommandLine(1) == 'E') {
        // "EE" is what the fit-to-window buttons send before their fit: the item bar stays as
        // the user left it.
        if (CommandLine(2) == 'E' && CommandLine(3) == ' ') return;
        ItemBarSign = -ItemBarSign;
        ItemBarMode = std::max(ItemBarSign, 0);
        request_item_bar();
        return;
    }
    core::report_unknown_word(core::FixedText<9>(core::SecondLine.sub(1, 9)));
}

// Contract: ItemBarMode = max(mode, 0); the front-end shows (1) or hides (0) the item bar.
void set_item_bar_mode(int32_t mode) {
    ItemBarMode = std::max(mode, 0);
    request_item_bar();
}

}  // namespace edit
