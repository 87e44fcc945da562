// Engine start-up in a data folder of the test's own, the generated data files themselves, the
// guitar chord lines and the first-time document defaults.
#include "engine/commands/start_up.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/files/library_data.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

using namespace core;
namespace fs = std::filesystem;

namespace {

const std::string kNotFound = "File not found --> ";

// The build's own data folder (the test environment points ORMEST_HOME at it).
fs::path built_data_folder() {
    const char* home = std::getenv("ORMEST_HOME");
    return home != nullptr ? fs::path(home) : fs::path();
}

// Library data written by the test itself: circle pair k = (k, -k), factor f = f + 0.5, stroke
// entry e = e (so every value tells where it was read from).
std::vector<unsigned char> sample_library_data() {
    std::vector<unsigned char> bytes(kLibraryDataBytes, 0);
    put_le_i32(bytes.data(), 1);
    put_le_i32(bytes.data() + 4, kLibraryDataBytes);
    std::size_t at = 8;
    for (int k = 0; k < kCirclePointWords / 2; ++k, at += 8) {
        put_le_f32(bytes.data() + at, static_cast<float>(k));
        put_le_f32(bytes.data() + at + 4, static_cast<float>(-k));
    }
    for (int f = 0; f < kFontSizeFactorCount; ++f, at += 4)
        put_le_f32(bytes.data() + at, static_cast<float>(f) + 0.5f);
    for (int e = 1; e <= kStrokeFontEntries; ++e, at += 2)
        put_le_i16(bytes.data() + at, static_cast<int16_t>(e));
    return bytes;
}

class StartUpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        set_front_end(&fe);
        fs::create_directories(data_ / "mxlib" / "fontlib");
        temp_.use_data_folder(data_);
    }
    void TearDown() override { set_front_end(nullptr); }

    // A complete data folder: preferences with both folders, the font marker, library data.
    void install_data(const std::string& preferences =
                          "BEAM 40.00\nSYMB  mxlib\n"
                          "FONT  mxlib\\fontlib\nAFTB  3.25\n") {
        write_text(data_ / "mxlib" / "mxpref.dat", preferences);
        write_text(data_ / "mxlib" / "fontlib" / "fm00.fmt", "marker\n");
        write_bytes(data_ / "mxlib" / "mx.DAT", sample_library_data());
    }

    ScriptedFrontEnd fe;
    TempFolder temp_{"ormest_start"};
    const fs::path& root_ = temp_.root();
    const fs::path data_ = root_ / "data";
};

TEST_F(StartUpTest, StartsWithPreferencesLibraryDataLimitsAndWorkFolder) {
    install_data();
    ItemStoreCapacity = 1;
    render::ItemCountLimit = 1;
    render::PathPointLimit = 1;
    render::PathPointList.count = 77;
    EngineWaitLevel = 5;
    MessageLine.set("left over");
    ASSERT_TRUE(start_engine());
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_EQ(EngineWaitLevel, -1);
    EXPECT_TRUE(MessageLine.is_blank());
    EXPECT_EQ(ItemStoreCapacity, 64000);
    EXPECT_EQ(render::ItemCountLimit, 6000);
    EXPECT_EQ(render::PathPointLimit, 50000);
    EXPECT_FLOAT_EQ(render::PageExtent, 200.0f);
    EXPECT_EQ(render::PathPointList.count, 1);
    EXPECT_EQ(ProgramFolderLength, 26);
    // The preferences were read: their values and folders.
    EXPECT_FLOAT_EQ(BeamTilt, 0.4f);
    EXPECT_FLOAT_EQ(SpaceAfterBar, 3.25f);
    EXPECT_EQ(LibraryFolder.trimmed(), "C:\\program files\\melandrix\\mxlib\\");
    EXPECT_EQ(LibraryFolderLength, LibraryFolder.trimmed_length());
    EXPECT_EQ(FontFolder.trimmed(), "C:\\program files\\melandrix\\mxlib\\fontlib\\");
    // The library data, each table from its own place in the file.
    EXPECT_FLOAT_EQ(CirclePointTable(1), 0.0f);
    EXPECT_FLOAT_EQ(CirclePointTable(2 * 90 + 1), 90.0f);
    EXPECT_FLOAT_EQ(CirclePointTable(2 * 90 + 2), -90.0f);
    EXPECT_FLOAT_EQ(CirclePointTable(722), -360.0f);
    EXPECT_FLOAT_EQ(FontSizeFactors(1), 0.5f);
    EXPECT_FLOAT_EQ(FontSizeFactors(105), 104.5f);
    EXPECT_EQ(StrokeFontTable(1), 1);
    EXPECT_EQ(StrokeFontTable(739), 739);
    EXPECT_EQ(LibraryDataPath.trimmed(), "C:\\program files\\melandrix\\mxlib\\mx.DAT");
    EXPECT_EQ(GuitarDataPath.trimmed(), "C:\\program files\\melandrix\\mxlib\\GUITAR.DAT");
    EXPECT_EQ(SymbolDataPath.trimmed(), "C:\\program files\\melandrix\\mxlib\\CODE9.DAT");
    EXPECT_TRUE(fs::is_directory(root_ / "work"));
    EXPECT_EQ(FrontEndCommandBuffer.trimmed(), "C:\\program files\\melandrix\\hlp\\ohlp.chm");
    EXPECT_EQ(MacroUnit, 0);
}

// The backup, the undo copies and the history live in the work folder: one that cannot be
// written is told at start-up, which goes on, and fails a script's run. Ways that hold for
// root too: a file where the folder should be, a folder under a file; for another user also a
// folder it may not write to.
TEST_F(StartUpTest, AWorkFolderThatCannotBeWrittenIsToldAtOnce) {
    install_data();
    const std::string kept = platform::work_folder();
    write_text(root_ / "afile", "a file, not a folder\n");
    std::vector<fs::path> unwritable = {root_ / "afile", root_ / "afile" / "work"};
    if (::geteuid() != 0) {
        fs::create_directories(root_ / "closed");
        fs::permissions(root_ / "closed", fs::perms::owner_read | fs::perms::owner_exec);
        unwritable.push_back(root_ / "closed");
    }
    for (const fs::path& work : unwritable) {
        SCOPED_TRACE(work.string());
        platform::set_work_folder(work.string());
        RunFailedWord = 0;
        fe.message_boxes.clear();
        ASSERT_TRUE(start_engine());
        ASSERT_EQ(fe.message_boxes.size(), 1u);
        EXPECT_EQ(fe.message_boxes[0].rfind(
                      "*** The work folder " + work.string() + " cannot be written (", 0),
                  0u)
            << fe.message_boxes[0];
        EXPECT_NE(fe.message_boxes[0].find("the backup copy, the undo copies and the history"),
                  std::string::npos);
        EXPECT_EQ(RunFailedWord, 1);
    }
    std::error_code ignored;  // "closed" exists only when not run as root
    fs::permissions(root_ / "closed", fs::perms::owner_all, ignored);
    // A folder that can be written says nothing and keeps no probe.
    platform::set_work_folder(kept);
    RunFailedWord = 0;
    fe.message_boxes.clear();
    ASSERT_TRUE(start_engine());
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_EQ(RunFailedWord, 0);
    for (const auto& entry : fs::directory_iterator(kept))
        EXPECT_NE(entry.path().filename().string().rfind("!probe-", 0), 0u) << entry.path();
}

TEST_F(StartUpTest, MissingPreferencesOrLibraryDataAreReportedAndStartUpFails) {
    for (const char* missing : {"mxpref.dat", "mx.DAT"}) {
        fe.message_boxes.clear();
        install_data();
        fs::remove(data_ / "mxlib" / missing);
        EXPECT_FALSE(start_engine());
        ASSERT_EQ(fe.message_boxes.size(), 1u);
        EXPECT_EQ(fe.message_boxes[0], kNotFound + (data_ / "mxlib" / missing).string());
    }
}

TEST_F(StartUpTest, NamesAreFoundInAnyCaseAndRestoringTheDataClearsLoadedFlags) {
    install_data();
    fs::rename(data_ / "mxlib" / "mx.DAT", data_ / "mxlib" / "MX.dat");
    fs::rename(data_ / "mxlib" / "mxpref.dat", data_ / "mxlib" / "MXPREF.DAT");
    EXPECT_TRUE(start_engine());
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_FLOAT_EQ(CirclePointTable(3), 1.0f);
    install_data();
    ASSERT_TRUE(start_engine());
    SymbolDataLoaded = 1;
    GuitarChordTables.loaded = 1;
    render::PathPointList.count = 9;
    EXPECT_TRUE(load_library_data());
    EXPECT_EQ(SymbolDataLoaded, 0);
    EXPECT_EQ(GuitarChordTables.loaded, 0);
    EXPECT_EQ(render::PathPointList.count, 1);
}

TEST_F(StartUpTest, ShortLibraryDataIsReportedAndLeavesTheTablesEmpty) {
    install_data();
    std::vector<unsigned char> bytes = sample_library_data();
    bytes.resize(kLibraryDataBytes - 1);
    write_bytes(data_ / "mxlib" / "mx.DAT", bytes);
    CirclePointTable(5) = 3.0f;
    EXPECT_TRUE(start_engine());
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    // There but short: damaged, not missing, and named by its path on this machine.
    EXPECT_EQ(fe.message_boxes[0], "*** Damaged file --> " + (data_ / "mxlib" / "mx.DAT").string());
    EXPECT_FLOAT_EQ(CirclePointTable(5), 0.0f);
    EXPECT_FLOAT_EQ(FontSizeFactors(1), 0.0f);
    EXPECT_EQ(StrokeFontTable(739), 0);
}

TEST_F(StartUpTest, FontFolderWithoutItsMarkerIsReportedAndTheDefaultKept) {
    install_data("FONT  /no/such/fonts\nSLUR  2.00\n");
    EXPECT_TRUE(start_engine());
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_EQ(fe.message_boxes[0], kNotFound + "/no/such/fonts/fm00.fmt");
    EXPECT_EQ(FontFolder.trimmed(), "C:\\program files\\melandrix\\mxlib\\fontlib\\");
    // The lines after it were still read.
    EXPECT_FLOAT_EQ(SlurThickness, 2.0f);
}

TEST_F(StartUpTest, GeneratedLibraryDataHasItsLayoutAndValues) {
    const fs::path built = built_data_folder();
    ASSERT_FALSE(built.empty()) << "ORMEST_HOME is not set";
    const fs::path file = built / "mxlib" / "mx.DAT";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 4794u);
    platform::set_data_folder(built.string());
    ASSERT_TRUE(start_engine());
    for (const std::string& m : fe.message_boxes) {
        EXPECT_EQ(m.find("mxpref.dat"), std::string::npos) << m;
        EXPECT_EQ(m.find("mx.DAT"), std::string::npos) << m;
    }
    // Whole degrees 0, 90, 180, 270 exactly; 45 on the diagonal.
    auto point = [](int degree, int axis) { return CirclePointTable(2 * degree + 1 + axis); };
    EXPECT_EQ(point(0, 0), 1.0f);
    EXPECT_EQ(point(0, 1), 0.0f);
    EXPECT_EQ(point(90, 0), 0.0f);
    EXPECT_EQ(point(90, 1), 1.0f);
    EXPECT_EQ(point(180, 0), -1.0f);
    EXPECT_EQ(point(270, 1), -1.0f);
    EXPECT_EQ(point(360, 0), 1.0f);
    EXPECT_NEAR(point(45, 0), 0.70710678f, 1e-6);
    EXPECT_NEAR(point(45, 1), 0.70710678f, 1e-6);
    for (int f = 1; f <= kFontSizeFactorCount; ++f) EXPECT_GT(FontSizeFactors(f), 0.0f);
    // Stroke font: offsets rise from 1 and stay inside the data; every entry is a move or a
    // line to a grid point; digits and capitals all have strokes that begin with a move.
    const int data_entries = kStrokeFontEntries - kStrokeFontOffsets;
    EXPECT_EQ(StrokeFontTable(1), 1);
    for (int g = 2; g <= kStrokeFontOffsets; ++g) {
        EXPECT_GE(StrokeFontTable(g), StrokeFontTable(g - 1));
        EXPECT_LE(StrokeFontTable(g), data_entries + 1);
    }
    for (int e = kStrokeFontOffsets + 1; e <= kStrokeFontEntries; ++e) {
        const int v = StrokeFontTable(e);
        EXPECT_TRUE(v / 10000 == 0 || v / 10000 == 1) << e;
        EXPECT_LE((v % 10000) / 100, 99);
    }
    for (int g = 1; g <= 36; ++g) {
        const int first = StrokeFontTable(g);
        EXPECT_LT(first, StrokeFontTable(g + 1)) << "glyph " << g << " is empty";
        EXPECT_EQ(StrokeFontTable(kStrokeFontOffsets + first) / 10000, 0) << g;
    }
    // The shipped preferences and the guitar chords read as they should.
    EXPECT_FLOAT_EQ(BeamTilt, 0.1f);  // "BEAM 10.00"
    EXPECT_EQ(BaseMidiKey, 60);
    EXPECT_EQ(LibraryFolder.trimmed(), "C:\\program files\\melandrix\\mxlib\\");
    load_guitar_chord_file();
    EXPECT_EQ(GuitarChordTables.loaded, 1);
    const int c_major = guitar_chord_slot(1, 0, 1);
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(c_major), 0.0f);
    EXPECT_EQ(GuitarChordTables.marks(c_major), 932818);  // x32o1o
}

TEST_F(StartUpTest, GuitarLinesFillReplaceOrSkipAndRootsTakeFlatsAndSharps) {
    const int c3 = guitar_chord_slot(1, 3, 1);
    EXPECT_TRUE(apply_guitar_chord_line("C7    ; 3  3003 x13131 2   0 o2o1oo 0 ; comment"));
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(c3), 3003.0f);
    EXPECT_EQ(GuitarChordTables.marks(c3), 913131);
    EXPECT_EQ(GuitarChordTables.sizes(c3), 2);
    EXPECT_EQ(GuitarChordTables.marks(c3 + 1), 828188);
    EXPECT_EQ(GuitarChordTables.marks(c3 + 2), 0);
    // A later line for the same slot replaces it, groups not given become 0.
    EXPECT_TRUE(apply_guitar_chord_line("C ; 3  5 6 7 ;"));
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(c3), 5.0f);
    EXPECT_EQ(GuitarChordTables.marks(c3), 6);
    EXPECT_EQ(GuitarChordTables.marks(c3 + 1), 0);
    // Variant 20, a missing second ";", a leading blank, no root letter: nothing changes.
    EXPECT_FALSE(apply_guitar_chord_line("C ; 20  9 9 9 ;"));
    EXPECT_FALSE(apply_guitar_chord_line("C ; 3  9 9 9"));
    EXPECT_FALSE(apply_guitar_chord_line(" C ; 3  9 9 9 ;"));
    EXPECT_FALSE(apply_guitar_chord_line("H ; 3  9 9 9 ;"));
    EXPECT_FALSE(apply_guitar_chord_line("C ; 3  9 q 9 ;"));
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(c3), 5.0f);
    EXPECT_TRUE(apply_guitar_chord_line("C?1 ; 0 1 0 0 ;"));  // C flat is B
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(guitar_chord_slot(12, 0, 1)), 1.0f);
    EXPECT_TRUE(apply_guitar_chord_line("B?2 ; 0 2 0 0 ;"));  // B sharp is C
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(guitar_chord_slot(1, 0, 1)), 2.0f);
    EXPECT_TRUE(apply_guitar_chord_line("_00F?2m ; 1 3 0 0 ;"));
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(guitar_chord_slot(7, 1, 1)), 3.0f);
}

TEST_F(StartUpTest, GuitarGroupsAfterTheFifthAreIgnoredAndTheFileReadOn) {
    // A missing file leaves the flag for the next try.
    GuitarDataPath.set("C:\\program files\\melandrix\\mxlib\\GUITAR.DAT");
    load_guitar_chord_file();
    EXPECT_EQ(GuitarChordTables.loaded, 0);
    EXPECT_TRUE(fe.message_boxes.empty());
    write_text(data_ / "mxlib" / "GUITAR.DAT",
               " header line\n"
               "G ; 0  1 1 1  2 2 2  3 3 3  4 4 4  5 5 5  6 6 6 ; six groups\n"
               "A ; 0  7 7 7 ;\n");
    load_guitar_chord_file();
    EXPECT_EQ(GuitarChordTables.loaded, 1);
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(guitar_chord_slot(8, 0, 5)), 5.0f);
    EXPECT_FLOAT_EQ(GuitarChordTables.frets(guitar_chord_slot(10, 0, 1)), 7.0f);
}

TEST_F(StartUpTest, FirstTimeDefaultsApplyOncePerProcess) {
    // The page size goes to the scroll sizes ("~sc"), the view to the page's top left ("~po").
    auto scroll_requests = [this] {
        int n = 0;
        for (const auto& s : fe.services) n += s.tag[1] == 's' && s.tag[2] == 'c';
        return n;
    };
    render::OutputPassWord = -1;
    ChangesMadeFlag = 1;
    GraphicsNextFree = 40;
    render::DrawColourWord = 255;
    apply_first_time_defaults();
    EXPECT_EQ(render::OutputPassWord, 1);
    EXPECT_EQ(ChangesMadeFlag, 0);
    EXPECT_EQ(GraphicsNextFree, 1);
    EXPECT_EQ(render::DrawColourWord, 0);
    EXPECT_EQ(render::ViewOrigin.x, 2400);
    EXPECT_EQ(scroll_requests(), 1);
    EXPECT_EQ(fe.view.scroll_sizes[0], 83000);
    EXPECT_EQ(fe.view.scroll_sizes[1], 44500);
    ChangesMadeFlag = 1;
    apply_first_time_defaults();
    EXPECT_EQ(ChangesMadeFlag, 1);
    EXPECT_EQ(scroll_requests(), 1);
}

}  // namespace
