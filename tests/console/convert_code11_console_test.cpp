// "CV", "CON" and "CONV" typed into the console with no item edited: each Code 11 item of the
// page (an item naming an old drawing file) is offered for conversion into a library symbol,
// the questions answered line by line; then the page is saved, drawn and printed.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commands/start_up.h"
#include "engine/core/files/document_files.h"
#include "engine/core/tables.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/old_drawings.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAsk = "\nConvert Code 11: type new Code 9 file number";
constexpr const char* kAskReplace = "\nConverting Code 11 to Code 9:";

void write_page(const fs::path& path, const std::vector<std::vector<float>>& records) {
    auto words = std::make_unique<core::DocumentWords>();
    int32_t next = 1;
    for (const auto& r : records) {
        (*words)(next++) = static_cast<float>(r.size());
        for (float v : r) (*words)(next++) = v;
    }
    ASSERT_EQ(core::write_document(path.string(), *words, next, core::kDocumentLevel, 0),
              core::DocumentStatus::Ok);
}

// P1 and P5 of every item of a saved page.
std::vector<std::pair<float, float>> codes_and_p5(const fs::path& path) {
    auto words = std::make_unique<core::DocumentWords>();
    core::DocumentReadInfo info;
    std::vector<std::pair<float, float>> out;
    if (core::read_document(path.string(), *words, info) != core::DocumentStatus::Ok) return out;
    for (int32_t at = 1; at <= info.count;) {
        const auto n = static_cast<int32_t>((*words)(at));
        if (n < 1) break;
        out.emplace_back((*words)(at + 1), n >= 5 ? (*words)(at + 5) : 0.0f);
        at += n + 1;
    }
    return out;
}

using Items = std::vector<std::pair<float, float>>;

class ConvertCode11ConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        write_stroke_old_drawing(temp_.root() / "OLDSYM.DRW");
        // A staff, two items of drawing 3, one of drawing 4 and a note.
        write_page(temp_.root() / "page.mus", {{8, 1, 0},
                                               code11(20, 3, "OLDSYM"),
                                               code11(60, 3, "OLDSYM"),
                                               code11(120, 4, "OLDSYM"),
                                               {1, 1, 150, 5, 0, 0, 4}});
    }
    fs::path library(const std::string& name) const { return temp_.work() / "mxlib" / name; }
    static int count_of(const std::string& out, const std::string& part) {
        int n = 0;
        for (auto at = out.find(part); at != std::string::npos; at = out.find(part, at + 1)) ++n;
        return n;
    }
};

// The roads through the two questions, typed: what the page holds when saved afterwards (P1
// and P5 of the four items after the staff), how often the first question was asked, and the
// library file written.
TEST_F(ConvertCode11ConsoleTest, EachAnswerLeavesThePageAsTheUserChose) {
    struct Road {
        std::vector<std::string> answers;
        Items items;
        int asked;
        const char* written;  // "" for none
        bool ended = false;   // a line that answered nothing ended the conversion
        bool at_terminal = false;
        const char* ended_at = "Convert Code 11";  // the question that named the line
    };
    const Items untouched = {{11, 3}, {11, 3}, {11, 4}, {1, 0}};
    const std::vector<Road> roads = {
        // One number for each drawing: matching items go together; the second number's file
        // exists, and its contents are used for the item.
        {{"CV", "5123", "5124", "U"}, {{9, 5123}, {9, 5123}, {9, 5124}, {1, 0}}, 2, "LB5120.DRW"},
        // Out of range numbers are asked again; "N" asks a new number; empty takes 5000.
        {{"CONV", "9990", "4990", "5010", "5011", "N", ""},
         {{9, 5010}, {9, 5010}, {9, 5000}, {1, 0}},
         5,
         "LB5010.DRW"},
        {{"CON", "I", "I", "X"}, untouched, 3, ""},
        // "Don't show this message again.": nothing more is asked.
        {{"CV", "S"}, untouched, 1, ""},
        // Deleted items leave the page; the item of the same drawing is asked about on its own.
        {{"CV", "D", "I", "D"}, {{11, 3}, {1, 0}}, 3, ""},
        // A script's line that answers nothing is no answer: it ends the conversion and runs
        // (SA), at either question; no file is replaced then.
        {{"CV"}, untouched, 1, "", true},
        {{"CV", "5123", "5124"},
         {{9, 5123}, {9, 5123}, {11, 4}, {1, 0}},
         2,
         "LB5120.DRW",
         true,
         false,
         "Converting Code 11 to Code 9"},
        // Typed at a terminal, such a line is asked again.
        {{"CV", "hello", "I", "I", "12345", "I"}, untouched, 5, "", false, true},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.answers.front() + " " + std::to_string(road.answers.size()));
        core::reset_engine();
        core::reset_service_gate();
        fs::remove_all(temp_.work() / "mxlib");
        fs::remove("k.mus");
        const std::string out =
            type(console_lines_then(console_lines_then({"G page.mus"}, road.answers), {"SA k.mus"}),
                 road.at_terminal);
        EXPECT_EQ(count_of(out, kAsk), road.asked) << out;
        Items all = {{8, 0}};
        all.insert(all.end(), road.items.begin(), road.items.end());
        EXPECT_EQ(codes_and_p5("k.mus"), all) << out;
        if (*road.written != '\0') {
            EXPECT_TRUE(fs::exists(library(road.written))) << out;
            EXPECT_FALSE(fs::exists(library("LB9990.DRW"))) << out;
        } else {
            EXPECT_FALSE(fs::exists(temp_.work() / "mxlib") &&
                         !fs::is_empty(temp_.work() / "mxlib"))
                << out;
        }
        // The line that answered nothing is named as read, and is the line that ran next.
        const std::string named = "*** Not an answer to \"" + std::string(road.ended_at) +
                                  "\": SA k.mus -- the conversion ended.\n";
        EXPECT_EQ(out.find(named) != std::string::npos, road.ended) << out;
        if (!road.ended) {
            EXPECT_EQ(out.find("*** Not an answer to"), std::string::npos) << out;
        }
    }
}

// From a command file: the file's lines answer, and its first line that answers nothing is its
// next command (here SA), not eaten. The converted page is drawn and printed: the library
// symbols' strokes reach past the staff.
TEST_F(ConvertCode11ConsoleTest, ACommandFileAnswersAndTheResultIsDrawnAndPrinted) {
    std::string said;
    ASSERT_TRUE(start_engine_with_console(said)) << said;
    // The page as it stands, printed: its Code 11 items draw nothing.
    std::string out = type({"G page.mus", "PRPS"});
    fs::rename("eps.eps", "before.eps");
    std::ofstream("s.txt") << "CV\n5203\nSA k.mus\nPRPS\n";
    out = type({"RE s.txt"});
    const Items expected = {{8, 0}, {9, 5203}, {9, 5203}, {11, 4}, {1, 0}};
    EXPECT_EQ(codes_and_p5("k.mus"), expected) << out;
    EXPECT_TRUE(fs::exists(library("LB5200.DRW"))) << out;
    EXPECT_EQ(count_of(out, kAsk), 2) << out;
    EXPECT_NE(out.find("*** Not an answer to \"Convert Code 11\": SA k.mus -- the conversion "
                       "ended.\n"),
              std::string::npos)
        << out;
    ASSERT_TRUE(fs::exists("eps.eps")) << out;
    const auto before = ps_check::gs_bboxes("before.eps");
    const auto after = ps_check::gs_bboxes("eps.eps");
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_GT(after[0].y2, before[0].y2 + 5.0) << out;
    const auto box = ps_check::declared_box("eps.eps");
    EXPECT_LE(box.x1, after[0].x1);
    EXPECT_LE(box.y1, after[0].y1);
    EXPECT_GE(box.x2, after[0].x2);
    EXPECT_GE(box.y2, after[0].y2);
    std::string why;
    EXPECT_TRUE(ps_check::eps_reads_clean("eps.eps", why)) << why;
}

// A page of Code 11 items alone draws no ink: its EPS file declares the empty box, never one
// with its edges crossed.
TEST_F(ConvertCode11ConsoleTest, APageOfCode11ItemsAlonePrintsTheEmptyBox) {
    write_page("alone.mus", {code11(20, 3, "OLDSYM")});
    const std::string out = type({"G alone.mus", "PRPS"});
    ASSERT_TRUE(fs::exists("eps.eps")) << out;
    const auto box = ps_check::declared_box("eps.eps");
    EXPECT_LE(box.x1, box.x2);
    EXPECT_LE(box.y1, box.y2);
}

// A library file that a conversion replaces is drawn anew from then on, never from the shapes
// kept of it in memory: printed after the replacement, the page shows the new drawing (reaching
// down, where the old one did not), as the saved page shows it in a fresh start.
TEST_F(ConvertCode11ConsoleTest, AReplacedLibraryFileIsDrawnWithItsNewContents) {
    // Drawing 3 of this old file runs from (0, 0) down to (-300, -200).
    {
        const std::vector<int16_t> head = {7, 0, 0, 0, 0, 6, 12, 12, 12, 12, 12, 12};
        std::ofstream out(temp_.root() / "OLD2.DRW", std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), 2 * 12);
        out.write("ONE  TWO  THREEFOUR FIVE SIX  SEVENEIGHTNINE TEN  ", 50);
        const std::vector<int16_t> block = {-1, 0, 0, 1, -300, -200, 0, 0, 0, 1, -100, 50, 0};
        out.write(reinterpret_cast<const char*>(block.data()), 2 * 13);
    }
    write_page("two.mus", {{8, 1, 0}, code11(100, 3, "OLDSYM"), code11(100, 3, "OLD2")});
    const std::string old2 = (temp_.root() / "OLD2.DRW").string();
    const std::vector<std::vector<std::string>> roads = {
        {"CV", "5123", "R"},
        {"CDRW", old2, "5120", "Y"},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.front());
        core::reset_engine();
        core::reset_service_gate();
        fs::remove_all(temp_.work() / "mxlib");
        fs::remove("eps.eps");
        fs::remove("k.mus");
        fs::remove("before.eps");
        // The first item becomes symbol 5123 and is printed, so that its drawing is read.
        std::string out = type({"G two.mus", "CV", "5123", "I", "PRPS"});
        ASSERT_TRUE(fs::exists("eps.eps")) << out;
        fs::rename("eps.eps", "before.eps");
        out = type(console_lines_then(road, {"SA k.mus", "PRPS"}));
        ASSERT_TRUE(fs::exists(library("LB5120.DRW"))) << out;
        ASSERT_TRUE(fs::exists("eps.eps")) << out;
        fs::rename("eps.eps", "after.eps");
        core::reset_engine();
        core::reset_service_gate();
        out = type({"G k.mus", "PRPS"});
        const auto before = ps_check::gs_bboxes("before.eps");
        const auto after = ps_check::gs_bboxes("after.eps");
        const auto fresh = ps_check::gs_bboxes("eps.eps");
        ASSERT_EQ(before.size(), 1u);
        ASSERT_EQ(after.size(), 1u);
        ASSERT_EQ(fresh.size(), 1u);
        EXPECT_LT(after[0].y1, before[0].y1 - 20.0) << out;
        EXPECT_NEAR(after[0].x1, fresh[0].x1, 0.01);
        EXPECT_NEAR(after[0].y1, fresh[0].y1, 0.01);
        EXPECT_NEAR(after[0].x2, fresh[0].x2, 0.01);
        EXPECT_NEAR(after[0].y2, fresh[0].y2, 0.01);
    }
}

// With an item edited, CV is the editor's word (the ends of a line or slur fitted to its
// notes): no conversion is offered, and the next line is a command.
TEST_F(ConvertCode11ConsoleTest, WithAnItemEditedCvIsTheEditorsWord) {
    const std::string out = type({"G page.mus", "I 2", "CV", "X", "SA k.mus"});
    EXPECT_EQ(count_of(out, kAsk), 0) << out;
    EXPECT_EQ(count_of(out, kAskReplace), 0) << out;
    EXPECT_EQ(codes_and_p5("k.mus")[1], (std::pair<float, float>{11, 3})) << out;
}

}  // namespace
