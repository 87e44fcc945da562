// The lowest and highest staff number in use on the page, from its staff items.
#pragma once

namespace core {

// Highest and lowest P2 (as stored, not truncated) among the staff items (code 8) of items
// 1..ItemCount; highest 0.0 and lowest 999.0 when there are none. Reads ItemStore through
// ItemStartTable; writes nothing. A record too short to hold a P2 is passed over.
void find_staff_range(float& highest, float& lowest);

}  // namespace core
