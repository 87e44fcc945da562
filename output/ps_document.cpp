// The PostScript and EPS document writer: the header comments, the prolog and the page
// procedure, the page's items through the display list, and the trailer with the fonts used
// and the measured bounding box; in batch printing one document after another.
#include "output/ps_document.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_names.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/title_line.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/ps_errors.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "output/batch_list.h"
#include "output/output_choice.h"
#include "output/output_hooks.h"
#include "output/output_names.h"
#include "output/ps_display_list.h"
#include "output/ps_symbols.h"
#include "output/tables.h"
#include "platform/paths.h"

namespace output {

namespace {

constexpr std::string_view kFontNameFile = "PSFNAMES.TMP";
constexpr std::string_view kPrinterJobFile = "printjob.ps";
constexpr std::string_view kUsbJobFile = "USBX.EPS";
constexpr std::string_view kBatchKeptPageMessage =
    "Batch printing cancelled: the page and its unsaved changes are kept.";
constexpr std::string_view kEmptyPageMessage = "**** Nothing on the page: no PostScript written.";
// Columns 16 to 42 of the %%BoundingBox line: the numbers the finish writes over.
constexpr std::size_t kBoxNumbersWidth = 27;
constexpr std::size_t kTitleWidth = 128;

// The core's INT and NINT: they saturate, and offsets and sizes come from files.
using core::int_of;
using core::nint;

std::string i3(int32_t v) { return core::format_int("(1i3)", v); }
std::string i5(int32_t v) { return core::format_int("(1i5)", v); }
std::string i7(int32_t v) { return core::format_int("(1i7)", v); }

// The measured box's x of the page's left edge, and the margin the declared box keeps.
constexpr int32_t kPageLeftEdge = 2400;
constexpr int32_t kBoxMargin = kPageBoxMargin;

// The size and resolution in force; 0 (a file may hold it) stands for 1.0 and 600.
float job_size() { return OutputSettings.size > 0.0f ? OutputSettings.size : 1.0f; }
int32_t job_resolution() { return OutputSettings.resolution > 0 ? OutputSettings.resolution : 600; }

// The page values of the job and the box of the drawn items as the finish measures it.
void derive_page_values() {
    auto& st = PostScriptState;
    const double size = job_size();
    st.scale_per_unit = static_cast<float>(size * 0.018);
    st.width_factor = static_cast<float>((4000.0 / job_resolution() + 0.01) / size);
    st.base_line_width = st.width_factor * static_cast<float>(OutputSettings.line_width);
    st.header_line_width = OutputSettings.line_width;
    const auto& offsets = PrintParameters.engine_offsets;
    st.lmar = int_of(100.0 / size + int_of(offsets(1) * 4000.0 / size));
    st.bmar = int_of(250.0 / size + int_of(offsets(2) * 4000.0 / size + 24000.0));
    // The measured box counts x from the page's left edge as drawn (2400); the paths count
    // from 0. A margin of 300 on every side holds what strokes and glyphs reach beyond the
    // points the screen measured. The page procedure scales the paths and the finish scales
    // the box by the same ScalePerUnit, so the box is not scaled by the size here.
    // A box at the ends of the range (an item drawn billions of points away) stays there.
    const auto shift = [](int32_t& v, int64_t by) {
        v = static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} + by, INT32_MIN, INT32_MAX));
    };
    shift(PrintBox(1), -(kPageLeftEdge + kBoxMargin));
    shift(PrintBox(2), -kBoxMargin);
    shift(PrintBox(3), -(kPageLeftEdge - kBoxMargin));
    shift(PrintBox(4), kBoxMargin);
}

// The file of one document of a batch written one EPS file each: its name with ".EPS" (".eps"
// when its extension is in small letters) in place of the extension.
std::string document_eps_path() {
    const std::string name = name_with_eps_extension(name_of(core::CurrentFileName));
    return platform::local_path(core::make_temp_path(name));
}

// Closes the output and writes the remembered boxes over the first ones, and only then puts the
// file in place of the old one. A stopped job's output is dropped, the old file left whole; a
// failed patch or close follows the write-error rule, and the old file stays too.
void close_output() {
    auto& st = PostScriptState;
    if (ps_job_aborted()) {
        core::abandon_unit(render::kPostScriptUnit);
        st.pending_boxes.clear();
        return;
    }
    const bool was_open = core::unit_is_open(render::kPostScriptUnit);
    bool ok = true;
    for (const auto& [offset, text] : st.pending_boxes) {
        if (!ok || !was_open) break;
        ok =
            core::overwrite_unit_bytes(render::kPostScriptUnit, offset, text) == core::IoResult::Ok;
    }
    st.pending_boxes.clear();
    const bool closed = core::close_unit(render::kPostScriptUnit);
    if (was_open && !(closed && ok)) render::report_ps_write_error();
}

// Opens the output for the page. The file is written beside the one it replaces, which stays
// whole until the job is complete. False after the write-error rule, or when the file would lie
// in the data folder (only read; the user is told).
bool open_output(bool batch) {
    auto& st = PostScriptState;
    close_output();
    st.pages_offsets.clear();
    st.output_path =
        batch && OutputSettings.batch_naming == 0 ? document_eps_path() : job_output_path();
    if (!core::outside_data_folder(st.output_path)) return false;
    if (!core::open_unit_at_local_path(render::kPostScriptUnit, st.output_path,
                                       core::UnitStatus::Replace, core::UnitForm::Text)) {
        render::report_ps_write_error();
        return false;
    }
    return true;
}

// The header comments up to "%%EndComments" (and "%%Page:" in a batch).
bool write_header_comments(bool batch, int32_t doc, int32_t count) {
    auto& st = PostScriptState;
    if (!write_ps_line(batch ? "%!PS-Adobe-2.0         " : "%!PS-Adobe-2.0 EPSF-1.2")) return false;
    if (!write_ps_line("%%Creator: ORMESTAL (tm) Ver. 5.00")) return false;
    std::string title;
    for (int i = 1; i <= static_cast<int>(kTitleWidth); ++i) {
        const char c = core::CurrentFileName(i);
        if (static_cast<unsigned char>(c) < ' ') break;
        title += c;
    }
    title.resize(kTitleWidth, ' ');
    if (!write_ps_line("%%Title: " + title)) return false;
    if (batch && OutputSettings.batch_naming != 0) {
        const int64_t pages_start = core::unit_position(render::kPostScriptUnit);
        if (pages_start >= 0) st.pages_offsets.push_back(pages_start + 9);
        if (!write_ps_line("%%Pages: " + i3(count))) return false;
    }
    const int64_t line_start = core::unit_position(render::kPostScriptUnit);
    st.box_offset = line_start < 0 ? -1 : line_start + 15;
    const auto& box = PrintParameters.print_bounding_box;
    // In 64 bits: a box at the ends of the range (an EPS item's box of billions of points)
    // gets its margin without wrapping round, and shows as a field too narrow for it.
    const auto field = [](float v, int64_t margin) {
        return i5(static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{int_of(v)} + margin, INT32_MIN, INT32_MAX)));
    };
    // A box with nothing measured in it (its edges crossed) would declare no page at all: a
    // page with no ink is the empty box, as readers of EPS files take it.
    bool crossed = box(1) > box(3) || box(2) > box(4);
    std::array<float, 4> edges = {box(1), box(2), box(3), box(4)};
    // The header and footer are ink on the paper too: a box without them would cut them off.
    if (std::array<int32_t, 4> extra{}; header_footer_extent(extra)) {
        // Given here without the margins that the fields add.
        const std::array<float, 4> around = {
            static_cast<float>(extra[0] + 1), static_cast<float>(extra[1]),
            static_cast<float>(extra[2] - 4), static_cast<float>(extra[3] - 4)};
        if (crossed) {
            edges = around;
        } else {
            edges = {std::min(edges[0], around[0]), std::min(edges[1], around[1]),
                     std::max(edges[2], around[2]), std::max(edges[3], around[3])};
        }
        crossed = false;
    }
    const std::string numbers = crossed ? std::string("    0      0      0      0 ")
                                        : field(edges[0], -1) + "  " + field(edges[1], 0) + "  " +
                                              field(edges[2], 4) + "  " + field(edges[3], 4) + " ";
    if (!write_ps_line("%%BoundingBox: " + numbers)) return false;
    if (!write_ps_line("%%DocumentFonts: (atend)") || !write_ps_line("%%EndComments")) return false;
    return !batch || write_ps_line("%%Page: " + i3(doc) + i3(doc));
}

// The prolog's abbreviations, the header and footer, and the start of the page procedure.
bool write_prolog() {
    static constexpr std::string_view kLines[] = {
        " /keldadict 200 dict def keldadict begin",
        " save",
        " /m /moveto load def /l /lineto load def",
        " /setstrokeadjust where",
        " { pop true setstrokeadjust }",
        " { /m { transform .25 sub round .25 add exch .25 sub round .25 add exch",
        " itransform  moveto } bind def",
        " /l { transform .25 sub round .25 add exch .25 sub round .25 add exch",
        " itransform  lineto } bind def } ifelse",
        " /tr /translate load def /aw /awidthshow load def",
        " /e /eofill load def /s /stroke load def /g /gsave load def /r /grestore load def",
        " /f /findfont load def /sf /setfont load def",
        " /mkf /makefont load def /lw /setlinewidth load def",
    };
    for (std::string_view line : kLines) {
        if (!write_ps_line(line)) return false;
    }
    if (PrintParameters.current_paper_type == 2 && !write_ps_line(" statusdict begin legal end"))
        return false;
    if (OutputSettings.header_footer != 0) {
        if (!write_ps_line(" /sh/show load def .1 lw")) return false;
        write_header_footer();
        if (ps_job_aborted()) return false;
    }
    // The font prolog begins a dictionary and a save of its own: sent here, beneath the page
    // procedure's gsave, the grestore of an EPS item's wrapper still reaches the page's
    // unscaled state, and the trailer ends both dictionaries and restores both saves in turn.
    render::begin_postscript_fonts();
    render::send_postscript_font_prolog();
    if (ps_job_aborted()) return false;
    const auto& st = PostScriptState;
    if (!write_ps_line(" newpath /KELDA  {")) return false;
    if (OutputSettings.rotate == 1 && !write_ps_line(" 612 -6 tr 90 rotate")) return false;
    if (!write_ps_line(" /size" + core::format_real("(1f8.5)", st.scale_per_unit) + " def  /wdl" +
                       core::format_real("(1f10.4)", st.base_line_width) + " def"))
        return false;
    return write_ps_line(" size dup scale   wdl lw  1 setlinejoin");
}

// Closes the font-name file and deletes it.
void end_font_names() {
    core::close_unit(render::kFontNameUnit);
    std::remove(platform::work_file(kFontNameFile).c_str());
}

// The page body: margins, the page procedure's call, the symbol procedures and every item.
bool write_page_body() {
    auto& st = PostScriptState;
    SymbolProcedures.candidate_count = 0;
    SymbolProcedures.procedure_count = 0;
    SymbolProcedures.entries = 0;
    if (ps_job_aborted()) return false;
    render::DocumentFontList.open = 0;
    render::DocumentFontList.count = 0;
    const std::string names = platform::work_file(kFontNameFile);
    std::remove(names.c_str());
    if (!core::open_unit_at_local_path(render::kFontNameUnit, names, core::UnitStatus::Unknown,
                                       core::UnitForm::Text))
        core::show_message(core::ReplyKind::Failure, "Error opening temp. font name file.");
    render::OutputPassWord = -1;
    if (!write_ps_line(" /lmar" + i7(st.lmar) + " def /bmar" + i7(st.bmar) + " def") ||
        !write_ps_line(" lmar bmar tr} def") || !write_ps_line(" g KELDA"))
        return false;
    if (OutputSettings.mirror == 1 && !write_ps_line(" 29900 0 tr -1 1 scale")) return false;
    define_symbol_procedures();
    if (ps_job_aborted()) return false;
    render::OutputPassWord = -1;
    render::redraw_items();
    // The page's name shows while it is written; it asks nothing, so the window still shows
    // where the output went once the command ends.
    const int32_t status = core::CommandStatusWord;
    core::show_prompt(core::ReplyKind::Notice, core::CurrentFileName.view());
    core::CommandStatusWord = status;
    return !ps_job_aborted();
}

// One document: page values, the output (for the first document, or each one of a batch
// written one file each), the header, the prolog and the page. False when the job stopped.
bool write_document(bool batch, int32_t doc, int32_t count) {
    derive_page_values();
    if ((doc == 1 || OutputSettings.batch_naming != 1) && !open_output(batch)) return false;
    if (write_header_comments(batch, doc, count) && write_prolog() && write_page_body())
        return true;
    return false;
}

// Marks a stopped job: nothing more is written, the caller finishes nothing, and what was
// written is dropped (the file it would have replaced stays as it was).
void stop_job() {
    core::CommandLine(1) = 'X';
    render::OutputPassWord = 0;
    end_font_names();
    core::abandon_unit(render::kPostScriptUnit);
    PostScriptState.pending_boxes.clear();
}

// Loads the document of the batch through the file commands' load and measures its page.
// False (told) when it cannot be loaded.
bool load_batch_document(int32_t doc) {
    const core::FixedText<512> name = BatchList.names(doc);
    render::OutputPassWord = 1;
    const auto load = OutputHooks.load_document_file;
    if (load == nullptr || !load(name)) {
        core::show_message(core::ReplyKind::Failure, "Leaving Batch Printing.");
        return false;
    }
    measure_and_place_print_box();
    return true;
}

// True when the job goes to a printer (its work file is handed on once it is finished).
bool job_goes_to_printer() {
    const std::string path = job_output_path();
    return path == platform::work_file(kPrinterJobFile) || path == platform::work_file(kUsbJobFile);
}

// The documents of a batch, each finished here, on one output or one file each. The batch
// loads its documents over the page: unsaved changes are asked about first, as a load does.
void print_batch() {
    auto& st = PostScriptState;
    const int32_t count =
        build_batch_list(core::CommandLine(3) == 'F' ? kBatchListFile : kBatchTyped);
    if (count <= 0 || core::CommandLine(1) == '-') {
        core::CommandLine(1) = 'X';
        return;
    }
    if (core::ChangesMadeFlag != 0 && core::confirm_discard(1) != -1) {
        core::CommandLine(1) = 'X';
        // The message line still holds the typed names: say what became of them.
        core::leave_reply(core::ReplyKind::Notice, kBatchKeptPageMessage);
        return;
    }
    // A printer takes one job: the batch is one output whatever the naming flag says.
    if (job_goes_to_printer()) OutputSettings.batch_naming = 1;
    st.batch_count = count;
    for (int32_t doc = 1; doc <= count; ++doc) {
        st.document_number = doc;
        if (!load_batch_document(doc)) {
            // What was written stays whole: the output is ended where the batch stopped, and
            // every document's header counts the pages it holds.
            if (core::unit_is_open(render::kPostScriptUnit)) {
                if (OutputSettings.batch_naming == 1) {
                    for (const int64_t at : st.pages_offsets)
                        st.pending_boxes.emplace_back(at, i3(doc - 1));
                }
                close_output();
            }
            core::CommandLine(1) = 'X';
            break;
        }
        if (!write_document(true, doc, count)) {
            stop_job();
            break;
        }
        finish_ps_document();
        if (ps_job_aborted()) {
            stop_job();
            break;
        }
        if (doc == count) st.batch_finished = count;
    }
    render::OutputPassWord = 1;
    core::update_title_line(core::CurrentFileName);
    render::redraw_items();
}

}  // namespace

// Contract: see the header. Without batch printing the page stays open for finish_ps_document
// (the caller's). The view origin x is 2400 for the job and restored after it.
void print_postscript() {
    auto& st = PostScriptState;
    st.batch_count = 0;
    st.batch_finished = 0;
    int32_t go = 0;
    select_ps_output(go);
    if (core::CommandLine(1) == 'X') return;
    if (go != 1) {
        core::CommandModeLetters(1) = 'B';
        return;
    }
    st.pending_boxes.clear();
    st.pages_offsets.clear();
    st.document_number = 1;
    const int32_t saved_view_x = render::ViewOrigin.x;
    render::ViewOrigin.x = 2400;
    if (core::CommandLine(2) == 'B') {
        print_batch();
    } else if (core::ItemCount <= 0) {
        // A page with nothing on it is no document: nothing is opened or written, and a
        // script that asked for the output learns that it was not made.
        core::show_message(core::ReplyKind::Failure, kEmptyPageMessage);
        core::mark_run_failed();
        core::CommandLine(1) = 'X';
    } else if (!write_document(false, 1, 1)) {
        stop_job();
    }
    render::ViewOrigin.x = saved_view_x;
}

// Contract: see the header. Reads PrintBox, PostScriptState, OutputSettings and
// DocumentFontList; the font-name file is read back and deleted. In a batch written to one
// output the output stays open (its box is remembered) until the last document. A box that
// would not fit its 27 columns is not written: the first box stays. After a stopped job
// only the files are closed.
void finish_ps_document() {
    auto& st = PostScriptState;
    const auto& out = OutputSettings;
    const bool one_output = st.batch_count > 0 && out.batch_naming == 1;
    const bool last = !one_output || st.document_number >= st.batch_count;
    if (out.rotate == 1) {
        const int32_t left = PrintBox(1);
        const int32_t bottom = PrintBox(2);
        const int32_t right = PrintBox(3);
        const int32_t top = PrintBox(4);
        PrintBox(3) = -bottom;
        PrintBox(2) = left - 266;
        PrintBox(1) = -top;
        PrintBox(4) = right - 266;
        const int32_t lmar = st.lmar;
        st.lmar = int_of(34000.0 / job_size() - st.bmar);
        st.bmar = lmar;
    }
    bool ok = write_ps_line("showpage") && write_ps_line("r restore") && write_ps_line("end");
    // The font prolog began its own dictionary and saved above the page's save.
    if (ok && render::SentFontSlots.prolog != 0)
        ok = write_ps_line("end") && write_ps_line("restore");
    bool measured = false;
    if (ok && render::DocumentFontList.open != 0) {
        core::close_unit(render::kFontNameUnit);
        ok = write_ps_line("%%Trailer");
        const int32_t fonts = render::DocumentFontList.count;
        if (ok && fonts < 1) {
            ok = write_ps_line("%%DocumentFonts: ");
            measured = ok;
        } else if (ok && core::open_unit_at_local_path(
                             render::kFontNameUnit, platform::work_file(kFontNameFile),
                             core::UnitStatus::Old, core::UnitForm::Text)) {
            std::string name;
            for (int32_t k = 1; ok && k <= fonts; ++k) {
                if (core::read_record(render::kFontNameUnit, name) != core::IoResult::Ok) break;
                name = name.substr(0, 28);
                while (!name.empty() && name.back() == ' ') name.pop_back();
                ok = write_ps_line((k == 1 ? "%%DocumentFonts: " : "%%+ ") + name);
            }
            measured = ok;
        }
    }
    end_font_names();
    if (measured && st.box_offset >= 0) {
        const double spu = st.scale_per_unit;
        // In 64 bits: a box at the ends of the range neither wraps round nor overflows.
        const auto edge = [spu](int32_t v, int32_t margin, int64_t out) {
            const int64_t e = int64_t{nint((static_cast<double>(v) + margin) * spu)} + out;
            return static_cast<int32_t>(std::clamp<int64_t>(e, INT32_MIN, INT32_MAX));
        };
        int32_t x1 = edge(PrintBox(1), st.lmar, -1), y1 = edge(PrintBox(2), st.bmar, -1);
        int32_t x2 = edge(PrintBox(3), st.lmar, 1), y2 = edge(PrintBox(4), st.bmar, 1);
        // The header and footer are ink on the paper too: a box without them would cut them off.
        if (std::array<int32_t, 4> extra{}; header_footer_extent(extra)) {
            if (x1 > x2 || y1 > y2) {
                x1 = extra[0], y1 = extra[1], x2 = extra[2], y2 = extra[3];
            } else {
                x1 = std::min(x1, extra[0]);
                y1 = std::min(y1, extra[1]);
                x2 = std::max(x2, extra[2]);
                y2 = std::max(y2, extra[3]);
            }
        }
        std::string text;
        if (x1 > x2 || y1 > y2) {
            text = "0 0 0 0 ";  // nothing measured: the empty box, never a crossed one
        } else {
            for (const int32_t v : {x1, y1, x2, y2}) text += std::to_string(v) + " ";
        }
        if (text.size() <= kBoxNumbersWidth) {
            text.resize(kBoxNumbersWidth, ' ');
            st.pending_boxes.emplace_back(st.box_offset, text);
        }
    }
    if (last || ps_job_aborted()) close_output();
    render::OutputPassWord = 1;
    core::CommandModeLetters(2) = 0;
}

// Contract: see the header. The writer's values while a job's output is open; otherwise the
// values are left as they came (the screen's).
void eps_page_values(render::RenderHooksRecord::EpsPageValues& values) {
    if (!core::unit_is_open(render::kPostScriptUnit)) return;
    const auto& st = PostScriptState;
    values.points_per_unit = st.scale_per_unit;
    values.base_width = st.base_line_width;
    values.left_margin = static_cast<float>(st.lmar) * st.scale_per_unit;
    values.bottom_margin = static_cast<float>(st.bmar) * st.scale_per_unit;
    values.staff_base_points = values.staff_base_units * st.scale_per_unit;
}

// Contract: see the header. The printer ("LPT1" in any case, a network printer "\\server\q")
// and the USB printer write a work-folder file that is handed on when it is finished; any other
// name is the user's, a bare one in the current folder.
std::string job_output_path() {
    const std::string name = name_of(OutputFileName);
    if (starts_with_nocase(name, "LPT1") || name.rfind("\\\\", 0) == 0)
        return platform::work_file(kPrinterJobFile);
    if (OutputSettings.to_port == kToUsb || starts_with_nocase(name, "\\!TMP\\USBX.EPS"))
        return platform::work_file(kUsbJobFile);
    return platform::local_path(core::make_temp_path(name));
}

// Contract: see the header.
void end_unfinished_ps_job() {
    if (render::OutputPassWord != -1 && !core::unit_is_open(render::kPostScriptUnit)) return;
    stop_job();
    render::OutputPassWord = 1;
}

}  // namespace output
