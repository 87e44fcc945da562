// Running copies of "ormest --console": two at once on the same work folder, each UNDO bringing
// back its own page, never the other copy's, each MIDI file and backup its own; and what a
// running console has loaded.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/core/document_bytes.h"
#include "tests/support/midi_notes.h"
#include "tests/support/running_program.h"
#include "tests/support/saved_records.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// One running "ormest --console" in folder, with its work folder under state.
class RunningCopy : public RunningProgram {
  public:
    RunningCopy(const fs::path& folder, const fs::path& state)
        : RunningProgram("ormest", {"--console"}, folder, state) {}

    // Types one input line.
    void type(const std::string& line) { ASSERT_TRUE(RunningProgram::type(line)); }

    // Ends the input and waits for the program's end; its exit code (-1 when it did not end).
    int finish() {
        const int status = wait_end();
        return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The staves (P2) of the items of a document with a 16-bit count, in store order.
std::vector<float> staves_of(const fs::path& document) {
    const std::vector<float> words = decode(read_file_bytes(document));
    std::vector<float> staves;
    // Records [n, P1..Pn] up to the 4-word trailer.
    for (std::size_t k = 0; k + 4 < words.size(); k += static_cast<std::size_t>(words[k]) + 1) {
        if (words[k] < 2.0f) break;
        staves.push_back(words[k + 2]);
    }
    return staves;
}

// The staves (P2) of a saved document's records, read by the file reader, in staff order.
std::vector<float> saved_staves(const fs::path& document) {
    std::vector<float> staves;
    for (const std::string& line : saved_records(document)) {
        std::istringstream words(line);
        float code = 0;
        float staff = 0;
        if (words >> code >> staff) staves.push_back(staff);
    }
    std::sort(staves.begin(), staves.end());
    return staves;
}

std::vector<fs::path> copy_folders(const fs::path& work) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(work, ec))
        if (entry.path().filename().string().starts_with(".copy-")) found.push_back(entry.path());
    return found;
}

TEST(TwoRunningCopies, EachUndoBringsBackItsOwnPage) {
    const TempFolder temp("ormest_two_copies");
    const fs::path state = temp.root() / "state";
    const fs::path work = state / "ormest";

    // A folder left by a killed copy, with the backup of its page.
    fs::create_directories(work / ".copy-killed");
    write_text(work / ".copy-killed" / ".lock", "");
    write_text(work / ".copy-killed" / "!save.mus", "killed copy's page");

    RunningCopy a(temp.root(), state);
    ASSERT_TRUE(a.started());
    a.type("EI");  // the items are entered, not edited
    a.type("8 1 0");
    a.type("8 2 0");
    ASSERT_NE(a.wait_for("   2 Items"), "") << a.output();
    ASSERT_NE(a.output().find("   2 Items"), std::string::npos) << a.output();

    // The second copy, started while the first runs, adds items of its own.
    RunningCopy b(temp.root(), state);
    ASSERT_TRUE(b.started());
    for (const char* line : {"EI", "8 5 0", "8 6 0", "8 7 0", "8 8 0"}) b.type(line);
    b.wait_for("   4 Items");
    ASSERT_NE(b.output().find("   4 Items"), std::string::npos) << b.output();
    // It keeps its work files in a private folder of its own.
    // A's start cleared the killed copy's folder and kept its backup.
    EXPECT_EQ(read_text(work / "!kept-1!save.mus"), "killed copy's page");
    const std::vector<fs::path> own = copy_folders(work);
    EXPECT_EQ(own.size(), 1u);
    if (!own.empty()) {
        EXPECT_EQ(fs::status(own[0]).permissions() & fs::perms::all, fs::perms::owner_all);
        EXPECT_TRUE(fs::exists(own[0] / "!undo!.tmp"));
        // A third copy that starts and ends meanwhile leaves B's folder alone and takes its own
        // away.
        RunningCopy c(temp.root(), state);
        ASSERT_TRUE(c.started());
        EXPECT_EQ(c.finish(), 0) << c.output();
        EXPECT_EQ(copy_folders(work), own);
    }

    // A's UNDO takes back A's last item, not B's page.
    a.type("UNDO");
    a.type("SA " + (temp.root() / "a.mus").string());
    const std::string after_undo = a.wait_for("File saved:");
    EXPECT_NE(after_undo.find("(saved -    1 Items)"), std::string::npos) << a.output();
    EXPECT_EQ(a.finish(), 0) << a.output();
    EXPECT_EQ(staves_of(temp.root() / "a.mus"), std::vector<float>({1.0f})) << a.output();

    // B's UNDO, after A has ended, still takes back B's own last item.
    b.type("UNDO");
    b.type("SA " + (temp.root() / "b.mus").string());
    b.wait_for("File saved:");
    EXPECT_EQ(b.finish(), 0) << b.output();
    EXPECT_EQ(staves_of(temp.root() / "b.mus"), std::vector<float>({5.0f, 6.0f, 7.0f}))
        << b.output();

    // B removed its folder at its end; the shared records stayed in the work folder.
    EXPECT_TRUE(copy_folders(work).empty());
    EXPECT_TRUE(fs::exists(work / "!undo!.tmp"));
}

// Whether a process waits for the flock of the file with the given inode (/proc/locks marks
// waiters with "->").
bool save_lock_waited_for(ino_t inode) {
    std::ifstream locks("/proc/locks");
    const std::string tail = ":" + std::to_string(inode);
    for (std::string line; std::getline(locks, line);) {
        if (line.find("->") == std::string::npos) continue;
        std::istringstream fields(line);
        for (std::string f; fields >> f;)
            if (f.size() > tail.size() && f.ends_with(tail)) return true;
    }
    return false;
}

// Another copy's save lands while this one is about to save: the save waits for the other's
// lock, looks at the file again under it, tells of the change and asks, and "N" keeps the
// other's work; a later "SM" asks again and "Y" writes. The test holds the lock itself, so the
// order is fixed, never a matter of timing.
TEST(TwoRunningCopies, ASaveThatLandsMeanwhileIsToldAndAskedAbout) {
    const TempFolder temp("ormest_save_race");
    const fs::path state = temp.root() / "state";
    const fs::path song = temp.root() / "song.mus";
    RunningCopy a(temp.root(), state);
    ASSERT_TRUE(a.started());
    a.type("EI");
    a.type("8 1 0");
    a.type("SA " + song.string());
    ASSERT_NE(a.wait_for("File saved:"), "") << a.output();
    a.type("8 2 0");
    ASSERT_NE(a.wait_for("   2 Items"), "") << a.output();

    const fs::path lock_path = state / "ormest" / ".ormest-save";
    const int lock = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    struct stat st {};
    ASSERT_EQ(::fstat(lock, &st), 0);
    a.type("SM");
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!save_lock_waited_for(st.st_ino) && std::chrono::steady_clock::now() < until)
        ::usleep(10000);
    ASSERT_TRUE(save_lock_waited_for(st.st_ino)) << a.output();
    // The other copy's save: a new file renamed into place, as saves do.
    write_text(temp.root() / "other.tmp", "the other copy's save");
    fs::rename(temp.root() / "other.tmp", song);
    ::close(lock);

    const std::string told = a.wait_for("(Y/N)");
    EXPECT_NE(told.find("*** " + song.string() + " was changed by another program"),
              std::string::npos)
        << told;
    EXPECT_NE(told.find("FILE EXISTS - Write over file?"), std::string::npos) << told;
    a.type("N");
    a.type("SM");
    const std::string again = a.wait_for("(Y/N)");
    EXPECT_EQ(again.find("File saved:"), std::string::npos) << again;
    EXPECT_EQ(read_text(song), "the other copy's save");
    a.type("Y");
    EXPECT_NE(a.wait_for("File saved:"), "") << a.output();
    EXPECT_EQ(a.finish(), 0) << a.output();
    EXPECT_EQ(staves_of(song), std::vector<float>({1.0f, 2.0f})) << a.output();
}

// How many processes wait for the flock of the file with the given inode.
int lock_waiters(ino_t inode) {
    std::ifstream locks("/proc/locks");
    const std::string tail = ":" + std::to_string(inode);
    int n = 0;
    for (std::string line; std::getline(locks, line);) {
        if (line.find("->") == std::string::npos) continue;
        std::istringstream fields(line);
        for (std::string f; fields >> f;)
            if (f.size() > tail.size() && f.ends_with(tail)) ++n;
    }
    return n;
}

// The test holds the lock of the records the copies share until every copy waits for it, so
// that all of them change a record at once, whatever the timing.
class HeldRecordLock {
  public:
    explicit HeldRecordLock(const fs::path& work) {
        fs::create_directories(work);
        fd_ = ::open((work / ".ormest-records").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct stat st {};
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0 && ::fstat(fd_, &st) == 0) inode_ = st.st_ino;
    }
    ~HeldRecordLock() { release(); }
    bool held() const { return inode_ != 0; }
    // Waits until count processes wait for the lock; false when they never did.
    bool wait_for_waiters(int count) const {
        return RunningProgram::wait_until([&] { return lock_waiters(inode_) >= count; });
    }
    void release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
    ino_t inode_ = 0;
};

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Three copies ended by one SIGTERM each keep their page and record it: the next start names
// all three, and none of the backups is written over.
TEST(TwoRunningCopies, CopiesEndedTogetherAreAllNamedAtTheNextStart) {
    const TempFolder temp("ormest_ended_together");
    const fs::path state = temp.root() / "state";
    const fs::path work = state / "ormest";
    std::vector<std::unique_ptr<RunningCopy>> copies;
    for (int n = 1; n <= 3; ++n) {
        copies.push_back(std::make_unique<RunningCopy>(temp.root(), state));
        RunningCopy& c = *copies.back();
        ASSERT_TRUE(c.started());
        const std::string name = (temp.root() / ("c" + std::to_string(n) + ".mus")).string();
        c.type("EI");
        c.type("8 " + std::to_string(n) + " 0");
        c.type("SA " + name);
        ASSERT_NE(c.wait_for("File saved:"), "") << c.output();
        c.type("8 " + std::to_string(n + 10) + " 0");
        ASSERT_NE(c.wait_for("   2 Items"), "") << c.output();
        ASSERT_TRUE(RunningProgram::wait_until([&c] { return c.catches(SIGTERM); }));
    }
    HeldRecordLock lock(work);
    ASSERT_TRUE(lock.held());
    for (const auto& c : copies) ::kill(c->pid(), SIGTERM);
    ASSERT_TRUE(lock.wait_for_waiters(3));
    lock.release();
    for (const auto& c : copies) c->finish();

    RunningCopy next(temp.root(), state);
    ASSERT_TRUE(next.started());
    next.type("EI");
    next.type("8 1 0");
    const std::string told = next.wait_for("   1 Items");
    EXPECT_EQ(count_of(told, "*** A backup of "), 3) << told;
    for (int n = 1; n <= 3; ++n)
        EXPECT_NE(told.find("c" + std::to_string(n) + ".mus was kept when the program was ended"),
                  std::string::npos)
            << told;
    // Each named backup holds its own copy's page.
    std::vector<std::vector<float>> pages;
    for (const auto& entry : fs::directory_iterator(work)) {
        const std::string file = entry.path().filename().string();
        if (file != "!save.mus" && !file.starts_with("!kept-")) continue;
        std::vector<float> staves = staves_of(entry);  // then the stored name's words
        staves.resize(std::min<std::size_t>(staves.size(), 2));
        pages.push_back(staves);
    }
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(pages, (std::vector<std::vector<float>>{{1, 11}, {2, 12}, {3, 13}}));
}

// Two copies loading documents at once each add theirs to the load history: none is lost.
TEST(TwoRunningCopies, LoadsFromTwoCopiesAtOnceKeepEveryHistoryEntry) {
    const TempFolder temp("ormest_loads_together");
    const fs::path state = temp.root() / "state";
    const fs::path work = state / "ormest";
    for (const char* name : {"one.mus", "two.mus"}) {
        RunningCopy maker(temp.root(), state);
        ASSERT_TRUE(maker.started());
        maker.type("EI");
        maker.type("8 1 0");
        maker.type(std::string("SA ") + (temp.root() / name).string());
        ASSERT_NE(maker.wait_for("File saved:"), "") << maker.output();
        EXPECT_EQ(maker.finish(), 0);
    }
    fs::remove(work / "!history.tmp");
    RunningCopy a(temp.root(), state);
    RunningCopy b(temp.root(), state);
    ASSERT_TRUE(a.started() && b.started());
    for (RunningCopy* c : {&a, &b}) {
        c->type("EI");
        ASSERT_TRUE(c->saw("New items will")) << c->output();
    }
    HeldRecordLock lock(work);
    ASSERT_TRUE(lock.held());
    a.type("G " + (temp.root() / "one.mus").string());
    b.type("G " + (temp.root() / "two.mus").string());
    ASSERT_TRUE(lock.wait_for_waiters(2));
    lock.release();
    EXPECT_EQ(a.finish(), 0) << a.output();
    EXPECT_EQ(b.finish(), 0) << b.output();
    const std::string history = read_text(work / "!history.tmp");
    EXPECT_NE(history.find("one.mus"), std::string::npos) << history;
    EXPECT_NE(history.find("two.mus"), std::string::npos) << history;
}

// The libraries a running copy has mapped, by file name.
std::vector<std::string> mapped_libraries(pid_t pid) {
    std::vector<std::string> names;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash != std::string::npos) names.push_back(fs::path(line.substr(slash)).filename());
    }
    return names;
}

// "ormest --console" hands over to the console program, which answers as the console always
// did (in the same process) and has none of the window's or the synthesizer's libraries loaded.
TEST(ConsoleProgram, ARunningConsoleHoldsNoWindowOrSynthesizerLibrary) {
    const TempFolder temp("ormest_console_program");
    RunningCopy copy(temp.root(), temp.root() / "state");
    ASSERT_TRUE(copy.started());
    copy.type("EI");
    copy.type("8 1 0");
    ASSERT_NE(copy.wait_for("   1 Items"), "") << copy.output();
    const std::vector<std::string> libraries = mapped_libraries(copy.pid());
    ASSERT_FALSE(libraries.empty());
    bool engine_program = false;
    for (const std::string& name : libraries) {
        engine_program = engine_program || name == "ormest-console";
        for (const char* unwanted : {"libQt6", "libfluidsynth", "libSDL2", "libpulse", "libjack",
                                     "libsndfile", "librtmidi", "libasound"}) {
            EXPECT_FALSE(name.starts_with(unwanted)) << name;
        }
    }
    EXPECT_TRUE(engine_program);
    EXPECT_EQ(copy.finish(), 0) << copy.output();
}

// The text after head on the line of out that holds it ("" when none).
std::string rest_of_line(const std::string& out, const std::string& head) {
    const std::size_t at = out.find(head);
    if (at == std::string::npos) return {};
    const std::size_t from = at + head.size();
    return out.substr(from, out.find('\n', from) - from);
}

// The names in work that begin with head.
std::vector<std::string> names_starting(const fs::path& work, const std::string& head) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(work, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(head)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A later copy on the work folder writes its default MIDI file under a name of its own and keeps
// it after its end; its backups for a command file are kept in the work folder, each under a
// name of its own, named with the word that loads it.
TEST(TwoRunningCopies, ALaterCopyWritesItsOwnMidiFileAndKeepsEachBackupOfItsOwn) {
    const TempFolder temp("ormest_copies_midi");
    const fs::path root = temp.root();
    const fs::path state = root / "state";
    const fs::path work = state / "ormest";
    write_text(root / "g.txt", "G one.mus\n");
    write_text(root / "g2.txt", "G two.mus\n");

    RunningCopy a(root, state);
    ASSERT_TRUE(a.started());
    for (const char* line : {"EI", "8 1 0", "1 1 10 1 0 0 4", "SA one.mus", "PLA", "x"})
        a.type(line);
    const std::string a_out = a.wait_for("MIDI file written: ");
    ASSERT_NE(a_out.find("MIDI file written: "), std::string::npos) << a.output();
    a.type("SA marker-a.mus");
    ASSERT_TRUE(a.saw("File saved:")) << a.output();
    EXPECT_EQ(rest_of_line(a.output(), "MIDI file written: "), (work / "ormmidi.mid").string());
    const std::vector<std::string> a_keys = midi_track_keys(work / "ormmidi.mid");
    ASSERT_EQ(a_keys.size(), 1u) << a.output();

    RunningCopy b(root, state);
    ASSERT_TRUE(b.started());
    for (const char* line : {"EI", "8 1 0", "8 2 0", "1 1 10 1 0 0 4", "1 2 10 5 0 0 4",
                             "14 1 100 2", "SA two.mus", "PLA", "x", "SA marker-b.mus"})
        b.type(line);
    ASSERT_TRUE(b.saw("File saved:")) << b.output();
    ASSERT_TRUE(b.saw("File saved:")) << b.output();
    const std::vector<fs::path> own = copy_folders(work);
    ASSERT_EQ(own.size(), 1u);
    const std::string tag = own[0].filename().string().substr(std::string(".copy-").size());
    const fs::path b_midi = work / ("ormmidi-" + tag + ".mid");
    EXPECT_EQ(rest_of_line(b.output(), "MIDI file written: "), b_midi.string()) << b.output();
    EXPECT_EQ(midi_track_keys(b_midi).size(), 2u) << b.output();
    // The first copy's file holds its own notes still.
    EXPECT_EQ(midi_track_keys(work / "ormmidi.mid"), a_keys);
    EXPECT_EQ(saved_staves(root / "marker-b.mus"), std::vector<float>({1, 1, 1, 2, 2}));

    // Two pages with unsaved changes replaced by command files, one after the other (two.mus,
    // then one.mus that the first file loaded): each notice names its own kept file and "G".
    const std::vector<std::string> kept_before = names_starting(work, "!kept-");
    struct Replaced {
        const char* note;
        const char* file;           // the command file that replaces the page
        std::vector<float> staves;  // the page the file loads
    };
    const std::vector<Replaced> replaced = {{"1 1 30 2 0 0 4", "g.txt", {1, 1}},
                                            {"1 1 50 3 0 0 4", "g2.txt", {1, 1, 1, 2, 2}}};
    std::vector<std::string> typed_names;
    b.type("G two.mus");
    for (const Replaced& r : replaced) {
        SCOPED_TRACE(r.note);
        b.type(r.note);
        b.type(std::string("RE ") + r.file);
        b.type("SA after-re.mus");
        const std::string out = b.wait_for("File saved:");
        const std::string told = rest_of_line(out, "before a command file replaced them: type G ");
        ASSERT_NE(told, "") << out;
        ASSERT_TRUE(told.ends_with(" to load them.")) << out;
        const std::string typed =
            told.substr(0, told.size() - std::string(" to load them.").size());
        typed_names.push_back(typed);
        EXPECT_EQ(out.find("GSV"), std::string::npos) << out;
        EXPECT_EQ(out.find("pending"), std::string::npos) << out;
        const std::string file = typed.substr(typed.rfind('\\') + 1);
        EXPECT_TRUE(file.starts_with("!kept-")) << typed;
        EXPECT_TRUE(fs::is_regular_file(work / file)) << typed;
        EXPECT_EQ(names_starting(work, "!kept-").size(), kept_before.size() + typed_names.size())
            << out;
        EXPECT_EQ(names_starting(work, "!pending"), std::vector<std::string>());
        EXPECT_EQ(saved_staves(root / "after-re.mus"), r.staves) << out;
        fs::remove(root / "after-re.mus");
    }
    ASSERT_EQ(typed_names.size(), 2u);
    EXPECT_NE(typed_names[0], typed_names[1]);
    // Each word named loads its own page, with its own unsaved note and not the other's.
    const std::vector<std::vector<float>> pages = {{1, 1, 1, 1, 2, 2}, {1, 1, 1}};
    for (std::size_t k = 0; k < typed_names.size(); ++k) {
        SCOPED_TRACE(typed_names[k]);
        b.type("G " + typed_names[k]);
        b.type("SA back.mus");
        const std::string back = b.wait_for("File saved:");
        EXPECT_EQ(saved_staves(root / "back.mus"), pages[k]) << back;
        const std::vector<std::string> records = saved_records(root / "back.mus");
        for (std::size_t n = 0; n < replaced.size(); ++n) {
            EXPECT_EQ(std::count_if(records.begin(), records.end(),
                                    [&](const std::string& rec) {
                                        return rec.starts_with(
                                            std::string(replaced[n].note).substr(0, 8));
                                    }),
                      n == k ? 1 : 0)
                << back;
        }
        fs::remove(root / "back.mus");
    }
    EXPECT_EQ(b.finish(), 0) << b.output();

    // B's MIDI file and its kept backups stay after its end; A's end leaves its own file.
    EXPECT_TRUE(fs::exists(b_midi));
    EXPECT_EQ(names_starting(work, "!kept-").size(), kept_before.size() + 2);
    EXPECT_EQ(a.finish(), 0) << a.output();
    EXPECT_EQ(midi_track_keys(work / "ormmidi.mid"), a_keys);
}

}  // namespace
