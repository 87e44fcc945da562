// The text viewer typed into the console: "TYPE name" reads the file up to the viewer's 20,000
// bytes; its Save As is a window dialog, which the console cancels without writing anything.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/edit/text/text_files.h"
#include "tests/support/console_run.h"

namespace {

namespace fs = std::filesystem;

bool viewer_reply_has(const std::string& out, const std::string& text) {
    return out.find(text) != std::string::npos;
}

class TextViewerConsoleTest : public ConsoleSessionTest {};

TEST_F(TextViewerConsoleTest, TheViewerReadsUpToItsLimitAndTheConsoleWritesNothing) {
    const std::string exact = std::string(19999, 'x') + "a";
    const std::string one_less = std::string(19998, 'x') + "a";
    const std::string longer = exact + std::string(100, 'b');
    std::ofstream(temp_.root() / "exact.txt", std::ios::binary) << exact;
    std::ofstream(temp_.root() / "less.txt", std::ios::binary) << one_less;
    std::ofstream(temp_.root() / "longer.txt", std::ios::binary) << longer;
    const std::string cut_notice = "longer than 20000 bytes";
    const std::string window_only = "Dialog \"Text File\" needs the window: cancelled.";

    std::string out = type({"TYPE exact.txt"});
    EXPECT_TRUE(viewer_reply_has(out, window_only)) << out;
    EXPECT_FALSE(viewer_reply_has(out, cut_notice)) << out;
    EXPECT_TRUE(edit::TextFileBuffer == exact);
    EXPECT_FALSE(edit::TextFileCut);

    out = type({"TYPE less.txt"});
    EXPECT_FALSE(viewer_reply_has(out, cut_notice)) << out;
    EXPECT_TRUE(edit::TextFileBuffer == one_less);

    out = type({"TYPE longer.txt"});
    EXPECT_TRUE(viewer_reply_has(out, cut_notice)) << out;
    EXPECT_TRUE(edit::TextFileBuffer == exact);
    EXPECT_TRUE(edit::TextFileCut);

    // Only the three files: the cancelled viewer wrote none.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(temp_.root())) {
        if (entry.is_regular_file()) ++files;
    }
    EXPECT_EQ(files, 3);
}

}  // namespace
