// The Sound dialog in the window (offscreen): what it shows of the proposal, what Play leaves in
// the blocks and the tempo, and Cancel; painted for a person to look at.
#include "frontend/dialogs/sound_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <iostream>

#include "frontend/bridge/dialog_launchers.h"
#include "output/midi_tables.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/support/screenshots.h"

namespace {

using SoundDialogTest = AttendedDialogTest;

QLineEdit* field(QDialog& d, const QString& name) { return d.findChild<QLineEdit*>(name); }

TEST_F(SoundDialogTest, PlayTakesTheRowsTempoAndFileAndCancelLeavesThem) {
    output::reset_midi_tables();
    output::MidiTempo = 120;
    output::MidiFileName.set("song.mid");
    core::Array1<int32_t, 64> settings;
    core::Array1<int32_t, 256> staves;
    settings.fill(0);
    staves.fill(0);
    for (int r = 1; r <= 2; ++r) {
        settings(4 * r - 3) = 1;
        settings(4 * r - 2) = 1;
        settings(4 * r - 1) = 64;
    }
    staves(1) = 2;  // row 1: staff 2, then staff 4 in the next system
    staves(2) = 4;
    staves(17) = 1;  // row 2: staff 1
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        const auto path = screenshot_folder() / "sound_dialog.png";
        d.grab().save(QString::fromStdString(path.string()));
        std::cout << "sound dialog: " << path.string() << '\n';
        shown = field(d, "Staves1")->text() + "|" + field(d, "Staves2")->text() + "|" +
                field(d, "Staves3")->text() + "|" + field(d, "Tempo")->text() + "|" +
                field(d, "File")->text();
        field(d, "INS2")->setText("41");
        field(d, "Tempo")->setText("96");
        d.findChild<QPushButton*>("Play")->click();
    });
    EXPECT_EQ(fe_.RunSoundDialog(settings, staves), 1);
    EXPECT_EQ(shown, QStringLiteral("2 4|1||120|song.mid"));
    EXPECT_EQ(settings(6), 41);
    EXPECT_EQ(output::MidiTempo, 96);
    EXPECT_EQ(staves(1), 2);
    EXPECT_EQ(staves(2), 4);

    answer_next_dialog([&](QDialog& d) {
        field(d, "INS1")->setText("7");
        d.findChild<QPushButton*>("Cancel")->click();
    });
    EXPECT_EQ(fe_.RunSoundDialog(settings, staves), 2);
    EXPECT_EQ(settings(2), 1);
}

}  // namespace
