// Old drawing files and the Code 11 items that name them, made without the engine, for the
// tests of the conversion to library drawings.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// An old drawing file as the conversion reads it (a lead word, the start table in stream
// values, ten five-character names, blocks of a filler word and up to 64 values): drawing 3
// is a stroke from (0, 0) to (150, 100), drawing 4 one from (0, 0) to (-100, 50).
inline void write_stroke_old_drawing(const std::filesystem::path& path) {
    const std::vector<int16_t> head = {7, 0, 0, 0, 0, 6, 12, 12, 12, 12, 12, 12};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head.data()), 2 * static_cast<long>(head.size()));
    const std::string names = "ONE  TWO  THREEFOUR FIVE SIX  SEVENEIGHTNINE TEN  ";
    out.write(names.data(), 50);
    const std::vector<int16_t> block = {-1, 0, 0, 1, 150, 100, 0, 0, 0, 1, -100, 50, 0};
    out.write(reinterpret_cast<const char*>(block.data()), 2 * static_cast<long>(block.size()));
}

// A Code 11 item on staff 1 at x, drawing p5 of the old file `name` (packed into P14..P19).
inline std::vector<float> code11(float x, float p5, const std::string& name) {
    std::vector<float> p = {11, 1, x, 5, p5, 1, 1};
    p.resize(21, 0.0f);
    char chars[24];
    std::memset(chars, ' ', sizeof chars);
    std::memcpy(chars, name.data(), std::min<std::size_t>(name.size(), 24));
    std::memcpy(&p[13], chars, 24);
    return p;
}
