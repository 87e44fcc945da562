// The keyword decoder of the item-editing line.
#pragma once

namespace edit {

// Decodes the line in CommandLine (numbers already in ParamBuffer) word by word into changes
// of the item being edited and applies them.
void decode_edit_keywords();

}  // namespace edit
