// The printer: a finished PostScript file is handed to the system's spool command ("lp").
#pragma once

#include <string>

namespace platform {

// Sends the file at path to the printer queue (empty: the default printer) with "lp".
// Returns true when lp took the job; false when there is no lp or it refused.
bool send_to_printer(const std::string& path, const std::string& queue);

}  // namespace platform
