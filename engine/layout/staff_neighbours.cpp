#include "engine/layout/staff_neighbours.h"

#include "engine/render/text_escapes.h"

namespace layout {

// Stand-in: nothing is written.
void find_neighbour_staff(int32_t /*direction*/) {}

void register_neighbour_staff_hook() {
    render::TextEditHooks.find_neighbour_staff = find_neighbour_staff;
}

}  // namespace layout
