// "COM": one new document built from several document files, each file's staves placed below
// those of the files before it.
//
// Tables: the item store and its index, CommandLine, SecondLine, CommandModeLetters,
// MessageLine, FrontEndCommandBuffer, ChangesMadeFlag, MacroUnit (core); StaffTables (layout).
#pragma once

#include <cstdint>

namespace core {

// Asks to discard a changed page (kind 3; a refusal ends), empties it into a new document, then
// takes the first name and the file count from the "Combine Files" dialog (MessageLine and
// FrontEndCommandBuffer; from a command file: its next two lines). With a count above 1 and a
// name, the files name, count_up_file_name(name), ... are merged in turn below the staves so far;
// a file that cannot be read ends the loop, the files before it stay. Names are kept as typed;
// one without an extension takes the default extension. The page is then sorted by staff and
// redrawn. FrontEndCommandBuffer is blank at the end in every case.
void combine_documents();

}  // namespace core
