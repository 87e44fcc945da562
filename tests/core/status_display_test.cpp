// The status words through the interpreter: the recent-files dialog, the output dump "vp" and
// the measuring and changing of the page image's height.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/layout/tables.h"
#include "engine/render/page/extents.h"
#include "engine/render/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace fs = std::filesystem;

namespace {

class StatusDisplayTest : public InterpreterTest {
  protected:
    // Staves 1..4 of size 1 at their default places.
    void make_four_staves() {
        enter_items_without_editing();
        type_all({"8 1 0", "8 2 0", "8 3 0", "8 4 0", "5 2 20 6"});
        ASSERT_EQ(core::ItemCount, 5);
    }
    static fs::path work(const std::string& name) {
        return fs::path(platform::work_folder()) / name;
    }
    // The height the last measuring showed in SecondLine (after its "=").
    static float shown_height() {
        const std::string line = core::SecondLine.trimmed();
        return std::strtof(line.c_str() + line.find('=') + 1, nullptr);
    }
    // The height the staff tables give for staves 1..4: lowest lower edge to highest upper edge.
    static float staff_table_height() {
        const auto& t = layout::StaffTables;
        return static_cast<float>(t.StaffBaseY(4) + 1925 - (t.StaffBaseY(1) + 525)) / 4000.0f;
    }
    void answer_height(float old_height, float new_height) {
        ScriptedFrontEnd::DialogAnswer a;
        a.reals = {old_height, new_height};
        fe_.answer_dialog(a);
    }
};

TEST_F(StatusDisplayTest, HistWithoutHistoryChangesNothingAndAsksNothing) {
    make_four_staves();
    const auto before = page();
    core::MessageLine.blank();
    type("HIST");
    EXPECT_EQ(page(), before);
    EXPECT_TRUE(fe_.dialogs.empty());
    EXPECT_FALSE(fs::exists(work("!history.tmp")));
}

TEST_F(StatusDisplayTest, HistLoadsTheChosenEntryAndCancelOrAnEmptyEntryLoadsNothing) {
    make_four_staves();
    type("SA song.mus");
    ASSERT_TRUE(fs::exists(work("!history.tmp")));
    type("5 1 30");
    ASSERT_EQ(core::ItemCount, 6);
    core::ChangesMadeFlag = 0;  // nothing to ask about

    fe_.answer_dialog(2);  // Cancel
    type("HIST");
    EXPECT_EQ(core::ItemCount, 6);
    ScriptedFrontEnd::DialogAnswer empty_entry;
    empty_entry.words = {2};  // entry 2 holds "."
    fe_.answer_dialog(empty_entry);
    type("HIST");
    EXPECT_EQ(core::ItemCount, 6);

    ScriptedFrontEnd::DialogAnswer first;
    first.words = {1};
    fe_.answer_dialog(first);
    type("HIST");
    EXPECT_EQ(core::ItemCount, 5);
    EXPECT_EQ(core::HistoryTable(2).trimmed(), ".");
}

TEST_F(StatusDisplayTest, OutputDumpWritesVpWithBothCounts) {
    type("VI");
    const std::string expected = "VINDX =" + core::format_int("(i5)", core::GraphicsNextFree) +
                                 "   NVPOINT =" + core::format_int("(i5)", graphics_length_);
    EXPECT_EQ(reply(), expected);
    ASSERT_TRUE(fs::exists(work("vp")));
    EXPECT_EQ(fs::file_size(work("vp")), 0u);

    make_four_staves();
    type("VI");
    std::ifstream in(work("vp"));
    std::string line;
    int items = 0;
    int entries = 0;
    while (std::getline(in, line)) {
        if (line.rfind("****", 0) == 0) {
            ++items;
            EXPECT_EQ(line, "****" + core::format_int("(i4)", items) + " ****");
        } else {
            ++entries;
            EXPECT_EQ(line.size(), 31u);
        }
    }
    EXPECT_EQ(items, 5);
    EXPECT_EQ(entries * 3, core::ItemOutputSpans.graphics(6) - core::ItemOutputSpans.graphics(1));
}

TEST_F(StatusDisplayTest, StaffHeightIsEdgeToEdgeAndATypedHeightMovesTheStavesUndoably) {
    make_four_staves();
    const auto before = page();
    fe_.answer_dialog(2);
    type("VS");
    const float height = staff_table_height();
    EXPECT_TRUE(core::SecondLine.starts_with("Page height(inches) ="));
    EXPECT_EQ(std::string(core::SecondLine.sub(24, 30)), core::format_real("(f7.3)", height));
    EXPECT_EQ(std::string(core::SecondLine.sub(35, 52)), "\r\nType new size ->");
    EXPECT_EQ(page(), before);  // Cancel

    answer_height(height, height - 1.0f);
    type("VS");
    EXPECT_NEAR(staff_table_height(), height - 1.0f, 0.001f);
    // Every staff keeps its order; staff 1 stays where it was.
    const auto& t = layout::StaffTables;
    EXPECT_LT(t.StaffBaseY(1), t.StaffBaseY(2));
    EXPECT_LT(t.StaffBaseY(3), t.StaffBaseY(4));
    EXPECT_EQ(item(1), std::vector<float>(before.begin(), before.begin() + 4));
    fe_.answer_dialog(2);
    type("VS");
    EXPECT_NEAR(shown_height(), height - 1.0f, 0.001f);

    type("UNDO");
    EXPECT_EQ(page(), before);
}

TEST_F(StatusDisplayTest, GroupsMoveTogetherAndOneGroupIsRefused) {
    make_four_staves();
    const auto before = page();
    const float height = staff_table_height();
    const int32_t gap12 = layout::StaffTables.StaffBaseY(2) - layout::StaffTables.StaffBaseY(1);

    answer_height(height, height + 0.5f);
    type("VS 4");
    EXPECT_EQ(page(), before);
    EXPECT_NE(reply().find("one group"), std::string::npos);

    answer_height(height, height + 0.5f);
    type("VS 2 2");
    EXPECT_NEAR(staff_table_height(), height + 0.5f, 0.001f);
    // Staves 1 and 2 form one group, 3 and 4 the other.
    EXPECT_EQ(layout::StaffTables.StaffBaseY(2) - layout::StaffTables.StaffBaseY(1), gap12);
}

TEST_F(StatusDisplayTest, AHeightThatWouldCrossStavesOrTheSameHeightChangesNothing) {
    make_four_staves();
    const auto before = page();
    const float height = staff_table_height();
    answer_height(height, 0.1f);
    type("VS");
    EXPECT_EQ(page(), before);
    EXPECT_NE(reply().find("cross"), std::string::npos);
    answer_height(height, height);
    type("VS");
    EXPECT_EQ(page(), before);
}

TEST_F(StatusDisplayTest, MetricHeightAndACommandFileGiveTheNewHeightOnTheNextLine) {
    make_four_staves();
    const float inches = staff_table_height();
    core::MetricFlag = 1;
    fe_.answer_dialog(2);
    type("VS");
    EXPECT_TRUE(core::SecondLine.starts_with("Page height(centimeters) ="));
    EXPECT_NEAR(shown_height(), inches * 2.54f, 0.002f);

    core::MetricFlag = 0;
    write_file("height.cmd", {"VS", "2.5"});
    type("RE height.cmd");
    EXPECT_NEAR(staff_table_height(), 2.5f, 0.001f);
    EXPECT_TRUE(fe_.dialogs.size() == 1);  // only the metric one
}

TEST_F(StatusDisplayTest, HeightOfAllItemsMeasuresTheirExtent) {
    make_four_staves();
    fe_.answer_dialog(2);
    type("VH");
    int32_t top = 0, bottom = 0, xl = 0, xh = 0;
    render::measure_items_extent(-1, top, bottom, xl, xh);
    EXPECT_NEAR(shown_height(), static_cast<float>(top - bottom) / 4000.0f, 0.0006f);
}

}  // namespace
