// File names at the lengths their buffers hold: the file dialog's 48-character command buffer
// beside the whole-path buffer, the 512-character name field, and the 51 characters of a name
// the overwrite question shows.
#include <fstream>
#include <string>

#include "engine/commands/files/file_commands.h"
#include "engine/commands/files/file_commands_internal.h"
#include "engine/core/settings_tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

using FileNameLimitsTest = InterpreterTest;

TEST_F(FileNameLimitsTest, ThePresetIsWholeInThePathBufferAndItsFirst48InTheCommandBuffer) {
    const std::string p48 = "/scores/" + std::string(36, 'a') + ".mus";
    ASSERT_EQ(p48.size(), 48u);
    core::file_detail::set_dialog_preset(p48);
    EXPECT_EQ(core::FrontEndCommandBuffer.view(), p48);
    EXPECT_EQ(core::file_detail::take_dialog_answer(), p48);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    EXPECT_TRUE(core::FrontEndPathBuffer.is_blank());
    // One character more: the command buffer holds its first 48, an accepted preset is whole.
    const std::string p49 = p48 + "x";
    core::file_detail::set_dialog_preset(p49);
    EXPECT_EQ(core::FrontEndCommandBuffer.view(), p48);
    EXPECT_EQ(core::FrontEndPathBuffer.trimmed(), p49);
    EXPECT_EQ(core::file_detail::take_dialog_answer(), p49);
    // A typed name of 48 characters replaces the preset.
    const std::string typed = "/other/" + std::string(37, 'b') + ".mus";
    ASSERT_EQ(typed.size(), 48u);
    core::file_detail::set_dialog_preset(p49);
    core::FrontEndCommandBuffer.set(typed);
    EXPECT_EQ(core::file_detail::take_dialog_answer(), typed);
}

TEST_F(FileNameLimitsTest, NamesFitTheNameFieldUpTo512Characters) {
    core::RunFailedWord = 0;
    EXPECT_TRUE(core::file_detail::name_fits(std::string(512, 'n')));
    EXPECT_TRUE(fe_.message_boxes.empty());
    EXPECT_EQ(core::RunFailedWord, 0);
    // A name refused as too long fails a script's run: its load or save did not happen.
    EXPECT_FALSE(core::file_detail::name_fits(std::string(513, 'n')));
    EXPECT_EQ(core::RunFailedWord, 1);
    ASSERT_EQ(fe_.message_boxes.size(), 1u);
    // The limit and the name's end, as much as the message holds.
    const std::string front =
        "*** File name too long (the program keeps 512 bytes with its folder): ";
    EXPECT_EQ(fe_.message_boxes[0], front + "..." + std::string(512 - front.size() - 3, 'n'));
    // Through the file-name step: a whole name of 512 characters is taken as it is.
    const std::string whole =
        dir_.string() + "/" + std::string(512 - dir_.string().size() - 5, 'w') + ".mus";
    ASSERT_EQ(whole.size(), 512u);
    core::FixedText<512> name;
    ASSERT_TRUE(core::file_detail::complete_file_name(whole, name));
    EXPECT_EQ(name.view(), whole);
    EXPECT_FALSE(core::file_detail::complete_file_name(whole + "x", name));
    EXPECT_EQ(name.view(), whole);
}

TEST_F(FileNameLimitsTest, TheOverwriteQuestionShowsANameOf51CharactersWhole) {
    auto name_of = [this](std::size_t length) {
        const std::string folder = dir_.string() + "/";
        return folder + std::string(length - folder.size() - 4, 'q') + ".mus";
    };
    const std::string n51 = name_of(51);
    const std::string n52 = name_of(52);
    std::ofstream(n51) << "x";
    std::ofstream(n52) << "x";
    core::ItemCount = 0;
    fe_.answer_yes_no(0);
    fe_.answer_yes_no(-1);
    EXPECT_EQ(core::confirm_overwrite(n51), 0);
    EXPECT_EQ(core::confirm_overwrite(n52), -1);
    ASSERT_EQ(fe_.questions.size(), 2u);
    EXPECT_EQ(fe_.questions[0], "FILE EXISTS - Write over file? - " + n51);
    EXPECT_EQ(fe_.questions[1], "FILE EXISTS - Write over file? - ..." + n52.substr(52 - 48));
    EXPECT_EQ(core::confirm_overwrite(dir_.string() + "/none.mus"), -1);  // nothing to ask
    EXPECT_EQ(fe_.questions.size(), 2u);
}

}  // namespace
