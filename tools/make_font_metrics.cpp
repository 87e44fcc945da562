// make_font_metrics: writes the font metric files "fmNN.fmt" and the symbol width table
// "fmsymbol.fmt" from the AFM files of the URW base 35 fonts.
//
//   make_font_metrics FONT_NUMBERS AFM_DIR OUTPUT_DIR
//
// FONT_NUMBERS is data/font_numbers.txt (it explains its own lines), AFM_DIR the folder of the
// .afm files (Debian's fonts-urw-base35), OUTPUT_DIR the font folder to fill; GENERATED.txt
// goes beside the files and says how they were made.
//
// A metric file is 708 bytes, little-endian: the PostScript name (28 characters, blank-padded),
// the screen face (28), 162 signed 16-bit widths (entry code + 1), the font number (16-bit),
// the right edge of each code's ink (162 x 16-bit, the AFM bounding box's right x in the units
// of the widths; 0 when the code has no glyph) and the format number 1 (16-bit). Any fault in a source stops the tool with a
// message naming the file and line, and nothing is written.
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/files/binary_io.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCodes = 162;
constexpr int kMetricBytes = 708;
constexpr int kNameChars = 28;
constexpr double kLayoutUnit = 638.0;  // file units of a width of 1.0

struct SourceError : std::runtime_error {
    SourceError(const std::string& file, int line, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + what) {}
};

struct FontLine {
    int number = 0;
    std::string ps_name;
    std::string afm;
    std::string face;
    int weight = 400;
    int italic = 0;
};

struct CodeLine {
    int byte = 0;       // 0 = none
    std::string glyph;  // empty = none
};

struct SymbolLine {
    std::string glyph;    // width of this glyph, or
    double width = -1.0;  // this width (layout units)
};

struct Table {
    double scale = 0.0;
    std::map<int, FontLine> fonts;
    std::array<CodeLine, kCodes> codes{};
    std::array<bool, kCodes> code_given{};
    std::string symbol_afm;
    std::map<int, SymbolLine> symbols;
};

// One AFM file: widths by glyph name and by encoded byte.
struct Afm {
    std::string font_name;
    bool font_specific = false;
    std::map<std::string, int> by_name;
    std::map<int, int> by_byte;
    std::map<std::string, int> right_by_name;  // the bounding box's right x
    std::map<int, int> right_by_byte;
    std::string notice;
};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

int to_int(const std::string& text, const std::string& file, int line) {
    std::size_t used = 0;
    int v = 0;
    try {
        v = std::stoi(text, &used);
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used != text.size() || text.empty()) throw SourceError(file, line, "bad number " + text);
    return v;
}

double to_real(const std::string& text, const std::string& file, int line) {
    std::size_t used = 0;
    double v = 0.0;
    try {
        v = std::stod(text, &used);
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || !std::isfinite(v))
        throw SourceError(file, line, "bad number " + text);
    return v;
}

// The words of a line, a double-quoted word kept whole; a "#" outside quotes ends the line.
std::vector<std::string> split(const std::string& text, const std::string& file, int line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            const std::size_t end = text.find('"', i + 1);
            if (end == std::string::npos) throw SourceError(file, line, "unclosed quote");
            words.push_back(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = text.find_first_of(" \t#", i);
            if (end == std::string::npos) end = text.size();
            words.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

// The style the text records give a PostScript name (see the text record's weight and italic).
void name_style(const std::string& ps_name, int& weight, int& italic) {
    const std::string u = upper(ps_name);
    weight =
        (u.find("BOLD") != std::string::npos || u.find("DEMI") != std::string::npos) ? 700 : 400;
    italic = (u.find("ITAL") != std::string::npos || u.find("OBLI") != std::string::npos) ? 1 : 0;
}

Table read_table(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    Table t;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const std::vector<std::string> w = split(text, path, line);
        if (w.empty()) continue;
        if (w[0] == "scale" && w.size() == 2) {
            t.scale = to_real(w[1], path, line);
            if (!(t.scale > 0.0)) throw SourceError(path, line, "bad scale");
        } else if (w[0] == "font" && w.size() == 7) {
            FontLine f;
            f.number = to_int(w[1], path, line);
            f.ps_name = w[2];
            f.afm = w[3];
            f.face = w[4];
            f.weight = to_int(w[5], path, line);
            f.italic = to_int(w[6], path, line);
            if (f.number < 0 || f.number > 98 || f.number == 94)
                throw SourceError(path, line, "font number must be 0..93 or 95..98");
            if (t.fonts.count(f.number) != 0) throw SourceError(path, line, "font given twice");
            if (f.ps_name.size() > kNameChars || f.face.size() > kNameChars || f.face.empty())
                throw SourceError(path, line, "names are 1..28 characters");
            int weight = 0;
            int italic = 0;
            name_style(f.ps_name, weight, italic);
            if (weight != f.weight || italic != f.italic)
                throw SourceError(path, line, "weight and italic must be those of the name");
            t.fonts[f.number] = f;
        } else if (w[0] == "code" && w.size() == 4) {
            const int code = to_int(w[1], path, line);
            if (code < 0 || code >= kCodes) throw SourceError(path, line, "code outside 0..161");
            if (t.code_given[code]) throw SourceError(path, line, "code given twice");
            t.code_given[code] = true;
            t.codes[code].byte = w[2] == "-" ? 0 : to_int(w[2], path, line);
            if (t.codes[code].byte < 0 || t.codes[code].byte > 255)
                throw SourceError(path, line, "byte outside 0..255");
            t.codes[code].glyph = w[3] == "-" ? "" : w[3];
        } else if (w[0] == "symbols" && w.size() == 2) {
            t.symbol_afm = w[1];
        } else if (w[0] == "symbol" && w.size() == 4) {
            const int code = to_int(w[1], path, line);
            if (code < 0 || code >= kCodes) throw SourceError(path, line, "code outside 0..161");
            SymbolLine s;
            if (w[2] == "glyph") {
                s.glyph = w[3];
            } else if (w[2] == "width") {
                s.width = to_real(w[3], path, line);
                if (!(s.width >= 0.0 && s.width < 40.0)) throw SourceError(path, line, "bad width");
            } else {
                throw SourceError(path, line, "expected \"glyph\" or \"width\"");
            }
            t.symbols[code] = s;
        } else {
            throw SourceError(path, line, "unknown line");
        }
    }
    if (t.scale <= 0.0) throw std::runtime_error(path + ": no scale line");
    for (int n = 0; n <= 93; ++n)
        if (t.fonts.count(n) == 0)
            throw std::runtime_error(path + ": font " + std::to_string(n) + " is missing");
    for (int c = 0; c < kCodes; ++c)
        if (!t.code_given[c])
            throw std::runtime_error(path + ": code " + std::to_string(c) + " is missing");
    if (t.symbol_afm.empty()) throw std::runtime_error(path + ": no symbols line");
    return t;
}

Afm read_afm(const fs::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    Afm afm;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.rfind("FontName ", 0) == 0) afm.font_name = text.substr(9);
        if (text.rfind("Notice ", 0) == 0) afm.notice = text.substr(7);
        if (text.rfind("EncodingScheme ", 0) == 0)
            afm.font_specific = text.find("FontSpecific") != std::string::npos;
        if (text.rfind("C ", 0) != 0) continue;
        // C code ; WX width ; N name ; ...
        int code = -1;
        int width = -1;
        int right = 0;
        std::string name;
        std::istringstream fields(text);
        std::string field;
        while (std::getline(fields, field, ';')) {
            std::istringstream f(field);
            std::string key;
            f >> key;
            if (key == "C") f >> code;
            if (key == "WX") f >> width;
            if (key == "N") f >> name;
            if (key == "B") {
                int llx = 0;
                int lly = 0;
                f >> llx >> lly >> right;
            }
        }
        if (width < 0 || name.empty()) throw SourceError(path.string(), line, "bad metrics line");
        afm.by_name[name] = width;
        if (code >= 0 && code <= 255) afm.by_byte[code] = width;
        afm.right_by_name[name] = right;
        if (code >= 0 && code <= 255) afm.right_by_byte[code] = right;
    }
    if (afm.font_name.empty()) throw std::runtime_error(path.string() + ": no FontName");
    return afm;
}

int16_t file_width(double afm_width, double scale) {
    return static_cast<int16_t>(std::lround(afm_width * scale / 1000.0));
}

// The width of code c in a font: its glyph by name in a text font, its byte in a font that keeps
// its own encoding; 0 when the code has none. A text font lacking a named glyph is a fault.
int16_t code_width(const Table& t, const Afm& afm, const std::string& afm_name, int c) {
    const CodeLine& code = t.codes[static_cast<std::size_t>(c)];
    if (afm.font_specific) {
        const auto hit = afm.by_byte.find(code.byte);
        return code.byte != 0 && hit != afm.by_byte.end() ? file_width(hit->second, t.scale) : 0;
    }
    if (code.glyph.empty()) return 0;
    const auto hit = afm.by_name.find(code.glyph);
    if (hit == afm.by_name.end())
        throw std::runtime_error(afm_name + ".afm has no glyph " + code.glyph);
    return file_width(hit->second, t.scale);
}

// The right edge of code c's ink in a font, found as code_width finds its width; 0 when the
// code has no glyph.
int16_t code_right_edge(const Table& t, const Afm& afm, int c) {
    const CodeLine& code = t.codes[static_cast<std::size_t>(c)];
    if (afm.font_specific) {
        const auto hit = afm.right_by_byte.find(code.byte);
        return code.byte != 0 && hit != afm.right_by_byte.end() ? file_width(hit->second, t.scale)
                                                                : 0;
    }
    if (code.glyph.empty()) return 0;
    const auto hit = afm.right_by_name.find(code.glyph);
    return hit == afm.right_by_name.end() ? 0 : file_width(hit->second, t.scale);
}

std::vector<unsigned char> metric_file(const Table& t, const FontLine& f, const Afm& afm) {
    std::vector<unsigned char> bytes(kMetricBytes, ' ');
    for (std::size_t i = 0; i < f.ps_name.size(); ++i) bytes[i] = f.ps_name[i];
    for (std::size_t i = 0; i < f.face.size(); ++i) bytes[kNameChars + i] = f.face[i];
    for (int c = 0; c < kCodes; ++c)
        core::put_le_i16(bytes.data() + 56 + 2 * c, code_width(t, afm, f.afm, c));
    core::put_le_i16(bytes.data() + 380, static_cast<int16_t>(f.number));
    for (int c = 0; c < kCodes; ++c)
        core::put_le_i16(bytes.data() + 382 + 2 * c, code_right_edge(t, afm, c));
    core::put_le_i16(bytes.data() + 706, 1);
    return bytes;
}

std::vector<unsigned char> symbol_file(const Table& t, const Afm& afm) {
    std::vector<unsigned char> bytes(2 * kCodes, 0);
    for (int c = 0; c < kCodes; ++c) {
        int16_t w = code_width(t, afm, t.symbol_afm, c);
        const auto s = t.symbols.find(c);
        if (s != t.symbols.end()) {
            if (s->second.width >= 0.0) {
                w = static_cast<int16_t>(std::lround(s->second.width * kLayoutUnit));
            } else {
                const auto hit = afm.by_name.find(s->second.glyph);
                if (hit == afm.by_name.end())
                    throw std::runtime_error(t.symbol_afm + ".afm has no glyph " + s->second.glyph);
                w = file_width(hit->second, t.scale);
            }
        }
        core::put_le_i16(bytes.data() + 2 * c, w);
    }
    return bytes;
}

std::string two_digits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: make_font_metrics FONT_NUMBERS AFM_DIR OUTPUT_DIR\n";
        return 2;
    }
    try {
        const Table t = read_table(argv[1]);
        const fs::path afm_dir(argv[2]);
        const fs::path out(argv[3]);
        std::map<std::string, Afm> afms;
        auto afm_of = [&](const std::string& name) -> const Afm& {
            auto it = afms.find(name);
            if (it == afms.end())
                it = afms.emplace(name, read_afm(afm_dir / (name + ".afm"))).first;
            return it->second;
        };

        std::map<std::string, std::vector<unsigned char>> files;
        for (const auto& [number, font] : t.fonts) {
            const Afm& afm = afm_of(font.afm);
            if (afm.font_name != font.afm)
                throw std::runtime_error(font.afm + ".afm declares " + afm.font_name);
            files["fm" + two_digits(number) + ".fmt"] = metric_file(t, font, afm);
        }
        files["fmsymbol.fmt"] = symbol_file(t, afm_of(t.symbol_afm));

        std::ostringstream note;
        note << "Generated files: do not edit. tools/make_font_metrics wrote the font metric\n"
                "files fm*.fmt and the symbol width table fmsymbol.fmt of this folder from\n"
                "data/font_numbers.txt and the AFM files of Debian's fonts-urw-base35 ("
             << afm_dir.string() << ").\nThe widths come from the URW base 35 fonts:\n  "
             << afm_of("NimbusRoman-Regular").notice
             << "\n  distributed under the GNU Affero General Public License version 3 with the\n"
                "  URW font exception (see /usr/share/doc/fonts-urw-base35/copyright).\n";

        fs::create_directories(out);
        for (const auto& [name, bytes] : files) {
            std::ofstream file(out / name, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            if (!file) throw std::runtime_error("cannot write " + (out / name).string());
        }
        std::ofstream readme(out / "GENERATED.txt", std::ios::trunc);
        readme << note.str();
        if (!readme) throw std::runtime_error("cannot write GENERATED.txt");
        std::cout << "make_font_metrics: " << files.size() << " files in " << out.string() << '\n';
    } catch (const std::exception& e) {
        std::cerr << "make_font_metrics: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
