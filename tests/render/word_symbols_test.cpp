// Word symbols (the built-in words and the lines of "CODE9.DAT"), drawn through the text
// drawer's hook.
#include <fstream>

#include "engine/core/settings_tables.h"
#include "tests/render/symbol_fixture.h"

using render::draw_library_symbol;

class WordSymbolTest : public SymbolTest {
  protected:
    void write_code9(const std::string& text) {
        const auto path = folder_ / "CODE9.DAT";
        std::ofstream(path) << text;
        core::SymbolDataPath.set(path.string());
    }
};

TEST_F(WordSymbolTest, TheUsersCommandLineIsLeftAlone) {
    put_symbol(66, {{0, 0, 1}, {1, 1, 0}});
    render::OutputPassWord = -1;
    core::CommandLine.set("NOTE RHW 5");
    core::SecondLine.set("note rhw 5");
    draw_library_symbol(0.0f, 0.0f, 66, 2.0f, 3.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 1u);
    EXPECT_EQ(g_hooks.texts[0].text, "pizz.");
    EXPECT_EQ(core::CommandLine.trimmed(), "NOTE RHW 5");
    EXPECT_EQ(core::SecondLine.trimmed(), "note rhw 5");
}

TEST_F(WordSymbolTest, BuiltInWordsOffTheMetricsPass) {
    put_symbol(66, {{0, 0, 1}, {1, 1, 0}});
    render::OutputPassWord = -1;
    core::ParamBuffer(6) = 2.0f;
    core::ParamBuffer(8) = 7.0f;
    draw_library_symbol(0.0f, 0.0f, 66, 2.0f, 3.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 1u);
    const TextCall& pizz = g_hooks.texts[0];
    EXPECT_EQ(pizz.text, "pizz.");
    EXPECT_EQ(pizz.p8, 1000.0f);
    EXPECT_EQ(pizz.ip8, 1000);
    EXPECT_FLOAT_EQ(pizz.p5, 1.05f);
    EXPECT_FLOAT_EQ(pizz.p6, 2.1f);
    EXPECT_FLOAT_EQ(pizz.p7, 3.15f);
    EXPECT_TRUE(path_points().empty());
    EXPECT_EQ(core::ParamBuffer(8), 7.0f);  // P5..P16 come back
    EXPECT_EQ(core::ParamBuffer(6), 2.0f);

    // Below 50: the item's own sizes, no stretch, 0.6 blank extra; font 1002.
    draw_library_symbol(0.0f, 0.0f, 45, 5.0f, 5.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 2u);
    const TextCall& octave = g_hooks.texts[1];
    EXPECT_EQ(octave.text, "8va");
    EXPECT_EQ(octave.p8, 1002.0f);
    EXPECT_EQ(octave.p5, 0.0f);
    EXPECT_FLOAT_EQ(octave.p10, 0.6f);
    EXPECT_EQ(octave.p6, 2.0f);

    // The screen pass takes the words too; the metrics pass draws the drawing.
    render::OutputPassWord = 1;
    draw_library_symbol(0.0f, 0.0f, 81, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 3u);
    EXPECT_EQ(g_hooks.texts[2].text, "pi>>u");
    render::OutputPassWord = 0;
    draw_library_symbol(0.0f, 0.0f, 66, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(g_hooks.texts.size(), 3u);
    EXPECT_EQ(path_points().size(), 2u);
}

TEST_F(WordSymbolTest, GeneralPauseStandsAboveARestsStaff) {
    // A rest at P3 10 with P9 12 (its own column) and P14 4 (the font).
    set_params(
        {2.0f, 0.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 12.0f, 0.0f, 1.0f, 0.0f, 0.0f, 4.0f});
    core::IntParamBuffer(1) = 2;
    core::IntParamBuffer(14) = 4;
    draw_library_symbol(0.0f, 0.0f, 276, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 1u);
    const TextCall& gp = g_hooks.texts[0];
    EXPECT_EQ(gp.text, "G.P. ");
    EXPECT_EQ(gp.p8, 1004.0f);
    EXPECT_EQ(gp.p5, 0.0f);
    EXPECT_FLOAT_EQ(gp.origin_y, -27675.0f + 13.0f * 7.0f * 25.0f);  // (P11 + 12) steps up
    EXPECT_FLOAT_EQ(gp.origin_x, (12.0f - 3.15f) * 150.0f);
    EXPECT_EQ(core::ParamBuffer(9), 12.0f);

    // Other items start from P3.
    core::IntParamBuffer(1) = 9;
    draw_library_symbol(0.0f, 0.0f, 276, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_FLOAT_EQ(g_hooks.texts[1].origin_x, (10.0f - 3.15f) * 150.0f);
}

TEST_F(WordSymbolTest, TextSymbolsComeFromCode9Dat) {
    write_code9(
        "% tempo words\n"
        "3000 Allegro\n"
        "\n"
        " 3001 skipped: begins with a blank\n"
        "3001 Andante con moto   \n"
        "30\n");
    core::ParamBuffer(16) = 0.9f;
    core::ParamBuffer(17) = 2.0f;
    draw_library_symbol(0.0f, 0.0f, 3001, 2.0f, 0.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 1u);
    EXPECT_EQ(g_hooks.texts[0].text, "Andante con moto");
    EXPECT_FLOAT_EQ(g_hooks.texts[0].p5, 0.9f);  // P16, else 1.05
    EXPECT_FLOAT_EQ(g_hooks.texts[0].p10, 2.0f);
    EXPECT_FLOAT_EQ(g_hooks.texts[0].p6, 2.1f);
    EXPECT_FLOAT_EQ(g_hooks.texts[0].p7, 2.1f);
    EXPECT_EQ(render::TextSymbolPool.count, 3);
    EXPECT_EQ(render::text_symbol_text(3000), "Allegro");
    EXPECT_EQ(render::text_symbol_text(3002), "");  // a line of five characters or fewer

    // A number without an entry draws an empty text; the file is not read again.
    std::filesystem::remove(folder_ / "CODE9.DAT");
    draw_library_symbol(0.0f, 0.0f, 3099, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 2u);
    EXPECT_EQ(g_hooks.texts[1].text, "");
    EXPECT_EQ(render::text_symbol_text(3000), "Allegro");
}

TEST_F(WordSymbolTest, AMissingCode9DatDrawsNothingAndIsTriedAgain) {
    core::SymbolDataPath.set((folder_ / "CODE9.DAT").string());
    draw_library_symbol(0.0f, 0.0f, 3000, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(g_hooks.texts.empty());
    EXPECT_EQ(core::SymbolDataLoaded, 0);
    write_code9("3000 Presto\n");
    draw_library_symbol(0.0f, 0.0f, 3000, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 1u);
    EXPECT_EQ(g_hooks.texts[0].text, "Presto");
}

TEST_F(WordSymbolTest, ThePoolKeepsOnlyEntriesThatFitWhole) {
    std::string lines;
    for (int k = 0; k < 80; ++k)
        lines += "30xx " + std::string(9, static_cast<char>('a' + k % 26)) + "\n";
    write_code9(lines);
    ASSERT_TRUE(render::load_text_symbols());
    EXPECT_EQ(render::TextSymbolPool.count, 69);  // 69 x 9 = 621 characters fit

    core::SymbolDataLoaded = 0;
    lines = "30xx " + std::string(150, 'x') + "\n";
    for (int k = 0; k < 6; ++k) lines += lines.substr(0, 156);
    write_code9(lines);
    ASSERT_TRUE(render::load_text_symbols());
    EXPECT_EQ(render::TextSymbolPool.count, 4);  // the fifth 150-character entry passes 699
    EXPECT_EQ(render::text_symbol_text(3003).size(), 150u);
}

TEST_F(WordSymbolTest, TheShippedCode9DatIsReadAsWritten) {
    const char* home = std::getenv("ORMEST_HOME");
    const auto path = std::filesystem::path(home == nullptr ? "" : home) / "mxlib" / "CODE9.DAT";
    if (home == nullptr || !std::filesystem::exists(path)) GTEST_SKIP() << "no data folder";
    core::SymbolDataPath.set(path.string());
    draw_library_symbol(0.0f, 0.0f, 3000, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(g_hooks.texts.size(), 1u);
    EXPECT_EQ(g_hooks.texts[0].text, "legato");
    EXPECT_GT(render::TextSymbolPool.count, 1);
}
