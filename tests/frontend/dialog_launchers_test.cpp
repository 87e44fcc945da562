// The dialog launchers: what each hands its dialog through the exchange area, what it copies
// back, that nothing an earlier dialog left behind reaches the next, and the stand-in dialog.
#include "frontend/bridge/dialog_launchers.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

// What a dialog saw when it ran: its request and the exchange area.
struct Seen {
    DialogRequest request;
    DialogExchangeRecord area;
};

class LauncherTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        ClearDialogExchange();
        // A dialog that records what it was given, then plays `play` and answers `answer`.
        SetDialogRunner([this](const DialogRequest& request) {
            seen_.request = request;
            seen_.area = DialogExchangeBlocks;
            if (play_) play_();
            return answer_;
        });
    }
    void TearDown() override {
        SetDialogRunner(nullptr);
        FrontEndTest::TearDown();
    }
    // Leaves junk everywhere in the exchange area, as an earlier dialog might.
    static void litter() {
        DialogExchangeBlocks.ExchangeBlockA.fill(-7);
        DialogExchangeBlocks.ExchangeBlockB.fill(-7);
        DialogExchangeBlocks.ExchangeBlockC.fill(-7);
        DialogExchangeBlocks.DialogQuestionText = "stale question";
        DialogExchangeBlocks.PrintSetupFlag = 5;
        DialogExchangeBlocks.SelectCodesMode = 5;
    }
    Seen seen_;
    std::function<void()> play_;
    int answer_ = 1;
};

}  // namespace

TEST_F(LauncherTest, WordsNotFilledByTheLauncherAreZero) {
    litter();
    core::Array1<int32_t, 19> a;
    for (int i = 1; i <= 19; ++i) a(i) = 100 + i;
    EXPECT_EQ(RunTransposeSetupDialog(a), 1);
    EXPECT_EQ(seen_.request.idd, 169);
    EXPECT_EQ(seen_.request.title, "Transpose Setup");
    const auto& A = seen_.area.ExchangeBlockA;
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(A[static_cast<std::size_t>(k)], k < 19 ? 101 + k : 0) << k;
    for (int32_t w : seen_.area.ExchangeBlockB) EXPECT_EQ(w, 0);
    for (int32_t w : seen_.area.ExchangeBlockC) EXPECT_EQ(w, 0);
    EXPECT_TRUE(seen_.area.DialogQuestionText.empty());
    EXPECT_EQ(seen_.area.PrintSetupFlag, 0);
    EXPECT_EQ(seen_.area.SelectCodesMode, 0);

    // A notice's tick word starts at 0, whatever the dialog before it left there.
    litter();
    answer_ = 1;
    EXPECT_EQ(RunDontShowAgainNotice(), 0);
    play_ = [] { DialogExchangeBlocks.ExchangeBlockA[0] = 1; };
    EXPECT_EQ(RunDontShowAgainNotice(), 1);
}

TEST_F(LauncherTest, WordsComeBackAsTheDialogLeftThem) {
    // The dialog rewrites every word of block A.
    play_ = [] { DialogExchangeBlocks.ExchangeBlockA.fill(77); };
    core::Array1<int32_t, 5> ripple;
    ripple.fill(3);
    RunRippleBarsDialog(ripple);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(ripple(i), 77);

    // The new-staff variant never gives back words 4 and 5.
    core::Array1<int32_t, 7> voices;
    for (int i = 1; i <= 7; ++i) voices(i) = i;
    RunSeparateVoicesNewStaffDialog(voices);
    EXPECT_EQ(voices(4), 77);
    EXPECT_EQ(voices(5), 5);
    EXPECT_EQ(voices(6), 6);
    EXPECT_EQ(voices(7), 77);

    // Copied back on Cancel too.
    answer_ = 2;
    core::Array1<int32_t, 4> bars;
    EXPECT_EQ(RunAddBarLinesDialog(bars), 2);
    EXPECT_EQ(bars(4), 77);
}

TEST_F(LauncherTest, RealsTravelAsTheirBits) {
    core::Array1<float, 19> height;
    height(1) = 2.5f;
    play_ = [] { DialogExchangeBlocks.ExchangeBlockB[0] = std::bit_cast<int32_t>(3.25f); };
    RunPageImageHeightDialog(height);
    EXPECT_EQ(seen_.area.ExchangeBlockB[0], std::bit_cast<int32_t>(2.5f));
    EXPECT_EQ(height(1), 3.25f);
}

TEST_F(LauncherTest, ParameterEditorPicksItsDialogAndReturnsThirtyWords) {
    core::Array1<float, 30> p;
    p.fill(9.0f);
    for (const auto& [which, idd, title] :
         {std::tuple{1, 205, "P21 - 30"}, {-1, 225, "P1 - 10"}, {0, 226, "P11- 20"}}) {
        RunParameterEditor(p, which);
        EXPECT_EQ(seen_.request.idd, idd);
        EXPECT_EQ(seen_.request.title, title);
    }
    // Twenty reals in as their bits; thirty back, the last ten as the block held them (cleared,
    // not stale).
    litter();
    p.fill(9.5f);
    play_ = [] { DialogExchangeBlocks.ExchangeBlockB[10] = std::bit_cast<int32_t>(42.25f); };
    RunParameterEditor(p, 0);
    EXPECT_EQ(seen_.area.ExchangeBlockB[19], std::bit_cast<int32_t>(9.5f));
    EXPECT_EQ(seen_.area.ExchangeBlockB[20], 0);
    EXPECT_EQ(p(11), 42.25f);
    EXPECT_EQ(p(21), 0.0f);
    EXPECT_EQ(p(30), 0.0f);
}

TEST_F(LauncherTest, ConvertDialogsAnswerTheirNoChangeCodesWhenClosed) {
    SetDialogRunner(nullptr);  // the stand-in, unattended: closed at once
    core::Array1<int32_t, 3> r;
    r.fill(5);
    EXPECT_EQ(RunConvertCode11Dialog(r), 3);  // "Ignore this Item", never 2 (delete)
    EXPECT_EQ(r(3), 0);
    core::Array1<int32_t, 2> v;
    v(1) = 1;
    v(2) = 0;
    EXPECT_EQ(RunConvertLibraryItemDialog(v), -1);
    EXPECT_EQ(v(2), 0);

    // The tick word of the code-11 dialog is cleared after it is read.
    SetDialogRunner([](const DialogRequest&) {
        DialogExchangeBlocks.ExchangeBlockA[0] = 1234;
        DialogExchangeBlocks.ExchangeBlockA[2] = -1;
        return 1;
    });
    EXPECT_EQ(RunConvertCode11Dialog(r), 1);
    EXPECT_EQ(r(1), 1234);
    EXPECT_EQ(r(3), -1);
    EXPECT_EQ(DialogExchangeBlocks.ExchangeBlockA[2], 0);
}

TEST_F(LauncherTest, EngineDialogsGoThroughTheLaunchers) {
    core::Array1<int32_t, 32> a;
    core::Array1<int32_t, 32> b;
    a(32) = 11;
    b(1) = 12;
    answer_ = 2;
    EXPECT_EQ(core::front_end().RunPreferencesDialog(a, b), 2);
    EXPECT_EQ(seen_.request.idd, 167);
    EXPECT_EQ(seen_.area.ExchangeBlockA[31], 11);
    EXPECT_EQ(seen_.area.ExchangeBlockB[0], 12);

    core::FixedText<128> prompt("Drawing name?");
    core::front_end().RunDrawingFileNameDialog(prompt);
    EXPECT_EQ(seen_.area.DialogQuestionText, "Drawing name?");
}

TEST_F(LauncherTest, StandInNamesTheDialogAndCanOnlyBeCancelled) {
    SetDialogRunner(nullptr);
    SetDialogsUnattended(false);
    bool ok_enabled = true;
    QString title;
    // Once the stand-in is up: look at it and press Cancel.
    std::function<void()> press_cancel = [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, press_cancel);
            return;
        }
        title = dialog->windowTitle();
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
            ok_enabled = buttons->button(QDialogButtonBox::Ok)->isEnabled();
            buttons->button(QDialogButtonBox::Cancel)->click();
        } else {
            dialog->reject();
        }
    };
    QTimer::singleShot(0, press_cancel);
    core::Array1<int32_t, 19> a;
    EXPECT_EQ(RunPartsDialog(a), 2);
    SetDialogsUnattended(true);
    EXPECT_EQ(title, QStringLiteral("Parts"));
    EXPECT_FALSE(ok_enabled);
}
