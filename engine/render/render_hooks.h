// Services of subsystems that the drawing calls and that are not built yet: the page frame
// (drawn with the code 12 box drawer), the view geometry update of the layout, the PostScript
// writer's steps, the tablature fret numbers, the code 12 box and circle drawer and the slur
// drawer's tuplet figure. Drawers that exist (text, numbers, lines, shape-note letters) are
// called directly. Each hook is a function pointer that its owner fills in when it starts;
// until then a call does nothing, so the drawing runs before those subsystems exist.
//
// The hooks are wiring, not state: reset_engine() leaves them alone. Tests that replace one put
// the previous value back.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

namespace render {

struct RenderHooksRecord {
    // Draws the paper outline and the display-mode mark before the first item of a redraw.
    void (*draw_page_frame)() = nullptr;
    // Recomputes the scrollable area around the items and sends it to the front-end.
    void (*update_view_geometry)() = nullptr;
    // PostScript pass: adds 1 to the group count and writes the grey of GreyState.current (or
    // the item's colour) to the PostScript unit.
    void (*write_ps_gray_level)(int32_t& group_count) = nullptr;
    // PostScript pass: writes PathPointList 1..count-1 as path operators and empties it.
    void (*flush_path_points)() = nullptr;
    // Writes one line (such as " r", the end of a grey group) to the PostScript unit.
    void (*write_ps_line)(std::string_view line) = nullptr;

    // PostScript pass: chooses the ledger-line width code of the note in ParamBuffer (P16 and
    // its staff's default), appends it with add_path_width unless it is 99 (no width entry)
    // and returns it. Unset counts as 99.
    int32_t (*select_note_line_width)() = nullptr;
    // PostScript pass: display units per line-width code, by which a stem drawn with its own
    // width moves off the head's edge. Unset counts as 0.
    float (*output_line_width_factor)() = nullptr;

    // ---- used by the symbol drawer and the glyph painter ----
    // The code 12 box or circle drawer for the item set up in ParamBuffer / IntParamBuffer.
    void (*draw_box_or_circle_item)() = nullptr;
    // PostScript pass: a line-width entry (OP 99) for width index w, and a path break (OP -99).
    void (*add_path_width)(int32_t w) = nullptr;
    void (*add_path_break)() = nullptr;
    // PostScript pass: defines a procedure for the trill line's filled piece (entries 15..49 of
    // the pattern tables x and y, count entries each, in units of sx and sy) and calls it from
    // x0 while x < x1, x advancing by the period 146 x sx, at height y0.
    void (*write_ps_trill_line)(const float* x, const float* y, int32_t count, float x0, float y0,
                                float x1, float sx, float sy) = nullptr;
    // The output's line width in display units (the bar-line drawer's plain stroke and the
    // second line of a thin stroke in PostScript); unset counts as 0.
    float (*output_line_width)() = nullptr;
    // PostScript pass: writes a call of the symbol's PostScript procedure at (x, y) with the
    // size when the writer has one; returns whether it had one, and its definition state
    // (above 0: the call alone draws the symbol).
    bool (*write_ps_symbol_call)(float x, float y, float size, int32_t number,
                                 int32_t& definition_state) = nullptr;
    // ---- used by the beam drawer ----
    // PostScript pass: the width code of beam outlines set by the output part (0 = none set,
    // which is also the answer while the hook is unset).
    int32_t (*beam_line_width)() = nullptr;
    // The slur drawer's tuplet figure: draws number through the number drawer with its
    // horizontal origin at x + dx less the figure's own offset; the caller has set the vertical
    // origin and the size P6.
    void (*draw_tuplet_number)(int32_t number, float x, float dx) = nullptr;
    // PostScript pass: sets the line width for the slur drawer's next outline: the base width
    // plus extra_width (-1 = the thinner width of filled slur outlines; above 0 the stroke
    // width of a hat).
    void (*write_ps_line_width)(float extra_width) = nullptr;

    // ---- used by the code 12 drawers and the EPS item (the PostScript writer fills them) ----
    // PostScript pass: an arc for a code 12 circle: centre, radius, start and end angle in
    // degrees, and the vertical scale of an ellipse (1 for a circle).
    void (*write_ps_arc)(float x, float y, float radius, float start, float end,
                         float y_scale) = nullptr;
    // PostScript pass: flushes a pending group and sets the line width 2 x width for a box.
    void (*set_box_line_width)(float width) = nullptr;
    // PostScript pass: writes the page's default line width again.
    void (*write_ps_base_width)() = nullptr;
    // The page values an EPS item's wrapper writes (the PostScript writer's page set-up): points
    // per display unit, the base line width, the left and bottom margins in points, and the
    // staff base in display units and in points. Unset: the wrapper takes the screen's values.
    struct EpsPageValues {
        float points_per_unit = 72.0f / 4000.0f;
        float base_width = 1.0f;
        float left_margin = 0.0f;
        float bottom_margin = 0.0f;
        float staff_base_units = 0.0f;
        float staff_base_points = 0.0f;
    };
    void (*eps_page_values)(EpsPageValues& values) = nullptr;
    // Symbol procedure pass: while the writer records which symbols the items use, notes that
    // the item being drawn uses the symbol and returns true (the drawer then draws nothing of
    // it); false otherwise, and while unset.
    bool (*record_symbol_use)(int32_t number) = nullptr;
};
extern RenderHooksRecord RenderHooks;

// Calls hook with args when it is set; does nothing otherwise.
template <typename Hook, typename... Args>
void run_hook(Hook hook, Args&&... args) {
    if (hook != nullptr) hook(std::forward<Args>(args)...);
}

}  // namespace render
