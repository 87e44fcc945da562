// The list dialogs in the window (offscreen): the symbol library filled from the symbol list,
// the path list's slots and radios, and the music directory chooser's entries.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <fstream>

#include "engine/core/settings_tables.h"
#include "engine/core/store/symbol_list.h"
#include "frontend/bridge/dialog_launchers.h"
#include "output/tables.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using ListDialogTest = AttendedDialogTest;

QListWidget* list(QDialog& d, int id) {
    return d.findChild<QListWidget*>(QStringLiteral("c%1").arg(id));
}

// Radio ids of slots 1..9.
constexpr int kRadios[9] = {1002, 1003, 1005, 1006, 1004, 1007, 1008, 1009, 1010};
constexpr int kEdits[9] = {1739, 1743, 1740, 1741, 1742, 1737, 1738, 1744, 1745};

}  // namespace

TEST_F(ListDialogTest, SymbolLibraryListsTheFileAndAnswersThePosition) {
    const std::string folder = temp_dir().string() + "/";
    core::LibraryFolder.set(folder);
    core::LibraryFolderLength = static_cast<int32_t>(folder.size());
    core::CommandLine.set("LIB");
    std::ofstream(temp_dir() / "symblist.txt") << "  45 8va\n  51 ppp\n*\n  52 pp\n";
    QStringList shown;
    answer_next_dialog([&](QDialog& d) {
        for (int k = 0; k < list(d, 1634)->count(); ++k) shown << list(d, 1634)->item(k)->text();
        list(d, 1634)->setCurrentRow(1);
        click(d, 1);
    });
    core::pick_listed_symbol();
    EXPECT_EQ(shown, QStringList({"  45 8va", "  51 ppp"}));
    EXPECT_FLOAT_EQ(core::ParamBuffer(1), 51.0f);

    // Nothing selected: -1.
    int32_t v = -99;
    answer_next_dialog([&](QDialog& d) { click(d, 1); });
    EXPECT_EQ(fe_.RunSymbolLibraryDialog(v), 1);
    EXPECT_EQ(v, -1);

    // Cancel: the word as it came.
    v = -99;
    answer_next_dialog([&](QDialog& d) {
        list(d, 1634)->setCurrentRow(0);
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunSymbolLibraryDialog(v), 2);
    EXPECT_EQ(v, -99);
}

TEST_F(ListDialogTest, PathListAnswersTheCheckedSlotAndItsRadioWords) {
    core::Array1<int32_t, 10> a;
    a.fill(0);
    a(1) = 7;
    output::PathSlots.current.set("/home/engraver");
    answer_next_dialog([&](QDialog& d) {
        EXPECT_EQ(field(d, 1746)->text(), QStringLiteral("/home/engraver"));
        click(d, kRadios[3]);
        click(d, 1);
    });
    EXPECT_EQ(frontend::RunPathListDialog(a), 1);
    EXPECT_EQ(a(1), 4);
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(a(k + 1), k == 4 ? 1 : 0) << k;

    // No radio: the slot as it came.
    a.fill(0);
    a(1) = 7;
    answer_next_dialog([&](QDialog& d) { click(d, 1); });
    EXPECT_EQ(frontend::RunPathListDialog(a), 1);
    EXPECT_EQ(a(1), 7);
    for (int k = 2; k <= 10; ++k) EXPECT_EQ(a(k), 0) << k;
}

TEST_F(ListDialogTest, PathListCutsEditedSlotsAt47Characters) {
    core::Array1<core::FixedText<512>, 9> folders;
    for (int k = 1; k <= 9; ++k) folders(k).blank();
    folders(3).set("/music/scores");
    const core::FixedText<512> current("/home/engraver");
    const output::PathSlotsRecord engine_slots = output::PathSlots;
    const QString p47 = "/" + QString(46, QLatin1Char('a'));
    int32_t slot = 0;
    QString third;
    answer_next_dialog([&](QDialog& d) {
        third = field(d, kEdits[2])->text();
        field(d, kEdits[0])->setText("/" + QString(59, QLatin1Char('b')));
        field(d, kEdits[1])->setText(p47);
        field(d, kEdits[4])->setText(p47 + "c");
        click(d, kRadios[4]);
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunPathListDialog(slot, folders, current), 1);
    EXPECT_EQ(third, QStringLiteral("/music/scores"));
    EXPECT_EQ(slot, 5);
    EXPECT_EQ(folders(1).trimmed(), "/" + std::string(46, 'b'));
    EXPECT_EQ(folders(2).trimmed(), p47.toStdString());
    EXPECT_EQ(folders(5).trimmed(), p47.toStdString());
    EXPECT_EQ(folders(3).trimmed(), "/music/scores");
    // Slots of the caller's own leave the engine's as they were.
    EXPECT_EQ(output::PathSlots.folders(1).trimmed(), engine_slots.folders(1).trimmed());

    // Cancel: nothing chosen, the slots as they were.
    answer_next_dialog([&](QDialog& d) {
        field(d, kEdits[0])->setText(QStringLiteral("/lost"));
        click(d, kRadios[0]);
        click(d, 2);
    });
    slot = 0;
    EXPECT_EQ(fe_.RunPathListDialog(slot, folders, current), 2);
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(folders(1).trimmed(), "/" + std::string(46, 'b'));
}

TEST_F(ListDialogTest, MusDirListsTheEntriesAndAnswersTheChosenNumber) {
    const std::vector<std::string> entries = {"SONATA.MUS", "TRIO.MUS", "SUITE.MUS"};
    int32_t choice = -5;
    QStringList listed;
    int combo_count = 0;
    answer_next_dialog([&](QDialog& d) {
        for (int k = 0; k < list(d, 1144)->count(); ++k) listed << list(d, 1144)->item(k)->text();
        auto* combo = d.findChild<QComboBox*>(QStringLiteral("c1605"));
        combo_count = combo->count();
        list(d, 1144)->setCurrentRow(2);
        EXPECT_EQ(combo->currentText(), QStringLiteral("SUITE.MUS"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunMusDirDialog(entries, choice), 1);
    EXPECT_EQ(listed, QStringList({"SONATA.MUS", "TRIO.MUS", "SUITE.MUS"}));
    EXPECT_EQ(combo_count, 3);
    EXPECT_EQ(choice, 3);

    // None chosen, or Cancel: 0.
    answer_next_dialog([&](QDialog& d) { click(d, 1); });
    EXPECT_EQ(fe_.RunMusDirDialog(entries, choice), 1);
    EXPECT_EQ(choice, 0);
    choice = 9;
    answer_next_dialog([&](QDialog& d) {
        list(d, 1144)->setCurrentRow(0);
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunMusDirDialog(entries, choice), 2);
    EXPECT_EQ(choice, 0);
}
