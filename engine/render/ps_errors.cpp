#include "engine/render/ps_errors.h"

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"

namespace render {

namespace {
constexpr int kPostScriptOutputUnit = 24;
}

void report_ps_write_error() {
    core::show_message("Error writing PostScript to file or device.");
    core::abandon_unit(kPostScriptOutputUnit);  // the file it would replace stays whole
    core::CommandModeLetters(1) = 'B';
}

}  // namespace render
