#include "engine/commands/dr_commands.h"

namespace core {

// Stand-in: nothing happens.
void run_dr_command() {}

}  // namespace core
