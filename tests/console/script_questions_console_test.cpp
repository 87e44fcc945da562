// Every question a command word asks has a way out for a script: each word is answered with an
// empty line, "X" and a word that answers nothing, and the script's next lines ("SA out.mus")
// must still save the page, or the run must end standing at the question (a word whose Part
// reads every line as its answer until one it knows).
#include <filesystem>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "tests/support/console_run.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAskCodesBox =
    "Enter Staff#, Left pos., Right pos., [Upper Staff#] -- or Draw Box.";
constexpr const char* kAskSourceBox =
    "Enter Staff number, Left position, Right position, and upper staff num. -- or draw box.";
constexpr const char* kAskSystemBox =
    "Enter Lowest Staff# of system and how many staves in system - or Draw Box.";
constexpr const char* kAskDiscard = "Clear or Load new file? (Y/N)";
constexpr const char* kAskPrintName = "Output file name (LPT1 for the printer):";
constexpr const char* kAskSaveName = "Type output file name.";
constexpr const char* kWordNotAnswer = "ZZQ";

// A word, the question it asks first, and, for the answers its Part keeps reading lines after,
// the line the run may end at (the question asked again).
struct Asked {
    const char* word;
    const char* question;
    std::vector<std::string> may_wait_after;  // answers ("" or "ZZQ") that may leave it waiting
    const char* waits_at;
    // A mode or text that takes every later line (the input mode, a macro's text): it is
    // reached, and the lines are its.
    bool mode = false;
};

const std::vector<Asked> kAskingWords = {
    {"G", kAskDiscard, {}, nullptr},
    {"NEW", kAskDiscard, {}, nullptr},
    {"NX", kAskDiscard, {}, nullptr},
    {"NB", kAskDiscard, {}, nullptr},
    {"COM", kAskDiscard, {}, nullptr},
    {"SA", kAskSaveName, {}, nullptr},
    {"SNX", kAskSaveName, {}, nullptr},
    {"SNB", kAskSaveName, {}, nullptr},
    {"REX", "Type Filename.", {}, nullptr},
    {"TYPE", "Type Filename.", {}, nullptr},
    // A name that is no EPS file is refused and the name asked again; "X" cancels.
    {"PR", kAskPrintName, {kWordNotAnswer}, kAskPrintName},
    {"PB", kAskPrintName, {"", kWordNotAnswer}, kAskPrintName},
    // The macro's text is read up to a line holding only ".".
    {"MACRO",
     "Macro file name:",
     {kWordNotAnswer},
     "Macro text, ended by a line holding only",
     true},
    {"IF", "Enter Staff#, Left pos., Right pos., Upper Staff# -- or Draw Box.", {}, nullptr},
    {"IFX",
     "Enter Staff number, Left position, Right position, (Upper staff)  or draw box.",
     {},
     nullptr},
    {"DE", kAskCodesBox, {}, nullptr},
    {"D", kAskCodesBox, {}, nullptr},
    {"CUE", kAskCodesBox, {}, nullptr},
    {"MX", kAskCodesBox, {}, nullptr},
    {"TR", kAskSourceBox, {}, nullptr},
    {"J", kAskSystemBox, {}, nullptr},
    {"LJ", kAskSystemBox, {}, nullptr},
    {"LI", kAskSystemBox, {}, nullptr},
    // Nothing can be clicked in the console: JT says so, names JTX and the script goes on.
    {"JT", "**** No text can be clicked here: type JTX", {}, nullptr},
    // The move and copy words read every line as a box until X.
    {"M", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"C", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"CT", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"MU", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"MD", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"CDRW", "Type complete path and file name of old .DRW file. <enter> = Cancel.", {}, nullptr},
    // An empty line keeps the range, and the input mode then reads the lines as music.
    {"IN",
     "Input range: begin end [spacing staff]",
     {"", kWordNotAnswer},
     "Type Notes, Rest, Clefs, etc.",
     true},
    // The play loop ends on Enter or X; any other word is refused and the loop stays.
    {"PLA", "Sound row 1:", {kWordNotAnswer}, "ERROR -- unknown word in this context: SA"},
};

class ScriptQuestionsConsoleTest : public ConsoleSessionTest {};

std::string script_last_line(const std::string& out) {
    std::string text = out;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
}

TEST_F(ScriptQuestionsConsoleTest, EveryQuestionLetsTheScriptGoOn) {
    for (const Asked& a : kAskingWords) {
        for (const std::string answer : {"", "X", kWordNotAnswer}) {
            const std::string label = std::string(a.word) + " answered [" + answer + "]";
            core::reset_engine();
            for (const char* name : {"a.mus", "out.mus", "X.mus", "ZZQ.mus"})
                fs::remove(temp_.root() / name);
            type({"EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"});
            core::reset_engine();
            // A yes/no question after the answer takes one "SA" line as its answer: the
            // script goes on with the next.
            const std::string out = type({"G a.mus", "EI", "1 1 60 4 5 0 4", a.word, answer,
                                          "SA out.mus", "SA out.mus", "SA out.mus", "SA out.mus"});
            EXPECT_NE(out.find(a.question), std::string::npos) << label << " asked nothing:\n"
                                                               << out;
            if (fs::exists(temp_.root() / "out.mus")) continue;
            bool may_wait = false;
            for (const std::string& w : a.may_wait_after) may_wait = may_wait || w == answer;
            EXPECT_TRUE(may_wait) << label << ": out.mus not written\n" << out;
            if (may_wait) {
                EXPECT_NE((a.mode ? out : script_last_line(out)).find(a.waits_at),
                          std::string::npos)
                    << label << " ended elsewhere:\n"
                    << out;
            }
        }
    }
}

}  // namespace
