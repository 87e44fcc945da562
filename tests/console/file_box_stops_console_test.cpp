// Lines that answer no question of a script: at a box read from a command file they stop the
// file, named; "B" and zeros end the word quietly; a blank line is skipped as between commands.
// COM's count and IN's range from a script name a line that is no number and end the word.
// Each case checks the reply's wording, whether the line after it ran, and the page left; a
// note typed after a command file keeps its own numbers.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/settings_tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// ReToItsEnd: the file holds only the lines, and the marker is not in it. File: the lines run
// as "ormest --console FILE", the file given on the command line.
enum class Road { Piped, File, Re, ReToItsEnd };

// A line of 600 characters whose first 512 read as kept.
std::string cut_after(const std::string& kept, const std::string& rest = "1 2") {
    return kept + std::string(600 - kept.size() - rest.size(), ' ') + rest;
}

struct StopCase {
    const char* label;
    Road road;
    std::vector<std::string> lines;      // the word and its answers; "SA marker.mus" follows
    const char* said;                    // in the replies; nullptr: no "***" at all
    bool marker_runs;                    // the line after the answers ran
    bool page_kept;                      // out.mus holds the page as it was loaded
    std::vector<std::string> page = {};  // a changed page: out.mus's records
    const char* written = nullptr;       // a document the word writes besides
    std::vector<std::string> written_page = {};
    // The program's exit status over the same lines (-1: the case runs in the test's session).
    int exit_status = -1;
};

constexpr const char* kStopped = ": the rest of the file was not read.";

std::string bytes_of(const fs::path& path) { return fs::exists(path) ? read_text(path) : ""; }

class FileBoxStopsConsoleTest : public ConsoleSessionTest {};

TEST_F(FileBoxStopsConsoleTest, ALineThatAnswersNothingIsNamedAndTheRestIsAsSaid) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    type(page);
    core::reset_engine();
    type({"G a.mus", "SA ref.mus"});
    const std::string kept = bytes_of(temp_.root() / "ref.mus");
    ASSERT_FALSE(kept.empty());
    const std::vector<std::string> kept_page = saved_records(temp_.root() / "ref.mus");

    // The cut box of zeros is shown by its first 40 characters.
    const std::string cut_zeros_said = "*** Not a box: 1 " + std::string(38, '0') +
                                       " ... (cut at 512 characters): the rest of the file "
                                       "was not read.";
    // Lines cut inside a two-byte letter keep the letters before it whole: the folder PATH
    // echoes fills 511 bytes of its line, and a cut name shows 39 of its first 40.
    std::string letters;
    while (letters.size() < 600) letters += "\xC3\xA9";
    const std::string cut_folder_said =
        "\n/nosuch/" + letters.substr(0, 512 - std::string("PATH /nosuch/").size() - 1) + "\n";
    const std::string cut_name_said = "\"Combine Files: first file name:\": a" +
                                      letters.substr(0, 38) + " ... (cut at 512 characters)";
    const std::vector<StopCase> cases = {
        {"PATH cut inside a letter piped", Road::Piped, {"PATH /nosuch/" + letters},
         cut_folder_said.c_str(), true, true, {}, nullptr, {}, 1},
        {"PATH cut inside a letter from --console FILE", Road::File, {"PATH /nosuch/" + letters},
         cut_folder_said.c_str(), true, true, {}, nullptr, {}, 1},
        {"COM cut name split at its 40th byte", Road::Re,
         {"COM", "Y", cut_after("a" + letters.substr(0, 60)), "2"}, cut_name_said.c_str(), false,
         true, {}, nullptr, {}, 1},
        // The box: a blank line is skipped, so the next line is the box, and no box.
        {"M blank box", Road::Re, {"M", ""}, "*** Not a box: SA marker.mus: the rest", false, true},
        {"M word box", Road::Re, {"M", "ZZQ"}, "*** Not a box: ZZQ: the rest", false, true},
        {"C word box", Road::Re, {"C", "foo 1"}, "*** Not a box: foo 1: the rest", false, true},
        // A box line longer than the line buffer is named as a typed one is; one that fills
        // it exactly is read as it stands (the load's reply comes right before the refusal).
        {"M box of 513 characters",
         Road::Re,
         {"M", "ZZQ" + std::string(509, ' ') + "Q"},
         "*** Line 2 is longer than 512 characters: the rest was left out.\n"
         "*** Not a box: ZZQ ... (cut at 512 characters): the rest",
         false,
         true},
        {"M box of 512 characters",
         Road::Re,
         {"M", "ZZQ" + std::string(508, ' ') + "Q"},
         "-15000\n*** Not a box: ZZQ: the rest",
         false,
         true},
        // An item line that the cut leaves whole is taken, but the run tells that a line's
        // rest was left out; one that fills the buffer exactly is taken as written.
        {"item line of 513 characters",
         Road::Re,
         {"1 1 50 5 5 0 1" + std::string(498, ' ') + "Q"},
         "*** Line 1 is longer than 512 characters: the rest was left out.",
         true,
         false,
         {},
         nullptr,
         {},
         1},
        {"item line of 512 characters",
         Road::Re,
         {"1 1 50 5 5 0 1" + std::string(498, ' ')},
         nullptr,
         true,
         false,
         {},
         nullptr,
         {},
         0},
        // The destination, read as the box is.
        {"M word destination", Road::Re, {"M", "1 0 200 1", "ZZQ"}, "Not a box: ZZQ", false, true},
        {"C blank destination",
         Road::Re,
         {"C", "1 0 200 1", "   "},
         "*** Not a box: SA marker.mus: the rest",
         false,
         true},
        {"CPX damaged destination",
         Road::Re,
         {"CPX", "1 0 200 1", "2x"},
         "*** Not a number: 2x in \"2x\": the rest",
         false,
         true},
        {"M B destination", Road::Re, {"M", "1 0 200 1", "B"}, nullptr, true, true},
        {"M zero destination", Road::Re, {"M", "1 0 200 1", "0 0 0 0"}, nullptr, true, true},
        // Blank lines between the answers are skipped: the move is made and the file goes on.
        {"M with blank lines", Road::Re, {"M", "", "1 0 200 1", "", "2"}, nullptr, true, false},
        // IF's box.
        {"IF word box", Road::Re, {"IF", "ZZQ"}, "*** Not a box: ZZQ: the rest", false, true},
        {"IF box on staff 257",
         Road::Re,
         {"IF", "257"},
         "*** Staff numbers are 0 (every staff) to 256: 257: the rest",
         false,
         true},
        {"IF B", Road::Re, {"IF", "B"}, nullptr, true, true},
        // The bare leave words end the word and the file goes on; a longer line stops it.
        {"DE X box", Road::Re, {"DE", "X"}, "Leaving Group Edit.", true, true},
        {"LJ ab system", Road::Re, {"LJ", "ab"}, "Leaving Group Edit.", true, true},
        {"A I box", Road::Re, {"A", "I"}, "Leaving Group Edit.", true, true},
        {"M X destination", Road::Re, {"M", "1 0 200 1", "X"}, "Leaving Group Edit.", true, true},
        {"DE IN 1 box", Road::Re, {"DE", "IN 1"}, "*** Not a box: IN 1: the rest", false, true},
        {"TR XX box", Road::Re, {"TR", "XX"}, "*** Not a box: XX: the rest", false, true},
        {"DE IF box piped",
         Road::Piped,
         {"DE", "IF P1=1;P4=P4+1"},
         "*** Not a box: IF P1=1;P4=P4+1 -- DE ended, nothing was changed.",
         true,
         true},
        // BE's count loop: a staff is counted (the count sorts the page by staff) and the loop
        // waits; a word stops the file.
        {"BE word",
         Road::Re,
         {"BE", "1", "SA x.mus"},
         "*** Not a box: SA x.mus: the rest",
         false,
         false},
        {"BE X", Road::Re, {"BE", "2", "X"}, "Leaving Group Edit.", true, false},
        {"BE staff 300", Road::Re, {"BE", "300"}, "no box: 300: the rest", false, true},
        {"BE zeros", Road::Re, {"BE", "0"}, nullptr, true, true},
        {"BE word piped",
         Road::Piped,
         {"BE", "1", "SA x.mus"},
         "*** Not a box: SA x.mus -- BE ended: the page was sorted.",
         true,
         false},
        {"IF word box piped",
         Road::Piped,
         {"IF", "ZZQ"},
         "*** Not a box: ZZQ -- IF ended, nothing was changed.",
         true,
         true},
        // COM's count: named, the word ends before the page is emptied.
        {"COM word count",
         Road::Piped,
         {"COM", "Y", "a.mus", "ZZQ"},
         "*** Not an answer to \"Number of files:\": ZZQ -- COM ended, nothing was changed.",
         true,
         true},
        {"COM damaged count",
         Road::Piped,
         {"COM", "Y", "a.mus", "2x"},
         "\"Number of files:\": 2x -- COM ended",
         true,
         true},
        // From a command file its next lines were meant for the combined page: it stops.
        {"COM count from a file",
         Road::Re,
         {"COM", "Y", "a.mus", "ZZQ"},
         "*** Not an answer to \"Number of files:\": ZZQ: the rest",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        // X alone at the first name is Cancel on every road: the new empty page is left, the
        // count is not read, and the line meant for it runs as an item line.
        {"COM X name piped",
         Road::Piped,
         {"COM", "Y", "X", "2"},
         nullptr,
         true,
         false,
         {"2 0 0"},
         nullptr,
         {},
         0},
        {"COM X name from --console FILE",
         Road::File,
         {"COM", "Y", " x ", "2"},
         nullptr,
         true,
         false,
         {"2 0 0"},
         nullptr,
         {},
         0},
        {"COM X name from a file",
         Road::Re,
         {"COM", "Y", "  X  ", "2"},
         nullptr,
         true,
         false,
         {"2 0 0"},
         nullptr,
         {},
         0},
        // A name with more than the X is a name.
        {"COM XX name from a file",
         Road::Re,
         {"COM", "Y", "XX", "2"},
         "XX.mus was not loaded: "
         "the rest",
         false,
         false,
         {},
         nullptr,
         {},
         1},
        // A cut name stops the file: its next line was the count.
        {"COM cut name from a file",
         Road::Re,
         {"COM", "Y", cut_after("a.mus"), "2"},
         "*** Not an answer to \"Combine Files: first file name:\": a.mus ... (cut at 512 "
         "characters): the rest",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        // The staff to adjust, after STU's box: a number question, so a file goes on.
        {"STU staff from a file",
         Road::Re,
         {"STU", "1 0 200 2", "ZZQ"},
         "*** Not an answer to \"Type number of staff containing notes to be adjusted.\": ZZQ "
         "-- STU ended, nothing was changed.",
         true,
         true},
        // X and B alone leave the staff question; a longer line starting with them is named.
        {"STU staff B word piped",
         Road::Piped,
         {"STU", "1 0 200 2", "Y", "BN 1 1"},
         "\": BN 1 1 -- STU",
         true,
         true},
        {"STU staff X word from a file",
         Road::Re,
         {"STU", "1 0 200 2", "XX"},
         "\": XX -- STU",
         true,
         true},
        {"STU staff X from a file",
         Road::Re,
         {"STU", "1 0 200 2", "X"},
         "Leaving Group Edit.",
         true,
         true},
        {"STU staff piped",
         Road::Piped,
         {"STU", "1 0 200 2", "Y", "2 x"},
         "\": 2 x -- STU",
         true,
         true},
        // IN's range: numbers only, every field.
        {"IN word range",
         Road::Piped,
         {"IN 1", "ZZQ"},
         "*** Not an answer to \"Input range: begin end [spacing staff]\": ZZQ -- IN ended.",
         true,
         true},
        {"IN damaged last field",
         Road::Piped,
         {"IN 1", "2 200 1x"},
         "[spacing staff]\": 2 200 1x -- IN ended.",
         true,
         true},
        // A line cut at its length limit answers no question, whatever its kept part says:
        // at a box it is no box, at a number question no number, at a yes/no question taken
        // as No. One of exactly 512 characters is read as it stands.
        {"DE cut box",
         Road::Re,
         {"DE", "1 " + std::string(598, '0') + "1 2"},
         cut_zeros_said.c_str(),
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"DE box cut after its blanks",
         Road::Re,
         {"DE", cut_after("1 0 30 1" + std::string(504, ' '))},
         "*** Not a box: 1 0 30 1 ... (cut at 512 characters): the rest",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"DE box of 512 characters",
         Road::Re,
         {"DE", "1 0 30 1" + std::string(504, ' ')},
         nullptr,
         true,
         false,
         {"8 2 0", "1 2 30 5 5 0 4"},
         nullptr,
         {},
         0},
        {"DE cut box piped",
         Road::Piped,
         {"DE", cut_after("1 0 30 1")},
         "*** Not a box: 1 0 30 1 ... (cut at 512 characters) -- DE ended, nothing was "
         "changed.",
         true,
         true,
         {},
         nullptr,
         {},
         1},
        {"DE cut box from --console FILE",
         Road::File,
         {"DE", cut_after("1 0 30 1")},
         "*** Not a box: 1 0 30 1 ... (cut at 512 characters) -- DE ended, nothing was "
         "changed.",
         true,
         true,
         {},
         nullptr,
         {},
         1},
        {"DE cut confirmation piped",
         Road::Piped,
         {"DE", "1 0 30 1", cut_after("Y", "Q")},
         "\"Source Box O.K.?\": Y ... (cut at 512 characters)",
         true,
         true,
         {},
         nullptr,
         {},
         1},
        {"DE cut confirmation from --console FILE",
         Road::File,
         {"DE", "1 0 30 1", cut_after("Y", "Q")},
         "\"Source Box O.K.?\": Y ... (cut at 512 characters)",
         true,
         true,
         {},
         nullptr,
         {},
         1},
        {"DE confirmation of 512 characters from --console FILE",
         Road::File,
         {"DE", "1 0 30 1", "Y" + std::string(511, ' '), "0"},
         nullptr,
         true,
         false,
         {},
         nullptr,
         {},
         0},
        {"COM cut count piped",
         Road::Piped,
         {"COM", "Y", "a.mus", cut_after("2")},
         "*** Not an answer to \"Number of files:\": 2 ... (cut at 512 characters) -- COM "
         "ended, nothing was changed.",
         true,
         true,
         {},
         nullptr,
         {},
         1},
        {"COM cut count from --console FILE",
         Road::File,
         {"COM", "Y", "a.mus", cut_after("2")},
         "\"Number of files:\": 2 ... (cut at 512 characters) -- COM ended",
         true,
         true,
         {},
         nullptr,
         {},
         1},
        {"COM cut count from a file",
         Road::Re,
         {"COM", "Y", "a.mus", cut_after("2")},
         "\"Number of files:\": 2 ... (cut at 512 characters): the rest",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"RIP cut numbers",
         Road::Re,
         {"RIP", cut_after("1 2 1 1")},
         "*** Not an answer to \"Ripple bars.\": 1 2 1 1 ... (cut at 512 characters): the rest",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"DEC cut write-over answer",
         Road::Re,
         {"DEC", "1", cut_after("Y", "Q")},
         "Y ... (cut at 512 characters)",
         true,
         true,
         {},
         "b.mus",
         {"8 1 0", "1 1 20 5 5 0 4"},
         1},
        // A document that does not load stops a command file: its next lines were written for
        // that document (a PR would write the page before it under the new name). A script
        // goes on.
        {"G missing",
         Road::Re,
         {"G missing.mus"},
         "missing.mus was not loaded: the rest of the file was not read.",
         false,
         true},
        {"G damaged, then PR",
         Road::Re,
         {"G damaged.mus", "PR", "b.eps"},
         "damaged.mus was not loaded: the rest of the file was not read.",
         false,
         true},
        {"COM of a missing file",
         Road::Re,
         {"COM", "Y", "none.mus", "2"},
         "none.mus was not loaded: the rest",
         false,
         false},
        {"G damaged piped", Road::Piped, {"G damaged.mus"}, "Error opening file->", true, true},
        // What answers nothing between commands answers no question: the line after it does.
        {"DE comment before the box",
         Road::Re,
         {"DE", "% the box", "1 0 30 1"},
         nullptr,
         true,
         false,
         {"8 2 0", "1 2 30 5 5 0 4"}},
        {"DE block and pause before the box",
         Road::Re,
         {"DE", "%%", "2 0 200 2", "%%", "%$", "1 0 30 1"},
         "*** Hit enter to continue.",
         true,
         false,
         {"8 2 0", "1 2 30 5 5 0 4"}},
        {"IF conditions after a comment",
         Road::Re,
         {"IF", "1 0 200 2", "% raise the notes", "P1=1;P4=P4+1"},
         nullptr,
         true,
         false,
         {"8 1 0", "8 2 0", "1 1 20 6 5 0 4", "1 2 30 6 5 0 4"}},
        {"IF conditions after the end mark",
         Road::Re,
         {"IF", "1 0 200 2", "*", "P1=1;P4=P4+1"},
         "*** IF: the command file ended before the conditions: nothing was changed.",
         false,
         true},
        // Ripple bars reads its numbers whole; a line that is no numbers stops the file.
        {"RIP numbers after a comment",
         Road::Re,
         {"RIP", "% staves, from, to, bars", "1 2 1 1"},
         "the source system has fewer bar lines than the bars to move",
         true,
         true},
        {"RIP command line",
         Road::Re,
         {"RIP", "SA c.mus", "1 1 40 5 5 0 4"},
         "*** Not an answer to \"Ripple bars.\": SA c.mus: the rest",
         false,
         true},
        {"RIP damaged number",
         Road::Re,
         {"RIP", "10abc"},
         "*** Not an answer to \"Ripple bars.\": 10abc: the rest",
         false,
         true},
        // The split into files: group sizes, then the write-over question for a.mus.
        {"DEC sizes after a block",
         Road::Re,
         {"DEC", "%%", "2", "%%", "1", "N"},
         "exists (the command file answered No)",
         true,
         true,
         {},
         "b.mus",
         {"8 1 0", "1 1 20 5 5 0 4"}},
        {"DEC command line",
         Road::Re,
         {"DEC", "SA c.mus", "1 1 40 5 5 0 4"},
         "*** Not an answer to \"Decombine File\": SA c.mus: the rest",
         false,
         true},
        {"DEC damaged number",
         Road::Re,
         {"DEC", "1x"},
         "*** Not an answer to \"Decombine File\": 1x: the rest",
         false,
         true},
        // A question the file leaves open at its end mark ends its word: the file's lines
        // after the mark are not read, and the line after the file runs as a command.
        {"LJ system after the end mark", Road::Re, {"LJ", "*"}, nullptr, false, true},
        {"J system after the end mark", Road::Re, {"J", "*"}, nullptr, false, true},
        {"LI system after the end mark", Road::Re, {"LI", "*"}, nullptr, false, true},
        {"JX system after the end mark", Road::Re, {"JX", "*"}, nullptr, false, true},
        {"LS system after the end mark", Road::Re, {"LS", "*"}, nullptr, false, true},
        {"JR system after the end mark", Road::Re, {"JR", "*"}, nullptr, false, true},
        {"A box after the end mark", Road::Re, {"A", "*"}, nullptr, false, true},
        {"A code after the end mark",
         Road::Re,
         {"A", "1 0 200 2", "*", "4 1"},
         nullptr,
         false,
         true},
        {"BE count loop after the end mark", Road::Re, {"BE", "1", "*"}, nullptr, false, false},
        {"DEC sizes after the end mark", Road::Re, {"DEC", "*", "2"}, nullptr, false, true},
        {"RIP numbers after the end mark", Road::Re, {"RIP", "*"}, nullptr, false, true},
        {"DE box after the end mark", Road::Re, {"DE", "*"}, nullptr, false, true},
        {"M destination after the end mark",
         Road::Re,
         {"M", "1 0 200 1", "*"},
         nullptr,
         false,
         true},
        {"MS after the end mark", Road::Re, {"MS", "*"}, nullptr, false, true},
        {"D box after the end mark", Road::Re, {"D", "*"}, nullptr, false, true},
        {"C box after the end mark", Road::Re, {"C", "*"}, nullptr, false, true},
        {"EDI after the end mark", Road::Re, {"EDI", "*"}, nullptr, false, true},
        {"IF box after the end mark", Road::Re, {"IF", "*"}, nullptr, false, true},
        {"T place after the end mark", Road::Re, {"T", "*"}, nullptr, false, true},
        {"H size after the end mark", Road::Re, {"H", "*"}, nullptr, false, true},
        {"GM name after the end mark",
         Road::Re,
         {"GM", "*"},
         "*** The command file ended before this was answered: Type output file name.",
         false,
         true},
        {"COM after the end mark",
         Road::Re,
         {"COM", "*"},
         "*** The command file ended before this was answered: Warning: Unsaved",
         false,
         true},
        // The same at the file's plain end.
        {"LJ system at the file's end", Road::ReToItsEnd, {"LJ"}, nullptr, false, true},
        {"A code at the file's end", Road::ReToItsEnd, {"A", "1 0 200 2"}, nullptr, false, true},
        {"BE count loop at the file's end", Road::ReToItsEnd, {"BE", "1"}, nullptr, false, false},
        {"DEC sizes at the file's end", Road::ReToItsEnd, {"DEC"}, nullptr, false, true},
        {"DE box at the file's end", Road::ReToItsEnd, {"DE"}, nullptr, false, true},
        {"M box at the file's end", Road::ReToItsEnd, {"M"}, nullptr, false, true},
        // IN's range: a line that is no range stops the file, its next lines being the music
        // of that range; a blank line keeps the range and a line of numbers is the range.
        {"IN range a command line",
         Road::Re,
         {"IN 1", "SA c.mus", "C4/D;", "Q;", ";", ";", ";"},
         "*** Not an answer to \"Input range: begin end [spacing staff]\": SA c.mus: the rest "
         "of the file was not read.",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"IN range refused",
         Road::Re,
         {"IN 1", "200 200", "C4/D;", "Q;", ";", ";", ";"},
         "[spacing staff]\": 200 200: the rest of the file was not read.",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        // A spacing staff with no rhythms ends the run as a refused range does.
        {"IN range on an empty spacing staff",
         Road::Re,
         {"IN 3", "2 200 4", "TR/D4/E4/F4;", "Q/Q/Q;", ";", ";", ";", "SA c.mus"},
         "No rhythms on spacing staff: the rest of the file was not read.",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"IN range cancelled", Road::Re, {"IN 1", " x "}, nullptr, true, true, {}, nullptr, {}, 0},
        {"IN range X and a word",
         Road::Re,
         {"IN 1", "X 2", "C4/D;", "Q;", ";", ";", ";"},
         "[spacing staff]\": X 2: the rest of the file was not read.",
         false,
         true,
         {},
         nullptr,
         {},
         1},
        {"IN range blank",
         Road::Re,
         {"IN 1", "", "C4/D;", "Q;", ";", ";", ";"},
         "*** Leaving input ***",
         true,
         false,
         // A blank range line takes the range shown, as it does piped.
         {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "1 1 27 1 10 0 1",
          "1 1 113.5 2 10 0 1"},
         nullptr,
         {},
         0},
        {"IN range of numbers",
         Road::Re,
         {"IN 1", "100", "C4/D;", "Q;", ";", ";", ";"},
         "*** Leaving input ***",
         true,
         false,
         {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "1 1 100 1 10 0 1",
          "1 1 150 2 10 0 1"},
         nullptr,
         {},
         0},
        {"IN range of zeros",
         Road::Re,
         {"IN 1", "0 0", "C4/D;", "Q;", ";", ";", ";"},
         "*** Leaving input ***",
         true,
         false,
         {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "1 1 1.5 1 10 0 1",
          "1 1 100.75 2 10 0 1"},
         nullptr,
         {},
         0},
        // A file that ends inside an edit form ends the form as any early end does: the page
        // is put back as it was when the form began, and the file's end stays quiet.
        {"EDI staff at the file's end",
         Road::ReToItsEnd,
         {"EDI", "1 0 200 1"},
         "*** The edit form ended early: the page is as it was before EDI.",
         false,
         true},
        {"EDI position at the file's end",
         Road::ReToItsEnd,
         {"EDI", "1 0 200 1", "IN 1"},
         "*** The edit form ended early: the page is as it was before EDI.",
         false,
         true},
        {"EDI marks at the file's end",
         Road::ReToItsEnd,
         {"EDI", "1 0 200 1", "IN 1", "", "", ""},
         "*** The edit form ended early: the page is as it was before EDI.",
         false,
         true},
        {"EDI menu at the file's end",
         Road::ReToItsEnd,
         {"EDI", "1 0 200 1", "IN 1", "", "", "", "", "", ""},
         "*** The edit form ended early: the page is as it was before EDI.",
         false,
         true},
        {"EDI position after the end mark",
         Road::Re,
         {"EDI", "1 0 200 1", "IN 1", "*", "SA c.mus"},
         "*** The edit form ended early: the page is as it was before EDI.",
         false,
         true},
        {"EDI notes after the end mark",
         Road::Re,
         {"EDI", "1 0 200 1", "IN 1", "", "*", "SA c.mus"},
         "*** The edit form ended early: the page is as it was before EDI.",
         false,
         true},
        // Comments and blocks answer none of the form's questions: the lines after them do.
        {"EDI with a block at the position",
         Road::Re,
         {"EDI", "1 0 200 1", "% the staff", "IN 1", "%%", "100 200", "%%", "", "", "", "", "", "",
          "X"},
         "*** Leaving input ***",
         true,
         false,
         {"8 1 0", "8 2 0", "1 1 20 5 15 2 4", "1 2 30 5 5 0 4"}},
        // IN's form opened by "^" in a file run is the file's to answer, as EDI's is.
        {"IN form at the file's end",
         Road::ReToItsEnd,
         {"IN 1", "", "C4/D;", "^;", "1"},
         "*** The edit form ended early: the page is as it was before the edit form.",
         false,
         false,
         {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4",
          "1 1 27 1 10 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 6800",
          "1 1 200 2 10 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 6800"}},
        {"IN form after the end mark",
         Road::Re,
         {"IN 1", "", "C4/D;", "^;", "*", "SA c.mus"},
         "*** The edit form ended early: the page is as it was before the edit form.",
         false,
         false,
         {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4",
          "1 1 27 1 10 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 6800",
          "1 1 200 2 10 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 6800"}},
        {"IN form answered by the file",
         Road::Re,
         {"IN 1", "", "C4/D;", "^;", "1", "0 200", "%%", "C4/D/E;", "%%", "E4/F;", "Q;", ";", ";",
          ";", "X"},
         "*** Leaving input ***",
         true,
         false,
         {"8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "1 1 1.5 3 10 0 1",
          "1 1 100.75 4 10 0 1"}},
    };
    {
        std::string noise;
        for (int k = 0; k < 300; ++k) noise += static_cast<char>((k * 131 + 7) % 256);
        write_text(temp_.root() / "damaged.mus", noise);
    }
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.label);
        core::reset_engine();
        for (const char* name : {"out.mus", "marker.mus", "b.mus", "c.mus", "b.eps"})
            fs::remove(temp_.root() / name);
        std::vector<std::string> word = c.lines;
        if (c.road != Road::ReToItsEnd) word.push_back("SA marker.mus");
        std::string out;
        if (c.road == Road::File) {
            std::vector<std::string> lines = {"G a.mus"};
            lines.insert(lines.end(), word.begin(), word.end());
            lines.push_back("SA out.mus");
            int status = -1;
            out = run_console_file(temp_.root(), lines, &status);
            if (c.exit_status >= 0) {
                EXPECT_EQ(status, c.exit_status) << out;
            }
        } else if (c.road != Road::Piped) {
            std::string text;
            for (const std::string& line : word) text += line + "\n";
            write_text(temp_.root() / "cmd.txt", text);
            // The line typed after the file runs as on a fresh page state, even when the file
            // ended at a question: the note keeps its own numbers.
            const std::vector<std::string> typed = {"G a.mus", "RE cmd.txt", "NOTE 1 40 6", "X",
                                                    "SA out.mus"};
            if (c.exit_status >= 0) {
                int status = -1;
                out = run_console_file(temp_.root(), typed, &status);
                EXPECT_EQ(status, c.exit_status) << out;
            } else {
                out = type(typed);
            }
        } else {
            std::vector<std::string> lines = {"G a.mus"};
            lines.insert(lines.end(), word.begin(), word.end());
            lines.push_back("SA out.mus");
            out = type(lines);
            // A piped run's exit status is the mark its named lines leave.
            if (c.exit_status >= 0) {
                EXPECT_EQ(core::RunFailedWord != 0 ? 1 : 0, c.exit_status);
            }
        }
        if (c.said != nullptr) {
            EXPECT_NE(out.find(c.said), std::string::npos) << out;
        } else {
            // Nothing is said past the typed load's own units line.
            const std::size_t units = out.find("*** Measurements = ");
            const std::size_t from = units == std::string::npos ? 0 : out.find('\n', units);
            EXPECT_EQ(out.find("***", from), std::string::npos) << out;
        }
        const bool stopped = out.find(kStopped) != std::string::npos;
        // A file that ends at its end mark is not stopped: it has nothing more to read.
        const bool ended =
            std::find(c.lines.begin(), c.lines.end(), "*") != c.lines.end() ||
            (c.said != nullptr && std::string(c.said).find("file ended") != std::string::npos);
        EXPECT_EQ(stopped, c.road == Road::Re && !c.marker_runs && !ended) << out;
        EXPECT_EQ(fs::exists(temp_.root() / "marker.mus"), c.marker_runs) << out;
        ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
        std::vector<std::string> left = saved_records(temp_.root() / "out.mus");
        if (c.road == Road::Piped || c.road == Road::File) {
            EXPECT_EQ(bytes_of(temp_.root() / "out.mus") == kept, c.page_kept) << out;
        } else {
            const auto note = std::find(left.begin(), left.end(), "1 1 40 6 10 0 1");
            EXPECT_NE(note, left.end()) << out;
            if (note != left.end()) left.erase(note);
            EXPECT_EQ(left == kept_page, c.page_kept) << out;
        }
        EXPECT_FALSE(fs::exists(temp_.root() / "b.eps")) << out;
        if (!c.page.empty()) {
            EXPECT_EQ(left, c.page) << out;
        }
        EXPECT_FALSE(fs::exists(temp_.root() / "c.mus")) << out;
        if (c.written != nullptr) {
            EXPECT_EQ(saved_records(temp_.root() / c.written), c.written_page) << out;
        } else {
            EXPECT_FALSE(fs::exists(temp_.root() / "b.mus")) << out;
        }
    }
}

}  // namespace
