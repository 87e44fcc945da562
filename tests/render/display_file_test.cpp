// The display file: the item dump ("DPY.TMP") and the drawing dump ("DRW.TMP") in the work
// folder, read back as text.
#include "engine/render/page/display_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/render/render_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> read_lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Draws a wide path: from the origin 1000 right and 500 down, then the same point again.
void draw_wide_path() {
    const float x = render::ItemDrawOrigin.x;
    const float y = render::ItemDrawOrigin.y;
    render::add_path_point(x, y, 1);
    render::add_path_point(x + 1000.0f, y - 500.0f, 0);
    render::add_path_point(x + 1000.0f, y - 500.0f, 0);
    render::add_path_point(x + 800.0f, y, 0);
}

}  // namespace

class DisplayFileTest : public RenderTest {
  protected:
    TempFolder temp_{"display_file"};
    std::filesystem::path file(const char* name) const { return temp_.work() / name; }
};

TEST_F(DisplayFileTest, TheItemDumpOfAnEmptyPageHoldsTheOneStartWord) {
    core::ParamBuffer(2) = -1.0f;
    ASSERT_TRUE(render::write_display_file());
    const auto lines = read_lines(file("DPY.TMP"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "    1");
    EXPECT_EQ(lines[1], " ");
    EXPECT_FALSE(std::filesystem::exists(file("DRW.TMP")));
}

TEST_F(DisplayFileTest, TheItemDumpListsStartWordsParametersAndText) {
    // Nine plain items make ten start words: exactly one full line.
    for (int k = 1; k <= 8; ++k) add_item({4.0f, 1.0f, static_cast<float>(k), 2.5f, 0.0f});
    std::vector<float> text = {16.0f, 1.0f, 10.0f, 3.0f, 0, 0, 0, 0, 0, 0, 0, 5.0f, 0.0f};
    float chars = 0.0f;
    std::memcpy(&chars, "Hell", 4);
    text.push_back(chars);
    std::memcpy(&chars, "o   ", 4);
    text.push_back(chars);
    add_item(text);
    core::ParamBuffer(2) = -1.0f;
    ASSERT_TRUE(render::write_display_file());
    const auto lines = read_lines(file("DPY.TMP"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "    1    7   13   19   25   31   37   43   49   65");
    EXPECT_EQ(lines[1], " ");
    EXPECT_EQ(lines[2], " 1)");
    EXPECT_EQ(lines[3], "    4.000    1.000    1.000    2.500    0.000");
    EXPECT_EQ(lines[4], " ");
    // The text item: 13 parameters on two lines, then its five characters.
    const auto at = std::find(lines.begin(), lines.end(), " 9)");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at + 1),
              "   16.000    1.000   10.000    3.000    0.000    0.000    0.000    0.000");
    EXPECT_EQ(*(at + 2), "    0.000    0.000    0.000    5.000    0.000");
    EXPECT_EQ(*(at + 3), "Hello");
    EXPECT_EQ(*(at + 4), " ");
    EXPECT_EQ(at + 5, lines.end());
}

TEST_F(DisplayFileTest, TheDrawingDumpIsRelativeScaledAndSkipsRepeats) {
    render::register_item_drawer(4, draw_wide_path);
    add_item({4.0f, 0.0f, 10.0f, 0.0f});
    add_item({4.0f, 0.0f, 20.0f, 0.0f});
    core::ParamBuffer(2) = 2.0f;  // the second item alone
    core::ParamBuffer(3) = 0.0f;
    render::OutputPassWord = 0;
    ASSERT_TRUE(render::write_display_file());
    EXPECT_EQ(render::OutputPassWord, 0);
    EXPECT_EQ(render::PathPointList.count, 1);
    const auto lines = read_lines(file("DRW.TMP"));
    // 1000 across is scaled to 400: y -500 (the list's y) becomes -200.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "      0      0      1");
    EXPECT_EQ(lines[1], "    400   -200      0");
    EXPECT_EQ(lines[2], "    320      0      0");
}

TEST_F(DisplayFileTest, TheDrawingDumpKeepsNarrowDrawingsUnscaledAndHoldsTheRange) {
    render::register_item_drawer(4, draw_two_points);
    add_item({4.0f, 0.0f, 1.0f, 0.0f});
    add_item({4.0f, 0.0f, 2.0f, 0.0f});
    core::ParamBuffer(2) = 0.0f;   // 0 to 0: every item
    core::ParamBuffer(3) = 99.0f;  // beyond the store: held to its last item
    ASSERT_TRUE(render::write_display_file());
    const auto lines = read_lines(file("DRW.TMP"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "    100      0      0");
    EXPECT_EQ(lines[2], "    150      0      1");  // exactly 250 across: not scaled
    EXPECT_EQ(lines[3], "    250      0      0");
    EXPECT_EQ(core::ItemCount, 2);
}
