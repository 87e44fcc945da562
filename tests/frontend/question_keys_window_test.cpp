// Keys typed while a question or a notice box is up, each stamped as the window system stamps
// it: the characters of the next line (the blank included) go to the command bar whenever they
// come, and only a key that answers (Y or N alone, Enter, Escape) closes the box.
#include <QDeadlineTimer>
#include <QLabel>
#include <QTimer>
#include <filesystem>
#include <string>

#include "engine/core/tables.h"
#include "frontend/bridge/keys.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/stamped_keys.h"

using namespace frontend;
namespace fs = std::filesystem;
using stamped_keys::stroke_at;
using stamped_keys::type_at;

namespace {

// The widget of a box that takes its keys.
QWidget* keys_of(QDialog& d) { return d.focusWidget() != nullptr ? d.focusWidget() : &d; }

class QuestionKeysWindowTest : public AppTest {
  protected:
    // Types line into the command bar and ends it with an Enter stamped stamp, which sets the
    // window system's clock; a box the line opens is played by the answer set before.
    void run_stamped(QWidget* edit, const QString& line, quint64 stamp) {
        type(edit, line);
        stroke_at(edit, Qt::Key_Return, QStringLiteral("\r"), stamp);
    }
    // Lets the event loop run until done holds (the held keys reach their widget), at most
    // 20 seconds.
    static bool comes(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(20000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    // A letter typed alone answers only once the typing gap has shown that no other key
    // follows it: the box's own loop answers it then, as the window's would. A box still up
    // 20 s later is closed, and not_answered says so.
    static void await_answer(QDialog& d, bool& not_answered) {
        if (!d.isVisible()) return;
        QTimer::singleShot(20000, &d, [&d, &not_answered] {
            not_answered = true;
            d.reject();
        });
    }
    // Whether the box is still up after the typing gap has passed for certain (a box that would
    // close has done so by then, unless the machine is slow, which only makes this pass).
    static bool stays_up(QDialog& d) {
        const QDeadlineTimer deadline(400);
        while (d.isVisible() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return d.isVisible();
    }
};

// The yes/no question of G with unsaved changes and the OK notice of UNDO with nothing to take
// back, each with the next line "SA NAME" and its Enter typed 0.1, 0.5 and 1.5 s after the box
// came up: the box stays up with the blank too, the answer given later is the one typed alone
// (N keeps the page, Enter closes the notice), and then the whole line runs on the page kept.
struct LineCase {
    bool question;  // else the notice
    int after_ms;
    int enter_gap_ms = 6;  // from the line's last character to its Enter
};

class LineWhileBoxUpTest : public QuestionKeysWindowTest,
                           public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineWhileBoxUpTest, ReachesTheCommandBarWhole) {
    const LineCase c = GetParam();
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    const std::string name = (c.question ? "k" : "u") + std::to_string(c.after_ms) + ".mus";
    quint64 clock = 7'000'000;
    if (!c.question) {
        // A save ends the undo history: UNDO then has nothing to take back.
        run_stamped(edit, QStringLiteral("SA first.mus"), clock);
        ASSERT_TRUE(fs::exists(dir_ / "first.mus"));
        clock += 100'000;
    }
    QString asked;
    bool up_after_line = false;
    QString bar_while_up;
    bool not_answered = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) asked += l->text();
        const quint64 shown = WindowSystemTimeNow();
        const QString line = QStringLiteral("SA ") + QString::fromStdString(name);
        type_at(keys_of(d), line, shown + c.after_ms);
        // An Enter after a pause ends the held line too: it never answers the box.
        stroke_at(keys_of(d), Qt::Key_Return, QStringLiteral("\r"),
                  shown + c.after_ms + 6 * (line.size() - 1) + c.enter_gap_ms);
        up_after_line = stays_up(d);
        bar_while_up = f.CommandBar()->InputText();
        // Read, then answered: the key typed alone, well after the line.
        stroke_at(keys_of(d), c.question ? Qt::Key_N : Qt::Key_Return,
                  c.question ? QStringLiteral("n") : QStringLiteral("\r"),
                  shown + c.after_ms + 2000);
        await_answer(d, not_answered);
    });
    run_stamped(edit, c.question ? QStringLiteral("G a.mus") : QStringLiteral("UNDO"), clock);
    fe_.SetUnattended(true);

    EXPECT_TRUE(asked.contains(c.question ? QStringLiteral("Unsaved entries or changes")
                                          : QStringLiteral("Nothing to UNDO")))
        << asked.toStdString();
    EXPECT_TRUE(up_after_line) << "a key of the line answered the box";
    EXPECT_TRUE(bar_while_up.isEmpty()) << bar_while_up.toStdString();
    EXPECT_FALSE(not_answered) << "the answer typed alone did not close the box";
    EXPECT_TRUE(comes([&] { return fs::exists(dir_ / name); }))
        << "the line did not run whole: " << f.CommandBar()->InputText().toStdString();
    EXPECT_EQ(core::ItemCount, 1) << "the page was replaced";
}

INSTANTIATE_TEST_SUITE_P(QuestionKeys, LineWhileBoxUpTest,
                         ::testing::Values(LineCase{true, 100}, LineCase{true, 500},
                                           LineCase{true, 1500}, LineCase{false, 100},
                                           LineCase{false, 500}, LineCase{false, 1500},
                                           LineCase{true, 500, 151}, LineCase{true, 1500, 900},
                                           LineCase{false, 1500, 900}),
                         [](const ::testing::TestParamInfo<LineCase>& i) {
                             return (i.param.question ? "Question" : "Notice") +
                                    std::to_string(i.param.after_ms) + "ms" +
                                    (i.param.enter_gap_ms > 6
                                         ? "EnterAfter" + std::to_string(i.param.enter_gap_ms)
                                         : std::string());
                         });

// The answers of the yes/no question typed alone: the blank presses no button (it waits for
// the command bar), Y answers Yes and loads the file; N, Escape and Enter as their buttons do.
struct AnswerCase {
    const char* name;
    int key;
    const char* text;
    int items_after;  // 3: a.mus loaded, 1: the unsaved page kept
};

class AnswerKeyTest : public QuestionKeysWindowTest,
                      public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerKeyTest, AloneClosesTheQuestion) {
    const AnswerCase c = GetParam();
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    bool up_after_blank = false;
    bool up_after_answer = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        const quint64 shown = WindowSystemTimeNow();
        stroke_at(keys_of(d), Qt::Key_Space, QStringLiteral(" "), shown + 1500);
        up_after_blank = stays_up(d);
        stroke_at(keys_of(d), c.key, QString::fromLatin1(c.text), shown + 3000);
        await_answer(d, up_after_answer);
    });
    run_stamped(edit, QStringLiteral("G a.mus"), 8'000'000);
    fe_.SetUnattended(true);
    EXPECT_TRUE(up_after_blank) << "the blank answered the question";
    EXPECT_FALSE(up_after_answer) << "the key did not answer";
    EXPECT_EQ(core::ItemCount, c.items_after);
    // The blank waits in the command bar for the next line.
    EXPECT_TRUE(comes([&] { return f.CommandBar()->InputText() == QStringLiteral(" "); }))
        << f.CommandBar()->InputText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(QuestionKeys, AnswerKeyTest,
                         ::testing::Values(AnswerCase{"Y", Qt::Key_Y, "y", 3},
                                           AnswerCase{"N", Qt::Key_N, "N", 1},
                                           AnswerCase{"Escape", Qt::Key_Escape, "\x1b", 1},
                                           AnswerCase{"Enter", Qt::Key_Return, "\r", 3}),
                         [](const ::testing::TestParamInfo<AnswerCase>& i) {
                             return std::string(i.param.name);
                         });

// The keys of LJ's "Source Box O.K.? -" (Yes, No, Exit), typed into the box while it is up: Y
// and N alone answer Yes and No; Enter takes Yes, Escape Exit. A Y (or an X: Exit has no letter)
// right after held characters, or X alone, is held for the command bar with them and the box
// stays up until Escape. Yes justifies the system, No asks for the box again, Exit ends LJ.
enum class BoxAnswer { Yes, No, Exit };

struct BoxKeyCase {
    const char* name;
    const char* held;  // typed in one burst before the key (empty: the key is typed alone)
    int key;
    const char* text;
    bool closes;  // else the box stays up, and Escape typed alone later closes it
    BoxAnswer answer;
};

class BoxQuestionKeyTest : public QuestionKeysWindowTest,
                           public ::testing::WithParamInterface<BoxKeyCase> {};

TEST_P(BoxQuestionKeyTest, AnswersTheSourceBoxQuestion) {
    const BoxKeyCase c = GetParam();
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    run_stamped(edit, QStringLiteral("LJ"), 9'000'000);
    ASSERT_EQ(core::PendingBoxOperation, 8) << f.CommandBar()->MessageText().toStdString();
    QString asked;
    bool closed_by_key = false;
    bool not_answered = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        for (const QLabel* l : d.findChildren<QLabel*>()) asked += l->text();
        const quint64 shown = WindowSystemTimeNow();
        const QString held = QString::fromLatin1(c.held);
        type_at(keys_of(d), held, shown + 1500);
        stroke_at(keys_of(d), c.key, QString::fromLatin1(c.text), shown + 1500 + 6 * held.size());
        if (c.closes) {
            await_answer(d, not_answered);
            return;
        }
        closed_by_key = !stays_up(d);
        if (!closed_by_key)
            stroke_at(keys_of(d), Qt::Key_Escape, QStringLiteral("\x1b"), shown + 4000);
        if (d.isVisible()) d.reject();
    });
    run_stamped(edit, QStringLiteral("1 1"), 9'100'000);
    fe_.SetUnattended(true);
    if (c.closes) closed_by_key = !not_answered;

    EXPECT_TRUE(asked.contains(QStringLiteral("Source Box O.K.?"))) << asked.toStdString();
    EXPECT_EQ(closed_by_key, c.closes);
    const std::string reply = f.CommandBar()->MessageText().toStdString();
    switch (c.answer) {
        case BoxAnswer::Yes:
            EXPECT_EQ(core::PendingBoxOperation, 0);
            EXPECT_NE(reply.find("has"), std::string::npos) << "not justified: " << reply;
            break;
        case BoxAnswer::No:
            EXPECT_EQ(core::PendingBoxOperation, 8);
            EXPECT_NE(reply.find("Enter Lowest Staff#"), std::string::npos) << reply;
            break;
        case BoxAnswer::Exit:
            EXPECT_EQ(core::PendingBoxOperation, 0);
            EXPECT_EQ(reply.find("has"), std::string::npos) << "justified: " << reply;
            break;
    }
    // What the box did not take waits in the command bar for the next line.
    const QString bar = c.closes ? QString() : QString::fromLatin1(c.held) + QLatin1String(c.text);
    EXPECT_TRUE(comes([&] { return f.CommandBar()->InputText() == bar; }))
        << f.CommandBar()->InputText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    QuestionKeys, BoxQuestionKeyTest,
    ::testing::Values(BoxKeyCase{"Y", "", Qt::Key_Y, "Y", true, BoxAnswer::Yes},
                      BoxKeyCase{"LowerY", "", Qt::Key_Y, "y", true, BoxAnswer::Yes},
                      BoxKeyCase{"N", "", Qt::Key_N, "N", true, BoxAnswer::No},
                      BoxKeyCase{"LowerN", "", Qt::Key_N, "n", true, BoxAnswer::No},
                      BoxKeyCase{"Enter", "", Qt::Key_Return, "\r", true, BoxAnswer::Yes},
                      BoxKeyCase{"Escape", "", Qt::Key_Escape, "\x1b", true, BoxAnswer::Exit},
                      BoxKeyCase{"YAfterHeld", "ka", Qt::Key_Y, "y", false, BoxAnswer::Exit},
                      BoxKeyCase{"NAfterHeld", "K", Qt::Key_N, "N", false, BoxAnswer::Exit},
                      BoxKeyCase{"XAlone", "", Qt::Key_X, "x", false, BoxAnswer::Exit},
                      BoxKeyCase{"WordFromN", "Not", Qt::Key_E, "e", false, BoxAnswer::Exit},
                      BoxKeyCase{"WordFromY", "y", Qt::Key_E, "e", false, BoxAnswer::Exit}),
    [](const ::testing::TestParamInfo<BoxKeyCase>& i) { return std::string(i.param.name); });

// Y and N answer "Clear or Load new file?" only when typed alone: a key typed within the typing
// gap (150 ms) after it makes it the first letter of a word, held whole for the command bar
// with the rest; a later key lets it answer and then goes to the command bar. A letter typed
// before the box could be seen is held, as every key typed ahead is. A box still up after the
// keys is answered No by an N typed alone later.
struct LoneLetterCase {
    const char* name;
    int start_ms;        // the letter's stamp, from the box's showing
    const char* letter;  // "N", "y" ...
    int gap_ms;          // from the letter to the rest
    const char* rest;    // typed a key every 6 ms ("\r": Enter)
    bool stays_up;
    int items_after;    // 3: a.mus loaded (Yes), 1: the page kept (No)
    const char* bar;    // the command bar at the end (an Enter held with the line ran it)
    int items_ran = 0;  // items the held line adds once it runs after the box
};

class LoneLetterTest : public QuestionKeysWindowTest,
                       public ::testing::WithParamInterface<LoneLetterCase> {};

TEST_P(LoneLetterTest, AnswersOnlyWhenNoKeyFollowsWithinTheGap) {
    const LoneLetterCase c = GetParam();
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    bool up = false;
    bool not_answered = false;
    QString bar_while_up;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        const quint64 shown = WindowSystemTimeNow();
        const QString letter = QString::fromLatin1(c.letter);
        stroke_at(keys_of(d), stamped_keys::key_of(letter.at(0)), letter, shown + c.start_ms);
        type_at(keys_of(d), QString::fromLatin1(c.rest), shown + c.start_ms + c.gap_ms);
        if (!c.stays_up) {
            await_answer(d, not_answered);
            return;
        }
        up = stays_up(d);
        if (up) {
            bar_while_up = f.CommandBar()->InputText();
            stroke_at(keys_of(d), Qt::Key_N, QStringLiteral("n"), shown + c.start_ms + 5000);
        }
        await_answer(d, not_answered);
    });
    run_stamped(edit, QStringLiteral("G a.mus"), 8'000'000);
    fe_.SetUnattended(true);
    EXPECT_EQ(up, c.stays_up);
    EXPECT_FALSE(not_answered) << "no key answered the box";
    EXPECT_TRUE(bar_while_up.isEmpty()) << bar_while_up.toStdString();
    EXPECT_TRUE(comes([&] {
        return core::ItemCount == c.items_after + c.items_ran &&
               f.CommandBar()->InputText() == QLatin1String(c.bar);
    })) << core::ItemCount
        << " items, bar: " << f.CommandBar()->InputText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    QuestionKeys, LoneLetterTest,
    ::testing::Values(LoneLetterCase{"NAlone", 1500, "N", 0, "", false, 1, ""},
                      LoneLetterCase{"YAlone", 1500, "y", 0, "", false, 3, ""},
                      LoneLetterCase{"WordFromN", 1500, "N", 6, "OTE RHW 1 80\r", true, 1, "", 1},
                      LoneLetterCase{"KeyAt149", 1500, "Y", 149, "a", true, 1, "Ya"},
                      LoneLetterCase{"KeyAt150", 1500, "Y", 150, "a", true, 1, "Ya"},
                      LoneLetterCase{"KeyAt151", 1500, "Y", 151, "a", false, 3, "a"},
                      LoneLetterCase{"EnterAt50", 1500, "n", 50, "\r", false, 1, ""},
                      LoneLetterCase{"TypedAhead", 100, "Y", 0, "", true, 1, "Y"}),
    [](const ::testing::TestParamInfo<LoneLetterCase>& i) { return std::string(i.param.name); });

// A Y held down answers Yes once: its repeats, past the typing gap, type nothing.
TEST_F(QuestionKeysWindowTest, AnAnswerLetterHeldDownAnswersOnce) {
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    bool not_answered = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        const quint64 shown = WindowSystemTimeNow();
        for (const quint64 at : {shown + 1500, shown + 2000, shown + 2033}) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"),
                           at != shown + 1500);
            down.setTimestamp(at);
            QCoreApplication::sendEvent(keys_of(d), &down);
        }
        await_answer(d, not_answered);
    });
    run_stamped(edit, QStringLiteral("G a.mus"), 8'000'000);
    fe_.SetUnattended(true);
    EXPECT_FALSE(not_answered);
    EXPECT_EQ(core::ItemCount, 3);
    // Given a turn of the event loop, a held repeat would reach the command bar.
    const QDeadlineTimer settle(300);
    while (!settle.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(f.CommandBar()->InputText().isEmpty()) << f.CommandBar()->InputText().toStdString();
}

// Letters the program makes carry no stamp: Y answers at once, as a click does.
TEST_F(QuestionKeysWindowTest, AnUnstampedLetterAnswersAtOnce) {
    CMainFrame& f = make_frame();
    QWidget* edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(shown_with_unsaved_staff(f, edit));
    bool closed_at_once = false;
    fe_.SetUnattended(false);
    answer_next_dialog([&](QDialog& d) {
        stroke_at(keys_of(d), Qt::Key_Y, QStringLiteral("y"), 0);
        closed_at_once = !d.isVisible();
        if (!closed_at_once) d.reject();
    });
    run_stamped(edit, QStringLiteral("G a.mus"), 8'000'000);
    fe_.SetUnattended(true);
    EXPECT_TRUE(closed_at_once);
    EXPECT_EQ(core::ItemCount, 3);
}

}  // namespace
