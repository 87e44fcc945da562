// Stepping through document files: the music directory's entries and their fixed fields, "MG"
// and "MB" round either end and the MusDir dialog, numbered names stepped like an odometer (up,
// down, at the carry limit, lower case kept), the save's stepped name, the folder list of "NX"
// and "NB", and "NDIR"/"NAME".
#include "engine/edit/pages/music_directory.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/core/files/short_names.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class MusicDirectoryTest : public InterpreterTest {
  protected:
    // Adds one staff item and saves the page under name: the page has one item more each time.
    void save_page(const std::string& name) {
        if (core::NewItemsToEdit != -1) enter_items_without_editing();
        type("8 " + std::to_string(core::ItemCount + 1) + " 0");
        type("SA " + name);
        ASSERT_TRUE(std::filesystem::exists(dir_ / name)) << name;
    }
    static std::string stepped(std::string name, int32_t direction) {
        if (!edit::step_file_name(name, direction)) return "refused";
        return name;
    }
};

TEST_F(MusicDirectoryTest, EntriesInFixedFieldsBecomeDottedAndOthersStayWhole) {
    EXPECT_EQ(edit::music_directory_entry("SONG1   MUS"), "SONG1.MUS");
    EXPECT_EQ(edit::music_directory_entry("SONG1   .MUS"), "SONG1.MUS");
    EXPECT_EQ(edit::music_directory_entry("ABCDEFGHMUS"), "ABCDEFGHMUS");
    EXPECT_EQ(edit::music_directory_entry("song2.mus  \r"), "song2.mus");
    EXPECT_EQ(edit::music_directory_entry("a long piece name.mus"), "a long piece name.mus");
    EXPECT_EQ(edit::music_directory_entry("   "), "");
}

TEST_F(MusicDirectoryTest, NextAndPreviousGoRoundAndTheChosenEntryIsLoaded) {
    save_page("SONG1.MUS");
    save_page("song2.mus");
    save_page("Song3.mus");
    write_file("#musdir#.tmp", {"SONG1   MUS", "song2.mus", "", "SONG3   MUS"});
    type("MG 1");
    EXPECT_EQ(core::MusicDirectoryList.names,
              (std::vector<std::string>{"SONG1.MUS", "song2.mus", "SONG3.MUS"}));
    EXPECT_EQ(core::MusicDirectoryList.current, 1);
    EXPECT_EQ(core::ItemCount, 1);
    type("MG");
    EXPECT_EQ(core::MusicDirectoryList.current, 2);
    EXPECT_EQ(core::ItemCount, 2);
    type("MG");
    EXPECT_EQ(core::MusicDirectoryList.current, 3);
    EXPECT_EQ(core::ItemCount, 3);  // "SONG3.MUS" found as "Song3.mus"
    type("MG");                     // after the last: the first
    EXPECT_EQ(core::MusicDirectoryList.current, 1);
    EXPECT_EQ(core::ItemCount, 1);
    type("MB");  // before the first: the last
    EXPECT_EQ(core::MusicDirectoryList.current, 3);
    EXPECT_EQ(core::ItemCount, 3);
    type("MG 7");  // beyond the count: the first
    EXPECT_EQ(core::MusicDirectoryList.current, 1);
    // "MBLM" is no music directory word.
    type("MBLM");
    EXPECT_EQ(core::MusicDirectoryList.current, 1);
}

TEST_F(MusicDirectoryTest, DialogListsTheEntriesAndCancelChoosesNothing) {
    write_file("#musdir#.tmp", {"ONE     MUS", "TWO     MUS"});
    fe_.answer_dialog(2);  // Cancel
    type("MG -1");
    EXPECT_EQ(fe_.dialog_entries, (std::vector<std::string>{"ONE.MUS", "TWO.MUS"}));
    EXPECT_EQ(core::MusicDirectoryList.current, 0);
    ScriptedFrontEnd::DialogAnswer second;
    second.result = 1;
    second.words = {2};
    fe_.answer_dialog(second);
    core::CommandLine.set("MG");
    edit::music_directory_dialog(-1);
    EXPECT_EQ(core::MusicDirectoryList.current, 2);
    EXPECT_EQ(core::SecondLine.trimmed(), "G TWO.MUS");
    EXPECT_EQ(core::CommandLine(1), '~');
}

TEST_F(MusicDirectoryTest, MissingDirectoryIsReported) {
    type("MB");
    EXPECT_TRUE(shown("#MUSDIR#.TMP not found."));
    EXPECT_EQ(core::ItemCount, 0);
}

TEST_F(MusicDirectoryTest, NamesStepLikeAnOdometerWithinTheirLastThreeCharacters) {
    EXPECT_EQ(stepped("P0009.MUS", 1), "P0010.MUS");
    EXPECT_EQ(stepped("P0099.MUS", 1), "P0100.MUS");
    EXPECT_EQ(stepped("P0010.MUS", -1), "P0009.MUS");
    EXPECT_EQ(stepped("P0998.MUS", 1), "P0999.MUS");
    EXPECT_EQ(stepped("P0999.MUS", 1), "refused");   // the carry would pass the third
    EXPECT_EQ(stepped("P1000.MUS", -1), "refused");  // so would the borrow
    EXPECT_EQ(stepped("AZZ.MUS", 1), "BAA.MUS");
    EXPECT_EQ(stepped("ZZZ.MUS", 1), "refused");
    EXPECT_EQ(stepped("p0a9z.mus", 1), "p0b0a.mus");  // lower case kept
    EXPECT_EQ(stepped("x9.mus", 1), "y0.mus");
    EXPECT_EQ(stepped("9.MUS", 1), "refused");     // a one-letter name has nothing to carry to
    EXPECT_EQ(stepped("P-0.MUS", -1), "refused");  // "-" cannot step
    EXPECT_EQ(stepped("dir.v2/P0009", 1), "dir.v2/P0010");
}

TEST_F(MusicDirectoryTest, TypedNameStepsToTheNextExistingFileOrSaysNoneExists) {
    write_file("P0011.MUS", {"x"});
    core::CommandLine.set("SA");
    core::FixedText<512> line("SA P0009.MUS");
    EXPECT_TRUE(edit::step_typed_name(line, 1));
    EXPECT_EQ(line.trimmed(), "SA P0011.MUS");
    // Nothing further exists: the steps end at the carry limit and the line is kept.
    core::FixedText<512> none("SA P0012.MUS");
    EXPECT_FALSE(edit::step_typed_name(none, 1));
    EXPECT_EQ(none.trimmed(), "SA P0012.MUS");
    EXPECT_TRUE(shown("*** No file stepped on from P0012.MUS exists."));
    core::FixedText<512> blank("SA");
    EXPECT_FALSE(edit::step_typed_name(blank, 1));
    EXPECT_TRUE(shown("** NAME is blank. ***"));
}

// "SX" saves the page under its name and loads the music directory's next entry; "SB" the one
// before. At the last entry "SX" saves and stays.
TEST_F(MusicDirectoryTest, SxAndSbSaveAndGoOnThroughTheMusicDirectory) {
    save_page("piece2-page1.mus");
    save_page("piece2-page2.mus");
    write_file("#musdir#.tmp", {"piece2-page1.mus", "piece2-page2.mus"});
    type("G piece2-page1.mus");
    ASSERT_EQ(core::ItemCount, 1);
    type("8 7 0");  // a change
    type("SX");
    EXPECT_EQ(core::CurrentFileName.trimmed(), (dir_ / "piece2-page2.mus").string());
    EXPECT_EQ(core::ItemCount, 2);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
    type("SB");
    EXPECT_EQ(core::CurrentFileName.trimmed(), (dir_ / "piece2-page1.mus").string());
    EXPECT_EQ(core::ItemCount, 2);  // the change was saved
    type("SX");
    type("8 9 0");
    type("SX");  // no entry after the last: saved, and the page stays
    EXPECT_EQ(core::CurrentFileName.trimmed(), (dir_ / "piece2-page2.mus").string());
    EXPECT_EQ(core::ItemCount, 3);
    EXPECT_EQ(core::ChangesMadeFlag, 0);
}

TEST_F(MusicDirectoryTest, SaveWithNextNameWritesTheSteppedFile) {
    enter_items_without_editing();
    type("8 1 0");
    type("SNX P0009.MUS");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "P0010.MUS"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "P0009.MUS"));
    type("SNB P0009.MUS");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "P0008.MUS"));
}

TEST_F(MusicDirectoryTest, CurrentNameStepsToTheNextExistingFile) {
    write_file("P0010.MUS", {"x"});
    core::CurrentFileName.set("P0009.MUS");
    core::CommandLine.set("SA");
    edit::step_document_name();
    EXPECT_EQ(core::SecondLine.trimmed(), "G P0010.MUS");
    EXPECT_EQ(core::CommandLine(1), '~');
    // No further file: nothing is left for the file command.
    core::CurrentFileName.set("P0010.MUS");
    core::CommandLine.set("SA");
    core::SecondLine.set("SA");
    edit::step_document_name();
    EXPECT_EQ(core::SecondLine.trimmed(), "SA");
}

TEST_F(MusicDirectoryTest, FolderStepsGoRoundInNameOrderAndStopACommandFile) {
    for (const char* name : {"b.mus", "a.mus", "C.MUS", "d.txt"}) write_file(name, {"x"});
    core::CurrentFileName.set("b.mus");
    core::ParamBuffer(2) = 0.0f;
    EXPECT_EQ(edit::step_folder_file(0), 1);
    EXPECT_EQ(edit::folder_file_list(), (std::vector<std::string>{"a.mus", "b.mus", "C.MUS"}));
    EXPECT_EQ(core::SecondLine.trimmed(), "G C.MUS");
    core::CurrentFileName.set("c.mus");
    EXPECT_EQ(edit::step_folder_file(0), 1);
    EXPECT_EQ(core::SecondLine.trimmed(), "G a.mus");
    core::CurrentFileName.set("a.mus");
    EXPECT_EQ(edit::step_folder_file(1), 1);
    EXPECT_EQ(core::SecondLine.trimmed(), "G C.MUS");
    core::ParamBuffer(2) = 2.0f;
    EXPECT_EQ(edit::step_folder_file(0), 1);
    EXPECT_EQ(core::SecondLine.trimmed(), "G C.MUS");
    // Inside a command file the end stops it.
    core::ParamBuffer(2) = 0.0f;
    core::CurrentFileName.set("C.MUS");
    core::MacroUnit = 7;
    EXPECT_EQ(edit::step_folder_file(0), -99);
    EXPECT_EQ(core::MacroUnit, 0);
    // The largest count a line can give goes round as any count past the end does.
    core::MacroUnit = 0;
    core::ParamBuffer(2) = 2147483647.0f;
    core::CurrentFileName.set("b.mus");
    EXPECT_EQ(edit::step_folder_file(0), 1);
    EXPECT_EQ(core::SecondLine.trimmed(), "G a.mus");
    EXPECT_EQ(edit::step_folder_file(1), 1);
    EXPECT_EQ(core::SecondLine.trimmed(), "G C.MUS");
    core::ParamBuffer(2) = 0.0f;
    // A name not in the folder does nothing.
    core::CurrentFileName.set("e.mus");
    core::SecondLine.set("NX");
    EXPECT_EQ(edit::step_folder_file(0), 0);
    EXPECT_EQ(core::SecondLine.trimmed(), "NX");
}

TEST_F(MusicDirectoryTest, NextFileWordLoadsIt) {
    save_page("a.mus");
    save_page("b.mus");
    type("NX");
    EXPECT_EQ(core::ItemCount, 1);  // after b: round to a
    type("NX");
    EXPECT_EQ(core::ItemCount, 2);
}

TEST_F(MusicDirectoryTest, NdirAndNameChangeNothing) {
    enter_items_without_editing();
    type("8 1 0");
    const std::string prefix = core::TempDirPrefix.trimmed();
    fe_.message_boxes.clear();
    type("NDIR");
    EXPECT_EQ(core::ItemCount, 1);
    EXPECT_EQ(core::TempDirPrefix.trimmed(), prefix);
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(edit::set_temp_drive(), prefix.substr(0, 8).size() % 2 == 1 ? 0 : -1);
    core::CurrentFileName.set("piece.mus");
    type("NAME");
    EXPECT_TRUE(shown("piece.mus\r\n   1 items."));
}

}  // namespace
