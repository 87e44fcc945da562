// Every question a command word asks has a way out for a script: each word is answered with an
// empty line, "X" and a word that answers nothing, and the script's next lines ("SA out.mus")
// must still save the page, or the run must end standing at the question (a word whose Part
// reads every line as its answer until one it knows).
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "engine/edit/areas/box_commands.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"

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
constexpr const char* kAskStemBox = "Enter Staff number, Left position, Right position";
constexpr const char* kAskAlterBox =
    "Enter Staff#, Left pos., Right pos., [Upper Staff#, Code#] -- or use mouse.";
// A word that runs as no command: the interpreter refuses it by name, so a line that was not
// swallowed at the question is always seen.
constexpr const char* kWordNotAnswer = "#ZZQ";
// A command line of two words, which a question must not take as its answer either.
constexpr const char* kCommandNotAnswer = "SA two.mus";
// A line that starts as a box's leave word but is longer: named, never a way out.
constexpr const char* kLeaveLine = "IF P1=1;P4=P4+1";

// A word, the question it asks first, and, for the answers its Part keeps reading lines after,
// the line the run may end at (the question asked again).
struct Asked {
    const char* word;
    const char* question;
    std::vector<std::string> may_wait_after;  // answers ("" or the word) that may leave it waiting
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
    // From a script a name that is no EPS file is named and ends the word; "X" cancels.
    {"PR", kAskPrintName, {}, nullptr},
    {"PB", kAskPrintName, {}, nullptr},
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
    // The stem words and Group Alter end on a line that is no box.
    {"FLA", kAskStemBox, {}, nullptr},
    {"FLU", kAskStemBox, {}, nullptr},
    {"FLD", kAskStemBox, {}, nullptr},
    {"FLO", kAskStemBox, {}, nullptr},
    {"FLF", kAskStemBox, {}, nullptr},
    {"FLV", kAskStemBox, {}, nullptr},
    {"PL", kAskStemBox, {}, nullptr},
    {"CRV", kAskStemBox, {}, nullptr},
    {"A",
     "Enter Staff#, Left pos., Right pos., [Upper Staff#, Code#] -- or use mouse.",
     {},
     nullptr},
    // The words that share the move words' box reader.
    {"CPX", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"CT*", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"CT 1", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"TYPB", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"STM", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"STU", kAskSourceBox, {"", kWordNotAnswer}, kAskSourceBox},
    {"EDI",
     "Enter Staff number, Left position, Right position, -- or draw box.",
     {"", kWordNotAnswer},
     kAskSourceBox},
    // The system move and copy end on a line that is no system.
    {"MS", kAskSystemBox, {}, nullptr},
    {"CS", kAskSystemBox, {}, nullptr},
    // BE's count loop: an empty line ends it quietly, a word is named and ends it.
    {"BE", "Enter Staff# to see how many quarters in line", {}, nullptr},
    // The play loop ends on Enter or X; from a script any other line ends it and runs.
    {"PLA", "Sound row 1:", {}, nullptr},
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
            for (const char* name : {"a.mus", "out.mus", "X.mus", "#ZZQ.mus"})
                fs::remove(temp_.root() / name);
            type({"EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"});
            core::reset_engine();
            // A yes/no question after the answer takes one "SA" line as its answer: the
            // script goes on with the next.
            const std::string out = type({"G a.mus", "EI", "1 1 60 4 5 0 4", a.word, answer,
                                          "SA out.mus", "SA out.mus", "SA out.mus", "SA out.mus"});
            EXPECT_NE(out.find(a.question), std::string::npos) << label << " asked nothing:\n"
                                                               << out;
            // A reply shown as a failure fails the run; a script whose every line was taken
            // does not.
            EXPECT_EQ(marked_status(), status_from_reply_kinds()) << label << "\n" << out;
            // The stem words and Group Alter name the word they took for no box.
            if ((a.question == kAskStemBox || a.question == kAskAlterBox) &&
                answer == kWordNotAnswer) {
                EXPECT_NE(out.find("*** Not a box: #ZZQ -- " + std::string(a.word) +
                                   " ended, nothing was changed."),
                          std::string::npos)
                    << label << "\n"
                    << out;
            }
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

// ---- Past the first question ----
// Each row answers a word's first questions rightly and then meets the later question (the
// confirmation, the code number, the name, the count, the next line of the input mode) with an
// empty line, "X" and a word that answers nothing, on the three roads a script takes: piped,
// "--console FILE" and a command file read by RE.

namespace {

enum class LaterRoad { Piped, ConsoleFile, Re };

const char* road_name(LaterRoad r) {
    return r == LaterRoad::Piped ? "piped" : r == LaterRoad::ConsoleFile ? "console_file" : "re";
}

constexpr const char* kBoxOk = "Source Box O.K.? - (Y/N/X)";
constexpr const char* kCodes = "Select Code Numbers. (0 = all)";
constexpr const char* kBox = "1 0 200 2";
const std::vector<std::string> kInputToMenu = {"IN 1", "", "C4/D;", "Q;", "N", ";", ";", ";"};

struct Later {
    const char* name;                // the row's name in the test's name
    std::vector<std::string> lines;  // the word and the right answers before the later question
    const char* later;               // the later question (a part of it)
    // The prompt of a reader that takes every line as its answer until X (the box words' reader
    // after a "No"): an empty line or a word may leave the run waiting there, and the end of
    // input names it.
    const char* waits_at = nullptr;
    // The input mode: every later line is a line of music or a menu answer (X too), and the
    // input may end waiting at any of its "Type ..." prompts. Its lines change the page.
    bool mode = false;
    // A text: any line is a right answer, and a word becomes a text of the page. A text loop
    // (waits_at set) reads a command file's lines to the file's end.
    bool text = false;
    // The right answers themselves made a text: the saved page is not the page before.
    bool made_text = false;
};

const std::vector<Later> kLaterRows = {
    {"G_name", {"G", "Y"}, "Type output file name."},
    {"SA_write_over", {"SA", "a.mus"}, "FILE EXISTS - Write over file?"},
    {"DE_box_ok", {"DE", kBox}, kBoxOk},
    {"DE_codes", {"DE", kBox, "Y"}, kCodes},
    {"D_box_ok", {"D", kBox}, kBoxOk},
    {"CUE_box_ok", {"CUE", kBox}, kBoxOk},
    {"MX_box_ok", {"MX", kBox}, kBoxOk},
    {"M_box_ok", {"M", kBox}, kBoxOk, kAskSourceBox},
    {"M_destination", {"M", kBox, "Y"}, "Enter new Staff#", kAskSourceBox},
    {"C_box_ok", {"C", kBox}, kBoxOk, kAskSourceBox},
    {"C_destination", {"C", kBox, "Y"}, "Enter new Staff#", kAskSourceBox},
    {"CPX_box_ok", {"CPX", kBox}, kBoxOk, kAskSourceBox},
    {"CT_box_ok", {"CT", kBox}, kBoxOk, kAskSourceBox},
    {"CT_codes", {"CT", kBox, "Y"}, kCodes, kAskSourceBox},
    {"CTn_box_ok", {"CT 1", kBox}, kBoxOk, kAskSourceBox},
    {"CTn_codes", {"CT 1", kBox, "Y"}, kCodes, kAskSourceBox},
    {"CTstar_box_ok", {"CT*", kBox}, kBoxOk, kAskSourceBox},
    {"TYPB_box_ok", {"TYPB", kBox}, kBoxOk, kAskSourceBox},
    {"MU_box_ok", {"MU", kBox}, kBoxOk, kAskSourceBox},
    {"MU_steps", {"MU", kBox, "Y"}, "Enter steps to move up/down.", kAskSourceBox},
    {"MD_steps", {"MD", kBox, "Y"}, "Enter steps to move up/down.", kAskSourceBox},
    {"STM_box_ok", {"STM", kBox}, kBoxOk, kAskSourceBox},
    {"STU_box_ok", {"STU", kBox}, kBoxOk, kAskSourceBox},
    // EDI's box is the move words' box.
    {"EDI_box_ok", {"EDI", kBox}, kBoxOk, kAskSourceBox},
    {"TR_box_ok", {"TR", kBox}, kBoxOk},
    {"J_box_ok", {"J", "1 2"}, "O.K."},
    {"LJ_box_ok", {"LJ", "1 2"}, "O.K."},
    {"LI_box_ok", {"LI", "1 2"}, "O.K."},
    // The system line takes a staff above the last: staves 1 to 256, the top held to 256.
    {"LJ_system_above_box_ok", {"LJ", "300 1"}, "O.K."},
    {"J_count_above_box_ok", {"J", "1 300"}, "O.K."},
    {"LI_top_staff_box_ok", {"LI", "256 2"}, "O.K."},
    {"LJ_billions_box_ok", {"LJ", "1 2147483647"}, "O.K."},
    // After a count BE's loop asks for the next staff; the count sorted the page by staff.
    {"BE_next_staff", {"BE", "1"}, "Type X to exit.", nullptr, false, false, true},
    {"IF_box_ok", {"IF", kBox}, kBoxOk},
    // IFX asks for box after box until a line that is no box.
    {"IFX_next_box", {"IFX", kBox}, "(Upper staff)  or draw box."},
    {"A_box_ok", {"A", "1 0 200 2 1"}, kBoxOk},
    {"A_changes", {"A", "1 0 200 2 1", "Y"}, "Type P#, chng"},
    {"FLA_box_ok", {"FLA", kBox}, kBoxOk},
    {"FLU_box_ok", {"FLU", kBox}, kBoxOk},
    {"CRV_box_ok", {"CRV", kBox}, kBoxOk},
    {"FLD_box_ok", {"FLD", kBox}, kBoxOk},
    {"FLO_box_ok", {"FLO", kBox}, kBoxOk},
    {"FLF_box_ok", {"FLF", kBox}, kBoxOk},
    {"FLV_box_ok", {"FLV", kBox}, kBoxOk},
    {"PL_box_ok", {"PL", kBox}, kBoxOk},
    {"CDRW_number", {"CDRW", "old"}, "Type 4-digit number"},
    {"IN_notes", {"IN 1", ""}, "Type Notes, Rest, Clefs, etc.", nullptr, true},
    {"IN_rhythms", {"IN 1", "", "C4/D;"}, "Rhythms >", nullptr, true},
    {"IN_bar_lines", {"IN 1", "", "C4/D;", "Q;"}, "-- Add bar lines?", nullptr, true},
    {"IN_marks", {"IN 1", "", "C4/D;", "Q;", "N"}, "Type Mark letter(s)", nullptr, true},
    {"IN_beams",
     {"IN 1", "", "C4/D;", "Q;", "N", ";"},
     "Type pairs of numbers for Beams",
     nullptr,
     true},
    {"IN_slurs",
     {"IN 1", "", "C4/D;", "Q;", "N", ";", ";"},
     "Type pairs of numbers for Slurs",
     nullptr,
     true},
    {"IN_menu", kInputToMenu, "X = Exit from input mode.", nullptr, true},
    {"IN_continue", console_lines_then(kInputToMenu, {"X"}), "Continue Input on Staff", nullptr,
     true},
    // A text line takes any word as the text; X alone is Cancel and an empty line ends T.
    {"T_text", {"T 1 10 5"}, "Text Input:", nullptr, false, true},
    {"T_place_text", {"T", "1 50 5"}, "Text Input:", nullptr, false, true},
    // The system move's destination ends on an empty line, "B" or a word, as its source does.
    {"MS_box_ok", {"MS", "1 1"}, kBoxOk},
    {"MS_destination", {"MS", "1 1", "Y"}, "Enter Bottom Staff# of New System -- or Draw Box."},
    {"CS_destination", {"CS", "1 1", "Y"}, "Enter Bottom Staff# of New System -- or Draw Box."},
    // TT reads line after line until X alone (an empty line moves down a line).
    {"TT_next_line", {"TT 1 10 5", "line one"}, "Text Input:", "Text Input:", false, true, true},

    // ---- T's place wait answered itself ----
    // The wait shows no prompt of its own; T's reply names it. A word is no place: it ends T
    // and runs as the next command.
    {"T_place_word", {"T"}, "text"},
};

struct LaterCase {
    std::size_t row;
    LaterRoad road;
};

void PrintTo(const LaterCase& c, std::ostream* os) {
    *os << kLaterRows[c.row].name << " " << road_name(c.road);
}

std::string later_case_name(const ::testing::TestParamInfo<LaterCase>& info) {
    return std::string(kLaterRows[info.param.row].name) + "_" + road_name(info.param.road);
}

std::vector<LaterCase> later_cases() {
    std::vector<LaterCase> cases;
    for (std::size_t k = 0; k < kLaterRows.size(); ++k)
        for (LaterRoad r : {LaterRoad::Piped, LaterRoad::ConsoleFile, LaterRoad::Re})
            cases.push_back({k, r});
    return cases;
}

std::string later_file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LaterQuestionsConsoleTest : public ConsoleSessionTest,
                                  public ::testing::WithParamInterface<LaterCase> {
  protected:
    // The lines through the road; what the program wrote (the end-of-input notices included).
    std::string run(LaterRoad road, const std::vector<std::string>& lines) {
        if (road == LaterRoad::ConsoleFile) return run_console_file(temp_.root(), lines, &status_);
        const std::string out = run_console_script(lines);
        status_ = marked_status();
        return out;
    }
    int status_ = -1;  // the status the last run ends with
};

std::string later_first_line(const char* text) {
    const std::string t(text);
    return t.substr(0, t.find('\n'));
}

TEST_P(LaterQuestionsConsoleTest, ALaterQuestionLetsTheScriptGoOn) {
    const Later& row = kLaterRows[GetParam().row];
    const LaterRoad road = GetParam().road;
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    const std::vector<std::string> change = {"G a.mus", "EI", "1 1 60 4 5 0 4"};
    std::ofstream(temp_.root() / "old.DRW").flush();
    // The page as it stands before the word, saved.
    core::reset_engine();
    type(page);
    core::reset_engine();
    type(console_lines_then(change, {"SA before.mus"}));
    const std::string before = later_file_bytes(temp_.root() / "before.mus");
    ASSERT_FALSE(before.empty());

    for (const std::string answer : {"", "X", kWordNotAnswer}) {
        const std::string label = std::string(row.name) + " answered [" + answer + "]";
        SCOPED_TRACE(label);
        // RE skips an empty line: the line after it is the answer.
        const std::string taken = road == LaterRoad::Re && answer.empty() ? kWordNotAnswer : answer;
        const auto fresh_page = [&] {
            core::reset_engine();
            for (const char* name : {"a.mus", "out.mus", "X.mus", "#ZZQ.mus"})
                fs::remove(temp_.root() / name);
            type(page);
            core::reset_engine();
        };
        fresh_page();
        std::vector<std::string> word = row.lines;
        for (std::string& line : word) {
            if (line == "old") line = (temp_.root() / "old").string();
        }
        word.push_back(answer);
        for (int k = 0; k < 4; ++k) word.push_back("SA out.mus");
        std::string out;
        int kinds_status = -1;
        if (road == LaterRoad::Re) {
            std::ofstream file(temp_.root() / "cmd.txt");
            for (const std::string& line : word) file << line << "\n";
            file.close();
            out = run(road, console_lines_then(change, {"RE cmd.txt"}));
            kinds_status = status_from_reply_kinds();
        } else if (road == LaterRoad::Piped) {
            out = run(road, console_lines_then(change, word));
            kinds_status = status_from_reply_kinds();
        } else {
            // The program reading the lines from a file shows what they show piped here.
            run(LaterRoad::Piped, console_lines_then(change, word));
            kinds_status = status_from_reply_kinds();
            fresh_page();
            out = run(road, console_lines_then(change, word));
        }
        // A reply shown as a failure fails the run; a script whose every line was taken does not.
        EXPECT_EQ(status_, kinds_status) << out;
        // A command file answers the box words' questions at once, and the input run from a
        // file has no menu: there the file's lines must only go on.
        if (road != LaterRoad::Re) {
            ASSERT_NE(out.find(row.later), std::string::npos) << "never asked:\n" << out;
        }
        const fs::path saved = temp_.root() / "out.mus";
        if (!fs::exists(saved)) {
            // A word a command file cannot answer ends the file, and says so.
            if (road == LaterRoad::Re &&
                out.find("the rest of the file was not read") != std::string::npos) {
                continue;
            }
            // A text loop takes a command file's lines as its texts up to the file's end.
            if (road == LaterRoad::Re && row.text && row.waits_at != nullptr &&
                out.find("the input ended while waiting for") == std::string::npos) {
                continue;
            }
            const std::string waited = "ormest: the input ended while waiting for: ";
            if (row.mode) {
                bool at_input = false;
                for (const char* prompt :
                     {"Type ", "-- Add bar lines?", "E = Edit", "Continue Input"}) {
                    at_input = at_input || out.find(waited + prompt) != std::string::npos;
                }
                // A run read from a command file ends with the file and says so.
                at_input =
                    at_input ||
                    (road == LaterRoad::Re &&
                     out.find("*** The command file ended before this was answered: Type ") !=
                         std::string::npos);
                EXPECT_TRUE(at_input) << "the input mode ended elsewhere:\n" << out;
                continue;
            }
            EXPECT_TRUE(row.waits_at != nullptr && taken != "X") << "out.mus not written:\n" << out;
            if (row.waits_at != nullptr) {
                EXPECT_NE(out.find(waited + later_first_line(row.waits_at)), std::string::npos)
                    << "the end of input names another wait:\n"
                    << out;
            }
            continue;
        }
        // X and a word that answers nothing take nothing from the page. (A command file runs
        // a box word on its box line at once: its later lines are lines of their own.)
        if (answer != "" && !row.mode && road != LaterRoad::Re && !row.made_text &&
            !(row.text && answer == kWordNotAnswer)) {
            EXPECT_EQ(later_file_bytes(saved), before) << "the page changed:\n" << out;
        }
    }
}

// Every box word the box dialogue knows has its questions swept: a row whose word begins with
// it, in the first questions' table and past them.
TEST(ScriptQuestionsTables, EveryBoxWordIsSwept) {
    const std::string words(edit::kBoxWords);
    ASSERT_EQ(words.size(), 2u * edit::kBoxWordCount);
    for (int k = 0; k < edit::kBoxWordCount; ++k) {
        std::string word = words.substr(2 * static_cast<std::size_t>(k), 2);
        if (word.back() == ' ') word.pop_back();
        bool first = false;
        bool later = false;
        for (const Asked& a : kAskingWords)
            first = first || std::string(a.word).rfind(word, 0) == 0;
        for (const Later& l : kLaterRows) later = later || l.lines.front().rfind(word, 0) == 0;
        EXPECT_TRUE(first) << word << " has no first-question row";
        // JT asks nothing in the console: it names JTX.
        if (word != "JT") {
            EXPECT_TRUE(later) << word << " has no later-question row";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LaterQuestionsConsoleTest, ::testing::ValuesIn(later_cases()),
                         later_case_name);

// ---- A command file that ends at a question ----
// The questions the sweep above asks, left open by the command file that asked them: at its
// plain end, at its end mark "*" and inside a "%%" block it never closes. The word ends with the
// page as it was (never emptied, merged or cut), and the line typed after RE runs as a command.
// The file-end rows are the sweep's rows: a word's first question alone, and the later ones
// without the confirmations a file is never asked.

struct FileEndQuestion {
    std::string name;
    std::vector<std::string> lines;  // the file's lines up to the question
    bool text = false;               // free text: a "*" or "%%" line there is a text line
    bool page_changed = false;       // the lines before the question changed the page
    const char* told = nullptr;      // the question the file's end is told at, when checked
};

// A word's own steps that no file reaches as a question: they run at once (the input mode and
// its range, another row's business) or replace the page without asking (the backup kept).
bool answered_by_the_file(const std::string& word) {
    for (const char* w : {"IN", "NEW", "NX", "NB", "JT"})
        if (word == w || word.rfind(std::string(w) + " ", 0) == 0) return true;
    return false;
}

std::vector<FileEndQuestion> file_end_questions() {
    std::vector<FileEndQuestion> rows;
    for (const Asked& a : kAskingWords) {
        if (a.mode || answered_by_the_file(a.word)) continue;
        // PLA sorts the page for its MIDI file before its play loop asks.
        rows.push_back(
            {std::string("first_") + a.word, {a.word}, false, std::string_view(a.word) == "PLA"});
    }
    for (const Later& l : kLaterRows) {
        if (l.mode || answered_by_the_file(l.lines.front())) continue;
        // A file confirms no box, and gives the codes on the box's line: the word runs whole.
        const std::string later(l.later);
        if (later == kBoxOk || later == "O.K." || later == kCodes) continue;
        std::vector<std::string> lines;
        for (const std::string& line : l.lines)
            if (line != "Y") lines.push_back(line);
        rows.push_back({l.name, lines, l.text, l.made_text});
    }
    // The questions a file reaches past the word's line.
    rows.push_back({"COM_name", {"COM", "Y"}, false, false, "Combine Files: first file name:"});
    rows.push_back({"COM_count", {"COM", "Y", "b.mus"}, false, false, "Number of files:"});
    rows.push_back({"GM_offset", {"GM b.mus"}, false, false, "Type a number for staff offset."});
    return rows;
}

TEST_F(ScriptQuestionsConsoleTest, AQuestionItsCommandFileLeavesOpenEndsTheWord) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus", "SA b.mus"};
    const std::vector<std::string> change = {"G a.mus", "EI", "1 1 60 4 5 0 4"};
    std::ofstream(temp_.root() / "old.DRW").flush();
    core::reset_engine();
    type(page);
    core::reset_engine();
    type(console_lines_then(change, {"SA before.mus"}));
    const std::string before = later_file_bytes(temp_.root() / "before.mus");
    ASSERT_FALSE(before.empty());

    // What follows the question in the file: nothing, the end mark, a block never closed. The
    // lines after "*" and inside the block would answer most questions and must not.
    struct Ending {
        const char* name;
        std::vector<std::string> lines;
    };
    const std::vector<Ending> endings = {
        {"end", {}},
        {"end_mark", {"*", kBox, "2", "SA star.mus"}},
        {"open_block", {"%%", kBox, "2", "SA block.mus"}},
    };
    for (const FileEndQuestion& q : file_end_questions()) {
        for (const Ending& e : endings) {
            if (q.text && !e.lines.empty()) continue;  // free text takes those lines as text
            SCOPED_TRACE(q.name + " at " + e.name);
            core::reset_engine();
            for (const char* name : {"out.mus", "star.mus", "block.mus", "X.mus"})
                fs::remove(temp_.root() / name);
            std::ofstream file(temp_.root() / "ends.txt");
            for (const std::string& line : console_lines_then(q.lines, e.lines)) {
                file << (line == "old" ? (temp_.root() / "old").string() : line) << "\n";
            }
            file.close();
            const std::string out = type(console_lines_then(change, {"RE ends.txt", "SA out.mus"}));
            ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << "the line after RE did not run:\n"
                                                              << out;
            EXPECT_FALSE(fs::exists(temp_.root() / "star.mus")) << out;
            EXPECT_FALSE(fs::exists(temp_.root() / "block.mus")) << out;
            EXPECT_EQ(out.find("unknown word"), std::string::npos) << out;
            if (q.told != nullptr) {
                EXPECT_NE(out.find(std::string("*** The command file ended before this was "
                                               "answered: ") +
                                   q.told + "\n"),
                          std::string::npos)
                    << out;
            }
            if (!q.page_changed) {
                EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus"), before)
                    << "the page changed:\n"
                    << out;
            }
        }
    }
}

// ---- Boxes off the staves ----
// A typed box whose staff lies outside 1..256 (either corner), or staff 0 with a range, is
// refused naming the line on every road: the words that read every line as a box ask again
// (X then leaves them), the others end and the script's next line runs. Nothing of the page
// changes, and no answer of the script becomes an item.

enum class OffStaves { AskAgain, Ends, Taken };

struct OffStavesRow {
    const char* word;
    const char* box;
    OffStaves kind;
};

std::vector<OffStavesRow> off_staves_rows() {
    std::vector<OffStavesRow> rows;
    // The last is named as typed: its blanks trimmed, its letters as they were.
    const char* off[] = {"257 0 200 257", "1 0 200 257", "-1 0 200 1", "0 20 60 0",
                         "  257 0 200 257 abc  "};
    for (const char* word : {"M", "C", "CT", "CT 1", "TYPB", "MU", "MD", "EDI", "STM", "STU"}) {
        for (const char* box : off) rows.push_back({word, box, OffStaves::AskAgain});
        rows.push_back({word, "256 0 200 256", OffStaves::Taken});
    }
    for (const char* word : {"DE", "D", "CUE", "MX", "TR"}) {
        for (const char* box : off) rows.push_back({word, box, OffStaves::Ends});
        rows.push_back({word, "256 0 200 256", OffStaves::Taken});
    }
    // The stem words name the box and end before asking about it: the script's next line is
    // no confirmation.
    for (const char* word : {"FLA", "FLD", "FLI", "FL", "FLU", "FLN", "PL"}) {
        for (const char* box : off) rows.push_back({word, box, OffStaves::Ends});
        rows.push_back({word, "256 0 200 256", OffStaves::Taken});
    }
    // The system words: lowest staff and staff count, the top staff at most 256.
    for (const char* word : {"MS", "CS"}) {
        for (const char* box : {"257 1", "256 2", "-1 1"})
            rows.push_back({word, box, OffStaves::Ends});
        rows.push_back({word, "255 2", OffStaves::Taken});
    }
    return rows;
}

// A command file stopped on a box or system off the staves, named as read.
std::string file_stopped(std::string line) {
    line.erase(0, line.find_first_not_of(' '));
    line.erase(line.find_last_not_of(' ') + 1);
    return "*** Staff numbers are 1 to 256 -- no box: " + line +
           ": the rest of the file was not read.";
}

class OffStavesConsoleTest : public LaterQuestionsConsoleTest {};

TEST_F(OffStavesConsoleTest, ABoxOffTheStavesIsRefusedByName) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    core::reset_engine();
    type(page);
    const std::string before = later_file_bytes(temp_.root() / "a.mus");
    ASSERT_FALSE(before.empty());
    for (const OffStavesRow& row : off_staves_rows()) {
        for (LaterRoad road : {LaterRoad::Piped, LaterRoad::ConsoleFile, LaterRoad::Re}) {
            SCOPED_TRACE(std::string(row.word) + " [" + row.box + "] " + road_name(road));
            core::reset_engine();
            fs::remove(temp_.root() / "out.mus");
            // "X" leaves a word that asks again and answers a box confirmation as Exit;
            // after a word that ended it runs as a line of its own.
            std::vector<std::string> word = {row.word, row.box, "X"};
            std::string out;
            if (road == LaterRoad::Re) {
                std::ofstream file(temp_.root() / "cmd.txt");
                for (const std::string& line : word) file << line << "\n";
                file.close();
                out = run(road, {"G a.mus", "RE cmd.txt", "SA out.mus"});
            } else {
                out = run(road, console_lines_then(console_lines_then({"G a.mus"}, word),
                                                   {"SA out.mus"}));
            }
            ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
            if (road == LaterRoad::Re) {
                // From a file EDI re-edits its staff's lines and TR reads its transposition
                // from the lines after the box: there the page may change.
                // The stem words run a file's box at once, and their run sorts the page.
                const std::string w = row.word;
                const bool stem_word = w.rfind("FL", 0) == 0 || w == "PL";
                if (w != "EDI" && w != "TR" && !(stem_word && row.kind == OffStaves::Taken)) {
                    EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus"), before) << out;
                }
                // The words a file answers at once stop the file on a box off the staves, as
                // the move words do: its next lines were meant for the word.
                const bool file_form = w == "M" || w == "C" || w == "CT" || w == "STM" ||
                                       w == "STU" || w == "DE" || w == "D" || w == "CUE" ||
                                       w == "MX" || w == "MS" || w == "CS" || stem_word;
                const bool letters = std::string(row.box).find("abc") != std::string::npos;
                if (file_form && !letters) {
                    EXPECT_EQ(out.find(file_stopped(row.box)) != std::string::npos,
                              row.kind != OffStaves::Taken)
                        << out;
                }
                continue;
            }
            EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus"), before) << out;
            std::string typed = row.box;
            typed.erase(0, typed.find_first_not_of(' '));
            typed.erase(typed.find_last_not_of(' ') + 1);
            // A word among the numbers is named first: the line is no box at all.
            const std::string named =
                typed.find("abc") != std::string::npos
                    ? "*** Not a number: abc in \"" + typed + "\""
                    : "*** Staff numbers are 1 to 256 -- no box: " + typed + "\n";
            const std::size_t at = out.find(named);
            switch (row.kind) {
                case OffStaves::Taken:
                    EXPECT_EQ(out.find("Staff numbers are"), std::string::npos) << out;
                    break;
                case OffStaves::AskAgain:
                    ASSERT_NE(at, std::string::npos) << out;
                    EXPECT_NE(out.find("Enter Staff number, Left position, Right position, and "
                                       "upper staff num.",
                                       at),
                              std::string::npos)
                        << out;
                    EXPECT_NE(out.find("Leaving Group Edit.", at), std::string::npos) << out;
                    break;
                case OffStaves::Ends:
                    ASSERT_NE(at, std::string::npos) << out;
                    // No question about the refused box, and the word is over.
                    EXPECT_EQ(out.find("O.K.?", at), std::string::npos) << out;
                    EXPECT_EQ(out.find("Staff numbers are 1 to 256. ***"), std::string::npos)
                        << out;
                    EXPECT_EQ(out.find("Leaving Group Edit.", at), std::string::npos) << out;
                    break;
            }
        }
    }
}

// The system move's destination: an empty line, "B" or a word ends the word and the script's
// next line runs; a bottom staff whose system would pass 256 (or lie below 1) is named and ends
// it. A system that fits to 256 exactly is asked about.
TEST_F(OffStavesConsoleTest, TheSystemDestinationEndsOnALineThatIsNoSystem) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    core::reset_engine();
    type(page);
    const std::string before = later_file_bytes(temp_.root() / "a.mus");
    struct Dest {
        const char* line;
        const char* said;  // the refusal, or nullptr
        bool asked;        // the destination was asked about
    };
    const std::vector<Dest> dests = {
        {"", nullptr, false},
        {"B", nullptr, false},
        {"0", nullptr, false},
        {"ZZQ", "*** Not a box: ZZQ -- ", false},
        // Named as typed, though the line went through the command reader first.
        {"foo", "*** Not a box: foo -- ", false},
        {"sa x.mus", "*** Not a box: sa x.mus -- ", false},
        {"256", "*** Staff numbers are 1 to 256 -- no box: 256", false},
        {"-1", "*** Staff numbers are 1 to 256 -- no box: -1", false},
        {"255", nullptr, true},
    };
    for (const char* word : {"MS", "CS"}) {
        for (const Dest& d : dests) {
            for (LaterRoad road : {LaterRoad::Piped, LaterRoad::ConsoleFile}) {
                SCOPED_TRACE(std::string(word) + " [" + d.line + "] " + road_name(road));
                core::reset_engine();
                fs::remove(temp_.root() / "out.mus");
                // The two-stave system 1-2; a confirmed destination is answered Exit.
                const std::string out =
                    run(road, {"G a.mus", word, "1 2", "Y", d.line, "", "X", "SA out.mus"});
                ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
                EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus"), before) << out;
                EXPECT_EQ(out.find("Destination Box O.K.?") != std::string::npos, d.asked) << out;
                if (d.said != nullptr) {
                    EXPECT_NE(out.find(d.said), std::string::npos) << out;
                }
            }
        }
    }
}

// From a command file the system and its destination are the file's next two lines, with
// nothing to confirm: an empty line is skipped, as between commands (the file's next line
// answers); "B" or 0 ends the word quietly and the file goes on; a word (named as read) or a
// system off the staves stops the file. None of them is called a move off the staves.
TEST_F(OffStavesConsoleTest, TheSystemWordsFromAFileEndOnALineThatIsNoSystem) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    core::reset_engine();
    type(page);
    const std::string before = later_file_bytes(temp_.root() / "a.mus");
    struct FileRow {
        const char* source;
        const char* destination;
        const char* said;  // what the file says, or nullptr for nothing
        bool moved;        // the page changed
    };
    const std::vector<FileRow> rows = {
        {"1 2", "", "*** Not a box: SA inner.mus: the rest of the file was not read.", false},
        {"1 2", "B", nullptr, false},
        {"1 2", "0", nullptr, false},
        {"1 2", "foo", "*** Not a box: foo: the rest of the file was not read.", false},
        {"1 2", "SA x.mus", "*** Not a box: SA x.mus: the rest of the file was not read.", false},
        {"1 2", "-1",
         "*** Staff numbers are 1 to 256 -- no box: -1: the rest of the file was not read.", false},
        {"1 2", "256",
         "*** Staff numbers are 1 to 256 -- no box: 256: the rest of the file was not read.",
         false},
        {"1 2", "255", nullptr, true},
        // The line after a system ended quietly runs as a line of its own.
        {"B", "X", nullptr, false},
        {"foo", "X", "*** Not a box: foo: the rest of the file was not read.", false},
        {"256 2", "3",
         "*** Staff numbers are 1 to 256 -- no box: 256 2: the rest of the file was not read.",
         false},
        {"-1 1", "3",
         "*** Staff numbers are 1 to 256 -- no box: -1 1: the rest of the file was not read.",
         false},
        {"255 2", "0", nullptr, false},
    };
    for (const char* word : {"MS", "CS"}) {
        for (const FileRow& row : rows) {
            SCOPED_TRACE(std::string(word) + " [" + row.source + "] [" + row.destination + "]");
            core::reset_engine();
            fs::remove(temp_.root() / "out.mus");
            fs::remove(temp_.root() / "inner.mus");
            {
                std::ofstream file(temp_.root() / "cmd.txt");
                file << word << "\n" << row.source << "\n" << row.destination << "\n";
                file << "SA inner.mus\n";
            }
            const std::string out = run(LaterRoad::Re, {"G a.mus", "RE cmd.txt", "SA out.mus"});
            ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
            EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus") != before, row.moved) << out;
            EXPECT_EQ(out.find("would leave staves"), std::string::npos) << out;
            const bool stopped =
                row.said != nullptr &&
                std::string(row.said).find("the rest of the file") != std::string::npos;
            EXPECT_EQ(fs::exists(temp_.root() / "inner.mus"), !stopped) << out;
            if (row.said != nullptr) {
                EXPECT_NE(out.find(row.said), std::string::npos) << out;
            } else {
                // The typed load answers with its unit; nothing else is told.
                std::string told = out;
                const std::string units = "*** Measurements = INCHES\n";
                if (told.rfind(units, 0) == 0) told.erase(0, units.size());
                EXPECT_EQ(told.find("***"), std::string::npos) << out;
            }
        }
    }
}

// The move words' destination: a line with no staff ends the word (an empty line, "B" and
// zeros quietly, a word named as typed, never as a staff number); a box off the staves is
// named and asked again, and X then leaves; a box on staff 256 is asked about.
TEST_F(OffStavesConsoleTest, TheMoveDestinationEndsOnALineWithoutAStaff) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    core::reset_engine();
    type(page);
    const std::string before = later_file_bytes(temp_.root() / "a.mus");
    enum class Dest { Quiet, Named, AskAgain, Asked };
    struct DestRow {
        const char* line;
        Dest kind;
    };
    const std::vector<DestRow> rows = {
        {"", Dest::Quiet},
        {"B", Dest::Quiet},
        {"0", Dest::Quiet},
        {"foo", Dest::Named},
        {"Hello World", Dest::Named},
        {"257 0 200 257", Dest::AskAgain},
        {"-1 0 200 1", Dest::AskAgain},
        {"0 20 60 0", Dest::AskAgain},
        {"256 0 200 256", Dest::Asked},
    };
    for (const char* word : {"M", "C", "CPX"}) {
        for (const DestRow& row : rows) {
            for (LaterRoad road : {LaterRoad::Piped, LaterRoad::ConsoleFile}) {
                SCOPED_TRACE(std::string(word) + " [" + row.line + "] " + road_name(road));
                core::reset_engine();
                fs::remove(temp_.root() / "out.mus");
                // "X" answers a confirmation as Exit and leaves a question asked again.
                const std::string out =
                    run(road, {"G a.mus", word, "1 0 200 1", "Y", row.line, "X", "SA out.mus"});
                ASSERT_TRUE(fs::exists(temp_.root() / "out.mus")) << out;
                EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus"), before) << out;
                EXPECT_EQ(out.find("Staff numbers are") != std::string::npos,
                          row.kind == Dest::AskAgain)
                    << out;
                EXPECT_EQ(out.find("Destination Box O.K.?") != std::string::npos,
                          row.kind == Dest::Asked)
                    << out;
                const std::string named = std::string("*** Not a box: ") + row.line + " -- " +
                                          word + " ended, nothing was changed.";
                EXPECT_EQ(out.find(named) != std::string::npos, row.kind == Dest::Named) << out;
                if (row.kind == Dest::AskAgain) {
                    const std::size_t at = out.find(
                        std::string("*** Staff numbers are 1 to 256 -- no box: ") + row.line);
                    ASSERT_NE(at, std::string::npos) << out;
                    EXPECT_NE(out.find("Enter new Staff#", at), std::string::npos) << out;
                    EXPECT_NE(out.find("Leaving Group Edit.", at), std::string::npos) << out;
                }
            }
        }
    }
}

}  // namespace

// ---- The line after the answer ----
// Every question of the tables above, and the questions they leave out, is answered with an
// empty line, "X" and a word that answers nothing, and then the script has one marker line,
// "SA marker.mus", before its "SA out.mus". No line may vanish: a word that answers nothing
// is named in the replies (or, where it is a name or a text, taken as one), and the marker is
// either run (marker.mus is written) or named; in a file read by RE it may instead be left
// unread when the file was stopped, and the stop is said. The line typed after RE always runs.

namespace {

constexpr const char* kMarker = "SA marker.mus";
// In the rows below, a confirmation a command file does not ask: typed on the piped roads,
// left out of an RE file.
constexpr const char* kTypedOnly = "<Y>";

struct MarkerRow {
    std::string name;
    std::vector<std::string> lines;  // the word and its right answers before the question
    // Any line answers the question (a file name, a text, a line of the input mode): the word
    // that answers nothing may be taken.
    bool any_line = false;
    // The question is followed by lines the input mode or a text reads as its own: the marker
    // may be taken by them.
    bool marker_taken = false;
    // An edit form: a word that answers nothing ends it and leaves the page as it was.
    bool edit_form = false;
    // A name question that asks again after these answers: the marker is the next name.
    std::vector<std::string> asks_name_again = {};
    // From a command file nothing is confirmed and the word asks a name at once: there any
    // line answers.
    bool name_in_file = false;
    // The word's first question is its box, which a command file answers too: there a line
    // that is no box stops the rest of the file.
    bool box_in_file = false;
    // A yes/no question whose No asks the box again (or leaves the input run): a word taken
    // as that No ends the word, and the marker runs.
    bool no_ends = false;
    // The question asks for a box: a line starting as a leave word but longer is named there.
    bool box_question = false;
};

// A box question's prompt: the box, the system, the destination or the count loop's staff.
bool asks_box(const std::string& prompt) {
    for (const char* part :
         {"raw Box", "raw box", "use mouse", kAskStemBox, "Enter new Staff#", "Bottom Staff#"}) {
        if (prompt.find(part) != std::string::npos) return true;
    }
    return false;
}

// The words whose box a command file's line answers at once.
bool box_read_from_file(const std::string& w) {
    for (const char* word :
         {"M",   "C",  "CT",  "STM", "STU", "DE",  "D",   "CUE", "MX",  "MS",  "CS",
          "CS*", "TR", "TR*", "J",   "LJ",  "LI",  "LS",  "JR",  "IF",  "IFX", "A",
          "PL",  "FL", "FLA", "FLU", "FLD", "FLO", "FLF", "FLV", "FLN", "FLI"}) {
        if (w == word) return true;
    }
    // BE's count loop reads the file's next line as its staff.
    return w == "BE";
}

std::string marker_row_name(std::string name) {
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

// The questions no table above reaches: the rest of the box words, the input mode's and EDI's
// edit forms, COM's questions and the number questions.
std::vector<MarkerRow> more_marker_rows() {
    const std::vector<std::string> menu = kInputToMenu;
    const std::vector<std::string> empty8(8, "");
    std::vector<std::string> edit_menu = console_lines_then(menu, {"E"});
    edit_menu = console_lines_then(edit_menu, empty8);
    return {
        {"LJA_first", {"LJA"}},
        {"LJA_box", {"LJA", kTypedOnly}},
        {"FL_first", {"FL"}},
        {"FLN_first", {"FLN"}},
        {"FLI_first", {"FLI"}},
        {"FL_box_ok", {"FL", kBox}},
        {"FLN_box_ok", {"FLN", kBox}},
        {"FLI_box_ok", {"FLI", kBox}},
        {"LS_first", {"LS"}},
        {"JR_first", {"JR"}},
        {"LS_box_ok", {"LS", "1 2"}},
        {"JR_box_ok", {"JR", "1 2"}},
        {"TRstar_first", {"TR*"}},
        {"TRstar_box_ok", {"TR*", kBox}},
        {"CSstar_first", {"CS*"}},
        {"CSstar_box_ok", {"CS*", "1 1"}},
        {"CS_box_ok", {"CS", "1 1"}},
        {"MS_destination_ok", {"MS", "1 1", kTypedOnly, "2"}},
        {"M_destination_ok", {"M", kBox, kTypedOnly, "2 0"}},
        {"COM_first_name", {"COM", kTypedOnly}, true},
        {"COM_count", {"COM", kTypedOnly, "a.mus"}},
        {"GM_offset", {"GM", "a.mus"}},
        {"H_new_size", {"H"}},
        {"MU_steps_ok", {"MU", kBox, kTypedOnly, "1"}},
        {"A_code_pairs", {"A", "1 0 200 2", kTypedOnly}},
        {"T_note_numbers", {"T 1 0 5", "la"}},
        {"IN_edit_staff", console_lines_then(menu, {"E"})},
        {"IN_edit_position", console_lines_then(menu, {"E", "1"})},
        {"IN_edit_menu", edit_menu},
        {"EDI_staff", {"EDI", "1 0 200 1", kTypedOnly}, false, false, true},
        {"EDI_position", {"EDI", "1 0 200 1", kTypedOnly, "1"}, false, false, true},
        // The numbers of RIP and DEC (asked from a file only) and an EPS item's name.
        {"RIP_numbers", {"RIP"}},
        {"DEC_sizes", {"DEC"}},
        {"EPS_name", {"15 1 80 0 1 1 0 0 0 0 0 0 1"}, true, false, false, {""}},
    };
}

std::vector<MarkerRow> marker_rows() {
    std::vector<MarkerRow> rows;
    for (const Asked& a : kAskingWords) {
        const std::string q = a.question;
        // Name questions take any line as a name; the input mode and a macro's text take the
        // later lines as theirs.
        const bool name = q == kAskSaveName || q == "Type Filename." || q == kAskPrintName ||
                          q == "Macro file name:" || std::string(a.word) == "CDRW";
        MarkerRow row{"first_" + marker_row_name(a.word), {a.word}, name, a.mode};
        if (name) row.asks_name_again = a.may_wait_after;
        const std::string w = a.word;
        // From a file IN's range is not asked: its lines are the input mode's.
        row.name_in_file = w == "G" || w == "NX" || w == "NB" || w == "IN";
        row.box_in_file = box_read_from_file(w);
        row.box_question = asks_box(q);
        rows.push_back(row);
    }
    for (const Later& l : kLaterRows) {
        const std::string later = l.later;
        const bool menu =
            later == "X = Exit from input mode." || later == "Continue Input on Staff";
        // The input mode's lines of music and a text's lines are free: only its one-key menu
        // and its questions are swept.
        if (l.mode && !menu && later != "-- Add bar lines?") continue;
        MarkerRow row{std::string("later_") + l.name, l.lines};
        row.any_line = l.text || later == "Type output file name.";
        row.no_ends = later.find("O.K.") != std::string::npos || later == "Continue Input on Staff";
        row.marker_taken = (l.mode && !menu) || (l.text && l.waits_at != nullptr);
        row.box_question = asks_box(later) || l.name == std::string("IFX_next_box");
        rows.push_back(row);
    }
    for (const MarkerRow& r : more_marker_rows()) {
        rows.push_back(r);
        rows.back().name = "more_" + r.name;
        rows.back().box_in_file = r.lines.size() == 1 && box_read_from_file(r.lines.front());
        rows.back().box_question =
            rows.back().box_in_file ||
            (r.name.size() > 6 && r.name.compare(r.name.size() - 6, 6, "_first") == 0);
        rows.back().no_ends = r.name.find("_box_ok") != std::string::npos ||
                              r.name == "LJA_first" || r.name == "MS_destination_ok" ||
                              r.name == "M_destination_ok";
    }
    return rows;
}

const std::vector<MarkerRow>& all_marker_rows() {
    static const std::vector<MarkerRow> rows = marker_rows();
    return rows;
}

// A line of the replies that refuses or names text (case aside: the input mode names a line
// in capitals).
bool named_in(const std::string& out, const std::string& text) {
    std::string lower_text = text;
    for (char& c : lower_text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::string lower = line;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find(lower_text) == std::string::npos) continue;
        if (line.find("***") != std::string::npos || line.find("ERROR") != std::string::npos)
            return true;
    }
    return false;
}

struct MarkerCase {
    std::size_t row;
    LaterRoad road;
};

void PrintTo(const MarkerCase& c, std::ostream* os) {
    *os << all_marker_rows()[c.row].name << " " << road_name(c.road);
}

std::vector<MarkerCase> marker_cases() {
    std::vector<MarkerCase> cases;
    for (std::size_t k = 0; k < all_marker_rows().size(); ++k)
        for (LaterRoad r : {LaterRoad::Piped, LaterRoad::ConsoleFile, LaterRoad::Re})
            cases.push_back({k, r});
    return cases;
}

std::string marker_case_name(const ::testing::TestParamInfo<MarkerCase>& info) {
    return all_marker_rows()[info.param.row].name + "_" + road_name(info.param.road);
}

class MarkerLineConsoleTest : public ConsoleSessionTest,
                              public ::testing::WithParamInterface<MarkerCase> {
  protected:
    std::string run(LaterRoad road, const std::vector<std::string>& lines) {
        if (road == LaterRoad::ConsoleFile) return run_console_file(temp_.root(), lines, &status_);
        const std::string out = run_console_script(lines);
        status_ = marked_status();
        return out;
    }
    int status_ = -1;  // the status the last run ends with
};

TEST_P(MarkerLineConsoleTest, TheLineAfterTheAnswerIsRunOrNamed) {
    const MarkerRow& row = all_marker_rows()[GetParam().row];
    const LaterRoad road = GetParam().road;
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    const std::vector<std::string> change = {"G a.mus", "EI", "1 1 60 4 5 0 4"};
    std::ofstream(temp_.root() / "old.DRW").flush();
    core::reset_engine();
    type(page);
    core::reset_engine();
    type(console_lines_then(change, {"SA before.mus"}));
    const std::string before = later_file_bytes(temp_.root() / "before.mus");
    ASSERT_FALSE(before.empty());

    for (const std::string answer : {"", "X", kWordNotAnswer, kCommandNotAnswer, kLeaveLine}) {
        SCOPED_TRACE(row.name + " answered [" + answer + "] " + road_name(road));
        core::reset_engine();
        for (const char* name : {"a.mus", "out.mus", "marker.mus", "X.mus", "#ZZQ.mus", "two.mus"})
            fs::remove(temp_.root() / name);
        type(page);
        core::reset_engine();
        std::vector<std::string> word;
        for (const std::string& line : row.lines) {
            if (line == kTypedOnly) {
                if (road != LaterRoad::Re) word.push_back("Y");
            } else {
                word.push_back(line == "old" ? (temp_.root() / "old").string() : line);
            }
        }
        word.push_back(answer);
        word.push_back(kMarker);
        std::string out;
        if (road == LaterRoad::Re) {
            std::ofstream file(temp_.root() / "cmd.txt");
            for (const std::string& line : word) file << line << "\n";
            file.close();
            out = run(road, console_lines_then(change, {"RE cmd.txt", "SA out.mus"}));
        } else {
            out = run(road, console_lines_then(change, console_lines_then(word, {"SA out.mus"})));
        }
        const bool ran = fs::exists(temp_.root() / "marker.mus");
        const bool named = named_in(out, kMarker) ||
                           out.find("unknown word in this context: SA") != std::string::npos;
        const bool stopped = road == LaterRoad::Re &&
                             out.find("the rest of the file was not read") != std::string::npos;
        // From a file the input run has no menu: its lines are the mode's.
        const bool input_run = row.lines.front().rfind("IN", 0) == 0;
        const bool any_line =
            row.any_line || (road == LaterRoad::Re && (row.name_in_file || input_run));
        bool marker_taken = row.marker_taken;
        // A name asked again takes any line as the next name.
        for (const std::string& a : row.asks_name_again) {
            marker_taken =
                marker_taken || a == answer ||
                (a == kWordNotAnswer && (answer == kCommandNotAnswer || answer == kLeaveLine));
        }
        // RE skips an empty line: the marker itself answers the question.
        marker_taken = marker_taken || (road == LaterRoad::Re && answer.empty() && any_line);
        if (!marker_taken) {
            EXPECT_TRUE(ran || named || stopped) << "the marker line vanished:\n" << out;
        }
        // A word that answers nothing is named (run as a command, it is refused by name).
        if (answer == kWordNotAnswer && !any_line) {
            EXPECT_TRUE(named_in(out, kWordNotAnswer) || stopped)
                << "the word was taken without a word:\n"
                << out;
        }
        // A command line is named, or runs (its file is written).
        if (answer == kCommandNotAnswer && !any_line) {
            EXPECT_TRUE(named_in(out, kCommandNotAnswer) ||
                        out.find("unknown word in this context: SA") != std::string::npos ||
                        fs::exists(temp_.root() / "two.mus") || stopped)
                << "the command line vanished:\n"
                << out;
        }
        // A line that starts as a leave word is no leave word at a box question: named, or in
        // a command file the file stops.
        if (answer == kLeaveLine && row.box_question && road != LaterRoad::Re) {
            EXPECT_TRUE(named_in(out, kLeaveLine)) << "the leave line vanished:\n" << out;
        }
        // From a file (where some words ask no box and the line runs as IF) a line named at
        // the box stops the rest of the file.
        if (answer == kLeaveLine && row.box_question && road == LaterRoad::Re &&
            named_in(out, kLeaveLine)) {
            EXPECT_TRUE(stopped) << "the file went on after a line named at the box:\n" << out;
        }
        // The line typed after a command file always runs: a file never reads past its end.
        if (road == LaterRoad::Re && !row.marker_taken) {
            EXPECT_TRUE(fs::exists(temp_.root() / "out.mus")) << "the typed line was eaten:\n"
                                                              << out;
        }
        if (row.no_ends && road != LaterRoad::Re &&
            (answer == kWordNotAnswer || answer == kCommandNotAnswer)) {
            EXPECT_TRUE(ran) << "the word went on after a word taken as No:\n" << out;
        }
        // From a file a word at the box stops the file: the marker, meant for the word, is
        // never run.
        if (row.box_in_file && road == LaterRoad::Re && answer != "X" && !answer.empty()) {
            EXPECT_TRUE(stopped) << "the file went on after a word at the box:\n" << out;
            EXPECT_FALSE(ran) << out;
        }
        // An edit form that ends early (a word at its staff or position line, the marker at
        // its position or notes line) gives back the page it took its items from.
        if (row.edit_form && answer != "X") {
            EXPECT_EQ(later_file_bytes(temp_.root() / "out.mus"), before)
                << "the edit form lost items (or out.mus was never written):\n"
                << out;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, MarkerLineConsoleTest, ::testing::ValuesIn(marker_cases()),
                         marker_case_name);

}  // namespace

namespace {

// The input mode's one-key menus, the run's closing menu and the edit form's, given a script's
// command line of two words: the line is named and taken as X, so the page is the page an "X"
// leaves, the line never runs and no file is named after it.
class OneKeyMenuConsoleTest : public LaterQuestionsConsoleTest {};

TEST_F(OneKeyMenuConsoleTest, AOneKeyMenuTakesATwoWordLineAsExit) {
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "SA a.mus"};
    std::vector<std::string> edit_menu = console_lines_then(kInputToMenu, {"E"});
    edit_menu = console_lines_then(edit_menu, std::vector<std::string>(8, ""));
    for (const auto& menu : {kInputToMenu, edit_menu}) {
        for (LaterRoad road : {LaterRoad::Piped, LaterRoad::ConsoleFile}) {
            SCOPED_TRACE(std::string(menu.size() > kInputToMenu.size() ? "edit form" : "run") +
                         " " + road_name(road));
            std::string left_by_x;
            for (const std::string answer : {"X", "SA o.mus"}) {
                core::reset_engine();
                for (const char* name : {"a.mus", "o.mus", "p.mus", "SA p.mus.mus"})
                    fs::remove(temp_.root() / name);
                type(page);
                core::reset_engine();
                // "N" answers "Continue Input on Staff 002 ?" after the menu's X.
                const std::string out =
                    run(road, console_lines_then(console_lines_then({"G a.mus"}, menu),
                                                 {answer, "N", "SA p.mus"}));
                const std::string saved = later_file_bytes(temp_.root() / "p.mus");
                EXPECT_FALSE(saved.empty()) << "the script's save never ran:\n" << out;
                if (answer == "X") {
                    left_by_x = saved;
                    continue;
                }
                EXPECT_TRUE(named_in(out, answer)) << out;
                EXPECT_FALSE(fs::exists(temp_.root() / "o.mus")) << out;
                EXPECT_FALSE(fs::exists(temp_.root() / "SA p.mus.mus")) << out;
                EXPECT_EQ(saved, left_by_x) << out;
            }
        }
    }
}

}  // namespace

namespace {

// A line cut at its length limit answers no question, whatever its kept part would say: at
// every question of both tables, on the three roads, the cut is named, the run fails and the
// page is what the word's refusal leaves (the page before it, where nothing was entered).
struct CutCase {
    bool later;  // a row of kLaterRows, else of kAskingWords
    std::size_t row;
    LaterRoad road;
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << (c.later ? kLaterRows[c.row].name : kAskingWords[c.row].word) << " "
        << road_name(c.road);
}

std::string cut_case_name(const ::testing::TestParamInfo<CutCase>& info) {
    std::string name = info.param.later ? kLaterRows[info.param.row].name
                                        : std::string("first_") + kAskingWords[info.param.row].word;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name + "_" + road_name(info.param.road);
}

std::vector<CutCase> cut_cases() {
    std::vector<CutCase> cases;
    for (LaterRoad r : {LaterRoad::Piped, LaterRoad::ConsoleFile, LaterRoad::Re}) {
        for (std::size_t k = 0; k < kAskingWords.size(); ++k) cases.push_back({false, k, r});
        for (std::size_t k = 0; k < kLaterRows.size(); ++k) cases.push_back({true, k, r});
    }
    return cases;
}

class CutLineConsoleTest : public ConsoleSessionTest,
                           public ::testing::WithParamInterface<CutCase> {};

// Kept whole its first 512 characters read "1 0 0 ..." (a box, all codes, a name, a text);
// the line goes on to "1 2".
std::string cut_line() { return "1 " + std::string(598, '0') + "1 2"; }

bool cut_has(const std::string& out, const char* text) {
    return out.find(text) != std::string::npos;
}

TEST_P(CutLineConsoleTest, ACutLineAnswersNoQuestion) {
    const CutCase cc = GetParam();
    const std::vector<std::string> page = {
        "EI", "8 1 0", "8 2 0", "1 1 20 5 5 0 4", "1 2 30 5 5 0 4", "1 1 40 6 5 0 4", "SA a.mus"};
    const std::vector<std::string> change = {"G a.mus", "EI", "1 1 60 4 5 0 4"};
    std::ofstream(temp_.root() / "old.DRW").flush();
    core::reset_engine();
    type(page);
    core::reset_engine();
    type(console_lines_then(change, {"SA before.mus"}));
    const std::string before = later_file_bytes(temp_.root() / "before.mus");
    ASSERT_FALSE(before.empty());

    bool mode = false;  // the word's later lines are music or text: they may change the page
    bool may_wait = false;
    std::vector<std::string> word;
    if (cc.later) {
        const Later& row = kLaterRows[cc.row];
        word = row.lines;
        mode = row.mode || row.made_text;
        may_wait = row.waits_at != nullptr;
    } else {
        const Asked& a = kAskingWords[cc.row];
        word = {a.word};
        mode = a.mode;
        may_wait = !a.may_wait_after.empty();
    }
    // Where a refused line runs next as the script's command (no question at JT, the play
    // loop, CDRW's number, T's place), the cut line runs cut, as any command line does.
    const std::string name = cut_case_name({GetParam(), 0});
    for (const char* runs : {"first_JT", "first_PLA", "CDRW_number", "T_place_word"})
        mode = mode || name.rfind(runs, 0) == 0;
    // A command file runs a box word on its box line at once: its later lines are its own.
    mode = mode || cc.road == LaterRoad::Re;
    for (std::string& line : word)
        if (line == "old") line = (temp_.root() / "old").string();
    word.push_back(cut_line());
    for (int k = 0; k < 4; ++k) word.push_back("SA out.mus");

    core::reset_engine();
    fs::remove(temp_.root() / "a.mus");
    type(page);
    core::reset_engine();
    int status = -1;
    std::string out;
    if (cc.road == LaterRoad::Re) {
        std::ofstream file(temp_.root() / "cmd.txt");
        for (const std::string& line : word) file << line << "\n";
        file.close();
        out = run_console_script(console_lines_then(change, {"RE cmd.txt"}));
        status = marked_status();
    } else if (cc.road == LaterRoad::Piped) {
        out = run_console_script(console_lines_then(change, word));
        status = marked_status();
    } else {
        out = run_console_file(temp_.root(), console_lines_then(change, word), &status);
    }
    // Named as cut, as a text line too long to enter, as an input line past its own limit, or
    // never reached: a command file stopped at a word it cannot answer.
    EXPECT_TRUE(cut_has(out, "longer than 512 characters") ||
                cut_has(out, "longer than 384 characters") ||
                cut_has(out, "would pass 512 characters: it was not entered") ||
                cut_has(out, "the rest of the file was not read"))
        << out;
    EXPECT_EQ(status, 1) << out;
    // No file is named by the cut line.
    for (const auto& entry : fs::directory_iterator(temp_.root()))
        EXPECT_TRUE(entry.path().filename().string().rfind("1 0", 0) != 0 &&
                    entry.path().filename().string().find('\x7F') == std::string::npos)
            << entry.path();
    const fs::path saved = temp_.root() / "out.mus";
    if (!fs::exists(saved)) {
        // A word that reads every line until X, the input mode and a file stopped at a box
        // question may leave the script's saves unread.
        EXPECT_TRUE(may_wait || mode || cut_has(out, "the rest of the file was not read") ||
                    cut_has(out, "the input ended while waiting for"))
            << "out.mus not written:\n"
            << out;
        return;
    }
    if (!mode) {
        EXPECT_EQ(later_file_bytes(saved), before) << "the page changed:\n" << out;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CutLineConsoleTest, ::testing::ValuesIn(cut_cases()), cut_case_name);

}  // namespace
