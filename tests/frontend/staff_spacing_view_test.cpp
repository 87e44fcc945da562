// Two staves whose notes crowd each other, spaced by "VJ 4" and numbered by "BN 1 2" in the
// page window; the picture is kept for a person to look at (staff_spacing.png).
#include <fstream>
#include <iostream>

#include "engine/core/store/item_store.h"
#include "engine/layout/tables.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

class StaffSpacingViewTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        view_ = shown_page_view();
    }
    void TearDown() override {
        view_.reset();
        FrontEndTest::TearDown();
    }
    std::unique_ptr<COrmestView> view_;
};

float staff_item_p4(int32_t staff) {
    for (int32_t i = 1; i <= core::ItemCount; ++i) {
        const int32_t s = core::ItemStartTable(i);
        if (core::ItemStore(s + 1) == 8.0f && core::ItemStore(s + 2) == staff) {
            return core::ItemStore(s) >= 4 ? core::ItemStore(s + 4) : 0.0f;
        }
    }
    return -1.0f;
}

}  // namespace

TEST_F(StaffSpacingViewTest, VerticalJustifyClearsTheCrowdedStaffAndBarsAreNumbered) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::EngineWaitLevel = 0;
    SendCommand("EI");
    SendCommand("8 1 0");
    SendCommand("8 2 0");
    // High notes on staff 1 and low notes on staff 2 run into each other.
    for (int k = 0; k < 6; ++k) {
        const std::string x = std::to_string(20 + 25 * k);
        SendCommand(("1 1 " + x + " 18 10 0 1").c_str());
        SendCommand(("1 2 " + x + " -4 20 0 1").c_str());
    }
    for (int x : {10, 60, 110, 160, 195}) SendCommand(("14 2 " + std::to_string(x) + " 0").c_str());
    const float before = staff_item_p4(2);
    SendCommand("VJ 4");
    EXPECT_GT(staff_item_p4(2), before) << core::MessageLine.trimmed();
    const int32_t items = core::ItemCount;
    SendCommand("BN 1 2");
    EXPECT_EQ(core::ItemCount, items + 4);  // five bar lines: four numbers

    QApplication::processEvents();
    const QImage image = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto path = screenshot_folder() / "staff_spacing.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path.string() << '\n';
}

// Sung text under the notes of a staff, read from a command file, with its hyphen and extender
// lines, after the staff was transposed up a whole step (sung_text.png).
TEST_F(StaffSpacingViewTest, SungTextLiesUnderTheTransposedNotes) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::EngineWaitLevel = 0;
    SendCommand("EI");
    SendCommand("8 1 0");
    SendCommand("3 1 5 0 0");
    for (int k = 0; k < 5; ++k)
        SendCommand(("1 1 " + std::to_string(20 + 30 * k) + " " + std::to_string(3 + k) +
                     " 10 0 1")
                        .c_str());
    SendCommand("TR 2 1");
    const std::filesystem::path file = temp_dir() / "words.cmd";
    {
        std::ofstream out(file);
        out << "T 1 0 12\nla-la-la--la\n1 2 3 4 5\n";
    }
    const int32_t before = core::ItemCount;
    SendCommand(("RE " + file.string()).c_str());
    // Four syllables, two hyphen lines and an extender.
    EXPECT_EQ(core::ItemCount, before + 7) << core::MessageLine.trimmed();

    QApplication::processEvents();
    const QImage image = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto path = screenshot_folder() / "sung_text.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path.string())));
    std::cout << "screenshot: " << path.string() << '\n';
}
