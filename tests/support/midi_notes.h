// Test helper: the notes of a MIDI file as python3-mido (an independent reader) reads them.
#pragma once

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// One line per track that has notes, its note-on keys in order ("60 64"); a file mido cannot
// read gives its error as the only line, a missing file none.
inline std::vector<std::string> midi_track_keys(const std::filesystem::path& midi) {
    std::vector<std::string> tracks;
    if (!std::filesystem::exists(midi)) return tracks;
    const std::string command =
        "/usr/bin/python3 -c 'import sys, mido\n"
        "for t in mido.MidiFile(sys.argv[1]).tracks:\n"
        "    keys = [str(m.note) for m in t if m.type == \"note_on\" and m.velocity > 0]\n"
        "    if keys: print(\" \".join(keys))' '" +
        midi.string() + "' 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return tracks;
    std::string all;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) all.append(buf, n);
    ::pclose(p);
    std::istringstream lines(all);
    for (std::string line; std::getline(lines, line);) tracks.push_back(line);
    return tracks;
}

// Every note-on of the MIDI file as python3-mido reads it, track by track: its key and its
// onset in ticks from the start of its track, as "key@tick".
inline std::vector<std::string> midi_key_onsets(const std::filesystem::path& midi) {
    std::vector<std::string> notes;
    if (!std::filesystem::exists(midi)) return notes;
    const std::string command =
        "/usr/bin/python3 -c 'import sys, mido\n"
        "for t in mido.MidiFile(sys.argv[1]).tracks:\n"
        "    a = 0\n"
        "    for m in t:\n"
        "        a += m.time\n"
        "        if m.type == \"note_on\" and m.velocity > 0: print(f\"{m.note}@{a}\")' '" +
        midi.string() + "' 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return notes;
    std::string all;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) all.append(buf, n);
    ::pclose(p);
    std::istringstream lines(all);
    for (std::string line; std::getline(lines, line);) notes.push_back(line);
    return notes;
}
