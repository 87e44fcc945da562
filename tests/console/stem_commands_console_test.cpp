// The stem commands typed into the console as a user would: "FLA" fits the stems of a box to
// their beams, "FLD" and "FLU" flip a beamed group and bring it back, and a group that cannot
// be flipped is refused with its item number and left as it was.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/readme_hymn.h"
#include "tests/support/run_status.h"
#include "tests/support/store_records.h"

namespace fs = std::filesystem;

namespace {

// The item of that code whose P3 is p3 within 0.0001 (the stem commands sort the store first);
// 0 when none.
int32_t find(int32_t code, float p3) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (stored_param(k, 1) == static_cast<float>(code) &&
            std::abs(stored_param(k, 3) - p3) < 1e-4f) {
            return k;
        }
    }
    return 0;
}

std::vector<std::string> with(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// Two eighths under a flat beam two steps above the first head.
const std::vector<std::string> kFitPage = {"EI", "8 1 0", "1 1 20 5 10 0 0.5 0 1",
                                           "1 1 40 8 10 0 0.5 0 1", "6 1 20 7 7 40 11"};
// Two eighths stems up under a beam from the first head to the second.
const std::vector<std::string> kFlipPage = {"EI", "8 1 0", "1 1 20 5 10 0 0.5", "1 1 60 8 10 0 0.5",
                                            "6 1 20 5 8 60 11"};

std::string file_text(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class StemCommandsConsoleTest : public ConsoleSessionTest {
  protected:
    // A second session of the same test starts from a fresh engine.
    void restart() {
        core::reset_engine();
        core::reset_service_gate();
    }
};

TEST_F(StemCommandsConsoleTest, FlaFitsTheStemsOfTheBoxAndOneUndoBringsThemBack) {
    std::string out = type(with(kFitPage, {"FLA", "1 0 0 1", "Y"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    int32_t first = find(1, 20.0f), second = find(1, 40.0f);
    ASSERT_TRUE(first != 0 && second != 0) << out;
    EXPECT_NE(out.find("Adjust Stems to Beams."), std::string::npos) << out;
    EXPECT_FLOAT_EQ(stored_param(first, 8), 2.0f);
    EXPECT_FLOAT_EQ(stored_param(second, 8), -1.0f);
    EXPECT_EQ(stored_param(first, 9), 0.0f);
    EXPECT_EQ(stored_param(second, 9), 0.0f);
    EXPECT_EQ(core::PendingBoxOperation, 0);

    restart();
    out = type(with(kFitPage, {"FLA", "1 0 0 1", "Y", "UNDO"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    first = find(1, 20.0f), second = find(1, 40.0f);
    ASSERT_TRUE(first != 0 && second != 0) << out;
    EXPECT_EQ(stored_param(first, 8), 0.0f);
    EXPECT_EQ(stored_param(second, 8), 0.0f);
    EXPECT_EQ(stored_param(first, 9), 1.0f);
    EXPECT_EQ(stored_param(second, 9), 1.0f);
}

TEST_F(StemCommandsConsoleTest, FldFlipsTheGroupDownAndFluBringsItBack) {
    std::string out = type(with(kFlipPage, {"FLD", "1 0 0 1", "Y"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    int32_t first = find(1, 20.0f), second = find(1, 60.0f), beam = find(6, 20.0f);
    ASSERT_TRUE(first != 0 && second != 0 && beam != 0) << out;
    for (const int32_t k : {first, second}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(stored_param(k, 5), 20.0f);
        EXPECT_EQ(stored_param(k, 8), 0.0f);
        EXPECT_EQ(stored_param(k, 9), 0.0f);
    }
    EXPECT_EQ(stored_param(beam, 7), 21.0f);
    EXPECT_EQ(stored_param(beam, 4), 5.0f);
    EXPECT_EQ(stored_param(beam, 5), 8.0f);
    EXPECT_EQ(stored_param(beam, 6), 60.0f);

    restart();
    out = type(with(kFlipPage, {"FLD", "1 0 0 1", "Y", "FLU", "1 0 0 1", "Y"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    first = find(1, 20.0f), second = find(1, 60.0f), beam = find(6, 20.0f);
    ASSERT_TRUE(first != 0 && second != 0 && beam != 0) << out;
    EXPECT_EQ(stored_param(first, 5), 10.0f);
    EXPECT_EQ(stored_param(second, 5), 10.0f);
    EXPECT_EQ(stored_param(beam, 7), 11.0f);
    EXPECT_EQ(stored_param(beam, 6), 60.0f);
}

TEST_F(StemCommandsConsoleTest, APlWordWaitsForItsBoxLikeFl) {
    // The box answer goes to the stem command, not into the page as a new item.
    const std::string out = type(with(kFlipPage, {"PLD", "1 0 0 1", "Y"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    EXPECT_NE(out.find("Flip Stems, etc. Down."), std::string::npos) << out;
    const int32_t first = find(1, 20.0f), beam = find(6, 20.0f);
    ASSERT_TRUE(first != 0 && beam != 0) << out;
    EXPECT_EQ(stored_param(first, 5), 20.0f);
    EXPECT_EQ(stored_param(beam, 7), 21.0f);
    EXPECT_EQ(core::PendingBoxOperation, 0);
}

TEST_F(StemCommandsConsoleTest, ABeamOverAQuarterIsRefusedWithItsNumberAndNothingChanges) {
    const std::vector<std::string> page = {"EI", "8 1 0", "1 1 20 5 10 0 0.5", "1 1 60 8 10 0 1",
                                           "6 1 20 5 8 59.995 11"};
    const std::string out = type(with(page, {"FLD", "1 0 0 1", "Y"}));
    ASSERT_EQ(core::ItemCount, 4) << out;
    const int32_t first = find(1, 20.0f), second = find(1, 60.0f), beam = find(6, 20.0f);
    ASSERT_TRUE(first != 0 && second != 0 && beam != 0) << out;
    const std::string message =
        "*** end of beam out of range, or tremolo, or P7 rhythm >= 1. - Can't flip Item";
    const std::size_t at = out.find(message);
    ASSERT_NE(at, std::string::npos) << out;
    // The item number in columns 81-84.
    EXPECT_EQ(out.substr(at + 80, 4), "   " + std::to_string(beam)) << out;
    EXPECT_EQ(stored_param(first, 5), 10.0f);
    EXPECT_EQ(stored_param(second, 5), 10.0f);
    EXPECT_EQ(stored_param(beam, 7), 11.0f);
    // The beam's right end was not snapped to the note 0.005 away.
    EXPECT_EQ(stored_param(beam, 6), 59.995f);
}

// A typed box outside the staves is refused naming the line before any question, so that a
// script's next line runs as a command; staff 0 alone is asked about first and refused after
// the Yes. The page stays as it was.
TEST_F(StemCommandsConsoleTest, ABoxOutsideTheStavesIsRefused) {
    struct Case {
        const char* box;
        const char* message;
        bool asked;
    };
    for (const Case c :
         {Case{"0 0 70", "*** Staff numbers are 1 to 256 -- no box: 0 0 70", false},
          Case{"0", "*** No Staff number given. ***", true},
          Case{"257", "*** Staff numbers are 1 to 256 -- no box: 257", false},
          Case{"1 0 0 257", "*** Staff numbers are 1 to 256 -- no box: 1 0 0 257", false},
          Case{"-1 0 0 1", "*** Staff numbers are 1 to 256 -- no box: -1 0 0 1", false}}) {
        SCOPED_TRACE(c.box);
        restart();
        const std::string out = type(with(kFlipPage, {"FLD", c.box, "Y"}));
        const std::size_t asked = out.find("Source Box O.K.? -");
        EXPECT_EQ(asked != std::string::npos, c.asked) << out;
        EXPECT_NE(out.find(c.message, c.asked ? asked : 0), std::string::npos) << out;
        ASSERT_EQ(core::ItemCount, 4) << out;
        EXPECT_EQ(stored_param(find(1, 20.0f), 5), 10.0f);
        EXPECT_EQ(stored_param(find(6, 20.0f), 7), 11.0f);
        EXPECT_EQ(core::PendingBoxOperation, 0);
    }
    // Staff 256 and a top staff of 256 are staves: no refusal (nothing of the page moves).
    for (const char* box : {"256", "1 0 0 256"}) {
        SCOPED_TRACE(box);
        restart();
        const std::string out = type(with(kFlipPage, {"FLD", box, "Y"}));
        EXPECT_EQ(out.find("***"), std::string::npos) << out;
        EXPECT_EQ(core::PendingBoxOperation, 0);
    }
    EXPECT_EQ(stored_param(find(1, 20.0f), 5), 20.0f);  // staves 1 to 256 took staff 1 too

    // No brings the prompt back; the next box runs.
    restart();
    const std::string out = type(with(kFlipPage, {"FLD", "0", "N", "1 0 0 1", "Y"}));
    EXPECT_EQ(out.find("No Staff number"), std::string::npos) << out;
    EXPECT_EQ(stored_param(find(1, 20.0f), 5), 20.0f);
}

// The staff-notes words read every line as a box until X: a line of words and a box off the
// staves are refused by name, and after No (or a refusal) the box is asked for again. Nothing is
// eaten silently, and X lets the script go on.
TEST_F(StemCommandsConsoleTest, StaffNotesWordsReadEveryLineAsABoxUntilX) {
    const std::string prompt =
        "Enter Staff number, Left position, Right position, and upper staff num. -- or draw box.";
    struct Case {
        std::vector<std::string> lines;  // after the word, before "X"
        const char* refused;             // the refusal's text, or nullptr when a box is asked about
        bool asked_again;                // else "X" answers "Source Box O.K.?" as Exit
    };
    const std::vector<Case> cases = {
        {{"SA x1.mus"}, "*** Not a box: SA x1.mus -- the box is asked again.", true},
        {{"SA x1.mus", "1 10 60 1"}, "*** Not a box: SA x1.mus -- the box is asked again.", false},
        {{"1 10 60 1", "N"}, nullptr, true},
        {{"257 10 60 1"}, "*** Staff numbers are 1 to 256 -- no box: 257 10 60 1", true},
    };
    for (const char* word : {"STU", "STM"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(word) + " " + c.lines.front());
            restart();
            fs::remove("x1.mus");
            fs::remove("end.mus");
            const std::string out =
                type(with(with(kFlipPage, {word}), with(c.lines, {"X", "SA end.mus"})));
            std::size_t at = out.find(c.refused != nullptr ? c.refused : "Source Box O.K.? -");
            ASSERT_NE(at, std::string::npos) << out;
            if (c.asked_again) {
                EXPECT_LT(out.find(prompt, at), out.find("Leaving Group Edit.", at)) << out;
            }
            EXPECT_FALSE(fs::exists("x1.mus"));
            EXPECT_TRUE(fs::exists("end.mus")) << out;
            EXPECT_EQ(core::ItemCount, 4) << out;  // no line became an item
        }
    }
}

// A flip over staves of two voices would merge each staff's voices into chords: every flip word
// stops with nothing changed and says why, on the page typed and on the page loaded (texts
// after its staves). One voice with chords flips as before.
TEST_F(StemCommandsConsoleTest, FlipWordsStopOnTwoVoicesAndFlipChords) {
    const std::string kRefusal = "*** Can't flip: two stemmed notes at one position (two voices)";
    for (const char* word : {"FL", "FLU", "FLD", "FLN"}) {
        for (const bool loaded : {false, true}) {
            SCOPED_TRACE(std::string(word) + (loaded ? " loaded" : " typed"));
            restart();
            for (const char* name : {"hymn.mus", "b.mus", "f.mus"}) fs::remove(name);
            std::string out = type(readme_hymn_lines());
            ASSERT_TRUE(fs::exists("hymn.mus")) << out;
            if (loaded) {
                restart();
                out = type({"G hymn.mus"});
            }
            out = type({"SA b.mus"});
            core::RunFailedWord = 0;
            out = type({word, "1 0 200 2", "Y", "SA f.mus"});
            EXPECT_NE(out.find(kRefusal), std::string::npos) << out;
            EXPECT_EQ(marked_status(), 1) << out;
            EXPECT_EQ(file_text("f.mus"), file_text("b.mus")) << out;
            if (loaded) {
                EXPECT_EQ(file_text("f.mus"), file_text("hymn.mus")) << out;
            }
        }
    }
    // One voice of chords, stems up: the chords flip down whole.
    for (const char* word : {"FLD", "FL"}) {
        SCOPED_TRACE(word);
        restart();
        core::RunFailedWord = 0;
        std::string out = type({"IN 1", "", "BA/SU/C3:E3:G3/D3:F3:A3/E3:G3/M;", "Q/Q/H;", "G", "X",
                                "N", word, "1 0 200 1", "Y"});
        EXPECT_EQ(out.find(kRefusal), std::string::npos) << out;
        EXPECT_EQ(marked_status(), 0) << out;
        int32_t notes = 0;
        int32_t down = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) {
            if (stored_param(k, 1) != 1.0f) continue;
            ++notes;
            down += static_cast<int32_t>(stored_param(k, 5)) % 100 >= 20;
        }
        EXPECT_EQ(notes, 8) << out;
        EXPECT_EQ(down, 3) << out;  // one stem to a chord
    }
}

}  // namespace
