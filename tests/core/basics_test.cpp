// Fixed-width fields, whole-number rules, checked arrays, fixed texts and file units.
#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "engine/core/bridge/shown_text.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

using namespace core;

namespace {

// Every width at its limit: the value that just fits and the one that does not (a sign takes a
// place too).
TEST(NumericFields, FieldsPadZeroFillRoundAndOverflowToAsterisks) {
    const struct {
        const char* format;
        int32_t value;
        const char* text;
    } ints[] = {{"(1i3)", 12, " 12"},    {"(1i3)", 1234, "***"}, {"(1i3.3)", 7, "007"},
                {"(1i4.3)", -7, "-007"}, {"(1i3.3)", -7, "***"}, {"(I5)", -42, "  -42"},
                {"(1i3)", -99, "-99"},   {"(1i3)", -100, "***"}, {"(1i3)", 999, "999"},
                {"(1i3)", 1000, "***"},  {"(1i3)", 0, "  0"},    {"(i1)", 9, "9"},
                {"(i1)", 10, "*"},       {"(i1)", -1, "*"},      {"(1i3.3)", 999, "999"},
                {"(1i3.2)", 5, " 05"},   {"(1i3.0)", 0, "   "}};
    for (const auto& c : ints) EXPECT_EQ(format_int(c.format, c.value), c.text) << c.format;
    EXPECT_EQ(format_int("(1i11)", INT32_MIN), "-2147483648");
    EXPECT_EQ(format_int("(1i10)", INT32_MIN), "**********");
    EXPECT_EQ(format_int("(1i10)", INT32_MAX), "2147483647");
    // Whole: the field while the value fits, the whole value (never asterisks) beyond it.
    EXPECT_EQ(format_int_whole("(1i5)", 99999), "99999");
    EXPECT_EQ(format_int_whole("(1i5)", -9999), "-9999");
    EXPECT_EQ(format_int_whole("(1i5)", 12), "   12");
    EXPECT_EQ(format_int_whole("(1i5)", 100000), "100000");
    EXPECT_EQ(format_int_whole("(1i5)", -10000), "-10000");
    EXPECT_EQ(format_int_whole("(1i5)", INT32_MIN), "-2147483648");
    EXPECT_EQ(format_int_whole("(1i3.3)", 1234), "1234");
    const struct {
        const char* format;
        double value;
        const char* text;
    } reals[] = {
        {"(1f7.2)", 3.14159, "   3.14"},   {"(1f7.2)", -3.145001, "  -3.15"},
        {"(1f7.2)", 12345.678, "*******"}, {"(1f6.3)", 0.5, " 0.500"},
        {"(1f4.3)", 0.5, ".500"},  // leading zero dropped to fit
        {"(f9.3)", 1000.0, " 1000.000"},   {"(1f5.0)", 1000.0, "1000."},  // Fw.0 keeps its point
        {"(1f5.0)", 99999.0, "*****"},     {"(1f5.2)", 99.99, "99.99"},
        {"(1f5.2)", 99.999, "*****"},  // rounds to 100.00
        {"(1f5.2)", -9.99, "-9.99"},       {"(1f5.2)", -10.0, "*****"},
        {"(1f5.3)", -0.5, "-.500"},  // fits once its leading zero goes
        {"(1f4.3)", -0.5, "****"}};
    for (const auto& c : reals) EXPECT_EQ(format_real(c.format, c.value), c.text) << c.value;
}

TEST(NumericFields, FieldWritersFillTheSubstringToTheTextsEndAndBlankTheRest) {
    FixedText<20> t("abcdefghijklmnopqrst");
    write_int_field(t, 3, 7, "(1i3)", 1234);
    EXPECT_EQ(t.sub(1, 8), "ab***  h");
    write_real_field(t, 10, 16, "(1f7.2)", 3.14159f);
    EXPECT_EQ(t.sub(10, 16), "   3.14");
    write_int_field(t, 5, 4, "(1i3)", 1);  // j < i writes nothing
    EXPECT_EQ(t(5), '*');
    // A field at the very end of its text.
    FixedText<8> end("abcdefgh");
    write_int_field(end, 6, 8, "(1i3)", -12);
    EXPECT_EQ(end.view(), "abcde-12");
    write_int_field(end, 6, 8, "(1i3)", -123);
    EXPECT_EQ(end.view(), "abcde***");
}

TEST(WholeNumbers, TruncationRoundingAndSaturation) {
    EXPECT_EQ(int_of(-2.7), -2);
    EXPECT_EQ(int_of(2.7), 2);
    EXPECT_EQ(nint(2.5), 3);
    EXPECT_EQ(nint(-2.5), -3);
    EXPECT_EQ(nint(-2.4), -2);
    EXPECT_EQ(int_of(1.0e20), INT32_MAX);
    EXPECT_EQ(int_of(-1.0e20), INT32_MIN);
    EXPECT_EQ(int_of(std::nan("")), 0);
}

TEST(FixedTexts, EqualityIgnoresTrailingBlanks) {
    FixedText<8> a("NOTE");
    FixedText<16> b("NOTE   ");
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == "NOTE ");
    EXPECT_FALSE(a == "NOT");
    FixedText<4> c("TOOLONG");
    EXPECT_EQ(c.view(), "TOOL");
}

TEST(CheckedAccess, EveryShapeTakesItsFirstAndLastIndexAndRefusesTheNextOnes) {
    Array1<int32_t, 3> a;
    for (int i = 1; i <= 3; ++i) a(i) = 10 * i;
    EXPECT_EQ(a.data()[0], 10);  // element 1 is the first stored
    EXPECT_EQ(a.data()[2], 30);
    EXPECT_EQ(a(3), 30);
    EXPECT_THROW(a(0), EngineDefect);
    EXPECT_THROW(a(4), EngineDefect);
    // Block addresses run one past the end, for an empty block there, and no further.
    EXPECT_EQ(a.at(1), a.data());
    EXPECT_EQ(a.at(4), a.data() + 3);
    EXPECT_THROW(a.at(0), EngineDefect);
    EXPECT_THROW(a.at(5), EngineDefect);
    EXPECT_NO_THROW(a.check_range(1, 3));
    EXPECT_NO_THROW(a.check_range(3, 1));
    EXPECT_NO_THROW(a.check_range(4, 0));  // nothing to check
    EXPECT_THROW(a.check_range(1, 4), EngineDefect);
    EXPECT_THROW(a.check_range(4, 1), EngineDefect);
    EXPECT_THROW(a.check_range(0, 1), EngineDefect);
    EXPECT_NO_THROW(a.check_range(2, 2));
    EXPECT_THROW(a.check_range(2, 3), EngineDefect);
    ArrayRange<int32_t, 0, 3> r;
    for (int i = 0; i <= 3; ++i) r(i) = 100 + i;
    EXPECT_EQ(r(0), 100);
    EXPECT_EQ(r(3), 103);
    EXPECT_THROW(r(-1), EngineDefect);
    EXPECT_THROW(r(4), EngineDefect);
    FixedText<5> t("ab");
    EXPECT_THROW(t(6), EngineDefect);
    EXPECT_THROW(t.put(4, 6, "xyz"), EngineDefect);
    EXPECT_EQ(t.view(), "ab   ");  // nothing written
    t(5) = 'e';
    EXPECT_EQ(t.view(), "ab  e");
    EXPECT_THROW(t(0), EngineDefect);
    t.put(5, 5, "zz");  // cut to its one place
    EXPECT_EQ(t.view(), "ab  z");
    t.put(1, 5, "vwxyz");
    EXPECT_EQ(t.sub(1, 5), "vwxyz");
    EXPECT_EQ(t.sub(5, 5), "z");
    EXPECT_EQ(t.sub(6, 5), "");  // j < i: empty, not a fault
    EXPECT_THROW(t.sub(0, 1), EngineDefect);
    EXPECT_THROW(t.sub(1, 6), EngineDefect);
    EXPECT_THROW(t.put(0, 1, "x"), EngineDefect);
    EXPECT_EQ(t.view(), "vwxyz");
}

TEST(BinaryWords, LittleEndianRoundTrip) {
    unsigned char b[4];
    put_le_f32(b, -9999.0f);
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[3], 0xC6);
    EXPECT_EQ(get_le_f32(b), -9999.0f);
    put_le_i32(b, 0x01020304);
    EXPECT_EQ(b[0], 4);
    EXPECT_EQ(get_le_i32(b), 0x01020304);
}

class FileUnitsTest : public ::testing::Test {
  protected:
    void SetUp() override { temp_.use_data_folder(dir_); }
    void TearDown() override { close_all_units(); }
    TempFolder temp_{"ormest_units"};
    const std::filesystem::path& dir_ = temp_.root();
};

TEST_F(FileUnitsTest, StatusesOldNewAndUnknown) {
    const std::string name = (dir_ / "a.txt").string();
    EXPECT_FALSE(open_unit(3, name, UnitStatus::Old, UnitForm::Text));
    EXPECT_FALSE(std::filesystem::exists(name));  // an old-status open never creates
    ASSERT_TRUE(open_unit(3, name, UnitStatus::New, UnitForm::Text));
    EXPECT_EQ(write_record(3, "first"), IoResult::Ok);
    EXPECT_TRUE(close_unit(3));
    EXPECT_FALSE(open_unit(3, name, UnitStatus::New, UnitForm::Text));
    ASSERT_TRUE(open_unit(3, name, UnitStatus::Unknown, UnitForm::Text));
    std::string r;
    EXPECT_EQ(read_record(3, r), IoResult::Ok);
    EXPECT_EQ(r, "first");
    EXPECT_EQ(read_record(3, r), IoResult::End);
}

TEST_F(FileUnitsTest, WritingFromTheStartReplacesALongerFile) {
    const std::string name = (dir_ / "b.txt").string();
    std::ofstream(name) << "one\r\ntwo\nthree\n";
    ASSERT_TRUE(open_unit(21, name, UnitStatus::Unknown, UnitForm::Text));
    std::string r;
    ASSERT_EQ(read_record(21, r), IoResult::Ok);
    EXPECT_EQ(r, "one");  // CR LF records read without their CR
    write_record(21, "2");
    close_unit(21);
    EXPECT_EQ(read_text(name), "one\r\n2\n");
}

TEST_F(FileUnitsTest, RawUnitsReadShortAtTheEndAndWindowsNamesMapToTheWorkFolder) {
    ASSERT_TRUE(open_unit(21, "C:\\!TMP\\!UNDO!.tmp", UnitStatus::Unknown, UnitForm::Raw));
    const unsigned char bytes[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(write_bytes(21, bytes, 6), IoResult::Ok);
    close_unit(21);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "work" / "!UNDO!.tmp"));
    // Found again case-insensitively under another spelling.
    ASSERT_TRUE(open_unit(3, "\\!tmp\\!undo!.TMP", UnitStatus::Old, UnitForm::Raw));
    unsigned char buf[8] = {};
    std::size_t got = 0;
    EXPECT_EQ(read_bytes(3, buf, 8, &got), IoResult::End);
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(buf[5], 6);
    std::string r;
    EXPECT_EQ(read_record(99, r), IoResult::Error);  // never opened
}

// A link planted in the work folder is never written through, whatever the unit's status; the
// file it leads to stays byte for byte. Outside the work folder a link the user made is a
// name of the file it leads to.
TEST_F(FileUnitsTest, LinksInTheWorkFolderAreNeverFollowed) {
    namespace fs = std::filesystem;
    const fs::path target = dir_ / "precious.txt";
    std::ofstream(target, std::ios::binary) << "keep me\n";
    const fs::path link = dir_ / "work" / "!history.tmp";
    fs::create_symlink(target, link);
    EXPECT_FALSE(open_unit(3, "C:\\!tmp\\!history.tmp", UnitStatus::Unknown, UnitForm::Text));
    EXPECT_FALSE(open_unit(3, "C:\\!tmp\\!history.tmp", UnitStatus::Old, UnitForm::Text));
    EXPECT_FALSE(open_unit(3, "C:\\!tmp\\!history.tmp", UnitStatus::New, UnitForm::Text));
    EXPECT_FALSE(open_unit_at_local_path(3, link.string(), UnitStatus::Unknown, UnitForm::Raw));
    EXPECT_FALSE(unit_is_open(3));
    EXPECT_EQ(read_text(target), "keep me\n");
    EXPECT_TRUE(fs::is_symlink(link));
    // A dangling link makes nothing where it leads: New and Unknown both refuse.
    const fs::path nowhere = dir_ / "made_through_link.txt";
    fs::create_symlink(nowhere, dir_ / "work" / "!last!.tmp");
    EXPECT_FALSE(open_unit(4, "C:\\!tmp\\!last!.tmp", UnitStatus::Unknown, UnitForm::Text));
    EXPECT_FALSE(open_unit(4, "C:\\!tmp\\!last!.tmp", UnitStatus::New, UnitForm::Text));
    EXPECT_FALSE(fs::exists(nowhere));
    // A new file is made only where nothing is, in any folder: a dangling link there counts.
    fs::create_symlink(dir_ / "also_nowhere.txt", dir_ / "user_link.txt");
    EXPECT_FALSE(open_unit(4, (dir_ / "user_link.txt").string(), UnitStatus::New, UnitForm::Text));
    EXPECT_FALSE(fs::exists(dir_ / "also_nowhere.txt"));
    // The user's own link outside the work folder still reads and writes its file.
    fs::create_symlink(target, dir_ / "mine.txt");
    ASSERT_TRUE(open_unit(5, (dir_ / "mine.txt").string(), UnitStatus::Unknown, UnitForm::Text));
    std::string r;
    EXPECT_EQ(read_record(5, r), IoResult::Ok);
    EXPECT_EQ(r, "keep me");
    EXPECT_EQ(write_record(5, "and me"), IoResult::Ok);
    EXPECT_TRUE(close_unit(5));
    EXPECT_EQ(read_text(target), "keep me\nand me\n");
    // A real file in the work folder opens in all three ways.
    fs::remove(link);
    ASSERT_TRUE(open_unit(3, "C:\\!tmp\\!history.tmp", UnitStatus::New, UnitForm::Text));
    EXPECT_EQ(write_record(3, "one"), IoResult::Ok);
    EXPECT_TRUE(close_unit(3));
    EXPECT_TRUE(open_unit(3, "C:\\!tmp\\!history.tmp", UnitStatus::Old, UnitForm::Text));
    EXPECT_TRUE(open_unit(3, "C:\\!tmp\\!history.tmp", UnitStatus::Unknown, UnitForm::Text));
    EXPECT_EQ(read_record(3, r), IoResult::Ok);
    EXPECT_EQ(r, "one");
}

TEST(ShownText, ControlBytesBecomeQuestionMarksAndEveryOtherByteStays) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string shown = core::shown_text(all);
    ASSERT_EQ(shown.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        const bool control = b <= 0x1F || b == 0x7F;
        EXPECT_EQ(static_cast<unsigned char>(shown[static_cast<std::size_t>(b)]), control ? '?' : b)
            << "byte " << b;
    }
    EXPECT_EQ(core::shown_text(""), "");
}

// Cuts fall between letters of every UTF-8 length, at the limit and one byte short of it;
// bytes that continue no UTF-8 letter (CP1252) are cut where the limit falls.
TEST(ShownText, CutsKeepEveryLetterWholeAtEachLength) {
    const struct {
        std::string text;
        std::size_t max;
        const char* head;  // head_by_letters
        const char* end;   // shown_end
    } rows[] = {
        {"abc", 3, "abc", "abc"},
        {"abcdef", 5, "abcde", "...ef"},
        {"ab\xC3\xA9", 4, "ab\xC3\xA9", "ab\xC3\xA9"},  // é whole at the limit
        {"ab\xC3\xA9", 3, "ab", "..."},                 // é split: left out whole
        {"w\xC3\xA9\xC3\xA9", 4, "w\xC3\xA9", "..."},
        {"a\xE2\x82\xAC"
         "b",
         4, "a\xE2\x82\xAC", "...b"},  // € at the limit
        {"a\xE2\x82\xAC"
         "b",
         3, "a", "..."},  // € cut after 2 of its 3 bytes
        {"a\xE2\x82\xAC"
         "b",
         2, "a", ".."},  // and after 1
        {"\xF0\x9D\x84\x9Exyz", 4, "\xF0\x9D\x84\x9E", "...z"},
        {"\xF0\x9D\x84\x9Exyz", 3, "", "..."},
        {"xyz\xF0\x9D\x84\x9E", 7, "xyz\xF0\x9D\x84\x9E", "xyz\xF0\x9D\x84\x9E"},
        {"wxyz\xF0\x9D\x84\x9E", 7, "wxyz", "...\xF0\x9D\x84\x9E"},
        {"vwxyz\xF0\x9D\x84\x9E", 6, "vwxyz", "..."},  // the end would start inside the letter
        // CP1252 bytes that no UTF-8 lead begins are letters of their own, cut anywhere.
        {"ab\x80\x81\x82", 3, "ab\x80", "..."},
        {"ab\x80\x81\x82", 4, "ab\x80\x81", "...\x82"},
        {"\xE9t\xE9\xE9", 3, "\xE9t\xE9", "..."},
        {"\xE9t\xE9\xE9", 4, "\xE9t\xE9\xE9", "\xE9t\xE9\xE9"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text + " / " + std::to_string(r.max));
        EXPECT_EQ(core::head_by_letters(r.text, r.max), r.head);
        EXPECT_EQ(core::shown_end(r.text, r.max), r.end);
        EXPECT_LE(core::shown_end(r.text, r.max).size(), r.max);
    }
}

}  // namespace
