// The output choice: what the Print Setup dialog is offered (first use, frozen offsets, the
// proposed EPS name), what its answers become (baselines, target, batch marks), the EPS name
// check and the measuring of the page.
#include "output/output_choice.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files/document_tables.h"
#include "engine/layout/staves/measure_command.h"
#include "output/ps_document.h"
#include "output/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace output;

class OutputChoiceTest : public InterpreterTest {
  protected:
    void SetUp() override {
        InterpreterTest::SetUp();
        bind_output_lists();
        enter_items_without_editing();
        type_all({"8 1 0", "1 1 10 5 0 0 4"});
    }

    // An answer with the first-use values, to the printer, OK.
    static ScriptedFrontEnd::DialogAnswer setup_answer() {
        ScriptedFrontEnd::DialogAnswer a;
        a.words.assign(24, 0);
        a.words[kResolution] = 600;
        a.words[kLineWidth] = 4;
        a.words[kPaperType] = 1;
        a.words[kOutputToPort] = kToPort;
        a.words[kBatchNaming] = 1;
        a.words[kKeepOutputName] = 1;
        a.reals = {1.0f, 0.5f, 0.75f, 0.0f, 0.0f};
        return a;
    }

    // The output choice of a "PR" word; go comes back.
    int32_t choose() {
        core::CommandLine.set("PR");
        int32_t go = -1;
        select_ps_output(go);
        return go;
    }

    int messages_saying(const std::string& text) const {
        int n = 0;
        for (const auto& m : fe_.message_boxes) n += m.find(text) != std::string::npos;
        return n;
    }
};

TEST_F(OutputChoiceTest, EpsNamesPassByTheirExtensionInAnyCaseOrAsNetworkPaths) {
    const struct {
        const char* name;
        int32_t result;
    } cases[] = {
        {"page.eps", 0},     {"PAGE.EPS", 0},      {"page.Eps", 0}, {"a.b.eps", 0},
        {"page.epsx", 1},    {"page.ep", 1},       {"page", 1},     {"", 1},
        {"dir.eps/page", 1}, {"\\\\server\\q", 0}, {"\\server", 1}, {".eps", 0},
    };
    int refused = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(check_eps_name(core::FixedText<512>(c.name)), c.result) << c.name;
        refused += c.result;
    }
    EXPECT_EQ(messages_saying("Output must be to .EPS file."), refused);
    // A name as long as the field passes whole.
    std::string full(508, 'n');
    full += ".eps";
    EXPECT_EQ(check_eps_name(core::FixedText<512>(full)), 0);
}

TEST_F(OutputChoiceTest, FirstPrintProposesThePrinterAtItsDefaults) {
    core::CurrentFileName.set("KELDA.MUS");
    fe_.answer_dialog(2);
    EXPECT_EQ(choose(), 0);
    EXPECT_EQ(core::CommandLine(1), 'X');
    ASSERT_EQ(fe_.dialog_words.size(), 24u);
    EXPECT_EQ(fe_.dialog_words[kOutputToPort], kToPort);
    EXPECT_EQ(fe_.dialog_words[kResolution], 600);
    EXPECT_EQ(fe_.dialog_words[kLineWidth], 4);
    EXPECT_EQ(fe_.dialog_words[kFirstUseWord], 1);
    EXPECT_EQ(fe_.dialog_words[kBatchNaming], 1);
    ASSERT_EQ(fe_.dialog_reals.size(), 24u);
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kSizeFactor], 1.0f);
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kOffsetX], 0.5f);
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kOffsetY], 0.75f);
    EXPECT_EQ(OutputFileName.trimmed(), "LPT1");
    // The name field offers the document's name as EPS, should the user choose a file.
    EXPECT_EQ(fe_.dialog_output_name, "KELDA.EPS");
}

TEST_F(OutputChoiceTest, UntilASetupIsAnsweredTheTargetIsEpsEps) {
    EXPECT_EQ(OutputFileName.trimmed(), "eps.eps");
    core::CommandLine.set("PRPS");
    int32_t go = 0;
    select_ps_output(go);
    EXPECT_EQ(go, 1);
    EXPECT_TRUE(fe_.dialogs.empty());
    EXPECT_EQ(fs::path(job_output_path()), fs::current_path() / "eps.eps");
}

TEST_F(OutputChoiceTest, HeaderAndFooterOffsetsGiveTheBaselines) {
    auto a = setup_answer();
    a.reals[kHeaderOffset] = -0.18f;
    a.reals[kFooterOffset] = 0.18f;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_EQ(OutputSettings.header_baseline, 779);
    EXPECT_EQ(OutputSettings.footer_baseline, 26);
    a.reals[kHeaderOffset] = -0.5f;
    a.reals[kFooterOffset] = 0.5f;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_EQ(OutputSettings.header_baseline, 756);
    EXPECT_EQ(OutputSettings.footer_baseline, 49);
    // 0.0 stands for the default places.
    a.reals[kHeaderOffset] = 0.0f;
    a.reals[kFooterOffset] = 0.0f;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_EQ(OutputSettings.header_baseline, 779);
    EXPECT_EQ(OutputSettings.footer_baseline, 26);
}

TEST_F(OutputChoiceTest, FrozenOffsetsAreOfferedAgainAndOthersReset) {
    auto a = setup_answer();
    a.words[kFreezeOffsets] = 1;
    a.reals[kOffsetX] = 1.25f;
    a.reals[kOffsetY] = 2.0f;
    a.header = "Frozen text";
    a.words[kHeaderFooterMode] = 1;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_FLOAT_EQ(PrintParameters.engine_offsets(1), 1.25f);
    EXPECT_EQ(PrintParameters.header_footer_text.trimmed(), "Frozen text");
    fe_.answer_dialog(2);
    choose();
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kOffsetX], 1.25f);
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kOffsetY], 2.0f);
    EXPECT_EQ(fe_.dialog_header, "Frozen text");
    // Once the dialog has given it back the text leaves the buffer, which the window would
    // otherwise take for the next command and show as the reply.
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    core::CommandLine.set("PRPS");
    int32_t go = 0;
    select_ps_output(go);
    EXPECT_TRUE(core::FrontEndCommandBuffer.is_blank());
    // Unfrozen: the next dialog offers the default offsets.
    a.words[kFreezeOffsets] = 0;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    fe_.answer_dialog(2);
    choose();
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kOffsetX], 0.5f);
    EXPECT_FLOAT_EQ(fe_.dialog_reals[kOffsetY], 0.75f);
}

TEST_F(OutputChoiceTest, MetricOffsetsAreShownAndTakenInCentimetres) {
    core::MetricFlag = 1;
    auto a = setup_answer();
    a.words[kMetricUnits] = 1;
    a.reals[kOffsetX] = 2.54f;
    a.reals[kOffsetY] = 5.08f;
    a.words[kFreezeOffsets] = 1;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_NEAR(PrintParameters.engine_offsets(1), 1.0f, 1e-5f);
    EXPECT_NEAR(PrintParameters.engine_offsets(2), 2.0f, 1e-5f);
    fe_.answer_dialog(2);
    choose();
    EXPECT_NEAR(fe_.dialog_reals[kOffsetX], 2.54f, 1e-5f);
}

TEST_F(OutputChoiceTest, AFileThatIsNoEpsBringsTheDialogBack) {
    auto a = setup_answer();
    a.words[kOutputToPort] = kToFile;
    a.name = "page.epsx";
    fe_.answer_dialog(a);
    a.name = "My Page.Eps";
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_EQ(fe_.dialogs.size(), 2u);
    EXPECT_EQ(messages_saying("Output must be to .EPS file."), 1);
    EXPECT_EQ(OutputFileName.trimmed(), "My Page.Eps");
    EXPECT_EQ(OutputSettings.to_port, kToFile);
    EXPECT_EQ(fs::path(job_output_path()), fs::current_path() / "My Page.Eps");
}

TEST_F(OutputChoiceTest, TheDocumentsNameIsProposedAsEps) {
    core::CurrentFileName.set("songs/first.mus");
    fe_.answer_dialog(2);
    choose();
    EXPECT_EQ(fe_.dialog_output_name, "songs/first.eps");
    core::CurrentFileName.set("SONG.MUS");
    fe_.answer_dialog(2);
    choose();
    EXPECT_EQ(fe_.dialog_output_name, "SONG.EPS");
}

TEST_F(OutputChoiceTest, UsbAndBatchAnswersSetTheTargetAndTheMarks) {
    auto a = setup_answer();
    a.words[kOutputToPort] = kToUsb;
    a.words[kBatchPrinting] = kBatchListFile;
    a.words[kReversePageOrder] = 1;
    a.words[kBatchNaming] = 0;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_EQ(OutputSettings.to_port, kToUsb);
    EXPECT_EQ(job_output_path(), platform::work_file("USBX.EPS"));
    EXPECT_EQ(core::CommandLine(2), 'B');
    EXPECT_EQ(core::CommandLine(3), 'F');
    EXPECT_EQ(core::CommandLine(5), 'R');
    EXPECT_EQ(OutputSettings.batch_naming, 0);
    a.words[kBatchPrinting] = kBatchTyped;
    a.words[kReversePageOrder] = 0;
    fe_.answer_dialog(a);
    ASSERT_EQ(choose(), 1);
    EXPECT_EQ(core::CommandLine(2), 'B');
    EXPECT_EQ(core::CommandLine(3), ' ');
    EXPECT_EQ(core::CommandLine(5), ' ');
}

TEST_F(OutputChoiceTest, MeasuringLeavesTheCommandLineBlankAndTheModeLettersAsTheyWere) {
    core::CommandModeLetters(1) = 'P';
    core::CommandModeLetters(2) = 'R' + 1;
    measure_print_box();
    EXPECT_EQ(core::CommandLine.trimmed(), "");
    EXPECT_EQ(core::CommandModeLetters(1), 'P');
    EXPECT_EQ(core::CommandModeLetters(2), 'R' + 1);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(PrintBox(k), layout::MeasuredBox(k)) << k;
}

TEST_F(OutputChoiceTest, AnAbortLetterOfAFailedJobIsClearedByTheNextChoice) {
    core::CommandModeLetters(1) = 'B';
    core::CommandLine.set("PRPS");
    int32_t go = 0;
    select_ps_output(go);
    EXPECT_EQ(go, 1);
    EXPECT_NE(core::CommandModeLetters(1), 'B');
}

TEST_F(OutputChoiceTest, AnExistingFileIsWrittenOverOnlyWhenTheUserSaysSo) {
    std::ofstream("page.eps") << "kept";
    auto a = setup_answer();
    a.words[kOutputToPort] = kToFile;
    a.name = "page.eps";
    // "No": the dialog comes again; then Cancel.
    fe_.answer_dialog(a);
    fe_.answer_yes_no(0);
    fe_.answer_dialog(2);
    EXPECT_EQ(choose(), 0);
    EXPECT_EQ(fe_.dialogs.size(), 2u);
    EXPECT_EQ(fe_.questions.size(), 1u);
    EXPECT_EQ(core::CommandLine(1), 'X');
    // "Yes": the job goes ahead.
    fe_.answer_dialog(a);
    fe_.answer_yes_no(1);
    EXPECT_EQ(choose(), 1);
    EXPECT_EQ(fs::path(job_output_path()), fs::current_path() / "page.eps");
}

}  // namespace
