// The history of recent documents and the last-file record, as files in the work folder.
#include "engine/core/file_history.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/core/document_tables.h"
#include "engine/core/engine_reset.h"
#include "engine/core/file_units.h"
#include "platform/paths.h"

using namespace core;
namespace fs = std::filesystem;

namespace {

class FileHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        root_ = fs::temp_directory_path() /
                ("ormest_history_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        platform::set_work_folder((root_ / "work").string());  // made by the first recording
        old_cwd_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override {
        close_all_units();
        fs::current_path(old_cwd_);
        fs::remove_all(root_);
    }

    static void record(const std::string& name) {
        CurrentFileName.set(name);
        record_file_history(0);
    }
    std::vector<std::string> history_lines() const {
        std::ifstream in(root_ / "work" / "!history.tmp");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static std::string trimmed(std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
    static std::string doc(int k) { return "/scores/opus" + std::to_string(k) + ".mus"; }

    fs::path root_;
    fs::path old_cwd_;
};

TEST_F(FileHistoryTest, FirstRecordingWritesFortyLinesNewestFirst) {
    record(doc(1));
    const auto lines = history_lines();
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[0], doc(1) + std::string(128 - doc(1).size(), ' '));
    for (std::size_t k = 1; k < 40; ++k) EXPECT_EQ(trimmed(lines[k]), ".") << k;
}

TEST_F(FileHistoryTest, AFortyFirstNamePushesTheOldestOut) {
    for (int k = 1; k <= 41; ++k) record(doc(k));
    const auto lines = history_lines();
    ASSERT_EQ(lines.size(), 40u);
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(trimmed(lines[static_cast<std::size_t>(k)]), doc(41 - k));
    EXPECT_EQ(HistoryTable(40).trimmed(), doc(2));
}

TEST_F(FileHistoryTest, ANameAlreadyThereKeepsItsPlace) {
    for (int k = 1; k <= 5; ++k) record(doc(k));
    const auto before = history_lines();
    record(doc(3));
    record("/SCORES/OPUS2.MUS");  // the same document whatever the case
    EXPECT_EQ(history_lines(), before);
}

TEST_F(FileHistoryTest, WorkCopiesAndBlankNamesNeverEnter) {
    record(doc(1));
    record("/home/u/.local/state/ormest/!undo!.tmp");
    record("/scores/!save.mus");
    record("");
    const auto lines = history_lines();
    EXPECT_EQ(trimmed(lines[0]), doc(1));
    EXPECT_EQ(trimmed(lines[1]), ".");
}

TEST_F(FileHistoryTest, AShortFilePushesItsEntriesDownInsteadOfLosingTheFirst) {
    fs::create_directories(root_ / "work");
    std::ofstream(root_ / "work" / "!history.tmp") << doc(7) << "\n" << doc(8) << "\n";
    HistoryTable(3).set("/stale/entry.mus");  // not in the file: must not come back
    record(doc(9));
    const auto lines = history_lines();
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(trimmed(lines[0]), doc(9));
    EXPECT_EQ(trimmed(lines[1]), doc(7));
    EXPECT_EQ(trimmed(lines[2]), doc(8));
    EXPECT_EQ(trimmed(lines[3]), ".");
}

TEST_F(FileHistoryTest, LongNamesAreKeptWhole) {
    const std::string name = "/scores/" + std::string(200, 'x') + "/Final Version.mus";
    record(name);
    EXPECT_EQ(trimmed(history_lines()[0]), name);
    reset_engine();
    record(doc(1));  // read back from the file, then pushed down
    EXPECT_EQ(HistoryTable(2).trimmed(), name);
}

TEST_F(FileHistoryTest, LastFileRecordKeepsTheWholeName) {
    EXPECT_EQ(read_last_file_record(), "");  // none yet: no preset
    const std::string name = "/scores/" + std::string(100, 'y') + "/Opus 1.mus";
    ASSERT_TRUE(write_last_file_record(name));
    EXPECT_TRUE(fs::exists(root_ / "work" / "!last!.tmp"));
    EXPECT_EQ(read_last_file_record(), name);
    ASSERT_TRUE(write_last_file_record("/b.mus"));  // a shorter name replaces it entirely
    EXPECT_EQ(read_last_file_record(), "/b.mus");
}

}  // namespace
