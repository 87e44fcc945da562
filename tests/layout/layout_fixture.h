// Shared set-up of the layout tests: a clean engine with output lists handed in, a scripted
// front-end, and the layout hooks put back after each case.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/commands/engine_reset.h"
#include "engine/core/bridge/front_end_port.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/layout_hooks.h"
#include "engine/layout/tables.h"
#include "engine/render/tables.h"
#include "tests/render/text_stream.h"
#include "tests/support/scripted_front_end.h"
#include "tests/support/store_records.h"

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        core::reset_engine();
        graphics_.assign(core::kGraphicsListWords, 0);
        text_.assign(core::kTextStreamBytes, 0);
        core::OutputBufferViews.graphics.bind(graphics_.data(), &graphics_length_);
        core::OutputBufferViews.text.bind(text_.data(), &text_length_);
        core::set_front_end(&fe_);
        saved_hooks_ = layout::LayoutHooks;
    }
    void TearDown() override {
        layout::LayoutHooks = saved_hooks_;
        core::set_front_end(nullptr);
    }

    // Appends [n, P1..Pn] as the loaders do; returns the item number.
    static int32_t add_item(const std::vector<float>& params) {
        append_test_record(params);
        return core::ItemCount;
    }
    // P j of stored item k (0.0 beyond its count).
    static float stored(int32_t k, int32_t j) {
        const int32_t s = core::ItemStartTable(k);
        return j <= core::int_of(core::ItemStore(s)) ? core::ItemStore(s + j) : 0.0f;
    }
    // P1..Pn and their truncated copies into the buffers (the rest 0), x origin from P3, as the
    // dispatcher leaves them for a drawer.
    static void load_item(const std::vector<float>& params) {
        core::ParamBuffer.fill(0.0f);
        core::IntParamBuffer.fill(0);
        for (std::size_t k = 0; k < params.size(); ++k) {
            core::ParamBuffer(static_cast<int>(k) + 1) = params[k];
            core::IntParamBuffer(static_cast<int>(k) + 1) = core::int_of(params[k]);
        }
        render::ItemDrawOrigin.x = core::ParamBuffer(3) * 150.0f;
    }
    // A staff item's P's with P26 and zeros between (n = 26).
    static std::vector<float> with_p(std::vector<float> params, int32_t j, float v) {
        if (params.size() < static_cast<std::size_t>(j)) params.resize(j, 0.0f);
        params[j - 1] = v;
        return params;
    }

    // The y of each segment PathPointList holds (start op 1, end op 0 at the same y).
    struct Segment {
        int32_t x1, y1, x2, y2;
    };
    static std::vector<Segment> segments() {
        std::vector<Segment> out;
        auto& l = render::PathPointList;
        for (int32_t i = 1; i + 1 < l.count; i += 2) {
            EXPECT_EQ(l.op(i), 1) << "point " << i;
            EXPECT_EQ(l.op(i + 1), 0) << "point " << i + 1;
            out.push_back({l.x(i), l.y(i), l.x(i + 1), l.y(i + 1)});
        }
        return out;
    }

    // Points the font folder at the metric files the build generated (ORMEST_HOME/mxlib/
    // fontlib), so that the number drawer lays the staff labels out; false when there are none.
    static bool use_build_fonts() {
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr) return false;
        const std::filesystem::path fonts = std::filesystem::path(home) / "mxlib" / "fontlib";
        if (!std::filesystem::exists(fonts)) return false;
        core::FontFolder.set(fonts.string() + "/");
        core::FontFolderLength = core::FontFolder.trimmed_length();
        return true;
    }
    // The records of TextDisplayStream from byte `from` to byte `end` (its length when -1).
    std::vector<ShownRecord> shown_texts(int32_t from = 0, int32_t end = -1) const {
        return read_text_records(text_, from, end < 0 ? text_length_ : end);
    }

    std::vector<int32_t> graphics_;
    std::vector<uint8_t> text_;
    int32_t graphics_length_ = 0;
    int32_t text_length_ = 0;
    ScriptedFrontEnd fe_;

  private:
    layout::LayoutHooksRecord saved_hooks_;
};
