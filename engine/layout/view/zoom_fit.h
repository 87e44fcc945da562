// Zooming so that all items fit the window's height or width ("FH", "FW", and after a load).
//
// Tables: ZoomState (layout); MessageLine (core); the view's client size and zoom through the
// front-end. The zoom stays as it is on an empty page, with a window of no size, or when the fit
// would leave the front-end's range (kMinZoom..kMaxZoom).
#pragma once

namespace layout {

// Asks for the zoom at which the items' height fits the window and shows its percentage.
void zoom_to_fit_height();
// The same for the items' width plus 500.
void zoom_to_fit_width();

}  // namespace layout
