// Shared set-up of the symbol and glyph tests: a clean engine (RenderTest) whose library
// folder is a temporary folder of small drawing files written by the test (the fonts are the
// build's), and hooks that record what the symbol drawer and the glyph painter hand to drawers
// not built yet (the code 12 box drawer, the PostScript writer).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "engine/core/file_units.h"
#include "engine/core/settings_tables.h"
#include "engine/render/fonts.h"
#include "engine/render/symbols.h"
#include "tests/render/render_fixture.h"
#include "tests/render/text_stream.h"
#include "tests/support/temp_folder.h"

struct DrawingPoint {
    float x;
    float y;
    int16_t pen;
};
using Drawing = std::vector<DrawingPoint>;

// Writes a library drawing file: the start table, ten names, then n X, n Y and n pens.
// Missing drawings are empty. raw_start, when given, replaces the computed start table.
inline void write_drawing_file(const std::filesystem::path& path,
                               const std::vector<Drawing>& drawings,
                               const std::vector<int16_t>& raw_start = {}) {
    std::vector<int16_t> start(11, 0);
    std::vector<float> xs, ys;
    std::vector<int16_t> pens;
    int16_t next = 1;
    for (int d = 0; d < 10; ++d) {
        start[static_cast<std::size_t>(d)] = next;
        if (d < static_cast<int>(drawings.size())) {
            for (const DrawingPoint& p : drawings[static_cast<std::size_t>(d)]) {
                xs.push_back(p.x);
                ys.push_back(p.y);
                pens.push_back(p.pen);
                ++next;
            }
        }
    }
    start[10] = next;
    start[0] = 0;  // the writers store 0 in entry 1
    if (!raw_start.empty()) start = raw_start;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(start.data()), 22);
    std::string names(240, ' ');
    out.write(names.data(), 240);
    out.write(reinterpret_cast<const char*>(xs.data()),
              static_cast<std::streamsize>(4 * xs.size()));
    out.write(reinterpret_cast<const char*>(ys.data()),
              static_cast<std::streamsize>(4 * ys.size()));
    out.write(reinterpret_cast<const char*>(pens.data()),
              static_cast<std::streamsize>(2 * pens.size()));
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

    // Points the library folder at the glyph set the build generated (ORMEST_HOME/mxlib);
    // false when there is none.
    static bool use_build_glyphs() {
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr) return false;
        const std::filesystem::path mxlib = std::filesystem::path(home) / "mxlib";
        if (!std::filesystem::exists(mxlib / "lb0010.drw")) return false;
        core::LibraryFolder.set(mxlib.string() + "/");
        core::LibraryFolderLength = core::LibraryFolder.trimmed_length();
        return true;
    }

    // Points the font folder at the metric files the build generated (ORMEST_HOME/mxlib/
    // fontlib), so that the text and number drawers can lay text out; false when there are none.
    static bool use_build_fonts() {
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr) return false;
        const std::filesystem::path fonts = std::filesystem::path(home) / "mxlib" / "fontlib";
        if (!std::filesystem::exists(fonts)) return false;
        core::FontFolder.set(fonts.string() + "/");
        core::FontFolderLength = core::FontFolder.trimmed_length();
        return true;
    }
    // What the text drawer showed on the screen (TextDisplayStream from byte `from`).
    std::vector<ShownRecord> shown_texts(int32_t from = 0) const {
        return read_text_records(text_, from, text_length_);
    }

    // Opens unit 24 for the PostScript pass on a file of the case's folder, with the font
    // prolog the text drawer sends first put in the library folder; false without the build's.
    bool open_postscript_unit() {
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr) return false;
        const auto prolog = std::filesystem::path(home) / "mxlib" / "fmfontinit.psc";
        std::error_code ec;
        std::filesystem::copy_file(prolog, folder_ / "fmfontinit.psc", ec);
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
        std::vector<std::string> lines;
        std::ifstream in(folder_ / "out.ps");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // lbNNN0.drw of the temporary library.
    std::filesystem::path library_file(int32_t file_number) const {
        char name[16];
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
