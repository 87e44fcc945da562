// UNDO and the saved mark on the three script roads (lines piped, "--console FILE", a file read by
// RE): UNDO read from a command file takes back that file's last changing line alone, a units
// word is a step of its own, the sorts of playing keep the saved mark, and a page that no file
// holds is never shown saved. Each case ends by saving the page (or not, to hear the end of the
// input) and the saved file is read back and checked.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

enum class Road { Piped, ConsoleFile, Re };

const char* road_name(Road road) {
    switch (road) {
        case Road::Piped:
            return "piped";
        case Road::ConsoleFile:
            return "console_file";
        case Road::Re:
            return "RE";
    }
    return "?";
}

// a.mus: a staff and two notes (item 2 at 50 with P4 5, item 3 at 70 with P4 6), in inches.
const std::vector<std::string> kMakeA = {"EI", "8 1 0", "1 1 50 5 10 0 4", "1 1 70 6 10 0 4",
                                         "SA a.mus"};
// p.mus: staff 2 stored before staff 1, so that playing's sorts reorder the page.
const std::vector<std::string> kMakeP = {"EI",      "8 2 0",   "3 2 2", "1 2 20 1 0 0 4",
                                         "14 2 60", "8 1 0",   "3 1 2", "1 1 20 1 0 0 4",
                                         "14 1 60", "SA p.mus"};

// f.mus: a.mus and item 4, an EPS figure of fig.eps (its box 0 0 20 30).
const std::vector<std::string> kMakeF = {
    "G a.mus", "EI", "15 1 80 0 1 1 0 0 0 0 0 0 1", "fig.eps", "X", "EI", "SA f.mus"};

const std::vector<std::string> kTwoNotesUndone = {"NOTE RHQ 1 90", "X", "NOTE RHQ 1 100", "X",
                                                  "UNDO"};

// The first word of the name "fig.eps" as an EPS item holds it (its first four characters).
const float kFigNameWord = [] {
    float word = 0.0f;
    std::memcpy(&word, "fig.", sizeof word);
    return word;
}();

// P j of item k must be value in the saved page.
struct Param {
    int32_t item;
    int32_t j;
    float value;
};

struct Case {
    const char* name;
    std::vector<Road> roads;
    std::vector<std::string> before;  // typed first on every road
    std::vector<std::string> lines;   // piped, in the script, or in the file read by RE
    std::vector<std::string> after;   // typed after them (after the RE line)
    bool save = true;                 // "SA out.mus" ends the input
    int32_t items = 0;                // the saved page's item count
    std::vector<Param> params;
    int32_t metric = 0;  // the saved page's units (0 inches, 1 centimetres)
    std::vector<const char*> said;
    std::vector<const char*> not_said;
};

const std::vector<Road> kAll = {Road::Piped, Road::ConsoleFile, Road::Re};
const std::vector<Road> kReOnly = {Road::Re};
const char* const kNothing = "*** Nothing to UNDO.";
const char* const kNotSaved = "were not saved";

const std::vector<Case> kCases = {
    // UNDO in a command file, as the same lines piped.
    {"undo_takes_back_the_last_line",
     kAll,
     {"G a.mus"},
     kTwoNotesUndone,
     {},
     true,
     4,
     {{4, 3, 90.0f}},
     0,
     {},
     {kNothing}},
    {"second_undo_in_a_row",
     kAll,
     {"G a.mus"},
     console_lines_then(kTwoNotesUndone, {"UNDO"}),
     {},
     true,
     4,
     {{4, 3, 90.0f}},
     0,
     {kNothing},
     {}},
    {"redo_gives_back_the_undone_line",
     kAll,
     {"G a.mus"},
     console_lines_then(kTwoNotesUndone, {"REDO"}),
     {},
     true,
     5,
     {{4, 3, 90.0f}, {5, 3, 100.0f}},
     0,
     {},
     {"Nothing to REDO"}},
    {"undo_redo_undo",
     kAll,
     {"G a.mus"},
     console_lines_then(kTwoNotesUndone, {"REDO", "UNDO"}),
     {},
     true,
     4,
     {{4, 3, 90.0f}},
     0,
     {},
     {kNothing}},
    {"an_item_edit_is_one_step",
     kAll,
     {"G a.mus"},
     {"I 2", ",,,9", "X", "I 3", ",,,7", "XC", ",,8", "X", "UNDO"},
     {},
     true,
     3,
     {{2, 4, 9.0f}, {3, 3, 70.0f}, {3, 4, 6.0f}},
     0,
     {},
     {kNothing}},
    {"a_save_ends_the_history",
     kAll,
     {"G a.mus"},
     {"NOTE RHQ 1 90", "X", "SA s.mus", "UNDO"},
     {},
     true,
     4,
     {{4, 3, 90.0f}},
     0,
     {kNothing},
     {}},
    // Only the file's own lines: the change typed before the file stays.
    {"undo_first_in_the_file",
     kReOnly,
     {"G a.mus", "I 2", ",,,9", "X"},
     {"UNDO"},
     {},
     true,
     3,
     {{2, 4, 9.0f}},
     0,
     {kNothing},
     {}},
    {"redo_first_in_the_file",
     kReOnly,
     {"G a.mus", "I 2", ",,,9", "X", "UNDO"},
     {"REDO"},
     {},
     true,
     3,
     {{2, 4, 5.0f}},
     0,
     {"*** Nothing to REDO."},
     {}},
    // UNDO typed after the RE line takes back the whole file, its own UNDO or not.
    {"typed_undo_takes_back_the_file",
     kReOnly,
     {"G a.mus"},
     kTwoNotesUndone,
     {"UNDO"},
     true,
     3,
     {{3, 3, 70.0f}},
     0,
     {},
     {kNothing}},

    // A units word is a step of its own: UNDO takes it back alone.
    {"metric_after_an_edit",
     kAll,
     {"G a.mus"},
     {"I 2", ",,,9", "X", "METRIC", "UNDO"},
     {},
     true,
     3,
     {{2, 4, 9.0f}},
     0,
     {},
     {kNothing}},
    {"points_after_an_edit",
     kAll,
     {"G a.mus"},
     {"I 2", ",,,9", "X", "POI", "UNDO"},
     {},
     true,
     3,
     {{2, 4, 9.0f}},
     0,
     {},
     {kNothing}},
    {"inch_after_an_edit",
     kAll,
     {"G a.mus"},
     {"METRIC", "I 2", ",,,9", "X", "INCH", "UNDO"},
     {},
     true,
     3,
     {{2, 4, 9.0f}},
     1,
     {},
     {kNothing}},
    {"a_units_word_alone_is_undone",
     kAll,
     {"G a.mus"},
     {"METRIC", "UNDO"},
     {},
     false,
     0,
     {},
     0,
     {},
     {kNotSaved}},
    {"a_units_word_marks_the_page",
     kAll,
     {"G a.mus"},
     {"METRIC"},
     {},
     false,
     0,
     {},
     0,
     {kNotSaved},
     {}},

    // Playing sorts the page, but the saved page stays saved and the sort is no step.
    {"play_keeps_the_saved_mark",
     kAll,
     kMakeP,
     {"PLA", "x"},
     {},
     false,
     0,
     {},
     0,
     {"MIDI file written"},
     {kNotSaved}},
    {"play_is_no_step",
     kAll,
     kMakeP,
     {"PLA", "x", "UNDO"},
     {},
     false,
     0,
     {},
     0,
     {kNothing},
     {kNotSaved}},
    {"undo_after_play_takes_back_the_edit",
     {Road::Piped, Road::ConsoleFile},
     console_lines_then(kMakeP, {"1 1 40 2 0 0 4", "X"}),
     {"PLA", "x", "UNDO"},
     {},
     true,
     8,
     {},
     0,
     {},
     {kNothing}},
    // The sort word still marks the page changed.
    {"the_sort_word_marks_the_page", kAll, kMakeP, {"OS"}, {}, false, 0, {}, 0, {kNotSaved}, {}},
    // Typed, RS names the page anew: the page UNDO gives back is held by no file of that name.
    // In a command file RS keeps the name, and UNDO gives back the page its file holds.
    {"undo_after_rs_in_a_file_is_saved",
     kReOnly,
     {"G a.mus"},
     {"RS", "UNDO"},
     {},
     false,
     0,
     {},
     0,
     {},
     {kNotSaved}},
    {"undo_after_rs_is_not_saved",
     {Road::Piped, Road::ConsoleFile},
     {"G a.mus"},
     {"RS", "UNDO"},
     {},
     false,
     0,
     {},
     0,
     {"KELDA.MUS * (not saved -    3 Items)", "the changes to KELDA.MUS were not saved"},
     {}},
    // The edit form renames the figure; UNDO gives back its name, box and marks, whether the
    // new file is there or missing.
    {"undo_after_an_eps_rename",
     kAll,
     kMakeF,
     {"I 4", "13 1", "two.eps", "X", "UNDO"},
     {},
     true,
     4,
     {{4, 7, 0.0f}, {4, 9, 20.0f}, {4, 10, 30.0f}, {4, 13, 0.0f}, {4, 14, kFigNameWord}},
     0,
     {},
     {kNothing}},
    {"undo_after_a_rename_to_a_missing_eps",
     kAll,
     kMakeF,
     {"I 4", "13 1", "gone.eps", "X", "UNDO"},
     {},
     true,
     4,
     {{4, 9, 20.0f}, {4, 10, 30.0f}, {4, 13, 0.0f}, {4, 14, kFigNameWord}},
     0,
     {},
     {kNothing}},
};

struct RoadCase {
    std::size_t row;
    Road road;
};

std::vector<RoadCase> all_cases() {
    std::vector<RoadCase> out;
    for (std::size_t k = 0; k < kCases.size(); ++k)
        for (Road r : kCases[k].roads) out.push_back({k, r});
    return out;
}

std::string case_name(const ::testing::TestParamInfo<RoadCase>& info) {
    return std::string(kCases[info.param.row].name) + "_" + road_name(info.param.road);
}

class UndoInCommandFilesConsoleTest : public ConsoleSessionTest,
                                      public ::testing::WithParamInterface<RoadCase> {
  protected:
    // The lines on the road; what the program wrote, the end-of-input notice included.
    std::string run(Road road, const std::vector<std::string>& lines) {
        if (road == Road::ConsoleFile) return run_console_file(temp_.root(), lines);
        return run_console_script(lines);
    }
};

TEST_P(UndoInCommandFilesConsoleTest, TheRoadGivesThePage) {
    const Case& c = kCases[GetParam().row];
    const Road road = GetParam().road;
    type(kMakeA);
    std::ofstream(temp_.root() / "fig.eps")
        << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 30\n";
    std::ofstream(temp_.root() / "two.eps")
        << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 5 6 50 70\n";
    core::reset_engine();
    core::reset_service_gate();

    std::vector<std::string> lines = c.before;
    if (road == Road::Re) {
        std::ofstream file(temp_.root() / "f.txt");
        for (const std::string& line : c.lines) file << line << "\n";
        lines.push_back("RE f.txt");
    } else {
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    }
    lines.insert(lines.end(), c.after.begin(), c.after.end());
    if (c.save) lines.push_back("SA out.mus");
    const std::string out = run(road, lines);
    for (const char* text : c.said)
        EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
    for (const char* text : c.not_said)
        EXPECT_EQ(out.find(text), std::string::npos) << text << "\n" << out;
    if (!c.save) return;

    core::reset_engine();
    core::reset_service_gate();
    ASSERT_TRUE(std::filesystem::exists(temp_.root() / "out.mus")) << out;
    type({"G out.mus"});
    EXPECT_EQ(core::ItemCount, c.items) << out;
    EXPECT_EQ(core::MetricFlag, c.metric);
    for (const Param& p : c.params) {
        ASSERT_LE(p.item, core::ItemCount);
        EXPECT_EQ(stored_param(p.item, p.j), p.value) << "item " << p.item << " P" << p.j;
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, UndoInCommandFilesConsoleTest, ::testing::ValuesIn(all_cases()),
                         case_name);

}  // namespace
