// The Preferences dialog in the window (offscreen): the numbers and switches it shows, what OK,
// Save, Load and Cancel leave in the blocks and the engine's texts, and the "PREF" command
// answered through it.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <bit>
#include <fstream>
#include <sstream>

#include "engine/core/files/document_tables.h"
#include "engine/core/preferences.h"
#include "engine/core/settings_tables.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

class PreferencesDialogTest : public AttendedDialogTest {
  protected:
    void SetUp() override {
        AttendedDialogTest::SetUp();
        a_.fill(0);
        b_.fill(0);
        a_(1) = 3;   // BMTH
        a_(2) = 2;   // XDASH
        a_(5) = 1;   // metric
        a_(13) = 1;  // outline (3)
        a_(19) = 1;  // screen fonts: No
        a_(21) = 1;  // full width: Yes
        set_real(1, 0.25f);
        set_real(2, 3.0f);
        set_real(3, 0.0f);
        set_real(8, 1.5f);
        a_(32) = 77;  // carried through
        core::MessageLine.set("C4");
        core::MessageLine(3) = '\0';
        core::FrontEndCommandBuffer.set("mxpref.dat");
        core::LibraryFolder.set("/lib/symbols/");
        core::LibraryFolder(14) = '\0';
        core::FontFolder.set("/lib/fonts/");
        core::FontFolder(12) = '\0';
        core::OutputTargetName.blank();
    }
    void set_real(int k, float v) { b_(k) = std::bit_cast<int32_t>(v); }
    float real(int k) const { return std::bit_cast<float>(b_(k)); }
    int run() { return fe_.RunPreferencesDialog(a_, b_); }

    core::PreferenceBlock a_;
    core::PreferenceBlock b_;
};

QRadioButton* radio(QDialog& d, int id) {
    return d.findChild<QRadioButton*>(QStringLiteral("c%1").arg(id));
}

// The radios checked among ids, as a text of ids.
QString checked(QDialog& d, std::initializer_list<int> ids) {
    QString text;
    for (int id : ids)
        if (radio(d, id)->isChecked()) text += QString::number(id) + " ";
    return text;
}

TEST_F(PreferencesDialogTest, OpeningShowsTheBlocksAndTextsInTheirFormats) {
    QString numbers;
    QString radios;
    QString texts;
    answer_next_dialog([&](QDialog& d) {
        d.grab().save(QString::fromStdString((screenshot_folder() / "preferences.png").string()));
        for (int id : {1586, 1587, 1588, 1595, 1591, 1593, 1594})
            numbers += field(d, id)->text() + "|";
        radios = checked(d, {1599, 1600, 1002, 1003, 1004, 1005, 1724, 1007, 1693, 1694, 1695, 1696,
                             1697, 1698, 1699, 1700});
        texts = d.windowTitle() + "|" + field(d, 1598)->text() + "|" + field(d, 1603)->text() +
                "|" + field(d, 1660)->text() + "|" + field(d, 1661)->text() + "|" +
                field(d, 1604)->text();
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(numbers, QStringLiteral("0.25|3.|0.|1.5|3|2|0|"));
    EXPECT_EQ(radios, QStringLiteral("1600 1003 1004 1724 1695 "));
    EXPECT_EQ(texts, QStringLiteral("Preferences|C4|mxpref.dat|/lib/symbols/|/lib/fonts/|"));
}

// OK reads every field back: switches into their words, numbers (a field that does not begin
// with a number keeps its word), the command cut to 23 characters, the texts NUL-ended.
TEST_F(PreferencesDialogTest, OkCollectsTheFieldsAndCancelHandsBackWhatCame) {
    answer_next_dialog([&](QDialog& d) {
        radio(d, 1599)->setChecked(true);
        radio(d, 1002)->setChecked(true);
        radio(d, 1005)->setChecked(true);
        radio(d, 1007)->setChecked(true);
        radio(d, 1700)->setChecked(true);
        field(d, 1586)->setText("0.5");
        field(d, 1587)->setText("wide");
        field(d, 1591)->setText("4");
        field(d, 1596)->setText("-1");
        field(d, 1598)->setText("C5");
        field(d, 1604)->setText("AFTC 1.25 and some more words");
        field(d, 1660)->setText("/other/symbols/");
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(a_(5), 0);
    EXPECT_EQ(a_(19), 0);
    EXPECT_EQ(a_(20), 1);
    EXPECT_EQ(a_(21), 0);
    EXPECT_EQ(a_(13), 0);
    EXPECT_EQ(a_(18), 1);
    EXPECT_EQ(real(1), 0.5f);
    EXPECT_EQ(real(2), 3.0f);
    EXPECT_EQ(a_(1), 4);
    EXPECT_EQ(a_(4), -1);
    EXPECT_EQ(a_(32), 77);
    EXPECT_EQ(core::MessageLine.c_text(), "C5");
    EXPECT_EQ(core::OutputTargetName.c_text(), "AFTC 1.25 and some more");
    EXPECT_EQ(core::LibraryFolder.c_text(), "/other/symbols/");
    EXPECT_EQ(core::FontFolder.c_text(), "/lib/fonts/");

    const core::PreferenceBlock a_before = a_;
    answer_next_dialog([&](QDialog& d) {
        field(d, 1586)->setText("9");
        field(d, 1598)->setText("C1");
        field(d, 1603)->setText("other.dat");
        radio(d, 1600)->setChecked(true);
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(real(1), 0.5f);
    EXPECT_EQ(a_(5), a_before(5));
    EXPECT_EQ(core::MessageLine.c_text(), "C5");
    EXPECT_EQ(core::FrontEndCommandBuffer.c_text(), "mxpref.dat");
}

// Load shows the file's settings, the yes/no pairs included, and OK returns them; a file that
// names one paper outline leaves only that one checked.
TEST_F(PreferencesDialogTest, LoadRefreshesEverySwitchAndOkReturnsTheLoadedValues) {
    const std::string name = (temp_dir() / "p.dat").string();
    ASSERT_LT(name.size(), 48u);
    {
        std::ofstream out(name);
        out << "ADOBE 1\nPAPER 6\nAFTC  2.5\nARROW 0\nINCHES\n";
    }
    a_(19) = 0;  // screen fonts: Yes before the Load
    a_(20) = 1;  // arrow keys: No before the Load
    QString after_load;
    answer_next_dialog([&](QDialog& d) {
        field(d, 1603)->setText(QString::fromStdString(name));
        click(d, 1602);
        after_load = checked(d, {1599, 1600, 1002, 1003, 1004, 1005, 1693, 1694, 1695, 1696, 1697,
                                 1698, 1699, 1700}) +
                     "|" + field(d, 1586)->text();
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(after_load, QStringLiteral("1599 1003 1004 1698 |2.5"));
    EXPECT_EQ(a_(19), 1);
    EXPECT_EQ(a_(20), 0);
    EXPECT_EQ(a_(5), 0);
    EXPECT_EQ(a_(16), 1);
    EXPECT_EQ(a_(13), 0);
    EXPECT_EQ(real(1), 2.5f);
}

// Save closes with 1 and writes the file named in the dialog from the fields as typed.
TEST_F(PreferencesDialogTest, SaveWritesTheTypedValuesAndClosesWithOne) {
    const std::string name = (temp_dir() / "s.dat").string();
    answer_next_dialog([&](QDialog& d) {
        field(d, 1603)->setText(QString::fromStdString(name));
        field(d, 1586)->setText("1.75");
        radio(d, 1599)->setChecked(true);
        click(d, 1601);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(real(1), 1.75f);
    std::ifstream in(name);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_NE(written.str().find("AFTC  1.75"), std::string::npos) << written.str();
    EXPECT_NE(written.str().find("INCHES"), std::string::npos) << written.str();
}

// "PREF" typed in the window opens the dialog; what OK returns becomes the engine's settings.
TEST_F(PreferencesDialogTest, PrefCommandAppliesWhatTheDialogReturns) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    core::SpaceAfterClef = 1.0f;
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = d.windowTitle() + "|" + field(d, 1586)->text();
        field(d, 1586)->setText("2.25");
        click(d, 1);
    });
    core::MetricFlag = 1;
    frontend::SendCommand("PREF ");
    EXPECT_EQ(shown, QStringLiteral("Preferences|1."));
    EXPECT_EQ(core::SpaceAfterClef, 2.25f);
    // The reply line shows the unit in force.
    EXPECT_EQ(core::MessageLine.trimmed(), "*** Measurements = METRIC (centimeters)");
}

// A Load reads the file into the settings at once; Cancel afterwards puts them all back.
TEST_F(PreferencesDialogTest, CancelAfterLoadLeavesTheSettingsAsTheyWere) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    const std::string name = (temp_dir() / "c.dat").string();
    ASSERT_LT(name.size(), 48u);
    {
        std::ofstream out(name);
        out << "ADOBE 1\nPAPER 6\nAFTC  2.5\nARROW 1\nMETRIC\nMIDK 72\n";
    }
    core::SpaceAfterClef = 1.0f;
    core::PostScriptScreenFonts = 0;
    core::ArrowKeyMode = 0;
    core::MetricFlag = 0;
    core::PageFormatIndex = 1;
    const int32_t midi_key = core::BaseMidiKey;
    const std::string library = core::LibraryFolder.trimmed();
    QString after_load;
    answer_next_dialog([&](QDialog& d) {
        field(d, 1603)->setText(QString::fromStdString(name));
        click(d, 1602);
        after_load = field(d, 1586)->text();
        d.reject();
    });
    frontend::SendCommand("PREF ");
    EXPECT_EQ(after_load, QStringLiteral("2.5"));
    EXPECT_EQ(core::SpaceAfterClef, 1.0f);
    EXPECT_EQ(core::PostScriptScreenFonts, 0);
    EXPECT_EQ(core::ArrowKeyMode, 0);
    EXPECT_GT(core::ArrowStepWords(1), 0.0f);
    EXPECT_EQ(core::MetricFlag, 0);
    EXPECT_EQ(core::PageFormatIndex, 1);
    EXPECT_EQ(core::BaseMidiKey, midi_key);
    EXPECT_EQ(core::LibraryFolder.trimmed(), library);
}

}  // namespace
