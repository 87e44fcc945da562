// "BN" typed in the console numbers the bars entered before it; "BB" there gets Exit from the
// dialog and still reports the box.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/readme_piece.h"
#include "tests/support/store_records.h"

namespace {

class MeasureNumbersConsoleTest : public ConsoleSessionTest {};

TEST_F(MeasureNumbersConsoleTest, BnNumbersTheBarsOfTheStaff) {
    const std::string out =
        type({"EI", "8 1 0", "8 2 0", "14 2 10", "14 2 40", "14 2 70", "14 2 100", "BN 1 2"});
    std::vector<float> numbers;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) != 10.0f) continue;
        EXPECT_EQ(stored_param(k, 2), 2.0f);
        numbers.push_back(stored_param(k, 5));
    }
    EXPECT_EQ(numbers, (std::vector<float>{1, 2, 3})) << out;
}

// "MN 1 2" typed: one line of five bars and its closing bar line; bars 2 and 4 are numbered,
// the closing bar line (which would be bar 6) keeps none.
TEST_F(MeasureNumbersConsoleTest, MnWithIntervalTwoNumbersEverySecondBar) {
    std::vector<std::string> lines = {"EI", "8 1 0", "3 1 2 0 0"};
    for (int x = 0; x < 50; x += 10) {
        lines.push_back("1 1 " + std::to_string(x + 5) + " 4 10 0 1");
        lines.push_back("14 1 " + std::to_string(x + 10) + " 1");
    }
    lines.push_back("MN 1 2");
    const std::string out = type(lines);
    std::vector<std::pair<float, float>> numbers;  // (x, number)
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (stored_param(k, 1) == 10.0f) numbers.emplace_back(stored_param(k, 3), stored_param(k, 5));
    EXPECT_EQ(numbers, (std::vector<std::pair<float, float>>{{10, 2}, {30, 4}})) << out;
}

// The (staff, number) of every number item, by number.
std::vector<std::pair<float, float>> numbers_placed() {
    std::vector<std::pair<float, float>> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (stored_param(k, 1) == 10.0f) out.emplace_back(stored_param(k, 2), stored_param(k, 5));
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    return out;
}

// A system of `staves` staves from staff `lowest` up: a clef and two bars of four quarters on
// each staff, moved right by `shift`; the bar lines stand on the lowest staff and span `span`
// staves (1: every staff its own). "MN 1 1" leaves the page's first bar unnumbered, and the
// closing bar line opens no bar.
std::vector<std::string> bars_of_quarters(int32_t lowest, int32_t staves, int32_t span,
                                          float shift) {
    std::vector<std::string> lines;
    for (int32_t s = lowest; s < lowest + staves; ++s) {
        const std::string st = std::to_string(s);
        lines.push_back("8 " + st + " 0");
        lines.push_back("3 " + st + " 2 0 0");
        for (int32_t i = 0; i < 8; ++i) {
            lines.push_back("1 " + st + " " + std::to_string(shift + 10.0f + 10.0f * i) +
                            " 5 10 0 1");
        }
        if (s != lowest && span != 1) continue;
        for (const float x : {45.0f, 85.0f})
            lines.push_back("14 " + st + " " + std::to_string(shift + x) + " " +
                            std::to_string(span));
    }
    return lines;
}

// Staves joined by a spanning bar line are one system, counted once along its highest staff,
// which carries the numbers; a staff no spanning bar line joins counts on its own. Systems are
// numbered from the top of the page down.
TEST_F(MeasureNumbersConsoleTest, MnCountsEachSystemOnceAboveItsHighestStaff) {
    using Numbers = std::vector<std::pair<float, float>>;
    // The README's piano piece: its bass bar lines join each system, with or without the line
    // at its start.
    for (const bool joined : {false, true}) {
        SCOPED_TRACE(joined ? "with the joining lines" : "bass bar lines alone");
        core::reset_engine();
        core::reset_service_gate();
        type(readme_piece_lines(joined));
        const std::string out = type({"MN 1 1"});
        EXPECT_EQ(numbers_placed(), (Numbers{{4, 2}, {4, 3}, {2, 4}, {2, 5}})) << out;
    }
    struct Case {
        const char* name;
        std::vector<std::string> page;
        Numbers numbers;
    };
    const auto page = [](std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> lines = {"EI"};
        for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
        lines.push_back("X");
        return lines;
    };
    const Case cases[] = {
        // One-staff systems, one above the other: counted on from the top staff down.
        {"two one-staff systems",
         page({bars_of_quarters(1, 1, 1, 0), bars_of_quarters(2, 1, 1, 0)}),
         {{2, 2}, {1, 3}, {1, 4}}},
        // Two SATB systems of four staves, their bar lines spanning all four.
        {"two four-staff systems",
         page({bars_of_quarters(1, 4, 4, 3), bars_of_quarters(5, 4, 4, 0)}),
         {{8, 2}, {4, 3}, {4, 4}}},
        // A span reaching past the page's last staff is held to it.
        {"a span past the top", page({bars_of_quarters(1, 2, 9, 0)}), {{2, 2}}},
        // Staves 1-2 joined; staff 3, with bar lines of its own only, is a system of its own.
        {"a staff no line joins",
         page({bars_of_quarters(1, 2, 2, 0), bars_of_quarters(3, 1, 1, 0)}),
         {{3, 2}, {2, 3}, {2, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::reset_engine();
        core::reset_service_gate();
        type(c.page);
        const std::string out = type({"MN 1 1"});
        EXPECT_EQ(numbers_placed(), c.numbers) << out;
    }
}

TEST_F(MeasureNumbersConsoleTest, BbReportsTheBoxAfterTheDialog) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 5 0 0 4", "BB"});
    EXPECT_NE(out.find("Dialog \"Bounding Box Outline\" needs the window"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Bounding box: Left = "), std::string::npos) << out;
}

}  // namespace
