// The PostScript and EPS document writer: the header comments, the header and footer boxes,
// the font trailer and the measured box, rotation, batches into one output and the
// write-error rule, each file read back and run through Ghostscript.
#include "output/ps_document.h"

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "engine/commands/files/file_commands.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/numeric.h"
#include "engine/layout/staves/measure_command.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "output/batch_list.h"
#include "output/output_choice.h"
#include "output/output_hooks.h"
#include "output/tables.h"
#include "tests/core/interpreter_fixture.h"
#include "tests/output/ps_check.h"
#include "tests/support/fake_lp.h"
#include "tests/support/file_size_limit.h"

namespace {

namespace fs = std::filesystem;
using ps_check::count_of;
using ps_check::lines_of;
using ps_check::read_text;

class PsDocumentTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        bind_output_lists();
        enter_items_without_editing();
        // Where the measuring or the placing is not built yet, a box around the page's items.
        for (int k = 1; k <= 4; ++k) layout::MeasuredBox(k) = kBox[k - 1];
        const float placed[4] = {30.0f, 500.0f, 300.0f, 760.0f};
        for (int k = 1; k <= 4; ++k) output::PrintParameters.print_bounding_box(k) = placed[k - 1];
    }

    // The print with the dialog skipped ("PRPS"), finished as the P words finish it.
    void print_without_dialog() {
        core::CommandLine.set("PRPS");
        output::print_postscript();
        output::finish_ps_document();
    }

    // A page of one note and a text item ("Hi").
    void note_and_text_page() {
        type_all({"8 1 0", "1 1 10 5 0 0 4"});
        render::EditTextBuffer.set("_00Hi");
        type("16 1 20 5 0 1 0 0 0 0 0 5");
        ASSERT_EQ(core::ItemCount, 3);
    }

    static fs::path eps() { return fs::current_path() / "eps.eps"; }

    // The Print Setup's answer for a batch of the typed names (CR between them) to an EPS file:
    // one output for all (naming 1) or a file per document (0), the default settings.
    static ScriptedFrontEnd::DialogAnswer batch_answer(int32_t naming, const std::string& name,
                                                       const std::string& names) {
        ScriptedFrontEnd::DialogAnswer answer;
        answer.words.assign(24, 0);
        answer.words[output::kOutputToPort] = output::kToFile;
        answer.words[output::kBatchPrinting] = output::kBatchTyped;
        answer.words[output::kResolution] = 600;
        answer.words[output::kLineWidth] = 4;
        answer.words[output::kPaperType] = 1;
        answer.words[output::kBatchNaming] = naming;
        answer.words[output::kKeepOutputName] = 1;
        answer.reals = {1.0f, 0.5f, 0.75f};
        answer.name = name;
        answer.text = names;
        return answer;
    }

    // Ghostscript reads the file without a word on stderr.
    static void expect_gs_clean(const fs::path& file) {
        const auto run = ps_check::run_gs(file, "nullpage");
        EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
        EXPECT_EQ(run.err, "");
    }

    // Whether the page is measured for real: a stand-in measure leaves the box it was given.
    static bool page_is_measured() {
        core::Array1<int32_t, 4> kept = layout::MeasuredBox;
        for (int k = 1; k <= 4; ++k) layout::MeasuredBox(k) = k;
        core::Array1<int32_t, 4> box_kept = output::PrintBox;
        output::measure_print_box();
        bool changed = false;
        for (int k = 1; k <= 4; ++k) changed = changed || layout::MeasuredBox(k) != k;
        layout::MeasuredBox = kept;
        output::PrintBox = box_kept;
        return changed;
    }

    // What Ghostscript draws lies inside the declared box (once the page is measured: the
    // box given in its place is no measure of the drawing).
    static void expect_drawing_inside_box(const fs::path& file) {
        if (!page_is_measured()) return;
        const auto declared = ps_check::declared_box(file);
        for (const auto& b : ps_check::gs_bboxes(file)) {
            if (b.x2 <= b.x1) continue;  // nothing drawn
            EXPECT_GE(b.x1, declared.x1 - 0.5);
            EXPECT_GE(b.y1, declared.y1 - 0.5);
            EXPECT_LE(b.x2, declared.x2 + 0.5);
            EXPECT_LE(b.y2, declared.y2 + 0.5);
        }
    }

    static constexpr int32_t kBox[4] = {2500, -3000, 9000, 2500};
};

TEST_F(PsDocumentTest, NotePageWithoutTheDialogIsAnEpsFileGhostscriptReads) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    print_without_dialog();
    ASSERT_TRUE(fs::exists(eps()));
    const auto lines = lines_of(eps());
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "%!PS-Adobe-2.0 EPSF-1.2");
    EXPECT_EQ(lines[1], "%%Creator: ORMESTAL (tm) Ver. 5.00");
    EXPECT_EQ(lines[2].size(), 137u);
    EXPECT_EQ(lines[2].rfind("%%Title: ", 0), 0u);
    EXPECT_EQ(lines[3].size(), 42u);
    EXPECT_EQ(lines[3].rfind("%%BoundingBox: ", 0), 0u);
    EXPECT_EQ(lines[4], "%%DocumentFonts: (atend)");
    // The first box stays, not a cut measure.
    const auto& first = output::PrintParameters.print_bounding_box;
    const auto i5 = [](double v) { return core::format_int("(1i5)", static_cast<int32_t>(v)); };
    EXPECT_EQ(lines[3], "%%BoundingBox: " + i5(static_cast<int32_t>(first(1)) - 1) + "  " +
                            i5(first(2)) + "  " + i5(static_cast<int32_t>(first(3)) + 4) + "  " +
                            i5(static_cast<int32_t>(first(4)) + 4) + " ");
}

// A job killed while it is written must not leave the last good file cut off: until the job
// is finished the file named is the old one, and only the finished job (its box measured and
// written in) takes its place.
TEST_F(PsDocumentTest, TheLastFileStaysWholeUntilTheJobIsFinished) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    print_without_dialog();
    const std::string last_job = read_text(eps());
    type_all({"1 1 12 5 0 0 4"});
    core::CommandLine.set("PRPS");
    output::print_postscript();
    EXPECT_TRUE(core::unit_is_open(render::kPostScriptUnit));
    EXPECT_EQ(read_text(eps()), last_job);
    output::finish_ps_document();
    const std::string job = read_text(eps());
    EXPECT_NE(job, last_job);
    EXPECT_NE(job.find("showpage"), std::string::npos);
    expect_gs_clean(eps());
    for (const auto& e : fs::directory_iterator(fs::current_path()))
        EXPECT_NE(e.path().filename().string().rfind(".~ormest", 0), 0u) << e.path();
}

TEST_F(PsDocumentTest, HeaderAndFooterEscapeTheNameAndTextAndGhostscriptRunsThem) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    // 26 characters that end on a backslash and hold a lone "(", then more that are cut.
    const std::string name = "x(" + std::string(23, 'y') + "\\" + "zzz";
    core::CurrentFileName.set(name);
    output::PrintParameters.header_footer_text.set("p(r)oj\\ect");
    output::OutputSettings.header_footer = 3;
    print_without_dialog();
    const std::string text = read_text(eps());
    EXPECT_EQ(count_of(text, "m(KELDA File:)sh"), 2);
    EXPECT_NE(text.find(" 20  779 m 590  779 l 590  768 l 20  768 l closepath"), std::string::npos);
    EXPECT_NE(text.find(" 20   26 m 590   26 l 590   15 l 20   15 l closepath"), std::string::npos);
    EXPECT_NE(text.find(" m(x\\(" + std::string(23, 'y') + "\\\\)sh 241"), std::string::npos);
    EXPECT_NE(text.find(" m(p\\(r\\)oj\\\\ect        )sh"), std::string::npos);
    expect_gs_clean(eps());
    const auto [page, empty] = ps_check::stack_depths(eps());
    EXPECT_EQ(page, empty);
}

TEST_F(PsDocumentTest, FooterOnlyWritesOneBoxAtItsBaseline) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    output::OutputSettings.header_footer = 2;
    output::OutputSettings.footer_baseline = 40;
    print_without_dialog();
    const std::string text = read_text(eps());
    EXPECT_EQ(count_of(text, "m(KELDA File:)sh"), 1);
    EXPECT_NE(text.find(" 20   40 m 590   40 l"), std::string::npos);
    expect_gs_clean(eps());
}

TEST_F(PsDocumentTest, TextGivesTheFontTrailerAndTheMeasuredBox) {
    note_and_text_page();
    print_without_dialog();
    const auto lines = lines_of(eps());
    const std::string text = read_text(eps());
    ASSERT_NE(text.find("%%Trailer"), std::string::npos);
    const std::size_t fonts = text.find("\n%%DocumentFonts: ", text.find("%%Trailer"));
    ASSERT_NE(fonts, std::string::npos);
    EXPECT_NE(text[fonts + 18], '\n');  // a name follows
    // The trailer ends the prolog's dictionary and save as well as the page's.
    EXPECT_NE(text.find("showpage\nr restore\nend\nend\nrestore\n"), std::string::npos);
    // The box written over the first: the measured items by the margins, in points.
    const auto& st = output::PostScriptState;
    const auto nint = [](double v) { return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5); };
    const double spu = st.scale_per_unit;
    std::string numbers = std::to_string(nint((output::PrintBox(1) + st.lmar) * spu) - 1) + " " +
                          std::to_string(nint((output::PrintBox(2) + st.bmar) * spu) - 1) + " " +
                          std::to_string(nint((output::PrintBox(3) + st.lmar) * spu) + 1) + " " +
                          std::to_string(nint((output::PrintBox(4) + st.bmar) * spu) + 1) + " ";
    numbers.resize(27, ' ');
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[3], "%%BoundingBox: " + numbers);
    expect_gs_clean(eps());
    expect_drawing_inside_box(eps());
    const auto [page, empty] = ps_check::stack_depths(eps());
    EXPECT_EQ(page, empty);
}

// A placed EPS figure on a page with text is drawn in the page's own points: the font prolog
// lies beneath the page's graphics state, so the figure's wrapper still steps out to it. A
// 100-point square stands 100 points tall, not shrunk into display units at the paper's
// corner.
TEST_F(PsDocumentTest, AFigureOnAPageWithTextKeepsItsSizeAndPlace) {
    std::ofstream(fs::current_path() / "sq.eps")
        << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n"
           "newpath 0 0 moveto 100 0 lineto 100 100 lineto 0 100 lineto closepath fill\n";
    note_and_text_page();
    fe_.answer_dialog(1, "sq.eps");
    type("15 1 100 2 1 1 0 0 0 0 0 0 1");
    print_without_dialog();
    const auto boxes = ps_check::gs_bboxes(eps());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_GT(boxes[0].x1, 30.0);
    EXPECT_GT(boxes[0].y2 - boxes[0].y1, 95.0);
    EXPECT_LT(boxes[0].y2 - boxes[0].y1, 110.0);
    const std::string text = read_text(eps());
    EXPECT_LT(text.find("fmdict"), text.find(" g KELDA"));
}

TEST_F(PsDocumentTest, ABoxTooWideForItsColumnsLeavesTheLineWhole) {
    note_and_text_page();
    // At 30,000 times the size the measured numbers no longer fit the 27 columns.
    output::OutputSettings.size = 30000.0f;
    print_without_dialog();
    const auto lines = lines_of(eps());
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[3].size(), 42u);
    EXPECT_EQ(lines[3].rfind("%%BoundingBox: ", 0), 0u);
    EXPECT_EQ(lines[4], "%%DocumentFonts: (atend)");
    // The first box stays, not a cut measure.
    const auto& first = output::PrintParameters.print_bounding_box;
    const auto i5 = [&first](int k, int32_t add) {
        return core::format_int("(1i5)", static_cast<int32_t>(first(k)) + add);
    };
    EXPECT_EQ(lines[3], "%%BoundingBox: " + i5(1, -1) + "  " + i5(2, 0) + "  " + i5(3, 4) + "  " +
                            i5(4, 4) + " ");
}

TEST_F(PsDocumentTest, TheTitleHoldsTheNameUpTo128CharactersOrItsFirstControlCharacter) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    const std::string name = std::string(127, 'a') + "bc";
    core::CurrentFileName.set(name);
    print_without_dialog();
    auto lines = lines_of(eps());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "%%Title: " + name.substr(0, 128));
    core::CurrentFileName.set("ab\tcd");
    print_without_dialog();
    lines = lines_of(eps());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "%%Title: ab" + std::string(126, ' '));
}

TEST_F(PsDocumentTest, RotationTurnsThePageAndItsBox) {
    note_and_text_page();
    print_without_dialog();
    const auto upright = ps_check::declared_box(eps());
    output::OutputSettings.rotate = 1;
    print_without_dialog();
    const std::string text = read_text(eps());
    EXPECT_NE(text.find(" newpath /KELDA  {\n 612 -6 tr 90 rotate\n"), std::string::npos);
    const auto turned = ps_check::declared_box(eps());
    EXPECT_NEAR(turned.x2 - turned.x1, upright.y2 - upright.y1, 1.0);
    EXPECT_NEAR(turned.y2 - turned.y1, upright.x2 - upright.x1, 1.0);
    expect_gs_clean(eps());
    expect_drawing_inside_box(eps());
}

TEST_F(PsDocumentTest, ThreeDocumentsBatchedIntoOneOutputAreThreePages) {
    note_and_text_page();
    for (const char* name : {"one.mus", "two.mus", "three.mus"}) {
        type(std::string("SA ") + name);
        ASSERT_TRUE(fs::exists(name)) << name;
    }
    core::MessageLine.set("one.mus\rtwo.mus\rthree.mus");
    core::CommandLine.blank();
    if (output::build_batch_list(output::kBatchTyped) != 3) GTEST_SKIP() << "no batch list yet";
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus\rtwo.mus\rthree.mus"));
    core::CommandLine.set("PR");
    output::print_postscript();
    const fs::path book = fs::current_path() / "book.eps";
    ASSERT_TRUE(fs::exists(book));
    EXPECT_FALSE(core::unit_is_open(render::kPostScriptUnit));
    const std::string text = read_text(book);
    EXPECT_EQ(count_of(text, "%!PS-Adobe-2.0         \n"), 3);
    EXPECT_EQ(count_of(text, "%%Pages:   3\n"), 3);
    // Each document's box was written over its own first box, the line kept whole.
    EXPECT_EQ(count_of(text, "%%Trailer\n"), 3);
    int boxes = 0;
    for (const auto& line : lines_of(book)) {
        if (line.rfind("%%BoundingBox: ", 0) != 0) continue;
        ++boxes;
        EXPECT_EQ(line.size(), 42u);
        EXPECT_EQ(line.find("  500  "), std::string::npos) << line;  // not the first box
    }
    EXPECT_EQ(boxes, 3);
    EXPECT_EQ(ps_check::gs_bboxes(book).size(), 3u);
    expect_gs_clean(book);
    const auto [page, empty] = ps_check::stack_depths(book);
    EXPECT_EQ(page, empty);
}

TEST_F(PsDocumentTest, ABatchWithoutOneOutputWritesAnEpsFilePerDocument) {
    type("SA one.mus");
    type("SA two.mus");
    core::MessageLine.set("one.mus\rtwo.mus");
    core::CommandLine.blank();
    if (output::build_batch_list(output::kBatchTyped) != 2) GTEST_SKIP() << "no batch list yet";
    fe_.answer_dialog(batch_answer(0, "unused.eps", "one.mus\rtwo.mus"));
    core::CommandLine.set("PR");
    output::print_postscript();
    for (const char* name : {"one.eps", "two.eps"}) {
        ASSERT_TRUE(fs::exists(name)) << name;
        const auto lines = lines_of(name);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[3].rfind("%%BoundingBox: ", 0), 0u) << name;  // no %%Pages line
        EXPECT_EQ(ps_check::gs_bboxes(name).size(), 1u) << name;
        expect_gs_clean(name);
    }
    EXPECT_FALSE(fs::exists("unused.eps"));
}

// A batch started by "PR" is finished once: no write error after the good job, and the reply
// says where it went.
TEST_F(PsDocumentTest, ABatchStartedByPrIsFinishedOnceAndToldOf) {
    note_and_text_page();
    type("SA one.mus");
    type("SA two.mus");
    core::DocumentStarted = 1;
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus\rtwo.mus"));
    type("PR");
    EXPECT_FALSE(shown("Error writing PostScript")) << fe_.message_boxes.size();
    EXPECT_EQ(reply(), "Output to file - book.eps");
    ASSERT_TRUE(fs::exists("book.eps"));
    EXPECT_EQ(count_of(read_text("book.eps"), "showpage\n"), 2);
    expect_gs_clean("book.eps");
    const auto [page, empty] = ps_check::stack_depths("book.eps");
    EXPECT_EQ(page, empty);

    // One file for each document: the reply counts them.
    fe_.answer_dialog(batch_answer(0, "unused.eps", "one.mus\rtwo.mus"));
    type("PR");
    EXPECT_FALSE(shown("Error writing PostScript"));
    EXPECT_EQ(reply(), "Output to 2 EPS files, one for each document.");
    EXPECT_TRUE(fs::exists("one.eps"));
    EXPECT_TRUE(fs::exists("two.eps"));
}

// A batch for the printer is one job handed to lp, as a page is.
TEST_F(PsDocumentTest, ABatchForThePrinterGoesToLpAsOneJob) {
    note_and_text_page();
    type("SA one.mus");
    type("SA two.mus");
    core::DocumentStarted = 1;
    FakeLp lp(dir_ / "bin", 0);
    auto answer = batch_answer(0, "LPT1", "one.mus\rtwo.mus");
    answer.words[output::kOutputToPort] = output::kToPort;
    fe_.answer_dialog(answer);
    type("PR");
    EXPECT_FALSE(shown("Error writing PostScript"));
    EXPECT_EQ(reply(), "Output to LPT1.");
    ASSERT_EQ(lp.args().size(), 1u);
    const std::string job = lp.job();
    EXPECT_EQ(count_of(job, "%%Page: "), 2);
    EXPECT_EQ(count_of(job, "showpage\n"), 2);
    EXPECT_FALSE(fs::exists("one.eps"));
}

// A page for the USB printer goes to lp through the work folder: the reply names the printer,
// not the work file on its way there.
TEST_F(PsDocumentTest, AUsbPrinterJobIsToldAsThePrinters) {
    note_and_text_page();
    FakeLp lp(dir_ / "bin", 0);
    auto answer = batch_answer(0, "LPT1", "");
    answer.words[output::kBatchPrinting] = 0;
    answer.words[output::kOutputToPort] = output::kToUsb;
    fe_.answer_dialog(answer);
    type("PR");
    EXPECT_EQ(reply(), "Output to the USB printer.");
    EXPECT_EQ(lp.args().size(), 1u);
}

// The batch loads its documents over the page: unsaved changes are asked about first ("No"
// keeps the page and writes nothing), as a load asks.
TEST_F(PsDocumentTest, ABatchAsksBeforeItDropsUnsavedChanges) {
    note_and_text_page();
    type("SA one.mus");
    core::DocumentStarted = 1;
    type("1 1 60 7 0 0 4");  // an unsaved change
    const int32_t items = core::ItemCount;
    ASSERT_NE(core::ChangesMadeFlag, 0);
    fe_.answer_yes_no(0);  // No
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus"));
    type("PR");
    EXPECT_FALSE(fe_.questions.empty());
    EXPECT_EQ(core::ItemCount, items);
    EXPECT_FALSE(fs::exists("book.eps"));

    // The message line says what became of the batch, not the names typed for it.
    EXPECT_EQ(core::MessageLine.trimmed(),
              "Batch printing cancelled: the page and its unsaved changes are kept.");

    fe_.answer_yes_no(-1);  // Yes
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus"));
    type("PR");
    EXPECT_TRUE(fs::exists("book.eps"));
    EXPECT_EQ(core::ItemCount, items - 1);  // one.mus is on the page now
}

// The batch loads its documents through the file commands' load, which reset_engine hands the
// output. A document that does not load ends the batch there, what was written kept whole; with
// no load handed over, the batch stops at its first document and writes nothing.
TEST_F(PsDocumentTest, ABatchStopsAtTheFirstDocumentItCannotLoad) {
    EXPECT_EQ(output::OutputHooks.load_document_file, &core::load_document_file);
    note_and_text_page();
    type("SA one.mus");
    core::DocumentStarted = 1;
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus\rmissing.mus\rone.mus"));
    type("PR");
    EXPECT_TRUE(shown("Leaving Batch Printing."));
    ASSERT_TRUE(fs::exists("book.eps"));
    EXPECT_FALSE(core::unit_is_open(render::kPostScriptUnit));
    EXPECT_EQ(count_of(read_text("book.eps"), "%%Page: "), 1);
    EXPECT_EQ(count_of(read_text("book.eps"), "%%Pages:   1\n"), 1) << read_text("book.eps");
    expect_gs_clean("book.eps");

    // Stopped at its third document: both headers written count the two pages, not the first
    // header's three.
    fs::remove("book.eps");
    type("SA two.mus");
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus\rtwo.mus\rmissing.mus"));
    type("PR");
    ASSERT_TRUE(fs::exists("book.eps"));
    EXPECT_EQ(count_of(read_text("book.eps"), "%%Page: "), 2);
    EXPECT_EQ(count_of(read_text("book.eps"), "%%Pages:   2\n"), 2) << read_text("book.eps");
    EXPECT_EQ(count_of(read_text("book.eps"), "%%Pages:   3\n"), 0);
    EXPECT_EQ(ps_check::gs_bboxes("book.eps").size(), 2u);
    expect_gs_clean("book.eps");

    const auto load = output::OutputHooks.load_document_file;
    output::OutputHooks.load_document_file = nullptr;
    fs::remove("book.eps");
    fe_.message_boxes.clear();
    const std::vector<float> before = page();
    fe_.answer_dialog(batch_answer(1, "book.eps", "one.mus"));
    type("PR");
    output::OutputHooks.load_document_file = load;
    EXPECT_TRUE(shown("Leaving Batch Printing."));
    EXPECT_FALSE(fs::exists("book.eps"));
    EXPECT_EQ(page(), before);
}

TEST_F(PsDocumentTest, AWriteErrorIsToldOnceAndNothingMoreIsWritten) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    std::ofstream(eps(), std::ios::binary) << "%!PS-Adobe-2.0 EPSF-1.2\n% the last good job\n";
    const std::string last_job = read_text(eps());
    output::OutputSettings.header_footer = 3;
    // The file may not grow past 300 bytes: the prolog's writes fail.
    FileSizeLimit limit(300);
    ASSERT_TRUE(limit.applied());
    print_without_dialog();
    limit.lift();
    int told = 0;
    for (const auto& m : fe_.message_boxes)
        told += m.find("Error writing PostScript to file or device.") != std::string::npos;
    EXPECT_EQ(told, 1);
    EXPECT_EQ(core::CommandModeLetters(1), 'B');
    EXPECT_FALSE(core::unit_is_open(render::kPostScriptUnit));
    // The cut-off job replaced nothing: the last good file is whole and nothing is left beside it.
    EXPECT_EQ(read_text(eps()), last_job);
    for (const auto& e : fs::directory_iterator(fs::current_path()))
        EXPECT_NE(e.path().filename().string().rfind(".~ormest", 0), 0u) << e.path();
}

TEST_F(PsDocumentTest, JobPathsArePrinterWorkFilesOrTheNamedFile) {
    output::OutputFileName.set("LPT1");
    EXPECT_EQ(output::job_output_path(), platform::work_file("printjob.ps"));
    output::OutputFileName.set("lpt1:");
    EXPECT_EQ(output::job_output_path(), platform::work_file("printjob.ps"));
    output::OutputFileName.set("\\\\server\\queue");
    EXPECT_EQ(output::job_output_path(), platform::work_file("printjob.ps"));
    output::OutputFileName.set("\\!TMP\\USBX.EPS");
    EXPECT_EQ(output::job_output_path(), platform::work_file("USBX.EPS"));
    output::OutputFileName.set("My Page.Eps");
    EXPECT_EQ(fs::path(output::job_output_path()), fs::current_path() / "My Page.Eps");
    const std::string whole = std::string(70, 'n') + ".eps";
    output::OutputFileName.set(whole);
    EXPECT_EQ(fs::path(output::job_output_path()).filename(), whole);
}

TEST_F(PsDocumentTest, EpsItemsGetTheWritersPageValues) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    output::OutputSettings.size = 2.0f;
    core::CommandLine.set("PRPS");
    output::print_postscript();
    render::RenderHooksRecord::EpsPageValues v;
    v.staff_base_units = 1000.0f;
    output::eps_page_values(v);
    EXPECT_FLOAT_EQ(v.points_per_unit, 0.036f);
    EXPECT_FLOAT_EQ(v.left_margin, output::PostScriptState.lmar * 0.036f);
    EXPECT_FLOAT_EQ(v.bottom_margin, output::PostScriptState.bmar * 0.036f);
    EXPECT_FLOAT_EQ(v.staff_base_points, 36.0f);
    // lmar = trunc(100 / 2 + trunc(0.5 x 4000 / 2)), bmar = trunc(250 / 2 + trunc(0.75 x 2000 +
    // 24000)).
    EXPECT_EQ(output::PostScriptState.lmar, 1050);
    EXPECT_EQ(output::PostScriptState.bmar, 25625);
    // Once the job is finished an EPS item drawn for the screen keeps the screen's values.
    output::finish_ps_document();
    render::RenderHooksRecord::EpsPageValues screen;
    output::eps_page_values(screen);
    EXPECT_FLOAT_EQ(screen.base_width, 1.0f);
    EXPECT_FLOAT_EQ(screen.left_margin, 0.0f);
}

TEST_F(PsDocumentTest, ResolutionAndSizeOfZeroStandForTheDefaults) {
    type_all({"8 1 0", "1 1 10 5 0 0 4"});
    output::OutputSettings.size = 0.0f;
    output::OutputSettings.resolution = 0;
    print_without_dialog();
    EXPECT_FLOAT_EQ(output::PostScriptState.scale_per_unit, 0.018f);
    EXPECT_NEAR(output::PostScriptState.width_factor, 4000.0f / 600.0f + 0.01f, 1e-4f);
    expect_gs_clean(eps());
}

}  // namespace
