// The text file viewer ("TYPE name") and text entry from a file ("TTR").
//
// Tables: TextFileName, TextFileBuffer, TextFileCut (here); SecondLine, CommandLine,
// MessageLine, CommandModeLetters, MacroUnit, IntParamBuffer, FrontEndCommandBuffer,
// LastMacroFileName, TextReadRequestWord (core).
#pragma once

#include <string>

#include "engine/core/fixed_array.h"

namespace edit {

extern std::string TextFileName;
// The file's bytes as last read (at most kTextFileBytes).
extern std::string TextFileBuffer;
constexpr int kTextFileBytes = 20000;
// True when the file last read was longer than the buffer (only its first part is held).
extern bool TextFileCut;

// Contract: "TYPE name" (the name from column 6 of SecondLine; blank: asked for with "Type
// Filename.", a blank answer ends): reads up to 20,000 bytes of the file into TextFileBuffer
// and shows them in the Text File dialog, named in FrontEndCommandBuffer (blanked when it
// ends, so the name is never taken for a command). A longer file is
// shown cut, with a message that says so. A missing file: "File not found --> " and the name.
// Save As (result 3) asks for a name (the file's name preset); a blank answer ends; writing the
// cut copy over the file it came from is asked first (yes/no). The buffer up to its last
// non-blank byte is written to a temporary file beside the target, which is then renamed over
// it; a failed write leaves the target as it was and says so.
void view_text_file();
// Contract: "TTR": the name of the file whose lines become the text command's input is asked
// for ("Type Filename.") or, from a command file, read as its next record (a failed read ends
// the command file and asks instead). A blank name sets the first CommandModeLetters to -1 and
// returns false; otherwise the file is opened as READ opens a command file (TextFileName keeps
// the name) and the result says whether it opened.
bool read_text_lines_file();

}  // namespace edit
