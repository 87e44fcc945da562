// The title line while an item is edited: it says "* (not saved" as soon as the edited item
// differs from its stored record, before X stores it, and "(saved" again once a save took it.
#include <fstream>
#include <string>
#include <vector>

#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"

namespace {

// A staff and a note (item 2, P4 = 5).
const std::vector<float> kEditTitlePage = {3, 8, 1, 0, 7, 1, 1, 50, 5, 10, 0, 4};

// The last title line the console printed.
std::string final_title_line(const std::string& out) {
    const std::size_t at = out.rfind("Title: ");
    if (at == std::string::npos) return "";
    return out.substr(at, out.find('\n', at) - at);
}

class EditTitleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        const Bytes bytes = encode(with_trailer(kEditTitlePage));
        std::ofstream("a.mus", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        std::ofstream("edit.cmd") << "I 2\n,,,9\n";
        std::ofstream("back.cmd") << "I 2\n,,,9\n,,,5\n";
    }
};

TEST_F(EditTitleTest, TheTitleTellsAnEditedItemThatIsNotStored) {
    struct Road {
        const char* name;
        std::vector<std::string> lines;
        const char* last_title;  // its end; "" when no title is printed after the load
    };
    const char* const kNotSaved = "a.mus * (not saved -    2 Items) ";
    const std::vector<Road> roads = {
        {"opened only", {"I 2"}, ""},
        {"a value typed", {"I 2", ",,,9"}, kNotSaved},
        {"a move word", {"I 2", "U1"}, kNotSaved},
        {"the palette's UP word", {"I 2", "UP"}, kNotSaved},
        {"from a command file", {"RE edit.cmd"}, kNotSaved},
        // The edit's own mark does not count: the page is its file's again.
        {"a value typed back", {"I 2", ",,,9", ",,,5"}, "a.mus   (saved -    2 Items) "},
        // The file's line that changes the note and its line that types it back run in one
        // command: the title never leaves "(saved".
        {"typed back from a command file", {"RE back.cmd"}, ""},
        // Last: the save writes the edit into a.mus.
        {"saved while edited", {"I 2", ",,,9", "SM"}, "a.mus   (saved -    2 Items) "},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
        const std::string loaded = type({"G a.mus"});
        ASSERT_TRUE(final_title_line(loaded).ends_with("a.mus   (saved -    2 Items) ")) << loaded;
        const std::string out = type(road.lines);
        ASSERT_NE(core::EditedItemNumber, 0) << out;
        if (*road.last_title == '\0') {
            EXPECT_EQ(final_title_line(out), "") << out;
        } else {
            EXPECT_TRUE(final_title_line(out).ends_with(road.last_title)) << out;
        }
    }
    // Typed back and stored (a.mus holds P4 = 9 since the save while edited): the page its file
    // holds, and the save after it runs.
    core::close_all_units();
    core::reset_engine();
    core::reset_service_gate();
    type({"G a.mus"});
    const std::string out = type({"I 2", ",,,4", ",,,9", "X", "SA b.mus"});
    EXPECT_TRUE(final_title_line(out).ends_with("b.mus   (saved -    2 Items) ")) << out;
    EXPECT_EQ(saved_records("b.mus"), (std::vector<std::string>{"8 1 0", "1 1 50 9 10 0 4"}));
}

}  // namespace
