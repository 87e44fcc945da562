// The text drawer: parameters, characters, layout and the hand-over to the screen records or
// the PostScript text; and the registration of the text and number drawers.
#include "engine/render/text/text_items.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/core/numeric.h"
#include "engine/core/settings_tables.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/item_drawing.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/render_hooks.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"
#include "engine/render/text/fonts.h"
#include "engine/render/text/numbers.h"
#include "engine/render/text/text_escapes.h"

namespace render {

TextDrawStateRecord TextDrawState;

namespace {

constexpr float kLowestTextX = -140.0f;
constexpr float kDisplayPerP3 = 150.0f;
constexpr float kMoveStep = 15.0f;
constexpr float kSizeQuarter = 0.25f;
constexpr float kGlyphSizeFactor = 3.5714f;
// Codes 80..92 are drawn as the library drawings from this number on.
constexpr int32_t kTextGlyphSymbolBase = 2080;
// Metric width to P3 units at text size 1.
constexpr float kCharacterFactor = 3.2833f;
// The least room between a letter's ink and a flat, sharp or natural after it, in widths.
constexpr float kAccidentalGap = 0.08f;
constexpr int32_t kTextItemCode = 16;
constexpr int32_t kNumberItemCode = 10;
constexpr int32_t kMusicFont = 94;
constexpr int32_t kStyleFontBase = 90;
constexpr int32_t kPlainWords = 13;     // P1..P13 before the characters
constexpr int32_t kColouredWords = 16;  // with P14 -1.0, P15 and P16

int32_t g_depth = 0;
int32_t g_item = 0;
// The middle of the ink of the line drawn last (display units right of its start).
float g_ink_middle = 0.0f;

// A laid-out column: x plus the layout bias, kept inside INTEGER range however far absurd
// sizes or offsets throw the text.
int32_t biased_column(double x) {
    const int32_t at = core::nint(x);
    return at > INT32_MAX - kLayoutBias ? INT32_MAX : at + kLayoutBias;
}

// P5..P8 and P14..P18 with their integer copies, put back however the drawing ends.
class SavedTextWords {
  public:
    SavedTextWords() {
        for (int32_t i = 0; i < kCount; ++i) {
            p_[i] = core::ParamBuffer(kWords[i]);
            ip_[i] = core::IntParamBuffer(kWords[i]);
        }
    }
    ~SavedTextWords() {
        for (int32_t i = 0; i < kCount; ++i) {
            core::ParamBuffer(kWords[i]) = p_[i];
            core::IntParamBuffer(kWords[i]) = ip_[i];
        }
    }
    SavedTextWords(const SavedTextWords&) = delete;
    SavedTextWords& operator=(const SavedTextWords&) = delete;

  private:
    static constexpr int32_t kCount = 9;
    static constexpr std::array<int32_t, kCount> kWords = {5, 6, 7, 8, 14, 15, 16, 17, 18};
    std::array<float, kCount> p_{};
    std::array<int32_t, kCount> ip_{};
};

// A text drawn while another one is being laid out (a glyph that is a word) must not leave its
// codes in place of the outer one's. Only the codes in use are kept: every number of the page
// is drawn this way, and the list has room for 512.
class SavedCodeList {
  public:
    SavedCodeList() : active_(g_depth > 1), count_(TextCodeList.count) {
        if (!active_) return;
        const auto& list = TextCodeList;
        kept_ = count_ < 0 ? 0 : (count_ > kTextCodes ? kTextCodes : count_);
        for (int32_t k = 0; k < kept_; ++k) {
            saved_[static_cast<std::size_t>(k)] = {list.code.data()[k], list.width.data()[k],
                                                   list.x.data()[k], list.y.data()[k]};
        }
    }
    ~SavedCodeList() {
        if (!active_) return;
        auto& list = TextCodeList;
        for (int32_t k = 0; k < kept_; ++k) {
            const Entry& e = saved_[static_cast<std::size_t>(k)];
            list.code.data()[k] = e.code;
            list.width.data()[k] = e.width;
            list.x.data()[k] = e.x;
            list.y.data()[k] = e.y;
        }
        list.count = count_;
    }
    SavedCodeList(const SavedCodeList&) = delete;
    SavedCodeList& operator=(const SavedCodeList&) = delete;

  private:
    struct Entry {
        int32_t code;
        float width;
        int32_t x;
        int32_t y;
    };
    bool active_;
    int32_t count_;
    int32_t kept_ = 0;
    std::array<Entry, kTextCodes> saved_;  // only the first kept_ are written and read
};

// The item a drawing belongs to: while an item is edited, the preview is drawn after the last
// stored item, at the places PreviewStart gives, and its record was copied to the end of the
// store; inside a page redraw ItemCount is the number of the item being drawn.
int32_t drawn_item_number() {
    const int32_t k = core::ItemCount;
    if (core::EditedItemNumber == 0) return k;
    auto& text = core::OutputBufferViews.text;
    if (!text.bound() || k < 0 || k + 1 >= core::kItemStartEntries) return k;
    if (core::ItemStartTable(k + 1) != core::ItemWordsUsed) return k;
    if (text.length() != PreviewStart.text || core::GraphicsNextFree != PreviewStart.graphics) {
        return k;
    }
    return k + 1;
}

float staff_scale() { return layout::StaffTables.StaffScale(layout::StaffTables.CurrentStaff); }

// The characters of the stored text item `item` (at most 512, never beyond its record) and the
// start of its record; false when the item is not a stored text item.
bool read_stored_text(int32_t item, std::string& chars, int32_t& s) {
    if (item < 1 || item >= core::kItemStartEntries) return false;
    s = core::ItemStartTable(item);
    if (s < 1 || s + kPlainWords > core::kItemStoreWords) return false;
    if (core::ItemStore(s + 1) != static_cast<float>(kTextItemCode)) return false;
    int32_t n = core::int_of(core::ItemStore(s));
    if (n > core::kItemStoreWords - s) n = core::kItemStoreWords - s;
    const int32_t first =
        (n >= 14 && core::ItemStore(s + 14) == -1.0f) ? kColouredWords + 1 : kPlainWords + 1;
    int32_t words = n - (first - 1);
    if (words < 0) words = 0;
    int32_t count = n >= 12 ? core::int_of(core::ItemStore(s + 12)) : 0;
    if (count > 4 * words) count = 4 * words;
    if (count > kTextCodes) count = kTextCodes;
    if (count < 0) count = 0;
    chars.assign(static_cast<std::size_t>(count), ' ');
    if (count > 0) std::memcpy(chars.data(), core::ItemStore.at(s + first), chars.size());
    return true;
}

// While the item being edited is under the margin words ("J" or "T" words other than a second
// letter "I", and "RI") the editing commands measure and lay out its line.
bool margin_words_active() {
    if (TextEditHooks.run_text_margin_command == nullptr || core::EditedItemNumber == 0) {
        return false;
    }
    const int32_t l1 = core::CommandModeLetters(1);
    const int32_t l2 = core::CommandModeLetters(2);
    return ((l1 == 'J' || l1 == 'T') && l2 != 'I') || (l1 == 'R' && l2 == 'I');
}

// A font change to the font set just before it does nothing; it would only start an empty
// record.
void remove_repeated_font_changes() {
    auto& list = TextCodeList;
    int32_t out = 0;
    int32_t last = -1;
    for (int32_t k = 1; k <= list.count; ++k) {
        const int32_t code = list.code(k);
        if (code >= 1000 && code <= 1199 && code == last) continue;
        if (is_font_change_code(code)) last = code;
        ++out;
        list.code(out) = code;
        list.width(out) = list.width(k);
    }
    list.count = out;
}

// The stretch: the widths grow so that the line is P5 times its natural width; returns the
// growth of one character (P3 units).
float apply_stretch(float p5, float p13) {
    auto& list = TextCodeList;
    if (p5 == 1.0f) return 0.0f;
    int32_t m = 0;
    for (int32_t k = 1; k <= list.count; ++k) {
        if (list.width(k) != 0.0f) ++m;
    }
    if (m == 0) return 0.0f;
    const float grow = (p13 - p13 / p5) / static_cast<float>(m);
    for (int32_t k = 1; k < list.count; ++k) {
        if (list.width(k) != 0.0f) list.width(k) += grow;
    }
    return grow;
}

// How far a flat, sharp or natural (codes 80..82, drawn as library drawings) placed at x must
// move right so that its ink clears the ink of the letter `before` laid out at before_x: the
// letter's right ink edge from the loaded metrics, the sign's left edge from its drawing.
// 0 when it clears already or when either edge is unknown.
float accidental_clearance(int32_t code, int32_t before, float before_x, float x, float factor) {
    if (before < 0 || before >= 80 || before == kBlankCode) return 0.0f;
    const float right = LoadedFont.right_edges(before + 1);
    if (right <= 0.0f) return 0.0f;
    SymbolInk ink;
    if (!measure_symbol_ink(code + kTextGlyphSymbolBase, ink)) return 0.0f;
    const float sign_size = staff_scale() * core::ParamBuffer(6) * kGlyphSizeFactor;
    const float letter_ink = before_x + right * factor * kDisplayPerP3;
    const float sign_ink = x + sign_size * ink.left;
    const float need = letter_ink + kAccidentalGap * factor * kDisplayPerP3 - sign_ink;
    return need > 0.0f ? need : 0.0f;
}

// The middle of the ink of the line just laid out, in display units right of its first
// character's place: from the first character's left side bearing (taken as its right one,
// as the metrics keep only right edges) to the last character's right ink edge. Half the line's
// advance when the loaded metrics are not its font's.
float laid_out_ink_middle(float factor, bool metrics) {
    const auto& list = TextCodeList;
    int32_t first = 0;
    int32_t last = 0;
    for (int32_t k = 1; k <= list.count; ++k) {
        if (list.width(k) == 0.0f || list.x(k) <= 0) continue;
        if (first == 0) first = k;
        last = k;
    }
    if (first == 0) return 0.0f;
    const float x_first = static_cast<float>(list.x(first));
    const float to_last = static_cast<float>(list.x(last)) - x_first;
    const float advance = to_last + list.width(last) * kDisplayPerP3;
    const int32_t a = list.code(first);
    const int32_t b = list.code(last);
    if (!metrics || a < 0 || a >= 80 || b < 0 || b >= 80) return advance / 2.0f;
    const float right_a = LoadedFont.right_edges(a + 1);
    const float right_b = LoadedFont.right_edges(b + 1);
    if (right_a <= 0.0f || right_b <= 0.0f) return advance / 2.0f;
    const float left_ink = (LoadedFont.widths(a + 1) - right_a) * factor * kDisplayPerP3;
    const float right_ink = to_last + right_b * factor * kDisplayPerP3;
    return (left_ink + right_ink) / 2.0f;
}

// Places every code from x0; moves jump to their column (on the spread's second page from its
// left edge), accents keep -1 to bind to the character after them. A flat, sharp or natural
// right after a letter moves right (with all that follows) until its ink clears the letter's.
void lay_out(float x0, float y0, float move_shift, int32_t style_font, float factor) {
    auto& list = TextCodeList;
    float x = x0;
    const int32_t y = core::nint(y0);
    int32_t font = CurrentFontNumber;
    int32_t before = -1;  // the character laid out last, while nothing came between
    float before_x = 0.0f;
    for (int32_t k = 1; k <= list.count; ++k) {
        int32_t code = list.code(k);
        list.y(k) = y;
        if (is_font_change_code(code)) font = font_of_change_code(code);
        const bool metric_font = font == LoadedFont.number && font_mod100(font) < kStyleFontBase;
        if (list.width(k) != 0.0f && code >= 80 && code <= 82 && metric_font) {
            x += accidental_clearance(code, before, before_x, x, factor);
        }
        before = list.width(k) != 0.0f && metric_font ? code : -1;
        before_x = x;
        if (list.width(k) == 0.0f) {
            if (is_move_code(code)) {
                x = static_cast<float>(code - kMoveBase) * kMoveStep + move_shift;
                code = kBlankCode;
                list.code(k) = code;
            }
            list.x(k) = (code >= 83 && code <= 126 && code != kBlankCode) ? -1 : 0;
            if (style_font >= kStyleFontBase && is_font_change_code(code)) {
                list.code(k) = kFontChangeBase + style_font;
            }
        } else {
            list.x(k) = biased_column(x);
            x += list.width(k) * kDisplayPerP3;
        }
    }
}

// Screen pass: one record per run of text in one font; glyph codes as library symbols.
void write_screen_records(float glyph_x_shift) {
    auto& p = core::ParamBuffer;
    auto& list = TextCodeList;
    TextRecordCursor cursor;
    bool full = false;
    for (int32_t k = 1; k <= list.count; ++k) {
        int32_t code = list.code(k);
        if (is_font_change_code(code)) {
            CurrentFontNumber = font_of_change_code(code);
            if (CurrentFontNumber == kMusicFont) continue;
            load_font_metrics();
            if (!full && !write_text_record_header(cursor, text_record_colour(CurrentFontNumber))) {
                full = true;
            }
            continue;
        }
        if (list.x(k) < 0 || code == kBlankCode || list.width(k) == 0.0f) continue;
        const int32_t font = CurrentFontNumber;
        if ((OutputPassWord == 1 && code >= 95 && code <= 161) || code == kScreenSymbolCode) {
            code = -code;
            list.code(k) = code;
        } else if (font < 100 && (OutputPassWord == 2 || code >= 80 || font == kMusicFont) &&
                   (p(1) != static_cast<float>(kNumberItemCode) || font == kMusicFont)) {
            if (p(14) == -1.0f) p(26) = p(16);
            draw_text_glyph_as_symbol(k, glyph_x_shift);
            continue;
        }
        if (full || cursor.count_at == 0) continue;
        if (!char_code_to_text(cursor, k)) {
            // Something was written behind the record (a glyph that is itself a text): the run
            // goes on in a record of its own. Without room the text ends here.
            if (!write_text_record_header(cursor, text_record_colour(font)) ||
                !char_code_to_text(cursor, k)) {
                full = true;
            }
        }
    }
}

void draw_text(const std::string* given) {
    auto& p = core::ParamBuffer;
    auto& ip = core::IntParamBuffer;
    const SavedCodeList saved_codes;
    const SavedTextWords saved;
    const int32_t item = TextDrawingScope::item();
    const bool postscript = OutputPassWord == -1;

    std::string stored_chars;
    int32_t record = 0;
    const bool stored = given == nullptr && ip(1) == kTextItemCode;
    // Only the item's own record takes the measured count and width back: a preview drawn before
    // its copy is in the store reads the last item's words, whose record keeps its own width
    // (the edited text's width there would break the page's undo copy).
    bool own_record = false;
    if (stored) {
        int32_t record_item = item;
        own_record = read_stored_text(record_item, stored_chars, record);
        if (!own_record) {
            record_item = core::ItemCount;
            if (!read_stored_text(record_item, stored_chars, record)) return;
        }
    }

    if (p(8) >= 90.0f && p(8) <= 999.0f && p(8) != static_cast<float>(kMusicFont)) p(8) = 0.0f;
    if (p(3) < kLowestTextX) {
        if (OutOfBoundsNoticeOff != 1 && OutOfBoundsNoticeHeld == 0) report_out_of_bounds();
        return;
    }
    const int32_t placement = core::int_of(core::amod(p(8), 1.0f) * 10.0f);
    if (placement != 0) run_hook(TextEditHooks.find_neighbour_staff, placement);
    const float spread = layout::on_right_page(p(2)) ? static_cast<float>(kSpreadShift) : 0.0f;
    float x0 = ItemDrawOrigin.x + spread;
    const float y0 = ItemDrawOrigin.y;

    if (p(5) == 0.0f) p(5) = 1.0f;
    p(6) = core::amod(p(6), 100.0f);
    if (p(6) == 0.0f) p(6) = 1.0f;
    const float size = p(6);

    if (stored) {
        if (item == core::ItemCount + 1 && margin_words_active()) {
            TextEditHooks.run_text_margin_command();
        } else {
            decode_text_escapes(stored_chars, static_cast<int32_t>(stored_chars.size()));
        }
        const int32_t n = core::int_of(core::ItemStore(record));
        if (own_record && n >= kPlainWords) {
            core::ItemStore(record + 12) = static_cast<float>(stored_chars.size());
            core::ItemStore(record + 13) = p(13);
        }
        remove_repeated_font_changes();
    } else if (given != nullptr) {
        decode_text_escapes(*given, static_cast<int32_t>(given->size()));
    } else {
        const int32_t n = std::min<int32_t>(std::max<int32_t>(TextCodeList.count, 0), 512);
        decode_text_escapes(core::CommandLine.view(), n);
    }

    if (p(11) != 0.0f) x0 += p(11) * kDisplayPerP3;
    const float grow = apply_stretch(p(5), p(13));

    if (p(7) == 0.0f) p(7) = size;
    p(6) *= kSizeQuarter;
    p(7) *= kSizeQuarter;
    if (OutputPassWord != 0) {
        if (p(8) >= 90.0f) {
            select_style_font(CurrentFontNumber);
        } else {
            const int32_t f = font_mod100(CurrentFontNumber);
            if (ip(8) < 0 && f >= kStyleFontBase && f <= 98 && postscript) {
                run_hook(RenderHooks.add_path_width, -ip(8));
            }
            const int32_t first = TextCodeList.count >= 1 ? TextCodeList.code(1) : 0;
            const bool font_first = first >= kFontChangeBase && first < 2000;
            const bool same_sizes =
                p(6) == TextDrawState.previous_width && p(7) == TextDrawState.previous_height;
            if (!font_first && !same_sizes) load_font_metrics();
        }
        TextDrawState.previous_width = p(6);
        TextDrawState.previous_height = p(7);
    }

    const int32_t style_font = p(8) >= 90.0f ? core::int_of(p(8)) % 1000 : -1;
    const float factor = staff_scale() * size / 25.0f * kCharacterFactor;
    lay_out(x0, y0, spread, style_font, factor);
    g_ink_middle = laid_out_ink_middle(
        factor, CurrentFontNumber == LoadedFont.number && font_mod100(CurrentFontNumber) < 90);
    const float y_line = static_cast<float>(core::nint(y0));
    if (p(9) != 0.0f && !postscript) {
        rotate_text_positions(TextCodeList.count, p(9), x0, y_line);
    }

    if (postscript) {
        PostScriptTextLayout layout;
        layout.origin_x = x0;
        layout.origin_y = y_line;
        layout.angle = p(9);
        const float s = staff_scale() * size / 25.0f;
        layout.blank_extra = p(10) * s * kDisplayPerP3;
        layout.letter_spacing = grow * kDisplayPerP3;
        layout.glyph_x_shift = spread;
        write_postscript_text(layout);
    } else {
        write_screen_records(spread);
    }

    auto& text = core::OutputBufferViews.text;
    if (text.bound() && item >= 1 && item + 1 < core::kItemStartEntries) {
        core::ItemOutputSpans.text(item + 1) = text.length() + 1;
    }
}

void draw_number_code_item() {
    int32_t value = core::IntParamBuffer(5);
    draw_number_item(value);
}

}  // namespace

TextDrawingScope::TextDrawingScope() {
    if (g_depth == 0) g_item = drawn_item_number();
    ++g_depth;
}

TextDrawingScope::~TextDrawingScope() {
    if (g_depth > 0) --g_depth;
}

int32_t TextDrawingScope::item() { return g_item; }

float last_line_ink_middle() { return g_ink_middle; }

// Contract: see the header.
void draw_text_item() {
    const TextDrawingScope scope;
    draw_text(nullptr);
}

void draw_text_line(std::string_view text) {
    const TextDrawingScope scope;
    const std::string chars(text.substr(0, std::min<std::size_t>(text.size(), kTextCodes)));
    draw_text(&chars);
}

void rotate_text_positions(int32_t n, float angle, float pivot_x, float pivot_y) {
    auto& list = TextCodeList;
    const double radians = static_cast<double>(angle) / 57.2957763671875;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    for (int32_t k = 1; k <= n && k <= list.count; ++k) {
        const int32_t code = list.code(k);
        if (list.x(k) == 0 || (code >= 80 && code <= 126)) continue;
        const double dx = static_cast<double>(list.x(k) - kLayoutBias) - pivot_x;
        const double dy = static_cast<double>(list.y(k)) - pivot_y;
        list.x(k) = biased_column(pivot_x + c * dx + s * dy);
        list.y(k) = core::nint(pivot_y - s * dx + c * dy);
    }
}

void draw_text_glyph_as_symbol(int32_t k, float x_shift) {
    auto& p = core::ParamBuffer;
    const auto& list = TextCodeList;
    const int32_t code = std::abs(list.code(k));
    const int32_t font = CurrentFontNumber;
    float sx = p(6);
    float sy = p(7);
    int32_t number = code;
    bool scaled = true;
    if ((code >= 80 && code <= 92) || (OutputPassWord == 2 && code < 162)) {
        number = code + 2080;
    } else if (code < 162 && font == kMusicFont) {
        number = code + 2000;
    } else if (code >= 162) {
        number = code + 2012;
    } else {
        scaled = false;
    }
    if (scaled) {
        sx *= kGlyphSizeFactor;
        sy *= kGlyphSizeFactor;
    }
    const float x = static_cast<float>(list.x(k) - kLayoutBias) - x_shift;
    const float y = static_cast<float>(list.y(k));
    const int32_t angle = core::nint(p(9));
    draw_library_symbol(x, y, number, sx, sy, 0, static_cast<float>(angle), angle);
}

void draw_stroke_glyph(int32_t code, float x, float y) {
    const auto& table = core::StrokeFontTable;
    if (code < 0 || code >= core::kStrokeFontOffsets) return;
    const int32_t g = code + 1;
    const int32_t data = core::kStrokeFontOffsets;  // offset 1 is the entry after the offsets
    const int32_t from = table(g) + data;
    int32_t to = core::kStrokeFontEntries;
    if (g < core::kStrokeFontOffsets) to = table(g + 1) + data - 1;
    if (table(g) < 1 || to > core::kStrokeFontEntries) return;
    const float s = staff_scale();
    const float sx = s * core::ParamBuffer(6);
    const float sy = s * core::ParamBuffer(7);
    const float left = x - 40.0f * sx;
    const float bottom = y - 26.0f * sy;
    for (int32_t i = from; i <= to; ++i) {
        const int32_t v = table(i);
        if (v <= 0) continue;  // unused entries draw nothing
        const int32_t pen = v / 10000;
        const float gx = static_cast<float>((v % 10000) / 100);
        const float gy = static_cast<float>(v % 100);
        add_path_point(left + gx * sx, bottom + gy * sy, static_cast<int16_t>(pen == 0 ? 1 : 0));
    }
}

void register_text_drawers() {
    register_item_drawer(kTextItemCode, draw_text_item);
    register_item_drawer(kNumberItemCode, draw_number_code_item);
    TextDrawState = TextDrawStateRecord{};
    reset_text_code_list();
    g_depth = 0;
    g_item = 0;
}

}  // namespace render
