// Measure numbers ("MN first interval start skip endings first-bar continue"): number items
// (code 10) at the bar lines of each system, every interval bars.
//
// Tables: ParamBuffer, MacroUnit, the item store (core).
#pragma once

namespace edit {

void measure_numbers();

}  // namespace edit
