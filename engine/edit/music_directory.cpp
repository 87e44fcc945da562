#include "engine/edit/music_directory.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"

namespace edit {

// Stand-ins: nothing is read or stepped; an N word is answered as unknown.
void music_directory_dialog(int32_t /*selector*/) {}
void run_ndir_command() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    core::report_unknown_word(word);
}
void step_document_name() {}
bool step_file_name(std::string& /*name*/, int32_t /*direction*/) { return false; }

}  // namespace edit
