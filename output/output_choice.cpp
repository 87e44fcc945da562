// Stand-in until the output choice is built.
#include "output/output_choice.h"

namespace output {
void select_ps_output(int32_t& go) { go = 0; }
int32_t check_eps_name(const core::FixedText<512>&) { return 1; }
void measure_print_box() {}
}  // namespace output
