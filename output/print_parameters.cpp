#include "output/print_parameters.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"

namespace output {

namespace {

// The unit the parameter file is read and written on (opened and closed within one call).
constexpr int kPrintSetupUnit = 41;
// Columns of a parameter line that count; the rest of a longer line is ignored.
constexpr int kLineColumns = 48;
// The keys, by their first three letters, in the order the file names them.
constexpr std::string_view kKeys = "OUTSIZPAPOFFFRERESLINHEAROTMIRBATREVINCMET";

std::string file_name() {
    const std::string name = PrintParameters.print_setup_file_name.trimmed();
    return name.empty() ? std::string("PRINT.SCR") : name;
}

// The next record, its first 48 columns in CommandLine (blank-padded); false at the end of the
// file or on a read error.
bool read_line() {
    std::string record;
    if (core::read_record(kPrintSetupUnit, record) != core::IoResult::Ok) return false;
    core::CommandLine.blank();
    core::CommandLine.put(1, kLineColumns, std::string_view(record).substr(0, kLineColumns));
    return true;
}

// The numbers of CommandLine as the command-line scan reads them, into P(1..). The scan is
// told it reads no step command, whatever command is in hand.
void scan_numbers() {
    const int32_t l1 = core::CommandModeLetters(1);
    const int32_t l2 = core::CommandModeLetters(2);
    core::CommandModeLetters(1) = 0;
    core::CommandModeLetters(2) = 0;
    core::scan_command_line(core::find_line_length(core::CommandLine));
    core::CommandModeLetters(1) = l1;
    core::CommandModeLetters(2) = l2;
}

// The first number of the next record; false at the end of the file.
bool read_number_line(float& value) {
    if (!read_line()) return false;
    scan_numbers();
    value = core::ParamBuffer(1);
    return true;
}

// A yes/no value: yes only when the value is exactly "YES" (the line is upper-cased).
int32_t yes_no_value() { return core::CommandLine.trimmed() == "YES" ? 1 : 0; }

// The header steps: the mode from the value, then the text line and the offset lines the mode
// has. False when the file ends among them.
bool load_header_footer(PrintIntBlock& ints, PrintRealBlock& reals) {
    reals(kHeaderOffset) = 0.0f;
    reals(kFooterOffset) = 0.0f;
    int32_t mode = 0;
    if (core::CommandLine.starts_with("HEADER")) mode = 1;
    if (core::CommandLine.starts_with("FOOTER")) mode = 2;
    if (core::CommandLine.starts_with("BOTH")) mode = 3;
    ints(kHeaderFooterMode) = mode;
    if (mode == 0) return true;

    if (!read_line()) return false;
    core::FrontEndCommandBuffer.set(core::CommandLine.sub(1, kLineColumns));
    PrintParameters.header_footer_text.set(core::CommandLine.sub(1, 18));
    float value = 0.0f;
    if (mode == 1 || mode == 3) {
        if (!read_number_line(value)) return false;
        reals(kHeaderOffset) = value == 0.0f ? -0.18f : value;
    }
    if (mode == 2 || mode == 3) {
        if (!read_number_line(value)) return false;
        reals(kFooterOffset) = value == 0.0f ? 0.18f : value;
    }
    return true;
}

// The unit line: the file's unit becomes the dialog's and the engine's. The offsets stay as
// read: a save writes them in the unit its own unit line names, so converting them here would
// move the page of every file saved in the other unit.
void load_unit(int32_t metric, PrintIntBlock& ints) {
    ints(kMetricUnits) = metric;
    core::MetricFlag = metric;
}

// Contract: reads the parameter file into the blocks, the header text and the engine's unit.
// A missing file changes nothing but MetricUnits; the load ends quietly at the file's end or a
// read error, what was read staying in force. Lines with other keys are skipped.
void load_print_setup(PrintIntBlock& ints, PrintRealBlock& reals) {
    ints(kMetricUnits) = core::MetricFlag != 0 ? 1 : 0;
    if (!core::open_unit(kPrintSetupUnit, file_name(), core::UnitStatus::Old, core::UnitForm::Text))
        return;
    while (read_line()) {
        for (int k = 1; k <= kLineColumns; ++k) {
            char& c = core::CommandLine(k);
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        const std::string key(core::CommandLine.sub(1, 3));
        strip_keyword();
        std::string_view k;
        for (std::size_t at = 0; at < kKeys.size(); at += 3)
            if (kKeys.substr(at, 3) == key) k = kKeys.substr(at, 3);
        if (k.empty()) continue;
        if (k == "HEA") {
            if (!load_header_footer(ints, reals)) break;
            continue;
        }
        if (k == "OUT") {
            ints(kOutputToPort) =
                core::CommandLine.is_blank() || core::CommandLine.starts_with("LPT1") ? 1 : 0;
        } else if (k == "PAP") {
            const char third = core::CommandLine(3);
            ints(kPaperType) = third == 'G' ? 2 : third == 'D' ? 3 : 1;
        } else if (k == "FRE") {
            ints(kFreezeOffsets) = yes_no_value();
        } else if (k == "ROT") {
            ints(kRotate) = yes_no_value();
        } else if (k == "MIR") {
            ints(kMirrorImage) = yes_no_value();
        } else if (k == "BAT") {
            ints(kBatchPrinting) = yes_no_value();
        } else if (k == "REV") {
            ints(kReversePageOrder) = yes_no_value();
        } else if (k == "INC") {
            load_unit(0, ints);
        } else if (k == "MET") {
            load_unit(1, ints);
        } else {
            scan_numbers();
            const float p1 = core::ParamBuffer(1);
            if (k == "SIZ") reals(kSizeFactor) = p1;
            if (k == "OFF") {
                reals(kOffsetX) = p1;
                reals(kOffsetY) = core::ParamBuffer(2);
            }
            if (k == "RES") ints(kResolution) = core::int_of(p1);
            if (k == "LIN") ints(kLineWidth) = core::int_of(p1);
        }
    }
    core::close_unit(kPrintSetupUnit);
}

std::string yes_no(int32_t word) { return word != 0 ? "Yes" : "No "; }

// Contract: writes the 16 line kinds of the parameter file in order. False when the file
// cannot be created or a line cannot be written.
bool save_print_setup(const PrintIntBlock& ints, const PrintRealBlock& reals) {
    const std::string name = file_name();
    if (!core::open_unit(kPrintSetupUnit, name, core::UnitStatus::Replace, core::UnitForm::Text))
        return false;
    bool ok = true;
    auto line = [&](const std::string& text) {
        if (ok && core::write_record(kPrintSetupUnit, text) != core::IoResult::Ok) ok = false;
    };
    const std::string output = ints(kOutputToPort) == kToPort ? "" : OutputNameField.trimmed();
    line("OUTPUT        " + output);
    line("ROTATE        " + yes_no(ints(kRotate)));
    line("SIZE          " + core::format_real("(1F6.4)", reals(kSizeFactor)));
    const int32_t paper = PrintParameters.current_paper_type;
    if (paper >= 4) {
        line("PAPER      " + core::format_real("(1F7.2)", PrintParameters.custom_paper_size(1)) +
             core::format_real("(1F7.2)", PrintParameters.custom_paper_size(2)));
    } else {
        line(std::string("PAPER         ") + (paper == 2   ? "Legal "
                                              : paper == 3 ? "Ledger"
                                                           : "Letter"));
    }
    line("OFFSETS       " + core::format_real("(1F6.2)", reals(kOffsetX)) +
         core::format_real("(1F6.2)", reals(kOffsetY)));
    line("FREEZE        " + yes_no(ints(kFreezeOffsets)));
    line("RESOLUTION     " + core::format_int("(1I4)", ints(kResolution)));
    line("LINE_width    " + core::format_int("(1I2)", ints(kLineWidth)));
    const int32_t mode = ints(kHeaderFooterMode);
    static constexpr const char* kModeNames[] = {"None  ", "Header", "Footer", "Both  "};
    const bool with_text = mode >= 1 && mode <= 3;
    line(std::string("HEADER/FOOTER ") + kModeNames[with_text ? mode : 0]);
    if (with_text) {
        line(std::string(core::FrontEndCommandBuffer.sub(1, 18)));
        if (mode == 1 || mode == 3) line(core::format_real("(1F7.3)", reals(kHeaderOffset)));
        if (mode == 2 || mode == 3) line(core::format_real("(1F7.3)", reals(kFooterOffset)));
    }
    line("MIRROR        " + yes_no(ints(kMirrorImage)));
    line("BATCH         " + yes_no(ints(kBatchPrinting)));
    line("REVERSE       " + yes_no(ints(kReversePageOrder)));
    line(ints(kMetricUnits) != 0 ? "METRIC" : "INCHES");
    if (!core::close_unit(kPrintSetupUnit)) ok = false;
    return ok;
}

}  // namespace

// Contract: see the header. Uses CommandLine as its line buffer (what it held is lost) and
// ParamBuffer for the numbers; OutputNameField is never changed. Loading writes
// FrontEndCommandBuffer and PrintParameters.header_footer_text with the header text, and
// MetricFlag on a unit line.
void load_save_print_setup(int32_t mode, PrintIntBlock& ints, PrintRealBlock& reals) {
    if (mode == 0) {
        load_print_setup(ints, reals);
        return;
    }
    if (!save_print_setup(ints, reals))
        core::show_message(core::ReplyKind::Failure, " ***Error writing file:" + file_name());
}

// Contract: see the header. The first word ends at the first blank; what follows the blanks
// after it, within the first 48 columns and at most 32 characters, moves to column 1.
void strip_keyword() {
    auto& line = core::CommandLine;
    int k = 1;
    while (k <= kLineColumns && line(k) != ' ') ++k;
    while (k <= kLineColumns && line(k) == ' ') ++k;
    std::string rest;
    if (k <= kLineColumns) rest = std::string(line.sub(k, std::min(k + 31, kLineColumns)));
    line.blank();
    line.put(1, static_cast<int>(rest.size()), rest);
}

// Contract: see the header. Reads PreviousPrintOffsets (PrintParameters.previous_offsets, set
// to the offsets when they moved the box, so that a second call with the same offsets moves
// nothing), BoxUnitScale and OutputSettings.size; writes print_bounding_box (points). The
// shift of the offsets (inches) is turned into the box's unit first.
void transform_print_box(float x, float y, float x1, float y1, float x2, float y2, int32_t rotate) {
    auto& pp = PrintParameters;
    const float scale = pp.box_unit_scale;
    const float per_inch = scale != 0.0f ? 72.0f / scale : 0.0f;
    const float dx = x - pp.previous_offsets(1);
    if (std::fabs(dx) > 0.01f) {
        x1 += dx * per_inch;
        x2 += dx * per_inch;
        pp.previous_offsets(1) = x;
    }
    const float dy = y - pp.previous_offsets(2);
    if (std::fabs(dy) > 0.01f) {
        y1 += dy * per_inch;
        y2 += dy * per_inch;
        pp.previous_offsets(2) = y;
    }
    x1 *= scale;
    y1 *= scale;
    x2 *= scale;
    y2 *= scale;
    const float size = OutputSettings.size;
    if (size != 1.0f) {
        const float cx = 72.0f * x;
        const float cy = 72.0f * y;
        x1 = (x1 - cx) * size + cx;
        x2 = (x2 - cx) * size + cx;
        y1 = (y1 - cy) * size + cy;
        y2 = (y2 - cy) * size + cy;
    }
    if (rotate != 0) {
        const float r1 = 608.0f - y2;
        const float r2 = x1 - 8.0f;
        const float r3 = 608.0f - y1;
        const float r4 = x2 - 8.0f;
        x1 = r1;
        y1 = r2;
        x2 = r3;
        y2 = r4;
    }
    pp.print_bounding_box(1) = x1;
    pp.print_bounding_box(2) = y1;
    pp.print_bounding_box(3) = x2;
    pp.print_bounding_box(4) = y2;
}

}  // namespace output
