// The MIDI command in the console: the Sound dialog plays with its proposal and shows it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/console_run.h"

namespace {

class MidiConsoleTest : public ConsoleSessionTest {};

TEST_F(MidiConsoleTest, PlayShowsTheRowsStavesAndTheFileName) {
    const std::string out = type({"EI", "8 1 0", "1 1 10 1 0 0 4", "PLA"});
    EXPECT_NE(out.find("Sound row 1: 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("MIDI file written: " + platform::work_file("ormmidi.mid")),
              std::string::npos)
        << out;
    const std::string path = platform::work_file("ormmidi.mid");
    ASSERT_TRUE(std::filesystem::exists(path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::vector<unsigned char> expected{
        0x4D, 0x54, 0x68, 0x64, 0,    0,    0,    6,    0,    1,    0,    2,    0,
        0x60, 0x4D, 0x54, 0x72, 0x6B, 0,    0,    0,    0x13, 0,    0xFF, 0x58, 4,
        4,    2,    0x18, 8,    0,    0xFF, 0x51, 3,    0x07, 0xA1, 0x20, 0,    0xFF,
        0x2F, 0,    0x4D, 0x54, 0x72, 0x6B, 0,    0,    0,    0x10, 0,    0xC0, 1,
        0x1D, 0x90, 0x3C, 0x40, 0x83, 0,    0x80, 0x3C, 0,    0x3F, 0xFF, 0x2F, 0};
    EXPECT_EQ(bytes, expected);
}

// A page without notes writes no file, and no file is named.
TEST_F(MidiConsoleTest, NoNotesNamesNoFile) {
    const std::string out = type({"EI", "8 1 0", "8 2 0", "PLA", "x"});
    EXPECT_NE(out.find("No Notes Found."), std::string::npos) << out;
    EXPECT_EQ(out.find("MIDI file"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(platform::work_file("ormmidi.mid")));
}

}  // namespace
