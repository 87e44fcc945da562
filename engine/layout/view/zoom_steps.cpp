#include "engine/layout/view/zoom_steps.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/store/staff_range.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/page/scrolling.h"
#include "engine/render/tables.h"

namespace layout {

namespace {

constexpr int32_t kHomeX = 2400;
constexpr int32_t kStaffNudge = 3000;
constexpr int32_t kExtentShift = 27000;
constexpr float kNothingMeasured = 555555.0f;

bool g_updating = false;

// Clears the running mark however update_view_geometry ends.
class UpdateGuard {
  public:
    UpdateGuard() { g_updating = true; }
    ~UpdateGuard() { g_updating = false; }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;
};

int32_t current_zoom() {
    return core::has_front_end() ? core::front_end().CurrentZoom() : ZoomState.previous;
}

void read_scroll(int32_t& x, int32_t& y) {
    core::ServiceBlock block;
    core::request_front_end_service('b', block);
    x = block(1);
    y = block(2);
}

void scroll_to(int32_t x, int32_t y) {
    core::ServiceBlock block;
    block(1) = x;
    block(2) = y;
    core::request_front_end_service('p', block);
}

// Asks for zoom `scale`, shows percent and, with no item edited, puts the view home.
void apply_zoom(int32_t scale, float factor) {
    const int32_t percent = core::int_of(factor * 100.0f + 0.5f);
    if (core::has_front_end()) {
        core::front_end().RequestZoom(scale);
        core::front_end().ShowPercentText((std::to_string(percent) + "%").c_str());
    }
    if (core::EditedItemNumber != 0) return;
    render::ViewOrigin.y = 0;
    int32_t top = 0, bottom = 0, left = 0, right = 0;
    render::measure_items_extent(1, top, bottom, left, right);
    ZoomState.previous = scale;
    render::ViewOrigin.x = kHomeX;
    scroll_to(-kHomeX, 0);
    float highest = 0.0f;
    float lowest = 0.0f;
    core::find_staff_range(highest, lowest);
    const float staff = core::EditItemParams(2);
    if (lowest != highest && staff <= lowest) render::ViewOrigin.y -= kStaffNudge;
    if (staff >= highest) render::ViewOrigin.y += kStaffNudge;
    render::redraw_items();
}

// The item being edited, as x and y in display units (extent shift added); false when no item.
bool edited_item_position(float& x, float& y) {
    core::Array1<float, 4> p;
    int32_t n = 0;
    if (core::EditItemParams(1) != 0.0f) {
        for (int i = 1; i <= 4; ++i) p(i) = core::EditItemParams(i);
        n = 4;
    } else {
        const int32_t k = core::EditedItemNumber;
        if (k < 1 || k > core::ItemCount) return false;
        const int32_t start = core::ItemStartTable(k);
        if (start < 1 || start > core::kItemStoreWords - 4) return false;
        n = core::int_in(core::ItemStore(start), 0, 4);
        for (int i = 1; i <= 4; ++i) p(i) = i <= n ? core::ItemStore(start + i) : 0.0f;
    }
    const int32_t code = core::int_of(p(1));
    const int32_t staff = core::int_of(p(2));
    x = p(3) * 150.0f + (staff > kLeftPageStaves ? static_cast<float>(render::kSpreadShift) : 0.0f);
    float v = p(4);
    if (code < 4 || code == 6) v = core::amod(p(4), 100.0f);
    if (code == 8 || code == 14 || n < 4) v = 3.0f;
    const bool known = staff >= 1 && staff <= kMaxStaves;
    const float base = known ? static_cast<float>(StaffTables.StaffBaseY(staff)) : 0.0f;
    const float scale = known ? StaffTables.StaffScale(staff) : 25.0f;
    y = base + v * 7.0f * scale + static_cast<float>(kExtentShift);
    return true;
}

}  // namespace

// Contract: see the header. Reads the front-end's zoom and P2; writes P2 (the factor used),
// ZoomState.previous, ViewOrigin and (through apply_zoom) the zoom request and the view.
void zoom_by_factor(float factor) {
    if (core::ItemCount <= 0) return;
    const int32_t p = current_zoom();
    if (core::CommandLine(1) != 'Z') factor = static_cast<float>(p) / 64.0f;
    int32_t scale = 0;
    if (factor == 0.0f) {
        scale = p == 64 ? 128 : 64;
    } else {
        scale = core::int_of(static_cast<double>(factor) * 64.0 + 0.5);
    }
    // A zoom the window cannot show is held to its range, and the percent follows it.
    const int32_t held = std::clamp(scale, kMinZoom, kMaxZoom);
    if (held != scale || factor == 0.0f || std::isnan(factor)) factor = held / 64.0f;
    core::ParamBuffer(2) = factor;
    apply_zoom(held, factor);
}

// Contract: see the header. Reads CommandLine column 2 and P2; writes ViewOrigin y and
// MessageLine ("J"), or what zoom_by_factor writes.
void step_zoom() {
    if (core::ItemCount <= 0) return;
    const char c = core::CommandLine(2);
    if (c == 'J') {
        if (core::ParamBuffer(2) != 0.0f) render::ViewOrigin.y = core::int_of(core::ParamBuffer(2));
        core::leave_reply(core::ReplyKind::Notice,
                          "JOFFY=" + core::format_int("(1I6)", render::ViewOrigin.y));
        render::redraw_items();
        return;
    }
    if (c == '$') {
        const int32_t p = current_zoom();
        int32_t step = 1;
        if (p < 64)
            step = 1;
        else if (p < 128)
            step = 2;
        else if (p < 192)
            step = 3;
        else if (p < 256)
            step = 4;
        else if (p < 320)
            step = 5;
        core::ParamBuffer(2) = static_cast<float>(step);
        apply_zoom(step * 64, static_cast<float>(step));
        return;
    }
    zoom_by_factor(core::ParamBuffer(2));
}

// Contract: see the header. Reads the scroll position, client size and scroll limits through
// the service gate, the items' extent (a measuring redraw), StaffTables and the edited item;
// writes ZoomState, ScrollFraction (99.0), the scroll position, CommandStatusWord
// (-1 at the end); PageFormatIndex is set aside meanwhile and restored.
void update_view_geometry(int32_t changes_pending, bool while_drawing) {
    if (g_updating) return;
    const UpdateGuard guard;
    const int32_t format = core::PageFormatIndex;
    core::PageFormatIndex = 0;
    core::CommandStatusWord = 0;
    int32_t x0 = 0, y0 = 0;
    read_scroll(x0, y0);

    if (core::CommandLine(2) == 'Z') zoom_by_factor(2.0f);
    const int32_t shown = current_zoom();
    if (shown != ZoomState.last_applied && changes_pending == 0) {
        zoom_by_factor(static_cast<float>(shown) / 64.0f);
        ZoomState.last_applied = shown;
    }

    int32_t y_high = 0, y_low = 0, x_low = 0, x_high = 0;
    render::measure_items_extent(while_drawing ? 1 : render::kMeasureAll, y_high, y_low, x_low,
                                 x_high);
    const bool empty = static_cast<float>(y_high) <= -kNothingMeasured || x_low >= x_high;
    const float top = static_cast<float>(y_high) + kExtentShift;
    const float bottom = static_cast<float>(y_low) + kExtentShift;
    const float left = static_cast<float>(x_low);
    const float right = static_cast<float>(x_high);
    core::ServiceBlock client;
    core::request_front_end_service('z', client);
    // The window answers its height negative (y grows upward): the size is what counts.
    const float w = std::fabs(static_cast<float>(client(1)));
    const float h = std::fabs(static_cast<float>(client(2)));
    // A page that fits the window (or has nothing on it) gives no room to scroll.
    float W = empty ? 0.0f : right - left;
    float H = empty ? 0.0f : top - bottom;
    if (W <= w) W = 0.0f;
    if (H <= h) H = 0.0f;

    float x = 0.0f, y = 0.0f;
    const bool item = edited_item_position(x, y);

    scroll_to(900000, -900000);
    int32_t xmax = 0, ymax = 0;
    read_scroll(xmax, ymax);
    scroll_to(x0, y0);
    if (W == 0.0f) xmax = 0;
    if (H == 0.0f) ymax = 0;

    int32_t new_x = x0;
    int32_t new_y = y0;
    bool move = false;
    if (item && xmax != 0) {
        const float L = std::max(0.0f, W - w) * static_cast<float>(x0) / static_cast<float>(xmax);
        const bool leftward = x <= L + 2400.0f;
        if (leftward || x >= L + w - 2600.0f) {
            float r = x / W;
            if (r < 0.3f) r = 0.0f;
            if (r > 0.7f) r = 1.0f;
            new_x = core::int_of(static_cast<float>(xmax) * r + (leftward ? -1000.0f : 1000.0f));
            move = true;
        }
    }
    bool placed = false;
    if (item && ymax != 0) {
        const float T = bottom + std::max(0.0f, H - h) * (1.0f - static_cast<float>(y0) / ymax) + h;
        if (y < T - h + 3000.0f || y > T - 3000.0f) {
            float q = static_cast<float>(core::int_of((top - y) / H * 10.0f)) / 10.0f;
            if (q > 0.5f && q < 1.0f) q += 0.05f;
            if (q < 0.1f) q = 0.0f;
            if (q > 0.9f) q = 1.0f;
            const float last = ZoomState.placing_ratio;
            if ((last == 1.0f && q > 0.8f) || (last == 0.0f && q < 0.2f)) {
                core::PageFormatIndex = format;
                core::CommandStatusWord = -1;
                return;
            }
            // The view goes to that fraction of the vertical limit, as the placing word asks;
            // set here rather than by a redraw, which would empty the lists being drawn.
            ZoomState.placing_ratio = q;
            new_y = core::int_of(q * static_cast<float>(ymax));
            render::ScrollFraction = 99.0f;
            placed = true;
        }
    }
    if (move || placed) scroll_to(new_x, new_y);
    core::PageFormatIndex = format;
    read_scroll(x0, y0);
    core::CommandStatusWord = -1;
}

}  // namespace layout
