// Transposing a tablature staff as a user does it: music typed in the input mode, "TAB", then
// "TR" over the tab staff and its source. The tab notes' frets follow the new pitches; the tab
// staff gets no key signature and keeps its clef, slurs, beams and stems; UNDO restores it all.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/render/text/tab_numbers.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

using TabTrItem = std::vector<float>;

class TabTranspositionTest : public ConsoleSessionTest {
  protected:
    static TabTrItem item_words(int32_t k) {
        TabTrItem p;
        for (int32_t j = 1; j <= static_cast<int32_t>(stored_param(k, 0)); ++j)
            p.push_back(stored_param(k, j));
        return p;
    }
    static bool is_tab_note(const TabTrItem& p) {
        return p[0] == 1.0f && p.size() >= 6 && p[5] <= -4.0f;
    }
    // The written pitch the fret is worked out from, read as the number drawer reads it.
    static int32_t sounding(const TabTrItem& p) {
        const int32_t code = -static_cast<int32_t>(p[5]);
        int32_t kind = code / 10;
        int32_t level = static_cast<int32_t>(p[3]) % 100;
        if (kind == 8) level += 7;
        if (kind == 9) level -= 7;
        if (kind == 15) level += 14;
        if (kind == 8 || kind == 9 || kind == 15) kind = 0;
        return render::compute_tab_pitch(level, kind, std::abs(static_cast<int32_t>(p[4])) % 10);
    }
    // The struck tab notes of staff s (in position order) and everything else on it (sorted).
    static void staff_parts(int32_t s, std::vector<TabTrItem>& notes,
                            std::vector<TabTrItem>& rest) {
        notes.clear();
        rest.clear();
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 2) != static_cast<float>(s)) continue;
            const TabTrItem p = item_words(k);
            if (!is_tab_note(p))
                rest.push_back(p);
            else if (p.size() >= 8 && p[7] >= 0.0f)
                notes.push_back(p);
        }
        std::stable_sort(notes.begin(), notes.end(),
                         [](const TabTrItem& a, const TabTrItem& b) { return a[2] < b[2]; });
        std::sort(rest.begin(), rest.end());
    }
    static int32_t count_code(int32_t s, float code) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 2) == static_cast<float>(s) && stored_param(k, 1) == code) ++n;
        return n;
    }
    // Every item of the page, sorted: the transposition sorts the store before its undo copy.
    static std::vector<TabTrItem> store_words() {
        std::vector<TabTrItem> items;
        for (int32_t k = 1; k <= core::ItemCount; ++k) items.push_back(item_words(k));
        std::sort(items.begin(), items.end());
        return items;
    }
    // Checks that every struck tab note of staff 1 sounds t half steps from where it was and
    // still carries the accidental that sounds, and that nothing else on the staff moved.
    // respaced: a key added to the system respaces its columns, so horizontal places (P3, and
    // a slur's or beam's right end) may move with the source staff's; nothing else may.
    void expect_moved_by(const std::vector<TabTrItem>& notes_before,
                         const std::vector<TabTrItem>& rest_before, int32_t t,
                         bool respaced = false) {
        std::vector<TabTrItem> notes;
        std::vector<TabTrItem> rest;
        staff_parts(1, notes, rest);
        ASSERT_EQ(notes.size(), notes_before.size());
        for (size_t i = 0; i < notes.size(); ++i) {
            EXPECT_EQ(sounding(notes[i]), sounding(notes_before[i]) + t) << "at " << notes[i][2];
            EXPECT_NE(static_cast<int32_t>(notes[i][4]) % 10, 0) << "at " << notes[i][2];
        }
        if (!respaced) {
            EXPECT_EQ(rest, rest_before);
            return;
        }
        const auto without_x = [](std::vector<TabTrItem> items) {
            for (TabTrItem& item : items) {
                if (item.size() > 2) item[2] = 0;
                if (item.size() > 5 && (item[0] == 5 || item[0] == 6)) item[5] = 0;
            }
            std::sort(items.begin(), items.end());
            return items;
        };
        EXPECT_EQ(without_x(rest), without_x(rest_before));
    }
};

// Eight notes with a beam and a slur on staff 2, made into tablature with its rhythm line on
// staff 1.
const std::vector<std::string> kTabTrTrebleLine = {
    "IN 2", "",  "TR/C4/E/G/C5/D/E/F/G;",  "E;", "N", ";", "1 2;", "5 6;",
    "X",    "N", "TAB 2 6 1 0 0 0 0 0 0 1"};

TEST_F(TabTranspositionTest, ANewKeyGoesOnTheSourceStaffOnly) {
    type(kTabTrTrebleLine);
    std::vector<TabTrItem> notes;
    std::vector<TabTrItem> rest;
    staff_parts(1, notes, rest);
    ASSERT_EQ(notes.size(), 8u);
    ASSERT_EQ(count_code(1, 6.0f), 1);  // the rhythm line's beam
    ASSERT_EQ(count_code(1, 5.0f), 2);  // the tab slur and the rhythm line's
    const std::vector<TabTrItem> before = store_words();

    type({"TR 3 1 0 0 2 1"});  // up a minor third to E flat, with its key signature
    EXPECT_EQ(count_code(1, 17.0f), 0);
    EXPECT_EQ(count_code(2, 17.0f), 1);
    expect_moved_by(notes, rest, 3, true);

    type({"UNDO"});
    EXPECT_EQ(store_words(), before);
}

TEST_F(TabTranspositionTest, ABassTabStaffFromACommandFileAndANewClef) {
    // Bass clef, no string count: four strings, the notes read in the bass clef.
    type({"IN 2", "", "BA/C3/E/G/C4/D/E/FS/G;", "Q;", "N", ";", ";", ";", "X", "N", "TAB 2 0 1"});
    std::vector<TabTrItem> notes;
    std::vector<TabTrItem> rest;
    staff_parts(1, notes, rest);
    ASSERT_EQ(notes.size(), 8u);
    EXPECT_EQ(notes[0][5], -14.0f);
    const std::vector<TabTrItem> before = store_words();
    {
        std::ofstream f("down.cmd");
        f << "TR -3 1 0 0 2\n";
    }
    type({"RE down.cmd"});
    EXPECT_EQ(count_code(1, 17.0f), 0);
    expect_moved_by(notes, rest, -3);
    type({"UNDO"});
    EXPECT_EQ(store_words(), before);

    // A new clef for the staves: the tab staff keeps its tab clef and its notes' levels
    // still read in the bass clef.
    type({"TR 2 1 0 0 2 0 2"});
    expect_moved_by(notes, rest, 2);
    int32_t alto = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k)
        if (stored_param(k, 1) == 3.0f && stored_param(k, 2) == 2.0f && stored_param(k, 5) == 2.0f)
            ++alto;
    EXPECT_EQ(alto, 1);
    type({"UNDO"});
    EXPECT_EQ(store_words(), before);
}

TEST_F(TabTranspositionTest, ChordsWhoseStringsNoLongerTakeThemArePlacedAgain) {
    // B3 D4 at 30 lies on strings 5 and 4 (frets 2 and 0); E3 A3 at 50 on the open strings 6
    // and 5. A half step down, C sharp 4 is below its open string and would be drawn on the
    // string of A sharp 3; D sharp 3 falls below the lowest string, which G sharp 3 needs.
    type({"EI", "8 2 0", "1 2 10 5 0 0 1", "1 2 30 0 0 0 1", "1 2 30 2 0 0 1", "1 2 50 -4 0 0 1",
          "1 2 50 -1 0 0 1", "EI", "TAB 2 6 1"});
    std::vector<TabTrItem> notes;
    std::vector<TabTrItem> rest;
    staff_parts(1, notes, rest);
    ASSERT_EQ(notes.size(), 5u);
    EXPECT_EQ(notes[1][7], 5.0f);
    EXPECT_EQ(notes[2][7], 4.0f);
    const float g_string = notes[0][7];
    const std::vector<TabTrItem> before = store_words();

    const std::string out = type({"TR -1 1 0 0 2"});
    EXPECT_NE(out.find("**** impossible chord **** P3 = 50.00"), std::string::npos) << out;
    staff_parts(1, notes, rest);
    ASSERT_EQ(notes.size(), 4u);       // D sharp 3 has no string left: G sharp 3 holds the lowest
    EXPECT_EQ(notes[0][7], g_string);  // a single note keeps its string
    EXPECT_EQ(notes[1][7], 6.0f);      // A sharp 3
    EXPECT_EQ(notes[2][7], 5.0f);      // C sharp 4
    EXPECT_EQ(notes[3][7], 6.0f);      // G sharp 3
    EXPECT_EQ(notes[3][3], -2.0f);

    type({"UNDO"});
    EXPECT_EQ(store_words(), before);
}

}  // namespace
