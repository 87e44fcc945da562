// The settings file "midilist": its exact lines, the way back, and what a damaged file does;
// Auto setup and a row's text.
#include "output/sound_settings.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "output/midi_tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class SoundSettingsTest : public InterpreterTest {
  protected:
    // Two parts with staves 4, 8 and 3, 7, programs 1 and 41, velocity 64, tempo 96.
    void example() {
        staves(1) = 4;
        staves(2) = 8;
        staves(17) = 3;
        staves(18) = 7;
        for (int row = 1; row <= 2; ++row) {
            settings(4 * row - 3) = 1;
            settings(4 * row - 2) = row == 1 ? 1 : 41;
            settings(4 * row - 1) = 64;
            settings(4 * row) = 0;
        }
        output::MidiTempo = 96;
    }
    std::string file_text() const {
        std::ifstream in(platform::work_file("midilist"));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void save() {
        output::SoundDialogMode = 1;
        output::save_load_sound_settings(settings, staves);
    }
    void load() {
        output::SoundDialogMode = 2;
        output::save_load_sound_settings(settings, staves);
    }
    void write_settings(const std::string& text) {
        std::ofstream(platform::work_file("midilist")) << text;
    }

    core::Array1<int32_t, 64> settings;
    core::Array1<int32_t, 256> staves;
};

TEST_F(SoundSettingsTest, TheExampleSavesItsSevenLinesAndLoadsBackTheSame) {
    example();
    save();
    EXPECT_EQ(file_text(),
              "TRK    1   4   8\n"
              "TRK    2   3   7\n"
              "CHN  1  1  2  1\n"
              "INS  1  1  2 41\n"
              "AMP  1 64  2 64\n"
              "TRN  1  0  2  0\n"
              "TMP  96\n");
    EXPECT_EQ(output::SoundDialogMode, 1);

    const auto saved_settings = settings;
    const auto saved_staves = staves;
    settings.fill(0);
    staves.fill(0);
    output::MidiTempo = 120;
    load();
    EXPECT_EQ(output::SoundDialogMode, 0);
    for (int k = 1; k <= 64; ++k) EXPECT_EQ(settings(k), saved_settings(k)) << k;
    for (int k = 1; k <= 256; ++k) EXPECT_EQ(staves(k), saved_staves(k)) << k;
    EXPECT_EQ(output::MidiTempo, 96);
}

TEST_F(SoundSettingsTest, NothingIsSavedWithoutRowOneAndSlotsAfterAGapAreLost) {
    staves(33) = 5;
    save();
    EXPECT_FALSE(std::filesystem::exists(platform::work_file("midilist")));

    staves(1) = 2;
    staves(35) = 9;  // row 3: 5, 0, 9
    save();
    EXPECT_NE(file_text().find("TRK    3   5\n"), std::string::npos);
}

TEST_F(SoundSettingsTest, ValuesWiderThanTheirColumnsAreClampedAndTouchingColumnsReadBack) {
    example();
    settings(3) = 127;   // "  1127": row 1, velocity 127
    settings(7) = 1000;  // too wide for three columns
    output::MidiTempo = 10000;
    save();
    const std::string text = file_text();
    EXPECT_NE(text.find("AMP  1127  2999\n"), std::string::npos);
    EXPECT_NE(text.find("TMP9999\n"), std::string::npos);
    settings.fill(0);
    load();
    EXPECT_EQ(settings(3), 127);
    EXPECT_EQ(settings(7), 999);
    EXPECT_EQ(output::MidiTempo, 999);
}

TEST_F(SoundSettingsTest, ADamagedFileIsReadWithoutOverrun) {
    settings(4 * 5 - 1) = 77;  // row 5's velocity, not named in the file
    output::MidiTempo = 88;
    write_settings(
        "TRK 17 1 2\n"
        "TRK -3 1\n"
        "TRK 2 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18\n"
        "AMP 99 50 -4 50 3 100000 0 9 4 9\n"
        "XYZ 1 2\n"
        "INS 1 41\n");
    load();
    EXPECT_EQ(staves(17), 1);
    EXPECT_EQ(staves(32), 16);  // cut to 16 slots
    EXPECT_EQ(settings(4 * 3 - 1), 999);
    EXPECT_EQ(settings(4 * 4 - 1), 0);  // after the pair for row 0
    EXPECT_EQ(settings(4 * 5 - 1), 77);
    EXPECT_EQ(settings(2), 41);  // a line typed by hand, numbers apart
    EXPECT_EQ(output::MidiTempo, 88);
}

// A key with nothing after it, blanks and all, names no row: the lines after it still load.
TEST_F(SoundSettingsTest, AKeyAloneOnItsLineIsSkipped) {
    example();
    write_settings("TRK\nTRK \nTRK    \r\nCHN\nTMP \nTRK    1   5\nAMP  1 90\nTMP\n");
    load();
    EXPECT_EQ(staves(1), 5);
    EXPECT_EQ(staves(2), 0);
    EXPECT_EQ(staves(17), 3);  // row 2 is not named: kept
    EXPECT_EQ(settings(3), 90);
    EXPECT_EQ(output::MidiTempo, 96);
}

TEST_F(SoundSettingsTest, LoadWithoutAFileKeepsEverythingAndItsMode) {
    settings(2) = 5;
    load();
    EXPECT_EQ(output::SoundDialogMode, 2);
    EXPECT_EQ(settings(2), 5);
}

TEST_F(SoundSettingsTest, AutoSetupFillsBothBlocks) {
    enter_items_without_editing();
    type_all({"8 1 0", "8 2 0"});
    output::SoundSettingsBlock(2) = 41;
    output::auto_setup_sound_channels(settings, staves);
    EXPECT_EQ(staves(1), 2);
    EXPECT_EQ(staves(2), 1);
    EXPECT_EQ(settings(2), 41);
}

TEST(CutZeroList, CutsBeforeTheFirstEmptySlotWithin31Characters) {
    char text[] = "   4   8   0   0   9";
    EXPECT_EQ(output::cut_zero_list(text, static_cast<int32_t>(std::strlen(text))), 12);
    EXPECT_STREQ(text, "   4   8   ");

    char none[] = "   4   8  10";
    EXPECT_EQ(output::cut_zero_list(none, static_cast<int32_t>(std::strlen(none))), 0);

    // The blank before "0" at character 31 is still scanned; one further is not.
    std::string at31 = std::string(30, '1') + " 0 ";
    EXPECT_EQ(output::cut_zero_list(at31.data(), static_cast<int32_t>(at31.size())), 32);
    std::string at32 = std::string(31, '1') + " 0 ";
    EXPECT_EQ(output::cut_zero_list(at32.data(), static_cast<int32_t>(at32.size())), 0);
}

}  // namespace
