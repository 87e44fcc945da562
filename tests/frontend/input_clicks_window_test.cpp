// Clicks on the page while the input mode takes its lines in the window (offscreen): a click on
// the staff in the notes line writes the pitch and draws the note, a click on a note in the
// slurs line writes its column number, and the line goes on taking keys after the click.
#include <QAbstractButton>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <deque>
#include <string>

#include "engine/core/settings_tables.h"
#include "engine/input/mode/input_mode.h"
#include "engine/input/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/tables.h"
#include "frontend/app/ormest_app.h"
#include "frontend/bridge/display_decoder.h"
#include "frontend/view/ormest_view.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/input_mode_script.h"

using namespace frontend;

namespace {

using namespace input_mode_script;

int32_t p1(int32_t item) {
    const int32_t s = core::ItemStartTable(item);
    return core::ItemStore(s) >= 1.0f ? static_cast<int32_t>(core::ItemStore(s + 1)) : 0;
}
float word(int32_t item, int32_t k) {
    const int32_t s = core::ItemStartTable(item);
    return k <= static_cast<int32_t>(core::ItemStore(s)) ? core::ItemStore(s + k) : 0.0f;
}

class InputClicksWindowTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        CMainFrame& f = make_frame();
        ASSERT_NE(f.OnFileNew(), nullptr);
        f.resize(1000, 700);
        f.show();
        // The keys go where the window's focus is: its input edit, as after a start.
        edit()->setFocus();
        QApplication::processEvents();
        view_ = ActiveView();
        ASSERT_NE(view_, nullptr);
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
    QString edit_text() const { return frame_->CommandBar()->InputText(); }

    void run_typed(const QString& line) {
        frame_->CommandBar()->SetInputText(QString(), 0, 0);
        type(edit(), line);
        press(edit(), Qt::Key_Return, QStringLiteral("\r"));
    }
    void type_in_waits(const QString& text) {
        for (const QChar c : text) {
            script_.add(std::string("key ") + static_cast<char>(c.unicode()), key_wait_ready,
                        [this, c] { type_character(focused(), c); });
        }
    }
    // The device point of display point (x, y) as the engine draws it.
    QPoint device_of(int32_t x, int32_t y) const {
        const int32_t ex = x + render::ViewOrigin.x;
        const int32_t ey = y - render::ViewOrigin.y;
        return view_->PageToDevice(
            QPoint(EngineToPage(ex, DisplayScale), EngineToPage(ey, DisplayScale)));
    }
    // A click at P3 x and vertical step v of staff 1, as the mouse gives it.
    void click_at(float x, float v) {
        const float scale = layout::StaffTables.StaffScale(1);
        const QPoint at =
            device_of(static_cast<int32_t>(x * 150.0f),
                      layout::StaffTables.StaffBaseY(1) + static_cast<int32_t>(v * 7.0f * scale));
        // A press on the page gives the focus to the document's window, as the window system
        // does; then the press and release as the mouse gives them.
        QWidget* page = view_->viewport();
        for (QWidget* w = view_->parentWidget(); w != nullptr; w = w->parentWidget()) {
            if (auto* child = qobject_cast<QMdiSubWindow*>(w)) {
                child->setFocus(Qt::MouseFocusReason);
                break;
            }
        }
        QMouseEvent down(QEvent::MouseButtonPress, at, page->mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, page->mapToGlobal(at), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(page, &up);
    }
    void click_in_wait(std::string name, float x, float v) {
        script_.add(std::move(name), key_wait_ready, [this, x, v] { click_at(x, v); });
    }
    void answer(std::string name, const char* dialog_child, const char* button) {
        script_.add(
            std::move(name), [dialog_child] { return dialog_with(dialog_child) != nullptr; },
            [dialog_child, button] { click(*dialog_with(dialog_child), button); });
    }
    bool run_input_command() {
        bool returned = false;
        fe_.SetUnattended(false);
        script_.start();
        watchdog_.start(6000);
        QTimer::singleShot(0, [&] {
            run_typed(QStringLiteral("IN 1"));
            returned = true;
            QCoreApplication::exit(0);
        });
        QCoreApplication::exec();
        watchdog_.stop();
        return returned;
    }

    // The widget of the main window that the keyboard types into.
    QWidget* focused() const { return frame_->focusWidget(); }

    COrmestView* view_ = nullptr;
    Script script_;
    QTimer watchdog_;
    bool timed_out_ = false;
};

}  // namespace

// A click on the bottom line of the treble staff in the notes line writes "E4/" and draws the
// note at once; the keys typed after it still go into the line, which ends with ";".
TEST_F(InputClicksWindowTest, AClickInTheNotesLineWritesThePitchAndTheLineGoesOn) {
    run_typed(QStringLiteral("EI"));
    run_typed(QStringLiteral("8 1 0"));
    ASSERT_EQ(core::ItemCount, 1);
    answer("spacing range", "c1673", "c1");
    QString before, after;
    QWidget* focus_after = nullptr;
    int32_t notes_after = -1;
    std::size_t drawn_before = 0, drawn_after = 0;
    script_.add("before", key_wait_ready, [&] {
        before = edit_text();
        drawn_before = render::decode_graphics_list().size();
    });
    click_in_wait("click", 60.0f, 3.0f);
    script_.add("after", key_wait_ready, [&] {
        after = edit_text();
        focus_after = focused();
        notes_after = core::ItemCount - 1;
        drawn_after = render::decode_graphics_list().size();
    });
    type_in_waits(QStringLiteral("G4/;"));
    // Rhythms: the line ends by itself after the last column.
    type_in_waits(QStringLiteral("Q/Q/"));
    answer("bar lines", "c1045", "c1046");
    type_in_waits(QStringLiteral("G"));
    script_.add("closing menu", key_wait_ready, [this] { type_character(focused(), 'X'); });
    answer("continue", "c1111", "c1111");

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_EQ(before, QString());
    EXPECT_EQ(after, QStringLiteral("E4/"));
    EXPECT_EQ(focus_after, edit());  // the keys go on into the line
    EXPECT_EQ(notes_after, 1);
    EXPECT_GT(drawn_after, drawn_before);
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(p1(2), 1);
    EXPECT_EQ(word(2, 4), 3.0f);  // E4: the bottom line
    EXPECT_EQ(word(3, 4), 5.0f);  // G4 typed after the click
    EXPECT_EQ(word(2, 7), 1.0f);
    expect_input_at_rest();
}

// In the slurs line a click on a note writes its column number, a second click the other end
// and "/"; the slur is made from them.
TEST_F(InputClicksWindowTest, ClicksOnNotesInTheSlursLineWriteTheirColumnNumbers) {
    run_typed(QStringLiteral("EI"));
    run_typed(QStringLiteral("8 1 0"));
    answer("spacing range", "c1673", "c1");
    type_in_waits(QStringLiteral("C4/D/E/F;"));
    type_in_waits(QStringLiteral("Q;"));
    answer("bar lines", "c1045", "c1046");
    type_in_waits(QStringLiteral(";;"));
    float x2 = 0.0f, x4 = 0.0f;
    script_.add("positions", key_wait_ready, [&] {
        x2 = word(3, 3);
        x4 = word(5, 3);
    });
    script_.add("click 2", key_wait_ready, [&] { click_at(x2, 2.0f); });
    script_.add("click 4", key_wait_ready, [&] { click_at(x4, 4.0f); });
    QString line;
    script_.add("line", key_wait_ready, [&] { line = edit_text(); });
    type_in_waits(QStringLiteral(";"));
    script_.add("closing menu", key_wait_ready, [this] { type_character(focused(), 'X'); });
    answer("continue", "c1111", "c1111");

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_EQ(line, QStringLiteral(" 2 4/"));
    ASSERT_EQ(core::ItemCount, 6);
    EXPECT_EQ(p1(6), 5);
    EXPECT_FLOAT_EQ(word(6, 3), x2);
    EXPECT_FLOAT_EQ(word(6, 6), x4);
    EXPECT_EQ(input::InputLines.slurs.trimmed(), "2 4;");
    expect_input_at_rest();
}

// On a page without staff 1, "IN 1" draws the new staff (with the input frame) before the first
// note, so that a click on its bottom line writes "E4/"; before the marks line the notes are
// numbered on the page.
TEST_F(InputClicksWindowTest, ANewStaffIsDrawnFirstAndTheColumnsAreNumberedBeforeTheMarks) {
    answer("spacing range", "c1673", "c1");
    int32_t frame = 0;
    float scale = 0.0f;
    script_.add("set up", key_wait_ready, [&] {
        frame = render::DisplayMarkWord;
        scale = layout::StaffTables.StaffScale(1);
    });
    click_in_wait("click", 60.0f, 3.0f);
    QString after;
    script_.add("after", key_wait_ready, [&] { after = edit_text(); });
    type_in_waits(QStringLiteral("G4/;"));
    type_in_waits(QStringLiteral("Q/Q/"));
    answer("bar lines", "c1045", "c1046");
    std::size_t with_numbers = 0, without = 0;
    script_.add("marks line", key_wait_ready, [&] {
        with_numbers = render::decode_graphics_list().size();
        render::redraw_items();
        without = render::decode_graphics_list().size();
        input::draw_column_marks();  // the page as it was
    });
    type_in_waits(QStringLiteral("G"));
    script_.add("closing menu", key_wait_ready, [this] { type_character(focused(), 'X'); });
    answer("continue", "c1111", "c1111");

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_EQ(frame, 1001);
    EXPECT_EQ(scale, 25.0f);
    EXPECT_EQ(after, QStringLiteral("E4/"));
    EXPECT_GT(with_numbers, without);
    EXPECT_EQ(render::DisplayMarkWord, 0);  // the frame goes with the run
    ASSERT_EQ(core::ItemCount, 3);
    EXPECT_EQ(word(2, 4), 3.0f);
    expect_input_at_rest();
}

// "Continue Input on Staff 002 ?" answered by Y after a notes line typed while the question is
// up: the line is not lost, it goes into the next staff's notes line. (An Enter typed after it
// would end that held line, not answer the question.)
TEST_F(InputClicksWindowTest, YAnswersTheContinueQuestionAndKeysTypedAheadReachTheNextLine) {
    run_typed(QStringLiteral("EI"));
    run_typed(QStringLiteral("8 1 0"));
    run_typed(QStringLiteral("8 2 0"));
    ASSERT_EQ(core::ItemCount, 2);
    answer("spacing range", "c1673", "c1");
    type_in_waits(QStringLiteral("C4;"));
    type_in_waits(QStringLiteral("Q;"));
    answer("bar lines", "c1045", "c1046");
    type_in_waits(QStringLiteral("G"));
    script_.add("closing menu", key_wait_ready, [this] { type_character(focused(), 'X'); });
    QString asked;
    script_.add(
        "continue by Y", [] { return dialog_with(QStringLiteral("c1111")) != nullptr; },
        [&] {
            QDialog& d = *dialog_with(QStringLiteral("c1111"));
            asked = d.findChild<QLabel*>(QStringLiteral("c1044"))->text();
            QWidget* at = d.focusWidget() != nullptr ? d.focusWidget() : &d;
            for (const QChar c : QStringLiteral("E4/")) type_character(at, c);
            press(at, Qt::Key_Y, QStringLiteral("y"));
        });
    answer("spacing range 2", "c1673", "c1");
    int32_t staff2_notes = -1;
    QString staff2_line;
    const auto notes_on = [](float staff) {
        int32_t n = 0;
        for (int32_t k = 1; k <= core::ItemCount; ++k) n += p1(k) == 1 && word(k, 2) == staff;
        return n;
    };
    script_.add(
        "typed ahead", [&] { return key_wait_ready() && notes_on(2.0f) == 1; },
        [&] {
            staff2_notes = notes_on(2.0f);
            staff2_line = edit_text();
            type_character(focused(), ';');
        });
    type_in_waits(QStringLiteral("Q;"));
    answer("bar lines 2", "c1045", "c1046");
    type_in_waits(QStringLiteral("G"));
    script_.add("closing menu 2", key_wait_ready, [this] { type_character(focused(), 'X'); });
    answer("no more", "c1111", "c1111");

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_EQ(asked, QStringLiteral("Continue Input on Staff 002 ?"));
    EXPECT_EQ(staff2_notes, 1);
    EXPECT_EQ(staff2_line, QStringLiteral("E4/"));
    EXPECT_EQ(notes_on(2.0f), 1);
    EXPECT_EQ(notes_on(1.0f), 1);
    expect_input_at_rest();
}

// The closing menu's three lines are shown whole in the message line, none cut off below.
TEST_F(InputClicksWindowTest, TheClosingMenuShowsAllItsLines) {
    frame_->resize(1280, 900);
    run_typed(QStringLiteral("EI"));
    run_typed(QStringLiteral("8 1 0"));
    answer("spacing range", "c1673", "c1");
    type_in_waits(QStringLiteral("C4/D;"));
    type_in_waits(QStringLiteral("Q/Q/"));
    answer("bar lines", "c1045", "c1046");
    type_in_waits(QStringLiteral("G"));
    QString menu;
    int shown_lines = 0;
    int menu_lines = 0;
    script_.add("closing menu", key_wait_ready, [&] {
        QPlainTextEdit* line = frame_->CommandBar()->MessageEdit();
        menu = line->toPlainText();
        // Each text line as the edit's width wraps it.
        const int width = line->viewport()->width() -
                          2 * static_cast<int>(line->document()->documentMargin());
        for (const QString& text : menu.split(QLatin1Char('\n'))) {
            const QRect r = line->fontMetrics().boundingRect(QRect(0, 0, width, 10000),
                                                             Qt::TextWordWrap, text);
            menu_lines += std::max(1, r.height() / line->fontMetrics().lineSpacing());
        }
        shown_lines = (line->viewport()->height() -
                       2 * static_cast<int>(line->document()->documentMargin())) /
                      line->fontMetrics().lineSpacing();
        type_character(focused(), 'X');
    });
    answer("continue", "c1111", "c1111");

    ASSERT_TRUE(run_input_command()) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step();
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_TRUE(menu.contains(QStringLiteral("X = Exit from input mode."))) << menu.toStdString();
    EXPECT_EQ(menu.count(QLatin1Char('\n')), 2) << menu.toStdString();
    EXPECT_GE(menu_lines, 3);
    EXPECT_LE(menu_lines, shown_lines) << menu.toStdString();
}
