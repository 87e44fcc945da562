// The Sound dialog in the window (offscreen): what it shows of the blocks, what Play leaves in
// them and in the tempo and file name, the staff lists' text both ways, and Clear, Load and
// Cancel; painted for a person to look at.
#include "frontend/dialogs/sound_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <fstream>
#include <iostream>
#include <sstream>

#include "frontend/bridge/dialog_launchers.h"
#include "output/midi_tables.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/screenshots.h"

namespace {

class SoundDialogTest : public AttendedDialogTest {
  protected:
    void SetUp() override {
        AttendedDialogTest::SetUp();
        output::reset_midi_tables();
        output::MidiTempo = 120;
        output::MidiFileName.set("song.mid");
        settings_.fill(0);
        staves_.fill(0);
        for (int r = 1; r <= 2; ++r) {
            settings_(4 * r - 3) = r;
            settings_(4 * r - 2) = 1;
            settings_(4 * r - 1) = 64;
        }
        staves_(1) = 2;  // track 1: staff 2, then staff 4 in the next system
        staves_(2) = 4;
        staves_(17) = 1;  // track 2: staff 1
    }
    int run() { return fe_.RunSoundDialog(settings_, staves_); }

    core::Array1<int32_t, 64> settings_;
    core::Array1<int32_t, 256> staves_;
};


TEST_F(SoundDialogTest, PlayTakesTheTracksTempoAndFileAndCancelLeavesThem) {
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        const auto path = screenshot_folder() / "sound_dialog.png";
        d.grab().save(QString::fromStdString(path.string()));
        std::cout << "sound dialog: " << path.string() << '\n';
        shown = d.windowTitle() + "|" + field(d, 1053)->text() + "|" + field(d, 1054)->text() +
                "|" + field(d, 1055)->text() + "|" + field(d, 1157)->text() + "|" +
                field(d, 1702)->text() + "|" + field(d, 1125)->text() + field(d, 1002)->text() +
                field(d, 1003)->text();
        field(d, 1002)->setText("41");   // track 2's instrument
        field(d, 1133)->setText("-12");  // track 16's transposition
        field(d, 1124)->setText("x");    // does not parse: track 1's transposition kept
        field(d, 1157)->setText("96");
        field(d, 1702)->setText("out.mid");
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(shown, QStringLiteral("Sound|2 4 |1 |0 |120|song.mid|2164"));
    EXPECT_EQ(settings_(6), 41);
    EXPECT_EQ(settings_(64), -12);
    EXPECT_EQ(settings_(4), 0);
    EXPECT_EQ(output::MidiTempo, 96);
    EXPECT_EQ(output::MidiFileName.c_text(), "out.mid");
    EXPECT_EQ(staves_(1), 2);
    EXPECT_EQ(staves_(2), 4);
    EXPECT_EQ(staves_(3), 0);
    EXPECT_EQ(staves_(17), 1);

    answer_next_dialog([&](QDialog& d) {
        field(d, 1001)->setText("7");
        field(d, 1157)->setText("60");
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(settings_(2), 1);
    EXPECT_EQ(output::MidiTempo, 96);
}

// A staff list reads up to 16 numbers; an empty field is a track of 16 zeros, places not typed
// are 0 and numbers past the sixteenth are dropped.
TEST_F(SoundDialogTest, StaffListsAreReadIntoSixteenPlaces) {
    answer_next_dialog([&](QDialog& d) {
        field(d, 1053)->clear();
        field(d, 1054)->setText("5 6 7");
        field(d, 1055)->setText("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18");
        field(d, 1068)->setText("9");
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    for (int s = 1; s <= 16; ++s) EXPECT_EQ(staves_(s), 0) << s;
    EXPECT_EQ(staves_(17), 5);
    EXPECT_EQ(staves_(19), 7);
    EXPECT_EQ(staves_(20), 0);
    for (int s = 1; s <= 16; ++s) EXPECT_EQ(staves_(32 + s), s);
    EXPECT_EQ(staves_(49), 0);  // track 4 is not fed by track 3's extra numbers
    EXPECT_EQ(staves_(241), 9);
}

// The text stops before the first blank-zero-blank whose blank lies within 31 characters.
TEST(SoundStaffListText, CutsTheZerosOnlyWithinTheFirst31Characters) {
    int32_t s[16] = {3, 4};
    EXPECT_EQ(frontend::SoundStaffListText(s), "3 4 ");
    int32_t at_limit[16] = {100, 100, 100, 100, 100, 100, 100, 77};  // blank at character 31
    EXPECT_EQ(frontend::SoundStaffListText(at_limit), "100 100 100 100 100 100 100 77 ");
    int32_t past[16] = {100, 100, 100, 100, 100, 100, 100, 777};  // blank at character 32
    EXPECT_EQ(frontend::SoundStaffListText(past),
              "100 100 100 100 100 100 100 777 0 0 0 0 0 0 0 0");
}

// Clear empties every staff list on screen; Cancel then hands back block C, the tempo and the
// file name as they came, and Clear then Play returns the cleared lists.
TEST_F(SoundDialogTest, ClearThenCancelKeepsTheStaffListsClearThenPlayEmptiesThem) {
    QString after_clear;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1561);
        after_clear =
            field(d, 1053)->text() + "|" + field(d, 1054)->text() + "|" + field(d, 1000)->text();
        field(d, 1157)->setText("200");
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(after_clear, QStringLiteral("0 |0 |1"));
    EXPECT_EQ(staves_(1), 2);
    EXPECT_EQ(staves_(2), 4);
    EXPECT_EQ(staves_(17), 1);
    EXPECT_EQ(output::MidiTempo, 120);

    answer_next_dialog([&](QDialog& d) {
        click(d, 1561);
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    for (int k = 1; k <= 256; ++k) ASSERT_EQ(staves_(k), 0) << k;
    EXPECT_EQ(settings_(1), 1);  // channels stay
}

// Save writes the settings file from the fields and closes with 1 (the command reopens it);
// Load reads it back into the fields; Cancel after Load hands back what came in.
TEST_F(SoundDialogTest, SaveWritesTheFieldsAndLoadShowsThemUntilCancel) {
    temp_dir();
    answer_next_dialog([&](QDialog& d) {
        field(d, 1054)->setText("3 7");
        field(d, 1157)->setText("90");
        click(d, 1548);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(output::SoundDialogMode, 1);
    std::ifstream in(platform::work_file("midilist"));
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_NE(written.str().find("TRK    2   3   7"), std::string::npos) << written.str();
    EXPECT_NE(written.str().find("TMP  90"), std::string::npos) << written.str();

    output::SoundDialogMode = 0;
    output::MidiTempo = 120;
    staves_.fill(0);
    staves_(1) = 8;
    QString loaded;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1549);
        loaded =
            field(d, 1053)->text() + "|" + field(d, 1054)->text() + "|" + field(d, 1157)->text();
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(loaded, QStringLiteral("2 4 |3 7 |90"));
    EXPECT_EQ(staves_(1), 8);
    EXPECT_EQ(staves_(17), 0);
    EXPECT_EQ(output::MidiTempo, 120);
}

}  // namespace
