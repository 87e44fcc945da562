// Keys typed at the input mode's closing menu in the window, one at a time and stamped as the
// window system stamps them: "LJ" typed as the answer is L (which justifies already), and its J
// never reaches the next staff's notes line, whether it comes at once, while the engine
// justifies or while "Continue Input on Staff 002 ?" is up. Other keys go on as typed.
#include <QLabel>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "frontend/app/ormest_app.h"
#include "frontend/bridge/keys.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/input_mode_script.h"
#include "tests/frontend/stamped_keys.h"

using namespace frontend;

namespace {

using namespace input_mode_script;

// Notes (code 1) stored on staff s.
int32_t notes_on_staff(int32_t s) {
    int32_t n = 0;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t at = core::ItemStartTable(k);
        n += core::ItemStore(at) >= 2.0f && static_cast<int32_t>(core::ItemStore(at + 1)) == 1 &&
             static_cast<int32_t>(core::ItemStore(at + 2)) == s;
    }
    return n;
}

// What the menu is given: keys typed at once as its answer, then keys typed while the continue
// question is up (each stamped after the menu's answer by its offset in ms).
struct TypedAt {
    const char* keys;
    int after_ms;
};

struct MenuKeysCase {
    const char* name;
    const char* at_menu;               // typed in one turn at the menu's wait
    std::vector<TypedAt> at_question;  // typed into the continue question, before its answer
    const char* held;        // what the next staff's notes line holds of the keys the question held
    const char* next_notes;  // then typed at that line, key by key
    const char* notes_line;  // the next staff's notes line as taken
};

void PrintTo(const MenuKeysCase& c, std::ostream* os) { *os << c.name; }

constexpr quint64 kRunStartsAt = 9'000'000;

class ClosingMenuKeysTest : public AppTest, public ::testing::WithParamInterface<MenuKeysCase> {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        CMainFrame& f = make_frame();
        ASSERT_NE(f.OnFileNew(), nullptr);
        f.show();
        f.activateWindow();
        // The keys a box holds go to the widget that had the keyboard: the bar's input edit.
        for (int k = 0; k < 200 && QApplication::focusWidget() != edit(); ++k) run_events(10);
        ASSERT_EQ(QApplication::focusWidget(), edit());
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] {
            timed_out_ = true;
            if (QWidget* modal = QApplication::activeModalWidget()) {
                for (const QLabel* l : modal->findChildren<QLabel*>())
                    boxes_ += l->text().toStdString() + " | ";
                modal->close();
            }
            QCoreApplication::exit(0);
        });
    }
    void TearDown() override {
        watchdog_.stop();
        fe_.SetUnattended(true);
        AppTest::TearDown();
    }

    QWidget* edit() const { return frame_->CommandBar()->InputEdit(); }

    // Each character typed as its key at the next key wait.
    void type_in_waits(const QString& text) {
        for (const QChar c : text) {
            script_.add(std::string("key ") + static_cast<char>(c.unicode()), key_wait_ready,
                        [this, c] { type_character(edit(), c); });
        }
    }
    void click_when_up(const char* name, const char* child, const char* button) {
        script_.add(
            name, [child] { return dialog_with(QString::fromLatin1(child)) != nullptr; },
            [child, button] {
                click(*dialog_with(QString::fromLatin1(child)), QString::fromLatin1(button));
            });
    }

    Script script_;
    QTimer watchdog_;
    bool timed_out_ = false;
    std::string boxes_;
};

TEST_P(ClosingMenuKeysTest, TheNextStaffGetsItsNotesAsTyped) {
    const MenuKeysCase c = GetParam();
    click_when_up("range", "c1673", "c1");
    type_in_waits(QStringLiteral("C4/D;"));
    type_in_waits(QStringLiteral("Q;"));
    click_when_up("bar lines", "c1045", "c1046");
    type_in_waits(QStringLiteral(";;;"));
    // The menu's answer is stamped now on the window system's clock, which the stamped Enter
    // of "IN 1" set going: keys stamped after it come that much later.
    quint64 answered_at = 0;
    script_.add("menu", key_wait_ready, [this, &c, &answered_at] {
        answered_at = WindowSystemTimeNow();
        quint64 at = answered_at;
        for (const QChar k : QString::fromLatin1(c.at_menu)) {
            stamped_keys::stroke_at(edit(), stamped_keys::key_of(k), QString(k), at);
            at += 6;
        }
    });
    std::string question;
    script_.add(
        "continue", [] { return dialog_with(QStringLiteral("c1110")) != nullptr; },
        [&c, &question, &answered_at] {
            QDialog& d = *dialog_with(QStringLiteral("c1110"));
            question = d.findChild<QLabel*>(QStringLiteral("c1044"))->text().toStdString();
            QWidget* keys = d.focusWidget() != nullptr ? d.focusWidget() : &d;
            for (const TypedAt& t : c.at_question)
                stamped_keys::type_at(keys, QString::fromLatin1(t.keys),
                                      answered_at + static_cast<quint64>(t.after_ms));
            // Y alone answers once the typing gap has shown nothing follows it.
            stamped_keys::stroke_at(keys, Qt::Key_Y, QStringLiteral("y"), answered_at + 3000);
        });
    click_when_up("next range", "c1673", "c1");
    // The keys the question held reach the notes line before the user types on.
    script_.add(
        "held keys in",
        [this, &c] {
            return key_wait_ready() && frame_->CommandBar()->InputText() == QLatin1String(c.held);
        },
        [] {});
    type_in_waits(QString::fromLatin1(c.next_notes));
    std::string notes_line;
    int32_t staff2_notes = -1;
    script_.add("rhythms line", key_wait_ready, [&] {
        notes_line = input::InputLines.notes.trimmed();
        staff2_notes = notes_on_staff(2);
        press(edit(), Qt::Key_Escape, QStringLiteral("\x1b"));
    });
    // The second run is abandoned, and no third one begins.
    click_when_up("abandon", "c1045", "c1045");
    click_when_up("no third run", "c1111", "c1111");

    bool returned = false;
    fe_.SetUnattended(false);
    script_.start();
    watchdog_.start(8000);
    QTimer::singleShot(0, [&] {
        frame_->CommandBar()->SetInputText(QString(), 0, 0);
        type(edit(), QStringLiteral("IN 1"));
        stamped_keys::stroke_at(edit(), Qt::Key_Return, QStringLiteral("\r"), kRunStartsAt);
        returned = true;
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    watchdog_.stop();

    EXPECT_TRUE(returned) << "the call did not come back";
    EXPECT_FALSE(timed_out_) << "stuck before step: " << script_.next_step() << "; box: " << boxes_;
    EXPECT_TRUE(script_.finished()) << "left at step: " << script_.next_step();
    EXPECT_EQ(question, "Continue Input on Staff 002 ?");
    EXPECT_EQ(notes_line, c.notes_line);
    EXPECT_EQ(staff2_notes, 2);
    EXPECT_EQ(notes_on_staff(1), 2);
    expect_input_at_rest();
}

const MenuKeysCase kMenuKeysCases[] = {
    // Both keys reach the menu's wait before it has handed its answer on.
    {"JInTheSameTurn", "LJ", {}, "", "E4/F;", "E4/F;"},
    // J typed while the engine justifies: it comes before the question could be seen.
    {"JTypedAheadOfTheQuestion", "L", {{"J", 100}}, "", "E4/F;", "E4/F;"},
    // J typed 1.5 s after L, the question long seen.
    {"JWhileTheQuestionIsUp", "L", {{"J", 1500}}, "", "E4/F;", "E4/F;"},
    {"LowerCase", "l", {{"j", 1500}}, "", "E4/F;", "E4/F;"},
    // Another key after L goes on to the notes line as typed.
    {"OtherKeyGoesOn", "L", {{"E", 1500}}, "E", "4/F;", "E4/F;"},
};

INSTANTIATE_TEST_SUITE_P(Menu, ClosingMenuKeysTest, ::testing::ValuesIn(kMenuKeysCases),
                         [](const ::testing::TestParamInfo<MenuKeysCase>& i) {
                             return std::string(i.param.name);
                         });

}  // namespace
