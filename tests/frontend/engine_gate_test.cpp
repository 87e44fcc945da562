// The engine gate and the command sender: what goes in, what comes back, and the busy guard
// that keeps a second engine call from starting while one runs.
#include <QTimer>

#include <gtest/gtest.h>

#include "engine/commands/interpreter_tables.h"
#include "engine/core/settings_tables.h"
#include "frontend/bridge/display_lists.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

// A window front-end whose immediate-key-mode arming (which the engine does early in nearly
// every call) runs a test action once, inside the engine call.
class ProbeFrontEnd : public QtFrontEnd {
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

class GateTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        probe_.SetUnattended(true);
        core::set_front_end(&probe_);
        Hooks().show_reply = [this](std::string_view text) { replies_.emplace_back(text); };
    }
    ProbeFrontEnd probe_;
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
    const std::string text(60, 'A');
    SendCommand(text.c_str());
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 47), std::string(47, 'A'));
    EXPECT_EQ(core::FrontEndCommandBuffer(48), '\0');
    SendCommand("B");
    EXPECT_EQ(core::FrontEndCommandBuffer(1), 'B');
    EXPECT_EQ(core::FrontEndCommandBuffer(2), '\0');
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(3, 48), std::string(46, ' '));  // no leftovers
}

TEST_F(GateTest, GateMovesTheLineInAndTheReplyOut) {
    core::EngineWaitLevel = 0;
    core::FixedText<512> line("ZZQX");
    int32_t status = 99;
    std::string seen_inside;
    probe_.inside_call = [&] { seen_inside = core::MessageLine.trimmed(); };
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
    probe_.inside_call = [] { RequestedDisplayScale = 192; };
    core::FixedText<512> line("ZZQX");
    int32_t status = 0;
    RunEngineLine(line, status);
    EXPECT_EQ(DisplayScale, 192);
    EXPECT_EQ(PreviousDisplayScale, 64);
    EXPECT_EQ(view.KeyMode, 1);  // the engine arms key mode in the call
    EXPECT_EQ(view.KeyModeRequest, 0);

    // A requested zoom of 0 keeps the zoom; an absurd one is brought into range.
    line.set("ZZQX");
    RunEngineLine(line, status);
    EXPECT_EQ(DisplayScale, 192);
    probe_.inside_call = [] { RequestedDisplayScale = 1000000; };
    RunEngineLine(line, status);
    EXPECT_EQ(DisplayScale, kMaxDisplayScale);
}

TEST_F(GateTest, NoActiveViewIsNoFault) {
    ASSERT_EQ(ActiveView(), nullptr);
    core::FixedText<512> line("ZZQX");
    int32_t status = 0;
    EXPECT_EQ(RunEngineLine(line, status), 0);
}

// A command that arrives while the engine waits inside a call is the wait's answer: it never
// starts a second call (which the engine would refuse with an internal error).
TEST_F(GateTest, CommandDuringAnEngineWaitIsDepositedForTheWait) {
    core::EngineWaitLevel = 0;
    core::FixedText<512> answer;
    int depth_inside = -1;
    int interpreter_depth_inside = -1;
    probe_.inside_call = [&] {
        QTimer::singleShot(0, [&] {
            depth_inside = EngineCallDepth();
            interpreter_depth_inside = core::InterpreterDepth;
            SendCommand("MOVE ");  // a palette click during the wait
        });
        probe_.WaitForCommandOrKey(answer, 0);
        core::FrontEndCommandBuffer.blank();
    };
    core::FixedText<512> line("ZZQX");
    int32_t status = 0;
    RunEngineLine(line, status);
    EXPECT_EQ(depth_inside, 1);
    EXPECT_EQ(interpreter_depth_inside, 1);
    EXPECT_EQ(answer.sub(1, 6), std::string_view("MOVE \0", 6));
    EXPECT_TRUE(probe_.LastMessage().isEmpty()) << probe_.LastMessage().toStdString();
    EXPECT_EQ(EngineCallDepth(), 0);
}

TEST_F(GateTest, LineAndMouseTokensDuringACallAreDepositedToo) {
    core::EngineWaitLevel = 0;
    int32_t inner_status = 99;
    std::string buffer_after;
    probe_.inside_call = [&] {
        core::FixedText<512> inner("PLAY");
        RunEngineLine(inner, inner_status);
        buffer_after = core::FrontEndCommandBuffer.c_text();
        core::FrontEndCommandBuffer.blank();
    };
    core::FixedText<512> line("ZZQX");
    int32_t status = 0;
    RunEngineLine(line, status);
    EXPECT_EQ(inner_status, 0);  // nothing ran: nothing to decode
    EXPECT_EQ(buffer_after, "PLAY");
    EXPECT_TRUE(probe_.LastMessage().isEmpty()) << probe_.LastMessage().toStdString();
}

TEST_F(GateTest, WaitForLineEditTakesATypedLine) {
    core::FixedText<512> buffer("12");
    buffer(3) = '\0';
    QTimer::singleShot(0, [] {
        InputEventFlags.TypedLine.set("3 4 5\r\n");
        InputEventFlags.LineComplete = 1;
        NotifyInputArrived();
    });
    EXPECT_EQ(probe_.WaitForLineEdit(buffer, core::FixedText<512>("Staff?"), 2, 2), 0);
    EXPECT_EQ(buffer.trimmed(), "3 4 5");
    EXPECT_EQ(InputEventFlags.LineWaitArmed, 0);
    EXPECT_EQ(InputEventFlags.PageKeysToEngine, 1);
}

TEST_F(GateTest, ZoomPercentText) {
    EXPECT_EQ(ZoomPercentText(128), "200%    ");
    EXPECT_EQ(ZoomPercentText(96), "150%    ");
}
