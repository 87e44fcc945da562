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
// While an item is edited: hands the title over again when what it would say of the page's
// saved state has changed (an edit that X has not stored yet is not saved).
void update_title_for_edit(const FixedText<512>& name);

// Whether the item being edited differs from its stored record. The editor registers it: the
// working copy is its own. Until then an edited item never counts.
using EditedItemCheck = bool (*)();
void set_edited_item_check(EditedItemCheck check);

}  // namespace core
