#include "engine/edit/transposition_work.h"

namespace edit {

TranspositionTableRecord TranspositionTables[2];

// Stand-ins: the tables stay empty, nothing moves.
void write_transposition_table(int32_t /*mode*/, int32_t /*staff*/,
                               const std::vector<int32_t>& /*items*/, float /*left*/,
                               float /*right*/, int32_t /*steps*/) {}
void refit_slurs_from_tables() {}
void change_staff_clefs(int32_t /*new_clef*/) {}

}  // namespace edit
