#include "engine/render/page/display_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_items.h"
#include "platform/paths.h"

namespace render {

namespace {

constexpr int kUnit = 7;
constexpr int32_t kTextCode = 16;
constexpr int32_t kDumpWidth = 400;

// The parameter count of the record at s, held within the store.
int32_t record_words(int32_t s) {
    int32_t n = core::int_of(core::ItemStore(s));
    return std::clamp(n, 0, core::kItemStoreWords - s);
}

// The characters of the text item whose record starts at s (n words).
std::string text_characters(int32_t s, int32_t n) {
    const int32_t first = (n >= 14 && core::ItemStore(s + 14) == -1.0f) ? kColouredTextItemWords + 1
                                                                        : kTextItemWords + 1;
    const int32_t words = std::max(0, n - (first - 1));
    int32_t count = n >= 12 ? core::int_of(core::ItemStore(s + 12)) : 0;
    count = std::clamp(count, 0, std::min(4 * words, kTextItemChars));
    std::string chars(static_cast<std::size_t>(count), ' ');
    if (count > 0) std::memcpy(chars.data(), core::ItemStore.at(s + first), chars.size());
    return chars;
}

bool write(const std::string& line) {
    return core::write_record(kUnit, line) == core::IoResult::Ok;
}

bool write_item_dump() {
    core::rebuild_item_start_table();
    bool ok = true;
    std::string line;
    for (int32_t k = 1; k <= core::ItemCount + 1; ++k) {
        line += core::format_int("(I5)", core::ItemStartTable(k));
        if (k % 10 == 0 || k == core::ItemCount + 1) {
            ok = write(line) && ok;
            line.clear();
        }
    }
    ok = write(" ") && ok;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t s = core::ItemStartTable(k);
        if (s < 1 || s >= core::kItemStoreWords) break;
        const int32_t n = record_words(s);
        const bool text = n >= 1 && core::int_of(core::ItemStore(s + 1)) == kTextCode;
        ok = write(core::format_int("(I2)", k) + ")") && ok;
        const int32_t shown = text ? std::min(n, kTextItemWords) : n;
        line.clear();
        for (int32_t j = 1; j <= shown; ++j) {
            line += core::format_real("(F9.3)", core::ItemStore(s + j));
            if (j % 8 == 0 || j == shown) {
                ok = write(line) && ok;
                line.clear();
            }
        }
        if (text) {
            const std::string chars = text_characters(s, n);
            for (std::size_t at = 0; at < chars.size(); at += 72)
                ok = write(chars.substr(at, 72)) && ok;
        }
        ok = write(" ") && ok;
    }
    return ok;
}

// Loads item k's record into ParamBuffer as the page redraw does (a text item its leading
// words only) and draws it; its points stay in PathPointList.
void draw_stored_item(int32_t k) {
    auto& p = core::ParamBuffer;
    const int32_t s = core::ItemStartTable(k);
    if (s < 1 || s >= core::kItemStoreWords) return;
    const int32_t n = record_words(s);
    int32_t words = n;
    if (n >= 1 && core::int_of(core::ItemStore(s + 1)) == kTextCode) {
        words = (n >= 14 && core::ItemStore(s + 14) == -1.0f) ? 18 : 12;
        words = std::min(words, n);
    }
    words = std::min(words, 56);
    for (int32_t j = 1; j <= 56; ++j) p(j) = j <= words ? core::ItemStore(s + j) : 0.0f;
    core::ItemCount = k;  // the text drawer reads the characters of item ItemCount
    draw_item_by_code();
}

bool write_drawing_dump() {
    auto& p = core::ParamBuffer;
    const int32_t count = core::ItemCount;
    int32_t first = p(2) == 0.0f ? 1 : core::int_of(p(2));
    int32_t last = p(3) == 0.0f ? count : core::int_of(p(3));
    first = std::max(first, 1);
    last = std::min(last, count);

    PathPointList.count = 1;
    try {
        for (int32_t k = first; k <= last; ++k) draw_stored_item(k);
    } catch (...) {
        core::ItemCount = count;
        throw;
    }
    core::ItemCount = count;

    const auto& list = PathPointList;
    const int32_t points = list.count - 1;
    bool ok = true;
    if (points >= 1) {
        const int64_t x0 = list.x(1);
        const int64_t y0 = list.y(1);
        int64_t spread = 0;
        for (int32_t i = 1; i <= points; ++i)
            spread = std::max<int64_t>(spread, std::llabs(list.x(i) - x0));
        const double factor = spread > kDumpWidth ? static_cast<double>(kDumpWidth) / spread : 1.0;
        bool any = false;
        int32_t last_x = 0;
        int32_t last_y = 0;
        for (int32_t i = 1; i <= points; ++i) {
            const auto x = static_cast<int32_t>(std::lround((list.x(i) - x0) * factor));
            const auto y = static_cast<int32_t>(std::lround((list.y(i) - y0) * factor));
            const int32_t op = list.op(i);
            if (op == 0 && any && x == last_x && y == last_y) continue;
            ok = write(core::format_int("(I7)", x) + core::format_int("(I7)", y) +
                       core::format_int("(I7)", op)) &&
                 ok;
            any = true;
            last_x = x;
            last_y = y;
        }
    }
    PathPointList.count = 1;
    return ok;
}

}  // namespace

// Contract: see the header.
bool write_display_file() {
    const bool drawing = core::ParamBuffer(2) >= 0.0f;
    const std::string path = platform::work_file(drawing ? "DRW.TMP" : "DPY.TMP");
    const int32_t pass = OutputPassWord;
    if (!core::open_unit_at_local_path(kUnit, path, core::UnitStatus::Replace,
                                       core::UnitForm::Text)) {
        return false;
    }
    OutputPassWord = 1;
    bool ok = false;
    try {
        ok = drawing ? write_drawing_dump() : write_item_dump();
    } catch (...) {
        OutputPassWord = pass;
        core::abandon_unit(kUnit);  // an unfinished dump never replaces the last one
        throw;
    }
    OutputPassWord = pass;
    if (!ok) core::abandon_unit(kUnit);
    return core::close_unit(kUnit) && ok;
}

}  // namespace render
