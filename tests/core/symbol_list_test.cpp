// The symbol list handed to the Symbol Library dialog line by line, the pick that turns the
// chosen line into a symbol number, and the history entries of the Recent Files dialog.
#include "engine/core/store/symbol_list.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class SymbolListTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        const std::string folder = dir_.string() + "/";
        core::LibraryFolder.set(folder);
        core::LibraryFolderLength = static_cast<int32_t>(folder.size());
        core::CommandLine.set("LIB");
    }
    // Every line the dialog's initialisation gets, in order.
    static std::vector<std::string> listed_lines() {
        std::vector<std::string> lines;
        int32_t state = 0;
        for (int guard = 0; guard < 100; ++guard) {
            core::open_symbol_list(state);
            if (state == 1) break;
            EXPECT_EQ(state, -1);
            lines.push_back(core::FrontEndCommandBuffer.c_text());
        }
        return lines;
    }
    void answer_index(int32_t index) {
        ScriptedFrontEnd::DialogAnswer a;
        a.words = {index};
        fe_.answer_dialog(a);
    }
};

TEST_F(SymbolListTest, StarLineEndsTheList) {
    write_file("symblist.txt", {"  45 8va (octave sign)", "  51 ppp (dynamic)   ", "*", "  52 pp"});
    EXPECT_EQ(listed_lines(),
              std::vector<std::string>({"  45 8va (octave sign)", "  51 ppp (dynamic)"}));
}

TEST_F(SymbolListTest, LinesAreCutAtFortyEightCharacters) {
    const std::string line48 = "   7 " + std::string(43, 'x');
    write_file("symblist.txt", {line48 + "yz"});
    const std::vector<std::string> lines = listed_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], line48);
}

TEST_F(SymbolListTest, AlphabeticalListUnlessLibn) {
    write_file("symblist.txt", {"  51 ppp", "  45 8va"});
    write_file("symblist_alf.txt", {"  45 8va", "  51 ppp"});
    EXPECT_EQ(listed_lines().front(), "  45 8va");
    // The pick reads the same file the dialog showed.
    answer_index(1);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), 51.0f);

    core::CommandLine.set("LIBN");
    EXPECT_EQ(listed_lines().front(), "  51 ppp");
    answer_index(1);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), 45.0f);
}

TEST_F(SymbolListTest, PickGivesTheNumberOfTheChosenLine) {
    write_file("symblist.txt", {"  45 8va", "*", "1234 four digits"});
    listed_lines();
    answer_index(0);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), 45.0f);
    // "*" lines count in the index.
    answer_index(2);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), 1234.0f);
}

TEST_F(SymbolListTest, NothingPickedGivesMinusOne) {
    write_file("symblist.txt", {"  45 8va", "  51 ppp", "xx   no number"});
    listed_lines();
    // Cancel.
    core::ParamBuffer(1) = 7.0f;
    fe_.answer_dialog(2);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), -1.0f);
    // A line past the end of the file: reported, and no number is left over from before.
    core::ParamBuffer(1) = 7.0f;
    answer_index(3);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), -1.0f);
    EXPECT_TRUE(shown("File not found --> "));
    // A line without a number.
    fe_.message_boxes.clear();
    core::ParamBuffer(1) = 7.0f;
    answer_index(2);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), -1.0f);
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
    // The last line itself is read.
    answer_index(1);
    core::pick_listed_symbol();
    EXPECT_EQ(core::ParamBuffer(1), 51.0f);
}

TEST_F(SymbolListTest, MissingListIsNamed) {
    int32_t state = 0;
    core::open_symbol_list(state);
    EXPECT_EQ(state, 1);
    EXPECT_TRUE(shown("File not found --> "));
    EXPECT_TRUE(shown("symblist.txt"));
}

TEST_F(SymbolListTest, HistoryEntryWithoutTrailingBlanks) {
    core::HistoryTable(40).set("/music/song.mus");
    core::fetch_history_entry(40);
    EXPECT_EQ(std::string(core::MessageLine.sub(1, 16)), std::string("/music/song.mus") + '\0');
    core::fetch_history_entry(1);
    EXPECT_EQ(core::MessageLine.c_text(), ".");
    core::fetch_history_entry(41);
    EXPECT_EQ(core::MessageLine(1), '\0');
}

}  // namespace
