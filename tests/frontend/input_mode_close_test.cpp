// Closing the main window while the input mode waits for a key: the close ends the run at once
// (the notes finished so far stay), the call returns, and the put-off close then asks about the
// page as any close does. A refused close leaves the program working.
#include <QAbstractButton>
#include <QMessageBox>
#include <deque>
#include <string>

#include "engine/core/settings_tables.h"
#include "engine/input/tables.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/input_mode_script.h"

using namespace frontend;

namespace {

using namespace input_mode_script;

QDialog* range_dialog() { return dialog_with(QStringLiteral("c1673")); }
void click_ok(QDialog& d) { click(d, QStringLiteral("c1")); }

int32_t notes_in_store() {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        n += core::ItemStore(s) >= 1.0f && static_cast<int32_t>(core::ItemStore(s + 1)) == 1;
    }
    return n;
}

class InputModeCloseTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        CMainFrame& f = make_frame();
        ASSERT_NE(f.OnFileNew(), nullptr);
        f.show();
        // The notice of "EI" is answered unattended; the staff the run enters notes on.
        run_typed(QStringLiteral("EI"));
        run_typed(QStringLiteral("8 1 0"));
        ASSERT_EQ(core::ItemCount, 1);
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] {
            timed_out_ = true;
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            QCoreApplication::exit(0);
        });
    }
    void TearDown() override {
        watchdog_.stop();
        fe_.SetUnattended(true);
        AppTest::TearDown();
    }

    QWidget* edit() const { return frame_->CommandBar()->InputEdit(); }

    void run_typed(const QString& line) {
        frame_->CommandBar()->SetInputText(QString(), 0, 0);
        type(edit(), line);
        press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    }

    void type_in_waits(const QString& text) {
        for (const QChar c : text) {
            script_.add(std::string("key ") + static_cast<char>(c.unicode()), key_wait_ready,
                        [this, c] { type_character(edit(), c); });
        }
    }

    // The spacing range dialog answered OK, then the notes typed key by key.
    void start_run_with(const QString& notes) {
        script_.add(
            "spacing range", [] { return range_dialog() != nullptr; },
            [] { click_ok(*range_dialog()); });
        type_in_waits(notes);
    }

    // Runs "IN 1" from the command bar inside the application's loop; the script plays in the
    // call's waits and afterwards. The script ends the loops with exit, not quit: quit first
    // closes the windows, and a refused close would cancel it. The loop ends when the script has
    // ended it (or the last window closed). True when the call came back.
    bool run_input_command() {
        returned_ = false;
        fe_.SetUnattended(false);
        script_.start();
        watchdog_.start(6000);
        QTimer::singleShot(0, [this] {
            run_typed(QStringLiteral("IN 1"));
            returned_ = true;
        });
        QCoreApplication::exec();
        watchdog_.stop();
        fe_.SetUnattended(true);
        return returned_;
    }

    // Closes the main window at the next key wait; what is seen right after the close.
    void close_at_key_wait() {
        script_.add("close", key_wait_ready, [this] {
            notes_before_close_ = notes_in_store();
            items_before_close_ = core::ItemCount;
            EXPECT_TRUE(frame_->close() == false);  // put off: the call still runs
            visible_after_close_ = frame_->isVisible();
        });
    }

    Script script_;
    QTimer watchdog_;
    bool timed_out_ = false;
    bool returned_ = false;
    int32_t notes_before_close_ = -1;
    int32_t items_before_close_ = -1;
    bool visible_after_close_ = false;
};

}  // namespace

// The close ends the notes line at once: the run, ended before its rhythms line, adds nothing
// (the page is the staff alone again), the call returns, the page question is asked (answered
// No) and the window closes.
TEST_F(InputModeCloseTest, ClosingTheWindowDuringTheNotesLineEndsTheRunAndCloses) {
    start_run_with(QStringLiteral("TR/C4/E/G"));
    close_at_key_wait();
    script_.add(
        "window closed", [this] { return returned_ && !frame_->isVisible(); },
        [] { QCoreApplication::exit(0); });

    EXPECT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_TRUE(visible_after_close_);
    EXPECT_EQ(notes_before_close_, 2);
    EXPECT_GT(items_before_close_, 1);
    EXPECT_EQ(notes_in_store(), 0);
    EXPECT_EQ(core::ItemCount, 1);
    expect_input_at_rest();
    ASSERT_EQ(questions_.size(), 1u);
    EXPECT_EQ(questions_[0].rfind("Save changes to ", 0), 0u) << questions_[0];
    EXPECT_FALSE(frame_->isVisible());
}

// Cancel in "Save changes?": the window stays, the run has ended, and the program goes on
// working: a typed item is entered, and "IN 1" runs again with its dialog and key waits.
TEST_F(InputModeCloseTest, ARefusedCloseEndsTheRunButLeavesTheProgramWorking) {
    SetSaveQuestionHook([this](const QString& text) {
        questions_.push_back(text.toStdString());
        return static_cast<int>(QMessageBox::Cancel);
    });
    start_run_with(QStringLiteral("TR/C4/E/"));
    close_at_key_wait();
    script_.add(
        "close refused", [this] { return returned_ && !questions_.empty(); },
        [] { QCoreApplication::exit(0); });

    EXPECT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_EQ(notes_before_close_, 2);
    EXPECT_EQ(notes_in_store(), 0);  // ended before its rhythms line, the run added nothing
    expect_input_at_rest();
    EXPECT_EQ(questions_.size(), 1u);
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_EQ(core::ApplicationClosingWord, 0);
    EXPECT_FALSE(fe_.ApplicationClosing());

    // A following command.
    const int32_t items = core::ItemCount;
    run_typed(QStringLiteral("8 2 0"));
    EXPECT_EQ(core::ItemCount, items + 1);

    // A following run: its dialog comes up and its key waits take notes again.
    bool dialog_seen = false;
    script_.add(
        "spacing range again", [] { return range_dialog() != nullptr; },
        [&] {
            dialog_seen = true;
            click_ok(*range_dialog());
        });
    type_in_waits(QStringLiteral("TR/C4/"));
    int32_t notes_in_second_run = -1;
    script_.add("quit", key_wait_ready, [&] {
        notes_in_second_run = notes_in_store();
        QCoreApplication::exit(0);
    });
    EXPECT_TRUE(run_input_command()) << "the second call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_TRUE(dialog_seen);
    EXPECT_EQ(notes_in_second_run, 1);
    expect_input_at_rest();
}
