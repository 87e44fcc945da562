// The write-error rule of the PostScript output, shared by every routine that writes PostScript
// lines: the user is told, the output is closed and the job stops.
#pragma once

namespace render {

// Contract: shows "Error writing PostScript to file or device.", abandons unit 24 (what it
// wrote is dropped, the file it replaces left as it was) and puts the
// abort letter "B" into CommandModeLetters(1), which every PostScript writing loop tests.
void report_ps_write_error();

}  // namespace render
