// Shared set-up of the symbol and glyph tests: a clean engine (RenderTest) whose library
// folder is a temporary folder of small drawing files written by the test (the fonts are the
// build's), and hooks that record what the symbol drawer and the glyph painter hand to drawers
// not built yet (the code 12 box drawer, the PostScript writer).
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <stdlib.h>

#include "engine/core/files/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/text/fonts.h"
#include "tests/render/render_fixture.h"
#include "tests/render/text_stream.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_files.h"

struct DrawingPoint {
    float x;
    float y;
    int16_t pen;
    bool operator==(const DrawingPoint&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const DrawingPoint& p) {
    return o << "(" << p.x << ", " << p.y << ", " << p.pen << ")";
}
using Drawing = std::vector<DrawingPoint>;

// Writes a library drawing file: the start table, ten names (the first as given), then n X, n Y
// and n pens. Missing drawings are empty. raw_start, when given, replaces the computed start
// table, whose entry 1 is 0 as the writers store it.
inline void write_drawing_file(const std::filesystem::path& path,
                               const std::vector<Drawing>& drawings,
                               const std::vector<int16_t>& raw_start = {},
                               const std::string& first_name = "") {
    std::vector<int16_t> start(11, 0);
    std::vector<float> xs, ys;
    std::vector<int16_t> pens;
    for (std::size_t d = 0; d < 10; ++d) {
        start[d] = static_cast<int16_t>(d == 0 ? 0 : xs.size() + 1);
        for (const DrawingPoint& p : d < drawings.size() ? drawings[d] : Drawing{}) {
            xs.push_back(p.x);
            ys.push_back(p.y);
            pens.push_back(p.pen);
        }
    }
    start[10] = static_cast<int16_t>(xs.size() + 1);
    if (!raw_start.empty()) start = raw_start;
    std::string names(240, ' ');
    names.replace(0, first_name.size(), first_name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(start.data()), 22);
    out.write(names.data(), 240);
    out.write(reinterpret_cast<const char*>(xs.data()),
              static_cast<std::streamsize>(4 * xs.size()));
    out.write(reinterpret_cast<const char*>(ys.data()),
              static_cast<std::streamsize>(4 * ys.size()));
    out.write(reinterpret_cast<const char*>(pens.data()),
              static_cast<std::streamsize>(2 * pens.size()));
}

// Test glyph n: a marker point (pen 5 unless given) at the origin, a point 100 x 100 units away
// (its size) and n more points at the origin (its number).
constexpr int16_t kGlyphMarker = 5;
inline Drawing counted_glyph(int32_t n, int16_t pen = kGlyphMarker) {
    Drawing d = {{0.0f, 0.0f, pen}, {100.0f, 100.0f, 0}};
    d.resize(static_cast<std::size_t>(n) + 2, DrawingPoint{0.0f, 0.0f, 0});
    return d;
}
// A counted glyph as drawn: its number, origin and sizes (in units of scale x 100).
struct Glyph {
    int32_t number = -1;
    float x = 0, y = 0, sx = 0, sy = 0;
};
inline std::vector<Glyph> glyphs_in(const std::vector<DrawingPoint>& pts, float scale = 25.0f) {
    std::vector<Glyph> out;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        if (pts[i].pen != kGlyphMarker) continue;
        Glyph g{0, pts[i].x, pts[i].y, (pts[i + 1].x - pts[i].x) / (scale * 100.0f),
                (pts[i + 1].y - pts[i].y) / (scale * 100.0f)};
        std::size_t j = i + 2;
        while (j < pts.size() && pts[j].pen == 0 && pts[j].x == g.x && pts[j].y == g.y) ++j;
        g.number = static_cast<int32_t>(j - i - 2);
        out.push_back(g);
        i = j - 1;
    }
    return out;
}

// The lowest and highest y of the points.
inline std::pair<float, float> y_range(const std::vector<DrawingPoint>& pts) {
    float low = 1e9f, high = -1e9f;
    for (const DrawingPoint& p : pts) {
        low = std::min(low, p.y);
        high = std::max(high, p.y);
    }
    return {low, high};
}

// Records of the hooks (function pointers cannot capture).
struct BoxCall {
    float p5, p6, p7, p8, p9, p13;
    float origin_x, origin_y;
};
struct SymbolHookLog {
    std::vector<BoxCall> boxes;
    std::vector<int32_t> widths;
    int breaks = 0;
    std::vector<int32_t> ps_calls;
    bool ps_found = false;
    int32_t ps_state = 0;
};
inline SymbolHookLog g_hooks;

inline void record_box() {
    const auto& p = core::ParamBuffer;
    g_hooks.boxes.push_back(
        {p(5), p(6), p(7), p(8), p(9), p(13), render::ItemDrawOrigin.x, render::ItemDrawOrigin.y});
}
inline void record_width(int32_t w) {
    g_hooks.widths.push_back(w);
    render::add_path_point(999.0f, static_cast<float>(w), 99);
}
inline void record_break() {
    ++g_hooks.breaks;
    render::add_path_point(0.0f, 0.0f, -99);
}
inline bool record_ps_call(float, float, float, int32_t number, int32_t& state) {
    g_hooks.ps_calls.push_back(number);
    state = g_hooks.ps_state;
    return g_hooks.ps_found;
}

class SymbolTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        render::register_symbol_drawers();
        g_hooks = SymbolHookLog{};
        core::LibraryFolder.set(folder_.string() + "/");
        core::LibraryFolderLength = core::LibraryFolder.trimmed_length();
        fonts_ = use_build_fonts();
        auto& hooks = render::RenderHooks;
        hooks.draw_box_or_circle_item = record_box;
        hooks.add_path_width = record_width;
        hooks.add_path_break = record_break;
        hooks.write_ps_symbol_call = record_ps_call;
        render::OutputPassWord = 1;
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        core::close_unit(24);
        RenderTest::TearDown();
    }

    // What the text drawer showed on the screen (TextDisplayStream from byte `from`).
    std::vector<ShownRecord> shown_texts(int32_t from = 0) const {
        return read_text_records(text_, from, text_length_);
    }

    // Opens unit 24 for the PostScript pass on a file of the case's folder, with the font
    // prolog the text drawer sends first put in the library folder; false without the build's.
    bool open_postscript_unit() {
        std::error_code ec;
        std::filesystem::copy_file(build_data_folder() / "mxlib" / "fmfontinit.psc",
                                   folder_ / "fmfontinit.psc", ec);
        if (ec) return false;
        render::begin_postscript_fonts();
        return reopen_postscript_unit();
    }
    // Opens unit 24 again, to go on writing after postscript_lines().
    bool reopen_postscript_unit() {
        return core::open_unit(24, (folder_ / "out.ps").string(), core::UnitStatus::Unknown,
                               core::UnitForm::Text);
    }
    // The lines written on unit 24 (the unit is closed).
    std::vector<std::string> postscript_lines() {
        core::close_unit(24);
        return read_lines(folder_ / "out.ps");
    }
    // Writes lbNNN0.drw of each file number: drawing d of file f is counted glyph 10 f + d.
    void write_glyph_files(std::initializer_list<int32_t> files, int16_t pen = kGlyphMarker) {
        for (int32_t file : files) {
            std::vector<Drawing> drawings;
            for (int32_t d = 0; d < 10; ++d) drawings.push_back(counted_glyph(10 * file + d, pen));
            write_drawing_file(library_file(file), drawings);
        }
    }

    // lbNNN0.drw of the temporary library.
    std::filesystem::path library_file(int32_t file_number) const {
        char name[32];
        std::snprintf(name, sizeof name, "lb%03d0.drw", file_number);
        return folder_ / name;
    }
    // Makes drawing `symbol` (alone in its file) the given points.
    void put_symbol(int32_t symbol, const Drawing& points) {
        std::vector<Drawing> drawings(10);
        drawings[static_cast<std::size_t>(symbol % 10)] = points;
        write_drawing_file(library_file(symbol / 10), drawings);
    }

    // The PathPointList entries from `from` on.
    static std::vector<DrawingPoint> path_points(int32_t from = 1) {
        std::vector<DrawingPoint> out;
        const auto& list = render::PathPointList;
        for (int32_t i = from; i < list.count; ++i) {
            out.push_back(
                {static_cast<float>(list.x(i)), static_cast<float>(list.y(i)), list.op(i)});
        }
        return out;
    }
    static void clear_path() { render::PathPointList.count = 1; }

    bool fonts_ = false;  // the build's metric files are in the font folder
    TempFolder temp_{"ormest_symbols"};
    const std::filesystem::path& folder_ = temp_.root();  // the library folder of the case
};
