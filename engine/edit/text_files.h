// The text file viewer ("TYPE name") and text entry from a file ("TTR").
//
// Tables: SecondLine, CommandModeLetters, MacroUnit, FrontEndCommandBuffer (core).
#pragma once

#include <string>

#include "engine/core/fixed_array.h"

namespace edit {

extern std::string TextFileName;
// The file's bytes as last read (at most kTextFileBytes).
extern std::string TextFileBuffer;
constexpr int kTextFileBytes = 20000;

// "TYPE name": shows the file in the Text File dialog; Save As writes it under another name.
void view_text_file();
// Opens a named file as the source of the text command's lines; false when none was named.
bool read_text_lines_file();

}  // namespace edit
