// The text entry dialogs in the window (offscreen): the lines they show, what OK leaves in
// MessageLine, the divider buffer and block B, the 511-character limit, and Cancel.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using TextEntryDialogTest = AttendedDialogTest;

// MessageLine holding text, then a NUL.
void set_message(std::string_view text) {
    core::MessageLine.blank();
    core::MessageLine.set(text);
    core::MessageLine(static_cast<int>(text.size()) + 1) = '\0';
}

TEST_F(TextEntryDialogTest, EditTextShowsTheLineUpToItsNulAndStoresTheEdit) {
    set_message("T 1 Allegro ");
    core::MessageLine(20) = 'z';  // after the NUL: not shown
    QString shown;
    bool blank_while_open = false;
    answer_next_dialog([&](QDialog& d) {
        shown = control<QPlainTextEdit>(d, 1000)->toPlainText() + "|" + d.windowTitle();
        blank_while_open = core::MessageLine.is_blank();
        control<QPlainTextEdit>(d, 1000)->setPlainText(QStringLiteral("T 1 Andante"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunEditTextDialog(), 1);
    EXPECT_EQ(shown, QStringLiteral("T 1 Allegro |Edit Text"));
    EXPECT_TRUE(blank_while_open);
    EXPECT_EQ(up_to_nul(core::MessageLine), "T 1 Andante");

    // Cancel: 2, MessageLine as it came.
    answer_next_dialog([&](QDialog& d) {
        control<QPlainTextEdit>(d, 1000)->setPlainText(QStringLiteral("lost"));
        click(d, 2);
    });
    EXPECT_EQ(fe_.RunEditTextDialog(), 2);
    EXPECT_EQ(up_to_nul(core::MessageLine), "T 1 Andante");

    // A line without a NUL shows without its trailing blanks.
    core::MessageLine.set("no end");
    answer_next_dialog([&](QDialog& d) {
        shown = control<QPlainTextEdit>(d, 1000)->toPlainText();
        click(d, 2);
    });
    fe_.RunEditTextDialog();
    EXPECT_EQ(shown, QStringLiteral("no end"));
}

constexpr const char* kTextLineTooLong =
    "*** The text line would pass 512 characters: it was not entered.";

// Edit Text's OK with `typed` in its edit; a refusal's message box is answered and kept in
// `refusal`. The dialog's result.
int edit_text_ok(LineProbe& fe, const QString& typed, std::string* refusal = nullptr) {
    const std::size_t boxes = fe.message_boxes.size();
    answer_next_dialog([&](QDialog& d) {
        control<QPlainTextEdit>(d, 1000)->setPlainText(typed);
        // A refusal's box opens inside the click.
        answer_next_dialog([](QDialog& box) { box.accept(); });
        click(d, 1);
    });
    const int result = fe.RunEditTextDialog();
    // The box that was not needed is no dialog of the next case.
    if (fe.message_boxes.size() == boxes) drop_pending_dialog_answers();
    if (refusal != nullptr)
        *refusal = fe.message_boxes.size() > boxes ? fe.message_boxes.back() : "";
    return result;
}

// Edit Text takes 512 characters whole, filling MessageLine without its NUL; a longer text is
// refused by name (never cut) and MessageLine is as it came. Text Input stops at 511.
TEST_F(TextEntryDialogTest, EditTextTakes512CharactersAndRefusesMore) {
    for (int length : {511, 512, 513, 600}) {
        SCOPED_TRACE(length);
        set_message("T 1 before");
        std::string refusal;
        const int result = edit_text_ok(fe_, QString(length, QLatin1Char('x')), &refusal);
        if (length <= 512) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(refusal, "");
            EXPECT_EQ(core::MessageLine.view().substr(0, 511), std::string(511, 'x'));
            EXPECT_EQ(core::MessageLine(512), length == 512 ? 'x' : '\0');
        } else {
            EXPECT_EQ(result, 2);
            EXPECT_EQ(refusal, kTextLineTooLong);
            EXPECT_EQ(up_to_nul(core::MessageLine), "T 1 before");
        }
    }
    set_message("");
    answer_next_dialog([&](QDialog& d) {
        control(d, 1000)->setText(QString(511, QLatin1Char('y')));
        click(d, 1);
    });
    core::Array1<float, 19> b;
    b.fill(0.0f);
    EXPECT_EQ(fe_.RunTextInputDialog(b), 1);
    EXPECT_EQ(up_to_nul(core::MessageLine), std::string(511, 'y'));
}

// Typed letters reach the engine as UTF-8 (which turns them into their escapes, or names one
// that has none), in both text dialogs; a cut at 511 bytes never splits a letter.
TEST_F(TextEntryDialogTest, TypedLettersGoToTheEngineAsUtf8) {
    struct Row {
        QString typed;
        std::string stored;       // by Text Input
        const char* edit_stored;  // by Edit Text (its whole 512 bytes); nullptr: refused
    };
    const std::string x509u = std::string(509, 'x') + "ü";
    const std::string x510u = std::string(510, 'x') + "ü";
    const std::vector<Row> rows = {
        {QStringLiteral("Grüße €"), "Grüße €", "Grüße €"},
        {QStringLiteral("ж"), "ж", "ж"},
        {QString(509, QLatin1Char('x')) + QStringLiteral("ü"), x509u, x509u.c_str()},
        {QString(510, QLatin1Char('x')) + QStringLiteral("ü"), std::string(510, 'x'),
         x510u.c_str()},
        {QString(511, QLatin1Char('x')) + QStringLiteral("ü"), std::string(511, 'x'), nullptr},
    };
    core::Array1<float, 19> b;
    b.fill(0.0f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored.size());
        set_message("");
        std::string refusal;
        EXPECT_EQ(edit_text_ok(fe_, row.typed, &refusal), row.edit_stored != nullptr ? 1 : 2);
        const std::string_view line = core::MessageLine.view();
        EXPECT_EQ(line.substr(0, line.find('\0')),
                  row.edit_stored != nullptr ? row.edit_stored : "");
        EXPECT_EQ(refusal, row.edit_stored != nullptr ? "" : kTextLineTooLong);
        set_message("");
        answer_next_dialog([&](QDialog& d) {
            control(d, 1000)->setText(row.typed);
            click(d, 1);
        });
        EXPECT_EQ(fe_.RunTextInputDialog(b), 1);
        EXPECT_EQ(up_to_nul(core::MessageLine), row.stored);
    }
}

TEST_F(TextEntryDialogTest, TextInputExchangesP2ToP6TheLineAndTheDivider) {
    core::Array1<float, 19> b;
    b.fill(0.0f);
    for (int k = 2; k <= 6; ++k) b(k) = static_cast<float>(k) + 0.5f;  // P2..P6 in B 1-5
    b(1) = 99.0f;
    core::FrontEndCommandBuffer.blank();
    core::FrontEndCommandBuffer(1) = '/';
    set_message("Type new text *****");
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        for (int id = 1555; id <= 1559; ++id) shown += control(d, id)->text() + " ";
        shown += control(d, 1001)->text() + "|" + control(d, 1000)->text();
        control(d, 1555)->setText(QStringLiteral("3"));
        control(d, 1556)->setText(QStringLiteral("high"));  // keeps its word
        control(d, 1557)->setText(QStringLiteral(" -1.25 up"));
        control(d, 1001)->setText(QStringLiteral("#"));
        control(d, 1000)->setText(QString());
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTextInputDialog(b), 1);
    EXPECT_EQ(shown,
              QStringLiteral("2.500000 3.500000 4.500000 5.500000 6.500000 /|Type new text *****"));
    EXPECT_EQ(b(1), 99.0f);
    EXPECT_EQ(b(2), 3.0f);
    EXPECT_EQ(b(3), 3.5f);
    EXPECT_EQ(b(4), -1.25f);
    EXPECT_EQ(b(6), 6.5f);
    EXPECT_EQ(core::MessageLine(1), '\0');  // the empty line
    EXPECT_EQ(core::FrontEndCommandBuffer(1), '#');
    EXPECT_EQ(core::FrontEndCommandBuffer(2), '\0');

    // The divider field holds 47 characters and the NUL closes the buffer.
    answer_next_dialog([&](QDialog& d) {
        control(d, 1001)->setText(QString(60, QLatin1Char('d')));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTextInputDialog(b), 1);
    EXPECT_EQ(up_to_nul(core::FrontEndCommandBuffer), std::string(47, 'd'));

    // Cancel: 2, the words and lines as they came.
    core::FrontEndCommandBuffer.blank();
    core::FrontEndCommandBuffer(1) = '/';
    set_message("keep");
    answer_next_dialog([&](QDialog& d) {
        control(d, 1555)->setText(QStringLiteral("8"));
        control(d, 1001)->setText(QStringLiteral("!"));
        press(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(fe_.RunTextInputDialog(b), 2);
    EXPECT_EQ(b(2), 3.0f);
    EXPECT_EQ(core::FrontEndCommandBuffer(1), '/');
    EXPECT_EQ(up_to_nul(core::MessageLine), "keep");
}

// The engine's file-name question: the prompt over the name; OK's name becomes the command
// line, Cancel leaves the cancel mark.
TEST_F(TextEntryDialogTest, FileNameDialogAnswersTheEnginesQuestion) {
    QString prompt;
    answer_next_dialog([&](QDialog& d) {
        prompt = control<QLabel>(d, 1127)->text();
        control(d, 1000)->setText(QStringLiteral("score.drw"));
        click(d, 1);
    });
    core::ask_file_name(core::FixedText<128>("Type Filename."));
    EXPECT_EQ(prompt, QStringLiteral("Type Filename."));
    EXPECT_EQ(up_to_nul(core::CommandLine), "score.drw");

    answer_next_dialog([&](QDialog& d) {
        control(d, 1000)->setText(QStringLiteral("lost.drw"));
        click(d, 2);
    });
    core::ask_file_name(core::FixedText<128>("Type Filename."));
    EXPECT_EQ(core::CommandLine(1), '\2');
}

TEST_F(TextEntryDialogTest, TextUnitsShowsTheTextAndReturnsTheNoteNumbers) {
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = control<QLabel>(d, 1000)->text() + "|" + control(d, 1001)->text() + "|";
        control(d, 1001)->setText(QStringLiteral("1 2 4"));
        click(d, 1);
    });
    EXPECT_EQ(fe_.RunTextUnitsDialog(core::FixedText<512>("Al-le-lu-ia")), 1);
    EXPECT_EQ(shown, QStringLiteral("Al-le-lu-ia| |"));
    EXPECT_EQ(up_to_nul(core::MessageLine), "1 2 4");

    set_message("before");
    answer_next_dialog([&](QDialog& d) { click(d, 2); });
    EXPECT_EQ(fe_.RunTextUnitsDialog(core::FixedText<512>("x")), 2);
    EXPECT_EQ(up_to_nul(core::MessageLine), "before");
}

}  // namespace
