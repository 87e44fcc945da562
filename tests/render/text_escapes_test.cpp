// The escape decoder: codes, widths, the font in force, the bounds of the caller's text and of
// TextCodeList, and the character maps back to Windows-1252.
#include <string>

#include "tests/render/text_fixture.h"

using render::decode_text_escapes;

class TextEscapeTest : public TextTest {
  protected:
    // Decodes text with P6 1 on staff 1 (scale 25) in the given pass.
    std::vector<int32_t> decode(const std::string& text, int32_t pass = 1) {
        render::OutputPassWord = pass;
        core::ParamBuffer(2) = 1.0f;
        core::ParamBuffer(6) = 1.0f;
        decode_text_escapes(text, static_cast<int32_t>(text.size()));
        return codes();
    }
};

TEST_F(TextEscapeTest, WorkedExamplesGiveTheirCodes) {
    // A, the acute accent (two less-than signs) and e; the list opens with the font in force.
    EXPECT_EQ(decode("A<<e"), (std::vector<int32_t>{1000, 10, 83, 44}));
    // An underbar and two digits switch fonts; a second underbar asks for the outline form.
    EXPECT_EQ(decode("_05"), (std::vector<int32_t>{1005}));
    EXPECT_EQ(render::CurrentFontNumber, 5);
    EXPECT_EQ(decode("__05"), (std::vector<int32_t>{1105}));
    EXPECT_EQ(render::CurrentFontNumber, 105);
    // A move to 3.5 P3 units, then X.
    EXPECT_EQ(decode("_00~3.5~X"), (std::vector<int32_t>{1000, 10035, 33}));
    // The slash escape is drawn as font 27; 90..93 and 98 are renumbered; "_99" on screen is 4.
    EXPECT_EQ(decode("_/990000a"), (std::vector<int32_t>{1990000, 40}));
    EXPECT_EQ(render::CurrentFontNumber, 27);
    EXPECT_EQ(decode("_91_98_99"), (std::vector<int32_t>{1025, 1029, 1004}));
    EXPECT_EQ(decode("_99", -1), (std::vector<int32_t>{1099}));
}

TEST_F(TextEscapeTest, SpecialSymbolsAndTildesDependOnThePass) {
    EXPECT_EQ(decode("_00?1?d?z"), (std::vector<int32_t>{1000, 80, 162, 68, 65}));
    // "!a": the symbol 115 in PostScript and while measuring, 167 on screen.
    EXPECT_EQ(decode("_00!a", -1), (std::vector<int32_t>{1000, 115}));
    EXPECT_EQ(decode("_00!a", 1), (std::vector<int32_t>{1000, 167}));
    // "~n": one code 97 in PostScript, the tilde accent and n on screen.
    EXPECT_EQ(decode("_00~n", -1), (std::vector<int32_t>{1000, 97}));
    EXPECT_EQ(decode("_00~n", 1), (std::vector<int32_t>{1000, 126, 53}));
    // "//065": character 65 on screen, special code -65 in PostScript.
    EXPECT_EQ(decode("_00//065", 1), (std::vector<int32_t>{1000, 10}));
    EXPECT_EQ(decode("_00//065", -1), (std::vector<int32_t>{1000, -65}));
    // Doubled quotes: 77, or 110 in an outline font.
    EXPECT_EQ(decode("_00\"\""), (std::vector<int32_t>{1000, 77}));
    EXPECT_EQ(decode("__00\"\""), (std::vector<int32_t>{1100, 110}));
    // A tilde number without its closing tilde: the tilde is skipped.
    EXPECT_EQ(decode("_00~12"), (std::vector<int32_t>{1000, 1, 2}));
    EXPECT_EQ(decode("_00~12.5~"), (std::vector<int32_t>{1000, 10125}));
}

TEST_F(TextEscapeTest, TheListStartsWithTheFontInForce) {
    render::CurrentFontNumber = 7;
    render::LoadedFont.number = 7;  // as the page redraw leaves it after a text in font 7
    EXPECT_EQ(decode("Hi"), (std::vector<int32_t>{1007, 17, 48}));
    // Without any metrics loaded the body font 0 is used.
    render::LoadedFont.number = -1;
    render::CurrentFontNumber = -1;
    EXPECT_EQ(decode("Hi"), (std::vector<int32_t>{1000, 17, 48}));
    // P8 of 1000 + f (the word symbols) names the font itself.
    core::ParamBuffer(8) = 1002.0f;
    EXPECT_EQ(decode("Hi"), (std::vector<int32_t>{1002, 17, 48}));
    // An empty text still names its font.
    EXPECT_EQ(decode(""), (std::vector<int32_t>{1002}));
}

TEST_F(TextEscapeTest, WidthsComeFromTheMetricFile) {
    const std::vector<float> w0 = metric_widths(0);
    const std::vector<float> w5 = metric_widths(5);
    const float factor = 3.2833f;  // at size 1 on a staff of scale 25
    decode("_00AB");
    EXPECT_NEAR(core::ParamBuffer(13), (w0[10] + w0[11]) * factor, 1e-4f);
    EXPECT_FLOAT_EQ(render::TextCodeList.width(2), w0[10] * factor);
    // A font change in the middle measures the rest in the new font; accents are zero-width.
    decode("A_05A<<e");
    EXPECT_NEAR(core::ParamBuffer(13), (w0[10] + w5[10] + w5[44]) * factor, 1e-4f);
    // Blanks take P10 x S more; P5 stretches the sum; the size scales it (remainder by 100).
    core::ParamBuffer(10) = 0.5f;
    core::ParamBuffer(5) = 2.0f;
    core::ParamBuffer(6) = 102.0f;
    render::OutputPassWord = 1;
    decode_text_escapes("_00A A", 6);
    EXPECT_NEAR(core::ParamBuffer(13), 2.0f * (2.0f * (2 * w0[10] + w0[94]) * factor + 2 * 0.5f),
                1e-3f);
}

TEST_F(TextEscapeTest, TheCallersTextIsOnlyRead) {
    // The text ends at n: the look-ahead sees a blank, never the byte after it.
    const std::string buffer = "A<<";
    const std::string before = buffer;
    decode_text_escapes(buffer, 2);
    EXPECT_EQ(codes(), (std::vector<int32_t>{1000, 10, 138}));
    EXPECT_EQ(buffer, before);
    // A count beyond the text is held to the text.
    decode_text_escapes(std::string_view(buffer.data(), 1), 40);
    EXPECT_EQ(codes(), (std::vector<int32_t>{1000, 10}));
    // An underbar at the very end is a missing font number, not a read past the text.
    core::SecondLine.set("rm 100");
    decode_text_escapes("_0", 2);
    EXPECT_EQ(codes(), (std::vector<int32_t>{1029}));
}

TEST_F(TextEscapeTest, ALongLineKeepsItsFirst512Codes) {
    const std::string text(700, 'a');
    decode(text);
    EXPECT_EQ(render::TextCodeList.count, render::kTextCodes);
    EXPECT_EQ(render::TextCodeList.code(512), 40);
    const std::vector<float> w0 = metric_widths(0);
    EXPECT_NEAR(core::ParamBuffer(13), 511 * w0[40] * 3.2833f, 0.05f);
}

TEST_F(TextEscapeTest, AMissingFontNumberIsReportedUnlessInsideRM) {
    core::ItemCount = 11;
    decode("_x1A");
    EXPECT_EQ(codes(), (std::vector<int32_t>{1029, 10}));
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0],
              "***ERROR - font number missing after underbar***\r\nItem =  12");
    core::SecondLine.set("RM 120");
    decode("_x1A");
    EXPECT_EQ(fe_.message_boxes.size(), 1u);
    // A style-font item does not decode underbars: they become a change the drawing replaces.
    core::ParamBuffer(8) = 94.0f;
    EXPECT_EQ(decode("_05a"), (std::vector<int32_t>{1100, 40}));
}

TEST_F(TextEscapeTest, CodesMapBackToWindows1252) {
    using render::accented_char;
    using render::screen_char_of_code;
    EXPECT_EQ(accented_char(83, 44), 0xE9);   // e acute
    EXPECT_EQ(accented_char(87, 12), 0xC7);   // C cedilla
    EXPECT_EQ(accented_char(126, 53), 0xF1);  // n tilde
    EXPECT_EQ(accented_char(87, 44), 'e');    // no e cedilla: the plain letter
    EXPECT_EQ(screen_char_of_code(10), 'A');
    EXPECT_EQ(screen_char_of_code(-149), 0xA9);  // copyright, looked up by its absolute value
    EXPECT_EQ(screen_char_of_code(167), 'X');
    EXPECT_EQ(screen_char_of_code(132), '#');
    EXPECT_EQ(screen_char_of_code(139), '>');
    EXPECT_EQ(render::ordinary_char_of_code(77), '"');
    EXPECT_EQ(render::ordinary_char_of_code(140), '@');
}
