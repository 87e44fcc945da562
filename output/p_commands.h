// The P words: print and batch jobs, the page toggle, page settings, points, preferences,
// folders and the path list; and the report of where a job went.
//
// Tables: PathSlots, PageSettingSlots, OutputFileName, OutputNameField (output); CommandLine,
// SecondLine, CommandModeLetters, ParamBuffer, ItemStore (core).
#pragma once

#include <string>

#include "engine/core/fixed_array.h"

namespace output {

// Every command word that begins with "P" (but "PLA" and "PA" words other than "PATH"), and
// "MAKEDIR".
void run_p_command();
// After a print job: finishes the document, hands a printer job to the printer and tells the
// user where the output went.
void choose_output();
// Hands a finished printer job (the file at path) to the printer queue ("" = the default);
// when no printer takes it the file stays and the reply says where it is. True when taken.
bool send_job_to_printer(const std::string& path, const std::string& queue);
// Puts a NUL right after the last character above blank; an all-blank name stays.
void trim_name_to_nul(core::FixedText<512>& name);

}  // namespace output
