// The one gate through which the engine asks the front-end for window services.
#pragma once

#include <cstdint>

#include "engine/core/tables.h"

namespace core {

// Turns letter into its tag, hands tag and a copy of block to FrontEndService and copies the
// results back. A letter without a service does nothing.
void request_front_end_service(char letter, ServiceBlock& block);

// The gate's tag buffer (4 characters) as left by the last request, and its cursor number.
const char* last_service_tag();
int32_t service_cursor_number();

}  // namespace core
