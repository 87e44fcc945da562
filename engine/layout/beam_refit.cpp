#include "engine/core/tables.h"
#include "engine/layout/beam_fitting.h"

namespace layout {

// Stand-ins until the refit is built: nothing is applied.
void refit_edited_beam() { core::ParamBuffer(1) = 0.0f; }
void count_notes_in_span() { core::ParamBuffer(1) = 0.0f; }
void move_store_tail(int32_t old_count, int32_t new_count, int32_t next_start, int32_t next_item) {
    (void)old_count, (void)new_count, (void)next_start, (void)next_item;
}

}  // namespace layout
