// The end of a piped input with unsaved changes and an end signal close to it: a signal that
// came before the end keeps the page in the backup and says so; one that comes once standard
// error has said the changes were not saved ends the program without a backup, so that what was
// said is what happened and the next start offers nothing.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "console/console_front_end.h"
#include "engine/core/bridge/front_end_port.h"
#include "platform/end_signals.h"
#include "tests/support/console_run.h"

namespace fs = std::filesystem;

namespace {

// Standard error of the child: what is written goes to a file; at_flush raises SIGTERM the
// moment the text is flushed, as a signal sent just after the notice would arrive.
class NoticeFile : public std::stringbuf {
  public:
    NoticeFile(fs::path path, bool raise_at_flush)
        : path_(std::move(path)), raise_(raise_at_flush) {}

  protected:
    int sync() override {
        std::ofstream(path_, std::ios::app) << str();
        str("");
        if (raise_) ::raise(SIGTERM);
        return 0;
    }

  private:
    fs::path path_;
    bool raise_;
};

class EndSignalAfterNoticeTest : public ConsoleSessionTest {};

TEST_F(EndSignalAfterNoticeTest, TheBackupIsWrittenOnlyWhenNoNoticeSaidTheChangesWereLost) {
    const struct {
        const char* name;
        bool signal_before_end;  // raised before the end of input is handled
        bool signal_at_notice;   // raised when the notice is flushed
        bool backup;
        const char* notice;
    } kCases[] = {
        {"before the end", true, false, true, ""},
        {"at the notice", false, true, false,
         "ormest: the input ended and the changes to KELDA.MUS were not saved.\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const fs::path backup = temp_.work() / "!save.mus";
        const fs::path notice = temp_.root() / "stderr.txt";
        fs::remove(backup);
        fs::remove(notice);
        std::cout.flush();
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            if (platform::watch_end_signals() < 0) ::_exit(3);
            std::istringstream in("EI\n8 1 0\n8 2 0\n");
            std::ostringstream out;
            ConsoleFrontEnd fe(in, out);
            core::set_front_end(&fe);
            fe.run();
            if (c.signal_before_end) ::raise(SIGTERM);
            NoticeFile file(notice, c.signal_at_notice);
            std::ostream errors(&file);
            fe.end_of_input(false, errors);
            errors.flush();
            ::_exit(0);
        }
        ASSERT_GT(child, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        EXPECT_EQ(fs::exists(backup), c.backup);
        std::string said;
        if (fs::exists(notice)) {
            std::ifstream f(notice);
            said.assign(std::istreambuf_iterator<char>(f), {});
        }
        EXPECT_EQ(said, c.notice);
    }
}

}  // namespace
