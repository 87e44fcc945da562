// Reading library drawing files, the library folders, and the Code 11 item drawer with its
// slot store of old drawing files.
#include "engine/render/symbols/drawing_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string_view>
#include <vector>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/file_units.h"
#include "engine/core/files/word_start_page.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/drawing_convert.h"
#include "engine/render/tables.h"
#include "platform/paths.h"

namespace render {

LibraryDrawingBuffersRecord LibraryDrawingBuffers;

namespace {

constexpr int kDrawingUnit = 9;
constexpr int kHeaderBytes = 2 * (kDrawingsPerFile + 1) + kDrawingsPerFile * kDrawingNameLength;
constexpr int32_t kLastFileNumber = 999;
// The largest Code 11 drawing number that makes a file name (four digits).
constexpr int32_t kLastCode11Number = 9999;
// File numbers the conversions may write (symbols 5000..9989).
constexpr int32_t kFirstUserFile = 500;
constexpr int32_t kLastUserFile = 998;

// Off once the "Changed to clef." notice has had its check box ticked.
bool g_notice_off = false;
// The files whose clef notice or damage has been reported, for the library folder named in
// g_reported_folder: a page is redrawn often, and each file is told about once.
std::set<std::string> g_reported;
std::string g_reported_folder;
// The missing files told in the word under way (core::words_begun): a word may redraw the page
// many times, each time asking again for every symbol of a missing file.
std::set<std::string> g_missing_told;
int64_t g_missing_word = -1;

std::string trim_right(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// The library folder as the program names it (ending in a separator).
std::string library_folder_name() {
    std::string folder = trim_right(core::LibraryFolder.c_text());
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

bool is_regular_file(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Local path of the library folder ("" when it is not set).
std::string library_folder_local() {
    const std::string folder = library_folder_name();
    if (folder.empty()) return {};
    std::string local = platform::local_path(folder);
    while (local.size() > 1 && local.back() == '/') local.pop_back();
    return local;
}

bool inside_folder(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.empty()) return false;
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(path, ec);
    const auto f = std::filesystem::weakly_canonical(folder, ec);
    const std::string ps = p.string(), fs = f.string();
    return ps == fs ||
           (ps.size() > fs.size() && ps.compare(0, fs.size(), fs) == 0 && ps[fs.size()] == '/');
}

void clear_header(DrawingStartTable& start, DrawingNames& names) {
    start.fill(0);
    for (int k = 1; k <= kDrawingsPerFile; ++k) names(k).blank();
}

// True the first time the missing file at path is told in the word under way.
bool first_missing_report(const std::string& path) {
    if (core::words_begun() != g_missing_word) {
        g_missing_told.clear();
        g_missing_word = core::words_begun();
    }
    return g_missing_told.insert(path).second;
}

// True the first time path is reported while the library folder stays the same.
bool first_report(const std::string& path) {
    const std::string folder = library_folder_name();
    if (folder != g_reported_folder) {
        g_reported.clear();
        g_reported_folder = folder;
    }
    return g_reported.insert(path).second;
}

// The reader's failure notice for the file name (see read_library_drawing); damaged is the
// local path of a file found but not readable whole ("" when none was found).
void report_unreadable(int32_t file_number, const std::string& name, const std::string& damaged) {
    if (!damaged.empty()) {
        if (first_report(damaged))
            core::report_failure(std::string(core::kDamagedFileMessage) + damaged);
        return;
    }
    const std::string shown = platform::shown_path(library_folder_name() + name);
    const int32_t code = core::int_of(core::ParamBuffer(1));
    const bool clef_notice = (code == 1 || code == 9) && file_number != 0;
    if (!clef_notice) {
        if (first_missing_report(shown)) core::report_failure("File not found --> " + shown);
        return;
    }
    if (g_notice_off || !first_report(shown)) return;
    const std::string text = shown + " - Changed to clef.";
    // The notice's dialog reads the text to its NUL.
    core::leave_reply(core::ReplyKind::Notice, text + '\0');
    if (core::front_end().RunDontShowAgainNotice() != 0) g_notice_off = true;
}

// Reads the whole file at path into start, names and LibraryDrawingBuffers. False on a short
// file or a point count beyond the buffers.
bool read_drawing_file(const std::string& path, DrawingStartTable& start, DrawingNames& names) {
    core::close_unit(kDrawingUnit);
    if (!core::open_unit(kDrawingUnit, path, core::UnitStatus::Old, core::UnitForm::Raw))
        return false;
    std::array<unsigned char, kHeaderBytes> header{};
    bool ok = core::read_bytes(kDrawingUnit, header.data(), header.size()) == core::IoResult::Ok;
    int32_t n = 0;
    if (ok) {
        for (int k = 1; k <= kDrawingsPerFile + 1; ++k)
            start(k) = core::get_le_i16(header.data() + 2 * (k - 1));
        for (int k = 1; k <= kDrawingsPerFile; ++k) {
            const auto* p =
                reinterpret_cast<const char*>(header.data()) + 22 + (k - 1) * kDrawingNameLength;
            names(k).set(std::string_view(p, kDrawingNameLength));
        }
        n = std::max<int32_t>(start(kDrawingsPerFile + 1) - 1, 0);
        ok = n <= kLibraryDrawingPoints;
    }
    if (ok && n > 0) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(n) * 10);
        ok = core::read_bytes(kDrawingUnit, bytes.data(), bytes.size()) == core::IoResult::Ok;
        auto& buf = LibraryDrawingBuffers;
        for (int32_t i = 1; ok && i <= n; ++i) {
            buf.x(i) = core::get_le_f32(bytes.data() + 4 * (i - 1));
            buf.y(i) = core::get_le_f32(bytes.data() + 4 * (n + i - 1));
            const int16_t pen = core::get_le_i16(bytes.data() + 8 * n + 2 * (i - 1));
            buf.pen(i) = pen < 0 ? int16_t{0} : pen;
        }
    }
    core::close_unit(kDrawingUnit);
    if (!ok) return false;
    // Entries pointing outside the points would make the symbol drawer read past them.
    start(1) = 1;
    for (int k = 2; k <= kDrawingsPerFile; ++k)
        start(k) = static_cast<int16_t>(std::clamp<int32_t>(start(k), 1, n + 1));
    start(kDrawingsPerFile + 1) = static_cast<int16_t>(n + 1);
    return true;
}

// ---- the Code 11 slot store: old drawing files as the drawer loads them ----

constexpr int kSlotFiles = 18;
constexpr int kSlotValues = 12000;
constexpr int kOldHeaderWords = 12;  // lead word and 11 start entries
constexpr int kOldNameBytes = 50;

struct SlotFile {
    std::string key;  // first five characters of the file's name
    std::array<int16_t, kOldHeaderWords> header{};
    std::array<char, kOldNameBytes> names{};
    std::vector<int16_t> values;
};

struct SlotStore {
    std::vector<SlotFile> files;  // oldest first
    int32_t values = 0;
};
SlotStore g_slots;

bool slot_loaded(const std::string& key) {
    for (const auto& f : g_slots.files)
        if (f.key == key) return true;
    return false;
}

// The five-character key of a drawing file name (its name without folders).
std::string slot_key(const std::string& name) {
    std::string base = name;
    if (const auto cut = base.find_last_of("\\/"); cut != std::string::npos) base.erase(0, cut + 1);
    return base.substr(0, 5);
}

// Adds the file to the store, dropping the oldest files while a limit would be passed.
void keep_slot(SlotFile file) {
    const int32_t n = static_cast<int32_t>(file.values.size());
    if (n > kSlotValues) return;
    while (!g_slots.files.empty() && (static_cast<int>(g_slots.files.size()) >= kSlotFiles ||
                                      g_slots.values + n > kSlotValues)) {
        g_slots.values -= static_cast<int32_t>(g_slots.files.front().values.size());
        g_slots.files.erase(g_slots.files.begin());
    }
    g_slots.values += n;
    g_slots.files.push_back(std::move(file));
}

// The name of the Code 11 item's old drawing file: the 24 characters packed in P14..P19, with
// ".DRW" right after the last non-blank.
std::string code11_name_from_params() {
    char chars[24];
    std::memcpy(chars, core::ParamBuffer.at(14), sizeof chars);
    std::string name(chars, sizeof chars);
    for (char& c : name)
        if (c == '\0') c = ' ';
    name = trim_right(name);
    if (name.empty()) return {};
    return name + ".DRW";
}

// The name of a Code 11 item without a packed name: its drawing number P6 (truncated) names the
// old library file of that number's ten, "LB" + four digits with the last made 0 + ".DRW"
// (P6 = 1234 gives "LB1230.DRW"). A number that makes no such name (negative, above
// kLastCode11Number, NaN or infinite) gives "" after telling the user once per redraw on the
// message line: a message box would stop the redraw for every such item.
std::string code11_name_from_number() {
    const float p6 = core::ParamBuffer(6);
    const bool in_range =
        !std::isnan(p6) && p6 > -1.0f && p6 < static_cast<float>(kLastCode11Number + 1);
    if (in_range) {
        std::string digits = core::format_int("(1i4.4)", core::int_of(p6));
        digits.back() = '0';
        return "LB" + digits + ".DRW";
    }
    if (DrawingRangeReported == 0 && core::has_front_end()) {
        DrawingRangeReported = 1;
        char number[64];
        if (std::isnan(p6)) {
            std::snprintf(number, sizeof number, "NaN");
        } else {
            std::snprintf(number, sizeof number, "%.0f", std::trunc(static_cast<double>(p6)));
        }
        const std::string text = "*** Drawing number out of range: " + std::string(number);
        core::show_line_reply(core::ReplyKind::Failure, text);
    }
    return {};
}

void draw_code11_adapter() { draw_drw_file_item(ItemDrawOrigin.x, ItemDrawOrigin.y); }

}  // namespace

std::string library_file_name(int32_t file_number) {
    return "lb" + core::format_int("(1i3.3)", file_number) + "0.drw";
}

std::string library_write_folder() {
    const std::string library = library_folder_local();
    if (!library.empty() && !inside_folder(library, platform::data_folder())) return library;
    if (platform::work_folder().empty()) return {};
    return platform::work_folder() + "/mxlib";
}

std::string find_library_file(int32_t file_number) {
    if (file_number < 0 || file_number > kLastFileNumber) return {};
    const std::string name = library_file_name(file_number);
    const std::string library = library_folder_local();
    if (file_number >= kFirstUserFile && file_number <= kLastUserFile) {
        const std::string user = library_write_folder();
        if (!user.empty() && user != library) {
            const std::string p = platform::local_path(user + "/" + name);
            if (is_regular_file(p)) return p;
        }
    }
    if (library.empty()) return {};
    const std::string p = platform::local_path(library + "/" + name);
    return is_regular_file(p) ? p : std::string();
}

// Contract: see the header. Writes LibraryDrawingBuffers and unit 9 (closed again); reads
// LibraryFolder, P1 (the item's code decides the notice) and the notice switch. Nothing is
// changed in the item.
bool read_library_drawing(int32_t file_number, DrawingStartTable& start, DrawingNames& names) {
    clear_header(start, names);
    const std::string name = library_file_name(file_number);
    const std::string path = find_library_file(file_number);
    if (!path.empty() && read_drawing_file(path, start, names)) return true;
    clear_header(start, names);
    report_unreadable(file_number, name, path);
    return false;
}

// Contract: see the header. Reads P5..P19 and IP10 of the item, OutputPassWord and
// DrawingRangeReported (raised when a drawing number out of range is told). A name that cannot
// be found is reported as a failure once per word; nothing is drawn either way.
void draw_drw_file_item(float x, float y) {
    core::push_words(12, core::ParamBuffer.at(5));
    try {
        std::string name = code11_name_from_params();
        if (name.empty()) name = code11_name_from_number();
        const std::string path = name.empty() ? std::string() : find_old_drawing_file(name);
        if (path.empty()) {
            if (!name.empty() && first_missing_report(name))
                core::report_failure("File not found --> " + name);
        } else if (!slot_loaded(slot_key(name))) {
            SlotFile file;
            file.key = slot_key(name);
            if (read_old_drawing_slots(path, file.header, file.names, file.values))
                keep_slot(std::move(file));
        }
        const int32_t width = core::IntParamBuffer(10);
        if (OutputPassWord == -1 && width != 0) {
            run_hook(RenderHooks.add_path_width, width);
            run_hook(RenderHooks.add_path_break);
        }
    } catch (...) {
        core::pop_words(12, core::ParamBuffer.at(5));
        throw;
    }
    core::pop_words(12, core::ParamBuffer.at(5));
}

void register_drawing_file_drawers() {
    constexpr int32_t kDrawingFileCode = 11;
    register_item_drawer(kDrawingFileCode, draw_code11_adapter);
    g_notice_off = false;
    g_reported.clear();
    g_reported_folder.clear();
    g_missing_told.clear();
    g_missing_word = -1;
    g_slots = SlotStore{};
    reset_drawing_conversions();
}

int32_t code11_slot_file_count() { return static_cast<int32_t>(g_slots.files.size()); }

}  // namespace render
