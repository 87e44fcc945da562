// The PostScript display list: the flush's path text, its painting, width entries and
// breaks, the right-hand page and the write-error rule.
#include "output/ps_display_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "output/tables.h"
#include "tests/output/ps_capture.h"

namespace {

using Lines = std::vector<std::string>;

class PsDisplayListTest : public PsCaptureTest {
  protected:
    // Flushes with the item on the given staff.
    Lines flush(int32_t staff = 1) {
        core::IntParamBuffer(2) = staff;
        output::flush_path_points();
        return written();
    }
};

TEST_F(PsDisplayListTest, PointsHaveOneBlankBeforeEveryNumber) {
    point(1, 5, -42);
    point(0, 5, 123456);
    point(0, -123456, 99999);
    point(0, 100000, 0);
    EXPECT_EQ(flush(), (Lines{" 5 -42 m", " 5 123456 l", " -123456 99999 l", " 100000 0 l", " s"}));
    EXPECT_EQ(render::PathPointList.count, 1);
}

TEST_F(PsDisplayListTest, StrokedSubPathsPaintOnceAndAModeChangePaintsBefore) {
    point(1, 0, 0);
    point(0, 10, 0);
    point(1, 0, 10);
    point(0, 10, 10);
    EXPECT_EQ(flush(), (Lines{" 0 0 m", " 10 0 l", " 0 10 m", " 10 10 l", " s"}));

    ASSERT_TRUE(core::open_unit_at_local_path(render::kPostScriptUnit, ps_path_.string(),
                                              core::UnitStatus::Unknown, core::UnitForm::Text));
    point(1, 0, 0);
    point(0, 10, 0);
    point(2, 0, 10);
    point(0, 10, 10);
    point(3, 20, 20);
    point(0, 30, 30);
    EXPECT_EQ(flush(), (Lines{" 0 0 m", " 10 0 l", " s", " 0 10 m", " 10 10 l", " 20 20 m",
                              " 30 30 l", " g e r s"}));
}

TEST_F(PsDisplayListTest, UnsetModeStrokesAndModeFourFills) {
    point(0, 1, 2);
    point(0, 3, 4);
    EXPECT_EQ(flush(), (Lines{" 1 2 m", " 3 4 l", " s"}));

    ASSERT_TRUE(core::open_unit_at_local_path(render::kPostScriptUnit, ps_path_.string(),
                                              core::UnitStatus::Unknown, core::UnitForm::Text));
    point(4, 1, 2);
    point(0, 3, 4);
    point(0, 5, 0);
    const Lines lines = flush();
    EXPECT_EQ(lines.back(), " e");
    EXPECT_EQ(count_of(lines, " f"), 0);
}

TEST_F(PsDisplayListTest, WidthEntriesFollowTheResolution) {
    const std::vector<std::pair<int32_t, int32_t>> cases = {{600, 4}, {300, 2}, {1000, 6}};
    for (const auto& [dpi, held] : cases) {
        output::OutputSettings.resolution = dpi;
        render::PathPointList.count = 1;
        output::add_path_width(4);
        output::add_path_break();
        EXPECT_EQ(render::PathPointList.count, 3);
        EXPECT_EQ(render::PathPointList.op(1), 99);
        EXPECT_EQ(render::PathPointList.x(1), 999);
        EXPECT_EQ(render::PathPointList.y(1), held) << dpi;
        EXPECT_EQ(render::PathPointList.op(2), -99);
    }
}

TEST_F(PsDisplayListTest, WidthsAndBreaksWriteLineWidths) {
    page_values(600, 4, 1.0f);  // WidthFactor 6.6767, base 26.7067
    output::add_path_width(4);
    point(2, 0, 0);
    point(0, 100, 0);
    point(0, 100, 100);
    output::add_path_break();
    point(1, 0, 0);
    point(0, 50, 50);
    const Lines lines = flush();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "    53.4133 lw");
    EXPECT_EQ(lines[4], " g e r s");
    EXPECT_EQ(lines[5], "    26.7067 lw");
    EXPECT_EQ(lines[7], " 0 0 m");
    EXPECT_EQ(lines[9], " s");
}

TEST_F(PsDisplayListTest, RightHandPageIsShiftedFromStaff201) {
    point(1, 5, 7);
    EXPECT_EQ(flush(200)[0], " 5 7 m");
    ASSERT_TRUE(core::open_unit_at_local_path(render::kPostScriptUnit, ps_path_.string(),
                                              core::UnitStatus::Unknown, core::UnitForm::Text));
    point(1, 5, 7);
    EXPECT_EQ(flush(201)[0], " 34055 7 m");
}

TEST_F(PsDisplayListTest, EscapesGiveTheOperationOfTheNextPoint) {
    point(0, -192700 + 1, 0);  // escape: a stroke start
    point(0, 10, 20);
    point(0, -192700 + 1, 0);
    point(0, -192700 + 2, 0);  // the last of a run decides
    point(0, 30, 40);
    EXPECT_EQ(flush(), (Lines{" 10 20 m", " s", " 30 40 m", " g e r s"}));
}

TEST_F(PsDisplayListTest, EmptyListStillClosesTheItemsGroup) {
    output::PostScriptState.group_depth = 1;
    EXPECT_EQ(flush(), (Lines{" r"}));
    EXPECT_EQ(output::PostScriptState.group_depth, 0);
}

TEST_F(PsDisplayListTest, GreyAndColourOfAnItem) {
    int32_t groups = 0;
    render::GreyState.current = 0.5f;
    output::write_ps_gray_level(groups);
    render::GreyState.current = 990000.0f;
    output::write_ps_gray_level(groups);
    EXPECT_EQ(groups, 2);
    EXPECT_EQ(written(), (Lines{" g 0.500 setgray", " g 1.000 0.000 0.000 setrgbcolor"}));
}

TEST_F(PsDisplayListTest, AWriteErrorStopsTheFlushWithOneMessage) {
    core::close_unit(render::kPostScriptUnit);
    for (int32_t i = 0; i < 300; ++i) point(i == 0 ? 1 : 0, i, i);
    output::flush_path_points();
    EXPECT_EQ(times_shown("Error writing PostScript to file or device."), 1);
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
    EXPECT_TRUE(output::ps_job_aborted());
    EXPECT_EQ(render::PathPointList.count, 301);  // an aborted job leaves the list
    output::flush_path_points();
    EXPECT_FALSE(output::write_ps_line(" s"));
    EXPECT_EQ(times_shown("Error writing PostScript to file or device."), 1);
}

TEST_F(PsDisplayListTest, NothingIsWrittenWhileTheSymbolPassRecords) {
    output::SymbolProcedures.recording = 1;
    point(1, 1, 1);
    point(0, 2, 2);
    output::flush_path_points();
    EXPECT_TRUE(output::write_ps_line(" s"));
    output::SymbolProcedures.recording = 0;
    EXPECT_TRUE(written().empty());
    EXPECT_EQ(render::PathPointList.count, 1);
}

TEST_F(PsDisplayListTest, GhostscriptReadsAFlushedPath) {
    output::add_path_width(2);
    point(2, 0, 0);
    point(0, 4000, 0);
    point(0, 4000, 4000);
    output::add_path_break();
    point(4, 100, 100);
    point(0, 200, 100);
    point(0, 200, 200);
    point(98, 100, 200);
    const Lines lines = flush();
    std::string out;
    EXPECT_EQ(run_gs(lines, "nullpage", out), 0);
    EXPECT_EQ(out, "");
}

}  // namespace
