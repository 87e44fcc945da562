// The print parameter file: the lines written, the keys read back, and the placing of a
// bounding box on the paper.
#include "output/print_parameters.h"

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/files/document_tables.h"
#include "output/tables.h"
#include "tests/core/interpreter_fixture.h"

namespace {

class PrintParametersTest : public InterpreterTest {
  protected:
    // The values the dialog's Reset gives.
    void reset_blocks() {
        ints_.fill(0);
        reals_.fill(0.0f);
        ints_(output::kResolution) = 600;
        ints_(output::kLineWidth) = 4;
        ints_(output::kPaperType) = 1;
        reals_(output::kSizeFactor) = 1.0f;
        reals_(output::kOffsetX) = 0.5f;
        reals_(output::kOffsetY) = 0.75f;
    }
    void save(const std::string& name = "") {
        output::PrintParameters.print_setup_file_name.set(name);
        output::load_save_print_setup(-1, ints_, reals_);
    }
    void load(const std::string& name = "") {
        output::PrintParameters.print_setup_file_name.set(name);
        output::load_save_print_setup(0, ints_, reals_);
    }
    std::vector<std::string> lines(const std::string& name) {
        std::ifstream in(dir_ / name);
        std::vector<std::string> v;
        for (std::string l; std::getline(in, l);) v.push_back(l);
        return v;
    }
    output::PrintIntBlock ints_;
    output::PrintRealBlock reals_;
};

TEST_F(PrintParametersTest, DefaultsAreWrittenInTheirColumnsAndReadBack) {
    reset_blocks();
    output::OutputNameField.set("My Output.eps");
    save();
    EXPECT_EQ(lines("PRINT.SCR"), (std::vector<std::string>{
                                      "OUTPUT        My Output.eps",
                                      "ROTATE        No ",
                                      "SIZE          1.0000",
                                      "PAPER         Letter",
                                      "OFFSETS         0.50  0.75",
                                      "FREEZE        No ",
                                      "RESOLUTION      600",
                                      "LINE_width     4",
                                      "HEADER/FOOTER None  ",
                                      "MIRROR        No ",
                                      "BATCH         No ",
                                      "REVERSE       No ",
                                      "INCHES",
                                  }));
    const output::PrintIntBlock saved_ints = ints_;
    const output::PrintRealBlock saved_reals = reals_;
    ints_.fill(7);
    reals_.fill(3.0f);
    for (int w : {5, 6, 12, 13, 14, 15, 16, 17, 19, 20, 21, 22, 23}) ints_(w) = saved_ints(w);
    for (int w = 5; w <= 23; ++w) reals_(w) = saved_reals(w);
    ints_(output::kHeaderFooterMode) = 2;
    load();
    for (int w = 0; w <= 23; ++w) EXPECT_EQ(ints_(w), saved_ints(w)) << "word " << w;
    for (int w = 0; w <= 23; ++w) EXPECT_EQ(reals_(w), saved_reals(w)) << "word " << w;
    EXPECT_EQ(output::OutputNameField.trimmed(), "My Output.eps");
}

TEST_F(PrintParametersTest, EveryLineKindInItsColumns) {
    reset_blocks();
    ints_(output::kOutputToPort) = output::kToPort;
    ints_(output::kRotate) = 1;
    ints_(output::kFreezeOffsets) = 1;
    ints_(output::kMirrorImage) = 1;
    ints_(output::kBatchPrinting) = output::kBatchListFile;
    ints_(output::kReversePageOrder) = 1;
    ints_(output::kMetricUnits) = 1;
    ints_(output::kResolution) = 1200;
    ints_(output::kLineWidth) = 12;
    ints_(output::kHeaderFooterMode) = 3;
    reals_(output::kSizeFactor) = 0.85f;
    reals_(output::kOffsetX) = -1.25f;
    reals_(output::kOffsetY) = 12.5f;
    reals_(output::kHeaderOffset) = -0.18f;
    reals_(output::kFooterOffset) = 0.25f;
    output::OutputNameField.set("LPT1");
    output::PrintParameters.current_paper_type = 4;
    output::PrintParameters.custom_paper_size(1) = 8.27f;
    output::PrintParameters.custom_paper_size(2) = 11.69f;
    core::FrontEndCommandBuffer.set("A header text that is longer than 18");
    save("Setup One.scr");
    EXPECT_EQ(lines("Setup One.scr"), (std::vector<std::string>{
                                          "OUTPUT        ",
                                          "ROTATE        Yes",
                                          "SIZE          0.8500",
                                          "PAPER         8.27  11.69",
                                          "OFFSETS        -1.25 12.50",
                                          "FREEZE        Yes",
                                          "RESOLUTION     1200",
                                          "LINE_width    12",
                                          "HEADER/FOOTER Both  ",
                                          "A header text that",
                                          " -0.180",
                                          "  0.250",
                                          "MIRROR        Yes",
                                          "BATCH         Yes",
                                          "REVERSE       Yes",
                                          "METRIC",
                                      }));
    for (int paper : {2, 3, 0}) {
        output::PrintParameters.current_paper_type = paper;
        save("p.scr");
        EXPECT_EQ(lines("p.scr")[3], std::string("PAPER         ") + (paper == 2   ? "Legal "
                                                                      : paper == 3 ? "Ledger"
                                                                                   : "Letter"));
    }
    // A custom paper loads as Letter; the blank output name as the printer.
    ints_(output::kPaperType) = 3;
    ints_(output::kOutputToPort) = 0;
    load("setup one.SCR");  // found regardless of case
    EXPECT_EQ(ints_(output::kPaperType), 1);
    EXPECT_EQ(ints_(output::kOutputToPort), 1);
    EXPECT_EQ(ints_(output::kBatchPrinting), 1);
}

TEST_F(PrintParametersTest, KeysByTheirFirstThreeLettersAndValuesAsTheTableSays) {
    reset_blocks();
    write_file("keys.scr", {"SIZEFACTOR 2", "OUTFILE   somewhere.eps", "PAPER      A4",
                            "rotate  yes", "MIRROR  Yes xx", "FREEZE YES", "RESOLUTION 300.9",
                            "LINE 7", "unknown line 5", "OFFSETS 1.5 2.5"});
    ints_(output::kOutputToPort) = 1;
    ints_(output::kPaperType) = 3;
    ints_(output::kMirrorImage) = 1;
    load("keys.scr");
    EXPECT_EQ(reals_(output::kSizeFactor), 2.0f);
    EXPECT_EQ(ints_(output::kOutputToPort), 0);
    EXPECT_EQ(ints_(output::kPaperType), 1);
    EXPECT_EQ(ints_(output::kRotate), 1);
    EXPECT_EQ(ints_(output::kMirrorImage), 0);
    EXPECT_EQ(ints_(output::kFreezeOffsets), 1);
    EXPECT_EQ(ints_(output::kResolution), 300);
    EXPECT_EQ(ints_(output::kLineWidth), 7);
    EXPECT_EQ(reals_(output::kOffsetX), 1.5f);
    EXPECT_EQ(reals_(output::kOffsetY), 2.5f);

    write_file("paper.scr", {"PAPER        Legal", "FREEZE No"});
    load("paper.scr");
    EXPECT_EQ(ints_(output::kPaperType), 2);
    EXPECT_EQ(ints_(output::kFreezeOffsets), 0);
    EXPECT_EQ(ints_(output::kRotate), 1);  // only the lines present change anything
    write_file("paper.scr", {"PAPER Ledger", "OUTPUT lpt1 port"});
    load("paper.scr");
    EXPECT_EQ(ints_(output::kPaperType), 3);
    EXPECT_EQ(ints_(output::kOutputToPort), 1);
}

TEST_F(PrintParametersTest, HeaderFooterLinesAndColumn48) {
    reset_blocks();
    write_file("hf.scr", {"HEADER/FOOTER Both", "My Title, as typed", "0.0", "0.25",
                          "SIZE" + std::string(44, ' ') + "9"});
    load("hf.scr");
    EXPECT_EQ(ints_(output::kHeaderFooterMode), 3);
    EXPECT_EQ(reals_(output::kHeaderOffset), -0.18f);
    EXPECT_EQ(reals_(output::kFooterOffset), 0.25f);
    EXPECT_EQ(core::FrontEndCommandBuffer.trimmed(), "My Title, as typed");
    EXPECT_EQ(output::PrintParameters.header_footer_text.trimmed(), "My Title, as typed");
    // The 9 lies in column 49: the size line has no number.
    EXPECT_EQ(reals_(output::kSizeFactor), 0.0f);
    write_file("hf.scr", {"SIZE" + std::string(43, ' ') + "9"});
    load("hf.scr");
    EXPECT_EQ(reals_(output::kSizeFactor), 9.0f);

    write_file("f.scr", {"HEADER/FOOTER footer", "text", "0.0"});
    load("f.scr");
    EXPECT_EQ(ints_(output::kHeaderFooterMode), 2);
    EXPECT_EQ(reals_(output::kHeaderOffset), 0.0f);
    EXPECT_EQ(reals_(output::kFooterOffset), 0.18f);
    // A file that ends among the header lines keeps what was read.
    write_file("h.scr", {"ROTATE Yes", "HEADER/FOOTER Header", "text"});
    ints_(output::kRotate) = 0;
    load("h.scr");
    EXPECT_EQ(ints_(output::kHeaderFooterMode), 1);
    EXPECT_EQ(ints_(output::kRotate), 1);
}

TEST_F(PrintParametersTest, UnitLineNamesTheUnitOfTheOffsetsAsWritten) {
    reset_blocks();
    core::MetricFlag = 1;
    write_file("in.scr", {"OFFSETS 1.27 2.54", "INCHES"});
    load("in.scr");
    EXPECT_FLOAT_EQ(reals_(output::kOffsetX), 1.27f);
    EXPECT_FLOAT_EQ(reals_(output::kOffsetY), 2.54f);
    EXPECT_EQ(ints_(output::kMetricUnits), 0);
    EXPECT_EQ(core::MetricFlag, 0);
    write_file("cm.scr", {"OFFSETS 1.0 2.0", "METRIC"});
    load("cm.scr");
    EXPECT_FLOAT_EQ(reals_(output::kOffsetX), 1.0f);
    EXPECT_FLOAT_EQ(reals_(output::kOffsetY), 2.0f);
    EXPECT_EQ(ints_(output::kMetricUnits), 1);
    EXPECT_EQ(core::MetricFlag, 1);
    // A file saved in centimetres reads back the same while the engine counts in inches.
    reals_(output::kOffsetX) = 3.5f;
    save("saved_cm.scr");
    core::MetricFlag = 0;
    reals_(output::kOffsetX) = 0.0f;
    load("saved_cm.scr");
    EXPECT_FLOAT_EQ(reals_(output::kOffsetX), 3.5f);
    EXPECT_EQ(core::MetricFlag, 1);
    // A missing file only takes the engine's unit.
    reals_(output::kOffsetX) = 1.0f;
    load("cm.scr");
    EXPECT_FLOAT_EQ(reals_(output::kOffsetX), 1.0f);
    ints_(output::kMetricUnits) = 0;
    load("missing.scr");
    EXPECT_EQ(ints_(output::kMetricUnits), 1);
    EXPECT_FLOAT_EQ(reals_(output::kOffsetX), 1.0f);
}

TEST_F(PrintParametersTest, FailedSaveSaysSo) {
    reset_blocks();
    save("no such folder/PRINT.SCR");
    EXPECT_TRUE(shown(" ***Error writing file:no such folder/PRINT.SCR"));
}

TEST_F(PrintParametersTest, StripKeywordLeavesTheValueAtColumnOne) {
    core::CommandLine.set("PAPER         Legal");
    output::strip_keyword();
    EXPECT_EQ(core::CommandLine.trimmed(), "Legal");
    core::CommandLine.set("ROTATE");
    output::strip_keyword();
    EXPECT_TRUE(core::CommandLine.is_blank());
    core::CommandLine.set("OUT " + std::string(40, 'x'));
    output::strip_keyword();
    EXPECT_EQ(core::CommandLine.trimmed(), std::string(32, 'x'));
}

class PrintBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        output::reset_output_tables();
        output::PrintParameters.previous_offsets(1) = 0.5f;
        output::PrintParameters.previous_offsets(2) = 0.75f;
        output::PrintParameters.box_unit_scale = 1.0f;
    }
    static std::vector<float> box() {
        const auto& b = output::PrintParameters.print_bounding_box;
        return {b(1), b(2), b(3), b(4)};
    }
};

TEST_F(PrintBoxTest, UnchangedOffsetsUnitScaleAndSizeLeaveTheBox) {
    output::transform_print_box(0.505f, 0.745f, 10, 20, 300, 400, 0);
    EXPECT_EQ(box(), (std::vector<float>{10, 20, 300, 400}));
    output::transform_print_box(0.5f, 0.75f, 0, 0, 100, 50, 1);
    EXPECT_EQ(box(), (std::vector<float>{558, -8, 608, 92}));
}

TEST_F(PrintBoxTest, OffsetChangeInInchesMovesTheBoxInItsOwnUnit) {
    output::transform_print_box(1.5f, 1.75f, 10, 20, 300, 400, 0);
    EXPECT_EQ(box(), (std::vector<float>{82, 92, 372, 472}));
    // The offsets were taken: the same call again moves nothing further.
    output::transform_print_box(1.5f, 1.75f, 10, 20, 300, 400, 0);
    EXPECT_EQ(box(), (std::vector<float>{10, 20, 300, 400}));

    SetUp();
    output::PrintParameters.box_unit_scale = 72.0f;  // a box in inches
    output::transform_print_box(1.5f, 0.75f, 1, 1, 2, 3, 0);
    EXPECT_EQ(box(), (std::vector<float>{144, 72, 216, 216}));
}

TEST_F(PrintBoxTest, SizeFactorScalesAboutTheOffsetPoint) {
    output::OutputSettings.size = 0.5f;
    output::transform_print_box(0.5f, 0.75f, 36, 54, 136, 254, 0);
    EXPECT_EQ(box(), (std::vector<float>{36, 54, 86, 154}));
}

}  // namespace
