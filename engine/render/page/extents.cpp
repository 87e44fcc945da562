#include "engine/render/page/extents.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/bridge/service_request.h"
#include "engine/core/numeric.h"
#include "engine/core/store/item_store.h"
#include "engine/core/tables.h"
#include "engine/layout/tables.h"
#include "engine/render/page/output_lists.h"
#include "engine/render/page/page_redraw.h"
#include "engine/render/symbols/symbols.h"
#include "engine/render/tables.h"

namespace render {

namespace {

constexpr int32_t kNoLow = 555555;
constexpr int32_t kNoHigh = -555555;

// One rectangle of display units, empty until something widens it. It starts unbounded, not
// at the empty page's reply: staves on the upper part of the left page lie above 555555, and a
// start there would hold the low edge below all of their ink.
constexpr float kUnbounded = std::numeric_limits<float>::infinity();
struct Bounds {
    float y_high = -kUnbounded;
    float y_low = kUnbounded;
    float x_low = kUnbounded;
    float x_high = -kUnbounded;
    bool empty() const { return x_low > x_high; }
    void widen(float x, float y) {
        x_low = std::min(x_low, x);
        x_high = std::max(x_high, x);
        y_low = std::min(y_low, y);
        y_high = std::max(y_high, y);
    }
    void merge(const Bounds& b) {
        if (b.empty()) return;
        widen(b.x_low, b.y_low);
        widen(b.x_high, b.y_high);
    }
};

// P(j) of the record starting at word start (0.0 beyond its n parameters).
float param(int32_t start, int32_t n, int32_t j) {
    return j <= n ? core::ItemStore(start + j) : 0.0f;
}

// ---- reading TextDisplayStream ----

// The fields of a text record that the measuring needs.
struct TextRecordHead {
    float height = 0.0f;
    float width = 0.0f;
    int32_t angle = 0;  // tenths of a degree, clockwise
    int32_t count = 0;
};

// Reads the stream's bytes at 1-based positions; a reader never goes past `end`.
class TextStreamReader {
  public:
    TextStreamReader(int32_t from, int32_t end) : pos_(from), end_(end) {}
    bool at_end() const { return pos_ > end_; }
    // Skips a zero-terminated text; false when the stream ends first.
    bool skip_text() {
        auto& text = core::OutputBufferViews.text;
        while (pos_ <= end_) {
            if (text(pos_++) == 0) return true;
        }
        return false;
    }
    bool word(int32_t& v) {
        if (end_ - pos_ < 3) return false;
        auto& text = core::OutputBufferViews.text;
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(text(pos_ + i)) << (8 * i);
        pos_ += 4;
        std::memcpy(&v, &u, 4);
        return true;
    }
    bool real(float& v) {
        int32_t w = 0;
        if (!word(w)) return false;
        std::memcpy(&v, &w, 4);
        return true;
    }
    // Face name, height, width, angle, colour, weight, italic, underline, count.
    bool head(TextRecordHead& h) {
        int32_t skip = 0;
        if (!skip_text() || !real(h.height) || !real(h.width) || !word(h.angle)) return false;
        for (int i = 0; i < 4; ++i)
            if (!word(skip)) return false;
        return word(h.count) && h.count >= 0;
    }
    // One character sub-record: x, y and its zero-terminated text.
    bool character(int32_t& x, int32_t& y) { return word(x) && word(y) && skip_text(); }

  private:
    int32_t pos_;
    int32_t end_;
};

// Calls on_char(x, y, head) for each character of the records in from..end until it returns
// false or a record is incomplete.
template <typename F>
void walk_text_records(int32_t from, int32_t end, F on_char) {
    auto& text = core::OutputBufferViews.text;
    if (!text.bound()) return;
    end = std::min({end, text.length(), core::kTextStreamBytes});
    if (from < 1) return;
    TextStreamReader reader(from, end);
    while (!reader.at_end()) {
        TextRecordHead head;
        if (!reader.head(head)) return;
        for (int32_t i = 1; i <= head.count; ++i) {
            int32_t x = 0;
            int32_t y = 0;
            if (!reader.character(x, y)) return;
            if (!on_char(x, y, head)) return;
        }
    }
}

// ---- which items are measured from text ----

// The symbols drawn as text: the built-in words ("pizz.", "8va", "G.P. ", ...) and the words
// of the symbol data file, 3000 to 3099 ("dolce", "legato", ...). Their ink is the text's, not
// that of a drawing.
constexpr float kFirstTextSymbol = 3000.0f;
constexpr float kLastTextSymbol = 3099.0f;

bool symbol_drawn_as_text(float number) {
    if (number >= kFirstTextSymbol && number <= kLastTextSymbol) return true;
    // Only whole numbers name a word: the drawer takes the number as an integer.
    return number >= 0.0f && number < 10000.0f && find_word_symbol(core::int_of(number)) != 0;
}
constexpr std::array<float, 5> kTextOrnaments = {155.0f, 88.0f, 15.0f, 8.0f, -8.0f};

// The first three characters of a stored text item's text (blanks beyond its P12).
bool text_starts_with_escape_99(int32_t start, int32_t n) {
    const int32_t first = param(start, n, 14) == -1.0f ? 17 : 14;
    const int32_t chars = core::int_of(param(start, n, 12));
    char c[3] = {' ', ' ', ' '};
    for (int32_t i = 0; i < 3 && i < chars; ++i) {
        const int32_t w = first + i / 4;
        if (w > n) break;
        unsigned char bytes[4];
        std::memcpy(bytes, core::ItemStore.at(start + w), 4);
        c[i] = static_cast<char>(bytes[i % 4]);
    }
    return c[0] == '_' && c[1] == '9' && c[2] == '9';
}

// Width and height factors of an item measured from its text; false for other items.
bool text_factors(int32_t code, int32_t start, int32_t n, float& w, float& h) {
    auto p = [&](int32_t j) { return param(start, n, j); };
    switch (code) {
        case 7:
            if (n <= 6) return false;
            if (std::find(kTextOrnaments.begin(), kTextOrnaments.end(), p(7)) ==
                kTextOrnaments.end())
                return false;
            w = h = p(5) == 0.0f ? 1.0f : p(5);
            return true;
        case 9:
            if (n < 5) return false;
            if (!symbol_drawn_as_text(p(5))) return false;
            // The sizes the symbol is drawn at: P6 below 100, 0 counting as 1; P7, 0 as P6.
            w = n < 6 ? 1.0f : core::amod(p(6), 100.0f);
            if (w == 0.0f) w = 1.0f;
            h = n < 7 ? w : p(7);
            if (h == 0.0f) h = w;
            return true;
        case 10:
            if (p(7) == 1094.0f) return false;
            h = n >= 6 ? core::amod(p(6), 100.0f) : 1.0f;
            w = n > 5 ? core::amod(p(6), 100.0f) : 1.0f;
            if (w == 0.0f) w = 1.0f;
            if (h == 0.0f) h = w;
            return true;
        case 16:
            if (text_starts_with_escape_99(start, n)) return false;
            h = core::amod(p(7), 100.0f);
            w = n > 5 ? core::amod(p(6), 100.0f) : 1.0f;
            if (w == 0.0f) w = 1.0f;
            if (h == 0.0f) h = w;
            return true;
        default:
            return false;
    }
}

// Whether item k is left out of the measuring in this mode.
bool left_out(int32_t mode, int32_t code, int32_t start, int32_t n) {
    const float p2 = param(start, n, 2);
    if (mode == -2 && !layout::on_right_page(p2)) return true;
    if (mode < 0 && mode != -2 && layout::on_right_page(p2)) return true;
    if (code == 9 && n >= 11 && param(start, n, 11) != 0.0f) return true;
    if (code == 8 && n >= 7 && param(start, n, 7) < 0.0f) return true;
    if (code == 14 && mode != 2) return true;
    if (mode == kMeasureStaves && code != 8) return true;
    return false;
}

// The item's GraphicsList entries (its span, within what was written). The span is checked
// against the list once and its words then read directly: every measure walks every item's
// entries, and a page measures at every redraw.
void widen_by_entries(int32_t k, Bounds& b) {
    auto& graphics = core::OutputBufferViews.graphics;
    if (!graphics.bound()) return;
    const int32_t from = core::ItemOutputSpans.graphics(k);
    const int32_t to =
        std::min({core::ItemOutputSpans.graphics(k + 1) - 1, graphics.length(), graphics.size()});
    if (from < 1 || from + 2 > to) return;
    const int32_t* words = graphics.data() - 1;  // words[e] is entry word e
    float x_low = b.x_low;
    float x_high = b.x_high;
    float y_low = b.y_low;
    float y_high = b.y_high;
    for (int32_t e = from; e + 2 <= to; e += 3) {
        const float x = static_cast<float>(words[e]);
        const float y = static_cast<float>(words[e + 1]);
        if (x < x_low) x_low = x;
        if (x > x_high) x_high = x;
        if (y < y_low) y_low = y;
        if (y > y_high) y_high = y;
    }
    b.x_low = x_low;
    b.x_high = x_high;
    b.y_low = y_low;
    b.y_high = y_high;
}

// The baseline of a character lies this far above its piece's y.
constexpr double kBaselineAbovePiece = 96.0;
// Drawers hold a staff within kFarCoordinate of the page and add their own offsets to it; a
// character placed beyond twice that is no drawn character and ends the item. Every staff of
// both pages lies well inside (the upper left-hand staves reach some 600000 units up).
constexpr int32_t kFarthestCharacter = 2 * kFarCoordinate;

// The item's characters, each a box of W x H display units lowered by d.
void widen_by_text(int32_t k, int32_t staff, float w, float h, Bounds& b) {
    if (staff < 0 || staff > layout::kMaxStaves) return;
    const float s = layout::StaffTables.StaffScale(staff) / 25.0f;
    const float width = w * s * 520.0f;
    const float height = (h + 0.15f) * 630.0f * s;
    const float d = ((height - 94.5f) / 630.0f - 1.0f) * 200.0f;
    const int32_t from = core::ItemOutputSpans.text(k);
    const int32_t to = core::ItemOutputSpans.text(k + 1) - 1;
    walk_text_records(from, to, [&](int32_t x, int32_t y, const TextRecordHead& head) {
        if (x == 0 && y == 0) return false;
        if (x < -kFarthestCharacter || x > kFarthestCharacter || y < -kFarthestCharacter ||
            y > kFarthestCharacter)
            return false;
        const float fx = static_cast<float>(x);
        const float fy = static_cast<float>(y) - d;
        if (head.angle == 0) {
            b.widen(fx, fy);
            b.widen(fx + width, fy + height);
            return true;
        }
        // A turned character turns about the start of its baseline, as it is shown and
        // printed: its box's corners are turned with it.
        const double radians = static_cast<double>(head.angle) / 10.0 / 57.2957763671875;
        const double c = std::cos(radians);
        const double sn = std::sin(radians);
        const double bx = fx;
        const double by = static_cast<double>(y) + kBaselineAbovePiece;
        for (const double cx : {0.0, static_cast<double>(width)}) {
            for (const double cy : {static_cast<double>(fy), static_cast<double>(fy + height)}) {
                const double dy = cy - by;
                b.widen(static_cast<float>(bx + c * cx + sn * dy),
                        static_cast<float>(by - sn * cx + c * dy));
            }
        }
        return true;
    });
}

// A guitar grid (code 12, P5 < 0) with a frame (P7 >= 10) reaches below its entries, and above
// them when P7 is a multiple of 10.
void widen_code12_frame(int32_t start, int32_t n, int32_t staff, Bounds& b) {
    auto p = [&](int32_t j) { return param(start, n, j); };
    if (b.empty() || p(5) >= 0.0f || p(7) < 10.0f) return;
    if (staff < 0 || staff > layout::kMaxStaves) return;
    const float f = (n >= 16 && p(16) != 0.0f) ? 0.9f * p(16) : 1.0f;
    const float size = p(6) == 0.0f ? 1.0f : p(6);
    const float s =
        static_cast<float>(core::int_of(f * size * layout::StaffTables.StaffScale(staff) / 25.0f));
    b.y_low -= 450.0f * s;
    if (core::amod(p(7), 10.0f) == 0.0f) b.y_high += 800.0f * s;
}

}  // namespace

// Contract: see the header. Mode other than 1 redraws (PageFormatIndex 0 during the redraw,
// then restored). Reads the store, ItemOutputSpans, the output lists and StaffScale; writes
// only the four results. Spans outside what was written are clipped to it.
void measure_items_extent(int32_t mode, int32_t& y_high, int32_t& y_low, int32_t& x_low,
                          int32_t& x_high) {
    if (mode != 1) {
        const int32_t format = PageFormatIndex;
        PageFormatIndex = 0;
        // Mode 2 measures the page as printed or reported: every item, drawn now. The other
        // modes follow the screen (scroll ranges while a command file runs need no redraw).
        // The screen's measure draws the page as it shows it, the edited item's working copy
        // over the stored items (drawn as an edit draws them, everything would turn red).
        if (mode == 2)
            redraw_every_item();
        else
            redraw_items_around_edit();
        PageFormatIndex = format;
    }
    Bounds all;
    for (int32_t k = 1; k <= core::ItemCount; ++k) {
        const int32_t start = core::ItemStartTable(k);
        const int32_t n = core::int_of(core::ItemStore(start));
        const int32_t code = core::int_of(param(start, n, 1));
        if (left_out(mode, code, start, n)) continue;
        const int32_t staff = core::int_of(param(start, n, 2));
        Bounds item;
        float w = 1.0f;
        float h = 1.0f;
        if (text_factors(code, start, n, w, h)) {
            widen_by_text(k, staff, w, h, item);
        } else {
            widen_by_entries(k, item);
            if (code == 12) widen_code12_frame(start, n, staff, item);
        }
        all.merge(item);
    }
    if (all.empty()) {
        y_high = x_high = kNoHigh;
        y_low = x_low = kNoLow;
        return;
    }
    y_high = core::int_of(all.y_high);
    y_low = core::int_of(all.y_low);
    x_low = core::int_of(all.x_low);
    x_high = core::int_of(all.x_high);
}

// Contract: see the header. Reads GraphicsList 1..its length word and TextDisplayStream
// 1..its length; writes only the four results.
void measure_drawing_extent(float& y_high, float& y_low, float& x_low, float& x_high) {
    // Widened from no extent at all (a start at +-99999 would hold an edge short of the ink of
    // the upper staves); with nothing drawn the edges are +-99999 as before.
    Bounds b;
    auto widen = [&](float x, float y) { b.widen(x, y); };
    auto& graphics = core::OutputBufferViews.graphics;
    if (graphics.bound()) {
        const int32_t to = std::min(graphics.length(), core::kGraphicsListWords);
        for (int32_t e = 1; e + 2 <= to; e += 3)
            widen(static_cast<float>(graphics(e)), static_cast<float>(graphics(e + 1)));
    }
    walk_text_records(1, core::kTextStreamBytes,
                      [&](int32_t x, int32_t y, const TextRecordHead& head) {
                          const float fx = static_cast<float>(x);
                          const float fy = static_cast<float>(y);
                          widen(fx, fy);
                          widen(fx + head.width * 38.34f, fy + head.height * 55.555f);
                          return true;
                      });
    y_high = b.empty() ? -99999.0f : b.y_high;
    y_low = b.empty() ? 99999.0f : b.y_low;
    x_low = b.empty() ? 99999.0f : b.x_low;
    x_high = b.empty() ? -99999.0f : b.x_high;
    y_high += static_cast<float>(ViewOrigin.y);
    y_low += static_cast<float>(ViewOrigin.y);
}

// Contract: see the header. Writes MessageLine, ScrollState's extent and position,
// EditedItemNumber (k while the view is placed, 0 at the end); asks the front-end for the
// client size ('z'), the scroll sizes ('s') and the position ('p', 'b').
void report_extent_and_show_item() {
    const int32_t k = core::int_of(core::ParamBuffer(2));
    auto& st = ScrollState;
    measure_items_extent(kMeasureAll, st.extent_y_high, st.extent_y_low, st.extent_x_low,
                         st.extent_x_high);
    core::FixedText<27> extent;
    core::write_int_field(extent, 1, 6, "(1i6)", st.extent_y_high);
    core::write_int_field(extent, 8, 13, "(1i6)", st.extent_y_low);
    core::write_int_field(extent, 15, 20, "(1i6)", st.extent_x_low);
    core::write_int_field(extent, 22, 27, "(1i6)", st.extent_x_high);
    core::leave_reply(core::ReplyKind::Notice, extent.view());
    if (k < 1 || k > core::ItemCount) return;

    core::EditedItemNumber = k;
    float y_high = 0.0f;
    float y_low = 0.0f;
    float x_low = 0.0f;
    float x_high = 0.0f;
    measure_drawing_extent(y_high, y_low, x_low, x_high);

    core::ServiceBlock block;
    core::request_front_end_service('z', block);
    st.client_width = block(1);
    st.client_height = block(2);
    block(3) = st.client_width;
    block(4) = st.client_height;
    block(1) = 0;
    block(2) = core::int_of(y_high - y_low + 3000.0f);
    block(5) = 20;
    block(6) = 20;
    core::request_front_end_service('s', block);
    block(1) = 0;
    block(2) = 10000;
    core::request_front_end_service('p', block);
    core::request_front_end_service('b', block);
    const int32_t x = block(1);
    const int32_t y = block(2);

    // Fraction of the page height from the top down to the item.
    const int32_t start = core::ItemStartTable(k);
    const int32_t n = core::int_of(core::ItemStore(start));
    const int32_t code = core::int_of(param(start, n, 1));
    const int32_t staff = core::int_of(param(start, n, 2));
    float fraction = 0.0f;
    if (staff >= 1 && staff <= layout::kMaxStaves && y_low != y_high) {
        const float v = code == 14 ? 3.0f : core::amod(param(start, n, 4), 100.0f);
        const float item_y = static_cast<float>(layout::StaffTables.StaffBaseY(staff)) +
                             v * 7.0f * layout::StaffTables.StaffScale(staff) -
                             static_cast<float>(ViewOrigin.y);
        fraction = item_y / (y_low - y_high);
        if (fraction < 0.1f) fraction = 0.0f;
    }
    block(1) = x;
    block(2) = core::int_of(static_cast<float>(y) * fraction);
    core::request_front_end_service('p', block);
    st.position_x = block(1);
    st.position_y = block(2);
    core::EditedItemNumber = 0;
}

// Measures with mode 2 (every item, bar lines included) and fills the template; left and right
// lose the view origin's x. Writes MessageLine only.
void report_items_extent() {
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    int32_t right = 0;
    measure_items_extent(2, top, bottom, left, right);
    left -= ViewOrigin.x;
    right -= ViewOrigin.x;
    core::FixedText<160> text("Top  =          Bottom =         ||Left =          Right  =      ");
    core::write_int_field(text, 7, 13, "(1i7)", top);
    core::write_int_field(text, 25, 33, "(1i9)", bottom);
    core::write_int_field(text, 42, 49, "(1i8)", left);
    core::write_int_field(text, 61, 67, "(1i7)", right);
    core::convert_bars_to_newlines(text);
    core::leave_reply(core::ReplyKind::Notice, text.view());
}

}  // namespace render
