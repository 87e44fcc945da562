// The output choice before a PostScript job: the page is measured, the Print Setup dialog
// shows the print parameters, and its answers become the settings in force and the target.
#include "output/output_choice.h"

#include <cctype>
#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_names.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/staves/measure_command.h"
#include "output/output_names.h"
#include "output/print_parameters.h"
#include "output/ps_document.h"
#include "output/tables.h"
#include "platform/paths.h"

namespace output {

namespace {

constexpr std::string_view kNotEpsMessage = "Output must be to .EPS file.";
constexpr std::string_view kUsbTarget = "\\!TMP\\USBX.EPS";

// Points per unit of the dialog's bounding box.
float points_per_box_unit(int32_t unit) {
    if (unit == 0) return 72.0f;
    if (unit == 1) return 28.346f;
    return 1.0f;
}

// The measured page box as the dialog shows it: display units from the lower left corner of
// the paper, where the page procedure draws it, with the margin on every side. The EPS box is
// taken from it: offset from the drawing, the box would cut the ink.
void put_page_box(PrintRealBlock& reals) {
    const PaperShift shift = paper_shift();
    reals(kBoxX1) = static_cast<float>(PrintBox(1) + shift.x - kPageBoxMargin);
    reals(kBoxX1 + 1) = static_cast<float>(PrintBox(2) + shift.y - kPageBoxMargin);
    reals(kBoxX1 + 2) = static_cast<float>(PrintBox(3) + shift.x + kPageBoxMargin);
    reals(kBoxX1 + 3) = static_cast<float>(PrintBox(4) + shift.y + kPageBoxMargin);
}

// Places the box the dialog returned (in its unit) on the paper.
void place_box(const PrintRealBlock& reals) {
    auto& pp = PrintParameters;
    pp.box_unit_scale = points_per_box_unit(pp.ints(kBoxUnit));
    float x = pp.engine_offsets(1);
    float y = pp.engine_offsets(2);
    float x1 = reals(kBoxX1);
    float y1 = reals(kBoxX1 + 1);
    float x2 = reals(kBoxX1 + 2);
    float y2 = reals(kBoxX1 + 3);
    transform_print_box(x, y, x1, y1, x2, y2, OutputSettings.rotate);
}

// The proposed EPS name: the document's name up to its last "." with ".eps" (".EPS" when
// the document's extension is in capitals, or it has none).
std::string proposed_eps_name() {
    const std::string name = name_of(core::CurrentFileName);
    return name.empty() ? std::string() : name_with_eps_extension(name);
}

// Header and footer baselines in points; an offset of 0 stands for the default places.
void take_baselines(const PrintRealBlock& reals) {
    const float header = reals(kHeaderOffset);
    const float footer = reals(kFooterOffset);
    OutputSettings.header_baseline =
        header == 0.0f ? 779 : static_cast<int32_t>(std::lround(header * 72.0f)) + 792;
    OutputSettings.footer_baseline =
        footer == 0.0f ? 26 : static_cast<int32_t>(std::lround(footer * 72.0f)) + 13;
}

// Clears the abort letter a failed job left.
void clear_abort_letter() {
    if (core::CommandModeLetters(1) == 'B') core::CommandModeLetters(1) = ' ';
}

// Places PrintBox as the dialog would return it: in the dialog's unit, offsets unchanged.
void place_measured_box() {
    auto& pp = PrintParameters;
    PrintRealBlock reals = pp.reals;
    put_page_box(reals);
    const float per_unit = display_units_per_box_unit(pp.ints(kBoxUnit));
    for (int k = 0; k < 4; ++k) reals(kBoxX1 + k) /= per_unit;
    pp.previous_offsets = pp.engine_offsets;
    place_box(reals);
}

// The job with the parameters in force.
void choose_without_dialog(int32_t& go) {
    place_measured_box();
    clear_abort_letter();
    go = 1;
}

// Takes the dialog's answers into the settings in force (all but the target).
void take_answers(const PrintIntBlock& ints, const PrintRealBlock& reals) {
    auto& pp = PrintParameters;
    auto& out = OutputSettings;
    pp.setup_shown = 1;
    pp.previous_offsets = pp.engine_offsets;
    const float unit_factor = ints(kMetricUnits) == 1 ? 2.54f : 1.0f;
    pp.engine_offsets(1) = reals(kOffsetX) / unit_factor;
    pp.engine_offsets(2) = reals(kOffsetY) / unit_factor;
    out.rotate = ints(kRotate);
    // The box is scaled by the size in force: the dialog's size first, or the box would get
    // the last job's.
    out.size = reals(kSizeFactor) > 0.0f ? reals(kSizeFactor) : 1.0f;
    place_box(reals);
    out.header_footer = ints(kHeaderFooterMode);
    out.resolution = ints(kResolution) > 0 ? ints(kResolution) : 600;
    out.line_width = ints(kLineWidth);
    if (out.header_footer != 0) pp.header_footer_text.set(core::FrontEndCommandBuffer.sub(1, 18));
    out.mirror = ints(kMirrorImage);
    pp.current_paper_type = ints(kPaperType);
    take_baselines(reals);
}

// The target by the dialog's output kind. False when a named file is no EPS file (the
// dialog comes again).
bool take_target(PrintIntBlock& ints) {
    auto& out = OutputSettings;
    const int32_t kind = ints(kOutputToPort);
    const std::string name = name_of(OutputNameField);
    if (kind == kToFile && !starts_with_nocase(name, "LPT1")) {
        ints(kTargetIsFile) = 1;
        ints(kTargetIsPort) = 0;
        ints(kTargetIsUsb) = 0;
        if (check_eps_name(OutputNameField) != 0) return false;
        if (!core::outside_data_folder(core::make_temp_path(name))) return false;
        OutputFileName.set(name);
        out.to_port = kToFile;
    } else if (kind == kToUsb) {
        ints(kTargetIsUsb) = 1;
        ints(kTargetIsPort) = 0;
        ints(kTargetIsFile) = 0;
        OutputFileName.set(kUsbTarget);
        out.to_port = kToUsb;
    } else {
        ints(kTargetIsPort) = 1;
        ints(kTargetIsFile) = 0;
        ints(kTargetIsUsb) = 0;
        OutputFileName.set("LPT1");
        out.to_port = kToPort;
    }
    return true;
}

// Whether the answer just refused came from a script: nobody would see the question again, and
// the script's next lines, its save included, would be taken for names one after another.
bool answer_from_script() {
    return core::front_end().LastAnswerFromScript() || core::front_end().InputIsScript();
}

// The command word as typed ("PR", "PB"), for the reply that ends it.
std::string command_word() {
    std::string word;
    for (int k = 1; k <= 2; ++k)
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(core::CommandLine(k))));
    return word;
}

// The batch marks of the command line.
void set_batch_marks(const PrintIntBlock& ints) {
    if (ints(kBatchPrinting) == 0) return;
    core::CommandLine(2) = 'B';
    core::CommandLine(3) = ints(kBatchPrinting) == kBatchListFile ? 'F' : ' ';
    OutputSettings.batch_naming = ints(kBatchNaming);
    core::CommandLine(5) = ints(kReversePageOrder) != 0 ? 'R' : ' ';
}

}  // namespace

// Contract: see the header.
float display_units_per_box_unit(int32_t unit) {
    if (unit == 0) return 4000.0f;
    if (unit == 1) return 4000.0f / 2.54f;
    return 4000.0f / 72.0f;
}

// Contract: see the header. Reads the command word's letters 3-4 before the measuring blanks
// CommandLine; writes PrintParameters, OutputSettings, OutputFileName, OutputNameField,
// OriginalBoundingBox, PrintBox, FrontEndCommandBuffer and the batch marks in CommandLine
// letters 2, 3 and 5.
void select_ps_output(int32_t& go) {
    go = 0;
    // The header text travels to and from the dialog in the front-end's command buffer; left
    // there, the window would take it for the next command and show it as the reply.
    struct BlankBufferAfter {
        ~BlankBufferAfter() { core::FrontEndCommandBuffer.blank(); }
    } blank_after;
    const bool skip_dialog =
        std::toupper(static_cast<unsigned char>(core::CommandLine(3))) == 'P' &&
        std::toupper(static_cast<unsigned char>(core::CommandLine(4))) == 'S';
    const std::string word = command_word();  // measuring blanks the command line
    measure_print_box();
    auto& pp = PrintParameters;
    if (pp.ints(kFreezeOffsets) != 0) {
        core::FrontEndCommandBuffer.set(pp.header_footer_text.view());
    } else {
        pp.engine_offsets(1) = 0.5f;
        pp.engine_offsets(2) = 0.75f;
        if (PrintBox(2) < -26000)
            pp.engine_offsets(2) = 0.75f - static_cast<float>(PrintBox(2) + 26000) / 4000.0f;
        pp.ints(kBatchPrinting) = 0;
    }
    if (skip_dialog) {
        choose_without_dialog(go);
        return;
    }
    OutputNameField.set(name_of(OutputFileName));
    if (pp.setup_shown == 0) {
        core::FrontEndCommandBuffer.blank();
        pp.ints.fill(0);
        pp.reals.fill(0.0f);
        pp.ints(kResolution) = 600;
        pp.ints(kLineWidth) = 4;
        pp.ints(kFirstUseWord) = 1;
        pp.reals(kSizeFactor) = 1.0f;
        pp.ints(kOutputToPort) = kToPort;
        pp.ints(kPaperType) = pp.current_paper_type;
        pp.ints(kTargetIsPort) = 1;
        pp.ints(kBatchNaming) = 1;
        OutputFileName.set("LPT1");
        OutputNameField.set("LPT1");
    }
    if (pp.ints(kKeepOutputName) == 0) {
        const std::string proposal = proposed_eps_name();
        if (!proposal.empty()) OutputNameField.set(proposal);
    }
    const int32_t previous_kind = pp.ints(kOutputToPort);
    for (;;) {
        const float shown = core::MetricFlag == 1 ? 2.54f : 1.0f;
        pp.reals(kOffsetX) = pp.engine_offsets(1) * shown;
        pp.reals(kOffsetY) = pp.engine_offsets(2) * shown;
        put_page_box(pp.reals);
        for (int k = 1; k <= 4; ++k) OriginalBoundingBox(k) = pp.reals(kBoxX1 + k - 1);
        pp.ints(kDialogShown) = 1;
        const int answer = core::front_end().RunPrintSetupDialog(pp.ints, pp.reals, OutputNameField,
                                                                 previous_kind);
        pp.ints(kDialogShown) = 0;
        if (answer == 2) {
            core::CommandLine(1) = 'X';
            return;
        }
        take_answers(pp.ints, pp.reals);
        if (!take_target(pp.ints)) {
            if (!answer_from_script()) continue;
            // The refusal was told; the line is named and the word ends.
            const std::string given = name_of(OutputNameField);
            core::name_untaken_line("*** Not an answer to \"Output file name\": " +
                                    (given.empty() ? std::string("(an empty line)") : given) +
                                    " -- " + word + " ended, nothing was written.");
            core::CommandLine(1) = 'X';
            return;
        }
        set_batch_marks(pp.ints);
        clear_abort_letter();
        if (OutputSettings.to_port == kToFile && OutputSettings.batch_naming != 0) {
            const std::string path = job_output_path();
            const int32_t reply = core::confirm_overwrite(path);
            if (reply == 0 && answer_from_script()) {
                // The script's No (or its line taken as No) was told; its next line is a
                // command again, not the name asked again.
                core::show_message(
                    core::ReplyKind::Notice,
                    "*** " + word + " ended: " + platform::shown_path(path) + " was not written.");
                core::CommandLine(1) = 'X';
                return;
            }
            if (reply == 0) continue;
            if (reply == -2) {
                core::CommandLine(1) = 'X';
                return;
            }
        }
        go = 1;
        return;
    }
}

// Contract: see the header. Takes the name up to its first NUL; a network path ("\\" first)
// passes; otherwise the text from the last "." must be ".eps" in any case. Shows the message
// on refusal.
int32_t check_eps_name(const core::FixedText<512>& name) {
    const std::string text = name_of(name);
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') return 0;
    const std::size_t dot = text.rfind('.');
    if (dot != std::string::npos && text.size() - dot == 4 &&
        starts_with_nocase(std::string_view(text).substr(dot), ".eps"))
        return 0;
    core::show_message(core::ReplyKind::Failure, kNotEpsMessage);
    return 1;
}

// Contract: see the header. The page procedure's lmar and bmar at size 1, less the x of the
// page's left edge.
PaperShift paper_shift() {
    const auto& offsets = PrintParameters.engine_offsets;
    const double lmar = core::int_of(100.0 + core::int_of(offsets(1) * 4000.0));
    const double bmar = core::int_of(250.0 + core::int_of(offsets(2) * 4000.0 + 24000.0));
    return PaperShift{lmar - 2400.0, bmar};
}

// Contract: see the header. Writes CommandLine ("BB", then blank) and PrintBox; the mode
// letters come back as they were.
void measure_print_box() {
    const int32_t first = core::CommandModeLetters(1);
    const int32_t second = core::CommandModeLetters(2);
    core::CommandLine.set("BB");
    core::CommandModeLetters(2) = 'R';
    layout::run_measure_command();
    for (int k = 1; k <= 4; ++k) PrintBox(k) = layout::MeasuredBox(k);
    core::CommandLine.blank();
    core::CommandModeLetters(1) = first;
    core::CommandModeLetters(2) = second;
}

// Contract: see the header. Writes CommandLine (blank afterwards), PrintBox and
// PrintParameters (previous offsets, unit scale, bounding box).
void measure_and_place_print_box() {
    measure_print_box();
    place_measured_box();
}

}  // namespace output
