// Font metrics: the metric files, the loaded-font cache, the style fonts and the symbol width
// table. The PostScript side of fonts is in font_postscript.cpp.
#include "engine/render/text/fonts.h"

#include <array>
#include <cstring>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/files/file_units.h"
#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/tables.h"
#include "platform/paths.h"

namespace render {

SymbolFontWidthsRecord SymbolFontWidths;

namespace {

constexpr std::string_view kFallbackFile = "fm00.fmt";
constexpr std::string_view kSymbolWidthFile = "fmsymbol.fmt";

// Style codes of the fonts 90..98. 90..94 are the body styles and the music font; the further
// style fonts 95..98 have no family of their own and use the normal body style.
constexpr std::array<std::string_view, 9> kFontStyleCodes = {
    "BODN0", "BODB0", "BODI0", "BDIB0", "MUSI0", "BODN0", "BODN0", "BODN0", "BODN0"};

int16_t le16(const unsigned char* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

// Reads the whole file at path (exactly n bytes) on the font unit; false when it cannot be
// opened or is shorter.
bool read_font_file(const std::string& path, unsigned char* buffer, std::size_t n) {
    if (!core::open_unit(kFontFileUnit, path, core::UnitStatus::Old, core::UnitForm::Raw)) {
        return false;
    }
    std::size_t got = 0;
    const core::IoResult r = core::read_bytes(kFontFileUnit, buffer, n, &got);
    core::close_unit(kFontFileUnit);
    return r == core::IoResult::Ok && got == n;
}

// Ends the command: the font data every text needs is missing, or there but damaged.
[[noreturn]] void end_for_unreadable(const std::string& path) {
    const std::string prefix = platform::file_exists(path) ? std::string(core::kDamagedFileMessage)
                                                           : "File not found --> ";
    throw core::EngineDefect(prefix + platform::shown_path(path));
}

// "Item      - Font not found:" with ItemCount in characters 6..9, the name, a line break and
// "substituting Times-Roman".
void report_substitution(const std::string& path) {
    core::FixedText<27> head("Item      - Font not found:");
    head.put(6, 9, core::format_int("(I4)", core::ItemCount));
    core::show_notice(std::string(head.view()) + platform::shown_path(path) +
                      "\r\nsubstituting Times-Roman");
}

// Fills LoadedFont from the 708 bytes of a metric file.
void take_metrics(const unsigned char* bytes) {
    LoadedFont.ps_name.blank();
    LoadedFont.ps_name.put(1, 28, std::string_view(reinterpret_cast<const char*>(bytes), 28));
    LoadedFont.face_name.set(std::string_view(reinterpret_cast<const char*>(bytes + 28), 28));
    for (int k = 1; k <= kFontWidths; ++k) {
        LoadedFont.widths(k) = static_cast<float>(le16(bytes + 56 + 2 * (k - 1))) / kFontWidthUnit;
        LoadedFont.right_edges(k) =
            static_cast<float>(le16(bytes + 382 + 2 * (k - 1))) / kFontWidthUnit;
    }
}

// Steps 3 to 6 of the load: the file of font k, or "fm00.fmt" in its place; n is the number
// asked for. The fallback's absence ends the command instead of being looked for again.
void read_metrics(int32_t n, int32_t k) {
    const std::string folder = font_folder_text();
    std::string name = font_metric_file_name(k);
    std::array<unsigned char, kFontMetricFileBytes> bytes{};
    for (;;) {
        const std::string path = folder + name;
        const bool exists = platform::file_exists(path);
        if (exists && read_font_file(path, bytes.data(), bytes.size())) break;
        if (name == kFallbackFile) end_for_unreadable(path);
        if (!LoadedFont.last_tried.equals(path)) {
            if (exists) {
                core::report_failure(std::string(core::kDamagedFileMessage) +
                                     platform::shown_path(path));
            } else {
                report_substitution(path);
            }
        }
        LoadedFont.last_tried.set(path);
        name = std::string(kFallbackFile);
    }
    LoadedFont.last_metric_font = n < 100 ? k : -1;
    take_metrics(bytes.data());
    LoadedFont.number = n;
    LoadedFont.slot = 1;
    LoadedFont.reloaded = 1;
}

// The five characters of a style code and three blanks into the 8 bytes of P14 and P15.
void put_style_code(std::string_view code) {
    char chars[8];
    std::memset(chars, ' ', sizeof chars);
    std::memcpy(chars, code.data(), std::min<std::size_t>(code.size(), 5));
    core::ParamBuffer.check_range(14, 2);
    std::memcpy(core::ParamBuffer.at(14), chars, sizeof chars);
}

}  // namespace

int32_t font_mod100(int32_t number) { return ((number % 100) + 100) % 100; }

std::string font_folder_text() {
    std::string folder = core::FontFolder.c_text();
    if (!folder.empty() && static_cast<unsigned char>(folder.back()) < ' ') folder.pop_back();
    return folder;
}

std::string library_folder_text() {
    std::string folder = core::LibraryFolder.c_text();
    if (!folder.empty() && static_cast<unsigned char>(folder.back()) < ' ') folder.pop_back();
    return folder;
}

std::string font_metric_file_name(int32_t number) {
    return "fm" + core::format_int("(I2.2)", font_mod100(number)) + ".fmt";
}

std::string_view font_style_code(int32_t number) {
    const int32_t k = font_mod100(number);
    if (k < 90 || k > 98) return {};
    return kFontStyleCodes[static_cast<std::size_t>(k - 90)];
}

void load_font_metrics() {
    const int32_t n = CurrentFontNumber;
    const int32_t k = font_mod100(n);
    if (k == 94 || k == 99) return;  // the music and symbol fonts have no metric file
    if (n > 99) LoadedFont.number = -1;
    if (n != LoadedFont.number) read_metrics(n, k);
    if (OutputPassWord != 0 && core::ParamBuffer(7) != 0.0f) set_font_size(LoadedFont.ps_width);
}

void ensure_font_metrics() {
    if (CurrentFontNumber == LoadedFont.number) return;
    const int32_t pass = OutputPassWord;
    OutputPassWord = 0;
    try {
        load_font_metrics();
    } catch (...) {
        OutputPassWord = pass;
        throw;
    }
    OutputPassWord = pass;
}

namespace {

int32_t chosen_font_number(int32_t code) {
    const float p8 = core::ParamBuffer(8);
    return p8 >= 90.0f ? core::int_of(p8) : code;
}

}  // namespace

void select_style_font(int32_t code) {
    const int32_t number = chosen_font_number(code);
    CurrentFontNumber = number % 1000;
    if (font_mod100(number) == 94) {
        put_style_code("MUSI0");
    } else {
        load_font_metrics();
    }
}

void select_font_by_code(int32_t code) {
    const int32_t number = chosen_font_number(code);
    CurrentFontNumber = number % 1000;
    const int32_t k = font_mod100(number);
    if (k < 90) {
        load_font_metrics();
    } else if (k != 99) {
        put_style_code(font_style_code(k));
    }
}

float symbol_font_width(int32_t index) {
    if (SymbolFontWidths.loaded == 0) {
        const std::string path = font_folder_text() + std::string(kSymbolWidthFile);
        std::array<unsigned char, kSymbolWidthFileBytes> bytes{};
        if (!platform::file_exists(path) || !read_font_file(path, bytes.data(), bytes.size())) {
            end_for_unreadable(path);
        }
        for (int k = 1; k <= kFontWidths; ++k) {
            SymbolFontWidths.width(k) =
                static_cast<float>(le16(bytes.data() + 2 * (k - 1))) / kFontWidthUnit;
        }
        SymbolFontWidths.loaded = 1;
    }
    return SymbolFontWidths.width(index);
}

void reset_font_tables() {
    SymbolFontWidths = SymbolFontWidthsRecord{};
    SentFontSlots = SentFontSlotsRecord{};
    DocumentFontList = DocumentFontListRecord{};
}

}  // namespace render
