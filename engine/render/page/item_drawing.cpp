#include "engine/render/page/item_drawing.h"

#include <array>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/shown_page.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kLastDrawnCode = 20;
// Codes whose x moves right by P15 x 150 before they are drawn.
constexpr std::array<bool, kLastDrawnCode + 1> kShiftedByP15 = {
    false,                                                               // (no code 0)
    false, false, true,  false, false, false, true, false, true, true,   // 1..10
    false, true,  false, true,  false, false, true, true,  true, true};  // 11..20

std::array<ItemDrawer, kLastDrawnCode + 1> g_drawers{};
std::array<ItemDrawer, 4> g_code12_drawers{};

// How far (display units) beyond the page's right edge an item may lie before the notice.
constexpr float kBoundsMargin = 12100.0f;

// Default place of staff 0, which no staff item sets (the empty page's base of staff s is
// -27675 + 3150 x s).
constexpr int32_t kStaffZeroBaseY = -27675;

void call(ItemDrawer drawer) {
    if (drawer != nullptr) drawer();
}

void draw_code12() {
    const int32_t kind = core::IntParamBuffer(5);
    Code12Drawer which = Code12Drawer::Arrow;
    if (kind == 10) {
        which = Code12Drawer::RuledFigure;
    } else if (kind < 0) {
        which = Code12Drawer::GuitarGrid;
    } else if (kind == 0 || kind == 1) {
        which = Code12Drawer::BoxOrCircle;
    }
    call(g_code12_drawers[static_cast<std::size_t>(which)]);
}

// Codes 9, 13 and 14 park P3..P15 around their drawer, which may change them for nested work.
void draw_with_parked_params(ItemDrawer drawer) {
    core::push_words(13, core::ParamBuffer.at(3));
    try {
        call(drawer);
    } catch (...) {
        // A drawer's fault ends the command; the stack must not keep the parked words.
        core::pop_words(13, core::ParamBuffer.at(3));
        throw;
    }
    core::pop_words(13, core::ParamBuffer.at(3));
}

// The view follows the item being edited: after drawing an item on the edited item's staff the
// scrollable area is recomputed (unless the screen is frozen or the line was a "c" command).
void follow_edited_item() {
    const char c = core::SecondLine(1);
    if (c == 'c' || c == 'C') return;
    const int32_t edited = core::EditedItemNumber;
    if (edited <= 0 || edited >= core::kItemStartEntries) return;
    if (FreezeScreen < 0) return;
    const int32_t start = core::ItemStartTable(edited);
    if (start < 1 || start + 2 > core::kItemStoreWords) return;
    if (core::ParamBuffer(2) != core::ItemStore(start + 2)) return;
    // The view's own work leaves E13 as it was, fractions and all: half and fifth steps of the
    // marks and brackets live there.
    const float e13 = core::EditItemParams(13);
    run_hook(RenderHooks.update_view_geometry);
    core::EditItemParams(13) = e13;
}

}  // namespace

void register_item_drawer(int32_t code, ItemDrawer drawer) {
    if (code < 1 || code > 18 || code == 12) core::report_index_defect("drawer code", code, 1, 18);
    g_drawers[static_cast<std::size_t>(code)] = drawer;
}

ItemDrawer registered_item_drawer(int32_t code) {
    if (code < 1 || code > kLastDrawnCode) return nullptr;
    return g_drawers[static_cast<std::size_t>(code)];
}

void register_code12_drawer(Code12Drawer kind, ItemDrawer drawer) {
    g_code12_drawers[static_cast<std::size_t>(kind)] = drawer;
}

ItemDrawer registered_code12_drawer(Code12Drawer kind) {
    return g_code12_drawers[static_cast<std::size_t>(kind)];
}

int32_t staff_base_y(int32_t s) {
    if (s == 0) return kStaffZeroBaseY;
    return layout::StaffTables.StaffBaseY(s);
}

// Contract: draws the item in ParamBuffer. Fills IP1..IP45, checks the code (1..20) and the
// staff (0..MaxStaffNumber), makes IP2 the current staff, clears PreparedFlag, places the item,
// takes the loaded font's number and calls the code's drawer with its steps around it; a code
// without a registered drawer draws nothing. Afterwards (not for codes 8, 11, 19, 20) the view
// follows the item being edited.
void draw_item_by_code() {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    for (int32_t k = 1; k <= 45; ++k) ip(k) = truncate_real(p(k));
    const int32_t code = ip(1);
    if (code < 1 || code > kLastDrawnCode) return;
    if (ip(2) < 0 || ip(2) > layout::MaxStaffNumber || ip(2) > layout::kMaxStaves) return;

    layout::StaffTables.CurrentStaff = ip(2);
    core::PreparedFlag = 0;
    set_item_position();
    CurrentFontNumber = LoadedFont.number;

    if (kShiftedByP15[static_cast<std::size_t>(code)] && p(15) != 0.0f) {
        ItemDrawOrigin.x += p(15) * 150.0f;
    }
    const ItemDrawer drawer = g_drawers[static_cast<std::size_t>(code)];
    bool follow = true;
    switch (code) {
        case 7:
            call(drawer);
            core::CommandLine(1) = ' ';
            break;
        case 8:
            call(drawer);
            follow = false;
            break;
        case 9:
        case 13:
            draw_with_parked_params(drawer);
            break;
        case 11:
            call(drawer);
            core::FrontEndCommandBuffer.blank();
            follow = false;
            break;
        case 12:
            draw_code12();
            break;
        case 14:
            // An "INV" line makes a bar line typed without a height invisible.
            if (ip(4) == 0 && core::SecondLine.starts_with("INV")) core::EditItemParams(4) = -1.0f;
            draw_with_parked_params(drawer);
            break;
        case 16:
            call(drawer);
            if (core::EditedItemNumber == 0) core::EditItemParams(13) = 0.0f;
            break;
        case 19:
        case 20:
            follow = false;
            break;
        default:
            call(drawer);
            break;
    }
    if (follow) follow_edited_item();
}

// Contract: ItemDrawOrigin x = P3 x 150 and y = v x 7 x StaffScale + StaffBaseY of the current
// staff, v = P4 (its remainder by 100 for codes 1, 2, 3 and 6, whose hundreds mean something
// else); element 0 of StaffScale takes the current staff's scale; IP3 = INT(x). An x beyond the
// page's right edge by more than 12,100 gives the out-of-bounds notice (unless switched off or
// held) and arms the immediate key mode; the item is placed all the same.
void set_item_position() {
    auto& p = core::ParamBuffer;
    auto& staves = layout::StaffTables;
    const int32_t staff = staves.CurrentStaff;
    const float x = p(3) * 150.0f;
    ItemDrawOrigin.x = x;
    const float scale = staves.StaffScale(staff);
    staves.StaffScale(0) = scale;

    if (OutOfBoundsNoticeOff != 1 && OutOfBoundsNoticeHeld == 0 &&
        x > PageExtent * 150.0f + kBoundsMargin) {
        report_out_of_bounds();
        core::front_end().ArmImmediateKeyMode();
    }
    core::IntParamBuffer(3) = core::int_of(x);

    float v = p(4);
    const int32_t code = core::IntParamBuffer(1);
    if (code == 1 || code == 2 || code == 3 || code == 6) v = core::compute_real_mod(p(4), 100.0f);
    ItemDrawOrigin.y = v * 7.0f * scale + static_cast<float>(staff_base_y(staff));
}

float compute_staff_y(float pos) {
    const int32_t staff = layout::StaffTables.CurrentStaff;
    return pos * 7.0f * layout::StaffTables.StaffScale(staff) +
           static_cast<float>(staff_base_y(staff));
}

// Contract: flag = 1; the first staff item (stored P1 = 8.0) whose P2 equals StaffLookupNumber
// gives left = its P3 (0.0 when the record has fewer than 3 P's) and right = its P6 (PageExtent
// when it has fewer than 6 or P6 is 0). Reads ItemStore, ItemStartTable, ItemCount.
void get_staff_ends(float& left, float& right, int32_t& flag) {
    flag = 1;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(s));
        if (n < 2 || core::ItemStore(s + 1) != 8.0f) continue;
        if (core::ItemStore(s + 2) != StaffLookupNumber) continue;
        left = n >= 3 ? core::ItemStore(s + 3) : 0.0f;
        right = PageExtent;
        if (n >= 6 && core::ItemStore(s + 6) != 0.0f) right = core::ItemStore(s + 6);
        return;
    }
}

int32_t colour_from_value(float value) {
    float g = value;
    if (g == 1.0f) g = 0.92f;
    if (g < 1.0f) g = g * 1000000.0f + g * 10000.0f + g * 100.0f;
    const int32_t v = core::int_of(g);
    // A pair above 99 (or a negative value) would spill into the next channel or the operation
    // byte; each channel is held to one byte instead.
    auto channel = [](int32_t pair) {
        const int32_t c = core::int_of(static_cast<float>(pair) * 2.56f);
        return c < 0 ? 0 : (c > 255 ? 255 : c);
    };
    const int32_t red = channel(v / 10000);
    const int32_t green = channel((v % 10000) / 100);
    const int32_t blue = channel(v % 100);
    return red | (green << 8) | (blue << 16);
}

// Contract: a text item with P14 = -1 takes its colour from P16 (P26 := P16). P26 = 0 keeps
// DrawColourWord; otherwise its low three bytes become the colour of P26 (remembered in
// ColourMemo for the rest of the item). Then begin_item_drawing.
void set_item_colour() {
    auto& p = core::ParamBuffer;
    if (p(1) == 16.0f && p(14) == -1.0f) p(26) = p(16);
    if (p(26) != 0.0f) {
        if (ColourMemo.valid != 0) {
            DrawColourWord = ColourMemo.colour;
        } else {
            const uint32_t top = static_cast<uint32_t>(DrawColourWord) & 0xFF000000u;
            DrawColourWord =
                static_cast<int32_t>(top | static_cast<uint32_t>(colour_from_value(p(26))));
            ColourMemo.colour = DrawColourWord;
            ColourMemo.valid = 1;
        }
    }
    begin_item_drawing();
}

// Contract: fills FrontEndCommandBuffer with the notice for staff IP2 and code IP1 (columns 7-9
// and 18-19 of the template), runs the front-end's notice, keeps its "don't show again" answer
// in OutOfBoundsNoticeOff and blanks the buffer.
void report_out_of_bounds() {
    ++core::MessagesShown;
    auto& buffer = core::FrontEndCommandBuffer;
    if (core::ParamBuffer(3) > 0.0f) {
        buffer.set("Stf    ,  Code   .  P3 is out of bounds. > 280");
    } else {
        buffer.set("Stf    ,  Code   .  P3 is out of bounds. < -140");
    }
    core::write_int_field(buffer, 7, 9, "(1i3)", core::IntParamBuffer(2));
    core::write_int_field(buffer, 18, 19, "(1i2)", core::IntParamBuffer(1));
    int32_t end = 0;
    core::c_string(buffer, 48, end);
    OutOfBoundsNoticeOff = core::front_end().RunOutOfBoundsNotice();
    buffer.blank();
}

OutOfBoundsNoticeHold::OutOfBoundsNoticeHold() : before_(OutOfBoundsNoticeHeld) {
    OutOfBoundsNoticeHeld = 1;
}

OutOfBoundsNoticeHold::~OutOfBoundsNoticeHold() { OutOfBoundsNoticeHeld = before_; }

}  // namespace render
