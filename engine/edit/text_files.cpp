#include "engine/edit/text_files.h"

namespace edit {

std::string TextFileName;
std::string TextFileBuffer;

// Stand-ins: nothing is shown or read.
void view_text_file() {}
bool read_text_lines_file() { return false; }

}  // namespace edit
