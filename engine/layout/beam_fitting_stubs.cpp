#include "engine/core/tables.h"
#include "engine/layout/beam_fitting.h"

namespace layout {

// Not built yet: the stems stay as they are.
void fit_stems_to_beams(int32_t& flag) { (void)flag; }
void adjust_stems_to_beam() { core::ParamBuffer(1) = 0.0f; }
void refit_edited_beam() { core::ParamBuffer(1) = 0.0f; }
void count_notes_in_span() { core::ParamBuffer(1) = 0.0f; }

}  // namespace layout
