// Shared set-up of the symbol and glyph tests: a clean engine (RenderTest) whose library
// folder is a temporary folder of small drawing files written by the test, and hooks that
// record what the symbol drawer and the glyph painter hand to drawers not built here.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "engine/core/settings_tables.h"
#include "engine/render/symbols.h"
#include "tests/render/render_fixture.h"

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
struct TextCall {
    std::string text;
    float p5, p6, p7, p8, p10, p11, p14, p16;
    int32_t ip8;
    float origin_x, origin_y;
};
struct NumberCall {
    int32_t value;
    float p3, p4, p6;
    int32_t ip7;
    float origin_x, origin_y;
};
struct LineCall {
    float p3, p4, p5, p6, p7, p8, p9, p16;
    int32_t ip7, ip10;
    float origin_x, origin_y;
};
struct BoxCall {
    float p5, p6, p7, p8, p9, p13;
    float origin_x, origin_y;
};
struct SymbolHookLog {
    std::vector<TextCall> texts;
    std::vector<NumberCall> numbers;
    std::vector<LineCall> lines;
    std::vector<BoxCall> boxes;
    std::vector<int32_t> widths;
    int breaks = 0;
    std::vector<int32_t> ps_calls;
    bool ps_found = false;
    int32_t ps_state = 0;
};
inline SymbolHookLog g_hooks;

inline void record_text_line(std::string_view text) {
    const auto& p = core::ParamBuffer;
    g_hooks.texts.push_back({std::string(text), p(5), p(6), p(7), p(8), p(10), p(11), p(14), p(16),
                             core::IntParamBuffer(8), render::ItemDrawOrigin.x,
                             render::ItemDrawOrigin.y});
}
inline void record_text(int32_t length) {
    record_text_line(core::CommandLine.sub(1, length));
}
inline void record_number(int32_t value) {
    const auto& p = core::ParamBuffer;
    g_hooks.numbers.push_back({value, p(3), p(4), p(6), core::IntParamBuffer(7),
                               render::ItemDrawOrigin.x, render::ItemDrawOrigin.y});
}
inline void record_line() {
    const auto& p = core::ParamBuffer;
    g_hooks.lines.push_back({p(3), p(4), p(5), p(6), p(7), p(8), p(9), p(16),
                             core::IntParamBuffer(7), core::IntParamBuffer(10),
                             render::ItemDrawOrigin.x, render::ItemDrawOrigin.y});
}
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
        char pattern[] = "/tmp/ormest_symbols_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        core::LibraryFolder.set(folder_.string() + "/");
        core::LibraryFolderLength = core::LibraryFolder.trimmed_length();
        auto& hooks = render::RenderHooks;
        hooks.draw_text_item = record_text;
        hooks.draw_text_line = record_text_line;
        hooks.draw_number_item = record_number;
        hooks.draw_line_item = record_line;
        hooks.draw_box_or_circle_item = record_box;
        hooks.add_path_width = record_width;
        hooks.add_path_break = record_break;
        hooks.write_ps_symbol_call = record_ps_call;
        render::OutputPassWord = 1;
    }
    void TearDown() override {
        render::OutputPassWord = 1;
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
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

    std::filesystem::path folder_;
};
