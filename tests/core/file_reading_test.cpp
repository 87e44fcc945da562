// Reading what the user names: documents (G), command files (RE) and first lines (REX) that are
// no readable files are named as what they are, loads tell of the records they left out, and
// command files end their lines at LF, CR LF or a lone CR and cut long lines with a word.
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/commands/files/file_commands.h"
#include "engine/core/files/file_units.h"
#include "tests/core/document_folder_fixture.h"

namespace {

namespace fs = std::filesystem;

using FileReadingTest = DocumentFolderTest;

TEST_F(FileReadingTest, FoldersFifosAndDevicesAreNamedAsWhatTheyAreAndNeverRead) {
    enter_items_without_editing();
    type("5 1 1");
    fe_.answer_yes_no(-1);
    type("SA kept.mus");
    const std::vector<float> before = page();
    fs::create_directories(base_ / "folder.mus");
    fs::create_directories(base_ / "sdir");
    ASSERT_EQ(::mkfifo(path("pipe.mus").c_str(), 0600), 0);  // no writer: opening it would wait
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {"G folder.mus", "*** " + path("folder.mus") + " is a folder, not a file."},
        {"G pipe.mus", "*** " + path("pipe.mus") + " is not a regular file."},
        {"G /dev/zero.", "*** /dev/zero is not a regular file."},
        {"G missing.mus", "File not found --> " + path("missing.mus")},
        // A folder's name gets no extension: "sdir" and "sdir/" are the folder, not a missing
        // "sdir.MUS" or a hidden "sdir/.MUS".
        {"G sdir", "*** " + path("sdir") + " is a folder, not a file."},
        {"G sdir/", "*** " + path("sdir") + "/ is a folder, not a file."},
        {"RE folder.mus", "*** folder.mus is a folder, not a file."},
        {"RE pipe.mus", "*** pipe.mus is not a regular file."},
        {"RE /dev/zero", "*** /dev/zero is not a regular file."},
        {"RE missing.cmd", "File not found --> missing.cmd"},
        {"REX folder.mus", "*** folder.mus is a folder, not a file."},
        {"REX pipe.mus", "*** pipe.mus is not a regular file."},
        {"REX missing.cmd", "File not found --> missing.cmd"},
    };
    for (const auto& c : cases) {
        fe_.message_boxes.clear();
        type(c.line);
        EXPECT_EQ(fe_.message_boxes, std::vector<std::string>{c.message}) << c.line;
        EXPECT_EQ(page(), before) << c.line;
        EXPECT_EQ(core::CurrentFileName.trimmed(), path("kept.mus")) << c.line;
        EXPECT_EQ(core::MacroUnit, 0) << c.line;
    }
    // Beside a folder of the name, the document of the name with the extension is the one read.
    write_doc("sdir.MUS", {3, 5, 2, 1});
    fe_.message_boxes.clear();
    type("G sdir");
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::CurrentFileName.trimmed(), path("sdir.MUS"));
}

// Root reads every file: the file is made unreadable for real by running the engine as user
// "nobody" in a child process.
TEST_F(FileReadingTest, AFileTheUserMayNotReadIsToldAsRefused) {
    write_doc("secret.mus", {3, 5, 1, 1});
    write_file("secret.cmd", {"5 1 1"});
    ::chmod(path("secret.mus").c_str(), 0600);
    ::chmod(path("secret.cmd").c_str(), 0600);
    ::chmod(base_.c_str(), 0755);
    if (::geteuid() != 0) {
        ::chmod(path("secret.mus").c_str(), 0000);
        ::chmod(path("secret.cmd").c_str(), 0000);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        type("G secret.mus");
        if (!shown("*** " + path("secret.mus") + " cannot be read (permission denied).")) _exit(11);
        type("RE secret.cmd");
        if (!shown("*** secret.cmd cannot be read (permission denied).")) ::_exit(12);
        if (core::ItemCount != 0) ::_exit(13);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FileReadingTest, ALoadSaysHowManyRecordsItLeftOut) {
    // Codes 30 and 31 are no items the page holds; 13 is a temporary mark.
    write_doc("two.mus", {3, 5, 1, 1, 3, 30, 1, 2, 3, 5, 1, 3, 3, 31, 1, 1});
    write_doc("one.mus", {3, 5, 1, 1, 3, 13, 1, 2});
    // Grown and cut records are on the page: nothing was left out.
    write_doc("grown.mus", {3, 5, 1, 1, 2, 5, 1});
    write_doc("clean.mus", {3, 5, 1, 1});
    type("G two.mus");
    // The reply is the notice alone, naming the file read: nothing follows it.
    const std::string left_out =
        "*** 2 records of " + path("two.mus") + " could not be read and were left out.";
    EXPECT_EQ(reply(), left_out);
    EXPECT_EQ(core::LeftOutRecords, 2);
    EXPECT_EQ(page(), (std::vector<float>{3, 5, 1, 1, 3, 5, 1, 3}));
    EXPECT_EQ(core::ChangesMadeFlag, 1);  // the page is not the file: SM asks
    fe_.answer_yes_no(-1);
    type("G one.mus");
    const std::string one_left_out =
        "*** 1 record of " + path("one.mus") + " could not be read and was left out.";
    EXPECT_EQ(reply().substr(0, one_left_out.size()), one_left_out);
    fe_.answer_yes_no(-1);
    type("G grown.mus");
    EXPECT_EQ(core::LeftOutRecords, 0);
    EXPECT_EQ(reply().find("could not be read"), std::string::npos);
    fe_.answer_yes_no(-1);
    type("G clean.mus");
    EXPECT_EQ(reply().find("could not be read"), std::string::npos);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    // A merge that leaves records out says so too.
    type("GMR two.mus");
    EXPECT_TRUE(reply().find("*** 2 records of ") == 0) << reply();
}

TEST_F(FileReadingTest, CommandFileLinesEndAtLfCrLfOrALoneCr) {
    write_text(base_ / "ends.cmd", "5 1 1\r5 1 2\r\n5 1 3\n\r5 1 4\r");
    type("RE ends.cmd");
    // The empty line between LF and CR is skipped as any blank line is.
    ASSERT_EQ(core::ItemCount, 4);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(item(k)[3], static_cast<float>(k)) << k;
}

TEST_F(FileReadingTest, ACommandFileLineLongerThanTheBufferIsCutWithAWord) {
    // Line 2 fills the buffer exactly; line 3 has one character more, a digit that is lost.
    const std::string exact = "5 1 2" + std::string(512 - 5, ' ');
    ASSERT_EQ(exact.size(), 512u);
    const std::string longer = "5 1 3" + std::string(512 - 5, ' ') + "9";
    write_text(base_ / "long.cmd", "5 1 1\n" + exact + "\r\n" + longer + "\n5 1 4\n");
    type("RE long.cmd");
    EXPECT_EQ(fe_.message_boxes,
              std::vector<std::string>{
                  "*** Line 3 is longer than 512 characters: the rest was left out."});
    ASSERT_EQ(core::ItemCount, 4);
    EXPECT_EQ(item(3), (std::vector<float>{3, 5, 1, 3}));  // no P4 of 9
    EXPECT_EQ(item(4), (std::vector<float>{3, 5, 1, 4}));
}

TEST(FileUnitsRecordTest, RecordsEndAtLfCrLfOrALoneCrAndAreCounted) {
    TempFolder temp("file_units_records");
    const fs::path file = temp.root() / "records.txt";
    write_text(file, "a\rb\r\nc\n\nd\r\re\r");
    ASSERT_TRUE(core::open_unit_at_local_path(30, file.string(), core::UnitStatus::Old,
                                              core::UnitForm::Text));
    std::vector<std::string> records;
    std::string record;
    while (core::read_record(30, record) == core::IoResult::Ok) {
        records.push_back(record);
        EXPECT_EQ(core::records_read(30), static_cast<int64_t>(records.size()));
    }
    EXPECT_EQ(records, (std::vector<std::string>{"a", "b", "c", "", "d", "", "e"}));
    core::rewind_unit(30);
    EXPECT_EQ(core::records_read(30), 0);
    core::close_unit(30);
    EXPECT_EQ(core::records_read(30), 0);
}

}  // namespace
