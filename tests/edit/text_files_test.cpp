// The text file viewer ("TYPE name") and its Save As, typed as the user types them.
#include "engine/edit/text/text_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/core/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

namespace fs = std::filesystem;

class TextFiles : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    static void write(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // "TYPE name" as the text command hands it over.
    static void type_file(const std::string& name) {
        core::SecondLine.set("TYPE " + name);
        core::CommandLine = core::SecondLine;
        edit::view_text_file();
    }
    bool dialog_shown(const std::string& name) const {
        for (const std::string& d : fe_.dialogs)
            if (d == name) return true;
        return false;
    }
};

TEST_F(TextFiles, AFileIsShownInTheTextFileDialog) {
    write("notes.txt", "line one\nline two\n");
    fe_.answer_dialog(2);
    type_file("notes.txt");
    EXPECT_TRUE(dialog_shown("Text File"));
    EXPECT_EQ(fe_.dialog_text, "line one\nline two\n");
    EXPECT_EQ(edit::TextFileName, "notes.txt");
    EXPECT_TRUE(fe_.message_boxes.empty());
}

TEST_F(TextFiles, AMissingFileIsReported) {
    type_file("nofile.txt");
    EXPECT_TRUE(shown("File not found --> nofile.txt"));
    EXPECT_FALSE(dialog_shown("Text File"));
}

TEST_F(TextFiles, ALongFileIsShownCutAndSavingItOverItselfAsksFirst) {
    std::string big;
    for (int k = 0; big.size() < 25000; ++k) big += "line " + std::to_string(k) + "\n";
    big.resize(25000);
    write("big.txt", big);
    fe_.answer_dialog(3);
    fe_.answer_dialog(1, "big.txt");
    fe_.answer_yes_no(0);  // no: keep the whole file
    type_file("big.txt");
    EXPECT_EQ(fe_.dialog_text.size(), 20000u);
    EXPECT_EQ(fe_.dialog_text, big.substr(0, 20000));
    EXPECT_FALSE(fe_.message_boxes.empty());
    ASSERT_EQ(fe_.questions.size(), 1u);
    EXPECT_EQ(read("big.txt"), big);
    // Yes writes the cut copy.
    fe_.answer_dialog(3);
    fe_.answer_dialog(1, "big.txt");
    fe_.answer_yes_no(-1);
    type_file("big.txt");
    EXPECT_EQ(read("big.txt"), big.substr(0, 20000));
}

TEST_F(TextFiles, SaveAsWritesUpToTheLastNonBlankWithoutAsking) {
    const std::string exact(20000, 'a');
    write("exact.txt", exact);
    fe_.answer_dialog(3);
    fe_.answer_dialog(1, "copy.txt");
    type_file("exact.txt");
    EXPECT_TRUE(fe_.message_boxes.empty());  // exactly 20,000 bytes is not cut
    EXPECT_TRUE(fe_.questions.empty());
    EXPECT_EQ(read("copy.txt"), exact);
    // A blank file saves as an empty one; no temporary file is left.
    write("blank.txt", "     ");
    fe_.answer_dialog(3);
    fe_.answer_dialog(1, "empty.txt");
    type_file("blank.txt");
    ASSERT_TRUE(fs::exists("empty.txt"));
    EXPECT_EQ(fs::file_size("empty.txt"), 0u);
    for (const auto& entry : fs::directory_iterator("."))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

// Lines of text cut to n bytes, the last of them an "a".
std::string text_of_length(std::size_t n) {
    std::string text;
    for (int k = 0; text.size() < n; ++k) text += "line " + std::to_string(k) + " of the text\n";
    text.resize(n - 1);
    return text + "a";
}

// "TYPE name" typed as a command, then Save As under another name: a file of exactly 20,000
// bytes and one of 19,999 are written whole, last byte included; a longer one is written cut to
// its first 20,000; trailing blanks are left out.
TEST_F(TextFiles, TheTypedViewerSavesAsEveryByteUpToItsLimit) {
    const std::string exact = text_of_length(20000);
    const std::string one_less = text_of_length(19999);
    const std::string longer = exact + std::string(4000, 'b');
    const std::string blanks_at_end = text_of_length(19990) + std::string(10, ' ');
    struct Case {
        const char* name;
        const std::string& bytes;
        std::string written;
    };
    const Case cases[] = {{"exact.txt", exact, exact},
                          {"less.txt", one_less, one_less},
                          {"longer.txt", longer, exact},
                          {"blanks.txt", blanks_at_end, text_of_length(19990)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.name, c.bytes);
        const std::string copy = std::string("copy_") + c.name;
        fe_.answer_dialog(3);
        fe_.answer_dialog(1, copy);
        type(std::string("TYPE ") + c.name);
        EXPECT_TRUE(dialog_shown("Text File"));
        EXPECT_EQ(fe_.dialog_text.size(), std::min<std::size_t>(c.bytes.size(), 20000));
        const std::string written = read(copy);
        EXPECT_EQ(written.size(), c.written.size());
        EXPECT_TRUE(written == c.written);
        EXPECT_TRUE(read(c.name) == c.bytes);  // the file viewed stays as it was
    }
}

}  // namespace
