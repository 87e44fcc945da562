#include "engine/edit/m_commands.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"
#include "engine/edit/tables.h"

namespace edit {

// Stand-ins: nothing changes; an M word is answered as unknown.
void run_m_command() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    core::report_unknown_word(word);
}
void move_system() { core::PendingBoxOperation = 0; }
void move_texts_at_level() {}
void adjust_box_edges() { core::PendingBoxOperation = 0; }

}  // namespace edit
