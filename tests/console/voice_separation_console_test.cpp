// "SEPX" typed into the console as a user would: the upper voice of staff 1 goes to staff 2,
// staff 1 keeps the lower one, and a second run onto the now occupied staff is refused.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/store_records.h"

namespace {

using VoiceSeparationConsoleTest = ConsoleSessionTest;

std::vector<float> heights_on(int32_t staff) {
    std::vector<float> out;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == static_cast<float>(staff))
            out.push_back(stored_param(k, 4));
    }
    return out;
}

TEST_F(VoiceSeparationConsoleTest, SepxSplitsTheStaffAndRefusesAnOccupiedOne) {
    const std::string out =
        type({"EI", "8 1 0", "1 1 10 2 20 0 2", "1 1 10 8 10 0 1", "1 1 20 8 10 0 1",
              "1 1 30 5 10 0 1", "1 1 40 5 10 0 1", "SEPX 1 1 2", "SEPX 1 1 2"});
    EXPECT_EQ(heights_on(2), (std::vector<float>{8, 8, 5, 5})) << out;
    EXPECT_EQ(heights_on(1), (std::vector<float>{2, 5, 5})) << out;
    EXPECT_NE(out.find("Items found on staff   2. Can't proceed."), std::string::npos) << out;
}

// "SE 2 1 0 right 1": the lower voice is kept from 0 to the typed right limit, and the two
// voices of the chord at 50 are separated only when the limit reaches it (50 does; 49.9 and 25
// do not; 0 is the page's end).
TEST_F(VoiceSeparationConsoleTest, SeTakesTheTypedRightLimit) {
    struct Case {
        const char* right;
        std::vector<float> kept;  // heights left on staff 1
    };
    const Case cases[] = {{"25", {2, 2, 8}}, {"49.9", {2, 2, 8}}, {"50", {2, 2}}, {"0", {2, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.right);
        core::reset_engine();
        const std::string out =
            type({"EI", "8 1 0", "1 1 10 2 20 0 2", "1 1 10 8 10 0 1", "1 1 20 8 10 0 1",
                  "1 1 50 2 20 0 1", "1 1 50 8 10 0 1", std::string("SE 2 1 0 ") + c.right + " 1"});
        EXPECT_EQ(heights_on(1), c.kept) << out;
    }
}

// A chord as the input stores it goes with the voice of its stemmed note: one voice of chords
// loses nothing to SE 1 and everything to SE 2, and SEPX keeps each chord whole on one staff;
// with a second voice beside the chords, each voice keeps its own notes. Typed and loaded, with
// another staff after.
TEST_F(VoiceSeparationConsoleTest, ChordsGoWithTheVoiceOfTheirStem) {
    const std::vector<std::string> kChords = {"IN 1",
                                              "",
                                              "BA/SU/C3:E3:G3/D3:F3:A3/E3:G3/M;",
                                              "Q/Q/H;",
                                              "G",
                                              "X",
                                              "N",
                                              "EI",
                                              "8 3 0",
                                              "1 3 10 5 10 0 1"};
    // Upper voice: chords stemmed up at 10 and 20 (the stem on the 8); lower voice: 2 stemmed
    // down.
    const std::vector<std::string> kTwoVoices = {"EI",
                                                 "8 1 0",
                                                 "1 1 10 8 10 0 1",
                                                 "1 1 10 10 0 0 1",
                                                 "1 1 10 2 20 0 1",
                                                 "1 1 20 8 10 0 1",
                                                 "1 1 20 10 0 0 1",
                                                 "1 1 20 2 20 0 1",
                                                 "8 3 0",
                                                 "1 3 10 5 10 0 1"};
    // One voice stemmed down: the input keeps each chord's stem on its top note, stored first,
    // and the staff sort puts the others before it.
    const std::vector<std::string> kStemsDown = {"IN 1",
                                                 "",
                                                 "TR/SD/C4:E4:G4/D4:F4/E5:G5/M;",
                                                 "Q/Q/H;",
                                                 "G",
                                                 "X",
                                                 "N",
                                                 "EI",
                                                 "8 3 0",
                                                 "1 3 10 5 10 0 1"};
    // Stems the input chose: up, down, up.
    const std::vector<std::string> kChosenStems = {
        "IN 1", "",      "TR/C4:E4/A5:C6/D4:F4/M;", "Q/Q/H;", "G", "X", "N",
        "EI",   "8 3 0", "1 3 10 5 10 0 1"};
    // Both voices hold a chord in one column, as the input stores them: the upper one stemmed
    // on its 8, the lower one on its 4.
    const std::vector<std::string> kBothChords = {"EI",
                                                  "8 1 0",
                                                  "1 1 10 8 10 0 1",
                                                  "1 1 10 10 0 0 1",
                                                  "1 1 10 4 20 0 1",
                                                  "1 1 10 2 0 0 1",
                                                  "1 1 20 8 10 0 1",
                                                  "1 1 20 10 0 0 1",
                                                  "1 1 20 4 20 0 1",
                                                  "1 1 20 2 0 0 1",
                                                  "8 3 0",
                                                  "1 3 10 5 10 0 1"};
    struct Case {
        const std::vector<std::string>* page;
        const char* command;
        std::vector<float> staff1;  // heights left; "same" when keep_all
        std::vector<float> staff2;
        bool keep_all;               // staff 1's notes as they were, P5 included
        std::vector<float> p5 = {};  // staff 1's P5 after, when given
    };
    const Case cases[] = {
        {&kChords, "SE 1 1 0 200 1", {}, {}, true},
        {&kChords, "SE 2 1 0 200 1", {}, {}, false},
        {&kTwoVoices, "SE 1 1 0 200 1", {8, 10, 8, 10}, {}, false},
        {&kTwoVoices, "SE 2 1 0 200 1", {2, 2}, {}, false},
        {&kTwoVoices, "SEPX 1 1 2", {2, 2}, {8, 10, 8, 10}, false},
        {&kStemsDown, "SE 1 1 0 200 1", {}, {}, true},
        // Stems down are the lower voice's: it keeps them all.
        {&kStemsDown, "SE 2 1 0 200 1", {}, {}, true},
        {&kChosenStems, "SE 1 1 0 200 1", {}, {}, true},
        {&kChosenStems, "SE 2 1 0 200 1", {13, 15}, {}, false, {0, 20}},
        {&kBothChords, "SE 1 1 0 200 1", {8, 10, 8, 10}, {}, false, {10, 0, 10, 0}},
        {&kBothChords, "SE 2 1 0 200 1", {2, 4, 2, 4}, {}, false, {0, 10, 0, 10}},
        {&kBothChords, "SEPX 1 1 2", {2, 4, 2, 4}, {8, 10, 8, 10}, false, {0, 10, 0, 10}},
    };
    const auto name_of = [&](const std::vector<std::string>* page) {
        return page == &kChords        ? " chords"
               : page == &kStemsDown   ? " stems down"
               : page == &kChosenStems ? " chosen stems"
               : page == &kBothChords  ? " both chords"
                                       : " voices";
    };
    // Staff 1's notes as (height, P5), in height order within each position.
    const auto notes_of_staff1 = [] {
        std::vector<std::pair<float, float>> notes;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == 1.0f)
                notes.emplace_back(stored_param(k, 4), stored_param(k, 5));
        std::sort(notes.begin(), notes.end());
        return notes;
    };
    for (const Case& c : cases) {
        for (const bool loaded : {false, true}) {
            SCOPED_TRACE(std::string(c.command) + name_of(c.page) +
                         (loaded ? " loaded" : " typed"));
            core::reset_engine();
            std::string out = type(*c.page);
            if (loaded) {
                std::filesystem::remove("v.mus");
                out = type({"SA v.mus"});
                core::reset_engine();
                out = type({"G v.mus"});
            }
            const auto before = notes_of_staff1();
            const std::size_t typed_notes = c.page == &kChords       ? 8u
                                            : c.page == &kStemsDown  ? 7u
                                            : c.page == &kBothChords ? 8u
                                                                     : 6u;
            ASSERT_EQ(before.size(), typed_notes) << out;
            out = type({c.command});
            if (c.keep_all) {
                EXPECT_EQ(notes_of_staff1(), before) << out;
            } else {
                EXPECT_EQ(heights_on(1), c.staff1) << out;
            }
            if (!c.p5.empty()) {
                std::vector<float> p5_after;
                for (int32_t k = 1; k <= core::ItemCount; ++k)
                    if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == 1.0f)
                        p5_after.push_back(stored_param(k, 5));
                EXPECT_EQ(p5_after, c.p5) << out;
            }
            EXPECT_EQ(heights_on(2), c.staff2) << out;
            EXPECT_EQ(heights_on(3), (std::vector<float>{5})) << out;
        }
    }
    // SEPX on one voice of chords: every chord goes whole to the staff of its stem's voice (a
    // voice stemmed down alone is in both voices: whole on both staves).
    for (const auto* page : {&kChords, &kStemsDown}) {
        SCOPED_TRACE(name_of(page));
        core::reset_engine();
        type(*page);
        const auto chords = notes_of_staff1();
        const std::string out = type({"SEPX 1 1 2"});
        std::vector<std::pair<float, float>> on2;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            if (stored_param(k, 1) == 1.0f && stored_param(k, 2) == 2.0f)
                on2.emplace_back(stored_param(k, 4), stored_param(k, 5));
        std::sort(on2.begin(), on2.end());
        EXPECT_EQ(on2, chords) << out;
        const auto left = page == &kChords ? decltype(chords){} : chords;
        EXPECT_EQ(notes_of_staff1(), left) << out;
    }
}

}  // namespace
