// The window program ended from outside with unsaved changes: by SIGTERM (offscreen) and by a
// lost X connection (a real X server, Xvfb, that is killed). Either way the page goes to the
// backup copy first, and the console's next start in the same work folder tells of it and
// loads it with "GSV".
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/core/document_bytes.h"
#include "tests/support/running_program.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// One record the loader drops (code 13) after a kept one: the page opens changed.
const std::vector<float> kWindowEndPage = {3, 5, 1, 1, 3, 13, 1, 2};

// The item words of a document (its count word says where they end).
std::vector<float> window_end_items(const fs::path& file) {
    const Bytes b = read_file_bytes(file);
    std::vector<float> words = decode(b);
    const std::size_t count = b.size() < 2 ? 0 : (b[0] | (b[1] << 8));
    words.resize(count >= 4 && count <= words.size() ? count - 4 : 0);
    return words;
}

// An X server of the test's own on a free display; stopped (killed) at will or at the end.
class WindowEndXServer {
  public:
    WindowEndXServer() {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string program = "Xvfb";
        std::vector<std::string> words = {program, "-displayfd", "3", "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ready[1]);
        // The server writes its display number once it accepts connections.
        std::string number;
        pollfd p{ready[0], POLLIN, 0};
        while (pid_ > 0 && ::poll(&p, 1, 60000) > 0) {
            char c;
            if (::read(ready[0], &c, 1) != 1 || c == '\n') break;
            number.push_back(c);
        }
        ::close(ready[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~WindowEndXServer() { stop(); }
    const std::string& display() const { return display_; }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

class WindowEndTest : public ::testing::Test {
  protected:
    void SetUp() override { write_bytes(page_, encode(with_trailer(kWindowEndPage))); }
    // Waits until the window has loaded the page (its last-file record is written): from then
    // on the end signals are watched.
    bool page_loaded() {
        return RunningProgram::wait_until([&] { return fs::exists(work_ / "!last!.tmp"); });
    }
    // The backup and the notice, as the next start in the same work folder meets them.
    void expect_the_next_start_loads_the_backup() {
        ASSERT_EQ(window_end_items(work_ / "!save.mus"), (std::vector<float>{3, 5, 1, 1}));
        RunningProgram console("ormest", {"--console"}, temp_.root(), state_);
        EXPECT_NE(console.wait_for("*** A backup of " + page_.string() +
                                   " was kept when the program was ended: type GSV to load it."),
                  "")
            << console.output();
        console.type("GSV");
        console.type("SA " + (temp_.root() / "back.mus").string());
        EXPECT_NE(console.wait_for("File saved:"), "") << console.output();
        EXPECT_EQ(console.wait_end(), 0) << console.ended();
        EXPECT_EQ(window_end_items(temp_.root() / "back.mus"), (std::vector<float>{3, 5, 1, 1}));
    }
    std::string told() const {
        return "ormest: *** The unsaved changes of " + page_.string() +
               " were written to the backup copy " + (work_ / "!save.mus").string() + ".";
    }

    TempFolder temp_{"ormest_window_end"};
    fs::path state_ = temp_.root() / "state";
    fs::path work_ = state_ / "ormest";
    fs::path page_ = temp_.root() / "page.mus";
};

TEST_F(WindowEndTest, TermKeepsThePageAndEndsAsTheSignalAsks) {
    RunningProgram window("ormest-window", {page_.string()}, temp_.root(), state_,
                          {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_TRUE(window.started());
    ASSERT_TRUE(page_loaded()) << window.errors();
    ::kill(window.pid(), SIGTERM);
    const int status = window.wait_end_keeping_input();
    EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM)
        << window.errors();
    EXPECT_NE(window.errors().find(told()), std::string::npos) << window.errors();
    expect_the_next_start_loads_the_backup();
}

// A write to a lost X connection must come back as an error Qt reports (the page is kept
// then), never as SIGPIPE, which would end the window silently with the page lost.
TEST_F(WindowEndTest, TheWindowIgnoresSigpipe) {
    RunningProgram window("ormest-window", {page_.string()}, temp_.root(), state_,
                          {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_TRUE(window.started());
    ASSERT_TRUE(page_loaded()) << window.errors();
    std::ifstream status("/proc/" + std::to_string(window.pid()) + "/status");
    std::string line;
    unsigned long long ignored = 0;
    while (std::getline(status, line)) {
        if (line.rfind("SigIgn:", 0) == 0) ignored = std::stoull(line.substr(7), nullptr, 16);
    }
    EXPECT_NE(ignored & (1ULL << (SIGPIPE - 1)), 0ULL) << line;
    ::kill(window.pid(), SIGTERM);
    window.wait_end_keeping_input();
}

TEST_F(WindowEndTest, ALostXConnectionKeepsThePageBeforeTheEnd) {
    if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb to stop";
    WindowEndXServer server;
    ASSERT_FALSE(server.display().empty());
    RunningProgram window("ormest-window", {page_.string()}, temp_.root(), state_,
                          {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + server.display(),
                           // The window system's libraries keep memory to the end.
                           "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_TRUE(window.started());
    ASSERT_TRUE(page_loaded()) << window.errors();
    server.stop();
    const int status = window.wait_end_keeping_input();
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 1) << window.errors();
    EXPECT_NE(window.errors().find(told()), std::string::npos) << window.errors();
    expect_the_next_start_loads_the_backup();
}

}  // namespace
