// The history of recent documents and the last-file record, as files in the work folder.
#include "engine/core/files/file_history.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

using namespace core;
namespace fs = std::filesystem;

namespace {

class FileHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        fs::remove(temp_.work());  // made by the first recording
        temp_.enter();
    }
    void TearDown() override { close_all_units(); }

    static void record(const std::string& name) {
        CurrentFileName.set(name);
        record_file_history(0);
    }
    std::vector<std::string> history_lines() const {
        return read_lines(root_ / "work" / "!history.tmp");
    }
    static std::string trimmed(std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
    static std::string doc(int k) { return "/scores/opus" + std::to_string(k) + ".mus"; }

    TempFolder temp_{"ormest_history"};
    const fs::path& root_ = temp_.root();
};

TEST_F(FileHistoryTest, FirstRecordingWritesFortyLinesWithoutWorkCopiesOrBlankNames) {
    record(doc(1));
    const auto lines = history_lines();
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[0], doc(1) + std::string(128 - doc(1).size(), ' '));
    for (std::size_t k = 1; k < 40; ++k) EXPECT_EQ(trimmed(lines[k]), ".") << k;
    record("/home/u/.local/state/ormest/!undo!.tmp");
    record("/scores/!save.mus");
    record("");
    EXPECT_EQ(history_lines(), lines);
}

// On a full disk (the file-size limit here) the history and the last-file record keep what they
// held: a rewrite that cannot be completed replaces neither.
TEST_F(FileHistoryTest, RewritesThatCannotCompleteKeepBothFiles) {
    record(doc(1));
    ASSERT_TRUE(write_last_file_record(doc(1)));
    const std::string history = read_text(root_ / "work" / "!history.tmp");
    const std::string last = read_text(root_ / "work" / "!last!.tmp");
    FileSizeLimit limit(128);  // one byte short of a history line with its end
    if (!limit.applied())
        GTEST_SKIP() << "the file-size limit here cannot be set to a value this test needs";
    record(doc(2));
    const bool last_written = write_last_file_record(doc(2));
    limit.lift();
    EXPECT_FALSE(last_written);
    EXPECT_EQ(read_text(root_ / "work" / "!history.tmp"), history);
    EXPECT_EQ(read_text(root_ / "work" / "!last!.tmp"), last);
    EXPECT_EQ(read_last_file_record(), doc(1));
    for (const auto& e : fs::directory_iterator(root_ / "work"))
        EXPECT_NE(e.path().filename().string().rfind(".~ormest", 0), 0u) << e.path();
}

TEST_F(FileHistoryTest, FortyNamesFillTheHistoryAndAFortyFirstPushesTheOldestOut) {
    for (int k = 1; k <= 40; ++k) record(doc(k));
    const auto full = history_lines();
    ASSERT_EQ(full.size(), 40u);
    EXPECT_EQ(trimmed(full[0]), doc(40));
    EXPECT_EQ(trimmed(full[39]), doc(1));  // nothing pushed out yet
    // A name already there keeps its place, found in the last entry too, in any case.
    record(doc(1));
    record(doc(3));
    record("/SCORES/OPUS2.MUS");
    EXPECT_EQ(history_lines(), full);
    EXPECT_EQ(HistoryTable(40).trimmed(), doc(1));
    record(doc(41));
    const auto lines = history_lines();
    ASSERT_EQ(lines.size(), 40u);
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(trimmed(lines[static_cast<std::size_t>(k)]), doc(41 - k));
    EXPECT_EQ(HistoryTable(40).trimmed(), doc(2));
}

TEST_F(FileHistoryTest, AFileOfMoreThanFortyLinesIsReadToItsFortiethAndCrLfLinesToo) {
    fs::create_directories(root_ / "work");
    std::ofstream out(root_ / "work" / "!history.tmp", std::ios::binary);
    for (int k = 1; k <= 41; ++k) out << doc(k) << "   \r\n";
    out.close();
    record(doc(40));  // already there (read without its CR): keeps its place
    EXPECT_EQ(HistoryTable(40).trimmed(), doc(40));
    record(doc(41));  // line 41 was never read: a new name
    const auto lines = history_lines();
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(trimmed(lines[0]), doc(41));
    EXPECT_EQ(trimmed(lines[1]), doc(1));
    EXPECT_EQ(trimmed(lines[39]), doc(39));
}

TEST_F(FileHistoryTest, ANameOfExactlyTheLineWidthIsWrittenWithoutPadding) {
    const std::string exact = "/" + std::string(kHistoryLineWidth - 1, 'e');
    const std::string longer = "/" + std::string(kHistoryLineWidth, 'f');
    record(exact);
    record(longer);
    const auto lines = history_lines();
    EXPECT_EQ(lines[0], longer);
    EXPECT_EQ(lines[1], exact);
    EXPECT_EQ(lines[2], "." + std::string(kHistoryLineWidth - 1, ' '));
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

TEST_F(FileHistoryTest, LongNamesAreKeptWholeInTheHistoryAndTheLastFileRecord) {
    const std::string name = "/scores/" + std::string(200, 'x') + "/Final Version.mus";
    record(name);
    EXPECT_EQ(trimmed(history_lines()[0]), name);
    reset_engine();
    record(doc(1));  // read back from the file, then pushed down
    EXPECT_EQ(HistoryTable(2).trimmed(), name);
    EXPECT_EQ(read_last_file_record(), "");  // none yet: no preset
    ASSERT_TRUE(write_last_file_record(name));
    EXPECT_TRUE(fs::exists(root_ / "work" / "!last!.tmp"));
    EXPECT_EQ(read_last_file_record(), name);
    ASSERT_TRUE(write_last_file_record("/b.mus"));  // a shorter name replaces it entirely
    EXPECT_EQ(read_last_file_record(), "/b.mus");
}

}  // namespace
