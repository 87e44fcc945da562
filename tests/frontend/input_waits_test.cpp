// The waits an engine routine makes for input: what each takes, what it leaves behind, that it
// sleeps until input arrives, that a key or a typed line never starts a second engine call, and
// that the program can close while one waits.
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/dialogs/notice_dialogs.h"
#include "frontend/midi/midi_mailbox.h"
#include "frontend/midi/midi_ring.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"

using namespace frontend;

namespace {

// A line of the engine with a NUL after text.
core::FixedText<512> preset(std::string_view text) {
    core::FixedText<512> line(text);
    line(static_cast<int>(text.size()) + 1) = '\0';
    return line;
}

class WaitTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        make_bar();
    }
    void TearDown() override {
        MidiInWanted.store(0);
        ClearMidiMailbox();
        MidiInRing.Reset();
        FrontEndTest::TearDown();
    }
};

}  // namespace

TEST_F(WaitTest, LineEditPresetsItsAnswerAndTakesTheEnteredLine) {
    bar_->SetInputText(QStringLiteral("x"), 1, 1);
    core::FixedText<512> buffer = preset("12");
    QString shown;
    int caret = -1;
    QString prompt;
    uint8_t page_gate = 9;
    QTimer::singleShot(0, [&] {
        shown = bar_->InputText();
        caret = bar_->SelectionStart();
        prompt = bar_->MessageText();
        page_gate = InputEventFlags.PageKeysToEngine;
        press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    });
    EXPECT_EQ(fe_.WaitForLineEdit(buffer, core::FixedText<512>("Staff?"), 2, 2), 0);
    EXPECT_EQ(shown, "x12");
    EXPECT_EQ(caret, 3);
    EXPECT_EQ(prompt, "Staff?");
    EXPECT_EQ(page_gate, 0);
    EXPECT_EQ(buffer.trimmed(), "x12");
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
    EXPECT_EQ(InputEventFlags.ArrowKeysToEngine, 1);
    EXPECT_EQ(InputEventFlags.PageKeysToEngine, 1);

    // A palette command is the answer too; the command buffer is left without it.
    core::EngineWaitLevel = 1;
    QTimer::singleShot(0, [] { SendCommand("PR "); });
    buffer = preset("");
    EXPECT_EQ(fe_.WaitForLineEdit(buffer, core::FixedText<512>("?"), 0, 0), 0);
    EXPECT_EQ(buffer.sub(1, 4), std::string_view("PR \0", 4));
    EXPECT_EQ(core::FrontEndCommandBuffer(1), ' ');
}

TEST_F(WaitTest, AnEnterAwayFromTheCaretDoesNotEndTheLineWait) {
    // The preset ends with a line break and the caret stands at the start: an Enter there makes
    // a text that ends with a line feed, but the Enter was not at the caret's end of it.
    core::FixedText<512> buffer = preset("xy\r\n");
    bool still_waiting = false;
    QTimer::singleShot(0, [&] {
        press(edit(), Qt::Key_Return, QStringLiteral("\r"));
        QTimer::singleShot(0, [&] {
            still_waiting = InputEventFlags.LineWaitArmed == 1 && InputEventFlags.LineComplete == 0;
            press(edit(), Qt::Key_End, QString(), Qt::ControlModifier);
            press(edit(), Qt::Key_Z, QStringLiteral("z"));
            press(edit(), Qt::Key_Return, QStringLiteral("\r"));
        });
    });
    EXPECT_EQ(fe_.WaitForLineEdit(buffer, core::FixedText<512>("?"), 0, 0), 0);
    EXPECT_TRUE(still_waiting);
    EXPECT_EQ(buffer.trimmed(), "z");
}

TEST_F(WaitTest, CommandOrKeySkipsShiftAndTakesF2AtOnce) {
    core::EngineWaitLevel = 1;
    core::FixedText<512> buffer("rest of the line");
    bool waited_after_shift = false;
    QTimer::singleShot(0, [&] {
        press(edit(), Qt::Key_Shift, QString(), Qt::ShiftModifier);
        QTimer::singleShot(0, [&] {
            waited_after_shift = InputEventFlags.LineWaitArmed == 1;
            press(edit(), Qt::Key_F2);
        });
    });
    EXPECT_EQ(fe_.WaitForCommandOrKey(buffer, 7), 7);
    EXPECT_TRUE(waited_after_shift);
    EXPECT_EQ(buffer.code(1), 113);
    EXPECT_EQ(buffer.sub(2, 16), "est of the line");  // the rest is not touched
    EXPECT_EQ(KeyResult, 113);
    EXPECT_EQ(InputEventFlags.KeyDownCode, 1113);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());  // F2 went to the wait, not the engine

    // A letter comes back as the character it typed; one above 127 as a negative KeyResult.
    QTimer::singleShot(0, [&] { press(edit(), Qt::Key_A, QStringLiteral("a")); });
    fe_.WaitForCommandOrKey(buffer, 0);
    EXPECT_EQ(buffer(1), 'a');
    QTimer::singleShot(0, [&] { press(edit(), Qt::Key_Eacute, QString(QChar(0xE9))); });
    fe_.WaitForCommandOrKey(buffer, 0);
    EXPECT_EQ(buffer.code(1), 0xE9);
    EXPECT_EQ(KeyResult, -23);

    // A command: copied, and the command buffer left blank.
    QTimer::singleShot(0, [] { SendCommand("MOVE "); });
    fe_.WaitForCommandOrKey(buffer, 0);
    EXPECT_EQ(buffer.sub(1, 6), std::string_view("MOVE \0", 6));
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
}

// An arrow key while the engine waits for a line inside its call is the wait's answer: it never
// runs a second engine call (which the engine would refuse with an internal error).
TEST_F(WaitTest, AnArrowKeyDuringALineWaitIsDepositedForIt) {
    core::FixedText<512> answer = preset("");
    int depth_inside = -1;
    fe_.inside_call = [&] {
        QTimer::singleShot(0, [&] {
            depth_inside = core::InterpreterDepth;
            press(edit(), Qt::Key_Left);
        });
        fe_.WaitForLineEdit(answer, core::FixedText<512>("?"), 0, 0);
        core::FrontEndCommandBuffer.blank();
    };
    run_line();
    EXPECT_EQ(depth_inside, 1);
    EXPECT_EQ(answer.sub(1, 6), std::string_view("~~037\0", 6));
    EXPECT_TRUE(fe_.LastMessage().isEmpty()) << fe_.LastMessage().toStdString();
    EXPECT_TRUE(gate_messages_.empty());
}

TEST_F(WaitTest, TypedLineWaitIgnoresCommandsAndCutsNothingShort) {
    core::EngineWaitLevel = 1;
    core::FixedText<512> buffer = preset("");
    bool waited_after_command = false;
    QTimer::singleShot(0, [&] {
        SendCommand("PLAY ");
        QTimer::singleShot(0, [&] {
            waited_after_command = InputEventFlags.LineWaitArmed == 1;
            press(edit(), Qt::Key_O, QStringLiteral("o"));
            press(edit(), Qt::Key_K, QStringLiteral("k"));
            press(edit(), Qt::Key_Return, QStringLiteral("\r"));
        });
    });
    EXPECT_EQ(fe_.WaitForTypedLine(buffer, core::FixedText<512>("?"), 0, 0), 0);
    EXPECT_TRUE(waited_after_command);
    EXPECT_EQ(buffer.trimmed(), "ok");
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 5), "PLAY ");  // left for the engine
}

TEST_F(WaitTest, MidiPollTakesTheMailboxOrTheTypedLine) {
    // A typed line is there: no sleep; word 0 holds its last character before CR LF.
    InputEventFlags.TypedLine.set("a\r\n");
    InputEventFlags.LineComplete = 1;
    MidiInWanted.store(-1);  // a fresh start: the record's event words are cleared
    core::Array1<int32_t, 5> record;
    record.fill(5);
    EXPECT_EQ(fe_.PollMidiOrKey(record), -1);
    EXPECT_EQ(record(1), -256 | 'a');
    for (int k = 2; k <= 5; ++k) EXPECT_EQ(record(k), 0);
    EXPECT_EQ(MidiInWanted.load(), 1);
    EXPECT_EQ(InputEventFlags.LineComplete, 1);  // left as it was
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
    InputEventFlags.TypedLine.set("\r\n");
    fe_.PollMidiOrKey(record);
    EXPECT_EQ(record(1), -256);  // too short for a character

    // Nothing there: the poll sleeps until the MIDI event arrives.
    InputEventFlags.LineComplete = 0;
    QTimer::singleShot(0, [] {
        MidiInRing.Put(MidiInEvent{0, 2, 1234, 0x00403C90});
        FillMidiMailbox();
    });
    fe_.PollMidiOrKey(record);
    EXPECT_EQ(record(1), 0);
    EXPECT_EQ(record(2), 0x00403C90);
    EXPECT_EQ(record(3), 2);
    EXPECT_EQ(record(4), 0);
    EXPECT_EQ(record(5), 1234);
    EXPECT_EQ(MidiInMailbox.Ready, 0);
}

// The application quits while the engine waits: every wait returns (none swallows the quit or
// keeps waiting), the input words are put back, and the application's loop ends.
TEST_F(WaitTest, EveryWaitLetsTheApplicationQuit) {
    int typed = 99;
    int line = 99;
    bool key_wait_returned = false;
    bool poll_returned = false;
    core::FixedText<512> buffer = preset("");
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        typed = fe_.WaitForTypedLine(buffer, core::FixedText<512>("?"), 0, 0);
        line = fe_.WaitForLineEdit(buffer, core::FixedText<512>("?"), 0, 0);
        fe_.WaitForCommandOrKey(buffer, 0);
        key_wait_returned = true;
        core::Array1<int32_t, 5> record;
        fe_.PollMidiOrKey(record);
        poll_returned = true;
    });
    QCoreApplication::exec();  // returns only when the quit was not swallowed
    EXPECT_EQ(typed, -1);
    EXPECT_EQ(line, -1);
    EXPECT_TRUE(key_wait_returned);
    EXPECT_TRUE(poll_returned);
    EXPECT_TRUE(buffer.is_blank());
    EXPECT_TRUE(fe_.ApplicationClosing());
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
}

// Closing the window while the engine is busy inside a call but not waiting: the window stays
// until the call has returned and then closes; the call's later waits go on; a document window
// refuses to close meanwhile.
TEST_F(AppTest, ClosingTheWindowWaitsForTheEngineCall) {
    CMainFrame& f = make_frame();
    CChildFrame* child = f.OnFileNew();
    f.show();
    bool frame_open_inside = false;
    bool child_open_inside = false;
    int rc = 99;
    fe_.inside_call = [&] {
        f.close();
        child->close();
        frame_open_inside = f.isVisible();
        child_open_inside = f.MdiArea()->subWindowList().contains(child) && child->isVisible();
        QTimer::singleShot(0, [&] {
            press(f.CommandBar()->InputEdit(), Qt::Key_7, QStringLiteral("7"));
            press(f.CommandBar()->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
        });
        core::FixedText<512> answer = preset("");
        rc = fe_.WaitForLineEdit(answer, core::FixedText<512>("?"), 0, 0);
    };
    run_line();
    EXPECT_TRUE(frame_open_inside);
    EXPECT_TRUE(child_open_inside);
    EXPECT_EQ(rc, 0);  // the wait went on and took the answer
    EXPECT_TRUE(f.isVisible());
    child->Document()->SetModifiedFlag(false);
    for (int i = 0; i < 200 && f.isVisible(); ++i) run_events(5);
    EXPECT_FALSE(f.isVisible());
}

// -- the question dialogs ------------------------------------------------------------------

namespace {

std::function<void(QDialog&)> click(int id) {
    return [id](QDialog& d) {
        auto* button = d.findChild<QPushButton*>(QStringLiteral("c%1").arg(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    };
}

const std::function<void(QDialog&)> close_box = [](QDialog& d) { d.close(); };

}  // namespace

// Each question's answer for each of its buttons, Escape and the closing of its box.
TEST_F(WaitTest, QuestionsAnswerByTheirButtonsEscapeAndClosing) {
    fe_.SetUnattended(false);
    QString text;
    const std::function<int()> exists = [&] {
        return fe_.AskYesNoExit("FILE EXISTS - Write over file? - \r\nsong.mus");
    };
    const std::function<int()> yes_no = [&] { return fe_.AskYesNo("Continue Input?", 1); };
    const std::function<int()> abandon = [&] { return fe_.AskAbandonInput(); };
    const auto escape = key_in_dialog(Qt::Key_Escape);
    const struct {
        const std::function<int()>& ask;
        std::function<void(QDialog&)> act;
        int expected;
    } cases[] = {
        {exists, click(1045), -1}, {exists, click(1046), 0}, {exists, click(2), -2},
        {exists, escape, -2},      {exists, close_box, 0},   {yes_no, click(1110), -1},
        {yes_no, escape, 99},      {yes_no, close_box, 99},  {abandon, click(1045), 0},
        {abandon, click(1046), 1}, {abandon, click(10), -1}, {abandon, escape, -1},
        {abandon, close_box, -1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        text.clear();
        answer_next_dialog([&, act = cases[i].act](QDialog& d) {
            text = d.findChild<QLabel*>(QStringLiteral("c1044"))->text();
            act(d);
        });
        EXPECT_EQ(cases[i].ask(), cases[i].expected);
        if (&cases[i].ask == &exists) {
            EXPECT_EQ(text, "FILE EXISTS - Write over file? - \nsong.mus");
        }
    }
    // With the default flag the Enter key answers No.
    answer_next_dialog(key_in_dialog(Qt::Key_Return));
    EXPECT_EQ(RunQuestionDialog("?", "Yes", "No", "Exit", 1), -1);
    EXPECT_EQ(DialogExchangeBlocks.DialogButtonLabels[2], "Exit");
}

TEST_F(WaitTest, YesNoShowsItsModes) {
    fe_.SetUnattended(false);
    // Mode 0: Continue and Exit; the second answers 0.
    QString labels;
    answer_next_dialog([&](QDialog& d) {
        labels = d.findChild<QPushButton*>(QStringLiteral("c1110"))->text() + "/" +
                 d.findChild<QPushButton*>(QStringLiteral("c1111"))->text();
        click(1111)(d);
    });
    EXPECT_EQ(fe_.AskYesNo("?", 0), 0);
    EXPECT_EQ(labels, "Continue/Exit");

    // Another mode keeps the template's text and labels.
    QString text;
    answer_next_dialog([&](QDialog& d) {
        text = d.findChild<QLabel*>(QStringLiteral("c1044"))->text();
        click(1111)(d);
    });
    EXPECT_EQ(fe_.AskYesNo("not shown", 2), 0);
    EXPECT_EQ(text, "1. Read file names alphabetically.\n2. Use namelist file.");
}
