// The write-error rule of the PostScript output, shared by every routine that writes PostScript
// lines: the user is told, the output is closed and the job stops.
#pragma once

#include <string>

namespace render {

// Contract: shows "Error writing PostScript to file or device." with the file and the system's
// reason after it when the unit knows them (": /home/u/p.eps: No space left on device"),
// abandons unit 24 (what it wrote is dropped, the file it replaces left as it was), marks the
// run failed and puts the abort letter "B" into CommandModeLetters(1), which every PostScript
// writing loop tests. The text stays in last_ps_write_error() for the job's reply.
void report_ps_write_error();
const std::string& last_ps_write_error();

}  // namespace render
