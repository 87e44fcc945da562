// Backspace on an empty command bar brings the last command back in Edit Text (offscreen):
// Cancel, Escape or the close box run nothing at all, the recalled line included; OK runs the
// line as the dialog holds it.
#include <filesystem>

#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;

namespace fs = std::filesystem;

namespace {

class RecallCancelTest : public DialogCommandTest {
  protected:
    // Backspace typed into the empty command bar; act answers the dialog it opens.
    Seen backspace_into_dialog(std::function<void(QDialog&)> act) {
        Seen seen;
        Answers answers;
        answers.dialog(std::move(act), &seen);
        QWidget* edit = frame_->CommandBar()->InputEdit();
        answers.start(edit);
        press(edit, Qt::Key_Backspace, QStringLiteral("\b"));
        QCoreApplication::processEvents();
        EXPECT_TRUE(answers.finished()) << answers.next();
        return seen;
    }
};

TEST_F(RecallCancelTest, ACancelledRecallRunsNothing) {
    struct Way {
        const char* name;
        std::function<void(QDialog&)> act;
    };
    const std::vector<Way> ways = {
        {"Escape", escape()},
        {"Cancel", [](QDialog& d) { click(d, 2); }},
        {"close box", [](QDialog& d) { d.close(); }},
    };
    const fs::path written = dir_ / "w.mus";
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        type_line(QStringLiteral("SA w.mus"));
        ASSERT_TRUE(fs::exists(written)) << reply();
        fs::remove(written);
        const std::vector<std::vector<float>> before = page_items();
        const Seen seen = backspace_into_dialog(way.act);
        EXPECT_TRUE(seen.opened);
        EXPECT_EQ(seen.title, QStringLiteral("Edit Text"));
        EXPECT_FALSE(fs::exists(written)) << reply();
        EXPECT_EQ(page_items(), before);
    }

    // OK runs the recalled line.
    type_line(QStringLiteral("SA w.mus"));
    fs::remove(written);
    backspace_into_dialog(ok());
    EXPECT_TRUE(fs::exists(written)) << reply();
}

}  // namespace
