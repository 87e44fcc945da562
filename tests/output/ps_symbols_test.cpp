// Symbol procedures: the pass that finds repeated symbols, the procedure bodies and their
// calls, the limits, and the small writers of trills, arcs and widths.
#include "output/ps_symbols.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "output/ps_display_list.h"
#include "output/tables.h"
#include "tests/output/ps_capture.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kDefinition = " /EXEC{/exec load}bind def /P";

class PsSymbolsTest : public PsCaptureTest {
  protected:
    void page() {
        bind_output_lists();
        render::OutputPassWord = -1;
        output::define_symbol_procedures();
        render::redraw_items();
    }
    static long calls_of(const Lines& lines, const std::string& name) {
        long n = 0;
        for (const std::string& l : lines) {
            if (l.size() >= name.size() + 1 && l.find(" " + name) != std::string::npos &&
                l.rfind(kDefinition, 0) != 0)
                ++n;
        }
        return n;
    }
    // Library symbol numbers from `from` up that draw something.
    static std::vector<int32_t> drawn_symbols(int32_t from, std::size_t wanted) {
        std::vector<int32_t> found;
        for (int32_t n = from; n < 3000 && found.size() < wanted; ++n) {
            if (render::find_word_symbol(n) != 0) continue;
            render::PathPointList.count = 1;
            render::draw_symbol_unscaled(n, n, 0, 1.0f, 1.0f, 0.0f, 0.0f, 0, 0.0f);
            if (render::PathPointList.count > 2) found.push_back(n);
        }
        render::PathPointList.count = 1;
        return found;
    }
};

TEST_F(PsSymbolsTest, EightQuarterNotesShareOneHeadProcedure) {
    enter_items_without_editing();
    type("8 1 0");
    for (int i = 0; i < 8; ++i) type("1 1 " + std::to_string(10 + 10 * i) + " 5 0 0 4");
    page();
    const Lines lines = written();
    EXPECT_EQ(count_starting(lines, kDefinition), 1);
    EXPECT_EQ(count_starting(lines, kDefinition + "00["), 1);
    EXPECT_EQ(calls_of(lines, "P00"), 8);
    std::string out;
    EXPECT_EQ(run_gs(lines, "nullpage", out), 0);
    EXPECT_EQ(out, "");
}

TEST_F(PsSymbolsTest, ASymbolUsedOnceGetsNoProcedure) {
    enter_items_without_editing();
    type("8 1 0");
    type("1 1 10 5 0 0 4");
    page();
    const Lines lines = written();
    EXPECT_EQ(count_starting(lines, kDefinition), 0);
    EXPECT_EQ(calls_of(lines, "P00"), 0);
    EXPECT_GT(lines.size(), 3u);
}

TEST_F(PsSymbolsTest, TheHundredAndFirstRepeatedSymbolIsWrittenAsPaths) {
    const std::vector<int32_t> symbols = drawn_symbols(50, 101);
    ASSERT_EQ(symbols.size(), 101u);
    enter_items_without_editing();
    type("8 1 0");
    for (int32_t n : symbols) {
        type("9 1 20 0 " + std::to_string(n));
        type("9 1 40 0 " + std::to_string(n));
    }
    output::SymbolProcedures.budget = 1000000;
    page();
    const Lines lines = written();
    EXPECT_EQ(count_starting(lines, kDefinition), 100);
    EXPECT_EQ(output::SymbolProcedures.procedure_count, 100);
    EXPECT_EQ(calls_of(lines, "P99"), 2);
}

TEST_F(PsSymbolsTest, TheBudgetLimitsTheBodies) {
    const std::vector<int32_t> symbols = drawn_symbols(50, 30);
    enter_items_without_editing();
    type("8 1 0");
    for (int32_t n : symbols) {
        type("9 1 20 0 " + std::to_string(n));
        type("9 1 40 0 " + std::to_string(n));
    }
    output::SymbolProcedures.budget = 60;
    page();
    EXPECT_LT(output::SymbolProcedures.entries, 60);
    output::SymbolProcedures.budget = -1;
    render::PathPointList.count = 1;
    output::define_symbol_procedures();
    EXPECT_EQ(render::OutputPassWord, -1);
}

TEST_F(PsSymbolsTest, ALongBodyIsCutEvery120Lines) {
    render::OutputPassWord = -99;
    output::PostScriptState.procedure_chunking = -1;
    for (int32_t i = 0; i < 300; ++i) point(i == 0 ? 1 : 0, i, 2 * i);
    output::display_list_write();
    output::PostScriptState.procedure_chunking = 0;
    const Lines lines = written();
    EXPECT_EQ(count_of(lines, " } EXEC {"), 2);
    EXPECT_EQ(lines[120], " } EXEC {");
    EXPECT_EQ(lines.size(), 300u + 2u + 1u);
}

TEST_F(PsSymbolsTest, CallsScaleBelowAndFrom50) {
    auto& s = output::SymbolProcedures;
    s.procedures(1) = 49;
    s.procedures(2) = 50;
    s.procedure_count = 2;
    layout::StaffTables.CurrentStaff = 1;
    layout::StaffTables.StaffScale(1) = 25.0f;
    core::IntParamBuffer(1) = 9;
    core::IntParamBuffer(2) = 1;
    core::IntParamBuffer(10) = 0;
    int32_t state = 0;
    EXPECT_TRUE(output::write_ps_symbol_call(100.7f, 200.2f, 1.0f, 49, state));
    EXPECT_EQ(state, 1);
    EXPECT_TRUE(output::write_ps_symbol_call(100.0f, 200.0f, 1.0f, 50, state));
    EXPECT_FALSE(output::write_ps_symbol_call(100.0f, 200.0f, 1.0f, 51, state));
    EXPECT_EQ(state, 0);
    // A scale of 0 has no call: the symbol goes as paths, without a division by 0.
    EXPECT_FALSE(output::write_ps_symbol_call(100.0f, 200.0f, 0.0f, 50, state));
    layout::StaffTables.StaffScale(1) = 0.0f;
    EXPECT_FALSE(output::write_ps_symbol_call(100.0f, 200.0f, 1.0f, 49, state));
    const Lines lines = written();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("    100    200  4.000 P00"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("    100    200  1.000 P01"), std::string::npos) << lines[1];
}

TEST_F(PsSymbolsTest, ProcedureAndPathsLandInTheSameBox) {
    const std::vector<int32_t> symbols = drawn_symbols(49, 2);
    ASSERT_EQ(symbols.size(), 2u);
    auto box_of = [&](int32_t budget) {
        render::PathPointList.count = 1;
        output::SymbolProcedures.budget = budget;
        page();
        std::string out;
        EXPECT_EQ(run_gs(written(), "bbox", out), 0);
        EXPECT_TRUE(core::open_unit_at_local_path(render::kPostScriptUnit, ps_path_.string(),
                                                  core::UnitStatus::Unknown, core::UnitForm::Text));
        return out;
    };
    enter_items_without_editing();
    type("8 1 0");
    for (int32_t n : symbols) {
        type("9 1 20 0 " + std::to_string(n) + " 1.5");
        type("9 1 60 3 " + std::to_string(n) + " 1.5");
    }
    const std::string called = box_of(2000);
    const std::string paths = box_of(-1);
    int a[4] = {}, b[4] = {};
    ASSERT_EQ(
        std::sscanf(called.c_str(), "%%%%BoundingBox: %d %d %d %d", &a[0], &a[1], &a[2], &a[3]), 4)
        << called;
    ASSERT_EQ(
        std::sscanf(paths.c_str(), "%%%%BoundingBox: %d %d %d %d", &b[0], &b[1], &b[2], &b[3]), 4)
        << paths;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(a[i], b[i], 2) << called << paths;
}

TEST_F(PsSymbolsTest, TrillPatternAndArcs) {
    const float x[62] = {};
    const float y[62] = {};
    core::IntParamBuffer(2) = 1;
    // A period of 0 would loop for ever in PostScript: nothing is written.
    output::write_ps_trill_line(x, y, 62, 10.0f, 0.0f, 500.0f, 0.0f, 1.0f);
    output::write_ps_trill_line(x, y, 62, 10.0f, 0.0f, 500.0f, 1.0f, 0.0f);
    output::write_ps_trill_line(x, y, 62, 10.0f, 0.0f, 900.0f, 1.0f, 0.0f);
    core::ParamBuffer(13) = 0.0f;
    output::write_ps_arc(100.0f, 100.0f, 50.0f, 0.0f, 360.0f, 1.0f);
    output::write_ps_arc(100.0f, 100.0f, 50.0f, 0.0f, 180.0f, 0.5f);
    output::write_ps_arc(100.0f, 100.0f, 50.0f, 0.0f, 180.0f, 0.0f);
    const Lines lines = written();
    EXPECT_EQ(count_of(lines, " /EXEC {/exec load } bind def /trl ["), 1);
    EXPECT_EQ(count_starting(lines, " newpath"), 2);
    long calls = 0;
    for (const std::string& l : lines) calls += l.size() > 4 && l.substr(l.size() - 4) == " trl";
    EXPECT_EQ(calls, 2);
    std::string out;
    EXPECT_EQ(run_gs(lines, "nullpage", out), 0);
    EXPECT_EQ(out, "");
}

// An arc from 0 to 45 degrees lies where the drawer's points put it on the screen: from the
// right of the centre up to the diagonal (angles counter-clockwise from the x axis, y up).
TEST_F(PsSymbolsTest, AnArcLiesWhereTheScreensPointsDo) {
    core::IntParamBuffer(2) = 1;
    core::ParamBuffer(13) = 0.0f;
    output::write_ps_arc(10000.0f, 10000.0f, 5000.0f, 0.0f, 45.0f, 1.0f);
    const Lines lines = written();
    ASSERT_EQ(count_starting(lines, " newpath"), 1);
    // The capture's page procedure: (x + 1000) x 0.018 points.
    std::string out;
    EXPECT_EQ(run_gs(lines, "bbox", out), 0);
    const auto at = out.find("%%HiResBoundingBox:");
    ASSERT_NE(at, std::string::npos) << out;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(std::sscanf(out.c_str() + at, "%%%%HiResBoundingBox: %lf %lf %lf %lf", &x1, &y1, &x2,
                          &y2),
              4);
    EXPECT_NEAR(x1, 261.6, 2.0);
    EXPECT_NEAR(y1, 198.0, 2.0);
    EXPECT_NEAR(x2, 288.0, 2.0);
    EXPECT_NEAR(y2, 261.6, 2.0);
}

}  // namespace
