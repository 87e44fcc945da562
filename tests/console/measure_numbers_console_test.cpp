// "BN" typed in the console numbers the bars entered before it; "BB" there gets Exit from the
// dialog and still reports the box.
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
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

TEST_F(MeasureNumbersConsoleTest, BbReportsTheBoxAfterTheDialog) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 5 0 0 4", "BB"});
    EXPECT_NE(out.find("Dialog \"Bounding Box Outline\" needs the window"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Bounding box: Left = "), std::string::npos) << out;
}

}  // namespace
