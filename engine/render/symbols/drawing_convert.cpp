// Turning old drawing files into library drawing files: the file formats, the old-file
// conversion command and the Convert Code 11 step.
#include "engine/render/symbols/drawing_convert.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "engine/core/bridge/command_line.h"
#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/cut_lines.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/bridge/number_line.h"
#include "engine/core/files/binary_io.h"
#include "engine/core/files/file_names.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/symbols/symbols.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace render {

namespace {

constexpr int32_t kConvertStreamValues = 20000;
constexpr int32_t kFirstUserSymbol = 5000;
constexpr int32_t kLastUserSymbol = 9989;
constexpr std::string_view kErrorMessage = " Error or file not found.";
constexpr std::string_view kAskOldPath =
    "Type complete path and file name of old .DRW file. <enter> = Cancel.";
constexpr std::string_view kAskNumber = "Type 4-digit number -- last digit must be 0.";
constexpr std::string_view kFileExists = "File already exists - use a different number.";
constexpr std::string_view kDefaultOldFolder = "\\keld4\\lib\\";
constexpr std::string_view kBackupName = "LB9990.DRW";
constexpr int32_t kAskPathStep = 40;
constexpr int32_t kAskNumberStep = 41;

// Once set (the check box of "Convert Code 11"), every later Convert Code 11 step returns.
bool g_convert_stopped = false;
// The old file's path between the two answers of the old-file conversion.
std::string g_old_path;

std::string trim_right(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

bool is_regular_file(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// Text with a NUL after it (kept when MessageLine has room): the front-end reads to the NUL.
std::string with_nul(std::string_view text) { return std::string(text) + '\0'; }

// The conversion's next question, left in MessageLine.
void ask_in_message_line(std::string_view text) {
    core::leave_reply(core::ReplyKind::Question, with_nul(text));
}

// Writes bytes as a new file at path, never through a link: a leftover at the name is removed
// and the file made exclusively. False, with nothing left behind, on failure.
bool write_new_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::error_code ec;
    fs::remove(path, ec);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = ::close(fd) == 0 && done == bytes.size();
    if (!ok) fs::remove(path, ec);
    return ok;
}

// A copy of the file from, made new and renamed over to: a link at to is replaced, never
// written through.
bool copy_over(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    const std::string temp = to + ".part" + std::to_string(::getpid());
    if (!write_new_file(temp, bytes)) return false;
    std::error_code ec;
    fs::rename(temp, to, ec);
    if (!ec) return true;
    fs::remove(temp, ec);
    return false;
}

// The write folder, made when missing; "" (after telling the user) when it cannot be written.
std::string writable_library_folder() {
    const std::string folder = library_write_folder();
    // Through the path layer: inside the work folder it is made private, and a link refused.
    const bool made = !folder.empty() && platform::make_folder(folder);
    if (!made || ::access(folder.c_str(), W_OK) != 0) {
        core::report_failure("Cannot write library files in the library folder " + folder);
        return {};
    }
    return folder;
}

// The 24 characters packed four to a word in P14..P19, NULs as blanks.
std::string packed_file_name() {
    char chars[24];
    std::memcpy(chars, core::ParamBuffer.at(14), sizeof chars);
    std::string name(chars, sizeof chars);
    for (char& c : name)
        if (c == '\0') c = ' ';
    return name;
}

uint32_t word_bits(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return u;
}

// P5, P14 and P15 of the current item against item k of the store (missing words read 0).
bool same_drawing(int32_t k) {
    const int32_t start = core::ItemStartTable(k);
    const int32_t n = core::int_of(core::ItemStore(start));
    auto p = [&](int32_t j) { return j <= n ? core::ItemStore(start + j) : 0.0f; };
    if (p(1) != 11.0f) return false;
    if (p(5) != core::ParamBuffer(5)) return false;
    return word_bits(p(14)) == word_bits(core::ParamBuffer(14)) &&
           word_bits(p(15)) == word_bits(core::ParamBuffer(15));
}

// Every Code 11 item drawing the current item's drawing becomes Code 9 symbol number.
void convert_matching_items(int32_t number) {
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        if (!same_drawing(k)) continue;
        const int32_t start = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(start));
        core::ItemStore(start + 1) = 9.0f;
        if (n >= 5) core::ItemStore(start + 5) = static_cast<float>(number);
        for (int32_t j = 14; j <= n; ++j) core::ItemStore(start + j) = 0.0f;
    }
    // The caller may store ParamBuffer back: it must carry the change too.
    core::ParamBuffer(1) = 9.0f;
    core::ParamBuffer(5) = static_cast<float>(number);
    for (int32_t j = 14; j <= core::ParamBuffer.size(); ++j) core::ParamBuffer(j) = 0.0f;
}

// Converts the old file at old_path into the library file at new_path (an existing one kept as
// backup when backup is not empty). False, after " Error or file not found.", on failure.
bool convert_file(const std::string& old_path, const std::string& new_path, int32_t max_values,
                  const std::string& backup) {
    OldDrawing old;
    if (old_path.empty() || !read_old_drawing(old_path, max_values, old) ||
        !write_library_drawing(new_path, convert_old_drawing(old), backup)) {
        core::report_failure(kErrorMessage);
        return false;
    }
    // A drawing already drawn from the file that was replaced must not be drawn from memory.
    clear_symbol_cache();
    return true;
}

// The typed answer of the old-file conversion, to its NUL, without trailing blanks.
std::string message_answer() { return trim_right(core::MessageLine.c_text()); }

// Operation 40: the old file's path. Returns the next operation.
int32_t take_old_path() {
    const std::string answer = message_answer();
    const char c1 = core::MessageLine(1), c2 = core::MessageLine(2);
    if (answer.empty() || c1 == '\r' || c2 == '\r') return 0;
    // A cut line, named where it was read, names no file: the conversion ends.
    if (core::is_cut_line(answer)) return 0;
    std::string path;
    if (answer[0] == '*') {
        const std::size_t skip = answer.size() > 1 && answer[1] == ' ' ? 2 : 1;
        path = std::string(kDefaultOldFolder) + answer.substr(std::min(skip, answer.size()));
    } else if (answer.find_first_of("\\/") != std::string::npos) {
        path = answer;
    } else {
        core::report_failure(kErrorMessage);
        return 0;
    }
    if (path.size() < 4 || path[path.size() - 4] != '.') path += ".DRW";
    g_old_path = path;
    ask_in_message_line(kAskNumber);
    return kAskNumberStep;
}

// Operation 41: the number of the new file. Returns the next operation. Enter (or "X")
// cancels, as at the path question: only a valid number would leave the question otherwise.
int32_t take_file_number() {
    const std::string answer = message_answer();
    const char c1 = core::MessageLine(1), c2 = core::MessageLine(2);
    if (answer.empty() || answer == "X" || answer == "x" || c1 == '\r' || c2 == '\r') return 0;
    if (core::is_cut_line(answer)) return 0;
    const bool from_script =
        core::MacroUnit != core::DefaultMacroUnit || core::front_end().InputIsScript();
    // The number is read whole ("5550abc" is no number).
    float value = 0.0f;
    if (!core::read_number_whole(answer, value)) {
        // From a script a line that is no number was meant as its next command: it is named
        // and runs next.
        if (from_script) {
            core::clear_exchange_text();
            core::name_untaken_line(
                core::number_non_answer_text(kAskNumber, answer, "the conversion ended."));
            core::give_back_script_line(answer);
            return 0;
        }
        ask_in_message_line(kAskNumber);
        return kAskNumberStep;
    }
    const int32_t number =
        value == std::floor(value) && value >= 0.0f && value <= 9999.0f ? core::int_of(value) : -1;
    // Library files below 5000 are the shipped glyphs; 9990 keeps replaced files.
    if (number % 10 != 0 || conversion_file_name(number).empty()) {
        // From a script the refused line was its next command, and every later line would be
        // taken as another try: the conversion ends there, as after "No".
        if (from_script) {
            // Told at once: a command file's next line would take the message line's place.
            core::clear_exchange_text();
            core::name_untaken_line("*** Not a file number: " + answer +
                                    " (5000 to 9980, last digit 0): the conversion ended.");
            return 0;
        }
        ask_in_message_line(kAskNumber);
        return kAskNumberStep;
    }
    const std::string folder = writable_library_folder();
    if (folder.empty()) return 0;
    const std::string target = platform::local_path(folder + "/" + conversion_file_name(number));
    if (is_regular_file(target)) {
        ask_in_message_line(kFileExists);
        // A command file answers from its next line; typed, the question is asked.
        if (core::confirm_overwrite(target) != -1) {
            // Typed at a terminal or in the window another number may follow; a script's next
            // line is its next command, so the conversion ends there.
            if (core::MacroUnit == core::DefaultMacroUnit && !core::front_end().InputIsScript())
                return kAskNumberStep;
            // A command file's answer, or the end of input, was told of already.
            const bool told =
                core::MacroUnit != core::DefaultMacroUnit || core::front_end().ApplicationClosing();
            // The answer kept the old file, as the user chose: a notice.
            if (told)
                core::clear_exchange_text();
            else
                core::leave_reply(core::ReplyKind::Notice,
                                  with_nul("*** Not written: " + platform::shown_path(target) +
                                           " exists (the answer was No): the conversion ended."));
            return 0;
        }
        // Written over as the user asked: the hint to choose another number no longer holds.
        core::clear_exchange_text();
    }
    const std::string old_path = platform::local_path(g_old_path);
    convert_file(is_regular_file(old_path) ? old_path : std::string(), target, -1, {});
    return 0;
}

}  // namespace

std::string conversion_file_name(int32_t symbol_number) {
    if (symbol_number < kFirstUserSymbol || symbol_number > kLastUserSymbol) return {};
    std::string digits = core::format_int("(1i4.4)", symbol_number);
    digits[3] = '0';
    return "LB" + digits + ".DRW";
}

// Contract: see the header. Reads the file through a stream of its own (the drawing unit may
// be busy); values beyond the file's end are not invented.
bool read_old_drawing(const std::string& path, int32_t max_values, OldDrawing& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    unsigned char header[2 * 12 + 50];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
    for (int k = 0; k <= kDrawingsPerFile; ++k)
        out.start[static_cast<std::size_t>(k)] = core::get_le_i16(header + 2 + 2 * k);
    for (int k = 0; k < kDrawingsPerFile; ++k)
        std::memcpy(out.names[static_cast<std::size_t>(k)].data(), header + 24 + 5 * k, 5);
    if (max_values < 0) max_values = std::max<int32_t>(out.start[kDrawingsPerFile], 0);
    max_values = std::min(max_values, kConvertStreamValues);
    out.values.clear();
    unsigned char block[2 * 65];
    while (static_cast<int32_t>(out.values.size()) < max_values) {
        const int32_t want =
            std::min<int32_t>(64, max_values - static_cast<int32_t>(out.values.size()));
        in.read(reinterpret_cast<char*>(block), 2 * (want + 1));
        const std::streamsize got = in.gcount() / 2 - 1;  // the filler word first
        for (std::streamsize i = 1; i <= got; ++i)
            out.values.push_back(core::get_le_i16(block + 2 * i));
        if (got < want) break;
    }
    return true;
}

LibraryDrawing convert_old_drawing(const OldDrawing& old) {
    LibraryDrawing d;
    const int32_t listed = (std::max<int32_t>(old.start[kDrawingsPerFile], 0) + 1) / 3;
    const int32_t n = std::min<int32_t>(listed, static_cast<int32_t>(old.values.size()) / 3);
    d.start[0] = 0;
    for (std::size_t k = 1; k <= kDrawingsPerFile; ++k)
        d.start[k] = static_cast<int16_t>(std::clamp<int32_t>(old.start[k] / 3 + 1, 1, n + 1));
    d.start[kDrawingsPerFile] = static_cast<int16_t>(n + 1);
    for (std::size_t k = 0; k < kDrawingsPerFile; ++k)
        d.names[k] = std::string(old.names[k].data(), old.names[k].size());
    for (int32_t j = 0; j < n; ++j) {
        d.x.push_back(static_cast<float>(old.values[static_cast<std::size_t>(3 * j)]));
        d.y.push_back(static_cast<float>(old.values[static_cast<std::size_t>(3 * j + 1)]));
        d.pen.push_back(old.values[static_cast<std::size_t>(3 * j + 2)]);
    }
    return d;
}

// Contract: see the header. The backup (when asked for and the target exists) is a copy made
// only after the new contents are safely on disk.
bool write_library_drawing(const std::string& path, const LibraryDrawing& drawing,
                           const std::string& backup) {
    const std::size_t n = drawing.x.size();
    if (drawing.y.size() != n || drawing.pen.size() != n || n + 1 > 32767) return false;
    std::vector<unsigned char> bytes(22 + 240 + 10 * n, 0);
    for (std::size_t k = 0; k <= kDrawingsPerFile; ++k)
        core::put_le_i16(bytes.data() + 2 * k, drawing.start[k]);
    for (std::size_t k = 0; k < kDrawingsPerFile; ++k) {
        std::string name = drawing.names[k].substr(0, kDrawingNameLength);
        name.resize(kDrawingNameLength, ' ');
        std::memcpy(bytes.data() + 22 + kDrawingNameLength * k, name.data(), name.size());
    }
    unsigned char* p = bytes.data() + 262;
    for (std::size_t i = 0; i < n; ++i) core::put_le_f32(p + 4 * i, drawing.x[i]);
    for (std::size_t i = 0; i < n; ++i) core::put_le_f32(p + 4 * (n + i), drawing.y[i]);
    for (std::size_t i = 0; i < n; ++i) core::put_le_i16(p + 8 * n + 2 * i, drawing.pen[i]);

    const std::string temp = path + ".part" + std::to_string(::getpid());
    std::error_code ec;
    if (!write_new_file(temp, bytes)) return false;
    if (!backup.empty() && is_regular_file(path) && !copy_over(path, backup)) {
        fs::remove(temp, ec);
        return false;
    }
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

std::string find_old_drawing_file(const std::string& name) {
    const std::string typed = trim_right(name);
    if (typed.empty()) return {};
    std::string p = platform::local_path(typed);
    if (is_regular_file(p)) return p;
    std::string base = typed;
    if (const auto cut = base.find_last_of("\\/"); cut != std::string::npos) base.erase(0, cut + 1);
    p = platform::local_path(core::ProgramFolder.trimmed() + "\\keldlib\\" + base);
    return is_regular_file(p) ? p : std::string();
}

bool read_old_drawing_slots(const std::string& path, std::array<int16_t, 12>& header,
                            std::array<char, 50>& names, std::vector<int16_t>& values) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24];
    if (!in || !in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    for (std::size_t k = 0; k < header.size(); ++k) header[k] = core::get_le_i16(head + 2 * k);
    if (!in.read(names.data(), names.size())) return false;
    const int32_t n = std::max<int32_t>(header[11] - 1, 0);
    std::vector<unsigned char> bytes(2 * static_cast<std::size_t>(n));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount()) / 2;
    values.resize(got);
    for (std::size_t i = 0; i < got; ++i) values[i] = core::get_le_i16(bytes.data() + 2 * i);
    return true;
}

// Contract: see the header. Writes ChangesMadeFlag, FrontEndCommandBuffer, MessageLine, the
// store's Code 11 items that match the current one (P1, P5, P14.. of each) and the library file
// of the typed number in the library write folder. A wrong number is asked again; a failure to
// read or write shows " Error or file not found." and changes no item.
bool convert_drawing_to_library_symbol(int32_t item_number) {
    if (g_convert_stopped) return false;
    core::ChangesMadeFlag = 1;

    const int32_t p5 = core::int_of(core::ParamBuffer(5));
    core::FrontEndCommandBuffer.set("Item         P5 =    ");
    core::write_int_field(core::FrontEndCommandBuffer, 6, 9, "(1i4)", item_number);
    core::write_int_field(core::FrontEndCommandBuffer, 18, 21, "(1i4)", p5);
    const std::string old_name = trim_right(packed_file_name()) + ".DRW";

    for (;;) {
        core::FixedText<512> line("Item 1234,  P5=123,           ");
        core::write_int_field(line, 6, 9, "(1i4)", item_number);
        core::write_int_field(line, 16, 18, "(1i3)", p5);
        line.put(22, 31, old_name.substr(0, 10));
        core::set_exchange_text(with_nul(trim_right(std::string(line.view()))));

        core::Array1<int32_t, 3> r;
        const int result = core::front_end().RunConvertCode11Dialog(r);
        if (r(3) != 0) {
            g_convert_stopped = true;
            return false;
        }
        if (result == 2) {
            if (item_number >= 1 && item_number <= core::ItemCount)
                core::ItemStore(core::ItemStartTable(item_number) + 1) = 19.0f;
            core::ParamBuffer(1) = 19.0f;
            return true;
        }
        if (result == 3) return true;   // "Ignore this Item"
        if (result != 1) return false;  // no answer: the operation ends here

        const int32_t number = r(1);
        const std::string name = conversion_file_name(number);
        if (name.empty()) continue;

        std::string backup;
        if (!find_library_file(number / 10).empty()) {
            core::FixedText<512> ask("Replace      in LB0000.DRW");
            core::write_int_field(ask, 9, 12, "(1i4)", number);
            core::write_int_field(ask, 19, 22, "(1i4)", number);
            ask(22) = '0';
            core::set_exchange_text(with_nul(trim_right(std::string(ask.view()))));
            core::Array1<int32_t, 2> v;
            v(1) = 1;
            v(2) = 0;
            const int chosen = core::front_end().RunConvertLibraryItemDialog(v);
            if (chosen == -1) continue;
            // No answer replaces no file: the operation ends with the item as it was.
            if (chosen == 0) return false;
            if (v(2) == 1) {
                convert_matching_items(number);
                return true;
            }
            backup = std::string(kBackupName);
        }
        const std::string folder = writable_library_folder();
        if (folder.empty()) return true;
        const std::string target = platform::local_path(folder + "/" + name);
        if (!backup.empty()) backup = platform::local_path(folder + "/" + backup);
        const std::string old_path = find_old_drawing_file(old_name);
        if (!convert_file(old_path, target, kConvertStreamValues, backup)) return true;
        convert_matching_items(number);
        return true;
    }
}

// Contract: see the header. Reads the answer in MessageLine and writes MessageLine (the next
// prompt) and PendingBoxOperation; a bad path answer shows " Error or file not found." and a
// bad number is asked again.
void edit_library_drawing() {
    switch (core::PendingBoxOperation) {
        case kAskPathStep:
            core::PendingBoxOperation = take_old_path();
            break;
        case kAskNumberStep:
            core::PendingBoxOperation = take_file_number();
            break;
        default:
            ask_in_message_line(kAskOldPath);
            core::PendingBoxOperation = kAskPathStep;
            break;
    }
    if (core::PendingBoxOperation == 0) g_old_path.clear();
}

void reset_drawing_conversions() {
    g_convert_stopped = false;
    g_old_path.clear();
}

}  // namespace render
