// "CDRW" typed into the console: the old drawing file's path, then the number of the library
// file it becomes, each asked on its own line; the converted drawing is then drawn for a
// library symbol item.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAskPath =
    "Type complete path and file name of old .DRW file. <enter> = Cancel.";
constexpr const char* kAskNumber = "Type 4-digit number -- last digit must be 0.";

bool old_drawing_has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

// An old drawing file as the conversion reads it: a lead word, the start table (offsets counted
// in stream values), ten five-character names, then blocks of a filler word and up to 64 values.
// Drawing 0 is the point (1, 2) with pen 1, drawing 1 the point (3, 4) with pen 0.
void write_old_drawing(const fs::path& path) {
    std::vector<int16_t> words = {7, 0, 3, 6, 6, 6, 6, 6, 6, 6, 6, 6};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(words.data()), 2 * static_cast<long>(words.size()));
    const std::string names = "ONE  TWO  THREEFOUR FIVE SIX  SEVENEIGHTNINE TEN  ";
    out.write(names.data(), 50);
    const std::vector<int16_t> block = {-1, 1, 2, 1, 3, 4, 0};
    out.write(reinterpret_cast<const char*>(block.data()), 2 * static_cast<long>(block.size()));
}

class OldDrawingConsoleTest : public ConsoleSessionTest {
  protected:
    fs::path converted(const std::string& name) const { return temp_.work() / "mxlib" / name; }
};

TEST_F(OldDrawingConsoleTest, EnterCancelsWithoutAWord) {
    const std::string out = type({"CDRW", ""});
    EXPECT_TRUE(old_drawing_has(out, kAskPath)) << out;
    EXPECT_FALSE(old_drawing_has(out, kAskNumber)) << out;
    EXPECT_FALSE(old_drawing_has(out, "Error")) << out;
    EXPECT_EQ(core::PendingBoxOperation, 0);
    // The next line is a command again.
    type({"EI", "8 1 0"});
    EXPECT_EQ(core::ItemCount, 1);
}

TEST_F(OldDrawingConsoleTest, AMissingFileIsToldAndNothingIsWritten) {
    const std::string out = type({"CDRW", (temp_.root() / "nothere").string(), "5550"});
    EXPECT_TRUE(old_drawing_has(out, kAskNumber)) << out;
    EXPECT_TRUE(old_drawing_has(out, " Error or file not found.")) << out;
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_FALSE(fs::exists(converted("LB5550.DRW")));
    // A name with no folder in it is refused at once.
    const std::string bare = type({"CDRW", "brass"});
    EXPECT_TRUE(old_drawing_has(bare, " Error or file not found.")) << bare;
    EXPECT_FALSE(old_drawing_has(bare, kAskNumber)) << bare;
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(OldDrawingConsoleTest, AnOldFileIsConvertedAndItsDrawingDrawn) {
    write_old_drawing(temp_.root() / "brass.DRW");
    // ".DRW" is added to the path; typed at a terminal, 5555 is asked again (the last digit
    // must be 0).
    const std::string out =
        type_at_terminal({"CDRW", (temp_.root() / "brass").string(), "5555", "5550"});
    EXPECT_FALSE(old_drawing_has(out, "Error")) << out;
    EXPECT_EQ(core::PendingBoxOperation, 0);
    ASSERT_TRUE(fs::exists(converted("LB5550.DRW"))) << out;

    render::DrawingStartTable start;
    render::DrawingNames names;
    ASSERT_TRUE(render::read_library_drawing(555, start, names));
    EXPECT_EQ(start(2), 2);
    EXPECT_EQ(start(11), 3);
    EXPECT_EQ(names(2), core::FixedText<24>("TWO"));

    // A library symbol item of number 5551 draws drawing 1: its one point, pen 0.
    const std::string drawn = type({"EI", "8 1 0", "9 1 20 0 5551 1 1"});
    EXPECT_FALSE(old_drawing_has(drawn, "Changed to clef")) << drawn;
    EXPECT_FALSE(old_drawing_has(drawn, "not found")) << drawn;
    render::PathPointList.count = 1;
    render::draw_library_symbol(0.0f, 0.0f, 5551, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(render::PathPointList.count, 2);
    EXPECT_EQ(render::PathPointList.op(1), 0);
    render::PathPointList.count = 1;
    render::draw_library_symbol(0.0f, 0.0f, 5550, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(render::PathPointList.count, 2);
    EXPECT_EQ(render::PathPointList.op(1), 1);
}

// A library file of the number exists. Typed at a terminal, No keeps it and asks another number
// with the hint to choose one; Yes writes over it and the hint is not left behind, the next
// line a command again.
TEST_F(OldDrawingConsoleTest, AnExistingLibraryFileIsReplacedOnlyOnYes) {
    write_old_drawing(temp_.root() / "brass.DRW");
    const std::string old = (temp_.root() / "brass").string();
    type({"CDRW", old, "5550"});
    ASSERT_TRUE(fs::exists(converted("LB5550.DRW")));
    fs::resize_file(converted("LB5550.DRW"), 10);

    const std::string declined = type_at_terminal({"CDRW", old, "5550", "N", "5560"});
    EXPECT_TRUE(old_drawing_has(declined, "FILE EXISTS - Write over file?")) << declined;
    EXPECT_TRUE(old_drawing_has(declined, "File already exists - use a different number."))
        << declined;
    EXPECT_EQ(fs::file_size(converted("LB5550.DRW")), 10u);
    EXPECT_TRUE(fs::exists(converted("LB5560.DRW"))) << declined;
    EXPECT_EQ(core::PendingBoxOperation, 0);

    const std::string replaced = type({"CDRW", old, "5550", "Y"});
    EXPECT_TRUE(old_drawing_has(replaced, "FILE EXISTS - Write over file?")) << replaced;
    EXPECT_FALSE(old_drawing_has(replaced, "use a different number")) << replaced;
    EXPECT_EQ(fs::file_size(converted("LB5550.DRW")), fs::file_size(converted("LB5560.DRW")));
    EXPECT_EQ(core::PendingBoxOperation, 0);
    type({"EI", "8 1 0"});
    EXPECT_EQ(core::ItemCount, 1);
}

// From a script (a pipe or --console FILE) and from a file read by RE (which skips empty
// lines), every way out of the number question ends the conversion and the script goes on:
// Enter and X cancel, and the write-over question takes the next line, No ending the
// conversion with a reply.
TEST_F(OldDrawingConsoleTest, AScriptLeavesTheNumberQuestion) {
    write_old_drawing(temp_.root() / "brass.DRW");
    const std::string old = (temp_.root() / "brass").string();
    type({"CDRW", old, "5550"});
    ASSERT_TRUE(fs::exists(converted("LB5550.DRW")));
    struct Case {
        bool from_re;
        std::vector<std::string> answers;  // after the path
        bool replaced;
        std::string reply;                          // "" none
        std::vector<std::string> page = {"8 1 0"};  // out.mus
    };
    const std::string named = "*** Not an answer to \"" + std::string(kAskNumber) + "\": ";
    const std::vector<Case> cases = {
        {false, {""}, false, ""},
        {false, {"X"}, false, ""},
        {false, {"5550", "N"}, false, "exists (the answer was No): the conversion ended."},
        {false, {"5550", "Y"}, true, ""},
        {true, {"x"}, false, ""},
        {true, {"5550", "N"}, false, "exists (the command file answered No)."},
        {true, {"5550", "Y"}, true, ""},
        // A line that is no number is named and runs next; a number is read whole.
        {false, {"SA p.mus"}, false, "Title: " + (temp_.root() / "p.mus").string()},
        {true, {"SA p.mus"}, false, ""},
        {false, {"5550abc"}, false, "*** Not a number: 5550abc -- the line was not taken."},
        {true, {"% the number", "%%", "5540", "%%", "5550", "Y"}, true, ""},
        {false, {"5550.5"}, false, "*** Not a file number: 5550.5"},
    };
    for (const Case& c : cases) {
        core::reset_engine();
        fs::resize_file(converted("LB5550.DRW"), 10);
        std::vector<std::string> lines = {"CDRW", old};
        lines.insert(lines.end(), c.answers.begin(), c.answers.end());
        lines.insert(lines.end(), {"EI", "8 1 0", "SA out.mus"});
        fs::remove(temp_.root() / "out.mus");
        std::string out;
        if (c.from_re) {
            std::ofstream file(temp_.root() / "convert.txt");
            for (const std::string& line : lines) file << line << "\n";
            file.close();
            out = type({"RE " + (temp_.root() / "convert.txt").string()});
        } else {
            out = type(lines);
        }
        const std::string label = (c.from_re ? "RE, " : "piped, ") + c.answers.front() +
                                  (c.answers.size() > 1 ? " " + c.answers.back() : "");
        EXPECT_EQ(fs::file_size(converted("LB5550.DRW")) != 10u, c.replaced) << label << out;
        if (!c.reply.empty()) {
            EXPECT_TRUE(old_drawing_has(out, c.reply)) << label << out;
        }
        // Named, and run next, once.
        const bool named_line = c.answers.front() == "SA p.mus" || c.answers.front() == "5550abc";
        EXPECT_EQ(fs::exists(temp_.root() / "p.mus"), c.answers.front() == "SA p.mus") << label;
        fs::remove(temp_.root() / "p.mus");
        EXPECT_EQ(old_drawing_has(out, named + c.answers.front() + " -- the conversion ended."),
                  named_line)
            << label << out;
        EXPECT_EQ(saved_records(temp_.root() / "out.mus"), c.page) << label << out;
        EXPECT_FALSE(old_drawing_has(out, "use a different number")) << label << out;
        EXPECT_EQ(core::PendingBoxOperation, 0) << label;
        EXPECT_TRUE(fs::exists(temp_.root() / "out.mus")) << label << out;
    }
}

// From a command file read by RE, the lines after the word are its answers: the path (a name
// with no folder is refused and the next line is a command again), then the number.
TEST_F(OldDrawingConsoleTest, ACommandFileAnswersTheTwoQuestions) {
    write_old_drawing(temp_.root() / "brass.DRW");
    std::ofstream(temp_.root() / "convert.txt")
        << "CDRW\n"
        << (temp_.root() / "brass").string() << "\n5570\nCDRW\nbrass\nEI\n8 1 0\n";
    const std::string out = type({"RE " + (temp_.root() / "convert.txt").string()});
    EXPECT_EQ(core::PendingBoxOperation, 0);
    ASSERT_TRUE(fs::exists(converted("LB5570.DRW"))) << out;
    EXPECT_EQ(old_drawing_has(out, " Error or file not found."), true) << out;
    EXPECT_FALSE(old_drawing_has(out, "No item code")) << out;
    EXPECT_EQ(core::ItemCount, 1) << out;
    render::DrawingStartTable start;
    render::DrawingNames names;
    ASSERT_TRUE(render::read_library_drawing(557, start, names));
    EXPECT_EQ(names(2), core::FixedText<24>("TWO"));
}

}  // namespace
