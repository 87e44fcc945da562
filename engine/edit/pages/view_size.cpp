#include "engine/edit/pages/view_size.h"

#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"

namespace edit {

namespace {

constexpr int32_t kLineStep = 200;
constexpr int32_t kTopLeftX = -2400;
constexpr int32_t kTopLeftY = 10000;

}  // namespace

// Contract: asks the front-end for the client size ("~za"), sets the scroll sizes ("~sc": the
// page size truncated, the client size as the page step, 200 as the line step) and scrolls to
// the page's top left ("~po" -2400, 10000). A zero x or y takes the value of the previous call
// (0 on the first) and the values used are kept for the next call; both arguments come back as
// used. Reads and writes only its own ViewSizeMemory and the arguments.
void scroll_view_to_point(float& x, float& y) {
    if (x == 0.0f) x = ViewSizeMemory.x;
    if (y == 0.0f) y = ViewSizeMemory.y;
    ViewSizeMemory.x = x;
    ViewSizeMemory.y = y;

    core::ServiceBlock block;
    core::request_front_end_service('z', block);
    block(3) = block(1);
    block(4) = block(2);
    block(1) = core::int_of(x);
    block(2) = core::int_of(y);
    block(5) = kLineStep;
    block(6) = kLineStep;
    core::request_front_end_service('s', block);

    core::ServiceBlock position;
    position(1) = kTopLeftX;
    position(2) = kTopLeftY;
    core::request_front_end_service('p', position);
}

}  // namespace edit
