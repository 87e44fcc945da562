// The command bar: the engine's text model in the two edits, which typed lines run and which
// do not, long lines, the input-mode words, the wheel, and a command typed in the window whose
// question is answered there.
#include "frontend/app/command_bar.h"

#include <QDeadlineTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/commands/interpreter/interpreter_tables.h"
#include "frontend/bridge/engine_gate.h"
#include "frontend/bridge/keys.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/stamped_keys.h"
#include "tests/support/test_files.h"

using namespace frontend;

namespace {

class CommandBarTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        make_bar();
    }
};

}  // namespace

TEST_F(CommandBarTest, TheEngineCountsLineBreaksAsTwoCharacters) {
    fe_.SetInputTextAndSelection("ab\r\ncd", 4, 6);
    EXPECT_EQ(bar_->InputEdit()->textCursor().selectedText(), "cd");
    EXPECT_EQ(bar_->InputText(), "ab\r\ncd");
    EXPECT_EQ(fe_.GetInputTextLength(), 6);
    EXPECT_EQ(bar_->SelectionStart(), 4);
    EXPECT_EQ(bar_->SelectionEnd(), 6);
    // A position between CR and LF stands before the break.
    fe_.SetInputTextAndSelection("ab\r\ncd", 3, 3);
    EXPECT_EQ(bar_->InputEdit()->textCursor().position(), 2);

    // An empty text keeps the edit's text; the caret goes to the text's length.
    fe_.SetInputText("");
    EXPECT_EQ(bar_->InputText(), "ab\r\ncd");
    EXPECT_EQ(bar_->SelectionStart(), 0);
    fe_.SetInputText("xyz");
    EXPECT_EQ(bar_->InputText(), "xyz");
    EXPECT_EQ(bar_->SelectionStart(), 3);

    // The trim keeps the text up to its last marker; without one the edit is emptied.
    fe_.SetInputTextAndSelection("ab\017cd\017ef", 0, 0);  // \017: the marker
    fe_.TrimInputToMarker();
    EXPECT_EQ(bar_->InputText(), QStringLiteral("ab\017cd\017"));
    fe_.SetInputTextAndSelection("abc", 0, 0);
    fe_.TrimInputToMarker();
    EXPECT_TRUE(bar_->InputText().isEmpty());

    // A prompt of two lines shows as two lines.
    fe_.SetMessageLineText(core::ReplyKind::Notice, "E = Edit\r\nX = Exit");
    EXPECT_EQ(bar_->MessageEdit()->document()->blockCount(), 2);
    EXPECT_EQ(bar_->MessageText(), "E = Edit\r\nX = Exit");
}

// A name read from a file may hold control characters: the message line shows them as "?" and
// keeps the engine's line breaks; CP1252 letters stay.
TEST_F(CommandBarTest, TheMessageLineShowsControlCharactersAsQuestionMarks) {
    fe_.SetMessageLineText(core::ReplyKind::Notice,
                           "File not found --> e\x1b]0;x\x07save.mus\r\ntab\there\x7f caf\xe9");
    EXPECT_EQ(bar_->MessageEdit()->document()->blockCount(), 2);
    EXPECT_EQ(bar_->MessageText(),
              QString::fromUtf8("File not found --> e?]0;x?save.mus\r\ntab?here? caf\xc3\xa9"));
    // The engine's reply to a typed line goes the same way.
    bar_->SetMessageText(QStringLiteral("a\x01z\nb\rc\x1f"));
    EXPECT_EQ(bar_->MessageText(), "a?z?b?c?");
}

// A failure left in the message line looks like one (the failure box's warning colour, bold);
// any other reply, or a text the window shows itself, looks as a notice does.
TEST_F(CommandBarTest, AFailureInTheMessageLineLooksLikeOne) {
    const auto failure_look = [&] { return bar_->MessageEdit()->property("failure").toBool(); };
    const struct {
        core::ReplyKind kind;
        bool looks_failed;
    } rows[] = {{core::ReplyKind::Failure, true},
                {core::ReplyKind::Notice, false},
                {core::ReplyKind::Failure, true},
                {core::ReplyKind::Question, false}};
    for (const auto& row : rows) {
        fe_.SetMessageLineText(row.kind, "*** Text not found.");
        EXPECT_EQ(failure_look(), row.looks_failed) << static_cast<int>(row.kind);
        EXPECT_EQ(bar_->MessageEdit()->styleSheet().contains("color"), row.looks_failed);
        EXPECT_EQ(bar_->MessageText(), "*** Text not found.");
    }
    fe_.SetMessageLineText(core::ReplyKind::Failure, "*** Text not found.");
    bar_->SetMessageText(QStringLiteral("Direction = --> Forward"));
    EXPECT_FALSE(failure_look());
}

TEST_F(CommandBarTest, OnlyTheMainEnterRunsAndOnlyTheLastLine) {
    // "A", a line break and "B": the Enter at the end runs "B" alone.
    bar_->SetInputText(QStringLiteral("A\r\nB"), 4, 4);
    press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    ASSERT_FALSE(fe_.lines.empty());
    EXPECT_EQ(fe_.lines.front().substr(0, 3), "B  ");

    // The keypad's Enter and a held Enter break the line but run nothing.
    fe_.lines.clear();
    bar_->SetInputText(QStringLiteral("C"), 1, 1);
    press(edit(), Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier);
    press(edit(), Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier, true);
    EXPECT_EQ(bar_->InputText(), "C\r\n\r\n");
    EXPECT_TRUE(fe_.lines.empty());
    EXPECT_EQ(EnterKeyHit, 0);

    // Another key after the main Enter: no line.
    bar_->SetInputText(QStringLiteral("D"), 1, 1);
    press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    fe_.lines.clear();
    type(edit(), "e");
    EXPECT_TRUE(fe_.lines.empty());
}

// A held Enter whose repeats come without the repeat mark (as some X servers send them) runs
// the typed line once; the next Enter runs only after the key came up.
TEST_F(CommandBarTest, AHeldEnterWithoutRepeatMarksRunsTheLineOnce) {
    const auto enter_down = [this] {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(edit(), &down);
    };
    bar_->SetInputText(QStringLiteral("INC 5"), 5, 5);
    enter_down();
    ASSERT_EQ(fe_.lines.size(), 1u);
    EXPECT_EQ(fe_.lines.front().substr(0, 6), "INC 5 ");
    enter_down();
    enter_down();
    EXPECT_EQ(fe_.lines.size(), 1u) << "a held Enter ran a blank line";
    EXPECT_EQ(EnterKeyHit, 0);
    // A repeat's own release does not end the hold.
    QKeyEvent repeat_up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                        true);
    QCoreApplication::sendEvent(edit(), &repeat_up);
    enter_down();
    EXPECT_EQ(fe_.lines.size(), 1u);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(edit(), &up);
    // Pressed again: a fresh Enter, which runs (an empty line here).
    bar_->SetInputText(QStringLiteral("N"), 1, 1);
    enter_down();
    ASSERT_EQ(fe_.lines.size(), 2u);
    EXPECT_EQ(fe_.lines.back().substr(0, 2), "N ");
}

// The orders in which an X server delivers the main Enter, each event stamped (ms): a held key
// repeats as release and press pairs stamped alike, marked as repeats when Qt saw the press
// queued, unmarked when the release was handled first. Only separate strokes run lines, even
// quick ones.
TEST_F(CommandBarTest, AHeldEnterRunsOneLineInEveryOrderXDeliversItsRepeats) {
    const auto enter = [this](QEvent::Type type, quint64 stamp, bool repeat = false) {
        QKeyEvent e(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeat);
        e.setTimestamp(stamp);
        QCoreApplication::sendEvent(edit(), &e);
    };
    bar_->SetInputText(QStringLiteral("INC 5"), 5, 5);
    enter(QEvent::KeyPress, 50000);
    ASSERT_EQ(fe_.lines.size(), 1u);
    EXPECT_EQ(fe_.lines.front().substr(0, 6), "INC 5 ");
    // Marked pairs, after the repeat delay and at the repeat rate.
    enter(QEvent::KeyRelease, 50660, true);
    enter(QEvent::KeyPress, 50660, true);
    enter(QEvent::KeyRelease, 50700, true);
    enter(QEvent::KeyPress, 50700, true);
    EXPECT_EQ(fe_.lines.size(), 1u) << "a marked repeat ran a blank line";
    // Unmarked pairs: the release handled before its press was read, the press a ms later.
    enter(QEvent::KeyRelease, 50740);
    enter(QEvent::KeyPress, 50740);
    enter(QEvent::KeyRelease, 50780);
    enter(QEvent::KeyPress, 50781);
    EXPECT_EQ(fe_.lines.size(), 1u) << "an unmarked repeat pair ran a blank line";
    // A repeat whose release never came.
    enter(QEvent::KeyPress, 50820);
    EXPECT_EQ(fe_.lines.size(), 1u);
    enter(QEvent::KeyRelease, 50850);
    EXPECT_EQ(fe_.lines.size(), 1u);

    // Separate strokes in quick succession each run their line.
    bar_->SetInputText(QStringLiteral("INC 1"), 5, 5);
    enter(QEvent::KeyPress, 50900);
    enter(QEvent::KeyRelease, 50930);
    bar_->SetInputText(QStringLiteral("INC 2"), 5, 5);
    enter(QEvent::KeyPress, 50960);
    enter(QEvent::KeyRelease, 50990);
    bar_->SetInputText(QStringLiteral("INC 3"), 5, 5);
    enter(QEvent::KeyPress, 51002);
    ASSERT_EQ(fe_.lines.size(), 4u);
    EXPECT_EQ(fe_.lines[1].substr(0, 6), "INC 1 ");
    EXPECT_EQ(fe_.lines[2].substr(0, 6), "INC 2 ");
    EXPECT_EQ(fe_.lines[3].substr(0, 6), "INC 3 ");
}

TEST_F(CommandBarTest, ALongLineWaitingForAWaitIsCutToTypedLine) {
    InputEventFlags.LineWaitArmed = 1;
    const QString long_text(1000, QLatin1Char('x'));
    bar_->SetInputText(long_text, 1000, 1000);
    press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(InputEventFlags.LineComplete, 1);
    EXPECT_EQ(InputEventFlags.TypedLine.view(), std::string(kTypedLineText, 'x') + "\r\n ");
    EXPECT_TRUE(fe_.lines.empty());  // a waited-for line does not run
}

TEST_F(CommandBarTest, InputModeLinesArmTheKeyGatesAndXClearsThem) {
    // A busy engine: the lines are deposited, the words are set all the same.
    core::EngineWaitLevel = 1;
    InputEventFlags.ArrowKeysToEngine = 0;
    InputEventFlags.PageKeysToEngine = 0;
    InputEventFlags.SpecialKeyCount = 2;
    bar_->SetInputText(QStringLiteral("  3 ed 5"), 8, 8);
    press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(CommandKind, -1);
    EXPECT_EQ(InputEventFlags.ArrowKeysToEngine, 1);
    EXPECT_EQ(InputEventFlags.PageKeysToEngine, 1);
    EXPECT_EQ(InputEventFlags.SpecialKeyCount, 0);
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 9), std::string_view("  3 ed 5\0", 9));
    // Left as a typed line: the engine judges it as one, not as a palette button's word.
    EXPECT_EQ(core::CommandBufferLineIsTyped, 1);

    bar_->SetInputText(QStringLiteral("x"), 1, 1);
    press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(CommandKind, 0);
    EXPECT_EQ(InputEventFlags.ArrowKeysToEngine, 0);
    EXPECT_EQ(InputEventFlags.PageKeysToEngine, 0);
    EXPECT_EQ(core::CommandBufferLineIsTyped, 1);
    // A palette button's word left for the busy engine is one.
    SendCommand("CPWS");
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 5), std::string_view("CPWS\0", 5));
    EXPECT_EQ(core::CommandBufferLineIsTyped, 0);
}

TEST_F(CommandBarTest, TheWheelScrollsEachWayByItsOwnAmount) {
    COrmestView view;
    view.resize(300, 200);
    ScrollSizeRecord = {16000, 16000, 1024, 1024, 128, 128};
    view.ApplyScrollSizes();
    const double k = view.PixelsPerPageUnit();
    auto* input = bar_->InputEdit();
    // A notch down at zoom 64 moves 96 tens of page units: 960 page units.
    input->OnMouseWheel(-120, 0);
    EXPECT_EQ(WheelVertical, -96);
    EXPECT_EQ(view.DeviceScrollPosition(), QPoint(0, static_cast<int>(std::lround(960 * k))));
    // A notch of the horizontal wheel to the right moves sideways only.
    input->OnMouseWheel(0, -120);
    EXPECT_EQ(view.DeviceScrollPosition(), QPoint(static_cast<int>(std::lround(960 * k)),
                                                  static_cast<int>(std::lround(960 * k))));
    // Twice the zoom, twice the step; the wheel never goes above the page's top.
    DisplayScale = 128;
    input->OnMouseWheel(120, 0);
    EXPECT_EQ(WheelVertical, 96);
    input->OnMouseWheel(120, 0);
    EXPECT_EQ(WheelVertical, 192);
    EXPECT_EQ(view.DeviceScrollPosition().y(), 0);
}

TEST_F(CommandBarTest, HelpFindsThePageOfTheEditedItemWhenThereIsOne) {
    std::filesystem::create_directories(temp_dir() / "hlp");
    platform::set_data_folder(temp_dir().string());  // put back with the folder
    HelpFilePath = "C:\\program files\\melandrix\\hlp\\ohlp.chm";
    core::HelpTopicField.set("::/code1.html");
    EXPECT_TRUE(HelpTopicFile().isEmpty());  // no such page: F1 opens nothing
    write_text(temp_dir() / "hlp" / "code1.html", "");
    EXPECT_EQ(HelpTopicFile().toStdString(), (temp_dir() / "hlp" / "code1.html").string());
    core::HelpTopicField.blank();
    EXPECT_TRUE(HelpTopicFile().isEmpty());
    HelpFilePath.clear();
}

// The whole road in the window: a command typed in the command bar asks its question in the
// message line, the answer is typed there too, and the engine merges the document with it.
TEST_F(AppTest, ACommandTypedInTheBarIsAnsweredThere) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    write_document(dir_ / "song.mus", kPage);
    CCommandBar* bar = f.CommandBar();
    QWidget* edit = bar->InputEdit();
    QString prompt;
    QString preset;
    int depth = -1;
    QTimer::singleShot(0, [&] {
        depth = EngineCallDepth();
        prompt = bar->MessageText();
        preset = bar->InputText();
        press(edit, Qt::Key_Backspace, QStringLiteral("\b"));
        type(edit, "2");
        press(edit, Qt::Key_Return, QStringLiteral("\r"));
    });
    type(edit, "GM song.mus");
    press(edit, Qt::Key_Return, QStringLiteral("\r"));

    EXPECT_EQ(depth, 1);
    EXPECT_EQ(prompt, "Type a number for staff offset.");
    EXPECT_EQ(preset, "0");
    ASSERT_EQ(core::ItemCount, 3);
    // Staff offset 2 + 1: what was on staff 1 is on staff 3 now.
    for (int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(core::ItemStore(core::ItemStartTable(k) + 2), 3.0f) << "item " << k;
    }
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
    EXPECT_EQ(EngineCallDepth(), 0);
}

// The reply a typed line leaves shows with its kind: a failure marked, a later notice not.
TEST_F(AppTest, AReplyLeftByATypedLineShowsWithItsKind) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    CCommandBar* bar = f.CommandBar();
    const struct {
        const char* line;
        const char* reply;
        bool failure;
    } rows[] = {
        {"BB", "**** Nothing on the page to measure.", true},
        {"FREEZ", "Freeze Screen Position", false},
        {"BB", "**** Nothing on the page to measure.", true},
    };
    for (const auto& row : rows) {
        type(bar->InputEdit(), row.line);
        press(bar->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
        EXPECT_EQ(bar->MessageText().toStdString(), row.reply) << row.line;
        EXPECT_EQ(bar->MessageEdit()->property("failure").toBool(), row.failure) << row.line;
    }
}

// End and Home on an empty bar move the view; the key's token is no reply: the message line
// shows nothing, whatever the lines before it left there. One session, one key after each.
TEST_F(AppTest, EndAndHomeOnAnEmptyBarLeaveTheMessageLineEmpty) {
    CMainFrame& f = make_frame();
    f.OnFileNew();
    CCommandBar* bar = f.CommandBar();
    struct Row {
        std::vector<const char*> lines;
        Qt::Key key;
    };
    const Row rows[] = {
        {{"8 1 0", "X", "SA b.mus"}, Qt::Key_End},  // a typed item, a save
        {{"I 1", "X"}, Qt::Key_Home},               // an edit of a stored item
        {{"1 1 50 5 10 0 4", "X"}, Qt::Key_End},    // a typed item stored
        {{"X", "INC 2"}, Qt::Key_Home},
        {{"INC 2"}, Qt::Key_End},
    };
    for (const Row& row : rows) {
        std::string ran;
        for (const char* line : row.lines) {
            type(bar->InputEdit(), line);
            press(bar->InputEdit(), Qt::Key_Return, QStringLiteral("\r"));
            ran += std::string(line) + " / ";
        }
        ASSERT_FALSE(bar->MessageText().isEmpty()) << ran << "left no reply to blank";
        press(bar->InputEdit(), row.key, QString());
        EXPECT_TRUE(bar->InputText().isEmpty()) << ran;
        EXPECT_EQ(bar->MessageText().toStdString(), "") << ran << row.key;
    }
    EXPECT_TRUE(std::filesystem::exists(dir_ / "b.mus"));
    EXPECT_EQ(core::ItemCount, 2);
}

// With unsaved changes, "G a.mus" and at once "SA k.mus" and Enter typed ahead, each key stamped
// as the window system stamps it: the question whether to drop the changes takes none of them
// (its focused Yes button would take the blank, the box Enter), and waits for a key made while
// it is shown. The keys typed ahead then make the next line whole, blank included.
TEST_F(AppTest, KeysTypedAheadNeverAnswerTheQuestionThatDropsUnsavedWork) {
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    ASSERT_NE(core::ChangesMadeFlag, 0);

    using stamped_keys::key_of;
    const auto stroke = stamped_keys::stroke_at;
    const quint64 t0 = 7'000'000;
    QString asked;
    bool open_after_typing = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        if (auto* label = d.findChild<QLabel*>(QStringLiteral("c1044"))) asked = label->text();
        QWidget* at = d.focusWidget() != nullptr ? d.focusWidget() : &d;
        quint64 t = t0 + 20;
        for (const QChar c : QStringLiteral("SA k.mus")) {
            stroke(at, key_of(c), QString(c), t);
            t += 6;
        }
        stroke(at, Qt::Key_Return, QStringLiteral("\r"), t);
        open_after_typing = d.isVisible();
        // Read, then answered: Yes by Enter.
        stroke(at, Qt::Key_Return, QStringLiteral("\r"), frontend::WindowSystemTimeNow() + 1000);
    });
    type(edit, "G a.mus");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    enter.setTimestamp(t0);
    QCoreApplication::sendEvent(edit, &enter);
    QKeyEvent enter_up(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    enter_up.setTimestamp(t0 + 8);
    QCoreApplication::sendEvent(edit, &enter_up);
    fe_.SetUnattended(true);

    EXPECT_EQ(asked, QStringLiteral("Warning: Unsaved entries or changes will be lost.\n"
                                    "Clear or Load new file?"));
    EXPECT_TRUE(open_after_typing) << "a key typed ahead answered the question";
    EXPECT_EQ(core::ItemCount, 3) << "a.mus was not loaded";
    // The keys typed ahead reach the command bar as the next line, and it runs.
    const QDeadlineTimer deadline(20000);
    while (!std::filesystem::exists(dir_ / "k.mus") && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "k.mus"))
        << "\"SA k.mus\" did not run whole: " << f.CommandBar()->InputText().toStdString();
    EXPECT_EQ(core::ItemCount, 3);
}

// The Enter that ran the asking line, held down: its repeats reach the question box, marked or
// as unmarked release and press pairs stamped alike, long after the box came up. They answer
// nothing (the box's default is Yes), nor does the key's release, nor a click stamped before the
// box could be seen; a click while it is shown does.
TEST_F(AppTest, AnEnterHeldSinceTheAskingLineNeverAnswersTheQuestion) {
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    ASSERT_NE(core::ChangesMadeFlag, 0);

    const auto enter = [](QWidget* w, QEvent::Type type, quint64 stamp, bool repeat) {
        QKeyEvent e(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeat);
        e.setTimestamp(stamp);
        QCoreApplication::sendEvent(w, &e);
    };
    bool open_after_repeats = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        QWidget* at = d.focusWidget() != nullptr ? d.focusWidget() : &d;
        const quint64 t = frontend::WindowSystemTimeNow() + 1000;
        enter(at, QEvent::KeyRelease, t, false);  // the pair's release, handled alone
        enter(at, QEvent::KeyPress, t, false);
        enter(at, QEvent::KeyRelease, t + 40, true);
        enter(at, QEvent::KeyPress, t + 40, true);
        enter(at, QEvent::KeyRelease, t + 60, false);
        // A click on Yes made before the box could be seen.
        QWidget* yes = control<QWidget>(d, 1110);
        const QPointF inside(yes->width() / 2.0, yes->height() / 2.0);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, inside, yes->mapToGlobal(inside), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
            e.setTimestamp(9'000'001);
            QCoreApplication::sendEvent(yes, &e);
        }
        open_after_repeats = d.isVisible();
        click(d, 1111);
    });
    type(edit, "G a.mus");
    enter(edit, QEvent::KeyPress, 9'000'000, false);
    fe_.SetUnattended(true);

    EXPECT_TRUE(open_after_repeats) << "a held Enter or an unseen click answered the question";
    EXPECT_EQ(core::ItemCount, 1) << "the changes were dropped";
    EXPECT_NE(core::ChangesMadeFlag, 0);
}

// After a command the engine edits the next line itself (key mode): the characters typed reach
// its line editor. A Ctrl chord's control character never does, nor shows in the input line:
// the edit handles the chord (Ctrl+A selects the line, Ctrl+C copies, Ctrl+V pastes). The
// control characters the line editor takes as keys (Ctrl+G, H, K, M, W) are not in the table,
// nor the window's menu keys (Ctrl+N, O, P, S).
TEST_F(AppTest, ACtrlChordTypesNoControlCharacterIntoTheLine) {
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    ASSERT_NE(ActiveView(), nullptr);
    ASSERT_NE(ActiveView()->KeyMode, 0) << "the engine edits no line after a command";
    type(edit, "abc");
    ASSERT_EQ(core::LineEditorLength, 3);
    ASSERT_EQ(f.CommandBar()->InputText(), QStringLiteral("abc"));
    const auto no_control_character = [](const QString& text) {
        return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 32; });
    };
    for (const char letter : std::string("ABCDEFIJLQRTUVXYZ")) {
        SCOPED_TRACE(std::string("Ctrl+") + letter);
        press(edit, Qt::Key_A + (letter - 'A'), QString(QChar(letter - 'A' + 1)),
              Qt::ControlModifier);
        EXPECT_TRUE(no_control_character(f.CommandBar()->InputText()))
            << f.CommandBar()->InputText().toStdString();
        EXPECT_EQ(core::LineEditorLength, 3) << "the engine's line took a character";
    }
    // Ctrl+A: the line selected, as the edit does by itself; then copied and pasted back.
    f.CommandBar()->SetInputText(QStringLiteral("abc"), 3, 3);
    press(edit, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    auto* input = f.CommandBar()->InputEdit();
    EXPECT_EQ(input->textCursor().selectedText(), QStringLiteral("abc"));
    press(edit, Qt::Key_C, QStringLiteral("\x03"), Qt::ControlModifier);
    input->moveCursor(QTextCursor::End);
    press(edit, Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(f.CommandBar()->InputText(), QStringLiteral("abcabc"));
    // The keys the line editor takes still reach it: Backspace takes the last character back.
    press(edit, Qt::Key_Backspace, QStringLiteral("\x08"));
    EXPECT_EQ(core::LineEditorLength, 2);
}
