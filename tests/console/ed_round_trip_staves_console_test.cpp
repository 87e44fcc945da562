// "EDI" on a page of two staves, typed and from a command file: taking every offered line as it
// stands gives back the page item for item, in the same order, and the other staff's items keep
// their places and their exact positions; UNDO after a round gives back the page before it. A
// staff justified with the one above comes back in its justified places; a changed line spaces
// it again.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/run_status.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"

namespace {

class EdStavesRoundTripTest : public ConsoleSessionTest {
  protected:
    // Every item as a line of its parameters, in store order: a difference names the item.
    static std::vector<std::string> ed_staves_items() { return stored_item_lines(); }
    static int32_t ed_staves_on(int32_t staff) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            n += static_cast<int32_t>(core::ItemStore(core::ItemStartTable(k) + 2)) == staff;
        return n;
    }
    // Two staves typed through IN, each with notes, bar lines, marks and slurs (and beams on
    // the second).
    std::string ed_staves_page() {
        return type({"IN 1", "", "C4/D/E/F/M/G/A/B/C5/M;", "Q;", "MF 1/A 3;", ";", "1 2/5 8;",
                     "X", "N", "IN 2", "", "BA/C3/E/G/M/C4/G3/E/C3/M;", "E;", "P 2/S 4;", "1 4;",
                     "2 3;", "X", "N"});
    }
    // The answers of one "EDI" round after its box: the staff question, the position, notes,
    // rhythms, marks, beams and slurs lines, all taken as offered (the staves hold bar lines:
    // no bar lines are offered), and "X" at the closing menu.
    static std::vector<std::string> ed_staves_answers() {
        return {"", "", "", "", "", "", "", "X"};
    }
    std::string ed_staves_round(int32_t staff) {
        const std::string box = std::to_string(staff) + " 0 200 " + std::to_string(staff);
        std::vector<std::string> lines = {"EDI", box, "Y"};
        for (const std::string& a : ed_staves_answers()) lines.push_back(a);
        return type(lines);
    }
};

// Each staff in turn, two rounds each, with UNDO after every round: the store never changes.
TEST_F(EdStavesRoundTripTest, EachStaffComesBackInItsPlace) {
    ed_staves_page();
    ASSERT_GT(ed_staves_on(1), 10);
    ASSERT_GT(ed_staves_on(2), 10);
    const std::vector<std::string> typed = ed_staves_items();
    for (int32_t staff : {1, 2, 1}) {
        for (int round = 1; round <= 2; ++round) {
            const std::string out = ed_staves_round(staff);
            EXPECT_EQ(out.find("Error"), std::string::npos) << out;
            ASSERT_EQ(ed_staves_items(), typed) << "staff " << staff << " round " << round << out;
            EXPECT_EQ(input::InputModeActive, 0) << out;
            type({"UNDO"});
            ASSERT_EQ(ed_staves_items(), typed) << "UNDO, staff " << staff << " round " << round;
        }
    }
}

// The other staff's items keep their exact words: positions with more than two decimals there
// are not rounded while the edited staff is sorted and written back.
TEST_F(EdStavesRoundTripTest, TheOtherStaffKeepsItsExactPositions) {
    for (int32_t edited : {1, 2}) {
        core::reset_engine();
        ed_staves_page();
        const float other = static_cast<float>(3 - edited);
        int32_t moved = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const int32_t s = core::ItemStartTable(k);
            if (core::ItemStore(s + 2) != other || core::ItemStore(s + 1) > 2.0f) continue;
            core::ItemStore(s + 3) += 0.0037f;  // notes and rests off the two-decimal grid
            ++moved;
        }
        ASSERT_GT(moved, 5);
        const std::vector<std::string> typed = ed_staves_items();
        const std::string out = ed_staves_round(edited);
        EXPECT_EQ(ed_staves_items(), typed) << "staff " << edited << out;
        type({"UNDO"});
        EXPECT_EQ(ed_staves_items(), typed) << "UNDO, staff " << edited;
    }
}

// "EDI" in a command file: the box line and the answers follow the word, the range is
// re-edited (never copied), and the file reads on after the closing answer: a second "EDI"
// on the other staff, then an input run of a third staff. A command file's lines take no undo
// copies of their own: "UNDO" gives back the page of the last copy, taken by the typed round
// before the file.
TEST_F(EdStavesRoundTripTest, CommandFileReEditsAndReadsOn) {
    ed_staves_page();
    const std::vector<std::string> typed = ed_staves_items();
    ed_staves_round(1);
    ASSERT_EQ(ed_staves_items(), typed);
    {
        std::ofstream file("ed_staves.cmd");
        for (int32_t staff : {1, 2}) {
            // The seven lines taken as offered, then "X" at the closing menu.
            file << "EDI\n" << staff << " 0 200 " << staff << "\n\n\n\n\n\n\n\nX\n";
        }
        file << "IN 3\n\nC4/D;\nH;\n;\n;\n;\n";
    }
    const std::string out = type({"RE ed_staves.cmd"});
    EXPECT_EQ(out.find("nothing moved"), std::string::npos) << out;
    ASSERT_EQ(ed_staves_on(3), 3) << out;  // its staff item and two notes
    std::vector<std::string> now = ed_staves_items();
    now.resize(typed.size());
    EXPECT_EQ(now, typed) << out;
    type({"UNDO"});
    EXPECT_EQ(ed_staves_items(), typed);
}

// A staff the writing-back refuses (two notes of different lengths at one place) is left as
// it was, and so is the rest of the page: nothing sorted (the staff sort would bring each
// staff's marks and slurs among its notes).
TEST_F(EdStavesRoundTripTest, ARefusedStaffLeavesThePageAsItWas) {
    ed_staves_page();
    int32_t notes = 0;
    float first_x = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (core::ItemStore(s + 1) != 1.0f) continue;
        if (core::ItemStore(s + 2) != 2.0f) continue;
        // The second note of staff 2 sounds with the first, twice as long.
        if (++notes == 1) first_x = core::ItemStore(s + 3);
        if (notes == 2) {
            core::ItemStore(s + 3) = first_x;
            core::ItemStore(s + 7) *= 2.0f;
        }
    }
    ASSERT_GT(notes, 2);
    const std::vector<std::string> before = ed_staves_items();
    const std::string out = type({"EDI", "2 0 200 2", "Y"});
    EXPECT_NE(out.find("Cannot re-edit counterpoint"), std::string::npos) << out;
    EXPECT_EQ(ed_staves_items(), before) << out;
    // Staff 1 is still written back and comes back whole.
    EXPECT_EQ(ed_staves_round(1).find("Error"), std::string::npos);
    EXPECT_EQ(ed_staves_items(), before);
}

// A refused staff question ("^", then Edit at "Abandon input?") starts the edit form again: its
// roll-back goes to the page without
// the range, never to where an earlier input run began (here the second staff's, with the
// first staff's items still counted), and the round trip stays exact.
TEST_F(EdStavesRoundTripTest, StartingTheEditFormAgainRollsBackToThePageWithoutTheRange) {
    ed_staves_page();
    const std::vector<std::string> typed = ed_staves_items();
    std::vector<std::string> lines = {"EDI", "1 0 200 1", "Y", "^", "E", "IN 1"};
    const std::vector<std::string> answers = ed_staves_answers();
    lines.insert(lines.end(), answers.begin() + 1, answers.end());
    const std::string out = type(lines);
    EXPECT_EQ(ed_staves_items(), typed) << out;
}

// A file answers the lines alone: on a staff without bar lines the bar-lines question is not
// asked, so the record after the slurs line is the closing menu's, and the file reads on.
TEST_F(EdStavesRoundTripTest, CommandFileAnswersTheLinesAlone) {
    type({"IN 1", "", "C4/D/E/F/G;", "Q;", "N", "A 2;", ";", "1 3;", "X", "N"});
    const std::vector<std::string> typed = ed_staves_items();
    ASSERT_EQ(ed_staves_on(1), 7);  // the staff item, five notes (one accented) and the slur
    {
        std::ofstream file("ed_lines.cmd");
        file << "EDI\n1 0 200 1\n\n\n\n\n\n\n\nX\nIN 2\n\nC4/D;\nH;\n;\n;\n;\n";
    }
    // Were the question asked, the typed "X" would answer it and leave the edit form.
    const std::string out = type({"RE ed_lines.cmd", "X"});
    EXPECT_EQ(out.find("Add bar lines"), std::string::npos) << out;
    EXPECT_EQ(ed_staves_on(2), 3) << out;
    std::vector<std::string> now = ed_staves_items();
    now.resize(typed.size());
    EXPECT_EQ(now, typed) << out;
    EXPECT_EQ(input::InputModeActive, 0);
}

// Two staves justified together: their notes and bar lines stand at places the staff's own
// lines would not give it. "EDI" on the lower staff with every line as offered (once, and
// again after "E" at the closing menu) saves the very document saved before it; a changed
// line (the rhythms line typed as "Q;") spaces the staff again, off the other staff's bars.
TEST_F(EdStavesRoundTripTest, AJustifiedStaffKeepsItsPlacesWhenEveryLineIsOffered) {
    const std::vector<std::string> kPage = {
        "IN 1",
        "",
        "BA/3 4/C3/E3/G3/M2/C3/E3/G3/M/C3/E3/G3/M/C3/E3/G3/MDD2;",
        "Q;",
        ";",
        ";",
        ";",
        "X",
        "Y",
        "",
        "TR/3 4/C4/E4/G4/M1/C4/E4/G4/M/C4/E4/G4/M/C4/E4/G4/MDD1;",
        "Q;",
        ";",
        ";",
        ";",
        "X",
        "N",
        "LJ",
        "1 2",
        "Y",
        "SA d.mus"};
    // Bar line positions of one staff, in a saved document's records.
    const auto bars = [](const std::vector<std::string>& records, int staff) {
        std::vector<float> out;
        for (const std::string& r : records) {
            float c = 0, st = 0, x = 0;
            if (std::sscanf(r.c_str(), "%f %f %f", &c, &st, &x) == 3 && c == 14.0f && st == staff)
                out.push_back(x);
        }
        return out;
    };
    const std::vector<std::string> offered(7, "");
    struct Row {
        const char* name;
        std::vector<std::string> answers;  // after "EDI", the box and "Y"
        bool same;
    };
    std::vector<std::string> again = offered;
    again.push_back("E");
    again.insert(again.end(), offered.begin(), offered.end());
    const Row kRows[] = {
        {"every line offered", offered, true},
        {"offered twice, E between", again, true},
        {"rhythms line changed", {"", "", "", "Q;", "", "", ""}, false},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        core::reset_engine();
        std::filesystem::remove(temp_.root() / "d.mus");
        std::filesystem::remove(temp_.root() / "e.mus");
        type(kPage);
        const std::vector<std::string> before = saved_records(temp_.root() / "d.mus");
        ASSERT_EQ(bars(before, 1), bars(before, 2));
        std::vector<std::string> lines = {"EDI", "1 0 0", "Y"};
        lines.insert(lines.end(), row.answers.begin(), row.answers.end());
        lines.push_back("X");
        lines.push_back("SA e.mus");
        const std::string out = type(lines);
        const std::vector<std::string> after = saved_records(temp_.root() / "e.mus");
        ASSERT_FALSE(after.empty()) << out;
        EXPECT_EQ(marked_status(), 0) << out;
        if (row.same) {
            EXPECT_EQ(after, before) << out;
        } else {
            EXPECT_NE(bars(after, 1), bars(after, 2)) << out;
            EXPECT_EQ(bars(after, 2), bars(before, 2)) << out;
        }
    }
}

}  // namespace
