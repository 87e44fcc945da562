// A READ inside a command file takes that file's place for good: the lines after it never run,
// and when there are such lines the console names both files.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commands/engine_reset.h"
#include "tests/support/console_run.h"

namespace fs = std::filesystem;

namespace {

class NestedCommandFilesConsoleTest : public ConsoleSessionTest {
  protected:
    void write(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream file(temp_.root() / name);
        for (const std::string& line : lines) file << line << "\n";
    }
    bool exists(const std::string& name) { return fs::exists(temp_.root() / name); }
};

size_t nested_notice_count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

const std::string kNestTooDeepNotice = "*** Command files nest too deeply (8): the reading stopped.";

struct NestRow {
    const char* name;
    std::vector<std::pair<std::string, std::vector<std::string>>> files;  // m.txt among them
    std::vector<std::string> written;      // documents the run writes
    std::vector<std::string> not_written;  // documents it never writes
    std::vector<std::string> notices;      // each said exactly once
    std::vector<std::string> never_said;
};

TEST_F(NestedCommandFilesConsoleTest, AReadInsideAFileNamesTheLinesItLeavesUnread) {
    const std::string rest_of_m = "*** RE p1.txt: the rest of m.txt was not read.";
    const std::vector<std::string> p1 = {"SA p1.mus"};
    const std::vector<std::string> p2 = {"SA p2.mus"};
    std::vector<NestRow> rows = {
        {"at_the_first_line",
         {{"p1.txt", p1}, {"p2.txt", p2}, {"m.txt", {"RE p1.txt", "RE p2.txt", "SA out.mus"}}},
         {"p1.mus"},
         {"p2.mus", "out.mus"},
         {rest_of_m},
         {"p2.txt:"}},
        {"typed_in_small_letters",
         {{"p1.txt", p1}, {"m.txt", {"SA m.mus", "re p1.txt", "SA out.mus"}}},
         {"m.mus", "p1.mus"},
         {"out.mus"},
         {rest_of_m},
         {}},
        // Nothing is left unread, so nothing is said.
        {"at_the_last_line",
         {{"p1.txt", p1}, {"m.txt", {"SA m.mus", "RE p1.txt"}}},
         {"m.mus", "p1.mus"},
         {},
         {},
         {"was not read"}},
        {"before_comments_and_the_end_mark",
         {{"p1.txt", p1},
          {"m.txt",
           {"SA m.mus", "RE p1.txt", "% done", "", "%%", "SA skipped.mus", "%%", "*",
            "SA out.mus"}}},
         {"m.mus", "p1.mus"},
         {"skipped.mus", "out.mus"},
         {},
         {"was not read"}},
        // A line hidden in a skipped block is no command, the one after the block is.
        {"before_a_line_after_a_skipped_block",
         {{"p1.txt", p1}, {"m.txt", {"RE p1.txt", "%%", "SA skipped.mus", "%%", "SA out.mus"}}},
         {"p1.mus"},
         {"skipped.mus", "out.mus"},
         {rest_of_m},
         {}},
        // A file that is not there is not read: the file goes on.
        {"naming_a_missing_file",
         {{"m.txt", {"RE nosuch.txt", "SA out.mus"}}},
         {"out.mus"},
         {},
         {"File not found --> nosuch.txt"},
         {"was not read"}},
        // REX runs a file's first line on a unit of its own (the file answers Edit Text with
        // the line as shown; a blank line there answers nothing): the file goes on after it...
        {"rex_line",
         {{"p1.txt", p1}, {"m.txt", {"REX p1.txt", "", "SA p1.mus", "SA out.mus"}}},
         {"p1.mus", "out.mus"},
         {},
         {},
         {"was not read"}},
        // ...unless that line is a READ, which takes the file's place as any READ does.
        {"rex_of_a_read",
         {{"p1.txt", p1},
          {"r.txt", {"RE p1.txt"}},
          {"m.txt", {"REX r.txt", "RE p1.txt", "SA out.mus"}}},
         {"p1.mus"},
         {"out.mus"},
         {rest_of_m},
         {}},
    };
    // A chain as deep as it may go: m.txt and c1 .. c7 are eight files, each reading the next
    // before saving; c7's READ would open the ninth, which stops every file without the notice.
    NestRow chain{"depth_limit", {}, {}, {}, {kNestTooDeepNotice}, {"the rest of c7.txt"}};
    for (int k = 1; k <= 9; ++k) {
        const std::string n = std::to_string(k);
        const std::string next = "c" + std::to_string(k + 1) + ".txt";
        chain.files.push_back({"c" + n + ".txt", {"RE " + next, "SA c" + n + ".mus"}});
        chain.not_written.push_back("c" + n + ".mus");
        if (k <= 6) chain.notices.push_back("*** RE " + next + ": the rest of c" + n + ".txt was not read.");
    }
    chain.files.push_back({"m.txt", {"RE c1.txt", "SA out.mus"}});
    chain.notices.push_back("*** RE c1.txt: the rest of m.txt was not read.");
    chain.not_written.push_back("out.mus");
    rows.push_back(chain);

    for (const bool own_process : {false, true}) {
        for (const NestRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (own_process ? " console_file" : " piped"));
            core::reset_engine();
            // Each row in a folder of its own files: a document left by another would ask to
            // be written over.
            for (const auto& entry : fs::directory_iterator(temp_.root())) {
                const std::string ext = entry.path().extension().string();
                if (ext == ".mus" || ext == ".txt") fs::remove(entry.path());
            }
            for (const auto& [name, lines] : row.files) write(name, lines);
            const std::vector<std::string> lines = {
                "EI", "8 1 0", "1 1 20 5 5 0 4", "EI", "SA a.mus", "RE m.txt"};
            const std::string out = own_process ? run_console_file(temp_.root(), lines)
                                                : run_console_script(lines);
            for (const auto& doc : row.written) EXPECT_TRUE(exists(doc)) << doc << "\n" << out;
            for (const auto& doc : row.not_written) EXPECT_FALSE(exists(doc)) << doc << "\n" << out;
            for (const auto& notice : row.notices) EXPECT_EQ(nested_notice_count(out, notice), 1u) << notice << "\n" << out;
            for (const auto& never : row.never_said) EXPECT_EQ(out.find(never), std::string::npos) << never << "\n" << out;
        }
    }
}

// The file being read is taken and named whole, whatever its length up to the longest name a
// folder holds, and a letter of several bytes is never cut.
TEST_F(NestedCommandFilesConsoleTest, ReadingNamesTheWholeFileName) {
    std::string longest;
    while (longest.size() < 120) longest += "\xC3\xBC";  // "ü"
    longest += "-end.txt";
    ASSERT_EQ(longest.size(), 128u);
    // The 25th byte is the first of a two-byte letter.
    const std::string split = "abcdefghijklmnopqrstuvwx\xC3\xA9-name.txt";
    // Past 128 bytes: plain letters, a letter across the 128th byte, and a name a folder
    // holds only just.
    const std::string past_128 = std::string(125, 'c') + ".txt";
    const std::string split_at_128 = std::string(127, 'c') + "\xC3\xA9.txt";
    std::string longest_held;
    while (longest_held.size() < 250) longest_held += "\xC3\xA9";
    longest_held += "-ends";
    ASSERT_EQ(past_128.size(), 129u);
    ASSERT_EQ(longest_held.size(), 255u);
    for (const std::string& name : {split, longest, past_128, split_at_128, longest_held}) {
        for (const bool own_process : {false, true}) {
            SCOPED_TRACE(name + (own_process ? " console_file" : " piped"));
            core::reset_engine();
            fs::remove(temp_.root() / "p.mus");
            // A file whose lines say nothing: its "Reading" line stays the reply.
            write(name, {"% nothing"});
            const std::vector<std::string> lines = {"EI", "8 1 0", "X", "RE " + name, "SA p.mus"};
            const std::string out =
                own_process ? run_console_file(temp_.root(), lines) : run_console_script(lines);
            EXPECT_EQ(nested_notice_count(out, "Reading: " + name), 1u) << out;
            EXPECT_TRUE(exists("p.mus")) << out;
        }
    }
}

}  // namespace
