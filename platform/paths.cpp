#include "platform/paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_identity.h"
#include "platform/work_copies.h"

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

// The path made absolute and normal, without a trailing separator.
fs::path normal_path(std::string_view path) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(std::string(path)), ec).lexically_normal();
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
    return p;
}

// True when p lies strictly below folder (both normal).
bool below(const fs::path& p, const fs::path& folder) {
    const std::string ps = p.string(), fs_ = folder.string();
    if (fs_.empty() || ps.size() <= fs_.size() || ps.compare(0, fs_.size(), fs_) != 0) return false;
    return fs_.back() == '/' || ps[fs_.size()] == '/';
}

// Makes each missing folder from the work folder down to p (a folder below it) with mode 0700;
// false, with the system's reason in error, when one of them cannot be made or is a link or no
// folder.
bool make_work_subfolders(const fs::path& work, const fs::path& p, std::string* error) {
    auto fail = [error](int why) {
        if (error != nullptr) *error = std::strerror(why);
        return false;
    };
    fs::path at = work;
    for (const auto& comp : p.lexically_relative(work)) {
        at /= comp;
        if (::mkdir(at.c_str(), 0700) != 0 && errno != EEXIST) return fail(errno);
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0) return fail(errno);
        if (!S_ISDIR(st.st_mode)) return fail(S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR);
    }
    return true;
}

// The local path of a name in the work folder, rest being what follows the folder ("" or
// "/..."): a work file of this copy's own is in its own folder when it has one; shared records,
// folders and what lies in them are in the work folder itself.
std::string work_path(std::string_view rest) {
    const std::string& own = own_copy_folder();
    if (!own.empty() && rest.size() > 1 && rest.find('/', 1) == std::string_view::npos &&
        !shared_work_file(rest.substr(1)))
        return own + std::string(rest);
    return g_work_folder + std::string(rest);
}

}  // namespace

std::string work_folder_problem(const std::string& folder, bool is_link, bool is_folder,
                                unsigned owner, unsigned user) {
    if (is_link) return "The work folder " + folder + " is a link.";
    if (!is_folder) return "The work folder " + folder + " is not a folder.";
    if (owner != user) return "The work folder " + folder + " belongs to another user.";
    return {};
}

bool make_private_folder(const std::string& folder, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    if (folder.empty()) return fail("No work folder named.");
    std::error_code ec;
    const fs::path parent = fs::path(folder).parent_path();
    // The step that failed says why: a parent refused is not a missing folder.
    if (!parent.empty() && !fs::create_directories(parent, ec) && ec)
        return fail("Cannot create the work folder " + folder + ": " + std::strerror(ec.value()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return fail("Cannot create the work folder " + folder + ": " + std::strerror(errno));
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return fail("Cannot create the work folder " + folder + ": " + std::strerror(errno));
    const std::string problem = work_folder_problem(folder, S_ISLNK(st.st_mode),
                                                    S_ISDIR(st.st_mode), st.st_uid, ::geteuid());
    if (!problem.empty()) return fail(problem);
    if ((st.st_mode & 077) == 0) return true;
    // Ours but open to others: closed through a handle on the folder itself, so that nothing
    // swapped in at its name meanwhile is changed instead.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat now {};
    const bool same =
        fd >= 0 && ::fstat(fd, &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    const bool closed = same && ::fchmod(fd, 0700) == 0;
    if (fd >= 0) ::close(fd);
    if (!closed) return fail("Cannot make the work folder " + folder + " private to this user.");
    return true;
}

bool in_work_folder(std::string_view path) {
    if (g_work_folder.empty() || path.empty()) return false;
    const fs::path work = normal_path(g_work_folder);
    const fs::path p = normal_path(path);
    if (below(p, work)) return true;
    // The same folder reached another way: compare the real folders (the work folder's is
    // kept, as units are opened often).
    static std::string real_work_of;
    static fs::path real_work;
    std::error_code ec;
    if (real_work_of != g_work_folder) {
        real_work = fs::weakly_canonical(work, ec);
        if (ec) return false;
        real_work_of = g_work_folder;
    }
    const fs::path real_parent = fs::weakly_canonical(p.parent_path(), ec);
    if (ec) return false;
    return real_parent == real_work || below(real_parent, real_work);
}

bool in_data_folder(std::string_view path) {
    // The work folder's files are the program's own, wherever the folder lies.
    if (g_data_folder.empty() || path.empty() || in_work_folder(path)) return false;
    const fs::path data = normal_path(g_data_folder);
    const fs::path p = normal_path(path);
    if (below(p, data)) return true;
    // Another spelling of the folder, or a link at the name or on the way: the real paths.
    std::error_code ec;
    const fs::path real_data = fs::weakly_canonical(data, ec);
    if (ec) return false;
    const fs::path real = fs::weakly_canonical(p, ec);
    if (!ec && below(real, real_data)) return true;
    // A link whose file does not exist yet: a write would make it at the link's end.
    const LinkTarget link = resolve_link_target(p.string());
    return link.status == LinkTargetStatus::Target && link.target != p.string() &&
           in_data_folder(link.target);
}

bool init_paths(std::string_view argv0, std::string* error) {
    std::vector<std::string> candidates;
    if (const char* home = std::getenv("ORMEST_HOME"); home != nullptr && *home != '\0')
        candidates.emplace_back(home);
    const std::string exe = exe_folder(argv0);
    if (!exe.empty()) candidates.push_back(exe + "/data");
#ifdef ORMEST_INSTALL_DATA_DIR
    candidates.emplace_back(ORMEST_INSTALL_DATA_DIR);
#endif
    release_work_folder();
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

    std::string folder;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && *xdg == '/') {
        folder = std::string(xdg) + "/ormest";
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::string(home) + "/.local/state/ormest";
    } else {
        // A shared folder: one name per user, which make_private_folder refuses when another
        // user made it first.
        folder = "/tmp/ormest-" + std::to_string(::geteuid());
    }
    g_work_folder.clear();
    if (!make_private_folder(folder, error)) return false;
    std::string kept;
    if (!claim_work_folder(folder, error, &kept)) return false;
    g_work_folder = folder;
    // No front-end exists yet to show it; the kept backups are named where a user looks when
    // the program was started from a terminal.
    std::size_t from = 0;
    while (from < kept.size()) {
        std::size_t end = kept.find('\n', from);
        if (end == std::string::npos) end = kept.size();
        std::cerr << "ormest: the backup of a copy that ended without closing is kept as "
                  << kept.substr(from, end - from) << '\n';
        from = end + 1;
    }
    return true;
}

const std::string& data_folder() { return g_data_folder; }
const std::string& work_folder() { return g_work_folder; }
void set_data_folder(std::string folder) { g_data_folder = std::move(folder); }
void set_work_folder(std::string folder) {
    release_work_folder();
    g_work_folder = std::move(folder);
}

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
        mapped = work_path(std::string_view(s).substr(kTempFolder.size()));
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
    return find_nocase(work_path("/" + std::string(name)));
}

std::string user_settings_folder() {
    // As the window's settings are found: an XDG_CONFIG_HOME that is not absolute is ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        return std::string(xdg) + "/" + kUserSettingsName;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.config/" + kUserSettingsName;
    return {};
}

std::string data_file(std::string_view name) {
    if (g_data_folder.empty()) return {};
    return find_nocase(g_data_folder + "/" + std::string(name));
}

std::string work_folder_write_problem() {
    if (g_work_folder.empty()) return {};
    const std::string& folder = g_work_folder;
    // Written, not only asked about: the permission bits say nothing of a full or read-only
    // disk, and nothing at all to root.
    std::string probe = folder + "/!probe-XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    const char byte = 0;
    const bool written = fd >= 0 && ::write(fd, &byte, 1) == 1;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
    }
    if (written) return {};
    return "*** The work folder " + folder + " cannot be written (" + std::strerror(error) +
           "): the backup copy, the undo copies and the history will be lost.";
}

bool file_exists(std::string_view name) {
    const std::string p = local_path(name);
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

bool make_folder(std::string_view name, std::string* error) {
    auto fail = [error](int why) {
        if (error != nullptr) *error = std::strerror(why);
        return false;
    };
    const std::string p = name.empty() ? std::string() : local_path(name);
    if (p.empty()) return fail(ENOENT);
    if (!g_work_folder.empty()) {
        const fs::path work = normal_path(g_work_folder);
        const fs::path folder = normal_path(p);
        if (folder == work) {
            // This copy's own folder is made again should it have gone meanwhile.
            const std::string& own = own_copy_folder();
            return make_private_folder(work.string(), error) &&
                   (own.empty() || make_work_subfolders(work, normal_path(own), error));
        }
        if (below(folder, work))
            return make_private_folder(work.string(), error) &&
                   make_work_subfolders(work, folder, error);
    }
    std::error_code ec;
    fs::create_directories(p, ec);
    if (is_dir(p)) return true;
    // Something else holds the name: told as mkdir tells it.
    struct stat st {};
    if (::lstat(p.c_str(), &st) == 0 || !ec) return fail(EEXIST);
    return fail(ec.value());
}

std::string folder_path(std::string_view name) {
    const std::string p = local_path(name);
    if (p.empty()) return {};
    std::error_code ec;
    const fs::path whole = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? normal_path(p).string() : normal_path(whole.string()).string();
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
