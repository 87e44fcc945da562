// Typed sessions about what the page keeps and prints: a long deleted text comes back, every
// shape note's letter prints in its font (read by Ghostscript), outline font escapes are typed
// as they are, and "RS !000" reaches the page the data folder ships.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/render/ghostscript.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

class PageRecordsConsoleTest : public ConsoleSessionTest {
  protected:
    // Item k's record as stored: its count word, then P1..Pn.
    static std::vector<float> record(int32_t k) {
        std::vector<float> words;
        if (k < 1 || k > core::ItemCount) return words;
        const int32_t s = core::ItemStartTable(k);
        const int32_t n = static_cast<int32_t>(core::ItemStore(s));
        for (int32_t w = s; w <= s + n; ++w) words.push_back(core::ItemStore(w));
        return words;
    }
    static bool has(const std::string& out, const std::string& text) {
        return out.find(text) != std::string::npos;
    }
};

// A text of 480 characters makes a record far longer than 125 words; DE in the item editor
// deletes it, and both UNDELETE and UNDO give it back whole.
TEST_F(PageRecordsConsoleTest, ALongDeletedTextComesBackByUndeleteAndByUndo) {
    const std::string text(480, 'x');
    type({"EI", "T 1 10 5", text});
    ASSERT_EQ(core::ItemCount, 1);
    const std::vector<float> before = record(1);
    ASSERT_GT(before.size(), 125u);
    type({"I 1", "DE"});
    ASSERT_EQ(core::ItemCount, 0);
    std::string out = type({"UNDELETE", "X"});
    EXPECT_FALSE(has(out, "Nothing to UNDELETE")) << out;
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(record(1), before);

    type({"I 1", "DE"});
    ASSERT_EQ(core::ItemCount, 0);
    out = type({"UNDO"});
    EXPECT_FALSE(has(out, "Nothing to UNDO")) << out;
    ASSERT_EQ(core::ItemCount, 1);
    EXPECT_EQ(record(1), before);
}

// Each "show" of the EPS must find a font selected since the group it is in began: a font chosen
// inside a group that has been closed is gone (gsave/grestore and save/restore keep it).
std::vector<std::string> shows_without_a_font(const std::string& eps) {
    std::vector<std::string> missing;
    std::istringstream in(eps);
    bool started = false;
    std::vector<bool> saved;
    bool font = false;
    for (std::string line; std::getline(in, line);) {
        if (!started) {
            // The page's own group: a font chosen in it is gone after its "r".
            started = line == " g KELDA";
            if (started) saved.push_back(false);
            continue;
        }
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            if (w == "g" || w == "save") {
                saved.push_back(font);
            } else if ((w == "r" || w == "restore") && !saved.empty()) {
                font = saved.back();
                saved.pop_back();
            } else if (w == "sf") {
                font = true;
            } else if (w == "show" && !font) {
                missing.push_back(line);
            }
        }
    }
    return missing;
}

TEST_F(PageRecordsConsoleTest, EveryShapeNoteLetterPrintsInItsFont) {
    const std::string out = type({"EI", "8 1 0", "1 1 20 4 0 20", "1 1 40 4 0 21",
                                  "1 1 60 4 0 22", "1 1 80 4 0 23", "1 1 100 4 0 20", "PRPS"});
    ASSERT_TRUE(has(out, "Output to file - eps.eps")) << out;
    const fs::path eps = fs::current_path() / "eps.eps";
    const std::string text = read_text(eps);
    int letters = 0;
    for (std::size_t at = 0; (at = text.find(") show", at)) != std::string::npos; ++at) ++letters;
    EXPECT_EQ(letters, 5);
    EXPECT_EQ(shows_without_a_font(text), std::vector<std::string>{});
    const GhostscriptRun gs = run_ghostscript(eps, "txtwrite");
    EXPECT_EQ(gs.status, 0) << gs.err;
    EXPECT_TRUE(gs.err.empty()) << gs.err;
    std::string shown;
    for (char c : gs.out)
        if (c != ' ' && c != '\n' && c != '\r') shown += c;
    EXPECT_EQ(shown.size(), 5u) << gs.out;
    for (char c : shown) EXPECT_NE(std::string("FAGE").find(c), std::string::npos) << gs.out;
}

// A text after an EPS item in the same font and size prints: the wrapper's "r" ends the group
// the font was chosen in, so the next text chooses it again. Read back by Ghostscript.
TEST_F(PageRecordsConsoleTest, TextAfterAnEpsItemPrintsInItsFont) {
    std::ofstream(fs::current_path() / "f.eps") << "% nothing\n";
    const std::string out = type({"EI", "8 1 0", "TXD ;", "T 1 10 12", "First", "15 1 50 5",
                                  "f.eps", "T 1 150 12", "Second", "PRPS"});
    ASSERT_TRUE(has(out, "Output to file - eps.eps")) << out;
    const fs::path eps = fs::current_path() / "eps.eps";
    const std::string text = read_text(eps);
    ASSERT_NE(text.find("--sav2-- restore"), std::string::npos);
    EXPECT_EQ(shows_without_a_font(text), std::vector<std::string>{});
    const GhostscriptRun gs = run_ghostscript(eps, "txtwrite");
    EXPECT_EQ(gs.status, 0) << gs.err;
    EXPECT_NE(gs.out.find("First"), std::string::npos) << gs.out;
    EXPECT_NE(gs.out.find("Second"), std::string::npos) << gs.out;
}

// The outline escapes ("__" and two digits) are typed into a text as they are.
TEST_F(PageRecordsConsoleTest, OutlineFontEscapesAreTypedWithoutARepair) {
    const std::string out = type({"EI", "T 1 10 5", "__05Outline"});
    EXPECT_FALSE(has(out, "font number missing")) << out;
    ASSERT_EQ(core::ItemCount, 1);
    const std::vector<float> words = record(1);
    std::string stored;
    for (std::size_t w = 0; w < words.size(); ++w) {
        float f = words[w];
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&f);
        for (int i = 0; i < 4; ++i) stored += static_cast<char>(b[i]);
    }
    EXPECT_NE(stored.find("__05Outline"), std::string::npos);
    EXPECT_EQ(stored.find("_29"), std::string::npos);
}

// "RS !000", typed or as the palette button sends it, loads the page of the data folder.
TEST_F(PageRecordsConsoleTest, RsBangZeroLoadsThePageTheDataFolderShips) {
    for (const std::string line : {"RS !000", "RS !000.mus "}) {
        SCOPED_TRACE(line);
        core::ChangesMadeFlag = 0;
        const std::string out = type({line});
        EXPECT_FALSE(has(out, "not found")) << out;
        EXPECT_TRUE(has(out, "0.mus   (saved -    7 Items)")) << out;
        EXPECT_EQ(core::ItemCount, 7);
    }
}

}  // namespace
