#include "engine/core/engine_reset.h"

#include "engine/core/command_line.h"
#include "engine/core/document_tables.h"
#include "engine/core/file_units.h"
#include "engine/core/interpreter_tables.h"
#include "engine/core/service_request.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/layout_registration.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace core {

void reset_engine() {
    close_all_units();
    reset_core_tables();
    reset_document_tables();
    reset_settings_tables();
    reset_service_gate();
    TextReadRequestWord.blank();
    render::reset_render_tables();
    layout::reset_layout_tables();
    layout::register_layout_drawers();
    reset_interpreter_tables();
}

}  // namespace core
