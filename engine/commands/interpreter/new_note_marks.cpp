// The marks over the notes just entered by the note-input modes: one numbered symbol above
// each distinct position, drawn for the moment only and never stored.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/commands/interpreter/family_entries.h"
#include "engine/commands/words/undo_commands.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"

namespace core {

// Contract: see undo.h. The marks are the input mode's column marks: the note columns of the
// items after input::InputColumnMark on the input staff, within the input range.
int32_t mark_new_note_positions() { return input::draw_column_marks(); }

// Contract: see undo.h. Writes render::DisplayMarkWord; redraws the page and refreshes the
// screen.
void draw_new_items() {
    render::DisplayMarkWord = -1;
    if (mark_new_note_positions() == 0) render::DisplayMarkWord = 0;
    render::redraw_items();
    refresh_screen();
}

}  // namespace core
