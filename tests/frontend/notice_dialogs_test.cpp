// The out-of-bounds notice and the question dialogs in the window (offscreen), beyond the
// answers the input tests play: the notice's text and its "don't show again" box through the
// engine, and the questions' default buttons and restored area.
#include "frontend/dialogs/notice_dialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"
#include "tests/frontend/frontend_fixture.h"

namespace {

using NoticeDialogTest = AttendedDialogTest;

// The engine's notice of an item beyond the page: its text, and the box's state kept as the
// "notice off" word; Escape keeps the notice on.
TEST_F(NoticeDialogTest, OutOfBoundsNoticeShowsTheEnginesTextAndKeepsTheBox) {
    core::ParamBuffer(3) = 300.0f;
    core::IntParamBuffer(1) = 11;
    core::IntParamBuffer(2) = 4;
    QString text;
    QString box;
    std::string buffer;
    answer_next_dialog([&](QDialog& d) {
        const std::string_view v = core::FrontEndCommandBuffer.view();
        buffer = std::string(v.substr(0, v.find('\0')));
        text = control<QLabel>(d, 1044)->text();
        box = control<QAbstractButton>(d, 1002)->text();
        control<QAbstractButton>(d, 1002)->click();
        control<QAbstractButton>(d, 1)->click();
    });
    render::report_out_of_bounds();
    EXPECT_EQ(text.toStdString(), buffer);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Stf"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("P3 is out of bounds. > 280"))) << text.toStdString();
    EXPECT_EQ(box, QStringLiteral("Don't show this message again.\nType \"OUT OK\" to restore."));
    EXPECT_EQ(render::OutOfBoundsNoticeOff, 1);

    const std::function<void(QDialog&)> acts[] = {[](QDialog& d) { control<QAbstractButton>(d, 1)->click(); },
                                                  key_in_dialog(Qt::Key_Escape),
                                                  [](QDialog& d) { d.close(); }};
    for (const auto& act : acts) {
        render::OutOfBoundsNoticeOff = 1;
        answer_next_dialog(act);
        render::report_out_of_bounds();
        EXPECT_EQ(render::OutOfBoundsNoticeOff, 0);
    }
}

TEST_F(NoticeDialogTest, QuestionsShowTheirDefaultButtonsAndHandBackTheArea) {
    // Yes is the three-answer question's default, and Enter answers it.
    bool yes_default = false;
    answer_next_dialog([&](QDialog& d) {
        yes_default = control<QPushButton>(d, 1045)->isDefault();
        press(&d, Qt::Key_Return);
    });
    EXPECT_EQ(frontend::AskYesNoExit("Write over file?"), -1);
    EXPECT_TRUE(yes_default);

    // Closed: the area's question stays as the launcher left it and the answer is 99.
    answer_next_dialog([](QDialog& d) { d.close(); });
    EXPECT_EQ(frontend::AskYesNo("Continue Input?", 1), 99);
    EXPECT_EQ(frontend::DialogExchangeBlocks.DialogQuestionText, "Continue Input?");
    EXPECT_EQ(frontend::DialogExchangeBlocks.ExchangeBlockA[0], 1);

    // The abandon question has its own title and text.
    QString shown;
    answer_next_dialog([&](QDialog& d) {
        shown = d.windowTitle() + "|" + control<QLabel>(d, 1044)->text();
        control<QAbstractButton>(d, 1046)->click();
    });
    EXPECT_EQ(frontend::AskAbandonInput(), 1);
    EXPECT_EQ(shown, QStringLiteral("Abandon input?|Abandon input?"));
}

}  // namespace
