// Stand-in until the print parameters are built.
#include "output/print_parameters.h"

namespace output {
void load_save_print_setup(int32_t, PrintIntBlock&, PrintRealBlock&) {}
void strip_keyword() {}
void transform_print_box(float, float, float, float, float, float, int32_t) {}
}  // namespace output
