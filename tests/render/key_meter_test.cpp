// Key signatures (accidental rows by clef, naturals, free lists) and meters (stacked numbers,
// single numbers, symbols, compound meters), with the counted glyphs of the symbol fixture.
// Meter digits are drawn by the number drawer in the music font, whose glyph for digit d is
// library symbol 2000 + d: the test library makes it glyph 100 + d.
#include <cmath>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/key_signatures.h"
#include "engine/render/notes/rests.h"
#include "tests/render/symbol_fixture.h"

namespace {

constexpr int32_t kFirstDigitGlyph = 100;
// A music-font glyph of a text of size 1: a quarter, the glyph factor 3.5714 and the library
// drawings' 0.3.
constexpr float kDigitSize = 0.25f * 3.5714f * 0.3f;

// A number as the music font shows it: its digits, the place of its first digit and the size
// of its glyphs (in units of the staff scale x 100).
struct NumberDrawn {
    std::string digits;
    float x = 0, y = 0, sx = 0;
};
// The numbers among the glyphs: consecutive digit glyphs on one line make one number.
std::vector<NumberDrawn> numbers_in(const std::vector<Glyph>& g) {
    std::vector<NumberDrawn> out;
    bool joined = false;
    for (const Glyph& one : g) {
        const bool digit = one.number >= kFirstDigitGlyph && one.number < kFirstDigitGlyph + 10;
        if (!digit) {
            joined = false;
            continue;
        }
        const char c = static_cast<char>('0' + one.number - kFirstDigitGlyph);
        if (joined && out.back().y == one.y) {
            out.back().digits += c;
        } else {
            out.push_back({std::string(1, c), one.x, one.y, one.sx});
        }
        joined = true;
    }
    return out;
}
// The glyphs that are not digits.
std::vector<Glyph> symbols_in(const std::vector<Glyph>& g) {
    std::vector<Glyph> out;
    for (const Glyph& one : g)
        if (one.number < kFirstDigitGlyph) out.push_back(one);
    return out;
}

}  // namespace

class KeyMeterTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        render::register_rest_beam_key_meter_drawers();
        write_glyph_files({0, 1, 3});
        std::vector<Drawing> digits;
        for (int32_t d = 0; d < 10; ++d) digits.push_back(counted_glyph(kFirstDigitGlyph + d));
        write_drawing_file(library_file(200), digits);
    }
    // Draws an item of `code` on staff 0 at P3 = 10 through the dispatcher with the given
    // (P number, value) pairs.
    static std::vector<Glyph> item(float code, std::initializer_list<std::pair<int, float>> given) {
        std::vector<float> params(30, 0.0f);
        params[0] = code;
        params[2] = 10.0f;
        for (const auto& [k, v] : given) params[static_cast<std::size_t>(k - 1)] = v;
        set_params(params);
        clear_path();
        render::draw_item_by_code();
        return glyphs_in(path_points());
    }
    static std::vector<float> heights(const std::vector<Glyph>& g) {
        std::vector<float> out;
        for (const Glyph& one : g) out.push_back((one.y - kBaseY) / kScale);
        return out;
    }
    static float y_of(float pos) { return kBaseY + pos * kStep; }
    // Where the text drawer puts a character drawn from v: the nearest whole display unit.
    static float at(float v) { return static_cast<float>(core::nint(v)); }
};

TEST_F(KeyMeterTest, SharpsAndFlatsFollowTheClefsZigZag) {
    struct Case {
        float p5, p6;
        std::vector<float> heights;
    };
    const Case cases[] = {
        {7, 0, {77, 56, 84, 63, 42, 70, 49}},
        {-7, 0, {49, 70, 42, 63, 35, 56, 28}},
        {7, 1, {63, 42, 70, 49, 28, 56, 35}},
        {-7, 1, {35, 56, 28, 49, 21, 42, 14}},
        {7, 2, {70, 49, 77, 56, 35, 63, 42}},
        {-7, 2, {42, 63, 35, 56, 28, 49, 21}},
        {7, 3, {35, 63, 42, 70, 49, 77, 56}},
        {-7, 3, {56, 77, 49, 70, 42, 63, 35}},
        {3, 9, {77, 56, 84}},
        {2, -4, {77, 56}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p5 << " clef " << c.p6);
        const auto g = item(17.0f, {{5, c.p5}, {6, c.p6}});
        EXPECT_EQ(heights(g), c.heights);
        for (std::size_t i = 0; i < g.size(); ++i) {
            EXPECT_EQ(g[i].number, c.p5 > 0 ? 7 : 6);
            EXPECT_NEAR(g[i].x, 1500.0f + 15.0f * kScale + 16.8f * kScale * static_cast<float>(i),
                        1.0f);
            EXPECT_FLOAT_EQ(g[i].sx, 0.25f);
        }
    }
}

TEST_F(KeyMeterTest, NaturalsSmallKeysAndSpacing) {
    auto g = item(17.0f, {{5, 103.0f}});
    EXPECT_EQ(heights(g), (std::vector<float>{77, 56, 84}));
    for (const Glyph& one : g) EXPECT_EQ(one.number, 8);
    g = item(17.0f, {{5, -102.0f}});
    EXPECT_EQ(heights(g), (std::vector<float>{49, 70}));
    EXPECT_EQ(g[0].number, 8);
    // Small (clef + 100): 0.8 size and spacing; P7 widens the spacing; P15 moves the start.
    g = item(17.0f, {{5, 2.0f}, {6, 101.0f}, {7, 2.0f}, {15, 2.0f}});
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(heights(g), (std::vector<float>{63, 42}));
    EXPECT_FLOAT_EQ(g[0].sx, 0.2f);
    EXPECT_EQ(g[0].x, 1800.0f + 15.0f * kScale);
    EXPECT_NEAR(g[1].x - g[0].x, 16.8f * kScale * 2.0f * 0.8f, 1.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(1), 17.0f);  // drawn as a clef, given back as a key
}

TEST_F(KeyMeterTest, AFreeListTakesKindAndHeightFromEachValue) {
    auto g = item(17.0f, {{8, 207.0f}, {9, 105.0f}, {10, 905.0f}, {11, 304.0f}, {13, 102.0f}});
    ASSERT_EQ(g.size(), 3u);  // 905 has no accidental; the list ends at P12 = 0
    EXPECT_EQ(g[0].number, 7);
    EXPECT_EQ(g[1].number, 6);
    EXPECT_EQ(g[2].number, 8);
    EXPECT_EQ(g[0].y, y_of(7.0f));
    EXPECT_EQ(g[1].y, y_of(5.0f));
    EXPECT_EQ(g[2].y, y_of(4.0f));
    EXPECT_NEAR(g[2].x - g[1].x, 16.8f * kScale, 1.0f);
    // Seven entries: P8..P13, then P16.
    g = item(17,
             {{8, 101}, {9, 202}, {10, 303}, {11, 404}, {12, 505}, {13, 106}, {16, 207}, {5, 3}});
    ASSERT_EQ(g.size(), 7u);
    EXPECT_EQ(g[3].number, 9);
    EXPECT_EQ(g[4].number, 10);
    EXPECT_EQ(g[6].y, y_of(7.0f));
    // Values that are no accidental or wildly out of range are skipped.
    EXPECT_NO_THROW(item(17.0f, {{8, -1e9f}, {9, 1e9f}, {10, -105.0f}}));
    EXPECT_FLOAT_EQ(core::ParamBuffer(10), -105.0f);
    EXPECT_NO_THROW(item(17.0f, {{5, -1e9f}, {6, 1e9f}}));
}

TEST_F(KeyMeterTest, AMeterCentresAOneDigitNumberUnderATwoDigitOne) {
    ASSERT_TRUE(fonts_) << "the digits are laid out with the build's fonts";
    auto g = item(18.0f, {{5, 12.0f}, {6, 8.0f}});
    auto n = numbers_in(g);
    ASSERT_EQ(n.size(), 2u);
    const float z = 1.35f;  // on screen with the default font
    // The music font's digits alone (no sign, no decimals, no frame, no other text), at the
    // number's origin (no offset) and the meter's size.
    EXPECT_TRUE(symbols_in(g).empty());
    EXPECT_TRUE(g_hooks.boxes.empty());
    EXPECT_EQ(text_length_, 0);
    EXPECT_EQ(n[0].digits, "12");
    EXPECT_EQ(n[0].x, 1500.0f);
    EXPECT_EQ(n[0].y, at(y_of(-0.23f + 5.46f * z)));
    EXPECT_EQ(n[1].digits, "8");
    EXPECT_EQ(n[1].x, at(1500.0f + 7.6f * kScale * z));
    EXPECT_EQ(n[1].y, at(y_of(-0.23f + 2.48f * z)));
    for (const NumberDrawn& one : n) EXPECT_NEAR(one.sx, z * kDigitSize, 5e-4f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(5), 12.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(6), 8.0f);
    // In PostScript, and with a chosen font, the numbers are smaller and a little higher.
    render::OutputPassWord = -1;
    n = numbers_in(item(18.0f, {{5, 3.0f}, {6, 4.0f}, {7, 2.0f}}));
    ASSERT_EQ(n.size(), 2u);
    EXPECT_NEAR(n[0].sx, 2.4f * kDigitSize, 5e-4f);  // within a display unit
    EXPECT_EQ(n[0].y, at(y_of(0.1f + 5.82f * 2.4f)));
    EXPECT_EQ(n[1].x, 1500.0f);
    render::OutputPassWord = 1;
    n = numbers_in(item(18.0f, {{5, 3.0f}, {6, 4.0f}, {13, 94.0f}}));
    ASSERT_EQ(n.size(), 2u);                         // font 94 is the music font too
    EXPECT_NEAR(n[0].sx, 1.2f * kDigitSize, 5e-4f);  // within a display unit
}

TEST_F(KeyMeterTest, ASingleNumberStandsInTheMiddle) {
    ASSERT_TRUE(fonts_) << "the digits are laid out with the build's fonts";
    const auto n = numbers_in(item(18.0f, {{5, 0.0f}, {6, 3.0f}}));
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].digits, "3");
    EXPECT_EQ(n[0].y, at(y_of(-0.23f + 4.08f * 1.35f)));
}

TEST_F(KeyMeterTest, MeterSymbolsAreLibrarySymbolsAtThreeQuartersSize) {
    auto g = item(18.0f, {{5, 99.0f}});
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].number, 18);
    EXPECT_FLOAT_EQ(g[0].sx, 0.75f);
    EXPECT_EQ(g[0].x, 1500.0f);
    EXPECT_EQ(g[0].y, kBaseY);
    g = item(18.0f, {{5, 98.0f}, {7, 2.0f}});
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].number, 19);
    EXPECT_FLOAT_EQ(g[0].sx, 1.5f);
    // Codes past 99 would reach note heads and clefs: nothing is drawn.
    EXPECT_TRUE(item(18.0f, {{5, 100.0f}}).empty());
    EXPECT_TRUE(item(18.0f, {{5, 1e9f}}).empty());  // and no digits either
}

TEST_F(KeyMeterTest, CompoundMetersJoinTwoPairsWithAPlus) {
    const float z = 1.35f;
    const float u = 6.0f * kScale;
    ASSERT_TRUE(fonts_) << "the digits are laid out with the build's fonts";
    auto all = item(18.0f, {{5, 3.0f}, {6, 4.0f}, {8, 2.0f}, {9, 8.0f}});
    auto g = symbols_in(all);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].number, 38);
    EXPECT_EQ(g[0].x, 1500.0f + 3.5f * u);
    EXPECT_EQ(g[0].y, std::trunc(y_of(-0.23f + 4.72f * z)));
    EXPECT_NEAR(g[0].sx, 0.25f * z, 0.001f);
    auto n = numbers_in(all);
    ASSERT_EQ(n.size(), 4u);
    EXPECT_EQ(n[2].x, at(1500.0f + 3.5f * u + 4.2f * u));
    EXPECT_EQ(n[2].digits, "2");
    EXPECT_EQ(n[3].digits, "8");
    EXPECT_FLOAT_EQ(core::ParamBuffer(1), 18.0f);
    EXPECT_FLOAT_EQ(core::ParamBuffer(8), 2.0f);
    // Without a second lower number the first lower one stands under both pairs.
    all = item(18.0f, {{5, 3.0f}, {6, 8.0f}, {8, 2.0f}, {10, 1.0f}});
    g = symbols_in(all);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].x, 1500.0f + 4.5f * u);
    EXPECT_EQ(g[0].y, std::trunc(y_of(-0.23f + 6.6f * z)));
    n = numbers_in(all);
    ASSERT_EQ(n.size(), 3u);
    EXPECT_EQ(n[1].digits, "8");
    EXPECT_EQ(n[1].x, at(1500.0f + (1.0f + 3.8f) * 4.8f * kScale * z));
    EXPECT_EQ(n[2].y, n[0].y);
    // P12: no plus; the second pair follows the first.
    all = item(18.0f, {{5, 12.0f}, {6, 8.0f}, {8, 2.0f}, {9, 8.0f}, {11, 1.0f}, {12, 1.0f}});
    EXPECT_TRUE(symbols_in(all).empty());
    n = numbers_in(all);
    ASSERT_EQ(n.size(), 4u);
    EXPECT_EQ(n[2].x, at(1500.0f + 5.2f * u));
}

// ---- with the glyph set the build generates ----

TEST_F(KeyMeterTest, RealMeterSymbolsAndAccidentalsCentreOnTheirPlaces) {
    if (!use_build_glyphs()) GTEST_SKIP() << "no generated glyph set";
    render::reset_symbol_tables();
    auto extent = [] { return y_range(path_points()); };
    // Common and cut time: centred on the middle line, two to three spaces high.
    for (float code : {99.0f, 98.0f}) {
        SCOPED_TRACE(code);
        item(18.0f, {{5, code}});
        const auto [low, high] = extent();
        EXPECT_NEAR((low + high) / 2.0f, y_of(7.0f), 20.0f);
        EXPECT_GT(high - low, 1.5f * 2.0f * kStep);
        EXPECT_LT(high - low, 3.0f * 2.0f * kStep);  // the stroke of cut time reaches further
    }
    // A sharp and a flat of a key: the sharp centred on its height, the flat's bulge on it.
    item(17.0f, {{5, 1.0f}});
    auto [low, high] = extent();
    EXPECT_NEAR((low + high) / 2.0f, kBaseY + 77.0f * kScale, 2.0f);
    item(17.0f, {{5, -1.0f}});
    std::tie(low, high) = extent();
    EXPECT_LT(low, kBaseY + 49.0f * kScale);
    EXPECT_GT(high, kBaseY + 49.0f * kScale + 2.0f * kStep);
}

// The music font's digits stand two staff spaces tall in a meter, as the meter symbols do.
TEST_F(KeyMeterTest, RealMeterDigitsAreTwoSpacesTall) {
    if (!use_build_glyphs()) GTEST_SKIP() << "no generated glyph set";
    render::reset_symbol_tables();
    for (float digit : {4.0f, 8.0f, 2.0f}) {
        SCOPED_TRACE(digit);
        item(18.0f, {{6, digit}});
        const auto [low, high] = y_range(path_points());
        EXPECT_NEAR(high - low, 4.0f * kStep, 0.06f * kStep);
    }
}
