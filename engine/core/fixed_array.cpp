#include "engine/core/fixed_array.h"

namespace core {

void report_index_defect(const char* what, long index, long lo, long hi) {
    throw EngineDefect(std::string("internal error: ") + what + " index " + std::to_string(index) +
                       " outside " + std::to_string(lo) + ".." + std::to_string(hi));
}

}  // namespace core
