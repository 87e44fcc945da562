#include "tests/fuzz/fuzz_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <system_error>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/commands/start_up.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/files/file_units.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace fuzz {

namespace fs = std::filesystem;

namespace {

// Far more waits than any input of max_len bytes can ask for honestly (one line, one wait).
constexpr long kWaitLimit = 100000;

QuietFrontEnd g_front_end;
fs::path g_root;
fs::path g_data;
fs::path g_start_folder;       // libFuzzer's
std::set<std::string> g_kept;  // names in the private folder that outlive an input
std::vector<int32_t> g_graphics;
std::vector<uint8_t> g_text;
int32_t g_graphics_length = 0;
int32_t g_text_length = 0;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}

// As root the engine could write anywhere an input names; as "nobody" it writes only into the
// private folder and the libFuzzer folders the run scripts open to everyone.
// The private folder becomes theirs first.
void give_up_root() {
    if (::geteuid() != 0) return;
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
    const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
    bool owned = ::chown(g_root.c_str(), uid, gid) == 0;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(g_root, ec))
        owned = owned && ::lchown(entry.path().c_str(), uid, gid) == 0;
    if (!owned || ec) fail("cannot hand the private folder to nobody");
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
        fail("cannot give up root (setuid to nobody failed)");
}

// Makes the copy of the data folder read-only (writable: false) or writable again. An input
// that types "SA data/..." must not change what the next input starts from.
void set_data_writable(bool writable) {
    std::error_code ec;
    const auto mode = [writable](bool folder) {
        fs::perms p = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
        if (folder) p |= fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
        if (writable) p |= fs::perms::owner_write;
        return p;
    };
    fs::permissions(g_data, mode(true), ec);
    for (const auto& entry : fs::recursive_directory_iterator(g_data, ec))
        fs::permissions(entry.path(), mode(entry.is_directory(ec)), ec);
}

void remove_root() {
    std::error_code ec;
    if (g_root.empty()) return;
    if (!g_data.empty()) set_data_writable(true);
    fs::remove_all(g_root, ec);
}

// Everything an earlier input left in the private folder goes, but the kept names.
void clear_private_folder() {
    std::error_code ec;
    fs::current_path(g_root, ec);
    for (const auto& entry : fs::directory_iterator(g_root, ec)) {
        if (g_kept.count(entry.path().filename().string()) != 0) continue;
        fs::remove_all(entry.path(), ec);
    }
    const fs::path work = g_root / "work";
    if (fs::is_directory(fs::symlink_status(work, ec))) {
        for (const auto& entry : fs::directory_iterator(work, ec)) fs::remove_all(entry.path(), ec);
    } else {
        fs::remove_all(work, ec);
        fs::create_directories(work, ec);
    }
}

}  // namespace

void QuietFrontEnd::clear() {
    input_text_.clear();
    modified_ = false;
    zoom_ = 64;
    waits_ = 0;
}

void QuietFrontEnd::count_wait() {
    if (++waits_ > kWaitLimit)
        fail("the engine asked for input " + std::to_string(kWaitLimit) +
             " times in one input and was answered with nothing each time: it does not end");
}

void QuietFrontEnd::SetInputText(const char* text) {
    if (text != nullptr && *text != '\0') input_text_ = text;
}

void QuietFrontEnd::SetInputTextAndSelection(const char* text, int, int) {
    input_text_ = text != nullptr ? text : "";
}

int QuietFrontEnd::GetInputTextLength() { return static_cast<int>(input_text_.size()); }

void QuietFrontEnd::TrimInputToMarker() {
    const std::size_t marker = input_text_.rfind('\x0F');
    input_text_ = marker == std::string::npos ? std::string() : input_text_.substr(0, marker + 1);
}

int QuietFrontEnd::WaitForCommandOrKey(core::FixedText<512>& buffer, int pass_value) {
    count_wait();
    buffer.blank();
    return pass_value;
}

int QuietFrontEnd::WaitForLineEdit(core::FixedText<512>& buffer, const core::FixedText<512>&, int,
                                   int) {
    count_wait();
    input_text_.clear();
    buffer.blank();
    return 0;
}

// The window's answers: a fixed client area, no scrolling, no dialog carried out.
void QuietFrontEnd::FrontEndService(char tag[4], core::ServiceBlock& block) {
    bool mark = true;
    switch (tag[1]) {
        case 'b':
            block(1) = 0;
            block(2) = 0;
            mark = false;
            break;
        case 'z':
            block(1) = (10000 << 8) / zoom_;
            block(2) = (7000 << 8) / zoom_;
            mark = false;
            break;
        case 'k':
            if (block(1) > 0) zoom_ = block(1);
            break;
        case 'm':
            modified_ = block(1) != 0;
            break;
        case 'i':
            block(1) = modified_ ? 1 : 0;
            break;
        case 'd':
            block(1) = modified_ ? 0 : 1;
            break;
        case 'o':
            block(1) = -1;
            break;
        case 'p':
        case 's':
        case 'c':
        case 'n':
        case 'h':
        case 'a':
        case 'r':
        case 'l':
        case 'v':
            break;
        default:
            mark = false;
            break;
    }
    if (mark) tag[0] = '\0';
}

// "Ignore this Item": the item stays as it is.
int QuietFrontEnd::RunConvertCode11Dialog(core::Array1<int32_t, 3>& r) {
    r(3) = 0;
    return 3;
}

// "Set new P5 number.": nothing is replaced; the caller asks again (and is told to ignore).
int QuietFrontEnd::RunConvertLibraryItemDialog(core::Array1<int32_t, 2>& v) {
    v(2) = 0;
    return -1;
}

void set_up(std::string_view target, std::initializer_list<std::string_view> pages) {
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec) tmp = "/tmp";
    std::string pattern = (tmp / ("ormest_fuzz_" + std::string(target) + "_XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a private folder " + pattern);
    g_root = pattern;
    g_start_folder = fs::current_path();
    std::atexit(remove_root);
    g_kept = {"work", "data"};
    fs::create_directories(g_root / "work");

    const fs::path built = ORMEST_FUZZ_DATA_DIR;
    if (!fs::exists(built / "mxlib" / "mxpref.dat"))
        fail("the build's data folder " + built.string() + " is missing");
    g_data = g_root / "data";
    fs::copy(built, g_data, fs::copy_options::recursive, ec);
    if (ec) fail("cannot copy the data folder: " + ec.message());
    set_data_writable(false);
    for (std::string_view page : pages) {
        const std::string name(page);
        fs::copy_file(fs::path(ORMEST_FUZZ_SOURCE_DIR) / "tests" / "reference" / name,
                      g_root / name, ec);
        if (ec) fail("cannot copy the reference page " + name + ": " + ec.message());
        g_kept.insert(name);
    }
    give_up_root();
    g_graphics.assign(core::kGraphicsListWords, 0);
    g_text.assign(core::kTextStreamBytes, 0);
}

const fs::path& root() { return g_root; }

void write_input(const fs::path& path, const uint8_t* data, std::size_t size) {
    g_kept.insert(path.begin()->string());
    const fs::path full = g_root / path;
    std::error_code ec;
    fs::create_directories(full.parent_path(), ec);
    // An earlier input may have left a folder or a link there.
    if (!fs::is_regular_file(fs::symlink_status(full, ec))) fs::remove_all(full, ec);
    // A file of the read-only data copy is opened for this write alone.
    const bool in_data = *path.begin() == "data";
    if (in_data) fs::permissions(full, fs::perms::owner_write, fs::perm_options::add, ec);
    {
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) fail("cannot write the input to " + full.string());
    }
    if (in_data) fs::permissions(full, fs::perms::owner_write, fs::perm_options::remove, ec);
}

void write_page(const std::string& name, const std::vector<float>& records) {
    std::vector<float> words = records;
    words.insert(words.end(), {6.0f, 0.0f, 4.0f, -9999.0f});
    std::ofstream out(g_root / name, std::ios::binary);
    const auto n = static_cast<uint16_t>(words.size());
    out.put(static_cast<char>(n & 0xFF));
    out.put(static_cast<char>(n >> 8));
    for (float f : words) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        for (int b = 0; b < 4; ++b) out.put(static_cast<char>((u >> (8 * b)) & 0xFF));
    }
    if (!out) fail("cannot write the page " + name);
    g_kept.insert(name);
}

void write_small_page(const std::string& name) {
    write_page(name, {3, 8, 1, 0,                   // staff 1
                      3, 8, 2, 0,                   // staff 2
                      5, 3, 1, 2, 0, 0,             // clef
                      7, 1, 1, 20, 1, 10, 0, 1,     // notes
                      7, 1, 1, 40, 5, 21, 0, 1,
                      7, 1, 2, 30, 3, 10, 2, 4,
                      3, 14, 1, 60});               // bar line
}

float chars_word(std::string_view four) {
    char chars[4] = {' ', ' ', ' ', ' '};
    std::memcpy(chars, four.data(), std::min<std::size_t>(four.size(), 4));
    float f;
    std::memcpy(&f, chars, 4);
    return f;
}

InputScope::~InputScope() {
    core::close_all_units();
    std::error_code ec;
    fs::current_path(g_start_folder, ec);
}

bool fresh_engine(bool start) {
    core::close_all_units();
    clear_private_folder();
    g_front_end.clear();
    core::reset_engine();
    core::set_front_end(&g_front_end);
    platform::set_data_folder(g_data.string());
    platform::set_work_folder((g_root / "work").string());
    g_graphics_length = 0;
    g_text_length = 0;
    return !start || core::start_engine();
}

uint64_t page_digest() {
    // FNV-1a over the words' bit patterns: a NaN written over a NaN still counts as unchanged.
    uint64_t h = 14695981039346656037ull;
    const auto mix = [&h](uint32_t word) {
        for (int b = 0; b < 4; ++b) {
            h ^= (word >> (8 * b)) & 0xFF;
            h *= 1099511628211ull;
        }
    };
    mix(static_cast<uint32_t>(core::ItemCount));
    mix(static_cast<uint32_t>(core::ItemWordsUsed));
    const int32_t used = std::clamp<int32_t>(core::ItemWordsUsed, 0, core::kItemStoreWords);
    for (int32_t k = 1; k <= used; ++k) {
        uint32_t bits;
        const float f = core::ItemStore(k);
        std::memcpy(&bits, &f, 4);
        mix(bits);
    }
    return h;
}

void expect_page_unchanged(uint64_t before, std::string_view what) {
    if (page_digest() != before) fail(std::string(what) + " changed the page");
}

void type(std::string_view line) {
    core::MessageLine.set(line);
    core::FrontEndCommandBuffer.blank();
    int32_t status = -1;
    core::run_command(g_graphics.data(), g_graphics_length, g_text.data(), g_text_length, status);
}

}  // namespace fuzz
