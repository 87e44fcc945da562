// Motive files: the store at "]" with its normalising passes, the overwrite question and the
// refused names; the load; and "@" spliced into a typed line by the parser driver.
#include "engine/input/mode/motive_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/tables.h"
#include "engine/input/tables.h"
#include "engine/input/typed/music_text.h"
#include "platform/paths.h"
#include "tests/core/interpreter_fixture.h"

namespace {

constexpr int32_t kNotes = 1;
constexpr int32_t kRhythms = 2;

class MotiveFilesTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        fe_.strict = false;
    }
    static std::string motive_path(char name, const char* ext = ".MOT") {
        return platform::local_path(std::string("\\!tmp\\") + name + ext);
    }
    static bool exists(char name, const char* ext = ".MOT") {
        return std::filesystem::exists(motive_path(name, ext));
    }
    static std::string file_text(char name, const char* ext = ".MOT") {
        std::ifstream in(motive_path(name, ext), std::ios::binary);
        std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        return s;
    }
    static void write_file(char name, const std::string& text) {
        std::ofstream out(motive_path(name), std::ios::binary | std::ios::trunc);
        out << text << "\n";
    }
    // Stores the motive closed by the line's first "]"; mark at the line's ";" (0 when none).
    static int32_t store(int32_t mode, const std::string& line) {
        input::InputParserMode = mode;
        core::CommandLine.set(line);
        input::TypedMotiveMarks = {};
        int32_t mark = static_cast<int32_t>(line.find(';') + 1);
        int32_t cursor = static_cast<int32_t>(line.find(']') + 1);
        input::store_motive(mark, cursor);
        return mark;
    }
    static std::string line() { return core::CommandLine.trimmed(); }
    // The token list a notes line gives, read from a fresh parser state.
    static std::vector<float> parse(const std::string& text, int32_t& status) {
        input::InputParserMode = kNotes;
        input::InputTokenList(0) = 0.0f;
        input::InputItemMark = 0;
        input::InputParseStatus = 0;
        input::ChordState = 0;
        input::NoteOctaveState = {};
        core::CommandLine.set(text);
        input::InputLineEnd = static_cast<int32_t>(text.find(';')) + 1;
        int32_t complete = 0;
        int32_t cursor = 0;
        int32_t position = 1;
        input::input_item_loop(complete, cursor, position);
        status = input::InputParseStatus;
        std::vector<float> v;
        for (int32_t i = 1; i <= static_cast<int32_t>(input::InputTokenList(0)); ++i)
            v.push_back(input::InputTokenList(i));
        return v;
    }
};

TEST_F(MotiveFilesTest, NotesMotiveIsStoredWithAccidentalLettersRepeatsAndOctaves) {
    const int32_t mark = store(kNotes, "A[CCC4/D/BB/E4X3]/F4;");
    EXPECT_EQ(file_text('A'), "A[CS4/D4/BF4/E4/E4/E4]/");
    EXPECT_EQ(line(), "A[CS4/D4/BF4/E4/E4/E4]/F4;");
    // The ";" moved with the rest of the line.
    EXPECT_EQ(core::CommandLine(mark), ';');

    store(kNotes, "B[DDDD3/GG/MDD/R/TR]/");
    EXPECT_EQ(file_text('B'), "B[DN3/GF3/MDD/R/TR]/");
}

TEST_F(MotiveFilesTest, OctaveTrackingFollowsTheNearestNoteOnlyAfterP) {
    store(kNotes, "A[PB4/C/D/A/O/B/C]/");
    // B to C rises an octave, C to A falls one; after "O" the digit stays.
    EXPECT_EQ(file_text('A'), "A[PB4/C5/D5/A4/O/B4/C4]/");
    store(kNotes, "B[B4/C/D]/");
    EXPECT_EQ(file_text('B'), "B[B4/C4/D4]/");
    // A flat's accidental letter names no step: BF to C is a step up, not a jump.
    store(kNotes, "C[PBF4/C]/");
    EXPECT_EQ(file_text('C'), "C[PBF4/C5]/");
}

TEST_F(MotiveFilesTest, SecondMotiveOfALineIsFoundFromTheRecordedEnd) {
    // The live entry stores at the separator after "]": the end comes from the marks.
    input::InputParserMode = kNotes;
    core::CommandLine.set("A[C4]/B[E/F]/");
    input::TypedMotiveMarks = {};
    input::TypedMotiveMarks.end = 12;
    int32_t mark = 0;
    int32_t cursor = 13;
    input::store_motive(mark, cursor);
    EXPECT_EQ(file_text('B'), "B[E4/F4]/");
    EXPECT_FALSE(exists('A'));
    EXPECT_EQ(line(), "A[C4]/B[E4/F4]/");
    // The line cursor after the "]" moved with the two digits.
    EXPECT_EQ(cursor, 15);
}

TEST_F(MotiveFilesTest, RhythmMotiveIsStoredAsTyped) {
    store(kRhythms, "R[QQ/E/E]/Q;");
    EXPECT_EQ(file_text('R', ".MRH"), "R[QQ/E/E]/");
    EXPECT_FALSE(exists('R'));
    EXPECT_EQ(line(), "R[QQ/E/E]/Q;");
}

TEST_F(MotiveFilesTest, StoredLineMayReachExactly384Characters) {
    // "D" gains its octave digit: one character more.
    const std::string head = "A[C4/D]/";
    std::string fits = head + std::string(383 - head.size() - 1, 'C') + ";";
    ASSERT_EQ(fits.size(), 383u);
    store(kNotes, fits);
    EXPECT_EQ(core::CommandLine.trimmed_length(), 384);
    EXPECT_EQ(core::CommandLine(384), ';');
    EXPECT_EQ(file_text('A'), "A[C4/D4]/");

    std::filesystem::remove(motive_path('A'));
    const std::string too_long = head + std::string(384 - head.size() - 1, 'C') + ";";
    store(kNotes, too_long);
    EXPECT_EQ(line(), too_long);
    EXPECT_FALSE(exists('A'));
    EXPECT_NE(input::InputParseStatus, 0);
}

TEST_F(MotiveFilesTest, RepeatCountIsBoundedByTheLine) {
    store(kNotes, "A[E4X99]/;");
    std::string expected = "A[E4";
    for (int k = 1; k < 99; ++k) expected += "/E4";
    EXPECT_EQ(file_text('A'), expected + "]/");

    const std::string huge = "B[C4X99/E4X99]/;";
    store(kNotes, huge);
    EXPECT_EQ(line(), huge);
    EXPECT_FALSE(exists('B'));
}

TEST_F(MotiveFilesTest, ExistingMotiveIsWrittenOverOnlyWhenConfirmed) {
    write_file('A', "A[G4]/");
    fe_.answer_yes_no(0);  // No: the next free name takes it
    store(kNotes, "A[C4]/");
    EXPECT_EQ(file_text('A'), "A[G4]/");
    EXPECT_EQ(file_text('B'), "B[C4]/");
    ASSERT_FALSE(fe_.questions.empty());
    EXPECT_NE(fe_.questions.back().find("Write over file?"), std::string::npos);
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(), "*** Motive stored as B.");

    fe_.answer_yes_no(-1);
    store(kNotes, "A[D4]/");
    EXPECT_EQ(file_text('A'), "A[D4]/");

    // A finished line writes over without asking.
    const auto asked = fe_.questions.size();
    store(kNotes, "A[E4]/F4;");
    EXPECT_EQ(file_text('A'), "A[E4]/");
    EXPECT_EQ(fe_.questions.size(), asked);
}

TEST_F(MotiveFilesTest, NameThatCannotNameAFileIsRefused) {
    for (const char* text : {" [C4]/", "/[C4]/", "\\[C4]/", "\x01[C4]/"}) {
        fe_.message_boxes.clear();
        store(kNotes, text);
        ASSERT_FALSE(fe_.message_boxes.empty()) << text;
        EXPECT_NE(fe_.message_boxes.back().find("cannot make a file name"), std::string::npos);
    }
    // No motive file was made under any name.
    const auto folder = std::filesystem::path(platform::local_path("\\!tmp\\x")).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_NE(entry.path().extension(), ".MOT") << entry.path();
}

TEST_F(MotiveFilesTest, LoadUpperCasesFillsEmptyTokensAndReadsTheNumbers) {
    write_file('A', "a[c4//d4/]/");
    core::CommandLine.set("@A 2/;");
    input::InputParserMode = kNotes;
    ASSERT_TRUE(input::load_motive(1, 5));
    EXPECT_EQ(input::MotiveText.trimmed(), "A[C4/C4/D4/D4]/");
    EXPECT_EQ(core::ParamBuffer(2), 2.0f);
    EXPECT_EQ(input::MotiveStepShift, 2);

    core::CommandLine.set("@-A/;");
    ASSERT_TRUE(input::load_motive(1, 4));
    EXPECT_EQ(core::ParamBuffer(2), 0.0f);

    core::CommandLine.set("@Q/;");
    EXPECT_FALSE(input::load_motive(1, 3));
    EXPECT_EQ(core::SecondLine.trimmed(), "ERROR - motive \"Q\" not found.");
    ASSERT_FALSE(fe_.message_boxes.empty());
    EXPECT_EQ(fe_.message_boxes.back(), "ERROR - motive \"Q\" not found.");
}

TEST_F(MotiveFilesTest, RecalledMotiveParsesAsItsTokens) {
    store(kNotes, "A[C4/D/E]/");
    int32_t status = 0;
    const auto written = parse("C4/D4/E4/F4;", status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(parse("@A/F4;", status), written);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(input::InputLineEnd, static_cast<int32_t>(core::CommandLine.trimmed().find(';')) + 1);
    EXPECT_EQ(core::SecondLine.trimmed(), core::CommandLine.trimmed());

    EXPECT_EQ(parse("@-A/F4;", status), parse("E4/D4/C4/F4;", status));
    EXPECT_EQ(status, 0);
    // At the line's end too.
    EXPECT_EQ(parse("F4/@A;", status), parse("F4/C4/D4/E4;", status));
}

TEST_F(MotiveFilesTest, MissingMotiveFailsTheLine) {
    int32_t status = 0;
    const auto values = parse("C4/@Q/D4;", status);
    EXPECT_NE(status, 0);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(core::SecondLine.trimmed(), "ERROR - motive \"Q\" not found.");
}

TEST_F(MotiveFilesTest, SpliceKeepsTheLineWithin512Characters) {
    store(kNotes, "A[C4/D4/E4/F4/G4/A4/B4]/");  // 20 characters of tokens
    // "@A" (2) becomes a blank and the tokens (21): 19 more.
    const auto splice = [](const std::string& text) {
        core::CommandLine.set(text);
        input::InputParserMode = kNotes;
        input::InputLineEnd = static_cast<int32_t>(text.size());
        int32_t cursor = 1;
        int32_t complete = 0;
        input::parse_music_text(cursor, complete);
        return cursor;
    };
    const std::string fits = "@A/" + std::string(512 - 19 - 4, 'C') + ";";
    EXPECT_EQ(splice(fits), 1);
    EXPECT_EQ(input::InputLineEnd, 512);
    EXPECT_EQ(core::CommandLine(512), ';');
    EXPECT_EQ(core::CommandLine.sub(1, 24), " C4/D4/E4/F4/G4/A4/B4/CC");

    const std::string over = "@A/" + std::string(512 - 19 - 3, 'C') + ";";
    EXPECT_EQ(splice(over), 0);
    EXPECT_EQ(core::CommandLine.trimmed(), over);
    EXPECT_EQ(input::InputLineEnd, static_cast<int32_t>(over.size()));
}

}  // namespace
