// File, list and selection dialogs behind their commands, end to end (offscreen): the file-name
// prompt and the question that guards an existing file, MusDir, the Symbol Library, IF and
// Select Codes, answered as a user would; checked by the files written and the items left.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <fstream>

#include "engine/core/files/document_files.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "tests/frontend/dialog_command_fixture.h"
#include "tests/support/saved_records.h"
#include "tests/support/test_files.h"

using namespace frontend;
using namespace dialog_commands;
namespace fs = std::filesystem;

namespace {

// The number of records of a document file; -1 when it does not read.
int32_t records_in(const fs::path& p) {
    auto words = std::make_unique<core::DocumentWords>();
    core::DocumentReadInfo info;
    if (core::read_document(p.string(), *words, info) != core::DocumentStatus::Ok) return -1;
    int32_t n = 0;
    for (int32_t at = 1; (*words)(at) > 0.0f; at += static_cast<int32_t>((*words)(at)) + 1) ++n;
    return n;
}

void set_text(QDialog& d, int id, const QString& text) {
    QLineEdit* f = field(d, id);
    ASSERT_NE(f, nullptr) << id;
    f->setText(text);
}

// ---- file names and the questions that guard them -----------------------------------------

// "SA" without a name asks for one, proposing the page's; the typed name is written.
TEST_F(DialogCommandTest, TheFileNamePromptSavesUnderTheTypedName) {
    QString proposed;
    Seen seen = type_into_dialog(QStringLiteral("SA"), [&proposed](QDialog& d) {
        proposed = field(d, 1125)->text();
        set_text(d, 1125, QStringLiteral("copy.mus"));
        click(d, 1);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("song.MUS"))) << proposed.toStdString();
    EXPECT_EQ(records_in(dir_ / "copy.mus"), 4) << reply();

    // Cancel writes nothing.
    type_into_dialog(QStringLiteral("SA"), [](QDialog& d) {
        set_text(d, 1125, QStringLiteral("none.mus"));
        click(d, 2);
    });
    EXPECT_FALSE(fs::exists(dir_ / "none.mus"));
}

// Saving over an existing file asks first: No leaves it, Yes writes over it.
TEST_F(DialogCommandTest, TheOverwriteQuestionGuardsAnExistingFile) {
    write_document(dir_ / "old.mus", {{8, 1, 0}});
    QString question;
    Seen seen = type_into_dialog(QStringLiteral("SA old.mus"), [&question](QDialog& d) {
        question = control<QLabel>(d, 1044)->text();
        click(d, 1111);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_TRUE(question.contains(QStringLiteral("old.mus"))) << question.toStdString();
    EXPECT_EQ(records_in(dir_ / "old.mus"), 1);

    type_into_dialog(QStringLiteral("SA old.mus"), [](QDialog& d) { click(d, 1110); });
    EXPECT_EQ(records_in(dir_ / "old.mus"), 4) << reply();
}

// ---- lists ----------------------------------------------------------------------------------

// "MG -1": the music directory's names; the one chosen is loaded.
TEST_F(DialogCommandTest, MusDirLoadsTheChosenFile) {
    write_document(dir_ / "ONE.MUS", {{8, 1, 0}});
    write_document(dir_ / "TWO.MUS", {{8, 1, 0}, {8, 2, 0}, {8, 3, 0}});
    std::ofstream(dir_ / "#musdir#.tmp") << "ONE     MUS\nTWO     MUS\n";
    QStringList names;
    Seen seen = type_into_dialog(QStringLiteral("MG -1"), [&names](QDialog& d) {
        auto* list = control<QListWidget>(d, 1144);
        ASSERT_NE(list, nullptr);
        for (int r = 0; r < list->count(); ++r) names << list->item(r)->text();
        list->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        click(d, 1);
    });
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("MusDir"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("ONE.MUS"), QStringLiteral("TWO.MUS")}));
    EXPECT_EQ(core::ItemCount, 3) << reply();
    EXPECT_EQ(core::CurrentFileName.trimmed().find("TWO.MUS") != std::string::npos, true)
        << core::CurrentFileName.trimmed();
}

// "LIB" on an edited symbol: the line chosen in the Symbol Library gives its number. Its
// drawing is missing from the library, which a notice says once; ticked "Don't show this
// message again.", it says so no more.
TEST_F(DialogCommandTest, SymbolLibrarySetsTheChosenSymbolAndTheNoticeCanBeTurnedOff) {
    const std::string folder = dir_.string() + "/";
    core::LibraryFolder.set(folder);
    core::LibraryFolderLength = static_cast<int32_t>(folder.size());
    std::ofstream(dir_ / "symblist.txt") << "  45 8va (octave sign)\n  51 ppp (dynamic)\n";
    type_line(QStringLiteral("9 2 30 5 45"));
    ASSERT_NE(find_item(9, 2), 0) << reply();
    QStringList lines;
    Seen library;
    QString notice;
    Answers answers;
    answers.dialog(
        [&lines](QDialog& d) {
            auto* list = control<QListWidget>(d, 1634);
            ASSERT_NE(list, nullptr);
            for (int r = 0; r < list->count(); ++r) lines << list->item(r)->text();
            list->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
            click(d, 1);
        },
        &library);
    answers.dialog([&notice](QDialog& d) {
        notice = control<QLabel>(d, 1683)->text();
        control<QCheckBox>(d, 1002)->click();
        click(d, 1);
    });
    type_line(QStringLiteral("LIB"), &answers);
    EXPECT_EQ(library.title, QStringLiteral("Symbol Library"));
    EXPECT_EQ(lines.size(), 2);
    EXPECT_TRUE(notice.endsWith(QStringLiteral(" - Changed to clef."))) << notice.toStdString();
    type_line(QStringLiteral("X"));
    EXPECT_EQ(params_of(9, 2, 5), (std::vector<float>{51})) << reply();

    // Another missing drawing: no notice (an unanswered one would fail the case).
    type_line(QStringLiteral("9 2 60 5 45"));
    Answers again;
    again.dialog([](QDialog& d) {
        control<QListWidget>(d, 1634)->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        click(d, 1);
    });
    type_line(QStringLiteral("LIB"), &again);
    type_line(QStringLiteral("X"));
    EXPECT_EQ(params_of(9, 2, 5), (std::vector<float>{51, 45})) << reply();
}

// ---- selections -----------------------------------------------------------------------------

// "IF": the area from a typed box, then the condition and the action typed in the dialog.
TEST_F(DialogCommandTest, IfAppliesTheTypedActionToTheItemsThatMatch) {
    type_line(QStringLiteral("IF"));
    Seen seen;
    QString area;
    QStringList presets;
    Answers answers;
    answers.dialog(yes());
    answers.dialog(
        [&area, &presets](QDialog& d) {
            area = field(d, 1617)->text();
            // The window shows the presets, for the user to keep or edit.
            for (int id : {1630, 1620, 1621, 1629}) presets << field(d, id)->text().trimmed();
            for (int id : {1630, 1618, 1619, 1620, 1621, 1622, 1623, 1624, 1625, 1626, 1627,
                           1628})
                set_text(d, id, QString());
            set_text(d, 1630, QStringLiteral("p1=1"));
            set_text(d, 1629, QStringLiteral("p4=9"));
            click(d, 1);
        },
        &seen);
    type_line(QStringLiteral("2 0 0 2"), &answers);
    EXPECT_EQ(seen.title, QStringLiteral("IF command"));
    // The typed box, each number after its operator.
    EXPECT_EQ(area.trimmed(), QStringLiteral("(p2>=  2\\ p2<=   2\\ p3>=  0.00\\ p3<=200.00)"));
    EXPECT_EQ(presets, (QStringList{QStringLiteral("p4=0"), QStringLiteral("p1=5"),
                                    QStringLiteral("p1=18"), QStringLiteral("p2=5,p5=12")}));
    EXPECT_EQ(params_of(1, 2, 4), (std::vector<float>{9, 9})) << reply();
    EXPECT_EQ(params_of(8, 2, 1).size(), 1u);
}

// "DE": the codes chosen in Select Codes go from the typed box; the others stay.
TEST_F(DialogCommandTest, SelectCodesDeletesTheChosenCodesInTheBox) {
    type_line(QStringLiteral("DE"));
    Seen seen;
    Answers answers;
    answers.dialog(yes());
    answers.dialog(
        [](QDialog& d) {
            control<QCheckBox>(d, 1554)->click();
            click(d, 1);
        },
        &seen);
    type_line(QStringLiteral("2 0 0 2"), &answers);
    EXPECT_EQ(seen.title, QStringLiteral("Select Code Numbers."));
    EXPECT_TRUE(params_of(1, 2, 3).empty()) << reply();
    EXPECT_EQ(params_of(8, 2, 1).size(), 1u);
    EXPECT_EQ(params_of(8, 1, 1).size(), 1u);

    // Cancel deletes nothing.
    type_line(QStringLiteral("UNDO"));
    EXPECT_EQ(params_of(1, 2, 3).size(), 2u) << reply();
    const std::vector<std::vector<float>> before = page_items();
    type_line(QStringLiteral("DE"));
    Answers cancelled;
    cancelled.dialog(yes());
    cancelled.dialog([](QDialog& d) { click(d, 2); });
    type_line(QStringLiteral("2 0 0 2"), &cancelled);
    EXPECT_EQ(page_items(), before);
}

// "GM name" asks for the staff offset in the command bar while it waits (the highest staff
// preset): the merged page's staff 1 becomes the staff after the typed number.
TEST_F(DialogCommandTest, TheTypedStaffOffsetPlacesTheMergedPage) {
    write_document(dir_ / "other.mus", {{8, 1, 0}, {1, 1, 15, 4, 10, 0, 1}});
    Answers answers;
    answers.line(QStringLiteral("4"));
    type_line(QStringLiteral("GM other.mus"), &answers);
    EXPECT_EQ(params_of(8, 5, 1).size(), 1u) << reply();
    EXPECT_EQ(params_of(1, 5, 3), (std::vector<float>{15})) << reply();
    EXPECT_EQ(params_of(1, 2, 3).size(), 2u);
}

// A command file read by RE answers the yes/no questions and the staff offset its words ask
// from its own next lines, as the console reads them: the window saves the console's page. A
// line that answers nothing is named and taken as No; a file that ends at a question ends the
// word (the notice says where), and no question is put to the person.
TEST_F(DialogCommandTest, ACommandFileAnswersItsQuestionsAsTheConsoleReadsThem) {
    const fs::path console_dir = dir_ / "console";
    fs::create_directories(console_dir);
    const std::vector<std::vector<float>> a = {
        {8, 1, 0}, {1, 1, 50, 5, 10, 0, 4}, {1, 1, 70, 6, 10, 0, 4}};
    const std::vector<std::vector<float>> part = {{8, 1, 0}, {8, 2, 0}, {1, 1, 50, 5, 10, 0, 4}};
    for (const fs::path& d : {dir_, console_dir}) {
        write_document(d / "a.mus", a);
        write_document(d / "part1.mus", part);
        write_document(d / "part2.mus", part);
    }
    const struct {
        const char* file;
        const char* notice;  // the notice the window shows on the way ("" none)
        int console_status;
    } rows[] = {
        {"COM\nY\npart1.mus\n2\n", "", 0},
        {"GM a.mus\n",
         "*** The command file ended before this was answered: Type a number for staff offset.", 0},
        {"GM a.mus\n2\n", "", 0},
        {"COM\nN\n", "", 0},
        {"COM\n",
         "*** The command file ended before this was answered: Warning: Unsaved entries or changes "
         "will be lost. Clear or Load new file?",
         0},
        {"COM\n\nmaybe\nSA m.mus\n",
         "*** Not an answer to \"Warning: Unsaved entries or changes will be lost. Clear or Load "
         "new file?\": maybe -- taken as No.",
         1},
    };
    int n = 0;
    for (const auto& row : rows) {
        const std::string tag = std::to_string(++n);
        SCOPED_TRACE(row.file);
        write_text(dir_ / ("q" + tag + ".txt"), row.file);
        write_text(console_dir / ("q" + tag + ".txt"), row.file);
        const std::string saved = "w" + tag + ".mus";

        QProcess console;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"),
                   QString::fromStdString((console_dir / ("state" + tag)).string()));
        console.setProcessEnvironment(env);
        console.setWorkingDirectory(QString::fromStdString(console_dir.string()));
        console.start(program_path(), {QStringLiteral("--console")});
        ASSERT_TRUE(console.waitForStarted());
        console.write(
            QByteArray::fromStdString("G a.mus\nRE q" + tag + ".txt\nSA " + saved + "\n"));
        console.closeWriteChannel();
        ASSERT_TRUE(console.waitForFinished(60000));
        EXPECT_EQ(console.exitCode(), row.console_status)
            << console.readAllStandardOutput().toStdString();
        const std::vector<std::string> expected = saved_records(console_dir / saved);
        ASSERT_FALSE(expected.empty());

        type_line(QStringLiteral("G a.mus"));
        Answers answers;
        QString said;
        if (*row.notice != '\0') {
            answers.dialog([&said](QDialog& d) {
                for (const QLabel* l : d.findChildren<QLabel*>()) said += l->text();
                d.accept();
            });
        }
        type_line(QString::fromStdString("RE q" + tag + ".txt"), &answers);
        EXPECT_EQ(said.toStdString(), row.notice);
        type_line(QString::fromStdString("SA " + saved));
        EXPECT_EQ(saved_records(dir_ / saved), expected) << reply();
    }
}

}  // namespace
