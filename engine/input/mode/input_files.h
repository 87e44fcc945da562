// The input mode's two files in the work folder: the abandon copy of the page ("!abandon.tmp"),
// taken when an input run begins and put back when the run is abandoned, and the saved lines of
// a run ("input.tmp" or a file the user names), which run as a command file enter the same
// music again.
#pragma once

#include <cstdint>
#include <string_view>

namespace input {

constexpr std::string_view kAbandonCopyFile = "!abandon.tmp";
constexpr std::string_view kSavedLinesFile = "input.tmp";
constexpr std::string_view kAbandonCopyMissing =
    "*** Abandon copy not found: the page is left as it is.";

// Mode 0 writes the abandon copy: ItemCount as a little-endian 32-bit integer, then words
// 1..ItemWordsUsed of ItemStore (none when ItemWordsUsed is not positive) as 32-bit reals. Any
// other mode puts the copy back. The word count comes from the file's size; a file that is
// missing, not whole words, larger than the store, with a count outside the item limit or whose
// items do not fill exactly those words shows kAbandonCopyMissing and changes nothing.
// Otherwise ItemStore, ItemCount, ItemWordsUsed and ItemStartTable are the copy's, and MacroUnit
// is 0; no written-back range waits to be put back any more. A copy of an empty page empties
// the page as "RS" does: after the discard question when
// ChangesMadeFlag is set (declined: the page stays), the store, its index and the output lists
// are emptied. A copy that cannot be written is reported with its name.
void abandon_input(int32_t mode);

// Writes InputLines as seven records: the command padded to 64 characters, the position line
// padded to 16 ("2 200" when blank), then the notes, rhythms, marks, beams and slurs lines to
// their trimmed length. SecondLine(1) is the closing menu's answer: "S" asks for a name
// (ask_output_file_name; Cancel, a blank name or one beginning "!" or "^" write nothing; an
// existing file asks whether to write over it: No asks again, Exit writes nothing); every other
// answer writes "input.tmp" in the work folder. A file that cannot be opened shows
// "Error writing file". CommandLine holds the name asked for, when one was asked.
void save_input_lines();

// Runs the "Type output file name." dialog with no preset and leaves the answer in CommandLine,
// blank-padded: the whole name when the front-end gave it in FrontEndPathBuffer, else the
// 48-character FrontEndCommandBuffer. Both buffers are blank afterwards. Returns false, with
// CommandLine blank, when the dialog was cancelled.
bool ask_output_file_name();

}  // namespace input
