// The window services the engine asks for through its service gate: zoom, dialogs (played by
// test hooks), cursor, the document's flag, path and title, saving while busy, the find dialog.
#include "frontend/bridge/services.h"

#include <QFont>
#include <QLineEdit>

#include "engine/core/bridge/service_request.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"

using namespace frontend;

namespace {

bool marked() { return core::last_service_tag()[0] == '\0'; }

// Asks for a service through the engine's gate with word 1 set; the block as it came back.
core::ServiceBlock request(char letter, int32_t word1 = 0) {
    core::ServiceBlock block;
    block(1) = word1;
    core::request_front_end_service(letter, block);
    return block;
}

// Asks the window for service "~<letter><extra>" directly; whether the tag was marked served.
bool serve(char letter, core::ServiceBlock& block, char extra = 'x') {
    char tag[4] = {'~', letter, extra, '\0'};
    FrontEndService(tag, block);
    return tag[0] == '\0';
}

class ServiceTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        Hooks().show_zoom_text = [this](std::string_view text) { zoom_text_ = text; };
        DisplayScale = 64;
        PostCommandAction = 0;
    }
    std::string zoom_text_;
};

class DocumentServiceTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        make_frame();
        child_ = frame_->OnFileNew();
        ASSERT_NE(child_, nullptr);
    }
    COrmestDoc& doc() { return *child_->Document(); }
    CChildFrame* child_ = nullptr;
};

}  // namespace

TEST_F(ServiceTest, ZoomScalesTheScrollSizesAndZeroToggles) {
    ScrollSizeRecord = {16000, 16000, 1024, 1024, 128, 0};
    request('k', 128);
    EXPECT_TRUE(marked());
    EXPECT_EQ(DisplayScale, 128);
    EXPECT_EQ(ScrollSizeRecord, (std::array<int32_t, 6>{32000, 32000, 2048, 2048, 256, 0}));
    EXPECT_EQ(zoom_text_, "200%    ");
    EXPECT_EQ(core::MouseRegion(3), 200);  // device (100, 100) in engine units at 128
    EXPECT_EQ(InputEventFlags.RawMousePoint, (std::array<int32_t, 2>{100, 100}));

    // 0 toggles between 64 and 128; from any other zoom it goes to 64.
    request('k', 0);
    EXPECT_EQ(DisplayScale, 64);
    request('k', 0);
    EXPECT_EQ(DisplayScale, 128);
    DisplayScale = 192;
    request('k', 0);
    EXPECT_EQ(DisplayScale, 64);

    // A scale below zero is no zoom: nothing changes and the request stays unserved.
    ScrollSizeRecord = {16000, 16000, 1024, 1024, 128, 0};
    request('k', -64);
    EXPECT_EQ(DisplayScale, 64);
    EXPECT_FALSE(marked());
    EXPECT_EQ(ScrollSizeRecord[0], 16000);
}

TEST_F(ServiceTest, CancelledColourGivesMinusOneAndOkGivesTheColour) {
    uint32_t offered = 0;
    ServiceDialogHooks().choose_colour = [&offered](uint32_t initial, uint32_t&) {
        offered = initial;
        return false;
    };
    EXPECT_EQ(request('o')(1), -1);
    EXPECT_EQ(offered, 8388736u);  // the gate's preset colour reaches the dialog
    EXPECT_TRUE(marked());

    ServiceDialogHooks().choose_colour = [](uint32_t, uint32_t& chosen) {
        chosen = 0x00123456;
        return true;
    };
    EXPECT_EQ(request('o')(1), 0x00123456);

    // Without a hook and without a window the dialog counts as cancelled.
    ServiceDialogHooks() = ServiceDialogs{};
    EXPECT_EQ(request('o')(1), -1);
}

TEST_F(ServiceTest, CancelledFontChangesNothingAndSaysNothing) {
    FontTestLogFont.face = "Times";
    ServiceDialogHooks().choose_font = [](QFont&) { return false; };
    EXPECT_EQ(request('f')(1), 0);
    EXPECT_FALSE(marked());
    EXPECT_EQ(FontTestLogFont.face, "Times");
    EXPECT_TRUE(fe_.LastMessage().isEmpty()) << fe_.LastMessage().toStdString();
    EXPECT_TRUE(gate_messages_.empty());
}

TEST_F(ServiceTest, ChosenFontFillsTheLogFontExceptStrikeOutAndLeavesAToken) {
    FontTestLogFont.strike_out = 0;
    DialogExchangeBlocks.ExchangeBlockA.fill(99);
    ServiceDialogHooks().choose_font = [](QFont& font) {
        font = QFont(QStringLiteral("Nimbus Sans"));
        font.setPointSizeF(12.0);
        font.setItalic(true);
        font.setStrikeOut(true);
        font.setWeight(QFont::Bold);
        return true;
    };
    EXPECT_EQ(request('f')(1), kFontTestLogFontToken);
    EXPECT_TRUE(marked());
    EXPECT_EQ(FontTestLogFont.face, "Nimbus Sans");
    EXPECT_EQ(FontTestLogFont.height, -167);  // 12 points in thousandths of an inch
    EXPECT_EQ(FontTestLogFont.weight, 700);
    EXPECT_EQ(FontTestLogFont.italic, 1);
    EXPECT_EQ(FontTestLogFont.strike_out, 0);
    const auto& a = DialogExchangeBlocks.ExchangeBlockA;
    EXPECT_EQ((std::array<int32_t, 6>{a[0], a[1], a[2], a[3], a[4], a[5]}),
              (std::array<int32_t, 6>{-167, 0, 0, 0, 0, 1}));
    EXPECT_EQ(core::FrontEndCommandBuffer.sub(1, 32),
              std::string_view("Nimbus Sans\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 32));
}

TEST_F(ServiceTest, CursorNumbersPickTheirShapes) {
    COrmestView view;
    SetActiveView(&view);
    const std::pair<int32_t, Qt::CursorShape> cases[] = {
        {1, Qt::IBeamCursor},         {2, Qt::WaitCursor},           {9, Qt::SizeVerCursor},
        {0, Qt::ArrowCursor},         {10, Qt::ArrowCursor},         {-5, Qt::ArrowCursor},
        {16, Qt::PointingHandCursor}, {999, Qt::PointingHandCursor},
    };
    for (const auto& [number, shape] : cases) {
        core::ServiceBlock block;
        block(1) = number;
        EXPECT_TRUE(serve('c', block, 'u'));
        EXPECT_EQ(view.viewport()->cursor().shape(), shape) << number;
    }
    SetActiveView(nullptr);
}

TEST_F(ServiceTest, LettersWithoutAServiceLeaveTagAndBlockAlone) {
    for (char letter : {'g', 't', 'u', 'w', 'x', 'y', 'K', '7'}) {
        core::ServiceBlock block;
        block(1) = 42;
        EXPECT_FALSE(serve(letter, block)) << letter;
        EXPECT_EQ(block(1), 42) << letter;
    }
    // 'j' only asks the typed-line handler to clear the document afterwards.
    core::ServiceBlock block;
    EXPECT_FALSE(serve('j', block));
    EXPECT_EQ(PostCommandAction, 3);
}

TEST_F(ServiceTest, SaveAsHandsTheChosenNameBackAndCancelRunsNothing) {
    ServiceDialogHooks().save_file = [] { return QString(); };
    core::MessageLine.set("untouched");
    EXPECT_EQ(request('a')(1), 0);
    EXPECT_FALSE(marked());
    EXPECT_EQ(core::MessageLine.trimmed(), "untouched");

    ServiceDialogHooks().save_file = [] { return QStringLiteral("/tmp/chosen name.mus"); };
    EXPECT_EQ(core::block_text(request('a')), "/tmp/chosen name.mus");
    EXPECT_TRUE(marked());
}

TEST_F(ServiceTest, PrintDialogClearsWordOneOnlyOnOk) {
    bool setup_only = false;
    ServiceDialogHooks().print = [&setup_only](bool setup) {
        setup_only = setup;
        return false;
    };
    core::ServiceBlock block;
    block(1) = 1;
    serve('r', block, 'i');
    EXPECT_TRUE(setup_only);
    EXPECT_EQ(block(1), 1);
    ServiceDialogHooks().print = [](bool) { return true; };
    serve('r', block, 'i');
    EXPECT_EQ(block(1), 0);
}

TEST_F(ServiceTest, TestLoopRunsUntilThePlayerClockMovesAndOnceWithoutAPlayer) {
    int boxes = 0;
    ServiceDialogHooks().message_box = [&boxes](const QString& text) {
        EXPECT_EQ(text, QStringLiteral("the test"));
        ++boxes;
    };
    core::ServiceBlock block;
    EXPECT_FALSE(serve('q', block));
    EXPECT_EQ(boxes, 1);
    boxes = 0;
    ServiceDialogHooks().player_elapsed_time = [&boxes] { return boxes >= 3 ? 500 : 0; };
    EXPECT_FALSE(serve('q', block));
    EXPECT_EQ(boxes, 3);
}

TEST_F(ServiceTest, FindDialogIsModelessWithTheTextAndOptions) {
    auto find_dialog = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("FindReplaceDialog")) return w;
        return static_cast<QWidget*>(nullptr);
    };
    for (const int32_t find_only : {1, 0}) {
        core::ServiceBlock block;
        block(1) = find_only;
        block(2) = 4;  // match case
        core::set_block_text(block, "C#", 3);
        EXPECT_TRUE(serve('l', block, 'a'));
        EXPECT_EQ(block(1), 0);
        auto* shown = qobject_cast<QDialog*>(find_dialog());
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isVisible());
        EXPECT_FALSE(shown->isModal());
        auto* text = shown->findChild<QLineEdit*>(QStringLiteral("FindText"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(), QStringLiteral("C#"));
        EXPECT_EQ(shown->findChild<QLineEdit*>(QStringLiteral("ReplaceText")) != nullptr,
                  find_only == 0);
        shown->close();  // which deletes it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(find_dialog(), nullptr);
    }
}

TEST_F(DocumentServiceTest, ModifiedFlagServicesReachTheActiveDocument) {
    request('m', 1);
    EXPECT_TRUE(doc().IsModified());
    EXPECT_TRUE(child_->isWindowModified());
    EXPECT_EQ(request('i', 0)(1), 1);
    request('m', 0);
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(request('i', 7)(1), 0);
    EXPECT_EQ(request('d')(1), 1);  // nothing to save: it is all right to go on
}

TEST_F(DocumentServiceTest, PathTitleAndItemBar) {
    const std::string path = (dir_ / "named.mus").string();
    core::ServiceBlock block;
    core::set_block_text(block, path);
    serve('h', block, 'p');
    EXPECT_EQ(doc().PathName().toStdString(), path);
    ASSERT_FALSE(frame_->RecentFiles().isEmpty());
    EXPECT_EQ(frame_->RecentFiles().first().toStdString(), path);

    core::set_block_text(block, "KELDA.MUS   12 items");
    core::request_front_end_service('n', block);
    EXPECT_TRUE(child_->windowTitle().startsWith(QStringLiteral("KELDA.MUS   12 items")));

    request('e', 1);
    EXPECT_EQ(ShowItemBar, 1);
    request('e', 0);
    EXPECT_EQ(ShowItemBar, 0);
}

TEST_F(DocumentServiceTest, SaveServiceIsRefusedWhileTheEngineIsBusy) {
    const std::filesystem::path target = dir_ / "saved.mus";
    core::ServiceBlock block;
    core::set_block_text(block, target.string());
    core::EngineWaitLevel = 1;  // an engine routine waits: no second call may start
    serve('v', block, 'e');
    EXPECT_FALSE(std::filesystem::exists(target));
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_.back().find("cannot be saved while"), std::string::npos);

    core::EngineWaitLevel = 0;
    serve('v', block, 'e');
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(doc().IsModified());
}
