// Motive files: a motive defined in a typed line ("A[" ... "]") is stored in a file of its own
// in the work folder, and recalled by "@" and its name.
#pragma once

#include <cstdint>

namespace input {

// Reads the motive named by the "@" token at line position at of CommandLine (end: the
// token's separator) into MotiveText: a notes line's ".MOT" file, a rhythm line's ".MRH"
// (InputParserMode 2). The numbers after the name go to ParamBuffer. Empty tokens are filled
// with the token before them. A motive that cannot be read leaves "ERROR - motive "N" not
// found." in SecondLine, shows it and returns false.
bool load_motive(int32_t at, int32_t end);
// Stores the motive closed by the "]" at cursor (else at TypedMotiveMarks.end) under the name
// before its "[": a ".MOT" file with the motive normalised (octave digits, accidental letters,
// written-out repeats, the line moved with it), a rhythm line's ".MRH" as typed. mark and
// cursor move with the text when they lie at or past the "]". A declined overwrite stores under
// the next free name and says so.
void store_motive(int32_t& mark, int32_t& cursor);

}  // namespace input
