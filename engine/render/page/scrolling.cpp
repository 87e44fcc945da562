#include "engine/render/page/scrolling.h"

#include <algorithm>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace render {

ViewStepRequestRecord ViewStepRequest;

namespace {

constexpr int32_t kFar = 500000;  // a position beyond every page: the view stops at its limit
constexpr int32_t kHomeX = 2400;

struct Position {
    int32_t x = 0;
    int32_t y = 0;
};

// The page's item extent (mode "B") into ScrollState; with room, the vertical extent is made
// at least -31000 .. 60000.
void measure_into_scroll_state(bool with_room) {
    auto& st = ScrollState;
    measure_items_extent(kMeasureAll, st.extent_y_high, st.extent_y_low, st.extent_x_low,
                         st.extent_x_high);
    if (with_room) {
        st.extent_y_high = std::max(st.extent_y_high, 60000);
        st.extent_y_low = std::min(st.extent_y_low, -31000);
    }
}

void ask_client_size() {
    core::ServiceBlock block;
    core::request_front_end_service('z', block);
    ScrollState.client_width = block(1);
    ScrollState.client_height = block(2);
}

Position read_position() {
    core::ServiceBlock block;
    core::request_front_end_service('b', block);
    return {block(1), block(2)};
}

void set_position(Position p) {
    core::ServiceBlock block;
    block(1) = p.x;
    block(2) = p.y;
    core::request_front_end_service('p', block);
    ScrollState.position_x = p.x;
    ScrollState.position_y = p.y;
}

// The scroll limit: where the view stops when sent beyond the page's far corner.
void find_scroll_limit() {
    set_position({kFar, -kFar});
    const Position limit = read_position();
    ScrollState.limit_x = limit.x;
    ScrollState.limit_y = limit.y;
    ScrollState.right_limit = limit.x + kHomeX;
}

void redraw_when_framed() {
    if (PageFormatIndex != 0) redraw_items();
}

// Codes 0..8: where the view goes, from the scroll limit.
Position target_of(int32_t code) {
    const int32_t lx = ScrollState.limit_x;
    const int32_t ly = ScrollState.limit_y;
    switch (code) {
        case 0:
            return {0, -kFar};
        case 1:
            return {-kHomeX, 0};
        case 2:
            return {0, ly / 2};
        case 3:
            return {lx, ly};
        case 4:
            return {lx, 0};
        case 5:
            return {lx, ly / 2};
        case 6:
            return {lx / 2, ly};
        case 7:
            return {lx / 2, 0};
        default:
            return {lx / 2, ly / 2};
    }
}

void place_view(int32_t code) {
    redraw_items();
    for (int pass = 1; pass <= 2; ++pass) {
        measure_into_scroll_state(true);
        ask_client_size();
        const Position now = read_position();
        ScrollState.position_x = now.x;
        ScrollState.position_y = now.y;
        find_scroll_limit();
    }
    Position target = target_of(code);
    if (ScrollFraction != 99.0f) {
        target = {0, core::int_of(static_cast<float>(ScrollState.limit_y) * ScrollFraction)};
    }
    set_position(target);
    redraw_when_framed();
}

// Codes 9..16: the engine's own shift of the drawing.
void shift_view(int32_t code) {
    switch (code) {
        case 9:
            ViewOrigin.y -= 2000;
            break;
        case 10:
            ViewOrigin.y += 4000;
            break;
        case 11:
            ViewOrigin.y += 2000;
            break;
        case 12:
            ViewOrigin.y -= 4000;
            break;
        case 13:
            ViewOrigin.x -= 2000;
            break;
        case 14:
            ViewOrigin.x -= 4000;
            break;
        case 15:
            ViewOrigin.x += 2000;
            break;
        default:
            ViewOrigin.x += 4000;
            break;
    }
    redraw_items();
}

// Code 17: the front-end's jump tokens. "~~999" jumps to the clicked place of MouseRegion,
// "~~998" to the top; the new position is then held inside the page by shifting ViewOrigin.
void jump_view() {
    Position p;
    if (core::CommandLine.starts_with("~~999")) {
        // Request '0' takes the total size from P1 and P2; the redraws that follow reload
        // ParamBuffer anyway.
        core::ParamBuffer(1) = 0.0f;
        core::ParamBuffer(2) = 675.0f;
        core::ServiceBlock block;
        block(1) = 0;
        block(2) = 675;
        core::request_front_end_service('0', block);
        ScrollState.client_width = block(3);
        ScrollState.client_height = block(4);
        p = {0, 870};
        const int32_t m3 = core::MouseRegion(3);
        const int32_t m4 = core::MouseRegion(4);
        ViewOrigin.x = core::int_of(14500.0 - (static_cast<double>(m4) + 2338.0) * 2.0);
        ViewOrigin.y = core::int_of((static_cast<double>(m3) - 266.0) * 2.0);
    } else if (core::CommandLine.starts_with("~~998")) {
        ask_client_size();
        p = {read_position().x, 0};
        ViewOrigin.x = kHomeX;
    } else {
        return;
    }
    const auto& st = ScrollState;
    if (p.x < st.extent_x_low) {
        ViewOrigin.x += 2000;
        redraw_items();
        p.x = -kHomeX;
    } else if (p.x > st.right_limit - kHomeX) {
        ViewOrigin.x -= 2000;
        redraw_items();
        p.x = st.right_limit - kHomeX;
    }
    if (p.y < st.limit_y) {
        ViewOrigin.y -= 4000;
        redraw_items();
        p.y = st.limit_y;
    } else if (p.y > 0) {
        ViewOrigin.y += 4000;
        redraw_items();
        p.y = 0;
    }
    set_position(p);
    redraw_when_framed();
}

}  // namespace

// Contract: see the header. Writes ViewOrigin, ScrollState and the output lists (redraws);
// "~~999" writes ParamBuffer P1..P2 (0 and 675) for its '0' request. The item count is
// left as the redraw leaves it (a redraw drops the items of code 19 and above).
void position_view(int32_t code) {
    if (code >= 0 && code <= 8) {
        place_view(code);
    } else if (code >= 9 && code <= 16) {
        shift_view(code);
    } else if (code == 17) {
        jump_view();
    }
}

// Contract: see the header. Writes MessageLine (a copy of CommandLine), CommandLine(1) for the
// up key at the top, ViewOrigin, ScrollState; redraws.
void scroll_view_by_step(float fx, float fy) {
    core::leave_reply(core::ReplyKind::Notice, core::CommandLine.view());
    redraw_items();
    measure_into_scroll_state(false);
    ask_client_size();
    Position p = read_position();
    if (core::MessageLine.sub(3, 5) == "038" && p.y == 0) {
        ViewOrigin.y += 2000;
        core::CommandLine(1) = '&';
        return;
    }
    const auto& st = ScrollState;
    p.x += core::int_of(static_cast<float>(st.limit_x) * fx);
    p.y += core::int_of(static_cast<float>(st.limit_y) * fy);
    p.y = std::min(std::max(p.y, st.limit_y), 0);
    p.x = std::max(std::min(p.x, st.limit_x), 0);
    set_position(p);
    redraw_when_framed();
}

// Contract: see the header. Writes ScrollState (extent, limit for directions 2 and 4).
int32_t check_view_at_edge(int32_t direction) {
    measure_into_scroll_state(false);
    const Position p = read_position();
    switch (direction) {
        case 1:
            return p.y == 0 ? 1 : 0;
        case 3:
            return p.x == 0 ? 1 : 0;
        case 2:
        case 4: {
            find_scroll_limit();
            const bool at_edge =
                direction == 2 ? p.y == ScrollState.limit_y : p.x == ScrollState.limit_x;
            set_position(p);
            return at_edge ? 1 : 0;
        }
        default:
            return 0;
    }
}

// Contract: see the header. Writes ScrollState and ViewOrigin x; redraws.
void reset_view_home() {
    measure_into_scroll_state(false);
    ask_client_size();
    read_position();
    set_position({0, 0});
    ViewOrigin.x = kHomeX;
    redraw_items();
    core::refresh_screen();
    core::cut_input_to_marker();
}

// Contract: see the header. Reads ViewStepRequest and MacroUnit; writes ScrollState's position.
void scroll_view_one_step() {
    Position p = read_position();
    const int32_t step = ViewStepRequest.size;
    switch (ViewStepRequest.direction) {
        case 2:
            p.y -= step;
            break;
        case 3:
            p.x -= step;
            break;
        case 4:
            p.x += step;
            break;
        default:
            p.y += step;
            break;
    }
    set_position(p);
    if (core::MacroUnit != -2) core::front_end().RefreshDisplayFromEngine();
}

}  // namespace render
