#include "engine/commands/status_display.h"

namespace core {

// Stand-ins: nothing happens.
void show_status() {}
void run_h_command() {}
void choose_recent_file() {}

}  // namespace core
