#include "engine/edit/transposition.h"

namespace edit {

// Stand-ins: nothing moves.
void transpose_items() {}
void transposed_key(int32_t k, int32_t /*t*/, int32_t& new_key, int32_t& steps) {
    new_key = k;
    steps = 0;
}
void remove_dummy_items() {}

}  // namespace edit
