// The beam drawer (Code 6 items): parallel main beams between two ends, up to two sets of
// partial beams (also the tremolo strokes the note drawer asks for), and the tuplet number.
//
// Tables: ParamBuffer, IntParamBuffer, SaveStack (core); StaffTables (layout); ItemDrawOrigin,
// OutputPassWord, PathPointList (render). The tuplet number and the PostScript beam width are
// reached through RenderHooks (draw_tuplet_number, beam_line_width, add_path_width,
// add_path_break).
#pragma once

namespace render {

// The integer of P1 by which the note drawer marks the temporary beam of a tremolo: its first
// end keeps the origin's y.
constexpr int kTremoloBeamMark = -999;

// Contract: draws the Code 6 item in ParamBuffer / IntParamBuffer at ItemDrawOrigin into
// PathPointList. Every band is a filled four-corner outline; digits of P7, P9, P10 and P13
// choose sides, counts and head-width shifts. ParamBuffer / IntParamBuffer P1..P30 and the
// origin come back as they were. Nothing is reported.
void draw_beam_item();

// Contract: adds to `end` (P3 units) the shift of a beam end given as `value`: 10 one head
// width right, 20 one head width left (head width = s x P20 factor x 17 / 150, s the beam's
// size from ParamBuffer P4, P18 and the current staff), any other value s x value x 0.04.
void shift_beam_end(float value, float& end);

}  // namespace render
