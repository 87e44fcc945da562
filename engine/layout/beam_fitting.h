// Fitting stems to beams and rebuilding an edited beam: the entry points the editing commands
// call. Not built yet: each changes nothing and leaves ParamBuffer P1 = 0 (nothing to apply).
#pragma once

#include <cstdint>

namespace layout {

// Fits the stems of the notes under every beam of staves P2..P5 between P3 and P4 (ParamBuffer);
// a flag of 0 does nothing.
void fit_stems_to_beams(int32_t& flag);
// Leaves an edit line in ParamBuffer fitting the edited note's stem to its beam (P1 = 0: none).
void adjust_stems_to_beam();
// Rebuilds the edited beam from the notes under it (P1 = 0: no beam could be built).
void refit_edited_beam();
// The edited beam's end-shift code as the edit line (9, code) (P1 = 0: none).
void count_notes_in_span();

}  // namespace layout
