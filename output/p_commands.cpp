// The P words: print and batch jobs, the page toggle, page settings, the points unit,
// preferences, the current folder and the nine folder slots of "!path.tmp"; and the report of
// where a finished job went, with the hand-over of printer jobs to the spooler.
#include "output/p_commands.h"

#include <cctype>
#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/shown_text.h"
#include "engine/core/files/document_tables.h"
#include "engine/core/files/file_names.h"
#include "engine/core/files/file_units.h"
#include "engine/core/preferences.h"
#include "engine/core/store/item_panel_record.h"
#include "engine/core/tables.h"
#include "engine/edit/edit_services.h"
#include "engine/edit/systems/stem_direction.h"
#include "engine/layout/tables.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/ps_errors.h"
#include "engine/render/tables.h"
#include "output/output_names.h"
#include "output/ps_display_list.h"
#include "output/ps_document.h"
#include "output/tables.h"
#include "platform/paths.h"
#include "platform/printer.h"

namespace output {
namespace {

using core::CommandLine;
using core::CommandModeLetters;
using core::FixedText;
using core::MessageLine;
using core::SecondLine;

constexpr int kPathUnit = 12;
constexpr int kPathSlotCount = 9;
// Folder names shorter than this are padded to it in "!path.tmp" (a NUL, then blanks).
constexpr std::size_t kPathFieldWidth = 48;
constexpr int kPageToggleSlots = 26;

int letter(int i) { return static_cast<unsigned char>(CommandLine(i)); }

// The text of SecondLine from column first on: leading blanks (at most 40, as the field was
// once cut) and trailing blanks removed, the rest kept as typed.
std::string typed_name_from(int first) {
    std::string name(SecondLine.sub(first, FixedText<512>::size()));
    const std::size_t nul = name.find('\0');
    if (nul != std::string::npos) name.erase(nul);
    std::size_t lead = 0;
    while (lead < name.size() && lead < 40 && name[lead] == ' ') ++lead;
    name.erase(0, lead);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

void reply(core::ReplyKind kind, std::string_view text) { core::leave_reply(kind, text); }

// Where a job went. A command file runs on in the same call and its later lines replace the
// reply, so there it is shown at once as well: a batch's log confirms each file it wrote.
void reply_job_output(std::string_view text) {
    reply(core::ReplyKind::Notice, text);
    if (core::MacroUnit != core::DefaultMacroUnit)
        core::show_line_reply(core::ReplyKind::Notice, MessageLine.c_text());
}

// ---- the page toggle ----------------------------------------------------------------------

// Moves every item to the other page by adding or taking PageExtent from its staff number;
// refuses, changing nothing, when items lie on both pages or a staff would pass
// MaxStaffNumber. Reads and writes ItemStore; reads PageExtent, MaxStaffNumber.
void toggle_page() {
    const float offset = render::PageExtent;
    bool any_above = false;
    bool any_below = false;
    float highest = 0.0f;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const float staff = core::ItemStore(core::ItemStartTable(k) + 2);
        if (staff > offset) any_above = true;
        if (staff < offset) any_below = true;
        if (staff > highest) highest = staff;
    }
    float shift = 0.0f;
    if (!any_above) {
        if (highest + offset > static_cast<float>(layout::MaxStaffNumber)) {
            core::show_message(core::ReplyKind::Failure,
                               "**** The other page would pass staff " +
                                   std::to_string(layout::MaxStaffNumber) + ": nothing moved.");
        } else {
            shift = offset;
        }
    } else if (any_below) {
        core::show_message(core::ReplyKind::Failure, "Some items already on other page.");
    } else {
        shift = -offset;
    }
    if (shift != 0.0f && core::ItemCount > 0) {
        for (int32_t k = 1; k <= core::ItemCount; ++k)
            core::ItemStore(core::ItemStartTable(k) + 2) += shift;
        // The page has changed like any edit: leaving it must ask first.
        core::ChangesMadeFlag = 1;
        render::redraw_items();
        render::redraw_items();
    }
    edit::show_item_palette(core::kGeneralPalette);
    CommandLine(1) = 'X';
}

// ---- page settings and units --------------------------------------------------------------

// "PS* slot value": keeps the value in PageSettingSlots and echoes the line with "saved for
// PG" over its columns 15-26; a slot outside 1..26 is refused with a message.
void save_page_setting() {
    const float raw = core::ParamBuffer(2);
    const int32_t slot =
        std::isfinite(raw) && std::fabs(raw) < 1.0e6f ? static_cast<int32_t>(raw) : 0;
    if (slot < 1 || slot > kPageToggleSlots) {
        core::report_failure("**** Page setting slot must be 1 to " +
                             std::to_string(kPageToggleSlots) + ".");
        return;
    }
    PageSettingSlots(slot) = core::ParamBuffer(3);
    FixedText<512> saved = SecondLine;
    saved.put(15, 26, "saved for PG");
    core::leave_reply(core::ReplyKind::Notice, saved.view());
}

// The units message of the points unit; the layout's own message when it has registered one.
void show_units_message() {
    if (core::PreferencesHooks.format_units_message != nullptr) {
        core::PreferencesHooks.format_units_message();
        return;
    }
    reply(core::ReplyKind::Notice, "*** Measurements = POINTS");
}

// ---- folders ------------------------------------------------------------------------------

// A folder too deep for the reply shows its end.
void show_folder() {
    constexpr std::string_view kFront = "Path = ";
    reply(core::ReplyKind::Notice,
          std::string(kFront) +
              core::shown_end(platform::current_folder(),
                              static_cast<std::size_t>(MessageLine.size()) - kFront.size()));
}

// Whether a folder of that whole path leaves room for the names of the files in it; when not,
// the user is told the limit.
bool folder_leaves_room(const std::string& path) {
    if (path.size() <= core::kLongestFolderPath) return true;
    const std::string front =
        "**** Not entered: a folder's path is kept to " + std::to_string(core::kLongestFolderPath) +
        " bytes, so that its files' names fit " + std::to_string(core::kLongestFileName) + ": ";
    core::report_failure(
        front +
        core::shown_end(path, static_cast<std::size_t>(core::kLineBufferChars) - front.size()));
    return false;
}

// Makes (for "MAKEDIR") and enters the folder, as typed: a relative name is taken in the
// current folder. Failures are shown; the reply is the name tried. SecondLine becomes "rrh",
// which the interpreter's P row reads as the folder step. A folder whose path leaves no room
// for file names is neither made nor entered.
void change_folder_to(std::string name) {
    SecondLine.set("rrh");
    std::size_t lead = 0;
    while (lead < name.size() && lead < 40 && name[lead] == ' ') ++lead;
    name.erase(0, lead);
    if (!folder_leaves_room(platform::folder_path(name))) {
        reply(core::ReplyKind::Failure, name);
        return;
    }
    bool made = true;
    if (CommandModeLetters(1) == 'M') {
        std::string why;
        made = platform::make_folder(name, &why);
        if (!made) core::report_failure("**** Cannot make folder " + name + ": " + why);
    }
    const bool entered = made && platform::change_folder(name);
    if (made && !entered) core::report_failure("**** Cannot change to folder " + name);
    reply(entered ? core::ReplyKind::Notice : core::ReplyKind::Failure, name);
}

// Reads "!path.tmp" into the slots: true when nine lines were read. A line's trailing
// characters below "!" are padding.
bool read_path_slots() {
    for (int k = 1; k <= kPathSlotCount; ++k) {
        std::string line;
        if (core::read_record(kPathUnit, line) != core::IoResult::Ok) return false;
        while (!line.empty() && static_cast<unsigned char>(line.back()) < '!') line.pop_back();
        PathSlots.folders(k).set(line);
        trim_name_to_nul(PathSlots.folders(k));
    }
    return true;
}

// Writes the nine slots to "!path.tmp", each name whole; a shorter one is padded to 48 with a
// NUL and blanks. False when the file cannot be written.
bool write_path_slots(const std::string& path) {
    if (!core::open_unit_at_local_path(kPathUnit, path, core::UnitStatus::Replace,
                                       core::UnitForm::Text))
        return false;
    bool ok = true;
    for (int k = 1; k <= kPathSlotCount && ok; ++k) {
        std::string line = PathSlots.folders(k).c_text();
        if (line.size() < kPathFieldWidth) {
            line.push_back('\0');
            line.resize(kPathFieldWidth, ' ');
        }
        ok = core::write_record(kPathUnit, line) == core::IoResult::Ok;
    }
    return core::close_unit(kPathUnit) && ok;
}

// "PATHX n": the folder of slot n (1..9) without the dialog when "!path.tmp" reads whole;
// otherwise the Path List dialog chooses, and its slots are written back.
void run_path_list() {
    const float raw = core::ParamBuffer(2);
    int32_t n = std::isfinite(raw) && std::fabs(raw) < 1.0e6f ? static_cast<int32_t>(raw) : 0;
    const std::string path = platform::work_file("!path.tmp");
    if (!core::open_unit_at_local_path(kPathUnit, path, core::UnitStatus::Unknown,
                                       core::UnitForm::Text))
        return;
    const bool whole = read_path_slots();
    core::close_unit(kPathUnit);
    PathSlots.current.set(platform::current_folder());
    trim_name_to_nul(PathSlots.current);
    if (!whole || n < 1 || n > kPathSlotCount) {
        if (!core::has_front_end()) return;
        if (core::front_end().RunPathListDialog(n, PathSlots.folders, PathSlots.current) == 2)
            return;
        for (int k = 1; k <= kPathSlotCount; ++k) trim_name_to_nul(PathSlots.folders(k));
        if (!write_path_slots(path)) return;
    }
    if (n < 1 || n > kPathSlotCount) return;
    const std::string name = PathSlots.folders(n).c_text();
    if (name.empty()) {
        show_folder();
    } else {
        change_folder_to(name);
    }
}

// ---- jobs ---------------------------------------------------------------------------------

bool printer_queue_of(const std::string& target, std::string& queue);

// The reply for a job handed to a printer: the port, the USB printer (its work file is only
// the job on its way to the spooler), or the network queue named.
std::string printer_reply(const std::string& target) {
    if (starts_with_nocase(target, "LPT1")) return "Output to LPT1.";
    if (OutputSettings.to_port == kToUsb) return "Output to the USB printer.";
    return "Output to file - " + target;
}

// Where a finished batch went; a printer batch is handed on as a page is. A batch that
// stopped was told of by the writer. The batch finished its documents itself.
void report_batch_output() {
    const auto& st = PostScriptState;
    if (st.batch_finished <= 0) return;
    const std::string target = OutputFileName.c_text();
    std::string queue;
    if (printer_queue_of(target, queue)) {
        const std::string job = job_output_path();
        reply_job_output(printer_reply(target));
        if (platform::file_exists(job)) send_job_to_printer(job, queue);
    } else if (OutputSettings.batch_naming == 0) {
        reply_job_output("Output to " + std::to_string(st.batch_finished) +
                         " EPS files, one for each document.");
    } else {
        reply_job_output("Output to file - " + target);
    }
    core::DocumentStarted = 1;
}

// The end of every print or batch job: the writer selected fonts of its own, so the next text
// loads its metrics again; a batch is reported, a page still open is finished and reported
// (unless the job was abandoned or never started), and the output pass always ends.
void end_print_job() {
    render::LoadedFont.number = -1;
    render::LoadedFont.last_metric_font = -1;
    render::LoadedFont.ps_width = -1.0f;
    if (PostScriptState.batch_count > 0) {
        report_batch_output();
    } else if (CommandModeLetters(1) != 'B' && CommandLine(1) != 'X') {
        choose_output();
    }
    // A failed job was told of by the write-error box, which stays its reply: the typed word
    // left in the message line, or the scan direction, would read as a reply of its own.
    if (ps_job_aborted())
        core::leave_reply(core::ReplyKind::Failure, render::last_ps_write_error());
    // The engine always leaves the output pass, whatever became of the job.
    end_unfinished_ps_job();
    OutputNameField.blank();
    core::reset_item_panel_record();
    render::redraw_items();
}

// A batch job: the documents of the batch list go out; a job the writer marked "-" ends as
// abandoned ("X"). When the setup chose no batch, the page went out as by a print job and is
// finished as one.
void run_batch_job() {
    CommandModeLetters(1) = 0;
    print_postscript();
    if (CommandLine(1) == '-') CommandLine(1) = 'X';
    end_print_job();
}

// A print job of the page; an empty page runs the batch job instead.
void run_print_job() {
    if (core::ItemCount <= 0) {
        CommandModeLetters(2) = 'B';
        run_batch_job();
        return;
    }
    PrintMark = core::ItemWordsUsed;
    CommandModeLetters(1) = 0;
    print_postscript();
    end_print_job();
}

// The printer queue a target goes to, or false for a file: "LPT1" and the USB printer go to
// the default queue, "\\server\q" to the queue q (a network name ending ".eps" is a file).
bool printer_queue_of(const std::string& target, std::string& queue) {
    queue.clear();
    if (starts_with_nocase(target, "LPT1") || OutputSettings.to_port == kToUsb) return true;
    if (target.size() > 2 && target[0] == '\\' && target[1] == '\\' &&
        !ends_with_nocase(target, ".eps")) {
        queue = target.substr(target.find_last_of('\\') + 1);
        return true;
    }
    return false;
}

}  // namespace

// Contract: see the header. Reads CommandLine, SecondLine, CommandModeLetters, ParamBuffer;
// every row's tables as its routine says.
void run_p_command() {
    const int second = letter(2);
    if (letter(2) == 'G' && letter(3) == 'R') {
        toggle_page();
        return;
    }
    if (CommandLine.starts_with("MAKEDIR")) {
        change_folder_to(typed_name_from(9));
        return;
    }
    if (CommandLine.starts_with("PS*")) {
        save_page_setting();
        return;
    }
    if (CommandLine.starts_with("POI")) {
        core::MetricFlag = 2;
        show_units_message();
    }
    if ((second == 'R' || second == 'B') && letter(3) == 'E') {
        core::run_preferences_command();
        core::FrontEndCommandBuffer.blank();
        return;
    }
    if (second == 'B') {
        run_batch_job();
        return;
    }
    if (second == 'R') {
        run_print_job();
        return;
    }
    if (CommandLine.starts_with("PATH")) {
        if (letter(5) == 'X') {
            run_path_list();
            return;
        }
        const std::string name = typed_name_from(6);
        if (name.empty()) {
            show_folder();
        } else {
            change_folder_to(name);
        }
        return;
    }
    if (second == 'A' || second == 'M' || second == 'S' || second == 'T') return;
    edit::zoom_to_fit();
}

// Contract: see the header. Reads OutputFileName, OutputSettings, CommandModeLetters; writes
// MessageLine, DocumentStarted. A printer job's work file goes to the spooler; when none takes
// it the file stays and the message says where. A job that failed (its file, even its close)
// is neither reported as written nor handed to the spooler.
void choose_output() {
    if (CommandModeLetters(1) != 'B') {
        const std::string target = OutputFileName.c_text();
        finish_ps_document();
        std::string queue;
        if (ps_job_aborted()) {
            // The write-error box has told why: the job was neither written nor printed.
        } else if (printer_queue_of(target, queue)) {
            const std::string job = job_output_path();
            reply_job_output(printer_reply(target));
            // A job that was never written (the writer reported why) has nothing to send.
            if (!job.empty() && platform::file_exists(job)) send_job_to_printer(job, queue);
        } else {
            reply_job_output("Output to file - " + target);
        }
        render::redraw_items();
    }
    core::DocumentStarted = 1;
}

// Contract: see the header.
bool send_job_to_printer(const std::string& path, const std::string& queue) {
    if (platform::send_to_printer(path, queue)) return true;
    reply(core::ReplyKind::Failure,
          "**** No printer took the job: the PostScript is kept in " + platform::shown_path(path));
    return false;
}

// Contract: see the header.
void trim_name_to_nul(FixedText<512>& name) {
    int last = 0;
    for (int i = 1; i <= FixedText<512>::size(); ++i) {
        if (name.code(i) > ' ') last = i;
    }
    if (last > 0 && last < FixedText<512>::size()) name(last + 1) = '\0';
}

}  // namespace output
