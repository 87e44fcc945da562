// Text in the PostScript pass: what the text drawer writes on unit 24, checked line by line and
// run through Ghostscript, which must accept it and find the characters.
#include "engine/core/files/file_units.h"
#include "engine/render/page/page_redraw.h"
#include "tests/render/ghostscript.h"
#include "tests/render/text_fixture.h"
#include "tests/support/temp_folder.h"

class TextPostScriptTest : public TextTest {
  protected:
    void SetUp() override {
        TextTest::SetUp();
        if (IsSkipped()) return;
        ps_ = dir_ / "out.ps";
        ASSERT_TRUE(
            core::open_unit(24, ps_.string(), core::UnitStatus::Unknown, core::UnitForm::Text));
        render::begin_postscript_fonts();
        render::OutputPassWord = -1;
    }
    void TearDown() override {
        core::close_all_units();
        TextTest::TearDown();
    }

    // Everything written on unit 24 so far (the unit is closed).
    std::vector<std::string> written() {
        core::close_unit(24);
        return read_lines(ps_);
    }
    static std::string pad30(std::string name) {
        name.resize(30, ' ');
        return name;
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // Runs the lines through Ghostscript after a minimal prolog with the output's
    // abbreviations; returns what its text device extracted, or "Error: " and its messages.
    std::string run_ghostscript(const std::vector<std::string>& lines) {
        const auto doc = dir_ / "doc.ps";
        {
            std::ofstream out(doc);
            out << "%!PS\n"
                << "/m /moveto load def /l /lineto load def /tr /translate load def\n"
                << "/aw /awidthshow load def /e /eofill load def /s /stroke load def\n"
                << "/g /gsave load def /r /grestore load def /f /findfont load def\n"
                << "/sf /setfont load def /mkf /makefont load def /lw /setlinewidth load def\n"
                << "0.04 0.04 scale 1000 8000 translate\n";
            for (const std::string& line : lines) out << line << "\n";
            out << "showpage\n";
        }
        const GhostscriptRun gs = ::run_ghostscript(doc, "txtwrite");
        return gs.status == 0 && gs.err.empty() ? gs.out : "Error: " + gs.err + gs.out;
    }

    TempFolder temp_{"text_ps"};
    const std::filesystem::path& dir_ = temp_.root();
    std::filesystem::path ps_;
};

TEST_F(TextPostScriptTest, ATextBecomesFontLinesAndOneStringPerRun) {
    add_text_item({16, 1, 10, 2, 0, 1}, "A<<e_01Bold");
    draw_stored(1);
    EXPECT_EQ(text_length_, 0);  // nothing goes to the screen's stream
    const auto lines = written();
    // The prolog, then each font re-encoded and selected before its first string.
    EXPECT_TRUE(has(lines, "/ReE {"));
    const std::string size = core::format_real("(F10.3)", 25.0f * 0.25f * 110.206f);
    EXPECT_TRUE(has(lines, " /" + pad30("Times-Roman") + " /" + pad30("Times-Roman") + " acc ReE"));
    EXPECT_TRUE(
        has(lines, " /" + pad30("Times-Roman") + " f [" + size + " 0 0" + size + " 0 0] mkf sf"));
    EXPECT_TRUE(has(lines, "    1500     350 m save (A\\351) show restore"));
    const float wa = metric_widths(0)[10] * 3.2833f * 150.0f;
    const float we = metric_widths(0)[44] * 3.2833f * 150.0f;
    const std::string x = core::format_int("(1i8)", core::nint(1500.0f + wa + we));
    EXPECT_TRUE(has(lines, x + "     350 m save (Bold) show restore"));
    EXPECT_TRUE(has(lines, " /" + pad30("Times-Bold") + " /" + pad30("Times-Bold") + " acc ReE"));

    const std::string text = run_ghostscript(lines);
    EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    EXPECT_NE(text.find("A\xC3\xA9"), std::string::npos) << text;  // "Aé" in UTF-8
    EXPECT_NE(text.find("Bold"), std::string::npos) << text;
}

TEST_F(TextPostScriptTest, SpacingRotationAndOutlineForms) {
    // Extra space at blanks (P10 1): awidthshow with the blank extra in display units.
    add_text_item({16, 1, 10, 0, 0, 1, 0, 0, 0, 1.0f}, "_00a b");
    // Turned by 30 degrees: a gsave group with the rotation about the origin, closed after.
    add_text_item({16, 1, 20, 0, 0, 1, 0, 0, 30.0f}, "_00up");
    // The outline form of Times-Roman: a stroked charpath.
    add_text_item({16, 1, 30, 0}, "__00O");
    draw_stored(1);
    draw_stored(2);
    draw_stored(3);
    const auto lines = written();
    EXPECT_TRUE(has(lines, "    1500       0 m save   150.00 0 32     0.00 0 (a b) aw restore"));
    EXPECT_TRUE(has(lines, " g   3000      0 tr  -30.00 rotate  -3000      0 tr"));
    EXPECT_TRUE(has(lines, "    3000       0 m save (up) show restore"));
    EXPECT_TRUE(has(lines, " r"));
    bool outline = false;
    for (const std::string& line : lines) {
        if (line.find("    4500       0 m save (O) false charpath") == 0 &&
            line.find(" lw stroke restore") != std::string::npos) {
            outline = true;
        }
    }
    EXPECT_TRUE(outline);
    const std::string text = run_ghostscript(lines);
    EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    EXPECT_NE(text.find("up"), std::string::npos) << text;
}

TEST_F(TextPostScriptTest, ATurnedTextTurnsAboutWhereItIsWrittenOnEitherPage) {
    // Texts of staves up to 200 are written on the left-hand page, from 201 on 34050 display
    // units to the right; each turns about its own origin, never about a point on the other
    // page (staff 200, and a right-hand text starting left of that page's edge).
    for (int32_t staff : {199, 200, 201}) {
        layout::StaffTables.StaffBaseY(staff) = 0;
        layout::StaffTables.StaffScale(staff) = 25.0f;
    }
    add_text_item({16, 199, 20, 0, 0, 1, 0, 0, 30.0f}, "_00up");
    add_text_item({16, 200, 20, 0, 0, 1, 0, 0, 30.0f}, "_00on");
    add_text_item({16, 201, 20, 0, 0, 1, 0, 0, 30.0f}, "_00at");
    add_text_item({16, 201, -20, 0, 0, 1, 0, 0, 30.0f}, "_00in");
    for (int32_t k = 1; k <= 4; ++k) draw_stored(k);
    const auto lines = written();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         " g   3000      0 tr  -30.00 rotate  -3000      0 tr"),
              2);
    EXPECT_TRUE(has(lines, "    3000       0 m save (up) show restore"));
    EXPECT_TRUE(has(lines, "    3000       0 m save (on) show restore"));
    EXPECT_TRUE(has(lines, " g  37050      0 tr  -30.00 rotate -37050      0 tr"));
    EXPECT_TRUE(has(lines, "   37050       0 m save (at) show restore"));
    EXPECT_TRUE(has(lines, " g  31050      0 tr  -30.00 rotate -31050      0 tr"));
    EXPECT_TRUE(has(lines, "   31050       0 m save (in) show restore"));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with(" g "); }),
              4);
    const std::string text = run_ghostscript(lines);
    EXPECT_EQ(text.find("Error"), std::string::npos) << text;
}

TEST_F(TextPostScriptTest, ParenthesesAreEscapedInStrings) {
    add_text_item({16, 1, 10, 0}, "_00(a))");
    draw_stored(1);
    const auto lines = written();
    EXPECT_TRUE(has(lines, "    1500       0 m save (\\(a\\)\\)) show restore"));
    const std::string text = run_ghostscript(lines);
    EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    EXPECT_NE(text.find("(a))"), std::string::npos) << text;
}

TEST_F(TextPostScriptTest, AFailedWriteIsReportedOnceAndStopsTheText) {
    core::close_unit(24);
    add_text_item({16, 1, 10, 0}, "_00abc");
    draw_stored(1);
    draw_stored(1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Error writing PostScript to file or device.");
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
}
