#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <strings.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::string g_data_folder;
std::string g_work_folder;

bool equals_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equals_nocase(s.substr(0, prefix.size()), prefix);
}

bool is_dir(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool path_exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

std::string exe_folder(std::string_view argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path().string();
    if (!argv0.empty()) {
        fs::path p = fs::absolute(fs::path(std::string(argv0)), ec);
        if (!ec) return p.parent_path().string();
    }
    return {};
}

// Looks each component of path up case-insensitively where the exact one does not exist.
// Components that match nothing are kept as written (a file about to be created).
std::string find_nocase(const std::string& path) {
    if (path.empty() || path_exists(path)) return path;
    fs::path p(path);
    fs::path result = p.root_path();
    fs::path rel = p.relative_path();
    if (result.empty()) result = ".";
    bool dot_prefix = !p.has_root_path();
    bool lost = false;  // once a component is missing, the rest is kept as written
    for (const auto& comp : rel) {
        const std::string name = comp.string();
        fs::path exact = result / comp;
        if (lost || path_exists(exact) || name == "." || name == "..") {
            result = exact;
            continue;
        }
        bool found = false;
        std::error_code ec;
        if (is_dir(result)) {
            for (const auto& entry : fs::directory_iterator(result, ec)) {
                const std::string candidate = entry.path().filename().string();
                if (equals_nocase(candidate, name)) {
                    result /= candidate;
                    found = true;
                    break;
                }
            }
        }
        if (!found) {
            result = exact;
            lost = true;
        }
    }
    std::string out = result.string();
    if (dot_prefix && out.rfind("./", 0) == 0) out.erase(0, 2);
    return out;
}

}  // namespace

bool init_paths(std::string_view argv0, std::string* error) {
    std::vector<std::string> candidates;
    if (const char* home = std::getenv("ORMEST_HOME"); home != nullptr && *home != '\0')
        candidates.emplace_back(home);
    const std::string exe = exe_folder(argv0);
    if (!exe.empty()) candidates.push_back(exe + "/data");
#ifdef ORMEST_INSTALL_DATA_DIR
    candidates.emplace_back(ORMEST_INSTALL_DATA_DIR);
#endif
    g_data_folder.clear();
    for (const auto& c : candidates) {
        if (is_dir(c)) {
            g_data_folder = c;
            break;
        }
    }
    if (g_data_folder.empty()) {
        if (error != nullptr) {
            *error = "No data folder found (set ORMEST_HOME, or keep \"data\" beside the program).";
        }
        return false;
    }

    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && *xdg == '/') {
        state = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        state = std::string(home) + "/.local/state";
    } else {
        state = "/tmp";
    }
    g_work_folder = state + "/ormest";
    if (!make_folder(g_work_folder)) {
        if (error != nullptr) *error = "Cannot create the work folder " + g_work_folder;
        return false;
    }
    return true;
}

const std::string& data_folder() { return g_data_folder; }
const std::string& work_folder() { return g_work_folder; }
void set_data_folder(std::string folder) { g_data_folder = std::move(folder); }
void set_work_folder(std::string folder) { g_work_folder = std::move(folder); }

std::string local_path(std::string_view name) {
    // A name from a fixed field: cut at its NUL, drop trailing blanks.
    if (auto nul = name.find('\0'); nul != std::string_view::npos) name = name.substr(0, nul);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    if (name.empty()) return {};

    std::string s(name);
    for (char& c : s)
        if (c == '\\') c = '/';
    // A drive letter is ignored: "C:/x" is "/x", "C:x" is "x".
    if (s.size() >= 2 && s[1] == ':' &&
        ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')))
        s.erase(0, 2);

    static constexpr std::string_view kProgramFolder = "/program files/melandrix";
    static constexpr std::string_view kTempFolder = "/!tmp";
    std::string mapped;
    // A folder that was never set maps to nothing rather than to the root of the disk.
    if (starts_with_nocase(s, kProgramFolder) &&
        (s.size() == kProgramFolder.size() || s[kProgramFolder.size()] == '/')) {
        if (g_data_folder.empty()) return {};
        mapped = g_data_folder + s.substr(kProgramFolder.size());
    } else if (starts_with_nocase(s, kTempFolder) &&
               (s.size() == kTempFolder.size() || s[kTempFolder.size()] == '/')) {
        if (g_work_folder.empty()) return {};
        mapped = g_work_folder + s.substr(kTempFolder.size());
    } else {
        mapped = s;
    }
    return find_nocase(mapped);
}

std::string shown_path(std::string_view name) {
    const std::string local = local_path(name);
    return local.empty() ? std::string(name) : local;
}

std::string work_file(std::string_view name) {
    if (g_work_folder.empty()) return {};
    return find_nocase(g_work_folder + "/" + std::string(name));
}

std::string data_file(std::string_view name) {
    if (g_data_folder.empty()) return {};
    return find_nocase(g_data_folder + "/" + std::string(name));
}

bool file_exists(std::string_view name) {
    const std::string p = local_path(name);
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

bool make_folder(std::string_view name) {
    const std::string p = name.empty() ? std::string() : local_path(name);
    if (p.empty()) return false;
    std::error_code ec;
    fs::create_directories(p, ec);
    return is_dir(p);
}

std::string current_folder() {
    std::error_code ec;
    return fs::current_path(ec).string();
}

bool change_folder(std::string_view name) {
    const std::string p = local_path(name);
    if (p.empty()) return false;
    std::error_code ec;
    fs::current_path(p, ec);
    return !ec;
}

}  // namespace platform
