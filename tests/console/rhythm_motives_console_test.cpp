// Rhythm motives in the live rhythms line, typed through the console's input mode: a motive
// defined in the line is stored at its "]" and plays again later in the same line, a recalled
// motive rescaled by a number plays its numbers, and the line ends after its last column, so
// the next answer goes to the next question. The same lines come from command files too.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/core/files/undo.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "platform/paths.h"
#include "tests/core/document_bytes.h"
#include "tests/support/console_run.h"
#include "tests/support/running_program.h"
#include "tests/support/store_records.h"

namespace fs = std::filesystem;

namespace {

// P7 (the duration in quarters) of the notes and rests of a store, in store order.
std::vector<float> rhythm_motive_durations() {
    std::vector<float> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const float code = stored_param(k, 1);
        if (code == 1.0f || code == 2.0f) out.push_back(stored_param(k, 7));
    }
    return out;
}

// How often text stands in out.
int rhythm_motive_count(const std::string& out, const std::string& text) {
    int n = 0;
    for (std::size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
    return n;
}

class RhythmMotiveConsoleTest : public ConsoleSessionTest {
  protected:
    // One input run on staff 1 over the notes C4/D/E/F: the rhythms line given as the console
    // lines rhythm (with the answers to any question it asks), then "N" for the bar lines
    // question, the marks, beams and slurs lines empty, closing at the closing menu and "N"
    // for the next staff.
    std::string run(const std::vector<std::string>& rhythm, const std::string& notes = "C4/D/E/F;",
                    const std::string& closing = "X") {
        std::vector<std::string> lines = {"IN 1", "", notes};
        lines.insert(lines.end(), rhythm.begin(), rhythm.end());
        for (const char* l : {"N", ";", ";", ";", closing.c_str(), "N"}) lines.push_back(l);
        return type(lines);
    }
    // A fresh page (the engine started again), the work folder kept.
    static void fresh_page() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
    // The run ended as it should: one rhythms prompt of count columns, each later question
    // once, its answers taken by them (none swallowed into the rhythms line).
    static void expect_whole_run(const std::string& out, const std::string& count) {
        EXPECT_EQ(rhythm_motive_count(out, "Rhythms >"), 1) << out;
        EXPECT_EQ(rhythm_motive_count(out, "Type  " + count + "  Rhythms >"), 1) << out;
        EXPECT_EQ(rhythm_motive_count(out, "-- Add bar lines? (Y/N/X)"), 1) << out;
        EXPECT_EQ(rhythm_motive_count(out, "Type Mark letter(s)"), 1) << out;
        EXPECT_EQ(rhythm_motive_count(out, "Continue Input on Staff 002 ?"), 1) << out;
        for (const char* fault : {"not found", "Input error", "Syntax Error", "Mismatch"})
            EXPECT_EQ(out.find(fault), std::string::npos) << fault << "\n" << out;
    }
    static fs::path work_file(const std::string& name) {
        return platform::local_path(core::work_copy_name(name));
    }
    static std::string first_record(const fs::path& file) {
        std::ifstream in(file);
        std::string line;
        std::getline(in, line);
        return line;
    }
    // The input run leaves an undo copy of the page before it: UNDO right after it takes the
    // whole run back (the page was empty) and leaves the motive file as the run wrote it.
    void expect_undo_takes_the_run_back() {
        const std::string motive = first_record(work_file("A.MRH"));
        const std::string out = type({"UNDO"});
        EXPECT_EQ(out.find("*** Nothing to UNDO."), std::string::npos) << out;
        EXPECT_TRUE(stored_item_lines().empty()) << out;
        EXPECT_EQ(first_record(work_file("A.MRH")), motive);
    }
};

// A motive defined in the rhythms line plays again later in that line: typed as one console
// line, token by token over several lines, and as one command text. Its recalled columns count:
// the line ends by itself after its fourth column, and the next answer answers the next question.
TEST_F(RhythmMotiveConsoleTest, AMotiveDefinedInTheLinePlaysLaterInIt) {
    const std::vector<std::vector<std::string>> ways = {
        {"A[Q/E]/@A/"}, {"A[Q/", "E]/", "@A/"}, {"`A[Q/E]/@A/"}};
    for (const std::vector<std::string>& rhythm : ways) {
        SCOPED_TRACE(rhythm.front());
        fresh_page();
        fs::remove(work_file("A.MRH"));
        const std::string out = run(rhythm);
        expect_whole_run(out, "004");
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), "A[Q/E]/@A;");
        EXPECT_EQ(rhythm_motive_durations(), (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f}));
        EXPECT_EQ(first_record(work_file("A.MRH")), "A[Q/E]/");
        expect_undo_takes_the_run_back();
    }
}

// A motive that closes the line's last column ends the line with it: stored once, as typed, with
// no question about its own file, and the next answer goes to the bar lines question. Over an
// old file of its name the question comes once, for the old file.
TEST_F(RhythmMotiveConsoleTest, AMotiveClosingTheLastColumnIsStoredOnce) {
    const std::vector<std::vector<std::string>> ways = {{"A[H/W]/"}, {"A[H/", "W]/"}};
    for (const std::vector<std::string>& rhythm : ways) {
        SCOPED_TRACE(rhythm.back());
        fresh_page();
        fs::remove(work_file("A.MRH"));
        fs::remove(work_file("B.MRH"));
        const std::string out = run(rhythm, "C4/D;");
        EXPECT_EQ(out.find("FILE EXISTS"), std::string::npos) << out;
        EXPECT_EQ(out.find("Motive stored as"), std::string::npos) << out;
        expect_whole_run(out, "002");
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), "A[H/W];");
        EXPECT_EQ(rhythm_motive_durations(), (std::vector<float>{2.0f, 4.0f}));
        EXPECT_EQ(first_record(work_file("A.MRH")), "A[H/W]/");
        EXPECT_FALSE(fs::exists(work_file("B.MRH")));
        expect_undo_takes_the_run_back();
    }
    fresh_page();
    std::string out = run({"Q/A[W]/", "Y"}, "C4/D;");
    EXPECT_EQ(rhythm_motive_count(out, "FILE EXISTS - Write over file?"), 1) << out;
    expect_whole_run(out, "002");
    EXPECT_EQ(first_record(work_file("A.MRH")), "A[W]/");
    EXPECT_FALSE(fs::exists(work_file("B.MRH")));
    EXPECT_EQ(rhythm_motive_durations(), (std::vector<float>{1.0f, 4.0f}));
}

// A command text that ends with ";" ends the line there, as the key does: a lone rhythm is
// given to every column, and a motive recalled in the text plays in the line that is kept.
TEST_F(RhythmMotiveConsoleTest, ACommandTextEndsTheLineAtItsSemicolon) {
    const struct {
        std::string text;
        std::string kept;
        std::vector<float> durations;
    } cases[] = {{"`Q;", "QX4;", {1.0f, 1.0f, 1.0f, 1.0f}},
                 {"`A[Q/E]/@A;", "A[Q/E]/@A;", {1.0f, 0.5f, 1.0f, 0.5f}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        fresh_page();
        fs::remove(work_file("A.MRH"));
        const std::string out = run({c.text});
        expect_whole_run(out, "004");
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), c.kept);
        EXPECT_EQ(rhythm_motive_durations(), c.durations);
    }
}

// Abandoned at the closing menu, the run's page goes; UNDO brings it back with the rhythms the
// motive gave.
TEST_F(RhythmMotiveConsoleTest, UndoAfterAnAbandonedRunBringsTheMotiveRhythmsBack) {
    type({"EI", "8 1 0"});
    const std::string out = type({"IN 1", "", "C4/D/E/F;", "A[Q/E]/@A/", "N", ";", ";", ";", "A"});
    EXPECT_NE(out.find("*** Leaving input ***"), std::string::npos) << out;
    EXPECT_TRUE(rhythm_motive_durations().empty()) << out;
    type({"UNDO"});
    EXPECT_EQ(rhythm_motive_durations(), (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f}));
    EXPECT_EQ(input::InputLines.rhythms.trimmed(), "A[Q/E]/@A;");
}

// A motive file of the same name left by an earlier run: the new motive is stored over it once
// the user says yes, and the recall later in the line plays the new one.
TEST_F(RhythmMotiveConsoleTest, ANewMotiveReplacesAnOldFileOfItsName) {
    std::string out = run({"A[H/H]/Q/Q/"});
    ASSERT_EQ(first_record(work_file("A.MRH")), "A[H/H]/") << out;
    fresh_page();
    out = run({"A[Q/E]/@A/", "Y"});
    EXPECT_EQ(rhythm_motive_count(out, "FILE EXISTS - Write over file?"), 1) << out;
    expect_whole_run(out, "004");
    EXPECT_EQ(first_record(work_file("A.MRH")), "A[Q/E]/");
    EXPECT_EQ(rhythm_motive_durations(), (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f}));
    expect_undo_takes_the_run_back();
}

// A stored motive recalled with a scale plays its rhythms divided by it, written as numbers
// (" 2", " 4", ".5", " 1"). Typed key by key and as a command text; the blank before the number
// stays in the kept line as typed.
TEST_F(RhythmMotiveConsoleTest, AScaledMotivePlaysItsRhythmsDividedByTheScale) {
    struct Case {
        std::vector<std::string> rhythm;
        std::string kept;
        std::vector<float> durations;
    };
    const Case cases[] = {
        {{"A[Q/E]/@A 2/"}, "A[Q/E]/@A 2;", {1.0f, 0.5f, 2.0f, 1.0f}},
        {{"A[Q/", "E]/", "@A 2/"}, "A[Q/E]/@A 2;", {1.0f, 0.5f, 2.0f, 1.0f}},
        {{"`A[Q/E]/@A 2/"}, "A[Q/E]/@A 2;", {1.0f, 0.5f, 2.0f, 1.0f}},
        {{"A[Q/E]/@A 8/"}, "A[Q/E]/@A 8;", {1.0f, 0.5f, 8.0f, 4.0f}},
        {{"`A[Q/E]/@A 8/"}, "A[Q/E]/@A 8;", {1.0f, 0.5f, 8.0f, 4.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rhythm.back());
        fresh_page();
        fs::remove(work_file("A.MRH"));
        const std::string out = run(c.rhythm);
        expect_whole_run(out, "004");
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), c.kept);
        EXPECT_EQ(rhythm_motive_durations(), c.durations);
        expect_undo_takes_the_run_back();
    }
}

// A repeat of columns typed key by key: the blank between its two numbers is a key like any
// other ("X2 2" repeats the last two columns, not 22 of them); blanks before a token or after
// its last character are nothing.
TEST_F(RhythmMotiveConsoleTest, ARepeatTypedKeyByKeyKeepsTheBlankBetweenItsNumbers) {
    const struct {
        std::vector<std::string> rhythm;
        std::string kept;
    } cases[] = {{{"Q/E/X2 2/"}, "Q/E/X2 2;"},
                 {{"Q/E/X2", " 2/"}, "Q/E/X2 2;"},
                 {{"Q / E /  X2  2 ;"}, "Q/E/X2 2;"},
                 {{"`Q/E/X2 2/"}, "Q/E/X2 2;"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rhythm.front());
        fresh_page();
        const std::string out = run(c.rhythm);
        EXPECT_EQ(out.find("repeat source number too big"), std::string::npos) << out;
        expect_whole_run(out, "004");
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), c.kept);
        EXPECT_EQ(rhythm_motive_durations(), (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f}));
        const std::string undone = type({"UNDO"});
        EXPECT_TRUE(stored_item_lines().empty()) << undone;
    }
}

// A motive of Q, TQ and E scaled by 2 plays 2, 3 and 4: the page that those numbers typed out
// give.
TEST_F(RhythmMotiveConsoleTest, AScaledTripletMotiveGivesThePageOfItsNumbers) {
    const std::string notes = "C4/D/E/F/G/A;";
    std::string out = run({"B[Q/TQ/E]/@B 2/"}, notes);
    expect_whole_run(out, "006");
    EXPECT_EQ(input::InputLines.rhythms.trimmed(), "B[Q/TQ/E]/@B 2;");
    const std::vector<std::string> recalled = stored_item_lines();
    fresh_page();
    out = run({"Q/TQ/E/2/3/4/"}, notes);
    expect_whole_run(out, "006");
    EXPECT_EQ(stored_item_lines(), recalled);
}

// Two "-" before Q write the number " 5" into the line: a rhythm like any other, the same as
// "5" typed, and the line still ends after its last column.
TEST_F(RhythmMotiveConsoleTest, ARightJustifiedNumberTypedIsTaken) {
    std::string out = run({"--Q/Q/Q/Q/"});
    expect_whole_run(out, "004");
    EXPECT_EQ(input::InputLines.rhythms.trimmed(), "5/Q/Q/Q;");
    const std::vector<std::string> typed = stored_item_lines();
    fresh_page();
    out = run({"5/Q/Q/Q/"});
    expect_whole_run(out, "004");
    EXPECT_EQ(stored_item_lines(), typed);
}

// The same rhythms lines read from a command file by "RE": the motive plays in its line,
// plain and rescaled, and UNDO takes the whole file back.
TEST_F(RhythmMotiveConsoleTest, FromACommandFileTheMotivePlaysInItsLine) {
    const struct {
        std::string rhythm;
        std::vector<float> durations;
    } cases[] = {{"A[Q/E]/@A;", {1.0f, 0.5f, 1.0f, 0.5f}},
                 {"A[Q/E]/@A 2;", {1.0f, 0.5f, 2.0f, 1.0f}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rhythm);
        fresh_page();
        fs::remove(work_file("A.MRH"));
        std::ofstream("motive.txt") << "IN 1\n2 200\nC4/D/E/F;\n" << c.rhythm << "\n;\n;\n;\n";
        const std::string out = type({"RE motive.txt", "N"});
        EXPECT_EQ(out.find("not found"), std::string::npos) << out;
        EXPECT_EQ(out.find("Mismatch"), std::string::npos) << out;
        EXPECT_EQ(input::InputLines.rhythms.trimmed(), c.rhythm);
        EXPECT_EQ(rhythm_motive_durations(), c.durations) << out;
        EXPECT_EQ(first_record(work_file("A.MRH")), "A[Q/E]/");
        type({"UNDO"});
        EXPECT_TRUE(rhythm_motive_durations().empty());
        EXPECT_EQ(first_record(work_file("A.MRH")), "A[Q/E]/");
    }
}

// "ormest --console FILE" types the file's lines as the console does, key by key: the motive
// defined in the rhythms line plays in it, plain and rescaled, and the saved page holds the
// rhythms (read back from the document's own words).
TEST_F(RhythmMotiveConsoleTest, FromAConsoleFileTheMotivePlaysInItsLine) {
    const fs::path state = temp_.root() / "state";
    std::ofstream(temp_.root() / "typed.txt")
        << "IN 1\n\nC4/D/E/F;\nA[Q/E]/@A/\nN\n;\n;\n;\nX\nY\n\nC4/D/E/F;\n@A 2/@A/\nN\n;\n;\n;\n"
           "X\nN\nSA page.mus\n";
    RunningProgram program("ormest", {"--console", "typed.txt"}, temp_.root(), state);
    ASSERT_TRUE(program.started());
    const int status = program.wait_end();
    ASSERT_TRUE(WIFEXITED(status)) << program.output();
    const std::string& out = program.output();
    EXPECT_EQ(rhythm_motive_count(out, "Type  004  Rhythms >"), 2) << out;
    EXPECT_EQ(rhythm_motive_count(out, "Continue Input on Staff 003 ?"), 1) << out;
    for (const char* fault : {"not found", "Input error", "Syntax Error", "Mismatch"})
        EXPECT_EQ(out.find(fault), std::string::npos) << fault << "\n" << out;
    EXPECT_EQ(first_record(state / "ormest" / "A.MRH"), "A[Q/E]/");

    const std::vector<float> words = decode(read_file_bytes(temp_.root() / "page.mus"));
    std::vector<float> durations;
    for (std::size_t k = 0; k + 7 < words.size() && words[k] >= 2.0f;
         k += static_cast<std::size_t>(words[k]) + 1) {
        if (words[k + 1] == 1.0f) durations.push_back(words[k + 7]);
    }
    EXPECT_EQ(durations, (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f, 2.0f, 1.0f, 1.0f, 0.5f}));
}

}  // namespace
