// Fonts through the engine's entry points: loading and substituting metric files, the style
// fonts, the text size and selection line, the re-encoding slots and the font prolog, checked
// on the lines written to the PostScript unit and, for whole documents, by Ghostscript.
#include "engine/render/text/fonts.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/binary_io.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"
#include "platform/paths.h"
#include "tests/render/ghostscript.h"
#include "tests/render/render_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

int count_containing(const std::vector<std::string>& lines, const std::string& part) {
    int n = 0;
    for (const auto& l : lines) n += l.find(part) != std::string::npos ? 1 : 0;
    return n;
}

// Re-encoding lines (the prolog's comments name ReE too).
int count_reencodings(const std::vector<std::string>& lines) {
    int n = 0;
    for (const auto& l : lines) n += l.rfind(" /", 0) == 0 && l.ends_with(" acc ReE") ? 1 : 0;
    return n;
}

// A metric file of our layout: names, and every width `width` except entry `entry`.
void write_metric_file(const fs::path& p, const std::string& ps, const std::string& face,
                       int16_t width, int entry = 0, int16_t entry_width = 0) {
    std::vector<unsigned char> bytes(render::kFontMetricFileBytes, ' ');
    std::memcpy(bytes.data(), ps.data(), ps.size());
    std::memcpy(bytes.data() + 28, face.data(), face.size());
    for (int k = 1; k <= render::kFontWidths; ++k)
        core::put_le_i16(bytes.data() + 56 + 2 * (k - 1), k == entry ? entry_width : width);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The message of the defect that ends f ("" when f ends normally).
template <class F>
std::string defect_of(F f) {
    try {
        f();
    } catch (const core::EngineDefect& e) {
        return e.what();
    }
    return "";
}

// The fonts in a data folder of their own: copies of the generated metric files and prolog
// from the build's data folder (ORMEST_HOME), which a case may change or remove.
class FontsTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_NE(home, nullptr) << "ORMEST_HOME must name the build's data folder";
        fonts_ = root_ / "data" / "mxlib" / "fontlib";
        fs::create_directories(fonts_);
        fs::copy(fs::path(home) / "mxlib" / "fontlib", fonts_, fs::copy_options::recursive);
        fs::copy_file(fs::path(home) / "mxlib" / "fmfontinit.psc",
                      root_ / "data" / "mxlib" / "fmfontinit.psc");
        temp_.use_data_folder(root_ / "data");
        layout::StaffTables.CurrentStaff = 1;
        layout::StaffTables.StaffScale(1) = 25.0f;
        core::ParamBuffer(6) = 0.4f;
        core::ParamBuffer(7) = 0.4f;
        render::OutputPassWord = 1;
    }
    void TearDown() override {
        core::close_all_units();
        RenderTest::TearDown();
    }

    static void load(int32_t number) {
        render::CurrentFontNumber = number;
        render::load_font_metrics();
    }
    // Starts a PostScript output on unit 24 (and the font-name file on 26 when asked).
    void begin_postscript(bool collect_names) {
        ASSERT_TRUE(core::open_unit(24, ps_path().string(), core::UnitStatus::Unknown,
                                    core::UnitForm::Text));
        if (collect_names) {
            ASSERT_TRUE(core::open_unit(26, (root_ / "work" / "PSFNAMES.TMP").string(),
                                        core::UnitStatus::Unknown, core::UnitForm::Text));
        }
        render::begin_postscript_fonts();
        render::OutputPassWord = -1;
    }
    std::vector<std::string> ps_lines() {
        core::close_unit(24);
        return read_lines(ps_path());
    }
    fs::path ps_path() const { return root_ / "out.ps"; }
    // Messages name the file on this machine, never the program's own folder name.
    std::string font_path(const std::string& name) const { return (fonts_ / name).string(); }

    TempFolder temp_{"ormest_fonts"};
    const fs::path& root_ = temp_.root();
    fs::path fonts_;
};

// A PostScript name as the font lines write it: blank-padded to 30 characters.
std::string pad30(const std::string& name) { return name + std::string(30 - name.size(), ' '); }
std::string reencoding(const std::string& name) {
    return " /" + pad30(name) + " /" + pad30(name) + " acc ReE";
}

const std::string kTimesSelection =
    " /" + pad30("Times-Roman") + " f [  1102.060 0 0  1102.060 0 0] mkf sf";

TEST_F(FontsTest, MetricFontsLoadOnceAndOutlineFormsOnEveryUse) {
    load(7);
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Helvetica-Oblique");
    EXPECT_EQ(render::LoadedFont.face_name.trimmed(), "Nimbus Sans");
    EXPECT_EQ(render::LoadedFont.number, 7);
    EXPECT_EQ(render::LoadedFont.last_metric_font, 7);

    // The second use of font 7 does not read the file again.
    write_metric_file(fonts_ / "fm07.fmt", "Changed", "Changed Face", 100);
    load(7);
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Helvetica-Oblique");

    // Its outline form reads the same file every time.
    load(107);
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Changed");
    EXPECT_EQ(render::LoadedFont.last_metric_font, -1);
    write_metric_file(fonts_ / "fm07.fmt", "Again", "Again Face", 100);
    load(107);
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Again");

    // The widths are the file's values over 638.
    write_metric_file(fonts_ / "fm12.fmt", "Test-Font", "Test Face", 319, 37, 638);
    load(12);
    EXPECT_FLOAT_EQ(render::LoadedFont.widths(37), 1.0f);  // code 36
    EXPECT_FLOAT_EQ(render::LoadedFont.widths(1), 0.5f);
    EXPECT_EQ(render::LoadedFont.face_name.trimmed(), "Test Face");

    // The music and symbol fonts load nothing.
    load(5);
    load(94);
    load(99);
    EXPECT_EQ(render::LoadedFont.number, 5);
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(FontsTest, MissingFontIsReportedOnceAndTimesRomanTakesItsPlace) {
    fs::remove(fonts_ / "fm07.fmt");
    core::ItemCount = 12;
    load(7);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Item   12 - Font not found:" + font_path("fm07.fmt") +
                                        "\r\nsubstituting Times-Roman");
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Times-Roman");
    EXPECT_EQ(render::LoadedFont.number, 7);
    EXPECT_EQ(render::LoadedFont.last_metric_font, 7);

    // The same name again (its outline form reloads every time) is not reported again.
    load(107);
    load(107);
    load(7);
    EXPECT_EQ(fe_.message_boxes.size(), 1u);

    // Another missing font is.
    fs::remove(fonts_ / "fm08.fmt");
    load(8);
    ASSERT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_NE(fe_.message_boxes[1].find("fm08.fmt"), std::string::npos);
}

TEST_F(FontsTest, MissingFallbackEndsTheCommandInsteadOfLooping) {
    fs::remove(fonts_ / "fm00.fmt");
    fs::remove(fonts_ / "fm07.fmt");
    render::CurrentFontNumber = 7;
    EXPECT_EQ(defect_of(render::load_font_metrics), "File not found --> " + font_path("fm00.fmt"));
    EXPECT_EQ(fe_.message_boxes.size(), 1u);  // the substitution of fm07.fmt
    EXPECT_EQ(render::LoadedFont.number, -1);

    // A short fallback file is no better than a missing one, but is named for what it is.
    std::ofstream(fonts_ / "fm00.fmt") << "short";
    render::CurrentFontNumber = 0;
    EXPECT_EQ(defect_of(render::load_font_metrics),
              "*** Damaged file --> " + font_path("fm00.fmt"));
}

// A metric file one byte short of its layout (or 100 bytes, as a cut copy leaves it) is
// damaged, not missing: told once with its path, and Times-Roman takes its place.
TEST_F(FontsTest, DamagedFontIsReportedOnceAndTimesRomanTakesItsPlace) {
    std::vector<char> bytes(render::kFontMetricFileBytes - 1, ' ');
    std::ofstream(fonts_ / "fm07.fmt", std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    load(7);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "*** Damaged file --> " + font_path("fm07.fmt"));
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Times-Roman");
    EXPECT_EQ(render::LoadedFont.number, 7);
    load(107);
    load(107);
    EXPECT_EQ(fe_.message_boxes.size(), 1u);

    fs::resize_file(fonts_ / "fm08.fmt", 100);
    load(8);
    ASSERT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_EQ(fe_.message_boxes[1], "*** Damaged file --> " + font_path("fm08.fmt"));
}

TEST_F(FontsTest, EnsureMeasuresWithoutWritingAndKeepsThePass) {
    begin_postscript(false);
    render::CurrentFontNumber = 5;
    render::ensure_font_metrics();
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Helvetica");
    EXPECT_EQ(render::OutputPassWord, -1);
    EXPECT_TRUE(ps_lines().empty());

    fs::remove(fonts_ / "fm00.fmt");
    fs::remove(fonts_ / "fm06.fmt");
    render::CurrentFontNumber = 6;
    EXPECT_EQ(defect_of(render::ensure_font_metrics),
              "File not found --> " + font_path("fm00.fmt"));
    EXPECT_EQ(render::OutputPassWord, -1);
}

std::string p14_p15_chars() {
    char chars[9] = {};
    std::memcpy(chars, core::ParamBuffer.at(14), 8);
    return chars;
}

TEST_F(FontsTest, StyleFontsPutTheirFamilyIntoP14AndP15) {
    core::ParamBuffer(8) = 0.0f;
    render::select_font_by_code(91);
    EXPECT_EQ(render::CurrentFontNumber, 91);
    EXPECT_EQ(p14_p15_chars(), "BODB0   ");
    render::select_font_by_code(93);
    EXPECT_EQ(p14_p15_chars(), "BDIB0   ");
    render::select_font_by_code(94);
    EXPECT_EQ(p14_p15_chars(), "MUSI0   ");

    core::ParamBuffer(14) = 0.0f;
    core::ParamBuffer(15) = 0.0f;
    render::select_font_by_code(99);  // the symbol font: nothing
    EXPECT_EQ(core::ParamBuffer(14), 0.0f);
    render::select_font_by_code(5);
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Helvetica");

    // P8 from 90 on chooses the font itself; the number is taken mod 1000.
    core::ParamBuffer(8) = 1092.0f;
    render::select_font_by_code(3);
    EXPECT_EQ(render::CurrentFontNumber, 92);
    core::ParamBuffer(8) = 94.0f;
    render::select_style_font(0);
    EXPECT_EQ(p14_p15_chars(), "MUSI0   ");
    core::ParamBuffer(8) = 90.0f;
    render::select_style_font(0);
    EXPECT_EQ(render::LoadedFont.number, 90);  // loads the body style's metric file
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Times-Roman");
}

TEST_F(FontsTest, SelectionLineIsWrittenWhenTheSizeOrFontChanges) {
    // The screen pass sets the sizes and writes nothing.
    ASSERT_TRUE(
        core::open_unit(24, ps_path().string(), core::UnitStatus::Unknown, core::UnitForm::Text));
    load(0);
    EXPECT_FLOAT_EQ(render::LoadedFont.text_height, 10.0f);
    EXPECT_TRUE(ps_lines().empty());

    begin_postscript(false);
    load(0);
    EXPECT_FLOAT_EQ(render::LoadedFont.text_width, 10.0f);
    load(0);  // same font, same sizes: nothing
    core::ParamBuffer(7) = 0.8f;
    load(0);
    load(5);  // another font at the same sizes
    core::ParamBuffer(7) = 0.0f;
    load(9);  // P7 = 0: no size is set
    const auto lines = ps_lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], kTimesSelection);
    EXPECT_EQ(lines[1], " /" + pad30("Times-Roman") + " f [  1102.060 0 0  2204.120 0 0] mkf sf");
    EXPECT_EQ(lines[2], " /" + pad30("Helvetica") + " f [  1102.060 0 0  2204.120 0 0] mkf sf");
}

TEST_F(FontsTest, FirstFontSendsThePrologAndEachFontIsReencodedOnce) {
    begin_postscript(false);
    load(0);
    render::send_font_to_postscript();
    render::send_font_to_postscript();  // already in a slot
    const auto lines = ps_lines();
    const auto prolog = read_lines(root_ / "data" / "mxlib" / "fmfontinit.psc");
    ASSERT_GT(lines.size(), prolog.size() + 2);
    EXPECT_EQ(lines[0], kTimesSelection);
    for (std::size_t i = 0; i < prolog.size(); ++i) EXPECT_EQ(lines[1 + i], prolog[i]);
    EXPECT_EQ(lines[prolog.size() + 1], reencoding("Times-Roman"));
    // The metrics are loaded again, so the selection follows the re-encoding.
    EXPECT_EQ(lines[prolog.size() + 2], kTimesSelection);
    EXPECT_EQ(lines.size(), prolog.size() + 3);
    EXPECT_EQ(render::SentFontSlots.font(1), 0);
    EXPECT_EQ(render::SentFontSlots.font(2), -1);
}

TEST_F(FontsTest, SixthFontTakesTheFirstSlotAndEvictedFontsAreReencodedAgain) {
    begin_postscript(false);
    for (int32_t f : {0, 5, 9, 13, 17, 21}) {
        load(f);
        render::send_font_to_postscript();
    }
    EXPECT_EQ(render::SentFontSlots.font(1), 21);
    EXPECT_EQ(render::SentFontSlots.font(2), 5);
    EXPECT_EQ(render::SentFontSlots.last, 1);
    load(5);
    render::send_font_to_postscript();  // still sent
    load(0);
    render::send_font_to_postscript();  // evicted: sent again, into slot 2
    EXPECT_EQ(render::SentFontSlots.font(2), 0);
    const auto lines = ps_lines();
    EXPECT_EQ(count_reencodings(lines), 7);
    EXPECT_EQ(count_containing(lines, reencoding("Times-Roman")), 2);
    EXPECT_EQ(count_containing(lines, reencoding("Helvetica")), 1);
    EXPECT_EQ(count_containing(lines, reencoding("NewCenturySchlbk-Roman")), 1);
    EXPECT_EQ(count_containing(lines, "fmdict begin"), 1);
}

TEST_F(FontsTest, Fonts33And34AndOutlineFormsAreNeverReencoded) {
    begin_postscript(false);
    for (int32_t f : {33, 34, 73, 105, 105}) {
        load(f);
        render::send_font_to_postscript();
    }
    const auto lines = ps_lines();
    // Only font 73, a repeat of the Symbol font under another number, is re-encoded (the
    // prolog's ReE keeps a symbol font's own encoding).
    EXPECT_EQ(count_reencodings(lines), 1);
    EXPECT_EQ(count_containing(lines, reencoding("Symbol")), 1);
    // The outline form is defined once and selected by its own name.
    EXPECT_EQ(count_containing(lines, " /" + pad30("Helvetica") + " f dup length dict copy begin"),
              1);
    EXPECT_EQ(count_containing(lines, " /PaintType 2 def"), 1);
    EXPECT_EQ(count_containing(lines, " /StrokeWidth  20.0000 def"), 1);
    EXPECT_EQ(count_containing(lines, " /O" + pad30("Helvetica") + " currentdict"), 1);
    EXPECT_EQ(count_containing(lines, "definefont pop end"), 1);
    EXPECT_GE(count_containing(lines, " /O" + pad30("Helvetica") + " f ["), 1);
}

TEST_F(FontsTest, DocumentFontListRecordsEachFontOnceAfterTheProlog) {
    begin_postscript(true);
    for (int32_t f : {0, 5, 0, 105}) load(f);
    EXPECT_EQ(render::DocumentFontList.count, 2);
    EXPECT_EQ(render::DocumentFontList.open, 1);
    core::close_unit(26);
    const auto names = read_lines(root_ / "work" / "PSFNAMES.TMP");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], pad30("Times-Roman"));
    EXPECT_EQ(names[1], pad30("Helvetica"));
    const auto lines = ps_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("%", 0), 0u);  // the prolog comes before the first selection
    EXPECT_EQ(count_containing(lines, "fmdict begin"), 1);
}

TEST_F(FontsTest, WriteErrorIsReportedOnceAndStopsTheFontOutput) {
    render::begin_postscript_fonts();
    render::OutputPassWord = -1;  // unit 24 is not open
    load(0);
    render::send_font_to_postscript();
    load(5);
    render::send_font_to_postscript();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "Error writing PostScript to file or device.");
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
}

TEST_F(FontsTest, MissingPrologEndsTheCommand) {
    fs::remove(root_ / "data" / "mxlib" / "fmfontinit.psc");
    begin_postscript(false);
    load(0);
    EXPECT_EQ(defect_of(render::send_font_to_postscript),
              "File not found --> " + (root_ / "data" / "mxlib" / "fmfontinit.psc").string());
}

TEST_F(FontsTest, SymbolWidthsComeFromTheirOwnFile) {
    // The blank (code 94) is the width of the body font's space: 250 AFM units.
    EXPECT_NEAR(render::symbol_font_width(95), 250 * 0.89229f / 638.0f, 1.0f / 638.0f);
    EXPECT_NEAR(render::symbol_font_width(81), 0.32f, 1.0f / 638.0f);  // flat
    EXPECT_NE(defect_of([] { render::symbol_font_width(163); }), "");

    // One byte short: damaged. Missing: not found. Both end the command, named by their path.
    core::reset_engine();
    fs::resize_file(fonts_ / "fmsymbol.fmt", render::kSymbolWidthFileBytes - 1);
    auto width_of_1 = [] { render::symbol_font_width(1); };
    EXPECT_EQ(defect_of(width_of_1), "*** Damaged file --> " + font_path("fmsymbol.fmt"));
    fs::remove(fonts_ / "fmsymbol.fmt");
    EXPECT_EQ(defect_of(width_of_1), "File not found --> " + font_path("fmsymbol.fmt"));
}

// A page as the document writer frames it (header, prolog of abbreviations, page procedure,
// trailer), with the text and fonts written through the font procedures in between.
class FontDocumentTest : public FontsTest {
  protected:
    void write(const std::string& line) {
        ASSERT_EQ(core::write_record(24, line), core::IoResult::Ok);
    }
    void write_header() {
        for (const char* l :
             {"%!PS-Adobe-2.0 EPSF-1.2", "%%BoundingBox:    0    0  612  792",
              "%%DocumentFonts: (atend)", "%%EndComments",
              " /keldadict 200 dict def keldadict begin", " save",
              " /m /moveto load def /l /lineto load def",
              " /tr /translate load def /aw /awidthshow load def",
              " /e /eofill load def /s /stroke load def /g /gsave load def /r /grestore load def",
              " /f /findfont load def /sf /setfont load def",
              " /mkf /makefont load def /lw /setlinewidth load def", " newpath /KELDA  {",
              " /size 0.01800 def  /wdl    1.0000 def", " size dup scale   wdl lw  1 setlinejoin",
              " /lmar    100 def /bmar  24250 def", " lmar bmar tr} def", " g KELDA"})
            write(l);
    }
    void write_text(int32_t font, const std::string& run) {
        load(font);
        render::send_font_to_postscript();
        write("    2400   -2000 m save (" + run + ") show restore");
    }
    void write_trailer() {
        write("showpage");
        write("r restore");
        write("end");
        if (render::DocumentFontList.open != 0) {
            write("end");
            write("%%Trailer");
        }
    }
};

TEST_F(FontDocumentTest, PageWithAccentedTextRunsInGhostscript) {
    begin_postscript(true);
    write_header();
    write_text(0, "A\\351 caf\\351 \\374ber \\200 \\201\\215\\217");
    write_text(33, "abc");
    write_text(5, "na\\357ve \\253\\273");
    write_text(105, "outline");
    write_trailer();
    ASSERT_EQ(render::DocumentFontList.open, 1);
    core::close_unit(24);
    const GhostscriptRun gs = run_ghostscript(ps_path());
    EXPECT_EQ(gs.status, 0) << gs.err;
    EXPECT_EQ(gs.err, "");
}

TEST_F(FontDocumentTest, PageWithoutFontNameFileRunsInGhostscript) {
    begin_postscript(false);  // the job could not open its font-name file: no font trailer
    write_header();
    write_text(1, "\\311t\\351");
    write_trailer();
    core::close_unit(24);
    const GhostscriptRun gs = run_ghostscript(ps_path());
    EXPECT_EQ(gs.status, 0) << gs.err;
    EXPECT_EQ(gs.err, "");
}

}  // namespace
