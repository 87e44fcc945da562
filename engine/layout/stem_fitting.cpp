#include "engine/core/tables.h"
#include "engine/layout/beam_fitting.h"

namespace layout {

// Stand-ins until the fitting is built: the stems stay as they are.
void fit_one_stem(int32_t& direction) { (void)direction; }
void fit_stems_to_beams(int32_t& flag) { (void)flag; }
void adjust_stems_to_beam() { core::ParamBuffer(1) = 0.0f; }

}  // namespace layout
