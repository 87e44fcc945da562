// Stand-in until "BB" is built.
#include "engine/layout/measure_command.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"

namespace layout {

core::Array1<int32_t, 4> MeasuredBox;

void run_measure_command() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    core::report_unknown_word(word);
}

}  // namespace layout
