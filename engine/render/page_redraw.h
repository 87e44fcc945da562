// The page redraw: rebuilds the graphics list and the text stream from the whole store.
#pragma once

namespace render {

// Redraws every item into the output lists and rebuilds the start table.
void redraw_items();

}  // namespace render
