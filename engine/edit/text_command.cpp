#include "engine/edit/text_command.h"

#include "engine/core/console_bridge.h"
#include "engine/core/tables.h"

namespace edit {

char TextDividerChar = ' ';
core::FixedText<3> TextFontPrefix("_00");
core::FixedText<512> LastTextLine;
float TopLeftDisplayFlag = 0.0f;

void reset_text_command_state() {
    TextDividerChar = ' ';
    TextFontPrefix.set("_00");
    LastTextLine.blank();
    TopLeftDisplayFlag = 0.0f;
}

// Stand-in: the word is answered as unknown.
void run_text_command() {
    core::FixedText<9> word;
    for (int k = 1; k <= 9 && core::CommandLine(k) != ' '; ++k) word(k) = core::CommandLine(k);
    core::report_unknown_word(word);
}

}  // namespace edit
