#include "engine/core/symbol_list.h"

#include "engine/core/tables.h"

namespace core {

// Stand-ins until the list is built: an empty list, nothing picked.
void open_symbol_list(int32_t& state) { state = 1; }
void pick_listed_symbol() { ParamBuffer(1) = -1.0f; }
void fetch_history_entry(int32_t /*i*/) { MessageLine.blank(); }

}  // namespace core
