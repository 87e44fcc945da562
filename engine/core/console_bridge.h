// The engine's side of the conversation with the user: prompts, preset answers, waits for a
// line, a command or a key, message boxes, the unknown-word report, confirmations before
// something is lost, file-name questions and screen refreshes. Each routine is a thin contract
// over a FrontEndPort service.
#pragma once

#include <cstdint>

#include "engine/core/tables.h"

namespace core {

// "File not found --> " and the name, in a message box.
void report_file_not_found(const FixedText<128>& name);
void report_file_not_found(std::string_view name);
// Unless MacroUnit is -2, the front-end takes over the output lists and repaints.
void refresh_screen();
void cut_input_to_marker();
int32_t command_line_length();
void show_prompt(const FixedText<512>& text);
void preset_answer(const FixedText<512>& text, int32_t n);
void preset_answer_selected(const FixedText<512>& text, int32_t n, int32_t sel_start,
                            int32_t sel_end);
void ask_line_trimmed(const FixedText<512>& prompt);
void ask_line_blank(const FixedText<512>& prompt);
void ask_line_with_edit(const FixedText<512>& prompt, int32_t& flag);
void wait_for_command_in_second_line();
int32_t show_message(const FixedText<512>& text);
int32_t show_message(std::string_view text);
void report_unknown_word(const FixedText<9>& word);
void convert_bars_to_newlines(FixedText<160>& text);
// Yes/no question before something is lost or overwritten; -1 = go ahead.
int32_t confirm_discard(int32_t kind);
void ask_file_name(const FixedText<128>& prompt);
void ask_file_name_blank_on_cancel();
void append_name_extension(FixedText<128>& name, std::string_view ext);
void write_saved_mark();

}  // namespace core
