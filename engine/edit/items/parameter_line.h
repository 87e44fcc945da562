// Applying a parameter line to the item being edited and committing the current item.
#pragma once

#include <cstdint>

namespace edit {

// Applies the pair list in ParamBuffer to the item being edited (EditItemParams) and shows the
// changed item through commit_item; n is the last of P1..P45 not 0.0 afterwards.
void apply_edit_line(int32_t& n);

// Enters the item held in ParamBuffer into the store and draws it. False when the store refused
// it (the user has been told).
bool commit_item();

}  // namespace edit
