#include "engine/edit/click_picker.h"

namespace edit {

// Not built yet: a click picks nothing.
void pick_item_at_click() {}
void show_parameters() {}
void scroll_to_current_item() {}

}  // namespace edit
