// Keys as the engine knows them: the fixed table of key numbers and scan codes, the key
// tokens, and what the command bar's input edit sends for the keys a user presses.
#include "frontend/bridge/keys.h"

#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

class KeysTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        make_bar();
    }
    // Presses a key in the input edit (no text: a key that types nothing).
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = QString()) {
        press(edit(), key, text, modifiers);
    }
    std::string first_line() const { return fe_.lines.empty() ? std::string() : fe_.lines[0]; }
};

}  // namespace

TEST(KeyTable, KeysGetTheirNumbersAndScanCodesWithoutNativeCodes) {
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        bool repeat;
        int32_t vk, flags, ch;
    };
    const Case cases[] = {
        {Qt::Key_PageUp, Qt::NoModifier, {}, false, 33, 0x149, 0},
        {Qt::Key_PageUp, Qt::KeypadModifier, {}, false, 33, 0x49, 0},  // keypad, Num Lock off
        {Qt::Key_Left, Qt::NoModifier, {}, true, 37, 0x414B, 0},       // held down
        {Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"), false, 46, 0x153, 0},
        {Qt::Key_Delete, Qt::KeypadModifier, {}, false, 46, 0x53, 0},
        {Qt::Key_F1, Qt::NoModifier, {}, false, 112, 0x3B, 0},
        {Qt::Key_F12, Qt::NoModifier, {}, false, 123, 0x58, 0},
        {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), false, 13, 0x1C, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"), false, 13, 0x11C, 13},
        {Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), false, 0x41, 0x1E, 'a'},
        {Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"), false, 0x41, 0x1E, 'A'},
        {Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!"), false, 0x31, 0x02, '!'},
        {Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"), false, 0x65, 0x4C, '5'},
        {Qt::Key_Shift, Qt::ShiftModifier, {}, false, 16, 0x2A, 0},
        {Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), false, 0, 0, 0xE9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const WinKey k = TranslateKey(c.key, c.mods, c.text, c.repeat);
        EXPECT_EQ(k.vk, c.vk);
        EXPECT_EQ(k.flags, c.flags);
        EXPECT_EQ(k.ch, c.ch);
    }
}

TEST(KeyTable, TokensNeedTheirFlags) {
    EXPECT_EQ(KeyToken(33, 0x149), "~~033");
    EXPECT_EQ(KeyToken(40, 0x4150), "~~040");  // a held arrow repeats its token
    EXPECT_EQ(KeyToken(46, 0x153), "~~046");
    EXPECT_EQ(KeyToken(33, 0x49), "");   // the keypad's page key is not the block's
    EXPECT_EQ(KeyToken(45, 0x152), "");  // Insert has none
    EXPECT_EQ(KeyToken(112, 0x3B), "");  // F1
    EXPECT_EQ(KeyToken(113, 0x3C), "~~113");
    EXPECT_EQ(KeyToken(123, 0x58), "~~123");
    EXPECT_EQ(KeyToken(113, 0x403C), "");  // a held function key sends nothing more
    EXPECT_EQ(KeyToken(27, 0x01), "");     // Escape

    // Which keys count as special keys depends on the two gates.
    EXPECT_TRUE(IsSpecialKey(33, 0x149, false, true));
    EXPECT_FALSE(IsSpecialKey(33, 0x149, true, false));
    EXPECT_TRUE(IsSpecialKey(37, 0x14B, true, false));
    EXPECT_TRUE(IsSpecialKey(46, 0x53, true, false));  // keypad Delete: the arrow gate
    EXPECT_FALSE(IsSpecialKey(46, 0x53, false, true));
    EXPECT_TRUE(IsSpecialKey(112, 0x3B, false, true));
    EXPECT_FALSE(IsSpecialKey(33, 0x1C9, true, true));  // bit 0x80: never classified
}

TEST_F(KeysTest, PageUpF1AndF12WithThePageGateOpen) {
    // An idle engine runs the token through the gate.
    InputEventFlags.PageKeysToEngine = 1;
    key(Qt::Key_PageUp);
    EXPECT_EQ(first_line().substr(0, 6), "~~033 ");
    EXPECT_EQ(InputEventFlags.SpecialKeyCount, 0);

    // F1 has no token: nothing reaches the engine and the input words are cleared.
    fe_.lines.clear();
    InputEventFlags.PageKeysToEngine = 1;
    InputEventFlags.ArrowKeysToEngine = 1;
    CommandKind = -1;
    key(Qt::Key_F1);
    EXPECT_TRUE(fe_.lines.empty());
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(InputEventFlags.PageKeysToEngine, 0);
    EXPECT_EQ(InputEventFlags.ArrowKeysToEngine, 0);
    EXPECT_EQ(CommandKind, 0);

    // A busy engine gets the token deposited for its waiting routine: no second call starts.
    core::EngineWaitLevel = 1;
    InputEventFlags.PageKeysToEngine = 1;
    key(Qt::Key_F12);
    EXPECT_TRUE(fe_.lines.empty());
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 6), std::string_view("~~123\0", 6));
    EXPECT_EQ(InputEventFlags.KeyDownCode, 1000 + 123);

    // With the gate shut the page keys are the edit's own.
    core::FrontEndCommandBuffer.blank();
    InputEventFlags.PageKeysToEngine = 0;
    key(Qt::Key_PageUp);
    key(Qt::Key_F2);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
}

TEST_F(KeysTest, KeyModeSendsTheCharacterAndItsScanCode) {
    COrmestView view;
    ASSERT_EQ(ActiveView(), &view);
    view.KeyMode = 1;
    core::EngineWaitLevel = 1;  // busy: the token is deposited and can be read whole
    key(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    const std::string_view sent = core::FrontEndCommandBuffer.sub(1, 6);
    EXPECT_EQ(sent, std::string_view("\x7e\x7e\x7e\x61\x1e\x00", 6));
    EXPECT_EQ(view.KeyMode, 0);
    EXPECT_TRUE(bar_->InputText().isEmpty());  // the character did not enter the edit

    // An idle engine is called with the same six bytes.
    core::EngineWaitLevel = 0;
    core::FrontEndCommandBuffer.blank();
    view.KeyMode = 1;
    key(Qt::Key_Z, Qt::ShiftModifier, QStringLiteral("Z"));
    EXPECT_EQ(first_line().substr(0, 6), std::string("~~~Z\x2c\0", 6));

    // Out of key mode the character is typed into the edit.
    view.KeyMode = 0;
    bar_->SetInputText(QString(), 0, 0);
    key(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    EXPECT_EQ(bar_->InputText(), "a");
}

TEST_F(KeysTest, ArrowsGoToTheEngineOnlyThroughTheArrowGate) {
    core::EngineWaitLevel = 1;
    InputEventFlags.ArrowKeysToEngine = 1;
    InputEventFlags.PageKeysToEngine = 0;
    key(Qt::Key_Left);
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 6), std::string_view("~~037\0", 6));
    // The keypad's arrows (not extended) stay in the edit.
    core::FrontEndCommandBuffer.blank();
    key(Qt::Key_Left, Qt::KeypadModifier);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_EQ(InputEventFlags.LastKey, 37);
    EXPECT_EQ(LastKeyFlags, 0x4B);
}
