// The generated glyph set in the build's data folder (ORMEST_HOME): every symbol number the
// drawers ask for has a drawing of the right size and a sound path structure, the files are
// well formed and carry no reserved font name, and the hand-written CODE9.DAT and symbol
// lists keep their formats.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/clefs_ornaments.h"
#include "engine/render/symbols/drawing_files.h"
#include "engine/render/symbols/symbols.h"
#include "platform/paths.h"
#include "tests/render/render_fixture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Every number the drawers draw through the library (clefs and brace, accidentals, heads,
// meter signs, flag, marks, dot, trill, rests, ornaments, dynamics, the second accidental set,
// brackets, the sample sheet, the display-mode marks, the music font's text glyphs, the numbered
// marks over note columns).
std::vector<int32_t> listed_symbols() {
    std::vector<int32_t> v;
    for (int32_t n = 0; n <= 49; ++n) v.push_back(n);
    for (int32_t n = 51; n <= 62; ++n) v.push_back(n);
    for (int32_t n : {70, 71, 88, 89, 95, 115, 116, 117, 118, 119, 120, 139, 208, 269})
        v.push_back(n);
    for (int32_t n = 140; n <= 148; ++n) v.push_back(n);
    for (int32_t n = 1299; n <= 1309; ++n) v.push_back(n);
    for (int32_t n = 2000; n <= 2179; ++n) v.push_back(n);
    for (int32_t n = input::kFirstColumnMark; n <= input::kLastColumnMark; ++n) v.push_back(n);
    return v;
}
constexpr int32_t kBlankTextGlyph = 2094;  // the blank of the music font, never drawn

struct Glyph {
    std::vector<float> x, y;
    std::vector<int16_t> pen;
};

class GlyphSetTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        const fs::path home = build_data_folder();
        if (home.empty()) GTEST_SKIP() << "ORMEST_HOME does not name the build's data folder";
        temp_.use_data_folder(home);
        mxlib_ = home / "mxlib";
        render::OutputPassWord = 1;
    }

    static Glyph glyph(int32_t number) {
        render::DrawingStartTable start;
        render::DrawingNames names;
        Glyph g;
        if (!render::read_library_drawing(number / 10, start, names)) return g;
        const auto& b = render::LibraryDrawingBuffers;
        for (int32_t i = start(number % 10 + 1); i < start(number % 10 + 2); ++i) {
            g.x.push_back(b.x(i));
            g.y.push_back(b.y(i));
            g.pen.push_back(b.pen(i));
        }
        return g;
    }

    // Extent of the PathPointList points from `first` on.
    static void path_bounds(int32_t first, int32_t& x0, int32_t& x1, int32_t& y0, int32_t& y1) {
        const auto& l = render::PathPointList;
        x0 = y0 = INT32_MAX;
        x1 = y1 = INT32_MIN;
        for (int32_t i = first; i < l.count; ++i) {
            x0 = std::min(x0, l.x(i));
            x1 = std::max(x1, l.x(i));
            y0 = std::min(y0, l.y(i));
            y1 = std::max(y1, l.y(i));
        }
    }

    TempFolder temp_{"glyph_set"};
    fs::path mxlib_;
};

TEST_F(GlyphSetTest, EveryListedSymbolHasASoundDrawing) {
    for (int32_t n : listed_symbols()) {
        const Glyph g = glyph(n);
        if (n == kBlankTextGlyph) {
            EXPECT_TRUE(g.pen.empty());
            continue;
        }
        ASSERT_GE(g.pen.size(), 2u) << "symbol " << n;
        // The symbol cache holds 10,000 points; the plain head lives in a 250-point cache.
        EXPECT_LE(g.pen.size(), n == 11 ? 250u : 10000u) << n;
        EXPECT_NE(g.pen.front(), 0) << "symbol " << n << " must start a path";
        bool filled = false;
        for (std::size_t i = 0; i < g.pen.size(); ++i) {
            const int16_t pen = g.pen[i];
            ASSERT_TRUE(pen >= 0 && pen <= 3) << n;
            if (pen == 2) filled = true;
            if (pen == 3) {
                EXPECT_TRUE(filled) << "symbol " << n << ": a further contour alone";
            }
            // The screen drops a path start that another start follows: each start needs a
            // point of its own after it.
            if (pen != 0) {
                ASSERT_LT(i + 1, g.pen.size()) << n;
                EXPECT_EQ(g.pen[i + 1], 0) << "symbol " << n << " point " << i;
            }
        }
    }
}

// The column marks stop at the set's last numbered mark: the number after it draws nothing, so
// a mark past it would only look for a file.
TEST_F(GlyphSetTest, TheNumberedMarksEndAtTheLastColumnMark) {
    EXPECT_GE(glyph(input::kLastColumnMark).pen.size(), 2u);
    EXPECT_TRUE(glyph(input::kLastColumnMark + 1).pen.empty());
}

TEST_F(GlyphSetTest, FilesAreWellFormedAndCarryTheLicense) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(mxlib_)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("lb", 0) != 0 || entry.path().extension() != ".drw") continue;
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GE(bytes.size(), 262u) << name;
        int16_t start[11];
        std::memcpy(start, bytes.data(), 22);
        EXPECT_EQ(start[0], 0) << name;
        for (int k = 2; k < 11; ++k) EXPECT_LE(start[k - 1], start[k]) << name;
        EXPECT_EQ(bytes.size(), 262u + 10u * static_cast<std::size_t>(start[10] - 1)) << name;
        std::string names = bytes.substr(22, 240);
        for (char& c : names) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(names.find("emmentaler"), std::string::npos) << name;
        EXPECT_EQ(names.find("feta"), std::string::npos) << name;
    }
    EXPECT_GE(files, 30);
    EXPECT_TRUE(fs::exists(mxlib_ / "GENERATED.txt"));
    std::ifstream ofl(mxlib_ / "OFL-emmentaler.txt");
    const std::string license((std::istreambuf_iterator<char>(ofl)), {});
    EXPECT_NE(license.find("SIL OPEN FONT LICENSE"), std::string::npos);
}

TEST_F(GlyphSetTest, GlyphsHaveTheirSizeAsTheDrawersScaleThem) {
    constexpr float kScale = 25.0f;  // a staff at size 1
    constexpr float kSpace = 14.0f * kScale;
    layout::StaffTables.CurrentStaff = 0;
    layout::StaffTables.StaffScale(0) = kScale;
    core::ParamBuffer(1) = 1.0f;  // painting for a note
    int32_t x0, x1, y0, y1;

    // A quarter head (head kind 0, glyph 11) fills one staff space and is the head width wide.
    int32_t kind = 11;
    render::draw_clef_item(0.0f, 0.0f, kind, 1.0f, 1.0f);
    path_bounds(1, x0, x1, y0, y1);
    EXPECT_NEAR((y1 - y0) / kSpace, 1.0, 0.1);
    EXPECT_NEAR(x0, 0, 3);
    EXPECT_NEAR(x1, 17.0f * kScale, 0.05 * 17.0f * kScale);
    EXPECT_NEAR(y0 + y1, 0, 10);  // centred on the note's position

    // The treble clef of a clef item at P4 = 0: its curl sits on the second line (step 5), so
    // it reaches from about the staff's step 0 to well above the top line.
    render::PathPointList.count = 1;
    core::ParamBuffer(1) = 3.0f;
    kind = 0;
    render::draw_clef_item(0.0f, 0.0f, kind, 1.0f, 1.0f);
    path_bounds(1, x0, x1, y0, y1);
    EXPECT_NEAR(y0 / (7.0f * kScale), 0.0, 1.0);
    EXPECT_NEAR(y1 / (7.0f * kScale), 14.6, 1.0);
    EXPECT_NEAR(x0, 21.0f * kScale, 10);  // the clef offset

    // A brace spans a two-staff system at size 1 (182 staff-scale units) from 21 below it.
    const Glyph brace = glyph(5);
    ASSERT_FALSE(brace.y.empty());
    const auto [lo, hi] = std::minmax_element(brace.y.begin(), brace.y.end());
    EXPECT_NEAR((*hi - *lo) * 0.25f, 182.0f, 2.0f);
    EXPECT_NEAR(*lo * 0.25f, 21.0f, 1.0f);
}

TEST_F(GlyphSetTest, WordSymbolDataAndSymbolListsKeepTheirFormats) {
    // CODE9.DAT through the symbol drawer's own reader.
    core::SymbolDataPath.set(core::ProgramFolder.trimmed() + "\\mxlib\\CODE9.DAT");
    ASSERT_TRUE(render::load_text_symbols());
    EXPECT_EQ(render::text_symbol_text(3000), "legato");
    EXPECT_EQ(render::text_symbol_text(3021), "pi>>u mosso");
    std::ifstream code9(mxlib_ / "CODE9.DAT");
    std::string line;
    int entries = 0;
    std::size_t characters = 0;
    while (std::getline(code9, line)) {
        ASSERT_LE(line.size(), 160u);
        if (line.empty() || line[0] == '%' || line[0] == ' ') continue;
        ++entries;
        characters += line.size() - 5;
        EXPECT_EQ(render::text_symbol_text(2999 + entries), line.substr(5)) << line;
    }
    EXPECT_LE(entries, 69);
    EXPECT_LE(characters, 699u);

    // Every listed symbol is something the symbol drawer can draw.
    for (const char* list : {"symblist.txt", "symblist_alf.txt"}) {
        std::ifstream in(mxlib_ / list);
        std::set<int> seen;
        while (std::getline(in, line)) {
            if (!line.empty() && line[0] == '*') break;
            ASSERT_LE(line.size(), 48u) << list;
            const int n = std::stoi(line.substr(0, 4));
            seen.insert(n);
            const bool drawable = render::find_word_symbol(n) != 0 ||
                                  (n >= 3000 && n < 3000 + entries) || !glyph(n).pen.empty();
            EXPECT_TRUE(drawable) << list << ": " << line;
        }
        EXPECT_GT(seen.size(), 50u) << list;
    }
}

}  // namespace
