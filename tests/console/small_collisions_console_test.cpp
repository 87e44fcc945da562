// Small collisions on the printed page, typed as a user types them and read back from
// Ghostscript's render of the EPS file: a trill's accidental above the "tr" sign, flats and
// sharps after letters in text and in chord names, and a framed number inside its frame.
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/grey_picture.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCollisionDpi = 720;  // ten pixels to the point

// The EPS file rendered by Ghostscript (-dEPSCrop) as ink rows: true where a pixel is dark.
struct InkPicture {
    int width = 0;
    int height = 0;
    std::vector<bool> ink;
    bool at(int x, int y) const { return ink[static_cast<std::size_t>(y * width + x)]; }
};

InkPicture ink_of_eps(const fs::path& eps) {
    const GreyPicture grey = gs_grey_picture(eps, kCollisionDpi);
    InkPicture p;
    p.width = grey.width;
    p.height = grey.height;
    for (const int c : grey.greys) p.ink.push_back(c < 128);
    // A short picture (already failed by the reader) is read as empty.
    if (static_cast<int>(p.ink.size()) != p.width * p.height) p.width = p.height = 0;
    return p;
}

// The first row of a staff line (dark most of the way across), or the height when none.
int first_staff_row(const InkPicture& p) {
    for (int y = 0; y < p.height; ++y) {
        int n = 0;
        for (int x = 0; x < p.width; ++x) n += p.at(x, y);
        if (n > p.width / 2) return y;
    }
    return p.height;
}

// Runs of columns [from, to) holding ink in rows top..bottom - 1, neighbours closer than
// `join` columns taken as one.
std::vector<std::pair<int, int>> ink_runs(const InkPicture& p, int top, int bottom, int left,
                                          int right, int join, bool by_rows = false) {
    std::vector<std::pair<int, int>> runs;
    const int across_from = by_rows ? left : top;
    const int across_to = by_rows ? right : bottom;
    const int along_to = by_rows ? bottom : right;
    for (int a = by_rows ? top : left; a < along_to; ++a) {
        bool any = false;
        for (int b = across_from; b < across_to && !any; ++b)
            any = by_rows ? p.at(b, a) : p.at(a, b);
        if (!any) continue;
        if (!runs.empty() && a - runs.back().second < join)
            runs.back().second = a + 1;
        else
            runs.push_back({a, a + 1});
    }
    return runs;
}

class SmallCollisionsTest : public ConsoleSessionTest {
  protected:
    // The page of the lines, printed with "PRPS" and rendered; the file must read clean.
    InkPicture printed(std::vector<std::string> lines) {
        lines.insert(lines.begin(), {"EI", "8 1 0"});
        lines.push_back("PRPS");
        const std::string out = type(lines);
        EXPECT_TRUE(fs::exists("eps.eps")) << out;
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean("eps.eps", why)) << why;
        return ink_of_eps("eps.eps");
    }
};

}  // namespace

// Each of the five accidentals (P8 1 to 5) stands clear above its trill sign: a band of blank
// rows of at least a point lies between the two inks.
TEST_F(SmallCollisionsTest, TrillAccidentalsStandClearAboveTheSign) {
    const InkPicture p = printed({"7 1 20 10 1 0 0 1", "7 1 40 10 1 0 0 2", "7 1 60 10 1 0 0 3",
                                  "7 1 80 10 1 0 0 4", "7 1 100 10 1 0 0 5"});
    const int staff = first_staff_row(p);
    const auto trills = ink_runs(p, 0, staff - 5, 0, p.width, 100);
    ASSERT_EQ(trills.size(), 5u);
    for (const auto& [from, to] : trills) {
        const auto rows = ink_runs(p, 0, staff - 5, from, to, 1, true);
        ASSERT_GE(rows.size(), 2u) << "the accidental touches the sign at column " << from;
        EXPECT_GE(rows[1].first - rows[0].second, kCollisionDpi / 72) << "column " << from;
    }
}

// A flat, a sharp and a natural after a letter in a text: 0.3 points at least between the
// letter's ink and the sign's (the signs once touched the letters, A and F most).
TEST_F(SmallCollisionsTest, FlatsAndSharpsInTextClearTheLetterBefore) {
    const InkPicture p =
        printed({"T 1 20 14", "B?1", "T 1 50 14", "F?2", "T 1 80 14", "A?3", "T 1 110 14", "E?1"});
    const int staff = first_staff_row(p);
    const auto words = ink_runs(p, 0, staff - 5, 0, p.width, 60);
    ASSERT_EQ(words.size(), 4u);
    for (const auto& [from, to] : words) {
        const auto glyphs = ink_runs(p, 0, staff - 5, from, to, 1);
        std::string seen;
        for (const auto& [a, b] : glyphs) seen += " " + std::to_string(a) + "-" + std::to_string(b);
        ASSERT_EQ(glyphs.size(), 2u) << "the sign touches the letter at column " << from << seen;
        EXPECT_GE(glyphs[1].first - glyphs[0].second, kCollisionDpi / 240) << "column " << from;
    }
}

// A chord grid's name ("F?2m" and "B?1m"): the sign clears the letter before it.
TEST_F(SmallCollisionsTest, ChordNamesKeepTheirSignsClearOfTheLetter) {
    const InkPicture p = printed({"12 1 30 8 -4 1 42 2", "12 1 90 8 -4 1 71 2"});
    for (const int want : {0, 1}) {
        // The name: the ink rows from the top down to the first blank row after them.
        const auto grids = ink_runs(p, 0, first_staff_row(p) - 5, 0, p.width, 200);
        ASSERT_EQ(grids.size(), 2u);
        const auto [from, to] = grids[static_cast<std::size_t>(want)];
        const auto rows = ink_runs(p, 0, p.height, from, to, 1, true);
        ASSERT_FALSE(rows.empty());
        const auto glyphs = ink_runs(p, rows[0].first, rows[0].second, from, to, 1);
        ASSERT_GE(glyphs.size(), 2u) << "the sign touches the letter in name " << want;
        EXPECT_GE(glyphs[1].first - glyphs[0].second, kCollisionDpi / 240) << "name " << want;
    }
}

// "12" and "7" in a box and "12" in a circle: the digits' ink is centred between the frame's
// sides, within half a point.
TEST_F(SmallCollisionsTest, FramedNumbersStandInTheMiddleOfTheirFrames) {
    const InkPicture p =
        printed({"10 1 20 12 12 1 0 2", "10 1 60 12 12 1 0 1", "10 1 100 12 7 1 0 2"});
    const int staff = first_staff_row(p);
    const auto frames = ink_runs(p, 0, staff - 5, 0, p.width, 100);
    ASSERT_EQ(frames.size(), 3u);
    for (const auto& [from, to] : frames) {
        // The frame's middle row band: its sides and the digits between them.
        const auto rows = ink_runs(p, 0, staff - 5, from, to, 1, true);
        ASSERT_FALSE(rows.empty());
        const int middle = (rows.front().first + rows.back().second) / 2;
        const auto parts = ink_runs(p, middle - 3, middle + 3, from, to, 1);
        ASSERT_GE(parts.size(), 3u) << "the digits cross the frame at column " << from;
        const double frame_middle = (parts.front().first + parts.back().second) / 2.0;
        // The digits: the ink between the sides, in the rows about the middle that they fill.
        const auto digits = ink_runs(p, middle - 25, middle + 25, parts.front().second + 8,
                                     parts.back().first - 8, 1000);
        ASSERT_EQ(digits.size(), 1u);
        const double digits_middle = (digits[0].first + digits[0].second) / 2.0;
        EXPECT_NEAR(digits_middle, frame_middle, kCollisionDpi / 144.0) << "column " << from;
    }
}
