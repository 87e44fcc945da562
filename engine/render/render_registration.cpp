#include "engine/render/render_registration.h"

#include "engine/render/lines/boxes.h"
#include "engine/render/lines/lines.h"
#include "engine/render/lines/slurs.h"
#include "engine/render/notes/notes.h"
#include "engine/render/notes/rests.h"
#include "engine/render/page/eps_items.h"
#include "engine/render/page/page_frame.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/text/text_items.h"

namespace render {

void register_render_drawers() {
    register_drawing_file_drawers();
    register_symbol_drawers();
    register_text_drawers();
    register_note_drawers();
    register_rest_beam_key_meter_drawers();
    register_line_drawers();
    register_page_frame();
    register_eps_drawers();
    register_slur_drawers();
    register_code12_drawers();
}

}  // namespace render
