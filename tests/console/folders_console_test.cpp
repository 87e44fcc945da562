// Folders through the console: a folder is entered only while its files' names fit the name
// a page keeps, names past it are refused with the limit, long names are shown without a
// letter split, and user preferences that cannot be read are named at start-up.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_names.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "tests/support/console_run.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

// A component of n bytes: "é" letters (two bytes each), led by "a" when n is odd.
std::string component(std::size_t n) {
    std::string c = n % 2 == 1 ? "a" : "";
    while (c.size() < n) c += "\xC3\xA9";
    return c;
}

// A path below base whose whole length is exactly length bytes, in components of at most 200.
fs::path deep_path(const fs::path& base, std::size_t length) {
    std::string path = base.string();
    while (length - path.size() > 202) path += "/" + component(199);
    return path + "/" + component(length - path.size() - 1);
}

// Whether text is whole UTF-8: no letter cut short and no stray continuation byte.
bool whole_letters(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t n = b < 0x80         ? 1
                              : (b >> 5) == 6  ? 2
                              : (b >> 4) == 14 ? 3
                              : (b >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > text.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// The printed line that begins with start ("" when none does).
std::string line_starting(const std::string& out, const std::string& start) {
    const std::size_t at = out.find(start);
    if (at == std::string::npos) return {};
    return out.substr(at, out.find('\n', at) - at);
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class FoldersConsoleTest : public ConsoleSessionTest {
  protected:
    void SetUp() override {
        ConsoleSessionTest::SetUp();
        base_ = fs::canonical(temp_.root());
    }
    void TearDown() override {
        fs::current_path(base_);
        ConsoleSessionTest::TearDown();
    }
    fs::path base_;
};

// A folder of 499 bytes is entered and made; one of 500 is neither, and the current folder
// stays. In the deepest folder a name of 12 is saved and loaded again (512 with its folder),
// and one of 13 is refused, naming the limit and the name's end.
TEST_F(FoldersConsoleTest, AFolderIsEnteredWhileItsFilesNamesFit) {
    static_assert(core::kLongestFolderPath == 499 && core::kLongestFileName == 512);
    const fs::path at_limit = deep_path(base_ / "limit", 499);
    const fs::path past = deep_path(base_ / "past", 500);
    ASSERT_EQ(at_limit.string().size(), 499u);
    ASSERT_EQ(past.string().size(), 500u);
    fs::create_directories(at_limit);
    fs::create_directories(past);
    const fs::path made = deep_path(base_ / "made", 499);
    const fs::path not_made = deep_path(base_ / "notmade", 500);

    const std::string refused =
        "**** Not entered: a folder's path is kept to 499 bytes, so that "
        "its files' names fit 512: ";
    std::string out = type({"PATH " + past.string(), "MAKEDIR " + not_made.string()});
    EXPECT_NE(out.find(refused + "..."), std::string::npos) << out;
    EXPECT_TRUE(whole_letters(line_starting(out, refused))) << out;
    EXPECT_EQ(fs::current_path(), base_);
    EXPECT_FALSE(fs::exists(base_ / "notmade"));
    EXPECT_EQ(FailureLinesInLastRun, 4) << out;  // each refusal and its reply

    out = type({"MAKEDIR " + made.string(), "PATH " + at_limit.string()});
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_EQ(out.find(refused), std::string::npos) << out;
    EXPECT_EQ(fs::current_path(), at_limit);

    const std::string name12 = "SONGBOOK.MUS";
    const std::string name13 = "SONGBOOKS.MUS";
    out = type({"EI", "8 1 0", "X", "SA " + name12, "SA " + name13});
    EXPECT_TRUE(fs::exists(at_limit / name12)) << out;
    EXPECT_EQ((at_limit / name12).string().size(), 512u);
    EXPECT_FALSE(fs::exists(at_limit / name13));
    const std::string too_long = line_starting(
        out, "*** File name too long (the program keeps 512 bytes with its folder): ...");
    EXPECT_TRUE(ends_with(too_long, "/" + name13)) << out;
    EXPECT_TRUE(whole_letters(too_long)) << too_long;

    core::reset_engine();
    out = type({"G " + name12});
    EXPECT_EQ(core::ItemCount, 1) << out;
    EXPECT_EQ(core::CurrentFileName.trimmed(), (at_limit / name12).string());
}

// RE and RD read a command file whose name fits with its folder, a deep folder's or a long
// relative name's, and refuse one a byte past it with the limit, though the file is there.
TEST_F(FoldersConsoleTest, ACommandFileIsReadWhileItsNameFits) {
    const fs::path deep = deep_path(base_ / "deep", core::kLongestFolderPath);
    fs::create_directories(deep);
    struct Row {
        const char* label;
        fs::path folder;  // the current folder
        fs::path file;    // the command file, its path of `length` bytes
        std::size_t length;
    };
    std::vector<Row> rows = {{"deep folder at the limit", deep, deep / "SONGBOOK.TXT", 512},
                             {"deep folder past it", deep, deep / "SONGBOOKS.TXT", 513}};
    for (const std::size_t length : {512u, 513u}) {
        rows.push_back({length == 512 ? "relative name at the limit" : "relative name past it",
                        base_, deep_path(base_ / ("rel" + std::to_string(length)), length),
                        length});
    }
    const fs::path saved = base_ / "read.mus";
    for (const char* word : {"RE", "RD"}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(word) + " " + row.label);
            ASSERT_EQ(row.file.string().size(), row.length);
            fs::create_directories(row.file.parent_path());
            write_text(row.file, "SA " + saved.string() + "\n");
            fs::remove(saved);
            core::reset_engine();
            fs::current_path(row.folder);
            const std::string name = row.file.string().substr(row.folder.string().size() + 1);
            const std::string out = type({"EI", "8 1 0", "X", std::string(word) + " " + name});
            const std::string too_long = line_starting(
                out, "*** File name too long (the program keeps 512 bytes with its folder): ...");
            if (row.length <= core::kLongestFileName) {
                EXPECT_TRUE(fs::exists(saved)) << out;
                EXPECT_EQ(core::RunFailedWord, 0) << out;
                EXPECT_EQ(too_long, "") << out;
            } else {
                EXPECT_FALSE(fs::exists(saved)) << out;
                EXPECT_NE(core::RunFailedWord, 0) << out;
                EXPECT_TRUE(ends_with(too_long, row.file.filename().string())) << out;
                EXPECT_TRUE(whole_letters(too_long)) << too_long;
            }
            EXPECT_TRUE(whole_letters(out)) << out;
            fs::current_path(base_);
        }
    }
}

// A program started in a folder deeper than the names allow shows it, its end whole, and
// refuses every bare name there with the limit; the folder's end is shown whichever byte the
// reply's room ends on.
TEST_F(FoldersConsoleTest, AStartInADeeperFolderShowsItsEndAndRefusesNames) {
    for (const std::size_t length : {600u, 601u}) {
        SCOPED_TRACE(length);
        const fs::path deep = deep_path(base_ / ("start" + std::to_string(length)), length);
        fs::create_directories(deep);
        fs::current_path(deep);
        const std::string out = type({"PATH", "EI", "8 1 0", "X", "SA x"});
        const std::string path = line_starting(out, "Path = ");
        EXPECT_EQ(path.rfind("Path = ...", 0), 0u) << out;
        EXPECT_TRUE(ends_with(path, deep.string().substr(length - 400))) << out;
        EXPECT_GE(path.size(), 511u);
        EXPECT_LE(path.size(), 512u);
        EXPECT_TRUE(whole_letters(path)) << path;
        const std::string too_long = line_starting(out, "*** File name too long");
        EXPECT_TRUE(ends_with(too_long, "/x.MUS")) << out;
        EXPECT_TRUE(whole_letters(too_long)) << too_long;
        EXPECT_FALSE(fs::exists(deep / "x.MUS"));
        fs::current_path(base_);
    }
}

// A name the system refuses as too long (a component past 255 bytes) keeps the system's
// reason at the end of a message that must be cut.
TEST_F(FoldersConsoleTest, ANameTooLongForTheSystemKeepsItsReasonWhenCut) {
    const std::string name = component(451) + ".mus";
    ASSERT_LE(base_.string().size() + 1 + name.size(), core::kLongestFileName);
    const std::string out = type({"G " + name});
    const std::string told = line_starting(out, "File not found --> ");
    EXPECT_TRUE(ends_with(told, ".mus: File name too long")) << out;
    EXPECT_NE(told.find("File not found --> ..."), std::string::npos) << out;
    EXPECT_TRUE(whole_letters(told)) << told;
}

// MAKEDIR says why a folder could not be made, in the system's words.
TEST_F(FoldersConsoleTest, AFailedMakedirSaysWhy) {
    write_text(base_ / "a.mus", "x");
    const struct {
        std::string name;
        std::string reason;
    } rows[] = {{"a.mus", "File exists"}, {"a.mus/sub", "Not a directory"}};
    for (const auto& r : rows) {
        const std::string out = type({"MAKEDIR " + r.name});
        EXPECT_NE(out.find("**** Cannot make folder " + r.name + ": " + r.reason),
                  std::string::npos)
            << out;
        EXPECT_EQ(fs::current_path(), base_);
    }
    if (::geteuid() == 0) return;  // root makes folders anywhere
    fs::create_directory(base_ / "shut");
    fs::permissions(base_ / "shut", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string out = type({"MAKEDIR shut/sub"});
    fs::permissions(base_ / "shut", fs::perms::owner_all);
    EXPECT_NE(out.find("**** Cannot make folder shut/sub: Permission denied"), std::string::npos)
        << out;
}

// The user's own preferences that are there but cannot be read are named at start-up, which
// goes on with the program's own; a missing file says nothing.
TEST_F(FoldersConsoleTest, UserPreferencesThatCannotBeReadAreNamedAtStart) {
    const char* kept = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> kept_config =
        kept != nullptr ? std::optional<std::string>(kept) : std::nullopt;
    const fs::path config = base_ / "config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const fs::path folder = config / "Fenwright";
    const fs::path own = folder / "mxpref.dat";
    const std::string used = ". The program's own are used.";
    const std::string front = "*** Your preferences were not read: ";

    const struct {
        const char* what;
        void (*make)(const fs::path& folder, const fs::path& own);
        std::string told;  // "" for nothing
        bool root_too;
    } rows[] = {
        {"no file", [](const fs::path& f, const fs::path&) { fs::create_directories(f); }, "",
         true},
        {"a folder", [](const fs::path&, const fs::path& o) { fs::create_directories(o); },
         own.string() + " is a folder, not a file", true},
        {"a FIFO",
         [](const fs::path& f, const fs::path& o) {
             fs::create_directories(f);
             ::mkfifo(o.c_str(), 0600);
         },
         own.string() + " is not a regular file", true},
        {"a file for the folder",
         [](const fs::path& f, const fs::path&) {
             fs::create_directories(f.parent_path());
             write_text(f, "x");
         },
         folder.string() + " is not a folder", true},
        {"a file no one may read",
         [](const fs::path& f, const fs::path& o) {
             fs::create_directories(f);
             write_text(o, "TIES  3\n");
             fs::permissions(o, fs::perms::none);
         },
         own.string() + " cannot be read (permission denied)", false},
        {"a folder no one may search",
         [](const fs::path& f, const fs::path& o) {
             fs::create_directories(f);
             write_text(o, "TIES  3\n");
             fs::permissions(f, fs::perms::owner_read);
         },
         folder.string() + " cannot be read (permission denied)", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        if (!r.root_too && ::geteuid() == 0) continue;  // root reads them all
        r.make(folder, own);
        core::reset_engine();
        std::string said;
        EXPECT_TRUE(start_engine_with_console(said)) << said;
        if (r.told.empty()) {
            EXPECT_EQ(said.find(front), std::string::npos) << said;
        } else {
            EXPECT_NE(said.find(front + r.told + used), std::string::npos) << said;
        }
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);
        fs::remove_all(config);
    }
    // One that reads is read, and nothing is said.
    fs::create_directories(folder);
    write_text(own, "TIES  3\n");
    core::reset_engine();
    std::string said;
    EXPECT_TRUE(start_engine_with_console(said)) << said;
    EXPECT_EQ(said.find(front), std::string::npos) << said;
    EXPECT_EQ(core::TiePosition, 3);

    if (kept_config) {
        ::setenv("XDG_CONFIG_HOME", kept_config->c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
