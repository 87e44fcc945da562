// The engine's single entry: one command text, key token or mouse token per call.
#pragma once

#include <cstdint>

#include "engine/core/fixed_array.h"

namespace core {

// Runs one command. The front-end passes its GraphicsList (kGraphicsListWords words) and
// TextDisplayStream (kTextStreamBytes bytes) with their length words; the reply is left in
// MessageLine and status is -1 (asked nothing) or 0 (a prompt was shown). Not re-entrant: a call
// made while another runs is reported and runs nothing.
void run_command(int32_t* graphics_list, int32_t& graphics_length, uint8_t* text_stream,
                 int32_t& text_length, int32_t& status);

// Keeps line as the repeatable command in last (its first 48 characters), unless it is not
// worth repeating: "20000...", a blank first character, or a first character among
// "~", "|", "X", "N", "A", "D", "Q" (any case) without "U" as the second.
void remember_command(const FixedText<512>& line, FixedText<512>& last);

// Upper-cases the first 48 characters of text in place and keeps them as mini macro 3.
void upper_case_command(FixedText<512>& text);

// Redraws the page once when a command file has just ended (CommandFileEnded, cleared here).
void redraw_if_command_file_ended();
// Reads the next command line (core::read_command_line), then redraw_if_command_file_ended.
void read_next_command_line();
// Prepares the line already in CommandLine as a typed line is prepared, never taking the next
// line of an open command file instead.
void prepare_line_in_hand();

}  // namespace core
