// The window services the engine asks for through its service gate: zoom, dialogs (played by
// test hooks), cursor, the document's flag, path and title, saving while busy, the find dialog.
#include "frontend/bridge/services.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/core/service_request.h"
#include "frontend/bridge/dialog_launchers.h"
#include "frontend/view/frames.h"
#include "tests/frontend/app_fixture.h"
#include "tests/frontend/frontend_fixture.h"

using namespace frontend;

namespace {

bool marked() { return core::last_service_tag()[0] == '\0'; }

class ServiceTest : public FrontEndTest {
  protected:
    void SetUp() override {
        FrontEndTest::SetUp();
        ServiceDialogHooks() = ServiceDialogs{};
        Hooks().show_zoom_text = [this](std::string_view text) { zoom_text_ = text; };
        DisplayScale = 64;
        PostCommandAction = 0;
    }
    void TearDown() override {
        ServiceDialogHooks() = ServiceDialogs{};
        core::FrontEndCommandBuffer.blank();
        FrontEndTest::TearDown();
    }
    std::string zoom_text_;
};

class DocumentServiceTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ServiceDialogHooks() = ServiceDialogs{};
        make_frame();
        child_ = frame_->OnFileNew();
        ASSERT_NE(child_, nullptr);
    }
    void TearDown() override {
        ServiceDialogHooks() = ServiceDialogs{};
        core::EngineWaitLevel = 0;
        AppTest::TearDown();
    }
    COrmestDoc& doc() { return *child_->Document(); }
    CChildFrame* child_ = nullptr;
};

}  // namespace

TEST_F(ServiceTest, ZoomWithZeroTogglesAndRefusesANegativeScale) {
    core::ServiceBlock block;
    block(1) = 0;
    core::request_front_end_service('k', block);
    EXPECT_EQ(DisplayScale, 128);
    EXPECT_TRUE(marked());
    block(1) = 0;
    core::request_front_end_service('k', block);
    EXPECT_EQ(DisplayScale, 64);

    DisplayScale = 192;
    block(1) = 0;
    core::request_front_end_service('k', block);
    EXPECT_EQ(DisplayScale, 64);

    // A scale below zero is no zoom: nothing changes and the request stays unserved.
    ScrollSizeRecord = {16000, 16000, 1024, 1024, 128, 0};
    block(1) = -64;
    core::request_front_end_service('k', block);
    EXPECT_EQ(DisplayScale, 64);
    EXPECT_FALSE(marked());
    EXPECT_EQ(ScrollSizeRecord[0], 16000);
}

TEST_F(ServiceTest, ZoomScalesTheScrollSizesAndWritesThePercentage) {
    ScrollSizeRecord = {16000, 16000, 1024, 1024, 128, 0};
    core::ServiceBlock block;
    block(1) = 128;
    core::request_front_end_service('k', block);
    EXPECT_EQ(DisplayScale, 128);
    EXPECT_EQ(ScrollSizeRecord, (std::array<int32_t, 6>{32000, 32000, 2048, 2048, 256, 0}));
    EXPECT_EQ(zoom_text_, "200%    ");
    EXPECT_EQ(core::MouseRegion(3), 200);  // device (100, 100) in engine units at 128
    EXPECT_EQ(InputEventFlags.RawMousePoint, (std::array<int32_t, 2>{100, 100}));
}

TEST_F(ServiceTest, CancelledColourGivesMinusOneAndOkGivesTheColour) {
    uint32_t offered = 0;
    ServiceDialogHooks().choose_colour = [&offered](uint32_t initial, uint32_t&) {
        offered = initial;
        return false;
    };
    core::ServiceBlock block;
    core::request_front_end_service('o', block);
    EXPECT_EQ(block(1), -1);
    EXPECT_EQ(offered, 8388736u);  // the gate's preset colour reaches the dialog
    EXPECT_TRUE(marked());

    ServiceDialogHooks().choose_colour = [](uint32_t, uint32_t& chosen) {
        chosen = 0x00123456;
        return true;
    };
    core::request_front_end_service('o', block);
    EXPECT_EQ(block(1), 0x00123456);

    // Without a hook and without a window the dialog counts as cancelled.
    ServiceDialogHooks() = ServiceDialogs{};
    core::request_front_end_service('o', block);
    EXPECT_EQ(block(1), -1);
}

TEST_F(ServiceTest, CancelledFontChangesNothingAndSaysNothing) {
    FontTestLogFont.face = "Times";
    ServiceDialogHooks().choose_font = [](QFont&) { return false; };
    core::ServiceBlock block;
    core::request_front_end_service('f', block);
    EXPECT_FALSE(marked());
    EXPECT_EQ(block(1), 0);
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
    core::ServiceBlock block;
    core::request_front_end_service('f', block);
    EXPECT_TRUE(marked());
    EXPECT_EQ(block(1), kFontTestLogFontToken);
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
        char tag[4] = {'~', 'c', 'u', '\0'};
        core::ServiceBlock block;
        block(1) = number;
        FrontEndService(tag, block);
        EXPECT_EQ(view.viewport()->cursor().shape(), shape) << number;
        EXPECT_EQ(tag[0], '\0');
    }
    SetActiveView(nullptr);
}

TEST_F(ServiceTest, LettersWithoutAServiceLeaveTagAndBlockAlone) {
    for (char letter : {'g', 't', 'u', 'w', 'x', 'y', 'K', '7'}) {
        char tag[4] = {'~', letter, 'x', '\0'};
        core::ServiceBlock block;
        block(1) = 42;
        FrontEndService(tag, block);
        EXPECT_EQ(tag[0], '~') << letter;
        EXPECT_EQ(block(1), 42) << letter;
    }
    // 'j' only asks the typed-line handler to clear the document afterwards.
    char tag[4] = {'~', 'j', 'x', '\0'};
    core::ServiceBlock block;
    FrontEndService(tag, block);
    EXPECT_EQ(PostCommandAction, 3);
    EXPECT_EQ(tag[0], '~');
}

TEST_F(ServiceTest, SaveAsHandsTheChosenNameBackAndCancelRunsNothing) {
    ServiceDialogHooks().save_file = [] { return QString(); };
    core::MessageLine.set("untouched");
    core::ServiceBlock block;
    core::request_front_end_service('a', block);
    EXPECT_FALSE(marked());
    EXPECT_EQ(block(1), 0);
    EXPECT_EQ(core::MessageLine.trimmed(), "untouched");

    ServiceDialogHooks().save_file = [] { return QStringLiteral("/tmp/chosen name.mus"); };
    core::request_front_end_service('a', block);
    EXPECT_TRUE(marked());
    EXPECT_EQ(core::block_text(block), "/tmp/chosen name.mus");
}

TEST_F(ServiceTest, PrintDialogClearsWordOneOnlyOnOk) {
    bool setup_only = false;
    ServiceDialogHooks().print = [&setup_only](bool setup) {
        setup_only = setup;
        return false;
    };
    char tag[4] = {'~', 'r', 'i', '\0'};
    core::ServiceBlock block;
    block(1) = 1;
    FrontEndService(tag, block);
    EXPECT_TRUE(setup_only);
    EXPECT_EQ(block(1), 1);
    ServiceDialogHooks().print = [](bool) { return true; };
    FrontEndService(tag, block);
    EXPECT_EQ(block(1), 0);
}

TEST_F(ServiceTest, TestLoopRunsUntilThePlayerClockMovesAndOnceWithoutAPlayer) {
    int boxes = 0;
    ServiceDialogHooks().message_box = [&boxes](const QString& text) {
        EXPECT_EQ(text, QStringLiteral("the test"));
        ++boxes;
    };
    char tag[4] = {'~', 'q', 'x', '\0'};
    core::ServiceBlock block;
    FrontEndService(tag, block);
    EXPECT_EQ(boxes, 1);
    boxes = 0;
    ServiceDialogHooks().player_elapsed_time = [&boxes] { return boxes >= 3 ? 500 : 0; };
    FrontEndService(tag, block);
    EXPECT_EQ(boxes, 3);
    EXPECT_EQ(tag[0], '~');
}

TEST_F(ServiceTest, FindDialogIsModelessWithTheTextAndOptions) {
    for (const int32_t find_only : {1, 0}) {
        core::ServiceBlock block;
        block(1) = find_only;
        block(2) = 4;  // match case
        core::set_block_text(block, "C#", 3);
        char tag[4] = {'~', 'l', 'a', '\0'};
        FrontEndService(tag, block);
        EXPECT_EQ(block(1), 0);
        EXPECT_EQ(tag[0], '\0');
        QDialog* shown = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("FindReplaceDialog") && w->isVisible()) {
                shown = qobject_cast<QDialog*>(w);
            }
        }
        ASSERT_NE(shown, nullptr);
        EXPECT_FALSE(shown->isModal());
        auto* text = shown->findChild<QLineEdit*>(QStringLiteral("FindText"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(), QStringLiteral("C#"));
        EXPECT_EQ(shown->findChild<QLineEdit*>(QStringLiteral("ReplaceText")) != nullptr,
                  find_only == 0);
        // Closing deletes it.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("FindReplaceDialog")) w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(DocumentServiceTest, ModifiedFlagServicesReachTheActiveDocument) {
    core::ServiceBlock block;
    block(1) = 1;
    core::request_front_end_service('m', block);
    EXPECT_TRUE(doc().IsModified());
    EXPECT_TRUE(child_->isWindowModified());
    block(1) = 0;
    core::request_front_end_service('i', block);
    EXPECT_EQ(block(1), 1);

    block(1) = 0;
    core::request_front_end_service('m', block);
    EXPECT_FALSE(doc().IsModified());
    block(1) = 7;
    core::request_front_end_service('i', block);
    EXPECT_EQ(block(1), 0);
    // Nothing to save: it is all right to go on.
    core::request_front_end_service('d', block);
    EXPECT_EQ(block(1), 1);
}

TEST_F(DocumentServiceTest, PathTitleAndItemBar) {
    const std::string path = (dir_ / "named.mus").string();
    core::ServiceBlock block;
    core::set_block_text(block, path);
    char tag_h[4] = {'~', 'h', 'p', '\0'};
    FrontEndService(tag_h, block);
    EXPECT_EQ(doc().PathName().toStdString(), path);
    ASSERT_FALSE(frame_->RecentFiles().isEmpty());
    EXPECT_EQ(frame_->RecentFiles().first().toStdString(), path);

    core::set_block_text(block, "KELDA.MUS   12 items");
    core::request_front_end_service('n', block);
    EXPECT_TRUE(child_->windowTitle().startsWith(QStringLiteral("KELDA.MUS   12 items")));

    block(1) = 1;
    core::request_front_end_service('e', block);
    EXPECT_EQ(ShowItemBar, 1);
    block(1) = 0;
    core::request_front_end_service('e', block);
    EXPECT_EQ(ShowItemBar, 0);
}

TEST_F(DocumentServiceTest, SaveServiceIsRefusedWhileTheEngineIsBusy) {
    const std::filesystem::path target = dir_ / "saved.mus";
    core::ServiceBlock block;
    core::set_block_text(block, target.string());
    char tag[4] = {'~', 'v', 'e', '\0'};
    core::EngineWaitLevel = 1;  // an engine routine waits: no second call may start
    FrontEndService(tag, block);
    EXPECT_FALSE(std::filesystem::exists(target));
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_.back().find("cannot be saved while"), std::string::npos);

    core::EngineWaitLevel = 0;
    FrontEndService(tag, block);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(doc().IsModified());
}
