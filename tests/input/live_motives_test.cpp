// A motive defined while a notes line is typed key by key is stored in its file and played
// back by "@" in a later line, on the page at once and in the line that is parsed.
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/core/bridge/key_words.h"
#include "engine/core/settings_tables.h"
#include "engine/input/live/live_notes.h"
#include "engine/input/tables.h"
#include "engine/render/page/page_redraw.h"
#include "tests/input/live_entry_fixture.h"

namespace {

class LiveMotivesTest : public LiveEntryTest {
  protected:
    // Types keys into a fresh notes line; the line must end with ";".
    std::string type_line(const std::string& keys) {
        start_notes_line();
        fe_.answer_keys(keys);
        int32_t work = 0;
        input::parse_note_input(0, work);
        return core::CommandLine.trimmed();
    }
    // P4 of the notes the last line made, in order.
    std::vector<float> pitches() const {
        std::vector<float> out;
        for (int32_t k = page_items_ + 1; k <= core::ItemCount; ++k) {
            const std::vector<float> w = item(k);
            if (w[1] == 1.0f) out.push_back(w[4]);
        }
        return out;
    }
};

TEST_F(LiveMotivesTest, MotiveTypedInOneLineIsRecalledInTheNext) {
    const std::string defined = type_line("K[C4/D/E]/G4/;");
    EXPECT_EQ(defined.substr(0, 3), "K[C");
    EXPECT_EQ(pitches(), (std::vector<float>{1.0f, 2.0f, 3.0f, 5.0f})) << defined;
    // The stored motive carries its octave digits.
    const std::filesystem::path file = temp_.work() / "K.MOT";
    ASSERT_TRUE(std::filesystem::exists(file)) << defined;
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    EXPECT_NE(text.find("D4"), std::string::npos) << text;
    EXPECT_NE(text.find("E4"), std::string::npos) << text;

    const std::string recalled = type_line("@K/;");
    EXPECT_EQ(pitches(), (std::vector<float>{1.0f, 2.0f, 3.0f})) << recalled;
    EXPECT_EQ(core::ApplicationClosingWord, 0);
}

TEST_F(LiveMotivesTest, MissingMotiveRestartsTheLineAndSaysSo) {
    type_line("C4/@Q/E4/;");
    bool told = false;
    for (const std::string& m : fe_.message_boxes) told = told || m.find("\"Q\" not found") != std::string::npos;
    EXPECT_TRUE(told);
    // The entry started again after the failed recall: only the note typed after it stands.
    EXPECT_EQ(pitches(), (std::vector<float>{3.0f}));
}

}  // namespace
