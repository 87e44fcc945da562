// UNDO and REDO on a page holding a text whose packed characters form a NaN pattern (Latin-1
// "abc" + e-acute + y-diaeresis packs to 0xFFE96362): the copies are compared by their bits, so the
// page comes back exactly, and its saved mark with it, on every road.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"

namespace {

namespace fs = std::filesystem;

enum class BitsRoad { Piped, ConsoleFile, Re };

const char* bits_road_name(BitsRoad r) {
    return r == BitsRoad::Piped ? "piped" : r == BitsRoad::ConsoleFile ? "console_file" : "re";
}

const std::string kNanPatternText = "abc\xe9\xff";

class UndoTextBitsConsoleTest : public ConsoleSessionTest {
  protected:
    // The change typed (piped, --console FILE) or read from a command file by RE, then the lines
    // after it.
    std::string run_road(BitsRoad road, const std::vector<std::string>& change,
                         const std::vector<std::string>& after) {
        std::vector<std::string> lines = {"G t.mus"};
        if (road == BitsRoad::Re) {
            std::ofstream file(temp_.root() / "change.txt");
            for (const std::string& line : change) file << line << "\n";
            lines.push_back("RE change.txt");
        } else {
            lines.insert(lines.end(), change.begin(), change.end());
        }
        lines.insert(lines.end(), after.begin(), after.end());
        if (road == BitsRoad::ConsoleFile) return run_console_file(temp_.root(), lines);
        return run_console_script(lines);
    }
    fs::path at(const char* name) const { return temp_.root() / name; }
};

struct BitsRow {
    const char* name;
    std::vector<std::string> change;
};

TEST_F(UndoTextBitsConsoleTest, UndoAndRedoGiveBackAPageWithANanPatternText) {
    const std::vector<BitsRow> rows = {
        {"note", {"EI", "1 1 50 7 0 0 4", "X"}},
        {"second_text", {"T 1 60 14", kNanPatternText, "X"}},
    };
    for (const BitsRoad road : {BitsRoad::Piped, BitsRoad::ConsoleFile, BitsRoad::Re}) {
        for (const BitsRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + " " + bits_road_name(road));
            core::reset_engine();
            for (const char* name : {"t.mus", "u.mus", "c.mus", "r.mus"}) fs::remove(at(name));
            type({"EI", "8 1 0", "X", "T 1 30 14", kNanPatternText, "SA t.mus"});
            ASSERT_TRUE(fs::exists(at("t.mus")));
            const std::vector<float> page = document_item_words(at("t.mus"));
            ASSERT_EQ(page.size(), 4U + 16U);  // the staff, then a text of 8 characters

            core::reset_engine();
            const std::string undone = run_road(road, row.change, {"UNDO", "SA u.mus"});
            EXPECT_EQ(undone.find("could not be read"), std::string::npos) << undone;
            ASSERT_TRUE(fs::exists(at("u.mus"))) << undone;
            EXPECT_EQ(read_file_bytes(at("u.mus")), read_file_bytes(at("t.mus"))) << undone;
            // The page is its file again: the saved mark is back, shown after G and after UNDO.
            const std::string title = "Title: " + at("t.mus").string() + "   (saved -    2 Items)";
            EXPECT_NE(undone.rfind(title), undone.find(title)) << undone;

            // REDO gives the change back: the page as a save right after the change holds it.
            core::reset_engine();
            const std::string changed = run_road(road, row.change, {"SA c.mus"});
            core::reset_engine();
            const std::string redone = run_road(road, row.change, {"UNDO", "REDO", "SA r.mus"});
            EXPECT_EQ(redone.find("could not be read"), std::string::npos) << redone;
            ASSERT_TRUE(fs::exists(at("r.mus"))) << redone;
            EXPECT_EQ(read_file_bytes(at("r.mus")), read_file_bytes(at("c.mus")))
                << changed << redone;
            EXPECT_GT(document_item_words(at("r.mus")).size(), page.size()) << redone;
        }
    }
}

}  // namespace
