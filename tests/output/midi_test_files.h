// MIDI files for the reader and player tests: written by python3-mido (an independent writer)
// or byte by byte where mido cannot make the case (running status, broken headers).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

// Runs the python body with mido imported and `path` set to the file to write; true when it
// ran.
inline bool write_with_mido(const std::filesystem::path& path, const std::string& body) {
    const auto script = path.string() + ".py";
    write_text(script, "import mido\npath = r'" + path.string() + "'\n" + body + "\n");
    const std::string command = "/usr/bin/python3 '" + script + "'";
    return std::system(command.c_str()) == 0;
}

// A header chunk and the given track chunks (each the bytes after the chunk length).
inline std::vector<unsigned char> smf_bytes(int format, int tracks_in_header, int division,
                                            const std::vector<std::vector<unsigned char>>& tracks) {
    std::vector<unsigned char> out = {'M',
                                      'T',
                                      'h',
                                      'd',
                                      0,
                                      0,
                                      0,
                                      6,
                                      0,
                                      static_cast<unsigned char>(format),
                                      static_cast<unsigned char>(tracks_in_header >> 8),
                                      static_cast<unsigned char>(tracks_in_header),
                                      static_cast<unsigned char>(division >> 8),
                                      static_cast<unsigned char>(division)};
    for (const auto& t : tracks) {
        const auto n = static_cast<uint32_t>(t.size());
        out.insert(out.end(), {'M', 'T', 'r', 'k', static_cast<unsigned char>(n >> 24),
                               static_cast<unsigned char>(n >> 16),
                               static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)});
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}
