// The batch print list: document names typed one per line or read from a list file, "NAME n"
// expanded into n numbered documents, ".MUS" added, optionally in reverse order.
//
// Tables: BatchList (output); CommandLine, MessageLine (core).
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace output {

// Mode 2: the names of the list file named at the start of MessageLine ("print" when blank);
// any other mode: the names typed in MessageLine, one per line. Returns the count in
// BatchList (-999 when the list file cannot be opened, 0 when there is none).
int32_t build_batch_list(int32_t mode);
// Steps the number before the extension, keeping case (a-y up, z wraps to a; A-Y, Z to A;
// 0-8 up, 9 to 0 and the walk goes on).
void increment_file_number(core::FixedText<512>& name);

}  // namespace output
