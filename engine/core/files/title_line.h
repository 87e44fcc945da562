// The title line: the document's name, the page format and the item count, handed to the
// front-end.
#pragma once

#include <string>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace core {

// The title text for name with the page as it stands.
std::string build_title_line(std::string_view name);
// Builds the title and hands it to the front-end (service "n").
void update_title_line(const FixedText<512>& name);

}  // namespace core
