// The print setup dialogs opened through their launchers (offscreen): Print Setup's size,
// offsets, units, header, batch, box, parameter file and Cancel; the bounding box outline; the
// file-name prompt.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <bit>
#include <fstream>
#include <sstream>

#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "output/tables.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

QAbstractButton* button(QDialog& d, int id) {
    return d.findChild<QAbstractButton*>(QStringLiteral("c%1").arg(id));
}

class PrintSetupDialogTest : public AttendedDialogTest {
  protected:
    void SetUp() override {
        AttendedDialogTest::SetUp();
        reset_words();
    }
    // The words as the print command hands them over at first.
    void reset_words() {
        a_.fill(0);
        b_.fill(0);
        a_(9) = 600;  // word 8
        a_(10) = 4;
        a_(11) = 1;
        set_real(0, 1.0f);
        set_real(1, 0.5f);
        set_real(2, 0.75f);
    }
    void set_real(int k, float v) { b_(k + 1) = std::bit_cast<int32_t>(v); }
    float real(int k) const { return std::bit_cast<float>(b_(k + 1)); }
    int32_t word(int k) const { return a_(k + 1); }
    int run(int flag = 0) { return frontend::RunPrintSetupDialog(a_, b_, flag); }

    core::Array1<int32_t, 24> a_;
    core::Array1<int32_t, 24> b_;
};

}  // namespace

TEST_F(PrintSetupDialogTest, RotatingTwiceGivesTheSizeBackAndAZeroSizeCountsAsOne) {
    answer_next_dialog([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Print Setup"));
        click(d, 1081);
        click(d, 1081);
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_NEAR(real(0), 1.0f, 0.0001f);
    EXPECT_EQ(word(0), 0);

    set_real(0, 0.0f);
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1081);
        shown = field(d, 1084)->text();
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(shown, QStringLiteral("1.3333"));
    EXPECT_NEAR(real(0), 1.3333f, 0.0001f);
    EXPECT_EQ(word(0), 1);
}

TEST_F(PrintSetupDialogTest, MetricAndInchesConvertTheOffsetsBy254BothWays) {
    QString metric_x, metric_y, inch_x, inch_y;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1600);
        metric_x = field(d, 1088)->text();
        metric_y = field(d, 1100)->text();
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(metric_x, QStringLiteral("1.27"));
    EXPECT_EQ(metric_y, QStringLiteral("1.91"));
    EXPECT_NEAR(real(1), 1.27f, 1e-5f);
    EXPECT_NEAR(real(2), 1.905f, 1e-5f);
    EXPECT_EQ(word(18), 1);

    answer_next_dialog([&](QDialog& d) {
        click(d, 1599);
        inch_x = field(d, 1088)->text();
        inch_y = field(d, 1100)->text();
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(inch_x, QStringLiteral("0.50"));
    EXPECT_EQ(inch_y, QStringLiteral("0.75"));
    EXPECT_FLOAT_EQ(real(1), 0.5f);
    EXPECT_FLOAT_EQ(real(2), 0.75f);
    EXPECT_EQ(word(18), 0);
}

TEST_F(PrintSetupDialogTest, ABoxCornerIsShownInInchesCentimetresAndPoints) {
    set_real(20, 4000.0f);
    set_real(22, 8000.0f);
    QStringList shown;
    answer_next_dialog([&](QDialog& d) {
        shown << field(d, 1000)->text();
        click(d, 1604);
        shown << field(d, 1000)->text();
        click(d, 1678);
        shown << field(d, 1000)->text() << field(d, 1123)->text();
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(shown, QStringList({"1.00", "2.54", "72.00", "144.00"}));
    // Print returns the corners as typed, in the unit chosen.
    EXPECT_EQ(word(20), 2);
    EXPECT_NEAR(real(20), 72.0f, 0.001f);
}

TEST_F(PrintSetupDialogTest, HeaderAndNoneSetTheOffsetFields) {
    QString header, footer, none_header, none_footer;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1097);
        header = field(d, 1552)->text();
        footer = field(d, 1092)->text();
        click(d, 1103);
        none_header = field(d, 1552)->text();
        none_footer = field(d, 1092)->text();
        click(d, 1097);
        field(d, 1096)->setText(QStringLiteral("Sonata in G"));
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(header, QStringLiteral("-0.18"));
    EXPECT_EQ(footer, QStringLiteral("0"));
    EXPECT_EQ(none_header, QStringLiteral("0"));
    EXPECT_EQ(none_footer, QStringLiteral("0"));
    EXPECT_EQ(word(1), 1);
    EXPECT_FLOAT_EQ(real(3), -0.18f);
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), "Sonata in G");
}

TEST_F(PrintSetupDialogTest, AHeaderTextIsCutAtSeventeenCharacters) {
    core::FrontEndCommandBuffer.set("Seventeen chars!!EXTRA");
    a_(2) = 1;  // header
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = field(d, 1096)->text();
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(shown, QStringLiteral("Seventeen chars!!"));
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), "Seventeen chars!!");
}

TEST_F(PrintSetupDialogTest, BatchTakesTypedNamesOrAListFile) {
    answer_next_dialog([&](QDialog& d) {
        click(d, 1141);
        d.findChild<QPlainTextEdit*>(QStringLiteral("c1137"))
            ->setPlainText(QStringLiteral("SONG1.MUS 3\nPART9.MUS"));
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(word(4), 1);
    EXPECT_EQ(core::MessageLine.c_text(), "SONG1.MUS 3\r\nPART9.MUS");

    a_(5) = 0;  // the print command clears the batch word before each job
    answer_next_dialog([&](QDialog& d) {
        click(d, 1141);
        field(d, 1138)->setText(QStringLiteral("concert.lst"));
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(word(4), 2);
    EXPECT_EQ(core::MessageLine.c_text(), "concert.lst");
}

TEST_F(PrintSetupDialogTest, ResetThenCancelHandsBackEverythingAsItCame) {
    a_(1) = 1;
    a_(2) = 3;
    a_(6) = 77;
    a_(21) = 2;  // box unit
    set_real(0, 2.5f);
    set_real(4, 0.4f);
    set_real(21, 1234.0f);
    core::FrontEndCommandBuffer.set("Title");
    core::OutputTargetName.set("kept.eps");
    const auto a_before = a_;
    const auto b_before = b_;
    QString size_after_reset;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1143);
        size_after_reset = field(d, 1084)->text();
        click(d, 1600);
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(size_after_reset, QStringLiteral("1.0000"));
    for (int k = 1; k <= 24; ++k) {
        EXPECT_EQ(a_(k), a_before(k)) << "A " << k - 1;
        EXPECT_EQ(b_(k), b_before(k)) << "B " << k - 1;
    }
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), "Title");
    EXPECT_EQ(core::OutputTargetName.trimmed(), "kept.eps");
}

TEST_F(PrintSetupDialogTest, FitShrinksATallBoxToElevenInchesAndTheSecondClickUndoes) {
    set_real(21, 0.0f);
    set_real(23, 88000.0f);
    QStringList shown;
    answer_next_dialog([&](QDialog& d) {
        click(d, 1631);
        shown << field(d, 1084)->text();
        click(d, 1631);
        shown << field(d, 1084)->text();
        click(d, 1631);
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(shown, QStringList({"0.5000", "1.0000"}));
    EXPECT_EQ(word(16), 1);
    EXPECT_NEAR(real(0), 0.5f, 1e-4f);

    // A box of 11 inches or less changes nothing.
    a_(17) = 0;
    set_real(0, 1.2f);
    set_real(23, 44000.0f);
    answer_next_dialog([&](QDialog& d) {
        click(d, 1631);
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_FLOAT_EQ(real(0), 1.2f);
}

TEST_F(PrintSetupDialogTest, SaveThenLoadShowsTheFilesOutputKindAndPaper) {
    const std::string path = (temp_dir() / "setup.scr").string();
    output::PrintParameters.current_paper_type = 3;
    a_(15) = 1;  // a file
    core::OutputTargetName.set("song.eps");
    QString save_prompt;
    answer_next_dialog([&](QDialog& d) {
        field(d, 1088)->setText(QStringLiteral("1.25"));
        answer_next_dialog([&](QDialog& ask) {
            save_prompt = ask.findChild<QLabel*>(QStringLiteral("c1553"))->text();
            field(ask, 1125)->setText(QString::fromStdString(path));
            click(ask, 1);
        });
        click(d, 1140);
        EXPECT_EQ(button(d, 1140)->text(), QStringLiteral("SAVED"));
        click(d, 2);
    });
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(save_prompt, QStringLiteral("Save Print Parameters in file:"));
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("OUTPUT        song.eps"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("OFFSETS         1.25  0.75"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("PAPER         Ledger"), std::string::npos) << text.str();
    EXPECT_FLOAT_EQ(real(1), 0.5f);  // cancelled: the blocks as they came

    // Opened for the printer on Letter: Load shows the file's output kind and paper.
    a_.fill(0);
    a_(14) = 1;
    a_(11) = 1;
    bool file_radio = false;
    int paper = -1;
    QString load_prompt;
    answer_next_dialog([&](QDialog& d) {
        answer_next_dialog([&](QDialog& ask) {
            load_prompt = ask.findChild<QLabel*>(QStringLiteral("c1553"))->text();
            click(ask, 1);  // the name saved last is offered
        });
        click(d, 1139);
        file_radio = button(d, 1005)->isChecked();
        paper = d.findChild<QComboBox*>(QStringLiteral("c1142"))->currentIndex();
        click(d, 1);
    });
    EXPECT_EQ(run(1), 1);
    EXPECT_EQ(load_prompt, QStringLiteral("Load Print Parameters from file:"));
    EXPECT_TRUE(file_radio);
    EXPECT_EQ(paper, 2);
    EXPECT_EQ(word(3), 0);
    EXPECT_EQ(word(10), 3);
    EXPECT_EQ(word(14), 1);
    EXPECT_FLOAT_EQ(real(1), 1.25f);
    EXPECT_EQ(output::ParamFileMode, 0);
}

TEST_F(PrintSetupDialogTest, SaveCancelledInThePromptWritesNothingAndPrintStillCloses) {
    answer_next_dialog([&](QDialog& d) {
        answer_next_dialog([&](QDialog& ask) { click(ask, 2); });
        click(d, 1140);
        EXPECT_EQ(button(d, 1140)->text(), QStringLiteral("Save"));
        EXPECT_EQ(button(d, 1139)->text(), QStringLiteral("Load"));
        click(d, 1);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(output::ParamFileMode, 0);
}

TEST_F(PrintSetupDialogTest, TheBoundingBoxOutlineConvertsSavesAndRestores) {
    temp_dir();
    int32_t unit = 0;
    core::Array1<float, 4> box;
    box(1) = 4000.0f;
    box(2) = 8000.0f;
    box(3) = 12000.0f;
    box(4) = 16000.0f;
    int32_t mode = 9;
    QStringList shown;
    answer_next_dialog([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Bounding Box Outline"));
        shown << field(d, 1000)->text();
        click(d, 1600);
        shown << field(d, 1000)->text();
        click(d, 1705);  // Save Settings, in centimetres
    });
    EXPECT_EQ(fe_.RunBoundingBoxDialog(unit, box, mode), 1);
    EXPECT_EQ(shown, QStringList({"1.00", "2.54"}));
    EXPECT_EQ(unit, 1);
    EXPECT_EQ(mode, 2);
    EXPECT_NEAR(box(1), 2.54f, 1e-4f);
    EXPECT_NEAR(output::SavedBoundingBox.box(1), 4000.0f, 0.5f);

    // The saved box read back in points.
    unit = 2;
    box.fill(0.0f);
    answer_next_dialog([&](QDialog& d) { click(d, 1704); });
    EXPECT_EQ(fe_.RunBoundingBoxDialog(unit, box, mode), 1);
    EXPECT_EQ(mode, 3);
    EXPECT_NEAR(box(1), 72.0f, 0.01f);
    EXPECT_NEAR(box(4), 288.0f, 0.05f);

    answer_next_dialog([&](QDialog& d) { click(d, 1703); });
    EXPECT_EQ(fe_.RunBoundingBoxDialog(unit, box, mode), 1);
    EXPECT_EQ(mode, -2);
    answer_next_dialog([&](QDialog& d) { click(d, 2); });
    EXPECT_EQ(fe_.RunBoundingBoxDialog(unit, box, mode), 2);
}

TEST_F(PrintSetupDialogTest, TheFileNamePromptGivesTheWholeNameAndItsHead) {
    const std::string long_name = "/music/scores/" + std::string(50, 'a') + ".mus";
    core::FrontEndPathBuffer.blank();
    core::FrontEndCommandBuffer.set("old.mus");
    QString title, label, shown;
    answer_next_dialog([&](QDialog& d) {
        title = d.windowTitle();
        label = d.findChild<QLabel*>(QStringLiteral("c1553"))->text();
        shown = field(d, 1125)->text();
        field(d, 1125)->setText(QString::fromStdString(long_name));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunOutputFileNameDialog(), 1);
    EXPECT_TRUE(title.isEmpty());
    EXPECT_EQ(label, QStringLiteral("Type file name:"));
    EXPECT_EQ(shown, QStringLiteral("old.mus"));
    EXPECT_EQ(core::FrontEndPathBuffer.trimmed(), long_name);
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), long_name.substr(0, 48));

    answer_next_dialog([&](QDialog& d) {
        field(d, 1125)->setText(QStringLiteral("other.mus"));
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunOutputFileNameDialog(), 2);
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), long_name.substr(0, 48));
}

namespace {

// "PR" typed in the window opens the real Print Setup; Cancel ends the print job.
TEST_F(PrintSetupDialogTest, ThePrintCommandOpensPrintSetup) {
    if (!start_engine_with_data()) GTEST_SKIP() << "no data folder (ORMEST_HOME)";
    QStringList titles;
    answer_next_dialog([&](QDialog& d) {
        titles << d.windowTitle();
        d.reject();
    });
    frontend::SendCommand("PR ");
    EXPECT_EQ(titles, QStringList{QStringLiteral("Print Setup")});
}

}  // namespace

namespace {

// A control of Print Setup that a parameter file line sets: the line's keyword and the value
// that turns the control on and off, the control, the control that shows the other choice (a
// radio's partner, 0 for a check box), and the word.
struct LoadedControl {
    const char* on_line;
    const char* off_line;
    int id;
    int partner;
    int word;
};

// Print Setup loaded from a file shows every control as the file set its word, and a click on
// the control then sets the word from what the control shows: both ways, for each control.
TEST_F(PrintSetupDialogTest, EachLoadedControlShowsItsWordAndAClickSetsItFromTheControl) {
    const LoadedControl controls[] = {
        {"ROTATE        Yes", "ROTATE        No ", 1081, 0, 0},
        {"FREEZE        Yes", "FREEZE        No ", 1101, 0, 2},
        {"MIRROR        Yes", "MIRROR        No ", 1086, 0, 7},
        {"BATCH         Yes", "BATCH         No ", 1141, 0, 4},
        {"BATCH         Yes\nREVERSE       Yes", "BATCH         Yes\nREVERSE       No ", 1144, 0,
         11},
        {"METRIC", "INCHES", 1600, 1599, 18},
    };
    const std::string path = (temp_dir() / "controls.scr").string();
    for (const LoadedControl& c : controls) {
        for (const bool loaded_on : {true, false}) {
            SCOPED_TRACE(std::string(loaded_on ? c.on_line : c.off_line));
            {
                std::ofstream out(path);
                out << (loaded_on ? c.on_line : c.off_line) << '\n';
            }
            reset_words();
            a_(c.word + 1) = loaded_on ? 0 : 1;  // the file changes the word
            if (c.word == 11) a_(5) = 1;         // the order is read with batch printing only
            output::PrintParameters.print_setup_file_name.set(path);
            bool shown = !loaded_on;
            bool partner_shown = loaded_on;
            bool clicked = loaded_on;
            answer_next_dialog([&](QDialog& d) {
                answer_next_dialog([&](QDialog& ask) {
                    field(ask, 1125)->setText(QString::fromStdString(path));
                    click(ask, 1);
                });
                click(d, 1139);
                shown = button(d, c.id)->isChecked();
                if (c.partner != 0) partner_shown = button(d, c.partner)->isChecked();
                // The other way: off for a check box, the other choice for a radio.
                click(d, c.partner != 0 && loaded_on ? c.partner : c.id);
                clicked = button(d, c.id)->isChecked();
                click(d, 1);
            });
            EXPECT_EQ(run(), 1);
            EXPECT_EQ(shown, loaded_on);
            if (c.partner != 0) {
                EXPECT_EQ(partner_shown, !loaded_on);
            }
            EXPECT_EQ(clicked, !loaded_on);
            EXPECT_EQ(word(c.word), loaded_on ? 0 : 1);
        }
    }
}

// The check boxes whose words only their clicks set: a box that shows other than its word (as a
// load that left it unshown did) sets the word from what it shows once clicked, both ways.
TEST_F(PrintSetupDialogTest, AClickedBoxSetsItsWordFromItsOwnState) {
    const std::pair<int, int> boxes[] = {{1101, 2}, {1659, 17}, {1081, 0}, {1631, 16}};
    for (const auto& [id, k] : boxes) {
        for (const int before : {0, 1}) {
            SCOPED_TRACE(std::to_string(id) + " from " + std::to_string(before));
            a_(k + 1) = before;
            answer_next_dialog([&](QDialog& d) {
                // Shown as the word, then set without a click, then clicked: it shows the word.
                button(d, id)->setChecked(before == 0);
                click(d, id);
                click(d, 1);
            });
            EXPECT_EQ(run(), 1);
            EXPECT_EQ(word(k), before);
        }
    }
}

}  // namespace
