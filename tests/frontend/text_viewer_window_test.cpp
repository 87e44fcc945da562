// The text viewer behind its command word, end to end (offscreen): "TYPE name" typed into the
// main window's command bar shows the file in the Text File dialog, Save As and the file-name
// prompt are answered as a user answers them, and the file written is read back.
#include <QLabel>
#include <fstream>
#include <sstream>

#include "tests/frontend/dialog_command_fixture.h"

using namespace frontend;
using namespace dialog_commands;
namespace fs = std::filesystem;

namespace {

// Lines of text cut to n bytes, the last of them an "a".
std::string viewer_text_of_length(std::size_t n) {
    std::string text;
    for (int k = 0; text.size() < n; ++k) text += "line " + std::to_string(k) + " of the text\n";
    text.resize(n - 1);
    return text + "a";
}

std::string viewer_file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Save As, unchanged, under another name: a file of exactly 20,000 bytes and one of 19,999 are
// written whole, the last "a" included; a longer one is written cut to its first 20,000 (its
// notice answered first).
TEST_F(DialogCommandTest, TheTextViewerSavesAsEveryByteUpToItsLimit) {
    const std::string exact = viewer_text_of_length(20000);
    const std::string one_less = viewer_text_of_length(19999);
    const std::string longer = exact + std::string(3000, 'b');
    struct Case {
        const char* name;
        const std::string& bytes;
        const std::string& written;
    };
    const Case cases[] = {{"exact.txt", exact, exact},
                          {"less.txt", one_less, one_less},
                          {"longer.txt", longer, exact}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(dir_ / c.name, std::ios::binary) << c.bytes;
        const QString copy = QStringLiteral("copy_") + QString::fromLatin1(c.name);
        Answers answers;
        Seen notice;
        if (c.bytes.size() > 20000) {
            answers.dialog([](QDialog& d) { d.accept(); }, &notice);  // the file is cut
        }
        Seen viewer;
        answers.dialog([](QDialog& d) { click(d, 1551); }, &viewer);
        answers.dialog([&copy](QDialog& d) {
            set_field(d, 1000, copy);
            click(d, 1);
        });
        type_line(QStringLiteral("TYPE ") + QString::fromLatin1(c.name), &answers);
        EXPECT_EQ(viewer.title, QStringLiteral("Text File"));
        EXPECT_EQ(notice.opened, c.bytes.size() > 20000);
        const std::string written = viewer_file_bytes(dir_ / copy.toStdString());
        EXPECT_EQ(written.size(), c.written.size()) << reply();
        EXPECT_TRUE(written == c.written);
        EXPECT_TRUE(viewer_file_bytes(dir_ / c.name) == c.bytes);
    }
}

}  // namespace
