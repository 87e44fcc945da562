// Moving the view over the page: by scroll code, by a key step, to the home position, and by
// the front-end's view-step commands. The engine shifts its own drawing by ViewOrigin and asks
// the front-end to scroll through the service gate ('z' client size, '0' client size and scroll
// sizes, 'b' read the position, 'p' set it).
//
// Tables: ViewOrigin, ScrollState, ScrollFraction, PageFormatIndex (render); CommandLine,
// MessageLine, MouseRegion, MacroUnit, ParamBuffer P1..P2 (core).
#pragma once

#include <cstdint>

namespace render {

// Left by the front-end's view-step commands just before they call scroll_view_one_step: the
// direction (1 up, 2 down, 3 left, 4 right) and the step in display units.
struct ViewStepRequestRecord {
    int32_t direction = 1;
    int32_t size = 0;
};
extern ViewStepRequestRecord ViewStepRequest;

// Scroll codes: 0..8 redraw and place the view (top, home, middle, the limits and their
// halves; with ScrollFraction other than 99.0 at that fraction of the vertical limit); 9..16
// shift ViewOrigin by 2000 or 4000 and redraw; 17 the jump tokens "~~999" and "~~998" in
// CommandLine; every other code does nothing.
void position_view(int32_t code);

// The arrow keys: moves the scroll position by fx and fy times the scroll limit, held within
// 0..limit. The up key ("~~038") at the top shifts ViewOrigin y by 2000 instead and marks
// CommandLine with "&" in column 1.
void scroll_view_by_step(float fx, float fy);

// 1 when the view cannot move further in the direction (1 up, 2 down, 3 left, 4 right), else
// 0. The scroll position is the same afterwards.
int32_t check_view_at_edge(int32_t direction);

// Scrolls to (0, 0) with ViewOrigin x 2400, redraws, repaints and cuts the input line back.
void reset_view_home();

// Moves the scroll position by ViewStepRequest and repaints (unless MacroUnit is -2).
void scroll_view_one_step();

}  // namespace render
