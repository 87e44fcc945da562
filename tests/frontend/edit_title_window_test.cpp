// The page window's title while an item is edited (offscreen): the UP button changes the edited
// note, and the title says "* (not saved" at once, before X stores it, and "(saved" again once
// the note is typed back to its stored values.
#include "frontend/app/command_handlers.h"
#include "frontend/view/ormest_doc.h"
#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace {

constexpr int32_t kUpButton = 32720;

TEST_F(DialogCommandTest, TheTitleTellsAChangedEditAtOnce) {
    COrmestDoc* doc = frame_->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->TitleLine().contains(QStringLiteral("   (saved -")))
        << doc->TitleLine().toStdString();

    // Opened for editing, unchanged: still saved.
    type_line(QStringLiteral("I 3"));
    ASSERT_EQ(core::EditedItemNumber, 3) << reply();
    EXPECT_TRUE(doc->TitleLine().contains(QStringLiteral("   (saved -")))
        << doc->TitleLine().toStdString();

    ASSERT_TRUE(RunCommandHandler(kUpButton));
    QCoreApplication::processEvents();
    EXPECT_EQ(core::EditedItemNumber, 3);
    EXPECT_TRUE(doc->TitleLine().contains(QStringLiteral(" * (not saved -")))
        << doc->TitleLine().toStdString();

    // Typed back to its stored value: the page is its file's again, before X as after it.
    const float stored_p4 = core::ItemStore(core::ItemStartTable(3) + 4);
    type_line(QStringLiteral(",,,%1").arg(static_cast<double>(stored_p4)));
    EXPECT_EQ(core::EditedItemNumber, 3) << reply();
    EXPECT_TRUE(doc->TitleLine().contains(QStringLiteral("   (saved -")))
        << doc->TitleLine().toStdString();
    const int32_t count = core::ItemCount;
    type_line(QStringLiteral("X"));
    EXPECT_EQ(core::EditedItemNumber, 0) << reply();
    EXPECT_EQ(core::ItemCount, count);
    EXPECT_EQ(core::ItemStore(core::ItemStartTable(3) + 4), stored_p4);
    EXPECT_TRUE(doc->TitleLine().contains(QStringLiteral("   (saved -")))
        << doc->TitleLine().toStdString();
}

}  // namespace
