// make_library_data: writes the library data file "mx.DAT" from its readable sources.
//
//   make_library_data STROKE_FONT SIZE_FACTORS OUTPUT
//
// STROKE_FONT is data/stroke_font.txt, SIZE_FACTORS data/font_size_factors.txt (each explains
// its own lines); OUTPUT the mx.DAT to write. A note saying how the file was made goes beside
// it (OUTPUT + ".txt"). The layout, little-endian, 4,794 bytes: two 32-bit integers (format 1
// and the file length), 361 unit-circle points at whole degrees 0..360 as (cos, sin) float
// pairs, 105 float font size factors, and the stroke font as 739 16-bit integers (70 start
// offsets, then pen x 10000 + x x 100 + y entries). Any fault in a source stops the tool with
// a message naming the file and line, and nothing is written.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/files/binary_io.h"
#include "engine/core/settings_tables.h"

namespace {

using core::kCirclePointWords;
using core::kFontSizeFactorCount;
using core::kLibraryDataBytes;
using core::kStrokeFontEntries;
using core::kStrokeFontOffsets;

// Text codes 0..69 in order: the characters the stroke font can hold.
constexpr std::string_view kGlyphCharacters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,()abcdefghijklmnopqrstuvwxyz:;?!";
static_assert(kGlyphCharacters.size() == kStrokeFontOffsets);

constexpr int kDataEntries = kStrokeFontEntries - kStrokeFontOffsets;
// One design unit in grid steps, and the grid point of the glyph origin.
constexpr double kUnit = 8.0;
constexpr int kOriginX = 40;
constexpr int kOriginY = 26;

struct SourceError : std::runtime_error {
    SourceError(const std::string& file, int line, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + what) {}
};

std::vector<std::string> read_lines(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool is_comment(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// One grid coordinate from a design value: must land on a whole grid step inside 0..99.
int grid_coordinate(double design, int origin, const std::string& file, int line) {
    const double grid = origin + design * kUnit;
    const long whole = std::lround(grid);
    if (std::fabs(grid - static_cast<double>(whole)) > 1e-9)
        throw SourceError(file, line, "coordinate is not on the grid");
    if (whole < 0 || whole > 99) throw SourceError(file, line, "coordinate outside the grid");
    return static_cast<int>(whole);
}

// Entries of the stroke font, glyph by glyph (index = text code).
std::vector<std::vector<int16_t>> read_stroke_font(const std::string& path) {
    std::vector<std::vector<int16_t>> glyphs(kStrokeFontOffsets);
    std::vector<bool> defined(kStrokeFontOffsets, false);
    const std::vector<std::string> lines = read_lines(path);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& text = lines[i];
        const int number = static_cast<int>(i) + 1;
        if (is_comment(text)) continue;
        if (text.size() < 3 || text[1] != ' ')
            throw SourceError(path, number, "expected a character, a blank and strokes");
        const std::size_t code = kGlyphCharacters.find(text[0]);
        if (code == std::string_view::npos)
            throw SourceError(path, number, "character has no stroke-font code");
        if (defined[code]) throw SourceError(path, number, "glyph defined twice");
        defined[code] = true;

        std::istringstream strokes(text.substr(2));
        std::string stroke;
        while (std::getline(strokes, stroke, '|')) {
            std::istringstream points(stroke);
            std::string point;
            int pen = 0;  // the first point of a stroke moves, the others draw
            while (points >> point) {
                const std::size_t comma = point.find(',');
                double x = 0.0;
                double y = 0.0;
                try {
                    std::size_t used_x = 0;
                    std::size_t used_y = 0;
                    if (comma == std::string::npos) throw std::invalid_argument(point);
                    x = std::stod(point.substr(0, comma), &used_x);
                    y = std::stod(point.substr(comma + 1), &used_y);
                    if (used_x != comma || used_y != point.size() - comma - 1)
                        throw std::invalid_argument(point);
                } catch (const std::logic_error&) {
                    throw SourceError(path, number, "bad point \"" + point + "\"");
                }
                const int gx = grid_coordinate(x, kOriginX, path, number);
                const int gy = grid_coordinate(y, kOriginY, path, number);
                glyphs[code].push_back(static_cast<int16_t>(pen * 10000 + gx * 100 + gy));
                pen = 1;
            }
            if (pen == 0) throw SourceError(path, number, "empty stroke");
        }
    }
    return glyphs;
}

std::vector<float> read_size_factors(const std::string& path) {
    std::vector<float> factors(kFontSizeFactorCount, 1.0f);
    const std::vector<std::string> lines = read_lines(path);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (is_comment(lines[i])) continue;
        std::istringstream in(lines[i]);
        std::string word;
        in >> word;
        if (word == "default") {
            float f = 0.0f;
            if (!(in >> f) || f <= 0.0f) throw SourceError(path, number, "bad default factor");
            factors.assign(kFontSizeFactorCount, f);
        } else if (word == "font") {
            int font = -1;
            float f = 0.0f;
            if (!(in >> font >> f) || font < 0 || font >= kFontSizeFactorCount || f <= 0.0f)
                throw SourceError(path, number, "expected \"font N F\" with N 0..104, F > 0");
            factors[static_cast<std::size_t>(font)] = f;
        } else {
            throw SourceError(path, number, "unknown line");
        }
    }
    return factors;
}

// Cosine or sine of a whole degree, with the values at quarter turns exact.
float circle_value(double v) { return std::fabs(v) < 1e-12 ? 0.0f : static_cast<float>(v); }

std::vector<unsigned char> build_library_data(const std::vector<std::vector<int16_t>>& glyphs,
                                              const std::vector<float>& factors,
                                              int& used_entries) {
    std::vector<unsigned char> bytes(kLibraryDataBytes, 0);
    unsigned char* at = bytes.data();
    core::put_le_i32(at, 1);
    core::put_le_i32(at + 4, kLibraryDataBytes);
    at += 8;
    for (int degree = 0; degree < kCirclePointWords / 2; ++degree) {
        const double angle = degree * std::numbers::pi / 180.0;
        core::put_le_f32(at, circle_value(std::cos(angle)));
        core::put_le_f32(at + 4, circle_value(std::sin(angle)));
        at += 8;
    }
    for (float f : factors) {
        core::put_le_f32(at, f);
        at += 4;
    }
    std::vector<int16_t> offsets;
    std::vector<int16_t> data;
    for (const auto& glyph : glyphs) {
        offsets.push_back(static_cast<int16_t>(data.size() + 1));
        data.insert(data.end(), glyph.begin(), glyph.end());
    }
    used_entries = static_cast<int>(data.size());
    if (used_entries > kDataEntries)
        throw std::runtime_error("the stroke font needs " + std::to_string(used_entries) +
                                 " entries; the table holds " + std::to_string(kDataEntries));
    data.resize(kDataEntries, 0);
    for (int16_t v : offsets) {
        core::put_le_i16(at, v);
        at += 2;
    }
    for (int16_t v : data) {
        core::put_le_i16(at, v);
        at += 2;
    }
    if (at != bytes.data() + bytes.size()) throw std::logic_error("layout size mismatch");
    return bytes;
}

void write_file(const std::string& path, const void* data, std::size_t n) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: make_library_data STROKE_FONT SIZE_FACTORS OUTPUT\n";
        return 2;
    }
    try {
        const auto glyphs = read_stroke_font(argv[1]);
        const auto factors = read_size_factors(argv[2]);
        int used = 0;
        const auto bytes = build_library_data(glyphs, factors, used);
        const std::string output = argv[3];
        write_file(output, bytes.data(), bytes.size());
        const std::string note =
            "mx.DAT is generated by the build (tools/make_library_data.cpp) from "
            "data/stroke_font.txt and data/font_size_factors.txt. Do not edit it; edit the "
            "sources.\n";
        write_file(output + ".txt", note.data(), note.size());
        std::cout << "make_library_data: " << output << " (" << bytes.size() << " bytes, " << used
                  << " of " << kDataEntries << " stroke entries used)\n";
    } catch (const std::exception& e) {
        std::cerr << "make_library_data: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
