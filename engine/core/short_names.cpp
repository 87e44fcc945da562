#include "engine/core/short_names.h"

namespace core {

MusicDirectoryRecord MusicDirectoryList;

// Stand-ins until the layout is built: names stay as they are.
void fix_name_extension(FixedText<13>& /*name*/) {}
void pack_8_3_name(FixedText<12>& /*name*/) {}

}  // namespace core
