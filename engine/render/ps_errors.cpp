#include "engine/render/ps_errors.h"

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"

namespace render {

namespace {
constexpr int kPostScriptOutputUnit = 24;
std::string g_last_error;
}  // namespace

void report_ps_write_error() {
    g_last_error = "Error writing PostScript to file or device." +
                   core::unit_failure_text(kPostScriptOutputUnit);
    core::report_failure(g_last_error);
    core::abandon_unit(kPostScriptOutputUnit);  // the file it would replace stays whole
    core::CommandModeLetters(1) = 'B';
}

const std::string& last_ps_write_error() { return g_last_error; }

}  // namespace render
