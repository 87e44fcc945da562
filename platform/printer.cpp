// Stand-in until the printer is built.
#include "platform/printer.h"

namespace platform {
bool send_to_printer(const std::string&, const std::string&) { return false; }
}  // namespace platform
