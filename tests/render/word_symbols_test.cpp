// Word symbols (the built-in words and the lines of "CODE9.DAT"), drawn by the text drawer:
// each word's records are checked against the same text drawn directly with the words the
// symbol should hand over.
#include <fstream>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/render/text/text_items.h"
#include "tests/render/symbol_fixture.h"

using render::draw_library_symbol;

class WordSymbolTest : public SymbolTest {
  protected:
    void write_code9(const std::string& text) {
        const auto path = folder_ / "CODE9.DAT";
        std::ofstream(path) << text;
        core::SymbolDataPath.set(path.string());
    }
    void SetUp() override {
        SymbolTest::SetUp();
        if (!fonts_) GTEST_SKIP() << "the words are text: the build's fonts are needed";
    }

    // Draws text with the text drawer itself, from the same origin, with the ParamBuffer of the
    // moment but for the given P5, P6, P7, P8 and P10 (P11 0, as the word drawer leaves it);
    // returns its records and takes them off the stream again.
    std::vector<ShownRecord> drawn_directly(const std::string& text, float p5, float p6, float p7,
                                            float p8, float p10) {
        const auto params = core::ParamBuffer;
        const auto int_params = core::IntParamBuffer;
        const auto origin = render::ItemDrawOrigin;
        for (auto [k, v] : {std::pair{5, p5}, {6, p6}, {7, p7}, {8, p8}, {10, p10}, {11, 0.0f}}) {
            core::ParamBuffer(k) = v;
            core::IntParamBuffer(k) = core::int_of(v);
        }
        const int32_t from = text_length_;
        render::draw_text_line(text);
        auto shown = shown_texts(from);
        text_length_ = from;
        core::ParamBuffer = params;
        core::IntParamBuffer = int_params;
        render::ItemDrawOrigin = origin;
        return shown;
    }
    // The records from byte `from` on are those of drawn_directly.
    void expect_drawn_as(int32_t from, const std::vector<ShownRecord>& expected) {
        const auto shown = shown_texts(from);
        ASSERT_EQ(shown.size(), expected.size());
        for (std::size_t r = 0; r < shown.size(); ++r) {
            SCOPED_TRACE(testing::Message() << "record " << r);
            EXPECT_EQ(shown[r].face, expected[r].face);
            EXPECT_EQ(shown[r].weight, expected[r].weight);
            EXPECT_EQ(shown[r].italic, expected[r].italic);
            EXPECT_FLOAT_EQ(shown[r].height, expected[r].height);
            EXPECT_FLOAT_EQ(shown[r].width, expected[r].width);
            EXPECT_EQ(shown[r].chars, expected[r].chars);
        }
    }
    // The text of the records from byte `from` on.
    std::string shown_text(int32_t from = 0) const {
        std::string text;
        for (const ShownRecord& r : shown_texts(from)) text += r.text();
        return text;
    }
};

TEST_F(WordSymbolTest, TheUsersCommandLineIsLeftAlone) {
    put_symbol(66, {{0, 0, 1}, {1, 1, 0}});
    core::CommandLine.set("NOTE RHW 5");
    core::SecondLine.set("note rhw 5");
    draw_library_symbol(0.0f, 0.0f, 66, 2.0f, 3.0f, 0, 0.0f, 0);
    EXPECT_EQ(shown_text(), "pizz.");
    EXPECT_EQ(core::CommandLine.trimmed(), "NOTE RHW 5");
    EXPECT_EQ(core::SecondLine.trimmed(), "note rhw 5");
}

TEST_F(WordSymbolTest, BuiltInWordsOffTheMetricsPass) {
    put_symbol(66, {{0, 0, 1}, {1, 1, 0}});
    core::ParamBuffer(6) = 2.0f;
    core::ParamBuffer(8) = 7.0f;
    render::ItemDrawOrigin = {3000.0f, 1400.0f};
    // Font 1000 (Times-Roman), stretch 1.05, the sizes x 1.05.
    const auto pizz = drawn_directly("pizz.", 1.05f, 2.1f, 3.15f, 1000.0f, 0.0f);
    draw_library_symbol(0.0f, 0.0f, 66, 2.0f, 3.0f, 0, 0.0f, 0);
    expect_drawn_as(0, pizz);
    const auto shown = shown_texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "pizz.");
    EXPECT_EQ(shown[0].face, "Nimbus Roman");
    EXPECT_EQ(shown[0].italic, 0);
    EXPECT_FLOAT_EQ(shown[0].width, 25.0f * 2.1f * 0.25f * 1.937f);
    EXPECT_FLOAT_EQ(shown[0].height, 25.0f * 3.15f * 0.25f * 1.937f);
    EXPECT_TRUE(path_points().empty());
    EXPECT_EQ(core::ParamBuffer(8), 7.0f);  // P5..P16 come back
    EXPECT_EQ(core::ParamBuffer(6), 2.0f);

    // Below 50: the sizes asked for (not the P6 and P7 of the item, which for an ottava are its
    // line's end and kind), no stretch, 0.6 blank extra; font 1002.
    int32_t from = text_length_;
    const auto octave = drawn_directly("8va", 0.0f, 5.0f, 5.0f, 1002.0f, 0.6f);
    draw_library_symbol(0.0f, 0.0f, 45, 5.0f, 5.0f, 0, 0.0f, 0);
    expect_drawn_as(from, octave);
    EXPECT_EQ(shown_text(from), "8va");
    EXPECT_EQ(shown_texts(from).at(0).italic, -1);

    // The PostScript pass takes the words too, the octave with its blank extra of 0.6 x 150
    // x size 5 (nothing of them reaches the path list); the metrics pass draws the drawing.
    ASSERT_TRUE(open_postscript_unit());
    render::OutputPassWord = -1;
    from = text_length_;
    draw_library_symbol(0.0f, 0.0f, 45, 5.0f, 5.0f, 0, 0.0f, 0);
    draw_library_symbol(0.0f, 0.0f, 81, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_TRUE(path_points().empty());
    EXPECT_EQ(text_length_, from);
    std::string octave_line;
    bool piu = false;
    for (const std::string& line : postscript_lines()) {
        if (line.find("(8va)") != std::string::npos) octave_line = line;
        if (line.find("(pi\\371)") != std::string::npos) piu = true;  // u grave
    }
    EXPECT_NE(octave_line.find("   450.00 0 32"), std::string::npos) << octave_line;
    EXPECT_TRUE(piu);
    render::OutputPassWord = 1;
    draw_library_symbol(0.0f, 0.0f, 81, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(shown_text(from), "pi\xF9");  // "pi>>u": u grave
    render::OutputPassWord = 0;
    from = text_length_;
    draw_library_symbol(0.0f, 0.0f, 66, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(text_length_, from);
    EXPECT_EQ(path_points().size(), 2u);
}

TEST_F(WordSymbolTest, GeneralPauseStandsAboveARestsStaff) {
    // A rest at P3 10 with P9 12 (its own column) and P14 4 (the font).
    set_params(
        {2.0f, 0.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 12.0f, 0.0f, 1.0f, 0.0f, 0.0f, 4.0f});
    core::IntParamBuffer(1) = 2;
    core::IntParamBuffer(14) = 4;
    // Drawn as text of font 1004 with no stretch and the sizes 1.05, from x (12 - 3.15) x 150
    // and (P11 + 12) steps above the staff's base (P9 is not the text's rotation).
    render::ItemDrawOrigin = {(12.0f - 3.15f) * 150.0f, -27675.0f + 13.0f * 7.0f * 25.0f};
    core::ParamBuffer(9) = 0.0f;
    const auto gp = drawn_directly("G.P. ", 0.0f, 1.05f, 1.05f, 1004.0f, 0.0f);
    core::ParamBuffer(9) = 12.0f;
    render::ItemDrawOrigin = {};
    draw_library_symbol(0.0f, 0.0f, 276, 1.0f, 1.0f, 0, 0.0f, 0);
    expect_drawn_as(0, gp);
    EXPECT_EQ(shown_text(), "G.P.");  // the blank shows nothing
    const auto shown = shown_texts();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].chars.at(0).x, render::ViewOrigin.x + core::nint((12.0f - 3.15f) * 150.0f));
    EXPECT_EQ(shown[0].chars.at(0).y,
              core::nint(-27675.0f + 13.0f * 7.0f * 25.0f) - render::ViewOrigin.y - 100);
    EXPECT_EQ(core::ParamBuffer(9), 12.0f);

    // Other items start from P3.
    const int32_t from = text_length_;
    core::IntParamBuffer(1) = 9;
    draw_library_symbol(0.0f, 0.0f, 276, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_FALSE(shown_texts(from).empty());
    EXPECT_EQ(shown_texts(from)[0].chars.at(0).x,
              render::ViewOrigin.x + core::nint((10.0f - 3.15f) * 150.0f));
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
    // P16 the stretch (else 1.05), P17 the blank extra; a height of 0 is the width.
    const auto andante =
        drawn_directly("Andante con moto", 0.9f, 2.1f, 2.1f, core::ParamBuffer(8), 2.0f);
    draw_library_symbol(0.0f, 0.0f, 3001, 2.0f, 0.0f, 0, 0.0f, 0);
    expect_drawn_as(0, andante);
    EXPECT_EQ(shown_text(), "Andanteconmoto");  // blanks show nothing
    EXPECT_FLOAT_EQ(shown_texts().at(0).height, 25.0f * 2.1f * 0.25f * 1.937f);
    EXPECT_EQ(render::TextSymbolPool.count, 3);
    EXPECT_EQ(render::text_symbol_text(3000), "Allegro");
    EXPECT_EQ(render::text_symbol_text(3002), "");  // a line of five characters or fewer

    // A number without an entry draws an empty text; the file is not read again.
    std::filesystem::remove(folder_ / "CODE9.DAT");
    const int32_t from = text_length_;
    draw_library_symbol(0.0f, 0.0f, 3099, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(shown_text(from), "");
    EXPECT_EQ(render::text_symbol_text(3000), "Allegro");
}

TEST_F(WordSymbolTest, AMissingCode9DatDrawsNothingAndIsTriedAgain) {
    core::SymbolDataPath.set((folder_ / "CODE9.DAT").string());
    draw_library_symbol(0.0f, 0.0f, 3000, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(text_length_, 0);
    EXPECT_EQ(core::SymbolDataLoaded, 0);
    write_code9("3000 Presto\n");
    draw_library_symbol(0.0f, 0.0f, 3000, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(shown_text(), "Presto");
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
