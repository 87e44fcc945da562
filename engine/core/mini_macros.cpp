#include "engine/core/mini_macros.h"

#include "engine/core/tables.h"

namespace core {

Array1<FixedText<80>, 3> MiniMacroTable;

// Stand-in: the line runs nothing.
void run_mini_macros(int32_t& n) {
    CommandLine.blank();
    n = 0;
}

}  // namespace core
