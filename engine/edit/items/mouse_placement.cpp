#include "engine/edit/items/mouse_placement.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_code_names.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/items/click_picker.h"
#include "engine/edit/items/item_editing.h"
#include "engine/edit/items/parameter_line.h"
#include "engine/edit/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace edit {

namespace {

using core::int_of;
using core::nint;

// The least mouse movement, in display units, that a parameter drag acts on.
constexpr int32_t kDragThreshold = 3;
// The value the slider's "none" position leaves: it is never stored.
constexpr float kNoValue = -9999.0f;

float& e(int32_t k) { return core::EditItemParams(k); }

bool valid_staff(int32_t s) { return s >= 1 && s <= layout::kMaxStaves; }

// The item name shown for the edited item: its code's name, or for trills and boxes the name of
// the figure they draw.
core::FixedText<7> shown_item_name() {
    int32_t code = int_of(e(1));
    if (code == 7) {
        const float kind = e(7);
        if (kind == 1.0f) {
            code = 19;
        } else if (kind > 19.0f && kind < 26.0f) {
            code = 20;
        } else if (kind != 0.0f) {
            code = 23;
        }
    } else if (code == 12) {
        if (e(5) < 0.0f) {
            code = 21;
        } else if (e(5) == 10.0f) {
            code = 22;
        }
    }
    return core::item_code_name(code);
}

// The step field: the arrow step with its code when one is chosen, else the move step when it is
// not the plain 1.0.
void write_step_text() {
    core::FixedText<13> step;
    if (core::ArrowStepCode == 0) {
        if (HorizontalMoveStep != 1.0f) {
            step.put(1, 6, "  Inc=");
            core::write_real_field(step, 7, 11, "(1f5.2)", HorizontalMoveStep);
        }
    } else {
        step.put(1, 7, "   Inc=");
        core::write_int_field(step, 1, 2, "(1i2)", core::ArrowStepCode);
        core::write_real_field(step, 9, 13, "(1f5.2)", core::ArrowStep);
    }
    core::ItemPanelRecord.step_text.set(step.view());
}

// The edited item drawn again from EditItemParams in the highlight colour, over its last
// preview: an empty pair list applied, which also marks the change as not yet stored.
void redraw_placed_item() {
    // The stored image would stay at the old place while the preview follows the mouse.
    hide_stored_image();
    const int32_t keyword_flag = start_working_preview();
    core::ParamBuffer(1) = 0.0f;
    int32_t n = 0;
    if (core::OutputBufferViews.graphics.bound() && core::OutputBufferViews.text.bound()) {
        apply_edit_line(n);
    } else {
        for (int32_t k = 1; k <= 45; ++k) core::ParamBuffer(k) = e(k);
        EditChangesPending = 1;
    }
    render::AfterKeywordFlag = keyword_flag;
}

// EditScratch slots 3..6 take P3..P6 and the placement is marked.
void keep_placed_position() {
    for (int32_t k = 3; k <= 6; ++k) EditScratch(k) = core::ParamBuffer(k);
    PositionEditedFlag = 1;
}

// Places the edited item at page point (x, y) in P3 and step units: the horizontal and vertical
// edit parameters by EndMoveMode (0 relative, 1 and 2 absolute). round_codes_above_16 also
// makes P4 whole for codes above 16.
void place_item(float x, float y, bool round_codes_above_16) {
    const int32_t code = int_of(e(1));
    const int32_t mode = EndMoveMode;
    core::ParamBuffer(3) = e(3);
    core::ParamBuffer(6) = e(6);
    const float dx = x - (code == 6 && mode == 2 ? e(6) : e(3));
    const float dy = y - e(4);
    for (int32_t i = 1; i <= 6; ++i) {
        const int32_t k = HorizontalEditParams(i);
        if (k < 1 || k > 50) continue;
        if (k == 3 || mode == 1 || mode == 2) {
            e(k) = x;
        } else {
            e(k) += dx;
        }
    }
    for (int32_t i = 1; i <= 2; ++i) {
        const int32_t k = VerticalEditParams(i);
        if (k == 0) continue;
        if (k == 5) {
            e(5) = mode == 2 ? y : e(5) + dy;
        } else {
            const bool whole = code < 4 || (round_codes_above_16 && code > 16);
            e(4) = whole ? static_cast<float>(nint(y)) : y;
        }
    }
    if (mode == 0 && code == 4 && e(7) == 100.0f) {
        for (int32_t k = 8; k <= 16; k += 2) {
            e(k) += dx;
            e(k + 1) += dy;
        }
    }
}

// Whether parameter k of an item with this code is a whole number (rounding digit 1).
bool whole_parameter(int32_t code, int32_t k) {
    switch (code) {
        case 3:
        case 9:
        case 11:
            return k == 5 || k == 9 || k == 10;
        case 4:
            return k == 13 || (k == 7 && e(5) != 999.0f) || (k == 9 && e(7) == 0.0f);
        case 5:
            return k == 11 || k == 12 || (k == 9 && e(8) >= 1.0f);
        case 6:
            return k == 13 || (k >= 7 && k <= 10);
        case 7:
            return k == 7;
        case 8:
            return k == 7 || k == 9;
        case 10:
            return k == 5 || k == 7 || k == 8;
        case 12:
            return k == 5 || k == 9 || k == 12 || (e(5) < 0.0f && k >= 7 && k <= 14);
        case 14:
            return k == 4 || k == 5 || k >= 10;
        case 15:
            return k == 12;
        case 16:
            return k == 8 || k == 9;
        case 17:
            return k >= 5 && k <= 13 && k != 7;
        case 18:
            return k == 12 || (k >= 5 && k <= 9 && k != 7);
        default:  // 1, 2, 13 and codes outside 1..18
            return k == 4 || k == 6 || (code == 2 && (k == 5 || k == 8 || k == 13));
    }
}

// v to the nearest half: below a quarter down, from a quarter to three quarters the half, above
// up; a negative value rounds as its magnitude does.
float round_to_half(float v) {
    const float magnitude = std::fabs(v);
    const float whole = std::trunc(magnitude);
    const float part = magnitude - whole;
    float r = whole;
    if (part > 0.75f) {
        r = whole + 1.0f;
    } else if (part >= 0.25f) {
        r = whole + 0.5f;
    }
    return v < 0.0f ? -r : r;
}

// The reply in MessageLine becomes line, keeping its kind; a line with no reply before (blank up
// to its zero byte) holds a notice: the document's name and item count.
void keep_reply_with(const core::FixedText<512>& line) {
    const bool had_reply = core::MessageLine.c_text().find_first_not_of(' ') != std::string::npos;
    core::leave_reply(had_reply ? core::LeftReplyKind : core::ReplyKind::Notice, line.view());
}

}  // namespace

// Contract: a dragged value v rounded by the rounding digit: 0 whole, 1 whole for the
// parameters of the code's table (else v itself), 2 and above to halves.
float round_dragged_value(float v, int32_t code, int32_t k, int32_t digit) {
    if (digit == 0) return static_cast<float>(nint(v));
    if (digit >= 2) return round_to_half(v);
    return whole_parameter(code, k) ? static_cast<float>(nint(v)) : v;
}

// Contract: fills ItemStatusLine (number, name, code, P2, P3 and P4..P(ShownParamCount)), the
// panel's name, step and move texts, its item number and its words 1..20 (E1..E(ShownParamCount),
// -99991.0 beyond). With no item edited it writes the document name and item count into
// MessageLine after the reply's first zero byte (columns 20..70; without one from column 73 or
// after the reply), ShownParamCount becomes 0 and only the step text follows. Reads EditItemParams,
// EditedItemNumber, HorizontalMoveStep, ArrowStepCode, ArrowStep, EndMoveMode, CurrentFileName,
// ItemCount.
void show_move_step() {
    core::ItemStatusLine.blank();
    const int32_t item = std::abs(core::EditedItemNumber);
    if (item == 0) {
        int32_t at = 0;
        for (int32_t c = 20; c <= 70 && at == 0; ++c) {
            if (core::MessageLine(c) == '\0') at = c;
        }
        // A reply without the zero byte keeps all of its text: the name goes from column 73,
        // or after the reply when it reaches further.
        int32_t from = std::max(73, core::MessageLine.trimmed_length() + 2);
        if (at != 0) {
            core::FixedText<512> line = core::MessageLine;
            line(at) = '\r';
            line(at + 1) = '\n';
            keep_reply_with(line);
            from = at + 2;
        }
        show_item_count(core::FixedText<128>(core::CurrentFileName.sub(1, 128)), from);
        core::ShownParamCount = 0;
        if (HorizontalMoveStep == 1.0f) return;
        write_step_text();
        return;
    }

    write_step_text();
    const int32_t code = int_of(e(1));
    const core::FixedText<7> name = shown_item_name();
    // The panel's name field: the name, blanks, and the end of the text at its ninth byte.
    core::FixedText<24> field(name.view());
    field(9) = '\0';
    core::ItemPanelRecord.item_text = field;
    core::ItemPanelRecord.edited_item = item;

    if (code == 15 || (code == 16 && e(14) != -1.0f)) core::ShownParamCount = 13;
    core::ShownParamCount = std::clamp(core::ShownParamCount, 3, 50);
    auto& line = core::ItemStatusLine;
    core::write_int_field(line, 1, 4, "(1i4)", item);
    // The reply shows the name's eight characters and a blank where the field ends.
    line.put(6, 13, name.view());
    core::write_int_field(line, 16, 17, "(1i2)", code);
    core::write_real_field(line, 19, 23, "(1f5.1)", e(2));
    core::write_real_field(line, 25, 31, "(1f7.2)", e(3));
    for (int32_t k = 4; k <= core::ShownParamCount; ++k) {
        const int32_t c = 33 + 10 * (k - 4);
        if (std::fabs(e(k)) >= 1000.0f) {
            core::write_real_field(line, c, c + 7, "(1f8.1)", e(k));
        } else {
            core::write_real_field(line, c, c + 6, "(1f7.2)", e(k));
        }
    }
    for (int32_t k = 1; k <= core::kItemPanelParams; ++k) {
        core::ItemPanelRecord.params(k) =
            k <= core::ShownParamCount ? e(k) : core::kItemPanelHidden;
    }
    if (EndMoveMode == 0) {
        core::ItemPanelRecord.mode_text.set(code < 4 || code > 8 ? " " : "Move All ");
    }
}

// Contract: the name into MessageLine columns p..p+127, then CR LF, the item count ("(1i4)"),
// a blank and "ITEMS" from column 157, or right after the name when it reaches that far. A
// column p outside 1..385 writes nothing.
void show_item_count(const core::FixedText<128>& name, int32_t p) {
    core::FixedText<512> line = core::MessageLine;
    if (p < 1 || p + 127 + 12 > line.size()) return;
    line.put(p, p + 127, name.view());
    const int32_t at = std::max(157, p + name.trimmed_length());
    line(at) = '\r';
    line(at + 1) = '\n';
    core::write_int_field(line, at + 2, at + 5, "(1i4)", core::ItemCount);
    line(at + 6) = ' ';
    line.put(at + 7, at + 11, "ITEMS");
    keep_reply_with(line);
}

// Contract: places the edited item at the MouseRegion point (view origin taken off; a staff
// above 200 lies on the right-hand page, 227.0 P3 units along), draws it again in the highlight
// colour, shows the move step and keeps the new P3..P6 in EditScratch (PositionEditedFlag 1).
// Nothing happens with no item edited or an item whose staff is outside the staff table.
void move_item_to_mouse() {
    if (core::EditedItemNumber == 0) return;
    const int32_t code = int_of(e(1));
    const int32_t staff = int_of(e(2));
    if (!valid_staff(staff)) return;
    const float scale = layout::StaffTables.StaffScale(staff);
    if (scale == 0.0f) return;
    const float s = (code > 16 || code == 2 || code == 3) ? -2.0f : 2.0f;
    float x = static_cast<float>(core::MouseRegion(kPointX) - render::ViewOrigin.x) / kUnitsPerP3;
    if (staff > layout::kLeftPageStaves) x -= kSecondPageP3;
    const double base =
        static_cast<double>(layout::StaffTables.StaffBaseY(staff)) - render::ViewOrigin.y;
    const float y = static_cast<float>((core::MouseRegion(kPointY) - base) / (7.0 * scale)) + s;
    place_item(x, y, true);
    redraw_placed_item();
    show_move_step();
    keep_placed_position();
}

// Contract: one step of a drag. start 0 only takes the mouse x. With SliderParameter below 3
// (or start -1) the item is placed at the mouse point (no view origin, no page shift). Else
// parameter k = SliderParameter moves by the mouse's x movement / SliderStep, rounded by
// RoundingDigit, once the mouse moved 3 display units; start then takes the mouse x. The item
// is drawn again, ShownParamCount raised to k, the move step shown and the new P3..P6 kept.
// A parameter outside 1..50 or no item edited does nothing.
void drag_item_with_mouse(int32_t& start) {
    const int32_t mouse_x = core::MouseRegion(kPointX);
    if (start == 0) {
        start = mouse_x;
        return;
    }
    if (core::EditedItemNumber == 0) return;
    const int32_t k = SliderParameter;
    const int32_t code = int_of(e(1));
    if (start == -1 || k < 3) {
        const int32_t staff = int_of(e(2));
        if (!valid_staff(staff)) return;
        const float scale = layout::StaffTables.StaffScale(staff);
        if (scale == 0.0f) return;
        const float x = static_cast<float>(mouse_x) / kUnitsPerP3;
        const double base =
            static_cast<double>(layout::StaffTables.StaffBaseY(staff)) - render::ViewOrigin.y;
        const float y =
            static_cast<float>((core::MouseRegion(kPointY) - base - 16384.0) / (7.0 * scale)) +
            2.0f;
        place_item(x, y, false);
        start = mouse_x;
        redraw_placed_item();
        show_move_step();
        keep_placed_position();
        return;
    }
    if (k > 50) return;
    const int64_t dx = static_cast<int64_t>(mouse_x) - start;
    if (dx > -kDragThreshold && dx < kDragThreshold) return;
    const float divisor = SliderStep != 0.0f ? SliderStep : 1.0f;
    const float v =
        static_cast<float>(nint((static_cast<double>(dx) / divisor + e(k)) * 10.0)) / 10.0f;
    if (core::RoundingDigit == 1 && !whole_parameter(code, k) && v == e(k)) return;
    const float value = round_dragged_value(v, code, k, core::RoundingDigit);
    if (value == kNoValue) return;
    e(k) = value;
    start = mouse_x;
    redraw_placed_item();
    core::ShownParamCount = std::max(core::ShownParamCount, k);
    show_move_step();
    bool moved = k > 2;
    for (int32_t j = 3; j <= 6; ++j) moved = moved || core::ParamBuffer(j) != EditScratch(j);
    if (moved) keep_placed_position();
}

// Contract: a CommandLine of one to four "[" (or "]") and nothing else becomes "/2 n" (or
// "/2 -n"), the rest blank; any other line is left as it is.
void convert_bracket_size_codes() {
    auto& line = core::CommandLine;
    const char c = line(1);
    if (c != '[' && c != ']') return;
    int32_t n = 0;
    while (n < line.size() && line(n + 1) == c) ++n;
    if (n > 4) return;
    for (int32_t i = n + 1; i <= line.size(); ++i) {
        if (line(i) != ' ') return;
    }
    line.set((c == '[' ? "/2 " : "/2 -") + std::to_string(n));
}

}  // namespace edit
