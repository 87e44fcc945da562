// The symbol drawer: sizes and scale factors, widths and thickening, rotation, the cache, the
// PostScript pass services and the procedure pass, drawn from small drawing files of a
// temporary library.
#include <cmath>

#include "engine/core/store/item_store.h"
#include "engine/layout/tables.h"
#include "engine/render/symbols/drawing_files.h"
#include "tests/render/symbol_fixture.h"

using render::draw_library_symbol;

namespace {

const Drawing kStroke = {{0.0f, 0.0f, 1}, {100.0f, 40.0f, 0}};

}  // namespace

TEST_F(SymbolTest, SizesAreTakenModulo100AndZeroMeansOne) {
    put_symbol(7, kStroke);
    auto end_of_stroke = [&](float sx, float sy) {
        clear_path();
        draw_library_symbol(1000.0f, 2000.0f, 7, sx, sy, 0, 0.0f, 0);
        const auto pts = path_points();
        EXPECT_EQ(pts.size(), 2u);
        return pts.empty() ? DrawingPoint{} : pts.back();
    };
    // Staff scale 25: a drawing unit is 25 x size display units.
    const DrawingPoint at25 = end_of_stroke(25.0f, 25.0f);
    EXPECT_EQ(at25.x, 1000.0f + 25.0f * 25.0f * 100.0f);
    EXPECT_EQ(at25.y, 2000.0f + 25.0f * 25.0f * 40.0f);
    const DrawingPoint at125 = end_of_stroke(125.0f, 25.0f);
    EXPECT_EQ(at125.x, at25.x);
    EXPECT_EQ(at125.y, at25.y);
    const DrawingPoint at0 = end_of_stroke(0.0f, 0.0f);
    EXPECT_EQ(at0.x, 1000.0f + 2500.0f);
    EXPECT_EQ(at0.y, 2000.0f + 1000.0f);
    const DrawingPoint y_from_x = end_of_stroke(2.0f, 0.0f);
    EXPECT_EQ(y_from_x.y, 2000.0f + 2000.0f);
}

TEST_F(SymbolTest, LibrarySymbolsFrom50To4999AreDrawnAtThreeTenths) {
    for (int32_t symbol : {49, 50, 4999, 5000}) put_symbol(symbol, kStroke);
    auto width = [&](int32_t symbol) {
        clear_path();
        draw_library_symbol(0.0f, 0.0f, symbol, 1.0f, 1.0f, 0, 0.0f, 0);
        const auto pts = path_points();
        return pts.size() == 2 ? pts[1].x : -1.0f;
    };
    EXPECT_EQ(width(49), 2500.0f);
    EXPECT_EQ(width(50), 750.0f);
    EXPECT_EQ(width(4999), 750.0f);
    EXPECT_EQ(width(5000), 2500.0f);
}

TEST_F(SymbolTest, NegativeNumbersDrawSymbolZeroAndMissingFilesDrawNothing) {
    put_symbol(0, kStroke);
    draw_library_symbol(0.0f, 0.0f, -5, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(path_points().size(), 2u);

    clear_path();
    fe_.strict = false;
    core::ParamBuffer(1) = 4.0f;  // not a note or library item: "File not found"
    core::IntParamBuffer(1) = 4;
    draw_library_symbol(0.0f, 0.0f, 123, 1.0f, 1.0f, 0, 0.0f, 0);
    draw_library_symbol(0.0f, 0.0f, 99999, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(path_points().empty());
    EXPECT_EQ(render::SymbolCache.count, 1);  // only symbol 0: failed reads are not cached
}

TEST_F(SymbolTest, WidthIndexThickensOnePointLessFrom45On) {
    std::vector<Drawing> drawings(10);
    drawings[4] = kStroke;
    drawings[6] = kStroke;
    write_drawing_file(library_file(4), drawings);
    render::OutputPassWord = 0;  // no word symbols on this pass
    core::IntParamBuffer(10) = 1;
    draw_library_symbol(0.0f, 0.0f, 44, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(path_points().size(), 6u);  // code 101: one y copy and one x copy
    clear_path();
    draw_library_symbol(0.0f, 0.0f, 46, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(path_points().size(), 2u);  // width index 0: no thickening

    // Meters and numbers take their width from P16, rounded.
    clear_path();
    core::IntParamBuffer(1) = 18;
    core::ParamBuffer(16) = 1.6f;
    draw_library_symbol(0.0f, 0.0f, 44, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(path_points().size(), 10u);  // code 202: two y and two x copies
}

TEST_F(SymbolTest, Thickening203OnTheScreenPassAddsFourYAndSixXCopies) {
    put_symbol(12, kStroke);
    draw_library_symbol(100.0f, 200.0f, 12, 1.0f, 1.0f, 203, 0.0f, 0);
    const auto pts = path_points();
    ASSERT_EQ(pts.size(), 2u * 11u);
    const std::vector<std::pair<int, int>> shifts = {{0, 14}, {0, -14}, {0, 28}, {0, -28},
                                                     {14, 0}, {-14, 0}, {28, 0}, {-28, 0},
                                                     {42, 0}, {-42, 0}};
    for (std::size_t c = 0; c < shifts.size(); ++c) {
        for (std::size_t i = 0; i < 2; ++i) {
            const DrawingPoint& copy = pts[2 * (c + 1) + i];
            EXPECT_EQ(copy.x, pts[i].x + static_cast<float>(shifts[c].first)) << "copy " << c;
            EXPECT_EQ(copy.y, pts[i].y + static_cast<float>(shifts[c].second)) << "copy " << c;
            EXPECT_EQ(copy.pen, pts[i].pen);
        }
    }
}

TEST_F(SymbolTest, ThickenPathRulesOnEveryPass) {
    // On the metrics pass the counts are not doubled.
    render::OutputPassWord = 0;
    render::add_path_point(10.0f, 10.0f, 2);
    render::thicken_path(102, 1);
    EXPECT_EQ(path_points().size(), 4u);

    // Far-left marker entries keep their x in the x copies.
    clear_path();
    render::OutputPassWord = 1;
    render::add_path_point(-200000.0f, 5.0f, 1);
    render::thicken_path(1, 1);
    const auto marker = path_points();
    ASSERT_EQ(marker.size(), 3u);
    EXPECT_EQ(marker[1].x, -200000.0f);
    EXPECT_EQ(marker[2].x, -200000.0f);

    // Code 0 or below: filled pens become outlines off the metrics pass, and nothing is added.
    clear_path();
    render::add_path_point(0.0f, 0.0f, 2);
    render::add_path_point(5.0f, 0.0f, 0);
    render::thicken_path(-1, 1);
    EXPECT_EQ(path_points()[0].pen, 1);
    EXPECT_EQ(path_points().size(), 2u);
    render::PathPointList.op(1) = 2;
    render::OutputPassWord = 0;
    render::thicken_path(-1, 1);
    EXPECT_EQ(path_points()[0].pen, 2);

    // A full list takes what fits and keeps its count in range.
    clear_path();
    render::PathPointList.count = render::kPathPoints - 2;
    render::add_path_point(0.0f, 0.0f, 1);
    render::add_path_point(1.0f, 0.0f, 0);
    render::OutputPassWord = 1;
    render::thicken_path(909, render::kPathPoints - 2);
    EXPECT_EQ(render::PathPointList.count, render::kPathPoints + 1);
}

TEST_F(SymbolTest, RotationTurnsAboutTheOriginAndSkipsWidthEntries) {
    put_symbol(8, kStroke);
    // Through the dispatcher: P9 0.7 turns nothing (its whole part is 0).
    set_params({9.0f, 0.0f, 10.0f, 0.0f, 8.0f, 1.0f, 1.0f, 0.0f, 0.7f});
    render::draw_item_by_code();
    auto unturned = path_points();
    ASSERT_EQ(unturned.size(), 2u);
    EXPECT_EQ(unturned[1].x - unturned[0].x, 2500.0f);

    clear_path();
    draw_library_symbol(1000.0f, 1000.0f, 8, 1.0f, 1.0f, 0, 90.0f, 1);
    auto turned = path_points();
    ASSERT_EQ(turned.size(), 2u);
    EXPECT_NEAR(turned[1].x, 1000.0f + 1000.0f, 1.0f);  // (2500, 1000) turned by 90 degrees
    EXPECT_NEAR(turned[1].y, 1000.0f - 2500.0f, 1.0f);

    // A first of 0 or below: radians, negated, from entry -first; width entries stay.
    clear_path();
    render::add_path_point(999.0f, 7.0f, 99);
    render::add_path_point(100.0f, 0.0f, 1);
    render::rotate_path_points(-2, 0.0f, 0.0f, static_cast<float>(-M_PI / 2.0));
    const auto raw = path_points();
    EXPECT_EQ(raw[0].x, 999.0f);
    EXPECT_EQ(raw[0].y, 7.0f);
    EXPECT_NEAR(raw[1].x, 0.0f, 1.0f);
    EXPECT_NEAR(raw[1].y, -100.0f, 1.0f);
}

TEST_F(SymbolTest, CodeNineItemsKeepTheirParameters) {
    put_symbol(9, kStroke);
    const std::vector<float> item = {9.0f, 0.0f, 10.0f, 2.0f, 9.0f, 125.0f, 0.0f, 0.0f, 0.0f,
                                     1.0f, 0.0f, 0.0f,  0.0f, 0.0f, 3.0f,   0.0f, 0.0f};
    set_params(item);
    render::draw_item_by_code();
    for (std::size_t k = 3; k <= 16; ++k)
        EXPECT_EQ(core::ParamBuffer(static_cast<int>(k)), item[k - 1]);
    EXPECT_EQ(core::SaveStack.depth, 0);
    const auto pts = path_points();
    ASSERT_FALSE(pts.empty());
    // x = (P3 + P15) x 150; size 125 taken as 25; width index 1 on symbol 9 thickens (101,
    // doubled on the screen pass).
    EXPECT_EQ(pts[0].x, 13.0f * 150.0f);
    EXPECT_EQ(pts[1].x, 13.0f * 150.0f + 25.0f * 25.0f * 100.0f);
    EXPECT_EQ(pts.size(), 10u);
}

TEST_F(SymbolTest, TheHundredAndFirstSymbolEmptiesTheCache) {
    for (int32_t file = 0; file <= 10; ++file) {
        std::vector<Drawing> drawings(10, Drawing{{static_cast<float>(file), 0.0f, 1}});
        write_drawing_file(library_file(file), drawings);
    }
    render::OutputPassWord = 0;  // 45, 46, 63... are words on the other passes
    for (int32_t n = 0; n < 100; ++n) draw_library_symbol(0.0f, 0.0f, n, 1.0f, 1.0f, 0, 0.0f, 0);
    auto& cache = render::SymbolCache;
    EXPECT_EQ(cache.count, 100);
    EXPECT_EQ(cache.number(100), 99);

    // A hit reads no file.
    std::filesystem::remove(library_file(5));
    clear_path();
    draw_library_symbol(0.0f, 0.0f, 52, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(path_points().size(), 1u);
    EXPECT_EQ(path_points()[0].x, static_cast<float>(core::int_of(5.0f * 25.0f * 0.3f)));

    draw_library_symbol(0.0f, 0.0f, 100, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(cache.count, 1);
    EXPECT_EQ(cache.number(1), 100);
    EXPECT_EQ(cache.start(1), 1);
    EXPECT_EQ(cache.start(2), 2);
}

// A straight stroke of n points from x0 on.
Drawing stroke_of(int n, float x0) {
    Drawing d;
    for (int i = 0; i < n; ++i)
        d.push_back({x0 + static_cast<float>(i), 1.0f, static_cast<int16_t>(i == 0 ? 1 : 0)});
    return d;
}

TEST_F(SymbolTest, DrawingsThatExactlyFillTheCachesPointsAreAllKept) {
    std::vector<Drawing> drawings(10);
    drawings[3] = stroke_of(6000, 0.0f);
    drawings[4] = stroke_of(render::kCachePoints - 6000, 100000.0f);
    write_drawing_file(library_file(0), drawings);
    EXPECT_EQ(render::fetch_symbol_drawing(3), 6000);
    EXPECT_EQ(render::fetch_symbol_drawing(4), 4000);
    auto& cache = render::SymbolCache;
    EXPECT_EQ(cache.count, 2);
    EXPECT_EQ(cache.start(3), render::kCachePoints + 1);

    // Both are hits now: no file is read.
    std::filesystem::remove(library_file(0));
    EXPECT_EQ(render::fetch_symbol_drawing(3), 6000);
    EXPECT_EQ(render::LibraryDrawingBuffers.x(6000), 5999.0f);
    EXPECT_EQ(render::fetch_symbol_drawing(4), 4000);
    EXPECT_EQ(render::LibraryDrawingBuffers.x(4000), 100000.0f + 3999.0f);
}

TEST_F(SymbolTest, ADrawingOfTheCachesWholeSizeIsCachedAndOneOfAPointMoreIsNot) {
    std::vector<Drawing> drawings(10);
    drawings[1] = stroke_of(render::kCachePoints, 0.0f);
    drawings[2] = stroke_of(render::kCachePoints + 1, 0.0f);
    drawings[3] = kStroke;
    write_drawing_file(library_file(0), drawings);
    draw_library_symbol(0.0f, 0.0f, 3, 1.0f, 1.0f, 0, 0.0f, 0);
    // A point more is drawn whole, uncached, and the cache keeps what it had.
    clear_path();
    draw_library_symbol(0.0f, 0.0f, 2, 0.04f, 0.04f, 0, 0.0f, 0);
    const auto pts = path_points();
    ASSERT_EQ(pts.size(), static_cast<std::size_t>(render::kCachePoints + 1));
    EXPECT_EQ(pts.back().x, static_cast<float>(core::int_of(25.0f * 0.04f * render::kCachePoints)));
    EXPECT_EQ(render::SymbolCache.count, 1);
    EXPECT_EQ(render::SymbolCache.number(1), 3);
    EXPECT_EQ(render::fetch_symbol_drawing(2), render::kCachePoints + 1);
    EXPECT_EQ(render::SymbolCache.count, 1);
    // The whole size is cached: no file is read for it again.
    EXPECT_EQ(render::fetch_symbol_drawing(1), render::kCachePoints);
    EXPECT_EQ(render::SymbolCache.number(render::SymbolCache.count), 1);
    std::filesystem::remove(library_file(0));
    EXPECT_EQ(render::fetch_symbol_drawing(1), render::kCachePoints);
    EXPECT_EQ(render::LibraryDrawingBuffers.x(render::kCachePoints), 9999.0f);
}

TEST_F(SymbolTest, DescendingOrOverlongStartEntriesNeverReachOtherPoints) {
    // Four points; drawing 1 runs backwards (3 to 2), drawing 2 claims points 2..499.
    std::vector<Drawing> drawings(1, Drawing{{0, 0, 1}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
    write_drawing_file(library_file(2), drawings, {0, 3, 2, 500, 500, 500, 500, 500, 500, 500, 5});
    draw_library_symbol(0.0f, 0.0f, 21, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(path_points().empty());
    draw_library_symbol(0.0f, 0.0f, 22, 1.0f, 1.0f, 0, 0.0f, 0);
    const auto pts = path_points();
    ASSERT_EQ(pts.size(), 3u);  // points 2..4 only
    EXPECT_EQ(pts.back().x, 3.0f * 25.0f);
}

TEST_F(SymbolTest, PostScriptPassAddsWidthAndBreakAroundEvenAnEmptyDrawing) {
    put_symbol(10, kStroke);
    std::vector<Drawing> empty(10);
    write_drawing_file(library_file(3), empty);
    render::OutputPassWord = -1;
    core::IntParamBuffer(10) = 3;
    g_hooks.ps_found = false;
    draw_library_symbol(0.0f, 0.0f, 10, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(g_hooks.ps_calls, std::vector<int32_t>{10});
    EXPECT_EQ(g_hooks.widths, std::vector<int32_t>{3});
    EXPECT_EQ(g_hooks.breaks, 1);
    auto pts = path_points();
    ASSERT_EQ(pts.size(), 4u);  // width, two points, break (no thickening on this pass)
    EXPECT_EQ(pts.front().pen, 99);
    EXPECT_EQ(pts.back().pen, -99);

    clear_path();
    draw_library_symbol(0.0f, 0.0f, 30, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(path_points().size(), 2u);  // just the width entry and the break
}

TEST_F(SymbolTest, PostScriptProceduresReplaceOrReanchorTheVectors) {
    put_symbol(11, kStroke);
    render::OutputPassWord = -1;
    g_hooks.ps_found = true;
    g_hooks.ps_state = 1;
    draw_library_symbol(500.0f, 500.0f, 11, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(path_points().empty());

    g_hooks.ps_state = 0;  // the procedure is being defined: draw about (0, 0)
    draw_library_symbol(500.0f, 500.0f, 11, 1.0f, 1.0f, 0, 0.0f, 0);
    auto pts = path_points();
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].x, 0.0f);

    // No procedure call for thickened, turned, stretched or user symbols.
    g_hooks.ps_calls.clear();
    draw_library_symbol(0.0f, 0.0f, 11, 1.0f, 1.0f, 101, 0.0f, 0);
    draw_library_symbol(0.0f, 0.0f, 11, 1.0f, 1.0f, 0, 10.0f, 1);
    draw_library_symbol(0.0f, 0.0f, 11, 1.0f, 2.0f, 0, 0.0f, 0);
    draw_library_symbol(0.0f, 0.0f, 5000, 1.0f, 1.0f, 0, 0.0f, 0);
    core::CommandModeLetters(1) = 22222;
    draw_library_symbol(0.0f, 0.0f, 11, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(g_hooks.ps_calls.empty());
}

TEST_F(SymbolTest, ProcedurePassDrawsUnscaledFromTheFile) {
    Drawing long_drawing;
    for (int i = 0; i < 40; ++i) long_drawing.push_back({static_cast<float>(i), 2.0f, -3});
    put_symbol(65, long_drawing);
    render::OutputPassWord = -99;
    layout::StaffTables.StaffScale(0) = 50.0f;
    draw_library_symbol(10.0f, 20.0f, 65, 2.0f, 3.0f, 0, 0.0f, 0);
    auto pts = path_points();
    ASSERT_EQ(pts.size(), 40u);
    EXPECT_EQ(pts[39].x, 10.0f + 2.0f * 39.0f);  // no staff scale, no 0.3
    EXPECT_EQ(pts[39].y, 20.0f + 3.0f * 2.0f);
    EXPECT_EQ(pts[39].pen, 0);
    EXPECT_EQ(render::SymbolCache.count, 0);

    // From the second glyph of a repeated-glyph loop on, the last 11 points are left out.
    clear_path();
    core::CommandModeLetters(1) = 22222;
    draw_library_symbol(10.0f, 20.0f, 65, 2.0f, 3.0f, 0, 0.0f, 0);
    EXPECT_EQ(path_points().size(), 29u);
}

TEST_F(SymbolTest, PageFrameDrawingsKeepOneSizeOnEveryStaff) {
    put_symbol(1301, kStroke);
    layout::StaffTables.StaffScale(3) = 50.0f;
    layout::StaffTables.CurrentStaff = 3;
    core::IntParamBuffer(1) = 13;
    core::IntParamBuffer(2) = 3;
    draw_library_symbol(0.0f, 0.0f, 1301, 1.0f, 1.0f, 0, 0.0f, 0);
    auto pts = path_points();
    ASSERT_EQ(pts.size(), 2u);
    // size x = 25 / 50; x 0.3 for the library range; staff scale 50.
    EXPECT_EQ(pts[1].x, static_cast<float>(core::int_of(50.0f * 0.5f * 0.3f * 100.0f)));
    EXPECT_EQ(pts[1].y, static_cast<float>(core::int_of(50.0f * 1.0f * 0.3f * 40.0f)));

    clear_path();
    core::IntParamBuffer(1) = 1;  // never under a note
    draw_library_symbol(0.0f, 0.0f, 1301, 1.0f, 1.0f, 0, 0.0f, 0);
    core::IntParamBuffer(1) = 13;  // nor on the metrics pass when IP11 asks so
    core::IntParamBuffer(11) = 1;
    render::OutputPassWord = 0;
    draw_library_symbol(0.0f, 0.0f, 1301, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(path_points().empty());
}

TEST_F(SymbolTest, TheDrawersOfCodes3_7_9And13AreRegisteredByTheReset) {
    core::reset_engine();
    for (int32_t code : {3, 7, 9, 13}) EXPECT_NE(render::registered_item_drawer(code), nullptr);
    EXPECT_EQ(render::registered_item_drawer(9), render::registered_item_drawer(13));
    EXPECT_EQ(render::SymbolCache.count, 0);
}
