#include "engine/edit/text_lines.h"

namespace edit {

// Stand-ins: nothing changes; the text is taken as it is.
void run_text_margin_command() {}
int32_t edit_text_in_dialog() { return 1; }

}  // namespace edit
