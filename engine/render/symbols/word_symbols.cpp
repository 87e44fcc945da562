#include <algorithm>
#include <array>
#include <string>

#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/text_items.h"

namespace render {

TextSymbolPoolRecord TextSymbolPool;

namespace {

struct WordSymbol {
    int32_t number;
    std::string_view text;
};

// Searched in this order; the first three are drawn in font 1000, the others in 1002. "pi>>u"
// holds the text escape of the accented letter.
constexpr std::array<WordSymbol, 21> kBuiltInWordSymbols = {{
    {66, "pizz."},  {67, "arco"},   {78, "a tempo"},   {45, "8va"},    {46, "8ba"},
    {47, "15ma"},   {63, "cresc."}, {64, "dim."},      {65, "rit."},   {68, "accel."},
    {72, "gliss."}, {73, "molto"},  {79, "espr."},     {80, "meno"},   {81, "pi>>u"},
    {85, "subito"}, {86, "poco"},   {111, "decresc."}, {113, "rall."}, {114, "mosso"},
    {276, "G.P. "},
}};

constexpr int32_t kGeneralPause = 276;
constexpr int32_t kFirstTextSymbol = 3000;
constexpr int kDataUnit = 8;
constexpr int kDataLineLength = 160;
constexpr int kWorkLineLength = 160;
constexpr float kTextScale = 1.05f;

// The symbol's text in a buffer of its own (never in CommandLine, which holds the user's line),
// cut to the work line's 160 characters.
std::string work_line(std::string_view text) {
    return std::string(text.substr(0, std::min<std::size_t>(text.size(), kWorkLineLength)));
}

void set_word(int32_t k, float v) {
    core::ParamBuffer(k) = v;
    core::IntParamBuffer(k) = core::int_of(v);
}

// The step both text paths end with: coloured text takes the item's colour, the text drawer
// draws the work line, and the edit slot it leaves set is cleared.
void draw_work_line(const std::string& text) {
    auto& p = core::ParamBuffer;
    p(11) = 0.0f;
    if (p(26) != 0.0f) {
        p(16) = p(26);
        p(14) = -1.0f;
    }
    draw_text_line(text);
    core::EditItemParams(13) = 0.0f;
}

}  // namespace

int32_t find_word_symbol(int32_t number) {
    for (std::size_t k = 0; k < kBuiltInWordSymbols.size(); ++k) {
        if (kBuiltInWordSymbols[k].number == number) return static_cast<int32_t>(k) + 1;
    }
    return 0;
}

std::string_view word_symbol_text(int32_t entry) {
    if (entry < 1 || entry > static_cast<int32_t>(kBuiltInWordSymbols.size())) return {};
    return kBuiltInWordSymbols[static_cast<std::size_t>(entry - 1)].text;
}

// Contract: see the header. Reads SymbolDataPath; writes TextSymbolPool and SymbolDataLoaded;
// uses unit 8 and closes it.
bool load_text_symbols() {
    if (core::SymbolDataLoaded == 1) return true;
    auto& pool = TextSymbolPool;
    if (!core::open_unit(kDataUnit, core::SymbolDataPath.c_text(), core::UnitStatus::Old,
                         core::UnitForm::Text)) {
        return false;
    }
    pool.count = 0;
    pool.chars.blank();
    pool.start(1) = 1;
    std::string record;
    while (core::read_record(kDataUnit, record) == core::IoResult::Ok) {
        if (record.size() > kDataLineLength) record.resize(kDataLineLength);
        if (record.empty() || record[0] == '%' || record[0] == ' ') continue;
        std::size_t last = record.find_last_not_of(' ');
        const std::string_view text =
            last < 5 ? std::string_view() : std::string_view(record).substr(5, last - 4);
        const int32_t used = pool.start(pool.count + 1) - 1;
        const int32_t n = static_cast<int32_t>(text.size());
        if (pool.count >= kTextSymbolEntries || used + n > kTextSymbolChars) break;
        if (n > 0) pool.chars.put(used + 1, used + n, text);
        pool.count += 1;
        pool.start(pool.count + 1) = used + n + 1;
    }
    core::close_unit(kDataUnit);
    core::SymbolDataLoaded = 1;
    return true;
}

std::string_view text_symbol_text(int32_t number) {
    const auto& pool = TextSymbolPool;
    const int32_t k = number - (kFirstTextSymbol - 1);
    if (k < 1 || k > pool.count) return {};
    const int32_t from = pool.start(k);
    return pool.chars.sub(from, pool.start(k + 1) - 1);
}

// Contract: see the header. Writes P5..P11, P14, P16 (the caller restores them), IP8,
// EditItemParams(13) and, for "G.P. ", ItemDrawOrigin (never CommandLine).
void draw_word_symbol(int32_t entry, int32_t number, float size_x, float size_y) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const std::string text = work_line(word_symbol_text(entry));
    set_word(8, entry <= 3 ? 1000.0f : 1002.0f);
    if (number < 50) {
        p(10) = 0.6f;
        p(5) = 0.0f;
        // The words of the octave signs take the size they are drawn at: the ornament's own P6
        // and P7 are its line's end and kind, which as a text size drew "8va" page-high.
        p(6) = size_x;
        p(7) = size_y;
        draw_work_line(text);
        return;
    }
    if (number == kGeneralPause) {
        p(5) = 0.0f;
        // P14 picks the font from 1000 on; held to a range any font number lies in.
        set_word(8, static_cast<float>(std::clamp(ip(14), -1000000, 1000000) + 1000));
        const int32_t staff = layout::StaffTables.CurrentStaff;
        const float s = layout::StaffTables.StaffScale(staff);
        float base = p(3);
        if (ip(1) == 2) {
            // A rest's pause sign stands above the staff, at its own column when P9 gives one.
            ItemDrawOrigin.y = static_cast<float>(staff_base_y(staff)) + (p(11) + 12.0f) * 7.0f * s;
            if (p(9) > 0.0f) {
                base = p(9);
                p(9) = 0.0f;
            }
        }
        float t = s / 25.0f;
        if (p(12) != 0.0f) t *= p(12);
        ItemDrawOrigin.x = (p(16) + base - 3.15f * t) * 150.0f;
    } else {
        p(5) = kTextScale;
    }
    p(6) = size_x * kTextScale;
    p(7) = size_y * kTextScale;
    draw_work_line(text);
}

// Contract: see the header. Reads SymbolDataPath once; writes P5..P11, P14, P16 (the caller
// restores them) and EditItemParams(13). Nothing is drawn while the data
// file cannot be read.
void draw_text_symbol(int32_t number, float size_x, float size_y) {
    auto& p = core::ParamBuffer;
    if (!load_text_symbols()) return;
    const std::string text = work_line(text_symbol_text(number));
    p(5) = p(16) == 0.0f ? kTextScale : p(16);
    if (p(17) != 0.0f) p(10) = p(17);
    p(6) = size_x * kTextScale;
    p(7) = size_y * kTextScale;
    draw_work_line(text);
}

}  // namespace render
