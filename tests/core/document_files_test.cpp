// Document files: the exact bytes written, the two count widths, the repair of what is read,
// the front-end's staged block, failures that leave the page and the old file alone, and the
// names, history and folder after a load or save.
#include "engine/core/files/document_files.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "tests/core/document_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"
#include "tests/support/temp_folder.h"

using namespace core;
namespace fs = std::filesystem;

namespace {

class DocumentFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        set_front_end(&fe);
        fe.strict = false;
        temp_.use_data_folder(root_ / "data");
        temp_.enter();
    }
    void TearDown() override {
        close_all_units();
        set_front_end(nullptr);
        OutputBufferViews.graphics.unbind();
    }

    std::string path(const std::string& name) const { return (root_ / name).string(); }

    static void add_item(const std::vector<float>& params) { append_test_record(params); }
    static std::vector<float> store_words() {
        std::vector<float> out;
        for (int32_t k = 1; k < ItemWordsUsed; ++k) out.push_back(ItemStore(k));
        return out;
    }

    bool save(const std::string& file) {
        FixedText<512> name(file);
        int32_t count = ItemWordsUsed;
        int32_t level = kDocumentLevel;
        return save_load_document_file(kDocumentWriteUnit, count, ItemStore, level, name);
    }
    // Reads into the scratch copy and, only when the read succeeds, replaces the page: the way
    // the load command uses the reader.
    bool load(const std::string& file) {
        FixedText<512> name(file);
        count_ = 0;
        if (!save_load_document_file(kDocumentReadUnit, count_, ItemStoreScratch, level_, name))
            return false;
        return replace_store_with_document(ItemStoreScratch, count_);
    }

    ScriptedFrontEnd fe;
    TempFolder temp_{"ormest_docs"};
    const fs::path& root_ = temp_.root();
    int32_t count_ = 0;
    int32_t level_ = 0;
};

TEST_F(DocumentFilesTest, EmptyStoreAndOneItemSaveAsTheirExactBytes) {
    ASSERT_TRUE(save(path("empty.mus")));
    EXPECT_EQ(read_file_bytes(path("empty.mus")),
              (Bytes{0x04, 0x00, 0x00, 0x00, 0xC0, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80,
                     0x40, 0x00, 0x3C, 0x1C, 0xC6}));
    add_item({1, 1, 10});
    ASSERT_TRUE(save(path("one.mus")));
    EXPECT_EQ(read_file_bytes(path("one.mus")), encode(with_trailer({3, 1, 1, 10}), 2));
    EXPECT_EQ(CommandModeLetters(1), 0);
}

TEST_F(DocumentFilesTest, CountTurnsThirtyTwoBitsAfter14200WordsAndBothReadBack) {
    // 3549 records of 4 words = 14,196 item words: N = 14,200, the last 16-bit count.
    for (int k = 0; k < 3549; ++k) add_item({1, 1, static_cast<float>(k)});
    const std::vector<float> short_words = store_words();
    ASSERT_TRUE(save(path("short.mus")));
    const Bytes s = read_file_bytes(path("short.mus"));
    ASSERT_EQ(s.size(), 2u + 4u * 14200u);
    EXPECT_EQ(s[0] | (s[1] << 8), 14200);
    // One word more (the last record has 4 parameters): N = 14,201 in 32 bits.
    ItemWordsUsed = ItemStartTable(ItemCount);
    --ItemCount;
    add_item({1, 1, 3548, 7});
    const std::vector<float> long_words = store_words();
    ASSERT_EQ(long_words.size(), 14197u);
    ASSERT_TRUE(save(path("long.mus")));
    const Bytes l = read_file_bytes(path("long.mus"));
    ASSERT_EQ(l.size(), 4u + 4u * 14201u);
    EXPECT_EQ(l[0] | (l[1] << 8) | (l[2] << 16) | (l[3] << 24), 14201);
    ASSERT_TRUE(load(path("short.mus")));
    EXPECT_EQ(store_words(), short_words);
    EXPECT_EQ(ItemCount, 3549);
    ASSERT_TRUE(load(path("long.mus")));
    EXPECT_EQ(store_words(), long_words);
    EXPECT_EQ(ItemCount, 3549);
    EXPECT_EQ(ItemStartTable(ItemCount + 1), ItemWordsUsed);
}

TEST_F(DocumentFilesTest, AFullStoreSavesAndLoadsBack) {
    // 16,000 records of 4 words fill all 64,000 words; the file's count is then 64,004.
    for (int k = 0; k < 16000; ++k) add_item({8, static_cast<float>(k % 256 + 1), 0});
    ASSERT_EQ(ItemWordsUsed, 64001);
    const std::vector<float> words = store_words();
    ASSERT_TRUE(save(path("full.mus")));
    ASSERT_TRUE(load(path("full.mus")));
    EXPECT_EQ(ItemCount, 16000);
    EXPECT_EQ(store_words(), words);
}

TEST_F(DocumentFilesTest, TheLargestCountLoadsWholeAndOneWordMoreIsRefused) {
    // The count counts every word after it, the trailer's too: a full store of 64,000 words
    // with the longest trailer (5 words) is the largest count, 64,005.
    std::vector<float> records;
    for (int k = 0; k < 16000; ++k)
        records.insert(records.end(), {3, 8, static_cast<float>(k % 256 + 1), 0});
    ASSERT_EQ(records.size(), static_cast<std::size_t>(kItemStoreWords));
    std::vector<float> largest = records;
    largest.insert(largest.end(), {0, 5, 1, 5, -9999});
    ASSERT_EQ(largest.size(), 64005u);
    write_bytes(path("largest.mus"), encode(largest, 4));
    ASSERT_TRUE(load(path("largest.mus")));
    EXPECT_EQ(ItemCount, 16000);
    EXPECT_EQ(ItemWordsUsed, 64001);
    EXPECT_EQ(store_words(), records);
    EXPECT_EQ(MetricFlag, 1);
    EXPECT_EQ(level_, 5);

    // One word more (a stray word before the trailer, which a load would drop) is refused
    // before anything is read into the page.
    std::vector<float> more = records;
    more.insert(more.end(), {0, 0, 5, 1, 5, -9999});
    write_bytes(path("more.mus"), encode(more, 4));
    DocumentReadInfo info;
    EXPECT_EQ(read_document(path("more.mus"), ItemStoreScratch, info), DocumentStatus::TooLarge);
    clear_item_store();
    add_item({8, 1, 0});
    const std::vector<float> page = store_words();
    EXPECT_FALSE(load(path("more.mus")));
    EXPECT_EQ(CommandLine.trimmed(),
              "Error opening file-> " + path("more.mus") + ": its count is out of range");
    EXPECT_EQ(store_words(), page);
    EXPECT_EQ(ItemCount, 1);
}

TEST_F(DocumentFilesTest, LoadRepairsShortLongAndForbiddenRecords) {
    // Records of 50 parameters: P(j) = j up to `last`, zeros after it, P46..P50 = 9.
    auto long_record = [](float code, int last) {
        std::vector<float> r(51, 0.0f);
        r[0] = 50;
        for (int j = 2; j <= last; ++j) r[static_cast<std::size_t>(j)] = static_cast<float>(j);
        for (int j = 46; j <= 50; ++j) r[static_cast<std::size_t>(j)] = 9.0f;
        r[1] = code;
        return r;
    };
    const std::vector<std::vector<float>> longs{
        long_record(1, 45),   // keeps P1..P45
        long_record(1, 10),   // cut after its last nonzero parameter
        long_record(1, 1),    // only P1 nonzero: a cut never leaves fewer than 3
        long_record(16, 45),  // a text item keeps all 50
        long_record(20, 45),  // a cut does not save a dropped code
    };
    std::vector<float> records{2, 5, 1};  // two parameters
    for (float code : {13.0f, 19.0f, 20.0f, 21.0f, 22.0f, 23.0f, 0.0f, -4.0f})
        records.insert(records.end(), {3, code, 1, 1});
    for (const auto& r : longs) records.insert(records.end(), r.begin(), r.end());
    records.insert(records.end(), {3, 18, 2, 7});
    write_bytes(path("repair.mus"), encode(with_trailer(records, 1.0f), 2));
    ASSERT_TRUE(load(path("repair.mus")));
    std::vector<float> expected{3, 5, 1, 0};  // grown to 3, P3 = 0
    expected.insert(expected.end(), longs[0].begin(), longs[0].begin() + 46);
    expected[4] = 45;
    expected.insert(expected.end(), longs[1].begin(), longs[1].begin() + 11);
    expected[50] = 10;
    expected.insert(expected.end(), {3, 1, 0, 0});
    expected.insert(expected.end(), longs[3].begin(), longs[3].end());
    expected.insert(expected.end(), {3, 18, 2, 7});
    EXPECT_EQ(store_words(), expected);
    EXPECT_EQ(ItemCount, 6);
    EXPECT_EQ(MetricFlag, 1);
    EXPECT_TRUE(fe.message_boxes.empty());
}

TEST_F(DocumentFilesTest, ADamagedRecordKeepsTheRecordsBeforeIt) {
    const std::vector<float> records{3, 1, 1, 10, 3, 8, 2, 0, 1, 7, 3, 1, 1, 20};
    const std::string file = path("damaged.mus");
    write_bytes(file, encode(with_trailer(records, 1.0f), 2));
    RunFailedWord = 0;
    ASSERT_TRUE(load(file));
    EXPECT_EQ(store_words(), (std::vector<float>{3, 1, 1, 10, 3, 8, 2, 0}));
    EXPECT_EQ(RunFailedWord, 1);  // the records after the damage were left out
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_EQ(fe.message_boxes[0], "*** Input data error.    ***      " + file);
    EXPECT_EQ(MetricFlag, 1);  // the trailer is still read
    // A record whose count runs into the trailer is damage too, not a trailer eaten as data.
    fe.message_boxes.clear();
    write_bytes(file, encode(with_trailer({3, 1, 1, 10, 9, 1, 1}), 2));
    ASSERT_TRUE(load(file));
    EXPECT_EQ(store_words(), (std::vector<float>{3, 1, 1, 10}));
    EXPECT_EQ(fe.message_boxes.size(), 1u);
}

TEST_F(DocumentFilesTest, ThreeAndFiveWordTrailersLoad) {
    level_ = 17;
    write_bytes(path("t3.mus"), encode({3, 1, 1, 10, 1.0f, 3.0f, -9999.0f}, 2));
    FixedText<512> name(path("t3.mus"));
    ASSERT_TRUE(save_load_document_file(kDocumentReadUnit, count_, ItemStoreScratch, level_, name));
    EXPECT_EQ(count_, 4);
    EXPECT_EQ(level_, 17);  // no level word: unchanged
    EXPECT_EQ(MetricFlag, 1);
    // Five words: an unused word before the level, and one stray word after the last record.
    write_bytes(path("t5.mus"), encode({3, 1, 1, 10, 77, 123, 5, 0, 5, -9999}, 4));
    ASSERT_TRUE(load(path("t5.mus")));
    EXPECT_EQ(level_, 5);
    EXPECT_EQ(MetricFlag, 0);
    EXPECT_EQ(store_words(), (std::vector<float>{3, 1, 1, 10}));
}

TEST_F(DocumentFilesTest, TruncatedRandomOrMissingFilesLeaveThePageAsItWas) {
    add_item({1, 1, 10});
    add_item({8, 2, 0});
    ASSERT_TRUE(save(path("good.mus")));
    const std::vector<float> page = store_words();
    const FixedText<512> current = CurrentFileName;
    Bytes truncated = read_file_bytes(path("good.mus"));
    truncated.resize(truncated.size() - 3);
    write_bytes(path("cut.mus"), truncated);
    Bytes random(5000);
    uint32_t x = 12345;
    for (auto& b : random) b = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 16);
    write_bytes(path("random.mus"), random);
    write_bytes(path("tiny.mus"), Bytes{0x01});
    // A file cut short under a 16-bit count whose end mark is gone (no 32-bit count fits it).
    Bytes cut_count = read_file_bytes(path("good.mus"));
    cut_count.resize(cut_count.size() - 4);
    write_bytes(path("cut4.mus"), cut_count);
    // A document whose 32-bit count was damaged: it still ends in the end mark.
    Bytes damaged_count = read_file_bytes(path("good.mus"));
    Bytes big_count{0xff, 0xff, 0xff, 0x7f, 0, 0};
    damaged_count.insert(damaged_count.begin(), big_count.begin(), big_count.begin() + 2);
    damaged_count[2] = 0xff;
    damaged_count[3] = 0x7f;
    write_bytes(path("count.mus"), damaged_count);
    // A whole document whose end mark was wiped.
    Bytes no_mark = read_file_bytes(path("good.mus"));
    std::fill(no_mark.end() - 4, no_mark.end(), 0);
    write_bytes(path("nomark.mus"), no_mark);
    const std::pair<const char*, const char*> bad_files[] = {
        {"nomark.mus", "not a document of this program (no end mark under either count width)"},
        {"cut.mus", "the file ends before its count"},
        {"cut4.mus", "the file ends before its count"},
        {"random.mus", "not a document of this program (no end mark under either count width)"},
        {"tiny.mus", "the file ends before its count"},
        {"count.mus", "its count is out of range"},
    };
    for (const auto& [bad, cause] : bad_files) {
        EXPECT_FALSE(load(path(bad))) << bad;
        EXPECT_EQ(CommandModeLetters(1), -1) << bad;
        EXPECT_EQ(CommandLine.trimmed(), "Error opening file-> " + path(bad) + ": " + cause);
        EXPECT_EQ(store_words(), page) << bad;
        EXPECT_EQ(ItemCount, 2);
        EXPECT_EQ(CurrentFileName, current) << bad;
    }
    EXPECT_FALSE(load(path("absent.mus")));
    EXPECT_EQ(CommandLine.trimmed(), "File not found --> " + path("absent.mus"));
    EXPECT_FALSE(fs::exists(path("absent.mus")));  // a read never creates the file
    EXPECT_EQ(store_words(), page);
}

TEST_F(DocumentFilesTest, AFailedSaveLeavesTheOldFileWhole) {
    add_item({1, 1, 10});
    ASSERT_TRUE(save(path("doc.mus")));
    const Bytes old = read_file_bytes(path("doc.mus"));
    // A missing folder cannot take the file.
    EXPECT_FALSE(save(path("nowhere/doc.mus")));
    EXPECT_EQ(CommandModeLetters(1), -1);
    EXPECT_EQ(CommandLine.trimmed(), " ***Error writing file:");
    // A write that fails half-way (the file-size limit stops it after 1,000 bytes).
    for (int k = 0; k < 2000; ++k) add_item({1, 1, static_cast<float>(k)});
    FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.applied());
    const bool saved_ok = save(path("doc.mus"));
    limit.lift();
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(CommandLine.trimmed(), " ***Error writing file:");
    EXPECT_EQ(read_file_bytes(path("doc.mus")), old);
    for (const auto& e : fs::directory_iterator(root_))  // no temporary file is left behind
        EXPECT_EQ(e.path().filename().string().find(".~ormest"), std::string::npos);
}

// The temporary file of a save is opened exactly as named: a file whose name differs from it
// only in case is neither taken for it nor touched.
TEST_F(DocumentFilesTest, ASaveIgnoresAFileNamedLikeItsTemporaryInAnotherCase) {
    add_item({1, 1, 10});
    const std::string look_alike = path(".~ORMEST" + std::to_string(::getpid()) + ".TMP");
    write_bytes(look_alike, Bytes{1, 2, 3});
    ASSERT_TRUE(save(path("doc.mus")));
    EXPECT_EQ(read_file_bytes(look_alike), (Bytes{1, 2, 3}));
    ASSERT_TRUE(load(path("doc.mus")));
    EXPECT_EQ(count_, 4);
}

// A link the user names as the document keeps pointing at its file, which takes the new words;
// a link in the work folder (a backup's name here) is replaced and its file left alone.
TEST_F(DocumentFilesTest, UserLinksAreWrittenThroughAndWorkFolderLinksReplaced) {
    add_item({1, 1, 10});
    fs::create_directory(root_ / "real");
    write_bytes(path("real/doc.mus"), Bytes{9});
    fs::create_symlink(root_ / "real" / "doc.mus", root_ / "doc.mus");
    ASSERT_TRUE(save(path("doc.mus")));
    EXPECT_TRUE(fs::is_symlink(root_ / "doc.mus"));
    const Bytes saved = read_file_bytes(path("real/doc.mus"));
    EXPECT_GT(saved.size(), 1u);
    write_bytes(path("real/other.mus"), Bytes{9});
    fs::create_symlink(root_ / "real" / "other.mus", root_ / "work" / "!save.mus");
    ASSERT_TRUE(save("C:\\!TMP\\!save.mus"));
    EXPECT_EQ(read_file_bytes(path("real/other.mus")), Bytes{9});
    EXPECT_FALSE(fs::is_symlink(root_ / "work" / "!save.mus"));
    EXPECT_EQ(read_file_bytes((root_ / "work" / "!save.mus").string()), saved);
}

// The writer alone, for the window's saves as much as the typed ones: a link whose file does
// not exist yet gets that file made and stays a link; links that loop or lead into a missing
// folder fail and are left as they are, with nothing made anywhere.
TEST_F(DocumentFilesTest, LinksToMissingFilesAreWrittenThroughLoopsAreRefused) {
    add_item({1, 1, 10});
    fs::create_directory(root_ / "real");
    fs::create_symlink("real/new.mus", root_ / "dangling.mus");
    ASSERT_TRUE(save(path("dangling.mus")));
    EXPECT_TRUE(fs::is_symlink(root_ / "dangling.mus"));
    EXPECT_GT(read_file_bytes(path("real/new.mus")).size(), 1u);

    fs::create_symlink("loop2.mus", root_ / "loop1.mus");
    fs::create_symlink("loop1.mus", root_ / "loop2.mus");
    fs::create_symlink("nowhere/x.mus", root_ / "lost.mus");
    for (const char* name : {"loop1.mus", "lost.mus"}) {
        EXPECT_FALSE(save(path(name))) << name;
        EXPECT_EQ(CommandLine.trimmed(), " ***Error writing file:");
        EXPECT_TRUE(fs::is_symlink(root_ / name)) << name;
    }
    EXPECT_TRUE(fs::is_symlink(root_ / "loop2.mus"));
    EXPECT_FALSE(fs::exists(root_ / "nowhere"));
}

class FrontEndReadTest : public DocumentFilesTest {
  protected:
    void SetUp() override {
        DocumentFilesTest::SetUp();
        graphics_.assign(kGraphicsListWords, 0);
        OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        MessageLine.set("~~R" + path("open.mus"));
    }
    void stage(const Bytes& file) { graphics_length_ = ::stage(graphics_, file); }
    std::vector<int32_t> graphics_;
    int32_t graphics_length_ = 0;
};

TEST_F(FrontEndReadTest, BlocksOnBothSidesOfThe14200WordCountLoadLikeFiles) {
    // 3549 records of 4 words and the trailer: N = 14,200, still a 16-bit count.
    std::vector<float> records;
    for (int k = 0; k < 3549; ++k) records.insert(records.end(), {3, 1, 1, static_cast<float>(k)});
    stage(encode(with_trailer(records), 2));
    ASSERT_TRUE(load(path("open.mus")));
    EXPECT_EQ(store_words(), records);
    EXPECT_EQ(ItemCount, 3549);
    EXPECT_EQ(CommandStatusWord, 0);
    EXPECT_EQ(MetricFlag, 0);
    // The last record one word longer: N = 14,201, a 32-bit count.
    records.resize(records.size() - 4);
    records.insert(records.end(), {4, 1, 1, 3548, 7});
    ASSERT_EQ(records.size() + 4, 14201u);
    stage(encode(with_trailer(records, 1.0f), 4));
    ASSERT_TRUE(load(path("open.mus")));
    EXPECT_EQ(store_words(), records);
    EXPECT_EQ(ItemCount, 3549);
    EXPECT_EQ(MetricFlag, 1);
}

TEST_F(FrontEndReadTest, ABlockThatIsNoDocumentFailsAndLoadsNothing) {
    add_item({1, 1, 10});
    const std::vector<float> page = store_words();
    stage(encode({1, 2, 3, 4, 5, 6}, 2));
    EXPECT_FALSE(load(path("open.mus")));
    EXPECT_EQ(CommandModeLetters(1), -1);
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_EQ(fe.message_boxes[0], "*** This is NOT a KELDA file. *** " + path("open.mus"));
    EXPECT_EQ(store_words(), page);
    // A count beyond the store (and the buffer) is refused before anything is copied.
    graphics_[0] = 99999;
    EXPECT_FALSE(load(path("open.mus")));
    EXPECT_EQ(CommandLine.trimmed(), "Error opening file-> " + path("open.mus"));
    EXPECT_EQ(store_words(), page);
}

TEST_F(DocumentFilesTest, ASaveNamesTheDocumentRecordsItAndMovesTheFolder) {
    fs::create_directories(root_ / "Scores");
    RememberedDocumentName.set("old.mus");
    UndoRedoState = 1;
    const std::string file = path("Scores/Mixed Case Name.mus");
    add_item({1, 1, 10});
    ASSERT_TRUE(save(file));
    EXPECT_TRUE(fs::exists(file));  // the name as given, never upper-cased
    EXPECT_EQ(CurrentFileName.trimmed(), file);
    EXPECT_EQ(RememberedDocumentName.trimmed(), file);
    EXPECT_EQ(PreviousFileName.trimmed(), "old.mus");
    EXPECT_EQ(UndoRedoState, 0);
    EXPECT_EQ(HistoryTable(1).trimmed(), file);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), root_ / "Scores"));
}

TEST_F(DocumentFilesTest, WorkCopiesKeepNamesHistoryAndUndoStateAndCarryTheWholeName) {
    const std::string doc = path(std::string(150, 'n') + ".mus");  // longer than 128
    RememberedDocumentName.set(doc);
    CurrentFileName.set(doc);
    UndoRedoState = 1;
    FileMode = 2;
    add_item({1, 1, 10});
    const std::string copy = path("work/!undo!.tmp");
    ASSERT_TRUE(save(copy));
    EXPECT_EQ(CurrentFileName.trimmed(), doc);
    EXPECT_EQ(UndoRedoState, 1);
    EXPECT_EQ(HistoryTable(1).trimmed(), ".");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), root_));
    // The name follows the words in whole 128-byte blocks, blank-padded.
    const Bytes bytes = read_file_bytes(copy);
    ASSERT_EQ(bytes.size(), 34u + 256u);
    const std::string stored(bytes.begin() + 34, bytes.end());
    EXPECT_EQ(stored, doc + std::string(256 - doc.size(), ' '));
    // The copy reads back; named as a backup it shows the whole stored name.
    fs::copy_file(copy, path("work/!save.mus"));
    FileMode = 0;
    ASSERT_TRUE(load(path("work/!save.mus")));
    EXPECT_EQ(store_words(), (std::vector<float>{3, 1, 1, 10}));
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_EQ(fe.message_boxes[0], "Getting Backup of " + doc);
    EXPECT_EQ(CurrentFileName.trimmed(), doc);  // the page is the document's again
    EXPECT_EQ(HistoryTable(1).trimmed(), ".");  // backups stay out of the history
}

TEST_F(DocumentFilesTest, MergeRaisesStavesKeepsTheNameAndMetricFlag) {
    add_item({8, 1, 0});
    add_item({1, 1, 10});
    const int32_t old_used = ItemWordsUsed;
    RememberedDocumentName.set(path("main.mus"));
    CurrentFileName.set(path("main.mus"));
    MetricFlag = 0;
    write_bytes(path("part.mus"), encode(with_trailer({3, 8, 1, 0, 3, 1, 250, 5}, 1.0f), 2));
    CommandLine.set("GM");
    SecondLine.set("GM " + path("part.mus"));
    FixedText<512> name(path("part.mus"));
    ASSERT_TRUE(save_load_document_file(kDocumentReadUnit, count_, ItemStoreScratch, level_, name));
    EXPECT_EQ(MetricFlag, 0);  // the document's own flag stays
    EXPECT_EQ(CurrentFileName.trimmed(), path("main.mus"));
    bool clamped = false;
    ASSERT_TRUE(merge_document_at_staff_offset(ItemStoreScratch, count_, 11, 256, clamped));
    EXPECT_TRUE(clamped);
    EXPECT_EQ(ItemCount, 4);
    EXPECT_EQ(store_words(),
              (std::vector<float>{3, 8, 1, 0, 3, 1, 1, 10, 3, 8, 11, 0, 3, 1, 256, 5}));
    EXPECT_EQ(UndoSaveMode, old_used);
    EXPECT_EQ(ChangesMadeFlag, 1);
    EXPECT_EQ(ItemStartTable(ItemCount + 1), ItemWordsUsed);
    // A merge that does not fit the store changes nothing.
    ItemStoreCapacity = ItemWordsUsed + 2;
    const std::vector<float> page = store_words();
    EXPECT_FALSE(merge_document_at_staff_offset(ItemStoreScratch, count_, 1, 256, clamped));
    EXPECT_EQ(store_words(), page);
}

TEST_F(DocumentFilesTest, AMergeMayRaiseAStaffToTheTopStaffWithoutClamping) {
    add_item({8, 1, 0});
    write_bytes(path("part.mus"), encode(with_trailer({3, 1, 250, 5, 3, 1, 251, 6}), 2));
    FixedText<512> name(path("part.mus"));
    SecondLine.set("GM " + path("part.mus"));
    ASSERT_TRUE(save_load_document_file(kDocumentReadUnit, count_, ItemStoreScratch, level_, name));
    bool clamped = true;
    ASSERT_TRUE(merge_document_at_staff_offset(ItemStoreScratch, 4, 7, 256, clamped));
    EXPECT_FALSE(clamped);  // 250 + 6 is the top staff itself
    EXPECT_EQ(ItemStore(ItemStartTable(2) + 2), 256.0f);
    ASSERT_TRUE(merge_document_at_staff_offset(ItemStoreScratch, count_, 7, 256, clamped));
    EXPECT_TRUE(clamped);  // 251 + 6 is one above it
    EXPECT_EQ(ItemStore(ItemStartTable(3) + 2), 256.0f);
    EXPECT_EQ(ItemStore(ItemStartTable(4) + 2), 256.0f);
}

TEST_F(DocumentFilesTest, RecordsThatExactlyFillTheStoreGoInAndOneWordMoreDoesNot) {
    const float records[] = {3, 1, 1, 0, 3, 8, 2, 0};  // two records of 4 words
    for (int32_t k = 1; k <= 8; ++k) ItemStoreScratch(k) = records[k - 1];
    ItemStoreCapacity = 8;
    ASSERT_TRUE(replace_store_with_document(ItemStoreScratch, 8));
    EXPECT_EQ(ItemCount, 2);
    EXPECT_EQ(ItemWordsUsed, 9);
    EXPECT_FALSE(replace_store_with_document(ItemStoreScratch, 9));
    EXPECT_EQ(ItemCount, 2);
    ItemStoreCapacity = 12;
    ASSERT_TRUE(append_document_words(ItemStoreScratch, 4));  // words 9..12
    EXPECT_EQ(ItemCount, 3);
    EXPECT_FALSE(append_document_words(ItemStoreScratch, 1));
    bool clamped = false;
    EXPECT_FALSE(merge_document_at_staff_offset(ItemStoreScratch, 4, 1, 256, clamped));
    ItemStoreCapacity = 16;
    UndoSaveMode = 0;
    ASSERT_TRUE(merge_document_at_staff_offset(ItemStoreScratch, 4, 1, 256, clamped));
    EXPECT_EQ(ItemCount, 4);
    EXPECT_EQ(ItemWordsUsed, 17);
    EXPECT_EQ(UndoSaveMode, 13);
}

TEST_F(DocumentFilesTest, SecondPageItemsStartAtStaff200) {
    EXPECT_FALSE(store_holds_only_second_page_items());  // an empty page
    add_item({8, 200, 0});
    add_item({1, 256, 10, 4});
    EXPECT_TRUE(store_holds_only_second_page_items());
    add_item({1, 199.5f, 10, 4});
    EXPECT_FALSE(store_holds_only_second_page_items());
}

}  // namespace
