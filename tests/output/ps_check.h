// Reading what the PostScript writer wrote: the file's lines, and Ghostscript run on it as an
// independent reader (its exit code, what it printed, the boxes its bbox device measured).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace ps_check {

using ::read_text;

inline std::vector<std::string> lines_of(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(read_text(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

struct GsRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// gs -q -dSAFER -dNOPAUSE -dBATCH [options] -sDEVICE=device file.
inline GsRun run_gs(const std::filesystem::path& file, const std::string& device,
                    const std::string& options = {}) {
    const std::filesystem::path out = file.string() + ".gs_out";
    const std::filesystem::path err = file.string() + ".gs_err";
    const std::string command = "gs -q -dSAFER -dNOPAUSE -dBATCH " + options + " -sDEVICE=" +
                                device + " '" +
                                file.string() + "' >'" + out.string() + "' 2>'" + err.string() +
                                "' </dev/null";
    GsRun run;
    const int status = std::system(command.c_str());
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = read_text(out);
    run.err = read_text(err);
    return run;
}

struct Box {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The boxes the bbox device reports, one per page.
inline std::vector<Box> gs_bboxes(const std::filesystem::path& file) {
    const GsRun run = run_gs(file, "bbox");
    std::vector<Box> boxes;
    std::istringstream in(run.err);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("%%HiResBoundingBox:", 0) != 0) continue;
        Box b;
        std::istringstream(line.substr(19)) >> b.x1 >> b.y1 >> b.x2 >> b.y2;
        boxes.push_back(b);
    }
    return boxes;
}

// The numbers of the file's first %%BoundingBox line.
inline Box declared_box(const std::filesystem::path& file) {
    Box b;
    for (const std::string& line : lines_of(file)) {
        if (line.rfind("%%BoundingBox:", 0) != 0) continue;
        std::istringstream(line.substr(14)) >> b.x1 >> b.y1 >> b.x2 >> b.y2;
        break;
    }
    return b;
}

// What gs prints for the file followed by " count = countdictstack =", and for that line alone:
// equal when the file leaves the operand and dictionary stacks as it found them.
inline std::pair<std::string, std::string> stack_depths(const std::filesystem::path& file) {
    const std::string probe = " count = countdictstack =\n";
    const std::filesystem::path copy = file.string() + ".stacks.ps";
    const std::filesystem::path empty = file.string() + ".empty.ps";
    std::ofstream(copy, std::ios::binary) << read_text(file) << "\n" << probe;
    std::ofstream(empty, std::ios::binary) << probe;
    return {run_gs(copy, "nullpage").out, run_gs(empty, "nullpage").out};
}

// The file read as an EPS file (-dEPSCrop: its %%BoundingBox must hold four numbers), then
// the stack probe: true when Ghostscript ran it without a word and the stacks came back as
// they were. What went wrong is in why.
inline bool eps_reads_clean(const std::filesystem::path& file, std::string& why) {
    const GsRun crop = run_gs(file, "nullpage", "-dEPSCrop");
    if (crop.exit_code != 0 || !crop.err.empty()) {
        why = "gs -dEPSCrop: " + crop.out + crop.err;
        return false;
    }
    const auto [page, empty] = stack_depths(file);
    if (page != empty) {
        why = "stacks after the file: " + page + " against " + empty;
        return false;
    }
    return true;
}

}  // namespace ps_check
