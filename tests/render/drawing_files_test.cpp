// Library drawing files: the reader the symbol drawer uses, the two conversions of old drawing
// files (Convert Code 11 and the old-file command) and the Code 11 drawer. Each case works in
// a temporary data folder (the library folder "mxlib", old drawings in "keldlib") and a
// temporary work folder (where the conversions write).
#include "engine/render/symbols/drawing_files.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/core/files/word_start_page.h"
#include "engine/core/settings_tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/symbols/drawing_convert.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/render/symbol_fixture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// A library file whose first drawing is named "first".
void write_library_file(const fs::path& path, const std::vector<Drawing>& drawings) {
    write_drawing_file(path, drawings, {}, "first");
}

// An old drawing file as the conversions read it: lead word, 11 start entries (offsets in
// stream values), ten 5-character names, then blocks of a filler word and up to 64 values.
// `values` may stop short of the count in entry 11.
void write_old_file(const fs::path& path, const std::vector<int16_t>& start,
                    const std::vector<int16_t>& values) {
    std::ofstream out(path, std::ios::binary);
    const int16_t lead = 7;
    out.write(reinterpret_cast<const char*>(&lead), 2);
    out.write(reinterpret_cast<const char*>(start.data()), 22);
    const std::string names = "ONE  TWO  THREEFOUR FIVE SIX  SEVENEIGHTNINE TEN  ";
    out.write(names.data(), 50);
    for (std::size_t i = 0; i < values.size(); i += 64) {
        const int16_t filler = -1;
        out.write(reinterpret_cast<const char*>(&filler), 2);
        const std::size_t n = std::min<std::size_t>(64, values.size() - i);
        out.write(reinterpret_cast<const char*>(values.data() + i),
                  static_cast<std::streamsize>(2 * n));
    }
}

// Whole file contents.
std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Packs a name of up to 24 characters into P14..P19, four to a word as the store keeps it.
void pack_name(std::vector<float>& params, const std::string& name) {
    params.resize(std::max<std::size_t>(params.size(), 19), 0.0f);
    char chars[24];
    std::memset(chars, ' ', sizeof chars);
    std::memcpy(chars, name.data(), std::min<std::size_t>(name.size(), 24));
    std::memcpy(&params[13], chars, 24);
}

class DrawingFilesTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        fs::create_directories(root_ / "data" / "mxlib");
        fs::create_directories(root_ / "data" / "keldlib");
        temp_.use_data_folder(root_ / "data");
        render::OutputPassWord = 1;
    }

    fs::path library() const { return root_ / "data" / "mxlib"; }
    fs::path user_library() const { return root_ / "work" / "mxlib"; }
    fs::path old_folder() const { return root_ / "data" / "keldlib"; }

    // Three points of drawing d: (10d, 1), (10d + 1, 2), (10d + 2, 3), pens 2, 0, 0.
    static Drawing points_of(int d) {
        const float x = static_cast<float>(10 * d);
        return {{x, 1, 2}, {x + 1, 2, 0}, {x + 2, 3, 0}};
    }

    // Code 11 items naming old file `name`, drawing p5.
    static int32_t add_code11(float p5, const std::string& name) {
        std::vector<float> p = {11.0f, 1.0f, 10.0f, 5.0f, p5, 1.0f, 1.0f};
        pack_name(p, name);
        p.resize(22, 0.0f);
        p[20] = 4.5f;  // P21, cleared by the conversion like every word from P14 on
        return add_item(p);
    }
    // ParamBuffer = item k's parameters, as the area driver hands them over.
    static void load_item(int32_t k) {
        const int32_t start = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(start));
        core::ParamBuffer.fill(0.0f);
        for (int32_t j = 1; j <= n; ++j) core::ParamBuffer(j) = core::ItemStore(start + j);
    }
    static float stored(int32_t k, int32_t j) {
        return core::ItemStore(core::ItemStartTable(k) + j);
    }
    // An old file "OLDSYM.DRW": drawing 3 has the points (100, 200, 2) (110, 210, 0); drawing 4
    // the point (5, 6, 1).
    void make_old_file(const std::string& name = "OLDSYM.DRW") {
        const std::vector<int16_t> values = {100, 200, 2, 110, 210, 0, 5, 6, 1};
        write_old_file(old_folder() / name, {0, 0, 0, 0, 6, 9, 9, 9, 9, 9, 9}, values);
    }
    void answer_convert(int number, int check = 0) { answer({number, 0, check}); }
    // The answer to "file exists": use its contents, or replace it.
    void answer_existing(bool use) { answer({1, use ? 1 : 0}); }
    void answer(std::vector<int> words) {
        ScriptedFrontEnd::DialogAnswer a;
        a.result = 1;
        a.words = std::move(words);
        fe_.answer_dialog(a);
    }
    // One step of the old-file command with `line` typed (the first step when `first`).
    static void old_file_step(const std::string& line, bool first = false) {
        if (first) core::PendingBoxOperation = 40;
        core::MessageLine.set(line);
        render::edit_library_drawing();
    }
    bool read_file(int32_t file_number) {
        return render::read_library_drawing(file_number, start_, names_);
    }
    // Writes one 16-bit word at byte `offset` of a file.
    static void patch_word(const fs::path& file, std::streamoff offset, int16_t value) {
        std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(offset);
        f.write(reinterpret_cast<const char*>(&value), 2);
    }

    render::DrawingStartTable start_;
    render::DrawingNames names_;

    TempFolder temp_{"ormest_drawings"};
    const fs::path& root_ = temp_.root();
};

// ---- the reader ----

TEST_F(DrawingFilesTest, SymbolNumberSelectsFileAndDrawing) {
    std::vector<Drawing> drawings;
    for (int d = 0; d < 10; ++d) drawings.push_back(points_of(d));
    // Upper-case on disk: the reader finds "lb0450.drw" without regard to case.
    write_library_file(library() / "LB0450.DRW", drawings);

    ASSERT_TRUE(read_file(457 / 10));
    EXPECT_EQ(start_(1), 1);
    EXPECT_EQ(start_(8), 22);  // drawing 7 starts after seven drawings of three points
    EXPECT_EQ(start_(9) - start_(8), 3);
    EXPECT_EQ(render::LibraryDrawingBuffers.x(start_(8)), 70.0f);
    EXPECT_EQ(render::LibraryDrawingBuffers.pen(start_(8)), 2);
    EXPECT_EQ(names_(1), core::FixedText<24>("first"));
    EXPECT_EQ(render::library_file_name(45), "lb0450.drw");
    EXPECT_EQ(render::library_file_name(0), "lb0000.drw");
    EXPECT_TRUE(fe_.message_boxes.empty());

    // Through the symbol drawer: symbol 457 draws drawing 7's three points.
    render::draw_library_symbol(0.0f, 0.0f, 457, 1.0f, 1.0f, 0, 0.0f, 0);
    ASSERT_EQ(render::PathPointList.count, 4);
    EXPECT_EQ(render::PathPointList.op(1), 2);
}

TEST_F(DrawingFilesTest, EqualStartEntriesDrawNothingAndStoredFirstEntryReadsAsOne) {
    write_library_file(library() / "lb0010.drw", {points_of(0), {}, points_of(2)});
    write_library_file(library() / "lb0020.drw", {points_of(0), {}, points_of(2)});
    patch_word(library() / "lb0020.drw", 0, 1);

    ASSERT_TRUE(read_file(1));
    const render::DrawingStartTable a = start_;
    ASSERT_TRUE(read_file(2));
    for (int k = 1; k <= 11; ++k) EXPECT_EQ(a(k), start_(k)) << k;
    EXPECT_EQ(a(1), 1);
    EXPECT_EQ(a(2), a(3));  // drawing 1 is empty

    render::draw_library_symbol(0.0f, 0.0f, 11, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(render::PathPointList.count, 1);
    render::draw_library_symbol(0.0f, 0.0f, 12, 1.0f, 1.0f, 0, 0.0f, 0);
    EXPECT_EQ(render::PathPointList.count, 4);
}

TEST_F(DrawingFilesTest, DamagedFilesAreRefusedOrTamed) {
    // Entry 11 promises 50 points that the file does not hold.
    write_library_file(library() / "lb0030.drw", {points_of(0)});
    patch_word(library() / "lb0030.drw", 20, 51);
    core::ParamBuffer(1) = 4.0f;
    EXPECT_FALSE(read_file(3));
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "*** Damaged file --> " + (library() / "lb0030.drw").string());
    EXPECT_EQ(start_(11), 0);

    // Start entries beyond the points are brought back inside them; negative pens read as 0.
    write_library_file(library() / "lb0040.drw", {{{1, 1, -5}, {2, 2, 0}}});
    patch_word(library() / "lb0040.drw", 2 * 4, 3000);
    ASSERT_TRUE(read_file(4));
    EXPECT_EQ(start_(5), 3);
    EXPECT_EQ(render::LibraryDrawingBuffers.pen(1), 0);

    // A file number beyond three digits names no file.
    EXPECT_FALSE(read_file(1000));
}

TEST_F(DrawingFilesTest, MissingFileNoticeKeepsTheWholePath) {
    // A library folder deeper than 44 characters: the message names it whole.
    const fs::path deep = root_ / "a_library_folder_with_a_rather_long_name_indeed";
    fs::create_directories(deep);
    core::LibraryFolder.set(deep.string() + "/");
    const std::string expected = deep.string() + "/lb0120.drw - Changed to clef.";
    ASSERT_GT(expected.size(), 44u);

    core::ParamBuffer(1) = 9.0f;
    fe_.answer_dialog(1);  // the check box: no more notices
    EXPECT_FALSE(read_file(12));
    EXPECT_EQ(core::MessageLine.c_text(), expected);
    ASSERT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_FALSE(read_file(12));
    EXPECT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_TRUE(fe_.message_boxes.empty());

    // lb0000.drw is always reported as not found.
    EXPECT_FALSE(read_file(0));
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "File not found --> " + deep.string() + "/lb0000.drw");
}

// A page is redrawn often: the clef notice for a missing file and the damage of a file are
// told once per file, until the engine is reset or the library folder changes. A missing file
// for another code is a plain "File not found --> " once per word.
TEST_F(DrawingFilesTest, NoticesAreToldOncePerFile) {
    core::ParamBuffer(1) = 9.0f;
    for (int k = 0; k < 4; ++k) fe_.answer_dialog(0);
    EXPECT_FALSE(read_file(12));
    EXPECT_FALSE(read_file(12));
    EXPECT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_EQ(core::MessageLine.c_text(),
              (library() / "lb0120.drw").string() + " - Changed to clef.");
    EXPECT_FALSE(read_file(13));  // another file is told
    EXPECT_EQ(fe_.dialogs.size(), 2u);

    // A truncated file (the points cut off after its header): damaged, told once, whatever
    // the code.
    write_library_file(library() / "lb0140.drw", {points_of(0), points_of(1)});
    fs::resize_file(library() / "lb0140.drw", 22 + 240 + 10);
    EXPECT_FALSE(read_file(14));
    core::ParamBuffer(1) = 4.0f;
    EXPECT_FALSE(read_file(14));
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "*** Damaged file --> " + (library() / "lb0140.drw").string());
    EXPECT_EQ(fe_.dialogs.size(), 2u);

    // Missing for another code: once in a word, however often the word asks, and again in the
    // next word; another missing file is told in the same word.
    EXPECT_FALSE(read_file(15));
    EXPECT_FALSE(read_file(15));
    ASSERT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_EQ(fe_.message_boxes[1], "File not found --> " + (library() / "lb0150.drw").string());
    EXPECT_FALSE(read_file(16));
    EXPECT_EQ(fe_.message_boxes.size(), 3u);
    core::keep_page_before_word();
    EXPECT_FALSE(read_file(15));
    EXPECT_FALSE(read_file(15));
    EXPECT_EQ(fe_.message_boxes.size(), 4u);

    // Another library folder: its files are told again.
    const fs::path other = root_ / "other_library";
    fs::create_directories(other);
    fs::copy_file(library() / "lb0140.drw", other / "lb0140.drw");
    const std::string saved_folder = core::LibraryFolder.c_text();
    core::LibraryFolder.set(other.string() + "/");
    core::ParamBuffer(1) = 9.0f;
    EXPECT_FALSE(read_file(12));
    EXPECT_EQ(fe_.dialogs.size(), 3u);
    EXPECT_FALSE(read_file(14));
    ASSERT_EQ(fe_.message_boxes.size(), 5u);
    EXPECT_EQ(fe_.message_boxes[4], "*** Damaged file --> " + (other / "lb0140.drw").string());

    // Back in the first folder, after a reset: told again.
    core::LibraryFolder.set(saved_folder);
    render::register_drawing_file_drawers();
    EXPECT_FALSE(read_file(12));
    EXPECT_EQ(fe_.dialogs.size(), 4u);
    EXPECT_FALSE(read_file(14));
    EXPECT_EQ(fe_.message_boxes.size(), 6u);
}

// ---- the folders ----

TEST_F(DrawingFilesTest, ConversionsWriteOutsideTheDataFolder) {
    // The shipped library lies in the data folder: the user's library in the work folder.
    EXPECT_EQ(render::library_write_folder(), user_library().string());
    // A library folder of the user's own is written directly.
    const fs::path own = root_ / "own";
    fs::create_directories(own);
    core::LibraryFolder.set(own.string() + "\\");
    EXPECT_EQ(render::library_write_folder(), own.string());

    EXPECT_EQ(render::conversion_file_name(5123), "LB5120.DRW");
    EXPECT_EQ(render::conversion_file_name(9989), "LB9980.DRW");
    EXPECT_EQ(render::conversion_file_name(4999), "");
    EXPECT_EQ(render::conversion_file_name(9990), "");
}

TEST_F(DrawingFilesTest, UserLibraryIsReadFirstForUserNumbers) {
    write_library_file(library() / "lb5120.drw", {points_of(0)});
    fs::create_directories(user_library());
    write_library_file(user_library() / "LB5120.DRW", {points_of(4)});
    EXPECT_EQ(render::find_library_file(512), (user_library() / "LB5120.DRW").string());
    // Shipped numbers are never shadowed.
    write_library_file(library() / "lb0050.drw", {points_of(0)});
    write_library_file(user_library() / "lb0050.drw", {points_of(4)});
    EXPECT_EQ(render::find_library_file(5), (library() / "lb0050.drw").string());
}

// ---- Convert Code 11 ----

TEST_F(DrawingFilesTest, ConvertWritesTheLibraryFileAndChangesMatchingItems) {
    make_old_file();
    add_code11(3.0f, "OLDSYM");
    add_code11(3.0f, "OLDSYM");
    add_code11(4.0f, "OLDSYM");  // another drawing of the same file: converted separately
    load_item(1);
    answer_convert(5123);

    render::convert_drawing_to_library_symbol(1);

    ASSERT_TRUE(fs::exists(user_library() / "LB5120.DRW"));
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), "Item    1    P5 =   3");
    EXPECT_EQ(core::MessageLine.c_text(), "Item    1,  P5=  3,  OLDSYM.DRW");
    for (int k : {1, 2}) {
        EXPECT_EQ(stored(k, 1), 9.0f);
        EXPECT_EQ(stored(k, 5), 5123.0f);  // not rounded: the last digit picks the drawing
        for (int j = 14; j <= 22; ++j) EXPECT_EQ(stored(k, j), 0.0f) << k << " P" << j;
    }
    EXPECT_EQ(stored(3, 1), 11.0f);
    EXPECT_EQ(stored(3, 5), 4.0f);

    // The new file: start entries old / 3 + 1, points from the value triples.
    ASSERT_TRUE(read_file(512));
    EXPECT_EQ(start_(4), 1);
    EXPECT_EQ(start_(5), 3);
    EXPECT_EQ(start_(11), 4);
    EXPECT_EQ(render::LibraryDrawingBuffers.x(2), 110.0f);
    EXPECT_EQ(render::LibraryDrawingBuffers.y(2), 210.0f);
    EXPECT_EQ(render::LibraryDrawingBuffers.pen(3), 1);
    EXPECT_EQ(names_(4), core::FixedText<24>("FOUR"));
    // The raw file stores 0 in entry 1, as the writers do, and nothing is left behind.
    const std::string bytes = slurp(user_library() / "LB5120.DRW");
    EXPECT_EQ(bytes.size(), 262u + 10u * 3u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(user_library()), fs::directory_iterator()), 1);
}

TEST_F(DrawingFilesTest, ConvertRefusesNumbersOutsideTheUserRange) {
    make_old_file();
    add_code11(3.0f, "OLDSYM");
    load_item(1);
    answer_convert(4990);
    answer_convert(9990);
    answer_convert(5000);

    render::convert_drawing_to_library_symbol(1);

    EXPECT_EQ(fe_.dialogs.size(), 3u);
    EXPECT_FALSE(fs::exists(user_library() / "LB4990.DRW"));
    EXPECT_FALSE(fs::exists(library() / "LB4990.DRW"));
    EXPECT_TRUE(fs::exists(user_library() / "LB5000.DRW"));
    EXPECT_EQ(stored(1, 5), 5000.0f);
}

TEST_F(DrawingFilesTest, ConvertOverAnExistingFile) {
    make_old_file();
    fs::create_directories(user_library());
    write_library_file(user_library() / "LB5120.DRW", {points_of(1)});
    const std::string before = slurp(user_library() / "LB5120.DRW");

    // "Use contents of this LB file": the items change, no file is touched.
    add_code11(3.0f, "OLDSYM");
    load_item(1);
    answer_convert(5121);
    answer_existing(true);
    render::convert_drawing_to_library_symbol(1);
    EXPECT_EQ(core::MessageLine.c_text(), "Replace 5121 in LB5120.DRW");
    EXPECT_EQ(stored(1, 5), 5121.0f);
    EXPECT_EQ(slurp(user_library() / "LB5120.DRW"), before);

    // Replace: the new file takes the name, the old one is kept as LB9990.DRW.
    add_code11(3.0f, "OLDSYM");
    load_item(2);
    answer_convert(5123);
    answer_existing(false);
    render::convert_drawing_to_library_symbol(2);
    EXPECT_EQ(slurp(user_library() / "LB9990.DRW"), before);
    EXPECT_NE(slurp(user_library() / "LB5120.DRW"), before);
    EXPECT_EQ(stored(2, 5), 5123.0f);

    // A failed conversion leaves the existing file whole and keeps no backup of it.
    fs::remove(user_library() / "LB9990.DRW");
    fs::remove(old_folder() / "OLDSYM.DRW");
    const std::string current = slurp(user_library() / "LB5120.DRW");
    add_code11(3.0f, "OLDSYM");
    load_item(3);
    answer_convert(5124);
    answer_existing(false);
    render::convert_drawing_to_library_symbol(3);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], " Error or file not found.");
    EXPECT_EQ(slurp(user_library() / "LB5120.DRW"), current);
    EXPECT_FALSE(fs::exists(user_library() / "LB9990.DRW"));
    EXPECT_EQ(stored(3, 1), 11.0f);
}

// Conversions into the user's library in the work folder never write through a link: a link
// at the backup's or the temporary file's name is replaced, and a link in place of the library
// folder itself is refused.
TEST_F(DrawingFilesTest, ConversionsNeverWriteThroughLinksInTheWorkFolder) {
    make_old_file();
    fs::create_directories(user_library());
    write_library_file(user_library() / "LB5120.DRW", {points_of(1)});
    const std::string before = slurp(user_library() / "LB5120.DRW");
    const fs::path precious = root_ / "precious";
    std::ofstream(precious, std::ios::binary) << "keep";
    fs::create_symlink(precious, user_library() / "LB9990.DRW");
    fs::create_symlink(precious, user_library() / ("LB5120.DRW.part" + std::to_string(::getpid())));

    add_code11(3.0f, "OLDSYM");
    load_item(1);
    answer_convert(5123);
    answer_existing(false);
    render::convert_drawing_to_library_symbol(1);
    EXPECT_EQ(stored(1, 5), 5123.0f);
    EXPECT_EQ(slurp(precious), "keep");
    EXPECT_FALSE(fs::is_symlink(user_library() / "LB9990.DRW"));
    EXPECT_EQ(slurp(user_library() / "LB9990.DRW"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(user_library()), fs::directory_iterator()), 2);

    // The library folder a link: nothing is written where it leads.
    fs::remove_all(user_library());
    fs::create_directory(root_ / "elsewhere");
    fs::create_directory_symlink(root_ / "elsewhere", user_library());
    add_code11(3.0f, "OLDSYM");
    load_item(2);
    answer_convert(5000);
    render::convert_drawing_to_library_symbol(2);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0],
              "Cannot write library files in the library folder " + user_library().string());
    EXPECT_TRUE(fs::is_empty(root_ / "elsewhere"));
    EXPECT_EQ(stored(2, 1), 11.0f);
}

TEST_F(DrawingFilesTest, ConvertDialogChoices) {
    make_old_file();
    add_code11(3.0f, "OLDSYM");
    add_code11(3.0f, "OLDSYM");
    add_code11(3.0f, "OLDSYM");

    // "Set new P5 number." asks again for a number.
    fs::create_directories(user_library());
    write_library_file(user_library() / "LB5120.DRW", {points_of(1)});
    load_item(1);
    answer_convert(5120);
    fe_.answer_dialog(-1);
    fe_.answer_dialog(3);  // then "Ignore this Item"
    render::convert_drawing_to_library_symbol(1);
    EXPECT_EQ(fe_.dialogs.size(), 3u);
    EXPECT_EQ(stored(1, 1), 11.0f);

    // "Delete this Item": the stored code becomes 19, for the next redraw to remove.
    fe_.answer_dialog(2);
    render::convert_drawing_to_library_symbol(1);
    EXPECT_EQ(stored(1, 1), 19.0f);
    EXPECT_EQ(stored(2, 1), 11.0f);

    // The check box stops every later step until the program ends (a reset here).
    answer_convert(5300, 1);
    load_item(2);
    render::convert_drawing_to_library_symbol(2);
    const std::size_t shown = fe_.dialogs.size();
    load_item(3);
    render::convert_drawing_to_library_symbol(3);
    EXPECT_EQ(fe_.dialogs.size(), shown);
    EXPECT_EQ(stored(3, 1), 11.0f);
    EXPECT_FALSE(fs::exists(user_library() / "LB5300.DRW"));
}

TEST_F(DrawingFilesTest, ConvertStopsAtTheEndOfAShortOldFile) {
    // Entry 11 promises 9 values; the file holds 7: one whole point of drawing 4 is missing.
    write_old_file(old_folder() / "SHORT.DRW", {0, 0, 0, 0, 6, 9, 9, 9, 9, 9, 9},
                   {100, 200, 2, 110, 210, 0, 5});
    add_code11(3.0f, "SHORT");
    load_item(1);
    answer_convert(6003);
    render::convert_drawing_to_library_symbol(1);

    ASSERT_TRUE(read_file(600));
    EXPECT_EQ(start_(11), 3);  // two points
    EXPECT_EQ(start_(5), 3);
    EXPECT_EQ(stored(1, 5), 6003.0f);
}

// ---- the old-file command ----

TEST_F(DrawingFilesTest, OldFileCommandConvertsInThreeSteps) {
    const fs::path old = root_ / "old drawings" / "brass";
    fs::create_directories(old.parent_path());
    write_old_file(old.string() + ".DRW", {0, 3, 6, 6, 6, 6, 6, 6, 6, 6, 6}, {1, 2, 1, 3, 4, 0});

    render::edit_library_drawing();
    EXPECT_EQ(core::PendingBoxOperation, 40);
    EXPECT_EQ(core::MessageLine.c_text(),
              "Type complete path and file name of old .DRW file. <enter> = Cancel.");

    old_file_step(old.string());  // ".DRW" is added
    EXPECT_EQ(core::PendingBoxOperation, 41);
    EXPECT_EQ(core::MessageLine.c_text(), "Type 4-digit number -- last digit must be 0.");

    for (const char* bad : {"4990", "5123", "9990", "12ab", "51"}) {
        old_file_step(bad);
        EXPECT_EQ(core::PendingBoxOperation, 41) << bad;
        EXPECT_EQ(core::MessageLine.c_text(), "Type 4-digit number -- last digit must be 0.");
    }
    EXPECT_TRUE(fs::is_empty(root_ / "data" / "mxlib"));

    old_file_step("7770");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_TRUE(fe_.message_boxes.empty());
    ASSERT_TRUE(read_file(777));
    EXPECT_EQ(start_(2), 2);
    EXPECT_EQ(start_(11), 3);
    EXPECT_EQ(render::LibraryDrawingBuffers.x(2), 3.0f);
}

TEST_F(DrawingFilesTest, OldFileCommandAsksBeforeOverwriting) {
    const fs::path old = root_ / "old.drw";
    write_old_file(old, {0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, {1, 2, 1});
    fs::create_directories(user_library());
    write_library_file(user_library() / "LB5550.DRW", {points_of(2)});
    const std::string before = slurp(user_library() / "LB5550.DRW");

    old_file_step(old.string(), true);
    fe_.answer_yes_no(0);
    old_file_step("5550");
    EXPECT_EQ(core::PendingBoxOperation, 41);
    EXPECT_EQ(core::MessageLine.c_text(), "File already exists - use a different number.");
    ASSERT_EQ(fe_.questions.size(), 1u);
    EXPECT_NE(fe_.questions[0].find("FILE EXISTS - Write over file?"), std::string::npos);
    EXPECT_EQ(slurp(user_library() / "LB5550.DRW"), before);

    fe_.answer_yes_no(-1);
    old_file_step("5550");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_NE(slurp(user_library() / "LB5550.DRW"), before);
}

TEST_F(DrawingFilesTest, OldFileCommandCancelsAndRejects) {
    // Enter alone cancels without a word.
    old_file_step("", true);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    old_file_step("\r", true);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_TRUE(fe_.message_boxes.empty());

    // A name with neither "*" nor a folder separator.
    old_file_step("brass", true);
    EXPECT_EQ(core::PendingBoxOperation, 0);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], " Error or file not found.");

    // An old file that is not there.
    old_file_step((root_ / "none.DRW").string(), true);
    old_file_step("5010");
    EXPECT_EQ(core::PendingBoxOperation, 0);
    EXPECT_EQ(fe_.message_boxes.size(), 2u);
    EXPECT_FALSE(fs::exists(user_library() / "LB5010.DRW"));
}

// ---- Code 11 items on the page ----

TEST_F(DrawingFilesTest, Code11ItemsLoadTheirFileAndDrawNothing) {
    const std::vector<int16_t> header = {0, 0, 3, 6, 6, 6, 6, 6, 6, 6, 6, 7};
    std::ofstream out(old_folder() / "HORN.DRW", std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), 24);
    out.write(std::string(50, ' ').data(), 50);
    const int16_t values[6] = {1, 2, 1, 3, 4, 0};
    out.write(reinterpret_cast<const char*>(values), sizeof values);
    out.close();

    render::register_drawing_file_drawers();
    std::vector<float> p = {11.0f, 0.0f, 10.0f, 5.0f, 1.0f};
    pack_name(p, "HORN");
    set_params(p);
    const float saved_p6 = core::ParamBuffer(6);
    render::draw_item_by_code();
    EXPECT_EQ(render::PathPointList.count, 1);
    EXPECT_EQ(render::code11_slot_file_count(), 1);
    EXPECT_EQ(core::ParamBuffer(6), saved_p6);
    EXPECT_TRUE(fe_.message_boxes.empty());

    pack_name(p, "GONE");
    set_params(p);
    render::draw_item_by_code();
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "File not found --> GONE.DRW");
}

}  // namespace

// ---- Code 11 items named by their drawing number ----

namespace {

constexpr char kDrawingRangeMessage[] = "*** Drawing number out of range: ";

class Code11NumberTest : public DrawingFilesTest {
  protected:
    void SetUp() override {
        DrawingFilesTest::SetUp();
        render::register_drawing_file_drawers();
    }
    std::vector<std::string> range_messages() const {
        std::vector<std::string> out;
        for (const std::string& line : fe_.prompts)
            if (line.find(kDrawingRangeMessage) != std::string::npos) out.push_back(line);
        return out;
    }
    // A Code 11 item without a packed name, drawing number p6.
    static std::vector<float> numbered(float p6) { return {11.0f, 0.0f, 10.0f, 5.0f, 3.0f, p6}; }
};

TEST_F(Code11NumberTest, NumbersUpTo9999NameAFileAndOthersAreToldOnce) {
    // The file of 9990..9999 exists; 0..9 has none.
    const std::vector<int16_t> header = {0, 0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4};
    std::ofstream out(old_folder() / "LB9990.DRW", std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), 24);
    out.write(std::string(50, ' ').data(), 50);
    const int16_t values[3] = {1, 2, 1};
    out.write(reinterpret_cast<const char*>(values), sizeof values);
    out.close();

    const struct {
        float p6;
        const char* told;     // the range message's number, "" when the number makes a name
        const char* missing;  // the name reported missing, "" when none
    } cases[] = {{9999.0f, "", ""},          {9999.9f, "", ""},
                 {9990.0f, "", ""},          {0.0f, "", "LB0000.DRW"},
                 {-0.5f, "", "LB0000.DRW"},  {10000.0f, "10000", ""},
                 {1e9f, "1000000000", ""},   {-1.0f, "-1", ""},
                 {std::nanf(""), "NaN", ""}, {-std::numeric_limits<float>::infinity(), "-inf", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.p6);
        fe_.prompts.clear();
        fe_.message_boxes.clear();
        render::DrawingRangeReported = 0;  // a new redraw
        core::keep_page_before_word();     // in a word of its own
        // Drawn twice, as a typed item is: told once.
        for (int pass = 0; pass < 2; ++pass) {
            set_params(numbered(c.p6));
            render::draw_item_by_code();
            EXPECT_EQ(std::memcmp(core::ParamBuffer.at(6), &c.p6, 4), 0) << "P6 came back changed";
        }
        if (*c.told != '\0') {
            ASSERT_EQ(range_messages().size(), 1u);
            EXPECT_EQ(range_messages()[0], kDrawingRangeMessage + std::string(c.told));
            EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
        } else if (*c.missing != '\0') {
            EXPECT_TRUE(range_messages().empty());
            ASSERT_EQ(fe_.message_boxes.size(), 1u);
            EXPECT_EQ(fe_.message_boxes[0], "File not found --> " + std::string(c.missing));
        } else {
            EXPECT_TRUE(range_messages().empty());
            EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
        }
    }
    EXPECT_EQ(render::code11_slot_file_count(), 1);  // LB9990 loaded once
}

TEST_F(Code11NumberTest, APageRedrawTellsTheFirstNumberOutOfRangeOnce) {
    add_item({8.0f, 1.0f, 0.0f});
    add_item(numbered(1e9f));
    add_item(numbered(-7.0f));
    add_item(numbered(std::nanf("")));
    render::redraw_items();
    ASSERT_EQ(range_messages().size(), 1u);
    EXPECT_EQ(range_messages()[0], kDrawingRangeMessage + std::string("1000000000"));
    EXPECT_TRUE(fe_.message_boxes.empty()) << fe_.message_boxes.front();
    // The next redraw tells it again, once.
    render::redraw_items();
    EXPECT_EQ(range_messages().size(), 2u);
    // A packed name wins over the number.
    fe_.message_boxes.clear();
    std::vector<float> p = numbered(1e9f);
    pack_name(p, "GONE");
    set_params(p);
    render::DrawingRangeReported = 0;
    render::draw_item_by_code();
    EXPECT_EQ(range_messages().size(), 2u);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    EXPECT_EQ(fe_.message_boxes[0], "File not found --> GONE.DRW");
}

}  // namespace
