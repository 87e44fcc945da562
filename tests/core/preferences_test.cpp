// The preferences file through the dialog's Load and Save, and the Preferences command with
// what its dialog returns.
#include "engine/core/preferences.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/files/library_data.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "platform/paths.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

using namespace core;
namespace fs = std::filesystem;

namespace {

const std::string kNotFound = "File not found --> ";
const std::string kLibraryDefault = "C:\\program files\\melandrix\\mxlib\\";
const std::string kFontDefault = "C:\\program files\\melandrix\\mxlib\\fontlib\\";

float real_of(int32_t bits) { return std::bit_cast<float>(bits); }
int32_t bits_of(float v) { return std::bit_cast<int32_t>(v); }

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reset_engine();
        set_front_end(&fe);
        // The default folders with their marker files, as a saved file names them.
        write_text(root_ / "data" / "mxlib" / "mxpref.dat", "\n");
        write_text(root_ / "data" / "mxlib" / "fontlib" / "fm00.fmt", "\n");
        temp_.use_data_folder(root_ / "data");
        // The user's own settings lie in the test's folder.
        const char* config = std::getenv("XDG_CONFIG_HOME");
        kept_config_ = config != nullptr ? std::optional<std::string>(config) : std::nullopt;
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    }
    void TearDown() override {
        set_front_end(nullptr);
        if (kept_config_) {
            setenv("XDG_CONFIG_HOME", kept_config_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    std::optional<std::string> kept_config_;

    // The dialog's Load of text written to a file of the test.
    void load(const std::string& text) {
        write_text(root_ / "p.dat", text);
        FrontEndCommandBuffer.set((root_ / "p.dat").string());
        load_or_save_preferences(0, a, b);
    }
    std::vector<std::string> save() {
        FrontEndCommandBuffer.set((root_ / "out.dat").string());
        load_or_save_preferences(1, a, b);
        // The save says where it wrote.
        EXPECT_EQ(MessageLine.trimmed(),
                  "Preferences saved in " + (root_ / "out.dat").string() + ".");
        return read_lines(root_ / "out.dat");
    }

    ScriptedFrontEnd fe;
    TempFolder temp_{"ormest_pref"};
    const fs::path& root_ = temp_.root();
    PreferenceBlock a;
    PreferenceBlock b;
};

TEST_F(PreferencesTest, KeywordsCountByTheirFirstFourLettersInAnyCase) {
    load(
        "beam 50.00\nBmThickness   9\nDYNAMICS -1.25\nxdash  3\nties  2\nREST    1\n"
        "aftc  1.50\nAFTB  2.25\nAFTKEY  2.75\nAFTM  3.50\nSLUR  1.75\nVER  2.50\n"
        "ADOBE 1\nFULL  1\nPROC 4\nSETS 6\nMETRIC\n");
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_FLOAT_EQ(BeamTilt, 0.5f);
    EXPECT_EQ(BeamThickness, 9);
    EXPECT_FLOAT_EQ(DynamicsOffset, -1.25f);
    EXPECT_EQ(LyricDashCount, 3);
    EXPECT_EQ(TiePosition, 2);
    EXPECT_EQ(WholeRestFont, 1);
    EXPECT_FLOAT_EQ(SpaceAfterClef, 1.5f);
    EXPECT_FLOAT_EQ(SpaceAfterBar, 2.25f);
    EXPECT_FLOAT_EQ(SpaceAfterKeySig, 2.75f);
    EXPECT_FLOAT_EQ(SpaceAfterMeter, 3.5f);
    EXPECT_FLOAT_EQ(SlurThickness, 1.75f);
    EXPECT_FLOAT_EQ(PreferencesVersion, 2.5f);
    EXPECT_EQ(PostScriptScreenFonts, 1);
    EXPECT_EQ(FullWidthInput, 1);
    EXPECT_EQ(ProcessingMode, 4);
    EXPECT_EQ(PrintSettingsWord, 6);
    EXPECT_EQ(MetricFlag, 1);
    // The blocks show what was read.
    EXPECT_EQ(a(1), 9);
    EXPECT_EQ(a(5), 1);
    EXPECT_FLOAT_EQ(real_of(b(5)), 50.0f);
    EXPECT_FLOAT_EQ(real_of(b(7)), -1.25f);
    // From four characters on.
    load("INCH\n");
    EXPECT_EQ(MetricFlag, 0);
    load("METR\n");
    EXPECT_EQ(MetricFlag, 1);
}

TEST_F(PreferencesTest, ShortLinesUnknownKeywordsAndZeroValuesChangeNothing) {
    load(
        "BE\nBEAMS\n% PAPER 2\nXYZW 4\n\nBEAM  0.00\nBMTH    0\nDASH 0.00\nPROC 0\nREST    0\n"
        "TIES  3\n");
    EXPECT_FLOAT_EQ(BeamTilt, 0.1f);  // the default stays
    EXPECT_EQ(BeamThickness, 7);
    EXPECT_FLOAT_EQ(LyricDashSize, 1.0f);
    EXPECT_EQ(WholeRestFont, 0);
    EXPECT_EQ(TiePosition, 3);  // read to the end
}

TEST_F(PreferencesTest, MidiKeyIsANumberUpTo127OrCAndAnOctave) {
    const std::pair<const char*, int32_t> steps[] = {{"MIDK 60\n", 60},   {"MIDK 127\n", 127},
                                                     {"MIDK 128\n", 127}, {"MIDK 300\n", 127},
                                                     {"MIDK 1\n", 1},     {"MIDK 0\n", 1}};
    for (const auto& [line, key] : steps) {
        load(line);
        EXPECT_EQ(BaseMidiKey, key) << line;
    }
    load("MIDK C5\n");
    EXPECT_EQ(BaseMidiKey, 72);
    EXPECT_EQ(MessageLine.c_text(), "C5");
}

TEST_F(PreferencesTest, OutlinesAreTakenUpToTheLastAndArrowModeTurnsTheStepsRound) {
    render::PageFormatIndex = 6;
    load("PAPER 9\n");
    EXPECT_EQ(render::PageFormatIndex, 6);
    load("PAPER 0\n");
    EXPECT_EQ(render::PageFormatIndex, 0);
    EXPECT_EQ(a(18), 1);  // the "no outline" radio word
    EXPECT_EQ(a(11), 0);
    load("PAPER 7\n");
    EXPECT_EQ(render::PageFormatIndex, 7);
    EXPECT_EQ(a(17), 1);  // the radio word of outline 7
    load("PAPER 8\n");
    EXPECT_EQ(render::PageFormatIndex, 7);
    load("ARROW 1\n");
    EXPECT_EQ(ArrowKeyMode, 1);
    EXPECT_FLOAT_EQ(ArrowStepWords(1), -2000.0f);
    EXPECT_FLOAT_EQ(ArrowStepWords(2), -0.1f);
    EXPECT_FLOAT_EQ(ArrowStepWords(3), -0.25f);
    load("ARROW 0\n");
    EXPECT_FLOAT_EQ(ArrowStepWords(1), 2000.0f);
}

TEST_F(PreferencesTest, ACrLfFileReadsLikeOneWithLineFeedsOnly) {
    write_text(root_ / "data" / "MyLib" / "mxpref.dat", "\n");
    load("TIES  2\r\nSYMB  MyLib\r\nMIDK C5\r\nBEAM 40.00\r\nMETRIC\r\n");
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_EQ(TiePosition, 2);
    EXPECT_EQ(LibraryFolder.c_text(), "C:\\program files\\melandrix\\MyLib\\");
    EXPECT_EQ(BaseMidiKey, 72);
    EXPECT_FLOAT_EQ(BeamTilt, 0.4f);
    EXPECT_EQ(MetricFlag, 1);
}

TEST_F(PreferencesTest, RelativeFoldersLieInTheProgramFolderAndNeedTheirMarker) {
    write_text(root_ / "data" / "MyLib" / "mxpref.dat", "\n");
    write_text(root_ / "data" / "MyLib" / "Fonts" / "fm00.fmt", "\n");
    load("symb  MyLib\nFONT  MyLib\\Fonts\n");
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_EQ(LibraryFolder.c_text(), "C:\\program files\\melandrix\\MyLib\\");
    EXPECT_EQ(FontFolder.c_text(), "C:\\program files\\melandrix\\MyLib\\Fonts\\");
    EXPECT_EQ(LibraryFolderLength, 33);
    // A folder without its marker is reported and stays as it was.
    load("SYMB  nowhere\nTIES  3\n");
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_EQ(fe.message_boxes[0],
              kNotFound + (root_ / "data" / "nowhere" / "mxpref.dat").string());
    EXPECT_EQ(LibraryFolder.c_text(), kLibraryDefault);
    EXPECT_EQ(TiePosition, 3);
}

TEST_F(PreferencesTest, AbsoluteFoldersAreKeptWholeHoweverLong) {
    const fs::path deep = root_ / "a_folder_name_well_beyond_forty_eight_characters" / "Symbols";
    write_text(deep / "mxpref.dat", "\n");
    load("SYMB  " + deep.string() + "\n");
    EXPECT_EQ(LibraryFolder.c_text(), deep.string() + "/");
    const std::vector<std::string> lines = save();
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[14], "SYMB  " + deep.string() + "/");
    EXPECT_EQ(lines[15], "FONT  mxlib\\fontlib");  // the program's own, as shipped
}

TEST_F(PreferencesTest, SaveWritesEveryLineInItsFormat) {
    BaseMidiKey = 60;
    PreferencesVersion = 1.0f;
    MessageLine.blank();
    // BMTH, XDASH, REST, TIES, inches; outline 6 (A4); ADOBE.
    for (const auto& [word, value] :
         {std::pair{1, 7}, {2, 2}, {3, 1}, {4, 3}, {5, 0}, {16, 1}, {19, 1}})
        a(word) = value;
    const float reals[] = {1.8f, 2.5f, 2.8f, 3.7f, 50.0f, 0.85714f, -1.5f, 1.0f};
    for (int k = 0; k < 8; ++k) b(k + 1) = bits_of(reals[k]);
    std::vector<std::string> expected = {
        "REST    1",  "BEAM 50.00",     "BMTH    7", "TIES  3",  "SLUR  1.00", "MIDK C4 ",
        "INCHES",     "DYNAMICS -1.50", "DASH 0.86", "XDASH  2", "AFTC  1.80", "AFTB  2.50",
        "AFTK  2.80", "AFTM  3.70",     "SYMB  ",    "FONT  ",   "VER  1.00",  "ADOBE 1",
        "ARROW 0",    "FULL  0",        "PAPER 6"};
    // The program's own folders as the shipped file names them, wherever it is installed.
    expected[14] += "mxlib";
    expected[15] += "mxlib\\fontlib";
    EXPECT_EQ(save(), expected);
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_FALSE(unit_is_open(8));
}

TEST_F(PreferencesTest, SaveThenLoadGivesBackEveryBlockWord) {
    const std::vector<int32_t> ints = {11, 4, 2, 1, 1};
    for (int k = 0; k < 5; ++k) a(k + 1) = ints[static_cast<std::size_t>(k)];
    a(13) = 1;  // outline 3 (Ledger)
    a(19) = 1;
    a(20) = 1;
    a(21) = 1;
    const std::vector<float> reals = {1.25f, 2.5f, 3.75f, 4.5f, 62.5f, 0.75f, -2.25f, 1.5f};
    for (int k = 0; k < 8; ++k) b(k + 1) = bits_of(reals[static_cast<std::size_t>(k)]);
    const PreferenceBlock saved_a = a;
    const PreferenceBlock saved_b = b;
    save();
    reset_engine();
    a = PreferenceBlock{};
    b = PreferenceBlock{};
    FrontEndCommandBuffer.set((root_ / "out.dat").string());
    load_or_save_preferences(0, a, b);
    EXPECT_TRUE(fe.message_boxes.empty()) << fe.message_boxes.front();
    for (int w = 1; w <= 21; ++w) EXPECT_EQ(a(w), saved_a(w)) << "block A word " << w - 1;
    for (int w = 1; w <= 8; ++w)
        EXPECT_NEAR(real_of(b(w)), real_of(saved_b(w)), 0.005) << "block B word " << w - 1;
    EXPECT_EQ(render::PageFormatIndex, 3);
    EXPECT_EQ(FrontEndCommandBuffer.trimmed(), (root_ / "out.dat").string());
}

TEST_F(PreferencesTest, AMissingFileOrAFailedSaveIsReportedAndChangesNothing) {
    TiePosition = 4;
    LibraryFolder.set("/somewhere/else/");
    a(1) = 123;
    FrontEndCommandBuffer.set((root_ / "typo.dat").string());
    load_or_save_preferences(0, a, b);
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_EQ(fe.message_boxes[0], kNotFound + (root_ / "typo.dat").string());
    EXPECT_FALSE(fs::exists(root_ / "typo.dat"));
    EXPECT_EQ(TiePosition, 4);
    EXPECT_EQ(LibraryFolder.c_text(), "/somewhere/else/");
    EXPECT_EQ(a(1), 123);
    // A save that cannot write says so too.
    FrontEndCommandBuffer.set((root_ / "no_folder" / "x.dat").string());
    load_or_save_preferences(1, a, b);
    ASSERT_EQ(fe.message_boxes.size(), 2u);
    EXPECT_EQ(fe.message_boxes[1], kNotFound + (root_ / "no_folder" / "x.dat").string());
}

// A blank name (or the name alone) is the user's own file, beside the window's settings, never
// the current folder; start-up reads it before the data folder's defaults, and Load of the name
// gives the defaults while the user has saved none. The file names the program's own folders
// as the shipped file does.
TEST_F(PreferencesTest, BlankNameIsTheUsersOwnFileWhichStartUpReadsFirst) {
    write_text(root_ / "data" / "mxlib" / "mxpref.dat", "TIES  1\nDASH 0.86\n");
    write_text(root_ / "data" / "mxlib" / "mx.DAT", "x");
    const fs::path own = root_ / "config" / "Fenwright" / "mxpref.dat";
    FrontEndCommandBuffer.set("mxpref.dat");
    load_or_save_preferences(0, a, b);
    EXPECT_EQ(a(4), 1);  // the defaults
    EXPECT_TRUE(fe.message_boxes.empty());

    const std::string previous = platform::current_folder();
    ASSERT_TRUE(platform::change_folder(root_.string()));
    a(4) = 3;
    b(6) = bits_of(1.5f * 0.85714f);
    FrontEndCommandBuffer.blank();
    load_or_save_preferences(1, a, b);
    platform::change_folder(previous);
    EXPECT_FALSE(fs::exists(root_ / "mxpref.dat"));
    ASSERT_TRUE(fs::exists(own));
    EXPECT_TRUE(fe.message_boxes.empty());
    EXPECT_EQ(MessageLine.trimmed(), "Preferences saved in " + own.string() + ".");
    const std::vector<std::string> lines = read_lines(own);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SYMB  mxlib"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "FONT  mxlib\\fontlib"), lines.end());

    // The next start.
    reset_engine();
    ASSERT_TRUE(load_library_data());
    EXPECT_EQ(TiePosition, 3);
    EXPECT_NEAR(LyricDashSize, 1.5f, 0.01f);
    EXPECT_EQ(LibraryFolder.c_text(), kLibraryDefault);
    EXPECT_EQ(FontFolder.c_text(), kFontDefault);
    // Without the user's file, the defaults again.
    fs::remove(own);
    reset_engine();
    ASSERT_TRUE(load_library_data());
    EXPECT_EQ(TiePosition, 1);

    // The data folder is only read.
    fe.message_boxes.clear();
    FrontEndCommandBuffer.set((root_ / "data" / "mxlib" / "mxpref.dat").string());
    load_or_save_preferences(1, a, b);
    ASSERT_EQ(fe.message_boxes.size(), 1u);
    EXPECT_NE(fe.message_boxes[0].find("data folder, which is only read"), std::string::npos);
    EXPECT_EQ(read_lines(root_ / "data" / "mxlib" / "mxpref.dat").size(), 2u);
    MacroUnit = 5;
    load("TIES  2\n");
    EXPECT_EQ(MacroUnit, 5);
    EXPECT_EQ(TiePosition, 2);
}

// A dialog that records what it was shown and returns what the test says.
class PreferencesDialog : public ScriptedFrontEnd {
  public:
    int RunPreferencesDialog(PreferenceBlock& block_a, PreferenceBlock& block_b) override {
        shown_a = block_a;
        shown_b = block_b;
        shown_key = MessageLine.c_text();
        shown_name = FrontEndCommandBuffer.trimmed();
        shown_library = LibraryFolder.c_text();
        library_nul = LibraryFolder(static_cast<int>(shown_library.size()) + 1) == '\0';
        if (edit) edit(block_a, block_b);
        return result;
    }
    std::function<void(PreferenceBlock&, PreferenceBlock&)> edit;
    int result = 1;
    PreferenceBlock shown_a;
    PreferenceBlock shown_b;
    std::string shown_key;
    std::string shown_name;
    std::string shown_library;
    bool library_nul = false;
};

int g_palette = 0;
int g_units_messages = 0;

class PreferencesCommandTest : public PreferencesTest {
  protected:
    void SetUp() override {
        PreferencesTest::SetUp();
        set_front_end(&dialog);
        saved_hooks_ = PreferencesHooks;
        PreferencesHooks.show_item_palette = [](int32_t p) { g_palette = p; };
        PreferencesHooks.format_units_message = [] { ++g_units_messages; };
        g_palette = 0;
        g_units_messages = 0;
        // One library symbol read before: the drawing's cache holds it.
        render::SymbolCache.count = 1;
        render::SymbolCache.number(1) = 45;
        render::SymbolCache.start(1) = 1;
        render::SymbolCache.start(2) = 3;
    }
    void TearDown() override {
        PreferencesHooks = saved_hooks_;
        PreferencesTest::TearDown();
    }
    PreferencesDialog dialog;

  private:
    PreferencesHooksRecord saved_hooks_;
};

TEST_F(PreferencesCommandTest, DialogShowsTheSettingsAndItsAnswerIsApplied) {
    render::PageFormatIndex = 0;
    BaseMidiKey = 48;
    OutputTargetName.set("printer.ps");
    dialog.edit = [](PreferenceBlock& a, PreferenceBlock& b) {
        a(1) = 12;
        a(5) = 1;
        a(18) = 0;
        a(16) = 1;  // outline 6
        a(20) = 1;
        b(5) = bits_of(80.0f);
        b(6) = bits_of(1.71428f);
        MessageLine.set(std::string("C6\0", 3));
        LibraryFolder.set(std::string("/my/symbols\0", 12));
        OutputTargetName.set("NOPE 5");  // not a keyword: ignored
    };
    run_preferences_command();
    EXPECT_EQ(dialog.shown_a(18), 1);  // no outline
    EXPECT_EQ(dialog.shown_a(1), 7);
    EXPECT_FLOAT_EQ(real_of(dialog.shown_b(5)), 10.0f);  // the default 0.10 x 100
    EXPECT_EQ(dialog.shown_key, "C3");
    EXPECT_EQ(dialog.shown_name, "mxpref.dat");
    EXPECT_EQ(dialog.shown_library, kLibraryDefault);
    EXPECT_TRUE(dialog.library_nul);
    EXPECT_EQ(BeamThickness, 12);
    EXPECT_EQ(MetricFlag, 1);
    EXPECT_EQ(render::PageFormatIndex, 6);
    EXPECT_EQ(ArrowKeyMode, 1);
    EXPECT_FLOAT_EQ(ArrowStepWords(1), -2000.0f);
    EXPECT_FLOAT_EQ(BeamTilt, 0.8f);
    EXPECT_NEAR(LyricDashSize, 2.0f, 1e-5);
    EXPECT_EQ(BaseMidiKey, 84);
    EXPECT_EQ(LibraryFolder.trimmed(), "/my/symbols/");
    EXPECT_EQ(LibraryFolderLength, 12);
    EXPECT_EQ(FontFolder.trimmed(), kFontDefault);  // no NUL left behind
    EXPECT_EQ(OutputTargetName.trimmed(), "printer.ps");
    EXPECT_EQ(TiePosition, 0);
    EXPECT_EQ(CommandLine(1), 'X');
    EXPECT_EQ(g_palette, 134);
    EXPECT_EQ(g_units_messages, 1);
    EXPECT_EQ(render::SymbolCache.count, 0);  // the library folder may be another now
}

TEST_F(PreferencesCommandTest, CancelChangesNothing) {
    dialog.result = 2;
    dialog.edit = [](PreferenceBlock& a, PreferenceBlock&) { a(1) = 99; };
    OutputTargetName.set("printer.ps");
    run_preferences_command();
    EXPECT_EQ(BeamThickness, 7);
    EXPECT_EQ(LibraryFolder.trimmed(), kLibraryDefault);
    EXPECT_EQ(OutputTargetName.trimmed(), "printer.ps");
    EXPECT_EQ(g_palette, 0);
    EXPECT_EQ(render::SymbolCache.count, 1);
}

TEST_F(PreferencesCommandTest, CommandFieldAppliesOneKeywordLine) {
    struct Case {
        std::string command;
        std::function<bool()> check;
    };
    const std::vector<Case> cases = {
        {"BEAM 0.7", [] { return BeamTilt == 0.7f; }},
        {"BMTH 0", [] { return BeamThickness == 0; }},
        {"MIDK C5", [] { return BaseMidiKey == 72; }},
        {"MIDK 62", [] { return BaseMidiKey == 62; }},
        {"DASH 0", [] { return LyricDashSize == 0.0f; }},
        {"PAPER 8", [] { return render::PageFormatIndex == 0; }},
        {"VER 9", [] { return PreferencesVersion == 1.0f; }},
        {"FULL 1", [] { return FullWidthInput == 0; }},
        {"PROC 3", [] { return ProcessingMode == 0; }},
        {"SYMB  /not/checked", [] { return LibraryFolder.trimmed() == "/not/checked/"; }},
    };
    for (const Case& c : cases) {
        reset_engine();
        render::PageFormatIndex = 5;
        dialog.edit = [&c](PreferenceBlock&, PreferenceBlock&) { OutputTargetName.set(c.command); };
        run_preferences_command();
        EXPECT_TRUE(c.check()) << c.command;
    }
    EXPECT_TRUE(dialog.message_boxes.empty());
}

}  // namespace
