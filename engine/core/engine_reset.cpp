#include "engine/core/engine_reset.h"

#include "engine/core/document_tables.h"
#include "engine/core/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"

namespace core {

void reset_engine() {
    close_all_units();
    reset_core_tables();
    reset_document_tables();
    reset_settings_tables();
    render::reset_render_tables();
    layout::reset_layout_tables();
}

}  // namespace core
