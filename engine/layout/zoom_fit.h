// Zooming so that all items fit the window's height or width ("FH", "FW", and after a load).
//
// Tables: ZoomState (layout); EditedItemNumber, MessageLine (core).
#pragma once

namespace layout {

// Asks for the zoom at which the items' height fits the window and shows its percentage.
void zoom_to_fit_height();
// The same for the items' width plus 500.
void zoom_to_fit_width();

}  // namespace layout
