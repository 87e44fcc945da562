// The zoom steps of the Z family and keeping the item being edited in view.
//
// Zoom 64 is 100%. The engine asks its front-end for a new zoom (RequestZoom), which is applied
// when the engine call ends, and shows the percentage (ShowPercentText).
//
// Tables: ZoomState (layout), StaffTables; ViewOrigin, ScrollFraction, PageFormatIndex
// (render); CommandLine, ParamBuffer P2, MessageLine, EditedItemNumber, EditItemParams,
// ItemStore and its index, CommandStatusWord (core).
#pragma once

#include <cstdint>

namespace layout {

// The front-end's range of zooms (25% to 1600%).
constexpr int32_t kMinZoom = 16;
constexpr int32_t kMaxZoom = 1024;

// The Z words by the second character of CommandLine: "J" sets the vertical view offset (P2,
// when not 0) and shows "JOFFY=" with it; "$" steps 64, 128, 192, 256, 320 and back to 64;
// any other asks for zoom P2 x 64 (P2 = 0 toggles 64 and 128). The zoom is held to
// kMinZoom..kMaxZoom and its percentage shown. With no item edited the view goes to the page's
// left edge and the page is redrawn. Does nothing on an empty page.
void step_zoom();

// The zoom step for a factor (as step_zoom without the "J" and "$" forms); the factor is the
// front-end's zoom / 64 when the command line is no Z word.
void zoom_by_factor(float factor);

// After an edited item is drawn, and in the input mode: scrolls the view so that the item
// being edited stays in sight, and re-applies a zoom that the front-end changed on its own
// (unless changes_pending: edits of the item not stored yet). A page that fits the window (or
// is empty) is not scrolled in that direction. while_drawing (the call from the drawing of the
// edited item) measures the output lists as they are instead of redrawing them. Does nothing
// while it is already running.
void update_view_geometry(int32_t changes_pending, bool while_drawing = false);

}  // namespace layout
