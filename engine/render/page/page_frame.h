// The page frame: the green outline of the chosen paper and the display mode's mark, drawn
// before the first item of every redraw.
//
// Tables: PageFormatIndex, UserPaperSize, DisplayMarkWord, PageExtent, DrawColourWord,
// ViewOrigin, ScrollState (render); ParamBuffer, IntParamBuffer, EditedItemNumber,
// CommandLine, MacroUnit (core); StaffTables (layout).
#pragma once

#include <cstdint>

namespace render {

// The outline of paper format 1..8 in code 12 box words: P3 left, P4 vertical centre, P6
// width, P7 height; the P2 and the ViewOrigin y (0 = unchanged) that the " C" window set-up
// uses.
struct PageFrameGeometry {
    float left = 0.0f;
    float centre = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float window_p2 = 0.0f;
    int32_t view_y = 0;
};
// The geometry of format (1..8; format 8 from UserPaperSize). Any other format gives zeros.
PageFrameGeometry page_frame_geometry(int32_t format);

// Draws the page frame: with PageFormatIndex 1..8 the paper outline as a green code 12 box
// (P26 9900, thickness 2) through RenderHooks.draw_box_or_circle_item; a CommandLine starting
// with " C" first sets the window size ('0'), ViewOrigin y and the scroll position ('p') for
// the paper. Then the mark: a third CommandLine letter "E" draws a bar-line mark on the staff in
// P2; otherwise DisplayMarkWord picks a symbol mark (thousands the kind, remainder the staff),
// or with a negative word the new-note marks (NewNoteMarkDrawer). Saves and restores
// DrawColourWord, EditedItemNumber and the current staff; ParamBuffer P1..P50 end cleared
// whenever anything was drawn. A mark word whose staff does not exist draws nothing.
void draw_page_frame();

// Draws the marks of newly entered notes (the input layer fills it in at engine start; unset
// draws nothing). Returns how many marks it drew.
extern int32_t (*NewNoteMarkDrawer)();

// Fills RenderHooks.draw_page_frame.
void register_page_frame();

}  // namespace render
