// Stand-in until the P words are built.
#include "output/p_commands.h"

#include "engine/commands/family_entries.h"

namespace output {
void run_p_command() { layout::zoom_to_fit(); }
void choose_output() {}
void trim_name_to_nul(core::FixedText<512>&) {}
}  // namespace output
