// Wiring of the rendering drawers into the item dispatcher, called by core::reset_engine().
#pragma once

namespace render {

// Registers every drawer of this subsystem that is built (codes 3, 7, 9, 11, 13) and puts
// the state each keeps between drawings back to its start (a clean engine).
void register_render_drawers();

}  // namespace render
