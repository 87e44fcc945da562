// Shared set-up of the text tests: a clean engine (RenderTest) whose font and library folders
// are the build's data folder ($ORMEST_HOME), the reader of TextDisplayStream (text_stream.h),
// and helpers to store text items.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/settings_tables.h"
#include "engine/layout/tables.h"
#include "engine/render/text/fonts.h"
#include "engine/render/text/text_escapes.h"
#include "engine/render/text/text_items.h"
#include "tests/render/render_fixture.h"
#include "tests/render/text_stream.h"
#include "tests/support/store_records.h"
#include "tests/support/test_files.h"

class TextTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        home_ = build_data_folder();
        if (!use_build_fonts() || !use_build_glyphs())
            GTEST_SKIP() << "ORMEST_HOME does not name the build's data folder";
        // The text drawer is wired by reset_engine(); the fixture emptied the drawer table.
        render::register_text_drawers();
    }

    // Decodes the records of TextDisplayStream from byte `from` (0-based) to its length; fails
    // the test when a record is cut short.
    std::vector<ShownRecord> records(int32_t from = 0) const {
        return read_text_records(text_, from, text_length_);
    }

    // Stores a text item [n, P1..P13 (or P16), characters] as the loaders do; returns its start.
    static int32_t add_text_item(std::vector<float> params, const std::string& chars) {
        const bool coloured = params.size() >= 14 && params[13] == -1.0f;
        params.resize(coloured ? 16 : 13, 0.0f);
        params[0] = 16.0f;
        params[11] = static_cast<float>(chars.size());
        const std::vector<float> words = text_words(chars);
        params.insert(params.end(), words.begin(), words.end());
        return add_item(params);
    }

    // Draws item k of the store as the page redraw does.
    static void draw_stored(int32_t k) {
        const int32_t s = core::ItemStartTable(k);
        int32_t n = core::int_of(core::ItemStore(s));
        if (core::ItemStore(s + 1) == 16.0f) n = core::ItemStore(s + 14) == -1.0f ? 18 : 12;
        core::ParamBuffer.fill(0.0f);
        for (int32_t i = 1; i <= n && i <= 50; ++i) core::ParamBuffer(i) = core::ItemStore(s + i);
        const int32_t count = core::ItemCount;
        core::ItemCount = k;
        render::draw_item_by_code();
        core::ItemCount = count;
    }

    // The codes of TextCodeList.
    static std::vector<int32_t> codes() {
        std::vector<int32_t> v;
        for (int32_t k = 1; k <= render::TextCodeList.count; ++k) {
            v.push_back(render::TextCodeList.code(k));
        }
        return v;
    }

    // The widths (file value / 638) of a metric file, read here from its bytes.
    std::vector<float> metric_widths(int32_t font) const {
        const std::string bytes =
            read_text(home_ / "mxlib" / "fontlib" / render::font_metric_file_name(font));
        std::vector<float> w(162);
        for (std::size_t k = 0; k < 162 && 58 + 2 * k <= bytes.size(); ++k) {
            int16_t v = 0;
            std::memcpy(&v, bytes.data() + 56 + 2 * k, 2);
            w[k] = static_cast<float>(v) / 638.0f;
        }
        return w;
    }

    std::filesystem::path home_;
};
