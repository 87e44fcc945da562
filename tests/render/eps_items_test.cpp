// EPS items (code 15): the bounding box read from the file into the item, the name question,
// the outline on screen, and the PostScript wrapper with the file's text copied into it.
#include "engine/render/page/eps_items.h"

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/render_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> g_ps;
void record_ps_line(std::string_view line) { g_ps.emplace_back(line); }
void page_values(render::RenderHooksRecord::EpsPageValues& v) {
    v.points_per_unit = 0.018f;
    v.left_margin = 10.0f;
    v.bottom_margin = 20.0f;
    v.staff_base_points = 100.0f;
}

// A name as the item keeps it: 32 words of four characters, blank-padded.
std::vector<float> name_words(const std::string& name) {
    std::string padded = name;
    padded.resize(render::kEpsNameChars, ' ');
    std::vector<float> words(render::kEpsNameChars / 4);
    std::memcpy(words.data(), padded.data(), padded.size());
    return words;
}

// A code 15 item on staff 0 at P3 = 10 with P5.. as given up to P13, then the name.
std::vector<float> eps_item(std::vector<float> p5_to_p13, const std::string& name) {
    std::vector<float> p = {15.0f, 0.0f, 10.0f, 0.0f};
    p5_to_p13.resize(9, 0.0f);
    p.insert(p.end(), p5_to_p13.begin(), p5_to_p13.end());
    if (!name.empty()) {
        const auto words = name_words(name);
        p.insert(p.end(), words.begin(), words.end());
    }
    return p;
}

float stored(int32_t item, int32_t j) { return core::ItemStore(core::ItemStartTable(item) + j); }

std::string stored_name(int32_t item) {
    std::string chars(render::kEpsNameChars, ' ');
    std::memcpy(chars.data(), core::ItemStore.at(core::ItemStartTable(item) + 14), chars.size());
    while (!chars.empty() && chars.back() == ' ') chars.pop_back();
    return chars;
}

constexpr float kX0 = 1500.0f;  // P3 10

// Answers the name dialog in both buffers, as a front-end that takes long names does.
class LongNameFrontEnd : public NoticeFrontEnd {
  public:
    int RunEpsFileNameDialog() override {
        core::FrontEndPathBuffer.set(answer);
        core::FrontEndCommandBuffer.set(answer.substr(0, 48));
        return 1;
    }
    std::string answer;
};

}  // namespace

class EpsItemTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_eps_drawers();
        g_ps.clear();
        render::RenderHooks.write_ps_line = record_ps_line;
        render::OutputPassWord = 1;
        folder_.enter();
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        RenderTest::TearDown();
    }
    void write_file(const std::string& name, const std::string& text) const {
        std::ofstream(folder_.root() / name, std::ios::binary) << text;
    }
    // Draws item 1 alone (as the redraw does) and returns its points.
    std::vector<PathPoint> draw_item(int32_t item = 1) {
        const int32_t count = core::ItemCount;
        const int32_t s = core::ItemStartTable(item);
        const int32_t n = core::int_of(core::ItemStore(s));
        core::ParamBuffer.fill(0.0f);
        for (int32_t j = 1; j <= n; ++j) core::ParamBuffer(j) = core::ItemStore(s + j);
        core::ItemCount = item;
        render::PathPointList.count = 1;
        render::draw_item_by_code();
        core::ItemCount = count;
        return path_list();
    }

    TempFolder folder_{"ormest_eps"};
};

TEST_F(EpsItemTest, AtendBoxFromTheTrailerGivesAFullSizeOutlineWithDiagonals) {
    write_file("pic.eps",
               "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n0 0 moveto 200 100 lineto "
               "stroke\n%%Trailer\n%%BoundingBox: 0 0 200 100\n%%EOF\n");
    add_item(eps_item({0, 0, 0, 0, 0, 0, 0, 0, 1.0f}, ""));
    fe_.answer_dialog(1, "pic");
    core::ChangesMadeFlag = 0;
    const auto points = draw_item();

    EXPECT_EQ(stored_name(1), "pic.EPS");  // kept as typed, found as "pic.eps"
    EXPECT_EQ(stored(1, 7), 0.0f);
    EXPECT_EQ(stored(1, 8), 0.0f);
    EXPECT_EQ(stored(1, 9), 200.0f);
    EXPECT_EQ(stored(1, 10), 100.0f);
    EXPECT_EQ(stored(1, 11), -9999.0f);
    EXPECT_EQ(stored(1, 13), 0.0f);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_TRUE(fe_.message_boxes.empty());

    const int32_t x0 = 1500, y0 = -27675, x1 = x0 + 11000, y1 = y0 + 5500;
    const std::vector<PathPoint> want = {{x0, y0, 1}, {x0, y1, 0}, {x1, y1, 0}, {x1, y0, 0},
                                         {x0, y0, 0}, {x1, y1, 0}, {x0, y1, 1}, {x1, y0, 0}};
    EXPECT_EQ(points, want);
}

TEST_F(EpsItemTest, ABoxLineTakesItsFirstFourNumbersAndLeavesTheRestOfTheItem) {
    write_file("many.eps", "%%BoundingBox: 1 2 303 404 5 6 7 8 9 10 11 12\nnewpath\n");
    // P12 = 0.5 degrees, P13 = 0, then the name: none of them may change.
    add_item(eps_item({2.0f, 0, 0, 0, 0, 0, 0, 0.5f, 0.0f}, "many.eps"));
    draw_item();
    EXPECT_EQ(stored(1, 7), 1.0f);
    EXPECT_EQ(stored(1, 8), 2.0f);
    EXPECT_EQ(stored(1, 9), 303.0f);
    EXPECT_EQ(stored(1, 10), 404.0f);
    EXPECT_EQ(stored(1, 11), -9999.0f);
    EXPECT_EQ(stored(1, 12), 0.5f);
    EXPECT_EQ(stored(1, 13), 0.0f);
    EXPECT_EQ(stored(1, 5), 2.0f);
    EXPECT_EQ(stored_name(1), "many.eps");
    EXPECT_EQ(core::int_of(core::ItemStore(core::ItemStartTable(1))), render::kEpsItemWords);
}

TEST_F(EpsItemTest, BoxReadingSkipsShortBoxLinesAndKeepsAReadBox) {
    write_file("a.eps", "%%BoundingBox: 5 5\n%%BoundingBox: -1 -2.5 30 40\n");
    add_item(eps_item({}, "a.eps"));
    draw_item();
    EXPECT_EQ(stored(1, 7), -1.0f);
    EXPECT_EQ(stored(1, 8), -2.5f);
    EXPECT_EQ(stored(1, 10), 40.0f);
    // Once read, the box is not read again: the file's new box does not change the item.
    write_file("a.eps", "%%BoundingBox: 0 0 1 1\n");
    draw_item();
    EXPECT_EQ(stored(1, 9), 30.0f);
}

TEST_F(EpsItemTest, AMissingFileIsToldOnceAndTheItemKeepsItsLastBox) {
    add_item(eps_item({1.0f, 0, 0, 0, 20.0f, 10.0f, -9999.0f}, "gone.eps"));
    const auto first = draw_item();
    draw_item();
    render::redraw_items();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_NE(fe_.message_boxes[0].find("gone.eps"), std::string::npos);
    ASSERT_EQ(first.size(), 8u);
    EXPECT_EQ(first[2], (PathPoint{1500 + 55 * 20, -27675 + 55 * 10, 0}));
    // Found again, then lost again: told again.
    write_file("gone.eps", "%%BoundingBox: 0 0 20 10\n");
    draw_item();
    std::filesystem::remove(folder_.root() / "gone.eps");
    draw_item();
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
}

TEST_F(EpsItemTest, WithoutABoxTheItemIsAPlainRectangleOfItsScales) {
    add_item(eps_item({0, 0}, ""));
    const auto points = draw_item();
    const int32_t x0 = 1500, y0 = -27675, side = 175 * 3;
    const std::vector<PathPoint> want = {{x0, y0, 1},
                                         {x0, y0 + side, 0},
                                         {x0 + side, y0 + side, 0},
                                         {x0 + side, y0, 0},
                                         {x0, y0, 0}};
    EXPECT_EQ(points, want);
}

TEST_F(EpsItemTest, AFileMovedBesideTheDocumentIsFoundByItsFilePart) {
    std::filesystem::create_directory(folder_.root() / "doc");
    std::ofstream(folder_.root() / "doc" / "Fig.eps") << "%%BoundingBox: 0 0 10 10\n";
    core::CurrentFileName.set((folder_.root() / "doc" / "page.mus").string());
    add_item(eps_item({}, "C:\\old\\place\\fig.eps"));
    draw_item();
    EXPECT_EQ(stored(1, 9), 10.0f);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(EpsItemTest, NamesUpToTheItemsCharactersAreTakenWholeLongerOnesRefused) {
    LongNameFrontEnd fe;
    core::set_front_end(&fe);
    const std::string stem(124, 'n');  // with ".EPS" exactly 128 characters
    write_file(stem + ".eps", "%%BoundingBox: 0 0 4 4\n");
    add_item(eps_item({0, 0, 0, 0, 0, 0, 0, 0, 1.0f}, ""));
    fe.answer = stem;
    draw_item();
    EXPECT_EQ(stored_name(1), stem + ".EPS");
    EXPECT_EQ(stored(1, 9), 4.0f);
    EXPECT_TRUE(fe.message_boxes.empty());

    // One more character: refused, and the item keeps its name.
    core::ItemStore(core::ItemStartTable(1) + 13) = 1.0f;
    fe.answer = stem + "x";
    draw_item();
    EXPECT_EQ(stored_name(1), stem + ".EPS");
    EXPECT_EQ(stored(1, 13), 0.0f);
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_NE(fe.message_boxes[0].find("128"), std::string::npos);
    core::set_front_end(&fe_);
}

TEST_F(EpsItemTest, ANameWithoutAFileIsToldAndMarkedAndCancelChangesNothing) {
    add_item(eps_item({0, 0, 0, 0, 0, 0, 0, 0, 1.0f}, "old.eps"));
    fe_.answer_dialog(2);
    draw_item();
    EXPECT_EQ(stored_name(1), "old.eps");
    EXPECT_EQ(stored(1, 13), 0.0f);

    core::ItemStore(core::ItemStartTable(1) + 13) = 1.0f;
    fe_.answer_dialog(1, "dir/none.ps");
    draw_item();
    EXPECT_EQ(stored_name(1), "dir/none.ps");  // has an extension: none added
    EXPECT_EQ(stored(1, 13), -1.0f);
    // old.eps was told missing once, then the new name.
    ASSERT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_EQ(fe_.message_boxes[1].rfind("File not found --> dir/none.ps", 0), 0u);
    draw_item();  // the drawing after it does not tell again
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
}

TEST_F(EpsItemTest, PostScriptPassWrapsTheFileAndCopiesLongLinesWhole) {
    const std::string long_line = "% " + std::string(10, 'x') + " " + std::string(300, 'y');
    const std::string code(290, 'z');
    write_file("w.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 200 100\r\n" + code +
                            "   \r\n" + long_line + "\nshowpage\n");
    render::RenderHooks.eps_page_values = page_values;
    add_item(eps_item({2.0f, 0, 0, 0, 200.0f, 100.0f, -9999.0f, 90.0f}, "w.eps"));
    render::OutputPassWord = -1;
    draw_item();
    const std::vector<std::string> want = {
        " r g /--sav2-- save def /showpage { } def",
        "  % -- START USER-ADDED POSTSCRIPT CODE --",
        "   37.000  120.000 tr",  // 10 + 1500 x 0.018, 20 + 100 + 0
        "  -90.00 rotate",
        "    2.000    2.000 scale",
        "   -0.000   -0.000 tr",
        " " + code,
        " showpage",
        " --sav2-- restore r g",
        "  % -- END USER-ADDED POSTSCRIPT CODE --",
        "",
        " KELDA"};
    ASSERT_EQ(g_ps.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (i == 5) continue;  // the sign of a zero is the formatter's
        EXPECT_EQ(g_ps[i], want[i]) << i;
    }
    EXPECT_EQ(g_ps[6].size(), 291u);
    EXPECT_TRUE(path_list().empty());
}

TEST_F(EpsItemTest, AFragmentWithoutABoxGetsThePageValuesAndItsParameters) {
    write_file("frag.ps", "0 0 moveto\n");
    add_item(eps_item({0, 0, 0, 0, 0, 0, 0, 0, 0}, "frag.ps"));
    core::ItemStore(core::ItemStartTable(1) + 4) = 2.0f;  // P4
    render::OutputPassWord = -1;
    draw_item();
    ASSERT_EQ(g_ps.size(), 2u + 3 + 13 + 3 + 1 + 4);
    EXPECT_EQ(g_ps[2], " /globalsize   1.000 def  /lnwd   1.000 def");
    EXPECT_EQ(g_ps[3], " /loff   0.000 def  /boff   0.000 def");
    // Every value stands after a blank and every parameter has a name of its own.
    EXPECT_EQ(g_ps[4], " /stafflevel -27675 def  /pointslevel -498.150 def");
    EXPECT_EQ(g_ps[5], " /p1     15.000 def");
    EXPECT_EQ(g_ps[8], " /p4      2.000 def");
    EXPECT_EQ(g_ps[17], " /p13      0.000 def");
    EXPECT_EQ(g_ps[18], " /staffsize   1.000 def");
    EXPECT_EQ(g_ps[19], " /pp3     27.000 def  /pp4   -491.850 def");
    EXPECT_EQ(g_ps[20], " /pp5      1.000 def  /pp6      1.000 def");
    EXPECT_EQ(g_ps[21], " 0 0 moveto");
}
