// Code 12 boxes, circles, ellipses and arcs, and the four-corner outline that other drawers
// (beams, note-head backing boxes, ornaments, the page frame) append through it.
//
// Tables: QuadWork, PathPointList, OutputPassWord, ItemDrawOrigin (render); ParamBuffer,
// IntParamBuffer (core).
#pragma once

namespace render {

// Appends the four corners of QuadWork and the first corner again, the first with
// QuadWork.start_op and the others with 0; in the PostScript pass the second corner once more.
// start_op is 0 afterwards.
void add_path_quad();

}  // namespace render
