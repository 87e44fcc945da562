// Text entry on every console road (lines piped in, typed at a terminal, a command file read by
// RE, the program reading "--console FILE"): the place typed after a bare T, the Text Input
// line (an empty line, X alone as Cancel) and the end of TT's loop. Each case is checked in the
// saved document, decoded here, and in the replies.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/commands/engine_reset.h"
#include "platform/paths.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"
#include "tests/support/running_program.h"

namespace {

namespace fs = std::filesystem;

// A text item as saved: its characters and its place.
struct SavedText {
    std::string text;
    float staff;
    float x;  // -1: not checked (a later unit of a line, placed by the widths)
    float y;
    bool operator==(const SavedText& o) const {
        return text == o.text && staff == o.staff && (x < 0 || o.x < 0 || x == o.x) && y == o.y;
    }
};

std::ostream& operator<<(std::ostream& os, const SavedText& t) {
    return os << "{\"" << t.text << "\" " << t.staff << " " << t.x << " " << t.y << "}";
}

struct SavedTextPage {
    std::vector<SavedText> texts;
    std::vector<float> staves;  // the staff numbers of the staff items
};

// Reads the document's records without the engine: a text record (code 16) keeps its characters
// four to a word from P14 (P17 with the long header, P14 = -1).
SavedTextPage read_saved_text_page(const fs::path& document) {
    SavedTextPage page;
    const std::vector<float> words = document_item_words(document);
    for (std::size_t i = 0; i < words.size();) {
        const auto n = static_cast<std::size_t>(words[i]);
        if (n == 0 || i + n >= words.size() + 1) break;
        const float* p = &words[i];  // p[k] is Pk
        if (p[1] == 16.0f && n >= 13) {
            const std::size_t header = n >= 14 && p[14] == -1.0f ? 16 : 13;
            const auto chars = static_cast<std::size_t>(p[12]);
            std::string text((n - header) * 4, ' ');
            std::memcpy(text.data(), p + header + 1, text.size());
            text.resize(std::min(chars, text.size()));
            page.texts.push_back({text, p[2], p[3], p[4]});
        } else if (p[1] == 8.0f) {
            page.staves.push_back(p[2]);
        }
        i += n + 1;
    }
    return page;
}

// TT's step down: size 1 x staff scale (25 for a staff of full size) x 5 / 25.
constexpr float kTextLineStep = 5.0f;

struct TextEntryCase {
    const char* name;
    std::vector<std::string> lines;  // typed after the staff and a note, then "SA a.mus"
    std::vector<SavedText> texts;
    std::vector<float> staves;         // staff 1, then what the lines after the text made
    std::vector<const char*> replies;  // each printed (the piped and terminal roads)
    int text_inputs;                   // how often "Text Input:" is asked at the console
};

const std::vector<TextEntryCase> kTextEntryCases = {
    // A bare T takes the place from the next line: staff, x, y.
    {"typed place", {"T", "1 50 5", "hello", "8 2 0"}, {{"_00hello", 1, 50, 5}}, {1, 2}, {}, 1},
    // One key alone: the staff, at the x of a T without numbers.
    {"one key place", {"T", "1", "hi", "8 2 0"}, {{"_00hi", 1, 100, 0}}, {1, 2}, {}, 1},
    // A place stands for the command's numbers: two of them after T are T 1 50, so x is 50;
    // after TT one number already makes the third character, so the x is the place's 0.
    {"two number place", {"T", "1 50", "hi", "8 2 0"}, {{"_00hi", 1, 50, 0}}, {1, 2}, {}, 1},
    {"two numbers typed", {"T 1 50", "hi", "8 2 0"}, {{"_00hi", 1, 50, 0}}, {1, 2}, {}, 1},
    {"TT one number place", {"TT", "1", "hi", "X"}, {{"_00hi", 1, 0, 0}}, {1}, {}, 2},
    {"TT two number place", {"TT", "1 60", "hi", "X"}, {{"_00hi", 1, 60, 0}}, {1}, {}, 2},
    // Each word of the place is read whole: an exponent is read; nan, a number with letters
    // after it, a word after the numbers and a number past the reals are no place (named: at
    // the keys by the place, from a script by the line run as a command).
    {"exponent in the place",
     {"T", "1 1e1 5", "hi", "8 2 0"},
     {{"_00hi", 1, 10, 5}},
     {1, 2},
     {},
     1},
    {"nan in the place", {"T", "1 nan 5", "8 2 0"}, {}, {1, 2}, {"Not a number: nan"}, 0},
    {"letters after a number", {"T", "10abc 5 5", "8 2 0"}, {}, {1, 2}, {"Not a number: 10abc"}, 0},
    {"word after the place", {"T", "2 5 0 2 junk", "8 2 0"}, {}, {1, 2}, {"Not a number: junk"}, 0},
    {"place past the reals",
     {"T", "1 1e39 5", "8 2 0"},
     {},
     {1, 2},
     {"Number out of range: 1e39"},
     0},
    // A letter (input code above 59) or Escape ends the wait; the next line is a command.
    {"letter at the place", {"T", "QX", "8 2 0"}, {}, {1, 2}, {"text"}, 0},
    {"escape at the place", {"TX", "~~27", "8 2 0"}, {}, {1, 2}, {"text"}, 0},
    // An empty line is no text, and X alone is Cancel: the prompt's words are never entered.
    {"empty text line", {"T 1 50 5", "", "8 2 0"}, {}, {1, 2}, {}, 1},
    {"X cancels", {"T 1 50 5", "X", "8 2 0"}, {}, {1, 2}, {}, 1},
    {"x with blanks cancels", {"T 1 50 5", "  x ", "8 2 0"}, {}, {1, 2}, {}, 1},
    // A lone X as a text: written with its font escape.
    {"X with its font", {"T 1 50 5", "_00X", "8 2 0"}, {{"_00X", 1, 50, 5}}, {1, 2}, {}, 1},
    {"XX is a text", {"T 1 50 5", "XX"}, {{"_00XX", 1, 50, 5}}, {1}, {}, 1},
    // TT: an empty line moves down one line, X ends the loop.
    {"TT ends on X",
     {"TT 1 50 40", "line one", "", "three", "X", "8 2 0"},
     {{"_00line", 1, 50, 40}, {"_00one", 1, -1, 40}, {"_00three", 1, 50, 40 - 2 * kTextLineStep}},
     {1, 2},
     {},
     4},
    // With another divider, a line of dividers only ends it; an empty line still moves down.
    {"TT ends on dividers",
     {"TXD ;", "TT 1 50 40", "a b;c", "", "d;;", ";;", "8 2 0"},
     {{"_00a b", 1, 50, 40}, {"_00c", 1, -1, 40}, {"_00d", 1, 50, 40 - 2 * kTextLineStep}},
     {1, 2},
     {},
     4},
    // With the blank divider, blanks alone are an empty line: down one line, not the end.
    {"TT blank line moves down",
     {"TT 1 50 40", "up", "   ", "down", "X", "8 2 0"},
     {{"_00up", 1, 50, 40}, {"_00down", 1, 50, 40 - 2 * kTextLineStep}},
     {1, 2},
     {},
     4},
    // X alone cancels the note-number question too: the unit waiting for its note leaves no
    // item, and the rest of the line is not made.
    {"X cancels the note numbers", {"T 1 0 5", "la-la", "X", "8 2 0"}, {}, {1, 2}, {}, 1},
    // A syllable past the last note leaves no item (nothing at the staff's start); the one on
    // the note stays, and a script's run is failed by the answer.
    {"note past the last",
     {"T 1 0 5", "la li", "1 2", "8 2 0"},
     {{"_00la", 1, 20, 5}},
     {1, 2},
     {"*** Note 2 is not numbered on this staff"},
     1},
    // Doubled marks are characters of placed text: no unit is lost, no line drawn.
    {"doubled marks in placed text",
     {"T 1 50 5", "Hurrah!! Ma??e [[x]]", "8 2 0"},
     {{"_00Hurrah!!", 1, 50, 5}, {"_00Ma??e", 1, -1, 5}, {"_00[[x]]", 1, -1, 5}},
     {1, 2},
     {},
     1},
    // The staves are 1 to 256: the last one takes a text, the next one (typed with the command
    // or at the place) and a negative one are refused before the text is asked.
    {"staff 256", {"T 256 50 5", "abc"}, {{"_00abc", 256, 50, 5}}, {1}, {}, 1},
    {"staff 257", {"T 257 50 5", "8 2 0"}, {}, {1, 2}, {"No staff 257"}, 0},
    {"typed place staff 257", {"T", "257 50 5", "8 2 0"}, {}, {1, 2}, {"No staff 257"}, 0},
    {"negative staff", {"TT -1 50 5", "8 2 0"}, {}, {1, 2}, {"No staff -1"}, 0},
    // Letters typed as UTF-8 are stored as the escapes that print them; a letter no escape
    // gives refuses its line, and TT goes on with its next line.
    {"UTF-8 letters",
     {"T 1 50 5", "Grüße ñ «É»", "8 2 0"},
     {{"_00Gr%%u?se", 1, 50, 5}, {"_00~n", 1, -1, 5}, {"_00!g<<E!h", 1, -1, 5}},
     {1, 2},
     {},
     1},
    {"letter no escape gives",
     {"T 1 50 5", "Grüße ж", "8 2 0"},
     {},
     {1, 2},
     {"*** No text escape gives the letter ж -- the text was not entered."},
     1},
    {"TT after a refused letter",
     {"TT 1 50 40", "ж", "ok", "X", "8 2 0"},
     {{"_00ok", 1, 50, 40}},
     {1, 2},
     {"No text escape gives the letter ж"},
     3},
    // A text line of exactly 512 characters is taken whole; one more is refused, not cut.
    {"line of 512",
     {"T 1 50 5", std::string(300, 'a') + " " + std::string(211, 'b')},
     {{"_00" + std::string(300, 'a'), 1, 50, 5}, {"_00" + std::string(211, 'b'), 1, -1, 5}},
     {1},
     {},
     1},
    {"line of 513",
     {"T 1 50 5", std::string(300, 'a') + " " + std::string(212, 'b'), "8 2 0"},
     {},
     {1, 2},
     {"would pass 512 characters"},
     1},
};

const std::vector<std::string> kTextEntryPrologue = {"EI", "8 1 0", "1 1 20 5 5 0 1"};

std::vector<std::string> text_entry_script(const TextEntryCase& c) {
    std::vector<std::string> lines = console_lines_then(kTextEntryPrologue, c.lines);
    lines.push_back("SA a.mus");
    return lines;
}

int text_entry_count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class TextEntryConsoleTest : public ConsoleSessionTest {
  protected:
    fs::path saved() const { return temp_.root() / "a.mus"; }
    void check_saved(const TextEntryCase& c, const std::string& road, const std::string& out) {
        const std::string label = std::string(c.name) + " (" + road + ")";
        ASSERT_TRUE(fs::exists(saved())) << label << "\n" << out;
        const SavedTextPage page = read_saved_text_page(saved());
        EXPECT_EQ(page.texts, c.texts) << label << "\n" << out;
        EXPECT_EQ(page.staves, c.staves) << label << "\n" << out;
        fs::remove(saved());
    }
};

TEST_F(TextEntryConsoleTest, EveryCaseOnThePipedTerminalAndReRoads) {
    for (const TextEntryCase& c : kTextEntryCases) {
        for (const bool terminal : {false, true}) {
            core::reset_engine();
            const std::string out = type(text_entry_script(c), terminal);
            const std::string road = terminal ? "terminal" : "piped";
            check_saved(c, road, out);
            EXPECT_EQ(text_entry_count(out, "Text Input:"), c.text_inputs) << c.name << "\n" << out;
            EXPECT_EQ(out.find("Type new text"), std::string::npos) << c.name << "\n" << out;
            EXPECT_EQ(out.find("unknown word"), std::string::npos) << c.name << "\n" << out;
            for (const char* reply : c.replies)
                EXPECT_NE(out.find(reply), std::string::npos) << c.name << ": " << reply << "\n"
                                                              << out;
        }
        // The same lines in a command file: the file answers every question.
        core::reset_engine();
        {
            std::ofstream file(temp_.root() / "s.txt");
            for (const std::string& line : console_lines_then(kTextEntryPrologue, c.lines))
                file << line << "\n";
        }
        const std::string out = type({"RE s.txt", "SA a.mus"});
        check_saved(c, "RE", out);
    }
}

// The end of the input ends TT's loop with its lines kept: at the console and in a command file,
// whose next lines after RE are commands again.
TEST_F(TextEntryConsoleTest, TheEndOfTheInputEndsTt) {
    {
        std::ofstream file(temp_.root() / "s.txt");
        for (const std::string& line :
             console_lines_then(kTextEntryPrologue, {"TT 1 50 40", "last"}))
            file << line << "\n";
    }
    const std::string out = type({"RE s.txt", "8 2 0", "SA a.mus"});
    ASSERT_TRUE(fs::exists(saved())) << out;
    SavedTextPage page = read_saved_text_page(saved());
    EXPECT_EQ(page.texts, (std::vector<SavedText>{{"_00last", 1, 50, 40}})) << out;
    EXPECT_EQ(page.staves, (std::vector<float>{1, 2})) << out;

    core::reset_engine();
    fs::remove(saved());
    const std::string piped =
        type(console_lines_then(kTextEntryPrologue, {"TT 1 50 40", "last", "SA a.mus", "more"}));
    EXPECT_EQ(text_entry_count(piped, "Text Input:"), 4) << piped;
    EXPECT_FALSE(fs::exists(saved())) << piped;  // SA was a line of text
}

// A bare T on a page whose last item is a text, with new items going straight to editing: a
// place not given opens no item, so the next lines are commands, not pairs for that text.
TEST_F(TextEntryConsoleTest, NoPlaceOpensNoOlderItem) {
    const std::string out = type({"EI", "8 1 0", "T 1 20 12", "abc", "EI", "T", "QX", "TX", "~~27",
                                  "EI", "8 2 0", "SA a.mus"});
    ASSERT_TRUE(fs::exists(saved())) << out;
    const SavedTextPage page = read_saved_text_page(saved());
    EXPECT_EQ(page.texts, (std::vector<SavedText>{{"_00abc", 1, 20, 12}})) << out;
    EXPECT_EQ(page.staves, (std::vector<float>{1, 2})) << out;
    EXPECT_EQ(out.find("Item 2/2"), std::string::npos) << out;
}

// UNDO right after T or TT takes back that command's text, every line of TT, and nothing typed
// before it; a T that made nothing leaves UNDO to the change before it.
TEST_F(TextEntryConsoleTest, UndoTakesBackTheTextAlone) {
    struct UndoCase {
        const char* name;
        std::vector<std::string> lines;  // after a first text, then UNDO
        std::vector<SavedText> texts;
    };
    const SavedText first{"_00first", 1, 30, 5};
    const std::vector<UndoCase> cases = {
        {"T", {"T 1 50 5", "two units"}, {first}},
        {"TT", {"TT 1 50 5", "one", "", "three", "X"}, {first}},
        {"bare T", {"T", "1 50 5", "hello"}, {first}},
        {"sung text", {"T 1 0 5", "la", "1"}, {first}},
        {"T cancelled", {"T 1 50 5", "X"}, {}},
    };
    for (const UndoCase& c : cases) {
        for (const bool terminal : {false, true}) {
            core::reset_engine();
            std::vector<std::string> lines =
                console_lines_then(kTextEntryPrologue, {"T 1 30 5", "first"});
            lines.insert(lines.end(), c.lines.begin(), c.lines.end());
            lines.push_back("UNDO");
            lines.push_back("SA a.mus");
            const std::string out = type(lines, terminal);
            const std::string label = std::string(c.name) + (terminal ? " (terminal)" : "");
            ASSERT_TRUE(fs::exists(saved())) << label << "\n" << out;
            const SavedTextPage page = read_saved_text_page(saved());
            EXPECT_EQ(page.texts, c.texts) << label << "\n" << out;
            EXPECT_EQ(page.staves, (std::vector<float>{1})) << label << "\n" << out;
            fs::remove(saved());
        }
    }
}

// The program itself reading the script from a file gives the same pages.
// Its status is the one the kinds of the replies give when the same script is piped to a
// session in this process, which marks that run so too.
TEST_F(TextEntryConsoleTest, AScriptFileGivesTheSamePagesAndStatus) {
    const TempFolder temp("ormest_text_entry");
    const fs::path state = temp.root() / "state";
    for (const TextEntryCase& c : kTextEntryCases) {
        core::reset_engine();
        const std::string piped = type(text_entry_script(c), false);
        const int piped_status = status_from_reply_kinds();
        EXPECT_EQ(marked_status(), piped_status) << c.name << "\n" << piped;
        fs::remove(saved());
        {
            std::ofstream file(temp.root() / "script.txt");
            for (const std::string& line : text_entry_script(c)) file << line << "\n";
        }
        RunningProgram program("ormest", {"--console", "script.txt"}, temp.root(), state);
        ASSERT_TRUE(program.started());
        const int status = program.wait_end();
        ASSERT_TRUE(WIFEXITED(status)) << program.output();
        // A line named as no place, or refused, fails the run; the save after it still runs.
        EXPECT_EQ(WEXITSTATUS(status), piped_status) << program.output();
        ASSERT_TRUE(fs::exists(temp.root() / "a.mus")) << c.name << "\n" << program.output();
        const SavedTextPage page = read_saved_text_page(temp.root() / "a.mus");
        EXPECT_EQ(page.texts, c.texts) << c.name << "\n" << program.output();
        EXPECT_EQ(page.staves, c.staves) << c.name << "\n" << program.output();
        EXPECT_EQ(text_entry_count(program.output(), "Text Input:"), c.text_inputs)
            << c.name << "\n"
            << program.output();
        fs::remove(temp.root() / "a.mus");
    }
}

// Sung text on a long staff: the notes are numbered past the 200 marks the library draws over
// them, and no number past the marks sends the redraw looking for a drawing file. Each case on
// the piped, terminal and RE roads and as the program's own script; the status is the one the
// replies give.
TEST_F(TextEntryConsoleTest, SungTextOnALongStaffLooksForNoMarkFile) {
    constexpr int kNotes = 300;
    const auto note_x = [](int n) { return 10.0f + 0.5f * static_cast<float>(n - 1); };
    std::vector<float> records = {3, 8, 1, 0};
    for (int n = 1; n <= kNotes; ++n)
        records.insert(records.end(), {7, 1, 1, note_x(n), 5, 5, 0, 1});
    write_bytes(temp_.root() / "long.mus", encode(with_trailer(records)));
    struct LongStaffCase {
        const char* name;
        std::string line;    // the sung text
        std::string answer;  // the note numbers
        std::vector<SavedText> texts;
        const char* reply;  // "" when none is looked for
        int status;
    };
    const std::vector<LongStaffCase> cases = {
        {"first, middle and last notes",
         "la-li lo",
         "1 250 300",
         {{"_00la", 1, note_x(1), 5}, {"_00li", 1, note_x(250), 5}, {"_00lo", 1, note_x(300), 5}},
         "",
         0},
        // The last note with a mark, the first without one, and the one after.
        {"about the last mark",
         "a b c",
         "200 201 202",
         {{"_00a", 1, note_x(200), 5}, {"_00b", 1, note_x(201), 5}, {"_00c", 1, note_x(202), 5}},
         "",
         0},
        // Ten syllables counting on from note 291 to the staff's end.
        {"counted to the last note",
         "do re mi fa so la ti do re mi",
         "291 0",
         {{"_00do", 1, note_x(291), 5},
          {"_00re", 1, note_x(292), 5},
          {"_00mi", 1, note_x(293), 5},
          {"_00fa", 1, note_x(294), 5},
          {"_00so", 1, note_x(295), 5},
          {"_00la", 1, note_x(296), 5},
          {"_00ti", 1, note_x(297), 5},
          {"_00do", 1, note_x(298), 5},
          {"_00re", 1, note_x(299), 5},
          {"_00mi", 1, note_x(300), 5}},
         "",
         0},
        {"past the last note",
         "la li",
         "300 301",
         {{"_00la", 1, note_x(300), 5}},
         "*** Note 301 is not numbered on this staff",
         1},
    };
    for (const LongStaffCase& c : cases) {
        const std::vector<std::string> lines = {"T 1 0 5", c.line, c.answer};
        std::vector<std::string> script = {"G long.mus"};
        script.insert(script.end(), lines.begin(), lines.end());
        script.push_back("SA a.mus");
        const auto check = [&](const std::string& road, const std::string& out, int status) {
            const std::string label = std::string(c.name) + " (" + road + ")";
            EXPECT_EQ(out.find("File not found"), std::string::npos) << label << "\n" << out;
            if (*c.reply != '\0') EXPECT_NE(out.find(c.reply), std::string::npos) << label;
            EXPECT_EQ(status, c.status) << label << "\n" << out;
            ASSERT_TRUE(fs::exists(saved())) << label << "\n" << out;
            EXPECT_EQ(read_saved_text_page(saved()).texts, c.texts) << label;
            fs::remove(saved());
        };
        for (const bool terminal : {false, true}) {
            core::reset_engine();
            const std::string out = type(script, terminal);
            check(terminal ? "terminal" : "piped", out, status_from_reply_kinds());
        }
        core::reset_engine();
        {
            std::ofstream file(temp_.root() / "s.txt");
            for (const std::string& line : script) file << line << "\n";
        }
        const std::string re = type({"RE s.txt"});
        check("RE", re, marked_status());
        RunningProgram program("ormest", {"--console", "s.txt"}, temp_.root(),
                               temp_.root() / "state");
        ASSERT_TRUE(program.started());
        const int status = program.wait_end();
        ASSERT_TRUE(WIFEXITED(status)) << program.output();
        check("program", program.output(), WEXITSTATUS(status));
    }
}

// A drawing file truly missing from the library is a failure told once in each word that draws
// the page, however often the word redraws it: each line of numbers once, and the sung text
// (drawn with the numbered notes, after the placed line and without the numbers) once.
TEST_F(TextEntryConsoleTest, AMissingDrawingFileIsToldOncePerWord) {
    const fs::path data = temp_.root() / "data";
    fs::copy(platform::data_folder(), data, fs::copy_options::recursive);
    const std::string missing = "lb0000.drw";  // the clefs' drawings
    fs::remove(data / "mxlib" / missing);
    temp_.use_data_folder(data);
    const std::vector<std::string> script = {
        "EI",      "8 1 0", "3 1 5 0 0", "1 1 20 5 5 0 1", "1 1 30 5 5 0 1",
        "T 1 0 5", "la li", "1 2",       "SA a.mus"};
    constexpr int kWordsDrawingTheClef = 4;  // the clef, the two notes, then T
    for (const bool terminal : {false, true}) {
        core::reset_engine();
        const std::string out = type(script, terminal);
        EXPECT_EQ(text_entry_count(out, "File not found --> "), kWordsDrawingTheClef) << out;
        EXPECT_EQ(text_entry_count(out, "/mxlib/" + missing), kWordsDrawingTheClef) << out;
        EXPECT_EQ(status_from_reply_kinds(), 1) << out;
        ASSERT_TRUE(fs::exists(saved())) << out;
        EXPECT_EQ(read_saved_text_page(saved()).texts,
                  (std::vector<SavedText>{{"_00la", 1, 20, 5}, {"_00li", 1, 30, 5}}))
            << out;
        fs::remove(saved());
    }
}

}  // namespace
