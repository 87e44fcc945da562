#include "engine/edit/tablature.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"

namespace edit {

core::Array1<int32_t, 20> TablatureSetupBlock;

// Stand-in: the word is answered as unknown.
void make_tablature() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    core::report_unknown_word(word);
}

}  // namespace edit
