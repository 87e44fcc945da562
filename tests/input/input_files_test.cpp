// The input mode's files: the abandon copy of the page and the saved lines of an input run.
#include "engine/input/mode/input_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/files/undo.h"
#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/store_records.h"

namespace {

class InputFilesTest : public InterpreterTest {
  protected:
    static std::string work_path(std::string_view file) {
        return platform::local_path(core::work_copy_name(file));
    }
    static std::string bytes_of(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void write_bytes(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    // A page of three items.
    static void three_items() {
        append_test_record({8.0f, 1.0f, 0.0f, 0.0f, 200.0f});
        append_test_record({3.0f, 1.0f, 2.0f, 0.0f});
        append_test_record({1.0f, 1.0f, 11.0f, 3.0f, 10.0f, 0.0f, 1.0f});
    }
    // The whole store state a restore must bring back.
    struct Snapshot {
        std::vector<float> words;
        int32_t count;
        std::vector<int32_t> starts;
        bool operator==(const Snapshot&) const = default;
    };
    static Snapshot snapshot() {
        Snapshot s{page(), core::ItemCount, {}};
        for (int32_t k = 1; k <= core::ItemCount + 1; ++k)
            s.starts.push_back(core::ItemStartTable(k));
        return s;
    }
    void fill_lines() {
        input::InputLines.command.set("IN 1");
        input::InputLines.position.set("2.00   200.00");
        input::InputLines.notes.set("TR/C4/E/G/C5;");
        input::InputLines.rhythms.set("Q/Q/E/E;");
        input::InputLines.marks.set("S 1:2/A 4;");
        input::InputLines.beams.set(";");
        input::InputLines.slurs.set(";");
    }
    static std::string expected_records(const std::string& position, const std::string& notes) {
        std::string command = "IN 1";
        command.resize(64, ' ');
        std::string pos = position;
        pos.resize(16, ' ');
        return command + "\n" + pos + "\n" + notes + "\nQ/Q/E/E;\nS 1:2/A 4;\n;\n;\n";
    }
};

TEST_F(InputFilesTest, AbandonCopyPutsBackTheStoreWordForWord) {
    three_items();
    const Snapshot before = snapshot();
    input::abandon_input(0);
    // Little-endian count, then words 1..ItemWordsUsed.
    const std::string bytes = bytes_of(work_path(input::kAbandonCopyFile));
    ASSERT_EQ(bytes.size(), 4u + 4u * static_cast<std::size_t>(core::ItemWordsUsed));
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x03\x00\x00\x00", 4));

    // The run adds an item and changes another, then is abandoned.
    append_test_record({1.0f, 1.0f, 40.0f, 5.0f, 10.0f, 0.0f, 1.0f});
    core::ItemStore(3) = 77.0f;
    core::MacroUnit = 5;
    input::abandon_input(1);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(core::ItemWordsUsed, before.words.size() + 1);
    EXPECT_EQ(core::MacroUnit, 0);
    EXPECT_FALSE(shown(std::string(input::kAbandonCopyMissing)));

    // A run that deleted items is put back too, and a second save overwrites a longer copy.
    core::ItemCount = 1;
    core::ItemWordsUsed = 7;
    input::abandon_input(1);
    EXPECT_EQ(snapshot(), before);
    core::ItemCount = 1;
    core::ItemWordsUsed = 7;
    input::abandon_input(0);
    EXPECT_EQ(bytes_of(work_path(input::kAbandonCopyFile)).size(), 4u + 4u * 7u);
}

TEST_F(InputFilesTest, BadAbandonCopyLeavesThePage) {
    three_items();
    input::abandon_input(0);
    const std::string path = work_path(input::kAbandonCopyFile);
    const std::string good = bytes_of(path);
    append_test_record({1.0f, 1.0f, 40.0f, 5.0f, 10.0f, 0.0f, 1.0f});
    const Snapshot changed = snapshot();
    core::MacroUnit = 5;

    auto expect_refused = [&](const std::string& why) {
        SCOPED_TRACE(why);
        fe_.message_boxes.clear();
        input::abandon_input(1);
        EXPECT_TRUE(shown(std::string(input::kAbandonCopyMissing)));
        EXPECT_EQ(snapshot(), changed);
        EXPECT_EQ(core::MacroUnit, 5);
    };
    std::filesystem::remove(path);
    expect_refused("missing");
    write_bytes(path, good.substr(0, good.size() - 1));
    expect_refused("one byte short of a whole word");
    write_bytes(path, good.substr(0, 3));
    expect_refused("no whole count");
    std::string words_dropped = good.substr(0, good.size() - 4);
    write_bytes(path, words_dropped);
    expect_refused("the items do not fill the words");
    std::string beyond = good;
    const int32_t too_many = core::kItemStartEntries;
    beyond.replace(0, 4, std::string(reinterpret_cast<const char*>(&too_many), 4));
    write_bytes(path, beyond);
    expect_refused("a count beyond the item limit");
    // A whole store and one word more than it holds.
    std::string oversized(4 + 4 * (static_cast<std::size_t>(core::kItemStoreWords) + 1), '\0');
    write_bytes(path, oversized);
    expect_refused("more words than the store holds");

    // A copy of items of one parameter each: the most items the page holds is restored, one
    // more is refused.
    auto one_word_items = [](int32_t count) {
        std::string bytes(reinterpret_cast<const char*>(&count), 4);
        const float one = 1.0f;
        const float code = 13.0f;
        for (int32_t k = 0; k < count; ++k) {
            bytes.append(reinterpret_cast<const char*>(&one), 4);
            bytes.append(reinterpret_cast<const char*>(&code), 4);
        }
        bytes.append(4, '\0');  // the first free word
        return bytes;
    };
    write_bytes(path, one_word_items(core::kItemStartEntries));
    expect_refused("one item more than the page holds");
    write_bytes(path, one_word_items(core::kItemStartEntries - 1));
    input::abandon_input(1);
    EXPECT_EQ(core::ItemCount, core::kItemStartEntries - 1);
    EXPECT_EQ(core::ItemWordsUsed, 2 * (core::kItemStartEntries - 1) + 1);
    EXPECT_EQ(core::ItemStartTable(core::ItemCount + 1), core::ItemWordsUsed);

    write_bytes(path, good);
    fe_.message_boxes.clear();
    input::abandon_input(1);
    EXPECT_FALSE(shown(std::string(input::kAbandonCopyMissing)));
    EXPECT_EQ(core::ItemCount, 3);
}

TEST_F(InputFilesTest, AbandonCopyOfAnEmptyPageEmptiesIt) {
    input::abandon_input(0);
    EXPECT_EQ(bytes_of(work_path(input::kAbandonCopyFile)).size(), 8u);
    three_items();
    // Unsaved changes: the discard question comes first; No keeps the page.
    core::ChangesMadeFlag = 1;
    fe_.answer_yes_no(0);
    input::abandon_input(1);
    EXPECT_EQ(core::ItemCount, 3);
    fe_.answer_yes_no(-1);
    input::abandon_input(1);
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(core::ItemWordsUsed, 1);
    EXPECT_EQ(core::ItemStartTable(1), 1);
    // Without changes nothing is asked.
    three_items();
    core::ChangesMadeFlag = 0;
    const std::size_t asked_before = fe_.questions.size();
    input::abandon_input(1);
    EXPECT_EQ(core::ItemCount, 0);
    EXPECT_EQ(fe_.questions.size(), asked_before);
}

TEST_F(InputFilesTest, SavedLinesAreSevenRecords) {
    fill_lines();
    for (char answer : {'X', 'L', ';'}) {
        SCOPED_TRACE(answer);
        std::filesystem::remove(work_path(input::kSavedLinesFile));
        core::SecondLine.set(std::string(1, answer));
        input::save_input_lines();
        EXPECT_EQ(bytes_of(work_path(input::kSavedLinesFile)),
                  expected_records("2.00   200.00", "TR/C4/E/G/C5;"));
    }
    // A blank position line is written as the whole page; a notes line fills all 384
    // characters; a second save writes over the first without asking.
    input::InputLines.position.blank();
    const std::string full(input::kInputLineChars - 1, 'C');
    input::InputLines.notes.set(full + ";");
    input::save_input_lines();
    EXPECT_EQ(bytes_of(work_path(input::kSavedLinesFile)), expected_records("2 200", full + ";"));
    EXPECT_TRUE(fe_.questions.empty());

    // Blank lines give empty records.
    input::InputLines = input::InputLinesRecord{};
    input::save_input_lines();
    EXPECT_EQ(bytes_of(work_path(input::kSavedLinesFile)),
              std::string(64, ' ') + "\n2 200           \n\n\n\n\n\n");
}

TEST_F(InputFilesTest, SavedLinesUnderANameTheUserGives) {
    fill_lines();
    core::SecondLine.set("S");
    const std::string expected = expected_records("2.00   200.00", "TR/C4/E/G/C5;");

    // "!" and "^" names and Cancel write nothing.
    fe_.answer_dialog(1, "!mine.txt");
    input::save_input_lines();
    fe_.answer_dialog(1, "^mine.txt");
    input::save_input_lines();
    fe_.answer_dialog(2);
    input::save_input_lines();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "!mine.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "^mine.txt"));
    EXPECT_FALSE(std::filesystem::exists(work_path(input::kSavedLinesFile)));

    fe_.answer_dialog(1, "mine.txt");
    input::save_input_lines();
    EXPECT_EQ(bytes_of((dir_ / "mine.txt").string()), expected);
    EXPECT_TRUE(fe_.questions.empty());

    // Over an existing file: Exit writes nothing; No asks another name; Yes writes over.
    write_bytes((dir_ / "mine.txt").string(), "old");
    fe_.answer_dialog(1, "mine.txt");
    fe_.answer_yes_no(-2);
    input::save_input_lines();
    EXPECT_EQ(bytes_of((dir_ / "mine.txt").string()), "old");
    EXPECT_TRUE(asked("File exists - write over file? (Y/N) >"));

    write_bytes((dir_ / "other.txt").string(), "other");
    fe_.answer_dialog(1, "mine.txt");
    fe_.answer_yes_no(0);
    fe_.answer_dialog(1, "other.txt");
    fe_.answer_yes_no(-1);
    input::save_input_lines();
    EXPECT_EQ(bytes_of((dir_ / "mine.txt").string()), "old");
    EXPECT_EQ(bytes_of((dir_ / "other.txt").string()), expected);
    EXPECT_EQ(fe_.unanswered, 0);
}

// A front-end that gives its file dialog's answer as the console does: whole in the path
// buffer, its first 48 characters in the command buffer.
class WholeNameFrontEnd : public ScriptedFrontEnd {
  public:
    std::string name;
    int RunOutputFileNameDialog() override {
        core::FrontEndPathBuffer.set(name);
        core::FrontEndCommandBuffer.set(name.substr(0, 48));
        return 1;
    }
};

TEST_F(InputFilesTest, LongNamesAreKeptWholeAndUnwritableOnesReported) {
    fill_lines();
    core::SecondLine.set("S");
    WholeNameFrontEnd whole;
    core::set_front_end(&whole);
    whole.name = std::string(60, 'n') + ".txt";
    input::save_input_lines();
    EXPECT_EQ(core::CommandLine.trimmed(), whole.name);
    EXPECT_TRUE(std::filesystem::exists(dir_ / whole.name));
    EXPECT_FALSE(std::filesystem::exists(dir_ / whole.name.substr(0, 48)));
    core::set_front_end(&fe_);

    fe_.answer_dialog(1, "no-such-folder/mine.txt");
    input::save_input_lines();
    EXPECT_TRUE(shown("Error writing file"));
}

}  // namespace
