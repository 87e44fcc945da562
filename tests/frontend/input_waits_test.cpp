// The waits an engine routine makes for input: what each takes, what it leaves behind, that it
// sleeps until input arrives, that a key or a typed line never starts a second engine call, and
// that the program can close while one waits.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "engine/commands/interpreter_tables.h"
#include "frontend/app/command_bar.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/keys.h"
#include "frontend/bridge/question_dialogs.h"
#include "frontend/midi/midi_mailbox.h"
#include "frontend/midi/midi_ring.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"

using namespace frontend;

namespace {

void press(QWidget* w, int key, const QString& text = QString(),
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(w, &event);
}

// Runs action once, inside the engine call, when the engine first arms key mode.
class CallProbe : public QtFrontEnd {
  public:
    std::function<void()> inside_call;
    void ArmImmediateKeyMode() override {
        QtFrontEnd::ArmImmediateKeyMode();
        if (!inside_call) return;
        auto action = std::move(inside_call);
        inside_call = nullptr;
        action();
    }
};

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
        ResetKeyWords();
        ResetWaitWords();
        probe_.SetUnattended(true);
        core::set_front_end(&probe_);
        bar_ = std::make_unique<CCommandBar>();
        probe_.SetCommandBar(bar_.get());
    }
    void TearDown() override {
        probe_.SetCommandBar(nullptr);
        bar_.reset();
        MidiInWanted.store(0);
        ClearMidiMailbox();
        MidiInRing.Reset();
        FrontEndTest::TearDown();
    }
    QWidget* edit() const { return bar_->InputEdit(); }

    CallProbe probe_;
    std::unique_ptr<CCommandBar> bar_;
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
    EXPECT_EQ(probe_.WaitForLineEdit(buffer, core::FixedText<512>("Staff?"), 2, 2), 0);
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
    EXPECT_EQ(probe_.WaitForLineEdit(buffer, core::FixedText<512>("?"), 0, 0), 0);
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
    EXPECT_EQ(probe_.WaitForLineEdit(buffer, core::FixedText<512>("?"), 0, 0), 0);
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
    EXPECT_EQ(probe_.WaitForCommandOrKey(buffer, 7), 7);
    EXPECT_TRUE(waited_after_shift);
    EXPECT_EQ(buffer.code(1), 113);
    EXPECT_EQ(buffer.sub(2, 16), "est of the line");  // the rest is not touched
    EXPECT_EQ(KeyResult, 113);
    EXPECT_EQ(InputEventFlags.KeyDownCode, 1113);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());  // F2 went to the wait, not the engine

    // A letter comes back as the character it typed; one above 127 as a negative KeyResult.
    QTimer::singleShot(0, [&] { press(edit(), Qt::Key_A, QStringLiteral("a")); });
    probe_.WaitForCommandOrKey(buffer, 0);
    EXPECT_EQ(buffer(1), 'a');
    QTimer::singleShot(0, [&] { press(edit(), Qt::Key_Eacute, QString(QChar(0xE9))); });
    probe_.WaitForCommandOrKey(buffer, 0);
    EXPECT_EQ(buffer.code(1), 0xE9);
    EXPECT_EQ(KeyResult, -23);

    // A command: copied, and the command buffer left blank.
    QTimer::singleShot(0, [] { SendCommand("MOVE "); });
    probe_.WaitForCommandOrKey(buffer, 0);
    EXPECT_EQ(buffer.sub(1, 6), std::string_view("MOVE \0", 6));
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
}

// An arrow key while the engine waits for a line inside its call is the wait's answer: it never
// runs a second engine call (which the engine would refuse with an internal error).
TEST_F(WaitTest, AnArrowKeyDuringALineWaitIsDepositedForIt) {
    core::FixedText<512> answer = preset("");
    int depth_inside = -1;
    probe_.inside_call = [&] {
        QTimer::singleShot(0, [&] {
            depth_inside = core::InterpreterDepth;
            press(edit(), Qt::Key_Left);
        });
        probe_.WaitForLineEdit(answer, core::FixedText<512>("?"), 0, 0);
        core::FrontEndCommandBuffer.blank();
    };
    core::FixedText<512> line("ZZQX");
    int32_t status = 0;
    RunEngineLine(line, status);
    EXPECT_EQ(depth_inside, 1);
    EXPECT_EQ(answer.sub(1, 6), std::string_view("~~037\0", 6));
    EXPECT_TRUE(probe_.LastMessage().isEmpty()) << probe_.LastMessage().toStdString();
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
    EXPECT_EQ(probe_.WaitForTypedLine(buffer, core::FixedText<512>("?"), 0, 0), 0);
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
    EXPECT_EQ(probe_.PollMidiOrKey(record), -1);
    EXPECT_EQ(record(1), -256 | 'a');
    for (int k = 2; k <= 5; ++k) EXPECT_EQ(record(k), 0);
    EXPECT_EQ(MidiInWanted.load(), 1);
    EXPECT_EQ(InputEventFlags.LineComplete, 1);  // left as it was
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
    InputEventFlags.TypedLine.set("\r\n");
    probe_.PollMidiOrKey(record);
    EXPECT_EQ(record(1), -256);  // too short for a character

    // Nothing there: the poll sleeps until the MIDI event arrives.
    InputEventFlags.LineComplete = 0;
    QTimer::singleShot(0, [] {
        MidiInRing.Put(MidiInEvent{0, 2, 1234, 0x00403C90});
        FillMidiMailbox();
    });
    probe_.PollMidiOrKey(record);
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
        typed = probe_.WaitForTypedLine(buffer, core::FixedText<512>("?"), 0, 0);
        line = probe_.WaitForLineEdit(buffer, core::FixedText<512>("?"), 0, 0);
        probe_.WaitForCommandOrKey(buffer, 0);
        key_wait_returned = true;
        core::Array1<int32_t, 5> record;
        probe_.PollMidiOrKey(record);
        poll_returned = true;
    });
    QCoreApplication::exec();  // returns only when the quit was not swallowed
    EXPECT_EQ(typed, -1);
    EXPECT_EQ(line, -1);
    EXPECT_TRUE(key_wait_returned);
    EXPECT_TRUE(poll_returned);
    EXPECT_TRUE(buffer.is_blank());
    EXPECT_TRUE(probe_.ApplicationClosing());
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
}

// Closing the window while the engine waits inside a call: the window stays until the call has
// returned and then closes; a document window refuses to close meanwhile.
TEST_F(AppTest, ClosingTheWindowWaitsForTheEngineCall) {
    auto owned = std::make_unique<CallProbe>();
    CallProbe* probe = owned.get();
    probe->SetUnattended(true);
    core::set_front_end(probe);
    fe_ = std::move(owned);
    CMainFrame& f = make_frame();
    CChildFrame* child = f.OnFileNew();
    f.show();
    bool frame_open_inside = false;
    bool child_open_inside = false;
    int rc = 99;
    probe->inside_call = [&] {
        QTimer::singleShot(0, [&] {
            f.close();
            child->close();
            frame_open_inside = f.isVisible();
            child_open_inside = f.MdiArea()->subWindowList().contains(child) && child->isVisible();
            press(f.CommandBar()->InputEdit(), Qt::Key_7, QStringLiteral("7"));
            press(f.CommandBar()->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
        });
        core::FixedText<512> answer = preset("");
        rc = probe->WaitForLineEdit(answer, core::FixedText<512>("?"), 0, 0);
    };
    core::FixedText<512> line("ZZQX");
    int32_t status = 0;
    RunEngineLine(line, status);
    EXPECT_TRUE(frame_open_inside);
    EXPECT_TRUE(child_open_inside);
    EXPECT_EQ(rc, 0);  // the wait went on and took the answer
    EXPECT_TRUE(f.isVisible());
    child->Document()->SetModifiedFlag(false);
    for (int i = 0; i < 200 && f.isVisible(); ++i) {
        QEventLoop idle;
        QTimer::singleShot(5, &idle, &QEventLoop::quit);
        idle.exec();
    }
    EXPECT_FALSE(f.isVisible());
}

// -- the question dialogs ------------------------------------------------------------------

namespace {

// Plays the next modal dialog: act gets it once it is shown.
void answer_next_dialog(std::function<void(QDialog&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

std::function<void(QDialog&)> click(int id) {
    return [id](QDialog& d) {
        auto* button = d.findChild<QPushButton*>(QStringLiteral("Button%1").arg(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    };
}

std::function<void(QDialog&)> key(int k) {
    return [k](QDialog& d) {
        QKeyEvent event(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(&d, &event);
    };
}

const std::function<void(QDialog&)> close_box = [](QDialog& d) { d.close(); };

}  // namespace

TEST_F(WaitTest, YesNoExitAnswersByItsButtonsAndNoWhenClosed) {
    probe_.SetUnattended(false);
    const std::pair<std::function<void(QDialog&)>, int> cases[] = {
        {click(1045), -1},         {click(1046), 0}, {click(2), -2},
        {key(Qt::Key_Escape), -2}, {close_box, 0},
    };
    for (const auto& [act, expected] : cases) {
        QString text;
        answer_next_dialog([&, act = act](QDialog& d) {
            text = d.findChild<QLabel*>(QStringLiteral("Static1044"))->text();
            act(d);
        });
        EXPECT_EQ(probe_.AskYesNoExit("FILE EXISTS - Write over file? - \r\nsong.mus"), expected);
        EXPECT_EQ(text, "FILE EXISTS - Write over file? - \nsong.mus");
    }
    // With the default flag the Enter key answers No.
    answer_next_dialog(key(Qt::Key_Return));
    EXPECT_EQ(RunQuestionDialog("?", "Yes", "No", "Exit", 1), -1);
    EXPECT_EQ(DialogExchangeBlocks.DialogButtonLabels[2], "Exit");
}

TEST_F(WaitTest, YesNoAnswersNinetyNineWhenClosedAndShowsItsModes) {
    probe_.SetUnattended(false);
    answer_next_dialog(close_box);
    EXPECT_EQ(probe_.AskYesNo("Continue Input on Staff   2 ?", 1), 99);
    answer_next_dialog(key(Qt::Key_Escape));
    EXPECT_EQ(probe_.AskYesNo("?", 1), 99);
    answer_next_dialog(click(1110));
    EXPECT_EQ(probe_.AskYesNo("?", 1), -1);

    // Mode 0: Continue and Exit; the second answers 0.
    QString labels;
    answer_next_dialog([&](QDialog& d) {
        labels = d.findChild<QPushButton*>(QStringLiteral("Button1110"))->text() + "/" +
                 d.findChild<QPushButton*>(QStringLiteral("Button1111"))->text();
        click(1111)(d);
    });
    EXPECT_EQ(probe_.AskYesNo("?", 0), 0);
    EXPECT_EQ(labels, "Continue/Exit");

    // Another mode keeps the template's text and labels.
    QString text;
    answer_next_dialog([&](QDialog& d) {
        text = d.findChild<QLabel*>(QStringLiteral("Static1044"))->text();
        click(1111)(d);
    });
    EXPECT_EQ(probe_.AskYesNo("not shown", 2), 0);
    EXPECT_EQ(text, "1. Read file names alphabetically.\n2. Use namelist file.");
}

TEST_F(WaitTest, AbandonInputAnswersYesEditOrCancel) {
    probe_.SetUnattended(false);
    const std::pair<std::function<void(QDialog&)>, int> cases[] = {
        {click(1045), 0},          {click(1046), 1}, {click(10), -1},
        {key(Qt::Key_Escape), -1}, {close_box, -1},
    };
    for (const auto& [act, expected] : cases) {
        answer_next_dialog(act);
        EXPECT_EQ(probe_.AskAbandonInput(), expected);
    }
}
