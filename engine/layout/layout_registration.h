// Wiring of the layout into the drawing: which item codes the layout draws.
#pragma once

namespace layout {

// Registers the layout's drawers with the item drawing dispatcher (code 8: the staff step).
// Safe to call any number of times; reset_engine() calls it.
void register_layout_drawers();

}  // namespace layout
