// The output dialogs behind their commands, end to end (offscreen): Print Setup and its box,
// the Bounding Box, Sound and the Path List, typed into the main window's command bar and
// answered as a user would; checked by the file written and the reply.
#include <QAbstractButton>
#include <QComboBox>
#include <QRadioButton>
#include <fstream>
#include <sstream>

#include "output/tables.h"
#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;
namespace fs = std::filesystem;

namespace {

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Print Setup: the output goes to a file of the typed name.
void to_file(QDialog& d, const QString& name) {
    control<QRadioButton>(d, 1005)->click();
    set_field(d, 1135, name);
}

TEST_F(DialogCommandTest, PrintSetupWritesTheTypedFile) {
    Seen seen;
    Answers answers;
    answers.dialog(
        [](QDialog& d) {
            to_file(d, QStringLiteral("page.eps"));
            click(d, 1);
        },
        &seen);
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(seen.title, QStringLiteral("Print Setup"));
    EXPECT_EQ(reply(), "Output to file - page.eps");
    const std::string eps = file_text(dir_ / "page.eps");
    EXPECT_EQ(eps.rfind("%!PS-Adobe", 0), 0u) << eps.substr(0, 40);
}

TEST_F(DialogCommandTest, PrintSetupWithAHeaderWritesItsText) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        to_file(d, QStringLiteral("head.eps"));
        control<QRadioButton>(d, 1097)->click();
        set_field(d, 1096, QStringLiteral("Second Mvt"));
        click(d, 1);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_EQ(reply(), "Output to file - head.eps");
    EXPECT_NE(file_text(dir_ / "head.eps").find("Second Mvt"), std::string::npos);
}

TEST_F(DialogCommandTest, PrintSetupCancelledWritesNothing) {
    Answers answers;
    answers.dialog([](QDialog& d) {
        to_file(d, QStringLiteral("none.eps"));
        click(d, 2);
    });
    type_line(QStringLiteral("PR"), &answers);
    EXPECT_FALSE(fs::exists(dir_ / "none.eps"));
    EXPECT_EQ(reply().find("Output to"), std::string::npos) << reply();
}

}  // namespace
