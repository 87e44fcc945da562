// Keys in the window while a live input routine waits inside its engine call: every key reaches
// the wait whole (its character and key-down word) and never the input edit, palette commands
// come back as texts, and quitting ends the wait and every later one.
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/key_words.h"
#include "engine/core/settings_tables.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

// What one wait of the live input routines left behind.
struct Taken {
    int32_t code = -999;
    int32_t key_down = -999;
    char first = '\0';
    bool rest_blank = false;
};

class WaitKeysTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        make_bar();
    }
    // Runs act once the wait sleeps, then waits as the live input routines do.
    static Taken wait_for(const std::function<void()>& act) {
        QTimer::singleShot(0, act);
        core::wait_for_input_key_or_command();
        Taken t;
        t.code = core::InputKeyWord;
        t.key_down = core::EngineKeyWord;
        t.first = core::SecondLine(1);
        t.rest_blank = core::SecondLine.sub(2, 512).find_first_not_of(' ') == std::string::npos;
        return t;
    }
};

}  // namespace

TEST_F(WaitKeysTest, EveryKeyReachesTheLiveWaitWithItsKeyDownWord) {
    struct Case {
        const char* name;
        int key;
        QString text;
        Qt::KeyboardModifiers mods;
        int32_t code;
        int32_t key_down;
    };
    const Case cases[] = {
        {"a", Qt::Key_A, QStringLiteral("a"), Qt::NoModifier, 'a', 1065},
        {"C", Qt::Key_C, QStringLiteral("C"), Qt::ShiftModifier, 'C', 1067},
        {"7", Qt::Key_7, QStringLiteral("7"), Qt::NoModifier, '7', 1055},
        {"-", Qt::Key_Minus, QStringLiteral("-"), Qt::NoModifier, '-', core::kKeyDownMinus},
        {";", Qt::Key_Semicolon, QStringLiteral(";"), Qt::NoModifier, ';', 930},
        {"/", Qt::Key_Slash, QStringLiteral("/"), Qt::NoModifier, '/', 935},
        {".", Qt::Key_Period, QStringLiteral("."), Qt::NoModifier, '.', 934},
        {"F2", Qt::Key_F2, QString(), Qt::NoModifier, 113, core::kKeyDownF2},
        {"F12", Qt::Key_F12, QString(), Qt::NoModifier, 123, core::kKeyDownF12},
        {"Backspace", Qt::Key_Backspace, QStringLiteral("\b"), Qt::NoModifier, core::kKeyBackspace,
         1008},
        {"Enter", Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier, core::kKeyEnter, 1013},
        {"Esc", Qt::Key_Escape, QStringLiteral("\x1b"), Qt::NoModifier, core::kKeyEscape, 1027},
        {"Ctrl+Q", Qt::Key_Q, QStringLiteral("\x11"), Qt::ControlModifier, core::kKeyCtrlQ, 1017},
        {"Home", Qt::Key_Home, QString(), Qt::NoModifier, 36, core::kKeyDownHome},
        {"End", Qt::Key_End, QString(), Qt::NoModifier, 35, core::kKeyDownEnd},
        {"Left", Qt::Key_Left, QString(), Qt::NoModifier, 37, core::kKeyDownLeft},
        {"Up", Qt::Key_Up, QString(), Qt::NoModifier, 38, core::kKeyDownUp},
        {"Right", Qt::Key_Right, QString(), Qt::NoModifier, 39, core::kKeyDownRight},
        {"Down", Qt::Key_Down, QString(), Qt::NoModifier, 40, core::kKeyDownDown},
        {"Delete", Qt::Key_Delete, QStringLiteral("\x7f"), Qt::NoModifier, 46,
         core::kKeyDownDelete},
    };
    std::vector<Taken> taken;
    int depth_inside = -1;
    QString edit_after;
    fe_.inside_call = [&] {
        depth_inside = EngineCallDepth();
        bar_->SetInputText(QStringLiteral("C4"), 2, 2);
        core::EngineWaitLevel = 1;
        for (const Case& c : cases) {
            taken.push_back(wait_for([&] { press(edit(), c.key, c.text, c.mods); }));
        }
        core::EngineWaitLevel = 0;
        edit_after = bar_->InputText();
    };
    run_line();
    ASSERT_EQ(depth_inside, 1);
    ASSERT_EQ(taken.size(), std::size(cases));
    for (std::size_t i = 0; i < taken.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(taken[i].code, cases[i].code);
        EXPECT_EQ(taken[i].key_down, cases[i].key_down);
        EXPECT_EQ(taken[i].first, static_cast<char>(cases[i].code));
        EXPECT_TRUE(taken[i].rest_blank);
    }
    // The keys went to the wait only: not into the edit, not as a second engine call, not as a
    // typed line; the wait's words are put back.
    EXPECT_EQ(edit_after, "C4");
    EXPECT_EQ(fe_.lines.size(), 1u);
    EXPECT_TRUE(gate_messages_.empty());
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(InputEventFlags.LineComplete, 0);
    EXPECT_EQ(InputEventFlags.KeyWaitArmed, 0);
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);

    // Out of the wait the edit takes typed characters again.
    bar_->SetInputText(QStringLiteral("C4"), 2, 2);
    press(edit(), Qt::Key_5, QStringLiteral("5"));
    EXPECT_EQ(bar_->InputText(), "C45");
}

// A modifier pressed alone, or a Ctrl chord other than Ctrl+Q (Ctrl+H types Backspace's code),
// is no key: the wait goes on and takes the key after it.
TEST_F(WaitKeysTest, ModifiersAndOtherCtrlChordsDoNotEndTheWait) {
    bool still_waiting = false;
    Taken t;
    QString edit_after = QStringLiteral("?");
    fe_.inside_call = [&] {
        core::EngineWaitLevel = 1;
        bar_->SetInputText(QString(), 0, 0);
        t = wait_for([&] {
            press(edit(), Qt::Key_Shift, QString(), Qt::ShiftModifier);
            press(edit(), Qt::Key_Control, QString(), Qt::ControlModifier);
            press(edit(), Qt::Key_H, QStringLiteral("\b"), Qt::ControlModifier);
            press(edit(), Qt::Key_CapsLock);
            QTimer::singleShot(0, [&] {
                still_waiting = InputEventFlags.KeyWaitArmed == 1;
                press(edit(), Qt::Key_B, QStringLiteral("b"));
            });
        });
        core::EngineWaitLevel = 0;
        edit_after = bar_->InputText();
    };
    run_line();
    EXPECT_TRUE(still_waiting);
    EXPECT_EQ(t.code, 'b');
    EXPECT_EQ(t.key_down, 1066);
    EXPECT_TRUE(edit_after.isEmpty());
}

// A palette button during the wait is its answer as a command text; a key token deposited by
// the window's other parts still arrives as its key.
TEST_F(WaitKeysTest, APaletteCommandDuringTheWaitComesBackAsText) {
    Taken command;
    Taken token;
    fe_.inside_call = [&] {
        core::EngineWaitLevel = 1;
        command = wait_for([] { SendCommand("TR/"); });
        token = wait_for([] { SendCommand("~~038"); });
        core::EngineWaitLevel = 0;
    };
    run_line();
    EXPECT_EQ(command.code, 0);
    EXPECT_EQ(command.key_down, 0);
    EXPECT_EQ(command.first, 'T');
    EXPECT_EQ(token.code, 38);
    EXPECT_EQ(token.key_down, core::kKeyDownUp);
    EXPECT_EQ(fe_.lines.size(), 1u);  // no second engine call
    EXPECT_TRUE(gate_messages_.empty());
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
}

// The application quits while the live routine waits for a key: the wait returns with the
// closing word set, a later wait returns at once, and the application's loop still ends.
TEST_F(WaitKeysTest, QuittingDuringTheKeyWaitEndsItAndEveryLaterOne) {
    Taken first;
    Taken later;
    int32_t closing_after_first = -1;
    bool waited_on = false;
    fe_.inside_call = [&] {
        core::EngineWaitLevel = 1;
        first = wait_for([] { QCoreApplication::quit(); });
        closing_after_first = core::ApplicationClosingWord;
        // Were the later wait to sleep, this key would end it: it must not be needed.
        QTimer rescue;
        rescue.setSingleShot(true);
        QObject::connect(&rescue, &QTimer::timeout, [&] {
            waited_on = true;
            press(edit(), Qt::Key_A, QStringLiteral("a"));
        });
        rescue.start(3000);
        core::ApplicationClosingWord = 0;  // the front-end alone must tell
        later = wait_for([] {});
        core::EngineWaitLevel = 0;
    };
    QTimer::singleShot(0, [] { run_line(); });
    QCoreApplication::exec();  // returns only when the quit was not swallowed
    EXPECT_EQ(closing_after_first, 1);
    EXPECT_TRUE(fe_.ApplicationClosing());
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.first, ' ');
    EXPECT_FALSE(waited_on);
    EXPECT_EQ(later.code, 0);
    EXPECT_EQ(core::ApplicationClosingWord, 1);
    EXPECT_EQ(InputEventFlags.KeyWaitArmed, 0);
}

// Keys that come together, before the wait has taken the first, are taken one per wait in their
// order with their key-down words; keys typed ahead are not kept past the engine call.
TEST_F(WaitKeysTest, KeysTypedAheadAreTakenInTheirOrderWithinTheCall) {
    std::vector<Taken> taken;
    std::size_t ahead_after = 99;
    fe_.inside_call = [&] {
        core::EngineWaitLevel = 1;
        taken.push_back(wait_for([&] {
            press(edit(), Qt::Key_C, QStringLiteral("C"), Qt::ShiftModifier);
            press(edit(), Qt::Key_4, QStringLiteral("4"));
            press(edit(), Qt::Key_Slash, QStringLiteral("/"));
            press(edit(), Qt::Key_Backspace, QStringLiteral("\b"));
        }));
        for (int k = 0; k < 3; ++k) taken.push_back(wait_for([] {}));
        // One more left ahead when the call ends.
        wait_for([&] {
            press(edit(), Qt::Key_D, QStringLiteral("D"), Qt::ShiftModifier);
            press(edit(), Qt::Key_E, QStringLiteral("E"), Qt::ShiftModifier);
        });
        ahead_after = InputEventFlags.KeysAhead.size();
        core::EngineWaitLevel = 0;
    };
    run_line();
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[0].code, 'C');
    EXPECT_EQ(taken[0].key_down, 1067);
    EXPECT_EQ(taken[1].code, '4');
    EXPECT_EQ(taken[1].key_down, 1052);
    EXPECT_EQ(taken[2].code, '/');
    EXPECT_EQ(taken[2].key_down, 935);
    EXPECT_EQ(taken[3].code, core::kKeyBackspace);
    EXPECT_EQ(taken[3].key_down, 1008);
    EXPECT_EQ(ahead_after, 1u);
    EXPECT_TRUE(InputEventFlags.KeysAhead.empty());
}
