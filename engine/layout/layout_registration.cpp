#include "engine/layout/layout_registration.h"

#include "engine/layout/staves/staff_neighbours.h"
#include "engine/layout/staves/staff_positions.h"
#include "engine/layout/view/view_settings.h"
#include "engine/render/page/item_drawing.h"

namespace layout {

void register_layout_drawers() {
    constexpr int32_t kStaffCode = 8;
    render::register_item_drawer(kStaffCode, draw_staff_item);
    register_neighbour_staff_hook();
    register_units_message();
}

}  // namespace layout
