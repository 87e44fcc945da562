// The page kept at an end from outside: written to the backup copy only with unsaved changes,
// told at the next start, and never written over by the periodic backup before it was loaded:
// it is kept aside as "!kept-N!save.mus" first.
#include "engine/commands/files/end_backup.h"

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "engine/commands/files/file_commands.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"
#include "platform/work_copies.h"
#include "tests/core/document_folder_fixture.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

class EndBackupTest : public DocumentFolderTest {
  protected:
    fs::path work() const { return platform::work_folder(); }
    fs::path backup() const { return work() / "!save.mus"; }
    std::vector<std::string> record() const { return read_lines(work() / "!ended!.tmp"); }
    // The item words of a document file (its count word says where they end).
    static std::vector<float> end_backup_items(const fs::path& file) {
        const Bytes b = read_file_bytes(file);
        std::vector<float> words = decode(b);
        const std::size_t count = b.size() < 2 ? 0 : (b[0] | (b[1] << 8));
        words.resize(count >= 4 && count <= words.size() ? count - 4 : 0);
        return words;
    }
};

TEST_F(EndBackupTest, OnlyUnsavedChangesAreWrittenAndTheStartTellsOfThemUntilLoaded) {
    enter_items_without_editing();
    type_all({"8 1 0", "SA mine.mus"});
    EXPECT_EQ(core::keep_page_at_end(), "");  // saved: nothing to keep
    EXPECT_FALSE(fs::exists(backup()));
    EXPECT_TRUE(core::tell_backups_kept_at_end().empty());

    type("8 2 0");
    EXPECT_EQ(core::keep_page_at_end(), "*** The unsaved changes of " + path("mine.mus") +
                                            " were written to the backup copy " +
                                            backup().string() + ".");
    EXPECT_EQ(end_backup_items(backup()), (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));
    EXPECT_EQ(record(), std::vector<std::string>{backup().string() + "\t" + path("mine.mus")});

    // Told at every start until it is loaded.
    const std::string notice = "*** A backup of " + path("mine.mus") +
                               " was kept when the program was ended: type GSV to load it.";
    for (int start = 0; start < 2; ++start) {
        fe_.prompts.clear();
        EXPECT_EQ(core::tell_backups_kept_at_end(), std::vector<std::string>{notice});
        ASSERT_EQ(fe_.prompts.size(), 1u);
        EXPECT_EQ(fe_.prompts[0].substr(0, notice.size()), notice);
    }
    fe_.answer_yes_no(-1);
    type("GSV");
    EXPECT_EQ(page(), (std::vector<float>{3, 8, 1, 0, 3, 8, 2, 0}));
    EXPECT_FALSE(fs::exists(work() / "!ended!.tmp"));
    EXPECT_TRUE(core::tell_backups_kept_at_end().empty());
    // Loaded: the periodic backup replaces it as before, keeping nothing aside.
    type("8 3 0");
    core::check_file_mode();
    EXPECT_EQ(end_backup_items(backup()).size(), 12u);
    EXPECT_FALSE(fs::exists(work() / "!kept-1!save.mus"));
}

TEST_F(EndBackupTest, ThePeriodicBackupKeepsAnUnloadedEndBackupAsideFirst) {
    enter_items_without_editing();
    type("8 1 0");
    ASSERT_NE(core::keep_page_at_end(), "");
    const std::string rescued = read_text(backup());
    // A later run, told but not loaded, works on another page.
    core::tell_backups_kept_at_end();
    type("8 7 0");
    core::MessageLine.blank();
    core::check_file_mode();
    const fs::path kept = work() / "!kept-1!save.mus";
    EXPECT_EQ(read_text(kept), rescued);
    EXPECT_EQ(end_backup_items(backup()), (std::vector<float>{3, 8, 1, 0, 3, 8, 7, 0}));
    // Told at once, in a message of its own.
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(),
              "*** The backup of KELDA.MUS kept when the program was ended is now "
              "C:\\!TMP\\!kept-1!save.mus: type G C:\\!TMP\\!kept-1!save.mus to load it.");
    // The kept one is told once, at the next start, then only the file remains.
    EXPECT_EQ(core::tell_backups_kept_at_end(),
              std::vector<std::string>{"*** A backup of KELDA.MUS was kept when the program was "
                                       "ended: type G C:\\!TMP\\!kept-1!save.mus to load it."});
    EXPECT_TRUE(core::tell_backups_kept_at_end().empty());
    EXPECT_EQ(read_text(kept), rescued);
    // An end with a record still naming the backup copy keeps the earlier one aside too.
    ASSERT_NE(core::keep_page_at_end(), "");
    core::tell_backups_kept_at_end();
    type("8 8 0");
    ASSERT_NE(core::keep_page_at_end(), "");
    EXPECT_EQ(end_backup_items(work() / "!kept-2!save.mus"),
              (std::vector<float>{3, 8, 1, 0, 3, 8, 7, 0}));
    EXPECT_EQ(end_backup_items(backup()), (std::vector<float>{3, 8, 1, 0, 3, 8, 7, 0, 3, 8, 8, 0}));
}

TEST_F(EndBackupTest, ACopyWithAFolderOfItsOwnKeepsItsBackupInTheWorkFolder) {
    // Another running copy holds the work folder: this one gets a folder of its own.
    const int other = ::open((work() / ".ormest-lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(platform::claim_work_folder(work().string()));
    ASSERT_FALSE(platform::own_copy_folder().empty());
    enter_items_without_editing();
    type("8 4 0");
    const std::string told = core::keep_page_at_end();
    const fs::path kept = work() / "!kept-1!save.mus";
    EXPECT_EQ(told, "*** The unsaved changes of KELDA.MUS were written to the backup copy " +
                        kept.string() + ".");
    platform::release_work_folder();  // its folder goes, the kept backup stays
    ::close(other);
    EXPECT_EQ(end_backup_items(kept), (std::vector<float>{3, 8, 4, 0}));
    EXPECT_EQ(core::tell_backups_kept_at_end(),
              std::vector<std::string>{"*** A backup of KELDA.MUS was kept when the program was "
                                       "ended: type G C:\\!TMP\\!kept-1!save.mus to load it."});
    fe_.answer_yes_no(-1);
    type("G C:\\!TMP\\!kept-1!save.mus");
    EXPECT_EQ(page(), (std::vector<float>{3, 8, 4, 0}));
}

// A page kept for a command file keeps its own reason through the periodic backup's setting
// aside and the next start's notice; a copy with a folder of its own keeps it in the work folder,
// and its periodic backup does not keep that second name aside again.
TEST_F(EndBackupTest, ABackupKeptForACommandFileKeepsItsReason) {
    enter_items_without_editing();
    type("8 1 0");
    std::string told;
    ASSERT_TRUE(core::keep_page_for_command_file(told));
    EXPECT_EQ(told, "");  // told once the word has replaced the page
    EXPECT_FALSE(fs::exists(backup()));
    type("8 6 0");  // the word replaces the page
    core::settle_command_file_backup();
    const std::string rescued = read_text(backup());
    EXPECT_EQ(end_backup_items(backup()), (std::vector<float>{3, 8, 1, 0}));
    type("8 7 0");
    core::MessageLine.blank();
    core::check_file_mode();
    EXPECT_EQ(read_text(work() / "!kept-1!save.mus"), rescued);
    // Told at once, in a message of its own.
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(),
              "*** The backup of KELDA.MUS kept when a command file replaced it is now "
              "C:\\!TMP\\!kept-1!save.mus: type G C:\\!TMP\\!kept-1!save.mus to load it.");
    EXPECT_EQ(core::tell_backups_kept_at_end(),
              std::vector<std::string>{"*** A backup of KELDA.MUS was kept when a command file "
                                       "replaced it: type G C:\\!TMP\\!kept-1!save.mus to load "
                                       "it."});

    const int other = ::open((work() / ".ormest-lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(platform::claim_work_folder(work().string()));
    ASSERT_FALSE(platform::own_copy_folder().empty());
    type("8 4 0");
    ASSERT_TRUE(core::keep_page_for_command_file(told));
    type("8 9 0");
    core::settle_command_file_backup();
    const fs::path kept = work() / "!kept-2!save.mus";
    const std::string second = read_text(kept);
    type("8 5 0");
    core::MessageLine.blank();
    core::check_file_mode();
    EXPECT_TRUE(core::MessageLine.is_blank()) << core::MessageLine.trimmed();
    EXPECT_FALSE(fs::exists(work() / "!kept-3!save.mus"));
    EXPECT_EQ(read_text(kept), second);  // the backup copy was replaced, not written into
    // Its next backup for a command file is kept beside that one, which keeps its own page.
    ASSERT_TRUE(core::keep_page_for_command_file(told));
    type("8 2 0");
    core::settle_command_file_backup();
    EXPECT_EQ(read_text(kept), second);
    const std::vector<float> third = end_backup_items(work() / "!kept-3!save.mus");
    ASSERT_GE(third.size(), 4u);
    EXPECT_EQ(std::vector<float>(third.end() - 4, third.end()), (std::vector<float>{3, 8, 5, 0}));
    EXPECT_FALSE(fs::exists(fs::path(platform::own_copy_folder()) / "!pending!save.mus"));
    platform::release_work_folder();
    ::close(other);
    EXPECT_EQ(core::tell_backups_kept_at_end(),
              (std::vector<std::string>{"*** A backup of KELDA.MUS was kept when a command file "
                                        "replaced it: type G C:\\!TMP\\!kept-2!save.mus to load "
                                        "it.",
                                        "*** A backup of KELDA.MUS was kept when a command file "
                                        "replaced it: type G C:\\!TMP\\!kept-3!save.mus to load "
                                        "it."}));
}

}  // namespace
