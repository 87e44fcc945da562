#include "engine/render/render_registration.h"

#include "engine/render/drawing_files.h"
#include "engine/render/symbols.h"

namespace render {

void register_render_drawers() {
    register_drawing_file_drawers();
    register_symbol_drawers();
}

}  // namespace render
