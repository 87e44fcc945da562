// Where the console's saves and other writes may go, and who answers before a file is written
// over: the data folder is only read, and a command file answers from its own next line.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// A console session whose data folder is a copy of the program's (its library data and its
// shipped page), so that a write into it would show.
class SaveTargetsConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr || *home == '\0') GTEST_SKIP() << "ORMEST_HOME is not set";
        data_ = temp_.root() / "data";
        fs::copy(fs::path(home), data_, fs::copy_options::recursive);
        temp_.use_data_folder(data_);
        fs::create_directory(temp_.root() / "mine");
        fs::current_path(temp_.root() / "mine");
        shipped_ = read_text(data_ / "0.mus");
        ASSERT_FALSE(shipped_.empty());
    }
    // The data folder's files, by name.
    std::vector<std::string> data_files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(data_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    static bool has(const std::string& out, const std::string& text) {
        return out.find(text) != std::string::npos;
    }

    fs::path data_;
    std::string shipped_;
};

// The shipped page loads, is changed and saved: the name is asked as for a new page (the
// proposal is its bare name, in the current folder), the message names the file written, and
// the data folder keeps its page. Names typed into the data folder are refused, said so.
TEST_F(SaveTargetsConsoleTest, APageFromTheDataFolderIsSavedUnderANameTheUserGives) {
    const std::vector<std::string> before = data_files();
    const fs::path mine = temp_.root() / "mine";
    std::string out = type({"EI", "RS !000", "8 3 0", "SM", ""});
    EXPECT_TRUE(has(out, "Type output file name.")) << out;
    EXPECT_TRUE(has(out, "File saved:  " + (mine / "0.mus").string())) << out;
    EXPECT_FALSE(has(out, "program files")) << out;
    EXPECT_EQ(read_text(data_ / "0.mus"), shipped_);
    EXPECT_TRUE(fs::exists(mine / "0.mus"));

    // Straight into the data folder: a save-as, an answer to the name question and an EPS file
    // are refused, and nothing there changes.
    const std::string refused = "is in the program's data folder, which is only read.";
    out = type({"RS !000", "SA " + (data_ / "x.mus").string()});
    EXPECT_TRUE(has(out, "*** Not written: " + (data_ / "x.mus").string() + " " + refused))
        << out;
    out = type({"RS !000", "8 3 0", "SM", (data_ / "0.mus").string()});
    EXPECT_TRUE(has(out, (data_ / "0.mus").string() + " " + refused)) << out;
    EXPECT_FALSE(has(out, "File saved:")) << out;
    out = type({"PR", (data_ / "page.eps").string()});
    EXPECT_TRUE(has(out, (data_ / "page.eps").string() + " " + refused)) << out;
    EXPECT_EQ(read_text(data_ / "0.mus"), shipped_);
    EXPECT_EQ(data_files(), before);
}

// "SM" in a command file: the file's next line answers the write-over question. No answer (the
// end of the file, or a command, which then still runs) writes nothing and says why; "N" keeps
// another program's newer save; "Y" writes. DEC there never writes over the page's own file
// without an answer.
TEST_F(SaveTargetsConsoleTest, ACommandFileAnswersTheWriteOverQuestionItself) {
    const fs::path mine = temp_.root() / "mine";
    const fs::path song = mine / "song.mus";
    std::string out = type({"EI", "8 1 0", "SA song.mus"});
    ASSERT_TRUE(has(out, "File saved:")) << out;
    write_text(mine / "end.cmd", "8 2 0\nSM\n");
    write_text(mine / "cmd.cmd", "SM\n8 3 0\n");
    write_text(mine / "no.cmd", "SM\nno\n");
    write_text(mine / "yes.cmd", "SM\n y \n");
    write_text(mine / "dec.cmd", "DEC\n1\n");

    write_text(song, "another program's save");  // after this copy's save
    out = type({"RE end.cmd"});
    EXPECT_TRUE(has(out, "*** " + song.string() + " was changed by another program")) << out;
    EXPECT_TRUE(has(out, "*** Not written: " + song.string() +
                             " exists, and the command file's next line does not answer "
                             "\"FILE EXISTS - Write over file?\" (Y or N).")) << out;
    EXPECT_FALSE(has(out, "File saved:")) << out;
    out = type({"RE cmd.cmd"});
    EXPECT_TRUE(has(out, "*** Not an answer to \"FILE EXISTS - Write over file?\": 8 3 0 -- "
                         "taken as No: " + song.string() + " was not written.")) << out;
    EXPECT_FALSE(has(out, "   3 Items")) << out;  // the line after the save is dropped
    out = type({"RE no.cmd"});
    EXPECT_TRUE(has(out, "(the command file answered No)")) << out;
    EXPECT_EQ(read_text(song), "another program's save");
    out = type({"RE yes.cmd"});
    EXPECT_TRUE(has(out, "File saved:  " + song.string())) << out;
    const std::string saved = read_text(song);
    EXPECT_NE(saved, "another program's save");

    // DEC's first group would go under the page's own name: no answer, not written.
    out = type({"RE dec.cmd"});
    EXPECT_TRUE(has(out, "*** Not written: " + song.string() + " exists")) << out;
    EXPECT_EQ(read_text(song), saved);
    EXPECT_TRUE(fs::exists(mine / "sonh.mus"));
}

}  // namespace
