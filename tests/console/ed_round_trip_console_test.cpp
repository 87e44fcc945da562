// Music typed through the console's input mode and taken back through "EDI" with every offered
// line kept: each round must leave the store as it found it, item for item, in the same order
// (chords after stem words, every kind of mark, octave and trill lines, hairpins, tremolos,
// beams, slurs and ties), and UNDO after a round gives back the page before it.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/store_records.h"

namespace {

// The five typed lines of one input run.
struct EdRoundLines {
    const char* notes;
    const char* rhythms;
    const char* marks;
    const char* beams;
    const char* slurs;
};

class EdRoundTripTest : public ConsoleSessionTest {
  protected:
    // Every item as a line of its parameters, in store order: a difference names the item.
    static std::vector<std::string> ed_round_items() { return stored_item_lines(); }
    static float ed_round_p(int32_t item, int32_t k) {
        const int32_t s = core::ItemStartTable(item);
        return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
    }
    static int32_t ed_round_count(int32_t code) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) n += ed_round_p(k, 1) == code;
        return n;
    }
    // IN 1 with the five lines; a notes line with bar lines of its own is asked no bar lines.
    std::string ed_round_type(const EdRoundLines& l) {
        std::vector<std::string> in = {"IN 1", "", l.notes, l.rhythms};
        if (std::string(l.notes).find('M') == std::string::npos) in.push_back("N");
        for (const char* line : {l.marks, l.beams, l.slurs, "X", "N"}) in.push_back(line);
        return type(in);
    }
    // "EDI" on staff 1 over the whole width, the box confirmed, Enter on every offered line,
    // and "X" at the closing menu.
    std::string ed_round() {
        return type({"EDI", "1 0 200 1", "Y", "", "", "", "", "", "", "", "", "X"});
    }
    // Two rounds, each followed by UNDO and by the round again: the store never changes.
    void ed_round_twice(const std::string& label) {
        const std::vector<std::string> typed = ed_round_items();
        for (int round = 1; round <= 2; ++round) {
            const std::string out = ed_round();
            EXPECT_EQ(out.find("Error"), std::string::npos) << label << out;
            ASSERT_EQ(ed_round_items(), typed) << label << " round " << round << out;
            type({"UNDO"});
            ASSERT_EQ(ed_round_items(), typed) << label << " UNDO after round " << round;
        }
    }
};

// A chord after "SO" keeps the down stem the automatic rule gave it, and its words go before the
// chord: "SO/C'E", never "C'SO/E", which splits the chord and leaves the chord under "SU".
TEST_F(EdRoundTripTest, ChordsAfterStemWordsKeepTheirStems) {
    ed_round_type({"SU/D5/SO/C5:E5;", "Q;", "A 1;", ";", "1 2;"});
    ASSERT_EQ(core::ItemCount, 5);
    // The chord's first note carries the down stem; the slur over it stays as typed.
    EXPECT_EQ(static_cast<int32_t>(ed_round_p(3, 5)) % 100 / 10, 2);
    EXPECT_EQ(ed_round_p(5, 8), -1.0f);
    const std::vector<std::string> typed = ed_round_items();
    const std::string out = ed_round();
    EXPECT_NE(out.find("SU/OD5/SO/C'E;"), std::string::npos) << out;
    EXPECT_EQ(ed_round_items(), typed) << out;
    ed_round_twice("one chord");

    // Chords above, across and below the middle line, under every stem word.
    core::reset_engine();
    ed_round_type({"C4:E:G/SD/D4:F4/E5:G5:B5/SU/A5:C6/SO/F3:A3:C4/B4:D5/A4:C5/SD/B4;", "H;",
                   "S 2/A 4;", ";", "1 3/2 -4/5 +6;"});
    ASSERT_EQ(ed_round_count(1), 18);
    ed_round_twice("chords");
}

// Dynamics stand at their note's x and an octave line runs a sixth of the staff past its last
// note, as the marks line makes them: the lines written back name the same notes, so nothing
// moves however many rounds are taken, and the marks come back in the order they were typed.
TEST_F(EdRoundTripTest, DynamicsAndOctaveLinesStayWhereTheyWereTyped) {
    ed_round_type({"C4/D/E/F/G/A;", "Q;", "MF 3/P 1/8VA 2:5/TR 4/C 1 6;", ";", "2 99;"});
    ASSERT_EQ(core::ItemCount, 12);
    EXPECT_EQ(ed_round_p(8, 3), 68.0f);  // MF on note 3
    EXPECT_EQ(ed_round_p(10, 1), 7.0f);  // the octave line, after the two dynamics
    EXPECT_FLOAT_EQ(ed_round_p(10, 6), 134.0f + 1.0f / 6.0f);
    const std::string out = ed_round();
    EXPECT_NE(out.find("TR 4/MF 3/P 1/O 2 5/C 1 6;"), std::string::npos) << out;
    EXPECT_NE(out.find("2 -99;"), std::string::npos) << out;
    ed_round_twice("dynamics");
    EXPECT_EQ(ed_round_p(8, 3), 68.0f);
    EXPECT_FLOAT_EQ(ed_round_p(10, 6), 134.0f + 1.0f / 6.0f);
}

// Every mark word of the marks line, on either side, comes back as it was typed.
TEST_F(EdRoundTripTest, EveryMarkKindComesBackInPlace) {
    const char* const kMarks[] = {
        "FIF 1/FIS 2/FIN 3/W 4/A 5/T 6/S 7/WS 8;",
        "AS 1/TS 2/D 3/U 4/H 5/FE 6/AR 7/TH 8;",
        "MO 1/IM 2/HW 3/TR 4/TRF 5/TRS 6/TRN 7/PL 8;",
        "ACT 1/S2 2/S3 3/S4 4/F0 5/F9 6/-A 7/+W 8;",
        "PPP 1/PP 2/FF 3/FFF 4/FP 5/SF 6/SFZ 7/CR 8;",
        "DI 1/RI 2/PZ 3/AO 4/AC 5/MP 6/F 7/+P 8/-PZ 1/N5 2/+N70 3;",
        "OB 1 3/O 4 6/TRW 2 5/TRSW 6 8/C 1 4/DC 5 8/+C 2 3;",
        "TE1 1/TE2 2/TE3 3/TE4 4/TEE 5/TES 6/TX 7;",
    };
    // The items each line makes besides its 8 notes and staff.
    // (AR is the marcato, a mark of its note, as the lines write it back: no item of its own.)
    const int32_t kMade[] = {0, 0, 0, 0, 8, 11, 7, 7};
    for (std::size_t i = 0; i < std::size(kMarks); ++i) {
        core::reset_engine();
        ed_round_type({"C4/D/E/F/G/A/B/C5;", "Q;", kMarks[i], ";", ";"});
        ASSERT_EQ(core::ItemCount, 9 + kMade[i]) << kMarks[i];
        ed_round_twice(kMarks[i]);
    }
    // "S2" (26) is no tremolo: the note keeps it as its own mark.
    core::reset_engine();
    ed_round_type({"C4/D;", "Q;", "S2 1/S4 2;", ";", ";"});
    const std::string out = ed_round();
    EXPECT_NE(out.find("S2 1/S4 2;"), std::string::npos) << out;
    EXPECT_EQ(ed_round_count(6), 0);
    EXPECT_EQ(ed_round_p(2, 11), 26.0f);
}

// Slurs, ties (a chord's split over both sides), beams, bar lines, rests, clefs, cue notes and
// stem lengths.
TEST_F(EdRoundTripTest, SlursTiesBeamsAndTheRestComeBack) {
    const EdRoundLines kLines[] = {
        {"C4/C4/D/D/E:G/E:G/F/A;", "Q;", "S 5/A 2;", ";", "1 2/3 -4/5 6/6 7/7 +8/8 9;"},
        {"C4/D/E/F/M/G/A/B/C5/MD;", "E;", "F 5/P 2;", "1 4/5 8;", "2 6/1 99;"},
        {"BA/C3/E/G/C4:E4/SU/C3:E3/SD/G2:B2;", "Q;", "MF 2/OB 1 3;", ";", ";"},
        {"C4/R/D/RU/E/RD/F/RW;", "Q;", "P 1/F 3;", ";", ";"},
        {"Q+/C4/D/Q0/E/F;", "E;", ";", "1 4;", ";"},
        {"S+/C4/D/S-/E/S0/F;", "Q;", ";", ";", "1 4;"},
    };
    for (const EdRoundLines& l : kLines) {
        core::reset_engine();
        const std::string out = ed_round_type(l);
        ASSERT_GT(core::ItemCount, 5) << l.notes << out;
        ed_round_twice(l.notes);
    }
}

// A staff with no staff item, taken back through "EDI": with every line as offered the saved
// page is the page before, word for word; with the position line changed it holds the items
// it held before and the staff item the form adds, no more (the whole page taken out, or a
// staff beside it kept). The script's next line runs.
TEST_F(EdRoundTripTest, AStaffWithoutItsStaffItemGainsOnlyTheStaffItem) {
    const std::vector<std::string> kMusic = {"NOTE 1 20 5", "X", "NOTE 1 60 7",  "X",
                                             "REST 1 100",  "X", "NOTE 1 140 9", "X"};
    const std::vector<std::vector<std::string>> kPages = {
        kMusic,
        {"NOTE 1 20 5", "X"},
        {"EI", "8 2 0", "1 2 30 4 5 0 1", "EI", "NOTE 1 20 5", "X", "NOTE 1 60 7", "X"},
    };
    // Code, staff and pitch of every item, sorted: the form may space the notes anew.
    const auto kinds = [](const std::vector<std::string>& records) {
        std::vector<std::string> out;
        for (const std::string& r : records) {
            float c = 0, staff = 0, x = 0, y = 0;
            const int n = std::sscanf(r.c_str(), "%f %f %f %f", &c, &staff, &x, &y);
            out.push_back(std::to_string(static_cast<int>(c)) + " " +
                          std::to_string(static_cast<int>(staff)) + " " +
                          (n == 4 && c != 8.0f ? std::to_string(y) : std::string()));
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        core::reset_engine();
        std::filesystem::remove(temp_.root() / "ed.mus");
        type(kPages[i]);
        const std::vector<std::string> typed = stored_item_lines();
        std::vector<std::string> expected = kinds(typed);
        expected.push_back("8 1 ");
        std::sort(expected.begin(), expected.end());
        std::string out =
            type({"EDI", "1 0 0", "Y", "", "", "", "", "", "", "", "", "X", "SA ed.mus"});
        EXPECT_EQ(saved_records(temp_.root() / "ed.mus"), typed) << out;
        std::filesystem::remove(temp_.root() / "ed.mus");
        out = type({"EDI", "1 0 0", "Y", "", "2 200", "", "", "", "", "", "", "X", "SA ed.mus"});
        EXPECT_EQ(kinds(saved_records(temp_.root() / "ed.mus")), expected) << out;
    }
}

}  // namespace
