// The checks a typed line of numbers passes before it becomes item values: a new item's line
// and the pairs for the edited item (typed, "," lines, the parameter pages).
#pragma once

#include <string>
#include <vector>

#include "engine/core/bridge/number_line.h"

namespace edit {

// The scanned line as a new item: its numbers read whole, its code a known item code (a whole
// number 1 to 18) and its staff 0 to 256. False, after a reply naming the refused word, when
// the line is not to be committed; nothing has changed then.
bool take_typed_item_line();

// The pair list in ParamBuffer against the edited item: a value that is no finite real, or a
// pair that would give the item a staff outside 0 to 256 or a code that is no item code, refuses
// the whole list (a reply naming it; nothing applied). typed(k), when given, is the text of P(k).
bool check_pair_values(const std::vector<std::string>& typed = {});

// Why v cannot be the code of an item a document keeps (no whole number 1 to 18, or 13, a mark
// drawn in passing that a load drops), naming it as shown; empty when it can.
std::string code_refusal(float v, const std::string& shown);

}  // namespace edit
