// The edited item under the mouse: placement, parameter dragging, the move-step display that
// fills the reply line and the item panel, and the bracket size words.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace edit {

// Writes the document name and the item count into MessageLine from column p.
void show_item_count(const core::FixedText<128>& name, int32_t p);
// Places the edited item at the mouse point (MouseRegion) and draws it again.
void move_item_to_mouse();
// One step of a parameter drag; start holds the x of the last step (0 on the first call, -1 to
// start a drag that places the item).
void drag_item_with_mouse(int32_t& start);
// A dragged value v of parameter k of an item with this code, rounded by the rounding digit
// (0 whole, 1 whole for the code's whole-number parameters, 2 and above to halves).
float round_dragged_value(float v, int32_t code, int32_t k, int32_t digit);
// A line of one to four "[" or "]" becomes the size word "/2 n".
void convert_bracket_size_codes();

}  // namespace edit
