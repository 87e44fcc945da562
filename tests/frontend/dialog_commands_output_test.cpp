// The output dialogs behind their commands, end to end (offscreen): Print Setup and its box,
// the Bounding Box, Sound and the Path List, typed into the main window's command bar and
// answered as a user would; checked by the file written and the reply.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/commands/words/play_loop.h"
#include "engine/render/tables.h"
#include "output/tables.h"
#include "platform/paths.h"
#include "tests/core/document_bytes.h"
#include "tests/frontend/dialog_command_fixture.h"
#include "tests/output/ps_check.h"

using namespace frontend;
using namespace dialog_commands;
namespace fs = std::filesystem;

namespace {

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Print Setup: the output goes to a file of the typed name.
void to_file(QDialog& d, const QString& name) {
    control<QRadioButton>(d, 1005)->click();
    set_field(d, 1135, name);
}

TEST_F(DialogCommandTest, PrintSetupWritesTheTypedFile) {
    Seen seen;
    Answers answers;
    answers.dialog(
        [](QDialog& d) {
            to_file(d, QStringLiteral("page.eps"));
            click(d, 1);
        },
        &seen);
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Print Setup"));
    EXPECT_EQ(reply(), "Output to file - page.eps");
    const std::string eps = file_text(dir_ / "page.eps");
    EXPECT_EQ(eps.rfind("%!PS-Adobe", 0), 0u) << eps.substr(0, 40);

    // Again to the same file: asked first; No opens Print Setup again, whose Cancel ends it
    // with the file as it was.
    fs::resize_file(dir_ / "page.eps", 10);
    QString asked;
    Answers again;
    again.dialog([](QDialog& d) {
        to_file(d, QStringLiteral("page.eps"));
        click(d, 1);
    });
    again.dialog([&asked](QDialog& d) {
        asked = control<QLabel>(d, 1044)->text();
        click(d, 1111);
    });
    again.dialog([](QDialog& d) { click(d, 2); });
    type_line(QStringLiteral("PR"), &again);
    EXPECT_TRUE(asked.contains(QStringLiteral("page.eps"))) << asked.toStdString();
    EXPECT_EQ(fs::file_size(dir_ / "page.eps"), 10u);
}

// "PB" with no rest being edited and no batch chosen prints the page as "PR" does: the typed
// file is finished (one page, a box of numbers), the reply names it and the window leaves the
// output pass, so that the next "PR" writes a whole file of its own.
TEST_F(DialogCommandTest, PbWithoutABatchFinishesThePageAndLeavesTheOutputPass) {
    for (const char* word : {"PB", "PB6"}) {
        SCOPED_TRACE(word);
        Answers answers;
        answers.dialog([](QDialog& d) {
            to_file(d, QStringLiteral("pb.eps"));
            click(d, 1);
        });
        type_line(QString::fromLatin1(word), &answers);
        EXPECT_EQ(reply(), "Output to file - pb.eps");
        EXPECT_EQ(render::OutputPassWord, 1) << "still in the output pass";
        const fs::path pb = dir_ / "pb.eps";
        EXPECT_EQ(ps_check::count_of(file_text(pb), "showpage"), 1);
        std::string why;
        EXPECT_TRUE(ps_check::eps_reads_clean(pb, why)) << why;

        Answers again;
        again.dialog([](QDialog& d) {
            to_file(d, QStringLiteral("pr.eps"));
            click(d, 1);
        });
        type_line(QStringLiteral("PR"), &again);
        const fs::path pr = dir_ / "pr.eps";
        for (const auto& line : ps_check::lines_of(pr)) {
            if (line.rfind("%%BoundingBox:", 0) == 0) {
                EXPECT_EQ(line.find('*'), std::string::npos) << line;
            }
        }
        EXPECT_TRUE(ps_check::eps_reads_clean(pr, why)) << why;
        EXPECT_EQ(ps_check::count_of(file_text(pb), "showpage"), 1) << "a redraw reached pb.eps";
        fs::remove(pb);
        fs::remove(pr);
    }
}

TEST_F(DialogCommandTest, PrintSetupWithAHeaderWritesItsText) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        to_file(d, QStringLiteral("head.eps"));
        control<QRadioButton>(d, 1097)->click();
        set_field(d, 1096, QStringLiteral("Second Mvt"));
        control<QCheckBox>(d, 1101)->click();  // freeze the offsets: the header is kept
        click(d, 1);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_EQ(reply(), "Output to file - head.eps");
    EXPECT_NE(file_text(dir_ / "head.eps").find("Second Mvt"), std::string::npos);

    // The kept header shows again and is written again; it is no command afterwards.
    QString shown;
    Answers again;
    again.dialog([&shown](QDialog& d) {
        shown = field(d, 1096)->text();
        to_file(d, QStringLiteral("head2.eps"));
        click(d, 1);
    });
    type_line(QStringLiteral("PR"), &again);
    EXPECT_EQ(shown, QStringLiteral("Second Mvt"));
    EXPECT_EQ(reply(), "Output to file - head2.eps");
    EXPECT_NE(file_text(dir_ / "head2.eps").find("Second Mvt"), std::string::npos);
    type_line(QStringLiteral("PATH"));
    EXPECT_EQ(reply().rfind("Path = ", 0), 0u) << reply();
}

// The header and footer boxes are ink on the paper: the declared box holds them as well as
// the page's items, on each paper (the header rises with a longer one).
TEST_F(DialogCommandTest, TheDeclaredBoxHoldsTheHeaderAndFooter) {
    struct Job {
        int mode;   // the radio button: header, footer or both
        int paper;  // Letter, Legal, Ledger
    };
    const std::vector<Job> jobs = {{1097, 0}, {1098, 0}, {1099, 0}, {1097, 2}, {1099, 1}};
    int n = 0;
    for (const Job& job : jobs) {
        const QString name = QStringLiteral("hf%1.eps").arg(++n);
        SCOPED_TRACE(name.toStdString());
        Answers answers;
        answers.dialog([&](QDialog& d) {
            to_file(d, name);
            control<QRadioButton>(d, job.mode)->click();
            set_field(d, 1096, QStringLiteral("Second Mvt"));
            control<QComboBox>(d, 1142)->setCurrentIndex(job.paper);
            click(d, 1);
        });
        type_line(QStringLiteral("PR"), &answers);
        ASSERT_EQ(reply(), "Output to file - " + name.toStdString());
        const fs::path eps = dir_ / name.toStdString();
        const auto box = ps_check::declared_box(eps);
        const auto ink = ps_check::gs_bboxes(eps);
        ASSERT_EQ(ink.size(), 1u);
        EXPECT_LE(box.x1, ink[0].x1);
        EXPECT_LE(box.y1, ink[0].y1);
        EXPECT_GE(box.x2, ink[0].x2);
        EXPECT_GE(box.y2, ink[0].y2);
        // Both the header's top and the footer's bottom are far from the music.
        if (job.mode != 1098) {
            EXPECT_GT(box.y2, 700.0);
        }
        if (job.mode != 1097) {
            EXPECT_LT(box.y1, 20.0);
        }
    }
}

TEST_F(DialogCommandTest, PrintSetupCancelledWritesNothing) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        to_file(d, QStringLiteral("none.eps"));
        click(d, 2);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_FALSE(fs::exists(dir_ / "none.eps"));
    EXPECT_EQ(reply().find("Output to"), std::string::npos) << reply();
}

// The page box typed in Print Setup is the box the EPS file declares (inches: 4000 display
// units, 72 points an inch).
TEST_F(DialogCommandTest, PrintSetupsBoxIsTheDeclaredBox) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        to_file(d, QStringLiteral("box.eps"));
        control<QRadioButton>(d, 1603)->click();
        set_field(d, 1000, QStringLiteral("1.00"));
        set_field(d, 1001, QStringLiteral("2.00"));
        set_field(d, 1123, QStringLiteral("5.00"));
        set_field(d, 1124, QStringLiteral("6.00"));
        click(d, 1);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_EQ(reply(), "Output to file - box.eps");
    const std::string eps = file_text(dir_ / "box.eps");
    const std::size_t at = eps.find("%%BoundingBox:");
    ASSERT_NE(at, std::string::npos);
    std::istringstream declared(eps.substr(at + 14, eps.find('\n', at) - at - 14));
    // The declared box adds a few points of margin round the typed one.
    const int typed[4] = {72, 144, 360, 432};
    for (int k = 0; k < 4; ++k) {
        int v = 0;
        ASSERT_TRUE(declared >> v) << eps.substr(at, 60);
        EXPECT_LE(std::abs(v - typed[k]), 6) << k << ": " << eps.substr(at, 60);
    }
}

// "BB": Reset redraws the typed box and opens the dialog again with it; Exit replies the box.
TEST_F(DialogCommandTest, BoundingBoxTakesTheTypedCornerUntilExit) {
    type_into_dialog(QStringLiteral("BB"), escape());
    const std::string measured = reply();
    ASSERT_EQ(measured.rfind("Bounding box: Left = ", 0), 0u) << measured;

    QString shown;
    Answers answers;
    answers.dialog([](QDialog& d) {
        control<QRadioButton>(d, 1599)->click();
        set_field(d, 1000, QStringLiteral("1.5"));
        click(d, 1);
    });
    answers.dialog([&shown](QDialog& d) {
        shown = field(d, 1000)->text();
        click(d, 2);
    });
    type_line(QStringLiteral("BB"), &answers);
    EXPECT_EQ(shown.toDouble(), 1.5);
    EXPECT_EQ(reply().rfind("Bounding box: Left = 6400  Bottom", 0), 0u) << reply();
    // Bottom, right and top are the measured ones.
    EXPECT_EQ(reply().substr(reply().find("Bottom")), measured.substr(measured.find("Bottom")));
}

// "PLAY": Save writes the settings file from the fields and the dialog comes back with them;
// Play then writes the MIDI file named in the dialog.
TEST_F(DialogCommandTest, SoundSavesItsSettingsAndPlaysIntoTheNamedFile) {
    QString tempo_after;
    Answers answers;
    answers.dialog([](QDialog& d) {
        set_field(d, 1053, QStringLiteral("2"));
        set_field(d, 1157, QStringLiteral("90"));
        click(d, 1548);
    });
    answers.dialog([&tempo_after](QDialog& d) {
        tempo_after = field(d, 1157)->text();
        set_field(d, 1702, QStringLiteral("tune.mid"));
        click(d, 1);
    });
    type_line(QStringLiteral("PLAY"), &answers);
    const std::string saved = file_text(platform::work_file("midilist"));
    EXPECT_NE(saved.find("TMP  90"), std::string::npos) << saved;
    EXPECT_EQ(tempo_after.trimmed(), QStringLiteral("90"));
    const std::string midi = file_text(dir_ / "tune.mid");
    EXPECT_EQ(midi.rfind("MThd", 0), 0u) << reply();
}

// After the Sound dialog's Play the page plays in PLA's loop, which takes only its own words:
// the message line says so and how the loop ends, whether PLA was typed or sent by its palette
// button. A word the loop does not take is refused with the prompt after it; X ends the loop
// and takes the prompt away.
TEST_F(DialogCommandTest, ThePlayLoopShowsItsPromptAfterTheSoundDialogsPlay) {
    const std::string prompt(core::kPlayLoopPrompt);
    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed" : "palette button");
        Answers answers;
        answers.dialog(ok());
        if (typed) {
            type_line(QStringLiteral("PLA"), &answers);
        } else {
            answers.start(frame_->CommandBar()->InputEdit());
            frontend::SendCommand("PLA");
            QCoreApplication::processEvents();
            EXPECT_TRUE(answers.finished()) << answers.next();
        }
        ASSERT_NE(core::PlayLoopActive, 0) << reply();
        EXPECT_EQ(reply(), prompt);

        // The refusal is told in its box; the loop still waits, and says so.
        Seen box;
        Answers refusal;
        refusal.dialog(key_in_dialog(Qt::Key_Return), &box);
        type_line(QStringLiteral("QQZ"), &refusal);
        EXPECT_TRUE(box.opened);
        EXPECT_NE(core::PlayLoopActive, 0);
        EXPECT_EQ(reply(), prompt);

        type_line(QStringLiteral("X"));
        EXPECT_EQ(core::PlayLoopActive, 0);
        EXPECT_EQ(reply().find(prompt), std::string::npos) << reply();
    }
}

// "PATHX": the slot typed and chosen is kept in the slots file and becomes the work folder.
TEST_F(DialogCommandTest, PathListEntersTheChosenSlotsFolder) {
    const fs::path sub = dir_ / "scores";
    fs::create_directories(sub);
    const QString name = QString::fromStdString(sub.string());
    Answers answers;
    answers.dialog([&name](QDialog& d) {
        set_field(d, 1742, name);
        control<QRadioButton>(d, 1004)->click();
        click(d, 1);
    });
    type_line(QStringLiteral("PATHX"), &answers);
    EXPECT_EQ(fs::current_path(), sub);
    const std::string kept = file_text(platform::work_file("!path.tmp"));
    EXPECT_NE(kept.find(sub.string()), std::string::npos) << kept;
    fs::current_path(dir_);
}

// Every size the dialog gives (typed, kept, the rotation's step, Reset's 1.0) scales the EPS
// file's declared box with the page as that job draws it, from the first job after the change
// on: Ghostscript's bbox device finds all the ink inside it, with no more than the margin round.
TEST_F(DialogCommandTest, TheDeclaredBoxFollowsEverySizeTheDialogGives) {
    struct Job {
        const char* size;  // typed into the size field; empty: left as the dialog shows it
        bool rotate_click = false;
        bool reset = false;
        int click_id = 0;          // one more control clicked: fit, a measure, a box unit
        int paper = -1;            // the paper chosen (-1: as shown)
        const char* offsets = "";  // "x y" typed into the offset fields (empty: as shown)
    };
    const std::vector<Job> jobs = {
        {"1.25"},
        {""},
        {"0.75"},
        {"2"},
        {"0.5"},
        {"1"},
        {"", true},
        {"", true},
        {"1.5"},
        {"", false, true},
        // "Fit to 11\" page" on a short page keeps the size, off again makes it 1.0.
        {"1.25"},
        {"", false, false, 1631},
        {"", false, false, 1631},
        // The measures, the box's units and the papers leave the size as typed (Legal at a size
        // that keeps the ink on the page it asks of the printer).
        {"1.25", false, false, 1600},
        {"0.75", false, false, 1599},
        {"1.5", false, false, 1604},
        {"0.8", false, false, 1678},
        {"1.2", false, false, 1603},
        {"0.9", false, false, 0, 1},
        {"0.75", false, false, 0, 2},
        {"1.1", false, false, 0, 0},
        // Offsets moved with the size, in inches and in centimetres.
        {"1.25", false, false, 0, -1, "1.5 2"},
        {"0.75", false, false, 0, -1, "0.25 0.5"},
        {"1.25", false, false, 1600, -1, "3 4"},
        {"1", false, false, 1599, -1, "0.5 0.75"}};
    int n = 0;
    for (const Job& job : jobs) {
        const QString name = QStringLiteral("size%1.eps").arg(++n);
        SCOPED_TRACE(name.toStdString());
        QString shown;
        Answers answers;
        answers.dialog([&](QDialog& d) {
            if (job.reset) click(d, 1143);
            if (*job.size != '\0') set_field(d, 1084, QString::fromLatin1(job.size));
            if (job.rotate_click) control<QCheckBox>(d, 1081)->click();
            if (job.click_id != 0) control<QAbstractButton>(d, job.click_id)->click();
            if (job.paper >= 0) control<QComboBox>(d, 1142)->setCurrentIndex(job.paper);
            if (*job.offsets != '\0') {
                const QStringList xy = QString::fromLatin1(job.offsets).split(QLatin1Char(' '));
                set_field(d, 1088, xy[0]);
                set_field(d, 1100, xy[1]);
            }
            shown = field(d, 1084)->text();
            to_file(d, name);
            click(d, 1);
        });
        // The job of the dialog, then PRPS with the settings it left.
        for (const char* word : {"PR", "PRPS"}) {
            SCOPED_TRACE(word);
            if (std::string(word) == "PR") {
                type_line(QStringLiteral("PR"), &answers);
            } else {
                fs::remove(dir_ / name.toStdString());
                type_line(QString::fromLatin1(word));
            }
            ASSERT_EQ(reply(), "Output to file - " + name.toStdString());
            const fs::path eps = dir_ / name.toStdString();
            const auto box = ps_check::declared_box(eps);
            const auto ink = ps_check::gs_bboxes(eps);
            ASSERT_EQ(ink.size(), 1u);
            const double size = shown.toDouble();
            ASSERT_GT(size, 0.0) << shown.toStdString();
            // The margin of 300 display units and what glyphs reach past their points, scaled,
            // and the rounding of each edge.
            const double spare = 9.0 * size + 4.0;
            EXPECT_LE(box.x1, ink[0].x1) << shown.toStdString();
            EXPECT_LE(box.y1, ink[0].y1) << shown.toStdString();
            EXPECT_GE(box.x2, ink[0].x2) << shown.toStdString();
            EXPECT_GE(box.y2, ink[0].y2) << shown.toStdString();
            EXPECT_LE(ink[0].x1 - box.x1, spare);
            EXPECT_LE(ink[0].y1 - box.y1, spare);
            EXPECT_LE(box.x2 - ink[0].x2, spare);
            EXPECT_LE(box.y2 - ink[0].y2, spare);
        }
    }
}

}  // namespace

namespace {

// A command file read by RE in the window that makes items and prints (its PR opens Print
// Setup, answered with a file): the box holds what the file drew, with the page's own items
// and a text turned by P9.
TEST_F(DialogCommandTest, AFilesPrintHoldsWhatTheFileDrew) {
    struct File {
        const char* name;
        const char* text;
        bool dialog;  // PR (the dialog) or PRPS (the last target)
    };
    const std::vector<File> files = {
        {"made", "9 1 20 30 3001 1.5 1.5\nX\nPR\n", true},
        {"turned", "TXD ;\nT 1 10 14\nRotated text\nIF P1=16 AND P3=10;P9=90\nPR\n", true},
        {"again", "1 1 190 -6 0 0 4\nX\nPRPS\n", false},
    };
    QString target;
    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        const std::string file = std::string(f.name) + ".txt";
        std::ofstream(dir_ / file) << f.text;
        Answers answers;
        if (f.dialog) {
            target = QString::fromLatin1(f.name) + QStringLiteral(".eps");
            answers.dialog([&target](QDialog& d) {
                to_file(d, target);
                click(d, 1);
            });
        }
        type_line(QStringLiteral("RE ") + QString::fromStdString(file), &answers);
        const fs::path eps = dir_ / target.toStdString();
        ASSERT_TRUE(fs::exists(eps)) << reply();
        const auto box = ps_check::declared_box(eps);
        const auto ink = ps_check::gs_bboxes(eps);
        ASSERT_EQ(ink.size(), 1u);
        EXPECT_LE(box.x1, ink[0].x1);
        EXPECT_LE(box.y1, ink[0].y1);
        EXPECT_GE(box.x2, ink[0].x2);
        EXPECT_GE(box.y2, ink[0].y2);
        fs::rename(eps, dir_ / (std::string("seen-") + f.name + ".eps"));
    }
}

}  // namespace

namespace {

// A figure's name of `length` characters with its folders, as the document keeps it.
const std::string kFigureFolder = "figures/for_the_spring_concert_of_2026/";
std::string figure_name(std::size_t length) {
    return kFigureFolder + std::string(length - kFigureFolder.size() - 4, 'l') + ".eps";
}

// A page whose EPS item (item 2) holds a name of 128 characters, its figure beside the document.
class LongFigureNameTest : public DialogCommandTest {
  protected:
    std::vector<std::vector<float>> page() const override {
        fs::create_directories(dir_ / kFigureFolder);
        std::ofstream(dir_ / figure_name(128))
            << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 30\n/figure-whole 1 def\n";
        std::vector<float> eps = {15, 1, 20, 0, 1, 1, 0, 0, 20, 30, -9999, 0, 0};
        const std::vector<float> name = text_words(figure_name(128));
        eps.insert(eps.end(), name.begin(), name.end());
        return {{8, 1, 0}, eps, {1, 1, 40, 5, 10, 0, 1}};
    }
    // The name item k keeps, without its padding.
    static std::string name_of(const std::vector<float>& record) {
        std::string chars(128, ' ');
        if (record.size() >= 13 + 32) std::memcpy(chars.data(), &record[13], chars.size());
        return chars.substr(0, chars.find_last_not_of(' ') + 1);
    }
};

// The EPS name dialog asked on the item shows its 128 characters whole, and OK keeps them: the
// figure is still found, and SA saves the name whole.
TEST_F(LongFigureNameTest, OkOnAFigureNameOf128KeepsItWhole) {
    type_line(QStringLiteral("I 2"));
    QString shown;
    Answers answers;
    answers.dialog([&shown](QDialog& d) {
        shown = field(d, 1125)->text();
        click(d, 1);
    });
    type_line(QStringLiteral("13 1"), &answers);
    type_line(QStringLiteral("X"));
    EXPECT_EQ(shown.toStdString(), figure_name(128));
    EXPECT_EQ(name_of(stored_item(2)), figure_name(128)) << reply();
    EXPECT_EQ(stored_param(2, 13), 0.0f) << reply();
    type_line(QStringLiteral("SA o.mus"));
    const std::vector<float> words = document_item_words(dir_ / "o.mus");
    std::vector<float> eps;
    for (std::size_t i = 0; i < words.size() && words[i] > 0;
         i += static_cast<std::size_t>(words[i]) + 1) {
        if (i + 1 < words.size() && words[i + 1] == 15.0f)
            eps.assign(words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                       words.begin() +
                           static_cast<std::ptrdiff_t>(
                               i + std::min<std::size_t>(static_cast<std::size_t>(words[i]),
                                                         words.size() - i - 1)) +
                           1);
    }
    EXPECT_EQ(name_of(eps), figure_name(128));
}

// Print Setup's output field takes a name of 128 characters with its folders whole: the page is
// written there, with the figure in it; one more character is not taken.
TEST_F(LongFigureNameTest, PrintSetupWritesToAnOutputNameOf128) {
    const std::string out =
        kFigureFolder + std::string(128 - kFigureFolder.size() - 4, 'p') + ".EPS";
    Answers answers;
    QString kept;
    answers.dialog([&](QDialog& d) {
        to_file(d, QString::fromStdString(out) + QStringLiteral("x"));
        kept = field(d, 1135)->text();
        to_file(d, QString::fromStdString(out));
        click(d, 1);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_EQ(kept.toStdString(), out);
    EXPECT_EQ(reply(), "Output to file - " + out);
    EXPECT_NE(file_text(dir_ / out).find("/figure-whole 1 def"), std::string::npos) << reply();
}

// A document in a folder whose path passes 48 characters is written to EPS from the window:
// Print Setup proposes the document's own path whole, and OK writes there.
TEST_F(LongFigureNameTest, ADocumentDeepInFoldersPrintsToTheProposedName) {
    write_document(dir_ / kFigureFolder / "two.mus", page());
    ASSERT_NE(frame_->OpenDocumentFile(
                  QString::fromStdString((dir_ / kFigureFolder / "two.mus").string())),
              nullptr);
    QString proposed;
    Answers answers;
    answers.dialog([&proposed](QDialog& d) {
        control<QRadioButton>(d, 1005)->click();
        proposed = field(d, 1135)->text();
        click(d, 1);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("for_the_spring_concert_of_2026/two.EPS"),
                                  Qt::CaseInsensitive))
        << proposed.toStdString();
    EXPECT_EQ(reply(), "Output to file - " + proposed.toStdString());
    EXPECT_NE(file_text(proposed.toStdString()).find("/figure-whole 1 def"), std::string::npos)
        << reply();
}

}  // namespace
