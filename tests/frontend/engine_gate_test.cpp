// The engine gate and the command sender: what goes in, what comes back, and the busy guard
// that keeps a second engine call from starting while one runs.

#include "engine/commands/interpreter/interpreter_tables.h"
#include "engine/core/settings_tables.h"
#include "frontend/bridge/display_lists.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

class GateTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        Hooks().show_reply = [this](std::string_view text) { replies_.emplace_back(text); };
    }
    std::vector<std::string> replies_;
};

}  // namespace

TEST_F(GateTest, AtARaisedWaitLevelSendCommandOnlyDeposits) {
    for (int32_t level : {1, 2}) {
        core::EngineWaitLevel = level;
        FrontEndMessageLine.set("previous reply");
        InputEventFlags.SpecialKeyCount = 3;
        int notified = 0;
        SetInputListener([&notified] { ++notified; });
        SendCommand("PR ");
        EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 4), std::string_view("PR \0", 4));
        EXPECT_EQ(InputEventFlags.SpecialKeyCount, 0);
        EXPECT_EQ(InputEventFlags.ArrowKeysToEngine, 1);
        EXPECT_EQ(InputEventFlags.PageKeysToEngine, 1);
        EXPECT_EQ(notified, 1);
        EXPECT_TRUE(replies_.empty());  // no call, no reply shown
        EXPECT_EQ(FrontEndMessageLine.trimmed(), "previous reply");
    }
}

TEST_F(GateTest, LongCommandTextsAreCutInsideTheField) {
    core::EngineWaitLevel = 1;
    for (int length : {47, 48, 60}) {  // the field holds 47 characters and a NUL
        SendCommand(std::string(static_cast<std::size_t>(length), 'A').c_str());
        EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 47), std::string(47, 'A')) << length;
        EXPECT_EQ(core::FrontEndCommandBuffer(48), '\0') << length;
    }
    SendCommand("B");
    EXPECT_EQ(core::FrontEndCommandBuffer(1), 'B');
    EXPECT_EQ(core::FrontEndCommandBuffer(2), '\0');
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(3, 48), std::string(46, ' '));  // no leftovers
}

TEST_F(GateTest, GateMovesTheLineInAndTheReplyOut) {
    ASSERT_EQ(ActiveView(), nullptr);  // no view is no fault
    core::EngineWaitLevel = 0;
    core::FixedText<512> line("ZZQX");
    int32_t status = 99;
    std::string seen_inside;
    fe_.inside_call = [&] { seen_inside = core::MessageLine.trimmed(); };
    EXPECT_EQ(RunEngineLine(line, status), 0);
    EXPECT_EQ(seen_inside, "ZZQX");
    EXPECT_EQ(line.view(), core::MessageLine.view());  // the reply, also kept in MessageLine
    EXPECT_FALSE(line.is_blank());
    EXPECT_EQ(EngineCallDepth(), 0);
}

TEST_F(GateTest, RequestedZoomAndKeyModeAreTakenOverAfterTheCall) {
    COrmestView view;
    ASSERT_EQ(ActiveView(), &view);
    DisplayScale = 64;
    fe_.inside_call = [] { RequestedDisplayScale = 192; };
    run_line();
    EXPECT_EQ(DisplayScale, 192);
    EXPECT_EQ(PreviousDisplayScale, 64);
    EXPECT_EQ(view.KeyMode, 1);  // the engine arms key mode in the call
    EXPECT_EQ(view.KeyModeRequest, 0);

    // A requested zoom of 0 keeps the zoom; an absurd one is brought into range.
    run_line();
    EXPECT_EQ(DisplayScale, 192);
    fe_.inside_call = [] { RequestedDisplayScale = 1000000; };
    run_line();
    EXPECT_EQ(DisplayScale, kMaxDisplayScale);
}

// A command that arrives while the engine waits inside a call is the wait's answer: it never
// starts a second call (which the engine would refuse with an internal error).
TEST_F(GateTest, CommandDuringAnEngineWaitIsDepositedForTheWait) {
    core::EngineWaitLevel = 0;
    core::FixedText<512> answer;
    int depth_inside = -1;
    int interpreter_depth_inside = -1;
    fe_.inside_call = [&] {
        QTimer::singleShot(0, [&] {
            depth_inside = EngineCallDepth();
            interpreter_depth_inside = core::InterpreterDepth;
            SendCommand("MOVE ");  // a palette click during the wait
        });
        fe_.WaitForCommandOrKey(answer, 0);
        core::FrontEndCommandBuffer.blank();
    };
    run_line();
    EXPECT_EQ(depth_inside, 1);
    EXPECT_EQ(interpreter_depth_inside, 1);
    EXPECT_EQ(answer.sub(1, 6), std::string_view("MOVE \0", 6));
    EXPECT_TRUE(fe_.LastMessage().isEmpty()) << fe_.LastMessage().toStdString();
    EXPECT_EQ(EngineCallDepth(), 0);
}

TEST_F(GateTest, LineAndMouseTokensDuringACallAreDepositedToo) {
    core::EngineWaitLevel = 0;
    int32_t inner_status = 99;
    std::string buffer_after;
    fe_.inside_call = [&] {
        core::FixedText<512> inner("PLAY");
        RunEngineLine(inner, inner_status);
        buffer_after = core::FrontEndCommandBuffer.c_text();
        core::FrontEndCommandBuffer.blank();
    };
    run_line();
    EXPECT_EQ(inner_status, 0);  // nothing ran: nothing to decode
    EXPECT_EQ(buffer_after, "PLAY");
    EXPECT_TRUE(fe_.LastMessage().isEmpty()) << fe_.LastMessage().toStdString();
}
