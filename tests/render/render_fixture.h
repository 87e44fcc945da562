// Shared set-up of the rendering tests: a clean engine with output lists handed in, a scripted
// front-end, and the drawer table and hooks put back after each case.
#pragma once

#include <array>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/commands/interpreter/interpreter.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/tables.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"

// The build's data folder ($ORMEST_HOME) when it holds the library; empty otherwise.
inline std::filesystem::path build_data_folder() {
    const char* home = std::getenv("ORMEST_HOME");
    if (home == nullptr || !std::filesystem::exists(std::filesystem::path(home) / "mxlib"))
        return {};
    return home;
}

// Staff 0 as the reset leaves it: scale 25 (a step of 7 x 25 display units) from y -27675.
constexpr float kScale = 25.0f;
constexpr float kBaseY = -27675.0f;
constexpr float kStep = 7.0f * kScale;

// A PathPointList entry, and the entries from `from` on.
struct PathPoint {
    int32_t x;
    int32_t y;
    int16_t op;
    bool operator==(const PathPoint&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const PathPoint& p) {
    return o << "(" << p.x << ", " << p.y << ", " << p.op << ")";
}
inline std::vector<PathPoint> path_list(int32_t from = 1) {
    std::vector<PathPoint> out;
    const auto& list = render::PathPointList;
    for (int32_t i = from; i < list.count; ++i) out.push_back({list.x(i), list.y(i), list.op(i)});
    return out;
}

// Keeps what FrontEndCommandBuffer held when the out-of-bounds notice ran.
class NoticeFrontEnd : public ScriptedFrontEnd {
  public:
    int RunOutOfBoundsNotice() override {
        notices.push_back(core::FrontEndCommandBuffer.c_text());
        return notice_answer;
    }
    std::vector<std::string> notices;
    int notice_answer = 0;
};

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        graphics_.assign(core::kGraphicsListWords, 0);
        text_.assign(core::kTextStreamBytes, 0);
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        core::OutputBufferViews.text.bind(text_.data(), &text_length_);
        core::set_front_end(&fe_);
        for (int32_t c = 1; c <= 18; ++c) saved_drawers_[c] = render::registered_item_drawer(c);
        for (int k = 0; k < 4; ++k)
            saved_code12_[k] =
                render::registered_code12_drawer(static_cast<render::Code12Drawer>(k));
        saved_hooks_ = render::RenderHooks;
        for (int32_t c = 1; c <= 18; ++c)
            if (c != 12) render::register_item_drawer(c, nullptr);
    }
    void TearDown() override {
        for (int32_t c = 1; c <= 18; ++c)
            if (c != 12) render::register_item_drawer(c, saved_drawers_[c]);
        for (int k = 0; k < 4; ++k)
            render::register_code12_drawer(static_cast<render::Code12Drawer>(k), saved_code12_[k]);
        render::RenderHooks = saved_hooks_;
        core::set_front_end(nullptr);
    }

    // Points the library folder at the glyph set the build generated; false when there is none.
    static bool use_build_glyphs() {
        const auto home = build_data_folder();
        if (home.empty() || !std::filesystem::exists(home / "mxlib" / "lb0010.drw")) return false;
        core::LibraryFolder.set((home / "mxlib").string() + "/");
        core::LibraryFolderLength = core::LibraryFolder.trimmed_length();
        return true;
    }
    // Points the font folder at the metric files the build generated; false when there are none.
    static bool use_build_fonts() {
        const auto home = build_data_folder();
        if (home.empty() || !std::filesystem::exists(home / "mxlib" / "fontlib")) return false;
        core::FontFolder.set((home / "mxlib" / "fontlib").string() + "/");
        core::FontFolderLength = core::FontFolder.trimmed_length();
        return true;
    }
    // A line typed in the command bar.
    void type(const std::string& line) {
        core::MessageLine.set(line);
        core::FrontEndCommandBuffer.blank();
        int32_t status = 0;
        core::run_command(graphics_.data(), graphics_length_, text_.data(), text_length_, status);
    }

    // Appends [n, P1..Pn] as the loaders do; returns the record's start word.
    static int32_t add_item(const std::vector<float>& params) { return append_test_record(params); }
    // A record with the given P's and P26 = colour (zeros between).
    static std::vector<float> with_colour(std::vector<float> params, float colour) {
        params.resize(26, 0.0f);
        params[25] = colour;
        return params;
    }
    // P1..Pn into ParamBuffer, the rest 0.
    static void set_params(const std::vector<float>& params) {
        core::ParamBuffer.fill(0.0f);
        for (std::size_t k = 0; k < params.size(); ++k)
            core::ParamBuffer(static_cast<int>(k) + 1) = params[k];
    }

    std::vector<int32_t> graphics_;
    std::vector<uint8_t> text_;
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
    NoticeFrontEnd fe_;

  private:
    std::array<render::ItemDrawer, 19> saved_drawers_{};
    std::array<render::ItemDrawer, 4> saved_code12_{};
    render::RenderHooksRecord saved_hooks_;
};

// A drawer that draws a short open path at the item's origin.
inline void draw_two_points() {
    render::add_path_point(render::ItemDrawOrigin.x, render::ItemDrawOrigin.y, 1);
    render::add_path_point(render::ItemDrawOrigin.x + 100.0f, render::ItemDrawOrigin.y, 0);
}
