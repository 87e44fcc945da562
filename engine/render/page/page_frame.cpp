#include "engine/render/page/page_frame.h"

#include <array>

#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"

namespace render {

int32_t (*NewNoteMarkDrawer)() = nullptr;

namespace {

constexpr int kClearedWords = 50;
constexpr float kFrameGreen = 9900.0f;
constexpr float kMarkBarColour = 9020.0f;
constexpr float kInchUnits = 22.857f;  // code 12 box units per inch of paper

const std::array<PageFrameGeometry, 8> kFormats = {{
    {100.0f, 129.8695f, 194.2845f, 251.427f, 44500.0f, 0},
    {100.0f, 164.15501f, 194.2845f, 319.99802f, 58500.0f, 0},
    {133.334f, 198.4405f, 251.427f, 388.569f, 72000.0f, 42200},
    {213.33354f, 129.8695f, 388.569f, 251.427f, 44500.0f, 17900},
    {142.6668f, 192.72626f, 267.4269f, 377.1405f, 69000.0f, 41200},
    {97.33341f, 137.86946f, 189.7131f, 267.4269f, 56500.0f, 20500},
    {117.33344f, 163.01216f, 223.99861f, 317.7123f, 69000.0f, 30200},
    {0.0f, 0.0f, 0.0f, 0.0f, 69000.0f, 41200},
}};

void clear_params() {
    for (int k = 1; k <= kClearedWords; ++k) core::ParamBuffer(k) = 0.0f;
}

int32_t rgb(int32_t red, int32_t green, int32_t blue) { return red | (green << 8) | (blue << 16); }

// Draws the item set up in ParamBuffer as the redraw draws a stored one, but belonging to no
// item (EditedItemNumber -1), and hands its points over in its colour.
void draw_unstored_item() {
    core::EditedItemNumber = -1;
    draw_item_by_code();
    if (PathPointList.count > 1) set_item_colour();
}

// The " C" window set-up of the paper: the window size for the paper's height and the view's
// vertical origin (before the outline) .
void set_up_window(int32_t format, const PageFrameGeometry& g) {
    auto& p = core::ParamBuffer;
    p(1) = format == 3 ? 69500.0f : 69000.0f;
    p(2) = g.window_p2;
    core::ServiceBlock block;
    block(1) = core::int_of(p(1));
    block(2) = core::int_of(p(2));
    core::request_front_end_service('0', block);
    ScrollState.client_width = block(3);
    ScrollState.client_height = block(4);
    if (g.view_y != 0) ViewOrigin.y = g.view_y;
}

void set_scroll_position(int32_t x, int32_t y) {
    core::ServiceBlock block;
    block(1) = x;
    block(2) = y;
    core::request_front_end_service('p', block);
    ScrollState.position_x = x;
    ScrollState.position_y = y;
}

// The paper outline as a code 12 box, through the box drawer's hook. The box belongs to staff
// 0, so it is placed as any staff-0 item (its own words say where its corners go).
void draw_paper_outline(int32_t format) {
    auto& p = core::ParamBuffer;
    const PageFrameGeometry g = page_frame_geometry(format);
    clear_params();
    p(26) = kFrameGreen;
    const bool window = core::CommandLine.starts_with(" C");
    if (window) set_up_window(format, g);
    p(3) = g.left;
    p(4) = g.centre;
    p(6) = g.width;
    p(7) = g.height;
    if (window) set_scroll_position(-2400, 55000);
    p(1) = 12.0f;
    p(2) = 0.0f;
    p(5) = 0.0f;
    p(8) = 2.0f;
    for (int k = 1; k <= 45; ++k) core::IntParamBuffer(k) = static_cast<int32_t>(p(k));
    core::EditedItemNumber = -1;
    layout::StaffTables.CurrentStaff = 0;
    set_item_position();
    run_hook(RenderHooks.draw_box_or_circle_item);
    if (PathPointList.count > 1) set_item_colour();
}

// The symbol of a mark of kind 0..3, which the page extent overrides for the extents that
// have a symbol of their own.
float mark_symbol(int32_t kind) {
    struct ExtentSymbol {
        float extent;
        float symbol;
    };
    constexpr std::array<ExtentSymbol, 5> kByExtent = {{{234.0f, 1308.0f},
                                                        {194.0f, 1307.0f},
                                                        {285.0f, 1306.0f},
                                                        {266.0f, 1305.0f},
                                                        {213.0f, 1309.0f}}};
    for (const auto& e : kByExtent) {
        if (PageExtent == e.extent) return e.symbol;
    }
    return 1299.0f + static_cast<float>(kind);
}

// Sets up the symbol mark of a positive DisplayMarkWord in ParamBuffer and DrawColourWord.
void prepare_symbol_mark(int32_t word) {
    auto& p = core::ParamBuffer;
    const int32_t kind = word / 1000;
    const int32_t staff = word % 1000;
    p(1) = 13.0f;
    p(2) = static_cast<float>(staff);
    if (kind <= 1) {
        DrawColourWord = rgb(44, 150, 0);
    } else if (kind == 2) {
        DrawColourWord = rgb(253, 127, 0);
    } else {
        DrawColourWord = rgb(0, 127, 253);
    }
    if (kind <= 3) {
        // A staff without a scale yet is drawn at the plain size rather than divided by zero.
        const float scale =
            staff <= layout::kMaxStaves ? layout::StaffTables.StaffScale(staff) : 0.0f;
        p(6) = scale > 0.0f ? 25.0f / scale : 1.0f;
        p(4) = 11.0f - 11.0f * p(6);
        p(5) = mark_symbol(kind);
    } else {
        p(3) = staff == 0 ? -7.0f : static_cast<float>(staff);
        p(2) = 0.0f;
        p(4) = 21.0f;
        p(5) = kind == 4 ? 1303.0f : 1304.0f;
        p(6) = kind == 4 ? 3.333f : 2.623f;
    }
}

}  // namespace

PageFrameGeometry page_frame_geometry(int32_t format) {
    if (format < 1 || format > 8) return {};
    PageFrameGeometry g = kFormats[static_cast<std::size_t>(format - 1)];
    if (format == 8) {
        const float w = UserPaperSize.width;
        const float h = UserPaperSize.height;
        g.left = w * 13.3334f - 13.3334f;
        g.centre = h * 0.5f * kInchUnits + 4.156f;
        g.width = w * kInchUnits;
        g.height = h * kInchUnits;
    }
    return g;
}

// Contract: see the header.
void draw_page_frame() {
    auto& p = core::ParamBuffer;
    const int32_t colour = DrawColourWord;
    const int32_t edited = core::EditedItemNumber;
    const int32_t staff = layout::StaffTables.CurrentStaff;
    const float p2 = p(2);

    const int32_t format = core::PageFormatIndex;
    if (format >= 1 && format <= 8) {
        if (format == 4) {
            // The fold between the two pages of a double page.
            clear_params();
            p(1) = 4.0f;
            p(3) = 213.334f;
            p(4) = 4.5f;
            p(5) = 256.0f;
            p(6) = 213.334f;
            p(26) = kFrameGreen;
            draw_unstored_item();
        }
        draw_paper_outline(format);
        DrawColourWord = colour;
    }

    bool marked = false;
    if (core::CommandLine(3) == 'E') {
        clear_params();
        p(1) = 14.0f;
        p(2) = 1.0f;
        p(3) = p2;
        p(4) = 30.0f;
        p(5) = 7.0f;
        p(8) = 2.0f;
        p(9) = 3.0f;
        p(10) = -6.0f;
        p(11) = 18.0f;
        p(26) = kMarkBarColour;
        draw_unstored_item();
        marked = true;
    } else if (DisplayMarkWord < 0) {
        clear_params();
        layout::StaffTables.CurrentStaff = staff;
        if (NewNoteMarkDrawer != nullptr) NewNoteMarkDrawer();
        marked = true;
    } else if (DisplayMarkWord > 0) {
        clear_params();
        prepare_symbol_mark(DisplayMarkWord);
        draw_unstored_item();
        marked = true;
    }
    if (marked) {
        clear_params();
        if (core::MacroUnit != -2) core::front_end().RefreshDisplayFromEngine();
    }

    DrawColourWord = colour;
    core::EditedItemNumber = edited;
    layout::StaffTables.CurrentStaff = staff;
}

void register_page_frame() { RenderHooks.draw_page_frame = draw_page_frame; }

}  // namespace render
