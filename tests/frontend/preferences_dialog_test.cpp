// The Preferences dialog in the window (offscreen): the numbers and switches it shows, what OK,
// Save, Load and Cancel leave in the blocks and the engine's texts, and the "PREF" command
// answered through it.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <bit>
#include <cstdlib>
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

bool same(const core::PreferenceBlock& x, const core::PreferenceBlock& y) {
    return std::equal(x.data(), x.data() + 32, y.data());
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

// Each number goes into the preferences file in its line's columns: the largest and smallest
// numbers a line holds are saved and read back as typed; the first past either end, or one no
// word holds, is refused by name with the field's range, the dialog stays open, and nothing is
// written or returned.
TEST_F(PreferencesDialogTest, ANumberItsFileLineCannotHoldIsRefusedByName) {
    const struct {
        int id;
        bool real;
        int element;  // of block B (real) or A
        const char* typed;
        int button;        // 1601 Save or 1 OK
        const char* line;  // the saved line; nullptr: refused
        const char* refusal;
    } cases[] = {
        {1589, true, 4, "999.99", 1601, "AFTM999.99", nullptr},
        {1589, true, 4, "-99.99", 1601, "AFTM-99.99", nullptr},
        {1589, true, 4, "1000", 1601, nullptr,
         "Space after Meter takes -99.99 to 999.99, not 1000."},
        {1589, true, 4, "999.996", 1601, nullptr,
         "Space after Meter takes -99.99 to 999.99, not 999.996."},
        {1589, true, 4, "-100", 1601, nullptr,
         "Space after Meter takes -99.99 to 999.99, not -100."},
        {1589, true, 4, "99999999999", 1601, nullptr,
         "Space after Meter takes -99.99 to 999.99, not 99999999999."},
        {1589, true, 4, "99999999999", 1, nullptr,
         "Space after Meter takes -99.99 to 999.99, not 99999999999."},
        {1592, true, 6, "99.99", 1601, "DASH99.99", nullptr},
        {1592, true, 6, "-9.99", 1601, "DASH-9.99", nullptr},
        {1586, true, 1, "999.99", 1601, "AFTC999.99", nullptr},
        {1595, true, 8, "0.01", 1601, "SLUR  0.01", nullptr},
        {1590, true, 5, "123.45", 1601, "BEAM123.45", nullptr},
        {1592, true, 6, "100", 1601, nullptr, "Lyrics Dash size takes -9.99 to 99.99, not 100."},
        {1593, false, 2, "999", 1601, "XDASH999", nullptr},
        {1593, false, 2, "-99", 1601, "XDASH-99", nullptr},
        {1593, false, 2, "1000", 1, nullptr, "Number of Dashes takes -99 to 999, not 1000."},
        {1594, false, 3, "99999", 1601, "REST99999", nullptr},
        {1594, false, 3, "100000", 1601, nullptr,
         "Whole Rest Font takes -9999 to 99999, not 100000."},
        {1591, false, 1, "-9999", 1601, "BMTH-9999", nullptr},
        {1591, false, 1, "-10000", 1601, nullptr,
         "Beam thickness takes -9999 to 99999, not -10000."},
        {1591, false, 1, "99999999999", 1601, nullptr,
         "Beam thickness takes -9999 to 99999, not 99999999999."},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.id));
        const std::string name = (temp_dir() / ("n" + std::to_string(++n) + ".dat")).string();
        ASSERT_LT(name.size(), 48u);
        const core::PreferenceBlock a_before = a_;
        const core::PreferenceBlock b_before = b_;
        QString reply;
        bool stayed_open = false;
        answer_next_dialog([&](QDialog& d) {
            field(d, 1603)->setText(QString::fromStdString(name));
            field(d, c.id)->setText(QString::fromLatin1(c.typed));
            click(d, c.button);
            stayed_open = d.isVisible() && d.result() == 0;
            reply = d.findChild<QLabel*>(QStringLiteral("reply"))->text();
            if (stayed_open) click(d, 2);
        });
        const int result = run();
        if (c.line == nullptr) {
            EXPECT_TRUE(stayed_open);
            EXPECT_EQ(result, 2);
            EXPECT_EQ(reply.toStdString(), c.refusal);
            EXPECT_FALSE(std::ifstream(name).good());
            EXPECT_TRUE(same(a_, a_before));
            EXPECT_TRUE(same(b_, b_before));
            continue;
        }
        ASSERT_EQ(result, 1);
        EXPECT_TRUE(reply.isEmpty()) << reply.toStdString();
        std::stringstream written;
        written << std::ifstream(name).rdbuf();
        EXPECT_NE(written.str().find(std::string(c.line) + "\n"), std::string::npos)
            << written.str();
        // Read back as a restart reads it (without the folder lines: this test's folders are
        // made up).
        {
            std::ofstream out(name);
            std::string kept;
            while (std::getline(written, kept))
                if (kept.rfind("SYMB", 0) != 0 && kept.rfind("FONT", 0) != 0) out << kept << '\n';
        }
        a_ = a_before;
        b_ = b_before;
        QString loaded;
        answer_next_dialog([&](QDialog& d) {
            field(d, 1603)->setText(QString::fromStdString(name));
            click(d, 1602);
            loaded = field(d, c.id)->text();
            click(d, 1);
        });
        ASSERT_EQ(run(), 1);
        if (c.real)
            EXPECT_EQ(real(c.element), std::strtof(c.typed, nullptr));
        else
            EXPECT_EQ(a_(c.element), std::atoi(c.typed));
        // Shown as the file holds it, after the Load and when the dialog opens again.
        EXPECT_EQ(loaded.toStdString(), c.typed);
        QString reopened;
        answer_next_dialog([&](QDialog& d) {
            reopened = field(d, c.id)->text();
            click(d, 2);
        });
        EXPECT_EQ(run(), 2);
        EXPECT_EQ(reopened.toStdString(), c.typed);
        a_ = a_before;
        b_ = b_before;
    }
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
