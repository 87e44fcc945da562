#include "engine/edit/mouse_placement.h"

#include "engine/edit/edit_services.h"

namespace edit {

// Not built yet.
void show_move_step() {}
void show_item_count(const core::FixedText<128>&, int32_t) {}
void move_item_to_mouse() {}
void drag_item_with_mouse(int32_t&) {}
void convert_bracket_size_codes() {}

}  // namespace edit
