// The keyword decoder of the item-editing line.
#pragma once

#include <cstdint>

namespace edit {

// Decodes the line in CommandLine (numbers already in ParamBuffer) word by word into changes
// of the item being edited and applies them.
void decode_edit_keywords();

// The item bar of the window: 0 closes it unless it is pinned (owned by the front-end words;
// declared again here because the editor closes the bar when edit mode ends).
void set_item_bar_mode(int32_t mode);

}  // namespace edit
