// The input mode in the window (offscreen): "IN 1" typed into the command bar runs the whole
// mode inside one engine call; its dialogs are answered as a user would, the notes are typed key
// by key into the bar's input edit, and each finished note is stored and drawn while the call
// still waits. A run ends by abandoning it or by the application quitting.
#include <QAbstractButton>
#include <QLabel>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/undo.h"
#include "engine/core/settings_tables.h"
#include "engine/input/tables.h"
#include "engine/render/page/output_lists.h"
#include "frontend/app/ormest_app.h"
#include "platform/paths.h"
#include "tests/frontend/frontend_fixture.h"
#include "tests/frontend/input_mode_script.h"

using namespace frontend;

namespace {

using namespace input_mode_script;

QString question_of(QDialog& d) {
    auto* label = d.findChild<QLabel*>(QStringLiteral("c1044"));
    return label == nullptr ? QString() : label->text();
}

int32_t p1(int32_t item) {
    const int32_t s = core::ItemStartTable(item);
    return core::ItemStore(s) >= 1.0f ? static_cast<int32_t>(core::ItemStore(s + 1)) : 0;
}

int32_t notes_in_store() {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) n += p1(k) == 1;
    return n;
}

// The durations (P8) of the notes in the store, in store order.
std::vector<float> note_durations_in_store() {
    std::vector<float> durations;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (p1(k) == 1) durations.push_back(core::ItemStore(core::ItemStartTable(k) + 7));
    }
    return durations;
}

// What the window and the engine showed at one moment of the run.
struct Moment {
    int32_t items = -1;
    int32_t notes = -1;
    int32_t last_kind = 0;  // P1 of the last item
    std::size_t drawn = 0;
    QString edit;
    int32_t depth = -1;
};

class InputModeWindowTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        ASSERT_TRUE(start_engine_with_data()) << "ORMEST_HOME names the data folder";
        // As the window does after the start: it takes the help path the start left for it.
        frontend::TakeHelpPath();
        make_bar();
        // A run that stops answering fails here instead of holding the test program: quitting
        // ends every wait and every later one.
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] {
            timed_out_ = true;
            for (const auto& box : fe_.message_boxes) shown_ += box + " | ";
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            QCoreApplication::quit();
        });
    }
    void TearDown() override {
        watchdog_.stop();
        fe_.SetUnattended(true);
        FrontEndTest::TearDown();
    }

    Moment moment() const {
        Moment m;
        m.items = core::ItemCount;
        m.notes = notes_in_store();
        m.last_kind = core::ItemCount > 0 ? p1(core::ItemCount) : 0;
        m.drawn = render::decode_graphics_list().size();
        m.edit = bar_->InputText();
        m.depth = EngineCallDepth();
        return m;
    }

    // Types text into the input edit as the keys of a keyboard, one key per wait.
    void type_in_waits(const QString& text) {
        for (const QChar c : text) {
            script_.add(std::string("key ") + static_cast<char>(c.unicode()), key_wait_ready,
                        [this, c] { type_character(edit(), c); });
        }
    }
    void take_moment(std::string name, Moment& into) {
        script_.add(std::move(name), key_wait_ready, [this, &into] { into = moment(); });
    }

    // At the rhythms line: the moment and the notes line taken, then Esc leaves the run through
    // its abandon question and the continue question, each answered by its button.
    void leave_at_rhythms_line(Moment& at_rhythms, std::string& notes_line) {
        script_.add("rhythms line", key_wait_ready, [this, &at_rhythms, &notes_line] {
            at_rhythms = moment();
            notes_line = input::InputLines.notes.trimmed();
        });
        press_esc_and_abandon();
        script_.add(
            "continue", [] { return dialog_with(QStringLiteral("c1111")) != nullptr; },
            [] { click(*dialog_with(QStringLiteral("c1111")), QStringLiteral("c1111")); });
    }

    // The spacing range dialog is answered with its first button.
    void answer_spacing_range() {
        script_.add(
            "spacing range", [] { return dialog_with(QStringLiteral("c1673")) != nullptr; },
            [] { click(*dialog_with(QStringLiteral("c1673")), QStringLiteral("c1")); });
    }
    // The bar lines question is answered No.
    void answer_no_bar_lines() {
        script_.add(
            "bar lines", [] { return dialog_with(QStringLiteral("c1045")) != nullptr; },
            [] { click(*dialog_with(QStringLiteral("c1045")), QStringLiteral("c1046")); });
    }
    // Esc in the waiting line, then Yes to "Abandon input?".
    void press_esc_and_abandon() {
        script_.add("Esc", key_wait_ready,
                    [this] { press(edit(), Qt::Key_Escape, QStringLiteral("\x1b")); });
        script_.add(
            "abandon", [] { return dialog_with(QStringLiteral("c1045")) != nullptr; },
            [] { click(*dialog_with(QStringLiteral("c1045")), QStringLiteral("c1045")); });
    }
    // What the marks line finds after a rhythms line typed into the bar: the rhythms line as
    // kept and the stored notes' durations.
    struct RhythmsAtMarksLine {
        std::string line;
        std::vector<float> durations;
    };
    // A whole run typed into the bar's waits: the notes and rhythms lines, No to bar lines;
    // at the marks line the kept rhythms and the durations are read, then Esc abandons the run.
    RhythmsAtMarksLine rhythms_at_marks_line(const QString& notes, const QString& rhythms) {
        RhythmsAtMarksLine seen;
        enter_staff();
        answer_spacing_range();
        type_in_waits(notes);
        type_in_waits(rhythms);
        answer_no_bar_lines();
        script_.add("marks line", key_wait_ready, [&seen] {
            seen.line = input::InputLines.rhythms.trimmed();
            seen.durations = note_durations_in_store();
        });
        press_esc_and_abandon();
        EXPECT_TRUE(run_input_command()) << "the call did not come back";
        expect_script_played();
        return seen;
    }

    // The run neither got stuck nor left a step of the script unplayed.
    void expect_script_played() {
        EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step()
                                 << "; boxes: " << shown_;
        EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    }

    // Enters a staff through the command bar as typed lines, without the edit form (the notice
    // of "EI" is answered unattended).
    void enter_staff() {
        run_typed("EI");
        run_typed("8 1 0");
        ASSERT_EQ(core::ItemCount, 1);
        ASSERT_EQ(p1(1), 8);
    }

    // Types line and the main Enter into the input edit: the bar runs the line through the gate.
    void run_typed(const QString& line) {
        bar_->SetInputText(QString(), 0, 0);
        type(edit(), line);
        press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    }

    // Runs "IN 1" from the command bar inside the application's loop, the script playing in the
    // engine call's waits; true when the call came back before the application's loop ended.
    bool run_input_command(const QString& command = QStringLiteral("IN 1")) {
        bool returned = false;
        fe_.SetUnattended(false);  // the dialogs are up and answered by the script
        script_.start();
        watchdog_.start(4000);
        QTimer::singleShot(0, [&] {
            run_typed(command);
            returned = true;
            QCoreApplication::quit();
        });
        QCoreApplication::exec();
        watchdog_.stop();
        return returned;
    }

    Script script_;
    QTimer watchdog_;
    bool timed_out_ = false;
    std::string shown_;  // the message boxes, when the run got stuck
};

}  // namespace

// The notes typed into the bar are stored and drawn as each is finished; Esc in the rhythms line
// and Yes to "Abandon input?" put the page back as it was before "IN 1".
TEST_F(InputModeWindowTest, NotesTypedIntoTheBarAreDrawnAtOnceAndAbandoningRestoresThePage) {
    enter_staff();
    bool range_dialog = false;
    script_.add(
        "spacing range", [] { return dialog_with(QStringLiteral("c1673")) != nullptr; },
        [&] {
            range_dialog = true;
            click(*dialog_with(QStringLiteral("c1673")), QStringLiteral("c1"));
        });
    Moment at_start, before_note, after_note, at_line_end;
    take_moment("at start", at_start);
    type_in_waits(QStringLiteral("TR/C4"));
    take_moment("before the slash", before_note);
    type_in_waits(QStringLiteral("/"));
    take_moment("after C4/", after_note);
    type_in_waits(QStringLiteral("E/G/C5;"));
    take_moment("rhythms line", at_line_end);
    script_.add("Esc", key_wait_ready,
                [this] { press(edit(), Qt::Key_Escape, QStringLiteral("\x1b")); });
    QString abandon_text;
    script_.add(
        "abandon", [] { return dialog_with(QStringLiteral("c1045")) != nullptr; },
        [&] {
            QDialog& d = *dialog_with(QStringLiteral("c1045"));
            abandon_text = question_of(d);
            click(d, QStringLiteral("c1045"));
        });
    QString continue_text;
    script_.add(
        "continue", [] { return dialog_with(QStringLiteral("c1111")) != nullptr; },
        [&] {
            QDialog& d = *dialog_with(QStringLiteral("c1111"));
            continue_text = question_of(d);
            click(d, QStringLiteral("c1111"));
        });

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    expect_script_played();
    EXPECT_TRUE(range_dialog);

    // The notes line waits inside the one engine call; the store holds the staff alone.
    EXPECT_EQ(at_start.depth, 1);
    EXPECT_EQ(at_start.items, 1);
    // The dialog's heading is not taken for the line's first command.
    EXPECT_EQ(at_start.edit, QString());
    // "C4" is not finished before its slash; the slash stores it and draws it at once.
    EXPECT_EQ(before_note.notes, 0);
    EXPECT_EQ(after_note.notes, 1);
    EXPECT_EQ(after_note.items, before_note.items + 1);
    EXPECT_EQ(after_note.last_kind, 1);
    EXPECT_GT(after_note.drawn, before_note.drawn);
    // The edit shows the engine's line, not the keys a second time.
    EXPECT_EQ(before_note.edit, QStringLiteral("TR/C4"));
    EXPECT_EQ(after_note.edit, QStringLiteral("TR/C4/"));
    // The whole notes line is in when the rhythms line waits.
    EXPECT_EQ(at_line_end.notes, 4);
    EXPECT_EQ(at_line_end.depth, 1);

    EXPECT_EQ(abandon_text, QStringLiteral("Abandon input?"));
    EXPECT_EQ(continue_text, QStringLiteral("Continue Input on Staff 002 ?"));
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(p1(1), 8);
    expect_input_at_rest();
}

// The range dialog's Cancel on a staff the page lacks leaves no staff item for it.
TEST_F(InputModeWindowTest, ACancelAtTheRangeLeavesNoNewStaff) {
    enter_staff();
    script_.add(
        "spacing range", [] { return dialog_with(QStringLiteral("c1673")) != nullptr; },
        [] { click(*dialog_with(QStringLiteral("c1673")), QStringLiteral("c2")); });
    EXPECT_TRUE(run_input_command(QStringLiteral("IN 2"))) << "the call did not come back";
    expect_script_played();
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(p1(1), 8);
    expect_input_at_rest();
}

// The application quits while the notes line waits: the run ends at once without a menu or a
// question, and, ended before its rhythms line, adds nothing.
TEST_F(InputModeWindowTest, QuittingWhileTheNotesLineWaitsAddsNothing) {
    enter_staff();
    answer_spacing_range();
    type_in_waits(QStringLiteral("TR/C4/E/G"));
    Moment before_quit;
    bool another_dialog = false;
    // The check below is tied to this test: if it has not run by the test's end, it never runs.
    QObject check_owner;
    script_.add("quit", key_wait_ready, [&] {
        before_quit = moment();
        // A question asked after the quit would show up here and be counted.
        QTimer::singleShot(0, &check_owner, [&] {
            if (QApplication::activeModalWidget() != nullptr) {
                another_dialog = true;
                QApplication::activeModalWidget()->close();
            }
        });
        QCoreApplication::quit();
    });

    EXPECT_TRUE(run_input_command()) << "the call did not come back";
    expect_script_played();
    EXPECT_FALSE(another_dialog);
    EXPECT_EQ(before_quit.notes, 2);
    // Ended before its rhythms line, the run adds nothing: the page the close asks about is the
    // staff alone.
    EXPECT_EQ(notes_in_store(), 0);
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::ApplicationClosingWord, 1);
    EXPECT_TRUE(fe_.ApplicationClosing());
    expect_input_at_rest();
}

// A notes line of 60 columns typed key by key: its live notes run past the page's bound from
// column 57 on, and a modal notice there would take the keys typed while it is up. No notice
// comes, and every key of the line arrives. A user who goes on typing while a notice is up is
// played too: the key goes to the input edit and the notice is closed.
TEST_F(InputModeWindowTest, SixtyLiveColumnsTypedIntoTheBarLoseNoKey) {
    enter_staff();
    answer_spacing_range();
    QString line = QStringLiteral("C4/");
    for (int k = 1; k < 60; ++k) line += QStringLiteral("D/");
    line.back() = QLatin1Char(';');
    int notices = 0;
    for (const QChar c : line) {
        script_.add(
            std::string("key ") + static_cast<char>(c.unicode()),
            [] { return key_wait_ready() || QApplication::activeModalWidget() != nullptr; },
            [this, c, &notices] {
                QWidget* modal = QApplication::activeModalWidget();
                type_character(edit(), c);
                if (modal != nullptr) {
                    ++notices;
                    modal->close();
                }
            });
    }
    Moment at_rhythms;
    std::string notes_line;
    leave_at_rhythms_line(at_rhythms, notes_line);

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    expect_script_played();
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(notes_line, line.toStdString());
    EXPECT_EQ(at_rhythms.notes, 60);
    EXPECT_EQ(at_rhythms.depth, 1);
    EXPECT_EQ(core::ItemCount, 1);
    expect_input_at_rest();
}

// Keys typed faster than the notes entry takes them (a burst delivered in one turn of the event
// loop, as a window system hands over queued keys) all arrive, in their order.
TEST_F(InputModeWindowTest, KeysTypedAheadOfTheNotesEntryAllArrive) {
    enter_staff();
    answer_spacing_range();
    const QString line = QStringLiteral("TR/C4/D/E/F/G/A/B/C5/D/E/F;");
    script_.add("burst", key_wait_ready, [this, line] {
        for (const QChar c : line) type_character(edit(), c);
    });
    Moment at_rhythms;
    std::string notes_line;
    leave_at_rhythms_line(at_rhythms, notes_line);

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    expect_script_played();
    EXPECT_EQ(notes_line, line.toStdString());
    EXPECT_EQ(at_rhythms.notes, 11);
    EXPECT_EQ(core::ItemCount, 1);
    expect_input_at_rest();
}

// A rhythm motive typed into the bar is stored at its "]" and played later in the same line,
// once as it stands and once halved: the line ends by itself after its last column, and the
// bar lines question and the marks line come next.
TEST_F(InputModeWindowTest, ARhythmMotiveTypedIntoTheBarPlaysLaterInItsLine) {
    const RhythmsAtMarksLine seen =
        rhythms_at_marks_line(QStringLiteral("C4/D/E/F/G/A;"), QStringLiteral("A[Q/E]/@A/@A2/"));
    EXPECT_EQ(seen.line, "A[Q/E]/@A/@A2;");
    EXPECT_EQ(seen.durations, (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f, 2.0f, 1.0f}));
    EXPECT_EQ(core::ItemCount, 1);
    expect_input_at_rest();
}

// A motive that closes the rhythms line's last column, typed key by key: the line ends with it,
// the motive is stored once (no question about its own file), and the bar lines question is next.
TEST_F(InputModeWindowTest, ARhythmMotiveClosingTheLastColumnIsStoredOnce) {
    const std::filesystem::path motive = platform::local_path(core::work_copy_name("A.MRH"));
    const std::filesystem::path other = platform::local_path(core::work_copy_name("B.MRH"));
    std::filesystem::remove(motive);
    std::filesystem::remove(other);
    enter_staff();
    answer_spacing_range();
    type_in_waits(QStringLiteral("C4/D;"));
    type_in_waits(QStringLiteral("A[H/W]/"));
    std::string question;
    script_.add(
        "bar lines", [] { return dialog_with(QStringLiteral("c1045")) != nullptr; },
        [&question] {
            QDialog& d = *dialog_with(QStringLiteral("c1045"));
            for (const QLabel* l : d.findChildren<QLabel*>()) question += l->text().toStdString();
            click(d, QStringLiteral("c1046"));
        });
    std::string rhythms_line;
    script_.add("marks line", key_wait_ready,
                [&] { rhythms_line = input::InputLines.rhythms.trimmed(); });
    press_esc_and_abandon();

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    expect_script_played();
    EXPECT_NE(question.find("bar lines"), std::string::npos) << question;
    EXPECT_EQ(rhythms_line, "A[H/W];");
    std::ifstream in(motive);
    std::string record;
    std::getline(in, record);
    EXPECT_EQ(record, "A[H/W]/");
    EXPECT_FALSE(std::filesystem::exists(other));
    expect_input_at_rest();
}

// A repeat of columns typed key by key into the bar: the space between its two numbers is kept
// ("X2 2" repeats the last two columns), and the line ends after its last column.
TEST_F(InputModeWindowTest, ARhythmRepeatTypedIntoTheBarKeepsItsSpace) {
    const RhythmsAtMarksLine seen =
        rhythms_at_marks_line(QStringLiteral("C4/D/E/F;"), QStringLiteral("Q/E/X2 2/"));
    EXPECT_EQ(seen.line, "Q/E/X2 2;");
    EXPECT_EQ(seen.durations, (std::vector<float>{1.0f, 0.5f, 1.0f, 0.5f}));
    expect_input_at_rest();
}

// A command file read by "RE" from the command bar: its refused slurs line is named in the
// message line and left out, and the file's SA after the run still saves the page.
TEST_F(InputModeWindowTest, ARefusedLineOfAReadFileIsLeftOutAndTheFileGoesOn) {
    enter_staff();
    const std::filesystem::path file = temp_dir() / "run.txt";
    const std::filesystem::path saved = temp_dir() / "read.mus";
    {
        std::ofstream out(file);
        out << "IN 2\n\nTR/C4/D/E/F;\nQ/Q/E/E;\n;\n3 4;\n1 2 3;\nSA " << saved.string() << "\n";
    }
    run_typed(QString::fromStdString("RE " + file.string()));
    std::string shown;
    for (const auto* texts : {&fe_.message_lines, &fe_.message_boxes, &gate_messages_})
        for (const std::string& text : *texts) shown += text + "\n";
    EXPECT_NE(shown.find("*** The slurs line was refused and left out: 1 2 3;"), std::string::npos)
        << shown;
    EXPECT_EQ(input::InputLines.slurs.trimmed(), ";");
    EXPECT_EQ(notes_in_store(), 4);
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(input::InputModeActive, 0);
}

// A command file read by "RE" whose input run is still open at the file's end: the run ends
// there, named, with its notes kept, and the bar's next line is a command again.
TEST_F(InputModeWindowTest, AReadFileEndingInsideItsInputRunEndsTheRun) {
    enter_staff();
    const std::filesystem::path file = temp_dir() / "short.txt";
    const std::filesystem::path saved = temp_dir() / "after.mus";
    {
        std::ofstream out(file);
        out << "IN 2\n\nTR/C4/D/E/F;\n";
    }
    run_typed(QString::fromStdString("RE " + file.string()));
    std::string shown;
    for (const auto* texts : {&fe_.message_lines, &fe_.message_boxes, &gate_messages_})
        for (const std::string& text : *texts) shown += text + "\n";
    const std::string notice = "*** The command file ended before this was answered: Type ";
    const std::size_t at = shown.find(notice);
    ASSERT_NE(at, std::string::npos) << shown;
    EXPECT_NE(shown.find("Rhythms >", at), std::string::npos) << shown;
    EXPECT_EQ(input::InputModeActive, 0);
    // Ended before its rhythms line, the run adds nothing: neither notes nor staff 2.
    EXPECT_EQ(notes_in_store(), 0);
    EXPECT_EQ(core::ItemCount, 1);
    run_typed(QString::fromStdString("SA " + saved.string()));
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(notes_in_store(), 0);
}
