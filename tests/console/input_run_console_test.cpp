// Music typed through the console's input mode as a user types it, and taken back through "EDI":
// marks after chords, slurs and ties, long notes lines, many runs in one program, lines read
// from command files, and the input mode's own questions.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/files/undo.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/support/console_run.h"
#include "tests/support/saved_records.h"
#include "tests/support/test_files.h"

namespace {

class InputRunConsoleTest : public ConsoleSessionTest {
  protected:
    static float p(int32_t item, int32_t k) {
        const int32_t s = core::ItemStartTable(item);
        return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
    }
    static int32_t code(int32_t item) { return static_cast<int32_t>(p(item, 1)); }
    // The whole store as its words, for a document that must come back the same.
    static std::vector<float> store_words() {
        std::vector<float> w;
        for (int32_t k = 1; k < core::ItemWordsUsed; ++k) w.push_back(core::ItemStore(k));
        return w;
    }
    // The items of one code, in store order.
    static std::vector<int32_t> items_of(int32_t c) {
        std::vector<int32_t> found;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (code(k) == c) found.push_back(k);
        return found;
    }
    // "EDI" on staff 1 over the whole width, the box confirmed, every offered line kept (an
    // empty answer takes it), no bar lines, and "X" at the closing menu.
    std::string ed_keeping_every_line() {
        return type({"EDI", "1 0 200 1", "Y", "", "", "", "", "", "", "", "", "X"});
    }
    std::vector<std::string> work_records(const std::string& name) const {
        std::ifstream in(platform::local_path(core::work_copy_name(name)));
        std::vector<std::string> records;
        for (std::string l; std::getline(in, l);) records.push_back(l);
        return records;
    }
};

// Note numbers in the marks line count note columns, a chord once: "S 3" after a chord marks
// the third column's note, and a chord's mark goes to its first note. Taken back through "EDI"
// the marks line names the same columns and the page comes back word for word.
TEST_F(InputRunConsoleTest, MarksAfterAChordLandOnTheirColumnsAndComeBackThroughEd) {
    const std::string out =
        type({"IN 1", "", "C4/E:G/A/B;", "Q;", "N", "S 3/A 2/W 4;", ";", ";", "X", "N"});
    ASSERT_EQ(core::ItemCount, 6) << out;
    // Items 2..6: C4, E and G (one chord), A, B.
    EXPECT_EQ(p(2, 11), 0.0f);
    EXPECT_EQ(static_cast<int32_t>(p(3, 11)), 5);  // the accent on the chord's first note
    EXPECT_EQ(p(4, 11), 0.0f);                     // nothing on its second
    EXPECT_EQ(p(5, 11), 7.0f);                     // the staccato on A
    EXPECT_EQ(static_cast<int32_t>(p(6, 11)), 4);  // the wedge on B
    const std::vector<float> typed = store_words();

    const std::string back = ed_keeping_every_line();
    EXPECT_NE(back.find("A 2/S 3/W 4;"), std::string::npos) << back;
    EXPECT_EQ(store_words(), typed) << back;
    // A second round changes nothing either.
    ed_keeping_every_line();
    EXPECT_EQ(store_words(), typed);
}

// Slurs and ties as the input mode makes them (the slur height word -1, ties -2) are written
// back as the pairs that make them again: slurs below and above, ties between two notes, a
// chord's ties split over both sides, and a tie to the staff's end.
TEST_F(InputRunConsoleTest, SlursAndTiesComeBackThroughEdAsTyped) {
    const std::string out = type({"IN 1", "", "C4/C4/D/D/E:G/E:G/F/A;", "Q;", "N", "S 5/A 2;", ";",
                                  "1 2/3 -4/5 6/6 7/7 +8/8 9;", "X", "N"});
    const std::vector<int32_t> slurs = items_of(5);
    ASSERT_EQ(slurs.size(), 7u) << out;
    // Ties: 1-2, 3-4, both notes of the chord 5-6 (one below, one above) and 8 to the end.
    // The slur above the up stems runs over their ends (-4).
    const float heights[] = {-2, -2, -2, -2, -1, -4, -2};
    for (std::size_t i = 0; i < slurs.size(); ++i) EXPECT_EQ(p(slurs[i], 8), heights[i]) << i;
    EXPECT_LT(p(slurs[2], 7), 0.0f);
    EXPECT_GT(p(slurs[3], 7), 0.0f);
    EXPECT_GT(p(slurs[5], 7), 0.0f);  // "+8": above
    EXPECT_EQ(p(slurs[6], 6), 200.0f);
    const std::vector<float> typed = store_words();

    const std::string back = ed_keeping_every_line();
    EXPECT_NE(back.find("1 -2/3 -4/5 6/6 -7/7 +8/8 -9;"), std::string::npos) << back;
    EXPECT_EQ(store_words(), typed) << back;
    const std::vector<std::string> tmp = work_records("tmp");
    ASSERT_EQ(tmp.size(), 7u);
    EXPECT_EQ(tmp[6], "1 -2/3 -4/5 6/6 -7/7 +8/8 -9;");
}

// A slur of one run to the last note and one that runs on to the staff's end keep their kinds.
TEST_F(InputRunConsoleTest, SlursToTheLastNoteAndToTheEndComeBack) {
    type({"IN 1", "", "C4/D/E/F;", "Q;", "N", ";", ";", "1 4/2 99;", "X", "N"});
    const std::vector<int32_t> slurs = items_of(5);
    ASSERT_EQ(slurs.size(), 2u);
    EXPECT_EQ(p(slurs[0], 8), -1.0f);
    EXPECT_EQ(p(slurs[1], 8), -1.0f);
    const std::vector<float> typed = store_words();
    const std::string back = ed_keeping_every_line();
    EXPECT_EQ(store_words(), typed) << back;
}

}  // namespace

namespace {

// Eleven runs of 32 eighths in one program: every run starts with an empty table of typed
// entries, so the last staff gets its 32 notes as the first did (352 entries in all).
TEST_F(InputRunConsoleTest, ManyRunsInOneProgramKeepEveryNote) {
    std::string notes;
    for (int i = 0; i < 4; ++i) notes += "C4/D/E/F/G/A/B/C5/";
    notes.back() = ';';
    std::vector<std::string> lines;
    for (int run = 1; run <= 11; ++run) {
        for (const char* l : {"IN 0", ""}) lines.push_back(l);
        lines.push_back(notes);
        for (const char* l : {"E;", "N", "G", "X", "N"}) lines.push_back(l);
    }
    const std::string out = type(lines);
    EXPECT_EQ(out.find("Input error"), std::string::npos) << out;
    for (int32_t staff = 1; staff <= 11; ++staff) {
        int32_t count = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            count += code(k) == 1 && p(k, 2) == static_cast<float>(staff) && p(k, 7) == 0.5f;
        EXPECT_EQ(count, 32) << "staff " << staff;
    }
}

}  // namespace

namespace {

class InputFileConsoleTest : public InputRunConsoleTest {
  protected:
    // A fresh page (the engine started again), the work folder kept.
    static void fresh_page() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
    static void write_file(const std::string& name, const std::vector<std::string>& records) {
        std::ofstream out(name);
        for (const std::string& r : records) out << r << "\n";
    }
};

// "Q;" read from a command file gives every column its quarter, as typed live; and the lines a
// live run with "Q;" saved in input.tmp type the same page again.
TEST_F(InputFileConsoleTest, ALoneRhythmFromAFileGivesEveryColumnItsRhythm) {
    type({"IN 1", "", "C4/E:G/A/B;", "Q;", "N", ";", ";", ";", "X", "N"});
    const std::vector<float> live = store_words();
    ASSERT_EQ(core::ItemCount, 6);
    for (int32_t k = 2; k <= 6; ++k) EXPECT_EQ(p(k, 7), 1.0f) << k;

    fresh_page();
    write_file("lone.txt", {"IN 1", "2 200", "C4/E:G/A/B;", "Q;", ";", ";", ";"});
    std::string out = type({"RE lone.txt", "N"});
    EXPECT_EQ(out.find("Mismatch"), std::string::npos) << out;
    EXPECT_EQ(store_words(), live) << out;

    fresh_page();
    out = type({"RE \\!tmp\\input.tmp", "N"});
    EXPECT_EQ(store_words(), live) << out;
}

// A notes line of 100 columns and more: "Q;" is written "QX100;" and its count is a count, never
// the flag that keeps accidentals; 150 columns, the most a line holds, work too.
TEST_F(InputFileConsoleTest, ALoneRhythmFillsOneHundredAndMoreColumns) {
    for (const int columns : {99, 100, 150}) {
        fresh_page();
        const std::string notes = "C4/D/X2 " + std::to_string(columns / 2) + ";";
        const std::string out =
            type({"IN 1", "", columns % 2 == 0 ? notes : "C4/X1 " + std::to_string(columns) + ";",
                  "Q;", "N", "G", "X", "N"});
        EXPECT_EQ(out.find("Mismatch"), std::string::npos) << columns << out;
        int32_t quarters = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) quarters += code(k) == 1 && p(k, 7) == 1.0f;
        EXPECT_EQ(quarters, columns) << out;
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), "QX" + std::to_string(columns) + ";");
    }
}

}  // namespace

namespace {

// Live chords typed on a second staff after a run of 32 notes on the first: the notes of the
// new line start at the new range's left, so no "out of bounds" notice comes for items that
// land on the page.
TEST_F(InputRunConsoleTest, LiveChordsAfterALongRunAreInBounds) {
    std::string notes;
    for (int i = 0; i < 4; ++i) notes += "C4/D/E/F/G/A/B/C5/";
    notes.back() = ';';
    std::string chords;
    for (int i = 0; i < 30; ++i) chords += "C4:E:G/";
    chords.back() = ';';
    const std::string out =
        type({"IN 1", "", notes, "E;", "N", "G", "X", "Y", "", chords, "E;", "N", "G", "X", "N"});
    EXPECT_EQ(out.find("out of bounds"), std::string::npos) << out;
    int32_t on_two = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (code(k) != 1 || p(k, 2) != 2.0f) continue;
        ++on_two;
        EXPECT_LE(p(k, 3), 200.0f) << k;
    }
    EXPECT_EQ(on_two, 90);
}

}  // namespace

namespace {

// "A" at the closing menu puts the page back as it was before "IN 1", keeps the run on the undo
// list and ends there: no "Continue Input on Staff ...?".
TEST_F(InputRunConsoleTest, AbandoningAtTheClosingMenuAsksNoMore) {
    type({"EI", "8 1 0"});
    const std::string out = type({"IN 1", "", "C4/D/E;", "Q;", "N", "G", "A", "UNDO"});
    EXPECT_EQ(out.find("Continue Input"), std::string::npos) << out;
    EXPECT_NE(out.find("*** Leaving input ***"), std::string::npos) << out;
    // The next line is a command again: UNDO brings the abandoned input back.
    int32_t notes = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) notes += code(k) == 1;
    EXPECT_EQ(notes, 3) << out;
}

}  // namespace

namespace {

// A motive defined in a typed notes line is stored once: taking the finished line asks nothing
// about the file the line has just written, and no copy is stored under the next name. Defined
// the same way in a later run, it is the same file again, unasked.
TEST_F(InputRunConsoleTest, AMotiveTypedInTheLineIsStoredOnceUnasked) {
    for (int run = 0; run < 2; ++run) {
        const std::string out = type({"IN 1", "", "A[C4/D/E]/F4;", "Q;", "N", "G", "X", "N"});
        EXPECT_EQ(out.find("FILE EXISTS"), std::string::npos) << out;
        EXPECT_EQ(out.find("Motive stored as"), std::string::npos) << out;
        EXPECT_NE(out.find("*** Leaving input ***"), std::string::npos) << out;
    }
    const std::vector<std::string> a = work_records("A.MOT");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].substr(0, 12), "A[C4/D4/E4]/");
    EXPECT_TRUE(work_records("B.MOT").empty());
    // The motive plays again.
    type({"IN 2", "", "@A;", "Q;", "N", "G", "X", "N"});
    int32_t on_two = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) on_two += code(k) == 1 && p(k, 2) == 2.0f;
    EXPECT_EQ(on_two, 3);
}

}  // namespace

namespace {

// "MIDI" as the notes line, and F12 (MIDI) in the rhythms line, with no MIDI input open: "No
// MIDI for input." and the same line is asked again.
TEST_F(InputRunConsoleTest, MidiWithoutAnInputSaysSoAndAsksTheLineAgain) {
    const std::string out =
        type({"IN 1", "", "MIDI", "E4/F/G;", "~~123", "Q;", "N", "G", "X", "N"});
    std::size_t told = 0;
    for (std::size_t at = out.find("No MIDI for input."); at != std::string::npos;
         at = out.find("No MIDI for input.", at + 1))
        ++told;
    EXPECT_EQ(told, 2u) << out;
    EXPECT_EQ(out.find("Starting MIDI input"), std::string::npos) << out;
    // Asked again: two notes prompts, two rhythms prompts.
    EXPECT_NE(out.find("Type Notes"), out.rfind("Type Notes")) << out;
    EXPECT_NE(out.find("Rhythms >"), out.rfind("Rhythms >")) << out;
    ASSERT_EQ(core::ItemCount, 4) << out;
    const float steps[] = {3, 4, 5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p(2 + i, 4), steps[i]);
        EXPECT_EQ(p(2 + i, 7), 1.0f);
    }
}

}  // namespace

namespace {

// The typed input range, piped, from a command file, through the edit form as offered, and
// typed into the edit form's position line: the notes go between its begin (not below 0) and
// its end, and a begin not below its end spaces them from the begin to the page's end, never
// back at the staff's start over the notes already there. A begin at or past the page's end
// leaves no room: the range is named and refused, the input ends (the command file stops, the
// edit form puts the page back) and the script's next line runs.
TEST_F(InputRunConsoleTest, TheNotesLieInTheTypedRangeAndFromItsBeginToThePagesEnd) {
    struct Range {
        const char* typed;
        float begin;
        float end;
        bool refused;
    };
    const float page_end = render::PageExtent;
    ASSERT_EQ(page_end, 200.0f);
    const Range kRanges[] = {
        {"150 150", 150.0f, page_end, false},
        {"100 50", 100.0f, page_end, false},
        {"100 101", 100.0f, 101.0f, false},
        {"100 0", 100.0f, page_end, false},
        {"30 120", 30.0f, 120.0f, false},
        {"199 199", 199.0f, page_end, false},
        {"199 0", 199.0f, page_end, false},
        {"0 100", 0.0f, 100.0f, false},
        {"-5 50", 0.0f, 50.0f, false},
        {"-5 -10", 0.0f, page_end, false},
        {"200 200", 0, 0, true},
        {"200 0", 0, 0, true},
        {"200 300", 0, 0, true},
        {"250 100", 0, 0, true},
    };
    // Piped, from a command file (also with a comment, a block and a pause before the range,
    // which answer nothing), piped through the edit form with every line as offered (the form
    // reads the range back from its position line), and the range typed as the form's position
    // line after a run on 30 .. 120.
    enum class Road { Piped, File, CommentedFile, Form, FormTyped };
    const std::string question =
        "*** Not an answer to \"Input range: begin end [spacing staff]\": ";
    for (const Range& r : kRanges) {
        for (const Road road :
             {Road::Piped, Road::File, Road::CommentedFile, Road::Form, Road::FormTyped}) {
            // Refused at IN, the form as offered is never reached.
            if (r.refused && road == Road::Form) continue;
            const bool from_file = road == Road::File || road == Road::CommentedFile;
            SCOPED_TRACE(std::string(r.typed) + (road == Road::File            ? ", RE"
                                                 : road == Road::CommentedFile ? ", RE commented"
                                                 : road == Road::Form          ? ", edit form"
                                                 : road == Road::FormTyped
                                                     ? ", typed in the edit form"
                                                     : ", piped"));
            core::reset_engine();
            std::filesystem::remove(temp_.root() / "o.mus");
            std::filesystem::remove(temp_.root() / "before.mus");
            type({"EI", "8 1 0", "1 1 20 5 5 0 1", "1 1 40 4 5 0 1", "EI", "SA before.mus"});
            const std::vector<std::string> before = saved_records(temp_.root() / "before.mus");
            ASSERT_EQ(before.size(), 3u);
            const bool typed_in_form = road == Road::FormTyped;
            std::vector<std::string> run = {"IN 1"};
            if (road == Road::CommentedFile) {
                for (const char* line : {"% range", "%%", "0 20", "%%", "%$ look"})
                    run.push_back(line);
            }
            run.push_back(typed_in_form ? "30 120" : r.typed);
            // Refused piped, the next line is the marker.
            const bool ends_at_range = r.refused && road == Road::Piped;
            if (!ends_at_range) {
                for (const char* line : {"C4/D/E/F;", "Q;"}) run.push_back(line);
                if (!from_file) run.push_back("N");
                for (const char* line : {";", ";", ";"}) run.push_back(line);
            }
            if (road == Road::Form) {
                run.push_back("E");
                for (int i = 0; i < 8; ++i) run.push_back("");
            }
            if (typed_in_form) {
                for (const char* line : {"E", "", r.typed}) run.push_back(line);
                if (!r.refused)
                    for (int i = 0; i < 6; ++i) run.push_back("");
            }
            if (!ends_at_range && !(r.refused && typed_in_form)) run.push_back("X");
            if (road == Road::Piped && !r.refused) run.push_back("N");
            std::string out;
            if (from_file) {
                std::string text;
                for (const std::string& line : run) text += line + "\n";
                write_text(temp_.root() / "range.re", text);
                out = type({"RE range.re", "SA o.mus"});
            } else {
                run.push_back("SA o.mus");
                out = type(run);
            }
            // The marker after the answer ran: the page it leaves is saved.
            const std::vector<std::string> saved = saved_records(temp_.root() / "o.mus");
            if (r.refused) {
                const std::string named =
                    road == Road::Piped ? question + r.typed + " -- IN ended."
                    : from_file ? question + r.typed + ": the rest of the file was not read."
                                : "\": " + std::string(r.typed) + " -- the edit form ended.";
                EXPECT_NE(out.find(named), std::string::npos) << out;
                EXPECT_EQ(out.find("Unknown"), std::string::npos) << out;
            } else {
                EXPECT_EQ(out.find(question), std::string::npos) << out;
                EXPECT_EQ(out.find("the edit form ended"), std::string::npos) << out;
            }
            // Refused at IN the page is as it was; refused in the form, as the first run left it.
            const bool no_notes = r.refused && !typed_in_form;
            ASSERT_EQ(saved.size(), no_notes ? 3u : 7u) << out;
            std::vector<std::string> added = saved;
            for (const std::string& kept : before) {
                const auto at = std::find(added.begin(), added.end(), kept);
                ASSERT_NE(at, added.end()) << kept << "\n" << out;
                added.erase(at);
            }
            const float begin = r.refused ? 30.0f : r.begin;
            const float end = r.refused ? 120.0f : r.end;
            for (const std::string& record : added) {
                float c = 0, staff = 0, x = 0, step = 0;
                ASSERT_EQ(std::sscanf(record.c_str(), "%f %f %f %f", &c, &staff, &x, &step), 4);
                EXPECT_EQ(c, 1.0f) << record;
                EXPECT_EQ(staff, 1.0f) << record;
                EXPECT_GE(x, begin) << record << "\n" << out;
                EXPECT_LE(x, end) << record << "\n" << out;
                // C4 to F: steps near the staff, never a damaged note's.
                EXPECT_GE(step, -10.0f) << record;
                EXPECT_LE(step, 30.0f) << record;
            }
        }
    }

    // The file's end mark where the range is due ends the file: no line after it is music, the
    // page stays as it was and the line typed after RE runs.
    core::reset_engine();
    type({"EI", "8 1 0", "1 1 20 5 5 0 1", "1 1 40 4 5 0 1", "SA before.mus"});
    write_text(temp_.root() / "ends.re", "IN 1\n% range\n*\nC4/D/E/F;\nQ;\n;\n;\n;\nX\n");
    std::filesystem::remove(temp_.root() / "o.mus");
    const std::string out = type({"RE ends.re", "SA o.mus"});
    EXPECT_NE(out.find("*** The command file ended before this was answered: Type "),
              std::string::npos)
        << out;
    EXPECT_EQ(saved_records(temp_.root() / "o.mus"), saved_records(temp_.root() / "before.mus"))
        << out;
    EXPECT_EQ(saved_records(temp_.root() / "o.mus").size(), 3u) << out;

    // At a later line of the run the end mark is no line of music either: the run ends as at
    // the file's plain end there, and the line typed after RE runs.
    for (const char* name : {"mark", "plain"}) {
        SCOPED_TRACE(name);
        core::reset_engine();
        type({"G before.mus"});
        const bool mark = std::string(name) == "mark";
        write_text(temp_.root() / "later.re",
                   mark ? "IN 1\n\nC4/D/E/F;\n*\nQ;\n;\n;\n;\nX\n" : "IN 1\n\nC4/D/E/F;\n");
        std::filesystem::remove(temp_.root() / (std::string(name) + ".mus"));
        const std::string later = type({"RE later.re", "SA " + std::string(name) + ".mus"});
        EXPECT_NE(later.find("*** The command file ended before this was answered: Type  004  "
                             "Rhythms"),
                  std::string::npos)
            << later;
        EXPECT_TRUE(std::filesystem::exists(temp_.root() / (std::string(name) + ".mus"))) << later;
    }
    EXPECT_EQ(saved_records(temp_.root() / "mark.mus"), saved_records(temp_.root() / "plain.mus"));
}

}  // namespace
