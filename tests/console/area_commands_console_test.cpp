// The area commands typed into the console: IF lines, Group Alter, INVI and bar lines from the
// rhythm, checked in the store, the replies printed and the files written.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/files/document_files.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"

namespace {

// Page P: staves 1 and 3, two notes on staff 3 and one on staff 1.
const std::vector<std::string> kPageP = {
    "EI", "8 1 0", "8 3 0", "1 3 10 1 10 0 1", "1 3 12 2 10 0 1", "1 1 20 3 10 0 1"};

bool has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

std::vector<std::string> with(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// Item k's record: its word count, then P1..Pn.
std::vector<float> record(int32_t k) {
    const int32_t s = core::ItemStartTable(k);
    const int32_t n = static_cast<int32_t>(core::ItemStore(s));
    return std::vector<float>(core::ItemStore.data() + s - 1, core::ItemStore.data() + s + n);
}

std::vector<float> page() {
    return std::vector<float>(core::ItemStore.data(),
                              core::ItemStore.data() + core::ItemWordsUsed - 1);
}

class AreaCommandsConsoleTest : public ConsoleSessionTest {};

TEST_F(AreaCommandsConsoleTest, DeletingStaffThreeNotesLeavesThreeSavedRecords) {
    const std::filesystem::path file = temp_.root() / "p.mus";
    const std::string out = type(with(kPageP, {"IF P1=1 AND P2=3;D", "SA " + file.string()}));
    ASSERT_EQ(core::ItemCount, 3) << out;

    core::DocumentReadInfo info;
    ASSERT_EQ(core::read_document(file.string(), core::ItemStoreScratch, info),
              core::DocumentStatus::Ok)
        << out;
    std::vector<std::vector<float>> records;
    for (int32_t w = 1; w < info.count;) {
        const int32_t n = static_cast<int32_t>(core::ItemStoreScratch(w));
        ASSERT_GT(n, 0);
        records.emplace_back(&core::ItemStoreScratch(w + 1), &core::ItemStoreScratch(w + 1) + n);
        w += n + 1;
    }
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0][0], 8.0f);
    EXPECT_EQ(records[0][1], 1.0f);
    EXPECT_EQ(records[1][0], 8.0f);
    EXPECT_EQ(records[1][1], 3.0f);
    EXPECT_EQ(records[2][0], 1.0f);
    EXPECT_EQ(records[2][1], 1.0f);
}

// "DE" on a box: the items inside go (those on the box's edges too), and one UNDO brings
// every one of them back, word for word, whichever codes were chosen.
TEST_F(AreaCommandsConsoleTest, DeletingABoxAndUndoBringsEveryItemBack) {
    const std::vector<std::string> kPage = {
        "EI",           "8 1 0",           "8 2 0",          "1 1 10 5 10 0 1", "1 1 30 7 10 0 1",
        "1 1 50 6 10 0 1", "1 2 30 5 10 0 1", "5 1 10 5 7 50 1", "14 1 60", "1 1 70 4 10 0 1"};
    struct Case {
        const char* codes;
        int32_t left;  // items on the page after the delete
    };
    for (const Case& c : {Case{"0", 4}, Case{"1", 5}, Case{"5", 8}}) {
        SCOPED_TRACE(c.codes);
        core::reset_engine();
        const std::string built = type(kPage);
        ASSERT_EQ(core::ItemCount, 9) << built;
        const std::vector<float> before = page();
        // Staves 1 to 2 from 10 to 50: notes at both edges, the slur and the staff-2 note.
        std::string out = type({"DE", "1 10 50 2", "Y", c.codes});
        EXPECT_EQ(core::ItemCount, c.left) << out;
        out = type({"UNDO"});
        EXPECT_EQ(core::ItemCount, 9) << out;
        EXPECT_EQ(page(), before) << out;
    }
}

TEST_F(AreaCommandsConsoleTest, CopyingAnAreaWritesTheCutFileAndReportsItsBounds) {
    const std::string out = type(with(kPageP, {"IF P2>=1 AND P2<=4 AND P3>=10 AND P3<=120;C"}));
    EXPECT_TRUE(has(out, "Area copied =   1   10.0   20.0    3")) << out;
    std::ifstream in(platform::work_file("!!cut0.tmp"), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 136u);
    int32_t header[7];
    std::memcpy(header, bytes.data(), sizeof header);
    float left = 0.0f;
    float right = 0.0f;
    std::memcpy(&left, &header[2], 4);
    std::memcpy(&right, &header[3], 4);
    EXPECT_EQ(header[0], 3);
    EXPECT_EQ(header[1], 1);
    EXPECT_EQ(left, 10.0f);
    EXPECT_EQ(right, 20.0f);
    EXPECT_EQ(header[4], 3);
    EXPECT_EQ(header[5], 1400);
    EXPECT_EQ(header[6], 3100);
    EXPECT_EQ(core::ItemCount, 5);
}

TEST_F(AreaCommandsConsoleTest, DivisionByZeroAndUnbalancedLinesChangeNothing) {
    type(kPageP);
    const std::vector<float> before = page();
    const std::string out = type({"IF P2=3;P4=P4/0", "IF (P1=1;D"});
    EXPECT_EQ(page(), before) << out;
    EXPECT_TRUE(has(out, "parentheses")) << out;
}

TEST_F(AreaCommandsConsoleTest, GroupAlterAddsToStaffThreeNotesAndSaysItIsDone) {
    const std::string out = type(with(kPageP, {"A", "3 0 0 3 1", "Y", "400 1"}));
    EXPECT_EQ(record(3)[4], 2.0f) << out;
    EXPECT_EQ(record(4)[4], 3.0f);
    EXPECT_EQ(record(5)[4], 3.0f);  // the staff-1 note is outside the box
    EXPECT_TRUE(has(out, "Exit Group Alter.")) << out;
    EXPECT_EQ(core::MessageLine.trimmed(), "Exit Group Alter.");
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

// An IF or Group Alter that would give an item a code the next load drops (13, drawn in passing;
// below 1 or above 18) changes nothing and names it; the codes beside them are taken. Either
// way the script's next line runs: the saved page is the one left.
TEST_F(AreaCommandsConsoleTest, ACodeTheNextLoadWouldDropIsNeverGiven) {
    const std::string passing = "*** Item code 13 is only drawn in passing and never kept";
    struct Case {
        std::vector<std::string> lines;
        std::string reply;  // empty: taken
        float code;         // the staff-3 notes' code afterwards
    };
    const std::vector<Case> cases = {
        {{"IF P1=1 AND P2=3;P1=13"}, passing + " -- nothing was changed.", 1.0f},
        {{"IF P1=1 AND P2=3;P1=P1+12"}, passing, 1.0f},
        {{"IF P1=1 AND P2=3;P1=P4*10"}, "No item code 20 -- nothing was changed.", 1.0f},
        {{"A", "3 0 0 3 1", "Y", "1 13"}, passing, 1.0f},
        {{"A", "3 0 0 3 1", "Y", "100 12"}, passing, 1.0f},
        {{"IF P1=1 AND P2=3;P1=19"}, "*** No item code 19 -- nothing was changed.", 1.0f},
        {{"IF P1=1 AND P2=3;P1=0"}, "No item code 0", 1.0f},
        {{"IF P1=1 AND P2=3;P1=1.5"}, "No item code 1.5", 1.0f},
        {{"IF P1=1 AND P2=3;P1=12"}, "", 12.0f},
        {{"IF P1=1 AND P2=3;P1=P1+13"}, "", 14.0f},
        {{"IF P1=1 AND P2=3;P1=18"}, "", 18.0f},
        {{"A", "3 0 0 3 1", "Y", "100 11"}, "", 12.0f},
        {{"A", "3 0 0 3 1", "Y", "1 14"}, "", 14.0f},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.back());
        core::reset_engine();
        const std::filesystem::path before = temp_.root() / ("b" + std::to_string(n) + ".mus");
        const std::filesystem::path file = temp_.root() / ("c" + std::to_string(n++) + ".mus");
        type(with(kPageP, {"SA " + before.string()}));
        const std::string out = type(with(c.lines, {"SA " + file.string()}));
        std::vector<std::string> expected = saved_records(before);
        ASSERT_EQ(expected.size(), 5u) << out;
        if (c.reply.empty()) {
            EXPECT_FALSE(has(out, "item code")) << out;
            for (const int k : {2, 3}) {
                char code[16];
                std::snprintf(code, sizeof code, "%g", static_cast<double>(c.code));
                expected[k] = code + expected[k].substr(1);
            }
        } else {
            EXPECT_TRUE(has(out, c.reply)) << out;
        }
        EXPECT_EQ(saved_records(file), expected) << out;
    }
}

TEST_F(AreaCommandsConsoleTest, InviTogglesBothWays) {
    const std::string out = type({"INVI", "INVI"});
    const std::size_t off = out.find("Invisible items are NOT visible on screen.");
    ASSERT_NE(off, std::string::npos) << out;
    EXPECT_NE(out.find("Invisible items are visible on screen.", off), std::string::npos) << out;
}

TEST_F(AreaCommandsConsoleTest, BarLinesFromTheRhythmOnceOnly) {
    const std::vector<std::string> quarters = {
        "EI", "8 3 0", "1 3 10 1 1 0 1", "1 3 20 1 1 0 1", "1 3 30 1 1 0 1", "1 3 40 1 1 0 1"};
    std::string out = type(with(quarters, {"ADD 3 2 4"}));
    std::vector<std::vector<float>> bars;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (record(k)[1] == 14.0f) bars.push_back(record(k));
    ASSERT_EQ(bars.size(), 2u) << out;
    EXPECT_EQ(bars[0], (std::vector<float>{4, 14, 3, 25, 1}));
    EXPECT_EQ(bars[1], (std::vector<float>{4, 14, 3, 200, 1}));
    const std::vector<float> after = page();
    out = type({"ADD 3 2 4"});
    EXPECT_TRUE(has(out, "Some BARS already present.")) << out;
    EXPECT_EQ(page(), after);
}

// A view offset typed in billions, then a box typed for "M": the box is placed without its
// edges wrapping round, and leaving at the confirmation changes nothing.
TEST_F(AreaCommandsConsoleTest, ABoxAfterAViewOffsetOfBillionsLeavesThePage) {
    type({"EI", "8 1 0", "1 1 10 1 0 0 4", "Y 2147483647", "M", "1 0 100 1", "X"});
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(2) + 3), 10.0f);
}

}  // namespace

namespace {

// "MX" with its box and "Yes": the console has no Steps to move dialog and answers Exit, which
// ends the box operation. The lines after it are the user's own commands, each answered once.
TEST_F(AreaCommandsConsoleTest, StepsToMoveExitEndsTheBoxOperation) {
    type({"EI", "8 1 0", "1 1 10 1 10 0 1", "1 1 20 1 10 0 1"});
    const std::vector<float> before = page();
    const std::string out = type({"MX", "1 0 40 1", "Y", "PATH", "PATH"});
    size_t notices = 0;
    for (size_t at = 0; (at = out.find("Steps to move", at)) != std::string::npos; ++at) ++notices;
    EXPECT_EQ(notices, 1u) << out;
    size_t paths = 0;
    for (size_t at = 0; (at = out.find("Path = ", at)) != std::string::npos; ++at) ++paths;
    EXPECT_EQ(paths, 2u) << out;
    EXPECT_EQ(page(), before);
}

}  // namespace
