#include "engine/layout/view/zoom_fit.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/layout/view/zoom_steps.h"
#include "engine/render/page/extents.h"

namespace layout {

namespace {

// What measure_items_extent leaves when nothing was measured.
constexpr int32_t kNothingMeasured = 555555;
// A fit leaves this much of the window free (five per cent of the zoom).
constexpr double kMargin = 0.05;
// The width fit counts the items' right edge plus this much.
constexpr double kRightAllowance = 500.0;

// The items' extent (display units) and the view's client size; false when the page shows
// nothing or the window has no size, so that no ratio can be formed.
bool measure(double& height, double& right, double& client_width, double& client_height) {
    int32_t top = 0, bottom = 0, left = 0, right_edge = 0;
    render::measure_items_extent(0, top, bottom, left, right_edge);
    if (top <= -kNothingMeasured || left >= kNothingMeasured) return false;
    height = static_cast<double>(top) - static_cast<double>(bottom);
    right = static_cast<double>(right_edge);
    core::ServiceBlock client;
    core::request_front_end_service('z', client);
    // The window answers its height negative (y grows upward): the size is what counts.
    client_width = std::fabs(static_cast<double>(client(1)));
    client_height = std::fabs(static_cast<double>(client(2)));
    return true;
}

// Asks for the zoom that makes `extent` fill `window` (less the margin), and shows it. An extent
// or window of no size, or a zoom outside what the front-end shows, leaves the zoom alone.
void fit(double window, double extent) {
    if (window <= 0.0 || extent <= 0.0) return;
    const int32_t previous =
        core::has_front_end() ? core::front_end().CurrentZoom() : ZoomState.previous;
    const double z = (window / extent - kMargin) * static_cast<double>(previous);
    if (!std::isfinite(z) || z < kMinZoom || z >= kMaxZoom + 1) return;
    const int32_t scale = static_cast<int32_t>(z);
    ZoomState.previous = scale;
    const int32_t percent = static_cast<int32_t>(z / 64.0 * 100.0 + 0.5);
    if (core::has_front_end()) {
        core::front_end().RequestZoom(scale);
        core::front_end().ShowPercentText((std::to_string(percent) + "%").c_str());
    }
    core::clear_exchange_text();
}

}  // namespace

// Contract: see the header. Reads the items' extent (a measuring redraw) and the client size
// through the service gate; writes the zoom request, ZoomState.previous, the percent display
// and MessageLine (blank). Nothing changes on an empty page or a window of no height.
void zoom_to_fit_height() {
    double height = 0.0, right = 0.0, w = 0.0, h = 0.0;
    if (!measure(height, right, w, h)) return;
    fit(h, height);
}

// Contract: as zoom_to_fit_height, for the window's width and the items' right edge plus 500.
void zoom_to_fit_width() {
    double height = 0.0, right = 0.0, w = 0.0, h = 0.0;
    if (!measure(height, right, w, h)) return;
    fit(w, right + kRightAllowance);
}

}  // namespace layout
