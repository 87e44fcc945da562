// "ormest --console" with an item edited and changed, not stored: a save from a command file
// given on the command line, an end signal and a closed terminal each keep the item as the page
// shows it.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>

#include "tests/core/document_bytes.h"
#include "tests/support/console_copy_fixture.h"
#include "tests/support/running_program.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// A staff and two notes; the first note (item 2) has P4 = 5, which the roads change to 9.
const std::vector<float> kPage = {3, 8, 1, 0, 7, 1, 1, 50, 5, 10, 0, 4, 7, 1, 1, 70, 6, 10, 0, 4};

class EditedItemEndsTest : public ConsoleCopyFixture {
  protected:
    EditedItemEndsTest() : ConsoleCopyFixture("ormest_edited_ends") {}

    void SetUp() override { write_page(); }
    void write_page() {
        const Bytes bytes = encode(with_trailer(kPage));
        std::ofstream(page_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        changed_ = kPage;
        changed_[8] = 9;
    }

    fs::path page_ = temp_.root() / "a.mus";
    std::vector<float> changed_;
};

}  // namespace

TEST_F(EditedItemEndsTest, EveryRoadKeepsTheEditedItemAsShown) {
    const std::vector<std::string> edit = {"G " + page_.string(), "I 2", ",,,9"};

    // A command file named on the command line, its last line SM.
    const fs::path script = temp_.root() / "save.txt";
    std::ofstream(script) << edit[0] << '\n' << edit[1] << '\n' << edit[2] << "\nSM\n";
    RunningProgram scripted("ormest", {"--console", script.string()}, temp_.root(), state_);
    ASSERT_TRUE(scripted.started());
    EXPECT_EQ(scripted.wait_end(), 0) << scripted.ended();
    EXPECT_NE(scripted.output().find("The edited item was stored before the save."),
              std::string::npos)
        << scripted.output();
    EXPECT_EQ(scripted.errors(), "");
    EXPECT_EQ(document_item_words(page_), changed_);

    // Ended by a signal, or by Ctrl-D at a terminal: the backup holds the change.
    struct End {
        const char* name;
        int sig;  // 0: the end of input
    };
    for (const End& end : {End{"SIGTERM", SIGTERM}, End{"Ctrl-D", 0}}) {
        SCOPED_TRACE(end.name);
        write_page();
        fs::remove(backup_);
        fs::remove(work_ / "!ended!.tmp");
        RunningProgram copy(
            "ormest", {"--console"}, temp_.root(), state_, {},
            end.sig == 0 ? RunningProgram::Input::Terminal : RunningProgram::Input::Pipe);
        ASSERT_TRUE(copy.started());
        for (const std::string& line : edit) copy.type(line);
        ASSERT_TRUE(copy.saw("P4=   9.000")) << copy.output();
        if (end.sig != 0) {
            ASSERT_TRUE(RunningProgram::wait_until([&] { return copy.catches(end.sig); }));
            ::kill(copy.pid(), end.sig);
            copy.wait_end_keeping_input();
        } else {
            copy.type_end_of_file();
            copy.wait_end();
        }
        EXPECT_NE(copy.output().find(", the edited item's changes with them."), std::string::npos)
            << copy.output();
        EXPECT_EQ(document_item_words(backup_), changed_);
        EXPECT_EQ(document_item_words(page_), kPage);
    }
}
