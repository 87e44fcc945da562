// The command handlers by kind, the zoom steps and tool modes in the main frame, a walk over the
// build's real handler table, and every distinct text of that table through the engine gate.
#include <QComboBox>
#include <QDockWidget>
#include <QToolBar>
#include <QToolButton>
#include <chrono>
#include <iostream>
#include <map>
#include <set>

#include "engine/core/store/item_store.h"
#include "frontend/app/tool_modes.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/palette_fixture.h"
#include "tests/support/screenshots.h"

using namespace frontend;

namespace {

TEST_F(PaletteTest, GroupEditSetsTheWordAndShowsItsPaletteSendingNothing) {
    core::GroupEditFlag = 0;
    ASSERT_TRUE(RunCommandHandler(33758));
    EXPECT_EQ(core::GroupEditFlag, -1);
    EXPECT_EQ(CurrentPaletteId, 222);
    EXPECT_TRUE(sent_.empty());
    // The palette-only and do-nothing handlers send nothing either; 0 is the previous palette.
    ShowPalette(161);
    ASSERT_TRUE(RunCommandHandler(33043));
    EXPECT_EQ(CurrentPaletteId, 222);
    ASSERT_TRUE(RunCommandHandler(32829));
    EXPECT_TRUE(sent_.empty());
    EXPECT_FALSE(RunCommandHandler(33530));
}

TEST_F(PaletteTest, BracketsChooseTheirTextByTheShownPalette) {
    const std::pair<int32_t, const char*> cases[] = {
        {161, "QQ172 "}, {223, "QQ268 "}, {224, "QQ269 "}, {134, "QQ269 "}};
    for (const auto& [palette, text] : cases) {
        sent_.clear();
        ShowPalette(palette);
        ASSERT_TRUE(RunCommandHandler(33012));
        EXPECT_EQ(sent_, std::vector<std::string>{text}) << palette;
    }
}

TEST_F(PaletteTest, SendAndPaletteOrder) {
    // The palette shown after the text stays on top; the one shown first is there when it sends.
    std::vector<int32_t> palette_at_send;
    SetHandlerSender([&](const std::string& t) {
        sent_.push_back(t);
        palette_at_send.push_back(CurrentPaletteId);
    });
    ShowPalette(134);
    ASSERT_TRUE(RunCommandHandler(32858));
    ASSERT_TRUE(RunCommandHandler(33394));
    EXPECT_EQ(sent_, (std::vector<std::string>{"GUIT ", "SLIDER  "}));
    EXPECT_EQ(palette_at_send, (std::vector<int32_t>{134, 200}));
    EXPECT_EQ(CurrentPaletteId, 200);
    EXPECT_TRUE(PaletteButtons()[0]->isCheckable());
}

TEST_F(PaletteTest, ReturnBlanksTheBufferWithoutAnEngineCall) {
    ASSERT_TRUE(start_engine_with_data());
    SetHandlerSender(nullptr);
    int replies = 0;
    Hooks().show_reply = [&](std::string_view) { ++replies; };
    core::FrontEndCommandBuffer.set("ABC DEF");
    core::EngineWaitLevel = 0;
    ASSERT_TRUE(RunCommandHandler(32895));
    EXPECT_EQ(replies, 0);
    EXPECT_EQ(EngineCallDepth(), 0);
    EXPECT_EQ(std::string(core::FrontEndCommandBuffer.data(), 4), std::string("   \0", 4));
    EXPECT_EQ(CurrentPaletteId, 134);

    // Two sends are two engine calls, "ee " first.
    std::vector<std::string> texts;
    SetHandlerSender([&](const std::string& t) {
        texts.push_back(t);
        SendCommand(t.c_str());
    });
    ASSERT_TRUE(RunCommandHandler(32780));
    EXPECT_EQ(texts, (std::vector<std::string>{"ee ", "FW "}));
    EXPECT_EQ(replies, 2);
}

class PaletteFrameTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ResetPaletteState();
        UsePaletteFolder("");
    }
    void TearDown() override {
        AppTest::TearDown();
        ResetPaletteState();
    }
};

TEST_F(PaletteFrameTest, TheFrameStartsOnTheMainPaletteWithBothWordsAtZero) {
    CMainFrame& frame = make_frame();
    EXPECT_EQ(LoadedPaletteId(), 134);
    EXPECT_EQ(CurrentPaletteId, 0);
    EXPECT_EQ(PreviousPaletteId, 0);
    EXPECT_EQ(PaletteToolbarWnd, frame.PaletteToolbar());
    ASSERT_FALSE(PaletteButtons().empty());
    EXPECT_EQ(PaletteButtons()[0]->parentWidget()->parentWidget(), frame.PaletteToolbar());

    // Two rows: 26 buttons, then the rest; every button shows its picture from the strip.
    frame.resize(1400, 700);
    frame.show();
    QApplication::processEvents();
    const std::vector<QToolButton*>& buttons = PaletteButtons();
    ASSERT_EQ(buttons.size(), 52u);
    EXPECT_EQ(buttons[25]->y(), buttons[0]->y());
    EXPECT_GT(buttons[26]->y(), buttons[0]->y());
    EXPECT_EQ(buttons[26]->x(), buttons[0]->x());
    for (const QToolButton* b : buttons) EXPECT_FALSE(b->icon().isNull());
    EXPECT_FALSE(buttons[24]->isEnabled());
    EXPECT_FALSE(buttons[51]->isEnabled());
    const auto path = screenshot_folder() / "palette_toolbar.png";
    frame.grab().save(QString::fromStdString(path.string()));
    std::cout << "main frame with palette 134: " << path.string() << '\n';
}

TEST_F(PaletteFrameTest, ZoomStepsStayWithinTheViewBounds) {
    CMainFrame& frame = make_frame();
    ASSERT_NE(frame.OnFileNew(), nullptr);
    DisplayScale = 64;
    ZoomButtonFlag = 0;
    TextModeActive = -1;
    OnPaletteZoomPlus();
    EXPECT_EQ(ZoomButtonFlag, -1);
    EXPECT_EQ(TextModeActive, 0);
    EXPECT_EQ(frame.ZoomText().trimmed(), QStringLiteral("112%"));
    OnPaletteZoomPlus();
    EXPECT_EQ(ZoomButtonFlag, 0);
    EXPECT_EQ(DisplayScale, 80);
    EXPECT_EQ(PreviousDisplayScale, 80);
    EXPECT_EQ(frame.ZoomText().trimmed(), QStringLiteral("125%"));
    OnPaletteZoomMinus();
    EXPECT_EQ(DisplayScale, 72);
    EXPECT_EQ(frame.ZoomText().trimmed(), QStringLiteral("113%"));

    DisplayScale = 64;
    for (int i = 0; i < 60; ++i) OnPaletteZoomMinus();
    EXPECT_EQ(DisplayScale, kMinDisplayScale);
    EXPECT_EQ(frame.ZoomText().trimmed(), QStringLiteral("25%"));
    DisplayScale = kMaxDisplayScale - 8;
    OnPaletteZoomPlus();
    OnPaletteZoomPlus();
    EXPECT_EQ(DisplayScale, kMaxDisplayScale);

    // A hidden zoom bar stays hidden.
    frame.OnToggleZoomBar();
    ASSERT_EQ(ShowZoomBar, 0);
    OnPaletteZoomMinus();
    EXPECT_FALSE(frame.ZoomBar()->isVisible());
}

TEST_F(PaletteFrameTest, TextModeHidesTheNoteBarFirstAndShowsAnIBeam) {
    CMainFrame& frame = make_frame();
    ASSERT_NE(frame.OnFileNew(), nullptr);
    frame.show();
    ASSERT_NE(ActiveView(), nullptr);
    ASSERT_TRUE(RunCommandHandler(kCmdToggleNoteBar));
    QDockWidget* notes = NoteOptionsBar();
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->windowTitle(), QStringLiteral("Note Options"));
    EXPECT_EQ(frame.dockWidgetArea(notes), Qt::RightDockWidgetArea);
    for (const char* name : {"Style", "Tail", "Dot"}) {
        EXPECT_NE(notes->findChild<QComboBox*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_TRUE(notes->isVisible());
    EXPECT_EQ(ActiveToolMode, 1);
    EXPECT_EQ(NoteBarState, 1);

    ZoomButtonFlag = -1;
    ASSERT_TRUE(RunCommandHandler(kCmdToggleTextMode));
    EXPECT_FALSE(notes->isVisible());
    EXPECT_EQ(NoteBarState, -1);
    EXPECT_EQ(ActiveToolMode, 12);
    EXPECT_EQ(TextModeActive, -1);
    EXPECT_EQ(ZoomButtonFlag, 0);
    EXPECT_EQ(ActiveView()->viewport()->cursor().shape(), Qt::IBeamCursor);

    // The staff bar ends the text mode; the note bar shows again and ends the staff bar.
    ASSERT_TRUE(RunCommandHandler(kCmdToggleStaffBar));
    EXPECT_EQ(TextModeActive, 0);
    EXPECT_EQ(ActiveView()->viewport()->cursor().shape(), Qt::ArrowCursor);
    ASSERT_NE(StaffBar(), nullptr);
    EXPECT_EQ(StaffBar()->windowTitle(), QStringLiteral("Staff"));
    EXPECT_EQ(ActiveToolMode, 4);
    OnToggleNoteBar();
    EXPECT_FALSE(StaffBar()->isVisible());
    EXPECT_TRUE(notes->isVisible());
    // A click in the view ends the one-action tool.
    Hooks().dismiss_tool();
    EXPECT_FALSE(notes->isVisible());
    EXPECT_EQ(NoteBarState, -1);
    EXPECT_EQ(ActiveToolMode, 0);
    // The do-nothing tools have handlers.
    for (int32_t id : {32798, 32796, 32784}) {
        EXPECT_TRUE(HasCommandHandler(id));
        EXPECT_TRUE(RunCommandHandler(id));
    }
}

// The build's data folder: the real tables once they are there.
class RealTableTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        ResetFrameState();
        ResetPaletteState();
        const char* home = std::getenv("ORMEST_HOME");
        ASSERT_TRUE(home != nullptr && *home != '\0');
        platform::set_data_folder(home);
        UsePaletteFolder("");
        ASSERT_TRUE(PaletteTables().error.empty()) << PaletteTables().error;
        bar_widget_ = std::make_unique<QToolBar>();
        PaletteToolbarWnd = bar_widget_.get();
    }
    void TearDown() override {
        SetHandlerSender(nullptr);
        PaletteToolbarWnd = nullptr;
        bar_widget_.reset();
        ResetPaletteState();
        FrontEndTest::TearDown();
    }
    std::unique_ptr<QToolBar> bar_widget_;
};

TEST_F(RealTableTest, EveryHandlerRunsByItsKind) {
    const PaletteData& t = PaletteTables();
    std::vector<std::string> sent;
    SetHandlerSender([&](const std::string& s) { sent.push_back(s); });
    std::map<HandlerKind, int> per_kind;
    for (const CommandHandlerEntry& e : t.handlers) {
        ++per_kind[e.kind];
        for (const std::string& s : e.texts) {
            EXPECT_LE(s.size(), static_cast<std::size_t>(kCommandTextChars)) << s;
        }
        for (const int32_t id : e.ids) {
            sent.clear();
            ShowPalette(134);
            DisplayScale = 64;
            ASSERT_TRUE(RunCommandHandler(id)) << id;
            std::vector<std::string> expected;
            switch (e.kind) {
                case HandlerKind::Send:
                case HandlerKind::TwoSends:
                case HandlerKind::SendPalette:
                case HandlerKind::PaletteSend:
                case HandlerKind::StopPlay:
                case HandlerKind::ExitPlay:
                    expected = e.texts;
                    break;
                case HandlerKind::ByPalette:
                    expected = {e.texts.back()};  // 134 chooses neither palette
                    break;
                default:
                    break;
            }
            EXPECT_EQ(sent, expected) << id;
            const bool shows = e.kind == HandlerKind::SendPalette ||
                               e.kind == HandlerKind::PaletteSend ||
                               e.kind == HandlerKind::Palette || e.kind == HandlerKind::GroupEdit ||
                               e.kind == HandlerKind::Return;
            if (shows && e.palette > 0 && t.palettes.count(e.palette) != 0) {
                EXPECT_EQ(CurrentPaletteId, e.palette) << id;
            }
            if (e.kind == HandlerKind::ZoomPlus) {
                EXPECT_EQ(DisplayScale, 72);
            }
            if (e.kind == HandlerKind::ZoomMinus) {
                EXPECT_EQ(DisplayScale, 56);
            }
        }
    }
    if (t.handlers.size() >= 1325) {
        EXPECT_EQ(t.handlers.size(), 1325u);
        EXPECT_EQ(per_kind[HandlerKind::Send], 1256);
        EXPECT_EQ(per_kind[HandlerKind::SendPalette], 16);
        EXPECT_EQ(per_kind[HandlerKind::PaletteSend], 2);
        EXPECT_EQ(per_kind[HandlerKind::Palette], 38);
        EXPECT_EQ(per_kind[HandlerKind::TwoSends], 2);
        EXPECT_EQ(per_kind[HandlerKind::ByPalette], 2);
        EXPECT_EQ(per_kind[HandlerKind::GroupEdit], 1);
        EXPECT_EQ(per_kind[HandlerKind::Return], 1);
        EXPECT_EQ(per_kind[HandlerKind::ZoomPlus] + per_kind[HandlerKind::ZoomMinus], 2);
        EXPECT_EQ(per_kind[HandlerKind::PlayAgain] + per_kind[HandlerKind::Pause] +
                      per_kind[HandlerKind::StopPlay] + per_kind[HandlerKind::ExitPlay],
                  4);
        EXPECT_EQ(per_kind[HandlerKind::Nothing], 1);
    }
    // Every id on a palette is handled, or one of the ids shown disabled.
    const std::set<int32_t> disabled = {33530, 32785, 32910, 33267, 33268, 33492,
                                        33712, 33724, 33901, 33902, 34122, 34124,
                                        34133, 34145, 34146, 34245, 34318, 34398};
    for (const auto& [id, layout] : t.palettes) {
        for (const int32_t b : layout.buttons) {
            if (b == 0) continue;
            EXPECT_TRUE(HasCommandHandler(b) || disabled.count(b) != 0) << id << ": " << b;
            EXPECT_FALSE(HasCommandHandler(b) && disabled.count(b) != 0) << id << ": " << b;
        }
    }
}

// Every distinct text of the table through the real gate on a small page: no defect report, and
// no engine call or wait left open. Questions are answered Cancel; a routine that waits for input
// is given Exit until it ends.
TEST_F(RealTableTest, EveryTextRunsThroughTheEngine) {
    ASSERT_TRUE(start_engine_with_data());
    TakeHelpPath();
    make_bar();
    temp_->enter();
    std::set<std::string> texts;
    for (const CommandHandlerEntry& e : PaletteTables().handlers) {
        texts.insert(e.texts.begin(), e.texts.end());
    }
    // A small page: two notes on one staff.
    SendCommand("1 1 10 0 0 1 ");
    ASSERT_GT(core::ItemCount, 0);
    std::vector<std::string> replies;
    Hooks().show_reply = [&](std::string_view r) { replies.emplace_back(r); };
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        if (EngineCallDepth() > 0 || core::EngineWaitLevel > 0) DepositCommandText("X  ");
    });
    answer.start(5);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& t : texts) {
        // Moves through the files or restarts the program are not for a scratch run.
        if (t.rfind("RS", 0) == 0 || t == "G " || t.rfind("PR", 0) == 0) continue;
        SendCommand(t.c_str());
        EXPECT_EQ(EngineCallDepth(), 0) << t;
        EXPECT_LE(core::EngineWaitLevel, 0) << t;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(90)) {
            ADD_FAILURE() << "too slow at " << t;
            break;
        }
    }
    answer.stop();
    for (const std::string& r : replies)
        EXPECT_EQ(r.find("internal error"), std::string::npos) << r;
    for (const std::string& m : fe_.message_boxes) {
        EXPECT_EQ(m.find("internal error"), std::string::npos) << m;
    }
}

// The engine's "JT" ends the group-edit request of the palette.
TEST_F(RealTableTest, JustifyTextEndsGroupEdit) {
    ASSERT_TRUE(start_engine_with_data());
    core::GroupEditFlag = -1;
    SendCommand("JT ");
    EXPECT_EQ(core::GroupEditFlag, 0);
}

}  // namespace
