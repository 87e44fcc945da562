// Shared set-up of the text tests: a clean engine (RenderTest) whose font and library folders
// are the build's data folder ($ORMEST_HOME), a reader of TextDisplayStream written from the
// record layout (independent of the engine's writer), and helpers to store text items.
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
#include "engine/render/fonts.h"
#include "engine/render/text_escapes.h"
#include "engine/render/text_items.h"
#include "tests/render/render_fixture.h"

struct ShownChar {
    int32_t x = 0;
    int32_t y = 0;
    std::string text;
};
struct ShownRecord {
    std::string face;
    float height = 0.0f;
    float width = 0.0f;
    int32_t angle = 0;
    uint32_t colour = 0;
    int32_t weight = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    std::vector<ShownChar> chars;
    std::string text() const {
        std::string s;
        for (const ShownChar& c : chars) s += c.text;
        return s;
    }
};

class TextTest : public RenderTest {
  protected:
    void SetUp() override {
        RenderTest::SetUp();
        const char* home = std::getenv("ORMEST_HOME");
        if (home == nullptr || !std::filesystem::exists(std::filesystem::path(home) / "mxlib")) {
            GTEST_SKIP() << "ORMEST_HOME does not name the build's data folder";
        }
        home_ = home;
        core::FontFolder.set((home_ / "mxlib" / "fontlib").string() + "/");
        core::FontFolderLength = core::FontFolder.trimmed_length();
        core::LibraryFolder.set((home_ / "mxlib").string() + "/");
        core::LibraryFolderLength = core::LibraryFolder.trimmed_length();
        // The text drawer is wired by reset_engine(); the fixture emptied the drawer table.
        render::register_text_drawers();
    }

    // Decodes the records of TextDisplayStream from byte `from` (0-based) to its length; fails
    // the test when a record is cut short.
    std::vector<ShownRecord> records(int32_t from = 0) const {
        std::vector<ShownRecord> out;
        const int32_t end = text_length_;
        int32_t at = from;
        auto word = [&](int32_t& v) {
            if (end - at < 4) return false;
            std::memcpy(&v, text_.data() + at, 4);
            at += 4;
            return true;
        };
        auto zstring = [&](std::string& s) {
            s.clear();
            while (at < end && text_[static_cast<std::size_t>(at)] != 0) {
                s.push_back(static_cast<char>(text_[static_cast<std::size_t>(at)]));
                ++at;
            }
            if (at >= end) return false;
            ++at;
            return true;
        };
        while (at < end) {
            ShownRecord r;
            int32_t h = 0, w = 0, colour = 0, count = 0;
            bool ok = zstring(r.face) && word(h) && word(w) && word(r.angle) && word(colour) &&
                      word(r.weight) && word(r.italic) && word(r.underline) && word(count);
            EXPECT_TRUE(ok) << "record header cut short at " << at;
            if (!ok) break;
            std::memcpy(&r.height, &h, 4);
            std::memcpy(&r.width, &w, 4);
            r.colour = static_cast<uint32_t>(colour);
            for (int32_t i = 0; i < count && ok; ++i) {
                ShownChar c;
                ok = word(c.x) && word(c.y) && zstring(c.text);
                EXPECT_TRUE(ok) << "character cut short in record " << out.size();
                if (ok) r.chars.push_back(c);
            }
            out.push_back(r);
            if (!ok) break;
        }
        return out;
    }

    // Stores a text item [n, P1..P13 (or P16), characters] as the loaders do; returns its start.
    static int32_t add_text_item(std::vector<float> params, const std::string& chars) {
        const bool coloured = params.size() >= 14 && params[13] == -1.0f;
        params.resize(coloured ? 16 : 13, 0.0f);
        params[0] = 16.0f;
        params[11] = static_cast<float>(chars.size());
        std::string padded = chars;
        padded.resize((chars.size() + 3) / 4 * 4, ' ');
        for (std::size_t w = 0; w < padded.size() / 4; ++w) {
            float f = 0.0f;
            std::memcpy(&f, padded.data() + 4 * w, 4);
            params.push_back(f);
        }
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
        const auto path = home_ / "mxlib" / "fontlib" / render::font_metric_file_name(font);
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes(708);
        in.read(bytes.data(), 708);
        std::vector<float> w(162);
        for (int k = 0; k < 162; ++k) {
            int16_t v = 0;
            std::memcpy(&v, bytes.data() + 56 + 2 * k, 2);
            w[static_cast<std::size_t>(k)] = static_cast<float>(v) / 638.0f;
        }
        return w;
    }

    std::filesystem::path home_;
};
