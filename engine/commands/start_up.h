// Engine start-up: the limits, the program folder found through the preferences file, the
// preferences and library data, the work folder and the help path; and the defaults a
// document gets the first time one is started in the process.
// Tables: settings_tables.h (folders, paths, EngineWaitLevel), the store and output limits,
// the shared lines (FrontEndCommandBuffer, CommandLine, SecondLine, MessageLine).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/core/fixed_array.h"

namespace core {

// Starts the engine once, before the first command; the front-end must be set (messages go
// through it). Returns false after "File not found --> " and the path when the preferences
// file or the library data file is missing: the engine cannot run and the front-end exits.
bool start_engine();

// Makes sure the work folder that TempDirPrefix names exists (an existing one is no error).
// Returns false when it cannot be made.
bool set_temp_drive();

// The first-time document set-up: the output pass, undo mode, pending box operation, the next
// free GraphicsList position, the changes flag, the drawing colour and the view origin, and the
// view scrolled to the page point (83000, 44500). Runs once per process: later calls do nothing
// (reset_settings_tables re-arms it). Called by start_new_document.
void apply_first_time_defaults();

// Three layout and input words whose first value is 1,000 divided by a word that is never set:
// that word counts as kUnsetDivisorDefault, so they start at 1,000.
constexpr float kUnsetDivisorDefault = 1.0f;

}  // namespace core
