// The P words through the interpreter: the page toggle and its limits, page settings, the
// current folder, the folder slots of "!path.tmp", print and batch jobs, and where a finished
// job is reported to have gone.
#include "output/p_commands.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "engine/core/files/document_tables.h"
#include "output/ps_document.h"
#include "output/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/support/fake_lp.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {

class PCommandsTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        // A document in progress: the first command would otherwise start a new one.
        core::DocumentStarted = 1;
        enter_items_without_editing();
    }
    // Staff numbers of every item, in store order.
    static std::vector<int> staves() {
        std::vector<int> s;
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            s.push_back(static_cast<int>(core::ItemStore(core::ItemStartTable(k) + 2)));
        return s;
    }
    // A staff item as the number line "8 staff 0" makes it.
    void add_staff(int staff) { type("8 " + std::to_string(staff) + " 0"); }

    // "!path.tmp" as lines (without their ends).
    static std::vector<std::string> path_file_lines() {
        std::ifstream in(platform::work_file("!path.tmp"), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    static void write_path_file(const std::vector<std::string>& lines) {
        std::ofstream out(platform::work_file("!path.tmp"), std::ios::binary);
        for (const std::string& l : lines) out << l << '\n';
    }
    // The Path List answered with slot chosen and its folder typed.
    void choose_slot(int32_t slot, const std::string& name) {
        ScriptedFrontEnd::DialogAnswer a;
        a.name = name;
        a.words = {slot};
        fe_.answer_dialog(a);
    }
    static fs::path cwd() { return fs::current_path(); }
    bool any_unknown_word() const { return holds(fe_.message_boxes, "unknown word"); }
};

TEST_F(PCommandsTest, PageToggleMovesEveryStaffToTheOtherPageAndBack) {
    for (int k = 1; k <= 10; ++k) add_staff(k);
    type("PGR");
    std::vector<int> other;
    for (int k = 201; k <= 210; ++k) other.push_back(k);
    EXPECT_EQ(staves(), other);
    EXPECT_EQ(core::ChangesMadeFlag, 1);
    type("PGR");
    std::vector<int> back;
    for (int k = 1; k <= 10; ++k) back.push_back(k);
    EXPECT_EQ(staves(), back);
    EXPECT_FALSE(shown("Some items already on other page."));
}

TEST_F(PCommandsTest, PageToggleRefusesItemsOnBothPages) {
    for (int k = 1; k <= 10; ++k) add_staff(k);
    type("PGR");
    add_staff(60);
    const std::vector<float> before = page();
    type("PGR");
    EXPECT_TRUE(shown("Some items already on other page."));
    EXPECT_EQ(page(), before);
}

TEST_F(PCommandsTest, PageToggleStopsAtTheStaffLimit) {
    // 56 + 200 is the last staff there is; 57 would pass it.
    add_staff(56);
    type("PGR");
    EXPECT_EQ(staves(), std::vector<int>{256});
    type("PGR");
    add_staff(57);
    const std::vector<float> before = page();
    type("PGR");
    EXPECT_TRUE(shown("nothing moved"));
    EXPECT_EQ(page(), before);
}

TEST_F(PCommandsTest, PageSettingSlotsOneToTwentySix) {
    type("PS* 4 2.5");
    EXPECT_FLOAT_EQ(output::PageSettingSlots(4), 2.5f);
    EXPECT_EQ(core::MessageLine.sub(15, 26), "saved for PG");
    type("PS* 26 1");
    EXPECT_FLOAT_EQ(output::PageSettingSlots(26), 1.0f);
    EXPECT_FALSE(shown("slot must be"));
    type("PS* 1 7");
    EXPECT_FLOAT_EQ(output::PageSettingSlots(1), 7.0f);

    const auto kept = output::PageSettingSlots;
    type("PS* 27 1");
    EXPECT_TRUE(shown("**** Page setting slot must be 1 to 26."));
    fe_.message_boxes.clear();
    type("PS* 0 3");
    EXPECT_TRUE(shown("**** Page setting slot must be 1 to 26."));
    for (int k = 1; k <= 26; ++k) EXPECT_EQ(output::PageSettingSlots(k), kept(k)) << k;
}

TEST_F(PCommandsTest, PointsUnitSetsTheMetricFlag) {
    type("POI");
    EXPECT_EQ(core::MetricFlag, 2);
}

TEST_F(PCommandsTest, PathShowsAndChangesTheFolderAsTyped) {
    const fs::path start = cwd();
    type("PATH");
    EXPECT_EQ(reply(), "Path = " + start.string());

    fs::create_directory(dir_ / "Music");
    type("PATH Music");
    EXPECT_EQ(cwd(), fs::canonical(dir_ / "Music"));
    EXPECT_EQ(reply(), "Music");
    EXPECT_FALSE(any_unknown_word());

    type("PATH nowhere");
    EXPECT_TRUE(shown("**** Cannot change to folder nowhere"));
    EXPECT_EQ(cwd(), fs::canonical(dir_ / "Music"));

    type("PATH " + (dir_ / "Music").string());
    EXPECT_EQ(cwd(), fs::canonical(dir_ / "Music"));
}

TEST_F(PCommandsTest, MakedirMakesAndEntersTheFolder) {
    type("MAKEDIR New Songs");
    EXPECT_TRUE(fs::is_directory(dir_ / "New Songs"));
    EXPECT_EQ(cwd(), fs::canonical(dir_ / "New Songs"));
    EXPECT_FALSE(any_unknown_word());

    std::ofstream(cwd() / "plain") << "x";
    type("MAKEDIR plain/inner");
    EXPECT_TRUE(shown("**** Cannot make folder plain/inner"));
    EXPECT_EQ(cwd(), fs::canonical(dir_ / "New Songs"));
}

TEST_F(PCommandsTest, PathListSlotChangesThereWithoutTheDialog) {
    fs::create_directory(dir_ / "three");
    std::vector<std::string> lines(9, std::string(1, '\0') + std::string(47, ' '));
    lines[2] = (dir_ / "three").string();
    write_path_file(lines);
    type("PATHX 3");
    EXPECT_TRUE(fe_.dialogs.empty());
    EXPECT_EQ(cwd(), fs::canonical(dir_ / "three"));
    EXPECT_EQ(output::PathSlots.folders(3).c_text(), (dir_ / "three").string());

    // A blank slot shows the folder.
    type("PATHX 4");
    EXPECT_EQ(reply(), "Path = " + cwd().string());
}

TEST_F(PCommandsTest, PathListDialogRewritesTheFileWithNamesWhole) {
    const std::string n47(47, 'a');
    const std::string n48 = std::string(47, 'b') + "B";
    const std::string n60 = std::string(59, 'c') + "C";
    for (const std::string& n : {n47, n48, n60}) fs::create_directory(dir_ / n);

    choose_slot(2, n48);
    type("PATHX");
    ASSERT_EQ(fe_.dialogs, std::vector<std::string>{"Path List"});
    EXPECT_EQ(cwd(), fs::canonical(dir_ / n48));
    std::vector<std::string> lines = path_file_lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1], n48);
    EXPECT_EQ(lines[0], std::string(1, '\0') + std::string(47, ' '));

    fs::current_path(dir_);
    choose_slot(5, n60);
    type("PATHX");
    EXPECT_EQ(cwd(), fs::canonical(dir_ / n60));
    fs::current_path(dir_);
    choose_slot(9, n47);
    type("PATHX 0");
    lines = path_file_lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1], n48);
    EXPECT_EQ(lines[4], n60);
    EXPECT_EQ(lines[8], n47 + '\0');

    // Read back: each name whole, whatever its length.
    fs::current_path(dir_);
    output::reset_output_tables();
    type("PATHX 5");
    EXPECT_EQ(cwd(), fs::canonical(dir_ / n60));
    fs::current_path(dir_);
    type("PATHX 2");
    EXPECT_EQ(cwd(), fs::canonical(dir_ / n48));
    fs::current_path(dir_);
    type("PATHX 9");
    EXPECT_EQ(cwd(), fs::canonical(dir_ / n47));
    EXPECT_EQ(fe_.dialogs.size(), 3u);
}

TEST_F(PCommandsTest, PathListCancelAndShortFile) {
    // Two lines only: the dialog opens even with a slot number, with the slots read.
    write_path_file({"first", "second"});
    fe_.answer_dialog(2);
    const fs::path start = cwd();
    type("PATHX 1");
    EXPECT_EQ(fe_.dialogs.size(), 1u);
    EXPECT_EQ(output::PathSlots.folders(2).c_text(), "second");
    EXPECT_EQ(cwd(), start);
    // Cancel leaves the file as it was.
    EXPECT_EQ(path_file_lines(), (std::vector<std::string>{"first", "second"}));
}

TEST_F(PCommandsTest, TrimNameToNul) {
    core::FixedText<512> name("abc   ");
    output::trim_name_to_nul(name);
    EXPECT_EQ(name(4), '\0');
    EXPECT_EQ(name.c_text(), "abc");
    core::FixedText<512> blank;
    output::trim_name_to_nul(blank);
    EXPECT_TRUE(blank.is_blank());
    core::FixedText<512> full(std::string(512, 'z'));
    output::trim_name_to_nul(full);
    EXPECT_EQ(full(512), 'z');
}

TEST_F(PCommandsTest, PrintJobReportsTheFileAndAnEmptyPageRunsTheBatch) {
    type("PRPS");
    EXPECT_EQ(reply().find("Output to file"), std::string::npos);
    add_staff(1);
    type("PRPS");
    EXPECT_EQ(reply(), "Output to file - eps.eps");
    EXPECT_EQ(output::PrintMark, core::ItemWordsUsed);
    EXPECT_EQ(core::DocumentStarted, 1);
}

TEST_F(PCommandsTest, OutputToAFileKeepsTheNameWhole) {
    const std::string name = "Songs/" + std::string(60, 'x') + ".Eps";
    output::OutputFileName.set(name);
    fs::create_directory("Songs");
    add_staff(1);
    core::CommandLine.set("PRPS");
    core::CommandModeLetters(1) = 0;
    output::print_postscript();  // the page is written; choose_output finishes it
    output::choose_output();
    EXPECT_EQ(reply(), "Output to file - " + name);
    core::MessageLine.blank();
    core::CommandModeLetters(1) = 'B';
    output::choose_output();
    EXPECT_TRUE(reply().empty());
}

// A printer job: the writer's work file goes to lp once it is finished. The writer leaves the
// page open, so that what choose_output does with it is seen apart from the writing; a last
// job's file is there already.
class PrinterOutputTest : public PCommandsTest {
  protected:
    void SetUp() override {
        PCommandsTest::SetUp();
        output::OutputFileName.set("LPT1");
        output::OutputSettings.to_port = output::kToPort;
        job_ = output::job_output_path();
        if (job_.empty()) GTEST_SKIP() << "no work file for printer jobs without the writer";
        std::ofstream(job_, std::ios::binary) << "%!PS-Adobe-2.0\n";
    }
    // Writes the page of one staff up to where choose_output takes over.
    void write_page_for_printer() {
        add_staff(1);
        core::CommandLine.set("PRPS");
        core::CommandModeLetters(1) = 0;
        output::print_postscript();
    }
    std::string job_;
};

TEST_F(PrinterOutputTest, Lpt1GoesToTheDefaultQueue) {
    FakeLp lp(dir_ / "bin", 0);
    write_page_for_printer();
    output::choose_output();
    EXPECT_EQ(reply(), "Output to LPT1.");
    EXPECT_EQ(lp.args(), std::vector<std::string>{job_});
    EXPECT_EQ(lp.job().rfind("%!PS-Adobe-2.0", 0), 0u);
    EXPECT_EQ(lp.job(), read_text(job_));
}

TEST_F(PrinterOutputTest, WithoutLpTheFileStaysAndTheMessageSaysWhere) {
    FakeLp none(dir_ / "empty", -1);
    write_page_for_printer();
    output::choose_output();
    EXPECT_EQ(reply(), "**** No printer took the job: the PostScript is kept in " +
                           platform::shown_path(job_));
    EXPECT_TRUE(fs::exists(job_));
}

// A job whose last buffer cannot be written (the file-size limit stops it, as a full disk
// does) fails only as its file is closed: the error is told, the job is neither reported as
// sent nor handed to lp, and the last job's file stays whole.
TEST_F(PrinterOutputTest, AJobThatFailsAtItsCloseIsNeitherReportedNorPrinted) {
    FakeLp lp(dir_ / "bin", 0);
    add_staff(1);
    FileSizeLimit limit(1000);  // the job's first lines fit; its close cannot write the rest
    if (!limit.applied())
        GTEST_SKIP() << "the file-size limit here cannot be set to a value this test needs";
    type("PRPS");
    limit.lift();
    EXPECT_TRUE(shown("Error writing PostScript to file or device."));
    EXPECT_EQ(reply().find("Output to"), std::string::npos) << reply();
    EXPECT_TRUE(lp.args().empty());
    EXPECT_EQ(read_text(job_), "%!PS-Adobe-2.0\n");

    // Without the limit the same job is written whole and goes to lp.
    core::MessageLine.blank();
    type("PRPS");
    EXPECT_EQ(reply(), "Output to LPT1.");
    EXPECT_EQ(lp.args(), std::vector<std::string>{job_});
    EXPECT_EQ(lp.job(), read_text(job_));
    EXPECT_NE(read_text(job_).find("\nshowpage\n"), std::string::npos);
}

// The hand-over itself, with a job file of its own.
TEST_F(PCommandsTest, PrinterJobHandOver) {
    const std::string job = (dir_ / "job.ps").string();
    std::ofstream(job, std::ios::binary) << "%!PS";
    {
        FakeLp lp(dir_ / "bin", 0);
        EXPECT_TRUE(output::send_job_to_printer(job, "q"));
        EXPECT_EQ(lp.args(), (std::vector<std::string>{"-d", "q", job}));
        EXPECT_EQ(lp.job(), "%!PS");
    }
    {
        FakeLp refusing(dir_ / "bin2", 1);
        core::MessageLine.blank();
        EXPECT_FALSE(output::send_job_to_printer(job, ""));
        EXPECT_EQ(reply(), "**** No printer took the job: the PostScript is kept in " +
                               platform::shown_path(job));
    }
    {
        FakeLp none(dir_ / "empty", -1);
        EXPECT_FALSE(output::send_job_to_printer(job, ""));
        EXPECT_EQ(reply(), "**** No printer took the job: the PostScript is kept in " +
                               platform::shown_path(job));
    }
    EXPECT_TRUE(fs::exists(job));
}

}  // namespace
