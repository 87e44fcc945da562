// The program's own names of the item codes: seven characters each, shown in the item panel and
// in the reply of an edit line.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

constexpr int kItemCodeNames = 23;

// Entry c names item code c; entry 11 is unnamed (blank).
extern const Array1<FixedText<7>, kItemCodeNames> ItemCodeNames;

// The name of code; blank for a code outside 1..23.
FixedText<7> item_code_name(int32_t code);

}  // namespace core
