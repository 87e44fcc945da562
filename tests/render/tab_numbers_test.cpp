// The fret numbers of tablature notes: the string and fret worked out from the note's pitch and
// tuning code (the computing mode the tablature command uses), and the number drawn on its
// string line through the note drawer.
#include "engine/render/text/tab_numbers.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "engine/core/numeric.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/notes/notes.h"
#include "engine/render/page/item_drawing.h"
#include "tests/render/symbol_fixture.h"

using namespace render;

namespace {

constexpr float kBase = 10000.0f;  // step 0 of staff 1
constexpr float kX = 1500.0f;      // P3 = 10

struct Fit {
    int32_t string;
    int32_t fret;
};

// P1..Pn of a tab note into ParamBuffer (and the integer copies), then the computing mode.
Fit compute(std::vector<float> params) {
    params.resize(30, 0.0f);
    params[0] = 1.0f;
    core::ParamBuffer.fill(0.0f);
    core::IntParamBuffer.fill(0);
    for (std::size_t k = 0; k < params.size(); ++k) {
        core::ParamBuffer(static_cast<int>(k) + 1) = params[k];
        core::IntParamBuffer(static_cast<int>(k) + 1) = core::int_of(params[k]);
    }
    core::IntParamBuffer(10) = 999;
    draw_tab_fret_numbers();
    return {core::IntParamBuffer(8), core::IntParamBuffer(9)};
}

}  // namespace

class TabNumbersTest : public SymbolTest {
  protected:
    void SetUp() override {
        SymbolTest::SetUp();
        register_note_drawers();
        auto& staves = layout::StaffTables;
        staves.StaffScale(1) = kScale;
        staves.StaffBaseY(1) = static_cast<int32_t>(kBase);
        staves.CurrentStaff = 1;
        g_self = this;
        lines_.clear();
        RenderHooks.write_ps_line = [](std::string_view l) { g_self->lines_.emplace_back(l); };
    }
    // Draws the note (P1 = 1, P2 = 1, P3 = 10 unless given) and returns the texts shown.
    std::vector<ShownRecord> draw(std::vector<float> params) {
        params.resize(30, 0.0f);
        params[0] = 1.0f;
        if (params[1] == 0.0f) params[1] = 1.0f;
        if (params[2] == 0.0f) params[2] = 10.0f;
        const int32_t from = text_length_;
        clear_path();
        set_params(params);
        draw_item_by_code();
        return shown_texts(from);
    }
    std::string drawn_text(std::vector<float> params) {
        const auto shown = draw(std::move(params));
        return shown.size() == 1 ? shown[0].text() : "<" + std::to_string(shown.size()) + ">";
    }
    std::vector<std::string> lines_;
    static TabNumbersTest* g_self;
};
TabNumbersTest* TabNumbersTest::g_self = nullptr;

TEST_F(TabNumbersTest, StringAndFretFollowThePitchAndTheTuning) {
    // G above middle C on six treble strings: the open third string; under an 8va line the
    // same note is the first string's third fret.
    Fit f = compute({1, 1, 10, 5, 0, -6});
    EXPECT_EQ(f.string, 3);
    EXPECT_EQ(f.fret, 0);
    f = compute({1, 1, 10, 5, 0, -86});
    EXPECT_EQ(f.string, 1);
    EXPECT_EQ(f.fret, 3);
    // An 8vb line lowers it an octave (55): the sixth string.
    f = compute({1, 1, 10, 5, 0, -96});
    EXPECT_EQ(f.string, 6);
    EXPECT_EQ(f.fret, 55 - 52);
    // A sharp (P5 units 2) and a flat (1) move the pitch; the tens digit (stem) does not.
    EXPECT_EQ(compute({1, 1, 10, 5, 22, -6}).fret, 1);  // G sharp on the third string
    f = compute({1, 1, 10, 5, 11, -6});                 // G flat on the fourth
    EXPECT_EQ(f.string, 4);
    EXPECT_EQ(f.fret, 4);
    // Six bass strings: 60 55 50 45 40 35. Middle C (level 13 in bass) asked on each string
    // gives the fret from that open string; the first fitting string comes back as the string.
    for (int32_t s = 1; s <= 6; ++s) {
        const int32_t open[] = {60, 55, 50, 45, 40, 35};
        f = compute({1, 1, 10, 13, 0, -16, 0, static_cast<float>(s)});
        EXPECT_EQ(f.string, 1) << s;
        EXPECT_EQ(f.fret, 60 - open[s - 1]) << s;
    }
    // The banjo: strings 74 71 67 62 79; F above middle C fits the fourth.
    f = compute({1, 1, 10, 4, 0, -5});
    EXPECT_EQ(f.string, 4);
    EXPECT_EQ(f.fret, 3);
    // A fret of -1 is kept; hand-given kinds return what they hold.
    EXPECT_EQ(compute({1, 1, 10, 5, 0, -6, 0, 0, -1}).fret, -1);
    f = compute({1, 1, 10, 5, 0, -46, 0, 2, 1003});
    EXPECT_EQ(f.string, 2);
    EXPECT_EQ(f.fret, 1003);
}

TEST_F(TabNumbersTest, AdjustmentsAndShiftRetuneTheStrings) {
    // P16 = -200 lowers string 1 (76 -> 74): B above it (level 14 = 83) is fret 9 there.
    EXPECT_EQ(compute({1, 1, 10, 14, 0, -6, 0, 0, 0, 0, 0, 0, 0, 0, 0, -200}).fret, 9);
    // P16 = 22 lowers string 2 by two (71 -> 69): A (69) fits it open.
    const Fit a = compute({1, 1, 10, 6, 0, -6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 22});
    EXPECT_EQ(a.string, 2);
    EXPECT_EQ(a.fret, 0);
    // P16 = 300 raises string 1 by three (79).
    EXPECT_EQ(compute({1, 1, 10, 14, 0, -6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 300}).fret, 4);
    // P19 below 100 shifts every string: -2 makes the G fit string 3 at fret 2.
    EXPECT_EQ(compute({1, 1, 10, 5, 0, -6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -2}).fret, 2);
}

TEST_F(TabNumbersTest, StringCountsAndRequestsStayInsideTheTable) {
    // Nine and eight strings, treble and bass, index no place past the eight of the table.
    for (float code : {-9.0f, -8.0f, -19.0f, -18.0f, -7.0f, -17.0f}) {
        const Fit f = compute({1, 1, 10, -20, 0, code});
        EXPECT_GE(f.string, 1) << code;
        EXPECT_LE(f.string, 8) << code;
    }
    // A requested string past six is held to the sixth: the G there is fret 15.
    EXPECT_EQ(compute({1, 1, 10, 5, 0, -6, 0, 9}).fret, 67 - 52);
    EXPECT_EQ(compute({1, 1, 10, 5, 0, -6, 0, 6}).fret, 67 - 52);
    // A requested lower-numbered string loses to the one the pitch fits.
    EXPECT_EQ(compute({1, 1, 10, 5, 0, -6, 0, 1}).fret, 0);
    // The caller's words are kept.
    EXPECT_EQ(core::ParamBuffer(8), 1.0f);
    EXPECT_EQ(core::ParamBuffer(6), -6.0f);
}

TEST(TabFretText, EveryFretHasAReadableForm) {
    EXPECT_EQ(tab_fret_text(-1, false), "X");
    EXPECT_EQ(tab_fret_text(0, false), "0");
    EXPECT_EQ(tab_fret_text(7, true), "(7)");
    EXPECT_EQ(tab_fret_text(12, false), "12");
    EXPECT_EQ(tab_fret_text(99, false), "99");
    EXPECT_EQ(tab_fret_text(99, true), "(Tie)");
    EXPECT_EQ(tab_fret_text(100, false), "?");
    EXPECT_EQ(tab_fret_text(-2, false), "?");
    EXPECT_EQ(tab_fret_text(1001, false), "A");
    EXPECT_EQ(tab_fret_text(1026, false), "Z");
    EXPECT_EQ(tab_fret_text(1027, false), "?");
    EXPECT_EQ(tab_fret_text(2001, false), "a");
    EXPECT_EQ(tab_fret_text(1000, false), "?");
}

TEST_F(TabNumbersTest, TheNoteDrawerShowsTheNumberOnItsString) {
    ASSERT_TRUE(fonts_) << "the numbers are text: the build's fonts are needed";
    // A (level 6) asked on string 4: fret 7, in parentheses.
    EXPECT_EQ(drawn_text({1, 1, 10, 6, 0, -6, 0, 4, 0, 0, 0, 100}), "(7)");
    EXPECT_EQ(drawn_text({1, 1, 10, 5, 0, -6, 0, 0, -1}), "X");
    EXPECT_EQ(drawn_text({1, 1, 10, 5, 0, -46, 0, 2, 1003}), "C");
    EXPECT_EQ(drawn_text({1, 1, 10, 5, 0, -46, 0, 2, 2001}), "a");
    // A computed fret replaces what P9 held.
    EXPECT_EQ(drawn_text({1, 1, 10, 5, 0, -6, 0, 0, 12}), "0");
    // Hand-given frets past the readable ones.
    EXPECT_EQ(drawn_text({1, 1, 10, 5, 0, -46, 0, 2, 100}), "?");
    EXPECT_EQ(drawn_text({1, 1, 10, 5, 0, -46, 0, 2, -5}), "?");
    // Hand-given string 0 draws nothing; a string past the count is drawn on the last line.
    EXPECT_TRUE(draw({1, 1, 10, 5, 0, -46, 0, 0, 3}).empty());
    const auto top = draw({1, 1, 10, 5, 0, -46, 0, 1, 3});
    const auto last = draw({1, 1, 10, 5, 0, -46, 0, 6, 3});
    const auto past = draw({1, 1, 10, 5, 0, -46, 0, 9, 3});
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(last.size(), 1u);
    ASSERT_EQ(past.size(), 1u);
    EXPECT_EQ(past[0].chars.at(0).y, last[0].chars.at(0).y);
    EXPECT_NEAR(std::abs(top[0].chars.at(0).y - last[0].chars.at(0).y), 10.0f * kStep, 1.0f);
    // P8 = 101: string 1 drawn on the bottom line of six.
    const auto flipped = draw({1, 1, 10, 5, 0, -46, 0, 101, 3});
    ASSERT_EQ(flipped.size(), 1u);
    EXPECT_EQ(flipped[0].chars.at(0).y, last[0].chars.at(0).y);
    // No note head or stem: the path list holds nothing.
    EXPECT_EQ(PathPointList.count, 1);
    // The note's words are as they were.
    EXPECT_EQ(core::ParamBuffer(9), 3.0f);
    EXPECT_EQ(core::ParamBuffer(4), 5.0f);
}

TEST_F(TabNumbersTest, TheWhitePatchGoesUnderTheNumber) {
    ASSERT_TRUE(fonts_) << "the numbers are text: the build's fonts are needed";
    // On screen: a near-white box, then the text.
    const int32_t before = core::GraphicsNextFree;
    const auto shown = draw({1, 1, 10, 5, 0, -46, 0, 2, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text(), "12");
    // Filled box entries (the drawer's own) in near white, 3.35 wide for two digits.
    ASSERT_GT(core::GraphicsNextFree, before + 3);
    int32_t low = INT32_MAX, high = INT32_MIN;
    for (int32_t w = before; w + 2 < core::GraphicsNextFree; w += 3) {
        const auto i = static_cast<std::size_t>(w);
        const uint32_t word = static_cast<uint32_t>(graphics_.at(i + 1));
        if ((word & 0xFFFFFFu) != (253u | 253u << 8 | 253u << 16)) break;
        low = std::min(low, graphics_.at(i - 1));
        high = std::max(high, graphics_.at(i - 1));
    }
    EXPECT_NEAR(high - low, 2.0f * 3.5f * kScale * 3.35f, 2.0f);
    // On the PostScript pass: written white, the path list emptied.
    layout::StaffTables.StaffScale(210) = kScale;
    ASSERT_TRUE(open_postscript_unit());
    OutputPassWord = -1;
    lines_.clear();
    draw({1, 210, 10, 5, 0, -46, 0, 2, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
    OutputPassWord = 1;
    postscript_lines();
    ASSERT_GE(lines_.size(), 7u);
    EXPECT_EQ(lines_[0], " g  1 setgray");
    EXPECT_EQ(lines_[1].substr(lines_[1].size() - 2), " m");
    EXPECT_EQ(lines_[2].substr(lines_[2].size() - 2), " l");
    EXPECT_EQ(lines_[6], " g e r s  r");
    // Staff 210 belongs to the right-hand page: x moves by 34050.
    const float x = (kScale / 35.0f) * 160.0f + 10.0f * 150.0f;
    const float half = 3.5f * kScale * 2.3f;  // an "X": 2.3 wide
    int32_t low_x = INT32_MAX;
    for (int k = 1; k <= 5; ++k) low_x = std::min(low_x, std::stoi(lines_[k].substr(0, 7)));
    EXPECT_NEAR(low_x, x - half + 34050.0f, 2.0f);
}
