// The MIDI command in the console: the Sound dialog plays with its proposal and shows it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "platform/paths.h"
#include "tests/output/ps_check.h"
#include "tests/support/console_run.h"
#include "tests/support/midi_notes.h"
#include "tests/support/saved_records.h"
#include "tests/support/script_roads.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

class MidiConsoleTest : public ConsoleSessionTest {
  protected:
    static void restart_engine() {
        core::close_all_units();
        core::reset_engine();
        core::reset_service_gate();
    }
};

TEST_F(MidiConsoleTest, PlayShowsTheRowsStavesAndTheFileName) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 1 0 0 4", "PLA"});
    EXPECT_NE(out.find("Sound row 1: 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("MIDI file written: " + platform::work_file("ormmidi.mid")),
              std::string::npos)
        << out;
    const std::string path = platform::work_file("ormmidi.mid");
    ASSERT_TRUE(std::filesystem::exists(path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::vector<unsigned char> expected{
        0x4D, 0x54, 0x68, 0x64, 0,    0,    0,    6,    0,    1,    0,    2,    0,
        0x60, 0x4D, 0x54, 0x72, 0x6B, 0,    0,    0,    0x13, 0,    0xFF, 0x58, 4,
        4,    2,    0x18, 8,    0,    0xFF, 0x51, 3,    0x07, 0xA1, 0x20, 0,    0xFF,
        0x2F, 0,    0x4D, 0x54, 0x72, 0x6B, 0,    0,    0,    0x10, 0,    0xC0, 1,
        0x1D, 0x90, 0x3C, 0x40, 0x83, 0,    0x80, 0x3C, 0,    0x3F, 0xFF, 0x2F, 0};
    EXPECT_EQ(bytes, expected);
}

// A page without notes writes no file, and no file is named: staves without notes, or no
// staff at all. The loop ends at once, so the next line is a command.
TEST_F(MidiConsoleTest, NoNotesNamesNoFile) {
    const std::vector<std::vector<std::string>> pages = {{"EI", "8 1 0", "8 2 0"}, {}};
    for (const std::vector<std::string>& page : pages) {
        SCOPED_TRACE(page.size());
        restart_engine();
        core::RunFailedWord = 0;
        fs::remove(platform::work_file("ormmidi.mid"));
        fs::remove("after.mus");
        std::vector<std::string> lines = page;
        lines.insert(lines.end(), {"PLA", "SA after.mus"});
        const std::string out = type(lines);
        // The file the script asked for was not written: the run fails.
        EXPECT_EQ(core::RunFailedWord, 1) << out;
        EXPECT_NE(out.find("No Notes Found.\n"), std::string::npos) << out;
        EXPECT_EQ(out.find("MIDI file"), std::string::npos) << out;
        EXPECT_EQ(out.find("Not an answer"), std::string::npos) << out;
        EXPECT_FALSE(std::filesystem::exists(platform::work_file("ormmidi.mid")));
        EXPECT_EQ(saved_records("after.mus").size(), page.empty() ? 0u : 2u) << out;
    }
}

// From a script the play loop takes its play words; a line that is no play word is named with
// the loop's prompt, the loop ends, and the line runs as the script's next command. At a
// terminal the loop stays and refuses the word.
TEST_F(MidiConsoleTest, AScriptsLineThatIsNoPlayWordEndsTheLoopAndRuns) {
    const std::string named =
        "*** Not an answer to \"the play loop of PLA (Enter or X ends it)\": ";
    struct Row {
        std::vector<std::string> after;  // the lines after PLA
        std::string said;                // "" when nothing is named
        int played;                      // how often the file was written
        bool saved;                      // out.mus written
        bool at_terminal = false;
    };
    const std::vector<Row> rows = {
        {{"SA out.mus"}, named + "SA out.mus -- the play loop ended.", 1, true},
        // A tempo plays again and the loop stays for the line after it.
        {{"MM060", "SA out.mus"}, named + "SA out.mus -- the play loop ended.", 2, true},
        {{"x", "SA out.mus"}, "", 1, true},
        {{"", "SA out.mus"}, "", 1, true},
        // The named line runs: an unknown word is refused as a command.
        {{"#ZZQ 1", "SA out.mus"},
         named + "#ZZQ 1 -- the play loop ended.\nERROR -- unknown word in this context: #ZZQ 1",
         1,
         true},
        {{"SA out.mus"}, "ERROR -- unknown word in this context: SA out.mu", 1, false, true},
    };
    for (const Road road : {Road::Piped, Road::ConsoleFile}) {
        for (const Row& row : rows) {
            if (row.at_terminal && road != Road::Piped) continue;
            SCOPED_TRACE(std::string(road_name(road)) + " " + row.after.front());
            restart_engine();
            fs::remove("out.mus");
            fs::remove("p.mus");
            std::vector<std::string> lines = {
                "EI", "8 1 0", "1 1 20 5 5 0 1", "1 1 40 4 5 0 1", "SA p.mus", "PLA"};
            lines.insert(lines.end(), row.after.begin(), row.after.end());
            const std::string out = road == Road::Piped
                                        ? type(lines, row.at_terminal)
                                        : run_console_file(fs::current_path(), lines);
            std::size_t written = 0;
            for (auto at = out.find("MIDI file written:"); at != std::string::npos;
                 at = out.find("MIDI file written:", at + 1))
                ++written;
            EXPECT_EQ(written, static_cast<std::size_t>(row.played)) << out;
            if (row.said.empty()) {
                EXPECT_EQ(out.find("Not an answer"), std::string::npos) << out;
            } else {
                EXPECT_NE(out.find(row.said + "\n"), std::string::npos) << out;
            }
            EXPECT_EQ(fs::exists("out.mus"), row.saved) << out;
            if (row.saved) {
                EXPECT_EQ(saved_records("out.mus"), saved_records("p.mus")) << out;
            }
        }
    }
}

// The console has no Sound dialog to find the parts again: every MIDI command finds them on the
// page as it is, a staff added since included.
TEST_F(MidiConsoleTest, EveryCommandFindsThePartsOfThePageAsItIs) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 1 0 0 4", "PLA", "x", "8 2 0",
                                  "1 2 10 5 0 0 4", "14 1 100 2", "PLA", "x", "SA p.mus"});
    const std::size_t second = out.find("Sound row 2: 1");
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_NE(out.rfind("Sound row 1: 2", second), std::string::npos) << out;
    EXPECT_EQ(midi_track_keys(platform::work_file("ormmidi.mid")).size(), 2u) << out;
    EXPECT_EQ(saved_records("p.mus").size(), 5u) << out;
}

// A batch of documents of one and two staves, each loaded, justified, saved, written to EPS and
// played, in one run: every output is the one its document gives alone, a two-staff piece after
// a one-staff one included. A damaged document among them is named and fails the run (exit
// status 1): a script goes on past it, a command file read by RE stops there.
TEST_F(MidiConsoleTest, ABatchWritesEachDocumentsOwnOutputs) {
    struct Document {
        const char* name;
        std::vector<std::string> items;
        int staves;
    };
    const std::vector<Document> documents = {
        {"one", {"8 1 0", "1 1 20 5 5 0 1", "1 1 40 4 5 0 1"}, 1},
        {"two",
         {"8 1 0", "8 2 0", "1 1 20 1 5 0 2", "1 2 20 5 5 0 1", "1 2 40 6 5 0 1", "14 1 60 2"},
         2},
        {"three", {"8 1 0", "1 1 20 2 5 0 1", "1 1 40 3 5 0 1", "1 1 60 7 5 0 2"}, 1},
        {"four", {"8 1 0", "8 2 0", "1 1 20 3 5 0 2", "1 2 20 8 5 0 2", "14 1 60 2"}, 2},
    };
    for (const Document& d : documents) {
        std::vector<std::string> lines{"EI"};
        lines.insert(lines.end(), d.items.begin(), d.items.end());
        lines.push_back("SA " + std::string(d.name) + ".mus");
        type(lines);
        restart_engine();
    }
    write_text(fs::current_path() / "bad.mus", std::string(300, '\x5a') + "\x01\x02");
    const fs::path midi = platform::work_file("ormmidi.mid");

    // One document's lines: typed or piped, LJ's box question takes "Y"; from RE it is not asked.
    auto batch_lines = [](const std::string& name, int staves, bool re, const std::string& to) {
        std::vector<std::string> lines{"G " + name + ".mus", "LJ", "1 " + std::to_string(staves)};
        if (!re) lines.push_back("Y");
        for (const std::string& l : {"SA " + to + name + ".mus", "PR " + to + name + ".eps",
                                     std::string("PLA"), std::string("x")})
            lines.push_back(l);
        return lines;
    };
    // PR asks the name on its next line.
    auto split_pr = [](std::vector<std::string> lines) {
        std::vector<std::string> out;
        for (const std::string& l : lines) {
            if (l.rfind("PR ", 0) == 0) {
                out.push_back("PR");
                out.push_back(l.substr(3));
            } else {
                out.push_back(l);
            }
        }
        return out;
    };
    auto raster = [](const fs::path& eps) {
        return ps_check::run_gs(eps, "pgmraw", "-r24 -dEPSCrop -sOutputFile=-").out;
    };

    // Each document alone, on a fresh engine: what its outputs must be.
    struct Expected {
        std::vector<std::string> page;
        std::string picture;
        std::vector<std::string> notes;
    };
    std::vector<Expected> expected;
    for (const Document& d : documents) {
        restart_engine();
        fs::remove(midi);
        const std::string out = type(split_pr(batch_lines(d.name, d.staves, false, "alone-")));
        Expected e{saved_records("alone-" + std::string(d.name) + ".mus"),
                   raster("alone-" + std::string(d.name) + ".eps"), midi_track_keys(midi)};
        ASSERT_EQ(e.notes.size(), static_cast<std::size_t>(d.staves)) << out;
        ASSERT_FALSE(e.page.empty()) << out;
        ASSERT_GT(e.picture.size(), 100u) << out;
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean("alone-" + std::string(d.name) + ".eps", why)) << why;
        expected.push_back(e);
    }
    ASSERT_NE(expected[0].picture, expected[2].picture);
    ASSERT_NE(expected[1].notes, expected[3].notes);
    auto check = [&](std::size_t k, const fs::path& folder, const std::string& to,
                     const std::string& out) {
        SCOPED_TRACE(documents[k].name);
        const std::string name = to + documents[k].name;
        EXPECT_EQ(saved_records(folder / (name + ".mus")), expected[k].page) << out;
        EXPECT_EQ(raster(folder / (name + ".eps")), expected[k].picture) << out;
    };

    // Piped, in one run of the engine: the MIDI file after each document is that document's.
    restart_engine();
    const std::vector<std::size_t> order = {0, 1, 2, 3};
    std::string all;
    for (std::size_t k : order) {
        fs::remove(midi);
        const std::string out =
            type(split_pr(batch_lines(documents[k].name, documents[k].staves, false, "piped-")));
        all += out;
        check(k, ".", "piped-", out);
        EXPECT_EQ(midi_track_keys(midi), expected[k].notes) << out;
        if (k == 1) {
            // Read as a script: the failed load fails the run, and the script goes on (its save
            // is written).
            core::RunFailedWord = 0;
            const std::string bad =
                run_console_script(split_pr(batch_lines("bad", 1, false, "piped-")));
            EXPECT_NE(bad.find("Error opening file-> " + (fs::current_path() / "bad.mus").string()),
                      std::string::npos)
                << bad;
            EXPECT_NE(core::RunFailedWord, 0) << bad;
            EXPECT_TRUE(fs::exists("piped-bad.mus")) << bad;
        }
    }

    // "--console FILE" and RE: one file of the whole batch (the damaged document last in RE,
    // where the file's end after it is the only thing that may differ); the last MIDI file is the
    // last document's, two staves after one.
    for (const Road road : {Road::ConsoleFile, Road::Re}) {
        SCOPED_TRACE(road_name(road));
        const bool re = road == Road::Re;
        const std::string to = re ? "re-" : "file-";
        std::vector<std::string> lines;
        for (std::size_t k : order) {
            const auto more = batch_lines(documents[k].name, documents[k].staves, re, to);
            lines.insert(lines.end(), more.begin(), more.end());
            if (k == 1 && !re) {
                const auto damaged = batch_lines("bad", 1, re, to);
                lines.insert(lines.end(), damaged.begin(), damaged.end());
            }
        }
        if (re) {
            const auto damaged = batch_lines("bad", 1, re, to);
            lines.insert(lines.end(), damaged.begin(), damaged.end());
        }
        lines = split_pr(lines);
        std::string out;
        fs::path played;
        if (re) {
            std::string text;
            for (const std::string& l : lines) text += l + "\n";
            write_text(fs::current_path() / "batch.txt", text);
            restart_engine();
            fs::remove(midi);
            out = run_console_script({"RE batch.txt"});
            played = midi;
        } else {
            int status = -1;
            out = run_console_file(fs::current_path(), lines, &status);
            played = fs::current_path() / "state" / "ormest" / "ormmidi.mid";
            // The failed load fails the run; the script goes on past it.
            EXPECT_EQ(status, 1) << out;
            EXPECT_TRUE(fs::exists(to + "bad.mus")) << out;
        }
        const std::size_t failed =
            out.find("Error opening file-> " + (fs::current_path() / "bad.mus").string());
        ASSERT_NE(failed, std::string::npos) << out;
        if (re) {
            // The file stops at the failed load: its lines for that document never run.
            EXPECT_NE(out.find("was not loaded: the rest of the file was not read.", failed),
                      std::string::npos)
                << out;
            EXPECT_FALSE(fs::exists(to + "bad.mus")) << out;
            EXPECT_FALSE(fs::exists(to + "bad.eps")) << out;
        }
        for (std::size_t k : order) check(k, ".", to, out);
        if (!re) {
            EXPECT_EQ(midi_track_keys(played), expected[3].notes) << out;
        }
    }

    // The same batch without the damaged document: "--console FILE" ends with status 0.
    std::vector<std::string> clean;
    for (std::size_t k : order) {
        const auto more = batch_lines(documents[k].name, documents[k].staves, false, "clean-");
        clean.insert(clean.end(), more.begin(), more.end());
    }
    int status = -1;
    const std::string out = run_console_file(fs::current_path(), split_pr(clean), &status);
    EXPECT_EQ(status, 0) << out;
    for (std::size_t k : order) check(k, ".", "clean-", out);

    // Without its saves the batch's second load meets the question before unsaved changes are
    // dropped: the script's next line answers nothing, is named and taken as No, and the run
    // fails.
    std::vector<std::string> unsaved;
    for (std::size_t k : {0, 1}) {
        const std::string name = documents[k].name;
        for (const std::string& l :
             {"G " + name + ".mus", std::string("LJ"), "1 " + std::to_string(documents[k].staves),
              std::string("Y"), std::string("PR"), "unsaved-" + name + ".eps"})
            unsaved.push_back(l);
    }
    status = -1;
    const std::string named = run_console_file(fs::current_path(), unsaved, &status);
    EXPECT_NE(named.find("*** Not an answer to \"Warning: Unsaved entries or changes will be "
                         "lost. Clear or Load new file?\": LJ -- taken as No."),
              std::string::npos)
        << named;
    EXPECT_EQ(status, 1) << named;
}

// A note sent to the other staff of a piano pair takes its level from that staff's clef: the
// bass's C4 and E4 sent up stand at levels 1 and 3 of the treble and play keys 60 and 64,
// whether the bass is typed before the treble (whose clef the input keeps as the treble) or
// after it; a treble's C3 sent down with S- stands at level 6 of the bass and plays 48. Notes
// that stay on their staff keep their own clef's levels.
TEST_F(MidiConsoleTest, ANoteSentToTheOtherStaffSoundsAtItsTypedPitch) {
    const std::vector<std::string> bass = {
        "BA/4 4/C3/G3/S+/C4/E4/S0/G3/C3/G2/M2;", "E/E/E/E/E/E/Q;", ";", "1 4/5 6;", "1 4;", "X"};
    const std::vector<std::string> treble = {
        "TR/4 4/R/G4/S-/C3/S0/C5/M1;", "H/E/E/Q;", ";", ";", ";", "X"};
    struct Case {
        const char* label;
        std::vector<std::string> lines;
    };
    std::vector<std::string> bass_first = {"IN 1", ""};
    bass_first.insert(bass_first.end(), bass.begin(), bass.end());
    bass_first.insert(bass_first.end(), {"Y", ""});
    bass_first.insert(bass_first.end(), treble.begin(), treble.end());
    // The treble typed first, below it a staff that holds only its bass clef.
    std::vector<std::string> treble_first = {"EI", "8 1 0", "3 1 2 0 1", "EI", "IN 2", ""};
    treble_first.insert(treble_first.end(), treble.begin(), treble.end());
    for (const Case& c : {Case{"bass first", bass_first}, Case{"treble first", treble_first}}) {
        SCOPED_TRACE(c.label);
        restart_engine();
        std::vector<std::string> lines = c.lines;
        lines.insert(
            lines.end(),
            {"N", std::string("SA ") + (c.label[0] == 'b' ? "b" : "t") + ".mus", "PLA", "x"});
        const std::string out = type(lines);
        // Per staff, the levels of its notes and the P12 that sends them, in store order.
        std::vector<std::string> levels[3];
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            const int32_t s = core::ItemStartTable(k);
            if (core::ItemStore(s + 1) != 1.0f) continue;
            const int32_t staff = static_cast<int32_t>(core::ItemStore(s + 2));
            ASSERT_TRUE(staff == 1 || staff == 2) << out;
            const int32_t n = static_cast<int32_t>(core::ItemStore(s));
            const float p12 = n >= 12 ? core::ItemStore(s + 12) : 0.0f;
            levels[staff].push_back(std::to_string(static_cast<int>(core::ItemStore(s + 4))) + "/" +
                                    std::to_string(static_cast<int>(p12)));
        }
        const bool with_bass = c.label == std::string("bass first");
        std::vector<std::string> staff1 = {"6/0", "10/0", "1/1", "3/1", "10/0", "6/0", "3/0"};
        if (!with_bass) staff1.clear();
        const std::vector<std::string> staff2 = {"5/0", "6/2", "8/0"};
        EXPECT_EQ(levels[1], staff1) << out;
        EXPECT_EQ(levels[2], staff2) << out;
        const std::vector<std::string> keys = midi_track_keys(platform::work_file("ormmidi.mid"));
        ASSERT_NE(out.find("MIDI file written: " + platform::work_file("ormmidi.mid")),
                  std::string::npos)
            << out;
        std::vector<std::string> expected = {"67 48 72"};
        if (with_bass) expected.push_back("48 55 60 64 55 48 43");
        std::sort(expected.begin(), expected.end());
        std::vector<std::string> got = keys;
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected) << out;
    }
}

}  // namespace
