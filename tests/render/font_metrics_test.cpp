// The generated font data in the build's data folder (ORMEST_HOME), checked against readers
// that know the same URW fonts independently: Ghostscript (the PostScript names, the widths
// and the prolog's encoding) and fontconfig (the screen faces the text records name).
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/settings_tables.h"
#include "engine/render/text/fonts.h"
#include "platform/paths.h"
#include "tests/render/ghostscript.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

#include <system_error>

// A source path relative to the build folder (as the compiler was given it) is taken from the
// test program's folder, the top of the build folder, whatever the current folder.
static std::filesystem::path from_build_folder(const std::filesystem::path& p) {
    if (!p.is_relative()) return p;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? p : self.parent_path() / p;
}

namespace fs = std::filesystem;

namespace {

// Width units of a metric file per em, and the display units per width 1.0 and per PostScript
// em at text size 1 on a staff of scale 25: the layout and the printout must agree.
constexpr double kFileUnitsPerEm = 892.29;
constexpr double kLayoutPerWidth = 3.2833 * 150.0;
constexpr double kPostScriptEm = 25.0 * 0.25 * 110.206;

struct MetricFile {
    std::string ps_name;
    std::string face;
    std::array<int, 162> widths{};
    std::array<int, 162> bytes{};   // the PostScript byte of each code (0 = none)
    std::array<int, 162> rights{};  // the right edge of each code's ink
};

// The PostScript byte of each code by the code table the metric files are built from.
std::array<int, 162> code_bytes() {
    std::array<int, 162> bytes{};
    std::ifstream in(from_build_folder(std::filesystem::path(__FILE__).parent_path() / "../../data/font_numbers.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        std::string code;
        std::string byte;
        words >> key >> code >> byte;
        if (key != "code" || byte == "-") continue;
        bytes.at(static_cast<std::size_t>(std::stoi(code))) = std::stoi(byte);
    }
    return bytes;
}

std::string trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// A font name without blanks and hyphens, in lower case, and without "regular" (which one
// reader writes and the other leaves out).
std::string squeezed(const std::string& name) {
    std::string out;
    for (char c : name)
        if (c != ' ' && c != '-')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t regular = out.find("regular");
    if (regular != std::string::npos) out.erase(regular, 7);
    return out;
}

// Runs a shell command; returns its standard output, its exit status in status.
std::string run(const std::string& cmd, int& status) {
    std::string out;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int raw = pipe == nullptr ? -1 : ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

class FontMetricsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_NE(home, nullptr) << "ORMEST_HOME must name the build's data folder";
        data_ = home;
        fonts_ = data_ / "mxlib" / "fontlib";
    }

    MetricFile metric(int n) const {
        const std::string bytes = read_text(fonts_ / render::font_metric_file_name(n));
        MetricFile m;
        if (bytes.size() != 708u) {
            ADD_FAILURE() << "font " << n << ": " << bytes.size() << " bytes";
            return m;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        m.ps_name = trim(bytes.substr(0, 28));
        m.face = trim(bytes.substr(28, 28));
        for (int c = 0; c < 162; ++c) {
            m.widths[c] = core::get_le_i16(p + 56 + 2 * c);
            m.rights[c] = core::get_le_i16(p + 382 + 2 * c);
        }
        m.bytes = code_bytes();
        return m;
    }
    std::string prolog() const { return read_text(data_ / "mxlib" / "fmfontinit.psc"); }

    fs::path data_;
    fs::path fonts_;
    TempFolder temp_{"ormest_metrics"};
    const fs::path& work_ = temp_.root();
};

TEST_F(FontMetricsTest, EveryFontNumberHasItsFileExceptTheMusicAndSymbolFonts) {
    for (int n = 0; n <= 99; ++n) {
        const bool expected = n != 94 && n != 99;
        EXPECT_EQ(fs::exists(fonts_ / render::font_metric_file_name(n)), expected) << n;
        if (expected) {
            EXPECT_FALSE(metric(n).ps_name.empty()) << n;
        }
    }
    EXPECT_EQ(fs::file_size(fonts_ / "fmsymbol.fmt"), 324u);
    EXPECT_NE(read_text(fonts_ / "GENERATED.txt").find("make_font_metrics"), std::string::npos);

    EXPECT_EQ(metric(0).ps_name, "Times-Roman");
    EXPECT_EQ(metric(0).face, "Nimbus Roman");
    EXPECT_EQ(metric(33).ps_name, "Symbol");
    EXPECT_EQ(metric(34).ps_name, "ZapfDingbats");
    // The body styles, as metric fonts and as style fonts, name the Times family.
    for (int n : {24, 90}) EXPECT_EQ(metric(n).ps_name, "Times-Roman");
    for (int n : {27, 93}) EXPECT_EQ(metric(n).ps_name, "Times-BoldItalic");
}

// What Ghostscript prints for a PostScript name and what fontconfig gives the screen for the
// face, weight and slant the text record derives from that name must be the same URW font.
TEST_F(FontMetricsTest, ScreenFacesResolveToThePrintedFonts) {
    std::map<std::string, std::string> faces;  // PostScript name -> screen face
    for (int n = 0; n <= 98; ++n)
        if (n != 94) faces[metric(n).ps_name] = metric(n).face;
    std::string program;
    for (const auto& [name, face] : faces)
        program += "/" + name + " findfont /FontInfo get /FullName get =\n";
    const GhostscriptRun gs = run_ghostscript_program(work_ / "program.ps", program);
    ASSERT_EQ(gs.status, 0) << gs.err;
    std::istringstream printed(gs.out);

    for (const auto& [name, face] : faces) {
        std::string full_name;
        std::getline(printed, full_name);
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const bool bold =
            upper.find("BOLD") != std::string::npos || upper.find("DEMI") != std::string::npos;
        const bool italic =
            upper.find("ITAL") != std::string::npos || upper.find("OBLI") != std::string::npos;
        const std::string pattern =
            face + ":weight=" + (bold ? "200" : "80") + (italic ? ":slant=100" : "");
        int fc_status = 0;
        const std::string screen =
            run("fc-match '" + pattern + "' --format='%{fullname}'", fc_status);
        ASSERT_EQ(fc_status, 0);
        // fontconfig lists full names separated by commas, some written like PostScript names.
        bool same = false;
        std::istringstream names(screen);
        std::string one;
        while (std::getline(names, one, ',')) same = same || squeezed(one) == squeezed(full_name);
        EXPECT_TRUE(same) << name << ": printed as " << full_name << ", shown as " << screen;
    }
}

// A line measured with the metric file advances as far as Ghostscript sets it.
TEST_F(FontMetricsTest, LayoutWidthsAgreeWithThePrintedWidths) {
    const std::string line = "Quartet in E-flat, No. 12 (1799)";
    auto code_of = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
        if (c >= 'a' && c <= 'z') return c - 'a' + 40;
        const std::size_t punctuation = std::string(".,()").find(c);  // codes 36..39
        if (punctuation != std::string::npos) return 36 + static_cast<int>(punctuation);
        return c == '-' ? 71 : 94;  // 94: blank
    };
    std::string program;
    for (int n = 0; n <= 40; ++n)
        program += "/" + metric(n).ps_name + " findfont 1000 scalefont setfont (" + line +
                   ") stringwidth pop =\n";
    const GhostscriptRun gs = run_ghostscript_program(work_ / "program.ps", program);
    ASSERT_EQ(gs.status, 0) << gs.err;
    std::istringstream printed(gs.out);
    for (int n = 0; n <= 40; ++n) {
        double printed_width = 0.0;
        printed >> printed_width;
        const MetricFile m = metric(n);
        double sum = 0.0;
        for (char c : line) sum += m.widths[static_cast<std::size_t>(code_of(c))];
        const double layout = sum / 638.0 * kLayoutPerWidth;
        const double print = printed_width / 1000.0 * kPostScriptEm;
        EXPECT_NEAR(layout / print, 1.0, 0.005) << "font " << n << " " << m.ps_name;
    }
}

// Each code's byte shows, through the prolog's encoding, the glyph whose width the metric file
// holds for the code (so the encoding and the code table agree), and no used byte is empty.
TEST_F(FontMetricsTest, PrologEncodingShowsTheGlyphOfEveryCode) {
    const std::string program = prolog() +
                                "/TR-acc /Times-Roman acc ReE /TR-acc findfont 1000 scalefont "
                                "setfont 0 1 255 { ( ) dup 0 4 -1 roll put stringwidth pop = } "
                                "for\n";
    const GhostscriptRun gs = run_ghostscript_program(work_ / "program.ps", program);
    ASSERT_EQ(gs.status, 0) << gs.err;
    std::istringstream printed(gs.out);
    std::array<double, 256> width{};
    for (double& w : width) printed >> w;

    const MetricFile m = metric(0);
    int checked = 0;
    for (int c = 0; c < 162; ++c) {
        const int b = m.bytes[c];
        if (b == 0) continue;
        ++checked;
        EXPECT_GT(width[b], 0.0) << "code " << c << " byte " << b << " shows nothing";
        EXPECT_NEAR(width[b] * kFileUnitsPerEm / 1000.0, m.widths[c], 1.0)
            << "code " << c << " byte " << b;
    }
    EXPECT_GT(checked, 140);
}

// Each letter's ink ends inside its advance, a little before it: the side bearing that right
// justification adds back is small and positive.
TEST_F(FontMetricsTest, RightInkEdgesLieWithinTheWidths) {
    const MetricFile m = metric(0);
    int letters = 0;
    for (int c = 0; c < 162; ++c) {
        const int b = m.bytes[c];
        if (!((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))) continue;
        ++letters;
        EXPECT_GT(m.rights[c], 0) << "code " << c;
        EXPECT_LE(m.rights[c], m.widths[c] + m.widths[c] / 4) << "code " << c;
    }
    EXPECT_EQ(letters, 52);
}

TEST_F(FontMetricsTest, PrologWithAReencodedFontAndAccentedTextRunsInGhostscript) {
    const std::string program =
        prolog() +
        "/Times-Roman /Times-Roman acc ReE\n"
        "/Times-Roman findfont 24 scalefont setfont 72 700 moveto\n"
        "(Fa\\347ade, na\\357ve, \\311l\\350ve, \\334ber, \\205 \\200) show\n"
        "/Symbol /Symbol acc ReE /Symbol findfont 24 scalefont setfont 72 650 moveto\n"
        "(a) stringwidth pop 0 gt { (a) show } { (the symbol font lost its glyphs) print } "
        "ifelse\n"
        "showpage\n";
    const GhostscriptRun gs = run_ghostscript_program(work_ / "program.ps", program);
    EXPECT_EQ(gs.status, 0);
    EXPECT_EQ(gs.err, "");
    EXPECT_EQ(gs.out, "");
}

// The preferences name the font folder, which must hold fm00.fmt: start-up takes it.
TEST_F(FontMetricsTest, StartUpTakesTheFontFolderAndTheFallbackLoads) {
    ScriptedFrontEnd fe;
    core::set_front_end(&fe);
    temp_.use_data_folder(data_);
    const bool started = core::start_engine();
    render::CurrentFontNumber = 0;
    render::OutputPassWord = 0;
    render::load_font_metrics();
    core::set_front_end(nullptr);

    EXPECT_TRUE(started);
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_EQ(core::FontFolder.trimmed(), "C:\\program files\\melandrix\\mxlib\\fontlib\\");
    EXPECT_EQ(render::LoadedFont.ps_name.trimmed(), "Times-Roman");
}

}  // namespace
