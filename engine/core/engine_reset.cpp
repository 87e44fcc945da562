#include "engine/core/engine_reset.h"

#include "engine/core/file_units.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"

namespace core {

void reset_engine() {
    close_all_units();
    reset_core_tables();
    render::reset_render_tables();
}

}  // namespace core
