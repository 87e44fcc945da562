// make_glyphs: writes the library drawing files "lbNNN0.drw" of the glyph set.
//
//   make_glyphs FONT_DIR GLYPH_MAP GLYPH_SHAPES STROKE_FONT OUTPUT_DIR
//
// FONT_DIR holds the engraving fonts of Debian's lilypond-fonts (emmentaler-20.otf and
// emmentaler-brace.otf); GLYPH_MAP is data/glyph_map.txt, which says for every symbol number
// where its shape comes from and how it is placed (the file explains its columns); GLYPH_SHAPES
// is data/glyph_shapes.txt (shapes of our own, as points); STROKE_FONT is data/stroke_font.txt
// (letters drawn as strokes). Curves are flattened into points; filled contours become one
// path (pen 2, further contours pen 3, odd-even fill), strokes open paths (pen 1).
//
// The files go to OUTPUT_DIR with GENERATED.txt beside them, which says how they were made.
// Any fault in a source stops the tool with a message naming the file and line; nothing is
// written then.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/core/files/binary_io.h"

namespace {

constexpr int kDrawingsPerFile = 10;
constexpr int kNameLength = 24;
constexpr int kLastSymbol = 9999;
// Largest distance (drawing units) between a flattened curve and the true one.
constexpr double kTolerance = 0.3;
constexpr double kPi = 3.14159265358979323846;

struct SourceError : std::runtime_error {
    SourceError(const std::string& file, int line, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + what) {}
};

struct Pt {
    double x = 0, y = 0;
};

// One contour as Bezier pieces: degree 1 (line), 2 (conic) or 3 (cubic), ending at p[degree-1].
struct Piece {
    int degree = 1;
    Pt p[3];
};
struct Contour {
    Pt start;
    std::vector<Piece> pieces;
    bool closed = true;
};
using Outline = std::vector<Contour>;

struct DrawnPoint {
    float x = 0, y = 0;
    int16_t pen = 0;
};

struct Drawing {
    std::string name;
    std::vector<DrawnPoint> points;
};

std::vector<std::string> split_words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

double parse_number(const std::string& text, const std::string& file, int line) {
    try {
        std::size_t used = 0;
        const double v = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(v)) throw std::invalid_argument(text);
        return v;
    } catch (const std::exception&) {
        throw SourceError(file, line, "not a number: \"" + text + "\"");
    }
}

Pt parse_point(const std::string& text, const std::string& file, int line) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) throw SourceError(file, line, "not a point x,y: " + text);
    return {parse_number(text.substr(0, comma), file, line),
            parse_number(text.substr(comma + 1), file, line)};
}

// ---- sources: the fonts, our shapes, the stroke font ----

class FontSet {
  public:
    explicit FontSet(const std::string& dir) {
        if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType did not start");
        music_ = open(dir + "/emmentaler-20.otf");
        brace_ = open(dir + "/emmentaler-brace.otf");
    }
    ~FontSet() {
        FT_Done_Face(music_);
        FT_Done_Face(brace_);
        FT_Done_FreeType(library_);
    }
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    // The outline of a named glyph in font units; false when the font has no such glyph.
    bool outline(bool brace, const std::string& name, Outline& out) {
        FT_Face face = brace ? brace_ : music_;
        const FT_UInt index = FT_Get_Name_Index(face, name.c_str());
        if (index == 0) return false;
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return false;
        if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
        out.clear();
        FT_Outline_Funcs funcs{};
        funcs.move_to = [](const FT_Vector* to, void* user) {
            auto* o = static_cast<Outline*>(user);
            o->push_back({{double(to->x), double(to->y)}, {}, true});
            return 0;
        };
        funcs.line_to = [](const FT_Vector* to, void* user) {
            Piece p;
            p.degree = 1;
            p.p[0] = {double(to->x), double(to->y)};
            static_cast<Outline*>(user)->back().pieces.push_back(p);
            return 0;
        };
        funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
            Piece p;
            p.degree = 2;
            p.p[0] = {double(c->x), double(c->y)};
            p.p[1] = {double(to->x), double(to->y)};
            static_cast<Outline*>(user)->back().pieces.push_back(p);
            return 0;
        };
        funcs.cubic_to = [](const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to,
                            void* user) {
            Piece p;
            p.degree = 3;
            p.p[0] = {double(c1->x), double(c1->y)};
            p.p[1] = {double(c2->x), double(c2->y)};
            p.p[2] = {double(to->x), double(to->y)};
            static_cast<Outline*>(user)->back().pieces.push_back(p);
            return 0;
        };
        return FT_Outline_Decompose(&face->glyph->outline, &funcs, &out) == 0;
    }

  private:
    FT_Face open(const std::string& path) {
        FT_Face face = nullptr;
        if (FT_New_Face(library_, path.c_str(), 0, &face) != 0)
            throw std::runtime_error("cannot open the font " + path);
        return face;
    }
    FT_Library library_ = nullptr;
    FT_Face music_ = nullptr;
    FT_Face brace_ = nullptr;
};

Contour polyline(const std::vector<Pt>& points, bool closed) {
    Contour c;
    c.start = points.front();
    c.closed = closed;
    for (std::size_t i = 1; i < points.size(); ++i) {
        Piece p;
        p.p[0] = points[i];
        c.pieces.push_back(p);
    }
    return c;
}

// "arc:cx,cy,r,a0,a1": points on a circle from a0 to a1 degrees, every 10 degrees or less.
void append_arc(const std::string& desc, std::vector<Pt>& out, const std::string& file, int line) {
    std::vector<double> v;
    std::stringstream in(desc.substr(4));
    std::string item;
    while (std::getline(in, item, ',')) v.push_back(parse_number(item, file, line));
    if (v.size() != 5 || v[2] <= 0) throw SourceError(file, line, "bad arc: " + desc);
    const int n = std::max(2, static_cast<int>(std::ceil(std::abs(v[4] - v[3]) / 10.0)));
    for (int k = 0; k <= n; ++k) {
        const double a = (v[3] + (v[4] - v[3]) * k / n) * kPi / 180.0;
        out.push_back({v[0] + v[2] * std::cos(a), v[1] + v[2] * std::sin(a)});
    }
}

// data/glyph_shapes.txt: "shape NAME", then "path" lines of points (x,y or arc:...), "end".
std::map<std::string, std::vector<std::vector<Pt>>> read_shapes(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::map<std::string, std::vector<std::vector<Pt>>> shapes;
    std::string text, current;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
        const auto words = split_words(text);
        if (words.empty()) continue;
        if (words[0] == "shape") {
            if (words.size() != 2 || !current.empty())
                throw SourceError(path, line, "\"shape NAME\" expected after \"end\"");
            current = words[1];
            if (shapes.count(current) != 0) throw SourceError(path, line, "shape defined twice");
            shapes[current];
        } else if (words[0] == "end") {
            if (current.empty() || shapes[current].empty())
                throw SourceError(path, line, "\"end\" of an empty or unopened shape");
            current.clear();
        } else if (words[0] == "path") {
            if (current.empty()) throw SourceError(path, line, "\"path\" outside a shape");
            std::vector<Pt> points;
            for (std::size_t i = 1; i < words.size(); ++i) {
                if (words[i].rfind("arc:", 0) == 0) {
                    append_arc(words[i], points, path, line);
                } else {
                    points.push_back(parse_point(words[i], path, line));
                }
            }
            if (points.size() < 2) throw SourceError(path, line, "a path needs two points");
            shapes[current].push_back(points);
        } else {
            throw SourceError(path, line, "unknown word \"" + words[0] + "\"");
        }
    }
    if (!current.empty()) throw SourceError(path, line, "shape " + current + " has no \"end\"");
    return shapes;
}

// data/stroke_font.txt: a character, then strokes "x,y x,y ... | ...".
std::map<char, std::vector<std::vector<Pt>>> read_stroke_font(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::map<char, std::vector<std::vector<Pt>>> glyphs;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text[0] == '#') continue;
        if (text.size() < 3 || text[1] != ' ') throw SourceError(path, line, "bad glyph line");
        std::vector<std::vector<Pt>> strokes(1);
        for (const auto& w : split_words(text.substr(2))) {
            if (w == "|") {
                strokes.emplace_back();
            } else {
                strokes.back().push_back(parse_point(w, path, line));
            }
        }
        glyphs[text[0]] = strokes;
    }
    return glyphs;
}

// ---- placing and flattening ----

struct Transform {
    double sx = 1, sy = 1, dx = 0, dy = 0;
    Pt apply(const Pt& p) const { return {p.x * sx + dx, p.y * sy + dy}; }
};

// Subdivisions so that a piece stays within kTolerance of its chords.
int subdivisions(const Pt* c, int degree) {
    double d = 0;
    for (int i = 0; i + 2 <= degree; ++i) {
        const double ex = c[i].x - 2 * c[i + 1].x + c[i + 2].x;
        const double ey = c[i].y - 2 * c[i + 1].y + c[i + 2].y;
        d = std::max(d, std::hypot(ex, ey));
    }
    const double factor = degree == 3 ? 0.75 : 0.25;
    return std::clamp(static_cast<int>(std::ceil(std::sqrt(factor * d / kTolerance))), 1, 64);
}

std::vector<std::vector<Pt>> flatten(const Outline& outline, const Transform& t) {
    std::vector<std::vector<Pt>> out;
    for (const auto& contour : outline) {
        std::vector<Pt> points{t.apply(contour.start)};
        Pt from = contour.start;
        for (const auto& piece : contour.pieces) {
            Pt c[4] = {t.apply(from), {}, {}, {}};
            for (int i = 0; i < piece.degree; ++i) c[i + 1] = t.apply(piece.p[i]);
            const int n = piece.degree == 1 ? 1 : subdivisions(c, piece.degree);
            for (int k = 1; k <= n; ++k) {
                const double u = double(k) / n, v = 1 - u;
                Pt p;
                if (piece.degree == 1) {
                    p = c[1];
                } else if (piece.degree == 2) {
                    p = {v * v * c[0].x + 2 * u * v * c[1].x + u * u * c[2].x,
                         v * v * c[0].y + 2 * u * v * c[1].y + u * u * c[2].y};
                } else {
                    p = {v * v * v * c[0].x + 3 * u * v * v * c[1].x + 3 * u * u * v * c[2].x +
                             u * u * u * c[3].x,
                         v * v * v * c[0].y + 3 * u * v * v * c[1].y + 3 * u * u * v * c[2].y +
                             u * u * u * c[3].y};
                }
                points.push_back(p);
            }
            from = piece.p[piece.degree - 1];
        }
        // A closed contour's last point repeats its first: the fill closes it anyway.
        if (contour.closed && points.size() > 1 && std::abs(points.back().x - points[0].x) < 1e-9 &&
            std::abs(points.back().y - points[0].y) < 1e-9)
            points.pop_back();
        if (points.size() >= 2) out.push_back(points);
    }
    return out;
}

// One line of the map: a component of a symbol's drawing.
struct Component {
    int number = 0;
    std::string source;
    std::string x, y, scale, pen;
    int line = 0;
};

// A scale item: a plain factor, "w:N" (fit the width to N) or "h:N" (fit the height).
double scale_factor(const std::string& item, double width, double height, const std::string& file,
                    int line) {
    if (item.rfind("w:", 0) == 0 || item.rfind("h:", 0) == 0) {
        const double size = item[0] == 'w' ? width : height;
        if (size <= 0) throw SourceError(file, line, "cannot fit an empty glyph: " + item);
        return parse_number(item.substr(2), file, line) / size;
    }
    return parse_number(item, file, line);
}

// Offset that puts the anchor of [lo, hi] at the value ("left:", "right:", "center:" for x;
// "bottom:", "top:", "middle:" for y), or a plain origin shift.
double anchor_offset(const std::string& desc, double lo, double hi, bool vertical,
                     const std::string& file, int line) {
    const auto colon = desc.find(':');
    if (colon == std::string::npos) return parse_number(desc, file, line);
    const std::string kind = desc.substr(0, colon);
    const double at = parse_number(desc.substr(colon + 1), file, line);
    if (kind == (vertical ? "bottom" : "left")) return at - lo;
    if (kind == (vertical ? "top" : "right")) return at - hi;
    if (kind == (vertical ? "middle" : "center")) return at - (lo + hi) / 2;
    throw SourceError(file, line, "unknown anchor \"" + kind + "\"");
}

class GlyphBuilder {
  public:
    GlyphBuilder(FontSet& fonts, const std::string& shapes_path, const std::string& stroke_path)
        : fonts_(fonts),
          shapes_(read_shapes(shapes_path)),
          strokes_(read_stroke_font(stroke_path)) {}

    void add(const Component& c, const std::string& file, Drawing& drawing) {
        Outline outline;
        bool open_strokes = false;
        if (c.source.rfind("shape:", 0) == 0) {
            const auto it = shapes_.find(c.source.substr(6));
            if (it == shapes_.end()) throw SourceError(file, c.line, "no shape " + c.source);
            for (const auto& path : it->second) outline.push_back(polyline(path, c.pen != "line"));
            open_strokes = c.pen == "line";
        } else if (c.source.rfind("stroke:", 0) == 0) {
            if (c.source.size() != 8 || strokes_.count(c.source[7]) == 0)
                throw SourceError(file, c.line, "no stroke glyph " + c.source);
            for (const auto& s : strokes_.at(c.source[7]))
                if (s.size() >= 2) outline.push_back(polyline(s, false));
            open_strokes = true;
        } else {
            const bool brace = c.source.rfind("brace:", 0) == 0;
            const std::string name = brace ? c.source.substr(6) : c.source;
            if (!fonts_.outline(brace, name, outline) || outline.empty())
                throw SourceError(file, c.line, "the font has no glyph " + name);
        }
        if (open_strokes && c.pen == "fill")
            throw SourceError(file, c.line, "strokes cannot be filled: use pen \"line\"");

        // Scale first (about the source's origin), then place by the anchors.
        Transform t;
        const auto raw = flatten(outline, t);
        double x0, x1, y0, y1;
        bounds(raw, x0, x1, y0, y1);
        const auto comma = c.scale.find(',');
        if (comma == std::string::npos) {
            t.sx = t.sy = scale_factor(c.scale, x1 - x0, y1 - y0, file, c.line);
        } else {
            t.sx = scale_factor(c.scale.substr(0, comma), x1 - x0, y1 - y0, file, c.line);
            t.sy = scale_factor(c.scale.substr(comma + 1), x1 - x0, y1 - y0, file, c.line);
        }
        const auto scaled = flatten(outline, t);
        bounds(scaled, x0, x1, y0, y1);
        t.dx = anchor_offset(c.x, x0, x1, false, file, c.line);
        t.dy = anchor_offset(c.y, y0, y1, true, file, c.line);

        bool first = true;
        for (auto contour : flatten(outline, t)) {
            int16_t start_pen = 1;
            if (c.pen == "fill") {
                start_pen = first ? 2 : 3;
            } else if (c.pen == "outline") {
                if (!open_strokes) contour.push_back(contour.front());
            } else if (c.pen != "line") {
                throw SourceError(file, c.line, "pen must be fill, line or outline: " + c.pen);
            }
            first = false;
            for (std::size_t i = 0; i < contour.size(); ++i) {
                drawing.points.push_back({static_cast<float>(contour[i].x),
                                          static_cast<float>(contour[i].y),
                                          i == 0 ? start_pen : int16_t{0}});
            }
        }
    }

  private:
    static void bounds(const std::vector<std::vector<Pt>>& contours, double& x0, double& x1,
                       double& y0, double& y1) {
        x0 = y0 = 1e300;
        x1 = y1 = -1e300;
        for (const auto& c : contours)
            for (const auto& p : c) {
                x0 = std::min(x0, p.x);
                x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y);
                y1 = std::max(y1, p.y);
            }
        if (x0 > x1) x0 = x1 = y0 = y1 = 0;
    }

    FontSet& fonts_;
    std::map<std::string, std::vector<std::vector<Pt>>> shapes_;
    std::map<char, std::vector<std::vector<Pt>>> strokes_;
};

// data/glyph_map.txt: "NUMBER SOURCE X Y SCALE PEN", one component a line; "empty NUMBER" keeps
// a number without points on purpose.
std::map<int, Drawing> build_drawings(const std::string& path, GlyphBuilder& builder) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::map<int, Drawing> drawings;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
        const auto words = split_words(text);
        if (words.empty()) continue;
        if (words[0] == "empty" && words.size() == 2) {
            const int n = static_cast<int>(parse_number(words[1], path, line));
            drawings[n].name = "(blank)";
            continue;
        }
        if (words.size() != 6) throw SourceError(path, line, "six columns expected");
        Component c;
        c.line = line;
        c.number = static_cast<int>(parse_number(words[0], path, line));
        if (c.number < 0 || c.number > kLastSymbol || std::to_string(c.number) != words[0])
            throw SourceError(path, line, "symbol number must be 0..9999");
        c.source = words[1];
        c.x = words[2];
        c.y = words[3];
        c.scale = words[4];
        c.pen = words[5];
        Drawing& d = drawings[c.number];
        if (d.name.empty()) d.name = c.source.substr(c.source.find(':') + 1);
        builder.add(c, path, d);
    }
    return drawings;
}

void check_name(const std::string& name) {
    std::string lower = name;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (lower.find("emmentaler") != std::string::npos || lower.find("feta") != std::string::npos)
        throw std::runtime_error("a reserved font name would be written: " + name);
}

// The bytes of one library file: 11 start entries (the first stored as 0), 10 names, X, Y, pens.
std::vector<unsigned char> file_bytes(const std::map<int, Drawing>& drawings, int file_number) {
    std::vector<const Drawing*> slot(kDrawingsPerFile, nullptr);
    std::size_t total = 0;
    for (int d = 0; d < kDrawingsPerFile; ++d) {
        const auto it = drawings.find(file_number * 10 + d);
        if (it == drawings.end()) continue;
        slot[static_cast<std::size_t>(d)] = &it->second;
        total += it->second.points.size();
    }
    if (total + 1 > 32767)
        throw std::runtime_error("too many points for one file: lb" + std::to_string(file_number));
    std::vector<unsigned char> bytes(22 + 240 + 10 * total, 0);
    std::size_t next = 1;
    std::vector<DrawnPoint> points;
    for (int d = 0; d < kDrawingsPerFile; ++d) {
        const int16_t entry = d == 0 ? int16_t{0} : static_cast<int16_t>(next);
        core::put_le_i16(bytes.data() + 2 * d, entry);
        std::string name =
            slot[static_cast<std::size_t>(d)] ? slot[static_cast<std::size_t>(d)]->name : "";
        check_name(name);
        name.resize(kNameLength, ' ');
        std::copy(name.begin(), name.end(), bytes.begin() + 22 + kNameLength * d);
        if (slot[static_cast<std::size_t>(d)]) {
            const auto& p = slot[static_cast<std::size_t>(d)]->points;
            points.insert(points.end(), p.begin(), p.end());
            next += p.size();
        }
    }
    core::put_le_i16(bytes.data() + 20, static_cast<int16_t>(total + 1));
    unsigned char* at = bytes.data() + 262;
    for (std::size_t i = 0; i < total; ++i) {
        core::put_le_f32(at + 4 * i, points[i].x);
        core::put_le_f32(at + 4 * (total + i), points[i].y);
        core::put_le_i16(at + 8 * total + 2 * i, points[i].pen);
    }
    return bytes;
}

std::string file_name(int file_number) {
    char name[16];
    std::snprintf(name, sizeof name, "lb%03d0.drw", file_number);
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: make_glyphs FONT_DIR GLYPH_MAP GLYPH_SHAPES STROKE_FONT OUTPUT_DIR\n";
        return 2;
    }
    try {
        FontSet fonts(argv[1]);
        GlyphBuilder builder(fonts, argv[3], argv[4]);
        const auto drawings = build_drawings(argv[2], builder);

        std::map<int, std::vector<unsigned char>> files;
        for (const auto& [number, drawing] : drawings)
            if (files.count(number / 10) == 0)
                files[number / 10] = file_bytes(drawings, number / 10);

        const std::filesystem::path out(argv[5]);
        std::filesystem::create_directories(out);
        // Files of numbers the table no longer has would still be read: they go.
        for (const auto& entry : std::filesystem::directory_iterator(out)) {
            const std::string name = entry.path().filename().string();
            if (name.size() == 10 && name.rfind("lb", 0) == 0 && name.substr(6) == ".drw" &&
                files.count(std::atoi(name.substr(2, 3).c_str())) == 0)
                std::filesystem::remove(entry.path());
        }
        std::ostringstream note;
        note << "The library drawing files lb*.drw in this folder are generated by the build\n"
                "(tools/make_glyphs.cpp) from data/glyph_map.txt, data/glyph_shapes.txt,\n"
                "data/stroke_font.txt and the music fonts of Debian's lilypond-fonts package.\n"
                "Do not edit them; edit the sources. Their license: OFL-emmentaler.txt.\n\n"
                "file          symbols\n";
        std::size_t points = 0;
        for (const auto& [file_number, bytes] : files) {
            std::ofstream f(out / file_name(file_number), std::ios::binary | std::ios::trunc);
            f.write(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<std::streamsize>(bytes.size()));
            if (!f)
                throw std::runtime_error("cannot write " + (out / file_name(file_number)).string());
            note << file_name(file_number) << "   ";
            for (int d = 0; d < kDrawingsPerFile; ++d) {
                const auto it = drawings.find(file_number * 10 + d);
                if (it == drawings.end()) continue;
                note << ' ' << it->first;
                points += it->second.points.size();
            }
            note << '\n';
        }
        std::ofstream readme(out / "GENERATED.txt", std::ios::trunc);
        readme << note.str();
        if (!readme) throw std::runtime_error("cannot write GENERATED.txt");
        std::cout << "make_glyphs: " << drawings.size() << " symbols, " << points << " points, "
                  << files.size() << " files in " << out.string() << '\n';
    } catch (const std::exception& e) {
        std::cerr << "make_glyphs: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
