// The width of a text line as the engine lays it out from the metric files agrees with the
// width the screen's face gives it (Qt's metrics of the URW face named in the record): both come
// from the same fonts, so they must agree within 2 per cent.
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>

#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "engine/render/text/text_items.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/bridge/display_lists.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

// One em of text at size 1 on a staff of scale 25, in display units: the size the PostScript
// output sets the text at (25 x 0.25 x 110.206), which the layout's widths follow.
constexpr double kEmDisplayUnits = 25.0 * 0.25 * 110.206;
constexpr int kPixelSize = 1000;

}  // namespace

class TextWidthTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
        bind_screen_lists();
        render::OutputPassWord = 1;
    }

    // Draws text in font P8 (1000 + f) at size 1 on staff 1; returns its width in display units
    // and leaves the records in the stream.
    double draw(const std::string& text, float font_code) {
        frontend::TextDisplayStreamLength = 0;
        core::ParamBuffer.fill(0.0f);
        core::IntParamBuffer.fill(0);
        core::ParamBuffer(1) = 9.0f;
        core::IntParamBuffer(1) = 9;
        core::ParamBuffer(2) = 1.0f;
        core::ParamBuffer(6) = 1.0f;
        core::ParamBuffer(8) = font_code;
        render::ItemDrawOrigin = {0.0f, 0.0f};
        render::draw_text_line(text);
        return core::ParamBuffer(13) * 150.0;
    }
};

TEST_F(TextWidthTest, ALineIsAsWideOnScreenAsItsMetricsSay) {
    struct Case {
        const char* text;
        float font;
    };
    const Case cases[] = {
        {"The quick brown fox jumps over the lazy dog.", 1000.0f},  // Times-Roman
        {"Allegro ma non troppo (dolce)", 1002.0f},                 // Times-Italic
        {"WAVE Mountain 1234567890", 1001.0f},                      // Times-Bold
        {"Sempre legato, quasi niente", 1005.0f},                   // Helvetica
        {"Tempo di Valse", 1006.0f},                                // Helvetica-Bold
    };
    for (const Case& c : cases) {
        const double layout = draw(c.text, c.font);
        const frontend::TextDecodeResult decoded =
            frontend::DecodeTextRecords(frontend::TextDisplayStream.data(),
                                        frontend::TextDisplayStreamLength, core::kTextStreamBytes);
        ASSERT_TRUE(decoded.complete) << c.text;
        ASSERT_EQ(decoded.records.size(), 1u) << c.text;
        const frontend::TextRecord& r = decoded.records[0];

        QFont font(QString::fromLatin1(r.face.c_str()));
        font.setPixelSize(kPixelSize);
        font.setWeight(static_cast<QFont::Weight>(r.weight));
        font.setItalic(r.italic != 0);
        // fontconfig may name the foundry after the family ("Nimbus Roman [urw]").
        EXPECT_TRUE(QFontInfo(font).family().startsWith(font.family()))
            << "the face " << r.face << " is not installed";
        const double screen = QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(c.text)) *
                              kEmDisplayUnits / kPixelSize;
        EXPECT_NEAR(screen / layout, 1.0, 0.02)
            << c.text << ": screen " << screen << ", metrics " << layout << " (" << r.face << ")";

        // Each character stands where the layout put it: the last one ends the line.
        std::string shown;
        for (const frontend::TextPiece& p : r.pieces) shown += p.text;
        std::string without_blanks = c.text;
        std::erase(without_blanks, ' ');
        EXPECT_EQ(shown, without_blanks);  // blanks are gaps, not characters
        const frontend::TextPiece& last = r.pieces.back();
        const double end =
            last.x + QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(last.text.c_str())) *
                         kEmDisplayUnits / kPixelSize;
        EXPECT_NEAR(end / layout, 1.0, 0.02) << c.text;
    }
}
