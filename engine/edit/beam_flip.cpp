#include "engine/edit/beam_flip.h"

namespace edit {

// Stand-ins until the flip is built: nothing changes.
void flip_beamed_group(int32_t& mode) { (void)mode; }
void regenerate_pair_tokens(int32_t& chord_limit, int32_t& note_count, int32_t& pair_count,
                            PairItemList& items) {
    (void)chord_limit, (void)note_count, (void)pair_count, (void)items;
}
void copy_pair_rows_back(int32_t& start_row, int32_t& pair_count, PairItemList& items) {
    (void)start_row, (void)pair_count, (void)items;
}

}  // namespace edit
